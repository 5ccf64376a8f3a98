// PropPage ("CorvanePage.PropPage"): Vellumo's tab in the mail client's Options dialog. It edits
// the settings that steer sending: the template and signature folders, the send mode, the reply
// rule, the date line, the toolbar, the internal-recipient rule and domain, and the system test;
// it starts the set-up wizard and shows its help page.
//
// The page is a form model (its controls are the table in prop_page_design.cc, captions and tool
// tips from the page's caption table 101-136) and a mail::PropertyPage the dialog drives:
//   - created clean and loading; the dialog hands it a site (SetSite), then fires the form event
//     "EnterFocus" whenever the tab gains the focus: the page reloads the store then, so edits not
//     applied are dropped;
//   - a click on any box or option marks it changed: dirty, and the site told (Apply enabled);
//   - Apply saves and, when everything was stored, leaves it clean.
//
// Saving never writes part of the page: the two folders are checked first (a folder that cannot
// live here stops the save, a missing one is offered for creation), then every value goes into
// the store in one transaction. A save that did not go through leaves the page dirty, so the
// dialog keeps it open with the user's edits. Errors never leave the page: they are shown in
// message boxes (the help button's are logged).
//
// The Env's members, the caption table and the chooser must outlive the page.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/diagnostics/diagnostics.h"
#include "common/forms/caption_table.h"
#include "common/settings/settings.h"
#include "platform/env.h"
#include "platform/mailclient/application.h"
#include "platform/ui/form.h"

namespace vellumo::optionspage {

inline constexpr std::string_view kPropPageProgId = "CorvanePage.PropPage";
inline constexpr std::string_view kSetupWizardProgram = "\\ProfileAssistant.exe";
inline constexpr std::string_view kHelpFile = "nothing.hlp";
inline constexpr int kHelpContext = 102;

// The page's caption table (resources/strings/optionspage.txt), parsed on first use.
const CaptionTable& OptionsPageCaptions();

// The pages the page ships for a window layer to serve as "vellumo:pages/NAME": its help page,
// "options-help.html". NAME -> {content type, body}.
std::map<std::string, std::pair<std::string, std::string>> OptionsPagePages();

// Shows the path chooser with prompt, starting in current; returns the folder chosen, or ""
// after Cancel. May throw Error.
using ChoosePath = std::function<std::string(std::string_view prompt, std::string_view current)>;

// The chooser as the page uses it: frmPath with the page's captions on host; the folder the
// purpose of the prompt fills (the signatures folder for a prompt about signatures, else the
// chosen path). host, registry and fs must outlive it.
ChoosePath PathChooser(ui::Host& host, Registry& registry, FileSystem& fs,
                       const CaptionTable& captions = OptionsPageCaptions());

struct PropPageDeps {
  // registry, fs, processes, ui, clock and system; mail (may be null) sends the system report.
  Env env;
  const CaptionTable& captions = OptionsPageCaptions();
  ChoosePath choose_path{};
  // The folder the page's program lies in: the set-up wizard is started from there, and the
  // page's error log lies below it.
  std::string program_folder{};
};

class PropPage final : public ui::Form, public mail::PropertyPage {
 public:
  explicit PropPage(PropPageDeps deps);

  // The property-page contract.
  std::string Name() override;  // entry 101
  bool Dirty() override { return dirty_; }
  void Apply() override;  // PropertyPage_Apply
  PageInfo GetPageInfo() override { return {std::string(kHelpFile), kHelpContext}; }
  void SetSite(std::shared_ptr<mail::PropertyPageSite> site) override { site_ = std::move(site); }
  ui::Form* PageForm() override { return this; }

  // Clears the loading flag and loads the store into the controls (also the "EnterFocus" event).
  void UserControl_EnterFocus();
  // The save routine. True when every value was stored.
  bool cmdOK_Click();
  bool loading() const { return loading_; }

 private:
  void LoadSettings();
  void MarkChanged();
  // The folder of a path text box, checked as the chooser would; false stops the save.
  bool CheckFolder(std::string_view field, std::string_view path);
  void chkShowDate_Click();
  void chkShowString_Click();
  void chkSuppressToolBar_Click();
  void chkShowNextApptTip_Click();
  void SendSystemReport();
  void ChoosePathInto(std::string_view control, int prompt_entry);
  void cmdSetupLauncher_Click();
  void cmdHelp_Click();
  std::string Caption(int entry) const;

  PropPageDeps deps_;
  Settings settings_;
  Diagnostics diagnostics_;
  std::shared_ptr<mail::PropertyPageSite> site_;
  bool dirty_ = false;
  bool loading_ = true;
};

// Registers the page's class under kPropPageProgId in app's class table: each CreateObject makes a
// new page with deps (mail set to &app when deps has none).
void RegisterPropPage(mail::Application& app, const PropPageDeps& deps);

}  // namespace vellumo::optionspage
