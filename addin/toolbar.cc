#include "addin/toolbar.h"

#include "base/text.h"
#include "common/diagnostics/log.h"
#include "common/forms/caption_table.h"
#include "common/settings/keys.h"

namespace vellumo::addin {
namespace {

std::string Caption(int id) {
  const std::string* text = AddInCaptions().Find(id);
  return text != nullptr ? *text : std::string();
}

}  // namespace

std::string ModeCaption(std::string_view mode) {
  if (mode == "off") return Caption(kCaptionOffId);
  if (mode == "auto") return Caption(kCaptionOnId);
  if (mode == kCaptionESignature) return std::string(kCaptionESignature);
  return "";
}

std::shared_ptr<mail::CommandBarButton> Toolbar::MakeButton(mail::CommandBar& bar,
                                                            std::string_view tag,
                                                            std::string_view caption,
                                                            mail::ConnectionId& click,
                                                            void (Toolbar::*handler)()) {
  std::shared_ptr<mail::CommandBarButton> button = bar.FindControl(tag);
  if (!button) button = bar.Controls()->Add(mail::ControlType::kButton, /*temporary=*/true);
  button->SetCaption(caption);
  button->SetStyle(mail::ButtonStyle::kIconAndCaption);
  button->SetFaceId(kButtonFaceId);
  button->SetTag(tag);
  button->SetTooltipText("");
  button->SetVisible(true);
  click = button->Click().Connect(
      [this, handler](std::shared_ptr<mail::CommandBarButton>, bool&) { (this->*handler)(); });
  return button;
}

void Toolbar::CreateButtons(mail::CommandBar& bar) {
  Release();
  Ignore([&] {
    if (deps_.settings.IsTrue(keys::ShowSetupLauncherButton)) {
      setup_ = MakeButton(bar, kSetupButtonTag, Caption(kCaptionSetupId), setup_click_,
                          &Toolbar::MyButtonSetupLauncher_Click);
    }
  });
  Ignore([&] {
    if (deps_.settings.Get(keys::SuppressToolbarAtStartup) == "False") {
      mode_ = MakeButton(bar, kModeButtonTag,
                         ModeCaption(deps_.settings.Get(keys::SettingButtonBarAtStartup)),
                         mode_click_, &Toolbar::myButtonSetting_Click);
    }
  });
}

void Toolbar::Release() {
  if (mode_ && mode_click_ != 0) Ignore([&] { mode_->Click().Disconnect(mode_click_); });
  if (setup_ && setup_click_ != 0) Ignore([&] { setup_->Click().Disconnect(setup_click_); });
  mode_click_ = setup_click_ = 0;
  mode_.reset();
  setup_.reset();
}

void Toolbar::myButtonSetting_Click() {
  if (!mode_) return;
  Ignore([&] {
    // The caption is the state: a mode saved by someone else since start-up is not looked at.
    const std::string caption = mode_->Caption();
    if (caption == Caption(kCaptionOnId)) {
      mode_->SetCaption(Caption(kCaptionOffId));
      deps_.settings.Set(keys::SettingButtonBar, "off");
    } else if (caption == Caption(kCaptionOffId)) {
      if (deps_.settings.IsTrue(keys::ESignature)) {
        mode_->SetCaption(kCaptionESignature);
        deps_.settings.Set(keys::SettingButtonBar, kCaptionESignature);
        if (deps_.create_signatures) deps_.create_signatures();
      } else {
        mode_->SetCaption(Caption(kCaptionOnId));
        deps_.settings.Set(keys::SettingButtonBar, "auto");
      }
    } else if (caption == kCaptionESignature) {
      mode_->SetCaption(Caption(kCaptionOnId));
      deps_.settings.Set(keys::SettingButtonBar, "auto");
      if (deps_.reset_signatures) deps_.reset_signatures();
    }
  });
}

void Toolbar::MyButtonSetupLauncher_Click() {
  Ignore([&] {
    deps_.processes.Start(text::Trim(deps_.application_path()) + std::string(kSetupProgram));
  });
}

void Toolbar::SetCaption(std::string_view caption) {
  if (mode_) mode_->SetCaption(caption);
}

}  // namespace vellumo::addin
