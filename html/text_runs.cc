#include "html/text_runs.h"

#include <algorithm>
#include <cstdint>

namespace vellumo::html::internal {
namespace {

constexpr size_t npos = std::string_view::npos;

// Each mark is two characters of U+E000..U+EFFF, whose UTF-8 starts with this byte.
constexpr char kMarkLead = '\xEE';
constexpr size_t kMarkBytes = 6;
constexpr size_t kMaxRuns = size_t{4096} * 4096;
// Shorter runs save the parser less than a mark costs.
constexpr size_t kMinRun = 16;

// Start tags after which the tokenizer or the tree reads text by rules a mark may not follow.
constexpr std::string_view kLeftAlone[] = {"script",   "plaintext", "select", "frameset",
                                           "template", "noscript",  "svg",    "math"};
// Elements whose content is raw text in every place these documents can hold them.
constexpr std::string_view kRawText[] = {"style",  "title",   "textarea", "xmp",
                                         "iframe", "noembed", "noframes"};

// White space as the tokenizer reads it (CR is read as LF).
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAlnum(char c) { return IsAlpha(c) || (c >= '0' && c <= '9'); }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view lower) {
  if (a.size() != lower.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != lower[i]) return false;
  }
  return true;
}

bool IsOneOf(std::string_view name, std::span<const std::string_view> names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Bytes of the character at i when the parser puts it into text as it stands, else 0.
size_t PlainAt(std::string_view s, size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) {
    return (c >= 0x20 && c < 0x7F && c != '<' && c != '&') || c == '\t' || c == '\n' || c == '\f'
               ? 1
               : 0;
  }
  auto cont = [&](size_t k) {
    return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
  };
  auto low6 = [&](size_t k) { return static_cast<uint32_t>(s[i + k]) & 0x3F; };
  if (c >= 0xC2 && c <= 0xDF) {
    if (!cont(1)) return 0;
    const uint32_t cp = ((c & 0x1FU) << 6) | low6(1);
    return cp >= 0xA0 ? 2 : 0;  // not a C1 control
  }
  if (c >= 0xE0 && c <= 0xEF) {
    if (!cont(1) || !cont(2)) return 0;
    const uint32_t cp = ((c & 0x0FU) << 12) | (low6(1) << 6) | low6(2);
    const bool bad = cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF) ||
                     (cp >= 0xFDD0 && cp <= 0xFDEF) || cp == 0xFEFF || cp >= 0xFFFE;
    return bad ? 0 : 3;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    if (!cont(1) || !cont(2) || !cont(3)) return 0;
    const uint32_t cp = ((c & 0x07U) << 18) | (low6(1) << 12) | (low6(2) << 6) | low6(3);
    const bool bad = cp < 0x10000 || cp > 0x10FFFF || (cp & 0xFFFE) == 0xFFFE;
    return bad ? 0 : 4;
  }
  return 0;
}

class Marker {
 public:
  explicit Marker(std::string_view in) : in_(in) {}

  std::optional<MarkedText> Run() && {
    if (in_.find(kMarkLead) != npos) return std::nullopt;
    size_t i = 0;
    while (i < in_.size()) {
      if (in_[i] == '<') {
        i = Markup(i);
        if (left_alone_) return std::nullopt;
      } else if (in_[i] == '&') {
        i = AfterReference(i);
      } else {
        i = Text(i);
      }
    }
    if (out_.runs.empty()) return std::nullopt;
    out_.html.append(in_.substr(copied_));
    return std::move(out_);
  }

 private:
  // Plain text from i: marked when long enough. The position after it.
  size_t Text(size_t i) {
    size_t end = i;
    while (end < in_.size()) {
      const size_t len = PlainAt(in_, end);
      if (len == 0) break;
      end += len;
    }
    if (end == i) return i + 1;  // a byte the parser treats apart: it stays
    size_t from = i;
    while (from < end && IsSpace(in_[from])) ++from;
    if (end - from >= kMinRun && out_.runs.size() < kMaxRuns) {
      out_.html.append(in_.substr(copied_, from - copied_));
      AppendMark(out_.runs.size());
      out_.runs.push_back(in_.substr(from, end - from));
      copied_ = end;
    }
    return end;
  }

  void AppendMark(size_t number) {
    if (out_.html.capacity() == 0) out_.html.reserve(in_.size() / 4 + 64);
    for (const size_t part : {number >> 12, number & 0xFFF}) {
      const size_t cp = 0xE000 + part;
      out_.html += static_cast<char>(0xE0 | (cp >> 12));
      out_.html += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out_.html += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  // A character reference reads only letters, digits, "#" and one ";": the run starts after.
  size_t AfterReference(size_t i) const {
    size_t p = i + 1;
    while (p < in_.size() && (IsAlnum(in_[p]) || in_[p] == '#')) ++p;
    if (p < in_.size() && in_[p] == ';') ++p;
    return p;
  }

  // The markup opening with the "<" at i: the position after it (the end of the document when it
  // does not end, so the rest stays as it is).
  size_t Markup(size_t i) {
    const size_t n = in_.size();
    if (i + 1 >= n) return n;
    const char c = in_[i + 1];
    if (IsAlpha(c)) return Tag(i + 1, false);
    if (c == '/') {
      if (i + 2 >= n) return n;
      if (IsAlpha(in_[i + 2])) return Tag(i + 2, true);
      if (in_[i + 2] == '>') return i + 3;
      return ToGreaterThan(i + 2);  // a bogus comment
    }
    if (c == '!') {
      if (in_.substr(i + 2, 2) == "--") return Comment(i + 4);
      if (in_.substr(i + 2, 7) == "[CDATA[") {
        left_alone_ = true;
        return n;
      }
      return ToGreaterThan(i + 2);  // a doctype or a bogus comment: both end at the first ">"
    }
    if (c == '?') return ToGreaterThan(i + 2);
    return i + 1;  // a "<" that opens nothing is text
  }

  size_t ToGreaterThan(size_t p) const {
    const size_t g = in_.find('>', p);
    return g == npos ? in_.size() : g + 1;
  }

  // The comment whose content starts at p, with the comment states' rules for its end.
  size_t Comment(size_t p) const {
    enum { kStart, kStartDash, kBody, kEndDash, kEnd, kEndBang } state = kStart;
    for (; p < in_.size(); ++p) {
      const char c = in_[p];
      switch (state) {
        case kStart:
          if (c == '>') return p + 1;
          state = c == '-' ? kStartDash : kBody;
          break;
        case kStartDash:
          if (c == '>') return p + 1;
          state = c == '-' ? kEnd : kBody;
          break;
        case kBody:
          if (c == '-') state = kEndDash;
          break;
        case kEndDash:
          state = c == '-' ? kEnd : kBody;
          break;
        case kEnd:
          if (c == '>') return p + 1;
          if (c == '!')
            state = kEndBang;
          else if (c != '-')
            state = kBody;
          break;
        case kEndBang:
          if (c == '>') return p + 1;
          state = c == '-' ? kEndDash : kBody;
          break;
      }
    }
    return in_.size();
  }

  // The tag whose name starts at p, with the tag and attribute states' rules for its end.
  size_t Tag(size_t p, bool end_tag) {
    const size_t name_start = p;
    while (p < in_.size() && !IsSpace(in_[p]) && in_[p] != '/' && in_[p] != '>') ++p;
    std::string name(in_.substr(name_start, p - name_start));
    std::transform(name.begin(), name.end(), name.begin(), Lower);
    const size_t end = TagEnd(p);
    if (end == npos) return in_.size();  // a tag cut off by the end is dropped, and so is the rest
    if (end_tag) return end;
    if (IsOneOf(name, kLeftAlone)) {
      left_alone_ = true;
      return in_.size();
    }
    if (IsOneOf(name, kRawText)) return RawTextEnd(end, name);
    return end;
  }

  size_t TagEnd(size_t p) const {
    enum {
      kName,
      kBeforeAttribute,
      kAttribute,
      kAfterAttribute,
      kBeforeValue,
      kQuoted,
      kUnquoted,
      kAfterQuoted,
      kSelfClosing
    } state = kName;
    char quote = 0;
    while (p < in_.size()) {
      const char c = in_[p];
      switch (state) {
        case kName:
        case kAttribute:
        case kAfterQuoted:
          if (c == '>') return p + 1;
          if (IsSpace(c)) {
            // After a name, "=" may still come: "a = 'b'".
            state = state == kAttribute ? kAfterAttribute : kBeforeAttribute;
          } else if (c == '/') {
            state = kSelfClosing;
          } else if (state == kAttribute && c == '=') {
            state = kBeforeValue;
          } else if (state == kAfterQuoted) {
            state = kAttribute;  // an attribute right after a quoted value
          }
          break;
        case kBeforeAttribute:
        case kAfterAttribute:
          if (c == '>') return p + 1;
          if (c == '/') {
            state = kSelfClosing;
          } else if (state == kAfterAttribute && c == '=') {
            state = kBeforeValue;
          } else if (!IsSpace(c)) {
            state = kAttribute;  // "=" here opens an attribute named "="
          }
          break;
        case kBeforeValue:
          if (c == '>') return p + 1;
          if (c == '"' || c == '\'') {
            quote = c;
            state = kQuoted;
          } else if (!IsSpace(c)) {
            state = kUnquoted;
          }
          break;
        case kQuoted:
          if (c == quote) state = kAfterQuoted;
          break;
        case kUnquoted:
          if (c == '>') return p + 1;
          if (IsSpace(c)) state = kBeforeAttribute;
          break;
        case kSelfClosing:
          if (c == '>') return p + 1;
          state = kBeforeAttribute;
          continue;  // read again in the new state
      }
      ++p;
    }
    return npos;
  }

  // The content of a raw text element opened just before p ends at "</name" followed by white
  // space, "/" or ">", in any case; the end tag itself is read as a tag.
  size_t RawTextEnd(size_t p, std::string_view name) const {
    for (size_t q = in_.find("</", p); q != npos; q = in_.find("</", q + 2)) {
      const size_t after = q + 2 + name.size();
      if (after >= in_.size()) break;
      if (!EqualsNoCase(in_.substr(q + 2, name.size()), name)) continue;
      const char c = in_[after];
      if (IsSpace(c) || c == '/' || c == '>') return q;
    }
    return in_.size();  // raw text to the end
  }

  std::string_view in_;
  MarkedText out_;
  size_t copied_ = 0;
  bool left_alone_ = false;
};

}  // namespace

std::optional<MarkedText> MarkTextRuns(std::string_view html_in) { return Marker(html_in).Run(); }

bool HoldsMarks(std::string_view text) { return text.find(kMarkLead) != npos; }

void UnmarkInto(std::string_view text, std::span<const std::string_view> runs, std::string& out) {
  size_t done = 0;
  for (size_t p = text.find(kMarkLead); p != npos; p = text.find(kMarkLead, p)) {
    if (text.size() - p < kMarkBytes || text[p + 3] != kMarkLead) {
      ++p;
      continue;
    }
    auto part = [&](size_t at) {
      return ((static_cast<size_t>(text[at + 1]) & 0x3F) << 6) |
             (static_cast<size_t>(text[at + 2]) & 0x3F);
    };
    const size_t number = (part(p) << 12) | part(p + 3);
    if (number >= runs.size()) {
      ++p;
      continue;
    }
    out.append(text.substr(done, p - done)).append(runs[number]);
    p += kMarkBytes;
    done = p;
  }
  out.append(text.substr(done));
}

}  // namespace vellumo::html::internal
