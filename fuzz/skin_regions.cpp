// Fuzzes the mask scan, the resized window regions and the effect bitmap's block operations with
// arbitrary sizes, pixels and geometry: nothing may crash or overrun, and a mask's region must hold
// exactly its black pixels.

#include <cstdlib>
#include <cstring>

#include "platform/vcl/Graphics.h"
#include "skin/data/bsEffects.h"
#include "skin/data/bsUtils.h"

namespace {

struct Input {
  const uint8_t* p;
  size_t n;
  int Byte() {
    if (!n) return 0;
    --n;
    return *p++;
  }
  int Small(int lo, int hi) { return lo + Byte() % (hi - lo + 1); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in { data, size };
  const int w = in.Small(1, 40), h = in.Small(1, 40);
  TBitmap mask;
  mask.SetPixelFormat(in.Byte() % 2 ? pf24bit : pf32bit);
  mask.SetSize(w, h);
  std::vector<bool> black(size_t(w * h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool b = in.Byte() % 3 == 0;
      black[size_t(y * w + x)] = b;
      mask.Canvas()->SetPixels(x, y, b ? clBlack : TColor(in.Byte() + 1));
    }

  HRGN rgn = nullptr;
  CreateSkinSimplyRegion(rgn, &mask);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (bool(rgn && PtInRegion(rgn, x, y)) != black[size_t(y * w + x)]) std::abort();
  if (rgn) DeleteObject(rgn);

  auto pt = [&] { return TPoint(in.Small(-3, 44), in.Small(-3, 44)); };
  auto rc = [&] { return TRect(in.Small(-3, 44), in.Small(-3, 44), in.Small(-3, 44), in.Small(-3, 44)); };
  const TPoint lt = pt(), rt = pt(), lb = pt(), rb = pt(), nlt = pt(), nrt = pt(), nlb = pt(), nrb = pt();
  const TRect cl = rc(), ncl = rc();
  const int nw = in.Small(-2, 90), nh = in.Small(-2, 90);
  CreateSkinRegion(rgn, lt, rt, lb, rb, cl, nlt, nrt, nlb, nrb, ncl, &mask, nw, nh);
  if (rgn) DeleteObject(rgn);
  TBitmap face;
  CreateSkinImage(lt, rt, lb, rb, cl, nlt, nrt, nlb, nrb, ncl, &face, &mask, rc(), nw, nh, true);

  TbsEffectBmp a(w, h), b(in.Small(0, 40), in.Small(0, 40));
  const TRect r = rc();
  a.CopyRect(b, r, in.Small(-40, 40), in.Small(-40, 40));
  a.MorphRect(b, in.Byte() / 255.0, r, in.Small(-40, 40), in.Small(-40, 40));
  a.SplitBlur(in.Small(-50, 50));
  a.Mosaic(in.Small(-2, 50));
  TbsEffectBmp rot(in.Small(0, 40), in.Small(0, 40));
  a.Rotate90_1(rot);
  a.Rotate90_2(rot);
  a.Resize(rot);
  return 0;
}
