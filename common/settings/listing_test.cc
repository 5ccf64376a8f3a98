#include "common/settings/listing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "common/settings/keys.h"
#include "platform/mem_registry.h"

namespace vellumo {
namespace {

std::vector<std::string> Lines(const std::string& listing) {
  std::vector<std::string> lines = text::Split(listing, "\n");
  EXPECT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "") << "the listing ends with a line end";
  lines.pop_back();
  return lines;
}

// The line of the row named `name` with default `default_value`, split at its TABs.
std::vector<std::string> Row(const std::string& listing, std::string_view name,
                             std::string_view default_value) {
  for (const std::string& line : Lines(listing)) {
    std::vector<std::string> fields = text::Split(line, "\t");
    if (fields.size() == 7 && fields[2] == name && fields[3] == default_value) return fields;
  }
  ADD_FAILURE() << "no line for " << name << " with default " << default_value;
  return {};
}

class KnownKeysListingTest : public ::testing::Test {
 protected:
  MemRegistry registry_;
  Settings settings_{registry_};
};

TEST_F(KnownKeysListingTest, EveryRowIsALineWithSevenFields) {
  const std::vector<std::string> lines = Lines(ListKnownKeys(settings_));
  ASSERT_EQ(lines.size(), keys::KnownKeys().size());
  for (const std::string& line : lines) {
    EXPECT_EQ(text::Split(line, "\t").size(), 7u) << line;
  }
  const std::string folder = ListField(WinPath::kProgramFolder);
  EXPECT_EQ(lines.front(), "Vellumo\tAdmin Settings\tApplicationPath\t" + folder + "\t" + folder +
                               "\tdefault\t" + ListField(keys::ApplicationPath.description));
}

TEST_F(KnownKeysListingTest, ShowsDefaultsAndWhatIsStored) {
  std::string listing = ListKnownKeys(settings_);
  EXPECT_EQ(
      Row(listing, "HTM Files Path", "C:\\\\temp"),
      (std::vector<std::string>{"Vellumo", "Admin Settings", "HTM Files Path", "C:\\\\temp",
                                "C:\\\\temp", "default", "Folder of the stationery templates"}));
  // The step that reads the folder as set has its own line, with its own default.
  EXPECT_EQ(Row(listing, "HTM Files Path", "")[4], "");

  settings_.SaveSetting("vellumo", "ADMIN SETTINGS", "htm files path", "D:\\Stat\tionery");
  settings_.Set(keys::Template, "");
  listing = ListKnownKeys(settings_);
  for (std::string_view default_value : {"C:\\\\temp", ""}) {
    const std::vector<std::string> row = Row(listing, "HTM Files Path", default_value);
    ASSERT_EQ(row.size(), 7u);
    EXPECT_EQ(row[4], "D:\\\\Stat\\tionery");
    EXPECT_EQ(row[5], "stored");
  }
  // Stored empty is not the same as unset.
  EXPECT_EQ(Row(listing, "Template", "")[5], "stored");
  EXPECT_EQ(Row(listing, "Signature", "")[5], "default");
  // Quotes and markup in defaults are printed as they are.
  EXPECT_EQ(Row(listing, "WipeoutReplySeparator", "<hr>")[4], "<hr>");
}

TEST_F(KnownKeysListingTest, ApplicationAndSectionNarrowTheListIgnoringCase) {
  const std::vector<std::string> lines =
      Lines(ListKnownKeys(settings_, "VELLUMO", "system settings"));
  ASSERT_FALSE(lines.empty());
  size_t expected = 0;
  for (const SettingKey* key : keys::KnownKeys()) expected += key->section == keys::kSystem;
  EXPECT_EQ(lines.size(), expected);
  for (const std::string& line : lines) EXPECT_EQ(text::Split(line, "\t")[1], "System Settings");
  EXPECT_EQ(ListKnownKeys(settings_, "Nobody"), "");
}

TEST(ListField, EscapesWhatWouldBreakALine) {
  EXPECT_EQ(ListField("a\tb\r\nc\\d"), "a\\tb\\r\\nc\\\\d");
  EXPECT_EQ(ListField("plain text"), "plain text");
  EXPECT_EQ(ListField(""), "");
}

}  // namespace
}  // namespace vellumo
