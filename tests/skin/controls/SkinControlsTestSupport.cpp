#include "tests/skin/controls/SkinControlsTestSupport.h"

#include <filesystem>

#include "platform/display/Png.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/controls/bsSkinCtrls_base.h"

namespace skinctl {

void SkinControlsTest::SetUp() {
  ControlsTest::SetUp();
  form = NewForm(40, 30, 420, 300);
  form->SetColor(static_cast<int32_t>(RGB(0, 96, 0)));
}

TbsSkinData* SkinControlsTest::LoadTestSkin() {
  if (!skin) {
    skin = new TbsSkinData(form);
    skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
  }
  return skin;
}

TbsSkinData* SkinControlsTest::LoadSecondSkin() {
  if (!skin) skin = new TbsSkinData(form);
  BeforeChangeSkinDataWalk(form, skin);
  skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/second/skin.ini");
  secondLoaded = true;
  ChangeSkinDataWalk(form, skin);
  return skin;
}

TWinControl* SkinControlsTest::FocusHolder() {
  if (!holder) {
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(form->ClientWidth() - 64, form->ClientHeight() - 26, 60, 22);
    holder = edit;
  }
  return holder;
}

void SkinControlsTest::ShowUnfocused() {
  TWinControl* h = FocusHolder();
  form->Show();
  h->SetFocus();
  xt::PumpUntilIdle();
}

void SkinControlsTest::Key(bool Down, UINT Vk, unsigned Shift) {
  if (Down)
    xt::KeyDown(Vk, Shift, false);
  else
    xt::KeyUp(Vk, Shift, false);
  Application->ProcessMessages();
  xt::PumpUntilIdle();
}

void SkinControlsTest::Press(UINT Vk, unsigned Shift) {
  Key(true, Vk, Shift);
  Key(false, Vk, Shift);
}

mkskin::DecodedPixel SkinControlsTest::Decode(COLORREF c) {
  return mkskin::DecodePixel(uint32_t { GetRValue(c) } << 16 | uint32_t { GetGValue(c) } << 8 | GetBValue(c));
}

COLORREF SkinControlsTest::Px(TControl* c, int x, int y) const {
  const TPoint p = c->ClientToScreen(TPoint(x, y));
  const TPoint f = form->ScreenToClient(p);
  return xt::ReadPixel(form->Handle(), f.X, f.Y);
}

uint8_t SkinControlsTest::OwnerOf(const AnsiString& Name) const {
  const int index = skin ? skin->GetControlIndex(Name) : -1;
  if (index < 0) return 0;
  return secondLoaded ? mkskin::SecondControlOwner(index) : mkskin::ControlOwner(index);
}

void SkinControlsTest::Gallery(TControl* c, const std::string& unit, const std::string& state) const {
  int w = 0, h = 0;
  const std::vector<COLORREF> all = xt::WindowPixels(form->Handle(), false, &w, &h);
  // The whole control, its non-client parts included.
  const TPoint at = form->ScreenToClient(c->Parent() ? c->Parent()->ClientToScreen(TPoint(c->Left(), c->Top()))
                                                     : c->ClientToScreen(TPoint(0, 0)));
  std::vector<uint32_t> px;
  const int cw = c->Width(), ch = c->Height();
  for (int y = 0; y < ch; ++y)
    for (int x = 0; x < cw; ++x) {
      const int fx = at.X + x, fy = at.Y + y;
      const COLORREF v = fx >= 0 && fy >= 0 && fx < w && fy < h ? all[size_t(fy) * w + fx] : 0;
      px.push_back(uint32_t { GetRValue(v) } << 16 | uint32_t { GetGValue(v) } << 8 | GetBValue(v));
    }
  const std::filesystem::path dir = std::filesystem::path(XJ_BINARY_DIR) / "tests" / "gallery";
  std::filesystem::create_directories(dir);
  const xj::display::SurfaceView view { px.data(), cw, ch, cw * 4 };
  const std::string name = unit + "-" + c->ClassName() + "-" + state + ".png";
  ASSERT_TRUE(xj::display::WritePng((dir / name).string(), view)) << name;
}

}  // namespace skinctl
