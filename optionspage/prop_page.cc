#include "optionspage/prop_page.h"

#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "common/forms/path_form.h"
#include "common/settings/keys.h"
#include "optionspage/prop_page_design.h"
#include "platform/mailclient/safe_items.h"
#include "platform/ui/host.h"

namespace vellumo::resources {
extern const std::string_view kOptionsPageStrings;  // resources/strings/optionspage.txt
extern const std::string_view kOptionsHelpPage;     // resources/pages/options-help.html
}  // namespace vellumo::resources

namespace vellumo::optionspage {
namespace {

constexpr std::string_view kLoadErrorTitle = "Error loading options settings";
constexpr std::string_view kSaveErrorTitle = "Error in Settings";
constexpr std::string_view kReportTitle = "Vellumo System Report";
constexpr std::string_view kReportQuestion = "Send a system report to Corvane support?";
constexpr std::string_view kReportSubject = "System test - file report";
constexpr std::string_view kReportBody = "Report sent from the options page";

constexpr int kEntryPageName = 101;
constexpr int kEntryTemplatePrompt = 119;
constexpr int kEntrySignaturePrompt = 120;
constexpr int kEntryEmptyPath = 134;

std::string TrueFalse(bool on) { return on ? "True" : "False"; }

// What an Error says to a person: the classic text with the file, key or field it names.
std::string Say(const Error& e) { return e.what(); }

}  // namespace

const CaptionTable& OptionsPageCaptions() {
  static const CaptionTable table =
      CaptionTable::Parse(resources::kOptionsPageStrings, "resources/strings/optionspage.txt");
  return table;
}

std::map<std::string, std::pair<std::string, std::string>> OptionsPagePages() {
  return {{"options-help.html",
           {"text/html; charset=utf-8", std::string(resources::kOptionsHelpPage)}}};
}

ChoosePath PathChooser(ui::Host& host, Registry& registry, FileSystem& fs,
                       const CaptionTable& captions) {
  return [&host, &registry, &fs, &captions](std::string_view prompt, std::string_view current) {
    const Settings settings(registry);
    PathChoice choice;
    choice.prompt = std::string(prompt);
    choice.chosen_path = std::string(current);
    ShowPathChooser(host, settings, fs, captions, choice);
    const bool signatures = prompt.find("signatures") != std::string_view::npos;
    return signatures ? choice.signatures_folder : choice.chosen_path;
  };
}

PropPage::PropPage(PropPageDeps deps)
    : ui::Form("PropPage"),
      deps_(std::move(deps)),
      settings_(deps_.env.registry),
      diagnostics_(deps_.env, kOptionsPageDiagnostics,
                   ProgramInfo{.file_description = "Vellumo options page"}, deps_.program_folder) {
  tag = std::to_string(kEntryPageName);
  caption = Caption(kEntryPageName);
  AddControls(PageDesign());
  // UserControl_Initialize: loading, clean.
  loading_ = true;
  dirty_ = false;

  On("Form", "EnterFocus", [this](ui::Event&) { UserControl_EnterFocus(); });
  for (std::string_view option : {"optOn", "optAuto", "optOff", "optReplyAsIs", "optReplyPrompt",
                                  "optAboveString", "optBelowString", "chkInternal"}) {
    On(option, "Click", [this](ui::Event&) { MarkChanged(); });
  }
  // A typed text is a change too, or Apply would never light up for it.
  for (std::string_view box : {"txtPath", "txtSignatures", "txtDomainName", "txtShowString"}) {
    On(box, "Change", [this](ui::Event&) { MarkChanged(); });
  }
  On("chkShowDate", "Click", [this](ui::Event&) { chkShowDate_Click(); });
  On("chkShowString", "Click", [this](ui::Event&) { chkShowString_Click(); });
  On("chkSuppressToolBar", "Click", [this](ui::Event&) { chkSuppressToolBar_Click(); });
  On("chkShowNextApptTip", "Click", [this](ui::Event&) { chkShowNextApptTip_Click(); });
  On("cmdDirpath", "Click",
     [this](ui::Event&) { ChoosePathInto("txtPath", kEntryTemplatePrompt); });
  On("cmdSignaturesPath", "Click",
     [this](ui::Event&) { ChoosePathInto("txtSignatures", kEntrySignaturePrompt); });
  On("cmdSetupLauncher", "Click", [this](ui::Event&) { cmdSetupLauncher_Click(); });
  On("cmdHelp", "Click", [this](ui::Event&) { cmdHelp_Click(); });
}

std::string PropPage::Caption(int entry) const {
  const std::string* text = deps_.captions.Find(entry);
  return text != nullptr ? *text : std::string();
}

std::string PropPage::Name() { return Caption(kEntryPageName); }

void PropPage::UserControl_EnterFocus() {
  loading_ = false;
  LoadSettings();
}

void PropPage::MarkChanged() {
  if (!site_) return;
  dirty_ = true;
  site_->OnStatusChange();
}

void PropPage::LoadSettings() {
  try {
    ApplyCaptionTable(*this, deps_.captions);
    Form& page = *this;
    page["txtPath"].text = settings_.Get(keys::PageHtmFilesPath);
    page["txtSignatures"].text = settings_.Get(keys::PageSignaturesPath);
    page["chkInternal"].value = text::Val(settings_.Get(keys::SkipInternal)) != 0 ? 1 : 0;
    page["txtDomainName"].text = settings_.Get(keys::PageExchangeDomain);

    // A mode the page has no button for (eSignature) selects none, and saving leaves it alone.
    const std::string mode = settings_.Get(keys::PageSettingButtonBar);
    page["optOn"].value = mode == "on" ? 1 : 0;
    page["optOff"].value = mode == "off" ? 1 : 0;
    page["optAuto"].value = mode == "auto" ? 1 : 0;

    const bool as_is = settings_.Get(keys::PageReplyAsIs) == "1";
    page["optReplyAsIs"].value = as_is ? 1 : 0;
    page["optReplyPrompt"].value = as_is ? 0 : 1;

    // The box is saved to the user's setting, so that is what it shows once the user chose; the
    // administrator's value only decides what a user who never chose sees.
    std::string suppress = settings_.Stored(keys::SuppressToolbar);
    if (suppress.empty()) suppress = settings_.Get(keys::AdminSuppressToolBar);
    page["chkSuppressToolBar"].value = suppress == "True" ? 1 : 0;

    page["chkShowDate"].value = settings_.Get(keys::InsertDate) == "True" ? 1 : 0;
    const std::string line = settings_.Get(keys::InsertString);
    const bool has_line = !line.empty();
    page["chkShowString"].value = has_line ? 1 : 0;
    page["chkShowString"].enabled = has_line;
    page["txtShowString"].text = line;
    page["txtShowString"].enabled = has_line;
    page["frmStringPlace"].visible = has_line;
    const bool date_first = settings_.Get(keys::PageInsertOrder) == "DateString";
    page["optAboveString"].value = date_first ? 1 : 0;
    page["optBelowString"].value = date_first ? 0 : 1;

    page["chkShowNextApptTip"].value = settings_.Get(keys::SystemCheck) == "True" ? 1 : 0;

    page["frMode"].enabled = page["chkSuppressToolBar"].value == 1;
    page["frMode"].visible = true;  // a click may have hidden it; the reload starts afresh
    dirty_ = false;
    if (site_) site_->OnStatusChange();
  } catch (const Error& e) {
    deps_.env.ui.MsgBox(Say(e), ui::kInformation, kLoadErrorTitle);
  }
}

bool PropPage::CheckFolder(std::string_view field, std::string_view path) {
  FileSystem& fs = deps_.env.fs;
  try {
    const FolderCheck check = CheckTypedFolder(fs, path);
    if (check.state == FolderState::kExists) return true;
    if (check.state == FolderState::kBadName) {
      deps_.env.ui.MsgBox(std::string(field) + ": " + check.error, ui::kInformation,
                          kSaveErrorTitle);
      return false;
    }
    const int create = deps_.env.ui.MsgBox(
        std::string(field) + ": the folder " + check.shown + " does not exist. Create it?",
        ui::kYesNo + ui::kQuestion, "Vellumo");
    if (create != ui::kYes) return false;
    fs.CreateFolder(path);
    return true;
  } catch (const Error& e) {
    deps_.env.ui.MsgBox(std::string(field) + ": " + Say(e), ui::kInformation, kSaveErrorTitle);
    return false;
  }
}

bool PropPage::cmdOK_Click() {
  Form& page = *this;
  if (text::Trim(page["txtPath"].text).empty()) {
    deps_.env.ui.MsgBox(Caption(kEntryEmptyPath), ui::kInformation, "Vellumo");
    return false;
  }
  // Folders typed by hand are checked as the chooser would see them; what is stored already was
  // checked when it was saved.
  const struct {
    int label;
    const char* control;
    const SettingKey& key;
  } folders[] = {{102, "txtPath", keys::PageHtmFilesPath},
                 {103, "txtSignatures", keys::PageSignaturesPath}};
  for (const auto& folder : folders) {
    const std::string& path = page[folder.control].text;
    if (path != settings_.Stored(folder.key) && !text::Trim(path).empty() &&
        !CheckFolder(Caption(folder.label), path)) {
      return false;
    }
  }

  std::vector<std::pair<const SettingKey*, std::string>> values;
  values.emplace_back(&keys::PageHtmFilesPath, page["txtPath"].text);
  values.emplace_back(&keys::PageSignaturesPath, page["txtSignatures"].text);
  if (page["optOn"].value == 1 || page["optAuto"].value == 1) {
    values.emplace_back(&keys::PageSettingButtonBar, "auto");
  } else if (page["optOff"].value == 1) {
    values.emplace_back(&keys::PageSettingButtonBar, "off");
  }
  values.emplace_back(&keys::SuppressToolbar, TrueFalse(page["chkSuppressToolBar"].value == 1));
  const bool as_is = page["optReplyAsIs"].value == 1;
  values.emplace_back(&keys::PageReplyAsIs, as_is ? "1" : "0");
  values.emplace_back(&keys::PromptOnReplies, TrueFalse(!as_is));
  values.emplace_back(&keys::SkipInternal, page["chkInternal"].value == 1 ? "1" : "0");
  values.emplace_back(&keys::PageExchangeDomain, page["txtDomainName"].text);
  values.emplace_back(&keys::InsertDate, TrueFalse(page["chkShowDate"].value == 1));
  const bool with_line = page["chkShowString"].value == 1;
  values.emplace_back(&keys::InsertString, with_line ? page["txtShowString"].text : "");
  if (with_line) {
    values.emplace_back(&keys::PageInsertOrder,
                        page["optAboveString"].value == 1 ? "DateString" : "StringDate");
  }
  values.emplace_back(&keys::SystemCheck, TrueFalse(page["chkShowNextApptTip"].value == 1));
  try {
    settings_.SetAll(values);
  } catch (const Error& e) {
    deps_.env.ui.MsgBox(Say(e) + ". Nothing was saved.", ui::kInformation, kSaveErrorTitle);
    return false;
  }
  return true;
}

void PropPage::Apply() {
  try {
    if (cmdOK_Click()) dirty_ = false;
  } catch (const Error& e) {
    deps_.env.ui.MsgBox("Error in PropertyPage_Apply.  Err# " +
                            std::to_string(static_cast<int>(e.code())) +
                            " and Err Description: " + e.description(),
                        ui::kOkOnly, "Vellumo");
  }
}

void PropPage::chkShowDate_Click() {
  Form& page = *this;
  page["chkShowString"].enabled = page["chkShowDate"].value == 1;
  page["txtShowString"].enabled = page["chkShowString"].enabled;
  page["frmStringPlace"].visible = page["chkShowString"].value == 1;
  MarkChanged();
}

void PropPage::chkShowString_Click() {
  Form& page = *this;
  const bool ticked = page["chkShowString"].value == 1;
  page["txtShowString"].enabled = ticked;
  page["frmStringPlace"].visible = ticked;
  MarkChanged();
}

void PropPage::chkSuppressToolBar_Click() {
  Form& page = *this;
  const bool ticked = page["chkSuppressToolBar"].value == 1;
  page["frMode"].enabled = ticked;
  page["frMode"].visible = ticked;
  MarkChanged();
}

void PropPage::chkShowNextApptTip_Click() {
  MarkChanged();
  if ((*this)["chkShowNextApptTip"].value != 0) return;
  if (deps_.env.ui.MsgBox(kReportQuestion, ui::kYesNo + ui::kQuestion, kReportTitle) != ui::kYes) {
    return;
  }
  try {
    SendSystemReport();
  } catch (const Error& e) {
    deps_.env.ui.MsgBox("The system report was not sent: " + Say(e), ui::kInformation,
                        kReportTitle);
  }
}

void PropPage::SendSystemReport() {
  mail::Application* app = deps_.env.mail;
  if (app == nullptr) throw Error(ErrorCode::kCantCreateObject, "mail client");
  std::shared_ptr<mail::MailItem> item = app->CreateMailItem();
  std::shared_ptr<mail::SafeMailItem> safe = mail::CreateSafeMailItem(*app);
  safe->SetItem(item);
  safe->Recipients()->Add(kSupportAddress);
  safe->SetSubject(kReportSubject);
  safe->SetHTMLBody(kReportBody);
  safe->Attachments()->Add(settings_.Get(keys::ErrorFileLocation));
  safe->Send();
}

void PropPage::ChoosePathInto(std::string_view control, int prompt_entry) {
  try {
    if (!deps_.choose_path) throw Error(ErrorCode::kObjectNotSet, "path chooser");
    std::string& current = (*this)[control].text;
    const std::string chosen = deps_.choose_path(Caption(prompt_entry), current);
    // Cancel gives nothing back: the folder stays as it was.
    if (!chosen.empty() && chosen != current) {
      MarkChanged();
      (*this)[control].text = chosen;
    }
  } catch (const Error& e) {
    deps_.env.ui.MsgBox(Say(e), ui::kOkOnly, "Path error");
  }
}

void PropPage::cmdSetupLauncher_Click() {
  try {
    deps_.env.processes.Start(text::Trim(deps_.program_folder) + std::string(kSetupWizardProgram));
    (*this)["cmdSetupLauncher"].enabled = false;
  } catch (const Error& e) {
    deps_.env.ui.MsgBox("The set-up wizard could not be started: " + Say(e), ui::kInformation,
                        "Configuration Wiz");
  }
}

void PropPage::cmdHelp_Click() {
  try {
    ui::Form help("frmHelp");
    help.caption = Name() + " - " + Caption(132);
    help.width = 9840;  // twips: room for the page to be read without scrolling sideways
    help.height = 7800;
    help.AddControls(HelpDesign());
    ApplyCaptionTable(help, deps_.captions);
    help["brwHelp"].document = settings_.Get(keys::HelpOptionsPage);
    help.On("cmdClose", "Click", [&help](ui::Event&) { help.Unload(); });
    deps_.env.ui.ShowForm(help);
  } catch (const Error& e) {
    diagnostics_.Write_to_error_file(e.description(), "cmdhelp_Click - Options", "help_err");
  }
}

void RegisterPropPage(mail::Application& app, const PropPageDeps& deps) {
  PropPageDeps bound = deps;
  if (bound.env.mail == nullptr) bound.env.mail = &app;
  app.RegisterCreator(kPropPageProgId, [bound]() -> std::shared_ptr<mail::Object> {
    return std::make_shared<PropPage>(bound);
  });
}

}  // namespace vellumo::optionspage
