#pragma once
// A benchmark's time beside its peer's from the same run, printed as a counter "x_<peer>":
//   - PeerRatio(ours, peer): both measured here, one after the other (medians of five rounds of about
//     20 ms each), for peers that are a plain callable;
//   - RecordPeer / ReportAgainstPeer: a peer that is a benchmark of its own records its time per
//     iteration (or per unit of work) under a name, and a benchmark registered after it reports against it.
// Times are the thread's CPU time, so that a busy machine does not tilt the ratio; work done by another
// process is timed on the wall clock.

#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace xj::bench {

inline double CpuSeconds() {
  timespec t {};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Seconds per call of f.
template <class F>
double PerCall(F f) {
  double start = CpuSeconds();
  f();
  const int n = std::max(1, int(0.02 / std::max(CpuSeconds() - start, 1e-9)));
  std::vector<double> rounds;
  for (int r = 0; r < 5; ++r) {
    start = CpuSeconds();
    for (int i = 0; i < n; ++i) f();
    rounds.push_back((CpuSeconds() - start) / n);
  }
  std::sort(rounds.begin(), rounds.end());
  return rounds[2];
}

template <class F, class G>
double PeerRatio(F ours, G peer) {
  return PerCall(ours) / PerCall(peer);
}

inline double WallSeconds() {
  timespec t {};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// What a loop is timed by: the thread's CPU time, or the wall clock for work done outside the thread
// (another process).
enum class TimeBase { ThreadCpu, Wall };

// Started just before a benchmark's loop, read just after it.
class LoopTimer {
 public:
  explicit LoopTimer(const benchmark::State& state, TimeBase base = TimeBase::ThreadCpu)
      : FState(state), FBase(base), FStart(Now()) {}
  double NsPerIteration() const {
    const double spent = (Now() - FStart) * 1e9;
    return FState.iterations() ? spent / double(FState.iterations()) : 0.0;
  }

 private:
  double Now() const { return FBase == TimeBase::Wall ? WallSeconds() : CpuSeconds(); }
  const benchmark::State& FState;
  TimeBase FBase;
  double FStart;
};

// Nanoseconds per unit of the figures recorded so far in this run, by name.
inline std::map<std::string, double>& PeerTimes() {
  static std::map<std::string, double> times;
  return times;
}

// A loop's time per unit (per iteration unless the iteration does several units of work).
inline void RecordPeer(const std::string& name, const LoopTimer& t, double unitsPerIteration = 1) {
  PeerTimes()[name] = t.NsPerIteration() / unitsPerIteration;
}

// The ratio of this loop's time per unit to the peer's, as the counter `counter` (default x_<peer>), if the
// peer ran earlier in this run.
inline void ReportAgainstPeer(benchmark::State& state, const std::string& name, const LoopTimer& t,
                              double unitsPerIteration = 1, const std::string& counter = {}) {
  auto it = PeerTimes().find(name);
  if (it != PeerTimes().end() && it->second > 0)
    state.counters[counter.empty() ? "x_" + name : counter] = t.NsPerIteration() / unitsPerIteration / it->second;
}

}  // namespace xj::bench
