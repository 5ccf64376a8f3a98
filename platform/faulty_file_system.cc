#include "platform/faulty_file_system.h"

#include <utility>

#include "base/text.h"

namespace vellumo {
namespace {

struct CallInfo {
  FaultyFileSystem::Call call;
  std::string_view name;
};

constexpr CallInfo kCalls[] = {
    {FaultyFileSystem::Call::kAny, "*"},
    {FaultyFileSystem::Call::kReadFile, "ReadFile"},
    {FaultyFileSystem::Call::kWriteFile, "WriteFile"},
    {FaultyFileSystem::Call::kAppendFile, "AppendFile"},
    {FaultyFileSystem::Call::kFileExists, "FileExists"},
    {FaultyFileSystem::Call::kFolderExists, "FolderExists"},
    {FaultyFileSystem::Call::kFileSize, "FileSize"},
    {FaultyFileSystem::Call::kListFiles, "ListFiles"},
    {FaultyFileSystem::Call::kListFolders, "ListFolders"},
    {FaultyFileSystem::Call::kCopy, "Copy"},
    {FaultyFileSystem::Call::kRemoveFile, "RemoveFile"},
    {FaultyFileSystem::Call::kCreateFolder, "CreateFolder"},
    {FaultyFileSystem::Call::kRemoveFolder, "RemoveFolder"},
    {FaultyFileSystem::Call::kRename, "Rename"},
    {FaultyFileSystem::Call::kNativePath, "NativePath"},
    {FaultyFileSystem::Call::kRemoveStaleTemporaries, "RemoveStaleTemporaries"},
};

}  // namespace

std::string_view FaultyFileSystem::CallName(Call call) {
  for (const CallInfo& info : kCalls) {
    if (info.call == call) return info.name;
  }
  return "?";
}

void FaultyFileSystem::AddRule(Call call, std::string path_part, ErrorCode code,
                               std::optional<std::string> description, int times, Firing firing,
                               std::source_location where) {
  std::string what = std::string(CallName(call)) + " on '" + path_part + "'";
  const size_t plan = ledger_.Plan(std::move(what), firing, where);
  rules_.push_back({call, text::FoldCase(path_part), code, std::move(description), times, plan});
}

void FaultyFileSystem::FailOn(Call call, std::string path_part, ErrorCode code, int times,
                              Firing firing, std::source_location where) {
  AddRule(call, std::move(path_part), code, std::nullopt, times, firing, where);
}

void FaultyFileSystem::FailOnWith(Call call, std::string path_part, std::string description,
                                  int times, Firing firing, std::source_location where) {
  AddRule(call, std::move(path_part), ErrorCode::kOther, std::move(description), times, firing,
          where);
}

void FaultyFileSystem::Check(Call call, std::string_view path, std::string_view other) {
  std::string folded = text::FoldCase(path);
  std::string folded_other = text::FoldCase(other);
  for (Rule& rule : rules_) {
    if (rule.remaining == 0 || (rule.call != Call::kAny && rule.call != call)) continue;
    std::string_view failed_path;
    if (folded.find(rule.path_part) != std::string::npos) {
      failed_path = path;
    } else if (!other.empty() && folded_other.find(rule.path_part) != std::string::npos) {
      failed_path = other;
    } else {
      continue;
    }
    if (rule.remaining > 0) --rule.remaining;
    ++failures_;
    ledger_.Fire(rule.plan);
    if (rule.description) throw Error(*rule.description + ": " + std::string(failed_path));
    throw Error(rule.code, std::string(failed_path));
  }
}

std::string FaultyFileSystem::ReadFile(std::string_view path) {
  Check(Call::kReadFile, path);
  return base_.ReadFile(path);
}

void FaultyFileSystem::WriteFile(std::string_view path, std::string_view data) {
  Check(Call::kWriteFile, path);
  base_.WriteFile(path, data);
}

void FaultyFileSystem::AppendFile(std::string_view path, std::string_view data) {
  Check(Call::kAppendFile, path);
  base_.AppendFile(path, data);
}

bool FaultyFileSystem::FileExists(std::string_view path) {
  Check(Call::kFileExists, path);
  return base_.FileExists(path);
}

bool FaultyFileSystem::FolderExists(std::string_view path) {
  Check(Call::kFolderExists, path);
  return base_.FolderExists(path);
}

uint64_t FaultyFileSystem::FileSize(std::string_view path) {
  Check(Call::kFileSize, path);
  return base_.FileSize(path);
}

std::vector<std::string> FaultyFileSystem::ListFiles(std::string_view folder,
                                                     std::string_view pattern) {
  Check(Call::kListFiles, folder);
  return base_.ListFiles(folder, pattern);
}

std::vector<std::string> FaultyFileSystem::ListFolders(std::string_view folder) {
  Check(Call::kListFolders, folder);
  return base_.ListFolders(folder);
}

void FaultyFileSystem::Copy(std::string_view from, std::string_view to, bool overwrite) {
  Check(Call::kCopy, from, to);
  base_.Copy(from, to, overwrite);
}

void FaultyFileSystem::RemoveFile(std::string_view path) {
  Check(Call::kRemoveFile, path);
  base_.RemoveFile(path);
}

void FaultyFileSystem::CreateFolder(std::string_view path) {
  Check(Call::kCreateFolder, path);
  base_.CreateFolder(path);
}

void FaultyFileSystem::RemoveFolder(std::string_view path) {
  Check(Call::kRemoveFolder, path);
  base_.RemoveFolder(path);
}

void FaultyFileSystem::Rename(std::string_view from, std::string_view to) {
  Check(Call::kRename, from, to);
  base_.Rename(from, to);
}

std::string FaultyFileSystem::NativePath(std::string_view path) {
  Check(Call::kNativePath, path);
  return base_.NativePath(path);
}

int FaultyFileSystem::RemoveStaleTemporaries(std::string_view folder, int64_t older_than_seconds,
                                             bool all_files) {
  Check(Call::kRemoveStaleTemporaries, folder);
  return base_.RemoveStaleTemporaries(folder, older_than_seconds, all_files);
}

}  // namespace vellumo
