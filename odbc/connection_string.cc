#include "odbc/connection_string.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "base/error.h"
#include "base/text.h"

namespace vellumo::odbc {
namespace {

bool SameKey(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The quote that closes a value opened by c, or 0 when c opens none.
char ClosingQuote(char c, Quoting quoting) {
  if (c == '{') return '}';
  if (quoting == Quoting::kAdo && (c == '"' || c == '\'')) return c;
  return 0;
}

// Reads a quoted value starting at text[pos] (the opening quote); pos ends after the closing one.
// A doubled closing quote stands for itself.
std::optional<std::string> ReadQuoted(std::string_view text, size_t& pos, char close) {
  std::string value;
  for (size_t i = pos + 1; i < text.size(); ++i) {
    if (text[i] != close) {
      value += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == close) {
      value += close;
      ++i;
    } else {
      pos = i + 1;
      return value;
    }
  }
  return std::nullopt;
}

// ADO attribute names of the ODBC provider and the ODBC names they stand for; "" drops one.
struct AdoName {
  std::string_view ado;
  std::string_view odbc;
};
constexpr std::array<AdoName, 5> kAdoNames = {{
    {"Provider", ""},
    {"Persist Security Info", ""},
    {"Data Source", "DSN"},
    {"User ID", "UID"},
    {"Password", "PWD"},
}};

constexpr std::array<std::string_view, 2> kSecretKeys = {"PWD", "Password"};

bool IsOdbcProvider(std::string_view provider) {
  // "MSDASQL" with or without a version suffix ("MSDASQL.1").
  const std::string lower = text::AsciiLower(TrimBlanks(provider));
  return lower == "msdasql" || lower.starts_with("msdasql.");
}

std::vector<Attribute> FromAdo(const std::vector<Attribute>& ado) {
  std::vector<Attribute> odbc;
  for (const Attribute& attribute : ado) {
    if (SameKey(attribute.key, "Extended Properties")) {
      for (Attribute& inner : ParseConnectionString(attribute.value)) {
        odbc.push_back(std::move(inner));
      }
      continue;
    }
    const auto known = std::find_if(kAdoNames.begin(), kAdoNames.end(), [&](const AdoName& name) {
      return SameKey(name.ado, attribute.key);
    });
    if (known == kAdoNames.end()) {
      odbc.push_back(attribute);
    } else if (!known->odbc.empty()) {
      odbc.push_back({std::string(known->odbc), attribute.value});
    }
  }
  return odbc;
}

}  // namespace

std::vector<Attribute> ParseConnectionString(std::string_view text, Quoting quoting) {
  std::vector<Attribute> attributes;
  size_t pos = 0;
  int part = 0;
  while (pos < text.size()) {
    ++part;
    const size_t end_of_key = text.find_first_of("=;", pos);
    if (end_of_key == std::string_view::npos || text[end_of_key] == ';') {
      const std::string_view rest = text.substr(pos, end_of_key - pos);
      if (!TrimBlanks(rest).empty()) {
        throw Error("Connection string: part " + std::to_string(part) +
                    " is not of the form Key=Value");
      }
      pos = end_of_key == std::string_view::npos ? text.size() : end_of_key + 1;
      continue;
    }
    Attribute attribute{std::string(TrimBlanks(text.substr(pos, end_of_key - pos))), ""};
    if (attribute.key.empty()) {
      throw Error("Connection string: part " + std::to_string(part) + " has no key before \"=\"");
    }
    pos = end_of_key + 1;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    const char close = pos < text.size() ? ClosingQuote(text[pos], quoting) : 0;
    if (close != 0) {
      std::optional<std::string> value = ReadQuoted(text, pos, close);
      if (!value) {
        throw Error("Connection string: the value of " + attribute.key +
                    " opens a quote that is never closed");
      }
      attribute.value = std::move(*value);
      while (pos < text.size() && IsBlank(text[pos])) ++pos;
      if (pos < text.size() && text[pos] != ';') {
        throw Error("Connection string: the quoted value of " + attribute.key +
                    " is followed by more text before the next \";\"");
      }
    } else {
      const size_t end = std::min(text.find(';', pos), text.size());
      attribute.value = std::string(TrimBlanks(text.substr(pos, end - pos)));
      pos = end;
    }
    if (pos < text.size()) ++pos;  // the ";"
    attributes.push_back(std::move(attribute));
  }
  return attributes;
}

std::string FormatConnectionString(const std::vector<Attribute>& attributes) {
  std::string out;
  for (const Attribute& attribute : attributes) {
    if (!out.empty()) out += ';';
    out += attribute.key;
    out += '=';
    const std::string_view value = attribute.value;
    const bool braces = value.find_first_of(";{}") != std::string_view::npos ||
                        (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back())));
    if (!braces) {
      out += value;
      continue;
    }
    out += '{';
    for (const char c : value) {
      out += c;
      if (c == '}') out += '}';
    }
    out += '}';
  }
  return out;
}

std::optional<std::string> FindAttribute(const std::vector<Attribute>& attributes,
                                         std::string_view key) {
  for (const Attribute& attribute : attributes) {
    if (SameKey(attribute.key, key)) return attribute.value;
  }
  return std::nullopt;
}

void SetAttribute(std::vector<Attribute>& attributes, std::string_view key, std::string value) {
  for (Attribute& attribute : attributes) {
    if (SameKey(attribute.key, key)) {
      attribute.value = std::move(value);
      return;
    }
  }
  attributes.push_back({std::string(key), std::move(value)});
}

std::string OdbcConnectionString(std::string_view connection_string) {
  if (TrimBlanks(connection_string).empty()) throw Error("Connection string: it is empty");
  std::vector<Attribute> attributes = ParseConnectionString(connection_string);
  if (!FindAttribute(attributes, "Provider")) return std::string(connection_string);
  // ADO strings quote values the OLE DB way: parse again with those quotes.
  attributes = ParseConnectionString(connection_string, Quoting::kAdo);
  const std::string name = *FindAttribute(attributes, "Provider");
  if (!IsOdbcProvider(name)) {
    throw Error(
        "Connection string: it must be an ODBC connection string (\"Driver=...;...\" or "
        "\"DSN=...;...\"), or an ADO string for the ODBC provider MSDASQL; the provider \"" +
        name + "\" cannot be used");
  }
  attributes = FromAdo(attributes);
  if (attributes.empty()) throw Error("Connection string: it names no ODBC data source or driver");
  return FormatConnectionString(attributes);
}

bool IsSecretKey(std::string_view key) {
  return std::any_of(kSecretKeys.begin(), kSecretKeys.end(),
                     [&](std::string_view secret) { return SameKey(secret, key); });
}

std::string HideSecrets(std::string text, const std::vector<Attribute>& attributes) {
  for (const Attribute& attribute : attributes) {
    if (!IsSecretKey(attribute.key) || attribute.value.empty()) continue;
    text = text::Replace(text, attribute.value, "***");
  }
  return text;
}

}  // namespace vellumo::odbc
