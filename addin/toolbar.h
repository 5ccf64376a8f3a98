// Toolbar: the add-in's two buttons on the "Standard" bar of the mail client's main window.
//
// The mode button (tag "EmailMonitor") shows and cycles the send mode the send pipeline obeys:
// its caption is the mode ("Vellumo On" auto, "Vellumo Off" off, "eSignature"), and a click moves
// On -> Off -> eSignature -> On (On -> Off -> On when Admin Settings "eSignature" is not "True"),
// saving User Settings "SettingButtonBar" each time. Entering eSignature writes the mail client's
// own signature files from the profile; leaving it resets the client's signature choice. The set-up
// button (tag "ButtonWiz") starts the set-up wizard.
//
// Each button is found by its tag on the bar or added as a temporary control, then given its
// caption, icon-and-caption style, face, tag, an empty tool tip, and shown. Creating and clicking
// never throw: the failures are ignored, as the mail client must never see an add-in fail.
// Not thread-safe: the mail client's user-interface thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "addin/send_windows.h"
#include "common/settings/settings.h"
#include "platform/mailclient/explorer.h"
#include "platform/processes.h"

namespace vellumo::addin {

inline constexpr std::string_view kModeButtonTag = "EmailMonitor";
inline constexpr std::string_view kSetupButtonTag = "ButtonWiz";
inline constexpr std::string_view kCaptionESignature = "eSignature";
inline constexpr int kButtonFaceId = 3271;
inline constexpr std::string_view kSetupProgram = "\\ProfileAssistant.exe";

// Caption table numbers of the button captions.
inline constexpr int kCaptionOffId = 5071;
inline constexpr int kCaptionOnId = 5072;
inline constexpr int kCaptionSetupId = 5101;

struct ToolbarDeps {
  Settings& settings;
  Processes& processes;
  // The folder of the add-in's programs (Admin Settings "ApplicationPath" as read at start-up).
  std::function<std::string()> application_path;
  // The mail client's signature files written from the profile, and the client's signature
  // choice reset (never throw).
  std::function<void()> create_signatures;
  std::function<void()> reset_signatures;
};

// The mode button's caption for a "SettingButtonBar" value; "" for any other value ("on").
std::string ModeCaption(std::string_view mode);

class Toolbar final : public ModeButton {
 public:
  explicit Toolbar(ToolbarDeps deps) : deps_(std::move(deps)) {}
  ~Toolbar() override { Release(); }
  Toolbar(const Toolbar&) = delete;
  Toolbar& operator=(const Toolbar&) = delete;

  // Puts the buttons on bar: the set-up button when Admin Settings "ShowSetupLauncherButton" is
  // "True", the mode button when User Settings "SuppressToolbar" is "False". Ignores failures.
  void CreateButtons(mail::CommandBar& bar);
  // Lets the buttons go (their click handlers unwired). Harmless when none is held.
  void Release();

  // The click handlers.
  void myButtonSetting_Click();
  void MyButtonSetupLauncher_Click();

  // ModeButton: the send pipeline shows the mode it switched to. Without a mode button: nothing.
  void SetCaption(std::string_view caption) override;

  const std::shared_ptr<mail::CommandBarButton>& mode_button() const { return mode_; }
  const std::shared_ptr<mail::CommandBarButton>& setup_button() const { return setup_; }

 private:
  std::shared_ptr<mail::CommandBarButton> MakeButton(mail::CommandBar& bar, std::string_view tag,
                                                     std::string_view caption,
                                                     mail::ConnectionId& click,
                                                     void (Toolbar::*handler)());

  ToolbarDeps deps_;
  std::shared_ptr<mail::CommandBarButton> mode_;
  std::shared_ptr<mail::CommandBarButton> setup_;
  mail::ConnectionId mode_click_ = 0;
  mail::ConnectionId setup_click_ = 0;
};

}  // namespace vellumo::addin
