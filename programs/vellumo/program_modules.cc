#include "programs/vellumo/program_modules.h"

#include <filesystem>

#include "base/error.h"
#include "programs/vellumo/modules/module_abi.h"

namespace vellumo::program {
namespace {

// Opens file and returns its table, checked against this build.
template <typename Table>
const Table* OpenTable(const std::vector<std::string>& dirs, const char* file, const char* entry,
                       std::unique_ptr<SharedModule>& module) {
  module = SharedModule::Open(file, dirs);
  using Entry = const Table* (*)();
  const Table* table = reinterpret_cast<Entry>(module->Symbol(entry))();
  if (table == nullptr || table->abi != kModuleAbi || table->version == nullptr ||
      kVersion != table->version) {
    const std::string path = module->path();
    module.reset();
    throw Error("Cannot use " + path + ": it belongs to another build of vellumo (this is " +
                std::string(kVersion) + ")");
  }
  return table;
}

}  // namespace

std::vector<std::string> ModuleDirs(const std::string& exe_dir) {
  const std::filesystem::path libdir(VELLUMO_INSTALL_LIBDIR);
  const std::filesystem::path installed =
      libdir.is_absolute() ? libdir : std::filesystem::path(exe_dir) / ".." / libdir;
  return {exe_dir, (installed / "vellumo").lexically_normal().string()};
}

const CommandsModule* OpenCommandsModule(const std::vector<std::string>& dirs,
                                         std::unique_ptr<SharedModule>& module) {
  return OpenTable<CommandsModule>(dirs, kCommandsModuleFile, kCommandsModuleEntry, module);
}

std::unique_ptr<ui::Host> ProgramModules::MakeWebHost(FileSystem& fs, ui::WebHostOptions options) {
  if (web_table_ == nullptr) {
    web_table_ = OpenTable<WebModule>(dirs_, kWebModuleFile, kWebModuleEntry, web_);
  }
  return web_table_->make_host(fs, std::move(options));
}

std::unique_ptr<localmail::Transport> ProgramModules::MakeSmtpTransport(
    const localmail::TransportConfig& config) {
  if (smtp_table_ == nullptr) {
    smtp_table_ = OpenTable<SmtpModule>(dirs_, kSmtpModuleFile, kSmtpModuleEntry, smtp_);
  }
  return smtp_table_->make_transport(config);
}

std::unique_ptr<db::Database> ProgramModules::MakeDatabase() {
  if (odbc_table_ == nullptr) {
    odbc_table_ = OpenTable<OdbcModule>(dirs_, kOdbcModuleFile, kOdbcModuleEntry, odbc_);
  }
  return odbc_table_->make_database();
}

}  // namespace vellumo::program
