#include "common/settings/keys.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

#include "base/text.h"
#include "platform/mem_registry.h"

namespace vellumo {
namespace {

TEST(SettingKeys, EveryRowIsCompleteAndNoUseIsListedTwice) {
  std::set<const SettingKey*> seen;
  std::set<std::tuple<std::string, std::string, std::string, std::string>> uses;
  for (const SettingKey* key : keys::KnownKeys()) {
    EXPECT_TRUE(seen.insert(key).second) << key->name << " is listed twice";
    EXPECT_FALSE(key->application.empty()) << key->name;
    EXPECT_FALSE(key->section.empty()) << key->name;
    EXPECT_FALSE(key->name.empty());
    EXPECT_FALSE(key->description.empty()) << key->name;
    // Two rows of one key must differ in what an unset value reads as, or one is redundant.
    EXPECT_TRUE(uses.emplace(text::LCase(key->application), text::LCase(key->section),
                             text::LCase(key->name), std::string(key->default_value))
                    .second)
        << key->section << " " << key->name << " has two rows with the default \""
        << key->default_value << "\"";
  }
  EXPECT_GT(seen.size(), 150u);
}

// Rows of one key share the stored value: only an unset key reads differently.
TEST(SettingKeys, RowsWithAnotherDefaultShareTheStoredValue) {
  MemRegistry registry;
  Settings settings(registry);
  EXPECT_EQ(settings.Get(keys::HtmFilesPath), "C:\\temp");
  EXPECT_EQ(settings.Get(keys::HtmFilesPathAsSet), "");
  EXPECT_EQ(settings.Get(keys::SignaturesPath), "C:\\temp");
  EXPECT_EQ(settings.Get(keys::SignaturesPathFirstTry), "c:");
  EXPECT_EQ(settings.Get(keys::SignatureListFolder), "c:\\");
  EXPECT_EQ(settings.Get(keys::SignatureTemplatesFolder), "");
  EXPECT_EQ(settings.Get(keys::SigTelephoneLabel), "");
  EXPECT_EQ(settings.Get(keys::CompositionTelephoneLabel), "Tel:");

  settings.Set(keys::HtmFilesPathAsSet, "D:\\Stationery");
  settings.Set(keys::SignaturesPath, "");
  settings.Set(keys::CompositionFaxLabel, "Fax -");
  EXPECT_EQ(settings.Get(keys::HtmFilesPath), "D:\\Stationery");
  EXPECT_EQ(settings.Get(keys::HtmFilesPathAsSet), "D:\\Stationery");
  // A value stored empty is a value: no row's default replaces it.
  EXPECT_EQ(settings.Get(keys::SignaturesPathFirstTry), "");
  EXPECT_EQ(settings.Get(keys::SignatureListFolder), "");
  EXPECT_EQ(settings.Get(keys::SigFaxLabel), "Fax -");
  EXPECT_EQ(settings.GetSetting("vellumo", "admin settings", "htm files path"), "D:\\Stationery");
}

TEST(SettingKeys, ReadersOfARow) {
  MemRegistry registry;
  Settings settings(registry);
  // Unset: Get gives the row's default, Stored and Find say nothing is there.
  EXPECT_EQ(settings.Get(keys::BrowserTop), "990");
  EXPECT_EQ(settings.Stored(keys::BrowserTop), "");
  EXPECT_FALSE(settings.Find(keys::BrowserTop).has_value());
  EXPECT_TRUE(settings.IsTrue(keys::WipeoutBlockquote));  // its default is "True"
  EXPECT_FALSE(registry.KeyExists(Settings::KeyPath("Vellumo")));

  settings.Set(keys::BrowserTop, "");
  EXPECT_EQ(settings.Get(keys::BrowserTop), "");
  ASSERT_TRUE(settings.Find(keys::BrowserTop).has_value());
  EXPECT_EQ(*settings.Find(keys::BrowserTop), "");

  // A switch is on only for exactly "True".
  settings.Set(keys::WipeoutBlockquote, "true");
  EXPECT_FALSE(settings.IsTrue(keys::WipeoutBlockquote));
  settings.Set(keys::AutoPreview, "True");
  EXPECT_TRUE(settings.IsTrue(keys::AutoPreview));

  // A signature profile keeps the same names under its own section.
  settings.SaveSetting("Vellumo", "Work", "SigFullname", "Ada Lovelace");
  EXPECT_EQ(settings.GetInSection(keys::SigFullname, "work"), "Ada Lovelace");
  EXPECT_EQ(settings.GetInSection(keys::SigBGColor, "Work"), "#FFFFFF");
  EXPECT_EQ(settings.Get(keys::SigFullname), "");
}

}  // namespace
}  // namespace vellumo
