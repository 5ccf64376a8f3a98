// Processes: starting other programs and opening documents.
//
// The system issues Windows command lines ("regedit /s F.reg", "msiexec /i F.msi", a program's
// path); the real implementation maps them to this machine (regedit -> `vellumo regedit`, a
// program path -> the matching installed program) and starts them with posix_spawn. The fake
// (MemProcesses) records what was started and can be told to fail.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellumo {

struct ProcessResult {
  int exit_code = 0;
  std::string output;  // standard output
  std::string errors;  // standard error
};

// The words of a Windows command line, split by its quoting rules: blanks separate words;
// double quotes group (and "" inside quotes is one quote); backslashes are literal except before
// a quote, where 2n backslashes give n and the quote groups, 2n+1 give n and a literal quote. The
// program (first word) ends at its closing quote, backslashes there are always literal.
std::vector<std::string> SplitCommandLine(std::string_view command_line);

// The Linux program name for a Windows program file: ".exe" dropped, words of a mixed-case name
// joined by '-', lower case ("ProfileAssistant.exe" -> "profile-assistant", "BulkSender.exe" ->
// "bulk-sender"); the system's own programs are also found when written all in one case.
std::string ProgramFileName(std::string_view windows_name);

// The argv that runs a Windows command line on this machine:
//   regedit ARGS ("regedit.exe", with or without a folder) -> self_exe regedit ARGS (ARGS as they
//   are; the program maps the paths itself);
//   msiexec ... -> Error: installer packages cannot be run here;
//   a program ending in ".exe" -> program_dir/ProgramFileName(program) ARGS;
//   anything else -> the words as they are.
// An empty command line is Error(kInvalidCall).
std::vector<std::string> MapCommandLine(std::string_view command_line, std::string_view self_exe,
                                        std::string_view program_dir);

class Processes {
 public:
  virtual ~Processes() = default;
  // Starts a command line (mapped by MapCommandLine) without waiting. Throws Error(kFileNotFound)
  // when the program cannot be found or started, the Errors of MapCommandLine otherwise.
  virtual void Start(std::string_view command_line) = 0;
  // Runs argv (not mapped; argv[0] looked up on PATH) to its end, feeding input on standard input
  // and collecting standard output and standard error. exit_code is the program's exit status, or
  // 128 + the signal that ended it. Throws Error(kFileNotFound) when it cannot start,
  // Error(kInvalidCall) for an empty argv.
  virtual ProcessResult Run(const std::vector<std::string>& argv, std::string_view input) = 0;
  // Opens a document or web address with the desktop's opener. Where there is no display, the
  // address is only reported (real: printed on standard error).
  virtual void OpenDocument(std::string_view path_or_url) = 0;
};

}  // namespace vellumo
