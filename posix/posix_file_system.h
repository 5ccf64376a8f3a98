// PosixFileSystem: the FileSystem on the disk of this machine.
//
// Paths resolve through WinPath (drive folders below the user's home, case-insensitive component
// matching against the disk). Failures throw Error with the classic code for errno: a missing file
// kFileNotFound, a missing folder kPathNotFound, EACCES/EPERM/EROFS kPermissionDenied, ENOSPC and
// EDQUOT kDiskFull, a folder where a file is wanted (and other conditions) kPathFileAccess; the
// detail is the path as the caller wrote it.
//
// WriteFile and Copy write a temporary file in the target's folder, flush it to the disk and
// rename it over the target, so readers never see a part and a failure leaves the old content. An
// existing target keeps its permission bits; a symbolic link keeps pointing where it did (the file
// it names is replaced). AppendFile opens with O_APPEND and writes the whole data in one write()
// call, so appends of several processes to one log file never interleave within a record.
//
// Not thread-safe in the FileSystem sense, but holds no mutable state: separate instances (or
// threads sharing a const WinPath) may work on the same files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/win_path.h"

namespace vellumo {

class PosixFileSystem final : public FileSystem {
 public:
  // Drives below home (an absolute native folder), matched against the disk.
  explicit PosixFileSystem(std::string home);
  // Paths resolved by paths as given (a WinPath without a lister does no case matching).
  explicit PosixFileSystem(WinPath paths) : paths_(std::move(paths)) {}

  // A WinPath over home that matches components against the disk.
  static WinPath DiskPaths(std::string home);
  // The names in a native folder, "." and ".." left out; empty when it cannot be read.
  static std::vector<std::string> ListNative(const std::string& native_folder);

  std::string ReadFile(std::string_view path) override;
  void WriteFile(std::string_view path, std::string_view data) override;
  void WriteNewFile(std::string_view temp_path, std::string_view target,
                    std::string_view data) override;
  void AppendFile(std::string_view path, std::string_view data) override;
  bool FileExists(std::string_view path) override;
  bool FolderExists(std::string_view path) override;
  uint64_t FileSize(std::string_view path) override;
  std::vector<std::string> ListFiles(std::string_view folder, std::string_view pattern) override;
  std::vector<std::string> FilesStartingWith(std::string_view folder,
                                             std::string_view prefix) override;
  std::vector<std::string> ListFolders(std::string_view folder) override;
  void Copy(std::string_view from, std::string_view to, bool overwrite) override;
  void RemoveFile(std::string_view path) override;
  void CreateFolder(std::string_view path) override;
  void RemoveFolder(std::string_view path) override;
  void Rename(std::string_view from, std::string_view to) override;
  std::string NativePath(std::string_view path) override;
  int RemoveStaleTemporaries(std::string_view folder, int64_t older_than_seconds,
                             bool all_files) override;

  const WinPath& paths() const { return paths_; }

 private:
  std::vector<std::string> List(std::string_view folder, bool want_files,
                                std::string_view prefix = {});

  WinPath paths_;
};

}  // namespace vellumo
