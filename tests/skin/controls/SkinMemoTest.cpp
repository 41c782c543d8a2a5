// The skinned memos as a user and the program see them: external bars that stay in step with the text
// through typing, keys, the wheel and bar moves (past 65535 lines too), bars that can be replaced and
// outlive the memo, the read-only filter, the three looks with their hot states, disabled painting
// from the scrolled place, and the frameless memo with two bars.

#include <functional>
#include <iterator>
#include <vector>

#include "skin/controls/bsSkinBoxCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

class MemoTest : public SkinControlsTest {
 protected:
  template <class M>
  M* NewMemo(int l, int t, int w, int h, TWinControl* parent = nullptr) {
    auto* m = new M(form);
    m->SetParent(parent ? parent : form);
    m->SetBounds(l, t, w, h);
    return m;
  }
  TbsSkinScrollBar* NewBar(int l, int t, int w, int h, TScrollBarKind kind) {
    auto* b = new TbsSkinScrollBar(form);
    b->SetParent(form);
    b->SetKind(kind);
    b->SetBounds(l, t, w, h);
    return b;
  }
  static int FirstLine(TWinControl* m) { return static_cast<int>(m->Perform(EM_GETFIRSTVISIBLELINE, 0, 0)); }
  static AnsiString Numbered(int n, const char* text = "line") {
    AnsiString s;
    for (int i = 0; i < n; ++i) s += AnsiString(text) + std::to_string(i).c_str() + "\r\n";
    return s;
  }
  // A pixel of the memo's window, frame included.
  COLORREF WPx(TControl* c, int x, int y) const {
    const TPoint p = form->ScreenToClient(c->Parent()->ClientToScreen(TPoint(c->Left() + x, c->Top() + y)));
    return xt::ReadPixel(form->Handle(), p.X, p.Y);
  }
  void Show() {
    ShowUnfocused();
    xt::PumpUntilIdle();
  }
  // A borderless host the size of the memo, so that the gallery shows the frame.
  TPanel* Host(int l, int t, int w, int h) {
    auto* p = new TPanel(form);
    p->SetParent(form);
    p->SetBevelOuter(bvNone);
    p->SetBounds(l, t, w, h);
    return p;
  }
};

}  // namespace

TEST_F(MemoTest, TheBarFollowsLinesKeysWheelAndDisablingAndMovesTheText) {
  auto* m = NewMemo<TbsSkinMemo>(10, 10, 120, 70);
  auto* bar = NewBar(130, 10, 16, 70, sbVertical);
  m->SetVScrollBar(bar);
  Show();
  EXPECT_FALSE(bar->Enabled());
  EXPECT_EQ(bar->Max(), 0);
  // Lines until they no longer fit: the bar turns on exactly then, its page one more than the lines shown.
  int lines = 1;
  for (; lines < 40 && !bar->Enabled(); ++lines) m->Lines()->Add("row");
  ASSERT_TRUE(bar->Enabled());
  const int count = static_cast<int>(m->Perform(EM_GETLINECOUNT, 0, 0));
  EXPECT_EQ(bar->Max(), count);
  EXPECT_EQ(bar->PageSize(), count);  // visible + 1, visible being count - 1
  EXPECT_GT(count, 2);

  m->SetText(Numbered(50));
  m->SetFocus();
  const TPoint mid = m->ClientToScreen(TPoint(20, 20));
  xt::MouseMove(mid.X, mid.Y);
  xt::Wheel(-360);  // a big delta is still one line
  EXPECT_EQ(FirstLine(m), 1);
  EXPECT_EQ(bar->Position(), 1);
  xt::Wheel(120);
  EXPECT_EQ(FirstLine(m), 0);
  EXPECT_EQ(bar->Position(), 0);
  xt::KeyPress(VK_END, xt::ssCtrl);
  EXPECT_GT(FirstLine(m), 40);
  EXPECT_EQ(bar->Position(), FirstLine(m));
  // The user moving the bar moves the text.
  bar->SetPosition(7);
  xt::PumpUntilIdle();
  EXPECT_EQ(FirstLine(m), 7);
  EXPECT_EQ(bar->Position(), 7);

  m->SetEnabled(false);
  EXPECT_FALSE(bar->Enabled());
  m->SetEnabled(true);
  EXPECT_TRUE(bar->Enabled());
  EXPECT_EQ(bar->Max(), 51);
}

TEST_F(MemoTest, AHundredThousandLinesScrollToTheBarsWholePosition) {
  auto* m = NewMemo<TbsSkinMemo2>(10, 10, 200, 80);
  auto* bar = NewBar(220, 10, 16, 80, sbVertical);
  m->SetVScrollBar(bar);
  Show();
  m->SetText(Numbered(100000));
  EXPECT_GE(bar->Max(), 99999);
  bar->SetPosition(70000);  // past a 16-bit word
  EXPECT_EQ(FirstLine(m), 70000);
  EXPECT_EQ(bar->Position(), 70000);
}

TEST_F(MemoTest, ReadOnlyDropsEditingButNotMovingOrCopying) {
  auto* m = NewMemo<TbsSkinMemo>(10, 10, 150, 70);
  m->SetText("abc\r\ndef");
  m->SetReadOnly(true);
  Show();
  m->SetFocus();
  xt::PumpUntilIdle();
  m->SetSelStart(1);
  xt::TypeText("xy");
  xt::KeyPress(VK_BACK);
  xt::KeyPress(VK_DELETE);
  EXPECT_EQ(m->Text(), "abc\r\ndef");
  xt::KeyPress(VK_RIGHT);
  EXPECT_EQ(m->SelStart(), 2);
  m->SetSelLength(1);
  m->Perform(WM_COPY, 0, 0);
  for (UINT msg : { WM_CUT, WM_PASTE, WM_CLEAR, WM_UNDO }) m->Perform(msg, 0, 0);
  EXPECT_EQ(m->Text(), "abc\r\ndef");
  // The flag is the memo's own: the program still writes, and without it the user does too.
  EXPECT_EQ(GetWindowLongA(m->Handle(), GWL_STYLE) & ES_READONLY, 0);
  m->SetReadOnly(false);
  m->SetSelStart(0);
  m->SetSelLength(0);
  m->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(m->Text(), "cabc\r\ndef");
}

TEST_F(MemoTest, ReplacedBarsAndBarsThatOutliveTheMemoNoLongerReachIt) {
  auto* m = NewMemo<TbsSkinMemo>(10, 10, 120, 60);
  auto* first = NewBar(140, 10, 16, 60, sbVertical);
  auto* second = NewBar(160, 10, 16, 60, sbVertical);
  int userHandler = 0;
  first->OnChange = On<TNotifyEvent>([&](TObject*) { ++userHandler; });
  m->SetVScrollBar(first);
  m->SetText(Numbered(40));
  Show();
  m->SetVScrollBar(second);
  EXPECT_FALSE(first->OnChange);
  first->SetRange(0, 40, 0, 5);
  first->SetPosition(9);
  EXPECT_EQ(FirstLine(m), 0);
  second->SetPosition(3);
  EXPECT_EQ(FirstLine(m), 3);

  delete m;
  EXPECT_FALSE(second->OnChange);
  second->SetPosition(10);  // nobody to call
  // A freed bar is let go of.
  auto* m2 = NewMemo<TbsSkinMemo2>(10, 10, 120, 60);
  m2->SetHScrollBar(first);
  m2->SetVScrollBar(second);
  delete first;
  EXPECT_EQ(m2->HScrollBar(), nullptr);
  m2->SetText(Numbered(40));
  EXPECT_TRUE(second->Enabled());
  EXPECT_EQ(userHandler, 0);
}

TEST_F(MemoTest, ThreeLooksWithTheirHotStatesAndTheFrameworkSkinSwitch) {
  TPanel* host = Host(10, 10, 90, 60);
  auto* m = NewMemo<TbsSkinMemo>(0, 0, 90, 60, host);
  m->SetText("Wq Wq");
  auto* enters = new int(0);
  std::unique_ptr<int> keep(enters);
  m->OnMouseEnter = On<TNotifyEvent>([enters](TObject*) { ++*enters; });
  m->OnMouseLeave = On<TNotifyEvent>([enters](TObject*) { *enters += 10; });
  Show();
  // Default look: the client inset by 2, face ring outside, shadow ring inside; swapped when hot.
  EXPECT_EQ(m->ClientWidth(), 86);
  EXPECT_EQ(WPx(m, 0, 30), ColorToRGB(clBtnFace));
  EXPECT_EQ(WPx(m, 1, 30), ColorToRGB(clBtnShadow));
  Gallery(host, "bsSkinBoxCtrls", "memo-default");
  const TPoint in = m->ClientToScreen(TPoint(30, 20));
  xt::MouseMove(in.X, in.Y);
  EXPECT_EQ(*enters, 1);
  EXPECT_EQ(WPx(m, 0, 30), ColorToRGB(clBtnShadow));
  EXPECT_EQ(WPx(m, 1, 30), ColorToRGB(clBtnFace));
  Gallery(host, "bsSkinBoxCtrls", "memo-default-hot");
  xt::MouseMove(in.X + 200, in.Y);
  EXPECT_EQ(*enters, 11);

  // The test skin: the frame from the memo picture, the client in the record's colours.
  LoadTestSkin();
  m->SetSkinData(skin);
  xt::PumpUntilIdle();
  auto* rec = dynamic_cast<TbsDataSkinMemoControl*>(
      static_cast<TbsDataSkinControl*>(skin->CtrlList->Items(skin->GetControlIndex("memo"))));
  ASSERT_NE(rec, nullptr);
  EXPECT_EQ(m->ClientWidth(), 90 - rec->ClRect.Left - (rec->SkinRect.Width() - rec->ClRect.Right));
  EXPECT_EQ(Decode(WPx(m, 0, 0)).owner, OwnerOf("memo"));
  EXPECT_EQ(Decode(WPx(m, 89, 59)).owner, OwnerOf("memo"));
  EXPECT_EQ(m->Color(), rec->BGColor);
  EXPECT_EQ(Px(m, m->ClientWidth() - 2, m->ClientHeight() - 2), ColorToRGB(rec->BGColor));
  EXPECT_EQ(m->Font()->Color(), rec->FontColor);
  Gallery(host, "bsSkinBoxCtrls", "memo-skin");
  m->SetFocus();
  xt::PumpUntilIdle();
  EXPECT_EQ(m->Font()->Color(), rec->ActiveFontColor);
  EXPECT_EQ(Px(m, m->ClientWidth() - 2, m->ClientHeight() - 2), ColorToRGB(rec->ActiveBGColor));
  Gallery(host, "bsSkinBoxCtrls", "memo-skin-focused");
  // A skin change while focused keeps the hot background.
  m->ChangeSkinData();
  EXPECT_EQ(m->Color(), rec->ActiveBGColor);
  FocusHolder()->SetFocus();

  // The whole face from the picture, the text drawn on it.
  m->SetBitMapBG(true);
  xt::PumpUntilIdle();
  EXPECT_EQ(Decode(Px(m, m->ClientWidth() - 2, m->ClientHeight() - 2)).owner, OwnerOf("memo"));
  Gallery(host, "bsSkinBoxCtrls", "memo-skin-bitmapbg");
  m->SetBitMapBG(false);

  // A record of another class under the name: the default look.
  m->SetSkinDataName("button");
  m->ChangeSkinData();
  xt::PumpUntilIdle();
  EXPECT_EQ(m->SkinObjectIndex(), -1);
  EXPECT_EQ(m->ClientWidth(), 86);
  EXPECT_EQ(WPx(m, 0, 30), ColorToRGB(clBtnFace));
  m->SetSkinDataName("memo");
  m->ChangeSkinData();
  EXPECT_NE(m->SkinObjectIndex(), -1);

  // The second skin has no memo: the switch the form engine makes brings back the default font and look.
  m->DefaultFont()->SetHeight(15);
  LoadSecondSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(m->SkinObjectIndex(), -1);
  EXPECT_EQ(m->Font()->Height(), 15);
  EXPECT_EQ(m->ClientWidth(), 86);
  EXPECT_EQ(WPx(m, 0, 30), ColorToRGB(clBtnFace));
  Gallery(host, "bsSkinBoxCtrls", "memo-second");
}

// The frame a memo shows after it was resized while hidden, made again by a skin switch, or shown at
// last, is the one a full repaint of it draws.
TEST_F(MemoTest, TheFrameShownAfterHidingRecreatingOrSwitchingIsTheRepaintedOne) {
  LoadTestSkin();
  auto* m = NewMemo<TbsSkinMemo>(10, 10, 120, 70);
  m->SetSkinData(skin);
  Show();
  auto window = [&] {
    std::vector<COLORREF> all;
    for (int y = 0; y < m->Height(); ++y)
      for (int x = 0; x < m->Width(); ++x) all.push_back(WPx(m, x, y));
    return all;
  };
  auto repainted = [&] {
    RedrawWindow(m->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return window();
  };
  const std::function<void()> steps[] = {
    [&] {
      m->SetVisible(false);
      m->SetBounds(10, 10, 150, 90);
      m->SetVisible(true);
    },
    [&] { m->RecreateWnd(); },
    [&] { LoadSecondSkin(); },
    [&] {
      form->Hide();
      m->SetBounds(10, 10, 110, 60);
      form->Show();
    },
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE(i);
    steps[i]();
    xt::PumpUntilIdle();
    const std::vector<COLORREF> shown = window();
    EXPECT_EQ(shown, repainted());
  }
}

// Every pixel of the skinned frame, cold and hot, at a size its pieces are tiled to, is the memo picture's:
// none of the four pieces is left out or put where another one shows.
TEST_F(MemoTest, EveryPixelOfTheSkinnedFrameComesFromThePicture) {
  LoadTestSkin();
  auto* m = NewMemo<TbsSkinMemo>(10, 10, 173, 97);
  m->SetSkinData(skin);
  Show();
  const uint8_t memo = OwnerOf("memo");
  for (const bool hot : { false, true }) {
    SCOPED_TRACE(hot);
    const TPoint at = m->ClientToScreen(TPoint(hot ? 20 : 300, 20));
    xt::MouseMove(at.X, at.Y);
    xt::PumpUntilIdle();
    RECT wr {};
    GetWindowRect(m->Handle(), &wr);
    const TPoint client = m->ClientToScreen(TPoint(0, 0));
    const TRect inner(client.X - wr.left, client.Y - wr.top, client.X - wr.left + m->ClientWidth(),
                      client.Y - wr.top + m->ClientHeight());
    int frame = 0, foreign = 0;
    for (int y = 0; y < m->Height(); ++y)
      for (int x = 0; x < m->Width(); ++x) {
        if (x >= inner.Left && x < inner.Right && y >= inner.Top && y < inner.Bottom) continue;
        ++frame;
        if (Decode(WPx(m, x, y)).owner != memo) ++foreign;
      }
    EXPECT_GT(frame, 2 * (173 + 97));
    EXPECT_EQ(foreign, 0);
  }
}

TEST_F(MemoTest, ADisabledMemoPaintsGreyFromItsFirstVisibleLine) {
  auto* m = NewMemo<TbsSkinMemo>(10, 10, 160, 60);
  auto* bar = NewBar(180, 10, 16, 60, sbVertical);
  m->SetVScrollBar(bar);
  AnsiString text;
  for (int i = 0; i < 10; ++i) text += "\r\n";
  text += Numbered(20, "WWWWWW");
  m->SetText(text);
  Show();
  auto greyInTopRow = [&] {
    int grey = 0;
    for (int y = 2; y < 12; ++y)
      for (int x = 2; x < 60; ++x) grey += Px(m, x, y) == static_cast<COLORREF>(ColorToRGB(clGrayText));
    return grey;
  };
  m->SetEnabled(false);
  xt::PumpUntilIdle();
  EXPECT_EQ(greyInTopRow(), 0);  // the first lines are empty
  m->SetEnabled(true);
  bar->SetPosition(10);
  m->SetEnabled(false);
  xt::PumpUntilIdle();
  EXPECT_GT(greyInTopRow(), 0);
  Gallery(m, "bsSkinBoxCtrls", "disabled-scrolled");
}

TEST_F(MemoTest, TheFramelessMemoMirrorsBothStatesIntoItsBars) {
  auto* m = NewMemo<TbsSkinMemo2>(10, 10, 150, 60);
  auto* v = NewBar(170, 10, 16, 60, sbVertical);
  auto* h = NewBar(10, 80, 100, 16, sbHorizontal);
  m->SetVScrollBar(v);
  m->SetHScrollBar(h);
  m->SetWordWrap(false);
  Show();
  // No border and no room for native bars.
  EXPECT_EQ(m->ClientWidth(), 150);
  EXPECT_EQ(m->ClientHeight(), 60);
  EXPECT_FALSE(v->Enabled());
  EXPECT_FALSE(h->Enabled());
  m->SetText(AnsiString(300, 'W') + "\r\n" + Numbered(30));
  ASSERT_TRUE(h->Enabled());
  EXPECT_EQ(h->PageSize(), 101);  // the bar's own width, plus one
  EXPECT_TRUE(v->Enabled());
  h->SetPosition(40);
  EXPECT_EQ(GetScrollPos(m->Handle(), SB_HORZ), 40);
  v->SetPosition(5);
  EXPECT_EQ(FirstLine(m), 5);
  // The native read-only flag: the user types nothing.
  m->SetReadOnly(true);
  m->SetFocus();
  xt::TypeText("z");
  EXPECT_EQ(m->Text().substr(0, 3), "WWW");
  m->SetEnabled(false);
  EXPECT_FALSE(v->Enabled());
  EXPECT_FALSE(h->Enabled());
  m->SetEnabled(true);
  delete h;
  EXPECT_EQ(m->HScrollBar(), nullptr);
  m->SetText(Numbered(2));
  EXPECT_FALSE(v->Enabled());
  EXPECT_EQ(v->Max(), 0);
}

namespace {

class TMemoForm : public TForm {
  XJ_CLASS(TMemoForm, TForm)
 public:
  explicit TMemoForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(MemoTest, PlacedMemosReadBackWithTheirBarsAndFlags) {
  auto* a = new TMemoForm(nullptr);
  Keep(a);
  auto* bar = new TbsSkinScrollBar(a);
  bar->SetName("Bar1");
  bar->SetParent(a);
  auto* m = new TbsSkinMemo(a);
  m->SetName("Memo1");
  m->SetParent(a);
  m->SetReadOnly(true);
  m->SetBitMapBG(true);
  m->SetVScrollBar(bar);
  auto* m2 = new TbsSkinMemo2(a);
  m2->SetName("Memo2");
  m2->SetParent(a);
  m2->SetHScrollBar(bar);
  m2->SetUseSkinFont(false);
  const AnsiString text = WriteComponentResource(a);

  auto* b = new TMemoForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* back = dynamic_cast<TbsSkinMemo*>(b->FindComponent("Memo1"));
  auto* back2 = dynamic_cast<TbsSkinMemo2*>(b->FindComponent("Memo2"));
  ASSERT_NE(back, nullptr) << text;
  ASSERT_NE(back2, nullptr) << text;
  EXPECT_TRUE(back->ReadOnly());
  EXPECT_TRUE(back->BitMapBG());
  EXPECT_EQ(back->VScrollBar(), b->FindComponent("Bar1"));
  EXPECT_EQ(back2->HScrollBar(), b->FindComponent("Bar1"));
  EXPECT_FALSE(back2->UseSkinFont());
  EXPECT_EQ(back2->SkinDataName(), "memo");
  EXPECT_EQ(WriteComponentResource(b), text);
}
