#include "posix/posix_processes.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <thread>
#include <utility>

#include "base/error.h"

extern char** environ;

namespace vellumo {
namespace {

std::string ErrnoText(int err) { return std::generic_category().message(err); }

class Fd {
 public:
  Fd() = default;
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int* out() { return &fd_; }
  bool open() const { return fd_ >= 0; }
  void Close() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  }

 private:
  int fd_ = -1;
};

// A pipe whose ends do not leak into other children (close-on-exec until dup2 in the child).
void MakePipe(Fd& read_end, Fd& write_end) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) throw Error("Cannot create a pipe: " + ErrnoText(errno));
  *read_end.out() = fds[0];
  *write_end.out() = fds[1];
}

// Spawn attributes every child gets: no blocked signals, SIGPIPE at its default (this process
// may ignore it), and no descriptors beyond the standard three.
class Spawner {
 public:
  Spawner() {
    ::posix_spawn_file_actions_init(&actions_);
    ::posix_spawnattr_init(&attr_);
    sigset_t none;
    sigemptyset(&none);
    ::posix_spawnattr_setsigmask(&attr_, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    ::posix_spawnattr_setsigdefault(&attr_, &defaults);
    ::posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  }
  ~Spawner() {
    ::posix_spawn_file_actions_destroy(&actions_);
    ::posix_spawnattr_destroy(&attr_);
  }
  Spawner(const Spawner&) = delete;
  Spawner& operator=(const Spawner&) = delete;

  void Redirect(int fd, int to) { ::posix_spawn_file_actions_adddup2(&actions_, fd, to); }

  // The child's pid; Error(kFileNotFound, what) when argv[0] cannot be found or run.
  pid_t Spawn(const std::vector<std::string>& argv, const std::string& what) {
    ::posix_spawn_file_actions_addclosefrom_np(&actions_, 3);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    int err = ::posix_spawnp(&pid, args[0], &actions_, &attr_, args.data(), environ);
    if (err != 0) throw Error(ErrorCode::kFileNotFound, what + " (" + ErrnoText(err) + ")");
    return pid;
  }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attr_;
};

int WaitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// Starts argv without waiting; a detached thread collects its exit status.
void SpawnDetached(const std::vector<std::string>& argv, const std::string& what) {
  Spawner spawner;
  pid_t pid = spawner.Spawn(argv, what);
  try {
    std::thread([pid] { WaitFor(pid); }).detach();
  } catch (const std::system_error&) {
    // The program runs; without a thread its exit status is only collected when this process
    // ends. Reporting a failure here would make the caller start it again.
  }
}

// Blocks SIGPIPE in this thread while feeding a child, so a child that stops reading gives EPIPE
// instead of ending this process, and discards the SIGPIPE that was raised meanwhile.
class SigpipeBlock {
 public:
  SigpipeBlock() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &set, &old_);
    sigset_t pending;
    ::sigpending(&pending);
    was_pending_ = sigismember(&pending, SIGPIPE) == 1;
  }
  ~SigpipeBlock() {
    sigset_t pending;
    ::sigpending(&pending);
    if (!was_pending_ && sigismember(&pending, SIGPIPE) == 1) {
      sigset_t set;
      sigemptyset(&set);
      sigaddset(&set, SIGPIPE);
      timespec zero{0, 0};
      ::sigtimedwait(&set, nullptr, &zero);
    }
    ::pthread_sigmask(SIG_SETMASK, &old_, nullptr);
  }
  SigpipeBlock(const SigpipeBlock&) = delete;
  SigpipeBlock& operator=(const SigpipeBlock&) = delete;

 private:
  sigset_t old_;
  bool was_pending_ = false;
};

// Ends a child that Run gives up on (an exception while talking to it), so none is left behind.
class ChildGuard {
 public:
  explicit ChildGuard(pid_t pid) : pid_(pid) {}
  ~ChildGuard() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      WaitFor(pid_);
    }
  }
  ChildGuard(const ChildGuard&) = delete;
  ChildGuard& operator=(const ChildGuard&) = delete;
  int Wait() { return WaitFor(std::exchange(pid_, -1)); }

 private:
  pid_t pid_;
};

void SetNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

// Reads what is there; closes fd at the end of the stream or on an error.
void Drain(Fd& fd, std::string& into) {
  char buffer[1 << 16];
  ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
  if (n > 0) {
    into.append(buffer, static_cast<size_t>(n));
  } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
    fd.Close();
  }
}

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

bool IsDrivePath(std::string_view s) {
  return s.size() >= 3 && ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z')) &&
         s[1] == ':' && (s[2] == '\\' || s[2] == '/');
}

}  // namespace

PosixProcesses::PosixProcesses(std::string self_exe, std::string program_dir,
                               PosixProcessesOptions options)
    : self_exe_(std::move(self_exe)),
      program_dir_(std::move(program_dir)),
      options_(std::move(options)) {}

void PosixProcesses::Start(std::string_view command_line) {
  std::vector<std::string> argv = MapCommandLine(command_line, self_exe_, program_dir_);
  std::string what(command_line);
  if (argv[0] != SplitCommandLine(command_line)[0]) what += " -> " + argv[0];
  SpawnDetached(argv, what);
}

ProcessResult PosixProcesses::Run(const std::vector<std::string>& argv, std::string_view input) {
  if (argv.empty()) throw Error(ErrorCode::kInvalidCall, "empty argument list");
  Fd in_read, in_write, out_read, out_write, err_read, err_write;
  MakePipe(in_read, in_write);
  MakePipe(out_read, out_write);
  MakePipe(err_read, err_write);
  Spawner spawner;
  spawner.Redirect(in_read.get(), 0);
  spawner.Redirect(out_write.get(), 1);
  spawner.Redirect(err_write.get(), 2);
  ChildGuard child(spawner.Spawn(argv, argv[0]));
  in_read.Close();
  out_write.Close();
  err_write.Close();
  SetNonBlocking(in_write.get());
  SetNonBlocking(out_read.get());
  SetNonBlocking(err_read.get());

  SigpipeBlock sigpipe_block;
  ProcessResult result;
  std::string_view rest = input;
  if (rest.empty()) in_write.Close();
  // Standard input, output and error are served together, so a child that writes a lot before it
  // reads all its input never blocks against this process.
  while (in_write.open() || out_read.open() || err_read.open()) {
    pollfd fds[3];
    nfds_t count = 0;
    auto watch = [&](Fd& fd, short events) {
      if (fd.open()) fds[count++] = {fd.get(), events, 0};
    };
    watch(in_write, POLLOUT);
    watch(out_read, POLLIN);
    watch(err_read, POLLIN);
    if (::poll(fds, count, -1) < 0) {
      if (errno == EINTR) continue;
      throw Error("Cannot wait for " + argv[0] + ": " + ErrnoText(errno));
    }
    for (nfds_t i = 0; i < count; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == in_write.get()) {
        ssize_t n = ::write(in_write.get(), rest.data(), std::min<size_t>(rest.size(), 1 << 16));
        if (n > 0) rest.remove_prefix(static_cast<size_t>(n));
        // A child that stops reading (EPIPE) simply gets no more input.
        if (rest.empty() || (n < 0 && errno != EAGAIN && errno != EINTR)) in_write.Close();
      } else if (fds[i].fd == out_read.get()) {
        Drain(out_read, result.output);
      } else if (fds[i].fd == err_read.get()) {
        Drain(err_read, result.errors);
      }
    }
  }
  result.exit_code = child.Wait();
  return result;
}

void PosixProcesses::OpenDocument(std::string_view path_or_url) {
  std::string target(path_or_url);
  if (options_.paths && IsDrivePath(target)) target = options_.paths->ToNative(target);
  bool display = options_.display ? *options_.display : HasDisplay();
  if (display && !options_.opener.empty()) {
    std::vector<std::string> argv = options_.opener;
    // A document name that starts with '-' must not be read as an option of the opener.
    argv.push_back(!target.empty() && target[0] == '-' ? "./" + target : target);
    try {
      SpawnDetached(argv, argv[0]);
      return;
    } catch (const Error&) {
      // No opener on this machine: report the address as where there is no display.
    }
  }
  std::string line = "Open: " + target;
  if (options_.report) {
    options_.report(line);
  } else {
    line += '\n';
    // One write, so the line is not split among other output.
    [[maybe_unused]] ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
  }
}

namespace {

// Field 22 of /proc/PID/stat (the start time), "" when the process does not exist.
std::string StartTimeOf(const std::string& pid) {
  std::ifstream stat("/proc/" + pid + "/stat");
  std::string line;
  if (!stat || !std::getline(stat, line)) return "";
  // The command name (field 2) may hold spaces and parentheses: count from its last ')'.
  const size_t close = line.rfind(')');
  if (close == std::string::npos) return "";
  std::istringstream fields(line.substr(close + 1));
  std::string field;
  for (int i = 3; i <= 22 && fields >> field; ++i) {
    if (i == 22) return field;
  }
  return "";
}

}  // namespace

std::string ProcessClaimTag() {
  const std::string pid = std::to_string(::getpid());
  const std::string start = StartTimeOf(pid);
  return pid + "." + (start.empty() ? "0" : start);
}

bool ProcessClaimAlive(std::string_view claim) {
  const size_t dot = claim.find('.');
  const std::string pid(claim.substr(0, dot));
  if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) return true;
  if (!std::filesystem::exists("/proc/self/stat")) return true;  // no /proc: cannot tell
  const std::string start = StartTimeOf(pid);
  if (start.empty()) return false;
  return dot == std::string_view::npos || claim.substr(dot + 1) == start;
}

}  // namespace vellumo
