// Form: the model of one window. Named controls with their state, plus event handlers; all
// behaviour lives here, a renderer (ui::Host) only shows the controls and sends events back.
//
// Handlers are registered per control and event, with the classic names: On("cmdOK", "Click"),
// On("Form", "Load"), On("Form", "QueryUnload") (may set cancel), On("Form", "Unload"). Fire()
// first applies what the user did to the control's state (a click on a list item selects it, a
// change sets the text, a click on a check box toggles it), then runs the handler, so every
// renderer and every test drives a form the same way.
//
// Names of controls and events compare case-insensitively. A form is used on one thread only;
// handlers may fire further events, show other forms and unload their own form.
//
// Forms inside forms: a form may embed other forms in its frames (Embed), the way a dialog shows
// a page supplied by another component. The parent addresses a child's control by its qualified
// name, "CHILD.CONTROL" (CHILD the child form's name()), nested children composing ("A.B.ctl");
// Find, operator[], Fire, CheckUserEvent, IsShown, IsReachable and AllControls all accept them.
// The parent does not own its children and never loads or unloads them: whoever embeds a form
// runs its lifecycle. A form forgets its children and its parent when either is destroyed.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo::ui {

enum class ControlKind {
  kLabel,
  kTextBox,
  kCheckBox,
  kOptionButton,
  kComboBox,
  kListBox,
  kCommandButton,
  kFrame,
  kProgressBar,
  kImage,
  kBrowser,   // shows an HTML document (document = a file path or an address)
  kFileList,  // a list of file names of folder matching pattern
  kMenu,
  kTabStrip,  // tabs: list = the captions, list_index = the selected tab
};

std::string_view ControlKindName(ControlKind kind);  // "label", "textbox", ...

// Plain data; every member has a default, so designated initializers may name just what they set:
// Control{.name = "cmdOK", .kind = ControlKind::kCommandButton, .caption = "OK"}.
struct Control {
  std::string name{};
  ControlKind kind = ControlKind::kLabel;
  std::string caption{};
  std::string text{};
  int value = 0;                    // check box 0/1, option button 0/1, progress bar position
  int max = 100;                    // progress bar range
  std::vector<std::string> list{};  // combo, list and file-list boxes
  int list_index = -1;              // classic ListIndex: 0-based, -1 none
  bool enabled = true;
  bool visible = true;
  bool multiline = false;
  std::string tooltip{};
  std::string tag{};
  std::string container{};  // name of the frame holding it; "" for the form itself
  std::string document{};   // browser: file path or address; image: picture file
  std::string folder{};     // file list: the folder listed
  std::string pattern{};    // file list: "*.htm"
  int left = 0, top = 0, width = 0, height = 0;  // twips
};

// A control of a form's design as one line of a table, so a form's design is data:
//   {"cmdClose", kCommandButton, "Close", "5009", "2003", 8000, 5400, 900, 375},
// Tag and tool tip hold the caption-table entries the form's captions come from.
enum ControlFlags : unsigned { kHidden = 1, kDisabled = 2, kMultiline = 4 };
struct ControlDesign {
  std::string_view name;
  ControlKind kind;
  std::string_view caption;
  std::string_view tag;
  std::string_view tooltip;
  int left, top, width, height;  // twips
  unsigned flags = 0;            // ControlFlags
  std::string_view container{};  // the frame holding it; "" for the form itself
};

enum class UnloadMode { kCloseBox = 0, kCode = 1 };

struct Event {
  std::string arg{};    // what the renderer sent with the event (list index, new text, ...)
  bool cancel = false;  // QueryUnload: set to keep the form open
  UnloadMode mode = UnloadMode::kCode;  // QueryUnload / Unload: why it is unloading
};

// A control as a renderer reaches it from the form it shows: its own controls and those of the
// embedded forms.
struct ControlRef {
  std::string name;       // qualified for a child's control: "PropPage.txtPath"
  std::string container;  // the frame holding it, qualified the same way; "" for the form
  const Control* control = nullptr;
};

class Form {
 public:
  using Handler = std::function<void(Event&)>;

  explicit Form(std::string name);
  // Detaches this form from its parent and its children (none of them is destroyed).
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& name() const { return name_; }
  std::string caption;
  std::string tag;
  int left = 0, top = 0, width = 0, height = 0;  // twips
  // The command button that has the focus when the window opens and that Enter presses (the
  // classic Default button). "" lets a renderer take the first shown, enabled button of the form
  // itself (not of an embedded form) that is not a cancel one. A window that can send data names
  // its safe answer here.
  std::string default_button;
  // True for a window where Enter should press nothing (every button acts on data the person may
  // still be typing); default_button is then ignored.
  bool no_default_button = false;
  // How the person answered, for the UI log ("Yes", "Send"): set by the form's handlers; ""
  // when the form has no answer to give.
  std::string answer;

  // Design: adds a control; returns a stable reference. Throws Error(kInvalidCall) when the form
  // already has a control of that name (ignoring case).
  Control& Add(Control control);
  // Adds the controls of a design table in order (Add's errors).
  void AddControls(std::span<const ControlDesign> design);
  // Shows child's controls inside this form's frame control `frame` (a kFrame). REQUIRES: child
  // outlives this form's use of it (a destroyed child is forgotten, not dangling). Several
  // children may be embedded, each once: Error(kInvalidCall) when child is this form or one of
  // its parents, is embedded already (here or elsewhere), its name is empty, holds a '.' or is
  // the name of another child of this form; Error(kObjectNotSet) when there is no such frame.
  void Embed(Form& child, std::string_view frame);
  // The form this one is embedded in, or nullptr.
  const Form* parent() const { return parent_; }

  // Every control a renderer draws: the own controls in model order, each embedding frame
  // followed at once by its children's controls (recursively) under qualified names. A child's
  // top-level control is held by the parent's frame; nested containers are qualified.
  std::vector<ControlRef> AllControls() const;

  // The named control, own or (qualified) of an embedded form; throws Error(kObjectNotSet)
  // naming it when there is none.
  Control& operator[](std::string_view name);
  const Control& operator[](std::string_view name) const;
  Control* Find(std::string_view name);  // nullptr when absent
  const Control* Find(std::string_view name) const;
  std::deque<Control>& controls() { return controls_; }
  const std::deque<Control>& controls() const { return controls_; }

  void On(std::string_view control, std::string_view event, Handler handler);
  bool HasHandler(std::string_view control, std::string_view event) const;

  // Applies the event to the control's state, then runs its handler (if any). Throws Error for
  // an unknown control or an argument that does not fit (a list index out of range).
  //   Click on a combo, list or file-list box with arg: selects entry arg (0-based): list_index
  //     and text follow. Without arg only the handler runs.
  //   Click on a check box: toggles value 0/1; arg "0" or "1" sets it instead.
  //   Click on an option button: value 1, and 0 for the other option buttons of its container.
  //   Click on a tab strip with arg: selects tab arg, as a list box does.
  //   Change on a text or combo box: text becomes arg (a combo selects the entry equal to it,
  //     else list_index -1).
  // A qualified name goes to the child's Fire with the rest of the name (so the child's own
  // handlers and option groups apply); then this form's on_change runs. "CHILD.Form" fires the
  // child's form-level handler.
  // The control name "Form" fires a form-level handler ("Form.Click"); the lifecycle events
  // Load, QueryUnload and Unload go through Load()/Unload()/Close() only (kInvalidCall).
  // on_change runs after each Fire, also when the handler threw.
  void Fire(std::string_view control, std::string_view event, std::string_view arg = {});

  // Throws the Error Fire would throw for these arguments before running any handler, and also
  // when a user could not send the event: the control, or a frame holding it, is hidden or
  // disabled. Changes nothing. Renderers call it before Fire for what a user did. A child's
  // control is refused also when the frame embedding the child (or one holding that frame) is
  // hidden or disabled.
  void CheckUserEvent(std::string_view control, std::string_view event,
                      std::string_view arg = {}) const;
  // True when the control and every frame holding it are visible (and, for IsReachable, also
  // enabled). For a control of an embedded form (known by its address) the frames that embed it
  // count too.
  bool IsShown(const Control& control) const;
  bool IsReachable(const Control& control) const;

  // Lifecycle. Load runs "Form.Load" once per loading; a form unloaded before can be loaded
  // again and keeps its controls' state (Load handlers set what they need). Unload (from code)
  // and Close (the close box) run "Form.QueryUnload" and "Form.Unload" with the mode; either
  // handler setting cancel keeps the form loaded, from code as from the close box. After that
  // the form is unloaded and a modal Show returns. Both return false when cancelled; on a form
  // that is not loaded they do nothing and return true. Calls made while the form is already
  // unloading (a handler unloading its own form) do nothing and return false.
  void Load();
  bool Unload();
  bool Close();
  // Unloads without running any handler and without a way to cancel: for a renderer that can no
  // longer reach the user (answers or input ran out) while QueryUnload keeps refusing.
  void ForceUnload(UnloadMode mode);
  bool loaded() const { return loaded_; }
  bool unloaded() const { return unloaded_; }
  UnloadMode unload_mode() const { return unload_mode_; }

  // Set by a renderer to be told when the model changed and must be redrawn.
  std::function<void()> on_change;

 private:
  bool RunUnload(UnloadMode mode);
  void RunHandler(std::string_view control, std::string_view event, Event& event_data);
  Control* FindOwn(std::string_view name);
  const Control* FindOwn(std::string_view name) const;
  // Throws what Fire throws before it changes any state.
  void CheckFire(std::string_view control, std::string_view event, std::string_view arg) const;
  // Whether control is one of this form's own controls (by address).
  bool OwnsDirectly(const Control& control) const;
  // The embedded form a qualified name starts with, and the rest of the name.
  struct Route {
    Form* child = nullptr;
    std::string_view rest;
  };
  Route RouteOf(std::string_view name) const;
  // Walks the frame chain of an own control; reachable also asks for enabled frames.
  bool ChainOpen(const Control& control, bool reachable) const;
  // Shown (reachable) for a control of this form or of an embedded one; nullopt when it is
  // neither.
  std::optional<bool> OpenIfOwned(const Control& control, bool reachable) const;

  struct Child {
    Form* form;
    std::string frame;
  };
  std::string name_;
  std::deque<Control> controls_;
  std::map<std::string, Handler> handlers_;  // "control.event", folded
  std::vector<Child> children_;              // in embedding order
  Form* parent_ = nullptr;
  bool loaded_ = false;
  bool unloaded_ = false;
  bool unloading_ = false;
  UnloadMode unload_mode_ = UnloadMode::kCode;
};

}  // namespace vellumo::ui
