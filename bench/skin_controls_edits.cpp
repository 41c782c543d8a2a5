// The skinned edits' hot paths beside their peers, each printing its ratio to its peer as x_peer:
//   - a keystroke typed into a skinned edit (its text area repainted over the face) against the
//     same keystroke in the stock edit;
//   - one step of a skinned spin edit (value, text, repaint) against setting the same text in the stock
//     edit.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "bench/PeerRatio.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/controls/bsSkinBoxCtrls.h"

namespace {

struct EditScene {
  EditScene() {
    setenv("XJ_DISPLAY", "headless", 0);
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 400, 200);
    auto* skin = new TbsSkinData(form.get());
    skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
    skinned = new TbsSkinEdit(form.get());
    skinned->SetParent(form.get());
    skinned->SetBounds(10, 10, 157, 20);
    skinned->SetSkinData(skin);
    stock = new TEdit(form.get());
    stock->SetParent(form.get());
    stock->SetBounds(10, 40, 157, 20);
    spin = new TbsSkinSpinEdit(form.get());
    spin->SetParent(form.get());
    spin->SetBounds(10, 70, 157, 20);
    spin->SetSkinData(skin);
    form->Show();
    for (TWinControl* e : { static_cast<TWinControl*>(skinned), static_cast<TWinControl*>(stock) })
      e->SetText("some text typed");
    Settle();
  }
  static void Settle() { Application->ProcessMessages(); }
  // One character typed and taken back, each painted before the next.
  static void Type(TWinControl* e) {
    SendMessageA(e->Handle(), WM_CHAR, 'a', 0);
    UpdateWindow(e->Handle());
    SendMessageA(e->Handle(), WM_CHAR, '\b', 0);
    UpdateWindow(e->Handle());
  }
  void SpinStep() {
    spin->SetValue(spin->Value() + 1);
    UpdateWindow(spin->Handle());
    UpdateWindow(spin->Edit()->Handle());
  }
  void StockSetText() {
    stock->SetText(IntToStr(++n));
    UpdateWindow(stock->Handle());
  }

  std::unique_ptr<TForm> form;
  TbsSkinEdit* skinned {};
  TEdit* stock {};
  TbsSkinSpinEdit* spin {};
  int n = 0;
};

void BM_SkinnedEditKeystroke(benchmark::State& state) {
  EditScene scene;
  for (auto _ : state) EditScene::Type(scene.skinned);
  xj::bench::PeerRatio(
      state, "x_peer", [&] { EditScene::Type(scene.skinned); }, [&] { EditScene::Type(scene.stock); });
}
BENCHMARK(BM_SkinnedEditKeystroke)->Unit(benchmark::kMicrosecond);

void BM_StockEditKeystroke(benchmark::State& state) {
  EditScene scene;
  for (auto _ : state) EditScene::Type(scene.stock);
}
BENCHMARK(BM_StockEditKeystroke)->Unit(benchmark::kMicrosecond);

void BM_SpinEditStep(benchmark::State& state) {
  EditScene scene;
  for (auto _ : state) scene.SpinStep();
  xj::bench::PeerRatio(
      state, "x_peer", [&] { scene.SpinStep(); }, [&] { scene.StockSetText(); });
}
BENCHMARK(BM_SpinEditStep)->Unit(benchmark::kMicrosecond);

}  // namespace
