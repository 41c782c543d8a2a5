#pragma once
// A shown form for the tab controls with the test face (8 pixels per character, 13 high), and pictures
// of a control for the gallery.

#include <filesystem>
#include <string>
#include <vector>

#include "platform/display/Png.h"
#include "platform/vcl/ComCtrls.h"
#include "tests/platform/extctrls/ExtCtrlsTestUtil.h"

namespace tabstest {

using namespace exttest;

constexpr int kCharW = 8;   // test face: one single-byte character
constexpr int kThick = 19;  // a tab's thickness: the 13-pixel face and 3 pixels of padding each side
constexpr int kPadX = 6;

class TabsTest : public StockTest {
 protected:
  // A control of class T on the form with the test face.
  template <class T>
  T* Make(int Left, int Top, int Width, int Height) {
    auto* c = new T(form);
    c->SetParent(form);
    c->SetBounds(Left, Top, Width, Height);
    c->Font()->SetName("Platform Test");
    c->Font()->SetHeight(13);
    return c;
  }
  TTabSheet* AddSheet(TPageControl* Pages, const AnsiString& Caption) {
    auto* s = new TTabSheet(form);
    s->SetPageControl(Pages);
    s->SetCaption(Caption);
    return s;
  }
  // What the control shows, from the form's picture (children included), as a PNG in the gallery.
  void Gallery(TControl* c, const std::string& name) {
    xt::PumpUntilIdle();
    int w = 0, h = 0;
    const std::vector<COLORREF> all = xt::WindowPixels(form->Handle(), false, &w, &h);
    const TPoint at = form->ScreenToClient(c->ClientToScreen(TPoint(0, 0)));
    std::vector<uint32_t> px;
    for (int y = 0; y < c->Height(); ++y)
      for (int x = 0; x < c->Width(); ++x) {
        const int fx = at.X + x, fy = at.Y + y;
        const COLORREF v = fx >= 0 && fy >= 0 && fx < w && fy < h ? all[size_t(fy) * w + fx] : 0;
        px.push_back(uint32_t { GetRValue(v) } << 16 | uint32_t { GetGValue(v) } << 8 | GetBValue(v));
      }
    const std::filesystem::path dir = std::filesystem::path(XJ_BINARY_DIR) / "tests" / "gallery";
    std::filesystem::create_directories(dir);
    const xj::display::SurfaceView view { px.data(), c->Width(), c->Height(), c->Width() * 4 };
    ASSERT_TRUE(xj::display::WritePng((dir / ("platform-" + name + ".png")).string(), view)) << name;
  }
};

inline TRect R(const RECT& r) { return TRect(r.left, r.top, r.right, r.bottom); }

}  // namespace tabstest
