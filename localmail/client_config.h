// The local mail client's own settings, kept in the registry under
// HKEY_CURRENT_USER\Software\Vellumo Mail (one string value each):
//
//   Transport      "none" (the default: sent mail is only filed), "smtp://host[:port]",
//                  "smtps://host[:port]" or "sendmail:COMMAND ARGS"
//   SmtpUser, SmtpPassword   credentials for the SMTP server (none: no authentication)
//   StartTLS       for smtp://: "Try" (default: upgrade when the server offers it),
//                  "Required" (refuse to send in clear) or "Off"
//   VerifyTLS      "False" accepts any server certificate (test servers); default "True"
//   TimeoutSeconds how long a silent server is waited for (default 60)
//   UserName, UserAddress    the current user (defaults: the system user, user@host)
//   Version        the version the client reports (default "11.0.8312")
//   EditorType     the editor of new mail: 1 text, 2 HTML, 4 word processor (default: none
//                  recorded; the editor follows the body parts)
//   WordVersion    the word processor's version text (default "11.0")
//
// Reading never creates anything; a missing value takes its default, a value that is not valid
// is an Error naming it (so a mistyped transport never silently drops mail into "none").
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellumo {
class Registry;
class SystemInfo;
}  // namespace vellumo

namespace vellumo::localmail {

inline constexpr std::string_view kClientKey = "HKEY_CURRENT_USER\\Software\\Vellumo Mail";
inline constexpr std::string_view kDefaultVersion = "11.0.8312";
inline constexpr std::string_view kDefaultWordVersion = "11.0";

enum class TransportKind { kNone, kSmtp, kSendmail };
enum class StartTls { kTry, kRequired, kOff };

struct TransportConfig {
  TransportKind kind = TransportKind::kNone;
  // kSmtp: "smtp://host:port" or "smtps://host:port", without credentials or path.
  std::string url;
  std::string user;
  std::string password;
  StartTls starttls = StartTls::kTry;
  bool verify_tls = true;
  int timeout_seconds = 60;
  // kSendmail: the command's words (program first).
  std::vector<std::string> sendmail_argv;

  bool operator==(const TransportConfig&) const = default;
};

// Reads "none", "smtp://[user[:password]@]host[:port]", "smtps://..." (port defaults 25 and
// 465) or "sendmail:COMMAND ARGS". Credentials in the URL are percent-decoded into user and
// password. Anything else: Error whose text names the URL and what is wrong with it.
[[nodiscard]] TransportConfig ParseTransportUrl(std::string_view url);
// The URL as ParseTransportUrl reads it, without the credentials.
std::string TransportUrl(const TransportConfig& config);

struct ClientConfig {
  std::string user_name;
  std::string user_address;
  std::string version = std::string(kDefaultVersion);
  int editor_type = 0;  // 0: none recorded
  std::string word_version = std::string(kDefaultWordVersion);
};

// The settings other than the transport, with the current user's defaults from system.
[[nodiscard]] ClientConfig ReadClientConfig(Registry& registry, SystemInfo& system);
// The transport settings; an invalid value is an Error naming it.
[[nodiscard]] TransportConfig ReadTransportConfig(Registry& registry);
// Stores the transport settings (Transport, SmtpUser, SmtpPassword, StartTLS, VerifyTLS,
// TimeoutSeconds) as one registry transaction.
void WriteTransportConfig(Registry& registry, const TransportConfig& config);

std::string_view StartTlsName(StartTls mode);
// "Try" (or ""), "Required" or "Off", ignoring case; else Error naming the value.
StartTls ParseStartTls(std::string_view value);

}  // namespace vellumo::localmail
