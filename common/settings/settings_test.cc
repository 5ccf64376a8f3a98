#include "common/settings/settings.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "platform/mem_registry.h"

namespace vellumo {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  MemRegistry registry_;
  Settings settings_{registry_};
};

TEST_F(SettingsTest, NamesAreCaseInsensitiveAndValuesKeepTheirCase) {
  settings_.SaveSetting("Vellumo", "user settings", "Template", "Blue Sky.htm");
  EXPECT_EQ(settings_.GetSetting("vellumo", "User Settings", "template"), "Blue Sky.htm");
  EXPECT_EQ(settings_.GetSetting("VELLUMO", "USER SETTINGS", "TEMPLATE", "x"), "Blue Sky.htm");

  // One value under two spellings: the second write replaces the first.
  settings_.SaveSetting("Vellumo", "Admin Settings", "Sigfax", "1");
  settings_.SaveSetting("Vellumo", "Admin Settings", "SigFax", "2");
  auto keys = settings_.Keys("Vellumo", "admin settings");
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].second, "2");
}

TEST_F(SettingsTest, MissingValuesGiveTheReadersDefaultAndCreateNothing) {
  EXPECT_EQ(settings_.GetSetting("Vellumo", "User Settings", "Template"), "");
  EXPECT_EQ(settings_.GetSetting("Vellumo", "User Settings", "SettingButtonBar", "on"), "on");
  EXPECT_EQ(settings_.GetSetting("Nobody", "Nothing", "Key", "dflt"), "dflt");
  EXPECT_FALSE(registry_.KeyExists(Settings::KeyPath("Vellumo")));
  EXPECT_FALSE(registry_.KeyExists(Settings::KeyPath("Nobody")));
  EXPECT_TRUE(settings_.Applications().empty());
}

TEST_F(SettingsTest, SwitchesAreStoredAsTextExactlyAsGiven) {
  // Readers compare with "True" exactly; the store must not normalise "true".
  settings_.SaveSetting("Vellumo", "Admin Settings", "AutoPreview", "true");
  EXPECT_EQ(settings_.GetSetting("Vellumo", "Admin Settings", "AutoPreview", "False"), "true");
  auto value = registry_.GetValue(Settings::KeyPath("Vellumo", "Admin Settings"), "AutoPreview");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->kind(), RegType::kString);
}

TEST_F(SettingsTest, DeletingASignatureSectionRemovesAllItsKeys) {
  settings_.SaveSetting("Vellumo", "Work", "SigFullname", "Ada Lovelace");
  settings_.SaveSetting("Vellumo", "Work", "SigEmail", "ada@example.com");
  settings_.SaveSetting("Vellumo", "Home", "SigFullname", "Ada");
  settings_.DeleteSetting("Vellumo", "work");
  EXPECT_EQ(settings_.GetSetting("Vellumo", "Work", "SigFullname", "gone"), "gone");
  EXPECT_EQ(settings_.GetSetting("Vellumo", "Work", "SigEmail"), "");
  EXPECT_EQ(settings_.GetSetting("Vellumo", "Home", "SigFullname"), "Ada");
  EXPECT_EQ(settings_.Sections("Vellumo"), std::vector<std::string>{"Home"});
  // A section that is not there is no failure.
  settings_.DeleteSetting("Vellumo", "Never There");
}

TEST_F(SettingsTest, ValuesOfOtherRegistryTypesReadAsText) {
  registry_.SetValue(Settings::KeyPath("Vellumo", "System Settings"), "LastTipNumber",
                     RegValue::Dword(7));
  EXPECT_EQ(settings_.GetSetting("Vellumo", "System Settings", "LastTipNumber", "1"), "7");
}

TEST_F(SettingsTest, EmptyApplicationOrSectionIsRefusedOnWriteAndDefaultsOnRead) {
  EXPECT_THROW(settings_.SaveSetting("", "User Settings", "Template", "x"), Error);
  EXPECT_THROW(settings_.SaveSetting("Vellumo", "", "Template", "x"), Error);
  EXPECT_THROW(settings_.DeleteSetting("Vellumo", ""), Error);
  EXPECT_EQ(settings_.GetSetting("Vellumo", "", "Template", "d"), "d");
  // Nothing was written by the refused calls.
  EXPECT_TRUE(settings_.Applications().empty());
}

TEST_F(SettingsTest, ListingsKeepTheCaseTheValuesWereCreatedWith) {
  settings_.SaveSetting("Vellumo", "Template Settings", "UserCode1", "[#Dept#]");
  settings_.SaveSetting("Vellumo", "Template Settings", "UserSwap1", "Sales");
  settings_.SaveSetting("Vellumo Setup Wiz", "Vellumo", "IntroductionScreen", "DontShow");
  EXPECT_EQ(settings_.Applications(), (std::vector<std::string>{"Vellumo", "Vellumo Setup Wiz"}));
  auto keys = settings_.Keys("Vellumo", "Template Settings");
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].first, "UserCode1");
  EXPECT_EQ(keys[1].first, "UserSwap1");
}

}  // namespace
}  // namespace vellumo
