// Reads the program's own sources: every setting the code reads or writes goes through a row of
// keys.h, so `vellumo settings list --known` shows every key the code reads, with its default.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "tests/support/source_dir.h"

namespace vellumo {
namespace {

namespace stdfs = std::filesystem;

// Folders that hold no program code: test harnesses may name settings as a user would.
const std::set<std::string> kSkippedFolders = {"tests",     "fuzz",    "bench", "examples",
                                               "resources", "scripts", "cmake", "node_modules"};

struct Source {
  std::string path;  // relative, with '/'
  std::string code;  // without // comments
};

std::string WithoutComments(std::istream& in) {
  std::string code;
  for (std::string line; std::getline(in, line);) {
    const size_t comment = line.find("//");
    code.append(line.substr(0, comment)).push_back('\n');
  }
  return code;
}

std::vector<Source> ProgramSources(const stdfs::path& root) {
  std::vector<Source> sources;
  auto it = stdfs::recursive_directory_iterator(root);
  for (const stdfs::directory_entry& entry : it) {
    const std::string name = entry.path().filename().string();
    if (entry.is_directory()) {
      if (name.starts_with('.') || name.starts_with("build") || kSkippedFolders.contains(name)) {
        it.disable_recursion_pending();
      }
      continue;
    }
    const bool code = name.ends_with(".cc") || name.ends_with(".h");
    if (!code || name.ends_with("_test.cc") || name.ends_with("_fixture.h")) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    sources.push_back({stdfs::relative(entry.path(), root).generic_string(), WithoutComments(in)});
  }
  return sources;
}

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Every identifier that follows `prefix` in text (up to the first character not of a name).
std::set<std::string> NamesAfter(const std::string& text, std::string_view prefix) {
  std::set<std::string> names;
  for (size_t at = text.find(prefix); at != std::string::npos; at = text.find(prefix, at + 1)) {
    size_t end = at + prefix.size();
    while (end < text.size() && IsWordChar(text[end])) ++end;
    names.insert(text.substr(at + prefix.size(), end - at - prefix.size()));
  }
  return names;
}

// Whether text calls a function called name: the name as a whole word followed by "(".
bool Calls(const std::string& text, std::string_view name) {
  for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
    if (at > 0 && IsWordChar(text[at - 1])) continue;
    size_t after = at + name.size();
    while (after < text.size() && text[after] == ' ') ++after;
    if (after < text.size() && text[after] == '(') return true;
  }
  return false;
}

class KeysScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = test_support::SourceDir();
    sources_ = ProgramSources(root_);
    // Guards against scanning the wrong folder and passing on nothing.
    ASSERT_GT(sources_.size(), 100u) << root_;
  }
  const Source* Find(std::string_view path) const {
    for (const Source& source : sources_) {
      if (source.path.ends_with(path)) return &source;
    }
    return nullptr;
  }

  stdfs::path root_;
  std::vector<Source> sources_;
};

TEST_F(KeysScanTest, NoCodeReadsOrWritesASettingByLiteralNames) {
  // The store itself, and the command that reads and writes the names a user types.
  const std::set<std::string> allowed = {"settings.h", "settings.cc", "settings_commands.cc"};
  for (const Source& source : sources_) {
    const std::string file = stdfs::path(source.path).filename().string();
    if (allowed.contains(file)) continue;
    for (std::string_view call : {"GetSetting", "SaveSetting", "DeleteSetting"}) {
      EXPECT_FALSE(Calls(source.code, call))
          << source.path << " calls " << call << " with literal names: use a row of keys.h";
    }
  }
}

TEST_F(KeysScanTest, SectionNamesAreWrittenOnlyInTheTable) {
  // fill_tables.h names the sections of its own key columns; placeholders_test checks every key
  // of the fill tables against the rows of keys.h.
  const std::set<std::string> allowed = {"common/settings/keys.h", "common/compose/fill_tables.h"};
  for (const Source& source : sources_) {
    if (allowed.contains(source.path)) continue;
    for (std::string_view section : {"\"Admin Settings\"", "\"User Settings\"",
                                     "\"System Settings\"", "\"Template Settings\""}) {
      EXPECT_EQ(source.code.find(section), std::string::npos)
          << source.path << " names the section " << section << ": use a row of keys.h";
    }
  }
}

TEST_F(KeysScanTest, EveryRowIsInTheListOfKnownKeys) {
  const Source* header = Find("common/settings/keys.h");
  const Source* list = Find("common/settings/keys.cc");
  ASSERT_NE(header, nullptr);
  ASSERT_NE(list, nullptr);
  const std::set<std::string> rows = NamesAfter(header->code, "inline constexpr SettingKey ");
  const std::set<std::string> listed = NamesAfter(list->code, "&");
  EXPECT_GT(rows.size(), 150u);
  EXPECT_EQ(rows, listed);
}

}  // namespace
}  // namespace vellumo
