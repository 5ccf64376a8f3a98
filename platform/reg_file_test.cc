#include "platform/reg_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "base/error.h"
#include "base/text.h"
#include "platform/mem_registry.h"
#include "tests/support/registry_dump.h"
#include "tests/support/source_dir.h"

namespace vellumo {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Pair;
using ::testing::StartsWith;

std::string Utf16(std::string_view utf8) { return "\xFF\xFE" + text::Utf8ToUtf16Le(utf8); }

using test_support::RegistryDump;

size_t CountValues(Registry& registry, const std::string& path) {
  size_t count = registry.Values(path).size();
  for (const std::string& sub : registry.SubKeys(path))
    count += CountValues(registry, path + "\\" + sub);
  return count;
}

// The error text of importing bytes, or "" when the import succeeded.
std::string ImportError(Registry& registry, std::string_view bytes) {
  try {
    ImportRegFile(registry, bytes, "test.reg");
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

constexpr std::string_view kEveryLineKind =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "; a comment\n"
    "[HKEY_CURRENT_USER\\Software\\Test]\n"
    "@=\"default \\\"quoted\\\" C:\\\\temp\\\\\"\n"
    "\"C:\\\\Path\"=\"C:\\Program Files\\X\"\n"
    "  \"Spaced\" = \"yes\"   ; trailing comment\n"
    "\"Count\"=dword:0000002a\n"
    "\"Short\"=DWORD:1\n"
    "\"Bin\"=hex:01,02,\\\n"
    "; a comment between continuation lines\n"
    "\n"
    "  03, ff ,\\ ; a comment after the continuation\n"
    "  7\n"
    "\"Expand\"=hex(2):25,00,41,00,25,00,00,00\n"
    "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\n"
    "\"Big\"=hex(b):01,00,00,00,00,00,00,00\n"
    "\"Odd\"=hex(1234):aa\n"
    "\"NotAString\"=hex(1):41\n"
    "\"Empty\"=hex:\n"
    "\"Gone\"=-\n"
    "\n"
    "[-HKEY_CURRENT_USER\\Software\\Old]\n"
    "[hkcu\\software\\TEST\\Sub]\n"
    "\"x\"=\"y\"";

TEST(ImportRegFile, ReadsEveryKindOfLine) {
  MemRegistry reg;
  reg.SetValue("HKCU\\Software\\Test", "gone", RegValue::String("before"));
  reg.SetValue("HKCU\\Software\\Old\\Child", "v", RegValue::String("before"));
  reg.SetValue("HKCU\\Software\\Older", "v", RegValue::String("kept"));
  ImportRegFile(reg, kEveryLineKind, "every.reg");

  const std::string key = "HKCU\\Software\\Test";
  EXPECT_EQ(reg.GetValue(key, ""), RegValue::String("default \"quoted\" C:\\temp\\"));
  EXPECT_EQ(reg.GetValue(key, "C:\\Path"), RegValue::String("C:\\Program Files\\X"))
      << "a backslash before another character is kept as written";
  EXPECT_EQ(reg.GetValue(key, "spaced"), RegValue::String("yes"));
  EXPECT_EQ(reg.GetValue(key, "Count"), RegValue::Dword(42));
  EXPECT_EQ(reg.GetValue(key, "Short"), RegValue::Dword(1));
  EXPECT_EQ(reg.GetValue(key, "Bin"), RegValue::Binary(std::string("\x01\x02\x03\xff\x07", 5)));
  EXPECT_EQ(reg.GetValue(key, "Expand"), RegValue::ExpandString("%A%"));
  EXPECT_EQ(reg.GetValue(key, "Multi"), RegValue::MultiString({"a", "b"}));
  EXPECT_EQ(reg.GetValue(key, "Big"), RegValue::Qword(1));
  EXPECT_EQ(reg.GetValue(key, "Odd"), RegValue::Raw(0x1234, "\xaa"));
  EXPECT_EQ(reg.GetValue(key, "NotAString"), RegValue::Raw(1, "A"));
  EXPECT_EQ(reg.GetValue(key, "Empty"), RegValue::Binary(""));
  EXPECT_EQ(reg.GetValue(key, "Gone"), std::nullopt);
  EXPECT_FALSE(reg.KeyExists("HKCU\\Software\\Old"));
  EXPECT_TRUE(reg.KeyExists("HKCU\\Software\\Older"));
  EXPECT_THAT(reg.SubKeys(key), ElementsAre("Sub"));
  EXPECT_EQ(reg.GetValue(key + "\\sub", "X"), RegValue::String("y"));
  EXPECT_EQ(reg.writes(), 4) << "three set-up writes and one Apply";
}

TEST(ImportRegFile, ReadsEveryEncodingAlike) {
  const std::string body =
      "\r\n[HKEY_CURRENT_USER\\Enc]\r\n\"Greeting\"=\"Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x82\xAC\"\r\n";
  const std::string v5 = "Windows Registry Editor Version 5.00";
  const std::pair<const char*, std::string> files[] = {
      {"UTF-16LE with BOM", Utf16(v5 + body)},
      {"UTF-16LE without BOM", text::Utf8ToUtf16Le(v5 + body)},
      {"UTF-8 with BOM", "\xEF\xBB\xBF" + v5 + body},
      {"UTF-8", v5 + body},
      {"Windows-1252",
       "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Enc]\r\n\"Greeting\"=\"Gr\xFC\xDF"
       "e \x80\"\r\n"},
  };
  for (const auto& [encoding, bytes] : files) {
    MemRegistry reg;
    ASSERT_EQ(ImportError(reg, bytes), "") << encoding;
    EXPECT_EQ(reg.GetValue("HKCU\\Enc", "Greeting"), RegValue::String("Grüße €")) << encoding;
  }
}

TEST(ImportRegFile, CountsLinesAlikeWhateverTheLineEnds) {
  for (const char* end : {"\r\n", "\n", "\r", "\r\r\n"}) {
    const std::string file = std::string("REGEDIT4") + end + end + "[HKEY_CURRENT_USER\\A]" + end +
                             "\"ok\"=dword:1" + end + "\"bad\"=dword:" + end;
    const auto ops = [&] {
      MemRegistry reg;
      return ImportError(reg, file);
    }();
    EXPECT_THAT(ops, StartsWith("test.reg:5: ")) << "line end " << testing::PrintToString(end);
    const std::string good = file.substr(0, file.rfind("\"bad\""));
    EXPECT_EQ(ParseRegFile(good, "good.reg").size(), 2u);
  }
}

TEST(ImportRegFile, Regedit4StringDataIsEightBitText) {
  MemRegistry reg;
  ImportRegFile(reg,
                "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n"
                "\"e\"=hex(2):25,41,25,e9,00\n"
                "\"m\"=hex(7):61,00,62,80,00,00\n",
                "old.reg");
  EXPECT_EQ(reg.GetValue("HKCU\\A", "e"), RegValue::ExpandString("%A%é"));
  EXPECT_EQ(reg.GetValue("HKCU\\A", "m"), RegValue::MultiString({"a", "b€"}));
}

TEST(ImportRegFile, Regedit4StringEndsAtItsFirstNul) {
  MemRegistry reg;
  ImportRegFile(reg,
                "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n"
                "\"empty\"=hex(2):00,00\r\n"
                "\"cut\"=hex(1):61,00,62,00\r\n"
                "\"m\"=hex(7):61,00,00,62,00,00\r\n",
                "reset.reg");
  EXPECT_EQ(reg.GetValue("HKCU\\A", "empty"), RegValue::ExpandString(""));
  EXPECT_EQ(reg.GetValue("HKCU\\A", "cut"), RegValue::String("a"));
  // A multi-string's NULs separate its parts: it is not cut at the first.
  EXPECT_EQ(reg.GetValue("HKCU\\A", "m"), RegValue::MultiString({"a", "", "b"}));
}

TEST(ImportRegFile, RefusesMalformedFilesNamingTheLineAndChangingNothing) {
  struct Case {
    std::string file;
    int line;
    std::string reason;
  };
  const std::string v5 = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n";
  const Case cases[] = {
      {v5 + "\"d\"=dword:0ffffffff\n", 4, "1 to 8 hexadecimal digits, not \"0ffffffff\""},
      {v5 + "\"d\"=dword:\n", 4, "1 to 8 hexadecimal digits"},
      {v5 + "\"d\"=dword:12x\n", 4, "unexpected text \"x\""},
      {v5 + "\"b\"=hex:01,zz\n", 4, "bad hex byte \"zz\""},
      {v5 + "\"b\"=hex:01,123\n", 4, "bad hex byte \"123\""},
      {v5 + "\"b\"=hex:01 02\n", 4, "expected , between hex bytes"},
      {v5 + "\"b\"=hex:01,\\\n  02,\\\n", 5, "continues past the end of the file"},
      {v5 + "\"b\"=hex:01,\\\n[HKEY_CURRENT_USER\\B]\n", 5, "bad hex byte"},
      {v5 + "\"b\"=hex(zz):01\n", 4, "bad value type"},
      {v5 + "\"b\"=hex(2)01\n", 4, "missing :"},
      {v5 + "\"q\"=qword:1\n", 4, "unknown value \"qword:1\""},
      {v5 + "\"s\"=\"C:\\\"\n", 4, "no closing quote (\\\" is an escaped quote"},
      {v5 + "\"name=\"x\"\n", 4, "missing ="},
      {v5 + "\"s\"\n", 4, "missing ="},
      {v5 + "\"s\"=\"x\" y\n", 4, "unexpected text \"y\" after the value"},
      {v5 + "just text\n", 4, "unexpected text \"just text\""},
      {v5 + "[HKEY_CURRENT_USER\\B\n", 4, "does not end with ]"},
      {v5 + "[]\n", 4, "empty registry key path"},
      {v5 + "[HKEY_LOCAL_MACHINE\\Software]\n", 4,
       "Unknown registry root HKEY_LOCAL_MACHINE: only HKEY_CURRENT_USER and HKEY_CLASSES_ROOT"},
      {v5 + "[-HKEY_USERS\\.DEFAULT]\n", 4, "Unknown registry root HKEY_USERS"},
      {v5 + "[-HKEY_CURRENT_USER]\n", 4, "cannot be deleted"},
      {v5 + "[-HKEY_CURRENT_USER\\B]\n\"x\"=\"y\"\n", 5, "below the deleted key"},
      {"REGEDIT4\n\"x\"=\"y\"\n", 2, "before any [KEY] line"},
      {"REGEDIT \nHKEY_CLASSES_ROOT\\CLSID = x\n", 1, "legacy REGEDIT"},
      {"\n\n[HKEY_CURRENT_USER\\A]\n", 3, "not a registry file"},
      {"", 1, "empty file"},
      {std::string("\xFE\xFF\0W", 4), 1, "big-endian"},
      // The limits of the Windows registry, each named with its line.
      {v5 + "[HKEY_CURRENT_USER\\" + std::string(300, 'n') + "]\n", 4,
       "has 300 characters; a registry key name has at most 255"},
      {v5 + "\"" + std::string(16384, 'n') + "\"=\"x\"\n", 4,
       "has 16,384 characters; a registry value name has at most 16,383"},
      {v5 + "\"big\"=\"" + std::string(600000, 'x') + "\"\n", 4, "at most 1 MB"},
  };
  for (const Case& c : cases) {
    MemRegistry reg;
    reg.SetValue("HKCU\\A", "d", RegValue::String("before"));
    const std::string before = RegistryDump(reg);
    const std::string error = ImportError(reg, c.file);
    EXPECT_THAT(error, StartsWith("test.reg:" + std::to_string(c.line) + ": ")) << c.file;
    EXPECT_THAT(error, HasSubstr(c.reason)) << c.file;
    EXPECT_EQ(RegistryDump(reg), before) << c.file;
  }
}

// A file creating a key n levels below HKEY_CURRENT_USER after a harmless first key.
std::string DeepFile(int levels) {
  std::string file =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\First]\r\n"
      "\"a\"=\"1\"\r\n\r\n[HKEY_CURRENT_USER";
  for (int i = 0; i < levels; ++i) file += "\\k";
  return file + "]\r\n\"leaf\"=dword:00000001\r\n";
}

TEST(ImportRegFile, ATooDeepKeyRefusesTheWholeFileAndTheDeepestAllowedRoundTrips) {
  MemRegistry reg;
  const std::string error = ImportError(reg, DeepFile(600));
  EXPECT_THAT(error, StartsWith("test.reg:6: "));
  EXPECT_THAT(error, HasSubstr("600 levels deep; registry keys nest at most 512 levels"));
  EXPECT_FALSE(reg.KeyExists("HKCU\\First")) << "nothing of the file is kept";

  ImportRegFile(reg, DeepFile(512), "deep.reg");
  const std::string exported = ExportRegFile(reg, "HKCU\\k");
  EXPECT_NE(text::Utf16LeToUtf8(exported).find("\"leaf\"=dword:00000001"), std::string::npos);
  MemRegistry again;
  ImportRegFile(again, exported, "again.reg");
  EXPECT_EQ(ExportRegFile(again, "HKCU\\k"), exported);
  ImportRegFile(reg, "REGEDIT4\n[-HKEY_CURRENT_USER\\k]\n", "delete.reg");
  EXPECT_FALSE(reg.KeyExists("HKCU\\k"));
}

TEST(ImportRegFile, AppliesTheFileAsOneBatchAndKeepsNothingWhenTheRegistryFails) {
  MemRegistry mem;
  mem.SetValue("HKCU\\A", "x", RegValue::Dword(1));
  FaultyRegistry faulty(mem);
  faulty.Fail(FaultyRegistry::Call::kApply, ErrorCode::kDiskFull);
  const std::string file = "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:2\n\"y\"=\"new\"\n";
  try {
    ImportRegFile(faulty, file, "full.reg");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), ErrorCode::kDiskFull);
  }
  EXPECT_THAT(mem.Values("HKCU\\A"), ElementsAre(Pair("x", RegValue::Dword(1))));
  ImportRegFile(faulty, file, "full.reg");
  EXPECT_EQ(faulty.calls(FaultyRegistry::Call::kApply), 2);
  EXPECT_EQ(faulty.calls(FaultyRegistry::Call::kAny), 2) << "nothing but Apply";
  EXPECT_EQ(mem.GetValue("HKCU\\A", "y"), RegValue::String("new"));
}

TEST(ExportRegFile, WritesWhatTheRegistryEditorWrites) {
  MemRegistry reg;
  const std::string key = "HKCU\\Software\\Exp";
  reg.SetValue(key, "", RegValue::String("default"));
  reg.SetValue(key, "q\"uote", RegValue::String("C:\\x\\"));
  reg.SetValue(key, "n", RegValue::Dword(42));
  reg.SetValue(key, "e", RegValue::ExpandString("%A%"));
  reg.SetValue(key, "lines", RegValue::String("a\r\nb"));
  reg.SetValue(key + "\\Child", "m", RegValue::MultiString({"a"}));
  reg.SetValue(key + "\\Child", "b", RegValue::Binary("\x01\xff"));
  reg.SetValue(key + "\\Child", "big", RegValue::Qword(1));
  reg.SetValue(key + "\\Child", "none", RegValue::Raw(0, ""));
  reg.CreateKey(key + "\\alpha");
  reg.SetValue("HKCU\\Software\\Expanded", "not", RegValue::String("below Exp"));

  const std::string file = ExportRegFile(reg, "hkcu\\SOFTWARE\\exp");
  ASSERT_THAT(file, StartsWith("\xFF\xFE"));
  EXPECT_EQ(text::Utf16LeToUtf8(file.substr(2)),
            "Windows Registry Editor Version 5.00\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Exp]\r\n"
            "@=\"default\"\r\n"
            "\"e\"=hex(2):25,00,41,00,25,00,00,00\r\n"
            "\"lines\"=hex(1):61,00,0d,00,0a,00,62,00,00,00\r\n"
            "\"n\"=dword:0000002a\r\n"
            "\"q\\\"uote\"=\"C:\\\\x\\\\\"\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Exp\\alpha]\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\Exp\\Child]\r\n"
            "\"b\"=hex:01,ff\r\n"
            "\"big\"=hex(b):01,00,00,00,00,00,00,00\r\n"
            "\"m\"=hex(7):61,00,00,00,00,00\r\n"
            "\"none\"=hex(0):\r\n"
            "\r\n");
}

TEST(ExportRegFile, WrapsLongHexValuesAtEightyColumns) {
  MemRegistry reg;
  std::string data;
  for (int i = 0; i < 300; ++i) data.push_back(static_cast<char>(i));
  reg.SetValue("HKCU\\W", "A rather long value name for wrapping", RegValue::Binary(data));
  reg.SetValue("HKCU\\W", std::string(90, 'n'), RegValue::MultiString({"x"}));
  const std::string file = text::Utf16LeToUtf8(ExportRegFile(reg, "HKCU\\W").substr(2));
  const std::vector<std::string> lines = text::Split(file, "\r\n");
  int continued = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.size() > 80) {
      // Only a name longer than a line may overflow, with its first byte.
      EXPECT_THAT(line, StartsWith("\"nnnn")) << line;
      EXPECT_LE(line.size(), 90 + 2 + 10 + 4u) << line;
    }
    if (!line.empty() && line.back() == '\\') {
      ++continued;
      EXPECT_THAT(lines[i + 1], StartsWith("  ")) << "continuation after: " << line;
      EXPECT_GE(line.size(), 75u) << "lines are filled: " << line;
    }
  }
  EXPECT_GE(continued, 300 / 25);
  MemRegistry again;
  ImportRegFile(again, ExportRegFile(reg, "HKCU\\W"), "w.reg");
  EXPECT_EQ(RegistryDump(again), RegistryDump(reg));
}

TEST(ExportRegFile, ImportingAnExportGivesTheSameRegistry) {
  MemRegistry reg;
  const std::string tricky = "q\"uote \\ back [br] ; semi = eq @ ü 😀 \t tab";
  reg.SetValue("HKCU\\Software\\Mixed Case\\" + tricky, tricky, RegValue::String(tricky));
  reg.SetValue("HKCU\\Software\\Mixed Case", "", RegValue::String(""));
  reg.SetValue("HKCU\\Software\\Mixed Case", "@", RegValue::String("at"));
  reg.SetValue("HKCU\\Software\\Mixed Case", "-", RegValue::String("-"));
  reg.SetValue("HKCU\\Software\\Mixed Case", "nul", RegValue::String(std::string("a\0b", 3)));
  reg.SetValue("HKCU\\Software\\Mixed Case", "cr", RegValue::String("a\rb\n"));
  reg.SetValue("HKCU\\Software\\Mixed Case", "multi", RegValue::MultiString({"", "x", ""}));
  reg.SetValue("HKCU\\Software\\Mixed Case", "nomulti", RegValue::MultiString({}));
  reg.SetValue("HKCU\\Software\\Mixed Case", "exp", RegValue::ExpandString(""));
  reg.SetValue("HKCU\\Software\\Mixed Case", "dw", RegValue::Dword(0xFFFFFFFF));
  reg.SetValue("HKCU\\Software\\Mixed Case", "qw", RegValue::Qword(~0ull));
  reg.SetValue("HKCU\\Software\\Mixed Case", "oddstr", RegValue::Raw(2, "abc"));
  reg.SetValue("HKCU\\Software\\Mixed Case", "type99", RegValue::Raw(0x99, "\x01"));
  reg.SetValue("HKCU\\Software\\Mixed Case", "bin", RegValue::Binary(""));
  reg.CreateKey("HKCU\\Software\\Mixed Case\\Empty\\Deeper");
  reg.SetValue("HKCU", "at the root", RegValue::Dword(7));

  MemRegistry again;
  ImportRegFile(again, ExportRegFile(reg, "HKCU"), "all.reg");
  EXPECT_EQ(RegistryDump(again), RegistryDump(reg));
  EXPECT_EQ(again.Values("HKCU\\Software\\Mixed Case"), reg.Values("HKCU\\Software\\Mixed Case"));
}

TEST(ExportRegFile, RefusesWhatItCannotWrite) {
  MemRegistry reg;
  try {
    (void)ExportRegFile(reg, "HKCU\\Missing");
    FAIL() << "exported a missing key";
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), ErrorCode::kPathNotFound);
    EXPECT_THAT(e.what(), HasSubstr("HKEY_CURRENT_USER\\Missing"));
  }
  reg.SetValue("HKCU\\K", "two\nlines", RegValue::Dword(1));
  EXPECT_THROW((void)ExportRegFile(reg, "HKCU\\K"), Error);
  reg.CreateKey("HKCU\\Line\nBreak");
  EXPECT_THROW((void)ExportRegFile(reg, "HKCU\\Line\nBreak"), Error);
}

// Every registry file of the real-world sample folder is either imported whole or refused at a
// named line for a stated reason; nothing in between.
TEST(ImportRegFile, RealWorldFilesImportOrAreRefusedClearly) {
  const std::string folder = (test_support::RealWorldDir() / "reg").string();
  if (!std::filesystem::is_directory(folder))
    GTEST_SKIP() << test_support::NoRealWorldInputs(folder);

  struct Expected {
    int values;  // values present after importing into an empty registry; -1: refused
    int line;    // where a refused file is refused
    std::string reason;
  };
  const std::map<std::string, Expected> expected{
      // A dword of 7 digits is still a number; every root is HKEY_CURRENT_USER.
      {"debloat_darkmode_utf16_bad_dword.reg", {13, 0, ""}},
      {"debloat_lower_ram_usage_9digit_dword.reg", {-1, 4, "root HKEY_LOCAL_MACHINE"}},
      {"far_colors_regedit4_hex_continuation.reg", {73, 0, ""}},
      {"far_macro_notepad_regedit4_escaped_quotes.reg", {29, 0, ""}},
      {"far_multiarc_utf8_bom_v5.reg", {3, 0, ""}},
      {"far_xlat_qwerty_v5_utf8_escapes.reg", {7, 0, ""}},
      {"ms_credprov_unregister_delete_keys.reg", {-1, 3, "root HKEY_LOCAL_MACHINE"}},
      {"ms_fd_provider_install.reg", {-1, 55, "root HKEY_LOCAL_MACHINE"}},
      {"ms_fsrm_eventlog_hex2.reg", {-1, 3, "root HKEY_LOCAL_MACHINE"}},
      {"ms_osp_registerprovider_regedit4.reg", {10, 0, ""}},
      {"ms_sideshow_pictures_hex2_hex7.reg", {5, 0, ""}},
      {"ms_sserver_regedit3_legacy.reg", {-1, 1, "legacy REGEDIT"}},
      {"w11_disable_telemetry_utf16_delete_values.reg", {-1, 31, "root HKEY_LOCAL_MACHINE"}},
      {"w11_enable_spotlight_8bit_delete_value.reg", {0, 0, ""}},
      {"w11_sysprep_animations_utf16_escaped.reg", {-1, 3, "root hkey_users"}},
  };
  int seen = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".reg") continue;
    const std::string name = entry.path().filename().string();
    auto found = expected.find(name);
    ASSERT_NE(found, expected.end()) << "no expectation for " << name;
    ++seen;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    MemRegistry reg;
    const std::string error = ImportError(reg, bytes);
    const Expected& want = found->second;
    if (want.values < 0) {
      EXPECT_THAT(error, StartsWith("test.reg:" + std::to_string(want.line) + ": ")) << name;
      EXPECT_THAT(error, HasSubstr(want.reason)) << name;
      EXPECT_EQ(reg.writes(), 0) << name;
    } else {
      EXPECT_EQ(error, "") << name;
      EXPECT_EQ(CountValues(reg, "HKEY_CURRENT_USER") + CountValues(reg, "HKEY_CLASSES_ROOT"),
                static_cast<size_t>(want.values))
          << name;
    }
  }
  EXPECT_EQ(seen, static_cast<int>(expected.size()));
}

TEST(ImportRegFile, RealWorldFilesKeepTheirData) {
  const std::string folder = (test_support::RealWorldDir() / "reg").string();
  if (!std::filesystem::is_directory(folder))
    GTEST_SKIP() << test_support::NoRealWorldInputs(folder);
  auto import = [&](const std::string& name, MemRegistry& reg) {
    std::ifstream in(folder + "/" + name, std::ios::binary);
    ImportRegFile(reg, std::string(std::istreambuf_iterator<char>(in), {}), name);
  };
  MemRegistry reg;
  import("debloat_darkmode_utf16_bad_dword.reg", reg);
  EXPECT_EQ(reg.GetValue("HKCU\\SOFTWARE\\Microsoft\\Windows\\DWM", "ColorizationColor"),
            RegValue::Dword(0x045D5A58));
  EXPECT_EQ(reg.GetValue("HKCU\\SOFTWARE\\Microsoft\\Windows\\DWM", "AccentColorInactive"),
            RegValue::Dword(0xFF484A4C));
  import("ms_sideshow_pictures_hex2_hex7.reg", reg);
  const std::string gadget =
      "HKCU\\Software\\Microsoft\\SideShow\\Gadgets\\{00BA1AD8-5381-449b-9A13-551FA4ADE0F2}";
  EXPECT_EQ(reg.GetValue(gadget, "Endpoints"),
            RegValue::MultiString({"{A9A5353F-2D4B-47ce-93EE-759F3A7DDA4F}"}));
  EXPECT_EQ(
      reg.GetValue(gadget, "Icon"),
      RegValue::ExpandString(
          "%USERPROFILE%\\Desktop\\WindowsSideShowPictures\\WindowsSideShowPictures.exe,-100"));
  import("far_xlat_qwerty_v5_utf8_escapes.reg", reg);
  EXPECT_EQ(reg.GetValue("HKCU\\Software\\Far2\\XLat", "Rules2"),
            RegValue::String("?,&?/.,б.ю^::Ж;ж$;@\"\"Э"));
  import("far_macro_notepad_regedit4_escaped_quotes.reg", reg);
  EXPECT_EQ(reg.GetValue("HKCU\\Software\\Far2\\KeyMacros\\Editor\\F5", "Sequence"),
            RegValue::String("print(date(\"%R %x\"))"));
  import("ms_osp_registerprovider_regedit4.reg", reg);
  EXPECT_EQ(reg.GetValue("HKCR\\CLSID\\<INSERT:  GUID for OLE DB Provider>\\InprocServer32", ""),
            RegValue::String("<INSERT:  Path to OLE DB Directory example --> c:\\Program "
                             "Files\\Common Files\\System\\OLE DB\\>MSDAOSP.DLL"));
  // Value deletions of values that are there.
  reg.SetValue("HKCU\\Software\\Policies\\Microsoft\\Windows\\CloudContent",
               "DisableSpotlightCollectionOnDesktop", RegValue::Dword(1));
  import("w11_enable_spotlight_8bit_delete_value.reg", reg);
  EXPECT_TRUE(reg.Values("HKCU\\Software\\Policies\\Microsoft\\Windows\\CloudContent").empty());

  // Two refused files with their HKEY_LOCAL_MACHINE keys moved to HKEY_CURRENT_USER: the
  // nine-digit dword is refused in turn, the rest imports whole.
  auto moved = [&](const std::string& name) {
    std::ifstream in(folder + "/" + name, std::ios::binary);
    return text::Replace(std::string(std::istreambuf_iterator<char>(in), {}), "HKEY_LOCAL_MACHINE",
                         "HKEY_CURRENT_USER");
  };
  MemRegistry scratch;
  EXPECT_THAT(ImportError(scratch, moved("debloat_lower_ram_usage_9digit_dword.reg")),
              StartsWith("test.reg:9: a dword needs 1 to 8 hexadecimal digits, not \"0ffffffff\""));
  EXPECT_EQ(scratch.writes(), 0);
  ASSERT_EQ(ImportError(scratch, moved("ms_fd_provider_install.reg")), "");
  EXPECT_EQ(CountValues(scratch, "HKEY_CURRENT_USER") + CountValues(scratch, "HKEY_CLASSES_ROOT"),
            12u);
  EXPECT_EQ(scratch.GetValue("HKCR\\CLSID\\{8C19066A-643A-4586-92B2-A785B90D766F}\\InprocServer32",
                             "ThreadingModel"),
            RegValue::String("Free"));
  const auto permission =
      scratch.GetValue("HKCR\\AppID\\{71F70024-0C44-4a05-A918-651F41EF8548}", "AccessPermission");
  ASSERT_TRUE(permission.has_value());
  // A security descriptor whose group SID (16 bytes) starts at offset 0x94.
  EXPECT_EQ(permission->bytes.size(), 0x94u + 16);
  EXPECT_EQ(permission->bytes.substr(0, 4), std::string("\x01\x00\x04\x80", 4));

  // And every imported file survives an export and a re-import.
  MemRegistry again;
  ImportRegFile(again, ExportRegFile(reg, "HKCU"), "hkcu.reg");
  ImportRegFile(again, ExportRegFile(reg, "HKCR"), "hkcr.reg");
  EXPECT_EQ(RegistryDump(again), RegistryDump(reg));
}

}  // namespace
}  // namespace vellumo
