// HtmlToText: the text a reader sees in an HTML document, laid out as plain text. The local mail
// client uses it for the text alternative of an HTML message and for `Body` of a message that has
// no text part; the terminal preview shows the same text.
//
// The document is parsed by an HTML5 parser (gumbo), so broken markup reads as a browser reads it.
// Layout rules:
//   - white space collapses as in a browser; <pre> keeps it;
//   - block elements end a line; <p> and headings stand apart by an empty line; <br> breaks a line;
//   - list items start with "- " (indented two spaces per nesting level);
//   - table cells of one row are separated by a TAB, each row on its own line;
//   - a link whose text differs from its address reads "text <address>" ("mailto:" and in-page
//     "#" addresses excepted: the text alone);
//   - entities are decoded; head, title, style, script and template content and comments
//     (including conditional comments) are left out, as are pictures;
//   - lines end in CR LF; no white space at the start or the end of the whole text.
// Any input gives a result; never throws except std::bad_alloc. Thread-safe, like TextAsHtml.
#pragma once

#include <string>
#include <string_view>

namespace vellumo::html {

[[nodiscard]] std::string HtmlToText(std::string_view html);

namespace internal {
// HtmlToText with every character of text given to the parser, as it was before long runs of text
// were handed over as marks: the two must agree on every document.
[[nodiscard]] std::string HtmlToTextEveryCharacterParsed(std::string_view html);
}  // namespace internal

// The document's title as a browser's tab shows it (white space collapsed, entities decoded); ""
// when it has none. Never throws except std::bad_alloc.
[[nodiscard]] std::string HtmlTitle(std::string_view html);

// Plain text as HTML that shows the same: "&", "<" and ">" written as entities, every line end
// (CR LF, CR or LF) as "<br>" followed by CR LF.
[[nodiscard]] std::string TextAsHtml(std::string_view text);

}  // namespace vellumo::html
