// The link between top-level windows and the display back-end.

#include <poll.h>
#include <sys/mman.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <string>

#include "platform/display/Display.h"
#include "platform/display/factory/CreateBackend.h"
#include "platform/win32/NotifyArea.h"
#include "platform/win32/Scoped.h"
#include "platform/win32/WinBase.h"
#include "platform/win32/WmBackend.h"
#include "platform/win32/WmDc.h"
#include "platform/win32/WmInternal.h"
#include "platform/win32/WmModal.h"
#include "platform/win32/WmNonClient.h"

namespace xj::wm {

std::vector<RECT> WindowShapeRects(const Wnd* w, bool& shaped);  // Wm_dc.cpp

namespace {

std::unique_ptr<display::Backend> gDisplay;
display::Backend* gPointerDisplay = nullptr;  // gDisplay when it is not the headless one
bool gAnyDirty = false;  // some surface may have drawn pixels not yet presented: an idle queue looks
bool gWakeSet = false;
bool gDesktopSpeaks = false;  // translating the desktop's own focus news
std::map<HWND, TopSurface>& Surfaces() {
  static std::map<HWND, TopSurface>* s = new std::map<HWND, TopSurface>;
  return *s;
}

display::WindowKind KindOf(const Wnd* w) {
  bool popup = (w->style & WS_POPUP) && (w->exStyle & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW));
  if (popup) return display::WindowKind::Popup;
  if (w->exStyle & WS_EX_TOOLWINDOW) return display::WindowKind::Tool;
  return display::WindowKind::Normal;
}

display::WindowState StateOf(const Wnd* w) {
  if (w->style & WS_MINIMIZE) return display::WindowState::Minimized;
  if (w->style & WS_MAXIMIZE) return display::WindowState::Maximized;
  return display::WindowState::Normal;
}

HWND HwndOf(display::WindowId id) {
  for (auto& [h, s] : Surfaces())
    if (s.window == id) return h;
  return nullptr;
}

constexpr size_t kHugePage = size_t(2) << 20;
constexpr size_t kPage = 4096;
constexpr size_t kPrefaultFrom = 64 << 10;

// Maps the whole pages of [p, p + bytes) at once, not one fault per 4 kB. Pages already mapped cost only
// the check.
void Populate(void* p, size_t bytes) {
#ifdef MADV_POPULATE_WRITE
  const uintptr_t first = (reinterpret_cast<uintptr_t>(p) + kPage - 1) & ~uintptr_t(kPage - 1);
  const uintptr_t last = (reinterpret_cast<uintptr_t>(p) + bytes) & ~uintptr_t(kPage - 1);
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
#else
  (void)p, (void)bytes;
#endif
}

}  // namespace

void* SurfaceMemory::Allocate(size_t bytes) {
  if (bytes < kHugePage / 2) {
    // Surfaces are filled at once: their fresh pages are mapped in one call.
    if (bytes < kPrefaultFrom) return ::operator new(bytes);
    void* p = ::operator new(bytes);
    Populate(p, bytes);
    return p;
  }
  // Mapped with a huge page's worth to spare, then trimmed to whole huge pages on a boundary.
  const size_t size = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* raw = mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<uintptr_t>(raw);
  const uintptr_t aligned = (start + kHugePage - 1) & ~(uintptr_t(kHugePage) - 1);
  if (aligned > start) munmap(raw, aligned - start);
  if (const size_t tail = start + size + kHugePage - (aligned + size))
    munmap(reinterpret_cast<void*>(aligned + size), tail);
  madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(aligned);
}

void SurfaceMemory::Free(void* p, size_t bytes) {
  if (bytes < kHugePage / 2)
    ::operator delete(p);
  else
    munmap(p, (bytes + kHugePage - 1) / kHugePage * kHugePage);
}

namespace {

void Resize(TopSurface& s, int w, int h) {
  w = std::max(w, 0);
  h = std::max(h, 0);
  if (w == s.width && h == s.height) return;
  // The back-end reads the pixels in place: it keeps a copy of them before they move.
  if (gDisplay && s.window) gDisplay->Reclaim(s.window);
  // White, then the old pixels that still fit. One row is filled and copied to the others.
  SurfacePixels p((size_t)w * h);
  if (w > 0 && h > 0) {
    std::fill_n(p.data(), w, 0xFFFFFFu);
    for (int y = 1; y < h; ++y) std::copy_n(p.data(), w, p.data() + (size_t)y * w);
  }
  for (int y = 0; y < std::min(h, s.height); ++y)
    std::copy_n(s.pixels.begin() + (size_t)y * s.width, std::min(w, s.width), p.begin() + (size_t)y * w);
  s.pixels.swap(p);
  s.width = w;
  s.height = h;
  s.dirty = RECT { 0, 0, w, h };
  gAnyDirty = true;
}

void Restack() {
  if (!gDisplay) return;
  std::vector<display::WindowId> order;
  for (Wnd* w : Desktop()->children)
    if (TopSurface* s = SurfaceOf(w))
      if (s->window) order.push_back(s->window);
  gDisplay->SetZOrder(order);
}

display::CursorType CursorOf(HCURSOR c) {
  static const struct {
    LPCSTR id;
    display::CursorType shape;
  } table[] = { { IDC_IBEAM, display::CursorType::IBeam },       { IDC_WAIT, display::CursorType::Wait },
                { IDC_CROSS, display::CursorType::Cross },       { IDC_UPARROW, display::CursorType::UpArrow },
                { IDC_SIZENWSE, display::CursorType::SizeNWSE }, { IDC_SIZENESW, display::CursorType::SizeNESW },
                { IDC_SIZEWE, display::CursorType::SizeWE },     { IDC_SIZENS, display::CursorType::SizeNS },
                { IDC_SIZEALL, display::CursorType::SizeAll },   { IDC_NO, display::CursorType::No },
                { IDC_HAND, display::CursorType::Hand } };
  if (!c) return display::CursorType::Hidden;
  for (const auto& t : table)
    if (LoadCursorA(nullptr, t.id) == c) return t.shape;
  return display::CursorType::Arrow;
}

RawInput AsRawInput(const display::Event& e) {
  RawInput ev;
  auto button = [](display::MouseButton b) {
    return b == display::MouseButton::Right ? 1 : b == display::MouseButton::Middle ? 2 : 0;
  };
  switch (e.type) {
    case display::EventType::ButtonDown:
    case display::EventType::ButtonUp:
      ev.kind = e.type == display::EventType::ButtonDown ? RawInput::ButtonDown : RawInput::ButtonUp;
      ev.button = button(e.button);
      break;
    case display::EventType::Wheel:
      ev.kind = RawInput::Wheel;
      ev.delta = e.wheelDelta;
      break;
    case display::EventType::MouseLeave:
      ev.kind = RawInput::Leave;
      break;
    case display::EventType::KeyDown:
    case display::EventType::KeyUp:
      ev.kind = e.type == display::EventType::KeyDown ? RawInput::KeyDown : RawInput::KeyUp;
      ev.vk = e.vk | (e.extended ? 0x100 : 0);
      if (e.type == display::EventType::KeyDown) ev.text = Utf8ToGbk(e.text);
      break;
    case display::EventType::Text:
      ev.kind = RawInput::Chars;
      ev.text = Utf8ToGbk(e.text);
      break;
    default:
      ev.kind = RawInput::MouseMove;
      break;
  }
  ev.pt = e.pt;
  return ev;
}

void OnDesktopFocus(const display::Event& e) {
  if (Wnd* w = FromHandle(HwndOf(e.window)))
    if (GetActiveWindow() != w->handle && w->Enabled()) {
      TemporaryChange speaking(gDesktopSpeaks, true);
      Activate(w, WA_ACTIVE);
    }
}

// As the user's own caption buttons would, so that the program sees the system command.
void OnDesktopState(const display::Event& e) {
  if (Wnd* w = FromHandle(HwndOf(e.window)))
    if (StateOf(w) != e.state)
      PostMessageA(w->handle, WM_SYSCOMMAND,
                   e.state == display::WindowState::Minimized   ? SC_MINIMIZE
                   : e.state == display::WindowState::Maximized ? SC_MAXIMIZE
                                                                : SC_RESTORE,
                   0);
}

// The move/size loop of that window waits for exactly this; the wake keeps it from waiting on.
void OnDragEnded(const display::Event& e) {
  if (ModalFrame* f = TopModal(); f && f->kind == ModalFrame::SizeMove && f->hwnd == HwndOf(e.window)) {
    f->ended = true;
    WakeQueue();
  }
}

// What the desktop says about a window or the notification area; false for pointer and keyboard input.
bool DesktopNotice(const display::Event& e) {
  switch (e.type) {
    case display::EventType::FocusGained:
      ForgetReleasedModifiers(e.modifiers);
      OnDesktopFocus(e);
      return true;
    case display::EventType::FocusLost:
      if (HwndOf(e.window) == GetActiveWindow()) Activate(nullptr, WA_INACTIVE);
      return true;
    case display::EventType::Close:
      if (HWND h = HwndOf(e.window)) PostMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0);
      return true;
    case display::EventType::StateChanged:
      OnDesktopState(e);
      return true;
    case display::EventType::Exposed:
      if (HWND h = HwndOf(e.window))
        RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
      return true;
    case display::EventType::Configure:
      if (Wnd* w = FromHandle(HwndOf(e.window))) ApplyDesktopRect(w, e.rect);
      return true;
    case display::EventType::TrayMouseMove:
    case display::EventType::TrayButtonDown:
    case display::EventType::TrayButtonUp:
      NotifyAreaInput(e);
      return true;
    case display::EventType::TrayCreated:
      NotifyAreaCreated();
      return true;
    case display::EventType::DragEnded:
      OnDragEnded(e);
      return true;
    default:
      return false;
  }
}

void Translate(const display::Event& e) {
  if (!DesktopNotice(e)) InjectInput(AsRawInput(e));
}

}  // namespace

TopSurface* SurfaceOf(const Wnd* top) {
  auto it = Surfaces().find(top->handle);
  return it == Surfaces().end() ? nullptr : &it->second;
}

TopSurface& EnsureSurface(Wnd* top) {
  TopSurface& s = Surfaces()[top->handle];
  Resize(s, top->Width(), top->Height());
  return s;
}

void AddDirty(TopSurface& s, const RECT& r) {
  RECT c { std::max<LONG>(r.left, 0), std::max<LONG>(r.top, 0), std::min<LONG>(r.right, s.width),
           std::min<LONG>(r.bottom, s.height) };
  if (IsRectEmptyWm(c)) return;
  gAnyDirty = true;
  if (IsRectEmptyWm(s.dirty))
    s.dirty = c;
  else
    s.dirty = RECT { std::min(s.dirty.left, c.left), std::min(s.dirty.top, c.top), std::max(s.dirty.right, c.right),
                     std::max(s.dirty.bottom, c.bottom) };
}

display::Backend* CurrentDisplay() { return gDisplay.get(); }

display::Backend* PointerDisplay() { return gPointerDisplay; }

namespace {

// Every mouse move asks which display knows the pointer: the answer is kept, not looked up by name.
void NoteDisplay() {
  gPointerDisplay = gDisplay && std::strcmp(gDisplay->Name(), "headless") != 0 ? gDisplay.get() : nullptr;
}

}  // namespace

display::Backend& EnsureDisplay() {
  if (!gDisplay) {
    std::string error;
    gDisplay = display::CreateBackend(error);
    if (!gDisplay) {
      // The display that was asked for is not there. _Exit, not exit: the handlers run at exit would
      // want to show things on this very display.
      std::fprintf(stderr, "%s\n", error.c_str());
      std::fflush(nullptr);
      std::_Exit(EXIT_FAILURE);
    }
    gWakeSet = false;
    NoteDisplay();
    SIZE sz = gDisplay->ScreenSize();
    SetScreenGeometry(RECT { 0, 0, sz.cx, sz.cy }, gDisplay->WorkArea());
    ShowNotifyIcons();
  }
  return *gDisplay;
}

void SetDisplay(std::unique_ptr<display::Backend> backend) {
  for (auto& [h, s] : Surfaces()) {
    if (gDisplay && s.window) gDisplay->Reclaim(s.window);
    s.window = 0, s.shown = false;
  }
  Surfaces().clear();
  gDisplay = std::move(backend);
  gWakeSet = false;
  NoteDisplay();
  if (gDisplay) {
    SIZE sz = gDisplay->ScreenSize();
    SetScreenGeometry(RECT { 0, 0, sz.cx, sz.cy }, gDisplay->WorkArea());
    ShowNotifyIcons();
  }
}

namespace {
[[gnu::noinline]] void TranslateEvents() {
  display::Event e;
  while (gDisplay->NextEvent(e)) Translate(e);
}
}  // namespace

void PollDisplay() {
  // Asked on every look at the queue: most of the time there is nothing, and no event is made for it.
  if (gDisplay && gDisplay->HasEvent()) TranslateEvents();
}

void WaitDisplay(int fd, int timeoutMs) {
  if (!gDisplay) {
    pollfd p { fd, POLLIN, 0 };
    poll(&p, 1, timeoutMs);
    return;
  }
  if (!gWakeSet) {
    gDisplay->SetWakeFd(fd);
    gWakeSet = true;
  }
  gDisplay->Wait(timeoutMs);
}

namespace {

// An owned window is the desktop's transient of its owner; one whose owner takes no input (a modal
// form's, a message box's) is modal to it.
void SyncOwner(display::Backend& d, const Wnd* w, const TopSurface& s) {
  const TopSurface* owner = w->owner ? SurfaceOf(w->owner) : nullptr;
  if (owner && owner->window)
    d.SetOwner(s.window, owner->window, !w->owner->Enabled());
  else
    d.SetOwner(s.window, 0, false);
}

}  // namespace

void SyncDisplay(Wnd* w) {
  if (!IsTopLevel(w) && !w->dead && !w->destroying) return;
  auto it = Surfaces().find(w->handle);
  if (w->destroying || w->dead || !IsTopLevel(w)) {
    if (it != Surfaces().end()) {
      if (gDisplay && it->second.window) gDisplay->Destroy(it->second.window);
      Surfaces().erase(it);
    }
    return;
  }
  bool layeredHidden = (w->exStyle & WS_EX_LAYERED) && !w->alphaSet;
  // A minimised window stays shown, as the desktop's icon.
  bool visible = w->Visible() && !layeredHidden;
  if (it == Surfaces().end() && !visible) return;
  TopSurface& s = EnsureSurface(w);
  display::Backend& d = EnsureDisplay();
  RECT bounds = ScreenRect(w);
  bool topMost = (w->exStyle & WS_EX_TOPMOST) != 0;
  if (!s.window) {
    s.window = d.Create(KindOf(w), bounds, topMost);
    d.SetTitle(s.window, GbkToUtf8(w->text));
    Restack();
  }
  d.SetBounds(s.window, bounds);
  d.SetTopMost(s.window, topMost);
  SyncOwner(d, w, s);
  d.SetOpacity(s.window, (w->exStyle & WS_EX_LAYERED) ? w->alpha : 255);
  bool shaped = false;
  std::vector<RECT> shape = WindowShapeRects(w, shaped);
  if (shaped)
    d.SetShape(s.window, shape);
  else
    d.ClearShape(s.window);
  d.SetState(s.window, StateOf(w));
  if (visible && !s.shown) {
    PresentAll();
    d.Show(s.window, false);
  } else if (!visible && s.shown) {
    d.Hide(s.window);
  }
  s.shown = visible;
  Restack();
}

void SyncTitle(Wnd* w) {
  if (TopSurface* s = SurfaceOf(w))
    if (gDisplay && s->window) gDisplay->SetTitle(s->window, GbkToUtf8(w->text));
}

// The platform made `w` the active window: the desktop's keyboard focus follows it (after a modal
// form closes, too, where X would otherwise hand the keys to whatever is under the pointer). Not when
// the desktop just said so itself: echoing stale news back would bat the focus to and fro.
void SyncActive(Wnd* w) {
  if (!gDisplay || gDesktopSpeaks) return;
  if (TopSurface* s = SurfaceOf(w))
    if (s->window && s->shown) gDisplay->Activate(s->window);
}

void SyncCursor(HCURSOR c) {
  if (!gDisplay) return;
  HWND h = GetCapture();
  POINT pt;
  GetCursorPos(&pt);
  Wnd* w = h ? FromHandle(h) : WindowAt(pt, false, nullptr);
  if (!w) return;
  if (TopSurface* s = SurfaceOf(Root(w)))
    if (s->window) gDisplay->SetCursor(s->window, CursorOf(c));
}

void PresentAll() {
  if (!gDisplay || !gAnyDirty) return;
  bool left = false;  // dirty surfaces without a window of the back-end's yet
  for (auto& [h, s] : Surfaces()) {
    if (IsRectEmptyWm(s.dirty)) continue;
    if (!s.window) {
      left = true;
      continue;
    }
    display::SurfaceView view { s.pixels.data(), s.width, s.height, s.width * 4 };
    gDisplay->PresentInPlace(s.window, view, s.dirty);
    s.dirty = RECT {};
  }
  gAnyDirty = left;
}

}  // namespace xj::wm
