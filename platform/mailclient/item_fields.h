// Item fields by name: which text properties an item type answers, and how Restrict and Sort
// read a field of any item.
//
// Shared by every client implementation so that names resolve alike everywhere: ignoring case,
// to the spelling of the property tables in items.h. Restrict and Sort also know "EntryID" and
// "Organization" (the company name, as the send-to-many conditions offer it).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/mailclient/items.h"
#include "platform/mailclient/object.h"

namespace vellumo::mail {

// The table spelling of a text property that items of type answer (kItemTextProperties and the
// type's own list), or nullopt when they have none of that name.
std::optional<std::string_view> CanonicalPropertyName(ItemType type, std::string_view name);

// True when some item type has the field, so Restrict and Sort accept it.
bool IsKnownField(std::string_view field);

// The field's text on item: its property, EntryID, or "" when the field belongs to another item
// type (a contact field on a mail item). nullopt when no item type knows the field. The item's
// failures pass through.
std::optional<std::string> ReadField(Item& item, std::string_view field);

}  // namespace vellumo::mail
