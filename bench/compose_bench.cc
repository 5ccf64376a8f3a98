// CreateHTMLBody on a large HTML message and a 20 KB template holding every placeholder, with
// every rule switched on, against a plain copy of the same bytes. Everything runs in memory, so
// the figures are those of the composition itself.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "common/compose/compose_windows.h"
#include "common/compose/create_html_body.h"
#include "common/compose/fill_tables.h"
#include "common/compose/send_state.h"
#include "common/diagnostics/log.h"
#include "common/settings/settings.h"
#include "platform/clock.h"
#include "platform/mailclient/mem_application.h"
#include "platform/mem_file_system.h"
#include "platform/mem_registry.h"
#include "platform/ui/answering_host.h"

namespace {

// Live heap bytes and their peak, for the memory a composition takes beyond its input.
std::atomic<size_t> g_live{0};
std::atomic<size_t> g_peak{0};

void* Counted(void* p) {
  if (p == nullptr) throw std::bad_alloc();
  const size_t live = g_live += malloc_usable_size(p);
  size_t peak = g_peak.load();
  while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
  }
  return p;
}

}  // namespace

void* operator new(size_t n) { return Counted(std::malloc(n)); }
void* operator new[](size_t n) { return Counted(std::malloc(n)); }
void operator delete(void* p) noexcept {
  if (p != nullptr) g_live -= malloc_usable_size(p);
  std::free(p);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, size_t) noexcept { operator delete(p); }
void operator delete[](void* p, size_t) noexcept { operator delete(p); }

namespace {

using namespace vellumo;

constexpr std::string_view kTemplatePath = "C:\\Templates\\t.htm";

// A message as mail clients write them, with something for every rule to do.
std::string Message(size_t size) {
  const std::string chunk =
      "<div><font face=Arial size=2>Dear colleague, the figures for www.example.com are "
      "attached.</font></div>\r\n<hr size=1><BLOCKQUOTE>Quoted <b>text</b> from an earlier "
      "mail</BLOCKQUOTE>\r\n<p>Logo <img src=\"cid:logo\" alt=\"logo\"> and ACME-1 and "
      "<img src=\"chart.png\"></p>\r\n<BR>\r\n<BR>\r\n";
  std::string message = "<html><head><style>p { color: red; }</style></head><body bgcolor=blue>";
  while (message.size() < size) message += chunk;
  return message + "</body></html>";
}

void AddFinds(std::string& text, std::span<const compose::FieldFill> fields) {
  for (const compose::FieldFill& field : fields) text.append(field.find).append("<br>\r\n");
}

// A 20 KB template with every placeholder of the composition fill.
std::string Template() {
  std::string text = "<html><body bgcolor=[#SigBGColor#]>\r\n[#SigQuote#]\r\n";
  AddFinds(text, compose::kCompositionNameFields);
  for (const compose::EmptyLineFamily* family :
       {&compose::kPositionFamily, &compose::kTelephoneFamily, &compose::kFaxFamily,
        &compose::kCellFamily}) {
    for (const compose::Replacement& pattern : family->patterns) text.append(pattern.find);
    AddFinds(text, family->fills);
    if (!family->label.find.empty()) text.append(family->label.find);
  }
  AddFinds(text, compose::kAddressFields);
  AddFinds(text, compose::kCompositionOtherFields);
  text += "<table><tr><td>[#Input your message here#]</td></tr></table>\r\n";
  while (text.size() < 20 * 1024) text += "<p style=\"margin:0\">Stationery text ACME-2</p>\r\n";
  return text + "</body></html>\r\n";
}

struct World {
  MemRegistry registry;
  Settings settings{registry};
  MemFileSystem fs;
  MemClock clock;
  MemLog log;
  ui::AnsweringHost host;  // never asked: the template holds no script and has its marker
  compose::FileListWindows windows{fs, host};
  mail::MemApplication app{&fs};
  compose::SendState state;

  explicit World(const std::string& message) {
    fs.AddFolder("C:\\Vellumo");
    fs.AddFile(kTemplatePath, Template());
    fs.AddFile("C:\\Sigs\\sig.htm", "<p>Regards,<br>[#SigFullname#]<br>[#SigTelephone#]</p>\r\n");
    auto admin = [&](std::string_view key, std::string_view value) {
      settings.SaveSetting(kVellumo, "Admin Settings", key, value);
    };
    for (auto key : {"WipeoutHTML", "WipeOutFontControl", "WipeoutBlockquote", "WipeOutFileCompare",
                     "WipeoutHardRule", "RemoveReplyTags", "WipeoutReplyFontSmall", "FormatWarning",
                     "WipeoutRemoveConvertedBR"}) {
      admin(key, "True");
    }
    admin("Signatures Path", "C:\\Sigs");
    admin("HTM Files Path", "C:\\Templates");
    admin("WipeoutHTMLBeginTag", "<table");
    admin("WipeoutHTMLEndTag", "</table>");
    admin("WipeoutHTMLTagsGroup", "TD,TR");
    for (std::span<const compose::FieldFill> fields :
         {compose::kCompositionNameFields, compose::kAddressFields,
          compose::kCompositionOtherFields}) {
      for (const compose::FieldFill& field : fields)
        admin(field.key, "Value of " + std::string(field.key));
    }
    admin("SigPosition", "Engineer");
    admin("SigTelephone", "+1 555 0100");  // fax and cell stay empty: their lines go
    for (auto key : {"WipeoutDivTag", "InsertDate", "InsertTime", "SendQuote"}) {
      settings.SaveSetting(kVellumo, "User Settings", key, "True");
    }
    settings.SaveSetting(kVellumo, "User Settings", "SendQuoteString", "Carpe diem.");
    settings.SaveSetting(kVellumo, "User Settings", "InsertString", "Sent:");
    settings.SaveSetting(kVellumo, "User Settings", "Signature", "sig.htm");
    for (int i = 1; i <= 5; ++i) {
      settings.SaveSetting(kVellumo, "Template Settings", "UserCode" + std::to_string(i),
                           "ACME-" + std::to_string(i));
      settings.SaveSetting(kVellumo, "Template Settings", "UserSwap" + std::to_string(i),
                           "Acme Ltd " + std::to_string(i));
    }
    state.CurrentItem = app.CreateMailItem();
    state.CurrentItem->SetHTMLBody(message);
    state.ApplicationPath = "C:\\Vellumo";
  }
};

void BM_CreateHTMLBody(benchmark::State& bench_state, bool reply) {
  const std::string message = Message(static_cast<size_t>(bench_state.range(0)));
  World world(message);
  world.state.IsReply = reply;
  world.state.ReplySeparator = "Quoted <b>text</b>";
  compose::Composer composer(compose::ComposeDeps{world.settings, world.fs, world.clock, world.host,
                                                  world.log, world.windows, nullptr});
  size_t out = 0;
  size_t peak_extra = 0;
  {
    // The before and after dumps are files: the first composition creates them on the in-memory
    // disk, whose bytes are no part of a composition's memory (on a real disk they are not in
    // the heap at all). Later ones rewrite them in place.
    std::string path(kTemplatePath);
    (void)composer.CreateHTMLBody(message, path, world.state);
  }
  for (auto _ : bench_state) {
    // The in-memory disk records every path read and written for tests to look at; left to
    // grow, its record's reallocations would count as the composition's memory.
    world.fs.ClearRecords();
    const size_t before = g_live.load();
    g_peak = before;
    std::string path(kTemplatePath);
    std::string result = composer.CreateHTMLBody(message, path, world.state);
    out = result.size();
    benchmark::DoNotOptimize(result);
    peak_extra = std::max(peak_extra, g_peak.load() - before);
  }
  if (!world.log.entries.empty()) bench_state.SkipWithError("the composition logged a failure");
  bench_state.SetBytesProcessed(static_cast<int64_t>(bench_state.iterations()) *
                                static_cast<int64_t>(message.size()));
  bench_state.counters["out_bytes"] = static_cast<double>(out);
  // The heap a composition takes beyond the message it is given, as a multiple of its size
  // (the result included).
  bench_state.counters["peak_x_message"] =
      static_cast<double>(peak_extra) / static_cast<double>(message.size());
  bench_state.counters["ns_per_byte"] = benchmark::Counter(
      static_cast<double>(message.size()),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  // The same per byte composed (template, signature and message): a small message's figure
  // above is mostly the 20 KB template's, which this one spreads over the bytes it made.
  bench_state.counters["ns_per_out_byte"] =
      benchmark::Counter(static_cast<double>(out), benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}

// The floor: one copy of the message and the template into a new string.
void BM_PlainCopy(benchmark::State& bench_state) {
  const std::string message = Message(static_cast<size_t>(bench_state.range(0)));
  const std::string stationery = Template();
  for (auto _ : bench_state) {
    std::string result;
    result.reserve(message.size() + stationery.size());
    result.append(stationery, 0, stationery.size() / 2).append(message);
    result.append(stationery, stationery.size() / 2);
    benchmark::DoNotOptimize(result);
  }
  bench_state.SetBytesProcessed(static_cast<int64_t>(bench_state.iterations()) *
                                static_cast<int64_t>(message.size()));
}

BENCHMARK_CAPTURE(BM_CreateHTMLBody, new_mail, false)
    ->Arg(10 * 1024)
    ->Arg(100 * 1024)
    ->Arg(1024 * 1024)
    ->Arg(10 * 1024 * 1024)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_CreateHTMLBody, reply, true)
    ->Arg(10 * 1024)
    ->Arg(100 * 1024)
    ->Arg(1024 * 1024)
    ->Arg(10 * 1024 * 1024)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_PlainCopy)
    ->Arg(10 * 1024)
    ->Arg(100 * 1024)
    ->Arg(1024 * 1024)
    ->Arg(10 * 1024 * 1024)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

}  // namespace
