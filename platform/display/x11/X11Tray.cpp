// The notification area on X: each icon docked in the desktop's tray through the freedesktop
// system-tray protocol (an XEmbed client of the _NET_SYSTEM_TRAY_S<screen> owner), or, while no tray
// manager runs, the strip in a window of our own.

#include <X11/Xatom.h>

#include <algorithm>

#include "platform/display/TrayStrip.h"
#include "platform/display/x11/X11Backend.h"
#include "platform/display/x11/XlibFunctions.h"

namespace xj::display {

namespace {

constexpr long kRequestDock = 0;            // SYSTEM_TRAY_REQUEST_DOCK
constexpr unsigned long kXembedMapped = 1;  // _XEMBED_INFO flag: the embedder maps us
constexpr long kDockedMask =
    ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | StructureNotifyMask;
constexpr LONG kLargestSlot = 512;  // what we draw into, whatever size a tray gives
constexpr int kSmallestSlot = 16;   // what an icon asks a tray for

const TrayIcon* FindIcon(const std::vector<TrayIcon>& icons, uint32_t id) {
  auto it = std::find_if(icons.begin(), icons.end(), [id](const TrayIcon& t) { return t.id == id; });
  return it == icons.end() ? nullptr : &*it;
}

}  // namespace

void X11Backend::NativeTray() {
  if (FTrayManager) {
    if (FTray) Xlib().XDestroyWindow(FDpy, FTray);
    FTray = 0;
    DockIcons();
  } else {
    ShowTrayStrip();
  }
  Xlib().XFlush(FDpy);
}

void X11Backend::ShowTrayStrip() {
  if (TrayIcons().empty()) {
    if (FTray) Xlib().XDestroyWindow(FDpy, FTray);
    FTray = 0;
    return;
  }
  RECT r = TrayStripBounds();
  FTrayImage = Image(r.right - r.left, r.bottom - r.top);
  PaintTrayStrip(FTrayImage, { 0, 0 }, TrayIcons());
  if (!FTray) {
    XSetWindowAttributes a {};
    a.background_pixmap = None;
    a.colormap = FColormap;
    a.override_redirect = True;
    a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
    FTray = Xlib().XCreateWindow(FDpy, FRoot, r.left, r.top, unsigned(FTrayImage.width), unsigned(FTrayImage.height), 0,
                                 FDepth, InputOutput, FVisual,
                                 CWBackPixmap | CWBorderPixel | CWColormap | CWOverrideRedirect | CWEventMask, &a);
    Xlib().XMapRaised(FDpy, FTray);
  } else {
    Xlib().XMoveResizeWindow(FDpy, FTray, r.left, r.top, unsigned(FTrayImage.width), unsigned(FTrayImage.height));
    Xlib().XRaiseWindow(FDpy, FTray);
    PutPixels(FTray, FTrayImage.View(), { 0, 0, FTrayImage.width, FTrayImage.height });
  }
}

bool X11Backend::NativeTrayIconRect(uint32_t id, RECT& out) const {
  auto it = FDocked.find(id);
  if (it == FDocked.end()) return false;
  int x = 0, y = 0;
  Window child;
  Xlib().XTranslateCoordinates(FDpy, it->second.xid, FRoot, 0, 0, &x, &y, &child);
  out = { x, y, x + it->second.size.cx, y + it->second.size.cy };
  return true;
}

// Who owns the tray selection now; watched, under a grab, so that its end cannot slip by unseen.
void X11Backend::FindTrayManager() {
  Xlib().XGrabServer(FDpy);
  Window owner = Xlib().XGetSelectionOwner(FDpy, FTraySelection);
  if (owner && owner != FTrayManager) Xlib().XSelectInput(FDpy, owner, StructureNotifyMask);
  Xlib().XUngrabServer(FDpy);
  Xlib().XFlush(FDpy);
  FTrayManager = owner;
}

// A tray manager started, replaced another or went away. Icons docked in the old one are gone with
// it (its end hands them back to the root), so they are made afresh in the new one, or in the strip.
// A manager that went may be followed by one whose window has the same id: that one is new too.
void X11Backend::OnTrayManagerChanged(bool oldOneGone) {
  Window before = FTrayManager;
  if (oldOneGone) FTrayManager = 0;
  FindTrayManager();
  if (!oldOneGone && FTrayManager == before) return;
  UndockIcons();
  NativeTray();
  if (!FTrayManager) return;
  Event e;
  e.type = EventType::TrayCreated;
  Post(std::move(e));
}

void X11Backend::UndockIcons() {
  for (auto& [id, d] : FDocked) Xlib().XDestroyWindow(FDpy, d.xid);
  FDocked.clear();
}

void X11Backend::DockIcons() {
  std::erase_if(FDocked, [&](const auto& entry) {
    if (FindIcon(TrayIcons(), entry.first)) return false;
    Xlib().XDestroyWindow(FDpy, entry.second.xid);
    return true;
  });
  // The tray's background shows through transparent pixels when our window can borrow it.
  XWindowAttributes manager {};
  bool borrow = Xlib().XGetWindowAttributes(FDpy, FTrayManager, &manager) && manager.depth == FDepth &&
                DefaultDepth(FDpy, FScreen) == FDepth;
  for (const TrayIcon& icon : TrayIcons()) {
    auto [it, added] = FDocked.try_emplace(icon.id);
    DockedIcon& d = it->second;
    if (added) {
      XSetWindowAttributes a {};
      a.colormap = FColormap;
      a.background_pixmap = ParentRelative;
      a.background_pixel = 0xC0C0C0;
      a.event_mask = kDockedMask;
      d.size = { kSmallestSlot, kSmallestSlot };
      d.xid =
          Xlib().XCreateWindow(FDpy, FRoot, 0, 0, kSmallestSlot, kSmallestSlot, 0, FDepth, InputOutput, FVisual,
                               CWColormap | CWBorderPixel | CWEventMask | (borrow ? CWBackPixmap : CWBackPixel), &a);
      // A tray that sizes its slots by what the icon asks for (GtkSocket reads these hints) would
      // otherwise give it a slot one pixel wide.
      XSizeHints* hints = Xlib().XAllocSizeHints();
      hints->flags = PMinSize | PBaseSize;
      hints->min_width = hints->base_width = kSmallestSlot;
      hints->min_height = hints->base_height = kSmallestSlot;
      Xlib().XSetWMNormalHints(FDpy, d.xid, hints);
      Xlib().XFree(hints);
      unsigned long info[2] = { 0 /* XEmbed version */, kXembedMapped };
      Xlib().XChangeProperty(FDpy, d.xid, FAtoms[kXembedInfo], FAtoms[kXembedInfo], 32, PropModeReplace,
                             reinterpret_cast<unsigned char*>(info), 2);
      XEvent e {};
      e.xclient.type = ClientMessage;
      e.xclient.window = FTrayManager;
      e.xclient.message_type = FAtoms[kNetSystemTrayOpcode];
      e.xclient.format = 32;
      e.xclient.data.l[0] = long(Now());
      e.xclient.data.l[1] = kRequestDock;
      e.xclient.data.l[2] = long(d.xid);
      Xlib().XSendEvent(FDpy, FTrayManager, False, NoEventMask, &e);
    }
    if (added || d.tip != icon.tip) {
      d.tip = icon.tip;
      SetNames(d.xid, d.tip);  // trays that show a name take it from here
    }
    DrawDocked(d, icon.picture);
  }
}

// The picture fitted into the size the tray gave, centred, keeping its proportions. Only its opaque
// half is drawn: X windows have no alpha, and the rest keeps the tray's background.
void X11Backend::DrawDocked(const DockedIcon& d, const Image& picture) {
  Xlib().XClearWindow(FDpy, d.xid);
  LONG w = std::min(d.size.cx, kLargestSlot), h = std::min(d.size.cy, kLargestSlot);
  if (picture.Empty() || w <= 0 || h <= 0) return;
  Image slot = FitTrayPicture(picture, int(w), int(h));
  const int stride = (slot.width + 7) / 8;
  std::vector<char> bits(size_t(stride) * size_t(slot.height), 0);
  for (int y = 0; y < slot.height; ++y)
    for (int x = 0; x < slot.width; ++x)
      if ((slot.At(x, y) >> 24) >= 0x80) bits[size_t(y) * size_t(stride) + size_t(x / 8)] |= char(1 << (x % 8));
  Pixmap mask = Xlib().XCreateBitmapFromData(FDpy, d.xid, bits.data(), unsigned(slot.width), unsigned(slot.height));
  Xlib().XSetClipMask(FDpy, FGc, mask);
  PutPixels(d.xid, slot.View(), { 0, 0, slot.width, slot.height });
  Xlib().XSetClipMask(FDpy, FGc, None);
  Xlib().XFreePixmap(FDpy, mask);
}

bool X11Backend::DispatchTray(const XEvent& ev) {
  if (ev.type == ClientMessage && ev.xclient.window == FRoot && ev.xclient.message_type == FAtoms[kManager] &&
      Atom(ev.xclient.data.l[1]) == FTraySelection) {
    OnTrayManagerChanged(false);
    return true;
  }
  if (FTrayManager && ev.xany.window == FTrayManager) {
    if (ev.type == DestroyNotify) OnTrayManagerChanged(true);
    return true;
  }
  if (FTray && ev.xany.window == FTray) {
    if (ev.type == Expose)
      PutPixels(FTray, FTrayImage.View(), { 0, 0, FTrayImage.width, FTrayImage.height });
    else
      OnTrayPointer(ev, 0);
    return true;
  }
  auto it = std::find_if(FDocked.begin(), FDocked.end(), [&](const auto& e) { return e.second.xid == ev.xany.window; });
  if (it == FDocked.end()) return false;
  uint32_t id = it->first;
  DockedIcon& d = it->second;
  const TrayIcon* icon = FindIcon(TrayIcons(), id);
  switch (ev.type) {
    case Expose:
      if (ev.xexpose.count == 0 && icon) DrawDocked(d, icon->picture);
      break;
    case ConfigureNotify:
      if (ev.xconfigure.width != d.size.cx || ev.xconfigure.height != d.size.cy) {
        d.size = { ev.xconfigure.width, ev.xconfigure.height };
        if (icon) DrawDocked(d, icon->picture);
      }
      break;
    case ButtonPress:
    case ButtonRelease:
    case MotionNotify:
      OnTrayPointer(ev, id);
      break;
    default:
      break;
  }
  Xlib().XFlush(FDpy);
  return true;
}

}  // namespace xj::display
