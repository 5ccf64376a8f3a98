// The send interception's main road: the mode gate, the dressing and its marks, the message
// class, re-sends, the system test's trace lines, the send-as-is one-shot, the preview marks and
// the auto-mode checks.
#include "addin/item_send.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <utility>

#include "addin/item_send_fixture.h"

namespace vellumo::addin::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

TEST_F(SendTest, AutoModeDressesMarksAndSendsTheMessage) {
  auto item = NewMail("<p>The new lanterns arrive on Friday.</p>");
  item->Send();

  ASSERT_EQ(app_.sent().size(), 1u);
  const mail::MemSentMessage& sent = app_.sent()[0];
  EXPECT_THAT(sent.html_body, HasSubstr("<div class=paper>"));
  EXPECT_THAT(sent.html_body, HasSubstr("The new lanterns arrive on Friday."));
  EXPECT_THAT(sent.html_body, HasSubstr(kSignatureText));
  EXPECT_THAT(sent.html_body, HasSubstr("<p>Iris Calloway</p>"));
  EXPECT_THAT(sent.html_body, Not(HasSubstr("[#Input your message here#]")));
  EXPECT_EQ(sent.billing_information, kDressedMark);
  EXPECT_THAT(sent.user_properties,
              ElementsAre(std::pair<std::string, std::string>("CorvaneVellumo", "Version 3.9.9")));
  EXPECT_EQ(sent.subject, "Lanterns for the harbour");
  EXPECT_THAT(Logged("error"), IsEmpty());
  EXPECT_EQ(state_.CurrentItem, nullptr) << "the item is released on the way out";
}

TEST_F(SendTest, ExclaimerKeywordGoesInFrontOfTheSubjectOfADressedItemOnce) {
  Admin("UseExclaimer", "True");
  Admin("ExclaimerRule", "[ExRule] ");
  auto item = NewMail("<p>Hello</p>");
  EXPECT_FALSE(Raise(item));
  EXPECT_EQ(item->Subject(), "[ExRule] Lanterns for the harbour");
  EXPECT_TRUE(Dressed(*item));
  EXPECT_EQ(state_.ItemSubject, "Lanterns for the harbour");
}

class ModeGateTest : public SendTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ModeGateTest, OutsideAutoModeOnlyTheExclaimerPrefixChanges) {
  User("SettingButtonBar", GetParam());
  Admin("UseExclaimer", "True");
  auto item = NewMail("<p>Hello</p>");
  EXPECT_FALSE(Raise(item));
  EXPECT_EQ(item->Subject(), "ExclaimerLanterns for the harbour");
  EXPECT_EQ(item->HTMLBody(), "<p>Hello</p>");
  EXPECT_EQ(item->BillingInformation(), "");
  EXPECT_EQ(item->UserProperties()->Count(), 0);

  Admin("UseExclaimer", "False");
  auto other = NewMail("<p>Hello</p>");
  EXPECT_FALSE(Raise(other));
  EXPECT_EQ(other->Subject(), "Lanterns for the harbour");
  EXPECT_EQ(other->HTMLBody(), "<p>Hello</p>");
}

INSTANTIATE_TEST_SUITE_P(Modes, ModeGateTest,
                         ::testing::Values("on", "off", "eSignature", "", "Auto"));

TEST_F(SendTest, AnItemAlreadyDressedGetsOnlyTheExclaimerPrefixWhenSentAgain) {
  auto item = NewMail("<p>Hello</p>");
  ASSERT_FALSE(Raise(item));
  const std::string dressed = item->HTMLBody();
  Admin("UseExclaimer", "True");
  EXPECT_FALSE(Raise(item));
  EXPECT_EQ(item->HTMLBody(), dressed);
  EXPECT_EQ(item->Subject(), "ExclaimerLanterns for the harbour");
  EXPECT_EQ(item->UserProperties()->Count(), 1);
}

TEST_F(SendTest, AnyUserPropertyOrAnUnreadableListLeavesTheItemAlone) {
  auto item = NewMail("<p>Hello</p>");
  item->UserProperties()->Add("Project", mail::UserPropertyType::kText);
  EXPECT_FALSE(Raise(item));
  EXPECT_EQ(item->HTMLBody(), "<p>Hello</p>");

  auto other = NewMail("<p>Hello</p>");
  app_.FailMember(mail::Member::kMailItemUserProperties, Error(ErrorCode::kPermissionDenied), 1);
  EXPECT_FALSE(Raise(other));
  EXPECT_EQ(other->HTMLBody(), "<p>Hello</p>");
  EXPECT_THAT(Logged("error"), ElementsAre(MemLog::Entry{"error", "Permission denied",
                                                         "ol_ItemSend", "olSendItem_Err"}));
}

TEST_F(SendTest, AMeetingRequestIsSentUnchanged) {
  auto item = NewMail("<p>Planning meeting</p>");
  item->SetMessageClass("IPM.Schedule.Meeting.Request");
  item->Send();
  ASSERT_EQ(app_.sent().size(), 1u);
  EXPECT_EQ(app_.sent()[0].html_body, "<p>Planning meeting</p>");
  EXPECT_EQ(app_.sent()[0].billing_information, "");
  EXPECT_THAT(app_.sent()[0].user_properties, IsEmpty());
}

TEST_F(SendTest, MessageClassComparesIgnoringCase) {
  auto item = NewMail("<p>Hello</p>");
  item->SetMessageClass("ipm.note");
  EXPECT_FALSE(Raise(item));
  EXPECT_TRUE(Dressed(*item));
}

// An item with the dressed mark but no user property (a copy that lost it) re-sent from one of
// the watched folders.
class ResendTest : public SendTest {
 protected:
  std::shared_ptr<mail::MailItem> MarkedIn(mail::DefaultFolder folder) {
    auto item = app_.StandardFolder(folder)->AddMail({{"Subject", "Old news"},
                                                      {"HTMLBody", "<p>dressed once</p>"},
                                                      {"BillingInformation", kDressedMark}});
    item->Recipients()->Add("ada@example.com");
    return item;
  }
};

TEST_F(ResendTest, MarkedItemsFromTheWatchedFoldersGoUnchangedAndAreLogged) {
  Admin("SuppressResendsOutbox", "True");
  Admin("SuppressResendsSentItems", "True");
  for (auto folder : {mail::DefaultFolder::kOutbox, mail::DefaultFolder::kDrafts,
                      mail::DefaultFolder::kSentMail}) {
    auto item = MarkedIn(folder);
    EXPECT_FALSE(Raise(item));
    EXPECT_EQ(item->HTMLBody(), "<p>dressed once</p>");
  }
  EXPECT_THAT(Notes(), ElementsAre("Resend from the Outbox, Ol_ItemSend",
                                   "Resend from drafts (redemption), Ol_ItemSend",
                                   "Resend from the Sent Items, Ol_ItemSend"));
}

TEST_F(ResendTest, WithoutTheSettingsOrTheMarkTheItemIsDressed) {
  auto from_sent = MarkedIn(mail::DefaultFolder::kSentMail);
  EXPECT_FALSE(Raise(from_sent));
  EXPECT_THAT(from_sent->HTMLBody(), HasSubstr("<div class=paper>"));
  EXPECT_THAT(Notes(), IsEmpty());

  Admin("SuppressResendsOutbox", "True");
  auto unmarked = NewMail("<p>fresh</p>");  // a new mail lives in Drafts
  EXPECT_FALSE(Raise(unmarked));
  EXPECT_TRUE(Dressed(*unmarked));
  EXPECT_THAT(Notes(), ElementsAre("Resend from drafts (redemption), Ol_ItemSend"));
}

TEST_F(SendTest, SystemTestTracesEveryStepOfADressedSendFromOne) {
  System("SystemCheck", "True");
  for (int send = 0; send < 2; ++send) {
    log_.entries.clear();
    EXPECT_FALSE(Raise(NewMail("<p>Hello</p>")));
    const std::vector<MemLog::Entry> checks = Logged("check");
    EXPECT_THAT(
        Traces(),
        ElementsAre("Fired OK", "Message Class - IPM.Note", "HTML Body check OK", "Quote check OK",
                    "Subject OK", "Wipeout Personal Stationery OK", "Send Internal OK",
                    "Send As is check OK", "Mode off check OK", "Preview check OK",
                    "Preview send check OK", "Reply check OK", "Auto mode check OK",
                    "Signature check OK", "Delivery and Receipt check OK", "Auto Preview check OK",
                    "Auto Preview Send Plain check OK", "vCard check OK"));
    ASSERT_EQ(checks.size(), 18u);
    EXPECT_EQ(checks.front().a, "Send Event");
    EXPECT_EQ(checks.front().b, "Check 1") << "the counter starts again at every send";
    EXPECT_EQ(checks.back().b, "Check 18");
  }
  EXPECT_TRUE(state_.TraceOn);

  System("SystemCheck", "true");
  log_.entries.clear();
  EXPECT_FALSE(Raise(NewMail("<p>Hello</p>")));
  EXPECT_THAT(Traces(), IsEmpty()) << "only the exact text True switches it on";
  EXPECT_FALSE(state_.TraceOn);
}

TEST_F(SendTest, SendAsIsLetsExactlyOneItemGoUnchanged) {
  User("SendAsIs", "true");  // converted, so any case counts
  state_.ReportHandled = true;
  auto first = NewMail("<p>one</p>");
  EXPECT_FALSE(Raise(first));
  EXPECT_EQ(first->HTMLBody(), "<p>one</p>");
  EXPECT_EQ(Get("User Settings", "SendAsIs"), "False");
  EXPECT_FALSE(state_.ReportHandled) << "each send may report a failure again";

  auto second = NewMail("<p>two</p>");
  EXPECT_FALSE(Raise(second));
  EXPECT_TRUE(Dressed(*second));
}

TEST_F(SendTest, SendAsIsThatIsNoBooleanIsLoggedAndIgnored) {
  User("SendAsIs", "sometimes");
  auto item = NewMail("<p>one</p>");
  EXPECT_FALSE(Raise(item));
  EXPECT_TRUE(Dressed(*item));
  EXPECT_THAT(Logged("error"), ElementsAre(MemLog::Entry{"error", "Type mismatch", "ol_ItemSend",
                                                         "olSendItem_Err"}));
  EXPECT_EQ(Get("User Settings", "SendAsIs"), "sometimes");
}

TEST_F(SendTest, PreviewMarksLetTheItemGoAndPreviewSendClearsCancel) {
  auto previewed = NewMail("<p>one</p>");
  previewed->SetBillingInformation(kPreviewMark);
  EXPECT_TRUE(Raise(previewed, /*cancel=*/true)) << "Preview leaves Cancel as it came";
  EXPECT_EQ(previewed->HTMLBody(), "<p>one</p>");

  auto report = NewMail("<p>report</p>");
  report->SetBillingInformation(kPreviewSendMark);
  EXPECT_FALSE(Raise(report, /*cancel=*/true));
  EXPECT_EQ(report->HTMLBody(), "<p>report</p>");
  EXPECT_EQ(report->UserProperties()->Count(), 0);
}

TEST_F(SendTest, AutoModeWithoutTemplateCancelsShowsTheMessageAndSwitchesToOn) {
  User("Template", "");
  auto item = NewMail("<p>Hello</p>");
  item->Send();

  EXPECT_THAT(app_.sent(), IsEmpty());
  EXPECT_EQ(app_.cancelled_sends(), 1);
  EXPECT_EQ(item->HTMLBody(), "<p>Hello</p>");
  EXPECT_EQ(item->BillingInformation(), "");
  EXPECT_EQ(state_.Message.kind, "Auto-no Template");
  const std::vector<nlohmann::json> shown = Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0]["kind"], "form");
  EXPECT_EQ(shown[0]["name"], "frmMessage");
  EXPECT_EQ(shown[0]["caption"], "Vellumo Template warning");
  EXPECT_THAT(shown[0].dump(), HasSubstr("no default Template file"));
  EXPECT_THAT(button_.captions, ElementsAre("Vellumo On"));
  EXPECT_EQ(Get("User Settings", "SettingButtonBar"), "on");

  auto next = NewMail("<p>Next</p>");
  EXPECT_FALSE(Raise(next)) << "mode on lets the following items go";
  EXPECT_EQ(next->HTMLBody(), "<p>Next</p>");
}

TEST_F(SendTest, TemplateAndSignatureNamesDecideTheAutoModeChecks) {
  struct Case {
    const char* template_name;
    const char* signature;
    bool cancelled;
    const char* kind;
  };
  for (const Case& c :
       {Case{"letter.txt", "lantern.htm", true, "Auto-no Template"},
        Case{"Birch.HTM", "Lantern.Htm", false, ""},
        Case{"letter.htm", "", true, "Auto-no signature"},
        Case{"letter.htm", "lantern.txt", true, "Auto-no signature"},
        Case{"letter.htm", "none", false, ""}, Case{"letter.html", "lantern.html", false, ""}}) {
    SCOPED_TRACE(std::string(c.template_name) + " / " + c.signature);
    User("SettingButtonBar", "auto");
    User("Template", c.template_name);
    User("Signature", c.signature);
    state_.Message.kind.clear();
    EXPECT_EQ(Raise(NewMail("<p>Hello</p>")), c.cancelled);
    EXPECT_EQ(state_.Message.kind, c.kind);
    EXPECT_EQ(Get("User Settings", "SettingButtonBar"), c.cancelled ? "on" : "auto");
  }
}

TEST_F(SendTest, AFailingModeButtonIsLoggedAndTheModeStillSwitches) {
  User("Signature", "");
  button_.fail = true;
  EXPECT_TRUE(Raise(NewMail("<p>Hello</p>")));
  EXPECT_THAT(Logged("error"),
              ElementsAre(MemLog::Entry{"error", "Object variable or With block variable not set",
                                        "ol_ItemSend", "olSendItem_Err"}));
  EXPECT_EQ(Get("User Settings", "SettingButtonBar"), "on");
  EXPECT_EQ(state_.Message.kind, "Auto-no signature");
}

TEST_F(SendTest, ScriptInTheTemplateRefusedCancelsWithoutTouchingTheItem) {
  auto item = SendRefusingAScriptTemplate();
  EXPECT_EQ(item->BillingInformation(), "");
  EXPECT_EQ(item->UserProperties()->Count(), 0);

  host_.Answer("Yes\n");
  auto accepted = NewMail("<p>Hello</p>");
  EXPECT_FALSE(Raise(accepted));
  EXPECT_TRUE(Dressed(*accepted));
}

TEST_F(SendTest, ASendRaisedWhileTheHandlerRunsIsLetThrough) {
  // The error report mails itself from inside a send; that mail must not be dressed, and the
  // send in progress must keep its own item. Here the preview raises the inner send.
  bool nested_cancel = false;
  class NestingPreview final : public PreviewWindow {
   public:
    NestingPreview(ItemSendHandler& handler, std::shared_ptr<mail::MailItem>& item, bool& cancel)
        : handler_(handler), item_(item), cancel_(cancel) {}
    void AutoPreview(const PreviewSetup&, compose::SendState&) override {
      if (std::exchange(raised_, true)) return;
      handler_.ol_ItemSend(item_, cancel_);
    }

   private:
    ItemSendHandler& handler_;
    std::shared_ptr<mail::MailItem>& item_;
    bool& cancel_;
    bool raised_ = false;
  };
  std::shared_ptr<mail::MailItem> inner = NewMail("<p>report</p>");
  NestingPreview nesting(handler_, inner, nested_cancel);
  handler_.set_preview(&nesting);
  Admin("AutoPreview", "True");
  auto outer = NewMail("<p>Hello</p>");
  EXPECT_FALSE(Raise(outer));
  EXPECT_TRUE(Dressed(*outer));
  EXPECT_EQ(inner->HTMLBody(), "<p>report</p>");
  EXPECT_EQ(inner->UserProperties()->Count(), 0);
}

}  // namespace
}  // namespace vellumo::addin::testing
