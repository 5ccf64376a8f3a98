// The string functions the behaviours are written in, with their classic meanings: positions
// count characters from 1, comparisons are case-sensitive unless a Compare says otherwise, and
// every function works on UTF-8 text. Invalid UTF-8 bytes count as one character each, so no
// input can make these functions fail or loop. Nothing else in the system re-implements them.
//
// Thread safety: all functions are pure.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vellumo::text {

enum class Compare { kBinary, kText };  // kText ignores case (Unicode simple case folding)

inline constexpr std::string_view kCrLf = "\r\n";
inline constexpr std::string_view kTab = "\t";
inline constexpr std::string_view kQuote = "\"";

// Length in characters.
int64_t Len(std::string_view s);

// The first / last n characters; n beyond the length gives the whole string.
// Throws Error(kInvalidCall) when n < 0.
std::string Left(std::string_view s, int64_t n);
std::string Right(std::string_view s, int64_t n);

// From character start (1-based) on, n characters or (n < 0) to the end. start past the end
// gives "". Throws Error(kInvalidCall) when start < 1.
std::string Mid(std::string_view s, int64_t start, int64_t n = -1);

// 1-based character position of the first occurrence of find at or after start, 0 when absent.
// An empty find returns start (when start <= Len(s) + 1). Throws Error(kInvalidCall) for start < 1.
int64_t InStr(std::string_view s, std::string_view find, Compare compare = Compare::kBinary);
int64_t InStr(int64_t start, std::string_view s, std::string_view find,
              Compare compare = Compare::kBinary);

// 1-based character position of the last occurrence, 0 when absent; an empty find gives Len + 1.
int64_t InStrRev(std::string_view s, std::string_view find, Compare compare = Compare::kBinary);

// Every non-overlapping occurrence of find, left to right, replaced; inserted text is never
// re-scanned. An empty find returns s unchanged. Linear in the size of s.
std::string Replace(std::string_view s, std::string_view find, std::string_view with,
                    Compare compare = Compare::kBinary);
// Replace (binary compare) written into out, which is cleared first and keeps its memory, so a
// caller rewriting a large text step by step reuses one buffer. Returns false, out untouched,
// when find is empty or does not occur.
bool ReplaceInto(std::string_view s, std::string_view find, std::string_view with,
                 std::string& out);
// Whether ReplaceInPlace may rewrite a text for find and with: the result never outgrows what
// has been read, and the whole-character checks of a match read only bytes not yet rewritten
// (find starts a character and is at least four bytes long).
bool CanReplaceInPlace(std::string_view find, std::string_view with);
// Replace (binary compare) written over s itself, so a long text needs no second buffer. Only
// where CanReplaceInPlace(find, with); neither may point into s. Returns false, s untouched, when
// find does not occur.
bool ReplaceInPlace(std::string& s, std::string_view find, std::string_view with);

// A text rewritten step by step through two buffers that change places: each step reads text()
// and writes the next text into the spare buffer, whose memory an earlier step left, so a whole
// chain of rewrites allocates its large buffers once instead of once a step.
class Rewriting {
 public:
  explicit Rewriting(std::string text) : text_(std::move(text)) {}
  const std::string& text() const { return text_; }
  // The spare buffer, emptied, for a step to write the next text into; Commit makes it the text.
  std::string& Spare() {
    spare_.clear();
    return spare_;
  }
  void Commit() { text_.swap(spare_); }
  // Room for n bytes in both buffers, for a caller that knows how large the text will grow.
  // Exactly n: a string's own reserve may double what it had.
  void Reserve(size_t n);
  // Replace of every occurrence; no copy when find does not occur. Returns whether it did.
  bool Replace(std::string_view find, std::string_view with);
  // The text, for a step that edits in place (a replacement no longer than what it replaces).
  std::string& Edit() { return text_; }
  std::string Take() && { return std::move(text_); }

 private:
  std::string text_;
  std::string spare_;
};

// Split("", d) is {}; Split("a;", ";") is {"a", ""}. An empty delimiter gives {s}.
std::vector<std::string> Split(std::string_view s, std::string_view delimiter);
std::string Join(const std::vector<std::string>& parts, std::string_view delimiter);

// Remove spaces (character 32) only.
std::string Trim(std::string_view s);
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);

// Full Unicode case mapping ("ß" upper-cases to "SS"), without context or language rules: "Σ"
// always lower-cases to "σ", "I" to "i". Invalid bytes are kept.
std::string UCase(std::string_view s);
std::string LCase(std::string_view s);
// A key under which strings that differ only in case are equal (simple case folding).
std::string FoldCase(std::string_view s);
void FoldCaseInto(std::string_view s, std::string& out);  // the same, replacing out's text
bool EqualsText(std::string_view a, std::string_view b);  // equal ignoring case
// Whether s begins with prefix, ignoring case as EqualsText does. (Exact: s.starts_with.)
bool StartsWithText(std::string_view s, std::string_view prefix);
// ASCII letters lower-cased, every other byte kept: protocol words, program and file names.
std::string AsciiLower(std::string_view s);
// The value of a hexadecimal digit (either case), -1 for any other character.
int HexDigit(char c);

// n copies of the first character of c / of a space. n < 0 throws Error(kInvalidCall).
std::string String(int64_t n, std::string_view c);
std::string Space(int64_t n);
// s padded with spaces on the right (left) to width characters; longer text is kept whole.
std::string PadRight(std::string_view s, int64_t width);
std::string PadLeft(std::string_view s, int64_t width);

// Classic conversions. Val reads the leading number: sign, digits, point, exponent (E or D), or an
// &H / &O literal, which takes the smallest 16- or 32-bit type that holds it ("&HFFFF" is -1).
// CBool, CInt and CLng read the whole text (spaces around it allowed, digit-grouping commas too).
double Val(std::string_view s);    // leading number; never fails
bool CBool(std::string_view s);    // "True"/"False" any case, or a number; else kTypeMismatch
int16_t CInt(std::string_view s);  // rounds half to even; kTypeMismatch / kOverflow
int32_t CLng(std::string_view s);
std::string Str(int64_t n);  // decimal text without a leading blank

// Format(n, "###,###,###"): digit groups of three joined by commas; 0 gives "".
std::string FormatGrouped(int64_t n);

// The lines of a text as a line-input statement reads them: a line ends at CR LF, CR or LF; a last
// line without an end is still a line; an empty text has none. The views point into text.
std::vector<std::string_view> Lines(std::string_view text);
// Whether text is its own Lines, each followed by line_end: every line, the last one included,
// already ends with line_end and with no other line end.
bool LinesEndWith(std::string_view text, std::string_view line_end);

// Text as HTML element content: "&", "<" and ">" written as entities, everything else as it is.
std::string EscapeHtml(std::string_view s);

// Encodings.
bool IsValidUtf8(std::string_view s);
std::string Windows1252ToUtf8(std::string_view s);
std::string Utf16LeToUtf8(std::string_view bytes);  // unpaired surrogates become U+FFFD
std::string Utf8ToUtf16Le(std::string_view s);      // invalid bytes become U+FFFD
// Text read from a file: a UTF-16 BOM (LE, or BE) selects UTF-16; otherwise UTF-8 when valid,
// else Windows-1252. A UTF-8 BOM is dropped in both cases.
std::string DecodeFileText(std::string_view bytes);
// DecodeFileText of bytes handed over: where they are UTF-8 already, their own buffer comes back
// holding the text, so a large file is not copied.
std::string TakeFileText(std::string bytes);

}  // namespace vellumo::text
