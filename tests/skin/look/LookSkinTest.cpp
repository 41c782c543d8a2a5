// The real-look skins the build draws: they hold every record the test skin has, the example's skinned
// form shows them with visible hot, pressed, disabled and selected states and switches between them,
// and pictures of the form and of every skinned control in the azure skin go to build/tests/look/.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "examples/skinned-form/DemoForm.h"
#include "platform/display/Png.h"
#include "skin/controls/bsSkinTabs.h"
#include "tests/support/ControlsTestUtil.h"

namespace {

using namespace ctltest;

const std::string kLookSkins = XJ_LOOK_SKINS_DIR;

int Red(COLORREF c) { return GetRValue(c); }
int Green(COLORREF c) { return GetGValue(c); }
int Blue(COLORREF c) { return GetBValue(c); }

// A window picture (its frame included) written to build/tests/look/<name>.png.
void WritePicture(HWND Window, const std::string& Name) {
  int w = 0, h = 0;
  const std::vector<COLORREF> all = xt::WindowPixels(Window, true, &w, &h);
  std::vector<uint32_t> px;
  for (COLORREF v : all) px.push_back(uint32_t { GetRValue(v) } << 16 | uint32_t { GetGValue(v) } << 8 | GetBValue(v));
  const std::filesystem::path dir = std::filesystem::path(XJ_BINARY_DIR) / "tests" / "look";
  std::filesystem::create_directories(dir);
  ASSERT_TRUE(xj::display::WritePng((dir / (Name + ".png")).string(), { px.data(), w, h, w * 4 })) << Name;
}

// The desktop under a form and what lies over it (an open menu), to build/tests/look/<name>.png.
void WriteDesktop(TForm* Form, const std::string& Name) {
  int dw = 0, dh = 0;
  const std::vector<COLORREF> all = xt::DesktopPixels(&dw, &dh);
  const int x0 = std::max(Form->Left(), 0), y0 = std::max(Form->Top(), 0);
  const int w = std::min(Form->Width(), dw - x0), h = std::min(Form->Height(), dh - y0);
  std::vector<uint32_t> px;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const COLORREF v = all[size_t(y0 + y) * dw + x0 + x];
      px.push_back(uint32_t { GetRValue(v) } << 16 | uint32_t { GetGValue(v) } << 8 | GetBValue(v));
    }
  const std::filesystem::path dir = std::filesystem::path(XJ_BINARY_DIR) / "tests" / "look";
  std::filesystem::create_directories(dir);
  ASSERT_TRUE(xj::display::WritePng((dir / (Name + ".png")).string(), { px.data(), w, h, w * 4 })) << Name;
}

class LookSkin : public ControlsTest {
 protected:
  TbsSkinData* Load(TComponent* Owner, const std::string& Path) {
    auto* d = new TbsSkinData(Owner);
    d->LoadFromFile(Path);
    return d;
  }
  // A sizeable form in the look, shown; the hit test at a point given from its top left corner.
  TForm* SizeableForm(const char* Look, int L, int T, int W, int H) {
    TForm* form = NewForm(L, T, W, H);
    form->SetBorderStyle(bsSizeable);
    (new RurIvozedevUzivEred(form))->SetSkinData(Load(form, kLookSkins + "/" + Look + "/skin.ini"));
    form->Show();
    xt::PumpUntilIdle();
    return form;
  }
  static int Hit(TForm* form, int x, int y) {
    return int(SendMessageA(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(form->Left() + x, form->Top() + y)));
  }
};

TEST_F(LookSkin, EverySkinHoldsEveryRecordTheControlsAndFramesLookUp) {
  TForm* owner = NewForm();
  TbsSkinData* test = Load(owner, std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
  ASSERT_FALSE(test->Empty);
  for (const char* name : { "azure", "olive" }) {
    SCOPED_TRACE(name);
    TbsSkinData* look = Load(owner, kLookSkins + "/" + name + "/skin.ini");
    ASSERT_FALSE(look->Empty) << look->LastError();
    EXPECT_EQ(look->LastError(), "");
    EXPECT_EQ(look->SkinName, name);
    for (int i = 0; i < test->CtrlList->Count(); ++i) {
      auto* want = static_cast<TbsDataSkinControl*>(test->CtrlList->Items(i));
      const int at = look->GetControlIndex(want->IDName);
      ASSERT_GE(at, 0) << want->IDName;
      auto* got = static_cast<TbsDataSkinControl*>(look->CtrlList->Items(at));
      EXPECT_EQ(got->ClassName(), want->ClassName()) << want->IDName;
      ASSERT_GE(got->PictureIndex, 0) << want->IDName;
      ASSERT_LT(got->PictureIndex, look->ActivePictures->Count()) << want->IDName;
      auto* picture = static_cast<TBitmap*>(look->ActivePictures->Items(got->PictureIndex));
      EXPECT_TRUE(got->SkinRect.Width() > 0 && got->SkinRect.Height() > 0 && got->SkinRect.Right <= picture->Width() &&
                  got->SkinRect.Bottom <= picture->Height())
          << want->IDName;
    }
    // The frame's buttons, menus and menu bar; the test skin's help button and logo are its own.
    for (const char* object : { "caption", "close", "max", "min", "sys", "roll", "menuitem", "menubaritem", "mdiclose",
                                "mdimin", "mdimax", "mdisys" })
      EXPECT_GE(look->GetIndex(object), 0) << object;
    EXPECT_FALSE(look->Picture->Empty());
    EXPECT_FALSE(look->InActivePicture->Empty());
  }
}

// A skinned sizeable form in each look: the corners size both ways from the very corner to 7 pixels in,
// each way, on all four corners; further in along an edge only that edge sizes.
TEST_F(LookSkin, CornersSizeBothWaysEightPixelsEachWay) {
  for (const char* name : { "azure", "olive" }) {
    SCOPED_TRACE(name);
    TForm* form = SizeableForm(name, 100, 100, 437, 291);
    const int w = form->Width(), h = form->Height();
    auto hit = [&](int x, int y) { return Hit(form, x, y); };
    const struct {
      int x, y, dx, dy, code, along;  // the corner, the way in, its code and the code 12 pixels along x
    } corners[] = { { 0, 0, 1, 1, HTTOPLEFT, HTTOP },
                    { w - 1, 0, -1, 1, HTTOPRIGHT, HTTOP },
                    { 0, h - 1, 1, -1, HTBOTTOMLEFT, HTBOTTOM },
                    { w - 1, h - 1, -1, -1, HTBOTTOMRIGHT, HTBOTTOM } };
    for (const auto& c : corners)
      for (int in : { 0, 2, 4, 7 }) {
        EXPECT_EQ(hit(c.x + in * c.dx, c.y + in * c.dy), c.code) << c.x << ", " << c.y << " in " << in;
        EXPECT_EQ(hit(c.x + 7 * c.dx, c.y + in * c.dy), c.code) << c.x << ", " << c.y << " across " << in;
      }
    for (const auto& c : corners) EXPECT_EQ(hit(c.x + 12 * c.dx, c.y + 2 * c.dy), c.along) << c.x << ", " << c.y;
    EXPECT_EQ(hit(w / 2, h / 2), HTCLIENT);
    delete form;
  }
}

// Every edge and corner of a skinned sizeable form takes the skin's border width (8 in these looks): from
// the window's edge to 7 pixels in it sizes, at 8 it does not; on a form of the console's size too.
TEST_F(LookSkin, EveryEdgeSizesAcrossTheBorderWidth) {
  for (const char* name : { "azure", "olive" })
    for (const SIZE size : { SIZE { 437, 291 }, SIZE { 701, 523 } }) {
      SCOPED_TRACE(std::string(name) + " " + std::to_string(size.cx));
      TForm* form = SizeableForm(name, 50, 40, size.cx, size.cy);
      const int w = form->Width(), h = form->Height();
      auto hit = [&](int x, int y) { return Hit(form, x, y); };
      const struct {
        int x, y, dx, dy, code;  // a point on the window's edge, the way in, the edge's code
      } edges[] = { { w / 2, 0, 0, 1, HTTOP },         { w / 2, h - 1, 0, -1, HTBOTTOM },
                    { 0, h / 2, 1, 0, HTLEFT },        { w - 1, h / 2, -1, 0, HTRIGHT },
                    { 0, h - 1, 1, -1, HTBOTTOMLEFT }, { w - 1, h - 1, -1, -1, HTBOTTOMRIGHT },
                    { 0, 0, 1, 1, HTTOPLEFT },         { w - 1, 0, -1, 1, HTTOPRIGHT } };
      for (const auto& e : edges) {
        for (int in = 0; in < 8; ++in)
          EXPECT_EQ(hit(e.x + in * e.dx, e.y + in * e.dy), e.code) << e.x << ", " << e.y << " in " << in;
        EXPECT_NE(hit(e.x + 8 * e.dx, e.y + 8 * e.dy), e.code) << e.x << ", " << e.y << " in 8";
      }
      delete form;
    }
}

class LookForm : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    TDemoForm::SkinsDir = kLookSkins;
    form = new TDemoForm(nullptr);
    Keep(form);
    form->Show();
    xt::PumpUntilIdle();
  }
  COLORREF Px(TControl* C, int X, int Y) const {
    const TPoint p = form->ScreenToClient(C->ClientToScreen(TPoint(X, Y)));
    return xt::ReadPixel(form->Handle(), p.X, p.Y);
  }
  // The skin's buttons fade between states on their timer; the manual clock runs it to the end.
  static void Settle() {
    xt::Advance(1000);
    xt::PumpUntilIdle();
  }
  // Rows of the list's column X that show the selection colour.
  int SelectedRows(COLORREF Selection) const {
    int rows = 0;
    for (int y = 0; y < form->List->Height(); ++y) rows += Px(form->List, 12, y) == Selection;
    return rows;
  }

  TDemoForm* form {};
};

TEST_F(LookForm, TheSkinShowsItsStatesAndTheMenuSwitchesIt) {
  ASSERT_FALSE(form->Skin->Empty) << form->Skin->LastError();
  EXPECT_EQ(form->Skin->SkinName, "azure");
  EXPECT_EQ(form->Status->Caption(), "皮肤：azure");
  // A blue caption band.
  const COLORREF caption = xt::ReadPixel(form->Handle(), form->Width() / 2, 14, true);
  EXPECT_GT(Blue(caption), Red(caption) + 60) << std::hex << caption;

  // The selected list item stands out in the accent colour, a whole item high.
  EXPECT_GE(SelectedRows(RGB(0x2F, 0x6D, 0xB5)), 12);

  // Normal, hot, pressed and disabled buttons differ from each other, hot and pressed in the accent.
  TbsSkinButton* cancel = form->Buttons[1];
  const int bx = 6, by = 6;          // clear of the caption text
  MoveTo(form->Buttons[2], 40, 20);  // the mouse rests elsewhere first
  Settle();
  const COLORREF normal = Px(cancel, bx, by), disabled = Px(form->Buttons[2], bx, by);
  MoveTo(cancel, 20, 12);
  Settle();
  const COLORREF hot = Px(cancel, bx, by);
  const TPoint p = At(cancel, 20, 12);
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
  Settle();
  const COLORREF pressed = Px(cancel, bx, by);
  xt::MouseUp(xt::mbLeft, p.X, p.Y);
  EXPECT_NE(hot, normal);
  EXPECT_NE(pressed, normal);
  EXPECT_NE(pressed, hot);
  EXPECT_NE(disabled, normal);
  EXPECT_GT(Blue(hot), Red(hot)) << std::hex << hot;
  EXPECT_LT(Red(pressed) + Green(pressed) + Blue(pressed), Red(normal) + Green(normal) + Blue(normal));
  WritePicture(form->Handle(), "skinned-form");

  // The skin menu, opened and used with the mouse: a white menu whose hovered item is in the accent.
  // Olive gives a green caption, the built-in look clears the skin.
  const TRect& bar = form->MenuBar->Objects(1)->ObjectRect();
  ClickAt(form->MenuBar, (bar.Left + bar.Right) / 2, (bar.Top + bar.Bottom) / 2);
  Settle();
  ASSERT_TRUE(form->SkinForm->SkinMenu()->Visible());
  ASSERT_EQ(form->SkinForm->SkinMenu()->LevelCount(), 1);
  TbsSkinPopupWindow* menu = form->SkinForm->SkinMenu()->Level(0);
  const TRect item = menu->Items(1)->ObjectRect();
  RECT at {};
  GetWindowRect(menu->Handle(), &at);
  xt::MouseMove(at.left + item.Left + 40, at.top + (item.Top + item.Bottom) / 2);
  Settle();
  EXPECT_EQ(xt::ReadPixel(menu->Handle(), item.Left + 4, item.Top + 2), RGB(0x2F, 0x6D, 0xB5));
  const TRect plainItem = menu->Items(0)->ObjectRect();
  EXPECT_EQ(xt::ReadPixel(menu->Handle(), plainItem.Left + 4, plainItem.Top + 2), RGB(0xFF, 0xFF, 0xFF));
  WriteDesktop(form, "skinned-form-menu");
  xt::Click(at.left + item.Left + 40, at.top + (item.Top + item.Bottom) / 2);
  Settle();
  EXPECT_EQ(form->Skin->SkinName, "olive");
  EXPECT_TRUE(form->SkinItems[1]->Checked());
  const COLORREF olive = xt::ReadPixel(form->Handle(), form->Width() / 2, 14, true);
  EXPECT_GT(Green(olive), Blue(olive) + 30) << std::hex << olive;
  EXPECT_GE(SelectedRows(RGB(0x5E, 0x7A, 0x2E)), 12);
  WritePicture(form->Handle(), "skinned-form-olive");
  form->SkinItems.back()->Click();
  xt::PumpUntilIdle();
  EXPECT_TRUE(form->Skin->Empty);
  EXPECT_EQ(form->Status->Caption(), "内置外观");
  EXPECT_TRUE(form->SkinItems.back()->Checked());

  // A skin that is not there: the built-in look stays, and the status bar says why.
  form->UseSkin("missing");
  EXPECT_TRUE(form->Skin->Empty);
  EXPECT_NE(form->Status->Caption().find("does not exist"), AnsiString::npos) << form->Status->Caption();
}

// Every skinned control kind on one form in the azure skin: each finds its record, and the picture goes
// to build/tests/look/controls.png.
TEST_F(LookSkin, EveryControlFindsItsRecord) {
  TForm* f = NewForm(0, 0, 760, 600);
  f->SetCaption("控件一览");
  auto* sf = new RurIvozedevUzivEred(f);
  TbsSkinData* skin = Load(f, kLookSkins + "/azure/skin.ini");
  ASSERT_FALSE(skin->Empty) << skin->LastError();
  sf->SetSkinData(skin);
  std::vector<std::pair<std::string, std::function<int()>>> placed;
  auto place = [&]<class T>(T* c, int x, int y, int w, int h, const char* text = nullptr) {
    c->SetParent(f);
    c->SetBounds(x, y, w, h);
    if (text) c->SetCaption(text);
    if constexpr (requires { c->SetSkinData(skin); }) c->SetSkinData(skin);
    if constexpr (requires { c->SkinObjectIndex(); })
      placed.emplace_back(c->ClassName(), [c] { return c->SkinObjectIndex(); });
    return c;
  };
  place(new TbsSkinButton(f), 10, 10, 90, 26, "按钮");
  place(new TbsSkinButton(f), 106, 10, 90, 26, "禁用")->SetEnabled(false);
  place(new TbsSkinMenuButton(f), 202, 10, 100, 26, "菜单按钮");
  place(new TbsSkinSpeedButton(f), 308, 10, 60, 26, "快捷");
  place(new TbsSkinSpeedButton(f), 372, 10, 60, 26, "按下")->SetDown(true);
  place(new TbsSkinCheckRadioBox(f), 440, 12, 100, 22, "复选框")->SetChecked(true);
  auto* radio = place(new TbsSkinCheckRadioBox(f), 545, 12, 100, 22, "单选框");
  radio->SetRadio(true);
  radio->SetSkinDataName("radiobox");
  radio->SetChecked(true);
  place(new TbsSkinCheckRadioBox(f), 650, 12, 100, 22, "未选");

  place(new TbsSkinEdit(f), 10, 46, 140, 22)->SetText("编辑框");
  place(new TbsSkinSpinEdit(f), 160, 46, 90, 22)->SetValue(42);
  auto* combo = place(new TbsSkinComboBox(f), 260, 46, 140, 22);
  combo->Items()->Add("组合框");
  combo->SetItemIndex(0);
  place(new TbsSkinTimeEdit(f), 410, 46, 90, 22);
  place(new TbsSkinUpDown(f), 510, 46, 32, 18);
  place(new TbsSkinGauge(f), 550, 46, 200, 20)->SetValue(70);

  auto* list = place(new TbsSkinListBox(f), 10, 80, 180, 110);
  for (const char* s : { "第一项", "第二项（选中）", "第三项" }) list->Items()->Add(s);
  list->SetItemIndex(1);
  auto* checks = place(new TbsSkinCheckListBox(f), 200, 80, 180, 110);
  for (const char* s : { "已选", "未选" }) checks->Items()->Add(s);
  checks->SetChecked(0, true);
  place(new TbsSkinMemo(f), 390, 80, 180, 110)->Lines()->Add("多行编辑");
  place(new TbsSkinScrollBar(f), 580, 80, 170, 16);
  auto* vscroll = new TbsSkinScrollBar(f);
  vscroll->SetKind(sbVertical);
  vscroll->SetSkinDataName("vscrollbar");
  place(vscroll, 580, 100, 16, 90);
  place(new TbsSkinTrackBar(f), 600, 100, 150, 24)->SetValue(30);
  auto* vgauge = place(new TbsSkinGauge(f), 605, 130, 20, 60);
  vgauge->SetVertical(true);
  vgauge->SetSkinDataName("vgauge");
  vgauge->SetValue(40);

  place(new TbsSkinPanel(f), 10, 200, 180, 100, "面板");
  place(new TbsSkinGroupBox(f), 200, 200, 180, 100, "分组框");
  place(new TbsSkinExPanel(f), 390, 200, 180, 100, "可折叠面板");
  auto* tabs = place(new TbsSkinTabControl(f), 580, 200, 170, 100);
  for (const char* s : { "第一页", "第二页" }) tabs->Tabs()->Add(s);

  place(new TbsSkinLabel(f), 10, 310, 120, 20, "标签");
  place(new TbsSkinStdLabel(f), 140, 312, 100, 18, "普通标签");
  place(new TbsSkinBevel(f), 250, 310, 120, 20);
  place(new TbsSkinSplitter(f), 380, 310, 6, 60);
  place(new TbsSkinScrollBox(f), 400, 310, 120, 60);
  place(new TbsSkinControlBar(f), 530, 310, 220, 60);

  auto* tool = place(new TbsSkinToolBar(f), 10, 380, 300, 30);
  for (int i = 0; i < 3; ++i) {
    auto* b = new TbsSkinSpeedButton(f);
    b->SetParent(tool);
    b->SetBounds(2 + i * 52, 2, 50, 24);
    b->SetCaption(i == 0 ? "工具" : i == 1 ? "按钮" : "栏");
    b->SetSkinData(skin);
  }
  place(new TbsSkinTreeView(f), 320, 380, 140, 100);
  place(new TbsSkinListView(f), 470, 380, 140, 100);
  place(new TbsSkinRichEdit(f), 620, 380, 130, 100);
  place(new TbsSkinMonthCalendar(f), 10, 420, 300, 160);
  auto* status = place(new TbsSkinStatusBar(f), 0, 0, 0, 22);
  status->SetAlign(alBottom);

  f->Show();
  xt::PumpUntilIdle();
  for (const auto& [name, index] : placed) EXPECT_GE(index(), 0) << name << " shows the built-in look";
  WritePicture(f->Handle(), "controls");
}

}  // namespace
