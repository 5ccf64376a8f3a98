#include "common/diagnostics/diagnostics.h"

#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "platform/clock.h"
#include "platform/mailclient/application.h"
#include "platform/mailclient/safe_items.h"

namespace vellumo {
namespace {

constexpr std::string_view kOwnFailurePrefix =
    "An error has occurred in Vellumo- Procedure Write_to_error_file. The error is:";
constexpr std::string_view kOwnFailureTitle = "Error trapping - Vellumo";
constexpr std::string_view kReportSubject = "Vellumo Error";
constexpr std::string_view kReportBilling = "Preview Send";

// Runs step and swallows its failure: for the places whose rule is to ignore failures silently.
void Ignore(const std::function<void()>& step) {
  try {
    step();
  } catch (const std::exception&) {
    // Ignored by rule: the log is where failures would be reported, and it is what failed.
  }
}

// Clears a flag when the scope ends, whatever way it ends.
class Raise {
 public:
  explicit Raise(bool& flag) : flag_(flag) { flag_ = true; }
  ~Raise() { flag_ = false; }
  Raise(const Raise&) = delete;
  Raise& operator=(const Raise&) = delete;

 private:
  bool& flag_;
};

}  // namespace

const DiagnosticsVariant kAddInDiagnostics{
    .name = "Vellumo",
    .location = keys::ErrorFileLocation,
    .log_folder = "Support",
    .log_file = "SupportLog.txt",
    .creates_log = true,
    .screens = true,
    .reports = true,
    .record = kAddInRecord,
    .editor_type_line = true,
    .system_block = true,
    .safe_wrapper = true,
    .recipient_from_setting = true,
    .own_failures = DiagnosticsVariant::OwnFailures::kLogLine,
};

const DiagnosticsVariant kOptionsPageDiagnostics{
    .name = "CorvanePage",
    .location = keys::OptionsPageErrorFileLocation,
    .log_folder = "ErrorLog",
    .log_file = "ErrorLog.txt",
    .creates_log = true,
    .screens = false,
    .reports = true,
    .record = kOptionsPageRecord,
    .editor_type_line = false,
    .system_block = false,
    .safe_wrapper = false,
    .recipient_from_setting = false,
    .own_failures = DiagnosticsVariant::OwnFailures::kMessageBox,
};

const DiagnosticsVariant kSendToManyDiagnostics{
    .name = "BulkSender",
    .location = keys::ErrorFileLocation,
    .log_folder = "Support",
    .log_file = "SupportLog.txt",
    .creates_log = false,
    .screens = false,
    .reports = false,
    .record = kAddInRecord,
    .editor_type_line = false,
    .system_block = false,
    .safe_wrapper = false,
    .recipient_from_setting = false,
    .own_failures = DiagnosticsVariant::OwnFailures::kLogLine,
};

int32_t NoZOrderPositioner::SetWindowPos(int32_t window, int32_t insert_after, int32_t, int32_t,
                                         int32_t, int32_t, uint32_t flags) {
  calls_.push_back({window, insert_after, flags});
  return 1;
}

Diagnostics::Diagnostics(const Env& env, const DiagnosticsVariant& variant, ProgramInfo program,
                         std::string application_path)
    : env_(env),
      settings_(env.registry),
      variant_(variant),
      program_(std::move(program)),
      application_path_(std::move(application_path)),
      mail_(env.mail) {}

void Diagnostics::set_window_positioner(WindowPositioner* positioner) {
  positioner_ = positioner != nullptr ? positioner : &no_z_order_;
}

std::string Diagnostics::ErrorLine(std::string_view timestamp, const Failure& failure) {
  return "Date: " + std::string(timestamp) + ", " + failure.procedure + ", " + failure.section +
         ", " + failure.description;
}

std::string Diagnostics::NoteLine(std::string_view timestamp, std::string_view text) {
  return "Date: " + std::string(timestamp) + ", " + std::string(text);
}

std::string Diagnostics::CheckLine(std::string_view timestamp, std::string_view a,
                                   std::string_view b, std::string_view c) {
  return "System Check: " + std::string(timestamp) + ", " + std::string(a) + ", " + std::string(b) +
         ", " + std::string(c);
}

std::string Diagnostics::Timestamp() { return FormatTimestamp(env_.clock.Now()); }

void Diagnostics::ReportOwnFailure(const std::string& description) {
  if (variant_.own_failures == DiagnosticsVariant::OwnFailures::kLogLine) {
    Write_log_line(std::string(kOwnFailurePrefix) + description + " " +
                   std::string(kOwnFailureTitle));
    return;
  }
  Ignore([&] {
    env_.ui.MsgBox(std::string(kOwnFailurePrefix) + std::string(text::kCrLf) + description,
                   ui::kOkOnly, kOwnFailureTitle);
  });
}

bool Diagnostics::Step(const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const std::exception& e) {
    ReportOwnFailure(DescriptionOf(e));
  }
  return false;
}

std::string Diagnostics::LogPath() {
  std::string path = settings_.Get(variant_.location);
  if (path.empty() && variant_.creates_log) {
    path = Create_Error_Log_File();
    // The file exists now; failing to remember it only means the next writer makes a new one.
    Ignore([&] { settings_.Set(variant_.location, path); });
  }
  return path;
}

void Diagnostics::Write_to_error_file(std::string_view description, std::string_view procedure,
                                      std::string_view section) {
  const Failure failure{std::string(description), std::string(procedure), std::string(section)};
  try {
    WriteToErrorFile(failure);
  } catch (const std::exception& e) {
    // The last guard: the steps report their own failures, so this is only reached by the
    // unforeseen (memory exhaustion); the caller must still never see it.
    ReportOwnFailure(DescriptionOf(e));
  }
}

void Diagnostics::WriteToErrorFile(const Failure& failure) {
  if (variant_.screens) {
    std::string suppress;
    Step([&] { suppress = settings_.Get(keys::ErrorFileSuppressEmail); });
    if (suppress == "True") {
      Write_log_line(failure.description + " - " + failure.procedure + " - " + failure.section);
      return;
    }
    std::string exceptions;
    Step([&] { exceptions = settings_.Get(keys::ErrorFileExceptions); });
    // An empty description names no failure an administrator could have listed.
    if (!failure.description.empty() &&
        text::InStr(exceptions, failure.description, text::Compare::kText) > 0) {
      return;
    }
  }

  std::string log_path;
  // A location that cannot be read is not taken for an empty one: creating the default file
  // then would truncate a log that may well exist.
  Ignore([&] { log_path = LogPath(); });

  const std::string timestamp = Timestamp();
  const RecordContext context{failure, timestamp, program_, application_path_, settings_, mail_};
  std::string record;
  std::string system_block;
  if (variant_.reports) {
    record = BuildRecord(variant_.record, context,
                         [&](const std::exception& e) { ReportOwnFailure(DescriptionOf(e)); });
    if (variant_.system_block) {
      Step([&] { system_block = BuildSystemBlock(env_.system); });
    }
  }

  Step([&] {
    env_.fs.AppendFile(log_path, ErrorLine(timestamp, failure) + std::string(text::kCrLf));
  });

  if (!variant_.reports) {
    return;
  }
  // A failure inside the question or the report (its form, its send) gets its error line only:
  // asking again from inside the question would never end.
  if (reporting_) {
    return;
  }
  if (variant_.screens) {
    std::string notify;
    Step([&] { notify = settings_.Get(keys::EmailErrorNotify); });
    if (notify != "True") {
      return;
    }
    if (report_handled_) {
      return;
    }
    const bool yes = AskForReport();
    if (yes) {
      Raise reporting(reporting_);
      SendReport(record, system_block, log_path);
    }
    report_handled_ = true;
    return;
  }
  Raise reporting(reporting_);
  SendReport(record, system_block, log_path);
}

bool Diagnostics::AskForReport() {
  Raise reporting(reporting_);
  message_.answer = std::string(kAnswerNo);
  message_.kind = std::string(kMessageSupportRequest);
  Step([&] {
    if (question_) {
      question_(message_);
      return;
    }
    const int answer =
        env_.ui.MsgBox(kReportQuestionText, ui::kYesNo + ui::kQuestion + ui::kDefaultButton2,
                       kReportQuestionTitle);
    message_.answer = std::string(answer == ui::kYes ? kAnswerYes : kAnswerNo);
  });
  return message_.answer == kAnswerYes;
}

void Diagnostics::SendReport(const std::string& record, const std::string& system_block,
                             const std::string& log_path) {
  std::shared_ptr<mail::MailItem> item;
  const bool created = Step([&] {
    if (mail_ == nullptr) {
      throw Error(ErrorCode::kCantCreateObject, "mail client");
    }
    item = mail_->CreateMailItem();
    if (!item) {
      throw Error(ErrorCode::kObjectNotSet, "mail item");
    }
  });
  if (!created) {
    return;
  }
  std::shared_ptr<mail::MailItem> target = item;
  if (variant_.safe_wrapper) {
    const bool wrapped = Step([&] {
      std::shared_ptr<mail::SafeMailItem> safe = mail::CreateSafeMailItem(*mail_);
      safe->SetItem(item);
      target = safe;
    });
    if (!wrapped) {
      return;  // the report goes through the wrapper or not at all
    }
  }

  std::string body = record;
  Step([&] { body += WordEditorLine(target->GetInspector()->IsWordMail()); });
  if (variant_.editor_type_line) {
    Step([&] { body += EditorTypeLine(static_cast<int>(target->GetInspector()->EditorType())); });
  }
  if (variant_.system_block) {
    body += std::string(text::kCrLf) + system_block;
  }

  std::string recipient(kSupportAddress);
  if (variant_.recipient_from_setting) {
    Step([&] { recipient = settings_.Get(keys::EmailAddressNotify); });
  }
  Step([&] { target->SetSubject(kReportSubject); });
  Step([&] { target->SetBillingInformation(kReportBilling); });
  Step([&] { target->SetDeleteAfterSubmit(true); });
  Step([&] { target->SetBody(body); });
  Step([&] { target->Recipients()->Add(recipient); });
  Step([&] { target->Attachments()->Add(log_path); });
  Step([&] { target->Send(); });
}

void Diagnostics::Write_log_line(std::string_view text) {
  std::string path;
  Ignore([&] { path = LogPath(); });
  if (path.empty()) {
    return;  // nowhere to write (the send-to-many wizard never creates the log)
  }
  Ignore([&] { env_.fs.AppendFile(path, NoteLine(Timestamp(), text) + std::string(text::kCrLf)); });
}

void Diagnostics::Write_system_check_line(std::string_view a, std::string_view b,
                                          std::string_view c) {
  const auto logged = [&](const std::function<void()>& step) {
    try {
      step();
      return true;
    } catch (const std::exception& e) {
      Write_to_error_file(DescriptionOf(e), "System Check err ", "SystemCheck");
    }
    return false;
  };
  std::string path;
  // The first trace line of a fresh home makes the default log, as the first error line would.
  logged([&] { path = LogPath(); });
  const bool written = logged([&] {
    env_.fs.AppendFile(path, CheckLine(Timestamp(), a, b, c) + std::string(text::kCrLf));
  });
  if (written) {
    ++system_check_lines_;
  }
}

std::string Diagnostics::Create_Error_Log_File() {
  const auto shown = [&](const std::function<void()>& step) {
    try {
      step();
    } catch (const std::exception& e) {
      Ignore([&] {
        env_.ui.MsgBox("Error in Vellumo function Create_Error_Log_File" +
                           std::string(text::kCrLf) + DescriptionOf(e),
                       ui::kOkOnly + ui::kInformation, "Error");
      });
    }
  };
  std::string base = application_path_;
  while (!base.empty() && (base.back() == '\\' || base.back() == '/')) {
    base.pop_back();
  }
  const std::string folder = base + "\\" + std::string(variant_.log_folder) + "\\";
  shown([&] {
    if (!env_.fs.FolderExists(folder)) {
      env_.fs.CreateFolder(folder);
    }
  });
  std::string path = folder + std::string(variant_.log_file);
  shown([&] { env_.fs.WriteFile(path, ""); });
  return path;
}

int32_t Diagnostics::SetTopMostWindow(int32_t window, bool topmost) {
  int32_t result = 0;
  try {
    if (topmost) {
      result = positioner_->SetWindowPos(window, kHwndTopMost, 0, 0, 0, 0, kSwpNoSizeNoMove);
    } else {
      positioner_->SetWindowPos(window, kHwndNoTopMost, 0, 0, 0, 0, kSwpNoSizeNoMove);
    }
  } catch (const std::exception& e) {
    Write_to_error_file(DescriptionOf(e), "SetTopMostWindow", "Top_Most_err");
  }
  return result;
}

}  // namespace vellumo
