// MakeHost: the window layer a program asked for. main() fills HostOptions from the environment
// (VELLUMO_UI, VELLUMO_ANSWERS, VELLUMO_UI_LOG and whether standard input is a terminal); the
// factory itself never reads the environment, so every choice it makes can be tested.
#pragma once

#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/ui/host.h"
#include "tty/tty_host.h"

namespace vellumo::ui {

struct HostOptions {
  std::string ui{};            // "script", "tty", "web" (any case); "" picks by stdin_is_tty
  std::string answers_file{};  // script answers; "" for none (every box takes its default)
  std::string log_file{};      // UI transcript; "" for none
  bool stdin_is_tty = false;
  TtyOptions tty{};  // the terminal's width, colour, pager and opener; fs is set by MakeHost
};

// "" means tty when standard input is a terminal, else script. The script host reads the answers
// file now, and a log file is created now, so a wrong path fails at start and not at the first
// box. The tty host talks on standard input and output and ignores answers_file. Throws Error:
// an unknown ui value, "web" (not available yet), or the file system's error for either file.
// fs must outlive the host.
std::unique_ptr<Host> MakeHost(const HostOptions& options, FileSystem& fs);

}  // namespace vellumo::ui
