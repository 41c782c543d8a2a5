// The skinned controls' hot paths beside their peers: one step of a button's hover fade (two faces
// built, blended by the effect bitmap, drawn) against blitting the button's finished face onto its
// window. The fade step prints its ratio to the blit as x_peer.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "bench/PeerRatio.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/bsSkinCtrls.h"

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
  state.counters["x_peer"] = xj::bench::PeerRatio([&] { scene.MorphStep(); }, [&] { scene.Blit(); });
}
BENCHMARK(BM_ButtonMorphStep)->Unit(benchmark::kMicrosecond);

void BM_ButtonFaceBlit(benchmark::State& state) {
  ButtonScene scene;
  for (auto _ : state) scene.Blit();
  state.SetItemsProcessed(state.iterations() * scene.face.Width() * scene.face.Height());
}
BENCHMARK(BM_ButtonFaceBlit)->Unit(benchmark::kMicrosecond);

}  // namespace
