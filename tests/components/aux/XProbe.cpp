// The X side of the shaped-form demonstration: the server and the read-back through Xlib.

#include "tests/components/aux/XProbe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace auxtest {

namespace {
Display* Dpy(void* d) { return static_cast<Display*>(d); }
}  // namespace

bool XProbe::Start(std::string& Why) {
  if (std::system("command -v Xvfb >/dev/null 2>&1") != 0) return Why = "Xvfb is not installed", false;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return Why = "pipe failed", false;
  FPid = fork();
  if (FPid == 0) {
    fcntl(fds[1], F_SETFD, 0);  // the server writes its display number here
    const int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 1);
    dup2(devnull, 2);
    const std::string fd = std::to_string(fds[1]);
    // -noreset: the server must not restart whenever its last client (the back-end) goes.
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::string number;
  pollfd p { fds[0], POLLIN, 0 };
  char c;
  while (poll(&p, 1, 20000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (number.empty()) {
    Stop();
    return Why = "Xvfb did not start", false;
  }
  FName = ":" + number;
  FDisplay = XOpenDisplay(FName.c_str());
  if (!FDisplay) {
    Stop();
    return Why = "cannot connect to Xvfb", false;
  }
  return true;
}

void XProbe::Stop() {
  if (FDisplay) XCloseDisplay(Dpy(FDisplay));
  FDisplay = nullptr;
  if (FPid > 0) {
    kill(FPid, SIGTERM);
    waitpid(FPid, nullptr, 0);
  }
  FPid = -1;
}

unsigned long XProbe::Find(const std::string& Title) {
  Display* d = Dpy(FDisplay);
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return 0;
  const Atom name = XInternAtom(d, "_NET_WM_NAME", False), utf8 = XInternAtom(d, "UTF8_STRING", False);
  for (unsigned i = 0; i < count && !found; ++i) {
    Atom type;
    int format;
    unsigned long items, rest;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, children[i], name, 0, 256, False, utf8, &type, &format, &items, &rest, &data) ==
            Success &&
        data) {
      if (Title == reinterpret_cast<const char*>(data)) found = children[i];
      XFree(data);
    }
  }
  if (children) XFree(children);
  return found;
}

std::vector<bool> XProbe::Shape(unsigned long W, int Width, int Height) {
  std::vector<bool> in(static_cast<size_t>(Width * Height), false);
  int count = 0, ordering = 0;
  XRectangle* rects = XShapeGetRectangles(Dpy(FDisplay), W, ShapeBounding, &count, &ordering);
  for (int i = 0; i < count; ++i)
    for (int y = rects[i].y; y < rects[i].y + rects[i].height; ++y)
      for (int x = rects[i].x; x < rects[i].x + rects[i].width; ++x)
        if (x >= 0 && y >= 0 && x < Width && y < Height) in[static_cast<size_t>(y * Width + x)] = true;
  if (rects) XFree(rects);
  return in;
}

unsigned long XProbe::ScreenPixel(int X, int Y) {
  Display* d = Dpy(FDisplay);
  XImage* image = XGetImage(d, DefaultRootWindow(d), X, Y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return ~0ul;
  const unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFF;
  XDestroyImage(image);
  return p;
}

}  // namespace auxtest
