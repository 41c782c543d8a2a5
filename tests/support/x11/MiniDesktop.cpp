#include "tests/support/x11/MiniDesktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <algorithm>
#include <cstdlib>

namespace xj::test {

namespace {

::Display* Dpy(void* d) { return static_cast<::Display*>(d); }

}  // namespace

MiniDesktop::MiniDesktop(const std::string& display, int dx, int dy, bool late) : FDx(dx), FDy(dy), FLate(late) {
  ::Display* d = XOpenDisplay(display.c_str());
  if (!d) return;
  Window root = DefaultRootWindow(d);
  Atom supported = XInternAtom(d, "_NET_WM_MOVERESIZE", False);
  XChangeProperty(d, root, XInternAtom(d, "_NET_SUPPORTED", False), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&supported), 1);
  XSelectInput(d, root, SubstructureRedirectMask | SubstructureNotifyMask);
  XSync(d, False);
  FDisplay = d;
  FThread = std::thread([this] { Run(); });
}

MiniDesktop::~MiniDesktop() {
  if (!FDisplay) return;
  FStop = true;
  FThread.join();
  ::Display* d = Dpy(FDisplay);
  XDeleteProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_SUPPORTED", False));
  XCloseDisplay(d);
}

std::vector<MiniDesktop::Drag> MiniDesktop::Drags() {
  std::lock_guard<std::mutex> g(FLock);
  return FDrags;
}

void MiniDesktop::Run() {
  ::Display* d = Dpy(FDisplay);
  const Atom moveResize = XInternAtom(d, "_NET_WM_MOVERESIZE", False);
  while (!FStop) {
    while (XPending(d) > 0) {
      XEvent ev;
      XNextEvent(d, &ev);
      if (ev.type == MapRequest) {
        XMapWindow(d, ev.xmaprequest.window);
      } else if (ev.type == ConfigureRequest) {
        const XConfigureRequestEvent& r = ev.xconfigurerequest;
        XWindowChanges c {};
        c.x = r.x;
        c.y = r.y;
        c.width = r.width;
        c.height = r.height;
        c.border_width = r.border_width;
        c.sibling = r.above;
        c.stack_mode = r.detail;
        XConfigureWindow(d, r.window, unsigned(r.value_mask), &c);
      } else if (ev.type == ClientMessage && ev.xclient.message_type == moveResize) {
        TakeDrag(&ev.xclient);
      }
    }
    XFlush(d);
    // Short naps only so that the destructor's stop is seen; the work is event-driven.
    pollfd p { ConnectionNumber(d), POLLIN, 0 };
    poll(&p, 1, 10);
  }
}

void MiniDesktop::TakeDrag(const void* clientMessage) {
  ::Display* d = Dpy(FDisplay);
  const auto& m = *static_cast<const XClientMessageEvent*>(clientMessage);
  Drag drag { m.window, int(m.data.l[0]), int(m.data.l[1]), int(m.data.l[2]), int(m.data.l[3]), 0, 0 };
  if (drag.direction == 11 || FLate) {
    // The user let go before the request came: nothing moves (and a cancel has nothing to end).
    if (FLate && drag.direction != 11) [[maybe_unused]]
      int rc = std::system("xdotool mouseup 1");
    std::lock_guard<std::mutex> g(FLock);
    FDrags.push_back(drag);
    return;
  }
  XSizeHints hints {};
  long supplied = 0;
  if (XGetWMNormalHints(d, m.window, &hints, &supplied) && (hints.flags & PMinSize)) {
    drag.minWidth = hints.min_width;
    drag.minHeight = hints.min_height;
  }
  Window root, child;
  int x = 0, y = 0;
  unsigned w = 0, h = 0, border, depth;
  XGetGeometry(d, m.window, &root, &x, &y, &w, &h, &border, &depth);
  XTranslateCoordinates(d, m.window, root, 0, 0, &x, &y, &child);
  int left = x, top = y, right = x + int(w), bottom = y + int(h);
  const int dir = drag.direction;
  if (dir == 8) {
    left += FDx, right += FDx, top += FDy, bottom += FDy;
  } else {
    // 0 top-left, 1 top, 2 top-right, 3 right, 4 bottom-right, 5 bottom, 6 bottom-left, 7 left.
    if (dir == 0 || dir == 6 || dir == 7) left = std::min(left + FDx, right - std::max(drag.minWidth, 1));
    if (dir == 2 || dir == 3 || dir == 4) right = std::max(right + FDx, left + std::max(drag.minWidth, 1));
    if (dir == 0 || dir == 1 || dir == 2) top = std::min(top + FDy, bottom - std::max(drag.minHeight, 1));
    if (dir == 4 || dir == 5 || dir == 6) bottom = std::max(bottom + FDy, top + std::max(drag.minHeight, 1));
  }
  XMoveResizeWindow(d, m.window, left, top, unsigned(right - left), unsigned(bottom - top));
  XSync(d, False);
  {
    std::lock_guard<std::mutex> g(FLock);
    FDrags.push_back(drag);
  }
  // The button the drag started with goes up: the user let go.
  [[maybe_unused]] int rc = std::system(("xdotool mouseup " + std::to_string(std::max(drag.button, 1))).c_str());
}

}  // namespace xj::test
