// The skinned popup menu beside its peer, printing the ratio as x_peer: a 30-item popup menu of the
// test skin from Popup to its first paint (built, sized, placed, shown and painted; closed again so
// that every round opens a fresh menu) against repainting the same open menu's area.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "bench/PeerRatio.h"
#include "platform/vcl/Forms.h"
#include "skin/form/bsSkinMenus.h"

namespace {

struct MenuScene {
  MenuScene() {
    setenv("XJ_DISPLAY", "headless", 0);
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 320, 200);
    skin = new TbsSkinData(form.get());
    skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
    menu = new TbsSkinMenu(form.get(), form.get());
    popup = new TPopupMenu(form.get());
    for (int i = 0; i < 30; ++i) {
      auto* item = new TMenuItem(form.get());
      item->SetCaption(i % 10 == 9 ? AnsiString("-") : AnsiString(("菜单项 " + std::to_string(i)).c_str()));
      if (i % 7 == 3) item->SetShortCut(scCtrl | ('A' + i % 26));
      item->SetChecked(i % 5 == 1);
      popup->Items()->Add(item);
    }
    form->Show();
  }
  void Open() {
    menu->Popup(nullptr, skin, 0, TRect(40, 30, 40, 30), popup->Items(), false);
    UpdateWindow(menu->Level(0)->Handle());
  }
  void OpenAndClose() {
    Open();
    menu->CloseMenu(0);
  }

  std::unique_ptr<TForm> form;
  TbsSkinData* skin {};
  TbsSkinMenu* menu {};
  TPopupMenu* popup {};
};

void BM_PopupToFirstPaint(benchmark::State& state) {
  MenuScene scene;
  scene.Open();
  if (!scene.menu->Level(0)->SkinLook()) state.SkipWithError("the test skin gives no skinned menu");
  scene.menu->CloseMenu(0);
  for (auto _ : state) scene.OpenAndClose();
  const double ours = xj::bench::PerCall([&] { scene.OpenAndClose(); });
  scene.Open();
  const double peer = xj::bench::PerCall([&] { scene.menu->Level(0)->Repaint(); });
  scene.menu->CloseMenu(0);
  state.counters["x_peer"] = ours / peer;
}
BENCHMARK(BM_PopupToFirstPaint)->Unit(benchmark::kMicrosecond);

// The peer alone: repainting the area of an open 30-item menu.
void BM_OpenMenuRepaint(benchmark::State& state) {
  MenuScene scene;
  scene.Open();
  for (auto _ : state) scene.menu->Level(0)->Repaint();
}
BENCHMARK(BM_OpenMenuRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace
