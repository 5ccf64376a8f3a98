#include "tty/tty_host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "base/error.h"
#include "platform/mem_file_system.h"

namespace vellumo::ui {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
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

TEST_F(TtyHostTest, MessageBoxEscapeIsCancelWhereThereIsOne) {
  EXPECT_EQ(Typed("esc\n").MsgBox("x", kYesNoCancel, "t"), kCancel);
  // Yes/No has no close action: Escape is no answer, and the end of input takes the default.
  EXPECT_EQ(Typed("escape\n").MsgBox("x", kYesNo + kDefaultButton2, "t"), kNo);
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

TEST_F(TtyFormTest, ScriptCommandsDriveTheFormAndItIsDrawnForAPerson) {
  Typed(
      "select cboTemplates 2\n"
      "set txtNote  two  words\n"
      "click chkvCard\n"
      "click cmdSend\n");
  host_->ShowForm(form_);
  EXPECT_EQ(sent_, "c.htm| two  words|1");
  const std::string shown = out_.str();
  EXPECT_THAT(shown, HasSubstr("== Vellumo Browser =="));
  // Buttons first, then what a person can change; the hidden and the disabled get no number.
  EXPECT_THAT(shown, HasSubstr("[2] (none)\n[3] \n[4] [ ] Attach vCard\n[1] Send  (Off: off)\n"
                               "Enter: Send."));
  EXPECT_THAT(shown, HasSubstr("[2] c.htm\n"));
  EXPECT_THAT(shown, HasSubstr("[3]  two  words\n"));
  EXPECT_THAT(shown, HasSubstr("[4] [x] Attach vCard"));
  EXPECT_THAT(shown, Not(HasSubstr("cmdHidden")));
  EXPECT_THAT(shown, Not(HasSubstr("\x1b[")));
  Json log = LastLog();
  EXPECT_EQ(log["events"], Json::parse(R"(["cboTemplates.Click 2","txtNote.Change  two  words",
      "chkvCard.Click","cmdSend.Click"])"));
  EXPECT_EQ(log["unload"], "code");
  EXPECT_EQ(log["defaulted"], false);
}

TEST_F(TtyFormTest, NumbersCaptionsAndEnterPressWhatTheyName) {
  Typed("4\nSE\n");
  host_->ShowForm(form_);
  EXPECT_EQ(sent_, "||1");
  Typed("4\n\n");
  host_->ShowForm(form_);
  EXPECT_EQ(sent_, "||0") << "Enter takes the first button when the form names none";
  Typed("1\n");
  host_->ShowForm(form_);
  EXPECT_EQ(LastLog()["events"], Json::parse(R"(["cmdSend.Click"])"));
  // A numbered list shows its entries, and "list" does too.
  Typed("2\nlist cboTemplates\nselect 2 1\nlist 2\nclick 1\n");
  host_->ShowForm(form_);
  EXPECT_EQ(sent_, "b.htm||0");
  EXPECT_THAT(out_.str(), HasSubstr("   0  a.htm\n   1  b.htm\n   2  c.htm\n"));
  EXPECT_THAT(out_.str(), HasSubstr(" * 1  b.htm\n"));
}

TEST_F(TtyFormTest, CaptionsMustBeUniqueAndEnterTakesTheNamedDefault) {
  Form form("frmAsk");
  std::vector<std::string> pressed;
  for (auto [name, caption] : {std::pair{"cmdSend", "&Send"},
                               {"cmdPlain", "Send &Plain"},
                               {"cmdNext", "> Template"},
                               {"cmdCancel", "Stop"}}) {
    form.Add({.name = name, .kind = ControlKind::kCommandButton, .caption = caption});
    form.On(name, "Click", [&pressed, &form, n = std::string(name)](Event&) {
      pressed.push_back(n);
      if (n != "cmdNext") form.Unload();
    });
  }
  Typed("se\nsend\n");
  host_->ShowForm(form);
  EXPECT_THAT(out_.str(), HasSubstr("! \"se\" could be \"Send\" \"Send Plain\""));
  EXPECT_THAT(out_.str(), HasSubstr("[1] Send  [2] Send Plain  [3] > Template  [4] Stop"));
  // "..." says nothing on its own; its tool tip is shown beside it.
  form.Add({.name = "cmdBrowse",
            .kind = ControlKind::kCommandButton,
            .caption = "...",
            .tooltip = "Choose the folder"});
  Typed("stop\n");
  host_->ShowForm(form);
  EXPECT_THAT(out_.str(), HasSubstr("[5] ... (Choose the folder)"));
  pressed.pop_back();
  Typed("template\n> t\nsend p\n");
  host_->ShowForm(form);
  Typed("\n");
  host_->ShowForm(form);  // the first button that is not a cancel one
  form.default_button = "cmdCancel";
  Typed("\n");
  host_->ShowForm(form);
  EXPECT_THAT(pressed,
              ElementsAre("cmdSend", "cmdNext", "cmdNext", "cmdPlain", "cmdSend", "cmdCancel"));
  form.default_button = "";
  form["cmdSend"].enabled = false;
  Typed("send\n");
  host_->ShowForm(form);
  EXPECT_EQ(pressed.back(), "cmdPlain") << "a disabled button cannot be pressed by its caption";
}

TEST_F(TtyFormTest, EscapeAndEndOfInputAreTheCloseBox) {
  for (const std::string typed : {"escape\n", "Esc\n", "\x1b\n", ""}) {
    Typed(typed);
    host_->ShowForm(form_);
    EXPECT_EQ(form_.unload_mode(), UnloadMode::kCloseBox) << typed;
    EXPECT_EQ(sent_, "") << typed;
    EXPECT_EQ(LastLog()["defaulted"], typed.empty()) << typed;
  }
}

TEST_F(TtyHostTest, EmbeddedFormsAreDrawnInPlaceAndTheirControlsActedOn) {
  Form dialog("frmOptions");
  dialog.caption = "Options";
  dialog.no_default_button = true;
  dialog.Add({.name = "tabPages", .kind = ControlKind::kTabStrip, .caption = "Pages"});
  dialog["tabPages"].list = {"General", "Vellumo"};
  dialog["tabPages"].list_index = 1;
  dialog.Add({.name = "fraPage1", .kind = ControlKind::kFrame, .visible = false});
  dialog.Add({.name = "fraPage2", .kind = ControlKind::kFrame});
  dialog.Add({.name = "cmdOK", .kind = ControlKind::kCommandButton, .caption = "OK"});
  dialog.On("cmdOK", "Click", [&](Event&) { dialog.Unload(); });
  Form hidden("Hidden");
  hidden.Add({.name = "chkHidden", .kind = ControlKind::kCheckBox, .caption = "Not here"});
  Form page("PropPage");
  page.Add({.name = "chkShowDate", .kind = ControlKind::kCheckBox, .caption = "Show the date"});
  page.Add({.name = "cmdDirpath", .kind = ControlKind::kCommandButton, .caption = "..."});
  page.Add({.name = "txtPath", .kind = ControlKind::kTextBox});
  dialog.Embed(hidden, "fraPage1");
  dialog.Embed(page, "fraPage2");
  int tab_clicks = 0;
  dialog.On("tabPages", "Click", [&](Event&) { ++tab_clicks; });

  // 1 "..." and 2 OK are the buttons; 3 the tabs, 4 the check box, 5 the text box.
  Typed("\n4\nset PropPage.txtPath C:\\x\n3\nselect 3 0\nclick proppage.chkShowDate\nOK\n");
  host_->ShowForm(dialog);
  const std::string shown = out_.str();
  EXPECT_THAT(shown, HasSubstr("[3] 0 General  [1 Vellumo]\n[4] [ ] Show the date\n"));
  EXPECT_THAT(shown, HasSubstr("[1] ...  [2] OK\n"));
  EXPECT_THAT(shown, Not(HasSubstr("Not here")));
  EXPECT_THAT(shown, HasSubstr("! this window has no default button"));
  EXPECT_THAT(shown, HasSubstr(" * 1  Vellumo\n"));
  EXPECT_THAT(shown, HasSubstr("(select tabPages N picks entry N)"));
  EXPECT_EQ(page["txtPath"].text, "C:\\x");
  EXPECT_EQ(page["chkShowDate"].value, 0) << "toggled twice: by number and by name";
  EXPECT_EQ(dialog["tabPages"].list_index, 0);
  EXPECT_EQ(tab_clicks, 1);
  EXPECT_EQ(LastLog()["events"],
            Json::parse(R"(["PropPage.chkShowDate.Click","PropPage.txtPath.Change C:\\x",
                "tabPages.Click 0","PropPage.chkShowDate.Click","cmdOK.Click"])"));
}

class TtyPageTest : public TtyHostTest {
 protected:
  TtyPageTest() : form_("frmBrowser") {
    form_.caption = "Vellumo Preview";
    form_.Add(
        {.name = "lblSubject", .kind = ControlKind::kLabel, .caption = "Subject", .top = 120});
    form_.Add({.name = "txtSubject",
               .kind = ControlKind::kTextBox,
               .text = "Harbour lanterns",
               .enabled = false,
               .top = 90});
    form_.Add({.name = "lblNote",
               .kind = ControlKind::kLabel,
               .caption = "Pictures stay out.",
               .top = 480});
    form_.Add({.name = "brwWebBrowser",
               .kind = ControlKind::kBrowser,
               .document = "/home/user/My Preview.html",
               .top = 1200});
    form_.Add({.name = "cmdSend", .kind = ControlKind::kCommandButton, .caption = "Send"});
    form_.On("cmdSend", "Click", [this](Event&) { form_.Unload(); });
    fs_.AddFile("/home/user/My Preview.html",
                "<html><head><title>Morning Paper</title></head><body><p>Dear Tomas, the lanterns "
                "are ready for the harbour festival and will be delivered on Friday.</p>"
                "<p>Iris</p></body></html>");
  }
  std::string Shown(TtyOptions options, const std::string& typed = "send\n") {
    options.fs = &fs_;
    in_.str(typed);
    in_.clear();
    out_.str("");
    host_.emplace(in_, out_, &transcript_, std::move(options));
    host_->ShowForm(form_);
    return out_.str();
  }
  Form form_;
};

TEST_F(TtyPageTest, ThePageIsItsTitleAndTextWrappedWithLabelsBesideTheirFields) {
  const std::string shown = Shown({.columns = 30});
  EXPECT_THAT(shown, HasSubstr("== Vellumo Preview ==\nSubject: Harbour lanterns\n"
                               "Pictures stay out.\n"));
  EXPECT_THAT(shown,
              HasSubstr("[ Morning Paper ]\n\nDear Tomas, the lanterns are\nready for "
                        "the harbour\nfestival and will be\ndelivered on Friday.\n\nIris\n"));
  EXPECT_THAT(shown, HasSubstr("file:///home/user/My%20Preview.html"));
  EXPECT_THAT(shown, Not(HasSubstr("<p>")));
}

TEST_F(TtyPageTest, OpenUsesTheOpenerOrPrintsTheAddress) {
  std::vector<std::string> opened;
  Shown({.opener =
             [&](const std::string& address) {
               opened.push_back(address);
               return true;
             }},
        "open\nsend\n");
  EXPECT_THAT(opened, ElementsAre("file:///home/user/My%20Preview.html"));
  const std::string shown = Shown({}, "open\nsend\n");
  EXPECT_THAT(shown,
              HasSubstr("Open this address in a browser: file:///home/user/My%20Preview.html"));
  form_["brwWebBrowser"].document = "/home/user/gone.html";
  EXPECT_THAT(Shown({}), HasSubstr("(the page cannot be read: File not found"));
}

TEST_F(TtyPageTest, ALongDrawingGoesThroughThePagerOnlyOnATerminal) {
  std::vector<std::string> paged;
  auto pager = [&](const std::string& text) {
    paged.push_back(text);
    return true;
  };
  std::string shown = Shown({.rows = 8, .page = true, .pager = pager});
  ASSERT_EQ(paged.size(), 1u);
  EXPECT_THAT(paged[0], HasSubstr("Dear Tomas"));
  EXPECT_THAT(shown, Not(HasSubstr("Dear Tomas")));
  EXPECT_THAT(shown, HasSubstr("(\"page\" shows the window again)\n[1] Send\nEnter: Send."));
  Shown({.rows = 8, .page = true, .pager = pager}, "page\nsend\n");
  EXPECT_EQ(paged.size(), 3u) << "\"page\" draws it again";
  Shown({.rows = 8, .page = false, .pager = pager});
  Shown({.rows = 60, .page = true, .pager = pager});
  EXPECT_EQ(paged.size(), 3u) << "not a terminal, or short enough: written as it is";
  // A pager that could not start leaves the drawing on the screen.
  shown = Shown({.rows = 8, .page = true, .pager = [](const std::string&) { return false; }});
  EXPECT_THAT(shown, HasSubstr("Dear Tomas"));
}

TEST_F(TtyPageTest, ColourOnlyWhenAsked) {
  EXPECT_THAT(Shown({}), Not(HasSubstr("\x1b[")));
  const std::string shown = Shown({.colour = true});
  EXPECT_THAT(shown, HasSubstr("\x1b[1m== Vellumo Preview ==\x1b[0m"));
  EXPECT_THAT(shown, HasSubstr("\x1b[7m[1] Send\x1b[0m")) << "the default button is marked";
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
  EXPECT_THAT(shown, HasSubstr("! unknown command jump"));
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
