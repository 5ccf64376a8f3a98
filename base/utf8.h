// UTF-8 primitives shared by the text module's files; not part of its public contract.
//
// A character is a well-formed UTF-8 sequence (no overlong forms, no surrogates, at most
// U+10FFFF) or, failing that, one single byte. Every byte string therefore splits into characters
// in exactly one way, and every non-continuation byte starts a character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vellumo::text::internal {

// Marks a byte that is not part of a well-formed sequence; the byte value is added to it, so such
// characters compare equal only to the same byte and never to a real code point.
inline constexpr char32_t kInvalidBase = 0x110000;

struct Decoded {
  char32_t cp;  // the code point, or kInvalidBase + byte
  int len;      // bytes used: 1..4
};

inline bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

inline Decoded DecodeAt(std::string_view s, size_t i) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data()) + i;
  const size_t left = s.size() - i;
  const unsigned char b0 = p[0];
  if (b0 < 0x80) return {b0, 1};
  const Decoded invalid{kInvalidBase + b0, 1};
  if (b0 < 0xC2 || b0 > 0xF4) return invalid;  // continuation, overlong lead or beyond U+10FFFF
  if (b0 < 0xE0) {
    if (left < 2 || !IsContinuation(p[1])) return invalid;
    return {static_cast<char32_t>(((b0 & 0x1F) << 6) | (p[1] & 0x3F)), 2};
  }
  if (b0 < 0xF0) {
    if (left < 3 || !IsContinuation(p[1]) || !IsContinuation(p[2])) return invalid;
    const char32_t cp = ((b0 & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
    if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) return invalid;
    return {cp, 3};
  }
  if (left < 4 || !IsContinuation(p[1]) || !IsContinuation(p[2]) || !IsContinuation(p[3])) {
    return invalid;
  }
  const char32_t cp =
      ((b0 & 0x07) << 18) | ((p[1] & 0x3F) << 12) | ((p[2] & 0x3F) << 6) | (p[3] & 0x3F);
  if (cp < 0x10000 || cp > 0x10FFFF) return invalid;
  return {cp, 4};
}

// Appends cp (a code point, or an invalid-byte marker, which appends the byte back).
inline void AppendUtf8(std::string& out, char32_t cp) {
  if (cp >= kInvalidBase) {
    out.push_back(static_cast<char>(cp - kInvalidBase));
  } else if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// True when byte offset pos of s starts a character (or is the end). Looks back at most 3 bytes:
// pos is inside a character only when a well-formed sequence that starts before it covers it.
inline bool IsBoundary(std::string_view s, size_t pos) {
  if (pos == 0 || pos >= s.size()) return true;
  if (!IsContinuation(static_cast<unsigned char>(s[pos]))) return true;
  for (size_t back = 1; back <= 3 && back <= pos; ++back) {
    if (!IsContinuation(static_cast<unsigned char>(s[pos - back]))) {
      return static_cast<size_t>(DecodeAt(s, pos - back).len) <= back;
    }
  }
  return true;
}

// The byte offset n characters after pos (or s.size() when the text ends first).
size_t SkipChars(std::string_view s, size_t pos, int64_t n);
// Number of characters in s[from, to); both offsets are character boundaries.
int64_t CountChars(std::string_view s, size_t from, size_t to);

// Byte offset of the first occurrence of needle (not empty) at or after from, matching whole
// characters of hay only; npos when absent. Linear in the size of hay.
size_t FindChars(std::string_view hay, std::string_view needle, size_t from);
// The same, searching backwards: the last occurrence that starts at or before from.
size_t FindCharsReverse(std::string_view hay, std::string_view needle, size_t from);

}  // namespace vellumo::text::internal
