#pragma once
// The x11 back-end: one X window per top-level window, input from the X server, the CLIPBOARD selection.
// Internal to platform/display/x11; everything else goes through Display.h and X11Open.h.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <array>
#include <bitset>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/display/Display.h"

namespace xj::display {

struct StoredWindow;

class X11Backend : public Backend {
 public:
  static std::unique_ptr<X11Backend> Open(const char* name, std::string* error);
  ~X11Backend() override;
  const char* Name() const override { return "x11"; }

 protected:
  RECT TrayStripBounds() const override;

 private:
  enum AtomId : int {
    kWmProtocols,
    kWmDeleteWindow,
    kWmTakeFocus,
    kMotifWmHints,
    kNetWmName,
    kNetWmIconName,
    kUtf8String,
    kNetWmWindowOpacity,
    kNetWmWindowType,
    kNetWmWindowTypeNormal,
    kNetWmWindowTypeUtility,
    kNetWmWindowTypePopupMenu,
    kNetWmState,
    kNetWmStateAbove,
    kNetWmStateSkipTaskbar,
    kNetWorkarea,
    kNetCurrentDesktop,
    kNetSupported,
    kNetWmMoveresize,
    kNetActiveWindow,
    kNetWmUserTime,
    kClipboard,
    kTargets,
    kText,
    kIncr,
    kSelectionProperty,
    kWmState,
    kNetWmStateHidden,
    kNetWmStateMaximizedVert,
    kNetWmStateMaximizedHorz,
    kNetSystemTrayOpcode,
    kManager,
    kXembedInfo,
    kXembed,
    kNetWmStateModal,
    kAtomCount
  };

  struct NativeWindow {
    Window xid { 0 };
    Window parent { 0 };  // the root, or the desktop's frame once it reparents us
    XIC ic { nullptr };
    bool viewable { false };
    bool shapedAway { false };  // has no size, so its shape hides it
    bool activateWhenMapped { false };
    // Whether the desktop last said it maximised the window, and the iconic state we asked of it and it
    // has not yet confirmed: until then what it says is older than our request.
    bool desktopMaximized { false };
    RECT maximizedGeometry {};  // where the desktop put the window when it maximised it, once it said
    std::optional<bool> awaitedIconic;
    std::deque<RECT> pendingGeometry;  // sizes we asked for, not yet reported back
  };

  // An icon's own window, docked in the desktop's tray.
  struct DockedIcon {
    Window xid { 0 };
    SIZE size {};  // what the tray made it
    std::string tip;
  };

  explicit X11Backend(::Display* dpy) : FDpy(dpy) {}
  bool Init(std::string* error);
  bool ChooseVisual(std::string* error);
  void OpenInputMethod();
  void ReadRootProperties();

  SIZE NativeScreenSize() const override { return FScreenSize; }
  RECT NativeWorkArea() const override { return FWorkArea; }
  void NativeCreate(WindowId id) override;
  void NativeDestroy(WindowId id) override;
  void NativeBounds(WindowId id) override;
  void NativeShow(WindowId id, bool activate) override;
  void NativeHide(WindowId id) override;
  void NativeState(WindowId id, WindowState previous) override;
  void NativeZOrder() override;
  void NativeTopMost(WindowId id) override;
  void NativeOwner(WindowId id) override;
  void NativeShape(WindowId id) override;
  void NativeOpacity(WindowId id) override;
  void NativeTitle(WindowId id) override;
  void NativeCursor(WindowId id) override;
  void NativePresent(WindowId id, const RECT& copied) override;
  void NativeActivate(WindowId id) override;
  bool NativeBeginMoveSize(WindowId id, POINT pt, MouseButton button, DragKind kind) override;
  void NativeSizeLimits(WindowId id) override;
  void NativeTray() override;
  bool NativeTrayIconRect(uint32_t id, RECT& out) const override;
  void NativePump() override;
  WaitResult NativeWait(int timeoutMs) override;
  POINT NativeCursorPos() const override;
  void NativeSetCursorPos(POINT pt) override;
  std::optional<std::string> NativeClipboardText() override;
  bool NativeSetClipboardText(std::string_view utf8) override;
  void NativeBell() override;
  uintptr_t NativeWindowHandle(WindowId id) const override;

  // Events.
  void Dispatch(XEvent& ev);
  bool DispatchDesktopWide(XEvent& ev);  // true when the event was not about one of our windows
  void DispatchToWindow(WindowId id, XEvent& ev);
  void OnPropertyChange(const XPropertyEvent& ev);
  void OnScreenResized(const XConfigureEvent& ev);
  void RereadScreen(SIZE size);
  void OnCrossing(WindowId id, const XCrossingEvent& ev);
  void OnFocusChange(WindowId id, NativeWindow& n, const XFocusChangeEvent& ev);
  uint32_t HeldNow();
  bool KeysFollowPointerToUs();
  bool PointerOverOurPopup();
  void OnClientMessage(WindowId id, const NativeWindow& n, const XClientMessageEvent& ev);
  void OnButton(WindowId id, const XButtonEvent& ev, bool press);
  void OnMotion(WindowId id, const XMotionEvent& ev);
  void OnKey(WindowId id, XKeyEvent& ev, bool press);
  void OnConfigure(WindowId id, const XConfigureEvent& ev);
  void OnReparented(WindowId id, NativeWindow& n, const XReparentEvent& ev);
  void OnPlaced(WindowId id, NativeWindow& n, const RECT& r);
  void ReportBounds(WindowId id, StoredWindow& w, const RECT& r);
  void KeepDesktopMaximized(WindowId id, const NativeWindow& n);
  void OnExpose(WindowId id, const XExposeEvent& ev);
  void OnMapped(WindowId id);
  void OnDesktopState(WindowId id);
  void ReportState(WindowId id, WindowState state, bool always = false);
  // The notification area (X11Tray.cpp): the strip window, or each icon docked in the desktop's tray.
  void ShowTrayStrip();
  void FindTrayManager();
  void OnTrayManagerChanged(bool oldOneGone);
  void DockIcons();
  void UndockIcons();
  void DrawDocked(const DockedIcon& d, const Image& picture);
  bool DispatchTray(const XEvent& ev);  // true when the event was the tray's
  void OnTrayPointer(const XEvent& ev, uint32_t icon);
  bool PumpUntil(const std::function<bool(XEvent&)>& wanted, int timeoutMs);

  // Clipboard.
  void OnSelectionRequest(const XSelectionRequestEvent& req);
  std::optional<std::string> ConvertSelection(Atom target, int timeoutMs, bool& answered);
  std::optional<std::string> ReadProperty(Window xid, Atom property, Atom& type);
  std::optional<std::string> ReadIncremental(int timeoutMs);

  // Helpers.
  WindowId IdOf(Window xid) const;
  NativeWindow* Native(WindowId id);
  void PutPixels(Window xid, const SurfaceView& pixels, const RECT& area);
  void ApplyGeometry(WindowId id, NativeWindow& n, const StoredWindow& w);
  void WriteNetWmState(NativeWindow& n, const StoredWindow& w);
  void WriteWmHints(const NativeWindow& n, const StoredWindow& w);
  std::optional<long> WmState(Window xid) const;
  // A property of 32-bit items (Xlib hands them over as longs); empty when absent or of another type.
  std::vector<unsigned long> Longs(Window xid, Atom property, Atom type) const;
  bool DesktopKeepsIcons(const StoredWindow& w) const;
  bool WindowManagerRuns() const;
  void WriteUndecoratedHints(const NativeWindow& n, const StoredWindow& w);
  void SendToRoot(Window about, Atom type, std::array<long, 5> data);
  void CheckHandedDrag();
  void SetCardinal(Window xid, Atom property, unsigned long value);
  void SetNames(Window xid, const std::string& utf8);  // WM_NAME, WM_ICON_NAME and their EWMH twins
  ::Cursor CursorFor(CursorType shape);
  bool Managed(const StoredWindow& w) const;
  bool Supports(Atom a) const;
  Time Now() const { return FLastTime; }

  ::Display* FDpy { nullptr };
  int FScreen { 0 };
  Window FRoot { 0 };
  Visual* FVisual { nullptr };
  int FDepth { 0 };
  Colormap FColormap { 0 };
  bool FOwnColormap { false };
  GC FGc { nullptr };
  XIM FIm { nullptr };
  bool FHasShape { false };
  bool FHasInputShape { false };
  std::array<Atom, kAtomCount> FAtoms {};
  std::vector<Atom> FSupported;
  SIZE FScreenSize {};
  RECT FWorkArea {};
  std::unordered_map<WindowId, NativeWindow> FNative;
  std::unordered_map<Window, WindowId> FByXid;
  std::vector<WindowId> FStacked;   // the order last given to the server, top first
  WindowId FHandedDrag { 0 };       // the window whose drag the desktop runs, until no button is held
  bool FHandedDragMoved { false };  // the desktop has moved or sized it since
  std::array<::Cursor, 13> FCursors {};
  std::bitset<256> FKeysDown;
  Time FLastTime { CurrentTime };
  Window FHelper { 0 };  // owns the clipboard, receives conversions
  std::optional<std::string> FClipboard;
  Window FTray { 0 };  // the strip, while no tray manager runs
  Image FTrayImage;
  Atom FTraySelection { 0 };  // _NET_SYSTEM_TRAY_S<screen>
  Window FTrayManager { 0 };
  std::unordered_map<uint32_t, DockedIcon> FDocked;
};

}  // namespace xj::display
