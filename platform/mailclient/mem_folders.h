// The in-memory folders and namespace of MemApplication.
//
// A MemFolder keeps its sub-folders in creation order and its saved items in the order they
// were first saved. Members check the application's failure plan under "Folder.<member>",
// "Folders.<member>", "Namespace.<member>" and, for the Items collections they hand out,
// "Items.<member>". The set-up members (AddFolder, AddContact, AddMail, ...) never fail that way.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/mailclient/folders.h"
#include "platform/mailclient/mem_items.h"
#include "platform/mailclient/mem_state.h"

namespace vellumo::mail {

// Property name and value pairs for set-up.
using MemProperties = std::initializer_list<std::pair<std::string_view, std::string_view>>;

class MemFolder final : public Folder, public std::enable_shared_from_this<MemFolder> {
 public:
  // parent nullptr: a store's root (or the hidden list of stores when is_store_list).
  MemFolder(std::weak_ptr<MemState> state, std::string name, ItemType default_item_type,
            std::shared_ptr<MemFolder> parent, bool is_store_list = false);

  std::string Name() override;
  std::string EntryID() override;
  std::shared_ptr<mail::Folders> Folders() override;
  std::shared_ptr<mail::Items> Items() override;
  ItemType DefaultItemType() override;
  std::shared_ptr<Folder> Parent() override;

  // Set-up. A name in use (ignoring case), empty or with "/" or "\": Error(kInvalidCall).
  std::shared_ptr<MemFolder> AddFolder(std::string_view name, ItemType default_item_type);
  // The sub-folder of that name (ignoring case), or nullptr.
  std::shared_ptr<MemFolder> SubFolder(std::string_view name) const;
  // A saved contact / mail with these text properties (unknown names: Error(kNotSupported)).
  // A mail added this way counts as received (Sent() is true).
  std::shared_ptr<MemContactItem> AddContact(MemProperties properties);
  std::shared_ptr<MemMailItem> AddMail(MemProperties properties);

  // What the folder holds now.
  const std::vector<std::shared_ptr<MemFolder>>& folders() const { return children_; }
  const std::vector<std::shared_ptr<Item>>& items() const { return items_; }
  const std::string& name() const { return name_; }

  // For the items: file an item (once; later calls keep its place) or take it out.
  void File(const std::shared_ptr<Item>& item);
  void Unfile(const Item* item);

 private:
  std::shared_ptr<MemState> Check(std::string_view member);

  std::weak_ptr<MemState> state_;
  std::string name_;
  std::string entry_id_;
  ItemType default_item_type_;
  std::weak_ptr<MemFolder> parent_;
  bool is_store_list_;
  std::vector<std::shared_ptr<MemFolder>> children_;
  std::vector<std::shared_ptr<Item>> items_;
};

class MemNamespace final : public Namespace {
 public:
  explicit MemNamespace(std::weak_ptr<MemState> state) : state_(std::move(state)) {}

  std::shared_ptr<Folder> GetDefaultFolder(DefaultFolder folder) override;
  std::shared_ptr<mail::Folders> Folders() override;
  std::shared_ptr<Recipient> CurrentUser() override;

 private:
  std::weak_ptr<MemState> state_;
};

}  // namespace vellumo::mail
