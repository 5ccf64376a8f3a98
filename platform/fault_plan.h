// FaultLedger: the failures a test planned on a fault wrapper, and whether each one fired.
//
// Every fault wrapper (FaultyFileSystem, FaultyRegistry, the in-memory mail client's member
// failures) records here each failure a test plans. A planned failure that never made a call fail
// is a test that checks nothing (a path that no call uses, a member the code under test no longer
// calls), so when the ledger goes away with its wrapper it hands each such plan, with the file and
// line that planned it, to the process's unfired-fault reporter. The unit test programs install a
// reporter that fails the running test (fault_check_gtest.cc); benchmarks and programs install
// none, and there the wrappers only forward and fail as asked.
//
// A plan that may legitimately not fire (a failure on a call the code makes only on some
// machines) says so with Firing::kOptional and is never reported.
//
// Not thread-safe.
#pragma once

#include <cstddef>
#include <source_location>
#include <string>
#include <vector>

namespace vellumo {

enum class Firing {
  kRequired,  // the test fails unless the plan made at least one call fail
  kOptional,  // the plan may fire or not
};

class FaultLedger {
 public:
  // Receives each unfired plan: where it was planned and what it was.
  using Reporter = void (*)(const char* file, int line, const std::string& plan);
  // Installs the process's reporter (nullptr: none, the default). Set once, before any test runs.
  static void SetReporter(Reporter reporter);
  static Reporter reporter();

  FaultLedger() = default;
  FaultLedger(const FaultLedger&) = delete;
  FaultLedger& operator=(const FaultLedger&) = delete;
  // Reports what is still unfired.
  ~FaultLedger();

  // Records a plan described by `what` ("ReadFile on 'sig.htm'"); returns its id for Fire.
  size_t Plan(std::string what, Firing firing, std::source_location where);
  // The plan made a call fail.
  void Fire(size_t id);
  bool fired(size_t id) const;
  // The required plans that have not fired, as "file:line: what", in planning order.
  std::vector<std::string> Unfired() const;
  // Hands each required, unfired plan to the reporter once (none installed: nothing happens).
  void Report();

 private:
  struct Entry {
    std::string what;
    Firing firing;
    std::string file;
    int line;
    bool fired = false;
    bool reported = false;
  };
  std::vector<Entry> plans_;
};

}  // namespace vellumo
