// Control bars: bands laid out in rows, dragged by their grips to other rows, the frame and grip drawn
// around each band over the tiled picture, and form resources.

#include "platform/vcl/ExtCtrls.h"
#include "tests/platform/extctrls/ExtCtrlsTestUtil.h"

using namespace exttest;

namespace {

class ControlBarTest : public StockTest {
 protected:
  void SetUp() override {
    StockTest::SetUp();
    bar = new TControlBar(form);
    bar->SetBounds(10, 10, 300, 80);
    bar->SetParent(form);
  }
  TPanel* Band(int x, int y, int w, int h) {
    auto* p = new TPanel(form);
    p->SetBounds(x, y, w, h);
    p->SetParent(bar);
    return p;
  }
  // Drags the band by its grip to the client point (X, Y) of the bar, in small steps.
  void DragGrip(TControl* band, int X, int Y) {
    const TPoint from = At(bar, band->Left() - 5, band->Top() + 3);
    const TPoint to = At(bar, X, Y);
    xt::MouseDown(xt::mbLeft, from.X, from.Y);
    for (int i = 1; i <= 4; ++i) xt::MouseMove(from.X + (to.X - from.X) * i / 4, from.Y + (to.Y - from.Y) * i / 4);
    xt::MouseUp(xt::mbLeft, to.X, to.Y);
  }
  TControlBar* bar {};
};

TEST_F(ControlBarTest, BandsFormRowsAndMoveBetweenThemByTheirGrips) {
  bar->SetAutoSize(true);
  TPanel* a = Band(11, 2, 60, 22);
  TPanel* b = Band(80, 3, 45, 22);
  TPanel* c = Band(0, 30, 70, 17);
  form->Show();
  xt::PumpUntilIdle();
  // Row 0: a, then b pushed clear of a's margin; row 1: c. Each row is one RowSize high.
  EXPECT_EQ(a->BoundsRect(), TRect(11, 2, 71, 24));
  EXPECT_EQ(b->BoundsRect(), TRect(84, 2, 129, 24));
  EXPECT_EQ(c->BoundsRect(), TRect(11, 28, 81, 45));
  EXPECT_EQ(bar->ClientHeight(), 52);
  int moves = 0;
  bar->OnBandMove = On<TBandMoveEvent>([&](TObject*, TControl* band, TRect& r) {
    ++moves;
    const TRect b = band->BoundsRect();
    EXPECT_EQ(r, TRect(b.Left - 11, b.Top - 2, b.Right + 2, b.Bottom + 2));
  });
  // b into c's row, to the right of it.
  DragGrip(b, 140, 35);
  EXPECT_EQ(b->Top(), 28);
  EXPECT_EQ(b->Left(), 145);  // the grip stays 5 pixels left of the band's control
  EXPECT_EQ(a->Top(), 2);
  EXPECT_GT(moves, 0);
  // a below every row: a new row, and the emptied first row closes up.
  DragGrip(a, 30, 70);
  EXPECT_EQ(c->Top(), 2);
  EXPECT_EQ(b->Top(), 2);
  EXPECT_EQ(a->Top(), 28);
  EXPECT_EQ(bar->ClientHeight(), 52);
  // Taller than a row: the row takes two RowSizes, and AutoSize follows.
  a->SetHeight(30);
  xt::PumpUntilIdle();
  EXPECT_EQ(bar->ClientHeight(), 26 + 52);
  // A refused drag and a bar without AutoDrag move nothing.
  bar->OnBandDrag = On<TBandDragEvent>([&](TObject*, TControl* band, bool& drag) { drag = band != c; });
  DragGrip(c, 30, 70);
  EXPECT_EQ(c->Top(), 2);
  bar->SetAutoDrag(false);
  DragGrip(b, 30, 70);
  EXPECT_EQ(b->Top(), 2);
}

TEST_F(ControlBarTest, OnBandInfoPlacesEachBandByTheInsetsWidthAndRowsItLeaves) {
  bar->SetAutoSize(true);
  TPanel* a = Band(11, 2, 60, 22);
  TPanel* b = Band(80, 3, 45, 22);
  int rowsOfB = 1, calls = 0;
  bar->OnBandInfo = On<TBandInfoEvent>([&](TObject*, TControl* band, TRect& insets, int& preferred, int& rows) {
    ++calls;
    EXPECT_EQ(insets, TRect(11, 2, 2, 2));
    EXPECT_EQ(preferred, band->Width());
    EXPECT_EQ(rows, 1);
    if (band == a) {
      insets = TRect(20, 5, 7, 3);
      preferred = 90;
    } else {
      rows = rowsOfB;
    }
  });
  form->Show();
  xt::PumpUntilIdle();
  EXPECT_GT(calls, 0);
  // a: 20 in and 5 down, 90 wide; b after a's right inset of 7, with its own grip of 11.
  EXPECT_EQ(a->BoundsRect(), TRect(20, 5, 110, 27));
  EXPECT_EQ(b->BoundsRect(), TRect(128, 2, 173, 24));
  EXPECT_EQ(bar->ClientHeight(), 52);  // a's band is 30 high: two RowSizes
  // a's frame is drawn around its insets: highlight at the band's corner, shadow at its far edges.
  EXPECT_EQ(xt::ReadPixel(bar->Handle(), 0, 0), kHighlight);
  EXPECT_EQ(xt::ReadPixel(bar->Handle(), 116, 15), kShadow);
  EXPECT_EQ(xt::ReadPixel(bar->Handle(), 50, 29), kShadow);
  // A band asking for three rows makes its row three RowSizes high.
  rowsOfB = 3;
  bar->Realign();
  xt::PumpUntilIdle();
  EXPECT_EQ(bar->ClientHeight(), 78);
}

// A row's margin ends one pixel above where a new row starts: dropped on that pixel, a band opens a row.
TEST_F(ControlBarTest, APointerJustBelowTheLastRowOpensANewRow) {
  TPanel* a = Band(11, 2, 60, 22);
  TPanel* b = Band(80, 3, 45, 22);
  form->Show();
  xt::PumpUntilIdle();
  ASSERT_EQ(b->Top(), 2);  // one row, whose bottom margin ends at 26
  DragGrip(b, 140, 25);
  EXPECT_EQ(b->Top(), 2);
  DragGrip(b, 140, 26);
  EXPECT_EQ(b->Top(), 28);
  EXPECT_EQ(a->Top(), 2);
}

TEST_F(ControlBarTest, PaintsTheTiledPictureThenEachBandsFrameAndGrip) {
  TBitmap tile;
  Paint(tile, { "RG", "GR", "RG" }, { { 'R', clRed }, { 'G', clLime } });
  bar->Picture()->Assign(&tile);
  TPanel* a = Band(11, 2, 40, 20);
  a->SetColor(clBlue);
  form->Show();
  xt::PumpUntilIdle();
  // The default frame: a window border plus a sunken client edge.
  EXPECT_EQ(bar->Width() - bar->ClientWidth(), 6);
  HWND h = bar->Handle();
  const auto inks = { std::pair<char, COLORREF> { 'H', kHighlight },
                      { 'S', kShadow },
                      { 'r', 0x0000FF },
                      { 'g', 0x00FF00 },
                      { 'b', 0xFF0000 },
                      { '.', kFace } };
  // The band's top-left: the raised frame, two grip ridges from row 3, the picture through the grip
  // and the blue panel (its own bevel first) inside.
  EXPECT_EQ(Map(h, 0, 0, 14, 6, inks), Rows({ "HHHHHHHHHHHHHH",  //
                                              "Hrgrgrgrgrgrgr",  //
                                              "HgrgrgrgrgrHHH",  //
                                              "HgrHrgHgrgrHbb",  //
                                              "HrgHSrHSgrgHbb",  //
                                              "HgrHSgHSrgrHbb" }));
  // The band's bottom-right corner in shadow.
  EXPECT_EQ(Map(h, 51, 22, 3, 3, inks), Rows({ "rSr", "SSg", "grg" }));
  EXPECT_EQ(Map(h, 60, 0, 4, 3, inks), Rows({ "rgrg", "grgr", "rgrg" }));
}

// A drag or band-paint handler that frees the bar, or the band it is about: nothing freed is touched
// afterwards (the sanitizer build reports a touch), and the form goes on.
TEST_F(ControlBarTest, ABarOrBandFreedByItsBandHandlersIsLeftAlone) {
  form->Show();
  for (const char* which : { "drag frees the bar", "drag frees the band", "paint frees the bar" }) {
    SCOPED_TRACE(which);
    const std::string what = which;
    if (!bar) {
      bar = new TControlBar(form);
      bar->SetBounds(10, 10, 300, 80);
      bar->SetParent(form);
    }
    TPanel* band = Band(11, 2, 60, 22);
    xt::PumpUntilIdle();
    const auto barLife = bar->LifeToken(), bandLife = band->LifeToken();
    int calls = 0;
    TControl* victim = what == "drag frees the band" ? static_cast<TControl*>(band) : bar;
    auto kill = [&calls, victim] {
      ++calls;
      delete victim;
    };
    if (what == "paint frees the bar") {
      bar->OnBandPaint = On<TBandPaintEvent>([kill](TObject*, TControl*, TCanvas*, TRect&, TBandPaintOptions&) {
        const auto k = kill;
        k();
      });
      bar->Invalidate();
      xt::PumpUntilIdle();
    } else {
      bar->OnBandDrag = On<TBandDragEvent>([kill](TObject*, TControl*, bool&) {
        const auto k = kill;
        k();
      });
      DragGrip(band, 140, 35);
    }
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(barLife.expired(), victim != band);
    EXPECT_TRUE(bandLife.expired());  // a freed bar takes its bands with it
    if (barLife.expired()) bar = nullptr;
    ClickAt(form, 5, 150);
  }
}

class TBarForm : public TForm {
  XJ_CLASS(TBarForm, TForm)
 public:
  explicit TBarForm(TComponent* AOwner) : TForm(AOwner) {}
  TControlBar* ControlBar1 {};
  TPanel* Panel1 {};
};

}  // namespace

XJ_PUBLISHED(TBarForm,
  XJ_FIELD(ControlBar1)
  XJ_FIELD(Panel1));

namespace {

TEST_F(ControlBarTest, StreamsThroughFormResources) {
  xj::vcl::RegisterExtCtrls();
  RegisterClasses({ TBarForm::StaticClass() });
  const AnsiString text =
      "object BarForm: TBarForm\r\n"
      "  Width = 320\r\n  Height = 200\r\n"
      "  object ControlBar1: TControlBar\r\n"
      "    Left = 4\r\n    Top = 6\r\n    Width = 250\r\n    Height = 70\r\n"
      "    AutoDrag = False\r\n    RowSize = 31\r\n    RowSnap = False\r\n"
      "    object Panel1: TPanel\r\n"
      "      Left = 11\r\n      Top = 2\r\n      Width = 50\r\n      Height = 19\r\n"
      "    end\r\n  end\r\nend\r\n";
  auto* f = new TBarForm(nullptr);
  Keep(f);
  ReadComponentResource(f, text);
  ASSERT_NE(f->ControlBar1, nullptr);
  EXPECT_FALSE(f->ControlBar1->AutoDrag());
  EXPECT_EQ(f->ControlBar1->RowSize(), 31);
  EXPECT_FALSE(f->ControlBar1->RowSnap());
  EXPECT_EQ(f->Panel1->Parent(), f->ControlBar1);
  auto* g = new TBarForm(nullptr);
  Keep(g);
  ReadComponentResource(g, WriteComponentResource(f));
  EXPECT_FALSE(g->ControlBar1->AutoDrag());
  EXPECT_EQ(g->ControlBar1->RowSize(), 31);
  EXPECT_FALSE(g->ControlBar1->RowSnap());
  EXPECT_EQ(g->Panel1->BoundsRect(), TRect(11, 2, 61, 21));
  // A fresh bar writes none of its defaults.
  auto* fresh = new TControlBar(g);
  fresh->SetName("Fresh");
  fresh->SetParent(g);
  const AnsiString written = WriteComponentResource(g);
  const auto at = written.find("object Fresh: TControlBar");
  ASSERT_NE(at, AnsiString::npos);
  const AnsiString body = written.substr(at, written.find("end", at) - at);
  for (const char* name : { "AutoDrag", "AutoSize", "RowSize", "RowSnap", "Color", "Picture" })
    EXPECT_EQ(body.find(name), AnsiString::npos) << name << " in\n" << body;
}

}  // namespace
