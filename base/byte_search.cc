#include "base/byte_search.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace vellumo::text::internal {
namespace {

constexpr size_t npos = std::string_view::npos;

// Failed memchr candidates after which a call turns to the pair scan: a few are cheap, a byte
// that turns up every few dozen bytes makes each of them a call.
constexpr int kMissesBeforeScan = 2;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsLowerLetter(char c) { return c >= 'a' && c <= 'z'; }

// How the text's bytes compare with the needle's: as they are, or with A-Z read as a-z.
struct Exact {
  static char Fold(char c) { return c; }
  static bool EqualAt(const char* p, std::string_view needle) {
    // Most needles are tags and placeholders: two overlapping loads each, not a call.
    const size_t m = needle.size();
    if (m >= 8 && m <= 16) {
      return Load<uint64_t>(p) == Load<uint64_t>(needle.data()) &&
             Load<uint64_t>(p + m - 8) == Load<uint64_t>(needle.data() + m - 8);
    }
    if (m >= 4 && m < 8) {
      return Load<uint32_t>(p) == Load<uint32_t>(needle.data()) &&
             Load<uint32_t>(p + m - 4) == Load<uint32_t>(needle.data() + m - 4);
    }
    return std::memcmp(p, needle.data(), m) == 0;
  }
  template <typename T>
  static T Load(const char* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
  }
  // The bits set in a text byte before it is compared with this needle byte.
  static uint8_t Mask(char) { return 0; }
};

struct NoCase {
  static char Fold(char c) { return LowerAscii(c); }
  static bool EqualAt(const char* p, std::string_view lower) {
    for (size_t i = 0; i < lower.size(); ++i) {
      if (LowerAscii(p[i]) != lower[i]) return false;
    }
    return true;
  }
  // Setting 0x20 turns only A-Z into a-z and leaves a-z as they are; no other byte becomes a
  // lower-case letter by it.
  static uint8_t Mask(char c) { return IsLowerLetter(c) ? 0x20 : 0; }
};

// How often a byte turns up in mail text and HTML, roughly: markup punctuation, spaces and the
// common lower-case letters often, capitals and most other punctuation seldom. Only the speed
// of a search depends on it.
constexpr std::array<uint8_t, 256> kCommonness = [] {
  std::array<uint8_t, 256> rank{};
  rank.fill(1);
  for (unsigned char c = '0'; c <= '9'; ++c) rank[c] = 5;
  for (unsigned char c = 'A'; c <= 'Z'; ++c) rank[c] = 3;
  for (unsigned char c = 'a'; c <= 'z'; ++c) rank[c] = 6;
  for (unsigned char c : std::string_view("etaoinsrhldcupmfgybw")) rank[c] = 8;
  for (unsigned char c : std::string_view("\r\n.,:;")) rank[c] = 7;
  for (unsigned char c : std::string_view(" <>\"=/")) rank[c] = 9;
  return rank;
}();

// The byte memchr jumps to: the needle's least common one among its first sixteen, or npos when
// no byte can be found by memchr alone (a letter of a case-blind search has two forms).
template <typename Probe>
size_t AnchorOf(std::string_view needle) {
  size_t anchor = npos;
  for (size_t i = 0; i < needle.size() && i < 16; ++i) {
    if (Probe::Mask(needle[i]) != 0) continue;
    if (anchor == npos || kCommonness[static_cast<unsigned char>(needle[i])] <
                              kCommonness[static_cast<unsigned char>(needle[anchor])]) {
      anchor = i;
    }
  }
  return anchor;
}

// Knuth-Morris-Pratt over folded bytes: linear in the text whatever the needle, for the rare
// text that makes the pair scan compare too much.
template <typename Probe>
size_t FindLinear(std::string_view hay, std::string_view needle, size_t from) {
  const size_t m = needle.size();
  std::vector<size_t> border(m, 0);  // border[i]: longest proper border of needle[0..i]
  for (size_t i = 1, k = 0; i < m; ++i) {
    while (k > 0 && needle[i] != needle[k]) k = border[k - 1];
    if (needle[i] == needle[k]) ++k;
    border[i] = k;
  }
  for (size_t i = from, k = 0; i < hay.size(); ++i) {
    const char c = Probe::Fold(hay[i]);
    while (k > 0 && c != needle[k]) k = border[k - 1];
    if (c == needle[k] && ++k == m) return i + 1 - m;
  }
  return npos;
}

// True when the bytes compared in failed candidates outgrow the distance covered: the rest of
// the search goes to FindLinear.
bool OverBudget(size_t compared, size_t covered, size_t m) {
  return compared > 8 * covered + 256 + m;
}

// Compares the needle with the places pos + i for each bit i of bits, in order. True, with
// result set, when the search ends here: at a match, or with the linear search's answer once the
// failed comparisons outgrow the distance covered.
template <typename Probe, typename Bits = uint32_t>
bool Candidates(std::string_view hay, std::string_view needle, size_t pos, Bits bits, size_t from,
                size_t& compared, size_t& result) {
  for (; bits != 0; bits &= bits - 1) {
    const size_t at = pos + static_cast<size_t>(__builtin_ctzll(bits));
    if (Probe::EqualAt(hay.data() + at, needle)) {
      result = at;
      return true;
    }
    compared += needle.size();
    if (OverBudget(compared, at - from, needle.size())) {
      result = FindLinear<Probe>(hay, needle, at + 1);
      return true;
    }
  }
  return false;
}

// The places from pos on where the needle's first and last bytes both match, sixteen places at a
// time; each is then compared whole.
template <typename Probe>
size_t PairScan(std::string_view hay, std::string_view needle, size_t pos, size_t from,
                size_t compared) {
  const size_t m = needle.size();
  const char* const base = hay.data();
  const size_t last = hay.size() - m;  // the last place a match can start
#if defined(__SSE2__)
  const __m128i first = _mm_set1_epi8(needle[0]);
  const __m128i final = _mm_set1_epi8(needle[m - 1]);
  const __m128i first_mask = _mm_set1_epi8(static_cast<char>(Probe::Mask(needle[0])));
  const __m128i final_mask = _mm_set1_epi8(static_cast<char>(Probe::Mask(needle[m - 1])));
  // Sixteen starts from pos read up to byte pos + 15 + m - 1, which is inside the text while
  // pos + 15 <= last.
  while (pos <= last && last - pos >= 15) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos + m - 1));
    const __m128i hits = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, first_mask), first),
                                       _mm_cmpeq_epi8(_mm_or_si128(b, final_mask), final));
    size_t result = npos;
    const auto bits = static_cast<uint32_t>(_mm_movemask_epi8(hits));
    if (bits != 0 && Candidates<Probe>(hay, needle, pos, bits, from, compared, result)) {
      return result;
    }
    pos += 16;
  }
#endif
  const char first_byte = needle[0];
  const char final_byte = needle[m - 1];
  for (; pos <= last; ++pos) {
    if (Probe::Fold(base[pos]) != first_byte || Probe::Fold(base[pos + m - 1]) != final_byte) {
      continue;
    }
    if (Probe::EqualAt(base + pos, needle)) return pos;
    compared += m;
    if (OverBudget(compared, pos - from, m)) return FindLinear<Probe>(hay, needle, pos + 1);
  }
  return npos;
}

#if defined(__x86_64__) && defined(__GNUC__)
#define VELLUMO_PAIR_SCAN_AVX2 1
// The places p..p+31 where both bytes match, as a vector of 0xFF bytes.
__attribute__((target("avx2"), always_inline)) inline __m256i WideHits(const char* p, size_t m,
                                                                       __m256i first, __m256i final,
                                                                       __m256i first_mask,
                                                                       __m256i final_mask) {
  const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + m - 1));
  return _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_or_si256(a, first_mask), first),
                          _mm256_cmpeq_epi8(_mm256_or_si256(b, final_mask), final));
}

// The same scan on processors that have AVX2, thirty-two places at first and then sixty-four a
// turn; the rest of the text (fewer than thirty-two places) goes to PairScan.
template <typename Probe>
__attribute__((target("avx2"))) size_t PairScanWide(std::string_view hay, std::string_view needle,
                                                    size_t pos, size_t from, size_t compared) {
  const size_t m = needle.size();
  const char* const base = hay.data();
  const size_t last = hay.size() - m;
  const __m256i first = _mm256_set1_epi8(needle[0]);
  const __m256i final = _mm256_set1_epi8(needle[m - 1]);
  const __m256i first_mask = _mm256_set1_epi8(static_cast<char>(Probe::Mask(needle[0])));
  const __m256i final_mask = _mm256_set1_epi8(static_cast<char>(Probe::Mask(needle[m - 1])));
  auto hits = [&](size_t p) __attribute__((target("avx2"))) {
    return WideHits(base + p, m, first, final, first_mask, final_mask);
  };
  size_t result = npos;
  // The first thirty-two places alone: in a replace of a common tag the next match is near.
  if (pos <= last && last - pos >= 31) {
    const auto bits = static_cast<uint32_t>(_mm256_movemask_epi8(hits(pos)));
    if (bits != 0 && Candidates<Probe>(hay, needle, pos, bits, from, compared, result)) {
      return result;
    }
    pos += 32;
  }
  // Then sixty-four places a turn with one test for both halves: most turns find nothing.
  if (last >= 63) {
    const size_t last_pair = last - 63;  // the last p whose p+63 is a place
    while (pos <= last_pair) {
      const __m256i low = hits(pos);
      const __m256i high = hits(pos + 32);
      if (!_mm256_testz_si256(_mm256_or_si256(low, high), _mm256_or_si256(low, high))) {
        const uint64_t bits = static_cast<uint32_t>(_mm256_movemask_epi8(low)) |
                              uint64_t{static_cast<uint32_t>(_mm256_movemask_epi8(high))} << 32;
        if (Candidates<Probe>(hay, needle, pos, bits, from, compared, result)) return result;
      }
      pos += 64;
    }
  }
  while (pos <= last && last - pos >= 31) {
    const auto bits = static_cast<uint32_t>(_mm256_movemask_epi8(hits(pos)));
    if (bits != 0 && Candidates<Probe>(hay, needle, pos, bits, from, compared, result)) {
      return result;
    }
    pos += 32;
  }
  return PairScan<Probe>(hay, needle, pos, from, compared);
}

// The processor model is read here, not by the C runtime's own initialiser, whose order among
// the static initialisers of a module is not given.
const bool kHasAvx2 = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
}();
bool g_wide = kHasAvx2;
#endif

template <typename Probe>
size_t Scan(std::string_view hay, std::string_view needle, size_t pos, size_t from,
            size_t compared) {
#if defined(VELLUMO_PAIR_SCAN_AVX2)
  if (g_wide) return PairScanWide<Probe>(hay, needle, pos, from, compared);
#endif
  return PairScan<Probe>(hay, needle, pos, from, compared);
}

// One call's search from from, with the searcher's anchor (npos: none) and what earlier calls
// learnt: misses counts the failed memchr candidates so far, and once they reach
// kMissesBeforeScan every later call goes straight to the pair scan.
template <typename Probe>
size_t Find(std::string_view hay, std::string_view needle, size_t from, size_t anchor,
            int& misses) {
  const size_t m = needle.size();
  if (from > hay.size() || hay.size() - from < m) return npos;
  const char* const base = hay.data();
  const size_t last = hay.size() - m;
  size_t pos = from;
  size_t compared = 0;
  if (anchor != npos) {
    while (misses < kMissesBeforeScan || m == 1) {
      const void* hit = std::memchr(base + pos + anchor, needle[anchor], last - pos + 1);
      if (hit == nullptr) return npos;
      const size_t candidate = static_cast<size_t>(static_cast<const char*>(hit) - base) - anchor;
      if (Probe::EqualAt(base + candidate, needle)) return candidate;
      pos = candidate + 1;
      if (pos > last) return npos;
      compared += m;
      ++misses;
    }
  }
  return Scan<Probe>(hay, needle, pos, from, compared);
}

}  // namespace

ByteSearcher::ByteSearcher(std::string_view needle, Case letter_case)
    : needle_(needle),
      no_case_(letter_case == Case::kFoldAsciiLetters),
      anchor_(no_case_ ? AnchorOf<NoCase>(needle) : AnchorOf<Exact>(needle)) {}

size_t ByteSearcher::Find(std::string_view hay, size_t from) {
  return no_case_ ? internal::Find<NoCase>(hay, needle_, from, anchor_, misses_)
                  : internal::Find<Exact>(hay, needle_, from, anchor_, misses_);
}

bool UseWideScanForTesting(bool wide) {
#if defined(VELLUMO_PAIR_SCAN_AVX2)
  g_wide = wide && kHasAvx2;
  return g_wide == wide;
#else
  return !wide;
#endif
}

size_t FindLineEnd(std::string_view text, size_t from) {
  constexpr uint64_t kOnes = 0x0101010101010101ULL;
  constexpr uint64_t kHigh = 0x8080808080808080ULL;
  size_t pos = from;
  while (pos < text.size() && text.size() - pos >= 8) {
    uint64_t block;
    std::memcpy(&block, text.data() + pos, 8);
    // A byte of x is zero exactly when (x - 1) & ~x sets its top bit somewhere in the word.
    const uint64_t cr = block ^ (kOnes * '\r');
    const uint64_t lf = block ^ (kOnes * '\n');
    if ((((cr - kOnes) & ~cr) | ((lf - kOnes) & ~lf)) & kHigh) break;
    pos += 8;
  }
  for (; pos < text.size(); ++pos) {
    if (text[pos] == '\r' || text[pos] == '\n') return pos;
  }
  return npos;
}

bool LineEndsArePairs(std::string_view text) {
  const char* p = text.data();
  const size_t n = text.size();
  size_t pos = 0;
  uint32_t carry = 0;  // 1 when the byte before pos is a CR
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; n - pos >= 16; pos += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + pos));
    const auto crs = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, cr)));
    const auto lfs = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, lf)));
    // An LF exactly where the byte before is a CR.
    if ((((crs << 1) | carry) & 0xFFFFU) != lfs) return false;
    carry = crs >> 15;
  }
#endif
  for (; pos < n; ++pos) {
    if ((p[pos] == '\n') != (carry != 0)) return false;
    carry = p[pos] == '\r' ? 1 : 0;
  }
  return carry == 0;
}

size_t FindBytes(std::string_view hay, std::string_view needle, size_t from) {
  return ByteSearcher(needle).Find(hay, from);
}

size_t FindBytesNoCase(std::string_view hay, std::string_view lower_needle, size_t from) {
  return ByteSearcher(lower_needle, ByteSearcher::Case::kFoldAsciiLetters).Find(hay, from);
}

}  // namespace vellumo::text::internal
