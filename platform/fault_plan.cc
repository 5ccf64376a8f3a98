#include "platform/fault_plan.h"

#include <utility>

namespace vellumo {
namespace {

FaultLedger::Reporter g_reporter = nullptr;

}  // namespace

void FaultLedger::SetReporter(Reporter reporter) { g_reporter = reporter; }

FaultLedger::Reporter FaultLedger::reporter() { return g_reporter; }

FaultLedger::~FaultLedger() { Report(); }

size_t FaultLedger::Plan(std::string what, Firing firing, std::source_location where) {
  plans_.push_back({std::move(what), firing, where.file_name(), static_cast<int>(where.line())});
  return plans_.size() - 1;
}

void FaultLedger::Fire(size_t id) {
  if (id < plans_.size()) plans_[id].fired = true;
}

bool FaultLedger::fired(size_t id) const { return id < plans_.size() && plans_[id].fired; }

std::vector<std::string> FaultLedger::Unfired() const {
  std::vector<std::string> unfired;
  for (const Entry& plan : plans_) {
    if (plan.fired || plan.firing == Firing::kOptional) continue;
    unfired.push_back(plan.file + ":" + std::to_string(plan.line) + ": " + plan.what);
  }
  return unfired;
}

void FaultLedger::Report() {
  if (g_reporter == nullptr) return;
  for (Entry& plan : plans_) {
    if (plan.fired || plan.reported || plan.firing == Firing::kOptional) continue;
    plan.reported = true;
    g_reporter(plan.file.c_str(), plan.line,
               "planned failure never fired: " + plan.what +
                   " (no call matched it; plan it with Firing::kOptional if that is expected)");
  }
}

}  // namespace vellumo
