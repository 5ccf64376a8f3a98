// `vellumo options` as a user runs it on the example home: the Options dialog with Vellumo's page,
// the path chooser, Apply and OK through the scripted window layer, and the next send dressed from
// the folder chosen.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "posix/posix_processes.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/send_home.h"
#include "tests/support/source_dir.h"
#include "tests/support/test_files.h"

namespace vellumo {
namespace {

namespace stdfs = std::filesystem;
using test_support::ReadAll;
using test_support::WriteAll;
using ::testing::HasSubstr;

class OptionsProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* bin = std::getenv("VELLUMO_BIN");
    if (bin == nullptr) GTEST_SKIP() << "VELLUMO_BIN is not set";
    bin_ = bin;
    source_ = test_support::SourceDir();
    ASSERT_EQ(test_support::FillExampleHome(
                  home_, [this](std::vector<std::string> args) { return Run(std::move(args)); }),
              "");
  }

  ProcessResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"/usr/bin/env", "VELLUMO_UI=script", "VELLUMO_ANSWERS=" + answers_,
                               "VELLUMO_UI_LOG=" + (home_ / "ui.jsonl").string(), bin_, "--home",
                               home_.string()});
    return processes_.Run(args, "");
  }
  void Answer(std::string_view lines) {
    answers_ = (home_ / "answers.txt").string();
    std::ofstream(answers_) << lines;
  }
  std::string Setting(const std::string& section, const std::string& key) {
    return Run({"settings", "get", "Vellumo", section, key}).output;
  }
  // The windows the UI log recorded, as JSON objects.
  std::vector<nlohmann::json> Logged() const {
    std::vector<nlohmann::json> lines;
    std::ifstream in(home_ / "ui.jsonl");
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
    return lines;
  }

  std::string bin_;
  stdfs::path source_;
  test_support::ScopedTempDir dir_{"vellumo-options"};
  stdfs::path home_ = dir_.path();
  std::string answers_;
  PosixProcesses processes_{"", ""};
};

TEST_F(OptionsProgramTest, ChooseATemplateFolderApplyAndTheNextSendUsesIt) {
  // A second stationery folder holding a template of the configured name, marked.
  const stdfs::path autumn = home_ / "drive_c" / "Vellumo" / "Stationery" / "Autumn";
  stdfs::create_directories(autumn);
  std::string paper = ReadAll(home_ / "drive_c" / "Vellumo" / "Stationery" / "Morning Paper.htm");
  paper.insert(paper.find("<body") + 5, " data-mark=\"autumn-folder\"");
  WriteAll(autumn / "Morning Paper.htm", paper);

  // The chooser starts in the template folder; its folder list holds the drive root, the folders
  // above, the folder itself and then its subfolders.
  Answer(
      "frmOptions.PropPage.txtDomainName.Change harbour.example\n"
      "frmOptions.cmdApply.Click\n"
      "frmOptions.PropPage.cmdDirpath.Click\n"
      "frmPath.dirMain.Click 3\n"
      "frmPath.OKButton.Click\n"
      "frmOptions.cmdOK.Click\n");
  ProcessResult run = Run({"options"});
  ASSERT_EQ(run.exit_code, 0) << run.errors;
  EXPECT_EQ(run.output, "OK\n");
  EXPECT_EQ(Setting("System Settings", "ExchangeDomain"), "harbour.example\n");
  EXPECT_EQ(Setting("Admin Settings", "HTM Files Path"), "C:\\Vellumo\\Stationery\\Autumn\n");
  EXPECT_EQ(Setting("User Settings", "SettingButtonBar"), "auto\n");  // kept as it was

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
  EXPECT_TRUE(dialog && chooser) << ReadAll(home_ / "ui.jsonl");

  answers_.clear();
  run = Run({"send", (source_ / "examples" / "messages" / "harbour-lanterns.eml").string()});
  ASSERT_EQ(run.exit_code, 0) << run.errors;
  bool marked = false;
  for (const stdfs::path& file :
       test_support::FilesIn(home_ / "mail" / "Personal Folders" / "Sent Items" / "cur")) {
    marked = marked || ReadAll(file).find("autumn-folder") != std::string::npos;
  }
  EXPECT_TRUE(marked);
}

TEST_F(OptionsProgramTest, CancelKeepsEveryValueAndAnEmptyTemplatePathIsRefused) {
  Answer(
      "frmOptions.PropPage.txtPath.Change \n"
      "frmOptions.cmdOK.Click\n"
      "OK\n"  // "Select the path for the files"
      "frmOptions.cmdCancel.Click\n");
  ProcessResult run = Run({"options"});
  ASSERT_EQ(run.exit_code, 0) << run.errors;
  EXPECT_EQ(run.output, "Cancel\n");
  EXPECT_EQ(Setting("Admin Settings", "HTM Files Path"), "C:\\Vellumo\\Stationery\n");
  EXPECT_THAT(ReadAll(home_ / "ui.jsonl"), HasSubstr("Select the path for the files"));
}

TEST_F(OptionsProgramTest, WithoutThePageTheCommandSaysWhy) {
  ASSERT_EQ(
      Run({"settings", "set", "Vellumo", "Admin Settings", "ShowOptionsPage", "False"}).exit_code,
      0);
  ProcessResult run = Run({"options"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_THAT(run.errors, HasSubstr("ShowOptionsPage"));
}

}  // namespace
}  // namespace vellumo
