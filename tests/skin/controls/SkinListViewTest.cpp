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
