// The windowless skinned controls' hot paths beside their peers, each printing its ratio to its peer as
// x_peer:
//   - a full repaint of an 800 x 600 form holding 200 skinned speed buttons (each face built off-screen
//     and drawn on the form's canvas) against blitting the same area;
//   - the mouse moving from one button to its neighbour (leave, enter, both hot faces repainted) against
//     blitting the two buttons' areas.

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

// A shown form with an 800 x 600 client area and the test skin, holding 200 speed buttons in a grid of
// 40 x 60 cells, each a little smaller than its cell. The record does not fade, so a hot face is painted
// at once.
struct WindowlessScene {
  WindowlessScene() {
    setenv("XJ_DISPLAY", "headless", 0);
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 820, 640);
    form->SetClientWidth(kWidth);
    form->SetClientHeight(kHeight);
    auto* skin = new TbsSkinData(form.get());
    skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
    for (int i = 0; i < 200; ++i) {
      auto* b = new TbsSkinSpeedButton(form.get());
      b->SetParent(form.get());
      b->SetSkinDataName("resizebutton");
      b->SetBounds(i % 20 * 40 + 2, i / 20 * 60 + 3, 37, 53);
      b->SetCaption(std::to_string(i));
      b->SetSkinData(skin);
      buttons.push_back(b);
    }
    form->Show();
    Application->ProcessMessages();
    whole.SetSize(kWidth, kHeight);
  }
  void Repaint() {
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  void Blit(int w, int h) {
    HDC dc = GetDC(form->Handle());
    BitBlt(dc, 0, 0, w, h, whole.Canvas()->Handle(), 0, 0, SRCCOPY);
    ReleaseDC(form->Handle(), dc);
  }
  // The mouse over the middle of button i, as the window manager reports a move.
  void MoveTo(int i) {
    TbsSkinSpeedButton* b = buttons[i];
    SendMessageA(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(b->Left() + 18, b->Top() + 26));
  }
  // One move, alternating between two neighbours: one leaves, the other enters, both repaint.
  void Step() {
    flip = !flip;
    MoveTo(flip ? 21 : 22);
  }
  // Whether the first button shows its record's picture (the skin reached it).
  bool Skinned() {
    const uint32_t bgr = uint32_t(whole.Canvas()->Pixels(0, 0));
    HDC dc = GetDC(form->Handle());
    BitBlt(whole.Canvas()->Handle(), 0, 0, 1, 1, dc, buttons[0]->Left() + 1, buttons[0]->Top() + 1, SRCCOPY);
    ReleaseDC(form->Handle(), dc);
    const uint32_t got = uint32_t(whole.Canvas()->Pixels(0, 0));
    whole.Canvas()->SetPixels(0, 0, TColor(bgr));
    const int index = buttons[0]->SkinData()->GetControlIndex("resizebutton");
    return index >= 0 && (got & 0xFF) == mkskin::ControlOwner(index);
  }

  static constexpr int kWidth = 800, kHeight = 600;
  std::unique_ptr<TForm> form;
  std::vector<TbsSkinSpeedButton*> buttons;
  TBitmap whole;
  bool flip {};
};

void BM_FormRepaint200SpeedButtons(benchmark::State& state) {
  WindowlessScene scene;
  scene.Repaint();
  if (!scene.Skinned()) state.SkipWithError("the speed buttons do not show the test skin");
  for (auto _ : state) scene.Repaint();
  state.SetItemsProcessed(state.iterations() * WindowlessScene::kWidth * WindowlessScene::kHeight);
  xj::bench::PeerRatio(
      state, "x_peer", [&] { scene.Repaint(); },
      [&] { scene.Blit(WindowlessScene::kWidth, WindowlessScene::kHeight); });
}
BENCHMARK(BM_FormRepaint200SpeedButtons)->Unit(benchmark::kMicrosecond);

void BM_MouseMoveAcrossSpeedButtons(benchmark::State& state) {
  WindowlessScene scene;
  scene.Step();
  scene.Step();
  if (!scene.buttons[22]->MouseIn() || scene.buttons[21]->MouseIn())
    state.SkipWithError("the move did not reach the buttons");
  for (auto _ : state) scene.Step();
  // The peer blits what the move repaints: two buttons' faces.
  xj::bench::PeerRatio(
      state, "x_peer", [&] { scene.Step(); }, [&] { scene.Blit(37 * 2, 53); });
}
BENCHMARK(BM_MouseMoveAcrossSpeedButtons)->Unit(benchmark::kMicrosecond);

}  // namespace
