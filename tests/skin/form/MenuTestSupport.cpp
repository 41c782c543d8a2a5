#include "tests/skin/form/MenuTestSupport.h"

#include <filesystem>

#include "platform/display/Png.h"

namespace skmenu {

TTestMenuHost::TTestMenuHost(TForm* AForm, std::vector<std::string>* ALog)
    : TComponent(AForm), FForm(AForm), FLog(ALog), FMenu(new TbsSkinMenu(this, AForm)) {
  FOldProc = AForm->WindowProc;
  AForm->WindowProc = TWndMethod::FromCallable([this](TMessage& m) {
    if (m.Msg == WM_CLOSESKINMENU) {
      FLog->push_back("close:form");
      SkinMenuClose();
      return;
    }
    FOldProc(m);
  });
}

TTestMenuHost::~TTestMenuHost() {
  if (!FForm->ComponentState().Contains(csDestroying)) FForm->WindowProc = FOldProc;
}

void TTestMenuHost::SkinMenuOpen() {
  FLog->push_back("open");
  FInMenu = true;
}

void TTestMenuHost::SkinMenuClose() {
  FInMenu = false;
  if (FInMainMenu) {
    FInMainMenu = false;
    if (Bar) Bar->MenuExit();
  }
}

void TTestMenuHost::SkinMainMenuClose() {
  FInMainMenu = false;
  if (FMenu->Visible()) FMenu->Hide();
  if (Bar) Bar->MenuExit();
}

void TTestMenuHost::SetWindowState(TWindowState Value) {
  State = Value;
  FLog->push_back("state:" + std::to_string(int(Value)));
}

void MenuTest::SetUp() {
  ControlsTest::SetUp();
  form = NewForm(40, 30, 420, 300);
  host = new TTestMenuHost(form, &log);
  popup = new TPopupMenu(form);
  form->Show();
  xt::PumpUntilIdle();
}

TbsSkinData* MenuTest::LoadTestSkin() {
  if (!skin) skin = new TbsSkinData(form);
  skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
  secondLoaded = false;
  host->Skin = skin;
  return skin;
}

TbsSkinData* MenuTest::LoadSecondSkin() {
  if (!skin) skin = new TbsSkinData(form);
  skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/second/skin.ini");
  secondLoaded = true;
  host->Skin = skin;
  return skin;
}

TMenuItem* MenuTest::Add(TMenuItem* Parent, const AnsiString& Caption, bool Enabled) {
  auto* item = new TMenuItem(form);
  item->SetCaption(Caption);
  item->SetEnabled(Enabled);
  std::string name = Caption.c_str();
  item->OnClick = On<TNotifyEvent>([this, name](TObject*) { log.push_back("click:" + name); });
  Parent->Add(item);
  return item;
}

TPoint MenuTest::LevelPoint(TbsSkinPopupWindow* L, int X, int Y) {
  RECT r {};
  GetWindowRect(L->Handle(), &r);
  return TPoint(r.left + X, r.top + Y);
}

TPoint MenuTest::ItemCentre(TbsSkinPopupWindow* L, int I) {
  const TRect& o = L->Items(I)->ObjectRect();
  return LevelPoint(L, (o.Left + o.Right) / 2, (o.Top + o.Bottom) / 2);
}

mkskin::DecodedPixel MenuTest::Decode(COLORREF c) {
  return mkskin::DecodePixel(uint32_t { GetRValue(c) } << 16 | uint32_t { GetGValue(c) } << 8 | GetBValue(c));
}

uint8_t MenuTest::ObjectOwnerOf(const AnsiString& Name) const {
  const int i = skin ? skin->GetIndex(Name) : -1;
  if (i < 0) return 0;
  return secondLoaded ? mkskin::SecondObjectOwner(i) : mkskin::ObjectOwner(i);
}

uint8_t MenuTest::ControlOwnerOf(const AnsiString& Name) const {
  const int i = skin ? skin->GetControlIndex(Name) : -1;
  if (i < 0) return 0;
  return secondLoaded ? mkskin::SecondControlOwner(i) : mkskin::ControlOwner(i);
}

void MenuTest::Gallery(HWND Window, const std::string& unit, const std::string& what, const std::string& state) {
  int w = 0, h = 0;
  const std::vector<COLORREF> all = xt::WindowPixels(Window, false, &w, &h);
  ASSERT_GT(w, 0);
  std::vector<uint32_t> px;
  for (COLORREF v : all)
    px.push_back(v == CLR_INVALID ? 0u
                                  : uint32_t { GetRValue(v) } << 16 | uint32_t { GetGValue(v) } << 8 | GetBValue(v));
  const std::filesystem::path dir = std::filesystem::path(XJ_BINARY_DIR) / "tests" / "gallery";
  std::filesystem::create_directories(dir);
  const xj::display::SurfaceView view { px.data(), w, h, w * 4 };
  const std::string name = unit + "-" + what + "-" + state + ".png";
  ASSERT_TRUE(xj::display::WritePng((dir / name).string(), view)) << name;
}

}  // namespace skmenu
