#include "platform/file_system.h"

#include <algorithm>

#include "base/error.h"
#include "base/text.h"

namespace vellumo {
namespace {

// The characters of UTF-8 text, each as its bytes; a stray byte counts as one character so that
// '?' still matches exactly one unit of any input.
std::vector<std::string_view> Characters(std::string_view s) {
  std::vector<std::string_view> chars;
  size_t i = 0;
  while (i < s.size()) {
    unsigned char lead = static_cast<unsigned char>(s[i]);
    size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    size_t end = i + 1;
    while (end < s.size() && end < i + length &&
           (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) {
      ++end;
    }
    chars.push_back(s.substr(i, end - i));
    i = end;
  }
  return chars;
}

// Wildcard match with one remembered star: linear in practice and never exponential.
bool MatchesOne(const std::vector<std::string_view>& name,
                const std::vector<std::string_view>& pattern) {
  size_t n = 0, p = 0, star = std::string_view::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] != "*" && (pattern[p] == "?" || pattern[p] == name[n])) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == "*") {
      star = p++;
      mark = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == "*") ++p;
  return p == pattern.size();
}

}  // namespace

bool MatchesPattern(std::string_view name, std::string_view pattern) {
  std::string folded_name = text::FoldCase(name);
  std::vector<std::string_view> name_chars = Characters(folded_name);
  size_t start = 0;
  while (start <= pattern.size()) {
    size_t end = pattern.find(';', start);
    if (end == std::string_view::npos) end = pattern.size();
    std::string_view one = pattern.substr(start, end - start);
    if (one == "*.*") return true;
    if (!one.empty()) {
      std::string folded = text::FoldCase(one);
      if (MatchesOne(name_chars, Characters(folded))) return true;
    }
    start = end + 1;
  }
  return false;
}

void SortNames(std::vector<std::string>& names) {
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(names.size());
  for (std::string& name : names) keyed.emplace_back(text::FoldCase(name), std::move(name));
  std::sort(keyed.begin(), keyed.end());
  names.clear();
  for (auto& [key, name] : keyed) names.push_back(std::move(name));
}

void FileSystem::WriteNewFile(std::string_view temp_path, std::string_view target,
                              std::string_view data) {
  WriteFile(temp_path, data);
  try {
    Rename(temp_path, target);
  } catch (const Error&) {
    try {
      RemoveFile(temp_path);
    } catch (const Error&) {  // ignore: the rename's failure is the one to report
    }
    throw;
  }
}

std::vector<std::string> FileSystem::Drives() {
  std::vector<std::string> drives;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    std::string root = std::string(1, letter) + ":\\";
    if (letter == 'C' || FolderExists(root)) drives.push_back(std::move(root));
  }
  drives.emplace_back("/");
  return drives;
}

std::string FileSystem::ShownPath(std::string_view path) {
  std::string native = NativePath(path);
  std::string best_drive;
  size_t best_length = 0;
  std::string_view best_rest;
  for (const std::string& drive : Drives()) {
    if (drive == "/") continue;
    std::string root = NativePath(drive);
    std::string_view rest;
    if (native == root) {
      rest = {};
    } else if (root == "/" || (native.starts_with(root) && native[root.size()] == '/')) {
      rest = std::string_view(native).substr(root == "/" ? 1 : root.size() + 1);
    } else {
      continue;
    }
    // A letter mapped inside another letter's folder is the nearer drive.
    if (best_drive.empty() || root.size() > best_length) {
      best_drive = drive;
      best_length = root.size();
      best_rest = rest;
    }
  }
  if (best_drive.empty()) return native;
  std::string shown = best_drive;
  for (char c : best_rest) shown += c == '/' ? '\\' : c;
  return shown;
}

}  // namespace vellumo
