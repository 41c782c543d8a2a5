#pragma once
// Geometry and painting of the classic non-client area, shared by the non-client, painting, scroll
// and menu files.

#include "platform/win32/WmModal.h"
#include "platform/win32/WmInternal.h"

namespace xj::wm {

struct Frame {
  int border { 0 };
  int caption { 0 };
  int menu { 0 };
  int edge { 0 };
  int vscroll { 0 };
  int hscroll { 0 };
};

// Rectangles of the frame's parts in window coordinates; empty when the style has no such part.
struct FrameParts {
  Frame frame;
  RECT window {};
  RECT caption {};
  RECT sysIcon {};
  RECT min {};
  RECT max {};
  RECT close {};
  RECT menu {};
  RECT edge {};
  RECT vscroll {};
  RECT hscroll {};
  RECT grip {};
  RECT client {};
};

Frame FrameOf(const Wnd* w);
FrameParts PartsOf(const Wnd* w);
int DefHitTest(Wnd* w, POINT screen);

struct BarPartsForPaint {
  RECT bar, up, down, thumb;
  bool vertical;
};
BarPartsForPaint ScrollBarParts(Wnd* w, int bar);

// The font of menus and message boxes, shared for the life of the program.
HFONT MenuFont();

void PaintFrame(Wnd* w, HDC dc);                     // Wm_ncpaint.cpp; dc null: a window DC of its own
void SetPressedButton(Wnd* w, int hit);              // repaints the caption buttons
void TrackScrollBar(Wnd* w, int bar, POINT screen);  // Wm_scroll.cpp
void SizeMoveLoop(Wnd* w, UINT cmd, POINT start);    // Wm_sizemove.cpp
// The desktop moved or sized a top-level window to `r` (screen): during a size drag handed to it, the
// window hears WM_SIZING first, as in our own loop, and may adjust the rectangle.
void ApplyDesktopRect(Wnd* w, RECT r);             // Wm_sizemove.cpp
void MenuBarLoop(Wnd* w, POINT screen, UINT key);  // Wm_menu.cpp; key: 0 mouse, else the mnemonic or VK
// The system menu below the caption icon, its items enabled by the window's state and border icons;
// the chosen item is sent back as WM_SYSCOMMAND, and a second press on the icon (byMouse) closes the
// window. Nothing without WS_SYSMENU.
void SystemMenuLoop(Wnd* w, bool byMouse);  // Wm_menu.cpp

}  // namespace xj::wm
