#include "platform/ui/form.h"

#include <charconv>
#include <utility>

#include "base/error.h"
#include "base/text.h"

namespace vellumo::ui {
namespace {

constexpr std::string_view kFormControl = "Form";

struct KindName {
  ControlKind kind;
  std::string_view name;
};
constexpr KindName kKindNames[] = {
    {ControlKind::kLabel, "label"},
    {ControlKind::kTextBox, "textbox"},
    {ControlKind::kCheckBox, "checkbox"},
    {ControlKind::kOptionButton, "optionbutton"},
    {ControlKind::kComboBox, "combobox"},
    {ControlKind::kListBox, "listbox"},
    {ControlKind::kCommandButton, "commandbutton"},
    {ControlKind::kFrame, "frame"},
    {ControlKind::kProgressBar, "progressbar"},
    {ControlKind::kImage, "image"},
    {ControlKind::kBrowser, "browser"},
    {ControlKind::kFileList, "filelist"},
    {ControlKind::kMenu, "menu"},
    {ControlKind::kTabStrip, "tabstrip"},
};

std::string HandlerKey(std::string_view control, std::string_view event) {
  return text::FoldCase(control) + "." + text::FoldCase(event);
}

bool IsListKind(ControlKind kind) {
  return kind == ControlKind::kComboBox || kind == ControlKind::kListBox ||
         kind == ControlKind::kFileList || kind == ControlKind::kTabStrip;
}

bool IsLifecycleEvent(std::string_view event) {
  return text::EqualsText(event, "Load") || text::EqualsText(event, "QueryUnload") ||
         text::EqualsText(event, "Unload");
}

std::string Where(const Form& form, const Control& control) {
  return form.name() + "." + control.name;
}

// The entry a list click selects; throws when arg is not an index of the list.
int ListIndexOf(const Form& form, const Control& control, std::string_view arg) {
  int index = -1;
  auto [end, ec] = std::from_chars(arg.data(), arg.data() + arg.size(), index);
  if (ec != std::errc() || end != arg.data() + arg.size()) {
    throw Error(ErrorCode::kInvalidCall,
                Where(form, control) + ": '" + std::string(arg) + "' is not a list index");
  }
  if (index < 0 || static_cast<size_t>(index) >= control.list.size()) {
    throw Error(ErrorCode::kInvalidCall, Where(form, control) + ": no entry " +
                                             std::to_string(index) + " (the list has " +
                                             std::to_string(control.list.size()) + ")");
  }
  return index;
}

// Everything Fire refuses before it changes state.
void CheckState(const Form& form, const Control& control, std::string_view event,
                std::string_view arg) {
  if (!text::EqualsText(event, "Click") || arg.empty()) {
    return;
  }
  if (IsListKind(control.kind)) {
    ListIndexOf(form, control, arg);
  } else if (control.kind == ControlKind::kCheckBox && arg != "0" && arg != "1") {
    throw Error(
        ErrorCode::kInvalidCall,
        Where(form, control) + ": a check box is set with 0 or 1, not '" + std::string(arg) + "'");
  }
}

}  // namespace

std::string_view ControlKindName(ControlKind kind) {
  for (const auto& entry : kKindNames) {
    if (entry.kind == kind) {
      return entry.name;
    }
  }
  return "control";
}

Form::Form(std::string name) : name_(std::move(name)) {}

Form::~Form() {
  if (parent_ != nullptr) {
    std::erase_if(parent_->children_, [this](const Child& child) { return child.form == this; });
  }
  for (const Child& child : children_) {
    child.form->parent_ = nullptr;
  }
}

void Form::AddControls(std::span<const ControlDesign> design) {
  for (const ControlDesign& row : design) {
    Add({.name = std::string(row.name),
         .kind = row.kind,
         .caption = std::string(row.caption),
         .enabled = (row.flags & kDisabled) == 0,
         .visible = (row.flags & kHidden) == 0,
         .multiline = (row.flags & kMultiline) != 0,
         .tooltip = std::string(row.tooltip),
         .tag = std::string(row.tag),
         .container = std::string(row.container),
         .left = row.left,
         .top = row.top,
         .width = row.width,
         .height = row.height});
  }
}

Control& Form::Add(Control control) {
  if (FindOwn(control.name) != nullptr) {
    throw Error(ErrorCode::kInvalidCall,
                name_ + ": a control named " + control.name + " exists already");
  }
  controls_.push_back(std::move(control));
  return controls_.back();
}

Control* Form::FindOwn(std::string_view name) {
  for (auto& control : controls_) {
    if (text::EqualsText(control.name, name)) {
      return &control;
    }
  }
  return nullptr;
}

const Control* Form::FindOwn(std::string_view name) const {
  return const_cast<Form*>(this)->FindOwn(name);
}

Control* Form::Find(std::string_view name) {
  if (Control* own = FindOwn(name)) {
    return own;
  }
  const Route route = RouteOf(name);
  return route.child != nullptr ? route.child->Find(route.rest) : nullptr;
}

const Control* Form::Find(std::string_view name) const {
  return const_cast<Form*>(this)->Find(name);
}

Form::Route Form::RouteOf(std::string_view name) const {
  const size_t dot = name.find('.');
  if (dot == std::string_view::npos) {
    return {};
  }
  const std::string_view head = name.substr(0, dot);
  for (const Child& child : children_) {
    if (text::EqualsText(child.form->name(), head)) {
      return {child.form, name.substr(dot + 1)};
    }
  }
  return {};
}

void Form::Embed(Form& child, std::string_view frame) {
  const Control* holder = FindOwn(frame);
  if (holder == nullptr) {
    throw Error(ErrorCode::kObjectNotSet, name_ + " has no frame " + std::string(frame));
  }
  auto refuse = [&](const std::string& why) {
    throw Error(ErrorCode::kInvalidCall,
                name_ + ": cannot embed " + child.name() + " in " + holder->name + ": " + why);
  };
  if (holder->kind != ControlKind::kFrame) {
    refuse(holder->name + " is no frame");
  }
  for (const Form* up = this; up != nullptr; up = up->parent_) {
    if (up == &child) {
      refuse("a form cannot hold itself");
    }
  }
  if (child.parent_ != nullptr) {
    refuse("it is embedded in " + child.parent_->name() + " already");
  }
  if (child.name().empty() || child.name().find('.') != std::string::npos) {
    refuse("its name must be a word without '.'");
  }
  for (const Child& other : children_) {
    if (text::EqualsText(other.form->name(), child.name())) {
      refuse("another embedded form has that name");
    }
  }
  child.parent_ = this;
  children_.push_back({&child, holder->name});
}

std::vector<ControlRef> Form::AllControls() const {
  std::vector<ControlRef> all;
  all.reserve(controls_.size());
  for (const Control& control : controls_) {
    all.push_back({control.name, control.container, &control});
    for (const Child& child : children_) {
      if (!text::EqualsText(child.frame, control.name)) {
        continue;
      }
      const std::string prefix = child.form->name() + ".";
      for (ControlRef& inner : child.form->AllControls()) {
        inner.name = prefix + inner.name;
        inner.container = inner.container.empty() ? control.name : prefix + inner.container;
        all.push_back(std::move(inner));
      }
    }
  }
  return all;
}

Control& Form::operator[](std::string_view name) {
  if (Control* control = Find(name)) {
    return *control;
  }
  throw Error(ErrorCode::kObjectNotSet, name_ + " has no control " + std::string(name));
}

const Control& Form::operator[](std::string_view name) const {
  return (*const_cast<Form*>(this))[name];
}

void Form::On(std::string_view control, std::string_view event, Handler handler) {
  handlers_[HandlerKey(control, event)] = std::move(handler);
}

bool Form::HasHandler(std::string_view control, std::string_view event) const {
  return handlers_.count(HandlerKey(control, event)) != 0;
}

void Form::RunHandler(std::string_view control, std::string_view event, Event& event_data) {
  auto found = handlers_.find(HandlerKey(control, event));
  if (found == handlers_.end()) {
    return;
  }
  // A handler may replace handlers (or itself) while it runs; run a copy.
  Handler handler = found->second;
  handler(event_data);
}

void Form::CheckFire(std::string_view control, std::string_view event, std::string_view arg) const {
  if (const Control* target = FindOwn(control)) {
    CheckState(*this, *target, event, arg);
    return;
  }
  if (text::EqualsText(control, kFormControl)) {
    if (IsLifecycleEvent(event)) {
      throw Error(ErrorCode::kInvalidCall,
                  name_ + ": " + std::string(event) + " runs through Load/Unload, not Fire");
    }
    return;
  }
  const Route route = RouteOf(control);
  if (route.child == nullptr ||
      (route.child->Find(route.rest) == nullptr && !text::EqualsText(route.rest, kFormControl))) {
    throw Error(ErrorCode::kObjectNotSet, name_ + " has no control " + std::string(control));
  }
  route.child->CheckFire(route.rest, event, arg);
}

void Form::CheckUserEvent(std::string_view control, std::string_view event,
                          std::string_view arg) const {
  if (FindOwn(control) == nullptr) {
    if (text::EqualsText(control, kFormControl)) {
      if (IsLifecycleEvent(event)) {
        throw Error(ErrorCode::kInvalidCall,
                    name_ + ": " + std::string(event) + " is not an event a user can send");
      }
      return;
    }
    if (const Route route = RouteOf(control); route.child != nullptr) {
      for (const Child& child : children_) {
        if (child.form != route.child) {
          continue;
        }
        const Control* frame = FindOwn(child.frame);
        const std::string where = name_ + "." + std::string(control);
        if (frame == nullptr || !IsShown(*frame)) {
          throw Error(ErrorCode::kInvalidCall, where + " is hidden");
        }
        if (!IsReachable(*frame)) {
          throw Error(ErrorCode::kInvalidCall, where + " is disabled");
        }
      }
      CheckFire(control, event, arg);
      route.child->CheckUserEvent(route.rest, event, arg);
      return;
    }
  }
  const Control& target = (*this)[control];
  if (!IsShown(target)) {
    throw Error(ErrorCode::kInvalidCall, Where(*this, target) + " is hidden");
  }
  if (!IsReachable(target)) {
    throw Error(ErrorCode::kInvalidCall, Where(*this, target) + " is disabled");
  }
  CheckState(*this, target, event, arg);
}

bool Form::OwnsDirectly(const Control& control) const {
  for (const Control& own : controls_) {
    if (&own == &control) {
      return true;
    }
  }
  return false;
}

bool Form::ChainOpen(const Control& control, bool reachable) const {
  const Control* current = &control;
  // The depth bound stops a frame that names itself (or a cycle) as its container.
  for (size_t depth = 0; current != nullptr && depth <= controls_.size(); ++depth) {
    if (!current->visible || (reachable && !current->enabled)) {
      return false;
    }
    if (current->container.empty()) {
      return true;
    }
    current = FindOwn(current->container);
  }
  return current == nullptr;
}

std::optional<bool> Form::OpenIfOwned(const Control& control, bool reachable) const {
  if (OwnsDirectly(control)) {
    return ChainOpen(control, reachable);
  }
  for (const Child& child : children_) {
    if (const std::optional<bool> inside = child.form->OpenIfOwned(control, reachable)) {
      const Control* frame = FindOwn(child.frame);
      return *inside && frame != nullptr && ChainOpen(*frame, reachable);
    }
  }
  return std::nullopt;
}

bool Form::IsShown(const Control& control) const {
  // A control of no form here (a copy) is judged by its own container names, as before.
  return OpenIfOwned(control, false).value_or(ChainOpen(control, false));
}

bool Form::IsReachable(const Control& control) const {
  return OpenIfOwned(control, true).value_or(ChainOpen(control, true));
}

void Form::Fire(std::string_view control, std::string_view event, std::string_view arg) {
  Control* target = FindOwn(control);
  if (target == nullptr && !text::EqualsText(control, kFormControl)) {
    if (const Route route = RouteOf(control); route.child != nullptr) {
      CheckFire(control, event, arg);
      try {
        route.child->Fire(route.rest, event, arg);
      } catch (...) {
        if (on_change) {
          on_change();
        }
        throw;
      }
      if (on_change) {
        on_change();
      }
      return;
    }
  }
  Event event_data;
  event_data.arg = std::string(arg);
  if (target == nullptr && text::EqualsText(control, kFormControl)) {
    if (IsLifecycleEvent(event)) {
      throw Error(ErrorCode::kInvalidCall,
                  name_ + ": " + std::string(event) + " runs through Load/Unload, not Fire");
    }
  } else if (target == nullptr) {
    throw Error(ErrorCode::kObjectNotSet, name_ + " has no control " + std::string(control));
  } else {
    CheckState(*this, *target, event, arg);
    if (text::EqualsText(event, "Click")) {
      if (IsListKind(target->kind) && !arg.empty()) {
        target->list_index = ListIndexOf(*this, *target, arg);
        target->text = target->list[static_cast<size_t>(target->list_index)];
      } else if (target->kind == ControlKind::kCheckBox) {
        target->value = arg.empty() ? (target->value == 0 ? 1 : 0) : (arg == "1" ? 1 : 0);
      } else if (target->kind == ControlKind::kOptionButton) {
        for (auto& other : controls_) {
          if (other.kind == ControlKind::kOptionButton &&
              text::EqualsText(other.container, target->container)) {
            other.value = 0;
          }
        }
        target->value = 1;
      }
    } else if (text::EqualsText(event, "Change") &&
               (target->kind == ControlKind::kTextBox || target->kind == ControlKind::kComboBox)) {
      target->text = std::string(arg);
      if (target->kind == ControlKind::kComboBox) {
        target->list_index = -1;
        for (size_t i = 0; i < target->list.size(); ++i) {
          if (target->list[i] == arg) {
            target->list_index = static_cast<int>(i);
            break;
          }
        }
      }
    }
  }
  try {
    RunHandler(target ? std::string_view(target->name) : kFormControl, event, event_data);
  } catch (...) {
    // The state already changed; a renderer must redraw it even though the handler failed.
    if (on_change) {
      on_change();
    }
    throw;
  }
  if (on_change) {
    on_change();
  }
}

void Form::Load() {
  if (loaded_) {
    return;
  }
  loaded_ = true;
  unloaded_ = false;
  Event event_data;
  RunHandler(kFormControl, "Load", event_data);
}

bool Form::RunUnload(UnloadMode mode) {
  if (!loaded_) {
    return true;
  }
  if (unloading_) {
    return false;
  }
  unloading_ = true;
  try {
    Event query;
    query.mode = mode;
    RunHandler(kFormControl, "QueryUnload", query);
    bool cancelled = query.cancel;
    if (!cancelled) {
      Event unload;
      unload.mode = mode;
      RunHandler(kFormControl, "Unload", unload);
      cancelled = unload.cancel;
    }
    unloading_ = false;
    if (cancelled) {
      return false;
    }
  } catch (...) {
    // A failing handler leaves the form loaded, as a cancel would; the failure still propagates.
    unloading_ = false;
    throw;
  }
  loaded_ = false;
  unloaded_ = true;
  unload_mode_ = mode;
  return true;
}

bool Form::Unload() { return RunUnload(UnloadMode::kCode); }

bool Form::Close() { return RunUnload(UnloadMode::kCloseBox); }

void Form::ForceUnload(UnloadMode mode) {
  if (!loaded_) {
    return;
  }
  loaded_ = false;
  unloaded_ = true;
  unloading_ = false;
  unload_mode_ = mode;
}

}  // namespace vellumo::ui
