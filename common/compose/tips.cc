#include "common/compose/tips.h"

#include <string>
#include <vector>

#include "base/text.h"

namespace vellumo::compose {
namespace {

// Val of any text, made a tip number. Huge or non-finite values must not overflow the
// conversion; anything past the file's end starts over at the first tip anyway.
int64_t TipNumber(std::string_view stored) {
  const double value = text::Val(stored);
  if (!(value >= static_cast<double>(kFirstTipNumber))) return kFirstTipNumber;
  constexpr double kBeyondAnyFile = 1e15;
  if (value > kBeyondAnyFile) return static_cast<int64_t>(kBeyondAnyFile);
  return static_cast<int64_t>(value);
}

}  // namespace

TipChoice PickTip(std::string_view tips_text, std::string_view last_tip_number) {
  const std::vector<std::string_view> lines = text::Lines(tips_text);
  const int64_t last_usable = static_cast<int64_t>(lines.size()) - 1;

  TipChoice choice;
  choice.number = TipNumber(last_tip_number);
  if (choice.number > last_usable) choice.number = kFirstTipNumber;
  choice.next_number = choice.number + 1;

  const std::string digits = text::Str(choice.number);
  for (std::string_view line : lines) {
    if (line.starts_with(digits)) {
      // Skip the digits and the one separator character after them.
      choice.text = text::Mid(line, text::Len(digits) + 2);
      break;
    }
  }
  return choice;
}

void NextTip(Settings& settings, FileSystem& fs, Log& log) {
  std::string path;
  std::string last;
  const bool read = Guard(log, kNextTipWhere, kNextTipLabel, [&] {
    path = settings.Get(keys::TipsFileLocation);
    last = settings.Get(keys::LastTipNumber);
  });
  if (!read) return;

  std::string tips;
  const std::string file_where = std::string(kNextTipWhere) + "- " + path;
  if (!Guard(log, file_where, kNextTipLabel,
             [&] { tips = text::DecodeFileText(fs.ReadFile(path)); })) {
    return;
  }

  const TipChoice choice = PickTip(tips, last);
  Guard(log, kNextTipWhere, kNextTipLabel, [&] {
    settings.Set(keys::LastTipNumber, text::Str(choice.next_number));
    settings.Set(keys::SendQuoteString, choice.text);
  });
}

}  // namespace vellumo::compose
