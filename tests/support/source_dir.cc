#include "tests/support/source_dir.h"

#include <cstdlib>

namespace vellumo::test_support {

namespace {

std::string EnvOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

std::filesystem::path SourceDir() {
  const std::string dir = EnvOrEmpty("VELLUMO_SOURCE_DIR");
  if (dir.empty()) return VELLUMO_DEFAULT_SOURCE_DIR;
  return dir;
}

std::filesystem::path RealWorldDir() {
  const std::string dir = EnvOrEmpty("VELLUMO_REALWORLD_DIR");
  if (!dir.empty()) return dir;
  return ((SourceDir() / "..").lexically_normal() / "shared" / "realworld");
}

std::string NoRealWorldInputs(const std::filesystem::path& folder) {
  return "no real-world inputs in " + folder.string() +
         " (set VELLUMO_REALWORLD_DIR to the folder that holds them)";
}

}  // namespace vellumo::test_support
