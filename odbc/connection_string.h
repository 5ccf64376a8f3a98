// Connection strings as an administrator writes them, turned into the attribute list that the
// ODBC driver manager reads ("Driver={PostgreSQL Unicode};Server=127.0.0.1;Uid=u;Pwd=p").
//
// Settings written for the original database layer may hold an ADO connection string. ADO's ODBC
// provider (Provider=MSDASQL) is a wrapper around ODBC, so such a string maps onto ODBC attributes;
// any other provider names a database interface that does not exist here and is refused.
//
// Error texts never carry an attribute's value: a password stays out of logs.
// Thread safety: all functions are pure.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo::odbc {

struct Attribute {
  std::string key;  // as written; the driver manager compares keys ignoring case
  std::string value;

  bool operator==(const Attribute&) const = default;
};

enum class Quoting {
  kOdbc,  // "{...}" around a value that holds ";" ("}}" inside stands for "}")
  kAdo,   // also "\"...\"" and "'...'" around a value (the quote doubled inside)
};

// The attributes of "Key=Value;Key={Va;lue};..." in order. Blanks around keys and unquoted values
// are dropped; empty parts are skipped. Throws Error for an unclosed quote or a part without "="
// (naming the part by its number, never its text).
[[nodiscard]] std::vector<Attribute> ParseConnectionString(std::string_view text,
                                                           Quoting quoting = Quoting::kOdbc);

// The attributes as one ODBC string; values that need it are put in braces.
[[nodiscard]] std::string FormatConnectionString(const std::vector<Attribute>& attributes);

// The value of the first attribute named key (ignoring ASCII case).
[[nodiscard]] std::optional<std::string> FindAttribute(const std::vector<Attribute>& attributes,
                                                       std::string_view key);
// Sets key's value in place, or appends the attribute when it is absent.
void SetAttribute(std::vector<Attribute>& attributes, std::string_view key, std::string value);

// The ODBC connection string for a connection string as stored in the settings:
// - an ODBC string ("Driver=...;...", "DSN=...;...") as it is written, unchanged;
// - an ADO string for the ODBC provider ("Provider=MSDASQL[.n];...") without the ADO-only
//   attributes: Provider and Persist Security Info are dropped, Extended Properties gives its own
//   attributes in its place, and Data Source, User ID and Password become DSN, UID and PWD;
// - any other Provider is an Error saying an ODBC connection string is needed, naming the
//   provider.
// Throws Error for an empty string and for the parse errors above.
[[nodiscard]] std::string OdbcConnectionString(std::string_view connection_string);

// Whether an attribute of this name holds a secret (PWD, Password).
[[nodiscard]] bool IsSecretKey(std::string_view key);
// text with the value of every secret attribute replaced by "***".
[[nodiscard]] std::string HideSecrets(std::string text, const std::vector<Attribute>& attributes);

}  // namespace vellumo::odbc
