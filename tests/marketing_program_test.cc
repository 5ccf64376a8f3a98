// The contact log and the marketing record in the program, end to end: `vellumo marketing init`,
// `vellumo send` on a fresh example home with Admin Settings "Marketing" set, the rows read back
// with `vellumo marketing show`, over SQLite through its ODBC driver and over the PostgreSQL
// server scripts/test starts (VELLUMO_TEST_PG).
#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "base/text.h"
#include "tests/support/send_home.h"
#include "tests/support/test_files.h"

namespace vellumo {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::SizeIs;

constexpr char kInjection[] = "'); DROP TABLE marketing; --";
// The rows and the notes are written by the composition, which dresses HTML mail.
constexpr char kHtmlBody[] =
    "MIME-Version: 1.0\r\nContent-Type: text/html; charset=utf-8\r\n\r\n"
    "<p>The lanterns are ready.</p>\r\n";

// A port on 127.0.0.1 that refuses connections for as long as the object lives: bound, never
// listening.
class RefusingPort {
 public:
  RefusingPort() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      port_ = ntohs(address.sin_port);
    }
  }
  ~RefusingPort() { close(fd_); }
  int port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

class MarketingProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (test_support::EnvValue("VELLUMO_BIN").empty()) GTEST_SKIP() << "VELLUMO_BIN is not set";
    ASSERT_TRUE(home_.ok()) << home_.error();
    home_.Set("Admin Settings", "ErrorFileLocation", Log());
  }

  std::string Log() const { return (home_.home() / "vellumo-errors.log").string(); }
  std::string Sqlite() const {
    return "Driver=SQLite3;Database=" + (home_.home() / "marketing.db").string();
  }
  void Describe(const std::string& connection, const std::string& table) {
    home_.Set("Admin Settings", "Marketing",
              "Mode|ON#Conn|" + connection + "#Table|" + table + "#Field|Recipient");
  }
  std::string SendTo(const std::string& to, const std::string& subject = "Lanterns") {
    const ProcessResult r =
        home_.Send("From: Iris Calloway <iris@northwind-lanterns.example>\r\nTo: " + to +
                   "\r\nSubject: " + subject + "\r\n" + kHtmlBody);
    EXPECT_EQ(r.exit_code, 0) << r.errors;
    return std::string(text::Lines(r.output).empty() ? "" : text::Lines(r.output)[0]);
  }
  // `vellumo marketing show`: the header line and the rows, each split at tabs.
  std::vector<std::vector<std::string>> Show(const std::string& connection,
                                             const std::string& table) {
    const ProcessResult r = home_.Run({"marketing", "show", connection, table, "--last", "10"});
    EXPECT_EQ(r.exit_code, 0) << r.errors;
    std::vector<std::vector<std::string>> rows;
    for (std::string_view line : text::Lines(r.output)) rows.push_back(text::Split(line, "\t"));
    return rows;
  }

  // Three recipients then one: the rows as the Part's row has them, values stored as written.
  void ExpectRowsWritten(const std::string& connection, const std::string& table) {
    const ProcessResult init = home_.Run({"marketing", "init", connection, table});
    ASSERT_EQ(init.exit_code, 0) << init.errors;
    // A template whose name would end the statement if it were pasted into it.
    const std::string name = std::string(kInjection) + ".htm";
    const std::filesystem::path stationery = home_.home() / "drive_c" / "Vellumo" / "Stationery";
    std::filesystem::copy_file(stationery / "Morning Paper.htm", stationery / name);
    home_.Set("User Settings", "Template", name);
    Describe(connection, table);
    EXPECT_EQ(SendTo("o'brien@harbourmaster.example, b@example.com, c@example.com"), "sent");
    EXPECT_EQ(SendTo("tomas@harbourmaster.example"), "sent");

    const auto rows = Show(connection, table);
    ASSERT_THAT(rows, SizeIs(5));
    // Column names as the database spells them (PostgreSQL folds them to lower case).
    EXPECT_EQ(text::LCase(text::Join(rows[0], ",")),
              "emailaddress,date,template,bulkmail,program_used,sender");
    EXPECT_EQ(rows[1][0], "o'brien@harbourmaster.example");
    EXPECT_EQ(rows[3][0], "c@example.com");
    EXPECT_EQ(rows[4][0], "tomas@harbourmaster.example");
    for (int i = 1; i <= 4; ++i) {
      ASSERT_THAT(rows[i], SizeIs(6));
      EXPECT_EQ(rows[i][2], std::string(kInjection) + ".htm");
      EXPECT_EQ(rows[i][3], i < 4 ? "1" : "0");
      EXPECT_EQ(rows[i][4], "Vellumo");
      EXPECT_EQ(rows[i][5], "iris@northwind-lanterns.example");
    }
    EXPECT_THAT(test_support::ReadAll(Log()), Not(HasSubstr("eMarketing")));

    // Setting the table up again refuses and keeps what it holds.
    const ProcessResult again = home_.Run({"marketing", "init", connection, table});
    EXPECT_EQ(again.exit_code, 1);
    EXPECT_THAT(again.errors, HasSubstr("exists already"));
    EXPECT_THAT(Show(connection, table), SizeIs(5));
  }

  test_support::SendHome home_;
};

TEST_F(MarketingProgramTest, SendsWriteOneRowPerRecipientIntoSqlite) {
  ExpectRowsWritten(Sqlite(), "marketing");
}

TEST_F(MarketingProgramTest, SendsWriteOneRowPerRecipientIntoPostgres) {
  const std::string pg = test_support::EnvValue("VELLUMO_TEST_PG");
  if (pg.empty()) GTEST_SKIP() << "VELLUMO_TEST_PG is not set (scripts/test sets it)";
  ExpectRowsWritten(pg, "marketing_" + std::to_string(getpid()));
}

TEST_F(MarketingProgramTest, ADatabaseThatIsDownNeverStopsTheMail) {
  RefusingPort port;
  ASSERT_NE(port.port(), 0);
  Describe("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + std::to_string(port.port()) +
               ";Database=x;Uid=x;Pwd=secret-word",
           "marketing");
  EXPECT_EQ(SendTo("tomas@harbourmaster.example"), "sent");
  const auto sent = home_.SentItems();
  ASSERT_THAT(sent, SizeIs(1));
  const std::set<std::string> seen = test_support::VisibleWords(sent[0]);
  for (const std::string& word : test_support::Words("The lanterns are ready")) {
    EXPECT_TRUE(seen.count(word)) << word;
  }
  const std::string log = test_support::ReadAll(Log());
  EXPECT_THAT(log, HasSubstr("CreateHTMLBody- eMarketing error"));
  EXPECT_THAT(log, Not(HasSubstr("secret-word")));
}

TEST_F(MarketingProgramTest, ContactModeDatesALineInTheContactsNotes) {
  const std::filesystem::path card = home_.home() / "grace.vcf";
  test_support::WriteAll(card,
                         "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Grace Hopper\r\nN:Hopper;Grace;;;\r\n"
                         "ORG:Navy\r\nEMAIL:grace@navy.example\r\nNOTE:met at the conference\r\n"
                         "END:VCARD\r\n");
  ASSERT_EQ(home_.Run({"contacts", "import", card.string()}).exit_code, 0);
  const ProcessResult items = home_.Run({"items", "Contacts"});
  const std::string id = text::Split(text::Lines(items.output).at(0), "\t").at(0);
  home_.Set("Admin Settings", "Marketing", "Enterprise");

  const ProcessResult r = home_.Send(
      "From: Iris Calloway <iris@northwind-lanterns.example>\r\nTo: grace@navy.example\r\n"
      "X-Vellumo-Links: " +
      id + ";Grace Hopper\r\nSubject: " + kInjection + "\r\n" + kHtmlBody);
  ASSERT_EQ(r.exit_code, 0) << r.errors;
  const ProcessResult shown = home_.Run({"show", "Contacts", id});
  EXPECT_THAT(shown.output,
              HasSubstr(std::string("] ") + kInjection + ": The lanterns are ready."));
  EXPECT_THAT(shown.output, HasSubstr("met at the conference"));
}

}  // namespace
}  // namespace vellumo
