#include "localmail/smtp_transport.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

#include "base/error.h"

namespace vellumo::localmail {
namespace {

void EnsureCurl() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

// An address as it may stand between angle brackets in an SMTP command.
void CheckAddress(std::string_view address, std::string_view role) {
  const bool bad = std::any_of(address.begin(), address.end(), [](char c) {
    return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F || c == '<' || c == '>';
  });
  if (bad)
    throw Error("Cannot send to the " + std::string(role) + " address '" + std::string(address) +
                "': it contains blanks or control characters");
}

struct Upload {
  std::string_view data;
  size_t offset = 0;
};

size_t ReadUpload(char* buffer, size_t size, size_t count, void* user) {
  auto* upload = static_cast<Upload*>(user);
  const size_t n = std::min(size * count, upload->data.size() - upload->offset);
  std::memcpy(buffer, upload->data.data() + upload->offset, n);
  upload->offset += n;
  return n;
}

}  // namespace

struct SmtpTransport::Impl {
  CURL* curl = nullptr;
  std::string url;
  char error[CURL_ERROR_SIZE] = {};
  Upload upload;

  ~Impl() {
    if (curl != nullptr) curl_easy_cleanup(curl);
  }

  void Set(CURLoption option, long value) { Check(curl_easy_setopt(curl, option, value)); }
  void Set(CURLoption option, const std::string& value) {
    Check(curl_easy_setopt(curl, option, value.c_str()));
  }
  void Check(CURLcode code) const {
    if (code != CURLE_OK) {
      throw Error("Cannot set up SMTP delivery to " + url + ": " + curl_easy_strerror(code));
    }
  }
};

SmtpTransport::SmtpTransport(const TransportConfig& config) : impl_(std::make_unique<Impl>()) {
  if (config.kind != TransportKind::kSmtp) throw Error(ErrorCode::kInvalidCall, "SmtpTransport");
  EnsureCurl();
  impl_->url = config.url;
  impl_->curl = curl_easy_init();
  if (impl_->curl == nullptr) throw Error("Cannot set up SMTP delivery: curl_easy_init failed");
  Impl& c = *impl_;
  c.Set(CURLOPT_URL, config.url);
  c.Check(curl_easy_setopt(c.curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps"));
  c.Check(curl_easy_setopt(c.curl, CURLOPT_ERRORBUFFER, c.error));
  c.Set(CURLOPT_NOSIGNAL, 1L);
  c.Set(CURLOPT_UPLOAD, 1L);
  c.Check(curl_easy_setopt(c.curl, CURLOPT_READFUNCTION, &ReadUpload));
  c.Check(curl_easy_setopt(c.curl, CURLOPT_READDATA, &c.upload));
  c.Set(CURLOPT_CONNECTTIMEOUT, static_cast<long>(config.timeout_seconds));
  // A server that stops answering mid-message is given up on after the same time.
  c.Set(CURLOPT_LOW_SPEED_LIMIT, 1L);
  c.Set(CURLOPT_LOW_SPEED_TIME, static_cast<long>(config.timeout_seconds));
  switch (config.starttls) {
    case StartTls::kTry:
      c.Set(CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
      break;
    case StartTls::kRequired:
      c.Set(CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
      break;
    case StartTls::kOff:
      c.Set(CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_NONE));
      break;
  }
  c.Set(CURLOPT_SSL_VERIFYPEER, config.verify_tls ? 1L : 0L);
  c.Set(CURLOPT_SSL_VERIFYHOST, config.verify_tls ? 2L : 0L);
  if (!config.user.empty()) {
    c.Set(CURLOPT_USERNAME, config.user);
    c.Set(CURLOPT_PASSWORD, config.password);
  }
}

SmtpTransport::~SmtpTransport() = default;

void SmtpTransport::Transmit(const Envelope& envelope, std::string_view message) {
  if (envelope.recipients.empty()) throw Error("There must be at least one recipient.");
  CheckAddress(envelope.from, "sender");
  Slist recipients;
  for (const std::string& recipient : envelope.recipients) {
    if (recipient.empty()) throw Error("Cannot send to an empty recipient address");
    CheckAddress(recipient, "recipient");
    curl_slist* grown = curl_slist_append(recipients.get(), ("<" + recipient + ">").c_str());
    if (grown == nullptr) throw Error(ErrorCode::kOther, "out of memory");
    recipients.release();
    recipients.reset(grown);
  }
  Impl& c = *impl_;
  c.Set(CURLOPT_MAIL_FROM, "<" + envelope.from + ">");
  c.Check(curl_easy_setopt(c.curl, CURLOPT_MAIL_RCPT, recipients.get()));
  c.upload = Upload{message, 0};
  c.Check(
      curl_easy_setopt(c.curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size())));
  c.error[0] = '\0';
  const CURLcode code = curl_easy_perform(c.curl);
  // The list dies with this call; the handle must not keep pointing at it.
  curl_easy_setopt(c.curl, CURLOPT_MAIL_RCPT, static_cast<curl_slist*>(nullptr));
  c.upload = Upload{};
  if (code == CURLE_OK) return;
  std::string why = c.error[0] != '\0' ? std::string(c.error) : curl_easy_strerror(code);
  long reply = 0;
  curl_easy_getinfo(c.curl, CURLINFO_RESPONSE_CODE, &reply);
  if (reply != 0 && why.find(std::to_string(reply)) == std::string::npos) {
    why += " (server reply " + std::to_string(reply) + ")";
  }
  throw Error("SMTP delivery through " + c.url + " failed: " + why);
}

}  // namespace vellumo::localmail
