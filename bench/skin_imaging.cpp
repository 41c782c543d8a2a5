// Skin imaging beside its references: a full-screen face against a plain memcpy of the same bytes,
// window regions from masks against a per-row union of runs in pixman, and one hover-morph step of the
// effect bitmap on a caption and on a whole frame (the morph timer ticks every 20 ms).

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/vcl/Graphics.h"
#include "skin/data/bsEffects.h"
#include "skin/data/bsUtils.h"

namespace {

constexpr int kW = 1920, kH = 1080;

template <class F>
std::unique_ptr<TBitmap> Picture(int w, int h, TPixelFormat format, F f) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(format);
  b->SetSize(w, h);
  const int bytes = format == pf24bit ? 3 : 4;
  for (int y = 0; y < h; ++y) {
    auto* row = static_cast<uint8_t*>(b->ScanLine(y));
    for (int x = 0; x < w; ++x) {
      const uint32_t c = f(x, y);
      std::memcpy(row + bytes * x, &c, size_t(bytes));
    }
  }
  return b;
}

// ---- Faces -----------------------------------------------------------------------------------------------

// A 200 x 150 form frame at (10, 10) of a skin picture: caption 30 high, borders of 8, L-shaped corners,
// a client of 184 x 112 that is tiled too.
struct FrameSkin {
  TRect srcRect { 10, 10, 210, 160 };
  TPoint lt { 40, 38 }, rt { 160, 38 }, lb { 40, 130 }, rb { 160, 130 };
  TRect cl { 8, 30, 192, 142 };
};

void BuildFrame(const FrameSkin& s, TBitmap* dest, TBitmap* src, int w, int h) {
  const int dx = w - 200, dy = h - 150;
  CreateSkinImage(s.lt, s.rt, s.lb, s.rb, s.cl, s.lt, TPoint(s.rt.X + dx, s.rt.Y), TPoint(s.lb.X, s.lb.Y + dy),
                  TPoint(s.rb.X + dx, s.rb.Y + dy), TRect(s.cl.Left, s.cl.Top, s.cl.Right + dx, s.cl.Bottom + dy), dest,
                  src, s.srcRect, w, h, true);
}

void BM_CreateSkinImageFullScreen(benchmark::State& state) {
  const TPixelFormat format = state.range(0) == 24 ? pf24bit : pf32bit;
  auto skin = Picture(220, 170, format, [](int x, int y) { return uint32_t(x * 7 ^ y * 13) & 0xFFFFFF; });
  FrameSkin s;
  TBitmap dest;
  dest.SetSize(kW, kH);
  for (auto _ : state) {
    BuildFrame(s, &dest, skin.get(), kW, kH);
    benchmark::DoNotOptimize(dest.ScanLine(0));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kW * kH * 4);
  state.SetLabel(format == pf24bit ? "24-bit skin" : "32-bit skin");
}
BENCHMARK(BM_CreateSkinImageFullScreen)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond);

// The reference: the same number of output bytes moved by memcpy.
void BM_MemcpyFullScreen(benchmark::State& state) {
  std::vector<uint32_t> a(size_t(kW) * kH, 0x123456), b(size_t(kW) * kH);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size() * 4);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kW * kH * 4);
}
BENCHMARK(BM_MemcpyFullScreen)->Unit(benchmark::kMillisecond);

// A worst case for the tile count: a 10 x 10 client tiled over the whole screen.
void BM_CreateSkinImageSmallTiles(benchmark::State& state) {
  auto skin = Picture(30, 30, pf24bit, [](int x, int y) { return uint32_t(x * 5 + y * 9) & 0xFFFFFF; });
  const TRect cl(10, 10, 20, 20);
  TBitmap dest;
  for (auto _ : state) {
    CreateSkinImage(TPoint(10, 10), TPoint(20, 10), TPoint(10, 20), TPoint(20, 20), cl, TPoint(10, 10),
                    TPoint(kW - 10, 10), TPoint(10, kH - 10), TPoint(kW - 10, kH - 10), TRect(10, 10, kW - 10, kH - 10),
                    &dest, skin.get(), TRect(0, 0, 30, 30), kW, kH, true);
    benchmark::DoNotOptimize(dest.ScanLine(0));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kW * kH * 4);
}
BENCHMARK(BM_CreateSkinImageSmallTiles)->Unit(benchmark::kMillisecond);

// ---- Regions ---------------------------------------------------------------------------------------------

// Black with 6 x 6 holes every 24 pixels (rows of holes shifted by half a step) and a hole in every
// 7th pixel of each 97th row: about 3,600 holes and 25,000 runs.
bool Hole(int x, int y) {
  const int shift = (y / 24) % 2 ? 12 : 0;
  return ((x + shift) % 24 < 6 && y % 24 < 6) || (y % 97 == 50 && x % 7 == 0);
}

std::unique_ptr<TBitmap> HoleMask() {
  return Picture(kW, kH, pf32bit, [](int x, int y) { return Hole(x, y) ? 0xFFFFFFu : 0u; });
}

// The straightforward way: scan each row of a 32-bit mask for its runs and unite that row's region into
// the whole with pixman.
pixman_region32_t UnionOfRows(TBitmap* mask) {
  pixman_region32_t all;
  pixman_region32_init(&all);
  std::vector<pixman_box32_t> boxes;
  const int w = mask->Width();
  for (int y = 0; y < mask->Height(); ++y) {
    const auto* p = static_cast<const uint32_t*>(mask->ScanLine(y));
    boxes.clear();
    for (int x = 0; x < w;) {
      if (p[x] & 0xFFFFFF) {
        ++x;
        continue;
      }
      int e = x + 1;
      while (e < w && !(p[e] & 0xFFFFFF)) ++e;
      boxes.push_back(pixman_box32_t { x, y, e, y + 1 });
      x = e;
    }
    if (boxes.empty()) continue;
    pixman_region32_t row;
    pixman_region32_init_rects(&row, boxes.data(), int(boxes.size()));
    pixman_region32_union(&all, &all, &row);
    pixman_region32_fini(&row);
  }
  return all;
}

void BM_CreateSkinSimplyRegionHoles(benchmark::State& state) {
  auto mask = HoleMask();
  for (auto _ : state) {
    HRGN rgn = nullptr;
    CreateSkinSimplyRegion(rgn, mask.get());
    benchmark::DoNotOptimize(rgn);
    DeleteObject(rgn);
  }
  RGNDATA* data = nullptr;
  state.counters["runs"] = double((CreateRgnFromBmp(mask.get(), 0, 0, data) - 32) / 16);
  std::free(data);
}
BENCHMARK(BM_CreateSkinSimplyRegionHoles)->Unit(benchmark::kMillisecond);

void BM_PixmanUnionOfRowsHoles(benchmark::State& state) {
  auto mask = HoleMask();
  for (auto _ : state) {
    pixman_region32_t r = UnionOfRows(mask.get());
    benchmark::DoNotOptimize(pixman_region32_n_rects(&r));
    pixman_region32_fini(&r);
  }
}
BENCHMARK(BM_PixmanUnionOfRowsHoles)->Unit(benchmark::kMillisecond);

// A 200 x 150 frame mask whose borders are full of holes, shaped to a full-screen window.
bool FrameHole(int x, int y) {
  const bool border = x < 8 || x >= 192 || y < 30 || y >= 142;
  return border ? (x * 3 + y) % 5 == 0 : true;
}

void BM_CreateSkinRegionFullScreen(benchmark::State& state) {
  auto mask = Picture(200, 150, pf32bit, [](int x, int y) { return FrameHole(x, y) ? 0xFFFFFFu : 0u; });
  FrameSkin s;
  const int dx = kW - 200, dy = kH - 150;
  for (auto _ : state) {
    HRGN rgn = nullptr;
    CreateSkinRegion(rgn, s.lt, s.rt, s.lb, s.rb, s.cl, s.lt, TPoint(s.rt.X + dx, s.rt.Y), TPoint(s.lb.X, s.lb.Y + dy),
                     TPoint(s.rb.X + dx, s.rb.Y + dy), TRect(s.cl.Left, s.cl.Top, s.cl.Right + dx, s.cl.Bottom + dy),
                     mask.get(), kW, kH);
    benchmark::DoNotOptimize(rgn);
    DeleteObject(rgn);
  }
}
BENCHMARK(BM_CreateSkinRegionFullScreen)->Unit(benchmark::kMillisecond);

// The reference scans the already resized full-screen mask (client black) row by row.
void BM_PixmanUnionOfRowsFrame(benchmark::State& state) {
  auto small = Picture(200, 150, pf32bit, [](int x, int y) {
    const bool client = x >= 8 && x < 192 && y >= 30 && y < 142;
    return !client && FrameHole(x, y) ? 0xFFFFFFu : 0u;
  });
  FrameSkin s;
  s.srcRect = TRect(0, 0, 200, 150);
  TBitmap full;
  BuildFrame(s, &full, small.get(), kW, kH);
  for (auto _ : state) {
    pixman_region32_t r = UnionOfRows(&full);
    benchmark::DoNotOptimize(pixman_region32_n_rects(&r));
    pixman_region32_fini(&r);
  }
}
BENCHMARK(BM_PixmanUnionOfRowsFrame)->Unit(benchmark::kMillisecond);

// ---- Morph steps -----------------------------------------------------------------------------------------

struct Faces {
  std::unique_ptr<TBitmap> normal, hot;
  Faces(int w, int h)
      : normal(Picture(w, h, pf32bit, [](int x, int y) { return uint32_t(x * 3 + y * 5) & 0xFFFFFF; })),
        hot(Picture(w, h, pf32bit, [](int x, int y) { return uint32_t(0x406080 + x - y) & 0xFFFFFF; })) {}
};

typedef void (TbsEffectBmp::*Transition)(const TbsEffectBmp&, double);

// One tick as the skinned elements do it: both faces into effect bitmaps, the transition, the drawing.
void MorphStep(benchmark::State& state, Transition t) {
  const int w = int(state.range(0)), h = int(state.range(1));
  Faces faces(w, h);
  TBitmap target;
  target.SetSize(w, h);
  HDC dc = target.Canvas()->Handle();
  double k = 0.1;
  for (auto _ : state) {
    TbsEffectBmp from(faces.normal->Handle()), to(faces.hot->Handle());
    (from.*t)(to, k);
    from.Draw(dc, 0, 0);
    k = k >= 0.9 ? 0.1 : k + 0.1;
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * w * h);
}

// The transition alone on pictures made once.
void MorphOnly(benchmark::State& state, Transition t) {
  const int w = int(state.range(0)), h = int(state.range(1));
  Faces faces(w, h);
  TbsEffectBmp from(faces.normal->Handle()), to(faces.hot->Handle());
  double k = 0.1;
  for (auto _ : state) {
    (from.*t)(to, k);
    benchmark::DoNotOptimize(from.Bits);
    k = k >= 0.9 ? 0.1 : k + 0.1;
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * w * h);
}

const struct {
  const char* name;
  Transition t;
} kTransitions[] = {
  { "Morph", &TbsEffectBmp::Morph },
  { "MorphHGrad", &TbsEffectBmp::MorphHGrad },
  { "MorphVGrad", &TbsEffectBmp::MorphVGrad },
  { "MorphLeftGrad", &TbsEffectBmp::MorphLeftGrad },
  { "MorphRightGrad", &TbsEffectBmp::MorphRightGrad },
  { "MorphPush", &TbsEffectBmp::MorphPush },
  { "MorphLeftSlide", &TbsEffectBmp::MorphLeftSlide },
  { "MorphRightSlide", &TbsEffectBmp::MorphRightSlide },
};

const int kRegistered = [] {
  for (const auto& tr : kTransitions) {
    benchmark::RegisterBenchmark((std::string("BM_MorphStep/") + tr.name).c_str(), MorphStep, tr.t)
        ->Args({ 300, 30 })
        ->Args({ 800, 600 })
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((std::string("BM_MorphOnly/") + tr.name).c_str(), MorphOnly, tr.t)
        ->Args({ 300, 30 })
        ->Args({ 800, 600 })
        ->Unit(benchmark::kMicrosecond);
  }
  return 0;
}();

void BM_ColourEffect(benchmark::State& state) {
  Faces faces(800, 600);
  TbsEffectBmp b(faces.normal->Handle());
  for (auto _ : state) {
    switch (state.range(0)) {
      case 0:
        b.ChangeBrightness(0.5);
        break;
      case 1:
        b.ChangeDarkness(0.3);
        break;
      case 2:
        b.GrayScale();
        break;
      case 3:
        b.AddMonoNoise(50);
        break;
      case 4:
        b.SplitBlur(1);
        break;
    }
    benchmark::DoNotOptimize(b.Bits);
  }
  static const char* names[] = { "brightness", "darkness", "grey", "mono noise", "split blur" };
  state.SetLabel(names[state.range(0)]);
}
BENCHMARK(BM_ColourEffect)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

}  // namespace
