#include "profilewizard/system_check.h"

#include <functional>
#include <memory>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "common/diagnostics/diagnostics.h"
#include "common/diagnostics/log.h"
#include "common/settings/keys.h"
#include "platform/clock.h"
#include "platform/mailclient/application.h"
#include "platform/mailclient/items.h"

namespace vellumo::profilewizard {
namespace {

// Caption table entries.
constexpr int kAskTestMail = 31052;
constexpr int kReportSubject = 31053;
constexpr int kReportIntro = 31054;
constexpr int kTestBody = 31055;
constexpr int kTestBodyEnd = 31056;
constexpr int kTestSubject = 31057;

constexpr std::string_view kAskTitle = "System test";
constexpr std::string_view kFailurePrefix = "System check error:";
constexpr std::string_view kPreviewSend = "Preview Send";

// One run of the report procedure: its steps, each guarded by the failure box.
class Run {
 public:
  explicit Run(SystemCheckDeps& deps) : deps_(deps), settings_(deps.env.registry) {}

  void StageOne();
  void StageTwo(const Failure& failure);

  // Runs step; a failure is shown in the box and the caller goes on. True when it finished.
  bool Step(const std::function<void()>& step);
  void ShowFailure(const std::exception& e);
  Settings& settings() { return settings_; }

 private:
  std::string Text(int entry) const { return WizardText(deps_.captions, entry); }
  // A new mail item, or null after the box (no client, or the client refused).
  std::shared_ptr<mail::MailItem> NewItem();
  // The timestamp, the record (lines 1 to 18) and the system block.
  void BuildReport(const Failure& failure);
  void AppendLogLine(const Failure& failure);
  void ShowReport();

  SystemCheckDeps& deps_;
  Settings settings_;
  std::string timestamp_;
  std::string record_;
  std::string system_block_;
  std::string log_path_;
};

bool Run::Step(const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const std::exception& e) {
    ShowFailure(e);
  }
  return false;
}

void Run::ShowFailure(const std::exception& e) {
  // The box is the only report this procedure has; a window layer that cannot show it leaves
  // nowhere else to say so, and the next step must still run.
  Ignore([&] {
    deps_.env.ui.MsgBox(std::string(kFailurePrefix) + std::string(text::kCrLf) + e.what(),
                        ui::kOkOnly + ui::kInformation, kSystemCheckTitle);
  });
}

std::shared_ptr<mail::MailItem> Run::NewItem() {
  std::shared_ptr<mail::MailItem> item;
  Step([&] {
    if (deps_.env.mail == nullptr) throw Error(ErrorCode::kCantCreateObject, "mail client");
    item = deps_.env.mail->CreateMailItem();
    if (!item) throw Error(ErrorCode::kObjectNotSet, "mail item");
  });
  return item;
}

void Run::StageOne() {
  Step([&] { settings_.Set(keys::SystemCheck, "True"); });
  std::shared_ptr<mail::MailItem> item = NewItem();
  if (!item) return;
  Step([&] { item->SetSubject(Text(kTestSubject)); });
  Step([&] { item->SetBillingInformation(""); });
  Step([&] { item->SetDeleteAfterSubmit(false); });
  Step([&] { item->SetHTMLBody(Text(kTestBody)); });
  Step([&] { item->SetHTMLBody(item->HTMLBody() + Text(kTestBodyEnd)); });
  Step([&] { item->Display(false); });
}

void Run::StageTwo(const Failure& failure) {
  Step([&] { settings_.Set(keys::SystemCheck, "False"); });
  std::string exceptions;
  Step([&] { exceptions = settings_.Get(keys::ErrorFileExceptions); });
  // An empty description names no failure an administrator could have listed.
  if (!failure.description.empty() &&
      text::InStr(exceptions, failure.description, text::Compare::kText) > 0) {
    return;
  }
  BuildReport(failure);
  AppendLogLine(failure);
  ShowReport();
}

void Run::BuildReport(const Failure& failure) {
  Step([&] { timestamp_ = FormatTimestamp(deps_.env.clock.Now()); });
  const RecordContext context{failure,   timestamp_,    deps_.program, deps_.program_folder,
                              settings_, deps_.env.mail};
  // A line whose source fails is left out after its box; the report goes on without it.
  record_ = BuildRecord(kAddInRecord, context, [&](const std::exception& e) { ShowFailure(e); });
  Step([&] { system_block_ = BuildSystemBlock(deps_.env.system); });
}

void Run::AppendLogLine(const Failure& failure) {
  Step([&] {
    log_path_ = settings_.Get(keys::ErrorFileLocation);
    if (log_path_.empty()) {
      // The wizard never picks a log file of its own: support would look for it elsewhere.
      throw Error(ErrorCode::kBadFileName, std::string(keys::ErrorFileLocation.name) +
                                               " names no log file (Admin Settings)");
    }
    deps_.env.fs.AppendFile(log_path_,
                            Diagnostics::ErrorLine(timestamp_, failure) + std::string(text::kCrLf));
  });
}

void Run::ShowReport() {
  std::shared_ptr<mail::MailItem> item = NewItem();
  if (!item) return;
  // Lines 19 and 20 come from the report's own item: its editor is what the user will send with.
  Step([&] { record_ += WordEditorLine(item->GetInspector()->IsWordMail()); });
  Step([&] { record_ += EditorTypeLine(static_cast<int>(item->GetInspector()->EditorType())); });
  Step([&] { item->SetSubject(Text(kReportSubject)); });
  Step([&] { item->SetBillingInformation(kPreviewSend); });
  Step([&] {
    const std::string crlf(text::kCrLf);
    item->SetBody(Text(kReportIntro) + crlf + record_ + crlf + system_block_);
  });
  // An empty location was reported when the line could not be appended; attaching nothing
  // would only say it again.
  if (!log_path_.empty()) Step([&] { item->Attachments()->Add(log_path_); });
  Step([&] { item->Display(false); });
}

}  // namespace

ProgramInfo WizardProgram() {
  ProgramInfo program;
  program.file_description = "Vellumo set-up wizard";
  return program;
}

std::string SystemCheckCaption(const Settings& settings, const CaptionTable& captions) {
  std::string state;
  // Unreadable reads as idle: the stage-one caption only asks, so nothing is done unbidden.
  Ignore([&] { state = settings.Get(keys::SystemCheckState); });
  return WizardText(captions, state == kSendReportState ? kSendReportCaption : kSystemTestCaption);
}

bool SystemCheckClick(SystemCheckDeps& deps, std::string_view caption) {
  Run run(deps);
  try {
    if (caption != WizardText(deps.captions, kSystemTestCaption)) {
      run.Step([&] { run.settings().Set(keys::SystemCheckState, ""); });
      SystemCheckReport(deps, kSystemCheckDescription, kSystemCheckProcedure, kStageTwoSection);
      return true;
    }
    const int answer =
        deps.env.ui.MsgBox(WizardText(deps.captions, kAskTestMail), ui::kYesNo, kAskTitle);
    if (answer != ui::kYes) return false;
    SystemCheckReport(deps, kSystemCheckDescription, kSystemCheckProcedure, kStageOneSection);
    run.Step([&] { run.settings().Set(keys::SystemCheckState, kSendReportState); });
    return true;
  } catch (const std::exception& e) {
    // Only the question can get here (every other step has its box): nothing has run yet, so the
    // wizard stays open.
    run.ShowFailure(e);
  }
  return false;
}

void SystemCheckReport(SystemCheckDeps& deps, std::string_view description,
                       std::string_view procedure, std::string_view section) {
  Run run(deps);
  try {
    if (section == kStageOneSection) {
      run.StageOne();
    } else {
      run.StageTwo(Failure{std::string(description), std::string(procedure), std::string(section)});
    }
  } catch (const std::exception& e) {
    // The steps report their own failures; only the unforeseen (memory exhaustion) lands here,
    // and the wizard's button must still never see it.
    run.ShowFailure(e);
  }
}

}  // namespace vellumo::profilewizard
