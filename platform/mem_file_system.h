// MemFileSystem: a FileSystem in memory for tests, examples and dry runs.
//
// It resolves paths with the same WinPath logic as the disk (its own virtual home, "/home/user"
// by default, so "C:\temp" is /home/user/drive_c/temp), matches components case-insensitively over
// its own contents, and fails with the same classic codes as PosixFileSystem. The home and the C:
// drive root exist from the start. It records what the code under test touched.
//
// Not thread-safe. Not copyable: its WinPath lists this object's contents.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/win_path.h"

namespace vellumo {

class MemFileSystem final : public FileSystem {
 public:
  struct Append {
    std::string path;  // as the caller wrote it
    std::string data;
    bool operator==(const Append&) const = default;
  };

  // home: an absolute native folder; it need not exist anywhere but here.
  explicit MemFileSystem(std::string home = "/home/user");
  MemFileSystem(const MemFileSystem&) = delete;
  MemFileSystem& operator=(const MemFileSystem&) = delete;

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

  // Test set-up: put a file (creating its folders, replacing a file) or a folder in place.
  // Not recorded.
  void AddFile(std::string_view path, std::string_view data);
  void AddFolder(std::string_view path);
  // The content of a file, or nullopt; not recorded.
  std::optional<std::string> Contents(std::string_view path) const;
  // Every native file path held, in byte order.
  std::vector<std::string> AllFiles() const;

  // What the code did, paths as it wrote them, in call order. Reads record every call (also those
  // that failed); the others record what succeeded. Copy counts as a read of its source and a
  // write of its target.
  const std::vector<std::string>& files_read() const { return files_read_; }
  const std::vector<std::string>& files_written() const { return files_written_; }
  const std::vector<Append>& appends() const { return appends_; }
  const std::vector<std::string>& files_removed() const { return files_removed_; }
  void ClearRecords();

  const std::string& home() const { return home_; }
  WinPath& paths() { return paths_; }

 private:
  std::string Native(std::string_view path) const { return paths_.ToNative(path); }
  bool IsFolder(const std::string& native) const;
  bool IsFile(const std::string& native) const { return files_.count(native) != 0; }
  // Names directly inside a native folder (files and folders), unsorted.
  std::vector<std::string> Names(const std::string& native_folder, bool files, bool folders) const;
  // For a missing path: kFileNotFound when its folder exists, else kPathNotFound.
  [[noreturn]] void ThrowMissing(const std::string& native, std::string_view path) const;
  // The folder of native must exist, else kPathNotFound; native must not be a folder.
  void RequireWritable(const std::string& native, std::string_view path) const;
  void MakeFolders(const std::string& native, std::string_view path);

  std::string home_;
  WinPath paths_;
  std::map<std::string, std::string> files_;
  std::set<std::string> folders_;
  std::vector<std::string> files_read_;
  std::vector<std::string> files_written_;
  std::vector<Append> appends_;
  std::vector<std::string> files_removed_;
};

}  // namespace vellumo
