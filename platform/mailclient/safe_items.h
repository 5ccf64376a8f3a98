// The safe wrappers: objects that take a mail item, a contact item or the current user and
// answer the same members without the client's security prompt.
//
// They are real objects, not interfaces: a SafeMailItem is a MailItem that forwards every member
// to the item given with SetItem, so code written for a mail item runs unchanged on the wrapper
// (the send pipeline's CurrentItem is either). On this platform there is no prompt to avoid, so
// forwarding is all they do; a client registers them under their programmatic identifiers
// (RegisterSafeObjects) and the system creates them by those names through
// Application::CreateObject, which fails with kCantCreateObject where they are not installed.
//
// Before SetItem, every member throws Error(kObjectNotSet). The wrapped item's failures pass
// through. The optional MemberHook is called with "SafeMailItem.Send" and the like before each
// member (fakes make members fail with it). Not thread-safe.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/mailclient/application.h"
#include "platform/mailclient/items.h"
#include "platform/mailclient/object.h"

namespace vellumo::mail {

inline constexpr std::string_view kSafeMailItemProgId = "Redemption.SafeMailItem";
inline constexpr std::string_view kSafeContactItemProgId = "Redemption.SafeContactItem";
inline constexpr std::string_view kSafeCurrentUserProgId = "Redemption.SafeCurrentUser";

class SafeMailItem : public MailItem {
 public:
  explicit SafeMailItem(MemberHook hook = {});

  // The item to answer for; nullptr lets the previous one go.
  void SetItem(std::shared_ptr<MailItem> item);
  std::shared_ptr<MailItem> GetItem() const { return item_; }

  std::string EntryID() override;
  std::shared_ptr<Folder> Parent() override;
  std::string Property(std::string_view name) override;
  void SetProperty(std::string_view name, std::string_view value) override;
  std::shared_ptr<mail::UserProperties> UserProperties() override;
  void Save() override;
  void Close(SaveMode mode) override;
  void Display(bool modal) override;
  std::shared_ptr<mail::Recipients> Recipients() override;
  std::shared_ptr<mail::Attachments> Attachments() override;
  std::shared_ptr<mail::Links> Links() override;
  std::shared_ptr<Inspector> GetInspector() override;
  bool DeleteAfterSubmit() override;
  void SetDeleteAfterSubmit(bool value) override;
  // Sends the wrapped item (ItemSend is raised as for the item itself).
  void Send() override;
  bool Sent() override;

 private:
  MailItem& Target(std::string_view member);

  MemberHook hook_;
  std::shared_ptr<MailItem> item_;
};

class SafeContactItem : public ContactItem {
 public:
  explicit SafeContactItem(MemberHook hook = {});

  void SetItem(std::shared_ptr<ContactItem> item);
  std::shared_ptr<ContactItem> GetItem() const { return item_; }

  std::string EntryID() override;
  std::shared_ptr<Folder> Parent() override;
  std::string Property(std::string_view name) override;
  void SetProperty(std::string_view name, std::string_view value) override;
  std::shared_ptr<mail::UserProperties> UserProperties() override;
  void Save() override;
  void Close(SaveMode mode) override;
  void Display(bool modal) override;

 private:
  ContactItem& Target(std::string_view member);

  MemberHook hook_;
  std::shared_ptr<ContactItem> item_;
};

// The user of the mail profile: Name and Address, read from the client at each call.
class SafeCurrentUser : public Recipient {
 public:
  // current_user gives the profile's user (Namespace::CurrentUser) when asked.
  explicit SafeCurrentUser(std::function<std::shared_ptr<Recipient>()> current_user,
                           MemberHook hook = {});

  std::string Name() override;
  std::string Address() override;
  RecipientType Type() override;
  // The current user's type cannot be changed: Error(kNotSupported).
  void SetType(RecipientType type) override;

 private:
  std::shared_ptr<Recipient> User(std::string_view member);

  std::function<std::shared_ptr<Recipient>()> current_user_;
  MemberHook hook_;
};

// Registers the three wrappers in table under their programmatic identifiers. current_user as
// for SafeCurrentUser; hook is handed to every wrapper made.
void RegisterSafeObjects(ClassTable& table,
                         std::function<std::shared_ptr<Recipient>()> current_user,
                         MemberHook hook = {});

// CreateObject of each wrapper, typed.
std::shared_ptr<SafeMailItem> CreateSafeMailItem(Application& app);
std::shared_ptr<SafeContactItem> CreateSafeContactItem(Application& app);
std::shared_ptr<SafeCurrentUser> CreateSafeCurrentUser(Application& app);

}  // namespace vellumo::mail
