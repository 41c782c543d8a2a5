// The skinned combo box as a user drives it: the list dropped down by the button, F4 and Alt+Down, hot
// tracking that a cancel undoes, a release that commits with its events in order, keys and the wheel
// with the list open and closed, the edit style's inner edit, the three looks of face and button, the
// list following the skin's "listboxname", owner drawing and a combo read back from a form resource.

#include "platform/display/Png.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/data/bsUtils.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

#include <filesystem>
#include <functional>
#include <utility>

using namespace skinctl;

namespace {

// Logs the events of a combo, the protected Change among them.
class TLoggedCombo : public TbsSkinComboBox {
  XJ_CLASS(TLoggedCombo, TbsSkinComboBox)
 public:
  explicit TLoggedCombo(TComponent* AOwner) : TbsSkinComboBox(AOwner) {
    OnChange = On<TNotifyEvent>([this](TObject*) { Log.push_back("change:" + std::string(Text())); });
    OnClick = On<TNotifyEvent>([this](TObject*) { Log.push_back("click"); });
    OnCloseUp = On<TNotifyEvent>([this](TObject*) { Log.push_back("closeup"); });
  }
  std::vector<std::string> Log;

 protected:
  void Change() override { Log.push_back("Change"); }
};

class ComboTest : public SkinControlsTest {
 protected:
  template <class C = TLoggedCombo>
  C* NewCombo(int l, int t, int items, int w = 120, int h = 20) {
    auto* c = new C(form);
    c->SetParent(form);
    c->SetBounds(l, t, w, h);
    for (int i = 0; i < items; ++i) c->Items()->Add(AnsiString("item") + std::to_string(i).c_str());
    return c;
  }
  void Focus(TWinControl* c) {
    ShowUnfocused();
    c->SetFocus();
    xt::PumpUntilIdle();
  }
  // A click on the drop-down button, at the combo's right end.
  static void ClickButton(TbsSkinCustomComboBox* c) {
    ClickAt(c, c->ButtonRect().Left + RectWidth(c->ButtonRect()) / 2, c->Height() / 2);
  }
  // The screen point in the middle of row Row of the open list.
  static TPoint Row(TbsSkinCustomComboBox* c, int Row) {
    TbsListBox* l = c->PopupList()->ListBox();
    const TRect r = l->ItemRect(Row);
    return At(l, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  // The open list and the combo, as the screen shows them, into the gallery.
  void GalleryOpen(TbsSkinCustomComboBox* c, const std::string& state) {
    RECT a {}, b {};
    GetWindowRect(c->Handle(), &a);
    GetWindowRect(c->PopupList()->Handle(), &b);
    const int l = std::min(a.left, b.left), t = std::min(a.top, b.top);
    const int w = std::max(a.right, b.right) - l, h = std::max(a.bottom, b.bottom) - t;
    int dw = 0, dh = 0;
    const std::vector<COLORREF> desktop = xt::DesktopPixels(&dw, &dh);
    std::vector<uint32_t> px;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const int dx = l + x, dy = t + y;
        const COLORREF v = dx >= 0 && dy >= 0 && dx < dw && dy < dh ? desktop[size_t(dy) * dw + dx] : 0;
        px.push_back(uint32_t { GetRValue(v) } << 16 | uint32_t { GetGValue(v) } << 8 | GetBValue(v));
      }
    const auto dir = std::filesystem::path(XJ_BINARY_DIR) / "tests" / "gallery";
    std::filesystem::create_directories(dir);
    const xj::display::SurfaceView view { px.data(), w, h, w * 4 };
    ASSERT_TRUE(xj::display::WritePng((dir / ("bsSkinBoxCtrls-TbsSkinComboBox-" + state + ".png")).string(), view));
  }
  // What the face of the combo shows.
  std::vector<COLORREF> FacePixels(TbsSkinCustomComboBox* c) const {
    std::vector<COLORREF> px;
    const TRect f = c->FaceRect();
    for (int y = f.Top; y < f.Bottom; ++y)
      for (int x = f.Left; x < f.Right; ++x) px.push_back(Px(c, x, y));
    return px;
  }
  // How many pixels of colour C lie inside R of the combo.
  int Count(TbsSkinCustomComboBox* c, const TRect& R, COLORREF C) const {
    int n = 0;
    for (int y = R.Top; y < R.Bottom; ++y)
      for (int x = R.Left; x < R.Right; ++x) n += Px(c, x, y) == C;
    return n;
  }
  using Log = std::vector<std::string>;
};

}  // namespace

TEST_F(ComboTest, TheListDropsDownByButtonF4AndAltDownWithoutTakingTheFocus) {
  auto* c = NewCombo(20, 20, 5);
  Focus(c);
  ClickButton(c);
  TbsPopupListBox* list = c->PopupList();
  ASSERT_TRUE(c->IsPopupVisible());
  EXPECT_TRUE(IsWindowVisible(list->Handle()));
  EXPECT_TRUE(form->Active()) << "the list never takes the activation";
  EXPECT_EQ(GetFocus(), c->Handle());
  EXPECT_EQ(list->Height(), list->CalcHeight(5)) << "five items, five rows";
  EXPECT_EQ(list->Width(), c->Width());
  RECT cr {}, lr {};
  GetWindowRect(c->Handle(), &cr);
  GetWindowRect(list->Handle(), &lr);
  EXPECT_EQ(lr.left, cr.left);
  EXPECT_EQ(lr.top, cr.bottom);
  EXPECT_EQ(GetWindowLongA(list->Handle(), GWL_STYLE) & (WS_POPUP | WS_CHILD), WS_POPUP);
  // A second click on the button closes it; F4 opens and closes; Alt+Down opens, Alt+Up cancels.
  ClickButton(c);
  EXPECT_FALSE(c->IsPopupVisible());
  Press(VK_F4);
  EXPECT_TRUE(c->IsPopupVisible());
  Press(VK_F4);
  EXPECT_FALSE(c->IsPopupVisible());
  Press(VK_DOWN, xt::ssAlt);
  EXPECT_TRUE(c->IsPopupVisible());
  Press(VK_UP, xt::ssAlt);
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(c->ItemIndex(), -1);
  // Only F4's close accepts, with nothing selected: OnCloseUp alone.
  EXPECT_EQ(c->Log, (Log { "closeup" }));

  // More items than DropDownCount: DropDownCount rows; an empty combo opens nothing.
  for (int i = 5; i < 12; ++i) c->Items()->Add("more");
  c->DropDown();
  EXPECT_EQ(list->Height(), list->CalcHeight(8));
  c->SetEnabled(false);
  EXPECT_FALSE(c->IsPopupVisible()) << "disabling closes the list";
  c->SetEnabled(true);
  c->DropDown();
  c->SetVisible(false);
  EXPECT_FALSE(c->IsPopupVisible()) << "hiding closes the list";
  EXPECT_FALSE(IsWindowVisible(list->Handle()));
  c->SetVisible(true);
  c->SetFocus();
  c->SetDropDownCount(0);
  EXPECT_EQ(c->DropDownCount(), 8);
  c->Items()->Clear();
  Press(VK_F4);
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_FALSE(IsWindowVisible(list->Handle()));
}

TEST_F(ComboTest, TheListBelongsToTheComboAloneAndGoesWithItEvenWhileOpen) {
  auto* c = NewCombo(20, 20, 3);
  TbsPopupListBox* list = c->PopupList();
  EXPECT_EQ(list->Owner(), nullptr) << "no owning component frees it a second time";
  EXPECT_EQ(list->Combo(), c);
  for (int i = 0; i < c->ComponentCount(); ++i) EXPECT_NE(c->Components(i), list);
  Focus(c);
  ClickButton(c);
  ASSERT_TRUE(c->IsPopupVisible());
  const HWND h = list->Handle();
  delete c;
  EXPECT_FALSE(IsWindow(h)) << "the open list's window goes with the combo";
}

// Hears when a watched component goes, and whether its control's window was still there then.
class TEditWatcher : public TComponent {
 public:
  using TComponent::TComponent;
  TComponent* Watched { nullptr };
  HWND Window { nullptr };
  int Gone { 0 };
  bool WindowThere { false };

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove || AComponent != Watched) return;
    ++Gone;
    WindowThere = IsWindow(Window) != FALSE;
  }
};

TEST_F(ComboTest, InnerPartsBelongToTheirControlAndGoOnceWhileItIsWhole) {
  // Frees Control and checks that Part, which it owns, went once and before the control's window.
  auto freeAndCheck = [](TWinControl* Control, TComponent* Part, const char* What) {
    SCOPED_TRACE(What);
    ASSERT_NE(Part, nullptr);
    EXPECT_EQ(Part->Owner(), Control);
    TEditWatcher watcher(nullptr);
    watcher.Watched = Part;
    watcher.Window = Control->Handle();
    Part->FreeNotification(&watcher);
    delete Control;
    EXPECT_EQ(watcher.Gone, 1) << "freed once";
    EXPECT_TRUE(watcher.WindowThere) << "the part goes before the control's window: its hooks call back into it";
  };
  // The combo's edit while it has the focus and the list is open.
  auto* c = NewCombo(20, 20, 3);
  c->SetStyle(bscbEditStyle);
  Focus(c);
  ASSERT_EQ(GetFocus(), c->InnerEdit()->Handle());
  Press(VK_F4);
  ASSERT_TRUE(c->IsPopupVisible());
  freeAndCheck(c, c->InnerEdit(), "combo");
  auto* spin = new TbsSkinSpinEdit(form);
  spin->SetParent(form);
  freeAndCheck(spin, spin->Edit(), "spin edit");
  auto* track = new TbsSkinTrackEdit(form);
  track->SetParent(form);
  freeAndCheck(track, track->PopupTrackBar(), "track edit");
  auto* date = new TbsSkinDateEdit(form);
  date->SetParent(form);
  freeAndCheck(date, date->MonthCalendar(), "date edit");
}

TEST_F(ComboTest, HotTrackingThenCancellingPutsTheSelectionBackAndFiresNothing) {
  auto* c = NewCombo(20, 20, 6);
  auto* other = new TEdit(form);
  other->SetParent(form);
  other->SetBounds(20, 200, 80, 20);
  c->SetItemIndex(1);
  Focus(c);
  c->Log.clear();
  const std::vector<COLORREF> shown = FacePixels(c);
  // Each way out that cancels: Escape, a click elsewhere on the form, the focus going elsewhere.
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    ClickButton(c);
    ASSERT_TRUE(c->IsPopupVisible());
    for (int row : { 3, 4, 2 }) {
      const TPoint p = Row(c, row);
      xt::MouseMove(p.X, p.Y);
      EXPECT_EQ(c->ItemIndex(), row) << "the list's selection follows the mouse";
      EXPECT_EQ(c->FaceItemIndex(), 1);
      EXPECT_TRUE(FacePixels(c) == shown) << "the face never shows a hot-tracked item";
    }
    if (way == 0) Press(VK_ESCAPE);
    if (way == 1) ClickAt(form, 300, 150);
    if (way == 2) other->SetFocus();
    xt::PumpUntilIdle();
    EXPECT_FALSE(c->IsPopupVisible());
    EXPECT_EQ(c->ItemIndex(), 1);
    EXPECT_EQ(c->Text(), "item1");
    c->SetFocus();
    xt::PumpUntilIdle();
  }
  EXPECT_TRUE(c->Log.empty());
}

TEST_F(ComboTest, ReleasingOverAnItemCommitsItsTextThenClickChangeAndCloseUp) {
  auto* c = NewCombo(20, 20, 6);
  Focus(c);
  ClickButton(c);
  const TPoint p = Row(c, 4);
  xt::MouseMove(p.X, p.Y);
  xt::Click(p.X, p.Y);
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(c->ItemIndex(), 4);
  EXPECT_EQ(c->Text(), "item4");
  EXPECT_EQ(c->Log, (Log { "change:item4", "click", "Change", "closeup" }));
  EXPECT_TRUE(form->Active());
  EXPECT_EQ(GetFocus(), c->Handle()) << "the click in the list left the focus on the combo";
  // Enter accepts too; the list's scroll bar is part of the list and keeps it open.
  c->Log.clear();
  Press(VK_F4);
  Press(VK_DOWN);
  Press(VK_RETURN);
  EXPECT_FALSE(c->IsPopupVisible());
  // The arrow commits each step; Enter then closes with the item, whose text is already there.
  EXPECT_EQ(c->Log, (Log { "change:item5", "click", "Change", "click", "Change", "closeup" }));
  for (int i = 6; i < 30; ++i) c->Items()->Add("x");
  Press(VK_F4);
  xt::PumpUntilIdle();
  TbsSkinScrollBar* bar = c->PopupList()->ScrollBar();
  ASSERT_NE(bar, nullptr);
  ClickAt(bar, bar->Width() / 2, bar->Height() - 3);
  EXPECT_TRUE(c->IsPopupVisible());
  EXPECT_TRUE(form->Active());
}

TEST_F(ComboTest, KeysAndTheWheelMoveTheSelectionOpenOrClosed) {
  auto* c = NewCombo(20, 20, 10);
  Focus(c);
  // Closed, each step commits: text, OnClick and Change.
  Press(VK_DOWN);
  EXPECT_EQ(c->ItemIndex(), 0);
  EXPECT_EQ(c->Log, (Log { "change:item0", "click", "Change" }));
  Press(VK_RIGHT);
  Press(VK_UP);
  Press(VK_LEFT);
  EXPECT_EQ(c->ItemIndex(), 0);
  Press(VK_UP);
  EXPECT_EQ(c->ItemIndex(), 0) << "no step before the first item";
  // Both page keys move DropDownCount - 1 items and stop at the ends.
  c->SetItemIndex(9);
  Press(VK_PRIOR);
  EXPECT_EQ(c->ItemIndex(), 2);
  Press(VK_PRIOR);
  EXPECT_EQ(c->ItemIndex(), 0);
  Press(VK_NEXT);
  EXPECT_EQ(c->ItemIndex(), 7);
  Press(VK_NEXT);
  EXPECT_EQ(c->ItemIndex(), 9);
  c->SetDropDownCount(3);
  Press(VK_PRIOR);
  EXPECT_EQ(c->ItemIndex(), 7);
  c->SetDropDownCount(8);

  // The wheel: closed, a notch commits; open, it moves only the list's selection.
  c->SetItemIndex(5);
  c->Log.clear();
  const TPoint mid = At(c, 30, 10);
  xt::MouseMove(mid.X, mid.Y);
  xt::Wheel(120);
  EXPECT_EQ(c->ItemIndex(), 4);
  EXPECT_EQ(c->Text(), "item4");
  xt::Wheel(-120);
  EXPECT_EQ(c->Text(), "item5");
  c->Log.clear();
  c->DropDown();
  xt::MouseMove(mid.X, mid.Y);
  xt::Wheel(-120);
  xt::Wheel(-120);
  EXPECT_EQ(c->ItemIndex(), 7);
  EXPECT_EQ(c->Text(), "item5");
  EXPECT_EQ(c->FaceItemIndex(), 5);
  EXPECT_TRUE(c->Log.empty());
  Press(VK_ESCAPE);
  EXPECT_EQ(c->ItemIndex(), 5);

  // An empty list: page keys and steps write no selection.
  c->Items()->Clear();
  c->Log.clear();
  for (UINT k : { VK_PRIOR, VK_NEXT, VK_UP, VK_DOWN }) Press(k);
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_TRUE(c->Log.empty());
  // Out of range: no selection, the text kept.
  c->Items()->Add("a");
  c->SetItemIndex(0);
  c->SetItemIndex(5);
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(c->Text(), "a");

  // A hundred thousand items open as DropDownCount rows at the selection.
  c->Items()->BeginUpdate();
  for (int i = 0; i < 100000; ++i) c->Items()->Add("n");
  c->Items()->EndUpdate();
  c->SetItemIndex(99990);
  c->DropDown();
  xt::PumpUntilIdle();
  EXPECT_EQ(c->PopupList()->Height(), c->PopupList()->CalcHeight(8));
  EXPECT_EQ(c->PopupList()->TopIndex(), 99990) << "the selection at the top";
  Press(VK_NEXT);
  EXPECT_EQ(c->ItemIndex(), 99997);
}

TEST_F(ComboTest, TheEditStyleTypesIntoOneInnerEditThatMayBeSwitchedAwayFromItsOwnHandler) {
  auto* c = NewCombo(20, 20, 4);
  c->SetText("typed");
  c->SetStyle(bscbEditStyle);
  c->SetStyle(bscbEditStyle);
  int edits = 0;
  for (int i = 0; i < c->ComponentCount(); ++i) edits += dynamic_cast<TbsCustomEdit*>(c->Components(i)) != nullptr;
  EXPECT_EQ(edits, 1) << "the same style again makes no second editor";
  TbsCustomEdit* e = c->InnerEdit();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->Text(), "typed");
  EXPECT_FALSE(c->TabStop());
  EXPECT_EQ(e->BoundsRect(), c->FaceRect());
  Focus(c);
  EXPECT_EQ(GetFocus(), e->Handle()) << "the combo hands the focus to its edit";
  e->SelectAll();
  c->Log.clear();
  xt::TypeText("ab");
  EXPECT_EQ(c->Text(), "ab");
  EXPECT_EQ(c->Log, (Log { "change:a", "Change", "change:ab", "Change" }));
  c->Log.clear();
  c->SetText("code");
  EXPECT_EQ(e->Text(), "code");
  EXPECT_EQ(c->Log, (Log { "change:code" })) << "text set by code fires OnChange only";

  // Up and Down in the edit commit the item's text and OnClick; F4 opens, Enter accepts and the
  // focus stays in the edit; Alt+Down opens while the edit still gets its key.
  c->Log.clear();
  Press(VK_DOWN);
  EXPECT_EQ(c->Text(), "item0");
  EXPECT_EQ(c->Log, (Log { "change:item0", "click" }));
  Press(VK_F4);
  ASSERT_TRUE(c->IsPopupVisible());
  EXPECT_EQ(GetFocus(), e->Handle());
  Press(VK_NEXT);
  Press(VK_RETURN);
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(c->Text(), "item3");
  EXPECT_EQ(e->Text(), "item3");
  int editKeys = 0;
  e->OnKeyDown = On<TKeyEvent>([&](TObject*, WORD& k, TShiftState) { editKeys += k == VK_DOWN; });
  Press(VK_DOWN, xt::ssAlt);
  EXPECT_TRUE(c->IsPopupVisible());
  EXPECT_EQ(editKeys, 1);
  ClickAt(e, 5, 5);
  EXPECT_FALSE(c->IsPopupVisible()) << "a click in the edit closes the list";

  // Switching the style from inside the edit's own change notification.
  c->OnChange = On<TNotifyEvent>([c](TObject*) {
    if (c->Text() == "ab") c->SetStyle(bscbFixedStyle);
  });
  e->SelectAll();
  xt::TypeText("ab");
  EXPECT_EQ(c->Style(), bscbFixedStyle);
  EXPECT_EQ(c->InnerEdit(), nullptr);
  xt::PumpUntilIdle();
  EXPECT_TRUE(c->TabStop());
  EXPECT_EQ(GetFocus(), c->Handle());
  c->SetStyle(bscbEditStyle);
  EXPECT_EQ(c->InnerEdit()->Text(), "ab");
  // The same from a wheel step over the edit, which the edit still gets after the step committed.
  c->OnChange = On<TNotifyEvent>([c](TObject*) {
    if (c->Text() == "item3") c->SetStyle(bscbFixedStyle);
  });
  c->SetItemIndex(2);
  c->InnerEdit()->SetFocus();
  MoveTo(c->InnerEdit(), 5, 5);
  xt::Wheel(-120);
  EXPECT_EQ(c->Style(), bscbFixedStyle);
  EXPECT_EQ(c->ItemIndex(), 3);
}

TEST_F(ComboTest, TheListOpensInsideTheWorkAreaAndFadesInAsTheCombosAlphaSays) {
  auto* c = NewCombo(20, 150, 6);
  Focus(c);
  struct Case {
    RECT work;
    const char* what;
  };
  RECT cr {};
  GetWindowRect(c->Handle(), &cr);
  for (const Case& k :
       { Case { { 0, 0, 1024, cr.bottom + 40 }, "bottom: above" }, Case { { 0, 0, cr.left + 60, 738 }, "right edge" },
         Case { { cr.left + 30, 0, 1024, 738 }, "left edge" } }) {
    SCOPED_TRACE(k.what);
    xt::SetScreen(1024, 768, k.work);
    c->DropDown();
    RECT lr {};
    GetWindowRect(c->PopupList()->Handle(), &lr);
    EXPECT_GE(lr.left, k.work.left);
    EXPECT_LE(lr.right, k.work.right);
    EXPECT_LE(lr.bottom, k.work.bottom);
    if (k.work.bottom < 700) {
      EXPECT_EQ(lr.bottom, cr.top) << "above the combo";
    }
    c->CloseUp(false);
  }
  xt::SetScreen(1024, 768, { 0, 0, 1024, 738 });

  c->SetAlphaBlend(true);
  c->SetAlphaBlendAnimation(true);
  c->SetAlphaBlendValue(180);
  c->DropDown();
  const HWND h = c->PopupList()->Handle();
  EXPECT_TRUE(xt::Info(h).layered);
  EXPECT_EQ(xt::Info(h).alpha, 180);
  c->CloseUp(false);
  c->SetAlphaBlend(false);
  c->DropDown();
  EXPECT_FALSE(xt::Info(h).layered);
  c->CloseUp(false);
  c->SetAlphaBlend(true);
  c->SetAlphaBlendAnimation(false);
  c->DropDown();
  EXPECT_TRUE(xt::Info(h).alphaSet);
  EXPECT_EQ(xt::Info(h).alpha, 180) << "the style back on comes with its alpha";
}

TEST_F(ComboTest, ATallComboShowsOneArrowDownItsWholeButton) {
  auto* c = NewCombo<TbsSkinComboBox>(20, 20, 3, 120, 40);
  LoadTestSkin();
  c->SetSkinData(skin);
  ShowUnfocused();
  ASSERT_EQ(c->Height(), 40);
  const TRect br = c->ButtonRect();
  EXPECT_EQ(br.Bottom, 38) << "the button grows with the face";
  // The picture's button is rows 2..17 of the 20-row face, its corners three rows deep: down the tall
  // button its rows run once, top to bottom, where a tiled face would start them over.
  const int x = br.Left + 3;
  int last = -1, drops = 0;
  for (int y = br.Top; y < br.Bottom; ++y) {
    const auto p = Code(c, x, y);
    ASSERT_EQ(p.code, RectCode("skinrect")) << "row " << y;
    if (p.localY < last) ++drops;
    last = p.localY;
  }
  EXPECT_EQ(drops, 1) << "the source's row 16 wraps its code to 0 once, and nothing else";
  EXPECT_EQ(Code(c, x, 20).localY, 10) << "the button's middle row stands in the middle";
  Gallery(c, "bsSkinBoxCtrls", "skin-tall");
  // Hot, the state picture stretches the same way.
  MoveTo(c, x, 30);
  EXPECT_EQ(Code(c, x, 30).code, RectCode("activebuttonrect"));
  EXPECT_EQ(Code(c, x, br.Bottom - 1).code, RectCode("activebuttonrect"));
}

TEST_F(ComboTest, ThreeLooksOfFaceAndButtonAndTheListFollowsTheSkin) {
  auto* c = NewCombo<TbsSkinComboBox>(20, 20, 3);
  c->SetItemIndex(2);
  ShowUnfocused();
  // Default look, 120 x 20: the frame, the item on the window colour, the button from x 101 with its
  // arrow centred.
  EXPECT_EQ(c->ButtonRect(), TRect(101, 2, 118, 18));
  EXPECT_EQ(c->FaceRect(), TRect(2, 2, 100, 18));
  EXPECT_EQ(Px(c, 0, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Px(c, 101, 2), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Px(c, 105, 5), ColorToRGB(clBtnFace));
  const TRect inner(102, 3, 117, 17);
  EXPECT_EQ(Count(c, inner, ColorToRGB(clBlack)), 16) << "the arrow: 1 + 3 + 5 + 7 pixels";
  EXPECT_EQ(Px(c, 50, 3), ColorToRGB(clWindow));
  EXPECT_EQ(c->Caption(), "item2");
  Gallery(c, "bsSkinBoxCtrls", "default");
  // Hot and pressed button, focused face, disabled arrow.
  MoveTo(c, 110, 10);
  EXPECT_EQ(Px(c, 105, 5), RGB(0xB6, 0xBD, 0xD2));
  EXPECT_EQ(Px(c, 101, 2), RGB(0, 0, 0x80));
  const TPoint b = At(c, 110, 10);
  xt::MouseDown(xt::mbLeft, b.X, b.Y);
  EXPECT_EQ(Px(c, 105, 5), RGB(0x85, 0x93, 0xB5));
  EXPECT_EQ(Px(c, 50, 3), ColorToRGB(clHighlight)) << "focused by the press";
  Gallery(c, "bsSkinBoxCtrls", "default-pressed");
  xt::MouseUp(xt::mbLeft, b.X, b.Y);
  GalleryOpen(c, "default-open");
  c->CloseUp(false);
  MoveTo(form, 300, 200);
  c->SetEnabled(false);
  xt::PumpUntilIdle();
  EXPECT_EQ(Count(c, inner, ColorToRGB(clBtnShadow)), 16);
  EXPECT_EQ(Count(c, inner, ColorToRGB(clBlack)), 0);
  c->SetEnabled(true);

  // The test skin: frame and button from the combobox picture, the face from "itemrect", the list
  // from the record its "listboxname" names.
  LoadTestSkin();
  c->SetSkinData(skin);
  FocusHolder()->SetFocus();
  xt::PumpUntilIdle();
  ASSERT_NE(c->SkinObjectIndex(), -1);
  EXPECT_EQ(c->Width(), 120);
  const uint8_t owner = OwnerOf("combobox");
  const TRect br = c->ButtonRect(), fr = c->FaceRect();
  EXPECT_EQ(br.Right, c->Width() - 2) << "the button follows the right edge";
  EXPECT_EQ(Code(c, 0, 0).owner, owner);
  EXPECT_EQ(Code(c, br.Left + 3, br.Top + 3).code, RectCode("skinrect")) << "the frame shows the button";
  EXPECT_EQ(Code(c, fr.Left + 20, fr.Top + 2).code, RectCode("itemrect"));
  EXPECT_EQ(c->PopupList()->SkinDataName(), "listbox");
  MoveTo(c, br.Left + 3, br.Top + 3);
  EXPECT_EQ(Code(c, br.Left + 3, br.Top + 3).code, RectCode("activebuttonrect"));
  const TPoint sb = At(c, br.Left + 3, br.Top + 3);
  xt::MouseDown(xt::mbLeft, sb.X, sb.Y);
  EXPECT_EQ(Code(c, br.Left + 3, br.Top + 3).code, RectCode("downbuttonrect"));
  EXPECT_EQ(Code(c, fr.Left + 20, fr.Top + 2).code, RectCode("focusitemrect"));
  EXPECT_EQ(c->PopupList()->SkinObjectIndex(), skin->GetControlIndex("listbox"));
  xt::MouseUp(xt::mbLeft, sb.X, sb.Y);
  GalleryOpen(c, "skin-open");
  c->CloseUp(false);
  MoveTo(form, 300, 200);
  c->SetEnabled(false);
  xt::PumpUntilIdle();
  EXPECT_EQ(Code(c, br.Left + 3, br.Top + 3).code, RectCode("unenabledbuttonrect"));
  Gallery(c, "bsSkinBoxCtrls", "skin-disabled");
  c->SetEnabled(true);
  xt::PumpUntilIdle();
  Gallery(c, "bsSkinBoxCtrls", "skin");

  // A record without focus or item pictures: the face is copied from the frame itself.
  auto* rec = dynamic_cast<TbsDataSkinComboBox*>(
      static_cast<TbsDataSkinControl*>(skin->CtrlList->Items(skin->GetControlIndex("combobox"))));
  ASSERT_NE(rec, nullptr);
  const TRect item = rec->ItemRect, focus = rec->FocusItemRect;
  rec->ItemRect = rec->FocusItemRect = TRect();
  c->ChangeSkinData();
  c->SetFocus();
  xt::PumpUntilIdle();
  EXPECT_EQ(Code(c, fr.Left + 20, fr.Top + 2).owner, owner);
  EXPECT_NE(Code(c, fr.Left + 20, fr.Top + 2).code, RectCode("itemrect"));
  rec->ItemRect = item;
  rec->FocusItemRect = focus;

  // The edit style over the skin: a transparent edit in the skin's font, the face showing through.
  c->SetStyle(bscbEditStyle);
  xt::PumpUntilIdle();
  ASSERT_NE(c->InnerEdit(), nullptr);
  EXPECT_TRUE(c->InnerEdit()->EditTransparent());
  EXPECT_EQ(c->InnerEdit()->Font()->Color(), c->FontColor);
  EXPECT_EQ(Code(c, fr.Right - 4, fr.Top + 2).owner, owner) << "the face shows through the edit";
  Gallery(c, "bsSkinBoxCtrls", "skin-edit");

  // The second skin has no combobox: the default look, and the list too.
  LoadSecondSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(c->SkinObjectIndex(), -1);
  EXPECT_EQ(c->ButtonRect(), TRect(101, 2, 118, 18));
  EXPECT_EQ(c->PopupList()->SkinDataName(), "");
  EXPECT_EQ(c->PopupList()->SkinObjectIndex(), -1);
  EXPECT_EQ(Px(c, 101, 2), ColorToRGB(clBtnShadow));
  EXPECT_FALSE(c->InnerEdit()->EditTransparent());
  EXPECT_EQ(Px(c, c->FaceRect().Right - 4, 4), ColorToRGB(clWindow)) << "the edit paints its own background";
  Gallery(c, "bsSkinBoxCtrls", "second");
}

// Whatever reaches the list, by any way, shows on the face as the list left it.
TEST_F(ComboTest, TheFaceShowsTheListsItemAfterEveryKindOfChange) {
  using Change = std::function<void(TbsSkinCustomComboBox*)>;
  const std::pair<const char*, Change> changes[] = {
    { "selection sent to the window",
      [](auto* c) { SendMessageA(c->PopupList()->ListBox()->Handle(), LB_SETCURSEL, 3, 0); } },
    { "selection performed", [](auto* c) { c->PopupList()->ListBox()->Perform(LB_SETCURSEL, 0, 0); } },
    { "text replaced", [](auto* c) { c->Items()->SetStrings(1, "线路 四十二"); } },
    { "item inserted before", [](auto* c) { c->Items()->Insert(0, "新的"); } },
    { "item deleted", [](auto* c) { c->Items()->Delete(1); } },
    { "items cleared", [](auto* c) { c->Items()->Clear(); } },
    { "sorted anew", [](auto* c) { c->SetSorted(true); } },
    { "key in the open list",
      [](auto* c) {
        c->DropDown();
        c->PopupList()->ListBox()->Perform(WM_KEYDOWN, VK_DOWN, 0);
        c->PopupList()->ListBox()->Perform(WM_KEYUP, VK_DOWN, 0);
      } },
    { "skin switched", [this](auto*) { LoadSecondSkin(); } },
  };
  LoadTestSkin();
  for (const auto& [name, change] : changes) {
    auto* c = NewCombo(10, 10, 4, 90, 22);
    c->Items()->SetStrings(0, "z last");
    c->SetSkinData(skin);
    c->SetItemIndex(1);
    ShowUnfocused();
    xt::PumpUntilIdle();
    change(c);
    c->Invalidate();
    xt::PumpUntilIdle();
    auto* fresh = NewCombo(10, 40, 0, 90, 22);
    fresh->SetSkinData(skin);
    for (int i = 0; i < c->Items()->Count(); ++i) fresh->Items()->Add(c->Items()->Strings(i));
    fresh->SetItemIndex(c->FaceItemIndex());
    xt::PumpUntilIdle();
    EXPECT_EQ(FacePixels(c), FacePixels(fresh)) << name;
    delete c;
    delete fresh;
  }
}

TEST_F(ComboTest, OwnerDrawingGetsTheFaceBufferAndTheListItsItems) {
  auto* c = NewCombo(20, 20, 3);
  c->SetItemIndex(1);
  struct Call {
    int index, w, h;
    TRect text;
    bool focused;
  };
  std::vector<Call> face;
  std::vector<int> rows;
  c->OnComboBoxDrawItem = On<TbsDrawSkinItemEvent>([&](TCanvas* cv, int i, int w, int h, TRect& t, TOwnerDrawState s) {
    face.push_back({ i, w, h, t, s.Contains(odFocused) });
    cv->Brush()->SetColor(static_cast<TColor>(RGB(10, 200, 30)));
    cv->FillRect(TRect(0, 0, w, h));
  });
  c->SetListBoxDrawItem(
      On<TbsDrawSkinItemEvent>([&](TCanvas*, int i, int, int, TRect&, TOwnerDrawState) { rows.push_back(i); }));
  Focus(c);
  ASSERT_FALSE(face.empty());
  EXPECT_EQ(face.back().index, 1);
  EXPECT_EQ(face.back().w, 98);
  EXPECT_EQ(face.back().h, 16);
  EXPECT_EQ(face.back().text, TRect(2, 0, 96, 16));
  EXPECT_TRUE(face.back().focused);
  EXPECT_EQ(Px(c, 50, 10), RGB(10, 200, 30));
  c->DropDown();
  xt::PumpUntilIdle();
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  EXPECT_EQ(rows, (std::vector<int> { 0, 1, 2 }));
  EXPECT_TRUE(c->PopupList()->OnDrawItem);
}

namespace {

class TComboForm : public TForm {
  XJ_CLASS(TComboForm, TForm)
 public:
  explicit TComboForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(ComboTest, APlacedComboReadsBackWithItsItemsSelectionAndStyleWithoutEvents) {
  auto* a = new TComboForm(nullptr);
  Keep(a);
  auto* c = new TbsSkinComboBox(a);
  c->SetName("Combo1");
  c->SetParent(a);
  const AnsiString plain = WriteComponentResource(a);
  for (const char* s : { "one", "two", "three" }) c->Items()->Add(s);
  c->SetItemIndex(2);
  c->SetStyle(bscbEditStyle);
  c->SetDropDownCount(5);
  c->SetAlphaBlend(true);
  c->SetAlphaBlendValue(200);
  c->SetListBoxCaption("pick");
  const AnsiString text = WriteComponentResource(a);
  EXPECT_EQ(plain.find("DropDownCount"), std::string::npos) << "constructor values are not written";

  auto* b = new TComboForm(nullptr);
  Keep(b);
  int clicks = 0;
  ReadComponentResource(b, text);
  auto* back = dynamic_cast<TbsSkinComboBox*>(b->FindComponent("Combo1"));
  ASSERT_NE(back, nullptr) << text;
  back->OnClick = On<TNotifyEvent>([&](TObject*) { ++clicks; });
  EXPECT_EQ(back->Items()->Count(), 3);
  EXPECT_EQ(back->ItemIndex(), 2);
  EXPECT_EQ(back->Text(), "three");
  EXPECT_EQ(back->Style(), bscbEditStyle);
  ASSERT_NE(back->InnerEdit(), nullptr);
  EXPECT_EQ(back->InnerEdit()->Text(), "three");
  EXPECT_EQ(back->DropDownCount(), 5);
  EXPECT_TRUE(back->AlphaBlend());
  EXPECT_EQ(back->AlphaBlendValue(), 200);
  EXPECT_EQ(back->ListBoxCaption(), "pick");
  EXPECT_EQ(WriteComponentResource(b), text);
  // At run time a selection by code is a click.
  back->SetItemIndex(0);
  EXPECT_EQ(clicks, 1);

  // A form that gives the default font alone: the combo's font follows it, as when it is set.
  auto* d = new TComboForm(nullptr);
  Keep(d);
  ReadComponentResource(d,
                        "object ComboForm: TComboForm\n  object Combo2: TbsSkinComboBox\n"
                        "    DefaultFont.Height = 23\n  end\nend\n");
  auto* bare = dynamic_cast<TbsSkinComboBox*>(d->FindComponent("Combo2"));
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(bare->Font()->Height(), 23);
}
