// The program maps the commands module (the mail client with GMime, the composition engine with
// gumbo), the browser window layer (cpp-httplib, OpenSSL), the SMTP transport (libcurl) and the
// ODBC database (unixODBC) only for the commands that use them: the dynamic loader's own
// list of the files it opened (LD_DEBUG=files) is the witness, so a library linked back in by
// accident fails here.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "base/version.h"
#include "platform/database.h"
#include "posix/posix_processes.h"
#include "posix/shared_module.h"
#include "programs/vellumo/modules/module_abi.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/send_home.h"
#include "tests/support/source_dir.h"
#include "tests/support/test_files.h"

namespace vellumo {
namespace {

namespace stdfs = std::filesystem;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr const char* kMessage = test_support::kShortMessage;

// What the loader says it opened shows up on standard error as "file=NAME".
const auto MapsWeb = AllOf(HasSubstr("vellumo-web.so"), HasSubstr("libcpp-httplib"));
const auto MapsSmtp = AllOf(HasSubstr("vellumo-smtp.so"), HasSubstr("file=libcurl"));
const auto MapsNeither = AllOf(Not(HasSubstr("vellumo-web.so")), Not(HasSubstr("httplib")),
                               Not(HasSubstr("file=libssl")), Not(HasSubstr("vellumo-smtp.so")),
                               Not(HasSubstr("file=libcurl")), Not(HasSubstr("vellumo-odbc.so")),
                               Not(HasSubstr("file=libodbc")));
// The registry commands run in the program alone (SQLite is linked into it in a Release build,
// loaded in others); the C++ runtime shows that the loader's report was there to read.
const auto MapsOnlyTheRegistry =
    AllOf(MapsNeither, Not(HasSubstr("vellumo-commands.so")), Not(HasSubstr("file=libgmime")),
          Not(HasSubstr("file=libgumbo")), HasSubstr("file=libstdc++"));

class ProgramModulesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(home_.ok()) << home_.error(); }

  // The program with the loader reporting each file it opens; extra: NAME=VALUE settings.
  ProcessResult Traced(const std::string& bin, std::vector<std::string> args,
                       std::vector<std::string> extra = {}, std::string_view input = {}) {
    std::vector<std::string> argv = {"/usr/bin/env", "LD_DEBUG=files", "VELLUMO_UI=script",
                                     "VELLUMO_ANSWERS="};
    argv.insert(argv.end(), extra.begin(), extra.end());
    argv.insert(argv.end(), {bin, "--home", home_.home().string()});
    argv.insert(argv.end(), args.begin(), args.end());
    return processes_.Run(argv, input);
  }
  ProcessResult Traced(std::vector<std::string> args, std::vector<std::string> extra = {},
                       std::string_view input = {}) {
    return Traced(test_support::EnvValue("VELLUMO_BIN"), std::move(args), std::move(extra), input);
  }

  test_support::SendHome home_;
  PosixProcesses processes_{"", ""};
};

TEST_F(ProgramModulesTest, CommandsThatNeedNeitherLoadNeither) {
  ProcessResult result = Traced({"settings", "get", "Vellumo", "User Settings", "Template"});
  EXPECT_EQ(result.output, "Morning Paper.htm\n");
  EXPECT_THAT(result.errors, MapsOnlyTheRegistry);

  const stdfs::path exported = home_.home() / "exported.reg";
  result = Traced({"regedit", "/e", exported.string(), "HKEY_CURRENT_USER\\Software"});
  EXPECT_EQ(result.exit_code, 0) << result.errors;
  EXPECT_THAT(result.errors, MapsOnlyTheRegistry);

  const stdfs::path message = home_.home() / "message.eml";
  test_support::WriteAll(message, kMessage);
  const stdfs::path stationery = home_.source() / "examples" / "stationery" / "Morning Paper.htm";
  result = Traced({"compose", "--template", stationery.string(), message.string()});
  EXPECT_EQ(result.exit_code, 0) << result.errors;
  EXPECT_THAT(result.output, HasSubstr("The lanterns are ready."));
  EXPECT_THAT(result.errors, MapsNeither);

  // A send with transport none, also with the browser windows chosen but none shown.
  result = Traced({"send", "-"}, {"VELLUMO_UI=web"}, kMessage);
  EXPECT_EQ(result.output, "sent\n") << result.errors;
  EXPECT_THAT(result.errors, MapsNeither);

  ASSERT_EQ(Traced({"transport", "set", "sendmail:/bin/true"}).exit_code, 0);
  result = Traced({"send", "-"}, {}, kMessage);
  EXPECT_EQ(result.output, "sent\n") << result.errors;
  EXPECT_THAT(result.errors, MapsNeither);
}

TEST_F(ProgramModulesTest, ASendOverSmtpLoadsTheSmtpModuleAndNotTheWindows) {
  test_support::SmtpSink sink(home_.home() / "sink");
  const int port = sink.Start();
  ASSERT_NE(port, 0) << "the SMTP sink did not start";
  ASSERT_EQ(Traced({"transport", "set", "smtp://127.0.0.1:" + std::to_string(port)}).exit_code, 0);
  const ProcessResult result = Traced({"send", "-"}, {}, kMessage);
  EXPECT_EQ(result.output, "sent\n") << result.errors;
  EXPECT_THAT(result.errors, MapsSmtp);
  EXPECT_THAT(result.errors, Not(MapsWeb));
  EXPECT_EQ(sink.Messages().size(), 1u);
}

// A command line naming a command builds only that command's group: every command the help lists
// must still be found on its own, with its own help (a command missing from its group, or put in
// another, shows the program's help instead).
TEST_F(ProgramModulesTest, EveryCommandTheHelpListsRunsOnItsOwn) {
  const ProcessResult help = Traced({"--help"});
  ASSERT_EQ(help.exit_code, 0) << help.errors;
  const size_t list = help.output.find("Subcommands:\n");
  ASSERT_NE(list, std::string::npos) << help.output;
  std::istringstream lines(help.output.substr(list));
  std::string line;
  std::getline(lines, line);
  int commands = 0;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string command;
    if (!(words >> command) || command == "sendmail") continue;  // sendmail parses its own words
    ++commands;
    const ProcessResult own = Traced({command, "--help"});
    EXPECT_EQ(own.exit_code, 0) << command << ": " << own.errors;
    const std::string usage = own.output.substr(own.output.find("Usage:"));
    EXPECT_THAT(usage.substr(0, usage.find('\n')), HasSubstr(" " + command + " ")) << own.output;
  }
  EXPECT_GE(commands, 17);
}

// A program without its modules still runs the registry commands, and says which file is missing
// for the others (a mail program calling sendmail is told to try again later). With the commands
// module in the install's library folder but not the SMTP one, a send over SMTP keeps the message
// in the Outbox and names the missing file.
TEST_F(ProgramModulesTest, AMissingModuleIsNamedAndTheMessageIsKept) {
  test_support::ScopedTempDir install("vellumo-install");
  const stdfs::path bin = install.path() / "bin" / "vellumo";
  const stdfs::path lib = install.path() / "lib" / "vellumo";
  stdfs::create_directories(bin.parent_path());
  stdfs::copy_file(test_support::EnvValue("VELLUMO_BIN"), bin);

  ProcessResult result =
      Traced(bin.string(), {"settings", "get", "Vellumo", "User Settings", "Template"});
  EXPECT_EQ(result.output, "Morning Paper.htm\n") << result.errors;

  result = Traced(bin.string(), {"send", "-"}, {}, kMessage);
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_THAT(result.errors, AllOf(HasSubstr("vellumo: "), HasSubstr("vellumo-commands.so"),
                                   HasSubstr(lib.string())));
  result = Traced(bin.string(), {"sendmail", "-t", "-oi"}, {}, kMessage);
  EXPECT_EQ(result.exit_code, 75);
  EXPECT_THAT(result.errors, AllOf(HasSubstr("sendmail: "), HasSubstr("vellumo-commands.so")));
  EXPECT_THAT(test_support::FilesIn(home_.Folder("Outbox"), ""), ::testing::IsEmpty());

  stdfs::create_directories(lib);
  const stdfs::path build_dir = stdfs::path(test_support::EnvValue("VELLUMO_BIN")).parent_path();
  stdfs::copy_file(build_dir / program::kCommandsModuleFile, lib / program::kCommandsModuleFile);
  ASSERT_EQ(Traced(bin.string(), {"transport", "set", "smtp://127.0.0.1:9"}).exit_code, 0);
  result = Traced(bin.string(), {"send", "-"}, {}, kMessage);
  EXPECT_EQ(result.exit_code, 4) << result.errors;
  EXPECT_THAT(result.output,
              AllOf(HasSubstr("queued"), HasSubstr("vellumo-smtp.so"), HasSubstr(lib.string())));
  EXPECT_THAT(test_support::FilesIn(home_.Folder("Outbox"), ""), ::testing::SizeIs(1));
}

// The database module stands on its own: opened beside the program, it makes a database that
// reaches SQLite through its ODBC driver with nothing of the program's.
TEST(OdbcModule, MakesAWorkingDatabase) {
  const std::string dir = stdfs::path(test_support::EnvValue("VELLUMO_BIN")).parent_path().string();
  const std::unique_ptr<SharedModule> module = SharedModule::Open(program::kOdbcModuleFile, {dir});
  using Entry = const program::OdbcModule* (*)();
  const program::OdbcModule* table =
      reinterpret_cast<Entry>(module->Symbol(program::kOdbcModuleEntry))();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->abi, program::kModuleAbi);
  EXPECT_EQ(std::string(table->version), kVersion);

  test_support::ScopedTempDir temp("vellumo-odbc-module");
  const std::unique_ptr<db::Database> database = table->make_database();
  auto connection = database->Open("Driver=SQLite3;Database=" + (temp / "m.db").string());
  connection->Execute("CREATE TABLE t (s TEXT)");
  const std::vector<db::Value> row = {std::string("O'Brien")};
  connection->Prepare("INSERT INTO t (s) VALUES (?)")->Execute(row);
  EXPECT_EQ(connection->Query("SELECT s FROM t").rows.at(0).at(0), "O'Brien");
}

}  // namespace
}  // namespace vellumo
