#include "common/forms/file_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/error.h"
#include "platform/faulty_file_system.h"
#include "platform/mem_file_system.h"
#include "platform/mem_registry.h"

namespace vellumo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class FileListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name :
         {"b.htm", "A.htm", "notes.txt", "a_merge.htm", "Z.TXT", "c.html", "d.rtf"}) {
      mem_fs_.AddFile(std::string("C:\\sigs\\") + name, "");
    }
    mem_fs_.AddFile("C:\\temp\\Blue.htm", "");
    mem_fs_.AddFile("C:\\temp\\amber.htm", "");
    mem_fs_.AddFolder("C:\\temp\\sub");
  }

  MemRegistry registry_;
  Settings settings_{registry_};
  MemFileSystem mem_fs_;
  FaultyFileSystem fs_{mem_fs_};
  FileListForm lists_{settings_, fs_};
};

TEST_F(FileListTest, LoadPointsEachListAtItsFolderWithItsPattern) {
  settings_.SaveSetting(kVellumo, "Admin Settings", "Signatures Path", "C:\\SIGS");
  lists_.EnsureLoaded();

  EXPECT_THAT(lists_.List(kFilListTXTTemplates), ElementsAre("notes.txt", "Z.TXT"));
  EXPECT_THAT(lists_.List(kFilListHTMTemplates), ElementsAre("c.html"));
  EXPECT_THAT(lists_.List(kFilListRTFTemplates), ElementsAre("d.rtf"));
  EXPECT_THAT(lists_.List(kFilSignatures),
              ElementsAre("A.htm", "a_merge.htm", "b.htm", "c.html", "d.rtf", "notes.txt", "Z.TXT"))
      << "sorted by name ignoring case; folders are not listed";
  EXPECT_EQ(lists_.ListCount(kFilSignatures), 7);
  EXPECT_EQ(lists_.Path(kFilSignatures), "C:\\SIGS");
  EXPECT_THAT(lists_.List(kFilTemplates), ElementsAre("amber.htm", "Blue.htm"));
  EXPECT_EQ(lists_.Path(kFilTemplates), "C:\\temp");
}

TEST_F(FileListTest, HiddenFilesAreLeftOutOfEveryList) {
  for (const char* name : {".DS_Store", "._a.htm", ".hidden.txt"}) {
    mem_fs_.AddFile(std::string("C:\\temp\\") + name, "\x00\x05\x16\x07binary");
    mem_fs_.AddFile(std::string("C:\\sigs\\") + name, "\x00\x05\x16\x07binary");
  }
  settings_.SaveSetting(kVellumo, "Admin Settings", "Signatures Path", "C:\\sigs");
  lists_.EnsureLoaded();
  EXPECT_THAT(lists_.List(kFilTemplates), ElementsAre("amber.htm", "Blue.htm"));
  EXPECT_EQ(lists_.List(kFilSignatures).front(), "A.htm");
  EXPECT_THAT(lists_.List(kFilListTXTTemplates), ElementsAre("notes.txt", "Z.TXT"));
}

TEST_F(FileListTest, DefaultsWhenNoFolderIsSet) {
  mem_fs_.AddFile("C:\\root.htm", "");
  lists_.EnsureLoaded();
  EXPECT_EQ(lists_.Path(kFilSignatures), "c:\\");
  EXPECT_THAT(lists_.List(kFilSignatures), ElementsAre("root.htm"));
  EXPECT_EQ(lists_.Path(kFilListTXTTemplates), "");
  EXPECT_THAT(lists_.List(kFilListTXTTemplates), IsEmpty());
  EXPECT_EQ(lists_.ListCount(kFilListHTMTemplates), 0);
  EXPECT_THAT(lists_.List(kFilTemplates), ElementsAre("amber.htm", "Blue.htm"));
}

TEST_F(FileListTest, MissingOrUnlistableFolderLeavesTheListEmpty) {
  settings_.SaveSetting(kVellumo, "Admin Settings", "HTM Files Path", "C:\\nowhere");
  lists_.EnsureLoaded();
  EXPECT_THAT(lists_.List(kFilTemplates), IsEmpty());

  lists_.SetPath(kFilTemplates, "C:\\temp");
  EXPECT_EQ(lists_.ListCount(kFilTemplates), 2);
  fs_.FailOn(FaultyFileSystem::Call::kListFiles, "temp", ErrorCode::kPermissionDenied);
  lists_.Refresh(kFilTemplates);
  EXPECT_THAT(lists_.List(kFilTemplates), IsEmpty());
}

TEST_F(FileListTest, LoadsOnceAndRefreshSeesNewFiles) {
  lists_.EnsureLoaded();
  settings_.SaveSetting(kVellumo, "Admin Settings", "HTM Files Path", "C:\\sigs");
  lists_.EnsureLoaded();
  EXPECT_EQ(lists_.Path(kFilTemplates), "C:\\temp") << "a second use does not load again";

  mem_fs_.AddFile("C:\\temp\\Cyan.htm", "");
  EXPECT_EQ(lists_.ListCount(kFilTemplates), 2);
  lists_.Refresh(kFilTemplates);
  EXPECT_THAT(lists_.List(kFilTemplates), ElementsAre("amber.htm", "Blue.htm", "Cyan.htm"));
  EXPECT_THROW(lists_.SetPath("filNothing", "C:\\temp"), Error);
}

}  // namespace
}  // namespace vellumo
