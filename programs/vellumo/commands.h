// The commands of the vellumo program. Each area adds its subcommands to the command line; a
// subcommand's callback does its work through the context's platform and sets the exit code:
// 0 done, 1 failed (the message is on standard error), 2 usage error. A vellumo::Error thrown by
// a callback is reported by main as a failure.
#pragma once

#include <CLI/CLI.hpp>

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "localmail/local_client.h"
#include "programs/vellumo/real_platform.h"

namespace vellumo::program {

struct CommandContext {
  std::string home_option;
  int exit_code = 0;
  // The platform of the home the command line names, opened on first use.
  RealPlatform& Platform();

 private:
  std::unique_ptr<RealPlatform> platform_;
};

// The local mail client of the context's home without add-ins, and as a user's start of it opens
// it: the registered add-ins connected and told the start is complete (a send is then dressed).
// Closing the last copy of the second plays the client's exit to them.
std::shared_ptr<localmail::LocalMailClient> OpenBareClient(CommandContext& context);
std::shared_ptr<localmail::LocalMailClient> OpenClient(CommandContext& context);

void AddSettingsCommands(CLI::App& app, CommandContext& context);
void AddRegeditCommand(CLI::App& app, CommandContext& context);
// send, sendmail, folders, items, show, contacts, transport.
void AddMailCommands(CLI::App& app, CommandContext& context);
// `sendmail ARGS...`, whose words follow sendmail's getopt rules; returns the exit code (sysexits).
int RunSendmailCommand(CommandContext& context, const std::vector<std::string>& args);
// compose: the composition engine on one message, for looking at the result.
void AddComposeCommand(CLI::App& app, CommandContext& context);
// marketing init|show: the marketing database.
void AddMarketingCommands(CLI::App& app, CommandContext& context);
// register, unregister, toolbar: the add-in in the mail client.
void AddAddInCommands(CLI::App& app, CommandContext& context);
// signatures create / reset: the mail client's own signature files.
void AddSignatureCommands(CLI::App& app, CommandContext& context);
// options: the mail client's Options dialog with Vellumo's page.
void AddOptionsCommand(CLI::App& app, CommandContext& context);
// profile-assistant: the set-up wizard.
void AddProfileAssistantCommand(CLI::App& app, CommandContext& context);

}  // namespace vellumo::program
