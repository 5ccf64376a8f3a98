#include "platform/ui/transcript.h"

#include <nlohmann/json.hpp>
#include <utility>

#include "base/error.h"
#include "platform/ui/host.h"

namespace vellumo::ui {
namespace {

using Json = nlohmann::ordered_json;

std::string Line(const Json& record) {
  // Texts come from templates and users; bad UTF-8 must not cost the whole line.
  return record.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

bool HasValue(ControlKind kind) {
  return kind == ControlKind::kCheckBox || kind == ControlKind::kOptionButton ||
         kind == ControlKind::kProgressBar;
}

bool HasList(ControlKind kind) {
  return kind == ControlKind::kComboBox || kind == ControlKind::kListBox ||
         kind == ControlKind::kFileList || kind == ControlKind::kTabStrip;
}

Json ControlJson(const Control& control) {
  Json json;
  json["name"] = control.name;
  json["kind"] = std::string(ControlKindName(control.kind));
  json["caption"] = control.caption;
  json["text"] = control.text;
  if (HasValue(control.kind)) {
    json["value"] = control.value;
  }
  if (HasList(control.kind)) {
    json["list"] = control.list;
    json["list_index"] = control.list_index;
  }
  if (control.kind == ControlKind::kBrowser) {
    json["document"] = control.document;
  }
  json["enabled"] = control.enabled;
  return json;
}

}  // namespace

FormRecord FormRecord::Snapshot(const Form& form) {
  FormRecord record;
  record.name = form.name();
  record.caption = form.caption;
  for (const ControlRef& ref : form.AllControls()) {
    if (form.IsShown(*ref.control)) {
      Control shown = *ref.control;
      shown.name = ref.name;
      shown.container = ref.container;
      record.controls.push_back(std::move(shown));
    }
  }
  return record;
}

Transcript::Transcript(FileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}

void Transcript::MsgBox(std::string_view prompt, int style, std::string_view title, int answer,
                        bool defaulted) {
  Json json;
  json["kind"] = "msgbox";
  json["title"] = std::string(title);
  json["text"] = std::string(prompt);
  json["buttons"] = std::string(MsgBoxButtonsName(style));
  json["icon"] = std::string(MsgBoxIconName(style));
  json["answer"] = std::string(AnswerText(answer));
  if (defaulted) {
    json["defaulted"] = true;
  }
  Append(Line(json));
}

void Transcript::InputBox(std::string_view prompt, std::string_view title,
                          std::string_view default_text, std::string_view answer, bool cancelled,
                          bool defaulted) {
  Json json;
  json["kind"] = "inputbox";
  json["prompt"] = std::string(prompt);
  json["title"] = std::string(title);
  json["default"] = std::string(default_text);
  json["answer"] = std::string(answer);
  json["cancelled"] = cancelled;
  if (defaulted) {
    json["defaulted"] = true;
  }
  Append(Line(json));
}

void Transcript::FormShown(const FormRecord& record) {
  Json json;
  json["kind"] = "form";
  json["name"] = record.name;
  json["caption"] = record.caption;
  json["controls"] = Json::array();
  for (const auto& control : record.controls) {
    json["controls"].push_back(ControlJson(control));
  }
  json["events"] = record.events;
  json["unload"] = record.unload == UnloadMode::kCode ? "code" : "closebox";
  json["defaulted"] = record.defaulted;
  if (!record.answer.empty()) {
    json["answer"] = record.answer;
  }
  if (record.forced) {
    json["forced"] = true;
  }
  Append(Line(json));
}

void Transcript::Append(const std::string& line) {
  try {
    fs_.AppendFile(path_, line);
  } catch (const Error& error) {
    // The log serves whoever checks the run afterwards; the run itself goes on unchanged.
    if (failures_++ == 0) {
      first_failure_ = error.what();
    }
  }
}

ModalShowing::ModalShowing(std::vector<const Form*>& showing, Form& form)
    : showing_(showing), form_(form) {
  for (const Form* shown : showing_) {
    if (shown == &form) {
      throw Error(ErrorCode::kInvalidCall, form.name() + " is already shown");
    }
  }
  form.Load();
  record_ = FormRecord::Snapshot(form);
  showing_.push_back(&form);
}

void ModalShowing::Finish(Transcript* transcript) {
  record_.unload = form_.unload_mode();
  record_.answer = form_.answer;
  if (transcript != nullptr) {
    transcript->FormShown(record_);
  }
}

}  // namespace vellumo::ui
