// The SQLite registry: reading a setting on a warm store (the add-in reads dozens at every
// send), writing one, and importing a 10,000-value registry file.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "base/text.h"
#include "common/settings/settings.h"
#include "platform/mem_registry.h"
#include "platform/reg_file.h"
#include "posix/sqlite_registry.h"
#include "tests/support/scoped_temp_dir.h"

namespace vellumo {
namespace {

constexpr int kSections = 20;
constexpr int kKeysPerSection = 50;

std::string Section(int i) { return "Section " + std::to_string(i); }
std::string KeyName(int i) { return "SettingKey" + std::to_string(i); }

// A store shaped like the settings: a thousand values in twenty sections.
void Fill(Registry& registry) {
  std::vector<RegOp> ops;
  for (int s = 0; s < kSections; ++s) {
    for (int k = 0; k < kKeysPerSection; ++k) {
      ops.push_back({RegOp::Kind::kSetValue, Settings::KeyPath(kVellumo, Section(s)), KeyName(k),
                     RegValue::String("value of " + KeyName(k))});
    }
  }
  registry.Apply(ops);
}

// Readers ask for key after key of one section, then move on: the pattern of the add-in.
void GetValues(benchmark::State& state, Registry& registry) {
  std::vector<std::string> sections;
  std::vector<std::string> keys;
  for (int s = 0; s < kSections; ++s) sections.push_back(Settings::KeyPath(kVellumo, Section(s)));
  for (int k = 0; k < kKeysPerSection; ++k) keys.push_back(KeyName(k));
  size_t i = 0;
  for (auto _ : state) {
    const size_t section = (i / keys.size()) % sections.size();
    auto value = registry.GetValue(sections[section], keys[i % keys.size()]);
    benchmark::DoNotOptimize(value);
    if (!value) state.SkipWithError("value missing");
    ++i;
  }
}

void BM_SqliteGetValue(benchmark::State& state) {
  test_support::ScopedTempDir folder("vellumo-bench");
  SqliteRegistry registry((folder / "registry.db").string());
  Fill(registry);
  GetValues(state, registry);
}
BENCHMARK(BM_SqliteGetValue)->Repetitions(9)->ReportAggregatesOnly(true);

// Every read from another key than the last one: no help from the last-key memo.
void BM_SqliteGetValueAlternatingKeys(benchmark::State& state) {
  test_support::ScopedTempDir folder("vellumo-bench");
  SqliteRegistry registry((folder / "registry.db").string());
  Fill(registry);
  const std::string a = Settings::KeyPath(kVellumo, Section(1));
  const std::string b = Settings::KeyPath(kVellumo, Section(2));
  int i = 0;
  for (auto _ : state) {
    auto value = registry.GetValue((i & 1) ? a : b, KeyName(i % kKeysPerSection));
    benchmark::DoNotOptimize(value);
    ++i;
  }
}
BENCHMARK(BM_SqliteGetValueAlternatingKeys)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_SqliteGetMissingValue(benchmark::State& state) {
  test_support::ScopedTempDir folder("vellumo-bench");
  SqliteRegistry registry((folder / "registry.db").string());
  Fill(registry);
  const std::string section = Settings::KeyPath(kVellumo, Section(3));
  for (auto _ : state) {
    auto value = registry.GetValue(section, "NoSuchKey");
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_SqliteGetMissingValue)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_MemGetValue(benchmark::State& state) {
  MemRegistry registry;
  Fill(registry);
  GetValues(state, registry);
}
BENCHMARK(BM_MemGetValue);

// One committed, synced transaction per write.
void BM_SqliteSetValue(benchmark::State& state) {
  test_support::ScopedTempDir folder("vellumo-bench");
  SqliteRegistry registry((folder / "registry.db").string());
  Fill(registry);
  const std::string section = Settings::KeyPath(kVellumo, Section(4));
  int i = 0;
  for (auto _ : state) {
    registry.SetValue(section, KeyName(i % kKeysPerSection), RegValue::String(std::to_string(i)));
    ++i;
  }
}
BENCHMARK(BM_SqliteSetValue)->Unit(benchmark::kMicrosecond);

std::string TenThousandValueFile() {
  std::string file = "Windows Registry Editor Version 5.00\r\n\r\n";
  for (int key = 0; key < 100; ++key) {
    file += "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Vellumo\\Imported " +
            std::to_string(key) + "]\r\n";
    for (int value = 0; value < 100; ++value) {
      switch (value % 4) {
        case 0:
          file += "\"Text" + std::to_string(value) + "\"=\"C:\\\\Program Files\\\\x\"\r\n";
          break;
        case 1:
          file += "\"Number" + std::to_string(value) + "\"=dword:0000002a\r\n";
          break;
        case 2:
          file += "\"Binary" + std::to_string(value) +
                  "\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,\\\r\n"
                  "  15,16,17,18\r\n";
          break;
        default:
          file += "\"Switch" + std::to_string(value) + "\"=\"True\"\r\n";
      }
    }
  }
  return "\xFF\xFE" + text::Utf8ToUtf16Le(file);
}

void BM_ParseRegFile10k(benchmark::State& state) {
  const std::string file = TenThousandValueFile();
  for (auto _ : state) {
    auto ops = ParseRegFile(file, "big.reg");
    benchmark::DoNotOptimize(ops);
  }
}
BENCHMARK(BM_ParseRegFile10k)->Unit(benchmark::kMillisecond);

// Parse, then one transaction into a fresh registry file.
void BM_SqliteImportRegFile10k(benchmark::State& state) {
  const std::string file = TenThousandValueFile();
  for (auto _ : state) {
    state.PauseTiming();
    {
      test_support::ScopedTempDir folder("vellumo-bench");
      SqliteRegistry registry((folder / "registry.db").string());
      state.ResumeTiming();
      ImportRegFile(registry, file, "big.reg");
      state.PauseTiming();
      if (registry.Values(Settings::KeyPath(kVellumo, "Imported 99")).size() != 100) {
        state.SkipWithError("import incomplete");
      }
    }
    state.ResumeTiming();
  }
}
BENCHMARK(BM_SqliteImportRegFile10k)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace vellumo
