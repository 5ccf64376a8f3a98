#include "addin/item_send.h"

#include <utility>

#include "addin/item_send_run.h"
#include "addin/patch_mail.h"
#include "base/error.h"
#include "base/text.h"
#include "common/compose/short_signature.h"
#include "common/compose/tips.h"
#include "common/diagnostics/message_state.h"
#include "platform/mailclient/safe_items.h"

namespace vellumo::addin {
namespace {

// Raised for the life of a scope: a send raised while the handler runs is let through.
class Busy {
 public:
  explicit Busy(bool& flag) : flag_(flag) { flag_ = true; }
  ~Busy() { flag_ = false; }
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;

 private:
  bool& flag_;
};

bool Contains(std::string_view s, std::string_view find) {
  return !find.empty() && text::InStr(s, find) > 0;
}

// The file lists and the preview show and save names as the folder has them ("Birch.HTM"), so
// the extension check must not depend on their case.
bool HasHtmName(std::string_view name) {
  return text::InStr(name, ".htm", text::Compare::kText) > 0;
}

}  // namespace

ItemSendHandler::ItemSendHandler(ItemSendDeps deps) : deps_(std::move(deps)) {}

void ItemSendHandler::ol_ItemSend(const std::shared_ptr<mail::MailItem>& Item, bool& Cancel) {
  // The error report's mail is sent from inside a send; dressing it would reuse the shared state
  // of the send in progress.
  if (running_) return;
  Busy busy(running_);
  try {
    Run(*this, Item, Cancel).Go();
  } catch (const std::exception& e) {
    deps_.log.Write_to_error_file(DescriptionOf(e), kSendWhere, kSendLabel);
  }
  deps_.state.CurrentItem.reset();
}

ItemSendHandler::PreviewOutcome ItemSendHandler::PreviewOnly(
    const std::shared_ptr<mail::MailItem>& Item) {
  if (running_) throw Error(ErrorCode::kInvalidCall, "PreviewOnly during a send");
  Busy busy(running_);
  struct ForgetItem {
    compose::SendState& state;
    ~ForgetItem() { state.CurrentItem.reset(); }
  } forget{deps_.state};
  bool cancel = true;
  return Run(*this, Item, cancel).GoPreviewOnly();
}

ItemSendHandler::Run::Run(ItemSendHandler& handler, std::shared_ptr<mail::MailItem> item,
                          bool& cancel)
    : handler_(handler), deps_(handler.deps_), item_(std::move(item)), cancel_(cancel) {}

void ItemSendHandler::Run::Go() {
  if (!item_) throw Error(ErrorCode::kObjectNotSet, "Item");
  ResetSendState();
  if (ModeGate() == Flow::kReturn) return;
  SafeWrapper();
  if (Resends() == Flow::kReturn) return;
  SystemTest();
  if (MessageClass() == Flow::kReturn) return;
  if (Patch() == Flow::kReturn) return;
  Quote();
  Subject();
  if (PersonalStationery() == Flow::kReturn) return;
  Separator();
  if (Internal() == Flow::kReturn) return;
  if (SendAsIs() == Flow::kReturn) return;
  Trace("Mode off check OK");
  if (PreviewMarks() == Flow::kReturn) return;
  if (AutoMode() == Flow::kReturn) return;
  if (Preview() == Flow::kReturn) return;
  AttachVCard();
  if (Dress() == Flow::kReturn) return;
  Mark();
}

// ---------------------------------------------------------------------------------------------
// Helpers.

std::string ItemSendHandler::Run::Setting(const SettingKey& key, std::string_view label) {
  try {
    return deps_.settings.Get(key);
  } catch (const std::exception& e) {
    deps_.log.Write_to_error_file(DescriptionOf(e), label == kReplyLabel ? kReplyWhere : kSendWhere,
                                  label);
  }
  return std::string(key.default_value);
}

bool ItemSendHandler::Run::Guarded(const std::function<void()>& step) {
  return Guard(deps_.log, kSendWhere, kSendLabel, step);
}

void ItemSendHandler::Run::Trace(std::string_view status) {
  if (!State().TraceOn) return;
  deps_.log.Write_system_check_line("Send Event",
                                    "Check " + std::to_string(handler_.trace_counter_), status);
  ++handler_.trace_counter_;
}

void ItemSendHandler::Run::Exclaimer(mail::MailItem& item) {
  if (!IsTrue(keys::UseExclaimer)) return;
  const std::string rule = Setting(keys::ExclaimerRule);
  Guarded([&] { item.SetSubject(rule + item.Subject()); });
  Guarded([&] { item.Save(); });
}

// ---------------------------------------------------------------------------------------------
// Steps 1 to 8.

void ItemSendHandler::Run::ResetSendState() {
  // What one send leaves behind must not steer the next: a Send Plain or a ticked vCard of an
  // earlier preview, a template refused for script in an earlier composition.
  compose::SendState& s = State();
  s.CurrentItem.reset();
  s.IsReply = false;
  s.PreviewMode = false;
  s.ScriptCancelled = false;
  s.MessageDressed = false;
  s.BrowserSend = false;
  s.SendPlain = false;
  s.AttachVCard = false;
  s.SelectedBoilerplate.clear();
}

ItemSendHandler::Flow ItemSendHandler::Run::ModeGate() {
  if (Setting(keys::SettingButtonBar) != "auto") {
    Exclaimer(*item_);
    return Flow::kReturn;
  }
  // Unreadable properties count as marked: dressing an item twice is worse than not at all.
  int count = 1;
  Guarded([&] { count = item_->UserProperties()->Count(); });
  if (count > 0) {
    Exclaimer(*item_);
    return Flow::kReturn;
  }
  return Flow::kGoOn;
}

void ItemSendHandler::Run::SafeWrapper() {
  State().CurrentItem = item_;
  use_redemption_ = IsTrue(keys::UseRedemption);
  if (!use_redemption_) return;
  Guard(deps_.log, kRedemptionWhere, kRedemptionLabel, [&] {
    std::shared_ptr<mail::SafeMailItem> safe = mail::CreateSafeMailItem(deps_.application);
    safe->SetItem(item_);
    safe->Save();
    State().CurrentItem = safe;
  });
}

ItemSendHandler::Flow ItemSendHandler::Run::Resends() {
  Guarded([&] { message_class_ = text::UCase(item_->MessageClass()); });
  if (message_class_ != "IPM.NOTE") return Flow::kGoOn;
  const bool outbox_drafts = IsTrue(keys::SuppressResendsOutbox);
  const bool sent_items = IsTrue(keys::SuppressResendsSentItems);
  if (!outbox_drafts && !sent_items) return Flow::kGoOn;

  std::string folder;
  Guarded([&] { folder = text::UCase(item_->Parent()->Name()); });
  const auto marked = [&] {
    std::string billing;
    Guarded([&] { billing = item_->BillingInformation(); });
    return billing == kDressedMark;
  };
  const auto resend = [&](std::string_view line) {
    Note(line);
    if (!marked()) return Flow::kGoOn;
    Exclaimer(*item_);
    return Flow::kReturn;
  };
  if (outbox_drafts && folder == "OUTBOX") {
    if (resend("Resend from the Outbox, Ol_ItemSend") == Flow::kReturn) return Flow::kReturn;
  }
  if (outbox_drafts && folder == "DRAFTS") {
    if (resend("Resend from drafts (redemption), Ol_ItemSend") == Flow::kReturn) {
      return Flow::kReturn;
    }
  }
  if (sent_items && folder == "SENT ITEMS") {
    if (resend("Resend from the Sent Items, Ol_ItemSend") == Flow::kReturn) return Flow::kReturn;
  }
  return Flow::kGoOn;
}

void ItemSendHandler::Run::SystemTest() {
  const bool on = IsTrue(keys::SystemCheck);
  State().TraceOn = on;
  if (on) handler_.trace_counter_ = 1;
  Trace("Fired OK");
}

ItemSendHandler::Flow ItemSendHandler::Run::MessageClass() {
  // An unreadable class counts as "not a note": an item we cannot identify is left alone.
  if (message_class_ != "IPM.NOTE") return Flow::kReturn;
  Trace("Message Class - IPM.Note");
  Trace("HTML Body check OK");
  return Flow::kGoOn;
}

ItemSendHandler::Flow ItemSendHandler::Run::Patch() {
  if (IsTrue(keys::DressPatches)) return Flow::kGoOn;
  // What cannot be read here is read (and its failure logged) by the steps that need it; for
  // this test an unreadable part only means "not known to be a patch".
  auto read = [&](std::string_view property) {
    try {
      return item_->Property(property);
    } catch (const Error&) {  // ignore: see above
      return std::string();
    }
  };
  const std::string reason = PatchReason(read(mail::prop::kBody), read(mail::prop::kHTMLBody),
                                         read(mail::prop::kInternetHeaders));
  if (reason.empty()) return Flow::kGoOn;
  Trace("Patch sent untouched: " + reason);
  return Flow::kReturn;
}

void ItemSendHandler::Run::Quote() {
  if (IsTrue(keys::SendQuote)) {
    compose::NextTip(deps_.settings, deps_.fs, deps_.log);
  }
  Trace("Quote check OK");
}

void ItemSendHandler::Run::Subject() {
  Guarded([&] { State().ItemSubject = item_->Subject(); });
  Trace("Subject OK");
}

namespace {

// A string value of the registry, or "" when it is missing, not a string or cannot be read:
// failures of the personal-stationery step are ignored by rule.
std::string StringValue(Registry& registry, std::string_view key, std::string_view name) {
  try {
    const std::optional<RegValue> value = registry.GetValue(key, name);
    if (value && (value->kind() == RegType::kString || value->kind() == RegType::kExpandString)) {
      return value->text;
    }
  } catch (const std::exception&) {
    // Ignored by rule (item_send.h): the value counts as empty.
  }
  return {};
}

}  // namespace

ItemSendHandler::Flow ItemSendHandler::Run::PersonalStationery() {
  if (IsTrue(keys::WipeoutPersonalStationery)) {
    struct Place {
      std::string key;
      std::string_view value;
    };
    std::vector<Place> places;
    const std::string profile = StringValue(deps_.registry, kProfilesKey, "DefaultProfile");
    if (!profile.empty()) {
      places.push_back({std::string(kProfilesKey) + "\\" + profile + "\\" +
                            std::string(kProfileStationerySubkey),
                        kProfileStationeryValue});
    }
    places.push_back({std::string(kMailSettings10Key), kNewStationeryValue});
    places.push_back({std::string(kMailSettings11Key), kNewStationeryValue});
    for (const Place& place : places) {
      const std::string name = StringValue(deps_.registry, place.key, place.value);
      if (!name.empty()) {
        RefuseStationery(place.key, place.value, name);
        return Flow::kReturn;
      }
    }
    std::string billing;
    Ignore([&] { billing = item_->BillingInformation(); });
    if (billing == kDoNotSendMark) {
      cancel_ = true;
      Ignore([&] { deps_.ui.MsgBox(kStationeryShortText, ui::kInformation, kStationeryTitle); });
      return Flow::kReturn;
    }
  }
  Trace("Wipeout Personal Stationery OK");
  return Flow::kGoOn;
}

void ItemSendHandler::Run::RefuseStationery(std::string_view key, std::string_view value,
                                            std::string_view name) {
  Ignore([&] {
    deps_.ui.MsgBox(std::string(kStationeryText) + std::string(name), ui::kInformation,
                    kStationeryTitle);
  });
  cancel_ = true;
  State().MessageDressed = false;
  Ignore([&] { item_->SetBillingInformation(kDoNotSendMark); });
  Ignore([&] { item_->Save(); });
  Ignore([&] { deps_.registry.SetValue(key, value, RegValue::String("")); });
}

// ---------------------------------------------------------------------------------------------
// Steps 9 to 15.

void ItemSendHandler::Run::Separator() {
  bool version_known = true;
  double version = 0;
  try {
    version = text::Val(text::Left(deps_.application.Version(), 2));
  } catch (const std::exception&) {
    version_known = false;
    Note(kVersionErrorLine);
    State().ReplySeparator = Setting(keys::MyReplySearchString);
  }
  try {
    std::shared_ptr<mail::Inspector> inspector = Current().GetInspector();
    if (!inspector) throw Error(ErrorCode::kObjectNotSet, "Inspector");
    editor_ = static_cast<int>(inspector->EditorType());
  } catch (const std::exception& e) {
    editor_ = 0;
    Note(DescriptionOf(e) + std::string(kMessItemErrorSuffix));
  }
  if (!version_known) return;
  const bool text_search = version < 11 || editor_ == static_cast<int>(mail::EditorType::kText);
  State().ReplySeparator =
      Setting(text_search ? keys::MyReplySearchString : keys::Office2003SearchString);
}

ItemSendHandler::Flow ItemSendHandler::Run::Internal() {
  if (Setting(keys::SkipInternal) == "1") {
    if (editor_ == static_cast<int>(mail::EditorType::kRtf)) return Flow::kReturn;
    bool internal = use_redemption_ ? DomainsInternal() : AddressesInternal();
    if (IsTrue(keys::TestSkipInternal)) internal = true;
    State().MyInternal = internal;
    // The short signature goes above a reply's history, so the reply must be known first (also
    // without the safe wrapper, where the flag would otherwise be the previous send's).
    if (use_redemption_ || internal) {
      if (DetectReply() == Flow::kReturn) return Flow::kReturn;
    }
    if (State().MyInternal) {
      cancel_ = false;
      ShortSignature();
      Exclaimer(*item_);
      return Flow::kReturn;
    }
  }
  Trace("Send Internal OK");
  return Flow::kGoOn;
}

bool ItemSendHandler::Run::AddressesInternal() {
  bool internal = false;
  Guarded([&] {
    std::shared_ptr<mail::Recipients> recipients = item_->Recipients();
    const int count = recipients->Count();
    // A message to nobody is not "all internal".
    bool all = count > 0;
    for (int i = 1; i <= count && all; ++i) {
      const std::string address = text::Trim(recipients->Item(i)->Address());
      if (address.empty() || Contains(address, "@")) all = false;
    }
    internal = all;
  });
  return internal;
}

bool ItemSendHandler::Run::DomainsInternal() {
  const bool exchange_user = IsTrue(keys::ExchangeUser);
  bool internal = false;
  Guarded([&] {
    std::shared_ptr<mail::Recipients> recipients = Current().Recipients();
    const int count = recipients->Count();
    std::string domain;
    bool domain_read = false;
    for (int i = 1; i <= count; ++i) {
      const std::string address = recipients->Item(i)->Address();
      internal = true;
      if (exchange_user) {
        if (Contains(address, "@")) {
          internal = false;
          return;
        }
        continue;
      }
      Note("MyInternal is true - step 1");
      if (!domain_read) {
        domain = Setting(keys::ExchangeDomain);
        domain_read = true;
      }
      Note(domain + " - the skip value");
      if (Contains(domain, ";")) {
        Note("more one value in the skip value");
        bool found = false;
        // An empty piece ("a.example;") would match every address; it names no domain.
        for (const std::string& piece : text::Split(domain, ";")) {
          if (Contains(address, piece)) {
            Note(piece + " is the found value in the array");
            Note(address);
            found = true;
            break;
          }
        }
        if (!found) {
          internal = false;
          return;
        }
      } else if (!Contains(address, domain)) {
        Note("only one value in the skip value");
        internal = false;
        return;
      }
    }
  });
  return internal;
}

void ItemSendHandler::Run::ShortSignature() {
  const compose::ReplyState reply{State().IsReply, State().ReplySeparator};
  if (editor_ == static_cast<int>(mail::EditorType::kText)) {
    Guarded([&] {
      Current().SetBody(
          compose::AddShortSignature(deps_.settings, deps_.log, Current().Body(), reply));
    });
  } else {
    Guarded([&] {
      Current().SetHTMLBody(
          compose::AddShortSignatureHTML(deps_.settings, deps_.log, Current().HTMLBody(), reply));
    });
  }
  Guarded([&] { Current().Save(); });
}

ItemSendHandler::Flow ItemSendHandler::Run::DetectReply() {
  compose::SendState& s = State();
  s.IsReply = false;
  bool as_is = false;
  Guard(deps_.log, kReplyWhere, kReplyLabel, [&] {
    const std::string& separator = s.ReplySeparator;
    if (separator.empty()) return;
    if (!Contains(Current().Body(), separator) && !Contains(Current().HTMLBody(), separator)) {
      return;
    }
    s.IsReply = true;
    s.ReplyCutBefore = Setting(keys::ReplySearchStringVal, kReplyLabel);
    s.ReplySkipAfter = Setting(keys::ReplyInsertStringVal, kReplyLabel);
    if (Setting(keys::ReplyAsIs, kReplyLabel) == "1") {
      s.IsReply = false;
      as_is = true;
    }
  });
  if (as_is) return Flow::kReturn;
  Trace("Reply check OK");
  return Flow::kGoOn;
}

ItemSendHandler::Flow ItemSendHandler::Run::SendAsIs() {
  State().ReportHandled = false;
  bool as_is = false;
  Guarded([&] { as_is = text::CBool(Setting(keys::SendAsIs)); });
  if (as_is) {
    Guarded([&] { deps_.settings.Set(keys::SendAsIs, "False"); });
    return Flow::kReturn;
  }
  Trace("Send As is check OK");
  return Flow::kGoOn;
}

ItemSendHandler::Flow ItemSendHandler::Run::PreviewMarks() {
  std::string billing;
  Guarded([&] { billing = item_->BillingInformation(); });
  if (billing == kPreviewMark) return Flow::kReturn;
  Trace("Preview check OK");
  if (billing == kPreviewSendMark) {
    cancel_ = false;
    return Flow::kReturn;
  }
  Trace("Preview send check OK");
  return DetectReply();
}

ItemSendHandler::Flow ItemSendHandler::Run::AutoMode() {
  template_ = Setting(keys::Template);
  if (!HasHtmName(template_)) {
    RefuseAutoMode(kMessageAutoNoTemplate);
    return Flow::kReturn;
  }
  Trace("Auto mode check OK");
  const std::string signature = Setting(keys::Signature);
  if (!HasHtmName(signature) && !Contains(signature, "none")) {
    RefuseAutoMode(kMessageAutoNoSignature);
    return Flow::kReturn;
  }
  Trace("Signature check OK");
  Trace("Delivery and Receipt check OK");
  template_folder_ = Setting(keys::HtmFilesPathAsSet);
  return Flow::kGoOn;
}

void ItemSendHandler::Run::RefuseAutoMode(std::string_view kind) {
  compose::SendState& s = State();
  s.Message.kind = std::string(kind);
  Guarded([&] {
    if (!deps_.show_message) throw Error(ErrorCode::kObjectNotSet, "frmMessage");
    deps_.show_message(s.Message);
  });
  cancel_ = true;
  if (handler_.mode_button_ != nullptr) {
    Guarded([&] { handler_.mode_button_->SetCaption(kModeOnCaption); });
  }
  Guarded([&] { deps_.settings.Set(keys::SettingButtonBar, "on"); });
}

}  // namespace vellumo::addin
