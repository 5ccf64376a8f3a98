// ui::Host: the window layer. Message boxes, input boxes and modal forms, drawn by one of the
// renderers: script (answers from a file, for tests and unattended runs), tty (prompts on the
// terminal) or web (a local page in the browser). Every box and form shown is also written to
// the UI transcript when one is set (VELLUMO_UI_LOG).
//
// Implementations: ScriptHost (script_host.h), TtyHost (tty_host.h); MakeHost (host_factory.h)
// picks one. A host serves one thread; its calls nest (a form's handler may show a message box or
// another form, which returns before the handler goes on).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/form.h"

namespace vellumo::ui {

// Message box styles and answers, with their classic values; styles add up (kYesNo + kQuestion).
enum : int {
  kOkOnly = 0,
  kOkCancel = 1,
  kAbortRetryIgnore = 2,
  kYesNoCancel = 3,
  kYesNo = 4,
  kRetryCancel = 5,
  kCritical = 16,
  kQuestion = 32,
  kExclamation = 48,
  kInformation = 64,
  kDefaultButton2 = 256,
  kDefaultButton3 = 512,
};
enum Answer : int { kOk = 1, kCancel = 2, kAbort = 3, kRetry = 4, kIgnore = 5, kYes = 6, kNo = 7 };

// The buttons of a message box style, in the order shown (kYesNo: {kYes, kNo}). Throws
// Error(kInvalidCall) for a button style above kRetryCancel.
std::vector<int> MsgBoxButtons(int style);
// The answer a message box gives when nobody chooses: its first button, or the second / third
// with kDefaultButton2 / kDefaultButton3 when the style has that many (else the first).
int MsgBoxDefault(int style);
// "OK", "OKCancel", "AbortRetryIgnore", "YesNoCancel", "YesNo", "RetryCancel".
std::string_view MsgBoxButtonsName(int style);
// "critical", "question", "exclamation", "information", or "" without an icon.
std::string_view MsgBoxIconName(int style);
// The caption of an answer's button: "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No";
// "" for any other number.
std::string_view AnswerText(int answer);

class Host {
 public:
  virtual ~Host() = default;
  // Shows a message box; returns the answer (Answer).
  virtual int MsgBox(std::string_view prompt, int style, std::string_view title) = 0;
  // Shows an input box; returns the text, or "" when cancelled.
  virtual std::string InputBox(std::string_view prompt, std::string_view title,
                               std::string_view default_text) = 0;
  // Loads (when not yet loaded) and shows form modally; returns once it has unloaded.
  virtual void ShowForm(Form& form) = 0;
};

}  // namespace vellumo::ui
