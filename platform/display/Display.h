#pragma once
// Where pixels go. The window manager drives one display back-end through this interface: it creates a
// native window per top-level window, hands over the pixels of its 32-bit surface, mirrors bounds, z-order,
// window region and layered alpha, and reads input back as plain events.
//
// Back-ends: `headless` keeps everything in memory (tests, scripts, screenshots) and gets its input from
// the harness; `x11` shows real windows. CreateBackend() (factory/CreateBackend.h) picks one.
//
// Conventions: coordinates of windows, mouse events and the cursor are screen coordinates; rectangles of a
// window's own area (dirty rectangles, expose rectangles, shapes) are window coordinates with (0,0) at the
// window's top-left corner. Rectangles are half-open: [left, right) × [top, bottom). Every call belongs to
// the GUI thread; the one exception is the wake fd, which other threads may signal. A call naming a window
// that does not exist does nothing and returns false (or an empty result).

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/BasicTypes.h"
#include "platform/display/Pixels.h"

namespace xj::display {

class WindowStore;

// Names a native window of one back-end; 0 is never a window.
using WindowId = uint32_t;

enum class WindowKind : uint8_t {
  Normal,  // a form: managed by the desktop, undecorated (the platform draws its own frame)
  Popup,   // menus, hints, drop-downs: not managed at all, never decorated, never given the focus
  Tool,    // a tool window: managed and undecorated, kept off the task bar
};

// How a shown window appears on the desktop. Minimised, it is only an icon or a task-bar entry.
enum class WindowState : uint8_t { Normal, Minimized, Maximized };

enum class CursorType : uint8_t {
  Arrow,
  IBeam,
  Wait,
  Cross,
  UpArrow,
  SizeNWSE,
  SizeNESW,
  SizeWE,
  SizeNS,
  SizeAll,
  No,
  Hand,
  Hidden,
};

enum class MouseButton : uint8_t { NoButton, Left, Right, Middle };

// Modifier keys and mouse buttons held when an input event happened (the state before the event).
enum Modifier : uint32_t {
  ModShift = 1,
  ModControl = 2,
  ModAlt = 4,
  ModLeftButton = 8,
  ModRightButton = 16,
  ModMiddleButton = 32,
};

enum class EventType : uint8_t {
  MouseMove,    // pt
  ButtonDown,   // pt, button
  ButtonUp,     // pt, button
  Wheel,        // pt, wheelDelta: ±120 a notch, positive = away from the user
  MouseLeave,   // the pointer left `window` for somewhere that is not one of ours
  KeyDown,      // vk, extended, repeat, text (the characters the key produced, UTF-8; may be empty)
  KeyUp,        // vk, extended
  Text,         // text only: an input method's commit, or a key that has no virtual-key code
  FocusGained,  // the desktop gave `window` the keyboard focus; modifiers: those held as it did
  FocusLost,
  Exposed,         // rect (window coordinates) needs painting; the back-end has already restored it
                   // from the last presented pixels, so this matters only before the first Present
  Close,           // the user asked to close `window` (the desktop's close button)
  Configure,       // rect: new bounds in screen coordinates, set by the desktop (a move or resize)
  StateChanged,    // state: the desktop minimised, maximised or restored `window` (its own buttons, a
                   // task-bar click, another program)
  TrayMouseMove,   // pt, trayIcon
  TrayButtonDown,  // pt, trayIcon, button, time
  TrayButtonUp,    // pt, trayIcon, button, time
  TrayCreated,     // a notification area appeared (the desktop's tray started): the icons are shown in it
  DragEnded,       // the move or resize handed to the desktop (BeginMoveSize) for `window` is over
  ScreenChanged,   // the screen's size or work area changed: ScreenSize and WorkArea say what they are now
};

// Where a drag handed to the desktop takes the window: one edge or corner, or the whole window.
enum class DragKind : uint8_t {
  SizeTopLeft,
  SizeTop,
  SizeTopRight,
  SizeRight,
  SizeBottomRight,
  SizeBottom,
  SizeBottomLeft,
  SizeLeft,
  Move,
};

struct Event {
  EventType type { EventType::MouseMove };
  WindowId window { 0 };  // the window concerned; 0 when the harness injects input without naming one
  POINT pt {};
  MouseButton button { MouseButton::NoButton };
  int wheelDelta { 0 };
  uint32_t modifiers { 0 };
  UINT vk { 0 };            // Win32 virtual-key code
  bool extended { false };  // the key is one of the "extended" keys (lParam bit 24)
  bool repeat { false };    // the key was already down (auto-repeat)
  std::string text;         // UTF-8
  RECT rect {};
  uint32_t trayIcon { 0 };
  WindowState state { WindowState::Normal };
  uint32_t time { 0 };  // ms on the desktop's own clock when it stamps the event; 0 when it does not
};

// One icon of the notification-area view. The picture, 0xAARRGGBB (straight alpha, A = 0 transparent), is
// of any size: each view scales it to the size it shows (16 × 16 in the strip, what a desktop's tray
// gives); an empty picture shows nothing.
struct TrayIcon {
  uint32_t id { 0 };
  Image picture;
  std::string tip;  // UTF-8
};

enum class WaitResult : uint8_t {
  Event,  // input may be ready: call NextEvent
  Wake,   // the wake fd became readable (the caller drains it)
  Timeout,
};

class Backend {
 public:
  virtual ~Backend();
  Backend(const Backend&) = delete;
  Backend& operator=(const Backend&) = delete;

  virtual const char* Name() const = 0;  // "headless" or "x11"

  SIZE ScreenSize() const { return NativeScreenSize(); }
  RECT WorkArea() const { return NativeWorkArea(); }

  // Top-level windows. A new window is hidden and at the top of the z-order; its pixels are black until
  // presented. Bounds are screen coordinates; negative extents count as empty, and no side grows past
  // 8192 pixels (nor an origin past ±2^28), so a bogus rectangle cannot ask for gigabytes.
  WindowId Create(WindowKind kind, const RECT& bounds, bool topMost = false);
  bool Destroy(WindowId id);
  bool SetBounds(WindowId id, const RECT& bounds);  // pixels that stay inside keep their place
  bool Show(WindowId id, bool activate = true);
  bool Hide(WindowId id);
  // A minimised window stays shown but leaves the screen for the desktop's icons; restoring brings it
  // back with its pixels. The platform sizes maximised windows itself, so to the desktop that state is
  // a note. Without a desktop that keeps icons, a minimised window is simply kept off the screen.
  bool SetState(WindowId id, WindowState state);
  // The whole stacking order of our windows, top first. Windows left out keep their relative order
  // beneath the listed ones.
  void SetZOrder(std::span<const WindowId> topToBottom);
  bool SetTopMost(WindowId id, bool topMost);  // asks the desktop to keep the window above others
  // The window belongs to `owner` (0: to none): the desktop keeps it above its owner, and while it is
  // modal, the owner's focus goes to it. An owner that is not a window counts as none.
  bool SetOwner(WindowId id, WindowId owner, bool modal);
  // The window region: only these rectangles (window coordinates, may overlap) are drawn and take input.
  // An empty list makes the window wholly invisible; ClearShape restores the whole window.
  bool SetShape(WindowId id, std::span<const RECT> rects);
  bool ClearShape(WindowId id);
  bool SetOpacity(WindowId id, uint8_t alpha);  // 255 = opaque
  bool SetTitle(WindowId id, std::string_view utf8);
  bool SetCursor(WindowId id, CursorType shape);
  // Copies `dirty` (window coordinates, clipped to the surface and the window) from the surface, whose
  // origin is the window's top-left corner, and shows it. The X byte of each pixel is ignored. Ends a
  // PresentInPlace.
  bool Present(WindowId id, const SurfaceView& surface, const RECT& dirty);
  // Shows `dirty` as Present does, but reads the surface where it lies, now and until Reclaim: the
  // caller keeps it alive and in place until then. A window manager that keeps each window's pixels
  // saves a copy of the window at every present.
  bool PresentInPlace(WindowId id, const SurfaceView& surface, const RECT& dirty);
  // Takes a copy of the lent surface (the last pixels shown) and stops reading it.
  void Reclaim(WindowId id);
  bool Activate(WindowId id);  // asks the desktop to give the window the focus
  // Hands a drag that starts at `pt` (screen) with `button` held to the desktop's own move or resize; its
  // moves arrive as Configure events, and DragEnded once no button is held any more. False when the
  // desktop cannot do that: the caller then runs its own loop.
  bool BeginMoveSize(WindowId id, POINT pt, MouseButton button, DragKind kind);
  // The smallest and largest size the desktop may give the window; a side of 0 sets no limit.
  bool SetSizeLimits(WindowId id, SIZE min, SIZE max);

  // Input. NextEvent never blocks. Wait blocks until input may be ready, the wake fd is readable or
  // timeoutMs passes (negative: no limit). Headless input is only ever injected, so there Wait returns
  // at once when no wake fd is set.
  bool NextEvent(Event& out);
  bool HasEvent();  // as NextEvent, without taking it: true when NextEvent would give one
  WaitResult Wait(int timeoutMs);
  void SetWakeFd(int fd) { FWakeFd = fd; }  // -1: none; the fd stays the caller's
  POINT CursorPos() const { return NativeCursorPos(); }
  void SetCursorPos(POINT pt) { NativeSetCursorPos(pt); }

  // Clipboard text in UTF-8; nullopt when the clipboard holds no text (or its owner did not answer).
  std::optional<std::string> ClipboardText() { return NativeClipboardText(); }
  bool SetClipboardText(std::string_view utf8) { return NativeSetClipboardText(utf8); }
  void Bell() { NativeBell(); }

  // Notification-area view: a strip of icons, in this order, or each icon docked in the desktop's own
  // tray when one runs.
  void SetTrayIcons(std::vector<TrayIcon> icons);
  const std::vector<TrayIcon>& TrayIcons() const { return FTrayIcons; }
  RECT TrayIconRect(uint32_t id) const;  // screen coordinates; empty when the icon is not shown

  // Read-back of what the back-end holds.
  bool Exists(WindowId id) const;
  bool IsVisible(WindowId id) const;
  WindowState State(WindowId id) const;
  RECT Bounds(WindowId id) const;
  bool TopMost(WindowId id) const;
  uint8_t Opacity(WindowId id) const;
  std::optional<std::vector<RECT>> Shape(WindowId id) const;
  std::string Title(WindowId id) const;
  CursorType Cursor(WindowId id) const;
  std::vector<WindowId> ZOrder() const;  // top first
  // The last presented pixels (a lent surface as it stands), the window's size.
  Image WindowPixels(WindowId id) const;
  // Every shown window composed in z-order over the desktop background, honouring window regions and
  // opacity, with the notification-area strip; the screen's size.
  Image DesktopPixels() const;
  bool WriteWindowPng(WindowId id, const std::string& path, std::string* error = nullptr) const;
  bool WriteDesktopPng(const std::string& path, std::string* error = nullptr) const;
  uintptr_t NativeHandle(WindowId id) const { return Exists(id) ? NativeWindowHandle(id) : 0; }

 protected:
  Backend();
  void Post(Event e) { FQueue.push_back(std::move(e)); }
  // Tells the program when the screen is no longer as it was (`size`, `work`).
  void PostScreenChange(SIZE size, const RECT& work);
  std::deque<Event>& Queue() { return FQueue; }
  WindowStore& Store() { return *FStore; }
  const WindowStore& Store() const { return *FStore; }
  int WakeFd() const { return FWakeFd; }
  // Where the tray strip sits; the x11 back-end puts it in a window of its own.
  virtual RECT TrayStripBounds() const;

 private:
  // What each back-end adds to the bookkeeping. The store already holds the new state when a hook runs;
  // NativeDestroy runs while the window is still in the store.
  virtual SIZE NativeScreenSize() const = 0;
  virtual RECT NativeWorkArea() const = 0;
  virtual void NativeCreate(WindowId) {}
  virtual void NativeDestroy(WindowId) {}
  virtual void NativeBounds(WindowId) {}
  virtual void NativeShow(WindowId, bool /*activate*/) {}
  virtual void NativeHide(WindowId) {}
  virtual void NativeState(WindowId, WindowState /*previous*/) {}
  virtual void NativeZOrder() {}
  virtual void NativeTopMost(WindowId) {}
  virtual void NativeOwner(WindowId) {}
  virtual void NativeShape(WindowId) {}
  virtual void NativeOpacity(WindowId) {}
  virtual void NativeTitle(WindowId) {}
  virtual void NativeCursor(WindowId) {}
  virtual void NativePresent(WindowId, const RECT& /*copied*/) {}
  virtual void NativeActivate(WindowId) {}
  virtual bool NativeBeginMoveSize(WindowId, POINT, MouseButton, DragKind) { return false; }
  virtual void NativeSizeLimits(WindowId) {}
  virtual void NativeTray() {}
  // Where a docked icon is; false when the icon is in the strip.
  virtual bool NativeTrayIconRect(uint32_t /*id*/, RECT& /*out*/) const { return false; }
  virtual void NativePump() {}  // turn pending native input into posted events
  virtual WaitResult NativeWait(int timeoutMs) = 0;
  virtual POINT NativeCursorPos() const = 0;
  virtual void NativeSetCursorPos(POINT) = 0;
  virtual std::optional<std::string> NativeClipboardText() = 0;
  virtual bool NativeSetClipboardText(std::string_view utf8) = 0;
  virtual void NativeBell() = 0;
  virtual uintptr_t NativeWindowHandle(WindowId) const { return 0; }

  std::unique_ptr<WindowStore> FStore;
  std::deque<Event> FQueue;
  std::vector<TrayIcon> FTrayIcons;
  int FWakeFd { -1 };
};

// The desktop background, the classic palette's background colour.
constexpr uint32_t kDesktopBackground = 0x008080;

}  // namespace xj::display
