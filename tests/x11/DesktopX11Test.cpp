// What a person meets on a real desktop: the screen's size as the server has it, and as it changes.

#include <algorithm>
#include <string>
#include <vector>

#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/win32/Scoped.h"
#include "skin/form/bsSkinForm.h"
#include "tests/support/x11/X11ControlsTest.h"

using namespace ctltest;

namespace {

class DesktopX11 : public xj::test::X11InputTest {
 protected:
  // The work area the desktop announces on the root for its current desktop, on a w×h screen.
  static TRect RootWorkArea(int w, int h) {
    const std::vector<long> area = X().Longs(X().Root(), "_NET_WORKAREA");
    const std::vector<long> desk = X().Longs(X().Root(), "_NET_CURRENT_DESKTOP");
    size_t at = desk.empty() ? 0 : size_t(desk[0]) * 4;
    if (at + 4 > area.size()) at = 0;
    if (area.size() < 4) return TRect(0, 0, w, h);
    return TRect(std::max(0L, area[at]), std::max(0L, area[at + 1]), std::min<long>(w, area[at] + area[at + 2]),
                 std::min<long>(h, area[at + 1] + area[at + 3]));
  }
  // A sizeable form skinned by the test skin, shown.
  RurIvozedevUzivEred* SkinnedForm(const TRect& At, const char* Caption, bool FullScreen) {
    TForm* form = NewForm(At.Left, At.Top, At.Width(), At.Height());
    form->SetCaption(Caption);
    form->SetBorderStyle(bsSizeable);
    auto* frame = new RurIvozedevUzivEred(form);
    auto* skin = new TbsSkinData(form);
    skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
    frame->SetSkinData(skin);
    frame->SetMaximizeOnFullScreen(FullScreen);
    form->Show();
    return frame;
  }
  // As SkinnedForm, then taken up by the manager and given the keys (its
  // requests about the window are heard from then on); its X window in Window. Null when it never was.
  RurIvozedevUzivEred* ManagedSkinnedForm(const TRect& At, const char* Caption, bool FullScreen,
                                          unsigned long& Window) {
    RurIvozedevUzivEred* frame = SkinnedForm(At, Caption, FullScreen);
    TForm* form = frame->Form();
    const bool managed = Eventually(
        [&] { return X().Viewable(Window = X().FindWindow(Caption)) && X().WmState(Window) == 1 && form->Active(); });
    return managed ? frame : nullptr;
  }
  // Asks the manager, as wmctrl does, to add or remove the window's maximised state; true when it was asked.
  static bool AskMaximised(unsigned long Window, const std::string& Change) {
    return xj::test::RunWhilePumping(
               "wmctrl -i -r " + std::to_string(Window) + " -b " + Change + ",maximized_vert,maximized_horz",
               [] { xt::PumpUntilIdle(); }) == 0;
  }
  static bool MaximisedOnDesktop(unsigned long Window) {
    const std::vector<std::string> state = X().AtomNames(Window, "_NET_WM_STATE");
    return std::find(state.begin(), state.end(), "_NET_WM_STATE_MAXIMIZED_VERT") != state.end();
  }
  static TRect OnServer(unsigned long Window) {
    const xj::test::XRect b = X().Bounds(Window);
    return TRect(b.left, b.top, b.right, b.bottom);
  }
};

// The desktop keeps a band at the top for a panel, then the screen shrinks under a running program (RandR
// tells the root's listeners): the metrics, the monitor and the work area say so, and a form centred
// afterwards is centred on what is there.
TEST_F(DesktopX11, TheScreenFollowsTheServerWhenItChanges) {
  ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  const unsigned long panel = X().MapPanel(30);
  // A manager that speaks EWMH leaves the panel's strut out of the work area and keeps the property; without
  // one we say so, and take it back (what a manager wrote is its own, maybe not written yet).
  const bool ourWorkArea = !Ewmh();
  xj::ScopeExit restore([&] {
    X().DestroyWindow(panel);
    X().AnnounceScreenSize(1024, 768);
    if (ourWorkArea) X().SetCardinals(X().Root(), "_NET_WORKAREA", {});
  });
  if (ourWorkArea) X().SetCardinals(X().Root(), "_NET_WORKAREA", { 0, 30, 1024, 738 });
  ASSERT_TRUE(Eventually([] {
    return RootWorkArea(1024, 768).Top == 30 && Screen->WorkAreaRect() == RootWorkArea(1024, 768);
  })) << "the work area is "
      << Screen->WorkAreaRect().Top << ".." << Screen->WorkAreaRect().Bottom;

  X().AnnounceScreenSize(800, 600);
  ASSERT_TRUE(Eventually([] { return GetSystemMetrics(SM_CXSCREEN) == 800; }));
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
  EXPECT_TRUE(Eventually([] { return Screen->WorkAreaRect() == RootWorkArea(800, 600); }));
  EXPECT_EQ(Screen->WorkAreaRect().Top, 30);
  EXPECT_EQ(Screen->WorkAreaRect().Right, 800);
  MONITORINFO info { sizeof info, {}, {}, 0 };
  ASSERT_TRUE(GetMonitorInfoA(MonitorFromPoint(POINT { 10, 10 }, MONITOR_DEFAULTTOPRIMARY), &info));
  EXPECT_EQ(TRect(info.rcMonitor), TRect(0, 0, 800, 600));

  TForm* form = NewForm(0, 0, 400, 301);
  form->SetCaption("xj-centred");
  form->SetPosition(poScreenCenter);
  form->Show();
  EXPECT_EQ(form->BoundsRect(), TRect(200, 149, 600, 450));
}

// Alt+Tab is the window manager's: it takes the Tab, and Alt's release too while it holds the keyboard, to
// another window and back, or, with nowhere to go, to the same one. Text typed afterwards is text.
// The desktop's close button on a window that its modal dialog disabled (the console under its about box):
// the window stays, and the dialog, not the window the desktop asked about, has the keys.
TEST_F(DesktopX11, AWindowUnderItsModalDialogRefusesTheDesktopsClose) {
  TForm* owner = NewForm(60, 60, 500, 400);
  owner->SetCaption("xj-console");
  owner->Show();
  unsigned long ownerWindow = 0;
  ASSERT_TRUE(Eventually([&] { return X().Viewable(ownerWindow = X().FindWindow("xj-console")) && owner->Active(); }));
  xt::MessageTrace trace(owner->Handle(), { WM_CLOSE });
  TForm* dialog = NewForm(150, 120, 260, 160);
  dialog->SetCaption("xj-about");
  bool askedOwner = false;
  xt::AnswerModal([&](const xt::ModalRecord&) {
    unsigned long dialogWindow = 0;
    EXPECT_TRUE(Eventually([&] { return X().Viewable(dialogWindow = X().FindWindow("xj-about")); }));
    EXPECT_TRUE(Xdotool("windowfocus --sync " + std::to_string(ownerWindow)));
    X().AskToClose(ownerWindow);
    askedOwner = true;
    EXPECT_TRUE(Eventually([&] { return X().FocusWindow() == dialogWindow; })) << "the dialog did not come forward";
    X().AskToClose(dialogWindow);  // handled after the owner's: once it is gone, that one was taken
    return xt::kKeepOpen;
  });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_TRUE(askedOwner);
  EXPECT_EQ(trace.Count(WM_CLOSE), 0);
  EXPECT_TRUE(owner->Visible());
  EXPECT_TRUE(IsWindowVisible(owner->Handle()));
}

// A skinned form maximised by the window manager (its task bar, a key, wmctrl) and restored by it comes
// back to the size and place it had; maximised again, its own restore button brings it back too.
TEST_F(DesktopX11, ASkinnedFormMaximisedByTheDesktopComesBack) {
  if (!Ewmh()) GTEST_SKIP() << "the manager does not maximise on request";
  // The work area the form maximises into is the one the manager gives (a panel may just have gone).
  ASSERT_TRUE(Eventually([] { return Screen->WorkAreaRect() == RootWorkArea(1024, 768); }));
  unsigned long window = 0;
  RurIvozedevUzivEred* frame = ManagedSkinnedForm(TRect(130, 90, 551, 387), "xj-maximised", false, window);
  ASSERT_NE(frame, nullptr);
  TForm* form = frame->Form();
  const TRect placed = form->BoundsRect();
  ASSERT_TRUE(AskMaximised(window, "add"));
  ASSERT_TRUE(Eventually([&] { return frame->WindowState() == wsMaximized; }))
      << X().AtomNames(window, "_NET_WM_STATE").size() << " states on the window";
  EXPECT_TRUE(Eventually([&] { return form->Width() == Screen->WorkAreaRect().Width(); })) << form->Width();
  ASSERT_TRUE(AskMaximised(window, "remove"));
  EXPECT_TRUE(Eventually([&] { return frame->WindowState() == wsNormal && form->BoundsRect() == placed; }))
      << form->Left() << "," << form->Top() << " " << form->Width() << "x" << form->Height();
  EXPECT_TRUE(Eventually([&] { return OnServer(window).Width() == placed.Width(); }));
  const std::string shot = xj::test::ScreenshotPath("x11-restored-by-the-desktop");
  EXPECT_EQ(xj::test::RunWhilePumping("import -window root '" + shot + "'", [] { xt::PumpUntilIdle(); }), 0);
  // Asked to maximise a window it still holds maximised, the manager does nothing: wait until it let go.
  ASSERT_TRUE(Eventually([&] { return !MaximisedOnDesktop(window); }));

  ASSERT_TRUE(AskMaximised(window, "add"));
  ASSERT_TRUE(Eventually([&] { return frame->WindowState() == wsMaximized; }))
      << X().AtomNames(window, "_NET_WM_STATE").size() << " states on the window";
  frame->SetWindowState(wsNormal);  // as its restore button does
  EXPECT_TRUE(Eventually([&] { return form->BoundsRect() == placed; }))
      << form->Left() << "," << form->Top() << " " << form->Width() << "x" << form->Height();
  EXPECT_TRUE(Eventually([&] { return !MaximisedOnDesktop(window); })) << "the desktop still thinks it maximised";
}

// A skinned form that maximises over the whole screen, maximised from the desktop's task bar while a panel
// keeps a band: the desktop's maximise holds, at the size the desktop gives, rather than being lost to the
// form sizing itself as it would alone; restored by the desktop, it comes back.
TEST_F(DesktopX11, ASkinnedFormThatFillsTheScreenStaysMaximisedByTheDesktop) {
  if (!Ewmh()) GTEST_SKIP() << "the manager does not maximise on request";
  const unsigned long panel = X().MapPanel(30);
  xj::ScopeExit unmap([&] { X().DestroyWindow(panel); });
  ASSERT_TRUE(Eventually(
      [] { return RootWorkArea(1024, 768).Height() < 768 && Screen->WorkAreaRect() == RootWorkArea(1024, 768); }));
  unsigned long window = 0;
  RurIvozedevUzivEred* frame = ManagedSkinnedForm(TRect(170, 110, 603, 391), "xj-full-screen", true, window);
  ASSERT_NE(frame, nullptr);
  TForm* form = frame->Form();
  const TRect placed = form->BoundsRect();
  ASSERT_TRUE(AskMaximised(window, "add"));
  ASSERT_TRUE(Eventually([&] { return frame->WindowState() == wsMaximized; }));
  // The form has had its say by now; once the manager has heard it, the window is still maximised.
  ASSERT_TRUE(ManagerCaughtUp());
  EXPECT_TRUE(Eventually([&] { return form->BoundsRect() == OnServer(window); }))
      << form->Width() << "x" << form->Height() << " on a " << OnServer(window).Width() << "x"
      << OnServer(window).Height();
  EXPECT_TRUE(MaximisedOnDesktop(window)) << "the desktop let go of the maximised state";
  EXPECT_EQ(frame->WindowState(), wsMaximized);
  EXPECT_EQ(OnServer(window).Height(), Screen->WorkAreaRect().Height());
  EXPECT_EQ(OnServer(window).Width(), 1024);

  ASSERT_TRUE(AskMaximised(window, "remove"));
  EXPECT_TRUE(Eventually([&] { return frame->WindowState() == wsNormal && form->BoundsRect() == placed; }))
      << form->Left() << "," << form->Top() << " " << form->Width() << "x" << form->Height();
  EXPECT_TRUE(Eventually([&] { return OnServer(window) == placed && !MaximisedOnDesktop(window); }));
}

// A desktop that maximises a window by resizing it before it moves it tells of a place on the way (the
// new size at the old place) just before the place it ends at; the program reads both at once. The form
// follows to where the window ends, and takes the passing place for no size of its own: it neither moves
// the window back there nor lets go of the desktop's maximise.
TEST_F(DesktopX11, AFormMaximisedByTheDesktopStaysWhereItEndsNotWhereItPassed) {
  if (X().WindowManagerRunning()) GTEST_SKIP() << "the test plays the window manager itself";
  RurIvozedevUzivEred* frame = SkinnedForm(TRect(130, 90, 551, 387), "xj-passing", false);
  TForm* form = frame->Form();
  unsigned long window = 0;
  ASSERT_TRUE(Eventually([&] { return X().Viewable(window = X().FindWindow("xj-passing")); }));
  const TRect work = Screen->WorkAreaRect();
  X().MaximiseAsADesktop(window, { 130, 90, 130 + work.Width(), 90 + work.Height() },
                         { work.Left, work.Top, work.Right, work.Bottom });
  ASSERT_TRUE(Eventually([&] { return frame->WindowState() == wsMaximized && form->BoundsRect() == work; }))
      << form->Left() << "," << form->Top() << " " << form->Width() << "x" << form->Height();
  xt::PumpUntilIdle();
  EXPECT_EQ(form->BoundsRect(), work);
  EXPECT_EQ(OnServer(window), work) << "the window went back to " << OnServer(window).Left << ","
                                    << OnServer(window).Top;
  EXPECT_EQ(frame->WindowState(), wsMaximized);
}

// A window handed back to the root with no configure notice to say where it went (a window manager that
// took it for another window of the same id does so): the form is where the server has it, and keeps its
// size.
TEST_F(DesktopX11, AFormIsWhereTheServerHasItWhenHandedBackToTheRoot) {
  if (X().WindowManagerRunning()) GTEST_SKIP() << "the test plays the window manager itself";
  TForm* form = NewForm(120, 90, 251, 163);
  form->SetCaption("xj-reparented");
  form->Show();
  unsigned long window = 0;
  ASSERT_TRUE(Eventually([&] { return X().Viewable(window = X().FindWindow("xj-reparented")); }));
  const unsigned long frame = X().MapWindow("xj-frame");
  xj::ScopeExit destroy([&] { X().DestroyWindow(frame); });
  X().Reparent(window, frame, 7, 23);
  X().Reparent(window, 0, 41, 57);
  EXPECT_TRUE(Eventually([&] { return form->BoundsRect() == TRect(41, 57, 292, 220); }))
      << form->Left() << "," << form->Top() << " " << form->Width() << "x" << form->Height();
  EXPECT_EQ(OnServer(window), form->BoundsRect());
}

class AltTabX11 : public DesktopX11, public testing::WithParamInterface<bool> {};

TEST_P(AltTabX11, TextTypedAfterItIsText) {
  if (GetParam()) {
    TForm* other = NewForm(600, 300, 200, 120);
    other->SetCaption("xj-other");
    other->Show();
  }
  unsigned long window = 0;
  TEdit* edit = TypingForm(100, 100, "xj-typing", window);
  ASSERT_NE(edit, nullptr);
  TForm* form = static_cast<TForm*>(edit->Owner());
  for (int round = 0; round < 2; ++round) {  // over there and back, where there is somewhere to go
    // Alt goes up only once the manager has read the Tab, as with a hand: it takes the keyboard as it starts
    // switching, and a release that comes before that is lost to it, which leaves it switching.
    ASSERT_TRUE(Xdotool("keydown Alt_L key Tab"));
    ASSERT_TRUE(ManagerCaughtUp());
    ASSERT_TRUE(Xdotool("keyup Alt_L"));
    ASSERT_TRUE(Eventually([] { return GetAsyncKeyState(VK_TAB) == 0; }));
  }
  ASSERT_TRUE(ManagerCaughtUp());  // its switching is over, and its hold on the keyboard with it
  ASSERT_TRUE(Xdotool("windowactivate --sync " + std::to_string(window)) ||
              Xdotool("windowfocus --sync " + std::to_string(window)));
  ASSERT_TRUE(Eventually([&] { return form->Active() && edit->Focused(); }));
  xt::MessageTrace trace(edit->Handle(), { WM_SYSCHAR, WM_SYSKEYDOWN });
  ASSERT_TRUE(Xdotool("type --delay 20 hello"));
  EXPECT_TRUE(Eventually([&] { return edit->Text() == "hello"; })) << "the edit holds \"" << edit->Text() << "\"";
  EXPECT_EQ(trace.Count(WM_SYSCHAR) + trace.Count(WM_SYSKEYDOWN), 0);
}

INSTANTIATE_TEST_SUITE_P(DesktopX11, AltTabX11, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& p) { return p.param ? "ToAnother" : "Alone"; });

}  // namespace
