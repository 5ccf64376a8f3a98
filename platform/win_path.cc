#include "platform/win_path.h"

#include <algorithm>
#include <utility>

#include "base/error.h"
#include "base/text.h"

namespace vellumo {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char UpperLetter(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

char LowerLetter(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The components of rest with "." dropped and ".." taking back the previous one; a ".." at the
// root stays at the root, so no path can climb out of the folder it is resolved under.
std::vector<std::string> Components(std::string_view rest) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i < rest.size()) {
    while (i < rest.size() && IsSeparator(rest[i])) ++i;
    size_t end = i;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    std::string_view part = rest.substr(i, end - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.emplace_back(part);
    }
    i = end;
  }
  return parts;
}

// "/a/b/" -> "/a/b"; a relative home is kept as given, only without trailing separators.
std::string NormaliseFolder(std::string_view folder) {
  bool absolute = !folder.empty() && folder[0] == '/';
  std::string out = absolute ? "/" : "";
  for (const std::string& part : Components(folder)) {
    if (!out.empty() && out.back() != '/') out += '/';
    out += part;
  }
  return out.empty() ? "." : out;
}

// True when native is root or lies below it; rest receives the part after root (no separator).
bool Under(std::string_view native, std::string_view root, std::string_view* rest) {
  if (root == "/") {
    *rest = native.substr(1);
    return true;
  }
  if (native.substr(0, root.size()) != root) return false;
  if (native.size() == root.size()) {
    *rest = {};
    return true;
  }
  if (native[root.size()] != '/') return false;
  *rest = native.substr(root.size() + 1);
  return true;
}

}  // namespace

WinPath::WinPath(std::string home, Lister lister, Probe probe)
    : home_(NormaliseFolder(home)), lister_(std::move(lister)), probe_(std::move(probe)) {}

void WinPath::MapDrive(char letter, std::string native_folder) {
  if (!IsAsciiLetter(letter)) throw Error(ErrorCode::kBadFileName, std::string(1, letter) + ":");
  drives_[UpperLetter(letter)] = NormaliseFolder(native_folder);
}

std::string WinPath::DriveFolder(char letter) const {
  auto it = drives_.find(UpperLetter(letter));
  if (it != drives_.end()) return it->second;
  return NativeJoin(home_, std::string("drive_") + LowerLetter(letter));
}

std::string WinPath::ToNative(std::string_view path) const {
  if (path.empty()) throw Error(ErrorCode::kBadFileName, "(empty path)");
  if (path.find('\0') != std::string_view::npos) {
    throw Error(ErrorCode::kBadFileName, std::string(path.substr(0, path.find('\0'))));
  }
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
      (path[0] == '\\' || path[1] == '\\')) {
    throw Error(ErrorCode::kBadFileName, std::string(path));
  }
  if (path[0] == '/') return NormaliseFolder(path);
  char letter = 'C';
  std::string_view rest = path;
  if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':') {
    letter = path[0];
    rest = path.substr(2);
  }
  return Resolve(DriveFolder(letter), Components(rest));
}

std::string WinPath::Resolve(std::string current,
                             const std::vector<std::string>& components) const {
  bool matching = static_cast<bool>(lister_);
  for (const std::string& component : components) {
    std::string name = component;
    if (matching && !(probe_ && probe_(NativeJoin(current, component)))) {
      std::vector<std::string> names = lister_(current);
      if (std::find(names.begin(), names.end(), component) == names.end()) {
        std::optional<std::string> best;
        for (const std::string& candidate : names) {
          if (text::EqualsText(candidate, component) && (!best || candidate < *best)) {
            best = candidate;
          }
        }
        // Nothing below a missing component can exist, so stop listing there.
        if (best) {
          name = *best;
        } else {
          matching = false;
        }
      }
    }
    current = NativeJoin(current, name);
  }
  return current;
}

std::string WinPath::ToWindows(std::string_view native) const {
  if (native.empty() || native[0] != '/') return std::string(native);
  std::string normal = NormaliseFolder(native);
  char best_letter = 0;
  size_t best_length = 0;
  std::string_view best_rest;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    std::string root = DriveFolder(letter);
    std::string_view rest;
    if (Under(normal, root, &rest) && (best_letter == 0 || root.size() > best_length)) {
      best_letter = letter;
      best_length = root.size();
      best_rest = rest;
    }
  }
  if (best_letter == 0) return std::string(native);
  std::string out = std::string(1, best_letter) + ":\\";
  for (char c : best_rest) out += c == '/' ? '\\' : c;
  return out;
}

std::string WinPath::NativeJoin(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (out.empty() || out.back() != '/') out += '/';
  out += name;
  return out;
}

std::string WinPath::NativeParent(std::string_view native) {
  size_t slash = native.rfind('/');
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return std::string(native.substr(0, slash));
}

std::string WinPath::LastComponent(std::string_view path) {
  size_t end = path.size();
  while (end > 0 && IsSeparator(path[end - 1])) --end;
  size_t begin = end;
  while (begin > 0 && !IsSeparator(path[begin - 1])) --begin;
  std::string_view last = path.substr(begin, end - begin);
  if (begin == 0 && last.size() >= 2 && IsAsciiLetter(last[0]) && last[1] == ':') {
    last.remove_prefix(2);
  }
  return std::string(last);
}

}  // namespace vellumo
