// The end of the send interception: the preview and what it hands back, the vCard, the dressing
// by editor type (HTML with a boilerplate, plain text with the compact block and disclaimer, a
// text body under the HTML editor) and the marks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "addin/item_send.h"
#include "addin/item_send_fixture.h"
#include "addin/plain_text_body.h"

namespace vellumo::addin::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

class PreviewTest : public SendTest {
 protected:
  PreviewTest() {
    Admin("AutoPreview", "True");
    handler_.set_preview(&preview_);
  }
};

TEST_F(PreviewTest, TheWindowIsLaidOutFromTheSettings) {
  Raise(NewMail("<p>Hello</p>"));
  ASSERT_EQ(preview_.setups.size(), 1u);
  EXPECT_EQ(preview_.setups[0], PreviewSetup{}) << "all off by default, the stored geometry";
  EXPECT_TRUE(preview_.entered[0].browser_send);
  EXPECT_FALSE(preview_.entered[0].send_plain);

  User("vCard", "iris.vcf");
  Admin("SendvCardAlways", "True");
  Admin("ShowPreviewSelectButton", "True");
  Admin("ShowAutoSendPlain", "True");
  Admin("ShowPreviewOptionsButton", "True");
  User("BrowserTop", "100");
  User("BrowserLeft", "200");
  User("BrowserHeight", "300");
  User("BrowserWidth", "400");
  auto item = NewMail("<p>Hello</p>");
  fs_.AddFile("C:\\notes.txt", "n");
  item->Attachments()->Add("C:\\notes.txt");
  Raise(item);
  ASSERT_EQ(preview_.setups.size(), 2u);
  EXPECT_EQ(preview_.setups[1], (PreviewSetup{.vcard_visible = true,
                                              .vcard_ticked = true,
                                              .select_visible = true,
                                              .plain_visible = true,
                                              .options_visible = true,
                                              .attachments = 1,
                                              .top = "100",
                                              .left = "200",
                                              .height = "300",
                                              .width = "400"}));
}

TEST_F(PreviewTest, SendDressesWithTheChosenBoilerplateAndVCard) {
  fs_.AddFile(std::string(kStationery) + "\\Directions.txt", "Turn left at the lighthouse.");
  fs_.AddFile("C:\\Cards\\iris.vcf", "BEGIN:VCARD\r\nEND:VCARD\r\n");
  User("vCardPath", "C:\\Cards\\iris.vcf");
  preview_.tick_vcard = true;
  preview_.boilerplate = "Directions.txt";
  auto item = NewMail("<p>See you there.</p>");
  item->Send();
  ASSERT_EQ(app_.sent().size(), 1u);
  const auto& sent = app_.sent()[0];
  EXPECT_THAT(sent.html_body, HasSubstr("<p>See you there.</p><BR>Turn left at the lighthouse."));
  EXPECT_THAT(sent.attachments, ElementsAre("iris.vcf"));
  EXPECT_EQ(sent.billing_information, kDressedMark);
}

TEST_F(PreviewTest, SendPlainAndCloseCancelAndLeaveTheItemUndressed) {
  for (auto button : {FakePreview::Button::kSendPlain, FakePreview::Button::kClose}) {
    preview_.button = button;
    auto item = NewMail("<p>Hello</p>");
    EXPECT_TRUE(Raise(item));
    EXPECT_EQ(item->HTMLBody(), "<p>Hello</p>");
    EXPECT_EQ(item->BillingInformation(), "");
    EXPECT_EQ(item->UserProperties()->Count(), 0);
  }
}

TEST_F(PreviewTest, WhatAPreviewLeftBehindDoesNotSteerTheNextSend) {
  preview_.button = FakePreview::Button::kSendPlain;
  EXPECT_TRUE(Raise(NewMail("<p>one</p>")));
  ASSERT_TRUE(state_.SendPlain);

  // Preview now off: the old Send Plain, vCard tick and boilerplate must not act again.
  Admin("AutoPreview", "False");
  state_.AttachVCard = true;
  state_.SelectedBoilerplate = "Directions.txt";
  fs_.AddFile(std::string(kStationery) + "\\Directions.txt", "Turn left.");
  auto item = NewMail("<p>two</p>");
  EXPECT_FALSE(Raise(item));
  EXPECT_TRUE(Dressed(*item));
  EXPECT_THAT(item->HTMLBody(), Not(HasSubstr("Turn left.")));
  EXPECT_EQ(item->Attachments()->Count(), 0);
}

TEST_F(PreviewTest, TheFinalCompositionIsNoPreview) {
  // The preview raises PreviewMode; left raised, the script question would be skipped.
  SendRefusingAScriptTemplate();
  EXPECT_FALSE(state_.PreviewMode);
}

TEST_F(PreviewTest, AFailingPreviewIsLoggedAndTheMessageStillGoesDressed) {
  preview_.fail_with = Error(ErrorCode::kPathNotFound, "myTestHtmlFile.html");
  auto item = NewMail("<p>Hello</p>");
  EXPECT_FALSE(Raise(item));
  EXPECT_TRUE(Dressed(*item));
  EXPECT_THAT(Notes(), ElementsAre("Path not found - AutoPreview, preview_err"));
}

TEST_F(PreviewTest, WithoutAPreviewWindowTheMessageIsDressedAndThatIsSaidOnce) {
  handler_.set_preview(nullptr);
  for (int i = 0; i < 2; ++i) {
    auto item = NewMail("<p>Hello</p>");
    EXPECT_FALSE(Raise(item));
    EXPECT_TRUE(Dressed(*item));
  }
  EXPECT_THAT(Notes(), ElementsAre(std::string(kNoPreviewLine)));
}

TEST_F(PreviewTest, TheTemplateChosenInThePreviewIsTheOneUsed) {
  fs_.AddFile(std::string(kStationery) + "\\garden.htm",
              "<html><body class=garden>[#Input your message here#]</body></html>");
  class Choosing final : public PreviewWindow {
   public:
    explicit Choosing(Settings& settings) : settings_(settings) {}
    void AutoPreview(const PreviewSetup&, compose::SendState&) override {
      settings_.SaveSetting(kVellumo, "User Settings", "Template", "garden.htm");
    }

   private:
    Settings& settings_;
  } choosing(settings_);
  handler_.set_preview(&choosing);
  auto item = NewMail("<p>Hello</p>");
  EXPECT_FALSE(Raise(item));
  EXPECT_THAT(item->HTMLBody(), HasSubstr("<body class=garden>"));
}

TEST_F(SendTest, AVCardThatCannotBeAttachedIsLoggedAndTheSendGoesOn) {
  Admin("AutoPreview", "True");
  handler_.set_preview(&preview_);
  preview_.tick_vcard = true;
  User("vCardPath", "C:\\Cards\\missing.vcf");
  auto item = NewMail("<p>Hello</p>");
  EXPECT_FALSE(Raise(item));
  EXPECT_TRUE(Dressed(*item));
  EXPECT_THAT(Logged("error"), ElementsAre(MemLog::Entry{"error", "Path not found", "ol_ItemSend",
                                                         "olSendItem_Err"}));
}

TEST_F(SendTest, PlainTextGetsTheCompactBlockAndTheDisclaimer) {
  fs_.AddFile(std::string(WinPath::kProgramFolder) + "\\DisclaimerText.txt",
              "This message is confidential.\r\n");
  auto item = PlainMail("Dear Ada,\r\nthe lanterns <3 & more.");
  EXPECT_FALSE(Raise(item));
  EXPECT_TRUE(Dressed(*item));
  const std::string html = item->HTMLBody();
  EXPECT_THAT(html, StartsWith("<span> <font face='Courier new' size=2>Dear Ada,<br>the lanterns "
                               "&lt;3 &amp; more.<p>Iris Calloway<br>"));
  EXPECT_THAT(html, HasSubstr("<p>This message is confidential.<br></font></span>"));
  EXPECT_THAT(html, Not(HasSubstr("class=paper"))) << "plain text gets no stationery";
  EXPECT_EQ(item->Body(), "Dear Ada,\r\nthe lanterns <3 & more.");
}

TEST_F(SendTest, PlainTextReplyPutsTheSignatureBetweenTheNewTextAndTheHistory) {
  System("MyReplySearchString", "-----Original Message-----");
  auto item = PlainMail("Friday is fine.\r\n-----Original Message-----\r\nCan you deliver?");
  EXPECT_FALSE(Raise(item));
  const std::string html = item->HTMLBody();
  EXPECT_THAT(html, StartsWith("<span> <font face='Courier new' size=2>Friday is fine.<br><p>"
                               "Iris Calloway<br>"));
  EXPECT_THAT(html, HasSubstr("<P>----Original Message-----<br>Can you deliver?</font></span>"));
}

TEST_F(SendTest, ReplyOffsetsThatAreNoNumbersCannotBreakThePlainTextSplit) {
  System("MyReplySearchString", "-----Original Message-----");
  for (const char* value : {"abc", "-99999", "99999999999999999999", ""}) {
    SCOPED_TRACE(value);
    System("ReplySearchStringVal", value);
    System("ReplyInsertStringVal", value);
    auto item = PlainMail("Friday.\r\n-----Original Message-----\r\nCan you deliver?");
    EXPECT_FALSE(Raise(item));
    EXPECT_TRUE(Dressed(*item));
    EXPECT_THAT(item->HTMLBody(), StartsWith(std::string(kPlainFontOpen)));
  }
  EXPECT_THAT(Logged("error"), IsEmpty());
}

TEST_F(SendTest, ATextBodyUnderTheHtmlEditorIsComposedWithTheTemplate) {
  auto item = NewMail("", "Just text", {"ada@example.com"}, mail::EditorType::kHtml);
  EXPECT_FALSE(Raise(item));
  EXPECT_TRUE(Dressed(*item));
  EXPECT_THAT(item->HTMLBody(), HasSubstr("<div class=paper>"));
  EXPECT_THAT(item->HTMLBody(), HasSubstr("Just text"));
}

TEST_F(SendTest, AMissingTemplateFallsBackToTheFirstOfTheFolder) {
  User("Template", "gone.htm");
  auto item = NewMail("<p>Hello</p>");
  EXPECT_FALSE(Raise(item));
  EXPECT_THAT(item->HTMLBody(), HasSubstr("<div class=paper>"));
}

}  // namespace
}  // namespace vellumo::addin::testing
