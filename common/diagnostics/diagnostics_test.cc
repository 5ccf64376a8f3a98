// The log file: its three line shapes, screening, the default file, and every failure rule of
// the writers. The report question and mail are in diagnostics_report_test.cc.
#include "common/diagnostics/diagnostics.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/error.h"
#include "common/diagnostics/diagnostics_fixture.h"

namespace vellumo::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class DiagnosticsLog : public DiagnosticsFixture {
 protected:
  void SetUp() override { Set("Admin Settings", "EmailErrorNotify", "False"); }
};

TEST_F(DiagnosticsLog, WritesTheThreeLineShapesWithCrLf) {
  diag_.Write_log_line("Send Event started");
  diag_.Write_system_check_line("OnAddInsUpdate", "Top- no code here", "Fired");
  diag_.Write_to_error_file("Overflow", "CreateHTMLBody- error Wipeout HTML", "WipeoutHTML_Err");

  EXPECT_EQ(Log(), Line("Send Event started") +
                       "System Check: 12-08-2026 19:55:55, OnAddInsUpdate, Top- no code here, "
                       "Fired\r\n" +
                       Line("CreateHTMLBody- error Wipeout HTML, WipeoutHTML_Err, Overflow"));
  EXPECT_EQ(diag_.system_check_lines(), 1);
  // One append per entry: that is what keeps several processes' lines whole.
  EXPECT_EQ(mem_fs_.appends().size(), 3u);
}

TEST_F(DiagnosticsLog, TimestampIsMonthDayYearOnA24HourClock) {
  clock_.Set({2027, 3, 4, 5, 6, 7, 5, 0});
  diag_.Write_log_line("early");
  clock_.Set({2027, 11, 30, 23, 59, 58, 3, 0});
  diag_.Write_log_line("late");
  EXPECT_EQ(Log(), "Date: 03-04-2027 05:06:07, early\r\nDate: 11-30-2027 23:59:58, late\r\n");
}

TEST_F(DiagnosticsLog, SuppressionWritesExactlyOneShortLine) {
  Set("Admin Settings", "ErrorFileSuppressEmail", "True");
  Set("Admin Settings", "EmailErrorNotify", "True");
  diag_.Write_to_error_file("Overflow", "ol_ItemSend", "olSendItem_Err");

  EXPECT_EQ(Log(), Line("Overflow - ol_ItemSend - olSendItem_Err"));
  EXPECT_THAT(ui_.boxes, IsEmpty());
  EXPECT_THAT(app_.sent(), IsEmpty());
  EXPECT_FALSE(send_.ReportHandled);
}

TEST_F(DiagnosticsLog, SuppressionAndNotifyNeedExactlyTrue) {
  Set("Admin Settings", "ErrorFileSuppressEmail", "true");
  Set("Admin Settings", "EmailErrorNotify", "true");
  diag_.Write_to_error_file("Overflow", "ol_ItemSend", "olSendItem_Err");

  EXPECT_EQ(Log(), Line("ol_ItemSend, olSendItem_Err, Overflow"));
  EXPECT_THAT(ui_.boxes, IsEmpty()) << "\"true\" does not switch the report on";
}

TEST_F(DiagnosticsLog, ExceptionListMatchesIgnoringCase) {
  Set("Admin Settings", "ErrorFileExceptions", "Overflow;Type mismatch");
  Set("Admin Settings", "EmailErrorNotify", "True");
  diag_.Write_to_error_file("type MISMATCH", "ol_ItemSend", "olSendItem_Err");
  diag_.Write_to_error_file("Overflow", "ol_ItemSend", "olSendItem_Err");

  EXPECT_EQ(Log(), "<none>");
  EXPECT_THAT(mem_fs_.files_written(), IsEmpty()) << "not even the default file is created";
  EXPECT_THAT(ui_.boxes, IsEmpty());
  EXPECT_EQ(Get("Admin Settings", "ErrorFileLocation"), "<unset>");

  diag_.Write_to_error_file("File not found", "ol_ItemSend", "olSendItem_Err");
  EXPECT_EQ(Log(), Line("ol_ItemSend, olSendItem_Err, File not found"));
}

TEST_F(DiagnosticsLog, EmptyDescriptionIsNeverTakenForAListedException) {
  Set("Admin Settings", "ErrorFileExceptions", "Overflow");
  diag_.Write_to_error_file("", "ol_ItemSend", "olSendItem_Err");
  EXPECT_EQ(Log(), Line("ol_ItemSend, olSendItem_Err, "));
}

TEST_F(DiagnosticsLog, FirstFailureCreatesTheDefaultFileAndStoresItsPath) {
  diag_.Write_to_error_file("Overflow", "ol_ItemSend", "olSendItem_Err");

  EXPECT_EQ(Get("Admin Settings", "ErrorFileLocation"), kSupportLog);
  EXPECT_TRUE(mem_fs_.FolderExists(kProgramFolder + "\\Support"));
  EXPECT_EQ(Log(), Line("ol_ItemSend, olSendItem_Err, Overflow"));

  // The stored path is used from then on; no second creation truncates the log.
  diag_.Write_log_line("second");
  EXPECT_EQ(Log(), Line("ol_ItemSend, olSendItem_Err, Overflow") + Line("second"));
  EXPECT_EQ(mem_fs_.files_written().size(), 1u);
}

TEST_F(DiagnosticsLog, StoredLocationIsUsedAsItIs) {
  Set("Admin Settings", "ErrorFileLocation", "C:\\logs\\vellumo.log");
  mem_fs_.AddFolder("C:\\logs");
  diag_.Write_log_line("note");
  EXPECT_EQ(Log("C:\\logs\\vellumo.log"), Line("note"));
  EXPECT_EQ(Log(), "<none>");
}

TEST_F(DiagnosticsLog, CreateErrorLogFileTruncatesAndTrailingSeparatorsDoNotDouble) {
  mem_fs_.AddFile(kSupportLog, "old content\r\n");
  diag_.set_application_path(kProgramFolder + "\\");
  EXPECT_EQ(diag_.Create_Error_Log_File(), kSupportLog);
  EXPECT_EQ(Log(), "");
}

TEST_F(DiagnosticsLog, CreateErrorLogFileShowsItsFailuresAndStillReturnsThePath) {
  fs_.FailOn(FaultyFileSystem::Call::kCreateFolder, "Support", ErrorCode::kPermissionDenied);
  EXPECT_EQ(diag_.Create_Error_Log_File(), kSupportLog);

  ASSERT_EQ(ui_.boxes.size(), 2u) << "the folder, then the file";
  EXPECT_EQ(ui_.boxes[0].prompt,
            "Error in Vellumo function Create_Error_Log_File\r\nPermission denied");
  EXPECT_EQ(ui_.boxes[0].style, ui::kOkOnly + ui::kInformation);
  EXPECT_EQ(ui_.boxes[0].title, "Error");
  EXPECT_EQ(ui_.boxes[1].prompt,
            "Error in Vellumo function Create_Error_Log_File\r\nPath not found");
}

TEST_F(DiagnosticsLog, UnwritableLogNeverThrowsAndRecoversWhenWritableAgain) {
  fs_.FailOn(FaultyFileSystem::Call::kAppendFile, "SupportLog", ErrorCode::kPermissionDenied);
  diag_.Write_to_error_file("Overflow", "ol_ItemSend", "olSendItem_Err");
  diag_.Write_log_line("note");
  EXPECT_EQ(Log(), "");  // created, but nothing could be appended

  fs_.ClearFailures();
  diag_.Write_log_line("note");
  EXPECT_EQ(Log(), Line("note"));
}

TEST_F(DiagnosticsLog, LogPathThatIsAFolderOrInAMissingFolderWritesNothing) {
  Set("Admin Settings", "ErrorFileLocation", "C:\\logs");
  mem_fs_.AddFolder("C:\\logs");
  diag_.Write_to_error_file("Overflow", "ol_ItemSend", "olSendItem_Err");
  diag_.Write_log_line("note");
  EXPECT_THAT(mem_fs_.appends(), IsEmpty());
  EXPECT_TRUE(mem_fs_.FolderExists("C:\\logs"));

  Set("Admin Settings", "ErrorFileLocation", "C:\\missing\\log.txt");
  diag_.Write_to_error_file("Overflow", "ol_ItemSend", "olSendItem_Err");
  EXPECT_THAT(mem_fs_.appends(), IsEmpty());
  EXPECT_FALSE(mem_fs_.FolderExists("C:\\missing"));
}

TEST_F(DiagnosticsLog, FailingStepIsNotedAndTheErrorLineStillWritten) {
  Set("Admin Settings", "ErrorFileLocation", kSupportLog);
  mem_fs_.AddFile(kSupportLog, "");
  diag_.set_mail(nullptr);  // the record's client version line cannot be read
  diag_.Write_to_error_file("Overflow", "ol_ItemSend", "olSendItem_Err");

  EXPECT_EQ(Log(), OwnFailure("Object variable or With block variable not set") +
                       Line("ol_ItemSend, olSendItem_Err, Overflow"));
}

TEST_F(DiagnosticsLog, UnreadableLocationDoesNotTruncateAnExistingLog) {
  mem_fs_.AddFile(kSupportLog, "history\r\n");
  registry_.Fail(FaultyRegistry::Call::kGetValue, ErrorCode::kPermissionDenied, -1);
  diag_.Write_to_error_file("Overflow", "ol_ItemSend", "olSendItem_Err");
  diag_.Write_log_line("note");
  diag_.Write_system_check_line("a", "b", "c");
  EXPECT_EQ(Log(), "history\r\n");
}

TEST_F(DiagnosticsLog, SystemCheckLineCreatesTheDefaultLogAsAnErrorLineDoes) {
  // A fresh home has no log yet: the first trace line makes it, rather than failing into the
  // report question.
  diag_.Write_system_check_line("ol_ItemSend", "Check ", "Send Event");
  EXPECT_EQ(diag_.system_check_lines(), 1);
  EXPECT_EQ(Get("Admin Settings", "ErrorFileLocation"), kSupportLog);
  EXPECT_EQ(Log(), "System Check: 12-08-2026 19:55:55, ol_ItemSend, Check , Send Event\r\n");
}

TEST_F(DiagnosticsLog, SystemCheckLineLogsItsFailure) {
  Set("Admin Settings", "ErrorFileLocation", "C:\\Gone\\Folder\\log.txt");
  diag_.Write_system_check_line("ol_ItemSend", "Check ", "Send Event");
  EXPECT_EQ(diag_.system_check_lines(), 0) << "a line that was not written is not counted";
}

TEST_F(DiagnosticsLog, SystemCheckCounterCountsPastSixteenBits) {
  Set("Admin Settings", "ErrorFileLocation", kSupportLog);
  mem_fs_.AddFile(kSupportLog, "");
  for (int i = 0; i < 32768; ++i) {
    diag_.Write_system_check_line("a", "b", "c");
  }
  EXPECT_EQ(diag_.system_check_lines(), 32768);
  EXPECT_EQ(Log().find("Overflow"), std::string::npos);
}

class CountingPositioner final : public WindowPositioner {
 public:
  int32_t SetWindowPos(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, uint32_t) override {
    if (fail) {
      throw Error(ErrorCode::kInvalidCall);
    }
    return 7;
  }
  bool fail = false;
};

TEST_F(DiagnosticsLog, SetTopMostWindowPassesTheDocumentedArguments) {
  EXPECT_EQ(diag_.SetTopMostWindow(42, true), 1);
  EXPECT_EQ(diag_.SetTopMostWindow(42, false), 0);
  EXPECT_THAT(diag_.no_z_order().calls(), ElementsAre(NoZOrderPositioner::Call{42, -1, 3},
                                                      NoZOrderPositioner::Call{42, -2, 3}));

  CountingPositioner positioner;
  diag_.set_window_positioner(&positioner);
  EXPECT_EQ(diag_.SetTopMostWindow(1, true), 7);
  EXPECT_EQ(diag_.SetTopMostWindow(1, false), 0);
  positioner.fail = true;
  EXPECT_EQ(diag_.SetTopMostWindow(1, true), 0);
  EXPECT_EQ(Log(), Line("SetTopMostWindow, Top_Most_err, Invalid procedure call or argument"));
}

class OptionsPageLog : public DiagnosticsFixture {
 protected:
  OptionsPageLog() : DiagnosticsFixture(kOptionsPageDiagnostics) {}
};

TEST_F(OptionsPageLog, KeepsItsOwnLogInUserSettingsAndIgnoresTheScreens) {
  Set("Admin Settings", "ErrorFileSuppressEmail", "True");
  Set("Admin Settings", "ErrorFileExceptions", "Overflow");
  Set("Admin Settings", "EmailErrorNotify", "False");
  diag_.Write_to_error_file("Overflow", "PropertyPage_ApplyChanges", "Apply_Err");

  const std::string log = kProgramFolder + "\\ErrorLog\\ErrorLog.txt";
  EXPECT_EQ(Get("User Settings", "ErrorFileLocation"), log);
  EXPECT_EQ(Get("Admin Settings", "ErrorFileLocation"), "<unset>");
  EXPECT_EQ(Log(log), Line("PropertyPage_ApplyChanges, Apply_Err, Overflow"));
  EXPECT_THAT(ui_.boxes, IsEmpty()) << "no question";
  EXPECT_EQ(app_.sent().size(), 1u) << "every failure is mailed";
}

TEST_F(OptionsPageLog, OwnFailuresAreShownInAMessageBox) {
  app_.FailMember(mail::Member::kMailItemSend, Error("Server refused"));
  diag_.Write_to_error_file("Overflow", "PropertyPage_ApplyChanges", "Apply_Err");

  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].prompt,
            "An error has occurred in Vellumo- Procedure Write_to_error_file. The error is:\r\n"
            "Server refused");
  EXPECT_EQ(ui_.boxes[0].title, "Error trapping - Vellumo");
  EXPECT_EQ(Log(kProgramFolder + "\\ErrorLog\\ErrorLog.txt"),
            Line("PropertyPage_ApplyChanges, Apply_Err, Overflow"));
}

class SendToManyLog : public DiagnosticsFixture {
 protected:
  SendToManyLog() : DiagnosticsFixture(kSendToManyDiagnostics) {}
};

TEST_F(SendToManyLog, WritesOnlyToALogThatAlreadyHasALocation) {
  diag_.Write_log_line("Sent 12 messages");
  diag_.Write_to_error_file("Overflow", "SendAll", "SendAll_Err");
  EXPECT_THAT(mem_fs_.AllFiles(), IsEmpty());
  EXPECT_EQ(Get("Admin Settings", "ErrorFileLocation"), "<unset>");

  Set("Admin Settings", "ErrorFileLocation", kSupportLog);
  mem_fs_.AddFolder(kProgramFolder + "\\Support");
  diag_.Write_log_line("Sent 12 messages");
  diag_.Write_to_error_file("Overflow", "SendAll", "SendAll_Err");
  EXPECT_EQ(Log(), Line("Sent 12 messages") + Line("SendAll, SendAll_Err, Overflow"));
  EXPECT_THAT(ui_.boxes, IsEmpty());
  EXPECT_THAT(app_.sent(), IsEmpty());
}

}  // namespace
}  // namespace vellumo::testing
