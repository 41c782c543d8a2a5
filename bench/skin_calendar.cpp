// A month step of the calendar (the next-month button's click: the date moved and the calendar
// repainted) beside repainting the calendar as it is, printed as x_peer: the step should cost little more
// than the paint it ends with.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "bench/PeerRatio.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/SysUtils.h"
#include "skin/controls/bsSkinBoxCtrls.h"

namespace {

struct CalendarScene {
  explicit CalendarScene(bool skinned) {
    setenv("XJ_DISPLAY", "headless", 0);
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 320, 240);
    calendar = new TbsSkinMonthCalendar(form.get());
    calendar->SetParent(form.get());
    calendar->SetBounds(10, 10, 200, 150);
    calendar->SetDate(EncodeDate(2009, 3, 12));
    if (skinned) {
      auto* skin = new TbsSkinData(form.get());
      skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
      calendar->SetSkinData(skin);
    }
    form->Show();
    calendar->Update();
  }
  // Forward and back in turn, so the dates stay in one year.
  void Step() {
    if (forward)
      calendar->NextMButtonClick(calendar);
    else
      calendar->PriorMButtonClick(calendar);
    forward = !forward;
  }
  void Repaint() { calendar->Repaint(); }

  std::unique_ptr<TForm> form;
  TbsSkinMonthCalendar* calendar {};
  bool forward { true };
};

void BM_CalendarMonthStep(benchmark::State& state) {
  CalendarScene scene(state.range(0) != 0);
  for (auto _ : state) scene.Step();
  xj::bench::PeerRatio(
      state, "x_peer", [&] { scene.Step(); }, [&] { scene.Repaint(); });
}
BENCHMARK(BM_CalendarMonthStep)->Arg(0)->Arg(1)->ArgName("skinned")->Unit(benchmark::kMicrosecond);

}  // namespace
