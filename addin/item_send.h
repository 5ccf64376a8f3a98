// ItemSendHandler: the send interception. The mail client raises ItemSend for every item it is
// about to send; ol_ItemSend decides, in a fixed order of checks, whether the item goes unchanged,
// the send is cancelled, the item gets only a short signature (internal mail), or it is dressed
// with stationery (after the preview, when that is on), written back, marked and saved.
//
// The checks, in order: mode gate ("SettingButtonBar" must be "auto" and the item must carry no
// user property), the safe wrapper ("UseRedemption"), re-sends from the Outbox, Drafts or Sent
// Items, the system test and its trace lines, the message class, the quote rotation, the subject,
// Outlook personal stationery (refused with a warning and the "DoNotSend" mark), the reply
// separator by client version and editor, internal recipients, the send-as-is one-shot, the
// preview marks, a default template and signature (else the message form, the send cancelled and
// the mode switched to "on"), the preview, the vCard, and the dressing by editor type.
//
// Marks on items: BillingInformation "Vellumo from Corvane" plus the user property
// "CorvaneVellumo" = "Version " and the version on a dressed item; "DoNotSend" on an item refused
// for personal stationery; "Preview" and "Preview Send", set by others, let an item go unchanged.
//
// Errors never reach the mail client. Each failing call is logged with its step's label and the
// send goes on with the next statement:
//   "olRedemption_Err:"  the safe wrapper       Write_to_error_file(d, "Redemption error", label);
//                                               the item itself is used
//   "olSendItem_Err"     everything else        Write_to_error_file(d, "ol_ItemSend", label)
//   "MyVersion_err"      the client version     a log line; the separator is "MyReplySearchString"
//   "MyMessItem_err"     the item's inspector   a log line; the editor counts as unknown
//   "MyReplySearchString_err"  reply detection  Write_to_error_file(d, "error finding the reply
//                                               search string", label)
// A check whose value cannot be read lets the item go unchanged where dressing it could harm it
// (its user properties, its message class) and otherwise counts as not met. Personal-stationery
// failures are ignored by rule. An item is never dropped: it is sent (dressed or not) or the
// send is cancelled and it stays where it was.
//
// Ownership: the handler keeps references to everything in ItemSendDeps; they must outlive it.
// Not thread-safe: called on the mail client's user-interface thread. A send raised while the
// handler runs (the error report's own mail) is let go unchanged.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "addin/addin_windows.h"
#include "addin/send_windows.h"
#include "base/version.h"
#include "common/compose/create_html_body.h"
#include "common/compose/send_state.h"
#include "common/diagnostics/diagnostics.h"
#include "common/diagnostics/log.h"
#include "common/settings/keys.h"
#include "common/settings/settings.h"
#include "platform/file_system.h"
#include "platform/mailclient/application.h"
#include "platform/registry.h"
#include "platform/ui/host.h"

namespace vellumo::addin {

// Marks and values the pipeline writes or compares.
inline constexpr std::string_view kDressedMark = "Vellumo from Corvane";
inline constexpr std::string_view kDoNotSendMark = "DoNotSend";
inline constexpr std::string_view kPreviewMark = "Preview";
inline constexpr std::string_view kPreviewSendMark = "Preview Send";
inline constexpr std::string_view kVersionProperty = "CorvaneVellumo";
inline constexpr std::string_view kVersionValue = kVersionLabel;
inline constexpr std::string_view kModeOnCaption = "Vellumo On";
// System Settings "ExchangeDomain" when unset.
inline constexpr std::string_view kDefaultExchangeDomain = keys::ExchangeDomain.default_value;

// Labels and where-texts of the failures.
inline constexpr std::string_view kSendWhere = "ol_ItemSend";
inline constexpr std::string_view kSendLabel = "olSendItem_Err";
inline constexpr std::string_view kRedemptionWhere = "Redemption error";
inline constexpr std::string_view kRedemptionLabel = "olRedemption_Err:";
inline constexpr std::string_view kVersionErrorLine =
    "Error establishing the Outlook Version, MyVersion_err in OL_itemsend";
inline constexpr std::string_view kMessItemErrorSuffix =
    " - error with the MyMessItem in OLSend - MyMessItem_err";
inline constexpr std::string_view kReplyWhere = "error finding the reply search string";
inline constexpr std::string_view kReplyLabel = "MyReplySearchString_err";
inline constexpr std::string_view kPreviewErrorSuffix = " - AutoPreview, preview_err";
// Logged once when "AutoPreview" is on but no preview window was given.
inline constexpr std::string_view kNoPreviewLine =
    "AutoPreview - no preview window in this version; the message is dressed without it";

// The personal-stationery warnings (information icon, OK).
inline constexpr std::string_view kStationeryTitle = "This email cannot be sent.";
inline constexpr std::string_view kStationeryShortText =
    "You are using Outlook personal Stationery.\r\n"
    "Please cancel this email and create a new email message.";
inline constexpr std::string_view kStationeryText =
    "You are using Outlook personal Stationery.\r\n"
    "Please cancel this email and create a new email message.\r\n"
    "Vellumo will automatically remove the personal Outlook stationery\r\n";

// Where the mail client keeps its personal stationery (under HKEY_CURRENT_USER).
inline constexpr std::string_view kProfilesKey =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging "
    "Subsystem\\Profiles";
inline constexpr std::string_view kProfileStationerySubkey = "0a0d020000000000c000000000000046";
inline constexpr std::string_view kProfileStationeryValue = "001e0360";
inline constexpr std::string_view kMailSettings10Key =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\10.0\\Common\\MailSettings";
inline constexpr std::string_view kMailSettings11Key =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\11.0\\Common\\MailSettings";
inline constexpr std::string_view kNewStationeryValue = "NewStationery";

struct ItemSendDeps {
  mail::Application& application;  // the client's version and the safe wrapper
  Settings& settings;
  Registry& registry;  // the personal-stationery values
  FileSystem& fs;      // tips, boilerplate texts, the disclaimer
  ui::Host& ui;        // the personal-stationery warnings
  Log& log;
  compose::Composer& composer;
  // The send state, with the report-handled flag and the message form's state the error report
  // shares.
  compose::SendState& state;
  MessageShower show_message;  // the message form; empty: the warning is logged as a failure
};

class ItemSendHandler {
 public:
  explicit ItemSendHandler(ItemSendDeps deps);
  ItemSendHandler(const ItemSendHandler&) = delete;
  ItemSendHandler& operator=(const ItemSendHandler&) = delete;

  // The event handler. Item is the item being sent; Cancel starts as the client passes it and is
  // only ever set true (stop the send) or false by the steps above. Never throws.
  void ol_ItemSend(const std::shared_ptr<mail::MailItem>& Item, bool& Cancel);

  // How the user left a preview shown by PreviewOnly.
  enum class PreviewOutcome { kSend, kSendPlain, kClose };
  // Shows the preview window for Item as an automatic send would (subject, reply detection,
  // window layout from the settings), whatever "AutoPreview" and the mode say, and never sends,
  // dresses or marks the item. The choices the window saves (template, signature, profile,
  // geometry) are kept. Throws Error(kObjectNotSet) without a preview window or item; failures
  // of the window itself are logged as AutoPreview logs them.
  PreviewOutcome PreviewOnly(const std::shared_ptr<mail::MailItem>& Item);

  // null: none (the caption change is skipped; the mode setting is still saved).
  void set_mode_button(ModeButton* button) { mode_button_ = button; }
  // null: none ("AutoPreview" then dresses without showing anything, and says so once).
  void set_preview(PreviewWindow* preview) { preview_ = preview; }

  // The number the next trace line carries.
  int64_t trace_counter() const { return trace_counter_; }

 private:
  enum class Flow { kGoOn, kReturn };
  class Run;
  friend class Run;

  ItemSendDeps deps_;
  ModeButton* mode_button_ = nullptr;
  PreviewWindow* preview_ = nullptr;
  int64_t trace_counter_ = 1;
  bool running_ = false;
  bool no_preview_logged_ = false;
};

}  // namespace vellumo::addin
