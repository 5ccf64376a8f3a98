// One run of the send interception (item_send.h): the steps of one ItemSend event, in the order
// they run, over the handler's dependencies. Private to item_send.cc and item_send_dress.cc.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "addin/item_send.h"
#include "base/error.h"
#include "common/settings/keys.h"

namespace vellumo::addin {

class ItemSendHandler::Run {
 public:
  Run(ItemSendHandler& handler, std::shared_ptr<mail::MailItem> item, bool& cancel);

  // Every step in order, up to the first that ends the event.
  void Go();
  // The preview alone, for a message the user looks at without sending (PreviewOnly).
  PreviewOutcome GoPreviewOnly();

 private:
  // item_send.cc: steps 1 to 15.
  void ResetSendState();
  Flow ModeGate();
  void SafeWrapper();
  Flow Resends();
  void SystemTest();
  Flow MessageClass();
  // Patches go out as git wrote them, unless Admin Settings "DressPatches" is "True".
  Flow Patch();
  void Quote();
  void Subject();
  Flow PersonalStationery();
  void RefuseStationery(std::string_view key, std::string_view value, std::string_view name);
  void Separator();
  Flow Internal();
  bool AddressesInternal();
  bool DomainsInternal();
  void ShortSignature();
  Flow DetectReply();
  Flow SendAsIs();
  Flow PreviewMarks();
  Flow AutoMode();
  void RefuseAutoMode(std::string_view kind);

  // item_send_dress.cc: step 16.
  Flow Preview();
  PreviewSetup ReadPreviewSetup();
  void ShowPreview(const PreviewSetup& setup);
  void AttachVCard();
  Flow Dress();
  void Mark();

  // Helpers.
  // The setting, or its default when it cannot be read (logged with label's where-text).
  std::string Setting(const SettingKey& key, std::string_view label = kSendLabel);
  bool IsTrue(const SettingKey& key) { return Setting(key) == "True"; }
  // Runs step; a failure is logged as ("ol_ItemSend", "olSendItem_Err"). True when it finished.
  bool Guarded(const std::function<void()>& step);
  void Note(std::string_view text) { deps_.log.Write_log_line(text); }
  void Trace(std::string_view status);
  // The Exclaimer step on item: the rule keyword before the subject, then Save.
  void Exclaimer(mail::MailItem& item);
  // The item being worked on (the wrapper or the item); Error(kObjectNotSet) when there is none.
  mail::MailItem& Current() {
    if (!deps_.state.CurrentItem) throw Error(ErrorCode::kObjectNotSet, "CurrentItem");
    return *deps_.state.CurrentItem;
  }
  compose::SendState& State() { return deps_.state; }

  ItemSendHandler& handler_;
  ItemSendDeps& deps_;
  std::shared_ptr<mail::MailItem> item_;
  bool& cancel_;

  bool use_redemption_ = false;
  std::string message_class_;  // upper-cased; "" when it cannot be read
  int editor_ = 0;             // the inspector's EditorType; 0 when unknown
  std::string template_;       // User Settings "Template"
  std::string template_folder_;
};

}  // namespace vellumo::addin
