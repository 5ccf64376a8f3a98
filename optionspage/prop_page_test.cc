#include "optionspage/prop_page.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/diagnostics/diagnostics_fixture.h"
#include "common/settings/keys.h"

namespace vellumo::optionspage {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct CountingSite final : mail::PropertyPageSite {
  void OnStatusChange() override { ++changes; }
  int changes = 0;
};

class PropPageTest : public testing::DiagnosticsFixture {
 protected:
  PropPageTest() : DiagnosticsFixture(kOptionsPageDiagnostics) {}

  PropPage& Page() {
    if (!page_) {
      page_ = std::make_shared<PropPage>(
          PropPageDeps{.env = env_,
                       .choose_path =
                           [this](std::string_view prompt, std::string_view current) {
                             prompts_.push_back(std::string(prompt) + " | " + std::string(current));
                             return chosen_;
                           },
                       .program_folder = "C:\\Apps"});
      page_->SetSite(site_);
      page_->Load();
      page_->Fire("Form", "EnterFocus");
    }
    return *page_;
  }
  std::string Stored(const SettingKey& key) const { return settings_.Stored(key); }
  const std::string& Text(std::string_view control) { return Page()[control].text; }
  int Value(std::string_view control) { return Page()[control].value; }

  std::shared_ptr<CountingSite> site_ = std::make_shared<CountingSite>();
  std::shared_ptr<PropPage> page_;
  std::string chosen_;
  std::vector<std::string> prompts_;
};

TEST_F(PropPageTest, ShowsTheStoreWithThePagesDefaultsAndCaptions) {
  PropPage& page = Page();
  EXPECT_EQ(page.Name(), "Vellumo Settings");
  EXPECT_EQ(page.GetPageInfo().help_file, "nothing.hlp");
  EXPECT_EQ(page.GetPageInfo().help_context, 102);
  EXPECT_FALSE(page.loading());
  EXPECT_EQ(Text("txtPath"), "C:\\temp\\");
  EXPECT_EQ(Text("txtSignatures"), "C:\\windows\\application data\\microsoft\\signatures");
  EXPECT_EQ(Value("optOn"), 1);  // "on" when nothing is stored
  EXPECT_EQ(Value("optReplyPrompt"), 1);
  EXPECT_FALSE(page["chkShowString"].enabled);
  EXPECT_FALSE(page["frmStringPlace"].visible);
  EXPECT_FALSE(page["frMode"].enabled);  // the toolbar button sets the mode
  EXPECT_EQ(page["chkShowDate"].caption, "Show the date in my messages");
  EXPECT_EQ(page["chkShowDate"].tooltip, "Show the date in my messages");
  EXPECT_EQ(page["txtPath"].tooltip, "Select the path for the Vellumo templates");
  EXPECT_EQ(page["cmdHelp"].caption, "Help");
  EXPECT_FALSE(page.Dirty());
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(PropPageTest, ShowDialogOnSendStoresAutoAndAStoredOnStillSelectsIt) {
  settings_.Set(keys::SettingButtonBar, "on");
  Page().Fire("optOn", "Click");
  EXPECT_TRUE(Page().Dirty());
  EXPECT_GT(site_->changes, 0);
  Page().Apply();
  EXPECT_FALSE(Page().Dirty());
  EXPECT_EQ(Stored(keys::SettingButtonBar), "auto");

  Page().Fire("Form", "EnterFocus");
  EXPECT_EQ(Value("optAuto"), 1);
  Page().Fire("optOff", "Click");
  Page().Apply();
  EXPECT_EQ(Stored(keys::SettingButtonBar), "off");
}

TEST_F(PropPageTest, AModeThePageCannotShowIsLeftAsItIs) {
  settings_.Set(keys::SettingButtonBar, "eSignature");
  EXPECT_EQ(Value("optOn") + Value("optAuto") + Value("optOff"), 0);
  Page().Fire("chkInternal", "Click");
  Page().Apply();
  EXPECT_EQ(Stored(keys::SettingButtonBar), "eSignature");
  EXPECT_EQ(Stored(keys::SkipInternal), "1");
}

TEST_F(PropPageTest, AnEmptyTemplatePathBlocksTheWholeSave) {
  Page().Fire("txtPath", "Change", "   ");
  Page().Fire("chkShowDate", "Click");
  const int writes = mem_registry_.writes();
  Page().Apply();
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].prompt, "Select the path for the files");
  EXPECT_EQ(ui_.boxes[0].title, "Vellumo");
  EXPECT_EQ(mem_registry_.writes(), writes);
  EXPECT_TRUE(Page().Dirty());  // the dialog keeps the edits on screen
}

TEST_F(PropPageTest, TheDateLineAndItsOrder) {
  settings_.Set(keys::InsertOrder, "Kept");
  mem_fs_.AddFolder("C:\\temp");
  Page().Fire("chkShowDate", "Click");
  EXPECT_TRUE(Page()["chkShowString"].enabled);
  Page().Apply();
  EXPECT_EQ(Stored(keys::InsertDate), "True");
  EXPECT_EQ(Stored(keys::InsertString), "");
  EXPECT_EQ(Stored(keys::InsertOrder), "Kept");  // the line is off: its order is not touched

  Page().Fire("chkShowString", "Click");
  EXPECT_TRUE(Page()["frmStringPlace"].visible);
  Page().Fire("txtShowString", "Change", "Sent from the harbour office");
  Page().Fire("optBelowString", "Click");
  Page().Apply();
  EXPECT_EQ(Stored(keys::InsertString), "Sent from the harbour office");
  EXPECT_EQ(Stored(keys::InsertOrder), "StringDate");
}

TEST_F(PropPageTest, FocusReloadsTheStoreAndDropsEdits) {
  Page().Fire("txtPath", "Change", "C:\\elsewhere");
  EXPECT_TRUE(Page().Dirty());
  settings_.Set(keys::HtmFilesPath, "C:\\Stationery");  // another process saved meanwhile
  Page().Fire("Form", "EnterFocus");
  EXPECT_EQ(Text("txtPath"), "C:\\Stationery");
  EXPECT_FALSE(Page().Dirty());
}

TEST_F(PropPageTest, ASaveTheStoreRefusesLeavesEveryValueAsItWas) {
  settings_.Set(keys::InsertDate, "False");
  mem_fs_.AddFolder("C:\\temp");
  mem_fs_.AddFolder("C:\\windows\\application data\\microsoft\\signatures");
  Page().Fire("chkShowDate", "Click");
  Page().Fire("optReplyAsIs", "Click");
  registry_.Fail(FaultyRegistry::Call::kApply);
  Page().Apply();
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].title, "Error in Settings");
  EXPECT_THAT(ui_.boxes[0].prompt, HasSubstr("Nothing was saved"));
  EXPECT_EQ(Stored(keys::InsertDate), "False");
  EXPECT_EQ(Stored(keys::ReplyAsIs), "");
  EXPECT_TRUE(Page().Dirty());

  // A value the store cannot hold names its field, and nothing else is written either.
  ui_.boxes.clear();
  Page().Fire("txtDomainName", "Change", std::string(600 * 1024, 'x'));
  Page().Apply();
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_THAT(ui_.boxes[0].prompt, HasSubstr("ExchangeDomain"));
  EXPECT_EQ(Stored(keys::ReplyAsIs), "");
}

TEST_F(PropPageTest, ATypedFolderThatIsMissingIsOfferedForCreation) {
  Page().Fire("txtPath", "Change", "C:\\Vellumo\\New Stationery");
  ui_.answers = {ui::kNo};
  Page().Apply();
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_THAT(ui_.boxes[0].prompt, HasSubstr("does not exist. Create it?"));
  EXPECT_EQ(Stored(keys::HtmFilesPath), "");
  EXPECT_TRUE(Page().Dirty());

  ui_.answers = {ui::kYes, ui::kYes};  // both folders are new
  Page().Apply();
  EXPECT_TRUE(mem_fs_.FolderExists("C:\\Vellumo\\New Stationery"));
  EXPECT_EQ(Stored(keys::HtmFilesPath), "C:\\Vellumo\\New Stationery");
  EXPECT_FALSE(Page().Dirty());
}

TEST_F(PropPageTest, TheChooserFillsTheBoxAndCancelKeepsIt) {
  Page().Fire("cmdDirpath", "Click");  // cancelled: nothing comes back
  EXPECT_EQ(Text("txtPath"), "C:\\temp\\");
  EXPECT_FALSE(Page().Dirty());
  chosen_ = "C:\\Vellumo\\Signatures";
  Page().Fire("cmdSignaturesPath", "Click");
  EXPECT_EQ(Text("txtSignatures"), "C:\\Vellumo\\Signatures");
  EXPECT_TRUE(Page().Dirty());
  EXPECT_THAT(prompts_, ElementsAre("Select the path for the Vellumo templates | C:\\temp\\",
                                    "Select the path for the signatures files | "
                                    "C:\\windows\\application data\\microsoft\\signatures"));
}

TEST_F(PropPageTest, TheToolbarBoxShowsWhatTheUserSaved) {
  settings_.SaveSetting(kVellumo, "Admin Settings", "SuppressToolBar", "True");
  EXPECT_EQ(Value("chkSuppressToolBar"), 1);
  EXPECT_TRUE(Page()["frMode"].enabled);
  Page().Fire("chkSuppressToolBar", "Click");
  EXPECT_FALSE(Page()["frMode"].visible);
  Page().Apply();
  EXPECT_EQ(Stored(keys::SuppressToolbar), "False");
  Page().Fire("Form", "EnterFocus");
  EXPECT_EQ(Value("chkSuppressToolBar"), 0);
  Page().Fire("chkSuppressToolBar", "Click");
  Page().Fire("chkSuppressToolBar", "Click");  // hidden again, then the edit is dropped
  Page().Fire("Form", "EnterFocus");
  EXPECT_TRUE(Page()["frMode"].visible);
  EXPECT_FALSE(Page()["frMode"].enabled);
}

TEST_F(PropPageTest, TurningTheSystemTestOffOffersTheReport) {
  settings_.Set(keys::SystemCheck, "True");
  settings_.Set(keys::ErrorFileLocation, "C:\\Support\\SupportLog.txt");
  mem_fs_.AddFile("C:\\Support\\SupportLog.txt", "Date: ...\r\n");
  ui_.answers = {ui::kYes};
  Page().Fire("chkShowNextApptTip", "Click");
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].prompt, "Send a system report to Corvane support?");
  EXPECT_EQ(ui_.boxes[0].title, "Vellumo System Report");
  ASSERT_EQ(app_.sent().size(), 1u);
  EXPECT_EQ(app_.sent()[0].subject, "System test - file report");
  EXPECT_EQ(app_.sent()[0].html_body, "Report sent from the options page");
  EXPECT_THAT(app_.sent()[0].recipients, ElementsAre(std::string(kSupportAddress)));
  EXPECT_THAT(app_.sent()[0].attachments, ElementsAre("SupportLog.txt"));

  // Without a log file the report cannot go; the user is told, nothing is sent.
  mem_fs_.RemoveFile("C:\\Support\\SupportLog.txt");
  Page().Fire("chkShowNextApptTip", "Click");  // on again: no question
  ui_.answers = {ui::kYes};
  Page().Fire("chkShowNextApptTip", "Click");
  ASSERT_EQ(ui_.boxes.size(), 3u);
  EXPECT_THAT(ui_.boxes[2].prompt, HasSubstr("The system report was not sent"));
  EXPECT_EQ(app_.sent().size(), 1u);
}

TEST_F(PropPageTest, ConfigurationWizStartsTheWizardOrSaysWhyNot) {
  processes_.FailOn("ProfileAssistant");
  Page().Fire("cmdSetupLauncher", "Click");
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_THAT(ui_.boxes[0].prompt, HasSubstr("The set-up wizard could not be started"));
  EXPECT_TRUE(Page()["cmdSetupLauncher"].enabled);
  processes_.ClearFailures();
  Page().Fire("cmdSetupLauncher", "Click");
  EXPECT_THAT(processes_.started(), ElementsAre("C:\\Apps\\ProfileAssistant.exe"));
  EXPECT_FALSE(Page()["cmdSetupLauncher"].enabled);
}

// Shows the help form and remembers what it showed.
struct HelpHost final : ui::Host {
  int MsgBox(std::string_view, int, std::string_view) override { return ui::kOk; }
  std::string InputBox(std::string_view, std::string_view, std::string_view) override { return {}; }
  void ShowForm(ui::Form& form) override {
    if (fail) throw Error(ErrorCode::kCantCreateObject, "browser");
    form.Load();
    caption = form.caption;
    document = form["brwHelp"].document;
    form.Fire("cmdClose", "Click");
  }
  bool fail = false;
  std::string caption, document;
};

TEST_F(PropPageTest, HelpShowsTheShippedPageAndLogsAFailure) {
  HelpHost help;
  Env env{registry_, fs_, clock_, processes_, system_, help, &app_};
  PropPage page(PropPageDeps{.env = env, .program_folder = "C:\\Apps"});
  page.Fire("cmdHelp", "Click");
  EXPECT_EQ(help.document, "vellumo:pages/options-help.html");
  EXPECT_EQ(help.caption, "Vellumo Settings - Help");

  help.fail = true;
  page.Fire("cmdHelp", "Click");
  const std::string log = mem_fs_.Contents("C:\\Apps\\ErrorLog\\ErrorLog.txt").value_or("<none>");
  EXPECT_THAT(log, HasSubstr("cmdhelp_Click - Options, help_err"));
}

TEST_F(PropPageTest, WithoutASiteChangesDoNotMakeThePageDirty) {
  PropPage page(PropPageDeps{.env = env_, .program_folder = "C:\\Apps"});
  page.Fire("chkInternal", "Click");
  EXPECT_FALSE(page.Dirty());
}

}  // namespace
}  // namespace vellumo::optionspage
