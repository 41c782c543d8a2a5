// What a value change owes its listeners, over every stock control with a value: a new value is
// reported once, the same value again not at all.

#include <functional>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "tests/support/ValueChanges.h"
#include "tests/platform/stdctrls/StdCtrlsTestUtil.h"

using namespace stdtest;

namespace {

class EdgeValueTest : public StdCtrlsTest {};

}  // namespace

TEST_F(EdgeValueTest, AValueSetToWhatItAlreadyIsReportsNothing) {
  // Each row makes its control, counts its change event and returns the setter (two states: non-zero on).
  using Setter = std::function<void(int)>;
  const struct {
    const char* name;
    std::function<Setter(int&)> make;
  } rows[] = {
    { "TCheckBox",
      [this](int& n) -> Setter {
        auto* c = Add<TCheckBox>(10, 10);
        c->OnClick = valuetest::Counter(n);
        return [c](int v) { c->SetChecked(v != 0); };
      } },
    { "TRadioButton",
      [this](int& n) -> Setter {
        // Two side by side: a radio button is unchecked by checking the other, which alone clicks.
        auto* a = Add<TRadioButton>(10, 40);
        auto* b = Add<TRadioButton>(100, 40);
        a->OnClick = b->OnClick = valuetest::Counter(n);
        return [a, b](int v) { (v ? a : b)->SetChecked(true); };
      } },
    { "TRadioGroup",
      [this](int& n) -> Setter {
        auto* c = Add<TRadioGroup>(10, 70, 200, 120);
        for (int i = 0; i < 40; ++i) c->Items()->Add("item");
        c->OnClick = valuetest::Counter(n);
        return [c](int v) { c->SetItemIndex(v); };
      } },
    { "TScrollBar",
      [this](int& n) -> Setter {
        auto* c = Add<TScrollBar>(220, 10);
        c->OnChange = valuetest::Counter(n);
        return [c](int v) { c->SetPosition(v); };
      } },
    { "TTrackBar",
      [this](int& n) -> Setter {
        auto* c = Add<TTrackBar>(220, 40, 150, 30);
        c->SetMax(50);
        c->OnChange = valuetest::Counter(n);
        return [c](int v) { c->SetPosition(v); };
      } },
  };
  Show();
  for (const auto& row : rows) {
    int changes = 0;
    const Setter set = row.make(changes);
    xt::PumpUntilIdle();
    valuetest::ExpectOneReportPerChange(set, changes, row.name);
  }
}
