#include "common/compose/body_text.h"

#include <cmath>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "common/compose/neutralise.h"

namespace vellumo::compose {
namespace {

bool IsBlank(std::string_view s) { return text::Trim(s).empty(); }

// A number handed to a classic string function: rounded half to even into a Long.
int64_t ToLong(double value) {
  constexpr double kMin = -2147483648.0;
  constexpr double kMax = 2147483647.0;
  const double rounded = std::nearbyint(value);
  if (!std::isfinite(rounded) || rounded < kMin || rounded > kMax) {
    throw Error(ErrorCode::kOverflow, "reply cut");
  }
  return static_cast<int64_t>(rounded);
}

}  // namespace

std::string PlainTextToDivLines(std::string_view text) {
  std::string linked = text::InStr(text, "www.") > 0 ? MakeWwwLinks(text) : std::string(text);
  std::string lines;
  lines.reserve(linked.size() + linked.size() / 4 + 32);
  for (const std::string& line : text::Split(linked, text::kCrLf)) {
    lines.append("<div><span>").append(line).append("</span></div>");
    if (IsBlank(line)) lines.append("&nbsp");
  }
  std::string html;
  html.reserve(lines.size() + 32);
  for (const std::string& piece : text::Split(lines, text::kTab)) {
    html.append(piece).append("&nbsp;&nbsp;&nbsp;");
    if (IsBlank(piece)) html.append("&nbsp");
  }
  return html;
}

ReplyParts CutReply(std::string_view text, int64_t position, std::string_view cut_before,
                    std::string_view skip_after) {
  const int64_t length = ToLong(static_cast<double>(position) - text::Val(cut_before));
  const int64_t start = ToLong(static_cast<double>(position) + text::Val(skip_after));
  if (length <= 0) throw Error(ErrorCode::kInvalidCall, "reply cut length");
  if (start < 1) throw Error(ErrorCode::kInvalidCall, "reply history start");
  return {text::Left(text, length), text::Mid(text, start)};
}

std::string ReadFileLines(FileSystem& fs, std::string_view path, std::string_view line_end) {
  std::string decoded = text::TakeFileText(fs.ReadFile(path));
  // A file written with these line ends already is its own result: no second copy.
  if (text::LinesEndWith(decoded, line_end)) return decoded;
  std::string joined;
  joined.reserve(decoded.size() + decoded.size() / 16 + 2);
  for (std::string_view line : text::Lines(decoded)) joined.append(line).append(line_end);
  return joined;
}

}  // namespace vellumo::compose
