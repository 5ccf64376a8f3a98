// The preview window (frmBrowser) on its form model: paging through templates and signatures,
// the lists, the profiles, the boilerplates, the ways of leaving, and AutoPreview in the send
// pipeline driven by a script.
#include "addin/preview_form.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "addin/browser_preview.h"
#include "addin/item_send_fixture.h"
#include "common/forms/caption_table.h"

namespace vellumo::addin::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

const std::string kPreviewFile = std::string(WinPath::kProgramFolder) + "\\myTestHtmlFile.html";

class BrowserFormTest : public SendTest {
 protected:
  BrowserFormTest() {
    // Three usable templates, three that are never listed, and a signature folder of two.
    fs_.AddFile(std::string(kStationery) + "\\azure.htm",
                "<p>AZURE [#Input your message here#]</p>");
    fs_.AddFile(std::string(kStationery) + "\\Birch.HTM",
                "<p>BIRCH [#Input your message here#]</p>");
    fs_.AddFile(std::string(kStationery) + "\\letter_MERGE.htm", "<p>MERGE</p>");
    fs_.AddFile(std::string(kStationery) + "\\thanks.txt", "Thank you for your order.");
    // Hidden files other systems leave beside stationery are never listed.
    fs_.AddFile(std::string(kStationery) + "\\._azure.htm", "resource fork");
    fs_.AddFile(std::string(kStationery) + "\\.notes.txt", "hidden");
    fs_.AddFile(std::string(kSignatures) + "\\plain.htm", "<i>plain signature</i>");
    state_.ItemSubject = "Lanterns for the harbour";
  }

  PreviewDeps Deps() {
    return PreviewDeps{settings_, fs_, processes_, host_, log_, composer_, AddInCaptions()};
  }
  // A loaded window for a new HTML mail, as AutoPreview leaves it before showing it.
  std::unique_ptr<PreviewForm> Loaded(std::string_view html = "<p>Hello Tomas</p>") {
    state_.CurrentItem = NewMail(html);
    state_.PreviewMode = true;
    auto form = std::make_unique<PreviewForm>(Deps(), state_);
    form->Load();
    return form;
  }
  std::string PreviewFileText() { return fs_.Contents(kPreviewFile).value_or("<none>"); }

  BrowserPreview browser_{Deps()};
};

TEST_F(BrowserFormTest, NextTemplatePagesThroughTheFolderAndWraps) {
  User("Template", "missing.htm");
  auto form = Loaded();
  // Listed in name order, the "_merge.htm" file left out whatever its case.
  form->Fire("cmdNext", "Click");
  EXPECT_THAT(form->PreviewHtml, HasSubstr("AZURE"));
  EXPECT_EQ(PreviewFileText(), form->PreviewHtml + "\r\n");
  EXPECT_EQ(Get("User Settings", "Template"), "azure.htm");
  EXPECT_EQ((*form)["cboTemplates"].text, "azure");
  EXPECT_EQ((*form)["brwWebBrowser"].document, fs_.NativePath(kPreviewFile));
  EXPECT_THAT((*form)["cboListTemplates"].list,
              ElementsAre("azure.htm", "Birch.HTM", "letter.htm"));

  form->Fire("cmdNext", "Click");
  EXPECT_THAT(form->PreviewHtml, HasSubstr("BIRCH"));
  EXPECT_EQ((*form)["cboTemplates"].text, "Birch");
  form->Fire("cmdNext", "Click");
  EXPECT_THAT(form->PreviewHtml, HasSubstr("paper"));
  form->Fire("cmdNext", "Click");
  EXPECT_THAT(form->PreviewHtml, HasSubstr("AZURE")) << "after the last template comes the first";
  EXPECT_TRUE((*form)["cmdNext"].enabled);
}

TEST_F(BrowserFormTest, TheNextPressShowsTheTemplateAfterTheSavedOne) {
  User("Template", "azure.htm");
  auto form = Loaded();
  form->Fire("cmdNext", "Click");
  EXPECT_THAT(form->PreviewHtml, HasSubstr("BIRCH"));
  EXPECT_EQ(Get("User Settings", "Template"), "Birch.HTM");
}

TEST_F(BrowserFormTest, AFolderOfOneTemplateDisablesNextAndRecomposesIt) {
  Admin("HTM Files Path", "C:\\Single");
  fs_.AddFile("C:\\Single\\only.htm", "<p>ONLY [#Input your message here#]</p>");
  User("Template", "only.htm");
  auto form = Loaded();
  form->Fire("cmdNext", "Click");
  EXPECT_FALSE((*form)["cmdNext"].enabled);
  EXPECT_THAT(form->PreviewHtml, HasSubstr("ONLY"));
  fs_.RemoveFile(kPreviewFile);
  form->Fire("cmdNext", "Click");
  EXPECT_THAT(PreviewFileText(), HasSubstr("ONLY"));
}

TEST_F(BrowserFormTest, NextSignatureSavesItAndRecomposesWithTheTemplate) {
  auto form = Loaded();
  form->Fire("cmdSignNext", "Click");
  EXPECT_EQ(Get("User Settings", "Signature"), "plain.htm")
      << "the saved signature is lantern.htm, so the next one is plain.htm";
  EXPECT_THAT(form->PreviewHtml, HasSubstr("plain signature"));
  EXPECT_THAT(form->PreviewHtml, HasSubstr("paper"));
  form->Fire("cmdSignNext", "Click");
  EXPECT_EQ(Get("User Settings", "Signature"), "lantern.htm");
  EXPECT_THAT(form->PreviewHtml, HasSubstr("lantern room"));
}

TEST_F(BrowserFormTest, APreviewFolderThatDoesNotExistYetIsMade) {
  Admin("BrowserPath", "C:\\Fresh\\Previews");
  auto form = Loaded();
  form->Fire("cmdNext", "Click");
  EXPECT_THAT(fs_.Contents("C:\\Fresh\\Previews\\myTestHtmlFile.html").value_or(""),
              HasSubstr("Hello Tomas"));
}

TEST_F(BrowserFormTest, AFailedCompositionIsLoggedAndLeavesThePreviousPreview) {
  auto form = Loaded();
  form->Fire("cmdNext", "Click");
  const std::string before = form->PreviewHtml;
  fs_.AddFile("C:\\Taken", "a file where the preview folder should be");
  Admin("BrowserPath", "C:\\Taken");  // the preview file can no longer be written
  form->Fire("cmdNext", "Click");
  EXPECT_EQ(PreviewFileText(), before + "\r\n");
  ASSERT_THAT(Logged("error"), Not(IsEmpty()));
  EXPECT_EQ(Logged("error").back().b, "cmdNext_Click");
}

TEST_F(BrowserFormTest, TheOptionsPanelFillsTheListsWithoutComposing) {
  Admin("Multiple Signatures", "True");
  User("Template", "Birch.HTM");
  auto form = Loaded();
  const std::string composed_at_load = form->PreviewHtml;  // the profile chosen at load
  form->Fire("cmdOptions", "Click");
  EXPECT_EQ((*form)["cmdOptions"].caption, "< Options");
  EXPECT_TRUE((*form)["cboTemplates"].visible);
  EXPECT_TRUE((*form)["chkShowPreview"].visible);
  EXPECT_TRUE((*form)["cboSig"].visible);
  EXPECT_EQ((*form)["brwWebBrowser"].top, kBrowserTopOpen);
  EXPECT_EQ((*form)["cboTemplates"].text, "Birch");
  EXPECT_EQ((*form)["cboSignatures"].text, "lantern");
  // A name in capitals is picked back as the file it is, not as "Birch.HTM.htm".
  form->Fire("cboTemplates", "Click", "1");
  EXPECT_EQ(Get("User Settings", "Template"), "Birch.htm");
  EXPECT_THAT(form->PreviewHtml, HasSubstr("BIRCH"));
  EXPECT_EQ(form->PreviewHtml, composed_at_load) << "filling the lists composes nothing";
  EXPECT_EQ(Get("Admin Settings", "PreviewOptionsShow"), "True");

  // Picking from the visible list composes that template and saves it.
  form->Fire("cboTemplates", "Click", "0");
  EXPECT_THAT(form->PreviewHtml, HasSubstr("AZURE"));
  EXPECT_EQ(Get("User Settings", "Template"), "azure.htm");

  form->Fire("cmdOptions", "Click");
  EXPECT_EQ((*form)["cmdOptions"].caption, "> Options");
  EXPECT_FALSE((*form)["cboTemplates"].visible);
  EXPECT_EQ((*form)["brwWebBrowser"].top, kBrowserTopClosed);
  EXPECT_EQ(Get("Admin Settings", "PreviewOptionsShow"), "False");
}

TEST_F(BrowserFormTest, ASignatureProfileCopiesItsKeysAndAMissingOneChangesNothing) {
  Admin("Multiple Signatures", "True");
  User("SignatureList", "Office;Workshop");
  settings_.SaveSetting(kVellumo, "Workshop", "SigFullname", "Iris at the workshop");
  Admin("Current Signature", "2");
  {
    auto form = Loaded();
    EXPECT_EQ((*form)["cboSig"].list_index, -1);
    EXPECT_EQ(Get("Admin Settings", "SigFullname"), "Iris Calloway");
  }
  Admin("Current Signature", "1");
  auto form = Loaded();
  EXPECT_EQ((*form)["cboSig"].text, "Workshop");
  EXPECT_EQ(Get("Admin Settings", "SigFullname"), "Iris at the workshop");
  EXPECT_EQ(Get("Admin Settings", "SigCell"), "") << "missing profile values copy as empty";
  EXPECT_THAT(form->PreviewHtml, HasSubstr("Iris at the workshop"));
}

TEST_F(BrowserFormTest, BoilerplatesAreListedAndPreviewedWithoutTouchingTheItem) {
  auto form = Loaded();
  EXPECT_TRUE((*form)["cboBplates"].visible);
  EXPECT_THAT((*form)["cboBplates"].list, ElementsAre("None", "thanks.txt"));
  form->Fire("cboBplates", "Click", "1");
  EXPECT_THAT(form->PreviewHtml, HasSubstr("Thank you for your order."));
  EXPECT_EQ(state_.CurrentItem->HTMLBody(), "<p>Hello Tomas</p>");
  form->Fire("Command1", "Click");
  EXPECT_EQ(state_.SelectedBoilerplate, "thanks.txt");
  EXPECT_TRUE(form->unloaded());
}

TEST_F(BrowserFormTest, TheBoilerplateListHasItsLabelShowsNoneAndStaysInEveryRecomposition) {
  Admin("Multiple Signatures", "True");
  User("SignatureList", "Office;Workshop");
  auto form = Loaded();
  EXPECT_EQ((*form)["cboBplates"].text, "None");
  EXPECT_EQ((*form)["cboBplates"].list_index, 0);
  EXPECT_TRUE((*form)["lblBplates"].visible);
  EXPECT_EQ((*form)["lblBplates"].caption, "Boilerplate");
  form->Fire("cboBplates", "Click", "1");
  // What Send would include must show after every other change of choice.
  form->Fire("cmdNext", "Click");
  EXPECT_THAT(form->PreviewHtml, HasSubstr("Thank you for your order.")) << "template";
  form->Fire("cmdSignNext", "Click");
  EXPECT_THAT(form->PreviewHtml, HasSubstr("Thank you for your order.")) << "signature";
  form->Fire("cboSig", "Click", "1");
  EXPECT_THAT(form->PreviewHtml, HasSubstr("Thank you for your order.")) << "profile";
  form->Fire("cboBplates", "Click", "0");
  form->Fire("cmdNext", "Click");
  EXPECT_THAT(form->PreviewHtml, Not(HasSubstr("Thank you for your order.")));
}

TEST_F(BrowserFormTest, TheHelpPageTakesTheSendButtonsAwayUntilReturn) {
  auto form = Loaded();
  (*form)["cmdNext"].enabled = false;  // as for a plain-text message
  form->Fire("cmdHelp", "Click");
  EXPECT_EQ((*form)["cmdHelp"].caption, "Return");
  EXPECT_EQ((*form)["brwWebBrowser"].document, "vellumo:pages/preview-help.html");
  EXPECT_FALSE((*form)["Command1"].enabled);
  form->Fire("cmdHelp", "Click");
  EXPECT_EQ((*form)["cmdHelp"].caption, "Help");
  EXPECT_TRUE((*form)["Command1"].enabled);
  EXPECT_FALSE((*form)["cmdNext"].enabled) << "what was off before the help page stays off";
  EXPECT_EQ((*form)["brwWebBrowser"].document, fs_.NativePath(kPreviewFile));
}

TEST_F(BrowserFormTest, DoNotShowPreviewTurnsAutomaticPreviewOffOnceOnAnyWayOut) {
  Admin("AutoPreview", "True");
  auto form = Loaded();
  form->Fire("cmdOptions", "Click");
  form->Fire("chkShowPreview", "Click");
  form->top = 1200;
  form->Fire("cmdClose", "Click");
  EXPECT_EQ(Get("Admin Settings", "AutoPreview"), "False");
  EXPECT_EQ(Get("User Settings", "BrowserTop"), "1200");
  const auto shown = Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0]["title"], "Preview feature set off");
  EXPECT_EQ(shown[0]["text"], std::string(kPreviewOffText));
}

TEST_F(BrowserFormTest, SendToManySavesTheSubjectLogsTheMissingProgramAndActsAsClose) {
  processes_.FailOn("BulkSender");
  state_.BrowserSend = true;
  auto form = Loaded();
  (*form)["cmdSendToMany"].visible = true;
  form->Fire("cmdSendToMany", "Click");
  EXPECT_EQ(Get("Admin Settings", "SendToManySubject"), "Lanterns for the harbour");
  EXPECT_FALSE(state_.BrowserSend);
  EXPECT_TRUE(form->unloaded());
  ASSERT_THAT(Logged("error"), Not(IsEmpty()));
  EXPECT_EQ(Logged("error").back().b, "cmdSendToMany_Click");
}

TEST_F(BrowserFormTest, ResizeKeepsTheBrowserInsideTheWindow) {
  auto form = Loaded();
  form->height = 7000;
  form->width = 9000;
  form->Fire("Form", "Resize");
  EXPECT_EQ((*form)["brwWebBrowser"].height, 6400);
  EXPECT_EQ((*form)["brwWebBrowser"].width, 8820);
  form->height = 500;
  form->width = 100;
  form->Fire("Form", "Resize");
  EXPECT_EQ((*form)["brwWebBrowser"].height, 0);
  EXPECT_EQ((*form)["brwWebBrowser"].width, 0);
}

// ---------------------------------------------------------------------------------------------
// AutoPreview in the send pipeline, driven by the script.

class AutoPreviewTest : public BrowserFormTest {
 protected:
  AutoPreviewTest() {
    Admin("AutoPreview", "True");
    Admin("ShowPreviewSelectButton", "True");
    handler_.set_preview(&browser_);
  }
};

TEST_F(AutoPreviewTest, SendAfterPagingSendsWithTheTemplateLastShown) {
  host_.Answer("frmBrowser.cmdNext.Click\nfrmBrowser.cmdNext.Click\nfrmBrowser.Command1.Click\n");
  auto item = NewMail("<p>Hello Tomas</p>");
  item->Send();
  ASSERT_EQ(app_.sent().size(), 1u);
  // letter.htm was the template, so the presses showed azure, then birch.
  EXPECT_THAT(app_.sent()[0].html_body, HasSubstr("BIRCH"));
  EXPECT_EQ(Get("User Settings", "Template"), "Birch.HTM");
  const auto shown = Shown();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown[0]["caption"], "Vellumo Preview");
}

// The preview and the send dress through one path: what the window showed last is, byte for byte,
// the body that goes out. The cases are those where the two once differed: a template name the
// send trims, a boilerplate chosen in the window, a body without HTML, the plain-text editor.
TEST_F(AutoPreviewTest, WhatThePreviewShowedIsWhatIsSent) {
  struct Case {
    std::string name;
    std::string template_name;
    std::string answers;
    std::function<std::shared_ptr<mail::MailItem>()> item;
  };
  const std::vector<Case> cases = {
      {"trimmed template", " Birch.HTM ", "frmBrowser.Command1.Click\n",
       [&] { return NewMail("<p>Hello Tomas</p>"); }},
      {"boilerplate", "azure.htm", "frmBrowser.cboBplates.Click 1\nfrmBrowser.Command1.Click\n",
       [&] { return NewMail("<p>Hello Tomas</p>"); }},
      {"text body", "azure.htm", "frmBrowser.Command1.Click\n",
       [&] { return NewMail("", "Hello Tomas,\r\nsee you Friday."); }},
      {"plain-text editor", "azure.htm", "frmBrowser.Command1.Click\n",
       [&] { return PlainMail("Hello Tomas,\r\nsee you Friday."); }},
  };
  for (const Case& c : cases) {
    User("Template", c.template_name);
    host_.Answer(c.answers);
    if (fs_.FileExists(kPreviewFile)) fs_.RemoveFile(kPreviewFile);
    const size_t before = app_.sent().size();
    c.item()->Send();
    ASSERT_EQ(app_.sent().size(), before + 1) << c.name;
    const std::string shown = PreviewFileText();
    ASSERT_TRUE(shown.ends_with("\r\n")) << c.name << ": " << shown;
    EXPECT_EQ(app_.sent().back().html_body, shown.substr(0, shown.size() - 2)) << c.name;
  }
  EXPECT_THAT(app_.sent()[0].html_body, HasSubstr("BIRCH"));
  EXPECT_THAT(app_.sent()[1].html_body, HasSubstr("Thank you for your order."));
  EXPECT_THAT(app_.sent()[2].html_body, HasSubstr("AZURE <div><span>Hello Tomas,</span></div>"));
}

TEST_F(AutoPreviewTest, CloseAndTheCloseBoxBothCancelTheSend) {
  User("vCard", "Iris Calloway");
  Admin("SendvCardAlways", "True");
  host_.Answer("frmBrowser.cmdClose.Click\n");
  auto item = NewMail("<p>Hello Tomas</p>");
  item->Send();
  EXPECT_THAT(app_.sent(), IsEmpty());

  // Escape, a closed tab or a browser gone: nobody chose Send.
  host_.Answer("frmBrowser.Close\n");
  item->Send();
  EXPECT_THAT(app_.sent(), IsEmpty()) << "the close box must not send";
  // Answers run out: the window is closed for the person, who never chose Send either.
  host_.Answer("");
  item->Send();
  EXPECT_THAT(app_.sent(), IsEmpty());
}

TEST_F(BrowserFormTest, TheCloseBoxKeepsTheGeometryAndTheDoNotShowChoice) {
  Admin("AutoPreview", "True");
  state_.BrowserSend = true;
  auto form = Loaded();
  form->Fire("cmdOptions", "Click");
  form->Fire("chkShowPreview", "Click");
  form->left = 3000;
  form->width = 9000;
  EXPECT_TRUE(form->Close());
  EXPECT_FALSE(state_.BrowserSend);
  EXPECT_EQ(Get("User Settings", "BrowserLeft"), "3000");
  EXPECT_EQ(Get("User Settings", "BrowserWidth"), "9000");
  EXPECT_EQ(Get("Admin Settings", "AutoPreview"), "False");
}

TEST_F(AutoPreviewTest, APlainTextMessageShowsTheCompactBlockWithTheChoicesOff) {
  Admin("ShowPreviewOptionsButton", "True");
  host_.Answer("frmBrowser.cmdClose.Click\n");
  auto item = PlainMail("Hello Tomas,\r\nsee you Friday.");
  item->Send();
  const auto shown = Shown();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown[0]["caption"], "Vellumo Preview- Plain Text formatted email");
  EXPECT_THAT(PreviewFileText(),
              HasSubstr("<span> <font face='Courier new' size=2>Hello Tomas,<br>"));
  EXPECT_THAT(app_.sent(), IsEmpty());
}

TEST_F(AutoPreviewTest, AScriptThatPressesADisabledButtonIsRefused) {
  Admin("ShowPreviewOptionsButton", "True");
  host_.Answer("frmBrowser.cmdNext.Click\n");
  auto item = PlainMail("Hello");
  item->Send();
  // The refusal reaches AutoPreview, which logs it; the send goes on undisturbed.
  EXPECT_THAT(Notes(), ::testing::Contains(HasSubstr(" - AutoPreview, preview_err")));
  EXPECT_EQ(app_.sent().size(), 1u);
}

TEST_F(AutoPreviewTest, PreviewOnlyNeverSends) {
  host_.Answer("frmBrowser.Command1.Click\n");
  auto item = NewMail("<p>Hello Tomas</p>");
  EXPECT_EQ(handler_.PreviewOnly(item), ItemSendHandler::PreviewOutcome::kSend);
  EXPECT_THAT(app_.sent(), IsEmpty());
  EXPECT_EQ(item->HTMLBody(), "<p>Hello Tomas</p>");
  host_.Answer("frmBrowser.cmdClose.Click\n");
  EXPECT_EQ(handler_.PreviewOnly(item), ItemSendHandler::PreviewOutcome::kClose);
}

}  // namespace
}  // namespace vellumo::addin::testing
