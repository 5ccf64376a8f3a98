// UTF-8 validation and the conversions from the encodings files and the mail client use.

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "base/text.h"
#include "base/utf8.h"

namespace vellumo::text {
namespace {

using internal::AppendUtf8;
using internal::DecodeAt;
using internal::kInvalidBase;

constexpr char32_t kReplacement = 0xFFFD;

// Windows-1252 0x80..0x9F. The five unassigned bytes keep their C1 control code points, as the
// system converter does, so no byte is lost.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

enum class ByteOrder { kLittle, kBig };

std::string Utf16ToUtf8(std::string_view bytes, ByteOrder order) {
  auto unit = [&](size_t i) -> char32_t {
    const auto lo = static_cast<unsigned char>(bytes[order == ByteOrder::kLittle ? i : i + 1]);
    const auto hi = static_cast<unsigned char>(bytes[order == ByteOrder::kLittle ? i + 1 : i]);
    return static_cast<char32_t>(lo | (hi << 8));
  };
  std::string out;
  out.reserve(bytes.size());
  size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const char32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : u);
  }
  if (i < bytes.size()) AppendUtf8(out, kReplacement);  // a dangling odd byte
  return out;
}

}  // namespace

bool IsValidUtf8(std::string_view s) {
  size_t pos = 0;
#if defined(__SSE2__)
  // Files and mail are mostly ASCII: sixty-four bytes at a time while no byte has its top bit.
  for (; s.size() - pos >= 64; pos += 64) {
    const auto* p = reinterpret_cast<const __m128i*>(s.data() + pos);
    const __m128i any = _mm_or_si128(_mm_or_si128(_mm_loadu_si128(p), _mm_loadu_si128(p + 1)),
                                     _mm_or_si128(_mm_loadu_si128(p + 2), _mm_loadu_si128(p + 3)));
    if (_mm_movemask_epi8(any) != 0) break;
  }
#endif
  while (pos < s.size()) {
    // Runs of ASCII, the most of any mail, eight bytes at a time.
    if (s.size() - pos >= 8) {
      uint64_t block;
      std::memcpy(&block, s.data() + pos, 8);
      if ((block & 0x8080808080808080ULL) == 0) {
        pos += 8;
        continue;
      }
    }
    if (static_cast<unsigned char>(s[pos]) < 0x80) {
      ++pos;
      continue;
    }
    const internal::Decoded d = DecodeAt(s, pos);
    if (d.cp >= kInvalidBase) return false;
    pos += d.len;
  }
  return true;
}

std::string Windows1252ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() + s.size() / 8);
  for (const char c : s) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out.push_back(c);
    } else {
      AppendUtf8(out, b < 0xA0 ? kCp1252High[b - 0x80] : b);
    }
  }
  return out;
}

std::string Utf16LeToUtf8(std::string_view bytes) { return Utf16ToUtf8(bytes, ByteOrder::kLittle); }

std::string Utf8ToUtf16Le(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 2);
  auto put = [&out](char32_t u) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
  };
  for (size_t pos = 0; pos < s.size();) {
    const internal::Decoded d = DecodeAt(s, pos);
    pos += d.len;
    if (d.cp >= kInvalidBase) {
      put(kReplacement);
    } else if (d.cp >= 0x10000) {
      put(0xD800 + ((d.cp - 0x10000) >> 10));
      put(0xDC00 + ((d.cp - 0x10000) & 0x3FF));
    } else {
      put(d.cp);
    }
  }
  return out;
}

std::string DecodeFileText(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return Utf16ToUtf8(bytes.substr(2), ByteOrder::kLittle);
  if (bytes.starts_with("\xFE\xFF")) return Utf16ToUtf8(bytes.substr(2), ByteOrder::kBig);
  // The BOM goes either way: a file that declares UTF-8 but holds stray bytes is still read
  // whole, and the BOM must not turn into three characters of text.
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return Windows1252ToUtf8(bytes);
}

std::string TakeFileText(std::string bytes) {
  const std::string_view view(bytes);
  const size_t bom = view.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  if (view.starts_with("\xFF\xFE") || view.starts_with("\xFE\xFF") ||
      !IsValidUtf8(view.substr(bom))) {
    return DecodeFileText(view);
  }
  bytes.erase(0, bom);
  return bytes;
}

}  // namespace vellumo::text
