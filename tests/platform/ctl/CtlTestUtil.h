#pragma once
// A parent window for the built-in controls that records their notices and answers their questions
// (colours, item heights, owner drawing) as each test configures, and the test face that makes
// every single-byte character 8 pixels wide and every double-byte one 16.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/testing/TestHooks.h"
#include "platform/win32/WinGdi.h"
#include "platform/win32/WinUser.h"
#include "tests/support/ClipboardText.h"

namespace ctltest {

constexpr int kCharW = 8;   // test face: single-byte cell
constexpr int kWideW = 16;  // test face: double-byte cell
constexpr int kLineH = 13;  // test face: cell height
constexpr int kParentX = 100, kParentY = 100;

struct Notice {
  HWND from;
  WORD id;
  WORD code;
};

// What the parent does; tests replace the parts they need.
struct ParentBehaviour {
  std::function<LRESULT(HDC, HWND)> ctlColor;             // WM_CTLCOLOREDIT / WM_CTLCOLORLISTBOX; null: default
  std::function<void(const Notice&)> onCommand;           // after recording
  std::function<UINT(const MEASUREITEMSTRUCT&)> measure;  // height for WM_MEASUREITEM; null: leave it
  std::function<void(const DRAWITEMSTRUCT&)> draw;        // after recording WM_DRAWITEM
};

inline ParentBehaviour& Behaviour() {
  static ParentBehaviour b;
  return b;
}
inline std::vector<Notice>& Notices() {
  static std::vector<Notice> n;
  return n;
}
inline std::vector<DRAWITEMSTRUCT>& Draws() {
  static std::vector<DRAWITEMSTRUCT> d;
  return d;
}
inline std::vector<MEASUREITEMSTRUCT>& Measures() {
  static std::vector<MEASUREITEMSTRUCT> m;
  return m;
}

inline LRESULT CALLBACK ParentProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  ParentBehaviour& b = Behaviour();
  switch (m) {
    case WM_COMMAND: {
      Notice n { (HWND)l, LOWORD(w), HIWORD(w) };
      Notices().push_back(n);
      if (b.onCommand) b.onCommand(n);
      return 0;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return b.ctlColor ? b.ctlColor((HDC)w, (HWND)l) : 0;
    case WM_MEASUREITEM: {
      auto* mis = (MEASUREITEMSTRUCT*)l;
      Measures().push_back(*mis);
      if (b.measure) mis->itemHeight = b.measure(*mis);
      return TRUE;
    }
    case WM_DRAWITEM: {
      auto* dis = (DRAWITEMSTRUCT*)l;
      Draws().push_back(*dis);
      if (b.draw) b.draw(*dis);
      return TRUE;
    }
  }
  return DefWindowProcA(h, m, w, l);
}

inline int Count(WORD code, HWND from = nullptr) {
  int n = 0;
  for (const Notice& x : Notices())
    if (x.code == code && (!from || x.from == from)) ++n;
  return n;
}

inline std::string TextOf(HWND h) {
  int n = GetWindowTextLengthA(h);
  std::string s(size_t(n) + 1, '\0');
  GetWindowTextA(h, s.data(), n + 1);
  s.resize(size_t(n));
  return s;
}

using testsupport::ClipboardText;
using testsupport::SetClipboardText;

class CtlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Behaviour() = ParentBehaviour {};
    Notices().clear();
    Draws().clear();
    Measures().clear();
    WNDCLASSA wc {};
    wc.lpfnWndProc = ParentProc;
    wc.hbrBackground = (HBRUSH)(uintptr_t)(COLOR_BTNFACE + 1);
    wc.lpszClassName = "CtlTestParent";
    if (!GetClassInfoA(nullptr, wc.lpszClassName, &wc)) RegisterClassA(&wc);
    parent = CreateWindowExA(0, "CtlTestParent", "parent", WS_POPUP | WS_VISIBLE, kParentX, kParentY, 500, 300, nullptr,
                             nullptr, nullptr, nullptr);
    font = CreateFontA(13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Platform Test");
    xj::test::PumpUntilIdle();
  }
  void TearDown() override {
    if (IsWindow(parent)) DestroyWindow(parent);
    DeleteObject(font);
    Behaviour() = ParentBehaviour {};
  }

  // A child control at (x, y) of the parent's client area, with the test face, shown and painted.
  HWND Make(const char* cls, DWORD style, int x, int y, int w, int h, const char* text = "", UINT id = 7) {
    HWND c = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent, (HMENU)(uintptr_t)id,
                             nullptr, nullptr);
    SendMessageA(c, WM_SETFONT, (WPARAM)font, TRUE);
    xj::test::PumpUntilIdle();
    return c;
  }
  // Screen point of a client point of `h`.
  static POINT Screen(HWND h, int x, int y) {
    POINT p { x, y };
    ClientToScreen(h, &p);
    return p;
  }
  static void ClickAt(HWND h, int x, int y, xj::test::Button b = xj::test::mbLeft) {
    POINT p = Screen(h, x, y);
    xj::test::Click(p.x, p.y, b);
  }

  xj::test::Harness harness;
  HWND parent {};
  HFONT font {};
};

}  // namespace ctltest
