// Listing and reading INI files of many sections and keys, each beside the cost of parsing the same
// text. Every figure should grow with the input as its parse does (ten times the names, ten times the
// time), at 1,000, 10,000 and 100,000 names.
//
// Compare BM_ReadSections, BM_ReadSection and BM_ReadEveryKey with BM_Parse of the same size.

#include <benchmark/benchmark.h>

#include <string>

#include "platform/win32/Profile.h"

namespace {

// N sections of one key each, then one section of N keys.
std::string Text(int N) {
  std::string text;
  for (int i = 0; i < N; ++i) text += "[Section" + std::to_string(i) + "]\r\nk=" + std::to_string(i) + "\r\n";
  text += "[Keys]\r\n";
  for (int i = 0; i < N; ++i) text += "Key" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
  return text;
}

// Each iteration parses the text of state.range(0) names and runs Read on the document.
template <class F>
void OnParsed(benchmark::State& state, F Read) {
  const std::string text = Text(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    xj::TIniDocument doc;
    doc.Parse(text);
    Read(doc);
  }
}

void BM_Parse(benchmark::State& state) {
  OnParsed(state, [](const xj::TIniDocument& doc) { benchmark::DoNotOptimize(doc); });
}
BENCHMARK(BM_Parse)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ReadSections(benchmark::State& state) {
  OnParsed(state, [](const xj::TIniDocument& doc) { benchmark::DoNotOptimize(doc.SectionNames()); });
}
BENCHMARK(BM_ReadSections)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ReadSection(benchmark::State& state) {
  OnParsed(state, [](const xj::TIniDocument& doc) { benchmark::DoNotOptimize(doc.KeyNames("keys")); });
}
BENCHMARK(BM_ReadSection)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Each key of the big section read by name, as a skin's record list is.
void BM_ReadEveryKey(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::string value;
  OnParsed(state, [&](const xj::TIniDocument& doc) {
    for (int i = 0; i < n; ++i) doc.ReadString("Keys", "key" + std::to_string(i), value);
  });
}
BENCHMARK(BM_ReadEveryKey)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
