// The auxiliary components' hot paths: a gradient painted in a few fill styles, and the window region
// of a shaped form built from a detailed picture (many runs per row).

#include <benchmark/benchmark.h>

#include "components/AHMTBackground.h"
#include "components/CTL_KRShapedForm.h"
#include "platform/vcl/Forms.h"

namespace {

void GradientMultiDraw(benchmark::State& state) {
  TAHMGradient gradient;
  gradient.SetFillStyle(static_cast<TAHMFillStyle>(state.range(0)));
  gradient.SetBeginColor(clNavy);
  gradient.SetEndColor(clYellow);
  gradient.ColorsInBetween()->Add("clRed");
  gradient.SetColorCount(64);
  TBitmap target;
  target.SetSize(400, 300);
  for (auto _ : state)
    gradient.MultiDraw(target.Canvas()->Handle(), 400, 300, gradient.ColorsInBetween(), clBlack, true);
}
BENCHMARK(GradientMultiDraw)->Arg(Horizontal)->Arg(Circle)->Arg(RoundMiddle)->Arg(MiddleHBar);

// A 640 × 480 picture of 4 × 4 checks: 80 runs in each row.
void ShapedFormRegion(benchmark::State& state) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 700, 560);
  auto* shaped = new TKRShapedForm(&form);
  shaped->SetParent(&form);
  TBitmap picture;
  picture.SetSize(640, 480);
  picture.Canvas()->Brush()->SetColor(clRed);
  for (int y = 0; y < 480; y += 4)
    for (int x = (y / 4) % 2 * 4; x < 640; x += 8) picture.Canvas()->FillRect(TRect(x, y, x + 4, y + 4));
  picture.Canvas()->SetPixels(0, 479, clWhite);
  shaped->SetAutoSize(true);
  shaped->Picture()->SetBitmap(&picture);
  for (auto _ : state) {
    shaped->ObtainRegion();
    shaped->RefreshForm();
  }
  state.SetItemsProcessed(state.iterations() * 640 * 480);
}
BENCHMARK(ShapedFormRegion)->Unit(benchmark::kMillisecond);

}  // namespace
