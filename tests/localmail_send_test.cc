// The local mail client as a user runs it (`vellumo send`, `sendmail`, `transport`), on a
// temporary home on the real disk, delivering to an SMTP sink on 127.0.0.1 (tests/smtp_sink.py)
// or through a sendmail command that captures what it is given.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "localmail/client_config.h"
#include "localmail/mime_message.h"
#include "localmail/smtp_transport.h"
#include "posix/posix_processes.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/source_dir.h"
#include "tests/support/test_files.h"

extern char** environ;

namespace vellumo {
namespace {

namespace stdfs = std::filesystem;

using localmail::MimeMessage;
using test_support::FilesIn;
using test_support::ReadAll;
using test_support::SmtpSink;
using test_support::WriteAll;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::SizeIs;
using ::testing::StartsWith;

bool HasPrivateHeader(std::string_view message) {
  const std::string head(message.substr(0, message.find("\r\n\r\n")));
  std::string folded;
  for (char c : head) folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded.find("x-vellumo-") != std::string::npos;
}

class LocalMailProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bin_ = test_support::EnvValue("VELLUMO_BIN");
    if (bin_.empty()) GTEST_SKIP() << "VELLUMO_BIN is not set";
    realworld_ = test_support::RealWorldDir();
  }
  void TearDown() override { sink_.reset(); }

  ProcessResult Run(std::vector<std::string> args, std::string_view input = {}) {
    args.insert(args.begin(), {bin_, "--home", home_.string()});
    return processes_.Run(args, input);
  }

  // The sink, skipping the test where it cannot run.
  SmtpSink& Sink() {
    if (!sink_) sink_ = std::make_unique<SmtpSink>(home_ / "sink");
    return *sink_;
  }
  int StartSink(int port = 0, const std::string& auth = "", const std::string& tls = "") {
    const int started = Sink().Start(port, auth, tls);
    if (started == 0) ADD_FAILURE() << "the SMTP sink did not start (/usr/bin/python3, aiosmtpd)";
    return started;
  }

  stdfs::path Folder(std::string_view name) const {
    return home_ / "mail" / "Personal Folders" / std::string(name) / "cur";
  }

  std::string bin_;
  stdfs::path source_;
  stdfs::path realworld_;
  test_support::ScopedTempDir temp_{"vellumo-localmail"};
  stdfs::path home_ = temp_.path();
  PosixProcesses processes_{"", ""};
  std::unique_ptr<SmtpSink> sink_;
};

constexpr std::string_view kMessage =
    "From: Ann Sender <ann@example.org>\r\n"
    "To: Bob <bob@example.com>\r\n"
    "Cc: carol@example.com\r\n"
    "Bcc: dave@example.com\r\n"
    "Subject: Quarterly report\r\n"
    "X-Vellumo-Billing-Information: Vellumo from Corvane\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/plain; charset=utf-8\r\n"
    "\r\n"
    "Dear Bob,\r\n.\r\n.leading dot\r\nGrüße\r\n";

TEST_F(LocalMailProgramTest, EveryRealWorldMessageIsSentAndFiledWithItsBodiesIntact) {
  const std::vector<stdfs::path> messages = FilesIn(realworld_ / "eml", ".eml");
  if (messages.empty()) GTEST_SKIP() << test_support::NoRealWorldInputs(realworld_ / "eml");
  // Transport none first, then a sendmail command that keeps what it is given.
  const stdfs::path captured = home_ / "captured";
  stdfs::create_directories(captured);
  const stdfs::path script = home_ / "capture.sh";
  WriteAll(script, "#!/bin/sh\nn=0\nwhile [ -e \"" + captured.string() +
                       "/$n.eml\" ]; do n=$((n+1)); done\ncat > \"" + captured.string() +
                       "/$n.eml\"\n");
  stdfs::permissions(script, stdfs::perms::owner_all);

  for (const std::string& transport : {std::string("none"), "sendmail:" + script.string()}) {
    SCOPED_TRACE(transport);
    ASSERT_EQ(Run({"transport", "set", transport}).exit_code, 0);
    for (const stdfs::path& file : messages) {
      SCOPED_TRACE(file.filename().string());
      const std::string original_bytes = ReadAll(file);
      const MimeMessage original = MimeMessage::Parse(original_bytes, file.string());
      const size_t filed_before = FilesIn(Folder("Sent Items")).size();
      ProcessResult result = Run({"send", file.string()});
      if (original.Recipients().empty()) {
        EXPECT_EQ(result.exit_code, 1);
        EXPECT_THAT(result.errors, HasSubstr(file.string()));
        EXPECT_THAT(result.errors, HasSubstr("no recipient"));
        EXPECT_THAT(FilesIn(Folder("Drafts")), IsEmpty());
        result = Run({"send", file.string(), "--to", "someone@example.com"});
      }
      ASSERT_EQ(result.exit_code, 0) << result.output << result.errors;
      EXPECT_EQ(result.output, "sent\n");
      const std::vector<stdfs::path> filed = FilesIn(Folder("Sent Items"));
      ASSERT_EQ(filed.size(), filed_before + 1);
      const stdfs::path newest =
          *std::max_element(filed.begin(), filed.end(), [](const auto& a, const auto& b) {
            return stdfs::last_write_time(a) < stdfs::last_write_time(b);
          });
      const MimeMessage stored = MimeMessage::Parse(ReadAll(newest), newest.string());
      EXPECT_EQ(stored.TextBody(), original.TextBody());
      EXPECT_EQ(stored.HtmlBody(), original.HtmlBody());
      EXPECT_EQ(stored.Subject(), original.Subject());
      EXPECT_EQ(stored.Attachments().size(), original.Attachments().size());
    }
  }
  EXPECT_THAT(FilesIn(Folder("Drafts")), IsEmpty());
  EXPECT_THAT(FilesIn(Folder("Outbox")), IsEmpty());
  const std::vector<stdfs::path> transmitted = FilesIn(captured, ".eml");
  ASSERT_THAT(transmitted, SizeIs(messages.size()));
  for (const stdfs::path& file : transmitted) {
    const std::string bytes = ReadAll(file);
    EXPECT_FALSE(HasPrivateHeader(bytes)) << file;
    EXPECT_NO_THROW((void)MimeMessage::Parse(bytes, file.string()));
  }
}

TEST_F(LocalMailProgramTest, TheSinkReceivesAndAStoppedSinkLeavesTheMessageQueuedForLater) {
  const int port = StartSink();
  ASSERT_NE(port, 0);
  const std::string url = "smtp://127.0.0.1:" + std::to_string(port);
  ASSERT_EQ(Run({"transport", "set", url}).output, "transport: " + url + "\n");
  ProcessResult result = Run({"send", "-"}, kMessage);
  ASSERT_EQ(result.exit_code, 0) << result.errors;
  EXPECT_EQ(result.output, "sent\n");

  ASSERT_THAT(Sink().Messages(), SizeIs(1));
  const std::string arrived = ReadAll(Sink().Messages()[0]);
  EXPECT_FALSE(HasPrivateHeader(arrived));
  EXPECT_THAT(arrived, Not(HasSubstr("dave@example.com")));
  const MimeMessage message = MimeMessage::Parse(arrived, "arrived");
  EXPECT_EQ(message.TextBody(), "Dear Bob,\r\n.\r\n.leading dot\r\nGrüße\r\n");
  const nlohmann::json envelope = Sink().Envelope(Sink().Messages()[0]);
  EXPECT_EQ(envelope["mail_from"], "ann@example.org");
  EXPECT_EQ(envelope["rcpt_tos"],
            nlohmann::json({"bob@example.com", "carol@example.com", "dave@example.com"}));
  ASSERT_THAT(FilesIn(Folder("Sent Items")), SizeIs(1));
  EXPECT_THAT(ReadAll(FilesIn(Folder("Sent Items"))[0]), HasSubstr("Vellumo from Corvane"));

  Sink().Stop();
  result = Run({"send", "-"}, kMessage);
  EXPECT_EQ(result.exit_code, 4);
  EXPECT_THAT(result.output, StartsWith("queued: "));
  EXPECT_THAT(result.output, HasSubstr("127.0.0.1"));
  ASSERT_THAT(FilesIn(Folder("Outbox")), SizeIs(1));
  result = Run({"items", "Outbox"});
  EXPECT_THAT(result.output, HasSubstr("Quarterly report"));
  EXPECT_THAT(result.output, HasSubstr("127.0.0.1"));
  EXPECT_EQ(Run({"send", "--outbox"}).exit_code, 4);  // still down

  ASSERT_EQ(StartSink(port), port);
  result = Run({"send", "--outbox"});
  EXPECT_EQ(result.exit_code, 0) << result.output << result.errors;
  EXPECT_THAT(result.output, StartsWith("sent: "));
  EXPECT_THAT(FilesIn(Folder("Outbox")), IsEmpty());
  EXPECT_THAT(FilesIn(Folder("Sent Items")), SizeIs(2));
  ASSERT_THAT(Sink().Messages(), SizeIs(2));
  EXPECT_FALSE(HasPrivateHeader(ReadAll(Sink().Messages()[1])));
}

TEST_F(LocalMailProgramTest, AServerThatWantsALoginGetsTheConfiguredCredentials) {
  const int port = StartSink(0, "ann:s3cret:x");
  ASSERT_NE(port, 0);
  const std::string url = "smtp://127.0.0.1:" + std::to_string(port);
  ASSERT_EQ(Run({"transport", "set", url}).exit_code, 0);
  ProcessResult result = Run({"send", "-"}, kMessage);
  EXPECT_EQ(result.exit_code, 4) << result.output;
  EXPECT_THAT(Sink().Messages(), IsEmpty());

  result = Run({"transport", "set", url, "--user", "ann", "--password", "s3cret:x"});
  EXPECT_EQ(result.output, "transport: " + url + " (user ann)\n");
  EXPECT_THAT(Run({"transport", "show"}).output, Not(HasSubstr("s3cret")));
  result = Run({"send", "--outbox"});
  EXPECT_EQ(result.exit_code, 0) << result.output;
  EXPECT_THAT(Sink().Messages(), SizeIs(1));
}

TEST_F(LocalMailProgramTest, StartTlsIsUsedAsConfiguredAndCertificatesAreChecked) {
  const stdfs::path cert = home_ / "cert.pem";
  const stdfs::path key = home_ / "key.pem";
  const ProcessResult made =
      processes_.Run({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                      key.string(), "-out", cert.string(), "-days", "1", "-subj", "/CN=127.0.0.1"},
                     "");
  if (made.exit_code != 0) GTEST_SKIP() << "openssl cannot make a test certificate";
  const int port = StartSink(0, "ann:pw", cert.string() + ":" + key.string());
  ASSERT_NE(port, 0);
  const std::string url = "smtp://127.0.0.1:" + std::to_string(port);

  ASSERT_EQ(Run({"transport", "set", url, "--user", "ann", "--password", "pw", "--starttls", "off"})
                .exit_code,
            0);
  ProcessResult result = Run({"send", "-"}, kMessage);
  EXPECT_EQ(result.exit_code, 4) << result.output;  // the server insists on STARTTLS

  ASSERT_EQ(
      Run({"transport", "set", url, "--user", "ann", "--password", "pw", "--starttls", "required"})
          .exit_code,
      0);
  result = Run({"send", "--outbox"});
  EXPECT_EQ(result.exit_code, 4) << result.output;
  EXPECT_THAT(result.output, HasSubstr("certificate"));  // a self-signed one is not trusted

  result = Run({"transport", "set", url, "--user", "ann", "--password", "pw", "--starttls",
                "required", "--no-verify"});
  EXPECT_EQ(result.output,
            "transport: " + url + " (user ann) (STARTTLS Required) (certificates not verified)\n");
  result = Run({"send", "--outbox"});
  EXPECT_EQ(result.exit_code, 0) << result.output;
  ASSERT_THAT(Sink().Messages(), SizeIs(1));
  EXPECT_FALSE(HasPrivateHeader(ReadAll(Sink().Messages()[0])));
}

TEST_F(LocalMailProgramTest, ManyMessagesTravelOverOneConnection) {
  const int port = StartSink();
  ASSERT_NE(port, 0);
  localmail::SmtpTransport transport(
      localmail::ParseTransportUrl("smtp://127.0.0.1:" + std::to_string(port)));
  constexpr int kMessages = 20;
  for (int i = 0; i < kMessages; ++i) {
    transport.Transmit({"a@example.org", {"r" + std::to_string(i) + "@example.com"}},
                       "Subject: " + std::to_string(i) + "\r\n\r\nbody\r\n");
  }
  ASSERT_THAT(Sink().Messages(), SizeIs(kMessages));
  EXPECT_EQ(Sink().Connections(), 1);
  EXPECT_EQ(Sink().Envelope(Sink().Messages()[0])["rcpt_tos"][0], "r0@example.com");
}

TEST_F(LocalMailProgramTest, TheSendmailEntryDeliversWhatMailProgramsHandIt) {
  const int port = StartSink();
  ASSERT_NE(port, 0);
  ASSERT_EQ(Run({"transport", "set", "smtp://127.0.0.1:" + std::to_string(port)}).exit_code, 0);
  ProcessResult result = Run({"sendmail", "-t", "-i"}, std::string(kMessage) + ".\r\nafter\r\n");
  EXPECT_EQ(result.exit_code, 0) << result.errors;
  result = Run({"sendmail", "-oi", "-f", "bounce@example.org", "x@example.com"}, kMessage);
  EXPECT_EQ(result.exit_code, 0) << result.errors;
  result = Run({"sendmail", "y@example.com"}, std::string(kMessage) + ".\r\nnot sent\r\n");
  EXPECT_EQ(result.exit_code, 0) << result.errors;
  ASSERT_THAT(Sink().Messages(), SizeIs(3));
  EXPECT_THAT(ReadAll(Sink().Messages()[0]), HasSubstr(".leading dot\r\nGr"));
  EXPECT_THAT(ReadAll(Sink().Messages()[0]), HasSubstr("after"));  // -i: a lone dot is text
  EXPECT_EQ(Sink().Envelope(Sink().Messages()[1])["mail_from"], "bounce@example.org");
  EXPECT_EQ(Sink().Envelope(Sink().Messages()[1])["rcpt_tos"], nlohmann::json({"x@example.com"}));
  // Without -i the message ends at its first line holding only a dot.
  EXPECT_THAT(ReadAll(Sink().Messages()[2]), Not(HasSubstr("leading dot")));

  EXPECT_EQ(Run({"sendmail"}, kMessage).exit_code, 64);
  EXPECT_EQ(Run({"sendmail", "-bx", "a@example.com"}, kMessage).exit_code, 64);
  EXPECT_EQ(Run({"sendmail", "-t"}, "").exit_code, 65);
  Sink().Stop();
  result = Run({"sendmail", "-t"}, kMessage);
  EXPECT_EQ(result.exit_code, 75);
  EXPECT_THAT(FilesIn(Folder("Outbox")), SizeIs(1));
}

TEST_F(LocalMailProgramTest, TheArgumentsOfRealMailProgramsReachTheSinkAsMeant) {
  const int port = StartSink();
  ASSERT_NE(port, 0);
  ASSERT_EQ(Run({"transport", "set", "smtp://127.0.0.1:" + std::to_string(port)}).exit_code, 0);
  const std::vector<std::vector<std::string>> callers = {
      {"sendmail", "-oem", "-oi", "--", "n1@example.com"},                         // neomutt
      {"sendmail", "-oem", "-oi", "-f", "b@example.org", "--", "n2@example.com"},  // neomutt -f
      {"sendmail", "-FCronDaemon", "-i", "-B8BITMIME", "-oem", "n3@example.com"},  // cron
      {"sendmail", "-i", "n4@example.com"},                                        // git
      {"sendmail", "-t", "-i", "-fb@example.org"},                                 // PHP mail()
  };
  for (const auto& args : callers) {
    const ProcessResult result = Run(args, kMessage);
    EXPECT_EQ(result.exit_code, 0) << args[1] << ": " << result.errors;
    EXPECT_EQ(result.errors, "") << args[1];
  }
  ASSERT_THAT(Sink().Messages(), SizeIs(callers.size()));
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Sink().Envelope(Sink().Messages()[i])["rcpt_tos"],
              nlohmann::json({"n" + std::to_string(i + 1) + "@example.com"}));
  }
  EXPECT_EQ(Sink().Envelope(Sink().Messages()[1])["mail_from"], "b@example.org");
  EXPECT_EQ(Sink().Envelope(Sink().Messages()[4])["rcpt_tos"].size(), 3u);  // To, Cc, Bcc

  const ProcessResult unknown = Run({"sendmail", "-Z", "-oi", "n5@example.com"}, kMessage);
  EXPECT_EQ(unknown.exit_code, 0);
  EXPECT_EQ(unknown.errors, "sendmail: ignoring unknown option -Z\n");
}

TEST_F(LocalMailProgramTest, ABadMessageIsRejectedNamingTheFileAndNothingIsStored) {
  const stdfs::path empty = home_ / "empty.eml";
  WriteAll(empty, "");
  ProcessResult result = Run({"send", empty.string()});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_THAT(result.errors, HasSubstr(empty.string()));
  result = Run({"send", (home_ / "missing.eml").string()});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_THAT(result.errors, HasSubstr("missing.eml"));
  for (std::string_view folder : {"Drafts", "Outbox", "Sent Items"}) {
    EXPECT_THAT(FilesIn(Folder(folder)), IsEmpty()) << folder;
  }
  result = Run({"transport", "set", "smtp://bad host"});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_THAT(result.errors, HasSubstr("smtp://bad host"));
}

TEST_F(LocalMailProgramTest, EveryMailCommandExplainsItself) {
  for (std::vector<std::string> command : {std::vector<std::string>{"send"},
                                           {"sendmail"},
                                           {"folders"},
                                           {"items"},
                                           {"show"},
                                           {"contacts", "import"},
                                           {"transport", "set"}}) {
    command.push_back("--help");
    const ProcessResult result = Run(command);
    EXPECT_EQ(result.exit_code, 0) << command.front();
    EXPECT_THAT(result.output, HasSubstr("Usage")) << command.front();
  }
}

}  // namespace
}  // namespace vellumo
