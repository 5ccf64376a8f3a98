// Positions, slicing, searching, replacing, splitting and padding.

#include "base/text.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "base/byte_search.h"
#include "base/case_fold.h"
#include "base/error.h"
#include "base/utf8.h"

namespace vellumo::text {

using internal::CountChars;
using internal::FindChars;
using internal::FindCharsReverse;
using internal::SkipChars;

namespace internal {

size_t SkipChars(std::string_view s, size_t pos, int64_t n) {
  const size_t size = s.size();
  while (n > 0 && pos < size) {
    // Runs of ASCII are the common case; step over them eight bytes at a time.
    if (n >= 8 && size - pos >= 8) {
      uint64_t block;
      std::memcpy(&block, s.data() + pos, 8);
      if ((block & 0x8080808080808080ULL) == 0) {
        pos += 8;
        n -= 8;
        continue;
      }
    }
    pos += DecodeAt(s, pos).len;
    --n;
  }
  return pos < size ? pos : size;
}

int64_t CountChars(std::string_view s, size_t from, size_t to) {
  int64_t count = 0;
  size_t pos = from;
  while (pos < to) {
    if (to - pos >= 8) {
      uint64_t block;
      std::memcpy(&block, s.data() + pos, 8);
      if ((block & 0x8080808080808080ULL) == 0) {
        pos += 8;
        count += 8;
        continue;
      }
    }
    pos += DecodeAt(s, pos).len;
    ++count;
  }
  return count;
}

namespace {

bool WholeCharacters(std::string_view hay, size_t pos, size_t len) {
  return IsBoundary(hay, pos) && IsBoundary(hay, pos + len);
}

}  // namespace

// FindChars with a searcher kept across the calls of one loop.
size_t FindChars(std::string_view hay, ByteSearcher& needle, size_t from) {
  for (;;) {
    const size_t pos = needle.Find(hay, from);
    if (pos == std::string_view::npos || WholeCharacters(hay, pos, needle.size())) return pos;
    from = pos + 1;
  }
}

size_t FindChars(std::string_view hay, std::string_view needle, size_t from) {
  ByteSearcher searcher(needle);
  return internal::FindChars(hay, searcher, from);
}

size_t FindCharsReverse(std::string_view hay, std::string_view needle, size_t from) {
  for (;;) {
    const size_t pos = hay.rfind(needle, from);
    if (pos == std::string_view::npos || WholeCharacters(hay, pos, needle.size())) return pos;
    if (pos == 0) return std::string_view::npos;
    from = pos - 1;
  }
}

}  // namespace internal

namespace {

void RequireNotNegative(int64_t n, const char* what) {
  if (n < 0) throw Error(ErrorCode::kInvalidCall, what);
}

std::string_view FirstChar(std::string_view s) {
  if (s.empty()) return s;
  return s.substr(0, internal::DecodeAt(s, 0).len);
}

}  // namespace

int64_t Len(std::string_view s) { return CountChars(s, 0, s.size()); }

std::string Left(std::string_view s, int64_t n) {
  RequireNotNegative(n, "Left: negative length");
  return std::string(s.substr(0, SkipChars(s, 0, n)));
}

std::string Right(std::string_view s, int64_t n) {
  RequireNotNegative(n, "Right: negative length");
  const int64_t len = Len(s);
  if (n >= len) return std::string(s);
  return std::string(s.substr(SkipChars(s, 0, len - n)));
}

std::string Mid(std::string_view s, int64_t start, int64_t n) {
  if (start < 1) throw Error(ErrorCode::kInvalidCall, "Mid: start before the first character");
  const size_t from = SkipChars(s, 0, start - 1);
  if (n < 0) return std::string(s.substr(from));
  return std::string(s.substr(from, SkipChars(s, from, n) - from));
}

int64_t InStr(std::string_view s, std::string_view find, Compare compare) {
  return InStr(1, s, find, compare);
}

int64_t InStr(int64_t start, std::string_view s, std::string_view find, Compare compare) {
  if (start < 1) throw Error(ErrorCode::kInvalidCall, "InStr: start before the first character");
  const size_t from = SkipChars(s, 0, start - 1);
  // SkipChars stops at the end; a start beyond Len + 1 finds nothing, not even "".
  if (from == s.size() && CountChars(s, 0, from) < start - 1) return 0;
  if (find.empty()) return start;
  if (compare == Compare::kText) {
    const std::string hay = FoldCase(s.substr(from));
    const std::string needle = FoldCase(find);
    const size_t pos = FindChars(hay, needle, 0);
    // Folding maps each character to one character, so counts in the folded text hold.
    return pos == std::string::npos ? 0 : start + CountChars(hay, 0, pos);
  }
  const size_t pos = FindChars(s, find, from);
  return pos == std::string_view::npos ? 0 : start + CountChars(s, from, pos);
}

int64_t InStrRev(std::string_view s, std::string_view find, Compare compare) {
  if (find.empty()) return Len(s) + 1;
  if (compare == Compare::kText) {
    const std::string hay = FoldCase(s);
    const size_t pos = FindCharsReverse(hay, FoldCase(find), std::string::npos);
    return pos == std::string::npos ? 0 : 1 + CountChars(hay, 0, pos);
  }
  const size_t pos = FindCharsReverse(s, find, std::string_view::npos);
  return pos == std::string_view::npos ? 0 : 1 + CountChars(s, 0, pos);
}

std::string Replace(std::string_view s, std::string_view find, std::string_view with,
                    Compare compare) {
  if (find.empty()) return std::string(s);
  std::string out;
  if (compare == Compare::kBinary) {
    if (!ReplaceInto(s, find, with, out)) out.assign(s);
    return out;
  }
  out.reserve(s.size());
  size_t done = 0;  // bytes of s already copied or replaced
  {
    const internal::FoldedText hay = internal::FoldWithOffsets(s);
    const std::string needle = FoldCase(find);
    internal::OffsetMapper to_original(hay);
    internal::ByteSearcher searcher(needle);
    size_t pos = internal::FindChars(hay.text, searcher, 0);
    while (pos != std::string::npos) {
      const size_t begin = to_original(pos);
      const size_t end = to_original(pos + needle.size());
      out.append(s.data() + done, begin - done).append(with);
      done = end;
      pos = internal::FindChars(hay.text, searcher, pos + needle.size());
    }
  }
  out.append(s.data() + done, s.size() - done);
  return out;
}

bool ReplaceInto(std::string_view s, std::string_view find, std::string_view with,
                 std::string& out) {
  if (find.empty()) return false;
  internal::ByteSearcher searcher(find);
  size_t pos = internal::FindChars(s, searcher, 0);
  if (pos == std::string_view::npos) return false;
  out.clear();
  // Room for a few longer replacements; a buffer reused across steps has it already.
  out.reserve(s.size() + (with.size() > find.size() ? s.size() / 8 + with.size() : 0));
  size_t done = 0;
  while (pos != std::string_view::npos) {
    out.append(s.data() + done, pos - done).append(with);
    done = pos + find.size();
    pos = internal::FindChars(s, searcher, done);
  }
  out.append(s.data() + done, s.size() - done);
  return true;
}

bool CanReplaceInPlace(std::string_view find, std::string_view with) {
  return find.size() >= 4 && with.size() <= find.size() &&
         !internal::IsContinuation(static_cast<unsigned char>(find[0]));
}

bool ReplaceInPlace(std::string& s, std::string_view find, std::string_view with) {
  if (!CanReplaceInPlace(find, with)) {
    throw Error(ErrorCode::kInvalidCall, "ReplaceInPlace: the replacement may outgrow the text");
  }
  internal::ByteSearcher searcher(find);
  // The search reads only from the end of the last match on, where nothing is written yet.
  const std::string_view hay(s);
  size_t pos = internal::FindChars(hay, searcher, 0);
  if (pos == std::string_view::npos) return false;
  char* const data = s.data();
  size_t written = pos;
  size_t done = pos;
  while (pos != std::string_view::npos) {
    std::memmove(data + written, data + done, pos - done);
    written += pos - done;
    std::memcpy(data + written, with.data(), with.size());
    written += with.size();
    done = pos + find.size();
    pos = internal::FindChars(hay, searcher, done);
  }
  std::memmove(data + written, data + done, s.size() - done);
  s.resize(written + (s.size() - done));
  return true;
}

namespace {

void ReserveExactly(std::string& s, size_t n) {
  if (s.capacity() >= n) return;
  std::string grown;
  grown.reserve(n);  // from nothing, so exactly what is asked
  grown.append(s);
  s.swap(grown);
}

}  // namespace

void Rewriting::Reserve(size_t n) {
  ReserveExactly(text_, n);
  ReserveExactly(spare_, n);
}

bool Rewriting::Replace(std::string_view find, std::string_view with) {
  if (!ReplaceInto(text_, find, with, spare_)) return false;
  Commit();
  return true;
}

std::vector<std::string> Split(std::string_view s, std::string_view delimiter) {
  std::vector<std::string> parts;
  if (s.empty()) return parts;
  if (delimiter.empty()) {
    parts.emplace_back(s);
    return parts;
  }
  size_t from = 0;
  internal::ByteSearcher searcher(delimiter);
  for (size_t pos = internal::FindChars(s, searcher, 0); pos != std::string_view::npos;
       pos = internal::FindChars(s, searcher, from)) {
    parts.emplace_back(s.substr(from, pos - from));
    from = pos + delimiter.size();
  }
  parts.emplace_back(s.substr(from));
  return parts;
}

std::string Join(const std::vector<std::string>& parts, std::string_view delimiter) {
  size_t size = parts.empty() ? 0 : delimiter.size() * (parts.size() - 1);
  for (const auto& part : parts) size += part.size();
  std::string out;
  out.reserve(size);
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out.append(delimiter);
    out.append(parts[i]);
  }
  return out;
}

std::string LTrim(std::string_view s) {
  const size_t first = s.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string() : std::string(s.substr(first));
}

std::string RTrim(std::string_view s) {
  const size_t last = s.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string() : std::string(s.substr(0, last + 1));
}

std::string Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::string();
  return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

std::string String(int64_t n, std::string_view c) {
  RequireNotNegative(n, "String: negative count");
  if (c.empty()) throw Error(ErrorCode::kInvalidCall, "String: no character given");
  const std::string_view one = FirstChar(c);
  std::string out;
  out.reserve(static_cast<size_t>(n) * one.size());
  for (int64_t i = 0; i < n; ++i) out.append(one);
  return out;
}

std::string Space(int64_t n) {
  RequireNotNegative(n, "Space: negative count");
  return std::string(static_cast<size_t>(n), ' ');
}

std::string PadRight(std::string_view s, int64_t width) {
  const int64_t len = Len(s);
  std::string out(s);
  if (len < width) out.append(static_cast<size_t>(width - len), ' ');
  return out;
}

std::string PadLeft(std::string_view s, int64_t width) {
  const int64_t len = Len(s);
  std::string out;
  if (len < width) out.assign(static_cast<size_t>(width - len), ' ');
  out.append(s);
  return out;
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = internal::FindLineEnd(text, start);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

bool LinesEndWith(std::string_view text, std::string_view line_end) {
  // Lines takes away CR LF, a lone CR or a lone LF, so no other line end can come back.
  if (text.empty()) return true;
  if (line_end == kCrLf) return text.back() == '\n' && internal::LineEndsArePairs(text);
  if (line_end == "\n" || line_end == "\r") {
    const char other = line_end[0] == '\n' ? '\r' : '\n';
    return text.back() == line_end[0] && std::memchr(text.data(), other, text.size()) == nullptr;
  }
  return false;
}

std::string EscapeHtml(std::string_view s) {
  std::string out;
  out.reserve(s.size() + s.size() / 8);
  for (char c : s) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace vellumo::text
