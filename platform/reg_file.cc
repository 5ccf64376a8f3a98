#include "platform/reg_file.h"

#include <cstdio>
#include <utility>

#include "base/error.h"
#include "base/text.h"

namespace vellumo {
namespace {

constexpr std::string_view kVersion5Header = "Windows Registry Editor Version 5.00";
constexpr std::string_view kVersion4Header = "REGEDIT4";
constexpr std::string_view kLegacyHeader = "REGEDIT";
constexpr size_t kExportColumns = 80;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A piece of a line for an error text, cut short when long.
std::string Quote(std::string_view s) {
  constexpr size_t kMax = 40;
  std::string out = "\"";
  if (s.size() <= kMax) {
    out.append(s);
  } else {
    out.append(text::Left(s, kMax)).append("...");
  }
  out.push_back('"');
  return out;
}

// The file as UTF-8 text.
std::string DecodeRegBytes(std::string_view bytes, std::string_view file_name) {
  if (bytes.substr(0, 2) == "\xFF\xFE") return text::Utf16LeToUtf8(bytes.substr(2));
  if (bytes.substr(0, 2) == "\xFE\xFF") {
    throw Error(std::string(file_name) +
                ":1: UTF-16 big-endian registry files are not supported; save it as UTF-16LE");
  }
  // A registry editor file always starts with a letter: a NUL after it is UTF-16LE text
  // that lost its byte-order mark.
  if (bytes.size() >= 2 && bytes[0] != '\0' && bytes[1] == '\0') return text::Utf16LeToUtf8(bytes);
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return text::DecodeFileText(bytes);
}

struct Line {
  std::string_view text;
  int number;
};

// Lines end at CR LF, LF, CR, or CR CR LF (what some editors make of CR LF).
std::vector<Line> SplitLines(std::string_view s) {
  std::vector<Line> lines;
  size_t start = 0;
  int number = 1;
  for (size_t i = 0; i < s.size();) {
    if (s[i] != '\r' && s[i] != '\n') {
      ++i;
      continue;
    }
    lines.push_back({s.substr(start, i - start), number++});
    if (s.compare(i, 2, "\r\n") == 0) {
      i += 2;
    } else if (s.compare(i, 3, "\r\r\n") == 0) {
      i += 3;
    } else {
      ++i;
    }
    start = i;
  }
  if (start < s.size()) lines.push_back({s.substr(start), number});
  return lines;
}

class Parser {
 public:
  Parser(std::string_view text, std::string_view file_name)
      : file_name_(file_name), lines_(SplitLines(text)) {}

  std::vector<RegOp> Run() {
    ReadHeader();
    for (++index_; index_ < lines_.size(); ++index_) {
      line_ = lines_[index_];
      std::string_view s = TrimBlanks(line_.text);
      if (s.empty() || s.front() == ';') continue;
      if (s.front() == '[') {
        KeyLine(s);
      } else if (s.front() == '"' || s.front() == '@') {
        ValueLine(s);
      } else {
        Fail("unexpected text " + Quote(s) +
             "; expected [KEY], \"name\"=value, @=value or a ; comment");
      }
    }
    return std::move(ops_);
  }

 private:
  enum class State { kNoKey, kKey, kDeletedKey };

  [[noreturn]] void Fail(const std::string& what) const {
    throw Error(std::string(file_name_) + ":" + std::to_string(line_.number) + ": " + what);
  }

  void ReadHeader() {
    while (index_ < lines_.size() && TrimBlanks(lines_[index_].text).empty()) ++index_;
    if (index_ == lines_.size()) {
      line_ = {"", lines_.empty() ? 1 : lines_.back().number};
      Fail("empty file; a registry file starts with \"" + std::string(kVersion5Header) + "\"");
    }
    line_ = lines_[index_];
    const std::string_view header = TrimBlanks(line_.text);
    if (text::EqualsText(header, kVersion5Header)) return;
    if (text::EqualsText(header, kVersion4Header)) {
      ansi_ = true;
      return;
    }
    if (text::EqualsText(header, kLegacyHeader)) {
      Fail("legacy REGEDIT (Windows 3.x) file; only \"" + std::string(kVersion5Header) +
           "\" and \"REGEDIT4\" files can be imported");
    }
    Fail("not a registry file: the first line is " + Quote(header) + ", expected \"" +
         std::string(kVersion5Header) + "\" or \"REGEDIT4\"");
  }

  std::string Normalize(std::string_view key) const {
    try {
      return NormalizeKeyPath(key);
    } catch (const Error& e) {
      Fail(e.detail().empty() ? e.description() : e.detail());
    }
  }

  // Runs a limit check of the registry; what it refuses fails this line, before anything is
  // applied.
  template <class Check>
  void Within(Check&& check) const {
    try {
      check();
    } catch (const Error& e) {
      Fail(e.detail().empty() ? e.description() : e.detail());
    }
  }

  void Push(RegOp op) {
    if (op.kind == RegOp::Kind::kCreateKey) {
      Within([&] { CheckKeyLimits(op.key); });
    } else if (op.kind == RegOp::Kind::kSetValue) {
      Within([&] { CheckValueLimits(op.name, op.value); });
    }
    ops_.push_back(std::move(op));
  }

  void KeyLine(std::string_view s) {
    if (s.back() != ']') Fail("the key line " + Quote(s) + " does not end with ]");
    std::string_view key = s.substr(1, s.size() - 2);
    if (!key.empty() && key.front() == '-') {
      current_ = Normalize(key.substr(1));
      if (IsRootKey(current_)) Fail("the root " + current_ + " cannot be deleted");
      Push({RegOp::Kind::kDeleteKeyTree, current_, {}, {}});
      state_ = State::kDeletedKey;
    } else {
      current_ = Normalize(key);
      Push({RegOp::Kind::kCreateKey, current_, {}, {}});
      state_ = State::kKey;
    }
  }

  void ValueLine(std::string_view s) {
    if (state_ == State::kNoKey) Fail("a value before any [KEY] line");
    if (state_ == State::kDeletedKey) Fail("a value below the deleted key [-" + current_ + "]");
    size_t pos = 0;
    std::string name;
    if (s.front() == '@') {
      pos = 1;
    } else {
      name = Quoted(s, pos, "value name");
    }
    SkipBlanks(s, pos);
    if (pos == s.size() || s[pos] != '=') Fail("missing = after the value name");
    SkipBlanks(s, ++pos);
    const std::string_view data = s.substr(pos);
    if (!data.empty() && data.front() == '"') {
      RegValue value = RegValue::String(Quoted(s, pos, "string"));
      ExpectEnd(s, pos);
      Push({RegOp::Kind::kSetValue, current_, std::move(name), std::move(value)});
    } else if (!data.empty() && data.front() == '-') {
      ExpectEnd(s, ++pos);
      Push({RegOp::Kind::kDeleteValue, current_, std::move(name), {}});
    } else if (text::StartsWithText(data, "dword:")) {
      pos += 6;
      const size_t start = pos;
      while (pos < s.size() && text::HexDigit(s[pos]) >= 0) ++pos;
      if (pos == start || pos - start > 8) {
        Fail("a dword needs 1 to 8 hexadecimal digits, not " + Quote(s.substr(start, pos - start)));
      }
      uint32_t n = 0;
      for (size_t i = start; i < pos; ++i) n = n * 16 + text::HexDigit(s[i]);
      ExpectEnd(s, pos);
      Push({RegOp::Kind::kSetValue, current_, std::move(name), RegValue::Dword(n)});
    } else if (text::StartsWithText(data, "hex")) {
      pos += 3;
      const uint32_t type = HexType(s, pos);
      std::string bytes = HexBytes(s, pos);
      const bool single_string = type == static_cast<uint32_t>(RegType::kString) ||
                                 type == static_cast<uint32_t>(RegType::kExpandString);
      const size_t nul = single_string ? bytes.find('\0') : std::string::npos;
      if (ansi_ && nul != std::string::npos) {
        // An 8-bit string ends at its first NUL, however many follow ("hex(2):00,00" is empty).
        bytes.resize(nul);
        bytes = text::Utf8ToUtf16Le(text::Windows1252ToUtf8(bytes)).append(2, '\0');
      } else if (ansi_ && (single_string || type == static_cast<uint32_t>(RegType::kMultiString))) {
        bytes = text::Utf8ToUtf16Le(text::Windows1252ToUtf8(bytes));
      }
      Push({RegOp::Kind::kSetValue, current_, std::move(name),
            RegValue::Raw(type, std::move(bytes))});
    } else {
      Fail("unknown value " + Quote(data) +
           "; expected a quoted string, dword:, hex:, hex(N): or -");
    }
  }

  static void SkipBlanks(std::string_view s, size_t& pos) {
    while (pos < s.size() && IsBlank(s[pos])) ++pos;
  }

  // Only blanks or a comment may follow a value.
  void ExpectEnd(std::string_view s, size_t pos) const {
    SkipBlanks(s, pos);
    if (pos < s.size() && s[pos] != ';') {
      Fail("unexpected text " + Quote(s.substr(pos)) + " after the value");
    }
  }

  // A quoted string starting at s[pos]; pos ends after the closing quote.
  std::string Quoted(std::string_view s, size_t& pos, std::string_view what) const {
    std::string out;
    bool escaped_quote = false;
    for (++pos; pos < s.size(); ++pos) {
      const char c = s[pos];
      if (c == '"') {
        ++pos;
        return out;
      }
      if (c == '\\' && pos + 1 < s.size() && (s[pos + 1] == '\\' || s[pos + 1] == '"')) {
        escaped_quote = escaped_quote || s[pos + 1] == '"';
        out.push_back(s[++pos]);
      } else {
        out.push_back(c);
      }
    }
    std::string message = "the " + std::string(what) + " has no closing quote";
    if (escaped_quote) message += " (\\\" is an escaped quote; write a backslash as \\\\)";
    Fail(message);
  }

  // After "hex": ":" for binary, or "(N):" with N the type number in hexadecimal.
  uint32_t HexType(std::string_view s, size_t& pos) const {
    uint32_t type = static_cast<uint32_t>(RegType::kBinary);
    if (pos < s.size() && s[pos] == '(') {
      const size_t start = ++pos;
      type = 0;
      while (pos < s.size() && text::HexDigit(s[pos]) >= 0)
        type = type * 16 + text::HexDigit(s[pos++]);
      if (pos == start || pos - start > 8 || pos == s.size() || s[pos] != ')') {
        Fail("bad value type in " + Quote(s.substr(start - 4)) +
             "; expected hex(N): with N in hexadecimal");
      }
      ++pos;
    }
    if (pos == s.size() || s[pos] != ':') Fail("missing : after " + Quote(s.substr(0, pos)));
    ++pos;
    return type;
  }

  // Comma-separated hexadecimal bytes from s[pos] on; a \ at the end of a line continues the
  // list on the next line (blank and comment lines in between are skipped).
  std::string HexBytes(std::string_view s, size_t pos) {
    std::string bytes;
    while (true) {
      SkipBlanks(s, pos);
      if (pos == s.size() || s[pos] == ';') return bytes;
      if (s[pos] == '\\') {
        ExpectEnd(s, pos + 1);
        do {
          if (++index_ == lines_.size()) Fail("the hex value continues past the end of the file");
          line_ = lines_[index_];
          s = line_.text;
          pos = 0;
          SkipBlanks(s, pos);
        } while (pos == s.size() || s[pos] == ';');
        continue;
      }
      const size_t start = pos;
      while (pos < s.size() && text::HexDigit(s[pos]) >= 0) ++pos;
      if (pos == start || pos - start > 2) {
        const size_t end = s.find_first_of(",\\; \t", start + 1);
        Fail("bad hex byte " +
             Quote(s.substr(start, end == std::string_view::npos ? end : end - start)) +
             "; expected two hexadecimal digits");
      }
      bytes.push_back(static_cast<char>(pos - start == 1 ? text::HexDigit(s[start])
                                                         : text::HexDigit(s[start]) * 16 +
                                                               text::HexDigit(s[start + 1])));
      SkipBlanks(s, pos);
      if (pos < s.size() && s[pos] == ',') {
        ++pos;
      } else if (pos < s.size() && s[pos] != ';' && s[pos] != '\\') {
        Fail("expected , between hex bytes, found " + Quote(s.substr(pos)));
      }
    }
  }

  std::string_view file_name_;
  std::vector<Line> lines_;
  size_t index_ = 0;
  Line line_{"", 1};
  bool ansi_ = false;
  State state_ = State::kNoKey;
  std::string current_;
  std::vector<RegOp> ops_;
};

// Export.

std::string Escaped(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

void AppendHex(std::string& out, std::string_view prefix, std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out.append(prefix);
  size_t column = static_cast<size_t>(text::Len(prefix));
  bool byte_on_line = false;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const bool last = i + 1 == bytes.size();
    const size_t width = last ? 2 : 3;
    // Leave room for the continuation backslash.
    if (byte_on_line && column + width + 1 > kExportColumns) {
      out.append("\\\r\n  ");
      column = 2;
    }
    const auto b = static_cast<unsigned char>(bytes[i]);
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 0xF]);
    if (!last) out.push_back(',');
    column += width;
    byte_on_line = true;
  }
  out.append("\r\n");
}

void AppendValue(std::string& out, std::string_view key, const std::string& name,
                 const RegValue& value) {
  if (HasLineBreak(name)) {
    throw Error(ErrorCode::kInvalidCall, "the value name " + Quote(name) + " of " +
                                             std::string(key) +
                                             " has a line break; a registry file cannot hold it");
  }
  std::string prefix = name.empty() ? "@=" : Escaped(name) + "=";
  if (!value.HoldsBytes()) {
    if (value.kind() == RegType::kString &&
        value.text.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos) {
      out.append(prefix).append(Escaped(value.text)).append("\r\n");
      return;
    }
    if (value.kind() == RegType::kDword) {
      static constexpr char kDigits[] = "0123456789abcdef";
      out.append(prefix).append("dword:");
      for (int shift = 28; shift >= 0; shift -= 4) {
        out.push_back(kDigits[(value.number >> shift) & 0xF]);
      }
      out.append("\r\n");
      return;
    }
  }
  if (value.kind() == RegType::kBinary) {
    prefix += "hex:";
  } else {
    char type[16];
    std::snprintf(type, sizeof type, "hex(%x):", static_cast<unsigned>(value.type));
    prefix += type;
  }
  AppendHex(out, prefix, value.StoredBytes());
}

// The key's path with every name as stored.
std::string StoredPath(Registry& registry, std::string_view key) {
  const std::string normalized = NormalizeKeyPath(key);
  const std::vector<std::string> names = text::Split(normalized, "\\");
  std::string path = names[0];
  for (size_t i = 1; i < names.size(); ++i) {
    // Matched as the registries match names, by their folded form.
    const std::string fold = text::FoldCase(names[i]);
    bool found = false;
    for (const std::string& sub : registry.SubKeys(path)) {
      if (text::FoldCase(sub) == fold) {
        path.append("\\").append(sub);
        found = true;
        break;
      }
    }
    if (!found) throw Error(ErrorCode::kPathNotFound, "registry key " + normalized);
  }
  return path;
}

}  // namespace

std::vector<RegOp> ParseRegFile(std::string_view bytes, std::string_view file_name) {
  const std::string decoded = DecodeRegBytes(bytes, file_name);
  return Parser(decoded, file_name).Run();
}

void ImportRegFile(Registry& registry, std::string_view bytes, std::string_view file_name) {
  registry.Apply(ParseRegFile(bytes, file_name));
}

std::string ExportRegFile(Registry& registry, std::string_view key) {
  std::string out(kVersion5Header);
  out.append("\r\n\r\n");
  // Depth first, subkeys in their sorted order; a stack rather than recursion, since a tree
  // imported from a file can be very deep.
  std::vector<std::string> pending{StoredPath(registry, key)};
  while (!pending.empty()) {
    const std::string path = std::move(pending.back());
    pending.pop_back();
    if (HasLineBreak(path)) {
      throw Error(ErrorCode::kInvalidCall,
                  "the key " + Quote(path) + " has a line break; a registry file cannot hold it");
    }
    out.append("[").append(path).append("]\r\n");
    for (const auto& [name, value] : registry.Values(path)) AppendValue(out, path, name, value);
    out.append("\r\n");
    const std::vector<std::string> subkeys = registry.SubKeys(path);
    for (auto it = subkeys.rbegin(); it != subkeys.rend(); ++it) {
      pending.push_back(path + "\\" + *it);
    }
  }
  return "\xFF\xFE" + text::Utf8ToUtf16Le(out);
}

}  // namespace vellumo
