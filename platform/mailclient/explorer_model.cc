#include "platform/mailclient/explorer_model.h"

#include <algorithm>
#include <utility>

#include "base/error.h"
#include "base/text.h"

namespace vellumo::mail {
namespace {

void CallHook(const MemberHook& hook, std::string_view cls, std::string_view member) {
  if (hook) hook(std::string(cls) + "." + std::string(member));
}

[[noreturn]] void OutOfRange(std::string_view collection, int index) {
  throw Error(ErrorCode::kSubscriptOutOfRange,
              std::string(collection) + "(" + std::to_string(index) + ")");
}

class CommandBarControlsModel final : public CommandBarControls {
 public:
  CommandBarControlsModel(MemberHook hook, std::shared_ptr<CommandBarModel> bar)
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
  std::shared_ptr<CommandBarModel> bar_;
};

}  // namespace

// CommandBarButtonModel

CommandBarButtonModel::CommandBarButtonModel(MemberHook hook, std::weak_ptr<CommandBarModel> bar,
                                             bool temporary)
    : hook_(std::move(hook)), bar_(std::move(bar)), temporary_(temporary) {}

void CommandBarButtonModel::Hook(std::string_view member) {
  CallHook(hook_, "CommandBarButton", member);
}

std::string CommandBarButtonModel::Caption() { return Hook("Caption"), caption_; }
void CommandBarButtonModel::SetCaption(std::string_view caption) {
  Hook("SetCaption");
  caption_ = std::string(caption);
}
ButtonStyle CommandBarButtonModel::Style() { return Hook("Style"), style_; }
void CommandBarButtonModel::SetStyle(ButtonStyle style) {
  Hook("SetStyle");
  style_ = style;
}
int CommandBarButtonModel::FaceId() { return Hook("FaceId"), face_id_; }
void CommandBarButtonModel::SetFaceId(int face_id) {
  Hook("SetFaceId");
  face_id_ = face_id;
}
std::string CommandBarButtonModel::Tag() { return Hook("Tag"), tag_; }
void CommandBarButtonModel::SetTag(std::string_view tag) {
  Hook("SetTag");
  tag_ = std::string(tag);
}
std::string CommandBarButtonModel::TooltipText() { return Hook("TooltipText"), tooltip_; }
void CommandBarButtonModel::SetTooltipText(std::string_view text) {
  Hook("SetTooltipText");
  tooltip_ = std::string(text);
}
bool CommandBarButtonModel::Visible() { return Hook("Visible"), visible_; }
void CommandBarButtonModel::SetVisible(bool visible) {
  Hook("SetVisible");
  visible_ = visible;
}
bool CommandBarButtonModel::Temporary() { return Hook("Temporary"), temporary_; }

void CommandBarButtonModel::Execute() {
  Hook("Execute");
  bool cancel_default = false;
  click_.Raise(shared_from_this(), cancel_default);
}

void CommandBarButtonModel::Delete() {
  Hook("Delete");
  if (auto bar = bar_.lock()) bar->RemoveButton(this);
}

// CommandBarModel

CommandBarModel::CommandBarModel(MemberHook hook, std::string name)
    : hook_(std::move(hook)), name_(std::move(name)) {}

void CommandBarModel::Hook(std::string_view member) { CallHook(hook_, "CommandBar", member); }

std::string CommandBarModel::Name() { return Hook("Name"), name_; }

std::shared_ptr<CommandBarButton> CommandBarModel::FindControl(std::string_view tag) {
  Hook("FindControl");
  for (const auto& button : buttons_) {
    if (button->tag() == tag) return button;
  }
  return nullptr;
}

std::shared_ptr<CommandBarControls> CommandBarModel::Controls() {
  Hook("Controls");
  return std::make_shared<CommandBarControlsModel>(hook_, shared_from_this());
}

std::shared_ptr<CommandBarButtonModel> CommandBarModel::AddButton(bool temporary) {
  auto button = std::make_shared<CommandBarButtonModel>(hook_, weak_from_this(), temporary);
  buttons_.push_back(button);
  return button;
}

void CommandBarModel::RemoveButton(const CommandBarButtonModel* button) {
  std::erase_if(buttons_, [button](const auto& held) { return held.get() == button; });
}

// CommandBarsModel

CommandBarsModel::CommandBarsModel(MemberHook hook, const std::vector<std::string>& names)
    : hook_(std::move(hook)) {
  for (const std::string& name : names)
    bars_.push_back(std::make_shared<CommandBarModel>(hook_, name));
}

int CommandBarsModel::Count() {
  CallHook(hook_, "CommandBars", "Count");
  return static_cast<int>(bars_.size());
}

std::shared_ptr<CommandBar> CommandBarsModel::Item(int index) {
  CallHook(hook_, "CommandBars", "Item");
  if (index < 1 || static_cast<size_t>(index) > bars_.size()) OutOfRange("CommandBars", index);
  return bars_[static_cast<size_t>(index) - 1];
}

std::shared_ptr<CommandBar> CommandBarsModel::Item(std::string_view name) {
  CallHook(hook_, "CommandBars", "Item");
  std::shared_ptr<CommandBarModel> bar = Find(name);
  if (!bar) throw Error(ErrorCode::kInvalidCall, "command bar " + std::string(name));
  return bar;
}

std::shared_ptr<CommandBarModel> CommandBarsModel::Find(std::string_view name) const {
  for (const auto& bar : bars_) {
    if (text::EqualsText(bar->name(), name)) return bar;
  }
  return nullptr;
}

// ExplorerModel

ExplorerModel::ExplorerModel(MemberHook hook, std::function<void(ExplorerModel&)> on_closed)
    : hook_(std::move(hook)),
      on_closed_(std::move(on_closed)),
      bars_(std::make_shared<CommandBarsModel>(hook_,
                                               std::vector<std::string>{"Menu Bar", "Standard"})) {}

std::shared_ptr<mail::CommandBars> ExplorerModel::CommandBars() {
  CallHook(hook_, "Explorer", "CommandBars");
  return bars_;
}

void ExplorerModel::Close() {
  CallHook(hook_, "Explorer", "Close");
  if (closing_) return;
  closing_ = true;
  close_.Raise();
  if (on_closed_) on_closed_(*this);
}

// ExplorersModel

ExplorersModel::ExplorersModel(MemberHook hook,
                               std::function<std::vector<std::shared_ptr<Explorer>>()> list)
    : hook_(std::move(hook)), list_(std::move(list)) {}

int ExplorersModel::Count() {
  CallHook(hook_, "Explorers", "Count");
  return static_cast<int>(list_().size());
}

std::shared_ptr<Explorer> ExplorersModel::Item(int index) {
  CallHook(hook_, "Explorers", "Item");
  const auto list = list_();
  if (index < 1 || static_cast<size_t>(index) > list.size()) OutOfRange("Explorers", index);
  return list[static_cast<size_t>(index) - 1];
}

}  // namespace vellumo::mail
