#include "platform/display/headless/HeadlessDisplay.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

#include "platform/display/TrayStrip.h"
#include "platform/display/WindowStore.h"

namespace xj::display {

void HeadlessBackend::SetScreen(SIZE size, const RECT& workArea) {
  const SIZE was = FScreen;
  const RECT wasWork = FWork;
  FScreen = { std::max<LONG>(size.cx, 1), std::max<LONG>(size.cy, 1) };
  FWork = IntersectRects(NormalizedBounds(workArea), { 0, 0, FScreen.cx, FScreen.cy });
  if (RectEmpty(FWork)) FWork = { 0, 0, FScreen.cx, FScreen.cy };
  PostScreenChange(was, wasWork);
}

void HeadlessBackend::Inject(Event e) {
  bool pointer = e.type == EventType::MouseMove || e.type == EventType::ButtonDown || e.type == EventType::ButtonUp ||
                 e.type == EventType::Wheel;
  if (pointer) FCursor = e.pt;
  if (pointer && OverTrayStrip(e.pt)) {
    int index = TrayIconIndexAt(TrayStripBounds(), TrayIcons().size(), e.pt);
    if (index < 0 || e.type == EventType::Wheel) return;  // the strip's border, or a wheel: nothing
    e.trayIcon = TrayIcons()[size_t(index)].id;
    e.window = 0;
    e.type = e.type == EventType::MouseMove    ? EventType::TrayMouseMove
             : e.type == EventType::ButtonDown ? EventType::TrayButtonDown
                                               : EventType::TrayButtonUp;
  }
  Post(std::move(e));
}

bool HeadlessBackend::OverTrayStrip(POINT pt) const {
  if (TrayIcons().empty()) return false;
  RECT strip = TrayStripBounds();
  return pt.x >= strip.left && pt.x < strip.right && pt.y >= strip.top && pt.y < strip.bottom;
}

void HeadlessBackend::NativeDestroy(WindowId id) {
  if (FActive == id) FActive = 0;
}

WaitResult HeadlessBackend::NativeWait(int timeoutMs) {
  // Nothing but the wake fd can bring input here, so without one there is nothing to wait for.
  if (WakeFd() < 0) return WaitResult::Timeout;
  pollfd p { WakeFd(), POLLIN, 0 };
  int n;
  do n = poll(&p, 1, timeoutMs < 0 ? -1 : timeoutMs);
  while (n < 0 && errno == EINTR);
  return n > 0 ? WaitResult::Wake : WaitResult::Timeout;
}

void HeadlessBackend::NativeSetCursorPos(POINT pt) {
  // Moving the cursor moves the mouse, as it does on a real screen.
  Event e;
  e.type = EventType::MouseMove;
  e.pt = pt;
  Inject(std::move(e));
}

bool HeadlessBackend::NativeSetClipboardText(std::string_view utf8) {
  FClipboard = std::string(utf8);
  return true;
}

}  // namespace xj::display
