#include "platform/ui/transcript.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <vector>

#include "base/error.h"
#include "platform/faulty_file_system.h"
#include "platform/mem_file_system.h"
#include "platform/ui/host.h"

namespace vellumo::ui {
namespace {

using Json = nlohmann::json;
constexpr const char* kLog = "/home/user/ui.jsonl";

class TranscriptTest : public ::testing::Test {
 protected:
  // The one line the last call appended, parsed back.
  Json LastLine() {
    EXPECT_FALSE(fs_.appends().empty());
    if (fs_.appends().empty()) {
      return {};
    }
    const std::string& line = fs_.appends().back().data;
    EXPECT_EQ(line.find('\n'), line.size() - 1) << "one line, ended by a line feed";
    return Json::parse(line);
  }

  MemFileSystem fs_;
  Transcript transcript_{fs_, kLog};
};

TEST_F(TranscriptTest, MessageBoxLineHasExactlyItsFields) {
  transcript_.MsgBox("Save the\r\nchanges?", kYesNoCancel + kQuestion, "Vellumo", kNo, false);
  EXPECT_EQ(LastLine(), Json::parse(R"({"kind":"msgbox","title":"Vellumo",
      "text":"Save the\r\nchanges?","buttons":"YesNoCancel","icon":"question","answer":"No"})"));

  transcript_.MsgBox("Disk full", kAbortRetryIgnore + kCritical + kDefaultButton2, "", kRetry,
                     true);
  EXPECT_EQ(LastLine(), Json::parse(R"({"kind":"msgbox","title":"","text":"Disk full",
      "buttons":"AbortRetryIgnore","icon":"critical","answer":"Retry","defaulted":true})"));
  EXPECT_EQ(fs_.appends().size(), 2u) << "one write per line";
  EXPECT_EQ(fs_.appends()[0].path, kLog);
}

TEST_F(TranscriptTest, NamesEveryButtonStyleAndIcon) {
  const std::pair<int, const char*> styles[] = {{kOkOnly, "OK"},
                                                {kOkCancel, "OKCancel"},
                                                {kAbortRetryIgnore, "AbortRetryIgnore"},
                                                {kYesNoCancel, "YesNoCancel"},
                                                {kYesNo, "YesNo"},
                                                {kRetryCancel, "RetryCancel"}};
  for (const auto& [style, name] : styles) {
    transcript_.MsgBox("x", style + kInformation, "t", MsgBoxDefault(style), false);
    EXPECT_EQ(LastLine()["buttons"], name);
    EXPECT_EQ(LastLine()["icon"], "information");
  }
  transcript_.MsgBox("x", kExclamation, "t", kOk, false);
  EXPECT_EQ(LastLine()["icon"], "exclamation");
  transcript_.MsgBox("x", kOkOnly, "t", kOk, false);
  EXPECT_EQ(LastLine()["icon"], "");
}

TEST_F(TranscriptTest, InputBoxLine) {
  transcript_.InputBox("Your name?", "Set-up", "Ann", "Ann Lee", false, false);
  EXPECT_EQ(LastLine(), Json::parse(R"({"kind":"inputbox","prompt":"Your name?","title":"Set-up",
      "default":"Ann","answer":"Ann Lee","cancelled":false})"));
  transcript_.InputBox("Your name?", "Set-up", "Ann", "", true, true);
  EXPECT_EQ(LastLine(), Json::parse(R"({"kind":"inputbox","prompt":"Your name?","title":"Set-up",
      "default":"Ann","answer":"","cancelled":true,"defaulted":true})"));
}

TEST_F(TranscriptTest, FormLineHoldsTheControlsShownWhenItWasShown) {
  Form form("frmBrowser");
  form.caption = "Vellumo Browser";
  Control label{.name = "lblInfo", .kind = ControlKind::kLabel, .caption = "Pick one"};
  form.Add(label);
  Control combo{.name = "cboTemplates", .kind = ControlKind::kComboBox, .text = "b.htm"};
  combo.list = {"a.htm", "b.htm"};
  combo.list_index = 1;
  form.Add(combo);
  form.Add({.name = "chkvCard", .kind = ControlKind::kCheckBox, .caption = "vCard", .value = 1});
  form.Add({.name = "cmdSend",
            .kind = ControlKind::kCommandButton,
            .caption = "Send",
            .enabled = false});
  form.Add({.name = "webPreview", .kind = ControlKind::kBrowser, .document = "C:\\p.html"});
  form.Add({.name = "cmdHidden", .kind = ControlKind::kCommandButton, .visible = false});
  form.Add({.name = "fraGone", .kind = ControlKind::kFrame, .visible = false});
  form.Add({.name = "txtInGone", .kind = ControlKind::kTextBox, .container = "fraGone"});

  FormRecord record = FormRecord::Snapshot(form);
  form["chkvCard"].value = 0;  // later changes do not reach the record
  record.events = {"cboTemplates.Click 0", "cmdSend.Click"};
  record.unload = UnloadMode::kCode;
  transcript_.FormShown(record);
  EXPECT_EQ(LastLine(), Json::parse(R"({"kind":"form","name":"frmBrowser",
      "caption":"Vellumo Browser","controls":[
        {"name":"lblInfo","kind":"label","caption":"Pick one","text":"","enabled":true},
        {"name":"cboTemplates","kind":"combobox","caption":"","text":"b.htm",
         "list":["a.htm","b.htm"],"list_index":1,"enabled":true},
        {"name":"chkvCard","kind":"checkbox","caption":"vCard","text":"","value":1,
         "enabled":true},
        {"name":"cmdSend","kind":"commandbutton","caption":"Send","text":"","enabled":false},
        {"name":"webPreview","kind":"browser","caption":"","text":"","document":"C:\\p.html",
         "enabled":true}],
      "events":["cboTemplates.Click 0","cmdSend.Click"],"unload":"code","defaulted":false})"));

  record.unload = UnloadMode::kCloseBox;
  record.defaulted = true;
  record.forced = true;
  transcript_.FormShown(record);
  Json line = LastLine();
  EXPECT_EQ(line["unload"], "closebox");
  EXPECT_EQ(line["defaulted"], true);
  EXPECT_EQ(line["forced"], true);
}

TEST_F(TranscriptTest, EmbeddedFormControlsAreRecordedUnderQualifiedNamesWhenShown) {
  Form dialog("frmOptions");
  dialog.Add({.name = "tabPages",
              .kind = ControlKind::kTabStrip,
              .text = "A",
              .list = {"A", "B"},
              .list_index = 0});
  dialog.Add({.name = "fraPage1", .kind = ControlKind::kFrame});
  dialog.Add({.name = "fraPage2", .kind = ControlKind::kFrame, .visible = false});
  Form shown("PropPage");
  shown.Add({.name = "txtPath", .kind = ControlKind::kTextBox, .text = "C:\\t"});
  Form hidden("Other");
  hidden.Add({.name = "txtGone", .kind = ControlKind::kTextBox});
  dialog.Embed(shown, "fraPage1");
  dialog.Embed(hidden, "fraPage2");

  const FormRecord record = FormRecord::Snapshot(dialog);
  std::vector<std::string> names;
  for (const Control& control : record.controls) {
    names.push_back(control.name + "@" + control.container);
  }
  EXPECT_EQ(names,
            (std::vector<std::string>{"tabPages@", "fraPage1@", "PropPage.txtPath@fraPage1"}));
  transcript_.FormShown(record);
  const Json line = LastLine();
  EXPECT_EQ(line["controls"][0]["list"], Json::parse(R"(["A","B"])"));
  EXPECT_EQ(line["controls"][0]["list_index"], 0);
  EXPECT_EQ(line["controls"][2]["name"], "PropPage.txtPath");
  EXPECT_EQ(line["controls"][2]["text"], "C:\\t");
}

TEST_F(TranscriptTest, BadUtf8IsReplacedNotLost) {
  transcript_.MsgBox("caf\xE9 ok", kOkOnly, "t\xFF", kOk, false);
  Json line = LastLine();
  EXPECT_EQ(line["text"], "caf\xEF\xBF\xBD ok");
  EXPECT_EQ(line["title"], "t\xEF\xBF\xBD");
  EXPECT_EQ(transcript_.failures(), 0);
}

TEST(TranscriptFailure, FailedAppendIsCountedNotThrown) {
  MemFileSystem mem;
  FaultyFileSystem fs(mem);
  fs.FailOn(FaultyFileSystem::Call::kAppendFile, "ui.jsonl", ErrorCode::kDiskFull, 1);
  Transcript transcript(fs, kLog);
  EXPECT_NO_THROW(transcript.MsgBox("a", kOkOnly, "t", kOk, false));
  transcript.MsgBox("b", kOkOnly, "t", kOk, false);
  EXPECT_EQ(transcript.failures(), 1);
  EXPECT_THAT(transcript.first_failure(), ::testing::HasSubstr("Disk full"));
  ASSERT_EQ(mem.appends().size(), 1u);
  EXPECT_EQ(Json::parse(mem.appends()[0].data)["text"], "b");
}

// What the script and terminal hosts share: a form shown once at a time, and off the stack however
// the showing ends, so a failure inside one window never blocks showing it again.
TEST(ModalShowing, RefusesAShownFormAndLeavesTheStackEvenWhenTheShowingFails) {
  Form form("frmPreview");
  std::vector<const Form*> showing;
  {
    ModalShowing outer(showing, form);
    EXPECT_TRUE(form.loaded());
    ASSERT_EQ(showing.size(), 1u);
    try {
      ModalShowing again(showing, form);
      ADD_FAILURE() << "a form shown twice at once";
    } catch (const Error& error) {
      EXPECT_EQ(error.code(), ErrorCode::kInvalidCall);
    }
    EXPECT_EQ(showing.size(), 1u) << "the refused showing took nothing off";
  }
  EXPECT_TRUE(showing.empty());

  form.Unload();
  try {
    ModalShowing failing(showing, form);
    throw std::runtime_error("the window could not be drawn");
  } catch (const std::runtime_error&) {
  }
  EXPECT_TRUE(showing.empty()) << "a failed showing must not leave the form marked as shown";
}

}  // namespace
}  // namespace vellumo::ui
