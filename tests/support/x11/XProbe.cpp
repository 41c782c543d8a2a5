#include "tests/support/x11/XProbe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <algorithm>

namespace xj::test {

namespace {

Display* Dpy(void* d) { return static_cast<Display*>(d); }

// _NET_WM_NAME: the title as UTF-8, whatever WM_NAME's encoding.
std::string Title(Display* d, Window w) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(d, w, XInternAtom(d, "_NET_WM_NAME", False), 0, 1024, False,
                         XInternAtom(d, "UTF8_STRING", False), &type, &format, &count, &after, &data) == Success &&
      data && format == 8)
    title.assign(reinterpret_cast<char*>(data), count);
  if (data) XFree(data);
  return title;
}

Window FindTitled(Display* d, Window parent, const std::string& title) {
  Window root, up, *children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (!XQueryTree(d, parent, &root, &up, &children, &count)) return 0;
  for (unsigned i = 0; i < count && !found; ++i)
    found = Title(d, children[i]) == title ? children[i] : FindTitled(d, children[i], title);
  if (children) XFree(children);
  return found;
}

}  // namespace

XProbe::XProbe(const std::string& display) : FDisplay(XOpenDisplay(display.c_str())) {}

XProbe::~XProbe() {
  if (FDisplay) XCloseDisplay(Dpy(FDisplay));
}

unsigned long XProbe::FindWindow(const std::string& title) {
  return FindTitled(Dpy(FDisplay), DefaultRootWindow(Dpy(FDisplay)), title);
}

long XProbe::WmState(unsigned long window) {
  const std::vector<long> state = Longs(window, "WM_STATE");
  return state.empty() ? -1 : state[0];
}

std::vector<long> XProbe::Longs(unsigned long window, const std::string& property) {
  Display* d = Dpy(FDisplay);
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  std::vector<long> values;
  if (window &&
      XGetWindowProperty(d, window, XInternAtom(d, property.c_str(), False), 0, 1024, False, AnyPropertyType, &type,
                         &format, &count, &after, &data) == Success &&
      data && format == 32)
    values.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
  if (data) XFree(data);
  return values;
}

std::vector<std::string> XProbe::AtomNames(unsigned long window, const std::string& property) {
  std::vector<std::string> names;
  for (long atom : Longs(window, property)) {
    char* name = XGetAtomName(Dpy(FDisplay), Atom(atom));
    names.emplace_back(name ? name : "");
    if (name) XFree(name);
  }
  return names;
}

unsigned long XProbe::FocusWindow() {
  Window focus = 0;
  int revert;
  XGetInputFocus(Dpy(FDisplay), &focus, &revert);
  return focus;
}

bool XProbe::WindowManagerRunning() {
  Display* d = Dpy(FDisplay);
  XWindowAttributes a {};
  return XGetWindowAttributes(d, DefaultRootWindow(d), &a) && (a.all_event_masks & SubstructureRedirectMask);
}

unsigned long XProbe::Root() { return DefaultRootWindow(Dpy(FDisplay)); }

unsigned long XProbe::MapWindow(const std::string& title) {
  Display* d = Dpy(FDisplay);
  const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 8, 8, 0, 0, 0);
  XStoreName(d, w, title.c_str());
  XMapWindow(d, w);
  XSync(d, False);
  return w;
}

unsigned long XProbe::MapPanel(int height) {
  Display* d = Dpy(FDisplay);
  const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, unsigned(DisplayWidth(d, DefaultScreen(d))),
                                       unsigned(height), 0, 0, 0);
  XStoreName(d, w, "xj-panel");
  const Atom dock = XInternAtom(d, "_NET_WM_WINDOW_TYPE_DOCK", False);
  XChangeProperty(d, w, XInternAtom(d, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&dock), 1);
  // The band's height at the top and, for a manager that reads only the newer form, where along it lies.
  const long strut[12] = { 0, 0, height, 0, 0, 0, 0, 0, 0, DisplayWidth(d, DefaultScreen(d)) - 1, 0, 0 };
  XChangeProperty(d, w, XInternAtom(d, "_NET_WM_STRUT", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(strut), 4);
  XChangeProperty(d, w, XInternAtom(d, "_NET_WM_STRUT_PARTIAL", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(strut), 12);
  XMapWindow(d, w);
  XSync(d, False);
  return w;
}

void XProbe::DestroyWindow(unsigned long window) {
  XDestroyWindow(Dpy(FDisplay), window);
  XSync(Dpy(FDisplay), False);
}

void XProbe::Reparent(unsigned long window, unsigned long parent, int x, int y) {
  Display* d = Dpy(FDisplay);
  XReparentWindow(d, window, parent ? parent : DefaultRootWindow(d), x, y);
  XSync(d, False);
}

void XProbe::AskDesktops(long count) {
  Display* d = Dpy(FDisplay);
  XEvent e {};
  e.xclient.type = ClientMessage;
  e.xclient.window = DefaultRootWindow(d);
  e.xclient.message_type = XInternAtom(d, "_NET_NUMBER_OF_DESKTOPS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = count;
  XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
  XSync(d, False);
}

void XProbe::TouchRoot() {
  Display* d = Dpy(FDisplay);
  const long value = 0;
  XChangeProperty(d, DefaultRootWindow(d), XInternAtom(d, "XJ_TEST_TOUCH", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&value), 1);
  XSync(d, False);
}

void XProbe::AskToClose(unsigned long window) {
  Display* d = Dpy(FDisplay);
  XEvent e {};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, window, False, NoEventMask, &e);
  XSync(d, False);
}

void XProbe::AnnounceScreenSize(int w, int h) {
  Display* d = Dpy(FDisplay);
  XEvent e {};
  e.xconfigure.type = ConfigureNotify;
  e.xconfigure.event = e.xconfigure.window = DefaultRootWindow(d);
  e.xconfigure.width = w;
  e.xconfigure.height = h;
  XSendEvent(d, DefaultRootWindow(d), False, StructureNotifyMask, &e);
  XSync(d, False);
}

void XProbe::MaximiseAsADesktop(unsigned long window, XRect passing, XRect to) {
  Display* d = Dpy(FDisplay);
  const Atom wmState = XInternAtom(d, "WM_STATE", False);
  const long normal[2] = { NormalState, None };
  XChangeProperty(d, window, wmState, wmState, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(normal), 2);
  const Atom maximised[2] = { XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_VERT", False),
                              XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_HORZ", False) };
  XChangeProperty(d, window, XInternAtom(d, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(maximised), 2);
  XEvent e {};
  e.xconfigure.type = ConfigureNotify;
  e.xconfigure.event = e.xconfigure.window = window;
  e.xconfigure.x = passing.left;
  e.xconfigure.y = passing.top;
  e.xconfigure.width = passing.right - passing.left;
  e.xconfigure.height = passing.bottom - passing.top;
  XSendEvent(d, window, False, StructureNotifyMask, &e);
  XMoveResizeWindow(d, window, to.left, to.top, unsigned(to.right - to.left), unsigned(to.bottom - to.top));
  XSync(d, False);
}

void XProbe::SetCardinals(unsigned long window, const std::string& property, const std::vector<long>& values) {
  Display* d = Dpy(FDisplay);
  const Atom name = XInternAtom(d, property.c_str(), False);
  if (values.empty())
    XDeleteProperty(d, window, name);
  else
    XChangeProperty(d, window, name, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(values.data()), int(values.size()));
  XSync(d, False);
}

XRect XProbe::Bounds(unsigned long window) {
  Display* d = Dpy(FDisplay);
  XWindowAttributes a {};
  int x = 0, y = 0;
  Window child;
  if (!window || !XGetWindowAttributes(d, window, &a) ||
      !XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &x, &y, &child))
    return {};
  return { x, y, x + a.width, y + a.height };
}

bool XProbe::Viewable(unsigned long window) {
  XWindowAttributes a;
  return window && XGetWindowAttributes(Dpy(FDisplay), window, &a) && a.map_state == IsViewable;
}

std::vector<XRect> XProbe::Shape(unsigned long window, bool input) {
  int count = 0, ordering = 0;
  XRectangle* rects = XShapeGetRectangles(Dpy(FDisplay), window, input ? ShapeInput : ShapeBounding, &count, &ordering);
  std::vector<XRect> out;
  for (int i = 0; i < count; ++i)
    out.push_back({ rects[i].x, rects[i].y, rects[i].x + rects[i].width, rects[i].y + rects[i].height });
  if (rects) XFree(rects);
  return out;
}

uint32_t XProbe::ScreenPixel(int x, int y) {
  Display* d = Dpy(FDisplay);
  XSync(d, False);
  XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return 0xFFFFFFFF;
  const uint32_t p = uint32_t(XGetPixel(image, 0, 0)) & 0xFFFFFF;
  XDestroyImage(image);
  return p;
}

std::vector<uint32_t> XProbe::ScreenPixels(int x, int y, int w, int h) {
  Display* d = Dpy(FDisplay);
  XSync(d, False);
  std::vector<uint32_t> out;
  XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
  if (!image) return out;
  out.reserve(size_t(w) * h);
  for (int row = 0; row < h; ++row)
    for (int col = 0; col < w; ++col) out.push_back(uint32_t(XGetPixel(image, col, row)) & 0xFFFFFF);
  XDestroyImage(image);
  return out;
}

bool XProbe::HoldKeysFor(std::u32string_view text) {
  Display* d = Dpy(FDisplay);
  int first = 0, last = 0, perCode = 0;
  XDisplayKeycodes(d, &first, &last);
  KeySym* raw = XGetKeyboardMapping(d, KeyCode(first), last - first + 1, &perCode);
  if (!raw) return false;
  std::vector<KeySym> map(raw, raw + size_t(last - first + 1) * perCode);
  XFree(raw);
  auto row = [&](int code) { return map.begin() + ptrdiff_t(code - first) * perCode; };
  int spare = last;  // taken from the top, where the default maps leave codes free
  for (const char32_t c : text) {
    // Latin-1 keysyms are their code points; the rest of Unicode sits above 0x1000000.
    const KeySym sym = (c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF) ? KeySym(c) : KeySym(0x1000000 + c);
    if (std::find(map.begin(), map.end(), sym) != map.end()) continue;
    while (spare >= first && std::any_of(row(spare), row(spare) + perCode, [](KeySym s) { return s != NoSymbol; }))
      --spare;
    if (spare < first) return false;
    // On every level and group: no modifier state can turn the key into another character.
    std::fill(row(spare), row(spare) + perCode, sym);
    XChangeKeyboardMapping(d, spare, perCode, &*row(spare), 1);
  }
  XSync(d, False);
  return true;
}

}  // namespace xj::test
