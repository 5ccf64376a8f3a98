// Typed values, key paths and the fault wrapper.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/error.h"
#include "platform/mem_registry.h"
#include "platform/registry.h"

namespace vellumo {
namespace {

using ::testing::HasSubstr;

std::string Bytes(std::initializer_list<int> list) {
  std::string out;
  for (int b : list) out.push_back(static_cast<char>(b));
  return out;
}

TEST(RegValue, StoredBytesAreTheRegistryEncodingAndRawDecodesThemBack) {
  struct Case {
    RegValue value;
    std::string bytes;
  };
  const Case cases[] = {
      {RegValue::String("Hi"), Bytes({'H', 0, 'i', 0, 0, 0})},
      {RegValue::String(""), Bytes({0, 0})},
      {RegValue::ExpandString("é"), Bytes({0xE9, 0, 0, 0})},
      {RegValue::String("😀"), Bytes({0x3D, 0xD8, 0x00, 0xDE, 0, 0})},
      {RegValue::MultiString({"a", "b"}), Bytes({'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0})},
      {RegValue::MultiString({}), Bytes({0, 0})},
      {RegValue::MultiString({""}), Bytes({0, 0, 0, 0})},
      {RegValue::Dword(0x12345678), Bytes({0x78, 0x56, 0x34, 0x12})},
      {RegValue::Qword(0x0102030405060708ull), Bytes({8, 7, 6, 5, 4, 3, 2, 1})},
      {RegValue::Binary(Bytes({0, 0xFF})), Bytes({0, 0xFF})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.value.StoredBytes(), c.bytes) << c.value.AsText();
    EXPECT_EQ(RegValue::Raw(c.value.type, c.bytes), c.value) << c.value.AsText();
    EXPECT_FALSE(c.value.HoldsBytes() && c.value.kind() != RegType::kBinary);
  }
}

TEST(RegValue, RawKeepsBytesThatAreNotAnExactEncoding) {
  const uint32_t kString = static_cast<uint32_t>(RegType::kString);
  const uint32_t kMulti = static_cast<uint32_t>(RegType::kMultiString);
  const uint32_t kDword = static_cast<uint32_t>(RegType::kDword);
  const std::string odd[][2] = {
      {"no terminator", Bytes({'a', 0})},
      {"odd length", Bytes({'a', 0, 0})},
      {"unpaired surrogate", Bytes({0x00, 0xD8, 0, 0})},
  };
  for (const auto& [why, bytes] : odd) {
    const RegValue value = RegValue::Raw(kString, bytes);
    EXPECT_TRUE(value.HoldsBytes()) << why;
    EXPECT_EQ(value.StoredBytes(), bytes) << why;
    EXPECT_EQ(value.text, "") << why;
  }
  EXPECT_TRUE(RegValue::Raw(kMulti, Bytes({'a', 0, 0, 0})).HoldsBytes()) << "no list terminator";
  EXPECT_TRUE(RegValue::Raw(kDword, Bytes({1, 0, 0})).HoldsBytes());
  EXPECT_EQ(RegValue::Raw(kDword, Bytes({1, 0, 0})).StoredBytes(), Bytes({1, 0, 0}));
  // A type the registry does not model keeps its bytes whatever they are.
  EXPECT_EQ(RegValue::Raw(0, Bytes({'H', 0, 0, 0})).bytes, Bytes({'H', 0, 0, 0}));
}

TEST(RegValue, AsTextGivesWhatASettingsReaderSees) {
  EXPECT_EQ(RegValue::String("True").AsText(), "True");
  EXPECT_EQ(RegValue::Dword(4294967295u).AsText(), "4294967295");
  EXPECT_EQ(RegValue::Qword(12).AsText(), "12");
  EXPECT_EQ(RegValue::MultiString({"a", "b"}).AsText(), "a\nb");
  EXPECT_EQ(RegValue::Binary(Bytes({1, 0xAB})).AsText(), "01 ab");
  // Undecodable string data reads up to its first NUL.
  EXPECT_EQ(RegValue::Raw(1, Bytes({'o', 0, 'k', 0, 0, 0, 'x', 0})).AsText(), "ok");
}

TEST(RegValue, NormalizedKeepsOnlyTheFieldsOfItsType) {
  RegValue v = RegValue::Dword(5);
  v.text = "stray";
  v.parts = {"stray"};
  EXPECT_EQ(v.Normalized(), RegValue::Dword(5));
  RegValue binary = RegValue::Binary("x");
  binary.number = 3;
  EXPECT_EQ(binary.Normalized(), RegValue::Binary("x"));
  RegValue bytes_for_string;
  bytes_for_string.bytes = Bytes({'o', 0, 0, 0});
  EXPECT_EQ(bytes_for_string.Normalized(), RegValue::String("o"));

  RegValue wide = RegValue::Dword(0);
  wide.number = 0x1FFFFFFFFull;
  EXPECT_THROW((void)wide.Normalized(), Error);
}

TEST(NormalizeKeyPath, GivesTheFullRootAndCleanSeparators) {
  EXPECT_EQ(NormalizeKeyPath("HKCU\\Software\\X"), "HKEY_CURRENT_USER\\Software\\X");
  EXPECT_EQ(NormalizeKeyPath("hkcr"), "HKEY_CLASSES_ROOT");
  EXPECT_EQ(NormalizeKeyPath("\\hkey_current_user\\\\a b\\\\c\\"), "HKEY_CURRENT_USER\\a b\\c");
  // Only backslashes separate; everything else belongs to the name.
  EXPECT_EQ(NormalizeKeyPath("HKCU\\a/b\\ c "), "HKEY_CURRENT_USER\\a/b\\ c ");
  EXPECT_TRUE(IsRootKey(NormalizeKeyPath("HKCU\\")));
  EXPECT_FALSE(IsRootKey("HKEY_CURRENT_USER\\x"));
}

TEST(NormalizeKeyPath, RefusesEmptyPathsAndOtherRoots) {
  EXPECT_THROW(NormalizeKeyPath(""), Error);
  EXPECT_THROW(NormalizeKeyPath("\\\\"), Error);
  for (const char* root : {"HKEY_LOCAL_MACHINE", "HKLM", "HKEY_USERS", "hku", "HKEY_CURRENT_CONFIG",
                           "Software", " HKCU"}) {
    try {
      NormalizeKeyPath(std::string(root) + "\\Software");
      ADD_FAILURE() << root << " accepted";
    } catch (const Error& e) {
      EXPECT_THAT(e.what(), HasSubstr(root));
      EXPECT_THAT(e.what(), HasSubstr("only HKEY_CURRENT_USER and HKEY_CLASSES_ROOT exist here"));
    }
  }
}

TEST(FaultyRegistry, FailsTheChosenCallsAndForwardsTheRest) {
  MemRegistry mem;
  FaultyRegistry faulty(mem);
  faulty.Fail(FaultyRegistry::Call::kSetValue, ErrorCode::kDiskFull, 1, 1);
  faulty.SetValue("HKCU\\A", "first", RegValue::Dword(1));  // let through
  try {
    faulty.SetValue("HKCU\\A", "second", RegValue::Dword(2));
    FAIL() << "no failure";
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), ErrorCode::kDiskFull);
  }
  faulty.SetValue("HKCU\\A", "third", RegValue::Dword(3));  // the failure was used up
  EXPECT_EQ(mem.Values("HKCU\\A").size(), 2u);
  EXPECT_EQ(faulty.GetValue("HKCU\\A", "first"), RegValue::Dword(1));
  EXPECT_EQ(faulty.calls(FaultyRegistry::Call::kSetValue), 3);
  EXPECT_EQ(faulty.calls(FaultyRegistry::Call::kAny), 4);

  faulty.Fail(FaultyRegistry::Call::kAny, ErrorCode::kPermissionDenied, -1);
  EXPECT_THROW(faulty.KeyExists("HKCU\\A"), Error);
  EXPECT_THROW(faulty.Apply({}), Error);
  EXPECT_THROW(faulty.SubKeys("HKCU"), Error);
  faulty.Heal();
  EXPECT_TRUE(faulty.KeyExists("HKCU\\A"));
}

TEST(MemRegistry, CountsWritesButNotReads) {
  MemRegistry mem;
  (void)mem.GetValue("HKCU\\A", "x");
  (void)mem.SubKeys("HKCU");
  EXPECT_EQ(mem.writes(), 0);
  mem.SetValue("HKCU\\A", "x", RegValue::Dword(1));
  mem.Apply({});
  EXPECT_EQ(mem.writes(), 2);
}

}  // namespace
}  // namespace vellumo
