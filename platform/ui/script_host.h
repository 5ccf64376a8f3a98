// ScriptHost: the window layer for tests and unattended runs. Every answer comes from a script,
// one line each, taken in order as the boxes and forms ask for them (VELLUMO_ANSWERS):
//
//   message box   a button text allowed by its style: OK, Cancel, Abort, Retry, Ignore, Yes, No
//   input box     "text: VALUE" (VALUE may be empty), "OK" (keep the default text) or "Cancel"
//   form          "FORM.CONTROL.EVENT [ARGUMENT]" (frmBrowser.cboTemplates.Click 2,
//                 frmWizard.txtEmail.Change a@example.com), or "FORM.Close" for its close box;
//                 applied in order while the form is loaded. CONTROL may be the qualified name
//                 of an embedded form's control (frmOptions.PropPage.txtPath.Change C:\x): the
//                 form is the first segment, the event the last one before the blank. Handlers
//                 that open boxes or forms take the lines that follow.
//
// Words compare ignoring case; the argument is the rest of the line after one blank, kept as
// written. Blank lines and lines starting with '#' are skipped. A line that does not fit what is
// being shown is a mistake in the script: Error naming the script, the line number and what was
// expected, never a guess. When the script has run out, a message box takes its default button,
// an input box is cancelled and a form is closed through its close box (forced unloaded when its
// QueryUnload refuses); each is recorded as defaulted.
//
// Errors thrown by a form's handlers pass through ShowForm; the form stays loaded.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/ui/host.h"
#include "platform/ui/transcript.h"

namespace vellumo::ui {

// The lines of a script, and the name used for it in errors.
struct ScriptAnswers {
  std::string source;
  std::vector<std::string> lines;

  // Lines end at CR LF, CR or LF; text that is not UTF-8 is read as Windows-1252.
  static ScriptAnswers Parse(std::string_view text, std::string source);
  // The file at path, read once; an empty path gives no answers. Throws the file system's Error.
  static ScriptAnswers Load(FileSystem& fs, std::string_view path);
};

class ScriptHost : public Host {
 public:
  // transcript may be null; it must outlive the host.
  explicit ScriptHost(ScriptAnswers answers, Transcript* transcript = nullptr);
  ScriptHost(FileSystem& fs, std::string_view answers_path, Transcript* transcript = nullptr);

  int MsgBox(std::string_view prompt, int style, std::string_view title) override;
  std::string InputBox(std::string_view prompt, std::string_view title,
                       std::string_view default_text) override;
  // Throws Error(kInvalidCall) when form is already being shown.
  void ShowForm(Form& form) override;

  // Script lines not yet taken (blank and comment lines excluded).
  [[nodiscard]] size_t remaining() const;

 private:
  // Index of the next answer line, or lines.size() when none is left.
  size_t NextLine() const;
  [[noreturn]] void Mismatch(size_t line, std::string_view expected) const;
  void RunForm(Form& form, FormRecord& record);

  ScriptAnswers answers_;
  size_t next_ = 0;
  Transcript* transcript_;
  std::vector<const Form*> showing_;
};

}  // namespace vellumo::ui
