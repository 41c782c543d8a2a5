#include "platform/display/TrayStrip.h"

#include <algorithm>

namespace xj::display {

namespace {

constexpr int kIcon = 16;
constexpr int kCell = 20;  // icon plus 2 px either side
constexpr int kBorder = 2;
constexpr int kHeight = 22;
constexpr uint32_t kFace = 0xC0C0C0, kShadow = 0x808080, kHighlight = 0xFFFFFF;

void Put(Image& target, int x, int y, uint32_t c) {
  if (x >= 0 && y >= 0 && x < target.width && y < target.height) target.At(x, y) = c;
}

}  // namespace

Image ScaleTrayPicture(const Image& picture, int w, int h) {
  Image out(w, h, 0);
  if (picture.Empty() || out.Empty()) return out;
  for (int y = 0; y < out.height; ++y) {
    int y0 = int(int64_t(y) * picture.height / h), y1 = std::max(y0 + 1, int(int64_t(y + 1) * picture.height / h));
    for (int x = 0; x < out.width; ++x) {
      int x0 = int(int64_t(x) * picture.width / w), x1 = std::max(x0 + 1, int(int64_t(x + 1) * picture.width / w));
      uint64_t a = 0, r = 0, g = 0, b = 0;
      for (int sy = y0; sy < y1; ++sy)
        for (int sx = x0; sx < x1; ++sx) {
          uint32_t p = picture.At(sx, sy), pa = p >> 24;
          a += pa;
          r += pa * (p >> 16 & 0xFF);
          g += pa * (p >> 8 & 0xFF);
          b += pa * (p & 0xFF);
        }
      if (a == 0) continue;
      uint64_t n = uint64_t(x1 - x0) * uint64_t(y1 - y0);
      out.At(x, y) = uint32_t((a + n / 2) / n) << 24 | uint32_t((r + a / 2) / a) << 16 |
                     uint32_t((g + a / 2) / a) << 8 | uint32_t((b + a / 2) / a);
    }
  }
  return out;
}

Image FitTrayPicture(const Image& picture, int w, int h) {
  Image slot(w, h, 0);
  if (picture.Empty() || slot.Empty()) return slot;
  int fw = w, fh = h;
  if (int64_t(picture.width) * h > int64_t(picture.height) * w)
    fh = std::max(1, int(int64_t(picture.height) * w / picture.width));
  else
    fw = std::max(1, int(int64_t(picture.width) * h / picture.height));
  Image fitted = ScaleTrayPicture(picture, fw, fh);
  const int ox = (w - fw) / 2, oy = (h - fh) / 2;
  for (int y = 0; y < fh; ++y) std::copy_n(fitted.Row(y), fw, slot.Row(oy + y) + ox);
  return slot;
}

SIZE TrayStripSize(size_t count) {
  if (count == 0) return { 0, 0 };
  return { LONG(2 * kBorder + kCell * count), kHeight };
}

RECT TrayStripPlace(SIZE screen, const RECT& work, size_t count, bool useTaskbarBand) {
  SIZE s = TrayStripSize(count);
  if (count == 0) return {};
  LONG band = screen.cy - work.bottom;
  if (useTaskbarBand && band >= kHeight) {
    LONG top = work.bottom + (band - kHeight) / 2;
    return { screen.cx - 2 - s.cx, top, screen.cx - 2, top + s.cy };
  }
  return { work.right - 2 - s.cx, work.bottom - 2 - s.cy, work.right - 2, work.bottom - 2 };
}

RECT TrayIconRectIn(const RECT& strip, size_t index) {
  LONG left = strip.left + kBorder + LONG(index) * kCell + (kCell - kIcon) / 2;
  LONG top = strip.top + (kHeight - kIcon) / 2;
  return { left, top, left + kIcon, top + kIcon };
}

int TrayIconIndexAt(const RECT& strip, size_t count, POINT pt) {
  // The whole cell answers, so the gaps between icons do not swallow clicks.
  if (pt.y < strip.top || pt.y >= strip.bottom) return -1;
  LONG x = pt.x - strip.left - kBorder;
  if (x < 0) return -1;
  size_t index = size_t(x / kCell);
  return index < count ? int(index) : -1;
}

void PaintTrayStrip(Image& target, POINT origin, const std::vector<TrayIcon>& icons) {
  SIZE s = TrayStripSize(icons.size());
  for (int y = 0; y < s.cy; ++y)
    for (int x = 0; x < s.cx; ++x) {
      uint32_t c = kFace;
      if (y == 0 || x == 0) c = kShadow;
      if (y == s.cy - 1 || x == s.cx - 1) c = kHighlight;
      Put(target, origin.x + x, origin.y + y, c);
    }
  RECT strip { origin.x, origin.y, origin.x + s.cx, origin.y + s.cy };
  for (size_t i = 0; i < icons.size(); ++i) {
    RECT r = TrayIconRectIn(strip, i);
    Image small = FitTrayPicture(icons[i].picture, kIcon, kIcon);
    for (int y = 0; y < kIcon; ++y)
      for (int x = 0; x < kIcon; ++x) {
        int tx = r.left + x, ty = r.top + y;
        if (tx < 0 || ty < 0 || tx >= target.width || ty >= target.height) continue;
        uint32_t p = small.At(x, y);
        target.At(tx, ty) = BlendPixel(p, target.At(tx, ty), p >> 24);
      }
  }
}

}  // namespace xj::display
