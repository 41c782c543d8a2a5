// A slider drag step (the value moved by one, the old and new thumb places repainted) beside blitting
// the slider's finished face onto its window, printed as x_peer.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "bench/PeerRatio.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/bsSkinCtrls.h"

namespace {

struct SliderScene {
  explicit SliderScene(bool skinned) {
    setenv("XJ_DISPLAY", "headless", 0);
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 420, 200);
    slider = new TbsSkinSlider(form.get());
    slider->SetParent(form.get());
    slider->SetBounds(10, 10, 333, 47);
    slider->SetMaxValue(1000);
    if (skinned) {
      auto* skin = new TbsSkinData(form.get());
      skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
      slider->SetSkinData(skin);
    }
    form->Show();
    slider->Update();
    face.SetSize(slider->Width(), slider->Height());
  }
  void Step() {
    slider->SetValue(slider->Value() == 500 ? 501 : 500);
    slider->Update();
  }
  void Blit() {
    const HWND wnd = slider->Handle();
    HDC dc = GetDC(wnd);
    BitBlt(dc, 0, 0, face.Width(), face.Height(), face.Canvas()->Handle(), 0, 0, SRCCOPY);
    ReleaseDC(wnd, dc);
  }

  std::unique_ptr<TForm> form;
  TbsSkinSlider* slider {};
  TBitmap face;
};

void BM_SliderDragStep(benchmark::State& state) {
  SliderScene scene(state.range(0) != 0);
  for (auto _ : state) scene.Step();
  xj::bench::PeerRatio(
      state, "x_peer", [&] { scene.Step(); }, [&] { scene.Blit(); });
}
BENCHMARK(BM_SliderDragStep)->Arg(0)->Arg(1)->ArgName("skinned")->Unit(benchmark::kMicrosecond);

}  // namespace
