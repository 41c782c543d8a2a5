// The skinned header control as a user sees it: a face per state from the button record (normal, hot,
// pressed) or the flat look, clicks that only a real click on a section fires, sections dragged to new
// places keeping their captions, dividers that resize without a click, the height the skin or
// DefaultHeight imposes, skin switches and streaming.

#include "platform/vcl/ComCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

constexpr COLORREF kHotFill = RGB(182, 189, 210), kDownFill = RGB(133, 147, 181), kFace = RGB(192, 192, 192);

class SkinHeaderTest : public SkinControlsTest {
 protected:
  TbsSkinHeaderControl* NewHeader() {
    auto* h = new TbsSkinHeaderControl(form);
    h->SetParent(form);
    h->SetAlign(alNone);
    h->SetBounds(10, 10, 260, 24);
    const char* texts[] = { "Name", "Size", "Date" };
    const int widths[] = { 60, 50, 70 };
    for (int i = 0; i < 3; ++i) {
      THeaderSection* s = h->Sections()->Add();
      s->SetText(texts[i]);
      s->SetWidth(widths[i]);
    }
    h->OnSkinSectionClick =
        On<TSectionNotifyEvent>([this](THeaderControl*, THeaderSection* s) { clicked.push_back(s->Text()); });
    return h;
  }
  std::string_view Face(TControl* c, int x, int y) const { return mkskin::KeyOfCode(Code(c, x, y).code); }
  static void Down(TControl* c, int x, int y) {
    const TPoint p = At(c, x, y);
    xt::MouseDown(xt::mbLeft, p.X, p.Y);
  }
  static void Up(TControl* c, int x, int y) {
    const TPoint p = At(c, x, y);
    xt::MouseUp(xt::mbLeft, p.X, p.Y);
  }
  std::vector<AnsiString> clicked;
};

class THeaderForm : public TForm {
  XJ_CLASS(THeaderForm, TForm)
 public:
  explicit THeaderForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(SkinHeaderTest, EachStateShowsItsFaceSkinnedAndFlat) {
  LoadTestSkin();
  auto* h = NewHeader();
  h->SetSkinData(skin);
  ShowUnfocused();
  const uint8_t owner = OwnerOf("resizebutton");
  ASSERT_NE(owner, 0);
  EXPECT_GE(h->SkinObjectIndex(), 0);
  // On the left edge band of each section, clear of the caption.
  EXPECT_EQ(Code(h, 1, 12).owner, owner);
  EXPECT_EQ(Face(h, 1, 12), "skinrect");
  EXPECT_EQ(Face(h, 61, 12), "skinrect");
  EXPECT_EQ(Code(h, 250, 12).owner, owner) << "the rest right of the last section is skinned too";
  Gallery(h, "bsSkinCtrls", "header-normal");

  MoveTo(h, 80, 12);
  EXPECT_EQ(h->ActiveSection(), 1);
  EXPECT_EQ(Face(h, 61, 12), "activeskinrect");
  EXPECT_EQ(Face(h, 1, 12), "skinrect");
  Gallery(h, "bsSkinCtrls", "header-hot");
  Down(h, 80, 12);
  xt::PumpUntilIdle();
  EXPECT_EQ(Face(h, 61, 12), "downskinrect");
  Gallery(h, "bsSkinCtrls", "header-pressed");
  // Released over another section: the click is for the section under the mouse.
  xt::MouseMove(At(h, 30, 12).X, At(h, 30, 12).Y);
  Up(h, 30, 12);
  EXPECT_EQ(clicked, std::vector<AnsiString>({ "Name" }));
  // Released outside every section: no click.
  Down(h, 30, 12);
  Up(h, 240, 12);
  EXPECT_EQ(clicked.size(), 1u);

  // The second skin's record has no picture: the flat look, in all three states.
  LoadSecondSkin();
  EXPECT_EQ(h->SkinObjectIndex(), -1);
  MoveTo(form, 300, 200);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(h, 0, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Px(h, 2, 2), kFace);
  EXPECT_EQ(Px(h, 250, 2), kFace);
  MoveTo(h, 30, 12);
  EXPECT_EQ(Px(h, 2, 2), kHotFill);
  EXPECT_EQ(Px(h, 0, 0), ColorToRGB(clNavy));
  Gallery(h, "bsSkinCtrls", "header-flat-hot");
  Down(h, 30, 12);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(h, 2, 2), kDownFill);
  Up(h, 30, 12);
  EXPECT_EQ(clicked.size(), 2u);

  // hsFlat: never pressed, never a skinned click.
  h->SetStyle(hsFlat);
  xt::PumpUntilIdle();
  Down(h, 30, 12);
  xt::PumpUntilIdle();
  EXPECT_NE(Px(h, 2, 2), kDownFill);
  Up(h, 30, 12);
  EXPECT_EQ(clicked.size(), 2u);
}

TEST_F(SkinHeaderTest, DraggedSectionsKeepTheirCaptionsAndDividersResizeWithoutAClick) {
  LoadTestSkin();
  auto* h = NewHeader();
  h->SetSkinData(skin);
  h->SetDragReorder(true);
  // Each section paints a colour of its own over its whole face: where a colour lands shows which
  // section was drawn in which rectangle.
  const COLORREF colours[] = { RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255) };
  std::vector<AnsiString> drawn;
  h->OnDrawSkinSection = On<TbsCustomDrawSkinSectionEvent>(
      [&](THeaderControl*, THeaderSection* s, const TRect& r, bool, bool, TCanvas* c) {
        drawn.push_back(s->Text());
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(colours[s->Index()]);
        c->FillRect(r);
      });
  ShowUnfocused();
  EXPECT_EQ(Px(h, 5, 12), colours[0]);

  // "Name" dragged past "Date": the display order becomes Size, Date, Name.
  const TPoint from = At(h, 30, 12), to = At(h, 175, 12);
  xt::Drag(from.X, from.Y, to.X, to.Y);
  xt::PumpUntilIdle();
  EXPECT_TRUE(clicked.empty()) << "a section drag is no click";
  drawn.clear();
  h->Repaint();
  EXPECT_EQ(drawn, std::vector<AnsiString>({ "Size", "Date", "Name" }));
  EXPECT_EQ(Px(h, 5, 12), colours[1]);
  EXPECT_EQ(Px(h, 49, 12), colours[1]);
  EXPECT_EQ(Px(h, 50, 12), colours[2]) << "Size keeps its width of 50";
  EXPECT_EQ(Px(h, 119, 12), colours[2]);
  EXPECT_EQ(Px(h, 120, 12), colours[0]);
  EXPECT_EQ(Px(h, 179, 12), colours[0]);
  Gallery(h, "bsSkinCtrls", "header-reordered");
  // A click at the first place is a click on the section shown there.
  ClickAt(h, 20, 12);
  EXPECT_EQ(clicked, std::vector<AnsiString>({ "Size" }));

  // Dragging the divider after "Size" widens it; no pressed face, no click.
  clicked.clear();
  const TPoint d1 = At(h, 50, 12), d2 = At(h, 72, 12);
  xt::Drag(d1.X, d1.Y, d2.X, d2.Y);
  xt::PumpUntilIdle();
  EXPECT_EQ(h->Sections()->Items(1)->Width(), 72);
  EXPECT_TRUE(clicked.empty());

  // A section deleted: the rest paint in their places, nothing stale.
  delete h->Sections()->Items(2);
  drawn.clear();
  h->Repaint();
  EXPECT_EQ(drawn.size(), 2u);
}

TEST_F(SkinHeaderTest, HeightsFontsAndStreaming) {
  auto* h = NewHeader();
  h->SetDefaultHeight(25);
  EXPECT_EQ(h->Height(), 25);
  h->SetHeight(40);
  EXPECT_EQ(h->Height(), 25) << "the unskinned control keeps DefaultHeight";
  h->DefaultFont()->SetName("Tahoma");
  h->SetDefaultFont(h->DefaultFont());
  EXPECT_EQ(h->Font()->Name(), "Tahoma");

  auto* a = new THeaderForm(nullptr);
  Keep(a);
  auto* data = new TbsSkinData(a);
  data->SetName("SkinData1");
  auto* s = new TbsSkinHeaderControl(a);
  s->SetName("Header1");
  s->SetParent(a);
  s->SetSkinData(data);
  s->SetSkinDataName("myheader");
  s->SetUseSkinFont(false);
  s->SetDefaultHeight(21);
  s->Sections()->Add()->SetText("One");
  const AnsiString text = WriteComponentResource(a);
  auto* b = new THeaderForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* back = dynamic_cast<TbsSkinHeaderControl*>(b->FindComponent("Header1"));
  ASSERT_NE(back, nullptr) << text;
  EXPECT_EQ(back->SkinData(), b->FindComponent("SkinData1"));
  EXPECT_EQ(back->SkinDataName(), "myheader");
  EXPECT_FALSE(back->UseSkinFont());
  EXPECT_EQ(back->DefaultHeight(), 21);
  EXPECT_EQ(back->Height(), 21);
  ASSERT_EQ(back->Sections()->Count(), 1);
  EXPECT_EQ(back->Sections()->Items(0)->Text(), "One");
  EXPECT_EQ(WriteComponentResource(b), text);

  // The skin freed under the control: the flat look, nothing stale.
  delete data;
  EXPECT_EQ(s->SkinData(), nullptr);
}

// ---- The skinned list view -------------------------------------------------------------------------------
// Linked skinned bars in step with the view both ways in every view style (bar moves, thumb drags, keys,
// the wheel, a selection out of view, 100,000 items), the report header painted from the button record
// with captions that travel with their columns, the skin's looks and the defaults, header windows that
// come and go, and streaming.

namespace {

class SkinListViewTest : public SkinControlsTest {
 protected:
  // A view at the left of the form, a vertical bar at its right and a horizontal bar below it.
  TbsSkinListView* NewView(TViewStyle Style, int Items, int W = 200, int H = 150) {
    auto* v = new TbsSkinListView(form);
    v->SetParent(form);
    v->SetBounds(8, 8, W, H);
    v->SetViewStyle(Style);
    const char* captions[] = { "Name", "Size", "Date" };
    const int widths[] = { 90, 60, 80 };
    for (int i = 0; i < 3; ++i) {
      TListColumn* c = v->Columns()->Add();
      c->SetCaption(captions[i]);
      c->SetWidth(widths[i]);
    }
    AddItems(v, Items);
    vbar = NewBar(sbVertical, 8 + W, 8, 18, H);
    hbar = NewBar(sbHorizontal, 8, 8 + H, W, 18);
    if (skin) v->SetSkinData(skin);
    v->SetVScrollBar(vbar);
    v->SetHScrollBar(hbar);
    return v;
  }
  static void AddItems(TCustomListView* v, int n) {
    v->Items()->BeginUpdate();
    for (int i = 0; i < n; ++i) {
      TListItem* it = v->Items()->Add();
      it->SetCaption("item " + std::to_string(i));
      it->SubItems()->Add(std::to_string(i * 7));
    }
    v->Items()->EndUpdate();
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
  static int NativePos(TWinControl* v, int which) { return GetScrollPos(v->Handle(), which); }
  static int NativeMax(TWinControl* v, int which) {
    int mn = 0, mx = 0;
    GetScrollRange(v->Handle(), which, &mn, &mx);
    return mx;
  }
  static int Top(TCustomListView* v) { return (int)v->Perform(LVM_GETTOPINDEX, 0, 0); }
  static void DragThumb(TbsSkinScrollBar* b, int dy) {
    const TRect r = b->Button(TbsSkinScrollBar::bpThumb).R;
    const TPoint p = At(b, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    xt::Drag(p.X, p.Y, p.X, p.Y + dy);
    xt::PumpUntilIdle();
  }
  // The header's pixels in a rectangle, row by row.
  static std::vector<COLORREF> HeaderPixels(HWND h, const TRect& r) {
    std::vector<COLORREF> px;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) px.push_back(xt::ReadPixel(h, x, y));
    return px;
  }
  std::string_view Face(HWND h, int x, int y) const { return mkskin::KeyOfCode(Decode(xt::ReadPixel(h, x, y)).code); }
  static TPoint OnHeader(HWND h, int x, int y) {
    POINT p { x, y };
    ClientToScreen(h, &p);
    return TPoint(p.x, p.y);
  }
  template <class R>
  R* Record(const char* name) const {
    return dynamic_cast<R*>(static_cast<TbsDataSkinControl*>(skin->CtrlList->Items(skin->GetControlIndex(name))));
  }
  TbsSkinScrollBar* vbar {};
  TbsSkinScrollBar* hbar {};
};

class TListViewForm : public TForm {
  XJ_CLASS(TListViewForm, TForm)
 public:
  explicit TListViewForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(SkinListViewTest, ReportBarsFollowBarMovesKeysWheelAndSelection) {
  LoadTestSkin();
  auto* v = NewView(vsReport, 60);
  ShowUnfocused();
  EXPECT_EQ(v->ClientWidth(), v->Width()) << "no border and no room for native bars";
  int rows = (int)v->Perform(LVM_GETCOUNTPERPAGE, 0, 0);
  ASSERT_GT(rows, 2);
  ASSERT_LT(rows, 59);
  ASSERT_TRUE(vbar->Visible());
  EXPECT_EQ(vbar->Max(), 59);
  EXPECT_EQ(vbar->Max(), NativeMax(v, SB_VERT));
  EXPECT_EQ(vbar->PageSize(), rows);
  ASSERT_TRUE(hbar->Visible()) << "230 pixels of columns in 200";
  EXPECT_EQ(hbar->PageSize(), v->Width());
  EXPECT_TRUE(hbar->Both()) << "the horizontal bar leaves the corner to the vertical one";
  Gallery(form, "bsSkinCtrls", "listview-report-with-bars");

  // The bar scrolls the view by whole rows ...
  vbar->SetPosition(17);
  EXPECT_EQ(Top(v), 17);
  EXPECT_EQ(NativePos(v, SB_VERT), 17);
  // ... also with a font of negative height, the usual kind, which must not turn the scroll round.
  v->DefaultFont()->SetHeight(-13);
  v->SetUseSkinFont(false);
  v->ChangeSkinData();
  ASSERT_LT(v->Font()->Height(), 0);
  xt::PumpUntilIdle();
  rows = (int)v->Perform(LVM_GETCOUNTPERPAGE, 0, 0);
  EXPECT_EQ(vbar->PageSize(), rows);
  vbar->SetPosition(30);
  EXPECT_EQ(Top(v), 30);
  DragThumb(vbar, 25);
  EXPECT_GT(vbar->Position(), 30);
  EXPECT_EQ(NativePos(v, SB_VERT), vbar->Position());
  EXPECT_EQ(Top(v), vbar->Position());
  hbar->SetPosition(25);
  EXPECT_EQ(NativePos(v, SB_HORZ), 25);

  // Keys, the wheel and a selection out of view bring the bar back in step.
  v->SetFocus();
  xt::KeyDown(VK_END);
  EXPECT_EQ(NativePos(v, SB_VERT), 60 - rows);
  EXPECT_EQ(vbar->Position(), 60 - rows);
  xt::KeyDown(VK_HOME);
  EXPECT_EQ(vbar->Position(), 0);
  xt::KeyDown(VK_NEXT);  // to the foot of the page first, then a page on
  xt::KeyDown(VK_NEXT);
  EXPECT_GT(vbar->Position(), 0);
  EXPECT_EQ(vbar->Position(), NativePos(v, SB_VERT));
  MoveTo(v, 40, 60);
  const int before = vbar->Position();
  xt::Wheel(-WHEEL_DELTA);
  EXPECT_EQ(NativePos(v, SB_VERT), before + 3);
  EXPECT_EQ(vbar->Position(), before + 3);
  v->SetItemIndex(50);
  xt::PumpUntilIdle();
  EXPECT_EQ(vbar->Position(), NativePos(v, SB_VERT));
  EXPECT_LE(vbar->Position(), 50);
  EXPECT_GT(vbar->Position() + rows, 50);

  // Few items: the vertical bar goes and the corner with it.
  v->Items()->Clear();
  AddItems(v, 3);
  xt::PumpUntilIdle();
  EXPECT_FALSE(vbar->Visible());
  EXPECT_FALSE(hbar->Both());
  // Exactly one row more than a page: the native maximum is the page, not above it.
  v->Items()->Clear();
  AddItems(v, rows + 1);
  xt::PumpUntilIdle();
  EXPECT_EQ(NativeMax(v, SB_VERT), rows);
  EXPECT_FALSE(vbar->Visible());
  v->Items()->Add()->SetCaption("one more");
  xt::PumpUntilIdle();
  EXPECT_TRUE(vbar->Visible());
}

TEST_F(SkinListViewTest, AHundredThousandItemsInReportAndListView) {
  auto* v = NewView(vsReport, 100000);
  ShowUnfocused();
  ASSERT_TRUE(vbar->Visible());
  EXPECT_EQ(vbar->Max(), 99999);
  // Beyond 16 bits the view lands where the bar says.
  vbar->SetPosition(70123);
  EXPECT_EQ(Top(v), 70123);
  EXPECT_EQ(NativePos(v, SB_VERT), 70123);
  v->SetFocus();
  xt::KeyDown(VK_END);
  const int rows = (int)v->Perform(LVM_GETCOUNTPERPAGE, 0, 0);
  EXPECT_EQ(vbar->Position(), 100000 - rows);
  EXPECT_EQ(vbar->Position(), NativePos(v, SB_VERT));

  // As a list: no vertical scrolling, the horizontal bar counts columns, one line step per column.
  v->SetViewStyle(vsList);
  xt::PumpUntilIdle();
  EXPECT_FALSE(vbar->Visible());
  ASSERT_TRUE(hbar->Visible());
  EXPECT_EQ(hbar->Max(), NativeMax(v, SB_HORZ));
  EXPECT_FALSE(hbar->Both());
  TRect first = v->Items()->Item(0)->DisplayRect(drBounds);
  EXPECT_EQ(hbar->PageSize(), v->Width() / (first.Right - first.Left));
  const int perColumn = v->ClientHeight() / (first.Bottom - first.Top);
  ASSERT_GT(perColumn, 0);
  hbar->SetPosition(0);
  {
    TRecorder steps(v, { WM_HSCROLL });
    hbar->SetPosition(3);
    EXPECT_EQ(steps.Count(WM_HSCROLL), 1);
  }
  EXPECT_EQ(NativePos(v, SB_HORZ), 3);
  EXPECT_EQ(Top(v), 3 * perColumn);
  hbar->SetPosition(1);
  EXPECT_EQ(NativePos(v, SB_HORZ), 1);
  xt::KeyDown(VK_END);
  EXPECT_EQ(hbar->Position(), NativePos(v, SB_HORZ));
  EXPECT_EQ(hbar->Position(), hbar->Max() - hbar->PageSize() + 1);
  // A view smaller than 6 pixels leaves its bars alone.
  const int max = hbar->Max();
  v->SetBounds(8, 8, 5, 150);
  v->Items()->Clear();
  xt::PumpUntilIdle();
  EXPECT_EQ(hbar->Max(), max);
}

TEST_F(SkinListViewTest, TenMillionOwnerDataRowsFollowTheLinkedBarsInEveryStyle) {
  LoadTestSkin();
  auto* v = NewView(vsReport, 0);
  std::vector<int> asked;
  v->OnData = On<TLVOwnerDataEvent>([&](TObject*, TListItem* item) {
    asked.push_back(item->Index());
    item->SetCaption("row " + std::to_string(item->Index()));
  });
  v->SetOwnerData(true);
  v->Items()->SetCount(10000000);
  ShowUnfocused();
  ASSERT_TRUE(vbar->Visible());
  EXPECT_EQ(vbar->Max(), 9999999);
  const int rows = (int)v->Perform(LVM_GETCOUNTPERPAGE, 0, 0);
  asked.clear();
  xt::ClearTextLog();
  vbar->SetPosition(7000123);
  xt::PumpUntilIdle();
  EXPECT_EQ(Top(v), 7000123);
  EXPECT_EQ(NativePos(v, SB_VERT), 7000123);
  // Only the rows now on the page were asked for, and the first of them is drawn.
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(*std::min_element(asked.begin(), asked.end()), 7000123);
  EXPECT_LE(*std::max_element(asked.begin(), asked.end()), 7000123 + rows);
  const auto log = xt::TextOutLog();
  EXPECT_TRUE(std::any_of(log.begin(), log.end(),
                          [&](const xt::TextRecord& t) { return t.hwnd == v->Handle() && t.text == "row 7000123"; }));
  v->SetFocus();
  xt::KeyDown(VK_END);
  EXPECT_EQ(vbar->Position(), 10000000 - rows);
  EXPECT_EQ(vbar->Position(), NativePos(v, SB_VERT));
  Gallery(form, "bsSkinCtrls", "listview-ownerdata");

  for (TViewStyle style : { vsList, vsIcon, vsSmallIcon }) {
    SCOPED_TRACE(style);
    v->SetViewStyle(style);
    xt::PumpUntilIdle();
    TScrollBarKind kind = style == vsList ? sbHorizontal : sbVertical;
    TbsSkinScrollBar* bar = kind == sbHorizontal ? hbar : vbar;
    const int which = kind == sbHorizontal ? SB_HORZ : SB_VERT;
    ASSERT_TRUE(bar->Visible());
    EXPECT_EQ(bar->Max(), NativeMax(v, which));
    xt::KeyDown(VK_HOME);
    bar->SetPosition(3);
    EXPECT_EQ(NativePos(v, which), 3);
    xt::KeyDown(VK_END);
    EXPECT_EQ(bar->Position(), NativePos(v, which));
    EXPECT_EQ(bar->Position(), bar->Max() - bar->PageSize() + 1);
    const TRect last = v->Items()->Item(9999999)->DisplayRect(drBounds);
    EXPECT_TRUE(last.Top >= 0 && last.Bottom <= v->ClientHeight() && last.Right <= v->ClientWidth());
  }
}

// Tall rows by the thousand million pixels, and a hundred million rows in columns: a bar dragged to its
// end takes the view there in one scroll.
TEST_F(SkinListViewTest, OwnerDataBarsDraggedToTheirEndsMoveTheViewThereInOneScroll) {
  LoadTestSkin();
  auto* v = NewView(vsReport, 0);
  TImageList tall(nullptr);
  tall.SetHeight(43);  // rows of 44 pixels
  v->SetSmallImages(&tall);
  v->OnData = On<TLVOwnerDataEvent>([](TObject*, TListItem* item) { item->SetCaption("r"); });
  v->SetOwnerData(true);
  v->Items()->SetCount(49000000);
  ShowUnfocused();
  const std::vector<UINT> scrolls { WM_HSCROLL, WM_VSCROLL, LVM_SCROLL };
  auto recorder = std::make_unique<TRecorder>(v, scrolls);
  const int rows = (int)v->Perform(LVM_GETCOUNTPERPAGE, 0, 0);
  ASSERT_EQ(v->Items()->Item(0)->DisplayRect(drBounds).Height(), 44);
  vbar->SetPosition(vbar->Max());
  xt::PumpUntilIdle();
  EXPECT_EQ(Top(v), 49000000 - rows);
  EXPECT_EQ(recorder->Messages.size(), 1u);

  v->SetViewStyle(vsList);
  v->Items()->SetCount(100000000);
  xt::PumpUntilIdle();
  ASSERT_TRUE(hbar->Visible());
  recorder.reset();  // before the next one wraps the window procedure
  recorder = std::make_unique<TRecorder>(v, scrolls);
  hbar->SetPosition(hbar->Max() - hbar->PageSize() + 1);
  xt::PumpUntilIdle();
  EXPECT_EQ(recorder->Messages.size(), 1u);
  EXPECT_EQ(NativePos(v, SB_HORZ), hbar->Position());
  const TRect last = v->Items()->Item(99999999)->DisplayRect(drBounds);
  EXPECT_TRUE(last.Top >= 0 && last.Bottom <= v->ClientHeight() && last.Right <= v->ClientWidth());
}

TEST_F(SkinListViewTest, IconViewsScrollInPixelsAndEachStyleShows) {
  LoadTestSkin();
  auto* v = NewView(vsIcon, 120, 200, 150);
  ShowUnfocused();
  for (TViewStyle style : { vsIcon, vsSmallIcon }) {
    SCOPED_TRACE(style == vsIcon ? "icons" : "small icons");
    v->SetViewStyle(style);
    xt::PumpUntilIdle();
    ASSERT_TRUE(vbar->Visible());
    EXPECT_EQ(vbar->Max(), NativeMax(v, SB_VERT));
    EXPECT_GT(vbar->Max(), v->Height());
    EXPECT_EQ(vbar->PageSize(), v->Height());
    const TRect item = v->Items()->Item(0)->DisplayRect(drBounds);
    EXPECT_EQ(vbar->SmallChange(), std::max(1, (int)(item.Bottom - item.Top) / 2));
    vbar->SetPosition(37);
    EXPECT_EQ(NativePos(v, SB_VERT), 37);
    EXPECT_EQ(v->Items()->Item(0)->DisplayRect(drBounds).Top, item.Top - 37);
    v->SetFocus();
    xt::KeyDown(VK_END);
    EXPECT_EQ(vbar->Position(), NativePos(v, SB_VERT));
    EXPECT_GT(vbar->Position(), 37);
    xt::KeyDown(VK_HOME);
    EXPECT_EQ(vbar->Position(), 0);
    Gallery(form, "bsSkinCtrls", style == vsIcon ? "listview-icons" : "listview-smallicons");
  }
  v->SetViewStyle(vsList);
  xt::PumpUntilIdle();
  Gallery(form, "bsSkinCtrls", "listview-list");
}

TEST_F(SkinListViewTest, ReportHeaderFromTheSkinKeepsCaptionsWithTheirColumnsWhenDraggedAndResized) {
  LoadTestSkin();
  auto* v = NewView(vsReport, 10, 260, 120);
  v->SetFullDrag(true);
  ShowUnfocused();
  const HWND h = v->HeaderHandle();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h, (HWND)v->Perform(LVM_GETHEADER, 0, 0));
  EXPECT_GE(v->HeaderSkinObjectIndex(), 0);
  const uint8_t owner = OwnerOf("resizebutton");
  ASSERT_NE(owner, 0);
  RECT hr {};
  GetClientRect(h, &hr);
  const int mid = hr.bottom / 2;
  // The left edge band of each section, clear of the caption, and the rest right of the last section.
  EXPECT_EQ(Decode(xt::ReadPixel(h, 1, mid)).owner, owner);
  EXPECT_EQ(Face(h, 1, mid), "skinrect");
  EXPECT_EQ(Face(h, 91, mid), "skinrect");
  EXPECT_EQ(Decode(xt::ReadPixel(h, 250, mid)).owner, owner);
  // The caption is drawn in the record's font colour, inside its own section.
  const auto* rec = Record<TbsDataSkinButtonControl>("resizebutton");
  ASSERT_NE(rec, nullptr);
  auto inks = [&](const TRect& r) {
    const auto px = HeaderPixels(h, r);
    return std::count(px.begin(), px.end(), ColorToRGB(rec->FontColor));
  };
  ASSERT_GT(inks(v->GetHeaderSectionRect(0)), 10);
  Gallery(v, "bsSkinCtrls", "listview-header");

  // Each section's picture, to find it again wherever its column goes.
  std::vector<std::vector<COLORREF>> before;
  for (int i = 0; i < 3; ++i) before.push_back(HeaderPixels(h, v->GetHeaderSectionRect(i)));
  // "Name" dragged past "Date": the order becomes Size, Date, Name.
  const TPoint from = OnHeader(h, 40, mid), to = OnHeader(h, 225, mid);
  xt::Drag(from.X, from.Y, to.X, to.Y);
  xt::PumpUntilIdle();
  int order[3] {};
  ASSERT_TRUE(v->Perform(LVM_GETCOLUMNORDERARRAY, 3, (LPARAM)order));
  ASSERT_EQ(std::vector<int>(order, order + 3), (std::vector<int> { 1, 2, 0 }));
  EXPECT_EQ(v->ColumnAt(0)->Caption(), "Size");
  EXPECT_EQ(v->ColumnAt(2)->Caption(), "Name");
  EXPECT_EQ(v->GetHeaderSectionRect(0), TRect(0, 0, 60, hr.bottom)) << "Size keeps its width";
  EXPECT_EQ(v->GetHeaderSectionRect(2), TRect(140, 0, 230, hr.bottom));
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(HeaderPixels(h, v->GetHeaderSectionRect(i)), before[order[i]])
        << "position " << i << " shows column " << order[i] << " as it was drawn before";
  Gallery(v, "bsSkinCtrls", "listview-header-reordered");

  // A press on a section shows it pressed; on a divider it does not, and the drag resizes that column.
  const TPoint press = OnHeader(h, 150, mid);
  xt::MouseDown(xt::mbLeft, press.X, press.Y);
  xt::PumpUntilIdle();
  EXPECT_EQ(Face(h, 141, mid), "downskinrect");
  EXPECT_EQ(Face(h, 1, mid), "skinrect");
  xt::MouseUp(xt::mbLeft, press.X, press.Y);
  xt::PumpUntilIdle();
  EXPECT_EQ(Face(h, 141, mid), "skinrect");
  const TPoint d1 = OnHeader(h, 60, mid), d2 = OnHeader(h, 85, mid);
  xt::MouseDown(xt::mbLeft, d1.X, d1.Y);
  xt::PumpUntilIdle();
  EXPECT_EQ(Face(h, 1, mid), "skinrect") << "no pressed face on a divider";
  xt::MouseMove(d2.X, d2.Y);
  xt::MouseUp(xt::mbLeft, d2.X, d2.Y);
  xt::PumpUntilIdle();
  EXPECT_EQ(v->Columns()->Items(1)->Width(), 85);
  EXPECT_EQ(HeaderPixels(h, v->GetHeaderSectionRect(2)), before[0]) << "Name moved right, drawn the same";

  // A column deleted while a section is held: the rest paint in their places, nothing stale.
  const TPoint hold = OnHeader(h, 100, mid);
  xt::MouseDown(xt::mbLeft, hold.X, hold.Y);
  delete v->Columns()->Items(2);
  xt::MouseMove(hold.X + 40, hold.Y);
  xt::MouseUp(xt::mbLeft, hold.X + 40, hold.Y);
  xt::PumpUntilIdle();
  EXPECT_EQ(v->Columns()->Count(), 2);
  std::vector<AnsiString> drawn;
  v->OnDrawHeaderSection = On<TbsDrawHeaderSectionEvent>(
      [&](TCanvas*, TListColumn* c, bool, const TRect&) { drawn.push_back(c ? c->Caption() : "?"); });
  RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(drawn.size(), 2u);
  EXPECT_EQ(std::count(drawn.begin(), drawn.end(), "?"), 0);
}

TEST_F(SkinListViewTest, FlatHeaderCaptionsImagesAndTheLooksOfEachSkin) {
  auto* v = NewView(vsReport, 5, 260, 120);
  v->SetDefaultColor(RGB(250, 240, 200));
  EXPECT_EQ(v->Color(), RGB(250, 240, 200)) << "the default look follows its colour at once";
  v->Columns()->Items(0)->SetAlignment(taCenter);
  v->Columns()->Items(0)->SetCaption("Hi");
  auto* images = new TImageList(form);
  images->SetWidth(8);
  images->SetHeight(8);
  TBitmap red;
  red.SetWidth(8);
  red.SetHeight(8);
  red.Canvas()->Brush()->SetColor(clRed);
  red.Canvas()->FillRect(TRect(0, 0, 8, 8));
  images->Add(&red, nullptr);
  v->SetSmallImages(images);
  v->Columns()->Items(1)->SetImageIndex(0);
  v->Columns()->Items(1)->SetAlignment(taRightJustify);
  v->Columns()->Items(1)->SetCaption("A caption far too long for sixty pixels");
  v->Columns()->Items(2)->SetImageIndex(0);
  v->Columns()->Items(2)->SetAlignment(taCenter);
  v->Columns()->Items(2)->SetCaption("X");
  ShowUnfocused();
  const HWND h = v->HeaderHandle();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(v->HeaderSkinObjectIndex(), -1);
  RECT hr {};
  GetClientRect(h, &hr);
  const int mid = hr.bottom / 2;
  // The flat look: a frame in the button shadow round the face colour, the rest of the header likewise.
  EXPECT_EQ(xt::ReadPixel(h, 0, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(xt::ReadPixel(h, 3, 3), ColorToRGB(clBtnFace));
  EXPECT_EQ(xt::ReadPixel(h, 235, 3), ColorToRGB(clBtnFace));
  EXPECT_EQ(xt::ReadPixel(h, 259, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Px(v, v->Width() - 3, v->Height() - 3), RGB(250, 240, 200));
  // Where the ink of a section lies.
  auto ink = [&](int from, int to, COLORREF c) {
    std::pair<int, int> span { -1, -1 };
    for (int x = from; x < to; ++x)
      for (int y = 1; y < hr.bottom - 1; ++y)
        if (xt::ReadPixel(h, x, y) == c) {
          if (span.first < 0) span.first = x;
          span.second = x;
        }
    return span;
  };
  const COLORREF text = ColorToRGB(clBtnText);
  // Centred without an image: centred on the section.
  const auto hi = ink(1, 89, text);
  ASSERT_GE(hi.first, 0);
  EXPECT_LE(std::abs((hi.first - 0) - (89 - hi.second)), 3);
  // Right-aligned with an image and cut short: the image keeps the left start and the caption ends in "...".
  EXPECT_EQ(ink(91, 149, ColorToRGB(clRed)).first, 90 + 1 + 5);
  EXPECT_GT(ink(91, 149, text).second, 120);
  // Centred with an image: image, 10 pixels and the caption centred as one block.
  const auto img = ink(151, 229, ColorToRGB(clRed)), x = ink(151, 229, text);
  ASSERT_GE(img.first, 0);
  ASSERT_GE(x.first, 0);
  EXPECT_EQ(x.first - img.first >= 18, true);
  EXPECT_LE(std::abs((img.first - 150) - (230 - x.second - 1)), 4);
  Gallery(v, "bsSkinCtrls", "listview-header-flat");
  const TPoint press = OnHeader(h, 30, mid);
  xt::MouseDown(xt::mbLeft, press.X, press.Y);
  xt::PumpUntilIdle();
  EXPECT_EQ(xt::ReadPixel(h, 3, 3), RGB(133, 147, 181));
  EXPECT_EQ(xt::ReadPixel(h, 0, 0), ColorToRGB(clNavy));
  xt::MouseUp(xt::mbLeft, press.X, press.Y);
  xt::PumpUntilIdle();
  EXPECT_EQ(xt::ReadPixel(h, 3, 3), ColorToRGB(clBtnFace));

  // The test skin: the view's colour and font from its record, the header from the button record.
  LoadTestSkin();
  v->SetSkinData(skin);
  auto* rec = Record<TbsDataSkinListView>("listview");
  ASSERT_NE(rec, nullptr);
  EXPECT_EQ(v->Color(), rec->BGColor);
  EXPECT_EQ(v->Font()->Color(), rec->FontColor);
  EXPECT_EQ(v->Font()->Name(), rec->FontName);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(v, v->Width() - 3, v->Height() - 3), ColorToRGB(rec->BGColor));
  EXPECT_EQ(Decode(xt::ReadPixel(h, 1, mid)).owner, OwnerOf("resizebutton"));
  Gallery(v, "bsSkinCtrls", "listview-skinned");
  v->SetDefaultColor(RGB(220, 235, 205));
  EXPECT_EQ(v->Color(), rec->BGColor) << "only stored while skinned";
  // Records of another class: the view keeps its colour, the header is flat.
  v->SetSkinDataName("treeview");
  v->SetHeaderSkinDataName("listview");
  v->ChangeSkinData();
  EXPECT_EQ(v->Color(), rec->BGColor);
  EXPECT_EQ(v->HeaderSkinObjectIndex(), -1);
  xt::PumpUntilIdle();
  EXPECT_EQ(xt::ReadPixel(h, 0, 0), ColorToRGB(clBtnShadow));
  v->SetSkinDataName("listview");
  v->SetHeaderSkinDataName("resizebutton");
  v->ChangeSkinData();

  // The form's skin switch reaches the view: no list view record and a button record without a
  // picture there, so the defaults and the flat header.
  LoadSecondSkin();
  EXPECT_EQ(v->SkinObjectIndex(), -1);
  EXPECT_EQ(v->Color(), RGB(220, 235, 205));
  EXPECT_EQ(v->HeaderSkinObjectIndex(), -1);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(v, v->Width() - 3, v->Height() - 3), RGB(220, 235, 205));
  EXPECT_EQ(xt::ReadPixel(h, 3, 3), ColorToRGB(clBtnFace));
  Gallery(v, "bsSkinCtrls", "listview-secondskin");
}

TEST_F(SkinListViewTest, AColumnsHandlerColoursThatColumnAndItemsShowTheImagesAskedForInEachLook) {
  auto* v = NewView(vsReport, 3, 260, 120);
  auto* images = new TImageList(form);
  images->SetWidth(8);
  images->SetHeight(8);
  TBitmap lime;
  lime.SetWidth(8);
  lime.SetHeight(8);
  lime.Canvas()->Brush()->SetColor(clLime);
  lime.Canvas()->FillRect(TRect(0, 0, 8, 8));
  images->Add(&lime, nullptr);
  v->SetSmallImages(images);
  v->OnCustomDrawSubItem =
      On<TLVCustomDrawSubItemEvent>([](TCustomListView* lv, TListItem*, int sub, TCustomDrawState, bool&) {
        if (sub != 1) return;
        lv->Canvas()->Font()->SetColor(clRed);
        lv->Canvas()->Brush()->SetColor(clYellow);
      });
  v->OnGetImageIndex =
      On<TLVOwnerDataEvent>([](TObject*, TListItem* i) { i->SetImageIndex(i->Index() == 1 ? 0 : -1); });
  for (const char* look : { "noskin", "skinned", "secondskin" }) {
    SCOPED_TRACE(look);
    if (std::string(look) == "skinned") v->SetSkinData(LoadTestSkin());
    if (std::string(look) == "secondskin") LoadSecondSkin();
    ShowUnfocused();
    xt::ClearTextLog();
    v->Invalidate();
    xt::PumpUntilIdle();
    const TRect r0 = v->Items()->Item(0)->DisplayRect(drBounds), r1 = v->Items()->Item(1)->DisplayRect(drBounds);
    const COLORREF back = static_cast<COLORREF>(ColorToRGB(v->Color()));
    // Column 1 (90 to 150) yellow in every row; columns 0 and 2 as the view colours them.
    EXPECT_EQ(Px(v, 91, r0.Top), RGB(255, 255, 0));
    EXPECT_EQ(Px(v, 149, r1.Bottom - 1), RGB(255, 255, 0));
    EXPECT_EQ(Px(v, 89, r0.Top), back);
    EXPECT_EQ(Px(v, 151, r0.Top), back);
    bool red = false, other = false;
    for (const xt::TextRecord& t : xt::TextOutLog()) {
      if (t.hwnd != v->Handle() || t.text.empty()) continue;
      const bool column1 = t.text == "0" || t.text == "7" || t.text == "14";
      ((t.color & 0xFFFFFF) == RGB(255, 0, 0) ? red : other) = true;
      EXPECT_EQ((t.color & 0xFFFFFF) == RGB(255, 0, 0), column1) << t.text;
    }
    EXPECT_TRUE(red && other);
    // The image its handler named, on item 1 only.
    const TRect icon1 = v->Items()->Item(1)->DisplayRect(drIcon), icon0 = v->Items()->Item(0)->DisplayRect(drIcon);
    EXPECT_EQ(Px(v, icon1.Left + 4, (icon1.Top + icon1.Bottom) / 2), RGB(0, 255, 0));
    EXPECT_EQ(Px(v, icon0.Left + 4, (icon0.Top + icon0.Bottom) / 2), back);
    Gallery(v, "bsSkinCtrls", std::string("listview-customdraw-") + look);
  }
  v->SetSmallImages(nullptr);
}

TEST_F(SkinListViewTest, HeaderWindowsComeAndGoAndFreedPartnersAreDropped) {
  LoadTestSkin();
  auto* v = NewView(vsReport, 30);
  ShowUnfocused();
  const uint8_t owner = OwnerOf("resizebutton");
  ASSERT_NE(v->HeaderHandle(), nullptr);
  // Not a report: no header to hold.
  v->SetViewStyle(vsList);
  xt::PumpUntilIdle();
  EXPECT_EQ(v->HeaderHandle(), nullptr);
  EXPECT_FALSE(vbar->Visible()) << "a list has no vertical scrolling";
  // Back to a report: the new header is taken over and paints from the skin.
  v->SetViewStyle(vsReport);
  xt::PumpUntilIdle();
  HWND h = v->HeaderHandle();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h, (HWND)v->Perform(LVM_GETHEADER, 0, 0));
  EXPECT_EQ(Decode(xt::ReadPixel(h, 1, 5)).owner, owner);
  // Headers switched off: the one held goes, and no other is taken.
  v->SetShowColumnHeaders(false);
  xt::PumpUntilIdle();
  EXPECT_EQ(v->HeaderHandle(), nullptr);
  v->SetShowColumnHeaders(true);
  xt::PumpUntilIdle();
  ASSERT_NE(v->HeaderHandle(), nullptr);
  // A new window takes the new header.
  v->RecreateWnd();
  v->HandleNeeded();
  xt::PumpUntilIdle();
  h = v->HeaderHandle();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h, (HWND)v->Perform(LVM_GETHEADER, 0, 0));
  EXPECT_EQ(Decode(xt::ReadPixel(h, 1, 5)).owner, owner);
  EXPECT_TRUE(vbar->Visible());

  // Hiding the view hides its bars; a replaced bar no longer scrolls it, a freed one is forgotten.
  v->SetVisible(false);
  EXPECT_FALSE(vbar->Visible());
  v->SetVisible(true);
  xt::PumpUntilIdle();
  EXPECT_TRUE(vbar->Visible());
  auto* other = NewBar(sbVertical, 230, 8, 18, 100);
  v->SetVScrollBar(other);
  EXPECT_TRUE(vbar->OnChange == nullptr);
  delete other;
  EXPECT_EQ(v->VScrollBar(), nullptr);
  delete skin;
  skin = nullptr;
  EXPECT_EQ(v->SkinData(), nullptr);
  xt::PumpUntilIdle();
  EXPECT_EQ(xt::ReadPixel(h, 0, 0), ColorToRGB(clBtnShadow)) << "the header turns flat";

  // A column click that frees the view, from inside the header's own handling.
  v->OnColumnClick = On<TLVColumnClickEvent>([&](TObject*, TListColumn*) { delete v; });
  std::weak_ptr<const void> life = v->LifeToken();
  const TPoint p = OnHeader(h, 20, 5);
  xt::Click(p.X, p.Y);
  xt::PumpUntilIdle();
  EXPECT_TRUE(life.expired());
  EXPECT_TRUE(hbar->OnChange == nullptr) << "a freed view leaves its bar no handler into it";
  hbar->SetRange(0, 100, 0, 10);
  hbar->SetPosition(50);
}

TEST_F(SkinListViewTest, ListViewReadsBackWithItsBarsSkinAndSettings) {
  auto* a = new TListViewForm(nullptr);
  Keep(a);
  auto* data = new TbsSkinData(a);
  data->SetName("SkinData1");
  auto* bar = new TbsSkinScrollBar(a);
  bar->SetName("VBar");
  bar->SetParent(a);
  auto* v = new TbsSkinListView(a);
  v->SetName("List1");
  v->SetParent(a);
  v->SetSkinData(data);
  v->SetVScrollBar(bar);
  v->SetUseSkinFont(false);
  v->SetDefaultColor(RGB(9, 8, 7));
  v->SetSkinDataName("mylist");
  v->SetHeaderSkinDataName("myheader");
  v->SetViewStyle(vsReport);
  v->Columns()->Add()->SetCaption("One");
  v->Items()->Add()->SetCaption("first");
  v->ChangeSkinData();  // what Loaded does to the read copy: the default look of an empty skin
  const AnsiString text = WriteComponentResource(a);

  auto* b = new TListViewForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* back = dynamic_cast<TbsSkinListView*>(b->FindComponent("List1"));
  ASSERT_NE(back, nullptr) << text;
  EXPECT_EQ(back->SkinData(), b->FindComponent("SkinData1"));
  EXPECT_EQ(back->VScrollBar(), b->FindComponent("VBar"));
  EXPECT_FALSE(back->UseSkinFont());
  EXPECT_EQ(back->DefaultColor(), RGB(9, 8, 7));
  EXPECT_EQ(back->Color(), RGB(9, 8, 7)) << "Loaded applies the default look";
  EXPECT_EQ(back->SkinDataName(), "mylist");
  EXPECT_EQ(back->HeaderSkinDataName(), "myheader");
  EXPECT_EQ(back->ViewStyle(), vsReport);
  ASSERT_EQ(back->Columns()->Count(), 1);
  EXPECT_EQ(back->Columns()->Items(0)->Caption(), "One");
  ASSERT_EQ(back->Items()->Count(), 1);
  EXPECT_EQ(WriteComponentResource(b), text);
}

// The caption's editor wears the skin's colours and font; the skinned header still reports right clicks.
TEST_F(SkinListViewTest, CaptionEditorFollowsTheSkinAndTheSkinnedHeaderTakesRightClicks) {
  LoadTestSkin();
  auto* v = NewView(vsReport, 3, 260, 120);
  std::vector<int> rightClicked;
  v->OnColumnRightClick =
      On<TLVColumnRClickEvent>([&](TObject*, TListColumn* c, TPoint) { rightClicked.push_back(c->Index()); });
  form->Show();
  xt::PumpUntilIdle();
  auto* rec = Record<TbsDataSkinListView>("listview");
  ASSERT_NE(rec, nullptr);
  v->Items()->Item(1)->SetSelected(true);
  v->SetFocus();
  ASSERT_TRUE(v->Items()->Item(1)->EditCaption());
  const HWND editor = reinterpret_cast<HWND>(v->Perform(LVM_GETEDITCONTROL, 0, 0));
  ASSERT_EQ(GetFocus(), editor);
  RECT er {};
  GetClientRect(editor, &er);
  EXPECT_EQ(xt::ReadPixel(editor, er.right - 2, er.bottom / 2), ColorToRGB(rec->BGColor));
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(editor, WM_GETFONT, 0, 0)), v->Font()->Handle());
  Gallery(v, "bsSkinCtrls", "listview-editing");
  xt::KeyPress(VK_ESCAPE);
  EXPECT_FALSE(v->IsEditing());

  const HWND h = v->HeaderHandle();
  for (int x : { 30, 120 }) {
    xt::Advance(1000);
    const TPoint p = OnHeader(h, x, 5);
    xt::Click(p.X, p.Y, xt::mbRight);
    xt::PumpUntilIdle();
  }
  EXPECT_EQ(rightClicked, (std::vector<int> { 0, 1 }));
}
