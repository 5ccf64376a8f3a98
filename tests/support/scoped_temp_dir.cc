#include "tests/support/scoped_temp_dir.h"

#include <stdlib.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <system_error>

namespace vellumo::test_support {

ScopedTempDir::ScopedTempDir(std::string_view prefix) {
  std::filesystem::path below;
  try {
    below = std::filesystem::temp_directory_path();
  } catch (const std::filesystem::filesystem_error& error) {
    // The library's message does not say which folder it tried.
    const char* tmpdir = std::getenv("TMPDIR");
    throw std::runtime_error("no temporary folder for " + std::string(prefix) + "-XXXXXX (TMPDIR=" +
                             (tmpdir != nullptr ? tmpdir : "") + "): " + error.what());
  }
  std::string pattern = (below / (std::string(prefix) + "-XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot make the temporary folder " + pattern + ": " +
                             std::strerror(errno));
  }
  path_ = pattern;
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace vellumo::test_support
