#pragma once
// A window class for tests whose behaviour is set per window and per message.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <utility>

#include "platform/testing/TestHooks.h"
#include "platform/win32/WinUser.h"

namespace wmtest {

using Handler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

// Handlers by (window, message); a window without one gets DefWindowProcA.
inline std::map<std::pair<HWND, UINT>, Handler>& Handlers() {
  static std::map<std::pair<HWND, UINT>, Handler> h;
  return h;
}

inline LRESULT CALLBACK TestProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  auto& hs = Handlers();
  auto it = hs.find({ h, m });
  if (it != hs.end()) {
    Handler fn = it->second;
    return fn(h, m, w, l);
  }
  return DefWindowProcA(h, m, w, l);
}

inline void On(HWND h, UINT m, Handler fn) { Handlers()[{ h, m }] = std::move(fn); }

class WmTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Handlers().clear();
    for (auto [name, style] : { std::pair<const char*, UINT> { "TestWnd", CS_DBLCLKS }, { "PlainWnd", 0u } }) {
      WNDCLASSA wc {};
      wc.style = style;
      wc.lpfnWndProc = TestProc;
      wc.lpszClassName = name;
      if (!GetClassInfoA(nullptr, name, &wc)) RegisterClassA(&wc);
    }
  }
  void TearDown() override { Handlers().clear(); }

  // A visible top-level window with a plain border (client inset 1 px).
  HWND Top(int x, int y, int w, int h, DWORD style = WS_POPUP | WS_BORDER | WS_VISIBLE, DWORD ex = 0,
           const char* cls = "TestWnd") {
    return CreateWindowExA(ex, cls, "top", style, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
  }
  HWND Child(HWND parent, int x, int y, int w, int h, DWORD style = WS_CHILD | WS_VISIBLE, DWORD ex = 0,
             const char* cls = "TestWnd", UINT id = 0) {
    return CreateWindowExA(ex, cls, "child", style, x, y, w, h, parent, (HMENU)(uintptr_t)id, nullptr, nullptr);
  }

  xj::test::Harness harness;
};

}  // namespace wmtest
