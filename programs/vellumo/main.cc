// vellumo: the mail client host with the Vellumo add-in, and the tools around its settings.
// Parses the command line, builds the real platform of the user's home and hands over.
// Exit codes: 0 done, 1 failed (message on standard error), 2 usage error.
#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>
#include <string>

#include "platform/error.h"
#include "programs/vellumo/commands.h"

namespace vellumo::program {

RealPlatform& CommandContext::Platform() {
  if (!platform_) platform_ = std::make_unique<RealPlatform>(ResolveHome(home_option));
  return *platform_;
}

}  // namespace vellumo::program

int main(int argc, char** argv) {
  constexpr int kFailure = 1;
  constexpr int kUsageError = 2;
  CLI::App app{"vellumo: e-mail stationery and signatures for every message you send"};
  app.require_subcommand(1);
  vellumo::program::CommandContext context;
  app.add_option("--home", context.home_option,
                 "the user's home folder (default: $VELLUMO_HOME, else $XDG_DATA_HOME/vellumo)");
  vellumo::program::AddSettingsCommands(app, context);
  vellumo::program::AddRegeditCommand(app, context);
  vellumo::program::AddMailCommands(app, context);
  vellumo::program::AddComposeCommand(app, context);

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
