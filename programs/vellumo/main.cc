// vellumo: the mail client host with the Vellumo add-in, and the tools around its settings.
// The registry commands (`settings`, `regedit`) run here with nothing but the registry loaded:
// they are what scripts call most, and a start that maps the MIME, HTML and mail libraries would
// cost them several times their work. Every other command runs in the commands module
// (modules/module_abi.h), loaded from beside the program or the install's library folder.
// Exit codes: 0 done, 1 failed (message on standard error), 2 usage error; sendmail's own.
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "posix/shared_module.h"
#include "programs/vellumo/command_line.h"
#include "programs/vellumo/modules/module_abi.h"

namespace vellumo::program {
namespace {

int RunRegistryCommands(int argc, char** argv) {
  CommandContext context;
  CLI::App app{kProgramTitle};
  app.require_subcommand(1);
  AddHomeOption(app, context);
  AddSettingsCommands(app, context);
  AddRegeditCommand(app, context);
  return ParseAndRun(app, context, argc, argv);
}

bool StartedAs(char** argv, std::string_view name) {
  return argv[0] != nullptr && std::filesystem::path(argv[0]).filename() == name;
}

}  // namespace
}  // namespace vellumo::program

int main(int argc, char** argv) {
  using namespace vellumo::program;
  if (argc > 0 && !StartedAs(argv, "profile-assistant") && IsRegistryCommand(argc, argv)) {
    return RunRegistryCommands(argc, argv);
  }
  // The module stays loaded until the process ends: its objects and static destructors live
  // until exit, like the program's own.
  std::unique_ptr<vellumo::SharedModule> module;
  const CommandsModule* commands = nullptr;
  try {
    const std::string exe_dir = std::filesystem::path(SelfExe()).parent_path().string();
    commands = OpenCommandsModule(ModuleDirs(exe_dir), module);
  } catch (const std::exception& e) {
    std::string home_option;
    const bool sendmail = SendmailWords(argc, argv, home_option).has_value();
    std::cerr << (sendmail ? "sendmail: " : "vellumo: ") << e.what() << '\n';
    return sendmail ? kExitSendmailTempFail : kExitFailure;
  }
  return commands->run(argc, argv);
}
