#include "localmail/maildir.h"

#include <algorithm>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "platform/file_system.h"

namespace vellumo::localmail {
namespace {

constexpr std::string_view kTmp = "tmp";
constexpr std::string_view kNew = "new";
constexpr std::string_view kCur = "cur";
constexpr std::string_view kInfoSeparator = ":2,";
constexpr std::string_view kClaimField = ",C=";

std::string Join(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (out.empty() || (out.back() != '/' && out.back() != '\\')) out += '/';
  out += name;
  return out;
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

bool IsReservedName(std::string_view name) {
  return text::EqualsText(name, kTmp) || text::EqualsText(name, kNew) ||
         text::EqualsText(name, kCur);
}

void AppendEscape(std::string& out, unsigned char c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

std::string_view FileNameOf(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view FolderOf(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

// Renames the message at path to the name change makes of it; nullopt when it is gone.
template <typename Change>
std::optional<std::string> RenameMessage(FileSystem& fs, std::string_view path, Change change) {
  MaildirName name = ParseMaildirName(FileNameOf(path));
  change(name);
  const std::string target = Join(FolderOf(path), FormatMaildirName(name));
  if (target == path) return std::string(path);
  try {
    fs.Rename(path, target);
  } catch (const Error& e) {
    // Another process renamed or removed it first (or made the very name we want): it is theirs.
    if (e.code() == ErrorCode::kFileNotFound || e.code() == ErrorCode::kPathNotFound ||
        (e.code() == ErrorCode::kPathFileAccess && !fs.FileExists(path))) {
      return std::nullopt;
    }
    throw;
  }
  return target;
}

}  // namespace

Maildir::Maildir(FileSystem& fs, std::string folder) : fs_(fs), folder_(std::move(folder)) {}

void Maildir::Create(FileSystem& fs, std::string_view folder) {
  for (std::string_view sub : {kTmp, kNew, kCur}) fs.CreateFolder(Join(folder, sub));
}

bool Maildir::Exists(FileSystem& fs, std::string_view folder) {
  return fs.FolderExists(Join(folder, kCur));
}

std::vector<Maildir::Message> Maildir::List() const {
  std::vector<Message> messages;
  for (std::string_view sub : {kNew, kCur}) {
    const std::string dir = Join(folder_, sub);
    for (const std::string& name : fs_.ListFiles(dir, "")) {
      if (name.empty() || name.front() == '.') continue;
      MaildirName parts = ParseMaildirName(name);
      messages.push_back({std::move(parts.unique), Join(dir, name), std::move(parts.claim),
                          std::move(parts.flags)});
    }
  }
  std::stable_sort(messages.begin(), messages.end(),
                   [](const Message& a, const Message& b) { return a.unique < b.unique; });
  return messages;
}

std::optional<std::string> Maildir::Find(std::string_view unique) const {
  // Every delivery asks this, so it must not cost a sorted listing of a large Sent Items.
  for (std::string_view sub : {kNew, kCur}) {
    const std::string dir = Join(folder_, sub);
    for (const std::string& name : fs_.FilesStartingWith(dir, unique)) {
      if (name.front() != '.' && ParseMaildirName(name).unique == unique) return Join(dir, name);
    }
  }
  return std::nullopt;
}

std::string Maildir::Deliver(std::string_view unique, std::string_view bytes,
                             std::string_view flags) {
  return DeliverClaimed(unique, bytes, flags, "");
}

std::optional<std::string> Maildir::DeliverIfAbsent(std::string_view unique, std::string_view bytes,
                                                    std::string_view flags) {
  if (!IsValidUnique(unique)) throw Error(ErrorCode::kBadFileName, std::string(unique));
  if (Find(unique)) return std::nullopt;
  return Write(unique, bytes, flags, "");
}

std::string Maildir::DeliverClaimed(std::string_view unique, std::string_view bytes,
                                    std::string_view flags, std::string_view claim) {
  if (!IsValidUnique(unique)) throw Error(ErrorCode::kBadFileName, std::string(unique));
  if (Find(unique)) throw Error(ErrorCode::kPathFileAccess, Join(folder_, unique));
  return Write(unique, bytes, flags, claim);
}

std::string Maildir::Write(std::string_view unique, std::string_view bytes, std::string_view flags,
                           std::string_view claim) {
  const std::string temp = Join(Join(folder_, kTmp), unique);
  const std::string target =
      Join(Join(folder_, kCur),
           FormatMaildirName({std::string(unique), std::string(claim), std::string(flags)}));
  // Synced before its name appears in cur/ and cur/ after; nothing stays in tmp/ on failure.
  fs_.WriteNewFile(temp, target, bytes);
  return target;
}

std::optional<std::string> Maildir::Claim(std::string_view path, std::string_view claim) {
  return RenameMessage(fs_, path, [&](MaildirName& name) { name.claim = std::string(claim); });
}

std::optional<std::string> Maildir::Release(std::string_view path) {
  return RenameMessage(fs_, path, [](MaildirName& name) { name.claim.clear(); });
}

std::optional<std::string> Maildir::SetFlags(std::string_view path, std::string_view flags) {
  return RenameMessage(fs_, path, [&](MaildirName& name) { name.flags = std::string(flags); });
}

void Maildir::RemoveStaleTemporaries() {
  constexpr int64_t kStaleSeconds = 3600;
  fs_.RemoveStaleTemporaries(Join(folder_, kTmp), kStaleSeconds, true);
  for (std::string_view sub : {kNew, kCur}) {
    fs_.RemoveStaleTemporaries(Join(folder_, sub), kStaleSeconds, false);
  }
}

void Maildir::Replace(std::string_view path, std::string_view bytes) { fs_.WriteFile(path, bytes); }

void Maildir::Remove(std::string_view path) { fs_.RemoveFile(path); }

MaildirName ParseMaildirName(std::string_view file_name) {
  MaildirName name;
  std::string_view base = file_name;
  const size_t info = file_name.find(kInfoSeparator);
  if (info != std::string_view::npos) {
    base = file_name.substr(0, info);
    name.flags = std::string(file_name.substr(info + kInfoSeparator.size()));
  }
  const size_t claim = base.rfind(kClaimField);
  if (claim != std::string_view::npos) {
    name.claim = std::string(base.substr(claim + kClaimField.size()));
    base = base.substr(0, claim);
  }
  name.unique = std::string(base);
  return name;
}

MaildirName ParseMaildirPath(std::string_view path) { return ParseMaildirName(FileNameOf(path)); }

std::string FormatMaildirName(const MaildirName& name) {
  std::string out = name.unique;
  if (!name.claim.empty()) out += std::string(kClaimField) + name.claim;
  return out + std::string(kInfoSeparator) + name.flags;
}

std::string WithFlag(std::string_view flags, char flag) {
  std::string out(flags);
  if (out.find(flag) == std::string::npos) {
    out += flag;
    std::sort(out.begin(), out.end());
  }
  return out;
}

std::string UniqueOf(std::string_view file_name) { return ParseMaildirName(file_name).unique; }

bool IsValidUnique(std::string_view unique) {
  if (unique.empty() || unique.front() == '.') return false;
  return std::none_of(unique.begin(), unique.end(), [](char c) {
    return c == '/' || c == '\\' || c == ':' || IsControl(static_cast<unsigned char>(c));
  });
}

void CheckFolderName(std::string_view name) {
  constexpr size_t kMaxBytes = 200;
  const bool bad = text::Trim(name).empty() || name.size() > kMaxBytes ||
                   std::any_of(name.begin(), name.end(), [](char c) {
                     return c == '/' || c == '\\' || IsControl(static_cast<unsigned char>(c));
                   });
  if (bad) throw Error(ErrorCode::kInvalidCall, "folder name '" + std::string(name) + "'");
}

std::string EncodeFolderName(std::string_view name) {
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    const bool escape = c == '%' || c == '/' || c == '\\' || IsControl(c) ||
                        (i == 0 && (c == '.' || IsReservedName(name)));
    if (escape) {
      AppendEscape(out, c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string DecodeFolderName(std::string_view disk_name) {
  std::string out;
  for (size_t i = 0; i < disk_name.size(); ++i) {
    if (disk_name[i] == '%' && i + 2 < disk_name.size()) {
      const int hi = text::HexDigit(disk_name[i + 1]);
      const int lo = text::HexDigit(disk_name[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        continue;
      }
    }
    out += disk_name[i];
  }
  return out;
}

}  // namespace vellumo::localmail
