// Several processes append to one log file: every line must stay whole. Two forked processes each
// write 10,000 dated notes through Write_log_line to one real file on the disk.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/diagnostics/diagnostics.h"
#include "common/settings/settings.h"
#include "platform/clock.h"
#include "platform/fixed_system_info.h"
#include "platform/mem_processes.h"
#include "platform/mem_registry.h"
#include "platform/ui/script_host.h"
#include "posix/posix_file_system.h"
#include "tests/support/scoped_temp_dir.h"

namespace vellumo {
namespace {

constexpr int kProcesses = 2;
constexpr int kLinesEach = 10000;

class DiagnosticsAppendTest : public ::testing::Test {
 protected:
  // Runs in the child: its own platform objects, the same log file.
  [[noreturn]] void Writer(int process, const std::string& log) {
    MemRegistry registry;
    Settings(registry).SaveSetting(kVellumo, "Admin Settings", "ErrorFileLocation", log);
    PosixFileSystem fs(folder_.string());
    MemClock clock;
    MemProcesses processes;
    FixedSystemInfo system;
    ui::ScriptHost host(ui::ScriptAnswers{});
    Env env{registry, fs, clock, processes, system, host, nullptr};
    Diagnostics diag(env, kAddInDiagnostics, ProgramInfo{}, folder_.string());
    // Long lines make a torn write far more likely to show if appends were not atomic.
    const std::string padding(180, static_cast<char>('a' + process));
    for (int i = 0; i < kLinesEach; ++i) {
      diag.Write_log_line("process " + std::to_string(process) + " line " + std::to_string(i) +
                          " " + padding);
    }
    _exit(0);
  }

  test_support::ScopedTempDir temp_{"vellumo-append"};
  std::filesystem::path folder_ = temp_.path();
};

struct Parsed {
  int process = -1;
  int number = -1;
};

// A whole line of a writer: "Date: <stamp>, process P line N " + 180 times the process's letter.
// Anything else (a torn or merged line) gives process -1.
Parsed ParseLine(std::string_view line) {
  constexpr std::string_view kHead = "Date: 12-08-2026 19:55:55, process ";
  Parsed parsed;
  if (!line.starts_with(kHead)) return {};
  line.remove_prefix(kHead.size());
  if (line.size() < 2 || line[0] < '0' || line[0] >= '0' + kProcesses) return {};
  const int process = line[0] - '0';
  line.remove_prefix(1);
  if (!line.starts_with(" line ")) return {};
  line.remove_prefix(6);
  const size_t blank = line.find(' ');
  if (blank == 0 || blank == std::string_view::npos || blank > 5) return {};
  int number = 0;
  for (char c : line.substr(0, blank)) {
    if (c < '0' || c > '9') return {};
    number = number * 10 + (c - '0');
  }
  if (line.substr(blank + 1) != std::string(180, static_cast<char>('a' + process))) return {};
  parsed.process = process;
  parsed.number = number;
  return parsed;
}

TEST_F(DiagnosticsAppendTest, TwoProcessesAppendingNeverTearALine) {
  const std::string log = (folder_ / "SupportLog.txt").string();
  std::vector<pid_t> children;
  for (int process = 0; process < kProcesses; ++process) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) Writer(process, log);
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  std::ifstream in(log, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  const std::string text = content.str();
  ASSERT_FALSE(text.empty());
  ASSERT_EQ(text.substr(text.size() - 2), "\r\n");

  std::vector<int> next(kProcesses, 0);
  int lines = 0;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "a line without its end at offset " << start;
    const std::string line = text.substr(start, end - start);
    const Parsed parsed = ParseLine(line);
    ASSERT_NE(parsed.process, -1) << "torn line " << lines << ": " << line;
    ASSERT_EQ(parsed.number, next[parsed.process]) << "each process's lines in its order";
    ++next[parsed.process];
    ++lines;
    start = end + 2;
  }
  EXPECT_EQ(lines, kProcesses * kLinesEach);
  EXPECT_THAT(next, ::testing::Each(kLinesEach));
}

}  // namespace
}  // namespace vellumo
