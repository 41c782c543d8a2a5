#pragma once
// The window manager's side of the display back-end: each top-level window owns a 32-bit surface that
// its DCs draw into; the link mirrors bounds, visibility, stacking, window regions and layered alpha to
// the back-end, presents what was drawn when the queue runs dry, and turns the back-end's events into
// input. Without a display nothing is shown and waits only watch the queue's wake-up descriptor.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/win32/WinDef.h"

namespace xj::display {
class Backend;
}

namespace xj::wm {

struct Wnd;

// The pixels of a top-level window, frame included; (0, 0) is the window's top-left corner.
struct TopSurface {
  std::vector<uint32_t> pixels;
  int width { 0 };
  int height { 0 };
  RECT dirty {};          // drawn since the last present, surface coordinates
  uint32_t window { 0 };  // the back-end's window, 0 while none
  bool shown { false };
};

TopSurface* SurfaceOf(const Wnd* top);  // null for a child or a window never shown
TopSurface& EnsureSurface(Wnd* top);
void AddDirty(TopSurface& s, const RECT& r);

// The back-end in use; created from XJ_DISPLAY the first time a window is shown, unless one was set.
display::Backend* CurrentDisplay();
display::Backend* PointerDisplay();  // the back-end when it knows where the pointer is (not headless)
display::Backend& EnsureDisplay();
void SetDisplay(std::unique_ptr<display::Backend> backend);  // null: none (tests)

void PollDisplay();                       // display events into the input queue
void WaitDisplay(int fd, int timeoutMs);  // until fd is readable, display input, or the time-out
void SyncDisplay(Wnd* w);                 // mirror a top-level window's state after a change
void PresentAll();

}  // namespace xj::wm
