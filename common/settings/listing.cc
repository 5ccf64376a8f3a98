#include "common/settings/listing.h"

#include <optional>

#include "base/text.h"
#include "common/settings/keys.h"

namespace vellumo {
namespace {

bool Matches(std::string_view filter, std::string_view name) {
  return filter.empty() || text::LCase(filter) == text::LCase(name);
}

}  // namespace

std::string ListField(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

std::string ListKnownKeys(const Settings& settings, std::string_view application,
                          std::string_view section) {
  std::string out;
  for (const SettingKey* key : keys::KnownKeys()) {
    if (!Matches(application, key->application) || !Matches(section, key->section)) continue;
    const std::optional<std::string> stored = settings.Find(*key);
    for (std::string_view field : {key->application, key->section, key->name, key->default_value}) {
      out.append(ListField(field)).push_back('\t');
    }
    out.append(ListField(stored ? *stored : key->default_value)).push_back('\t');
    out.append(stored ? "stored" : "default").push_back('\t');
    out.append(ListField(key->description)).push_back('\n');
  }
  return out;
}

}  // namespace vellumo
