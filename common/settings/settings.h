// Settings: the per-user settings store every deliverable shares.
//
// Values are strings addressed by application, section and key, kept in the registry under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>. Names are
// case-insensitive ("template" and "Template" are one value). Readers pass their own default;
// reading never creates anything. Each write is one registry transaction, so several processes
// may share one store. Failures of the registry throw vellumo::Error.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/registry.h"

namespace vellumo {

// One known setting: where it is kept, what a reader gets when nothing is stored, and a line for
// the administrator who reads the listing. The rows are in common/settings/keys.h.
struct SettingKey {
  std::string_view application;
  std::string_view section;
  std::string_view name;
  std::string_view default_value;
  std::string_view description;
};

class Settings {
 public:
  static constexpr std::string_view kRoot =
      "HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings";

  explicit Settings(Registry& registry) : registry_(registry) {}

  // The stored value, or default_value when the application, section or key is missing.
  // A value stored with another registry type reads as its text.
  std::string GetSetting(std::string_view application, std::string_view section,
                         std::string_view key, std::string_view default_value = {}) const;
  // Creates the section as needed and writes the value as a string.
  void SaveSetting(std::string_view application, std::string_view section, std::string_view key,
                   std::string_view value);
  // The stored value of a known key; nothing when the store does not hold it.
  std::optional<std::string> Find(const SettingKey& key) const;

  // The known-key forms of the two above: the row gives application, section, name and default.
  std::string Get(const SettingKey& key) const {
    return GetSetting(key.application, key.section, key.name, key.default_value);
  }
  // A switch is on only when its value is exactly "True" (not "true", not "1").
  bool IsTrue(const SettingKey& key) const { return Get(key) == "True"; }
  // What is stored, "" when nothing is: for reports that show what was set, not what applies.
  std::string Stored(const SettingKey& key) const {
    return GetSetting(key.application, key.section, key.name);
  }
  // The same name in another section of the row's application (a signature profile keeps the
  // profile fields under its own name), with the row's default.
  std::string GetInSection(const SettingKey& key, std::string_view section) const {
    return GetSetting(key.application, section, key.name, key.default_value);
  }
  void Set(const SettingKey& key, std::string_view value) {
    SaveSetting(key.application, key.section, key.name, value);
  }
  // Writes every value, in order, as one registry transaction: either all are stored or none is.
  // A value the registry would refuse is found before anything is written and throws
  // Error(kInvalidCall) whose detail starts with the key's name ("Signatures Path: ...").
  void SetAll(const std::vector<std::pair<const SettingKey*, std::string>>& values);
  // Removes the section with all its keys; a missing section is fine.
  void DeleteSetting(std::string_view application, std::string_view section);
  // Removes another section of the row's application (a named signature profile), as
  // GetInSection reads it.
  void DeleteSectionOf(const SettingKey& key, std::string_view section) {
    DeleteSetting(key.application, section);
  }

  // For listings: the sections of an application and the keys with values of a section.
  std::vector<std::string> Sections(std::string_view application) const;
  std::vector<std::pair<std::string, std::string>> Keys(std::string_view application,
                                                        std::string_view section) const;
  std::vector<std::string> Applications() const;

  static std::string KeyPath(std::string_view application, std::string_view section = {});

 private:
  std::optional<std::string> Find(std::string_view application, std::string_view section,
                                  std::string_view key) const;

  Registry& registry_;
};

// The application names of the system.
inline constexpr std::string_view kVellumo = "Vellumo";
inline constexpr std::string_view kSetupWiz = "Vellumo Setup Wiz";

}  // namespace vellumo
