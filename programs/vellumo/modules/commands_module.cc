// Every command of the program as a module of its own (module_abi.h): the mail client, the
// composition engine and the windows, with the MIME and HTML libraries they need.
#include "programs/vellumo/command_line.h"
#include "programs/vellumo/modules/module_abi.h"

namespace {

const vellumo::program::CommandsModule kModule{
    vellumo::program::kModuleAbi, vellumo::kVersion.data(), vellumo::program::RunAllCommands};

}  // namespace

extern "C" __attribute__((visibility("default"))) const vellumo::program::CommandsModule*
vellumo_commands_module() {
  return &kModule;
}
