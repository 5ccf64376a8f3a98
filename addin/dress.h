// The one dressing of a message's body: what the send writes into the item, and so what the
// preview shows before it. Both call DressBody with the same choice, so the preview can never show
// a template, trimming or boilerplate that the send would not use.
//
// The plain-text editor: no template; the plain rendering with the compact signature block and
// the disclaimer (plain_text_body.h). Otherwise the item's HTML body followed by the chosen
// boilerplate, composed with template_folder + "\" + the trimmed template name; an item without an
// HTML body: its text body composed with template_folder + "\" + the name as it stands.
//
// Each read and the composition run through the caller's guard, which reports a failure and
// returns false. A body that cannot be read or composed gives nothing: the item keeps what the
// user wrote rather than a dressing of an empty text. A boilerplate that cannot be read is left
// out. DressBody reads the item and never writes it. Not thread-safe (the composer is not).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "base/text.h"
#include "common/compose/create_html_body.h"
#include "common/compose/send_state.h"
#include "common/diagnostics/log.h"
#include "common/settings/settings.h"
#include "platform/file_system.h"
#include "platform/mailclient/items.h"

namespace vellumo::addin {

struct DressDeps {
  const Settings& settings;
  FileSystem& fs;
  Log& log;
  compose::Composer& composer;
};

// What the dressing uses besides the item.
struct DressChoice {
  std::string template_folder;  // Admin Settings "HTM Files Path" as the send reads it
  std::string template_name;    // the template's file name in that folder ("Birch.htm")
  std::string boilerplate;      // the boilerplate's name; "" or "None" for none
};

// Runs one step; a step that throws is reported and gives false.
using DressGuard = std::function<bool(const std::function<void()>&)>;

// The dressed HTML body of item, or nothing (see above). state: the send state the composition
// reads and writes (ScriptCancelled, the reply split, PreviewMode).
[[nodiscard]] std::optional<std::string> DressBody(const DressDeps& deps, mail::MailItem& item,
                                                   bool plain_text, const DressChoice& choice,
                                                   compose::SendState& state,
                                                   const DressGuard& guard);

}  // namespace vellumo::addin
