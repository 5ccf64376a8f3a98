#include "profilewizard/profile_assistant.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/diagnostics/diagnostics_fixture.h"
#include "common/settings/keys.h"
#include "profilewizard/vcard_file.h"

namespace vellumo::profilewizard {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

// Answers boxes and input boxes from queues (the default button, an empty text when they run
// out) and records every window; a form is handed to on_form, which may drive it, then closed.
class WizardHost final : public ui::Host {
 public:
  struct Box {
    std::string prompt;
    int style;
    std::string title;
  };
  int MsgBox(std::string_view prompt, int style, std::string_view title) override {
    boxes.push_back({std::string(prompt), style, std::string(title)});
    if (answers.empty()) return ui::MsgBoxDefault(style);
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::string InputBox(std::string_view, std::string_view title, std::string_view) override {
    inputs.emplace_back(title);
    if (typed.empty()) return {};
    std::string text = typed.front();
    typed.pop_front();
    return text;
  }
  void ShowForm(ui::Form& form) override {
    forms.push_back(form.name());
    form.Load();
    if (on_form) on_form(form);
    if (form.loaded()) form.Close();
  }
  std::deque<int> answers;
  std::deque<std::string> typed;
  std::vector<Box> boxes;
  std::vector<std::string> inputs;
  std::vector<std::string> forms;
  std::function<void(ui::Form&)> on_form;
};

class ProfileAssistantTest : public testing::DiagnosticsFixture {
 protected:
  ProfileAssistantDeps Deps() {
    return ProfileAssistantDeps{
        .env = Env{registry_, fs_, clock_, processes_, system_, host_, &app_},
        .program_folder = "C:\\Apps"};
  }
  ProfileAssistant& Wizard() {
    if (!wizard_) {
      wizard_ = std::make_unique<ProfileAssistant>(Deps());
      wizard_->Load();
    }
    return *wizard_;
  }
  void Type(std::string_view control, std::string_view value) {
    Wizard().Fire(control, "Change", value);
  }
  void Next() { Wizard().Fire("cmdNav3", "Click"); }
  void Back() { Wizard().Fire("cmdNav2", "Click"); }
  void Admin(std::string_view key, std::string_view value) { Set("Admin Settings", key, value); }
  std::string AdminValue(std::string_view key) const { return Get("Admin Settings", key); }

  WizardHost host_;
  std::unique_ptr<ProfileAssistant> wizard_;
  std::string tour_;
};

TEST_F(ProfileAssistantTest, OpensOnTheIntroductionUnlessTheUserSkipsIt) {
  ProfileAssistant& wizard = Wizard();
  EXPECT_EQ(wizard.current_step(), 0);
  EXPECT_EQ(wizard.caption, "Vellumo Profile Assistant - Introduction");
  EXPECT_FALSE(wizard["cmdNav2"].enabled);
  EXPECT_TRUE(wizard["cmdNav3"].enabled);
  EXPECT_FALSE(wizard["cmdNav4"].enabled);
  EXPECT_EQ(wizard["cmdNav3"].caption, "&Next >");
  EXPECT_TRUE(wizard["fraStep0"].visible);
  EXPECT_FALSE(wizard["fraStep1"].visible);
  EXPECT_EQ(wizard["txtTelephoneLabel"].text, "Tel:");
  EXPECT_EQ(wizard["chkAutoPreview"].value, 1);

  wizard.Fire("chkSkipIntro", "Click");
  EXPECT_EQ(settings_.GetSetting(kSetupWiz, "Vellumo", "IntroductionScreen"), "ShowIntro");
  wizard_.reset();
  EXPECT_EQ(Wizard().current_step(), 1);
  EXPECT_EQ(Wizard().caption, "Vellumo Profile Assistant - Step 1");
  EXPECT_TRUE(Wizard()["cmdNav2"].enabled);
  EXPECT_EQ(Wizard()["chkSkipIntro"].value, 1);
}

TEST_F(ProfileAssistantTest, StepsRunInOrderAndSkipTheCustomStepWhenItIsHidden) {
  Next();
  Next();
  Next();
  EXPECT_EQ(Wizard().current_step(), 3);
  EXPECT_TRUE(Wizard()["cmdNav0"].visible);  // Help belongs to the custom-templates step
  Next();
  EXPECT_EQ(Wizard().current_step(), 4);
  EXPECT_FALSE(Wizard()["cmdNav3"].enabled);
  EXPECT_TRUE(Wizard()["cmdNav4"].enabled);
  EXPECT_FALSE(Wizard()["cmdNav0"].visible);
  EXPECT_FALSE(Wizard()["fraStep3"].visible);
  EXPECT_EQ(Wizard()["fraStep3"].left, WizardFrame::kOutOfSight);
  EXPECT_EQ(Wizard().default_button, "cmdNav4");
  Back();
  EXPECT_EQ(Wizard().current_step(), 3);
  EXPECT_FALSE(Wizard()["cmdNav4"].enabled);      // finish only from the last step
  EXPECT_EQ(Wizard().default_button, "cmdNav3");  // Enter goes on, not to a disabled Finish

  // "Do not show this step", answered Yes, hides the step for good.
  host_.answers = {ui::kYes};
  Wizard().Fire("chkDoNotShow", "Click");
  EXPECT_EQ(AdminValue("ShowCustomTemplates"), "False");
  EXPECT_EQ(host_.boxes.back().title, "Suppress the custom template feature");
  Back();
  Next();
  EXPECT_EQ(Wizard().current_step(), 4);
  Back();
  EXPECT_EQ(Wizard().current_step(), 2);

  // Answered No, the box clears again and the step stays.
  host_.answers = {ui::kNo};
  Wizard()["chkDoNotShow"].value = 0;
  Wizard().Fire("chkDoNotShow", "Click");
  EXPECT_EQ(Wizard()["chkDoNotShow"].value, 0);
  EXPECT_EQ(AdminValue("ShowCustomTemplates"), "True");
}

TEST_F(ProfileAssistantTest, CancelAsksOnlyWhenAnAddressIsMissingAndSavesNothing) {
  Type("txtEmail", "ann@lee.example");
  Type("txtWebsite", "");
  host_.answers = {ui::kNo};
  Wizard().Fire("cmdNav1", "Click");
  ASSERT_EQ(host_.boxes.size(), 1u);
  EXPECT_EQ(host_.boxes[0].title, "Cancel?");
  EXPECT_EQ(host_.boxes[0].style, ui::kYesNo + ui::kInformation);
  EXPECT_EQ(host_.boxes[0].prompt,
            "Some of the values you provided are incomplete.\r\n"
            "The website address is incomplete. Ok to cancel and exit?\r\n\r\n"
            "Click Yes to exit with an incomplete website. Otherwise click No.\r\n"
            "If you choose No, click the Next or Back button to make any changes, then click "
            "Finish.");
  EXPECT_EQ(Wizard().ending(), Ending::kOpen);
  EXPECT_TRUE(Wizard().loaded());

  Type("txtWebsite", "www.lee.example");
  Wizard().Fire("cmdNav1", "Click");
  EXPECT_EQ(host_.boxes.size(), 1u);
  EXPECT_EQ(Wizard().ending(), Ending::kCancelled);
  EXPECT_FALSE(Wizard().loaded());
  EXPECT_EQ(AdminValue("SigEmail"), "<unset>");
}

TEST_F(ProfileAssistantTest, FinishWithoutAWebsiteAsksBeforeItEnds) {
  Type("txtEmail", "ann@lee.example");
  for (int i = 0; i < 4; ++i) Next();
  host_.answers = {ui::kNo};
  Wizard().Fire("cmdNav4", "Click");
  ASSERT_EQ(host_.boxes.size(), 1u);
  EXPECT_EQ(host_.boxes[0].title, "Save your signature data?");
  EXPECT_THAT(host_.boxes[0].prompt,
              HasSubstr("The website address is incomplete. Ok to save and exit?"));
  EXPECT_THAT(host_.boxes[0].prompt,
              HasSubstr("\r\nIf you choose No, click the Back button to make any changes."));
  EXPECT_EQ(Wizard().current_step(), 4);
  EXPECT_EQ(Wizard().ending(), Ending::kOpen);
  EXPECT_EQ(Wizard()["txtWebsite"].text, "");            // nothing typed is not made an address
  EXPECT_EQ(AdminValue("SigEmail"), "ann@lee.example");  // what was saved stays

  host_.answers = {ui::kYes};
  Wizard().Fire("cmdNav4", "Click");
  EXPECT_EQ(Wizard().ending(), Ending::kFinished);
}

TEST_F(ProfileAssistantTest, FinishStoresTheProfileInAdminSettingsAndTheSignature) {
  Admin("SigFax", "+1 555 0100");
  Admin("WizDisableFax", "True");
  Type("txtEmail", "ann@lee.example");
  Type("txtWebsite", "www.lee.example");
  Type("txtFullname", "Ann Marie Lee");
  Type("txtPosition", "Harbour master");
  EXPECT_FALSE(Wizard()["txtFax"].visible);
  for (int i = 0; i < 4; ++i) Next();
  Wizard().Fire("cmdNav4", "Click");
  EXPECT_EQ(Wizard().ending(), Ending::kFinished);
  EXPECT_TRUE(host_.boxes.empty());
  EXPECT_EQ(AdminValue("SigWebsite"), "http://www.lee.example");
  EXPECT_EQ(AdminValue("SigFullname"), "Ann Marie Lee");
  EXPECT_EQ(AdminValue("SigFax"), "+1 555 0100");  // hidden, written back unchanged
  EXPECT_EQ(AdminValue("SigTelephoneLabel"), "Tel:");
  EXPECT_EQ(AdminValue("AutoPreview"), "True");
  EXPECT_EQ(AdminValue("Current Signature"), "Main signature");
  EXPECT_EQ(Get("Main signature", "SigPosition"), "Harbour master");
  EXPECT_EQ(Get("Main signature", "SigWebsite"), "http://www.lee.example");
  EXPECT_EQ(Get("Main signature", "AutoPreview"), "<unset>");
  EXPECT_EQ(Get("User Settings", "Template"), "<unset>");  // one signature: no template choice
  EXPECT_EQ(Get("User Settings", "vCard"), "");
}

TEST_F(ProfileAssistantTest, AWebsiteWithTheSchemeInCapitalsIsLeftAsTyped) {
  Type("txtEmail", "ann@lee.example");
  Type("txtWebsite", "HTTPS://Lee.example");
  EXPECT_TRUE(Wizard().SaveWizSettings());
  EXPECT_TRUE(Wizard().complete());
  EXPECT_EQ(AdminValue("SigWebsite"), "HTTPS://Lee.example");
}

TEST_F(ProfileAssistantTest, ARefusedSaveStoresNothingAndKeepsTheWizardOpen) {
  Type("txtEmail", "ann@lee.example");
  Type("txtWebsite", "www.lee.example");
  for (int i = 0; i < 4; ++i) Next();
  registry_.Fail(FaultyRegistry::Call::kApply);
  Wizard().Fire("cmdNav4", "Click");
  EXPECT_EQ(Wizard().ending(), Ending::kOpen);
  ASSERT_EQ(host_.boxes.size(), 1u);
  EXPECT_THAT(host_.boxes[0].prompt, HasSubstr("Nothing was saved."));
  EXPECT_EQ(AdminValue("SigEmail"), "<unset>");
  EXPECT_EQ(Get("Main signature", "SigEmail"), "<unset>");
}

TEST_F(ProfileAssistantTest, NamedSignaturesAreAddedRefusedChosenAndRemoved) {
  Admin("Multiple Signatures", "True");
  Set("Work", "SigPosition", "Skipper");
  host_.typed = {"Work"};
  Wizard().Fire("cmdAdd", "Click");
  EXPECT_EQ(Get("User Settings", "SignatureList"), "Main Signature;Work");
  EXPECT_THAT(Wizard()["cboSig"].list, ElementsAre("Main signature", "Work"));
  EXPECT_FALSE(Wizard()["cmdRemoveSig"].enabled);  // the first entry stays

  host_.typed = {"work"};
  Wizard().Fire("cmdAdd", "Click");
  ASSERT_EQ(host_.boxes.size(), 1u);
  EXPECT_EQ(host_.boxes[0].prompt,
            "The name work is in the list already, please choose another name.");
  EXPECT_EQ(Get("User Settings", "SignatureList"), "Main Signature;Work");

  Wizard().Fire("cboSig", "Click", "1");
  EXPECT_EQ(Wizard()["txtPosition"].text, "Skipper");
  EXPECT_TRUE(Wizard()["cmdRemoveSig"].enabled);
  host_.answers = {ui::kYes};
  Wizard().Fire("cmdRemoveSig", "Click");
  EXPECT_EQ(host_.boxes.back().title, "Remove Work");
  EXPECT_EQ(Get("User Settings", "SignatureList"), "Main signature;");
  EXPECT_EQ(Get("Work", "SigPosition"), "<unset>");
  EXPECT_THAT(Wizard()["cboSig"].list, ElementsAre("Main signature"));

  // The list read back after the removal has no empty entry.
  wizard_.reset();
  EXPECT_THAT(Wizard()["cboSig"].list, ElementsAre("Main signature"));
}

TEST_F(ProfileAssistantTest, WithMultipleSignaturesFinishStoresTheChosenTemplate) {
  Admin("Multiple Signatures", "True");
  Admin("HTM Files Path", "C:\\stationery");
  mem_fs_.AddFile("C:\\stationery\\Blue Sky.htm", "x");
  mem_fs_.AddFile("C:\\stationery\\Blue Sky_merge.htm", "x");
  mem_fs_.AddFile("C:\\stationery\\notes.txt", "x");
  EXPECT_THAT(Wizard()["cboTemplates"].list, ElementsAre("Blue Sky"));
  Wizard().Fire("cboTemplates", "Click", "0");
  EXPECT_TRUE(Wizard().SaveWizSettings());
  EXPECT_EQ(Get("User Settings", "Template"), "Blue Sky.htm");
}

TEST_F(ProfileAssistantTest, TurnsAMailServerAddressIntoAnInternetAddress) {
  settings_.Set(keys::ExchangeDomain, "lee.example");
  EXPECT_EQ(Wizard().GetEmailAddress("/o=Lee/ou=Harbour/cn=Recipients/cn=annlee"),
            "annlee@lee.example");

  // Pre-fill from the mail profile's user, when the administrator asks for it.
  Admin("UseMAPI", "True");
  app_.SetCurrentUser("Ann Marie Lee", "/o=Lee/cn=Recipients/cn=ann");
  wizard_.reset();
  EXPECT_EQ(Wizard()["txtFullname"].text, "Ann Marie Lee");
  EXPECT_EQ(Wizard()["txtEmail"].text, "ann@lee.example");
}

TEST_F(ProfileAssistantTest, BilingualModeShowsTheSecondColumn) {
  EXPECT_FALSE(Wizard()["txtFullnameFR"].visible);
  Wizard().Fire("chkBilingual", "Click");
  EXPECT_TRUE(Wizard()["txtFullnameFR"].visible);
  EXPECT_TRUE(Wizard()["txtWebsiteFR"].visible);
  EXPECT_EQ(Wizard()["fraDetails"].caption,
            "Please enter the detail for your email signature, English left, other right");
  Type("txtFullnameFR", "Anne-Marie Lee");
  EXPECT_TRUE(Wizard().SaveWizSettings());
  EXPECT_EQ(AdminValue("BilingualWizard"), "True");
  EXPECT_EQ(Get("Main signature", "SigFullnameFR"), "Anne-Marie Lee");
}

TEST_F(ProfileAssistantTest, TheAdministratorsPackagesAreTakenAndKept) {
  mem_fs_.AddFile("C:\\Apps\\NewUser.reg",
                  "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\VB and VBA Program "
                  "Settings\\Vellumo\\Admin Settings]\r\n\"SigOrganizationName\"=\"Lee & "
                  "Daughters\"\r\n");
  mem_fs_.AddFile("C:\\Apps\\NewUser.msi", "package");
  Wizard();
  EXPECT_EQ(Wizard()["txtOrganization"].text, "Lee & Daughters");
  EXPECT_TRUE(mem_fs_.FileExists("C:\\Apps\\NewUser.reg"));
  EXPECT_TRUE(mem_fs_.FileExists("C:\\Apps\\NewUser.msi"));
  EXPECT_THAT(Log("C:\\Apps\\Support\\SupportLog.txt"),
              HasSubstr("NewUser.msi: installer packages are not run on this platform"));
  EXPECT_THAT(processes_.started(), IsEmpty());
}

TEST_F(ProfileAssistantTest, TheSearchImportsTheFirstCardOfAMyDocumentsFolder) {
  const std::string docs = "C:\\documents and settings\\ann\\My Documents";
  mem_fs_.AddFile(docs + "\\Ann.vcf",
                  "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Ann Lee\r\nTITLE:Skipper\r\n"
                  "ADR;WORK:;;1 Quay;Port Lantern;\r\nEND:VCARD\r\n");
  mem_fs_.AddFile(docs + "\\Bob.vcf", "BEGIN:VCARD\r\nFN:Bob\r\nEND:VCARD\r\n");
  Type("txtPosition", "typed before");
  Wizard().Fire("chkVCard", "Click");
  EXPECT_THAT(Wizard()["cboVcard"].list, ElementsAre("Ann.vcf"));
  EXPECT_THAT(Wizard()["lstVcardPaths"].list, ElementsAre(docs + "\\Ann.vcf"));
  EXPECT_EQ(Wizard()["txtFullname"].text, "Ann Lee");
  EXPECT_EQ(Wizard()["txtPosition"].text, "Skipper");
  EXPECT_EQ(Wizard()["txtAddress2"].text, "Port Lantern");
  EXPECT_FALSE(Wizard()["prgScan"].visible);
  EXPECT_TRUE(host_.boxes.empty());
  EXPECT_TRUE(Wizard().SaveWizSettings());
  EXPECT_EQ(Get("User Settings", "vCard"), "Ann.vcf");
  EXPECT_EQ(Get("User Settings", "vCardPath"), docs + "\\Ann.vcf");
}

TEST_F(ProfileAssistantTest, NoCardFoundOffersTheManualLocate) {
  mem_fs_.AddFolder("C:\\documents and settings\\ann\\My Documents");
  mem_fs_.AddFile("C:\\cards\\Lee.vcf", "BEGIN:VCARD\r\nFN:Ann Lee\r\nEND:VCARD\r\n");
  Admin("SigFullname", "Stored Name");
  Type("txtFullname", "typed");
  host_.answers = {ui::kYes};
  host_.on_form = [](ui::Form& form) {
    if (form.name() != "frmPath") return;
    form.Fire("drvMain", "Click", "0");
    const auto& folders = form["dirMain"].list;
    for (size_t i = 0; i < folders.size(); ++i) {
      if (folders[i] == "C:\\cards") form.Fire("dirMain", "Click", std::to_string(i));
    }
    form.Fire("filMain", "DblClick", "0");
  };
  Wizard().Fire("chkVCard", "Click");
  ASSERT_EQ(host_.boxes.size(), 1u);
  EXPECT_EQ(host_.boxes[0].title, "vCard Scanning finished");
  EXPECT_EQ(host_.forms, std::vector<std::string>{"frmPath"});
  EXPECT_THAT(Wizard()["cboVcard"].list, ElementsAre("Lee.vcf"));
  EXPECT_THAT(Wizard()["lstVcardPaths"].list, ElementsAre("C:\\cards\\Lee.vcf"));
  EXPECT_EQ(Wizard()["txtFullname"].text, "Ann Lee");
}

TEST_F(ProfileAssistantTest, OffersToCreateACardOnceWhenTheAdministratorAsks) {
  Admin("AskedForVCard", "False");
  Next();
  Next();
  Type("txtFullname", "Ann Marie Lee");
  Type("txtOrganization", "Lee; Daughters");
  host_.answers = {ui::kYes};
  Next();
  ASSERT_EQ(host_.boxes.size(), 2u);
  EXPECT_EQ(host_.boxes[0].title, "Create a vCard?");
  EXPECT_EQ(host_.boxes[1].prompt,
            "a vCard has been created for you in your My Documents folder\r\ncalled Ann Marie "
            "Lee.vcf");
  const std::string path = "C:\\My Documents\\Ann Marie Lee.vcf";
  const std::string card = mem_fs_.Contents(path).value_or("");
  EXPECT_THAT(card, StartsWith("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Lee, Ann Marie\r\n"
                               "FN:Ann Marie Lee\r\nORG:Lee\\; Daughters\r\n"));
  EXPECT_EQ(Get("User Settings", "vCardPath"), path);
  EXPECT_EQ(Get("User Settings", "vCardSelected"), "Ann Marie Lee.vcf");
  EXPECT_EQ(AdminValue("AskedForVCard"), "True");
  EXPECT_THAT(Wizard()["cboVcard"].list, ElementsAre("Ann Marie Lee.vcf"));

  Back();
  Next();
  EXPECT_EQ(host_.boxes.size(), 2u);  // asked once
}

TEST_F(ProfileAssistantTest, NoOfferWhileAskedForVCardIsAtItsDefault) {
  Next();
  Next();
  Type("txtFullname", "Ann Marie Lee");
  Next();
  EXPECT_TRUE(host_.boxes.empty());
  EXPECT_EQ(Wizard().current_step(), 3);
}

TEST_F(ProfileAssistantTest, TheConfirmationScreenAndTheTourFollowFinish) {
  Admin("RunFirstTime", "True");
  host_.answers = {ui::kYes};
  // Start the wizard where Finish is allowed.
  settings_.SaveSetting(kSetupWiz, "Vellumo", "IntroductionScreen", "ShowIntro");
  host_.on_form = [this](ui::Form& form) {
    if (form.name() == "frmWizard") {
      for (int i = 0; i < 3; ++i) form.Fire("cmdNav3", "Click");
      form.Fire("txtEmail", "Change", "ann@lee.example");
      form.Fire("txtWebsite", "Change", "www.lee.example");
      form.Fire("cmdNav4", "Click");
    } else if (form.name() == "frmConfirm") {
      form.Fire("chkDontShow", "Click");
      form.Fire("cmdOK", "Click");
    } else if (form.name() == "frmShowImage") {
      tour_ = form["brwWeb"].document;
    }
  };
  EXPECT_EQ(RunProfileAssistant(Deps()), Ending::kFinished);
  EXPECT_EQ(host_.forms, (std::vector<std::string>{"frmWizard", "frmConfirm", "frmShowImage"}));
  EXPECT_EQ(host_.boxes.back().title, "Getting Started");
  EXPECT_EQ(tour_, "vellumo:pages/wizard-tour.html");
  EXPECT_EQ(AdminValue("RunFirstTime"), "False");
  EXPECT_EQ(settings_.GetSetting(kSetupWiz, "Vellumo", "ConfirmScreen"), "DontShow");

  // Next time: no confirmation screen.
  host_.forms.clear();
  EXPECT_EQ(RunProfileAssistant(Deps()), Ending::kFinished);
  EXPECT_EQ(host_.forms, std::vector<std::string>{"frmWizard"});
}

TEST_F(ProfileAssistantTest, TheSystemTestButtonOffersTheReportToAUserWhoCameBack) {
  EXPECT_EQ(Wizard()["cmdSysCheck"].caption, "System test");
  EXPECT_FALSE(Wizard()["cmdSysCheck"].visible);
  Next();
  Next();
  Next();
  EXPECT_TRUE(Wizard()["cmdSysCheck"].visible);
  host_.answers = {ui::kNo};
  Wizard().Fire("cmdSysCheck", "Click");
  EXPECT_EQ(host_.boxes.back().prompt, "This will create a test email.");
  EXPECT_EQ(Wizard().ending(), Ending::kOpen);
  Back();
  EXPECT_FALSE(Wizard()["cmdSysCheck"].visible);

  settings_.Set(keys::SystemCheckState, "Send Report");
  wizard_.reset();
  EXPECT_EQ(Wizard()["cmdSysCheck"].caption, "Send Report");
  EXPECT_TRUE(Wizard()["cmdSysCheck"].visible);
  Type("txtEmail", "changed@lee.example");
  Wizard().Fire("cmdSysCheck", "Click");
  EXPECT_EQ(Wizard().ending(), Ending::kSystemCheck);
  EXPECT_FALSE(Wizard().loaded());
  EXPECT_EQ(settings_.Stored(keys::SystemCheckState), "");
  EXPECT_EQ(settings_.Get(keys::SystemCheck), "False");
  EXPECT_EQ(AdminValue("SigEmail"), "<unset>");  // the test ends the wizard without saving
  EXPECT_EQ(RunProfileAssistant(Deps()), Ending::kCancelled);  // no confirmation after Cancel
}

}  // namespace
}  // namespace vellumo::profilewizard
