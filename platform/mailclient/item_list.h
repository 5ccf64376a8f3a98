// ItemList: an Items collection over a list of items taken at one moment.
//
// What Folder::Items and Restrict hand out, in every client: the list is fixed when the
// collection is made (items saved later are not in it), the items themselves are live. Sort
// reorders this collection only; Restrict makes a new ItemList of the matching items that adds to
// the same folder. Members behave as items.h and folders.h state; the optional MemberHook is
// called with "Items.Restrict" and the like before each member.
#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/mailclient/folders.h"
#include "platform/mailclient/items.h"
#include "platform/mailclient/object.h"

namespace vellumo::mail {

class ItemList : public Items {
 public:
  // Makes a new item in the collection's folder (Items::Add); empty: Add fails kNotSupported.
  using Adder = std::function<std::shared_ptr<mail::Item>(ItemType)>;

  explicit ItemList(std::vector<std::shared_ptr<mail::Item>> items, Adder add = {},
                    MemberHook hook = {});

  int Count() override;
  std::shared_ptr<mail::Item> Item(int index) override;
  std::shared_ptr<mail::Item> GetFirst() override;
  std::shared_ptr<mail::Item> GetNext() override;
  void Sort(std::string_view property, bool descending) override;
  bool IncludeRecurrences() override;
  void SetIncludeRecurrences(bool value) override;
  std::shared_ptr<mail::Items> Restrict(std::string_view filter) override;
  std::shared_ptr<mail::Item> Add(ItemType type) override;

 private:
  void Hook(std::string_view member);

  std::vector<std::shared_ptr<mail::Item>> items_;
  Adder add_;
  MemberHook hook_;
  size_t cursor_ = 0;  // index of the next item GetNext returns
  bool include_recurrences_ = false;
};

}  // namespace vellumo::mail
