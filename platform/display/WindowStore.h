#pragma once
// The bookkeeping every back-end shares: each top-level window's state and a copy of its pixels, the
// z-order, and the composition of the desktop from them.

#include <optional>
#include <span>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/display/Display.h"

namespace xj::display {

struct StoredWindow {
  int Width() const { return bounds.right - bounds.left; }
  int Height() const { return bounds.bottom - bounds.top; }
  // The merged spans [x0, x1) of the window region on row y (window coordinates), clipped to the window.
  // Worked out when first asked for after the shape or the size changed: only a composed desktop asks,
  // and a popup shown, shaped and closed again is never composed.
  std::span<const std::pair<int, int>> RowSpans(int y) const {
    if (spansStale) RebuildSpans();
    return { spans.data() + spanStart[y], spans.data() + spanStart[y + 1] };
  }
  bool Contains(int x, int y) const;  // inside the window and its region

  WindowKind kind { WindowKind::Normal };
  bool topMost { false };
  WindowId owner { 0 };
  bool modal { false };
  bool visible { false };
  WindowState state { WindowState::Normal };
  uint8_t opacity { 255 };
  CursorType cursor { CursorType::Arrow };
  RECT bounds {};
  SIZE minSize {}, maxSize {};  // what the user may size the window to; 0: no limit
  std::optional<std::vector<RECT>> shape;
  std::string title;
  // The window's own copy of its pixels, its size, black until drawn. Made when first needed: a drawer
  // that lends its pixels from the first present on (see Backend::PresentInPlace) never needs one, and
  // a window of a megabyte would otherwise fill one that nobody reads.
  const Image& Own() const {
    if (pixels.Empty()) pixels = Image(Width(), Height());
    return pixels;
  }
  Image& Own() { return const_cast<Image&>(std::as_const(*this).Own()); }
  // While set, the drawer's own pixels, read in place instead of the window's own.
  SurfaceView lent;
  SurfaceView Pixels() const { return lent.pixels ? lent : Own().View(); }

 private:
  friend class WindowStore;
  void RebuildSpans() const;

  mutable Image pixels;   // empty until Own() makes it
  bool placed { false };  // given bounds at least once
  // Row index into `spans` (Height() + 1 entries), made anew when asked for after the shape or the size
  // changed.
  mutable bool spansStale { true };
  mutable std::vector<uint32_t> spanStart;
  mutable std::vector<std::pair<int, int>> spans;
};

class WindowStore {
 public:
  WindowId Add(WindowKind kind, const RECT& bounds, bool topMost);
  void Remove(WindowId id);
  StoredWindow* Find(WindowId id);
  const StoredWindow* Find(WindowId id) const;
  const std::vector<WindowId>& ZOrder() const { return FOrder; }  // top first

  void SetZOrder(std::span<const WindowId> topToBottom);
  // Both say whether anything changed: a window manager repeats what it already said.
  bool SetBounds(StoredWindow& w, const RECT& bounds);
  bool SetShape(StoredWindow& w, std::optional<std::vector<RECT>> rects);
  // Copies the dirty part of the surface into the window's pixels; returns what was copied.
  RECT CopyIn(StoredWindow& w, const SurfaceView& surface, const RECT& dirty);
  // Reads the window's pixels from `surface` from now on; returns the part of `dirty` that shows.
  RECT Lend(StoredWindow& w, const SurfaceView& surface, const RECT& dirty);
  // Copies the lent pixels into the window's own and stops reading the lender's.
  void Reclaim(StoredWindow& w);
  // Draws the shown windows, bottom first, onto `desktop` (whose origin is the screen's).
  void ComposeInto(Image& desktop) const;

 private:
  std::unordered_map<WindowId, StoredWindow> FWindows;
  std::vector<WindowId> FOrder;
  WindowId FNextId { 1 };
};

// Copies `area` of the surface (clipped to both pictures) into `pixels` without the X bytes; returns what
// was copied.
RECT CopyRgbInto(Image& pixels, const SurfaceView& surface, const RECT& area);
// Bounds with negative extents made empty.
RECT NormalizedBounds(const RECT& r);
RECT IntersectRects(const RECT& a, const RECT& b);
inline bool RectEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
inline bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace xj::display
