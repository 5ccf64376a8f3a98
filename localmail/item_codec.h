// The item properties that have no place of their own in a MIME message or a vCard, written as
// one line of text each (kept in an X-Vellumo-* header or an X-VELLUMO-* vCard property), and the
// UserProperties collection both item kinds share.
//
// Lists are entries joined by ','; an entry's fields are joined by ';' and percent-escaped
// (everything but letters, digits and "-._~@"), so any text survives and the line stays ASCII.
// Decoding skips entries that are not well formed (a hand-edited header), never failing.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mailclient/items.h"

namespace vellumo::localmail {

struct UserPropertyData {
  std::string name;
  mail::UserPropertyType type = mail::UserPropertyType::kText;
  std::string value;
};
using UserPropertyList = std::vector<std::shared_ptr<UserPropertyData>>;

std::string EncodeUserProperties(const UserPropertyList& list);
UserPropertyList DecodeUserProperties(std::string_view line);

struct LinkData {
  std::string entry_id;
  std::string name;
};
std::string EncodeLinks(const std::vector<LinkData>& links);
std::vector<LinkData> DecodeLinks(std::string_view line);

// Comma-separated addresses (the envelope recipients of a message).
std::string EncodeList(const std::vector<std::string>& values);
std::vector<std::string> DecodeList(std::string_view line);

// The UserProperties of an item. check runs before every member with the member's name and
// throws when the item no longer answers; changed runs after every change, so the item knows to
// write the list back when it is saved. The list is the item's own (shared, not copied).
class ListUserProperties final : public mail::UserProperties {
 public:
  using Check = std::function<void(std::string_view member)>;
  ListUserProperties(std::shared_ptr<UserPropertyList> list, Check check,
                     std::function<void()> changed);

  int Count() override;
  std::shared_ptr<mail::UserProperty> Item(int index) override;
  std::shared_ptr<mail::UserProperty> Find(std::string_view name) override;
  std::shared_ptr<mail::UserProperty> Add(std::string_view name,
                                          mail::UserPropertyType type) override;
  void Remove(int index) override;

 private:
  std::shared_ptr<mail::UserProperty> Wrap(const std::shared_ptr<UserPropertyData>& data);

  std::shared_ptr<UserPropertyList> list_;
  Check check_;
  std::function<void()> changed_;
};

}  // namespace vellumo::localmail
