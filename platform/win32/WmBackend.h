#pragma once
// The window manager's side of the display back-end: where top-level windows' pixels go and where
// input comes from. Without a display (before start-up or in unit tests) nothing is shown and waits
// only watch the queue's wake-up descriptor.

namespace xj::wm {

struct Wnd;

class DisplayLink {
 public:
  virtual ~DisplayLink() = default;
  // Moves pending display events into the input queue.
  virtual void Poll() {}
  // Waits until the descriptor is readable, a display event arrives or the time-out (ms, -1 none) passes.
  virtual void Wait(int fd, int timeoutMs);
};

DisplayLink& Backend();
void SetBackend(DisplayLink* link);  // null: back to the inert default

}  // namespace xj::wm
