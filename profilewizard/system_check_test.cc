#include "profilewizard/system_check.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/diagnostics/diagnostics_fixture.h"
#include "common/settings/keys.h"
#include "platform/mailclient/items.h"

namespace vellumo::profilewizard {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using vellumo::testing::kProgramFolder;
using vellumo::testing::kStamp;
using vellumo::testing::kSupportLog;

// The in-memory client, keeping every item it made so a test can read what was displayed.
class KeepingApplication final : public mail::Application {
 public:
  explicit KeepingApplication(mail::MemApplication& app) : app_(app) {}
  std::string Version() override { return app_.Version(); }
  std::shared_ptr<mail::Explorer> ActiveExplorer() override { return app_.ActiveExplorer(); }
  std::shared_ptr<mail::Explorers> Explorers() override { return app_.Explorers(); }
  std::shared_ptr<mail::Item> CreateItem(mail::ItemType type) override {
    made.push_back(app_.CreateItem(type));
    return made.back();
  }
  std::shared_ptr<mail::Namespace> GetNamespace(std::string_view type) override {
    return app_.GetNamespace(type);
  }
  std::shared_ptr<mail::Object> CreateObject(std::string_view prog_id) override {
    return app_.CreateObject(prog_id);
  }
  void RegisterCreator(std::string_view prog_id, mail::ObjectCreator create) override {
    app_.RegisterCreator(prog_id, std::move(create));
  }
  mail::ItemSendEvent& ItemSend() override { return app_.ItemSend(); }
  mail::OptionsPagesAddEvent& OptionsPagesAdd() override { return app_.OptionsPagesAdd(); }

  std::vector<std::shared_ptr<mail::Item>> made;

 private:
  mail::MemApplication& app_;
};

class SystemCheckTest : public vellumo::testing::DiagnosticsFixture {
 protected:
  std::string Text(int entry) const { return WizardText(WizardCaptions(), entry); }
  // Read through the registry the procedures use, so a test can make it fail.
  std::string Caption() { return SystemCheckCaption(Settings(registry_), WizardCaptions()); }
  bool Click(const std::string& caption) { return SystemCheckClick(deps_, caption); }
  bool ClickStageOne() { return Click(Text(kSystemTestCaption)); }
  bool ClickStageTwo() { return Click(Text(kSendReportCaption)); }

  // The one item displayed, as a mail item.
  std::shared_ptr<mail::MailItem> Shown() {
    EXPECT_EQ(app_.displayed().size(), 1u);
    EXPECT_EQ(keeping_.made.size(), 1u);
    if (keeping_.made.empty()) return nullptr;
    return std::dynamic_pointer_cast<mail::MailItem>(keeping_.made.front());
  }
  void ExpectBoxes(size_t count) {
    ASSERT_EQ(ui_.boxes.size(), count);
    for (const auto& box : ui_.boxes) {
      EXPECT_EQ(box.title, kSystemCheckTitle);
      EXPECT_THAT(box.prompt, StartsWith("System check error:\r\n"));
      EXPECT_EQ(box.style, ui::kInformation);
    }
  }

  KeepingApplication keeping_{app_};
  SystemCheckDeps deps_{.env = Env{registry_, fs_, clock_, processes_, system_, ui_, &keeping_},
                        .program_folder = kProgramFolder};
};

TEST_F(SystemCheckTest, TheCaptionFollowsTheStoredStateExactly) {
  EXPECT_EQ(Caption(), "System test");
  Set("System Settings", "SystemCheckState", "send report");
  EXPECT_EQ(Caption(), "System test");
  Set("System Settings", "SystemCheckState", "Send Report");
  EXPECT_EQ(Caption(), "Send Report");
  registry_.Fail(FaultyRegistry::Call::kGetValue);
  EXPECT_EQ(Caption(), "System test") << "an unreadable store offers the stage that asks first";
}

TEST_F(SystemCheckTest, AnsweringNoChangesNothingAndKeepsTheWizardOpen) {
  ui_.answers = {ui::kNo};
  EXPECT_FALSE(ClickStageOne());
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].prompt, "This will create a test email.");
  EXPECT_EQ(ui_.boxes[0].title, "System test");
  EXPECT_EQ(ui_.boxes[0].style, ui::kYesNo);
  EXPECT_EQ(Get("System Settings", "SystemCheck"), "<unset>");
  EXPECT_EQ(Get("System Settings", "SystemCheckState"), "<unset>");
  EXPECT_TRUE(keeping_.made.empty());
  EXPECT_TRUE(app_.displayed().empty());
}

TEST_F(SystemCheckTest, StageOneSwitchesTracingOnAndShowsTheTestMessage) {
  ui_.answers = {ui::kYes};
  EXPECT_TRUE(ClickStageOne());
  EXPECT_EQ(ui_.boxes.size(), 1u) << "the question only";
  EXPECT_EQ(Get("System Settings", "SystemCheck"), "True");
  EXPECT_EQ(Get("System Settings", "SystemCheckState"), "Send Report");
  EXPECT_EQ(Caption(), "Send Report") << "the next start offers stage two";

  std::shared_ptr<mail::MailItem> item = Shown();
  ASSERT_TRUE(item);
  EXPECT_FALSE(app_.displayed()[0].modal);
  EXPECT_EQ(item->Subject(), "Please address this test email to yourself and click Send.");
  EXPECT_EQ(item->HTMLBody(),
            "This is a test email message to test your Vellumo performance.<P>After you send "
            "this email, launch the Setup Wizard and click Send Report.");
  EXPECT_EQ(item->BillingInformation(), "") << "the add-in must dress the test message";
  EXPECT_FALSE(item->DeleteAfterSubmit());
  EXPECT_EQ(item->Recipients()->Count(), 0);
  EXPECT_TRUE(app_.sent().empty());
  EXPECT_EQ(Log(), "<none>");
}

TEST_F(SystemCheckTest, StageTwoShowsTheReportWithRecordSystemBlockAndLog) {
  Set("System Settings", "SystemCheckState", "Send Report");
  Set("System Settings", "SystemCheck", "True");
  Set("Admin Settings", "ErrorFileLocation", kSupportLog);
  Set("User Settings", "Template", "Morning Paper");
  mem_fs_.AddFile(kSupportLog, "System Check: 12-08-2026 19:50:00, ol_ItemSend, Top, Fired\r\n");
  ASSERT_EQ(Caption(), "Send Report");

  EXPECT_TRUE(Click(Caption()));
  EXPECT_TRUE(ui_.boxes.empty()) << ui_.boxes[0].prompt;
  EXPECT_EQ(Get("System Settings", "SystemCheckState"), "");
  EXPECT_EQ(Get("System Settings", "SystemCheck"), "False");
  EXPECT_EQ(Log(),
            "System Check: 12-08-2026 19:50:00, ol_ItemSend, Top, Fired\r\n"
            "Date: " +
                std::string(kStamp) + ", Wiz, SendReport, System check from SetupLauncher\r\n");

  std::shared_ptr<mail::MailItem> item = Shown();
  ASSERT_TRUE(item);
  EXPECT_FALSE(app_.displayed()[0].modal);
  EXPECT_EQ(item->Subject(), Text(31053));
  EXPECT_EQ(item->BillingInformation(), "Preview Send");
  EXPECT_EQ(item->Recipients()->Count(), 0) << "the user addresses the report";
  ASSERT_EQ(item->Attachments()->Count(), 1);
  EXPECT_EQ(item->Attachments()->Item(1)->FileName(), "SupportLog.txt");
  EXPECT_TRUE(app_.sent().empty());

  const std::string body = item->Body();
  EXPECT_THAT(body, StartsWith("This file will be sent to Corvane for analysis.\r\n"
                               "Date (mdy): 12-08-2026 19:55:55\r\n"
                               "Description: System check from SetupLauncher\r\n"
                               "Sub/function: Wiz\r\n"
                               "Section: SendReport\r\n"
                               "Outlook Version: 11.0.8312\r\n"));
  EXPECT_THAT(body, HasSubstr("Vellumo Version Description: Vellumo set-up wizard\r\n"
                              "Application System path: " +
                              kProgramFolder + "\r\nTemplate: Morning Paper\r\n"));
  // Line 18, then the report item's own two editor lines, once each, then the system block.
  EXPECT_THAT(body, HasSubstr("Reply as is: \r\nWord as editor: false\r\nEditor type: HTML\r\n"
                              "\r\n"));
  EXPECT_EQ(body.find("Word as editor"), body.rfind("Word as editor"));
  EXPECT_THAT(body, HasSubstr("\r\n\r\nCPU: Intel Pentium\r\n\r\nTotal Physical Memory: "));
  EXPECT_THAT(body, ::testing::EndsWith("K\r\n\r\n"));
}

TEST_F(SystemCheckTest, TheWordEditorShowsInTheReportsEditorLines) {
  app_.SetDefaultEditor(mail::EditorType::kWord);
  Set("Admin Settings", "ErrorFileLocation", kSupportLog);
  EXPECT_TRUE(ClickStageTwo());
  std::shared_ptr<mail::MailItem> item = Shown();
  ASSERT_TRUE(item);
  EXPECT_THAT(item->Body(), HasSubstr("\r\nWord as editor: true\r\nEditor type: WORD\r\n"));
}

TEST_F(SystemCheckTest, AListedDescriptionShowsNoReportButStillEndsTracing) {
  Set("System Settings", "SystemCheckState", "Send Report");
  Set("System Settings", "SystemCheck", "True");
  Set("Admin Settings", "ErrorFileLocation", kSupportLog);
  Set("Admin Settings", "ErrorFileExceptions", "Overflow;SYSTEM CHECK from setuplauncher");
  EXPECT_TRUE(ClickStageTwo());
  EXPECT_EQ(Get("System Settings", "SystemCheck"), "False");
  EXPECT_EQ(Get("System Settings", "SystemCheckState"), "");
  EXPECT_TRUE(keeping_.made.empty());
  EXPECT_TRUE(app_.displayed().empty());
  EXPECT_EQ(Log(), "<none>");
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(SystemCheckTest, AnEmptyLogLocationIsBoxedAndTheReportStillOpens) {
  EXPECT_TRUE(ClickStageTwo());
  ExpectBoxes(1);
  EXPECT_THAT(ui_.boxes[0].prompt, HasSubstr("ErrorFileLocation"));
  EXPECT_FALSE(mem_fs_.FileExists(kSupportLog)) << "the wizard picks no log file of its own";
  EXPECT_EQ(Get("Admin Settings", "ErrorFileLocation"), "<unset>");
  std::shared_ptr<mail::MailItem> item = Shown();
  ASSERT_TRUE(item);
  EXPECT_EQ(item->Subject(), Text(31053));
  EXPECT_EQ(item->Attachments()->Count(), 0);
}

TEST_F(SystemCheckTest, FailingStepsAreBoxedAndTheNextStepsRun) {
  Set("Admin Settings", "ErrorFileLocation", kSupportLog);
  mem_fs_.AddFile(kSupportLog, "");
  fs_.FailOn(FaultyFileSystem::Call::kAppendFile, "SupportLog", ErrorCode::kDiskFull);
  app_.FailMember(mail::Member::kMailItemGetInspector, Error(ErrorCode::kNotSupported));
  EXPECT_TRUE(ClickStageTwo());
  ExpectBoxes(3);  // the log line, the word-editor line, the editor-type line
  EXPECT_THAT(ui_.boxes[0].prompt, HasSubstr("Disk full"));
  std::shared_ptr<mail::MailItem> item = Shown();
  ASSERT_TRUE(item);
  EXPECT_THAT(item->Body(), HasSubstr("Reply as is: \r\n\r\n"));  // lines 19 and 20 left out
  EXPECT_EQ(item->Attachments()->Count(), 1) << "the log as it is";
  EXPECT_EQ(Get("System Settings", "SystemCheck"), "False");
}

TEST_F(SystemCheckTest, WithoutAMailClientBothStagesBoxAndEnd) {
  deps_.env.mail = nullptr;
  Set("Admin Settings", "ErrorFileLocation", kSupportLog);
  mem_fs_.AddFile(kSupportLog, "");
  ui_.answers = {ui::kYes};
  EXPECT_TRUE(ClickStageOne());
  ASSERT_EQ(ui_.boxes.size(), 2u);
  EXPECT_EQ(ui_.boxes[1].prompt,
            "System check error:\r\nActiveX component can't create object: mail client");
  EXPECT_EQ(Get("System Settings", "SystemCheck"), "True");
  EXPECT_EQ(Get("System Settings", "SystemCheckState"), "Send Report");

  ui_.boxes.clear();
  EXPECT_TRUE(ClickStageTwo());
  ExpectBoxes(2);  // the record's client version line, the report item
  EXPECT_EQ(Get("System Settings", "SystemCheck"), "False");
  EXPECT_THAT(Log(), HasSubstr(", Wiz, SendReport, System check from SetupLauncher\r\n"));
}

}  // namespace
}  // namespace vellumo::profilewizard
