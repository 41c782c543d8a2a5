#include "platform/display/WindowStore.h"

#include <algorithm>
#include <cstring>

namespace xj::display {

namespace {

// No screen is larger; the caps keep a bogus rectangle from asking for gigabytes or overflowing.
constexpr int64_t kMaxExtent = 8192, kMaxOrigin = 1 << 28;

// n pixels without their alpha byte, four at a time in one SSE register: a present copies whole windows.
// The vector type may sit at any pixel and alias the pixel rows.
void CopyRgb(uint32_t* dst, const uint32_t* src, int n) {
  typedef uint32_t Lanes __attribute__((vector_size(16), aligned(4), may_alias));
  int x = 0;
  for (; x + 4 <= n; x += 4) *reinterpret_cast<Lanes*>(dst + x) = *reinterpret_cast<const Lanes*>(src + x) & 0xFFFFFF;
  for (; x < n; ++x) dst[x] = src[x] & 0xFFFFFF;
}

}  // namespace

RECT NormalizedBounds(const RECT& r) { return { r.left, r.top, std::max(r.left, r.right), std::max(r.top, r.bottom) }; }

RECT IntersectRects(const RECT& a, const RECT& b) {
  RECT r { std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom) };
  if (RectEmpty(r)) return {};
  return r;
}

bool StoredWindow::Contains(int x, int y) const {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return false;
  for (auto [x0, x1] : RowSpans(y))
    if (x >= x0 && x < x1) return true;
  return false;
}

WindowId WindowStore::Add(WindowKind kind, const RECT& bounds, bool topMost) {
  WindowId id = FNextId++;
  StoredWindow& w = FWindows[id];
  w.kind = kind;
  w.topMost = topMost;
  SetBounds(w, bounds);
  FOrder.insert(FOrder.begin(), id);
  return id;
}

void WindowStore::Remove(WindowId id) {
  FWindows.erase(id);
  std::erase(FOrder, id);
  for (auto& [other, w] : FWindows)
    if (w.owner == id) w.owner = 0, w.modal = false;
}

StoredWindow* WindowStore::Find(WindowId id) {
  auto it = FWindows.find(id);
  return it == FWindows.end() ? nullptr : &it->second;
}

const StoredWindow* WindowStore::Find(WindowId id) const {
  auto it = FWindows.find(id);
  return it == FWindows.end() ? nullptr : &it->second;
}

void WindowStore::SetZOrder(std::span<const WindowId> topToBottom) {
  std::vector<WindowId> order;
  order.reserve(FOrder.size());
  for (WindowId id : topToBottom)
    if (FWindows.count(id) && std::find(order.begin(), order.end(), id) == order.end()) order.push_back(id);
  for (WindowId id : FOrder)
    if (std::find(order.begin(), order.end(), id) == order.end()) order.push_back(id);
  FOrder = std::move(order);
}

bool WindowStore::SetBounds(StoredWindow& w, const RECT& bounds) {
  auto extent = [](LONG a, LONG b) { return LONG(std::clamp<int64_t>(int64_t(b) - a, 0, kMaxExtent)); };
  RECT b;
  b.left = LONG(std::clamp<int64_t>(bounds.left, -kMaxOrigin, kMaxOrigin));
  b.top = LONG(std::clamp<int64_t>(bounds.top, -kMaxOrigin, kMaxOrigin));
  b.right = b.left + extent(bounds.left, bounds.right);
  b.bottom = b.top + extent(bounds.top, bounds.bottom);
  if (SameRect(b, w.bounds) && w.placed) return false;
  int newW = b.right - b.left, newH = b.bottom - b.top;
  const bool resized = newW != w.Width() || newH != w.Height();
  w.bounds = b;
  if (resized && !w.pixels.Empty()) {
    Image kept(newW, newH);  // no pixels at all when either side is 0
    int keepW = std::min(kept.width, w.pixels.width), keepH = std::min(kept.height, w.pixels.height);
    for (int y = 0; keepW > 0 && y < keepH; ++y) std::memcpy(kept.Row(y), w.pixels.Row(y), size_t(keepW) * 4);
    w.pixels = std::move(kept);
  }
  if (resized) w.spansStale = true;
  w.placed = true;
  return true;
}

bool WindowStore::SetShape(StoredWindow& w, std::optional<std::vector<RECT>> rects) {
  auto same = [](const std::vector<RECT>& a, const std::vector<RECT>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), SameRect);
  };
  if (rects.has_value() == w.shape.has_value() && (!rects || same(*rects, *w.shape))) return false;
  w.shape = std::move(rects);
  w.spansStale = true;
  return true;
}

void StoredWindow::RebuildSpans() const {
  spansStale = false;
  int width = Width(), height = Height();
  spanStart.assign(size_t(height) + 1, 0);
  spans.clear();
  if (!shape) {
    for (int y = 0; y < height; ++y) {
      spanStart[y] = uint32_t(spans.size());
      if (width > 0) spans.emplace_back(0, width);
    }
    spanStart[height] = uint32_t(spans.size());
    return;
  }
  // Bucket the clipped rectangles' spans by row in one flat array (counted first, then placed), then sort
  // and merge each row so overlaps count once. A shape is rebuilt on every resize of a skinned window.
  RECT window { 0, 0, width, height };
  std::vector<RECT> clipped;
  clipped.reserve(shape->size());
  for (const RECT& r : *shape) {
    RECT c = IntersectRects(NormalizedBounds(r), window);
    if (!RectEmpty(c)) clipped.push_back(c);
  }
  std::vector<uint32_t> fill(size_t(height) + 1, 0);
  for (const RECT& c : clipped)
    for (int y = c.top; y < c.bottom; ++y) ++fill[size_t(y) + 1];
  for (int y = 0; y < height; ++y) fill[size_t(y) + 1] += fill[size_t(y)];
  std::vector<std::pair<int, int>> bucketed(fill[size_t(height)]);
  std::vector<uint32_t> next(fill.begin(), fill.end() - 1);
  for (const RECT& c : clipped)
    for (int y = c.top; y < c.bottom; ++y) bucketed[next[size_t(y)]++] = { int(c.left), int(c.right) };
  for (int y = 0; y < height; ++y) {
    spanStart[y] = uint32_t(spans.size());
    auto first = bucketed.begin() + fill[size_t(y)], last = bucketed.begin() + fill[size_t(y) + 1];
    if (!std::is_sorted(first, last)) std::sort(first, last);
    for (auto it = first; it != last; ++it) {
      if (spans.size() > spanStart[y] && it->first <= spans.back().second)
        spans.back().second = std::max(spans.back().second, it->second);
      else
        spans.push_back(*it);
    }
  }
  spanStart[height] = uint32_t(spans.size());
}

RECT CopyRgbInto(Image& pixels, const SurfaceView& surface, const RECT& area) {
  if (!surface.pixels || surface.width <= 0 || surface.height <= 0) return {};
  RECT limit { 0, 0, std::min(surface.width, pixels.width), std::min(surface.height, pixels.height) };
  RECT c = IntersectRects(NormalizedBounds(area), limit);
  if (RectEmpty(c)) return {};
  for (int y = c.top; y < c.bottom; ++y) CopyRgb(pixels.Row(y) + c.left, surface.Row(y) + c.left, c.right - c.left);
  return c;
}

RECT WindowStore::CopyIn(StoredWindow& w, const SurfaceView& surface, const RECT& dirty) {
  return CopyRgbInto(w.Own(), surface, dirty);
}

RECT WindowStore::Lend(StoredWindow& w, const SurfaceView& surface, const RECT& dirty) {
  if (!surface.pixels || surface.width <= 0 || surface.height <= 0) return {};
  w.lent = surface;
  return IntersectRects(NormalizedBounds(dirty), RECT { 0, 0, surface.width, surface.height });
}

void WindowStore::Reclaim(StoredWindow& w) {
  if (!w.lent.pixels) return;
  const SurfaceView lent = w.lent;
  w.lent = SurfaceView {};
  CopyIn(w, lent, RECT { 0, 0, lent.width, lent.height });
}

void WindowStore::ComposeInto(Image& desktop) const {
  for (auto it = FOrder.rbegin(); it != FOrder.rend(); ++it) {
    const StoredWindow& w = FWindows.at(*it);
    const SurfaceView pixels = w.Pixels();
    if (!w.visible || w.state == WindowState::Minimized || w.opacity == 0 || !pixels.pixels) continue;
    int top = std::max(0, -int(w.bounds.top)),
        bottom = std::min({ w.Height(), pixels.height, desktop.height - int(w.bounds.top) });
    int left = std::max(0, -int(w.bounds.left)),
        right = std::min({ w.Width(), pixels.width, desktop.width - int(w.bounds.left) });
    for (int y = top; y < bottom; ++y) {
      const uint32_t* src = pixels.Row(y);
      uint32_t* row = desktop.Row(y + w.bounds.top);
      for (auto [x0, x1] : w.RowSpans(y)) {
        x0 = std::max(x0, left);
        x1 = std::min(x1, right);
        if (x1 <= x0) continue;
        uint32_t* dst = row + (w.bounds.left + x0);
        if (w.opacity == 255) {
          CopyRgb(dst, src + x0, x1 - x0);
        } else {
          for (int x = 0; x < x1 - x0; ++x) dst[x] = BlendPixel(src[x0 + x], dst[x], w.opacity);
        }
      }
    }
  }
}

}  // namespace xj::display
