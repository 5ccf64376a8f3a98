// CreateHTMLBody: the composition engine. It merges the user's text into a stationery template
// at the marker "[#Input your message here#]", adds the user's signature, keeps a reply's history
// below the stationery, neutralises markup that would fight the template, can put a date line in
// front, and fills the signature placeholders. The send pipeline writes the result into the item;
// the previews show it.
//
// The steps, in order: template fallback, before dump, date line (date_line.h), the rules on the
// user's text (neutralise.h), format probe and handling (plain text to HTML, the word-editor path),
// reply split, format warning, signature, template read, script question, marker, contact and
// marketing step (contact_hooks.h; never in a preview), user substitutions and placeholders
// (placeholders.h).
//
// Errors never reach the caller. Each stage that fails is logged through the Log with its own
// where-text and label, and the composition either goes on or returns the incoming message (the
// text exactly as passed in), so the send still goes out with the user's own body:
//   template fallback, date line, plain text, format warning, marker, contact step, placeholders
//                        ("CreateHTMLBody", "CreateHTM_Err")                     incoming message
//   word-editor save/read ("CreateHTMLBody- error in Word htm file", "WordFileOpen_Err") incoming
//   reply split          Write_log_line "parsing error - reply - length of the message is N -
//                        myMessageReplyFormatFalse_err"                          incoming message
//   signature            ("CreateHTMLBody", "Signature_Err")                     incoming message
//   template read        ("CreateHTMLBody- error in htm file", "NoFile_Err")     incoming message
//   marketing step       ("CreateHTMLBody- eMarketing error", "eMarketing_Err")  incoming message
//   dumps and text rules as neutralise.h states                                 go on
//   format probe         nothing logged; the format counts as unknown            go on
//
// Ownership: a Composer keeps references to everything in ComposeDeps; they must outlive it.
// Not thread-safe: one composition at a time, on the mail client's user-interface thread.
#pragma once

#include <string>
#include <string_view>

#include "common/compose/compose_windows.h"
#include "common/compose/contact_hooks.h"
#include "common/compose/send_state.h"
#include "common/diagnostics/log.h"
#include "common/settings/settings.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/ui/host.h"

namespace vellumo::compose {

inline constexpr std::string_view kMessageMarker = "[#Input your message here#]";

// The questions and messages of the composition, exactly as shown.
inline constexpr std::string_view kScriptWarningTitle = "Vellumo Security Warning";
inline constexpr std::string_view kScriptWarningText =
    "This Template has script in it. This means that your recipients may not be able to \r\n"
    "see or access your message. Continue with your message? Click No to cancel, Yes to continue";
inline constexpr std::string_view kMarkerMissingTitle = "Corvane Template error";
inline constexpr std::string_view kMarkerMissingText =
    "You have chosen to use a Template that has not been \r\n"
    "modified for use as an Corvane Template.\r\n\r\n"
    "You can click Help! and learn more about Corvane Templates.\r\n"
    "Corvane will try to use this Template.";
inline constexpr std::string_view kFormatWarningKind = "Format Warning";

// Logged once per Composer when "Marketing" asks for a feature no ContactHooks provides.
inline constexpr std::string_view kContactFeaturesUnavailable =
    "CreateHTMLBody - the contact log and the marketing record are not available in this "
    "version; Admin Settings \"Marketing\" is ignored";

struct ComposeDeps {
  Settings& settings;
  FileSystem& fs;
  Clock& clock;
  ui::Host& ui;  // the script question and the marker message
  Log& log;
  ComposeWindows& windows;
  // The contact and marketing features; null where they are not available (then a non-empty
  // "Marketing" is logged once and otherwise ignored).
  ContactHooks* contacts = nullptr;
};

class Composer {
 public:
  explicit Composer(ComposeDeps deps) : deps_(deps) {}

  // The composed HTML body for message (the item's HTML body, perhaps with a boilerplate text
  // appended, or its plain text) and the template file at template_path. When that file does not
  // exist, template_path is replaced by the first file of the template folder (Admin Settings
  // "HTM Files Path", "C:\temp" when unset) and the caller sees the new path.
  //
  // Reads state (CurrentItem, ApplicationPath, IsReply, ReplySeparator, ReplyCutBefore,
  // ReplySkipAfter, PreviewMode); writes ScriptCancelled (cleared before the template is read,
  // raised when the template holds script and the user does not answer Yes: the result is then
  // the unmerged template text) and, for the format warning, MessageKind and MessageAnswer.
  [[nodiscard]] std::string CreateHTMLBody(std::string_view message, std::string& template_path,
                                           SendState& state);

 private:
  friend class Composition;

  ComposeDeps deps_;
  bool contact_features_logged_ = false;
};

}  // namespace vellumo::compose
