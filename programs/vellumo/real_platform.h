// The real platform of one user's home: the SQLite registry, the disk through WinPath, the
// system clock, processes, system information and the window layer the environment asks for.
#pragma once

#include <memory>
#include <string>

#include "platform/database.h"
#include "platform/env.h"
#include "platform/ui/transcript.h"
#include "platform/win_path.h"
#include "posix/posix_file_system.h"
#include "posix/posix_processes.h"
#include "posix/posix_system_info.h"
#include "posix/sqlite_registry.h"
#include "posix/system_clock.h"
#include "programs/vellumo/program_modules.h"

namespace vellumo::program {

// Where the user's home is: the --home option, else VELLUMO_HOME, else $XDG_DATA_HOME/vellumo,
// else ~/.local/share/vellumo.
std::string ResolveHome(const std::string& home_option);

// The environment variable's value; "" when it is not set.
std::string EnvValue(const char* name);

// path made absolute against the current folder and normalised; as it is when that fails.
std::string Absolute(const std::string& path);

// This program's path.
std::string SelfExe();

// A file named on the command line: a Windows path ("C:\x.reg") stays as it is for WinPath; any
// other path is the user's, relative to the current folder, so it is made absolute.
std::string CommandLinePath(const std::string& arg);

// The outside SQL database through the ODBC module, loaded on the first Open.
class ModuleDatabase final : public db::Database {
 public:
  explicit ModuleDatabase(ProgramModules& modules) : modules_(modules) {}
  std::unique_ptr<db::Connection> Open(std::string_view connection_string) override;

 private:
  ProgramModules& modules_;
  std::unique_ptr<db::Database> database_;
};

class RealPlatform {
 public:
  // Creates the home folder when missing and opens (or creates) its registry. Throws Error.
  explicit RealPlatform(const std::string& home);
  RealPlatform(const RealPlatform&) = delete;
  RealPlatform& operator=(const RealPlatform&) = delete;

  const std::string& home() const { return home_; }
  Registry& registry() { return *registry_; }
  FileSystem& fs() { return fs_; }
  // The browser windows and the SMTP transport, loaded when first asked for.
  ProgramModules& modules() { return modules_; }
  // The marketing database (ODBC), loaded when first opened.
  db::Database& database() { return database_; }
  // The whole platform; the window layer is made on first use from VELLUMO_UI, VELLUMO_ANSWERS
  // and VELLUMO_UI_LOG (and, for VELLUMO_UI=web, VELLUMO_WEB_ADDRESS_FILE).
  Env& env();

 private:
  std::string home_;
  WinPath win_path_;
  std::unique_ptr<SqliteRegistry> registry_;
  PosixFileSystem fs_;
  SystemClock clock_;
  PosixProcesses processes_;
  PosixSystemInfo system_;
  ProgramModules modules_;
  ModuleDatabase database_{modules_};
  std::unique_ptr<ui::Transcript> transcript_;  // the web layer's; other hosts own theirs
  std::unique_ptr<ui::Host> ui_;
  std::unique_ptr<Env> env_;
};

}  // namespace vellumo::program
