// Exactly-once delivery as a user meets it, with real processes on a real disk against the SMTP
// sink: two `vellumo send --outbox` at once, kill -9 in the middle of a send, and a disk that
// fills the moment the server has the message.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/error.h"
#include "localmail/local_client.h"
#include "localmail/local_mail_item.h"
#include "localmail/mime_message.h"
#include "platform/clock.h"
#include "posix/posix_file_system.h"
#include "posix/posix_processes.h"
#include "posix/posix_system_info.h"
#include "posix/sqlite_registry.h"
#include "posix/system_clock.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/source_dir.h"
#include "tests/support/test_files.h"

extern char** environ;

namespace vellumo {
namespace {

namespace stdfs = std::filesystem;

using test_support::FilesIn;
using test_support::ReadAll;
using test_support::SmtpSink;
using test_support::WriteAll;
using ::testing::IsEmpty;
using ::testing::SizeIs;

class DownTransport final : public localmail::Transport {
 public:
  void Transmit(const localmail::Envelope&, std::string_view) override {
    throw Error("Connection refused");
  }
};

std::string MessageText(int n, size_t padding = 0) {
  std::string text = "From: Ann <ann@example.org>\r\nTo: bob@example.com\r\nSubject: message " +
                     std::to_string(n) +
                     "\r\nMIME-Version: 1.0\r\n"
                     "Content-Type: text/plain; charset=utf-8\r\n\r\nNumber " +
                     std::to_string(n) + "\r\n";
  for (size_t i = 0; i < padding / 64; ++i) text += std::string(62, 'x') + "\r\n";
  return text;
}

// The "Subject: message N" numbers of the messages in a folder of .eml or Maildir files.
std::map<int, int> Numbers(const std::vector<stdfs::path>& files) {
  std::map<int, int> count;
  for (const stdfs::path& file : files) {
    if (file.filename().string().front() == '.') continue;  // a writer's temporary file
    const std::string text = ReadAll(file);
    const size_t at = text.find("Subject: message ");
    if (at == std::string::npos) continue;
    ++count[std::atoi(text.c_str() + at + 17)];
  }
  return count;
}

class ExactlyOnceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bin_ = test_support::EnvValue("VELLUMO_BIN");
    source_ = test_support::SourceDir();
    home_ = root_ / "home";
    stdfs::create_directories(home_);
    sink_ = std::make_unique<SmtpSink>(root_ / "sink");
  }
  void TearDown() override {
    sink_.reset();
    if (mounted_) umount2(home_.c_str(), MNT_DETACH);
  }

  std::vector<std::string> Args(std::vector<std::string> args) const {
    args.insert(args.begin(), {bin_, "--home", home_.string()});
    return args;
  }
  ProcessResult Run(std::vector<std::string> args, std::string_view input = {}) {
    return processes_.Run(Args(std::move(args)), input);
  }
  // Starts the program with its output to files in the test's folder; returns its process id.
  pid_t Spawn(std::vector<std::string> args, const std::string& tag) {
    args = Args(std::move(args));
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = (root_ / (tag + ".out")).string();
    const std::string err = (root_ / (tag + ".err")).string();
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
  }
  static int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  }

  stdfs::path Folder(std::string_view name) const {
    return home_ / "mail" / "Personal Folders" / std::string(name) / "cur";
  }
  int StartSink() {
    const int port = sink_->Start();
    if (port == 0) ADD_FAILURE() << "the SMTP sink did not start (/usr/bin/python3, aiosmtpd)";
    return port;
  }
  void UseSink(int port) {
    ASSERT_EQ(Run({"transport", "set", "smtp://127.0.0.1:" + std::to_string(port)}).exit_code, 0);
  }

  // A 4 MB tmpfs as the home; skips the test where that is impossible.
  void MountSmallHome() {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
    if (mount("tmpfs", home_.c_str(), "tmpfs", 0, "size=4m") != 0) {
      GTEST_SKIP() << "mounting a tmpfs is not permitted here: " << std::strerror(errno);
    }
    mounted_ = true;
  }
  // Writes a file on the home's file system until no byte more fits.
  void FillHome() {
    FILE* filler = std::fopen((home_ / "filler").c_str(), "wb");
    ASSERT_NE(filler, nullptr);
    const std::string block(4096, '\0');
    while (std::fwrite(block.data(), 1, block.size(), filler) == block.size() &&
           std::fflush(filler) == 0) {
    }
    for (char c = 0; std::fwrite(&c, 1, 1, filler) == 1 && std::fflush(filler) == 0;) {
    }
    std::fclose(filler);
  }

  // count messages waiting in the Outbox, queued by this process while the server was down.
  void QueueInProcess(int count) {
    SqliteRegistry registry((home_ / "registry.db").string());
    PosixFileSystem fs(home_.string());
    SystemClock clock;
    PosixSystemInfo system;
    auto client = localmail::LocalMailClient::Open(localmail::LocalMailDeps{
        fs,
        registry,
        processes_,
        clock,
        system,
        (home_ / "mail").string(),
        {},
        [](const localmail::TransportConfig&) -> std::unique_ptr<localmail::Transport> {
          return std::make_unique<DownTransport>();
        },
        {},
        ProcessClaimTag,
        ProcessClaimAlive});
    for (int i = 0; i < count; ++i) {
      auto item = client->ImportMessage(MessageText(i), "message");
      item->Save();
      EXPECT_THROW(item->Send(), localmail::QueuedError);
    }
  }

  std::string bin_;
  stdfs::path source_;
  test_support::ScopedTempDir temp_{"vellumo-once"};
  stdfs::path root_ = temp_.path();
  stdfs::path home_;
  bool mounted_ = false;
  PosixProcesses processes_{"", ""};
  std::unique_ptr<SmtpSink> sink_;
};

TEST_F(ExactlyOnceTest, TwoFlushesAtOnceDeliverEveryQueuedMessageOnce) {
  constexpr int kMessages = 200;
  QueueInProcess(kMessages);
  ASSERT_THAT(FilesIn(Folder("Outbox")), SizeIs(kMessages));
  const int port = StartSink();
  ASSERT_NE(port, 0);
  UseSink(port);

  const pid_t first = Spawn({"send", "--outbox"}, "flush1");
  const pid_t second = Spawn({"send", "--outbox"}, "flush2");
  EXPECT_EQ(Wait(first), 0) << ReadAll(root_ / "flush1.err");
  EXPECT_EQ(Wait(second), 0) << ReadAll(root_ / "flush2.err");

  const std::map<int, int> delivered = Numbers(sink_->Messages());
  EXPECT_THAT(sink_->Messages(), SizeIs(kMessages));
  EXPECT_THAT(delivered, SizeIs(kMessages));
  for (const auto& [n, times] : delivered) EXPECT_EQ(times, 1) << "message " << n;
  EXPECT_THAT(FilesIn(Folder("Outbox")), IsEmpty());
  EXPECT_THAT(FilesIn(Folder("Sent Items")), SizeIs(kMessages));
}

TEST_F(ExactlyOnceTest, KillingASendAtAnyMomentLosesNothingAcceptedAndDuplicatesNothingFiled) {
  constexpr int kRuns = 50;
  const int port = StartSink();
  ASSERT_NE(port, 0);
  UseSink(port);
  // One undisturbed send, to learn how long a send takes here.
  WriteAll(root_ / "probe.eml", MessageText(-1, 256 * 1024));
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(Run({"send", (root_ / "probe.eml").string()}).exit_code, 0);
  const auto span = std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();

  std::mt19937 random(20261209);
  std::set<int> filed_or_marked;  // when killed: already in Sent Items, or flagged transmitted
  std::map<int, int> delivered_at_kill;
  for (int i = 0; i < kRuns; ++i) {
    const stdfs::path file = root_ / ("m" + std::to_string(i) + ".eml");
    WriteAll(file, MessageText(i, 256 * 1024));
    const pid_t pid = Spawn({"send", file.string()}, "send");
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(
        std::uniform_int_distribution<int64_t>(0, span + span / 4)(random)));
    kill(pid, SIGKILL);
    Wait(pid);
    const std::map<int, int> delivered = Numbers(sink_->Messages());
    delivered_at_kill[i] = delivered.contains(i) ? delivered.at(i) : 0;
    if (Numbers(FilesIn(Folder("Sent Items"))).contains(i)) filed_or_marked.insert(i);
    for (const stdfs::path& queued : FilesIn(Folder("Outbox"))) {
      const std::string name = queued.filename().string();
      const size_t info = name.find(":2,");
      if (info != std::string::npos && name.find('P', info) != std::string::npos &&
          Numbers({queued}).contains(i)) {
        filed_or_marked.insert(i);
      }
    }
  }
  ProcessResult flush = Run({"send", "--outbox"});
  EXPECT_EQ(flush.exit_code, 0) << flush.errors;

  const std::map<int, int> delivered = Numbers(sink_->Messages());
  const std::map<int, int> filed = Numbers(FilesIn(Folder("Sent Items")));
  EXPECT_THAT(FilesIn(Folder("Outbox")), IsEmpty());
  int killed_before_outbox = 0;
  int resent_unmarked = 0;
  for (int i = 0; i < kRuns; ++i) {
    const int times = delivered.contains(i) ? delivered.at(i) : 0;
    if (times == 0) {
      // Never accepted: killed before the message reached the Outbox (the caller saw no exit 0).
      EXPECT_FALSE(filed.contains(i)) << "message " << i;
      ++killed_before_outbox;
      continue;
    }
    EXPECT_EQ(filed.contains(i) ? filed.at(i) : 0, 1) << "message " << i << " filed";
    if (filed_or_marked.contains(i)) {
      EXPECT_EQ(times, delivered_at_kill[i]) << "message " << i << " sent again";
      EXPECT_EQ(times, 1) << "message " << i;
    } else if (times > 1) {
      ++resent_unmarked;  // killed between the server's answer and the mark: sent again
    }
  }
  std::printf(
      "kill -9 at %d moments of a %lld us send: %d never queued, %d filed or marked, "
      "%d sent again (killed between the server's answer and the mark)\n",
      kRuns, static_cast<long long>(span), killed_before_outbox,
      static_cast<int>(filed_or_marked.size()), resent_unmarked);
}

TEST_F(ExactlyOnceTest, ADiskThatFillsAfterDeliveryGivesSuccessAndOneDeliveryAfterTheNextFlush) {
  MountSmallHome();
  if (!mounted_) return;
  const int port = [&] {
    sink_->FillOnDelivery(home_ / "filler");
    return StartSink();
  }();
  ASSERT_NE(port, 0);
  UseSink(port);

  ProcessResult result = Run({"sendmail", "-oi", "--", "bob@example.com"}, MessageText(1));
  EXPECT_EQ(result.exit_code, 0) << result.errors;
  EXPECT_THAT(result.errors, ::testing::HasSubstr("could not be filed"));
  EXPECT_THAT(sink_->Messages(), SizeIs(1));
  ASSERT_THAT(FilesIn(Folder("Outbox")), SizeIs(1));

  sink_->Stop();
  stdfs::remove(home_ / "filler");
  sink_->FillOnDelivery({});
  UseSink(StartSink());
  result = Run({"send", "--outbox"});
  EXPECT_EQ(result.exit_code, 0) << result.errors;
  EXPECT_THAT(sink_->Messages(), SizeIs(1));
  EXPECT_THAT(FilesIn(Folder("Outbox")), IsEmpty());
  EXPECT_THAT(FilesIn(Folder("Sent Items")), SizeIs(1));
}

TEST_F(ExactlyOnceTest, OnAFullDiskSettingsAreStillReadAndWritingSaysDiskFullNamingTheFile) {
  MountSmallHome();
  if (!mounted_) return;
  ASSERT_EQ(Run({"settings", "set", "Vellumo", "Admin Settings", "DressPatches", "True"}).exit_code,
            0);
  FillHome();
  ProcessResult result = Run({"settings", "list", "Vellumo"});
  EXPECT_EQ(result.exit_code, 0) << result.errors;
  EXPECT_EQ(result.output, "Admin Settings\tDressPatches\tTrue\n");
  result = Run({"settings", "get", "Vellumo", "Admin Settings", "DressPatches"});
  EXPECT_EQ(result.output, "True\n") << result.errors;
  result = Run({"settings", "set", "Vellumo", "Admin Settings", "DressPatches", "False"});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_THAT(result.errors, ::testing::HasSubstr("Disk full"));
  EXPECT_THAT(result.errors, ::testing::HasSubstr((home_ / "registry.db").string()));
}

}  // namespace
}  // namespace vellumo
