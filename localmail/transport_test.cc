#include "localmail/transport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/error.h"
#include "localmail/smtp_transport.h"
#include "platform/mem_processes.h"
#include "tests/support/thrown_code.h"

namespace vellumo::localmail {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::string ErrorOf(Transport& transport, const Envelope& envelope) {
  try {
    transport.Transmit(envelope, "Subject: x\r\n\r\nbody\r\n");
  } catch (const Error& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(SendmailTransport, PassesSenderAndRecipientsAndTheMessageOnStandardInput) {
  MemProcesses processes;
  SendmailTransport transport(processes, {"/usr/sbin/sendmail", "-i"});
  transport.Transmit({"me@example.com", {"a@example.com", "b@example.com"}}, "the message");
  ASSERT_EQ(processes.ran().size(), 1u);
  EXPECT_THAT(processes.ran()[0].argv,
              ElementsAre("/usr/sbin/sendmail", "-i", "-f", "me@example.com", "a@example.com",
                          "b@example.com"));
  EXPECT_EQ(processes.ran()[0].input, "the message");

  SendmailTransport headers(processes, {"/usr/sbin/sendmail", "-t", "-f", "fixed@example.com"});
  headers.Transmit({"me@example.com", {"a@example.com"}}, "m");
  EXPECT_THAT(processes.ran()[1].argv,
              ElementsAre("/usr/sbin/sendmail", "-t", "-f", "fixed@example.com"));
}

TEST(SendmailTransport, RefusesAddressesThatWouldReadAsOptions) {
  MemProcesses processes;
  SendmailTransport transport(processes, {"sendmail"});
  EXPECT_THAT(ErrorOf(transport, {"me@example.com", {"-oQ/tmp/x"}}), HasSubstr("Unsafe"));
  EXPECT_THAT(ErrorOf(transport, {"-C/etc/passwd", {"a@example.com"}}), HasSubstr("Unsafe"));
  EXPECT_THAT(processes.ran(), IsEmpty());
}

TEST(SendmailTransport, AFailingCommandIsAnErrorQuotingIt) {
  MemProcesses processes;
  processes.SetResult("sendmail", {75, "", "\nsendmail: cannot connect to relay\nmore\n"});
  SendmailTransport transport(processes, {"sendmail"});
  const std::string error = ErrorOf(transport, {"me@example.com", {"a@example.com"}});
  EXPECT_THAT(error, HasSubstr("exit status 75"));
  EXPECT_THAT(error, HasSubstr("cannot connect to relay"));
  EXPECT_THAT(error, ::testing::Not(HasSubstr("more")));

  processes.FailOn("missing-program");
  SendmailTransport missing(processes, {"missing-program"});
  EXPECT_THAT(ErrorOf(missing, {"me@example.com", {"a@example.com"}}),
              HasSubstr("could not be started"));
}

TEST(MemTransport, RecordsAndFailsOnDemand) {
  MemTransport transport;
  transport.Fail("down", 2);
  EXPECT_THROW(transport.Transmit({"a", {"b"}}, "m"), Error);
  EXPECT_THROW(transport.Transmit({"a", {"b"}}, "m"), Error);
  transport.Transmit({"a", {"b"}}, "m");
  EXPECT_EQ(transport.attempts(), 3);
  ASSERT_EQ(transport.sent().size(), 1u);
  EXPECT_EQ(transport.sent()[0].envelope, (Envelope{"a", {"b"}}));
}

TEST(SmtpTransport, RefusesAddressesThatCouldInjectCommandsBeforeConnecting) {
  // Port 1 on loopback: nothing is ever sent, because the addresses are checked first.
  SmtpTransport transport(ParseTransportUrl("smtp://127.0.0.1:1"));
  EXPECT_THAT(ErrorOf(transport, {"me@example.com", {"a@example.com>\r\nDATA"}}),
              HasSubstr("control characters"));
  EXPECT_THAT(ErrorOf(transport, {"me@example.com>", {"a@example.com"}}), HasSubstr("sender"));
  EXPECT_THAT(ErrorOf(transport, {"me@example.com", {}}), HasSubstr("recipient"));
}

// SMTP is not linked into the mail client: a client that was given no way to make it must fail
// the send (the message stays queued) rather than pretend to deliver it.
TEST(MakeTransport, MakesNoneAndSendmailButNeverSmtp) {
  MemProcesses processes;
  auto none = MakeTransport(ParseTransportUrl("none"), processes);
  none->Transmit({"me@example.com", {"a@example.com"}}, "x");
  EXPECT_TRUE(processes.ran().empty());
  auto sendmail = MakeTransport(ParseTransportUrl("sendmail:/usr/sbin/sendmail -i"), processes);
  sendmail->Transmit({"me@example.com", {"a@example.com"}}, "x");
  EXPECT_EQ(processes.ran().size(), 1u);
  EXPECT_EQ(test_support::ThrownCode(
                [&] { (void)MakeTransport(ParseTransportUrl("smtp://127.0.0.1:1"), processes); }),
            ErrorCode::kInvalidCall);
}

}  // namespace
}  // namespace vellumo::localmail
