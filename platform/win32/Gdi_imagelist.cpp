// Image lists: equally sized images with optional masks, drawn normally, transparently, over a
// background colour, blended, as a mask, or embossed for the disabled look.

#include <algorithm>

#include "platform/win32/Gdi_private.h"
#include "platform/win32/WinGdi_imagelist.h"

namespace xj::gdi {
namespace {

struct Image {
  std::vector<uint32_t> pixels;  // cx × cy, 0x00RRGGBB
  std::vector<uint8_t> mask;     // 1 = transparent
};

struct ImageList : Object {
  static constexpr Kind kKind = Kind::ImageList;
  ImageList() : Object(Kind::ImageList) {}
  int cx { 16 };
  int cy { 16 };
  UINT flags { 0 };
  COLORREF bk { CLR_NONE };
  std::vector<Image> images;
  bool Masked() const { return flags & ILC_MASK; }
};

ImageList* ListArg(HIMAGELIST h) {
  ImageList* l = Get<ImageList>(h);
  if (!l) SetLastError(ERROR_INVALID_HANDLE);
  return l;
}

// Cuts a bitmap (and its mask) into images of the list's size, left to right.
bool Slice(ImageList& l, HBITMAP image, HBITMAP mask, std::vector<Image>& out) {
  Bitmap* b = Get<Bitmap>(image);
  if (!b) return false;
  Bitmap* m = mask ? Get<Bitmap>(mask) : nullptr;
  if (mask && !m) return false;
  std::vector<uint32_t> px, mpx;
  b->ReadPixels32(px);
  if (m) m->ReadPixels32(mpx);
  int n = std::max(1, b->width / l.cx);
  for (int k = 0; k < n; ++k) {
    Image img;
    img.pixels.assign(size_t(l.cx) * size_t(l.cy), 0);
    img.mask.assign(size_t(l.cx) * size_t(l.cy), 0);
    for (int y = 0; y < l.cy; ++y)
      for (int x = 0; x < l.cx; ++x) {
        int sx = k * l.cx + x;
        size_t at = size_t(y) * size_t(l.cx) + size_t(x);
        if (y < b->height && sx < b->width) img.pixels[at] = px[size_t(y) * size_t(b->width) + size_t(sx)];
        if (m && y < m->height && sx < m->width)
          img.mask[at] = (mpx[size_t(y) * size_t(m->width) + size_t(sx)] & 0xFFFFFF) != 0;
      }
    out.push_back(std::move(img));
  }
  return true;
}

int Append(ImageList& l, std::vector<Image>& imgs) {
  int first = int(l.images.size());
  for (Image& i : imgs) l.images.push_back(std::move(i));
  return first;
}

bool ImageFromIcon(ImageList& l, HICON icon, Image& img) {
  HBITMAP color = nullptr, mask = nullptr;
  int w = 0, h = 0;
  if (!IconBitmaps(icon, color, mask, w, h)) return false;
  Bitmap* m = Get<Bitmap>(mask);
  Bitmap* c = Get<Bitmap>(color);
  std::vector<uint32_t> mpx, cpx;
  m->ReadPixels32(mpx);
  if (c) c->ReadPixels32(cpx);
  img.pixels.assign(size_t(l.cx) * size_t(l.cy), 0);
  img.mask.assign(size_t(l.cx) * size_t(l.cy), 1);
  for (int y = 0; y < l.cy; ++y)
    for (int x = 0; x < l.cx; ++x) {
      int sx = int(int64_t(x) * w / l.cx), sy = int(int64_t(y) * h / l.cy);
      size_t at = size_t(y) * size_t(l.cx) + size_t(x);
      bool transparent = (mpx[size_t(sy) * size_t(m->width) + size_t(sx)] & 0xFFFFFF) != 0;
      uint32_t v = c ? cpx[size_t(sy) * size_t(w) + size_t(sx)] : mpx[size_t(sy + h) * size_t(m->width) + size_t(sx)];
      img.mask[at] = transparent;
      img.pixels[at] = transparent ? 0 : (v & 0xFFFFFF);
    }
  return true;
}

uint32_t Mix(uint32_t a, uint32_t b, int percentB) {
  auto ch = [&](int s) {
    int va = int((a >> s) & 0xFF), vb = int((b >> s) & 0xFF);
    return uint32_t((va * (100 - percentB) + vb * percentB) / 100) << s;
  };
  return ch(16) | ch(8) | ch(0);
}

// Paints pixel (i, j) of the image's dx × dy part for every visible pixel; paint returns false
// to leave the destination alone.
template <class Fn>
void ForEachPixel(DC& dc, int x, int y, int dx, int dy, Fn&& paint) {
  int sx = dc.SX(x), sy = dc.SY(y);
  RECT box { sx, sy, sx + dx, sy + dy };
  DrawScope ds(dc, box);
  if (ds.Empty()) return;
  int n = 0;
  const pixman_box32_t* r = ds.Clip().Rects(n);
  for (int k = 0; k < n; ++k)
    for (int py = std::max<int>(r[k].y1, box.top); py < std::min<int>(r[k].y2, box.bottom); ++py) {
      const int x0 = std::max<int>(r[k].x1, box.left), x1 = std::min<int>(r[k].x2, box.right);
      if (x0 >= x1) continue;
      uint32_t* row = ds.At(x0, py);
      for (int px = x0; px < x1; ++px) {
        uint32_t v = row[px - x0];
        if (paint(px - sx, py - sy, v)) row[px - x0] = ds.Mono() ? MonoPixel(v) : v;
      }
    }
}

}  // namespace

}  // namespace xj::gdi

using namespace xj::gdi;

HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int, int) {
  if (cx <= 0 || cy <= 0 || cx > 4096 || cy > 4096) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto l = std::make_unique<ImageList>();
  l->cx = cx;
  l->cy = cy;
  l->flags = flags;
  return static_cast<HIMAGELIST>(Register(std::move(l)));
}

BOOL WINAPI ImageList_Destroy(HIMAGELIST list) {
  ImageList* l = ListArg(list);
  if (!l) return FALSE;
  Destroy(l);
  return TRUE;
}

int WINAPI ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask) {
  ImageList* l = ListArg(list);
  std::vector<Image> imgs;
  if (!l || !Slice(*l, image, l->Masked() ? mask : nullptr, imgs)) return -1;
  return Append(*l, imgs);
}

int WINAPI ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF key) {
  ImageList* l = ListArg(list);
  std::vector<Image> imgs;
  if (!l || !Slice(*l, image, nullptr, imgs)) return -1;
  uint32_t k = ToPixel(ResolveColor(key));
  if (l->Masked())
    for (Image& img : imgs)
      for (size_t i = 0; i < img.pixels.size(); ++i)
        if ((img.pixels[i] & 0xFFFFFF) == k) {
          img.mask[i] = 1;
          img.pixels[i] = 0;
        }
  return Append(*l, imgs);
}

int WINAPI ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon) {
  ImageList* l = ListArg(list);
  Image img;
  if (!l || index < -1 || index >= int(l->images.size()) || !ImageFromIcon(*l, icon, img)) return -1;
  if (index == -1) {
    l->images.push_back(std::move(img));
    return int(l->images.size()) - 1;
  }
  l->images[size_t(index)] = std::move(img);
  return index;
}

BOOL WINAPI ImageList_Replace(HIMAGELIST list, int index, HBITMAP image, HBITMAP mask) {
  ImageList* l = ListArg(list);
  std::vector<Image> imgs;
  if (!l || index < 0 || index >= int(l->images.size()) || !Slice(*l, image, l->Masked() ? mask : nullptr, imgs))
    return FALSE;
  l->images[size_t(index)] = std::move(imgs.front());
  return TRUE;
}

BOOL WINAPI ImageList_Remove(HIMAGELIST list, int index) {
  ImageList* l = ListArg(list);
  if (!l || index < -1 || index >= int(l->images.size())) return FALSE;
  if (index == -1)
    l->images.clear();
  else
    l->images.erase(l->images.begin() + index);
  return TRUE;
}

int WINAPI ImageList_GetImageCount(HIMAGELIST list) {
  ImageList* l = ListArg(list);
  return l ? int(l->images.size()) : 0;
}

BOOL WINAPI ImageList_SetImageCount(HIMAGELIST list, UINT count) {
  ImageList* l = ListArg(list);
  if (!l || count > 65536) return FALSE;
  Image blank;
  blank.pixels.assign(size_t(l->cx) * size_t(l->cy), 0);
  blank.mask.assign(size_t(l->cx) * size_t(l->cy), 0);
  l->images.resize(count, blank);
  return TRUE;
}

BOOL WINAPI ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy) {
  ImageList* l = ListArg(list);
  if (!l || !cx || !cy) return FALSE;
  *cx = l->cx;
  *cy = l->cy;
  return TRUE;
}

BOOL WINAPI ImageList_SetIconSize(HIMAGELIST list, int cx, int cy) {
  ImageList* l = ListArg(list);
  if (!l || cx <= 0 || cy <= 0 || cx > 4096 || cy > 4096) return FALSE;
  // A new size empties the list.
  l->cx = cx;
  l->cy = cy;
  l->images.clear();
  return TRUE;
}

COLORREF WINAPI ImageList_SetBkColor(HIMAGELIST list, COLORREF bk) {
  ImageList* l = ListArg(list);
  if (!l) return CLR_NONE;
  COLORREF old = l->bk;
  l->bk = bk;
  return old;
}

COLORREF WINAPI ImageList_GetBkColor(HIMAGELIST list) {
  ImageList* l = ListArg(list);
  return l ? l->bk : CLR_NONE;
}

HIMAGELIST WINAPI ImageList_Duplicate(HIMAGELIST list) {
  ImageList* l = ListArg(list);
  if (!l) return nullptr;
  auto copy = std::make_unique<ImageList>();
  copy->cx = l->cx;
  copy->cy = l->cy;
  copy->flags = l->flags;
  copy->bk = l->bk;
  copy->images = l->images;
  return static_cast<HIMAGELIST>(Register(std::move(copy)));
}

HICON WINAPI ImageList_GetIcon(HIMAGELIST list, int index, UINT) {
  ImageList* l = ListArg(list);
  if (!l || index < 0 || index >= int(l->images.size())) return nullptr;
  const Image& img = l->images[size_t(index)];
  Bitmap* color = NewBitmap(l->cx, l->cy, PixelFormat::Default(32), false, true);
  Bitmap* mask = NewBitmap(l->cx, l->cy, PixelFormat::Default(1), false, true);
  if (!color || !mask) return nullptr;
  std::vector<uint32_t> mrow(static_cast<size_t>(l->cx));
  for (int y = 0; y < l->cy; ++y) {
    const uint32_t* src = img.pixels.data() + size_t(y) * size_t(l->cx);
    for (int x = 0; x < l->cx; ++x)
      mrow[size_t(x)] = l->Masked() && img.mask[size_t(y) * size_t(l->cx) + size_t(x)] ? kWhite : 0;
    WriteRow(color->fmt, color->Row(y), 0, l->cx, src, nullptr);
    WriteRow(mask->fmt, mask->Row(y), 0, l->cx, mrow.data(), nullptr);
  }
  ICONINFO info { TRUE, 0, 0, HandleOf(mask), HandleOf(color) };
  HICON icon = CreateIconIndirect(&info);
  Destroy(color);
  Destroy(mask);
  return icon;
}

BOOL WINAPI ImageList_DrawEx(HIMAGELIST list, int index, HDC hdc, int x, int y, int dx, int dy, COLORREF bk,
                             COLORREF fg, UINT style) {
  ImageList* l = ListArg(list);
  DC* dc = GetDC(hdc);
  if (!l || !dc || index < 0 || index >= int(l->images.size())) return FALSE;
  const Image& img = l->images[size_t(index)];
  int w = dx > 0 ? std::min(dx, l->cx) : l->cx, h = dy > 0 ? std::min(dy, l->cy) : l->cy;
  if (bk == CLR_DEFAULT) bk = l->bk;
  bool transparent = (style & ILD_TRANSPARENT) || bk == CLR_NONE;
  uint32_t bkPixel = ToPixel(ResolveColor(bk));
  int blend = (style & ILD_BLEND50) ? 50 : (style & ILD_BLEND25) ? 25 : 0;
  uint32_t fgPixel = ToPixel(ResolveColor(fg == CLR_DEFAULT || fg == CLR_NONE ? GetSysColor(COLOR_HIGHLIGHT) : fg));
  bool masked = l->Masked();
  ForEachPixel(*dc, x, y, w, h, [&](int i, int j, uint32_t& v) {
    size_t at = size_t(j) * size_t(l->cx) + size_t(i);
    bool hole = masked && img.mask[at];
    if (style & ILD_MASK) {
      v = hole ? kWhite : 0;
      return true;
    }
    if (hole) {
      if (transparent) return false;
      v = bkPixel;
      return true;
    }
    v = blend ? Mix(img.pixels[at], fgPixel, blend) : img.pixels[at];
    return true;
  });
  return TRUE;
}

BOOL WINAPI ImageList_Draw(HIMAGELIST list, int index, HDC hdc, int x, int y, UINT style) {
  return ImageList_DrawEx(list, index, hdc, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, style);
}

BOOL xj::ImageListDrawDisabled(HIMAGELIST list, int index, HDC hdc, int x, int y) {
  ImageList* l = ListArg(list);
  DC* dc = GetDC(hdc);
  if (!l || !dc || index < 0 || index >= int(l->images.size())) return FALSE;
  const Image& img = l->images[size_t(index)];
  bool masked = l->Masked();
  for (auto [ox, color] : { std::pair<int, int> { 1, COLOR_BTNHIGHLIGHT }, { 0, COLOR_BTNSHADOW } }) {
    uint32_t p = ToPixel(GetSysColor(color));
    ForEachPixel(*dc, x + ox, y + ox, l->cx, l->cy, [&](int i, int j, uint32_t& v) {
      if (masked && img.mask[size_t(j) * size_t(l->cx) + size_t(i)]) return false;
      v = p;
      return true;
    });
  }
  return TRUE;
}
