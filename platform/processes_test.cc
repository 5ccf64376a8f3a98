#include "platform/processes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/error.h"
#include "platform/mem_processes.h"

namespace vellumo {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

TEST(SplitCommandLine, BlanksQuotesAndBackslashes) {
  EXPECT_THAT(SplitCommandLine("  regedit   /s  a.reg "), ElementsAre("regedit", "/s", "a.reg"));
  EXPECT_THAT(SplitCommandLine("x \"C:\\Program Files\\a b.reg\" \"\""),
              ElementsAre("x", "C:\\Program Files\\a b.reg", ""));
  EXPECT_THAT(SplitCommandLine("x C:\\dir\\ a\\\\b"), ElementsAre("x", "C:\\dir\\", "a\\\\b"));
  EXPECT_THAT(SplitCommandLine("x a\\\"b \"c\\\\\" d\\\\\\\"e"),
              ElementsAre("x", "a\"b", "c\\", "d\\\"e"));
  EXPECT_THAT(SplitCommandLine("x \"say \"\"hi\"\"\" ab\"c d\"e"),
              ElementsAre("x", "say \"hi\"", "abc de"));
  EXPECT_THAT(SplitCommandLine("x \"unterminated arg"), ElementsAre("x", "unterminated arg"));
  EXPECT_THAT(SplitCommandLine(""), IsEmpty());
  EXPECT_THAT(SplitCommandLine(" \t "), IsEmpty());
}

TEST(SplitCommandLine, ProgramBackslashesAreLiteral) {
  EXPECT_THAT(SplitCommandLine("\"C:\\Program Files\\Corvane\\\" /x"),
              ElementsAre("C:\\Program Files\\Corvane\\", "/x"));
  EXPECT_THAT(SplitCommandLine("C:\\tools\\a.exe"), ElementsAre("C:\\tools\\a.exe"));
}

TEST(ProgramFileName, SystemProgramsAndGeneralRule) {
  EXPECT_EQ(ProgramFileName("ProfileAssistant.exe"), "profile-assistant");
  EXPECT_EQ(ProgramFileName("C:\\Program Files\\Corvane\\BulkSender.EXE"), "bulk-sender");
  EXPECT_EQ(ProgramFileName("PROFILEASSISTANT.EXE"), "profile-assistant");
  EXPECT_EQ(ProgramFileName("bulksender.exe"), "bulk-sender");
  EXPECT_EQ(ProgramFileName("SetupLauncher.exe"), "setup-launcher");
  EXPECT_EQ(ProgramFileName("HTMLHelp.exe"), "html-help");
  EXPECT_EQ(ProgramFileName("Win32Tool.exe"), "win32-tool");
  EXPECT_EQ(ProgramFileName("My Tool_v2.exe"), "my-tool-v2");
  EXPECT_EQ(ProgramFileName("notepad.exe"), "notepad");
}

TEST(MapCommandLine, RegistryEditorRunsThisProgram) {
  EXPECT_THAT(
      MapCommandLine("regedit /s \"C:\\Program Files\\x\\NewUser.reg\"", "/usr/bin/vellumo",
                     "/opt/v"),
      ElementsAre("/usr/bin/vellumo", "regedit", "/s", "C:\\Program Files\\x\\NewUser.reg"));
  EXPECT_THAT(MapCommandLine("C:\\Windows\\REGEDIT.EXE /e C:\\out.reg "
                             "\"HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\"",
                             "/usr/bin/vellumo", "/opt/v"),
              ElementsAre("/usr/bin/vellumo", "regedit", "/e", "C:\\out.reg",
                          "HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings"));
}

TEST(MapCommandLine, ProgramsComeFromTheProgramFolder) {
  EXPECT_THAT(
      MapCommandLine("\"C:\\Program Files\\Corvane\\Vellumo\\Programs\\ProfileAssistant.exe\""
                     " /first",
                     "/usr/bin/vellumo", "/opt/v/bin"),
      ElementsAre("/opt/v/bin/profile-assistant", "/first"));
  EXPECT_THAT(MapCommandLine("BulkSender.exe", "vellumo", "/opt/v/bin"),
              ElementsAre("/opt/v/bin/bulk-sender"));
  EXPECT_THAT(MapCommandLine("sh -c \"echo hi\"", "vellumo", "/opt/v/bin"),
              ElementsAre("sh", "-c", "echo hi"));
}

TEST(MapCommandLine, InstallersAndEmptyLinesAreRefused) {
  try {
    MapCommandLine("msiexec /i \"C:\\x\\NewUser.msi\"", "vellumo", "/opt");
    ADD_FAILURE() << "msiexec accepted";
  } catch (const Error& error) {
    EXPECT_THAT(error.description(), HasSubstr("Installer packages cannot be run"));
    EXPECT_THAT(error.description(), HasSubstr("NewUser.msi"));
  }
  EXPECT_THROW(MapCommandLine("MsiExec.exe /i a.msi", "vellumo", "/opt"), Error);
  try {
    MapCommandLine("   ", "vellumo", "/opt");
    ADD_FAILURE() << "empty line accepted";
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), ErrorCode::kInvalidCall);
  }
  EXPECT_THROW(MapCommandLine("\"\" x", "vellumo", "/opt"), Error);
}

TEST(MemProcesses, RecordsAndAnswers) {
  MemProcesses processes;
  processes.Start("regedit /s \"C:\\a.reg\"");
  processes.OpenDocument("http://127.0.0.1:5000/x");
  processes.SetResult("sendmail", {75, "", "deferred"});
  ProcessResult result = processes.Run({"sendmail", "-t"}, "Subject: x\r\n");
  EXPECT_EQ(result.exit_code, 75);
  EXPECT_EQ(result.errors, "deferred");
  EXPECT_EQ(processes.Run({"other"}, "").exit_code, 0);

  EXPECT_THAT(processes.started(), ElementsAre("regedit /s \"C:\\a.reg\""));
  EXPECT_THAT(processes.opened(), ElementsAre("http://127.0.0.1:5000/x"));
  ASSERT_EQ(processes.ran().size(), 2u);
  EXPECT_THAT(processes.ran()[0].argv, ElementsAre("sendmail", "-t"));
  EXPECT_EQ(processes.ran()[0].input, "Subject: x\r\n");
}

TEST(MemProcesses, FailsLikeTheRealOneAndOnDemand) {
  MemProcesses processes;
  EXPECT_THROW(processes.Start("msiexec /i NewUser.msi"), Error);
  EXPECT_THROW(processes.Start(""), Error);
  EXPECT_THROW(processes.Run({}, ""), Error);
  processes.FailOn("profileassistant");
  try {
    processes.Start("C:\\Programs\\ProfileAssistant.exe");
    ADD_FAILURE() << "no failure";
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), ErrorCode::kFileNotFound);
  }
  processes.Start("BulkSender.exe");
  processes.FailOn("", ErrorCode::kPermissionDenied);
  EXPECT_THROW(processes.OpenDocument("a.htm"), Error);
  EXPECT_THROW(processes.Run({"x"}, ""), Error);
  EXPECT_THAT(processes.started(), ElementsAre("BulkSender.exe"));
  EXPECT_THAT(processes.opened(), IsEmpty());
  processes.ClearFailures();
  processes.OpenDocument("a.htm");
  EXPECT_THAT(processes.opened(), ElementsAre("a.htm"));
}

}  // namespace
}  // namespace vellumo
