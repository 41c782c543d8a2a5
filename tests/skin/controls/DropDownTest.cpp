// The drop-down windows' common behaviour: an owned tool window that never takes the activation or the
// focus, placed inside the work area of its owner's monitor, shown without a message loop, and faded in
// as a layered window that always gets an alpha when the style is (re)added.

#include "skin/controls/bsSkinBoxCtrls_dropdown.h"
#include "skin/data/bsUtils.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

// A drop-down as the controls make one: it fills itself with its colour and counts paints and presses.
class TTestDropDown : public TCustomControl {
  XJ_CLASS(TTestDropDown, TCustomControl)
 public:
  explicit TTestDropDown(TComponent* AOwner) : TCustomControl(AOwner) {
    SetVisible(false);
    SetColor(static_cast<int32_t>(RGB(200, 30, 60)));
  }
  void Dispatch(TMessage& Message) override {
    if (TbsDropDownWindow::MouseActivate(Message)) return;
    if (Message.Msg == WM_LBUTTONDOWN) ++Presses;
    TCustomControl::Dispatch(Message);
  }
  TbsDropDownWindow Dropping;
  int Paints { 0 };
  int Presses { 0 };

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    TbsDropDownWindow::CreateParams(Params, WS_CLIPCHILDREN, true);
  }
  void Paint() override {
    ++Paints;
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};

// Every alpha the window layer is asked for, with the drop-down's paint count at that moment.
struct AlphaCall {
  int alpha;
  int paints;
};
std::vector<AlphaCall> gAlphaCalls;
TTestDropDown* gWatched = nullptr;
void* gRealLayered = nullptr;

BOOL WINAPI RecordLayered(HWND wnd, COLORREF key, BYTE alpha, DWORD flags) {
  gAlphaCalls.push_back({ alpha, gWatched ? gWatched->Paints : -1 });
  return reinterpret_cast<BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD)>(gRealLayered)(wnd, key, alpha, flags);
}

class DropDownTest : public SkinControlsTest {
 protected:
  void SetUp() override {
    SkinControlsTest::SetUp();
    gRealLayered = reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("USER32"), "SetLayeredWindowAttributes"));
    xj::RegisterBuiltinExport("USER32", "SetLayeredWindowAttributes", reinterpret_cast<void*>(&RecordLayered));
    gAlphaCalls.clear();
    owner = new TTestPanel(form);
    owner->SetParent(form);
    owner->SetBounds(30, 40, 90, 21);
    drop = new TTestDropDown(owner);
    drop->SetParent(owner);
    drop->SetBounds(0, 0, 130, 77);
    gWatched = drop;
    ShowUnfocused();
  }
  void TearDown() override {
    gWatched = nullptr;
    xj::RegisterBuiltinExport("USER32", "SetLayeredWindowAttributes", gRealLayered);
    SkinControlsTest::TearDown();
  }
  std::vector<int> Alphas() const {
    std::vector<int> a;
    for (const AlphaCall& c : gAlphaCalls) a.push_back(c.alpha);
    return a;
  }

  TTestPanel* owner {};
  TTestDropDown* drop {};
};

}  // namespace

TEST_F(DropDownTest, AnOwnedToolWindowThatLeavesTheFormActiveAndTheFocusWhereItWas) {
  const HWND h = drop->Handle();
  EXPECT_EQ(GetWindowLongA(h, GWL_STYLE) & (WS_POPUP | WS_CHILD | WS_CLIPCHILDREN), WS_POPUP | WS_CLIPCHILDREN);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(h, GWL_EXSTYLE)) & ~WS_EX_LAYERED, DWORD { WS_EX_TOOLWINDOW });
  EXPECT_NE(GetWindow(h, GW_OWNER), nullptr) << "owned, not a child";

  drop->Dropping.Show(drop, TPoint(300, 400), {});
  const RECT r = xt::Info(h).window;
  EXPECT_EQ(r.left, 300);
  EXPECT_EQ(r.top, 400);
  EXPECT_EQ(r.right - r.left, 130) << "Show keeps the size";
  EXPECT_EQ(r.bottom - r.top, 77);
  EXPECT_TRUE(drop->Visible());
  EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_TRUE(form->Active());

  xt::Click(350, 440);
  EXPECT_EQ(drop->Presses, 1);
  EXPECT_TRUE(form->Active()) << "a click in the drop-down keeps the form's activation";
  EXPECT_EQ(GetFocus(), FocusHolder()->Handle()) << "and the focus";
  EXPECT_EQ(GetActiveWindow(), form->Handle());

  drop->Dropping.Hide(drop);
  EXPECT_FALSE(drop->Visible());
  EXPECT_FALSE(IsWindowVisible(h));
  EXPECT_TRUE(form->Active());
}

TEST_F(DropDownTest, PlacedUnderOrAboveTheOwnerAndAlwaysInsideTheWorkArea) {
  // An owner 90 x 21 at screen (200, 300); a drop-down 130 x 77.
  const RECT o { 200, 300, 290, 321 };
  struct Case {
    RECT work;
    int x, y;
    const char* what;
  };
  const Case cases[] = {
    { { 0, 0, 1024, 738 }, 200, 321, "room below" },
    { { 0, 0, 1024, 397 }, 200, 223, "one pixel short below: above" },
    { { 0, 0, 1024, 398 }, 200, 321, "exactly fits below" },
    { { 0, 0, 300, 738 }, 170, 321, "right edge: moved left" },
    { { 250, 0, 1024, 738 }, 250, 321, "left edge: moved right" },
    { { 0, 250, 1024, 390 }, 200, 250, "neither below nor above: top of the work area" },
    { { 0, 330, 1024, 738 }, 200, 330, "owner above the work area" },
    { { 0, 0, 100, 738 }, 0, 321, "narrower than the drop-down: left edge" },
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    xt::SetScreen(1024, 768, c.work);
    const TPoint p = TbsDropDownWindow::Place(o, 130, 77);
    EXPECT_EQ(p.X, c.x);
    EXPECT_EQ(p.Y, c.y);
  }
  // From the owner control: its window rectangle on the screen.
  xt::SetScreen(1024, 768, { 0, 0, 1024, 738 });
  RECT wr {};
  GetWindowRect(owner->Handle(), &wr);
  const TPoint p = TbsDropDownWindow::Place(owner, 130, 77);
  EXPECT_EQ(p.X, wr.left);
  EXPECT_EQ(p.Y, wr.bottom);
}

TEST_F(DropDownTest, ShowingRunsNoQueuedMessagesAndTheFadePaintsFirst) {
  // A click queued before the drop-down opens is not run from inside Show.
  const TPoint in = At(owner, 5, 5);
  xt::MouseDown(xt::mbLeft, in.X, in.Y, false);
  TbsDropDownAlpha fade;
  fade.AlphaBlend = fade.AlphaBlendAnimation = true;
  fade.AlphaBlendValue = 255;
  drop->Dropping.Show(drop, TPoint(300, 400), fade);
  MSG queued {};
  EXPECT_TRUE(PeekMessageA(&queued, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_NOREMOVE))
      << "the queued press is still waiting";
  // 0, then 2, 4, ... 254 and 255: 128 steps, the contents painted before the first.
  std::vector<int> want { 0 };
  for (int a = 2; a < 255; a += 2) want.push_back(a);
  want.push_back(255);
  EXPECT_EQ(Alphas(), want);
  ASSERT_GE(gAlphaCalls.size(), 2u);
  EXPECT_GT(gAlphaCalls[1].paints, 0);
  EXPECT_EQ(xt::Info(drop->Handle()).alpha, 255);
  EXPECT_EQ(drop->Dropping.CurrentAlpha(), 0) << "the next Show fades from 0 again";
  xt::PumpUntilIdle();
  xt::MouseUp(xt::mbLeft, in.X, in.Y);
  drop->Dropping.Hide(drop);

  // A target of 0 fades in one step at 0; a step of 1 (the track bar's) counts up one by one.
  gAlphaCalls.clear();
  fade.AlphaBlendValue = 0;
  drop->Dropping.Show(drop, TPoint(300, 400), fade);
  EXPECT_EQ(Alphas(), (std::vector<int> { 0 }));
  drop->Dropping.Hide(drop);
  gAlphaCalls.clear();
  fade.AlphaBlendValue = 3;
  fade.Step = 1;
  drop->Dropping.Show(drop, TPoint(300, 400), fade);
  EXPECT_EQ(Alphas(), (std::vector<int> { 0, 1, 2, 3 }));
}

TEST_F(DropDownTest, TheLayeredStyleAlwaysComesWithAnAlpha) {
  const HWND h = drop->Handle();
  TbsDropDownAlpha a;
  a.AlphaBlend = true;
  a.AlphaBlendValue = 200;
  drop->Dropping.Show(drop, TPoint(10, 10), a);
  EXPECT_TRUE(xt::Info(h).layered);
  EXPECT_EQ(xt::Info(h).alpha, 200);
  EXPECT_EQ(Alphas(), (std::vector<int> { 200 }));
  drop->Dropping.Hide(drop);
  drop->Dropping.Show(drop, TPoint(10, 10), a);
  EXPECT_EQ(Alphas(), (std::vector<int> { 200 })) << "an unchanged alpha is not given again";
  drop->Dropping.Hide(drop);

  // Off: the style goes at the next Show; on again with the same value: the alpha comes with it, or the
  // window would stay invisible while open.
  a.AlphaBlend = false;
  drop->Dropping.Show(drop, TPoint(10, 10), a);
  EXPECT_FALSE(xt::Info(h).layered);
  EXPECT_FALSE(drop->Dropping.LayeredApplied());
  drop->Dropping.Hide(drop);
  a.AlphaBlend = true;
  drop->Dropping.Show(drop, TPoint(10, 10), a);
  EXPECT_TRUE(xt::Info(h).layered);
  EXPECT_TRUE(xt::Info(h).alphaSet);
  EXPECT_EQ(Alphas(), (std::vector<int> { 200, 200 }));

  // Dropping the style on hide (the track edit's way) gives the alpha again at every Show.
  drop->Dropping.Hide(drop, true);
  EXPECT_FALSE(xt::Info(h).layered);
  drop->Dropping.Show(drop, TPoint(10, 10), a);
  EXPECT_EQ(Alphas(), (std::vector<int> { 200, 200, 200 }));

  // A target of 0 on a window just made layered is still given (the last one it had was 200).
  drop->Dropping.Hide(drop, true);
  a.AlphaBlendValue = 0;
  drop->Dropping.Show(drop, TPoint(10, 10), a);
  EXPECT_EQ(Alphas(), (std::vector<int> { 200, 200, 200, 0 }));
  EXPECT_EQ(xt::Info(h).alpha, 0);

  // Where layered windows are not offered the drop-down shows opaque and nothing is asked for.
  drop->Dropping.Hide(drop, true);
  xt::SetReportedVersion(6, 0);
  drop->Dropping.Show(drop, TPoint(10, 10), a);
  xt::SetReportedVersion(5, 1);
  EXPECT_FALSE(xt::Info(h).layered);
  EXPECT_EQ(gAlphaCalls.size(), 4u);
}
