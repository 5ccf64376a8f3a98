#include "localmail/maildir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/error.h"
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
  // A sender's claim is not part of it either, and names come back as they were.
  EXPECT_EQ(UniqueOf("1700000000.ab.host,C=41.9000:2,PS"), "1700000000.ab.host");
  const MaildirName name = ParseMaildirName("1.a.host,S=12,C=41.9000:2,PS");
  EXPECT_EQ(name.unique, "1.a.host,S=12");
  EXPECT_EQ(name.claim, "41.9000");
  EXPECT_EQ(name.flags, "PS");
  EXPECT_EQ(FormatMaildirName(name), "1.a.host,S=12,C=41.9000:2,PS");
  EXPECT_EQ(WithFlag("S", kTransmittedFlag), "PS");
  EXPECT_EQ(WithFlag("PS", kTransmittedFlag), "PS");
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
  EXPECT_EQ(box_.Find("3.c"), std::nullopt);  // a prefix of a unique name is another name

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

TEST_F(MaildirTest, DeliveringIfAbsentLeavesAMessageOfThatNameAsItIs) {
  fs_.AddFile(std::string(kFolder) + "/new/1.a.host", "filed earlier");
  box_.Deliver("2.b.host", "filed earlier too", "RS");
  EXPECT_EQ(box_.DeliverIfAbsent("1.a.host", "again", "S"), std::nullopt);
  EXPECT_EQ(box_.DeliverIfAbsent("2.b.host", "again", "S"), std::nullopt);
  EXPECT_EQ(box_.DeliverIfAbsent("2.b", "new", "S"), std::string(kFolder) + "/cur/2.b:2,S");
  EXPECT_THROW(box_.DeliverIfAbsent("../escape", "x", "S"), Error);
  EXPECT_EQ(fs_.Contents(std::string(kFolder) + "/new/1.a.host"), "filed earlier");
  EXPECT_EQ(fs_.Contents(std::string(kFolder) + "/cur/2.b.host:2,RS"), "filed earlier too");
  EXPECT_EQ(fs_.Contents(std::string(kFolder) + "/cur/2.b:2,S"), "new");
  EXPECT_THAT(fs_.ListFiles(std::string(kFolder) + "/tmp", ""), IsEmpty());
  EXPECT_EQ(box_.List().size(), 3u);
}

TEST_F(MaildirTest, AFailedRenameLeavesNoCopyInTmp) {
  FaultyFileSystem faulty(fs_);
  faulty.FailOn(FaultyFileSystem::Call::kRename, "", ErrorCode::kDiskFull);
  Maildir box(faulty, std::string(kFolder));
  EXPECT_THROW(box.Deliver("1.a.host", "x", "S"), Error);
  EXPECT_THAT(fs_.ListFiles(std::string(kFolder) + "/tmp", ""), IsEmpty());
  EXPECT_THAT(box_.List(), IsEmpty());
}

TEST_F(MaildirTest, OnlyOneSenderCanClaimAMessageAndItsStateChangesByRenaming) {
  const std::string path = box_.Deliver("1.a.host", "first", "S");
  const std::optional<std::string> mine = box_.Claim(path, "41.9000");
  ASSERT_TRUE(mine);
  EXPECT_EQ(*mine, std::string(kFolder) + "/cur/1.a.host,C=41.9000:2,S");
  // Another sender that listed the folder before: the file is gone for it, not an error.
  EXPECT_EQ(box_.Claim(path, "42.9100"), std::nullopt);
  ASSERT_THAT(box_.List(), testing::SizeIs(1));
  EXPECT_EQ(box_.List()[0].claim, "41.9000");
  EXPECT_EQ(box_.List()[0].unique, "1.a.host");

  const std::optional<std::string> marked = box_.SetFlags(*mine, WithFlag("S", kTransmittedFlag));
  ASSERT_TRUE(marked);
  const std::optional<std::string> released = box_.Release(*marked);
  ASSERT_TRUE(released);
  EXPECT_EQ(*released, std::string(kFolder) + "/cur/1.a.host:2,PS");
  EXPECT_EQ(fs_.Contents(*released), "first");
  EXPECT_EQ(box_.Release(*marked), std::nullopt);

  const std::string claimed = box_.DeliverClaimed("2.b.host", "second", "S", "41.9000");
  EXPECT_EQ(claimed, std::string(kFolder) + "/cur/2.b.host,C=41.9000:2,S");
  EXPECT_EQ(box_.Find("2.b.host"), claimed);
}

TEST_F(MaildirTest, AClaimThatCannotBeMadeForAnotherReasonIsAnError) {
  FaultyFileSystem faulty(fs_);
  Maildir box(faulty, std::string(kFolder));
  const std::string path = box.Deliver("1.a.host", "first", "S");
  faulty.FailOn(FaultyFileSystem::Call::kRename, "", ErrorCode::kPermissionDenied);
  EXPECT_THROW((void)box.Claim(path, "41.9000"), Error);
}

}  // namespace
}  // namespace vellumo::localmail
