#pragma once
// Helpers for the header and list-view tests: a form for form resources, a control's picture for the
// gallery, and a press dragged across a control in steps.

#include <string>

#include "platform/vcl/ComCtrls.h"
#include "tests/platform/extctrls/ExtCtrlsTestUtil.h"
#include "tests/support/GalleryPng.h"

namespace viewtest {

using namespace exttest;

// A form holding one list view, for form resources (its published table is in ListViewTest.cpp).
class TViewsForm : public TForm {
  XJ_CLASS(TViewsForm, TForm)
 public:
  explicit TViewsForm(TComponent* AOwner) : TForm(AOwner) {}
  TListView* ListView1 {};
};

// Writes what the control shows to build/tests/gallery/platform-<control>-<state>.png.
inline void Gallery(TWinControl* c, const std::string& control, const std::string& state) {
  xt::PumpUntilIdle();
  xj::test::GalleryPng(c->Handle(), "platform-" + control + "-" + state, true);
}

// A borderless list view (client = control) of 300 × 200 at (10, 10) on Form, in report view.
template <class View>
View* NewReportView(TWinControl* Form) {
  auto* v = new View(Form);
  v->SetParent(Form);
  v->SetBorderStyle(bsNone);
  v->SetBounds(10, 10, 300, 200);
  v->SetViewStyle(vsReport);
  return v;
}

// A left press at (X1, Y) moved to X2 in steps of 4 pixels, released there (client coordinates).
inline void DragAcross(TControl* c, int X1, int Y, int X2) {
  const TPoint a = c->ClientToScreen(TPoint(X1, Y));
  xt::MouseDown(xt::mbLeft, a.X, a.Y);
  const int step = X2 >= X1 ? 4 : -4;
  for (int x = X1; step > 0 ? x < X2 : x > X2; x += step) {
    const TPoint p = c->ClientToScreen(TPoint(x, Y));
    xt::MouseMove(p.X, p.Y);
  }
  const TPoint b = c->ClientToScreen(TPoint(X2, Y));
  xt::MouseMove(b.X, b.Y);
  xt::MouseUp(xt::mbLeft, b.X, b.Y);
  xt::PumpUntilIdle();
}

// Whether any pixel of the rectangle (client coordinates) is far more blue than red and green: the
// colour of a hot caption.
inline bool Bluish(HWND h, const RECT& r) {
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) {
      const COLORREF c = xt::ReadPixel(h, x, y);
      if (GetBValue(c) > 0x60 && GetRValue(c) + 0x40 < GetBValue(c) && GetGValue(c) + 0x40 < GetBValue(c)) return true;
    }
  return false;
}

}  // namespace viewtest
