#include "programs/vellumo/command_line.h"

#include <exception>
#include <iostream>
#include <string_view>

namespace vellumo::program {

RealPlatform& CommandContext::Platform() {
  if (!platform_) platform_ = std::make_unique<RealPlatform>(ResolveHome(home_option));
  return *platform_;
}

void AddHomeOption(CLI::App& app, CommandContext& context) {
  app.add_option("--home", context.home_option,
                 "the user's home folder (default: $VELLUMO_HOME, else $XDG_DATA_HOME/vellumo)");
}

int ParseAndRun(CLI::App& app, const CommandContext& context, int argc, char** argv) {
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kExitUsage;
  } catch (const std::exception& e) {
    std::cerr << "vellumo: " << e.what() << '\n';
    return kExitFailure;
  }
  return context.exit_code;
}

namespace {

// Visits the words before the command, storing --home's value; returns the command's index, or
// argc when there is none (or an option other than --home comes first).
int CommandIndex(int argc, char** argv, std::string& home_option) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i];
    if (word == "--home" && i + 1 < argc) {
      home_option = argv[++i];
    } else if (word.starts_with("--home=")) {
      home_option = std::string(word.substr(7));
    } else if (word.starts_with("-")) {
      return argc;
    } else {
      return i;
    }
  }
  return argc;
}

}  // namespace

std::optional<std::vector<std::string>> SendmailWords(int argc, char** argv,
                                                      std::string& home_option) {
  const int command = CommandIndex(argc, argv, home_option);
  if (command == argc || std::string_view(argv[command]) != "sendmail") return std::nullopt;
  return std::vector<std::string>(argv + command + 1, argv + argc);
}

std::string_view CommandWord(int argc, char** argv) {
  std::string home_option;
  const int command = CommandIndex(argc, argv, home_option);
  return command == argc ? std::string_view() : std::string_view(argv[command]);
}

bool IsRegistryCommand(int argc, char** argv) {
  const std::string_view word = CommandWord(argc, argv);
  return word == "settings" || word == "regedit";
}

}  // namespace vellumo::program
