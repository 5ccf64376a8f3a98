// TtyHost: the window layer on a terminal, for people running the programs by hand. Plain lines
// on out, answers read a line at a time from in:
//
//   message box   the title, the text and its buttons as choices ("[Y]es  [N]o"); the user types
//                 the letter or the word, Enter takes the default button;
//   input box     the prompt; the typed line is the answer, Enter keeps the default text;
//   form          a numbered list of its visible controls with their captions, texts and values,
//                 redrawn after each command:
//                   click C [ARG]       a click (ARG: list entry, 0/1 for a check box)
//                   set C TEXT          the text of a text or combo box changes to TEXT
//                   select C N          entry N (0-based) of a combo or list box is clicked
//                   fire C EVENT [ARG]  any other event
//                   close               the close box
//                 C is a control name or its number in the list. A command that does not fit
//                 prints why; a failing handler prints its error and the form stays up.
//
// At the end of input a message box takes its default button, an input box is cancelled and a
// form is closed through its close box (forced unloaded when its QueryUnload refuses), each
// recorded as defaulted in the transcript.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ui/host.h"
#include "platform/ui/transcript.h"

namespace vellumo::ui {

class TtyHost : public Host {
 public:
  // in, out and transcript (which may be null) must outlive the host.
  TtyHost(std::istream& in, std::ostream& out, Transcript* transcript = nullptr);

  int MsgBox(std::string_view prompt, int style, std::string_view title) override;
  std::string InputBox(std::string_view prompt, std::string_view title,
                       std::string_view default_text) override;
  // Throws Error(kInvalidCall) when form is already being shown.
  void ShowForm(Form& form) override;

 private:
  bool ReadLine(std::string& line);  // false at the end of input
  void Draw(const Form& form);
  void RunCommand(Form& form, const std::string& line, FormRecord& record);
  // The control a command names, by name or by its number in the drawn list; nullptr (after
  // saying why) when there is none.
  const Control* Resolve(const Form& form, const std::string& ref);

  std::istream& in_;
  std::ostream& out_;
  Transcript* transcript_;
  std::vector<const Form*> showing_;
};

}  // namespace vellumo::ui
