// TtyHost: the window layer on a terminal, for people running the programs by hand. Plain lines
// on out, answers read a line at a time from in:
//
//   message box   the title, the text and its buttons as choices ("[Y]es  [N]o"); the user types
//                 the letter or the word, Enter takes the default button (named after the
//                 choices: "(Enter: No)");
//   input box     the prompt; the typed line is the answer, Enter keeps the default text;
//   form          drawn as a person reads the window, in model order: the caption as a title; a
//                 label followed by its field on one line ("Subject: Harbour lanterns"); a text
//                 box as its text; a combo or list box as its selected entry; a check box as
//                 "[x] caption"; a browser control as the title and rendered text of its page
//                 (HtmlToText, wrapped to the width) with how to open it elsewhere; a tab strip
//                 as its tabs, numbered for "select", the chosen one bracketed; the command
//                 buttons as one numbered row of their captions ("&" mnemonics dropped, the
//                 default button marked, disabled ones marked and not numbered). Fields a person
//                 can change are numbered after the buttons. Hidden controls are left out. The
//                 controls of embedded forms are drawn in place (Form::AllControls) and named
//                 by their qualified names.
//
// A form reads commands, and is redrawn after each one that changed something:
//     N or a caption      clicks button N / the button whose caption starts so (any case, must
//                         be unique); a numbered check box toggles, a numbered list is listed
//     (empty line)        clicks the default button: Form::default_button, else the first
//                         shown, enabled button that is not a cancel one (as the web layer)
//     escape, Esc, end of input (Ctrl-D)
//                         the close box (a window's cancel); forced unloaded when QueryUnload
//                         keeps refusing at the end of input
//     list C              every entry of a combo or list box
//     open                how to see the page in a browser (runs the opener when there is one)
//     page                draws the window again (after the pager has gone)
//     click C [ARG] | set C TEXT | select C N | fire C EVENT [ARG] | close | help
//                         the script language: C is a control name or a drawn number.
// A command that does not fit prints why; a failing handler prints its error and the form stays.
//
// Colour (bold title, marked default) only when TtyOptions::colour; the pager only when
// TtyOptions::page and a drawing is taller than TtyOptions::rows.
#pragma once

#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/ui/host.h"
#include "platform/ui/transcript.h"
#include "tty/tty_text.h"

namespace vellumo::ui {

struct TtyOptions {
  FileSystem* fs = nullptr;  // reads a browser control's page; null shows only its address
  int columns = 80;          // text is wrapped to this width
  int rows = 0;              // the screen's height; 0 never pages
  bool colour = false;       // ANSI bold / reverse; main() clears it for NO_COLOR or a pipe
  bool page = false;         // both ends are a terminal: a long drawing goes through the pager
  // Shows a long drawing a screen at a time (the real one pipes it to $PAGER or "less -R");
  // returns false when it could not, and the drawing is written to out instead.
  std::function<bool(const std::string& text)> pager{};
  // Opens an address in a graphical browser; null (no display) prints the address only.
  std::function<bool(const std::string& address)> opener{};
};

class TtyHost : public Host {
 public:
  // in, out, transcript (which may be null) and options.fs must outlive the host.
  TtyHost(std::istream& in, std::ostream& out, Transcript* transcript = nullptr,
          TtyOptions options = {});

  int MsgBox(std::string_view prompt, int style, std::string_view title) override;
  std::string InputBox(std::string_view prompt, std::string_view title,
                       std::string_view default_text) override;
  // Throws Error(kInvalidCall) when form is already being shown.
  void ShowForm(Form& form) override;

 private:
  struct Numbered;                   // the numbers of the drawn buttons and fields
  bool ReadLine(std::string& line);  // false at the end of input
  void Draw(const Form& form);
  std::string Drawing(const Form& form, const Numbered& numbers);
  std::string ButtonRow(const Form& form, const Numbered& numbers);
  std::string PageText(const Control& browser);
  // Runs one typed line; true when the form should be redrawn.
  bool RunCommand(Form& form, const std::string& line, FormRecord& record);
  bool Click(Form& form, const ControlRef& control, const std::string& arg, FormRecord& record);
  void Dismiss(Form& form, FormRecord& record);
  // The control a command names, by (qualified) name or by its drawn number; nullopt (after
  // saying why) when there is none.
  std::optional<ControlRef> Resolve(const Form& form, const std::string& ref);

  std::istream& in_;
  std::ostream& out_;
  Transcript* transcript_;
  TtyOptions options_;
  std::vector<const Form*> showing_;
};

// The command button Enter presses on form: none when no_default_button, its default_button
// when shown and enabled, else the first shown, enabled command button of the form itself whose
// name does not contain "cancel" and whose caption is not "Cancel"; nullptr when none.
const Control* DefaultButton(const Form& form);

}  // namespace vellumo::ui
