// FaultyFileSystem: forwards to another FileSystem and fails the calls a test chooses.
//
//   MemFileSystem mem;
//   FaultyFileSystem fs(mem);
//   fs.FailOn(FaultyFileSystem::Call::kReadFile, "beforetext", ErrorCode::kPermissionDenied);
//
// A rule names a member (Call::kAny: every member) and a piece of the path (compared ignoring
// case; "" matches every path; for Copy and Rename either path). A matching call throws the
// rule's Error naming the path and does not reach the wrapped file system. Rules are checked in
// the order they were added.
//
// Each rule is a planned failure (fault_plan.h): one that never made a call fail is reported
// when the wrapper goes away, unless it was planned with Firing::kOptional.
//
// Not thread-safe. The wrapped file system must outlive this object.
#pragma once

#include <optional>
#include <source_location>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "platform/fault_plan.h"
#include "platform/file_system.h"

namespace vellumo {

class FaultyFileSystem final : public FileSystem {
 public:
  // The members of FileSystem, one each, and kAny for all of them.
  enum class Call {
    kAny,
    kReadFile,
    kWriteFile,
    kAppendFile,
    kFileExists,
    kFolderExists,
    kFileSize,
    kListFiles,
    kListFolders,
    kCopy,
    kRemoveFile,
    kCreateFolder,
    kRemoveFolder,
    kRename,
    kNativePath,
    kRemoveStaleTemporaries,
  };
  // The member's name as declared in FileSystem ("*" for kAny).
  static std::string_view CallName(Call call);

  explicit FaultyFileSystem(FileSystem& base) : base_(base) {}

  // Fails matching calls with Error(code, path); times < 0: every time, else that many times.
  void FailOn(Call call, std::string path_part, ErrorCode code, int times = -1,
              Firing firing = Firing::kRequired,
              std::source_location where = std::source_location::current());
  // Fails matching calls with an Error of its own text (a description, no classic code).
  void FailOnWith(Call call, std::string path_part, std::string description, int times = -1,
                  Firing firing = Firing::kRequired,
                  std::source_location where = std::source_location::current());
  // No more failures; plans made so far are still judged on whether they fired.
  void ClearFailures() { rules_.clear(); }
  // How many calls were failed so far.
  int failures() const { return failures_; }
  // The plans made on this wrapper.
  const FaultLedger& ledger() const { return ledger_; }

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
                             bool all_files) override;

 private:
  struct Rule {
    Call call;
    std::string path_part;  // case-folded
    ErrorCode code;
    std::optional<std::string> description;
    int remaining;
    size_t plan;
  };
  void AddRule(Call call, std::string path_part, ErrorCode code,
               std::optional<std::string> description, int times, Firing firing,
               std::source_location where);
  void Check(Call call, std::string_view path, std::string_view other = {});

  FileSystem& base_;
  std::vector<Rule> rules_;
  int failures_ = 0;
  // Declared last: destroyed first, while the rules it describes are still there.
  FaultLedger ledger_;
};

}  // namespace vellumo
