#include "platform/faulty_file_system.h"

#include <utility>

#include "base/text.h"

namespace vellumo {

void FaultyFileSystem::FailOn(std::string member, std::string path_part, ErrorCode code,
                              int times) {
  rules_.push_back({std::move(member), text::FoldCase(path_part), code, std::nullopt, times});
}

void FaultyFileSystem::FailOnWith(std::string member, std::string path_part,
                                  std::string description, int times) {
  rules_.push_back({std::move(member), text::FoldCase(path_part), ErrorCode::kOther,
                    std::move(description), times});
}

void FaultyFileSystem::Check(std::string_view member, std::string_view path,
                             std::string_view other) {
  std::string folded = text::FoldCase(path);
  std::string folded_other = text::FoldCase(other);
  for (Rule& rule : rules_) {
    if (rule.remaining == 0 || (rule.member != "*" && rule.member != member)) continue;
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
    if (rule.description) throw Error(*rule.description + ": " + std::string(failed_path));
    throw Error(rule.code, std::string(failed_path));
  }
}

std::string FaultyFileSystem::ReadFile(std::string_view path) {
  Check("ReadFile", path);
  return base_.ReadFile(path);
}

void FaultyFileSystem::WriteFile(std::string_view path, std::string_view data) {
  Check("WriteFile", path);
  base_.WriteFile(path, data);
}

void FaultyFileSystem::AppendFile(std::string_view path, std::string_view data) {
  Check("AppendFile", path);
  base_.AppendFile(path, data);
}

bool FaultyFileSystem::FileExists(std::string_view path) {
  Check("FileExists", path);
  return base_.FileExists(path);
}

bool FaultyFileSystem::FolderExists(std::string_view path) {
  Check("FolderExists", path);
  return base_.FolderExists(path);
}

uint64_t FaultyFileSystem::FileSize(std::string_view path) {
  Check("FileSize", path);
  return base_.FileSize(path);
}

std::vector<std::string> FaultyFileSystem::ListFiles(std::string_view folder,
                                                     std::string_view pattern) {
  Check("ListFiles", folder);
  return base_.ListFiles(folder, pattern);
}

std::vector<std::string> FaultyFileSystem::ListFolders(std::string_view folder) {
  Check("ListFolders", folder);
  return base_.ListFolders(folder);
}

void FaultyFileSystem::Copy(std::string_view from, std::string_view to, bool overwrite) {
  Check("Copy", from, to);
  base_.Copy(from, to, overwrite);
}

void FaultyFileSystem::RemoveFile(std::string_view path) {
  Check("RemoveFile", path);
  base_.RemoveFile(path);
}

void FaultyFileSystem::CreateFolder(std::string_view path) {
  Check("CreateFolder", path);
  base_.CreateFolder(path);
}

void FaultyFileSystem::RemoveFolder(std::string_view path) {
  Check("RemoveFolder", path);
  base_.RemoveFolder(path);
}

void FaultyFileSystem::Rename(std::string_view from, std::string_view to) {
  Check("Rename", from, to);
  base_.Rename(from, to);
}

std::string FaultyFileSystem::NativePath(std::string_view path) {
  Check("NativePath", path);
  return base_.NativePath(path);
}

}  // namespace vellumo
