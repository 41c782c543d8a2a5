// Controls whose paint raises: the user is told once for each size of the control, a windowless one as
// itself (the controls above it still paint), and the windows are left valid.

#include "tests/support/ControlsTestUtil.h"

using namespace ctltest;

namespace {

template <class TBase>
class TFailing : public TBase {
 public:
  explicit TFailing(TComponent* AOwner) : TBase(AOwner) {}
  int Paints { 0 };

 protected:
  void Paint() override {
    ++Paints;
    throw Exception("cannot paint");
  }
};

class PaintErrorTest : public ControlsTest {};

TEST_F(PaintErrorTest, AControlThatCannotPaintIsToldOncePerSize) {
  TForm* form = NewForm(40, 30, 300, 200);
  auto* shape = new TFailing<TTestShape>(form);
  shape->SetParent(form);
  shape->SetBounds(10, 10, 40, 20);
  auto* above = new TTestShape(form);
  above->SetParent(form);
  above->SetBounds(30, 10, 40, 20);
  above->SetColor(static_cast<TColor>(RGB(255, 0, 0)));
  auto* panel = new TFailing<TTestPanel>(form);
  panel->SetParent(form);
  panel->SetBounds(100, 10, 60, 40);
  std::vector<TObject*> told;
  Application->OnException = On<TExceptionEvent>([&](TObject* Sender, Exception*) { told.push_back(Sender); });
  form->Show();
  auto paintAll = [&] {
    for (int i = 0; i < 3; ++i) {
      shape->Repaint();
      panel->Repaint();
      RedrawWindow(form->Handle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
      xt::PumpUntilIdle();
    }
  };
  paintAll();
  EXPECT_GE(shape->Paints, 6);
  EXPECT_GE(panel->Paints, 6);
  auto toldOf = [&](TObject* c) { return std::count(told.begin(), told.end(), c); };
  EXPECT_EQ(told.size(), 2u);
  EXPECT_EQ(toldOf(shape), 1);
  EXPECT_EQ(toldOf(panel), 1);
  // The control above the failing one painted, and nothing is left to paint.
  EXPECT_EQ(xt::ReadPixel(form->Handle(), 45, 15), RGB(255, 0, 0));
  RECT u {};
  EXPECT_FALSE(GetUpdateRect(form->Handle(), &u, FALSE));
  EXPECT_FALSE(GetUpdateRect(panel->Handle(), &u, FALSE));
  // At a new size each fails anew and is told once more; a new look at the same size too.
  shape->SetWidth(41);
  panel->SetHeight(39);
  paintAll();
  EXPECT_EQ(told.size(), 4u);
  EXPECT_EQ(toldOf(shape), 2);
  EXPECT_EQ(toldOf(panel), 2);
  panel->ResetPaintError();
  paintAll();
  EXPECT_EQ(told.size(), 5u);
  EXPECT_EQ(told.back(), panel);
  Application->OnException = nullptr;
}

}  // namespace
