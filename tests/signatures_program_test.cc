// `vellumo signatures create` and `reset` as a user runs them, on the example home: the mail
// client's signature folder below the home's C: drive, the real SQLite registry, files made by
// hand left alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/settings/settings.h"
#include "posix/posix_system_info.h"
#include "posix/sqlite_registry.h"
#include "tests/support/send_home.h"
#include "tests/support/test_files.h"

namespace vellumo {
namespace {

namespace stdfs = std::filesystem;
using test_support::ReadAll;
using test_support::WriteAll;

constexpr char kMailSettings11[] = "HKCU\\Software\\Microsoft\\Office\\11.0\\Common\\MailSettings";

class SignaturesProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.ok()) << home_.error();
    drive_ = home_.home() / "drive_c";
    // The signature folder of the user running the program, as the program works it out.
    folder_ = drive_ / "Documents and Settings" / PosixSystemInfo().UserName() /
              "application data" / "Microsoft" / "signatures";
    for (const char* name : {"Lantern_template.html", "Lantern_template.rtf"}) {
      stdfs::copy(home_.source() / "examples" / "signature-templates" / name,
                  drive_ / "Vellumo" / "Signatures" / name);
    }
  }

  test_support::SendHome home_;
  stdfs::path drive_;
  stdfs::path folder_;
};

TEST_F(SignaturesProgramTest, CreateThenResetLeavesTheUsersOwnFiles) {
  stdfs::create_directories(folder_);
  WriteAll(folder_ / "Lantern.htm", "an older signature");
  WriteAll(folder_ / "Mine.htm", "made by hand");

  ProcessResult run = home_.Run({"signatures", "create"});
  ASSERT_EQ(run.exit_code, 0) << run.errors;
  EXPECT_EQ(run.output, "wrote " + (folder_ / "Lantern.html").string() + "\n" + "wrote " +
                            (folder_ / "Lantern.rtf").string() + "\n" + "wrote " +
                            (folder_ / "Vellumo Text Signature.txt").string() + "\n" + "removed " +
                            (folder_ / "Lantern.htm").string() + "\n");
  const std::string html = ReadAll(folder_ / "Lantern.html");
  EXPECT_NE(html.find("<b style=\"color:#1F3A5F;\">Iris Calloway</b><br>Head of Lantern Design, "
                      "Northwind Lanterns<br>Telephone: +44 20 7946 0321 &middot; Cell: "
                      "+44 7700 900461<br>"),
            std::string::npos)
      << html;
  EXPECT_TRUE(html.ends_with("</table>\r\n")) << html;
  EXPECT_EQ(html.find('\n'), html.size() - 1);  // one line: the template's breaks are gone
  const std::string rtf = ReadAll(folder_ / "Lantern.rtf");
  EXPECT_NE(rtf.find("\\par Telephone: +44 20 7946 0321\\par Cell: +44 7700 900461\\par"),
            std::string::npos)
      << rtf;
  EXPECT_TRUE(ReadAll(folder_ / "Vellumo Text Signature.txt")
                  .starts_with("Iris Calloway\r\nNorthwind Lanterns" + std::string(27, ' ') +
                               "\r\nHead of Lantern Design" + std::string(23, ' ') +
                               "iris@northwind-lanterns.example\r\n"));
  EXPECT_FALSE(stdfs::exists(folder_ / "Lantern.htm"));

  // The mail client had its own choice of signatures; the reset clears it.
  {
    SqliteRegistry registry((home_.home() / "registry.db").string());
    registry.SetValue(kMailSettings11, "NewSignature", RegValue::String("Lantern"));
  }
  run = home_.Run({"signatures", "reset"});
  ASSERT_EQ(run.exit_code, 0) << run.errors;
  EXPECT_NE(run.output.find("removed " + (drive_ / "CorvaneTempReg").string() + "\n"),
            std::string::npos)
      << run.output;
  {
    SqliteRegistry registry((home_.home() / "registry.db").string());
    for (const char* name : {"NewSignature", "ReplySignature", "NewStationery"}) {
      EXPECT_EQ(registry.GetValue(kMailSettings11, name), RegValue::ExpandString("")) << name;
    }
  }
  EXPECT_FALSE(stdfs::exists(drive_ / "Program Files" / "Corvane" / "Vellumo" / "Programs" /
                             "resetsig.reg"));
  EXPECT_FALSE(stdfs::exists(drive_ / "CorvaneTempReg"));
  EXPECT_EQ(ReadAll(folder_ / "Mine.htm"), "made by hand");
  EXPECT_TRUE(stdfs::exists(folder_ / "Lantern.html"));
  EXPECT_TRUE(stdfs::exists(folder_ / "Vellumo Text Signature.txt"));
}

TEST_F(SignaturesProgramTest, FailuresAreClearAndExitOne) {
  // The wizard's lists with no templates at all: nothing to write.
  home_.Set("Admin Settings", "Signatures Path", "C:\\Nowhere");
  ProcessResult run = home_.Run({"signatures", "create", "--wizard"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.output, "");
  EXPECT_NE(run.errors.find("no signature file was written to " + folder_.string() + " (no "),
            std::string::npos)
      << run.errors;

  // An administrator's import file that is malformed stays, and the error names its line.
  const stdfs::path programs = drive_ / "Program Files" / "Corvane" / "Vellumo" / "Programs";
  stdfs::create_directories(programs);
  WriteAll(programs / "resetsig.reg", "REGEDIT4\r\n[HKEY_CURRENT_USER\\X]\r\nbroken\r\n");
  run = home_.Run({"signatures", "reset"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.errors.find("resetsig.reg:3:"), std::string::npos) << run.errors;
  EXPECT_TRUE(stdfs::exists(programs / "resetsig.reg"));
  EXPECT_FALSE(stdfs::exists(drive_ / "CorvaneTempReg"));

  for (const char* command : {"create", "reset"}) {
    run = home_.Run({"signatures", command, "--help"});
    EXPECT_EQ(run.exit_code, 0) << command;
    EXPECT_NE(run.output.find("mail client"), std::string::npos) << command << run.output;
  }
}

}  // namespace
}  // namespace vellumo
