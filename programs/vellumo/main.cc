// vellumo: the mail client host with the Vellumo add-in, and the tools around its settings.
// Parses the command line, builds the real platform of the user's home and hands over.
// Exit codes: 0 done, 1 failed (message on standard error), 2 usage error.
#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "programs/vellumo/commands.h"

namespace vellumo::program {

RealPlatform& CommandContext::Platform() {
  if (!platform_) platform_ = std::make_unique<RealPlatform>(ResolveHome(home_option));
  return *platform_;
}

namespace {

// The words after `sendmail`, when that is the command: mail programs call it with sendmail's own
// option syntax ("-oi", "--", "-B8BITMIME"), which the general parser would refuse.
std::optional<std::vector<std::string>> SendmailWords(int argc, char** argv,
                                                      std::string& home_option) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i];
    if (word == "--home" && i + 1 < argc) {
      home_option = argv[++i];
    } else if (word.starts_with("--home=")) {
      home_option = std::string(word.substr(7));
    } else if (word == "sendmail") {
      return std::vector<std::string>(argv + i + 1, argv + argc);
    } else {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

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
}  // namespace vellumo::program

int main(int argc, char** argv) {
  std::vector<char*> program_words = vellumo::program::ProgramNameWords(argc, argv);
  argc = static_cast<int>(program_words.size());
  argv = program_words.data();
  constexpr int kFailure = 1;
  constexpr int kUsageError = 2;
  CLI::App app{"vellumo: e-mail stationery and signatures for every message you send"};
  app.require_subcommand(1);
  vellumo::program::CommandContext context;
  if (auto words = vellumo::program::SendmailWords(argc, argv, context.home_option)) {
    try {
      return vellumo::program::RunSendmailCommand(context, *words);
    } catch (const std::exception& e) {
      std::cerr << "sendmail: " << e.what() << '\n';
      return 75;  // EX_TEMPFAIL: the caller keeps the message and tries again
    }
  }
  app.add_option("--home", context.home_option,
                 "the user's home folder (default: $VELLUMO_HOME, else $XDG_DATA_HOME/vellumo)");
  vellumo::program::AddSettingsCommands(app, context);
  vellumo::program::AddRegeditCommand(app, context);
  vellumo::program::AddMailCommands(app, context);
  vellumo::program::AddComposeCommand(app, context);
  vellumo::program::AddMarketingCommands(app, context);
  vellumo::program::AddAddInCommands(app, context);
  vellumo::program::AddSignatureCommands(app, context);
  vellumo::program::AddOptionsCommand(app, context);
  vellumo::program::AddProfileAssistantCommand(app, context);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kUsageError;
  } catch (const std::exception& e) {
    std::cerr << "vellumo: " << e.what() << '\n';
    return kFailure;
  }
  return context.exit_code;
}
