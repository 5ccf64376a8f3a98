#include "odbc/driver_table.h"

#include <glob.h>

#include <algorithm>
#include <filesystem>

#include "base/error.h"
#include "base/text.h"

namespace vellumo::resources {
extern const std::string_view kOdbcinstIni;  // resources/odbcinst.ini, compiled in
}  // namespace vellumo::resources

namespace vellumo::odbc {
namespace {

namespace stdfs = std::filesystem;

std::string_view TrimLine(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return stdfs::is_directory(path, error);
}

}  // namespace

std::string_view ProjectOdbcinst() { return resources::kOdbcinstIni; }

std::vector<std::string> DefaultDriverDirs() {
  std::vector<std::string> candidates;
#ifdef VELLUMO_LIBRARY_ARCHITECTURE
  candidates.push_back("/usr/lib/" VELLUMO_LIBRARY_ARCHITECTURE "/odbc");
#endif
  glob_t found{};
  if (glob("/usr/lib/*/odbc", GLOB_ONLYDIR, nullptr, &found) == 0) {
    for (size_t i = 0; i < found.gl_pathc; ++i) candidates.emplace_back(found.gl_pathv[i]);
  }
  globfree(&found);
  candidates.insert(candidates.end(), {"/usr/lib/odbc", "/usr/lib64/odbc", "/usr/local/lib/odbc"});
  std::vector<std::string> dirs;
  for (std::string& dir : candidates) {
    if (IsFolder(dir) && std::find(dirs.begin(), dirs.end(), dir) == dirs.end()) {
      dirs.push_back(std::move(dir));
    }
  }
  return dirs;
}

DriverTable::DriverTable(std::string_view text, std::string_view file_name) {
  const auto where = [&](size_t line) {
    return std::string(file_name) + ":" + std::to_string(line) + ": ";
  };
  size_t number = 0;
  size_t section_line = 0;
  bool has_driver = true;
  for (std::string_view line : text::Lines(text)) {
    ++number;
    line = TrimLine(line);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      if (!has_driver) throw Error(where(section_line) + "the section has no Driver= line");
      if (line.back() != ']' || line.size() < 3) {
        throw Error(where(number) + "a section name must be written [Name]");
      }
      entries_.push_back({std::string(TrimLine(line.substr(1, line.size() - 2))), ""});
      section_line = number;
      has_driver = false;
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      throw Error(where(number) + "expected [Name] or Key=Value");
    }
    if (entries_.empty()) throw Error(where(number) + "Key=Value before the first [Name]");
    if (text::AsciiLower(TrimLine(line.substr(0, equals))) == "driver") {
      entries_.back().library = std::string(TrimLine(line.substr(equals + 1)));
      has_driver = !entries_.back().library.empty();
    }
  }
  if (!has_driver) throw Error(where(section_line) + "the section has no Driver= line");
}

std::optional<DriverTable::Entry> DriverTable::Find(std::string_view name) const {
  const std::string wanted = text::AsciiLower(name);
  for (const Entry& entry : entries_) {
    if (text::AsciiLower(entry.name) == wanted) return entry;
  }
  return std::nullopt;
}

std::vector<std::string> DriverTable::Names() const {
  std::vector<std::string> names;
  for (const Entry& entry : entries_) names.push_back(entry.name);
  return names;
}

std::optional<std::string> DriverTable::Locate(const Entry& entry,
                                               const std::vector<std::string>& dirs) {
  std::error_code error;
  if (stdfs::path(entry.library).is_absolute()) {
    if (stdfs::is_regular_file(entry.library, error)) return entry.library;
    return std::nullopt;
  }
  for (const std::string& dir : dirs) {
    const stdfs::path candidate = stdfs::path(dir) / entry.library;
    if (stdfs::is_regular_file(candidate, error)) return candidate.string();
  }
  return std::nullopt;
}

}  // namespace vellumo::odbc
