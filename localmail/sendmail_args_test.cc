#include "localmail/sendmail_args.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vellumo::localmail {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

struct Caller {
  const char* who;
  std::vector<std::string> args;
  std::vector<std::string> addresses;
  bool extract;
  bool ignore_dots;
  const char* from;
  const char* full_name;
};

// The argument vectors real mail programs hand to their sendmail command, word for word.
const Caller kCallers[] = {
    {"neomutt",
     {"-oem", "-oi", "--", "ann@example.com", "bob@example.com"},
     {"ann@example.com", "bob@example.com"},
     false,
     true,
     "",
     ""},
    {"neomutt bare", {"--", "ann@example.com"}, {"ann@example.com"}, false, false, "", ""},
    {"neomutt envelope sender",
     {"-oem", "-oi", "-f", "zoe@example.org", "--", "ann@example.com"},
     {"ann@example.com"},
     false,
     true,
     "zoe@example.org",
     ""},
    {"neomutt dsn",
     {"-oem", "-oi", "-N", "success,failure", "-R", "hdrs", "-V", "envid1", "--",
      "ann@example.com"},
     {"ann@example.com"},
     false,
     true,
     "",
     ""},
    {"mutt verbose 8bit",
     {"-oem", "-oi", "-B8BITMIME", "-v", "--", "ann@example.com"},
     {"ann@example.com"},
     false,
     true,
     "",
     ""},
    {"git send-email",
     {"-i", "ann@example.com", "list@example.org"},
     {"ann@example.com", "list@example.org"},
     false,
     true,
     "",
     ""},
    {"git send-email envelope",
     {"-f", "zoe@example.org", "-i", "ann@example.com"},
     {"ann@example.com"},
     false,
     true,
     "zoe@example.org",
     ""},
    {"bsd-mailx", {"-oi", "ann@example.com"}, {"ann@example.com"}, false, true, "", ""},
    {"s-nail", {"-i", "--", "ann@example.com"}, {"ann@example.com"}, false, true, "", ""},
    {"s-nail sender",
     {"-r", "zoe@example.org", "-i", "--", "ann@example.com"},
     {"ann@example.com"},
     false,
     true,
     "zoe@example.org",
     ""},
    {"cron",
     {"-FCronDaemon", "-i", "-B8BITMIME", "-oem", "root"},
     {"root"},
     false,
     true,
     "",
     "CronDaemon"},
    {"PHP mail()", {"-t", "-i"}, {}, true, true, "", ""},
    {"PHP mail() sender", {"-t", "-i", "-fzoe@example.org"}, {}, true, true, "zoe@example.org", ""},
    {"clustered",
     {"-ti", "-bm", "-odi", "-X", "/tmp/log", "ann@example.com"},
     {"ann@example.com"},
     true,
     true,
     "",
     ""},
    {"options after addresses",
     {"ann@example.com", "-odb", "-f", "zoe@example.org"},
     {"ann@example.com"},
     false,
     false,
     "zoe@example.org",
     ""},
};

TEST(SendmailArgs, EveryRealCallerIsUnderstood) {
  for (const Caller& caller : kCallers) {
    const SendmailCommandLine line = ParseSendmailArgs(caller.args);
    EXPECT_EQ(line.error, "") << caller.who;
    EXPECT_THAT(line.warnings, IsEmpty()) << caller.who;
    EXPECT_EQ(line.options.addresses, caller.addresses) << caller.who;
    EXPECT_EQ(line.options.extract_recipients, caller.extract) << caller.who;
    EXPECT_EQ(line.options.ignore_dots, caller.ignore_dots) << caller.who;
    EXPECT_EQ(line.options.from, caller.from) << caller.who;
    EXPECT_EQ(line.options.full_name, caller.full_name) << caller.who;
  }
}

TEST(SendmailArgs, AfterTheEndOfOptionsEveryWordIsAnAddress) {
  const auto line = ParseSendmailArgs({"-i", "--", "-odd@example.com", "--", "-t"});
  EXPECT_FALSE(line.options.extract_recipients);
  EXPECT_THAT(line.options.addresses, ElementsAre("-odd@example.com", "--", "-t"));
}

TEST(SendmailArgs, UnknownOptionsAreIgnoredWithOneWarningEach) {
  const auto line = ParseSendmailArgs({"-Z", "-iK", "ann@example.com"});
  EXPECT_EQ(line.error, "");
  EXPECT_TRUE(line.options.ignore_dots);
  EXPECT_THAT(line.options.addresses, ElementsAre("ann@example.com"));
  ASSERT_THAT(line.warnings, SizeIs(2));
  EXPECT_EQ(line.warnings[0], "sendmail: ignoring unknown option -Z");
  EXPECT_EQ(line.warnings[1], "sendmail: ignoring unknown option -K");
}

TEST(SendmailArgs, WhatCannotBeHonouredIsAUsageError) {
  EXPECT_EQ(ParseSendmailArgs({"-f"}).error, "option -f needs a value");
  EXPECT_NE(ParseSendmailArgs({"-bp"}).error, "");  // mailq
  EXPECT_NE(ParseSendmailArgs({"-bs"}).error, "");  // SMTP on standard input
  EXPECT_NE(ParseSendmailArgs({"-q"}).error, "");
  EXPECT_TRUE(ParseSendmailArgs({"--help"}).help);
}

}  // namespace
}  // namespace vellumo::localmail
