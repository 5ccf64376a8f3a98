#include "platform/processes.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "platform/win_path.h"

namespace vellumo {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The file name of a program path of either style.
std::string_view BaseName(std::string_view program) {
  size_t sep = program.find_last_of("\\/");
  return sep == std::string_view::npos ? program : program.substr(sep + 1);
}

// The system's own programs, by their name in lower case without separators; the general rule
// cannot split a name that arrives in one case.
constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kPrograms = {{
    {"profileassistant", "profile-assistant"},
    {"bulksender", "bulk-sender"},
    {"vellumo", "vellumo"},
}};

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> words;
  size_t i = 0;
  const size_t n = line.size();
  while (i < n && IsBlank(line[i])) ++i;
  if (i == n) return words;
  std::string program;
  while (i < n && !IsBlank(line[i])) {
    if (line[i] == '"') {
      for (++i; i < n && line[i] != '"'; ++i) program += line[i];
      if (i < n) ++i;
    } else {
      program += line[i++];
    }
  }
  words.push_back(std::move(program));
  for (;;) {
    while (i < n && IsBlank(line[i])) ++i;
    if (i == n) break;
    std::string word;
    bool quoted = false;
    while (i < n && (quoted || !IsBlank(line[i]))) {
      char c = line[i];
      if (c == '\\') {
        size_t count = 0;
        for (; i < n && line[i] == '\\'; ++i) ++count;
        if (i < n && line[i] == '"') {
          word.append(count / 2, '\\');
          if (count % 2 == 1) {
            word += '"';
            ++i;
          }
        } else {
          word.append(count, '\\');
        }
      } else if (c == '"') {
        if (quoted && i + 1 < n && line[i + 1] == '"') {
          word += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        word += c;
        ++i;
      }
    }
    words.push_back(std::move(word));
  }
  return words;
}

std::string ProgramFileName(std::string_view windows_name) {
  std::string_view name = BaseName(windows_name);
  if (text::AsciiLower(name).ends_with(".exe")) name.remove_suffix(4);
  std::string key;
  for (char c : text::AsciiLower(name)) {
    if (c != '-' && c != '_' && c != ' ') key += c;
  }
  for (const auto& [known, file] : kPrograms) {
    if (key == known) return std::string(file);
  }
  std::string out;
  auto separate = [&out] {
    if (!out.empty() && out.back() != '-') out += '-';
  };
  for (size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    if (IsUpper(c)) {
      char prev = i > 0 ? name[i - 1] : '\0';
      char next = i + 1 < name.size() ? name[i + 1] : '\0';
      // "BulkSender" -> bulk-sender; "HTMLHelp" -> html-help (a capital run ends before the
      // capital that starts the next word).
      if (IsLower(prev) || IsDigit(prev) || (IsUpper(prev) && IsLower(next))) separate();
      out += static_cast<char>(c - 'A' + 'a');
    } else if (c == ' ' || c == '_' || c == '.' || c == '-') {
      separate();
    } else {
      out += c;
    }
  }
  while (!out.empty() && out.back() == '-') out.pop_back();
  return out;
}

std::vector<std::string> MapCommandLine(std::string_view command_line, std::string_view self_exe,
                                        std::string_view program_dir) {
  std::vector<std::string> words = SplitCommandLine(command_line);
  if (words.empty() || words[0].empty()) {
    throw Error(ErrorCode::kInvalidCall, "empty command line");
  }
  std::string lower = text::AsciiLower(BaseName(words[0]));
  std::string stem = lower.ends_with(".exe") ? lower.substr(0, lower.size() - 4) : lower;
  std::vector<std::string> argv;
  if (stem == "regedit") {
    argv = {std::string(self_exe), "regedit"};
  } else if (stem == "msiexec") {
    throw Error("Installer packages cannot be run on this system: " + std::string(command_line));
  } else if (lower.ends_with(".exe")) {
    std::string file = ProgramFileName(words[0]);
    if (file.empty()) throw Error(ErrorCode::kFileNotFound, words[0]);
    argv = {WinPath::NativeJoin(program_dir, file)};
  } else {
    return words;
  }
  argv.insert(argv.end(), words.begin() + 1, words.end());
  return argv;
}

}  // namespace vellumo
