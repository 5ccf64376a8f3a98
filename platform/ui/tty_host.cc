#include "platform/ui/tty_host.h"

#include <charconv>
#include <exception>
#include <utility>

#include "common/text/text.h"
#include "platform/error.h"

namespace vellumo::ui {
namespace {

constexpr std::string_view kHelp =
    "Commands: click C [ARG] | set C TEXT | select C N | fire C EVENT [ARG] | close | help\n"
    "  C is a control name or its number.\n";

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

std::string Shown(const Control& control) {
  switch (control.kind) {
    case ControlKind::kTextBox:
      return "[" + control.text + "]";
    case ControlKind::kCheckBox:
      return std::string(control.value ? "[x] " : "[ ] ") + control.caption;
    case ControlKind::kOptionButton:
      return std::string(control.value ? "(*) " : "( ) ") + control.caption;
    case ControlKind::kComboBox:
    case ControlKind::kListBox:
    case ControlKind::kFileList: {
      std::string shown = "[" + control.text + "]";
      for (size_t i = 0; i < control.list.size(); ++i) {
        const bool selected = static_cast<int>(i) == control.list_index;
        shown +=
            (i == 0 ? "  " : " | ") + std::to_string(i) + (selected ? "*" : ":") + control.list[i];
      }
      return shown;
    }
    case ControlKind::kCommandButton:
      return "<" + control.caption + ">";
    case ControlKind::kProgressBar:
      return std::to_string(control.value) + "/" + std::to_string(control.max);
    case ControlKind::kImage:
    case ControlKind::kBrowser:
      return control.document;
    case ControlKind::kLabel:
    case ControlKind::kFrame:
    case ControlKind::kMenu:
      break;
  }
  return control.caption;
}

std::vector<const Control*> ShownControls(const Form& form) {
  std::vector<const Control*> shown;
  for (const auto& control : form.controls()) {
    if (form.IsShown(control)) {
      shown.push_back(&control);
    }
  }
  return shown;
}

}  // namespace

TtyHost::TtyHost(std::istream& in, std::ostream& out, Transcript* transcript)
    : in_(in), out_(out), transcript_(transcript) {}

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
  out_ << "\n-- " << title << " --\n" << IconMark(style) << Indented(prompt, 0) << "\n";
  std::string choices;
  for (int button : buttons) {
    choices += Choice(button) + "  ";
  }
  choices += "(Enter: " + std::string(AnswerText(fallback)) + ")";
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

void TtyHost::Draw(const Form& form) {
  out_ << "\n== " << form.name() << ": " << form.caption << " ==\n";
  const std::vector<const Control*> shown = ShownControls(form);
  for (size_t i = 0; i < shown.size(); ++i) {
    const Control& control = *shown[i];
    std::string head = text::PadLeft(std::to_string(i + 1), 3) + "  " +
                       text::PadRight(control.name, 16) + " " +
                       text::PadRight(ControlKindName(control.kind), 13) + " ";
    out_ << head << Indented(Shown(control), static_cast<size_t>(text::Len(head)))
         << (control.enabled ? "" : "  (disabled)") << "\n";
  }
}

const Control* TtyHost::Resolve(const Form& form, const std::string& ref) {
  if (ref.empty()) {
    out_ << "! name a control\n";
    return nullptr;
  }
  int number = 0;
  auto [end, ec] = std::from_chars(ref.data(), ref.data() + ref.size(), number);
  if (ec == std::errc() && end == ref.data() + ref.size()) {
    const std::vector<const Control*> shown = ShownControls(form);
    if (number >= 1 && static_cast<size_t>(number) <= shown.size()) {
      return shown[number - 1];
    }
    out_ << "! there is no control number " << ref << "\n";
    return nullptr;
  }
  const Control* control = form.Find(ref);
  if (control == nullptr) {
    out_ << "! " << form.name() << " has no control " << ref << "\n";
  }
  return control;
}

void TtyHost::RunCommand(Form& form, const std::string& line, FormRecord& record) {
  std::string rest = line;
  const std::string command = TakeWord(rest);
  if (command.empty()) {
    return;
  }
  if (text::EqualsText(command, "help")) {
    out_ << kHelp;
    return;
  }
  if (text::EqualsText(command, "close")) {
    record.events.push_back("Close");
    form.Close();
    return;
  }
  std::string event;
  if (text::EqualsText(command, "click") || text::EqualsText(command, "select")) {
    event = "Click";
  } else if (text::EqualsText(command, "set")) {
    event = "Change";
  } else if (!text::EqualsText(command, "fire")) {
    out_ << "! unknown command " << command << "\n" << kHelp;
    return;
  }
  const Control* control = Resolve(form, TakeWord(rest));
  if (control == nullptr) {
    return;
  }
  if (event.empty()) {
    event = TakeWord(rest);
  }
  if (event.empty()) {
    out_ << "! name the event\n";
    return;
  }
  // For "set" the rest is the new text as typed; the others take one word.
  const std::string arg = text::EqualsText(command, "set") ? rest : text::Trim(rest);
  const std::string name = control->name;
  try {
    form.CheckUserEvent(name, event, arg);
  } catch (const Error& error) {
    out_ << "! " << error.what() << "\n";
    return;
  }
  record.events.push_back(name + "." + event + (arg.empty() ? "" : " " + arg));
  try {
    form.Fire(name, event, arg);
  } catch (const std::exception& error) {
    // The user's click is the entry point: report and keep the window up.
    out_ << "! error: " << error.what() << "\n";
  }
}

void TtyHost::ShowForm(Form& form) {
  for (const Form* shown : showing_) {
    if (shown == &form) {
      throw Error(ErrorCode::kInvalidCall, form.name() + " is already shown");
    }
  }
  form.Load();
  FormRecord record = FormRecord::Snapshot(form);
  showing_.push_back(&form);
  bool first = true;
  while (form.loaded()) {
    Draw(form);
    if (std::exchange(first, false)) {
      out_ << kHelp;
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
      RunCommand(form, line, record);
    } catch (const std::exception& error) {
      out_ << "! error: " << error.what() << "\n";
    }
  }
  showing_.pop_back();
  record.unload = form.unload_mode();
  record.answer = form.answer;
  if (transcript_) {
    transcript_->FormShown(record);
  }
}

}  // namespace vellumo::ui
