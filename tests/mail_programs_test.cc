// Real mail programs sending through `vellumo sendmail` to the SMTP sink: neomutt (text and an
// attachment, a reply's threading headers) and git send-email (a patch series that `git am`
// applies on the other side). Skipped where the program is not installed (scripts/install-deps
// installs both).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "localmail/mime_message.h"
#include "posix/posix_processes.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/source_dir.h"
#include "tests/support/test_files.h"

namespace vellumo {
namespace {

namespace stdfs = std::filesystem;

using localmail::MimeMessage;
using test_support::ReadAll;
using test_support::SmtpSink;
using test_support::WriteAll;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::SizeIs;

std::string Unix(std::string text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

// The body of a message: everything after the first empty line.
std::string BodyOf(const std::string& message) {
  const size_t at = message.find("\n\n");
  return at == std::string::npos ? "" : message.substr(at + 2);
}

class MailProgramsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bin_ = test_support::EnvValue("VELLUMO_BIN");
    source_ = test_support::SourceDir();
    home_ = root_ / "home";
    stdfs::create_directories(home_);
    sink_ = std::make_unique<SmtpSink>(root_ / "sink");
    const int port = sink_->Start();
    ASSERT_NE(port, 0) << "the SMTP sink did not start";
    ASSERT_EQ(Run({bin_, "--home", home_.string(), "transport", "set",
                   "smtp://127.0.0.1:" + std::to_string(port)})
                  .exit_code,
              0);
  }
  void TearDown() override { sink_.reset(); }

  // A program run with a home of its own and nothing of the machine's configuration.
  ProcessResult Run(std::vector<std::string> args, std::string_view input = {}) {
    args.insert(args.begin(), {"/usr/bin/env", "-i", "HOME=" + root_.string(), "PATH=/usr/bin:/bin",
                               "GIT_CONFIG_NOSYSTEM=1", "LANG=C.UTF-8"});
    return processes_.Run(args, input);
  }
  ProcessResult Git(const stdfs::path& repo, std::vector<std::string> args) {
    args.insert(args.begin(), {"git", "-C", repo.string()});
    return Run(std::move(args));
  }
  std::string SendmailCommand() const { return bin_ + " --home " + home_.string() + " sendmail"; }

  std::string bin_;
  stdfs::path source_;
  test_support::ScopedTempDir temp_{"vellumo-programs"};
  stdfs::path root_ = temp_.path();
  stdfs::path home_;
  PosixProcesses processes_{"", ""};
  std::unique_ptr<SmtpSink> sink_;
};

TEST_F(MailProgramsTest, NeomuttDeliversTextAndAttachmentUnchangedWithItsThreadingHeaders) {
  if (!stdfs::exists("/usr/bin/neomutt")) GTEST_SKIP() << "neomutt is not installed";
  WriteAll(root_ / "muttrc", "set sendmail=\"" + SendmailCommand() +
                                 "\"\nset from=\"Ann <ann@example.org>\"\nset use_from=yes\n"
                                 "set record=\"\"\nset copy=no\nset charset=\"utf-8\"\n"
                                 "set send_charset=\"utf-8\"\nset folder=\"" +
                                 (root_ / "mutt").string() + "\"\n");
  const std::string text = "Dear Bob,\n\nthe chart of the harbour lanterns is attached.\nGrüße\n";
  std::string chart;
  for (int i = 0; i < 4096; ++i) chart += static_cast<char>((i * 7919) & 0xFF);
  WriteAll(root_ / "chart.bin", chart);

  // Batch mode: the text on standard input, the reply's threading headers as user headers.
  const ProcessResult result =
      Run({"neomutt", "-n", "-F", (root_ / "muttrc").string(), "-e",
           "my_hdr In-Reply-To: <q1@example.com>", "-e",
           "my_hdr References: <q0@example.com> <q1@example.com>", "-s", "Harbour lanterns", "-a",
           (root_ / "chart.bin").string(), "--", "bob@example.com"},
          text);
  ASSERT_EQ(result.exit_code, 0) << result.output << result.errors;
  ASSERT_THAT(sink_->Messages(), SizeIs(1));
  const std::string received = ReadAll(sink_->Messages()[0]);
  const MimeMessage message = MimeMessage::Parse(received, "received");
  EXPECT_EQ(Unix(message.TextBody()), text);
  ASSERT_THAT(message.Attachments(), SizeIs(1));
  EXPECT_EQ(message.Attachments()[0].content, chart);
  EXPECT_EQ(message.Header("In-Reply-To"), "<q1@example.com>");
  EXPECT_EQ(message.Header("References"), "<q0@example.com> <q1@example.com>");
  EXPECT_EQ(sink_->Envelope(sink_->Messages()[0])["rcpt_tos"], nlohmann::json({"bob@example.com"}));
}

TEST_F(MailProgramsTest, GitSendEmailDeliversAPatchSeriesThatGitAmApplies) {
  if (!stdfs::exists("/usr/lib/git-core/git-send-email")) {
    GTEST_SKIP() << "git send-email (git-email) is not installed";
  }
  const stdfs::path repo = root_ / "repo";
  ASSERT_EQ(Run({"git", "init", "-q", "-b", "main", repo.string()}).exit_code, 0);
  Git(repo, {"config", "user.name", "Ann Author"});
  Git(repo, {"config", "user.email", "ann@example.org"});
  std::string lamp = "int lamps = 1;\n";
  WriteAll(repo / "lamp.c", lamp);
  Git(repo, {"add", "lamp.c"});
  ASSERT_EQ(Git(repo, {"commit", "-q", "-m", "base"}).exit_code, 0);
  Git(repo, {"tag", "base"});
  const char* changes[] = {"int lamps = 2;\n", "-----Original Message-----\n",
                           "/* Grüße */\n-- \nsignature-like\n"};
  for (int i = 0; i < 3; ++i) {
    lamp += changes[i];
    WriteAll(repo / "lamp.c", lamp);
    Git(repo, {"commit", "-q", "-a", "-m", "lamp change " + std::to_string(i + 1)});
  }
  ASSERT_EQ(Git(repo, {"format-patch", "-q", "-o", (root_ / "patches").string(), "base"}).exit_code,
            0);
  std::vector<std::string> patches;
  for (const auto& p : test_support::FilesIn(root_ / "patches", ".patch")) patches.push_back(p);
  ASSERT_THAT(patches, SizeIs(3));

  std::vector<std::string> send = {"git",
                                   "-C",
                                   repo.string(),
                                   "send-email",
                                   "--to=list@example.org",
                                   "--from=Ann Author <ann@example.org>",
                                   "--sendmail-cmd=" + SendmailCommand(),
                                   "--confirm=never",
                                   "--suppress-cc=all",
                                   "--quiet"};
  send.insert(send.end(), patches.begin(), patches.end());
  const ProcessResult result = Run(send);
  ASSERT_EQ(result.exit_code, 0) << result.output << result.errors;

  const std::vector<stdfs::path> received = sink_->Messages();
  ASSERT_THAT(received, SizeIs(3));
  std::string first_id;
  for (size_t i = 0; i < received.size(); ++i) {
    const std::string message = Unix(ReadAll(received[i]));
    SCOPED_TRACE(received[i].string());
    EXPECT_EQ(BodyOf(message), BodyOf(Unix(ReadAll(patches[i])))) << "the patch, byte for byte";
    EXPECT_THAT(message, HasSubstr("[PATCH " + std::to_string(i + 1) + "/3]"));
    EXPECT_THAT(message, Not(HasSubstr("text/html")));
    const MimeMessage parsed = MimeMessage::Parse(ReadAll(received[i]), "received");
    if (i == 0) {
      first_id = parsed.Header("Message-ID").value_or("none");
    } else {
      EXPECT_EQ(parsed.Header("In-Reply-To"), first_id);
      EXPECT_THAT(parsed.Header("References").value_or(""), HasSubstr(first_id));
    }
  }

  const stdfs::path clone = root_ / "clone";
  ASSERT_EQ(Run({"git", "clone", "-q", repo.string(), clone.string()}).exit_code, 0);
  Git(clone, {"config", "user.name", "Bob Maintainer"});
  Git(clone, {"config", "user.email", "bob@example.com"});
  Git(clone, {"checkout", "-q", "-b", "applied", "base"});
  std::vector<std::string> am = {"git", "-C", clone.string(), "am", "-q"};
  for (const stdfs::path& file : received) am.push_back(file.string());
  const ProcessResult applied = Run(am);
  ASSERT_EQ(applied.exit_code, 0) << applied.output << applied.errors;
  EXPECT_EQ(Git(clone, {"rev-parse", "HEAD^{tree}"}).output,
            Git(repo, {"rev-parse", "HEAD^{tree}"}).output);
}

}  // namespace
}  // namespace vellumo
