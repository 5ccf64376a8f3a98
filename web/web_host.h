// WebHost: the window layer in a browser. A local HTTP server on 127.0.0.1 (a port the system
// picks, started at the first box or form and kept for the host's life, so one tab serves every
// window in turn) and one generic page that draws whatever form model is shown. Message boxes and
// input boxes are dialogs in the same page. Calls nest as with every host: the page draws the
// stack of shown windows, only the innermost takes input.
//
// Threads: the forms belong to the caller's thread. While MsgBox, InputBox or ShowForm runs, that
// thread waits for events the HTTP threads queue, applies each (Form::CheckUserEvent, then
// Form::Fire, or the box's answer) and publishes a new snapshot; HTTP threads never touch a form.
//
// Protocol. Every address starts with a random token: http://127.0.0.1:PORT/TOKEN/...; a request
// without it (or with another Host than 127.0.0.1:PORT / localhost:PORT) gets 403 and nothing
// else. All answers carry "X-Content-Type-Options: nosniff" and "Cache-Control: no-store".
//   GET  /TOKEN/                 the page (strict Content-Security-Policy, no framing)
//   GET  /TOKEN/assets/window.js, window.css
//   GET  /TOKEN/state?since=V    the state; waits (up to half of gone_after, at most 25 s) while
//                                the version is still V. {"version":V,"title":…,"stack":[…]}
//                                with, innermost last,
//        {"id":N,"type":"form","name","caption","width","height","default" (Form::default_button),
//         "no_default" (Form::no_default_button),
//         "controls":[{"name","kind","caption","text","value","max","list","list_index","enabled",
//         "visible","shown","reachable","multiline","tooltip","container","embedded","left","top",
//         "width","height"} plus, for browser and image controls, "document" and "doc":{"kind":
//         "file"|"page"|"link"|"missing"|"none","src" (relative to /TOKEN/) or "href"}]}
//        The controls are Form::AllControls: an embedded form's controls follow their frame under
//        qualified names ("PropPage.txtPath", container qualified the same way) with "embedded"
//        true; "shown" and "reachable" count the frames that embed them. Events name them so.
//        {"id":N,"type":"msgbox","title","prompt","icon","buttons":[{"answer","caption"}],
//         "default","closable"}
//        {"id":N,"type":"inputbox","title","prompt","default_text","buttons","default","closable"}
//   POST /TOKEN/event            a JSON object naming the window it is meant for ("window":N):
//        {"window":N,"control":"cmdOK","event":"Click"[,"arg":"2"]}   a form's control
//        {"window":N,"close":true}       a form's close box; Escape / Cancel of a box
//        {"window":N,"geometry":{"left","top","width","height"}}   a form's outer position and
//            size in pixels (the page sends it when drawn, resized and closed; it may ride along
//            with "close"): the form's left, top, width and height in twips, then Form.Resize
//        {"window":N,"answer":"Yes"}     a message box button
//        {"window":N,"answer":"OK","text":"…"} or {"window":N,"answer":"Cancel"}   an input box
//     Answered once the event is applied: 200 {"done":true,"state":{…}}; or, when its handler
//     opened another window first, at once with "done":false (the page then draws the new
//     window). 400 {"error"} for a malformed event, 409 {"error"} for one the model refuses (a
//     disabled or hidden control, a window that is not the innermost, nothing shown; a geometry
//     alone for a window below the innermost is ignored with 200), 500 {"error"} when the
//     handler failed (the failure also leaves ShowForm), 503 while stopping.
//   POST /TOKEN/gone             the page's beacon on pagehide
//   GET  /TOKEN/doc/FORM/CONTROL/vVERSION/PATH   the control's current document (PATH its name)
//        or a file below the document's folder; 404 for anything outside it (after "..", "."
//        and symbolic links) or refused by may_serve. Sandboxed by Content-Security-Policy.
//   GET  /TOKEN/pages/NAME       a page shipped with the program ("vellumo:pages/NAME").
//
// A browser that has gone counts as the close box: after the beacon and close_grace without a
// new request (a reload comes back within it), or after gone_after without any request while a
// window is shown. Before the first request of any browser nothing counts as gone: the user may
// take their time to open the address. Then a form is closed through Form::Close (if QueryUnload
// refuses, it waits for a browser to come back), a message box answers as Escape would (Cancel when
// it has one, OK for OK only, No for a question, Abort for Abort/Retry/Ignore), an input box is
// cancelled; each is recorded in the transcript as defaulted. Windows shown while the browser is
// still gone get the same at once.
//
// Errors thrown by a form's handlers pass through ShowForm; the form stays loaded.
//
// The page (assets/) lays controls out in model order: a label followed by a field shares its row
// (with the fields and buttons designed on the same line to its right), frames are fieldsets
// holding their controls, a form's command buttons gather in a bar at the bottom, a browser control
// takes the remaining height. Tab follows model order. Enter presses a box's default button, and in
// a form (outside multi-line text, buttons and list boxes) its Form::default_button, else the first
// shown, enabled command button that is not a cancel one (name containing "cancel" or caption
// "Cancel") and not of an embedded form; none with Form::no_default_button. A form opens with the
// focus on its default button when it has one. F1 fires the form's KeyDown with "112". Escape is a
// form's close box and a box's Cancel (Yes/No and Abort/Retry/Ignore boxes have no close action).
// Menu controls are buttons in a bar at the top. A tab strip is a tab list (role "tablist", one
// "tab" button per entry, aria-selected on the chosen one, one Tab stop, arrow keys, Home and End
// move and choose); choosing a tab sends Click with its index.
// Hooks for browser tests: data-form="FORM" on a form, data-control="NAME" on every drawn control
// and on the document frame, data-box="msgbox"|"inputbox" on boxes, data-answer="Yes" on their
// buttons, data-box-text on an input box's field.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/ui/host.h"
#include "platform/ui/transcript.h"

namespace vellumo::ui {

namespace web {
class WebServer;
struct Window;
struct Incoming;
}  // namespace web

struct WebHostOptions {
  Transcript* transcript = nullptr;  // may be null; outlives the host
  // Called once, on the caller's thread, when the server listens, with the address to open
  // (http://127.0.0.1:PORT/TOKEN/).
  std::function<void(const std::string& address)> on_ready;
  // Whether a file (native absolute path, already normalised) may be served to a browser or
  // image control; null: none may.
  std::function<bool(const std::string& native_path)> may_serve;
  // Pages shipped with the program, served at /TOKEN/pages/NAME: NAME -> {content type, body}.
  // A browser control whose document is "vellumo:pages/NAME" shows that page.
  std::map<std::string, std::pair<std::string, std::string>> pages;
  // When a browser counts as gone (see above).
  std::chrono::milliseconds gone_after{20000};
  std::chrono::milliseconds close_grace{3000};
};

class WebHost : public Host {
 public:
  // fs resolves the documents of browser and image controls; it must outlive the host.
  WebHost(FileSystem& fs, WebHostOptions options);
  // Stops the server and its threads.
  ~WebHost() override;
  WebHost(const WebHost&) = delete;
  WebHost& operator=(const WebHost&) = delete;

  // Throw Error when the server cannot start, and (MsgBox) for a style without buttons.
  int MsgBox(std::string_view prompt, int style, std::string_view title) override;
  std::string InputBox(std::string_view prompt, std::string_view title,
                       std::string_view default_text) override;
  // Throws Error(kInvalidCall) when form is already being shown.
  void ShowForm(Form& form) override;

  // "" before the server started.
  std::string address() const;

 private:
  struct Running;  // an event whose handler is running, and whether its reply went out

  void EnsureServer();
  void Push(web::Window& window);
  void Pop();
  void Publish();
  // Pushes window, serves it until it is finished and pops it, also when that throws.
  void Show(web::Window& window, FormRecord* record);
  // Serves window until it is finished (a box answered, a form unloaded).
  void Loop(web::Window& window, FormRecord* record);
  void Apply(web::Window& window, FormRecord* record, const web::Incoming& event);
  void ApplyToForm(web::Window& window, FormRecord& record, const web::Incoming& event);
  void ApplyToBox(web::Window& window, const web::Incoming& event);
  void BrowserGone(web::Window& window, FormRecord* record);
  bool Finished(const web::Window& window) const;

  FileSystem& fs_;
  WebHostOptions options_;
  std::unique_ptr<web::WebServer> server_;
  std::vector<web::Window*> stack_;
  std::vector<Running*> running_;
  uint64_t next_window_ = 0;
};

}  // namespace vellumo::ui
