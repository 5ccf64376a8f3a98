#include "odbc/odbc_database.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "odbc/connection_string.h"
#include "odbc/odbc_handle.h"

namespace vellumo::odbc {
namespace {

using db::Rows;
using db::Value;

SQLCHAR* Sql(std::string_view text) {
  // The ODBC API takes statement texts as non-const pointers; none of its functions writes them.
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.data()));
}

SQLINTEGER SqlLength(std::string_view text) {
  if (text.size() > static_cast<size_t>(INT32_MAX)) throw Error("ODBC: statement too long");
  return static_cast<SQLINTEGER>(text.size());
}

// The storage behind bound parameters: it must stay put until the statement has run.
struct BoundParams {
  std::vector<SQLLEN> lengths;
  std::vector<int64_t> integers;
};

// Binds params to the markers of a prepared statement, in order.
void Bind(const Handle& stmt, std::span<const Value> params, BoundParams& bound) {
  bound.lengths.assign(params.size(), 0);
  bound.integers.assign(params.size(), 0);
  SQLSMALLINT markers = 0;
  // Not every driver can count markers; those that can catch a count mismatch here.
  if (SQL_SUCCEEDED(SQLNumParams(stmt.get(), &markers)) &&
      static_cast<size_t>(markers) != params.size()) {
    throw Error("ODBC: the statement has " + std::to_string(markers) +
                " parameter markers, the values given are " + std::to_string(params.size()));
  }
  for (size_t i = 0; i < params.size(); ++i) {
    const auto number = static_cast<SQLUSMALLINT>(i + 1);
    SQLRETURN ret;
    if (const auto* integer = std::get_if<int64_t>(&params[i])) {
      bound.integers[i] = *integer;
      ret = SQLBindParameter(stmt.get(), number, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                             &bound.integers[i], 0, nullptr);
    } else if (const auto* text = std::get_if<std::string>(&params[i])) {
      bound.lengths[i] = static_cast<SQLLEN>(text->size());
      ret = SQLBindParameter(stmt.get(), number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                             std::max<SQLULEN>(text->size(), 1), 0, const_cast<char*>(text->data()),
                             bound.lengths[i], &bound.lengths[i]);
    } else {
      bound.lengths[i] = SQL_NULL_DATA;
      ret = SQLBindParameter(stmt.get(), number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0,
                             nullptr, 0, &bound.lengths[i]);
    }
    stmt.Check(ret, "binding a parameter");
  }
}

// SQL_NO_DATA: a searched UPDATE or DELETE that touched no row, which is no failure.
void CheckRun(const Handle& stmt, SQLRETURN ret, std::string_view what) {
  if (ret != SQL_NO_DATA) stmt.Check(ret, what);
}

std::string ColumnName(const Handle& stmt, SQLUSMALLINT column) {
  std::string name(256, '\0');
  SQLSMALLINT length = 0;
  SQLSMALLINT type = 0;
  SQLULEN size = 0;
  SQLSMALLINT digits = 0;
  SQLSMALLINT nullable = 0;
  const auto describe = [&] {
    return SQLDescribeCol(stmt.get(), column, reinterpret_cast<SQLCHAR*>(name.data()),
                          static_cast<SQLSMALLINT>(name.size()), &length, &type, &size, &digits,
                          &nullable);
  };
  stmt.Check(describe(), "describing a column");
  if (length >= static_cast<SQLSMALLINT>(name.size())) {
    name.assign(static_cast<size_t>(length) + 1, '\0');
    stmt.Check(describe(), "describing a column");
  }
  name.resize(static_cast<size_t>(std::max<SQLSMALLINT>(length, 0)));
  return name;
}

// One value of the current row as text, read in pieces so a long text comes whole.
std::optional<std::string> ColumnText(const Handle& stmt, SQLUSMALLINT column) {
  std::string value;
  char buffer[4096];
  for (;;) {
    SQLLEN indicator = 0;
    const SQLRETURN ret =
        SQLGetData(stmt.get(), column, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
    if (ret == SQL_NO_DATA) break;  // every piece was read
    stmt.Check(ret, "reading a value");
    if (indicator == SQL_NULL_DATA) return std::nullopt;
    // A piece that did not fit fills the buffer but for its terminating NUL.
    const bool more = indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(sizeof buffer);
    if (!more) {
      value.append(buffer, static_cast<size_t>(indicator));
      break;
    }
    value.append(buffer, sizeof buffer - 1);
  }
  return value;
}

Rows ReadRows(const Handle& stmt) {
  Rows rows;
  SQLSMALLINT count = 0;
  stmt.Check(SQLNumResultCols(stmt.get(), &count), "counting columns");
  for (SQLUSMALLINT column = 1; column <= count; ++column) {
    rows.columns.push_back(ColumnName(stmt, column));
  }
  if (count == 0) return rows;
  for (;;) {
    const SQLRETURN ret = SQLFetch(stmt.get());
    if (ret == SQL_NO_DATA) break;
    stmt.Check(ret, "fetching a row");
    auto& row = rows.rows.emplace_back();
    for (SQLUSMALLINT column = 1; column <= count; ++column) {
      row.push_back(ColumnText(stmt, column));
    }
  }
  return rows;
}

class OdbcStatement : public db::Statement {
 public:
  explicit OdbcStatement(std::shared_ptr<Handle> stmt) : stmt_(std::move(stmt)) {}

  void Execute(std::span<const Value> params) override {
    BoundParams bound;
    Bind(*stmt_, params, bound);
    const SQLRETURN ret = SQLExecute(stmt_->get());
    // Whatever happened, the statement is left ready for its next run, which clears the
    // diagnostics: take the reason first.
    std::optional<Error> failure;
    if (ret != SQL_NO_DATA && !SQL_SUCCEEDED(ret)) {
      failure = stmt_->Failure("running a prepared statement");
    }
    SQLFreeStmt(stmt_->get(), SQL_CLOSE);
    SQLFreeStmt(stmt_->get(), SQL_RESET_PARAMS);
    if (failure) throw *failure;
  }

 private:
  std::shared_ptr<Handle> stmt_;
};

class OdbcConnection : public db::Connection {
 public:
  explicit OdbcConnection(std::shared_ptr<Handle> dbc) : dbc_(std::move(dbc)) {}

  ~OdbcConnection() override {
    // The documented outcome of a connection closed inside a transaction; a failure here
    // leaves the driver to roll back at disconnection.
    if (in_transaction_) SQLEndTran(SQL_HANDLE_DBC, dbc_->get(), SQL_ROLLBACK);
  }

  void Execute(std::string_view sql) override {
    const Handle stmt(SQL_HANDLE_STMT, dbc_);
    CheckRun(stmt, SQLExecDirect(stmt.get(), Sql(sql), SqlLength(sql)), "running a statement");
  }

  std::unique_ptr<db::Statement> Prepare(std::string_view sql) override {
    auto stmt = std::make_shared<Handle>(SQL_HANDLE_STMT, dbc_);
    stmt->Check(SQLPrepare(stmt->get(), Sql(sql), SqlLength(sql)), "preparing a statement");
    return std::make_unique<OdbcStatement>(std::move(stmt));
  }

  Rows Query(std::string_view sql, std::span<const Value> params) override {
    const Handle stmt(SQL_HANDLE_STMT, dbc_);
    stmt.Check(SQLPrepare(stmt.get(), Sql(sql), SqlLength(sql)), "preparing a query");
    BoundParams bound;
    Bind(stmt, params, bound);
    CheckRun(stmt, SQLExecute(stmt.get()), "running a query");
    return ReadRows(stmt);
  }

  void BeginTransaction() override {
    if (in_transaction_) throw Error("ODBC: a transaction is already open on this connection");
    SetAutocommit(false);
    in_transaction_ = true;
  }

  void Commit() override {
    if (!in_transaction_) throw Error("ODBC: Commit without a transaction");
    const SQLRETURN ret = SQLEndTran(SQL_HANDLE_DBC, dbc_->get(), SQL_COMMIT);
    if (!SQL_SUCCEEDED(ret)) {
      // Nothing of the unit stays and the connection goes on as before it began. The commit's
      // reason is what the caller needs; the outcome of the clean-up adds nothing to it.
      const Error reason = dbc_->Failure("committing");
      SQLEndTran(SQL_HANDLE_DBC, dbc_->get(), SQL_ROLLBACK);
      in_transaction_ = false;
      SQLSetConnectAttr(dbc_->get(), SQL_ATTR_AUTOCOMMIT,
                        reinterpret_cast<SQLPOINTER>(SQLULEN{SQL_AUTOCOMMIT_ON}), SQL_IS_UINTEGER);
      throw reason;
    }
    in_transaction_ = false;
    SetAutocommit(true);
  }

  void Rollback() override {
    if (!in_transaction_) throw Error("ODBC: Rollback without a transaction");
    Finish(SQL_ROLLBACK);
  }

  std::string QuoteIdentifier(std::string_view name) override {
    if (!quote_) {
      char buffer[8] = {};
      SQLSMALLINT length = 0;
      dbc_->Check(
          SQLGetInfo(dbc_->get(), SQL_IDENTIFIER_QUOTE_CHAR, buffer, sizeof buffer, &length),
          "asking for the identifier quote");
      quote_ = std::string(buffer,
                           std::min<size_t>(std::max<SQLSMALLINT>(length, 0), sizeof buffer - 1));
      if (*quote_ == " ") quote_ = "";  // the driver does not quote identifiers
    }
    if (quote_->empty()) return std::string(name);
    return *quote_ + text::Replace(name, *quote_, *quote_ + *quote_) + *quote_;
  }

 private:
  void SetAutocommit(bool on) {
    const SQLULEN value = on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
    dbc_->Check(SQLSetConnectAttr(dbc_->get(), SQL_ATTR_AUTOCOMMIT,
                                  reinterpret_cast<SQLPOINTER>(value), SQL_IS_UINTEGER),
                "switching autocommit");
  }

  // Ends the transaction with completion and returns to autocommit; throws the driver's error.
  void Finish(SQLSMALLINT completion) {
    const SQLRETURN ret = SQLEndTran(SQL_HANDLE_DBC, dbc_->get(), completion);
    in_transaction_ = false;
    dbc_->Check(ret, "ending a transaction");
    SetAutocommit(true);
  }

  std::shared_ptr<Handle> dbc_;
  bool in_transaction_ = false;
  std::optional<std::string> quote_;
};

// Whether the driver manager lists a driver of this name (the system's odbcinst.ini).
bool DriverManagerKnows(const Handle& env, std::string_view name) {
  const std::string wanted = text::AsciiLower(name);
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  for (;;) {
    SQLCHAR description[512];
    SQLCHAR attributes[4096];
    SQLSMALLINT description_length = 0;
    SQLSMALLINT attributes_length = 0;
    const SQLRETURN ret =
        SQLDrivers(env.get(), direction, description, sizeof description, &description_length,
                   attributes, sizeof attributes, &attributes_length);
    if (!SQL_SUCCEEDED(ret)) return false;
    if (text::AsciiLower(reinterpret_cast<const char*>(description)) == wanted) return true;
    direction = SQL_FETCH_NEXT;
  }
}

}  // namespace

OdbcDatabase::OdbcDatabase() : OdbcDatabase(OdbcOptions{}) {}

OdbcDatabase::OdbcDatabase(OdbcOptions options)
    : options_(std::move(options)),
      drivers_(options_.driver_table, options_.driver_table_name),
      env_(std::make_shared<Handle>(SQL_HANDLE_ENV, nullptr)) {
  env_->Check(SQLSetEnvAttr(env_->get(), SQL_ATTR_ODBC_VERSION,
                            reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
              "choosing ODBC 3");
}

OdbcDatabase::~OdbcDatabase() = default;

std::unique_ptr<db::Connection> OdbcDatabase::Open(std::string_view connection_string) {
  std::string text = OdbcConnectionString(connection_string);
  std::vector<Attribute> attributes = ParseConnectionString(text);
  std::vector<Attribute> secrets;
  std::copy_if(attributes.begin(), attributes.end(), std::back_inserter(secrets),
               [](const Attribute& attribute) { return IsSecretKey(attribute.key); });
  // A connection handle, connected when connected is set; else it holds the reason.
  const auto connect = [&](bool& connected) {
    auto dbc = std::make_shared<Handle>(SQL_HANDLE_DBC, env_, secrets);
    // Best effort: a driver that ignores the timeout still connects.
    SQLSetConnectAttr(dbc->get(), SQL_ATTR_LOGIN_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(
                          static_cast<SQLULEN>(std::max(options_.login_timeout_seconds, 0))),
                      SQL_IS_UINTEGER);
    connected = SQL_SUCCEEDED(SQLDriverConnect(dbc->get(), nullptr, Sql(text), SQL_NTS, nullptr, 0,
                                               nullptr, SQL_DRIVER_NOPROMPT));
    if (connected) dbc->SetConnected();
    return dbc;
  };
  bool connected = false;
  std::shared_ptr<Handle> dbc = connect(connected);
  if (connected) return std::make_unique<OdbcConnection>(std::move(dbc));

  // A driver named rather than given by its path, that the driver manager does not list, comes
  // from the program's own table.
  const std::optional<std::string> driver = FindAttribute(attributes, "Driver");
  if (!driver || driver->find('/') != std::string::npos || DriverManagerKnows(*env_, *driver)) {
    dbc->Fail("connecting");
  }
  const std::optional<DriverTable::Entry> entry = drivers_.Find(*driver);
  if (!entry) {
    throw Error(HideSecrets("ODBC: no driver is named \"" + *driver +
                                "\": the system's ODBC configuration does not list it, nor does " +
                                options_.driver_table_name + " (" +
                                text::Join(drivers_.Names(), ", ") + ")",
                            secrets));
  }
  const std::optional<std::string> library = DriverTable::Locate(*entry, options_.driver_dirs);
  if (!library) {
    throw Error("ODBC: the driver \"" + entry->name + "\" is not installed: " + entry->library +
                " is in none of " +
                (options_.driver_dirs.empty() ? std::string("the driver folders (none found)")
                                              : text::Join(options_.driver_dirs, ", ")));
  }
  SetAttribute(attributes, "Driver", *library);
  text = FormatConnectionString(attributes);
  dbc = connect(connected);
  if (!connected) dbc->Fail("connecting");
  return std::make_unique<OdbcConnection>(std::move(dbc));
}

}  // namespace vellumo::odbc
