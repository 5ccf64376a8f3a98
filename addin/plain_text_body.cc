#include "addin/plain_text_body.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "base/text.h"

namespace vellumo::addin {
namespace {

// Val of a setting as a character offset; huge or odd values cannot overflow what follows.
int64_t Offset(std::string_view value) {
  constexpr double kLimit = 1e15;
  const double v = text::Val(value);
  if (!(v > -kLimit)) return static_cast<int64_t>(-kLimit);
  if (!(v < kLimit)) return static_cast<int64_t>(kLimit);
  return static_cast<int64_t>(std::trunc(v));
}

void AppendTail(std::string& out, const PlainTextMessage& message) {
  out += "<p>";
  out += message.compact_signature;
  if (!message.disclaimer.empty()) {
    out += "<p>";
    out += message.disclaimer;
  }
}

}  // namespace

std::string EscapePlainTextWithBreaks(std::string_view text) {
  const std::string escaped = text::EscapeHtml(text);
  std::string out;
  out.reserve(escaped.size() + escaped.size() / 8);
  for (size_t i = 0; i < escaped.size(); ++i) {
    const char c = escaped[i];
    if (c == '\r' || c == '\n') {
      // CR LF, CR and LF are each one line end.
      if (c == '\r' && i + 1 < escaped.size() && escaped[i + 1] == '\n') ++i;
      out += "<br>";
    } else {
      out += c;
    }
  }
  return out;
}

std::string PlainTextHtml(const PlainTextMessage& message) {
  std::string out(kPlainFontOpen);
  const int64_t p = message.is_reply && !message.reply_separator.empty()
                        ? text::InStr(message.body, message.reply_separator)
                        : 0;
  if (p == 0) {
    out += EscapePlainTextWithBreaks(message.body);
    AppendTail(out, message);
  } else {
    const int64_t length = text::Len(message.body);
    const int64_t head_length = std::clamp<int64_t>(p - Offset(message.cut_before), 0, length);
    const int64_t tail_start = std::clamp<int64_t>(p + Offset(message.skip_after), 1, length + 1);
    out += EscapePlainTextWithBreaks(text::Left(message.body, head_length));
    AppendTail(out, message);
    out += "<P>";
    out += EscapePlainTextWithBreaks(text::Mid(message.body, tail_start));
  }
  out += kPlainFontClose;
  return out;
}

}  // namespace vellumo::addin
