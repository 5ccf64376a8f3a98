// WinPath: where a Windows-style path lives on this machine.
//
// "C:\temp\a.htm" -> <drive_c>/temp/a.htm. A drive letter maps to a folder (by default C: to
// $VELLUMO_HOME/drive_c; other letters to $VELLUMO_HOME/drive_<letter>); backslashes and slashes
// are separators and repeated ones count once; "." and ".." are resolved without leaving the drive
// ("C:\..\..\etc" is <drive_c>/etc); a component that does not exist with its exact case matches an
// existing one that differs only in case (the first in name order). A native absolute path
// ("/home/...") passes through, only normalised the same way. A relative path, and one that starts
// with a single separator, is taken relative to the C: drive root.
//
// Paths that cannot live here throw Error(kBadFileName) naming the path: an empty path, one with
// a NUL character, and network paths ("\\server\share"; there is no network file system here).
//
// Thread safety: const members are safe to call concurrently when the lister and probe are.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo {

class WinPath {
 public:
  // Lists the names in a native folder (empty when missing); used for case-insensitive matching.
  using Lister = std::function<std::vector<std::string>(const std::string& native_folder)>;
  // Optional shortcut: true when a native path exists exactly as spelled. With it, a component
  // that exists as written costs one probe instead of a folder listing.
  using Probe = std::function<bool(const std::string& native_path)>;

  // home: the user's home folder; drives map below it unless MapDrive says otherwise.
  WinPath(std::string home, Lister lister, Probe probe = {});

  // letter: 'A'..'Z' in either case; native_folder: an absolute native folder.
  void MapDrive(char letter, std::string native_folder);
  // The native path for path. Pure text when no lister is set.
  std::string ToNative(std::string_view path) const;
  // The Windows-style path of a native path under a mapped drive ("C:\temp\a.htm"; the drive
  // root itself is "C:\"), or the native path unchanged.
  std::string ToWindows(std::string_view native) const;
  // The native folder a drive letter maps to.
  std::string DriveFolder(char letter) const;

  // Native path text helpers shared by the file systems. Join("/", "a") is "/a".
  static std::string NativeJoin(std::string_view folder, std::string_view name);
  // "/a/b" -> "/a"; "/a" -> "/"; "/" -> "/".
  static std::string NativeParent(std::string_view native);
  // The last component of a path of either style as written ("C:\x\A.HTM" -> "A.HTM"), or "".
  static std::string LastComponent(std::string_view path);

  // The fixed program folder, "C:\Program Files\Corvane\Vellumo\Programs".
  static constexpr std::string_view kProgramFolder =
      "C:\\Program Files\\Corvane\\Vellumo\\Programs";

 private:
  std::string Resolve(std::string root, const std::vector<std::string>& components) const;

  std::string home_;
  Lister lister_;
  Probe probe_;
  std::map<char, std::string> drives_;
};

}  // namespace vellumo
