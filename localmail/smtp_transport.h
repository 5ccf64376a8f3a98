// SmtpTransport: delivery to an SMTP server through libcurl.
//
// One curl handle serves every message, so consecutive messages travel over one connection
// (libcurl keeps it open and reuses it while the server lets it). smtp:// upgrades with STARTTLS
// as the configuration says (try, required or off); smtps:// speaks TLS from the start. With a
// user the client authenticates with the mechanisms the server offers.
//
// Transmit sends MAIL FROM (the envelope sender, <> when empty) and one RCPT TO per recipient;
// any refused recipient fails the whole message, so a message is either accepted for everyone
// or kept. Addresses with control characters or angle brackets are refused before anything is
// sent. Errors name the server and give curl's explanation (and the server's last reply code).
// Not thread-safe.
#pragma once

#include <memory>
#include <string_view>

#include "localmail/client_config.h"
#include "localmail/transport.h"

namespace vellumo::localmail {

class SmtpTransport final : public Transport {
 public:
  // REQUIRES: config.kind is kSmtp. Throws Error when curl cannot be set up.
  explicit SmtpTransport(const TransportConfig& config);
  ~SmtpTransport() override;
  SmtpTransport(const SmtpTransport&) = delete;
  SmtpTransport& operator=(const SmtpTransport&) = delete;

  void Transmit(const Envelope& envelope, std::string_view message) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vellumo::localmail
