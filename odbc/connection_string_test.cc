#include "odbc/connection_string.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "base/error.h"
#include "tests/support/thrown_code.h"

namespace vellumo::odbc {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

using test_support::ThrownText;

TEST(ConnectionString, ParsesOdbcAttributesWithBracesAndBlanks) {
  EXPECT_THAT(
      ParseConnectionString(
          " Driver={PostgreSQL Unicode}; Server = 127.0.0.1 ;;Pwd={a;b}}c};Port=5432;"),
      ElementsAre(Attribute{"Driver", "PostgreSQL Unicode"}, Attribute{"Server", "127.0.0.1"},
                  Attribute{"Pwd", "a;b}c"}, Attribute{"Port", "5432"}));
  // A double quote means nothing to ODBC: it is part of the value.
  EXPECT_THAT(ParseConnectionString("Database=\"x\""), ElementsAre(Attribute{"Database", "\"x\""}));
  EXPECT_THAT(ParseConnectionString("DSN=marketing"), ElementsAre(Attribute{"DSN", "marketing"}));
}

TEST(ConnectionString, RefusesMalformedPartsWithoutShowingThem) {
  const std::string unclosed = ThrownText([] { (void)ParseConnectionString("Pwd={s3cret;x"); });
  EXPECT_THAT(unclosed, AllOf(HasSubstr("never closed"), Not(HasSubstr("s3cret"))));
  // A password holding ";" without braces spills into a part of its own.
  const std::string spilled =
      ThrownText([] { (void)ParseConnectionString("Driver=SQLite3;Pwd=ab;cd3f;Port=1"); });
  EXPECT_THAT(spilled, AllOf(HasSubstr("part 3"), Not(HasSubstr("cd3f"))));
  EXPECT_THAT(ThrownText([] { (void)ParseConnectionString("=x"); }), HasSubstr("no key"));
  EXPECT_THAT(ThrownText([] { (void)ParseConnectionString("Pwd={a}b;"); }),
              HasSubstr("followed by more text"));
}

TEST(ConnectionString, FormatsWhatParsesBackToTheSameAttributes) {
  const std::vector<Attribute> attributes = {{"Driver", "/usr/lib/odbc/lib x.so"},
                                             {"Database", "/tmp/a;b.db"},
                                             {"Pwd", "p}w{d"},
                                             {"Uid", " padded "}};
  const std::string text = FormatConnectionString(attributes);
  EXPECT_EQ(text,
            "Driver=/usr/lib/odbc/lib x.so;Database={/tmp/a;b.db};Pwd={p}}w{d};Uid={ padded }");
  EXPECT_EQ(ParseConnectionString(text), attributes);
}

TEST(ConnectionString, FindsAndSetsKeysIgnoringCase) {
  std::vector<Attribute> attributes = ParseConnectionString("DRIVER=SQLite3;database=/x.db");
  EXPECT_EQ(FindAttribute(attributes, "Driver"), "SQLite3");
  EXPECT_EQ(FindAttribute(attributes, "Server"), std::nullopt);
  SetAttribute(attributes, "Driver", "/lib/libsqlite3odbc.so");
  SetAttribute(attributes, "Timeout", "500");
  EXPECT_EQ(FormatConnectionString(attributes),
            "DRIVER=/lib/libsqlite3odbc.so;database=/x.db;Timeout=500");
}

TEST(ConnectionString, OdbcStringsPassAsWritten) {
  EXPECT_EQ(OdbcConnectionString(" Driver={SQLite3}; Database=/p/x.db;;"),
            " Driver={SQLite3}; Database=/p/x.db;;");
  EXPECT_THAT(ThrownText([] { (void)OdbcConnectionString("  "); }), HasSubstr("empty"));
}

TEST(ConnectionString, AdoStringsForTheOdbcProviderMapOntoOdbc) {
  EXPECT_EQ(OdbcConnectionString(
                "Provider=MSDASQL;Driver={PostgreSQL Unicode};Server=127.0.0.1;Uid=u;Pwd=p"),
            "Driver=PostgreSQL Unicode;Server=127.0.0.1;Uid=u;Pwd=p");
  EXPECT_EQ(
      OdbcConnectionString("Provider=MSDASQL.1;Persist Security Info=False;Data Source=marketing;"
                           "User ID=sales;Password='it''s'"),
      "DSN=marketing;UID=sales;PWD=it's");
  EXPECT_EQ(OdbcConnectionString(
                "provider=msdasql.1;Extended Properties=\"Driver=SQLite3;Database=/p/x.db\""),
            "Driver=SQLite3;Database=/p/x.db");
  EXPECT_THAT(ThrownText([] { (void)OdbcConnectionString("Provider=MSDASQL"); }),
              HasSubstr("names no ODBC data source"));
}

TEST(ConnectionString, OtherProvidersAreRefusedByName) {
  const std::string text = ThrownText([] {
    (void)OdbcConnectionString(
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\m.mdb;Password=s3");
  });
  EXPECT_THAT(text, AllOf(HasSubstr("must be an ODBC connection string"),
                          HasSubstr("\"Microsoft.Jet.OLEDB.4.0\""), Not(HasSubstr("s3"))));
}

TEST(ConnectionString, HidesEverySecretValue) {
  const std::vector<Attribute> attributes =
      ParseConnectionString("Uid=sales;PWD=hunter2;password=tiger;Database=hunter");
  EXPECT_TRUE(IsSecretKey("pwd"));
  EXPECT_FALSE(IsSecretKey("Uid"));
  EXPECT_EQ(HideSecrets("user sales with hunter2, then tiger; db hunter", attributes),
            "user sales with ***, then ***; db hunter");
  EXPECT_EQ(HideSecrets("nothing secret", {{"PWD", ""}}), "nothing secret");
}

}  // namespace
}  // namespace vellumo::odbc
