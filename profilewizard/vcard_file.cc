#include "profilewizard/vcard_file.h"

#include <array>
#include <vector>

#include "base/error.h"
#include "base/text.h"

namespace vellumo::profilewizard {
namespace {

// A line break inside a field would end the property line early; one blank keeps words apart.
std::string OneLine(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\r' || value[i] == '\n') {
      if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n') ++i;
      out.push_back(' ');
    } else {
      out.push_back(value[i]);
    }
  }
  return out;
}

// The field as the card holds it before escaping: on one line, trimmed of spaces.
std::string Field(std::string_view value) { return text::Trim(OneLine(value)); }

std::string Escape(std::string_view value, bool quoted_printable = false) {
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    if (c == '\\' || c == ';') out.push_back('\\');
    if (quoted_printable && c == '=') {
      out.append("=3D");
      continue;
    }
    out.push_back(c);
  }
  return out;
}

std::string Unescape(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size() &&
        (value[i + 1] == ';' || value[i + 1] == ',' || value[i + 1] == '\\')) {
      ++i;
    }
    out.push_back(value[i]);
  }
  return out;
}

// The address value's parts, split at every ";" that is not escaped; escapes stay for Unescape.
std::vector<std::string> SplitComponents(std::string_view value) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) {
      parts.back().append(value.substr(i, 2));
      ++i;
    } else if (value[i] == ';') {
      parts.emplace_back();
    } else {
      parts.back().push_back(value[i]);
    }
  }
  return parts;
}

void ImportAddress(std::string_view value, VCardFields& fields) {
  std::vector<std::string> parts;
  for (const std::string& raw : SplitComponents(value)) {
    std::string part =
        text::Trim(Unescape(text::Replace(raw, "=0D=0A", ", ", text::Compare::kText)));
    if (!part.empty()) parts.push_back(std::move(part));
  }
  std::array<std::string*, 3> lines = {&fields.address1, &fields.address2, &fields.address3};
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i + 1 == lines.size() && parts.size() > lines.size()) {
      *lines[i] = text::Join(std::vector<std::string>(parts.begin() + i, parts.end()), ", ");
    } else {
      *lines[i] = i < parts.size() ? parts[i] : std::string();
    }
  }
}

// The properties a card fills, tested in this order; field is null for the address line.
struct LineRule {
  std::string_view text;
  std::string VCardFields::*field;
};
constexpr std::array<LineRule, 9> kLineRules = {{
    {"FN:", &VCardFields::full_name},
    {"ORG:", &VCardFields::organization},
    {"TITLE:", &VCardFields::position},
    {"TEL;WORK;VOICE:", &VCardFields::telephone},
    {"TEL;CELL;VOICE", &VCardFields::cell},
    {"TEL;WORK;FAX:", &VCardFields::fax},
    {"EMAIL;PREF;INTERNET:", &VCardFields::email},
    {"URL;WORK:", &VCardFields::website},
    {"ADR;WORK", nullptr},
}};

bool IsFileNameChar(char c) {
  if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
  return std::string_view("\\/:*?\"<>|").find(c) == std::string_view::npos;
}

}  // namespace

std::string FixName(std::string_view name) {
  const size_t space = name.rfind(' ');
  if (space == std::string_view::npos) return std::string(name);
  std::string fixed(name.substr(space + 1));
  fixed.append(", ").append(name.substr(0, space));
  return fixed;
}

std::string VCardText(const VCardFields& f) {
  const std::string name = Field(f.full_name);
  const std::string label_break = "=0D=0A";
  const std::array<std::string, 14> lines = {
      "BEGIN:VCARD",
      "VERSION:2.1",
      "N:" + Escape(FixName(name)),
      "FN:" + Escape(name),
      "ORG:" + Escape(Field(f.organization)),
      "TITLE:" + Escape(Field(f.position)),
      "TEL;WORK;VOICE:" + Escape(Field(f.telephone)),
      "TEL;CELL;VOICE:" + Escape(Field(f.cell)),
      "TEL;WORK;FAX:" + Escape(Field(f.fax)),
      "LABEL;WORK;ENCODING=QUOTED-PRINTABLE:" + Escape(Field(f.address1), true) + label_break +
          Escape(Field(f.address2), true) + label_break + Escape(Field(f.address3), true),
      "ADR;WORK:;;" + Escape(Field(f.address1)) + ";" + Escape(Field(f.address2)) + ";" +
          Escape(Field(f.address3)),
      "URL;WORK:" + Escape(Field(f.website)),
      "EMAIL;PREF;INTERNET:" + Escape(Field(f.email)),
      "END:VCARD",
  };
  std::string card;
  for (const std::string& line : lines) card.append(line).append(text::kCrLf);
  return card;
}

void WriteVCard(FileSystem& fs, std::string_view path, const VCardFields& fields) {
  fs.WriteFile(path, VCardText(fields));
}

CreatedVCard CreateUserVCard(FileSystem& fs, const VCardFields& fields) {
  const std::string base = text::Trim(fields.full_name);
  const auto bad = [&](std::string why) {
    return Error(ErrorCode::kBadFileName,
                 "vCard file name from the full name \"" + base + "\": " + std::move(why));
  };
  if (base.empty()) throw bad("the full name is empty");
  if (base == "." || base == "..") throw bad("not a file name");
  for (char c : base) {
    if (!IsFileNameChar(c)) {
      throw bad(static_cast<unsigned char>(c) < 0x20 || c == 0x7f
                    ? std::string("it holds a control character")
                    : "it holds \"" + std::string(1, c) + "\"");
    }
  }
  CreatedVCard created{base + ".vcf", std::string(kCreatedVCardFolder) + "\\" + base + ".vcf"};
  fs.CreateFolder(kCreatedVCardFolder);
  WriteVCard(fs, created.path, fields);
  return created;
}

bool ImportVCardLine(std::string_view line, VCardFields& fields) {
  const size_t colon = line.find(':');
  // The property part, with its colon: a test's text counts only there, never inside the value.
  const std::string head =
      text::FoldCase(line.substr(0, colon == std::string_view::npos ? line.size() : colon + 1));
  const std::string_view value =
      colon == std::string_view::npos ? std::string_view() : line.substr(colon + 1);
  for (const LineRule& rule : kLineRules) {
    if (head.find(text::FoldCase(rule.text)) == std::string::npos) continue;
    if (rule.field == nullptr) {
      ImportAddress(value, fields);
    } else {
      fields.*rule.field = Unescape(value);
    }
    return true;
  }
  return false;
}

void ImportVCard(FileSystem& fs, std::string_view path, VCardFields& fields) {
  const std::string card = text::DecodeFileText(fs.ReadFile(path));
  VCardFields read;
  for (std::string_view line : text::Lines(card)) {
    if (text::EqualsText(text::Trim(line), "END:VCARD")) break;
    ImportVCardLine(line, read);
  }
  fields = std::move(read);
}

}  // namespace vellumo::profilewizard
