// System colours (the fixed classic palette), their brushes, and the system metrics.

#include <mutex>

#include "platform/win32/Gdi_private.h"

namespace xj::gdi {
namespace {

constexpr int kSysColors = 25;

constexpr COLORREF kClassic[kSysColors] = {
  RGB(192, 192, 192),  // scroll bar
  RGB(0, 128, 128),    // background
  RGB(0, 0, 128),      // active caption
  RGB(128, 128, 128),  // inactive caption
  RGB(192, 192, 192),  // menu
  RGB(255, 255, 255),  // window
  RGB(0, 0, 0),        // window frame
  RGB(0, 0, 0),        // menu text
  RGB(0, 0, 0),        // window text
  RGB(255, 255, 255),  // caption text
  RGB(192, 192, 192),  // active border
  RGB(192, 192, 192),  // inactive border
  RGB(128, 128, 128),  // application workspace
  RGB(0, 0, 128),      // highlight
  RGB(255, 255, 255),  // highlight text
  RGB(192, 192, 192),  // button face
  RGB(128, 128, 128),  // button shadow
  RGB(128, 128, 128),  // grey text
  RGB(0, 0, 0),        // button text
  RGB(192, 192, 192),  // inactive caption text
  RGB(255, 255, 255),  // button highlight
  RGB(0, 0, 0),        // 3-D dark shadow
  RGB(192, 192, 192),  // 3-D light
  RGB(0, 0, 0),        // info text
  RGB(255, 255, 225),  // info background
};

struct Screen {
  std::mutex lock;
  int width { 1024 };
  int height { 768 };
  RECT work { 0, 0, 1024, 738 };
};

Screen& Scr() {
  static Screen s;
  return s;
}

}  // namespace

COLORREF ResolveColor(COLORREF c) {
  if ((c & 0xFF000000u) == 0x80000000u) return GetSysColor(int(c & 0xFF));
  return c & 0xFFFFFF;
}

HBRUSH SysColorBrushHandle(int index) {
  static HBRUSH brushes[kSysColors] = {};
  static std::once_flag once;
  std::call_once(once, [] {
    for (int i = 0; i < kSysColors; ++i) {
      auto b = std::make_unique<Brush>();
      b->color = kClassic[i];
      b->sysIndex = i;
      b->stock = true;
      brushes[i] = static_cast<HBRUSH>(Register(std::move(b)));
    }
  });
  return index >= 0 && index < kSysColors ? brushes[index] : nullptr;
}

void SetScreenMetrics(int width, int height, const RECT& workArea) {
  std::lock_guard<std::mutex> g(Scr().lock);
  Scr().width = width;
  Scr().height = height;
  Scr().work = workArea;
}

RECT WorkArea() {
  std::lock_guard<std::mutex> g(Scr().lock);
  return Scr().work;
}

}  // namespace xj::gdi

using namespace xj::gdi;

DWORD WINAPI GetSysColor(int index) { return index >= 0 && index < kSysColors ? kClassic[index] : 0; }

HBRUSH WINAPI GetSysColorBrush(int index) { return SysColorBrushHandle(index); }

namespace {

struct Metric {
  int index;
  int value;
};

// The sizes that do not follow the screen.
constexpr Metric kFixedMetrics[] = {
  { SM_CXVSCROLL, 16 },   { SM_CYHSCROLL, 16 },  { SM_CYVSCROLL, 16 }, { SM_CXHSCROLL, 16 }, { SM_CYVTHUMB, 16 },
  { SM_CXHTHUMB, 16 },    { SM_CYCAPTION, 19 },  { SM_CYMENU, 19 },    { SM_CXBORDER, 1 },   { SM_CYBORDER, 1 },
  { SM_CXDLGFRAME, 3 },   { SM_CYDLGFRAME, 3 },  { SM_CXICON, 32 },    { SM_CYICON, 32 },    { SM_CXCURSOR, 32 },
  { SM_CYCURSOR, 32 },    { SM_CXMIN, 112 },     { SM_CYMIN, 27 },     { SM_CXSIZE, 18 },    { SM_CYSIZE, 18 },
  { SM_CXMENUSIZE, 18 },  { SM_CYMENUSIZE, 18 }, { SM_CXFRAME, 4 },    { SM_CYFRAME, 4 },    { SM_CXDOUBLECLK, 4 },
  { SM_CYDOUBLECLK, 4 },  { SM_CXEDGE, 2 },      { SM_CYEDGE, 2 },     { SM_CXSMICON, 16 },  { SM_CYSMICON, 16 },
  { SM_CYSMCAPTION, 15 }, { SM_CXSMSIZE, 14 },   { SM_CYSMSIZE, 14 },  { SM_CMONITORS, 1 },
};

// The sizes that follow the screen and its work area; 0 for any other index.
int ScreenMetric(int index) {
  int w, h;
  RECT work;
  {
    std::lock_guard<std::mutex> g(Scr().lock);
    w = Scr().width;
    h = Scr().height;
    work = Scr().work;
  }
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXVIRTUALSCREEN:
      return w;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN:
      return h;
    case SM_CXFULLSCREEN:
      return work.right - work.left;
    case SM_CYFULLSCREEN:
      return work.bottom - work.top - 19;
    case SM_CXMAXIMIZED:
      return work.right - work.left + 8;
    case SM_CYMAXIMIZED:
      return work.bottom - work.top + 8;
  }
  return 0;
}

}  // namespace

int WINAPI GetSystemMetrics(int index) {
  for (const Metric& m : kFixedMetrics)
    if (m.index == index) return m.value;
  return ScreenMetric(index);
}
