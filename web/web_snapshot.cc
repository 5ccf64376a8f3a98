#include "web/web_snapshot.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "base/error.h"
#include "base/text.h"
#include "platform/ui/host.h"

namespace vellumo::ui::web {
namespace {

using Json = nlohmann::json;

constexpr std::string_view kPagePrefix = "vellumo:pages/";

std::string DecodePercent(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && text::HexDigit(s[i + 1]) >= 0 &&
        text::HexDigit(s[i + 2]) >= 0) {
      out += static_cast<char>(text::HexDigit(s[i + 1]) * 16 + text::HexDigit(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

// A document names a file unless it is an address; "file://" addresses are files too.
std::string FilePathOf(std::string_view document) {
  if (text::StartsWithText(document, "file://")) {
    std::string path = DecodePercent(document.substr(7));
    if (text::StartsWithText(path, "localhost/")) {
      path.erase(0, 9);
    }
    // "file:///C:/x" names the drive path "C:/x".
    if (path.size() >= 3 && path[0] == '/' && std::isalpha(static_cast<unsigned char>(path[1])) &&
        path[2] == ':') {
      path.erase(0, 1);
    }
    return path;
  }
  return std::string(document);
}

// The page's view of a control's document, and the server's entry for a file.
Json DocJson(const Form& form, const ControlRef& ref, FileSystem& fs, std::vector<DocEntry>& docs) {
  const Control& control = *ref.control;
  const std::string_view document = control.document;
  if (document.empty() || text::EqualsText(document, "about:blank")) {
    return Json{{"kind", "none"}};
  }
  if (text::StartsWithText(document, kPagePrefix)) {
    return Json{{"kind", "page"},
                {"src", "pages/" + EncodeSegment(document.substr(kPagePrefix.size()))}};
  }
  if (text::StartsWithText(document, "http://") || text::StartsWithText(document, "https://")) {
    return Json{{"kind", "link"}, {"href", std::string(document)}};
  }
  std::string native;
  try {
    native = fs.NativePath(FilePathOf(document));
  } catch (const Error&) {
    // Not a path this system can resolve: drawn as a missing document, nothing is served.
    return Json{{"kind", "missing"}};
  }
  namespace stdfs = std::filesystem;
  std::error_code ec;
  const stdfs::path path(native);
  const auto status = stdfs::status(path, ec);
  if (ec || !stdfs::is_regular_file(status)) {
    return Json{{"kind", "missing"}};
  }
  const auto modified = stdfs::last_write_time(path, ec).time_since_epoch().count();
  const auto size = stdfs::file_size(path, ec);
  // Changes when the document or its file does, so the frame reloads then and only then.
  const size_t version = std::hash<std::string>{}(native + "\n" + std::to_string(modified) + "\n" +
                                                  std::to_string(size));
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016zx", version);
  docs.push_back({form.name(), ref.name, native});
  return Json{{"kind", "file"},
              {"src", "doc/" + EncodeSegment(form.name()) + "/" + EncodeSegment(ref.name) + "/v" +
                          hex + "/" + EncodeSegment(path.filename().string())}};
}

// A control as the page addresses it: an embedded form's control under its qualified name, and
// shown or reachable as the form drawn decides (its frames count too).
Json ControlJson(const Form& form, const ControlRef& ref, FileSystem& fs,
                 std::vector<DocEntry>& docs) {
  const Control& control = *ref.control;
  const bool shown = form.IsShown(control);
  Json json{{"name", ref.name},
            {"kind", std::string(ControlKindName(control.kind))},
            {"caption", control.caption},
            {"text", control.text},
            {"value", control.value},
            {"max", control.max},
            {"list", control.list},
            {"list_index", control.list_index},
            {"enabled", control.enabled},
            {"visible", control.visible},
            {"shown", shown},
            {"reachable", form.IsReachable(control)},
            {"multiline", control.multiline},
            {"tooltip", control.tooltip},
            {"container", ref.container},
            // An embedded form's control: never the form's fallback default button, and its
            // option buttons group with its own form's.
            {"embedded", ref.name != control.name},
            {"left", control.left},
            {"top", control.top},
            {"width", control.width},
            {"height", control.height}};
  if (control.kind == ControlKind::kBrowser || control.kind == ControlKind::kImage) {
    json["document"] = control.document;
    // Hidden controls load nothing, so nothing of theirs is served either.
    json["doc"] = shown ? DocJson(form, ref, fs, docs) : Json{{"kind", "none"}};
  }
  return json;
}

Json ButtonsJson(const std::vector<int>& answers) {
  Json buttons = Json::array();
  for (int answer : answers) {
    const std::string name(AnswerText(answer));
    buttons.push_back(Json{{"answer", name}, {"caption", name}});
  }
  return buttons;
}

Json WindowJson(const Window& window, FileSystem& fs, std::vector<DocEntry>& docs) {
  switch (window.kind) {
    case WindowKind::kForm: {
      const Form& form = *window.form;
      Json controls = Json::array();
      for (const ControlRef& ref : form.AllControls()) {
        controls.push_back(ControlJson(form, ref, fs, docs));
      }
      return Json{{"id", window.id},
                  {"type", "form"},
                  {"name", form.name()},
                  {"caption", form.caption},
                  {"width", form.width},
                  {"height", form.height},
                  {"default", form.no_default_button ? std::string() : form.default_button},
                  {"no_default", form.no_default_button},
                  {"controls", controls}};
    }
    case WindowKind::kMsgBox:
      return Json{{"id", window.id},
                  {"type", "msgbox"},
                  {"title", window.title},
                  {"prompt", window.prompt},
                  {"icon", std::string(MsgBoxIconName(window.style))},
                  {"buttons", ButtonsJson(MsgBoxButtons(window.style))},
                  {"default", std::string(AnswerText(MsgBoxDefault(window.style)))},
                  {"closable", HasCloseAction(window.style)}};
    case WindowKind::kInputBox:
      return Json{{"id", window.id},
                  {"type", "inputbox"},
                  {"title", window.title},
                  {"prompt", window.prompt},
                  {"default_text", window.default_text},
                  {"buttons", ButtonsJson({kOk, kCancel})},
                  {"default", "OK"},
                  {"closable", true}};
  }
  return Json::object();
}

}  // namespace

int EscapeAnswer(int style) {
  const std::vector<int> buttons = MsgBoxButtons(style);
  if (std::find(buttons.begin(), buttons.end(), kCancel) != buttons.end()) {
    return kCancel;
  }
  if (buttons.size() == 1) {
    return buttons.front();
  }
  if (std::find(buttons.begin(), buttons.end(), kNo) != buttons.end()) {
    return kNo;
  }
  // Abort/Retry/Ignore: stopping is the answer that does nothing more.
  return kAbort;
}

bool HasCloseAction(int style) {
  const std::vector<int> buttons = MsgBoxButtons(style);
  return buttons.size() == 1 || std::find(buttons.begin(), buttons.end(), kCancel) != buttons.end();
}

Snapshot BuildSnapshot(const std::vector<Window*>& stack, FileSystem& fs) {
  Snapshot snapshot;
  for (const Window* window : stack) {
    // A window that is done is not drawn, even before its call returns, so the answer to the
    // event that ended it already shows what comes next.
    const bool done =
        window->kind == WindowKind::kForm ? !window->form->loaded() : window->finished;
    if (done) {
      continue;
    }
    snapshot.stack.push_back(WindowJson(*window, fs, snapshot.docs));
    snapshot.title = window->kind == WindowKind::kForm ? window->form->caption : window->title;
  }
  return snapshot;
}

}  // namespace vellumo::ui::web
