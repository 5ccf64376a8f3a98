// The shared state of the in-memory mail client (MemApplication) and its failure plan.
//
// Every object of the fake holds the state weakly: once the MemApplication is gone, its objects
// fail with Error(kObjectNotSet) instead of touching freed memory. Tests do not use MemState
// directly; they reach it through MemApplication.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <source_location>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/error.h"
#include "platform/fault_plan.h"
#include "platform/mailclient/application.h"
#include "platform/mailclient/object.h"

namespace vellumo {
class FileSystem;
}

namespace vellumo::mail {

class ExplorerModel;
class MemFolder;

// The members a test can make fail. Each is checked by the fake under its name
// "Interface.Member" (MemberName): text properties by property ("MailItem.Body" reads,
// "MailItem.SetHTMLBody" writes), the safe wrappers by their class ("SafeMailItem.Send"). An enum,
// not the names, so a misspelt member cannot silently never fail; add a row here and to the
// table in mem_state.cc for a member a new test needs.
enum class Member {
  kApplicationVersion,
  kApplicationCreateItem,
  kApplicationCreateObject,
  kItemsRestrict,
  kMailItemBody,
  kMailItemHTMLBody,
  kMailItemSetHTMLBody,
  kMailItemMessageClass,
  kMailItemSetBillingInformation,
  kMailItemUserProperties,
  kMailItemGetInspector,
  kMailItemSave,
  kMailItemSend,
  kInspectorEditorType,
  kInspectorIsWordMail,
  kWordDocumentSaveAs,
  kCommandBarFindControl,
  kSafeMailItemSave,
  kSafeMailItemSend,
  kSafeContactItemEmail1Address,
};
// Every Member, in declaration order.
std::span<const Member> AllMembers();
// The name the fake checks the member by ("MailItem.Send").
std::string_view MemberName(Member member);

// Members told to fail. Each Fail is a planned failure (platform/fault_plan.h): one that never
// made its member throw is reported when the plan goes away with its application, unless it was
// planned with Firing::kOptional.
class FaultPlan {
 public:
  // member throws error on its next `times` calls (times < 0: until cleared). Replaces an earlier
  // plan for the same member.
  void Fail(Member member, Error error, int times, Firing firing, std::source_location where);
  void Clear(Member member);
  void ClearAll();
  // Counts the call of the member named so, then throws when it is told to fail.
  void Check(std::string_view name);
  // How often member was called (also the calls that failed).
  int Calls(Member member) const;

 private:
  struct Planned {
    Error error;
    int times;
    size_t plan;
  };
  std::map<std::string, Planned, std::less<>> planned_;
  std::map<std::string, int, std::less<>> calls_;
  FaultLedger ledger_;
};

// What a send transmitted, as it was when it left.
struct MemSentMessage {
  std::string subject;
  std::string body;
  std::string html_body;
  std::string billing_information;
  std::string message_class;
  std::vector<std::string> recipients;                               // addresses, in order
  std::vector<std::string> attachments;                              // file names, in order
  std::vector<std::pair<std::string, std::string>> user_properties;  // name, value
  bool delete_after_submit = false;
};

// An item shown with Display.
struct MemDisplay {
  std::string subject;
  bool modal = false;
};

struct MemState {
  FaultPlan faults;
  FileSystem* fs = nullptr;  // attachments and saved documents; none: files are not touched
  std::string version = "11.0.8312";
  std::string word_version = "11.0";
  EditorType default_editor = EditorType::kHtml;
  std::string user_name = "Test User";
  std::string user_address = "test.user@example.com";
  uint64_t last_id = 0;

  ItemSendEvent item_send;
  OptionsPagesAddEvent options_pages_add;
  ClassTable classes;

  std::shared_ptr<MemFolder> stores;  // a hidden folder whose children are the stores' roots
  std::map<DefaultFolder, std::shared_ptr<MemFolder>> defaults;
  std::vector<std::shared_ptr<ExplorerModel>> explorers;  // open ones, in opening order

  std::vector<MemSentMessage> sent;
  std::vector<MemDisplay> displayed;
  std::string clipboard;
  int cancelled_sends = 0;

  // A new store id: "00000000" and a hexadecimal serial, never repeated.
  std::string NewEntryId();
};

// The state, or Error(kObjectNotSet) when the application is gone.
std::shared_ptr<MemState> LockState(const std::weak_ptr<MemState>& state);
// Locks the state and checks member against its failure plan.
std::shared_ptr<MemState> CheckMember(const std::weak_ptr<MemState>& state,
                                      std::string_view member);
// A MemberHook that checks against the state's failure plan.
MemberHook MakeHook(std::weak_ptr<MemState> state);

}  // namespace vellumo::mail
