// Transcript: the UI log (VELLUMO_UI_LOG). One JSON line per message box, input box and form
// shown, appended to a file through FileSystem::AppendFile in one write, so that whole runs can
// be checked from outside and several processes may share one log.
//
//   {"kind":"msgbox","title":…,"text":…,"buttons":"YesNo","icon":"question","answer":"Yes"}
//     plus "defaulted":true when nobody answered and the default button was taken;
//   {"kind":"inputbox","prompt":…,"title":…,"default":…,"answer":…,"cancelled":false}
//     plus "defaulted":true when nobody answered;
//   {"kind":"form","name":…,"caption":…,"controls":[…],"events":["cmdOK.Click",…],
//    "unload":"code"|"closebox","defaulted":false} plus "forced":true when it had to be unloaded
//     without its consent, and "answer":… when the form gave one (Form::answer).
// A form's line is written when it unloads, so it follows the lines of the boxes and forms shown
// while it was up; its controls are those visible when it was shown, each
//   {"name","kind","caption","text","enabled"} plus "value" for check boxes, option buttons and
//   progress bars, "list" and "list_index" for combo, list, file-list boxes and tab strips,
//   "document" for browsers. The controls of embedded forms follow their frame, under qualified
//   names ("PropPage.txtPath").
//
// Writing never changes what the user sees: a failed append is counted and kept (failures(),
// first_failure()) instead of being thrown into the window layer. Text that is not valid UTF-8 is
// written with U+FFFD in place of the bad bytes. Not thread-safe.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/ui/form.h"

namespace vellumo::ui {

// What a form looked like when shown and how its showing went.
struct FormRecord {
  std::string name;
  std::string caption;
  std::vector<Control> controls;    // shown at show time, in AllControls order, qualified names
  std::vector<std::string> events;  // "CONTROL.EVENT [ARG]" as applied, "Close" for the close box
  UnloadMode unload = UnloadMode::kCloseBox;
  std::string answer;      // Form::answer when it unloaded
  bool defaulted = false;  // closed through the close box because the answers or input ran out
  bool forced = false;     // unloaded with ForceUnload after QueryUnload refused

  // name, caption and the shown controls of form (embedded ones included) as it is now.
  static FormRecord Snapshot(const Form& form);
};

class Transcript;

// One modal showing of a form by a host that keeps the stack of forms it shows: refuses a form
// that is already shown (kInvalidCall), loads the form, takes its record, and takes it off the
// stack however the showing ends. Finish() completes the record (unload mode, answer) and hands
// it to the transcript, when there is one.
class ModalShowing {
 public:
  ModalShowing(std::vector<const Form*>& showing, Form& form);
  ~ModalShowing() { showing_.pop_back(); }
  ModalShowing(const ModalShowing&) = delete;
  ModalShowing& operator=(const ModalShowing&) = delete;

  FormRecord& record() { return record_; }
  void Finish(Transcript* transcript);

 private:
  std::vector<const Form*>& showing_;
  Form& form_;
  FormRecord record_;
};

class Transcript {
 public:
  // Appends to path through fs; fs must outlive the transcript.
  Transcript(FileSystem& fs, std::string path);

  void MsgBox(std::string_view prompt, int style, std::string_view title, int answer,
              bool defaulted);
  void InputBox(std::string_view prompt, std::string_view title, std::string_view default_text,
                std::string_view answer, bool cancelled, bool defaulted);
  void FormShown(const FormRecord& record);

  const std::string& path() const { return path_; }
  int failures() const { return failures_; }
  const std::string& first_failure() const { return first_failure_; }

 private:
  void Append(const std::string& line);
  FileSystem& fs_;
  std::string path_;
  int failures_ = 0;
  std::string first_failure_;
};

}  // namespace vellumo::ui
