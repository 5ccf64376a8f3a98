// The add-in in the program, end to end: `vellumo send` (VELLUMO_BIN) on a fresh home made from
// examples/, the real local mail client with its SQLite registry and Maildir store, delivering to
// an SMTP sink on 127.0.0.1 (tests/smtp_sink.py) or only filing (transport none).
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "localmail/mime_message.h"
#include "posix/posix_processes.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/send_home.h"
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
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::SizeIs;

size_t Count(std::string_view text, std::string_view find) {
  size_t n = 0;
  for (size_t at = text.find(find); at != std::string_view::npos; at = text.find(find, at + 1)) {
    ++n;
  }
  return n;
}

constexpr std::string_view kMeetingRequest =
    "From: Iris Calloway <iris@northwind-lanterns.example>\r\n"
    "To: tomas@harbourmaster.example\r\n"
    "Subject: Lantern fitting\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/calendar; method=REQUEST; charset=utf-8\r\n"
    "\r\n"
    "BEGIN:VCALENDAR\r\nMETHOD:REQUEST\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\n"
    "UID:fitting-1@northwind-lanterns.example\r\nDTSTART:20261211T090000Z\r\n"
    "SUMMARY:Lantern fitting\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";

class AddInSendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* bin = std::getenv("VELLUMO_BIN");
    if (bin == nullptr) GTEST_SKIP() << "VELLUMO_BIN is not set";
    bin_ = bin;
    source_ = test_support::SourceDir();
    // The home scripts/demo makes: the example settings and the folders they point at.
    ASSERT_EQ(test_support::FillExampleHome(
                  home_, [this](std::vector<std::string> args) { return Run(std::move(args)); }),
              "");
  }

  // The program as a user runs it, the window layer answering from no script at all (every
  // box and form takes its default) and every window logged.
  ProcessResult Run(std::vector<std::string> args, std::string_view input = {}) {
    args.insert(args.begin(), {"/usr/bin/env", "VELLUMO_UI=script", "VELLUMO_ANSWERS=" + answers_,
                               "VELLUMO_UI_LOG=" + (home_ / "ui.jsonl").string(), bin_, "--home",
                               home_.string()});
    return processes_.Run(args, input);
  }
  // The window layer answers from these lines from now on.
  void Answer(std::string_view lines) {
    answers_ = (home_ / "answers.txt").string();
    std::ofstream(answers_) << lines;
  }
  void Admin(const std::string& key, const std::string& value) {
    ASSERT_EQ(Run({"settings", "set", "Vellumo", "Admin Settings", key, value}).exit_code, 0);
  }
  ProcessResult Send(const std::string& example) {
    return Run({"send", (source_ / "examples" / "messages" / example).string()});
  }
  std::string Setting(const std::string& section, const std::string& key) {
    return Run({"settings", "get", "Vellumo", section, key}).output;
  }
  stdfs::path Folder(std::string_view name) const {
    return home_ / "mail" / "Personal Folders" / std::string(name) / "cur";
  }
  // The one message filed in Sent Items.
  MimeMessage Filed(size_t index = 0) {
    const std::vector<stdfs::path> filed = FilesIn(Folder("Sent Items"));
    if (filed.size() <= index) {
      ADD_FAILURE() << "Sent Items holds " << filed.size() << " messages";
      return MimeMessage::Parse("Subject: none\r\n\r\n", "none");
    }
    return MimeMessage::Parse(ReadAll(filed[index]), filed[index].string());
  }
  std::vector<nlohmann::json> UiLog() {
    std::vector<nlohmann::json> lines;
    std::ifstream in(home_ / "ui.jsonl");
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
    return lines;
  }

  std::string bin_;
  std::string answers_;
  stdfs::path source_;
  test_support::ScopedTempDir temp_{"vellumo-addin"};
  stdfs::path home_ = temp_.path();
  PosixProcesses processes_{"", ""};
};

TEST_F(AddInSendTest, ANewMessageIsDressedBeforeItGoesOut) {
  SmtpSink sink(home_ / "sink");
  ASSERT_NE(sink.Start(), 0) << "the SMTP sink did not start (/usr/bin/python3, aiosmtpd)";
  ASSERT_EQ(Run({"transport", "set", "smtp://127.0.0.1:" + std::to_string(sink.port())}).exit_code,
            0);
  const ProcessResult sent = Send("harbour-lanterns.eml");
  ASSERT_EQ(sent.exit_code, 0) << sent.output << sent.errors;
  EXPECT_EQ(sent.output, "sent\n");

  ASSERT_THAT(sink.Messages(), SizeIs(1));
  const std::string wire = ReadAll(sink.Messages()[0]);
  EXPECT_THAT(wire, Not(HasSubstr("X-Vellumo"))) << "the marks never leave the machine";
  const MimeMessage arrived = MimeMessage::Parse(wire, "sink");
  const std::string html = arrived.HtmlBody();
  EXPECT_THAT(html, HasSubstr("bgcolor=\"#FBF7EF\"")) << "the stationery";
  EXPECT_THAT(html, HasSubstr("the twelve storm lanterns for the harbour wall"));
  EXPECT_THAT(html, HasSubstr("<b style=\"color:#1F3A5F;\">Iris Calloway</b>")) << "signature";
  EXPECT_THAT(html, HasSubstr("Head of Lantern Design, Northwind Lanterns"));
  EXPECT_THAT(html, HasSubstr("Winter collection")) << "the user swap";
  EXPECT_THAT(html, Not(HasSubstr("[#")));
  EXPECT_LT(html.find("#1F3A5F; padding:18px"), html.find("the twelve storm lanterns"));
  EXPECT_EQ(arrived.Subject(), "Lanterns for the harbour wall");

  const MimeMessage filed = Filed();
  EXPECT_EQ(filed.HtmlBody(), html);
  const ProcessResult items = Run({"items", "Sent Items"});
  const std::string entry = items.output.substr(0, items.output.find('\t'));
  const ProcessResult shown = Run({"show", "Sent Items", entry});
  EXPECT_THAT(shown.output, HasSubstr("BillingInformation: Vellumo from Corvane"));
  EXPECT_THAT(shown.output, HasSubstr("UserProperty: CorvaneVellumo = Version 3.9.9"));
  EXPECT_THAT(FilesIn(Folder("Drafts")), IsEmpty());
}

TEST_F(AddInSendTest, AReplyIsDressedWithItsHistoryBelowTheStationery) {
  const ProcessResult sent = Send("reply-delivery.eml");
  ASSERT_EQ(sent.exit_code, 0) << sent.output << sent.errors;
  const std::string html = Filed().HtmlBody();
  const size_t new_text = html.find("Nine o'clock it is.");
  const size_t signature = html.find("Iris Calloway</b>");
  const size_t footer = html.find("Winter collection &middot;");
  const size_t history = html.find("Friday suits us well");
  ASSERT_NE(new_text, std::string::npos);
  ASSERT_NE(signature, std::string::npos);
  ASSERT_NE(history, std::string::npos);
  EXPECT_LT(new_text, signature);
  EXPECT_LT(signature, history);
  EXPECT_LT(html.find("#FBF7EF"), new_text);
  EXPECT_LT(footer, history) << "the history comes below the whole stationery";
  EXPECT_EQ(Count(html, "Friday suits us well"), 1u);
}

TEST_F(AddInSendTest, InternalMailGetsTheShortSignatureOnly) {
  const ProcessResult sent = Send("team-lunch.eml");
  ASSERT_EQ(sent.exit_code, 0) << sent.output << sent.errors;
  const std::string html = Filed().HtmlBody();
  EXPECT_THAT(html, HasSubstr("Shall we have lunch at the Anchor"));
  EXPECT_THAT(html, HasSubstr("Iris Calloway"));
  EXPECT_THAT(html, HasSubstr("+44 20 7946 0321"));
  EXPECT_THAT(html, Not(HasSubstr("#FBF7EF"))) << "no stationery for colleagues";
  EXPECT_THAT(Filed().PrivateHeader("Billing-Information").value_or(""), IsEmpty());
}

TEST_F(AddInSendTest, AReSendFromSentItemsGoesUntouched) {
  ASSERT_EQ(Send("harbour-lanterns.eml").exit_code, 0);
  const std::vector<stdfs::path> first = FilesIn(Folder("Sent Items"));
  ASSERT_THAT(first, SizeIs(1));
  const std::string dressed = Filed().HtmlBody();

  const ProcessResult again = Run({"send", first[0].string()});
  ASSERT_EQ(again.exit_code, 0) << again.output << again.errors;
  ASSERT_THAT(FilesIn(Folder("Sent Items")), SizeIs(2));
  for (size_t i = 0; i < 2; ++i) {
    const std::string html = Filed(i).HtmlBody();
    EXPECT_EQ(html, dressed) << "dressed once, never twice";
    EXPECT_EQ(Count(html, "padding:18px 28px"), 1u) << "one stationery header";
  }
}

TEST_F(AddInSendTest, AMeetingRequestGoesUntouched) {
  // A message first, to see the add-in at work in this home.
  ASSERT_EQ(Send("harbour-lanterns.eml").exit_code, 0);
  ASSERT_THAT(Filed().HtmlBody(), HasSubstr("#FBF7EF"));

  const ProcessResult sent = Run({"send", "-"}, kMeetingRequest);
  ASSERT_EQ(sent.exit_code, 0) << sent.output << sent.errors;
  const std::vector<stdfs::path> filed = FilesIn(Folder("Sent Items"));
  ASSERT_THAT(filed, SizeIs(2));
  const auto request = std::find_if(filed.begin(), filed.end(), [](const stdfs::path& file) {
    return ReadAll(file).find("METHOD:REQUEST") != std::string::npos;
  });
  ASSERT_NE(request, filed.end());
  const MimeMessage message = MimeMessage::Parse(ReadAll(*request), request->string());
  EXPECT_THAT(message.HtmlBody(), IsEmpty());
  EXPECT_FALSE(message.PrivateHeader("Billing-Information").has_value());
  EXPECT_FALSE(message.PrivateHeader("User-Properties").has_value());
}

TEST_F(AddInSendTest, AutoModeWithoutATemplateIsCancelledAndSwitchedOn) {
  ASSERT_EQ(Run({"settings", "set", "Vellumo", "User Settings", "Template", ""}).exit_code, 0);
  const ProcessResult sent = Send("harbour-lanterns.eml");
  EXPECT_EQ(sent.exit_code, 3) << sent.output << sent.errors;
  EXPECT_EQ(sent.output, "cancelled\n");
  EXPECT_THAT(FilesIn(Folder("Sent Items")), IsEmpty());
  ASSERT_THAT(FilesIn(Folder("Drafts")), SizeIs(1)) << "the message is kept, undressed";
  EXPECT_THAT(MimeMessage::Parse(ReadAll(FilesIn(Folder("Drafts"))[0]), "draft").HtmlBody(),
              Not(HasSubstr("#FBF7EF")));

  const std::vector<nlohmann::json> windows = UiLog();
  ASSERT_THAT(windows, SizeIs(1));
  EXPECT_EQ(windows[0]["kind"], "form");
  EXPECT_EQ(windows[0]["name"], "frmMessage");
  EXPECT_EQ(windows[0]["caption"], "Vellumo Template warning");
  EXPECT_THAT(windows[0].dump(), HasSubstr("there is no default Template file"));
  EXPECT_EQ(Setting("User Settings", "SettingButtonBar"), "on\n");

  // Mode "on" now: the next message goes as it is.
  const ProcessResult next = Send("harbour-lanterns.eml");
  EXPECT_EQ(next.exit_code, 0) << next.errors;
  EXPECT_THAT(Filed().HtmlBody(), Not(HasSubstr("#FBF7EF")));
}

TEST_F(AddInSendTest, AFailureAsksForAReportAndYesMailsTheLogToSupport) {
  SmtpSink sink(home_ / "sink");
  ASSERT_NE(sink.Start(), 0) << "the SMTP sink did not start (/usr/bin/python3, aiosmtpd)";
  ASSERT_EQ(Run({"transport", "set", "smtp://127.0.0.1:" + std::to_string(sink.port())}).exit_code,
            0);
  // A template folder with nothing in it: the composition fails and logs it.
  stdfs::create_directories(home_ / "drive_c" / "Vellumo" / "Empty");
  Admin("HTM Files Path", "C:\\Vellumo\\Empty");
  Answer("frmMessage.cmdYes.Click\n");
  const ProcessResult sent = Send("harbour-lanterns.eml");
  ASSERT_EQ(sent.exit_code, 0) << sent.output << sent.errors;

  const std::vector<nlohmann::json> windows = UiLog();
  ASSERT_THAT(windows, SizeIs(1)) << "one failure, one question";
  EXPECT_EQ(windows[0]["name"], "frmMessage");
  EXPECT_EQ(windows[0]["caption"], "Vellumo error - notify Corvane support");
  EXPECT_THAT(windows[0].dump(), HasSubstr("\"Yes. Notify Corvane support.\""));
  EXPECT_THAT(windows[0].dump(), HasSubstr("\"No. Continue.\""));

  // The report and the message itself both went out.
  ASSERT_THAT(sink.Messages(), SizeIs(2));
  std::string report;
  for (const stdfs::path& file : sink.Messages()) {
    const std::string wire = ReadAll(file);
    if (wire.find("support@corvane.example") != std::string::npos) report = wire;
  }
  ASSERT_FALSE(report.empty()) << "no message reached support@corvane.example";
  const MimeMessage arrived = MimeMessage::Parse(report, "report");
  EXPECT_THAT(arrived.TextBody(), HasSubstr("NoFile_Err"));
  EXPECT_THAT(report, HasSubstr("SupportLog.txt")) << "the log is attached";
  EXPECT_THAT(report, Not(HasSubstr("X-Vellumo")));
  // Deleted after submit: only the user's message is filed.
  EXPECT_THAT(FilesIn(Folder("Sent Items")), SizeIs(1));
}

TEST_F(AddInSendTest, ThePreviewWindowShowsBeforeAnAutomaticSend) {
  Admin("AutoPreview", "True");
  Admin("ShowPreviewSelectButton", "True");
  // "> Template" from Morning Paper wraps to the first template, Harbour Blue; then Send.
  Answer("frmBrowser.cmdNext.Click\nfrmBrowser.Command1.Click\n");
  const ProcessResult sent = Send("harbour-lanterns.eml");
  ASSERT_EQ(sent.exit_code, 0) << sent.output << sent.errors;
  const std::vector<nlohmann::json> windows = UiLog();
  ASSERT_THAT(windows, SizeIs(1));
  EXPECT_EQ(windows[0]["name"], "frmBrowser");
  EXPECT_EQ(windows[0]["caption"], "Vellumo Preview");
  EXPECT_EQ(Setting("User Settings", "Template"), "Harbour Blue.htm\n");
  EXPECT_THAT(Filed().HtmlBody(), HasSubstr("<title>Harbour Blue</title>"));

  // Close stops the send; the message stays undressed in Drafts.
  Answer("frmBrowser.cmdClose.Click\n");
  const ProcessResult closed = Send("harbour-lanterns.eml");
  EXPECT_EQ(closed.exit_code, 3) << closed.output << closed.errors;
  ASSERT_THAT(FilesIn(Folder("Drafts")), SizeIs(1));

  // vellumo preview shows the window and never sends.
  Answer("frmBrowser.Command1.Click\n");
  const ProcessResult previewed =
      Run({"preview", (source_ / "examples" / "messages" / "harbour-lanterns.eml").string()});
  EXPECT_EQ(previewed.exit_code, 0) << previewed.errors;
  EXPECT_THAT(previewed.output, HasSubstr("not sent"));
  EXPECT_THAT(FilesIn(Folder("Sent Items")), SizeIs(1));
}

}  // namespace
}  // namespace vellumo
