// What leaves is never worse than what the user wrote: `vellumo send` in automatic mode on a home
// made from examples/, looking at both alternatives of the message filed in Sent Items.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/text.h"
#include "html/html_text.h"
#include "localmail/mime_message.h"
#include "tests/support/send_home.h"
#include "tests/support/test_files.h"

namespace vellumo {
namespace {

namespace stdfs = std::filesystem;
using localmail::MimeMessage;
using test_support::ReadAll;
using test_support::SendHome;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::SizeIs;
using ::testing::StartsWith;

constexpr std::string_view kCompactSignatureEnd = "Cell: +44 7700 900461";

class DressingKeepsTextTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(home_.ok()) << home_.error(); }

  std::string Example(const std::string& name) {
    return ReadAll(home_.source() / "examples" / "messages" / name);
  }
  // Sends the message and returns what was filed.
  MimeMessage SendAndFile(std::string_view message) {
    const ProcessResult sent = home_.Send(message);
    EXPECT_EQ(sent.output, "sent\n") << sent.errors;
    std::vector<MimeMessage> filed = home_.SentItems();
    if (filed.size() != 1) {
      ADD_FAILURE() << "Sent Items holds " << filed.size() << " messages";
      return MimeMessage::Parse("Subject: none\r\n\r\n", "none");
    }
    return std::move(filed.front());
  }
  static std::string Rendered(const MimeMessage& m) { return html::HtmlToText(m.HtmlBody()); }
  static std::string Collapsed(std::string_view s) {
    std::string out;
    for (const std::string& word : text::Split(text::Replace(s, "\xC2\xA0", " "), " ")) {
      if (!word.empty()) out += (out.empty() ? "" : " ") + word;
    }
    return out;
  }

  SendHome home_;
};

TEST_F(DressingKeepsTextTest, AnHtmlOnlyMessageInThePlainEditorKeepsItsText) {
  const MimeMessage filed =
      SendAndFile("X-Vellumo-Editor: 1\r\n" + Example("harbour-lanterns.eml"));
  for (const std::string& text : {Rendered(filed), filed.TextBody()}) {
    EXPECT_THAT(text, HasSubstr("the twelve storm lanterns for the harbour wall"));
    EXPECT_THAT(text, HasSubstr("Would nine o'clock at the east quay suit you?"));
    EXPECT_THAT(Collapsed(text), EndsWith(kCompactSignatureEnd));
  }
}

TEST_F(DressingKeepsTextTest, AMessageWhoseStructureCannotBeReadKeepsItsText) {
  const MimeMessage filed = SendAndFile(
      "From: Mailer-Daemon@example.com\r\nSubject: Delivery Status Notification (Failure)\r\n"
      "To: user@example.com\r\nContent-Type: multipart/report;\r\n\r\n"
      "I'm  multipart message without boundary\r\n");
  EXPECT_THAT(Rendered(filed), HasSubstr("I'm multipart message without boundary"));
  EXPECT_THAT(filed.TextBody(), HasSubstr("I'm multipart message without boundary"));
}

TEST_F(DressingKeepsTextTest, BothAlternativesOfADressedMessageCarryTheSignature) {
  const MimeMessage filed = SendAndFile(
      "From: iris@northwind-lanterns.example\r\nTo: tomas@harbourmaster.example\r\n"
      "Subject: Both\r\nMIME-Version: 1.0\r\nContent-Type: multipart/alternative; boundary=b\r\n"
      "\r\n--b\r\nContent-Type: text/plain\r\n\r\nThe lanterns are ready.\r\n"
      "--b\r\nContent-Type: text/html\r\n\r\n<p>The lanterns are ready.</p>\r\n--b--\r\n");
  EXPECT_THAT(*filed.Header("Content-Type"), HasSubstr("multipart/alternative"));
  for (const std::string& text : {Rendered(filed), filed.TextBody()}) {
    EXPECT_THAT(text, HasSubstr("The lanterns are ready."));
    EXPECT_THAT(text, HasSubstr("Head of Lantern Design, Northwind Lanterns")) << "signature";
    EXPECT_THAT(text, HasSubstr("Winter collection")) << "the stationery";
  }
}

TEST_F(DressingKeepsTextTest, APlainTextMessageGoesOutAsTwoAlternativesEndingInTheSignature) {
  stdfs::create_directories(home_.home() / "drive_c" / "Program Files" / "Corvane" / "Vellumo" /
                            "Programs");
  const MimeMessage filed = SendAndFile(
      "From: iris@northwind-lanterns.example\r\nTo: tomas@harbourmaster.example\r\n"
      "Subject: Plain\r\n\r\nAnn <ann@x.example> said a<b & c.\r\nSee you Friday.\r\n");
  EXPECT_THAT(*filed.Header("Content-Type"), HasSubstr("multipart/alternative"));
  for (const std::string& text : {Rendered(filed), filed.TextBody()}) {
    EXPECT_THAT(text, StartsWith("Ann <ann@x.example> said a<b & c.\r\nSee you Friday."));
    EXPECT_THAT(Collapsed(text), EndsWith(kCompactSignatureEnd));
  }

  // With a disclaimer, both end with it.
  test_support::WriteAll(home_.home() / "drive_c" / "Program Files" / "Corvane" / "Vellumo" /
                             "Programs" / "DisclaimerText.txt",
                         "This message is for its addressee only.\n");
  stdfs::remove_all(home_.Folder("Sent Items"));
  const MimeMessage with_disclaimer = SendAndFile(
      "From: iris@northwind-lanterns.example\r\nTo: tomas@harbourmaster.example\r\n"
      "Subject: Plain\r\n\r\nHello.\r\n");
  for (const std::string& text : {Rendered(with_disclaimer), with_disclaimer.TextBody()}) {
    EXPECT_THAT(text, EndsWith("This message is for its addressee only."));
    EXPECT_THAT(Collapsed(text), HasSubstr(kCompactSignatureEnd));
  }
}

TEST_F(DressingKeepsTextTest, InternalMailInThePlainEditorHasTheShortSignatureInBothParts) {
  const MimeMessage filed = SendAndFile("X-Vellumo-Editor: 1\r\n" + Example("team-lunch.eml"));
  for (const std::string& text : {Rendered(filed), filed.TextBody()}) {
    EXPECT_THAT(text, HasSubstr("Shall we have lunch at the Anchor"));
    EXPECT_THAT(text, HasSubstr("Iris Calloway, +44 20 7946 0321"));
  }
  EXPECT_THAT(filed.HtmlBody(), Not(HasSubstr("#FBF7EF"))) << "no stationery for colleagues";
}

TEST_F(DressingKeepsTextTest, ATemplateChosenWithAnUpperCaseExtensionStillDresses) {
  stdfs::rename(home_.home() / "drive_c" / "Vellumo" / "Stationery" / "Morning Paper.htm",
                home_.home() / "drive_c" / "Vellumo" / "Stationery" / "Morning Paper.HTM");
  home_.Set("User Settings", "Template", "Morning Paper.HTM");
  for (int i = 0; i < 2; ++i) {
    stdfs::remove_all(home_.Folder("Sent Items"));
    const MimeMessage filed = SendAndFile(Example("harbour-lanterns.eml"));
    EXPECT_THAT(filed.HtmlBody(), HasSubstr("#FBF7EF")) << "send " << i;
  }
  EXPECT_EQ(home_.Run({"settings", "get", "Vellumo", "User Settings", "SettingButtonBar"}).output,
            "auto\n");
}

}  // namespace
}  // namespace vellumo
