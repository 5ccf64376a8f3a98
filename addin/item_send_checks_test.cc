// The checks in the middle of the send interception: personal stationery, the reply separator by
// client version and editor, internal recipients (with and without the safe wrapper), reply
// detection and the quote rotation.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "addin/item_send.h"
#include "addin/item_send_fixture.h"

namespace vellumo::addin::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

class StationeryTest : public SendTest {
 protected:
  StationeryTest() { Admin("WipeoutPersonalStationery", "True"); }
  void Stationery(std::string_view key, std::string_view name, const RegValue& value) {
    registry_.SetValue(key, name, value);
  }
  std::string Value(std::string_view key, std::string_view name) {
    auto value = registry_.GetValue(key, name);
    return value ? value->AsText() : "<missing>";
  }
};

TEST_F(StationeryTest, RefusesTheSendWarnsMarksTheItemAndClearsTheSetting) {
  Stationery(kMailSettings11Key, "NewStationery", RegValue::String("Ivy"));
  auto item = NewMail("<p>Hello</p>");
  EXPECT_TRUE(Raise(item));

  const auto shown = Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0]["kind"], "msgbox");
  EXPECT_EQ(shown[0]["title"], "This email cannot be sent.");
  EXPECT_EQ(shown[0]["icon"], "information");
  EXPECT_EQ(shown[0]["buttons"], "OK");
  EXPECT_EQ(shown[0]["text"],
            "You are using Outlook personal Stationery.\r\nPlease cancel this email and create a "
            "new email message.\r\nVellumo will automatically remove the personal Outlook "
            "stationery\r\nIvy");
  EXPECT_EQ(item->BillingInformation(), "DoNotSend");
  EXPECT_EQ(item->HTMLBody(), "<p>Hello</p>");
  EXPECT_FALSE(state_.MessageDressed);
  EXPECT_EQ(Value(kMailSettings11Key, "NewStationery"), "");

  // The stationery is gone from the settings, but this item was written on it.
  EXPECT_TRUE(Raise(item));
  const auto again = Shown();
  ASSERT_EQ(again.size(), 2u);
  EXPECT_EQ(again[1]["text"],
            "You are using Outlook personal Stationery.\r\nPlease cancel this email and create a "
            "new email message.");
  EXPECT_EQ(again[1]["title"], "This email cannot be sent.");
  EXPECT_EQ(item->HTMLBody(), "<p>Hello</p>");
}

TEST_F(StationeryTest, LooksInTheDefaultProfileThenInBothClientVersions) {
  Stationery(kProfilesKey, "DefaultProfile", RegValue::String("Harbour"));
  const std::string profile_key =
      std::string(kProfilesKey) + "\\Harbour\\" + std::string(kProfileStationerySubkey);
  Stationery(profile_key, "001e0360", RegValue::String("Profile paper"));
  Stationery(kMailSettings10Key, "NewStationery", RegValue::String("Ten paper"));
  EXPECT_TRUE(Raise(NewMail("<p>1</p>")));
  EXPECT_EQ(Value(profile_key, "001e0360"), "");
  EXPECT_EQ(Value(kMailSettings10Key, "NewStationery"), "Ten paper");
  EXPECT_TRUE(Raise(NewMail("<p>2</p>")));
  EXPECT_EQ(Value(kMailSettings10Key, "NewStationery"), "");
  EXPECT_THAT(Shown().back()["text"].get<std::string>(), HasSubstr("\r\nTen paper"));

  auto clean = NewMail("<p>3</p>");
  EXPECT_FALSE(Raise(clean));
  EXPECT_TRUE(Dressed(*clean));
}

TEST_F(StationeryTest, ValuesThatAreNoStationeryNameAndUnreadableOnesAreIgnored) {
  Stationery(kMailSettings11Key, "NewStationery", RegValue::Dword(0));
  auto item = NewMail("<p>Hello</p>");
  EXPECT_FALSE(Raise(item));
  EXPECT_TRUE(Dressed(*item));

  FaultyRegistry faulty(registry_);
  faulty.Fail(FaultyRegistry::Call::kGetValue, ErrorCode::kPermissionDenied, -1);
  // Only the stationery look-ups go through the failing registry.
  ItemSendHandler handler(ItemSendDeps{app_, settings_, faulty, fs_, host_, log_, composer_, state_,
                                       AddInMessageForm(host_, diagnostics_)});
  auto other = NewMail("<p>Hello</p>");
  bool cancel = false;
  handler.ol_ItemSend(other, cancel);
  EXPECT_FALSE(cancel);
  EXPECT_TRUE(Dressed(*other));
  EXPECT_THAT(Logged("error"), IsEmpty()) << "failures of this step are ignored by rule";
}

TEST_F(StationeryTest, OffByDefault) {
  Admin("WipeoutPersonalStationery", "");
  Stationery(kMailSettings11Key, "NewStationery", RegValue::String("Ivy"));
  auto item = NewMail("<p>Hello</p>");
  item->SetBillingInformation("DoNotSend");
  EXPECT_FALSE(Raise(item));
  EXPECT_TRUE(Dressed(*item));
  EXPECT_EQ(Value(kMailSettings11Key, "NewStationery"), "Ivy");
}

TEST_F(SendTest, ReplySeparatorFollowsTheClientVersionAndTheEditor) {
  System("MyReplySearchString", "-----Original Message-----");
  System("Office2003SearchString", "<div class=OutlookMessageHeader");
  struct Case {
    const char* version;
    mail::EditorType editor;
    const char* separator;
  };
  for (const Case& c :
       {Case{"9.0.0.2711", mail::EditorType::kHtml, "-----Original Message-----"},
        Case{"10.0.6626", mail::EditorType::kHtml, "-----Original Message-----"},
        Case{"11.0.8312", mail::EditorType::kHtml, "<div class=OutlookMessageHeader"},
        Case{"11.0.8312", mail::EditorType::kText, "-----Original Message-----"},
        Case{"12.0", mail::EditorType::kWord, "<div class=OutlookMessageHeader"}}) {
    SCOPED_TRACE(c.version);
    app_.SetVersion(c.version);
    Raise(NewMail("<p>x</p>", "x", {"ada@example.com"}, c.editor));
    EXPECT_EQ(state_.ReplySeparator, c.separator);
  }
}

TEST_F(SendTest, ReplyIsDetectedInEitherBodyAndKeepsItsHistoryBelow) {
  System("Office2003SearchString", "<div class=OutlookMessageHeader");
  System("ReplySearchStringVal", "2");
  System("ReplyInsertStringVal", "3");
  auto item = NewMail(
      "<p>Thanks, Friday suits us.</p><div class=OutlookMessageHeader>From: Ada</div>"
      "<p>Can you deliver?</p>",
      "Thanks");
  EXPECT_FALSE(Raise(item));
  EXPECT_TRUE(state_.IsReply);
  EXPECT_EQ(state_.ReplyCutBefore, "2");
  EXPECT_EQ(state_.ReplySkipAfter, "3");
  EXPECT_TRUE(Dressed(*item));
  const std::string html = item->HTMLBody();
  EXPECT_LT(html.find("Thanks, Friday suits us."), html.find("Can you deliver?"));

  auto fresh = NewMail("<p>A new letter</p>");
  EXPECT_FALSE(Raise(fresh));
  EXPECT_FALSE(state_.IsReply);
}

TEST_F(SendTest, ReplyAsIsLetsARepliesGoUnchanged) {
  System("Office2003SearchString", "-----Original");
  User("Reply as is", "1");
  auto reply = NewMail("<p>ok</p>-----Original Message-----<p>old</p>");
  EXPECT_FALSE(Raise(reply));
  EXPECT_EQ(reply->HTMLBody(), "<p>ok</p>-----Original Message-----<p>old</p>");
  EXPECT_FALSE(state_.IsReply);

  auto letter = NewMail("<p>new</p>");
  EXPECT_FALSE(Raise(letter));
  EXPECT_TRUE(Dressed(*letter));
}

class InternalTest : public SendTest {
 protected:
  InternalTest() { Admin("SkipInternal", "1"); }
};

TEST_F(InternalTest, ServerAddressesOnlyGetTheShortSignatureInsteadOfStationery) {
  auto item = NewMail("<p>Lunch at one?</p>", "", {"IrisC", " /o=Northwind/cn=Ada "});
  item->Send();
  ASSERT_EQ(app_.sent().size(), 1u);
  const auto& sent = app_.sent()[0];
  EXPECT_THAT(sent.html_body, StartsWith("<p>Lunch at one?</p><P>"));
  EXPECT_THAT(sent.html_body, HasSubstr("Iris Calloway"));
  EXPECT_THAT(sent.html_body, Not(HasSubstr("class=paper")));
  EXPECT_EQ(sent.billing_information, "") << "internal mail is not marked as dressed";
  EXPECT_TRUE(state_.MyInternal);
}

TEST_F(InternalTest, OneInternetAddressOrAnEmptyOneMakesItANormalSend) {
  for (const std::vector<std::string>& to :
       {std::vector<std::string>{"IrisC", "ada@example.com"}, std::vector<std::string>{}}) {
    auto item = NewMail("<p>Lunch at one?</p>", "", to);
    EXPECT_FALSE(Raise(item));
    EXPECT_TRUE(Dressed(*item)) << to.size() << " recipients";
    EXPECT_FALSE(state_.MyInternal);
  }
}

TEST_F(InternalTest, PlainTextInternalMailGetsTheTextSignatureAboveTheHistory) {
  System("MyReplySearchString", "-----Original Message-----");
  auto item = PlainMail("Yes.\r\n\r\n-----Original Message-----\r\nFrom: Ada\r\nLunch?", {"Ada"});
  EXPECT_FALSE(Raise(item));
  EXPECT_TRUE(state_.IsReply);
  EXPECT_EQ(item->Body(),
            "Yes.\r\n\r\n\r\n\r\nIris Calloway, +44 20 7946 0321\r\nHead of Lantern Design"
            "-----Original Message-----\r\nFrom: Ada\r\nLunch?");
  EXPECT_EQ(item->HTMLBody(), "");
}

TEST_F(InternalTest, RichTextGoesUnchangedAndTestSkipInternalForcesTheShortPath) {
  auto rich = NewMail("", "rich", {"Ada"}, mail::EditorType::kRtf);
  EXPECT_FALSE(Raise(rich));
  EXPECT_EQ(rich->Body(), "rich");
  EXPECT_EQ(rich->HTMLBody(), "");

  Admin("TestSkipInternal", "True");
  auto external = NewMail("<p>hi</p>", "", {"ada@example.com"});
  EXPECT_FALSE(Raise(external));
  EXPECT_THAT(external->HTMLBody(), StartsWith("<p>hi</p><P>"));
  EXPECT_EQ(external->BillingInformation(), "");
}

class DomainTest : public InternalTest {
 protected:
  DomainTest() { Admin("UseRedemption", "True"); }
};

TEST_F(DomainTest, EitherOfTwoDomainsMakesARecipientInternal) {
  System("ExchangeDomain", "northwind.example;lantern.example");
  auto both = NewMail("<p>hi</p>", "", {"ada@northwind.example", "bo@lantern.example"});
  EXPECT_FALSE(Raise(both));
  EXPECT_TRUE(state_.MyInternal);
  EXPECT_EQ(both->BillingInformation(), "");
  EXPECT_THAT(both->HTMLBody(), StartsWith("<p>hi</p><P>"));
  EXPECT_THAT(
      Notes(),
      ElementsAre(
          "MyInternal is true - step 1", "northwind.example;lantern.example - the skip value",
          "more one value in the skip value", "northwind.example is the found value in the array",
          "ada@northwind.example", "MyInternal is true - step 1",
          "northwind.example;lantern.example - the skip value", "more one value in the skip value",
          "lantern.example is the found value in the array", "bo@lantern.example"));

  log_.entries.clear();
  auto mixed = NewMail("<p>hi</p>", "", {"ada@northwind.example", "cy@elsewhere.example"});
  EXPECT_FALSE(Raise(mixed));
  EXPECT_FALSE(state_.MyInternal);
  EXPECT_TRUE(Dressed(*mixed));
}

TEST_F(DomainTest, OneDomainAndTheEmptyPiecesThatWouldMatchEveryone) {
  System("ExchangeDomain", "northwind.example");
  auto outside = NewMail("<p>hi</p>", "", {"cy@elsewhere.example"});
  EXPECT_FALSE(Raise(outside));
  EXPECT_TRUE(Dressed(*outside));
  EXPECT_THAT(Notes(), Contains("only one value in the skip value"));

  for (const char* domains : {"northwind.example;", ""}) {
    System("ExchangeDomain", domains);
    auto item = NewMail("<p>hi</p>", "", {"cy@elsewhere.example"});
    EXPECT_FALSE(Raise(item));
    EXPECT_TRUE(Dressed(*item)) << "\"" << domains << "\" names no domain of this address";
  }
}

TEST_F(DomainTest, ExchangeUsersAreInternalWithoutAnAt) {
  Admin("ExchangeUser", "True");
  auto inside = NewMail("<p>hi</p>", "", {"/o=Northwind/cn=Ada"});
  EXPECT_FALSE(Raise(inside));
  EXPECT_TRUE(state_.MyInternal);
  auto outside = NewMail("<p>hi</p>", "", {"/o=Northwind/cn=Ada", "cy@elsewhere.example"});
  EXPECT_FALSE(Raise(outside));
  EXPECT_TRUE(Dressed(*outside));
}

TEST_F(SendTest, QuoteRotationPicksTheNextTipAndMissingTipsDoNotStopTheSend) {
  User("SendQuote", "True");
  Admin("TipsFileLocation", "C:\\tips.txt");
  auto item = NewMail("<p>Hello</p>");
  EXPECT_FALSE(Raise(item));
  EXPECT_TRUE(Dressed(*item)) << "a missing tips file is logged, the send goes on";
  EXPECT_THAT(Logged("error"), Not(IsEmpty()));

  fs_.AddFile("C:\\tips.txt", "Tips of the house\r\nno numbers here\r\n");
  auto other = NewMail("<p>Hello</p>");
  EXPECT_FALSE(Raise(other));
  EXPECT_TRUE(Dressed(*other));
}

}  // namespace
}  // namespace vellumo::addin::testing
