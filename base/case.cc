// Unicode case mapping and simple case folding over compact run tables.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

#include "base/case_fold.h"
#include "base/text.h"
#include "base/utf8.h"

namespace vellumo::text {
namespace internal {
namespace {

struct CaseRun {
  uint32_t first;
  uint32_t count;
  int32_t delta;
  uint32_t stride;  // 1: every code point of the run; 2: every other one
};

struct FullCase {
  uint32_t cp;
  const char* utf8;
};

#include "base/case_tables.inc"

template <size_t N>
char32_t MapSimple(const CaseRun (&runs)[N], char32_t cp) {
  const auto* after =
      std::upper_bound(std::begin(runs), std::end(runs), cp,
                       [](char32_t c, const CaseRun& run) { return c < run.first; });
  if (after == std::begin(runs)) return cp;
  const CaseRun& run = *(after - 1);
  const uint32_t offset = cp - run.first;
  if (offset % run.stride != 0 || offset / run.stride >= run.count) return cp;
  return static_cast<char32_t>(static_cast<int64_t>(cp) + run.delta);
}

template <size_t N>
const char* MapFull(const FullCase (&table)[N], char32_t cp) {
  const auto* hit =
      std::lower_bound(std::begin(table), std::end(table), cp,
                       [](const FullCase& entry, char32_t c) { return entry.cp < c; });
  return hit != std::end(table) && hit->cp == cp ? hit->utf8 : nullptr;
}

// Applies a per-character mapping; ASCII letters in ascii_from..ascii_to flip case without
// decoding.
template <size_t NRuns, size_t NFull>
std::string MapText(std::string_view s, const CaseRun (&runs)[NRuns], const FullCase (&full)[NFull],
                    char ascii_from, char ascii_to) {
  std::string out;
  out.reserve(s.size());
  for (size_t pos = 0; pos < s.size();) {
    const char c = s[pos];
    if (static_cast<unsigned char>(c) < 0x80) {
      out.push_back(c >= ascii_from && c <= ascii_to ? static_cast<char>(c ^ 0x20) : c);
      ++pos;
      continue;
    }
    const Decoded d = DecodeAt(s, pos);
    if (d.cp < kInvalidBase) {
      if (const char* text = MapFull(full, d.cp)) {
        out.append(text);
      } else {
        AppendUtf8(out, MapSimple(runs, d.cp));
      }
    } else {
      out.push_back(c);
    }
    pos += d.len;
  }
  return out;
}

// The next character of s at pos, folded, advancing pos.
char32_t NextFolded(std::string_view s, size_t& pos) {
  const unsigned char c = static_cast<unsigned char>(s[pos]);
  if (c < 0x80) {
    ++pos;
    return c >= 'A' && c <= 'Z' ? c | 0x20 : c;
  }
  const Decoded d = DecodeAt(s, pos);
  pos += d.len;
  return d.cp < kInvalidBase ? FoldChar(d.cp) : d.cp;
}

}  // namespace

char32_t FoldChar(char32_t cp) {
  if (cp < 0x80) return cp >= 'A' && cp <= 'Z' ? cp | 0x20 : cp;
  return MapSimple(kFoldRuns, cp);
}

namespace {

constexpr uint64_t kOnes = 0x0101010101010101ULL;
constexpr uint64_t kHighBits = 0x8080808080808080ULL;

// Folds s onto out; with shifts, records where a character changed its byte length.
void FoldInto(std::string_view s, std::string& out,
              std::vector<std::pair<size_t, size_t>>* shifts) {
  out.reserve(out.size() + s.size());
  for (size_t pos = 0; pos < s.size();) {
    // Eight ASCII bytes at a time: a byte gets 0x20 added when it lies in 'A'..'Z'. No byte
    // exceeds 0x7F, so the additions below never carry into the next byte.
    if (s.size() - pos >= 8) {
      uint64_t block;
      std::memcpy(&block, s.data() + pos, 8);
      if ((block & kHighBits) == 0) {
        const uint64_t at_least_a = block + kOnes * (0x80 - 'A');
        const uint64_t beyond_z = block + kOnes * (0x7F - 'Z');
        block |= ((at_least_a & ~beyond_z) & kHighBits) >> 2;
        out.append(reinterpret_cast<const char*>(&block), 8);
        pos += 8;
        continue;
      }
    }
    if (static_cast<unsigned char>(s[pos]) < 0x80) {
      const char c = s[pos++];
      out.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c | 0x20 : c));
      continue;
    }
    const size_t start = pos;
    const size_t out_start = out.size();
    AppendUtf8(out, NextFolded(s, pos));
    if (shifts != nullptr && out.size() - out_start != pos - start) {
      shifts->emplace_back(out.size(), pos);
    }
  }
}

}  // namespace

FoldedText FoldWithOffsets(std::string_view s) {
  FoldedText folded;
  folded.shifts.emplace_back(0, 0);
  FoldInto(s, folded.text, &folded.shifts);
  return folded;
}

}  // namespace internal

std::string UCase(std::string_view s) {
  return internal::MapText(s, internal::kUpperRuns, internal::kUpperFull, 'a', 'z');
}

std::string LCase(std::string_view s) {
  return internal::MapText(s, internal::kLowerRuns, internal::kLowerFull, 'A', 'Z');
}

std::string FoldCase(std::string_view s) {
  std::string out;
  internal::FoldInto(s, out, nullptr);
  return out;
}

void FoldCaseInto(std::string_view s, std::string& out) {
  out.clear();
  internal::FoldInto(s, out, nullptr);
}

bool EqualsText(std::string_view a, std::string_view b) {
  size_t pa = 0;
  size_t pb = 0;
  while (pa < a.size() && pb < b.size()) {
    if (internal::NextFolded(a, pa) != internal::NextFolded(b, pb)) return false;
  }
  return pa == a.size() && pb == b.size();
}

bool StartsWithText(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && EqualsText(s.substr(0, prefix.size()), prefix);
}

std::string AsciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace vellumo::text
