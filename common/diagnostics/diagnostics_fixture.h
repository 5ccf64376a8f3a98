// The in-memory world the diagnostics tests run in: registry, file system (with a fault wrapper),
// clock, system information, a message-box recorder and the mail client, bundled as the Env a
// Diagnostics is built from.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/diagnostics/diagnostics.h"
#include "common/settings/settings.h"
#include "platform/clock.h"
#include "platform/faulty_file_system.h"
#include "platform/fixed_system_info.h"
#include "platform/mailclient/mem_application.h"
#include "platform/mem_file_system.h"
#include "platform/mem_processes.h"
#include "platform/mem_registry.h"
#include "platform/ui/host.h"
#include "platform/win_path.h"

namespace vellumo::testing {

// Records message boxes and answers them from a queue (the default button when it is empty).
class BoxRecorder final : public ui::Host {
 public:
  struct Box {
    std::string prompt;
    int style;
    std::string title;
  };
  int MsgBox(std::string_view prompt, int style, std::string_view title) override {
    boxes.push_back({std::string(prompt), style, std::string(title)});
    if (answers.empty()) {
      return ui::MsgBoxDefault(style);
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::string InputBox(std::string_view, std::string_view, std::string_view) override { return {}; }
  void ShowForm(ui::Form& form) override {
    form.Load();
    form.Close();
  }
  std::deque<int> answers;
  std::vector<Box> boxes;
};

inline constexpr std::string_view kStamp = "12-08-2026 19:55:55";  // MemClock's default time
inline const std::string kProgramFolder(WinPath::kProgramFolder);
inline const std::string kSupportLog = kProgramFolder + "\\Support\\SupportLog.txt";

class DiagnosticsFixture : public ::testing::Test {
 protected:
  explicit DiagnosticsFixture(const DiagnosticsVariant& variant = kAddInDiagnostics)
      : diag_(env_, variant, Program(), kProgramFolder) {
    diag_.set_report_state(&send_);
  }

  static ProgramInfo Program() {
    ProgramInfo program;
    program.comments = "Build comments";
    program.file_description = "Add-in library";
    return program;
  }

  void Set(std::string_view section, std::string_view key, std::string_view value) {
    settings_.SaveSetting(kVellumo, section, key, value);
  }
  std::string Get(std::string_view section, std::string_view key) const {
    return settings_.GetSetting(kVellumo, section, key, "<unset>");
  }
  // The log's content, or "<none>" when the file does not exist.
  std::string Log(const std::string& path = kSupportLog) const {
    return mem_fs_.Contents(path).value_or("<none>");
  }
  static std::string Line(std::string_view rest) {
    return "Date: " + std::string(kStamp) + ", " + std::string(rest) + "\r\n";
  }
  static std::string OwnFailure(std::string_view description) {
    return Line("An error has occurred in Vellumo- Procedure Write_to_error_file. The error is:" +
                std::string(description) + " Error trapping - Vellumo");
  }

  MemRegistry mem_registry_;
  FaultyRegistry registry_{mem_registry_};
  Settings settings_{mem_registry_};
  MemFileSystem mem_fs_;
  FaultyFileSystem fs_{mem_fs_};
  MemClock clock_;
  MemProcesses processes_;
  FixedSystemInfo system_;
  BoxRecorder ui_;
  mail::MemApplication app_{&mem_fs_};
  Env env_{registry_, fs_, clock_, processes_, system_, ui_, &app_};
  ReportState send_;  // the send under way, as the add-in wires it
  Diagnostics diag_;
};

}  // namespace vellumo::testing
