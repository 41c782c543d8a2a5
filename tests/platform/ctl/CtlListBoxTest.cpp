// The "LISTBOX" class: items and their data, sorting, selection by mouse and keys in the three
// selection styles, owner draw requests, columns, scroll state, erasing and the LB_* answers.

#include "tests/platform/ctl/CtlTestUtil.h"

using namespace xj::test;
using namespace ctltest;

namespace {

constexpr int kRows = 6;
constexpr COLORREF kWhiteBg = RGB(255, 255, 255);  // a list 78 pixels high shows six 13-pixel items

class ListBoxTest : public CtlTest {
 protected:
  HWND List(DWORD style = LBS_NOTIFY, int width = 100, int height = kRows * kLineH) {
    return Make("LISTBOX", style, 10, 10, width, height);
  }
  static void Add(HWND l, int count, const char* prefix = "item") {
    for (int i = 0; i < count; ++i)
      SendMessageA(l, LB_ADDSTRING, 0, (LPARAM)(std::string(prefix) + std::to_string(i)).c_str());
    PumpUntilIdle();
  }
  static void Add(HWND l, std::initializer_list<const char*> items) {
    for (const char* s : items) SendMessageA(l, LB_ADDSTRING, 0, (LPARAM)s);
  }
  static std::vector<std::string> Items(HWND l) {
    std::vector<std::string> v;
    for (int i = 0; i < SendMessageA(l, LB_GETCOUNT, 0, 0); ++i) {
      std::string s(size_t(SendMessageA(l, LB_GETTEXTLEN, i, 0)), '\0');
      SendMessageA(l, LB_GETTEXT, i, (LPARAM)s.data());
      v.push_back(s);
    }
    return v;
  }
  static std::vector<int> Selected(HWND l) {
    std::vector<int> v;
    for (int i = 0; i < SendMessageA(l, LB_GETCOUNT, 0, 0); ++i)
      if (SendMessageA(l, LB_GETSEL, i, 0) > 0) v.push_back(i);
    return v;
  }
  static RECT ItemRect(HWND l, int i) {
    RECT r {};
    SendMessageA(l, LB_GETITEMRECT, i, (LPARAM)&r);
    return r;
  }
  static void ClickItem(HWND l, int i, unsigned shift = ssNone) {
    Advance(1000);  // never a double click
    RECT r = ItemRect(l, i);
    if (shift & ssShift) KeyDown(VK_SHIFT, ssNone, false);
    if (shift & ssCtrl) KeyDown(VK_CONTROL, ssNone, false);
    ClickAt(l, r.left + 5, r.top + 3);
    if (shift & ssCtrl) KeyUp(VK_CONTROL, ssNone, false);
    if (shift & ssShift) KeyUp(VK_SHIFT, ssNone, false);
    PumpUntilIdle();
  }
  static LRESULT Top(HWND l) { return SendMessageA(l, LB_GETTOPINDEX, 0, 0); }
  static LRESULT Cur(HWND l) { return SendMessageA(l, LB_GETCURSEL, 0, 0); }
  static std::pair<int, int> Range(HWND l, int bar) {
    int lo = -1, hi = -1;
    GetScrollRange(l, bar, &lo, &hi);
    return { lo, hi };
  }
  static void Focus(HWND l) {
    SetFocus(l);
    PumpUntilIdle();
  }
};

using Range2 = std::pair<int, int>;

TEST_F(ListBoxTest, ItemsAreAddedInsertedAndDeleted) {
  HWND l = List();
  EXPECT_EQ(SendMessageA(l, LB_ADDSTRING, 0, (LPARAM) "b"), 0);
  EXPECT_EQ(SendMessageA(l, LB_ADDSTRING, 0, (LPARAM) "a"), 1);
  EXPECT_EQ(SendMessageA(l, LB_INSERTSTRING, 0, (LPARAM) "c"), 0);
  EXPECT_EQ(SendMessageA(l, LB_INSERTSTRING, (WPARAM)-1, (LPARAM) "中文"), 3);
  EXPECT_EQ(SendMessageA(l, LB_INSERTSTRING, 9, (LPARAM) "x"), LB_ERR);
  EXPECT_EQ(Items(l), (std::vector<std::string> { "c", "b", "a", "中文" }));
  EXPECT_EQ(SendMessageA(l, LB_GETTEXTLEN, 3, 0), 4);
  EXPECT_EQ(SendMessageA(l, LB_DELETESTRING, 1, 0), 3);
  EXPECT_EQ(Items(l), (std::vector<std::string> { "c", "a", "中文" }));

  struct Bad {
    UINT msg;
    WPARAM w;
  } bad[] = { { LB_DELETESTRING, 3 }, { LB_DELETESTRING, (WPARAM)-1 }, { LB_GETTEXTLEN, 3 },
              { LB_GETITEMDATA, 3 },  { LB_SETITEMDATA, 3 },           { LB_GETSEL, 3 },
              { LB_SETTOPINDEX, 3 },  { LB_SETCARETINDEX, 3 },         { LB_SETCURSEL, 3 },
              { LB_SETSEL, 0 },  // a single-selection list has no LB_SETSEL
              { LB_GETSELCOUNT, 0 } };
  char buf[16];
  RECT r;
  for (const Bad& b : bad) EXPECT_EQ(SendMessageA(l, b.msg, b.w, 0), LB_ERR) << "message " << b.msg;
  EXPECT_EQ(SendMessageA(l, LB_GETTEXT, 3, (LPARAM)buf), LB_ERR);
  EXPECT_EQ(SendMessageA(l, LB_GETITEMRECT, 3, (LPARAM)&r), LB_ERR);
  EXPECT_EQ(SendMessageA(l, LB_GETCOUNT, 0, 0), 3);

  SendMessageA(l, LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessageA(l, LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(Cur(l), LB_ERR);
}

TEST_F(ListBoxTest, SortedListsInsertInOrder) {
  HWND l = List(LBS_SORT);
  Add(l, { "pear", "Apple", "banana", "中文", "apple", "Zoo" });
  EXPECT_EQ(Items(l), (std::vector<std::string> { "Apple", "apple", "banana", "pear", "Zoo", "中文" }));
  EXPECT_EQ(SendMessageA(l, LB_ADDSTRING, 0, (LPARAM) "cherry"), 3);
  EXPECT_EQ(SendMessageA(l, LB_INSERTSTRING, 0, (LPARAM) "zzz"), 0);  // inserting keeps the position asked for
  EXPECT_EQ(Items(l)[0], "zzz");
}

// Letters fold only where a character starts: a GBK trail byte that looks like a capital keeps its value
// ("\x81\x41" sorts before "\x81\x61"). Items that compare equal keep the order they came in, which the
// item data shows; deleting from the front keeps every later item, its data and the selection in step.
TEST_F(ListBoxTest, SortedTiesKeepTheirOrderAndDeletesFromTheFrontKeepIndexes) {
  HWND l = List(LBS_SORT);
  const char* adds[] = { "b", "\x81\x61", "B", "a", "\x81\x41", "A", "b", "\x81\x41z", "ab", "" };
  for (int i = 0; i < 10; ++i) {
    const LRESULT at = SendMessageA(l, LB_ADDSTRING, 0, (LPARAM)adds[i]);
    SendMessageA(l, LB_SETITEMDATA, (WPARAM)at, 100 + i);
  }
  EXPECT_EQ(Items(l),
            (std::vector<std::string> { "", "a", "A", "ab", "b", "B", "b", "\x81\x41", "\x81\x41z", "\x81\x61" }));
  std::vector<LRESULT> data;
  for (int i = 0; i < 10; ++i) data.push_back(SendMessageA(l, LB_GETITEMDATA, i, 0));
  EXPECT_EQ(data, (std::vector<LRESULT> { 109, 103, 105, 108, 100, 102, 106, 104, 107, 101 }));

  SendMessageA(l, LB_SETCURSEL, 6, 0);
  for (int gone = 1; gone <= 4; ++gone) {
    EXPECT_EQ(SendMessageA(l, LB_DELETESTRING, 0, 0), 10 - gone);
    EXPECT_EQ(Cur(l), 6 - gone);
    EXPECT_EQ(SendMessageA(l, LB_GETITEMDATA, 0, 0), data[(size_t)gone]);
    EXPECT_EQ(SendMessageA(l, LB_GETITEMDATA, (WPARAM)(9 - gone), 0), 101);
  }
  EXPECT_EQ(SendMessageA(l, LB_ADDSTRING, 0, (LPARAM) "b"), 3);  // after the three that equal it
}

TEST_F(ListBoxTest, ItemDataFollowsItsItem) {
  HWND l = List();
  Add(l, { "a", "b", "c" });
  EXPECT_EQ(SendMessageA(l, LB_GETITEMDATA, 1, 0), 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(SendMessageA(l, LB_SETITEMDATA, i, 100 + i), LB_OKAY);
  SendMessageA(l, LB_INSERTSTRING, 0, (LPARAM) "new");
  EXPECT_EQ(SendMessageA(l, LB_GETITEMDATA, 0, 0), 0);
  EXPECT_EQ(SendMessageA(l, LB_GETITEMDATA, 1, 0), 100);
  SendMessageA(l, LB_DELETESTRING, 2, 0);
  EXPECT_EQ(SendMessageA(l, LB_GETITEMDATA, 2, 0), 102);
  SendMessageA(l, LB_SETITEMDATA, 2, (LPARAM)-7);
  EXPECT_EQ(SendMessageA(l, LB_GETITEMDATA, 2, 0), -7);
}

TEST_F(ListBoxTest, ClicksSelectAndNotify) {
  HWND l = List(LBS_NOTIFY);
  Add(l, 10);
  ClickItem(l, 2);
  EXPECT_EQ(GetFocus(), l);
  EXPECT_EQ(Cur(l), 2);
  EXPECT_EQ(Count(LBN_SELCHANGE, l), 1);
  ClickItem(l, 2);  // every click is reported, even on the selected item
  EXPECT_EQ(Count(LBN_SELCHANGE, l), 2);

  EXPECT_EQ(SendMessageA(l, LB_SETCURSEL, 5, 0), 5);  // programmatic: no notice
  EXPECT_EQ(SendMessageA(l, LB_SETCURSEL, 99, 0), LB_ERR);
  EXPECT_EQ(Cur(l), 5);
  EXPECT_EQ(SendMessageA(l, LB_SETCURSEL, (WPARAM)-1, 0), LB_ERR);
  EXPECT_EQ(Cur(l), LB_ERR);
  EXPECT_EQ(Count(LBN_SELCHANGE, l), 2);

  Advance(1000);
  RECT r1 = ItemRect(l, 1), r4 = ItemRect(l, 4);
  POINT a = Screen(l, 5, r1.top + 3), b = Screen(l, 5, r4.top + 3);
  Drag(a.x, a.y, b.x, b.y);
  EXPECT_EQ(Cur(l), 4);

  Advance(1000);
  POINT p = Screen(l, 5, ItemRect(l, 3).top + 3);
  DoubleClick(p.x, p.y);
  EXPECT_EQ(Count(LBN_DBLCLK, l), 1);
  EXPECT_EQ(Cur(l), 3);

  HWND quiet = Make("LISTBOX", 0, 200, 10, 100, 78, "", 8);
  Add(quiet, 3);
  ClickItem(quiet, 1);
  EXPECT_EQ(SendMessageA(quiet, LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(Count(LBN_SELCHANGE, quiet), 0);  // without LBS_NOTIFY the parent hears nothing
}

TEST_F(ListBoxTest, KeysMoveTheSelectionAndKeepItInView) {
  HWND l = List(LBS_NOTIFY);
  Add(l, 20);
  Focus(l);
  struct Step {
    UINT vk;
    int sel, top;
  } steps[] = {
    { VK_DOWN, 0, 0 },  // nothing selected yet: the first arrow selects the caret's item
    { VK_DOWN, 1, 0 }, { VK_RIGHT, 2, 0 }, { VK_END, 19, 14 }, { VK_HOME, 0, 0 },
    { VK_NEXT, 5, 0 }, { VK_NEXT, 10, 5 }, { VK_PRIOR, 5, 5 }, { VK_UP, 4, 4 },
    { VK_LEFT, 3, 3 }, { VK_HOME, 0, 0 },  { VK_UP, 0, 0 },
  };
  int notices = 0, last = -1;
  for (const Step& s : steps) {
    KeyPress(s.vk);
    EXPECT_EQ(Cur(l), s.sel) << "key " << s.vk;
    EXPECT_EQ(Top(l), s.top) << "key " << s.vk;
    if (s.sel != last) ++notices;
    last = s.sel;
  }
  EXPECT_EQ(Count(LBN_SELCHANGE, l), notices);  // only real changes are reported
  EXPECT_EQ(SendMessageA(l, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
}

TEST_F(ListBoxTest, MultipleSelectionTogglesOnClicksAndSpace) {
  HWND l = List(LBS_NOTIFY | LBS_MULTIPLESEL);
  Add(l, 8);
  ClickItem(l, 1);
  ClickItem(l, 3);
  EXPECT_EQ(Selected(l), (std::vector<int> { 1, 3 }));
  EXPECT_EQ(SendMessageA(l, LB_GETSELCOUNT, 0, 0), 2);
  ClickItem(l, 1);
  EXPECT_EQ(Selected(l), (std::vector<int> { 3 }));
  EXPECT_EQ(SendMessageA(l, LB_SETCURSEL, 2, 0), LB_ERR);
  EXPECT_EQ(Cur(l), 1);  // the caret

  KeyPress(VK_DOWN);
  KeyPress(VK_DOWN);
  EXPECT_EQ(SendMessageA(l, LB_GETCARETINDEX, 0, 0), 3);
  EXPECT_EQ(Selected(l), (std::vector<int> { 3 }));  // arrows move the caret only
  KeyPress(VK_SPACE);
  EXPECT_EQ(Selected(l), (std::vector<int> {}));
  KeyPress(VK_DOWN);
  KeyPress(VK_SPACE);
  EXPECT_EQ(Selected(l), (std::vector<int> { 4 }));

  EXPECT_EQ(SendMessageA(l, LB_SETSEL, TRUE, -1), LB_OKAY);
  EXPECT_EQ(SendMessageA(l, LB_GETSELCOUNT, 0, 0), 8);
  SendMessageA(l, LB_SETSEL, FALSE, -1);
  SendMessageA(l, LB_SETSEL, TRUE, 6);
  EXPECT_EQ(Selected(l), (std::vector<int> { 6 }));
  EXPECT_EQ(SendMessageA(l, LB_SETCARETINDEX, 7, 0), LB_OKAY);
  EXPECT_EQ(SendMessageA(l, LB_GETCARETINDEX, 0, 0), 7);
}

TEST_F(ListBoxTest, ExtendedSelectionFollowsShiftAndCtrl) {
  HWND l = List(LBS_NOTIFY | LBS_EXTENDEDSEL, 100, 12 * kLineH);
  Add(l, 12);
  using V = std::vector<int>;
  ClickItem(l, 2);
  EXPECT_EQ(Selected(l), V({ 2 }));
  ClickItem(l, 5, ssShift);
  EXPECT_EQ(Selected(l), V({ 2, 3, 4, 5 }));
  ClickItem(l, 8, ssCtrl);
  EXPECT_EQ(Selected(l), V({ 2, 3, 4, 5, 8 }));
  ClickItem(l, 3, ssCtrl);
  EXPECT_EQ(Selected(l), V({ 2, 4, 5, 8 }));
  ClickItem(l, 10, ssCtrl | ssShift);  // a range from the anchor (3) added to what is there
  EXPECT_EQ(Selected(l), V({ 2, 3, 4, 5, 6, 7, 8, 9, 10 }));
  ClickItem(l, 0);
  EXPECT_EQ(Selected(l), V({ 0 }));

  Advance(1000);
  POINT a = Screen(l, 5, ItemRect(l, 1).top + 3), b = Screen(l, 5, ItemRect(l, 4).top + 3);
  Drag(a.x, a.y, b.x, b.y);
  EXPECT_EQ(Selected(l), V({ 1, 2, 3, 4 }));

  KeyPress(VK_DOWN);
  EXPECT_EQ(Selected(l), V({ 5 }));
  KeyPress(VK_DOWN, ssShift);
  KeyPress(VK_DOWN, ssShift);
  EXPECT_EQ(Selected(l), V({ 5, 6, 7 }));
  KeyPress(VK_DOWN, ssCtrl);  // the caret alone
  EXPECT_EQ(SendMessageA(l, LB_GETCARETINDEX, 0, 0), 8);
  EXPECT_EQ(Selected(l), V({ 5, 6, 7 }));
  KeyPress(VK_SPACE, ssCtrl);
  EXPECT_EQ(Selected(l), V({ 5, 6, 7, 8 }));
  EXPECT_GT(Count(LBN_SELCHANGE, l), 0);
}

TEST_F(ListBoxTest, OwnerDrawnItemsAreRequestedWithTheirState) {
  Behaviour().measure = [](const MEASUREITEMSTRUCT&) { return 20u; };
  HWND l = List(LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY);
  ASSERT_EQ(Measures().size(), 1u);  // asked once, at creation
  EXPECT_EQ(Measures()[0].CtlType, (UINT)ODT_LISTBOX);
  EXPECT_EQ(Measures()[0].CtlID, 7u);
  EXPECT_EQ(SendMessageA(l, LB_GETITEMHEIGHT, 0, 0), 20);  // the font does not override it
  Add(l, { "zero", "one", "two" });
  for (int i = 0; i < 3; ++i) SendMessageA(l, LB_SETITEMDATA, i, 40 + i);
  SendMessageA(l, LB_SETCURSEL, 1, 0);
  Focus(l);

  auto drawn = [&](UINT expectedFor1, UINT expectedOthers) {
    Draws().clear();
    InvalidateRect(l, nullptr, TRUE);
    PumpUntilIdle();
    ASSERT_EQ(Draws().size(), 3u);
    for (const DRAWITEMSTRUCT& d : Draws()) {
      RECT r = ItemRect(l, (int)d.itemID);
      EXPECT_EQ(d.CtlType, (UINT)ODT_LISTBOX);
      EXPECT_EQ(d.CtlID, 7u);
      EXPECT_EQ(d.itemAction, (UINT)ODA_DRAWENTIRE);
      EXPECT_EQ(d.hwndItem, l);
      EXPECT_EQ(d.itemData, 40u + d.itemID);
      EXPECT_TRUE(d.rcItem.top == r.top && d.rcItem.bottom == r.bottom && d.rcItem.bottom - d.rcItem.top == 20);
      EXPECT_EQ(d.itemState, d.itemID == 1 ? expectedFor1 : expectedOthers) << "item " << d.itemID;
    }
  };
  drawn(ODS_SELECTED | ODS_FOCUS, 0);
  SetFocus(parent);
  drawn(ODS_SELECTED, 0);
  EnableWindow(l, FALSE);
  drawn(ODS_SELECTED | ODS_DISABLED, ODS_DISABLED);

  // Without LBS_HASSTRINGS the argument of LB_ADDSTRING is the item's data.
  HWND data = Make("LISTBOX", LBS_OWNERDRAWFIXED, 200, 10, 100, 78, "", 9);
  SendMessageA(data, LB_ADDSTRING, 0, (LPARAM)0x1234);
  EXPECT_EQ(SendMessageA(data, LB_GETITEMDATA, 0, 0), 0x1234);
  EXPECT_EQ(SendMessageA(data, LB_GETTEXTLEN, 0, 0), (LRESULT)sizeof(ULONG_PTR));
}

TEST_F(ListBoxTest, VariableHeightsComeFromTheParentPerItem) {
  Behaviour().measure = [](const MEASUREITEMSTRUCT& m) { return 10u + 5u * m.itemID; };
  HWND l = List(LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS);
  Add(l, 4);
  int tops[] = { 0, 10, 25, 45 };
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(ItemRect(l, i).top, tops[i]) << i;
    EXPECT_EQ(SendMessageA(l, LB_GETITEMHEIGHT, i, 0), 10 + 5 * i) << i;
  }
  EXPECT_EQ(SendMessageA(l, LB_SETITEMHEIGHT, 2, MAKELPARAM(30, 0)), LB_OKAY);
  EXPECT_EQ(ItemRect(l, 3).top, 55);
  EXPECT_EQ(Range(l, SB_VERT), Range2(0, 3));  // 85 pixels in 78: it scrolls
  SendMessageA(l, LB_SETTOPINDEX, 3, 0);
  EXPECT_EQ(Top(l), 1);  // items 1..3 (10 + 30 + 25) fill the window
}

TEST_F(ListBoxTest, ColumnsLayOutTopToBottomAndScrollSideways) {
  HWND l = List(LBS_MULTICOLUMN | LBS_NOTIFY, 200, 4 * kLineH);
  SendMessageA(l, LB_SETCOLUMNWIDTH, 50, 0);
  Add(l, 22);  // six columns of four, four visible
  RECT r = ItemRect(l, 5);
  EXPECT_TRUE(r.left == 50 && r.top == kLineH && r.right == 100 && r.bottom == 2 * kLineH);
  EXPECT_EQ(Range(l, SB_HORZ), Range2(0, 5));
  EXPECT_EQ(Range(l, SB_VERT), Range2(0, 0));
  Focus(l);
  SendMessageA(l, LB_SETCURSEL, 0, 0);
  KeyPress(VK_RIGHT);
  EXPECT_EQ(Cur(l), 4);
  KeyPress(VK_END);
  EXPECT_EQ(Cur(l), 21);
  EXPECT_EQ(Top(l), 8);
  EXPECT_EQ(GetScrollPos(l, SB_HORZ), 2);
  KeyPress(VK_LEFT);
  EXPECT_EQ(Cur(l), 17);
  KeyPress(VK_HOME);
  EXPECT_EQ(Top(l), 0);
  SendMessageA(l, WM_HSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(Top(l), 4);
  SendMessageA(l, WM_HSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(Top(l), 8);
  ClickItem(l, 9);  // column 2, now the first visible one
  EXPECT_EQ(Cur(l), 9);
  EXPECT_EQ(ItemRect(l, 9).left, 0);
}

// A style set after the list was made counts from the next message on, even where a subclass keeps the
// style notice from the class.
TEST_F(ListBoxTest, AStyleSetLaterCountsFromTheNextMessage) {
  static WNDPROC inner;
  HWND l = List(LBS_NOTIFY, 200, 4 * kLineH);
  using TProc = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
  const TProc keep = [](HWND h, UINT m, WPARAM w, LPARAM p) -> LRESULT {
    return m == WM_STYLECHANGED ? 0 : CallWindowProcA(inner, h, m, w, p);
  };
  inner = WNDPROC(SetWindowLongPtrA(l, GWL_WNDPROC, WNDPROC(keep).Value()));
  SendMessageA(l, LB_SETCOLUMNWIDTH, 50, 0);
  Add(l, 22);
  EXPECT_EQ(ItemRect(l, 5).top, 5 * kLineH);
  SetWindowLongA(l, GWL_STYLE, GetWindowLongA(l, GWL_STYLE) | LBS_MULTICOLUMN);
  const RECT r = ItemRect(l, 5);
  EXPECT_TRUE(r.left == 50 && r.top == kLineH && r.right == 100 && r.bottom == 2 * kLineH);
}

TEST_F(ListBoxTest, ScrollStateFollowsCountAndTopIndex) {
  HWND l = List(0);
  Add(l, 5);
  EXPECT_EQ(Range(l, SB_VERT), Range2(0, 0));
  Add(l, 10, "more");
  EXPECT_EQ(Range(l, SB_VERT), Range2(0, 14));
  SCROLLINFO si { sizeof si, SIF_ALL, 0, 0, 0, 0, 0 };
  GetScrollInfo(l, SB_VERT, &si);
  EXPECT_EQ(si.nPage, (UINT)kRows);
  EXPECT_EQ(SendMessageA(l, LB_SETTOPINDEX, 5, 0), LB_OKAY);
  EXPECT_EQ(Top(l), 5);
  EXPECT_EQ(GetScrollPos(l, SB_VERT), 5);
  SendMessageA(l, LB_SETTOPINDEX, 14, 0);
  EXPECT_EQ(Top(l), 9);  // no further than the last full window
  for (int i = 0; i < 10; ++i) SendMessageA(l, LB_DELETESTRING, 0, 0);
  EXPECT_EQ(Top(l), 0);
  EXPECT_EQ(Range(l, SB_VERT), Range2(0, 0));
  SendMessageA(l, LB_SETCURSEL, 4, 0);
  Add(l, 20, "again");
  SendMessageA(l, LB_SETCURSEL, 20, 0);  // selecting scrolls the item into view
  EXPECT_EQ(Top(l), 20 - kRows + 1);

  HWND bar = Make("LISTBOX", WS_VSCROLL, 200, 10, 100, kRows * kLineH, "", 8);
  RECT c;
  GetClientRect(bar, &c);
  EXPECT_EQ(c.right, 100);
  Add(bar, 10);
  GetClientRect(bar, &c);
  EXPECT_EQ(c.right, 100 - GetSystemMetrics(SM_CXVSCROLL));  // the native bar appeared
  SendMessageA(bar, LB_RESETCONTENT, 0, 0);
  GetClientRect(bar, &c);
  EXPECT_EQ(c.right, 100);
}

TEST_F(ListBoxTest, EveryScrollResizeAndContentChangeErases) {
  HWND l = List(0);
  Add(l, 20);
  Focus(l);
  MessageTrace erases(l, { WM_ERASEBKGND });
  struct Step {
    const char* what;
    std::function<void()> act;
  } steps[] = {
    { "add", [&] { SendMessageA(l, LB_ADDSTRING, 0, (LPARAM) "x"); } },
    { "insert", [&] { SendMessageA(l, LB_INSERTSTRING, 0, (LPARAM) "y"); } },
    { "delete", [&] { SendMessageA(l, LB_DELETESTRING, 0, 0); } },
    { "top index", [&] { SendMessageA(l, LB_SETTOPINDEX, 3, 0); } },
    { "key scroll", [] { KeyPress(VK_END); } },
    { "wheel", [] { Wheel(WHEEL_DELTA); } },
    { "scroll message", [&] { SendMessageA(l, WM_VSCROLL, SB_LINEUP, 0); } },
    { "resize", [&] { MoveWindow(l, 10, 10, 120, 100, TRUE); } },
    { "reset", [&] { SendMessageA(l, LB_RESETCONTENT, 0, 0); } },
  };
  for (const Step& s : steps) {
    PumpUntilIdle();
    erases.Clear();
    s.act();
    PumpUntilIdle();
    EXPECT_GE(erases.Count(WM_ERASEBKGND), 1) << s.what;
  }
}

TEST_F(ListBoxTest, WheelAndScrollMessagesMoveTheTopIndex) {
  HWND l = List(WS_VSCROLL);
  Add(l, 30);
  Focus(l);
  struct Step {
    std::function<void()> act;
    int top;
  } steps[] = {
    { [] { Wheel(-WHEEL_DELTA); }, 3 },  // towards the user: down three lines
    { [] { Wheel(-2 * WHEEL_DELTA); }, 9 },
    { [] { Wheel(WHEEL_DELTA); }, 6 },
    { [] { Wheel(-WHEEL_DELTA / 2); }, 6 },  // half a notch waits for the other half
    { [] { Wheel(-WHEEL_DELTA / 2); }, 9 },
    { [&] { SendMessageA(l, WM_VSCROLL, SB_LINEDOWN, 0); }, 10 },
    { [&] { SendMessageA(l, WM_VSCROLL, SB_PAGEDOWN, 0); }, 15 },
    { [&] { SendMessageA(l, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 2), 0); }, 2 },
    { [&] { SendMessageA(l, WM_VSCROLL, SBX_THUMBPOSITION32, 20); }, 20 },
    { [&] { SendMessageA(l, WM_VSCROLL, SB_BOTTOM, 0); }, 24 },
    { [&] { SendMessageA(l, WM_VSCROLL, SB_TOP, 0); }, 0 },
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    steps[i].act();
    EXPECT_EQ(Top(l), steps[i].top) << "step " << i;
  }
  // The down arrow of the native bar, at the bottom right of the window.
  RECT w;
  GetWindowRect(l, &w);
  Click(w.right - 8, w.bottom - 8);
  EXPECT_EQ(Top(l), 1);
}

TEST_F(ListBoxTest, PointsAndRectanglesOfItems) {
  HWND l = List(0);
  Add(l, 3);
  RECT r = ItemRect(l, 2);
  EXPECT_TRUE(r.left == 0 && r.top == 2 * kLineH && r.right == 100 && r.bottom == 3 * kLineH);
  EXPECT_EQ(SendMessageA(l, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, kLineH + 2)), MAKELONG(1, 0));
  EXPECT_EQ(SendMessageA(l, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, 70)), MAKELONG(2, 0));   // below the items
  EXPECT_EQ(SendMessageA(l, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, 200)), MAKELONG(2, 1));  // outside
  EXPECT_EQ(SendMessageA(l, LB_ITEMFROMPOINT, 0, MAKELPARAM(-5, 2)), MAKELONG(0, 1));
  SendMessageA(l, LB_SETCURSEL, 1, 0);
  ClickAt(l, 5, 70);  // on no item: nothing changes
  EXPECT_EQ(Cur(l), 1);
}

TEST_F(ListBoxTest, ItemHeightRules) {
  HWND l = List(0);
  Add(l, 3);
  EXPECT_EQ(SendMessageA(l, LB_GETITEMHEIGHT, 0, 0), kLineH);  // from the font
  EXPECT_EQ(SendMessageA(l, LB_SETITEMHEIGHT, 0, MAKELPARAM(0, 0)), LB_ERR);
  EXPECT_EQ(SendMessageA(l, LB_SETITEMHEIGHT, 0, MAKELPARAM(300, 0)), LB_ERR);
  EXPECT_EQ(SendMessageA(l, LB_GETITEMHEIGHT, 0, 0), kLineH);
  EXPECT_EQ(SendMessageA(l, LB_SETITEMHEIGHT, 0, MAKELPARAM(20, 0)), LB_OKAY);
  EXPECT_EQ(ItemRect(l, 1).top, 20);
  SendMessageA(l, WM_SETFONT, (WPARAM)font, TRUE);  // a standard list follows its font
  EXPECT_EQ(SendMessageA(l, LB_GETITEMHEIGHT, 0, 0), kLineH);
}

TEST_F(ListBoxTest, ItemsPaintWithTheParentsColoursAndTheHighlight) {
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  Behaviour().ctlColor = [&](HDC dc, HWND) {
    SetTextColor(dc, RGB(0, 0, 255));
    return (LRESULT)red;
  };
  HWND l = List(0);
  Add(l, { "ab", "cd", "ef" });
  SendMessageA(l, LB_SETCURSEL, 1, 0);
  PumpUntilIdle();
  const int glyph = 2 + 3;  // text starts two pixels in
  EXPECT_EQ(ReadPixel(l, glyph, 5), RGB(0, 0, 255));
  EXPECT_EQ(ReadPixel(l, 60, 5), RGB(255, 0, 0));
  EXPECT_EQ(ReadPixel(l, 60, kLineH + 5), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(ReadPixel(l, glyph, kLineH + 5), GetSysColor(COLOR_HIGHLIGHTTEXT));
  EXPECT_EQ(ReadPixel(l, 60, 60), RGB(255, 0, 0));  // below the items: the erase
  EnableWindow(l, FALSE);
  PumpUntilIdle();
  EXPECT_EQ(ReadPixel(l, glyph, 2 * kLineH + 5), GetSysColor(COLOR_GRAYTEXT));
  DestroyWindow(l);
  DeleteObject(red);
}

TEST_F(ListBoxTest, TheFocusedListFramesItsCaretItem) {
  HWND l = List(0);
  Add(l, { "ab", "cd", "ef" });
  SendMessageA(l, LB_SETCURSEL, 1, 0);
  auto framed = [&](int item) {  // pixels of the item's top row that are not the background
    int n = 0, y = item * kLineH;
    for (int x = 20; x < 100; ++x)
      n += ReadPixel(l, x, y) != GetSysColor(COLOR_HIGHLIGHT) && ReadPixel(l, x, y) != kWhiteBg;
    return n;
  };
  PumpUntilIdle();
  EXPECT_EQ(framed(1), 0);
  Focus(l);
  EXPECT_GT(framed(1), 20);  // a dotted frame: every other pixel
  EXPECT_EQ(framed(0), 0);
  KeyPress(VK_DOWN);
  EXPECT_EQ(framed(1), 0);
  EXPECT_GT(framed(2), 20);
  SetFocus(parent);
  PumpUntilIdle();
  EXPECT_EQ(framed(2), 0);
}

TEST_F(ListBoxTest, RedrawOffDefersScrollStateAndErases) {
  HWND l = List(0);
  MessageTrace erases(l, { WM_ERASEBKGND });
  SendMessageA(l, WM_SETREDRAW, FALSE, 0);
  Add(l, 20);
  EXPECT_EQ(erases.Count(WM_ERASEBKGND), 0);
  EXPECT_EQ(Range(l, SB_VERT), Range2(0, 0));
  SendMessageA(l, WM_SETREDRAW, TRUE, 0);
  PumpUntilIdle();
  EXPECT_GE(erases.Count(WM_ERASEBKGND), 1);
  EXPECT_EQ(Range(l, SB_VERT), Range2(0, 19));
}

TEST_F(ListBoxTest, NoItemIsPaintedWhileRedrawIsOff) {
  HWND l = List(0);
  Add(l, 8);
  PumpUntilIdle();
  SendMessageA(l, WM_SETREDRAW, FALSE, 0);
  SendMessageA(l, LB_SETCURSEL, 2, 0);
  SendMessageA(l, LB_SETCURSEL, 4, 0);
  RECT u;
  EXPECT_FALSE(GetUpdateRect(l, &u, FALSE));
  SendMessageA(l, WM_SETREDRAW, TRUE, 0);
  EXPECT_TRUE(GetUpdateRect(l, &u, FALSE));
}

// An item put in at the selected (or caret) index pushes the selection down with its item; one put in
// after it leaves it; deleting the caret's item leaves the caret on the item that took its place.
TEST_F(ListBoxTest, InsertsAtTheSelectedIndexMoveTheSelectionWithItsItem) {
  auto caret = [](HWND l) { return SendMessageA(l, LB_GETCARETINDEX, 0, 0); };
  HWND single = List(0);
  Add(single, 5);
  SendMessageA(single, LB_SETCURSEL, 2, 0);
  SendMessageA(single, LB_INSERTSTRING, 2, (LPARAM) "new");
  EXPECT_EQ(Cur(single), 3);
  EXPECT_EQ(caret(single), 3);
  SendMessageA(single, LB_INSERTSTRING, 4, (LPARAM) "after");
  EXPECT_EQ(Cur(single), 3);
  EXPECT_EQ(caret(single), 3);
  SendMessageA(single, LB_DELETESTRING, 3, 0);
  EXPECT_EQ(Cur(single), LB_ERR);
  EXPECT_EQ(caret(single), 3);
  EXPECT_EQ(Items(single)[3], "after");

  HWND multi = List(LBS_EXTENDEDSEL);
  Add(multi, 5);
  SendMessageA(multi, LB_SETCARETINDEX, 1, 0);
  SendMessageA(multi, LB_INSERTSTRING, 1, (LPARAM) "new");
  EXPECT_EQ(caret(multi), 2);
}

// Variable heights that add up to the window's height exactly show every item and do not scroll.
TEST_F(ListBoxTest, VariableHeightsThatExactlyFillTheListDoNotScroll) {
  const UINT heights[] = { 30, 10, 20, 18 };  // 78: the list's height
  Behaviour().measure = [&](const MEASUREITEMSTRUCT& m) { return heights[m.itemID]; };
  HWND l = List(LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS);
  Add(l, 4);
  EXPECT_EQ(Range(l, SB_VERT), Range2(0, 0));
  SendMessageA(l, LB_SETTOPINDEX, 3, 0);
  EXPECT_EQ(Top(l), 0);
  SendMessageA(l, LB_SETITEMHEIGHT, 3, MAKELPARAM(19, 0));  // one pixel over
  EXPECT_EQ(Range(l, SB_VERT), Range2(0, 3));
  SendMessageA(l, LB_SETTOPINDEX, 3, 0);
  EXPECT_EQ(Top(l), 1);
}

TEST_F(ListBoxTest, AParentMayDestroyTheListFromItsNotice) {
  HWND l = List(LBS_NOTIFY);
  Add(l, 5);
  Behaviour().onCommand = [](const Notice& n) {
    if (n.code == LBN_SELCHANGE) DestroyWindow(n.from);
  };
  Focus(l);
  KeyPress(VK_DOWN);
  EXPECT_FALSE(IsWindow(l));
}

}  // namespace
