#pragma once
// A minimal window manager for tests, on a connection and a thread of its own: it grants every map
// and configure request and takes the EWMH move/resize request as a user's drag would end — the window
// moved, or the edge the request names dragged, by (dx, dy) within the window's size hints — then lets
// the button go (xdotool). Late, it plays a desktop that takes the request only after the user let go:
// it moves nothing. A cancelling request (direction 11) is recorded as one more drag. Xlib stays inside
// MiniDesktop.cpp.

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace xj::test {

class MiniDesktop {
 public:
  // Announces itself before returning, so a back-end opened afterwards sees what it supports.
  MiniDesktop(const std::string& display, int dx, int dy, bool late = false);
  ~MiniDesktop();  // the connection closes: the redirection, and the announcement, go with it
  MiniDesktop(const MiniDesktop&) = delete;
  MiniDesktop& operator=(const MiniDesktop&) = delete;

  bool Running() const { return FDisplay != nullptr; }
  struct Drag {
    unsigned long window;
    int x, y, direction, button;  // as the request gave them
    int minWidth, minHeight;      // the window's size hints when it came (0: none)
  };
  std::vector<Drag> Drags();

 private:
  void Run();
  void TakeDrag(const void* clientMessage);

  void* FDisplay { nullptr };
  int FDx, FDy;
  bool FLate;
  std::atomic<bool> FStop { false };
  std::mutex FLock;
  std::vector<Drag> FDrags;
  std::thread FThread;
};

}  // namespace xj::test
