// Long runs of plain text handed to the HTML parser as short marks, for HtmlToText.
//
// The parser makes a token of every character of text and spends most of its time on them, while
// a message is mostly text. MarkTextRuns stands a two-character mark (private-use characters
// carrying the run's number) in for each long run, and UnmarkInto puts the runs back in the text
// the tree holds. The tree is then the one the whole document gives, because a run is chosen so
// that the parser treats every character of it as it treats the first:
//   - a run is text outside markup: tags, comments, doctypes and the content of the elements
//     whose content is raw text are passed over with the tokenizer's own rules for where they end;
//   - it holds no "<", "&", CR, NUL, control, noncharacter or invalid UTF-8 (all of which the
//     parser treats apart) and starts with its first character that is not white space, since the
//     parser treats leading white space apart in several places (after <pre>, in tables, before
//     <body>);
//   - the constructs whose text the parser reads by other rules (script, plaintext, select,
//     frameset, template, noscript, svg, math, CDATA) and documents that already hold the marks'
//     characters are left as they are: MarkTextRuns gives nothing for them.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo::html::internal {

struct MarkedText {
  std::string html;                    // the document as the parser gets it
  std::vector<std::string_view> runs;  // the runs by number, in the document given
};

// The document with its long runs marked; nullopt when nothing is worth marking or the document
// is one of those left as they are. The runs point into html_in, which must outlive them.
std::optional<MarkedText> MarkTextRuns(std::string_view html_in);

// True when text may hold a mark.
bool HoldsMarks(std::string_view text);

// text with every mark written back as its run, appended to out.
void UnmarkInto(std::string_view text, std::span<const std::string_view> runs, std::string& out);

}  // namespace vellumo::html::internal
