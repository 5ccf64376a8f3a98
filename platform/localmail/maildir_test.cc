#include "platform/localmail/maildir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/faulty_file_system.h"
#include "platform/mem_file_system.h"

namespace vellumo::localmail {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(FolderNames, AnyNameLivesSafelyOnTheDiskAndComesBack) {
  for (std::string_view name : {"Inbox", "tmp", "NEW", "Cur", ".hidden", "..", "100%", "a%2Fb",
                                "Ünïcode ✓", "new.old", " spaced "}) {
    const std::string disk = EncodeFolderName(name);
    EXPECT_EQ(DecodeFolderName(disk), name) << disk;
    EXPECT_NE(disk.front(), '.') << name;
    EXPECT_NE(disk, "tmp");
    EXPECT_NE(disk, "new");
    EXPECT_NE(disk, "cur");
  }
  EXPECT_EQ(EncodeFolderName("Sent Items"), "Sent Items");
  EXPECT_EQ(DecodeFolderName("bad%zz%"), "bad%zz%");  // not an escape: kept
}

TEST(FolderNames, NamesThatCannotBeFoldersAreRefused) {
  EXPECT_NO_THROW(CheckFolderName("Projects 2026"));
  const std::string_view bads[] = {"",     "   ",       "a/b",
                                   "a\\b", "tab\there", std::string_view("nul\0", 4)};
  for (std::string_view bad : bads) {
    EXPECT_THROW(CheckFolderName(bad), Error) << bad;
  }
  EXPECT_THROW(CheckFolderName(std::string(201, 'x')), Error);
}

TEST(UniqueNames, TheFlagsAreNotPartOfTheIdentity) {
  EXPECT_EQ(UniqueOf("1700000000.ab.host:2,RS"), "1700000000.ab.host");
  EXPECT_EQ(UniqueOf("1700000000.ab.host"), "1700000000.ab.host");
  EXPECT_TRUE(IsValidUnique("1700000000.ab.host"));
  EXPECT_FALSE(IsValidUnique(""));
  EXPECT_FALSE(IsValidUnique(".tmp"));
  EXPECT_FALSE(IsValidUnique("../x"));
  EXPECT_FALSE(IsValidUnique("a:2,S"));
}

class MaildirTest : public ::testing::Test {
 protected:
  void SetUp() override { Maildir::Create(fs_, kFolder); }
  static constexpr std::string_view kFolder = "/home/user/mail/box";
  MemFileSystem fs_;
  Maildir box_{fs_, std::string(kFolder)};
};

TEST_F(MaildirTest, DeliveredMessagesGoThroughTmpAndAreListedInOrder) {
  EXPECT_TRUE(Maildir::Exists(fs_, kFolder));
  EXPECT_FALSE(Maildir::Exists(fs_, "/home/user/mail/none"));
  const std::string b = box_.Deliver("2.b.host", "second", "S");
  box_.Deliver("1.a.host", "first", "DS");
  fs_.AddFile(std::string(kFolder) + "/new/3.c.host", "from another program");
  fs_.AddFile(std::string(kFolder) + "/cur/.~vellumo-x.tmp", "half written");

  EXPECT_EQ(b, std::string(kFolder) + "/cur/2.b.host:2,S");
  EXPECT_THAT(fs_.ListFiles(std::string(kFolder) + "/tmp", ""), IsEmpty());
  std::vector<std::string> uniques;
  for (const auto& m : box_.List()) uniques.push_back(m.unique);
  EXPECT_THAT(uniques, ElementsAre("1.a.host", "2.b.host", "3.c.host"));
  EXPECT_EQ(box_.Find("3.c.host"), std::string(kFolder) + "/new/3.c.host");
  EXPECT_EQ(box_.Find("4.d.host"), std::nullopt);

  box_.Replace(b, "second, edited");
  EXPECT_EQ(fs_.Contents(b), "second, edited");
  box_.Remove(b);
  EXPECT_EQ(box_.Find("2.b.host"), std::nullopt);
}

TEST_F(MaildirTest, ATakenUniqueNameIsRefusedAndNothingIsLeftBehind) {
  box_.Deliver("1.a.host", "first", "S");
  EXPECT_THROW(box_.Deliver("1.a.host", "other", "S"), Error);
  EXPECT_THROW(box_.Deliver("../escape", "x", "S"), Error);
  EXPECT_THAT(fs_.ListFiles(std::string(kFolder) + "/tmp", ""), IsEmpty());
  EXPECT_EQ(fs_.Contents(std::string(kFolder) + "/cur/1.a.host:2,S"), "first");
}

TEST_F(MaildirTest, AFailedRenameLeavesNoCopyInTmp) {
  FaultyFileSystem faulty(fs_);
  faulty.FailOn("Rename", "", ErrorCode::kDiskFull);
  Maildir box(faulty, std::string(kFolder));
  EXPECT_THROW(box.Deliver("1.a.host", "x", "S"), Error);
  EXPECT_THAT(fs_.ListFiles(std::string(kFolder) + "/tmp", ""), IsEmpty());
  EXPECT_THAT(box_.List(), IsEmpty());
}

}  // namespace
}  // namespace vellumo::localmail
