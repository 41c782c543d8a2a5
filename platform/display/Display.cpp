#include "platform/display/Display.h"

#include <algorithm>

#include "platform/display/Png.h"
#include "platform/display/TrayStrip.h"
#include "platform/display/WindowStore.h"

namespace xj::display {

Backend::Backend() : FStore(std::make_unique<WindowStore>()) {}

Backend::~Backend() = default;

void Backend::PostScreenChange(SIZE size, const RECT& work) {
  const SIZE now = ScreenSize();
  if (now.cx == size.cx && now.cy == size.cy && SameRect(work, WorkArea())) return;
  Event e;
  e.type = EventType::ScreenChanged;
  Post(std::move(e));
}

WindowId Backend::Create(WindowKind kind, const RECT& bounds, bool topMost) {
  WindowId id = FStore->Add(kind, bounds, topMost);
  NativeCreate(id);
  return id;
}

bool Backend::Destroy(WindowId id) {
  if (!FStore->Find(id)) return false;
  NativeDestroy(id);
  FStore->Remove(id);
  std::erase_if(FQueue, [id](const Event& e) { return e.window == id; });
  return true;
}

bool Backend::SetBounds(WindowId id, const RECT& bounds) {
  StoredWindow* w = FStore->Find(id);
  if (!w) return false;
  const int width = w->Width(), height = w->Height();
  if (!FStore->SetBounds(*w, bounds)) return true;
  NativeBounds(id);
  // A shape is handed over clipped to the window: a new size needs it again.
  if (w->shape && (w->Width() != width || w->Height() != height)) NativeShape(id);
  return true;
}

bool Backend::Show(WindowId id, bool activate) {
  StoredWindow* w = FStore->Find(id);
  if (!w) return false;
  w->visible = true;
  NativeShow(id, activate);
  return true;
}

bool Backend::Hide(WindowId id) {
  StoredWindow* w = FStore->Find(id);
  if (!w) return false;
  w->visible = false;
  NativeHide(id);
  return true;
}

bool Backend::SetState(WindowId id, WindowState state) {
  StoredWindow* w = FStore->Find(id);
  if (!w) return false;
  WindowState previous = w->state;
  if (previous == state) return true;
  w->state = state;
  NativeState(id, previous);
  return true;
}

void Backend::SetZOrder(std::span<const WindowId> topToBottom) {
  FStore->SetZOrder(topToBottom);
  NativeZOrder();
}

bool Backend::SetTopMost(WindowId id, bool topMost) {
  StoredWindow* w = FStore->Find(id);
  if (!w) return false;
  if (w->topMost == topMost) return true;
  w->topMost = topMost;
  NativeTopMost(id);
  return true;
}

bool Backend::SetOwner(WindowId id, WindowId owner, bool modal) {
  StoredWindow* w = FStore->Find(id);
  if (!w) return false;
  if (owner == id || !FStore->Find(owner)) owner = 0;
  if (w->owner == owner && w->modal == (modal && owner)) return true;
  w->owner = owner;
  w->modal = modal && owner;
  NativeOwner(id);
  return true;
}

bool Backend::SetShape(WindowId id, std::span<const RECT> rects) {
  StoredWindow* w = FStore->Find(id);
  if (!w) return false;
  if (FStore->SetShape(*w, std::vector<RECT>(rects.begin(), rects.end()))) NativeShape(id);
  return true;
}

bool Backend::ClearShape(WindowId id) {
  StoredWindow* w = FStore->Find(id);
  if (!w) return false;
  if (FStore->SetShape(*w, std::nullopt)) NativeShape(id);
  return true;
}

bool Backend::SetOpacity(WindowId id, uint8_t alpha) {
  StoredWindow* w = FStore->Find(id);
  if (!w) return false;
  if (w->opacity == alpha) return true;
  w->opacity = alpha;
  NativeOpacity(id);
  return true;
}

bool Backend::SetTitle(WindowId id, std::string_view utf8) {
  StoredWindow* w = FStore->Find(id);
  if (!w) return false;
  w->title = utf8;
  NativeTitle(id);
  return true;
}

bool Backend::SetCursor(WindowId id, CursorType shape) {
  StoredWindow* w = FStore->Find(id);
  if (!w) return false;
  w->cursor = shape;
  NativeCursor(id);
  return true;
}

bool Backend::Present(WindowId id, const SurfaceView& surface, const RECT& dirty) {
  StoredWindow* w = FStore->Find(id);
  if (!w) return false;
  FStore->Reclaim(*w);
  RECT copied = FStore->CopyIn(*w, surface, dirty);
  if (!RectEmpty(copied)) NativePresent(id, copied);
  return true;
}

bool Backend::PresentInPlace(WindowId id, const SurfaceView& surface, const RECT& dirty) {
  StoredWindow* w = FStore->Find(id);
  if (!w) return false;
  RECT shown = FStore->Lend(*w, surface, dirty);
  if (!RectEmpty(shown)) NativePresent(id, shown);
  return true;
}

void Backend::Reclaim(WindowId id) {
  if (StoredWindow* w = FStore->Find(id)) FStore->Reclaim(*w);
}

bool Backend::Activate(WindowId id) {
  if (!FStore->Find(id)) return false;
  NativeActivate(id);
  return true;
}

bool Backend::BeginMoveSize(WindowId id, POINT pt, MouseButton button, DragKind kind) {
  if (!FStore->Find(id)) return false;
  return NativeBeginMoveSize(id, pt, button, kind);
}

bool Backend::SetSizeLimits(WindowId id, SIZE min, SIZE max) {
  StoredWindow* w = FStore->Find(id);
  if (!w) return false;
  auto side = [](LONG v) { return std::clamp<LONG>(v, 0, 8192); };  // no window grows past 8192
  w->minSize = { side(min.cx), side(min.cy) };
  w->maxSize = { side(max.cx), side(max.cy) };
  NativeSizeLimits(id);
  return true;
}

bool Backend::HasEvent() {
  if (FQueue.empty()) NativePump();
  return !FQueue.empty();
}

bool Backend::NextEvent(Event& out) {
  if (!HasEvent()) return false;
  out = std::move(FQueue.front());
  FQueue.pop_front();
  return true;
}

WaitResult Backend::Wait(int timeoutMs) {
  if (!FQueue.empty()) return WaitResult::Event;
  return NativeWait(timeoutMs);
}

void Backend::SetTrayIcons(std::vector<TrayIcon> icons) {
  FTrayIcons = std::move(icons);
  NativeTray();
}

RECT Backend::TrayStripBounds() const { return TrayStripPlace(ScreenSize(), WorkArea(), FTrayIcons.size(), true); }

RECT Backend::TrayIconRect(uint32_t id) const {
  auto it = std::find_if(FTrayIcons.begin(), FTrayIcons.end(), [id](const TrayIcon& t) { return t.id == id; });
  if (it == FTrayIcons.end()) return {};
  RECT docked;
  if (NativeTrayIconRect(id, docked)) return docked;
  return TrayIconRectIn(TrayStripBounds(), size_t(it - FTrayIcons.begin()));
}

bool Backend::Exists(WindowId id) const { return FStore->Find(id) != nullptr; }

bool Backend::IsVisible(WindowId id) const {
  const StoredWindow* w = FStore->Find(id);
  return w && w->visible;
}

WindowState Backend::State(WindowId id) const {
  const StoredWindow* w = FStore->Find(id);
  return w ? w->state : WindowState::Normal;
}

RECT Backend::Bounds(WindowId id) const {
  const StoredWindow* w = FStore->Find(id);
  return w ? w->bounds : RECT {};
}

bool Backend::TopMost(WindowId id) const {
  const StoredWindow* w = FStore->Find(id);
  return w && w->topMost;
}

uint8_t Backend::Opacity(WindowId id) const {
  const StoredWindow* w = FStore->Find(id);
  return w ? w->opacity : 0;
}

std::optional<std::vector<RECT>> Backend::Shape(WindowId id) const {
  const StoredWindow* w = FStore->Find(id);
  return w ? w->shape : std::nullopt;
}

std::string Backend::Title(WindowId id) const {
  const StoredWindow* w = FStore->Find(id);
  return w ? w->title : std::string();
}

CursorType Backend::Cursor(WindowId id) const {
  const StoredWindow* w = FStore->Find(id);
  return w ? w->cursor : CursorType::Arrow;
}

std::vector<WindowId> Backend::ZOrder() const { return FStore->ZOrder(); }

Image Backend::WindowPixels(WindowId id) const {
  const StoredWindow* w = FStore->Find(id);
  if (!w) return Image();
  if (!w->lent.pixels) return w->Own();
  // The window's size, from the lender's pixels as far as they reach.
  Image out(w->Width(), w->Height());
  CopyRgbInto(out, w->lent, RECT { 0, 0, w->lent.width, w->lent.height });
  return out;
}

Image Backend::DesktopPixels() const {
  SIZE screen = ScreenSize();
  Image desktop(screen.cx, screen.cy, kDesktopBackground);
  FStore->ComposeInto(desktop);
  if (!FTrayIcons.empty()) {
    RECT strip = TrayStripBounds();
    PaintTrayStrip(desktop, { strip.left, strip.top }, FTrayIcons);
  }
  return desktop;
}

bool Backend::WriteWindowPng(WindowId id, const std::string& path, std::string* error) const {
  const StoredWindow* w = FStore->Find(id);
  if (!w) {
    if (error) *error = "no such window";
    return false;
  }
  return WritePng(path, w->Pixels(), error);
}

bool Backend::WriteDesktopPng(const std::string& path, std::string* error) const {
  return WritePng(path, DesktopPixels().View(), error);
}

}  // namespace xj::display
