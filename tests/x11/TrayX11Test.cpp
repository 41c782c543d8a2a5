// A real tray icon under a private Xvfb: the icon docks into a desktop tray (a minimal one of the
// test's own), shows its picture at the size the tray gives and its tip, and reports clicks and double
// clicks to its window; when the tray goes the icon falls back to the strip, and when a tray starts anew the icon
// docks again and top-level windows hear "TaskbarCreated".

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/display/Display.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/win32/NotifyArea.h"
#include "platform/win32/ShellApi.h"
#include "platform/win32/WinUser.h"
#include "platform/win32/WmBackend.h"
#include "skin/form/bsTrayIcon.h"
#include "tests/support/TrayTestSupport.h"
#include "tests/support/Wait.h"
#include "tests/support/XvfbServer.h"
#include "tests/support/x11/TrayManager.h"
#include "tests/support/x11/WindowManager.h"
#include "tests/support/x11/XProbe.h"

namespace {

using xj::test::OnPath;
using xj::test::TrayManager;
using xj::test::XProbe;
using xj::test::XvfbServer;

constexpr UINT kCallback = 0x800;
constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF;
// The desktop's tray as an ordinary window at the top-left, sized to its icons.
constexpr char kTrayer[] =
    "trayer --edge top --align left --height 24 --widthtype request --SetDockType false"
    " --SetPartialStrut false >/dev/null 2>&1";

XvfbServer* gServer = nullptr;
std::string gProblem;

struct Seen {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Seen> gSeen;

LRESULT CALLBACK RecordingProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg >= WM_USER) gSeen.push_back({ msg, wParam, lParam });
  return DefWindowProcA(h, msg, wParam, lParam);
}

class TrayX11Test : public testing::Test {
 protected:
  static void SetUpTestSuite() { gServer = xj::test::StartXvfbAndManager(gProblem); }
  static void TearDownTestSuite() {
    xj::wm::SetDisplay(nullptr);  // its connection goes before the server does
    delete gServer;
    gServer = nullptr;
  }

  void SetUp() override {
    if (!gServer) GTEST_SKIP() << gProblem;
    setenv("DISPLAY", gServer->Name().c_str(), 1);
    setenv("XJ_DISPLAY", "x11", 1);
    FX = std::make_unique<XProbe>(gServer->Name());
    ASSERT_TRUE(FX->Connected());
    gSeen.clear();
    WNDCLASSA wc {};
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = "TrayX11Owner";
    RegisterClassA(&wc);
    FOwner = CreateWindowExA(0, "TrayX11Owner", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 80, nullptr, nullptr, nullptr,
                             nullptr);
    ASSERT_TRUE(FOwner);
  }
  void TearDown() override {
    if (FOwner) DestroyWindow(FOwner);
    FTray.reset();
    Pump();
  }

  void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    if (FTray) FTray->Pump();
  }
  bool PumpUntil(const std::function<bool()>& done) {
    return xj::test::WaitUntil(done, [this] { Pump(); });
  }

  std::unique_ptr<TrayManager> StartTray(int x, int y, uint32_t rgb, int w, int h) {
    auto tray = std::make_unique<TrayManager>(gServer->Name(), x, y, rgb, w, h);
    EXPECT_TRUE(tray->Running());
    return tray;
  }

  void AddIcon(const char* tipGbk, UINT id = 9) {
    HICON icon = xj::test::QuarteredIcon();
    NOTIFYICONDATAA d = xj::test::NotifyRecord(FOwner, id, NIF_ICON | NIF_TIP | NIF_MESSAGE, kCallback, icon, tipGbk);
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &d));
    DestroyIcon(icon);
  }

  // The quartered picture fitted into a w × h slot at (x, y) of the screen, over `panel`: centred,
  // square, its top-left quarter showing the panel.
  bool ShowsQuartered(int x, int y, int w, int h, uint32_t panel) {
    std::vector<uint32_t> px = FX->ScreenPixels(x, y, w, h);
    if (px.empty()) return false;
    const int side = std::min(w, h), ox = (w - side) / 2, oy = (h - side) / 2, q = side / 4;
    auto at = [&](int dx, int dy) { return px[size_t(oy + dy) * size_t(w) + size_t(ox + dx)]; };
    bool margins =
        ox == 0 || (px[size_t(h / 2) * size_t(w)] == panel && px[size_t(h / 2) * size_t(w) + w - 1] == panel);
    return margins && at(q, q) == panel && at(q, 3 * q) == kRed && at(3 * q, q) == kBlue &&
           at(side - 1, side - 1) == kBlue;
  }

  // The icon's window (named by its tip) mapped by trayer, at least 16 x 16, its picture on the screen.
  bool DockedInTrayer(const char* tip) {
    const unsigned long icon = FX->FindWindow(tip);
    const xj::test::XRect r = FX->Bounds(icon);
    const int w = r.right - r.left, h = r.bottom - r.top, side = std::min(w, h);
    const int ox = r.left + (w - side) / 2, oy = r.top + (h - side) / 2, q = side / 4;
    return icon && FX->Viewable(icon) && w >= 16 && h >= 16 && FX->ScreenPixel(ox + q, oy + 3 * q) == kRed &&
           FX->ScreenPixel(ox + 3 * q, oy + q) == kBlue;
  }

  std::vector<LPARAM> Callbacks() const {
    std::vector<LPARAM> out;
    for (const Seen& s : gSeen)
      if (s.msg == kCallback && s.wParam == 9) out.push_back(s.lParam);
    return out;
  }
  int TaskbarCreatedCount() const {
    const UINT created = RegisterWindowMessageA("TaskbarCreated");
    int n = 0;
    for (const Seen& s : gSeen) n += s.msg == created;
    return n;
  }

  std::unique_ptr<XProbe> FX;
  std::unique_ptr<TrayManager> FTray;
  HWND FOwner {};
};

TEST_F(TrayX11Test, IconDocksDrawsAtTheTraysSizeAndTakesClicks) {
  if (!OnPath("xdotool")) GTEST_SKIP() << "xdotool is not installed";
  const uint32_t panel = 0x3050A0;
  FTray = StartTray(600, 700, panel, 30, 24);  // a slot wider than high: the picture is centred
  AddIcon("\xCF\xDF\xC2\xB7 1");               // 线路 1
  ASSERT_TRUE(PumpUntil([&] {
    auto icons = FTray->Icons();
    return icons.size() == 1 && icons[0].width == 30 && ShowsQuartered(icons[0].x, icons[0].y, 30, 24, panel);
  }));
  TrayManager::Docked docked = FTray->Icons()[0];
  EXPECT_EQ(docked.name, "\xE7\xBA\xBF\xE8\xB7\xAF 1");
  RECT place = xj::wm::CurrentDisplay()->TrayIconRect(xj::wm::NotifyIcons()[0].displayId);
  EXPECT_EQ(place.left, docked.x);
  EXPECT_EQ(place.bottom - place.top, 24);

  // The pointer resting on the icon brings up its tip; a click, as a user makes it, reaches the window.
  const std::string at = std::to_string(docked.x + 20) + " " + std::to_string(docked.y + 18);
  ASSERT_EQ(xj::test::RunWhilePumping("xdotool mousemove " + at, [this] { Pump(); }), 0);
  const COLORREF bk = GetSysColor(COLOR_INFOBK);
  const uint32_t tipBackground = uint32_t(GetRValue(bk)) << 16 | uint32_t(GetGValue(bk)) << 8 | GetBValue(bk);
  EXPECT_TRUE(PumpUntil([&] { return FX->ScreenPixel(docked.x + 20, docked.y + 18 - 8) == tipBackground; }));
  ASSERT_EQ(xj::test::RunWhilePumping("xdotool click 1", [this] { Pump(); }), 0);
  ASSERT_TRUE(PumpUntil([&] {
    std::vector<LPARAM> c = Callbacks();
    return c.size() >= 2 && c[c.size() - 2] == WM_LBUTTONDOWN && c.back() == WM_LBUTTONUP;
  }));

  // Two presses 90 ms apart by the server's clock are a double click; one 5 s later is not.
  gSeen.clear();
  FTray->SendButton(docked.window, 3, true, 1000, 5, 5);
  FTray->SendButton(docked.window, 3, false, 1010, 5, 5);
  FTray->SendButton(docked.window, 3, true, 1100, 5, 5);
  FTray->SendButton(docked.window, 3, false, 1110, 5, 5);
  FTray->SendButton(docked.window, 3, true, 6100, 5, 5);
  std::vector<LPARAM> expected { WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, WM_RBUTTONUP, WM_RBUTTONDOWN };
  EXPECT_TRUE(PumpUntil([&] { return Callbacks().size() >= expected.size(); }));
  EXPECT_EQ(Callbacks(), expected);
}

TEST_F(TrayX11Test, IconFallsBackToTheStripAndDocksAgainWhenATrayStarts) {
  const uint32_t first = 0x3050A0, second = 0x208020;
  FTray = StartTray(600, 700, first, 24, 24);
  AddIcon("rec");
  ASSERT_TRUE(PumpUntil([&] {
    auto icons = FTray->Icons();
    return icons.size() == 1 && ShowsQuartered(icons[0].x, icons[0].y, 24, 24, first);
  }));

  // The tray goes: the icon is shown in our own strip, 16 × 16 over its face.
  gSeen.clear();
  FTray.reset();
  const uint32_t id = xj::wm::NotifyIcons()[0].displayId;
  RECT strip {};
  ASSERT_TRUE(PumpUntil([&] {
    strip = xj::wm::CurrentDisplay()->TrayIconRect(id);
    return strip.right - strip.left == 16 && ShowsQuartered(strip.left, strip.top, 16, 16, 0xC0C0C0);
  }));
  EXPECT_EQ(TaskbarCreatedCount(), 0);

  // A tray starts: the icon docks there, at its size, the strip goes, and windows are told.
  FTray = StartTray(100, 650, second, 22, 22);
  ASSERT_TRUE(PumpUntil([&] {
    auto icons = FTray->Icons();
    return icons.size() == 1 && ShowsQuartered(icons[0].x, icons[0].y, 22, 22, second) &&
           !ShowsQuartered(strip.left, strip.top, 16, 16, 0xC0C0C0) && TaskbarCreatedCount() == 1;
  }));
  EXPECT_EQ(xj::wm::CurrentDisplay()->TrayIconRect(id).left, FTray->Icons()[0].x);
}

// A tray program of the desktop's (trayer): an icon shown before it starts (in our strip meanwhile) docks
// once it does, and one
// shown while it runs docks at once, each at the size the tray gives it and no smaller than 16 x 16,
// showing its picture; and again when the tray restarts.
TEST_F(TrayX11Test, IconsDockInARealTrayWhenItStartsAndRestarts) {
  if (!OnPath("trayer")) GTEST_SKIP() << "trayer is not installed";
  AddIcon("early");
  const uint32_t id = xj::wm::NotifyIcons()[0].displayId;
  EXPECT_TRUE(PumpUntil([&] {  // in our own strip meanwhile
    const RECT strip = xj::wm::CurrentDisplay()->TrayIconRect(id);
    return strip.right - strip.left == 16 && ShowsQuartered(strip.left, strip.top, 16, 16, 0xC0C0C0);
  }));
  for (int start = 0; start < 2; ++start) {
    xj::test::BackgroundProgram tray;
    ASSERT_TRUE(tray.Start(kTrayer));
    EXPECT_TRUE(PumpUntil([&] { return DockedInTrayer("early"); })) << "start " << start;
    if (start == 0) AddIcon("late", 10);
    EXPECT_TRUE(PumpUntil([&] { return DockedInTrayer("late"); })) << "start " << start;
    const std::string shot = xj::test::ScreenshotPath("x11-trayer-" + std::to_string(start));
    EXPECT_EQ(xj::test::RunWhilePumping("import -window root '" + shot + "'", [this] { Pump(); }), 0);
  }
}

// A form whose constructor shows its tray icon, as a program's main form does: the icon is there before
// the form's own window, and docks in the desktop's tray whether the tray was there first or comes later.
// The form stands clear of the tray at the top-left: trayer runs as an ordinary window here, so a form
// shown over it would hide the icon however well it docked.
class TrayShowingForm : public TForm {
 public:
  TrayShowingForm(const char* tip) : TForm(nullptr) {
    SetCaption(AnsiString("form ") + tip);
    SetBounds(500, 400, 320, 240);
    auto* tray = new TbsTrayIcon(this);
    TIcon icon;
    icon.SetHandle(xj::test::QuarteredIcon());
    tray->SetIcon(&icon);
    tray->SetHint(tip);
    tray->SetIconVisible(true);
  }
};

TEST_F(TrayX11Test, AnIconShownByAFormsConstructorDocksInARealTray) {
  if (!OnPath("trayer")) GTEST_SKIP() << "trayer is not installed";
  auto before = std::make_unique<TrayShowingForm>("made before the tray");
  xj::test::BackgroundProgram tray;
  ASSERT_TRUE(tray.Start(kTrayer));
  EXPECT_TRUE(PumpUntil([&] { return DockedInTrayer("made before the tray"); }));
  auto after = std::make_unique<TrayShowingForm>("made while the tray runs");
  after->Show();
  ASSERT_TRUE(PumpUntil([&] { return FX->Viewable(FX->FindWindow("form made while the tray runs")); }));
  EXPECT_TRUE(PumpUntil([&] { return DockedInTrayer("made while the tray runs"); }));
}

}  // namespace
