// The set-up wizard's system test against the local mail client on the real disk: both stages in
// a fresh home, each item shown where the client shows items (mail/.display, handed to the
// desktop) and read back as the MIME message it is; the settings in the SQLite registry.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/diagnostics/diagnostics_fixture.h"
#include "common/diagnostics/error_record.h"
#include "common/settings/keys.h"
#include "common/settings/settings.h"
#include "localmail/local_client.h"
#include "localmail/local_mail_item.h"
#include "localmail/mime_message.h"
#include "platform/clock.h"
#include "platform/fixed_system_info.h"
#include "platform/mem_processes.h"
#include "platform/win_path.h"
#include "posix/posix_file_system.h"
#include "posix/sqlite_registry.h"
#include "profilewizard/system_check.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/test_files.h"

namespace vellumo {
namespace {

namespace stdfs = std::filesystem;
using profilewizard::SystemCheckCaption;
using profilewizard::SystemCheckClick;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr std::string_view kLog = "C:\\Vellumo\\Support\\SupportLog.txt";
constexpr std::string_view kTrace =
    "System Check: 12-08-2026 19:50:00, ol_ItemSend, Top, Fired\r\n";

class SystemCheckLocalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    client_ =
        localmail::LocalMailClient::Open(localmail::LocalMailDeps{fs_,
                                                                  registry_,
                                                                  processes_,
                                                                  clock_,
                                                                  system_,
                                                                  (dir_.path() / "mail").string(),
                                                                  {},
                                                                  {},
                                                                  {},
                                                                  {},
                                                                  {}});
    deps_ = std::make_unique<profilewizard::SystemCheckDeps>(profilewizard::SystemCheckDeps{
        .env = Env{registry_, fs_, clock_, processes_, system_, ui_, client_.get()},
        .program_folder = std::string(WinPath::kProgramFolder)});
  }
  void TearDown() override {
    deps_.reset();
    client_.reset();
  }

  // The message the client showed last, read back from the file it handed to the desktop.
  localmail::MimeMessage Shown() {
    EXPECT_FALSE(processes_.opened().empty());
    if (processes_.opened().empty()) return {};
    const stdfs::path shown = processes_.opened().back();
    EXPECT_EQ(shown.parent_path(), dir_.path() / "mail" / ".display");
    return localmail::MimeMessage::Parse(test_support::ReadAll(shown), shown.string());
  }
  std::string Billing(const localmail::MimeMessage& message) {
    return message.PrivateHeader(localmail::header::kBillingInformation).value_or("");
  }

  test_support::ScopedTempDir dir_{"vellumo-syscheck"};
  PosixFileSystem fs_{dir_.str()};
  SqliteRegistry registry_{(dir_.path() / "registry.db").string()};
  Settings settings_{registry_};
  MemProcesses processes_;  // records what would be opened on the desktop
  MemClock clock_;
  FixedSystemInfo system_;
  testing::BoxRecorder ui_;  // records every box
  std::shared_ptr<localmail::LocalMailClient> client_;
  std::unique_ptr<profilewizard::SystemCheckDeps> deps_;
};

TEST_F(SystemCheckLocalTest, BothStagesShowTheirMessagesInTheLocalClient) {
  settings_.Set(keys::ErrorFileLocation, kLog);
  ui_.answers = {ui::kYes};
  const std::string caption = SystemCheckCaption(settings_, deps_->captions);
  ASSERT_EQ(caption, "System test");
  ASSERT_TRUE(SystemCheckClick(*deps_, caption));
  EXPECT_EQ(settings_.Get(keys::SystemCheck), "True");
  ASSERT_EQ(processes_.opened().size(), 1u);
  const localmail::MimeMessage test = Shown();
  EXPECT_EQ(test.Subject(), "Please address this test email to yourself and click Send.");
  EXPECT_THAT(test.HtmlBody(), HasSubstr("to test your Vellumo performance.<P>After you send"));
  EXPECT_TRUE(test.Recipients().empty());
  EXPECT_EQ(Billing(test), "");
  EXPECT_EQ(client_->FindFolder("Drafts")->Items()->Count(), 0) << "shown, not saved";

  // What the add-in traced while the user sent the test message.
  fs_.CreateFolder("C:\\Vellumo\\Support");
  fs_.AppendFile(kLog, kTrace);

  const std::string next = SystemCheckCaption(settings_, deps_->captions);
  ASSERT_EQ(next, "Send Report");
  ASSERT_TRUE(SystemCheckClick(*deps_, next));
  EXPECT_EQ(settings_.Get(keys::SystemCheck), "False");
  EXPECT_EQ(settings_.Get(keys::SystemCheckState), "");
  ASSERT_EQ(processes_.opened().size(), 2u);
  const localmail::MimeMessage report = Shown();
  EXPECT_EQ(report.Subject(),
            "Please address this report to support@corvane.example and click Send");
  EXPECT_EQ(Billing(report), "Preview Send");
  EXPECT_TRUE(report.Recipients().empty());
  EXPECT_THAT(report.TextBody(), StartsWith("This file will be sent to Corvane for analysis.\r\n"
                                            "Date (mdy): 12-08-2026 19:55:55\r\n"));
  EXPECT_THAT(report.TextBody(), HasSubstr("Outlook Version: " + client_->Version() + "\r\n"));
  // Lines 19 and 20 as the client answers for a new mail (its configured editor).
  const std::shared_ptr<mail::MailItem> fresh_item = client_->CreateMailItem();
  const std::shared_ptr<mail::Inspector> fresh = fresh_item->GetInspector();
  EXPECT_THAT(report.TextBody(),
              HasSubstr("Reply as is: \r\n" + WordEditorLine(fresh->IsWordMail()) +
                        EditorTypeLine(static_cast<int>(fresh->EditorType())) + "\r\n"));
  EXPECT_THAT(report.TextBody(), HasSubstr("CPU: Intel Pentium\r\n"));

  const std::string line =
      "Date: 12-08-2026 19:55:55, Wiz, SendReport, System check from SetupLauncher\r\n";
  const std::string log =
      test_support::ReadAll(dir_.path() / "drive_c" / "Vellumo" / "Support" / "SupportLog.txt");
  EXPECT_EQ(log, std::string(kTrace) + line);
  const std::vector<localmail::MimeAttachment> attached = report.Attachments();
  ASSERT_EQ(attached.size(), 1u);
  EXPECT_EQ(attached[0].file_name, "SupportLog.txt");
  EXPECT_EQ(attached[0].content, log);
  EXPECT_EQ(client_->FindFolder("Outbox")->Items()->Count(), 0) << "nothing sent";
  ASSERT_EQ(ui_.boxes.size(), 1u) << "the question only, no failure: " << ui_.boxes.back().prompt;
  EXPECT_EQ(ui_.boxes[0].prompt, "This will create a test email.");
}

}  // namespace
}  // namespace vellumo
