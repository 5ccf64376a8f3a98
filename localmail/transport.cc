#include "localmail/transport.h"

#include <algorithm>
#include <utility>

#include "platform/processes.h"

namespace vellumo::localmail {
namespace {

bool Has(const std::vector<std::string>& argv, std::string_view word) {
  return std::find(argv.begin() + 1, argv.end(), word) != argv.end();
}

std::string FirstLine(std::string_view s) {
  const size_t start = s.find_first_not_of(" \t\r\n");
  if (start == std::string_view::npos) return {};
  s = s.substr(start);
  return std::string(s.substr(0, s.find_first_of("\r\n")));
}

}  // namespace

SendmailTransport::SendmailTransport(Processes& processes, std::vector<std::string> argv)
    : processes_(processes), argv_(std::move(argv)) {
  if (argv_.empty()) throw Error(ErrorCode::kInvalidCall, "sendmail command");
}

void SendmailTransport::Transmit(const Envelope& envelope, std::string_view message) {
  std::vector<std::string> argv = argv_;
  if (!envelope.from.empty() && !Has(argv_, "-f")) {
    if (envelope.from.front() == '-') throw Error("Unsafe sender address '" + envelope.from + "'");
    argv.push_back("-f");
    argv.push_back(envelope.from);
  }
  if (!Has(argv_, "-t")) {
    for (const std::string& recipient : envelope.recipients) {
      if (recipient.empty() || recipient.front() == '-') {
        throw Error("Unsafe recipient address '" + recipient + "'");
      }
      argv.push_back(recipient);
    }
  }
  ProcessResult result;
  try {
    result = processes_.Run(argv, message);
  } catch (const Error& e) {
    throw Error("The sendmail command " + argv_.front() + " could not be started: " + e.what());
  }
  if (result.exit_code != 0) {
    std::string why = FirstLine(result.errors);
    if (why.empty()) why = FirstLine(result.output);
    throw Error("The sendmail command " + argv_.front() + " failed with exit status " +
                std::to_string(result.exit_code) + (why.empty() ? "" : ": " + why));
  }
}

void MemTransport::Transmit(const Envelope& envelope, std::string_view message) {
  ++attempts_;
  if (fail_times_ != 0) {
    if (fail_times_ > 0) --fail_times_;
    throw Error(reason_);
  }
  sent_.push_back({envelope, std::string(message)});
}

void MemTransport::Fail(std::string reason, int times) {
  reason_ = std::move(reason);
  fail_times_ = times;
}

std::unique_ptr<Transport> MakeTransport(const TransportConfig& config, Processes& processes) {
  switch (config.kind) {
    case TransportKind::kSendmail:
      return std::make_unique<SendmailTransport>(processes, config.sendmail_argv);
    case TransportKind::kSmtp:
      throw Error(ErrorCode::kInvalidCall,
                  "MakeTransport: SMTP is made by SmtpTransport (smtp_transport.h), not here");
    case TransportKind::kNone:
      break;
  }
  return std::make_unique<NoTransport>();
}

}  // namespace vellumo::localmail
