// The FileSystem contract, run against the memory fake and the disk (a fresh temporary home).
#include "platform/file_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "base/error.h"
#include "platform/mem_file_system.h"
#include "posix/posix_file_system.h"
#include "tests/support/scoped_temp_dir.h"

namespace vellumo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;
using ::testing::UnorderedElementsAre;

struct Backend {
  virtual ~Backend() = default;
  virtual FileSystem& fs() = 0;
};

struct MemBackend : Backend {
  MemFileSystem mem;
  FileSystem& fs() override { return mem; }
};

struct DiskBackend : Backend {
  test_support::ScopedTempDir home{"vellumo-fs"};
  std::unique_ptr<PosixFileSystem> disk;
  DiskBackend() {
    disk = std::make_unique<PosixFileSystem>(home.str());
    disk->CreateFolder("C:\\");
  }
  FileSystem& fs() override { return *disk; }
};

class FileSystemContract : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (GetParam() == "Mem") {
      backend_ = std::make_unique<MemBackend>();
    } else {
      backend_ = std::make_unique<DiskBackend>();
    }
  }
  FileSystem& fs() { return backend_->fs(); }

  // The Error a call throws; fails the test when it throws none.
  Error ErrorOf(const std::function<void()>& call) {
    try {
      call();
    } catch (const Error& error) {
      return error;
    }
    ADD_FAILURE() << "no Error thrown";
    return Error(ErrorCode::kOther);
  }

  std::unique_ptr<Backend> backend_;
};

TEST_P(FileSystemContract, WritesReadsAndTruncates) {
  const std::string binary("line 1\r\nline\0two\xff\n", 19);
  fs().WriteFile("C:\\a.bin", binary);
  EXPECT_EQ(fs().ReadFile("C:\\a.bin"), binary);
  EXPECT_EQ(fs().FileSize("C:\\a.bin"), binary.size());
  fs().WriteFile("C:\\a.bin", "short");
  EXPECT_EQ(fs().ReadFile("C:\\a.bin"), "short");
  fs().WriteFile("C:\\a.bin", "");
  EXPECT_EQ(fs().ReadFile("C:\\a.bin"), "");
  EXPECT_TRUE(fs().FileExists("C:\\a.bin"));
}

TEST_P(FileSystemContract, AppendCreatesThenAppends) {
  fs().AppendFile("C:\\log.txt", "one\r\n");
  fs().AppendFile("C:\\LOG.TXT", "two\r\n");
  fs().AppendFile("C:\\log.txt", "");
  EXPECT_EQ(fs().ReadFile("C:\\log.txt"), "one\r\ntwo\r\n");
  EXPECT_THAT(fs().ListFiles("C:\\", "*"), ElementsAre("log.txt"));
}

TEST_P(FileSystemContract, MissingThingsGiveClassicCodesNamingThePath) {
  Error missing_file = ErrorOf([&] { fs().ReadFile("C:\\nothere.txt"); });
  EXPECT_EQ(missing_file.code(), ErrorCode::kFileNotFound);
  EXPECT_EQ(missing_file.detail(), "C:\\nothere.txt");
  EXPECT_EQ(missing_file.description(), "File not found");

  Error missing_folder = ErrorOf([&] { fs().ReadFile("C:\\no\\where.txt"); });
  EXPECT_EQ(missing_folder.code(), ErrorCode::kPathNotFound);
  EXPECT_EQ(missing_folder.detail(), "C:\\no\\where.txt");

  EXPECT_EQ(ErrorOf([&] { fs().WriteFile("C:\\no\\a.txt", "x"); }).code(),
            ErrorCode::kPathNotFound);
  EXPECT_EQ(ErrorOf([&] { fs().AppendFile("C:\\no\\a.txt", "x"); }).code(),
            ErrorCode::kPathNotFound);
  EXPECT_EQ(ErrorOf([&] { fs().FileSize("C:\\nothere.txt"); }).code(), ErrorCode::kFileNotFound);
  EXPECT_EQ(ErrorOf([&] { fs().RemoveFile("C:\\nothere.txt"); }).code(), ErrorCode::kFileNotFound);
  EXPECT_EQ(ErrorOf([&] { fs().RemoveFolder("C:\\nothere"); }).code(), ErrorCode::kPathNotFound);
  EXPECT_EQ(ErrorOf([&] { fs().Copy("C:\\nothere.txt", "C:\\b.txt", true); }).code(),
            ErrorCode::kFileNotFound);
  EXPECT_EQ(ErrorOf([&] { fs().Rename("C:\\nothere.txt", "C:\\b.txt"); }).code(),
            ErrorCode::kFileNotFound);
  EXPECT_FALSE(fs().FileExists("C:\\b.txt")) << "a failed copy or rename leaves nothing";
}

TEST_P(FileSystemContract, FoldersAndFilesAreNotInterchangeable) {
  fs().CreateFolder("C:\\dir");
  fs().WriteFile("C:\\file", "x");
  EXPECT_EQ(ErrorOf([&] { fs().ReadFile("C:\\dir"); }).code(), ErrorCode::kPathFileAccess);
  EXPECT_EQ(ErrorOf([&] { fs().WriteFile("C:\\dir", "x"); }).code(), ErrorCode::kPathFileAccess);
  EXPECT_EQ(ErrorOf([&] { fs().AppendFile("C:\\dir", "x"); }).code(), ErrorCode::kPathFileAccess);
  EXPECT_EQ(ErrorOf([&] { fs().RemoveFile("C:\\dir"); }).code(), ErrorCode::kPathFileAccess);
  EXPECT_EQ(ErrorOf([&] { fs().Copy("C:\\file", "C:\\dir", true); }).code(),
            ErrorCode::kPathFileAccess);
  EXPECT_EQ(ErrorOf([&] { fs().CreateFolder("C:\\file\\sub"); }).code(),
            ErrorCode::kPathFileAccess);
  EXPECT_EQ(ErrorOf([&] { fs().ReadFile("C:\\file\\sub.txt"); }).code(), ErrorCode::kPathNotFound);
  EXPECT_FALSE(fs().FileExists("C:\\dir"));
  EXPECT_FALSE(fs().FolderExists("C:\\file"));
  EXPECT_TRUE(fs().FolderExists("C:\\DIR"));
  EXPECT_EQ(fs().ReadFile("C:\\file"), "x");
}

TEST_P(FileSystemContract, ComponentsMatchIgnoringCase) {
  fs().CreateFolder("C:\\temp");
  fs().WriteFile("C:\\temp\\a.htm", "<p>");
  EXPECT_EQ(fs().ReadFile("C:\\Temp\\A.HTM"), "<p>");
  EXPECT_TRUE(fs().FileExists("c:/TEMP/a.HTM"));
  fs().WriteFile("C:\\TEMP\\A.htm", "<b>");
  EXPECT_THAT(fs().ListFiles("C:\\temp", "*.*"), ElementsAre("a.htm"))
      << "a write in other case replaces the file, as on the original system";
  EXPECT_EQ(fs().ReadFile("C:\\temp\\a.htm"), "<b>");
  EXPECT_EQ(fs().NativePath("C:\\TeMp\\A.Htm"), fs().NativePath("C:\\temp\\a.htm"));
}

TEST_P(FileSystemContract, DrivesAreCTheMappedLettersAndTheNativeRoot) {
  EXPECT_THAT(fs().Drives(), ElementsAre("C:\\", "/"));
  fs().CreateFolder("e:\\");
  fs().CreateFolder("A:\\x");
  EXPECT_THAT(fs().Drives(), ElementsAre("A:\\", "C:\\", "E:\\", "/"));
}

TEST_P(FileSystemContract, ShownPathIsWindowsStyleUnderADriveAndNativeElsewhere) {
  fs().CreateFolder("C:\\Temp\\Sub");
  fs().CreateFolder("D:\\Data");
  EXPECT_EQ(fs().ShownPath("c:\\TEMP\\sub\\"), "C:\\Temp\\Sub") << "stored case, no separator";
  EXPECT_EQ(fs().ShownPath("c:/temp/new/"), "C:\\Temp\\new") << "need not exist";
  EXPECT_EQ(fs().ShownPath("C:"), "C:\\");
  EXPECT_EQ(fs().ShownPath(fs().NativePath("D:\\data")), "D:\\Data")
      << "a native path under a drive's folder";
  const std::string outside = WinPath::NativeParent(fs().NativePath("C:\\"));
  EXPECT_EQ(fs().ShownPath(outside), outside);
  EXPECT_EQ(fs().ShownPath("/"), "/");
  EXPECT_EQ(ErrorOf([&] { (void)fs().ShownPath("\\\\server\\share"); }).code(),
            ErrorCode::kBadFileName);
}

TEST_P(FileSystemContract, ListsSortedIgnoringCaseWithPlainWildcards) {
  fs().CreateFolder("C:\\t\\sub.htm");
  fs().CreateFolder("C:\\t\\Alpha");
  for (const char* name : {"b.htm", "A.htm", "c.HTM", "d.html", "e.txt", "noext"}) {
    fs().WriteFile(std::string("C:\\t\\") + name, name);
  }
  EXPECT_THAT(fs().ListFiles("C:\\t", "*.htm"), ElementsAre("A.htm", "b.htm", "c.HTM"));
  EXPECT_THAT(fs().ListFiles("C:\\T\\", "*.*"),
              ElementsAre("A.htm", "b.htm", "c.HTM", "d.html", "e.txt", "noext"));
  EXPECT_THAT(fs().ListFiles("C:\\t", ""),
              ElementsAre("A.htm", "b.htm", "c.HTM", "d.html", "e.txt", "noext"));
  EXPECT_THAT(fs().ListFiles("C:\\t", "?.HT?"), ElementsAre("A.htm", "b.htm", "c.HTM"));
  EXPECT_THAT(fs().ListFiles("C:\\t", "*.htm;*.txt"),
              ElementsAre("A.htm", "b.htm", "c.HTM", "e.txt"));
  EXPECT_THAT(fs().ListFolders("C:\\t"), ElementsAre("Alpha", "sub.htm"));
  EXPECT_THAT(fs().ListFiles("C:\\missing", "*.*"), IsEmpty());
  EXPECT_THAT(fs().ListFolders("C:\\missing"), IsEmpty());
  EXPECT_THAT(fs().ListFiles("C:\\t\\b.htm", "*.*"), IsEmpty());
}

TEST_P(FileSystemContract, FilesStartingWithMatchesBytesAndSkipsFolders) {
  fs().CreateFolder("C:\\t\\ab.folder");
  for (const char* name : {"ab.1", "ab.2,S", "Ab.3", "xab"}) {
    fs().WriteFile(std::string("C:\\t\\") + name, name);
  }
  EXPECT_THAT(fs().FilesStartingWith("C:\\t", "ab."), UnorderedElementsAre("ab.1", "ab.2,S"));
  EXPECT_THAT(fs().FilesStartingWith("C:\\t", ""), SizeIs(4));
  EXPECT_THAT(fs().FilesStartingWith("C:\\missing", "ab"), IsEmpty());
}

TEST_P(FileSystemContract, CopiesOnlyOverAnExistingFileWhenAsked) {
  fs().WriteFile("C:\\a.txt", "new");
  fs().WriteFile("C:\\b.txt", "old");
  Error refused = ErrorOf([&] { fs().Copy("C:\\a.txt", "C:\\B.TXT", false); });
  EXPECT_EQ(refused.code(), ErrorCode::kPathFileAccess);
  EXPECT_EQ(refused.detail(), "C:\\B.TXT");
  EXPECT_EQ(fs().ReadFile("C:\\b.txt"), "old");
  fs().Copy("C:\\a.txt", "C:\\B.TXT", true);
  EXPECT_EQ(fs().ReadFile("C:\\b.txt"), "new");
  fs().Copy("C:\\a.txt", "C:\\c.txt", false);
  EXPECT_EQ(fs().ReadFile("C:\\c.txt"), "new");
  fs().Copy("C:\\a.txt", "C:\\A.txt", true);
  EXPECT_EQ(fs().ReadFile("C:\\a.txt"), "new") << "a copy onto itself keeps the content";
  EXPECT_EQ(ErrorOf([&] { fs().Copy("C:\\a.txt", "C:\\no\\c.txt", true); }).code(),
            ErrorCode::kPathNotFound);
}

TEST_P(FileSystemContract, RemovesFilesAndOnlyEmptyFolders) {
  fs().CreateFolder("C:\\x\\y");
  fs().WriteFile("C:\\x\\y\\f.txt", "f");
  EXPECT_EQ(ErrorOf([&] { fs().RemoveFolder("C:\\x"); }).code(), ErrorCode::kPathFileAccess);
  fs().RemoveFile("C:\\X\\Y\\F.TXT");
  EXPECT_FALSE(fs().FileExists("C:\\x\\y\\f.txt"));
  fs().RemoveFolder("C:\\x\\y");
  fs().RemoveFolder("C:\\x");
  EXPECT_FALSE(fs().FolderExists("C:\\x"));
}

TEST_P(FileSystemContract, CreateFolderMakesParentsAndAcceptsExisting) {
  fs().CreateFolder("C:\\Program Files\\Corvane\\Vellumo\\Programs");
  fs().CreateFolder("c:\\program files\\corvane");
  EXPECT_TRUE(fs().FolderExists(WinPath::kProgramFolder));
  EXPECT_THAT(fs().ListFolders("C:\\"), ElementsAre("Program Files"));
}

TEST_P(FileSystemContract, RenamesFilesAndFoldersWithoutReplacing) {
  fs().CreateFolder("C:\\old\\inner");
  fs().WriteFile("C:\\old\\inner\\f.txt", "f");
  fs().Rename("C:\\old", "C:\\new");
  EXPECT_EQ(fs().ReadFile("C:\\new\\inner\\f.txt"), "f");
  EXPECT_FALSE(fs().FolderExists("C:\\old"));

  fs().WriteFile("C:\\a.txt", "a");
  fs().WriteFile("C:\\b.txt", "b");
  Error exists = ErrorOf([&] { fs().Rename("C:\\a.txt", "C:\\B.txt"); });
  EXPECT_EQ(exists.code(), ErrorCode::kPathFileAccess);
  EXPECT_EQ(exists.detail(), "C:\\B.txt");
  EXPECT_EQ(fs().ReadFile("C:\\a.txt"), "a");
  EXPECT_EQ(fs().ReadFile("C:\\b.txt"), "b");
  EXPECT_EQ(ErrorOf([&] { fs().Rename("C:\\a.txt", "C:\\no\\a.txt"); }).code(),
            ErrorCode::kPathNotFound);
  EXPECT_EQ(ErrorOf([&] { fs().Rename("C:\\new", "C:\\new\\inner\\x"); }).code(),
            ErrorCode::kPathFileAccess);

  fs().Rename("C:\\a.txt", "C:\\new\\moved.txt");
  EXPECT_EQ(fs().ReadFile("C:\\new\\moved.txt"), "a");
  EXPECT_FALSE(fs().FileExists("C:\\a.txt"));
}

TEST_P(FileSystemContract, WriteNewFileGoesThroughTheOtherFolderAndNeverReplaces) {
  fs().CreateFolder("C:\\box\\tmp");
  fs().CreateFolder("C:\\box\\cur");
  fs().WriteNewFile("C:\\box\\tmp\\m1", "C:\\box\\cur\\m1:2,S", "first");
  EXPECT_EQ(fs().ReadFile("C:\\box\\cur\\m1:2,S"), "first");
  EXPECT_EQ(fs().ListFiles("C:\\box\\tmp", "*"), std::vector<std::string>{});

  Error exists =
      ErrorOf([&] { fs().WriteNewFile("C:\\box\\tmp\\m1", "C:\\box\\CUR\\M1:2,S", "second"); });
  EXPECT_EQ(exists.code(), ErrorCode::kPathFileAccess);
  EXPECT_EQ(fs().ReadFile("C:\\box\\cur\\m1:2,S"), "first");
  EXPECT_EQ(fs().ListFiles("C:\\box\\tmp", "*"), std::vector<std::string>{});

  EXPECT_EQ(ErrorOf([&] { fs().WriteNewFile("C:\\box\\tmp\\m2", "C:\\box\\new\\m2", "x"); }).code(),
            ErrorCode::kPathNotFound);
  EXPECT_EQ(fs().ListFiles("C:\\box\\tmp", "*"), std::vector<std::string>{});
}

TEST_P(FileSystemContract, RenameToOtherCaseChangesTheSpelling) {
  fs().WriteFile("C:\\report.txt", "r");
  fs().Rename("C:\\report.txt", "C:\\Report.TXT");
  EXPECT_THAT(fs().ListFiles("C:\\", "*.*"), ElementsAre("Report.TXT"));
  EXPECT_EQ(fs().ReadFile("C:\\report.txt"), "r");
}

TEST_P(FileSystemContract, DotDotCannotEscapeTheDrive) {
  fs().WriteFile("C:\\..\\..\\..\\escape.txt", "e");
  EXPECT_EQ(fs().ReadFile("C:\\escape.txt"), "e");
  EXPECT_EQ(fs().NativePath("C:\\..\\escape.txt"), fs().NativePath("C:\\escape.txt"));
  std::string root = fs().NativePath("C:\\");
  EXPECT_EQ(fs().NativePath("C:\\..\\..\\etc\\passwd"), root + "/etc/passwd");
  EXPECT_FALSE(fs().FileExists("C:\\..\\..\\etc\\passwd"));
}

TEST_P(FileSystemContract, NetworkPathsAreBadFileNames) {
  EXPECT_EQ(ErrorOf([&] { fs().ReadFile("\\\\server\\share\\a.htm"); }).code(),
            ErrorCode::kBadFileName);
  EXPECT_EQ(ErrorOf([&] { fs().WriteFile("\\\\server\\share\\a.htm", "x"); }).code(),
            ErrorCode::kBadFileName);
  EXPECT_FALSE(fs().FileExists("\\\\server\\share\\a.htm"));
  EXPECT_FALSE(fs().FolderExists("\\\\server\\share"));
}

TEST_P(FileSystemContract, NativePathsReachTheSameFiles) {
  fs().WriteFile("C:\\n.txt", "n");
  std::string native = fs().NativePath("C:\\n.txt");
  EXPECT_EQ(native.front(), '/');
  EXPECT_EQ(fs().ReadFile(native), "n");
  fs().AppendFile(native, "!");
  EXPECT_EQ(fs().ReadFile("C:\\N.TXT"), "n!");
}

INSTANTIATE_TEST_SUITE_P(, FileSystemContract, ::testing::Values("Mem", "Disk"),
                         [](const ::testing::TestParamInfo<std::string>& p) { return p.param; });

TEST(MatchesPattern, PlainWildcardsIgnoringCase) {
  EXPECT_TRUE(MatchesPattern("Letter.HTM", "*.htm"));
  EXPECT_FALSE(MatchesPattern("a.html", "*.htm"));
  EXPECT_FALSE(MatchesPattern("a.htm.bak", "*.htm"));
  EXPECT_TRUE(MatchesPattern("noext", "*.*"));
  EXPECT_TRUE(MatchesPattern("a.b.c", "*.*"));
  EXPECT_FALSE(MatchesPattern("noext", "*x.*")) << "only \"*.*\" itself matches names without dot";
  EXPECT_TRUE(MatchesPattern("abc", "a?c"));
  EXPECT_FALSE(MatchesPattern("ac", "a?c"));
  EXPECT_FALSE(MatchesPattern("a.ht", "*.ht?")) << "'?' needs one character";
  EXPECT_TRUE(MatchesPattern("Übersicht.htm", "ü*"));
  EXPECT_TRUE(MatchesPattern("é.htm", "?.htm")) << "'?' is one character, not one byte";
  EXPECT_TRUE(MatchesPattern("x.txt", "*.htm;*.txt"));
  EXPECT_FALSE(MatchesPattern("x", ""));
  EXPECT_TRUE(MatchesPattern("aaa", "a**a"));
  EXPECT_FALSE(MatchesPattern(std::string(200, 'a'), std::string(50, '*') + "b"));
}

TEST(SortNames, CaseInsensitiveThenByBytes) {
  std::vector<std::string> names = {"b", "a", "B", "_x", "A", "10", "9"};
  SortNames(names);
  EXPECT_THAT(names, ElementsAre("10", "9", "_x", "A", "a", "B", "b"));
}

}  // namespace
}  // namespace vellumo
