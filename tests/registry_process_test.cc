// The SQLite registry on the real disk, shared by several processes: writers at the same time
// lose nothing, a writer killed mid-import leaves the file as it was, and a file that is not a
// registry is refused untouched.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include "base/error.h"
#include "common/settings/settings.h"
#include "platform/reg_file.h"
#include "posix/sqlite_registry.h"
#include "tests/support/registry_dump.h"
#include "tests/support/scoped_temp_dir.h"

namespace vellumo {
namespace {

using test_support::RegistryDump;
using ::testing::HasSubstr;

// Runs body in a child process, which exits 0 when body returns and 1 when it throws.
pid_t Spawn(const std::function<void()>& body) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    int code = 0;
    try {
      body();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "child %d: %s\n", getpid(), e.what());
      code = 1;
    }
    _exit(code);
  }
  return pid;
}

int WaitFor(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class RegistryProcessTest : public ::testing::Test {
 protected:
  test_support::ScopedTempDir temp_{"vellumo-processes"};
  std::string folder_ = temp_.str();
  std::string path_ = folder_ + "/registry.db";
};

TEST_F(RegistryProcessTest, TwoProcessesSavingAtOnceLoseNothing) {
  constexpr int kPerProcess = 1000;
  // Both children wait on the pipe and start together once the parent closes it; neither finds
  // the file, so they also race to create it.
  int gate[2];
  ASSERT_EQ(pipe(gate), 0);
  std::vector<pid_t> children;
  for (const char* who : {"A", "B"}) {
    children.push_back(Spawn([&, who] {
      close(gate[1]);
      char byte;
      (void)!read(gate[0], &byte, 1);
      SqliteRegistry registry(path_);
      Settings settings(registry);
      for (int i = 0; i < kPerProcess; ++i) {
        // One section shared by both, and one of each process's own.
        settings.SaveSetting("Vellumo", "Shared", std::string(who) + std::to_string(i),
                             std::to_string(i));
        if (i % 10 == 0) {
          settings.SaveSetting("Vellumo", std::string("Own ") + who, std::to_string(i), who);
        }
      }
    }));
  }
  close(gate[0]);
  close(gate[1]);
  for (pid_t child : children) {
    const int status = WaitFor(child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
  }

  SqliteRegistry registry(path_);
  Settings settings(registry);
  const auto shared = settings.Keys("Vellumo", "Shared");
  EXPECT_EQ(shared.size(), 2u * kPerProcess);
  for (const char* who : {"A", "B"}) {
    for (int i = 0; i < kPerProcess; ++i) {
      ASSERT_EQ(settings.GetSetting("Vellumo", "shared", std::string(who) + std::to_string(i), "-"),
                std::to_string(i))
          << who << i;
    }
    EXPECT_EQ(settings.Keys("Vellumo", std::string("Own ") + who).size(), kPerProcess / 10u);
  }
  EXPECT_EQ(settings.Sections("Vellumo"), (std::vector<std::string>{"Own A", "Own B", "Shared"}));
}

// One process writes, the other reads what was just written; then they swap. The reader never
// writes, so a read served from a stale memory of the file would show at once.
TEST_F(RegistryProcessTest, EachProcessReadsWhatTheOtherJustWrote) {
  constexpr uint32_t kTurns = 150;
  const std::string key = "HKCU\\Software\\VB and VBA Program Settings\\Vellumo\\Turns";
  { SqliteRegistry(path_).SetValue(key, "Counter", RegValue::Dword(0)); }
  int to_child[2];
  int to_parent[2];
  ASSERT_EQ(pipe(to_child), 0);
  ASSERT_EQ(pipe(to_parent), 0);
  auto lead = [&](SqliteRegistry& registry, int in, int out) {
    for (uint32_t turn = 1; turn <= kTurns; ++turn) {
      registry.SetValue(key, "Counter", RegValue::Dword(turn));
      if (turn % 3 == 0) registry.SetValue(key, "Third", RegValue::Dword(turn));
      if (turn % 3 == 1) registry.DeleteValue(key, "Third");
      char byte;
      if (write(out, "t", 1) != 1 || read(in, &byte, 1) != 1) throw Error("lost the reader");
    }
  };
  auto follow = [&](SqliteRegistry& registry, int in, int out) {
    for (uint32_t turn = 1; turn <= kTurns; ++turn) {
      char byte;
      if (read(in, &byte, 1) != 1) throw Error("lost the writer");
      for (int again = 0; again < 2; ++again) {
        const auto counter = registry.GetValue(key, "counter");
        const auto third = registry.GetValue(key, "third");
        const auto want_third = turn % 3 == 0 ? std::optional(RegValue::Dword(turn)) : std::nullopt;
        if (counter != RegValue::Dword(turn) || third != want_third) {
          throw Error("turn " + std::to_string(turn) + " read " +
                      (counter ? counter->AsText() : std::string("nothing")));
        }
      }
      if (write(out, "a", 1) != 1) throw Error("lost the writer");
    }
  };
  const pid_t child = Spawn([&] {
    close(to_child[1]);
    close(to_parent[0]);
    SqliteRegistry registry(path_);
    follow(registry, to_child[0], to_parent[1]);
    lead(registry, to_child[0], to_parent[1]);
  });
  // Only the other side's ends stay open, so a side that stops is seen as the end of its pipe.
  close(to_child[0]);
  close(to_parent[1]);
  std::string failure;
  try {
    SqliteRegistry registry(path_);
    lead(registry, to_parent[0], to_child[1]);
    follow(registry, to_parent[0], to_child[1]);
  } catch (const Error& e) {
    failure = e.what();
  }
  close(to_child[1]);
  close(to_parent[0]);
  const int status = WaitFor(child);
  EXPECT_EQ(failure, "");
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
}

TEST_F(RegistryProcessTest, AProcessKilledDuringALargeImportLeavesTheRegistryAsBefore) {
  {
    SqliteRegistry registry(path_);
    Settings settings(registry);
    for (int i = 0; i < 50; ++i) {
      settings.SaveSetting("Vellumo", "User Settings", "Key" + std::to_string(i), "before");
    }
    registry.SetValue("HKCU\\Software\\Big", "existing", RegValue::Dword(1));
  }
  std::string before;
  {
    SqliteRegistry registry(path_);
    before = RegistryDump(registry, "HKEY_CURRENT_USER");
  }

  int progress[2];
  ASSERT_EQ(pipe(progress), 0);
  const pid_t child = Spawn([&] {
    close(progress[0]);
    std::string file = "Windows Registry Editor Version 5.00\r\n\r\n";
    for (int key = 0; key < 2000; ++key) {
      file += "[HKEY_CURRENT_USER\\Software\\Big\\Key " + std::to_string(key) + "]\r\n";
      for (int value = 0; value < 100; ++value) {
        file += "\"Value " + std::to_string(value) + "\"=\"some text for the value\"\r\n";
      }
    }
    file +=
        "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Vellumo\\User Settings]"
        "\r\n\"Key1\"=\"after\"\r\n";
    SqliteRegistry registry(path_);
    (void)!write(progress[1], "s", 1);
    ImportRegFile(registry, file, "big.reg");
    (void)!write(progress[1], "d", 1);
  });
  close(progress[1]);
  char byte = 0;
  ASSERT_EQ(read(progress[0], &byte, 1), 1);
  ASSERT_EQ(byte, 's');

  // Wait until the import's transaction has written pages to the log, then kill it.
  const std::string wal = path_ + "-wal";
  constexpr std::uintmax_t kLogBytes = 1 << 20;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  std::error_code ec;
  while (std::filesystem::file_size(wal, ec) < kLogBytes || ec) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the import never wrote its log";
    ASSERT_EQ(waitpid(child, nullptr, WNOHANG), 0) << "the import ended before it was killed";
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(kill(child, SIGKILL), 0);
  const int status = WaitFor(child);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;
  fcntl(progress[0], F_SETFL, O_NONBLOCK);
  EXPECT_NE(read(progress[0], &byte, 1), 1) << "the import had finished";
  close(progress[0]);

  SqliteRegistry registry(path_);
  EXPECT_EQ(RegistryDump(registry, "HKEY_CURRENT_USER"), before);
  // And the file takes writes again.
  registry.SetValue("HKCU\\Software\\Big", "existing", RegValue::Dword(2));
  EXPECT_EQ(registry.GetValue("HKCU\\Software\\Big", "existing"), RegValue::Dword(2));
}

TEST_F(RegistryProcessTest, AFileThatIsNotARegistryIsRefusedAndLeftAsItIs) {
  std::string bytes;
  for (int i = 0; i < 20000; ++i) bytes.push_back(static_cast<char>((i * 7919) % 251));
  std::ofstream(path_, std::ios::binary) << bytes;
  try {
    SqliteRegistry registry(path_);
    FAIL() << "opened";
  } catch (const Error& e) {
    EXPECT_THAT(e.what(), HasSubstr(path_));
    EXPECT_THAT(e.what(), HasSubstr("not a SQLite database"));
  }
  EXPECT_EQ(ReadFile(path_), bytes);
}

TEST_F(RegistryProcessTest, ADamagedRegistryIsRefusedAndLeftAsItIs) {
  {
    SqliteRegistry registry(path_);
    registry.SetValue("HKCU\\Software\\X", "v", RegValue::String("value"));
  }
  std::string bytes = ReadFile(path_);
  ASSERT_GT(bytes.size(), 4096u);
  // Keep the 100-byte header, scribble over the rest of the first page (the schema).
  for (size_t i = 100; i < 4096; ++i) bytes[i] = static_cast<char>(0xA5);
  std::ofstream(path_, std::ios::binary | std::ios::trunc) << bytes;
  EXPECT_THROW(SqliteRegistry registry(path_), Error);
  EXPECT_EQ(ReadFile(path_), bytes);
}

// The program a user runs reports the refused file and leaves it alone.
TEST_F(RegistryProcessTest, TheProgramReportsAFileThatIsNotARegistry) {
  const char* program = std::getenv("VELLUMO_BIN");
  if (!program || !std::filesystem::exists(program)) GTEST_SKIP() << "VELLUMO_BIN not built";
  const std::string bytes(5000, 'x');
  std::ofstream(path_, std::ios::binary) << bytes;
  const std::string command = std::string(program) + " --home '" + folder_ +
                              "' settings get Vellumo 'User Settings' Template 2>'" + folder_ +
                              "/err.txt'";
  const int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_THAT(ReadFile(folder_ + "/err.txt"), HasSubstr(path_));
  EXPECT_EQ(ReadFile(path_), bytes);
}

}  // namespace
}  // namespace vellumo
