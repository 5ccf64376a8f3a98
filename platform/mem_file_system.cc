#include "platform/mem_file_system.h"

#include <utility>

#include "base/error.h"

namespace vellumo {
namespace {

std::string Prefix(const std::string& native_folder) {
  return native_folder == "/" ? native_folder : native_folder + "/";
}

const std::string& KeyOf(const std::string& entry) { return entry; }
const std::string& KeyOf(const std::pair<const std::string, std::string>& entry) {
  return entry.first;
}

[[noreturn]] void Fail(ErrorCode code, std::string_view path) {
  throw Error(code, std::string(path));
}

}  // namespace

MemFileSystem::MemFileSystem(std::string home)
    : home_(WinPath(home, nullptr).ToNative(home)),
      // A name as written is looked up before the folder is listed for one in another case, as
      // on the disk.
      paths_(
          home_, [this](const std::string& folder) { return Names(folder, true, true); },
          [this](const std::string& native) { return IsFolder(native) || IsFile(native); }) {
  MakeFolders(paths_.DriveFolder('C'), "C:\\");
}

bool MemFileSystem::IsFolder(const std::string& native) const {
  return native == "/" || folders_.count(native) != 0;
}

std::vector<std::string> MemFileSystem::Names(const std::string& native_folder, bool files,
                                              bool folders) const {
  std::vector<std::string> names;
  std::string prefix = Prefix(native_folder);
  auto collect = [&](const auto& container) {
    for (auto it = container.lower_bound(prefix); it != container.end(); ++it) {
      const std::string& full = KeyOf(*it);
      if (!full.starts_with(prefix)) break;
      std::string_view rest = std::string_view(full).substr(prefix.size());
      if (!rest.empty() && rest.find('/') == std::string_view::npos) names.emplace_back(rest);
    }
  };
  if (files) collect(files_);
  if (folders) collect(folders_);
  return names;
}

void MemFileSystem::ThrowMissing(const std::string& native, std::string_view path) const {
  Fail(
      IsFolder(WinPath::NativeParent(native)) ? ErrorCode::kFileNotFound : ErrorCode::kPathNotFound,
      path);
}

void MemFileSystem::RequireWritable(const std::string& native, std::string_view path) const {
  if (IsFolder(native)) Fail(ErrorCode::kPathFileAccess, path);
  if (!IsFolder(WinPath::NativeParent(native))) Fail(ErrorCode::kPathNotFound, path);
}

void MemFileSystem::MakeFolders(const std::string& native, std::string_view path) {
  std::vector<std::string> chain;
  for (std::string at = native; at != "/" && at != "."; at = WinPath::NativeParent(at)) {
    chain.push_back(at);
  }
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (IsFile(*it)) Fail(ErrorCode::kPathFileAccess, path);
  }
  folders_.insert(chain.begin(), chain.end());
}

std::string MemFileSystem::ReadFile(std::string_view path) {
  files_read_.emplace_back(path);
  std::string native = Native(path);
  auto it = files_.find(native);
  if (it != files_.end()) return it->second;
  if (IsFolder(native)) Fail(ErrorCode::kPathFileAccess, path);
  ThrowMissing(native, path);
}

void MemFileSystem::WriteFile(std::string_view path, std::string_view data) {
  std::string native = Native(path);
  RequireWritable(native, path);
  files_[native].assign(data);  // keeps the memory of what it replaces
  files_written_.emplace_back(path);
}

void MemFileSystem::AppendFile(std::string_view path, std::string_view data) {
  std::string native = Native(path);
  RequireWritable(native, path);
  files_[native].append(data);
  appends_.push_back({std::string(path), std::string(data)});
}

bool MemFileSystem::FileExists(std::string_view path) {
  try {
    return IsFile(Native(path));
  } catch (const Error&) {
    return false;  // a path that cannot live here names no file
  }
}

bool MemFileSystem::FolderExists(std::string_view path) {
  try {
    return IsFolder(Native(path));
  } catch (const Error&) {
    return false;  // a path that cannot live here names no folder
  }
}

uint64_t MemFileSystem::FileSize(std::string_view path) {
  std::string native = Native(path);
  auto it = files_.find(native);
  if (it != files_.end()) return it->second.size();
  if (IsFolder(native)) Fail(ErrorCode::kPathFileAccess, path);
  ThrowMissing(native, path);
}

std::vector<std::string> MemFileSystem::ListFiles(std::string_view folder,
                                                  std::string_view pattern) {
  std::string native = Native(folder);
  if (!IsFolder(native)) return {};
  std::vector<std::string> names;
  for (std::string& name : Names(native, true, false)) {
    if (pattern.empty() || MatchesPattern(name, pattern)) names.push_back(std::move(name));
  }
  SortNames(names);
  return names;
}

std::vector<std::string> MemFileSystem::ListFolders(std::string_view folder) {
  std::string native = Native(folder);
  if (!IsFolder(native)) return {};
  std::vector<std::string> names = Names(native, false, true);
  SortNames(names);
  return names;
}

void MemFileSystem::Copy(std::string_view from, std::string_view to, bool overwrite) {
  files_read_.emplace_back(from);
  std::string source = Native(from);
  auto it = files_.find(source);
  if (it == files_.end()) {
    if (IsFolder(source)) Fail(ErrorCode::kPathFileAccess, from);
    ThrowMissing(source, from);
  }
  std::string target = Native(to);
  RequireWritable(target, to);
  if (IsFile(target) && !overwrite) Fail(ErrorCode::kPathFileAccess, to);
  files_[target] = it->second;
  files_written_.emplace_back(to);
}

void MemFileSystem::RemoveFile(std::string_view path) {
  std::string native = Native(path);
  if (IsFolder(native)) Fail(ErrorCode::kPathFileAccess, path);
  if (files_.erase(native) == 0) ThrowMissing(native, path);
  files_removed_.emplace_back(path);
}

void MemFileSystem::CreateFolder(std::string_view path) { MakeFolders(Native(path), path); }

void MemFileSystem::RemoveFolder(std::string_view path) {
  std::string native = Native(path);
  if (native == "/" || !IsFolder(native)) Fail(ErrorCode::kPathNotFound, path);
  if (!Names(native, true, true).empty()) Fail(ErrorCode::kPathFileAccess, path);
  folders_.erase(native);
}

void MemFileSystem::Rename(std::string_view from, std::string_view to) {
  std::string source = Native(from);
  bool is_file = IsFile(source);
  if (!is_file && (source == "/" || !IsFolder(source))) ThrowMissing(source, from);
  std::string target = Native(to);
  if (target == source) {
    // The target resolved to the source itself: only the spelling of the name changes.
    std::string literal = WinPath::LastComponent(to);
    if (literal.empty() || literal == "." || literal == "..") return;
    target = WinPath::NativeJoin(WinPath::NativeParent(source), literal);
    if (target == source) return;
  } else {
    if (IsFile(target) || IsFolder(target)) Fail(ErrorCode::kPathFileAccess, to);
    if (!IsFolder(WinPath::NativeParent(target))) Fail(ErrorCode::kPathNotFound, to);
  }
  if (is_file) {
    files_[target] = std::move(files_[source]);
    files_.erase(source);
    return;
  }
  if (target.starts_with(Prefix(source))) Fail(ErrorCode::kPathFileAccess, to);
  // A folder moves with everything below it.
  std::string old_prefix = Prefix(source);
  std::string new_prefix = Prefix(target);
  std::map<std::string, std::string> moved_files;
  for (auto it = files_.lower_bound(old_prefix);
       it != files_.end() && it->first.starts_with(old_prefix);) {
    moved_files[new_prefix + it->first.substr(old_prefix.size())] = std::move(it->second);
    it = files_.erase(it);
  }
  std::set<std::string> moved_folders = {target};
  for (auto it = folders_.lower_bound(old_prefix);
       it != folders_.end() && it->starts_with(old_prefix);) {
    moved_folders.insert(new_prefix + it->substr(old_prefix.size()));
    it = folders_.erase(it);
  }
  folders_.erase(source);
  files_.merge(moved_files);
  folders_.merge(moved_folders);
}

std::string MemFileSystem::NativePath(std::string_view path) { return Native(path); }

void MemFileSystem::AddFile(std::string_view path, std::string_view data) {
  std::string native = Native(path);
  if (IsFolder(native)) Fail(ErrorCode::kPathFileAccess, path);
  MakeFolders(WinPath::NativeParent(native), path);
  files_[native] = std::string(data);
}

void MemFileSystem::AddFolder(std::string_view path) { MakeFolders(Native(path), path); }

std::optional<std::string> MemFileSystem::Contents(std::string_view path) const {
  auto it = files_.find(Native(path));
  if (it == files_.end()) return std::nullopt;
  return it->second;
}

std::vector<std::string> MemFileSystem::AllFiles() const {
  std::vector<std::string> all;
  for (const auto& [native, data] : files_) all.push_back(native);
  return all;
}

void MemFileSystem::ClearRecords() {
  files_read_.clear();
  files_written_.clear();
  appends_.clear();
  files_removed_.clear();
}

}  // namespace vellumo
