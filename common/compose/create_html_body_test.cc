#include "common/compose/create_html_body.h"

#include <gtest/gtest.h>

#include <string>

#include "common/compose/create_html_body_fixture.h"
#include "common/compose/neutralise.h"

namespace vellumo::compose::testing {
namespace {

std::string Merged(std::string_view text) {
  return std::string(kBefore) + std::string(text) + std::string(kAfter);
}

using CreateHTMLBodyTest = ComposeTest;

TEST_F(CreateHTMLBodyTest, PutsAnHtmlMessageAtTheMarker) {
  EXPECT_EQ(Compose("<p>Hello</p>"), Merged("<p>Hello</p>"));
  EXPECT_TRUE(log_.entries.empty());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(state_.ScriptCancelled);
  EXPECT_EQ(template_path_, kTemplate);
}

TEST_F(CreateHTMLBodyTest, AppliesTheRulesToTheUserTextOnly) {
  fs_.AddFile(kTemplate, "<body bgcolor=red><hr>[#Input your message here#]<font face=Arial>");
  Admin("WipeoutHardRule", "True");
  Admin("WipeOutFontControl", "True");
  EXPECT_EQ(Compose("<hr><font face=x>Hi</font><BLOCKQUOTE>q</BLOCKQUOTE>"),
            "<body bgcolor=red><hr><xhr><font xface=x>Hi</font><xBLOCKQUOTE>q</xBLOCKQUOTE>"
            "<font face=Arial>\r\n");
}

TEST_F(CreateHTMLBodyTest, FillsPlaceholdersAndUserSubstitutionsOverTheWholeResult) {
  fs_.AddFile(kTemplate, "<body bgcolor=[#SigBGColor#]>[#Input your message here#] ACME");
  settings_.SaveSetting(kVellumo, "Template Settings", "UserCode1", "ACME");
  settings_.SaveSetting(kVellumo, "Template Settings", "UserSwap1", "Acme Ltd");
  settings_.SaveSetting(kVellumo, "Template Settings", "UserCode2", "Hi");  // no swap: unused
  Admin("SigFullname", "Ada Lovelace");
  EXPECT_EQ(Compose("Hi from ACME, [#SigFullname#]"),
            "<body bgcolor=#FFFFFF>Hi from Acme Ltd, Ada Lovelace Acme Ltd\r\n");
}

TEST_F(CreateHTMLBodyTest, AppendsTheSignatureWithItsPlaceholdersFilled) {
  Signature("sig.htm", "Regards\n[#SigFullname#]");
  Admin("SigFullname", "Ada Lovelace");
  EXPECT_EQ(Compose("<p>Hello</p>"), Merged("<p>Hello</p>\r\n<P>Regards\r\nAda Lovelace\r\n"));
}

TEST_F(CreateHTMLBodyTest, SignatureNameIsTrimmedAndNoneMeansNoSignature) {
  Signature("sig.htm", "Regards");
  User("Signature", "  sig.htm ");
  EXPECT_EQ(Compose("x"), Merged("x\r\n<P>Regards\r\n"));
  User("Signature", "none");
  EXPECT_EQ(Compose("x"), Merged("x"));
  User("Signature", "");
  EXPECT_EQ(Compose("x"), Merged("x"));
}

TEST_F(CreateHTMLBodyTest, MissingSignatureFallsBackToTheFirstFileOfItsFolder) {
  fs_.AddFile("C:\\Sigs\\b.htm", "B");
  fs_.AddFile("C:\\Sigs\\A.htm", "A");
  User("Signature", "gone.htm");
  EXPECT_EQ(Compose("x"), Merged("x\r\n<P>A\r\n"));
  EXPECT_TRUE(log_.entries.empty());
}

TEST_F(CreateHTMLBodyTest, UnsetSignatureFolderFallsBackWithinTheFolderItListed) {
  settings_.DeleteSetting(kVellumo, "Admin Settings");
  Admin("HTM Files Path", std::string(kTemplates));
  fs_.AddFile("C:\\temp\\house.htm", "House");
  User("Signature", "mine.htm");
  EXPECT_EQ(Compose("x"), Merged("x\r\n<P>House\r\n"));
}

TEST_F(CreateHTMLBodyTest, MissingTemplateFallsBackToTheFirstFileAndHandsThePathBack) {
  fs_.AddFile("C:\\Templates\\zebra.htm", "Z [#Input your message here#]");
  EXPECT_EQ(Compose("x", "C:\\Templates\\gone.htm"), "<html><body>\r\nx\r\n</body></html>\r\n");
  EXPECT_EQ(template_path_, "C:\\Templates\\plain.htm");
  fs_.AddFile("C:\\Templates\\alpha.htm", "A [#Input your message here#]");
  EXPECT_EQ(Compose("x", "C:\\Templates\\gone.htm"), "A x\r\n");
  EXPECT_EQ(template_path_, "C:\\Templates\\alpha.htm");
}

TEST_F(CreateHTMLBodyTest, UnsetTemplateFolderFallsBackWithinTheFolderItListed) {
  settings_.DeleteSetting(kVellumo, "Admin Settings");
  fs_.AddFile("C:\\temp\\t.htm", "T [#Input your message here#]");
  EXPECT_EQ(Compose("x", "C:\\nowhere\\t.htm"), "T x\r\n");
  EXPECT_EQ(template_path_, "C:\\temp\\t.htm");
}

TEST_F(CreateHTMLBodyTest, TemplateWithoutMarkerTakesTheTextAfterItsBodyTagAfterTellingTheUser) {
  fs_.AddFile(kTemplate, "<html><BODY bgcolor=[#SigBGColor#]\n  text=navy>no marker</body></html>");
  Signature("sig.htm", "Iris");
  answers_ = "OK";
  EXPECT_EQ(Compose("kept text"),
            "<html><BODY bgcolor=#FFFFFF\r\n  text=navy>kept text\r\n<P>Iris\r\n"
            "no marker</body></html>\r\n");
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0]["title"], kMarkerMissingTitle);
  EXPECT_EQ(boxes[0]["text"], kMarkerMissingText);
  EXPECT_EQ(boxes[0]["buttons"], "OK");
  EXPECT_EQ(boxes[0]["icon"], "information");
  EXPECT_TRUE(log_.entries.empty());

  // No body tag ("<bodyguard>" is none): the text goes first.
  fs_.AddFile(kTemplate, "<bodyguard>no marker</bodyguard>");
  User("Signature", "none");
  EXPECT_EQ(Compose("kept"), "kept<bodyguard>no marker</bodyguard>\r\n");
}

TEST_F(CreateHTMLBodyTest, ReplyToATemplateWithoutMarkerKeepsItsHistoryBelowTheTemplate) {
  fs_.AddFile(kTemplate, "<body>T</body>");
  Reply("-----Original");
  EXPECT_EQ(Compose("new-----Original old"), "<body>newT</body>\r\n<p><hr>----Original old");
}

TEST_F(CreateHTMLBodyTest, HiddenFilesAreNeverTheFallbackTemplateOrSignature) {
  fs_.AddFile("C:\\Templates\\.DS_Store", std::string("\0\0\0\1Bud1", 8));
  fs_.AddFile("C:\\Sigs\\._sig.htm", "resource fork");
  fs_.AddFile("C:\\Sigs\\real.htm", "Real");
  User("Signature", "gone.htm");
  EXPECT_EQ(Compose("x", "C:\\Templates\\gone.htm"), Merged("x\r\n<P>Real\r\n"));
  EXPECT_EQ(template_path_, "C:\\Templates\\plain.htm");
}

TEST_F(CreateHTMLBodyTest, ScriptQuestionOnlyForTheTwoExactClosingTags) {
  fs_.AddFile(kTemplate, "<script>a()</Script>[#Input your message here#]");
  EXPECT_EQ(Compose("x"), "<script>a()</Script>x\r\n");
  EXPECT_TRUE(Boxes().empty());

  fs_.AddFile(kTemplate, "<SCRIPT>a()</SCRIPT>[#Input your message here#]");
  answers_ = "Yes";
  EXPECT_EQ(Compose("x"), "<SCRIPT>a()</SCRIPT>x\r\n");
  EXPECT_FALSE(state_.ScriptCancelled);
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0]["title"], kScriptWarningTitle);
  EXPECT_EQ(boxes[0]["text"], kScriptWarningText);
  EXPECT_EQ(boxes[0]["buttons"], "YesNo");
}

TEST_F(CreateHTMLBodyTest, RefusingTheScriptReturnsTheRawTemplateAndCancels) {
  fs_.AddFile(kTemplate, "<script>a()</script>[#Input your message here#][#SigBGColor#]");
  answers_ = "No";
  EXPECT_EQ(Compose("x"), "<script>a()</script>[#Input your message here#][#SigBGColor#]\r\n");
  EXPECT_TRUE(state_.ScriptCancelled);
}

TEST_F(CreateHTMLBodyTest, PreviewAsksNothingAboutScript) {
  fs_.AddFile(kTemplate, "</script>[#Input your message here#]");
  state_.PreviewMode = true;
  EXPECT_EQ(Compose("x"), "</script>x\r\n");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(state_.ScriptCancelled);
}

TEST_F(CreateHTMLBodyTest, DateLineGoesBeforeTheText) {
  User("InsertDate", "True");
  User("InsertOrder", "StringFirst");
  User("InsertString", "Sent:");
  EXPECT_EQ(Compose("x"), Merged("Sent:<br>January 5, 2004<br><p>x"));
  User("InsertDate", "true");
  EXPECT_EQ(Compose("x"), Merged("x"));
}

// ---------------------------------------------------------------------------------------------
// Plain text and the word editor.

TEST_F(CreateHTMLBodyTest, PlainTextBecomesDivLines) {
  NewItem("");
  Admin("FormatWarning", "True");
  EXPECT_EQ(Compose("one\r\n\r\ntwo"),
            Merged("<div><span>one</span></div><div><span></span></div>&nbsp"
                   "<div><span>two</span></div>&nbsp;&nbsp;&nbsp;"));
  EXPECT_TRUE(Boxes().empty());  // a known plain-text format warns nobody
}

TEST_F(CreateHTMLBodyTest, PlainTextIsEscapedWhileTheDateLineStaysMarkup) {
  NewItem("");
  EXPECT_EQ(Compose("Ann <ann@x.example> said a<b & c"),
            Merged("<div><span>Ann &lt;ann@x.example&gt; said a&lt;b &amp; c</span></div>"
                   "&nbsp;&nbsp;&nbsp;"));
  User("InsertDate", "True");
  User("InsertFontControl", "<font color=red>");
  EXPECT_EQ(Compose("a<b"), Merged("<div><span><font color=red>January 5, 2004</font><br>"
                                   "<font color=red></font><p>a&lt;b</span></div>"
                                   "&nbsp;&nbsp;&nbsp;"));
}

TEST_F(CreateHTMLBodyTest, WordEditorHtmlIsReadBackWithPicturesSwitchedOff) {
  for (const char* version : {"9.0", "10.0", "8.0"}) {
    SCOPED_TRACE(version);
    NewItem("", "Hello\r\nsee img", mail::EditorType::kWord);
    app_.SetWordVersion(version);
    EXPECT_EQ(Compose("ignored"),
              Merged("<html> <body> <p>Hello</p> <p>see xMG</p> </body> </html> "));
    EXPECT_FALSE(fs_.FileExists("C:\\Vellumo\\GetMyHtml.htm"));
    EXPECT_TRUE(log_.entries.empty());
    EXPECT_TRUE(app_.clipboard().empty());
  }
}

TEST_F(CreateHTMLBodyTest, WordEditorThatCannotSaveReturnsTheIncomingMessage) {
  NewItem("", "Hello", mail::EditorType::kWord);
  app_.SetWordVersion("11.0");
  // A work file left behind by an earlier run is not mistaken for this message.
  fs_.AddFile("C:\\Vellumo\\GetMyHtml.htm", "<p>someone else's mail</p>");
  EXPECT_EQ(Compose("incoming"), "incoming");
  EXPECT_EQ(log_.entries,
            std::vector<MemLog::Entry>{ErrorEntry(
                "File not found", "CreateHTMLBody- error in Word htm file", "WordFileOpen_Err")});
}

TEST_F(CreateHTMLBodyTest, WordEditorFailuresReturnTheIncomingMessage) {
  NewItem("", "Hello", mail::EditorType::kWord);
  app_.SetWordVersion("9.0");
  app_.FailMember(mail::Member::kWordDocumentSaveAs, Error(ErrorCode::kDiskFull));
  EXPECT_EQ(Compose("incoming"), "incoming");
  EXPECT_EQ(log_.entries,
            std::vector<MemLog::Entry>{ErrorEntry(
                "Disk full", "CreateHTMLBody- error in Word htm file", "WordFileOpen_Err")});
}

TEST_F(CreateHTMLBodyTest, WordReplyWithoutSeparatorReturnsTheIncomingMessage) {
  NewItem("", "Hello", mail::EditorType::kWord);
  app_.SetWordVersion("9.0");
  Reply("-----Original");
  EXPECT_EQ(Compose("incoming"), "incoming");
  const std::string word_text = "<html> <body> <p>Hello</p> </body> </html> ";
  EXPECT_EQ(log_.entries,
            std::vector<MemLog::Entry>{Note("parsing error - reply - length of the message is " +
                                            std::to_string(word_text.size()) +
                                            " - myMessageReplyFormatFalse_err")});
}

// ---------------------------------------------------------------------------------------------
// Replies.

constexpr std::string_view kSeparator = "-----Original Message-----";

TEST_F(CreateHTMLBodyTest, ReplyKeepsTheHistoryBelowTheStationery) {
  Reply(kSeparator);
  EXPECT_EQ(Compose("<p>New</p>-----Original Message-----<p>Old</p>"),
            Merged("<p>New</p>") + "<p><hr>----Original Message-----<p>Old</p>");
}

TEST_F(CreateHTMLBodyTest, ReplySignatureGoesInATableWithTheNewText) {
  Reply(kSeparator);
  Signature("sig.htm", "Regards");
  const std::string message = "<p>New</p>-----Original Message-----<p>Old</p>";
  EXPECT_EQ(Compose(message),
            Merged(std::string(kSignatureTableOpen) + "<p>New</p><P>Regards\r\n</TABLE>") +
                "<p><hr>----Original Message-----<p>Old</p>");
  Admin("WipeoutSignatureTable", "False");
  EXPECT_EQ(Compose(message),
            Merged("<p>New</p><P>Regards\r\n") + "<p><hr>----Original Message-----<p>Old</p>");
}

TEST_F(CreateHTMLBodyTest, ReplyOffsetsCountCharacters) {
  Reply(kSeparator);
  state_.ReplyCutBefore = "0";
  state_.ReplySkipAfter = "26";
  EXPECT_EQ(Compose("Grüße-----Original Message-----alt"), Merged("Grüße-") + "<p><hr>alt");
}

TEST_F(CreateHTMLBodyTest, ReplyHistoryRulesAndSeparatorMarkup) {
  Reply(kSeparator);
  Admin("WipeoutReplyFontSmall", "True");
  Admin("WipeoutReplySeparator", "<hr size=1>");
  EXPECT_EQ(Compose("new-----Original Message-----old"),
            Merged("new") + "<p><hr size=1><span font size=1>----Original Message-----old</span>");
}

TEST_F(CreateHTMLBodyTest, ReplySeparatorFoundNowhereKeepsTheWholeText) {
  Reply("XX-SEP");
  EXPECT_EQ(Compose("<p>Only new</p>"), Merged("<p>Only new</p>") + "<p><hr>");
  EXPECT_TRUE(log_.entries.empty());
}

TEST_F(CreateHTMLBodyTest, ReplySeparatorFoundOnlyInTheItemCutsTheItemBody) {
  NewItem("<p>Top</p>XX-SEP<p>History</p>");
  Reply("XX-SEP");
  EXPECT_EQ(Compose("<p>Rewritten</p>"), Merged("<p>Top</p>") + "<p><hr>X-SEP<p>History</p>");
}

TEST_F(CreateHTMLBodyTest, ReplyWhoseCutIsEmptyReturnsTheIncomingMessage) {
  Reply("XX-SEP");
  EXPECT_EQ(Compose("XX-SEP rest"), "XX-SEP rest");
  EXPECT_EQ(log_.entries,
            std::vector<MemLog::Entry>{Note("parsing error - reply - length of the message is 11 - "
                                            "myMessageReplyFormatFalse_err")});
  log_.entries.clear();
  state_.ReplyCutBefore = "1e300";
  EXPECT_EQ(Compose("a XX-SEP b"), "a XX-SEP b");
  EXPECT_EQ(log_.entries.size(), 1u);
}

// ---------------------------------------------------------------------------------------------
// Unknown format (the item could not be asked).

TEST_F(CreateHTMLBodyTest, UnknownFormatOfAPlainItemConvertsAndWarns) {
  NewItem("");
  app_.FailMember(mail::Member::kInspectorIsWordMail, Error(ErrorCode::kNotSupported));
  Admin("FormatWarning", "True");
  answers_ = "OK";
  EXPECT_EQ(Compose("hi"), Merged("<div><span>hi</span></div>&nbsp;&nbsp;&nbsp;"));
  EXPECT_TRUE(log_.entries.empty());
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0]["title"], FileListWindows::kFormatWarningTitle);
  EXPECT_EQ(state_.Message.kind, "Format Warning");
}

TEST_F(CreateHTMLBodyTest, FormatWarningNeedsBothSwitchesAndNoReply) {
  NewItem("");
  app_.FailMember(mail::Member::kInspectorIsWordMail, Error(ErrorCode::kNotSupported));
  Compose("hi");  // "FormatWarning" defaults to "False"
  Admin("FormatWarning", "True");
  User("FormatWarningMessage", "False");
  Compose("hi");
  User("FormatWarningMessage", "True");
  Reply("never");
  Compose("hi");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(CreateHTMLBodyTest, UnknownFormatReplyWithoutSeparatorReturnsTheIncomingMessage) {
  app_.FailMember(mail::Member::kMailItemHTMLBody, Error(ErrorCode::kNotSupported), 1);
  Reply("XX-SEP");
  EXPECT_EQ(Compose("no separator"), "no separator");
  EXPECT_EQ(log_.entries,
            std::vector<MemLog::Entry>{Note("parsing error - reply - length of the message is 12 - "
                                            "myMessageReplyFormatFalse_err")});
}

TEST_F(CreateHTMLBodyTest, UnknownFormatReplyWithSeparatorIsCut) {
  app_.FailMember(mail::Member::kMailItemHTMLBody, Error(ErrorCode::kNotSupported), 1);
  Reply("XX-SEP");
  EXPECT_EQ(Compose("new XX-SEP old"), Merged("new ") + "<p><hr>X-SEP old");
  EXPECT_TRUE(log_.entries.empty());
}

TEST_F(CreateHTMLBodyTest, UnknownFormatPlainReplyKeepsTheTextWhenTheCutFails) {
  NewItem("");
  app_.FailMember(mail::Member::kInspectorIsWordMail, Error(ErrorCode::kNotSupported));
  Reply("XX-SEP");
  EXPECT_EQ(Compose("hi"), Merged("<div><span>hi</span></div>&nbsp;&nbsp;&nbsp;") + "<p><hr>");
  EXPECT_EQ(log_.entries,
            std::vector<MemLog::Entry>{Note("Invalid procedure call or argument - CreateHTMLBody- "
                                            "error Reply state parsing - myMessageReply_err")});
}

TEST_F(CreateHTMLBodyTest, UnreadableItemReturnsTheIncomingMessage) {
  state_.CurrentItem = nullptr;
  EXPECT_EQ(Compose("incoming"), "incoming");
  EXPECT_EQ(log_.entries,
            std::vector<MemLog::Entry>{ErrorEntry("Object variable or With block variable not set",
                                                  "CreateHTMLBody", "CreateHTM_Err")});
}

}  // namespace
}  // namespace vellumo::compose::testing
