// Transport: how the local mail client hands a message over for delivery.
//
// The client calls Transmit with the message as it goes on the wire (private headers and Bcc
// already stripped) and the envelope (sender and every recipient, blind copies included).
// Transmit returns when the message was accepted for every recipient, or throws vellumo::Error
// whose description says why it was not (the server's refusal, a connection failure, the
// command's exit status); the client then keeps the message in the Outbox.
//
// Implementations: NoTransport (accepts everything: mail is only filed), SendmailTransport (a
// sendmail-compatible command), SmtpTransport (smtp_transport.h, libcurl) and MemTransport (for
// tests: records, fails on demand). A transport may keep a connection open between messages.
// Not thread-safe.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "localmail/client_config.h"

namespace vellumo {
class Processes;
}

namespace vellumo::localmail {

struct Envelope {
  std::string from;                     // "" for the null sender
  std::vector<std::string> recipients;  // bare addresses, at least one

  bool operator==(const Envelope&) const = default;
};

class Transport {
 public:
  virtual ~Transport() = default;
  virtual void Transmit(const Envelope& envelope, std::string_view message) = 0;
};

class NoTransport final : public Transport {
 public:
  void Transmit(const Envelope&, std::string_view) override {}
};

// Runs argv with the message on standard input. The sender is passed as "-f FROM" unless argv
// already has -f; the recipients follow as arguments unless argv has -t (then the command reads
// them from the headers). A recipient that begins with '-' would read as an option and is
// refused. A non-zero exit status is an Error quoting the command's first line of errors.
class SendmailTransport final : public Transport {
 public:
  SendmailTransport(Processes& processes, std::vector<std::string> argv);
  void Transmit(const Envelope& envelope, std::string_view message) override;

 private:
  Processes& processes_;
  std::vector<std::string> argv_;
};

// Records what it was given; fails the next calls when told to.
class MemTransport final : public Transport {
 public:
  struct Sent {
    Envelope envelope;
    std::string message;
  };
  void Transmit(const Envelope& envelope, std::string_view message) override;

  // The next `times` calls (times < 0: all until Succeed) throw Error(reason).
  void Fail(std::string reason, int times = -1);
  void Succeed() { fail_times_ = 0; }

  const std::vector<Sent>& sent() const { return sent_; }
  int attempts() const { return attempts_; }

 private:
  std::vector<Sent> sent_;
  std::string reason_;
  int fail_times_ = 0;
  int attempts_ = 0;
};

// The transport for config: kNone NoTransport, kSendmail SendmailTransport over processes. kSmtp
// throws Error(kInvalidCall): SmtpTransport is a library of its own (vellumo_smtp, libcurl), so
// that a client which never speaks SMTP does not load curl; a client that does gives
// LocalMailDeps::make_transport.
[[nodiscard]] std::unique_ptr<Transport> MakeTransport(const TransportConfig& config,
                                                       Processes& processes);

}  // namespace vellumo::localmail
