#pragma once
// A figure's ratio to its peer, measured in the same run, for a benchmark to print beside its own
// time ("x_peer"): medians of five rounds of about 20 ms each, the two measured one after the other.

#include <time.h>

#include <algorithm>
#include <vector>

namespace xj::bench {

inline double Seconds() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Seconds per call of f.
template <class F>
double PerCall(F f) {
  double start = Seconds();
  f();
  const int n = std::max(1, int(0.02 / std::max(Seconds() - start, 1e-9)));
  std::vector<double> rounds;
  for (int r = 0; r < 5; ++r) {
    start = Seconds();
    for (int i = 0; i < n; ++i) f();
    rounds.push_back((Seconds() - start) / n);
  }
  std::sort(rounds.begin(), rounds.end());
  return rounds[2];
}

template <class F, class G>
double PeerRatio(F ours, G peer) {
  return PerCall(ours) / PerCall(peer);
}

}  // namespace xj::bench
