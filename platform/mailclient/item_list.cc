#include "platform/mailclient/item_list.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "platform/mailclient/filter.h"
#include "platform/mailclient/item_fields.h"

namespace vellumo::mail {
namespace {

// "[FullName]" and "FullName" name the same field.
std::string FieldName(std::string_view property) {
  std::string name = text::Trim(property);
  if (name.size() >= 2 && name.front() == '[' && name.back() == ']') {
    name = text::Trim(std::string_view(name).substr(1, name.size() - 2));
  }
  return name;
}

}  // namespace

ItemList::ItemList(std::vector<std::shared_ptr<mail::Item>> items, Adder add, MemberHook hook)
    : items_(std::move(items)), add_(std::move(add)), hook_(std::move(hook)) {}

void ItemList::Hook(std::string_view member) {
  if (hook_) hook_(std::string("Items.") + std::string(member));
}

int ItemList::Count() {
  Hook("Count");
  return static_cast<int>(items_.size());
}

std::shared_ptr<mail::Item> ItemList::Item(int index) {
  Hook("Item");
  if (index < 1 || static_cast<size_t>(index) > items_.size()) {
    throw Error(ErrorCode::kSubscriptOutOfRange, "Items(" + std::to_string(index) + ")");
  }
  return items_[static_cast<size_t>(index) - 1];
}

std::shared_ptr<mail::Item> ItemList::GetFirst() {
  Hook("GetFirst");
  cursor_ = 0;
  if (items_.empty()) return nullptr;
  return items_[cursor_++];
}

std::shared_ptr<mail::Item> ItemList::GetNext() {
  Hook("GetNext");
  if (cursor_ >= items_.size()) return nullptr;
  return items_[cursor_++];
}

void ItemList::Sort(std::string_view property, bool descending) {
  Hook("Sort");
  const std::string field = FieldName(property);
  if (!IsKnownField(field)) throw Error("Cannot sort by the unknown field [" + field + "]");
  // Read every key first, so a failing item leaves the order untouched.
  std::vector<std::string> keys;
  keys.reserve(items_.size());
  for (const auto& item : items_) keys.push_back(text::FoldCase(ReadField(*item, field).value()));
  std::vector<size_t> order(items_.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return descending ? keys[b] < keys[a] : keys[a] < keys[b];
  });
  std::vector<std::shared_ptr<mail::Item>> sorted;
  sorted.reserve(items_.size());
  for (size_t i : order) sorted.push_back(items_[i]);
  items_ = std::move(sorted);
  cursor_ = 0;
}

bool ItemList::IncludeRecurrences() {
  Hook("IncludeRecurrences");
  return include_recurrences_;
}

void ItemList::SetIncludeRecurrences(bool value) {
  Hook("SetIncludeRecurrences");
  include_recurrences_ = value;
}

std::shared_ptr<mail::Items> ItemList::Restrict(std::string_view filter_text) {
  Hook("Restrict");
  const Filter filter = Filter::Parse(filter_text);
  // Checked up front so a misspelt field fails the same way in an empty folder.
  filter.Validate(IsKnownField);
  std::vector<std::shared_ptr<mail::Item>> kept;
  for (const auto& item : items_) {
    const bool match =
        filter.Matches([&](std::string_view field) { return ReadField(*item, field); });
    if (match) kept.push_back(item);
  }
  return std::make_shared<ItemList>(std::move(kept), add_, hook_);
}

std::shared_ptr<mail::Item> ItemList::Add(ItemType type) {
  Hook("Add");
  if (!add_) throw Error(ErrorCode::kNotSupported, "Items.Add");
  return add_(type);
}

}  // namespace vellumo::mail
