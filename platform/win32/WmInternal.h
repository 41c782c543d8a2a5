#pragma once
// Records of the window manager shared by the Wm_*.cpp files. Not part of the public interface.

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/Region.h"
#include "platform/win32/Scoped.h"
#include "platform/win32/WinBase.h"
#include "platform/win32/WinUser.h"

namespace xj::wm {

// ---- Records ---------------------------------------------------------------------------------------

struct WndClass {
  std::string name;
  UINT style { 0 };
  WNDPROC proc;
  HINSTANCE inst {};
  HICON icon {};
  HCURSOR cursor {};
  HBRUSH background {};
  int cbClsExtra { 0 };
  int cbWndExtra { 0 };
  int windows { 0 };
  ATOM atom { 0 };
  bool system { false };
};

struct ScrollBar {
  int min { 0 };
  int max { 0 };
  UINT page { 0 };
  int pos { 0 };
  int trackPos { 0 };
  bool shown { false };
  UINT disabledArrows { 0 };
};

struct Wnd {
  // What routing a message and hit testing read come first, close together.
  HWND handle {};
  WNDPROC proc;         // set through SetProc only
  WNDPROCFN direct {};  // the procedure when proc names a plain function (such records live forever)
  DWORD style { 0 };
  DWORD exStyle { 0 };
  RECT rect {};    // window rectangle in the parent's client coordinates (screen for top-level windows)
  RECT client {};  // client rectangle in window coordinates
  HRGN region {};
  const Region* shape {};  // the region's pixels: owned by the window, they live as long as it keeps them
  Wnd* parent {};
  std::vector<Wnd*> children;  // z-order, top first
  WndClass* cls {};
  int pins { 0 };
  bool dead { false };
  LONG_PTR id { 0 };
  LONG_PTR userData { 0 };
  HINSTANCE inst {};
  Wnd* owner {};
  std::string text;
  RECT normal {};  // restored rectangle while minimised or maximised
  Region update;   // invalid client area, client coordinates
  bool erase { false };
  bool ncDirty { false };
  bool internalPaint { false };
  bool paintListed { false };  // on the list of windows needing paint
  BYTE alpha { 255 };
  bool alphaSet { false };
  COLORREF colorKey { 0 };
  DWORD layeredFlags { 0 };
  ScrollBar hbar, vbar;
  HMENU menu {};
  HMENU sysMenu {};
  std::vector<std::pair<std::string, HANDLE>> props;
  std::vector<LONG_PTR> extra;
  void* displayWindow {};  // top-level windows: the display back-end's window
  HWND mdiActive {};       // MDI client: the active child
  UINT mdiFirstChild { 0 };
  unsigned paints { 0 };  // BeginPaint calls, to spot WM_PAINT handlers that never validate
  bool destroying { false };
  bool created { false };  // WM_CREATE answered
  bool everShown { false };
  bool everActive { false };
  bool ncActive { false };
  int pressedButton { 0 };             // caption button shown pressed (hit code)
  mutable POINT origin {};             // the window's screen origin (WindowOrigin) ...
  mutable uint64_t originEpoch { 0 };  // ... as of this geometry epoch

  bool IsChild() const { return (style & WS_CHILD) != 0; }
  bool Visible() const { return (style & WS_VISIBLE) != 0; }
  bool Enabled() const { return (style & WS_DISABLED) == 0; }
  int Width() const { return rect.right - rect.left; }
  int Height() const { return rect.bottom - rect.top; }
};

// Keeps a window record alive across calls into window procedures, which may destroy it.
class Pin {
 public:
  explicit Pin(Wnd* w) : FW(w) { ++FW->pins; }
  ~Pin() {
    if (--FW->pins == 0 && FW->dead) Bury(FW);
  }
  Pin(const Pin&) = delete;
  Pin& operator=(const Pin&) = delete;

 private:
  static void Bury(Wnd* w);
  Wnd* FW;
};

inline void Offset(RECT& r, int dx, int dy) {
  r.left += dx;
  r.right += dx;
  r.top += dy;
  r.bottom += dy;
}
inline void Offset(RECT* r, int dx, int dy) { Offset(*r, dx, dy); }
inline bool IsRectEmptyWm(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
inline bool EqualRectWm(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool InRect(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

using xj::Region;
using xj::ScopeExit;

// ---- Lookup and the tree -------------------------------------------------------------------------

// The handle table's slots (Wm_core.cpp), read on every message: an HWND is
// (generation << 22) | (index << 2).
struct HandleSlot {
  uint32_t gen { 1 };
  Wnd* wnd {};
};
struct HandleSlots {
  const HandleSlot* at { nullptr };
  uint32_t count { 0 };
};
extern HandleSlots gHandleSlots;
Wnd* FromHandleBeyond(HWND h);

// Live windows only (IsWindow).
inline Wnd* FromHandle(HWND h) {
  uintptr_t v = (uintptr_t)h;
  if ((v & 3) != 0 || v >= (1ull << 31)) return nullptr;
  uint32_t index = (uint32_t)((v >> 2) & 0xFFFFF);
  if (index == 0) return nullptr;
  if (index >= gHandleSlots.count) [[unlikely]]
    return FromHandleBeyond(h);
  const HandleSlot& s = gHandleSlots.at[index];
  return s.gen == (uint32_t)(v >> 22) ? s.wnd : nullptr;
}
Wnd* Checked(HWND h);  // as FromHandle; sets the last error when not a window
Wnd* MakeDesktop();
extern std::atomic<Wnd*> gDesktop;  // set once the handle table exists
inline Wnd* Desktop() {
  Wnd* d = gDesktop.load(std::memory_order_acquire);
  return d ? d : MakeDesktop();
}
Wnd* NewWnd();
void RetireWnd(Wnd* w);
bool IsGuiThread();
void BindGuiThread();
Wnd* Root(Wnd* w);  // the top-level ancestor
bool IsTopLevel(const Wnd* w);
bool ReallyVisible(const Wnd* w);  // visible with every ancestor
POINT ClientOrigin(const Wnd* w);  // screen position of the client area's top-left
POINT WindowOrigin(const Wnd* w);  // screen position of the window's top-left
// Call after changing a window's rectangle, client area, parent or place among its siblings, its
// visible, disabled or minimized bit, or its region: remembered origins and the routed pointer's last
// search are stale.
void GeometryChanged();
extern uint64_t gGeometryEpoch;
inline uint64_t GeometryEpoch() { return gGeometryEpoch; }
RECT ScreenRect(const Wnd* w);
RECT ScreenClient(const Wnd* w);
void Unlink(Wnd* w);
void LinkAt(Wnd* parent, Wnd* w, Wnd* after);  // after == nullptr: top; Desktop order keeps top-most first
std::vector<Wnd*> TopLevels();
void ForEachWindow(const std::function<void(Wnd*)>& fn);

// ---- Messages ----------------------------------------------------------------------------------------

LRESULT Send(Wnd* w, UINT msg, WPARAM wParam, LPARAM lParam);
void SetProc(Wnd* w, WNDPROC proc);  // a window's procedure, and what a send calls for it
LRESULT CallProc(WNDPROC proc, HWND h, UINT msg, WPARAM wParam, LPARAM lParam);
uint64_t Now();
DWORD NowTick();

// ---- Geometry and state changes (Wm_window.cpp) ---------------------------------------------------

bool SetPos(Wnd* w, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
void RecalcClient(Wnd* w, bool sendCalcSize);
void DestroyTree(Wnd* w);
void ClampToTrackSize(Wnd* w, int& cx, int& cy);
MINMAXINFO QueryMinMax(Wnd* w);

// ---- Queue (Wm_queue.cpp) -----------------------------------------------------------------------------

struct RawInput {
  enum Kind { MouseMove, ButtonDown, ButtonUp, Wheel, KeyDown, KeyUp, Chars, Leave } kind { MouseMove };
  POINT pt {};
  int button { 0 };  // 0 left, 1 right, 2 middle
  int delta { 0 };
  UINT vk { 0 };
  std::string text;  // GBK bytes produced by a key press, or committed text
  DWORD time { 0 };
};
void QueueInput(RawInput&& ev);
void WakeQueue();
int WakeFd();
void DropMessagesFor(HWND h);
void InvalidateCachedMessages(HWND h);

// ---- Input, focus, activation (Wm_input.cpp, Wm_focus.cpp) ------------------------------------------

void CookInput(const RawInput& ev, std::vector<MSG>& out);  // may send WM_NCHITTEST, activate, ...
void ForgetWindowInput(Wnd* w);
void InjectInput(RawInput&& ev);  // from the display back-end or the harness
void ForgetPointer(Wnd* w);
// The desktop says which modifiers (display::Modifier bits) are held as it hands us the keyboard.
void ForgetReleasedModifiers(uint32_t held);
void NoteCursor(POINT screen);  // the pointer is there, over none of our windows (a tray icon)
bool MenuKeyWasAlone();
bool WindowRegionContains(const Wnd* w, POINT windowPt);
void Activate(Wnd* w, WORD how);
void ActivateNextAfter(Wnd* w);
void FocusLost(Wnd* w);
Wnd* WindowAt(POINT screen, bool sendHitTest, int* hitOut);

// ---- MDI (Wm_mdi.cpp) --------------------------------------------------------------------------------

void MdiActivate(Wnd* client, Wnd* child);
Wnd* MdiChildOf(Wnd* w, Wnd** client);
void MdiChildGone(Wnd* client, Wnd* child);
void RegisterMdiClient();

// ---- Built-in controls (ctl/) ------------------------------------------------------------------------------

void RegisterControlClasses();  // "EDIT", "LISTBOX"

// ---- Timers (Wm_timer.cpp) --------------------------------------------------------------------------------

bool NextTimer(HWND filter, MSG& out, bool remove);
int64_t MsUntilNextTimer();  // -1: no timer
void KillTimersOf(HWND h);

bool NextTimerDue(uint64_t& due);

// ---- The window manager's state --------------------------------------------------------------------------
// What the window manager remembers between calls (focus, input, the GUI side of the queue, timers,
// the caret, the clipboard, menus, geometry counters) lives in one State, each file keeping its own part,
// made on first use on the GUI thread. The harness starts every test with a fresh State. Process-wide
// records stay outside it: window classes, procedure records, the handle table, registered messages,
// and the queue's cross-thread transport.

struct StatePart {
  virtual ~StatePart() = default;
};

enum class PartId {
  Queue,
  Input,
  Focus,
  Caret,
  Clipboard,
  Environment,
  Screen,
  Timers,
  Menus,
  Windows,
  Paint,
  NotifyArea,
  Count
};

struct State {
  std::unique_ptr<StatePart> parts[(int)PartId::Count];
};

State& MakeState();
extern std::atomic<State*> gState;  // set once made
inline State& TheState() {
  State* s = gState.load(std::memory_order_acquire);
  return s ? *s : MakeState();
}
// Replaces the state with a fresh one; every window must be gone first.
void ResetState();

template <class T>
[[gnu::noinline]] void MakePart(std::unique_ptr<StatePart>& p) {
  p = std::make_unique<T>();
}

// Asked for many times per message: the making stays out of line.
template <class T>
T& Part(PartId id) {
  std::unique_ptr<StatePart>& p = TheState().parts[(int)id];
  if (!p) [[unlikely]]
    MakePart<T>(p);
  return static_cast<T&>(*p);
}

// Counters and handles of the window layer (Wm_window.cpp, Wm_mdi.cpp).
struct DeferInfo {
  std::vector<WINDOWPOS> moves;
};
struct WindowState : StatePart {
  int cascade { 0 };     // next default position of an overlapped window
  int mdiCascade { 0 };  // next default position of an MDI child
  std::vector<std::unique_ptr<DeferInfo>> defers;
};
WindowState& Windows();

void StartEnvironment();
struct Wnd;
void MainWindowClosing(Wnd* w);
void SetScreenGeometry(const RECT& monitor, const RECT& work);
void DesktopClose(Wnd* w);  // the desktop's close button (WM_DELETE_WINDOW)
void ReadScreenGeometry();  // from the display, as it says the screen is now

// ---- Painting (Wm_paint.cpp) ---------------------------------------------------------------------------

bool NeedsPaint(const Wnd* w);
// Call after changing a window's update region, frame or internal-paint flag.
void PaintStateChanged(Wnd* w);
Wnd* NextPaintWindow(HWND filter);
void InvalidateClient(Wnd* w, const Region* rgn, bool erase, bool children);
void InvalidateFrame(Wnd* w);
void InvalidateExposed(Wnd* parent, const Region& inParentClient);
// Sends WM_PAINT; a handler that never called BeginPaint is validated for, also when it raised.
LRESULT SendPaint(Wnd* w, WPARAM wParam, LPARAM lParam);
void SyncDisplay(Wnd* w);  // WmBackend.h
void SyncTitle(Wnd* w);
void SyncActive(Wnd* w);
void SyncCursor(HCURSOR c);

// ---- Non-client (Wm_nonclient.cpp) ----------------------------------------------------------------------

RECT DefaultClientFor(const Wnd* w, const RECT& windowRect);
LRESULT DefNonClient(Wnd* w, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled);

}  // namespace xj::wm
