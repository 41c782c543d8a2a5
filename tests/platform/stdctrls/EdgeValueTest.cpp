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

// A property that changes what a caption looks like repaints it on its own; set to what it already is,
// it paints nothing.
TEST_F(EdgeValueTest, ACaptionsLookChangedRepaintsItAndTheSameLookPaintsNothing) {
  using Setter = std::function<void(int)>;
  const struct {
    const char* name;
    const char* caption[2];  // what it shows at each value
    std::function<Setter()> make;
  } rows[] = {
    { "TLabel layout",
      { "layout", "layout" },
      [this]() -> Setter {
        auto* c = Add<TLabel>(10, 10, 80, 40);
        c->SetAutoSize(false);
        c->SetCaption("layout");
        return [c](int v) { c->SetLayout(v ? tlBottom : tlTop); };
      } },
    { "TLabel alignment",
      { "alignment", "alignment" },
      [this]() -> Setter {
        auto* c = Add<TLabel>(10, 60, 120, 20);
        c->SetAutoSize(false);
        c->SetCaption("alignment");
        return [c](int v) { c->SetAlignment(v ? taRightJustify : taLeftJustify); };
      } },
    { "TGroupBox caption",
      { "other", "group" },
      [this]() -> Setter {
        auto* c = Add<TGroupBox>(10, 90, 150, 60);
        return [c](int v) { c->SetCaption(v ? "group" : "other"); };
      } },
    { "TPanel alignment",
      { "panel", "panel" },
      [this]() -> Setter {
        auto* c = Add<TPanel>(10, 160, 150, 30);
        c->SetCaption("panel");
        return [c](int v) { c->SetAlignment(v ? taRightJustify : taCenter); };
      } },
  };
  Show();
  for (const auto& row : rows) {
    const Setter set = row.make();
    set(0);
    xt::PumpUntilIdle();
    for (auto [value, paints] : { std::pair { 1, true }, std::pair { 1, false }, std::pair { 0, true } }) {
      xt::ClearTextLog();
      set(value);
      xt::PumpUntilIdle();
      int drawn = 0;
      for (const auto& t : xt::TextOutLog()) drawn += t.text == row.caption[value];
      EXPECT_EQ(drawn > 0, paints) << row.name << " set to " << value;
    }
  }
}

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
