#include "tests/support/registry_dump.h"

namespace vellumo::test_support {

std::string RegistryDump(Registry& registry, std::string_view key) {
  const std::string path(key);
  std::string out = path + "\n";
  for (const auto& [name, value] : registry.Values(path)) {
    out += "  " + name + "=" + std::to_string(value.type) + ":" + value.AsText() + "\n";
  }
  for (const std::string& sub : registry.SubKeys(path)) {
    out += RegistryDump(registry, path + "\\" + sub);
  }
  return out;
}

std::string RegistryDump(Registry& registry) {
  return RegistryDump(registry, "HKEY_CURRENT_USER") + RegistryDump(registry, "HKEY_CLASSES_ROOT");
}

}  // namespace vellumo::test_support
