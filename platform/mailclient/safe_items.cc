#include "platform/mailclient/safe_items.h"

#include <utility>

#include "base/error.h"

namespace vellumo::mail {
namespace {

void CallHook(const MemberHook& hook, std::string_view cls, std::string_view member) {
  if (!hook) return;
  std::string name(cls);
  name += '.';
  name += member;
  hook(name);
}

}  // namespace

// SafeMailItem

SafeMailItem::SafeMailItem(MemberHook hook) : hook_(std::move(hook)) {}

void SafeMailItem::SetItem(std::shared_ptr<MailItem> item) {
  CallHook(hook_, "SafeMailItem", "SetItem");
  item_ = std::move(item);
}

MailItem& SafeMailItem::Target(std::string_view member) {
  CallHook(hook_, "SafeMailItem", member);
  if (!item_) throw Error(ErrorCode::kObjectNotSet, "SafeMailItem.Item");
  return *item_;
}

std::string SafeMailItem::EntryID() { return Target("EntryID").EntryID(); }
std::shared_ptr<Folder> SafeMailItem::Parent() { return Target("Parent").Parent(); }
std::string SafeMailItem::Property(std::string_view name) { return Target(name).Property(name); }
void SafeMailItem::SetProperty(std::string_view name, std::string_view value) {
  Target(std::string("Set") + std::string(name)).SetProperty(name, value);
}
std::shared_ptr<mail::UserProperties> SafeMailItem::UserProperties() {
  return Target("UserProperties").UserProperties();
}
void SafeMailItem::Save() { Target("Save").Save(); }
void SafeMailItem::Close(SaveMode mode) { Target("Close").Close(mode); }
void SafeMailItem::Display(bool modal) { Target("Display").Display(modal); }
std::shared_ptr<mail::Recipients> SafeMailItem::Recipients() {
  return Target("Recipients").Recipients();
}
std::shared_ptr<mail::Attachments> SafeMailItem::Attachments() {
  return Target("Attachments").Attachments();
}
std::shared_ptr<mail::Links> SafeMailItem::Links() { return Target("Links").Links(); }
std::shared_ptr<Inspector> SafeMailItem::GetInspector() {
  return Target("GetInspector").GetInspector();
}
bool SafeMailItem::DeleteAfterSubmit() { return Target("DeleteAfterSubmit").DeleteAfterSubmit(); }
void SafeMailItem::SetDeleteAfterSubmit(bool value) {
  Target("SetDeleteAfterSubmit").SetDeleteAfterSubmit(value);
}
void SafeMailItem::Send() { Target("Send").Send(); }
bool SafeMailItem::Sent() { return Target("Sent").Sent(); }

// SafeContactItem

SafeContactItem::SafeContactItem(MemberHook hook) : hook_(std::move(hook)) {}

void SafeContactItem::SetItem(std::shared_ptr<ContactItem> item) {
  CallHook(hook_, "SafeContactItem", "SetItem");
  item_ = std::move(item);
}

ContactItem& SafeContactItem::Target(std::string_view member) {
  CallHook(hook_, "SafeContactItem", member);
  if (!item_) throw Error(ErrorCode::kObjectNotSet, "SafeContactItem.Item");
  return *item_;
}

std::string SafeContactItem::EntryID() { return Target("EntryID").EntryID(); }
std::shared_ptr<Folder> SafeContactItem::Parent() { return Target("Parent").Parent(); }
std::string SafeContactItem::Property(std::string_view name) { return Target(name).Property(name); }
void SafeContactItem::SetProperty(std::string_view name, std::string_view value) {
  Target(std::string("Set") + std::string(name)).SetProperty(name, value);
}
std::shared_ptr<mail::UserProperties> SafeContactItem::UserProperties() {
  return Target("UserProperties").UserProperties();
}
void SafeContactItem::Save() { Target("Save").Save(); }
void SafeContactItem::Close(SaveMode mode) { Target("Close").Close(mode); }
void SafeContactItem::Display(bool modal) { Target("Display").Display(modal); }

// SafeCurrentUser

SafeCurrentUser::SafeCurrentUser(std::function<std::shared_ptr<Recipient>()> current_user,
                                 MemberHook hook)
    : current_user_(std::move(current_user)), hook_(std::move(hook)) {}

std::shared_ptr<Recipient> SafeCurrentUser::User(std::string_view member) {
  CallHook(hook_, "SafeCurrentUser", member);
  std::shared_ptr<Recipient> user = current_user_ ? current_user_() : nullptr;
  if (!user) throw Error(ErrorCode::kObjectNotSet, "SafeCurrentUser");
  return user;
}

std::string SafeCurrentUser::Name() { return User("Name")->Name(); }
std::string SafeCurrentUser::Address() { return User("Address")->Address(); }
RecipientType SafeCurrentUser::Type() { return User("Type")->Type(); }
void SafeCurrentUser::SetType(RecipientType) {
  throw Error(ErrorCode::kNotSupported, "SafeCurrentUser.SetType");
}

// Creation

void RegisterSafeObjects(ClassTable& table,
                         std::function<std::shared_ptr<Recipient>()> current_user,
                         MemberHook hook) {
  table.Register(kSafeMailItemProgId, [hook] { return std::make_shared<SafeMailItem>(hook); });
  table.Register(kSafeContactItemProgId,
                 [hook] { return std::make_shared<SafeContactItem>(hook); });
  table.Register(kSafeCurrentUserProgId, [hook, current_user = std::move(current_user)] {
    return std::make_shared<SafeCurrentUser>(current_user, hook);
  });
}

std::shared_ptr<SafeMailItem> CreateSafeMailItem(Application& app) {
  return CreateObjectAs<SafeMailItem>(app, kSafeMailItemProgId);
}
std::shared_ptr<SafeContactItem> CreateSafeContactItem(Application& app) {
  return CreateObjectAs<SafeContactItem>(app, kSafeContactItemProgId);
}
std::shared_ptr<SafeCurrentUser> CreateSafeCurrentUser(Application& app) {
  return CreateObjectAs<SafeCurrentUser>(app, kSafeCurrentUserProgId);
}

}  // namespace vellumo::mail
