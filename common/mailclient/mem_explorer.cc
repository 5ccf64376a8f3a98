#include "common/mailclient/mem_explorer.h"

#include <algorithm>
#include <utility>

#include "common/text/text.h"
#include "platform/error.h"

namespace vellumo::mail {
namespace {

void CallHook(const MemberHook& hook, std::string_view cls, std::string_view member) {
  if (hook) hook(std::string(cls) + "." + std::string(member));
}

[[noreturn]] void OutOfRange(std::string_view collection, int index) {
  throw Error(ErrorCode::kSubscriptOutOfRange,
              std::string(collection) + "(" + std::to_string(index) + ")");
}

class MemCommandBarControls final : public CommandBarControls {
 public:
  MemCommandBarControls(MemberHook hook, std::shared_ptr<MemCommandBar> bar)
      : hook_(std::move(hook)), bar_(std::move(bar)) {}

  int Count() override {
    CallHook(hook_, "CommandBarControls", "Count");
    return static_cast<int>(bar_->buttons().size());
  }
  std::shared_ptr<CommandBarButton> Item(int index) override {
    CallHook(hook_, "CommandBarControls", "Item");
    const auto& buttons = bar_->buttons();
    if (index < 1 || static_cast<size_t>(index) > buttons.size()) {
      OutOfRange("CommandBarControls", index);
    }
    return buttons[static_cast<size_t>(index) - 1];
  }
  std::shared_ptr<CommandBarButton> Add(ControlType type, bool temporary) override {
    CallHook(hook_, "CommandBarControls", "Add");
    if (type != ControlType::kButton) {
      throw Error(ErrorCode::kInvalidCall,
                  "control type " + std::to_string(static_cast<int>(type)));
    }
    return bar_->AddButton(temporary);
  }

 private:
  MemberHook hook_;
  std::shared_ptr<MemCommandBar> bar_;
};

}  // namespace

// MemCommandBarButton

MemCommandBarButton::MemCommandBarButton(MemberHook hook, std::weak_ptr<MemCommandBar> bar,
                                         bool temporary)
    : hook_(std::move(hook)), bar_(std::move(bar)), temporary_(temporary) {}

void MemCommandBarButton::Hook(std::string_view member) {
  CallHook(hook_, "CommandBarButton", member);
}

std::string MemCommandBarButton::Caption() { return Hook("Caption"), caption_; }
void MemCommandBarButton::SetCaption(std::string_view caption) {
  Hook("SetCaption");
  caption_ = std::string(caption);
}
ButtonStyle MemCommandBarButton::Style() { return Hook("Style"), style_; }
void MemCommandBarButton::SetStyle(ButtonStyle style) {
  Hook("SetStyle");
  style_ = style;
}
int MemCommandBarButton::FaceId() { return Hook("FaceId"), face_id_; }
void MemCommandBarButton::SetFaceId(int face_id) {
  Hook("SetFaceId");
  face_id_ = face_id;
}
std::string MemCommandBarButton::Tag() { return Hook("Tag"), tag_; }
void MemCommandBarButton::SetTag(std::string_view tag) {
  Hook("SetTag");
  tag_ = std::string(tag);
}
std::string MemCommandBarButton::TooltipText() { return Hook("TooltipText"), tooltip_; }
void MemCommandBarButton::SetTooltipText(std::string_view text) {
  Hook("SetTooltipText");
  tooltip_ = std::string(text);
}
bool MemCommandBarButton::Visible() { return Hook("Visible"), visible_; }
void MemCommandBarButton::SetVisible(bool visible) {
  Hook("SetVisible");
  visible_ = visible;
}
bool MemCommandBarButton::Temporary() { return Hook("Temporary"), temporary_; }

void MemCommandBarButton::Execute() {
  Hook("Execute");
  bool cancel_default = false;
  click_.Raise(shared_from_this(), cancel_default);
}

void MemCommandBarButton::Delete() {
  Hook("Delete");
  if (auto bar = bar_.lock()) bar->RemoveButton(this);
}

// MemCommandBar

MemCommandBar::MemCommandBar(MemberHook hook, std::string name)
    : hook_(std::move(hook)), name_(std::move(name)) {}

void MemCommandBar::Hook(std::string_view member) { CallHook(hook_, "CommandBar", member); }

std::string MemCommandBar::Name() { return Hook("Name"), name_; }

std::shared_ptr<CommandBarButton> MemCommandBar::FindControl(std::string_view tag) {
  Hook("FindControl");
  for (const auto& button : buttons_) {
    if (button->tag() == tag) return button;
  }
  return nullptr;
}

std::shared_ptr<CommandBarControls> MemCommandBar::Controls() {
  Hook("Controls");
  return std::make_shared<MemCommandBarControls>(hook_, shared_from_this());
}

std::shared_ptr<MemCommandBarButton> MemCommandBar::AddButton(bool temporary) {
  auto button = std::make_shared<MemCommandBarButton>(hook_, weak_from_this(), temporary);
  buttons_.push_back(button);
  return button;
}

void MemCommandBar::RemoveButton(const MemCommandBarButton* button) {
  std::erase_if(buttons_, [button](const auto& held) { return held.get() == button; });
}

// MemCommandBars

MemCommandBars::MemCommandBars(MemberHook hook, const std::vector<std::string>& names)
    : hook_(std::move(hook)) {
  for (const std::string& name : names)
    bars_.push_back(std::make_shared<MemCommandBar>(hook_, name));
}

int MemCommandBars::Count() {
  CallHook(hook_, "CommandBars", "Count");
  return static_cast<int>(bars_.size());
}

std::shared_ptr<CommandBar> MemCommandBars::Item(int index) {
  CallHook(hook_, "CommandBars", "Item");
  if (index < 1 || static_cast<size_t>(index) > bars_.size()) OutOfRange("CommandBars", index);
  return bars_[static_cast<size_t>(index) - 1];
}

std::shared_ptr<CommandBar> MemCommandBars::Item(std::string_view name) {
  CallHook(hook_, "CommandBars", "Item");
  std::shared_ptr<MemCommandBar> bar = Find(name);
  if (!bar) throw Error(ErrorCode::kInvalidCall, "command bar " + std::string(name));
  return bar;
}

std::shared_ptr<MemCommandBar> MemCommandBars::Find(std::string_view name) const {
  for (const auto& bar : bars_) {
    if (text::EqualsText(bar->name(), name)) return bar;
  }
  return nullptr;
}

// MemExplorer

MemExplorer::MemExplorer(MemberHook hook, std::function<void(MemExplorer&)> on_closed)
    : hook_(std::move(hook)),
      on_closed_(std::move(on_closed)),
      bars_(std::make_shared<MemCommandBars>(hook_,
                                             std::vector<std::string>{"Menu Bar", "Standard"})) {}

std::shared_ptr<mail::CommandBars> MemExplorer::CommandBars() {
  CallHook(hook_, "Explorer", "CommandBars");
  return bars_;
}

void MemExplorer::Close() {
  CallHook(hook_, "Explorer", "Close");
  if (closing_) return;
  closing_ = true;
  close_.Raise();
  if (on_closed_) on_closed_(*this);
}

// MemExplorers

MemExplorers::MemExplorers(MemberHook hook,
                           std::function<std::vector<std::shared_ptr<Explorer>>()> list)
    : hook_(std::move(hook)), list_(std::move(list)) {}

int MemExplorers::Count() {
  CallHook(hook_, "Explorers", "Count");
  return static_cast<int>(list_().size());
}

std::shared_ptr<Explorer> MemExplorers::Item(int index) {
  CallHook(hook_, "Explorers", "Item");
  const auto list = list_();
  if (index < 1 || static_cast<size_t>(index) > list.size()) OutOfRange("Explorers", index);
  return list[static_cast<size_t>(index) - 1];
}

}  // namespace vellumo::mail
