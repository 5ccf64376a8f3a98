// Registry files come from administrators and other programs: parsing one must never crash, and
// whatever parses must survive an export and a re-import unchanged.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/error.h"
#include "platform/mem_registry.h"
#include "platform/reg_file.h"

namespace {

// Every key below path, with its values, compared key by key.
bool SameTree(vellumo::Registry& a, vellumo::Registry& b, const std::string& path) {
  if (a.Values(path) != b.Values(path)) return false;
  const std::vector<std::string> subkeys = a.SubKeys(path);
  if (subkeys != b.SubKeys(path)) return false;
  for (const std::string& sub : subkeys) {
    if (!SameTree(a, b, path + "\\" + sub)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  vellumo::MemRegistry registry;
  try {
    vellumo::ImportRegFile(registry, bytes, "fuzz.reg");
  } catch (const vellumo::Error&) {
    return 0;  // refused with a message: fine
  }
  for (const char* root : {"HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT"}) {
    vellumo::MemRegistry again;
    try {
      vellumo::ImportRegFile(again, vellumo::ExportRegFile(registry, root), "export.reg");
    } catch (const vellumo::Error& e) {
      std::fprintf(stderr, "an exported file was refused: %s\n", e.what());
      std::abort();
    }
    if (!SameTree(registry, again, root)) {
      std::fprintf(stderr, "export and re-import changed the registry below %s\n", root);
      std::abort();
    }
  }
  return 0;
}
