// Splitters dragged with the mouse: the neighbour follows live or on release, both it and the rest of
// the parent keep MinSize, AutoSnap collapses, OnCanResize steers; the bar's look; form resources.

#include "platform/vcl/ExtCtrls.h"
#include "tests/platform/extctrls/ExtCtrlsTestUtil.h"

using namespace exttest;

namespace {

class SplitterTest : public StockTest {
 protected:
  // Lopsided layout: a 97-wide panel on the left, a 61-high one at the bottom, each with its splitter
  // (5 and 4 thick), and a client panel taking the rest.
  void SetUp() override {
    StockTest::SetUp();
    left = Panel(alLeft, 0, 0, 97, 10);
    leftBar = Bar(alLeft, 97, 0, 5, 10);
    bottom = Panel(alBottom, 0, 500, 10, 61);
    bottomBar = Bar(alBottom, 0, 490, 10, 4);
    rest = Panel(alClient, 0, 0, 10, 10);
    form->Show();
    xt::PumpUntilIdle();
  }
  TPanel* Panel(TAlign a, int x, int y, int w, int h) {
    auto* p = new TPanel(form);
    p->SetBounds(x, y, w, h);
    p->SetParent(form);
    p->SetAlign(a);
    return p;
  }
  TSplitter* Bar(TAlign a, int x, int y, int w, int h) {
    auto* s = new TSplitter(form);
    s->SetAlign(a);  // first: turning between the axes swaps width and height
    s->SetBounds(x, y, w, h);
    s->SetParent(form);
    s->OnMoved = On<TNotifyEvent>([this](TObject*) { ++moved; });
    return s;
  }
  // Presses the splitter 1 pixel from its top-left corner and moves by (dx, dy) in steps of 7 pixels.
  static void Press(TSplitter* s) {
    const TPoint p = At(s, 1, 1);
    xt::MouseDown(xt::mbLeft, p.X, p.Y);
  }
  static void MoveBy(int dx, int dy, TPoint from) {
    const int steps = std::max(std::abs(dx), std::abs(dy)) / 7 + 1;
    for (int i = 1; i <= steps; ++i) xt::MouseMove(from.X + dx * i / steps, from.Y + dy * i / steps);
  }
  TPanel *left {}, *bottom {}, *rest {};
  TSplitter *leftBar {}, *bottomBar {};
  int moved { 0 };
};

TEST_F(SplitterTest, LiveDragStopsAtMinSizeAtBothEnds) {
  leftBar->SetResizeStyle(rsUpdate);
  leftBar->SetAutoSnap(false);
  leftBar->SetMinSize(23);
  EXPECT_EQ(leftBar->Cursor(), crHSplit);
  EXPECT_EQ(bottomBar->Cursor(), crVSplit);
  const TPoint down = At(leftBar, 1, 1);
  Press(leftBar);
  MoveBy(38, 9, down);
  // Live: the neighbour and the splitter have moved before the button is released.
  EXPECT_EQ(left->Width(), 135);
  EXPECT_EQ(leftBar->Left(), 135);
  EXPECT_EQ(rest->Left(), 140);
  // Far right: what is left for the client panel is exactly MinSize.
  MoveBy(900, 0, down);
  EXPECT_EQ(rest->Width(), 23);
  EXPECT_EQ(left->Width() + 5 + 23, form->ClientWidth());
  // Far left: the neighbour keeps MinSize.
  MoveBy(-500, 0, down);
  EXPECT_EQ(left->Width(), 23);
  EXPECT_EQ(moved, 0);
  xt::MouseUp(xt::mbLeft, down.X - 500, down.Y);
  EXPECT_EQ(moved, 1);
  EXPECT_EQ(left->Width(), 23);
  // A later move without the button changes nothing.
  MoveBy(60, 0, At(leftBar, 1, 1));
  EXPECT_EQ(left->Width(), 23);
}

// Dragged as far as it goes, each splitter leaves the client panel exactly MinSize along its own axis,
// counting every control aligned to either end of it.
TEST_F(SplitterTest, EitherSplitterLeavesTheRestExactlyMinSize) {
  struct Case {
    TSplitter* bar;
    int dx, dy;
    int (TControl::*size)() const;
  } cases[] = { { leftBar, 900, 0, &TControl::Width }, { bottomBar, 0, -900, &TControl::Height } };
  for (const Case& c : cases) {
    c.bar->SetResizeStyle(rsUpdate);
    c.bar->SetAutoSnap(false);
    c.bar->SetMinSize(23);
    const TPoint down = At(c.bar, 1, 1);
    Press(c.bar);
    MoveBy(c.dx, c.dy, down);
    EXPECT_EQ((rest->*c.size)(), 23) << (c.bar == leftBar ? "left" : "bottom");
    xt::MouseUp(xt::mbLeft, down.X + c.dx, down.Y + c.dy);
  }
}

TEST_F(SplitterTest, BottomSplitterShowsALineAndResizesOnRelease) {
  bottomBar->SetResizeStyle(rsLine);
  bottomBar->SetAutoSnap(false);
  const COLORREF before = xt::ReadPixel(FormHandle(), 150, bottomBar->Top() - 20);
  const TPoint down = At(bottomBar, 1, 1);
  Press(bottomBar);
  MoveBy(0, -20, down);
  // Not live: the panel waits for the release; the indicator is the inverted bar 20 pixels higher.
  EXPECT_EQ(bottom->Height(), 61);
  EXPECT_EQ(xt::ReadPixel(FormHandle(), 150, bottomBar->Top() - 20), before ^ 0xFFFFFF);
  xt::MouseUp(xt::mbLeft, down.X, down.Y - 20);
  xt::PumpUntilIdle();
  EXPECT_EQ(bottom->Height(), 81);
  EXPECT_EQ(bottomBar->Top() + 4, bottom->Top());
  EXPECT_EQ(bottom->Top() + 81, form->ClientHeight());
  EXPECT_EQ(moved, 1);
  // The indicator is gone: what shows there is the client panel's face again.
  EXPECT_EQ(xt::ReadPixel(FormHandle(), 150, bottomBar->Top() - 3), kFace);
}

TEST_F(SplitterTest, AutoSnapCollapsesAndTheCollapsedNeighbourComesBack) {
  bottomBar->SetResizeStyle(rsUpdate);
  bottomBar->SetMinSize(40);
  TPoint down = At(bottomBar, 1, 1);
  Press(bottomBar);
  MoveBy(0, 21, down);  // 61 - 21 = 40: exactly MinSize still stands
  EXPECT_EQ(bottom->Height(), 40);
  MoveBy(0, 22, down);
  EXPECT_EQ(bottom->Height(), 0);
  xt::MouseUp(xt::mbLeft, down.X, down.Y + 22);
  EXPECT_EQ(bottomBar->Top() + 4, form->ClientHeight());
  down = At(bottomBar, 1, 1);
  Press(bottomBar);
  MoveBy(0, -50, down);
  xt::MouseUp(xt::mbLeft, down.X, down.Y - 50);
  EXPECT_EQ(bottom->Height(), 50);
  EXPECT_EQ(moved, 2);
}

TEST_F(SplitterTest, CanResizeChangesOrRefusesTheSize) {
  leftBar->SetResizeStyle(rsUpdate);
  leftBar->OnCanResize = On<TSplitterCanResizeEvent>([](TObject*, int& size, bool& accept) {
    if (size > 150) accept = false;
    size -= size % 10;  // steps of ten
  });
  const TPoint down = At(leftBar, 1, 1);
  Press(leftBar);
  xt::MouseMove(down.X + 26, down.Y);
  EXPECT_EQ(left->Width(), 120);
  xt::MouseMove(down.X + 80, down.Y);
  EXPECT_EQ(left->Width(), 120);
  xt::MouseUp(xt::mbLeft, down.X + 80, down.Y);
  EXPECT_EQ(left->Width(), 120);
  EXPECT_EQ(moved, 1);
}

TEST_F(SplitterTest, PaintsItsFaceAndBevel) {
  // The bars take the form's colour; beveled, a ridge runs along each (past its ends).
  const auto inks = { std::pair<char, COLORREF> { 'F', kFormColor }, { 'H', kHighlight }, { 'S', kShadow } };
  EXPECT_EQ(Map(FormHandle(), leftBar->Left(), 0, 5, 3, inks), Rows({ "FFFFF", "FFFFF", "FFFFF" }));
  leftBar->SetBeveled(true);
  bottomBar->SetBeveled(true);
  xt::PumpUntilIdle();
  EXPECT_EQ(Map(FormHandle(), leftBar->Left(), 0, 5, 3, inks), Rows({ "SFSFH", "SFSFH", "SFSFH" }));
  EXPECT_EQ(Map(FormHandle(), 0, bottomBar->Top(), 3, 4, inks), Rows({ "SSS", "SSS", "HHH", "HHH" }));
}

class TSplitForm : public TForm {
  XJ_CLASS(TSplitForm, TForm)
 public:
  explicit TSplitForm(TComponent* AOwner) : TForm(AOwner) {}
  TPanel* Panel1 {};
  TSplitter* Splitter1 {};
  int Moves { 0 };
  void Splitter1Moved(TObject*) { ++Moves; }
};

}  // namespace

XJ_PUBLISHED(TSplitForm,
  XJ_FIELD(Panel1)
  XJ_FIELD(Splitter1)
  XJ_METHOD(Splitter1Moved));

namespace {

TEST_F(SplitterTest, StreamsThroughFormResources) {
  xj::vcl::RegisterExtCtrls();
  RegisterClasses({ TSplitForm::StaticClass() });
  const AnsiString text = R"(object SplitForm: TSplitForm
  Left = 10
  Top = 10
  Width = 300
  Height = 200
  Caption = 'split'
  object Panel1: TPanel
    Left = 0
    Top = 0
    Width = 300
    Height = 57
    Align = alTop
  end
  object Splitter1: TSplitter
    Left = 0
    Top = 57
    Width = 300
    Height = 4
    Cursor = crVSplit
    Align = alTop
    AutoSnap = False
    Beveled = True
    MinSize = 17
    ResizeStyle = rsUpdate
    OnMoved = Splitter1Moved
  end
end
)";
  auto* f = new TSplitForm(nullptr);
  Keep(f);
  ReadComponentResource(f, text);
  ASSERT_NE(f->Splitter1, nullptr);
  EXPECT_EQ(f->Splitter1->Align(), alTop);
  EXPECT_FALSE(f->Splitter1->AutoSnap());
  EXPECT_TRUE(f->Splitter1->Beveled());
  EXPECT_EQ(f->Splitter1->MinSize(), 17);
  EXPECT_EQ(f->Splitter1->ResizeStyle(), rsUpdate);
  f->Show();
  xt::PumpUntilIdle();
  const TPoint down = At(f->Splitter1, 2, 1);
  xt::MouseDown(xt::mbLeft, down.X, down.Y);
  xt::MouseMove(down.X, down.Y - 50);
  xt::MouseUp(xt::mbLeft, down.X, down.Y - 50);
  EXPECT_EQ(f->Panel1->Height(), 17);
  EXPECT_EQ(f->Moves, 1);
  // Written back and read into a fresh form, the moved layout and every setting come back.
  auto* again = new TSplitForm(nullptr);
  Keep(again);
  ReadComponentResource(again, WriteComponentResource(f));
  EXPECT_EQ(again->Splitter1->Top(), 17);
  EXPECT_EQ(again->Panel1->Height(), 17);
  EXPECT_EQ(again->Splitter1->MinSize(), 17);
  EXPECT_EQ(again->Splitter1->ResizeStyle(), rsUpdate);
  EXPECT_EQ(again->Splitter1->Cursor(), crVSplit);
  // A fresh splitter writes nothing beyond its place: every other default matches the constructor.
  auto* g = new TSplitForm(nullptr);
  Keep(g);
  g->SetName("G");
  auto* s = new TSplitter(g);
  s->SetName("Fresh");
  s->SetParent(g);
  const AnsiString written = WriteComponentResource(g);
  const auto at = written.find("object Fresh: TSplitter");
  ASSERT_NE(at, AnsiString::npos);
  const AnsiString body = written.substr(at, written.find("end", at) - at);
  for (const char* name : { "Align", "AutoSnap", "Beveled", "MinSize", "ResizeStyle", "Color" })
    EXPECT_EQ(body.find(name), AnsiString::npos) << name << " in\n" << body;
}

}  // namespace
