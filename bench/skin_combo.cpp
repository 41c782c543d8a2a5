// The skinned combo box's drop-down beside its peer, printing the ratio as x_peer: opening the list of a
// 1,000-item combo of the test skin to its first paint (sized, placed, shown and painted, frame and
// items; closed again so that every round opens it afresh) against repainting the same open list.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "bench/PeerRatio.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/bsSkinBoxCtrls_combo.h"
#include "skin/data/bsSkinData.h"

namespace {

struct ComboScene {
  ComboScene() {
    setenv("XJ_DISPLAY", "headless", 0);
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 320, 200);
    skin = new TbsSkinData(form.get());
    skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
    combo = new TbsSkinComboBox(form.get());
    combo->SetParent(form.get());
    combo->SetBounds(20, 20, 160, 20);
    combo->Items()->BeginUpdate();
    for (int i = 0; i < 1000; ++i) combo->Items()->Add(AnsiString(("条目 " + std::to_string(i)).c_str()));
    combo->Items()->EndUpdate();
    combo->SetItemIndex(500);
    combo->SetSkinData(skin);
    form->Show();
  }
  // The list and its inner list painted now, as the first paint after opening.
  void Paint() { RedrawWindow(combo->PopupList()->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }
  void Open() {
    combo->DropDown();
    Paint();
  }
  void OpenAndClose() {
    Open();
    combo->CloseUp(false);
  }
  void Repaint() {
    RedrawWindow(combo->PopupList()->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }

  std::unique_ptr<TForm> form;
  TbsSkinData* skin {};
  TbsSkinComboBox* combo {};
};

void BM_DropDownToFirstPaint(benchmark::State& state) {
  ComboScene scene;
  scene.Open();
  if (scene.combo->PopupList()->SkinObjectIndex() == -1) state.SkipWithError("the test skin gives no skinned list");
  scene.combo->CloseUp(false);
  for (auto _ : state) scene.OpenAndClose();
  const double ours = xj::bench::PerCall([&] { scene.OpenAndClose(); });
  scene.Open();
  const double peer = xj::bench::PerCall([&] { scene.Repaint(); });
  scene.combo->CloseUp(false);
  state.counters["x_peer"] = ours / peer;
}
BENCHMARK(BM_DropDownToFirstPaint)->Unit(benchmark::kMicrosecond);

// The peer alone: repainting the area of the open list.
void BM_OpenListRepaint(benchmark::State& state) {
  ComboScene scene;
  scene.Open();
  for (auto _ : state) scene.Repaint();
}
BENCHMARK(BM_OpenListRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace
