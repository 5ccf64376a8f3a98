// The integration tests find the built program through VELLUMO_BIN. When the runner does not set
// it (running the binary by hand), it defaults to this build's program.
#include <cstdlib>

namespace {

const bool kDefaultsSet = [] {
  setenv("VELLUMO_BIN", VELLUMO_DEFAULT_BIN, /*overwrite=*/0);
  return true;
}();

}  // namespace
