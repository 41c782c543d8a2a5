// What a program loads when it starts: a headless program that shows a window has not loaded Xlib,
// which is loaded when an X display is first asked for.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/display/factory/CreateBackend.h"
#include "platform/win32/WinUser.h"
#include "tests/support/Loaded.h"

namespace {

using xj::test::LibraryLoaded;

// What is wrong, as bits: Xlib loaded before a display asked for it (1), or not loaded once one did (2).
int XlibLoadedWhenFirstNeeded() {
  setenv("XJ_DISPLAY", "headless", 1);
  WNDCLASSA wc {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "StartUpWnd";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(0, "StartUpWnd", "shown", WS_POPUP | WS_VISIBLE, 0, 0, 50, 20, nullptr, nullptr, nullptr,
                           nullptr);
  UpdateWindow(w);
  int wrong = !w || LibraryLoaded("libX11.so") ? 1 : 0;
  setenv("XJ_DISPLAY", "x11", 1);
  setenv("DISPLAY", ":9876", 1);  // no server: the back-end cannot open, but has had to load Xlib to try
  std::string error;
  if (xj::display::CreateBackend(error) || error.empty() || !LibraryLoaded("libX11.so")) wrong |= 2;
  DestroyWindow(w);
  return wrong;
}

// In a fresh process, as a program starts.
TEST(StartUp, XlibIsLoadedWhenAnXDisplayIsFirstAskedFor) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(XlibLoadedWhenFirstNeeded()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
