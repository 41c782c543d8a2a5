// The tab control, page control and tab sheets driven like a user: clicks and keys on tabs in every
// position and style, the geometry a derived class adjusts through WndProc, single-line scrolling with
// its arrow child, rows, pages kept across RecreateWnd and read from form resources, and bad input.

#include "platform/vcl/StdCtrls.h"
#include "platform/win32/CommCtrl.h"
#include "tests/platform/views/TabsTestUtil.h"

using namespace tabstest;

namespace {

// Three pages: "General" (68 pixels long), "Ab" (28) and "Third one" (84).
class PagesTest : public TabsTest {
 protected:
  TPageControl* MakePages(int Width = 260, int Height = 150) {
    auto* pc = Make<TPageControl>(10, 10, Width, Height);
    for (const char* c : { "General", "Ab", "Third one" }) AddSheet(pc, c);
    return pc;
  }
  static HWND Arrows(TWinControl* c) { return FindWindowExA(c->Handle(), nullptr, UPDOWN_CLASSA, nullptr); }
  // Tabs scrolled off to the left: they end where the first visible one starts.
  static int HiddenLeft(TCustomTabControl* c) {
    int n = 0;
    for (int i = 0; i < c->Tabs()->Count(); ++i) n += c->TabRect(i).Right <= 2 ? 1 : 0;
    return n;
  }
};

TEST_F(PagesTest, EveryPositionLaysOutTabsAndTheDisplayAreaAndAdjustsBothWays) {
  struct Case {
    TTabPosition position;
    TRect tab1;  // "Ab", the selected tab
    TRect display;
    int rows;
  };
  // Left and right tabs wrap at 148 pixels into two justified rows; the selected tab's row lies inside.
  const Case cases[] = {
    { tpTop, TRect(70, 2, 98, 21), TRect(4, 25, 256, 146), 1 },
    { tpBottom, TRect(70, 129, 98, 148), TRect(4, 6, 256, 127), 1 },
    { tpLeft, TRect(21, 95, 40, 148), TRect(42, 6, 256, 146), 2 },
    { tpRight, TRect(220, 95, 239, 148), TRect(4, 6, 218, 146), 2 },
  };
  form->Show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    TPageControl* pc = MakePages();
    pc->SetTabPosition(c.position);
    pc->SetActivePageIndex(1);
    xt::PumpUntilIdle();
    EXPECT_EQ(pc->TabRect(1), c.tab1);
    EXPECT_EQ(pc->DisplayRect(), c.display);
    EXPECT_EQ(pc->RowCount(), c.rows);
    EXPECT_EQ(pc->Pages(1)->BoundsRect(), c.display);  // the page fills the display area
    EXPECT_TRUE(pc->Pages(1)->Showing());
    EXPECT_FALSE(pc->Pages(0)->Showing());
    RECT back = c.display;
    pc->Perform(TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&back));
    EXPECT_EQ(R(back), TRect(0, 0, 260, 150));
    EXPECT_EQ(pc->MultiLine(), c.position == tpLeft || c.position == tpRight);
    delete pc;
  }
}

TEST_F(PagesTest, TheSelectedTabOpensIntoTheFrameAndOthersStayBehindIt) {
  form->SetColor(clWhite);
  TPageControl* pc = MakePages();
  pc->SetActivePageIndex(1);
  form->Show();
  xt::PumpUntilIdle();
  const HWND h = pc->Handle();
  // Row 22 is the frame's light inner edge, except below the selected tab (70..98), which joins it.
  EXPECT_EQ(xt::ReadPixel(h, 150, 22), kHighlight);
  EXPECT_EQ(xt::ReadPixel(h, 84, 22), kFace);
  // The selected tab reaches 2 pixels further out; the others leave the window's colour there.
  EXPECT_EQ(xt::ReadPixel(h, 84, 1), kFace);
  EXPECT_EQ(xt::ReadPixel(h, 150, 1), 0xFFFFFFu);
  EXPECT_EQ(xt::ReadPixel(h, 150, 3), kFace);
  // Past the last tab the strip shows the control's colour.
  EXPECT_EQ(xt::ReadPixel(h, 220, 10), 0xFFFFFFu);
}

// A derived control adjusts the rectangles the control asks its own window for.
class TShiftedPages : public TPageControl {
  XJ_CLASS(TShiftedPages, TPageControl)
 public:
  using TPageControl::TPageControl;
  int Adjusts { 0 };

 protected:
  void WndProc(TMessage& Message) override {
    TPageControl::WndProc(Message);
    if (Message.Msg == TCM_ADJUSTRECT) {
      ++Adjusts;
      reinterpret_cast<RECT*>(Message.LParam)->left += 10;
    }
    if (Message.Msg == TCM_GETITEMRECT && Message.Result) reinterpret_cast<RECT*>(Message.LParam)->top -= 2;
  }
};

TEST_F(PagesTest, AdjustRectAndGetItemRectPassThroughWndProc) {
  auto* pc = Make<TShiftedPages>(10, 10, 260, 150);
  for (const char* c : { "General", "Ab" }) AddSheet(pc, c);
  form->Show();
  xt::PumpUntilIdle();
  EXPECT_EQ(pc->DisplayRect(), TRect(14, 25, 256, 146));
  EXPECT_EQ(pc->Pages(0)->BoundsRect(), TRect(14, 25, 256, 146));
  EXPECT_GT(pc->Adjusts, 0);
  EXPECT_EQ(pc->TabRect(1), TRect(70, 0, 98, 21));
  // The native control's own hit testing keeps its rectangles.
  EXPECT_EQ(pc->IndexOfTabAt(80, 20), 1);
}

TEST_F(PagesTest, ClicksKeysAndCtrlTabChangePagesAndAskFirst) {
  TPageControl* pc = Make<TPageControl>(10, 10, 300, 150);
  TTabSheet* a = AddSheet(pc, "A");
  TTabSheet* b = AddSheet(pc, "B");
  TTabSheet* c = AddSheet(pc, "C");
  TTabSheet* d = AddSheet(pc, "D");
  b->SetTabVisible(false);
  auto* button = new TTestButton(form);
  button->SetParent(d);
  std::vector<std::string> log;
  bool allow = true;
  pc->OnChanging = On<TTabChangingEvent>([&](TObject*, bool& ok) {
    log.push_back("changing " + pc->ActivePage()->Caption());
    ok = allow;
  });
  pc->OnChange = On<TNotifyEvent>([&](TObject*) { log.push_back("change " + pc->ActivePage()->Caption()); });
  int shown = 0, hidden = 0;
  c->OnShow = On<TNotifyEvent>([&](TObject*) { ++shown; });
  a->OnHide = On<TNotifyEvent>([&](TObject*) { ++hidden; });
  form->Show();
  xt::PumpUntilIdle();
  ASSERT_EQ(pc->ActivePage(), a);
  EXPECT_EQ(c->TabIndex(), 1);
  EXPECT_EQ(b->TabIndex(), -1);

  const TRect tabC = pc->TabRect(1);
  ClickAt(pc, tabC.Left + 5, tabC.Top + 5);
  EXPECT_EQ(pc->ActivePage(), c);
  EXPECT_TRUE(c->Showing());
  EXPECT_FALSE(a->Showing());
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(hidden, 1);
  EXPECT_TRUE(pc->Focused());
  EXPECT_EQ(log, (std::vector<std::string> { "changing A", "change C" }));

  // Refused: the tab and the page stay.
  allow = false;
  const TRect tabD = pc->TabRect(2);
  ClickAt(pc, tabD.Left + 5, tabD.Top + 5);
  EXPECT_EQ(pc->ActivePage(), c);
  EXPECT_EQ(pc->TabIndex(), 1);
  allow = true;
  log.clear();

  Press(VK_RIGHT);
  EXPECT_EQ(pc->ActivePage(), d);
  Press(VK_LEFT);
  Press(VK_LEFT);
  EXPECT_EQ(pc->ActivePage(), a);
  Press(VK_END);
  EXPECT_EQ(pc->ActivePage(), d);
  EXPECT_EQ(log, (std::vector<std::string> { "changing C", "change D", "changing D", "change C", "changing C",
                                             "change A", "changing A", "change D" }));

  // Ctrl+Tab from a control on the page: forward wraps round past the hidden tab, Shift goes back.
  button->SetFocus();
  log.clear();
  Press(VK_TAB, xt::ssCtrl);
  EXPECT_EQ(pc->ActivePage(), a);
  Press(VK_TAB, xt::ssCtrl);
  EXPECT_EQ(pc->ActivePage(), c);
  Press(VK_TAB, xt::ssCtrl | xt::ssShift);
  EXPECT_EQ(pc->ActivePage(), a);
  EXPECT_EQ(
      log, (std::vector<std::string> { "changing D", "change A", "changing A", "change C", "changing C", "change A" }));
  // Programmatic changes fire nothing.
  log.clear();
  pc->SetActivePage(d);
  pc->SetTabIndex(0);
  EXPECT_EQ(pc->ActivePage(), a);
  EXPECT_TRUE(log.empty());
}

TEST_F(PagesTest, ASingleRowThatDoesNotFitScrollsWithItsArrowChild) {
  TPageControl* pc = Make<TPageControl>(10, 10, 200, 120);
  for (int i = 0; i < 10; ++i) AddSheet(pc, Format("Tab %d", i));  // 52 pixels each
  form->Show();
  xt::PumpUntilIdle();
  HWND arrows = Arrows(pc);
  ASSERT_NE(arrows, nullptr);
  RECT r {};
  GetWindowRect(arrows, &r);
  MapWindowPoints(nullptr, pc->Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(R(r), TRect(200 - 2 * kThick, 2, 200, 2 + kThick));

  pc->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 3), 0);
  EXPECT_EQ(HiddenLeft(pc), 3);
  EXPECT_EQ(pc->TabRect(3).Left, 2);
  EXPECT_EQ(pc->TabRect(0).Left, 2 - 3 * 52);
  // The arrows scroll one tab a click, up to the last position that shows the last tab.
  ClickAt(pc, 200 - kThick / 2, 10);
  EXPECT_EQ(HiddenLeft(pc), 4);
  pc->Perform(WM_HSCROLL, SBX_THUMBPOSITION32, 1000000);
  EXPECT_EQ(HiddenLeft(pc), 7);
  EXPECT_LE(pc->TabRect(9).Right, 200 - 2 * kThick);
  ClickAt(pc, 200 - 2 * kThick + 3, 10);
  EXPECT_EQ(HiddenLeft(pc), 6);

  // Selecting by keys scrolls the selection into view.
  ClickAt(pc, pc->TabRect(6).Left + 3, 10);
  Press(VK_HOME);
  EXPECT_EQ(HiddenLeft(pc), 0);
  EXPECT_EQ(pc->ActivePageIndex(), 0);

  // A derived control may destroy the arrows: the tabs keep working and scroll by messages, and the
  // arrows stay away until the row has fitted once and overflows again.
  DestroyWindow(arrows);
  ClickAt(pc, pc->TabRect(2).Left + 3, 10);
  EXPECT_EQ(pc->ActivePageIndex(), 2);
  pc->SetWidth(210);
  EXPECT_EQ(Arrows(pc), nullptr);
  pc->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 2), 0);
  EXPECT_EQ(HiddenLeft(pc), 2);
  pc->SetWidth(600);
  EXPECT_EQ(HiddenLeft(pc), 0);
  pc->SetWidth(200);
  EXPECT_NE(Arrows(pc), nullptr);
  // Rows instead: nothing to scroll.
  pc->SetMultiLine(true);
  EXPECT_EQ(Arrows(pc), nullptr);
  EXPECT_EQ(pc->RowCount(), 4);
  EXPECT_EQ(HiddenLeft(pc), 0);
}

TEST_F(TabsTest, AThousandTabsWrapAndTheSelectedRowMovesNextToTheDisplay) {
  auto* tc = Make<TTabControl>(10, 10, 364, 260);
  tc->SetMultiLine(true);
  tc->SetTabWidth(36);  // ten to a row
  tc->Tabs()->BeginUpdate();
  for (int i = 0; i < 1000; ++i) tc->Tabs()->Add(i % 7 ? Format("T%d", i) : AnsiString());
  tc->Tabs()->EndUpdate();
  form->Show();
  xt::PumpUntilIdle();
  EXPECT_EQ(tc->RowCount(), 100);
  EXPECT_EQ(tc->TabIndex(), 0);
  const int inner = tc->DisplayRect().Top - 4;  // the bottom of the row next to the display area
  EXPECT_EQ(tc->TabRect(0).Bottom, inner);
  tc->SetTabIndex(555);
  EXPECT_EQ(tc->TabRect(555).Bottom, inner);
  EXPECT_EQ(tc->TabRect(550).Bottom, inner);
  EXPECT_EQ(tc->TabRect(560).Bottom, 2 + kThick);  // the next row went round to the outside
  // A click on a tab with an empty caption selects it.
  tc->SetMultiLine(false);
  tc->SetTabIndex(7);
  const TRect empty = tc->TabRect(7);
  EXPECT_EQ(empty.Width(), 36);
  ClickAt(tc, empty.Left + 2, empty.Top + 2);
  EXPECT_EQ(tc->TabIndex(), 7);
}

TEST_F(TabsTest, HotTrackLightsOnlyTheCaptionUnderTheMouse) {
  for (bool track : { false, true }) {
    SCOPED_TRACE(track);
    auto* tc = Make<TTabControl>(10, 10, 300, 100);
    tc->Tabs()->Add("One");
    tc->Tabs()->Add("Two");
    tc->SetHotTrack(track);
    form->Show();
    xt::PumpUntilIdle();
    const COLORREF lit = GetSysColor(COLOR_HIGHLIGHT);
    const auto litIn = [&](int i) {
      const TRect r = tc->TabRect(i);
      int n = 0;
      for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) n += xt::ReadPixel(tc->Handle(), x, y) == lit;
      return n;
    };
    const TRect r1 = tc->TabRect(1);
    const TPoint p = tc->ClientToScreen(TPoint(r1.Left + 3, r1.Top + 3));
    xt::MouseMove(p.X, p.Y);
    EXPECT_EQ(litIn(1) > 0, track);
    EXPECT_EQ(litIn(0), 0);
    xt::MouseMove(2, 2);  // away from the control
    EXPECT_EQ(litIn(1), 0);
    delete tc;
  }
}

TEST_F(TabsTest, ScrollOppositeMovesTheRowsBeforeTheSelectedOneToTheFarSide) {
  for (bool opposite : { false, true }) {
    SCOPED_TRACE(opposite);
    auto* pc = Make<TPageControl>(10, 10, 364, 260);
    pc->SetMultiLine(true);
    pc->SetScrollOpposite(opposite);
    pc->SetTabWidth(36);  // ten to a row, three rows
    for (int i = 0; i < 30; ++i) AddSheet(pc, Format("P%d", i));
    pc->SetActivePageIndex(0);
    form->Show();
    xt::PumpUntilIdle();
    ASSERT_EQ(pc->RowCount(), 3);
    const int ch = pc->ClientHeight();
    const TRect before = pc->DisplayRect();
    EXPECT_EQ(before.Bottom, ch - 4) << "every row starts on the tab side";
    EXPECT_EQ(pc->TabRect(0).Bottom, before.Top - 4);
    pc->SetActivePageIndex(25);  // the third row
    xt::PumpUntilIdle();
    const TRect d = pc->DisplayRect();
    EXPECT_EQ(pc->TabRect(25).Bottom, d.Top - 4) << "the selected row next to the display area";
    EXPECT_EQ(pc->ActivePage()->BoundsRect(), d) << "the page follows the display area";
    if (!opposite) {
      EXPECT_EQ(d, before);
      EXPECT_EQ(pc->TabRect(0).Bottom, 2 + kThick);  // rows rolled round on the same side
    } else {
      // Rows 0 and 1 below the display area, row 1 nearest it; the display keeps its height.
      EXPECT_EQ(d.Top, before.Top - 2 * kThick);
      EXPECT_EQ(d.Height(), before.Height());
      EXPECT_EQ(pc->TabRect(5), TRect(pc->TabRect(5).Left, ch - 2 - kThick, pc->TabRect(5).Right, ch - 2));
      EXPECT_EQ(pc->TabRect(15).Top, d.Bottom + 2);
      EXPECT_EQ(pc->IndexOfTabAt(pc->TabRect(5).Left + 3, ch - 8), 5);
      Gallery(pc, "pagecontrol-scrollopposite");
      // Back to the first row: every row on the tab side again.
      pc->SetActivePageIndex(3);
      xt::PumpUntilIdle();
      EXPECT_EQ(pc->DisplayRect(), before);
    }
    delete pc;
  }
}

TEST_F(TabsTest, ItemSizesComeFromTheCaptionUnlessFixedAndBadSizesMeanAutomatic) {
  auto* tc = Make<TTabControl>(10, 10, 300, 100);
  tc->Tabs()->Add("General");
  tc->Tabs()->Add("");
  form->Show();
  EXPECT_EQ(tc->TabRect(0), TRect(2, 2, 2 + 7 * kCharW + 2 * kPadX, 2 + kThick));
  EXPECT_EQ(tc->TabRect(1).Width(), kThick);  // an empty caption: as long as it is thick
  LRESULT old = tc->Perform(TCM_SETITEMSIZE, 0, MAKELPARAM(100, 30));
  EXPECT_EQ(old, MAKELONG(0, kThick));
  EXPECT_EQ(tc->TabRect(0), TRect(2, 2, 102, 32));
  EXPECT_EQ(tc->TabRect(1), TRect(102, 2, 202, 32));
  EXPECT_EQ(tc->DisplayRect().Top, 36);
  for (LPARAM bad : { MAKELPARAM(0, 0), MAKELPARAM(-5, -7), MAKELPARAM(0x8000, 0x8000) }) {
    tc->Perform(TCM_SETITEMSIZE, 0, bad);
    EXPECT_EQ(tc->TabRect(0), TRect(2, 2, 70, 2 + kThick)) << bad;
  }
  tc->SetTabHeight(24);
  EXPECT_EQ(tc->TabRect(0).Height(), 24);
  EXPECT_THROW(tc->SetTabHeight(-1), EInvalidOperation);
  EXPECT_THROW(tc->SetTabWidth(-3), EInvalidOperation);
  EXPECT_EQ(tc->TabHeight(), 24);
}

TEST_F(TabsTest, TheTabControlHostsChildrenAndFiresOnChangeForUsersOnly) {
  auto* tc = Make<TTabControl>(10, 10, 300, 160);
  tc->Tabs()->Add("One");
  tc->Tabs()->Add("Two");
  auto* child = new TTestPanel(form);
  child->SetParent(tc);
  child->SetAlign(alClient);
  int changes = 0;
  tc->OnChange = On<TNotifyEvent>([&](TObject*) { ++changes; });
  form->Show();
  xt::PumpUntilIdle();
  EXPECT_EQ(child->BoundsRect(), tc->DisplayRect());
  const TRect two = tc->TabRect(1);
  ClickAt(tc, two.Left + 4, two.Top + 4);
  EXPECT_EQ(tc->TabIndex(), 1);
  EXPECT_EQ(changes, 1);
  tc->SetTabIndex(0);
  tc->Tabs()->SetStrings(1, "Second");  // renaming keeps the selection
  EXPECT_EQ(tc->TabIndex(), 0);
  EXPECT_EQ(tc->Tabs()->Strings(1), "Second");
  EXPECT_EQ(changes, 1);
  // Taller tabs give the child less room.
  tc->SetTabHeight(40);
  EXPECT_EQ(child->BoundsRect(), tc->DisplayRect());
  EXPECT_EQ(child->Top(), 2 + 40 + 4);
}

TEST_F(PagesTest, BadInputIsIgnoredOrRefusedClearly) {
  TPageControl* pc = MakePages();
  form->Show();
  pc->SetTabIndex(5);
  pc->SetTabIndex(-2);
  EXPECT_EQ(pc->ActivePageIndex(), 0);
  EXPECT_THROW(pc->Pages(3), EListError);
  EXPECT_THROW(pc->Pages(-1), EListError);
  EXPECT_THROW(pc->Pages(0)->SetPageIndex(3), EListError);
  pc->SetTabPosition(tpLeft);
  EXPECT_THROW(pc->SetMultiLine(false), EInvalidOperation);
  EXPECT_TRUE(pc->MultiLine());
  auto* orphan = new TTabControl(form);
  EXPECT_THROW(orphan->Tabs()->Add("x"), EInvalidOperation);  // no window to hold the tab
  EXPECT_EQ(pc->TabRect(7), TRect(0, 0, 0, 0));
}

TEST_F(PagesTest, DeletingTheActivePageInsideOnChangeShowsTheNextOne) {
  TPageControl* pc = MakePages();
  form->Show();
  xt::PumpUntilIdle();
  pc->OnChange = On<TNotifyEvent>([&](TObject*) {
    if (pc->ActivePage()->Caption() == "Ab") delete pc->ActivePage();
  });
  const TRect ab = pc->TabRect(1);
  ClickAt(pc, ab.Left + 4, ab.Top + 4);
  ASSERT_EQ(pc->PageCount(), 2);
  EXPECT_EQ(pc->ActivePage()->Caption(), "Third one");
  EXPECT_EQ(pc->TabIndex(), 1);
  EXPECT_EQ(pc->Tabs()->Count(), 2);
  EXPECT_TRUE(pc->ActivePage()->Showing());
  // The control goes on answering clicks.
  const TRect general = pc->TabRect(0);
  ClickAt(pc, general.Left + 4, general.Top + 4);
  EXPECT_EQ(pc->ActivePageIndex(), 0);
  // Moving a page moves its tab; the selection follows its page.
  pc->Pages(0)->SetPageIndex(1);
  EXPECT_EQ(pc->Tabs()->Strings(0), "Third one");
  EXPECT_EQ(pc->ActivePage()->Caption(), "General");
  EXPECT_EQ(pc->TabIndex(), 1);
}

TEST_F(PagesTest, RecreatingTheWindowKeepsPagesTheirChildrenAndTheSelection) {
  TPageControl* pc = MakePages();
  auto* button = new TTestButton(form);
  button->SetParent(pc->Pages(2));
  button->SetCaption("inside");
  pc->SetActivePageIndex(2);
  form->Show();
  xt::PumpUntilIdle();
  const HWND before = pc->Handle();
  const HWND buttonBefore = button->Handle();
  pc->SetStyle(tsButtons);  // a new window
  xt::PumpUntilIdle();
  EXPECT_NE(pc->Handle(), before);
  EXPECT_FALSE(IsWindow(buttonBefore));
  ASSERT_EQ(pc->Tabs()->Count(), 3);
  EXPECT_EQ(pc->Tabs()->Strings(2), "Third one");
  EXPECT_EQ(pc->Tabs()->Objects(2), pc->Pages(2));
  EXPECT_EQ(pc->TabIndex(), 2);
  EXPECT_EQ(pc->ActivePageIndex(), 2);
  EXPECT_TRUE(button->HandleAllocated());
  EXPECT_TRUE(IsWindowVisible(button->Handle()));
  EXPECT_EQ(GetParent(button->Handle()), pc->Pages(2)->Handle());
  EXPECT_EQ(pc->Pages(2)->BoundsRect(), pc->DisplayRect());
  ClickAt(button, 5, 5);
  EXPECT_EQ(button->Clicks, 1);
}

TEST_F(TabsTest, PagesMadeOrRemovedWithoutAWindowShowAsTabsOnceThereIsOne) {
  auto* pc = new TPageControl(form);
  for (const char* c : { "One", "Two", "Three" }) AddSheet(pc, c);
  EXPECT_EQ(pc->ActivePageIndex(), 0);
  pc->SetActivePageIndex(2);
  pc->Pages(1)->SetCaption("Second");
  EXPECT_FALSE(pc->HandleAllocated());
  pc->SetParent(form);
  pc->SetBounds(10, 10, 250, 120);
  form->Show();
  ASSERT_EQ(pc->Tabs()->Count(), 3);
  EXPECT_EQ(pc->Tabs()->Strings(1), "Second");
  EXPECT_EQ(pc->TabIndex(), 2);
  EXPECT_TRUE(pc->Pages(2)->Showing());

  // Taken off the form, it loses its window; a page deleted meanwhile is gone when it comes back.
  pc->SetParent(nullptr);
  EXPECT_FALSE(pc->HandleAllocated());
  delete pc->Pages(2);
  EXPECT_EQ(pc->ActivePageIndex(), 0);
  pc->SetParent(form);
  xt::PumpUntilIdle();
  ASSERT_EQ(pc->Tabs()->Count(), 2);
  EXPECT_EQ(pc->Tabs()->Strings(0), "One");
  EXPECT_EQ(pc->TabIndex(), 0);
  EXPECT_TRUE(pc->Pages(0)->Showing());
}

class TTabsForm : public TForm {
  XJ_CLASS(TTabsForm, TForm)
 public:
  explicit TTabsForm(TComponent* AOwner) : TForm(AOwner) {}
  TPageControl* PageControl1 {};
  TTabSheet* TabSheet1 {};
  TTabSheet* TabSheet2 {};
  TTabSheet* TabSheet3 {};
  TTabControl* TabControl1 {};
  int Changes { 0 };
  void PageControl1Change(TObject*) { ++Changes; }
};

const char* const kTabsForm = R"(object TabsForm: TTabsForm
  Left = 100
  Top = 100
  Width = 500
  Height = 300
  object PageControl1: TPageControl
    Left = 8
    Top = 8
    Width = 240
    Height = 200
    ActivePage = TabSheet2
    MultiLine = True
    TabOrder = 0
    TabPosition = tpBottom
    OnChange = PageControl1Change
    object TabSheet1: TTabSheet
      Caption = 'First'
    end
    object TabSheet2: TTabSheet
      Caption = '第二'
      ImageIndex = 3
    end
    object TabSheet3: TTabSheet
      Caption = 'Hidden'
      TabVisible = False
    end
  end
  object TabControl1: TTabControl
    Left = 256
    Top = 8
    Width = 220
    Height = 120
    Style = tsFlatButtons
    TabOrder = 1
    Tabs.Strings = (
      'One'
      'Two'
      'Three')
    TabIndex = 2
  end
end
)";

TEST_F(TabsTest, PagesAndTabsComeFromFormResourcesAndGoBackTheSame) {
  auto* f = new TTabsForm(nullptr);
  Keep(f);
  ReadComponentResource(f, kTabsForm);
  ASSERT_NE(f->PageControl1, nullptr);
  TPageControl* pc = f->PageControl1;
  EXPECT_EQ(pc->PageCount(), 3);
  EXPECT_EQ(pc->Pages(1), f->TabSheet2);
  EXPECT_EQ(pc->ActivePage(), f->TabSheet2);
  EXPECT_EQ(pc->TabPosition(), tpBottom);
  EXPECT_EQ(pc->Tabs()->Count(), 2);
  EXPECT_EQ(pc->Tabs()->Strings(1), "第二");
  EXPECT_EQ(f->TabSheet2->ImageIndex(), 3);
  EXPECT_FALSE(f->TabSheet3->TabVisible());
  EXPECT_EQ(f->TabControl1->Tabs()->Count(), 3);
  EXPECT_EQ(f->TabControl1->TabIndex(), 2);
  EXPECT_EQ(f->TabControl1->Style(), tsFlatButtons);

  f->Show();
  xt::PumpUntilIdle();
  EXPECT_EQ(f->TabSheet2->BoundsRect(), pc->DisplayRect());
  const TRect first = pc->TabRect(0);
  ClickAt(pc, first.Left + 4, first.Top + 4);
  EXPECT_EQ(f->Changes, 1);
  EXPECT_EQ(pc->ActivePage(), f->TabSheet1);

  const AnsiString text = WriteComponentResource(f);
  auto* g = new TTabsForm(nullptr);
  Keep(g);
  ReadComponentResource(g, text);
  EXPECT_EQ(g->PageControl1->ActivePage(), g->TabSheet1);
  EXPECT_EQ(g->PageControl1->PageCount(), 3);
  EXPECT_FALSE(g->TabSheet3->TabVisible());
  EXPECT_EQ(g->TabControl1->Tabs()->Strings(2), "Three");
  EXPECT_EQ(g->TabControl1->TabIndex(), 2);
  EXPECT_EQ(WriteComponentResource(g), text);
}

TEST_F(PagesTest, GalleryOfEveryPositionAndStyle) {
  const TTabPosition positions[] = { tpTop, tpBottom, tpLeft, tpRight };
  const char* posNames[] = { "top", "bottom", "left", "right" };
  const TTabStyle styles[] = { tsTabs, tsButtons, tsFlatButtons };
  const char* styleNames[] = { "tabs", "buttons", "flat" };
  TImageList images(8, 8);
  TBitmap glyph;
  Paint(glyph, { "rrrrrrrr", "rgggggrr", "rgggggrr", "rgggggrr", "rgggggrr", "rgggggrr", "rrrrrrrr", "rrrrrrrr" },
        { { 'r', clRed }, { 'g', clLime } });
  images.Add(&glyph, nullptr);
  form->Show();
  for (int p = 0; p < 4; ++p)
    for (int s = 0; s < 3; ++s) {
      TPageControl* pc = MakePages();
      pc->SetTabPosition(positions[p]);
      pc->SetStyle(styles[s]);
      pc->SetImages(&images);
      pc->Pages(1)->SetImageIndex(0);
      pc->SetActivePageIndex(1);
      for (int i = 0; i < 3; ++i) pc->Pages(i)->SetColor(clWindow);
      Gallery(pc, std::string("pagecontrol-") + posNames[p] + "-" + styleNames[s]);
      delete pc;
    }
  TPageControl* pc = Make<TPageControl>(10, 10, 200, 80);
  for (int i = 0; i < 10; ++i) AddSheet(pc, Format("Tab %d", i));
  pc->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 2), 0);
  Gallery(pc, "pagecontrol-scrolled");
}

}  // namespace

XJ_PUBLISHED(TTabsForm,
  XJ_FIELD(PageControl1)
  XJ_FIELD(TabSheet1)
  XJ_FIELD(TabSheet2)
  XJ_FIELD(TabSheet3)
  XJ_FIELD(TabControl1)
  XJ_METHOD(PageControl1Change));
