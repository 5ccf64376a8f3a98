#include "platform/mailclient/mem_state.h"

#include <cstdio>

namespace vellumo::mail {

void FaultPlan::Fail(std::string member, Error error, int times) {
  planned_.insert_or_assign(std::move(member), Planned{std::move(error), times});
}

void FaultPlan::Clear(std::string_view member) {
  auto it = planned_.find(member);
  if (it != planned_.end()) planned_.erase(it);
}

void FaultPlan::ClearAll() { planned_.clear(); }

void FaultPlan::Check(std::string_view member) {
  auto counted = calls_.find(member);
  if (counted == calls_.end()) counted = calls_.emplace(std::string(member), 0).first;
  ++counted->second;

  auto it = planned_.find(member);
  if (it == planned_.end()) return;
  Error error = it->second.error;
  if (it->second.times > 0 && --it->second.times == 0) planned_.erase(it);
  throw error;
}

int FaultPlan::Calls(std::string_view member) const {
  auto it = calls_.find(member);
  return it == calls_.end() ? 0 : it->second;
}

std::string MemState::NewEntryId() {
  char serial[17];
  std::snprintf(serial, sizeof serial, "%016llX", static_cast<unsigned long long>(++last_id));
  return std::string("00000000") + serial;
}

std::shared_ptr<MemState> LockState(const std::weak_ptr<MemState>& state) {
  std::shared_ptr<MemState> locked = state.lock();
  if (!locked) throw Error(ErrorCode::kObjectNotSet, "the mail client has closed");
  return locked;
}

std::shared_ptr<MemState> CheckMember(const std::weak_ptr<MemState>& state,
                                      std::string_view member) {
  std::shared_ptr<MemState> locked = LockState(state);
  locked->faults.Check(member);
  return locked;
}

MemberHook MakeHook(std::weak_ptr<MemState> state) {
  return [state = std::move(state)](std::string_view member) { CheckMember(state, member); };
}

}  // namespace vellumo::mail
