// One tick of the console's line watch on a 16-line box: per line the seven queries of a tick
// with a pending ring (state, hook, ring, hook, ring, caller ID, DTMF). Target: under 20 us.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "device/KaldoSim.h"

namespace {

constexpr int kLines = 16;

uint64_t FixedClock(void*) { return 5000; }

int32_t PollAll(kaldo::Box& box) {
  char buf[kaldo::kTextBufferSize];
  int32_t sum = 0;
  for (int i = 0; i < kLines; ++i) {
    sum += box.DevGetLineState(i);
    sum += box.DevGetHookState(i);
    sum += box.DevGetRing(i);
    sum += box.DevGetHookState(i);
    sum += box.DevGetRing(i);
    sum += box.DevGetCallerId(i, buf);
    sum += box.DevGetDtmf(i, buf);
  }
  return sum;
}

void Prepare(kaldo::Box& box) {
  box.Command("lines 16");
  box.DevOpen();
  box.DevSetDeviceType(1);
}

// Under a manual clock that stands still: the cost of the calls themselves.
void BM_PollSixteenLines(benchmark::State& state) {
  kaldo::Box box;
  box.SetClock(&FixedClock, nullptr);
  Prepare(box);
  for (auto _ : state) benchmark::DoNotOptimize(PollAll(box));
  state.SetItemsProcessed(state.iterations() * kLines * 7);
}
BENCHMARK(BM_PollSixteenLines);

// On the real clock, with calls ringing on every line: the catch-up work is included.
void BM_PollSixteenLinesRinging(benchmark::State& state) {
  kaldo::Box box;
  Prepare(box);
  box.Command("call * 13800138000");
  for (auto _ : state) benchmark::DoNotOptimize(PollAll(box));
  state.SetItemsProcessed(state.iterations() * kLines * 7);
}
BENCHMARK(BM_PollSixteenLinesRinging);

// On the real clock while line 0 records: audio is generated and written as time passes.
void BM_PollSixteenLinesRecording(benchmark::State& state) {
  std::string path = "/tmp/kaldo-bench-" + std::to_string(::getpid()) + ".wav";
  {
    kaldo::Box box;
    Prepare(box);
    box.DevStartRecord(0, path.c_str(), 0x0FFFFFFF);
    for (auto _ : state) benchmark::DoNotOptimize(PollAll(box));
    state.SetItemsProcessed(state.iterations() * kLines * 7);
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_PollSixteenLinesRecording);

}  // namespace
