// OdbcDatabase: the Database interface (platform/database.h) over the unixODBC driver manager,
// so the marketing record goes to SQLite, PostgreSQL or any other ODBC source.
//
// Open takes the connection string as the administrator wrote it: an ODBC string ("Driver=SQLite3;
// Database=/path/log.db", "Driver={PostgreSQL Unicode};Server=...;Pwd=...", "DSN=name") or an ADO
// string for the ODBC provider (odbc/connection_string.h). A Driver= name the system's
// odbcinst.ini does not list is looked up in the program's own driver table (odbc/driver_table.h)
// and replaced by its library's path, so nothing has to be registered with the system and no
// environment variable is changed.
//
// Values are bound, never pasted: integers as 64-bit integers, texts as UTF-8 bytes with their
// length, NULL as NULL. Errors are vellumo::Error holding the driver's SQLSTATE and message; the
// connection string's password never appears in them.
//
// Ownership: a Connection keeps what it needs of the Database alive and a Statement what it needs
// of its Connection, so ODBC handles are always freed child first. A Connection destroyed inside
// a transaction rolls it back. Not thread-safe: one thread per Database and its connections.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "odbc/driver_table.h"
#include "platform/database.h"

namespace vellumo::odbc {

class Handle;

struct OdbcOptions {
  // The driver table that Driver= names fall back on, and the file name its errors give.
  std::string driver_table{ProjectOdbcinst()};
  std::string driver_table_name = "resources/odbcinst.ini";
  // Where the table's library file names are looked for.
  std::vector<std::string> driver_dirs = DefaultDriverDirs();
  // How long a connection attempt may take, for drivers that honour it.
  int login_timeout_seconds = 15;
};

class OdbcDatabase : public db::Database {
 public:
  // Throws Error when the driver table does not parse or the driver manager cannot start.
  OdbcDatabase();
  explicit OdbcDatabase(OdbcOptions options);
  ~OdbcDatabase() override;
  OdbcDatabase(const OdbcDatabase&) = delete;
  OdbcDatabase& operator=(const OdbcDatabase&) = delete;

  // Throws Error for a string that is not ODBC (see above), a driver name known neither to the
  // system nor to the driver table, a driver whose library is not installed, and the driver's
  // own connection failures.
  [[nodiscard]] std::unique_ptr<db::Connection> Open(std::string_view connection_string) override;

 private:
  OdbcOptions options_;
  DriverTable drivers_;
  std::shared_ptr<Handle> env_;
};

}  // namespace vellumo::odbc
