// A registry's content as text, so a test can compare two registries, or one before and after,
// with one EXPECT_EQ and see the difference in the failure.
#pragma once

#include <string>
#include <string_view>

#include "platform/registry.h"

namespace vellumo::test_support {

// The key, then each value as "  NAME=TYPE:TEXT", then each subkey the same way, one line each,
// in the order the registry lists them. Equal dumps: equal keys, values and types.
std::string RegistryDump(Registry& registry, std::string_view key);
// The dumps of HKEY_CURRENT_USER and HKEY_CLASSES_ROOT, the roots a registry file may write.
std::string RegistryDump(Registry& registry);

}  // namespace vellumo::test_support
