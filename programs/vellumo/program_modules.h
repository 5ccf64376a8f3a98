// The program's modules (modules/module_abi.h), each opened the first time a command needs it:
// the browser windows for VELLUMO_UI=web, the SMTP transport for an smtp:// or smtps:// send, the
// ODBC database for a send that records marketing rows and the marketing commands.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "localmail/client_config.h"
#include "localmail/transport.h"
#include "platform/database.h"
#include "platform/file_system.h"
#include "platform/ui/host.h"
#include "posix/shared_module.h"
#include "web/web_host.h"

namespace vellumo::program {

struct CommandsModule;
struct WebModule;
struct SmtpModule;
struct OdbcModule;

// Where a program in exe_dir finds its modules: beside it (the build tree), then in the install's
// library folder (bin/../lib/vellumo).
std::vector<std::string> ModuleDirs(const std::string& exe_dir);

// The commands module's table, checked against this build; module holds it open. Throws Error as
// ProgramModules' makers do.
const CommandsModule* OpenCommandsModule(const std::vector<std::string>& dirs,
                                         std::unique_ptr<SharedModule>& module);

class ProgramModules {
 public:
  explicit ProgramModules(std::vector<std::string> dirs) : dirs_(std::move(dirs)) {}
  ProgramModules(const ProgramModules&) = delete;
  ProgramModules& operator=(const ProgramModules&) = delete;

  // Each throws Error when the module cannot be found or loaded, or is of another build (the
  // message names the file), and what the module's constructor throws. fs must outlive the host.
  std::unique_ptr<ui::Host> MakeWebHost(FileSystem& fs, ui::WebHostOptions options);
  std::unique_ptr<localmail::Transport> MakeSmtpTransport(const localmail::TransportConfig& config);
  // An odbc::OdbcDatabase: connections from ODBC (or ODBC-provider ADO) connection strings.
  std::unique_ptr<db::Database> MakeDatabase();

 private:
  std::vector<std::string> dirs_;
  std::unique_ptr<SharedModule> web_;
  const WebModule* web_table_ = nullptr;
  std::unique_ptr<SharedModule> smtp_;
  const SmtpModule* smtp_table_ = nullptr;
  std::unique_ptr<SharedModule> odbc_;
  const OdbcModule* odbc_table_ = nullptr;
};

}  // namespace vellumo::program
