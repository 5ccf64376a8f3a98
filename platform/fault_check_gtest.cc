// Linked into every test program: a planned failure that never fired fails the test that planned
// it (see fault_plan.h), so a misspelt path or a call the code no longer makes cannot pass
// silently.
#include <gtest/gtest.h>

#include <string>

#include "platform/fault_plan.h"

namespace {

void FailRunningTest(const char* file, int line, const std::string& plan) {
  ADD_FAILURE_AT(file, line) << plan;
}

[[maybe_unused]] const bool kInstalled = [] {
  vellumo::FaultLedger::SetReporter(&FailRunningTest);
  return true;
}();

}  // namespace
