// ReportMail: the failure report a deliverable mails to support, built and sent through the mail
// client: the record, the editor lines, the system block, the log attached, sent once and not
// kept in Sent Items.
//
// The diagnostics decide whether a failure is reported (the add-in asks first, the options page
// mails at once); this class only builds and sends the item. Every step is run through the
// guard it is given, so a step that fails is reported as the deliverable reports its own
// failures, and the next step runs. It never throws to its caller.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "common/settings/settings.h"
#include "platform/mailclient/application.h"

namespace vellumo {

struct ReportMailOptions {
  bool editor_type_line;        // the "Editor type:" line after the word-editor line
  bool system_block;            // the system block after the record
  bool safe_wrapper;            // the mail goes through the safe wrapper (or not at all)
  bool recipient_from_setting;  // EmailAddressNotify, else always kSupportAddress
};

// What one report holds: the record lines, the system block (when the options carry one) and
// the log to attach.
struct FailureReport {
  std::string record;
  std::string system_block;
  std::string log_path;
};

inline constexpr std::string_view kReportSubject = "Vellumo Error";
inline constexpr std::string_view kReportBilling = "Preview Send";

class ReportMail {
 public:
  // Runs a step; false when it failed (the failure already reported).
  using Guard = std::function<bool(const std::function<void()>& step)>;

  // mail may be null (no mail client runs): the report then fails at its first step.
  ReportMail(ReportMailOptions options, Settings& settings, mail::Application* mail, Guard guard);

  void Send(const FailureReport& report);

  void set_mail(mail::Application* mail) { mail_ = mail; }

 private:
  ReportMailOptions options_;
  Settings& settings_;
  mail::Application* mail_;
  Guard guarded_;
};

}  // namespace vellumo
