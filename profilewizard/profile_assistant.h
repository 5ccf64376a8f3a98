// ProfileAssistant (frmWizard): the set-up wizard. Five steps on one window: the introduction
// with the named signatures and the default template (0), addresses, bilingual box, vCard panel
// and preview box (1), name, organisation, position, numbers and address (2), labels and the two
// custom templates (3), finished (4). Step 3 is left out when ShowCustomTemplates is "False".
//
// Load (start-up, in this order): the signature-only flag; the administrator's NewUser.reg
// imported into the store as one transaction (the file stays for other users); the signature
// and template lists; an administrator's NewUser.msi noted in the log (installer packages are
// not run on this platform; the file stays); the profile from Admin Settings and the preview box;
// pre-fill of name and address from the mail profile's user; the vCard choice, logo, custom
// template fields, bilingual box, labels and administrator switches; then the first step.
//
// Nothing is stored before Finish except what a step states plainly: the introduction-skip and
// "Do not show this step" boxes, the signature list (New Signature, Remove), a vCard the user
// agreed to create. Finish stores the whole profile in one transaction (SaveWizSettings): in
// Admin Settings and in the section of the current signature, with the vCard choice, the current
// signature and the default template; a failure leaves the store as it was and the wizard open.
// Cancel stores nothing.
//
// The vCard search runs on a thread of its own while the window's thread shows its progress and
// asks, at the second wrap of the bar, whether to go on (No stops it).
//
// The Env's members and the caption table must outlive the wizard. One thread (the window's).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/diagnostics/diagnostics.h"
#include "common/forms/caption_table.h"
#include "common/forms/wizard_frame.h"
#include "platform/env.h"
#include "platform/win_path.h"
#include "profilewizard/captions.h"
#include "profilewizard/profile_assistant_fields.h"
#include "profilewizard/vcard_file.h"

namespace vellumo::profilewizard {

inline constexpr std::string_view kWizardTitle = "Vellumo Profile Assistant";
inline constexpr std::string_view kNewUserReg = "NewUser.reg";
inline constexpr std::string_view kNewUserMsi = "NewUser.msi";
inline constexpr std::string_view kMainSignature = "Main Signature";
inline constexpr std::string_view kVCardPrompt = "Please locate the vCard file(s)";

// The diagnostics of the wizard: notes in the shared log (created when missing), no reports.
extern const DiagnosticsVariant kSetupWizardDiagnostics;

// How the wizard ended.
enum class Ending {
  kOpen,         // still running
  kCancelled,    // Cancel or the close box: nothing saved
  kFinished,     // Finish: the profile saved
  kSystemCheck,  // a stage of the system test ran; the program ends at once
};

struct ProfileAssistantDeps {
  // registry, fs, clock, processes, system, ui; mail (may be null) is the mail client, for the
  // pre-fill and the system test.
  Env env;
  const CaptionTable& captions = WizardCaptions();
  // Where the administrator's NewUser.reg and NewUser.msi are looked for.
  std::string program_folder = std::string(WinPath::kProgramFolder);
  // The system test button (given its caption): true when the program must end now. Empty: the
  // two-stage test of system_check.h on this Env.
  std::function<bool(std::string_view caption)> system_check{};
};

class ProfileAssistant final : public WizardFrame {
 public:
  explicit ProfileAssistant(ProfileAssistantDeps deps);
  ~ProfileAssistant() override;

  Ending ending() const { return ending_; }
  // Set by SaveWizSettings: both the e-mail and the web site address are filled.
  bool complete() const { return complete_; }
  bool signature_only() const { return signature_only_; }

  // Stores the profile (one transaction); false when the store refused it (the user was told).
  bool SaveWizSettings();
  // An address of the mail server ("/o=Org/ou=Site/cn=Recipients/cn=ann") as an internet
  // address: the text after the last "cn=", "@", ExchangeDomain.
  std::string GetEmailAddress(std::string_view address) const;
  void setBilingual();
  // The template list's entry for a file name: "Blue Sky.htm" -> "Blue Sky"; "" for a file the
  // list leaves out (not ".htm", or "_merge.htm").
  static std::string GetFileName(std::string_view file_name);

  // Runs the vCard search below start (the wizard's "C:\documents and settings"); adds the first
  // card found to the lists and imports it. Returns the path found, "" for none.
  std::string SearchVCard(std::string_view start);

 private:
  // WizardFrame's hooks.
  int NextStep(int step) override;
  int BackStep(int step) override;
  bool BeforeNext(int step) override;
  void AfterMove(Direction direction) override;
  void OnStepEntered(int step) override;
  void OnCancel() override;
  void OnFinish() override;
  void OnHelp() override;

  void Form_Load();
  void RunAdministratorPackages();
  void LoadLists();
  void LoadProfile();
  void PreFill();
  void LoadPanels();
  void ApplySwitches();
  bool HiddenBySwitch(const ProfileField& field) const;
  static bool NoWebsite(std::string_view website);
  // Cancel's and Finish's question; "" when both addresses are filled.
  std::string IncompleteMessage(bool saving) const;

  // Named signatures.
  void cboSig_Click();
  void cmdAdd_Click();
  void cmdRemoveSig_Click();
  std::vector<std::string> SignatureNames() const;
  void UpdateRemoveButton();

  // Step 3.
  void chkDoNotShow_Click();
  void ShowPanelPage(std::string_view box);

  // The vCard panel.
  void chkVCard_Click();
  void cboVcard_Click();
  void cmdFindvCard_Click();
  void AddVCard(const std::string& name, const std::string& path);
  void ImportChosenVCard();
  void ClearVCardFields();
  void RefillFromProfile();
  VCardFields TypedFields() const;
  void OfferVCard();

  void cmdSysCheck_Click();
  void Note(std::string_view text);

  ProfileAssistantDeps deps_;
  Diagnostics log_;
  Ending ending_ = Ending::kOpen;
  bool complete_ = false;
  bool signature_only_ = false;
  bool loading_ = true;
  bool vcard_question_pending_ = true;
  std::string message_;  // the shared text questions are built in
};

// Shows the wizard on deps.env.ui until it ends; after Finish the confirmation screen and the
// tour offer. Returns how it ended.
Ending RunProfileAssistant(ProfileAssistantDeps deps);

}  // namespace vellumo::profilewizard
