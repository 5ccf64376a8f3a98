#include "platform/ui/script_host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "base/error.h"
#include "platform/mem_file_system.h"

namespace vellumo::ui {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Json = nlohmann::json;

constexpr const char* kLog = "/home/user/ui.jsonl";

// The message form: Yes and No set the answer, OK leaves it; each unloads the form.
struct MessageForm {
  explicit MessageForm(std::vector<std::string>* trace = nullptr) : form("frmMessage") {
    form.caption = "Vellumo Option";
    form.Add({.name = "lblMessage", .kind = ControlKind::kLabel, .caption = "Notify?"});
    form.Add({.name = "cmdYes", .kind = ControlKind::kCommandButton, .caption = "Yes"});
    form.Add({.name = "cmdNo", .kind = ControlKind::kCommandButton, .caption = "No"});
    form.Add({.name = "cmdOK", .kind = ControlKind::kCommandButton, .caption = "OK"});
    form.On("cmdYes", "Click", [this](Event&) {
      answer = "Yes";
      form.Unload();
    });
    form.On("cmdNo", "Click", [this](Event&) {
      answer = "No";
      form.Unload();
    });
    form.On("cmdOK", "Click", [this](Event&) { form.Unload(); });
    form.On("Form", "QueryUnload", [this, trace](Event& event) {
      if (trace) {
        trace->push_back("frmMessage QueryUnload");
      }
      event.cancel = refuse_close;
    });
  }
  Form form;
  std::string answer;
  bool refuse_close = false;
};

class ScriptHostTest : public ::testing::Test {
 protected:
  ScriptHost& Script(std::string_view text) {
    host_.emplace(ScriptAnswers::Parse(text, "answers.txt"), &transcript_);
    return *host_;
  }
  std::vector<Json> Log() {
    std::vector<Json> lines;
    for (const auto& append : fs_.appends()) {
      lines.push_back(Json::parse(append.data));
    }
    return lines;
  }
  // The Error text a call throws, or "" when it throws none.
  template <typename Call>
  static std::string ErrorOf(Call call) {
    try {
      call();
    } catch (const Error& error) {
      return error.what();
    }
    return "";
  }

  MemFileSystem fs_;
  Transcript transcript_{fs_, kLog};
  std::optional<ScriptHost> host_;
};

TEST_F(ScriptHostTest, MessageBoxTakesAnyButtonOfItsStyle) {
  struct Case {
    int style;
    const char* line;
    int answer;
  };
  const Case cases[] = {
      {kOkOnly, "OK", kOk},
      {kOkCancel + kExclamation, "Cancel", kCancel},
      {kOkCancel, "ok", kOk},
      {kAbortRetryIgnore, "Abort", kAbort},
      {kAbortRetryIgnore, "RETRY", kRetry},
      {kAbortRetryIgnore + kCritical, "Ignore", kIgnore},
      {kYesNoCancel, "Yes", kYes},
      {kYesNoCancel, "no", kNo},
      {kYesNoCancel, "Cancel", kCancel},
      {kYesNo + kQuestion, " No ", kNo},
      {kRetryCancel, "Retry", kRetry},
      {kRetryCancel, "Cancel", kCancel},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    ScriptHost& host = Script(c.line);
    EXPECT_EQ(host.MsgBox("Go on?", c.style, "Vellumo"), c.answer);
    EXPECT_EQ(host.remaining(), 0u);
  }
  EXPECT_EQ(Log().back()["answer"], "Cancel");
  EXPECT_FALSE(Log().back().contains("defaulted"));
}

TEST_F(ScriptHostTest, MessageBoxWithoutAnswerTakesItsDefaultButton) {
  ScriptHost& host = Script("");
  EXPECT_EQ(host.MsgBox("a", kYesNo, "t"), kYes);
  EXPECT_EQ(host.MsgBox("a", kYesNo + kDefaultButton2, "t"), kNo);
  EXPECT_EQ(host.MsgBox("a", kYesNoCancel + kDefaultButton3, "t"), kCancel);
  EXPECT_EQ(host.MsgBox("a", kAbortRetryIgnore + kDefaultButton2 + kCritical, "t"), kRetry);
  EXPECT_EQ(host.MsgBox("a", kOkCancel + kDefaultButton3, "t"), kOk) << "no third button";
  EXPECT_EQ(host.MsgBox("a", kOkOnly, "t"), kOk);
  std::vector<Json> log = Log();
  ASSERT_EQ(log.size(), 6u);
  EXPECT_EQ(log[1]["answer"], "No");
  EXPECT_EQ(log[1]["defaulted"], true);
}

TEST_F(ScriptHostTest, WrongAnswerFailsNamingFileLineAndWhatWasExpected) {
  ScriptHost& host = Script("Yes\r\n\r\n# the second box\r\nRetry\r\n");
  EXPECT_EQ(host.MsgBox("first", kYesNo, "t"), kYes);
  const std::string error = ErrorOf([&] { (void)host.MsgBox("Save the changes?", kYesNo, "t"); });
  EXPECT_THAT(error, HasSubstr("answers.txt:4:"));
  EXPECT_THAT(error, HasSubstr("Yes or No"));
  EXPECT_THAT(error, HasSubstr("Save the changes?"));
  EXPECT_THAT(error, HasSubstr("'Retry'"));
  EXPECT_EQ(Log().size(), 1u) << "a refused answer is not logged as given";

  EXPECT_THAT(ErrorOf([&] { (void)Script("frmMessage.cmdOK.Click").MsgBox("x", kOkOnly, "t"); }),
              HasSubstr("answers.txt:1: expected a message box answer (OK)"));
  EXPECT_THAT(ErrorOf([&] { (void)Script("Yes").MsgBox("x", 7, "t"); }),
              HasSubstr("Invalid procedure call"));
}

TEST_F(ScriptHostTest, InputBoxAnswers) {
  ScriptHost& host = Script(
      "text: Ann Lee\n"
      "TEXT:\n"
      "text:  two blanks \n"
      "Cancel\n"
      "ok\n");
  EXPECT_EQ(host.InputBox("Name?", "Set-up", "x"), "Ann Lee");
  EXPECT_EQ(host.InputBox("Name?", "Set-up", "x"), "");
  EXPECT_EQ(host.InputBox("Name?", "Set-up", "x"), " two blanks ");
  EXPECT_EQ(host.InputBox("Name?", "Set-up", "x"), "");
  EXPECT_EQ(host.InputBox("Name?", "Set-up", "kept"), "kept");
  EXPECT_EQ(host.InputBox("Name?", "Set-up", "x"), "") << "none left";
  std::vector<Json> log = Log();
  ASSERT_EQ(log.size(), 6u);
  EXPECT_EQ(log[1]["cancelled"], false);
  EXPECT_EQ(log[3]["cancelled"], true);
  EXPECT_FALSE(log[3].contains("defaulted"));
  EXPECT_EQ(log[5]["cancelled"], true);
  EXPECT_EQ(log[5]["defaulted"], true);

  EXPECT_THAT(ErrorOf([&] { (void)Script("\nYes").InputBox("Name?", "t", ""); }),
              HasSubstr("answers.txt:2: expected an input box answer"));
}

TEST_F(ScriptHostTest, FormTakesItsEventsUntilItUnloads) {
  MessageForm message;
  ScriptHost& host = Script("frmmessage.CMDYES.click\nYes\n");
  host.ShowForm(message.form);
  EXPECT_EQ(message.answer, "Yes");
  EXPECT_FALSE(message.form.loaded());
  EXPECT_EQ(host.remaining(), 1u) << "the line after the unload is for the next box";
  EXPECT_EQ(host.MsgBox("next", kYesNo, "t"), kYes);
  Json form_line = Log()[0];
  EXPECT_EQ(form_line["kind"], "form");
  EXPECT_EQ(form_line["name"], "frmMessage");
  EXPECT_EQ(form_line["events"], Json::parse(R"(["CMDYES.click"])"));
  EXPECT_EQ(form_line["unload"], "code");
  EXPECT_EQ(form_line["defaulted"], false);
}

TEST_F(ScriptHostTest, EventsApplyStateAndArgumentsKeepTheirBlanks) {
  Form form("frmWizard");
  form.Add({.name = "txtName", .kind = ControlKind::kTextBox});
  Control combo{.name = "cboTemplates", .kind = ControlKind::kComboBox};
  combo.list = {"a.htm", "b.htm", "c.htm"};
  form.Add(combo);
  form.Add({.name = "cmdNext", .kind = ControlKind::kCommandButton});
  std::string seen;
  form.On("cmdNext", "Click", [&](Event&) {
    seen = form["txtName"].text + "|" + form["cboTemplates"].text;
    form.Unload();
  });
  ScriptHost& host = Script(
      "frmWizard.txtName.Change Ann  Lee \n"
      "frmWizard.cboTemplates.Click 2\n"
      "frmWizard.cmdNext.Click\n");
  host.ShowForm(form);
  EXPECT_EQ(seen, "Ann  Lee |c.htm");
  EXPECT_EQ(Log()[0]["events"],
            Json::parse(R"(["txtName.Change Ann  Lee ","cboTemplates.Click 2","cmdNext.Click"])"));
}

TEST_F(ScriptHostTest, NestedBoxesAndFormsTakeTheFollowingLines) {
  std::vector<std::string> trace;
  MessageForm message(&trace);
  Form wizard("frmWizard");
  wizard.Add({.name = "cmdFinish", .kind = ControlKind::kCommandButton});
  wizard.Add({.name = "cmdCancel", .kind = ControlKind::kCommandButton});
  ScriptHost& host = Script(
      "frmWizard.cmdFinish.Click\n"
      "No\n"
      "frmMessage.cmdYes.Click\n"
      "text: ann@example.com\n"
      "frmWizard.cmdCancel.Click\n");
  wizard.On("cmdFinish", "Click", [&](Event&) {
    trace.push_back("msgbox " + std::string(AnswerText(host.MsgBox("Sure?", kYesNo, "t"))));
    host.ShowForm(message.form);
    trace.push_back("message " + message.answer);
    trace.push_back("input " + host.InputBox("Mail?", "t", ""));
  });
  wizard.On("cmdCancel", "Click", [&](Event&) { wizard.Unload(); });
  host.ShowForm(wizard);
  EXPECT_THAT(trace, ElementsAre("msgbox No", "frmMessage QueryUnload", "message Yes",
                                 "input ann@example.com"));
  std::vector<Json> log = Log();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0]["kind"], "msgbox");
  EXPECT_EQ(log[1]["name"], "frmMessage");
  EXPECT_EQ(log[2]["kind"], "inputbox");
  EXPECT_EQ(log[3]["name"], "frmWizard");
  EXPECT_EQ(log[3]["events"], Json::parse(R"(["cmdFinish.Click","cmdCancel.Click"])"));
}

TEST_F(ScriptHostTest, LineForAnotherFormWhileOneIsShownFails) {
  MessageForm message;
  Form wizard("frmWizard");
  wizard.Add({.name = "cmdNext", .kind = ControlKind::kCommandButton});
  wizard.On("cmdNext", "Click", [&](Event&) { host_->ShowForm(message.form); });
  ScriptHost& host = Script("frmWizard.cmdNext.Click\nfrmWizard.cmdNext.Click\n");
  const std::string error = ErrorOf([&] { host.ShowForm(wizard); });
  EXPECT_THAT(error, HasSubstr("answers.txt:2: expected an event for frmMessage"));
  EXPECT_THAT(error, HasSubstr("'frmWizard.cmdNext.Click'"));

  EXPECT_THAT(ErrorOf([&] { Script("\n\nYes").ShowForm(message.form); }),
              HasSubstr("answers.txt:3: expected an event for frmMessage"));
  EXPECT_THAT(ErrorOf([&] { Script("frmMessage.cmdYes").ShowForm(message.form); }),
              HasSubstr("answers.txt:1:"));
  EXPECT_THAT(ErrorOf([&] { Script("frmMessage..Click").ShowForm(message.form); }),
              HasSubstr("answers.txt:1:"));
}

TEST_F(ScriptHostTest, QualifiedNamesReachEmbeddedFormsAndArgumentsMayHoldDots) {
  Form dialog("frmOptions");
  dialog.Add({.name = "fraPage1", .kind = ControlKind::kFrame});
  dialog.Add({.name = "fraPage2", .kind = ControlKind::kFrame, .visible = false});
  dialog.Add({.name = "cmdOK", .kind = ControlKind::kCommandButton});
  dialog.On("cmdOK", "Click", [&](Event&) { dialog.Unload(); });
  Form page("PropPage");
  page.Add({.name = "txtPath", .kind = ControlKind::kTextBox});
  Form inner("Inner");
  inner.Add({.name = "chkDeep", .kind = ControlKind::kCheckBox});
  page.Add({.name = "fraInner", .kind = ControlKind::kFrame});
  page.Embed(inner, "fraInner");
  dialog.Embed(page, "fraPage1");
  Form hidden("Hidden");
  hidden.Add({.name = "txtNo", .kind = ControlKind::kTextBox});
  dialog.Embed(hidden, "fraPage2");

  ScriptHost& host = Script(
      "frmOptions.PropPage.txtPath.Change C:\\a.b\\c.d e\n"
      "frmOptions.proppage.Inner.chkDeep.Click\n"
      "frmOptions.cmdOK.Click\n");
  host.ShowForm(dialog);
  EXPECT_EQ(page["txtPath"].text, "C:\\a.b\\c.d e");
  EXPECT_EQ(inner["chkDeep"].value, 1);
  EXPECT_EQ(Log()[0]["events"], Json::parse(R"(["PropPage.txtPath.Change C:\\a.b\\c.d e",
      "proppage.Inner.chkDeep.Click","cmdOK.Click"])"));

  // A control in a hidden page cannot be reached, and an unknown one is named in full.
  EXPECT_THAT(ErrorOf([&] { Script("frmOptions.Hidden.txtNo.Change x").ShowForm(dialog); }),
              HasSubstr("answers.txt:1: Invalid procedure call or argument: "
                        "frmOptions.Hidden.txtNo is hidden"));
  dialog.ForceUnload(UnloadMode::kCode);
  EXPECT_THAT(ErrorOf([&] { Script("frmOptions.PropPage.txtNope.Change x").ShowForm(dialog); }),
              HasSubstr("frmOptions has no control PropPage.txtNope"));
  dialog.ForceUnload(UnloadMode::kCode);
  EXPECT_THAT(ErrorOf([&] { Script("frmOptions.PropPage..Change x").ShowForm(dialog); }),
              HasSubstr("answers.txt:1: expected an event"));
}

TEST_F(ScriptHostTest, EventTheUserCouldNotSendFailsWithItsLine) {
  MessageForm message;
  message.form["cmdNo"].visible = false;
  message.form["cmdOK"].enabled = false;
  EXPECT_THAT(ErrorOf([&] { Script("frmMessage.cmdNo.Click").ShowForm(message.form); }),
              HasSubstr("answers.txt:1: Invalid procedure call or argument: frmMessage.cmdNo is "
                        "hidden"));
  message.form.ForceUnload(UnloadMode::kCode);
  EXPECT_THAT(ErrorOf([&] { Script("# x\nfrmMessage.cmdOK.Click").ShowForm(message.form); }),
              HasSubstr("answers.txt:2: Invalid procedure call or argument: frmMessage.cmdOK is "
                        "disabled"));
  message.form.ForceUnload(UnloadMode::kCode);
  EXPECT_THAT(ErrorOf([&] { Script("frmMessage.cmdMaybe.Click").ShowForm(message.form); }),
              HasSubstr("answers.txt:1: Object variable or With block variable not set: "
                        "frmMessage has no control cmdMaybe"));
  EXPECT_EQ(message.answer, "");
}

TEST_F(ScriptHostTest, RunningOutClosesTheFormThroughItsCloseBox) {
  std::vector<std::string> trace;
  MessageForm message(&trace);
  message.answer = "as the caller set it";
  Script("").ShowForm(message.form);
  EXPECT_FALSE(message.form.loaded());
  EXPECT_EQ(message.form.unload_mode(), UnloadMode::kCloseBox);
  EXPECT_EQ(message.answer, "as the caller set it");
  EXPECT_THAT(trace, ElementsAre("frmMessage QueryUnload"));
  Json line = Log().back();
  EXPECT_EQ(line["unload"], "closebox");
  EXPECT_EQ(line["defaulted"], true);
  EXPECT_FALSE(line.contains("forced"));
}

TEST_F(ScriptHostTest, FormRefusingToCloseAtTheEndIsForcedAndRecorded) {
  std::vector<std::string> trace;
  MessageForm message(&trace);
  message.refuse_close = true;
  ScriptHost& host = Script("frmMessage.Close\n");
  host.ShowForm(message.form);
  EXPECT_FALSE(message.form.loaded());
  EXPECT_THAT(trace, ElementsAre("frmMessage QueryUnload", "frmMessage QueryUnload"));
  Json line = Log().back();
  EXPECT_EQ(line["events"], Json::parse(R"(["Close"])"));
  EXPECT_EQ(line["forced"], true);
  EXPECT_EQ(line["defaulted"], true);
}

TEST_F(ScriptHostTest, CloseLineUsesTheCloseBoxAndLeavesLaterLinesForLaterBoxes) {
  MessageForm message;
  ScriptHost& host = Script("frmMessage.close\nNo\n");
  host.ShowForm(message.form);
  EXPECT_EQ(message.form.unload_mode(), UnloadMode::kCloseBox);
  EXPECT_EQ(Log().back()["defaulted"], false);
  EXPECT_EQ(host.MsgBox("x", kYesNo, "t"), kNo);
}

TEST_F(ScriptHostTest, FormUnloadedByItsLoadTakesNoLines) {
  Form form("frmGone");
  form.On("Form", "Load", [&](Event&) { form.Unload(); });
  ScriptHost& host = Script("Yes");
  host.ShowForm(form);
  EXPECT_EQ(host.remaining(), 1u);
  EXPECT_EQ(Log().back()["unload"], "code");
}

TEST_F(ScriptHostTest, ShowingAFormThatIsAlreadyShownFails) {
  Form form("frmLoop");
  form.Add({.name = "cmdAgain", .kind = ControlKind::kCommandButton});
  form.On("cmdAgain", "Click", [&](Event&) { host_->ShowForm(form); });
  EXPECT_THAT(ErrorOf([&] { Script("frmLoop.cmdAgain.Click").ShowForm(form); }),
              HasSubstr("frmLoop is already shown"));
  // The failed showing does not leave the form marked as shown.
  form.ForceUnload(UnloadMode::kCode);
  EXPECT_NO_THROW(host_->ShowForm(form));
  EXPECT_FALSE(form.loaded());
}

TEST(ScriptAnswersTest, SplitsAtEveryLineEndAndReadsWindows1252) {
  const ScriptAnswers answers = ScriptAnswers::Parse("a\r\nb\rc\n\nd\xE9", "f");
  EXPECT_THAT(answers.lines, ElementsAre("a", "b", "c", "", "d\xC3\xA9"));
  EXPECT_THAT(ScriptAnswers::Parse("a\n", "f").lines, ElementsAre("a"));
  EXPECT_TRUE(ScriptAnswers::Parse("", "f").lines.empty());
}

TEST(ScriptAnswersTest, LoadsTheFileOnceByItsPath) {
  MemFileSystem fs;
  fs.AddFile("/home/user/answers.txt", "Yes\nNo\n");
  ScriptHost host(fs, "/home/user/answers.txt");
  fs.AddFile("/home/user/answers.txt", "No\n");
  EXPECT_EQ(host.MsgBox("x", kYesNo, "t"), kYes);
  EXPECT_EQ(host.MsgBox("x", kYesNo, "t"), kNo);
  try {
    ScriptHost missing(fs, "/home/user/none.txt");
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), ErrorCode::kFileNotFound);
  }
  EXPECT_EQ(ScriptHost(fs, "").remaining(), 0u);
}

}  // namespace
}  // namespace vellumo::ui
