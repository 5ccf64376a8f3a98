#include "programs/vellumo/real_platform.h"

#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "base/error.h"
#include "base/text.h"
#include "programs/vellumo/web_window.h"
#include "tty/host_factory.h"

namespace vellumo::program {

std::string SelfExe() {
  std::error_code ec;
  auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("vellumo") : path.string();
}

namespace {

std::string EnvValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string Absolute(const std::string& path) {
  std::error_code ec;
  auto absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

std::string CreateHome(const std::string& home) {
  std::error_code ec;
  std::filesystem::create_directories(home, ec);
  if (ec) throw Error("Cannot create the home folder " + home + ": " + ec.message());
  return home;
}

PosixProcessesOptions ProcessOptions(const WinPath& paths) {
  PosixProcessesOptions options;
  options.paths = &paths;
  return options;
}

// Relative paths in the environment mean the current folder, not the C: drive.
std::string EnvPath(const char* name) {
  std::string value = EnvValue(name);
  return value.empty() ? value : Absolute(value);
}

// Shows text through $PAGER (else "less -R"); false when no pager ran, so the caller writes it.
bool Page(const std::string& text) {
  std::string command = EnvValue("PAGER");
  if (text::Trim(command).empty()) command = "less -R";
  std::cout.flush();
  // A pager quit before the end closes the pipe: that is no reason to die of SIGPIPE.
  void (*previous)(int) = std::signal(SIGPIPE, SIG_IGN);
  FILE* pipe = popen(command.c_str(), "w");
  bool shown = false;
  if (pipe != nullptr) {
    std::fwrite(text.data(), 1, text.size(), pipe);
    const int status = pclose(pipe);
    shown = status != -1 && WIFEXITED(status) && WEXITSTATUS(status) != 127;
  }
  std::signal(SIGPIPE, previous);
  return shown;
}

// The terminal as standard output sees it: its size (else $COLUMNS, else 80 columns, and no
// paging), colour unless NO_COLOR is set, TERM is dumb or the output is no terminal.
ui::TtyOptions TerminalOptions(bool stdin_is_tty) {
  ui::TtyOptions tty;
  const bool stdout_is_tty = isatty(STDOUT_FILENO) != 0;
  winsize size{};
  if (stdout_is_tty && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
    tty.columns = size.ws_col;
    tty.rows = size.ws_row;
  } else if (const int columns = std::atoi(EnvValue("COLUMNS").c_str()); columns > 0) {
    tty.columns = std::max(20, columns);
  }
  tty.colour = stdout_is_tty && EnvValue("NO_COLOR").empty() && EnvValue("TERM") != "dumb";
  tty.page = stdin_is_tty && stdout_is_tty;
  tty.pager = Page;
  return tty;
}

}  // namespace

std::string ResolveHome(const std::string& home_option) {
  if (!home_option.empty()) return Absolute(home_option);
  if (std::string home = EnvValue("VELLUMO_HOME"); !home.empty()) return Absolute(home);
  if (std::string data = EnvValue("XDG_DATA_HOME"); !data.empty()) return data + "/vellumo";
  if (std::string user = EnvValue("HOME"); !user.empty()) return user + "/.local/share/vellumo";
  throw Error("No home folder: give --home DIR or set VELLUMO_HOME");
}

std::string CommandLinePath(const std::string& arg) {
  const bool drive =
      arg.size() >= 2 && std::isalpha(static_cast<unsigned char>(arg[0])) && arg[1] == ':';
  if (drive || arg.starts_with("\\") || arg == "-") return arg;
  return Absolute(arg);
}

RealPlatform::RealPlatform(const std::string& home)
    : home_(CreateHome(home)),
      win_path_(PosixFileSystem::DiskPaths(home_)),
      registry_(std::make_unique<SqliteRegistry>(home_ + "/registry.db")),
      fs_(win_path_),
      processes_(SelfExe(), std::filesystem::path(SelfExe()).parent_path().string(),
                 ProcessOptions(win_path_)),
      modules_(ModuleDirs(std::filesystem::path(SelfExe()).parent_path().string())) {}

std::unique_ptr<db::Connection> ModuleDatabase::Open(std::string_view connection_string) {
  if (!database_) database_ = modules_.MakeDatabase();
  return database_->Open(connection_string);
}

Env& RealPlatform::env() {
  if (!env_) {
    ui::HostOptions options;
    options.ui = EnvValue("VELLUMO_UI");
    options.answers_file = EnvPath("VELLUMO_ANSWERS");
    options.log_file = EnvPath("VELLUMO_UI_LOG");
    options.stdin_is_tty = isatty(STDIN_FILENO) != 0;
    if (text::LCase(options.ui) == "web") {
      // The browser layer sits above the window layer's factory: it serves the add-in's pages.
      if (!options.log_file.empty()) {
        fs_.AppendFile(options.log_file, "");
        transcript_ = std::make_unique<ui::Transcript>(fs_, options.log_file);
      }
      WebWindowOptions web;
      web.home = home_;
      web.address_file = EnvPath("VELLUMO_WEB_ADDRESS_FILE");
      web.has_display = !EnvValue("DISPLAY").empty() || !EnvValue("WAYLAND_DISPLAY").empty();
      ui_ = MakeWebWindowHost(web, modules_, fs_, *registry_, processes_, transcript_.get());
    } else {
      options.tty = TerminalOptions(options.stdin_is_tty);
      if (!EnvValue("DISPLAY").empty() || !EnvValue("WAYLAND_DISPLAY").empty()) {
        options.tty.opener = [this](const std::string& address) {
          processes_.OpenDocument(address);
          return true;
        };
      }
      ui_ = ui::MakeHost(options, fs_);
    }
    env_ = std::make_unique<Env>(
        Env{*registry_, fs_, clock_, processes_, system_, *ui_, nullptr, &database_});
  }
  return *env_;
}

}  // namespace vellumo::program
