// The ODBC database as a module of its own (module_abi.h).
#include "odbc/odbc_database.h"
#include "programs/vellumo/modules/module_abi.h"

namespace {

std::unique_ptr<vellumo::db::Database> MakeDatabase() {
  return std::make_unique<vellumo::odbc::OdbcDatabase>();
}

const vellumo::program::OdbcModule kModule{vellumo::program::kModuleAbi, vellumo::kVersion.data(),
                                           MakeDatabase};

}  // namespace

extern "C" __attribute__((visibility("default"))) const vellumo::program::OdbcModule*
vellumo_odbc_module() {
  return &kModule;
}
