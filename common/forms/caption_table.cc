#include "common/forms/caption_table.h"

#include "base/error.h"
#include "base/text.h"

namespace vellumo {
namespace resources {
extern const std::string_view kAddinStrings;  // resources/strings/addin.txt, compiled in
}

namespace {

constexpr int kLastEntry = 65535;  // string resource ids are 16-bit

[[noreturn]] void Malformed(std::string_view source, size_t line, std::string_view what) {
  throw Error(std::string(source) + ":" + std::to_string(line) + ": " + std::string(what));
}

std::string Unescape(std::string_view raw, std::string_view source, size_t line) {
  std::string text;
  text.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\\') {
      text.push_back(raw[i]);
      continue;
    }
    if (i + 1 == raw.size()) {
      Malformed(source, line, "a backslash ends the line");
    }
    switch (raw[++i]) {
      case 't':
        text.push_back('\t');
        break;
      case 'n':
        text.push_back('\n');
        break;
      case 'r':
        text.push_back('\r');
        break;
      case '\\':
        text.push_back('\\');
        break;
      default:
        Malformed(source, line, std::string("unknown escape \\") + raw[i]);
    }
  }
  return text;
}

bool HasCaption(ui::ControlKind kind) {
  switch (kind) {
    case ui::ControlKind::kLabel:
    case ui::ControlKind::kCheckBox:
    case ui::ControlKind::kOptionButton:
    case ui::ControlKind::kCommandButton:
    case ui::ControlKind::kFrame:
    case ui::ControlKind::kMenu:
      return true;
    default:
      return false;
  }
}

}  // namespace

CaptionTable CaptionTable::Parse(std::string_view text, std::string_view source) {
  CaptionTable table;
  size_t line_number = 0;
  while (!text.empty()) {
    ++line_number;
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    if (line.empty() || line.front() == '#') {
      continue;
    }

    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) {
      Malformed(source, line_number, "expected NUMBER<TAB>TEXT");
    }
    const std::string_view number_text = line.substr(0, tab);
    const std::optional<int> number = EntryNumber(number_text);
    if (!number || number_text.find(' ') != std::string_view::npos) {
      Malformed(source, line_number, "'" + std::string(number_text) + "' is not an entry number");
    }
    const std::string_view raw = line.substr(tab + 1);
    if (!text::IsValidUtf8(raw)) {
      Malformed(source, line_number, "the text is not UTF-8");
    }
    if (!table.entries_.emplace(*number, Unescape(raw, source, line_number)).second) {
      Malformed(source, line_number, "entry " + std::to_string(*number) + " appears twice");
    }
  }
  return table;
}

const std::string* CaptionTable::Find(int number) const {
  auto it = entries_.find(number);
  return it == entries_.end() ? nullptr : &it->second;
}

const CaptionTable& AddInCaptions() {
  static const CaptionTable table =
      CaptionTable::Parse(resources::kAddinStrings, "resources/strings/addin.txt");
  return table;
}

std::optional<int> EntryNumber(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return std::nullopt;
  }
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  if (text.size() > 5) {
    return std::nullopt;
  }
  int number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    number = number * 10 + (c - '0');
  }
  if (number < 1 || number > kLastEntry) {
    return std::nullopt;
  }
  return number;
}

void ApplyCaptionTable(ui::Form& form, const CaptionTable& table, const CaptionRules& rules) {
  const auto entry = [&](std::string_view text) -> const std::string* {
    const std::optional<int> number = EntryNumber(text);
    return number ? table.Find(*number) : nullptr;
  };
  if (const std::string* caption = entry(form.tag)) {
    form.caption = *caption;
  }
  for (ui::Control& control : form.controls()) {
    if (control.kind == ui::ControlKind::kMenu) {
      if (const std::string* caption = entry(control.caption)) {
        control.caption = *caption;
      }
      continue;  // menu items have no Tag rule and no tool tip
    }
    if (const std::string* caption = entry(control.tag)) {
      if (HasCaption(control.kind)) {
        control.caption = *caption;
      } else if (rules.text_boxes_take_text && control.kind == ui::ControlKind::kTextBox) {
        control.text = *caption;
      }
    }
    if (const std::string* tooltip = entry(control.tooltip)) {
      control.tooltip = *tooltip;
    }
  }
}

}  // namespace vellumo
