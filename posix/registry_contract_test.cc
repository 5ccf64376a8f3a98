// The contract every Registry keeps, run against the in-memory registry and against SQLite.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "base/error.h"
#include "platform/mem_registry.h"
#include "platform/registry.h"
#include "posix/sqlite_registry.h"
#include "tests/support/registry_dump.h"
#include "tests/support/scoped_temp_dir.h"

namespace vellumo {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Pair;

struct MemMaker {
  std::unique_ptr<Registry> Make() { return std::make_unique<MemRegistry>(); }
};

// A registry file in a folder of its own, removed with everything in it.
struct SqliteMaker {
  std::unique_ptr<Registry> Make() {
    return std::make_unique<SqliteRegistry>((folder / "registry.db").string());
  }
  test_support::ScopedTempDir folder{"vellumo-registry"};
};

// Every key below the roots with its values, as "path|name=type:text" lines.
using test_support::RegistryDump;

template <class Maker>
class RegistryContract : public ::testing::Test {
 protected:
  Maker maker_;
  std::unique_ptr<Registry> owned_ = maker_.Make();
  Registry& reg_ = *owned_;
};

struct Names {
  template <class T>
  static std::string GetName(int) {
    return std::is_same_v<T, MemMaker> ? "Mem" : "Sqlite";
  }
};
using Implementations = ::testing::Types<MemMaker, SqliteMaker>;
TYPED_TEST_SUITE(RegistryContract, Implementations, Names);

constexpr const char* kSection =
    "HKCU\\Software\\VB and VBA Program Settings\\Vellumo\\user settings";

TYPED_TEST(RegistryContract, NamesAreCaseInsensitiveAndKeepTheirFirstCase) {
  Registry& reg = this->reg_;
  reg.SetValue(kSection, "Template", RegValue::String("Blue Sky.htm"));
  EXPECT_EQ(reg.GetValue("HKEY_CURRENT_USER\\SOFTWARE\\vb and vba program settings\\VELLUMO"
                         "\\User Settings",
                         "template"),
            RegValue::String("Blue Sky.htm"));

  // A second spelling replaces the value but not its name, nor the key's name.
  reg.SetValue("hkcu\\software\\VB AND VBA PROGRAM SETTINGS\\vellumo\\USER SETTINGS", "TEMPLATE",
               RegValue::String("Green.htm"));
  EXPECT_THAT(reg.Values(kSection), ElementsAre(Pair("Template", RegValue::String("Green.htm"))));
  EXPECT_THAT(reg.SubKeys("HKCU\\Software\\VB and VBA Program Settings\\Vellumo"),
              ElementsAre("user settings"));
  EXPECT_THAT(reg.SubKeys("HKCU"), ElementsAre("Software"));

  // Beyond ASCII too.
  reg.SetValue("HKCU\\Ärger\\ΣΊΣΥΦΟΣ", "Straße", RegValue::Dword(1));
  EXPECT_EQ(reg.GetValue("hkcu\\ärger\\σίσυφος", "STRASSE"), std::nullopt)
      << "simple case folding does not expand ß";
  EXPECT_EQ(reg.GetValue("hkcu\\ärger\\σίσυφοσ", "STRAßE"), RegValue::Dword(1));
}

TYPED_TEST(RegistryContract, CreatingAKeyCreatesItsParentsKeepingExistingNames) {
  Registry& reg = this->reg_;
  reg.CreateKey("HKCU\\Alpha\\beta");
  reg.CreateKey("hkcu\\ALPHA\\Beta\\Gamma\\");
  EXPECT_TRUE(reg.KeyExists("HKEY_CURRENT_USER\\alpha\\BETA\\gamma"));
  EXPECT_THAT(reg.SubKeys("HKCU"), ElementsAre("Alpha"));
  EXPECT_THAT(reg.SubKeys("HKCU\\alpha"), ElementsAre("beta"));
  EXPECT_THAT(reg.SubKeys("HKCU\\alpha\\beta"), ElementsAre("Gamma"));
  EXPECT_TRUE(reg.Values("HKCU\\alpha\\beta").empty());
  EXPECT_TRUE(reg.SubKeys("HKCR").empty());
}

TYPED_TEST(RegistryContract, ListingsAreSortedCaseInsensitively) {
  Registry& reg = this->reg_;
  for (const char* name : {"gamma", "Beta", "alpha", "ALPHA2", "b!", "B\\inner"}) {
    reg.CreateKey(std::string("HKCU\\List\\") + name);
  }
  EXPECT_THAT(reg.SubKeys("HKCU\\List"),
              ElementsAre("alpha", "ALPHA2", "B", "b!", "Beta", "gamma"));
  EXPECT_THAT(reg.SubKeys("HKCU\\List\\b"), ElementsAre("inner"));

  for (const char* name : {"zed", "Mid", "", "mid2", "ALPHA"}) {
    reg.SetValue("HKCU\\List", name, RegValue::String(name));
  }
  std::vector<std::string> names;
  for (const auto& [name, value] : reg.Values("HKCU\\List")) names.push_back(name);
  EXPECT_THAT(names, ElementsAre("", "ALPHA", "Mid", "mid2", "zed"));
}

TYPED_TEST(RegistryContract, ReadingNeverCreatesAnything) {
  Registry& reg = this->reg_;
  const std::string before = RegistryDump(reg);
  EXPECT_EQ(reg.GetValue("HKCU\\Software\\Nobody\\Nothing", "Key"), std::nullopt);
  EXPECT_FALSE(reg.KeyExists("HKCU\\Software\\Nobody"));
  EXPECT_TRUE(reg.SubKeys("HKCU\\Software\\Nobody").empty());
  EXPECT_TRUE(reg.Values("HKCU\\Software\\Nobody\\Nothing").empty());
  reg.DeleteValue("HKCU\\Software\\Nobody", "Key");
  reg.DeleteKeyTree("HKCU\\Software\\Nobody");
  EXPECT_FALSE(reg.KeyExists("HKCU\\Software"));
  EXPECT_EQ(RegistryDump(reg), before);

  reg.CreateKey("HKCU\\Software\\Somebody");
  EXPECT_EQ(reg.GetValue("HKCU\\Software\\Somebody", "Missing"), std::nullopt);
  EXPECT_TRUE(reg.Values("HKCU\\Software\\Somebody").empty());
}

TYPED_TEST(RegistryContract, EveryTypeRoundTrips) {
  Registry& reg = this->reg_;
  const std::vector<RegValue> values{
      RegValue::String("plain"),
      RegValue::String(""),
      RegValue::String(std::string("line\r\nbreak and \0 NUL", 21)),
      RegValue::ExpandString("%USERPROFILE%\\Desktop"),
      RegValue::MultiString({"one", "", "drei ü"}),
      RegValue::MultiString({}),
      RegValue::Dword(0),
      RegValue::Dword(0xFFFFFFFF),
      RegValue::Qword(0xFFFFFFFFFFFFFFFFull),
      RegValue::Binary(std::string("\0\x01\xff", 3)),
      RegValue::Binary(""),
      RegValue::Raw(0, "none"),
      RegValue::Raw(0x1234, std::string("\0", 1)),
      RegValue::Raw(static_cast<uint32_t>(RegType::kString), "odd"),
      RegValue::Raw(static_cast<uint32_t>(RegType::kDword), "abc"),
      RegValue::Raw(static_cast<uint32_t>(RegType::kMultiString), std::string("a\0", 2)),
  };
  for (size_t i = 0; i < values.size(); ++i) {
    reg.SetValue("HKCR\\Types", "v" + std::to_string(i + 10), values[i]);
  }
  const auto listed = reg.Values("HKCR\\Types");
  ASSERT_EQ(listed.size(), values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(reg.GetValue("HKCR\\Types", "v" + std::to_string(i + 10)), values[i]) << i;
    EXPECT_EQ(listed[i].second, values[i]) << i;
  }

  // Only the fields of the value's type are kept.
  RegValue mixed = RegValue::String("text");
  mixed.number = 7;
  mixed.parts = {"stray"};
  reg.SetValue("HKCR\\Types", "mixed", mixed);
  EXPECT_EQ(reg.GetValue("HKCR\\Types", "mixed"), RegValue::String("text"));
  // Bytes given for a string type are decoded when they are a string's exact encoding.
  reg.SetValue("HKCR\\Types", "raw", RegValue::Raw(1, std::string("h\0i\0\0\0", 6)));
  EXPECT_EQ(reg.GetValue("HKCR\\Types", "raw"), RegValue::String("hi"));
}

TYPED_TEST(RegistryContract, ValuesNoRegistryCanHoldAreRefusedUnstored) {
  Registry& reg = this->reg_;
  RegValue wide = RegValue::Dword(1);
  wide.number = 0x100000000ull;
  EXPECT_THROW(reg.SetValue("HKCU\\Bad", "wide", wide), Error);
  EXPECT_THROW(reg.SetValue("HKCU\\Bad", "nul", RegValue::MultiString({std::string("a\0b", 3)})),
               Error);
  EXPECT_FALSE(reg.KeyExists("HKCU\\Bad"));
}

TYPED_TEST(RegistryContract, DeletingATreeRemovesTheKeyAndEverythingBelowOnly) {
  Registry& reg = this->reg_;
  reg.SetValue("HKCU\\App\\Work", "SigFullname", RegValue::String("Ada"));
  reg.SetValue("HKCU\\App\\Work\\Deeper\\Deepest", "x", RegValue::Dword(1));
  // Names that sort right next to the deleted tree.
  reg.SetValue("HKCU\\App\\Work!", "keep", RegValue::Dword(2));
  reg.SetValue("HKCU\\App\\Work Home", "keep", RegValue::Dword(3));
  reg.SetValue("HKCU\\App\\Worka", "keep", RegValue::Dword(4));
  reg.SetValue("HKCU\\App\\Work]", "keep", RegValue::Dword(5));
  reg.SetValue("HKCU\\App", "keep", RegValue::Dword(6));

  reg.DeleteKeyTree("hkcu\\app\\WORK");
  EXPECT_FALSE(reg.KeyExists("HKCU\\App\\Work"));
  EXPECT_FALSE(reg.KeyExists("HKCU\\App\\Work\\Deeper\\Deepest"));
  EXPECT_EQ(reg.GetValue("HKCU\\App\\Work", "SigFullname"), std::nullopt);
  EXPECT_THAT(reg.SubKeys("HKCU\\App"), ElementsAre("Work Home", "Work!", "Work]", "Worka"));
  EXPECT_EQ(reg.GetValue("HKCU\\App\\Work]", "keep"), RegValue::Dword(5));
  EXPECT_EQ(reg.GetValue("HKCU\\App", "keep"), RegValue::Dword(6));

  // Deleting and recreating gives a fresh key with the new spelling.
  reg.SetValue("HKCU\\App\\WORK", "SigFullname", RegValue::String("Grace"));
  EXPECT_THAT(reg.Values("HKCU\\App\\Work"),
              ElementsAre(Pair("SigFullname", RegValue::String("Grace"))));
  EXPECT_THAT(reg.SubKeys("HKCU\\App"), testing::Contains("WORK"));
}

// Readers ask for one key again and again; whatever a registry remembers of the last read must
// give way to every kind of write in between.
TYPED_TEST(RegistryContract, AReadAfterEveryKindOfWriteSeesTheWrite) {
  Registry& reg = this->reg_;
  const std::string key = "HKCU\\App\\Work";
  auto read = [&] { return reg.GetValue(key, "v"); };
  EXPECT_EQ(read(), std::nullopt);
  reg.SetValue(key, "v", RegValue::String("one"));
  EXPECT_EQ(read(), RegValue::String("one"));
  reg.SetValue("hkcu\\app\\WORK", "V", RegValue::String("two"));
  EXPECT_EQ(read(), RegValue::String("two"));
  reg.DeleteValue(key, "v");
  EXPECT_EQ(read(), std::nullopt);
  reg.SetValue(key, "v", RegValue::String("three"));
  EXPECT_EQ(read(), RegValue::String("three"));
  reg.DeleteKeyTree("HKCU\\App");
  EXPECT_EQ(read(), std::nullopt);
  reg.CreateKey(key);
  EXPECT_EQ(read(), std::nullopt);
  reg.Apply({{RegOp::Kind::kSetValue, key, "v", RegValue::String("four")}});
  EXPECT_EQ(read(), RegValue::String("four"));
  reg.Apply({{RegOp::Kind::kDeleteKeyTree, "HKCU\\App", {}, {}},
             {RegOp::Kind::kSetValue, key, "v", RegValue::String("five")}});
  EXPECT_EQ(read(), RegValue::String("five"));
  EXPECT_EQ(reg.GetValue("HKCU\\App\\Other", "v"), std::nullopt);
  EXPECT_EQ(read(), RegValue::String("five"));
}

TYPED_TEST(RegistryContract, RootsAlwaysExistAndCannotBeDeleted) {
  Registry& reg = this->reg_;
  EXPECT_TRUE(reg.KeyExists("HKEY_CURRENT_USER"));
  EXPECT_TRUE(reg.KeyExists("hkcr"));
  reg.SetValue("HKCU", "at the root", RegValue::Dword(1));
  EXPECT_EQ(reg.GetValue("HKEY_CURRENT_USER\\", "AT THE ROOT"), RegValue::Dword(1));
  try {
    reg.DeleteKeyTree("HKCU");
    FAIL() << "a root was deleted";
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), ErrorCode::kPermissionDenied);
  }
  EXPECT_EQ(reg.GetValue("HKCU", "at the root"), RegValue::Dword(1));
}

TYPED_TEST(RegistryContract, OtherRootsAreRefusedByEveryCall) {
  Registry& reg = this->reg_;
  try {
    reg.GetValue("HKEY_LOCAL_MACHINE\\Software", "x");
    FAIL() << "HKEY_LOCAL_MACHINE was accepted";
  } catch (const Error& e) {
    EXPECT_THAT(e.what(), HasSubstr("HKEY_LOCAL_MACHINE"));
    EXPECT_THAT(e.what(), HasSubstr("only HKEY_CURRENT_USER and HKEY_CLASSES_ROOT"));
  }
  EXPECT_THROW(reg.SetValue("HKLM\\Software", "x", RegValue::Dword(1)), Error);
  EXPECT_THROW(reg.CreateKey("HKEY_USERS\\.DEFAULT"), Error);
  EXPECT_THROW(reg.KeyExists("Software\\Vellumo"), Error);
  EXPECT_THROW(reg.SubKeys(""), Error);
  EXPECT_THROW(reg.DeleteKeyTree("HKU\\x"), Error);
}

TYPED_TEST(RegistryContract, DeletingValuesIgnoresCaseAndMissingValues) {
  Registry& reg = this->reg_;
  reg.SetValue("HKCU\\K", "", RegValue::String("default"));
  reg.SetValue("HKCU\\K", "Named", RegValue::String("named"));
  reg.DeleteValue("HKCU\\k", "NAMED");
  reg.DeleteValue("HKCU\\k", "never there");
  EXPECT_THAT(reg.Values("HKCU\\K"), ElementsAre(Pair("", RegValue::String("default"))));
  reg.DeleteValue("HKCU\\K", "");
  EXPECT_TRUE(reg.Values("HKCU\\K").empty());
  EXPECT_TRUE(reg.KeyExists("HKCU\\K"));
}

TYPED_TEST(RegistryContract, ApplyRunsTheWholeBatchInOrder) {
  Registry& reg = this->reg_;
  reg.SetValue("HKCU\\Old", "x", RegValue::Dword(1));
  reg.Apply({
      {RegOp::Kind::kSetValue, "HKCU\\New\\A", "v", RegValue::String("first")},
      {RegOp::Kind::kDeleteKeyTree, "HKCU\\New", {}, {}},
      {RegOp::Kind::kCreateKey, "HKCU\\New\\B", {}, {}},
      {RegOp::Kind::kSetValue, "HKCU\\New\\B", "v", RegValue::String("second")},
      {RegOp::Kind::kDeleteValue, "HKCU\\Old", "X", {}},
  });
  EXPECT_FALSE(reg.KeyExists("HKCU\\New\\A"));
  EXPECT_EQ(reg.GetValue("HKCU\\New\\B", "v"), RegValue::String("second"));
  EXPECT_TRUE(reg.Values("HKCU\\Old").empty());
}

TYPED_TEST(RegistryContract, ApplyChangesNothingWhenItsLastOpFails) {
  Registry& reg = this->reg_;
  reg.SetValue("HKCU\\Keep\\Me", "x", RegValue::Dword(1));
  reg.SetValue("HKCU\\Gone", "y", RegValue::Dword(2));
  const std::string before = RegistryDump(reg);

  RegValue wide = RegValue::Dword(0);
  wide.number = 1ull << 40;
  const std::vector<RegOp> endings[] = {
      {{RegOp::Kind::kCreateKey, "HKLM\\Software\\X", {}, {}}},
      {{RegOp::Kind::kSetValue, "HKCU\\Keep", "wide", wide}},
      {{RegOp::Kind::kDeleteKeyTree, "HKCR", {}, {}}},
  };
  for (const auto& ending : endings) {
    std::vector<RegOp> batch{
        {RegOp::Kind::kSetValue, "HKCU\\Keep\\Me", "x", RegValue::Dword(99)},
        {RegOp::Kind::kCreateKey, "HKCU\\Fresh\\Deep", {}, {}},
        {RegOp::Kind::kSetValue, "HKCU\\Fresh", "v", RegValue::String("new")},
        {RegOp::Kind::kDeleteKeyTree, "HKCU\\Gone", {}, {}},
        {RegOp::Kind::kDeleteValue, "HKCU\\Keep\\Me", "x", {}},
    };
    batch.insert(batch.end(), ending.begin(), ending.end());
    EXPECT_THROW(reg.Apply(batch), Error);
    EXPECT_EQ(RegistryDump(reg), before);
  }
  // The registry is still usable afterwards.
  reg.SetValue("HKCU\\Keep\\Me", "x", RegValue::Dword(3));
  EXPECT_EQ(reg.GetValue("HKCU\\Keep\\Me", "x"), RegValue::Dword(3));
}

// A key n levels below HKEY_CURRENT_USER, each level named "k".
std::string DeepKey(int levels) {
  std::string key = "HKEY_CURRENT_USER";
  for (int i = 0; i < levels; ++i) key += "\\k";
  return key;
}

TYPED_TEST(RegistryContract, TheLimitsOfTheWindowsRegistryHoldForEveryWrite) {
  Registry& reg = this->reg_;
  reg.SetValue("HKCU\\Keep", "x", RegValue::Dword(1));
  const std::string before = RegistryDump(reg);
  struct Refused {
    std::function<void()> write;
    std::string limit;
  };
  const std::string long_key = "HKCU\\" + std::string(256, 'a');
  const std::string deep = DeepKey(513);
  const std::vector<Refused> refused = {
      {[&] { reg.CreateKey(long_key); }, "at most 255"},
      {[&] { reg.SetValue(long_key + "\\b", "v", RegValue::Dword(1)); }, "at most 255"},
      {[&] { reg.CreateKey(deep); }, "at most 512 levels"},
      {[&] { reg.SetValue(deep, "v", RegValue::Dword(1)); }, "at most 512 levels"},
      {[&] { reg.SetValue("HKCU\\Keep", std::string(16384, 'n'), RegValue::Dword(1)); },
       "at most 16,383"},
      // 524,288 characters are 1 MB in UTF-16, and the terminator is one more.
      {[&] { reg.SetValue("HKCU\\Keep", "big", RegValue::String(std::string(524288, 'x'))); },
       "at most 1 MB"},
      {[&] { reg.SetValue("HKCU\\Keep", "bin", RegValue::Binary(std::string(1048577, 'x'))); },
       "at most 1 MB"},
      {[&] {
         reg.Apply({{RegOp::Kind::kSetValue, "HKCU\\Keep", "x", RegValue::Dword(2)},
                    {RegOp::Kind::kCreateKey, deep, {}, {}}});
       },
       "513 levels deep"},
  };
  for (const Refused& case_ : refused) {
    try {
      case_.write();
      ADD_FAILURE() << "accepted; expected: " << case_.limit;
    } catch (const Error& e) {
      EXPECT_EQ(e.code(), ErrorCode::kInvalidCall);
      EXPECT_THAT(e.what(), HasSubstr(case_.limit));
    }
    EXPECT_EQ(RegistryDump(reg), before) << case_.limit;
  }
  // Right at each limit is fine.
  reg.CreateKey("HKCU\\" + std::string(255, 'a'));
  reg.SetValue(DeepKey(512), std::string(16383, 'n'), RegValue::Binary(std::string(1048576, 'x')));
  reg.SetValue("HKCU\\Keep", "s", RegValue::String(std::string(524287, 'x')));
  EXPECT_TRUE(reg.KeyExists(DeepKey(512)));
  // A name counts characters, not bytes: 255 two-byte letters are a valid name.
  std::string accented;
  for (int i = 0; i < 255; ++i) accented += "\xC3\xA9";
  reg.CreateKey("HKCU\\" + accented);
  EXPECT_TRUE(reg.KeyExists("HKCU\\" + accented));
}

TYPED_TEST(RegistryContract, TheDeepestTreeIsListedAndDeletedWhole) {
  Registry& reg = this->reg_;
  reg.SetValue(DeepKey(512), "leaf", RegValue::Dword(1));
  reg.SetValue(DeepKey(3), "mid", RegValue::Dword(2));
  reg.CreateKey("HKCU\\k\\other");
  EXPECT_THAT(reg.SubKeys("HKCU\\k"), ElementsAre("k", "other"));
  EXPECT_THAT(reg.SubKeys(DeepKey(511)), ElementsAre("k"));
  reg.DeleteKeyTree(DeepKey(2));
  EXPECT_TRUE(reg.KeyExists(DeepKey(1)));
  EXPECT_FALSE(reg.KeyExists(DeepKey(2)));
  reg.SetValue(DeepKey(512), "leaf", RegValue::Dword(1));
  reg.Apply({{RegOp::Kind::kDeleteKeyTree, DeepKey(1), {}, {}}});
  EXPECT_TRUE(reg.SubKeys("HKCU").empty());
}

}  // namespace
}  // namespace vellumo
