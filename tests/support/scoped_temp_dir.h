// A fresh folder below the system's temporary folder ($TMPDIR, else /tmp) for one test, removed
// with everything in it when the object goes, also when the test failed or threw.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vellumo::test_support {

class ScopedTempDir {
 public:
  // Makes PREFIX-XXXXXX (mkdtemp: a new, private folder each time). Throws std::runtime_error
  // naming the folder and the reason when it cannot; a fixture's failure then fails the test.
  explicit ScopedTempDir(std::string_view prefix = "vellumo-test");
  // Removes the folder; a folder that cannot be removed is left behind, never a test failure.
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace vellumo::test_support
