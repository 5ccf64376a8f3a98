// The text steps of the composition that need no settings: plain text made HTML, the reply cut,
// and reading a file as lines.
//
// Positions count characters from 1, as the text module does. Every function is linear in the
// size of its input.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace vellumo::compose {

// Plain text as HTML: www words become links (MakeWwwLinks) when the text holds "www."; each
// CR LF-separated line becomes "<div><span>" line "</span></div>", followed by "&nbsp" (no
// semicolon) when the line is blank; then the whole is split at TAB and each piece is followed by
// "&nbsp;&nbsp;&nbsp;" (also the last one) and, when the piece is blank, "&nbsp". Blank means
// nothing but spaces. An empty text stays empty.
[[nodiscard]] std::string PlainTextToDivLines(std::string_view text);

struct ReplyParts {
  std::string new_text;     // what the user wrote, above the separator
  std::string quoted_text;  // the history
};

// The cut of a reply at separator position `position` (1-based, in characters) of text:
// new_text is the first position - Val(cut_before) characters, quoted_text the text from
// position + Val(skip_after) on (the numbers rounded half to even, as a classic Long). Throws
// Error(kInvalidCall) when the new text would be empty or shorter (the separator at the very
// start, or not found: position 0) or the history would start before the text, and
// Error(kOverflow) for numbers beyond a Long.
[[nodiscard]] ReplyParts CutReply(std::string_view text, int64_t position,
                                  std::string_view cut_before, std::string_view skip_after);

// The file at path, decoded (DecodeFileText: UTF-8, else Windows-1252), read as lines (a line
// ends at CR LF, CR or LF) and joined with line_end after every line. Throws the file system's
// Error.
[[nodiscard]] std::string ReadFileLines(FileSystem& fs, std::string_view path,
                                        std::string_view line_end);

}  // namespace vellumo::compose
