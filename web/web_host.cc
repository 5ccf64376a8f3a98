#include "web/web_host.h"

#include <optional>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "web/web_server.h"
#include "web/web_snapshot.h"

namespace vellumo::ui {
namespace {

using Json = nlohmann::json;
using web::Window;
using web::WindowKind;

constexpr int64_t kTwipsPerPixel = 15;

// An event the model will not apply; the page is told why and nothing changed.
struct Refusal {
  int status;
  std::string message;
};

std::string StringField(const Json& body, const char* name) {
  const auto field = body.find(name);
  if (field == body.end() || !field->is_string()) {
    throw Refusal{400, std::string("the event has no text field \"") + name + "\""};
  }
  return field->get<std::string>();
}

// The page's outer size and position in CSS pixels, as twips (15 to the pixel at 96 dpi).
struct Geometry {
  int left, top, width, height;
};

std::optional<Geometry> GeometryOf(const Json& body) {
  const auto field = body.find("geometry");
  if (field == body.end()) {
    return std::nullopt;
  }
  constexpr int64_t kLimit = 100000;  // pixels; far beyond any screen
  auto pixels = [&](const char* name, int64_t low) {
    const auto value = field->is_object() ? field->find(name) : field->end();
    if (value == field->end() || !value->is_number_integer() || value->get<int64_t>() < low ||
        value->get<int64_t>() > kLimit) {
      throw Refusal{400, std::string("\"geometry\" needs a whole number of pixels \"") + name +
                             "\" from " + std::to_string(low) + " to " + std::to_string(kLimit)};
    }
    return static_cast<int>(value->get<int64_t>() * kTwipsPerPixel);
  };
  return Geometry{pixels("left", -kLimit), pixels("top", -kLimit), pixels("width", 0),
                  pixels("height", 0)};
}

bool WantsClose(const Json& body) {
  const auto field = body.find("close");
  if (field == body.end()) {
    return false;
  }
  if (!field->is_boolean()) {
    throw Refusal{400, "\"close\" is true or false"};
  }
  return field->get<bool>();
}

}  // namespace

struct WebHost::Running {
  uint64_t id = 0;
  bool replied = false;
};

WebHost::WebHost(FileSystem& fs, WebHostOptions options) : fs_(fs), options_(std::move(options)) {}

WebHost::~WebHost() = default;

std::string WebHost::address() const { return server_ ? server_->address() : ""; }

void WebHost::EnsureServer() {
  if (server_) {
    return;
  }
  web::ServerOptions server_options;
  server_options.may_serve = options_.may_serve;
  server_options.pages = options_.pages;
  server_options.gone_after = options_.gone_after;
  server_options.close_grace = options_.close_grace;
  auto server = std::make_unique<web::WebServer>(std::move(server_options));
  server->Start();
  server_ = std::move(server);
  Publish();
  if (options_.on_ready) {
    options_.on_ready(server_->address());
  }
}

void WebHost::Publish() {
  web::Snapshot snapshot = web::BuildSnapshot(stack_, fs_);
  server_->Publish(std::move(snapshot.stack), std::move(snapshot.title), std::move(snapshot.docs));
}

void WebHost::Push(Window& window) {
  window.id = ++next_window_;
  stack_.push_back(&window);
  server_->SetShowing(true);
  Publish();
  // The handlers that opened this window are still running: their pages get an answer now, so
  // they can draw the new window and send its events.
  for (Running* running : running_) {
    if (!running->replied) {
      server_->Reply(running->id, 200, "", false);
      running->replied = true;
    }
  }
}

void WebHost::Pop() {
  stack_.pop_back();
  server_->SetShowing(!stack_.empty());
  Publish();
}

bool WebHost::Finished(const Window& window) const {
  return window.kind == WindowKind::kForm ? !window.form->loaded() : window.finished;
}

int WebHost::MsgBox(std::string_view prompt, int style, std::string_view title) {
  MsgBoxButtons(style);  // throws for a style without buttons, before anything is shown
  EnsureServer();
  Window window;
  window.kind = WindowKind::kMsgBox;
  window.prompt = std::string(prompt);
  window.title = std::string(title);
  window.style = style;
  Show(window, nullptr);
  if (options_.transcript) {
    options_.transcript->MsgBox(prompt, style, title, window.answer, window.defaulted);
  }
  return window.answer;
}

std::string WebHost::InputBox(std::string_view prompt, std::string_view title,
                              std::string_view default_text) {
  EnsureServer();
  Window window;
  window.kind = WindowKind::kInputBox;
  window.prompt = std::string(prompt);
  window.title = std::string(title);
  window.default_text = std::string(default_text);
  Show(window, nullptr);
  if (options_.transcript) {
    options_.transcript->InputBox(prompt, title, default_text, window.text, window.cancelled,
                                  window.defaulted);
  }
  return window.text;
}

void WebHost::ShowForm(Form& form) {
  for (const Window* shown : stack_) {
    if (shown->form == &form) {
      throw Error(ErrorCode::kInvalidCall, form.name() + " is already shown");
    }
  }
  EnsureServer();
  form.Load();
  FormRecord record = FormRecord::Snapshot(form);
  Window window;
  window.kind = WindowKind::kForm;
  window.form = &form;
  // A handler that works for long (a search) tells its form's renderer what changed meanwhile:
  // the page is shown it at once, not only when the handler returns.
  std::function<void()> previous = form.on_change;
  form.on_change = [this, previous] {
    if (previous) previous();
    if (!running_.empty()) Publish();
  };
  struct Restore {
    Form& form;
    std::function<void()> previous;
    ~Restore() { form.on_change = std::move(previous); }
  } restore{form, previous};
  Show(window, &record);
  record.unload = form.unload_mode();
  record.answer = form.answer;
  if (options_.transcript) {
    options_.transcript->FormShown(record);
  }
}

void WebHost::Show(Window& window, FormRecord* record) {
  Push(window);
  try {
    Loop(window, record);
  } catch (...) {
    Pop();
    throw;
  }
  Pop();
}

void WebHost::Loop(Window& window, FormRecord* record) {
  while (!Finished(window)) {
    web::WebServer::Work work = server_->Next(window.handled_absence);
    if (!work.event) {
      window.handled_absence = work.absence;
      BrowserGone(window, record);
      Publish();
      continue;
    }
    Apply(window, record, *work.event);
  }
}

void WebHost::BrowserGone(Window& window, FormRecord* record) {
  switch (window.kind) {
    case WindowKind::kMsgBox:
      window.answer = web::EscapeAnswer(window.style);
      break;
    case WindowKind::kInputBox:
      window.text.clear();
      window.cancelled = true;
      break;
    case WindowKind::kForm:
      // A refusing QueryUnload keeps the form; it waits for a browser to come back.
      if (window.form->Close() && record) {
        record->defaulted = true;
      }
      return;
  }
  window.finished = true;
  window.defaulted = true;
}

void WebHost::Apply(Window& window, FormRecord* record, const web::Incoming& event) {
  Running running{event.id, false};
  running_.push_back(&running);
  struct PopRunning {
    std::vector<Running*>& running;
    ~PopRunning() { running.pop_back(); }
  } pop{running_};
  auto reply = [&](int status, const std::string& message) {
    if (!running.replied) {
      running.replied = true;
      server_->Reply(event.id, status, message, true);
    }
  };
  try {
    const auto target = event.body.find("window");
    if (target == event.body.end() || !target->is_number_unsigned()) {
      throw Refusal{400, "the event names no window"};
    }
    if (target->get<uint64_t>() != window.id) {
      // Where a form below the innermost window stands is news from a page that drew a state
      // already gone (a box opened meanwhile): nothing to apply, and nothing the person did wrong.
      if (GeometryOf(event.body) && !WantsClose(event.body) && !event.body.contains("control")) {
        reply(200, "");
        return;
      }
      throw Refusal{409, "window " + target->dump() + " is not the active window"};
    }
    if (window.kind == WindowKind::kForm) {
      ApplyToForm(window, *record, event);
    } else {
      ApplyToBox(window, event);
    }
  } catch (const Refusal& refusal) {
    reply(refusal.status, refusal.message);
    return;
  } catch (const std::exception& error) {
    Publish();
    reply(500, error.what());
    throw;
  } catch (...) {
    Publish();
    reply(500, "the handler failed");
    throw;
  }
  Publish();
  reply(200, "");
}

void WebHost::ApplyToForm(Window& window, FormRecord& record, const web::Incoming& event) {
  Form& form = *window.form;
  const bool close = WantsClose(event.body);
  if (const std::optional<Geometry> geometry = GeometryOf(event.body)) {
    // Where the person left the window is what it saves at unload (the preview's BrowserTop...).
    form.left = geometry->left;
    form.top = geometry->top;
    form.width = geometry->width;
    form.height = geometry->height;
    if (form.HasHandler("Form", "Resize")) {
      form.Fire("Form", "Resize");
    }
    if (!close && !event.body.contains("control")) {
      return;
    }
  }
  if (close) {
    record.events.push_back("Close");
    form.Close();
    return;
  }
  const std::string control = StringField(event.body, "control");
  const std::string name = StringField(event.body, "event");
  std::optional<std::string> arg;
  if (event.body.contains("arg")) {
    arg = StringField(event.body, "arg");
  }
  try {
    form.CheckUserEvent(control, name, arg.value_or(""));
  } catch (const Error& error) {
    throw Refusal{409, error.what()};
  }
  record.events.push_back(control + "." + name + (arg ? " " + *arg : ""));
  form.Fire(control, name, arg.value_or(""));
}

void WebHost::ApplyToBox(Window& window, const web::Incoming& event) {
  const bool close = WantsClose(event.body);
  if (window.kind == WindowKind::kMsgBox) {
    if (close) {
      if (!web::HasCloseAction(window.style)) {
        throw Refusal{409, "this message box has no close action; choose one of its buttons"};
      }
      window.answer = web::EscapeAnswer(window.style);
    } else {
      const std::string given = StringField(event.body, "answer");
      for (int button : MsgBoxButtons(window.style)) {
        if (text::EqualsText(given, AnswerText(button))) {
          window.answer = button;
        }
      }
      if (window.answer == 0) {
        throw Refusal{409, "'" + given + "' is not a button of this message box"};
      }
    }
    window.finished = true;
    return;
  }
  const std::string answer = close ? "Cancel" : StringField(event.body, "answer");
  if (text::EqualsText(answer, "Cancel")) {
    window.text.clear();
    window.cancelled = true;
  } else if (text::EqualsText(answer, "OK")) {
    window.text = StringField(event.body, "text");
  } else {
    throw Refusal{409, "'" + answer + "' is not a button of this input box"};
  }
  window.finished = true;
}

}  // namespace vellumo::ui
