// A program's forms under a real X server (a private Xvfb), with and without a window manager (twm):
// minimising leaves a way back and restoring repaints, the window manager's own iconify and de-iconify
// reach the application, and the keyboard focus comes back to the owner when a modal form closes.

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/display/Display.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/win32/WmBackend.h"
#include "tests/support/Scratch.h"
#include "tests/support/XvfbServer.h"
#include "tests/support/x11/WindowManager.h"
#include "tests/support/x11/XProbe.h"

namespace {

using xj::test::BackgroundProgram;
using xj::test::OnPath;
using xj::test::RunWhilePumping;
using xj::test::XProbe;
using xj::test::XvfbServer;

constexpr int kTimeoutMs = 15000;  // generous: a loaded machine runs many tests at once
constexpr long kIconicState = 3;
constexpr long kNormalState = 1;

// Waits for `done`, up to the time-out, doing `step` between looks.
bool WaitFor(const std::function<bool()>& done, const std::function<void()>& step, int timeoutMs = kTimeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 5) {
    step();
    if (done()) return true;
    usleep(5000);
  }
  return done();
}

template <bool WithWindowManager>
class X11Forms : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!OnPath("Xvfb")) {
      Problem() = "Xvfb is not installed";
      return;
    }
    if (!OnPath("xdotool")) {
      Problem() = "xdotool is not installed";
      return;
    }
    if (WithWindowManager && !OnPath("twm")) {
      Problem() = "twm is not installed (scripts/setup installs it)";
      return;
    }
    Server() = new XvfbServer;
    if (!Server()->Start(Problem())) {
      delete Server();
      Server() = nullptr;
      return;
    }
    if (WithWindowManager) StartWindowManager();
  }

  static void StartWindowManager() {
    Twm() = xj::test::StartWindowManager("twm", Server()->Name(), Problem()).release();
    if (!Twm()) StopServer();
  }

  static void StopServer() {
    delete Twm();
    Twm() = nullptr;
    delete Server();
    Server() = nullptr;
  }

  static void TearDownTestSuite() {
    // The window manager's connection goes before the server does: a connection that breaks ends the
    // process.
    xj::wm::SetDisplay(nullptr);
    StopServer();
  }

  void SetUp() override {
    if (!Server()) GTEST_SKIP() << Problem();
    setenv("DISPLAY", Server()->Name().c_str(), 1);
    setenv("XJ_DISPLAY", "x11", 1);
    FX = std::make_unique<XProbe>(Server()->Name());
    ASSERT_TRUE(FX->Connected());
    Application->SetTitle("xj-program");
    Application->OnMinimize = TNotifyEvent::FromCallable([this](TObject*) { ++FMinimized; });
    Application->OnRestore = TNotifyEvent::FromCallable([this](TObject*) { ++FRestored; });
  }

  void TearDown() override {
    Application->OnMinimize = nullptr;
    Application->OnRestore = nullptr;
    if (IsIconic(Application->Handle())) Application->Restore();
    for (auto it = FForms.rbegin(); it != FForms.rend(); ++it) delete *it;
    FForms.clear();
    Pump();
  }

  // For a failure's message: a window manager that went away leaves its windows mapped on the root.
  static std::string TwmNote() { return Twm() && !Twm()->Running() ? "; twm is no longer running" : ""; }

  static void Pump() { Application->ProcessMessages(); }
  static bool PumpUntil(const std::function<bool()>& done) { return WaitFor(done, Pump); }
  static int Xdotool(const std::string& args) {
    return RunWhilePumping("xdotool " + args, [] { Pump(); });
  }

  // The program's main form, shown in `color`; its X window once it shows that colour on the screen.
  TForm* ShowMainForm(TColor color, unsigned long& xid) {
    TForm* form = nullptr;
    Application->CreateForm(form);
    FForms.push_back(form);
    form->SetBounds(140, 110, 320, 210);
    form->SetCaption("xj-main");
    form->SetColor(color);
    form->Show();
    EXPECT_TRUE(PumpUntil([&] {
      xid = FX->FindWindow("xj-main");
      return FX->Viewable(xid) && ShowsColor(form, color);
    })) << "the main form never showed";
    return form;
  }

  bool ShowsColor(TForm* form, TColor color) {
    const TPoint p = form->ClientToScreen(TPoint(form->ClientWidth() / 2 + 7, form->ClientHeight() / 2 - 5));
    const uint32_t bgr = uint32_t(ColorToRGB(color));
    return FX->ScreenPixel(p.X, p.Y) == ((bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF));
  }

  static XvfbServer*& Server() {
    static XvfbServer* s = nullptr;
    return s;
  }
  static BackgroundProgram*& Twm() {
    static BackgroundProgram* p = nullptr;
    return p;
  }
  static std::string& Problem() {
    static std::string p;
    return p;
  }

  std::unique_ptr<XProbe> FX;
  std::vector<TCustomForm*> FForms;
  int FMinimized { 0 };
  int FRestored { 0 };
};

using X11FormsAlone = X11Forms<false>;
using X11FormsUnderTwm = X11Forms<true>;

// The caption's minimise button hands the program to the window manager as an icon titled with the
// application's title; opening the icon brings the forms back, drawn as they are now.
TEST_F(X11FormsUnderTwm, MinimisingIconifiesAndOpeningTheIconRestoresAndRepaints) {
  unsigned long main = 0;
  TForm* form = ShowMainForm(clNavy, main);
  SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  unsigned long icon = 0;
  ASSERT_TRUE(PumpUntil([&] {
    icon = FX->FindWindow("xj-program");
    return FX->WmState(icon) == kIconicState && !FX->Viewable(main);
  })) << "the program's window state is "
      << FX->WmState(icon) << TwmNote();
  EXPECT_TRUE(IsIconic(Application->Handle()));
  EXPECT_EQ(FMinimized, 1);

  form->SetColor(clMaroon);                                    // changed while nobody can see it
  ASSERT_EQ(Xdotool("windowmap " + std::to_string(icon)), 0);  // as a click on the icon does
  ASSERT_TRUE(PumpUntil([&] { return FX->Viewable(main) && ShowsColor(form, clMaroon); }))
      << "the main form is " << (IsWindowVisible(form->Handle()) ? "shown" : "hidden") << " by the program, "
      << "whose window's state is " << FX->WmState(icon);
  EXPECT_FALSE(IsIconic(Application->Handle()));
  EXPECT_EQ(FRestored, 1);
  EXPECT_EQ(FX->WmState(main), kNormalState);
  EXPECT_NE(FX->WmState(icon), kIconicState);
}

// The window manager iconifying the main form itself minimises the application; the program's own
// Restore brings it back.
TEST_F(X11FormsUnderTwm, TheWindowManagersIconifyMinimisesTheApplication) {
  unsigned long main = 0;
  TForm* form = ShowMainForm(clTeal, main);
  ASSERT_EQ(Xdotool("windowminimize " + std::to_string(main)), 0);
  ASSERT_TRUE(PumpUntil([&] { return IsIconic(Application->Handle()) != 0; }));
  EXPECT_EQ(FMinimized, 1);
  EXPECT_EQ(form->WindowState(), wsNormal);  // the form itself is hidden, not minimised
  ASSERT_TRUE(PumpUntil([&] { return FX->WmState(FX->FindWindow("xj-program")) == kIconicState; }))
      << "the program's window " << FX->FindWindow("xj-program") << " is in state "
      << FX->WmState(FX->FindWindow("xj-program")) << (FX->Viewable(FX->FindWindow("xj-program")) ? ", viewable" : "")
      << "; the main form's is " << FX->WmState(main) << (FX->Viewable(main) ? ", viewable" : "") << TwmNote();

  Application->Restore();
  ASSERT_TRUE(PumpUntil([&] { return FX->Viewable(main) && ShowsColor(form, clTeal); }));
  EXPECT_EQ(FRestored, 1);
}

// A window manager behind on its queue (stopped here, as a busy machine leaves it) takes our map request
// for an iconic window after we have already withdrawn that window again; it must not end up on the screen.
// Both ways happen: minimising from the window manager's iconify maps the form back to a normal state
// before hiding it, and restoring maps the program's icon before hiding the program's window.
TEST_F(X11FormsUnderTwm, AWindowWithdrawnWhileTheWindowManagerLagsStaysWithdrawn) {
  unsigned long main = 0;
  TForm* form = ShowMainForm(clOlive, main);
  // The program is not told yet: nothing pumps its queue.
  ASSERT_EQ(RunWhilePumping("xdotool windowminimize " + std::to_string(main), [] {}), 0);
  ASSERT_TRUE(WaitFor([&] { return FX->WmState(main) == kIconicState; }, [] {}));
  Twm()->Pause(true);
  ASSERT_TRUE(PumpUntil([&] { return IsIconic(Application->Handle()) != 0; }));
  Twm()->Pause(false);
  const unsigned long program = FX->FindWindow("xj-program");
  EXPECT_TRUE(PumpUntil([&] { return FX->WmState(program) == kIconicState && !FX->Viewable(main); }))
      << "the main form is " << (FX->Viewable(main) ? "viewable" : "hidden") << " in state " << FX->WmState(main)
      << "; the program's window is in state " << FX->WmState(program) << TwmNote();

  Twm()->Pause(true);
  Application->Restore();
  Twm()->Pause(false);
  // The form shown again in twm's care: twm has taken every request of the restore by now.
  ASSERT_TRUE(PumpUntil([&] { return FX->WmState(main) == kNormalState && ShowsColor(form, clOlive); }));
  EXPECT_TRUE(PumpUntil([&] { return !FX->Viewable(program); }))
      << "the program's window is viewable in state " << FX->WmState(program) << TwmNote();
  EXPECT_TRUE(FX->Viewable(main));
}

// Under twm, which reads no Motif hints, a form still shows one title bar, its own: nothing of the window
// manager's above it wherever it goes. Its caption moves it, its border sizes it, its maximise button
// fills the screen, and Alt+F4 closes it, with twm managing it throughout.
TEST_F(X11FormsUnderTwm, AFormShowsOnlyItsOwnTitleBar) {
  unsigned long main = 0;
  TForm* form = ShowMainForm(clNavy, main);
  const uint32_t desktop = FX->ScreenPixel(1020, 760);
  // The rows a window manager's title bar would take, just above the form.
  auto nothingAbove = [&] {
    for (int y = form->Top() - 12; y < form->Top() - 4; y += 3)
      for (uint32_t px : FX->ScreenPixels(form->Left(), y, form->Width(), 1))
        if (px != desktop) return false;
    return true;
  };
  const std::vector<long> motif = FX->Longs(main, "_MOTIF_WM_HINTS");
  ASSERT_GE(motif.size(), 3u);
  EXPECT_TRUE(motif[0] & 2);  // the decorations field counts...
  EXPECT_EQ(motif[2], 0);     // ...and asks for none
  EXPECT_TRUE(PumpUntil(nothingAbove)) << "a title bar of the window manager's is above the form";
  EXPECT_EQ(FX->WmState(main), kNormalState);

  // By the caption, 50 right and 30 down.
  const TPoint caption(form->Left() + form->Width() / 2, form->Top() + 10);
  ASSERT_EQ(
      Xdotool("mousemove " + std::to_string(caption.X) + " " + std::to_string(caption.Y) + " mousedown 1 mousemove " +
              std::to_string(caption.X + 50) + " " + std::to_string(caption.Y + 30) + " mouseup 1"),
      0);
  ASSERT_TRUE(PumpUntil([&] { return form->Left() == 190 && form->Top() == 140 && ShowsColor(form, clNavy); }))
      << "the form is at " << form->Left() << ", " << form->Top();
  EXPECT_TRUE(PumpUntil(nothingAbove));
  // By the right border, 40 wider.
  const TPoint edge(form->Left() + form->Width() - 2, form->Top() + 100);
  ASSERT_EQ(Xdotool("mousemove " + std::to_string(edge.X) + " " + std::to_string(edge.Y) + " mousedown 1 mousemove " +
                    std::to_string(edge.X + 40) + " " + std::to_string(edge.Y) + " mouseup 1"),
            0);
  ASSERT_TRUE(PumpUntil([&] { return form->Width() == 360 && ShowsColor(form, clNavy); }))
      << "the form is " << form->Width() << " wide";
  // Maximised: the whole screen, the client where the server shows it.
  SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  ASSERT_TRUE(PumpUntil([&] { return form->BoundsRect() == TRect(0, 0, 1024, 768) && ShowsColor(form, clNavy); }));
  SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  ASSERT_TRUE(PumpUntil([&] { return form->BoundsRect() == TRect(190, 140, 550, 350) && nothingAbove(); }))
      << "the form is at " << form->Left() << ", " << form->Top() << ", " << form->Width() << " x " << form->Height()
      << (nothingAbove() ? "" : "; something is above it");

  // Alt+F4 on a second form, the active one, with the pointer over it (twm gives the keyboard to the
  // window under the pointer).
  auto* second = new TForm(nullptr);
  FForms.push_back(second);
  second->SetBounds(600, 420, 260, 140);
  second->SetCaption("xj-second");
  int closed = 0;
  second->OnClose = TCloseEvent::FromCallable([&](TObject*, TCloseAction&) { ++closed; });
  second->Show();
  unsigned long other = 0;
  ASSERT_TRUE(PumpUntil([&] { return FX->Viewable(other = FX->FindWindow("xj-second")); }));
  ASSERT_EQ(Xdotool("mousemove 730 500"), 0);
  ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == second->Handle(); }));
  ASSERT_EQ(Xdotool("key alt+F4"), 0);
  EXPECT_TRUE(PumpUntil([&] { return closed == 1 && !second->Visible() && !FX->Viewable(other); }));
  EXPECT_TRUE(form->Visible());
}

// Nobody keeps icons: the minimised program is off the screen but still its own, and Restore brings the
// form back with its pixels.
TEST_F(X11FormsAlone, MinimisingWithoutAWindowManagerRestoresOnRestore) {
  unsigned long main = 0;
  TForm* form = ShowMainForm(clOlive, main);
  SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(PumpUntil([&] { return !FX->Viewable(main); }));
  EXPECT_TRUE(IsIconic(Application->Handle()));
  const unsigned long program = FX->FindWindow("xj-program");
  EXPECT_NE(program, 0u);  // kept, not destroyed
  EXPECT_FALSE(FX->Viewable(program));

  form->SetColor(clPurple);
  Application->Restore();
  ASSERT_TRUE(PumpUntil([&] { return FX->Viewable(main) && ShowsColor(form, clPurple); }));
  EXPECT_EQ(FRestored, 1);
}

// A modal form closed through its button gives the keyboard back to the form that had it, although the
// pointer is over no window of ours and no window manager moves the focus.
TEST_F(X11FormsAlone, AfterAModalFormTheKeyboardFocusReturnsToItsOwner) {
  unsigned long main = 0;
  TForm* form = ShowMainForm(clBtnFace, main);
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetBounds(16, 16, 200, 24);
  edit->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return FX->FocusWindow() == main; }));

  auto* dialog = new TForm(nullptr);
  FForms.push_back(dialog);
  dialog->SetBorderStyle(bsDialog);
  dialog->SetCaption("xj-modal");
  dialog->SetBounds(600, 420, 260, 140);
  auto* ok = new TButton(dialog);
  ok->SetParent(dialog);
  ok->SetBounds(30, 30, 110, 32);
  ok->SetCaption("OK");
  ok->SetModalResult(mrOk);
  const TPoint onOk = ok->ClientToScreen(TPoint(55, 16));
  // The user clicks OK once the dialog is on the screen; the modal loop keeps running meanwhile.
  BackgroundProgram user;
  ASSERT_TRUE(user.Start("xdotool search --sync --onlyvisible --name '^xj-modal$' mousemove " + std::to_string(onOk.X) +
                         " " + std::to_string(onOk.Y) + " click 1 >/dev/null"));
  EXPECT_EQ(dialog->ShowModal(), mrOk);

  ASSERT_TRUE(PumpUntil([&] { return FX->FocusWindow() == main; })) << "the focus is on " << FX->FocusWindow();
  EXPECT_EQ(GetActiveWindow(), form->Handle());
  ASSERT_EQ(Xdotool("type --delay 20 ok"), 0);
  EXPECT_TRUE(PumpUntil([&] { return edit->Text() == "ok"; })) << "the edit holds \"" << edit->Text() << "\"";
}

}  // namespace
