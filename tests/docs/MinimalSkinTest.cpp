// The format page's minimal skin as the page gives it: the INI text taken from the page, the two pictures
// drawn as the page describes them. It loads, a skinned form and a skinned button draw from it, and the
// fourth byte of a 32-bit picture changes nothing.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/display/Png.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/data/bsSkinData.h"
#include "skin/form/bsSkinForm.h"
#include "tests/support/ControlsTestUtil.h"
#include "tests/support/Scratch.h"

namespace {

namespace fs = std::filesystem;
using namespace ctltest;

// The colours the page gives the pictures.
constexpr COLORREF kFrame = RGB(40, 60, 120), kClient = RGB(236, 236, 236), kClose = RGB(200, 40, 40),
                   kEdge = RGB(30, 50, 90), kNormal = RGB(120, 160, 220), kHot = RGB(250, 200, 90);

// The ```ini block under the heading "## A minimal skin" of the format page; empty when there is none.
std::string MinimalSkinText() {
  std::ifstream in(fs::path(XJ_SOURCE_DIR) / "docs" / "skin-format.md", std::ios::binary);
  std::stringstream doc;
  doc << in.rdbuf();
  const std::string text = doc.str();
  const size_t heading = text.find("\n## A minimal skin\n");
  const size_t open = heading == std::string::npos ? heading : text.find("\n```ini\n", heading);
  const size_t close = open == std::string::npos ? open : text.find("\n```\n", open + 1);
  return close == std::string::npos ? std::string() : text.substr(open + 8, close + 1 - (open + 8));
}

// A Windows bitmap file of W x H pixels at Bits (24 or 32) bits, bottom-up, in Fill with each of Parts
// (the last one that holds a pixel) in its colour. The writer of TBitmap writes true colour as 24 bits, so
// this one is by hand. At 32 bits the fourth byte of the pixel at (x, y) is (7x + 13y) mod 256: every
// value, 0 among them, the same on no two neighbours.
void WritePicture(const std::string& Path, int W, int H, int Bits, COLORREF Fill,
                  std::initializer_list<std::pair<TRect, COLORREF>> Parts) {
  const int stride = (W * Bits / 8 + 3) / 4 * 4;
  std::string f;
  auto put = [&](uint32_t V, int Bytes) {
    for (int i = 0; i < Bytes; ++i) f += char(V >> 8 * i);
  };
  f += "BM";
  put(54 + stride * H, 4), put(0, 4), put(54, 4);
  put(40, 4), put(W, 4), put(H, 4), put(1, 2), put(Bits, 2), put(BI_RGB, 4), put(stride * H, 4);
  f.append(16, 0);  // resolution and colour counts
  for (int y = H - 1; y >= 0; --y) {
    const size_t row = f.size();
    for (int x = 0; x < W; ++x) {
      COLORREF c = Fill;
      for (const auto& [r, colour] : Parts)
        if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) c = colour;
      f += { char(GetBValue(c)), char(GetGValue(c)), char(GetRValue(c)) };
      if (Bits == 32) f += char(7 * x + 13 * y);
    }
    f.resize(row + stride, 0);
  }
  std::ofstream(Path, std::ios::binary) << f;
}

void Gallery(HWND Window, const std::string& Name) {
  int w = 0, h = 0;
  std::vector<uint32_t> px;
  for (COLORREF c : xt::WindowPixels(Window, true, &w, &h))
    px.push_back(uint32_t { GetRValue(c) } << 16 | uint32_t { GetGValue(c) } << 8 | GetBValue(c));
  const fs::path dir = fs::path(XJ_BINARY_DIR) / "tests" / "gallery";
  fs::create_directories(dir);
  ASSERT_TRUE(xj::display::WritePng((dir / Name).string(), { px.data(), w, h, w * 4 })) << Name;
}

class MinimalSkin : public ControlsTest, public ::testing::WithParamInterface<int> {};

TEST_P(MinimalSkin, LoadsAsWrittenAndTheFormAndTheButtonDrawFromItsPictures) {
  const int bits = GetParam();
  xj::test::ScratchDir dir("minimal-skin");
  const std::string ini = MinimalSkinText();
  ASSERT_NE(ini.find("[SKINCONTROLS]"), std::string::npos) << "no skin under \"## A minimal skin\"";
  std::ofstream(dir / "skin.ini", std::ios::binary) << ini;
  WritePicture(dir / "frame.bmp", 200, 100, bits, kFrame,
               { { TRect(6, 30, 194, 94), kClient }, { TRect(176, 8, 192, 24), kClose } });
  WritePicture(dir / "button.bmp", 60, 50, bits, kEdge,
               { { TRect(2, 2, 58, 23), kNormal }, { TRect(2, 27, 58, 48), kHot } });

  // A form 120 x 100 larger than the frame picture, a button 37 x 6 larger than its face.
  TForm* form = NewForm(100, 80, 320, 200);
  form->SetBorderStyle(bsSizeable);
  form->SetCaption("Minimal");
  auto* sf = new RurIvozedevUzivEred(form);
  auto* skin = new TbsSkinData(form);
  skin->LoadFromFile(dir / "skin.ini");
  ASSERT_FALSE(skin->Empty) << skin->LastError();
  EXPECT_EQ(skin->LastError(), "");
  if (bits == 32) {
    // The fourth bytes were read as written.
    ASSERT_EQ(skin->Picture->PixelFormat(), pf32bit);
    EXPECT_EQ(static_cast<uint8_t*>(skin->Picture->ScanLine(1))[4 * 3 + 3], 7 * 3 + 13 * 1);
  }
  sf->SetSkinData(skin);
  auto* button = new TbsSkinButton(form);
  button->SetParent(form);
  button->SetSkinData(skin);
  button->SetBounds(20, 20, 97, 31);
  int clicks = 0;
  button->OnClick = On<TNotifyEvent>([&](TObject*) { ++clicks; });
  auto* focus = new TEdit(form);  // the focus elsewhere: a focused button shows its hot face
  focus->SetParent(form);
  focus->SetBounds(200, 100, 60, 22);
  form->Show();
  focus->SetFocus();
  xt::PumpUntilIdle();

  // The frame: 6 pixels at the sides and the bottom, 30 at the top, its middles repeated.
  EXPECT_EQ(form->ClientWidth(), 320 - 12);
  EXPECT_EQ(form->ClientHeight(), 200 - 36);
  auto frame = [&](int x, int y) { return xt::ReadPixel(form->Handle(), x, y, true); };
  for (const POINT p : { POINT { 0, 0 }, POINT { 5, 150 }, POINT { 314, 150 }, POINT { 250, 2 }, POINT { 160, 199 } })
    EXPECT_EQ(frame(p.x, p.y), kFrame) << p.x << ", " << p.y;
  EXPECT_EQ(frame(6, 150), kClient);
  // Across the grown band: the caption in white within its text rectangle (12 to 286), the close button
  // 16 pixels from the right edge, the frame's blue everywhere else.
  int text = 0, white = 0, stray = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 320; ++x) {
      const COLORREF c = frame(x, y);
      const bool inText = x >= 12 && x < 286 && y >= 4 && y < 26;
      const bool inClose = x >= 176 + 120 && x < 192 + 120 && y >= 8 && y < 24;
      text += inText && c != kFrame;
      white += inText && c == RGB(255, 255, 255);
      stray += !inText && c != (inClose ? kClose : kFrame);
    }
  EXPECT_GT(text, 40);
  EXPECT_GT(white, 0);
  EXPECT_EQ(stray, 0);
  // The client area repeats the picture's client rectangle.
  EXPECT_EQ(xt::ReadPixel(form->Handle(), 150, 5), kClient);
  EXPECT_EQ(xt::ReadPixel(form->Handle(), 307, 163), kClient);

  // The button: its face stretched, the 2-pixel edges kept; the hot face under the mouse.
  auto face = [&](int x, int y) { return xt::ReadPixel(form->Handle(), 20 + x, 20 + y); };
  // Each pair straddles an edge's inner line: 2 pixels of edge, then the fill.
  const struct {
    int x, y;
    bool edge;
  } probes[] = { { 1, 15, true }, { 2, 15, false }, { 94, 15, false }, { 95, 15, true },
                 { 48, 1, true }, { 48, 2, false }, { 48, 28, false }, { 48, 29, true } };
  auto edges = [&](COLORREF Fill) {
    for (const auto& p : probes) EXPECT_EQ(face(p.x, p.y), p.edge ? kEdge : Fill) << p.x << ", " << p.y;
  };
  edges(kNormal);
  Gallery(form->Handle(), "docs-MinimalSkin-" + std::to_string(bits) + "bit-normal.png");
  MoveTo(button, 48, 15);
  xt::PumpUntilIdle();
  edges(kHot);
  Gallery(form->Handle(), "docs-MinimalSkin-" + std::to_string(bits) + "bit-hot.png");
  MoveTo(form, 150, 140);
  xt::PumpUntilIdle();
  edges(kNormal);
  EXPECT_EQ(clicks, 0);

  // The close button closes the form.
  xt::Click(form->Left() + 184 + 120, form->Top() + 16);
  xt::PumpUntilIdle();
  EXPECT_FALSE(form->Visible());
}

INSTANTIATE_TEST_SUITE_P(Depths, MinimalSkin, ::testing::Values(24, 32));

}  // namespace
