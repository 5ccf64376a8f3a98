// The local mail client's costs: loading and saving a 1 MB message in a Maildir on the disk,
// and sending many messages to an SMTP sink on 127.0.0.1 over one connection (the sink is
// tests/smtp_sink.py, started here with /usr/bin/python3 and stopped by its process id).
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "localmail/local_client.h"
#include "localmail/local_mail_item.h"
#include "localmail/mime_message.h"
#include "localmail/smtp_transport.h"
#include "platform/clock.h"
#include "platform/mailclient/mail_client.h"
#include "platform/mem_registry.h"
#include "posix/posix_file_system.h"
#include "posix/posix_processes.h"
#include "posix/posix_system_info.h"
#include "posix/system_clock.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/source_dir.h"

extern char** environ;

namespace vellumo {
namespace {

namespace stdfs = std::filesystem;

// About 1 MB: a text part, an HTML part and an attachment, as a dressed message with a
// document attached is.
std::string OneMegabyteMessage() {
  localmail::MimeMessage message;
  message.SetSubject("Quarterly report with attachment");
  message.SetFrom({"Ann Sender", "ann@example.org"});
  message.AddRecipient({"Bob", "bob@example.com", localmail::RecipientType::kTo});
  std::string text;
  std::string html = "<html><body>";
  for (int i = 0; text.size() < 200'000; ++i) {
    const std::string line = "Line " + std::to_string(i) + " of the report: Grüße aus Köln.";
    text += line + "\r\n";
    html += "<p class=\"MsoNormal\">" + line + "</p>\r\n";
  }
  html += "</body></html>";
  message.SetTextBody(text);
  message.SetHtmlBody(html);
  std::string attachment(350'000, '\0');
  for (size_t i = 0; i < attachment.size(); ++i) attachment[i] = static_cast<char>(i * 31 % 251);
  message.AddAttachment("report.pdf", attachment);
  return message.Serialize(false);
}

struct RealClient {
  explicit RealClient(const stdfs::path& home)
      : fs(home.string()),
        processes("", ""),
        client(localmail::LocalMailClient::Open(localmail::LocalMailDeps{fs,
                                                                         registry,
                                                                         processes,
                                                                         clock,
                                                                         system,
                                                                         (home / "mail").string(),
                                                                         {},
                                                                         {},
                                                                         {},
                                                                         {},
                                                                         {}})) {}
  PosixFileSystem fs;
  MemRegistry registry;
  PosixProcesses processes;
  SystemClock clock;
  PosixSystemInfo system;
  std::shared_ptr<localmail::LocalMailClient> client;
};

void BM_ParseAndSerialize1MB(benchmark::State& state) {
  const std::string bytes = OneMegabyteMessage();
  for (auto _ : state) {
    localmail::MimeMessage message = localmail::MimeMessage::Parse(bytes, "bench");
    benchmark::DoNotOptimize(message.TextBody());
    benchmark::DoNotOptimize(message.Serialize(false));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ParseAndSerialize1MB)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

// Load the message from its folder, change it, save it (atomic write, flushed to the disk).
void BM_LoadAndSave1MB(benchmark::State& state) {
  const test_support::ScopedTempDir home("vellumo-lmbench");
  RealClient real(home.path());
  const std::string bytes = OneMegabyteMessage();
  auto draft = real.client->ImportMessage(bytes, "bench.eml");
  draft->Save();
  auto drafts = real.client->FindFolder("Drafts");
  int n = 0;
  for (auto _ : state) {
    auto item = mail::AsMailItem(drafts->Items()->GetFirst());
    item->SetSubject("Saved " + std::to_string(++n));
    item->Save();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_LoadAndSave1MB)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(20)
    ->ReportAggregatesOnly(true);

class Sink {
 public:
  Sink() {
    const stdfs::path root = test_support::SourceDir();
    const stdfs::path ready = home_.path() / "ready";
    std::vector<std::string> args = {"/usr/bin/python3", (root / "tests" / "smtp_sink.py").string(),
                                     "--port",           "0",
                                     "--ready",          ready.string()};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
    for (int i = 0; pid_ > 0 && i < 300 && !stdfs::exists(ready); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::ifstream in(ready);
    in >> port_;
  }
  ~Sink() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  int port() const { return port_; }

 private:
  test_support::ScopedTempDir home_{"vellumo-lmbench"};
  pid_t pid_ = -1;
  int port_ = 0;
};

std::string SmallMessage(int i) {
  std::string body;
  for (int line = 0; line < 30; ++line) {
    body += "Line " + std::to_string(line) + " of message " + std::to_string(i) + ".\r\n";
  }
  return "From: ann@example.org\r\nTo: bob@example.com\r\nSubject: Message " + std::to_string(i) +
         "\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n" + body;
}

// 1,000 messages through one SmtpTransport: one connection for all of them.
void BM_SmtpSend1000(benchmark::State& state) {
  Sink sink;
  if (sink.port() == 0) {
    state.SkipWithError("the SMTP sink did not start");
    return;
  }
  constexpr int kMessages = 1000;
  std::vector<std::string> messages;
  for (int i = 0; i < kMessages; ++i) messages.push_back(SmallMessage(i));
  const localmail::TransportConfig config =
      localmail::ParseTransportUrl("smtp://127.0.0.1:" + std::to_string(sink.port()));
  for (auto _ : state) {
    localmail::SmtpTransport transport(config);
    for (const std::string& message : messages) {
      transport.Transmit({"ann@example.org", {"bob@example.com"}}, message);
    }
  }
  state.SetItemsProcessed(state.iterations() * kMessages);
}
BENCHMARK(BM_SmtpSend1000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime();

// The whole send of the client: ItemSend, Drafts to Outbox, transmission, Sent Items; every
// step written and flushed to the disk.
void BM_ClientSend(benchmark::State& state) {
  Sink sink;
  if (sink.port() == 0) {
    state.SkipWithError("the SMTP sink did not start");
    return;
  }
  const test_support::ScopedTempDir home("vellumo-lmbench");
  RealClient real(home.path());
  real.registry.SetValue(localmail::kClientKey, "Transport",
                         RegValue::String("smtp://127.0.0.1:" + std::to_string(sink.port())));
  int i = 0;
  for (auto _ : state) {
    auto item = real.client->ImportMessage(SmallMessage(++i), "bench.eml");
    item->Send();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ClientSend)->Unit(benchmark::kMillisecond)->Iterations(200)->UseRealTime();

}  // namespace
}  // namespace vellumo
