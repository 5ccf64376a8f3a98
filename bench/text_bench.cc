// Replace and text-compare InStr over 1 MB texts, the sizes the composition engine works on.

#include <benchmark/benchmark.h>

#include <string>

#include "base/text.h"

namespace {

using vellumo::text::Compare;

// About 1 MB of signature-like HTML; every line holds one %Name% placeholder.
std::string ManyMatchesText() {
  std::string text;
  while (text.size() < (1 << 20)) {
    text += "<p class=MsoNormal>Dear %Name%, thank you for your order from Ümlaut GmbH.</p>\r\n";
  }
  return text;
}

// About 1 MB of text with ten placeholders in it.
std::string FewMatchesText() {
  std::string text = ManyMatchesText();
  text = vellumo::text::Replace(text, "%Name%", "Jürgen");
  for (size_t i = 0; i < 10; ++i) text.replace(i * 100000, 6, "%Date%");
  return text;
}

void BM_ReplaceManyMatches(benchmark::State& state) {
  const std::string text = ManyMatchesText();
  for (auto _ : state) {
    benchmark::DoNotOptimize(vellumo::text::Replace(text, "%Name%", "Jürgen Müller"));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReplaceManyMatches);

void BM_ReplaceFewMatches(benchmark::State& state) {
  const std::string text = FewMatchesText();
  for (auto _ : state) {
    benchmark::DoNotOptimize(vellumo::text::Replace(text, "%Date%", "12/08/2026"));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReplaceFewMatches);

void BM_ReplaceNoMatch(benchmark::State& state) {
  const std::string text = FewMatchesText();
  for (auto _ : state) {
    benchmark::DoNotOptimize(vellumo::text::Replace(text, "%Signature%", "x"));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReplaceNoMatch);

void BM_ReplaceTextCompareManyMatches(benchmark::State& state) {
  const std::string text = ManyMatchesText();
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        vellumo::text::Replace(text, "%NAME%", "Jürgen Müller", Compare::kText));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReplaceTextCompareManyMatches);

void BM_InStrTextCompareNearTheEnd(benchmark::State& state) {
  std::string text = FewMatchesText();
  text += "<!-- END OF STATIONERY -->";
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        vellumo::text::InStr(text, "<!-- end of stationery -->", Compare::kText));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_InStrTextCompareNearTheEnd);

void BM_InStrBinaryNearTheEnd(benchmark::State& state) {
  std::string text = FewMatchesText();
  text += "<!-- END OF STATIONERY -->";
  for (auto _ : state) {
    benchmark::DoNotOptimize(vellumo::text::InStr(text, "<!-- END OF STATIONERY -->"));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_InStrBinaryNearTheEnd);

void BM_Len(benchmark::State& state) {
  const std::string text = FewMatchesText();
  for (auto _ : state) benchmark::DoNotOptimize(vellumo::text::Len(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Len);

}  // namespace
