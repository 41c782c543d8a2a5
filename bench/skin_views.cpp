// The skinned tree view and the skinned list view (report view, a skinned header) with their linked
// skinned bars, with 100 and with 100,000 nodes or items: a page scrolled by the vertical bar (the view
// follows, the bars are fitted again) and one page painted (which fits the bars too), both in the middle
// of the content (at:0) and at its end (at:1). Neither should
// grow with the content: each run at 100,000 prints its time beside the same benchmark's at 100 as
// x_100 (goal: within 1.5).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/PeerRatio.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/bsSkinCtrls.h"

namespace {

// A form with the test skin and two skinned bars for a view of 280 x 380 at its top left.
struct TSkinViewForm {
  TSkinViewForm() {
    setenv("XJ_DISPLAY", "headless", 0);
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 320, 420);
    skin = new TbsSkinData(form.get());
    skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
    vbar = NewBar(sbVertical, 280, 0, 18, 380);
    hbar = NewBar(sbHorizontal, 0, 380, 280, 18);
  }
  TbsSkinScrollBar* NewBar(TScrollBarKind kind, int l, int t, int w, int h) {
    auto* b = new TbsSkinScrollBar(form.get());
    b->SetParent(form.get());
    b->SetKind(kind);
    b->SetSkinDataName(kind == sbHorizontal ? "hscrollbar" : "vscrollbar");
    b->SetBounds(l, t, w, h);
    b->SetSkinData(skin);
    return b;
  }
  std::unique_ptr<TForm> form;
  TbsSkinData* skin {};
  TbsSkinScrollBar* vbar {};
  TbsSkinScrollBar* hbar {};
};

struct TSkinTreeSetup : TSkinViewForm {
  explicit TSkinTreeSetup(int n) {
    tree = new TbsSkinTreeView(form.get());
    tree->SetParent(form.get());
    tree->SetBounds(0, 0, 280, 380);
    tree->SetSkinData(skin);
    tree->SetVScrollBar(vbar);
    tree->SetHScrollBar(hbar);
    TTreeNodes* items = tree->Items();
    items->BeginUpdate();
    for (int i = 0; i < n; ++i) items->Add(nullptr, "node " + std::to_string(i));
    items->EndUpdate();
    tree->HandleNeeded();  // the scroll state lives in the window
    tree->UpDateScrollBars();
  }
  TbsSkinTreeView* View() const { return tree; }
  TbsSkinTreeView* tree {};
};

struct TSkinListSetup : TSkinViewForm {
  explicit TSkinListSetup(int n) {
    view = new TbsSkinListView(form.get());
    view->SetParent(form.get());
    view->SetBounds(0, 0, 280, 380);
    view->SetViewStyle(vsReport);
    for (const char* c : { "Line", "Duration" }) {
      TListColumn* col = view->Columns()->Add();
      col->SetCaption(c);
      col->SetWidth(120);
    }
    view->SetSkinData(skin);
    view->SetVScrollBar(vbar);
    view->SetHScrollBar(hbar);
    TListItems* items = view->Items();
    items->BeginUpdate();
    for (int i = 0; i < n; ++i) {
      TListItem* it = items->Add();
      it->SetCaption("item " + std::to_string(i));
      it->SubItems()->Add(std::to_string(i));
    }
    items->EndUpdate();
    view->HandleNeeded();
    view->UpDateScrollBars();
  }
  TbsSkinListView* View() const { return view; }
  TbsSkinListView* view {};
};

void Report(benchmark::State& state, const std::string& base, const xj::bench::LoopTimer& timer) {
  const double each = timer.NsPerIteration();
  const std::string name = base + (state.range(1) ? "/end" : "/middle");
  auto& times = xj::bench::PeerTimes();
  if (state.range(0) == 100) times[name] = each;
  const auto it = times.find(name);
  if (it != times.end() && it->second > 0) state.counters["x_100"] = each / it->second;
}

// The first position of the hundred items paged through: from the middle on, or up to the end.
int FirstPaged(TbsSkinScrollBar* bar, bool atEnd) {
  const int last = bar->Max() - bar->PageSize() + 1;
  return atEnd ? std::max(0, last - 100) : last / 2;
}

// The view's bar moved one page down within a hundred items, back to the first of them after the last.
template <class Setup>
void ScrollPageByBar(benchmark::State& state, const std::string& name) {
  Setup s(static_cast<int>(state.range(0)));
  if (!s.vbar->Visible()) state.SkipWithError("the vertical bar is not shown");
  const int from = FirstPaged(s.vbar, state.range(1) != 0);
  const int to = std::min(s.vbar->Max() - s.vbar->PageSize() + 1, from + 100);
  s.vbar->SetPosition(from);
  const xj::bench::LoopTimer timer(state);
  for (auto _ : state) {
    const int next = s.vbar->Position() + s.vbar->PageSize();
    s.vbar->SetPosition(next > to ? from : next);
  }
  if (GetScrollPos(s.View()->Handle(), SB_VERT) != s.vbar->Position()) state.SkipWithError("view and bar apart");
  Report(state, name, timer);
}

// One page painted onto a memory bitmap, scrolled to the middle or the end of the content.
template <class Setup>
void PaintPage(benchmark::State& state, const std::string& name) {
  Setup s(static_cast<int>(state.range(0)));
  s.vbar->SetPosition(state.range(1) ? s.vbar->Max() - s.vbar->PageSize() + 1 : FirstPaged(s.vbar, false));
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 280, 380);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const xj::bench::LoopTimer timer(state);
  for (auto _ : state) s.View()->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  Report(state, name, timer);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

// The n = 100 run of each place first, as Report keeps it.
void Sizes(benchmark::internal::Benchmark* b) {
  for (int at : { 0, 1 })
    for (int n : { 100, 100000 }) b->Args({ n, at });
  b->ArgNames({ "n", "at" });
}

void BM_SkinTreeScrollPageByBar(benchmark::State& state) { ScrollPageByBar<TSkinTreeSetup>(state, "scroll"); }
BENCHMARK(BM_SkinTreeScrollPageByBar)->Apply(Sizes);
void BM_SkinTreePaintPage(benchmark::State& state) { PaintPage<TSkinTreeSetup>(state, "paint"); }
BENCHMARK(BM_SkinTreePaintPage)->Apply(Sizes);
void BM_SkinListScrollPageByBar(benchmark::State& state) { ScrollPageByBar<TSkinListSetup>(state, "listscroll"); }
BENCHMARK(BM_SkinListScrollPageByBar)->Apply(Sizes);
void BM_SkinListPaintPage(benchmark::State& state) { PaintPage<TSkinListSetup>(state, "listpaint"); }
BENCHMARK(BM_SkinListPaintPage)->Apply(Sizes);

}  // namespace
