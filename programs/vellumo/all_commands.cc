// The whole command line, every command: run by the commands module (modules/module_abi.h),
// which the program loads for any command but the registry ones.
#include <algorithm>
#include <array>
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

// Each command's words with the function that adds them, in the order the help lists them.
// Building the whole command tree takes a mail command about a tenth of its instructions, so a
// command line that names one of these words builds only its group; anything else (help, a
// misspelt word) builds them all and reads as before.
struct CommandGroup {
  void (*add)(CLI::App& app, CommandContext& context);
  std::array<std::string_view, 8> words;
};
constexpr CommandGroup kCommandGroups[] = {
    {AddSettingsCommands, {"settings"}},
    {AddRegeditCommand, {"regedit"}},
    {AddMailCommands,
     {"preview", "send", "sendmail", "folders", "items", "show", "contacts", "transport"}},
    {AddComposeCommand, {"compose"}},
    {AddMarketingCommands, {"marketing"}},
    {AddAddInCommands, {"register", "unregister", "toolbar"}},
    {AddSignatureCommands, {"signatures"}},
    {AddOptionsCommand, {"options"}},
    {AddProfileAssistantCommand, {"profile-assistant"}},
};

void AddCommands(CLI::App& app, CommandContext& context, std::string_view word) {
  if (!word.empty()) {
    for (const CommandGroup& group : kCommandGroups) {
      if (std::find(group.words.begin(), group.words.end(), word) != group.words.end()) {
        group.add(app, context);
        return;
      }
    }
  }
  for (const CommandGroup& group : kCommandGroups) group.add(app, context);
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
  AddCommands(app, context, CommandWord(argc, argv));
  return ParseAndRun(app, context, argc, argv);
}

}  // namespace vellumo::program
