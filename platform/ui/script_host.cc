#include "platform/ui/script_host.h"

#include <utility>

#include "base/error.h"
#include "base/text.h"

namespace vellumo::ui {
namespace {

bool IsSkipped(std::string_view line) {
  const size_t first = line.find_first_not_of(" \t");
  return first == std::string_view::npos || line[first] == '#';
}

std::string_view TrimBlanks(std::string_view s) {
  const size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) {
    return {};
  }
  const size_t last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

// For error texts: a long prompt would bury the point of the message.
std::string Shorten(std::string_view s) {
  std::string one_line = text::Replace(text::Replace(s, "\r\n", " "), "\n", " ");
  if (text::Len(one_line) <= 60) {
    return one_line;
  }
  return text::Left(one_line, 57) + "...";
}

std::string ButtonList(int style) {
  std::string list;
  const std::vector<int> buttons = MsgBoxButtons(style);
  for (size_t i = 0; i < buttons.size(); ++i) {
    if (i > 0) {
      list += i + 1 == buttons.size() ? " or " : ", ";
    }
    list += AnswerText(buttons[i]);
  }
  return list;
}

// "FORM.CONTROL.EVENT [ARGUMENT]" or "FORM.Close", split into its parts. CONTROL may itself be
// qualified ("PropPage.txtPath"): the form is the first segment, the event the last.
struct EventLine {
  std::vector<std::string> parts;  // FORM, CONTROL..., EVENT (or FORM, "Close")
  std::string arg;
  bool has_arg = false;  // a blank follows the head, so an empty argument was meant
  bool IsClose() const { return parts.size() == 2 && text::EqualsText(parts[1], "Close"); }
  bool IsEvent() const {
    if (parts.size() < 3) {
      return false;
    }
    for (const auto& part : parts) {
      if (part.empty()) {
        return false;
      }
    }
    return true;
  }
  std::string Control() const {
    return text::Join(std::vector<std::string>(parts.begin() + 1, parts.end() - 1), ".");
  }
  const std::string& EventName() const { return parts.back(); }
};

EventLine ParseEventLine(std::string_view line) {
  line.remove_prefix(std::min(line.size(), line.find_first_not_of(" \t")));
  EventLine parsed;
  const size_t blank = line.find(' ');
  std::string_view head = line.substr(0, blank);
  if (blank != std::string_view::npos) {
    parsed.arg = std::string(line.substr(blank + 1));
    parsed.has_arg = true;
  }
  parsed.parts = text::Split(head, ".");
  return parsed;
}

}  // namespace

ScriptAnswers ScriptAnswers::Parse(std::string_view raw, std::string source) {
  ScriptAnswers answers;
  answers.source = std::move(source);
  const std::string decoded = text::DecodeFileText(raw);
  std::string_view rest = decoded;
  while (!rest.empty()) {
    const size_t end = rest.find_first_of("\r\n");
    answers.lines.emplace_back(rest.substr(0, end));
    if (end == std::string_view::npos) {
      break;
    }
    const size_t next = rest.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
    rest.remove_prefix(next);
  }
  return answers;
}

ScriptAnswers ScriptAnswers::Load(FileSystem& fs, std::string_view path) {
  if (path.empty()) {
    return ScriptAnswers{"(no answers)", {}};
  }
  return Parse(fs.ReadFile(path), std::string(path));
}

ScriptHost::ScriptHost(ScriptAnswers answers, Transcript* transcript)
    : answers_(std::move(answers)), transcript_(transcript) {}

ScriptHost::ScriptHost(FileSystem& fs, std::string_view answers_path, Transcript* transcript)
    : ScriptHost(ScriptAnswers::Load(fs, answers_path), transcript) {}

size_t ScriptHost::NextLine() const {
  size_t at = next_;
  while (at < answers_.lines.size() && IsSkipped(answers_.lines[at])) {
    ++at;
  }
  return at;
}

size_t ScriptHost::remaining() const {
  size_t count = 0;
  for (size_t at = next_; at < answers_.lines.size(); ++at) {
    if (!IsSkipped(answers_.lines[at])) {
      ++count;
    }
  }
  return count;
}

void ScriptHost::Mismatch(size_t line, std::string_view expected) const {
  throw Error(answers_.source + ":" + std::to_string(line + 1) + ": expected " +
              std::string(expected) + ", found '" + answers_.lines[line] + "'");
}

int ScriptHost::MsgBox(std::string_view prompt, int style, std::string_view title) {
  const std::vector<int> buttons = MsgBoxButtons(style);
  const size_t at = NextLine();
  int answer = 0;
  const bool defaulted = at == answers_.lines.size();
  if (defaulted) {
    answer = MsgBoxDefault(style);
  } else {
    const std::string_view given = TrimBlanks(answers_.lines[at]);
    for (int button : buttons) {
      if (text::EqualsText(given, AnswerText(button))) {
        answer = button;
      }
    }
    if (answer == 0) {
      Mismatch(at,
               "a message box answer (" + ButtonList(style) + ") for '" + Shorten(prompt) + "'");
    }
    next_ = at + 1;
  }
  if (transcript_) {
    transcript_->MsgBox(prompt, style, title, answer, defaulted);
  }
  return answer;
}

std::string ScriptHost::InputBox(std::string_view prompt, std::string_view title,
                                 std::string_view default_text) {
  const size_t at = NextLine();
  std::string answer;
  bool cancelled = false;
  const bool defaulted = at == answers_.lines.size();
  if (defaulted) {
    cancelled = true;
  } else {
    std::string_view line = answers_.lines[at];
    line.remove_prefix(line.find_first_not_of(" \t"));
    constexpr std::string_view kText = "text:";
    if (line.size() >= kText.size() && text::EqualsText(line.substr(0, kText.size()), kText)) {
      std::string_view value = line.substr(kText.size());
      if (!value.empty() && value.front() == ' ') {
        value.remove_prefix(1);
      }
      answer = std::string(value);
    } else if (text::EqualsText(TrimBlanks(line), "Cancel")) {
      cancelled = true;
    } else if (text::EqualsText(TrimBlanks(line), "OK")) {
      answer = std::string(default_text);
    } else {
      Mismatch(at,
               "an input box answer ('text: VALUE', OK or Cancel) for '" + Shorten(prompt) + "'");
    }
    next_ = at + 1;
  }
  if (transcript_) {
    transcript_->InputBox(prompt, title, default_text, answer, cancelled, defaulted);
  }
  return answer;
}

void ScriptHost::ShowForm(Form& form) {
  ModalShowing showing(showing_, form);
  RunForm(form, showing.record());
  showing.Finish(transcript_);
}

void ScriptHost::RunForm(Form& form, FormRecord& record) {
  while (form.loaded()) {
    const size_t at = NextLine();
    if (at == answers_.lines.size()) {
      record.defaulted = true;
      if (!form.Close()) {
        form.ForceUnload(UnloadMode::kCloseBox);
        record.forced = true;
      }
      return;
    }
    const EventLine line = ParseEventLine(answers_.lines[at]);
    if (!line.IsEvent() && !line.IsClose()) {
      Mismatch(at, "an event for " + form.name() + " (" + form.name() +
                       ".CONTROL.EVENT [ARGUMENT] or " + form.name() + ".Close)");
    }
    if (!text::EqualsText(line.parts[0], form.name())) {
      Mismatch(at, "an event for " + form.name() + ", which is shown now");
    }
    if (line.IsClose()) {
      next_ = at + 1;
      record.events.push_back("Close");
      form.Close();
      continue;
    }
    const std::string control = line.Control();
    try {
      form.CheckUserEvent(control, line.EventName(), line.arg);
    } catch (const Error& error) {
      throw Error(answers_.source + ":" + std::to_string(at + 1) + ": " + error.what());
    }
    next_ = at + 1;
    record.events.push_back(control + "." + line.EventName() +
                            (line.has_arg ? " " + line.arg : ""));
    form.Fire(control, line.EventName(), line.arg);
  }
}

}  // namespace vellumo::ui
