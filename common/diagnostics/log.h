// Log: where every procedure of the system reports its failures and notes.
//
// The three calls carry the classic names the behaviours use. Write_to_error_file(description,
// procedure, section) logs one failure (and, in the add-in, may ask to mail a report);
// Write_log_line appends a dated note; Write_system_check_line appends a trace line. None of them
// ever throws: a failure inside is handled as the diagnostics module's own rules say.
//
// The full implementation is Diagnostics (diagnostics.h); MemLog records calls for tests.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"

namespace vellumo {

class Log {
 public:
  virtual ~Log() = default;
  virtual void Write_to_error_file(std::string_view description, std::string_view procedure,
                                   std::string_view section) = 0;
  virtual void Write_log_line(std::string_view text) = 0;
  virtual void Write_system_check_line(std::string_view a, std::string_view b,
                                       std::string_view c) = 0;
};

// Records every call, in order; for tests of the procedures that log.
class MemLog final : public Log {
 public:
  struct Entry {
    std::string kind;  // "error", "note" or "check"
    std::string a, b, c;
    bool operator==(const Entry&) const = default;
  };
  void Write_to_error_file(std::string_view description, std::string_view procedure,
                           std::string_view section) override {
    entries.push_back(
        {"error", std::string(description), std::string(procedure), std::string(section)});
  }
  void Write_log_line(std::string_view text) override {
    entries.push_back({"note", std::string(text), {}, {}});
  }
  void Write_system_check_line(std::string_view a, std::string_view b,
                               std::string_view c) override {
    entries.push_back({"check", std::string(a), std::string(b), std::string(c)});
  }
  std::vector<Entry> entries;
};

// Runs step; a vellumo::Error (or any other exception) it throws is logged through
// Write_to_error_file(description, where, label) and swallowed. Returns true when step finished.
// This is how every procedure guards its steps: log and go on.
bool Guard(Log& log, std::string_view where, std::string_view label,
           const std::function<void()>& step);

// Runs step and swallows its failure: for the steps whose rule is to ignore failures (the log is
// what failed, or an empty result is the answer).
void Ignore(const std::function<void()>& step);

// The description a failure is logged with: the classic text of an Error, what() otherwise.
std::string DescriptionOf(const std::exception& e);

}  // namespace vellumo
