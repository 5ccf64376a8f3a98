#include "common/diagnostics/diagnostics.h"

#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "platform/clock.h"
#include "platform/mailclient/application.h"

namespace vellumo {
namespace {

constexpr std::string_view kOwnFailurePrefix =
    "An error has occurred in Vellumo- Procedure Write_to_error_file. The error is:";
constexpr std::string_view kOwnFailureTitle = "Error trapping - Vellumo";

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
    .mail = {.editor_type_line = true,
             .system_block = true,
             .safe_wrapper = true,
             .recipient_from_setting = true},
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
    .mail = {.editor_type_line = false,
             .system_block = false,
             .safe_wrapper = false,
             .recipient_from_setting = false},
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
    .mail = {.editor_type_line = false,
             .system_block = false,
             .safe_wrapper = false,
             .recipient_from_setting = false},
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
      mail_(env.mail),
      report_mail_(variant.mail, settings_, env.mail,
                   [this](const std::function<void()>& step) { return Guarded(step); }) {}

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

bool Diagnostics::Guarded(const std::function<void()>& step) {
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
    Guarded([&] { suppress = settings_.Get(keys::ErrorFileSuppressEmail); });
    if (suppress == "True") {
      Write_log_line(failure.description + " - " + failure.procedure + " - " + failure.section);
      return;
    }
    std::string exceptions;
    Guarded([&] { exceptions = settings_.Get(keys::ErrorFileExceptions); });
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
    if (variant_.mail.system_block) {
      Guarded([&] { system_block = BuildSystemBlock(env_.system); });
    }
  }

  Guarded([&] {
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
    Guarded([&] { notify = settings_.Get(keys::EmailErrorNotify); });
    if (notify != "True") {
      return;
    }
    if (report_state_ != nullptr && report_state_->ReportHandled) {
      return;
    }
    const bool yes = AskForReport();
    if (yes) {
      Raise reporting(reporting_);
      report_mail_.Send({record, system_block, log_path});
    }
    if (report_state_ != nullptr) {
      report_state_->ReportHandled = true;
    }
    return;
  }
  Raise reporting(reporting_);
  report_mail_.Send({record, system_block, log_path});
}

bool Diagnostics::AskForReport() {
  Raise reporting(reporting_);
  MessageState own;
  MessageState& message = report_state_ != nullptr ? report_state_->Message : own;
  message.answer = std::string(kAnswerNo);
  message.kind = std::string(kMessageSupportRequest);
  Guarded([&] {
    if (question_) {
      question_(message);
      return;
    }
    const int answer =
        env_.ui.MsgBox(kReportQuestionText, ui::kYesNo + ui::kQuestion + ui::kDefaultButton2,
                       kReportQuestionTitle);
    message.answer = std::string(answer == ui::kYes ? kAnswerYes : kAnswerNo);
  });
  return message.answer == kAnswerYes;
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
