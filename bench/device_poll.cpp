// One tick of the console's line watch on a 16-line box: per line the seven queries of a tick
// with a pending ring (state, hook, ring, hook, ring, caller ID, DTMF). Target: through the loaded
// library at the console's cadence (the box's clock moved on 400 ms before each tick, a manual clock
// standing in for the wait), with calls ringing on every line all the time, at most 20 times 112 calls
// of a trivial function found the same way (dlsym); the ratio is the counter x_trivial of
// BM_PollSixteenLinesThroughLibrary, the two timed in alternating rounds. Under a clock handed in every
// query takes the box's lock; BM_LockedTrivialCallsThroughDlsym shows what an uncontended lock costs by
// itself.

#include <benchmark/benchmark.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "bench/PeerRatio.h"
#include "device/KaldoApi.h"
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

// ---- Through the loaded library, beside its peer --------------------------------------------------

constexpr int kCallsPerPoll = kLines * 7;

using Trivial = int (*)(int);
using kaldo::ClockFn;

// The peer: 112 calls of a function that does nothing worth mentioning, found by dlsym.
int TrivialCalls(Trivial trivial) {
  int sum = 0;
  for (int i = 0; i < kCallsPerPoll; ++i) sum += trivial(i - 50);
  return sum;
}

Trivial FindTrivial() { return reinterpret_cast<Trivial>(dlsym(RTLD_DEFAULT, "abs")); }

void BM_TrivialCallsThroughDlsym(benchmark::State& state) {
  const Trivial trivial = FindTrivial();
  if (!trivial) return state.SkipWithError("abs not found");
  for (auto _ : state) benchmark::DoNotOptimize(TrivialCalls(trivial));
  state.SetItemsProcessed(state.iterations() * kCallsPerPoll);
}
BENCHMARK(BM_TrivialCallsThroughDlsym);

// The same calls, each under an uncontended lock.
void BM_LockedTrivialCallsThroughDlsym(benchmark::State& state) {
  const Trivial trivial = FindTrivial();
  if (!trivial) return state.SkipWithError("abs not found");
  std::mutex lock;
  auto locked = [&] {
    int sum = 0;
    for (int i = 0; i < kCallsPerPoll; ++i) {
      std::lock_guard guard(lock);
      sum += trivial(i - 50);
    }
    benchmark::DoNotOptimize(sum);
  };
  for (auto _ : state) locked();
  state.SetItemsProcessed(state.iterations() * kCallsPerPoll);
  xj::bench::PeerRatio(state, "x_trivial", locked, [&] { benchmark::DoNotOptimize(TrivialCalls(trivial)); });
}
BENCHMARK(BM_LockedTrivialCallsThroughDlsym);

template <class F>
F Find(void* lib, const char* name) {
  return reinterpret_cast<F>(dlsym(lib, name));
}

// build/lib/libkaldo.so, seen from build/bench/.
std::string LibraryPath() {
  char exe[4096];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return "libkaldo.so";
  std::string path(exe, static_cast<size_t>(n));
  return path.substr(0, path.rfind('/')) + "/../lib/libkaldo.so";
}

// The console's clock, moved on by hand: one tick of the line poll at a time.
constexpr uint64_t kTickMs = 400;
// A caller gives up after six bursts, five seconds apart: a fresh call arrives on every line then.
constexpr int kTicksPerCall = 75;
uint64_t gConsoleMs = 1000000;
uint64_t ConsoleClock(void*) { return gConsoleMs; }

// The console's way: the operations found in libkaldo.so by dlsym, one tick every 400 ms of box time,
// calls ringing on every line.
void BM_PollSixteenLinesThroughLibrary(benchmark::State& state) {
  const Trivial trivial = FindTrivial();
  ::setenv("KALDO_CONTROL", "", 1);  // no control socket for this box
  void* lib = dlopen(LibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib || !trivial) return state.SkipWithError(lib ? "abs not found" : dlerror());
  using Fn0 = int32_t (*)();
  using Fn1 = int32_t (*)(int32_t);
  using FnText = int32_t (*)(int32_t, char*);
  using FnCommand = int32_t (*)(const char*, char*, int32_t);
  Find<void (*)()>(lib, "KaldoReset")();
  Find<void (*)(ClockFn, void*)>(lib, "KaldoSetClock")(&ConsoleClock, nullptr);
  Find<void (*)(const char*)>(lib, "KaldoSetScenario")("lines 16\n");
  Find<Fn0>(lib, "DevOpen")();
  Find<Fn1>(lib, "DevSetDeviceType")(1);
  const Fn1 lineState = Find<Fn1>(lib, "DevGetLineState"), hook = Find<Fn1>(lib, "DevGetHookState"),
            ring = Find<Fn1>(lib, "DevGetRing");
  const FnText callerId = Find<FnText>(lib, "DevGetCallerId"), dtmf = Find<FnText>(lib, "DevGetDtmf");
  const FnCommand command = Find<FnCommand>(lib, "KaldoCommand");
  int64_t rings = 0, ids = 0, ticks = 0;
  auto tick = [&] {
    if (ticks++ % kTicksPerCall == 0) command("call * 13800138000", nullptr, 0);
    gConsoleMs += kTickMs;
    char buf[kaldo::kTextBufferSize];
    int32_t sum = 0;
    for (int i = 0; i < kLines; ++i) {
      const int32_t r = ring(i), id = callerId(i, buf);
      rings += r;
      ids += id > 0;
      sum += lineState(i) + hook(i) + r + hook(i) + ring(i) + id + dtmf(i, buf);
    }
    benchmark::DoNotOptimize(sum);
  };
  for (auto _ : state) tick();
  state.SetItemsProcessed(state.iterations() * kCallsPerPoll);
  xj::bench::PeerRatio(state, "x_trivial", tick, [&] { benchmark::DoNotOptimize(TrivialCalls(trivial)); });
  // Proof that the box rang: the bursts and caller IDs the lines reported, per line and 30 s call.
  const double calls = double(ticks) / kTicksPerCall * kLines;
  state.counters["rings_per_call"] = double(rings) / calls;
  state.counters["ids_per_call"] = double(ids) / calls;
  Find<Fn0>(lib, "DevClose")();
  Find<void (*)(ClockFn, void*)>(lib, "KaldoSetClock")(nullptr, nullptr);
  Find<void (*)()>(lib, "KaldoReset")();
  dlclose(lib);
}
BENCHMARK(BM_PollSixteenLinesThroughLibrary);

}  // namespace
