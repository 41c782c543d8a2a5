// The skinned page control: switching between two of 20 skinned sheets holding 20 skinned controls each
// (the old sheet hidden, the new one shown and painted with its controls, the tabs repainted), beside
// repainting one sheet with its controls, printed as x_peer.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "bench/PeerRatio.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/controls/bsSkinTabs.h"

namespace {

struct PagesScene {
  PagesScene() {
    setenv("XJ_DISPLAY", "headless", 0);
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 660, 500);
    auto* skin = new TbsSkinData(form.get());
    skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
    pages = new TbsSkinPageControl(form.get());
    pages->SetParent(form.get());
    pages->SetBounds(4, 4, 640, 460);
    pages->SetMultiLine(true);
    for (int p = 0; p < 20; ++p) {
      auto* sheet = new TbsSkinTabSheet(pages);
      sheet->SetPageControl(pages);
      sheet->SetCaption("Page " + std::to_string(p));
      for (int i = 0; i < 20; ++i) {
        auto* b = new TbsSkinButton(sheet);
        b->SetParent(sheet);
        b->SetBounds(i % 5 * 120 + 6, i / 5 * 60 + 8, 110, 40);
        b->SetCaption("Button " + std::to_string(i));
        b->SetSkinData(skin);
      }
    }
    pages->SetSkinData(skin);
    pages->SetActivePageIndex(0);
    form->Show();
    Application->ProcessMessages();
  }
  void Switch() {
    page = page == 0 ? 13 : 0;
    pages->SetActivePageIndex(page);
    pages->Update();
    pages->ActivePage()->Update();
  }
  void RepaintSheet() {
    RedrawWindow(pages->ActivePage()->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }

  std::unique_ptr<TForm> form;
  TbsSkinPageControl* pages {};
  int page { 0 };
};

void BM_PageSwitch20x20(benchmark::State& state) {
  PagesScene scene;
  for (auto _ : state) scene.Switch();
  xj::bench::PeerRatio(
      state, "x_peer", [&] { scene.Switch(); }, [&] { scene.RepaintSheet(); });
}
BENCHMARK(BM_PageSwitch20x20)->Unit(benchmark::kMicrosecond);

void BM_SheetRepaint20Controls(benchmark::State& state) {
  PagesScene scene;
  for (auto _ : state) scene.RepaintSheet();
}
BENCHMARK(BM_SheetRepaint20Controls)->Unit(benchmark::kMicrosecond);

}  // namespace
