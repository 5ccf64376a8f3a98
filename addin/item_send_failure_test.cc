// The send interception's failure table, label by label, and bad input: whatever fails, the item
// is sent as the rules say or kept, never lost, and nothing escapes to the mail client.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "addin/item_send.h"
#include "addin/item_send_fixture.h"
#include "platform/mailclient/safe_items.h"

namespace vellumo::addin::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

TEST_F(SendTest, TheSafeWrapperIsTheCurrentItemWhileTheSendIsDressed) {
  Admin("UseRedemption", "True");
  Admin("AutoPreview", "True");
  class Peeking final : public PreviewWindow {
   public:
    void AutoPreview(const PreviewSetup&, compose::SendState& state) override {
      wrapped = std::dynamic_pointer_cast<mail::SafeMailItem>(state.CurrentItem) != nullptr;
    }
    bool wrapped = false;
  } peeking;
  handler_.set_preview(&peeking);
  auto item = NewMail("<p>Hello</p>");
  EXPECT_FALSE(Raise(item));
  EXPECT_TRUE(peeking.wrapped);
  EXPECT_TRUE(Dressed(*item)) << "the wrapper writes through to the item";
  EXPECT_EQ(app_.Calls(mail::Member::kSafeMailItemSave), 2)
      << "once when wrapped, once when marked";
}

TEST_F(SendTest, RedemptionErrWhenTheWrapperIsMissingTheItemItselfIsDressed) {
  Admin("UseRedemption", "True");
  app_.classes().Unregister(mail::kSafeMailItemProgId);
  auto item = NewMail("<p>Hello</p>");
  EXPECT_FALSE(Raise(item));
  EXPECT_TRUE(Dressed(*item));
  EXPECT_THAT(Logged("error"),
              ElementsAre(MemLog::Entry{"error", "ActiveX component can't create object",
                                        "Redemption error", "olRedemption_Err:"}));

  log_.entries.clear();
  // Optional: with the wrapper not installed its Save is never reached (checked below).
  app_.FailMember(mail::Member::kSafeMailItemSave, Error(ErrorCode::kPermissionDenied), 1,
                  Firing::kOptional);
  app_.classes().Unregister(mail::kSafeMailItemProgId);
  auto other = NewMail("<p>Hello</p>");
  EXPECT_FALSE(Raise(other));
  EXPECT_TRUE(Dressed(*other));
  EXPECT_THAT(Logged("error"), SizeIs(1));
  EXPECT_EQ(app_.Calls(mail::Member::kSafeMailItemSave), 0);
}

TEST_F(SendTest, SendItemErrLogsAFailingCallAndTheSendGoesOn) {
  auto item = NewMail("<p>Hello</p>");
  app_.FailMember(mail::Member::kMailItemSetHTMLBody, Error(ErrorCode::kPermissionDenied));
  item->Send();
  ASSERT_EQ(app_.sent().size(), 1u) << "a failing write never stops the send";
  EXPECT_EQ(app_.sent()[0].html_body, "<p>Hello</p>");
  EXPECT_THAT(Logged("error"), ElementsAre(MemLog::Entry{"error", "Permission denied",
                                                         "ol_ItemSend", "olSendItem_Err"}));
}

TEST_F(SendTest, AnUnreadableMessageClassLetsTheItemGoUnchanged) {
  app_.FailMember(mail::Member::kMailItemMessageClass, Error(ErrorCode::kNotSupported));
  auto item = NewMail("<p>Hello</p>");
  EXPECT_FALSE(Raise(item));
  EXPECT_EQ(item->HTMLBody(), "<p>Hello</p>");
  EXPECT_THAT(Logged("error"),
              ElementsAre(MemLog::Entry{"error", "Object doesn't support this property or method",
                                        "ol_ItemSend", "olSendItem_Err"}));
}

TEST_F(SendTest, MyVersionErrTakesTheTextSearchString) {
  System("MyReplySearchString", "-----Original Message-----");
  System("Office2003SearchString", "<div class=OutlookMessageHeader");
  app_.FailMember(mail::Member::kApplicationVersion, Error(ErrorCode::kObjectNotSet));
  auto item = NewMail("<p>Hello</p>");
  EXPECT_FALSE(Raise(item));
  EXPECT_EQ(state_.ReplySeparator, "-----Original Message-----");
  EXPECT_THAT(Notes(), ElementsAre(std::string(kVersionErrorLine)));
  EXPECT_TRUE(Dressed(*item));
}

TEST_F(SendTest, MyMessItemErrLeavesTheEditorUnknown) {
  System("Office2003SearchString", "<div class=OutlookMessageHeader");
  app_.FailMember(mail::Member::kMailItemGetInspector, Error(ErrorCode::kObjectNotSet));
  auto item = PlainMail("Just text");
  EXPECT_FALSE(Raise(item));
  EXPECT_THAT(Notes(), ElementsAre("Object variable or With block variable not set - error with "
                                   "the MyMessItem in OLSend - MyMessItem_err"));
  EXPECT_EQ(state_.ReplySeparator, "<div class=OutlookMessageHeader");
  // Not known to be plain text: the text body goes through the stationery.
  EXPECT_THAT(item->HTMLBody(), HasSubstr("<div class=paper>"));
  EXPECT_TRUE(Dressed(*item));
}

TEST_F(SendTest, MyReplySearchStringErrIsLoggedAndTheItemIsDressedAsANewMessage) {
  System("Office2003SearchString", "-----Original");
  app_.FailMember(mail::Member::kMailItemBody, Error(ErrorCode::kPermissionDenied));
  auto item = NewMail("<p>Hello</p>");
  EXPECT_FALSE(Raise(item));
  EXPECT_FALSE(state_.IsReply);
  EXPECT_TRUE(Dressed(*item));
  EXPECT_THAT(Logged("error"), ElementsAre(MemLog::Entry{"error", "Permission denied",
                                                         "error finding the reply search string",
                                                         "MyReplySearchString_err"}));
}

TEST_F(SendTest, AFailingMessageFormStillCancelsAndSwitchesTheMode) {
  User("Template", "");
  ItemSendHandler handler(
      ItemSendDeps{app_, settings_, registry_, fs_, host_, log_, composer_, state_,
                   [](MessageState&) { throw Error(ErrorCode::kPermissionDenied, "frmMessage"); }});
  bool cancel = false;
  handler.ol_ItemSend(NewMail("<p>Hello</p>"), cancel);
  EXPECT_TRUE(cancel);
  EXPECT_EQ(Get("User Settings", "SettingButtonBar"), "on");
  EXPECT_THAT(Logged("error"), ElementsAre(MemLog::Entry{"error", "Permission denied",
                                                         "ol_ItemSend", "olSendItem_Err"}));
}

TEST_F(SendTest, AFailingRegistryLetsEveryItemGoUnchanged) {
  FaultyRegistry faulty(registry_);
  Settings settings(faulty);
  ItemSendHandler handler(ItemSendDeps{app_, settings, faulty, fs_, host_, log_, composer_, state_,
                                       AddInMessageForm(host_, diagnostics_)});
  faulty.Fail(FaultyRegistry::Call::kAny, ErrorCode::kPermissionDenied, -1);
  auto item = NewMail("<p>Hello</p>");
  bool cancel = false;
  handler.ol_ItemSend(item, cancel);
  EXPECT_FALSE(cancel);
  EXPECT_EQ(item->HTMLBody(), "<p>Hello</p>");
  EXPECT_THAT(Logged("error"), Contains(MemLog::Entry{"error", "Permission denied", "ol_ItemSend",
                                                      "olSendItem_Err"}));
}

TEST_F(SendTest, NoItemAtAllIsLoggedNotThrown) {
  bool cancel = false;
  handler_.ol_ItemSend(nullptr, cancel);
  EXPECT_FALSE(cancel);
  EXPECT_THAT(Logged("error"),
              ElementsAre(MemLog::Entry{"error", "Object variable or With block variable not set",
                                        "ol_ItemSend", "olSendItem_Err"}));
}

TEST_F(SendTest, AMessageWithoutRecipientsIsRefusedByTheClientAndKept) {
  auto item = NewMail("<p>Hello</p>", "", {});
  EXPECT_THROW(item->Send(), Error);
  EXPECT_THAT(app_.sent(), IsEmpty());
  EXPECT_EQ(item->HTMLBody(), "<p>Hello</p>") << "the item is still there, as written";
}

TEST_F(SendTest, EmptyBodiesAreDressedWithTheStationeryAlone) {
  for (auto editor : {mail::EditorType::kHtml, mail::EditorType::kText}) {
    auto item = NewMail("", "", {"ada@example.com"}, editor);
    item->Send();
  }
  ASSERT_EQ(app_.sent().size(), 2u);
  EXPECT_THAT(app_.sent()[0].html_body, HasSubstr("<div class=paper>"));
  EXPECT_THAT(app_.sent()[1].html_body, HasSubstr("Iris Calloway"));
  EXPECT_THAT(Logged("error"), IsEmpty());
}

TEST_F(SendTest, ATwentyMegabyteBodyIsDressed) {
  std::string paragraph = "<p>The harbour lanterns, row by row, catch the evening light.</p>\r\n";
  std::string body;
  while (body.size() < 20u * 1024 * 1024) body += paragraph;
  System("Office2003SearchString", "-----Original Message-----");
  auto item = NewMail(body);
  item->Send();
  ASSERT_EQ(app_.sent().size(), 1u);
  EXPECT_GT(app_.sent()[0].html_body.size(), body.size());
  EXPECT_EQ(app_.sent()[0].billing_information, kDressedMark);

  std::string text(20u * 1024 * 1024, 'x');
  auto plain = PlainMail(text);
  plain->Send();
  ASSERT_EQ(app_.sent().size(), 2u);
  EXPECT_GT(app_.sent()[1].html_body.size(), text.size());
}

}  // namespace
}  // namespace vellumo::addin::testing
