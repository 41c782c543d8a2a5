// The form skinning engine's hot paths beside their peers, each printing its ratio to its peer as x_peer:
//   - a full repaint of an 800 x 600 skinned form (frame, caption buttons, menu bar, client background)
//     against blitting the same area onto its window;
//   - the frame's hit test at points all over the frame (time per hit test; goal under a microsecond);
//   - a skin switch of five open skinned forms (every form re-reads its objects, rebuilds its shape and
//     repaints) against loading the skin alone;
//   - a skin switch of one 800 x 600 form holding 100 skinned speed buttons (each re-reads its record and
//     repaints) against loading the skin alone.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/PeerRatio.h"
#include "bench/SkinSwitch.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/form/bsSkinForm.h"
#include "tools/mkskin/SkinColours.h"

namespace {

const std::string kTestSkin = std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini";
const std::string kSecondSkin = std::string(XJ_TEST_SKIN_DIR) + "/second/skin.ini";

struct SkinnedForm {
  SkinnedForm(TbsSkinData* Skin, int Left, int Top, int W, int H) : form(std::make_unique<TForm>(nullptr)) {
    form->SetBounds(Left, Top, W, H);
    form->SetBorderStyle(bsSizeable);
    form->SetCaption("线路录音检测系统");
    component = new RurIvozedevUzivEred(form.get());
    if (!Skin) Skin = own = new TbsSkinData(form.get());
    if (own) own->LoadFromFile(kTestSkin);
    skin = Skin;
    component->SetSkinData(skin);
  }
  std::unique_ptr<TForm> form;
  RurIvozedevUzivEred* component {};
  TbsSkinData* skin {};
  TbsSkinData* own {};
};

// An 800 x 600 skinned form with a main-menu bar of six items.
struct RepaintScene : SkinnedForm {
  RepaintScene() : SkinnedForm(nullptr, 0, 0, 800, 600) {
    setenv("XJ_DISPLAY", "headless", 0);
    auto* menu = new TMainMenu(form.get());
    for (const char* caption : { "文件(&F)", "编辑(&E)", "查看(&V)", "线路(&L)", "工具(&T)", "帮助(&H)" }) {
      auto* item = new TMenuItem(menu);
      item->SetCaption(caption);
      menu->Items()->Add(item);
    }
    auto* bar = new TbsSkinMainMenuBar(form.get());
    bar->SetParent(form.get());
    bar->SetSkinForm(component);
    bar->SetMainMenu(menu);
    bar->SetSkinData(skin);
    component->SetMainMenuBar(bar);
    form->Show();
    Application->ProcessMessages();
    whole.SetSize(800, 600);
  }
  void Repaint() {
    RedrawWindow(form->Handle(), nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  void Blit() {
    HDC dc = GetWindowDC(form->Handle());
    BitBlt(dc, 0, 0, 800, 600, whole.Canvas()->Handle(), 0, 0, SRCCOPY);
    ReleaseDC(form->Handle(), dc);
  }
  // Whether the top-left corner of the frame shows the skin's frame picture.
  bool Skinned() {
    TBitmap probe;
    probe.SetSize(1, 1);
    HDC dc = GetWindowDC(form->Handle());
    BitBlt(probe.Canvas()->Handle(), 0, 0, 1, 1, dc, 30, 26, SRCCOPY);
    ReleaseDC(form->Handle(), dc);
    return (uint32_t(probe.Canvas()->Pixels(0, 0)) & 0xFF) == mkskin::kOwnerFrame;
  }
  TBitmap whole;
};

void BM_SkinnedFormRepaint800x600(benchmark::State& state) {
  RepaintScene scene;
  scene.Repaint();
  if (!scene.Skinned()) state.SkipWithError("the form's frame does not show the test skin");
  for (auto _ : state) scene.Repaint();
  state.SetItemsProcessed(state.iterations() * 800 * 600);
  xj::bench::PeerRatio(
      state, "x_peer", [&] { scene.Repaint(); }, [&] { scene.Blit(); });
}
BENCHMARK(BM_SkinnedFormRepaint800x600)->Unit(benchmark::kMicrosecond);

void BM_WindowBlit800x600(benchmark::State& state) {
  RepaintScene scene;
  for (auto _ : state) scene.Blit();
  state.SetItemsProcessed(state.iterations() * 800 * 600);
}
BENCHMARK(BM_WindowBlit800x600)->Unit(benchmark::kMicrosecond);

// Points over every part of the frame: corners, bands, caption, buttons, client.
void BM_FrameHitTest(benchmark::State& state) {
  setenv("XJ_DISPLAY", "headless", 0);
  SkinnedForm f(nullptr, 0, 0, 800, 600);
  f.form->Show();
  Application->ProcessMessages();
  std::vector<TPoint> points;
  for (int y = 0; y < 600; y += 37)
    for (int x = 0; x < 800; x += 53) points.push_back(TPoint(x, y));
  for (int x = 0; x < 800; x += 7) points.push_back(TPoint(x, 14)), points.push_back(TPoint(x, 2));
  size_t i = 0;
  int sum = 0;
  for (auto _ : state) {
    sum += f.component->NewNCHitTest(points[i]);
    if (++i == points.size()) i = 0;
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FrameHitTest)->Unit(benchmark::kNanosecond);

// Five shown forms on one skin; a switch loads the other skin, which every form follows.
struct SwitchScene {
  SwitchScene() {
    setenv("XJ_DISPLAY", "headless", 0);
    owner = std::make_unique<TForm>(nullptr);
    skin = new TbsSkinData(owner.get());
    skin->LoadFromFile(kTestSkin);
    for (int i = 0; i < 5; ++i) {
      forms.push_back(std::make_unique<SkinnedForm>(skin, 20 + 60 * i, 20 + 40 * i, 400 + 31 * i, 300 + 17 * i));
      forms.back()->form->Show();
    }
    Application->ProcessMessages();
  }
  void Switch() {
    second = !second;
    skin->LoadFromFile(second ? kSecondSkin : kTestSkin);
    Application->ProcessMessages();
  }
  std::unique_ptr<TForm> owner;
  TbsSkinData* skin {};
  std::vector<std::unique_ptr<SkinnedForm>> forms;
  bool second {};
};

void BM_SkinSwitchFiveForms(benchmark::State& state) {
  SwitchScene scene;
  scene.Switch();
  if (!scene.forms[4]->component->SkinSupport()) state.SkipWithError("a switched skin does not reach the forms");
  for (auto _ : state) scene.Switch();
  xj::bench::LoadAlone alone;
  xj::bench::PeerRatio(
      state, "x_peer", [&] { scene.Switch(); }, [&] { alone(); });
}
BENCHMARK(BM_SkinSwitchFiveForms)->Unit(benchmark::kMillisecond);

// An 800 x 600 skinned form with 100 speed buttons on the same skin, in a grid of 80 x 60 cells.
struct ControlsSwitchScene {
  ControlsSwitchScene() {
    setenv("XJ_DISPLAY", "headless", 0);
    form = std::make_unique<SkinnedForm>(nullptr, 0, 0, 800, 600);
    for (int i = 0; i < 100; ++i) {
      auto* b = new TbsSkinSpeedButton(form->form.get());
      b->SetParent(form->form.get());
      b->SetSkinDataName("resizebutton");
      b->SetBounds(i % 10 * 78 + 4, i / 10 * 52 + 3, 70, 45);
      b->SetCaption(std::to_string(i));
      b->SetSkinData(form->skin);
      buttons.push_back(b);
    }
    form->form->Show();
    Application->ProcessMessages();
  }
  void Switch() {
    second = !second;
    form->skin->LoadFromFile(second ? kSecondSkin : kTestSkin);
    Application->ProcessMessages();
  }
  std::unique_ptr<SkinnedForm> form;
  std::vector<TbsSkinSpeedButton*> buttons;
  bool second {};
};

void BM_SkinSwitchFormWith100Controls(benchmark::State& state) {
  ControlsSwitchScene scene;
  scene.Switch();
  if (scene.buttons[99]->SkinObjectIndex() < 0) state.SkipWithError("a switched skin does not reach the controls");
  for (auto _ : state) scene.Switch();
  xj::bench::LoadAlone alone;
  xj::bench::PeerRatio(
      state, "x_peer", [&] { scene.Switch(); }, [&] { alone(); });
}
BENCHMARK(BM_SkinSwitchFormWith100Controls)->Unit(benchmark::kMillisecond);

}  // namespace
