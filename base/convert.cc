// The classic number conversions: Val, CBool, CInt, CLng, Str and grouped formatting.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "base/error.h"
#include "base/text.h"

namespace vellumo::text {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return v < base ? v : -1;
}

// A &H / &O literal has the smallest of the 16- and 32-bit types that holds its digits, read as
// two's complement: "&HFFFF" is -1, "&H10000" is 65536. Wider values stay as they are.
double RadixValue(double magnitude) {
  if (magnitude <= 0xFFFF) return static_cast<int16_t>(static_cast<uint16_t>(magnitude));
  if (magnitude <= 0xFFFFFFFFu) return static_cast<int32_t>(static_cast<uint32_t>(magnitude));
  return magnitude;
}

// Whether a decimal literal (as built below) too large or too small for a double is too large:
// the decimal exponent of its leading digit decides.
bool TooLarge(const std::string& literal) {
  const size_t e_at = literal.find('e');
  const std::string_view mantissa = std::string_view(literal).substr(0, e_at);
  long long exponent = 0;
  if (e_at != std::string::npos) {
    const char* first = literal.data() + e_at + 1;
    if (*first == '+') ++first;
    if (std::from_chars(first, literal.data() + literal.size(), exponent).ec != std::errc()) {
      return literal[e_at + 1] != '-';  // an exponent beyond 64 bits decides alone
    }
  }
  const size_t lead = mantissa.find_first_of("123456789");
  if (lead == std::string_view::npos) return false;
  const size_t point = std::min(mantissa.find('.'), mantissa.size());
  const long long lead_exponent = lead < point ? static_cast<long long>(point - lead - 1)
                                               : -static_cast<long long>(lead - point);
  return lead_exponent + exponent > 0;
}

// Val reads a leading number and ignores what follows; the coercions read the whole text and
// also accept digit-grouping commas.
enum class Mode { kLeading, kWhole };

// Reads a number from the characters next() hands out (0 at the end). Leading text that is no
// number gives no digits. complete tells whether every character was part of the number.
struct Scan {
  double value = 0;
  bool has_digits = false;
  bool complete = false;
};

template <typename Next, typename Peek>
Scan ScanNumber(Next next, Peek peek, Mode mode) {
  const bool whole = mode == Mode::kWhole;
  Scan scan;
  std::string literal;  // sign, digits, point and exponent, for from_chars
  if (peek() == '+' || peek() == '-') literal.push_back(next());
  if (peek() == '&') {
    if (!literal.empty()) return scan;  // a radix literal carries no sign
    next();
    const char kind = next();
    const int base = (kind == 'h' || kind == 'H') ? 16 : (kind == 'o' || kind == 'O') ? 8 : 0;
    if (base == 0) return scan;
    double magnitude = 0;
    for (int d; (d = DigitValue(peek(), base)) >= 0; next()) {
      magnitude = magnitude * base + d;
      scan.has_digits = true;
    }
    scan.value = RadixValue(magnitude);
    scan.complete = scan.has_digits && peek() == 0;
    return scan;
  }
  if (!literal.empty() && literal[0] == '+') literal.clear();
  while (IsDigit(peek()) || (whole && peek() == ',' && scan.has_digits)) {
    const char c = next();
    if (c != ',') {
      literal.push_back(c);
      scan.has_digits = true;
    }
  }
  if (peek() == '.') {
    literal.push_back(next());
    while (IsDigit(peek())) {
      literal.push_back(next());
      scan.has_digits = true;
    }
  }
  if (!scan.has_digits) return scan;
  const char e = peek();
  if (e == 'e' || e == 'E' || e == 'd' || e == 'D') {
    next();
    std::string exponent = "e";
    if (peek() == '+' || peek() == '-') exponent.push_back(next());
    bool exponent_digits = false;
    while (IsDigit(peek())) {
      exponent.push_back(next());
      exponent_digits = true;
    }
    if (exponent_digits) {
      literal += exponent;
    } else if (whole) {
      return scan;  // a whole-text number must not end in a bare exponent mark
    }
  }
  scan.complete = peek() == 0;
  const char* first = literal.data();
  if (std::from_chars(first, first + literal.size(), scan.value).ec ==
      std::errc::result_out_of_range) {
    // from_chars leaves the value alone here; overflow gives infinity, underflow zero.
    const double magnitude = TooLarge(literal) ? std::numeric_limits<double>::infinity() : 0.0;
    scan.value = literal[0] == '-' ? -magnitude : magnitude;
  }
  return scan;
}

// The whole text as a number (spaces and tabs around it allowed), as the classic coercions read
// it; nullopt when it is no number.
std::optional<double> ParseWholeNumber(std::string_view s) {
  const size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::nullopt;
  s = s.substr(first, s.find_last_not_of(" \t") - first + 1);
  size_t pos = 0;
  auto peek = [&] { return pos < s.size() ? s[pos] : '\0'; };
  auto next = [&] { return pos < s.size() ? s[pos++] : '\0'; };
  const Scan scan = ScanNumber(next, peek, Mode::kWhole);
  // A NUL byte inside the text reads as its end; reject it explicitly.
  if (!scan.has_digits || !scan.complete || pos != s.size()) return std::nullopt;
  return scan.value;
}

double RoundHalfEven(double x) {
  const double floor = std::floor(x);
  const double diff = x - floor;
  if (diff > 0.5) return floor + 1;
  if (diff < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

template <typename Int>
Int ToInteger(std::string_view s, const char* what) {
  const std::optional<double> value = ParseWholeNumber(s);
  if (!value)
    throw Error(ErrorCode::kTypeMismatch, std::string(what) + ": \"" + std::string(s) + "\"");
  const double rounded = RoundHalfEven(*value);
  if (!(rounded >= std::numeric_limits<Int>::min() && rounded <= std::numeric_limits<Int>::max())) {
    throw Error(ErrorCode::kOverflow, std::string(what) + ": \"" + std::string(s) + "\"");
  }
  return static_cast<Int>(rounded);
}

bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if ((a[i] | 0x20) != (b[i] | 0x20)) return false;
  }
  return true;
}

}  // namespace

double Val(std::string_view s) {
  size_t pos = 0;
  auto skip = [&] {
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t' || s[pos] == '\n')) ++pos;
  };
  auto peek = [&] {
    skip();
    return pos < s.size() ? s[pos] : '\0';
  };
  auto next = [&] {
    skip();
    return pos < s.size() ? s[pos++] : '\0';
  };
  const Scan scan = ScanNumber(next, peek, Mode::kLeading);
  return scan.has_digits && scan.value != 0 ? scan.value : 0.0;
}

bool CBool(std::string_view s) {
  const size_t first = s.find_first_not_of(" \t");
  if (first != std::string_view::npos) {
    const std::string_view word = s.substr(first, s.find_last_not_of(" \t") - first + 1);
    if (EqualsAsciiNoCase(word, "true")) return true;
    if (EqualsAsciiNoCase(word, "false")) return false;
  }
  const std::optional<double> value = ParseWholeNumber(s);
  if (!value) throw Error(ErrorCode::kTypeMismatch, "CBool: \"" + std::string(s) + "\"");
  return *value != 0;
}

int16_t CInt(std::string_view s) { return ToInteger<int16_t>(s, "CInt"); }

int32_t CLng(std::string_view s) { return ToInteger<int32_t>(s, "CLng"); }

std::string Str(int64_t n) { return std::to_string(n); }

std::string FormatGrouped(int64_t n) {
  if (n == 0) return std::string();
  // Work on the magnitude as unsigned so the most negative value has one too.
  uint64_t magnitude = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
  const std::string digits = std::to_string(magnitude);
  std::string out = n < 0 ? "-" : "";
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
    out.push_back(digits[i]);
  }
  return out;
}

}  // namespace vellumo::text
