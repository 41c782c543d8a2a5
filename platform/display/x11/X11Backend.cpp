#include "platform/display/x11/X11Backend.h"
#include "platform/display/x11/XlibFunctions.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/cursorfont.h>
#include <X11/extensions/shape.h>
#include <langinfo.h>
#include <poll.h>
#include <strings.h>
#include <time.h>

#include <algorithm>
#include <utility>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "platform/display/TrayStrip.h"
#include "platform/display/WindowStore.h"
#include "platform/display/x11/X11Keys.h"
#include "platform/display/x11/X11Open.h"

namespace xj::display {

namespace {

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                            KeyReleaseMask | FocusChangeMask | StructureNotifyMask | EnterWindowMask | LeaveWindowMask |
                            PropertyChangeMask;

constexpr const char* kAtomNames[] = {
  "WM_PROTOCOLS",
  "WM_DELETE_WINDOW",
  "WM_TAKE_FOCUS",
  "_MOTIF_WM_HINTS",
  "_NET_WM_NAME",
  "_NET_WM_ICON_NAME",
  "UTF8_STRING",
  "_NET_WM_WINDOW_OPACITY",
  "_NET_WM_WINDOW_TYPE",
  "_NET_WM_WINDOW_TYPE_NORMAL",
  "_NET_WM_WINDOW_TYPE_UTILITY",
  "_NET_WM_WINDOW_TYPE_POPUP_MENU",
  "_NET_WM_STATE",
  "_NET_WM_STATE_ABOVE",
  "_NET_WM_STATE_SKIP_TASKBAR",
  "_NET_WORKAREA",
  "_NET_CURRENT_DESKTOP",
  "_NET_SUPPORTED",
  "_NET_WM_MOVERESIZE",
  "_NET_ACTIVE_WINDOW",
  "_NET_WM_USER_TIME",
  "CLIPBOARD",
  "TARGETS",
  "TEXT",
  "INCR",
  "XJ_SELECTION",
  "WM_STATE",
  "_NET_WM_STATE_HIDDEN",
  "_NET_WM_STATE_MAXIMIZED_VERT",
  "_NET_WM_STATE_MAXIMIZED_HORZ",
  "_NET_SYSTEM_TRAY_OPCODE",
  "MANAGER",
  "_XEMBED_INFO",
  "_XEMBED",
  "_NET_WM_STATE_MODAL",
};

// A failed request (a window the desktop destroyed under us, a focus change that came too late) is not
// worth dying for; say so a few times and carry on.
int ReportXError(::Display* dpy, XErrorEvent* e) {
  static int reported = 0;
  if (reported < 10) {
    char text[160];
    Xlib().XGetErrorText(dpy, e->error_code, text, sizeof text);
    std::fprintf(stderr, "x11: %s (request %d.%d)\n", text, e->request_code, e->minor_code);
    if (++reported == 10) std::fprintf(stderr, "x11: further errors not shown\n");
  }
  return 0;
}

bool CtypeIsUtf8() {
  const char* cs = nl_langinfo(CODESET);
  return cs && (strcasecmp(cs, "UTF-8") == 0 || strcasecmp(cs, "utf8") == 0);
}

// Key text comes from the input method in the character set of LC_CTYPE, so make that UTF-8: the
// user's own locale when it is, else C.UTF-8. Narrow strings of the platform are GBK by its own
// conversions and do not depend on the C library's locale.
bool EnsureUtf8Ctype() {
  if (CtypeIsUtf8()) return true;
  std::string saved = std::setlocale(LC_CTYPE, nullptr);
  for (const char* name : { "", "C.UTF-8", "en_US.UTF-8" })
    if (std::setlocale(LC_CTYPE, name) && CtypeIsUtf8()) return true;
  std::setlocale(LC_CTYPE, saved.c_str());
  return false;
}

// The move/resize request's direction that calls a running drag off.
constexpr long kMoveResizeCancel = 11;

uint32_t Modifiers(unsigned int state) {
  uint32_t m = 0;
  if (state & ShiftMask) m |= ModShift;
  if (state & ControlMask) m |= ModControl;
  if (state & Mod1Mask) m |= ModAlt;
  if (state & Button1Mask) m |= ModLeftButton;
  if (state & Button2Mask) m |= ModMiddleButton;
  if (state & Button3Mask) m |= ModRightButton;
  return m;
}

// X has no empty windows; a window of no size is 1 × 1 and shaped away.
RECT XGeometry(const RECT& b) {
  return { b.left, b.top, b.left + std::max<LONG>(1, b.right - b.left), b.top + std::max<LONG>(1, b.bottom - b.top) };
}

// <chrono> does not compile with the GBK execution character set (its "µs" suffix), hence this.
int64_t MonotonicMs() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

}  // namespace

std::unique_ptr<Backend> OpenX11Backend(const char* name, std::string* error) { return X11Backend::Open(name, error); }

std::unique_ptr<X11Backend> X11Backend::Open(const char* name, std::string* error) {
  if (!Xlib().error.empty()) {
    if (error) *error = Xlib().error;
    return nullptr;
  }
  bool utf8 = EnsureUtf8Ctype();
  ::Display* dpy = Xlib().XOpenDisplay(name);
  if (!dpy) {
    const char* shown = name ? name : std::getenv("DISPLAY");
    if (error) *error = std::string("cannot open the X display ") + (shown ? shown : "(DISPLAY is not set)");
    return nullptr;
  }
  Xlib().XSetErrorHandler(ReportXError);
  std::unique_ptr<X11Backend> backend(new X11Backend(dpy));
  if (!backend->Init(error)) return nullptr;
  if (utf8) backend->OpenInputMethod();
  return backend;
}

X11Backend::~X11Backend() {
  for (auto& [id, n] : FNative) {
    if (n.ic) Xlib().XDestroyIC(n.ic);
    Xlib().XDestroyWindow(FDpy, n.xid);
  }
  if (FTray) Xlib().XDestroyWindow(FDpy, FTray);
  for (auto& [id, d] : FDocked) Xlib().XDestroyWindow(FDpy, d.xid);
  for (::Cursor c : FCursors)
    if (c) Xlib().XFreeCursor(FDpy, c);
  if (FIm) Xlib().XCloseIM(FIm);
  if (FGc) Xlib().XFreeGC(FDpy, FGc);
  if (FHelper) Xlib().XDestroyWindow(FDpy, FHelper);
  if (FOwnColormap) Xlib().XFreeColormap(FDpy, FColormap);
  Xlib().XCloseDisplay(FDpy);
}

bool X11Backend::Init(std::string* error) {
  FScreen = DefaultScreen(FDpy);
  FRoot = RootWindow(FDpy, FScreen);
  if (!ChooseVisual(error)) return false;
  FScreenSize = { DisplayWidth(FDpy, FScreen), DisplayHeight(FDpy, FScreen) };
  Xlib().XInternAtoms(FDpy, const_cast<char**>(kAtomNames), kAtomCount, False, FAtoms.data());

  int eventBase, errorBase, major = 0, minor = 0;
  FHasShape =
      Xlib().XShapeQueryExtension(FDpy, &eventBase, &errorBase) && Xlib().XShapeQueryVersion(FDpy, &major, &minor);
  FHasInputShape = FHasShape && (major > 1 || (major == 1 && minor >= 1));
  // Held keys then repeat as presses only, so a repeat is a press of a key that is already down.
  Bool detectable;
  Xlib().XkbSetDetectableAutoRepeat(FDpy, True, &detectable);

  XSetWindowAttributes a {};
  a.colormap = FColormap;
  a.override_redirect = True;
  a.event_mask = PropertyChangeMask;
  FHelper = Xlib().XCreateWindow(FDpy, FRoot, -100, -100, 1, 1, 0, FDepth, InputOutput, FVisual,
                                 CWColormap | CWBorderPixel | CWOverrideRedirect | CWEventMask, &a);
  FGc = Xlib().XCreateGC(FDpy, FHelper, 0, nullptr);
  Xlib().XSelectInput(FDpy, FRoot, PropertyChangeMask | StructureNotifyMask);
  ReadRootProperties();
  FTraySelection = Xlib().XInternAtom(FDpy, ("_NET_SYSTEM_TRAY_S" + std::to_string(FScreen)).c_str(), False);
  FindTrayManager();
  return true;
}

bool X11Backend::ChooseVisual(std::string* error) {
  auto usable = [](const Visual* v, int depth) {
    return v->c_class == TrueColor && depth >= 24 && v->red_mask == 0xFF0000 && v->green_mask == 0xFF00 &&
           v->blue_mask == 0xFF;
  };
  if (usable(DefaultVisual(FDpy, FScreen), DefaultDepth(FDpy, FScreen))) {
    FVisual = DefaultVisual(FDpy, FScreen);
    FDepth = DefaultDepth(FDpy, FScreen);
    FColormap = DefaultColormap(FDpy, FScreen);
    return true;
  }
  XVisualInfo info;
  if (Xlib().XMatchVisualInfo(FDpy, FScreen, 24, TrueColor, &info) && usable(info.visual, info.depth)) {
    FVisual = info.visual;
    FDepth = info.depth;
    FColormap = Xlib().XCreateColormap(FDpy, FRoot, FVisual, AllocNone);
    FOwnColormap = true;
    return true;
  }
  if (error) *error = "the X display has no 24-bit true-colour visual";
  return false;
}

void X11Backend::OpenInputMethod() {
  if (!Xlib().XSupportsLocale()) return;
  Xlib().XSetLocaleModifiers("");
  FIm = Xlib().XOpenIM(FDpy, nullptr, nullptr, nullptr);
  if (!FIm) {
    // The configured input method is not running: fall back to X's built-in one (compose keys).
    Xlib().XSetLocaleModifiers("@im=none");
    FIm = Xlib().XOpenIM(FDpy, nullptr, nullptr, nullptr);
  }
}

std::vector<unsigned long> X11Backend::Longs(Window xid, Atom property, Atom type) const {
  std::vector<unsigned long> values;
  Atom actual;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  if (Xlib().XGetWindowProperty(FDpy, xid, property, 0, 4096, False, type, &actual, &format, &count, &after, &data) ==
          Success &&
      data && format == 32) {
    auto* longs = reinterpret_cast<unsigned long*>(data);
    values.assign(longs, longs + count);
  }
  if (data) Xlib().XFree(data);
  return values;
}

void X11Backend::ReadRootProperties() {
  std::vector<unsigned long> desk = Longs(FRoot, FAtoms[kNetCurrentDesktop], XA_CARDINAL);
  std::vector<unsigned long> area = Longs(FRoot, FAtoms[kNetWorkarea], XA_CARDINAL);
  size_t index = desk.empty() ? 0 : desk[0];
  if (index >= area.size() / 4) index = 0;  // a desktop without its own entry uses the first
  RECT screen { 0, 0, FScreenSize.cx, FScreenSize.cy };
  FWorkArea = screen;
  if (area.size() >= 4) {
    auto v = [&](size_t k) { return LONG(std::min<unsigned long>(area[4 * index + k], 1 << 20)); };
    RECT work = IntersectRects({ v(0), v(1), v(0) + v(2), v(1) + v(3) }, screen);
    if (!RectEmpty(work)) FWorkArea = work;
  }
  std::vector<unsigned long> supported = Longs(FRoot, FAtoms[kNetSupported], XA_ATOM);
  FSupported.assign(supported.begin(), supported.end());
}

bool X11Backend::Supports(Atom a) const {
  return std::find(FSupported.begin(), FSupported.end(), a) != FSupported.end();
}

bool X11Backend::Managed(const StoredWindow& w) const { return w.kind != WindowKind::Popup; }

WindowId X11Backend::IdOf(Window xid) const {
  auto it = FByXid.find(xid);
  return it == FByXid.end() ? 0 : it->second;
}

X11Backend::NativeWindow* X11Backend::Native(WindowId id) {
  auto it = FNative.find(id);
  return it == FNative.end() ? nullptr : &it->second;
}

uintptr_t X11Backend::NativeWindowHandle(WindowId id) const {
  auto it = FNative.find(id);
  return it == FNative.end() ? 0 : uintptr_t(it->second.xid);
}

RECT X11Backend::TrayStripBounds() const { return TrayStripPlace(FScreenSize, FWorkArea, TrayIcons().size(), false); }

// ---- windows ------------------------------------------------------------------------------------

void X11Backend::NativeCreate(WindowId id) {
  const StoredWindow& w = *Store().Find(id);
  bool popup = w.kind == WindowKind::Popup;
  XSetWindowAttributes a {};
  a.background_pixmap = None;  // no flash of background: exposed areas are restored from our copy
  a.colormap = FColormap;
  a.override_redirect = popup;
  a.bit_gravity = NorthWestGravity;
  a.save_under = popup;
  a.event_mask = kEventMask;
  RECT g = XGeometry(w.bounds);
  Window xid = Xlib().XCreateWindow(
      FDpy, FRoot, g.left, g.top, unsigned(g.right - g.left), unsigned(g.bottom - g.top), 0, FDepth, InputOutput,
      FVisual,
      CWBackPixmap | CWBorderPixel | CWColormap | CWOverrideRedirect | CWBitGravity | CWSaveUnder | CWEventMask, &a);
  NativeWindow& n = FNative[id];
  n.xid = xid;
  n.parent = FRoot;
  FByXid[xid] = id;
  FStacked.insert(FStacked.begin(), id);

  if (!popup) {
    Xlib().XSetWMProtocols(FDpy, xid, &FAtoms[kWmDeleteWindow], 1);
    // Decorations off: the platform draws its own frame, so both back-ends look alike.
    long motif[5] = { 2 /* decorations field valid */, 0, 0, 0, 0 };
    Xlib().XChangeProperty(FDpy, xid, FAtoms[kMotifWmHints], FAtoms[kMotifWmHints], 32, PropModeReplace,
                           reinterpret_cast<unsigned char*>(motif), 5);
    WriteWmHints(n, w);
    XClassHint cls { const_cast<char*>(program_invocation_short_name), const_cast<char*>("Xunjian") };
    Xlib().XSetClassHint(FDpy, xid, &cls);
    ApplyGeometry(id, n, w);
  }
  Atom type = FAtoms[popup                        ? kNetWmWindowTypePopupMenu
                     : w.kind == WindowKind::Tool ? kNetWmWindowTypeUtility
                                                  : kNetWmWindowTypeNormal];
  Xlib().XChangeProperty(FDpy, xid, FAtoms[kNetWmWindowType], XA_ATOM, 32, PropModeReplace,
                         reinterpret_cast<unsigned char*>(&type), 1);
  WriteNetWmState(n, w);

  if (FIm) {
    n.ic = Xlib().XCreateIC(FIm, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, xid, XNFocusWindow,
                            xid, nullptr);
    long filter = 0;
    if (n.ic && !Xlib().XGetICValues(n.ic, XNFilterEvents, &filter, nullptr))
      Xlib().XSelectInput(FDpy, xid, kEventMask | filter);
  }
  if (w.Width() == 0 || w.Height() == 0) NativeShape(id);
}

void X11Backend::NativeDestroy(WindowId id) {
  NativeWindow* n = Native(id);
  if (!n) return;
  if (n->ic) Xlib().XDestroyIC(n->ic);
  Xlib().XDestroyWindow(FDpy, n->xid);
  FByXid.erase(n->xid);
  FNative.erase(id);
  if (FHandedDrag == id) FHandedDrag = 0;
  std::erase(FStacked, id);
  Xlib().XFlush(FDpy);
}

void X11Backend::ApplyGeometry(WindowId, NativeWindow& n, const StoredWindow& w) {
  RECT g = XGeometry(w.bounds);
  XSizeHints* size = Xlib().XAllocSizeHints();
  // Static gravity: the position we give is the client's own, whatever frame the desktop adds.
  size->flags = USPosition | USSize | PWinGravity;
  size->x = g.left;
  size->y = g.top;
  size->width = g.right - g.left;
  size->height = g.bottom - g.top;
  size->win_gravity = StaticGravity;
  if (w.minSize.cx > 0 || w.minSize.cy > 0) {
    size->flags |= PMinSize;
    size->min_width = std::max<int>(int(w.minSize.cx), 1);
    size->min_height = std::max<int>(int(w.minSize.cy), 1);
  }
  if (w.maxSize.cx > 0 && w.maxSize.cy > 0) {
    size->flags |= PMaxSize;
    size->max_width = std::max<int>(int(w.maxSize.cx), size->min_width);
    size->max_height = std::max<int>(int(w.maxSize.cy), size->min_height);
  }
  Xlib().XSetWMNormalHints(FDpy, n.xid, size);
  Xlib().XFree(size);
}

void X11Backend::NativeBounds(WindowId id) {
  NativeWindow* n = Native(id);
  const StoredWindow& w = *Store().Find(id);
  RECT g = XGeometry(w.bounds);
  if (n->desktopMaximized && n->viewable) {
    // A program that maximises by sizing the window itself answers the desktop's maximise with the work
    // area as it knows it (which may be older than the desktop's) or the whole screen. Asked for a size, a
    // desktop lets go of its maximised state (icewm does), so the size the desktop gave stands.
    if (SameRect(g, n->maximizedGeometry) || SameRect(g, FWorkArea) ||
        SameRect(g, { 0, 0, FScreenSize.cx, FScreenSize.cy })) {
      KeepDesktopMaximized(id, *n);
      return;
    }
    // Any other size is the program's own: it ends the desktop's maximised state, which would otherwise
    // hold the window.
    SendToRoot(n->xid, FAtoms[kNetWmState],
               { 0, long(FAtoms[kNetWmStateMaximizedVert]), long(FAtoms[kNetWmStateMaximizedHorz]), 1, 0 });
  }
  n->pendingGeometry.push_back(g);
  if (n->pendingGeometry.size() > 32) n->pendingGeometry.pop_front();
  if (Managed(w)) ApplyGeometry(id, *n, w);
  Xlib().XMoveResizeWindow(FDpy, n->xid, g.left, g.top, unsigned(g.right - g.left), unsigned(g.bottom - g.top));
  if (n->shapedAway != (w.Width() == 0 || w.Height() == 0)) NativeShape(id);
  Xlib().XFlush(FDpy);
}

void X11Backend::NativeShow(WindowId id, bool activate) {
  NativeWindow* n = Native(id);
  const StoredWindow& w = *Store().Find(id);
  if (Managed(w)) {
    // A user time of 0 tells the desktop not to focus the window when it appears.
    if (activate)
      Xlib().XDeleteProperty(FDpy, n->xid, FAtoms[kNetWmUserTime]);
    else
      SetCardinal(n->xid, FAtoms[kNetWmUserTime], 0);
  }
  bool minimized = w.state == WindowState::Minimized;
  if (Managed(w)) {
    WriteWmHints(*n, w);
    WriteNetWmState(*n, w);
    WriteUndecoratedHints(*n, w);
  }
  n->activateWhenMapped = activate && Managed(w) && !minimized;
  if (n->viewable && n->activateWhenMapped) NativeActivate(id);
  // Minimised from the start: the desktop maps it as an icon, or, without one, it waits for restoring.
  if (!minimized || DesktopKeepsIcons(w)) Xlib().XMapWindow(FDpy, n->xid);
  Xlib().XFlush(FDpy);
}

void X11Backend::NativeHide(WindowId id) {
  NativeWindow* n = Native(id);
  n->activateWhenMapped = false;
  n->desktopMaximized = false;  // a withdrawn window starts afresh with the desktop
  n->maximizedGeometry = {};
  n->awaitedIconic.reset();
  n->viewable = false;  // from now on, whatever the UnmapNotify still on its way says
  if (Managed(*Store().Find(id)))
    Xlib().XWithdrawWindow(FDpy, n->xid, FScreen);
  else
    Xlib().XUnmapWindow(FDpy, n->xid);
  Xlib().XFlush(FDpy);
}

void X11Backend::NativeState(WindowId id, WindowState previous) {
  NativeWindow* n = Native(id);
  const StoredWindow& w = *Store().Find(id);
  if (!w.visible) {
    if (Managed(w)) {  // taken up when it is shown
      WriteWmHints(*n, w);
      WriteNetWmState(*n, w);
    }
    return;
  }
  bool minimize = w.state == WindowState::Minimized;
  if (minimize == (previous == WindowState::Minimized)) return;
  bool desktop = DesktopKeepsIcons(w);
  if (desktop) n->awaitedIconic = minimize;
  if (minimize) {
    n->activateWhenMapped = false;
    if (desktop) {
      Xlib().XIconifyWindow(FDpy, n->xid, FScreen);
    } else {
      n->viewable = false;
      Xlib().XUnmapWindow(FDpy, n->xid);
    }
  } else {
    Xlib().XMapWindow(FDpy, n->xid);  // an iconic window mapped by its client is restored by the desktop
    // Our note that it starts hidden: a window manager without EWMH leaves it standing.
    if (!Supports(FAtoms[kNetWmState])) WriteNetWmState(*n, w);
  }
  Xlib().XFlush(FDpy);
}

// Whether a desktop looks after this window's icon: a window manager is running and the window is one
// it manages.
bool X11Backend::DesktopKeepsIcons(const StoredWindow& w) const { return Managed(w) && WindowManagerRuns(); }

// Someone redirects the root's structure requests: a window manager.
bool X11Backend::WindowManagerRuns() const {
  XWindowAttributes root {};
  return Xlib().XGetWindowAttributes(FDpy, FRoot, &root) && (root.all_event_masks & SubstructureRedirectMask);
}

// A window with an owner is its transient, under every window manager: kept above the owner, and, while
// modal, given the focus when the owner is clicked. The Motif hints ask for no decoration, but a window
// manager that speaks no EWMH (twm and its kin) reads none of them and puts its own title bar over our
// frame. What such a manager does leave undecorated is a transient window: a window without an owner is
// made one of the program's (its helper window stands for the program), and is still moved, iconified
// and closed by the manager. Without a title bar the manager no longer focuses the window the pointer
// enters; it offers the focus instead (WM_TAKE_FOCUS), which the window takes. Written before each
// mapping, when the manager reads them, and again when the owner changes.
void X11Backend::WriteUndecoratedHints(const NativeWindow& n, const StoredWindow& w) {
  const bool plain = FSupported.empty() && WindowManagerRuns();
  const auto owner = FNative.find(w.owner);
  if (owner != FNative.end())
    Xlib().XSetTransientForHint(FDpy, n.xid, owner->second.xid);
  else if (plain)
    Xlib().XSetTransientForHint(FDpy, n.xid, FHelper);
  else
    Xlib().XDeleteProperty(FDpy, n.xid, XA_WM_TRANSIENT_FOR);
  Atom protocols[] = { FAtoms[kWmDeleteWindow], FAtoms[kWmTakeFocus] };
  Xlib().XSetWMProtocols(FDpy, n.xid, protocols, plain ? 2 : 1);
}

void X11Backend::NativeOwner(WindowId id) {
  NativeWindow* n = Native(id);
  const StoredWindow& w = *Store().Find(id);
  if (!Managed(w)) return;
  WriteUndecoratedHints(*n, w);
  if (n->viewable)  // as for the top-most state: the desktop owns a mapped window's state
    SendToRoot(n->xid, FAtoms[kNetWmState], { w.modal ? 1 : 0, long(FAtoms[kNetWmStateModal]), 0, 1, 0 });
  else
    WriteNetWmState(*n, w);
  Xlib().XFlush(FDpy);
}

void X11Backend::WriteWmHints(const NativeWindow& n, const StoredWindow& w) {
  XWMHints* hints = Xlib().XAllocWMHints();
  hints->flags = InputHint | StateHint;
  hints->input = True;
  hints->initial_state = w.state == WindowState::Minimized ? IconicState : NormalState;
  Xlib().XSetWMHints(FDpy, n.xid, hints);
  Xlib().XFree(hints);
}

// The ICCCM state the window manager gave the window, or nothing when none manages it.
std::optional<long> X11Backend::WmState(Window xid) const {
  std::vector<unsigned long> state = Longs(xid, FAtoms[kWmState], FAtoms[kWmState]);
  return state.empty() ? std::nullopt : std::optional<long>(long(state[0]));
}

void X11Backend::NativeZOrder() {
  // Raise, bottom first, every window above the part of the stack that did not change.
  const std::vector<WindowId>& order = Store().ZOrder();
  size_t same = 0;
  while (same < order.size() && same < FStacked.size() &&
         order[order.size() - 1 - same] == FStacked[FStacked.size() - 1 - same])
    ++same;
  for (size_t i = order.size() - same; i-- > 0;) Xlib().XRaiseWindow(FDpy, FNative.at(order[i]).xid);
  FStacked = order;
  if (FTray) Xlib().XRaiseWindow(FDpy, FTray);
  Xlib().XFlush(FDpy);
}

void X11Backend::WriteNetWmState(NativeWindow& n, const StoredWindow& w) {
  std::vector<Atom> state;
  if (w.topMost) state.push_back(FAtoms[kNetWmStateAbove]);
  if (w.modal) state.push_back(FAtoms[kNetWmStateModal]);
  if (w.state == WindowState::Minimized) state.push_back(FAtoms[kNetWmStateHidden]);
  if (w.kind == WindowKind::Tool) state.push_back(FAtoms[kNetWmStateSkipTaskbar]);
  if (state.empty())
    Xlib().XDeleteProperty(FDpy, n.xid, FAtoms[kNetWmState]);
  else
    Xlib().XChangeProperty(FDpy, n.xid, FAtoms[kNetWmState], XA_ATOM, 32, PropModeReplace,
                           reinterpret_cast<unsigned char*>(state.data()), int(state.size()));
}

void X11Backend::NativeTopMost(WindowId id) {
  NativeWindow* n = Native(id);
  const StoredWindow& w = *Store().Find(id);
  if (!Managed(w)) return;
  if (n->viewable)  // a mapped window's state belongs to the desktop: ask it
    SendToRoot(n->xid, FAtoms[kNetWmState], { w.topMost ? 1 : 0, long(FAtoms[kNetWmStateAbove]), 0, 1, 0 });
  else
    WriteNetWmState(*n, w);
  Xlib().XFlush(FDpy);
}

void X11Backend::NativeShape(WindowId id) {
  if (!FHasShape) return;
  NativeWindow* n = Native(id);
  const StoredWindow& w = *Store().Find(id);
  bool empty = w.Width() == 0 || w.Height() == 0;
  n->shapedAway = empty;
  auto apply = [&](int kind) {
    if (!w.shape && !empty) {
      Xlib().XShapeCombineMask(FDpy, n->xid, kind, 0, 0, None, ShapeSet);
      return;
    }
    std::vector<XRectangle> rects;
    if (!empty) {
      RECT window { 0, 0, w.Width(), w.Height() };
      for (const RECT& r : *w.shape) {
        RECT c = IntersectRects(NormalizedBounds(r), window);
        if (!RectEmpty(c))
          rects.push_back(
              { short(c.left), short(c.top), (unsigned short)(c.right - c.left), (unsigned short)(c.bottom - c.top) });
      }
    }
    Xlib().XShapeCombineRectangles(FDpy, n->xid, kind, 0, 0, rects.data(), int(rects.size()), ShapeSet, Unsorted);
  };
  apply(ShapeBounding);
  if (FHasInputShape) apply(ShapeInput);
  Xlib().XFlush(FDpy);
}

void X11Backend::NativeOpacity(WindowId id) {
  NativeWindow* n = Native(id);
  uint8_t alpha = Store().Find(id)->opacity;
  if (alpha == 255)
    Xlib().XDeleteProperty(FDpy, n->xid, FAtoms[kNetWmWindowOpacity]);
  else
    SetCardinal(n->xid, FAtoms[kNetWmWindowOpacity], alpha * 0x01010101UL);
  Xlib().XFlush(FDpy);
}

void X11Backend::NativeTitle(WindowId id) {
  SetNames(Native(id)->xid, Store().Find(id)->title);
  Xlib().XFlush(FDpy);
}

void X11Backend::SetNames(Window xid, const std::string& utf8) {
  std::string copy = utf8;
  char* list[1] = { copy.data() };
  XTextProperty text;
  if (Xlib().Xutf8TextListToTextProperty(FDpy, list, 1, XStdICCTextStyle, &text) >= Success) {
    Xlib().XSetWMName(FDpy, xid, &text);
    Xlib().XSetWMIconName(FDpy, xid, &text);
    Xlib().XFree(text.value);
  }
  for (AtomId property : { kNetWmName, kNetWmIconName })
    Xlib().XChangeProperty(FDpy, xid, FAtoms[property], FAtoms[kUtf8String], 8, PropModeReplace,
                           reinterpret_cast<const unsigned char*>(utf8.data()), int(utf8.size()));
}

::Cursor X11Backend::CursorFor(CursorType shape) {
  ::Cursor& c = FCursors[size_t(shape)];
  if (c) return c;
  if (shape == CursorType::Hidden) {
    char none = 0;
    Pixmap blank = Xlib().XCreateBitmapFromData(FDpy, FRoot, &none, 1, 1);
    XColor black {};
    c = Xlib().XCreatePixmapCursor(FDpy, blank, blank, &black, &black, 0, 0);
    Xlib().XFreePixmap(FDpy, blank);
    return c;
  }
  static constexpr unsigned kFontCursors[] = {
    XC_left_ptr,
    XC_xterm,
    XC_watch,
    XC_crosshair,
    XC_sb_up_arrow,
    XC_bottom_right_corner,
    XC_bottom_left_corner,
    XC_sb_h_double_arrow,
    XC_sb_v_double_arrow,
    XC_fleur,
    XC_circle,
    XC_hand2,
  };
  c = Xlib().XCreateFontCursor(FDpy, kFontCursors[size_t(shape)]);
  return c;
}

void X11Backend::NativeCursor(WindowId id) {
  Xlib().XDefineCursor(FDpy, Native(id)->xid, CursorFor(Store().Find(id)->cursor));
  Xlib().XFlush(FDpy);
}

void X11Backend::PutPixels(Window xid, const SurfaceView& pixels, const RECT& area) {
  RECT r = IntersectRects(area, { 0, 0, pixels.width, pixels.height });
  if (RectEmpty(r)) return;
  XImage image {};
  image.width = pixels.width;
  image.height = pixels.height;
  image.format = ZPixmap;
  image.data = reinterpret_cast<char*>(const_cast<uint32_t*>(pixels.pixels));
  image.byte_order = LSBFirst;  // B, G, R, X in memory; Xlib swaps for a server that wants otherwise
  image.bitmap_unit = 32;
  image.bitmap_bit_order = LSBFirst;
  image.bitmap_pad = 32;
  image.depth = FDepth;
  image.bytes_per_line = pixels.stride;
  image.bits_per_pixel = 32;
  image.red_mask = FVisual->red_mask;
  image.green_mask = FVisual->green_mask;
  image.blue_mask = FVisual->blue_mask;
  Xlib().XInitImage(&image);
  Xlib().XPutImage(FDpy, xid, FGc, &image, r.left, r.top, r.left, r.top, unsigned(r.right - r.left),
                   unsigned(r.bottom - r.top));
}

void X11Backend::NativePresent(WindowId id, const RECT& copied) {
  NativeWindow* n = Native(id);
  if (!n->viewable) return;  // the Expose that follows the mapping draws it
  PutPixels(n->xid, Store().Find(id)->Pixels(), copied);
  Xlib().XFlush(FDpy);
}

void X11Backend::NativeActivate(WindowId id) {
  NativeWindow* n = Native(id);
  const StoredWindow& w = *Store().Find(id);
  if (!Managed(w)) return;  // popups never take the focus
  if (!n->viewable) {
    n->activateWhenMapped = true;
    return;
  }
  n->activateWhenMapped = false;
  if (Supports(FAtoms[kNetActiveWindow]))
    SendToRoot(n->xid, FAtoms[kNetActiveWindow], { 1, long(Now()), 0, 0, 0 });
  else
    Xlib().XSetInputFocus(FDpy, n->xid, RevertToParent, CurrentTime);
  Xlib().XFlush(FDpy);
}

bool X11Backend::NativeBeginMoveSize(WindowId id, POINT pt, MouseButton button, DragKind kind) {
  NativeWindow* n = Native(id);
  if (!Managed(*Store().Find(id)) || !n->viewable || !Supports(FAtoms[kNetWmMoveresize])) return false;
  long xbutton = button == MouseButton::Right ? 3 : button == MouseButton::Middle ? 2 : 1;
  // A click whose release came straight after the press (its event is already on its way to us) is no
  // drag: the desktop would wait for a release that never comes and take the next click for its own.
  Window root, child;
  int rx, ry, wx, wy;
  unsigned int mask = 0;
  Xlib().XQueryPointer(FDpy, FRoot, &root, &child, &rx, &ry, &wx, &wy, &mask);
  if (!(mask & (Button1Mask << (xbutton - 1)))) return false;
  // The desktop cannot grab the pointer while our implicit grab from the button press holds it.
  Xlib().XUngrabPointer(FDpy, CurrentTime);
  // DragKind follows the protocol's own numbering of the directions (0 top-left … 7 left, 8 move).
  SendToRoot(n->xid, FAtoms[kNetWmMoveresize], { pt.x, pt.y, long(kind), xbutton, 1 });
  Xlib().XFlush(FDpy);
  FHandedDrag = id;
  FHandedDragMoved = false;
  return true;
}

void X11Backend::NativeSizeLimits(WindowId id) {
  NativeWindow* n = Native(id);
  const StoredWindow& w = *Store().Find(id);
  if (!n || !Managed(w)) return;
  ApplyGeometry(id, *n, w);
  Xlib().XFlush(FDpy);
}

// The desktop's drag sends us nothing when it ends: the pointer is grabbed by the desktop until the
// button goes up. So while one runs, waits are short and each pump looks at the buttons.
void X11Backend::CheckHandedDrag() {
  if (!FHandedDrag) return;
  Window root, child;
  int rx, ry, wx, wy;
  unsigned int mask = 0;
  Xlib().XQueryPointer(FDpy, FRoot, &root, &child, &rx, &ry, &wx, &wy, &mask);
  if (mask & (Button1Mask | Button2Mask | Button3Mask)) return;
  // What the desktop did before it let go (its last configure) was sent before the reply: it comes first.
  const WindowId id = FHandedDrag;
  while (Xlib().XPending(FDpy) > 0) {
    XEvent ev;
    Xlib().XNextEvent(FDpy, &ev);
    if (!Xlib().XFilterEvent(&ev, None)) Dispatch(ev);
  }
  FHandedDrag = 0;
  // A drag that moved nothing may be one the desktop took only after the release (a press, a jump and a
  // release with no pause): it would hold the pointer for a release that already came, and take the next
  // drag for this one. Calling it off ends that, and is nothing to a desktop whose drag is over.
  if (!FHandedDragMoved)
    if (NativeWindow* n = Native(id)) {
      SendToRoot(n->xid, FAtoms[kNetWmMoveresize], { rx, ry, kMoveResizeCancel, 0, 1 });
      Xlib().XFlush(FDpy);
    }
  Event e;
  e.type = EventType::DragEnded;
  e.window = id;
  e.pt = { rx, ry };
  Post(std::move(e));
}

void X11Backend::SendToRoot(Window about, Atom type, std::array<long, 5> data) {
  XEvent e {};
  e.xclient.type = ClientMessage;
  e.xclient.window = about;
  e.xclient.message_type = type;
  e.xclient.format = 32;
  for (int i = 0; i < 5; ++i) e.xclient.data.l[i] = data[size_t(i)];
  Xlib().XSendEvent(FDpy, FRoot, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
}

void X11Backend::SetCardinal(Window xid, Atom property, unsigned long value) {
  Xlib().XChangeProperty(FDpy, xid, property, XA_CARDINAL, 32, PropModeReplace,
                         reinterpret_cast<unsigned char*>(&value), 1);
}

void X11Backend::NativeBell() {
  Xlib().XBell(FDpy, 0);
  Xlib().XFlush(FDpy);
}

POINT X11Backend::NativeCursorPos() const {
  Window root, child;
  int rx = 0, ry = 0, wx, wy;
  unsigned int mask;
  Xlib().XQueryPointer(FDpy, FRoot, &root, &child, &rx, &ry, &wx, &wy, &mask);
  return { rx, ry };
}

void X11Backend::NativeSetCursorPos(POINT pt) {
  Xlib().XWarpPointer(FDpy, None, FRoot, 0, 0, 0, 0, pt.x, pt.y);
  Xlib().XFlush(FDpy);
}

// ---- events -------------------------------------------------------------------------------------

void X11Backend::NativePump() {
  while (Xlib().XPending(FDpy) > 0) {
    XEvent ev;
    Xlib().XNextEvent(FDpy, &ev);
    if (Xlib().XFilterEvent(&ev, None)) continue;  // the input method's
    Dispatch(ev);
  }
  CheckHandedDrag();
}

WaitResult X11Backend::NativeWait(int timeoutMs) {
  if (Xlib().XPending(FDpy) > 0) return WaitResult::Event;  // flushes, and sees what Xlib has already read
  if (FHandedDrag) timeoutMs = timeoutMs < 0 ? 20 : std::min(timeoutMs, 20);
  pollfd fds[2] = { { ConnectionNumber(FDpy), POLLIN, 0 }, { WakeFd(), POLLIN, 0 } };
  int n;
  do n = poll(fds, WakeFd() >= 0 ? 2 : 1, timeoutMs < 0 ? -1 : timeoutMs);
  while (n < 0 && errno == EINTR);
  if (n <= 0) return WaitResult::Timeout;
  return fds[0].revents ? WaitResult::Event : WaitResult::Wake;
}

bool X11Backend::PumpUntil(const std::function<bool(XEvent&)>& wanted, int timeoutMs) {
  int64_t deadline = MonotonicMs() + timeoutMs;
  for (;;) {
    while (Xlib().XPending(FDpy) > 0) {
      XEvent ev;
      Xlib().XNextEvent(FDpy, &ev);
      if (wanted(ev)) return true;
      if (Xlib().XFilterEvent(&ev, None)) continue;
      Dispatch(ev);
    }
    int64_t left = deadline - MonotonicMs();
    if (left <= 0) return false;
    pollfd p { ConnectionNumber(FDpy), POLLIN, 0 };
    poll(&p, 1, int(left));
  }
}

void X11Backend::Dispatch(XEvent& ev) {
  if (DispatchDesktopWide(ev)) return;
  if (DispatchTray(ev)) return;
  if (ev.xany.window == FRoot) {
    if (ev.type == ConfigureNotify) OnScreenResized(ev.xconfigure);
    return;
  }
  if (WindowId id = IdOf(ev.xany.window)) DispatchToWindow(id, ev);
}

bool X11Backend::DispatchDesktopWide(XEvent& ev) {
  switch (ev.type) {
    case MappingNotify:  // xdotool and keyboard-layout switches remap keys; Xlib must reload them
      Xlib().XRefreshKeyboardMapping(&ev.xmapping);
      return true;
    case SelectionRequest:
      OnSelectionRequest(ev.xselectionrequest);
      return true;
    case SelectionClear:
      if (ev.xselectionclear.selection == FAtoms[kClipboard]) FClipboard.reset();
      return true;
    case PropertyNotify:
      OnPropertyChange(ev.xproperty);
      return true;
    default:
      return false;
  }
}

void X11Backend::OnPropertyChange(const XPropertyEvent& ev) {
  if ((ev.atom == FAtoms[kWmState] || ev.atom == FAtoms[kNetWmState]))
    if (WindowId id = IdOf(ev.window)) OnDesktopState(id);
  if (ev.window == FRoot &&
      (ev.atom == FAtoms[kNetWorkarea] || ev.atom == FAtoms[kNetCurrentDesktop] || ev.atom == FAtoms[kNetSupported]))
    RereadScreen(FScreenSize);
}

// The root grows or shrinks with the screen (a RandR change): its notice carries the new size, which
// Xlib's own idea of the display's size does not follow.
void X11Backend::OnScreenResized(const XConfigureEvent& ev) {
  if (ev.width > 0 && ev.height > 0) RereadScreen({ ev.width, ev.height });
}

// The screen's size and the work area the desktop leaves us, read again; the program hears of a change.
void X11Backend::RereadScreen(SIZE size) {
  const SIZE was = FScreenSize;
  const RECT wasWork = FWorkArea;
  FScreenSize = size;
  ReadRootProperties();
  if (FTray) ShowTrayStrip();
  PostScreenChange(was, wasWork);
}

void X11Backend::DispatchToWindow(WindowId id, XEvent& ev) {
  NativeWindow& n = FNative.at(id);
  switch (ev.type) {
    case ButtonPress:
    case ButtonRelease:
      OnButton(id, ev.xbutton, ev.type == ButtonPress);
      break;
    case MotionNotify:
      OnMotion(id, ev.xmotion);
      break;
    case KeyPress:
    case KeyRelease:
      OnKey(id, ev.xkey, ev.type == KeyPress);
      break;
    case EnterNotify:
    case LeaveNotify:
      OnCrossing(id, ev.xcrossing);
      break;
    case FocusIn:
    case FocusOut:
      OnFocusChange(id, n, ev.xfocus);
      break;
    case Expose:
      OnExpose(id, ev.xexpose);
      break;
    case ConfigureNotify:
      OnConfigure(id, ev.xconfigure);
      break;
    case MapNotify:
      OnMapped(id);
      break;
    case UnmapNotify:
      n.viewable = false;
      break;
    case ReparentNotify:
      OnReparented(id, n, ev.xreparent);
      break;
    case ClientMessage:
      OnClientMessage(id, n, ev.xclient);
      break;
    default:
      break;
  }
}

void X11Backend::OnCrossing(WindowId id, const XCrossingEvent& ev) {
  bool enter = ev.type == EnterNotify;
  if (ev.mode != NotifyNormal || (!enter && ev.detail == NotifyInferior)) return;
  // A window of ours that came up under the pointer (a tip over the label it shows) takes it from the
  // window below without the pointer leaving us: its enter says where the pointer is.
  if (!enter && PointerOverOurPopup()) return;
  Event e;
  e.window = id;
  e.type = enter ? EventType::MouseMove : EventType::MouseLeave;  // hover starts now, not at the next motion
  e.pt = { ev.x_root, ev.y_root };
  e.modifiers = Modifiers(ev.state);
  Post(std::move(e));
}

void X11Backend::OnFocusChange(WindowId id, NativeWindow& n, const XFocusChangeEvent& ev) {
  // Focus moving because of a grab, or to the pointer's window, is not the user choosing a window.
  if (ev.mode == NotifyGrab || ev.mode == NotifyUngrab || ev.detail == NotifyPointer || ev.detail == NotifyInferior)
    return;
  if (ev.type == FocusOut && KeysFollowPointerToUs()) return;
  if (n.ic) (ev.type == FocusIn ? Xlib().XSetICFocus : Xlib().XUnsetICFocus)(n.ic);
  Event e;
  e.window = id;
  e.type = ev.type == FocusIn ? EventType::FocusGained : EventType::FocusLost;
  if (ev.type == FocusIn) e.modifiers = HeldNow();
  Post(std::move(e));
}

// A manager whose focus follows the pointer (twm) lets the focus go to the pointer's window when the
// pointer leaves its frames for one of our drop-downs: the keys still come to us, so the form stays active.
bool X11Backend::KeysFollowPointerToUs() {
  Window focus = None;
  int revert;
  Xlib().XGetInputFocus(FDpy, &focus, &revert);
  if (focus != PointerRoot) return false;
  Window root, child = None;
  int rx, ry, wx, wy;
  unsigned int mask;
  Xlib().XQueryPointer(FDpy, FRoot, &root, &child, &rx, &ry, &wx, &wy, &mask);
  return IdOf(child) != 0;
}

bool X11Backend::PointerOverOurPopup() {
  Window root, child = None;
  int rx, ry, wx, wy;
  unsigned int mask;
  Xlib().XQueryPointer(FDpy, FRoot, &root, &child, &rx, &ry, &wx, &wy, &mask);
  const WindowId over = IdOf(child);
  return over && !Managed(*Store().Find(over));
}

// The keys the server says are down as the keyboard comes back to us: releases made while another window
// (or the window manager, Alt+Tab's) had it never reached us. Only what is held counts as repeating.
uint32_t X11Backend::HeldNow() {
  char keys[32] {};
  Xlib().XQueryKeymap(FDpy, keys);
  for (unsigned code = 0; code < FKeysDown.size(); ++code)
    if (!(keys[code / 8] & (1 << (code % 8)))) FKeysDown.reset(code);
  Window root, child;
  int rx, ry, wx, wy;
  unsigned int mask = 0;
  Xlib().XQueryPointer(FDpy, FRoot, &root, &child, &rx, &ry, &wx, &wy, &mask);
  return Modifiers(mask);
}

// The window manager asks a window to close, or offers it the focus.
void X11Backend::OnClientMessage(WindowId id, const NativeWindow& n, const XClientMessageEvent& ev) {
  if (ev.message_type != FAtoms[kWmProtocols]) return;
  if (Atom(ev.data.l[0]) == FAtoms[kWmDeleteWindow]) {
    Event e;
    e.window = id;
    e.type = EventType::Close;
    Post(std::move(e));
  } else if (Atom(ev.data.l[0]) == FAtoms[kWmTakeFocus] && n.viewable) {
    Xlib().XSetInputFocus(FDpy, n.xid, RevertToParent, Time(ev.data.l[1]));
  }
}

void X11Backend::OnButton(WindowId id, const XButtonEvent& ev, bool press) {
  FLastTime = ev.time;
  Event e;
  e.window = id;
  e.pt = { ev.x_root, ev.y_root };
  e.modifiers = Modifiers(ev.state);
  switch (ev.button) {
    case Button1:
      e.button = MouseButton::Left;
      break;
    case Button2:
      e.button = MouseButton::Middle;
      break;
    case Button3:
      e.button = MouseButton::Right;
      break;
    case Button4:
    case Button5:
      if (!press) return;  // a wheel notch is a press and a release; one event is enough
      e.type = EventType::Wheel;
      e.wheelDelta = ev.button == Button4 ? 120 : -120;
      Post(std::move(e));
      return;
    default:
      return;  // horizontal wheel and extra buttons have no meaning here
  }
  e.type = press ? EventType::ButtonDown : EventType::ButtonUp;
  Post(std::move(e));
}

void X11Backend::OnMotion(WindowId id, const XMotionEvent& ev) {
  POINT pt { ev.x_root, ev.y_root };
  uint32_t modifiers = Modifiers(ev.state);
  // Only the latest position of a run of moves matters; a live drag would otherwise lag behind.
  auto& queue = Queue();
  if (!queue.empty() && queue.back().type == EventType::MouseMove && queue.back().window == id &&
      queue.back().modifiers == modifiers) {
    queue.back().pt = pt;
    return;
  }
  Event e;
  e.type = EventType::MouseMove;
  e.window = id;
  e.pt = pt;
  e.modifiers = modifiers;
  Post(std::move(e));
}

void X11Backend::OnKey(WindowId id, XKeyEvent& ev, bool press) {
  FLastTime = ev.time;
  char plain[32];
  KeySym shifted = NoSymbol;
  int plainLength = Xlib().XLookupString(&ev, plain, sizeof plain, &shifted, nullptr);
  VirtualKey key = KeySymToVirtualKey(Xlib().XLookupKeysym(&ev, 0), shifted);
  unsigned code = ev.keycode & 0xFF;
  Event e;
  e.window = id;
  e.modifiers = Modifiers(ev.state);
  e.vk = key.vk;
  e.extended = key.extended;
  if (!press) {
    FKeysDown.reset(code);
    if (!key.vk) return;
    e.type = EventType::KeyUp;
    Post(std::move(e));
    return;
  }
  std::string text;
  NativeWindow& n = FNative.at(id);
  if (n.ic) {
    char buffer[256];
    KeySym sym;
    Status status = 0;
    int length = Xlib().Xutf8LookupString(n.ic, &ev, buffer, sizeof buffer, &sym, &status);
    if (status == XBufferOverflow) {
      text.resize(size_t(length));
      length = Xlib().Xutf8LookupString(n.ic, &ev, text.data(), length, &sym, &status);
      text.resize(size_t(std::max(length, 0)));
    } else if (status == XLookupChars || status == XLookupBoth) {
      text.assign(buffer, size_t(length));
    }
  }
  // The input method leaves out control characters (Return, Ctrl+C) that the keyboard still types.
  // XLookupString answers in the locale's character set, so only its ASCII is taken as it is.
  if (text.empty())
    text = plainLength == 1 && static_cast<unsigned char>(plain[0]) < 0x80 ? std::string(1, plain[0])
                                                                           : KeySymToUtf8(shifted);
  if (key.vk == 0x2E) text.clear();  // Delete types no character here
  e.repeat = FKeysDown.test(code);
  if (ev.keycode) FKeysDown.set(code);
  e.vk = key.vk;
  e.extended = key.extended;
  e.text = std::move(text);
  if (!key.vk) {
    if (e.text.empty()) return;
    e.type = EventType::Text;
  } else {
    e.type = EventType::KeyDown;
  }
  Post(std::move(e));
}

void X11Backend::OnConfigure(WindowId id, const XConfigureEvent& ev) {
  if (id == FHandedDrag) FHandedDragMoved = true;
  NativeWindow& n = FNative.at(id);
  int x = ev.x, y = ev.y;
  // A window in a desktop's frame reports where it sits in the frame; the desktop's own (synthetic)
  // notices and windows still on the root report root coordinates. Asking the server gives where the
  // window is now, which a later notice corrects if it moved again meanwhile.
  if (!ev.send_event && n.parent != FRoot) {
    Window child;
    Xlib().XTranslateCoordinates(FDpy, n.xid, FRoot, 0, 0, &x, &y, &child);
  }
  OnPlaced(id, n, { x, y, x + ev.width, y + ev.height });
}

// Handed back to the root, the window may stand somewhere else with no configure notice to say so
// (openbox, mistaking it for a window of the same id it managed before, lets go of it where that one
// was); the notice has where. A frame that takes the window up says where with a notice of its own.
void X11Backend::OnReparented(WindowId id, NativeWindow& n, const XReparentEvent& ev) {
  n.parent = ev.parent;
  if (ev.parent != FRoot) return;
  const RECT now = XGeometry(Store().Find(id)->bounds);
  OnPlaced(id, n, { ev.x, ev.y, ev.x + (now.right - now.left), ev.y + (now.bottom - now.top) });
}

// The server says the window is at `r`: an answer to a request of ours, or the desktop's doing.
void X11Backend::OnPlaced(WindowId id, NativeWindow& n, const RECT& r) {
  StoredWindow& w = *Store().Find(id);
  for (auto it = n.pendingGeometry.begin(); it != n.pendingGeometry.end(); ++it)
    if (SameRect(*it, r)) {
      n.pendingGeometry.erase(n.pendingGeometry.begin(), it + 1);
      return;
    }
  if (SameRect(r, XGeometry(w.bounds))) return;
  n.pendingGeometry.clear();
  // A desktop that maximises or restores a window resizes it too: the program hears of the state first,
  // while the window still has the size to come back to.
  OnDesktopState(id);
  n.maximizedGeometry = n.desktopMaximized ? r : RECT {};
  ReportBounds(id, w, r);
}

// The window is at `r` by the desktop's doing: the program hears of it as of a move of the user's. A
// notice of the window's place that the program has not read yet is out of date, and goes: read late,
// the old place would be taken for one of the program's own and asked for (a desktop that resizes a
// window before it moves it tells of the new size at the old place first; asked for that, it lets go of
// its maximise). A notice from before a change of state stays, for the size to come back to.
void X11Backend::ReportBounds(WindowId id, StoredWindow& w, const RECT& r) {
  Store().SetBounds(w, r);
  std::deque<Event>& queue = Queue();
  auto older = std::find_if(queue.rbegin(), queue.rend(), [id](const Event& e) {
    return e.window == id && (e.type == EventType::Configure || e.type == EventType::StateChanged);
  });
  if (older != queue.rend() && older->type == EventType::Configure) queue.erase(std::next(older).base());
  Event e;
  e.type = EventType::Configure;
  e.window = id;
  e.rect = w.bounds;
  Post(std::move(e));
}

// The program sized a window the desktop holds maximised as a maximised window: it stays where the desktop
// put it (or is about to put it, when the desktop has not said where yet).
void X11Backend::KeepDesktopMaximized(WindowId id, const NativeWindow& n) {
  StoredWindow& w = *Store().Find(id);
  if (!RectEmpty(n.maximizedGeometry) && !SameRect(n.maximizedGeometry, XGeometry(w.bounds)))
    ReportBounds(id, w, n.maximizedGeometry);
}

void X11Backend::OnExpose(WindowId id, const XExposeEvent& ev) {
  const StoredWindow& w = *Store().Find(id);
  RECT r = IntersectRects({ ev.x, ev.y, ev.x + ev.width, ev.y + ev.height }, { 0, 0, w.Width(), w.Height() });
  if (RectEmpty(r)) return;
  PutPixels(FNative.at(id).xid, w.Pixels(), r);
  Event e;
  e.type = EventType::Exposed;
  e.window = id;
  e.rect = r;
  Post(std::move(e));
}

void X11Backend::OnMapped(WindowId id) {
  NativeWindow& n = FNative.at(id);
  // A window hidden since is withdrawn again. A window manager behind on its queue can map a window
  // after we withdrew it: it de-iconifies on our map request, then takes the withdrawal, which it makes
  // by handing the still mapped window back to the root.
  if (!Store().Find(id)->visible) {
    NativeHide(id);
    return;
  }
  n.viewable = true;
  if (n.activateWhenMapped) NativeActivate(id);
  // Without a window manager only another program maps a window we keep minimised: that restores it.
  if (Store().Find(id)->state == WindowState::Minimized && !WmState(n.xid)) ReportState(id, WindowState::Normal);
}

// The window manager changed the window's ICCCM or EWMH state: its own buttons, a task bar, a pager.
void X11Backend::OnDesktopState(WindowId id) {
  NativeWindow& n = FNative.at(id);
  const StoredWindow& w = *Store().Find(id);
  std::optional<long> icccm = WmState(n.xid);
  if (!w.visible || !icccm || *icccm == WithdrawnState) return;
  std::vector<unsigned long> atoms = Longs(n.xid, FAtoms[kNetWmState], XA_ATOM);
  auto has = [&](AtomId a) { return std::find(atoms.begin(), atoms.end(), FAtoms[a]) != atoms.end(); };
  // Iconic by ICCCM, which every window manager keeps; "hidden" may be our own note from before mapping.
  bool iconic = *icccm == IconicState;
  bool maximized = has(kNetWmStateMaximizedVert) && has(kNetWmStateMaximizedHorz);
  bool maximizeChanged = maximized != n.desktopMaximized;
  if (!maximized) n.maximizedGeometry = {};
  n.desktopMaximized = maximized;
  if (n.awaitedIconic) {
    if (*n.awaitedIconic != iconic) return;
    n.awaitedIconic.reset();
  }
  WindowState now = iconic ? WindowState::Minimized : maximized ? WindowState::Maximized : WindowState::Normal;
  // The platform maximises by sizing the window itself; a desktop that never heard of it has not undone it.
  if (now == WindowState::Normal && w.state == WindowState::Maximized && !maximizeChanged) return;
  // A desktop that undoes its own maximising says so even to a window that sized itself back meanwhile.
  ReportState(id, now, maximizeChanged && !iconic);
}

void X11Backend::ReportState(WindowId id, WindowState state, bool always) {
  StoredWindow& w = *Store().Find(id);
  if (w.state == state && !always) return;
  w.state = state;
  Event e;
  e.type = EventType::StateChanged;
  e.window = id;
  e.state = state;
  Post(std::move(e));
}

// Pointer input on the strip (icon 0: the one under the pointer) or on a docked icon.
void X11Backend::OnTrayPointer(const XEvent& ev, uint32_t icon) {
  Event e;
  if (ev.type == MotionNotify) {
    e.type = EventType::TrayMouseMove;
    e.pt = { ev.xmotion.x_root, ev.xmotion.y_root };
    e.modifiers = Modifiers(ev.xmotion.state);
  } else if (ev.type == ButtonPress || ev.type == ButtonRelease) {
    unsigned button = ev.xbutton.button;
    if (button < Button1 || button > Button3) return;
    FLastTime = ev.xbutton.time;
    e.type = ev.type == ButtonPress ? EventType::TrayButtonDown : EventType::TrayButtonUp;
    e.pt = { ev.xbutton.x_root, ev.xbutton.y_root };
    e.modifiers = Modifiers(ev.xbutton.state);
    e.button = button == Button1 ? MouseButton::Left : button == Button2 ? MouseButton::Middle : MouseButton::Right;
    e.time = uint32_t(ev.xbutton.time);
  } else {
    return;
  }
  if (!icon) {
    int index = TrayIconIndexAt(TrayStripBounds(), TrayIcons().size(), e.pt);
    if (index < 0) return;
    icon = TrayIcons()[size_t(index)].id;
  }
  e.trayIcon = icon;
  Post(std::move(e));
}

}  // namespace xj::display
