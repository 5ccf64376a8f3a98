// What the two halves of the program share: the program itself, which runs the registry commands
// (`settings`, `regedit`) with nothing but the registry loaded, and the commands module, which
// runs every command (modules/module_abi.h). Both parse with CLI11 through these helpers, so a
// command behaves the same whichever half runs it.
#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "programs/vellumo/commands.h"

namespace vellumo::program {

inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
// sendmail's EX_TEMPFAIL: the calling mail program keeps the message and tries again.
inline constexpr int kExitSendmailTempFail = 75;

inline constexpr char kProgramTitle[] =
    "vellumo: e-mail stationery and signatures for every message you send";

// The --home option every command line takes before its command.
void AddHomeOption(CLI::App& app, CommandContext& context);

// Parses the words with app, which runs the chosen command; returns the exit code: the
// command's, 0 for help, 2 for a usage error, 1 for an error the command threw (its message on
// standard error after "vellumo: ").
int ParseAndRun(CLI::App& app, const CommandContext& context, int argc, char** argv);

// The words after `sendmail`, when that is the command (after any --home, which is stored in
// home_option): mail programs call it with sendmail's own option syntax ("-oi", "--",
// "-B8BITMIME"), which the general parser would refuse.
std::optional<std::vector<std::string>> SendmailWords(int argc, char** argv,
                                                      std::string& home_option);

// The command: the first word after any --home; empty when there is none or another option comes
// first.
std::string_view CommandWord(int argc, char** argv);

// Whether the command (the first word after any --home) is one that needs only the registry.
bool IsRegistryCommand(int argc, char** argv);

// The whole command line, every command: what the commands module runs.
int RunAllCommands(int argc, char** argv);

}  // namespace vellumo::program
