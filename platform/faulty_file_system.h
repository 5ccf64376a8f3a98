// FaultyFileSystem: forwards to another FileSystem and fails the calls a test chooses.
//
//   MemFileSystem mem;
//   FaultyFileSystem fs(mem);
//   fs.FailOn("ReadFile", "beforetext", ErrorCode::kPermissionDenied);
//
// A rule names a member ("ReadFile", "WriteFile", ..., exactly as declared in FileSystem, or "*"
// for every member) and a piece of the path (compared ignoring case; "" matches every path; for
// Copy and Rename either path). A matching call throws the rule's Error naming the path and
// does not reach the wrapped file system. Rules are checked in the order they were added.
//
// Not thread-safe. The wrapped file system must outlive this object.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "platform/file_system.h"

namespace vellumo {

class FaultyFileSystem final : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& base) : base_(base) {}

  // Fails matching calls with Error(code, path); times < 0: every time, else that many times.
  void FailOn(std::string member, std::string path_part, ErrorCode code, int times = -1);
  // Fails matching calls with an Error of its own text (a description, no classic code).
  void FailOnWith(std::string member, std::string path_part, std::string description,
                  int times = -1);
  void ClearFailures() { rules_.clear(); }
  // How many calls were failed so far.
  int failures() const { return failures_; }

  std::string ReadFile(std::string_view path) override;
  void WriteFile(std::string_view path, std::string_view data) override;
  void AppendFile(std::string_view path, std::string_view data) override;
  bool FileExists(std::string_view path) override;
  bool FolderExists(std::string_view path) override;
  uint64_t FileSize(std::string_view path) override;
  std::vector<std::string> ListFiles(std::string_view folder, std::string_view pattern) override;
  std::vector<std::string> ListFolders(std::string_view folder) override;
  void Copy(std::string_view from, std::string_view to, bool overwrite) override;
  void RemoveFile(std::string_view path) override;
  void CreateFolder(std::string_view path) override;
  void RemoveFolder(std::string_view path) override;
  void Rename(std::string_view from, std::string_view to) override;
  std::string NativePath(std::string_view path) override;
  int RemoveStaleTemporaries(std::string_view folder, int64_t older_than_seconds,
                             bool all_files) override {
    return base_.RemoveStaleTemporaries(folder, older_than_seconds, all_files);
  }

 private:
  struct Rule {
    std::string member;
    std::string path_part;  // case-folded
    ErrorCode code;
    std::optional<std::string> description;
    int remaining;
  };
  void Check(std::string_view member, std::string_view path, std::string_view other = {});

  FileSystem& base_;
  std::vector<Rule> rules_;
  int failures_ = 0;
};

}  // namespace vellumo
