// The add-in's whole life in the mail client: connection, start-up complete with its one-time
// tasks and the toolbar buttons, the mode cycle, the options page, the last window closing and
// the client's exit.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "addin/connect.h"
#include "addin/item_send_fixture.h"
#include "addin/registration.h"
#include "addin/startup.h"
#include "addin/toolbar.h"

namespace vellumo::addin::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const std::string kWizard = std::string(WinPath::kProgramFolder) + "\\ProfileAssistant.exe";

class LifecycleTest : public SendTest {
 protected:
  LifecycleTest() {
    app_.ItemSend().DisconnectAll();
    Admin("SigEmail", "iris@northwind-lanterns.example");
    Admin("SigWebsite", "https://northwind-lanterns.example");
    Admin("StartupSetupWiz", "False");
    RegisterConnectClass(app_, env_);
    RegisterAddIn(registry_, "/usr/bin/vellumo");
  }

  // The client's start: the add-in connected and told the start is complete.
  void Start() { addins_ = ConnectRegisteredAddIns(app_, registry_); }
  Connect& AddIn() { return *addins_.addins().at(0); }
  std::shared_ptr<mail::CommandBar> Standard() {
    return app_.ActiveExplorer()->CommandBars()->Item(std::string_view("Standard"));
  }
  std::shared_ptr<mail::CommandBarButton> Button(std::string_view tag) {
    return Standard()->FindControl(tag);
  }
  std::string SupportLog() {
    return fs_.Contents(std::string(WinPath::kProgramFolder) + "\\Support\\SupportLog.txt")
        .value_or("");
  }

  ConnectedAddIns addins_;
  std::vector<std::string> signature_calls_;
};

TEST_F(LifecycleTest, FirstStartWithAnEmptyProfileStartsTheWizardOnce) {
  Admin("SigEmail", "");
  Admin("StartupSetupWiz", "True");
  Start();
  EXPECT_EQ(processes_.started(), std::vector<std::string>{kWizard});
  EXPECT_EQ(settings_.Get(keys::StartupSetupWiz), "False");

  addins_ = {};
  Admin("SigEmail", "iris@northwind-lanterns.example");
  Start();
  EXPECT_EQ(processes_.started().size(), 1u) << "not again once the profile is there";

  // A wizard that cannot be started is not reported, and the start goes on.
  addins_ = {};
  Admin("SigWebsite", "");
  processes_.FailOn("ProfileAssistant");
  Start();
  EXPECT_TRUE(AddIn().connected());
  EXPECT_EQ(SupportLog(), "");
}

TEST_F(LifecycleTest, ButtonsAreMadeFromTheSettingsAndTheModeCyclesByCaption) {
  User("SuppressToolbar", "False");
  User("SettingButtonBar", "auto");
  Start();
  AddIn().set_signature_files({[this] { signature_calls_.push_back("create"); },
                               [this] { signature_calls_.push_back("reset"); }});
  auto mode = Button(kModeButtonTag);
  auto setup = Button(kSetupButtonTag);
  ASSERT_NE(mode, nullptr);
  ASSERT_NE(setup, nullptr);
  EXPECT_EQ(setup->Caption(), "Vellumo Setup");
  EXPECT_EQ(mode->Caption(), "Vellumo On");
  EXPECT_EQ(mode->Style(), mail::ButtonStyle::kIconAndCaption);
  EXPECT_EQ(mode->FaceId(), 3271);
  EXPECT_EQ(mode->TooltipText(), "");
  EXPECT_TRUE(mode->Visible());
  EXPECT_TRUE(mode->Temporary());

  std::vector<std::string> seen;
  for (int i = 0; i < 3; ++i) {
    mode->Execute();
    seen.push_back(mode->Caption() + "/" + settings_.Get(keys::SettingButtonBar));
  }
  EXPECT_THAT(seen, ElementsAre("Vellumo Off/off", "eSignature/eSignature", "Vellumo On/auto"));
  EXPECT_THAT(signature_calls_, ElementsAre("create", "reset"));

  Admin("eSignature", "False");
  mode->Execute();
  mode->Execute();
  EXPECT_EQ(mode->Caption(), "Vellumo On") << "On -> Off -> On without eSignature";
  EXPECT_EQ(signature_calls_.size(), 2u);

  Admin("ApplicationPath", " C:\\Apps ");
  addins_ = {};
  app_.OpenExplorer();
  Start();
  Button(kSetupButtonTag)->Execute();
  EXPECT_EQ(processes_.started(), std::vector<std::string>{"C:\\Apps\\ProfileAssistant.exe"});
}

TEST_F(LifecycleTest, AModeWithoutACaptionStaysUntilAnotherIsSaved) {
  User("SuppressToolbar", "False");
  User("SettingButtonBar", "on");
  Start();
  auto mode = Button(kModeButtonTag);
  ASSERT_NE(mode, nullptr);
  EXPECT_EQ(mode->Caption(), "");
  mode->Execute();
  EXPECT_EQ(mode->Caption(), "");
  EXPECT_EQ(settings_.Get(keys::SettingButtonBar), "on");

  // Without "SuppressToolbar" "False" there is no mode button; without the launcher switch no
  // set-up button.
  addins_ = {};
  app_.OpenExplorer();
  User("SuppressToolbar", "");
  Admin("ShowSetupLauncherButton", "False");
  Start();
  EXPECT_EQ(Button(kModeButtonTag), nullptr);
  EXPECT_EQ(Button(kSetupButtonTag), nullptr);
}

TEST_F(LifecycleTest, ARestartFindsItsTemporaryButtonByTagWhileTheClientHoldsIt) {
  User("SuppressToolbar", "False");
  Start();
  const int controls = Standard()->Controls()->Count();
  addins_ = {};  // the exit closes the window: its temporary buttons go with it
  app_.OpenExplorer();
  Start();
  EXPECT_EQ(Standard()->Controls()->Count(), controls);
  AddIn().OnDisconnection(1);
  AddIn().OnConnection(app_);
  AddIn().OnStartupComplete();
  EXPECT_EQ(Standard()->Controls()->Count(), controls) << "found by tag, not added again";
}

TEST_F(LifecycleTest, RegistryFilesAreImportedOnceAndAMalformedOneIsKept) {
  fs_.AddFile(kNewUserRegFile,
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Vellumo\\Admin "
              "Settings]\r\n\"SigFullname\"=\"Iris Calloway\"\r\n");
  fs_.AddFile(kDefaultUserRegFile,
              "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\X]\r\n"
              "\"a\"=dword:zz\r\n");
  Start();
  EXPECT_EQ(settings_.Get(keys::SigFullname), "Iris Calloway");
  EXPECT_FALSE(fs_.FileExists(kNewUserRegFile));
  EXPECT_TRUE(fs_.FileExists(kDefaultUserRegFile)) << "kept for the administrator to mend";
  EXPECT_FALSE(registry_.KeyExists("HKEY_CURRENT_USER\\Software\\X")) << "all or nothing";
  EXPECT_THAT(SupportLog(), HasSubstr("DefaultUser.reg:4"));
}

TEST_F(LifecycleTest, StartUpSwitchesTheEditorSpellingAndStationeryAsAsked) {
  const std::string mail9(kMailOptionKeys[0]);
  const std::string mail10(kMailOptionKeys[1]);
  registry_.SetValue(mail9, "EditorPreference", RegValue::Dword(0x30001));
  registry_.SetValue(mail10, "EditorPreference", RegValue::Dword(0x10000));
  Admin("WipeoutWordRTFtoWordHTML", "True");
  Admin("WipeoutSetSpellCheckOn", "True");
  Admin("WipeoutPersonalStationeryAlways", "True");
  const std::string stationery(kStationeryFolders[0]);
  fs_.AddFile(stationery + "\\Sub\\a.htm", "x");
  registry_.SetValue(kStationeryComponentKey, "x", RegValue::String("y"));
  Start();
  EXPECT_EQ(registry_.GetValue(mail9, "EditorPreference"), RegValue::Dword(0x20001));
  EXPECT_EQ(registry_.GetValue(mail10, "EditorPreference"), RegValue::Dword(0x10000))
      << "any other editor is left alone";
  EXPECT_EQ(registry_.GetValue(kSpellingKeys[0], "Check"), RegValue::Dword(1));
  EXPECT_EQ(registry_.GetValue(kSpellingKeys[1], "UseAutoCorrect"), RegValue::Dword(1));
  EXPECT_FALSE(fs_.FolderExists(stationery));
  EXPECT_FALSE(registry_.KeyExists(kStationeryComponentKey));
  EXPECT_EQ(settings_.Get(keys::WipeoutRemoveConvertedBR), "True") << "client version 11";

  addins_ = {};
  Admin("WipeoutRemoveConvertedBR", "False");
  Admin("WipeoutRichTextToHTML", "True");
  app_.SetVersion("9.0.0.2711");
  app_.OpenExplorer();
  Start();
  EXPECT_EQ(registry_.GetValue(mail10, "EditorPreference"), RegValue::Dword(0x20000));
  EXPECT_EQ(settings_.Get(keys::WipeoutRemoveConvertedBR), "False");
}

TEST_F(LifecycleTest, TheSystemTestQuestionKeepsItOnOrSendsAReport) {
  System("SystemCheck", "True");
  host_.Answer("Yes\n");
  Start();
  EXPECT_EQ(settings_.Get(keys::SystemCheck), "True");
  EXPECT_THAT(app_.sent(), IsEmpty());

  addins_ = {};
  app_.OpenExplorer();
  host_.Answer("No\nYes\n");
  Start();
  EXPECT_EQ(settings_.Get(keys::SystemCheck), "False");
  ASSERT_EQ(app_.sent().size(), 1u);
  EXPECT_EQ(app_.sent()[0].subject, "System test - file report");
}

TEST_F(LifecycleTest, TheLastWindowClosingReleasesEverythingWithItsTrace) {
  User("SuppressToolbar", "False");
  System("SystemCheck", "True");
  host_.Answer("Yes\n");
  Start();
  EXPECT_EQ(app_.ItemSend().Count(), 1);
  app_.ActiveExplorer()->Close();
  EXPECT_EQ(app_.ItemSend().Count(), 0);
  EXPECT_EQ(AddIn().toolbar().mode_button(), nullptr);
  const std::string log = SupportLog();
  for (const char* line : {"On Connection", "On StartupComplete", "Calling Get_Marketing_Info",
                           "Explorer count <= 1 (Count is 1)", "myActiveExplorer", "OL", "oHostApp",
                           "oStandardBar", "myButtonSetting"}) {
    EXPECT_THAT(log, HasSubstr(line));
  }
  addins_ = {};  // the exit after the window closed: nothing left to release, no failure
  EXPECT_THAT(SupportLog(), ::testing::Not(HasSubstr("error_handler")));
}

TEST_F(LifecycleTest, TheOptionsPageIsAskedForByItsIdentifier) {
  Start();
  auto pages = app_.ShowOptionsDialog();
  EXPECT_EQ(pages->Count(), 0);
  EXPECT_THAT(SupportLog(), HasSubstr("ActiveX component can't create object"));
}

}  // namespace
}  // namespace vellumo::addin::testing
