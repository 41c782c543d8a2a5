// A release acts only on a press of its own: over every skinned control that acts when the button comes
// up, a press and release on it acts once; a release ending a press begun elsewhere, or one after its press
// was cancelled, acts not at all.

#include <functional>

#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "tests/support/ValueChanges.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

class StrayReleaseTest : public SkinControlsTest {};

template <class T>
T* Placed(TForm* Form, int W, int H) {
  auto* c = new T(Form);
  c->SetParent(Form);
  c->SetBounds(20, 20, W, H);
  return c;
}

// A point on a day of the calendar's grid.
TPoint ADay(TbsSkinMonthCalendar* C) {
  for (int y = C->Height() - 1; y > 0; --y)
    for (int x = 1; x < C->Width(); ++x)
      if (C->DayNumFromPoint(x, y) != 0) return TPoint(x, y);
  return TPoint(-1, -1);
}

}  // namespace

TEST_F(StrayReleaseTest, AReleaseActsOnlyOnAPressOfItsOwn) {
  // Each row makes its control, counting what it does on a release, and names where to release once the
  // control is shown.
  using Where = std::function<TPoint()>;
  const struct {
    const char* name;
    std::function<TControl*(TForm*, int&, Where&)> make;
  } rows[] = {
    { "check box",
      [](TForm* f, int& n, Where& at) -> TControl* {
        auto* c = Placed<TbsSkinCheckRadioBox>(f, 120, 25);
        c->OnClick = valuetest::Counter(n);
        at = [] { return TPoint(30, 12); };
        return c;
      } },
    { "button",
      [](TForm* f, int& n, Where& at) -> TControl* {
        auto* c = Placed<TbsSkinButton>(f, 80, 25);
        c->OnClick = valuetest::Counter(n);
        at = [] { return TPoint(40, 12); };
        return c;
      } },
    { "speed button",
      [](TForm* f, int& n, Where& at) -> TControl* {
        auto* c = Placed<TbsSkinSpeedButton>(f, 80, 25);
        c->OnClick = valuetest::Counter(n);
        at = [] { return TPoint(40, 12); };
        return c;
      } },
    { "checked panel",
      [](TForm* f, int& n, Where& at) -> TControl* {
        auto* c = Placed<TbsSkinPanel>(f, 160, 80);
        c->SetCaptionMode(true);
        c->SetCheckedMode(true);
        c->OnChecked = valuetest::Counter(n);
        at = [] { return TPoint(40, 10); };
        return c;
      } },
    { "calendar",
      [](TForm* f, int& n, Where& at) -> TControl* {
        auto* c = Placed<TbsSkinMonthCalendar>(f, 220, 180);
        c->OnNumberClick = valuetest::Counter(n);
        at = [c] { return ADay(c); };
        return c;
      } },
  };
  for (const auto& row : rows) {
    int acts = 0;
    Where where;
    TControl* c = row.make(form, acts, where);
    form->Show();
    xt::PumpUntilIdle();
    const TPoint at = where();
    ASSERT_GE(at.X, 0) << row.name;
    ClickAt(c, at.X, at.Y);
    EXPECT_EQ(acts, 1) << row.name << ": a press and release on it";
    // Pressed on the form beside it, moved over it and released there.
    const TPoint beside = form->ClientToScreen(TPoint(5, 5)), over = At(c, at.X, at.Y);
    xt::Advance(1000);  // no double click
    xt::MouseDown(xt::mbLeft, beside.X, beside.Y);
    xt::MouseMove(over.X, over.Y);
    xt::MouseUp(xt::mbLeft, over.X, over.Y);
    xt::PumpUntilIdle();
    EXPECT_EQ(acts, 1) << row.name << ": a release of a press begun elsewhere";
    // Pressed on it, the press cancelled (a window taking the mouse away), then released over it.
    xt::Advance(1000);
    xt::MouseDown(xt::mbLeft, over.X, over.Y);
    if (HWND capture = GetCapture()) SendMessageA(capture, WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    xt::MouseUp(xt::mbLeft, over.X, over.Y);
    xt::PumpUntilIdle();
    EXPECT_EQ(acts, 1) << row.name << ": a release after its press was cancelled";
    delete c;
    xt::MouseMove(0, 0);
    xt::PumpUntilIdle();
  }
}
