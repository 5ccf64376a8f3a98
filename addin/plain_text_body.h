// The HTML a plain-text message is dressed with: no stationery, the user's text in a small
// fixed-width font, the compact signature block below it, the disclaimer block when there is one,
// and for a reply the quoted history after the signature. The send pipeline writes it into the
// item; the preview shows the same text.
//
// Pure functions; thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace vellumo::addin {

inline constexpr std::string_view kPlainFontOpen = "<span> <font face='Courier new' size=2>";
inline constexpr std::string_view kPlainFontClose = "</font></span>";

// The user's plain text as HTML: "&", "<" and ">" written as entities (so text such as
// "a<b" stays text), and every line end (CR LF, CR or LF) as "<br>".
[[nodiscard]] std::string EscapePlainTextWithBreaks(std::string_view text);

struct PlainTextMessage {
  std::string_view body{};               // the item's Body
  std::string_view compact_signature{};  // GetCompactSignature
  std::string_view disclaimer{};         // GetDisclaimerText; "" for none
  bool is_reply = false;
  std::string_view reply_separator{};
  // Numbers as text, read with Val: characters before the separator where the new text ends, and
  // the offset from the separator's position where the history starts.
  std::string_view cut_before = "1";
  std::string_view skip_after = "1";
};

// Not a reply:
//   kPlainFontOpen, body, "<p>", signature, ["<p>", disclaimer], kPlainFontClose.
// A reply (the separator found in body at character position p):
//   kPlainFontOpen, head, "<p>", signature, ["<p>", disclaimer], "<P>", tail, kPlainFontClose
// where head is the first p - Val(cut_before) characters and tail the text from position
// p + Val(skip_after) on. Offsets that would reach outside the body are clamped to it (a value
// such as "abc" reads as 0), so no setting can make the split fail. A reply whose separator is
// empty or not in body is rendered as a new message. Body, head and tail go through
// EscapePlainTextWithBreaks; the signature and disclaimer are HTML already.
[[nodiscard]] std::string PlainTextHtml(const PlainTextMessage& message);

}  // namespace vellumo::addin
