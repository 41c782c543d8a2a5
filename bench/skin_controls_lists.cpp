// The skinned lists and memo with 100,000 items or lines beside the same with 100, each printing its ratio
// to the small one as x_100 (the goal: flat per-page cost, at most 1.5):
//   - one page scrolled through the skinned bar, then painted, for the list box, the check list box and
//     the memo, paging through the hundred items from the middle (at:0) or the hundred up to the end
//     (at:1) and starting over there;
//   - checking an item (the item repainted at once) in the check list box.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/PeerRatio.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinCtrls_scrollbar.h"

namespace {

const std::string kTestSkin = std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini";

// A shown form with the test skin, a list box, a check list box and a memo with its bar, each holding N
// items or lines.
struct Scene {
  explicit Scene(int N) {
    setenv("XJ_DISPLAY", "headless", 0);
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 640, 360);
    auto* skin = new TbsSkinData(form.get());
    skin->LoadFromFile(kTestSkin);
    list = new TbsSkinListBox(form.get());
    check = new TbsSkinCheckListBox(form.get());
    memo = new TbsSkinMemo(form.get());
    bar = new TbsSkinScrollBar(form.get());
    int x = 10;
    for (TControl* c : { static_cast<TControl*>(list), static_cast<TControl*>(check), static_cast<TControl*>(memo) }) {
      c->SetParent(form.get());
      c->SetBounds(x, 10, 180, 240);
      x += 200;
    }
    bar->SetParent(form.get());
    bar->SetKind(sbVertical);
    bar->SetBounds(600, 10, 16, 240);
    memo->SetVScrollBar(bar);
    AnsiString text;
    list->Items()->BeginUpdate();
    check->Items()->BeginUpdate();
    for (int i = 0; i < N; ++i) {
      const AnsiString line = AnsiString("item ") + std::to_string(i).c_str();
      list->Items()->Add(line);
      check->Items()->Add(line);
      text += line + "\r\n";
    }
    list->Items()->EndUpdate();
    check->Items()->EndUpdate();
    memo->SetText(text);
    list->SetSkinData(skin);
    check->SetSkinData(skin);
    memo->SetSkinData(skin);
    form->Show();
    Application->ProcessMessages();
  }
  // Down one page through the bar within a hundred items: from the middle on, or up to the end; back to
  // the first of them after the last.
  static void Page(TbsSkinScrollBar* b, TWinControl* painted, bool atEnd) {
    const int last = b->Max() - b->PageSize() + 1;
    const int from = atEnd ? std::max(0, last - 100) : last / 2;
    const int next = b->Position() + b->PageSize();
    b->SetPosition(next < from || next > std::min(last, from + 100) ? from : next);
    painted->Repaint();
  }
  void ListPage(bool atEnd) { Page(list->ScrollBar(), list->ListBox(), atEnd); }
  void CheckPage(bool atEnd) { Page(check->ScrollBar(), check->ListBox(), atEnd); }
  void MemoPage(bool atEnd) { Page(bar, memo, atEnd); }
  void Check() { check->SetChecked(3, !check->Checked(3)); }

  std::unique_ptr<TForm> form;
  TbsSkinListBox* list {};
  TbsSkinCheckListBox* check {};
  TbsSkinMemo* memo {};
  TbsSkinScrollBar* bar {};
};

template <class Step>
void Run(benchmark::State& state, Step step) {
  Scene big(100000), small(100);
  for (auto _ : state) step(big);
  xj::bench::PeerRatio(
      state, "x_100", [&] { step(big); }, [&] { step(small); });
}

template <void (Scene::*Page)(bool)>
void RunPage(benchmark::State& state) {
  const bool atEnd = state.range(0) != 0;
  Run(state, [atEnd](Scene& s) { (s.*Page)(atEnd); });
}

void BM_ListBoxPage(benchmark::State& state) { RunPage<&Scene::ListPage>(state); }
void BM_CheckListBoxPage(benchmark::State& state) { RunPage<&Scene::CheckPage>(state); }
void BM_MemoPage(benchmark::State& state) { RunPage<&Scene::MemoPage>(state); }
void BM_CheckItem(benchmark::State& state) {
  Run(state, [](Scene& s) { s.Check(); });
}
BENCHMARK(BM_ListBoxPage)->ArgName("at")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CheckListBoxPage)->ArgName("at")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemoPage)->ArgName("at")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CheckItem)->Unit(benchmark::kMicrosecond);

}  // namespace
