// A skinned 800 x 600 form holding 100 skinned controls of ten kinds, ten of each in a row: buttons,
// edits, list boxes, combo boxes, check boxes, panels, gauges, track bars, memos and scroll bars.
//   - BM_RepaintFormWith100Controls: the whole form repainted (frame, every control, every caption)
//     against BitBlt of the same 800 x 600 area onto its window: x_peer, goal 8x. Per kind, the ten
//     controls of that kind repainted against blitting their areas: x_<kind>.
//   - BM_SkinSwitchFormWith100KindsOfControls: the form's skin switched (loaded; every control re-reads its
//     record and repaints) against loading the same skin into a skin data component nobody uses: x_peer,
//     goal 3x. Both sides alternate between the test skin and the second skin.
//   - BM_SkinSwitchFormAlone: the same for the skinned form with no controls: x_peer, goal 1.5x.
// The form is bench/SkinForm.h's.
// Each ratio is taken in alternating rounds and printed with its least and greatest.

#include <benchmark/benchmark.h>

#include <string>

#include "bench/PeerRatio.h"
#include "bench/SkinForm.h"

namespace {

// The form with what its peers need: the whole area and each row blitted onto the windows.
struct Scene : xj::bench::SkinForm {
  using SkinForm::SkinForm;
  void Blit(HWND to, int x, int y, int w, int h) {
    if (whole.Width() != kWidth) whole.SetSize(kWidth, kHeight);
    HDC dc = GetWindowDC(to);
    BitBlt(dc, 0, 0, w, h, whole.Canvas()->Handle(), x, y, SRCCOPY);
    ReleaseDC(to, dc);
  }
  void BlitWhole() { Blit(form->Handle(), 0, 0, kWidth, kHeight); }
  void RepaintRow(size_t k) {
    for (TWinControl* c : rows[k])
      RedrawWindow(c->Handle(), nullptr, nullptr,
                   RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  void BlitRow(size_t k) {
    for (TWinControl* c : rows[k]) Blit(c->Handle(), 0, 0, c->Width(), c->Height());
  }

  TBitmap whole;
};

void BM_RepaintFormWith100Controls(benchmark::State& state) {
  Scene scene;
  scene.Repaint();
  if (!scene.Skinned()) state.SkipWithError("the controls do not show the test skin");
  for (auto _ : state) scene.Repaint();
  state.SetItemsProcessed(state.iterations() * Scene::kWidth * Scene::kHeight);
  xj::bench::PeerRatio(
      state, "x_peer", [&] { scene.Repaint(); }, [&] { scene.BlitWhole(); });
  for (size_t k = 0; k < scene.rows.size(); ++k)
    state.counters[std::string("x_") + xj::bench::SkinFormKinds()[k].name] =
        xj::bench::PeerRatio([&] { scene.RepaintRow(k); }, [&] { scene.BlitRow(k); }, 3).median;
}
BENCHMARK(BM_RepaintFormWith100Controls)->Unit(benchmark::kMicrosecond);

void BM_SkinSwitchFormWith100KindsOfControls(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) scene.Switch();
  xj::bench::LoadAlone alone;
  xj::bench::PeerRatio(
      state, "x_peer", [&] { scene.Switch(); }, [&] { alone(); });
}
BENCHMARK(BM_SkinSwitchFormWith100KindsOfControls)->Unit(benchmark::kMillisecond);

void BM_SkinSwitchFormAlone(benchmark::State& state) {
  Scene scene(false);
  for (auto _ : state) scene.Switch();
  xj::bench::LoadAlone alone;
  xj::bench::PeerRatio(
      state, "x_peer", [&] { scene.Switch(); }, [&] { alone(); });
}
BENCHMARK(BM_SkinSwitchFormAlone)->Unit(benchmark::kMillisecond);

}  // namespace
