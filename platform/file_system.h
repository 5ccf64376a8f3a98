// FileSystem: whole-file reads and writes, appends, folder listings.
//
// Paths are as the system writes them: Windows-style ("C:\temp\a.htm", "c:\Program Files\...")
// or native absolute ("/home/u/a.htm"). Both implementations resolve them the same way (see
// WinPath): a drive letter maps to a folder, backslashes are separators, and a component that does
// not exist as written matches an existing one that differs only in case.
//
// Failures throw vellumo::Error with the classic code ("File not found", "Path not found",
// "Permission denied", "Path/File access error", "Disk full") and the path as detail.
// Implementations: PosixFileSystem (the disk) and MemFileSystem (memory, records what was
// touched). Not thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo {

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The whole file. Missing file: kFileNotFound; missing folder: kPathNotFound; a folder or
  // anything else that is not a plain file: kPathFileAccess.
  virtual std::string ReadFile(std::string_view path) = 0;
  // Creates or truncates. The parent folder must exist (else kPathNotFound). Atomic: readers see
  // the old or the new content, never a part (temporary file, then rename).
  virtual void WriteFile(std::string_view path, std::string_view data) = 0;
  // Writes a file that must not exist yet at target by way of temp_path, a name in another folder
  // of the same file system (a Maildir's tmp/): target never shows a part. An existing target is
  // kPathFileAccess and stays as it was; a failure leaves nothing at temp_path or target. The
  // disk's version syncs the data before the name appears and target's folder after it, so the
  // file is durable when this returns (it may use another name in temp_path's folder). The
  // default is WriteFile(temp_path) then Rename.
  virtual void WriteNewFile(std::string_view temp_path, std::string_view target,
                            std::string_view data);
  // Creates or appends; one write, so appends of several processes never interleave in a line.
  virtual void AppendFile(std::string_view path, std::string_view data) = 0;
  // False for anything else, including paths that cannot live here (see WinPath).
  virtual bool FileExists(std::string_view path) = 0;
  virtual bool FolderExists(std::string_view path) = 0;
  // Errors as ReadFile.
  virtual uint64_t FileSize(std::string_view path) = 0;
  // Names (not paths) of the files in folder matching pattern ("*.htm", "*.*", "*"; see
  // MatchesPattern; an empty pattern lists every file), sorted by SortNames. Missing folder:
  // empty list.
  virtual std::vector<std::string> ListFiles(std::string_view folder, std::string_view pattern) = 0;
  // Names of the files in folder that begin with prefix, byte for byte (case matters), in no
  // particular order. Missing folder: empty list. For finding one name among many without
  // sorting the lot; the default filters ListFiles, the disk's reads the folder once.
  virtual std::vector<std::string> FilesStartingWith(std::string_view folder,
                                                     std::string_view prefix) {
    std::vector<std::string> names = ListFiles(folder, "");
    std::erase_if(names, [&](const std::string& name) { return !name.starts_with(prefix); });
    return names;
  }
  // Names of the folders in folder, sorted by SortNames. Missing folder: empty list.
  virtual std::vector<std::string> ListFolders(std::string_view folder) = 0;
  // Copy a file; an existing target is replaced only when overwrite is set, else
  // kPathFileAccess.
  virtual void Copy(std::string_view from, std::string_view to, bool overwrite) = 0;
  // A file only: a folder is kPathFileAccess.
  virtual void RemoveFile(std::string_view path) = 0;
  // Creates the folder and its parents; an existing folder is fine, a file in the way is
  // kPathFileAccess.
  virtual void CreateFolder(std::string_view path) = 0;
  // An empty folder only: one with content is kPathFileAccess, a missing one kPathNotFound.
  virtual void RemoveFolder(std::string_view path) = 0;
  // Moves a file or folder. An existing target is kPathFileAccess (never replaced); a target that
  // differs from from only in case renames to that spelling.
  virtual void Rename(std::string_view from, std::string_view to) = 0;
  // Where the path lives, as a native path (for handing to other programs or showing to users).
  virtual std::string NativePath(std::string_view path) = 0;

  // The drives a user can pick, each as its root: the drive letters in order ("A:\" ...
  // "Z:\"), C: always and every other letter whose folder exists, then the native root "/".
  // Built on FolderExists, so every implementation (and wrapper) answers alike.
  std::vector<std::string> Drives();
  // path as a user sees it: the Windows-style path of where it lives when that is under one of
  // Drives()' letters ("c:\TEMP\" -> "C:\temp" when the folder is spelled so; a drive root is
  // "C:\"), else the native path. Components that exist take their stored case; the path need
  // not exist. Built on NativePath: a path that cannot live here throws its kBadFileName.
  std::string ShownPath(std::string_view path);
  // Removes what writers that never finished left in folder, last changed more than
  // older_than_seconds ago: this file system's own temporary files (see WriteFile), and every
  // file when all_files is set (a Maildir's tmp/). Returns how many went. Unreadable entries are
  // skipped. A file system without temporaries of its own (the in-memory one) keeps this default.
  virtual int RemoveStaleTemporaries(std::string_view folder, int64_t older_than_seconds,
                                     bool all_files) {
    (void)folder;
    (void)older_than_seconds;
    (void)all_files;
    return 0;
  }
};

// True when name matches a wildcard pattern ('*' any run of characters, '?' exactly one),
// ignoring case. "*.*" matches every name, with or without a dot; otherwise matching is plain
// ("*.htm" does not match "a.html"). Several patterns may be given separated by ';'
// ("*.htm;*.html"), as file-list boxes accept them; an empty pattern matches nothing.
bool MatchesPattern(std::string_view name, std::string_view pattern);

// Sorts names the way listings are sorted: case-insensitively, names differing only in case by
// their bytes, so the order never depends on the file system.
void SortNames(std::vector<std::string>& names);

}  // namespace vellumo
