// Regions built from thousands of one-row rectangles, as a mask scan makes them.

#include <benchmark/benchmark.h>

#include <vector>

#include "platform/win32/WinGdi.h"

namespace {

// Row y of a 1000-row round shape: one run per row.
RECT Row(int y) {
  int half = y < 500 ? y : 999 - y;
  return RECT { 500 - half, y, 501 + half, y + 1 };
}

void BM_CombineRgnOrRows(benchmark::State& state) {
  int rows = int(state.range(0));
  for (auto _ : state) {
    HRGN all = CreateRectRgn(0, 0, 0, 0);
    for (int y = 0; y < rows; ++y) {
      RECT r = Row(y % 1000);
      r.top = y;
      r.bottom = y + 1;
      HRGN one = CreateRectRgnIndirect(&r);
      CombineRgn(all, all, one, RGN_OR);
      DeleteObject(one);
    }
    DeleteObject(all);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * rows);
}
BENCHMARK(BM_CombineRgnOrRows)->Arg(1000)->Arg(4000);

void BM_ExtCreateRegionRows(benchmark::State& state) {
  int rows = int(state.range(0));
  std::vector<uint8_t> buf(sizeof(RGNDATAHEADER) + size_t(rows) * sizeof(RECT));
  auto* data = reinterpret_cast<RGNDATA*>(buf.data());
  data->rdh = RGNDATAHEADER { sizeof(RGNDATAHEADER), RDH_RECTANGLES, DWORD(rows), 0, RECT {} };
  auto* rects = reinterpret_cast<RECT*>(buf.data() + sizeof(RGNDATAHEADER));
  for (int y = 0; y < rows; ++y) {
    rects[y] = Row(y % 1000);
    rects[y].top = y;
    rects[y].bottom = y + 1;
  }
  for (auto _ : state) {
    HRGN r = ExtCreateRegion(nullptr, DWORD(buf.size()), data);
    benchmark::DoNotOptimize(r);
    DeleteObject(r);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * rows);
}
BENCHMARK(BM_ExtCreateRegionRows)->Arg(1000)->Arg(10000);

// Many small scattered squares united pairwise.
void BM_CombineRgnSmallSquares(benchmark::State& state) {
  for (auto _ : state) {
    HRGN all = CreateRectRgn(0, 0, 0, 0);
    for (int i = 0; i < 2000; ++i) {
      int x = (i * 37) % 1900, y = (i * 91) % 1060;
      HRGN sq = CreateRectRgn(x, y, x + 8, y + 8);
      CombineRgn(all, all, sq, RGN_OR);
      DeleteObject(sq);
    }
    DeleteObject(all);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * 2000);
}
BENCHMARK(BM_CombineRgnSmallSquares);

}  // namespace
