// Start-up to first paint, headless: the console (build/bin/xunjian) started with XJ_EXIT_AFTER=1, so
// that it ends at the first timer after its forms have painted (paints go before timers), beside the
// floor every program with text pays: a bare process that initialises fontconfig and FreeType, matches
// the console's face and draws one string (build/bench/text_floor, bench/floor/text_floor.cpp). Both are child
// processes of this benchmark, started in alternating rounds, each timed by the CPU time the child used (x_floor, the
// ratio per round: goal 2x) and by the wall clock (ms); max_rss_kb is each one's peak memory.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/PeerRatio.h"

namespace {

// build/bin/xunjian, seen from build/bench/.
std::string ConsolePath() {
  char exe[4096];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return "xunjian";
  std::string path(exe, size_t(n));
  return path.substr(0, path.rfind('/')) + "/../bin/xunjian";
}

struct Run {
  double cpu = 0, wall = 0;  // seconds
  long rssKb = 0;
  bool ok = false;
};

// build/bench/<name>: this program's folder.
std::string Beside(const std::string& name) {
  const std::string self = ConsolePath();
  return self.substr(0, self.rfind("/bin/")) + "/bench/" + name;
}

// The console, or the floor (build/bench/text_floor).
Run Start(bool console) {
  const double start = xj::bench::WallSeconds();
  pid_t pid = fork();
  if (pid == 0) {
    setenv("XJ_DISPLAY", "headless", 1);
    setenv("XJ_AUDIO", "null", 1);
    setenv("KALDO_CONTROL", "", 1);  // no control socket of its own
    if (console) {
      setenv("XJ_EXIT_AFTER", "1", 1);
      const std::string path = ConsolePath();
      execl(path.c_str(), "xunjian", static_cast<char*>(nullptr));
    } else {
      const std::string path = Beside("text_floor");
      execl(path.c_str(), "text_floor", static_cast<char*>(nullptr));
    }
    _exit(127);
  }
  int status = 0;
  rusage use {};
  Run r;
  if (pid < 0 || wait4(pid, &status, 0, &use) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return r;
  r.wall = xj::bench::WallSeconds() - start;
  r.cpu =
      double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) + double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) * 1e-6;
  r.rssKb = use.ru_maxrss;
  r.ok = true;
  return r;
}

void BM_ConsoleToFirstPaint(benchmark::State& state) {
  std::vector<double> ratios;
  Run console, floor;
  double consoleWall = 0, floorWall = 0;
  for (auto _ : state) {
    // Taking turns at going first, so that neither always finds the caches warm.
    const bool consoleFirst = ratios.size() % 2 == 0;
    if (consoleFirst) console = Start(true);
    floor = Start(false);
    if (!consoleFirst) console = Start(true);
    if (!console.ok || !floor.ok) return state.SkipWithError(console.ok ? "the floor failed" : "the console failed");
    ratios.push_back(console.cpu / std::max(floor.cpu, 1e-6));
    consoleWall += console.wall;
    floorWall += floor.wall;
  }
  std::sort(ratios.begin(), ratios.end());
  xj::bench::SetRatio(state, "x_floor", { ratios.front(), ratios[ratios.size() / 2], ratios.back() });
  state.counters["console_ms"] = consoleWall / double(ratios.size()) * 1e3;
  state.counters["floor_ms"] = floorWall / double(ratios.size()) * 1e3;
  state.counters["console_rss_kb"] = double(console.rssKb);
  state.counters["floor_rss_kb"] = double(floor.rssKb);
}
BENCHMARK(BM_ConsoleToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(21);

}  // namespace
