#include "odbc/odbc_handle.h"

#include <algorithm>

#include "base/error.h"

namespace vellumo::odbc {
namespace {

// A driver's message without the tags of the components it passed ("[unixODBC][Driver
// Manager]", "[SQLite]") and on one line, as a log line needs it.
std::string CleanMessage(std::string_view message) {
  while (!message.empty() && message.front() == '[') {
    const size_t close = message.find(']');
    if (close == std::string_view::npos) break;
    message.remove_prefix(close + 1);
  }
  std::string out;
  bool blank = false;
  for (const char c : message) {
    if (c == '\n' || c == '\r' || c == '\t' || c == ' ') {
      blank = !out.empty();
      continue;
    }
    if (blank) out += ' ';
    blank = false;
    out += c;
  }
  return out;
}

}  // namespace

Handle::Handle(SQLSMALLINT type, std::shared_ptr<Handle> parent, std::vector<Attribute> secrets)
    : type_(type), parent_(std::move(parent)), secrets_(std::move(secrets)) {
  if (parent_ != nullptr && secrets_.empty()) secrets_ = parent_->secrets_;
  const SQLHANDLE input = parent_ == nullptr ? SQL_NULL_HANDLE : parent_->get();
  const SQLRETURN ret = SQLAllocHandle(type_, input, &handle_);
  if (!SQL_SUCCEEDED(ret)) {
    handle_ = SQL_NULL_HANDLE;
    if (parent_ == nullptr) throw Error("ODBC: the driver manager could not be started");
    parent_->Check(ret,
                   type_ == SQL_HANDLE_STMT ? "allocating a statement" : "allocating a connection");
    throw Error("ODBC: could not allocate a handle");
  }
}

Handle::~Handle() {
  if (handle_ == SQL_NULL_HANDLE) return;
  if (connected_) SQLDisconnect(handle_);
  SQLFreeHandle(type_, handle_);
}

std::string Handle::Diagnostics() const {
  std::string out;
  // A failing driver may stack many records; the first few say what went wrong.
  for (SQLSMALLINT record = 1; record <= 8; ++record) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    std::string message(1024, '\0');
    SQLSMALLINT length = 0;
    SQLRETURN ret = SQLGetDiagRec(type_, handle_, record, state, &native,
                                  reinterpret_cast<SQLCHAR*>(message.data()),
                                  static_cast<SQLSMALLINT>(message.size()), &length);
    if (ret == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size())) {
      message.assign(static_cast<size_t>(length) + 1, '\0');
      ret = SQLGetDiagRec(type_, handle_, record, state, &native,
                          reinterpret_cast<SQLCHAR*>(message.data()),
                          static_cast<SQLSMALLINT>(message.size()), &length);
    }
    if (!SQL_SUCCEEDED(ret)) break;
    message.resize(std::min<size_t>(static_cast<size_t>(std::max<SQLSMALLINT>(length, 0)),
                                    message.size() - 1));
    if (!out.empty()) out += "; ";
    out += "ODBC ";
    out += reinterpret_cast<const char*>(state);
    out += ": ";
    out += CleanMessage(message);
  }
  return HideSecrets(std::move(out), secrets_);
}

void Handle::Check(SQLRETURN ret, std::string_view what) const {
  if (!SQL_SUCCEEDED(ret)) Fail(what);
}

Error Handle::Failure(std::string_view what) const {
  std::string text = Diagnostics();
  if (text.empty()) text = "ODBC: " + std::string(what) + " failed";
  return Error(std::move(text));
}

void Handle::Fail(std::string_view what) const { throw Failure(what); }

}  // namespace vellumo::odbc
