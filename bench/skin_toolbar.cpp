// The skinned tool bar's scroll step beside its peer, printing the ratio as x_peer: one arrow step of a
// bar holding 100 skinned speed buttons (the children moved, the window's pixels scrolled, the uncovered
// strip painted) against repainting the whole bar with its buttons.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/PeerRatio.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/bsSkinCtrls.h"

namespace {

// A shown form with the test skin and an 800 pixels wide tool bar across its top, holding 100 speed
// buttons of 24 pixels side by side; each arrow step moves them by one button.
struct ToolBarScene {
  ToolBarScene() {
    setenv("XJ_DISPLAY", "headless", 0);
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 820, 200);
    form->SetClientWidth(800);
    auto* skin = new TbsSkinData(form.get());
    skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
    bar = new TbsSkinToolBar(form.get());
    bar->SetParent(form.get());
    bar->SetAlign(alTop);
    for (int i = 0; i < 100; ++i) {
      auto* b = new TbsSkinSpeedButton(form.get());
      b->SetParent(bar);
      b->SetBounds(i * 24, 1, 24, 22);
      b->SetCaption(std::to_string(i % 10));
    }
    bar->SetScrollOffset(24);
    bar->SetCanScroll(true);
    bar->SetSkinData(skin);
    form->Show();
    Application->ProcessMessages();
  }
  // One step, back and forth so that the end is never reached, painted before it returns.
  void Step() {
    flip = !flip;
    bar->Scroller().ButtonClick(flip ? 1 : 0);
    UpdateWindow(bar->Handle());
  }
  void Repaint() {
    RedrawWindow(bar->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }

  std::unique_ptr<TForm> form;
  TbsSkinToolBar* bar {};
  bool flip {};
};

void BM_ToolBarScrollStep100Buttons(benchmark::State& state) {
  ToolBarScene scene;
  scene.Step();
  if (scene.bar->Scroller().ScrollPosition != 24 || !scene.bar->Scroller().Arrows[0].Visible)
    state.SkipWithError("the tool bar did not scroll");
  for (auto _ : state) scene.Step();
  xj::bench::PeerRatio(
      state, "x_peer", [&] { scene.Step(); }, [&] { scene.Repaint(); });
}
BENCHMARK(BM_ToolBarScrollStep100Buttons)->Unit(benchmark::kMicrosecond);

void BM_ToolBarRepaint100Buttons(benchmark::State& state) {
  ToolBarScene scene;
  for (auto _ : state) scene.Repaint();
}
BENCHMARK(BM_ToolBarRepaint100Buttons)->Unit(benchmark::kMicrosecond);

}  // namespace
