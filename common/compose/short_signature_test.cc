#include "common/compose/short_signature.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/diagnostics/log.h"
#include "common/settings/settings.h"
#include "platform/faulty_file_system.h"
#include "platform/mem_file_system.h"
#include "platform/mem_registry.h"

namespace vellumo::compose {
namespace {

constexpr std::string_view kApp = "C:\\Vellumo";
constexpr std::string_view kSig = "Ann Lee, 555-0100, Cell 555-0199\r\nSales Manager";
constexpr std::string_view kHtmlSig =
    "<b><font style='font-size: 10pt; color: #28447E; font-family: Verdana'>Ann Lee</font></b>"
    ",&nbsp;<font face=Verdana size=1><b>TEL</b>&nbsp;555-0100</font>"
    ",&nbsp;<font face=Verdana size=1><b>CELL</b>&nbsp;555-0199</font>"
    "<br><font style='font-size: 8pt; font-family: Verdana'>Sales Manager</font>";

std::string Times(int n, std::string_view piece) {
  std::string out;
  for (int i = 0; i < n; ++i) out.append(piece);
  return out;
}

class ShortSignatureTest : public ::testing::Test {
 protected:
  ShortSignatureTest() {
    Admin("SigFullname", "Ann Lee");
    Admin("SigTelephone", "555-0100");
    Admin("SigCell", "555-0199");
    Admin("SigPosition", "Sales Manager");
  }
  void Admin(std::string_view key, std::string_view value) {
    settings_.SaveSetting("Vellumo", "Admin Settings", key, value);
  }
  std::string Plain(std::string_view body, ReplyState reply = {}) {
    return AddShortSignature(settings_, log_, body, reply);
  }
  std::string Html(std::string_view body, ReplyState reply = {}) {
    return AddShortSignatureHTML(settings_, log_, body, reply);
  }

  MemRegistry registry_;
  FaultyRegistry faulty_{registry_};
  Settings settings_{faulty_};
  MemFileSystem fs_;
  MemLog log_;
};

TEST_F(ShortSignatureTest, NewPlainMessageEndsWithTheTwoLines) {
  EXPECT_EQ(Plain("See you at ten."), "See you at ten.\r\n\r\n" + std::string(kSig));
  Admin("SigCell", "");
  EXPECT_EQ(Plain(""), "\r\n\r\nAnn Lee, 555-0100\r\nSales Manager");
  // A profile left empty still gives the bare frame, never a failure.
  registry_.DeleteKeyTree(Settings::KeyPath("Vellumo", "Admin Settings"));
  EXPECT_EQ(Plain("x"), "x\r\n\r\n, \r\n");
  EXPECT_TRUE(log_.entries.empty());
}

TEST_F(ShortSignatureTest, PlainReplyPutsTheSignatureAboveTheHistory) {
  const std::string body = "Agreed.\r\n\r\n-----Original Message-----\r\nFrom: Bo\r\n> old";
  // The classic separator takes its whole 26-character line with it.
  EXPECT_EQ(Plain(body, {true, "-----Original"}),
            "Agreed.\r\n\r\n\r\n\r\n" + std::string(kSig) + "\r\nFrom: Bo\r\n> old");
  // Found ignoring case, but only the exact text drops the line: here it follows the position.
  EXPECT_EQ(Plain(body, {true, "-----ORIGINAL"}),
            "Agreed.\r\n\r\n\r\n\r\n" + std::string(kSig) +
                "-----Original Message-----\r\nFrom: Bo\r\n> old");
  EXPECT_EQ(Plain("Yes.\r\nOn Monday Bo wrote:\r\n> hi", {true, "On Monday"}),
            "Yes.\r\n\r\n\r\n" + std::string(kSig) + "On Monday Bo wrote:\r\n> hi");
  // The first occurrence counts.
  EXPECT_EQ(Plain("a##b##c", {true, "##"}), "a\r\n\r\n" + std::string(kSig) + "##b##c");
}

TEST_F(ShortSignatureTest, ReplyCutsByCharactersNotBytes) {
  // Non-ASCII text before and inside the separator line must not shift the cut.
  const std::string body = "Grüße\r\n-----Original Messäge-----Rest";
  EXPECT_EQ(Plain(body, {true, "-----Original"}), "Grüße\r\n\r\n\r\n" + std::string(kSig) + "Rest");
  // A separator line cut short by the end of the body leaves no history at all.
  EXPECT_EQ(Plain("Hi -----Original", {true, "-----Original"}), "Hi \r\n\r\n" + std::string(kSig));
}

TEST_F(ShortSignatureTest, ReplyWithoutItsSeparatorInThisBodyGetsTheSignatureAtTheEnd) {
  // The pipeline may have found the separator only in the other body; there is nowhere to cut.
  EXPECT_EQ(Plain("Agreed.", {true, "-----Original"}), "Agreed.\r\n\r\n" + std::string(kSig));
  EXPECT_EQ(Plain("Agreed.", {true, ""}), "Agreed.\r\n\r\n" + std::string(kSig));
  EXPECT_EQ(Html("<p>Agreed.</p>", {true, "<hr>"}), "<p>Agreed.</p><P>" + std::string(kHtmlSig));
  // Not a reply: a separator in the text is just text.
  EXPECT_EQ(Plain("a ## b", {false, "##"}), "a ## b\r\n\r\n" + std::string(kSig));
  EXPECT_TRUE(log_.entries.empty());
}

TEST_F(ShortSignatureTest, HtmlSignatureForNewMailAndReplies) {
  EXPECT_EQ(Html("<p>Hello</p>"), "<p>Hello</p><P>" + std::string(kHtmlSig));
  EXPECT_EQ(
      Html("<p>Yes</p><div>-----Original Message-----</div><p>old</p>", {true, "-----Original"}),
      "<p>Yes</p><div><P>" + std::string(kHtmlSig) + "<P></div><p>old</p>");
  EXPECT_EQ(Html("<p>Yes</p><hr><p>old</p>", {true, "<HR>"}),
            "<p>Yes</p><P>" + std::string(kHtmlSig) + "<P><hr><p>old</p>");
  Admin("SigCell", "");
  EXPECT_EQ(Html(""),
            "<P><b><font style='font-size: 10pt; color: #28447E; font-family: Verdana'>Ann Lee"
            "</font></b>,&nbsp;<font face=Verdana size=1><b>TEL</b>&nbsp;555-0100</font>"
            "<br><font style='font-size: 8pt; font-family: Verdana'>Sales Manager</font>");
}

TEST_F(ShortSignatureTest, SettingsFailureLeavesTheBodyAndIsLogged) {
  faulty_.Fail(FaultyRegistry::Call::kGetValue, ErrorCode::kPermissionDenied, 1, 2);
  EXPECT_EQ(Plain("Body", {true, "-----Original"}), "Body");
  faulty_.Fail(FaultyRegistry::Call::kGetValue, ErrorCode::kPermissionDenied, 1);
  EXPECT_EQ(Html("<p>Body</p>"), "<p>Body</p>");
  faulty_.Fail(FaultyRegistry::Call::kGetValue, ErrorCode::kPermissionDenied, 1, 5);
  EXPECT_EQ(GetCompactSignature(settings_, log_), "");
  const std::vector<MemLog::Entry> expected{
      {"error", "Permission denied", "AddShortSignature", "AddShortSignature_Err"},
      {"error", "Permission denied", "AddShortSignatureHTML", "AddShortSignatureHTML_Err"},
      {"error", "Permission denied", "GetCompactSignature", "GetCompactSignature_Err"},
  };
  EXPECT_EQ(log_.entries, expected);
}

TEST_F(ShortSignatureTest, CompactBlockLinesUpSevenRows) {
  Admin("SigOrganizationName", "Corvane AB");  // 10 characters: 35 fills
  Admin("SigEmail", "ann@corvane.example");
  Admin("SigAddress", "1 Harbour Road");
  Admin("SigAddress2", "Suite 4");
  Admin("SigAddress3", "Portsby");
  Admin("SigAddress4", "Norway");
  Admin("SigFax", "555-0101");
  const std::string nbsp = "&nbsp;";
  const std::vector<std::string> rows{
      "Ann Lee<br>",
      "Corvane AB" + Times(35, nbsp) + "<br>",
      "Sales Manager" + Times(32, nbsp) + "ann@corvane.example<br>",
      "1 Harbour Road" + Times(31, nbsp) + "Telephone: 555-0100<br>",
      "Suite 4" + Times(38, nbsp) + "Fax:       555-0101<br>",
      "Portsby" + Times(38, nbsp) + "Cell:      555-0199<br>",
      "Norway",
  };
  std::string expected;
  for (const std::string& row : rows) expected += row;
  EXPECT_EQ(GetCompactSignature(settings_, log_), expected);
  EXPECT_TRUE(log_.entries.empty());
}

TEST_F(ShortSignatureTest, CompactBlockOfLongAndMissingValues) {
  Admin("SigOrganizationName", std::string(50, 'O'));
  Admin("SigPosition", "");
  Admin("SigTelephone", "");
  Admin("SigCell", "");
  const std::string nbsp = "&nbsp;";
  // Long values get no fill; empty numbers drop their labels and leave the fill alone.
  EXPECT_EQ(GetCompactSignature(settings_, log_),
            "Ann Lee<br>" + std::string(50, 'O') + "<br>" + Times(45, nbsp) + "<br>" +
                Times(45, nbsp) + "<br>" + Times(45, nbsp) + "<br>" + Times(45, nbsp) + "<br>");
}

TEST(LayoutRows, TextRowsPadWithSpacesCountingCharacters) {
  SignatureProfile profile;
  profile.full_name = "Zoë Ångström";
  profile.organization = "Café Noël";  // 9 characters, 11 bytes
  profile.position = std::string(45, 'p');
  profile.email = "z@cafe.example";
  profile.address = {"Rue 1", "Étage 2", "Lyon", "France"};
  profile.telephone = "01 23";
  const auto rows = LayoutRows(profile, " ");
  const std::array<std::string, 7> expected{
      "Zoë Ångström",
      "Café Noël" + std::string(36, ' '),
      std::string(45, 'p') + "z@cafe.example",
      "Rue 1" + std::string(40, ' ') + "Telephone: 01 23",
      // No fax: the address and its fill only.
      "Étage 2" + std::string(38, ' '),
      "Lyon" + std::string(41, ' '),
      "France",
  };
  EXPECT_EQ(rows, expected);
}

class DisclaimerTest : public ::testing::Test {
 protected:
  MemFileSystem mem_;
  FaultyFileSystem fs_{mem_};
  MemLog log_;
};

TEST_F(DisclaimerTest, EachLineFollowedByABreak) {
  EXPECT_EQ(GetDisclaimerText(fs_, log_, kApp), "");  // no file, no block
  mem_.AddFile("C:\\Vellumo\\DisclaimerText.txt", "Confidential.\r\nFor the addressee only.");
  EXPECT_EQ(GetDisclaimerText(fs_, log_, kApp), "Confidential.<br>For the addressee only.<br>");
  // LF and CR line ends, an empty line kept, and a Windows-1252 sign decoded.
  mem_.AddFile("C:\\Vellumo\\DisclaimerText.txt", "\xA9 Corvane\n\rEnd\n");
  EXPECT_EQ(GetDisclaimerText(fs_, log_, kApp), "© Corvane<br><br>End<br>");
  mem_.AddFile("C:\\Vellumo\\DisclaimerText.txt", "");
  EXPECT_EQ(GetDisclaimerText(fs_, log_, kApp), "");
  EXPECT_TRUE(log_.entries.empty());
}

TEST_F(DisclaimerTest, UnreadableFileGivesNoBlockAndIsLogged) {
  mem_.AddFile("C:\\Vellumo\\DisclaimerText.txt", "Confidential.");
  fs_.FailOn(FaultyFileSystem::Call::kReadFile, "DisclaimerText", ErrorCode::kPermissionDenied);
  EXPECT_EQ(GetDisclaimerText(fs_, log_, kApp), "");
  const std::vector<MemLog::Entry> expected{
      {"error", "Permission denied", "GetDisclaimerText", "GetDisclaimerText_Err"}};
  EXPECT_EQ(log_.entries, expected);
}

}  // namespace
}  // namespace vellumo::compose
