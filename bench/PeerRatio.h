#pragma once
// A benchmark's time beside its peer's from the same run, printed as a counter "x_<peer>":
//   - PeerRatio(state, "x_<peer>", ours, peer): both measured here in alternating rounds, the median ratio
//     printed with its least and greatest (x_<peer>_min, x_<peer>_max), for peers that are a plain callable;
//   - RecordPeer / ReportAgainstPeer: a peer that is a benchmark of its own records its time per
//     iteration (or per unit of work) under a name, and a benchmark registered after it reports against it.
// Times are the thread's CPU time, so that a busy machine does not tilt the ratio; work done by another
// process is timed on the wall clock.

#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace xj::bench {

inline double CpuSeconds() {
  timespec t {};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// How many calls of f take about `seconds` of CPU time. f is called for a tenth of that to find out, not
// once: a first call may do one-off work (an update put off until then), and the rounds sized from it
// would be a few calls long, each round's figure then hanging on whether it met a rare slow call.
template <class F>
int CallsFor(F& f, double seconds) {
  const double start = CpuSeconds();
  int calls = 0;
  double spent = 0;
  do {
    f();
    ++calls;
    spent = CpuSeconds() - start;
  } while (spent < seconds / 10);
  return std::max(1, int(seconds * calls / std::max(spent, 1e-9)));
}

// Seconds per call of f, over n calls.
template <class F>
double TimeCalls(F& f, int n) {
  const double start = CpuSeconds();
  for (int i = 0; i < n; ++i) f();
  return (CpuSeconds() - start) / n;
}

// Seconds per call of f: the median of five rounds of about 20 ms.
template <class F>
double PerCall(F f) {
  const int n = CallsFor(f, 0.02);
  std::vector<double> rounds;
  for (int r = 0; r < 5; ++r) rounds.push_back(TimeCalls(f, n));
  std::sort(rounds.begin(), rounds.end());
  return rounds[2];
}

// The spread of a ratio over several rounds.
struct Ratio {
  double min = 0, median = 0, max = 0;
};

// The least, median and greatest of the rounds' ratios.
inline Ratio SpreadOf(std::vector<double> ratios) {
  std::sort(ratios.begin(), ratios.end());
  return { ratios.front(), ratios[ratios.size() / 2], ratios.back() };
}

// Our time per call over the peer's, one ratio per round of about 10 ms each, the two sides alternating
// round by round (and taking turns at going first) so that both see the same machine.
template <class F, class G>
Ratio PeerRatio(F ours, G peer, int rounds = 9) {
  const int n = CallsFor(ours, 0.01), m = CallsFor(peer, 0.01);
  std::vector<double> ratios;
  for (int r = 0; r < rounds; ++r) {
    double a, b;
    if (r % 2) {
      b = TimeCalls(peer, m);
      a = TimeCalls(ours, n);
    } else {
      a = TimeCalls(ours, n);
      b = TimeCalls(peer, m);
    }
    ratios.push_back(a / std::max(b, 1e-12));
  }
  return SpreadOf(std::move(ratios));
}

// As PeerRatio, for calls that time their own part of the work and return the seconds it took, so that
// what sets up or clears away around that part is left out: `calls` of each side a round.
template <class F, class G>
Ratio PeerRatioOfParts(F ours, G peer, int calls = 20, int rounds = 9) {
  std::vector<double> ratios;
  for (int r = 0; r < rounds; ++r) {
    double a = 0, b = 0;
    for (int i = 0; i < calls; ++i) {
      if ((r + i) % 2) {
        b += peer();
        a += ours();
      } else {
        a += ours();
        b += peer();
      }
    }
    ratios.push_back(a / std::max(b, 1e-12));
  }
  return SpreadOf(std::move(ratios));
}

// Prints a ratio as the counters <name> (the median), <name>_min and <name>_max.
inline void SetRatio(benchmark::State& state, const std::string& name, const Ratio& r) {
  state.counters[name] = r.median;
  state.counters[name + "_min"] = r.min;
  state.counters[name + "_max"] = r.max;
}

// PeerRatio printed under `name` (see SetRatio).
template <class F, class G>
Ratio PeerRatio(benchmark::State& state, const std::string& name, F ours, G peer) {
  const Ratio r = PeerRatio(ours, peer);
  SetRatio(state, name, r);
  return r;
}

// The two rows of a shown control growing to 100,000 items: deleting the first item and adding one at
// 100,000 against 100 (x_100_delfirst), and adding the last hundred up to the 100,000th against up to the
// 1,000th (x_1000_add, only the adding timed). Shown(n) holds n items and has DeleteFirstAndAdd() and
// AddHundred(), which returns the seconds per item its adding took.
template <class Shown>
void DeleteFirstAndAddRatio(benchmark::State& state) {
  Shown big(100000), small(100);
  for (auto _ : state) big.DeleteFirstAndAdd();
  PeerRatio(
      state, "x_100_delfirst", [&] { big.DeleteFirstAndAdd(); }, [&] { small.DeleteFirstAndAdd(); });
}
template <class Shown>
void AddTheLastRatio(benchmark::State& state) {
  Shown big(100000 - 100), small(1000 - 100);
  for (auto _ : state) big.AddHundred();
  SetRatio(state, "x_1000_add", PeerRatioOfParts([&] { return big.AddHundred(); }, [&] { return small.AddHundred(); }));
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
