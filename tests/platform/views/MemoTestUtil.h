#pragma once
// Gallery pictures of the text views: a control with its frame as its form shows it, written to
// build/tests/gallery/platform-<control>-<state>.png.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/display/Png.h"
#include "platform/testing/TestHooks.h"
#include "platform/vcl/Forms.h"

namespace memotest {

inline void Gallery(TForm* Form, TControl* Control, const std::string& Name, const std::string& State) {
  int w = 0, h = 0;
  const std::vector<COLORREF> all = xj::test::WindowPixels(Form->Handle(), false, &w, &h);
  const TPoint at = Form->ScreenToClient(Control->Parent()->ClientToScreen(TPoint(Control->Left(), Control->Top())));
  std::vector<uint32_t> px;
  const int cw = Control->Width(), ch = Control->Height();
  for (int y = 0; y < ch; ++y)
    for (int x = 0; x < cw; ++x) {
      const int fx = at.X + x, fy = at.Y + y;
      const COLORREF v = fx >= 0 && fy >= 0 && fx < w && fy < h ? all[size_t(fy) * w + fx] : 0;
      px.push_back(uint32_t { GetRValue(v) } << 16 | uint32_t { GetGValue(v) } << 8 | GetBValue(v));
    }
  const std::filesystem::path dir = std::filesystem::path(XJ_BINARY_DIR) / "tests" / "gallery";
  std::filesystem::create_directories(dir);
  const xj::display::SurfaceView view { px.data(), cw, ch, cw * 4 };
  const std::string file = "platform-" + Name + "-" + State + ".png";
  ASSERT_TRUE(xj::display::WritePng((dir / file).string(), view)) << file;
}

}  // namespace memotest
