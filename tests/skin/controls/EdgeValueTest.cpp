// What a value change owes its listeners and the screen, over every skinned control with a value: a new
// value is reported once, the same value again not at all, and what the control shows follows it.

#include <functional>

#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "tests/support/ValueChanges.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

class EdgeValueTest : public SkinControlsTest {};

// A control on Form whose change event counts into Changes; the returned setter gives it a value (for a
// two-state control, non-zero is on).
using MakeCounted = std::function<std::function<void(int)>(TForm* Form, int& Changes)>;

template <class T>
T* Placed(TForm* Form) {
  auto* c = new T(Form);
  c->SetParent(Form);
  return c;
}

}  // namespace

TEST_F(EdgeValueTest, AValueSetToWhatItAlreadyIsReportsNothing) {
  const struct {
    const char* name;
    MakeCounted make;
  } rows[] = {
    { "TbsSkinTrackBar",
      [](TForm* f, int& n) -> std::function<void(int)> {
        auto* c = Placed<TbsSkinTrackBar>(f);
        c->OnChange = valuetest::Counter(n);
        return [c](int v) { c->SetValue(v); };
      } },
    { "TbsSkinScrollBar",
      [](TForm* f, int& n) -> std::function<void(int)> {
        auto* c = Placed<TbsSkinScrollBar>(f);
        c->OnChange = valuetest::Counter(n);
        return [c](int v) { c->SetPosition(v); };
      } },
    { "TbsSkinSlider",
      [](TForm* f, int& n) -> std::function<void(int)> {
        auto* c = Placed<TbsSkinSlider>(f);
        c->OnChange = valuetest::Counter(n);
        return [c](int v) { c->SetValue(v); };
      } },
    { "TbsSkinExPanel",
      [](TForm* f, int& n) -> std::function<void(int)> {
        auto* c = Placed<TbsSkinExPanel>(f);
        c->OnChangeRollState = valuetest::Counter(n);
        return [c](int v) { c->SetRollState(v != 0); };
      } },
  };
  form->Show();
  for (const auto& row : rows) {
    int changes = 0;
    const std::function<void(int)> set = row.make(form, changes);
    xt::PumpUntilIdle();
    valuetest::ExpectOneReportPerChange(set, changes, row.name);
  }
}

TEST_F(EdgeValueTest, AGaugeShowsEachNewValueAtOnce) {
  constexpr COLORREF kBar = RGB(182, 189, 210);
  auto* g = Placed<TbsSkinGauge>(form);
  g->SetBounds(10, 10, 120, 24);
  form->Show();
  xt::PumpUntilIdle();
  ASSERT_EQ(Px(g, 5, 5), kBar);  // half full
  ASSERT_NE(Px(g, 115, 5), kBar);
  g->SetValue(100);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(g, 115, 5), kBar);
  g->SetValue(0);
  xt::PumpUntilIdle();
  EXPECT_NE(Px(g, 5, 5), kBar);
}

TEST_F(EdgeValueTest, ALabelDrawsItsCaptionWhereANewAlignmentPutsIt) {
  auto* l = Placed<TbsSkinLabel>(form);
  l->SetBounds(10, 50, 200, 20);
  l->SetCaption("ab");
  form->Show();
  xt::PumpUntilIdle();
  auto drawnAt = [](const std::function<void()>& Change) {
    xt::ClearTextLog();
    Change();
    xt::PumpUntilIdle();
    for (const auto& r : xt::TextOutLog())
      if (r.text == "ab") return r.x;
    return -1;
  };
  const int left = drawnAt([&] { l->Invalidate(); });
  ASSERT_GE(left, 0);
  EXPECT_GT(drawnAt([&] { l->SetAlignment(taRightJustify); }), left + 100);
  EXPECT_EQ(drawnAt([&] { l->SetAlignment(taRightJustify); }), -1);  // the same one again: nothing drawn
}

TEST_F(EdgeValueTest, AComboIndexOnePastTheLastItemSelectsNothing) {
  auto* c = Placed<TbsSkinComboBox>(form);
  for (const char* s : { "a", "b", "c" }) c->Items()->Add(s);
  const struct { int index, selected; } cases[] = { { 2, 2 }, { 3, -1 }, { 0, 0 }, { -1, -1 } };
  for (const auto& k : cases) {
    c->SetItemIndex(k.index);
    EXPECT_EQ(c->ItemIndex(), k.selected) << k.index;
  }
}
