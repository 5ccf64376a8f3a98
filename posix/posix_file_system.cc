#include "posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <random>
#include <system_error>
#include <utility>

#include "base/error.h"

namespace vellumo {
namespace {

// What an errno is about: ENOENT on a file whose folder exists is "File not found"; on a folder,
// or for a file about to be created, the folder is what is missing.
enum class Subject { kFile, kFolder, kNewFile };

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&&) = delete;
  int get() const { return fd_; }
  // Closes now and returns the errno close() reports (some file systems report a failed write
  // only here), or 0.
  int Close() {
    int fd = std::exchange(fd_, -1);
    return ::close(fd) == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using Dir = std::unique_ptr<DIR, DirCloser>;

bool IsFolder(const std::string& native) {
  struct stat st;
  return ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

ErrorCode CodeFor(int err, const std::string& native, Subject subject) {
  switch (err) {
    case ENOENT:
      return subject == Subject::kFile && IsFolder(WinPath::NativeParent(native))
                 ? ErrorCode::kFileNotFound
                 : ErrorCode::kPathNotFound;
    case ENOTDIR:
      return ErrorCode::kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
      return ErrorCode::kPermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return ErrorCode::kDiskFull;
    case ENAMETOOLONG:
      return ErrorCode::kBadFileName;
    default:
      return ErrorCode::kPathFileAccess;
  }
}

[[noreturn]] void Fail(ErrorCode code, std::string_view path) {
  throw Error(code, std::string(path));
}

[[noreturn]] void ThrowErrno(int err, std::string_view path, const std::string& native,
                             Subject subject) {
  ErrorCode code = CodeFor(err, native, subject);
  std::string detail(path);
  // The catch-all code says little; the system's own text tells an administrator what happened.
  if (code == ErrorCode::kPathFileAccess && err != EISDIR && err != EEXIST && err != ENOTEMPTY) {
    detail += " (" + std::generic_category().message(err) + ")";
  }
  throw Error(code, std::move(detail));
}

constexpr std::string_view kTempPrefix = ".~vellumo-";
constexpr std::string_view kTempSuffix = ".tmp";

bool IsTempName(std::string_view name) {
  return name.size() > kTempPrefix.size() + kTempSuffix.size() &&
         name.substr(0, kTempPrefix.size()) == kTempPrefix &&
         name.substr(name.size() - kTempSuffix.size()) == kTempSuffix;
}

std::string RandomTag() {
  thread_local std::mt19937_64 random(std::random_device{}() ^
                                      (static_cast<uint64_t>(::getpid()) << 32));
  char tag[17];
  std::snprintf(tag, sizeof tag, "%016llx", static_cast<unsigned long long>(random()));
  return tag;
}

// Where a write to native lands: the file a symbolic link names, so the link survives.
std::string WriteTarget(const std::string& native) {
  struct stat st;
  if (::lstat(native.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(native.c_str(), nullptr),
                                                     &std::free);
    if (real) return real.get();
  }
  return native;
}

// Checks an existing write target: a folder is kPathFileAccess, a file the user may not write is
// kPermissionDenied (as opening it for output would be). Returns its permission bits to keep, or
// nullopt when there is no target yet.
std::optional<mode_t> ExistingTarget(const std::string& target, std::string_view path,
                                     struct stat* out = nullptr) {
  struct stat st;
  if (::stat(target.c_str(), &st) != 0) return std::nullopt;
  if (S_ISDIR(st.st_mode)) Fail(ErrorCode::kPathFileAccess, path);
  if (::access(target.c_str(), W_OK) != 0) Fail(ErrorCode::kPermissionDenied, path);
  if (out) *out = st;
  return st.st_mode & 07777;
}

void WriteAll(int fd, std::string_view data, std::string_view path, const std::string& native) {
  while (!data.empty()) {
    ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowErrno(errno, path, native, Subject::kNewFile);
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
}

// A temporary file beside a target, renamed over it on Commit and removed otherwise.
class TempFile {
 public:
  TempFile(std::string folder, std::string_view path) : folder_(std::move(folder)), path_(path) {
    for (int attempt = 0;; ++attempt) {
      name_ = WinPath::NativeJoin(
          folder_, std::string(kTempPrefix) + RandomTag() + std::string(kTempSuffix));
      int fd = ::open(name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
      if (fd >= 0) {
        fd_.emplace(fd);
        return;
      }
      if (errno != EEXIST || attempt == 100) {
        int err = errno;
        name_.clear();
        ThrowErrno(err, path_, WinPath::NativeJoin(folder_, "x"), Subject::kNewFile);
      }
    }
  }
  ~TempFile() {
    if (!name_.empty()) ::unlink(name_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  void Write(std::string_view data) { WriteAll(fd_->get(), data, path_, name_); }

  // Flushes, applies mode (when given), and renames over target; with no_replace an existing
  // target (one that appeared meanwhile) is kPathFileAccess and stays as it was.
  void Commit(const std::string& target, std::optional<mode_t> mode, bool no_replace) {
    if (mode && ::fchmod(fd_->get(), *mode) != 0)
      ThrowErrno(errno, path_, name_, Subject::kNewFile);
    if (::fsync(fd_->get()) != 0) ThrowErrno(errno, path_, name_, Subject::kNewFile);
    if (int err = fd_->Close()) ThrowErrno(err, path_, name_, Subject::kNewFile);
    int result;
    if (no_replace) {
      result = ::renameat2(AT_FDCWD, name_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
      if (result != 0 && errno == EINVAL) {
        // The file system cannot refuse to replace by itself; check, then rename.
        struct stat st;
        if (::lstat(target.c_str(), &st) == 0) Fail(ErrorCode::kPathFileAccess, path_);
        result = ::rename(name_.c_str(), target.c_str());
      }
    } else {
      result = ::rename(name_.c_str(), target.c_str());
    }
    if (result != 0) ThrowErrno(errno, path_, target, Subject::kNewFile);
    name_.clear();
    // The content is in place; syncing the folder only makes the new name durable sooner, so a
    // failure here is ignored. The folder is the target's, which may not be the temporary's.
    const std::string target_folder = WinPath::NativeParent(target);
    int folder = ::open(target_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
      ::fsync(folder);
      ::close(folder);
    }
  }

 private:
  std::string folder_;
  std::string_view path_;
  std::string name_;
  std::optional<Fd> fd_;
};

// Opens a plain file for reading; anything else (a folder, a device, a pipe) is kPathFileAccess,
// checked without blocking.
Fd OpenForReading(const std::string& native, std::string_view path, struct stat* st) {
  Fd fd(::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.get() < 0) ThrowErrno(errno, path, native, Subject::kFile);
  if (::fstat(fd.get(), st) != 0) ThrowErrno(errno, path, native, Subject::kFile);
  if (!S_ISREG(st->st_mode)) Fail(ErrorCode::kPathFileAccess, path);
  return fd;
}

}  // namespace

WinPath PosixFileSystem::DiskPaths(std::string home) {
  return WinPath(std::move(home), &PosixFileSystem::ListNative, [](const std::string& native) {
    struct stat st;
    return ::lstat(native.c_str(), &st) == 0;
  });
}

PosixFileSystem::PosixFileSystem(std::string home) : paths_(DiskPaths(std::move(home))) {}

std::vector<std::string> PosixFileSystem::ListNative(const std::string& native_folder) {
  std::vector<std::string> names;
  Dir dir(::opendir(native_folder.c_str()));
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir.get())) {
    std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  return names;
}

std::string PosixFileSystem::ReadFile(std::string_view path) {
  std::string native = paths_.ToNative(path);
  struct stat st;
  Fd fd = OpenForReading(native, path, &st);
  std::string data;
  data.reserve(static_cast<size_t>(st.st_size));
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowErrno(errno, path, native, Subject::kFile);
    }
    if (n == 0) break;
    data.append(buffer, static_cast<size_t>(n));
  }
  return data;
}

void PosixFileSystem::WriteFile(std::string_view path, std::string_view data) {
  std::string target = WriteTarget(paths_.ToNative(path));
  std::optional<mode_t> mode = ExistingTarget(target, path);
  TempFile temp(WinPath::NativeParent(target), path);
  temp.Write(data);
  temp.Commit(target, mode, false);
}

void PosixFileSystem::WriteNewFile(std::string_view temp_path, std::string_view target,
                                   std::string_view data) {
  const std::string native_target = paths_.ToNative(target);
  TempFile temp(WinPath::NativeParent(paths_.ToNative(temp_path)), target);
  temp.Write(data);
  temp.Commit(native_target, std::nullopt, /*no_replace=*/true);
}

void PosixFileSystem::AppendFile(std::string_view path, std::string_view data) {
  std::string native = paths_.ToNative(path);
  Fd fd(::open(native.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666));
  if (fd.get() < 0) ThrowErrno(errno, path, native, Subject::kNewFile);
  // One write() for the whole record; only a short write (a signal, a full disk) continues it.
  WriteAll(fd.get(), data, path, native);
  if (int err = fd.Close()) ThrowErrno(err, path, native, Subject::kNewFile);
}

bool PosixFileSystem::FileExists(std::string_view path) {
  try {
    struct stat st;
    return ::stat(paths_.ToNative(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
  } catch (const Error&) {
    return false;  // a path that cannot live here names no file
  }
}

bool PosixFileSystem::FolderExists(std::string_view path) {
  try {
    return IsFolder(paths_.ToNative(path));
  } catch (const Error&) {
    return false;  // a path that cannot live here names no folder
  }
}

uint64_t PosixFileSystem::FileSize(std::string_view path) {
  std::string native = paths_.ToNative(path);
  struct stat st;
  if (::stat(native.c_str(), &st) != 0) ThrowErrno(errno, path, native, Subject::kFile);
  if (!S_ISREG(st.st_mode)) Fail(ErrorCode::kPathFileAccess, path);
  return static_cast<uint64_t>(st.st_size);
}

std::vector<std::string> PosixFileSystem::List(std::string_view folder, bool want_files,
                                               std::string_view prefix) {
  std::string native = paths_.ToNative(folder);
  Dir dir(::opendir(native.c_str()));
  if (!dir) {
    if (errno == ENOENT || errno == ENOTDIR) return {};
    ThrowErrno(errno, folder, native, Subject::kFolder);
  }
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir.get())) {
    std::string_view name = entry->d_name;
    if (name == "." || name == ".." || IsTempName(name) || !name.starts_with(prefix)) continue;
    bool is_file = entry->d_type == DT_REG;
    bool is_folder = entry->d_type == DT_DIR;
    if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
      struct stat st;
      if (::fstatat(::dirfd(dir.get()), entry->d_name, &st, 0) != 0) continue;  // dangling link
      is_file = S_ISREG(st.st_mode);
      is_folder = S_ISDIR(st.st_mode);
    }
    if (want_files ? is_file : is_folder) names.emplace_back(name);
  }
  return names;
}

int PosixFileSystem::RemoveStaleTemporaries(std::string_view folder, int64_t older_than_seconds,
                                            bool all_files) {
  std::string native = paths_.ToNative(folder);
  Dir dir(::opendir(native.c_str()));
  if (!dir) return 0;
  const int64_t limit = static_cast<int64_t>(::time(nullptr)) - older_than_seconds;
  int removed = 0;
  while (const dirent* entry = ::readdir(dir.get())) {
    std::string_view name = entry->d_name;
    if (name == "." || name == ".." || !(all_files || IsTempName(name))) continue;
    struct stat st;
    if (::fstatat(::dirfd(dir.get()), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(st.st_mode) || static_cast<int64_t>(st.st_mtime) >= limit) continue;
    if (::unlinkat(::dirfd(dir.get()), entry->d_name, 0) == 0) ++removed;
  }
  return removed;
}

std::vector<std::string> PosixFileSystem::ListFiles(std::string_view folder,
                                                    std::string_view pattern) {
  std::vector<std::string> names;
  for (std::string& name : List(folder, true)) {
    if (pattern.empty() || MatchesPattern(name, pattern)) names.push_back(std::move(name));
  }
  SortNames(names);
  return names;
}

std::vector<std::string> PosixFileSystem::FilesStartingWith(std::string_view folder,
                                                            std::string_view prefix) {
  return List(folder, true, prefix);
}

std::vector<std::string> PosixFileSystem::ListFolders(std::string_view folder) {
  std::vector<std::string> names = List(folder, false);
  SortNames(names);
  return names;
}

void PosixFileSystem::Copy(std::string_view from, std::string_view to, bool overwrite) {
  std::string source = paths_.ToNative(from);
  struct stat source_stat;
  Fd in = OpenForReading(source, from, &source_stat);
  std::string target = WriteTarget(paths_.ToNative(to));
  struct stat target_stat;
  std::optional<mode_t> mode = ExistingTarget(target, to, &target_stat);
  if (mode) {
    if (!overwrite) Fail(ErrorCode::kPathFileAccess, to);
    if (target_stat.st_dev == source_stat.st_dev && target_stat.st_ino == source_stat.st_ino) {
      return;  // copying a file onto itself leaves it as it is
    }
  }
  TempFile temp(WinPath::NativeParent(target), to);
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(in.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowErrno(errno, from, source, Subject::kFile);
    }
    if (n == 0) break;
    temp.Write(std::string_view(buffer, static_cast<size_t>(n)));
  }
  temp.Commit(target, mode, !overwrite);
}

void PosixFileSystem::RemoveFile(std::string_view path) {
  std::string native = paths_.ToNative(path);
  struct stat st;
  if (::lstat(native.c_str(), &st) != 0) ThrowErrno(errno, path, native, Subject::kFile);
  if (S_ISDIR(st.st_mode)) Fail(ErrorCode::kPathFileAccess, path);
  if (::unlink(native.c_str()) != 0) ThrowErrno(errno, path, native, Subject::kFile);
}

void PosixFileSystem::CreateFolder(std::string_view path) {
  std::string native = paths_.ToNative(path);
  if (IsFolder(native)) return;
  std::string at;
  size_t i = 0;
  while (i < native.size()) {
    size_t end = native.find('/', i + 1);
    if (end == std::string::npos) end = native.size();
    at = native.substr(0, end);
    i = end;
    if (::mkdir(at.c_str(), 0777) == 0) continue;
    if (errno != EEXIST) ThrowErrno(errno, path, at, Subject::kFolder);
    if (!IsFolder(at)) Fail(ErrorCode::kPathFileAccess, path);
  }
}

void PosixFileSystem::RemoveFolder(std::string_view path) {
  std::string native = paths_.ToNative(path);
  if (::rmdir(native.c_str()) != 0) ThrowErrno(errno, path, native, Subject::kFolder);
}

void PosixFileSystem::Rename(std::string_view from, std::string_view to) {
  std::string source = paths_.ToNative(from);
  struct stat st;
  if (::lstat(source.c_str(), &st) != 0) ThrowErrno(errno, from, source, Subject::kFile);
  std::string target = paths_.ToNative(to);
  if (target == source) {
    // The target resolved to the source itself: only the spelling of the name changes.
    std::string literal = WinPath::LastComponent(to);
    if (literal.empty() || literal == "." || literal == "..") return;
    target = WinPath::NativeJoin(WinPath::NativeParent(source), literal);
    if (target == source) return;
    if (::rename(source.c_str(), target.c_str()) != 0) {
      ThrowErrno(errno, from, source, Subject::kFile);
    }
    return;
  }
  if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
    return;
  }
  int err = errno;
  if (err == EINVAL && target.rfind(source + "/", 0) != 0) {
    // The file system cannot refuse to replace by itself; check, then rename.
    struct stat existing;
    if (::lstat(target.c_str(), &existing) == 0) Fail(ErrorCode::kPathFileAccess, to);
    if (::rename(source.c_str(), target.c_str()) == 0) return;
    err = errno;
  }
  if (err == EXDEV && S_ISREG(st.st_mode)) {
    // Another drive on another file system: copy, then remove the original.
    Copy(from, to, false);
    RemoveFile(from);
    return;
  }
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      Fail(ErrorCode::kPathNotFound, to);
    case EEXIST:
    case ENOTEMPTY:
    case EISDIR:
    case EINVAL:
      Fail(ErrorCode::kPathFileAccess, to);
    default:
      ThrowErrno(err, from, source, Subject::kFile);
  }
}

std::string PosixFileSystem::NativePath(std::string_view path) { return paths_.ToNative(path); }

}  // namespace vellumo
