// The set-up wizard's system test: the two-stage check support relies on, behind the wizard's
// system test button (cmdSysCheck).
//
// Stage one (button captioned "System test", entry 31036) asks first; on Yes it switches the
// add-in into system-check mode (System Settings "SystemCheck" = "True", so the add-in traces the
// next send into the log) and shows a test message for the user to address to themselves. The
// button then reads "Send Report" (entry 31037, SystemCheckState = "Send Report").
// Stage two (any other caption) switches the mode off again, appends an error line to the log
// named by ErrorFileLocation and shows a report message: entry 31054, the error record (lines 1
// to 18, then the new item's word-editor and editor-type lines), the system block, and the log
// attached, marked "Preview Send" so the add-in passes it undressed. Neither stage sends or saves
// anything: the items are shown (not modally) for the user to address and send.
//
// Failures: each step that fails shows "System check error:" CR LF + the failure, with an
// information icon and the title "Vellumo System Check", and the next step runs. Steps on the
// message are skipped when the message could not be made (no mail client), so one cause gives
// one box. Nothing here throws to its caller. Not thread-safe (the wizard's window thread).
#pragma once

#include <string>
#include <string_view>

#include "common/diagnostics/error_record.h"
#include "common/forms/caption_table.h"
#include "common/settings/settings.h"
#include "platform/env.h"
#include "profilewizard/captions.h"

namespace vellumo::profilewizard {

// The button's texts and what it hands the report procedure.
inline constexpr int kSystemTestCaption = 31036;
inline constexpr int kSendReportCaption = 31037;
inline constexpr std::string_view kSendReportState = "Send Report";
inline constexpr std::string_view kSystemCheckDescription = "System check from SetupLauncher";
inline constexpr std::string_view kSystemCheckProcedure = "Wiz";
inline constexpr std::string_view kStageOneSection = "UserTest";
inline constexpr std::string_view kStageTwoSection = "SendReport";
inline constexpr std::string_view kSystemCheckTitle = "Vellumo System Check";

// What the wizard says about itself in the report's record.
ProgramInfo WizardProgram();

struct SystemCheckDeps {
  // registry (settings), fs (the log), clock (the timestamp), system (the system block) and ui
  // (the question and the failure boxes). env.mail is the mail client; null: the steps that need
  // it fail with the box.
  Env env;
  const CaptionTable& captions = WizardCaptions();
  ProgramInfo program = WizardProgram();
  std::string program_folder;  // the record's application path
};

// The button's caption as the wizard starts: entry 31037 when SystemCheckState is exactly
// "Send Report", else entry 31036. A store that cannot be read gives entry 31036 (stage one
// asks before it does anything).
std::string SystemCheckCaption(const Settings& settings, const CaptionTable& captions);

// cmdSysCheck_Click, given the button's current caption. Not entry 31036: SystemCheckState is
// emptied and stage two runs. Entry 31036: asks (entry 31052, title "System test", Yes/No); Yes
// runs stage one and stores SystemCheckState = "Send Report".
// Returns true when a stage ran (the wizard must end now, without saving); false when the user
// answered No or the question could not be asked (the wizard stays open).
bool SystemCheckClick(SystemCheckDeps& deps, std::string_view caption);

// The report procedure of both stages: section "UserTest" is stage one, any other stage two.
// In stage two a description found in ErrorFileExceptions (ignoring case) shows no report, after
// SystemCheck has been set to "False". The log line is appended to the file ErrorFileLocation
// names; an empty location fails that step (the wizard never picks a log file itself) and the
// report opens without the attachment.
void SystemCheckReport(SystemCheckDeps& deps, std::string_view description,
                       std::string_view procedure, std::string_view section);

}  // namespace vellumo::profilewizard
