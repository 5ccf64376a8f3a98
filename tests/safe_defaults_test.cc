// The program's safe defaults as a user meets them: `settings list` keeps one setting per line
// whatever the values hold, and the first trace line of a fresh home makes the log instead of
// failing into the report question.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
using test_support::EnvValue;
using test_support::ReadAll;
using ::testing::HasSubstr;
using ::testing::Not;

class SafeDefaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bin_ = EnvValue("VELLUMO_BIN");
    source_ = test_support::SourceDir();
  }
  // The program with every window taking its default (no answers) and logged.
  ProcessResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"/usr/bin/env", "VELLUMO_UI=script", "VELLUMO_ANSWERS=",
                               "VELLUMO_UI_LOG=" + (home_ / "ui.jsonl").string(), bin_, "--home",
                               home_.string()});
    return processes_.Run(args, {});
  }
  void Set(const std::string& section, const std::string& key, const std::string& value) {
    const ProcessResult set = Run({"settings", "set", "Vellumo", section, key, value});
    ASSERT_EQ(set.exit_code, 0) << set.errors;
  }
  // A home as scripts/demo makes it.
  void ExampleHome() {
    ASSERT_EQ(test_support::FillExampleHome(
                  home_, [this](std::vector<std::string> args) { return Run(std::move(args)); }),
              "");
  }
  std::vector<nlohmann::json> UiLog() {
    std::vector<nlohmann::json> lines;
    std::ifstream in(home_ / "ui.jsonl");
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
    return lines;
  }
  stdfs::path SupportLog() const {
    return home_ / "drive_c" / "Program Files" / "Corvane" / "Vellumo" / "Programs" / "Support" /
           "SupportLog.txt";
  }

  std::string bin_;
  stdfs::path source_;
  test_support::ScopedTempDir temp_{"vellumo-safe"};
  stdfs::path home_ = temp_.path();
  PosixProcesses processes_{"", ""};
};

TEST_F(SafeDefaultsTest, SettingsListKeepsOneSettingPerLineWhateverTheValuesHold) {
  Set("User Settings", "Signature", "a\tb\r\nc\\d");
  Set("User Settings", "Template", "plain.htm");
  const ProcessResult listed = Run({"settings", "list", "Vellumo"});
  ASSERT_EQ(listed.exit_code, 0) << listed.errors;
  EXPECT_EQ(listed.output,
            "User Settings\tSignature\ta\\tb\\r\\nc\\\\d\n"
            "User Settings\tTemplate\tplain.htm\n");
  const ProcessResult all = Run({"settings", "list"});
  EXPECT_THAT(all.output, HasSubstr("Vellumo\\User Settings\tTemplate\tplain.htm\n"));
  const ProcessResult help = Run({"settings", "list", "--help"});
  EXPECT_THAT(help.output, HasSubstr("\\t, \\r, \\n or \\\\"));
}

TEST_F(SafeDefaultsTest, TheFirstTraceLineOfAFreshHomeMakesTheLog) {
  ExampleHome();
  Set("Admin Settings", "ErrorFileLocation", "");
  ASSERT_EQ(Run({"settings", "set", "Vellumo", "System Settings", "SystemCheck", "True"}).exit_code,
            0);
  const ProcessResult sent =
      Run({"send", (source_ / "examples" / "messages" / "harbour-lanterns.eml").string()});
  EXPECT_EQ(sent.exit_code, 0) << sent.output << sent.errors;
  const std::string log = ReadAll(SupportLog());
  EXPECT_THAT(log, HasSubstr("System Check: "));
  EXPECT_THAT(log, Not(HasSubstr("Bad file name or number")));
  for (const nlohmann::json& line : UiLog()) {
    EXPECT_NE(line.value("name", ""), "frmMessage") << "no report question: " << line.dump();
  }
}

TEST_F(SafeDefaultsTest, SettingsListKnownShowsEveryKeyWithItsDefaultAndWhatIsStored) {
  Set("admin settings", "WipeoutReplySeparator", "<hr>\t<p>");
  const ProcessResult known = Run({"settings", "list", "--known"});
  ASSERT_EQ(known.exit_code, 0) << known.errors;
  EXPECT_THAT(known.output, HasSubstr("Vellumo\tUser Settings\tBrowserTop\t990\t990\tdefault\t"));
  EXPECT_THAT(known.output, HasSubstr("Vellumo\tAdmin Settings\tWipeoutReplySeparator\t<hr>\t"
                                      "<hr>\\t<p>\tstored\t"));
  // The step that reads the template folder as set has its own line beside the usual one.
  EXPECT_THAT(known.output, HasSubstr("\tHTM Files Path\tC:\\\\temp\tC:\\\\temp\tdefault\t"));
  EXPECT_THAT(known.output, HasSubstr("\tHTM Files Path\t\t\tdefault\t"));
  const ProcessResult system = Run({"settings", "list", "--known", "Vellumo", "System Settings"});
  EXPECT_THAT(system.output, HasSubstr("\tSystemCheck\tFalse\tFalse\tdefault\t"));
  EXPECT_THAT(system.output, Not(HasSubstr("Admin Settings")));
  const ProcessResult help = Run({"settings", "list", "--help"});
  EXPECT_THAT(help.output, HasSubstr("--known"));
}

}  // namespace
}  // namespace vellumo
