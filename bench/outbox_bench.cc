// Flushing a queued Outbox against sending fresh: 1,000 messages over one SMTP connection to the
// loopback sink (tests/smtp_sink.py, counting only), on a real disk. The claim, the transmitted
// flag and the filing are renames; a flush should cost little more than sending. Prints both
// rates and their ratio as counters.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "base/error.h"
#include "localmail/client_config.h"
#include "localmail/local_client.h"
#include "localmail/local_mail_item.h"
#include "localmail/smtp_transport.h"
#include "platform/clock.h"
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

constexpr int kMessages = 1000;

// The sink, counting only; stopped when this goes.
class Sink {
 public:
  Sink() {
    const stdfs::path script = test_support::SourceDir() / "tests" / "smtp_sink.py";
    ready_ = stdfs::temp_directory_path() / ("vellumo-bench-sink-" + std::to_string(getpid()));
    std::vector<std::string> args = {"/usr/bin/python3", script.string(), "--port", "0",
                                     "--ready",          ready_.string()};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
      throw std::runtime_error("cannot start the SMTP sink");
    }
    for (int i = 0; i < 300 && !stdfs::exists(ready_); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::ifstream in(ready_);
    in >> port_;
    if (port_ == 0) throw std::runtime_error("the SMTP sink did not start");
  }
  ~Sink() {
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    std::error_code ec;
    stdfs::remove(ready_, ec);
  }
  int port() const { return port_; }

 private:
  stdfs::path ready_;
  pid_t pid_ = -1;
  int port_ = 0;
};

// One connection to the sink for the whole run; refuses while down, so messages queue.
class SwitchTransport final : public localmail::Transport {
 public:
  explicit SwitchTransport(int port)
      : smtp_(localmail::ParseTransportUrl("smtp://127.0.0.1:" + std::to_string(port))) {}
  void Transmit(const localmail::Envelope& envelope, std::string_view message) override {
    if (down) throw Error("Connection refused");
    smtp_.Transmit(envelope, message);
  }
  bool down = false;

 private:
  localmail::SmtpTransport smtp_;
};

class Forward final : public localmail::Transport {
 public:
  explicit Forward(localmail::Transport& target) : target_(target) {}
  void Transmit(const localmail::Envelope& envelope, std::string_view message) override {
    target_.Transmit(envelope, message);
  }

 private:
  localmail::Transport& target_;
};

std::string Message(int n) {
  std::string text = "From: Ann <ann@example.org>\r\nTo: bob@example.com\r\nSubject: message " +
                     std::to_string(n) +
                     "\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n";
  for (int i = 0; i < 40; ++i) text += "A line of the message, as long as most lines are.\r\n";
  return text;
}

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

void BM_FlushQueuedAgainstSendingFresh(benchmark::State& state) {
  Sink sink;
  SwitchTransport transport(sink.port());
  for (auto _ : state) {
    const test_support::ScopedTempDir home("vellumo-outbox");
    PosixFileSystem fs(home.str());
    MemRegistry registry;
    PosixProcesses processes("", "");
    SystemClock clock;
    PosixSystemInfo system;
    auto client = localmail::LocalMailClient::Open(localmail::LocalMailDeps{
        fs,
        registry,
        processes,
        clock,
        system,
        (home / "mail").string(),
        {},
        [&](const localmail::TransportConfig&) -> std::unique_ptr<localmail::Transport> {
          return std::make_unique<Forward>(transport);
        },
        {},
        ProcessClaimTag,
        ProcessClaimAlive});
    auto send_all = [&](int base) {
      for (int i = 0; i < kMessages; ++i) {
        auto item = client->ImportMessage(Message(base + i), "bench");
        item->Save();
        try {
          item->Send();
        } catch (const localmail::QueuedError&) {  // ignore: queueing is what the run wants
        }
      }
    };

    transport.down = false;
    auto start = std::chrono::steady_clock::now();
    send_all(0);
    const double fresh = Seconds(std::chrono::steady_clock::now() - start);

    transport.down = true;
    send_all(kMessages);
    transport.down = false;
    start = std::chrono::steady_clock::now();
    const auto results = client->FlushOutbox();
    const double flush = Seconds(std::chrono::steady_clock::now() - start);
    int sent = 0;
    for (const auto& result : results) sent += result.sent ? 1 : 0;
    if (sent != kMessages) state.SkipWithError("the flush did not send every message");

    state.counters["fresh_per_s"] = kMessages / fresh;
    state.counters["flush_per_s"] = kMessages / flush;
    state.counters["flush_vs_fresh"] = fresh / flush;
  }
}
BENCHMARK(BM_FlushQueuedAgainstSendingFresh)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vellumo
