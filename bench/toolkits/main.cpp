// The skinned form of 100 controls (bench/SkinForm.h, on the headless display) beside the same window in
// a toolkit a user might pick instead (bench/toolkits/Peer.h, drawn off screen into an image); built once
// per toolkit found, as toolkits_gtk and toolkits_qt. Each benchmark's loop times our side; the counter
// x_<toolkit> is our time over the toolkit's, the median of rounds alternating between the two, with its
// least and greatest; <toolkit>_ms is the toolkit's own time per call.
//   - BM_FirstPaint: the window and its 100 controls created, laid out and painted once (closed untimed).
//     Both sides' looks are loaded before: the skin into a skin data component the forms share.
//   - BM_Repaint: the open window painted whole again.
//   - BM_LookSwitch: the open window switched to its other look and painted in it: our test skin and
//     second skin loaded from their files by turns, as a skin switch is done; the toolkit's two looks,
//     made once, swapped (GTK's parsed style providers; Qt's style sheets, parsed again when set).

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/PeerRatio.h"
#include "bench/SkinForm.h"
#include "bench/toolkits/Peer.h"

namespace {

using xj::bench::PeerToolkit;
using xj::bench::SkinForm;

// The toolkit, started on first use (neither toolkit can be started twice) and closed by main, before the
// exit handlers: Qt's windows cannot be destroyed once its own statics are gone.
std::unique_ptr<PeerToolkit>& PeerHeld() {
  static std::unique_ptr<PeerToolkit> peer;
  return peer;
}
PeerToolkit& Peer() {
  if (!PeerHeld()) PeerHeld() = xj::bench::StartPeerToolkit();
  return *PeerHeld();
}

std::string Counter() { return std::string("x_") + xj::bench::PeerToolkitName(); }

// False, with the benchmark skipped, when either side cannot be measured honestly.
bool Ready(benchmark::State& state, SkinForm& ours) {
  const std::string problem = Peer().Problem();
  if (!problem.empty()) {
    state.SkipWithError(problem.c_str());
    return false;
  }
  if (!ours.Skinned()) {
    state.SkipWithError("the controls do not show the test skin");
    return false;
  }
  if (!Peer().ShowsLook()) {
    state.SkipWithError("the toolkit's window does not show its look");
    return false;
  }
  return true;
}

void SetPeerTime(benchmark::State& state, double seconds) {
  state.counters[std::string(xj::bench::PeerToolkitName()) + "_ms"] = seconds * 1e3;
}

void BM_FirstPaint(benchmark::State& state) {
  // The skin the forms share, loaded once.
  TbsSkinData skin(nullptr);
  skin.LoadFromFile(xj::bench::kTestSkinIni);
  {
    SkinForm probe(true, &skin);
    if (!Ready(state, probe)) return;
  }
  for (auto _ : state) {
    auto form = std::make_unique<SkinForm>(true, &skin);
    state.PauseTiming();
    form.reset();
    state.ResumeTiming();
  }
  auto ours = [&] {
    const double start = xj::bench::CpuSeconds();
    auto form = std::make_unique<SkinForm>(true, &skin);
    return xj::bench::CpuSeconds() - start;
  };
  xj::bench::SetRatio(state, Counter(),
                      xj::bench::PeerRatioOfParts(
                          ours, [] { return Peer().FirstPaint(); }, 4));
  double peer = 0;
  for (int i = 0; i < 5; ++i) peer += Peer().FirstPaint();
  SetPeerTime(state, peer / 5);
}
BENCHMARK(BM_FirstPaint)->Unit(benchmark::kMillisecond);

void BM_Repaint(benchmark::State& state) {
  SkinForm ours;
  ours.Repaint();
  if (!Ready(state, ours)) return;
  for (auto _ : state) ours.Repaint();
  xj::bench::PeerRatio(
      state, Counter(), [&] { ours.Repaint(); }, [] { Peer().Repaint(); });
  SetPeerTime(state, xj::bench::PerCall([] { Peer().Repaint(); }));
}
BENCHMARK(BM_Repaint)->Unit(benchmark::kMillisecond);

void BM_LookSwitch(benchmark::State& state) {
  SkinForm ours;
  if (!Ready(state, ours)) return;
  Peer().SwitchLook();
  const bool switched = Peer().ShowsLook();
  Peer().SwitchLook();
  if (!switched || !Peer().ShowsLook()) {
    state.SkipWithError("the toolkit's window does not show each look after a switch to it");
    return;
  }
  for (auto _ : state) ours.Switch();
  xj::bench::PeerRatio(
      state, Counter(), [&] { ours.Switch(); }, [] { Peer().SwitchLook(); });
  SetPeerTime(state, xj::bench::PerCall([] { Peer().SwitchLook(); }));
}
BENCHMARK(BM_LookSwitch)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PeerHeld().reset();
  return 0;
}
