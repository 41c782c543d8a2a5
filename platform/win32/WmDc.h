#pragma once
// Device contexts of windows and the link between window-manager regions and GDI regions.

#include "platform/win32/WmInternal.h"

namespace xj::wm {

// A DC on the window's client area, clipped to `clip` (client coordinates) and to what is visible.
HDC PaintDC(Wnd* w, const Region& clip);
LRESULT DefEraseBackground(Wnd* w, HDC dc);
Region VisibleInTop(Wnd* w, bool client);  // in the top-level surface's coordinates
void ReleaseDCsOf(Wnd* w);
void LayeredStyleChanged(Wnd* w, bool wasLayered);
std::vector<RECT> WindowShapeRects(const Wnd* w, bool& shaped);

}  // namespace xj::wm
