// The plain skin (a skin of real look, drawn by tools/mkskin): it holds every record the test skin holds,
// of the same class, each rectangle cut from a picture that is there, so nothing falls back to the
// built-in look; and a form with every skinned control draws from it, with states a person can tell
// apart. Writes the pictures scripts/gallery takes into docs/: build/tests/gallery/plain-form-every-control.png
// and the skinned form with its menu open, plain-form-menu-open.png.

#include <filesystem>
#include <functional>
#include <set>

#include "platform/display/Png.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/controls/bsSkinTabs.h"
#include "skin/data/bsUtils.h"
#include "skin/form/bsSkinMenus.h"
#include "tests/skin/data/SkinFields.h"
#include "tests/skin/form/FormTestSupport.h"

namespace skinform {
namespace {

class PlainSkinTest : public FormTest {
 protected:
  TbsSkinData* LoadPlainSkin() {
    if (!skin) skin = new TbsSkinData(form);
    skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/plain/skin.ini");
    sf->SetSkinData(skin);
    return skin;
  }

  // What the screen shows of a rectangle (screen coordinates), as 0xRRGGBB.
  static std::vector<uint32_t> Screen(const TRect& r) {
    int dw = 0, dh = 0;
    const std::vector<COLORREF> all = xt::DesktopPixels(&dw, &dh);
    std::vector<uint32_t> px;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) {
        const COLORREF v = x >= 0 && y >= 0 && x < dw && y < dh ? all[size_t(y) * dw + x] : 0;
        px.push_back(uint32_t { GetRValue(v) } << 16 | uint32_t { GetGValue(v) } << 8 | GetBValue(v));
      }
    return px;
  }
  static void Write(const std::string& name, const TRect& r) {
    std::vector<uint32_t> px = Screen(r);
    const auto dir = std::filesystem::path(XJ_BINARY_DIR) / "tests" / "gallery";
    std::filesystem::create_directories(dir);
    const xj::display::SurfaceView view { px.data(), r.Width(), r.Height(), r.Width() * 4 };
    ASSERT_TRUE(xj::display::WritePng((dir / ("plain-" + name + ".png")).string(), view)) << name;
  }
  static uint32_t ColourAt(TControl* c, int X, int Y) {
    const TPoint p = c->ClientToScreen(TPoint(X, Y));
    return Screen(TRect(p.X, p.Y, p.X + 1, p.Y + 1))[0];
  }

  template <class T>
  T* Put(int L, int T0, int W, int H, const AnsiString& Caption = AnsiString()) {
    auto* c = new T(form);
    c->SetParent(form);
    c->SetBounds(L, T0 + (T0 > 0 ? 36 : 0), W, H);
    if (!Caption.empty()) c->SetCaption(Caption);
    c->SetSkinData(skin);
    return c;
  }

  static void Key(UINT Vk, unsigned Shift = xt::ssNone) {
    xt::KeyDown(Vk, Shift, false);
    Application->ProcessMessages();
    xt::KeyUp(Vk, Shift, false);
    Application->ProcessMessages();
    xt::PumpUntilIdle();
  }
};

TEST_F(PlainSkinTest, HoldsEveryRecordOfTheTestSkinOfItsClassCutFromPicturesThatAreThere) {
  TbsSkinData* plain = LoadPlainSkin();
  ASSERT_FALSE(plain->Empty);
  auto* test = new TbsSkinData(form);
  test->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
  ASSERT_FALSE(test->Empty);

  auto picture = [&](int index) -> TBitmap* {
    if (index < 0 || index >= plain->ActivePictures->Count()) return nullptr;
    auto* b = static_cast<TBitmap*>(plain->ActivePictures->Items(index));
    return b->Empty() ? nullptr : b;
  };
  auto inside = [](const TRect& r, const TBitmap* b) {
    return r.Left >= 0 && r.Top >= 0 && r.Right <= b->Width() && r.Bottom <= b->Height() && r.Left < r.Right &&
           r.Top < r.Bottom;
  };
  // Every rectangle the test skin gives a record, the plain skin gives it too, inside the picture it is
  // read from; a rectangle the test skin leaves empty stays empty.
  auto checkRects = [&](TObject* want, TObject* got, TBitmap* from, const std::string& name) {
    for (const skintest::RectField& f : skintest::RectFields()) {
      const auto w = f.get(want), g = f.get(got);
      if (!w) continue;
      ASSERT_TRUE(g) << name;
      if (IsNullRect(*w)) {
        EXPECT_TRUE(IsNullRect(*g)) << name << " " << f.key;
        continue;
      }
      ASSERT_NE(from, nullptr) << name;
      EXPECT_TRUE(inside(*g, from)) << name << " " << f.key;
    }
  };
  for (int i = 0; i < test->ObjectList->Count(); ++i) {
    auto* want = static_cast<TbsDataSkinObject*>(test->ObjectList->Items(i));
    if (want->IDName == "logo") continue;  // the test skin's own decoration, read by no code
    const int at = plain->GetIndex(want->IDName);
    ASSERT_GE(at, 0) << want->IDName;
    auto* got = static_cast<TbsDataSkinObject*>(plain->ObjectList->Items(at));
    EXPECT_EQ(got->ClassType(), want->ClassType()) << want->IDName;
    TBitmap* active = picture(got->ActivePictureIndex);
    ASSERT_NE(active, nullptr) << want->IDName;
    // A frame object's own face lies in the frame picture, its other looks in its active picture.
    const bool inFrame = inside(want->SkinRect, test->Picture.get()) && want->ActivePictureIndex >= 0 &&
                         !want->SkinRectInAPicture && want->IDName != "menuitem" && want->IDName != "menubaritem" &&
                         want->IDName.find("mdi") != 0;
    EXPECT_TRUE(inside(got->SkinRect, inFrame ? plain->Picture.get() : active)) << want->IDName;
    const TRect face = got->SkinRect;
    got->SkinRect = TRect(0, 0, 1, 1);  // checked above against its own picture
    checkRects(want, got, active, want->IDName.c_str());
    got->SkinRect = face;
  }
  for (int i = 0; i < test->CtrlList->Count(); ++i) {
    auto* want = static_cast<TbsDataSkinControl*>(test->CtrlList->Items(i));
    const int at = plain->GetControlIndex(want->IDName);
    ASSERT_GE(at, 0) << want->IDName;
    auto* got = static_cast<TbsDataSkinControl*>(plain->CtrlList->Items(at));
    EXPECT_EQ(got->ClassType(), want->ClassType()) << want->IDName;
    TBitmap* from = picture(got->PictureIndex);
    ASSERT_NE(from, nullptr) << want->IDName;
    checkRects(want, got, from, want->IDName.c_str());
    if (want->MaskPictureIndex >= 0) {
      TBitmap* mask = picture(got->MaskPictureIndex);
      ASSERT_NE(mask, nullptr) << want->IDName;
      EXPECT_EQ(mask->Width(), got->SkinRect.Width()) << want->IDName;
      EXPECT_EQ(mask->Height(), got->SkinRect.Height()) << want->IDName;
    }
  }
  EXPECT_EQ(plain->ObjectList->Count(), test->ObjectList->Count() - 1);
  EXPECT_EQ(plain->CtrlList->Count(), test->CtrlList->Count());
  // The frame, its inactive look, the popup and hint windows and the form's background are there.
  EXPECT_FALSE(plain->Picture->Empty());
  EXPECT_FALSE(plain->InActivePicture->Empty());
  EXPECT_NE(picture(plain->PopupWindow->WindowPictureIndex), nullptr);
  EXPECT_NE(picture(plain->HintWindow->WindowPictureIndex), nullptr);
  EXPECT_NE(picture(plain->BGPictureIndex), nullptr);
  EXPECT_TRUE(inside(plain->ClRect, plain->Picture.get()));
  EXPECT_EQ(plain->Picture->Width(), plain->InActivePicture->Width());
}

TEST_F(PlainSkinTest, AFormWithEveryControlDrawsFromItWithStatesToTellApart) {
  form->SetBounds(40, 30, 780, 600);
  form->SetCaption("朴素皮肤");
  LoadPlainSkin();
  auto* button = Put<TbsSkinButton>(10, 10, 90, 26, "确定");
  auto* hotButton = Put<TbsSkinButton>(110, 10, 90, 26, "热点");
  auto* downButton = Put<TbsSkinButton>(210, 10, 90, 26, "按下");
  auto* offButton = Put<TbsSkinButton>(310, 10, 90, 26, "禁用");
  offButton->SetEnabled(false);
  Put<TbsSkinMenuButton>(410, 10, 100, 26, "菜单");
  Put<TbsSkinSpeedButton>(520, 10, 26, 26);
  auto* check = Put<TbsSkinCheckRadioBox>(10, 46, 110, 20, "复选框");
  check->SetChecked(true);
  auto* radio = Put<TbsSkinCheckRadioBox>(130, 46, 110, 20, "单选框");
  radio->SetRadio(true);
  radio->SetSkinDataName("radiobox");
  radio->SetChecked(true);
  auto* edit = Put<TbsSkinEdit>(250, 46, 120, 22);
  edit->SetText("编辑框");
  auto* combo = Put<TbsSkinComboBox>(380, 46, 130, 22);
  combo->Items()->Add("第一项");
  combo->Items()->Add("第二项");
  combo->SetItemIndex(0);
  auto* spin = Put<TbsSkinSpinEdit>(520, 46, 80, 22);
  spin->SetValue(42);
  auto* list = Put<TbsSkinListBox>(10, 80, 170, 120);
  for (const char* s : { "第一行", "选中的一行", "第三行", "第四行" }) list->Items()->Add(s);
  list->SetItemIndex(1);
  auto* checks = Put<TbsSkinCheckListBox>(190, 80, 170, 120);
  for (const char* s : { "甲", "乙", "丙" }) checks->Items()->Add(s);
  auto* memo = Put<TbsSkinMemo>(370, 80, 170, 120);
  memo->Lines()->Add("多行编辑框");
  auto* group = Put<TbsSkinGroupBox>(550, 80, 200, 120, "分组框");
  (void)group;
  auto* panel = Put<TbsSkinPanel>(10, 210, 170, 60, "面板");
  (void)panel;
  auto* gauge = Put<TbsSkinGauge>(190, 210, 170, 22);
  gauge->SetValue(60);
  auto* track = Put<TbsSkinTrackBar>(190, 240, 170, 26);
  track->SetValue(3);
  auto* hscroll = Put<TbsSkinScrollBar>(370, 210, 170, 17);
  hscroll->SetPageSize(20);
  auto* vscroll = Put<TbsSkinScrollBar>(550, 210, 17, 120);
  vscroll->SetKind(sbVertical);
  vscroll->SetSkinDataName("vscrollbar");
  vscroll->SetBounds(550, 246, 17, 120);
  vscroll->SetPageSize(20);
  Put<TbsSkinUpDown>(370, 240, 34, 18);
  auto* tabs = Put<TbsSkinTabControl>(10, 280, 350, 110);
  tabs->Tabs()->Add("常规");
  tabs->Tabs()->Add("高级");
  Put<TbsSkinStdLabel>(370, 280, 100, 20, "标签");
  Put<TbsSkinLabel>(480, 280, 100, 20, "皮肤标签");
  Put<TbsSkinSplitter>(590, 280, 6, 60);
  Put<TbsSkinExPanel>(610, 220, 140, 110, "展开面板");
  Put<TbsSkinScrollBox>(370, 310, 100, 80);
  Put<TbsSkinBevel>(480, 310, 100, 80);
  auto* radios = Put<TbsSkinRadioGroup>(10, 400, 170, 90, "单选组");
  radios->Items()->Add("甲");
  radios->Items()->Add("乙");
  radios->SetItemIndex(0);
  Put<TbsSkinSlider>(190, 400, 170, 24);
  auto* page = Put<TbsSkinPageControl>(370, 400, 210, 90);
  for (const char* caption : { "第一页", "第二页" }) {
    auto* sheet = new TbsSkinTabSheet(form);
    sheet->SetPageControl(page);
    sheet->SetCaption(caption);
  }
  Put<TbsSkinTreeView>(590, 400, 160, 90);
  Put<TbsSkinStatusBar>(0, 0, 0, 22)->SetAlign(alBottom);
  Put<TbsSkinToolBar>(0, 0, 0, 30)->SetAlign(alTop);
  Show();
  edit->SetFocus();  // a focused field shows its focus look; no button starts focused
  xt::PumpUntilIdle();

  // Hot: the pointer over the second button; pressed: the third held down.
  MoveTo(hotButton, 45, 13);
  xt::PumpUntilIdle();
  xt::Advance(1000);
  xt::PumpUntilIdle();
  const uint32_t hot = ColourAt(hotButton, 45, 6), normal = ColourAt(button, 45, 6);
  const TPoint downAt = At(downButton, 45, 13);
  xt::MouseMove(downAt.X, downAt.Y);
  xt::MouseDown(xt::mbLeft, downAt.X, downAt.Y);
  xt::Advance(1000);
  xt::PumpUntilIdle();
  const uint32_t down = ColourAt(downButton, 45, 6), off = ColourAt(offButton, 45, 6);
  Write("form-every-control",
        TRect(form->Left(), form->Top(), form->Left() + form->Width(), form->Top() + form->Height()));
  xt::MouseUp(xt::mbLeft, downAt.X, downAt.Y);
  xt::PumpUntilIdle();
  EXPECT_EQ(std::set<uint32_t>({ normal, hot, down, off }).size(), 4u)
      << std::hex << normal << " " << hot << " " << down << " " << off;
  // The selected line of the list shows the selection colour, the others the list's white.
  const TRect selected = list->ItemRect(1), other = list->ItemRect(2);
  EXPECT_EQ(ColourAt(list->ListBox(), other.Right - 3, (other.Top + other.Bottom) / 2), 0xFFFFFFu);
  EXPECT_NE(ColourAt(list->ListBox(), selected.Right - 3, (selected.Top + selected.Bottom) / 2), 0xFFFFFFu);
}

TEST_F(PlainSkinTest, TheFormWithItsMenuOpenAndASelectedListLine) {
  LoadPlainSkin();
  auto* mainMenu = new TMainMenu(form);
  for (const char* caption : { "文件(&F)", "编辑(&E)", "帮助(&H)" }) {
    auto* item = new TMenuItem(mainMenu);
    item->SetCaption(caption);
    mainMenu->Items()->Add(item);
  }
  TMenuItem* file = mainMenu->Items()->Items(0);
  for (const char* caption : { "新建(&N)", "打开(&O)...", "-", "退出(&X)" }) {
    auto* item = new TMenuItem(mainMenu);
    item->SetCaption(caption);
    if (std::string(caption) == "打开(&O)...") item->SetShortCut(ShortCut('O', TShiftState { ssCtrl }));
    file->Add(item);
  }
  auto* bar = new TbsSkinMainMenuBar(form);
  bar->SetParent(form);
  bar->SetMainMenu(mainMenu);
  bar->SetSkinForm(sf);
  bar->SetSkinData(skin);
  sf->SetMainMenuBar(bar);
  auto* list = Put<TbsSkinListBox>(190, 40, 180, 130);
  for (const char* s : { "线路 1：振铃", "线路 2：摘机", "线路 3：空闲", "线路 4：录音中" }) list->Items()->Add(s);
  list->SetItemIndex(1);
  Put<TbsSkinButton>(190, 190, 84, 26, "开始录音");
  Put<TbsSkinButton>(286, 190, 84, 26, "停止");
  auto* check = Put<TbsSkinCheckRadioBox>(20, 190, 150, 22, "自动录音");
  check->SetChecked(true);
  Show();
  xt::Advance(30);
  Key('F', xt::ssAlt);
  ASSERT_TRUE(sf->SkinMenu()->Visible());
  Key(VK_DOWN);
  Write("form-menu-open", TRect(form->Left(), form->Top(), form->Left() + form->Width(), form->Top() + form->Height()));
  // The open menu's highlighted item and the selected list line are drawn from the skin's selection.
  Key(VK_ESCAPE);
  Key(VK_ESCAPE);
}

}  // namespace
}  // namespace skinform
