#include "platform/mem_processes.h"

#include <utility>

#include "base/text.h"

namespace vellumo {

void MemProcesses::FailOn(std::string part, ErrorCode code) {
  failures_.emplace_back(text::FoldCase(part), code);
}

void MemProcesses::SetResult(std::string program, ProcessResult result) {
  results_[std::move(program)] = std::move(result);
}

void MemProcesses::Check(std::string_view what) const {
  std::string folded = text::FoldCase(what);
  for (const auto& [part, code] : failures_) {
    if (folded.find(part) != std::string::npos) throw Error(code, std::string(what));
  }
}

void MemProcesses::Start(std::string_view command_line) {
  // The same checks as the real mapping; the paths are placeholders that are never used.
  (void)MapCommandLine(command_line, "vellumo", "/programs");
  Check(command_line);
  started_.emplace_back(command_line);
}

ProcessResult MemProcesses::Run(const std::vector<std::string>& argv, std::string_view input) {
  if (argv.empty()) throw Error(ErrorCode::kInvalidCall, "empty argument list");
  Check(text::Join(argv, " "));
  ran_.push_back({argv, std::string(input)});
  auto it = results_.find(argv[0]);
  return it == results_.end() ? ProcessResult{} : it->second;
}

void MemProcesses::OpenDocument(std::string_view path_or_url) {
  Check(path_or_url);
  opened_.emplace_back(path_or_url);
}

}  // namespace vellumo
