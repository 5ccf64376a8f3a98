#include "posix/posix_processes.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "base/error.h"
#include "tests/support/scoped_temp_dir.h"

namespace vellumo {
namespace {

namespace stdfs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class PosixProcessesTest : public ::testing::Test {
 protected:
  // A program that writes its arguments, one a line, to out, then renames it into place so a
  // reader never sees a part.
  std::string ArgumentRecorder(const std::string& name, const std::string& out) {
    std::string path = dir_ + "/" + name;
    std::ofstream(path) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << out << ".part'\nmv '" << out
                        << ".part' '" << out << "'\n";
    ::chmod(path.c_str(), 0755);
    return path;
  }

  // The content of path once it exists; "" after a few seconds without it.
  static std::string AwaitFile(const std::string& path) {
    for (int i = 0; i < 1000; ++i) {
      std::ifstream in(path);
      if (in) return std::string(std::istreambuf_iterator<char>(in), {});
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "";
  }

  test_support::ScopedTempDir temp_{"vellumo-proc"};
  std::string dir_ = temp_.str();
};

TEST_F(PosixProcessesTest, RunFeedsInputAndCollectsBothStreams) {
  PosixProcesses processes("vellumo", dir_);
  std::string input;
  for (int i = 0; input.size() < 1'000'000; ++i) input += "line " + std::to_string(i) + "\n";
  ProcessResult echoed = processes.Run({"cat"}, input);
  EXPECT_EQ(echoed.exit_code, 0);
  EXPECT_EQ(echoed.output, input);
  EXPECT_EQ(echoed.errors, "");

  // Much output on both streams before the input is read must not dead-lock.
  ProcessResult both = processes.Run(
      {"sh", "-c", "head -c 300000 /dev/zero; head -c 300000 /dev/zero >&2; wc -c"}, input);
  EXPECT_EQ(both.output.size(), 300000u + std::to_string(input.size()).size() + 1);
  EXPECT_THAT(both.output, HasSubstr(std::to_string(input.size())));
  EXPECT_EQ(both.errors.size(), 300000u);
}

TEST_F(PosixProcessesTest, RunReportsExitCodesErrorsAndSignals) {
  PosixProcesses processes("vellumo", dir_);
  ProcessResult failed = processes.Run({"sh", "-c", "echo out; echo problem >&2; exit 3"}, "");
  EXPECT_EQ(failed.exit_code, 3);
  EXPECT_EQ(failed.output, "out\n");
  EXPECT_EQ(failed.errors, "problem\n");
  EXPECT_EQ(processes.Run({"sh", "-c", "kill -9 $$"}, "").exit_code, 128 + 9);
}

TEST_F(PosixProcessesTest, RunSurvivesAChildThatStopsReading) {
  PosixProcesses processes("vellumo", dir_);
  ProcessResult result = processes.Run({"head", "-c", "1"}, std::string(4'000'000, 'x'));
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.output, "x");
}

TEST_F(PosixProcessesTest, ChildrenGetOnlyTheStandardDescriptors) {
  PosixProcesses processes("vellumo", dir_);
  int leaky = ::open("/dev/null", O_RDONLY);  // deliberately without close-on-exec
  ASSERT_GE(leaky, 3);
  std::string check =
      "test -e /proc/self/fd/" + std::to_string(leaky) + " && echo leaked || echo clean";
  EXPECT_EQ(processes.Run({"sh", "-c", check}, "").output, "clean\n");
  ::close(leaky);
}

TEST_F(PosixProcessesTest, MissingProgramsThrowFileNotFound) {
  PosixProcesses processes("vellumo", dir_);
  for (const char* line : {"vellumo-no-such-program --x", "C:\\Programs\\Missing.exe"}) {
    try {
      processes.Start(line);
      ADD_FAILURE() << line << " started";
    } catch (const Error& error) {
      EXPECT_EQ(error.code(), ErrorCode::kFileNotFound) << line;
      EXPECT_THAT(error.detail(), HasSubstr(line));
    }
  }
  EXPECT_THROW(processes.Run({"vellumo-no-such-program"}, ""), Error);
  EXPECT_THROW(processes.Run({}, ""), Error);
  EXPECT_THROW(processes.Start("msiexec /i NewUser.msi"), Error);
}

TEST_F(PosixProcessesTest, StartRunsTheMappedPrograms) {
  std::string self = ArgumentRecorder("vellumo", dir_ + "/self.out");
  ArgumentRecorder("profile-assistant", dir_ + "/assistant.out");
  PosixProcesses processes(self, dir_);
  processes.Start("regedit /s \"C:\\Program Files\\x y\\NewUser.reg\"");
  EXPECT_EQ(AwaitFile(dir_ + "/self.out"), "regedit\n/s\nC:\\Program Files\\x y\\NewUser.reg\n");
  processes.Start("\"C:\\Program Files\\Corvane\\Vellumo\\Programs\\ProfileAssistant.exe\" /first");
  EXPECT_EQ(AwaitFile(dir_ + "/assistant.out"), "/first\n");
}

TEST_F(PosixProcessesTest, StartedProgramsLeaveNoZombies) {
  PosixProcesses processes("vellumo", dir_);
  std::string out = dir_ + "/pid";
  processes.Start("sh -c \"echo $$ > '" + out + ".part'; mv '" + out + ".part' '" + out + "'\"");
  std::string pid = AwaitFile(out);
  ASSERT_FALSE(pid.empty());
  pid.pop_back();
  bool gone = false;
  for (int i = 0; i < 500 && !gone; ++i) {
    gone = !stdfs::exists("/proc/" + pid);
    if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(gone) << "process " << pid << " was not reaped";
}

TEST_F(PosixProcessesTest, OpenDocumentWithoutDisplayReports) {
  std::vector<std::string> reported;
  WinPath paths("/home/u", nullptr);
  PosixProcessesOptions options;
  options.display = false;
  options.report = [&](const std::string& line) { reported.push_back(line); };
  options.paths = &paths;
  PosixProcesses processes("vellumo", dir_, options);
  processes.OpenDocument("http://127.0.0.1:8080/form?t=1");
  processes.OpenDocument("C:\\temp\\preview.htm");
  EXPECT_THAT(reported, ElementsAre("Open: http://127.0.0.1:8080/form?t=1",
                                    "Open: /home/u/drive_c/temp/preview.htm"));
}

TEST_F(PosixProcessesTest, OpenDocumentWithDisplayRunsTheOpener) {
  std::vector<std::string> reported;
  PosixProcessesOptions options;
  options.display = true;
  options.opener = {ArgumentRecorder("opener", dir_ + "/opened.out"), "--flag"};
  options.report = [&](const std::string& line) { reported.push_back(line); };
  PosixProcesses processes("vellumo", dir_, options);
  processes.OpenDocument("-rf.htm");
  EXPECT_EQ(AwaitFile(dir_ + "/opened.out"), "--flag\n./-rf.htm\n");
  EXPECT_TRUE(reported.empty());

  options.opener = {dir_ + "/no-opener"};
  PosixProcesses without_opener("vellumo", dir_, options);
  without_opener.OpenDocument("http://example.org/");
  EXPECT_THAT(reported, ElementsAre("Open: http://example.org/"));
}

}  // namespace
}  // namespace vellumo
