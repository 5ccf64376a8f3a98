// What only the disk can show: atomic replacement, permissions, links, appends from several
// writers, devices. The shared behaviour is in file_system_test.cc.
#include "posix/posix_file_system.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "base/error.h"
#include "tests/support/scoped_temp_dir.h"

namespace vellumo {
namespace {

namespace stdfs = std::filesystem;
using ::testing::ElementsAre;

class PosixFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    drive_ = home_ + "/drive_c";
    stdfs::create_directory(drive_);
  }

  std::vector<std::string> DiskNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : stdfs::directory_iterator(folder)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  static mode_t Mode(const std::string& native) {
    struct stat st;
    EXPECT_EQ(::stat(native.c_str(), &st), 0);
    return st.st_mode & 07777;
  }

  test_support::ScopedTempDir temp_{"vellumo-posixfs"};
  std::string home_ = temp_.str();
  std::string drive_;
};

TEST_F(PosixFileSystemTest, WriteReplacesAtomicallyAndLeavesNoTemporaryFiles) {
  PosixFileSystem fs(home_);
  fs.WriteFile("C:\\a.txt", "first");
  fs.WriteFile("C:\\a.txt", "second");
  fs.Copy("C:\\a.txt", "C:\\b.txt", false);
  fs.Copy("C:\\a.txt", "C:\\b.txt", true);
  EXPECT_THROW(fs.WriteFile("C:\\missing\\x.txt", "x"), Error);
  EXPECT_THAT(DiskNames(drive_), ElementsAre("a.txt", "b.txt"));
}

TEST_F(PosixFileSystemTest, OnlyStaleLeftoversOfUnfinishedWritesAreRemoved) {
  PosixFileSystem fs(home_);
  auto make = [&](const std::string& name, int age_seconds) {
    fs.WriteFile(drive_ + "/" + name, "x");
    const struct timespec times[2] = {{::time(nullptr) - age_seconds, 0},
                                      {::time(nullptr) - age_seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (drive_ + "/" + name).c_str(), times, 0), 0);
  };
  make(".~vellumo-old.tmp", 7200);
  make(".~vellumo-fresh.tmp", 10);  // a writer may still be at work
  make("message", 7200);
  EXPECT_EQ(fs.RemoveStaleTemporaries(drive_, 3600, false), 1);
  EXPECT_THAT(DiskNames(drive_), ElementsAre(".~vellumo-fresh.tmp", "message"));
  // A Maildir's tmp/: everything there is unfinished.
  EXPECT_EQ(fs.RemoveStaleTemporaries(drive_, 3600, true), 1);
  EXPECT_THAT(DiskNames(drive_), ElementsAre(".~vellumo-fresh.tmp"));
  EXPECT_EQ(fs.RemoveStaleTemporaries(drive_ + "/missing", 3600, true), 0);
}

TEST_F(PosixFileSystemTest, ReplacedFilesKeepTheirPermissions) {
  PosixFileSystem fs(home_);
  fs.WriteFile("C:\\script.sh", "#!/bin/sh\n");
  ::chmod((drive_ + "/script.sh").c_str(), 0750);
  fs.WriteFile("C:\\script.sh", "#!/bin/sh\nexit 0\n");
  EXPECT_EQ(Mode(drive_ + "/script.sh"), 0750u);
  fs.WriteFile("C:\\copy.sh", "old");
  ::chmod((drive_ + "/copy.sh").c_str(), 0604);
  fs.Copy("C:\\script.sh", "C:\\copy.sh", true);
  EXPECT_EQ(Mode(drive_ + "/copy.sh"), 0604u);

  mode_t mask = ::umask(022);
  ::umask(mask);
  fs.WriteFile("C:\\new.txt", "n");
  EXPECT_EQ(Mode(drive_ + "/new.txt"), 0666u & ~mask) << "new files get the usual mode";
}

TEST_F(PosixFileSystemTest, WritingThroughALinkKeepsTheLink) {
  PosixFileSystem fs(home_);
  stdfs::create_directory(home_ + "/real");
  fs.WriteFile(home_ + "/real/target.txt", "old");
  stdfs::create_symlink(home_ + "/real/target.txt", drive_ + "/link.txt");
  fs.WriteFile("C:\\link.txt", "new");
  EXPECT_TRUE(stdfs::is_symlink(drive_ + "/link.txt"));
  EXPECT_EQ(fs.ReadFile(home_ + "/real/target.txt"), "new");
  EXPECT_THAT(DiskNames(home_ + "/real"), ElementsAre("target.txt"));
}

TEST_F(PosixFileSystemTest, ListingsFollowLinksAndSkipDanglingOnes) {
  PosixFileSystem fs(home_);
  fs.WriteFile("C:\\file.htm", "f");
  fs.CreateFolder("C:\\folder");
  stdfs::create_symlink(drive_ + "/file.htm", drive_ + "/linked.htm");
  stdfs::create_symlink(drive_ + "/folder", drive_ + "/linked-folder");
  stdfs::create_symlink(drive_ + "/gone.htm", drive_ + "/dangling.htm");
  EXPECT_THAT(fs.ListFiles("C:\\", "*.htm"), ElementsAre("file.htm", "linked.htm"));
  EXPECT_THAT(fs.ListFolders("C:\\"), ElementsAre("folder", "linked-folder"));
}

TEST_F(PosixFileSystemTest, AppendsOfManyWritersNeverInterleave) {
  constexpr int kWriters = 8;
  constexpr int kLines = 1000;
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([this, w] {
      PosixFileSystem fs(home_);  // one per writer, as separate processes have
      std::string line = std::string(120, static_cast<char>('a' + w)) + "\r\n";
      for (int i = 0; i < kLines; ++i) fs.AppendFile("C:\\shared.log", line);
    });
  }
  for (std::thread& writer : writers) writer.join();
  PosixFileSystem fs(home_);
  std::string log = fs.ReadFile("C:\\shared.log");
  ASSERT_EQ(log.size(), size_t{kWriters * kLines * 122});
  for (size_t at = 0; at < log.size(); at += 122) {
    std::string_view line(log.data() + at, 122);
    ASSERT_EQ(line.find_first_not_of(line[0]), 120u) << "interleaved at byte " << at;
  }
}

TEST_F(PosixFileSystemTest, DevicesAndPipesAreNotFiles) {
  PosixFileSystem fs(home_);
  ASSERT_EQ(::mkfifo((drive_ + "/pipe").c_str(), 0600), 0);
  try {
    (void)fs.ReadFile("C:\\pipe");  // must not block waiting for a writer
    ADD_FAILURE() << "a pipe was read";
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), ErrorCode::kPathFileAccess);
  }
  EXPECT_FALSE(fs.FileExists("C:\\pipe"));
  EXPECT_THAT(fs.ListFiles("C:\\", "*"), ElementsAre());
  EXPECT_THROW((void)fs.ReadFile("/dev/null"), Error);
}

TEST_F(PosixFileSystemTest, AFullDiskIsDiskFull) {
  PosixFileSystem fs(home_);
  try {
    fs.AppendFile("/dev/full", "x");
    ADD_FAILURE() << "no failure";
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), ErrorCode::kDiskFull);
    EXPECT_EQ(error.detail(), "/dev/full");
  }
}

TEST_F(PosixFileSystemTest, UnreadableAndUnwritableArePermissionDenied) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may read and write anything";
  PosixFileSystem fs(home_);
  fs.WriteFile("C:\\locked.txt", "l");
  ::chmod((drive_ + "/locked.txt").c_str(), 0);
  try {
    (void)fs.ReadFile("C:\\locked.txt");
    ADD_FAILURE() << "no failure";
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), ErrorCode::kPermissionDenied);
    EXPECT_EQ(error.detail(), "C:\\locked.txt");
  }
  ::chmod((drive_ + "/locked.txt").c_str(), 0444);
  EXPECT_THROW(fs.WriteFile("C:\\locked.txt", "x"), Error) << "read-only stays read-only";
  EXPECT_EQ(fs.ReadFile("C:\\locked.txt"), "l");
}

TEST_F(PosixFileSystemTest, MatchesCaseAgainstTheDisk) {
  PosixFileSystem fs(home_);
  stdfs::create_directories(drive_ + "/Program Files/Corvane");
  EXPECT_EQ(fs.NativePath("c:\\PROGRAM FILES\\corvane\\new.reg"),
            drive_ + "/Program Files/Corvane/new.reg");
  PosixFileSystem plain{WinPath(home_, nullptr)};
  EXPECT_EQ(plain.NativePath("c:\\PROGRAM FILES"), drive_ + "/PROGRAM FILES");
  EXPECT_THAT(PosixFileSystem::ListNative(drive_), ElementsAre("Program Files"));
  EXPECT_TRUE(PosixFileSystem::ListNative(drive_ + "/missing").empty());
}

}  // namespace
}  // namespace vellumo
