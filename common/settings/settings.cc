#include "common/settings/settings.h"

#include <utility>
#include "base/error.h"

namespace vellumo {
namespace {

// An application or section name is one registry key name; an empty one would address the parent.
void RequireName(std::string_view what, std::string_view name) {
  if (name.empty()) throw Error(ErrorCode::kInvalidCall, std::string(what) + " name is empty");
}

// The key path of an application's section (either may be empty), written into path.
void WriteKeyPath(std::string& path, std::string_view application, std::string_view section) {
  path.assign(Settings::kRoot);
  if (!application.empty()) path.append("\\").append(application);
  if (!section.empty()) path.append("\\").append(section);
}

}  // namespace

std::string Settings::KeyPath(std::string_view application, std::string_view section) {
  std::string path;
  WriteKeyPath(path, application, section);
  return path;
}

std::string Settings::GetSetting(std::string_view application, std::string_view section,
                                 std::string_view key, std::string_view default_value) const {
  std::optional<std::string> value = Find(application, section, key);
  return value ? *std::move(value) : std::string(default_value);
}

std::optional<std::string> Settings::Find(const SettingKey& key) const {
  return Find(key.application, key.section, key.name);
}

std::optional<std::string> Settings::Find(std::string_view application, std::string_view section,
                                          std::string_view key) const {
  if (application.empty() || section.empty()) return std::nullopt;
  // Reads come by the hundred in a send: the path is built in a buffer kept for the thread.
  thread_local std::string path;
  WriteKeyPath(path, application, section);
  std::optional<RegValue> value = registry_.GetValue(path, key);
  if (!value) return std::nullopt;
  return value->AsText();
}

void Settings::SaveSetting(std::string_view application, std::string_view section,
                           std::string_view key, std::string_view value) {
  RequireName("Application", application);
  RequireName("Section", section);
  registry_.SetValue(KeyPath(application, section), key, RegValue::String(std::string(value)));
}

void Settings::SetAll(const std::vector<std::pair<const SettingKey*, std::string>>& values) {
  std::vector<RegOp> ops;
  ops.reserve(values.size());
  for (const auto& [key, value] : values) {
    RegOp op{RegOp::Kind::kSetValue, KeyPath(key->application, key->section),
             std::string(key->name), RegValue::String(value)};
    try {
      CheckKeyLimits(NormalizeKeyPath(op.key));
      CheckValueLimits(op.name, op.value);
    } catch (const Error& e) {
      throw Error(e.code(), std::string(key->name) + ": " + e.detail());
    }
    ops.push_back(std::move(op));
  }
  registry_.Apply(ops);
}

void Settings::DeleteSetting(std::string_view application, std::string_view section) {
  RequireName("Application", application);
  RequireName("Section", section);
  registry_.DeleteKeyTree(KeyPath(application, section));
}

std::vector<std::string> Settings::Applications() const { return registry_.SubKeys(kRoot); }

std::vector<std::string> Settings::Sections(std::string_view application) const {
  if (application.empty()) return {};
  return registry_.SubKeys(KeyPath(application));
}

std::vector<std::pair<std::string, std::string>> Settings::Keys(std::string_view application,
                                                                std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> keys;
  if (application.empty() || section.empty()) return keys;
  for (auto& [name, value] : registry_.Values(KeyPath(application, section))) {
    keys.emplace_back(name, value.AsText());
  }
  return keys;
}

}  // namespace vellumo
