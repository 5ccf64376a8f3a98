#include "localmail/client_config.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/system_info.h"

namespace vellumo::localmail {
namespace {

constexpr std::string_view kSmtpScheme = "smtp://";
constexpr std::string_view kSmtpsScheme = "smtps://";
constexpr std::string_view kSendmailScheme = "sendmail:";

[[noreturn]] void BadUrl(std::string_view url, std::string_view why) {
  throw Error("Invalid mail transport '" + std::string(url) + "': " + std::string(why) +
              " (use none, smtp://host:port, smtps://host:port or sendmail:COMMAND)");
}

std::string PercentDecode(std::string_view s, std::string_view url) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      out += s[i];
      continue;
    }
    if (i + 2 >= s.size()) BadUrl(url, "a '%' escape is cut short");
    const int hi = text::HexDigit(s[i + 1]);
    const int lo = text::HexDigit(s[i + 2]);
    if (hi < 0 || lo < 0) BadUrl(url, "a '%' escape is not hexadecimal");
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return out;
}

bool IsHostName(std::string_view host) {
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    return std::all_of(host.begin() + 1, host.end() - 1, [](char c) {
      return std::isxdigit(static_cast<unsigned char>(c)) != 0 || c == ':' || c == '.';
    });
  }
  return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-' || c == '_';
  });
}

TransportConfig ParseSmtp(std::string_view url, bool implicit_tls) {
  TransportConfig config;
  config.kind = TransportKind::kSmtp;
  std::string_view rest = url.substr(implicit_tls ? kSmtpsScheme.size() : kSmtpScheme.size());
  if (const size_t slash = rest.find('/'); slash != std::string_view::npos) {
    if (slash + 1 != rest.size()) BadUrl(url, "a path is not allowed");
    rest = rest.substr(0, slash);
  }
  if (const size_t at = rest.rfind('@'); at != std::string_view::npos) {
    const std::string_view userinfo = rest.substr(0, at);
    const size_t colon = userinfo.find(':');
    config.user = PercentDecode(userinfo.substr(0, colon), url);
    if (colon != std::string_view::npos) {
      config.password = PercentDecode(userinfo.substr(colon + 1), url);
    }
    rest = rest.substr(at + 1);
  }
  std::string_view host = rest;
  std::string port = implicit_tls ? "465" : "25";
  const size_t colon = rest.rfind(':');
  if (colon != std::string_view::npos && rest.find(']', colon) == std::string_view::npos) {
    host = rest.substr(0, colon);
    port = std::string(rest.substr(colon + 1));
    const bool digits =
        !port.empty() && port.size() <= 5 &&
        std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits || std::stoi(port) < 1 || std::stoi(port) > 65535) {
      BadUrl(url, "the port must be a number from 1 to 65535");
    }
  }
  if (!IsHostName(host)) BadUrl(url, "the host name is missing or not valid");
  config.url = std::string(implicit_tls ? kSmtpsScheme : kSmtpScheme) + text::LCase(host) + ":" +
               std::to_string(std::stoi(port));
  return config;
}

std::optional<std::string> ReadText(Registry& registry, std::string_view name) {
  std::optional<RegValue> value = registry.GetValue(kClientKey, name);
  if (!value) return std::nullopt;
  return text::Trim(value->AsText());
}

}  // namespace

TransportConfig ParseTransportUrl(std::string_view url_text) {
  const std::string url = text::Trim(url_text);
  if (url.empty() || text::EqualsText(url, "none")) return {};
  if (std::any_of(url.begin(), url.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
    BadUrl(url, "it contains control characters");
  }
  if (text::StartsWithText(url, kSmtpScheme)) return ParseSmtp(url, false);
  if (text::StartsWithText(url, kSmtpsScheme)) return ParseSmtp(url, true);
  if (text::StartsWithText(url, kSendmailScheme)) {
    TransportConfig config;
    config.kind = TransportKind::kSendmail;
    config.sendmail_argv = SplitCommandLine(std::string_view(url).substr(kSendmailScheme.size()));
    if (config.sendmail_argv.empty() || config.sendmail_argv.front().empty()) {
      BadUrl(url, "the sendmail command is missing");
    }
    return config;
  }
  BadUrl(url, "unknown kind of transport");
}

std::string TransportUrl(const TransportConfig& config) {
  switch (config.kind) {
    case TransportKind::kNone:
      return "none";
    case TransportKind::kSmtp:
      return config.url;
    case TransportKind::kSendmail: {
      std::string out(kSendmailScheme);
      for (size_t i = 0; i < config.sendmail_argv.size(); ++i) {
        const std::string& word = config.sendmail_argv[i];
        if (i > 0) out += ' ';
        const bool quote = word.find_first_of(" \t\"") != std::string::npos || word.empty();
        if (quote) {
          out += '"';
          out += text::Replace(word, "\"", "\"\"");
          out += '"';
        } else {
          out += word;
        }
      }
      return out;
    }
  }
  return "none";
}

StartTls ParseStartTls(std::string_view value) {
  if (value.empty() || text::EqualsText(value, "Try")) return StartTls::kTry;
  if (text::EqualsText(value, "Required")) return StartTls::kRequired;
  if (text::EqualsText(value, "Off")) return StartTls::kOff;
  throw Error("Invalid mail client setting StartTLS '" + std::string(value) +
              "': use Try, Required or Off");
}

std::string_view StartTlsName(StartTls mode) {
  switch (mode) {
    case StartTls::kRequired:
      return "Required";
    case StartTls::kOff:
      return "Off";
    case StartTls::kTry:
      break;
  }
  return "Try";
}

TransportConfig ReadTransportConfig(Registry& registry) {
  TransportConfig config = ParseTransportUrl(ReadText(registry, "Transport").value_or("none"));
  // Credentials kept as their own values win over none in the URL.
  if (auto user = ReadText(registry, "SmtpUser"); user && !user->empty()) config.user = *user;
  if (auto password = registry.GetValue(kClientKey, "SmtpPassword")) {
    if (!password->AsText().empty()) config.password = password->AsText();
  }
  config.starttls = ParseStartTls(ReadText(registry, "StartTLS").value_or(""));
  if (auto verify = ReadText(registry, "VerifyTLS"); verify && !verify->empty()) {
    try {
      config.verify_tls = text::CBool(*verify);
    } catch (const Error&) {
      throw Error("Invalid mail client setting VerifyTLS '" + *verify + "': use True or False");
    }
  }
  if (auto timeout = ReadText(registry, "TimeoutSeconds"); timeout && !timeout->empty()) {
    try {
      config.timeout_seconds = text::CLng(*timeout);
    } catch (const Error&) {
      config.timeout_seconds = 0;
    }
    if (config.timeout_seconds < 1) {
      throw Error("Invalid mail client setting TimeoutSeconds '" + *timeout +
                  "': use a number of seconds");
    }
  }
  return config;
}

ClientConfig ReadClientConfig(Registry& registry, SystemInfo& system) {
  ClientConfig config;
  config.user_name = ReadText(registry, "UserName").value_or("");
  config.user_address = ReadText(registry, "UserAddress").value_or("");
  const std::string system_user = system.UserName();
  if (config.user_name.empty()) config.user_name = system_user;
  if (config.user_address.empty() && !system_user.empty()) {
    std::string host = text::LCase(system.ComputerName());
    config.user_address = system_user + "@" + (host.empty() ? "localhost" : host);
  }
  if (auto version = ReadText(registry, "Version"); version && !version->empty()) {
    config.version = *version;
  }
  if (auto editor = ReadText(registry, "EditorType"); editor && !editor->empty()) {
    const int value = static_cast<int>(text::Val(*editor));
    if (value >= 1 && value <= 4) config.editor_type = value;
  }
  if (auto word = ReadText(registry, "WordVersion"); word && !word->empty()) {
    config.word_version = *word;
  }
  return config;
}

void WriteTransportConfig(Registry& registry, const TransportConfig& config) {
  auto set = [](std::string_view name, std::string value) {
    return RegOp{RegOp::Kind::kSetValue, std::string(kClientKey), std::string(name),
                 RegValue::String(std::move(value))};
  };
  auto remove = [](std::string_view name) {
    return RegOp{RegOp::Kind::kDeleteValue, std::string(kClientKey), std::string(name), {}};
  };
  std::vector<RegOp> ops;
  ops.push_back(set("Transport", TransportUrl(config)));
  ops.push_back(config.user.empty() ? remove("SmtpUser") : set("SmtpUser", config.user));
  ops.push_back(config.password.empty() ? remove("SmtpPassword")
                                        : set("SmtpPassword", config.password));
  ops.push_back(set("StartTLS", std::string(StartTlsName(config.starttls))));
  ops.push_back(set("VerifyTLS", config.verify_tls ? "True" : "False"));
  ops.push_back(set("TimeoutSeconds", std::to_string(config.timeout_seconds)));
  registry.Apply(ops);
}

}  // namespace vellumo::localmail
