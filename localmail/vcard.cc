#include "localmail/vcard.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "localmail/gmime_util.h"

namespace vellumo::localmail {
namespace {

enum class Encoding { kNone, kQuotedPrintable, kBase64 };

struct Line {
  std::string_view text;
  int number = 0;
};

// A property as read, before the card's VERSION (which may come last) is known.
struct RawProperty {
  VcardProperty property;     // params normalised, not yet caret-decoded; value undecoded
  std::vector<size_t> joins;  // offsets in value where a continuation line was appended
  Encoding encoding = Encoding::kNone;
};

bool IsBlank(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t'; });
}

bool IsFoldStart(std::string_view s) { return !s.empty() && (s[0] == ' ' || s[0] == '\t'); }

bool IsNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_';
}

bool IsName(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), IsNameChar);
}

// Outside a card: stray control characters (a DOS end-of-file mark, NULs) are not text.
bool IsJunk(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == ' ';
  });
}

// Some exporters write a bare standard name ("FN") for an empty field; any other line without a
// ':' is not a property.
bool MayStandAlone(std::string_view name) {
  static constexpr std::string_view kNames[] = {
      "ADR",    "AGENT", "ANNIVERSARY", "BDAY",    "CALADRURI", "CALURI", "CATEGORIES",  "CLASS",
      "EMAIL",  "FBURL", "FN",          "GENDER",  "GEO",       "IMPP",   "KEY",         "KIND",
      "LABEL",  "LANG",  "LOGO",        "MAILER",  "MEMBER",    "N",      "NICKNAME",    "NOTE",
      "ORG",    "PHOTO", "PRODID",      "RELATED", "REV",       "ROLE",   "SORT-STRING", "SOUND",
      "SOURCE", "TEL",   "TITLE",       "TZ",      "UID",       "URL"};
  const std::string upper = text::UCase(name);
  if (upper.starts_with("X-")) return true;
  return std::find(std::begin(kNames), std::end(kNames), upper) != std::end(kNames);
}

bool IsEndLine(std::string_view s) { return text::EqualsText(text::Trim(s), "END:VCARD"); }

bool IsBase64Line(std::string_view s) {
  return !IsBlank(s) && std::all_of(s.begin(), s.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '+' || c == '/' || c == '=' ||
           c == ' ' || c == '\t';
  });
}

std::optional<Encoding> RecognisedEncoding(std::string_view value) {
  const std::string v = text::UCase(text::Trim(value));
  if (v == "QUOTED-PRINTABLE") return Encoding::kQuotedPrintable;
  if (v == "BASE64" || v == "B") return Encoding::kBase64;
  if (v == "8BIT" || v == "7BIT") return Encoding::kNone;
  return std::nullopt;
}

// UTF-16 files (with or without a byte-order mark) and a UTF-8 BOM; anything else is left as
// bytes, each value being converted on its own later.
std::string DecodeFileBytes(std::string_view bytes) {
  auto from_be = [](std::string_view be) {
    std::string le(be.substr(0, be.size() & ~size_t{1}));
    for (size_t i = 0; i + 1 < le.size(); i += 2) std::swap(le[i], le[i + 1]);
    return text::Utf16LeToUtf8(le);
  };
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return std::string(bytes.substr(3));
  if (bytes.substr(0, 2) == "\xFF\xFE") return text::Utf16LeToUtf8(bytes.substr(2));
  if (bytes.substr(0, 2) == "\xFE\xFF") return from_be(bytes.substr(2));
  if (bytes.size() >= 2 && bytes[0] == '\0' && bytes[1] != '\0') return from_be(bytes);
  if (bytes.size() >= 2 && bytes[0] != '\0' && bytes[1] == '\0') {
    return text::Utf16LeToUtf8(bytes);
  }
  return std::string(bytes);
}

// A line ends at CR CR LF (iOS), CR LF, LF or CR.
std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back({text.substr(start, i - start), static_cast<int>(lines.size()) + 1});
    if (text.compare(i, 3, "\r\r\n") == 0) {
      i += 2;
    } else if (text.compare(i, 2, "\r\n") == 0) {
      i += 1;
    }
    start = i + 1;
  }
  if (start < text.size()) {
    lines.push_back({text.substr(start), static_cast<int>(lines.size()) + 1});
  }
  return lines;
}

// Parameter values of 3.0 and 4.0: ^n is a line break, ^' a double quote, ^^ a caret.
std::string CaretDecode(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    const char next = i + 1 < s.size() ? s[i + 1] : '\0';
    if (s[i] == '^' && (next == 'n' || next == 'N' || next == '\'' || next == '^')) {
      out += next == '\'' ? '"' : next == '^' ? '^' : '\n';
      ++i;
    } else {
      out += s[i];
    }
  }
  return out;
}

// An '=' just before a continuation line (or at the very end) is a soft line break.
std::string DecodeQuotedPrintable(std::string_view value, const std::vector<size_t>& joins) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '=') {
      out += value[i];
      continue;
    }
    if (i + 1 == value.size() || std::binary_search(joins.begin(), joins.end(), i + 1)) {
      continue;
    }
    const int high = i + 2 < value.size() ? g_ascii_xdigit_value(value[i + 1]) : -1;
    const int low = high >= 0 ? g_ascii_xdigit_value(value[i + 2]) : -1;
    if (low < 0) {
      out += '=';  // not an escape: kept as written
      continue;
    }
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

// A 2.1 value in 3.0 form. 2.1 escapes little (writers add "\;" and "\,"); its other backslashes
// are plain characters, and its ';' and ',' are text except where the property gives them a
// meaning: components (N, ADR, ORG, GEO), lists (CATEGORIES, NICKNAME) and addresses (URIs).
std::string From21(std::string_view name, std::string_view s) {
  static constexpr std::string_view kUris[] = {"URL",    "FBURL", "CALURI", "CALADRURI",
                                               "SOURCE", "IMPP",  "MEMBER", "GEO"};
  static constexpr std::string_view kComponents[] = {"N", "ADR", "ORG", "GENDER"};
  static constexpr std::string_view kLists[] = {"CATEGORIES", "NICKNAME"};
  const std::string upper = text::UCase(name);
  auto in = [&](const auto& table) {
    return std::find(std::begin(table), std::end(table), upper) != std::end(table);
  };
  const bool escape_semicolon = !in(kUris) && !in(kComponents);
  const bool escape_comma = !in(kUris) && !in(kLists);
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    const char next = i + 1 < s.size() ? s[i + 1] : '\0';
    if (c == '\\' && (next == '\\' || next == ';' || next == ',' || next == 'n' || next == 'N')) {
      out += s.substr(i++, 2);
    } else {
      if (c == '\\' || (c == ';' && escape_semicolon) || (c == ',' && escape_comma)) out += '\\';
      out += c;
    }
  }
  return out;
}

// Line breaks become \n; so do the characters listed in specials, each after a backslash.
std::string Escape(std::string_view s, std::string_view specials) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\r' || c == '\n') {
      out += "\\n";
      if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else {
      if (specials.find(c) != std::string_view::npos) out += '\\';
      out += c;
    }
  }
  return out;
}

class Reader {
 public:
  Reader(std::string_view name, std::string_view bytes)
      : name_(name), text_(DecodeFileBytes(bytes)), lines_(SplitLines(text_)) {}

  std::vector<VcardCard> Read() {
    std::vector<VcardCard> cards;
    int card_line = 0;  // the line where the open card began; 0: no card is open
    std::vector<RawProperty> properties;
    while (next_ < lines_.size()) {
      const Line& line = lines_[next_];
      if (IsBlank(line.text) || (!card_line && IsJunk(line.text))) {
        ++next_;
        continue;
      }
      if (IsFoldStart(line.text)) Fail(line.number, "continuation line without a property");
      RawProperty raw = ReadProperty();
      const VcardProperty& p = raw.property;
      const bool is_vcard = text::EqualsText(text::Trim(p.value), "VCARD");
      const bool is_begin = is_vcard && text::EqualsText(p.name, "BEGIN");
      const bool is_end = is_vcard && text::EqualsText(p.name, "END");
      if (!card_line) {
        if (!is_begin) Fail(line.number, "expected BEGIN:VCARD");
        card_line = line.number;
      } else if (is_begin) {
        Fail(line.number, "BEGIN:VCARD inside a card; the card at line " +
                              std::to_string(card_line) + " has no END:VCARD");
      } else if (is_end) {
        cards.push_back(Finish(properties));
        properties.clear();
        card_line = 0;
      } else {
        properties.push_back(std::move(raw));
      }
    }
    if (card_line) Fail(card_line, "card has no END:VCARD");
    if (cards.empty()) Fail(1, "no BEGIN:VCARD");
    return cards;
  }

 private:
  [[noreturn]] void Fail(int line, const std::string& what) const {
    throw Error(std::string(name_) + ":" + std::to_string(line) + ": " + what);
  }

  // One property: its line, the folded lines after it, and the continuation lines that
  // quoted-printable soft breaks and 2.1 base64 blocks pull in.
  RawProperty ReadProperty() {
    const int number = lines_[next_].number;
    std::string logical(lines_[next_].text);
    std::vector<size_t> joins;
    ++next_;
    while (next_ < lines_.size() && IsFoldStart(lines_[next_].text)) {
      joins.push_back(logical.size());
      logical += lines_[next_].text.substr(1);
      ++next_;
    }
    size_t value_start = 0;
    RawProperty raw = ParseLine(logical, number, value_start);
    for (size_t join : joins) {
      if (join >= value_start) raw.joins.push_back(join - value_start);
    }
    std::string& value = raw.property.value;
    if (raw.encoding == Encoding::kQuotedPrintable) {
      while (!value.empty() && value.back() == '=' && next_ < lines_.size() &&
             !IsEndLine(lines_[next_].text)) {
        const std::string_view continuation = lines_[next_].text;
        raw.joins.push_back(value.size());
        value += continuation;
        ++next_;
        if (continuation.empty()) break;  // a soft break before a blank line ends the value
        while (next_ < lines_.size() && IsFoldStart(lines_[next_].text)) {
          raw.joins.push_back(value.size());
          value += lines_[next_++].text.substr(1);
        }
      }
    } else if (raw.encoding == Encoding::kBase64) {
      // 2.1 lets base64 run on unindented lines up to a blank line; without that blank line
      // the lines are properties after all.
      size_t end = next_;
      while (end < lines_.size() && IsBase64Line(lines_[end].text)) ++end;
      if (end == lines_.size() || IsBlank(lines_[end].text)) {
        for (; next_ < end; ++next_) value += lines_[next_].text;
      }
    }
    return raw;
  }

  RawProperty ParseLine(std::string_view line, int number, size_t& value_start) const {
    RawProperty raw;
    VcardProperty& p = raw.property;
    const size_t pos_found = line.find_first_of(";:");
    size_t pos = pos_found == std::string_view::npos ? line.size() : pos_found;
    const std::string_view full_name = line.substr(0, pos);
    const size_t dot = full_name.rfind('.');
    p.name = std::string(dot == std::string_view::npos ? full_name : full_name.substr(dot + 1));
    if (dot != std::string_view::npos) p.group = std::string(full_name.substr(0, dot));
    const bool group_ok = std::all_of(p.group.begin(), p.group.end(),
                                      [](char c) { return IsNameChar(c) || c == '.'; });
    if (!IsName(p.name) || !group_ok || (dot != std::string_view::npos && p.group.empty())) {
      if (line.find(':') == std::string_view::npos) Fail(number, "not a property line (no ':')");
      Fail(number, "bad property name '" + std::string(full_name.substr(0, 40)) + "'");
    }
    while (pos < line.size() && line[pos] == ';') {
      pos = ParseParam(line, pos + 1, number, raw);
    }
    if (pos >= line.size() && (!p.params.empty() || !MayStandAlone(p.name))) {
      Fail(number, "not a property line (no ':')");
    }
    value_start = std::min(pos + 1, line.size());
    p.value = std::string(line.substr(value_start));
    return raw;
  }

  // Reads one parameter starting at pos (after its ';'); returns the position after it.
  size_t ParseParam(std::string_view line, size_t pos, int number, RawProperty& raw) const {
    size_t end = line.find_first_of("=;:", pos);
    if (end == std::string_view::npos) end = line.size();
    const std::string name = text::UCase(text::Trim(line.substr(pos, end - pos)));
    if (name.empty() && (end == line.size() || line[end] != '=')) return end;  // ";;" or ";:"
    if (!IsName(name)) Fail(number, "bad parameter name '" + name.substr(0, 40) + "'");
    VcardParam param;
    if (end < line.size() && line[end] == '=') {
      do {
        ++end;  // past '=' or ','
        std::string value;
        if (end < line.size() && line[end] == '"') {
          const size_t close = line.find('"', end + 1);
          if (close == std::string_view::npos) {
            Fail(number, "unterminated quoted value of parameter " + name);
          }
          value = std::string(line.substr(end + 1, close - end - 1));
          end = close + 1;
        }
        const size_t stop = std::min(line.find_first_of(",;:", end), line.size());
        value += line.substr(end, stop - end);
        end = stop;
        param.values.push_back(std::move(value));
      } while (end < line.size() && line[end] == ',');
      param.name = name;
    } else {
      // 2.1 bare parameter: an encoding, or else a type.
      const bool is_encoding = RecognisedEncoding(name).has_value();
      param.name = is_encoding ? "ENCODING" : "TYPE";
      param.values.push_back(name);
    }
    if (param.name == "ENCODING" && raw.encoding == Encoding::kNone) {
      raw.encoding = RecognisedEncoding(param.values.front()).value_or(Encoding::kNone);
    }
    raw.property.params.push_back(std::move(param));
    return end;
  }

  // Brings a card's properties into the normalised model once its VERSION is known.
  static VcardCard Finish(std::vector<RawProperty>& raws) {
    std::string version;
    for (const RawProperty& raw : raws) {
      if (text::EqualsText(raw.property.name, "VERSION")) {
        version = text::Trim(raw.property.value);
        break;
      }
    }
    VcardCard card(version);
    const bool is_21 = version == "2.1";
    for (RawProperty& raw : raws) {
      VcardProperty& p = raw.property;
      if (text::EqualsText(p.name, "VERSION")) continue;
      std::string charset;
      std::vector<VcardParam> params;
      std::optional<size_t> encoding_at;
      for (VcardParam& param : p.params) {
        for (std::string& v : param.values) v = ToUtf8(is_21 ? v : CaretDecode(v), "");
        if (param.name == "CHARSET") {
          if (charset.empty()) charset = param.values.front();
          continue;
        }
        if (param.name == "ENCODING" && RecognisedEncoding(param.values.front())) {
          if (!encoding_at) encoding_at = params.size();
          continue;
        }
        params.push_back(std::move(param));
      }
      if (raw.encoding == Encoding::kBase64) {
        params.insert(
            params.begin() + static_cast<std::ptrdiff_t>(encoding_at.value_or(params.size())),
            VcardParam{"ENCODING", {"b"}});
        std::string compact;
        for (char c : p.value) {
          if (c != ' ' && c != '\t') compact += c;
        }
        p.value = ToUtf8(compact, "");
      } else {
        const std::string bytes = raw.encoding == Encoding::kQuotedPrintable
                                      ? DecodeQuotedPrintable(p.value, raw.joins)
                                      : p.value;
        std::string value = ToUtf8(bytes, charset);
        if (is_21) value = From21(p.name, value);
        p.value = Escape(value, "");  // raw line breaks from =0D=0A become \n
      }
      p.params = std::move(params);
      card.properties().push_back(std::move(p));
    }
    return card;
  }

  std::string_view name_;
  std::string text_;
  std::vector<Line> lines_;
  size_t next_ = 0;
};

std::string EncodeParamValue(std::string_view v) {
  std::string out;
  for (size_t i = 0; i < v.size(); ++i) {
    const char c = v[i];
    if (c == '^') {
      out += "^^";
    } else if (c == '"') {
      out += "^'";
    } else if (c == '\r' || c == '\n') {
      out += "^n";
      if (c == '\r' && i + 1 < v.size() && v[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  if (out.find_first_of(",;:") != std::string::npos) return '"' + out + '"';
  return out;
}

// Lines of at most 75 octets; a cut never falls inside a UTF-8 sequence.
void AppendFolded(std::string& out, std::string_view line) {
  size_t limit = 75;
  while (line.size() > limit) {
    size_t cut = limit;
    while (cut > 1 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
    out += line.substr(0, cut);
    out += "\r\n ";
    line.remove_prefix(cut);
    limit = 74;  // the leading space counts
  }
  out += line;
  out += "\r\n";
}

}  // namespace

bool VcardProperty::HasType(std::string_view type) const {
  for (const VcardParam& param : params) {
    if (param.name != "TYPE") continue;
    for (const std::string& v : param.values) {
      // TYPE="work,voice" (quoted, as 4.0 examples write it) lists two types.
      for (const std::string& t : text::Split(v, ",")) {
        if (text::EqualsText(text::Trim(t), type)) return true;
      }
    }
  }
  return false;
}

bool VcardProperty::IsPreferred() const {
  return HasType("PREF") || std::any_of(params.begin(), params.end(),
                                        [](const VcardParam& p) { return p.name == "PREF"; });
}

std::string VcardProperty::Param(std::string_view param_name) const {
  for (const VcardParam& param : params) {
    if (text::EqualsText(param.name, param_name)) return param.values.front();
  }
  return {};
}

const VcardProperty* VcardCard::Pick(std::string_view name, std::string_view type,
                                     bool prefer) const {
  const VcardProperty* first = nullptr;
  for (const VcardProperty& p : properties_) {
    if (!text::EqualsText(p.name, name) || (!type.empty() && !p.HasType(type))) continue;
    if (!prefer || p.IsPreferred()) return &p;
    if (first == nullptr) first = &p;
  }
  return first;
}

VcardProperty* VcardCard::PickOrAdd(std::string_view name, std::string_view type, bool prefer,
                                    bool add) {
  auto* p = const_cast<VcardProperty*>(Pick(name, type, prefer));
  if (p != nullptr || !add) return p;
  VcardProperty& added = properties_.emplace_back();
  added.name = std::string(name);
  if (!type.empty()) added.params.push_back({"TYPE", {std::string(type)}});
  return &added;
}

std::string VcardCard::Text(std::string_view name) const {
  const VcardProperty* p = Find(name);
  return p == nullptr ? std::string() : UnescapeVcardText(p->value);
}

void VcardCard::SetText(std::string_view name, std::string_view value) {
  VcardProperty* p = PickOrAdd(name, {}, false, !value.empty());
  if (p == nullptr) return;
  std::erase_if(p->params, [](const VcardParam& param) { return param.name == "ENCODING"; });
  p->value = EscapeVcardText(value);
}

std::string VcardCard::Component(std::string_view name, std::string_view type, size_t index) const {
  const VcardProperty* p = Pick(name, type);
  if (p == nullptr) return {};
  const std::vector<std::string> parts = SplitVcardValue(p->value, ';');
  return index < parts.size() ? UnescapeVcardText(parts[index]) : std::string();
}

void VcardCard::SetComponent(std::string_view name, std::string_view type, size_t index,
                             std::string_view v, size_t min_components) {
  VcardProperty* p = PickOrAdd(name, type, false, !v.empty());
  if (p == nullptr) return;
  std::vector<std::string> parts = SplitVcardValue(p->value, ';');
  parts.resize(std::max({parts.size(), index + 1, min_components}));
  parts[index] = EscapeVcardText(v);
  p->value = text::Join(parts, ";");
}

std::string VcardCard::User(int n) const {
  if (n < 1 || n > 4) throw Error(ErrorCode::kSubscriptOutOfRange, "User" + std::to_string(n));
  return Text("X-VELLUMO-USER" + std::to_string(n));
}

void VcardCard::SetUser(int n, std::string_view v) {
  if (n < 1 || n > 4) throw Error(ErrorCode::kSubscriptOutOfRange, "User" + std::to_string(n));
  SetText("X-VELLUMO-USER" + std::to_string(n), v);
}

std::string VcardCard::Email1Address() const {
  const VcardProperty* p = Pick("EMAIL", {}, true);
  return p == nullptr ? std::string() : UnescapeVcardText(p->value);
}

void VcardCard::SetEmail1Address(std::string_view address) {
  VcardProperty* p = PickOrAdd("EMAIL", {}, true, !address.empty());
  if (p != nullptr) p->value = EscapeVcardText(address);
}

std::vector<std::string> VcardCard::Categories() const {
  std::vector<std::string> out;
  for (const VcardProperty& p : properties_) {
    if (!text::EqualsText(p.name, "CATEGORIES")) continue;
    for (const std::string& piece : SplitVcardValue(p.value, ',')) {
      std::string category = text::Trim(UnescapeVcardText(piece));
      if (!category.empty()) out.push_back(std::move(category));
    }
  }
  return out;
}

void VcardCard::SetCategories(const std::vector<std::string>& categories) {
  std::vector<std::string> escaped;
  for (const std::string& c : categories) escaped.push_back(EscapeVcardText(c));
  bool kept = false;
  std::erase_if(properties_, [&](VcardProperty& p) {
    if (!text::EqualsText(p.name, "CATEGORIES")) return false;
    if (kept || escaped.empty()) return true;
    p.value = text::Join(escaped, ",");
    kept = true;
    return false;
  });
  if (!kept && !escaped.empty()) {
    properties_.push_back({"", "CATEGORIES", {}, text::Join(escaped, ",")});
  }
}

std::vector<VcardCard> ParseVcards(std::string_view bytes, std::string_view name_for_errors) {
  return Reader(name_for_errors, bytes).Read();
}

std::string WriteVcard(const VcardCard& card) {
  std::string out = "BEGIN:VCARD\r\nVERSION:";
  out += card.version() == "4.0" ? "4.0" : "3.0";
  out += "\r\n";
  for (const VcardProperty& p : card.properties()) {
    std::string line = p.group.empty() ? p.name : p.group + "." + p.name;
    for (const VcardParam& param : p.params) {
      line += ';';
      line += param.name;
      line += '=';
      for (size_t i = 0; i < param.values.size(); ++i) {
        if (i > 0) line += ',';
        line += EncodeParamValue(param.values[i]);
      }
    }
    line += ':';
    line += p.value;
    AppendFolded(out, line);
  }
  out += "END:VCARD\r\n";
  return out;
}

std::vector<std::string> SplitVcardValue(std::string_view raw, char separator) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\\' && i + 1 < raw.size()) {
      parts.back() += raw.substr(i, 2);
      ++i;
    } else if (raw[i] == separator) {
      parts.emplace_back();
    } else {
      parts.back() += raw[i];
    }
  }
  return parts;
}

std::string UnescapeVcardText(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    const char next = i + 1 < raw.size() ? raw[i + 1] : '\0';
    if (raw[i] != '\\' || next == '\0') {
      out += raw[i];
    } else if (next == 'n' || next == 'N') {
      out += "\r\n";
      ++i;
    } else if (std::isalnum(static_cast<unsigned char>(next)) == 0 &&
               static_cast<unsigned char>(next) < 0x80) {
      out += next;  // \\ \, \; and the \: \" some writers add
      ++i;
    } else {
      out += '\\';  // not an escape: a plain backslash
    }
  }
  return out;
}

std::string EscapeVcardText(std::string_view text) { return Escape(text, "\\,;"); }

}  // namespace vellumo::localmail
