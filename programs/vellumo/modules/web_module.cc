// The browser window layer as a module of its own (module_abi.h).
#include "programs/vellumo/modules/module_abi.h"
#include "web/web_host.h"

namespace {

std::unique_ptr<vellumo::ui::Host> MakeHost(vellumo::FileSystem& fs,
                                            vellumo::ui::WebHostOptions options) {
  return std::make_unique<vellumo::ui::WebHost>(fs, std::move(options));
}

const vellumo::program::WebModule kModule{vellumo::program::kModuleAbi, vellumo::kVersion.data(),
                                          MakeHost};

}  // namespace

extern "C" __attribute__((visibility("default"))) const vellumo::program::WebModule*
vellumo_web_module() {
  return &kModule;
}
