// Skinned controls on a real X server: a form of them with the generated test skin, shown on a private
// Xvfb through the x11 display back-end, clicked with xdotool and read back from the server. The server
// must show exactly what the controls drew (their faces decode to their records' owners), and the
// clicks must reach the controls as a user's would. Timers stay on the manual clock, so no fade or
// repeat runs unless the test advances it. A screenshot of the display is written under the build tree.

#include <string>
#include <vector>

#include "skin/controls/bsSkinCtrls.h"
#include "tests/support/x11/X11ControlsTest.h"
#include "tools/mkskin/SkinColours.h"

using namespace ctltest;

namespace {

class SkinnedFormX11 : public xj::test::X11InputTest {
 protected:
  static TPoint Centre(const TRect& r) { return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }

  // The form's client area as the server shows it and as the controls drew it (0xRRGGBB).
  std::vector<uint32_t> OnServer() const {
    const TPoint o = form->ClientToScreen(TPoint(0, 0));
    return X().ScreenPixels(o.X, o.Y, form->ClientWidth(), form->ClientHeight());
  }
  std::vector<uint32_t> Drawn() const {
    std::vector<uint32_t> out;
    for (COLORREF c : xt::WindowPixels(form->Handle(), false))
      out.push_back(uint32_t { GetRValue(c) } << 16 | uint32_t { GetGValue(c) } << 8 | GetBValue(c));
    return out;
  }
  // Waits until the server shows every pixel the controls drew; on failure, says where it differs.
  ::testing::AssertionResult ServerShowsTheForm() const {
    std::vector<uint32_t> server, drawn;
    if (Eventually([&] { return (server = OnServer()) == (drawn = Drawn()); })) return ::testing::AssertionSuccess();
    if (server.size() != drawn.size())
      return ::testing::AssertionFailure() << server.size() << " pixels on the server, " << drawn.size() << " drawn";
    size_t differ = 0, first = 0;
    for (size_t i = server.size(); i-- > 0;)
      if (server[i] != drawn[i]) ++differ, first = i;
    const int w = form->ClientWidth();
    return ::testing::AssertionFailure() << differ << " pixels differ, the first at (" << first % w << ", " << first / w
                                         << "): 0x" << std::hex << server[first] << " on the server, 0x" << drawn[first]
                                         << " drawn";
  }
  // What the server shows at a control's client point, decoded by the test skin's colour code.
  static mkskin::DecodedPixel OnServerAt(TControl* c, TPoint p) {
    const TPoint s = c->ClientToScreen(p);
    return mkskin::DecodePixel(X().ScreenPixel(s.X, s.Y));
  }
  uint8_t OwnerOf(const char* name) const { return mkskin::ControlOwner(skin->GetControlIndex(name)); }

  TForm* form {};
  TbsSkinData* skin {};
};

// A user's session with a skinned form: what the server shows matches what every control drew, face by
// face; a click on the button fires OnClick once, a click on the check box checks it and the server then
// shows the checked image, and a click on the scroll bar's forward arrow moves it one step and its thumb
// with it on the server.
TEST_F(SkinnedFormX11, AFormOfSkinnedControlsIsShownClickedAndReadBackFromTheServer) {
  form = NewForm(150, 110, 463, 311);
  form->SetCaption("xj-skinned");
  form->SetColor(static_cast<int32_t>(RGB(0, 96, 0)));
  skin = new TbsSkinData(form);
  skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
  auto place = [&](auto* c, TWinControl* parent, int l, int t, int w, int h, const char* caption) {
    c->SetParent(parent);
    c->SetBounds(l, t, w, h);
    c->SetCaption(caption);
    c->SetSkinData(skin);
    return c;
  };
  auto* panel = place(new TbsSkinPanel(form), form, 10, 10, 221, 133, "");
  auto* box = place(new TbsSkinCheckRadioBox(form), panel, 12, 30, 151, 20, "Check box");
  auto* gauge = place(new TbsSkinGauge(form), panel, 12, 70, 183, 21, "");
  auto* button = place(new TbsSkinButton(form), form, 248, 12, 97, 31, "OK");
  auto* bar = place(new TbsSkinScrollBar(form), form, 248, 60, 187, 16, "");
  auto* track = place(new TbsSkinTrackBar(form), form, 248, 92, 181, 20, "");
  auto* label = place(new TbsSkinLabel(form), form, 248, 128, 123, 20, "Label");
  auto* group = place(new TbsSkinGroupBox(form), form, 10, 158, 221, 117, "Group box");
  bar->SetRange(0, 50, 0, 0);
  gauge->SetValue(37);
  track->SetValue(60);
  int clicks = 0, changes = 0;
  button->OnClick = On<TNotifyEvent>([&](TObject*) { ++clicks; });
  bar->OnChange = On<TNotifyEvent>([&](TObject*) { ++changes; });
  form->Show();
  xt::PumpUntilIdle();
  unsigned long window = 0;
  ASSERT_TRUE(Eventually([&] { return X().Viewable(window = X().FindWindow("xj-skinned")); }))
      << "the form never showed on the X server";

  ASSERT_TRUE(ServerShowsTheForm());
  // Each face on the server came from its own record: a point on its left edge band, clear of captions.
  const std::pair<TControl*, const char*> faces[] = {
    { panel, "panel" },    { box, "checkbox" },    { gauge, "gauge" }, { button, "button" },
    { bar, "hscrollbar" }, { track, "htrackbar" }, { label, "label" }, { group, "groupbox" },
  };
  for (const auto& [c, name] : faces) {
    const auto px = OnServerAt(c, TPoint(3, c->Height() / 2));
    EXPECT_EQ(px.owner, OwnerOf(name)) << name;
    EXPECT_NE(px.code, 0) << name;
  }
  const TPoint image(box->NewCheckImageArea.Left + 1, box->NewCheckImageArea.Top + 1);
  EXPECT_EQ(OnServerAt(box, image).code, mkskin::KeyCode("uncheckimagerect"));

  ASSERT_TRUE(ClickOn(button, TPoint(40, 15)));
  EXPECT_TRUE(Eventually([&] { return clicks == 1; }));
  EXPECT_FALSE(button->Down());

  ASSERT_TRUE(ClickOn(box, TPoint(60, 10)));
  EXPECT_TRUE(Eventually([&] { return box->Checked(); }));

  const TPoint thumbBefore = bar->Button(TbsSkinScrollBar::bpThumb).R.TopLeft();
  ASSERT_TRUE(ClickOn(bar, Centre(bar->Button(TbsSkinScrollBar::bpUp).R)));
  EXPECT_TRUE(Eventually([&] { return !bar->Button(TbsSkinScrollBar::bpUp).Down && changes == 1; }));
  EXPECT_EQ(bar->Position(), 1);
  EXPECT_GT(bar->Button(TbsSkinScrollBar::bpThumb).R.Left, thumbBefore.X);

  // The pointer away on the form's own background, every fade run out: the resting faces.
  ASSERT_TRUE(Xdotool("mousemove " + At(form, TPoint(form->ClientWidth() - 9, form->ClientHeight() - 7))));
  EXPECT_TRUE(Eventually([&] { return !box->MouseIn() && !button->MouseIn(); }));
  for (int step = 0; step < 100 && (box->MorphRunning() || button->Morph().Running()); ++step) xt::Advance(20);
  EXPECT_FALSE(box->MorphRunning() || button->Morph().Running());
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(bar->Position(), 1) << "nothing repeats while the clock stands";
  ASSERT_TRUE(ServerShowsTheForm());
  EXPECT_EQ(OnServerAt(box, image).code, mkskin::KeyCode("checkimagerect"));
  // The thumb's face beside the glyph in its middle, where it now lies.
  const auto thumb = OnServerAt(bar, TPoint(bar->Button(TbsSkinScrollBar::bpThumb).R.Left + 2, 2));
  EXPECT_EQ(thumb.owner, OwnerOf("hscrollbar"));
  EXPECT_EQ(mkskin::KeyOfCode(thumb.code), "thumbrect");

  const std::string shot = xj::test::ScreenshotPath("x11-skinned");
  EXPECT_EQ(xj::test::RunWhilePumping("import -window root '" + shot + "'", [] { xt::PumpUntilIdle(); }), 0);
}

}  // namespace
