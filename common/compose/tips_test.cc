#include "common/compose/tips.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/diagnostics/log.h"
#include "common/settings/settings.h"
#include "platform/faulty_file_system.h"
#include "platform/mem_file_system.h"
#include "platform/mem_registry.h"
#include "tests/support/source_dir.h"

namespace vellumo::compose {
namespace {

constexpr std::string_view kTips = "C:\\tips\\tips.txt";

// Lines numbered first.. first+count-1, each "<n> Tip <n>", CR LF line ends.
std::string NumberedTips(int first, int count) {
  std::string out;
  for (int n = first; n < first + count; ++n) {
    out += std::to_string(n) + " Tip " + std::to_string(n) + "\r\n";
  }
  return out;
}

class TipsTest : public ::testing::Test {
 protected:
  TipsTest() { Admin("TipsFileLocation", kTips); }
  void Admin(std::string_view key, std::string_view value) {
    settings_.SaveSetting("Vellumo", "Admin Settings", key, value);
  }
  void SetLast(std::string_view value) {
    settings_.SaveSetting("Vellumo", "System Settings", "LastTipNumber", value);
  }
  std::string Last() const {
    return settings_.GetSetting("Vellumo", "System Settings", "LastTipNumber", "<unset>");
  }
  std::string Quote() const {
    return settings_.GetSetting("Vellumo", "User Settings", "SendQuoteString", "<unset>");
  }
  void Next() { NextTip(settings_, fs_, log_); }

  MemRegistry registry_;
  FaultyRegistry faulty_{registry_};
  Settings settings_{faulty_};
  MemFileSystem mem_;
  FaultyFileSystem fs_{mem_};
  MemLog log_;
};

TEST_F(TipsTest, FirstCallUsesTip15AndRotatesUntilTheLineCountWraps) {
  mem_.AddFile(kTips, NumberedTips(15, 20));  // 20 lines: numbers up to 19 are used
  Next();
  EXPECT_EQ(Quote(), "Tip 15");
  EXPECT_EQ(Last(), "16");
  SetLast("19");
  Next();
  EXPECT_EQ(Quote(), "Tip 19");
  EXPECT_EQ(Last(), "20");
  Next();  // 20 > 19: back to the first tip
  EXPECT_EQ(Quote(), "Tip 15");
  EXPECT_EQ(Last(), "16");
  EXPECT_TRUE(log_.entries.empty());
}

TEST(PickTip, StoredNumberReadAsVal) {
  const std::string tips = NumberedTips(15, 20);
  struct Case {
    std::string stored;
    TipChoice expected;
  };
  const std::vector<Case> cases{
      {"abc", {15, "Tip 15", 16}},    // no number: 0, below the first
      {"", {15, "Tip 15", 16}},       // the same
      {"-3", {15, "Tip 15", 16}},     // below the first
      {"17.9", {17, "Tip 17", 18}},   // the whole-number part
      {" 1 8 ", {18, "Tip 18", 19}},  // spaces inside a number are skipped
      {"17th", {17, "Tip 17", 18}},   // stops at the first other character
      {"&H11", {17, "Tip 17", 18}},   // hexadecimal
      {"1e300", {15, "Tip 15", 16}},  // far past the end: starts over, no overflow
      {"nan", {15, "Tip 15", 16}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PickTip(tips, c.stored), c.expected) << "stored \"" << c.stored << "\"";
  }
}

TEST(PickTip, TextStartsAfterTheOneSeparatorCharacter) {
  // 14 header lines and 6 tips: numbers up to 19 are used.
  const std::string tips =
      std::string(14, '\n') + "15\tTabbed\n16:Colon\r17  Two spaces\n18\n19 x\n20 y";
  EXPECT_EQ(PickTip(tips, "16").text, "Colon");
  EXPECT_EQ(PickTip(tips, "17").text, " Two spaces");       // only one separator is skipped
  EXPECT_EQ(PickTip(tips, "18"), (TipChoice{18, "", 19}));  // a bare number: empty tip
  // Starting over gives tip 15 exactly as asking for it does, separator dropped.
  EXPECT_EQ(PickTip(tips, "15"), (TipChoice{15, "Tabbed", 16}));
  EXPECT_EQ(PickTip(tips, "20"), (TipChoice{15, "Tabbed", 16}));
}

TEST(PickTip, FilesWithoutTheTipGiveAnEmptyQuoteAndStillMoveOn) {
  std::string header;
  for (int i = 0; i < 20; ++i) header += "Notes about tips\r\n";
  EXPECT_EQ(PickTip(header, "17"), (TipChoice{17, "", 18}));
  EXPECT_EQ(PickTip(header + "15 Only one\r\n", "18"), (TipChoice{18, "", 19}));
  // Shorter than its first number: always the first tip.
  EXPECT_EQ(PickTip("15 Hello\r\n16 World\r\n", "16"), (TipChoice{15, "Hello", 16}));
  EXPECT_EQ(PickTip("", "1"), (TipChoice{15, "", 16}));
  EXPECT_EQ(PickTip("no numbers\nat all\n", "1"), (TipChoice{15, "", 16}));
}

TEST_F(TipsTest, EmptyQuoteIsStoredLikeAnyOther) {
  mem_.AddFile(kTips, "");
  settings_.SaveSetting("Vellumo", "User Settings", "SendQuoteString", "old quote");
  Next();
  EXPECT_EQ(Quote(), "");
  EXPECT_EQ(Last(), "16");
}

TEST_F(TipsTest, DefaultLocationAndEncodings) {
  registry_.DeleteValue(Settings::KeyPath("Vellumo", "Admin Settings"), "TipsFileLocation");
  std::string tips(14, '\n');
  tips += "15 Caf\xE9 au lait\n16 x\n";  // Windows-1252
  mem_.AddFile("C:\\Program Files\\Corvane\\Corvane Vellumo\\Support\\tips.txt", tips);
  Next();
  EXPECT_EQ(Quote(), "Café au lait");
  EXPECT_EQ(Last(), "16");
}

TEST_F(TipsTest, MissingTipsFileIsLoggedAndChangesNothing) {
  mem_.AddFolder("C:\\tips");
  SetLast("19");
  settings_.SaveSetting("Vellumo", "User Settings", "SendQuoteString", "old quote");
  Next();
  EXPECT_EQ(Last(), "19");
  EXPECT_EQ(Quote(), "old quote");
  const std::vector<MemLog::Entry> expected{
      {"error", "File not found", "NextTip- C:\\tips\\tips.txt", "NextTip_Err"}};
  EXPECT_EQ(log_.entries, expected);

  log_.entries.clear();
  mem_.AddFile(kTips, NumberedTips(15, 20));
  fs_.FailOn(FaultyFileSystem::Call::kReadFile, "tips.txt", ErrorCode::kPermissionDenied, 1);
  Next();
  EXPECT_EQ(Last(), "19");
  ASSERT_EQ(log_.entries.size(), 1u);
  EXPECT_EQ(log_.entries[0].a, "Permission denied");
  Next();  // the file is back: the rotation resumes where it was
  EXPECT_EQ(Quote(), "Tip 19");
}

TEST_F(TipsTest, SettingsFailuresAreLogged) {
  mem_.AddFile(kTips, NumberedTips(15, 20));
  faulty_.Fail(FaultyRegistry::Call::kGetValue, ErrorCode::kPermissionDenied, 1, 1);
  Next();
  EXPECT_EQ(Last(), "<unset>");
  EXPECT_EQ(Quote(), "<unset>");
  EXPECT_TRUE(mem_.files_read().empty());  // nothing read without knowing the number
  faulty_.Fail(FaultyRegistry::Call::kSetValue, ErrorCode::kPermissionDenied, 1);
  Next();
  EXPECT_EQ(Last(), "<unset>");
  const std::vector<MemLog::Entry> expected{
      {"error", "Permission denied", "NextTip", "NextTip_Err"},
      {"error", "Permission denied", "NextTip", "NextTip_Err"}};
  EXPECT_EQ(log_.entries, expected);
}

// The sample tips file must keep every one of its tips in use.
TEST(SampleTipsFile, RotatesThroughEveryTip) {
  std::ifstream in(test_support::SourceDir() / "resources" / "tips.txt", std::ios::binary);
  ASSERT_TRUE(in) << "resources/tips.txt missing";
  std::stringstream content;
  content << in.rdbuf();
  const std::string tips = content.str();

  std::string last = "1";
  for (int n = 15; n <= 24; ++n) {
    const TipChoice choice = PickTip(tips, last);
    EXPECT_EQ(choice.number, n);
    EXPECT_FALSE(choice.text.empty()) << "tip " << n;
    EXPECT_NE(choice.text.front(), ' ') << "tip " << n;
    last = std::to_string(choice.next_number);
  }
  EXPECT_EQ(PickTip(tips, last).number, 15);
}

}  // namespace
}  // namespace vellumo::compose
