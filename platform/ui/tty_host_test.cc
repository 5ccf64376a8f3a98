#include "platform/ui/tty_host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/mem_file_system.h"

namespace vellumo::ui {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Json = nlohmann::json;

class TtyHostTest : public ::testing::Test {
 protected:
  TtyHost& Typed(const std::string& input) {
    in_.str(input);
    in_.clear();
    out_.str("");
    host_.emplace(in_, out_, &transcript_);
    return *host_;
  }
  Json LastLog() { return Json::parse(fs_.appends().back().data); }

  std::istringstream in_;
  std::ostringstream out_;
  MemFileSystem fs_;
  Transcript transcript_{fs_, "/home/user/ui.jsonl"};
  std::optional<TtyHost> host_;
};

TEST_F(TtyHostTest, MessageBoxShowsChoicesAndTakesLetterOrWord) {
  EXPECT_EQ(Typed("n\n").MsgBox("Save the changes?", kYesNoCancel + kQuestion, "Vellumo"), kNo);
  const std::string shown = out_.str();
  EXPECT_THAT(shown, HasSubstr("Vellumo"));
  EXPECT_THAT(shown, HasSubstr("(?) Save the changes?"));
  EXPECT_THAT(shown, HasSubstr("[Y]es  [N]o  [C]ancel  (Enter: Yes)"));
  EXPECT_EQ(LastLog()["answer"], "No");

  EXPECT_EQ(Typed("maybe\nIGNORE\n").MsgBox("x", kAbortRetryIgnore, "t"), kIgnore);
  // "y" is no choice of OK/Cancel; the input then ends and the default is taken.
  EXPECT_EQ(Typed("y\n").MsgBox("x", kOkCancel, "t"), kOk);
  EXPECT_EQ(LastLog()["defaulted"], true);
}

TEST_F(TtyHostTest, MessageBoxEnterTakesTheDefaultAndEndOfInputToo) {
  EXPECT_EQ(Typed("\n").MsgBox("x", kYesNo + kDefaultButton2, "t"), kNo);
  EXPECT_FALSE(LastLog().contains("defaulted"));
  EXPECT_EQ(Typed("").MsgBox("x", kRetryCancel, "t"), kRetry);
  EXPECT_EQ(LastLog()["defaulted"], true);
}

TEST_F(TtyHostTest, InputBoxTakesTheLineOrKeepsTheDefault) {
  EXPECT_EQ(Typed("Ann Lee\r\n").InputBox("Your name?", "Set-up", "Ann"), "Ann Lee");
  EXPECT_THAT(out_.str(), HasSubstr("Your name?"));
  EXPECT_THAT(out_.str(), HasSubstr("\"Ann\""));
  EXPECT_EQ(Typed("\n").InputBox("Your name?", "Set-up", "Ann"), "Ann");
  EXPECT_EQ(LastLog()["cancelled"], false);
  EXPECT_EQ(Typed("").InputBox("Your name?", "Set-up", "Ann"), "");
  EXPECT_EQ(LastLog()["cancelled"], true);
  EXPECT_EQ(LastLog()["defaulted"], true);
}

class TtyFormTest : public TtyHostTest {
 protected:
  TtyFormTest() : form_("frmBrowser") {
    form_.caption = "Vellumo Browser";
    Control combo{.name = "cboTemplates", .kind = ControlKind::kComboBox};
    combo.list = {"a.htm", "b.htm", "c.htm"};
    form_.Add(combo);
    form_.Add({.name = "txtNote", .kind = ControlKind::kTextBox});
    form_.Add({.name = "chkvCard", .kind = ControlKind::kCheckBox, .caption = "Attach vCard"});
    form_.Add({.name = "cmdHidden", .kind = ControlKind::kCommandButton, .visible = false});
    form_.Add({.name = "cmdSend", .kind = ControlKind::kCommandButton, .caption = "Send"});
    form_.Add({.name = "cmdOff",
               .kind = ControlKind::kCommandButton,
               .caption = "Off",
               .enabled = false});
    form_.On("cmdSend", "Click", [this](Event&) {
      sent_ = form_["cboTemplates"].text + "|" + form_["txtNote"].text + "|" +
              std::to_string(form_["chkvCard"].value);
      form_.Unload();
    });
  }
  Form form_;
  std::string sent_;
};

TEST_F(TtyFormTest, CommandsDriveTheFormAndTheListIsRedrawn) {
  Typed(
      "select cboTemplates 2\n"
      "set txtNote  two  words\n"
      "click 3\n"
      "click cmdSend\n");
  host_->ShowForm(form_);
  EXPECT_EQ(sent_, "c.htm| two  words|1");
  const std::string shown = out_.str();
  EXPECT_THAT(shown, HasSubstr("== frmBrowser: Vellumo Browser =="));
  EXPECT_THAT(shown, HasSubstr("[c.htm]  0:a.htm | 1:b.htm | 2*c.htm"));
  EXPECT_THAT(shown, HasSubstr("[x] Attach vCard"));
  EXPECT_THAT(shown, HasSubstr("<Off>  (disabled)"));
  EXPECT_THAT(shown, ::testing::Not(HasSubstr("cmdHidden")));
  // Numbers count the shown controls only: 4 is cmdSend, not the hidden button.
  EXPECT_THAT(shown, HasSubstr("  4  cmdSend"));
  Json log = LastLog();
  EXPECT_EQ(log["events"], Json::parse(R"(["cboTemplates.Click 2","txtNote.Change  two  words",
      "chkvCard.Click","cmdSend.Click"])"));
  EXPECT_EQ(log["unload"], "code");
  EXPECT_EQ(log["defaulted"], false);
}

TEST_F(TtyFormTest, MistakesAreShownAndTheFormStaysUp) {
  form_.On("chkvCard", "Click", [](Event&) { throw Error(ErrorCode::kPermissionDenied, "x"); });
  Typed(
      "jump\n"
      "click cmdNope\n"
      "click 9\n"
      "click cmdOff\n"
      "select cboTemplates 7\n"
      "click chkvCard\n"
      "fire cmdSend\n"
      "close\n");
  host_->ShowForm(form_);
  const std::string shown = out_.str();
  EXPECT_THAT(shown, HasSubstr("! unknown command jump"));
  EXPECT_THAT(shown, HasSubstr("! frmBrowser has no control cmdNope"));
  EXPECT_THAT(shown, HasSubstr("! there is no control number 9"));
  EXPECT_THAT(shown, HasSubstr("frmBrowser.cmdOff is disabled"));
  EXPECT_THAT(shown, HasSubstr("no entry 7"));
  EXPECT_THAT(shown, HasSubstr("! error: Permission denied: x"));
  EXPECT_THAT(shown, HasSubstr("! name the event"));
  EXPECT_EQ(sent_, "");
  EXPECT_EQ(form_.unload_mode(), UnloadMode::kCloseBox);
  EXPECT_EQ(LastLog()["events"], Json::parse(R"(["chkvCard.Click","Close"])"));
}

TEST_F(TtyFormTest, EndOfInputClosesAndForcesARefusingForm) {
  int queries = 0;
  form_.On("Form", "QueryUnload", [&](Event& event) {
    ++queries;
    event.cancel = true;
  });
  Typed("close\n");
  host_->ShowForm(form_);
  EXPECT_FALSE(form_.loaded());
  EXPECT_EQ(queries, 2);
  Json log = LastLog();
  EXPECT_EQ(log["defaulted"], true);
  EXPECT_EQ(log["forced"], true);
}

TEST_F(TtyFormTest, NestedMessageBoxReadsTheNextLine) {
  std::vector<std::string> trace;
  form_.On("cmdSend", "Click", [&](Event&) {
    trace.push_back(std::string(AnswerText(host_->MsgBox("Send now?", kYesNo, "t"))));
    form_.Unload();
  });
  Typed("click cmdSend\nno\n");
  host_->ShowForm(form_);
  EXPECT_THAT(trace, ElementsAre("No"));
  EXPECT_EQ(fs_.appends().size(), 2u);
  EXPECT_EQ(LastLog()["kind"], "form");
}

}  // namespace
}  // namespace vellumo::ui
