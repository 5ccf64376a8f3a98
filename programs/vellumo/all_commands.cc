// The whole command line, every command: run by the commands module (modules/module_abi.h),
// which the program loads for any command but the registry ones.
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "programs/vellumo/command_line.h"

namespace vellumo::program {
namespace {

// Started under the name profile-assistant (the set-up program the add-in and the options page
// start): the words become those of `vellumo profile-assistant`.
std::vector<char*> ProgramNameWords(int argc, char** argv) {
  static char kCommand[] = "profile-assistant";
  std::vector<char*> words(argv, argv + argc);
  const std::string_view name = argc > 0 ? std::string_view(argv[0]) : std::string_view();
  const size_t slash = name.rfind('/');
  if (name.substr(slash == std::string_view::npos ? 0 : slash + 1) == kCommand) {
    words.insert(words.begin() + 1, kCommand);
  }
  return words;
}

}  // namespace

int RunAllCommands(int argc, char** argv) {
  std::vector<char*> program_words = ProgramNameWords(argc, argv);
  argc = static_cast<int>(program_words.size());
  argv = program_words.data();
  CommandContext context;
  if (auto words = SendmailWords(argc, argv, context.home_option)) {
    try {
      return RunSendmailCommand(context, *words);
    } catch (const std::exception& e) {
      std::cerr << "sendmail: " << e.what() << '\n';
      return kExitSendmailTempFail;
    }
  }
  CLI::App app{kProgramTitle};
  app.require_subcommand(1);
  AddHomeOption(app, context);
  AddSettingsCommands(app, context);
  AddRegeditCommand(app, context);
  AddMailCommands(app, context);
  AddComposeCommand(app, context);
  AddMarketingCommands(app, context);
  AddAddInCommands(app, context);
  AddSignatureCommands(app, context);
  AddOptionsCommand(app, context);
  AddProfileAssistantCommand(app, context);
  return ParseAndRun(app, context, argc, argv);
}

}  // namespace vellumo::program
