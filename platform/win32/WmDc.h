#pragma once
// Device contexts of windows and the link between window-manager regions and GDI regions.

#include <optional>

#include "platform/win32/WmInternal.h"

namespace xj::wm {

// A DC on the window's client area, clipped to `clip` (client coordinates) and to what is visible.
HDC PaintDC(Wnd* w, const Region& clip);
LRESULT DefEraseBackground(Wnd* w, HDC dc);
// In the top-level surface's coordinates; the client area loses the children when `clipChildren` says
// so, or by default when the window's style says so.
Region VisibleInTop(Wnd* w, bool client, std::optional<bool> clipChildren = std::nullopt);
void ReleaseDCsOf(Wnd* w);
void LayeredStyleChanged(Wnd* w, bool wasLayered);
std::vector<RECT> WindowShapeRects(const Wnd* w, bool& shaped);

}  // namespace xj::wm
