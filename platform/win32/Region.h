#pragma once
// A region of whole pixels over pixman: the update regions, clips and hit shapes of the window manager
// and the regions behind HRGN handles in the GDI are all this one type.

#include <pixman.h>

#include <utility>
#include <vector>

#include "platform/win32/WinDef.h"

namespace xj {

class Region {
 public:
  Region() { pixman_region32_init(&FRegion); }
  explicit Region(const RECT& r);
  Region(const Region& o);
  Region(Region&& o) noexcept : FRegion(o.FRegion) { pixman_region32_init(&o.FRegion); }
  Region& operator=(const Region& o);
  Region& operator=(Region&& o) noexcept {
    std::swap(FRegion, o.FRegion);
    return *this;
  }
  ~Region() { pixman_region32_fini(&FRegion); }

  bool Empty() const { return !pixman_region32_not_empty(&FRegion); }
  RECT Box() const;        // the bounding rectangle; all zero when empty
  int Complexity() const;  // NULLREGION, SIMPLEREGION or COMPLEXREGION
  bool Contains(int x, int y) const { return pixman_region32_contains_point(&FRegion, x, y, nullptr); }
  bool Equals(const Region& o) const { return pixman_region32_equal(&FRegion, &o.FRegion); }
  // The rectangles in y-x band order: pixman's own array, valid until the region changes.
  const pixman_box32_t* Rects(int& n) const { return pixman_region32_rectangles(&FRegion, &n); }
  std::vector<RECT> RectList() const;

  void Clear() { pixman_region32_clear(&FRegion); }
  void Set(const RECT& r);
  // Becomes the union of the boxes (empty ones add nothing) in one pass; false, and empty, when memory
  // runs out.
  bool SetBoxes(const std::vector<pixman_box32_t>& boxes);
  void Union(const RECT& r);
  void Union(const Region& o) { pixman_region32_union(&FRegion, &FRegion, &o.FRegion); }
  void Subtract(const RECT& r) { Subtract(Region(r)); }
  void Subtract(const Region& o) { pixman_region32_subtract(&FRegion, &FRegion, &o.FRegion); }
  void Intersect(const RECT& r);
  void Intersect(const Region& o) { pixman_region32_intersect(&FRegion, &FRegion, &o.FRegion); }
  void Translate(int dx, int dy) { pixman_region32_translate(&FRegion, dx, dy); }

  pixman_region32_t* Raw() { return &FRegion; }
  const pixman_region32_t* Raw() const { return &FRegion; }

 private:
  // pixman's queries take non-const pointers although they do not change the region.
  mutable pixman_region32_t FRegion;
};

}  // namespace xj
