// Database: an outside SQL database reached by a connection string (the marketing record).
//
// A Database opens Connections; a Connection runs statements, prepares statements with "?"
// parameters and reads rows. Values always travel as bound parameters, never pasted into the
// statement text, so an address or subject holding a quote is stored as written.
//
// Failures throw vellumo::Error whose description is the driver's own text (with its SQLSTATE),
// so a log line says what the database said. Implementations: odbc/odbc_database.h (unixODBC:
// SQLite, PostgreSQL or any ODBC source) and MemDatabase (platform/mem_database.h, for tests).
// Not thread-safe; a Connection is used by one thread at a time and must not outlive its
// Database.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vellumo::db {

// A parameter: SQL NULL, an integer or a text (UTF-8).
using Value = std::variant<std::monostate, int64_t, std::string>;

// What a query returns: the column names and each row's values as text (nullopt for NULL).
struct Rows {
  std::vector<std::string> columns;
  std::vector<std::vector<std::optional<std::string>>> rows;
};

class Statement {
 public:
  virtual ~Statement() = default;
  // Runs the statement once with params bound to its "?" markers, in order.
  virtual void Execute(std::span<const Value> params) = 0;
};

class Connection {
 public:
  virtual ~Connection() = default;
  // Runs a statement that takes no parameters and returns no rows (a CREATE TABLE, ...).
  virtual void Execute(std::string_view sql) = 0;
  // A statement to run many times; it must not outlive the connection.
  [[nodiscard]] virtual std::unique_ptr<Statement> Prepare(std::string_view sql) = 0;
  // Runs a query with params bound to its "?" markers and returns every row.
  [[nodiscard]] virtual Rows Query(std::string_view sql, std::span<const Value> params = {}) = 0;
  // Statements run one by one, each committed at once, until BeginTransaction; then everything
  // up to Commit or Rollback is one unit. A connection closed inside a transaction rolls back.
  virtual void BeginTransaction() = 0;
  virtual void Commit() = 0;
  virtual void Rollback() = 0;
  // name as a quoted identifier in this database's own quoting ("date" -> "\"date\"").
  [[nodiscard]] virtual std::string QuoteIdentifier(std::string_view name) = 0;
};

class Database {
 public:
  virtual ~Database() = default;
  // A connection from an ODBC connection string ("Driver=SQLite3;Database=/path/log.db",
  // "DSN=name;UID=...;PWD=...").
  [[nodiscard]] virtual std::unique_ptr<Connection> Open(std::string_view connection_string) = 0;
};

}  // namespace vellumo::db
