// Icons and cursors (a colour bitmap and an AND mask, or a monochrome AND/XOR pair), the system
// icons and cursors drawn in code, and bitmap resources.

#include <strings.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>

#include "platform/win32/BmpCodec.h"
#include "platform/win32/Gdi_private.h"
#include "platform/win32/WinBase.h"

namespace xj::gdi {
namespace {

struct Icon : Object {
  static constexpr Kind kKind = Kind::Icon;
  Icon() : Object(Kind::Icon) {}
  ~Icon() override {
    for (HBITMAP b : { color, mask })
      if (Bitmap* bm = Get<Bitmap>(b)) Destroy(bm);
  }
  bool isIcon { true };
  int hotX { 0 };
  int hotY { 0 };
  int width { 0 };
  int height { 0 };
  HBITMAP color { nullptr };  // null: a monochrome icon whose mask holds AND above XOR
  HBITMAP mask { nullptr };
};

// A copy of a bitmap in its own format, stretched by nearest neighbour when a size is given;
// an icon's own copies are not counted as objects.
HBITMAP CopyBitmap(HBITMAP src, int w = 0, int h = 0, bool counted = true) {
  Bitmap* b = Get<Bitmap>(src);
  if (!b) return nullptr;
  if (w <= 0) w = b->width;
  if (h <= 0) h = b->height;
  Bitmap* c = NewBitmap(w, h, b->fmt, false, true, counted);
  if (!c) return nullptr;
  std::vector<uint32_t> px;
  b->ReadPixels32(px);
  std::vector<uint32_t> row(static_cast<size_t>(w));
  PaletteMatcher m(c->fmt.palette);
  for (int y = 0; y < h; ++y) {
    int sy = int(int64_t(y) * b->height / h);
    for (int x = 0; x < w; ++x) row[size_t(x)] = px[size_t(sy) * size_t(b->width) + size_t(int64_t(x) * b->width / w)];
    WriteRow(c->fmt, c->Row(y), 0, w, row.data(), &m);
  }
  return HandleOf(c);
}

HICON NewIcon(std::unique_ptr<Icon> icon) { return static_cast<HICON>(Register(std::move(icon))); }

// A picture given as rows of characters: 'B' black, 'W' white, anything else transparent.
struct Art {
  std::vector<const char*> rows;
  int hotX, hotY;
};

// Monochrome 32 × 32 cursor from art: mask 32 × 64, AND half above the XOR half.
std::unique_ptr<Icon> CursorFromArt(const Art& art, int offsetX, int offsetY) {
  auto icon = std::make_unique<Icon>();
  icon->isIcon = false;
  icon->width = icon->height = 32;
  icon->hotX = art.hotX + offsetX;
  icon->hotY = art.hotY + offsetY;
  Bitmap* mask = NewBitmap(32, 64, PixelFormat::Default(1), false, true, false);
  std::vector<uint32_t> andRow(32), xorRow(32);
  for (int y = 0; y < 32; ++y) {
    std::fill(andRow.begin(), andRow.end(), kWhite);
    std::fill(xorRow.begin(), xorRow.end(), 0u);
    int ay = y - offsetY;
    if (ay >= 0 && ay < int(art.rows.size()))
      for (int x = offsetX, i = 0; art.rows[size_t(ay)][i] && x < 32; ++x, ++i) {
        char ch = art.rows[size_t(ay)][i];
        if (ch == 'B' || ch == 'W') andRow[size_t(x)] = 0;
        if (ch == 'W') xorRow[size_t(x)] = kWhite;
      }
    WriteRow(mask->fmt, mask->Row(y), 0, 32, andRow.data(), nullptr);
    WriteRow(mask->fmt, mask->Row(32 + y), 0, 32, xorRow.data(), nullptr);
  }
  icon->mask = HandleOf(mask);
  icon->stock = true;
  return icon;
}

const Art kArrow { { "B", "BB", "BWB", "BWWB", "BWWWB", "BWWWWB", "BWWWWWB", "BWWWWWWB", "BWWWWWWWB", "BWWWWWWWWB",
                     "BWWWWWBBBBB", "BWWBWWB", "BWB.BWWB", "BB..BWWB", "B....BWWB", ".....BWWB", "......BWWB",
                     "......BWWB", ".......BB" },
                   0,
                   0 };
const Art kIBeam { { "BBB.BBB", "...B...", "...B...", "...B...", "...B...", "...B...", "...B...", "...B...", "...B...",
                     "...B...", "...B...", "...B...", "...B...", "...B...", "...B...", "BBB.BBB" },
                   3,
                   8 };
const Art kCross { { "....B....", "....B....", "....B....", "....B....", "BBBBBBBBB", "....B....", "....B....",
                     "....B....", "....B...." },
                   4,
                   4 };
const Art kWait { { "BBBBBBBBBBB", "BWWWWWWWWWB", ".BWWWWWWWB.", "..BWWWWWB..", "...BWWWB...", "....BWB.....",
                    "...BWWWB...", "..BWWWWWB..", ".BWWWWWWWB.", "BWWWWWWWWWB", "BBBBBBBBBBB" },
                  5,
                  5 };
const Art kSizeWE { { "..B.......B..", ".BB.......BB.", "BWBBBBBBBBBWB", ".BB.......BB.", "..B.......B.." }, 6, 2 };
const Art kSizeNS {
  { "..B..", ".BWB.", "BBBBB", "..B..", "..B..", "..B..", "..B..", "..B..", "BBBBB", ".BWB.", "..B.." }, 2, 5
};
const Art kSizeNWSE { { "BBBB.....", "BWB......", "BB.B.....", "B...B....", "....B....", "....B...B", ".....B.BB",
                        "......BWB", ".....BBBB" },
                      4,
                      4 };
const Art kSizeNESW { { ".....BBBB", "......BWB", ".....B.BB", "....B...B", "....B....", "B...B....", "BB.B.....",
                        "BWB......", "BBBB....." },
                      4,
                      4 };
const Art kNo {
  { "..BBBBB..", ".B.....B.", "B....B..B", "B...B...B", "B..B....B", "B.B.....B", ".B.....B.", "..BBBBB.." }, 4, 4
};

HICON SystemCursor(int id) {
  static std::mutex lock;
  static std::map<int, HICON> made;
  std::lock_guard<std::mutex> g(lock);
  if (auto it = made.find(id); it != made.end()) return it->second;
  const Art* art = &kArrow;
  int ox = 0, oy = 0;
  switch (id) {
    case 32512:  // arrow
    case 32516:  // up arrow
    case 32649:  // hand
    case 32650:  // app starting
    case 32651:  // help
      break;
    case 32513:
      art = &kIBeam, ox = 12, oy = 8;
      break;
    case 32514:
      art = &kWait, ox = 10, oy = 10;
      break;
    case 32515:
      art = &kCross, ox = 12, oy = 12;
      break;
    case 32642:
      art = &kSizeNWSE, ox = 12, oy = 12;
      break;
    case 32643:
      art = &kSizeNESW, ox = 12, oy = 12;
      break;
    case 32644:
      art = &kSizeWE, ox = 10, oy = 14;
      break;
    case 32645:
    case 32646:
      art = &kSizeNS, ox = 14, oy = 10;
      break;
    case 32648:
      art = &kNo, ox = 12, oy = 12;
      break;
    default:
      return nullptr;
  }
  HICON h = NewIcon(CursorFromArt(*art, ox, oy));
  made.emplace(id, h);
  return h;
}

// The system icons: simple 32 × 32 colour pictures with a mask.
HICON SystemIcon(int id) {
  static std::mutex lock;
  static std::map<int, HICON> made;
  std::lock_guard<std::mutex> g(lock);
  if (auto it = made.find(id); it != made.end()) return it->second;
  if (id < 32512 || id > 32517) return nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  Bitmap* color = NewBitmap(32, 32, PixelFormat::Default(32), false, true, false);
  Bitmap* mask = NewBitmap(32, 32, PixelFormat::Default(1), false, true, false);
  HGDIOBJ old = SelectObject(dc, HandleOf(mask));
  // The mask: black (opaque) shape on white.
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  SelectObject(dc, GetStockObject(BLACK_PEN));
  POINT tri[] = { { 16, 1 }, { 31, 30 }, { 1, 30 } };
  switch (id) {
    case 32512:
    case 32517:
      Rectangle(dc, 2, 4, 30, 28);
      break;
    case 32515:
      Polygon(dc, tri, 3);
      break;
    default:
      Ellipse(dc, 1, 1, 31, 31);
  }
  SelectObject(dc, HandleOf(color));
  RECT all { 0, 0, 32, 32 };
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  COLORREF fill = id == 32513 ? RGB(255, 0, 0) : id == 32515 ? RGB(255, 255, 0) : RGB(0, 0, 255);
  HBRUSH brush = CreateSolidBrush(fill);
  SelectObject(dc, brush);
  switch (id) {
    case 32512:
    case 32517: {
      SelectObject(dc, GetStockObject(WHITE_BRUSH));
      Rectangle(dc, 2, 4, 30, 28);
      RECT title { 3, 5, 29, 10 };
      FillRect(dc, &title, brush);
      break;
    }
    case 32515:
      Polygon(dc, tri, 3);
      break;
    default:
      Ellipse(dc, 1, 1, 31, 31);
  }
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  SelectObject(dc, old);
  DeleteObject(brush);
  DeleteDC(dc);
  auto icon = std::make_unique<Icon>();
  icon->width = icon->height = 32;
  icon->hotX = icon->hotY = 16;
  icon->color = HandleOf(color);
  icon->mask = HandleOf(mask);
  icon->stock = true;
  HICON h = NewIcon(std::move(icon));
  made.emplace(id, h);
  return h;
}

struct Resources {
  std::mutex lock;
  std::map<std::string, std::vector<uint8_t>> bitmaps;
};

Resources& Res() {
  static Resources* r = new Resources;
  return *r;
}

std::string ResourceKey(const char* name) {
  if (IS_INTRESOURCE(name)) return std::string(1, '#') += std::to_string(uintptr_t(name));
  std::string k = name;
  for (char& c : k)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return k;
}

HBITMAP BitmapFromFileBytes(const std::vector<uint8_t>& bytes) {
  xj::bmp::Dib dib;
  if (!xj::bmp::Read(bytes.data(), bytes.size(), dib).Ok || dib.Empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return xj::bmp::CreateBitmapFromDib(dib);
}

}  // namespace

void RegisterBitmapResource(const std::string& name, const uint8_t* bmpFile, size_t size) {
  std::lock_guard<std::mutex> g(Res().lock);
  Res().bitmaps[ResourceKey(name.c_str())] = std::vector<uint8_t>(bmpFile, bmpFile + size);
}

const std::vector<uint8_t>* FindBitmapResource(const char* name) {
  std::lock_guard<std::mutex> g(Res().lock);
  auto it = Res().bitmaps.find(ResourceKey(name));
  return it == Res().bitmaps.end() ? nullptr : &it->second;
}

// Icon access for the image lists.
bool IconBitmaps(HICON h, HBITMAP& color, HBITMAP& mask, int& w, int& hgt) {
  Icon* i = Get<Icon>(h);
  if (!i) return false;
  color = i->color;
  mask = i->mask;
  w = i->width;
  hgt = i->height;
  return true;
}

}  // namespace xj::gdi

using namespace xj::gdi;

HICON WINAPI CreateIconIndirect(const ICONINFO* info) {
  if (!info || !Get<Bitmap>(info->hbmMask) || (info->hbmColor && !Get<Bitmap>(info->hbmColor))) {
    SetLastError(info ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Bitmap* m = Get<Bitmap>(info->hbmMask);
  auto icon = std::make_unique<Icon>();
  icon->isIcon = info->fIcon != FALSE;
  if (info->hbmColor) {
    Bitmap* c = Get<Bitmap>(info->hbmColor);
    icon->width = c->width;
    icon->height = c->height;
    icon->color = CopyBitmap(info->hbmColor, 0, 0, false);
  } else {
    icon->width = m->width;
    icon->height = m->height / 2;
  }
  icon->mask = CopyBitmap(info->hbmMask, 0, 0, false);
  icon->hotX = icon->isIcon ? icon->width / 2 : int(info->xHotspot);
  icon->hotY = icon->isIcon ? icon->height / 2 : int(info->yHotspot);
  return NewIcon(std::move(icon));
}

BOOL WINAPI GetIconInfo(HICON h, PICONINFO info) {
  Icon* i = Get<Icon>(h);
  if (!i || !info) {
    SetLastError(i ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  info->fIcon = i->isIcon;
  info->xHotspot = DWORD(i->hotX);
  info->yHotspot = DWORD(i->hotY);
  info->hbmMask = CopyBitmap(i->mask);
  info->hbmColor = i->color ? CopyBitmap(i->color) : nullptr;
  return TRUE;
}

BOOL WINAPI DestroyIcon(HICON h) {
  Icon* i = Get<Icon>(h);
  if (!i) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!i->stock) Destroy(i);  // the shared system images stay
  return TRUE;
}

BOOL WINAPI DestroyCursor(HCURSOR h) { return DestroyIcon(h); }

HANDLE WINAPI CopyImage(HANDLE h, UINT type, int w, int h2, UINT flags) {
  HANDLE out = nullptr;
  if (type == IMAGE_BITMAP) {
    out = CopyBitmap(static_cast<HBITMAP>(h), w, h2);
  } else if (type == IMAGE_ICON || type == IMAGE_CURSOR) {
    Icon* i = Get<Icon>(h);
    if (!i) {
      SetLastError(ERROR_INVALID_HANDLE);
      return nullptr;
    }
    int nw = w > 0 ? w : i->width, nh = h2 > 0 ? h2 : i->height;
    auto icon = std::make_unique<Icon>();
    icon->isIcon = i->isIcon;
    icon->width = nw;
    icon->height = nh;
    icon->hotX = int(int64_t(i->hotX) * nw / std::max(1, i->width));
    icon->hotY = int(int64_t(i->hotY) * nh / std::max(1, i->height));
    icon->color = i->color ? CopyBitmap(i->color, nw, nh, false) : nullptr;
    icon->mask = CopyBitmap(i->mask, nw, i->color ? nh : 2 * nh, false);
    out = NewIcon(std::move(icon));
  } else {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (out && (flags & LR_COPYDELETEORG)) {
    if (type == IMAGE_BITMAP)
      DeleteObject(h);
    else
      DestroyIcon(static_cast<HICON>(h));
  }
  return out;
}

HICON WINAPI CopyIcon(HICON icon) { return static_cast<HICON>(CopyImage(icon, IMAGE_ICON, 0, 0, 0)); }

BOOL WINAPI DrawIconEx(HDC hdc, int x, int y, HICON h, int w, int hgt, UINT, HBRUSH, UINT flags) {
  DC* dc = GetDC(hdc);
  Icon* i = Get<Icon>(h);
  if (!dc || !i) {
    if (dc) SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (w <= 0) w = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(i->isIcon ? SM_CXICON : SM_CXCURSOR) : i->width;
  if (hgt <= 0) hgt = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(i->isIcon ? SM_CYICON : SM_CYCURSOR) : i->height;
  HDC mem = CreateCompatibleDC(hdc);
  // Monochrome sources map 0 to the text colour and 1 to the background: black and white here.
  COLORREF oldText = SetTextColor(hdc, RGB(0, 0, 0)), oldBk = SetBkColor(hdc, RGB(255, 255, 255));
  HGDIOBJ old = SelectObject(mem, i->mask);
  if (flags & DI_MASK)
    StretchBlt(hdc, x, y, w, hgt, mem, 0, 0, i->width, i->height, (flags & DI_IMAGE) ? SRCAND : SRCCOPY);
  if (flags & DI_IMAGE) {
    DWORD rop = (flags & DI_MASK) ? SRCINVERT : SRCCOPY;
    if (i->color) {
      SelectObject(mem, i->color);
      StretchBlt(hdc, x, y, w, hgt, mem, 0, 0, i->width, i->height, rop);
    } else {
      StretchBlt(hdc, x, y, w, hgt, mem, 0, i->height, i->width, i->height, rop);
    }
  }
  SelectObject(mem, old);
  SetTextColor(hdc, oldText);
  SetBkColor(hdc, oldBk);
  DeleteDC(mem);
  return TRUE;
}

BOOL WINAPI DrawIcon(HDC hdc, int x, int y, HICON icon) {
  return DrawIconEx(hdc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
}

HICON WINAPI LoadIconA(HINSTANCE inst, LPCSTR name) {
  HICON h = !inst && IS_INTRESOURCE(name) ? SystemIcon(int(uintptr_t(name))) : nullptr;
  if (!h) SetLastError(ERROR_FILE_NOT_FOUND);
  return h;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE inst, LPCSTR name) {
  HCURSOR h = !inst && IS_INTRESOURCE(name) ? SystemCursor(int(uintptr_t(name))) : nullptr;
  if (!h) SetLastError(ERROR_FILE_NOT_FOUND);
  return h;
}

HBITMAP WINAPI LoadBitmapA(HINSTANCE, LPCSTR name) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const std::vector<uint8_t>* bytes = FindBitmapResource(name);
  if (!bytes) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  return BitmapFromFileBytes(*bytes);
}

HANDLE WINAPI LoadImageA(HINSTANCE inst, LPCSTR name, UINT type, int w, int h, UINT flags) {
  HANDLE out = nullptr;
  switch (type) {
    case IMAGE_BITMAP:
      if ((flags & LR_LOADFROMFILE) && name && !IS_INTRESOURCE(name)) {
        std::ifstream f(xj::PathToHost(name), std::ios::binary);
        if (!f) {
          SetLastError(ERROR_FILE_NOT_FOUND);
          return nullptr;
        }
        out = BitmapFromFileBytes(std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {}));
      } else {
        out = LoadBitmapA(inst, name);
      }
      break;
    case IMAGE_ICON:
      out = LoadIconA(inst, name);
      break;
    case IMAGE_CURSOR:
      out = LoadCursorA(inst, name);
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
  if (out && (w > 0 || h > 0) && type != IMAGE_CURSOR) {
    HANDLE sized = CopyImage(out, type, w, h, 0);
    if (type == IMAGE_BITMAP) DeleteObject(out);
    out = sized;
  }
  return out;
}
