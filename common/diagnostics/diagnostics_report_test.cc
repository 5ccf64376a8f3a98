// The error report: the question, the report-handled flag and the mail built through the mail
// client and its safe wrapper.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/error.h"
#include "common/diagnostics/diagnostics.h"
#include "common/diagnostics/diagnostics_fixture.h"
#include "platform/mailclient/safe_items.h"

namespace vellumo::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::string_view kExpectedBody =
    "Date (mdy): 12-08-2026 19:55:55\r\n"
    "Description: Overflow\r\n"
    "Sub/function: ol_ItemSend\r\n"
    "Section: olSendItem_Err\r\n"
    "Outlook Version: 11.0.8312\r\n"
    "Vellumo Version: 3.9.9\r\n"
    "Vellumo Version Comments: Build comments\r\n"
    "Vellumo Version Description: Add-in library\r\n"
    "Application System path: C:\\Program Files\\Corvane\\Vellumo\\Programs\r\n"
    "Template: Blue.htm\r\n"
    "Template path: C:\\temp\r\n"
    "Signature: Main.htm\r\n"
    "Signature path: \r\n"
    "SuppressMailItemToolbar: \r\n"
    "SysTray: False\r\n"
    "SuppressToolbar: \r\n"
    "PromptOnReplies: \r\n"
    "Reply as is: True\r\n"
    "Word as editor: false\r\n"
    "Editor type: HTML\r\n"
    "\r\n"
    "Linux 6.1.0-18-amd64\r\n"
    "\r\n"
    "CPU: Intel Pentium\r\n"
    "\r\n"
    "Total Physical Memory: 8,388,608K\r\n"
    "Available Physical Memory: 5,242,880K\r\n"
    "Total Virtual Memory: 10,485,760K\r\n"
    "Available Virtual Memory: 7,340,032K\r\n"
    "\r\n";

class DiagnosticsReport : public DiagnosticsFixture {
 protected:
  void SetUp() override {
    Set("User Settings", "Template", "Blue.htm");
    Set("Admin Settings", "HTM Files Path", "C:\\temp");
    Set("User Settings", "Signature", "Main.htm");
    Set("Admin Settings", "SysTray", "False");
    Set("User Settings", "Reply as is", "True");
    Set("Admin Settings", "EmailAddressNotify", "helpdesk@example.com");
  }
  void Fail() { diag_.Write_to_error_file("Overflow", "ol_ItemSend", "olSendItem_Err"); }
  static std::string ErrorLine() { return Line("ol_ItemSend, olSendItem_Err, Overflow"); }
};

TEST_F(DiagnosticsReport, AnswerYesMailsTheRecordWithTheLogThroughTheSafeWrapper) {
  ui_.answers = {ui::kYes};
  Fail();

  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].prompt, kReportQuestionText);
  EXPECT_EQ(ui_.boxes[0].title, "Vellumo error - notify Corvane support");
  EXPECT_EQ(ui_.boxes[0].style, ui::kYesNo + ui::kQuestion + ui::kDefaultButton2)
      << "the question opens on its safe answer, No";
  EXPECT_EQ(send_.Message.kind, "Support email request");
  EXPECT_EQ(send_.Message.answer, "Yes");
  EXPECT_TRUE(send_.ReportHandled);

  ASSERT_EQ(app_.sent().size(), 1u);
  const mail::MemSentMessage& sent = app_.sent()[0];
  EXPECT_THAT(sent.recipients, ElementsAre("helpdesk@example.com"));
  EXPECT_EQ(sent.subject, "Vellumo Error");
  EXPECT_EQ(sent.billing_information, "Preview Send");
  EXPECT_TRUE(sent.delete_after_submit);
  EXPECT_THAT(sent.attachments, ElementsAre("SupportLog.txt"));
  EXPECT_EQ(sent.body, kExpectedBody);
  EXPECT_EQ(app_.Calls(mail::Member::kSafeMailItemSend), 1) << "sent through the wrapper";
  EXPECT_EQ(app_.StandardFolder(mail::DefaultFolder::kSentMail)->Items()->Count(), 0)
      << "DeleteAfterSubmit keeps no copy";
  EXPECT_EQ(Log(), ErrorLine()) << "the error line is written before the question";
}

TEST_F(DiagnosticsReport, RecipientDefaultsToTheSupportAddressAndWordEditorIsReported) {
  settings_.DeleteSetting(kVellumo, "Admin Settings");
  app_.SetDefaultEditor(mail::EditorType::kWord);
  ui_.answers = {ui::kYes};
  Fail();

  ASSERT_EQ(app_.sent().size(), 1u);
  EXPECT_THAT(app_.sent()[0].recipients, ElementsAre(std::string(kSupportAddress)));
  EXPECT_NE(app_.sent()[0].body.find("Word as editor: true\r\nEditor type: WORD\r\n\r\n"),
            std::string::npos);
}

TEST_F(DiagnosticsReport, AnswerNoSendsNothingButCountsAsHandled) {
  ui_.answers = {ui::kNo};
  Fail();
  EXPECT_THAT(app_.sent(), IsEmpty());
  EXPECT_EQ(send_.Message.answer, "No");
  EXPECT_TRUE(send_.ReportHandled);
  EXPECT_EQ(Log(), ErrorLine());
}

TEST_F(DiagnosticsReport, TwoFailuresInOneSendAskOnceUntilTheFlagIsCleared) {
  ui_.answers = {ui::kYes, ui::kNo};
  Fail();
  Fail();
  EXPECT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(app_.sent().size(), 1u);
  EXPECT_EQ(Log(), ErrorLine() + ErrorLine());

  send_.ReportHandled = false;  // the next item-send event
  Fail();
  EXPECT_EQ(ui_.boxes.size(), 2u);
  EXPECT_EQ(app_.sent().size(), 1u);
}

TEST_F(DiagnosticsReport, WithoutASendUnderWayEveryFailureIsAskedAbout) {
  diag_.set_report_state(nullptr);
  ui_.answers = {ui::kNo, ui::kYes};
  Fail();
  Fail();
  EXPECT_EQ(ui_.boxes.size(), 2u) << "no send to remember the first answer in";
  EXPECT_EQ(app_.sent().size(), 1u);
  EXPECT_FALSE(send_.ReportHandled) << "the detached state is not touched";
  EXPECT_EQ(send_.Message.kind, "");
}

TEST_F(DiagnosticsReport, InjectedQuestionReplacesTheMessageBox) {
  MessageState asked;
  diag_.set_question([&](MessageState& state) {
    asked = state;
    state.answer = "Yes";
  });
  Fail();
  EXPECT_EQ(asked.kind, "Support email request");
  EXPECT_EQ(asked.answer, "No") << "the answer is preset to No before asking";
  EXPECT_THAT(ui_.boxes, IsEmpty());
  EXPECT_EQ(app_.sent().size(), 1u);
}

TEST_F(DiagnosticsReport, QuestionThatCannotBeShownCountsAsNo) {
  diag_.set_question([](MessageState&) { throw Error(ErrorCode::kInvalidCall, "no window"); });
  Fail();
  EXPECT_THAT(app_.sent(), IsEmpty());
  EXPECT_TRUE(send_.ReportHandled);
  EXPECT_EQ(Log(), ErrorLine() + OwnFailure("Invalid procedure call or argument"));
}

TEST_F(DiagnosticsReport, FailureWhileAskingIsLoggedWithoutAskingAgain) {
  int asked = 0;
  diag_.set_question([&](MessageState& state) {
    ++asked;
    diag_.Write_to_error_file("Type mismatch", "frmMessage_Load", "Load_Err");
    state.answer = "Yes";
  });
  Fail();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(app_.sent().size(), 1u) << "the outer question's answer still counts";
  EXPECT_EQ(Log(), ErrorLine() + Line("frmMessage_Load, Load_Err, Type mismatch"));
}

TEST_F(DiagnosticsReport, FailureInsideTheReportSendIsOnlyLogged) {
  // The send pipeline runs on the report's own send; a failure there must not ask again.
  app_.ItemSend().Connect([&](const std::shared_ptr<mail::MailItem>&, bool&) {
    send_.ReportHandled = false;
    diag_.Write_to_error_file("Overflow", "ol_ItemSend", "olSendItem_Err");
  });
  ui_.answers = {ui::kYes, ui::kYes};
  Fail();
  EXPECT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(app_.sent().size(), 1u);
  EXPECT_TRUE(send_.ReportHandled);
  EXPECT_EQ(Log(), ErrorLine() + ErrorLine());
}

TEST_F(DiagnosticsReport, MissingMailClientIsLoggedAndTheErrorLineStays) {
  diag_.set_mail(nullptr);
  ui_.answers = {ui::kYes};
  Fail();
  EXPECT_EQ(Log(), OwnFailure("Object variable or With block variable not set") + ErrorLine() +
                       OwnFailure("ActiveX component can't create object"));
  EXPECT_TRUE(send_.ReportHandled);
}

TEST_F(DiagnosticsReport, MissingSafeWrapperStopsTheReport) {
  app_.classes().Unregister(mail::kSafeMailItemProgId);
  ui_.answers = {ui::kYes};
  Fail();
  EXPECT_THAT(app_.sent(), IsEmpty());
  EXPECT_EQ(Log(), ErrorLine() + OwnFailure("ActiveX component can't create object"));
}

TEST_F(DiagnosticsReport, FailingMembersAreEachLoggedAndTheRestStillRuns) {
  app_.FailMember(mail::Member::kInspectorEditorType, Error(ErrorCode::kNotSupported));
  app_.FailMember(mail::Member::kMailItemSetBillingInformation,
                  Error(ErrorCode::kPermissionDenied));
  ui_.answers = {ui::kYes};
  Fail();
  EXPECT_EQ(Log(), ErrorLine() + OwnFailure("Object doesn't support this property or method") +
                       OwnFailure("Permission denied"));
  ASSERT_EQ(app_.sent().size(), 1u);
  EXPECT_EQ(app_.sent()[0].billing_information, "");
  EXPECT_EQ(app_.sent()[0].body.find("Editor type:"), std::string::npos);
  EXPECT_NE(app_.sent()[0].body.find("Word as editor: false\r\n\r\nLinux"), std::string::npos);
}

TEST_F(DiagnosticsReport, RefusedSendLeavesTheErrorLine) {
  app_.FailMember(mail::Member::kMailItemSend, Error("Relay access denied"));
  ui_.answers = {ui::kYes};
  Fail();
  EXPECT_THAT(app_.sent(), IsEmpty());
  EXPECT_EQ(Log(), ErrorLine() + OwnFailure("Relay access denied"));
}

class OptionsPageReport : public DiagnosticsFixture {
 protected:
  OptionsPageReport() : DiagnosticsFixture(kOptionsPageDiagnostics) {}
};

TEST_F(OptionsPageReport, MailsTheShortRecordToTheFixedAddressWithoutWrapper) {
  Set("User Settings", "Template", "Blue.htm");
  Set("User Settings", "Signature", "Main.htm");
  Set("Admin Settings", "EmailAddressNotify", "helpdesk@example.com");
  diag_.Write_to_error_file("Overflow", "PropertyPage_ApplyChanges", "Apply_Err");

  ASSERT_EQ(app_.sent().size(), 1u);
  const mail::MemSentMessage& sent = app_.sent()[0];
  EXPECT_EQ(sent.body,
            "Date (mdy): 12-08-2026 19:55:55\r\n"
            "Description: Overflow\r\n"
            "Sub/function: PropertyPage_ApplyChanges\r\n"
            "Section: Apply_Err\r\n"
            "Outlook Version: 11.0.8312\r\n"
            "Vellumo Version: 3.9.9\r\n"
            "Application path: C:\\Program Files\\Corvane\\Vellumo\\Programs\r\n"
            "Template: Blue.htm\r\n"
            "Signature: Main.htm\r\n"
            "Word as editor: false\r\n");
  EXPECT_THAT(sent.recipients, ElementsAre(std::string(kSupportAddress)));
  EXPECT_EQ(sent.subject, "Vellumo Error");
  EXPECT_EQ(sent.billing_information, "Preview Send");
  EXPECT_TRUE(sent.delete_after_submit);
  EXPECT_THAT(sent.attachments, ElementsAre("ErrorLog.txt"));
  EXPECT_EQ(app_.Calls(mail::Member::kSafeMailItemSend), 0);

  diag_.Write_to_error_file("Overflow", "PropertyPage_ApplyChanges", "Apply_Err");
  EXPECT_EQ(app_.sent().size(), 2u) << "no report-handled flag";
}

}  // namespace
}  // namespace vellumo::testing
