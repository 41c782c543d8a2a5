// The skinned controls' hot paths beside their peers, each printing its ratio to its peer as x_peer:
//   - one step of a button's hover fade (two faces built, blended by the effect bitmap, drawn) against
//     blitting the button's finished face onto its window;
//   - a full repaint of an 800 x 600 skinned form holding 100 controls against blitting the same area;
//   - a skin switch of that form (the new skin loaded, every control re-reads its record and repaints)
//     against loading the skin alone.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/PeerRatio.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/bsSkinCtrls.h"
#include "tools/mkskin/SkinColours.h"

namespace {

// A shown form with the test skin's button (it fades) at a lopsided size.
struct ButtonScene {
  ButtonScene() {
    setenv("XJ_DISPLAY", "headless", 0);
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 320, 200);
    auto* skin = new TbsSkinData(form.get());
    skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
    button = new TbsSkinButton(form.get());
    button->SetParent(form.get());
    button->SetBounds(10, 10, 121, 33);
    button->SetCaption("Button");
    button->SetSkinData(skin);
    form->Show();
    face.SetSize(button->Width(), button->Height());
    button->CreateButtonImage(&face, button->SkinRect, false, false);
  }
  // One fade frame half way between the normal and the hot face.
  void MorphStep() {
    button->Morph().SetKf(0.5);
    button->Repaint();
  }
  void Blit() {
    const HWND wnd = button->Handle();
    HDC dc = GetDC(wnd);
    BitBlt(dc, 0, 0, face.Width(), face.Height(), face.Canvas()->Handle(), 0, 0, SRCCOPY);
    ReleaseDC(wnd, dc);
  }

  std::unique_ptr<TForm> form;
  TbsSkinButton* button {};
  TBitmap face;
};

void BM_ButtonMorphStep(benchmark::State& state) {
  ButtonScene scene;
  if (!scene.button->Morphing()) state.SkipWithError("the test skin's button does not fade");
  for (auto _ : state) scene.MorphStep();
  state.SetItemsProcessed(state.iterations() * scene.face.Width() * scene.face.Height());
  xj::bench::PeerRatio(
      state, "x_peer", [&] { scene.MorphStep(); }, [&] { scene.Blit(); });
}
BENCHMARK(BM_ButtonMorphStep)->Unit(benchmark::kMicrosecond);

void BM_ButtonFaceBlit(benchmark::State& state) {
  ButtonScene scene;
  for (auto _ : state) scene.Blit();
  state.SetItemsProcessed(state.iterations() * scene.face.Width() * scene.face.Height());
}
BENCHMARK(BM_ButtonFaceBlit)->Unit(benchmark::kMicrosecond);

const std::string kTestSkin = std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini";
const std::string kSecondSkin = std::string(XJ_TEST_SKIN_DIR) + "/second/skin.ini";

// A shown form with an 800 x 600 client area and the test skin, holding ten each of ten kinds of skinned
// control in a grid of 80 x 60 cells, each control a little smaller than its cell.
struct FormScene {
  FormScene() {
    setenv("XJ_DISPLAY", "headless", 0);
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 820, 640);
    form->SetClientWidth(kWidth);
    form->SetClientHeight(kHeight);
    skin = new TbsSkinData(form.get());
    skin->LoadFromFile(kTestSkin);
    for (int i = 0; i < 100; ++i) {
      TbsSkinControl* c = NewControl(i % 10);
      c->SetParent(form.get());
      c->SetBounds(i % 10 * 80 + 3, i / 10 * 60 + 4, 73, i % 10 >= 8 ? 53 : 23);
      c->SetCaption("Item " + std::to_string(i));
      c->SetSkinData(skin);
      controls.push_back(c);
    }
    form->Show();
    Application->ProcessMessages();
    whole.SetSize(kWidth, kHeight);
  }
  TbsSkinControl* NewControl(int kind) {
    switch (kind) {
      case 0:
        return new TbsSkinButton(form.get());
      case 1:
        return new TbsSkinMenuButton(form.get());
      case 2:
        return new TbsSkinCheckRadioBox(form.get());
      case 3: {
        auto* radio = new TbsSkinCheckRadioBox(form.get());
        radio->SetRadio(true);
        return radio;
      }
      case 4:
        return new TbsSkinScrollBar(form.get());
      case 5:
        return new TbsSkinTrackBar(form.get());
      case 6:
        return new TbsSkinGauge(form.get());
      case 7:
        return new TbsSkinLabel(form.get());
      case 8:
        return new TbsSkinPanel(form.get());
      default:
        return new TbsSkinGroupBox(form.get());
    }
  }
  // Every control of the form repainted at once, as after the form was uncovered.
  void Repaint() {
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  void Blit() {
    HDC dc = GetDC(form->Handle());
    BitBlt(dc, 0, 0, kWidth, kHeight, whole.Canvas()->Handle(), 0, 0, SRCCOPY);
    ReleaseDC(form->Handle(), dc);
  }
  // The form switched to the other skin as the form engine switches one: the controls let go of the
  // old skin, the new one loads, and they re-read their records and repaint.
  void SwitchSkin() {
    second = !second;
    BeforeChangeSkinDataWalk(form.get(), skin);
    skin->LoadFromFile(second ? kSecondSkin : kTestSkin);
    ChangeSkinDataWalk(form.get(), skin);
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  // The same skins loaded in the same order into a skin data component of no form.
  void LoadAlone(TbsSkinData& data) {
    aloneSecond = !aloneSecond;
    data.LoadFromFile(aloneSecond ? kSecondSkin : kTestSkin);
  }
  // Whether the first button shows its record's picture (the skin reached the controls).
  bool Skinned() {
    TBitmap probe;
    probe.SetSize(1, 1);
    HDC dc = GetDC(controls[0]->Handle());
    BitBlt(probe.Canvas()->Handle(), 0, 0, 1, 1, dc, 3, 12, SRCCOPY);
    ReleaseDC(controls[0]->Handle(), dc);
    const uint32_t bgr = uint32_t(probe.Canvas()->Pixels(0, 0));
    const uint8_t owner = bgr & 0xFF;
    const int index = skin->GetControlIndex("button");
    return index >= 0 && owner == (second ? mkskin::SecondControlOwner(index) : mkskin::ControlOwner(index));
  }

  static constexpr int kWidth = 800, kHeight = 600;
  std::unique_ptr<TForm> form;
  TbsSkinData* skin {};
  std::vector<TbsSkinControl*> controls;
  TBitmap whole;
  bool second {}, aloneSecond {};
};

void BM_FormRepaint100Controls(benchmark::State& state) {
  FormScene scene;
  scene.Repaint();
  if (!scene.Skinned()) state.SkipWithError("the form's controls do not show the test skin");
  for (auto _ : state) scene.Repaint();
  state.SetItemsProcessed(state.iterations() * FormScene::kWidth * FormScene::kHeight);
  xj::bench::PeerRatio(
      state, "x_peer", [&] { scene.Repaint(); }, [&] { scene.Blit(); });
}
BENCHMARK(BM_FormRepaint100Controls)->Unit(benchmark::kMicrosecond);

void BM_FormBlit800x600(benchmark::State& state) {
  FormScene scene;
  for (auto _ : state) scene.Blit();
  state.SetItemsProcessed(state.iterations() * FormScene::kWidth * FormScene::kHeight);
}
BENCHMARK(BM_FormBlit800x600)->Unit(benchmark::kMicrosecond);

void BM_FormSkinSwitch100Controls(benchmark::State& state) {
  FormScene scene;
  scene.SwitchSkin();
  const bool secondShown = scene.Skinned();
  scene.SwitchSkin();
  if (!secondShown || !scene.Skinned()) state.SkipWithError("a switched skin does not reach the controls");
  for (auto _ : state) scene.SwitchSkin();
  TbsSkinData alone(nullptr);
  xj::bench::PeerRatio(
      state, "x_peer", [&] { scene.SwitchSkin(); }, [&] { scene.LoadAlone(alone); });
}
BENCHMARK(BM_FormSkinSwitch100Controls)->Unit(benchmark::kMillisecond);

void BM_SkinLoadAlone(benchmark::State& state) {
  FormScene scene;
  TbsSkinData alone(nullptr);
  for (auto _ : state) scene.LoadAlone(alone);
}
BENCHMARK(BM_SkinLoadAlone)->Unit(benchmark::kMillisecond);

}  // namespace
