// The notification area on the headless display: icons drawn in the desktop's strip, changed and
// removed, tips kept whole, clicks at an icon's place reaching its window as callback messages, and
// "TaskbarCreated" when the shell restarts.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/display/Display.h"
#include "platform/display/Png.h"
#include "platform/testing/TestHooks.h"
#include "platform/win32/ShellApi.h"
#include "platform/win32/WinGdi.h"
#include "platform/win32/WmBackend.h"
#include "tests/support/TrayTestSupport.h"

namespace {

namespace t = xj::test;

constexpr UINT kCallback = 0x800;
constexpr COLORREF kFace = RGB(0xC0, 0xC0, 0xC0);  // the strip behind a transparent pixel

struct Seen {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  POINT cursor;
};
std::vector<Seen> gSeen;
std::function<void(HWND, UINT)> gOnMessage;

LRESULT CALLBACK RecordingProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg >= WM_USER) {
    POINT cursor {};
    GetCursorPos(&cursor);
    gSeen.push_back({ h, msg, wParam, lParam, cursor });
    if (gOnMessage) gOnMessage(h, msg);
    return 0;
  }
  if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN) gSeen.push_back({ h, msg, wParam, lParam, {} });
  return DefWindowProcA(h, msg, wParam, lParam);
}

using xj::test::MakeIcon;

HICON Solid(COLORREF c) {
  return MakeIcon(16, 16, [c](int, int) { return c; });
}

NOTIFYICONDATAA Record(HWND h, UINT id, UINT flags, HICON icon = nullptr, const char* tip = "") {
  return xj::test::NotifyRecord(h, id, flags, kCallback, icon, tip);
}

// A part of the desktop (screen coordinates), four times larger, as build/tests/gallery/<name>.
void Gallery(const std::string& name, const RECT& area) {
  const int scale = 4;
  int screenW = 0;
  std::vector<COLORREF> desktop = t::DesktopPixels(&screenW);
  xj::display::Image big(int(area.right - area.left) * scale, int(area.bottom - area.top) * scale);
  for (int py = 0; py < big.height; ++py)
    for (int px = 0; px < big.width; ++px) {
      COLORREF c = desktop[size_t(area.top + py / scale) * size_t(screenW) + size_t(area.left + px / scale)];
      big.At(px, py) = uint32_t(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c);
    }
  const std::string gallery = std::string(XJ_BINARY_DIR) + "/tests/gallery";
  std::filesystem::create_directories(gallery);
  std::string error;
  EXPECT_TRUE(xj::display::WritePng(gallery + "/" + name, big.View(), &error)) << error;
}

class TrayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gSeen.clear();
    gOnMessage = nullptr;
    WNDCLASSA wc {};
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = "TrayTestWindow";
    RegisterClassA(&wc);
    FOwner = CreateWindowExA(0, "TrayTestWindow", "owner", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_TRUE(FOwner);
  }
  void TearDown() override { gOnMessage = nullptr; }

  static t::TrayIconInfo Icon(HWND h, UINT id) {
    for (const t::TrayIconInfo& i : t::TrayIcons())
      if (i.hwnd == h && i.id == id) return i;
    return t::TrayIconInfo { nullptr, 0, 0, {}, {} };
  }
  // The callback messages (lParam) the owner saw, in order.
  static std::vector<LPARAM> Callbacks(UINT id) {
    std::vector<LPARAM> out;
    for (const Seen& s : gSeen)
      if (s.msg == kCallback && s.wParam == id) out.push_back(s.lParam);
    return out;
  }

  t::Harness FHarness;
  HWND FOwner {};
};

TEST_F(TrayTest, IconsAreDrawnChangedAndRemovedInTheStrip) {
  // 32 × 32, scaled to the strip's 16 × 16: a transparent top-left quarter, red left, blue right.
  HICON quarters = xj::test::QuarteredIcon();
  NOTIFYICONDATAA d = Record(FOwner, 1, NIF_ICON | NIF_TIP | NIF_MESSAGE, quarters, "line 1");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &d));
  DestroyIcon(quarters);  // the shell keeps its own copy

  t::TrayIconInfo one = Icon(FOwner, 1);
  ASSERT_EQ(one.place.right - one.place.left, 16);
  ASSERT_EQ(one.place.bottom - one.place.top, 16);
  EXPECT_EQ(one.tip, "line 1");
  EXPECT_EQ(one.callback, kCallback);
  EXPECT_GE(one.place.top, 738);  // in the band below the work area
  const LONG x = one.place.left, y = one.place.top;
  EXPECT_EQ(t::DesktopPixel(x + 2, y + 2), kFace);
  EXPECT_EQ(t::DesktopPixel(x + 7, y + 7), kFace);
  EXPECT_EQ(t::DesktopPixel(x + 2, y + 8), RGB(255, 0, 0));
  EXPECT_EQ(t::DesktopPixel(x + 8, y + 2), RGB(0, 0, 255));
  EXPECT_EQ(t::DesktopPixel(x + 15, y + 15), RGB(0, 0, 255));

  // A second icon goes after the first; changing only the picture keeps the tip and the place.
  HICON green = Solid(RGB(0, 160, 0));
  NOTIFYICONDATAA d2 = Record(FOwner, 2, NIF_ICON, green);
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &d2));
  t::TrayIconInfo two = Icon(FOwner, 2);
  EXPECT_GT(two.place.left, Icon(FOwner, 1).place.left);
  EXPECT_EQ(two.callback, 0u);
  EXPECT_EQ(t::DesktopPixel(two.place.left + 3, two.place.top + 3), RGB(0, 160, 0));

  NOTIFYICONDATAA change = Record(FOwner, 1, NIF_ICON, green, "ignored without NIF_TIP");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &change));
  one = Icon(FOwner, 1);
  EXPECT_EQ(one.tip, "line 1");
  EXPECT_EQ(t::DesktopPixel(one.place.left + 2, one.place.top + 2), RGB(0, 160, 0));
  change = Record(FOwner, 1, NIF_TIP, nullptr, "line 2");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &change));
  EXPECT_EQ(Icon(FOwner, 1).tip, "line 2");
  EXPECT_EQ(t::DesktopPixel(one.place.left + 2, one.place.top + 2), RGB(0, 160, 0));
  // A null icon empties the place.
  change = Record(FOwner, 2, NIF_ICON, nullptr);
  ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &change));
  EXPECT_EQ(t::DesktopPixel(two.place.left + 3, two.place.top + 3), kFace);

  // The gallery's picture of the strip, four times larger: the quartered icon, an empty place, a ring.
  quarters = xj::test::QuarteredIcon();
  change = Record(FOwner, 1, NIF_ICON, quarters);
  ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &change));
  DestroyIcon(quarters);
  HICON ring = MakeIcon(24, 20, [](int x, int y) -> COLORREF {
    int dx = 2 * x - 23, dy = 2 * y - 19, r = dx * dx + dy * dy;
    return r < 120 ? CLR_INVALID : r < 400 ? RGB(250, 200, 0) : CLR_INVALID;
  });
  NOTIFYICONDATAA d3 = Record(FOwner, 3, NIF_ICON | NIF_TIP, ring, "ring");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &d3));
  RECT first = Icon(FOwner, 1).place, last = Icon(FOwner, 3).place;
  Gallery("tray_strip.png", { first.left - 6, first.top - 5, last.right + 6, first.top + 21 });

  // Deleting the first closes the gap; the strip goes with the last icon.
  NOTIFYICONDATAA gone = Record(FOwner, 1, 0);
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &gone));
  EXPECT_EQ(Icon(FOwner, 1).hwnd, nullptr);
  EXPECT_EQ(t::TrayIcons().size(), 2u);
  gone.uID = 2;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &gone));
  gone.uID = 3;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &gone));
  EXPECT_TRUE(t::TrayIcons().empty());
  EXPECT_EQ(t::DesktopPixel(x + 8, y + 8), RGB(0, 0x80, 0x80));  // the desktop again
  DestroyIcon(green);
  DestroyIcon(ring);
}

TEST_F(TrayTest, BadCallsFailClearlyAndChangeNothing) {
  HICON red = Solid(RGB(255, 0, 0));
  NOTIFYICONDATAA d = Record(FOwner, 5, NIF_ICON | NIF_TIP | NIF_MESSAGE, red, "kept");
  auto fails = [](DWORD message, NOTIFYICONDATAA* r, DWORD error) {
    SetLastError(0);
    return !Shell_NotifyIconA(message, r) && GetLastError() == error;
  };
  EXPECT_TRUE(fails(NIM_ADD, nullptr, ERROR_INVALID_PARAMETER));
  d.cbSize = 88;
  EXPECT_TRUE(fails(NIM_ADD, &d, ERROR_INVALID_PARAMETER));
  d.cbSize = NOTIFYICONDATAA_V2_SIZE;
  EXPECT_TRUE(fails(7, &d, ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(fails(NIM_MODIFY, &d, ERROR_NOT_FOUND));
  EXPECT_TRUE(fails(NIM_DELETE, &d, ERROR_NOT_FOUND));
  d.hWnd = reinterpret_cast<HWND>(0x7777);
  EXPECT_TRUE(fails(NIM_ADD, &d, ERROR_INVALID_HANDLE));
  EXPECT_TRUE(t::TrayIcons().empty());

  d.hWnd = FOwner;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &d));
  EXPECT_TRUE(fails(NIM_ADD, &d, ERROR_ALREADY_EXISTS));
  // A handle that is no icon spoils the whole change: the new tip is not taken either.
  HBITMAP notAnIcon = CreateBitmap(4, 4, 1, 32, nullptr);
  NOTIFYICONDATAA bad = Record(FOwner, 5, NIF_ICON | NIF_TIP, reinterpret_cast<HICON>(notAnIcon), "lost");
  EXPECT_TRUE(fails(NIM_MODIFY, &bad, ERROR_INVALID_HANDLE));
  t::TrayIconInfo kept = Icon(FOwner, 5);
  EXPECT_EQ(kept.tip, "kept");
  EXPECT_EQ(t::DesktopPixel(kept.place.left + 4, kept.place.top + 4), RGB(255, 0, 0));
  // The same key under another window is another icon.
  HWND other =
      CreateWindowExA(0, "TrayTestWindow", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  NOTIFYICONDATAA d2 = Record(other, 5, NIF_TIP, nullptr, "other");
  EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &d2));
  EXPECT_EQ(t::TrayIcons().size(), 2u);

  // Tips: at most 127 bytes, a NUL-less field too, never half of a double-byte character, broken
  // bytes passed on as they are.
  NOTIFYICONDATAA tip = Record(FOwner, 5, NIF_TIP);
  std::memset(tip.szTip, 'a', sizeof tip.szTip);
  ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &tip));
  EXPECT_EQ(Icon(FOwner, 5).tip, std::string(127, 'a'));
  std::memset(tip.szTip, 0, sizeof tip.szTip);
  std::memset(tip.szTip, 'b', 124);
  std::memcpy(tip.szTip + 124, "\xD6\xD0\xCE\xC4", 4);  // 中文 across the 127-byte edge: 文 is cut
  ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &tip));
  EXPECT_EQ(Icon(FOwner, 5).tip, std::string(124, 'b') + "\xD6\xD0");
  std::strcpy(tip.szTip,
              "x\xD6"
              "1\xFF");  // a lead byte with a bad trail, a stray byte
  ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &tip));
  EXPECT_EQ(Icon(FOwner, 5).tip,
            "x\xD6"
            "1\xFF");
  xj::display::Backend* display = xj::wm::CurrentDisplay();
  ASSERT_TRUE(display);
  ASSERT_EQ(display->TrayIcons().size(), 2u);
  EXPECT_EQ(display->TrayIcons()[0].tip,
            "x\xEF\xBF\xBD"
            "1\xEF\xBF\xBD");  // U+FFFD for each broken byte

  // A huge picture is kept small, in its proportions: 4 × 1 shows as 16 × 4 across the middle.
  HICON wide = MakeIcon(1000, 250, [](int, int) { return RGB(0, 0, 200); });
  NOTIFYICONDATAA huge = Record(FOwner, 5, NIF_ICON, wide);
  ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &huge));
  DestroyIcon(wide);
  RECT p = Icon(FOwner, 5).place;
  EXPECT_EQ(t::DesktopPixel(p.left, p.top + 5), kFace);
  EXPECT_EQ(t::DesktopPixel(p.left, p.top + 6), RGB(0, 0, 200));
  EXPECT_EQ(t::DesktopPixel(p.left + 15, p.top + 9), RGB(0, 0, 200));
  EXPECT_EQ(t::DesktopPixel(p.left + 15, p.top + 10), kFace);

  // A window that goes takes its icons with it.
  DestroyWindow(other);
  EXPECT_EQ(t::TrayIcons().size(), 1u);
  DeleteObject(notAnIcon);
  DestroyIcon(red);
}

TEST_F(TrayTest, MouseOnAnIconReachesItsWindow) {
  // A window under the strip must not see the clicks that land on an icon.
  HWND under = CreateWindowExA(0, "TrayTestWindow", "under", WS_POPUP | WS_VISIBLE, 0, 0, 1024, 768, nullptr, nullptr,
                               nullptr, nullptr);
  HICON red = Solid(RGB(255, 0, 0));
  NOTIFYICONDATAA d = Record(FOwner, 3, NIF_ICON | NIF_MESSAGE, red);
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &d));
  NOTIFYICONDATAA silent = Record(FOwner, 4, NIF_ICON, red);  // no callback message
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &silent));
  RECT r = Icon(FOwner, 3).place;
  const int x = r.left + 5, y = r.top + 11;

  t::Click(x, y);
  EXPECT_EQ(Callbacks(3), (std::vector<LPARAM> { WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP }));
  ASSERT_FALSE(gSeen.empty());
  EXPECT_EQ(gSeen.back().hwnd, FOwner);
  EXPECT_EQ(gSeen.back().cursor.x, x);  // the handler finds the cursor on the icon
  EXPECT_EQ(gSeen.back().cursor.y, y);

  // A double click: the second press says so, for each button.
  const struct {
    t::Button button;
    LPARAM down, up, dbl;
  } buttons[] = { { t::mbLeft, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK },
                  { t::mbRight, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK },
                  { t::mbMiddle, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK } };
  for (const auto& b : buttons) {
    t::Advance(GetDoubleClickTime() + 1);
    gSeen.clear();
    t::DoubleClick(x, y, b.button);
    EXPECT_EQ(Callbacks(3), (std::vector<LPARAM> { WM_MOUSEMOVE, b.down, b.up, b.dbl, b.up })) << b.down;
  }
  // A third quick press starts afresh; two clicks further apart than the double-click time, or on
  // different icons, are two clicks.
  t::Advance(GetDoubleClickTime() + 1);
  t::DoubleClick(x, y);
  gSeen.clear();
  t::Click(x, y);
  EXPECT_EQ(Callbacks(3), (std::vector<LPARAM> { WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP }));
  t::Advance(GetDoubleClickTime() + 1);
  gSeen.clear();
  t::Click(x, y);
  t::Advance(GetDoubleClickTime() + 1);
  t::Click(x, y);
  EXPECT_EQ(Callbacks(3), (std::vector<LPARAM> { WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE,
                                                 WM_LBUTTONDOWN, WM_LBUTTONUP }));
  t::Advance(GetDoubleClickTime() + 1);
  RECT s = Icon(FOwner, 4).place;
  t::Click(s.left + 1, s.top + 1);
  gSeen.clear();
  t::Click(x, y);
  EXPECT_EQ(Callbacks(3), (std::vector<LPARAM> { WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP }));
  EXPECT_TRUE(Callbacks(4).empty());

  // The window under the strip saw none of it; a click off the strip is its own again.
  for (const Seen& seen : gSeen) EXPECT_NE(seen.hwnd, under);
  t::Click(100, 100);
  ASSERT_FALSE(gSeen.empty());
  EXPECT_EQ(gSeen.back().hwnd, under);
  EXPECT_EQ(gSeen.back().msg, UINT(WM_LBUTTONDOWN));
  DestroyIcon(red);
}

TEST_F(TrayTest, ATipShowsWhileThePointerRestsOnTheIcon) {
  const char* tip = "\xCF\xDF\xC2\xB7 2 \xC2\xBC\xD2\xF4\xD6\xD0";  // 线路 2 录音中
  HICON red = Solid(RGB(255, 0, 0));
  NOTIFYICONDATAA d = Record(FOwner, 1, NIF_ICON | NIF_TIP | NIF_MESSAGE, red, tip);
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &d));
  RECT r = Icon(FOwner, 1).place;
  auto shown = [&]() -> HWND {
    for (const t::TextRecord& rec : t::TextOutLog())
      if (rec.text == tip && rec.hwnd && IsWindowVisible(rec.hwnd)) return rec.hwnd;
    return nullptr;
  };

  // Not while the pointer keeps moving; once it rests for the delay.
  t::MouseMove(r.left + 3, r.top + 3);
  t::Advance(400);
  t::MouseMove(r.left + 9, r.top + 4);
  t::Advance(400);
  EXPECT_EQ(shown(), nullptr);
  t::Advance(100);
  HWND h = shown();
  ASSERT_NE(h, nullptr);
  RECT at = t::Info(h).window;
  EXPECT_LE(at.bottom, r.top);  // above the icon, under the pointer's column
  EXPECT_LE(at.left, r.left + 9);
  EXPECT_GT(at.right, r.left + 9);
  EXPECT_LE(at.right, 1024);
  EXPECT_EQ(t::DesktopPixel(at.left + 2, at.top + 2), GetSysColor(COLOR_INFOBK));
  Gallery("tray_tip.png", { std::min(at.left, r.left) - 4, at.top - 4, std::max(at.right, r.right) + 4, r.bottom + 4 });
  // It goes by itself, and at a press, which also keeps it from coming back.
  t::Advance(5000);
  EXPECT_FALSE(IsWindowVisible(h));
  t::MouseMove(r.left + 3, r.top + 3);
  t::Click(r.left + 3, r.top + 3);
  t::Advance(1000);
  EXPECT_FALSE(IsWindowVisible(h));
  // An icon without a tip shows none; a tip goes with its icon.
  t::ClearTextLog();
  t::MouseMove(r.left + 4, r.top + 4);
  t::Advance(600);
  ASSERT_TRUE(IsWindowVisible(h));
  NOTIFYICONDATAA gone = Record(FOwner, 1, 0);
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &gone));
  EXPECT_FALSE(IsWindowVisible(h));
  NOTIFYICONDATAA plain = Record(FOwner, 2, NIF_ICON, red);
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &plain));
  r = Icon(FOwner, 2).place;
  t::MouseMove(r.left + 3, r.top + 3);
  t::Advance(1000);
  EXPECT_FALSE(IsWindowVisible(h));
  DestroyIcon(red);
}

TEST_F(TrayTest, ShellRestartTellsEveryTopLevelWindow) {
  const UINT created = RegisterWindowMessageA("TaskbarCreated");
  HWND hidden =
      CreateWindowExA(0, "TrayTestWindow", "hidden", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HWND child = CreateWindowExA(0, "TrayTestWindow", "child", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, FOwner, nullptr,
                               nullptr, nullptr);
  NOTIFYICONDATAA d = Record(FOwner, 1, NIF_TIP, nullptr, "again");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &d));
  NOTIFYICONDATAA other = Record(hidden, 1, NIF_TIP, nullptr, "not again");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &other));
  // The owner puts its icon back when told, as a program does; the hidden window does not.
  gOnMessage = [&](HWND h, UINT msg) {
    if (h == FOwner && msg == created) Shell_NotifyIconA(NIM_ADD, &d);
  };
  gSeen.clear();
  t::RestartShell();
  int toOwner = 0, toHidden = 0, toChild = 0;
  for (const Seen& s : gSeen)
    if (s.msg == created)
      (s.hwnd == FOwner ? toOwner : s.hwnd == hidden ? toHidden : s.hwnd == child ? toChild : toChild)++;
  EXPECT_EQ(toOwner, 1);
  EXPECT_EQ(toHidden, 1);
  EXPECT_EQ(toChild, 0);
  std::vector<t::TrayIconInfo> icons = t::TrayIcons();
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_EQ(icons[0].hwnd, FOwner);
  EXPECT_EQ(icons[0].tip, "again");
  EXPECT_NE(icons[0].place.right, 0);
}

}  // namespace
