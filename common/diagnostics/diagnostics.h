// Diagnostics: the Log of every deliverable. It appends the error line, dated notes and trace
// lines to the log file, creates the default log file, decides whether a failure is reported (and
// asks the user where the deliverable does) and hands the report to its ReportMail, and makes
// windows top-most.
//
// Log file: append-only text, one entry per line, each ending in CR LF, in three shapes:
//   "Date: " + timestamp + ", " + procedure + ", " + section + ", " + description
//   "Date: " + timestamp + ", " + text
//   "System Check: " + timestamp + ", " + a + ", " + b + ", " + c
// with the local time as "mm-dd-yyyy hh:mm:ss". Every entry is one FileSystem::AppendFile call (one
// O_APPEND write on the disk), so several processes sharing the log never interleave within a line.
// The path is the setting ErrorFileLocation; the first writer that finds it empty creates the
// default file below the application path and stores its path there.
//
// The deliverables differ only in configuration (DiagnosticsVariant): which settings section holds
// the location, the default file, whether failures are screened and the user asked, what the
// report holds and how it is sent, how the module's own failures are reported. What a send
// shares with the report (the message form's question and answer, whether a report was offered
// in this send) is the send's: the owner wires its ReportState (set_report_state).
//
// Nothing here throws to its caller: every step that fails is reported as the variant says and the
// next step runs. Not thread-safe (one user-interface thread per process). The Env's members and
// any positioner set must outlive the object.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/diagnostics/error_record.h"
#include "common/diagnostics/log.h"
#include "common/diagnostics/message_state.h"
#include "common/diagnostics/report_mail.h"
#include "common/settings/keys.h"
#include "common/settings/settings.h"
#include "platform/env.h"

namespace vellumo {

// The window-positioning service SetTopMostWindow calls (SetWindowPos on Windows).
class WindowPositioner {
 public:
  virtual ~WindowPositioner() = default;
  // Nonzero on success. May throw Error.
  virtual int32_t SetWindowPos(int32_t window, int32_t insert_after, int32_t x, int32_t y,
                               int32_t cx, int32_t cy, uint32_t flags) = 0;
};

inline constexpr int32_t kHwndTopMost = -1;
inline constexpr int32_t kHwndNoTopMost = -2;
inline constexpr uint32_t kSwpNoSizeNoMove = 3;  // no-size (1) + no-move (2)

// The window layers of this platform (script, terminal, browser) have no z-order: every call is
// recorded and succeeds (1).
class NoZOrderPositioner final : public WindowPositioner {
 public:
  struct Call {
    int32_t window;
    int32_t insert_after;
    uint32_t flags;
    bool operator==(const Call&) const = default;
  };
  int32_t SetWindowPos(int32_t window, int32_t insert_after, int32_t x, int32_t y, int32_t cx,
                       int32_t cy, uint32_t flags) override;
  const std::vector<Call>& calls() const { return calls_; }

 private:
  std::vector<Call> calls_;
};

// How a deliverable's copy of the diagnostics behaves.
struct DiagnosticsVariant {
  enum class OwnFailures {
    kLogLine,     // a dated note "An error has occurred in Vellumo- Procedure ..."
    kMessageBox,  // a message box titled "Error trapping - Vellumo"
  };
  std::string_view name;
  const SettingKey& location;   // where the log's location is kept
  std::string_view log_folder;  // the default file: application path \ folder \ file
  std::string_view log_file;
  bool creates_log;  // an empty ErrorFileLocation: create the default file (else write nothing)
  // ErrorFileSuppressEmail, ErrorFileExceptions, EmailErrorNotify, the question and the
  // report-handled flag; without them every failure is logged and (when reports) mailed.
  bool screens;
  bool reports;  // mails a report at all
  std::span<const RecordLine> record;
  ReportMailOptions mail;  // what the report mail holds and how it goes
  OwnFailures own_failures;
};

// The add-in: everything.
extern const DiagnosticsVariant kAddInDiagnostics;
// The options page: location in User Settings, "ErrorLog\ErrorLog.txt", no screening, every
// failure mailed at once through the client's own item, short record, no system block, own
// failures in a message box.
extern const DiagnosticsVariant kOptionsPageDiagnostics;
// The send-to-many wizard: writes to an existing log only (an empty location writes nothing);
// no report.
extern const DiagnosticsVariant kSendToManyDiagnostics;

// Default of EmailAddressNotify and the options page's fixed recipient.
inline constexpr std::string_view kSupportAddress = keys::EmailAddressNotify.default_value;
// The report question, as the message form and the fallback message box show it.
inline constexpr std::string_view kReportQuestionText =
    "An error has been trapped and logged. Corvane support will be notified by email. OK?";
inline constexpr std::string_view kReportQuestionTitle = "Vellumo error - notify Corvane support";

class Diagnostics final : public Log {
 public:
  // Shows the message form modally for state (kind and answer already set by the caller) and
  // returns when it has unloaded, the answer in state. May throw; the failure is logged.
  using Question = std::function<void(MessageState& state)>;

  // env.registry (settings), fs, clock, system and ui are used; env.mail is the mail client, or
  // null where none runs (then reports fail and are logged). application_path: the program
  // folder the default log file lies below (the add-in's ApplicationPath).
  Diagnostics(const Env& env, const DiagnosticsVariant& variant, ProgramInfo program,
              std::string application_path);
  Diagnostics(const Diagnostics&) = delete;
  Diagnostics& operator=(const Diagnostics&) = delete;

  // Logs a failure: screening (suppression, exception list), the error line, and for the
  // reporting variants the question and the report mail.
  void Write_to_error_file(std::string_view description, std::string_view procedure,
                           std::string_view section) override;
  // Appends a dated note; creates the log when the variant does. Failures are ignored.
  void Write_log_line(std::string_view text) override;
  // Appends a trace line to the log and counts it; creates the log when the variant does (as an
  // error line would). A failure is logged as ("System Check err ", "SystemCheck").
  void Write_system_check_line(std::string_view a, std::string_view b, std::string_view c) override;

  // Creates the default log file empty (truncating one that exists), its folder as needed, and
  // returns its path. Failures are shown in a message box; the path is returned regardless.
  [[nodiscard]] std::string Create_Error_Log_File();
  // Makes window top-most (or not) through the positioner. Returns the positioner's result when
  // topmost, else 0; 0 after a failure, which is logged as ("SetTopMostWindow", "Top_Most_err").
  int32_t SetTopMostWindow(int32_t window, bool topmost);

  // Wiring.
  void set_mail(mail::Application* mail) {
    mail_ = mail;
    report_mail_.set_mail(mail);
  }
  // The send's share of the report: its message form state and report-handled flag. Without one
  // (no send under way) every screened failure is asked about and the question has its own
  // state. The state must outlive this object or be unset first.
  void set_report_state(ReportState* state) { report_state_ = state; }
  void set_application_path(std::string path) { application_path_ = std::move(path); }
  const std::string& application_path() const { return application_path_; }
  // Without a question the report is asked with a Yes/No message box of the same text and title.
  void set_question(Question question) { question_ = std::move(question); }
  // null: the recording positioner of this platform (no_z_order()).
  void set_window_positioner(WindowPositioner* positioner);
  const NoZOrderPositioner& no_z_order() const { return no_z_order_; }
  const DiagnosticsVariant& variant() const { return variant_; }
  const ProgramInfo& program() const { return program_; }

  // Runs step; a failure is reported as the variant reports the module's own failures (never
  // thrown). True when the step finished.
  bool Guarded(const std::function<void()>& step);

  // Trace lines written so far.
  int64_t system_check_lines() const { return system_check_lines_; }

  // The three line shapes, without the CR LF.
  static std::string ErrorLine(std::string_view timestamp, const Failure& failure);
  static std::string NoteLine(std::string_view timestamp, std::string_view text);
  static std::string CheckLine(std::string_view timestamp, std::string_view a, std::string_view b,
                               std::string_view c);

 private:
  void WriteToErrorFile(const Failure& failure);
  // The log path; when empty and the variant creates logs, the new default file's (stored).
  // Throws when the location cannot be read.
  std::string LogPath();
  bool AskForReport();
  void ReportOwnFailure(const std::string& description);
  std::string Timestamp();

  Env env_;
  Settings settings_;
  const DiagnosticsVariant& variant_;
  ProgramInfo program_;
  std::string application_path_;
  mail::Application* mail_;
  Question question_;
  NoZOrderPositioner no_z_order_;
  WindowPositioner* positioner_ = &no_z_order_;
  ReportMail report_mail_;
  ReportState* report_state_ = nullptr;

  bool reporting_ = false;          // a question or report mail is under way
  int64_t system_check_lines_ = 0;  // 64 bits: a long traced session must not overflow
};

}  // namespace vellumo
