#pragma once
// Puts a benchmark's time beside its peer's from the same run: the peer records its time per iteration
// under a name, and a benchmark measured against it reports its own time as a multiple of the peer's
// in the counter "x_<name>". Register the peer first: benchmarks run in registration order. Times are
// the thread's CPU time, so that a busy machine does not tilt the ratio.

#include <benchmark/benchmark.h>

#include <time.h>

#include <map>
#include <string>

namespace bench {

// Started just before a benchmark's loop, read just after it.
class LoopTimer {
 public:
  explicit LoopTimer(const benchmark::State& state) : FState(state) {}
  double NsPerIteration() const {
    double spent = NowNs() - FStart;
    return FState.iterations() ? spent / double(FState.iterations()) : 0.0;
  }

 private:
  static double NowNs() {
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e9 + double(t.tv_nsec);
  }

  const benchmark::State& FState;
  double FStart { NowNs() };
};

inline std::map<std::string, double>& PeerTimes() {
  static std::map<std::string, double> times;
  return times;
}

inline void RecordPeer(const std::string& name, const LoopTimer& t) { PeerTimes()[name] = t.NsPerIteration(); }

inline void ReportAgainstPeer(benchmark::State& state, const std::string& name, const LoopTimer& t) {
  auto it = PeerTimes().find(name);
  if (it != PeerTimes().end() && it->second > 0) state.counters["x_" + name] = t.NsPerIteration() / it->second;
}

}  // namespace bench
