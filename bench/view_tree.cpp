// The tree view with 100 and with 100,000 nodes: adding them (per node), selecting the last node,
// scrolling one page and painting one page. The per-page costs should not grow with the content: each
// run at 100,000 prints its time beside the same benchmark's at 100 as x_100 (about 1 when the work
// is proportional to what is shown; adding should stay about 1 per node too).
// In a shown tree, one node at a time, the way a log grows, beside the same tree at 100 (goal 2):
// deleting the first node and adding one at the end (x_100_delfirst), and adding the nodes up to the
// 100,000th against those up to the 1,000th (x_1000_add).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "bench/PeerRatio.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"

namespace {

// A form holding a tree of n roots, the first ten with three children each, all expanded.
struct TTreeSetup {
  explicit TTreeSetup(int n) {
    setenv("XJ_DISPLAY", "headless", 0);
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 300, 400);
    tree = new TTreeView(form.get());
    tree->SetParent(form.get());
    tree->SetBounds(0, 0, 280, 380);
    Fill(n);
  }
  void Fill(int n) {
    TTreeNodes* items = tree->Items();
    items->BeginUpdate();
    for (int i = 0; i < n; ++i) {
      last = items->Add(nullptr, "node " + std::to_string(i));
      if (i < 10)
        for (int k = 0; k < 3; ++k) items->AddChild(last, "child " + std::to_string(k));
    }
    items->EndUpdate();
    first = items->GetFirstNode();
    tree->FullExpand();
  }
  std::unique_ptr<TForm> form;
  TTreeView* tree {};
  TTreeNode* first {};
  TTreeNode* last {};
};

// Time per iteration (per node for adding), kept per benchmark from the n = 100 run (registered first).
void Report(benchmark::State& state, const std::string& name, const xj::bench::LoopTimer& timer, int per) {
  const int n = static_cast<int>(state.range(0));
  const double each = timer.NsPerIteration() / per;
  auto& times = xj::bench::PeerTimes();
  if (n == 100) times[name] = each;
  const auto it = times.find(name);
  if (it != times.end() && it->second > 0) state.counters["x_100"] = each / it->second;
}

void BM_TreeAdd(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TTreeSetup s(0);
  const xj::bench::LoopTimer timer(state);
  for (auto _ : state) {
    s.tree->Items()->Clear();
    s.Fill(n);
  }
  state.SetItemsProcessed(state.iterations() * n);
  Report(state, "add", timer, n);
}
BENCHMARK(BM_TreeAdd)->Arg(100)->Arg(100000)->Unit(benchmark::kMillisecond);

// Selecting the last node scrolls it into view; the first one back, so each round moves twice.
void BM_TreeSelectLast(benchmark::State& state) {
  TTreeSetup s(static_cast<int>(state.range(0)));
  const xj::bench::LoopTimer timer(state);
  for (auto _ : state) {
    s.last->SetSelected(true);
    s.first->SetSelected(true);
  }
  if (!s.first->Selected()) state.SkipWithError("the first node is not selected");
  Report(state, "select", timer, 1);
}
BENCHMARK(BM_TreeSelectLast)->Arg(100)->Arg(100000);

// A page down, back to the top when the end is reached.
void BM_TreeScrollPage(benchmark::State& state) {
  TTreeSetup s(static_cast<int>(state.range(0)));
  const int top = static_cast<int>(s.tree->Perform(TVM_GETCOUNT, 0, 0)) - 1;
  const xj::bench::LoopTimer timer(state);
  for (auto _ : state) {
    s.tree->Perform(WM_VSCROLL, SB_PAGEDOWN, 0);
    if (GetScrollPos(s.tree->Handle(), SB_VERT) + 30 >= top) s.tree->Perform(WM_VSCROLL, SB_TOP, 0);
  }
  Report(state, "scroll", timer, 1);
}
BENCHMARK(BM_TreeScrollPage)->Arg(100)->Arg(100000);

// One page painted onto a memory bitmap, scrolled to the middle of the content.
void BM_TreePaintPage(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TTreeSetup s(n);
  s.tree->Perform(WM_VSCROLL, SBX_THUMBPOSITION32, n / 2);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 280, 380);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const xj::bench::LoopTimer timer(state);
  for (auto _ : state) s.tree->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  Report(state, "paint", timer, 1);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}
BENCHMARK(BM_TreePaintPage)->Arg(100)->Arg(100000);

// ---- One node at a time in a shown tree -------------------------------------------------------------

struct TShownTree : TTreeSetup {
  explicit TShownTree(int n) : TTreeSetup(n) {
    form->Show();
    Application->ProcessMessages();
  }
  void DeleteFirstAndAdd() {
    tree->Items()->Delete(tree->Items()->GetFirstNode());
    tree->Items()->Add(nullptr, "node " + std::to_string(++added));
  }
  // Seconds per node for adding the last hundred nodes; taking them away again is not timed.
  double AddHundred() {
    TTreeNode* nodes[100];
    const double start = xj::bench::CpuSeconds();
    for (TTreeNode*& node : nodes) node = tree->Items()->Add(nullptr, "node " + std::to_string(++added));
    const double spent = xj::bench::CpuSeconds() - start;
    for (int i = 99; i >= 0; --i) tree->Items()->Delete(nodes[i]);
    return spent / 100;
  }
  int added { 0 };
};

void BM_TreeDeleteFirstAndAdd(benchmark::State& state) { xj::bench::DeleteFirstAndAddRatio<TShownTree>(state); }
BENCHMARK(BM_TreeDeleteFirstAndAdd)->Unit(benchmark::kMicrosecond);

void BM_TreeAddTheLastNodes(benchmark::State& state) { xj::bench::AddTheLastRatio<TShownTree>(state); }
BENCHMARK(BM_TreeAddTheLastNodes)->Unit(benchmark::kMicrosecond);

}  // namespace
