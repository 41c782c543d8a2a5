#pragma once
// The window manager's side of the display back-end: each top-level window owns a 32-bit surface that
// its DCs draw into; the link mirrors bounds, visibility, stacking, window regions and layered alpha to
// the back-end, presents what was drawn when the queue runs dry, and turns the back-end's events into
// input. Without a display nothing is shown and waits only watch the queue's wake-up descriptor.

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "platform/win32/WinDef.h"

namespace xj::display {
class Backend;
}

namespace xj::wm {

struct Wnd;

// Memory for surfaces. One of a megabyte or more is mapped on its own, on 2 MB boundaries, and offered to
// the kernel as huge pages: a window's first paint then takes one page fault where it took one for every
// 4 kB (376 for the console's main form). Where the system gives no huge pages it gets small ones, as
// before. Smaller surfaces (popups, hints) come from the heap as the host program has it set up; from
// 64 kB on, their fresh pages are mapped in one call.
struct SurfaceMemory {
  static void* Allocate(size_t bytes);
  static void Free(void* p, size_t bytes);
};

template <class T>
struct SurfaceAllocator {
  using value_type = T;
  SurfaceAllocator() = default;
  template <class U>
  SurfaceAllocator(const SurfaceAllocator<U>&) {}
  T* allocate(size_t n) { return static_cast<T*>(SurfaceMemory::Allocate(n * sizeof(T))); }
  void deallocate(T* p, size_t n) { SurfaceMemory::Free(p, n * sizeof(T)); }
  // A surface made with a size only is left unwritten: its maker fills it, a row at a time, where a
  // vector of values would write each pixel on its own (a twentieth of the console's start).
  template <class U>
  void construct(U* p) {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... A>
  void construct(U* p, A&&... a) {
    ::new (static_cast<void*>(p)) U(std::forward<A>(a)...);
  }
  template <class U>
  bool operator==(const SurfaceAllocator<U>&) const {
    return true;
  }
};

using SurfacePixels = std::vector<uint32_t, SurfaceAllocator<uint32_t>>;

// The pixels of a top-level window, frame included; (0, 0) is the window's top-left corner.
struct TopSurface {
  SurfacePixels pixels;
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
