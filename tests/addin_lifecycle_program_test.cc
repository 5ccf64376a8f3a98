// The add-in's life in the program's mail client, as a user and an administrator see it:
// `vellumo register`, the Standard bar's buttons through `vellumo toolbar`, the mode cycle by
// clicks (each click a start of the client of its own, as a user's days are), and the
// administrator's registry files imported at the next start.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/text.h"
#include "tests/support/send_home.h"
#include "tests/support/test_files.h"

namespace vellumo {
namespace {

namespace stdfs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class AddInLifecycleProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (test_support::EnvValue("VELLUMO_BIN").empty()) GTEST_SKIP() << "VELLUMO_BIN is not set";
    ASSERT_TRUE(home_.ok()) << home_.error();
  }
  // The Standard bar as `vellumo toolbar [click TAG]` lists it: caption and tag per button.
  std::vector<std::string> Toolbar(std::vector<std::string> click = {}) {
    std::vector<std::string> args{"toolbar"};
    args.insert(args.end(), click.begin(), click.end());
    const ProcessResult r = home_.Run(args);
    EXPECT_EQ(r.exit_code, 0) << r.errors;
    std::vector<std::string> buttons;
    for (std::string_view line : text::Lines(r.output)) {
      const std::vector<std::string> fields = text::Split(line, "\t");
      buttons.push_back(fields.at(0) + "|" + fields.at(1) + "|" + fields.at(3));
    }
    return buttons;
  }
  std::string Setting(const std::string& section, const std::string& key) {
    const std::string out = home_.Run({"settings", "get", "Vellumo", section, key}).output;
    return out.substr(0, out.find('\n'));
  }
  std::string Mode() { return Setting("User Settings", "SettingButtonBar"); }
  // How many text signatures the generator wrote below the home's profile folders.
  int TextSignatures() const {
    int found = 0;
    const stdfs::path root = home_.home() / "drive_c" / "Documents and Settings";
    std::error_code ec;
    for (const auto& entry : stdfs::recursive_directory_iterator(root, ec)) {
      if (entry.path().filename() == "Vellumo Text Signature.txt") ++found;
    }
    return found;
  }
  stdfs::path ProgramFolder() const {
    return home_.home() / "drive_c" / "Program Files" / "Corvane" / "Vellumo" / "Programs";
  }

  test_support::SendHome home_;
};

TEST_F(AddInLifecycleProgramTest, RegisteredItsButtonsCycleTheModeClickByClick) {
  ASSERT_EQ(home_.Run({"register"}).exit_code, 0);
  home_.Set("User Settings", "SuppressToolbar", "False");
  EXPECT_THAT(Toolbar(),
              ElementsAre("Vellumo Setup|ButtonWiz|visible", "Vellumo On|EmailMonitor|visible"));

  std::vector<std::string> modes;
  for (int i = 0; i < 3; ++i) {
    const std::vector<std::string> bar = Toolbar({"click", "EmailMonitor"});
    modes.push_back(bar.at(1) + " " + Mode());
  }
  EXPECT_THAT(modes, ElementsAre("Vellumo Off|EmailMonitor|visible off",
                                 "eSignature|EmailMonitor|visible eSignature",
                                 "Vellumo On|EmailMonitor|visible auto"));
  // Entering eSignature wrote the mail client's signature files; leaving it reset the client's
  // choice of signature and left the files.
  EXPECT_EQ(TextSignatures(), 1);
  const stdfs::path exported = home_.home() / "mail-settings.reg";
  ASSERT_EQ(home_
                .Run({"regedit", "/e", exported.string(),
                      "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\11.0\\Common\\MailSettings"})
                .exit_code,
            0);
  // The export is UTF-16, as the registry editor writes it.
  EXPECT_THAT(text::Utf16LeToUtf8(test_support::ReadAll(exported)),
              HasSubstr("\"NewSignature\"=hex(2):00,00"));
  EXPECT_FALSE(stdfs::exists(ProgramFolder() / "resetsig.reg"));

  // Unregistered, the client starts without it: no buttons, and a click names the cause.
  ASSERT_EQ(home_.Run({"unregister"}).exit_code, 0);
  EXPECT_TRUE(Toolbar().empty());
  const ProcessResult click = home_.Run({"toolbar", "click", "EmailMonitor"});
  EXPECT_EQ(click.exit_code, 1);
  EXPECT_THAT(click.errors, HasSubstr("vellumo register"));
}

TEST_F(AddInLifecycleProgramTest, AnAdministratorsRegistryFileIsImportedAtTheNextStartOnce) {
  stdfs::create_directories(ProgramFolder());
  test_support::WriteAll(ProgramFolder() / "NewUser.reg",
                         "Windows Registry Editor Version 5.00\r\n\r\n"
                         "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Vellumo\\"
                         "Admin Settings]\r\n\"SigPosition\"=\"Harbour Master\"\r\n");
  test_support::WriteAll(ProgramFolder() / "DefaultUser.reg",
                         "Windows Registry Editor Version 5.00\r\n\r\n"
                         "[HKEY_CURRENT_USER\\Software\\Broken]\r\n\"a\"=dword:nothex\r\n");
  (void)Toolbar();  // a start of the client
  EXPECT_EQ(Setting("Admin Settings", "SigPosition"), "Harbour Master");
  EXPECT_FALSE(stdfs::exists(ProgramFolder() / "NewUser.reg"));
  EXPECT_TRUE(stdfs::exists(ProgramFolder() / "DefaultUser.reg")) << "kept to be mended";
  EXPECT_THAT(test_support::ReadAll(ProgramFolder() / "Support" / "SupportLog.txt"),
              HasSubstr("DefaultUser.reg:4"));
}

}  // namespace
}  // namespace vellumo
