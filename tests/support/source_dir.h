// Where tests find the source tree and the real-world sample inputs.
#pragma once

#include <filesystem>
#include <string>

namespace vellumo::test_support {

// The source tree: VELLUMO_SOURCE_DIR when set and not empty, else the tree this build was
// configured from (so a test program run by hand finds it too).
std::filesystem::path SourceDir();

// The real-world inputs (eml/, html/, reg/, vcf/): VELLUMO_REALWORLD_DIR when set and not empty,
// else the folder shared/realworld beside the source tree (../shared/realworld). The folder may
// be missing: a test that needs it skips with NoRealWorldInputs.
std::filesystem::path RealWorldDir();

// The skip message of a test whose real-world inputs are not in folder; it names
// VELLUMO_REALWORLD_DIR so the reader knows how to point the test at them.
std::string NoRealWorldInputs(const std::filesystem::path& folder);

}  // namespace vellumo::test_support
