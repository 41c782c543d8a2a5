// THeaderControl over the native header: sections laid out in display order, clicks, divider drags
// within the section limits, drag reorder, owner-drawn sections, the hit test a derived WndProc sees
// before the mouse-down handling, streaming of the sections, and requests out of range.

#include "platform/vcl/ComCtrls.h"
#include "platform/win32/CommCtrl.h"
#include "tests/platform/views/HeaderListTestUtil.h"

using namespace viewtest;

namespace {

// Records the hit tests passing through WndProc and the presses reaching MouseDown, in order.
class TProbeHeader : public THeaderControl {
  XJ_CLASS(TProbeHeader, THeaderControl)
 public:
  explicit TProbeHeader(TComponent* AOwner) : THeaderControl(AOwner) {}
  std::vector<std::string> Log;
  void WndProc(TMessage& Message) override {
    THeaderControl::WndProc(Message);
    if (Message.Msg == HDM_HITTEST) {
      auto* info = reinterpret_cast<HDHITTESTINFO*>(Message.LParam);
      Log.push_back(info->flags == HHT_ONDIVIDER ? "divider" + std::to_string(info->iItem)
                                                 : "section" + std::to_string(info->iItem));
    }
  }

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    Log.push_back("down");
    THeaderControl::MouseDown(Button, Shift, X, Y);
  }
};

class HeaderTest : public StockTest {
 protected:
  void SetUp() override {
    StockTest::SetUp();
    header = new TProbeHeader(form);
    header->SetParent(form);
    header->SetHeight(20);
    for (const auto& [text, width] : { std::pair { "Name", 80 }, { "Size", 50 }, { "Date", 70 } }) {
      THeaderSection* s = header->Sections()->Add();
      s->SetText(text);
      s->SetWidth(width);
    }
    header->OnSectionClick =
        On<TSectionNotifyEvent>([this](THeaderControl*, THeaderSection* s) { clicks.push_back(s->Index()); });
    form->Show();
    xt::PumpUntilIdle();
  }
  RECT ItemRect(int i) {
    RECT r {};
    header->Perform(HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
    return r;
  }
  std::vector<int> Order() {
    std::vector<int> o(3, -1);
    header->Perform(HDM_GETORDERARRAY, 3, reinterpret_cast<LPARAM>(o.data()));
    return o;
  }
  TProbeHeader* header {};
  std::vector<int> clicks;
};

TEST_F(HeaderTest, SectionsAnswerTheirRectanglesAndClicksReportTheSectionUnderTheRelease) {
  EXPECT_EQ(header->Align(), alTop);
  EXPECT_EQ(header->Perform(HDM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(ItemRect(0).right, 80);
  EXPECT_EQ(ItemRect(2).left, 130);
  EXPECT_EQ(ItemRect(2).right, 200);
  EXPECT_EQ(ItemRect(2).bottom, 20);
  EXPECT_EQ(header->Sections()->Items(2)->Left(), 130);

  ClickAt(header, 100, 10);
  EXPECT_EQ(clicks, std::vector<int> { 1 });
  // A press on one section released over another clicks nothing; nor does a press beyond the last.
  DragAcross(header, 10, 10, 150);
  ClickAt(header, 300, 10);
  EXPECT_EQ(clicks, std::vector<int> { 1 });
  header->Sections()->Items(2)->SetAllowClick(false);
  ClickAt(header, 150, 10);
  EXPECT_EQ(clicks, std::vector<int> { 1 });
}

TEST_F(HeaderTest, TheHitTestPassesThroughWndProcBeforeMouseDown) {
  header->Log.clear();
  ClickAt(header, 40, 10);
  xt::Advance(1000);
  ClickAt(header, 81, 10);  // one pixel right of the first divider
  EXPECT_EQ(header->Log, (std::vector<std::string> { "section0", "down", "divider0", "down" }));
}

TEST_F(HeaderTest, DraggingADividerResizesWithinTheLimitsAndClicksNothing) {
  THeaderSection* size = header->Sections()->Items(1);
  size->SetMinWidth(20);
  size->SetMaxWidth(90);
  std::vector<std::pair<int, TSectionTrackState>> track;
  int resized = 0;
  header->OnSectionTrack = On<TSectionTrackEvent>([&](THeaderControl*, THeaderSection*, int w, TSectionTrackState s) {
    track.push_back({ w, s });
  });
  header->OnSectionResize = On<TSectionNotifyEvent>([&](THeaderControl*, THeaderSection*) { ++resized; });

  DragAcross(header, 130, 10, 200);  // 70 pixels wider, stopped at 90
  EXPECT_EQ(size->Width(), 90);
  EXPECT_EQ(ItemRect(1).right, 170);
  EXPECT_EQ(ItemRect(2).left, 170);
  ASSERT_GE(track.size(), 3u);
  EXPECT_EQ(track.front().second, tsTrackBegin);
  EXPECT_EQ(track.back(), (std::pair { 90, tsTrackEnd }));
  EXPECT_EQ(resized, 1);
  DragAcross(header, 170, 10, 60);
  EXPECT_EQ(size->Width(), 20);
  EXPECT_TRUE(clicks.empty());
}

TEST_F(HeaderTest, DragReorderMovesASectionInTheDisplayOrderOnly) {
  DragAcross(header, 20, 10, 190);  // without DragReorder: a press released elsewhere
  EXPECT_EQ(Order(), (std::vector<int> { 0, 1, 2 }));

  header->SetDragReorder(true);
  xt::PumpUntilIdle();
  int ended = 0;
  header->OnSectionEndDrag = On<TNotifyEvent>([&](TObject*) { ++ended; });
  DragAcross(header, 20, 10, 190);
  EXPECT_EQ(Order(), (std::vector<int> { 1, 2, 0 }));
  EXPECT_EQ(ended, 1);
  EXPECT_TRUE(clicks.empty());
  EXPECT_EQ(header->Sections()->Items(0)->Text(), "Name");  // the collection keeps its order
  EXPECT_EQ(header->Sections()->Items(0)->Left(), 120);
  EXPECT_EQ(ItemRect(0).left, 120);
  EXPECT_EQ(ItemRect(1).left, 0);

  bool allow = false;
  header->OnSectionDrag =
      On<TSectionDragEvent>([&](TObject*, THeaderSection*, THeaderSection*, bool& a) { a = allow; });
  DragAcross(header, 130, 10, 10);
  EXPECT_EQ(Order(), (std::vector<int> { 1, 2, 0 }));
}

// A section's draw handler may free the header: nothing of it is touched afterwards and the form paints on.
TEST_F(HeaderTest, AHeaderFreedByItsSectionDrawHandlerTouchesNothingAfterwards) {
  const std::weak_ptr<const void> life = header->LifeToken();
  int calls = 0;
  header->OnDrawSection = On<TDrawSectionEvent>([&calls, life](THeaderControl* h, THeaderSection*, const TRect&, bool) {
    ++calls;
    if (!life.expired()) delete h;
  });
  header->Sections()->Items(1)->SetStyle(hsOwnerDraw);
  xt::PumpUntilIdle();
  EXPECT_TRUE(life.expired());
  EXPECT_EQ(calls, 1);
  form->Repaint();
  xt::PumpUntilIdle();
  EXPECT_EQ(form->ControlCount(), 0);
}

TEST_F(HeaderTest, OwnerDrawnSectionsAreDrawnByDrawSectionPressedWhileHeld) {
  std::vector<std::pair<int, bool>> drawn;
  header->OnDrawSection =
      On<TDrawSectionEvent>([&](THeaderControl* h, THeaderSection* s, const TRect& r, bool pressed) {
        drawn.push_back({ s->Index(), pressed });
        h->Canvas()->Brush()->SetColor(pressed ? clRed : clLime);
        h->Canvas()->FillRect(r);
      });
  header->Sections()->Items(1)->SetStyle(hsOwnerDraw);
  xt::PumpUntilIdle();
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.back(), (std::pair { 1, false }));
  EXPECT_EQ(xt::ReadPixel(header->Handle(), 100, 10), 0x00FF00u);
  EXPECT_EQ(xt::ReadPixel(header->Handle(), 40, 10), kFace);

  const TPoint p = header->ClientToScreen(TPoint(100, 10));
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
  xt::PumpUntilIdle();
  EXPECT_EQ(xt::ReadPixel(header->Handle(), 100, 10), 0x0000FFu);
  Gallery(header, "header", "ownerdraw-pressed");
  xt::MouseUp(xt::mbLeft, p.X, p.Y);
  xt::PumpUntilIdle();
  EXPECT_EQ(xt::ReadPixel(header->Handle(), 100, 10), 0x00FF00u);
  Gallery(header, "header", "buttons");
  header->SetStyle(hsFlat);
  Gallery(header, "header", "flat");
}

TEST_F(HeaderTest, HotTrackLightsTheCaptionUnderTheMouseUntilItLeaves) {
  MoveTo(header, 100, 10);
  xt::PumpUntilIdle();
  EXPECT_FALSE(Bluish(header->Handle(), ItemRect(1)));
  header->SetHotTrack(true);
  xt::PumpUntilIdle();
  MoveTo(header, 101, 10);
  xt::PumpUntilIdle();
  EXPECT_TRUE(Bluish(header->Handle(), ItemRect(1)));
  EXPECT_FALSE(Bluish(header->Handle(), ItemRect(0)));
  Gallery(header, "header", "hot");
  MoveTo(header, 20, 10);
  xt::PumpUntilIdle();
  EXPECT_FALSE(Bluish(header->Handle(), ItemRect(1)));
  EXPECT_TRUE(Bluish(header->Handle(), ItemRect(0)));
  MoveTo(form, 200, 250);  // off the header
  xt::PumpUntilIdle();
  EXPECT_FALSE(Bluish(header->Handle(), ItemRect(0)));
}

TEST_F(HeaderTest, BadRequestsAreRefusedAndClearingDuringADragIsHarmless) {
  RECT r { 1, 2, 3, 4 };
  EXPECT_EQ(header->Perform(HDM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&r)), FALSE);
  EXPECT_EQ(header->Perform(HDM_GETITEMRECT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&r)), FALSE);
  EXPECT_EQ(r.left, 1);
  const int duplicate[] = { 0, 0, 2 };
  EXPECT_EQ(header->Perform(HDM_SETORDERARRAY, 3, reinterpret_cast<LPARAM>(duplicate)), FALSE);
  const int shortOrder[] = { 1, 0 };
  EXPECT_EQ(header->Perform(HDM_SETORDERARRAY, 2, reinterpret_cast<LPARAM>(shortOrder)), FALSE);
  int tooSmall[2] = { 7, 7 };
  EXPECT_EQ(header->Perform(HDM_GETORDERARRAY, 2, reinterpret_cast<LPARAM>(tooSmall)), FALSE);
  EXPECT_EQ(header->Perform(HDM_DELETEITEM, 9, 0), FALSE);
  EXPECT_THROW(header->Sections()->Items(3), EListError);

  // The sections go while a divider is held; the rest of the drag and the release do nothing.
  header->OnSectionTrack = On<TSectionTrackEvent>([this](THeaderControl*, THeaderSection*, int, TSectionTrackState s) {
    if (s == tsTrackMove) header->Sections()->Clear();
  });
  DragAcross(header, 80, 10, 120);
  EXPECT_EQ(header->Sections()->Count(), 0);
  EXPECT_EQ(header->Perform(HDM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_TRUE(clicks.empty());
}

class TSectionsForm : public TForm {
  XJ_CLASS(TSectionsForm, TForm)
 public:
  explicit TSectionsForm(TComponent* AOwner) : TForm(AOwner) {}
  THeaderControl* Header1 {};
};

}  // namespace

XJ_PUBLISHED(TProbeHeader);
XJ_PUBLISHED(TSectionsForm, XJ_FIELD(Header1));

namespace {

// A section put in before the others moves their indexes up but keeps their display order; the new one
// shows last, as an appended one does.
TEST_F(HeaderTest, ASectionInsertedBeforeTheOthersKeepsTheirDisplayOrder) {
  HWND h = CreateWindowExA(0, WC_HEADERA, "", WS_CHILD | WS_VISIBLE, 0, 100, 300, 20, form->Handle(), nullptr, nullptr,
                           nullptr);
  auto insert = [&](int at, int width) {
    HDITEMA it {};
    it.mask = HDI_WIDTH;
    it.cxy = width;
    return SendMessageA(h, HDM_INSERTITEMA, at, reinterpret_cast<LPARAM>(&it));
  };
  for (int width : { 80, 50, 70 }) insert(99, width);
  EXPECT_EQ(insert(0, 30), 0);
  std::vector<int> order(4, -1);
  SendMessageA(h, HDM_GETORDERARRAY, 4, reinterpret_cast<LPARAM>(order.data()));
  EXPECT_EQ(order, (std::vector<int> { 1, 2, 3, 0 }));
  const int lefts[] = { 200, 0, 80, 130 };
  for (int i = 0; i < 4; ++i) {
    RECT r {};
    SendMessageA(h, HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.left, lefts[i]) << i;
  }
  DestroyWindow(h);
}

TEST_F(HeaderTest, SectionsStreamThroughAFormResource) {
  const std::string text = R"(object SectionsForm: TSectionsForm
  Width = 300
  Height = 200
  object Header1: THeaderControl
    Height = 22
    DragReorder = True
    Style = hsFlat
    Sections = <
      item
        Text = '名称'
        Width = 120
      end
      item
        Alignment = taRightJustify
        MinWidth = 30
        Style = hsOwnerDraw
        Text = 'Size'
        Width = 45
      end>
  end
end
)";
  auto* f = new TSectionsForm(nullptr);
  Keep(f);
  ReadComponentResource(f, text);
  ASSERT_NE(f->Header1, nullptr);
  EXPECT_TRUE(f->Header1->DragReorder());
  EXPECT_EQ(f->Header1->Style(), hsFlat);
  ASSERT_EQ(f->Header1->Sections()->Count(), 2);
  EXPECT_EQ(f->Header1->Sections()->Items(0)->Text(), "名称");
  EXPECT_EQ(f->Header1->Sections()->Items(1)->Alignment(), taRightJustify);
  EXPECT_EQ(f->Header1->Sections()->Items(1)->Style(), hsOwnerDraw);
  EXPECT_EQ(f->Header1->Sections()->Items(1)->MinWidth(), 30);
  f->Show();
  RECT r {};
  f->Header1->Perform(HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.left, 120);
  EXPECT_EQ(r.right, 165);

  auto* g = new TSectionsForm(nullptr);
  Keep(g);
  ReadComponentResource(g, WriteComponentResource(f));
  EXPECT_EQ(WriteComponentResource(g), WriteComponentResource(f));
  EXPECT_EQ(g->Header1->Sections()->Items(1)->Width(), 45);
}

}  // namespace
