// Whole scenarios as a user and an outside check see them: a window with a menu and a child driven by
// injected input, and the environment variables of a program's main loop.

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/win32/WinGdi.h"
#include "tests/platform/wm/WmTestUtil.h"

using namespace xj::test;
using namespace wmtest;

namespace {

class ScenarioTest : public WmTest {};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST_F(ScenarioTest, WindowWithMenuAndChildClickedTypedAndPhotographed) {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, 7, "保存(&S)");
  AppendMenuA(bar, MF_POPUP, (UINT_PTR)file, "文件(&F)");
  HWND form = CreateWindowExA(0, "TestWnd", "巡检", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 320, 240, nullptr, bar,
                              nullptr, nullptr);
  HWND edit = Child(form, 20, 20, 200, 24, WS_CHILD | WS_VISIBLE | WS_BORDER);
  std::string typed;
  std::vector<WPARAM> commands;
  On(edit, WM_LBUTTONDOWN, [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    SetFocus(h);
    return 0;
  });
  On(edit, WM_CHAR, [&](HWND, UINT, WPARAM c, LPARAM) -> LRESULT {
    typed += (char)c;
    return 0;
  });
  On(edit, WM_PAINT, [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT r { 0, 0, 198, 22 };
    FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    EndPaint(h, &ps);
    return 0;
  });
  On(form, WM_COMMAND, [&](HWND, UINT, WPARAM w, LPARAM) -> LRESULT {
    commands.push_back(LOWORD(w));
    return 0;
  });
  PumpUntilIdle();
  EXPECT_EQ(GetActiveWindow(), form);

  POINT p { 50, 10 };
  ClientToScreen(edit, &p);
  Click(p.x, p.y);
  EXPECT_EQ(GetFocus(), edit);
  TypeText("你好 abc");
  EXPECT_EQ(typed, "你好 abc");

  KeyDown(VK_MENU, ssNone, false);
  KeyDown('F', ssNone, false);
  KeyUp('F', ssNone, false);
  KeyUp(VK_MENU, ssNone, false);
  KeyDown(VK_RETURN, ssNone, false);
  KeyUp(VK_RETURN, ssNone, false);
  PumpUntilIdle();
  EXPECT_EQ(commands, (std::vector<WPARAM> { 7 }));

  EXPECT_EQ(DesktopPixel(40 + 150, 40 + 10), GetSysColor(COLOR_ACTIVECAPTION));
  EXPECT_EQ(DesktopPixel(p.x, p.y), GetSysColor(COLOR_WINDOW));
  std::string shot = std::string(XJ_BINARY_DIR) + "/tests/wm_scenario.png";
  ASSERT_TRUE(Screenshot(shot));
  EXPECT_EQ(ReadFile(shot).substr(1, 3), "PNG");
}

TEST_F(ScenarioTest, EnvironmentClosesTheMainWindowAndWritesArtifacts) {
  std::string dir = std::string(XJ_BINARY_DIR) + "/tests/";
  std::string shot = dir + "wm_env.png", dump = dir + "wm_env.txt";
  std::remove(shot.c_str());
  std::remove(dump.c_str());
  setenv("XJ_EXIT_AFTER", "1500", 1);
  setenv("XJ_SCREENSHOT", shot.c_str(), 1);
  setenv("XJ_UI_DUMP", dump.c_str(), 1);
  HWND form = Top(10, 10, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  SetWindowTextA(form, "主窗口");
  HWND child = Child(form, 10, 10, 50, 20);
  SetWindowTextA(child, "按钮");
  Child(form, 100, 10, 50, 20, WS_CHILD);  // hidden: not listed
  On(form, WM_DESTROY, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    PostQuitMessage(3);
    return 0;
  });
  SetActiveWindow(form);
  MSG m;
  int loops = 0;
  while (GetMessageA(&m, nullptr, 0, 0)) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
    ++loops;
  }
  unsetenv("XJ_EXIT_AFTER");
  unsetenv("XJ_SCREENSHOT");
  unsetenv("XJ_UI_DUMP");
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_FALSE(IsWindow(form));
  EXPECT_GE(Now(), 1500u);
  EXPECT_EQ(ReadFile(shot).substr(1, 3), "PNG");
  EXPECT_EQ(ReadFile(dump), std::string((const char*)u8"TestWnd \"主窗口\"\n  TestWnd \"按钮\"\n"));
}

}  // namespace
