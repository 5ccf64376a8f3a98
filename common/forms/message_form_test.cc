#include "common/forms/message_form.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "common/diagnostics/diagnostics.h"
#include "platform/clock.h"
#include "platform/fixed_system_info.h"
#include "platform/mailclient/mem_application.h"
#include "platform/mem_file_system.h"
#include "platform/mem_processes.h"
#include "platform/mem_registry.h"
#include "platform/ui/script_host.h"
#include "platform/ui/transcript.h"
#include "platform/win_path.h"
#include "tty/tty_host.h"

namespace vellumo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Json = nlohmann::json;

constexpr std::string_view kNoTemplateText =
    "You have chosen 'auto' mode but there is no default Template file.";

// What a user sees of the form once it has loaded.
struct Shown {
  std::string title;
  std::string text;
  std::vector<std::string> buttons;  // captions of the visible buttons, in design order
};

Shown Look(const ui::Form& form) {
  Shown shown{form.caption, form["lblMessage"].caption, {}};
  for (const char* name : {"cmdYes", "cmdNo", "cmdOK"}) {
    if (form[name].visible) {
      shown.buttons.push_back(form[name].caption);
    }
  }
  return shown;
}

class MessageFormTest : public ::testing::Test {
 protected:
  Shown LoadFor(std::string_view kind) {
    state_.kind = std::string(kind);
    MessageForm form(AddInCaptions(), state_);
    form.Load();
    return Look(form);
  }
  MessageState state_;
};

TEST_F(MessageFormTest, LaysOutEachKind) {
  Shown shown = LoadFor("Auto-no Template");
  EXPECT_EQ(shown.title, "Vellumo Template warning");
  EXPECT_EQ(shown.text, kNoTemplateText);
  EXPECT_THAT(shown.buttons, ElementsAre("OK"));

  shown = LoadFor("Auto-no signature");
  EXPECT_EQ(shown.title, "Vellumo Template warning");
  EXPECT_EQ(shown.text, kNoTemplateText) << "the signature warning reuses the template text";
  EXPECT_THAT(shown.buttons, ElementsAre("OK"));

  shown = LoadFor("Format Warning");
  EXPECT_EQ(shown.title, "Vellumo Oulook Mail Format warning");
  EXPECT_THAT(shown.text, ::testing::StartsWith("Your Outlook Mail Format should be HTML"));
  EXPECT_THAT(shown.buttons, ElementsAre("OK"));

  shown = LoadFor("Support email request");
  EXPECT_EQ(shown.title, "Vellumo error - notify Corvane support");
  EXPECT_EQ(shown.text,
            "An error has been trapped and logged. Corvane support will be notified by email. OK?");
  EXPECT_THAT(shown.buttons, ElementsAre("Yes. Notify Corvane support.", "No. Continue."));
}

TEST_F(MessageFormTest, KindsCompareExactlyAndUnknownOnesKeepTheDesign) {
  for (std::string_view kind : {"", "format warning", "Auto-no template", "Something else"}) {
    const Shown shown = LoadFor(kind);
    EXPECT_EQ(shown.title, "Vellumo Option") << kind;
    EXPECT_EQ(shown.text, "") << kind;
    EXPECT_THAT(shown.buttons, ElementsAre("OK")) << kind;
  }
}

TEST_F(MessageFormTest, ReloadingForAnotherKindStartsFromTheDesign) {
  state_.kind = std::string(kMessageSupportRequest);
  MessageForm form(AddInCaptions(), state_);
  form.Load();
  form.Unload();
  state_.kind = "Unknown";
  form.Load();
  EXPECT_THAT(Look(form).buttons, ElementsAre("OK"));
  EXPECT_EQ(Look(form).title, "Vellumo Option");
}

TEST_F(MessageFormTest, EntriesMissingFromTheTableLeaveTheDesignText) {
  const CaptionTable table = CaptionTable::Parse("5019\tOwn title\n", "t.txt");
  state_.kind = std::string(kMessageAutoNoSignature);
  MessageForm form(table, state_);
  form.Load();
  EXPECT_EQ(Look(form).title, "Own title");
  EXPECT_EQ(Look(form).text, "");
}

TEST_F(MessageFormTest, ButtonsSetTheAnswerAndCloseBoxLeavesIt) {
  const auto answer_after = [&](std::string_view kind, auto&& act) {
    state_.kind = std::string(kind);
    state_.answer = "preset";
    MessageForm form(AddInCaptions(), state_);
    form.Load();
    act(form);
    EXPECT_FALSE(form.loaded());
    return state_.answer;
  };
  const std::string_view support = kMessageSupportRequest;
  EXPECT_EQ(answer_after(support, [](ui::Form& f) { f.Fire("cmdYes", "Click"); }), "Yes");
  EXPECT_EQ(answer_after(support, [](ui::Form& f) { f.Fire("cmdNo", "Click"); }), "No");
  EXPECT_EQ(answer_after(support, [](ui::Form& f) { f.Close(); }), "preset");
  EXPECT_EQ(answer_after("Format Warning", [](ui::Form& f) { f.Fire("cmdOK", "Click"); }),
            "preset");
}

TEST_F(MessageFormTest, AQuestionOpensOnItsSafeAnswerAndTellsTheLogWhatWasAnswered) {
  state_.kind = std::string(kMessageSupportRequest);
  state_.answer = "No";
  MessageForm form(AddInCaptions(), state_);
  form.Load();
  EXPECT_EQ(form.default_button, "cmdNo") << "one Enter must not mail the log away";
  form.Close();
  EXPECT_EQ(form.answer, "No");
  state_.answer = "No";
  form.Load();
  form.Fire("cmdYes", "Click");
  EXPECT_EQ(form.answer, "Yes");
  // A notice has only OK; reloaded for one, the form forgets the question's default.
  state_.kind = std::string(kMessageFormatWarning);
  state_.answer.clear();
  form.Load();
  EXPECT_EQ(form.default_button, "cmdOK");
  EXPECT_EQ(form.answer, "");
}

// The report question on a terminal: its title, text and both buttons, the safe one named as
// what Enter does; Enter and Ctrl-D both leave the log unsent.
TEST_F(MessageFormTest, OnTheTerminalTheQuestionShowsItsSafeAnswerAsTheDefault) {
  state_.kind = std::string(kMessageSupportRequest);
  MessageForm form(AddInCaptions(), state_);
  for (const std::string typed : {"\n", ""}) {
    state_.answer = "No";
    std::istringstream in(typed);
    std::ostringstream out;
    ui::TtyHost(in, out).ShowForm(form);
    EXPECT_EQ(state_.answer, "No") << "typed: " << typed;
    form.Load();
    const Shown shown = Look(form);
    form.Close();
    const std::string drawn = out.str();
    EXPECT_NE(drawn.find("== " + shown.title + " =="), std::string::npos) << drawn;
    EXPECT_NE(drawn.find(shown.text.substr(0, 30)), std::string::npos) << drawn;
    ASSERT_EQ(shown.buttons.size(), 2u);
    EXPECT_NE(drawn.find("[1] " + shown.buttons[0] + "  [2] " + shown.buttons[1]),
              std::string::npos)
        << drawn;
    EXPECT_NE(drawn.find("Enter: " + shown.buttons[1] + "."), std::string::npos) << drawn;
  }
  std::istringstream in("1\n");
  std::ostringstream out;
  ui::TtyHost(in, out).ShowForm(form);
  EXPECT_EQ(state_.answer, "Yes");
}

TEST_F(MessageFormTest, MakesItselfTopMostBeforeApplyingCaptions) {
  std::vector<std::string> seen;
  state_.kind = std::string(kMessageFormatWarning);
  MessageForm form(AddInCaptions(), state_, [&](ui::Form& f) { seen.push_back(f.caption); });
  form.Load();
  EXPECT_THAT(seen, ElementsAre("Vellumo Option"));
}

// The report question end to end: the diagnostics ask through the message form on the script
// renderer, the UI transcript records what was shown, and the answer decides the mail.
class ReportQuestionTest : public ::testing::Test {
 protected:
  void Run(std::string_view answers) {
    ui::Transcript transcript(fs_, "/home/user/ui.jsonl");
    ui::ScriptHost host(ui::ScriptAnswers::Parse(answers, "answers"), &transcript);
    Env env{registry_, fs_, clock_, processes_, system_, host, &app_};
    Diagnostics diag(env, kAddInDiagnostics, ProgramInfo{}, std::string(WinPath::kProgramFolder));
    diag.set_question(MessageFormQuestion(host, AddInCaptions(), diag));
    diag.Write_to_error_file("Overflow", "ol_ItemSend", "olSendItem_Err");
    topmost_calls_ = diag.no_z_order().calls().size();
    remaining_ = host.remaining();
  }
  std::vector<Json> Transcript() const {
    std::vector<Json> lines;
    for (const std::string& line :
         text::Split(fs_.Contents("/home/user/ui.jsonl").value_or(""), "\n")) {
      if (!line.empty()) {
        lines.push_back(Json::parse(line));
      }
    }
    return lines;
  }

  MemRegistry registry_;
  MemFileSystem fs_;
  MemClock clock_;
  MemProcesses processes_;
  FixedSystemInfo system_;
  mail::MemApplication app_{&fs_};
  size_t topmost_calls_ = 0;
  size_t remaining_ = 0;
};

TEST_F(ReportQuestionTest, YesRecordsTheQuestionAndMailsTheReportWithTheLog) {
  Run("frmMessage.cmdYes.Click\n");
  EXPECT_EQ(remaining_, 0u);

  const std::vector<Json> lines = Transcript();
  ASSERT_EQ(lines.size(), 1u);
  const Json& form = lines[0];
  EXPECT_EQ(form["kind"], "form");
  EXPECT_EQ(form["name"], "frmMessage");
  EXPECT_EQ(form["caption"], "Vellumo error - notify Corvane support");
  std::vector<std::string> buttons;
  std::string message;
  for (const Json& control : form["controls"]) {
    if (control["name"].get<std::string>().starts_with("cmd")) {
      buttons.push_back(control["caption"]);
    }
    if (control["name"] == "lblMessage") {
      message = control["caption"];
    }
  }
  EXPECT_THAT(buttons, ElementsAre("Yes. Notify Corvane support.", "No. Continue."));
  EXPECT_EQ(message, kReportQuestionText);
  EXPECT_THAT(form["events"], ElementsAre("cmdYes.Click"));
  EXPECT_EQ(topmost_calls_, 1u);

  ASSERT_EQ(app_.sent().size(), 1u);
  const mail::MemSentMessage& sent = app_.sent()[0];
  EXPECT_EQ(sent.subject, "Vellumo Error");
  EXPECT_THAT(sent.recipients, ElementsAre(std::string(kSupportAddress)));
  EXPECT_THAT(sent.attachments, ElementsAre("SupportLog.txt"));
  EXPECT_EQ(sent.billing_information, "Preview Send");
  EXPECT_TRUE(sent.delete_after_submit);
  EXPECT_THAT(sent.body, ::testing::StartsWith("Date (mdy): 12-08-2026 19:55:55\r\n"
                                               "Description: Overflow\r\n"));
}

TEST_F(ReportQuestionTest, NoOrTheCloseBoxSendsNothing) {
  Run("frmMessage.cmdNo.Click\n");
  EXPECT_THAT(app_.sent(), IsEmpty());
  Run("frmMessage.Close\n");
  EXPECT_THAT(app_.sent(), IsEmpty());
  Run("");  // nobody there to answer: the form is closed, as with the close box
  EXPECT_THAT(app_.sent(), IsEmpty());
  ASSERT_EQ(Transcript().size(), 3u);
  for (const Json& line : Transcript()) {
    EXPECT_EQ(line["answer"], "No") << "every answer reaches the UI log: " << line.dump();
  }
}

}  // namespace
}  // namespace vellumo
