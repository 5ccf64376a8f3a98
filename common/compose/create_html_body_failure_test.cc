// The failure table of CreateHTMLBody, the contact and marketing step, and bad template and
// signature files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "common/compose/create_html_body.h"
#include "common/compose/create_html_body_fixture.h"

namespace vellumo::compose::testing {
namespace {

std::string Merged(std::string_view text) {
  return std::string(kBefore) + std::string(text) + std::string(kAfter);
}

using CreateHTMLBodyFailureTest = ComposeTest;

TEST_F(CreateHTMLBodyFailureTest, UnreadableSignatureReturnsTheIncomingMessage) {
  Signature("sig.htm", "Regards");
  FaultyFileSystem faulty(fs_);
  faulty.FailOn(FaultyFileSystem::Call::kReadFile, "sig.htm", ErrorCode::kPermissionDenied);
  ui::ScriptHost host(ui::ScriptAnswers::Parse("", "answers"), &transcript_);
  EXPECT_EQ(ComposeWith(host, faulty, "incoming"), "incoming");
  EXPECT_EQ(log_.entries, std::vector<MemLog::Entry>{
                              ErrorEntry("Permission denied", "CreateHTMLBody", "Signature_Err")});
}

TEST_F(CreateHTMLBodyFailureTest, TemplateReadErrorReturnsTheIncomingMessage) {
  FaultyFileSystem faulty(fs_);
  faulty.FailOn(FaultyFileSystem::Call::kReadFile, "plain.htm", ErrorCode::kPathFileAccess);
  ui::ScriptHost host(ui::ScriptAnswers::Parse("", "answers"), &transcript_);
  EXPECT_EQ(ComposeWith(host, faulty, "incoming"), "incoming");
  EXPECT_EQ(log_.entries,
            std::vector<MemLog::Entry>{ErrorEntry(
                "Path/File access error", "CreateHTMLBody- error in htm file", "NoFile_Err")});
}

TEST_F(CreateHTMLBodyFailureTest, EmptyTemplateFolderLeavesNoTemplateToRead) {
  fs_.RemoveFile(kTemplate);
  EXPECT_EQ(Compose("incoming", "C:\\Templates\\gone.htm"), "incoming");
  EXPECT_EQ(template_path_, "C:\\Templates\\");
  ASSERT_EQ(log_.entries.size(), 1u);
  EXPECT_EQ(log_.entries[0].c, "NoFile_Err");
}

TEST_F(CreateHTMLBodyFailureTest, DumpsAreWrittenAndTheirFailuresOnlyLogged) {
  Admin("WipeOutFileCompare", "True");
  Admin("WipeoutHardRule", "True");
  EXPECT_EQ(Compose("<hr>x"), Merged("<xhr>x"));
  EXPECT_EQ(fs_.Contents("C:\\Vellumo\\beforetext.txt"), "<hr>x\r\n");
  EXPECT_EQ(fs_.Contents("C:\\Vellumo\\aftertext.txt"), "<hr>x\r\n");  // before the hard rule

  state_.ApplicationPath = "C:\\Missing";
  EXPECT_EQ(Compose("<hr>x"), Merged("<xhr>x"));
  const auto compare =
      ErrorEntry("Path not found", "CreateHTMLBody- error HTML File Compare", "CompareFile_Err");
  EXPECT_EQ(log_.entries, (std::vector<MemLog::Entry>{compare, compare}));
}

TEST_F(CreateHTMLBodyFailureTest, FailingMarkerMessageReturnsTheIncomingMessage) {
  fs_.AddFile(kTemplate, "no marker");
  FailingHost host;
  EXPECT_EQ(ComposeWith(host, fs_, "incoming"), "incoming");
  EXPECT_EQ(log_.entries, std::vector<MemLog::Entry>{
                              ErrorEntry("Permission denied", "CreateHTMLBody", "CreateHTM_Err")});
}

TEST_F(CreateHTMLBodyFailureTest, UnaskableScriptQuestionReturnsTheIncomingMessageAndCancels) {
  fs_.AddFile(kTemplate, "</script>[#Input your message here#]");
  FailingHost host;
  EXPECT_EQ(ComposeWith(host, fs_, "incoming"), "incoming");
  EXPECT_TRUE(state_.ScriptCancelled);
}

TEST_F(CreateHTMLBodyFailureTest, EarlierRefusalDoesNotCancelALaterSendThatFailsEarly) {
  state_.ScriptCancelled = true;  // left by the send before
  Signature("sig.htm", "Regards");
  fs_.RemoveFile("C:\\Sigs\\sig.htm");  // and the folder is empty: nothing to read
  EXPECT_EQ(Compose("incoming"), "incoming");
  EXPECT_FALSE(state_.ScriptCancelled);
}

TEST_F(CreateHTMLBodyFailureTest, FailingSettingsStoreReturnsTheIncomingMessage) {
  FaultyRegistry faulty(registry_);
  Settings settings(faulty);
  ui::ScriptHost host(ui::ScriptAnswers::Parse("", "answers"), &transcript_);
  FileListWindows windows(fs_, host);
  Composer composer(ComposeDeps{settings, fs_, clock_, host, log_, windows, nullptr});
  faulty.Fail(FaultyRegistry::Call::kAny, ErrorCode::kPermissionDenied, -1);
  std::string path(kTemplate);
  EXPECT_EQ(composer.CreateHTMLBody("incoming", path, state_), "incoming");
  ASSERT_FALSE(log_.entries.empty());
  EXPECT_EQ(log_.entries.back(),
            ErrorEntry("Permission denied", "CreateHTMLBody", "CreateHTM_Err"));
}

TEST_F(CreateHTMLBodyFailureTest, FailingPlaceholderFillReturnsTheIncomingMessage) {
  FaultyRegistry faulty(registry_);
  Settings settings(faulty);
  ui::ScriptHost host(ui::ScriptAnswers::Parse("", "answers"), &transcript_);
  FileListWindows windows(fs_, host);
  Composer composer(ComposeDeps{settings, fs_, clock_, host, log_, windows, nullptr});
  std::string path(kTemplate);
  ASSERT_EQ(composer.CreateHTMLBody("x", path, state_), Merged("x"));
  // The fill reads its settings last: fail only the very last read.
  const int reads = faulty.calls(FaultyRegistry::Call::kGetValue);
  faulty.Fail(FaultyRegistry::Call::kGetValue, ErrorCode::kPermissionDenied, 1, reads - 1);
  EXPECT_EQ(composer.CreateHTMLBody("incoming", path, state_), "incoming");
  EXPECT_EQ(log_.entries, std::vector<MemLog::Entry>{
                              ErrorEntry("Permission denied", "CreateHTMLBody", "CreateHTM_Err")});
}

TEST_F(CreateHTMLBodyFailureTest, FailingFolderListingReturnsTheIncomingMessage) {
  FaultyFileSystem faulty(fs_);
  faulty.FailOn(FaultyFileSystem::Call::kListFiles, "", ErrorCode::kPermissionDenied);
  ui::ScriptHost host(ui::ScriptAnswers::Parse("", "answers"), &transcript_);
  EXPECT_EQ(ComposeWith(host, faulty, "incoming", "C:\\Templates\\gone.htm"), "incoming");
  EXPECT_EQ(log_.entries, std::vector<MemLog::Entry>{
                              ErrorEntry("Permission denied", "CreateHTMLBody", "CreateHTM_Err")});
}

TEST_F(CreateHTMLBodyFailureTest, FailingFormatWarningReturnsTheIncomingMessage) {
  NewItem("");
  app_.FailMember(mail::Member::kInspectorIsWordMail, Error(ErrorCode::kNotSupported));
  Admin("FormatWarning", "True");
  FailingHost host;
  EXPECT_EQ(ComposeWith(host, fs_, "incoming"), "incoming");
  EXPECT_EQ(log_.entries, std::vector<MemLog::Entry>{
                              ErrorEntry("Permission denied", "CreateHTMLBody", "CreateHTM_Err")});
}

// ---------------------------------------------------------------------------------------------
// Contact and marketing step.

TEST_F(CreateHTMLBodyFailureTest, ContactStepRunsForEnterpriseThenMarketing) {
  RecordingHooks hooks;
  hooks_ = &hooks;
  fs_.AddFile(kTemplate, "[#ContactName#] [#Input your message here#] [#Recipient#]");
  EXPECT_EQ(Compose("x"), "[#ContactName#] x [#Recipient#]\r\n");  // "Marketing" unset
  EXPECT_TRUE(hooks.calls.empty());

  Admin("Marketing", "Enterprise");
  EXPECT_EQ(Compose("x"), "Ada x to@example.com\r\n");
  EXPECT_EQ(hooks.calls, (std::vector<std::string>{"contact", "marketing"}));

  hooks.calls.clear();
  Admin("Marketing", "Mode|ON#Conn|dsn#Table|t#Field|Recipient");
  EXPECT_EQ(Compose("x"), "[#ContactName#] x to@example.com\r\n");
  EXPECT_EQ(hooks.calls, std::vector<std::string>{"marketing"});

  hooks.calls.clear();
  state_.PreviewMode = true;
  EXPECT_EQ(Compose("x"), "[#ContactName#] x [#Recipient#]\r\n");
  EXPECT_TRUE(hooks.calls.empty());
}

TEST_F(CreateHTMLBodyFailureTest, FailingContactOrMarketingStepReturnsTheIncomingMessage) {
  RecordingHooks hooks;
  hooks_ = &hooks;
  Admin("Marketing", "Enterprise");
  hooks.marketing_error = std::make_unique<Error>("connection refused");
  EXPECT_EQ(Compose("incoming"), "incoming");
  hooks.marketing_error.reset();
  hooks.contact_error = std::make_unique<Error>(ErrorCode::kObjectNotSet, "Links");
  EXPECT_EQ(Compose("incoming"), "incoming");
  EXPECT_EQ(
      log_.entries,
      (std::vector<MemLog::Entry>{
          ErrorEntry("connection refused", "CreateHTMLBody- eMarketing error", "eMarketing_Err"),
          ErrorEntry("Object variable or With block variable not set", "CreateHTMLBody",
                     "CreateHTM_Err")}));
}

TEST_F(CreateHTMLBodyFailureTest, UnavailableContactFeaturesAreLoggedOncePerComposer) {
  Admin("Marketing", "Enterprise");
  ui::ScriptHost host(ui::ScriptAnswers::Parse("", "answers"), &transcript_);
  FileListWindows windows(fs_, host);
  Composer composer(ComposeDeps{settings_, fs_, clock_, host, log_, windows, nullptr});
  for (int i = 0; i < 3; ++i) {
    std::string path(kTemplate);
    EXPECT_EQ(composer.CreateHTMLBody("x", path, state_), Merged("x"));
  }
  EXPECT_EQ(log_.entries, std::vector<MemLog::Entry>{Note(kContactFeaturesUnavailable)});
}

// ---------------------------------------------------------------------------------------------
// Bad template and signature files.

TEST_F(CreateHTMLBodyFailureTest, Windows1252FilesAreDecoded) {
  fs_.AddFile(kTemplate, "caf\xe9 [#Input your message here#]");
  Signature("sig.htm", "Gr\xfc\xdf\x65");
  EXPECT_EQ(Compose("x"), "café x\r\n<P>Grüße\r\n\r\n");
}

TEST_F(CreateHTMLBodyFailureTest, EmptySignatureAndNulBytesComposeAsTheyAre) {
  constexpr char kWithNul[] = "a\0b [#Input your message here#]";
  constexpr char kExpected[] = "a\0b x\r\n<P>\r\n";
  fs_.AddFile(kTemplate, std::string(kWithNul, sizeof kWithNul - 1));
  Signature("sig.htm", "");
  EXPECT_EQ(Compose("x"), std::string(kExpected, sizeof kExpected - 1));
  EXPECT_TRUE(log_.entries.empty());
}

TEST_F(CreateHTMLBodyFailureTest, EmptyTemplateIsATemplateReadFailure) {
  fs_.AddFile(kTemplate, "");
  EXPECT_EQ(Compose("<p>mine</p>"), "<p>mine</p>");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_THAT(Logged("error"),
              ::testing::ElementsAre(ErrorEntry(
                  "Input past end of file", "CreateHTMLBody- error in htm file", "NoFile_Err")));
}

TEST_F(CreateHTMLBodyFailureTest, HugeTemplateComposes) {
  std::string big = "<html><body>[#Input your message here#]";
  big.append(20u << 20, 'a');
  fs_.AddFile(kTemplate, big);
  const std::string result = Compose("x");
  ASSERT_EQ(result.size(), big.size() - kMessageMarker.size() + 1 + 2);
  EXPECT_EQ(result.substr(0, 14), "<html><body>xa");
}

}  // namespace
}  // namespace vellumo::compose::testing
