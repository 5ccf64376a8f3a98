// PosixProcesses: Processes on this machine, with posix_spawn.
//
// Start maps the Windows command line (MapCommandLine: regedit -> self_exe regedit, X.exe -> the
// installed program of that name in program_dir, msiexec refused) and does not wait; a detached
// thread waits for each started program, so none is left behind as a zombie. Children get the
// standard streams of this process and no other descriptors, with SIGPIPE at its default.
//
// OpenDocument runs the desktop opener (xdg-open) when a display exists (DISPLAY or
// WAYLAND_DISPLAY set); without one, or when the opener cannot be started, it reports
// "Open: <address>" on standard error instead, so a person at a terminal can still follow it.
//
// Thread safety: all members may be called from several threads.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/processes.h"
#include "platform/win_path.h"

namespace vellumo {

struct PosixProcessesOptions {
  // Whether a display exists; unset: DISPLAY or WAYLAND_DISPLAY is set and not empty.
  std::optional<bool> display;
  // The opener and its leading arguments; the document is added as the last argument.
  std::vector<std::string> opener = {"xdg-open"};
  // Where "Open: <address>" goes without a display; unset: standard error.
  std::function<void(const std::string& line)> report;
  // Maps Windows-style document paths ("C:\temp\a.htm") to native ones; optional, must outlive
  // the PosixProcesses.
  const WinPath* paths = nullptr;
};

class PosixProcesses final : public Processes {
 public:
  // self_exe: the vellumo program (runs "regedit"); program_dir: the native folder of the
  // installed programs.
  PosixProcesses(std::string self_exe, std::string program_dir, PosixProcessesOptions options = {});

  void Start(std::string_view command_line) override;
  ProcessResult Run(const std::vector<std::string>& argv, std::string_view input) override;
  void OpenDocument(std::string_view path_or_url) override;

 private:
  std::string self_exe_;
  std::string program_dir_;
  PosixProcessesOptions options_;
};

// This process as "<pid>.<start time>" (clock ticks since boot, from /proc): a name that a later
// process with the same id does not share.
std::string ProcessClaimTag();
// Whether the process such a name gives still runs (the same id started at the same time).
// Anything unreadable counts as running, so a claim is never taken from a live sender.
bool ProcessClaimAlive(std::string_view claim);

}  // namespace vellumo
