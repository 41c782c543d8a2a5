// The windowless skinned bases and speed buttons as a user meets them: faces of every state in the test
// skin, the second skin and without a skin, driven by the mouse through the parent; clicks, repeats and
// the hover fade on the manual clock; groups and all-up; glyph cells; the drop-down menu; streaming; and
// records the skin cannot serve.

#include <set>

#include "platform/vcl/Menus.h"
#include "skin/controls/bsSkinCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

constexpr COLORREF kBtnFace = RGB(192, 192, 192);
constexpr COLORREF kBtnShadow = RGB(128, 128, 128);
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kHotFill = RGB(182, 189, 210);
constexpr COLORREF kDownFill = RGB(133, 147, 181);

class SpeedButtonTest : public SkinControlsTest {
 protected:
  template <class B = TbsSkinSpeedButton>
  B* NewButton(int l, int t, int w = 75, int h = 25) {
    auto* b = new B(form);
    b->SetParent(form);
    b->SetBounds(l, t, w, h);
    b->OnClick = On<TNotifyEvent>([this, b](TObject*) { clicks.push_back(b); });
    return b;
  }
  int ClicksOf(TControl* b) const { return static_cast<int>(std::count(clicks.begin(), clicks.end(), b)); }
  std::string_view Face(TControl* c, int x, int y) const { return mkskin::KeyOfCode(Code(c, x, y).code); }
  static void Press(TControl* c, int x, int y, xt::Button button = xt::mbLeft) {
    const TPoint p = At(c, x, y);
    xt::MouseDown(button, p.X, p.Y);
  }
  static void Release(TControl* c, int x, int y, xt::Button button = xt::mbLeft) {
    const TPoint p = At(c, x, y);
    xt::MouseUp(button, p.X, p.Y);
  }
  // A strip of four 6 x 6 cells in distinct colours on a fuchsia corner (the transparent colour).
  static std::unique_ptr<TBitmap> Strip() {
    auto g = std::make_unique<TBitmap>();
    g->SetSize(32, 8);
    const TColor cells[] = { clRed, clLime, clBlue, clYellow };
    g->Canvas()->Brush()->SetColor(clFuchsia);
    g->Canvas()->FillRect(TRect(0, 0, 32, 8));
    for (int i = 0; i < 4; ++i) {
      g->Canvas()->Brush()->SetColor(cells[i]);
      g->Canvas()->FillRect(TRect(i * 8 + 1, 1, i * 8 + 7, 7));
    }
    return g;
  }

  std::vector<TObject*> clicks;
};

}  // namespace

// ---- Looks ----------------------------------------------------------------------------------------------

TEST_F(SpeedButtonTest, EveryStateShowsItsFaceInBothSkinsAndTheDefaultLookWithout) {
  LoadTestSkin();
  auto* b = NewButton(20, 20, 97, 31);
  b->SetCaption("工具 Tool");
  b->SetSkinData(skin);
  ShowUnfocused();
  auto shoot = [&](const char* look, const char* state) { Gallery(b, "bsSkinCtrls", std::string(look) + "-" + state); };
  auto walk = [&](const char* look, std::string_view downFace) {
    SCOPED_TRACE(look);
    const uint8_t owner = OwnerOf("toolbutton");
    ASSERT_NE(owner, 0);
    MoveTo(form, 2, 2);
    xt::Advance(400);
    xt::PumpUntilIdle();
    EXPECT_EQ(Face(b, 2, 15), "skinrect");
    EXPECT_EQ(Code(b, 2, 15).owner, owner);
    shoot(look, "normal");
    MoveTo(b, 40, 15);
    xt::Advance(400);  // the fade has settled
    EXPECT_EQ(Face(b, 2, 15), "activeskinrect");
    shoot(look, "hot");
    Press(b, 40, 15);
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(Face(b, 2, 15), downFace);
    shoot(look, "pressed");
    Release(b, 40, 15);
    xt::Advance(400);
    EXPECT_EQ(Face(b, 2, 15), "activeskinrect");  // no focus here: hot because the mouse is on it
    MoveTo(form, 2, 2);
    xt::Advance(400);
    b->SetEnabled(false);
    xt::PumpUntilIdle();
    EXPECT_EQ(Face(b, 2, 15), "disabledskinrect");
    shoot(look, "disabled");
    b->SetEnabled(true);
  };
  walk("test", "downskinrect");
  LoadSecondSkin();
  EXPECT_EQ(b->Width(), 97);         // stretched both ways in the second skin too
  walk("second", "activeskinrect");  // the second skin's tool button has no pressed face

  b->SetSkinData(nullptr);
  b->Repaint();
  MoveTo(form, 2, 2);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(b, 0, 10), kBtnShadow);
  EXPECT_EQ(Px(b, 4, 4), kBtnFace);
  shoot("none", "normal");
  MoveTo(b, 40, 15);
  EXPECT_EQ(Px(b, 0, 10), kNavy);
  EXPECT_EQ(Px(b, 4, 4), kHotFill);
  shoot("none", "hot");
  Press(b, 40, 15);
  EXPECT_EQ(Px(b, 96, 10), kNavy);
  EXPECT_EQ(Px(b, 4, 4), kDownFill);
  shoot("none", "pressed");
  Release(b, 40, 15);
  b->SetFlat(true);  // flat and idle: no frame
  MoveTo(form, 2, 2);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(b, 0, 10), kBtnFace);
  shoot("none", "flat");
}

TEST_F(SpeedButtonTest, RecordsTheSkinCannotServeGiveTheDefaultLookAndAFixedRecordItsOwnSize) {
  LoadSecondSkin();
  // Missing, without a picture, of another class.
  for (const char* name : { "bigtoolmenubutton", "resizebutton", "bigtoolbutton" }) {
    SCOPED_TRACE(name);
    auto* b = NewButton(30, 30, 70, 26);
    b->SetSkinDataName(name);
    b->SetSkinData(skin);
    ShowUnfocused();
    EXPECT_EQ(b->Width(), 70);
    EXPECT_EQ(Px(b, 5, 5), kBtnFace);
    EXPECT_EQ(Px(b, 0, 5), kBtnShadow);
    delete b;
  }
  // The base alone: the default look is the button face; a fixed-size record forces its size.
  auto* c = new TbsGraphicSkinCustomControl(form);
  c->SetParent(form);
  c->SetBounds(150, 30, 50, 40);
  c->SetSkinDataName("nosuchrecord");
  c->SetSkinData(skin);
  ShowUnfocused();
  EXPECT_EQ(c->Width(), 50);
  EXPECT_EQ(Px(c, 10, 10), kBtnFace);
  c->SetDefaultWidth(0);
  c->SetDefaultHeight(-3);
  EXPECT_EQ(c->Width(), 50);
  EXPECT_EQ(c->Height(), 40);
  c->SetSkinDataName("hupdown");
  c->ChangeSkinData();
  EXPECT_EQ(c->ResizeMode(), 0);
  EXPECT_EQ(c->Width(), 36);
  c->SetBounds(150, 30, 90, 90);
  EXPECT_EQ(c->Width(), 36);
  EXPECT_EQ(c->Height(), 18);
  EXPECT_EQ(Code(c, 5, 5).owner, OwnerOf("hupdown"));
  // The skin data freed: the reference goes and the default look comes back at the next paint.
  delete skin;
  skin = nullptr;
  EXPECT_EQ(c->SkinData(), nullptr);
  c->Repaint();
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(c, 5, 5), kBtnFace);
}

TEST_F(SpeedButtonTest, GlyphCellsFollowTheStateAsFarAsTheStripReaches) {
  auto* b = NewButton(20, 20, 60, 30);
  const auto strip = Strip();
  ShowUnfocused();
  // The glyph alone, centred: its middle pixel tells the cell.
  const int cx = 30, cy = 15;
  struct Case {
    int num;
    COLORREF normal, hot, pressed, disabled;
  };
  const Case cases[] = {
    { 1, RGB(255, 0, 0), RGB(255, 0, 0), RGB(255, 0, 0), RGB(255, 0, 0) },
    { 2, RGB(255, 0, 0), RGB(255, 0, 0), RGB(255, 0, 0), RGB(0, 255, 0) },
    { 3, RGB(255, 0, 0), RGB(255, 0, 0), RGB(0, 0, 255), RGB(0, 255, 0) },
    { 4, RGB(255, 0, 0), RGB(255, 255, 0), RGB(0, 0, 255), RGB(0, 255, 0) },
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.num);
    TBitmap cut;
    cut.SetSize(8 * c.num, 8);
    cut.Canvas()->CopyRect(TRect(0, 0, 8 * c.num, 8), strip->Canvas(), TRect(0, 0, 8 * c.num, 8));
    b->SetGlyph(&cut);
    b->SetNumGlyphs(c.num);
    MoveTo(form, 2, 2);
    EXPECT_EQ(Px(b, cx, cy), c.normal);
    MoveTo(b, 5, 5);
    EXPECT_EQ(Px(b, cx, cy), c.hot);
    Press(b, 5, 5);
    EXPECT_EQ(Px(b, cx + 1, cy + 1), c.pressed);  // pressed moves the glyph one pixel
    Release(b, 5, 5);
    MoveTo(form, 2, 2);
    b->SetEnabled(false);
    xt::PumpUntilIdle();
    EXPECT_EQ(Px(b, cx, cy), c.disabled);
    b->SetEnabled(true);
  }
  b->SetNumGlyphs(9);  // out of range: clamped
  EXPECT_EQ(b->NumGlyphs(), 4);
  b->SetNumGlyphs(0);
  EXPECT_EQ(b->NumGlyphs(), 1);
  TBitmap empty;
  b->SetGlyph(&empty);  // an empty glyph draws nothing and breaks nothing
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(b, cx, cy), kBtnFace);
}

TEST_F(SpeedButtonTest, ATransparentButtonShowsTheParentWhileIdleAndNeverFades) {
  LoadTestSkin();
  form->SetColor(clTeal);
  auto* b = NewButton(20, 20, 80, 30);
  b->SetTransparent(true);
  EXPECT_FALSE(b->ControlStyle().Contains(csOpaque));
  ShowUnfocused();
  EXPECT_EQ(Px(b, 3, 3), RGB(0, 128, 128));  // unskinned: only glyph and caption over the form
  MoveTo(b, 10, 10);
  EXPECT_EQ(Px(b, 3, 3), kHotFill);
  MoveTo(form, 2, 2);
  b->SetSkinData(skin);
  xt::PumpUntilIdle();
  EXPECT_FALSE(b->Morphing());  // the skin asks for the fade; a transparent button refuses it
  EXPECT_EQ(Px(b, 3, 3), RGB(0, 128, 128));
  MoveTo(b, 10, 10);
  EXPECT_FALSE(b->Morph().Running());
  EXPECT_EQ(Face(b, 3, 3), "activeskinrect");  // the full hot face at once
  Gallery(b, "bsSkinCtrls", "test-transparent-hot");
}

TEST_F(SpeedButtonTest, AFaceFollowsEveryChangeOfWhatItShows) {
  LoadTestSkin();
  struct Look {
    AnsiString caption = "Ab";
    int w = 61, h = 27;
    TColor glyph = clRed;
    TbsButtonLayout layout = blGlyphLeft;
    bool enabled = true;
  } look;
  auto paintGlyph = [](TBitmap* g, TColor c) {
    g->Canvas()->Brush()->SetColor(c);
    g->Canvas()->FillRect(TRect(1, 1, 7, 9));
  };
  auto make = [&](int l, int t) {
    auto* b = NewButton(l, t, look.w, look.h);
    TBitmap g;
    g.SetSize(8, 10);
    paintGlyph(&g, look.glyph);
    b->SetGlyph(&g);
    b->SetNumGlyphs(1);
    b->SetCaption(look.caption);
    b->SetLayout(look.layout);
    b->SetEnabled(look.enabled);
    b->SetSkinData(skin);
    return b;
  };
  // The idle face, then the hot one once the fade has settled.
  auto shots = [&](TbsSkinSpeedButton* b) {
    std::vector<COLORREF> px;
    for (bool hot : { false, true }) {
      if (hot)
        MoveTo(b, 3, 3);
      else
        MoveTo(form, 1, 1);
      xt::Advance(400);
      xt::PumpUntilIdle();
      for (int y = 0; y < b->Height(); ++y)
        for (int x = 0; x < b->Width(); ++x) px.push_back(Px(b, x, y));
    }
    MoveTo(form, 1, 1);
    xt::Advance(400);
    return px;
  };
  auto* kept = make(10, 10);
  ShowUnfocused();
  const std::vector<COLORREF> first = shots(kept);
  auto same = [&](const char* change) {
    SCOPED_TRACE(change);
    auto* fresh = make(150, 60);
    xt::PumpUntilIdle();
    const std::vector<COLORREF> want = shots(fresh);
    EXPECT_TRUE(shots(kept) == want);
    EXPECT_EQ(kept->Width(), fresh->Width());
    delete fresh;
    return want;
  };
  EXPECT_TRUE(same("nothing") == first);
  kept->SetCaption(look.caption = "Cd");
  EXPECT_FALSE(same("caption") == first);  // the change shows
  kept->SetBounds(10, 10, look.w = 83, look.h = 31);
  same("size");
  paintGlyph(kept->Glyph(), look.glyph = clBlue);  // drawn into the glyph in place
  kept->Repaint();
  same("glyph");
  kept->SetLayout(look.layout = blGlyphRight);
  same("layout");
  LoadSecondSkin();
  same("skin");
  kept->SetEnabled(look.enabled = false);
  same("enabled");
}

// ---- Mouse --------------------------------------------------------------------------------------------------

TEST_F(SpeedButtonTest, APressClicksOnReleaseOverTheButtonAndRepeatsOnTheClock) {
  auto* b = NewButton(30, 30);
  std::vector<std::string> events;
  b->OnMouseEnter = On<TNotifyEvent>([&](TObject*) { events.push_back("enter"); });
  b->OnMouseLeave = On<TNotifyEvent>([&](TObject*) { events.push_back("leave"); });
  ShowUnfocused();
  MoveTo(b, 10, 10);
  EXPECT_TRUE(b->MouseIn());
  ClickAt(b, 10, 10);
  EXPECT_EQ(ClicksOf(b), 1);
  EXPECT_FALSE(b->Down());
  // Dragged out and released outside: no click.
  Press(b, 10, 10);
  MoveTo(b, 10, 60);
  EXPECT_FALSE(b->MouseIn());
  EXPECT_EQ(Px(b, 4, 4), kBtnFace);  // held outside: the normal face
  MoveTo(b, 10, 12);
  EXPECT_EQ(Px(b, 4, 4), kDownFill);  // back over it: pressed again
  MoveTo(b, 10, 60);
  Release(b, 10, 60);
  EXPECT_EQ(ClicksOf(b), 1);
  EXPECT_FALSE(b->Down());
  EXPECT_EQ((std::vector<std::string> { "enter", "leave", "enter", "leave" }),
            std::vector<std::string>(events.begin(), events.begin() + std::min<size_t>(4, events.size())));

  b->SetRepeatMode(true);
  b->SetRepeatInterval(50);
  Press(b, 10, 10);
  xt::Advance(49);
  EXPECT_EQ(ClicksOf(b), 1);
  xt::Advance(1);
  EXPECT_EQ(ClicksOf(b), 2);
  xt::Advance(100);
  EXPECT_EQ(ClicksOf(b), 4);
  MoveTo(b, 10, 60);  // outside: paused
  xt::Advance(300);
  EXPECT_EQ(ClicksOf(b), 4);
  Release(b, 10, 60);  // released outside: the timed clicks stay, no more
  EXPECT_EQ(ClicksOf(b), 4);
  EXPECT_FALSE(b->Repeat().Running());
  // Disabled while held: the press ends, no stuck repeat.
  Press(b, 10, 10);
  b->SetEnabled(false);
  xt::Advance(300);
  Release(b, 10, 10);
  EXPECT_EQ(ClicksOf(b), 4);
  EXPECT_FALSE(b->Down());
}

TEST_F(SpeedButtonTest, TheReleaseReachesOnMouseUpBeforeTheClickItCauses) {
  std::vector<std::string> events;
  auto* b = NewButton(30, 30);
  auto* g = NewButton(120, 30);
  g->SetGroupIndex(1);
  g->SetAllowAllUp(true);
  for (TbsSkinSpeedButton* x : { b, g }) {
    const std::string n = x == b ? "plain" : "group";
    x->OnMouseDown =
        On<TMouseEvent>([&, n](TObject*, TMouseButton, TShiftState, int, int) { events.push_back(n + " down"); });
    x->OnMouseUp =
        On<TMouseEvent>([&, n](TObject*, TMouseButton, TShiftState, int, int) { events.push_back(n + " up"); });
    x->OnClick = On<TNotifyEvent>([&, n](TObject*) { events.push_back(n + " click"); });
  }
  ShowUnfocused();
  ClickAt(b, 10, 10);
  // A group button clicks as it goes down; raising it again clicks on the release.
  ClickAt(g, 10, 10);
  ClickAt(g, 10, 10);
  EXPECT_EQ(events, (std::vector<std::string> { "plain down", "plain up", "plain click", "group down", "group click",
                                                "group up", "group down", "group up", "group click" }));
  // A mouse-up handler that frees the button: no click from a freed button, nothing touched after.
  events.clear();
  b->OnMouseUp = On<TMouseEvent>([&](TObject*, TMouseButton, TShiftState, int, int) {
    events.push_back("freed");
    delete b;
  });
  ClickAt(b, 10, 10);
  EXPECT_EQ(events, (std::vector<std::string> { "plain down", "freed" }));
}

TEST_F(SpeedButtonTest, TheHoverFadeStepsOnTheClockAndSettles) {
  LoadTestSkin();
  auto* b = NewButton(30, 30, 90, 30);
  b->SetSkinData(skin);
  ShowUnfocused();
  ASSERT_TRUE(b->Morphing());
  MoveTo(b, 40, 15);
  EXPECT_TRUE(b->Morph().Running());
  xt::Advance(100);
  EXPECT_NEAR(b->MorphKf(), 0.5, 1e-9);
  std::set<uint8_t> codes;
  for (int x = 4; x < 86; ++x) codes.insert(Code(b, x, 15).code);
  EXPECT_GT(codes.size(), 1u);  // half way: parts of both faces
  Gallery(b, "bsSkinCtrls", "test-fading");
  xt::Advance(300);
  EXPECT_EQ(b->MorphKf(), 1.0);
  EXPECT_FALSE(b->Morph().Running());
  EXPECT_EQ(Face(b, 3, 15), "activeskinrect");
  auto life = b->LifeToken();
  MoveTo(form, 2, 2);
  xt::Advance(60);
  delete b;  // freed mid-fade: no tick reaches it
  xt::Advance(300);
  EXPECT_TRUE(life.expired());
}

TEST_F(SpeedButtonTest, AGroupKeepsOneButtonDownOrTogglesWithAllowAllUp) {
  TbsSkinSpeedButton* g[3];
  for (int i = 0; i < 3; ++i) {
    g[i] = NewButton(10 + 80 * i, 30);
    g[i]->SetGroupIndex(1);
  }
  auto* other = NewButton(10, 80);
  other->SetGroupIndex(2);
  ShowUnfocused();
  Press(g[1], 10, 10);
  EXPECT_EQ(ClicksOf(g[1]), 1);  // a group button clicks as it goes down
  Release(g[1], 10, 10);
  EXPECT_EQ(ClicksOf(g[1]), 1);
  EXPECT_EQ(Px(g[1], 4, 4), kDownFill);  // latched: pressed whether hot or not
  ClickAt(g[0], 10, 10);
  other->SetDown(true);
  EXPECT_TRUE(g[0]->Down());
  EXPECT_FALSE(g[1]->Down());
  EXPECT_TRUE(other->Down());
  ClickAt(g[0], 10, 10);  // latched already: no release, no click
  EXPECT_TRUE(g[0]->Down());
  EXPECT_EQ(ClicksOf(g[0]), 1);
  // A down button joining the group raises the group's other one.
  other->SetGroupIndex(1);
  EXPECT_TRUE(other->Down());
  EXPECT_FALSE(g[0]->Down());

  for (auto* b : g) b->SetAllowAllUp(true);
  ClickAt(g[2], 10, 10);
  EXPECT_TRUE(g[2]->Down());
  EXPECT_TRUE(other->Down());  // with AllowAllUp the others stay
  ClickAt(g[2], 10, 10);       // clicked again: up, and a click on release
  EXPECT_FALSE(g[2]->Down());
  EXPECT_EQ(ClicksOf(g[2]), 2);
}

TEST_F(SpeedButtonTest, AButtonFreedByItsOwnClickOrRepeatLeavesNothingBehind) {
  auto* b = NewButton(30, 30);
  b->OnClick = On<TNotifyEvent>([b](TObject*) { delete b; });
  ShowUnfocused();
  auto life = b->LifeToken();
  ClickAt(b, 10, 10);
  EXPECT_TRUE(life.expired());
  auto* r = NewButton(30, 30);
  int ticks = 0;
  r->SetRepeatMode(true);
  r->OnClick = On<TNotifyEvent>([&, r](TObject*) {
    if (++ticks == 2) delete r;
  });
  const TPoint p = At(r, 10, 10);
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
  xt::Advance(250);
  EXPECT_EQ(ticks, 2);
  xt::MouseUp(xt::mbLeft, p.X, p.Y);
  xt::Advance(300);
  EXPECT_EQ(ticks, 2);
}

TEST_F(SpeedButtonTest, ShowCaptionTakesTheWidthsOnlyWhenBothAreSet) {
  auto* b = NewButton(10, 10, 90, 25);
  b->SetCaption("Caption");
  b->SetShowCaption(false);
  EXPECT_EQ(b->Width(), 90);
  b->SetWidthWithCaption(90);
  b->SetWidthWithoutCaption(30);
  b->SetShowCaption(true);
  EXPECT_EQ(b->Width(), 90);
  b->SetShowCaption(false);
  EXPECT_EQ(b->Width(), 30);
  b->SetMargin(-2);  // refused
  EXPECT_EQ(b->Margin(), -1);
}

// ---- Menu --------------------------------------------------------------------------------------------------

TEST_F(SpeedButtonTest, AMenuButtonOpensItsMenuFromTheArrowPartAndStaysDownUntilItCloses) {
  struct Opened {
    TPopupMenu* menu;
    TControl* control;
    TRect r;
  };
  std::vector<Opened> opened;
  bool answer = true;
  SetSkinPopupFromRect([&](TPopupMenu* m, TControl* c, const TRect& r, bool) {
    opened.push_back({ m, c, r });
    return answer;
  });
  xj::ScopeExit restore([] { SetSkinPopupFromRect(nullptr); });
  auto* b = NewButton<TbsSkinMenuSpeedButton>(40, 30, 90, 26);
  auto* menu = new TPopupMenu(form);
  int shown = 0, hidden = 0;
  b->OnShowTrackMenu = On<TNotifyEvent>([&](TObject*) { ++shown; });
  b->OnHideTrackMenu = On<TNotifyEvent>([&](TObject*) { ++hidden; });
  ShowUnfocused();
  ClickAt(b, 10, 10);  // no menu: a plain button
  EXPECT_EQ(ClicksOf(b), 1);
  EXPECT_TRUE(opened.empty());

  b->SetSkinPopupMenu(menu);
  b->SetTrackButtonMode(true);
  ClickAt(b, 74, 10);  // just left of the 15-pixel arrow part: a click
  EXPECT_EQ(ClicksOf(b), 2);
  EXPECT_TRUE(opened.empty());
  Gallery(b, "bsSkinCtrls", "none-normal");
  Press(b, 75, 10);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].control, b);
  EXPECT_EQ(opened[0].r, TRect(At(b, 0, 0).X, At(b, 0, 0).Y, At(b, 90, 26).X, At(b, 90, 26).Y));
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(b->MenuTracked());
  EXPECT_EQ(Px(b, 4, 4), kHotFill);    // the button part hot
  EXPECT_EQ(Px(b, 78, 4), kDownFill);  // the arrow part pressed
  Gallery(b, "bsSkinCtrls", "none-tracked");
  Release(b, 75, 10);
  EXPECT_TRUE(b->Down());  // down until the menu says it closed
  EXPECT_EQ(ClicksOf(b), 2);
  b->Perform(WM_CLOSESKINMENU, 0, 0);
  EXPECT_FALSE(b->Down());
  EXPECT_FALSE(b->MenuTracked());
  EXPECT_EQ(hidden, 1);
  // A menu that does not open lets the button up at once.
  answer = false;
  Press(b, 80, 10);
  EXPECT_FALSE(b->Down());
  Release(b, 80, 10);
  EXPECT_EQ(ClicksOf(b), 2);
  // The menu freed: the reference goes.
  delete menu;
  EXPECT_EQ(b->SkinPopupMenu(), nullptr);

  LoadTestSkin();
  b->SetSkinPopupMenu(new TPopupMenu(form));
  b->SetSkinData(skin);
  answer = true;
  const TRect track = b->GetNewTrackButtonRect();
  EXPECT_EQ(track.Right, b->Width());  // the arrow part follows the right edge
  Press(b, track.Left, 10);
  EXPECT_EQ(opened.size(), 3u);
  Gallery(b, "bsSkinCtrls", "test-tracked");
  Release(b, track.Left, 10);
  b->Perform(WM_CLOSESKINMENU, 0, 0);
}

// ---- Streaming ------------------------------------------------------------------------------------------

namespace {

class TSpeedForm : public TForm {
  XJ_CLASS(TSpeedForm, TForm)
 public:
  explicit TSpeedForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(SpeedButtonTest, EveryPropertySurvivesAFormRoundTrip) {
  auto* a = new TSpeedForm(nullptr);
  Keep(a);
  auto* b = new TbsSkinMenuSpeedButton(a);
  b->SetName("Button1");
  b->SetParent(a);
  b->SetCaption("打开");
  b->SetSpacing(4);
  b->SetLayout(blGlyphBottom);
  b->SetRepeatMode(true);
  b->SetRepeatInterval(70);
  b->SetGroupIndex(3);
  b->SetAllowAllUp(true);
  b->SetDown(true);
  b->SetFlat(true);
  b->SetNumGlyphs(3);
  b->SetShowCaption(false);
  b->SetWidthWithCaption(80);
  b->SetWidthWithoutCaption(30);
  b->SetTrackButtonMode(true);
  b->SetDefaultWidth(33);
  b->SetTransparent(true);
  auto* plain = new TbsSkinSpeedButton(a);
  plain->SetName("Button2");
  plain->SetParent(a);
  const AnsiString text = WriteComponentResource(a);
  auto* c = new TSpeedForm(nullptr);
  Keep(c);
  ReadComponentResource(c, text);
  auto* back = dynamic_cast<TbsSkinMenuSpeedButton*>(c->FindComponent("Button1"));
  auto* back2 = dynamic_cast<TbsSkinSpeedButton*>(c->FindComponent("Button2"));
  ASSERT_NE(back, nullptr);
  ASSERT_NE(back2, nullptr);
  EXPECT_EQ(back->Caption(), "打开");
  EXPECT_EQ(back->Spacing(), 4);
  EXPECT_EQ(back->Layout(), blGlyphBottom);
  EXPECT_TRUE(back->RepeatMode());
  EXPECT_EQ(back->RepeatInterval(), 70);
  EXPECT_EQ(back->GroupIndex(), 3);
  EXPECT_TRUE(back->AllowAllUp());
  EXPECT_TRUE(back->Down());
  EXPECT_TRUE(back->Flat());
  EXPECT_EQ(back->NumGlyphs(), 3);
  EXPECT_FALSE(back->ShowCaption());
  EXPECT_EQ(back->WidthWithoutCaption(), 30);
  EXPECT_TRUE(back->TrackButtonMode());
  EXPECT_EQ(back->DefaultWidth(), 33);
  EXPECT_TRUE(back->Transparent());
  EXPECT_EQ(back->SkinDataName(), "toolmenubutton");
  EXPECT_EQ(back2->Spacing(), 1);
  EXPECT_EQ(back2->Margin(), -1);
  EXPECT_EQ(back2->NumGlyphs(), 2);
  EXPECT_EQ(back2->RepeatInterval(), 100);
  EXPECT_FALSE(back2->Transparent());
  EXPECT_TRUE(back2->ShowCaption());
  EXPECT_EQ(back2->SkinDataName(), "toolbutton");
  EXPECT_EQ(back2->Width(), 75);
  EXPECT_EQ(back2->DefaultFont()->Height(), 12);
  EXPECT_EQ(WriteComponentResource(c), text);
}
