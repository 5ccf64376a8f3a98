// Tips: the rotating quote. Each send (when User Settings "SendQuote" is "True") takes the next
// line of a numbered tips file and stores it for the "[#SigQuote#]" placeholder.
//
// Tips file: one tip per line, each line its number, one separator character, then the text.
// Numbers start at kFirstTipNumber; the highest number used is the file's line count minus one,
// so files keep header lines above the tips (the sample in resources/tips.txt shows the layout).
// A line ends at CR LF, CR or LF; the text may be UTF-8, UTF-16 or Windows-1252.
//
// Settings (application "Vellumo"): Admin Settings "TipsFileLocation" (the file), System Settings
// "LastTipNumber" (default "1", the number of the next tip) and User Settings "SendQuoteString"
// (the tip last chosen).
//
// Thread safety: PickTip is pure; NextTip is as safe as the objects passed in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/diagnostics/log.h"
#include "common/settings/keys.h"
#include "common/settings/settings.h"
#include "platform/file_system.h"

namespace vellumo::compose {

inline constexpr int64_t kFirstTipNumber = 15;
inline constexpr std::string_view kDefaultTipsFile = keys::TipsFileLocation.default_value;

// Where-text and label of the failures NextTip logs. A failure to read the tips file is logged
// with kNextTipWhere, "- " and the file's path as its where-text, so the log names the file.
inline constexpr std::string_view kNextTipWhere = "NextTip";
inline constexpr std::string_view kNextTipLabel = "NextTip_Err";

struct TipChoice {
  int64_t number = 0;       // the number looked for
  std::string text;         // the tip; "" when no line carries the number
  int64_t next_number = 0;  // what "LastTipNumber" becomes
  bool operator==(const TipChoice&) const = default;
};

// The choice for a tips file's text and the stored "LastTipNumber":
//  1. n = the whole-number part of Val(last_tip_number) (so "abc" is 0 and "17.9" is 17); below
//     kFirstTipNumber, kFirstTipNumber.
//  2. L = the number of lines of tips_text, minus one.
//  3. When n > L, start over: n = kFirstTipNumber.
//  4. The tip is the first line, from the top, that begins with the decimal digits of n, from
//     the second character after those digits on (the text after the separator); "" when no
//     line begins with them. The next number is n + 1 either way.
// When the file is shorter than its first number, every call gives the tip numbered
// kFirstTipNumber.
[[nodiscard]] TipChoice PickTip(std::string_view tips_text, std::string_view last_tip_number);

// The quote rotation: reads "LastTipNumber" and the tips file, picks (PickTip), then stores the
// next number in "LastTipNumber" and the tip in "SendQuoteString". Failures are logged through
// Write_to_error_file. One while reading (the settings, a missing or unreadable tips file) stores
// nothing, so the last quote stays in use and the rotation resumes where it was. Never throws.
void NextTip(Settings& settings, FileSystem& fs, Log& log);

}  // namespace vellumo::compose
