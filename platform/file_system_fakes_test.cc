// What the memory file system records and how the fault wrapper fails.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/error.h"
#include "platform/faulty_file_system.h"
#include "platform/mem_file_system.h"

namespace vellumo {
namespace {

using ::testing::ElementsAre;

TEST(MemFileSystem, LivesInItsOwnHome) {
  MemFileSystem fs;
  EXPECT_EQ(fs.NativePath("C:\\temp\\a.htm"), "/home/user/drive_c/temp/a.htm");
  EXPECT_TRUE(fs.FolderExists("C:\\"));
  EXPECT_TRUE(fs.FolderExists("/home/user"));
  MemFileSystem other("/srv/v/");
  EXPECT_EQ(other.NativePath("D:\\x"), "/srv/v/drive_d/x");
}

TEST(MemFileSystem, RecordsWhatWasTouchedAsWritten) {
  MemFileSystem fs;
  fs.AddFile("C:\\in\\a.txt", "a");
  fs.WriteFile("C:\\In\\B.txt", "b");
  fs.AppendFile("C:\\in\\log.txt", "1");
  fs.AppendFile("C:\\in\\log.txt", "2");
  (void)fs.ReadFile("C:\\IN\\A.TXT");
  EXPECT_THROW((void)fs.ReadFile("C:\\in\\missing.txt"), Error);
  fs.Copy("C:\\in\\a.txt", "C:\\in\\c.txt", false);
  fs.RemoveFile("C:\\in\\a.txt");
  EXPECT_THROW(fs.WriteFile("C:\\nowhere\\x.txt", "x"), Error);

  EXPECT_THAT(fs.files_read(),
              ElementsAre("C:\\IN\\A.TXT", "C:\\in\\missing.txt", "C:\\in\\a.txt"));
  EXPECT_THAT(fs.files_written(), ElementsAre("C:\\In\\B.txt", "C:\\in\\c.txt"));
  EXPECT_THAT(fs.appends(), ElementsAre(MemFileSystem::Append{"C:\\in\\log.txt", "1"},
                                        MemFileSystem::Append{"C:\\in\\log.txt", "2"}));
  EXPECT_THAT(fs.files_removed(), ElementsAre("C:\\in\\a.txt"));
  EXPECT_EQ(fs.Contents("c:\\IN\\LOG.TXT"), "12");
  EXPECT_EQ(fs.Contents("C:\\in\\a.txt"), std::nullopt);
  EXPECT_THAT(fs.AllFiles(),
              ElementsAre("/home/user/drive_c/in/B.txt", "/home/user/drive_c/in/c.txt",
                          "/home/user/drive_c/in/log.txt"));
  fs.ClearRecords();
  EXPECT_TRUE(fs.files_read().empty());
  EXPECT_TRUE(fs.appends().empty());
}

TEST(MemFileSystem, SetUpHelpersMatchCaseLikeTheCode) {
  MemFileSystem fs;
  fs.AddFolder("C:\\Templates");
  fs.AddFile("C:\\templates\\Main.htm", "m");
  EXPECT_THAT(fs.ListFolders("C:\\"), ElementsAre("Templates"));
  EXPECT_THAT(fs.ListFiles("C:\\TEMPLATES", "*.htm"), ElementsAre("Main.htm"));
  EXPECT_THROW(fs.AddFile("C:\\Templates", "x"), Error);
}

TEST(FaultyFileSystem, FailsChosenMembersAndPathsOnly) {
  MemFileSystem mem;
  mem.AddFile("C:\\work\\beforetext.txt", "b");
  mem.AddFile("C:\\work\\aftertext.txt", "a");
  FaultyFileSystem fs(mem);
  fs.FailOn(FaultyFileSystem::Call::kReadFile, "BEFORETEXT", ErrorCode::kPermissionDenied);
  try {
    (void)fs.ReadFile("C:\\work\\beforetext.txt");
    ADD_FAILURE() << "no failure";
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), ErrorCode::kPermissionDenied);
    EXPECT_EQ(error.detail(), "C:\\work\\beforetext.txt");
  }
  EXPECT_TRUE(mem.files_read().empty()) << "a failed call does not reach the wrapped system";
  EXPECT_EQ(fs.ReadFile("C:\\work\\aftertext.txt"), "a");
  fs.WriteFile("C:\\work\\beforetext.txt", "new");
  EXPECT_EQ(mem.Contents("C:\\work\\beforetext.txt"), "new");
  EXPECT_EQ(fs.failures(), 1);
}

TEST(FaultyFileSystem, CountsAnyMemberAndEitherPathOfTwo) {
  MemFileSystem mem;
  mem.AddFile("C:\\a.txt", "a");
  FaultyFileSystem fs(mem);
  fs.FailOn(FaultyFileSystem::Call::kAny, "target", ErrorCode::kDiskFull, 2);
  EXPECT_THROW(fs.Copy("C:\\a.txt", "C:\\target.txt", false), Error);
  EXPECT_THROW(fs.AppendFile("C:\\target.txt", "x"), Error);
  fs.AppendFile("C:\\target.txt", "x");  // the two failures are used up
  EXPECT_EQ(mem.Contents("C:\\target.txt"), "x");

  fs.FailOnWith(FaultyFileSystem::Call::kRename, "", "Disk not ready");
  try {
    fs.Rename("C:\\a.txt", "C:\\b.txt");
    ADD_FAILURE() << "no failure";
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), ErrorCode::kOther);
    EXPECT_EQ(error.description(), "Disk not ready: C:\\a.txt");
  }
  fs.ClearFailures();
  fs.Rename("C:\\a.txt", "C:\\b.txt");
  EXPECT_EQ(mem.Contents("C:\\b.txt"), "a");
  EXPECT_EQ(fs.failures(), 3);
}

}  // namespace
}  // namespace vellumo
