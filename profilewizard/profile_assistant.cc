#include "profilewizard/profile_assistant.h"

#include <algorithm>
#include <deque>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "common/compose/outlook_signatures.h"
#include "common/settings/keys.h"
#include "platform/mailclient/application.h"
#include "platform/mailclient/folders.h"
#include "platform/mailclient/safe_items.h"
#include "platform/reg_file.h"
#include "profilewizard/profile_assistant_design.h"
#include "profilewizard/profile_assistant_fields.h"
#include "profilewizard/system_check.h"

namespace vellumo::profilewizard {
namespace {

constexpr int kFinishedStep = 4;
constexpr int kCustomStep = 3;

constexpr int kEntryAddressesPlain = 2010;
constexpr int kEntryAddressesBilingual = 2011;
constexpr int kEntryDetailsPlain = 2012;
constexpr int kEntryDetailsBilingual = 2013;
constexpr int kEntryHelpPage = 31051;
constexpr int kEntryLearnMorePage = 31049;
constexpr int kEntryTourPage = 31050;

constexpr std::string_view kNewSignaturePrompt = "Please give the new signature a name";
constexpr std::string_view kNewSignatureTitle = "New Signature";
constexpr std::string_view kSuppressStepQuestion = "Clicking yes will suppress this step. Ok?";
constexpr std::string_view kSuppressStepTitle = "Suppress the custom template feature";
constexpr std::string_view kSaveErrorTitle = "Save your signature data?";

std::string TrueFalse(bool on) { return on ? "True" : "False"; }

bool SameName(std::string_view a, std::string_view b) { return text::LCase(a) == text::LCase(b); }

}  // namespace

const DiagnosticsVariant kSetupWizardDiagnostics{
    .name = "ProfileAssistant",
    .location = keys::ErrorFileLocation,
    .log_folder = "Support",
    .log_file = "SupportLog.txt",
    .creates_log = true,
    .screens = false,
    .reports = false,
    .record = kAddInRecord,
    .mail = {.editor_type_line = false,
             .system_block = false,
             .safe_wrapper = false,
             .recipient_from_setting = false},
    .own_failures = DiagnosticsVariant::OwnFailures::kLogLine,
};

ProfileAssistant::ProfileAssistant(ProfileAssistantDeps deps)
    : WizardFrame("frmWizard", std::string(kWizardTitle), kFinishedStep, deps.env.ui,
                  deps.env.registry, deps.captions),
      deps_(std::move(deps)),
      log_(deps_.env, kSetupWizardDiagnostics,
           ProgramInfo{.file_description = "Vellumo Profile Assistant"}, deps_.program_folder) {
  width = WizardWidth();
  height = WizardNavTop() + 900;
  AddControls(WizardDesign());
  AddWizardNavButtons(*this, width, WizardNavTop());
  default_button = NavName(kNextButton);

  On("Form", "Load", [this](ui::Event&) { Form_Load(); });
  On("Form", "QueryUnload", [this](ui::Event& event) {
    // The close box is Cancel: the same question when something is missing.
    if (event.mode != ui::UnloadMode::kCloseBox || closed()) return;
    OnCancel();
    if (ending_ == Ending::kOpen) event.cancel = true;
  });
  On("chkSkipIntro", "Click", [this](ui::Event&) {
    settings_.Set(keys::IntroductionScreen, (*this)["chkSkipIntro"].value == 1 ? "ShowIntro" : "");
  });
  On("cmdTour", "Click", [this](ui::Event&) { ShowBrowser(Text(kEntryTourPage)); });
  On("cmdLearnMore", "Click", [this](ui::Event&) { ShowBrowser(Text(kEntryLearnMorePage)); });
  On("cboSig", "Click", [this](ui::Event&) { cboSig_Click(); });
  On("cmdAdd", "Click", [this](ui::Event&) { cmdAdd_Click(); });
  On("cmdRemoveSig", "Click", [this](ui::Event&) { cmdRemoveSig_Click(); });
  On("chkBilingual", "Click", [this](ui::Event&) { setBilingual(); });
  On("chkVCard", "Click", [this](ui::Event&) { chkVCard_Click(); });
  On("cboVcard", "Click", [this](ui::Event&) { cboVcard_Click(); });
  On("cmdFindvCard", "Click", [this](ui::Event&) { cmdFindvCard_Click(); });
  On("chkDoNotShow", "Click", [this](ui::Event&) { chkDoNotShow_Click(); });
  On("cmdViewGif1", "Click", [this](ui::Event&) { ShowPanelPage("txtGifFile1"); });
  On("cmdViewLink1", "Click", [this](ui::Event&) { ShowPanelPage("txtWebsiteCustom1"); });
  On("cmdViewGif2", "Click", [this](ui::Event&) { ShowPanelPage("txtGifFile2"); });
  On("cmdViewLink2", "Click", [this](ui::Event&) { ShowPanelPage("txtWebsiteCustom2"); });
  On("cmdSysCheck", "Click", [this](ui::Event&) { cmdSysCheck_Click(); });
}

ProfileAssistant::~ProfileAssistant() = default;

void ProfileAssistant::Note(std::string_view text) { log_.Write_log_line(text); }

void ProfileAssistant::Form_Load() {
  loading_ = true;
  ApplyCaptionTable(*this, captions_);
  signature_only_ = settings_.IsTrue(keys::VellumoSignatureOnly);
  RunAdministratorPackages();
  LoadProfile();
  PreFill();
  LoadPanels();
  ApplySwitches();
  ui::Form& form = *this;
  form[NavName(kHelp)].visible = false;
  form["cmdSysCheck"].caption = SystemCheckCaption(settings_, captions_);
  const int first = FirstStep();
  form["chkSkipIntro"].value = first == 1 ? 1 : 0;
  SetStep(first, first == 1 ? kNext : kNone);
  AfterMove(kNone);
  loading_ = false;
}

void ProfileAssistant::RunAdministratorPackages() {
  FileSystem& fs = deps_.env.fs;
  const std::string reg = deps_.program_folder + "\\" + std::string(kNewUserReg);
  try {
    if (fs.FileExists(reg)) {
      // Imported in one transaction: a file that does not parse changes nothing. The file stays
      // in the program folder for the next user of this machine.
      ImportRegFile(deps_.env.registry, fs.ReadFile(reg), reg);
    }
  } catch (const std::exception& e) {
    Note("Profile Assistant - " + std::string(kNewUserReg) + " not imported: " + e.what());
  }
  LoadLists();
  const std::string msi = deps_.program_folder + "\\" + std::string(kNewUserMsi);
  try {
    if (fs.FileExists(msi)) {
      Note("Profile Assistant - " + msi +
           ": installer packages are not run on this platform; the file was left in place");
    }
  } catch (const std::exception&) {
    // A program folder that cannot be read has no package to note.
  }
}

std::vector<std::string> ProfileAssistant::SignatureNames() const {
  std::vector<std::string> names;
  // Empty entries (the trailing ";" a removal leaves) are no names.
  for (std::string& name : text::Split(settings_.Get(keys::SignatureList), ";")) {
    if (!text::Trim(name).empty()) names.push_back(std::move(name));
  }
  if (names.empty()) names.emplace_back(keys::SignatureList.default_value);
  return names;
}

void ProfileAssistant::LoadLists() {
  ui::Form& form = *this;
  ui::Control& sigs = form["cboSig"];
  sigs.list = SignatureNames();
  const std::string current = settings_.Get(keys::CurrentSignature);
  sigs.list_index = 0;
  for (size_t i = 0; i < sigs.list.size(); ++i) {
    if (SameName(sigs.list[i], current)) sigs.list_index = static_cast<int>(i);
  }
  sigs.text = sigs.list[sigs.list_index];

  ui::Control& templates = form["cboTemplates"];
  templates.list.clear();
  try {
    for (const std::string& file :
         deps_.env.fs.ListFiles(settings_.Get(keys::HtmFilesPath), "*.htm")) {
      std::string name = GetFileName(file);
      if (!name.empty()) templates.list.push_back(std::move(name));
    }
  } catch (const std::exception& e) {
    Note("Profile Assistant - template list: " + std::string(e.what()));
  }
  const std::string chosen = GetFileName(settings_.Get(keys::Template));
  templates.list_index = -1;
  templates.text = chosen;
  for (size_t i = 0; i < templates.list.size(); ++i) {
    if (SameName(templates.list[i], chosen)) templates.list_index = static_cast<int>(i);
  }
  const bool multiple = settings_.IsTrue(keys::MultipleSignatures);
  for (const char* name :
       {"lblSig", "cboSig", "cmdAdd", "cmdRemoveSig", "lblTemplates", "cboTemplates"}) {
    form[name].enabled = multiple;
  }
  UpdateRemoveButton();
}

std::string ProfileAssistant::GetFileName(std::string_view file_name) {
  const std::string lower = text::LCase(file_name);
  if (!lower.ends_with(".htm") || lower.ends_with("_merge.htm")) return {};
  return std::string(file_name.substr(0, file_name.size() - 4));
}

void ProfileAssistant::LoadProfile() {
  ui::Form& form = *this;
  for (const ProfileField& field : ProfileFields()) {
    form[field.control].text = settings_.Get(*field.key);
  }
  form["chkAutoPreview"].value = settings_.Get(keys::WizardAutoPreview) == "True" ? 1 : 0;
}

std::string ProfileAssistant::GetEmailAddress(std::string_view address) const {
  const size_t at = text::LCase(address).rfind("cn=");
  const std::string_view user = at == std::string_view::npos ? address : address.substr(at + 3);
  return std::string(user) + "@" + settings_.Get(keys::ExchangeDomain);
}

void ProfileAssistant::PreFill() {
  mail::Application* app = deps_.env.mail;
  if (app == nullptr) return;
  ui::Form& form = *this;
  auto fill = [&](mail::Recipient& user) {
    form["txtFullname"].text = user.Name();
    const std::string address = user.Address();
    form["txtEmail"].text =
        address.find('@') != std::string::npos ? address : GetEmailAddress(address);
  };
  try {
    if (settings_.IsTrue(keys::UseRedemption) && settings_.Get(keys::SigFullname).empty()) {
      fill(*mail::CreateSafeCurrentUser(*app));
    }
    if (settings_.IsTrue(keys::UseMAPI) && text::Trim(form["txtFullname"].text).empty()) {
      std::shared_ptr<mail::Recipient> user = app->GetNamespace("MAPI")->CurrentUser();
      if (user) fill(*user);
    }
  } catch (const std::exception& e) {
    // Pre-filling is a convenience: the user types what the mail profile could not tell.
    Note("Profile Assistant - pre-fill from the mail profile: " + std::string(e.what()));
  }
}

void ProfileAssistant::LoadPanels() {
  ui::Form& form = *this;
  // The vCard choice: the card chosen last time, in both lists.
  const std::string name = settings_.Get(keys::vCardSelected);
  const std::string path = settings_.Get(keys::vCardPathSelected);
  if (!name.empty() && !path.empty()) AddVCard(name, path);
  form["chkVCard"].value = !settings_.Get(keys::vCard).empty() ? 1 : 0;

  const std::string logo = settings_.Get(keys::WizardLogo);
  for (const char* image : {"imgLogo", "imgLogo2"}) {
    form[image].document = logo;
    form[image].visible = !logo.empty();
  }
  form["chkBilingual"].value = settings_.IsTrue(keys::BilingualWizard) ? 1 : 0;
  setBilingual();
  form["chkDoNotShow"].value = settings_.Get(keys::ShowCustomTemplates) == "False" ? 1 : 0;
}

void ProfileAssistant::ApplySwitches() {
  ui::Form& form = *this;
  for (const AdminSwitch& row : AdminSwitches()) {
    if (!settings_.IsTrue(*row.key)) continue;
    for (std::string_view control : row.controls) {
      if (!control.empty()) form[control].visible = false;
    }
  }
}

void ProfileAssistant::setBilingual() {
  ui::Form& form = *this;
  const bool bilingual = form["chkBilingual"].value == 1;
  for (const ProfileField& field : ProfileFields()) {
    if (field.second_language) form[field.control].visible = bilingual && !HiddenBySwitch(field);
  }
  form["fraAddresses"].caption = Text(bilingual ? kEntryAddressesBilingual : kEntryAddressesPlain);
  form["fraDetails"].caption = Text(bilingual ? kEntryDetailsBilingual : kEntryDetailsPlain);
}

bool ProfileAssistant::HiddenBySwitch(const ProfileField& field) const {
  return field.hidden_by != nullptr && settings_.IsTrue(*field.hidden_by);
}

// Navigation.

int ProfileAssistant::NextStep(int step) {
  if (step == 2 && settings_.Get(keys::ShowCustomTemplates) == "False") return step + 2;
  return step + 1;
}

int ProfileAssistant::BackStep(int step) {
  if (step == kFinishedStep) {
    return settings_.Get(keys::ShowCustomTemplates) == "False" ? 2 : kCustomStep;
  }
  return step - 1;
}

bool ProfileAssistant::BeforeNext(int step) {
  if (step == 2) OfferVCard();
  return true;
}

void ProfileAssistant::AfterMove(Direction /*direction*/) {
  ui::Form& form = *this;
  const int step = current_step();
  // Help explains the custom templates: it stands beside that step only.
  form[NavName(kHelp)].visible = step == kCustomStep;
  // The system test belongs to the end of the wizard, and to a user who came back to send the
  // report.
  form["cmdSysCheck"].visible =
      step >= kCustomStep || form["cmdSysCheck"].caption == Text(kSendReportCaption);
}

void ProfileAssistant::OnStepEntered(int step) {
  // Enter follows the way on: Next, and Finish on the last step (also after coming back).
  default_button = NavName(step == kFinishedStep ? kFinish : kNextButton);
}

bool ProfileAssistant::NoWebsite(std::string_view website) {
  // The scheme the box starts with is no address yet.
  const std::string typed = text::LCase(text::Trim(website));
  return typed.empty() || typed == "http://" || typed == "https://";
}

std::string ProfileAssistant::IncompleteMessage(bool saving) const {
  const ui::Form& form = *this;
  const bool no_email = text::Trim(form["txtEmail"].text).empty();
  const bool no_website = NoWebsite(form["txtWebsite"].text);
  if (!no_email && !no_website) return {};
  std::string message = "Some of the values you provided are incomplete.\r\n";
  if (no_email && no_website) {
    message += "The website address and email address are incomplete. Ok to " +
               std::string(saving ? "save" : "cancel") + " and exit?\r\n\r\nClick Yes to " +
               std::string(saving ? "save and " : "") +
               "exit with incomplete values. Otherwise click No.";
  } else if (no_email) {
    message += saving ? "The email address is incomplete. Ok to save and exit?\r\n\r\n"
                        "Click Yes to save and exit with an incomplete email address. Otherwise "
                        "Click No."
                      : "The email address is incomplete. Ok to cancel and exit?\r\n\r\n"
                        "Click Yes to exit with an incomplete email address. Otherwise Click No.";
  } else {
    message += saving ? "The website address is incomplete. Ok to save and exit?\r\n\r\n"
                        "Click Yes to save and exit with an incomplete website. Otherwise click "
                        "No."
                      : "The website address is incomplete. Ok to cancel and exit?\r\n\r\n"
                        "Click Yes to exit with an incomplete website. Otherwise click No.";
  }
  message += saving ? "\r\nIf you choose No, click the Back button to make any changes."
                    : "\r\nIf you choose No, click the Next or Back button to make any changes, "
                      "then click Finish.";
  return message;
}

void ProfileAssistant::OnCancel() {
  message_ = IncompleteMessage(false);
  if (!message_.empty() &&
      host_.MsgBox(message_, ui::kYesNo + ui::kInformation, "Cancel?") != ui::kYes) {
    return;
  }
  ending_ = Ending::kCancelled;
  answer = "Cancel";
  CloseWizard();
}

void ProfileAssistant::OnFinish() {
  if (!SaveWizSettings()) return;
  if (!complete_) {
    message_ = IncompleteMessage(true);
    if (host_.MsgBox(message_, ui::kYesNo + ui::kInformation, kSaveErrorTitle) != ui::kYes) {
      return;
    }
  }
  ending_ = Ending::kFinished;
  answer = "Finish";
  CloseWizard();
}

void ProfileAssistant::OnHelp() { ShowBrowser(Text(kEntryHelpPage)); }

// Saving.

bool ProfileAssistant::SaveWizSettings() {
  ui::Form& form = *this;
  std::string& website = form["txtWebsite"].text;
  // Nothing typed stays nothing, so Finish can still tell that the address is missing.
  if (!text::Trim(website).empty() && !text::LCase(website).starts_with("http")) {
    website = "http://" + website;
  }
  complete_ = !text::Trim(form["txtEmail"].text).empty() && !NoWebsite(website);

  const std::string signature =
      text::Trim(form["cboSig"].text).empty() ? form["cboSig"].list.front() : form["cboSig"].text;
  std::deque<SettingKey> in_signature;  // the same keys in the signature's section
  std::vector<std::pair<const SettingKey*, std::string>> values;
  values.emplace_back(&keys::AutoPreview, TrueFalse(form["chkAutoPreview"].value == 1));
  for (const ProfileField& field : ProfileFields()) {
    values.emplace_back(field.key, form[field.control].text);
  }
  values.emplace_back(&keys::BilingualWizard, TrueFalse(form["chkBilingual"].value == 1));
  const size_t profile_end = values.size();
  for (size_t i = 1; i < profile_end; ++i) {
    const SettingKey& key = *values[i].first;
    in_signature.push_back({key.application, signature, key.name, key.default_value, ""});
    values.emplace_back(&in_signature.back(), values[i].second);
  }
  // The vCard choice: the card in the list with the box ticked, none with it clear.
  const ui::Control& cards = form["cboVcard"];
  const ui::Control& paths = form["lstVcardPaths"];
  if (form["chkVCard"].value == 1) {
    const int at = cards.list_index;
    const bool chosen = at >= 0 && at < static_cast<int>(paths.list.size());
    values.emplace_back(&keys::vCardSelected, chosen ? cards.list[at] : "");
    values.emplace_back(&keys::vCard, chosen ? cards.list[at] : "");
    values.emplace_back(&keys::vCardPath, chosen ? paths.list[at] : "");
    values.emplace_back(&keys::vCardPathSelected, chosen ? paths.list[at] : "");
  } else {
    values.emplace_back(&keys::vCard, "");
    values.emplace_back(&keys::vCardPath, "");
  }
  values.emplace_back(&keys::CurrentSignature, signature);
  if (settings_.IsTrue(keys::MultipleSignatures)) {
    values.emplace_back(&keys::Template, text::Trim(form["cboTemplates"].text) + ".htm");
  }
  try {
    settings_.SetAll(values);
  } catch (const Error& e) {
    host_.MsgBox(std::string(e.what()) + ". Nothing was saved.", ui::kInformation, kSaveErrorTitle);
    return false;
  }
  if (signature_only_) {
    const compose::SignatureFilesResult result = compose::CreateOutlookSignatures(
        {settings_, deps_.env.fs, deps_.env.system, deps_.env.registry},
        compose::SignatureLists::kWizard);
    for (const compose::SignatureStepFailure& failure : result.failures) {
      Note("Profile Assistant - signature file " + failure.path + ": " + failure.step + ": " +
           failure.reason);
    }
  }
  return true;
}

// Named signatures.

void ProfileAssistant::UpdateRemoveButton() {
  ui::Form& form = *this;
  form["cmdRemoveSig"].enabled =
      settings_.IsTrue(keys::MultipleSignatures) && form["cboSig"].list_index > 0;
}

void ProfileAssistant::cboSig_Click() {
  ui::Form& form = *this;
  UpdateRemoveButton();
  const std::string section = form["cboSig"].text;
  if (section.empty()) return;
  for (const ProfileField& field : ProfileFields()) {
    if (field.per_signature) form[field.control].text = settings_.GetInSection(*field.key, section);
  }
}

void ProfileAssistant::cmdAdd_Click() {
  const std::string name = host_.InputBox(kNewSignaturePrompt, kNewSignatureTitle, "");
  if (name.empty()) return;
  ui::Control& sigs = (*this)["cboSig"];
  const bool listed = std::any_of(sigs.list.begin(), sigs.list.end(),
                                  [&](const std::string& n) { return SameName(n, name); });
  if (listed) {
    host_.MsgBox("The name " + name + " is in the list already, please choose another name.",
                 ui::kInformation, "New signature name");
    return;
  }
  // The name becomes a section of the store and an entry of a ";" list: neither may hold the
  // characters that would split it.
  if (name.find_first_of("\\;") != std::string::npos || text::Trim(name).empty()) {
    host_.MsgBox("The name " + name + " cannot be used: a signature name cannot hold \\ or ;.",
                 ui::kInformation, "New signature name");
    return;
  }
  const std::optional<std::string> stored = settings_.Find(keys::SignatureList);
  settings_.Set(keys::SignatureList, (stored ? *stored : std::string(kMainSignature)) + ";" + name);
  sigs.list.push_back(name);
}

void ProfileAssistant::cmdRemoveSig_Click() {
  ui::Control& sigs = (*this)["cboSig"];
  const int at = sigs.list_index;
  if (at <= 0 || at >= static_cast<int>(sigs.list.size())) return;
  const std::string name = sigs.list[at];
  if (host_.MsgBox("Do you want to remove " + name + " from the list?", ui::kYesNo,
                   "Remove " + name) != ui::kYes) {
    return;
  }
  settings_.DeleteSectionOf(keys::CurrentSignature, name);
  sigs.list.erase(sigs.list.begin() + at);
  std::string list;
  for (const std::string& kept : sigs.list) list += kept + ";";
  settings_.Set(keys::SignatureList, list);
  sigs.list_index = 0;
  sigs.text = sigs.list.front();
  cboSig_Click();
}

// Step 3.

void ProfileAssistant::chkDoNotShow_Click() {
  if (loading_) return;
  ui::Control& box = (*this)["chkDoNotShow"];
  if (box.value == 1) {
    if (host_.MsgBox(kSuppressStepQuestion, ui::kYesNo, kSuppressStepTitle) == ui::kYes) {
      settings_.Set(keys::ShowCustomTemplates, "False");
      return;
    }
    box.value = 0;
  }
  settings_.Set(keys::ShowCustomTemplates, "True");
}

void ProfileAssistant::ShowPanelPage(std::string_view box) {
  const std::string address = text::Trim((*this)[box].text);
  if (address.empty()) return;
  ShowBrowser(address);
}

void ProfileAssistant::cmdSysCheck_Click() {
  bool ended = false;
  if (deps_.system_check) {
    ended = deps_.system_check((*this)["cmdSysCheck"].caption);
  } else {
    SystemCheckDeps check{
        .env = deps_.env, .captions = deps_.captions, .program_folder = deps_.program_folder};
    ended = SystemCheckClick(check, (*this)["cmdSysCheck"].caption);
  }
  if (ended) {
    ending_ = Ending::kSystemCheck;
    answer = "System test";
    CloseWizard();
  }
}

Ending RunProfileAssistant(ProfileAssistantDeps deps) {
  ui::Host& host = deps.env.ui;
  ProfileAssistant wizard(std::move(deps));
  host.ShowForm(wizard);
  const Ending ending = wizard.ending() == Ending::kOpen ? Ending::kCancelled : wizard.ending();
  if (ending == Ending::kFinished) wizard.RunConfirmScreen(wizard.Text(kEntryTourPage));
  return ending;
}

}  // namespace vellumo::profilewizard
