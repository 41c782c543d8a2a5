// The handle table, stock objects, pens and brushes, and the generic object calls.

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/win32/AddressMap.h"
#include "platform/win32/Gdi_private.h"
#include "platform/win32/WinBase.h"

namespace xj::gdi {
namespace {

// Live objects by handle, owned by the table. Handles are handed out in sequence and most objects live
// briefly (a paint's DCs, bitmaps and brushes), so each handle has a slot of its own in a ring, found from its
// sequence number: the objects made together sit together in memory, where a hashed table would scatter
// them. A slot still held by an object from an earlier turn of the ring (a skin's picture, a control's font)
// sends the newcomer to a map beside it.
class HandleMap {
 public:
  Object* Find(uintptr_t key) const {
    const Slot& s = FRing[Index(key)];
    if (s.key == key) return s.object;
    if (FOthers.Size() == 0) return nullptr;
    Object* const* o = FOthers.Find(key);
    return o ? *o : nullptr;
  }
  void Insert(uintptr_t key, std::unique_ptr<Object> object) {
    Slot& s = FRing[Index(key)];
    if (s.key)
      FOthers.Insert(key, object.release());
    else
      s = Slot { key, object.release() };
  }
  // Takes the object out of the table; empty when the handle is not there.
  std::unique_ptr<Object> Take(uintptr_t key) {
    Object* o = nullptr;
    if (Slot& s = FRing[Index(key)]; s.key == key) {
      o = s.object;
      s = Slot {};
    } else if (FOthers.Size()) {
      FOthers.Erase(key, &o);
    }
    return std::unique_ptr<Object>(o);
  }

 private:
  static constexpr size_t kRing = 4096;
  struct Slot {
    uintptr_t key { 0 };
    Object* object { nullptr };
  };
  static size_t Index(uintptr_t key) { return (key >> 4) & (kRing - 1); }
  std::vector<Slot> FRing = std::vector<Slot>(kRing);
  AddressMap<Object*> FOthers;
};

struct Table {
  std::mutex lock;
  HandleMap objects;
  uintptr_t next { 0x100000 };
  Counters counters;
};

Table& T() {
  static Table* t = new Table;  // never destroyed: objects may be released during exit
  return *t;
}

bool Counted(const Object& o) { return !o.stock && o.counted && o.kind != Kind::DC; }

}  // namespace

namespace {

// An object records the one cache that holds it; when it goes, that entry is dropped if the cache is the
// destroying thread's own, and every thread's cache is dropped (through gLookupRemovals) only when another
// thread, or several, hold it.
const void* const kSeveralCaches = reinterpret_cast<const void*>(1);

}  // namespace

thread_local constinit LookupCacheEntry tLookupCache[kLookupCacheSize] {};  // read without the table's lock
std::atomic<uint64_t> gLookupRemovals { 0 };

void* Register(std::unique_ptr<Object> obj) {
  Table& t = T();
  std::lock_guard<std::mutex> g(t.lock);
  uintptr_t h = t.next;
  t.next += 16;
  obj->handle = reinterpret_cast<void*>(h);
  if (obj->kind == Kind::DC)
    ++t.counters.DCs;
  else if (Counted(*obj))
    ++t.counters.Objects;
  // The thread that makes an object is nearly always the one that draws with it next: its cache holds
  // the object from the start, so that a paint's new DCs and pictures are not first looked up under the lock.
  LookupCacheSlot(obj->handle) =
      LookupCacheEntry { obj->handle, obj.get(), gLookupRemovals.load(std::memory_order_acquire) };
  obj->cachedBy = tLookupCache;
  t.objects.Insert(h, std::move(obj));
  return reinterpret_cast<void*>(h);
}

Object* LookupInTable(const void* h) {
  if (!h) return nullptr;
  const uint64_t removals = gLookupRemovals.load(std::memory_order_acquire);
  Table& t = T();
  std::lock_guard<std::mutex> g(t.lock);
  Object* o = t.objects.Find(reinterpret_cast<uintptr_t>(h));
  if (o) {
    LookupCacheSlot(h) = LookupCacheEntry { h, o, removals };
    o->cachedBy = !o->cachedBy || o->cachedBy == tLookupCache ? tLookupCache : kSeveralCaches;
  }
  return o;
}

void Destroy(Object* o) {
  if (!o) return;
  std::unique_ptr<Object> doomed;
  {
    Table& t = T();
    std::lock_guard<std::mutex> g(t.lock);
    doomed = t.objects.Take(reinterpret_cast<uintptr_t>(o->handle));
    if (!doomed) return;
    if (o->cachedBy == tLookupCache) {
      if (LookupCacheEntry& e = LookupCacheSlot(o->handle); e.handle == o->handle) e = LookupCacheEntry {};
    } else if (o->cachedBy) {
      gLookupRemovals.fetch_add(1, std::memory_order_acq_rel);
    }
    if (o->kind == Kind::DC)
      --t.counters.DCs;
    else if (Counted(*o))
      --t.counters.Objects;
  }
  // Freed outside the lock: a DC's destructor releases its selections through the table.
}

void CountRefusedOwnedRegion() {
  std::lock_guard<std::mutex> g(T().lock);
  ++T().counters.RefusedOwnedRegionDeletes;
}

void CountRefusedDelete() {
  std::lock_guard<std::mutex> g(T().lock);
  ++T().counters.RefusedDeletes;
}

Counters GetCounters() {
  std::lock_guard<std::mutex> g(T().lock);
  return T().counters;
}

// ---- Stock objects -----------------------------------------------------------------------------
namespace {

template <class T>
void* MakeStock(std::unique_ptr<T> o) {
  o->stock = true;
  return Register(std::move(o));
}

void* StockPen(UINT style, COLORREF c) {
  auto p = std::make_unique<Pen>();
  p->style = style;
  p->color = c;
  return MakeStock(std::move(p));
}

void* StockBrush(UINT style, COLORREF c) {
  auto b = std::make_unique<Brush>();
  b->style = style;
  b->color = c;
  return MakeStock(std::move(b));
}

void* StockFont(LONG height, LONG weight, BYTE pitch, const char* face) {
  auto f = std::make_unique<Font>();
  f->lf.lfHeight = height;
  f->lf.lfWeight = weight;
  f->lf.lfCharSet = DEFAULT_CHARSET;
  f->lf.lfPitchAndFamily = pitch;
  std::strncpy(f->lf.lfFaceName, face, LF_FACESIZE - 1);
  return MakeStock(std::move(f));
}

struct Stock {
  void* objects[18] {};
  Bitmap* bitmap { nullptr };
  Stock() {
    objects[WHITE_BRUSH] = StockBrush(BS_SOLID, RGB(255, 255, 255));
    objects[LTGRAY_BRUSH] = StockBrush(BS_SOLID, RGB(192, 192, 192));
    objects[GRAY_BRUSH] = StockBrush(BS_SOLID, RGB(128, 128, 128));
    objects[DKGRAY_BRUSH] = StockBrush(BS_SOLID, RGB(64, 64, 64));
    objects[BLACK_BRUSH] = StockBrush(BS_SOLID, RGB(0, 0, 0));
    objects[NULL_BRUSH] = StockBrush(BS_NULL, 0);
    objects[WHITE_PEN] = StockPen(PS_SOLID, RGB(255, 255, 255));
    objects[BLACK_PEN] = StockPen(PS_SOLID, 0);
    objects[NULL_PEN] = StockPen(PS_NULL, 0);
    objects[OEM_FIXED_FONT] = StockFont(12, FW_NORMAL, FIXED_PITCH, "Courier New");
    objects[ANSI_FIXED_FONT] = StockFont(12, FW_NORMAL, FIXED_PITCH, "Courier New");
    objects[ANSI_VAR_FONT] = StockFont(12, FW_NORMAL, VARIABLE_PITCH, "MS Sans Serif");
    objects[SYSTEM_FONT] = StockFont(16, FW_BOLD, VARIABLE_PITCH, "System");
    objects[DEVICE_DEFAULT_FONT] = objects[SYSTEM_FONT];
    objects[SYSTEM_FIXED_FONT] = StockFont(16, FW_NORMAL, FIXED_PITCH, "Courier New");
    objects[DEFAULT_GUI_FONT] = StockFont(-11, FW_NORMAL, VARIABLE_PITCH, "MS Sans Serif");
    PixelFormat mono = PixelFormat::Default(1);
    bitmap = NewBitmap(1, 1, mono, false, true, false);
    bitmap->stock = true;
  }
};

Stock& Stocks() {
  static Stock* s = new Stock;
  return *s;
}

}  // namespace

Bitmap* StockBitmap() { return Stocks().bitmap; }

}  // namespace xj::gdi

using namespace xj::gdi;

HGDIOBJ WINAPI GetStockObject(int index) {
  if (index < 0 || index >= 18 || !Stocks().objects[index]) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return Stocks().objects[index];
}

// ---- Pens ------------------------------------------------------------------------------------------
HPEN WINAPI CreatePen(int style, int width, COLORREF color) {
  if (style < PS_SOLID || style > PS_INSIDEFRAME) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto p = std::make_unique<Pen>();
  p->style = UINT(style);
  p->width = width < 1 ? 1 : width;
  // A wide pen draws solid whatever style was asked for, as on the original platform.
  if (p->width > 1 && style >= PS_DASH && style <= PS_DASHDOTDOT) p->style = PS_SOLID;
  p->color = color;
  return static_cast<HPEN>(Register(std::move(p)));
}

HPEN WINAPI CreatePenIndirect(const LOGPEN* lp) {
  if (!lp) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreatePen(int(lp->lopnStyle), lp->lopnWidth.x, lp->lopnColor);
}

// ---- Brushes -----------------------------------------------------------------------------------
HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  auto b = std::make_unique<Brush>();
  b->color = color;
  return static_cast<HBRUSH>(Register(std::move(b)));
}

HBRUSH WINAPI CreateHatchBrush(int hatch, COLORREF color) {
  if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto b = std::make_unique<Brush>();
  b->style = BS_HATCHED;
  b->hatch = hatch;
  b->color = color;
  return static_cast<HBRUSH>(Register(std::move(b)));
}

HBRUSH WINAPI CreatePatternBrush(HBITMAP bmp) {
  Bitmap* src = Get<Bitmap>(bmp);
  if (!src) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  auto b = std::make_unique<Brush>();
  b->style = BS_PATTERN;
  b->patWidth = src->width;
  b->patHeight = src->height;
  b->patMono = src->fmt.Mono();
  src->ReadPixels32(b->pattern);
  return static_cast<HBRUSH>(Register(std::move(b)));
}

HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  switch (lb->lbStyle) {
    case BS_SOLID:
      return CreateSolidBrush(lb->lbColor);
    case BS_NULL:
      return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    case BS_HATCHED:
      return CreateHatchBrush(int(lb->lbHatch), lb->lbColor);
    case BS_PATTERN:
      return CreatePatternBrush(reinterpret_cast<HBITMAP>(lb->lbHatch));
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

// ---- Generic object calls --------------------------------------------------------------------------
BOOL WINAPI DeleteObject(HGDIOBJ h) {
  Object* o = Lookup(h);
  if (!o || o->kind == Kind::DC || o->kind == Kind::Icon || o->kind == Kind::ImageList) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (o->stock) return TRUE;
  if (o->owned) {
    CountRefusedOwnedRegion();
    SetLastError(ERROR_BUSY);
    return FALSE;
  }
  if (o->selections > 0) {
    CountRefusedDelete();
    SetLastError(ERROR_BUSY);
    return FALSE;
  }
  Destroy(o);
  return TRUE;
}

DWORD WINAPI GetObjectType(HGDIOBJ h) {
  Object* o = Lookup(h);
  if (!o || o->kind == Kind::Icon || o->kind == Kind::ImageList) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (o->kind == Kind::DC) return static_cast<DC*>(o)->memory ? OBJ_MEMDC : OBJ_DC;
  return DWORD(o->kind);
}

namespace {

template <class S>
int CopyOut(const S& value, int size, LPVOID out) {
  if (!out) return int(sizeof(S));
  int n = size < int(sizeof(S)) ? size : int(sizeof(S));
  if (n <= 0) return 0;
  std::memcpy(out, &value, size_t(n));
  return n;
}

int GetBitmapObject(Bitmap* b, int size, LPVOID out) {
  BITMAP bm {};
  bm.bmType = 0;
  bm.bmWidth = b->width;
  bm.bmHeight = b->height;
  // A device bitmap reports rows padded to 16 bits, a DIB section its real (32-bit padded) rows.
  bm.bmWidthBytes = b->dibSection ? b->stride : StrideFor(b->width, b->fmt.bpp, 2);
  bm.bmPlanes = 1;
  bm.bmBitsPixel = WORD(b->fmt.bpp);
  bm.bmBits = b->dibSection ? b->bits.get() : nullptr;
  if (b->dibSection && out && size >= int(sizeof(DIBSECTION))) {
    DIBSECTION ds {};
    ds.dsBm = bm;
    ds.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
    ds.dsBmih.biWidth = b->width;
    ds.dsBmih.biHeight = b->topDown ? -b->height : b->height;
    ds.dsBmih.biPlanes = 1;
    ds.dsBmih.biBitCount = WORD(b->fmt.bpp);
    bool fields =
        (b->fmt.bpp == 16 || b->fmt.bpp == 32) && !(b->fmt.bpp == 32 && b->fmt.PlainBgrx()) &&
        !(b->fmt.bpp == 16 && b->fmt.masks[0] == 0x7C00 && b->fmt.masks[1] == 0x3E0 && b->fmt.masks[2] == 0x1F);
    ds.dsBmih.biCompression = fields ? BI_BITFIELDS : BI_RGB;
    ds.dsBmih.biSizeImage = DWORD(b->stride) * DWORD(b->height);
    ds.dsBmih.biClrUsed = DWORD(b->fmt.palette.size());
    for (int i = 0; i < 3; ++i) ds.dsBitfields[i] = fields ? b->fmt.masks[i] : 0;
    return CopyOut(ds, size, out);
  }
  return CopyOut(bm, size, out);
}

}  // namespace

int WINAPI GetObjectA(HGDIOBJ h, int size, LPVOID out) {
  Object* o = Lookup(h);
  if (!o) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  switch (o->kind) {
    case Kind::Pen: {
      auto* p = static_cast<Pen*>(o);
      LOGPEN lp { p->style, { p->width, 0 }, p->color };
      return CopyOut(lp, size, out);
    }
    case Kind::Brush: {
      auto* b = static_cast<Brush*>(o);
      LOGBRUSH lb { b->style, b->color, ULONG_PTR(b->hatch) };
      return CopyOut(lb, size, out);
    }
    case Kind::Font:
      return CopyOut(static_cast<Font*>(o)->lf, size, out);
    case Kind::Bitmap:
      return GetBitmapObject(static_cast<Bitmap*>(o), size, out);
    default:
      SetLastError(ERROR_INVALID_HANDLE);
      return 0;
  }
}

BOOL WINAPI UnrealizeObject(HGDIOBJ h) {
  if (!Lookup(h)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI GdiFlush() { return TRUE; }
