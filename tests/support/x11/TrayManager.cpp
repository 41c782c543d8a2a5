#include "tests/support/x11/TrayManager.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>

namespace xj::test {

namespace {

::Display* Dpy(void* d) { return static_cast<::Display*>(d); }

Atom A(::Display* d, const char* name) { return XInternAtom(d, name, False); }

}  // namespace

TrayManager::TrayManager(const std::string& display, int x, int y, uint32_t rgb, int slotWidth, int slotHeight)
    : FSlotWidth(slotWidth), FSlotHeight(slotHeight) {
  ::Display* d = XOpenDisplay(display.c_str());
  if (!d) return;
  Window root = DefaultRootWindow(d);
  XSetWindowAttributes a {};
  a.override_redirect = True;  // no window manager between the panel and the test
  a.background_pixel = rgb;
  a.event_mask = SubstructureNotifyMask;
  FPanel = XCreateWindow(d, root, x, y, unsigned(slotWidth * 4), unsigned(slotHeight), 0, CopyFromParent, InputOutput,
                         CopyFromParent, CWOverrideRedirect | CWBackPixel | CWEventMask, &a);
  XMapRaised(d, FPanel);
  Atom selection = A(d, "_NET_SYSTEM_TRAY_S0");
  XSetSelectionOwner(d, selection, FPanel, CurrentTime);
  if (XGetSelectionOwner(d, selection) != FPanel) {
    XCloseDisplay(d);
    return;
  }
  XEvent e {};
  e.xclient.type = ClientMessage;
  e.xclient.window = root;
  e.xclient.message_type = A(d, "MANAGER");
  e.xclient.format = 32;
  e.xclient.data.l[0] = CurrentTime;
  e.xclient.data.l[1] = long(selection);
  e.xclient.data.l[2] = long(FPanel);
  XSendEvent(d, root, False, StructureNotifyMask, &e);
  XFlush(d);
  FDisplay = d;
}

TrayManager::~TrayManager() {
  if (FDisplay) XCloseDisplay(Dpy(FDisplay));
}

void TrayManager::Pump() {
  ::Display* d = Dpy(FDisplay);
  if (!d) return;
  const Atom opcode = A(d, "_NET_SYSTEM_TRAY_OPCODE"), xembed = A(d, "_XEMBED");
  while (XPending(d) > 0) {
    XEvent ev;
    XNextEvent(d, &ev);
    if (ev.type == ClientMessage && ev.xclient.message_type == opcode && ev.xclient.data.l[1] == 0) {
      Window icon = Window(ev.xclient.data.l[2]);
      int slot = int(FClients.size());
      XSelectInput(d, icon, StructureNotifyMask);
      XAddToSaveSet(d, icon);  // as real trays do: our end hands the icon back to the root
      XReparentWindow(d, icon, FPanel, slot * FSlotWidth, 0);
      XResizeWindow(d, icon, unsigned(FSlotWidth), unsigned(FSlotHeight));
      XMapWindow(d, icon);
      XEvent notify {};
      notify.xclient.type = ClientMessage;
      notify.xclient.window = icon;
      notify.xclient.message_type = xembed;
      notify.xclient.format = 32;
      notify.xclient.data.l[0] = CurrentTime;
      notify.xclient.data.l[1] = 0;  // XEMBED_EMBEDDED_NOTIFY
      notify.xclient.data.l[3] = long(FPanel);
      XSendEvent(d, icon, False, NoEventMask, &notify);
      FClients.push_back(icon);
    } else if (ev.type == DestroyNotify) {
      std::erase(FClients, ev.xdestroywindow.window);
    } else if (ev.type == ReparentNotify && ev.xreparent.parent != FPanel) {
      std::erase(FClients, ev.xreparent.window);
    }
  }
  XFlush(d);
}

std::vector<TrayManager::Docked> TrayManager::Icons() {
  std::vector<Docked> out;
  ::Display* d = Dpy(FDisplay);
  if (!d) return out;
  for (Window w : FClients) {
    XWindowAttributes at {};
    if (!XGetWindowAttributes(d, w, &at) || at.map_state != IsViewable) continue;
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &x, &y, &child);
    Docked docked { w, x, y, at.width, at.height, {} };
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, A(d, "_NET_WM_NAME"), 0, 1024, False, A(d, "UTF8_STRING"), &type, &format, &count,
                           &after, &data) == Success &&
        data)
      docked.name.assign(reinterpret_cast<char*>(data), count);
    if (data) XFree(data);
    out.push_back(docked);
  }
  return out;
}

void TrayManager::SendButton(unsigned long icon, int button, bool press, unsigned long time, int x, int y) {
  ::Display* d = Dpy(FDisplay);
  if (!d) return;
  int rx = 0, ry = 0;
  Window child;
  XTranslateCoordinates(d, icon, DefaultRootWindow(d), x, y, &rx, &ry, &child);
  XEvent e {};
  e.xbutton.type = press ? ButtonPress : ButtonRelease;
  e.xbutton.window = icon;
  e.xbutton.root = DefaultRootWindow(d);
  e.xbutton.time = time;
  e.xbutton.x = x;
  e.xbutton.y = y;
  e.xbutton.x_root = rx;
  e.xbutton.y_root = ry;
  e.xbutton.button = unsigned(button);
  e.xbutton.same_screen = True;
  XSendEvent(d, icon, False, press ? ButtonPressMask : ButtonReleaseMask, &e);
  XFlush(d);
}

}  // namespace xj::test
