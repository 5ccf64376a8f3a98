// The window layer of the real platform, apart from the rest so that the registry commands, which
// never show a window, are linked without the window layers and the forms they pull in.
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "base/text.h"
#include "programs/vellumo/real_platform.h"
#include "programs/vellumo/web_window.h"
#include "tty/host_factory.h"

namespace vellumo::program {
namespace {

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
