// The skinned up-down as the tab controls that own it and the user who holds its arrows see it: the
// position rule, the click and hold-to-repeat scheme on the clock with every way a hold can end, its
// three looks, streaming and a skin switch.

#include <climits>

#include "skin/controls/bsSkinBoxCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

class UpDownTest : public SkinControlsTest {
 protected:
  TbsSkinUpDown* NewUpDown(int l, int t) {
    auto* u = new TbsSkinUpDown(form);
    u->SetParent(form);
    u->SetLeft(l);
    u->SetTop(t);
    u->OnChange = On<TNotifyEvent>([this](TObject*) { ++changes; });
    u->OnUpButtonClick = On<TNotifyEvent>([this](TObject*) { ++upClicks; });
    u->OnDownButtonClick = On<TNotifyEvent>([this](TObject*) { ++downClicks; });
    return u;
  }
  void Show() {
    form->Show();
    xt::PumpUntilIdle();
  }
  static TPoint Centre(const TRect& r) { return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }
  static void Down(TControl* c, TPoint p, xt::Button b = xt::mbLeft) {
    const TPoint s = At(c, p.X, p.Y);
    xt::MouseMove(s.X, s.Y);
    xt::MouseDown(b, s.X, s.Y);
  }
  static void Up(TControl* c, TPoint p, xt::Button b = xt::mbLeft) {
    const TPoint s = At(c, p.X, p.Y);
    xt::MouseUp(b, s.X, s.Y);
  }
  int changes = 0, upClicks = 0, downClicks = 0;
};

constexpr COLORREF kHot = RGB(182, 189, 210), kPressed = RGB(133, 147, 181), kBtnFace = RGB(192, 192, 192);

class TUpDownForm : public TForm {
  XJ_CLASS(TUpDownForm, TForm)
 public:
  explicit TUpDownForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(UpDownTest, PositionStaysInItsBoundsAndEveryStoredValueIsReported) {
  auto* u = NewUpDown(10, 10);
  EXPECT_EQ(u->Width(), 25);
  EXPECT_EQ(u->Height(), 50);
  EXPECT_EQ(u->Orientation(), udHorizontal);
  // Horizontal default look: down on the left half, up on the right; vertical: up on top.
  EXPECT_EQ(u->Button(1).R, TRect(0, 0, 12, 50));
  EXPECT_EQ(u->Button(0).R, TRect(12, 0, 25, 50));
  u->SetOrientation(udVertical);
  EXPECT_EQ(u->SkinDataName(), "hupdown") << "only a designer's change picks the record name";
  u->CalcRects();
  EXPECT_EQ(u->Button(0).R, TRect(0, 0, 25, 25));
  EXPECT_EQ(u->Button(1).R, TRect(0, 25, 25, 50));
  u->SetOrientation(udHorizontal);

  u->SetPosition(100);
  u->SetPosition(100);  // unchanged, still reported: the tab controls rely on it
  EXPECT_EQ(changes, 2);
  u->SetPosition(101);
  u->SetPosition(-1);
  EXPECT_EQ(u->Position(), 100);
  EXPECT_EQ(changes, 2);
  u->SetMax(40);  // pulls the position in silently
  EXPECT_EQ(u->Position(), 40);
  u->SetMin(60);
  EXPECT_EQ(u->Position(), 60);
  EXPECT_EQ(changes, 2);
  // Min above Max: every later SetPosition is dropped, the bounds still move it (the later one wins).
  u->SetPosition(50);
  EXPECT_EQ(u->Position(), 60);
  u->SetMax(10);
  EXPECT_EQ(u->Position(), 10);
  EXPECT_EQ(changes, 2);
  // The step never overflows: past INT_MAX it is dropped like any step past Max.
  u->SetMin(0);
  u->SetMax(INT_MAX);
  u->SetPosition(INT_MAX);
  u->SetIncrement(5);
  Show();
  const TPoint up = Centre(u->Button(0).R);
  Down(u, up);
  Up(u, up);
  EXPECT_EQ(u->Position(), INT_MAX);
  EXPECT_EQ(upClicks, 1) << "the click event fires even when the step is not taken";
}

// A step that lands exactly on Max or Min is taken; the next one past it is not.
TEST_F(UpDownTest, AStepLandsExactlyOnEitherBound) {
  auto* u = NewUpDown(10, 10);
  u->SetMin(-3);
  u->SetMax(10);
  u->SetIncrement(3);
  u->SetPosition(7);
  Show();
  changes = 0;
  const TPoint up = Centre(u->Button(0).R), down = Centre(u->Button(1).R);
  struct Step {
    TPoint at;
    int position, changes;
  } steps[] = { { up, 10, 1 },  { up, 10, 1 },   { down, 7, 2 }, { down, 4, 3 },
                { down, 1, 4 }, { down, -2, 5 }, { down, -2, 5 } };
  for (const Step& s : steps) {
    Down(u, s.at);
    Up(u, s.at);
    EXPECT_EQ(u->Position(), s.position);
    EXPECT_EQ(changes, s.changes);
  }
  u->SetPosition(0);
  Down(u, down);
  Up(u, down);
  EXPECT_EQ(u->Position(), -3);
}

TEST_F(UpDownTest, AClickStepsOnReleaseAndAHeldButtonRepeatsFromSixHundredMilliseconds) {
  auto* u = NewUpDown(10, 10);
  u->SetPosition(10);
  changes = 0;
  Show();
  const TPoint up = Centre(u->Button(0).R), down = Centre(u->Button(1).R);
  Down(u, up);
  EXPECT_TRUE(u->Button(0).Down);
  EXPECT_EQ(u->Position(), 10);
  Up(u, up);
  EXPECT_EQ(u->Position(), 11);
  EXPECT_EQ(upClicks, 1);

  Down(u, up);
  xt::Advance(599);
  EXPECT_EQ(u->Position(), 11);
  xt::Advance(1);
  EXPECT_EQ(u->Position(), 12);
  xt::Advance(200);
  EXPECT_EQ(u->Position(), 14);
  // The held button blocks the other one from turning hot; off the button the repeat pauses.
  MoveTo(u, down.X, down.Y);
  EXPECT_FALSE(u->Button(1).MouseIn);
  EXPECT_FALSE(u->Button(0).MouseIn);
  xt::Advance(1000);
  EXPECT_EQ(u->Position(), 14);
  // Back on it, it resumes at 50 ms.
  MoveTo(u, up.X, up.Y);
  xt::Advance(50);
  EXPECT_EQ(u->Position(), 15);
  xt::Advance(100);
  EXPECT_EQ(u->Position(), 17);
  Up(u, up);
  EXPECT_EQ(u->Position(), 18) << "one more step on a release over the button";
  xt::Advance(1000);
  EXPECT_EQ(u->Position(), 18);
  EXPECT_EQ(changes, 8);

  // Released outside: no step, no click, the repeat stopped.
  const int clicks = upClicks;
  Down(u, down);
  Up(u, TPoint(u->Width() + 30, 5));
  xt::Advance(1000);
  EXPECT_EQ(u->Position(), 18);
  EXPECT_EQ(downClicks, 0);
  EXPECT_EQ(upClicks, clicks);
  EXPECT_FALSE(u->Repeating());

  // A negative increment swaps the directions; 0 steps nothing and runs no timer but still clicks.
  u->SetIncrement(-3);
  Down(u, down);
  Up(u, down);
  EXPECT_EQ(u->Position(), 21);
  u->SetIncrement(0);
  Down(u, down);
  EXPECT_FALSE(u->Repeating());
  xt::Advance(1000);
  Up(u, down);
  EXPECT_EQ(u->Position(), 21);
  EXPECT_EQ(downClicks, 2);

  // A right press acts like a left one and keeps the mouse until its release, wherever that is.
  u->SetIncrement(1);
  Down(u, up, xt::mbRight);
  xt::Advance(700);
  EXPECT_EQ(u->Position(), 23);
  Up(u, TPoint(-40, 5), xt::mbRight);
  xt::Advance(1000);
  EXPECT_EQ(u->Position(), 23);
  EXPECT_FALSE(u->Button(0).Down);
}

TEST_F(UpDownTest, EveryOtherWayAHoldEndsStopsTheRepeat) {
  auto* u = NewUpDown(10, 10);
  Show();
  const TPoint up = Centre(u->Button(0).R);
  auto held = [&](const char* how, auto end) {
    SCOPED_TRACE(how);
    Down(u, up);
    xt::Advance(600);
    const int at = u->Position();
    end();
    xt::Advance(2000);
    EXPECT_EQ(u->Position(), at);
    EXPECT_FALSE(u->Repeating());
    EXPECT_FALSE(u->Button(0).Down);
    Up(u, up);
    u->SetEnabled(true);
    u->SetVisible(true);
    xt::PumpUntilIdle();
  };
  held("capture lost", [] { ReleaseCapture(); });
  held("disabled", [&] { u->SetEnabled(false); });
  held("hidden", [&] { u->SetVisible(false); });
  EXPECT_EQ(upClicks, 0) << "a hold taken away is no click";

  // Freed by its own change handler in the middle of a repeat: gone quietly, nothing ticks on.
  u->OnChange = On<TNotifyEvent>([&](TObject*) {
    if (u->Position() == 3) delete u;
  });
  u->SetPosition(0);
  auto life = u->LifeToken();
  Down(u, up);
  xt::Advance(1000);
  EXPECT_TRUE(life.expired());
  xt::Advance(1000);
}

TEST_F(UpDownTest, EveryButtonStateLooksAsDrawnWithBothSkinsAndWithout) {
  auto* u = NewUpDown(10, 10);
  Show();
  // Default look.
  EXPECT_EQ(Px(u, 5, 20), kBtnFace);
  EXPECT_EQ(Px(u, 18, 20), kBtnFace);
  EXPECT_EQ(Px(u, 12, 0), RGB(128, 128, 128));
  Gallery(u, "bsSkinBoxCtrls", "default-normal");
  MoveTo(u, 18, 30);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(u, 18, 20), kHot);
  EXPECT_EQ(Px(u, 12, 0), RGB(0, 0, 128));
  EXPECT_EQ(Px(u, 5, 20), kBtnFace);
  Gallery(u, "bsSkinBoxCtrls", "default-hot");
  Down(u, TPoint(18, 30));
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(u, 18, 20), kPressed);
  Gallery(u, "bsSkinBoxCtrls", "default-pressed");
  Up(u, TPoint(18, 30));
  // The arrow's tip in the middle of each half, black in every state.
  EXPECT_EQ(Px(u, 12 / 2, 25), RGB(0, 0, 0));
  EXPECT_EQ(Px(u, 12 + 13 / 2, 25), RGB(0, 0, 0));
  MoveTo(u, 200, 200);
  xt::PumpUntilIdle();

  // The test skin: the record's size, normal buttons from the face, hot and pressed from their pictures.
  LoadTestSkin();
  u->SetSkinData(skin);
  xt::PumpUntilIdle();
  EXPECT_EQ(u->Width(), 32);
  EXPECT_EQ(u->Height(), 16);
  u->SetBounds(10, 10, 70, 70);
  EXPECT_EQ(u->Width(), 32) << "a skinned up-down keeps the record's size";
  const uint8_t owner = OwnerOf("hupdown");
  EXPECT_EQ(u->Button(0).R, TRect(16, 0, 32, 16));
  EXPECT_EQ(Code(u, 20, 5).owner, owner);
  // Normal buttons are the face itself.
  EXPECT_EQ(Code(u, 20, 5).code, RectCode("skinrect"));
  EXPECT_EQ(Code(u, 3, 5).code, RectCode("skinrect"));
  Gallery(u, "bsSkinBoxCtrls", "skin-normal");
  MoveTo(u, 20, 5);
  xt::PumpUntilIdle();
  EXPECT_EQ(Code(u, 20, 5).code, RectCode("activeupbuttonrect"));
  EXPECT_EQ(Code(u, 3, 5).code, RectCode("skinrect"));
  Gallery(u, "bsSkinBoxCtrls", "skin-hot");
  Down(u, TPoint(20, 5));
  xt::PumpUntilIdle();
  EXPECT_EQ(Code(u, 20, 5).code, RectCode("downupbuttonrect"));
  Gallery(u, "bsSkinBoxCtrls", "skin-pressed");
  // Held and dragged off, the button shows normal again.
  MoveTo(u, 200, 5);
  xt::PumpUntilIdle();
  EXPECT_EQ(Code(u, 20, 5).code, RectCode("skinrect"));
  Up(u, TPoint(200, 5));

  // The second skin, switched through the skin-change walk over the form.
  LoadSecondSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(u->Width(), 36);
  EXPECT_EQ(u->Height(), 18);
  EXPECT_EQ(Code(u, 30, 9).owner, OwnerOf("hupdown"));
  EXPECT_NE(OwnerOf("hupdown"), owner);
  Gallery(u, "bsSkinBoxCtrls", "second-normal");

  // A record of another class under the name: the default look, with default button halves.
  u->SetSkinDataName("edit");
  u->ChangeSkinData();
  xt::PumpUntilIdle();
  EXPECT_EQ(u->SkinObjectIndex(), -1);
  EXPECT_EQ(Px(u, 3, 9), kBtnFace);
  EXPECT_EQ(u->Button(1).R, TRect(0, 0, 18, 18));
}

TEST_F(UpDownTest, AStreamedUpDownKeepsEveryValue) {
  auto* a = new TUpDownForm(nullptr);
  Keep(a);
  auto* u = new TbsSkinUpDown(a);
  u->SetName("Arrows");
  u->SetParent(a);
  u->SetOrientation(udVertical);
  u->SetMin(-7);
  u->SetMax(300);
  u->SetPosition(42);
  u->SetIncrement(-4);
  u->SetSkinDataName("vupdown");
  const AnsiString text = WriteComponentResource(a);
  auto* b = new TUpDownForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* back = dynamic_cast<TbsSkinUpDown*>(b->FindComponent("Arrows"));
  ASSERT_NE(back, nullptr) << text;
  EXPECT_EQ(back->Orientation(), udVertical);
  EXPECT_EQ(back->Min(), -7);
  EXPECT_EQ(back->Max(), 300);
  EXPECT_EQ(back->Position(), 42);
  EXPECT_EQ(back->Increment(), -4);
  EXPECT_EQ(back->SkinDataName(), "vupdown");

  // A fresh control writes its constructor values and reads back the same.
  auto* d = new TUpDownForm(nullptr);
  Keep(d);
  auto* f = new TbsSkinUpDown(d);
  f->SetName("Fresh");
  f->SetParent(d);
  const AnsiString fresh = WriteComponentResource(d);
  ASSERT_NE(fresh.find("Position = 0"), AnsiString::npos) << fresh;
  auto* e = new TUpDownForm(nullptr);
  Keep(e);
  ReadComponentResource(e, fresh);
  EXPECT_EQ(WriteComponentResource(e), fresh);
}
