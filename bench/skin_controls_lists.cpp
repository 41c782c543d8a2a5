// The skinned lists and memo with 100,000 items or lines beside the same with 100, each printing its ratio
// to the small one as x_100 (the goal: flat per-page cost, at most 1.5):
//   - one page scrolled through the skinned bar, then painted, for the list box, the check list box and
//     the memo;
//   - checking an item (the item repainted at once) in the check list box.

#include <benchmark/benchmark.h>

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
  // Down one page through the bar, wrapping to the top after the first hundred items.
  static void Page(TbsSkinScrollBar* b, TWinControl* painted) {
    const int next = b->Position() + b->PageSize();
    b->SetPosition(next > 100 - b->PageSize() ? 0 : next);
    painted->Repaint();
  }
  void ListPage() { Page(list->ScrollBar(), list->ListBox()); }
  void CheckPage() { Page(check->ScrollBar(), check->ListBox()); }
  void MemoPage() { Page(bar, memo); }
  void Check() { check->SetChecked(3, !check->Checked(3)); }

  std::unique_ptr<TForm> form;
  TbsSkinListBox* list {};
  TbsSkinCheckListBox* check {};
  TbsSkinMemo* memo {};
  TbsSkinScrollBar* bar {};
};

template <void (Scene::*Step)()>
void Run(benchmark::State& state) {
  Scene big(100000), small(100);
  for (auto _ : state) (big.*Step)();
  xj::bench::PeerRatio(
      state, "x_100", [&] { (big.*Step)(); }, [&] { (small.*Step)(); });
}

void BM_ListBoxPage(benchmark::State& state) { Run<&Scene::ListPage>(state); }
void BM_CheckListBoxPage(benchmark::State& state) { Run<&Scene::CheckPage>(state); }
void BM_MemoPage(benchmark::State& state) { Run<&Scene::MemoPage>(state); }
void BM_CheckItem(benchmark::State& state) { Run<&Scene::Check>(state); }
BENCHMARK(BM_ListBoxPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CheckListBoxPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemoPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CheckItem)->Unit(benchmark::kMicrosecond);

}  // namespace
