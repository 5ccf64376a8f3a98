#include "localmail/item_codec.h"

#include <cctype>
#include <utility>

#include "base/error.h"
#include "base/text.h"

namespace vellumo::localmail {
namespace {

bool IsPlain(unsigned char c) {
  return std::isalnum(c) != 0 || c == '-' || c == '.' || c == '_' || c == '~' || c == '@';
}

std::string Escape(std::string_view s) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsPlain(c)) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A bad escape is kept as written.
std::string Unescape(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && Hex(s[i + 1]) >= 0 && Hex(s[i + 2]) >= 0) {
      out += static_cast<char>(Hex(s[i + 1]) * 16 + Hex(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

// The entries of a line, each split into its fields.
std::vector<std::vector<std::string>> Entries(std::string_view line) {
  std::vector<std::vector<std::string>> out;
  for (const std::string& entry : text::Split(line, ",")) {
    const std::string trimmed = text::Trim(entry);
    if (trimmed.empty()) continue;
    std::vector<std::string> fields;
    for (const std::string& field : text::Split(trimmed, ";")) fields.push_back(Unescape(field));
    out.push_back(std::move(fields));
  }
  return out;
}

bool IsKnownType(int type) {
  switch (static_cast<mail::UserPropertyType>(type)) {
    case mail::UserPropertyType::kText:
    case mail::UserPropertyType::kNumber:
    case mail::UserPropertyType::kDateTime:
    case mail::UserPropertyType::kYesNo:
    case mail::UserPropertyType::kKeywords:
      return true;
  }
  return false;
}

[[noreturn]] void OutOfRange(int index) {
  throw Error(ErrorCode::kSubscriptOutOfRange, "UserProperties(" + std::to_string(index) + ")");
}

class ListUserProperty final : public mail::UserProperty {
 public:
  ListUserProperty(std::shared_ptr<UserPropertyData> data, ListUserProperties::Check check,
                   std::function<void()> changed)
      : data_(std::move(data)), check_(std::move(check)), changed_(std::move(changed)) {}
  std::string Name() override { return check_("UserProperty.Name"), data_->name; }
  mail::UserPropertyType Type() override { return check_("UserProperty.Type"), data_->type; }
  std::string Value() override { return check_("UserProperty.Value"), data_->value; }
  void SetValue(std::string_view value) override {
    check_("UserProperty.SetValue");
    data_->value = std::string(value);
    changed_();
  }

 private:
  std::shared_ptr<UserPropertyData> data_;
  ListUserProperties::Check check_;
  std::function<void()> changed_;
};

}  // namespace

std::string EncodeUserProperties(const UserPropertyList& list) {
  std::vector<std::string> entries;
  for (const auto& p : list) {
    entries.push_back(Escape(p->name) + ";" + std::to_string(static_cast<int>(p->type)) + ";" +
                      Escape(p->value));
  }
  return text::Join(entries, ", ");
}

UserPropertyList DecodeUserProperties(std::string_view line) {
  UserPropertyList list;
  for (const auto& fields : Entries(line)) {
    if (fields.size() != 3 || fields[0].empty()) continue;
    const int type = static_cast<int>(text::Val(fields[1]));
    list.push_back(std::make_shared<UserPropertyData>(
        UserPropertyData{fields[0],
                         IsKnownType(type) ? static_cast<mail::UserPropertyType>(type)
                                           : mail::UserPropertyType::kText,
                         fields[2]}));
  }
  return list;
}

std::string EncodeLinks(const std::vector<LinkData>& links) {
  std::vector<std::string> entries;
  for (const LinkData& link : links)
    entries.push_back(Escape(link.entry_id) + ";" + Escape(link.name));
  return text::Join(entries, ", ");
}

std::vector<LinkData> DecodeLinks(std::string_view line) {
  std::vector<LinkData> links;
  for (const auto& fields : Entries(line)) {
    if (fields.empty() || fields[0].empty() || fields.size() > 2) continue;
    links.push_back({fields[0], fields.size() > 1 ? fields[1] : std::string()});
  }
  return links;
}

std::string EncodeList(const std::vector<std::string>& values) {
  std::vector<std::string> entries;
  for (const std::string& value : values) entries.push_back(Escape(value));
  return text::Join(entries, ", ");
}

std::vector<std::string> DecodeList(std::string_view line) {
  std::vector<std::string> values;
  for (const auto& fields : Entries(line)) {
    if (fields.size() == 1 && !fields[0].empty()) values.push_back(fields[0]);
  }
  return values;
}

ListUserProperties::ListUserProperties(std::shared_ptr<UserPropertyList> list, Check check,
                                       std::function<void()> changed)
    : list_(std::move(list)), check_(std::move(check)), changed_(std::move(changed)) {}

std::shared_ptr<mail::UserProperty> ListUserProperties::Wrap(
    const std::shared_ptr<UserPropertyData>& data) {
  return std::make_shared<ListUserProperty>(data, check_, changed_);
}

int ListUserProperties::Count() {
  check_("UserProperties.Count");
  return static_cast<int>(list_->size());
}

std::shared_ptr<mail::UserProperty> ListUserProperties::Item(int index) {
  check_("UserProperties.Item");
  if (index < 1 || static_cast<size_t>(index) > list_->size()) OutOfRange(index);
  return Wrap((*list_)[static_cast<size_t>(index) - 1]);
}

std::shared_ptr<mail::UserProperty> ListUserProperties::Find(std::string_view name) {
  check_("UserProperties.Find");
  for (const auto& p : *list_) {
    if (text::EqualsText(p->name, name)) return Wrap(p);
  }
  return nullptr;
}

std::shared_ptr<mail::UserProperty> ListUserProperties::Add(std::string_view name,
                                                            mail::UserPropertyType type) {
  check_("UserProperties.Add");
  if (text::Trim(name).empty()) throw Error(ErrorCode::kInvalidCall, "UserProperties.Add");
  for (const auto& p : *list_) {
    if (text::EqualsText(p->name, name)) return Wrap(p);
  }
  auto data = std::make_shared<UserPropertyData>(UserPropertyData{std::string(name), type, {}});
  list_->push_back(data);
  changed_();
  return Wrap(data);
}

void ListUserProperties::Remove(int index) {
  check_("UserProperties.Remove");
  if (index < 1 || static_cast<size_t>(index) > list_->size()) OutOfRange(index);
  list_->erase(list_->begin() + (index - 1));
  changed_();
}

}  // namespace vellumo::localmail
