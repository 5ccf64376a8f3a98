#include "posix/shared_module.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include "base/error.h"

namespace vellumo {
namespace {

std::string LoaderError() {
  const char* reason = dlerror();
  return reason ? std::string(reason) : std::string("unknown reason");
}

}  // namespace

std::unique_ptr<SharedModule> SharedModule::Load(const std::string& path) {
  // RTLD_LOCAL: a module's symbols stay its own and never stand in for the program's.
  // RTLD_LAZY: of the thousands of calls the module and its libraries could make, a command makes
  // a few hundred; binding them all at load cost each send about 0.3 ms. A module is linked with
  // --no-undefined and its libraries' versions are checked here, so nothing is left to fail at a
  // call.
  void* handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
  if (handle == nullptr) throw Error("Cannot load " + path + ": " + LoaderError());
  return std::unique_ptr<SharedModule>(new SharedModule(handle, path));
}

std::unique_ptr<SharedModule> SharedModule::Open(std::string_view file,
                                                 const std::vector<std::string>& dirs) {
  std::string searched;
  for (const std::string& dir : dirs) {
    if (dir.empty()) continue;
    const std::string path = dir + (dir.back() == '/' ? "" : "/") + std::string(file);
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return Load(path);
    searched += (searched.empty() ? "" : ", ") + dir;
  }
  throw Error("Cannot find " + std::string(file) + " (looked in " +
              (searched.empty() ? std::string("no folder") : searched) +
              "); the program's installation is incomplete");
}

void* SharedModule::Symbol(const char* name) const {
  dlerror();
  void* address = dlsym(handle_, name);
  if (address == nullptr) {
    throw Error("Cannot use " + path_ + ": it has no " + std::string(name) + " (" + LoaderError() +
                ")");
  }
  return address;
}

}  // namespace vellumo
