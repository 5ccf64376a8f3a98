#include "platform/mailclient/mem_folders.h"

#include <algorithm>

#include "base/error.h"
#include "base/text.h"
#include "platform/mailclient/item_list.h"

namespace vellumo::mail {
namespace {

class MemFolders final : public Folders {
 public:
  MemFolders(std::weak_ptr<MemState> state, std::shared_ptr<MemFolder> owner)
      : state_(std::move(state)), owner_(std::move(owner)) {}

  int Count() override {
    Check("Count");
    return static_cast<int>(owner_->folders().size());
  }
  std::shared_ptr<Folder> Item(int index) override {
    Check("Item");
    const auto& list = owner_->folders();
    if (index < 1 || static_cast<size_t>(index) > list.size()) {
      throw Error(ErrorCode::kSubscriptOutOfRange, "Folders(" + std::to_string(index) + ")");
    }
    return list[static_cast<size_t>(index) - 1];
  }
  std::shared_ptr<Folder> Item(std::string_view name) override {
    Check("Item");
    std::shared_ptr<MemFolder> found = owner_->SubFolder(name);
    if (!found) throw Error(ErrorCode::kSubscriptOutOfRange, "folder " + std::string(name));
    return found;
  }
  std::shared_ptr<Folder> Add(std::string_view name, ItemType default_item_type) override {
    Check("Add");
    return owner_->AddFolder(name, default_item_type);
  }

 private:
  void Check(std::string_view member) { CheckMember(state_, "Folders." + std::string(member)); }
  std::weak_ptr<MemState> state_;
  std::shared_ptr<MemFolder> owner_;
};

class MemCurrentUser final : public Recipient {
 public:
  explicit MemCurrentUser(std::weak_ptr<MemState> state) : state_(std::move(state)) {}
  std::string Name() override { return Check("Name")->user_name; }
  std::string Address() override { return Check("Address")->user_address; }
  RecipientType Type() override { return Check("Type"), RecipientType::kOriginator; }
  void SetType(RecipientType) override {
    Check("SetType");
    throw Error(ErrorCode::kNotSupported, "CurrentUser.SetType");
  }

 private:
  std::shared_ptr<MemState> Check(std::string_view member) {
    return CheckMember(state_, "CurrentUser." + std::string(member));
  }
  std::weak_ptr<MemState> state_;
};

}  // namespace

// MemFolder

MemFolder::MemFolder(std::weak_ptr<MemState> state, std::string name, ItemType default_item_type,
                     std::shared_ptr<MemFolder> parent, bool is_store_list)
    : state_(std::move(state)),
      name_(std::move(name)),
      entry_id_(LockState(state_)->NewEntryId()),
      default_item_type_(default_item_type),
      parent_(parent),
      is_store_list_(is_store_list) {}

std::shared_ptr<MemState> MemFolder::Check(std::string_view member) {
  return CheckMember(state_, "Folder." + std::string(member));
}

std::string MemFolder::Name() {
  Check("Name");
  return name_;
}

std::string MemFolder::EntryID() {
  Check("EntryID");
  return entry_id_;
}

std::shared_ptr<mail::Folders> MemFolder::Folders() {
  Check("Folders");
  return std::make_shared<MemFolders>(state_, shared_from_this());
}

std::shared_ptr<mail::Items> MemFolder::Items() {
  Check("Items");
  std::weak_ptr<MemFolder> self = weak_from_this();
  std::weak_ptr<MemState> state = state_;
  auto add = [self, state](ItemType type) -> std::shared_ptr<mail::Item> {
    std::shared_ptr<MemFolder> folder = self.lock();
    if (!folder) throw Error(ErrorCode::kObjectNotSet, "folder");
    return MakeMemItem(state, type, folder);
  };
  return std::make_shared<ItemList>(items_, add, MakeHook(state_));
}

ItemType MemFolder::DefaultItemType() {
  Check("DefaultItemType");
  return default_item_type_;
}

std::shared_ptr<Folder> MemFolder::Parent() {
  Check("Parent");
  return parent_.lock();
}

std::shared_ptr<MemFolder> MemFolder::AddFolder(std::string_view name, ItemType default_item_type) {
  if (text::Trim(name).empty() || name.find_first_of("/\\") != std::string_view::npos ||
      SubFolder(name)) {
    throw Error(ErrorCode::kInvalidCall, "folder name " + std::string(name));
  }
  auto child = std::make_shared<MemFolder>(state_, std::string(name), default_item_type,
                                           is_store_list_ ? nullptr : shared_from_this());
  children_.push_back(child);
  return child;
}

std::shared_ptr<MemFolder> MemFolder::SubFolder(std::string_view name) const {
  for (const auto& child : children_) {
    if (text::EqualsText(child->name_, name)) return child;
  }
  return nullptr;
}

std::shared_ptr<MemContactItem> MemFolder::AddContact(MemProperties properties) {
  auto contact = std::static_pointer_cast<MemContactItem>(
      MakeMemItem(state_, ItemType::kContact, shared_from_this()));
  for (const auto& [name, value] : properties) contact->core()->SetUp(name, value);
  contact->core()->Store();
  return contact;
}

std::shared_ptr<MemMailItem> MemFolder::AddMail(MemProperties properties) {
  auto mail = std::static_pointer_cast<MemMailItem>(
      MakeMemItem(state_, ItemType::kMail, shared_from_this()));
  for (const auto& [name, value] : properties) mail->core()->SetUp(name, value);
  mail->core()->data().sent = true;
  mail->core()->Store();
  return mail;
}

void MemFolder::File(const std::shared_ptr<Item>& item) {
  if (!item) return;
  if (std::find(items_.begin(), items_.end(), item) == items_.end()) items_.push_back(item);
}

void MemFolder::Unfile(const Item* item) {
  std::erase_if(items_, [item](const std::shared_ptr<Item>& held) { return held.get() == item; });
}

// MemNamespace

std::shared_ptr<Folder> MemNamespace::GetDefaultFolder(DefaultFolder folder) {
  std::shared_ptr<MemState> state = CheckMember(state_, "Namespace.GetDefaultFolder");
  auto it = state->defaults.find(folder);
  if (it == state->defaults.end()) {
    throw Error(ErrorCode::kInvalidCall,
                "default folder " + std::to_string(static_cast<int>(folder)));
  }
  return it->second;
}

std::shared_ptr<mail::Folders> MemNamespace::Folders() {
  std::shared_ptr<MemState> state = CheckMember(state_, "Namespace.Folders");
  return std::make_shared<MemFolders>(state_, state->stores);
}

std::shared_ptr<Recipient> MemNamespace::CurrentUser() {
  CheckMember(state_, "Namespace.CurrentUser");
  return std::make_shared<MemCurrentUser>(state_);
}

}  // namespace vellumo::mail
