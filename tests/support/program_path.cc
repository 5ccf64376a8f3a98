// The integration tests find the built programs through VELLUMO_BIN and the sources through
// VELLUMO_SOURCE_DIR. When the runner does not set them (ctest, or running the binary by hand),
// they default to the paths of this build.
#include <cstdlib>

namespace {

const bool kDefaultsSet = [] {
  setenv("VELLUMO_BIN", VELLUMO_DEFAULT_BIN, /*overwrite=*/0);
  setenv("VELLUMO_SOURCE_DIR", VELLUMO_DEFAULT_SOURCE_DIR, /*overwrite=*/0);
  return true;
}();

}  // namespace
