// What a person meets on a real desktop: the screen's size as the server has it, and as it changes.

#include <algorithm>
#include <string>
#include <vector>

#include "platform/vcl/Forms.h"
#include "platform/win32/Scoped.h"
#include "tests/support/x11/X11ControlsTest.h"

using namespace ctltest;

namespace {

class DesktopX11 : public xj::test::X11InputTest {};

// The desktop keeps a band at the top for a panel, then the screen shrinks under a running program (RandR
// tells the root's listeners): the metrics, the monitor and the work area say so, and a form centred
// afterwards is centred on what is there.
TEST_F(DesktopX11, TheScreenFollowsTheServerWhenItChanges) {
  ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  const std::vector<long> work = X().Longs(X().Root(), "_NET_WORKAREA");
  const unsigned long panel = X().MapWindow("xj-panel");
  xj::ScopeExit restore([&] {
    X().DestroyWindow(panel);
    X().AnnounceScreenSize(1024, 768);
    X().SetCardinals(X().Root(), "_NET_WORKAREA", work);
  });
  // A manager that speaks EWMH leaves the panel's strut out of the work area; without one we say so.
  if (work.empty())
    X().SetCardinals(X().Root(), "_NET_WORKAREA", { 0, 30, 1024, 738 });
  else
    X().SetCardinals(panel, "_NET_WM_STRUT", { 0, 0, 30, 0 });
  const TRect whole = Screen->WorkAreaRect();  // less the manager's own task bar, if it has one
  ASSERT_TRUE(Eventually([&] { return Screen->WorkAreaRect() == TRect(0, 30, 1024, whole.Bottom); }))
      << "the work area is " << Screen->WorkAreaRect().Top << ".." << Screen->WorkAreaRect().Bottom;

  X().AnnounceScreenSize(800, 600);
  ASSERT_TRUE(Eventually([] { return GetSystemMetrics(SM_CXSCREEN) == 800; }));
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
  EXPECT_EQ(Screen->WorkAreaRect(), TRect(0, 30, 800, std::min(whole.Bottom, 600)));
  MONITORINFO info { sizeof info, {}, {}, 0 };
  ASSERT_TRUE(GetMonitorInfoA(MonitorFromPoint(POINT { 10, 10 }, MONITOR_DEFAULTTOPRIMARY), &info));
  EXPECT_EQ(TRect(info.rcMonitor), TRect(0, 0, 800, 600));

  TForm* form = NewForm(0, 0, 400, 301);
  form->SetCaption("xj-centred");
  form->SetPosition(poScreenCenter);
  form->Show();
  EXPECT_EQ(form->BoundsRect(), TRect(200, 149, 600, 450));
}

}  // namespace
