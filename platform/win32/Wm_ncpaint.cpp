// Painting of the classic frame, menu bars, popup menus and scroll bars.

#include "platform/win32/WmMenu.h"
#include "platform/win32/WmNonClient.h"

namespace xj::wm {

int MenuTextWidth(const std::string& text) { return 7 * (int)text.size(); }
void PaintPopupMenu(Wnd*, HDC, const Menu&, int) {}

}  // namespace xj::wm
