#include "platform/mailclient/mem_state.h"

#include <array>
#include <cstdio>
#include <iterator>
#include <utility>

namespace vellumo::mail {

namespace {

struct MemberInfo {
  Member member;
  std::string_view name;
};

constexpr MemberInfo kMembers[] = {
    {Member::kApplicationVersion, "Application.Version"},
    {Member::kApplicationCreateItem, "Application.CreateItem"},
    {Member::kApplicationCreateObject, "Application.CreateObject"},
    {Member::kItemsRestrict, "Items.Restrict"},
    {Member::kMailItemBody, "MailItem.Body"},
    {Member::kMailItemHTMLBody, "MailItem.HTMLBody"},
    {Member::kMailItemSetHTMLBody, "MailItem.SetHTMLBody"},
    {Member::kMailItemMessageClass, "MailItem.MessageClass"},
    {Member::kMailItemSetBillingInformation, "MailItem.SetBillingInformation"},
    {Member::kMailItemUserProperties, "MailItem.UserProperties"},
    {Member::kMailItemGetInspector, "MailItem.GetInspector"},
    {Member::kMailItemSave, "MailItem.Save"},
    {Member::kMailItemSend, "MailItem.Send"},
    {Member::kInspectorEditorType, "Inspector.EditorType"},
    {Member::kInspectorIsWordMail, "Inspector.IsWordMail"},
    {Member::kWordDocumentSaveAs, "WordDocument.SaveAs"},
    {Member::kCommandBarFindControl, "CommandBar.FindControl"},
    {Member::kSafeMailItemSave, "SafeMailItem.Save"},
    {Member::kSafeMailItemSend, "SafeMailItem.Send"},
    {Member::kSafeContactItemEmail1Address, "SafeContactItem.Email1Address"},
};

constexpr auto kAllMembers = [] {
  std::array<Member, std::size(kMembers)> all{};
  for (size_t i = 0; i < all.size(); ++i) all[i] = kMembers[i].member;
  return all;
}();

}  // namespace

std::span<const Member> AllMembers() { return kAllMembers; }

std::string_view MemberName(Member member) {
  for (const MemberInfo& info : kMembers) {
    if (info.member == member) return info.name;
  }
  return "?";
}

void FaultPlan::Fail(Member member, Error error, int times, Firing firing,
                     std::source_location where) {
  const std::string_view name = MemberName(member);
  const size_t plan = ledger_.Plan(std::string(name), firing, where);
  planned_.insert_or_assign(std::string(name), Planned{std::move(error), times, plan});
}

void FaultPlan::Clear(Member member) {
  auto it = planned_.find(MemberName(member));
  if (it != planned_.end()) planned_.erase(it);
}

void FaultPlan::ClearAll() { planned_.clear(); }

void FaultPlan::Check(std::string_view name) {
  auto counted = calls_.find(name);
  if (counted == calls_.end()) counted = calls_.emplace(std::string(name), 0).first;
  ++counted->second;

  auto it = planned_.find(name);
  if (it == planned_.end()) return;
  Error error = it->second.error;
  ledger_.Fire(it->second.plan);
  if (it->second.times > 0 && --it->second.times == 0) planned_.erase(it);
  throw error;
}

int FaultPlan::Calls(Member member) const {
  auto it = calls_.find(MemberName(member));
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
