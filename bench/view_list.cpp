// The list view with 100 and with 100,000 items, in report and in list style: adding the items (time per
// item), selecting the last item, scrolling one page and painting one page, these two in the middle of
// the items (at:0) and at their end (at:1). Each run at 100,000 prints
// its time beside the same benchmark's at 100 as x_100: about 1 when the work follows what is visible
// (per item for adding), far more when it follows the content.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/ListViewForm.h"
#include "bench/PeerRatio.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"

namespace {

// A shown form with a report (two columns) or list view of n items.
struct ListScene {
  ListScene(TViewStyle style, int n) {
    view = xj::bench::NewListViewForm(form, style);
    form->Show();
    Fill(n);
    Application->ProcessMessages();
  }
  void Fill(int n) {
    view->Items()->BeginUpdate();
    // Texts of one length at any count, so that a page of 100,000 items draws what a page of 100 does.
    char caption[32], size[32];
    for (int i = 0; i < n; ++i) {
      TListItem* item = view->Items()->Add();
      snprintf(caption, sizeof caption, "recording %06d", i);
      snprintf(size, sizeof size, "%07d KB", i * 7);
      item->SetCaption(caption);
      item->SubItems()->Add(size);
    }
    view->Items()->EndUpdate();
  }
  std::unique_ptr<TForm> form;
  TListView* view {};
};

const char* StyleName(int style) { return style == vsReport ? "report" : "list"; }

// Keeps the n = 100 time under the benchmark's name and prints the ratio to it at other n.
void Report(benchmark::State& state, const std::string& name, double ns) {
  const int n = static_cast<int>(state.range(1));
  const std::string key = name + StyleName(static_cast<int>(state.range(0))) +
                          (state.range(2) > 0    ? "/end"
                           : state.range(2) == 0 ? "/middle"
                                                 : "");
  auto& times = xj::bench::PeerTimes();
  if (n == 100) times[key] = ns;
  const auto it = times.find(key);
  if (it != times.end() && it->second > 0) state.counters["x_100"] = ns / it->second;
}

void BM_AddItems(benchmark::State& state) {
  const int n = static_cast<int>(state.range(1));
  ListScene scene(static_cast<TViewStyle>(state.range(0)), 0);
  double spent = 0;
  for (auto _ : state) {
    const double start = xj::bench::CpuSeconds();
    scene.Fill(n);
    spent += xj::bench::CpuSeconds() - start;
    state.PauseTiming();
    scene.view->Items()->Clear();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
  Report(state, "add", spent * 1e9 / double(state.iterations()) / n);
}

void BM_SelectLast(benchmark::State& state) {
  const int n = static_cast<int>(state.range(1));
  ListScene scene(static_cast<TViewStyle>(state.range(0)), n);
  TListItem* last = scene.view->Items()->Item(n - 1);
  TListItem* before = scene.view->Items()->Item(n - 2);
  const xj::bench::LoopTimer timer(state);
  bool flip = false;
  for (auto _ : state) {
    scene.view->SetSelected((flip = !flip) ? last : before);
    Application->ProcessMessages();
  }
  if (scene.view->Selected() != last && scene.view->Selected() != before) state.SkipWithError("nothing selected");
  Report(state, "select", timer.NsPerIteration());
}

// The item a page is scrolled or painted at: the middle one, or the last.
TListItem* Place(ListScene& scene, benchmark::State& state) {
  const int n = static_cast<int>(state.range(1));
  return scene.view->Items()->Item(state.range(2) ? n - 1 : n / 2);
}

// A page up and down again at the end, so that the first step does not meet the end.
void BM_ScrollPage(benchmark::State& state) {
  const int n = static_cast<int>(state.range(1));
  const auto style = static_cast<TViewStyle>(state.range(0));
  ListScene scene(style, n);
  Place(scene, state)->MakeVisible(false);
  const UINT msg = style == vsReport ? WM_VSCROLL : WM_HSCROLL;
  const xj::bench::LoopTimer timer(state);
  bool up = state.range(2) == 0;
  for (auto _ : state) {
    scene.view->Perform(msg, (up = !up) ? SB_PAGEUP : SB_PAGEDOWN, 0);
    Application->ProcessMessages();
  }
  Report(state, "scroll", timer.NsPerIteration());
}

void BM_PaintPage(benchmark::State& state) {
  const int n = static_cast<int>(state.range(1));
  ListScene scene(static_cast<TViewStyle>(state.range(0)), n);
  Place(scene, state)->MakeVisible(false);
  const xj::bench::LoopTimer timer(state);
  for (auto _ : state) scene.view->Repaint();
  Report(state, "paint", timer.NsPerIteration());
}

// at: -1 where the place does not matter, else the middle (0) or the end (1); n = 100 first.
template <int... At>
void Sizes(benchmark::internal::Benchmark* b) {
  for (int style : { vsReport, vsList })
    for (int at : { At... })
      for (int n : { 100, 100000 }) b->Args({ style, n, at });
  b->ArgNames({ "style", "n", "at" });
}

BENCHMARK(BM_AddItems)->Apply(Sizes<-1>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectLast)->Apply(Sizes<-1>)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollPage)->Apply(Sizes<0, 1>)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintPage)->Apply(Sizes<0, 1>)->Unit(benchmark::kMicrosecond);

}  // namespace
