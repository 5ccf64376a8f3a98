#include "tty/tty_host.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <exception>
#include <optional>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "html/html_text.h"

namespace vellumo::ui {
namespace {

constexpr std::string_view kHelp =
    "Type a button's number or the start of its caption to press it; Enter presses the default\n"
    "button, Esc (or \"escape\") or Ctrl-D closes the window without choosing.\n"
    "  N                   press button N, toggle check box N, list the entries of list N\n"
    "  list C              every entry of list C\n"
    "  open                see the page in a browser\n"
    "  page                draw the window again\n"
    "  click C [ARG] | set C TEXT | select C N | fire C EVENT [ARG] | close | help\n"
    "  C is a control's number or name.\n";

constexpr std::string_view kBold = "\x1b[1m";
constexpr std::string_view kReverse = "\x1b[7m";
constexpr std::string_view kDim = "\x1b[2m";
constexpr std::string_view kPlain = "\x1b[0m";

std::string_view IconMark(int style) {
  switch (style & 0x70) {
    case kCritical:
      return "(x) ";
    case kQuestion:
      return "(?) ";
    case kExclamation:
      return "(!) ";
    case kInformation:
      return "(i) ";
    default:
      return "";
  }
}

// "[Y]es": the first letter picks the button; it is unique within every style.
std::string Choice(int answer) {
  const std::string_view label = AnswerText(answer);
  return "[" + std::string(label.substr(0, 1)) + "]" + std::string(label.substr(1));
}

bool Picks(std::string_view typed, int answer) {
  const std::string_view label = AnswerText(answer);
  return text::EqualsText(typed, label) || text::EqualsText(typed, label.substr(0, 1));
}

// A typed Escape: the word, or the key itself (a terminal passes ESC through to the line).
bool IsEscape(std::string_view typed) {
  return text::EqualsText(typed, "escape") || text::EqualsText(typed, "esc") ||
         (!typed.empty() && typed.find_first_not_of('\x1b') == std::string_view::npos);
}

// Splits off the first blank-separated word of rest; rest keeps what follows the blank.
std::string TakeWord(std::string& rest) {
  const size_t start = rest.find_first_not_of(' ');
  if (start == std::string::npos) {
    rest.clear();
    return {};
  }
  const size_t end = rest.find(' ', start);
  std::string word = rest.substr(start, end == std::string::npos ? end : end - start);
  rest = end == std::string::npos ? std::string() : rest.substr(end + 1);
  return word;
}

// Continuation lines of a multi-line text line up under the first.
std::string Indented(std::string_view s, size_t indent) {
  std::string one = text::Replace(text::Replace(s, "\r\n", "\n"), "\r", "\n");
  return text::Replace(one, "\n", "\n" + std::string(indent, ' '));
}

bool IsField(ControlKind kind) {
  switch (kind) {
    case ControlKind::kTextBox:
    case ControlKind::kComboBox:
    case ControlKind::kListBox:
    case ControlKind::kFileList:
    case ControlKind::kProgressBar:
    case ControlKind::kTabStrip:
      return true;
    default:
      return false;
  }
}

bool IsList(ControlKind kind) {
  return kind == ControlKind::kComboBox || kind == ControlKind::kListBox ||
         kind == ControlKind::kFileList || kind == ControlKind::kTabStrip;
}

// What a person can change by its number: fields and boxes, not labels, pages or pictures.
bool IsNumberedField(ControlKind kind) {
  return kind == ControlKind::kTextBox || kind == ControlKind::kCheckBox ||
         kind == ControlKind::kOptionButton || IsList(kind);
}

std::string FieldValue(const Control& control) {
  switch (control.kind) {
    case ControlKind::kCheckBox:
      return std::string(control.value ? "[x] " : "[ ] ") + WithoutMnemonic(control.caption);
    case ControlKind::kOptionButton:
      return std::string(control.value ? "(*) " : "( ) ") + WithoutMnemonic(control.caption);
    case ControlKind::kProgressBar:
      return std::to_string(control.value) + "/" + std::to_string(control.max);
    case ControlKind::kTabStrip: {
      // Every tab with the number "select" takes; the chosen one bracketed.
      std::string tabs;
      for (size_t i = 0; i < control.list.size(); ++i) {
        const std::string tab = std::to_string(i) + " " + WithoutMnemonic(control.list[i]);
        tabs += (i > 0 ? "  " : "") +
                (static_cast<int>(i) == control.list_index ? "[" + tab + "]" : tab);
      }
      return tabs;
    }
    default:
      break;
  }
  if (IsList(control.kind) && control.text.empty()) return "(none)";
  return control.text;
}

// A label shares its field's line when the field follows it in the model and stands beside it.
bool Beside(const Control& label, const Control& field) {
  constexpr int kRowTwips = 300;
  return IsField(field.kind) && std::abs(label.top - field.top) <= kRowTwips;
}

std::string LabelText(const Control& label) {
  std::string caption = text::Trim(WithoutMnemonic(label.caption));
  if (!caption.empty() && caption.back() != ':') caption += ":";
  return caption;
}

bool IsAddress(std::string_view document) {
  return document.starts_with("http://") || document.starts_with("https://") ||
         document.starts_with("file:") || document.starts_with("about:");
}

std::string AddressOf(const Control& browser) {
  return IsAddress(browser.document) ? browser.document : FileAddress(browser.document);
}

// The caption a typed word is matched against: "> Template" answers to "template" too.
std::string Matchable(const Control& button) {
  std::string caption = text::Trim(WithoutMnemonic(button.caption));
  const auto first = std::find_if(caption.begin(), caption.end(),
                                  [](unsigned char c) { return std::isalnum(c) != 0; });
  return std::string(first, caption.end());
}

int LineCount(std::string_view s) { return static_cast<int>(std::count(s.begin(), s.end(), '\n')); }

}  // namespace

// The numbers a drawing gives: the shown buttons first, in the order of the row, then the fields
// a person can change; an embedded form's controls count as the form's own.
struct TtyHost::Numbered {
  explicit Numbered(const Form& form) {
    const std::vector<ControlRef> all = form.AllControls();
    for (const ControlRef& ref : all) {
      if (form.IsReachable(*ref.control) && ref.control->kind == ControlKind::kCommandButton) {
        items.push_back(ref);
        buttons.push_back(ref);
      }
    }
    for (const ControlRef& ref : all) {
      if (form.IsReachable(*ref.control) && IsNumberedField(ref.control->kind)) {
        items.push_back(ref);
      }
    }
  }
  int NumberOf(const Control& control) const {
    const auto at = std::find_if(items.begin(), items.end(),
                                 [&](const ControlRef& ref) { return ref.control == &control; });
    return at == items.end() ? 0 : static_cast<int>(at - items.begin()) + 1;
  }
  std::vector<ControlRef> items;
  std::vector<ControlRef> buttons;  // the first items, which a caption may press
};

const Control* DefaultButton(const Form& form) {
  if (form.no_default_button) return nullptr;
  if (!form.default_button.empty()) {
    const Control* named = form.Find(form.default_button);
    if (named != nullptr && form.IsReachable(*named)) return named;
  }
  for (const auto& control : form.controls()) {
    if (control.kind != ControlKind::kCommandButton || !form.IsReachable(control)) continue;
    if (text::LCase(control.name).find("cancel") != std::string::npos) continue;
    if (text::EqualsText(WithoutMnemonic(control.caption), "Cancel")) continue;
    return &control;
  }
  return nullptr;
}

TtyHost::TtyHost(std::istream& in, std::ostream& out, Transcript* transcript, TtyOptions options)
    : in_(in), out_(out), transcript_(transcript), options_(std::move(options)) {}

bool TtyHost::ReadLine(std::string& line) {
  if (!std::getline(in_, line)) {
    return false;
  }
  if (!line.empty() && line.back() == '\r') {
    line.pop_back();
  }
  return true;
}

int TtyHost::MsgBox(std::string_view prompt, int style, std::string_view title) {
  const std::vector<int> buttons = MsgBoxButtons(style);
  const int fallback = MsgBoxDefault(style);
  const bool colour = options_.colour;
  out_ << "\n"
       << (colour ? kBold : "") << "-- " << title << " --" << (colour ? kPlain : "") << "\n"
       << IconMark(style) << Wrapped(Indented(prompt, 0), options_.columns) << "\n";
  std::string choices;
  for (int button : buttons) {
    const bool marked = colour && button == fallback;
    choices += std::string(marked ? kReverse : "") + Choice(button) +
               std::string(marked ? kPlain : "") + "  ";
  }
  choices += "(Enter: " + std::string(AnswerText(fallback)) + ")";
  const bool has_cancel = std::find(buttons.begin(), buttons.end(), kCancel) != buttons.end();
  int answer = 0;
  bool defaulted = false;
  while (answer == 0) {
    out_ << choices << " > " << std::flush;
    std::string line;
    if (!ReadLine(line)) {
      answer = fallback;
      defaulted = true;
      out_ << "\n";
      break;
    }
    const std::string typed = text::Trim(line);
    if (typed.empty()) {
      answer = fallback;
    } else if (has_cancel && IsEscape(typed)) {
      answer = kCancel;
    }
    for (int button : buttons) {
      if (Picks(typed, button)) {
        answer = button;
      }
    }
  }
  if (transcript_) {
    transcript_->MsgBox(prompt, style, title, answer, defaulted);
  }
  return answer;
}

std::string TtyHost::InputBox(std::string_view prompt, std::string_view title,
                              std::string_view default_text) {
  out_ << "\n-- " << title << " --\n"
       << Indented(prompt, 0) << "\n(Enter keeps \"" << default_text
       << "\"; end of input cancels) > " << std::flush;
  std::string line;
  std::string answer;
  bool cancelled = false;
  if (!ReadLine(line)) {
    cancelled = true;
    out_ << "\n";
  } else {
    answer = line.empty() ? std::string(default_text) : line;
  }
  if (transcript_) {
    transcript_->InputBox(prompt, title, default_text, answer, cancelled, cancelled);
  }
  return answer;
}

std::string TtyHost::PageText(const Control& browser) {
  if (browser.document.empty()) return "(empty page)";
  if (IsAddress(browser.document) || options_.fs == nullptr) {
    return "(a web page: type \"open\" to see it)";
  }
  std::string html;
  try {
    html = options_.fs->ReadFile(browser.document);
  } catch (const std::exception& error) {
    return std::string("(the page cannot be read: ") + error.what() + ")";
  }
  std::string shown;
  if (const std::string title = html::HtmlTitle(html); !title.empty()) {
    shown += (options_.colour ? std::string(kBold) : "") + "[ " + title + " ]" +
             (options_.colour ? std::string(kPlain) : "") + "\n\n";
  }
  return shown + Wrapped(html::HtmlToText(html), options_.columns);
}

std::string TtyHost::ButtonRow(const Form& form, const Numbered& numbers) {
  const Control* fallback = DefaultButton(form);
  std::string row;
  size_t row_width = 0;
  for (const ControlRef& ref : form.AllControls()) {
    const Control* control = ref.control;
    if (control->kind != ControlKind::kCommandButton || !form.IsShown(*control)) continue;
    const bool reachable = form.IsReachable(*control);
    std::string item = reachable ? "[" + std::to_string(numbers.NumberOf(*control)) + "] " : "";
    item += WithoutMnemonic(control->caption);
    // A caption without a word ("...") tells nothing: its tool tip says what the button does.
    if (std::none_of(item.begin(), item.end(),
                     [](unsigned char c) { return std::isalpha(c) || c >= 0x80; }) &&
        !control->tooltip.empty()) {
      item += " (" + control->tooltip + ")";
    }
    if (!reachable) item = "(" + item + ": off)";
    const size_t width = static_cast<size_t>(text::Len(item));
    if (row_width > 0 && row_width + 2 + width > static_cast<size_t>(options_.columns)) {
      row += "\n";
      row_width = 0;
    } else if (row_width > 0) {
      row += "  ";
      row_width += 2;
    }
    if (control == fallback && options_.colour) {
      item = std::string(kReverse) + item + std::string(kPlain);
    } else if (!reachable && options_.colour) {
      item = std::string(kDim) + item + std::string(kPlain);
    }
    row += item;
    row_width += width;
  }
  std::string hint =
      fallback != nullptr ? "Enter: " + WithoutMnemonic(fallback->caption) + ".  " : std::string();
  hint += "Esc or Ctrl-D: close.  help: commands.";
  return (row.empty() ? std::string() : row + "\n") + hint + "\n";
}

std::string TtyHost::Drawing(const Form& form, const Numbered& numbers) {
  const bool colour = options_.colour;
  std::string out = "\n" + std::string(colour ? kBold : "") +
                    "== " + WithoutMnemonic(form.caption) +
                    " ==" + std::string(colour ? kPlain : "") + "\n";
  std::vector<const Control*> shown;
  for (const ControlRef& ref : form.AllControls()) {
    if (form.IsShown(*ref.control)) shown.push_back(ref.control);
  }
  auto numbered = [&](const Control& control, const std::string& line) {
    const int number = numbers.NumberOf(control);
    return (number > 0 ? "[" + std::to_string(number) + "] " : std::string()) + line;
  };
  for (size_t i = 0; i < shown.size(); ++i) {
    const Control& control = *shown[i];
    switch (control.kind) {
      case ControlKind::kCommandButton:
      case ControlKind::kFrame:
      case ControlKind::kMenu:
      case ControlKind::kImage:
        break;
      case ControlKind::kLabel: {
        if (i + 1 < shown.size() && Beside(control, *shown[i + 1])) {
          const Control& field = *shown[++i];
          const std::string head = numbered(field, LabelText(control) + " ");
          out += head + Indented(FieldValue(field), static_cast<size_t>(text::Len(head))) + "\n";
        } else if (!text::Trim(control.caption).empty()) {
          out += Wrapped(WithoutMnemonic(control.caption), options_.columns) + "\n";
        }
        break;
      }
      case ControlKind::kBrowser: {
        const std::string rule(static_cast<size_t>(std::min(options_.columns, 72)), '-');
        out += rule + "\n" + PageText(control) + "\n" + rule + "\n";
        // The address on a line of its own, so a terminal can offer it as a link.
        out += (colour ? std::string(kDim) : "") + "(type \"open\" to see it in a browser)\n" +
               AddressOf(control) + (colour ? std::string(kPlain) : "") + "\n";
        break;
      }
      default: {
        const std::string head = numbered(control, "");
        out += head + Indented(FieldValue(control), static_cast<size_t>(text::Len(head))) + "\n";
        break;
      }
    }
  }
  return out + ButtonRow(form, numbers);
}

void TtyHost::Draw(const Form& form) {
  const Numbered numbers(form);
  const std::string drawing = Drawing(form, numbers);
  if (options_.page && options_.rows > 0 && LineCount(drawing) + 1 > options_.rows &&
      options_.pager && options_.pager(drawing)) {
    // The pager showed it all and is gone: keep the choices in sight for the answer.
    out_ << "(\"page\" shows the window again)\n" << ButtonRow(form, numbers);
    return;
  }
  out_ << drawing;
}

std::optional<ControlRef> TtyHost::Resolve(const Form& form, const std::string& ref) {
  if (ref.empty()) {
    out_ << "! name a control\n";
    return std::nullopt;
  }
  int number = 0;
  auto [end, ec] = std::from_chars(ref.data(), ref.data() + ref.size(), number);
  if (ec == std::errc() && end == ref.data() + ref.size()) {
    const Numbered numbers(form);
    if (number >= 1 && static_cast<size_t>(number) <= numbers.items.size()) {
      return numbers.items[static_cast<size_t>(number) - 1];
    }
    out_ << "! there is no control number " << ref << "\n";
    return std::nullopt;
  }
  const Control* control = form.Find(ref);
  if (control == nullptr) {
    out_ << "! " << form.name() << " has no control " << ref << "\n";
    return std::nullopt;
  }
  // The name as the model spells it, qualified for an embedded form's control.
  for (ControlRef& known : form.AllControls()) {
    if (known.control == control) return std::move(known);
  }
  return ControlRef{ref, control->container, control};
}

bool TtyHost::Click(Form& form, const ControlRef& control, const std::string& arg,
                    FormRecord& record) {
  const std::string name = control.name;
  try {
    form.CheckUserEvent(name, "Click", arg);
  } catch (const Error& error) {
    out_ << "! " << error.what() << "\n";
    return false;
  }
  record.events.push_back(name + ".Click" + (arg.empty() ? "" : " " + arg));
  try {
    form.Fire(name, "Click", arg);
  } catch (const std::exception& error) {
    out_ << "! error: " << error.what() << "\n";
  }
  return true;
}

void TtyHost::Dismiss(Form& form, FormRecord& record) {
  record.events.push_back("Close");
  form.Close();
}

bool TtyHost::RunCommand(Form& form, const std::string& line, FormRecord& record) {
  const std::string typed = text::Trim(line);
  if (typed.empty()) {
    const Control* fallback = DefaultButton(form);
    if (fallback == nullptr) {
      out_ << "! this window has no default button; type help\n";
      return false;
    }
    return Click(form, {fallback->name, fallback->container, fallback}, "", record);
  }
  if (IsEscape(typed)) {
    Dismiss(form, record);
    return true;
  }
  std::string rest = typed;
  const std::string command = TakeWord(rest);
  if (text::EqualsText(command, "help")) {
    out_ << kHelp;
    return false;
  }
  if (text::EqualsText(command, "page") && rest.empty()) {
    return true;
  }
  if (text::EqualsText(command, "close") && rest.empty()) {
    Dismiss(form, record);
    return true;
  }
  if (text::EqualsText(command, "open") && rest.empty()) {
    for (const ControlRef& ref : form.AllControls()) {
      const Control& control = *ref.control;
      if (control.kind != ControlKind::kBrowser || !form.IsShown(control)) continue;
      const std::string address = AddressOf(control);
      if (!options_.opener || !options_.opener(address)) {
        out_ << "Open this address in a browser: " << address << "\n";
      }
      return false;
    }
    out_ << "! this window shows no page\n";
    return false;
  }
  if (text::EqualsText(command, "list") && !rest.empty()) {
    const std::optional<ControlRef> ref = Resolve(form, text::Trim(rest));
    if (!ref) return false;
    const Control* control = ref->control;
    if (!IsList(control->kind)) {
      out_ << "! " << ref->name << " is no list\n";
      return false;
    }
    for (size_t i = 0; i < control->list.size(); ++i) {
      const bool selected = static_cast<int>(i) == control->list_index;
      out_ << (selected ? " * " : "   ") << i << "  " << control->list[i] << "\n";
    }
    out_ << "(select " << ref->name << " N picks entry N)\n";
    return false;
  }
  int number = 0;
  auto [end, ec] = std::from_chars(typed.data(), typed.data() + typed.size(), number);
  if (ec == std::errc() && end == typed.data() + typed.size()) {
    const std::optional<ControlRef> ref = Resolve(form, typed);
    if (!ref) return false;
    if (IsList(ref->control->kind)) return RunCommand(form, "list " + typed, record);
    if (ref->control->kind == ControlKind::kTextBox) {
      out_ << "(set " << typed << " TEXT changes it)\n";
      return false;
    }
    return Click(form, *ref, "", record);
  }
  std::string event;
  if (text::EqualsText(command, "click") || text::EqualsText(command, "select")) {
    event = "Click";
  } else if (text::EqualsText(command, "set")) {
    event = "Change";
  } else if (!text::EqualsText(command, "fire")) {
    // A button's caption, or the start of one.
    std::vector<ControlRef> matches;
    for (const ControlRef& button : Numbered(form).buttons) {
      const std::string caption = Matchable(*button.control);
      if (text::EqualsText(caption, typed) ||
          text::EqualsText(WithoutMnemonic(button.control->caption), typed)) {
        return Click(form, button, "", record);
      }
      if (text::StartsWithText(caption, typed) ||
          text::StartsWithText(button.control->caption, typed)) {
        matches.push_back(button);
      }
    }
    if (matches.size() == 1) return Click(form, matches.front(), "", record);
    if (matches.size() > 1) {
      out_ << "! \"" << typed << "\" could be";
      for (const ControlRef& button : matches)
        out_ << " \"" << WithoutMnemonic(button.control->caption) << "\"";
      out_ << "\n";
      return false;
    }
    out_ << "! unknown command " << command << "\n" << kHelp;
    return false;
  }
  const std::optional<ControlRef> control = Resolve(form, TakeWord(rest));
  if (!control) {
    return false;
  }
  if (event.empty()) {
    event = TakeWord(rest);
  }
  if (event.empty()) {
    out_ << "! name the event\n";
    return false;
  }
  // For "set" the rest is the new text as typed; the others take one word.
  const std::string arg = text::EqualsText(command, "set") ? rest : text::Trim(rest);
  const std::string name = control->name;
  try {
    form.CheckUserEvent(name, event, arg);
  } catch (const Error& error) {
    out_ << "! " << error.what() << "\n";
    return false;
  }
  record.events.push_back(name + "." + event + (arg.empty() ? "" : " " + arg));
  try {
    form.Fire(name, event, arg);
  } catch (const std::exception& error) {
    // The user's click is the entry point: report and keep the window up.
    out_ << "! error: " << error.what() << "\n";
  }
  return true;
}

void TtyHost::ShowForm(Form& form) {
  ModalShowing showing(showing_, form);
  FormRecord& record = showing.record();
  bool redraw = true;
  while (form.loaded()) {
    if (std::exchange(redraw, false)) {
      Draw(form);
    }
    out_ << form.name() << "> " << std::flush;
    std::string line;
    if (!ReadLine(line)) {
      out_ << "\n";
      record.defaulted = true;
      bool closed = false;
      try {
        closed = form.Close();
      } catch (const std::exception& error) {
        out_ << "! error: " << error.what() << "\n";
      }
      if (!closed) {
        form.ForceUnload(UnloadMode::kCloseBox);
        record.forced = true;
      }
      break;
    }
    try {
      redraw = RunCommand(form, line, record);
    } catch (const std::exception& error) {
      out_ << "! error: " << error.what() << "\n";
    }
  }
  showing.Finish(transcript_);
}

}  // namespace vellumo::ui
