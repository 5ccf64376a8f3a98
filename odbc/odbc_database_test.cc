// OdbcDatabase against the real drivers: one suite run on SQLite through its ODBC driver (a
// temporary file) and on PostgreSQL when VELLUMO_TEST_PG holds a connection string
// (scripts/pg-test-server starts a throw-away server and scripts/test always sets it).
#include "odbc/odbc_database.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "base/error.h"
#include "odbc/connection_string.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/thrown_code.h"

namespace vellumo::odbc {
namespace {

using db::Value;
using ::testing::AllOf;
using ::testing::ContainsRegex;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::Optional;

constexpr char kSqlite[] = "SQLite";
constexpr char kPostgres[] = "PostgreSQL";

// The texts that must come back byte for byte: quotes, an injection attempt, accents, an emoji.
const std::vector<std::string> kAwkwardTexts = {
    "O'Brien", "'); DROP TABLE x; --", "Zo\xC3\xAB", "\xF0\x9F\x93\xAE mail", "\"double\" \\ ;", "",
};

using test_support::ThrownText;

std::string RandomSuffix() {
  std::random_device device;
  return std::to_string(std::uniform_int_distribution<uint32_t>(1, 1u << 30)(device));
}

std::string SqliteString(const std::filesystem::path& file) {
  return "Driver=SQLite3;Database=" + file.string();
}

class OdbcDatabaseTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (GetParam() == kPostgres) {
      const char* pg = std::getenv("VELLUMO_TEST_PG");
      if (pg == nullptr || *pg == '\0') {
        GTEST_SKIP() << "VELLUMO_TEST_PG is not set; scripts/test (scripts/pg-test-server) sets it";
      }
      connection_string_ = pg;
    } else {
      connection_string_ = SqliteString(dir_ / "marketing.db");
    }
    // Tests on PostgreSQL share one database: each has tables of its own.
    table_ = "vellumo_t" + RandomSuffix();
    connection_ = database_.Open(connection_string_);
  }

  void TearDown() override {
    if (connection_ == nullptr) return;
    connection_.reset();
    // A fresh connection: the test's own may be inside a failed transaction.
    auto cleanup = database_.Open(connection_string_);
    cleanup->Execute("DROP TABLE IF EXISTS " + table_);
    cleanup->Execute("DROP TABLE IF EXISTS x" + table_);
  }

  // The marketing row's shape.
  void CreateRowTable() {
    connection_->Execute("CREATE TABLE " + table_ + " (Emailaddress VARCHAR(320), " +
                         connection_->QuoteIdentifier("date") +
                         " VARCHAR(40), template VARCHAR(255), bulkmail INTEGER,"
                         " program_used VARCHAR(64), sender VARCHAR(320))");
  }

  int64_t Count(const std::string& table) {
    const db::Rows rows = connection_->Query("SELECT COUNT(*) FROM " + table);
    return std::stoll(rows.rows.at(0).at(0).value());
  }

  test_support::ScopedTempDir dir_{"vellumo-odbc"};
  OdbcDatabase database_;
  std::string connection_string_;
  std::string table_;
  std::unique_ptr<db::Connection> connection_;
};

TEST_P(OdbcDatabaseTest, PreparedInsertOfManyRowsInOneTransactionReadsBack) {
  CreateRowTable();
  const std::string date = connection_->QuoteIdentifier("date");
  connection_->BeginTransaction();
  auto insert = connection_->Prepare("INSERT INTO " + table_ + " (Emailaddress, " + date +
                                     ", template, bulkmail, program_used, sender)"
                                     " VALUES (?, ?, ?, ?, ?, ?)");
  for (int i = 0; i < 300; ++i) {
    const std::vector<Value> row = {"r" + std::to_string(i) + "@example.com",
                                    "12/9/2026 6:31 PM",
                                    kAwkwardTexts[i % kAwkwardTexts.size()],
                                    int64_t{1},
                                    "Vellumo",
                                    "sender@example.com"};
    insert->Execute(row);
  }
  connection_->Commit();

  const std::vector<Value> wanted = {std::string("r7@example.com")};
  const db::Rows rows = connection_->Query("SELECT Emailaddress, " + date +
                                               ", template, bulkmail, program_used, sender FROM " +
                                               table_ + " WHERE Emailaddress = ?",
                                           wanted);
  ASSERT_EQ(rows.rows.size(), 1u);
  EXPECT_THAT(
      rows.rows[0],
      ElementsAre(Optional(std::string("r7@example.com")),
                  Optional(std::string("12/9/2026 6:31 PM")),
                  Optional(kAwkwardTexts[7 % kAwkwardTexts.size()]), Optional(std::string("1")),
                  Optional(std::string("Vellumo")), Optional(std::string("sender@example.com"))));
  ASSERT_EQ(rows.columns.size(), 6u);
  EXPECT_TRUE(std::equal(rows.columns[0].begin(), rows.columns[0].end(), "emailaddress",
                         [](char a, char b) { return std::tolower(a) == b; }))
      << rows.columns[0];
  EXPECT_EQ(Count(table_), 300);
}

TEST_P(OdbcDatabaseTest, AwkwardTextsAreStoredLiterally) {
  connection_->Execute("CREATE TABLE x" + table_ + " (n INTEGER)");
  connection_->Execute("CREATE TABLE " + table_ + " (n INTEGER, s VARCHAR(200))");
  auto insert = connection_->Prepare("INSERT INTO " + table_ + " (n, s) VALUES (?, ?)");
  for (size_t i = 0; i < kAwkwardTexts.size(); ++i) {
    const std::vector<Value> row = {static_cast<int64_t>(i), kAwkwardTexts[i]};
    insert->Execute(row);
  }
  // The injection attempt, aimed at the table beside ours, as a value of a query.
  const std::string attack = "x'); DROP TABLE x" + table_ + "; --";
  const std::vector<Value> attack_row = {int64_t{99}, attack};
  insert->Execute(attack_row);

  const db::Rows rows = connection_->Query("SELECT s FROM " + table_ + " ORDER BY n");
  std::vector<std::string> texts;
  for (const auto& row : rows.rows) texts.push_back(row.at(0).value_or("(NULL)"));
  std::vector<std::string> expected = kAwkwardTexts;
  expected.push_back(attack);
  EXPECT_EQ(texts, expected);
  const std::vector<Value> by_value = {std::string("O'Brien")};
  EXPECT_EQ(connection_->Query("SELECT n FROM " + table_ + " WHERE s = ?", by_value).rows.size(),
            1u);
  EXPECT_EQ(Count("x" + table_), 0);  // still there
  // Stored as characters, not as bytes taken for Latin-1 and converted back on the way out.
  EXPECT_EQ(
      connection_->Query("SELECT LENGTH(s) FROM " + table_ + " WHERE n IN (2, 3) ORDER BY n").rows,
      (std::vector<std::vector<std::optional<std::string>>>{{"3"}, {"6"}}));
}

TEST_P(OdbcDatabaseTest, RollbackAndAClosedConnectionLeaveNothing) {
  connection_->Execute("CREATE TABLE " + table_ + " (n INTEGER)");
  connection_->BeginTransaction();
  auto insert = connection_->Prepare("INSERT INTO " + table_ + " (n) VALUES (?)");
  const std::vector<Value> one = {int64_t{1}};
  insert->Execute(one);
  connection_->Rollback();
  EXPECT_EQ(Count(table_), 0);

  // After a rollback, statements commit one by one again.
  insert->Execute(one);
  insert.reset();
  auto other = database_.Open(connection_string_);
  EXPECT_EQ(other->Query("SELECT n FROM " + table_).rows.size(), 1u);
  other.reset();

  connection_->BeginTransaction();
  connection_->Execute("INSERT INTO " + table_ + " (n) VALUES (2)");
  connection_.reset();  // inside the transaction
  connection_ = database_.Open(connection_string_);
  EXPECT_EQ(Count(table_), 1);
}

TEST_P(OdbcDatabaseTest, NullsIntegersAndLongTextsRoundTrip) {
  connection_->Execute("CREATE TABLE " + table_ + " (k INTEGER, n BIGINT, s TEXT)");
  auto insert = connection_->Prepare("INSERT INTO " + table_ + " (k, n, s) VALUES (?, ?, ?)");
  // A text longer than any one read, with multi-byte characters across the read boundaries.
  std::string long_text;
  while (long_text.size() < 100'000) long_text += "Zo\xC3\xAB \xF0\x9F\x93\xAE ";
  const std::vector<std::vector<Value>> rows = {
      {int64_t{1}, Value{}, Value{}},
      {int64_t{2}, int64_t{INT64_MAX}, std::string("x")},
      {int64_t{3}, int64_t{INT64_MIN}, long_text},
      {int64_t{4}, int64_t{-1}, std::string("")},
  };
  for (const auto& row : rows) insert->Execute(row);

  const db::Rows read = connection_->Query("SELECT n, s FROM " + table_ + " ORDER BY k");
  ASSERT_EQ(read.rows.size(), 4u);
  EXPECT_THAT(read.rows[0], ElementsAre(std::nullopt, std::nullopt));
  EXPECT_THAT(read.rows[1],
              ElementsAre(Optional(std::to_string(INT64_MAX)), Optional(std::string("x"))));
  EXPECT_EQ(read.rows[2][0], std::to_string(INT64_MIN));
  EXPECT_EQ(read.rows[2][1].value_or("(NULL)").size(), long_text.size());
  EXPECT_TRUE(read.rows[2][1] == long_text);
  EXPECT_THAT(read.rows[3], ElementsAre(Optional(std::string("-1")), Optional(std::string(""))));

  const std::vector<Value> is_null = {Value{}};
  EXPECT_EQ(connection_->Query("SELECT k FROM " + table_ + " WHERE n IS NULL OR n = ?", is_null)
                .rows.size(),
            1u);
}

TEST_P(OdbcDatabaseTest, DriverErrorsCarryTheirSqlstate) {
  const std::string bad = ThrownText([&] { connection_->Execute("SELEKT 1"); });
  EXPECT_THAT(bad, ContainsRegex("^ODBC [0-9A-Z]{5}: "));
  const std::string missing_run = ThrownText([&] {
    auto statement =
        connection_->Prepare("INSERT INTO no_such_table_" + table_ + " (a) VALUES (?)");
    const std::vector<Value> row = {int64_t{1}};
    statement->Execute(row);
  });
  EXPECT_THAT(missing_run, AllOf(ContainsRegex("ODBC [0-9A-Z]{5}: "), HasSubstr("no_such_table")));

  connection_->Execute("CREATE TABLE " + table_ + " (a INTEGER, b INTEGER)");
  auto insert = connection_->Prepare("INSERT INTO " + table_ + " (a, b) VALUES (?, ?)");
  const std::vector<Value> short_row = {int64_t{1}};
  EXPECT_THAT(ThrownText([&] { insert->Execute(short_row); }), HasSubstr("ODBC"));
  const std::vector<Value> long_row = {int64_t{1}, int64_t{2}, int64_t{3}};
  EXPECT_THAT(ThrownText([&] { insert->Execute(long_row); }), HasSubstr("given are 3"));
  const std::vector<Value> row = {int64_t{1}, int64_t{2}};
  insert->Execute(row);  // the statement is still usable
  EXPECT_EQ(Count(table_), 1);
}

// A unit the database refuses only at commit (a deferred constraint) leaves nothing, and the
// connection goes on committing statement by statement.
TEST_P(OdbcDatabaseTest, ACommitTheDatabaseRefusesLeavesNothing) {
  if (GetParam() == kSqlite) {
    connection_->Execute("PRAGMA foreign_keys = ON");
    connection_->Execute("CREATE TABLE x" + table_ + " (id INTEGER PRIMARY KEY)");
    connection_->Execute("CREATE TABLE " + table_ + " (n INTEGER REFERENCES x" + table_ +
                         " (id) DEFERRABLE INITIALLY DEFERRED)");
  } else {
    connection_->Execute("CREATE TABLE x" + table_ + " (id INTEGER)");
    connection_->Execute("CREATE TABLE " + table_ +
                         " (n INTEGER UNIQUE DEFERRABLE INITIALLY DEFERRED)");
  }
  connection_->BeginTransaction();
  auto insert = connection_->Prepare("INSERT INTO " + table_ + " (n) VALUES (?)");
  const std::vector<Value> seven = {int64_t{7}};
  insert->Execute(seven);
  insert->Execute(seven);  // a duplicate, or a reference to nothing: refused at commit
  EXPECT_THAT(ThrownText([&] { connection_->Commit(); }), ContainsRegex("^ODBC [0-9A-Z]{5}: "));
  EXPECT_EQ(Count(table_), 0);

  connection_->Execute("INSERT INTO x" + table_ + " (id) VALUES (7)");
  insert->Execute(seven);
  EXPECT_THAT(ThrownText([&] { connection_->Commit(); }), HasSubstr("without a transaction"));
  auto other = database_.Open(connection_string_);
  EXPECT_EQ(other->Query("SELECT COUNT(*) FROM " + table_).rows.at(0).at(0), "1");
}

TEST_P(OdbcDatabaseTest, TransactionsAreNotNestedOrEndedTwice) {
  EXPECT_THAT(ThrownText([&] { connection_->Commit(); }), HasSubstr("without a transaction"));
  EXPECT_THAT(ThrownText([&] { connection_->Rollback(); }), HasSubstr("without a transaction"));
  connection_->BeginTransaction();
  EXPECT_THAT(ThrownText([&] { connection_->BeginTransaction(); }), HasSubstr("already open"));
  connection_->Commit();
}

TEST_P(OdbcDatabaseTest, QuotesIdentifiersTheDatabasesWay) {
  EXPECT_EQ(connection_->QuoteIdentifier("date"), "\"date\"");
  EXPECT_EQ(connection_->QuoteIdentifier("a\"b"), "\"a\"\"b\"");
}

TEST_P(OdbcDatabaseTest, ThePasswordNeverAppearsInAnError) {
  // Where the driver manager or the driver repeats a value in its message, the password is put:
  // the driver library's path for the driver manager, the database's name for PostgreSQL.
  std::vector<Attribute> attributes = ParseConnectionString(connection_string_);
  std::string password = "pw" + RandomSuffix();
  if (GetParam() == kSqlite) {
    SetAttribute(attributes, "Driver", "/nonexistent/" + password + "/libodbc-driver.so");
    SetAttribute(attributes, "PWD", password);
  } else {
    password = FindAttribute(attributes, "PWD").value();  // the server checks it first
    SetAttribute(attributes, "Database", password);
  }
  const std::string text =
      ThrownText([&] { (void)database_.Open(FormatConnectionString(attributes)); });
  EXPECT_THAT(text, AllOf(ContainsRegex("^ODBC [0-9A-Z]{5}: "), HasSubstr("***"),
                          Not(HasSubstr(password))));
}

INSTANTIATE_TEST_SUITE_P(Drivers, OdbcDatabaseTest, ::testing::Values(kSqlite, kPostgres),
                         [](const auto& param_info) { return param_info.param; });

TEST(OdbcPostgres, AServerThatIsDownIsAConnectionError) {
  const char* pg = std::getenv("VELLUMO_TEST_PG");
  if (pg == nullptr || *pg == '\0') GTEST_SKIP() << "VELLUMO_TEST_PG is not set";
  std::vector<Attribute> attributes = ParseConnectionString(pg);
  SetAttribute(attributes, "Port", "1");  // nothing listens there
  OdbcDatabase database;
  const std::string text =
      ThrownText([&] { (void)database.Open(FormatConnectionString(attributes)); });
  EXPECT_THAT(text,
              AllOf(HasSubstr("ODBC 08001: "), Not(HasSubstr(*FindAttribute(attributes, "Pwd")))));
}

TEST(OdbcDrivers, AnUnknownDriverNameIsAClearError) {
  OdbcDatabase database;
  const std::string text =
      ThrownText([&] { (void)database.Open("Driver=No Such Driver;Database=/tmp/x.db"); });
  EXPECT_THAT(text, AllOf(HasSubstr("no driver is named \"No Such Driver\""),
                          HasSubstr("resources/odbcinst.ini"), HasSubstr("PostgreSQL Unicode")));
  EXPECT_THAT(ThrownText([&] { (void)database.Open("DSN=vellumo_no_such_dsn"); }),
              ContainsRegex("^ODBC IM002: "));
  EXPECT_THAT(ThrownText([&] { (void)database.Open("Provider=SQLOLEDB;Data Source=x"); }),
              HasSubstr("\"SQLOLEDB\""));
}

TEST(OdbcDrivers, AnAdoStringForTheOdbcProviderConnects) {
  test_support::ScopedTempDir dir("vellumo-odbc");
  OdbcDatabase database;
  const std::string file = (dir / "ado.db").string();
  auto connection = database.Open(
      "Provider=MSDASQL.1;Persist Security Info=False;"
      "Extended Properties=\"Driver=SQLite3;Database=" +
      file + "\"");
  connection->Execute("CREATE TABLE t (s TEXT)");
  EXPECT_TRUE(std::filesystem::exists(file));
}

// A name only the driver table knows stands for the same thing as a name the system knows.
TEST(OdbcDrivers, ANameTheSystemDoesNotListComesFromTheDriverTable) {
  test_support::ScopedTempDir dir("vellumo-odbc");
  OdbcOptions options;
  options.driver_table =
      "[Vellumo Test SQLite]\nDriver=libsqlite3odbc.so\n"
      "[Vellumo Missing]\nDriver=libvellumo-missing-odbc.so\n";
  options.driver_table_name = "test-drivers.ini";
  OdbcDatabase database(options);
  auto connection =
      database.Open("Driver={Vellumo Test SQLite};Database=" + (dir / "fallback.db").string());
  connection->Execute("CREATE TABLE t (s TEXT)");
  EXPECT_EQ(connection->Query("SELECT COUNT(*) FROM t").rows.at(0).at(0), "0");

  EXPECT_THAT(ThrownText([&] { (void)database.Open("Driver=Vellumo Missing;Database=/tmp/x"); }),
              AllOf(HasSubstr("\"Vellumo Missing\" is not installed"),
                    HasSubstr("libvellumo-missing-odbc.so")));
  options.driver_dirs = {};
  OdbcDatabase nowhere(options);
  EXPECT_THAT(ThrownText([&] { (void)nowhere.Open("Driver=Vellumo Test SQLite;Database=/tmp/x"); }),
              HasSubstr("none found"));
}

// The same through the program's own table when the system lists no driver at all: the test runs
// itself again with the driver manager pointed at an empty configuration folder.
TEST(OdbcDrivers, WorksWithoutAnySystemDriverConfiguration) {
  if (std::getenv("VELLUMO_ODBC_NO_SYSTEM_DRIVERS") != nullptr) {
    OdbcOptions empty;
    empty.driver_table = "";
    OdbcDatabase without_table(empty);
    const std::string db = std::string(std::getenv("VELLUMO_ODBC_NO_SYSTEM_DRIVERS")) + "/x.db";
    ASSERT_THAT(ThrownText([&] { (void)without_table.Open(SqliteString(db)); }),
                HasSubstr("no driver is named \"SQLite3\""))
        << "the system's driver configuration is still visible";
    OdbcDatabase database;
    auto connection = database.Open(SqliteString(db));
    connection->Execute("CREATE TABLE t (s TEXT)");
    return;
  }
  test_support::ScopedTempDir dir("vellumo-odbc");
  std::filesystem::create_directories(dir / "etc");
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string command =
      "ODBCSYSINI='" + (dir / "etc").string() + "' ODBCINSTINI=odbcinst.ini ODBCINI='" +
      (dir / "etc" / "odbc.ini").string() + "' VELLUMO_ODBC_NO_SYSTEM_DRIVERS='" + dir.str() +
      "' '" + self + "' --gtest_filter=OdbcDrivers.WorksWithoutAnySystemDriverConfiguration" +
      " > '" + (dir / "out.txt").string() + "' 2>&1";
  const int status = std::system(command.c_str());
  std::ifstream out(dir / "out.txt");
  const std::string output((std::istreambuf_iterator<char>(out)), std::istreambuf_iterator<char>());
  ASSERT_EQ(status, 0) << output;
  EXPECT_THAT(output, HasSubstr("[  PASSED  ] 1 test"));
  EXPECT_TRUE(std::filesystem::exists(dir / "x.db"));
}

}  // namespace
}  // namespace vellumo::odbc
