// The skinned controls' hot paths beside their references in the same run: one step of a button's hover
// fade (two faces built, blended by the effect bitmap, drawn) against blitting the button's finished face
// onto its window. The ratio is printed after the table.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "platform/vcl/Forms.h"
#include "skin/controls/bsSkinCtrls.h"

namespace {

const std::string kSkinIni = std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini";

// A shown form with the test skin's button (it fades) at a lopsided size.
struct ButtonScene {
  ButtonScene() {
    form.SetBounds(0, 0, 320, 200);
    skin = new TbsSkinData(&form);
    skin->LoadFromFile(kSkinIni);
    button = new TbsSkinButton(&form);
    button->SetParent(&form);
    button->SetBounds(10, 10, 121, 33);
    button->SetCaption("Button");
    button->SetSkinData(skin);
    form.Show();
  }
  TForm form { nullptr };
  TbsSkinData* skin {};
  TbsSkinButton* button {};
};

void BM_ButtonMorphStep(benchmark::State& state) {
  ButtonScene scene;
  if (!scene.button->Morphing()) state.SkipWithError("the test skin's button does not fade");
  scene.button->Morph().SetKf(0.5);
  for (auto _ : state) scene.button->Repaint();
  state.SetItemsProcessed(state.iterations() * scene.button->Width() * scene.button->Height());
}
BENCHMARK(BM_ButtonMorphStep)->Unit(benchmark::kMicrosecond);

void BM_ButtonFaceBlit(benchmark::State& state) {
  ButtonScene scene;
  const int w = scene.button->Width(), h = scene.button->Height();
  TBitmap face;
  face.SetSize(w, h);
  scene.button->CreateButtonImage(&face, scene.button->SkinRect, false, false);
  const HWND wnd = scene.button->Handle();
  for (auto _ : state) {
    HDC dc = GetDC(wnd);
    BitBlt(dc, 0, 0, w, h, face.Canvas()->Handle(), 0, 0, SRCCOPY);
    ReleaseDC(wnd, dc);
  }
  state.SetItemsProcessed(state.iterations() * w * h);
}
BENCHMARK(BM_ButtonFaceBlit)->Unit(benchmark::kMicrosecond);

// The console table as usual, and the time per iteration of each benchmark kept for the ratios.
class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& Runs) override {
    ConsoleReporter::ReportRuns(Runs);
    for (const Run& r : Runs)
      if (!r.error_occurred && r.run_type == Run::RT_Iteration) Times[r.benchmark_name()] = r.GetAdjustedRealTime();
  }
  std::map<std::string, double> Times;
};

}  // namespace

int main(int argc, char** argv) {
  setenv("XJ_DISPLAY", "headless", 0);
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto morph = reporter.Times.find("BM_ButtonMorphStep"), blit = reporter.Times.find("BM_ButtonFaceBlit");
  if (morph != reporter.Times.end() && blit != reporter.Times.end() && blit->second > 0)
    std::printf("ratio  morph step / face blit = %.1f\n", morph->second / blit->second);
  benchmark::Shutdown();
  return 0;
}
