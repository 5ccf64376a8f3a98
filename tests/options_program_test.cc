// `vellumo options` as a user runs it on the example home: the Options dialog with Vellumo's page,
// the path chooser, Apply and OK through the scripted window layer, and the next send dressed from
// the folder chosen.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/support/send_home.h"
#include "tests/support/test_files.h"

namespace vellumo {
namespace {

namespace stdfs = std::filesystem;
using test_support::ReadAll;
using test_support::WriteAll;
using ::testing::HasSubstr;

class OptionsProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(home_.ok()) << home_.error(); }

  // The windows the UI log recorded, as JSON objects.
  std::vector<nlohmann::json> Logged() const {
    std::vector<nlohmann::json> lines;
    std::ifstream in(home_.UiLog());
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
    return lines;
  }

  test_support::SendHome home_;
};

TEST_F(OptionsProgramTest, ChooseATemplateFolderApplyAndTheNextSendUsesIt) {
  // A second stationery folder holding a template of the configured name, marked.
  const stdfs::path autumn = home_.home() / "drive_c" / "Vellumo" / "Stationery" / "Autumn";
  stdfs::create_directories(autumn);
  std::string paper =
      ReadAll(home_.home() / "drive_c" / "Vellumo" / "Stationery" / "Morning Paper.htm");
  paper.insert(paper.find("<body") + 5, " data-mark=\"autumn-folder\"");
  WriteAll(autumn / "Morning Paper.htm", paper);

  // The chooser starts in the template folder; its folder list holds the drive root, the folders
  // above, the folder itself and then its subfolders.
  home_.Answer(
      "frmOptions.PropPage.txtDomainName.Change harbour.example\n"
      "frmOptions.cmdApply.Click\n"
      "frmOptions.PropPage.cmdDirpath.Click\n"
      "frmPath.dirMain.Click 3\n"
      "frmPath.OKButton.Click\n"
      "frmOptions.cmdOK.Click\n");
  ProcessResult run = home_.Run({"options"});
  ASSERT_EQ(run.exit_code, 0) << run.errors;
  EXPECT_EQ(run.output, "OK\n");
  EXPECT_EQ(home_.Get("System Settings", "ExchangeDomain"), "harbour.example\n");
  EXPECT_EQ(home_.Get("Admin Settings", "HTM Files Path"), "C:\\Vellumo\\Stationery\\Autumn\n");
  EXPECT_EQ(home_.Get("User Settings", "SettingButtonBar"), "auto\n");  // kept as it was

  bool dialog = false, chooser = false;
  for (const nlohmann::json& line : Logged()) {
    if (line.value("name", "") == "frmOptions" && line.value("caption", "") == "Options") {
      dialog = true;
    }
    if (line.value("name", "") == "frmPath" &&
        line.value("caption", "") == "Select the path for the Vellumo templates") {
      chooser = true;
    }
  }
  EXPECT_TRUE(dialog && chooser) << ReadAll(home_.UiLog());

  home_.Answer("");
  run = home_.Run(
      {"send", (home_.source() / "examples" / "messages" / "harbour-lanterns.eml").string()});
  ASSERT_EQ(run.exit_code, 0) << run.errors;
  bool marked = false;
  for (const stdfs::path& file : test_support::FilesIn(home_.Folder("Sent Items"))) {
    marked = marked || ReadAll(file).find("autumn-folder") != std::string::npos;
  }
  EXPECT_TRUE(marked);
}

TEST_F(OptionsProgramTest, CancelKeepsEveryValueAndAnEmptyTemplatePathIsRefused) {
  home_.Answer(
      "frmOptions.PropPage.txtPath.Change \n"
      "frmOptions.cmdOK.Click\n"
      "OK\n"  // "Select the path for the files"
      "frmOptions.cmdCancel.Click\n");
  ProcessResult run = home_.Run({"options"});
  ASSERT_EQ(run.exit_code, 0) << run.errors;
  EXPECT_EQ(run.output, "Cancel\n");
  EXPECT_EQ(home_.Get("Admin Settings", "HTM Files Path"), "C:\\Vellumo\\Stationery\n");
  EXPECT_THAT(ReadAll(home_.UiLog()), HasSubstr("Select the path for the files"));
}

TEST_F(OptionsProgramTest, WithoutThePageTheCommandSaysWhy) {
  home_.Set("Admin Settings", "ShowOptionsPage", "False");
  ProcessResult run = home_.Run({"options"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_THAT(run.errors, HasSubstr("ShowOptionsPage"));
}

}  // namespace
}  // namespace vellumo
