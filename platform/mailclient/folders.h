// Folders of the mail client, their item collections, and the "MAPI" namespace that leads to
// them.
//
// A namespace holds stores ("Personal Folders", "Public Folders"); each store is a tree of
// folders. An Items collection is a snapshot: it lists the folder's items as they were when
// Folder::Items (or Restrict) made it; items saved later need a new collection. The items in it
// are live objects. Collections count from 1. Every member may throw vellumo::Error. Not
// thread-safe.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/mailclient/items.h"
#include "platform/mailclient/object.h"

namespace vellumo::mail {

class Folders;

// The items of a folder (or what a Restrict kept of them), with a cursor for GetFirst/GetNext.
class Items : public Object {
 public:
  virtual int Count() = 0;
  // index from 1, in the collection's current order; outside 1..Count: Error(kSubscriptOutOfRange).
  virtual std::shared_ptr<mail::Item> Item(int index) = 0;
  // Moves the cursor to the first item and returns it; nullptr when the collection is empty.
  virtual std::shared_ptr<mail::Item> GetFirst() = 0;
  // Moves the cursor on and returns that item; nullptr past the end. Before any GetFirst the
  // cursor stands before the first item.
  virtual std::shared_ptr<mail::Item> GetNext() = 0;

  // Orders the collection by a property ("FullName" or "[FullName]"), comparing text ignoring
  // case; items with equal values keep their order. Resets the cursor. A property no item type
  // knows: Error naming it.
  virtual void Sort(std::string_view property, bool descending) = 0;
  // Kept for callers that set it; the model has no recurring items.
  virtual bool IncludeRecurrences() = 0;
  virtual void SetIncludeRecurrences(bool value) = 0;

  // A new collection of the items that match filter (see filter.h), in this collection's order.
  // A malformed filter or a field no item type knows: FilterError naming the character position;
  // nothing is returned.
  virtual std::shared_ptr<mail::Items> Restrict(std::string_view filter) = 0;

  // A new, unsaved item of type in the folder the collection belongs to. Not every collection
  // can: Error(kNotSupported).
  virtual std::shared_ptr<mail::Item> Add(ItemType type) = 0;
};

class Folder : public Object {
 public:
  virtual std::string Name() = 0;
  // The store's id for the folder; never empty.
  virtual std::string EntryID() = 0;
  // The folders directly below this one.
  virtual std::shared_ptr<mail::Folders> Folders() = 0;
  // A snapshot of the folder's saved items, in the store's order.
  virtual std::shared_ptr<mail::Items> Items() = 0;
  // What the folder holds (contacts folders: ItemType::kContact).
  virtual ItemType DefaultItemType() = 0;
  // The folder above; nullptr for a store's root folder.
  virtual std::shared_ptr<Folder> Parent() = 0;
};

class Folders : public Object {
 public:
  virtual int Count() = 0;
  // index from 1, in the store's order (the same on every call); outside 1..Count:
  // Error(kSubscriptOutOfRange).
  virtual std::shared_ptr<Folder> Item(int index) = 0;
  // The folder of that name, ignoring case; none: Error(kSubscriptOutOfRange, name).
  virtual std::shared_ptr<Folder> Item(std::string_view name) = 0;
  // Creates a folder below. An empty name, one with "/" or "\", or one in use (ignoring case):
  // Error(kInvalidCall).
  virtual std::shared_ptr<Folder> Add(std::string_view name, ItemType default_item_type) = 0;
};

// The "MAPI" namespace: the user's stores and identity.
class Namespace : public Object {
 public:
  // One of the user's standard folders in the default store; a folder the store lacks:
  // Error(kInvalidCall).
  virtual std::shared_ptr<Folder> GetDefaultFolder(DefaultFolder folder) = 0;
  // The stores' root folders ("Personal Folders", "Public Folders", ...).
  virtual std::shared_ptr<mail::Folders> Folders() = 0;
  // The user of the mail profile (Name, Address).
  virtual std::shared_ptr<Recipient> CurrentUser() = 0;
};

}  // namespace vellumo::mail
