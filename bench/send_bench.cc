// The whole send interception (ol_ItemSend) for a 100 KB HTML message and a 20 KB template, every
// setting read from the real SQLite registry, the files in memory. A counting registry wrapper
// tells how many registry reads one send makes and what share of the time they take; the figures
// are printed as counters of the benchmark.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "addin/connect.h"
#include "addin/item_send.h"
#include "common/settings/settings.h"
#include "platform/clock.h"
#include "platform/fixed_system_info.h"
#include "platform/mailclient/mem_application.h"
#include "platform/mem_file_system.h"
#include "platform/mem_processes.h"
#include "platform/reg_file.h"
#include "platform/ui/script_host.h"
#include "posix/sqlite_registry.h"
#include "tests/support/scoped_temp_dir.h"

namespace vellumo {
namespace {

// Forwards to a registry, counting the reads and the time spent in every call.
class CountingRegistry final : public Registry {
 public:
  explicit CountingRegistry(Registry& target) : target_(target) {}

  // Runs f, adding the time it takes to what was spent in the registry.
  template <class F>
  auto Timed(F f) {
    const auto start = std::chrono::steady_clock::now();
    struct Add {
      std::chrono::steady_clock::duration& spent;
      std::chrono::steady_clock::time_point start;
      ~Add() { spent += std::chrono::steady_clock::now() - start; }
    } add{spent_, start};
    return f();
  }

  std::optional<RegValue> GetValue(std::string_view key, std::string_view name) override {
    ++reads_;
    return Timed([&] { return target_.GetValue(key, name); });
  }
  void SetValue(std::string_view key, std::string_view name, const RegValue& value) override {
    ++writes_;
    Timed([&] { target_.SetValue(key, name, value); });
  }
  void DeleteValue(std::string_view key, std::string_view name) override {
    ++writes_;
    Timed([&] { target_.DeleteValue(key, name); });
  }
  bool KeyExists(std::string_view key) override {
    ++reads_;
    return Timed([&] { return target_.KeyExists(key); });
  }
  void CreateKey(std::string_view key) override {
    ++writes_;
    Timed([&] { target_.CreateKey(key); });
  }
  void DeleteKeyTree(std::string_view key) override {
    ++writes_;
    Timed([&] { target_.DeleteKeyTree(key); });
  }
  std::vector<std::string> SubKeys(std::string_view key) override {
    ++reads_;
    return Timed([&] { return target_.SubKeys(key); });
  }
  std::vector<std::pair<std::string, RegValue>> Values(std::string_view key) override {
    ++reads_;
    return Timed([&] { return target_.Values(key); });
  }
  void Apply(const std::vector<RegOp>& ops) override {
    ++writes_;
    Timed([&] { target_.Apply(ops); });
  }

  void Reset() {
    reads_ = 0;
    writes_ = 0;
    spent_ = {};
  }
  int64_t reads() const { return reads_; }
  int64_t writes() const { return writes_; }
  double seconds() const { return std::chrono::duration<double>(spent_).count(); }

 private:
  Registry& target_;
  int64_t reads_ = 0;
  int64_t writes_ = 0;
  std::chrono::steady_clock::duration spent_{};
};

constexpr std::string_view kStationery = "C:\\Vellumo\\Stationery";
constexpr std::string_view kSignatures = "C:\\Vellumo\\Signatures";

// A 20 KB template: a table layout with the marker and a few placeholders.
std::string Template() {
  std::string html =
      "<html><head><title>Morning Paper</title></head>\r\n"
      "<body bgcolor=\"#FBF7EF\"><table width=\"600\" align=\"center\">\r\n"
      "<tr><td style=\"font-family:Georgia\">[#SigOrganizationName#]</td></tr>\r\n"
      "<tr><td>[#Input your message here#]</td></tr>\r\n";
  while (html.size() < 20 * 1024) {
    html +=
        "<tr><td style=\"padding:4px 28px; color:#8A7A5C\">[#Season#] &middot; "
        "<a href=\"[#SigWebsite#]\">[#SigWebsiteDisplayName#]</a></td></tr>\r\n";
  }
  return html + "</table></body></html>\r\n";
}

// A 100 KB message of ordinary paragraphs.
std::string Message() {
  std::string html = "<html><body>\r\n";
  int n = 0;
  while (html.size() < 100 * 1024) {
    html += "<p>Paragraph " + std::to_string(++n) +
            ": the harbour lanterns are packed in straw, two dozen to a crate, and the "
            "crates go out on Friday's tide. <b>Please</b> confirm the quay number.</p>\r\n";
  }
  return html + "</body></html>\r\n";
}

constexpr std::string_view kSettings =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Vellumo\\Admin Settings]\r\n"
    "\"HTM Files Path\"=\"C:\\\\Vellumo\\\\Stationery\"\r\n"
    "\"Signatures Path\"=\"C:\\\\Vellumo\\\\Signatures\"\r\n"
    "\"SkipInternal\"=\"1\"\r\n"
    "\"UseRedemption\"=\"True\"\r\n"
    "\"SigFullname\"=\"Iris Calloway\"\r\n"
    "\"SigPosition\"=\"Head of Lantern Design\"\r\n"
    "\"SigOrganizationName\"=\"Northwind Lanterns\"\r\n"
    "\"SigEmail\"=\"iris@northwind-lanterns.example\"\r\n"
    "\"SigWebsite\"=\"https://northwind-lanterns.example\"\r\n"
    "\"SigWebsiteDisplayName\"=\"northwind-lanterns.example\"\r\n"
    "\"SigTelephone\"=\"+44 20 7946 0321\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Vellumo\\User Settings]\r\n"
    "\"SettingButtonBar\"=\"auto\"\r\n"
    "\"Template\"=\"Morning Paper.htm\"\r\n"
    "\"Signature\"=\"Lantern Signature.htm\"\r\n"
    "\"InsertDate\"=\"True\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Vellumo\\System Settings]\r\n"
    "\"ExchangeDomain\"=\"northwind-lanterns.example\"\r\n"
    "\"Office2003SearchString\"=\"-----Original Message-----\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Vellumo\\Template Settings]\r\n"
    "\"UserCode1\"=\"[#Season#]\"\r\n"
    "\"UserSwap1\"=\"Winter collection\"\r\n";

// Everything but the registry in memory: files, clock, processes, windows, the mail client.
struct InMemory {
  explicit InMemory(Registry& registry) : env{registry, fs, clock, processes, system, ui, &app} {}
  MemFileSystem fs;
  MemClock clock;
  MemProcesses processes;
  FixedSystemInfo system;
  ui::ScriptHost ui{ui::ScriptAnswers{}};
  mail::MemApplication app{&fs};
  Env env;
};

void BM_ItemSend(benchmark::State& state) {
  test_support::ScopedTempDir folder("vellumo-send");
  SqliteRegistry sqlite((folder / "registry.db").string());
  ImportRegFile(sqlite, kSettings, "bench settings");
  CountingRegistry registry(sqlite);
  InMemory world(registry);
  MemFileSystem& fs = world.fs;
  mail::MemApplication& app = world.app;
  fs.AddFile(std::string(kStationery) + "\\Morning Paper.htm", Template());
  fs.AddFile(std::string(kSignatures) + "\\Lantern Signature.htm",
             "<p><b>[#SigFullname#]</b><br>[#SigPosition#], [#SigOrganizationName#]<br>"
             "[#SigTelephone#] &middot; [#SigEmail#]</p>");
  std::shared_ptr<addin::Connect> connect = addin::Connect::Create(world.env);
  connect->OnConnection(app);
  const std::string message = Message();

  int64_t sends = 0;
  int64_t reads = 0;
  double registry_seconds = 0;
  double send_seconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::shared_ptr<mail::MailItem> item = app.CreateMailItem();
    item->SetSubject("Crates for Friday");
    item->SetHTMLBody(message);
    item->Recipients()->Add("captain@harbourmaster.example");
    registry.Reset();
    state.ResumeTiming();

    const auto start = std::chrono::steady_clock::now();
    bool cancel = false;
    connect->ol_ItemSend(item, cancel);
    send_seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    state.PauseTiming();
    if (cancel || item->BillingInformation() != addin::kDressedMark) {
      state.SkipWithError("the message was not dressed");
      break;
    }
    ++sends;
    reads += registry.reads();
    registry_seconds += registry.seconds();
    state.ResumeTiming();
  }
  if (sends > 0) {
    state.counters["registry_reads_per_send"] = static_cast<double>(reads) / sends;
    state.counters["registry_share_pct"] = 100.0 * registry_seconds / send_seconds;
    state.counters["message_kb"] = static_cast<double>(message.size()) / 1024;
  }
  connect->OnDisconnection(0);
}
// Five repetitions; the median of them is the figure to read.
BENCHMARK(BM_ItemSend)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The add-in's start in the mail client: created, connected and told the start is complete (the
// buttons made, the marketing state read), every setting from the real SQLite registry, no
// registry files to import. The mail client disables an add-in that takes over a second; the
// goal is 50 ms.
void BM_AddInStartup(benchmark::State& state) {
  test_support::ScopedTempDir folder("vellumo-start");
  SqliteRegistry registry((folder / "registry.db").string());
  ImportRegFile(registry, kSettings, "bench settings");
  Settings(registry).SaveSetting(kVellumo, "User Settings", "SuppressToolbar", "False");
  Settings(registry).SaveSetting(kVellumo, "Admin Settings", "StartupSetupWiz", "False");
  InMemory world(registry);
  for (auto _ : state) {
    std::shared_ptr<addin::Connect> connect = addin::Connect::Create(world.env);
    connect->OnConnection(world.app);
    connect->OnStartupComplete();
    state.PauseTiming();
    if (connect->toolbar().mode_button() == nullptr) state.SkipWithError("no mode button");
    connect->OnBeginShutdown();
    connect->OnDisconnection(0);
    connect.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_AddInStartup)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace vellumo
