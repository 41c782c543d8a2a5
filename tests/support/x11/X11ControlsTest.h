#pragma once
// A fixture for controls shown on a real X server: the harness of ControlsTest (manual clock and all),
// a private Xvfb for the test suite with a probe connected to it (and the window manager XJ_TEST_WM names,
// if any), and the window manager drawing through the x11 display back-end for each test. Skipped when
// Xvfb is not installed.

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/display/headless/HeadlessDisplay.h"
#include "platform/display/x11/X11Open.h"
#include "platform/win32/WmBackend.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/support/ControlsTestUtil.h"
#include "tests/support/Wait.h"
#include "tests/support/XvfbServer.h"
#include "tests/support/x11/WindowManager.h"
#include "tests/support/x11/XProbe.h"

namespace xj::test {

class X11ControlsTest : public ctltest::ControlsTest {
 public:
  // The probe on the suite's server (only while a test of the suite runs).
  static XProbe& X() { return *Probe(); }

 protected:
  static void SetUpTestSuite() {
    if (!OnPath("Xvfb")) {
      Problem() = "Xvfb is not installed";
      return;
    }
    Server() = std::make_unique<XvfbServer>();
    if (Server()->Start(Problem())) Probe() = std::make_unique<XProbe>(Server()->Name());
    if (Probe() && Probe()->Connected() && !WindowManagerWanted().empty()) {
      std::unique_ptr<BackgroundProgram> manager =
          StartWindowManager(WindowManagerWanted(), Server()->Name(), Problem());
      if (!manager) Probe().reset();
      Server()->Keep(std::move(manager));
    }
    if (!Probe() || !Probe()->Connected()) {
      if (Problem().empty()) Problem() = "cannot connect to Xvfb";
      Probe().reset();
      Server().reset();
    }
  }
  static void TearDownTestSuite() {
    Probe().reset();
    Server().reset();
  }
  void SetUp() override {
    if (!Server()) GTEST_SKIP() << Problem();
    ControlsTest::SetUp();
    FShown = true;
    setenv("DISPLAY", Server()->Name().c_str(), 1);  // for the outside programs a test runs
    std::string error;
    auto backend = xj::display::OpenX11Backend(Server()->Name().c_str(), &error);
    ASSERT_TRUE(backend) << error;
    xj::wm::SetDisplay(std::move(backend));
  }
  void TearDown() override {
    if (!FShown) return;
    // Back to memory before the server goes: the x11 connection closes with its windows.
    xj::wm::SetDisplay(std::make_unique<xj::display::HeadlessBackend>());
    ControlsTest::TearDown();
  }

  static bool Ewmh() { return !X().Longs(X().Root(), "_NET_SUPPORTED").empty(); }
  // Once an EWMH window manager has handled everything sent before now (nothing to wait for otherwise).
  static bool ManagerCaughtUp() {
    if (!Ewmh()) return true;
    const std::vector<long> now = X().Longs(X().Root(), "_NET_NUMBER_OF_DESKTOPS");
    const long wanted = (now.empty() ? 1 : now[0]) + 1;
    X().AskDesktops(wanted);
    return Eventually([&] { return X().Longs(X().Root(), "_NET_NUMBER_OF_DESKTOPS") == std::vector<long> { wanted }; });
  }

  // The suite's server, e.g. ":12"; empty when it could not start.
  static std::string ServerName() { return Server() ? Server()->Name() : std::string(); }

  // Pumps our loop and polls the server until `done` holds.
  static bool Eventually(const std::function<bool()>& done) {
    return WaitUntil(done, [] { xj::test::PumpUntilIdle(); });
  }

 private:
  static std::unique_ptr<XvfbServer>& Server() {
    static std::unique_ptr<XvfbServer> server;
    return server;
  }
  static std::unique_ptr<XProbe>& Probe() {
    static std::unique_ptr<XProbe> probe;
    return probe;
  }
  static std::string& Problem() {
    static std::string problem;
    return problem;
  }
  bool FShown { false };
};

// The same, with real input from xdotool; skipped when xdotool is not installed.
class X11InputTest : public X11ControlsTest {
 protected:
  void SetUp() override {
    if (!OnPath("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    X11ControlsTest::SetUp();
  }

  // xdotool against our server while our loop goes on; true when it succeeded.
  static bool Xdotool(const std::string& args) {
    return RunWhilePumping("xdotool " + args, [] { xj::test::PumpUntilIdle(); }) == 0;
  }
  // A client point as screen coordinates for xdotool ("x y").
  static std::string At(HWND h, int x, int y) {
    POINT p { x, y };
    ClientToScreen(h, &p);
    return std::to_string(p.x) + " " + std::to_string(p.y);
  }
  static std::string At(TControl* c, TPoint p) {
    const TPoint s = c->ClientToScreen(p);
    return std::to_string(s.X) + " " + std::to_string(s.Y);
  }
  static bool ClickOn(TControl* c, TPoint p) { return Xdotool("mousemove " + At(c, p) + " click 1"); }
  // A form named Caption holding one edit, shown, the edit given the keys by a click; the form's X
  // window in Window. Null when the server never showed it so.
  TEdit* TypingForm(int Left, int Top, const char* Caption, unsigned long& Window) {
    TForm* form = NewForm(Left, Top, 320, 120);
    form->SetCaption(Caption);
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(20, 20, 200, 24);
    form->Show();
    xj::test::PumpUntilIdle();
    if (!Eventually([&] { return X().Viewable(Window = X().FindWindow(Caption)); }) || !ClickOn(edit, TPoint(10, 12)) ||
        !Eventually([&] { return edit->Focused() && X().FocusWindow() == Window; }))
      return nullptr;
    return edit;
  }

  // Whether the server shows the control's client area as the control drew it (0xRRGGBB both).
  static bool ServerShows(TWinControl* c) {
    const TPoint o = c->ClientToScreen(TPoint(0, 0));
    return Eventually([&] {
      std::vector<uint32_t> drawn;
      for (COLORREF px : WindowPixels(c->Handle(), false))
        drawn.push_back(uint32_t { GetRValue(px) } << 16 | uint32_t { GetGValue(px) } << 8 | GetBValue(px));
      return X().ScreenPixels(o.X, o.Y, c->ClientWidth(), c->ClientHeight()) == drawn;
    });
  }
};

}  // namespace xj::test
