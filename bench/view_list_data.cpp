// The OwnerData list view with 100 and with 10,000,000 rows in report view: setting the count, painting a
// page, PageDown, Ctrl+End and Shift+End (a selection of every row from the first). Each run at
// 10,000,000 prints its time beside the same benchmark's at 100 as x_100, about 1 when the work follows
// what is visible. BM_SetCount also prints added_MB: what the heap grew by from an empty view to one of
// n rows painted with every row selected.

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <memory>
#include <string>

#include "bench/ListViewForm.h"
#include "bench/PeerRatio.h"
#include "platform/testing/TestHooks.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"

namespace {

namespace xt = xj::test;

// A shown form with a focused owner-data report view of two columns and n rows.
struct DataScene {
  explicit DataScene(int n) {
    view = xj::bench::NewListViewForm(form, vsReport);
    view->SetMultiSelect(true);
    // Texts of one length at any count, so that a page of 10,000,000 rows draws what a page of 100 does.
    view->OnData = TLVOwnerDataEvent::FromCallable([this](TObject*, TListItem* item) {
      snprintf(caption, sizeof caption, "recording %08d", item->Index() % 100);
      snprintf(size, sizeof size, "%07d KB", item->Index() % 100 * 7);
      item->SetCaption(caption);
      item->SubItems()->Add(size);
    });
    view->SetOwnerData(true);
    form->Show();
    view->Items()->SetCount(n);
    view->SetFocus();
    xt::PumpUntilIdle();
  }
  ~DataScene() {
    form.reset();
    xt::PumpUntilIdle();
  }
  xt::Harness harness;  // the keys' modifiers reach the view only through the input path
  std::unique_ptr<TForm> form;
  TListView* view {};
  char caption[32] {}, size[32] {};
};

// Keeps the n = 100 time under the benchmark's name and prints the ratio to it at other n.
void Report(benchmark::State& state, const std::string& name, double ns) {
  auto& times = xj::bench::PeerTimes();
  if (state.range(0) == 100) times[name] = ns;
  const auto it = times.find(name);
  if (it != times.end() && it->second > 0) state.counters["x_100"] = ns / it->second;
}

size_t HeapInUse() { return mallinfo2().uordblks; }

// Two keys pressed in turn, each a round trip from the first back: the pair's time per iteration.
void Keys(benchmark::State& state, const char* name, UINT there, UINT back, unsigned shift) {
  DataScene scene(static_cast<int>(state.range(0)));
  xt::KeyPress(VK_HOME);
  const xj::bench::LoopTimer timer(state);
  for (auto _ : state) {
    xt::KeyPress(there, shift);
    xt::KeyPress(back, shift);
  }
  Report(state, name, timer.NsPerIteration());
}

void BM_SetCount(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  DataScene scene(0);
  const size_t before = HeapInUse();
  scene.view->Items()->SetCount(n);
  xt::KeyPress(VK_HOME);
  xt::KeyPress(VK_END, xt::ssShift);
  if (scene.view->SelCount() != n) state.SkipWithError("not every row selected");
  const double added = double(HeapInUse()) - double(before);
  scene.view->Items()->SetCount(0);
  const xj::bench::LoopTimer timer(state);
  for (auto _ : state) {
    scene.view->Items()->SetCount(n);
    scene.view->Items()->SetCount(0);
  }
  state.counters["added_MB"] = added / (1024.0 * 1024.0);
  Report(state, "count", timer.NsPerIteration());
}

void BM_PaintPage(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  DataScene scene(n);
  scene.view->Items()->Item(n - 1)->MakeVisible(false);
  const xj::bench::LoopTimer timer(state);
  for (auto _ : state) scene.view->Repaint();
  Report(state, "paint", timer.NsPerIteration());
}

void BM_PageDown(benchmark::State& state) { Keys(state, "pagedown", VK_NEXT, VK_PRIOR, xt::ssNone); }
void BM_CtrlEnd(benchmark::State& state) { Keys(state, "ctrlend", VK_END, VK_HOME, xt::ssCtrl); }
void BM_ShiftEnd(benchmark::State& state) { Keys(state, "shiftend", VK_END, VK_HOME, xt::ssShift); }

void Sizes(benchmark::internal::Benchmark* b) {
  for (int n : { 100, 10000000 }) b->Args({ n });
  b->ArgNames({ "n" });
}

BENCHMARK(BM_SetCount)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintPage)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageDown)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CtrlEnd)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShiftEnd)->Apply(Sizes)->Unit(benchmark::kMicrosecond);

}  // namespace
