// The parts of the program that live in modules of their own, each opened on first use: every
// command but the registry ones (the program itself runs those), the browser window layer
// (cpp-httplib, OpenSSL), the SMTP transport (libcurl) and the marketing database (unixODBC and its
// drivers). Every other command then starts without mapping those libraries.
//
// A module exports one C function, named below, that returns its table. The program refuses a
// table whose abi or version differ from its own: the types crossing the boundary are C++ types
// laid out by this build, so a module of another build could only crash.
#pragma once

#include <memory>

#include "base/version.h"
#include "localmail/client_config.h"
#include "localmail/transport.h"
#include "platform/database.h"
#include "platform/file_system.h"
#include "platform/ui/host.h"
#include "web/web_host.h"

namespace vellumo::program {

// Raised whenever a table or the types it passes change.
inline constexpr int kModuleAbi = 2;

struct CommandsModule {
  int abi;
  const char* version;
  // The whole command line (command_line.h RunAllCommands); returns the exit code.
  int (*run)(int argc, char** argv);
};

struct WebModule {
  int abi;
  const char* version;
  // A ui::WebHost (web/web_host.h); fs must outlive it.
  std::unique_ptr<ui::Host> (*make_host)(FileSystem& fs, ui::WebHostOptions options);
};

struct SmtpModule {
  int abi;
  const char* version;
  // A localmail::SmtpTransport (localmail/smtp_transport.h).
  std::unique_ptr<localmail::Transport> (*make_transport)(const localmail::TransportConfig& config);
};

struct OdbcModule {
  int abi;
  const char* version;
  // An odbc::OdbcDatabase (odbc/odbc_database.h) with the program's own driver table.
  std::unique_ptr<db::Database> (*make_database)();
};

inline constexpr char kCommandsModuleFile[] = "vellumo-commands.so";
inline constexpr char kCommandsModuleEntry[] = "vellumo_commands_module";
inline constexpr char kWebModuleFile[] = "vellumo-web.so";
inline constexpr char kWebModuleEntry[] = "vellumo_web_module";
inline constexpr char kSmtpModuleFile[] = "vellumo-smtp.so";
inline constexpr char kSmtpModuleEntry[] = "vellumo_smtp_module";
inline constexpr char kOdbcModuleFile[] = "vellumo-odbc.so";
inline constexpr char kOdbcModuleEntry[] = "vellumo_odbc_module";

}  // namespace vellumo::program
