#include "odbc/driver_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "base/error.h"
#include "tests/support/scoped_temp_dir.h"

namespace vellumo::odbc {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string ErrorText(std::string_view text) {
  try {
    DriverTable table(text, "drivers.ini");
  } catch (const Error& error) {
    return error.what();
  }
  return "(no error)";
}

TEST(DriverTable, ParsesSectionsAndFindsNamesIgnoringCase) {
  const DriverTable table(
      "; comment\r\n[SQLite3]\r\nDescription=x\r\nDRIVER = libsqlite3odbc.so \r\n\r\n"
      "# another\n[ PostgreSQL Unicode ]\nSetup=s.so\nDriver=/opt/pg/psqlodbcw.so\n",
      "drivers.ini");
  EXPECT_THAT(table.Names(), ElementsAre("SQLite3", "PostgreSQL Unicode"));
  ASSERT_TRUE(table.Find("sqlite3"));
  EXPECT_EQ(table.Find("sqlite3")->library, "libsqlite3odbc.so");
  EXPECT_EQ(table.Find("POSTGRESQL UNICODE")->library, "/opt/pg/psqlodbcw.so");
  EXPECT_FALSE(table.Find("SQLite"));
}

TEST(DriverTable, NamesFileAndLineOfABadLine) {
  EXPECT_THAT(ErrorText("[A]\nDriver=a.so\n[B]\nSetup=b.so\n"),
              HasSubstr("drivers.ini:3: the section has no Driver= line"));
  EXPECT_THAT(ErrorText("[A]\nDriver=a.so\n[B]\n"), HasSubstr("drivers.ini:3:"));
  EXPECT_THAT(ErrorText("Driver=a.so\n"), HasSubstr("drivers.ini:1: Key=Value before"));
  EXPECT_THAT(ErrorText("[A]\nDriver=a.so\nnonsense\n"), HasSubstr("drivers.ini:3: expected"));
  EXPECT_THAT(ErrorText("[A\nDriver=a.so\n"), HasSubstr("drivers.ini:1: a section name"));
}

TEST(DriverTable, LocatesALibraryInTheFirstFolderHoldingIt) {
  test_support::ScopedTempDir dir;
  std::filesystem::create_directories(dir / "first");
  std::filesystem::create_directories(dir / "second");
  std::ofstream(dir / "second" / "libx.so") << "x";
  std::ofstream(dir / "first" / "liby.so") << "y";
  const std::vector<std::string> dirs = {(dir / "first").string(), (dir / "second").string()};
  EXPECT_EQ(DriverTable::Locate({"X", "libx.so"}, dirs), (dir / "second" / "libx.so").string());
  EXPECT_EQ(DriverTable::Locate({"Y", "liby.so"}, dirs), (dir / "first" / "liby.so").string());
  EXPECT_EQ(DriverTable::Locate({"Z", "libz.so"}, dirs), std::nullopt);
  const std::string absolute = (dir / "second" / "libx.so").string();
  EXPECT_EQ(DriverTable::Locate({"X", absolute}, {}), absolute);
  EXPECT_EQ(DriverTable::Locate({"X", (dir / "nowhere.so").string()}, dirs), std::nullopt);
}

// The shipped table parses and names the drivers the README promises.
TEST(DriverTable, TheProgramsOwnTableNamesTheDebianDrivers) {
  const DriverTable table(ProjectOdbcinst(), "resources/odbcinst.ini");
  EXPECT_THAT(table.Names(),
              ElementsAre("SQLite3", "SQLite", "PostgreSQL Unicode", "PostgreSQL ANSI"));
  EXPECT_EQ(table.Find("PostgreSQL Unicode")->library, "psqlodbcw.so");
  EXPECT_EQ(table.Find("SQLite3")->library, "libsqlite3odbc.so");
}

}  // namespace
}  // namespace vellumo::odbc
