// The skinned push button as a user meets it: the face of every state in the test skin, the second skin
// and without a skin; clicks, repeats and the hover fade on the manual clock; groups, the dialog keys,
// Space and accelerators; glyph cells; actions; streaming; and a button freed from its own handlers.

#include <set>

#include "platform/vcl/ActnList.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

constexpr COLORREF kBtnFace = RGB(192, 192, 192);
constexpr COLORREF kBtnShadow = RGB(128, 128, 128);
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kHotFill = RGB(182, 189, 210);
constexpr COLORREF kDownFill = RGB(133, 147, 181);

class ButtonTest : public SkinControlsTest {
 protected:
  TbsSkinButton* NewButton(int l, int t, int w = 75, int h = 25, const AnsiString& name = "button") {
    auto* b = new TbsSkinButton(form);
    b->SetParent(form);
    b->SetSkinDataName(name);
    b->SetBounds(l, t, w, h);
    b->OnClick = On<TNotifyEvent>([this, b](TObject*) { clicks.push_back(b); });
    return b;
  }
  void Show() { ShowUnfocused(); }
  int ClicksOf(TbsSkinButton* b) const { return static_cast<int>(std::count(clicks.begin(), clicks.end(), b)); }
  // Which face a skinned button shows at (x, y): the rectangle key its pixel was cut from.
  std::string_view Face(TControl* c, int x, int y) const { return mkskin::KeyOfCode(Code(c, x, y).code); }

  std::vector<TbsSkinButton*> clicks;
};

}  // namespace

// ---- Looks ----------------------------------------------------------------------------------------------

TEST_F(ButtonTest, EveryStateShowsItsFaceInBothSkinsAndItsDefaultLookWithout) {
  LoadTestSkin();
  auto* b = NewButton(20, 20, 97, 31);
  b->SetCaption("确定 OK");
  b->SetSkinData(skin);
  Show();
  // A point on the left edge band, clear of the mask's cut corners and of the caption.
  auto face = [&] { return std::pair { Face(b, 3, 15), Code(b, 3, 15).owner }; };
  auto shoot = [&](const char* look, const char* state) { Gallery(b, "bsSkinCtrls", std::string(look) + "-" + state); };

  auto walk = [&](const char* look, std::string_view downFace) {
    SCOPED_TRACE(look);
    const uint8_t owner = OwnerOf(b->SkinDataName());
    ASSERT_NE(owner, 0);
    MoveTo(form, 2, 2);
    FocusHolder()->SetFocus();
    xt::Advance(400);
    xt::PumpUntilIdle();
    EXPECT_EQ(face(), std::pair(std::string_view("skinrect"), owner));
    // The caption is drawn straight on the face, with no background of its own.
    for (int x = 0; x < b->Width(); ++x) ASSERT_NE(Px(b, x, 15), RGB(255, 255, 255)) << x;
    shoot(look, "normal");
    MoveTo(b, 40, 15);
    xt::Advance(400);  // any fade has settled
    EXPECT_EQ(face().first, "activeskinrect");
    shoot(look, "hot");
    const TPoint p = At(b, 40, 15);
    xt::MouseDown(xt::mbLeft, p.X, p.Y);
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(face().first, downFace);
    shoot(look, "pressed");
    xt::MouseUp(xt::mbLeft, p.X, p.Y);
    xt::Advance(400);
    EXPECT_TRUE(b->Focused());  // the press focused it: hot while focused
    EXPECT_EQ(face().first, "activeskinrect");
    MoveTo(form, 2, 2);
    FocusHolder()->SetFocus();
    xt::Advance(400);
    b->SetEnabled(false);
    xt::PumpUntilIdle();
    EXPECT_EQ(face().first, "disabledskinrect");
    shoot(look, "disabled");
    b->SetEnabled(true);
  };
  walk("test", "downskinrect");
  LoadSecondSkin();
  EXPECT_EQ(b->Width(), 97);  // the second skin's button stretches both ways too
  walk("second", "downskinrect");

  // The second skin's tool button has no pressed face of its own: pressed shows the hot face.
  b->SetSkinDataName("toolbutton");
  b->ChangeSkinData();
  walk("second-tool", "activeskinrect");

  // No skin: a one-pixel frame and a fill for normal, hot and pressed.
  b->SetSkinDataName("button");
  b->SetSkinData(nullptr);
  b->Repaint();
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(b, 0, 10), kBtnShadow);
  EXPECT_EQ(Px(b, 0, 0), kBtnShadow);  // the last skin's mask no longer cuts the corners
  EXPECT_EQ(Px(b, 5, 5), kBtnFace);
  shoot("none", "normal");
  MoveTo(b, 40, 15);
  EXPECT_EQ(Px(b, 0, 10), kNavy);
  EXPECT_EQ(Px(b, 5, 5), kHotFill);
  shoot("none", "hot");
  const TPoint p = At(b, 40, 15);
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
  EXPECT_EQ(Px(b, 96, 10), kNavy);
  EXPECT_EQ(Px(b, 5, 5), kDownFill);
  shoot("none", "pressed");
  xt::MouseUp(xt::mbLeft, p.X, p.Y);
  b->SetEnabled(false);  // disabled: the plain frame and a grey caption
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(b, 0, 10), kBtnShadow);
  EXPECT_EQ(Px(b, 5, 5), kBtnFace);
  shoot("none", "disabled");
}

TEST_F(ButtonTest, RecordsTheSkinCannotServeGiveTheDefaultLook) {
  LoadSecondSkin();
  // Missing entirely, without a picture, and of another class than a button takes.
  for (const char* name : { "bigtoolmenubutton", "resizebutton", "bigtoolbutton" }) {
    SCOPED_TRACE(name);
    auto* b = NewButton(30, 30, 70, 26, name);
    b->SetSkinData(skin);
    Show();
    EXPECT_EQ(Px(b, 5, 5), kBtnFace);
    EXPECT_EQ(Px(b, 0, 5), kBtnShadow);
    delete b;
  }
}

// ---- Mouse ------------------------------------------------------------------------------------------------

TEST_F(ButtonTest, APressActsOnlyWhenReleasedOverTheButton) {
  auto* b = NewButton(30, 30);
  auto* thief = NewButton(150, 30);
  Show();
  ClickAt(b, 10, 10);
  EXPECT_EQ(ClicksOf(b), 1);
  EXPECT_FALSE(b->Down());

  // Pressed, dragged off, released outside: no click, the button comes up.
  const TPoint in = At(b, 10, 10), out = At(b, 10, 60);
  xt::MouseDown(xt::mbLeft, in.X, in.Y);
  EXPECT_TRUE(b->Down());
  xt::MouseMove(out.X, out.Y);
  EXPECT_FALSE(b->MouseIn());
  xt::MouseUp(xt::mbLeft, out.X, out.Y);
  EXPECT_FALSE(b->MouseIn());
  EXPECT_EQ(ClicksOf(b), 1);
  EXPECT_FALSE(b->Down());

  // Pressed, then another window takes the mouse: the press is cancelled and the release is nobody's.
  xt::MouseDown(xt::mbLeft, in.X, in.Y);
  SetCapture(thief->Handle());
  EXPECT_FALSE(b->Down());
  EXPECT_FALSE(b->Pressed());
  ReleaseCapture();
  xt::MouseUp(xt::mbLeft, in.X, in.Y);
  EXPECT_EQ(ClicksOf(b), 1);
}

TEST_F(ButtonTest, AHeldRepeatButtonClicksOnTheClockAndPausesOutside) {
  auto* b = NewButton(30, 30);
  b->SetRepeatMode(true);
  Show();
  const TPoint in = At(b, 10, 10), out = At(b, 10, 70);
  xt::MouseDown(xt::mbLeft, in.X, in.Y);
  EXPECT_EQ(ClicksOf(b), 0);  // the first repeat comes one interval after the press
  xt::Advance(99);
  EXPECT_EQ(ClicksOf(b), 0);
  xt::Advance(1);
  EXPECT_EQ(ClicksOf(b), 1);
  xt::Advance(250);  // 350 ms held: 100, 200, 300
  EXPECT_EQ(ClicksOf(b), 3);
  xt::MouseMove(out.X, out.Y);
  EXPECT_FALSE(b->Repeat().Running());
  xt::Advance(500);
  EXPECT_EQ(ClicksOf(b), 3);
  xt::MouseMove(in.X, in.Y);  // back over it: repeating again, a whole interval later
  xt::Advance(100);
  EXPECT_EQ(ClicksOf(b), 4);
  xt::MouseUp(xt::mbLeft, in.X, in.Y);  // the release adds one
  EXPECT_EQ(ClicksOf(b), 5);
  EXPECT_FALSE(b->Repeat().Running());
  xt::Advance(500);
  EXPECT_EQ(ClicksOf(b), 5);

  // Disabling a held button stops it for good.
  xt::MouseDown(xt::mbLeft, in.X, in.Y);
  xt::Advance(100);
  b->SetEnabled(false);
  xt::Advance(500);
  xt::MouseUp(xt::mbLeft, in.X, in.Y);
  EXPECT_EQ(ClicksOf(b), 6);
  EXPECT_FALSE(b->Repeat().Running());
}

TEST_F(ButtonTest, TheHoverFadeTakesElevenStepsThenSettlesAndFreesItsTimer) {
  LoadTestSkin();
  auto* b = NewButton(30, 30, 90, 30);
  b->SetCaption("Fade");
  b->SetSkinData(skin);
  Show();
  ASSERT_TRUE(b->Morphing());
  MoveTo(b, 40, 15);
  EXPECT_TRUE(b->Morph().Running());
  EXPECT_EQ(b->MorphKf(), 0.0);
  xt::Advance(100);
  EXPECT_NEAR(b->MorphKf(), 0.5, 1e-9);
  // Half way the face is neither the normal nor the hot one all along.
  std::set<uint8_t> codes;
  for (int x = 6; x < 84; ++x) codes.insert(Code(b, x, 15).code);
  EXPECT_NE(codes, std::set<uint8_t> { RectCode("skinrect") });
  EXPECT_NE(codes, std::set<uint8_t> { RectCode("activeskinrect") });
  Gallery(b, "bsSkinCtrls", "test-fading");
  xt::Advance(100);  // ten steps: just below 1
  EXPECT_LT(b->MorphKf(), 1.0);
  xt::Advance(20);  // the eleventh overshoots
  EXPECT_GT(b->MorphKf(), 1.0);
  EXPECT_TRUE(b->Morph().Running());
  xt::Advance(20);  // and the next tick settles
  EXPECT_EQ(b->MorphKf(), 1.0);
  EXPECT_FALSE(b->Morph().Running());
  EXPECT_EQ(Face(b, 3, 15), "activeskinrect");

  MoveTo(form, 2, 2);  // back the same way
  xt::Advance(220);
  EXPECT_LT(b->MorphKf(), 0.0);
  xt::Advance(20);
  EXPECT_EQ(b->MorphKf(), 0.0);
  EXPECT_FALSE(b->Morph().Running());
  EXPECT_EQ(Face(b, 3, 15), "skinrect");

  // Unskinned, a fade settles on its first tick without steps.
  b->SetSkinData(nullptr);
  MoveTo(b, 40, 15);
  xt::Advance(20);
  EXPECT_FALSE(b->Morph().Running());
}

// ---- Groups ------------------------------------------------------------------------------------------------

TEST_F(ButtonTest, AGroupKeepsOneButtonDownOrTogglesWithAllowAllUp) {
  TbsSkinButton* g[3];
  for (int i = 0; i < 3; ++i) {
    g[i] = NewButton(10 + 80 * i, 30);
    g[i]->SetGroupIndex(1);
  }
  auto* loner = NewButton(10, 80);
  loner->SetGroupIndex(2);
  Show();
  EXPECT_FALSE(g[0]->CanFocused());
  const TPoint p = At(g[1], 10, 10);
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
  EXPECT_EQ(ClicksOf(g[1]), 1);  // a group button acts as it goes down
  xt::MouseUp(xt::mbLeft, p.X, p.Y);
  EXPECT_EQ(ClicksOf(g[1]), 1);
  ClickAt(g[0], 10, 10);
  loner->SetDown(true);
  EXPECT_TRUE(g[0]->Down());
  EXPECT_FALSE(g[1]->Down());
  EXPECT_FALSE(g[2]->Down());
  EXPECT_TRUE(loner->Down());  // another group is not touched
  ClickAt(g[0], 10, 10);       // down already: nothing happens
  EXPECT_TRUE(g[0]->Down());
  EXPECT_EQ(ClicksOf(g[0]), 1);

  for (auto* b : g) b->SetAllowAllUp(true);
  ClickAt(g[2], 10, 10);
  EXPECT_TRUE(g[2]->Down());
  EXPECT_TRUE(g[0]->Down());  // pressing one leaves the others
  ClickAt(g[2], 10, 10);      // a down button clicked again comes up
  EXPECT_FALSE(g[2]->Down());
  EXPECT_EQ(ClicksOf(g[2]), 2);
  EXPECT_EQ(form->ModalResult(), mrNone);
}

// ---- Keyboard ------------------------------------------------------------------------------------------------

TEST_F(ButtonTest, ReturnAndEscapeReachTheDefaultAndCancelButtons) {
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetBounds(10, 10, 100, 22);
  auto* ok = NewButton(10, 50);
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  auto* cancel = NewButton(100, 50);
  cancel->SetCancel(true);
  auto* other = NewButton(190, 50);
  Show();
  edit->SetFocus();
  xt::PumpUntilIdle();
  EXPECT_TRUE(ok->MouseIn());  // the default button looks hot while the focus is on a non-button
  Press(VK_RETURN);
  EXPECT_EQ(ClicksOf(ok), 1);
  EXPECT_EQ(form->ModalResult(), mrOk);
  form->SetModalResult(mrNone);

  other->SetFocus();
  xt::PumpUntilIdle();
  EXPECT_FALSE(ok->DefaultActive());
  EXPECT_FALSE(ok->MouseIn());
  Press(VK_RETURN);  // the focused button answers, once
  EXPECT_EQ(ClicksOf(other), 1);
  EXPECT_EQ(ClicksOf(ok), 1);

  Press(VK_ESCAPE, xt::ssShift);
  EXPECT_EQ(ClicksOf(cancel), 0);
  Press(VK_ESCAPE);
  EXPECT_EQ(ClicksOf(cancel), 1);
  cancel->SetCanFocused(false);  // an unfocusable button answers no Escape and sets no ModalResult
  Press(VK_ESCAPE);
  EXPECT_EQ(ClicksOf(cancel), 1);
  ok->SetCanFocused(false);
  ClickAt(ok, 10, 10);
  EXPECT_EQ(ClicksOf(ok), 2);
  EXPECT_EQ(form->ModalResult(), mrNone);
}

TEST_F(ButtonTest, SpaceClicksOnReleaseAndEveryRepeatedKeyDownOfARepeatButton) {
  auto* b = NewButton(10, 10);
  b->SetCaption("&Go");
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetBounds(10, 60, 100, 22);
  Show();
  b->SetFocus();
  Key(true, VK_SPACE);
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(ClicksOf(b), 0);
  Key(false, VK_SPACE);
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(ClicksOf(b), 1);
  b->SetRepeatMode(true);
  for (int i = 0; i < 3; ++i) Key(true, VK_SPACE);
  Key(false, VK_SPACE);
  EXPECT_EQ(ClicksOf(b), 5);
  // The accelerator from another control focuses the button and clicks it.
  b->SetRepeatMode(false);
  edit->SetFocus();
  Press('G', xt::ssAlt);
  EXPECT_TRUE(b->Focused());
  EXPECT_EQ(ClicksOf(b), 6);
}

// ---- Glyphs and actions -------------------------------------------------------------------------------------

TEST_F(ButtonTest, TheGlyphCellFollowsTheStateAsFarAsTheStripReaches) {
  // Four 8 x 10 cells: red, green, blue, yellow, each with a key-coloured bottom-left pixel.
  const COLORREF cells[] = { RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0) };
  auto strip = [&](int n) {
    auto g = std::make_unique<TBitmap>();
    g->SetSize(8 * n, 10);
    for (int i = 0; i < n; ++i) {
      g->Canvas()->Brush()->SetColor(static_cast<int32_t>(cells[i]));
      g->Canvas()->FillRect(TRect(8 * i, 0, 8 * i + 8, 10));
      g->Canvas()->SetPixels(8 * i, 9, static_cast<int32_t>(RGB(255, 0, 255)));
    }
    return g;
  };
  auto* b = NewButton(10, 10, 60, 30);
  b->SetMargin(3);
  Show();
  // The glyph's middle: (3 + 4, 15) up, one pixel further when pressed.
  auto cell = [&](int x = 7, int y = 15) { return Px(b, x, y); };
  struct Case {
    int numGlyphs;
    bool enabled, hot, pressed;
    COLORREF expect;
  };
  const Case cases[] = {
    { 4, true, false, false, cells[0] }, { 4, true, true, false, cells[3] },   { 4, true, true, true, cells[2] },
    { 3, true, true, false, cells[0] },  { 2, false, false, false, cells[1] }, { 1, false, false, false, cells[0] },
    { 1, true, true, true, cells[0] },
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.numGlyphs << (k.enabled ? "" : " disabled") << (k.hot ? " hot" : "")
                                    << (k.pressed ? " pressed" : ""));
    b->SetGlyph(strip(k.numGlyphs).get());
    b->SetNumGlyphs(k.numGlyphs);
    b->SetEnabled(k.enabled);
    if (k.hot)
      MoveTo(b, 40, 15);
    else
      MoveTo(form, 1, 1);
    const TPoint p = At(b, 40, 15);
    if (k.pressed) xt::MouseDown(xt::mbLeft, p.X, p.Y);
    xt::PumpUntilIdle();
    EXPECT_EQ(cell(), k.expect);
    if (k.pressed) xt::MouseUp(xt::mbLeft, p.X, p.Y);
  }
  Gallery(b, "bsSkinCtrls", "none-glyph");
}

TEST_F(ButtonTest, AnActionGivesItsImageAsGlyphAndRunsOnTheClick) {
  auto* images = new TImageList(form);
  images->SetSize(6, 6);
  TBitmap pic;
  pic.SetSize(6, 6);
  pic.Canvas()->Brush()->SetColor(static_cast<int32_t>(RGB(0, 200, 0)));
  pic.Canvas()->FillRect(TRect(0, 0, 6, 6));
  images->Add(&pic, nullptr);
  images->Add(&pic, nullptr);
  auto* list = new TActionList(form);
  list->SetImages(images);
  auto* action = new TAction(form);
  action->SetActionList(list);
  action->SetCaption("Act");
  action->SetImageIndex(1);
  int executed = 0;
  action->SetOnExecute(On<TNotifyEvent>([&](TObject*) { ++executed; }));
  auto* b = NewButton(10, 10, 80, 26);
  b->SetAction(action);
  Show();
  EXPECT_EQ(b->Caption(), "Act");
  EXPECT_EQ(b->Glyph()->Width(), 6);
  EXPECT_EQ(b->Glyph()->Canvas()->Pixels(2, 2).Value, static_cast<int32_t>(RGB(0, 200, 0)));
  ClickAt(b, 60, 13);
  EXPECT_EQ(executed, 1);
  EXPECT_EQ(ClicksOf(b), 1);
}

// ---- Lifetime and streaming ----------------------------------------------------------------------------

TEST_F(ButtonTest, AButtonFreedFromItsOwnRepeatOrDuringAFadeLeavesNothingBehind) {
  LoadTestSkin();
  auto* b = NewButton(10, 10);
  b->SetRepeatMode(true);
  int ticks = 0;
  b->OnClick = On<TNotifyEvent>([&](TObject* sender) {
    if (++ticks == 2) delete static_cast<TbsSkinButton*>(sender);
  });
  Show();
  const TPoint p = At(b, 10, 10);
  auto life = b->LifeToken();
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
  xt::Advance(250);
  EXPECT_TRUE(life.expired());
  EXPECT_EQ(ticks, 2);
  xt::MouseUp(xt::mbLeft, p.X, p.Y);
  xt::Advance(300);
  EXPECT_EQ(ticks, 2);

  auto* fading = NewButton(100, 10);
  fading->SetSkinData(skin);
  MoveTo(fading, 20, 10);
  xt::Advance(60);
  ASSERT_TRUE(fading->Morph().Running());
  delete fading;
  xt::Advance(300);  // no tick reaches the freed button
}

namespace {

class TButtonForm : public TForm {
  XJ_CLASS(TButtonForm, TForm)
 public:
  explicit TButtonForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(ButtonTest, EveryPropertySurvivesAFormRoundTrip) {
  auto* a = new TButtonForm(nullptr);
  Keep(a);
  auto* b = new TbsSkinButton(a);
  b->SetName("Button1");
  b->SetParent(a);
  b->SetCaption("保存");
  b->SetSpacing(4);
  b->SetLayout(blGlyphTop);
  b->SetRepeatMode(true);
  b->SetRepeatInterval(70);
  b->SetGroupIndex(3);
  b->SetAllowAllUp(true);
  b->SetDown(true);
  b->SetNumGlyphs(3);
  b->SetDefault(true);
  b->SetCancel(true);
  b->SetModalResult(mrCancel);
  auto* plain = new TbsSkinButton(a);
  plain->SetName("Button2");
  plain->SetParent(a);
  const AnsiString text = WriteComponentResource(a);
  EXPECT_EQ(text.find("Margin"), AnsiString::npos) << text;  // at its default, -1
  auto* c = new TButtonForm(nullptr);
  Keep(c);
  ReadComponentResource(c, text);
  auto* back = dynamic_cast<TbsSkinButton*>(c->FindComponent("Button1"));
  auto* back2 = dynamic_cast<TbsSkinButton*>(c->FindComponent("Button2"));
  ASSERT_NE(back, nullptr);
  ASSERT_NE(back2, nullptr);
  EXPECT_EQ(back->Caption(), "保存");
  EXPECT_EQ(back->Spacing(), 4);
  EXPECT_EQ(back->Margin(), -1);
  EXPECT_EQ(back->Layout(), blGlyphTop);
  EXPECT_TRUE(back->RepeatMode());
  EXPECT_EQ(back->RepeatInterval(), 70);
  EXPECT_EQ(back->GroupIndex(), 3);
  EXPECT_FALSE(back->CanFocused());
  EXPECT_TRUE(back->AllowAllUp());
  EXPECT_TRUE(back->Down());
  EXPECT_EQ(back->NumGlyphs(), 3);
  EXPECT_TRUE(back->Default());
  EXPECT_TRUE(back->Cancel());
  EXPECT_EQ(back->ModalResult(), mrCancel);
  // The constructor's values come back for what was not set.
  EXPECT_EQ(back2->Spacing(), 1);
  EXPECT_EQ(back2->NumGlyphs(), 2);
  EXPECT_EQ(back2->RepeatInterval(), 100);
  EXPECT_TRUE(back2->CanFocused());
  EXPECT_TRUE(back2->TabStop());
  EXPECT_EQ(back2->SkinDataName(), "button");
  EXPECT_EQ(back2->Width(), 75);
  EXPECT_EQ(WriteComponentResource(c), text);
}
