#include "platform/mailclient/item_fields.h"

#include <span>

#include "base/text.h"

namespace vellumo::mail {
namespace {

constexpr std::string_view kEntryIdField = "EntryID";
constexpr std::string_view kOrganizationField = "Organization";

std::optional<std::string_view> FindIn(std::span<const std::string_view> names,
                                       std::string_view name) {
  for (std::string_view candidate : names) {
    if (text::EqualsText(candidate, name)) return candidate;
  }
  return std::nullopt;
}

std::span<const std::string_view> OwnProperties(ItemType type) {
  switch (type) {
    case ItemType::kMail:
      return kMailTextProperties;
    case ItemType::kContact:
      return kContactTextProperties;
    default:
      return {};
  }
}

}  // namespace

std::optional<std::string_view> CanonicalPropertyName(ItemType type, std::string_view name) {
  if (auto common = FindIn(kItemTextProperties, name)) return common;
  return FindIn(OwnProperties(type), name);
}

bool IsKnownField(std::string_view field) {
  return text::EqualsText(field, kEntryIdField) || text::EqualsText(field, kOrganizationField) ||
         CanonicalPropertyName(ItemType::kMail, field) ||
         CanonicalPropertyName(ItemType::kContact, field);
}

std::optional<std::string> ReadField(Item& item, std::string_view field) {
  if (text::EqualsText(field, kEntryIdField)) return item.EntryID();
  if (text::EqualsText(field, kOrganizationField)) field = prop::kCompanyName;
  if (auto name = CanonicalPropertyName(item.Type(), field)) return item.Property(*name);
  if (IsKnownField(field)) return std::string();
  return std::nullopt;
}

}  // namespace vellumo::mail
