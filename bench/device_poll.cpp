// One tick of the console's line watch on a 16-line box: per line the seven queries of a tick
// with a pending ring (state, hook, ring, hook, ring, caller ID, DTMF). Target: through the loaded
// library, at most 5 times 112 calls of a trivial function found the same way (dlsym); the ratio is
// the counter x_trivial of BM_PollSixteenLinesThroughLibrary, beside its peer BM_TrivialCallsThroughDlsym.
// BM_LockedTrivialCallsThroughDlsym shows the floor of a box that any thread may call: the uncontended
// lock each operation takes costs several trivial calls by itself.

#include <benchmark/benchmark.h>

#include <dlfcn.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

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

// Nanoseconds per iteration of the peer, as last measured in this run.
double gTrivialNs = 0;

// Wall time per iteration of the loop body, measured around the whole loop.
double NowNs() {
  timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) * 1e9 + static_cast<double>(ts.tv_nsec);
}

template <class Body>
double NsPerIteration(benchmark::State& state, Body&& body) {
  const double start = NowNs();
  for (auto _ : state) body();
  const double took = NowNs() - start;
  return state.iterations() ? took / static_cast<double>(state.iterations()) : 0;
}

// The floor: 112 calls of a function that does nothing worth mentioning, found by dlsym.
void BM_TrivialCallsThroughDlsym(benchmark::State& state) {
  auto* trivial = reinterpret_cast<int (*)(int)>(dlsym(RTLD_DEFAULT, "abs"));
  if (!trivial) return state.SkipWithError("abs not found");
  gTrivialNs = NsPerIteration(state, [&] {
    int sum = 0;
    for (int i = 0; i < kCallsPerPoll; ++i) sum += trivial(i - 50);
    benchmark::DoNotOptimize(sum);
  });
  state.SetItemsProcessed(state.iterations() * kCallsPerPoll);
}
BENCHMARK(BM_TrivialCallsThroughDlsym);

// The floor for a box that any thread may call: the same calls, each under an uncontended lock.
void BM_LockedTrivialCallsThroughDlsym(benchmark::State& state) {
  auto* trivial = reinterpret_cast<int (*)(int)>(dlsym(RTLD_DEFAULT, "abs"));
  if (!trivial) return state.SkipWithError("abs not found");
  std::mutex lock;
  const double ns = NsPerIteration(state, [&] {
    int sum = 0;
    for (int i = 0; i < kCallsPerPoll; ++i) {
      std::lock_guard guard(lock);
      sum += trivial(i - 50);
    }
    benchmark::DoNotOptimize(sum);
  });
  state.SetItemsProcessed(state.iterations() * kCallsPerPoll);
  if (gTrivialNs > 0) state.counters["x_trivial"] = ns / gTrivialNs;
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

// The console's way: the operations found in libkaldo.so by dlsym, on a box standing still in time.
void BM_PollSixteenLinesThroughLibrary(benchmark::State& state) {
  ::setenv("KALDO_CONTROL", "", 1);  // no control socket for this box
  void* lib = dlopen(LibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib) return state.SkipWithError(dlerror());
  using Fn0 = int32_t (*)();
  using Fn1 = int32_t (*)(int32_t);
  using FnText = int32_t (*)(int32_t, char*);
  Find<void (*)()>(lib, "KaldoReset")();
  Find<void (*)(const char*)>(lib, "KaldoSetScenario")("lines 16\n");
  Find<void (*)(uint64_t(*)(void*), void*)>(lib, "KaldoSetClock")(&FixedClock, nullptr);
  Find<Fn0>(lib, "DevOpen")();
  Find<Fn1>(lib, "DevSetDeviceType")(1);
  const Fn1 lineState = Find<Fn1>(lib, "DevGetLineState"), hook = Find<Fn1>(lib, "DevGetHookState"),
            ring = Find<Fn1>(lib, "DevGetRing");
  const FnText callerId = Find<FnText>(lib, "DevGetCallerId"), dtmf = Find<FnText>(lib, "DevGetDtmf");
  const double ns = NsPerIteration(state, [&] {
    char buf[kaldo::kTextBufferSize];
    int32_t sum = 0;
    for (int i = 0; i < kLines; ++i)
      sum += lineState(i) + hook(i) + ring(i) + hook(i) + ring(i) + callerId(i, buf) + dtmf(i, buf);
    benchmark::DoNotOptimize(sum);
  });
  state.SetItemsProcessed(state.iterations() * kCallsPerPoll);
  if (gTrivialNs > 0) state.counters["x_trivial"] = ns / gTrivialNs;
  Find<Fn0>(lib, "DevClose")();
  Find<void (*)()>(lib, "KaldoReset")();
  dlclose(lib);
}
BENCHMARK(BM_PollSixteenLinesThroughLibrary);

}  // namespace
