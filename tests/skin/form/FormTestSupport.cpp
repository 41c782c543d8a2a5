#include "tests/skin/form/FormTestSupport.h"

#include <filesystem>

#include "platform/display/Png.h"

namespace skinform {

void FormTest::SetUp() {
  ControlsTest::SetUp();
  form = NewSkinnedForm(100, 80, 400, 300, &sf);
  form->SetCaption("线路录音");
}

TForm* FormTest::NewSkinnedForm(int Left, int Top, int W, int H, RurIvozedevUzivEred** Component) {
  TForm* f = NewForm(Left, Top, W, H);
  f->SetBorderStyle(bsSizeable);
  *Component = new RurIvozedevUzivEred(f);
  return f;
}

TbsSkinData* FormTest::LoadTestSkin() {
  if (!skin) skin = new TbsSkinData(form);
  skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
  second = false;
  sf->SetSkinData(skin);
  return skin;
}

TbsSkinData* FormTest::LoadSecondSkin() {
  if (!skin) skin = new TbsSkinData(form);
  second = true;
  skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/second/skin.ini");
  sf->SetSkinData(skin);
  return skin;
}

void FormTest::Show() {
  form->Show();
  xt::PumpUntilIdle();
}

mkskin::DecodedPixel FormTest::Decode(COLORREF c) {
  return mkskin::DecodePixel(uint32_t { GetRValue(c) } << 16 | uint32_t { GetGValue(c) } << 8 | GetBValue(c));
}

uint8_t FormTest::ObjectOwner(const AnsiString& Name) const {
  const int index = skin ? skin->GetIndex(Name) : -1;
  if (index < 0) return 0;
  return second ? mkskin::SecondObjectOwner(index) : mkskin::ObjectOwner(index);
}

int FormTest::HitAt(int X, int Y) const {
  const TPoint s = Screen(X, Y);
  return static_cast<int>(SendMessageA(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(s.X, s.Y)));
}

TPoint FormTest::CentreOf(const AnsiString& Name) const {
  const int i = sf->GetIndex(Name);
  if (i < 0) return TPoint(-1, -1);
  const TRect r = sf->Objects(i)->ObjectRect;
  return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

void FormTest::Gallery(const std::string& state) const {
  int w = 0, h = 0;
  const std::vector<COLORREF> all = xt::WindowPixels(form->Handle(), true, &w, &h);
  std::vector<uint32_t> px;
  px.reserve(all.size());
  for (size_t i = 0; i < all.size(); ++i) {
    const int x = int(i % w), y = int(i / w);
    // Outside the window's shape shows as the desktop's grey.
    const COLORREF v = xt::WindowRegionContains(form->Handle(), POINT { x, y }) ? all[i] : RGB(128, 128, 128);
    px.push_back(uint32_t { GetRValue(v) } << 16 | uint32_t { GetGValue(v) } << 8 | GetBValue(v));
  }
  const std::filesystem::path dir = std::filesystem::path(XJ_BINARY_DIR) / "tests" / "gallery";
  std::filesystem::create_directories(dir);
  const xj::display::SurfaceView view { px.data(), w, h, w * 4 };
  const std::string name = "bsSkinForm-RurIvozedevUzivEred-" + state + ".png";
  ASSERT_TRUE(xj::display::WritePng((dir / name).string(), view)) << name;
}

}  // namespace skinform
