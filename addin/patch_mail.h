// Patches are sent as their author made them: a mailing list applies them with `git am` and many
// lists refuse HTML, so dressing one (an HTML alternative, a signature spliced into the diff)
// breaks it. This tells a patch from a message.
//
// Pure text rules; no platform.
#pragma once

#include <string>
#include <string_view>

namespace vellumo::addin {

// Why the message is a patch, or "" when it is not: sent by git send-email (an X-Mailer header
// line of headers, the message's header block), or a plain-text message (html_body empty) whose
// text holds a unified diff: a "diff --git " line, or a "--- " line followed by a "+++ " line
// and then an "@@ " line.
[[nodiscard]] std::string PatchReason(std::string_view body, std::string_view html_body,
                                      std::string_view headers);

}  // namespace vellumo::addin
