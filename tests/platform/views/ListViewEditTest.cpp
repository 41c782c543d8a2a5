// TListView's caption editing, refusable changes, header right clicks, info tips, hot-tracking styles,
// icon options and work areas, driven as a user does (keys, clicks, the mouse resting, the manual clock),
// with the events counted, those that must not come included, and the pixels read back.

#include <set>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/win32/CommCtrl.h"
#include "tests/platform/views/HeaderListTestUtil.h"
#include "tests/support/HeapUse.h"

using namespace viewtest;

namespace {

constexpr TColor kViewColor = 0x00D8F0C8;  // a colour of nothing else on the form

class ListViewEditTest : public StockTest {
 protected:
  void SetUp() override {
    StockTest::SetUp();
    lv = NewReportView<TListView>(form);
    lv->SetColor(kViewColor);
    for (auto [caption, width] : { std::pair { "Name", 100 }, std::pair { "Size", 60 } }) {
      TListColumn* c = lv->Columns()->Add();
      c->SetCaption(caption);
      c->SetWidth(width);
    }
    for (const char* caption : { "alpha", "beta", "gamma", "delta" }) lv->Items()->Add()->SetCaption(caption);
    form->Show();
    xt::PumpUntilIdle();
  }
  RECT Label(int i) {
    RECT r { LVIR_LABEL, 0, 0, 0 };
    lv->Perform(LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
    return r;
  }
  void ClickCaption(int i) {
    const RECT r = Label(i);
    ClickAt(lv, r.left + 4, r.top + 3);
    xt::PumpUntilIdle();
  }
  HWND Editor() { return reinterpret_cast<HWND>(lv->Perform(LVM_GETEDITCONTROL, 0, 0)); }
  AnsiString Caption(int i) { return lv->Items()->Item(i)->Caption(); }
  TListView* lv {};
};

TEST_F(ListViewEditTest, CaptionsAreEditedByF2AndASlowSecondClickInTheViewsColours) {
  int editing = 0, edited = 0;
  bool allow = true;
  AnsiString seen;
  lv->OnEditing = On<TLVEditingEvent>([&](TObject*, TListItem*, bool& a) {
    ++editing;
    a = allow;
  });
  lv->OnEdited = On<TLVEditedEvent>([&](TObject*, TListItem*, AnsiString& s) {
    ++edited;
    seen = s;
    if (s == "upper") s = "UPPER";
  });
  ClickCaption(1);
  ASSERT_EQ(lv->ItemIndex(), 1);

  // F2 opens the editor over the caption, in the view's colours, with the focus; Enter keeps the text
  // OnEdited leaves.
  Press(VK_F2);
  ASSERT_TRUE(lv->IsEditing());
  EXPECT_EQ(GetFocus(), Editor());
  RECT er {};
  GetWindowRect(Editor(), &er);
  const TPoint corner = lv->ScreenToClient(TPoint(er.left, er.top));
  const RECT label = Label(1);
  EXPECT_EQ(corner.Y, label.top);
  EXPECT_EQ(xt::ReadPixel(Editor(), er.right - er.left - 3, 3), ColorToRGB(kViewColor));
  Gallery(lv, "listview", "editing");
  xt::TypeText("upper");
  Press(VK_RETURN);
  EXPECT_FALSE(lv->IsEditing());
  EXPECT_EQ(Editor(), nullptr);
  EXPECT_EQ(edited, 1);
  EXPECT_EQ(seen, "upper");
  EXPECT_EQ(Caption(1), "UPPER");
  EXPECT_EQ(GetFocus(), lv->Handle());

  // Escape cancels: no OnEdited, the caption stays.
  Press(VK_F2);
  xt::TypeText("gone");
  Press(VK_ESCAPE);
  EXPECT_FALSE(lv->IsEditing());
  EXPECT_EQ(edited, 1);
  EXPECT_EQ(Caption(1), "UPPER");

  // A second click on the selected caption opens the editor once the double-click time has passed,
  // not a moment before...
  xt::Advance(1000);
  ClickCaption(1);
  xt::Advance(GetDoubleClickTime() - 1);
  xt::PumpUntilIdle();
  EXPECT_FALSE(lv->IsEditing());
  xt::Advance(1);
  xt::PumpUntilIdle();
  ASSERT_TRUE(lv->IsEditing());
  // ...and the focus going elsewhere ends it, keeping the text.
  xt::TypeText("kept");
  auto* other = new TEdit(form);
  other->SetParent(form);
  other->SetBounds(10, 250, 80, 20);
  other->SetFocus();
  xt::PumpUntilIdle();
  EXPECT_FALSE(lv->IsEditing());
  EXPECT_EQ(edited, 2);
  EXPECT_EQ(Caption(1), "kept");

  // A double click, or a first click on another item, is no slow second click.
  lv->SetFocus();
  xt::Advance(1000);
  const RECT r = Label(1);
  const TPoint p = lv->ClientToScreen(TPoint(r.left + 4, r.top + 3));
  xt::DoubleClick(p.X, p.Y);
  xt::Advance(GetDoubleClickTime() * 2);
  xt::PumpUntilIdle();
  EXPECT_FALSE(lv->IsEditing());
  xt::Advance(1000);
  ClickCaption(2);
  xt::Advance(GetDoubleClickTime() * 2);
  xt::PumpUntilIdle();
  EXPECT_FALSE(lv->IsEditing());

  // OnEditing refuses; ReadOnly refuses without asking.
  const int asked = editing;
  allow = false;
  EXPECT_FALSE(lv->Items()->Item(2)->EditCaption());
  Press(VK_F2);
  EXPECT_FALSE(lv->IsEditing());
  EXPECT_EQ(editing, asked + 2);
  allow = true;
  lv->SetReadOnly(true);
  EXPECT_FALSE(lv->Items()->Item(2)->EditCaption());
  Press(VK_F2);
  xt::Advance(1000);
  ClickCaption(2);
  xt::Advance(GetDoubleClickTime() * 2);
  xt::PumpUntilIdle();
  EXPECT_FALSE(lv->IsEditing());
  EXPECT_EQ(editing, asked + 2);
  lv->SetReadOnly(false);

  // The edited item deleted: the editor goes without a word.
  ASSERT_TRUE(lv->Items()->Item(3)->EditCaption());
  xt::TypeText("lost");
  lv->Items()->Delete(3);
  EXPECT_FALSE(lv->IsEditing());
  EXPECT_EQ(edited, 2);
  EXPECT_EQ(lv->Items()->Count(), 3);
}

TEST_F(ListViewEditTest, TheEditorTakesTheCaptionsCellAndScrollsOnlyAWiderText) {
  TListItem* empty = lv->Items()->Add();
  lv->SetFocus();
  ASSERT_TRUE(empty->EditCaption());
  RECT editor {}, label = Label(4);
  GetWindowRect(Editor(), &editor);
  EXPECT_EQ(editor.right - editor.left, label.right - label.left + 1) << "the Name column's room, not 40 px";
  xt::TypeText("重要 note");
  EXPECT_EQ(SendMessageA(Editor(), EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "nothing scrolled out of sight";
  xt::TypeText(" that runs on past the column");
  EXPECT_GT(SendMessageA(Editor(), EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "a wider text scrolls";
  Press(VK_RETURN);
  EXPECT_EQ(Caption(4), "重要 note that runs on past the column");
}

TEST_F(ListViewEditTest, AViewFreedByItsOwnOnEditedLeavesNothingBehind) {
  int calls = 0;
  lv->OnEdited = Calling<TLVEditedEvent>(Freer(lv, calls));
  auto life = lv->LifeToken();
  lv->SetFocus();
  ASSERT_TRUE(lv->Items()->Item(0)->EditCaption());
  HWND editor = Editor();
  xt::TypeText("x");
  Press(VK_RETURN);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(life.expired());
  EXPECT_FALSE(IsWindow(editor));
  xt::PumpUntilIdle();
}

// Every way an item changes is asked first; a refusal leaves the item and fires no OnChange.
TEST_F(ListViewEditTest, OnChangingRefusesSelectionAndCaptionChangesWithoutOnChange) {
  lv->SetMultiSelect(true);
  ClickCaption(0);
  int changes = 0, selects = 0;
  std::vector<TItemChange> asked;
  bool allow = false;
  lv->OnChanging = On<TLVChangingEvent>([&](TObject*, TListItem*, TItemChange c, bool& a) {
    asked.push_back(c);
    a = allow;
  });
  lv->OnChange = On<TLVChangeEvent>([&](TObject*, TListItem*, TItemChange) { ++changes; });
  lv->OnSelectItem = On<TLVSelectItemEvent>([&](TObject*, TListItem*, bool) { ++selects; });
  const struct {
    const char* what;
    std::function<void()> act;
  } kWays[] = {
    { "a click", [&] { ClickCaption(2); } },
    { "a key", [&] { Press(VK_DOWN); } },
    { "SetSelected", [&] { lv->Items()->Item(3)->SetSelected(true); } },
    { "ItemIndex", [&] { lv->SetItemIndex(1); } },
  };
  for (const auto& way : kWays) {
    asked.clear();
    way.act();
    EXPECT_FALSE(asked.empty()) << way.what;
    EXPECT_EQ(std::count(asked.begin(), asked.end(), ctState), static_cast<long>(asked.size())) << way.what;
    EXPECT_EQ(lv->ItemIndex(), 0) << way.what;
    EXPECT_EQ(lv->SelCount(), 1) << way.what;
  }
  asked.clear();
  lv->Items()->Item(1)->SetCaption("other");
  lv->Items()->Item(1)->SetImageIndex(4);
  EXPECT_EQ(asked, (std::vector<TItemChange> { ctText, ctImage }));
  EXPECT_EQ(Caption(1), "beta");
  EXPECT_EQ(lv->Items()->Item(1)->ImageIndex(), -1);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(selects, 0);

  allow = true;
  xt::Advance(1000);  // no double click with the first
  ClickCaption(2);
  EXPECT_EQ(lv->ItemIndex(), 2);
  EXPECT_EQ(lv->SelCount(), 1);
  EXPECT_GT(changes, 0);
  EXPECT_EQ(selects, 2);  // 0 lost it, 2 got it
}

}  // namespace

TEST_F(ListViewEditTest, ARightClickOnAHeaderSectionNamesItsColumnAndThePoint) {
  std::vector<std::pair<int, TPoint>> got;
  lv->OnColumnRightClick =
      On<TLVColumnRClickEvent>([&](TObject*, TListColumn* c, TPoint p) { got.emplace_back(c->Index(), p); });
  int clicks = 0;
  lv->OnColumnClick = On<TLVColumnClickEvent>([&](TObject*, TListColumn*) { ++clicks; });
  lv->SetFullDrag(true);
  const int order[] = { 1, 0 };  // Size shows first, 60 wide, then Name
  lv->Perform(LVM_SETCOLUMNORDERARRAY, 2, reinterpret_cast<LPARAM>(order));
  const struct {
    int x;
    int column;  // -1: none
  } kClicks[] = { { 3, 1 }, { 55, 1 }, { 64, 0 }, { 155, 0 }, { 250, -1 } };
  for (const auto& c : kClicks) {
    got.clear();
    xt::Advance(1000);
    ClickAt(lv, c.x, 6, xt::mbRight);
    xt::PumpUntilIdle();
    if (c.column < 0) {
      EXPECT_TRUE(got.empty()) << c.x;
      continue;
    }
    ASSERT_EQ(got.size(), 1u) << c.x;
    EXPECT_EQ(got[0].first, c.column) << c.x;
    EXPECT_EQ(got[0].second, TPoint(c.x, 6)) << c.x;
  }
  EXPECT_EQ(clicks, 0);
  got.clear();
  xt::Advance(1000);
  ClickAt(lv, 20, 6);
  xt::PumpUntilIdle();
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(got.empty());
}

// The tip over an item is OnInfoTip's, once the mouse has rested there for the hover time (the
// system's, 400 ms, by default); elsewhere the control's own hint after the application's pause.
TEST_F(ListViewEditTest, InfoTipsShowOverItemsAfterTheHoverTime) {
  auto shown = [] {
    THintWindow* w = Application->HintWindow();
    return w && w->HandleAllocated() && IsWindowVisible(w->Handle()) ? w->Caption() : AnsiString("(none)");
  };
  lv->SetHint("the view");
  lv->SetShowHint(true);
  int asked = 0;
  lv->OnInfoTip = On<TLVInfoTipEvent>([&](TObject*, TListItem* item, AnsiString& tip) {
    ++asked;
    if (item->Index() != 3) tip = "about " + item->Caption();
  });
  const struct {
    int hoverTime;
    int wait;
  } kCases[] = { { -1, 400 }, { 1234, 1234 } };
  for (const auto& c : kCases) {
    lv->SetHoverTime(c.hoverTime);
    Application->CancelHint();
    const int before = asked;
    const RECT r1 = Label(1);
    MoveTo(lv, r1.left + 3, r1.top + 3);
    xt::Advance(c.wait - 1);
    EXPECT_EQ(shown(), "(none)") << c.hoverTime;
    EXPECT_EQ(asked, before) << c.hoverTime;
    xt::Advance(1);
    EXPECT_EQ(shown(), "about beta") << c.hoverTime;
    // Another item: its own tip, after the hover time again.
    const RECT r2 = Label(2);
    MoveTo(lv, r2.left + 5, r2.top + 2);
    xt::Advance(c.wait - 1);
    EXPECT_NE(shown(), "about gamma") << c.hoverTime;
    xt::Advance(1);
    EXPECT_EQ(shown(), "about gamma") << c.hoverTime;
    EXPECT_EQ(asked, before + 2) << c.hoverTime;
  }
  // No tip for this item: the view's own hint. Below the items: the view's hint after the pause.
  const RECT r3 = Label(3);
  MoveTo(lv, r3.left + 3, r3.top + 3);
  xt::Advance(1234);
  EXPECT_EQ(shown(), "the view");
  Application->CancelHint();
  MoveTo(lv, 150, 150);
  xt::Advance(Application->HintPause());
  EXPECT_EQ(shown(), "the view");
}

// HotTrackStyles: the hand over a hot item one click activates, underlined hot or cold captions, and
// activation by one click, by a click on a selected item, or by a double click.
TEST_F(ListViewEditTest, HotTrackStylesUnderlineCaptionsShowTheHandAndChooseHowItemsActivate) {
  int activated = 0;
  const TWndMethod old = lv->WindowProc;
  lv->WindowProc = TWndMethod::FromCallable([&](TMessage& m) {
    if (m.Msg == CN_NOTIFY && reinterpret_cast<NMHDR*>(m.LParam)->code == LVN_ITEMACTIVATE) ++activated;
    old(m);
  });
  auto activations = [&] { return std::exchange(activated, 0); };
  // A run of 12 pixels of one colour in a caption's rectangle: wider than any stroke of a letter.
  auto underlined = [&](int i, COLORREF c) {
    const RECT r = Label(i);
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left, run = 0; x < r.right; ++x)
        if ((run = xt::ReadPixel(lv->Handle(), x, y) == c ? run + 1 : 0) >= 12) return true;
    return false;
  };
  const COLORREF hotInk = GetSysColor(COLOR_HIGHLIGHT), coldInk = GetSysColor(COLOR_WINDOWTEXT);
  const HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
  const struct {
    TListHotTrackStyles styles;
    bool hand, hotLine, coldLine;
    int firstClick, secondClick, doubleClick;
  } kCases[] = {
    { {}, false, false, false, 0, 0, 1 },
    { { htHandPoint }, true, false, false, 1, 1, 1 },
    { { htUnderlineHot }, false, true, false, 0, 1, 1 },
    { { htUnderlineCold }, false, false, true, 0, 1, 1 },
    { { htHandPoint, htUnderlineHot, htUnderlineCold }, true, true, true, 1, 1, 1 },
  };
  for (const auto& c : kCases) {
    const std::string name = std::to_string(c.styles.ToBits());
    lv->SetHotTrackStyles(c.styles);
    lv->SetSelected(nullptr);
    MoveTo(form, 5, 280);
    const RECT r1 = Label(1);
    MoveTo(lv, r1.left + 3, r1.top + 3);
    xt::PumpUntilIdle();
    EXPECT_EQ(GetCursor() == hand, c.hand) << name;
    EXPECT_EQ(underlined(1, hotInk), c.hotLine) << name;
    EXPECT_EQ(underlined(2, coldInk), c.coldLine) << name;
    EXPECT_FALSE(underlined(2, hotInk)) << name;
    if (c.hotLine && c.coldLine) Gallery(lv, "listview", "underlined");
    activations();
    xt::Advance(1000);
    ClickCaption(1);
    EXPECT_EQ(activations(), c.firstClick) << name;
    xt::Advance(1000);
    ClickCaption(1);
    EXPECT_EQ(activations(), c.secondClick) << name;
    xt::Advance(GetDoubleClickTime() * 2);
    Press(VK_ESCAPE);  // a slow second click may have opened the editor
    xt::Advance(1000);
    const RECT r2 = Label(2);
    const TPoint p = lv->ClientToScreen(TPoint(r2.left + 3, r2.top + 3));
    xt::DoubleClick(p.X, p.Y);
    xt::PumpUntilIdle();
    EXPECT_EQ(activations(), c.doubleClick) << name;
  }
  lv->WindowProc = old;
}

// IconOptions: items row by row or column by column (and the keys and bars with them), captions that
// wrap onto a second line or keep to one.
TEST_F(ListViewEditTest, IconOptionsArrangeByRowsOrColumnsAndWrapLongCaptions) {
  lv->Items()->Item(1)->SetCaption("wrapping words here");
  for (int i = 4; i < 20; ++i) lv->Items()->Add()->SetCaption("i" + std::to_string(i));
  lv->SetViewStyle(vsIcon);
  auto bounds = [&](int i) { return lv->Items()->Item(i)->DisplayRect(drBounds); };
  auto range = [&](int bar) {
    int lo = 0, hi = 0;
    GetScrollRange(lv->Handle(), bar, &lo, &hi);
    return hi;
  };
  // The rows of text the long caption took.
  auto captionRows = [&] {
    xt::ClearTextLog();
    lv->Invalidate();
    xt::PumpUntilIdle();
    std::set<int> rows;
    for (const xt::TextRecord& t : xt::TextOutLog())
      if (t.hwnd == lv->Handle() &&
          (t.text.find("wrap") != std::string::npos || t.text.find("here") != std::string::npos))
        rows.insert(t.y);
    return rows.size();
  };
  const struct {
    TIconArrangement arrangement;
    bool wrap;
  } kCases[] = { { iaTop, true }, { iaLeft, true }, { iaTop, false }, { iaLeft, false } };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::to_string(c.arrangement) + (c.wrap ? " wrapping" : " one line"));
    lv->IconOptions()->SetArrangement(c.arrangement);
    lv->IconOptions()->SetWrapText(c.wrap);
    const TRect a = bounds(0), b = bounds(1);
    const int cellH = a.Bottom - a.Top, perRow = lv->ClientWidth() / (a.Right - a.Left);
    const int perColumn = lv->ClientHeight() / cellH;  // within the room the bars leave
    if (c.arrangement == iaTop) {
      EXPECT_EQ(b.Top, a.Top);
      EXPECT_EQ(b.Left, a.Right);
      EXPECT_EQ(bounds(perRow).Top, a.Bottom);
      EXPECT_EQ(range(SB_VERT), (20 + perRow - 1) / perRow * cellH - 1);
      EXPECT_EQ(range(SB_HORZ), 0);
    } else {
      EXPECT_EQ(b.Left, a.Left);
      EXPECT_EQ(b.Top, a.Bottom);
      EXPECT_EQ(bounds(perColumn).Left, a.Right);
      EXPECT_EQ(range(SB_HORZ), (20 + perColumn - 1) / perColumn * (a.Right - a.Left) - 1);
      EXPECT_EQ(range(SB_VERT), 0);
    }
    // Down goes to the next row, the item below.
    lv->SetFocus();
    lv->SetItemIndex(0);
    Press(VK_DOWN);
    EXPECT_EQ(lv->ItemIndex(), c.arrangement == iaTop ? perRow : 1);
    EXPECT_EQ(captionRows(), c.wrap ? 2u : 1u);
    if (c.wrap) Gallery(lv, "listview", c.arrangement == iaTop ? "icons-wrapped" : "icons-left");
  }
  // The options travel with the form, only where they differ from the defaults.
  const AnsiString text = WriteComponentResource(form);
  EXPECT_NE(text.find("IconOptions.Arrangement = iaLeft"), std::string::npos) << text;
  EXPECT_NE(text.find("IconOptions.WrapText = False"), std::string::npos) << text;
  EXPECT_EQ(text.find("IconOptions.AutoArrange"), std::string::npos) << text;
}

// Work areas: the icons laid out in the first one, its outline and name drawn with ShowWorkAreas; more
// than sixteen, or an empty one, are refused.
TEST_F(ListViewEditTest, WorkAreasHoldTheIconsAndShowTheirOutlines) {
  lv->SetViewStyle(vsIcon);
  const TRect cell = lv->Items()->Item(0)->DisplayRect(drBounds);
  const int w = cell.Right - cell.Left;
  TWorkArea* area = lv->WorkAreas()->Add();
  area->SetRect(TRect(37, 23, 37 + 2 * w + 5, 190));
  area->SetDisplayName("Area");
  area->SetColor(clRed);
  xt::PumpUntilIdle();
  const TRect a = lv->Items()->Item(0)->DisplayRect(drBounds), b = lv->Items()->Item(1)->DisplayRect(drBounds);
  const TRect c = lv->Items()->Item(2)->DisplayRect(drBounds);
  EXPECT_EQ(TPoint(a.Left, a.Top), TPoint(37, 23));
  EXPECT_EQ(TPoint(b.Left, b.Top), TPoint(37 + w, 23));
  EXPECT_EQ(TPoint(c.Left, c.Top), TPoint(37, a.Bottom));  // two to a row in the area's width
  const TRect icon = lv->Items()->Item(1)->DisplayRect(drIcon);
  EXPECT_EQ(lv->GetItemAt((icon.Left + icon.Right) / 2, (icon.Top + icon.Bottom) / 2), lv->Items()->Item(1));
  EXPECT_EQ(lv->GetItemAt((icon.Left + icon.Right) / 2 - w, (icon.Top + icon.Bottom) / 2), lv->Items()->Item(0));
  EXPECT_EQ(lv->GetItemAt(20, (icon.Top + icon.Bottom) / 2), nullptr);  // left of the area
  EXPECT_EQ(xt::ReadPixel(lv->Handle(), 37, 100), ColorToRGB(kViewColor));

  lv->SetShowWorkAreas(true);
  xt::PumpUntilIdle();
  EXPECT_EQ(xt::ReadPixel(lv->Handle(), 37, 100), 0x0000FFu);
  EXPECT_EQ(xt::ReadPixel(lv->Handle(), 37 + 2 * w + 4, 100), 0x0000FFu);
  EXPECT_EQ(xt::ReadPixel(lv->Handle(), 36, 100), ColorToRGB(kViewColor));
  Gallery(lv, "listview", "workareas");
  lv->SetViewStyle(vsReport);  // work areas belong to the icon views
  xt::PumpUntilIdle();
  EXPECT_NE(xt::ReadPixel(lv->Handle(), 37, 100), 0x0000FFu);
  lv->SetViewStyle(vsIcon);

  // Bad input leaves the areas as they were.
  std::vector<RECT> many(17, RECT { 0, 0, 10, 10 });
  SetLastError(0);
  EXPECT_FALSE(lv->Perform(LVM_SETWORKAREAS, 17, reinterpret_cast<LPARAM>(many.data())));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  const RECT empty[] = { { 5, 5, 5, 50 } };
  EXPECT_FALSE(lv->Perform(LVM_SETWORKAREAS, 1, reinterpret_cast<LPARAM>(empty)));
  UINT count = 0;
  lv->Perform(LVM_GETNUMBEROFWORKAREAS, 0, reinterpret_cast<LPARAM>(&count));
  EXPECT_EQ(count, 1u);
  for (int i = 1; i < 16; ++i) lv->WorkAreas()->Add()->SetRect(TRect(0, 0, 10, 10));
  EXPECT_THROW(lv->WorkAreas()->Add(), EListError);
  EXPECT_EQ(lv->WorkAreas()->Count(), 16);
  lv->WorkAreas()->Clear();
  xt::PumpUntilIdle();
  EXPECT_EQ(lv->Items()->Item(0)->DisplayRect(drBounds).Left, 0);
}

// With OwnerData the events see the row lent for the index; the text edited is the application's to keep.
TEST_F(ListViewEditTest, OwnerDataRowsAreEditedAndAskedThroughTheLentItem) {
  lv->Items()->Clear();
  lv->SetOwnerData(true);
  lv->OnData = On<TLVOwnerDataEvent>(
      [](TObject*, TListItem* item) { item->SetCaption("row " + std::to_string(item->Index())); });
  lv->Items()->SetCount(50);
  std::vector<std::string> seen;
  lv->OnEditing = On<TLVEditingEvent>([&](TObject*, TListItem* item, bool&) { seen.push_back(item->Caption()); });
  lv->OnEdited = On<TLVEditedEvent>(
      [&](TObject*, TListItem* item, AnsiString& s) { seen.push_back(std::to_string(item->Index()) + ":" + s); });
  bool allow = true;
  lv->OnChanging = On<TLVChangingEvent>([&](TObject*, TListItem* item, TItemChange, bool& a) {
    seen.push_back("changing " + std::to_string(item->Index()));
    a = allow;
  });
  xt::PumpUntilIdle();
  ClickCaption(5);
  seen.clear();
  Press(VK_F2);
  ASSERT_TRUE(lv->IsEditing());
  xt::TypeText("new");
  Press(VK_RETURN);
  EXPECT_EQ(seen, (std::vector<std::string> { "row 5", "5:new" }));
  allow = false;
  seen.clear();
  xt::Advance(1000);
  ClickCaption(7);
  // The focus leaving 5 is refused, and 7 with it (the selection's ranges go unasked, as they go at once).
  EXPECT_EQ(seen, (std::vector<std::string> { "changing 5" }));
  EXPECT_TRUE(lv->Items()->Item(5)->Focused());
  EXPECT_FALSE(lv->Items()->Item(7)->Selected());
}

// AllocBy makes room for that many items at once, so that adding them costs no growth of the store on
// the way; an owner-data view holds no items and makes none.
TEST_F(ListViewEditTest, AllocByMakesRoomForItsItemsAheadOfThem) {
  const size_t plain = xj::test::HeapGrowth([&] { lv->SetAllocBy(20000); });
  EXPECT_GE(plain, size_t { 20000 } * sizeof(void*));
  EXPECT_EQ(lv->AllocBy(), 20000);
  lv->SetOwnerData(true);
  EXPECT_LT(xj::test::HeapGrowth([&] { lv->SetAllocBy(30000); }), size_t { 4096 });
  EXPECT_EQ(lv->AllocBy(), 30000);
}
