// Test support for the send interception: a whole add-in world in memory (registry, files,
// clock, a scripted window layer with its transcript, the in-memory mail client) with the handler
// wired to the client's ItemSend, a fake mode button and a fake preview window. Include only from
// *_test.cc.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "addin/addin_windows.h"
#include "addin/item_send.h"
#include "addin/send_windows.h"
#include "base/error.h"
#include "base/text.h"
#include "common/compose/create_html_body.h"
#include "common/diagnostics/diagnostics.h"
#include "common/diagnostics/log.h"
#include "common/settings/settings.h"
#include "platform/clock.h"
#include "platform/fixed_system_info.h"
#include "platform/mailclient/mem_application.h"
#include "platform/mem_file_system.h"
#include "platform/mem_processes.h"
#include "platform/mem_registry.h"
#include "platform/ui/script_host.h"
#include "platform/ui/transcript.h"
#include "platform/win_path.h"

namespace vellumo {
// Readable failure messages for the log entries tests compare.
inline void PrintTo(const MemLog::Entry& entry, std::ostream* os) {
  *os << "{" << entry.kind << ": \"" << entry.a << "\", \"" << entry.b << "\", \"" << entry.c
      << "\"}";
}
}  // namespace vellumo

namespace vellumo::addin::testing {

inline constexpr std::string_view kStationery = "C:\\Stationery";
inline constexpr std::string_view kSignatures = "C:\\Signatures";
inline constexpr std::string_view kUiLog = "/home/user/ui.jsonl";
// The template and signature of the fixture's profile, with text a test can look for.
inline constexpr std::string_view kTemplateText =
    "<html><body><div class=paper>[#Input your message here#]</div>"
    "<p>[#SigFullname#]</p></body></html>";
inline constexpr std::string_view kSignatureText = "<b>Kind regards from the lantern room</b>";

// A window layer answered from a script that a test can replace at any time.
class ScriptedHost final : public ui::Host {
 public:
  explicit ScriptedHost(ui::Transcript& transcript) : transcript_(transcript) { Answer(""); }
  void Answer(std::string_view script) {
    host_ =
        std::make_unique<ui::ScriptHost>(ui::ScriptAnswers::Parse(script, "answers"), &transcript_);
  }
  int MsgBox(std::string_view prompt, int style, std::string_view title) override {
    return host_->MsgBox(prompt, style, title);
  }
  std::string InputBox(std::string_view prompt, std::string_view title,
                       std::string_view default_text) override {
    return host_->InputBox(prompt, title, default_text);
  }
  void ShowForm(ui::Form& form) override { host_->ShowForm(form); }

 private:
  ui::Transcript& transcript_;
  std::unique_ptr<ui::ScriptHost> host_;
};

class FakeModeButton final : public ModeButton {
 public:
  void SetCaption(std::string_view caption) override {
    if (fail) throw Error(ErrorCode::kObjectNotSet, "myButtonSetting");
    captions.emplace_back(caption);
  }
  std::vector<std::string> captions;
  bool fail = false;
};

// Answers as the user would: Send (with the vCard box and a boilerplate as set), Send Plain or
// Close; or fails as a broken window would.
class FakePreview final : public PreviewWindow {
 public:
  enum class Button { kSend, kSendPlain, kClose, kFail };
  void AutoPreview(const PreviewSetup& setup, compose::SendState& state) override {
    setups.push_back(setup);
    entered.push_back({state.BrowserSend, state.SendPlain, state.AttachVCard});
    state.PreviewMode = true;
    if (fail_with) throw *fail_with;
    switch (button) {
      case Button::kSend:
        state.AttachVCard = tick_vcard;
        state.SelectedBoilerplate = boilerplate;
        break;
      case Button::kSendPlain:
        state.SendPlain = true;
        break;
      case Button::kClose:
        state.BrowserSend = false;
        break;
      case Button::kFail:
        break;
    }
  }
  struct Entry {
    bool browser_send, send_plain, attach_vcard;
  };
  Button button = Button::kSend;
  bool tick_vcard = false;
  std::string boilerplate;
  std::optional<Error> fail_with;
  std::vector<PreviewSetup> setups;
  std::vector<Entry> entered;
};

class SendTest : public ::testing::Test {
 protected:
  SendTest() {
    fs_.AddFile(std::string(kStationery) + "\\letter.htm", kTemplateText);
    fs_.AddFile(std::string(kSignatures) + "\\lantern.htm", kSignatureText);
    fs_.AddFolder(std::string(WinPath::kProgramFolder));
    Admin("HTM Files Path", kStationery);
    Admin("Signatures Path", kSignatures);
    Admin("SigFullname", "Iris Calloway");
    Admin("SigTelephone", "+44 20 7946 0321");
    Admin("SigPosition", "Head of Lantern Design");
    User("SettingButtonBar", "auto");
    User("Template", "letter.htm");
    User("Signature", "lantern.htm");
    state_.ApplicationPath = std::string(WinPath::kProgramFolder);
    diagnostics_.set_report_state(&state_);
    handler_.set_mode_button(&button_);
    app_.ItemSend().Connect([this](std::shared_ptr<mail::MailItem> item, bool& cancel) {
      handler_.ol_ItemSend(item, cancel);
    });
  }

  void Admin(std::string_view key, std::string_view value) {
    settings_.SaveSetting(kVellumo, "Admin Settings", key, value);
  }
  void User(std::string_view key, std::string_view value) {
    settings_.SaveSetting(kVellumo, "User Settings", key, value);
  }
  void System(std::string_view key, std::string_view value) {
    settings_.SaveSetting(kVellumo, "System Settings", key, value);
  }
  std::string Get(std::string_view section, std::string_view key) {
    return settings_.GetSetting(kVellumo, section, key, "<unset>");
  }

  // A new mail in Drafts, made with the editor, with these bodies and recipients.
  std::shared_ptr<mail::MailItem> NewMail(std::string_view html, std::string_view body = {},
                                          std::vector<std::string> to = {"ada@example.com"},
                                          mail::EditorType editor = mail::EditorType::kHtml) {
    app_.SetDefaultEditor(editor);
    std::shared_ptr<mail::MailItem> item = app_.CreateMailItem();
    item->SetSubject("Lanterns for the harbour");
    item->SetHTMLBody(html);
    item->SetBody(body);
    for (const std::string& address : to) item->Recipients()->Add(address);
    return item;
  }
  std::shared_ptr<mail::MailItem> PlainMail(std::string_view body,
                                            std::vector<std::string> to = {"ada@example.com"}) {
    return NewMail("", body, std::move(to), mail::EditorType::kText);
  }

  // The template holds script and the user refuses it: the send must be cancelled with the item
  // untouched. Returns the item for further checks.
  std::shared_ptr<mail::MailItem> SendRefusingAScriptTemplate() {
    fs_.AddFile(std::string(kStationery) + "\\letter.htm",
                "<html><script>x()</script><body>[#Input your message here#]</body></html>");
    host_.Answer("No\n");
    auto item = NewMail("<p>Hello</p>");
    EXPECT_TRUE(Raise(item)) << "a refused script template cancels the send";
    EXPECT_EQ(item->HTMLBody(), "<p>Hello</p>");
    return item;
  }

  // Raises the handler directly; returns Cancel as it left it. The item stays inspectable.
  bool Raise(const std::shared_ptr<mail::MailItem>& item, bool cancel = false) {
    handler_.ol_ItemSend(item, cancel);
    return cancel;
  }

  // The log entries of one kind ("error", "note", "check").
  std::vector<MemLog::Entry> Logged(std::string_view kind) const {
    std::vector<MemLog::Entry> out;
    for (const auto& entry : log_.entries) {
      if (entry.kind == kind) out.push_back(entry);
    }
    return out;
  }
  std::vector<std::string> Notes() const {
    std::vector<std::string> out;
    for (const auto& entry : Logged("note")) out.push_back(entry.a);
    return out;
  }
  // The statuses of the trace lines, in order.
  std::vector<std::string> Traces() const {
    std::vector<std::string> out;
    for (const auto& entry : Logged("check")) out.push_back(entry.c);
    return out;
  }
  // The boxes and forms shown, as the transcript has them.
  std::vector<nlohmann::json> Shown() {
    std::vector<nlohmann::json> out;
    const std::string log = fs_.Contents(kUiLog).value_or("");
    for (std::string_view line : text::Lines(log)) out.push_back(nlohmann::json::parse(line));
    return out;
  }
  std::vector<std::string> UserProperties(mail::MailItem& item) {
    std::vector<std::string> out;
    auto properties = item.UserProperties();
    for (int i = 1; i <= properties->Count(); ++i) {
      out.push_back(properties->Item(i)->Name() + "=" + properties->Item(i)->Value());
    }
    return out;
  }
  bool Dressed(mail::MailItem& item) {
    return item.BillingInformation() == kDressedMark &&
           UserProperties(item) == std::vector<std::string>{"CorvaneVellumo=Version 3.9.9"};
  }

  MemRegistry registry_;
  Settings settings_{registry_};
  MemFileSystem fs_;
  MemClock clock_;
  MemProcesses processes_;
  FixedSystemInfo system_;
  ui::Transcript transcript_{fs_, std::string(kUiLog)};
  ScriptedHost host_{transcript_};
  mail::MemApplication app_{&fs_};
  Env env_{registry_, fs_, clock_, processes_, system_, host_, &app_};
  Diagnostics diagnostics_{env_, kAddInDiagnostics, ProgramInfo{},
                           std::string(WinPath::kProgramFolder)};
  MemLog log_;
  compose::SendState state_;
  AddInComposeWindows windows_{settings_, fs_, state_, AddInMessageForm(host_, diagnostics_)};
  compose::Composer composer_{
      compose::ComposeDeps{settings_, fs_, clock_, host_, log_, windows_, nullptr}};
  ItemSendHandler handler_{ItemSendDeps{app_, settings_, registry_, fs_, host_, log_, composer_,
                                        state_, AddInMessageForm(host_, diagnostics_)}};
  FakeModeButton button_;
  FakePreview preview_;
};

}  // namespace vellumo::addin::testing
