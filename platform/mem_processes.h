// MemProcesses: Processes for tests. Starts nothing; records what the code asked for and answers
// Run with results the test set.
//
// Like the real implementation, Start checks the command line with MapCommandLine, so an empty
// command line and an installer ("msiexec /i F.msi") fail here too. A command that fails is not
// recorded as started.
//
// Not thread-safe.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "platform/processes.h"

namespace vellumo {

class MemProcesses final : public Processes {
 public:
  struct RunCall {
    std::vector<std::string> argv;
    std::string input;
  };

  void Start(std::string_view command_line) override;
  ProcessResult Run(const std::vector<std::string>& argv, std::string_view input) override;
  void OpenDocument(std::string_view path_or_url) override;

  // Start, Run and OpenDocument fail with Error(code, what) when the command line (Run: the words
  // joined by blanks; OpenDocument: the address) contains part, ignoring case; "" fails all.
  void FailOn(std::string part, ErrorCode code = ErrorCode::kFileNotFound);
  void ClearFailures() { failures_.clear(); }
  // What Run answers for a program (argv[0]); other programs answer exit 0 and no output.
  void SetResult(std::string program, ProcessResult result);

  const std::vector<std::string>& started() const { return started_; }
  const std::vector<RunCall>& ran() const { return ran_; }
  const std::vector<std::string>& opened() const { return opened_; }

 private:
  void Check(std::string_view what) const;

  std::vector<std::pair<std::string, ErrorCode>> failures_;  // folded part, code
  std::map<std::string, ProcessResult> results_;
  std::vector<std::string> started_;
  std::vector<RunCall> ran_;
  std::vector<std::string> opened_;
};

}  // namespace vellumo
