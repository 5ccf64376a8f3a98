// The ODBC handles of odbc_database.cc: each owns one environment, connection or statement
// handle and keeps its parent alive, so handles are freed child first whatever order their owners
// go in. A connection handle that connected is disconnected before it is freed.
//
// Failures become vellumo::Error whose description is the driver's diagnostic records
// ("ODBC 08001: could not connect to server ..."), with the connection's password hidden.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "odbc/connection_string.h"

namespace vellumo::odbc {

class Handle {
 public:
  // A new handle of type (SQL_HANDLE_ENV with no parent, SQL_HANDLE_DBC under an environment,
  // SQL_HANDLE_STMT under a connection). Throws Error with the parent's diagnostics.
  Handle(SQLSMALLINT type, std::shared_ptr<Handle> parent, std::vector<Attribute> secrets = {});
  ~Handle();
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  SQLHANDLE get() const { return handle_; }
  SQLSMALLINT type() const { return type_; }
  // Marks a connection handle connected: it is disconnected before it is freed.
  void SetConnected() { connected_ = true; }
  // The attributes whose values must never appear in a text (the password); statements share
  // their connection's.
  const std::vector<Attribute>& secrets() const { return secrets_; }

  // The diagnostic records on this handle as one line: "ODBC 42000: text; ODBC 01000: text".
  // Vendor tags ("[unixODBC][Driver Manager]") and line breaks are dropped, secrets hidden.
  // Empty when there are none.
  [[nodiscard]] std::string Diagnostics() const;

  // Returns when ret reports success (with or without information), else throws Error with this
  // handle's diagnostics (or "ODBC: <what> failed" when the driver left none).
  void Check(SQLRETURN ret, std::string_view what) const;
  // That Error, after a call that reported failure; Fail throws it.
  [[nodiscard]] Error Failure(std::string_view what) const;
  [[noreturn]] void Fail(std::string_view what) const;

 private:
  SQLSMALLINT type_;
  SQLHANDLE handle_ = SQL_NULL_HANDLE;
  std::shared_ptr<Handle> parent_;
  std::vector<Attribute> secrets_;
  bool connected_ = false;
};

}  // namespace vellumo::odbc
