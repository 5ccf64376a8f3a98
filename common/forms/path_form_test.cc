#include "common/forms/path_form.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/settings/keys.h"
#include "platform/mem_file_system.h"
#include "platform/mem_registry.h"
#include "platform/ui/script_host.h"

namespace vellumo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct Box {
  std::string text;
  int style;
  std::string title;
  bool operator==(const Box&) const = default;
};

// Answers every box with its first button and keeps what it showed.
class RecordingHost final : public ui::Host {
 public:
  int MsgBox(std::string_view prompt, int style, std::string_view title) override {
    boxes.push_back({std::string(prompt), style, std::string(title)});
    return ui::kOk;
  }
  std::string InputBox(std::string_view, std::string_view, std::string_view) override { return {}; }
  void ShowForm(ui::Form& form) override { form.Load(); }
  std::vector<Box> boxes;
};

constexpr std::string_view kTable =
    "133\tCancel choice\n"
    "135\tPlease select database path\n";

class PathFormTest : public ::testing::Test {
 protected:
  PathFormTest() : table_(CaptionTable::Parse(kTable, "test")) {}

  PathForm& Open(std::string prompt, std::string current = {}) {
    choice_.prompt = std::move(prompt);
    choice_.chosen_path = std::move(current);
    form_ = std::make_unique<PathForm>(host_, settings_, fs_, table_, choice_);
    return *form_;
  }
  PathForm& Load(std::string prompt, std::string current = {}) {
    PathForm& form = Open(std::move(prompt), std::move(current));
    form.Load();
    return form;
  }
  // Clicks the folder list's entry for folder.
  void ClickFolder(std::string_view folder) {
    const std::vector<std::string>& list = (*form_)["dirMain"].list;
    auto it = std::find(list.begin(), list.end(), folder);
    ASSERT_NE(it, list.end()) << folder << " is not listed";
    form_->Fire("dirMain", "Click", std::to_string(it - list.begin()));
  }
  void ClickFile(std::string_view name) {
    const std::vector<std::string>& list = (*form_)["filMain"].list;
    auto it = std::find(list.begin(), list.end(), name);
    ASSERT_NE(it, list.end()) << name << " is not listed";
    form_->Fire("filMain", "Click", std::to_string(it - list.begin()));
  }
  const std::vector<std::string>& Files() { return (*form_)["filMain"].list; }

  MemFileSystem fs_;
  MemRegistry registry_;
  Settings settings_{registry_};
  RecordingHost host_;
  CaptionTable table_;
  PathChoice choice_;
  std::unique_ptr<PathForm> form_;
};

TEST_F(PathFormTest, LoadsCaptionListsAndCancelCaption) {
  fs_.AddFolder("C:\\Temp\\Sub");
  fs_.AddFolder("C:\\Temp\\.git");
  fs_.AddFile("C:\\Temp\\a.htm", "");
  fs_.AddFile("C:\\Temp\\.hidden", "");
  PathForm& form = Load("Pick a folder", "c:\\TEMP\\");
  EXPECT_EQ(form.caption, "Pick a folder");
  EXPECT_EQ(form["CancelButton"].caption, "Cancel choice");
  EXPECT_THAT(form["dirMain"].list, ElementsAre("C:\\", "C:\\Temp", "C:\\Temp\\Sub"));
  EXPECT_EQ(form.CurrentFolder(), "C:\\Temp");
  EXPECT_EQ(form["filMain"].folder, "C:\\Temp") << "the file list shows the current folder";
  EXPECT_THAT(Files(), ElementsAre("a.htm"));
  EXPECT_THAT(form["drvMain"].list, ElementsAre("C:\\", "/"));
  EXPECT_EQ(form["drvMain"].text, "C:\\");
  EXPECT_THAT(host_.boxes, IsEmpty());
}

TEST_F(PathFormTest, FolderClicksMoveUpAndDownAndKeepTheCurrentFolderAtTheListIndex) {
  fs_.AddFolder("C:\\a\\b\\c");
  PathForm& form = Load("Pick a folder", "C:\\a");
  ClickFolder("C:\\a\\b");
  EXPECT_THAT(form["dirMain"].list, ElementsAre("C:\\", "C:\\a", "C:\\a\\b", "C:\\a\\b\\c"));
  EXPECT_EQ(form["dirMain"].list_index, 2);
  ClickFolder("C:\\");
  EXPECT_EQ(form.CurrentFolder(), "C:\\");
  EXPECT_EQ(form["filMain"].folder, "C:\\");

  // A folder that went away after it was listed: an error box, and the lists stay.
  ClickFolder("C:\\a");
  fs_.RemoveFolder("C:\\a\\b\\c");
  fs_.RemoveFolder("C:\\a\\b");
  fs_.RemoveFolder("C:\\a");
  host_.boxes.clear();
  ClickFolder("C:\\a\\b");
  EXPECT_EQ(form.CurrentFolder(), "C:\\a");
  EXPECT_THAT(host_.boxes, ElementsAre(Box{"Path not found", ui::kInformation, "Path error..."}));
}

TEST_F(PathFormTest, CancelAndTheCloseBoxLeaveTheChosenPathEmpty) {
  fs_.AddFolder("C:\\templates\\new");
  settings_.Set(keys::HtmFilesPath, "C:\\templates");
  PathForm& form = Load("Select the path for the Vellumo templates", "C:\\old");
  ClickFolder("C:\\templates\\new");
  form.Fire("CancelButton", "Click");
  EXPECT_TRUE(form.unloaded());
  EXPECT_EQ(choice_.chosen_path, "");

  PathForm& again = Load("Select the path for the Vellumo templates", "C:\\old");
  ClickFolder("C:\\templates\\new");
  EXPECT_TRUE(again.Close());
  EXPECT_EQ(choice_.chosen_path, "");

  Load("Select the path for the Vellumo templates", "C:\\old");
  ClickFolder("C:\\templates\\new");
  form_->Fire("OKButton", "Click");
  EXPECT_EQ(choice_.chosen_path, "C:\\templates\\new");
}

TEST_F(PathFormTest, SignaturesThenTemplatesBothApplyAndTheTemplateFolderWins) {
  fs_.AddFolder("C:\\sigs");
  fs_.AddFolder("C:\\stationery");
  settings_.Set(keys::SignaturesPath, "C:\\sigs");
  settings_.Set(keys::HtmFilesPath, "c:\\STATIONERY");
  PathForm& form = Load("Choose the signatures folder for Vellumo");
  EXPECT_EQ(form.CurrentFolder(), "C:\\stationery");
  form.Fire("OKButton", "Click");
  EXPECT_EQ(choice_.signatures_folder, "C:\\stationery");
  EXPECT_EQ(choice_.chosen_path, "C:\\stationery");

  // Keywords are case-sensitive: "Signatures" is not the signatures purpose.
  Load("Signatures", "C:\\");
  form_->Fire("OKButton", "Click");
  EXPECT_EQ(choice_.chosen_path, "C:\\") << "no purpose sets the chosen path";
  Load("signatures only");
  EXPECT_EQ(form_->CurrentFolder(), "C:\\sigs");
}

TEST_F(PathFormTest, StoredFoldersThatDoNotExistStartInTheNearestOneThatDoes) {
  fs_.AddFolder("C:\\Program Files");
  settings_.Set(keys::HtmFilesPath, "C:\\Program Files\\Corvane\\templates\\");
  EXPECT_EQ(Load("Vellumo").CurrentFolder(), "C:\\Program Files");
  settings_.Set(keys::HtmFilesPath, "Q:\\nowhere");
  EXPECT_EQ(Load("Vellumo").CurrentFolder(), "C:\\") << "an unmapped drive falls back to C:";
  settings_.Set(keys::HtmFilesPath, "");
  EXPECT_EQ(Load("Vellumo").CurrentFolder(), "C:\\");
  EXPECT_THAT(host_.boxes, IsEmpty());
}

TEST_F(PathFormTest, LoadErrorsShowPathErrorAndTheLoadGoesOn) {
  settings_.Set(keys::HtmFilesPath, "\\\\server\\share");
  PathForm& form = Load("Vellumo templates");
  EXPECT_THAT(host_.boxes,
              ElementsAre(Box{"Bad file name or number", ui::kInformation, "Path error..."}));
  EXPECT_EQ(form.CurrentFolder(), "C:\\");
  EXPECT_EQ(form["CancelButton"].caption, "Cancel choice") << "steps after the error still ran";
}

TEST_F(PathFormTest, TipsAndLogStartInTheFolderOfTheirFile) {
  fs_.AddFolder("C:\\Support");
  fs_.AddFolder("C:\\logs");
  settings_.Set(keys::TipsFileLocation, "C:\\Support\\tips.txt");
  EXPECT_EQ(Load("Tips file").CurrentFolder(), "C:\\Support");
  form_->Fire("OKButton", "Click");
  EXPECT_EQ(choice_.chosen_path, "C:\\Support");

  settings_.Set(keys::ErrorFileLocation, "C:\\logs\\SupportLog.txt");
  EXPECT_EQ(Load("Error log folder").CurrentFolder(), "C:\\logs");
  EXPECT_THAT(host_.boxes, IsEmpty());

  // Without the expected file name (case counts) the load complains and starts at C:\.
  settings_.Set(keys::TipsFileLocation, "C:\\Support\\Tips.txt");
  EXPECT_EQ(Load("Tips file").CurrentFolder(), "C:\\");
  EXPECT_THAT(host_.boxes, ElementsAre(Box{"Invalid procedure call or argument", ui::kInformation,
                                           "Path error..."}));
}

TEST_F(PathFormTest, NothingStoredForTipsStartsAtCWithoutComplaint) {
  EXPECT_EQ(Load("Tips file", "C:\\").CurrentFolder(), "C:\\");
  EXPECT_THAT(host_.boxes, IsEmpty());
}

TEST_F(PathFormTest, VCardListsEveryCardOfTheFolderAndEnablesOkOnlyWithCards) {
  fs_.AddFile("C:\\cards\\b.vcf", "");
  fs_.AddFile("C:\\cards\\A.VCF", "");
  fs_.AddFile("C:\\cards\\note.txt", "");
  fs_.AddFile("C:\\cards\\.old.vcf", "");
  fs_.AddFolder("C:\\empty");
  PathForm& form = Load("Please locate the vCard file(s)");
  EXPECT_EQ(form.CurrentFolder(), "C:\\") << "no Documents and Settings here";
  EXPECT_FALSE(form["OKButton"].enabled);
  ClickFolder("C:\\cards");
  EXPECT_THAT(Files(), ElementsAre("A.VCF", "b.vcf"));
  EXPECT_TRUE(form["OKButton"].enabled);
  ClickFolder("C:\\");
  ClickFolder("C:\\empty");
  EXPECT_FALSE(form["OKButton"].enabled);
  ClickFolder("C:\\");
  ClickFolder("C:\\cards");
  ClickFile("b.vcf");
  form.Fire("OKButton", "Click");
  EXPECT_EQ(choice_.chosen_path, "A.VCF;b.vcf") << "every card, not just the selected one";
  EXPECT_EQ(choice_.chosen_folder_or_file, "C:\\cards\\");

  fs_.AddFile("C:\\Documents and Settings\\me.vcf", "");
  EXPECT_EQ(Load("vCard").CurrentFolder(), "C:\\Documents and Settings");
  EXPECT_TRUE((*form_)["OKButton"].enabled);
}

TEST_F(PathFormTest, DatabasePatternLosesItsSpacesOrTakesTheDefault) {
  fs_.AddFile("C:\\db\\a.mdb", "");
  fs_.AddFile("C:\\db\\b.csv", "");
  fs_.AddFile("C:\\db\\c.txt", "");
  fs_.AddFile("C:\\db\\d.doc", "");
  PathForm& form = Open("Please select database path", "C:\\db");
  form.file_pattern = " *.mdb ; *.csv";
  form.Load();
  EXPECT_EQ(form["filMain"].pattern, "*.mdb;*.csv");
  EXPECT_THAT(Files(), ElementsAre("a.mdb", "b.csv"));
  ClickFile("b.csv");
  form.Fire("OKButton", "Click");
  EXPECT_EQ(form.database_folder, "C:\\db");
  EXPECT_EQ(form.database_file, "b.csv");

  PathForm& plain = Load("Please select database path", "C:\\db");
  EXPECT_EQ(plain["filMain"].pattern, "*.mdb;*.txt;*.csv;*.xls;*.dbf;*.db");
  EXPECT_THAT(Files(), ElementsAre("a.mdb", "b.csv", "c.txt"));
  EXPECT_EQ(Load("Please select database path now", "C:\\db")["filMain"].pattern, "*.*")
      << "the database purpose needs the whole prompt";
}

TEST_F(PathFormTest, AttachReturnsTheSelectedFileAndDoubleClickIsOk) {
  fs_.AddFile("C:\\docs\\report.pdf", "");
  fs_.AddFile("C:\\docs\\z.txt", "");
  PathForm& form = Load("Select a file to attach", "C:\\docs");
  EXPECT_EQ(form["filMain"].pattern, "*.*");
  form.Fire("filMain", "DblClick", "0");
  EXPECT_TRUE(form.unloaded());
  EXPECT_EQ(choice_.chosen_folder_or_file, "C:\\docs\\report.pdf");
  EXPECT_EQ(choice_.chosen_path, "C:\\docs") << "attach leaves the chosen path as given";

  Load("Select a file to attach", "C:\\");
  form_->Fire("OKButton", "Click");
  EXPECT_EQ(choice_.chosen_folder_or_file, "C:\\") << "a root is not doubled: C:\\\\";
}

TEST_F(PathFormTest, InternetWantsAFileBeforeItCloses) {
  fs_.AddFile("C:\\Programs\\browser.exe", "");
  PathForm& form = Load("Locate your Internet browser", "C:\\Programs");
  form.Fire("OKButton", "Click");
  EXPECT_FALSE(form.unloaded());
  EXPECT_THAT(host_.boxes,
              ElementsAre(Box{"Please click on the Internet Browser program in the file list...",
                              ui::kInformation, "Internet Browser Program"}));
  EXPECT_EQ(choice_.browser_program, "");
  ClickFile("browser.exe");
  form.Fire("OKButton", "Click");
  EXPECT_TRUE(form.unloaded());
  EXPECT_EQ(choice_.browser_program, "C:\\Programs\\browser.exe");
}

TEST_F(PathFormTest, AnUnavailableDriveKeepsTheLists) {
  fs_.AddFolder("C:\\work\\x");
  fs_.AddFile("C:\\work\\a.htm", "");
  fs_.AddFolder("D:\\");
  PathForm& form = Load("Pick", "C:\\work");
  ASSERT_THAT(form["drvMain"].list, ElementsAre("C:\\", "D:\\", "/"));
  fs_.RemoveFolder("D:\\");
  const std::vector<std::string> folders = form["dirMain"].list;

  form.Fire("drvMain", "Click", "1");
  form.Fire("drvMain", "Change", "Q:");
  EXPECT_THAT(host_.boxes,
              ElementsAre(Box{"The selected drive is not available", ui::kOkOnly, "Vellumo"},
                          Box{"The selected drive is not available", ui::kOkOnly, "Vellumo"}));
  EXPECT_EQ(form["dirMain"].list, folders);
  EXPECT_EQ(form.CurrentFolder(), "C:\\work");
  EXPECT_THAT(Files(), ElementsAre("a.htm"));
  EXPECT_EQ(form["drvMain"].text, "C:\\") << "the drive list goes back to the current drive";

  // The native root is always there; its folders show natively, and the file list follows.
  form.Fire("drvMain", "Click", "1");
  EXPECT_EQ(form.CurrentFolder(), "/");
  EXPECT_EQ(form["filMain"].folder, "/");
  EXPECT_THAT(form["dirMain"].list, ElementsAre("/", "/home"));
  ClickFolder("/home");
  ClickFolder("/home/user");
  EXPECT_THAT(form["dirMain"].list, ElementsAre("/", "/home", "/home/user", "/home/user/drive_c"));
  ClickFolder("/home/user/drive_c");
  EXPECT_EQ(form.CurrentFolder(), "C:\\") << "a mapped drive's folder shows as its letter";
}

TEST_F(PathFormTest, DrivenThroughTheScriptHost) {
  fs_.AddFolder("C:\\templates\\blue");
  ui::ScriptHost script(ui::ScriptAnswers::Parse(
      "frmPath.dirMain.Click 1\nfrmPath.dirMain.Click 2\nfrmPath.OKButton.Click\n", "answers"));
  choice_.prompt = "Select the path for the Vellumo templates";
  choice_.chosen_path = "C:\\old";
  ShowPathChooser(script, settings_, fs_, table_, choice_);
  EXPECT_EQ(choice_.chosen_path, "C:\\templates\\blue");
  EXPECT_EQ(script.remaining(), 0u);

  ui::ScriptHost closing(ui::ScriptAnswers::Parse("", "none"));
  ShowPathChooser(closing, settings_, fs_, table_, choice_);
  EXPECT_EQ(choice_.chosen_path, "") << "a host that runs out of answers closes: a Cancel";
}

TEST(CheckTypedFolder, TellsExistingMissingAndImpossibleFolders) {
  MemFileSystem fs;
  fs.AddFolder("C:\\Temp");
  fs.AddFile("C:\\Temp\\a.txt", "x");

  FolderCheck check = CheckTypedFolder(fs, "c:\\temp\\");
  EXPECT_EQ(check.state, FolderState::kExists);
  EXPECT_EQ(check.shown, "C:\\Temp");
  check = CheckTypedFolder(fs, "c:\\temp\\New Folder");
  EXPECT_EQ(check.state, FolderState::kMissing);
  EXPECT_EQ(check.shown, "C:\\Temp\\New Folder");
  EXPECT_EQ(CheckTypedFolder(fs, "/srv/mail").state, FolderState::kMissing);

  struct Bad {
    std::string path;
    std::string error;
  };
  const Bad bad[] = {
      {"  ", "Bad file name or number: no folder given"},
      {"C:\\a|b", "Bad file name or number: C:\\a|b: a folder name cannot hold \"|\""},
      {"C:\\x:y", "Bad file name or number: C:\\x:y: a folder name cannot hold \":\""},
      {"C:\\dir \\sub",
       "Bad file name or number: C:\\dir \\sub: a folder name cannot end with a space or a dot "
       "(\"dir \")"},
      {"\\\\server\\share", "Bad file name or number: \\\\server\\share"},
      {"C:\\Temp\\a.txt",
       "Path/File access error: C:\\Temp\\a.txt: C:\\Temp\\a.txt is a file, "
       "not a folder"},
      {"C:\\Temp\\a.txt\\sub",
       "Path/File access error: C:\\Temp\\a.txt\\sub: C:\\Temp\\a.txt is "
       "a file, not a folder"},
      {"D:\\data", "Path not found: D:\\data: the drive D: is not available here"},
  };
  for (const Bad& one : bad) {
    check = CheckTypedFolder(fs, one.path);
    EXPECT_EQ(check.state, FolderState::kBadName) << one.path;
    EXPECT_EQ(check.error, one.error) << one.path;
  }
  EXPECT_THAT(fs.files_written(), IsEmpty()) << "checking creates nothing";
}

}  // namespace
}  // namespace vellumo
