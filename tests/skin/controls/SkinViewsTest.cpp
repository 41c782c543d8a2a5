// The skinned tree view and rich edit as a user and a form see them: linked skinned bars that follow
// the view's scroll state and scroll it back (thumb drags, arrows, keys, wheel, 100,000 items), the
// skin's font and background and the defaults, skin switches through the walk, bars and skins freed
// elsewhere, and streaming.

#include "platform/vcl/ComCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

class SkinViewsTest : public SkinControlsTest {
 protected:
  // A view at the left of the form, a vertical bar at its right and a horizontal bar below it.
  template <class V>
  V* NewView(int W = 160, int H = 120) {
    auto* v = new V(form);
    v->SetParent(form);
    v->SetBounds(8, 8, W, H);
    vbar = NewBar(sbVertical, 8 + W, 8, 18, H);
    hbar = NewBar(sbHorizontal, 8, 8 + H, W, 18);
    return v;
  }
  TbsSkinScrollBar* NewBar(TScrollBarKind kind, int l, int t, int w, int h) {
    auto* b = new TbsSkinScrollBar(form);
    b->SetParent(form);
    b->SetKind(kind);
    b->SetSkinDataName(kind == sbHorizontal ? "hscrollbar" : "vscrollbar");
    b->SetBounds(l, t, w, h);
    if (skin) b->SetSkinData(skin);
    return b;
  }
  static void AddNodes(TCustomTreeView* t, int n, const char* prefix = "node ") {
    t->Items()->BeginUpdate();
    for (int i = 0; i < n; ++i) t->Items()->Add(nullptr, prefix + std::to_string(i));
    t->Items()->EndUpdate();
  }
  static int NativePos(TWinControl* v, int which) { return GetScrollPos(v->Handle(), which); }
  static int NativeMax(TWinControl* v, int which) {
    int mn = 0, mx = 0;
    GetScrollRange(v->Handle(), which, &mn, &mx);
    return mx;
  }
  template <class R>
  R* Record(const char* name) const {
    return dynamic_cast<R*>(static_cast<TbsDataSkinControl*>(skin->CtrlList->Items(skin->GetControlIndex(name))));
  }
  static void DragThumb(TbsSkinScrollBar* b, int dy) {
    const TRect r = b->Button(TbsSkinScrollBar::bpThumb).R;
    const TPoint p = At(b, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    xt::Drag(p.X, p.Y, p.X, p.Y + dy);
  }
  TbsSkinScrollBar* vbar {};
  TbsSkinScrollBar* hbar {};
};

class TViewsForm : public TForm {
  XJ_CLASS(TViewsForm, TForm)
 public:
  explicit TViewsForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

// ---- Tree view ------------------------------------------------------------------------------------------

TEST_F(SkinViewsTest, TreeBarsAppearWhenNeededAndFollowEveryWayOfScrolling) {
  LoadTestSkin();
  auto* t = NewView<TbsSkinTreeView>();
  t->SetSkinData(skin);
  t->SetVScrollBar(vbar);
  t->SetHScrollBar(hbar);
  AddNodes(t, 3);
  ShowUnfocused();
  EXPECT_FALSE(vbar->Visible()) << "three items fit";
  EXPECT_FALSE(hbar->Visible());
  EXPECT_FALSE(hbar->Both());
  EXPECT_EQ(t->ClientWidth(), t->Width()) << "no border and no room for native bars";

  AddNodes(t, 57, "more ");
  xt::PumpUntilIdle();
  const int page = (int)t->Perform(TVM_GETVISIBLECOUNT, 0, 0);
  ASSERT_GT(page, 2);
  ASSERT_LT(page, 60);
  EXPECT_TRUE(vbar->Visible());
  EXPECT_TRUE(hbar->Both()) << "the horizontal bar leaves the corner once the vertical one shows";
  EXPECT_EQ(vbar->Max(), NativeMax(t, SB_VERT));
  EXPECT_EQ(vbar->Max(), 59);
  EXPECT_EQ(vbar->PageSize(), page);
  Gallery(form, "bsSkinCtrls", "treeview-with-bars");

  // The bar scrolls the tree ...
  vbar->SetPosition(17);
  EXPECT_EQ(NativePos(t, SB_VERT), 17);
  EXPECT_EQ(t->TopItem()->Text(), "more 14");
  DragThumb(vbar, 30);
  EXPECT_GT(vbar->Position(), 17);
  EXPECT_EQ(NativePos(t, SB_VERT), vbar->Position());
  // ... and keys, clicks and the wheel bring the bar back in step.
  t->SetFocus();
  xt::KeyDown(VK_END);
  EXPECT_EQ(NativePos(t, SB_VERT), 60 - page);
  EXPECT_EQ(vbar->Position(), 60 - page);
  xt::KeyDown(VK_HOME);
  EXPECT_EQ(vbar->Position(), 0);
  MoveTo(t, 20, 20);
  xt::Wheel(-WHEEL_DELTA);
  EXPECT_GT(NativePos(t, SB_VERT), 0);
  EXPECT_EQ(vbar->Position(), NativePos(t, SB_VERT));
  // Selecting an item out of view scrolls to it.
  t->SetSelected(t->Items()->Item(45));
  xt::PumpUntilIdle();
  EXPECT_EQ(vbar->Position(), NativePos(t, SB_VERT));
  EXPECT_LE(vbar->Position(), 45);
  EXPECT_GT(vbar->Position() + page, 45);

  // Collapsing back to a few items hides the bar again and gives the corner back.
  t->Items()->Clear();
  AddNodes(t, 2);
  xt::PumpUntilIdle();
  EXPECT_FALSE(vbar->Visible());
  EXPECT_FALSE(hbar->Both());

  // A long label needs the horizontal bar.
  t->Items()->Add(nullptr, std::string(80, 'W'));
  xt::PumpUntilIdle();
  EXPECT_TRUE(hbar->Visible());
  EXPECT_EQ(hbar->PageSize(), t->Width());
  hbar->SetPosition(40);
  EXPECT_EQ(NativePos(t, SB_HORZ), 40);
}

TEST_F(SkinViewsTest, AHundredThousandItemsScrollToTheFullPosition) {
  auto* t = NewView<TbsSkinTreeView>();
  t->SetVScrollBar(vbar);
  AddNodes(t, 100000);
  ShowUnfocused();
  ASSERT_TRUE(vbar->Visible());
  EXPECT_EQ(vbar->Max(), 99999);
  // Beyond 16 bits: the tree lands where the bar says, not on the position's low word.
  vbar->SetPosition(70123);
  EXPECT_EQ(NativePos(t, SB_VERT), 70123);
  EXPECT_EQ(t->TopItem()->Text(), "node 70123");
  t->SetFocus();
  xt::KeyDown(VK_END);
  EXPECT_EQ(vbar->Position(), 100000 - (int)t->Perform(TVM_GETVISIBLECOUNT, 0, 0));
  EXPECT_EQ(vbar->Position(), NativePos(t, SB_VERT));
}

TEST_F(SkinViewsTest, TreeLooksFromTheSkinTheDefaultsAndAnotherClassOfRecord) {
  auto* t = NewView<TbsSkinTreeView>();
  AddNodes(t, 2);
  t->SetDefaultColor(RGB(250, 240, 200));
  EXPECT_EQ(t->Color(), RGB(250, 240, 200)) << "the default look follows its colour at once";
  ShowUnfocused();
  EXPECT_EQ(Px(t, t->Width() - 3, t->Height() - 3), RGB(250, 240, 200));
  Gallery(t, "bsSkinCtrls", "treeview-noskin");

  LoadTestSkin();
  t->SetSkinData(skin);
  auto* rec = Record<TbsDataSkinTreeView>("treeview");
  ASSERT_NE(rec, nullptr);
  ASSERT_NE(rec->BGColor, RGB(250, 240, 200));
  EXPECT_EQ(t->Color(), rec->BGColor);
  EXPECT_EQ(t->Font()->Color(), rec->FontColor);
  EXPECT_EQ(t->Font()->Name(), rec->FontName);
  EXPECT_EQ(t->Font()->Height(), rec->FontHeight);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(t, t->Width() - 3, t->Height() - 3), ColorToRGB(rec->BGColor));
  EXPECT_EQ(Px(t, 0, t->Height() - 1), ColorToRGB(rec->BGColor)) << "no frame";
  Gallery(t, "bsSkinCtrls", "treeview-skinned");

  // A default colour set meanwhile is only stored.
  t->SetDefaultColor(RGB(220, 235, 205));
  EXPECT_EQ(t->Color(), rec->BGColor);
  // Without the skin font: the default font, in the skin's colour.
  t->DefaultFont()->SetName("Tahoma");
  t->SetUseSkinFont(false);
  t->ChangeSkinData();
  EXPECT_EQ(t->Font()->Name(), "Tahoma");
  EXPECT_EQ(t->Font()->Color(), rec->FontColor);
  // A record of another class changes neither font nor colour.
  t->SetSkinDataName("richedit");
  t->ChangeSkinData();
  EXPECT_GE(t->SkinObjectIndex(), 0);
  EXPECT_EQ(t->Color(), rec->BGColor);
  // A name that matches nothing: the default look.
  t->SetSkinDataName("nosuchrecord");
  t->ChangeSkinData();
  EXPECT_EQ(t->SkinObjectIndex(), -1);
  EXPECT_EQ(t->Color(), RGB(220, 235, 205));
  EXPECT_EQ(t->Font()->Name(), "Tahoma");

  // The form's skin switch reaches the tree: the second skin has no tree record.
  t->SetSkinDataName("treeview");
  t->ChangeSkinData();
  EXPECT_EQ(t->Color(), rec->BGColor);
  LoadSecondSkin();
  EXPECT_EQ(t->SkinObjectIndex(), -1);
  EXPECT_EQ(t->Color(), RGB(220, 235, 205));
  xt::PumpUntilIdle();
  Gallery(t, "bsSkinCtrls", "treeview-secondskin");
}

// The colour of the first text the view drew that equals `text`.
COLORREF DrawnIn(TWinControl* v, const std::string& text) {
  for (const xt::TextRecord& r : xt::TextOutLog())
    if (r.hwnd == v->Handle() && r.text == text) return r.color & 0xFFFFFF;
  return CLR_INVALID;
}

TEST_F(SkinViewsTest, TreeRowsTakeTheColoursAndTheDrawingTheirHandlersGiveInEachLook) {
  auto* t = NewView<TbsSkinTreeView>();
  AddNodes(t, 3);
  t->OnCustomDrawItem = On<TTVCustomDrawItemEvent>([](TCustomTreeView* v, TTreeNode* n, TCustomDrawState, bool& d) {
    if (n->Index() == 1) {
      v->Canvas()->Font()->SetColor(clRed);
      v->Canvas()->Brush()->SetColor(clYellow);
    } else if (n->Index() == 2) {
      v->Canvas()->Brush()->SetColor(clFuchsia);
      v->Canvas()->FillRect(n->DisplayRect(false));
      d = false;
    }
  });
  for (const char* look : { "noskin", "skinned", "secondskin" }) {
    SCOPED_TRACE(look);
    if (std::string(look) == "skinned") t->SetSkinData(LoadTestSkin());
    if (std::string(look) == "secondskin") LoadSecondSkin();
    ShowUnfocused();
    xt::ClearTextLog();
    t->Invalidate();
    xt::PumpUntilIdle();
    const TRect plain = t->Items()->Item(0)->DisplayRect(true), coloured = t->Items()->Item(1)->DisplayRect(true);
    const TRect own = t->Items()->Item(2)->DisplayRect(false);
    EXPECT_EQ(Px(t, plain.Left, plain.Top), static_cast<COLORREF>(ColorToRGB(t->Color())));
    EXPECT_EQ(Px(t, coloured.Left, coloured.Top), RGB(255, 255, 0));
    EXPECT_EQ(Px(t, coloured.Right - 1, coloured.Bottom - 1), RGB(255, 255, 0));
    EXPECT_EQ(DrawnIn(t, "node 1"), RGB(255, 0, 0));
    EXPECT_EQ(DrawnIn(t, "node 0"), static_cast<COLORREF>(ColorToRGB(t->Font()->Color())));
    EXPECT_EQ(Px(t, own.Left + 1, own.Top + 1), RGB(255, 0, 255));
    EXPECT_EQ(Px(t, own.Right - 2, own.Bottom - 2), RGB(255, 0, 255));
    EXPECT_EQ(DrawnIn(t, "node 2"), CLR_INVALID) << "the row its handler drew";
    Gallery(t, "bsSkinCtrls", std::string("treeview-customdraw-") + look);
  }
}

TEST_F(SkinViewsTest, HidingTheTreeHidesItsBarsAndFreedPartnersAreDropped) {
  auto* t = NewView<TbsSkinTreeView>();
  t->SetVScrollBar(vbar);
  t->SetHScrollBar(hbar);
  AddNodes(t, 40);
  ShowUnfocused();
  ASSERT_TRUE(vbar->Visible());
  ASSERT_FALSE(hbar->Visible());
  t->SetVisible(false);
  EXPECT_FALSE(vbar->Visible());
  t->SetVisible(true);
  EXPECT_TRUE(hbar->Visible()) << "shown with the view until the next update";
  xt::PumpUntilIdle();
  t->Perform(WM_SIZE, 0, 0);
  EXPECT_TRUE(vbar->Visible());
  EXPECT_FALSE(hbar->Visible());

  // A replaced bar no longer scrolls the tree; a freed one is forgotten.
  auto* other = NewBar(sbVertical, 200, 8, 18, 100);
  t->SetVScrollBar(other);
  EXPECT_TRUE(vbar->OnChange == nullptr);
  EXPECT_TRUE(other->OnChange != nullptr);
  delete other;
  EXPECT_EQ(t->VScrollBar(), nullptr);
  t->Items()->Add(nullptr, "after");
  xt::PumpUntilIdle();
  LoadTestSkin();
  t->SetSkinData(skin);
  delete skin;
  skin = nullptr;
  EXPECT_EQ(t->SkinData(), nullptr);
  t->ChangeSkinData();
  EXPECT_EQ(t->SkinObjectIndex(), -1);
  // A freed tree leaves its bar with no handler into it.
  delete t;
  EXPECT_TRUE(hbar->OnChange == nullptr);
  hbar->SetRange(0, 100, 0, 10);
  hbar->SetPosition(50);
}

// ---- Rich edit ------------------------------------------------------------------------------------------

TEST_F(SkinViewsTest, RichEditBarsEnableWithTextAndTheArrowsStepLines) {
  auto* r = NewView<TbsSkinRichEdit>(160, 90);
  r->SetVScrollBar(vbar);
  r->SetHScrollBar(hbar);
  r->SetWordWrap(false);
  ShowUnfocused();
  EXPECT_FALSE(vbar->Enabled()) << "empty";
  EXPECT_FALSE(hbar->Enabled());
  EXPECT_EQ(NativeMax(r, SB_VERT), 0);
  EXPECT_EQ(r->ClientHeight(), r->Height()) << "no border";

  r->Lines()->Add("short");
  EXPECT_FALSE(vbar->Enabled()) << "text shorter than the control";
  for (int i = 0; i < 30; ++i) r->Lines()->Add("line " + std::to_string(i));
  ASSERT_TRUE(vbar->Enabled());
  EXPECT_EQ(vbar->Max(), NativeMax(r, SB_VERT));
  EXPECT_EQ(vbar->PageSize(), r->Height());
  EXPECT_TRUE(vbar->Visible()) << "the rich edit never hides its bars";

  // The up arrow goes one line down the text; the down arrow back; neither beyond the ends.
  const TRect up = vbar->Button(TbsSkinScrollBar::bpUp).R;
  const TRect down = vbar->Button(TbsSkinScrollBar::bpDown).R;
  vbar->SetPosition(0);
  ASSERT_EQ(NativePos(r, SB_VERT), 0);
  ClickAt(vbar, (up.Left + up.Right) / 2, (up.Top + up.Bottom) / 2);
  const int line = NativePos(r, SB_VERT);
  EXPECT_GT(line, 0);
  EXPECT_EQ(vbar->Position(), line);
  ClickAt(vbar, (down.Left + down.Right) / 2, (down.Top + down.Bottom) / 2);
  EXPECT_EQ(vbar->Position(), 0);
  ClickAt(vbar, (down.Left + down.Right) / 2, (down.Top + down.Bottom) / 2);
  EXPECT_EQ(NativePos(r, SB_VERT), 0);
  const int top = vbar->Max() - vbar->PageSize() + 1;
  vbar->SetPosition(top);
  EXPECT_EQ(NativePos(r, SB_VERT), top);
  ClickAt(vbar, (up.Left + up.Right) / 2, (up.Top + up.Bottom) / 2);
  EXPECT_EQ(NativePos(r, SB_VERT), top) << "already at the end";

  // The wheel re-fits the bar after the text scrolled.
  r->SetFocus();
  MoveTo(r, 20, 20);
  xt::Wheel(WHEEL_DELTA);
  EXPECT_LT(NativePos(r, SB_VERT), top);
  EXPECT_EQ(vbar->Position(), NativePos(r, SB_VERT));

  // A long line enables the horizontal bar, and its thumb scrolls across.
  EXPECT_FALSE(hbar->Enabled());
  r->Lines()->Add(std::string(100, 'm'));
  ASSERT_TRUE(hbar->Enabled());
  hbar->SetPosition(55);
  EXPECT_EQ(NativePos(r, SB_HORZ), 55);
  xt::PumpUntilIdle();
  Gallery(form, "bsSkinCtrls", "richedit-with-bars");

  // Emptied again: both bars off, the native ranges cleared.
  r->Lines()->Clear();
  EXPECT_FALSE(vbar->Enabled());
  EXPECT_FALSE(hbar->Enabled());
  EXPECT_EQ(NativeMax(r, SB_VERT), 0);
  EXPECT_EQ(NativeMax(r, SB_HORZ), 0);
}

TEST_F(SkinViewsTest, RichEditScrollsBeyondSixteenBitsOfPixels) {
  auto* r = NewView<TbsSkinRichEdit>();
  r->SetVScrollBar(vbar);
  AnsiString text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i) + "\r\n";
  r->Lines()->SetText(text);
  ShowUnfocused();
  ASSERT_GT(vbar->Max(), 100000);
  vbar->SetPosition(90001);
  EXPECT_EQ(NativePos(r, SB_VERT), 90001);
  EXPECT_EQ(vbar->Position(), 90001);
}

TEST_F(SkinViewsTest, RichEditLooksOnlyFollowTheSkinWithSkinSupport) {
  auto* r = NewView<TbsSkinRichEdit>();
  r->Lines()->SetText("skinned\r\ntext");
  r->SetColor(RGB(200, 220, 240));
  LoadTestSkin();
  r->SetSkinData(skin);
  auto* rec = Record<TbsDataSkinRichEdit>("richedit");
  ASSERT_NE(rec, nullptr);
  EXPECT_GE(r->SkinObjectIndex(), 0) << "looked up whatever SkinSupport is";
  EXPECT_EQ(r->Color(), RGB(200, 220, 240)) << "SkinSupport off keeps the application's colour";
  r->SetDefaultColor(RGB(245, 225, 205));
  EXPECT_EQ(r->Color(), RGB(200, 220, 240));

  r->SetSkinSupport(true);
  r->ChangeSkinData();
  EXPECT_EQ(r->Color(), rec->BGColor);
  EXPECT_EQ(r->Font()->Color(), rec->FontColor);
  EXPECT_EQ(r->Font()->Name(), rec->FontName);
  ShowUnfocused();
  EXPECT_EQ(Px(r, r->Width() - 2, r->Height() - 2), ColorToRGB(rec->BGColor));
  Gallery(r, "bsSkinCtrls", "richedit-skinned");

  LoadSecondSkin();  // no rich edit record there: the defaults
  EXPECT_EQ(r->SkinObjectIndex(), -1);
  EXPECT_EQ(r->Color(), RGB(245, 225, 205));
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(r, r->Width() - 2, r->Height() - 2), RGB(245, 225, 205));
  Gallery(r, "bsSkinCtrls", "richedit-default");

  // Not RTF at all: read as text, nothing raised.
  TStringStream in("{\\rtf1 broken {{{ no end");
  EXPECT_NO_THROW(r->Lines()->LoadFromStream(&in));
  xt::PumpUntilIdle();
}

TEST_F(SkinViewsTest, RichEditSkinFontIsTheDocumentsDefaultFormatAndTheBarsSeeRowsOfEveryHeight) {
  auto* r = NewView<TbsSkinRichEdit>(200, 120);
  r->SetVScrollBar(vbar);
  ShowUnfocused();
  TStringStream in(
      "{\\rtf1{\\fonttbl{\\f1 Arial;}}plain {\\f1\\b own}\\par\\fs48 a\\par b\\par c\\par d\\par e\\par f}");
  r->Lines()->LoadFromStream(&in);
  const auto faceOf = [r](int at) {
    r->SetSelStart(at);
    r->SetSelLength(1);
    return r->SelAttributes()->Name();
  };
  const AnsiString before = faceOf(0);
  LoadTestSkin();
  r->SetSkinData(skin);
  EXPECT_EQ(faceOf(0), before) << "SkinSupport off: the document as it was";
  auto* rec = Record<TbsDataSkinRichEdit>("richedit");
  ASSERT_NE(rec, nullptr);
  r->SetSkinSupport(true);
  r->ChangeSkinData();
  EXPECT_EQ(faceOf(0), rec->FontName) << "text in the default format takes the skin's font";
  EXPECT_EQ(r->SelAttributes()->Color(), rec->FontColor);
  EXPECT_EQ(faceOf(6), "Arial") << "text with a face of its own keeps it";
  EXPECT_EQ(r->SelAttributes()->Style(), TFontStyles() << fsBold);

  // Six rows of 24 points and one of the skin's font: the bar's range is their true height.
  xt::PumpUntilIdle();
  ASSERT_TRUE(vbar->Enabled());
  EXPECT_EQ(vbar->Max(), NativeMax(r, SB_VERT));
  EXPECT_GE(vbar->Max() + 1, 6 * 30 + 10);
  vbar->SetPosition(vbar->Max() - vbar->PageSize() + 1);
  EXPECT_EQ(r->Perform(EM_GETFIRSTVISIBLELINE, 0, 0), 3);
}

// ---- Streaming ------------------------------------------------------------------------------------------

TEST_F(SkinViewsTest, ViewsReadBackWithTheirBarsSkinAndSettings) {
  auto* a = new TViewsForm(nullptr);
  Keep(a);
  auto* data = new TbsSkinData(a);
  data->SetName("SkinData1");
  auto* v = new TbsSkinScrollBar(a);
  v->SetName("VBar");
  v->SetParent(a);
  auto* t = new TbsSkinTreeView(a);
  t->SetName("Tree1");
  t->SetParent(a);
  t->SetSkinData(data);
  t->SetVScrollBar(v);
  t->SetUseSkinFont(false);
  t->SetDefaultColor(RGB(9, 8, 7));
  t->SetSkinDataName("mytree");
  auto* r = new TbsSkinRichEdit(a);
  r->SetName("Rich1");
  r->SetParent(a);
  r->SetSkinSupport(true);
  r->SetHScrollBar(v);
  r->DefaultFont()->SetHeight(15);
  // What Loaded does to the read copies: the default look of an empty skin.
  t->ChangeSkinData();
  r->ChangeSkinData();
  const AnsiString text = WriteComponentResource(a);

  auto* b = new TViewsForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* t2 = dynamic_cast<TbsSkinTreeView*>(b->FindComponent("Tree1"));
  auto* r2 = dynamic_cast<TbsSkinRichEdit*>(b->FindComponent("Rich1"));
  ASSERT_NE(t2, nullptr) << text;
  ASSERT_NE(r2, nullptr) << text;
  EXPECT_EQ(t2->SkinData(), b->FindComponent("SkinData1"));
  EXPECT_EQ(t2->VScrollBar(), b->FindComponent("VBar"));
  EXPECT_FALSE(t2->UseSkinFont());
  EXPECT_EQ(t2->DefaultColor(), RGB(9, 8, 7));
  EXPECT_EQ(t2->Color(), RGB(9, 8, 7)) << "Loaded applies the default look of an empty skin";
  EXPECT_EQ(t2->SkinDataName(), "mytree");
  EXPECT_TRUE(r2->SkinSupport());
  EXPECT_EQ(r2->HScrollBar(), b->FindComponent("VBar"));
  EXPECT_EQ(r2->DefaultFont()->Height(), 15);
  EXPECT_EQ(r2->SkinDataName(), "richedit");
  EXPECT_EQ(WriteComponentResource(b), text);
}
