// What the page draws: the stack of shown windows as JSON, and the documents their browser and
// image controls may load. Built on the model thread from the forms as they are now.
// Internal to web/.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/ui/form.h"
#include "web/web_server.h"

namespace vellumo::ui::web {

enum class WindowKind { kForm, kMsgBox, kInputBox };

// One element of the stack of shown windows, and how its showing ended.
struct Window {
  uint64_t id = 0;
  WindowKind kind = WindowKind::kForm;
  Form* form = nullptr;  // kForm
  std::string prompt;    // boxes
  std::string title;
  std::string default_text;  // input box
  int style = 0;             // message box

  bool finished = false;  // boxes: answered
  int answer = 0;         // message box
  std::string text;       // input box
  bool cancelled = false;
  bool defaulted = false;  // answered or closed for a browser that had gone
  uint64_t handled_absence = 0;
};

struct Snapshot {
  nlohmann::json stack = nlohmann::json::array();
  std::string title;  // the caption of the innermost window
  std::vector<DocEntry> docs;
};

// The windows not yet done, outermost first. Throws nothing the file system throws: a document
// that cannot be resolved is drawn missing.
Snapshot BuildSnapshot(const std::vector<Window*>& stack, FileSystem& fs);

// The answer a message box gives to Escape and to a browser that went away: Cancel when it has
// one, OK for OK only, No for a Yes/No question (nobody said yes), Abort for Abort/Retry/Ignore.
int EscapeAnswer(int style);
// Whether a user may close the box without choosing (Escape, the close button): only with a
// Cancel button or OK alone, as classic message boxes allow.
bool HasCloseAction(int style);

}  // namespace vellumo::ui::web
