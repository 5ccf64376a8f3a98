// Test support for the composition tests: a fixture that owns a whole composition world in
// memory (settings, files, clock, log, a scripted window layer with a transcript, a mail client
// with the current item) and a recording ContactHooks.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "common/compose/compose_windows.h"
#include "common/compose/contact_hooks.h"
#include "common/compose/create_html_body.h"
#include "common/compose/send_state.h"
#include "common/diagnostics/log.h"
#include "common/settings/settings.h"
#include "platform/clock.h"
#include "platform/faulty_file_system.h"
#include "platform/mailclient/mem_application.h"
#include "platform/mem_file_system.h"
#include "platform/mem_registry.h"
#include "platform/ui/script_host.h"
#include "platform/ui/transcript.h"

namespace vellumo::compose::testing {

inline constexpr std::string_view kAppPath = "C:\\Vellumo";
inline constexpr std::string_view kTemplates = "C:\\Templates";
inline constexpr std::string_view kTemplate = "C:\\Templates\\plain.htm";
inline constexpr std::string_view kSignatures = "C:\\Sigs";
// What the template reads as: every line followed by CR LF.
inline constexpr std::string_view kBefore = "<html><body>\r\n";
inline constexpr std::string_view kAfter = "\r\n</body></html>\r\n";

// Records the calls; a step throws its Error when one is set.
class RecordingHooks final : public ContactHooks {
 public:
  std::string ContactStep(std::string_view composed, const SendState&) override {
    calls.push_back("contact");
    if (contact_error) throw *contact_error;
    return text::Replace(composed, "[#ContactName#]", "Ada");
  }
  std::string MarketingStep(std::string_view composed, const SendState&) override {
    calls.push_back("marketing");
    if (marketing_error) throw *marketing_error;
    return text::Replace(composed, "[#Recipient#]", "to@example.com");
  }
  std::vector<std::string> calls;
  std::unique_ptr<Error> contact_error;
  std::unique_ptr<Error> marketing_error;
};

// A window layer whose boxes fail, as a broken renderer would.
class FailingHost final : public ui::Host {
 public:
  int MsgBox(std::string_view, int, std::string_view) override {
    throw Error(ErrorCode::kPermissionDenied, "window layer");
  }
  std::string InputBox(std::string_view, std::string_view, std::string_view) override {
    throw Error(ErrorCode::kPermissionDenied, "window layer");
  }
  void ShowForm(ui::Form&) override { throw Error(ErrorCode::kPermissionDenied, "window layer"); }
};

class ComposeTest : public ::testing::Test {
 protected:
  ComposeTest() {
    fs_.AddFolder(kAppPath);
    fs_.AddFile(kTemplate, "<html><body>\n[#Input your message here#]\n</body></html>");
    Admin("HTM Files Path", std::string(kTemplates));
    Admin("Signatures Path", std::string(kSignatures));
    state_.ApplicationPath = std::string(kAppPath);
    NewItem("<p>Hello</p>");
  }

  void Admin(std::string_view key, std::string_view value) {
    settings_.SaveSetting(kVellumo, "Admin Settings", key, value);
  }
  void User(std::string_view key, std::string_view value) {
    settings_.SaveSetting(kVellumo, "User Settings", key, value);
  }
  void Signature(std::string_view name, std::string_view content) {
    fs_.AddFile(std::string(kSignatures) + "\\" + std::string(name), content);
    User("Signature", name);
  }
  // A new current item with this HTML body (empty: a plain-text item), made with the editor.
  void NewItem(std::string_view html, std::string_view body = {},
               mail::EditorType editor = mail::EditorType::kHtml) {
    app_.SetDefaultEditor(editor);
    item_ = app_.CreateMailItem();
    item_->SetHTMLBody(html);
    item_->SetBody(body);
    state_.CurrentItem = item_;
  }
  void Reply(std::string_view separator) {
    state_.IsReply = true;
    state_.ReplySeparator = std::string(separator);
  }

  // CreateHTMLBody through the fixture's world; answers are the script for the window layer.
  std::string Compose(std::string_view message,
                      std::string template_path = std::string(kTemplate)) {
    ui::ScriptHost host(ui::ScriptAnswers::Parse(answers_, "answers"), &transcript_);
    return ComposeWith(host, fs_, message, std::move(template_path));
  }
  std::string ComposeWith(ui::Host& host, FileSystem& fs, std::string_view message,
                          std::string template_path = std::string(kTemplate)) {
    FileListWindows windows(fs, host);
    Composer composer(ComposeDeps{settings_, fs, clock_, host, log_, windows, hooks_});
    template_path_ = std::move(template_path);
    return composer.CreateHTMLBody(message, template_path_, state_);
  }
  // The message boxes shown so far, as the transcript has them.
  std::vector<nlohmann::json> Boxes() {
    std::vector<nlohmann::json> boxes;
    const std::string log = ui_fs_.Contents("/ui.log").value_or("");
    for (std::string_view line : text::Lines(log)) boxes.push_back(nlohmann::json::parse(line));
    return boxes;
  }
  // The log entries of one kind.
  std::vector<MemLog::Entry> Logged(std::string_view kind) const {
    std::vector<MemLog::Entry> found;
    for (const MemLog::Entry& e : log_.entries) {
      if (e.kind == kind) found.push_back(e);
    }
    return found;
  }
  static MemLog::Entry ErrorEntry(std::string_view description, std::string_view where,
                                  std::string_view label) {
    return {"error", std::string(description), std::string(where), std::string(label)};
  }
  static MemLog::Entry Note(std::string_view text) { return {"note", std::string(text), {}, {}}; }

  MemRegistry registry_;
  Settings settings_{registry_};
  MemFileSystem fs_;
  MemFileSystem ui_fs_;
  ui::Transcript transcript_{ui_fs_, "/ui.log"};
  std::string answers_;
  MemClock clock_{LocalTime{2004, 1, 5, 14, 7, 9, 2, 0}};  // Monday, January 5, 2004
  MemLog log_;
  mail::MemApplication app_{&fs_};
  std::shared_ptr<mail::MailItem> item_;
  SendState state_;
  ContactHooks* hooks_ = nullptr;
  std::string template_path_;
};

}  // namespace vellumo::compose::testing
