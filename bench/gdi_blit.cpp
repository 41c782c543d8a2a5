// Blits of a 1920 × 1080 32-bit picture beside memcpy of the same bytes; fills beside std::fill (solid)
// and pixman's repeating tile (an 8 × 8 hatch). Each fill prints its ratio to its peer, measured in the
// same run ("x_peer").

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "bench/PeerRatio.h"
#include "platform/win32/WinGdi.h"

namespace {

constexpr int kW = 1920, kH = 1080;
constexpr size_t kBytes = size_t(kW) * kH * 4;

struct Surface {
  HDC dc;
  HBITMAP bmp;
  uint32_t* bits;
  Surface(int w, int h) {
    BITMAPINFO bi {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    dc = CreateCompatibleDC(nullptr);
    bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    SelectObject(dc, bmp);
    for (size_t i = 0; i < size_t(w) * size_t(h); ++i) bits[i] = uint32_t(i * 2654435761u) & 0xFFFFFF;
  }
  ~Surface() {
    DeleteDC(dc);
    DeleteObject(bmp);
  }
};

void BM_Memcpy(benchmark::State& state) {
  std::vector<uint8_t> a(kBytes, 1), b(kBytes, 2);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), kBytes);
    benchmark::DoNotOptimize(b.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}
BENCHMARK(BM_Memcpy);

void BM_BitBltSrcCopy(benchmark::State& state) {
  Surface src(kW, kH), dst(kW, kH);
  for (auto _ : state) BitBlt(dst.dc, 0, 0, kW, kH, src.dc, 0, 0, SRCCOPY);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}
BENCHMARK(BM_BitBltSrcCopy);

void BM_StretchBltSameSize(benchmark::State& state) {
  Surface src(kW, kH), dst(kW, kH);
  for (auto _ : state) StretchBlt(dst.dc, 0, 0, kW, kH, src.dc, 0, 0, kW, kH, SRCCOPY);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}
BENCHMARK(BM_StretchBltSameSize);

void BM_StretchBltEnlarge(benchmark::State& state) {
  Surface src(kW / 2, kH / 2), dst(kW, kH);
  for (auto _ : state) StretchBlt(dst.dc, 0, 0, kW, kH, src.dc, 0, 0, kW / 2, kH / 2, SRCCOPY);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}
BENCHMARK(BM_StretchBltEnlarge);

void BM_StretchBltShrink(benchmark::State& state) {
  Surface src(kW * 3 / 2, kH * 3 / 2), dst(kW, kH);
  for (auto _ : state) StretchBlt(dst.dc, 0, 0, kW, kH, src.dc, 0, 0, kW * 3 / 2, kH * 3 / 2, SRCCOPY);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}
BENCHMARK(BM_StretchBltShrink);

// A ternary operation without a fast path (PSDPxax), evaluated from its code.
void BM_BitBltGenericRop(benchmark::State& state) {
  Surface src(kW, kH), dst(kW, kH);
  HBRUSH brush = CreateSolidBrush(RGB(0x12, 0x34, 0x56));
  SelectObject(dst.dc, brush);
  for (auto _ : state) BitBlt(dst.dc, 0, 0, kW, kH, src.dc, 0, 0, 0x00B8074A);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
  SelectObject(dst.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
}
BENCHMARK(BM_BitBltGenericRop);

void BM_BitBltDspdxax(benchmark::State& state) {
  Surface src(kW, kH), dst(kW, kH);
  HBRUSH brush = CreateSolidBrush(RGB(0x12, 0x34, 0x56));
  SelectObject(dst.dc, brush);
  for (auto _ : state) BitBlt(dst.dc, 0, 0, kW, kH, src.dc, 0, 0, 0x00E20746);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
  SelectObject(dst.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
}
BENCHMARK(BM_BitBltDspdxax);

void StdFill(std::vector<uint32_t>& pixels) {
  std::fill(pixels.begin(), pixels.end(), 0x123456u);
  benchmark::DoNotOptimize(pixels.data());
  benchmark::ClobberMemory();
}

void BM_StdFill(benchmark::State& state) {
  std::vector<uint32_t> pixels(size_t(kW) * kH);
  for (auto _ : state) StdFill(pixels);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}
BENCHMARK(BM_StdFill);

// A solid brush: the peer is std::fill of the same pixels.
void BM_PatBltFill(benchmark::State& state) {
  Surface dst(kW, kH);
  HBRUSH brush = CreateSolidBrush(RGB(0x56, 0x34, 0x12));
  SelectObject(dst.dc, brush);
  for (auto _ : state) PatBlt(dst.dc, 0, 0, kW, kH, PATCOPY);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
  std::vector<uint32_t> pixels(size_t(kW) * kH);
  xj::bench::PeerRatio(
      state, "x_peer", [&] { PatBlt(dst.dc, 0, 0, kW, kH, PATCOPY); }, [&] { StdFill(pixels); });
  SelectObject(dst.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
}
BENCHMARK(BM_PatBltFill);

// The peer of a pattern fill: pixman repeating an 8 × 8 tile over the whole picture.
struct PixmanTile {
  std::vector<uint32_t> tile, pixels;
  pixman_image_t* src;
  pixman_image_t* dst;
  PixmanTile() : tile(64), pixels(size_t(kW) * kH) {
    for (int i = 0; i < 64; ++i) tile[size_t(i)] = (i % 9 == 0) ? 0x123456u : 0xFFFFFFu;
    src = pixman_image_create_bits(PIXMAN_x8r8g8b8, 8, 8, tile.data(), 32);
    pixman_image_set_repeat(src, PIXMAN_REPEAT_NORMAL);
    dst = pixman_image_create_bits(PIXMAN_x8r8g8b8, kW, kH, pixels.data(), kW * 4);
  }
  ~PixmanTile() {
    pixman_image_unref(src);
    pixman_image_unref(dst);
  }
  void Run() {
    pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 3, 5, 0, 0, 0, 0, kW, kH);
    benchmark::DoNotOptimize(pixels.data());
  }
};

void BM_PixmanRepeatTile(benchmark::State& state) {
  PixmanTile peer;
  for (auto _ : state) peer.Run();
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}
BENCHMARK(BM_PixmanRepeatTile);

// An 8 × 8 hatch brush, opaque, from an uneven brush origin.
void BM_PatBltHatch(benchmark::State& state) {
  Surface dst(kW, kH);
  HBRUSH brush = CreateHatchBrush(HS_DIAGCROSS, RGB(0x56, 0x34, 0x12));
  SelectObject(dst.dc, brush);
  SetBrushOrgEx(dst.dc, 3, 5, nullptr);
  for (auto _ : state) PatBlt(dst.dc, 0, 0, kW, kH, PATCOPY);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
  PixmanTile peer;
  xj::bench::PeerRatio(
      state, "x_peer", [&] { PatBlt(dst.dc, 0, 0, kW, kH, PATCOPY); }, [&] { peer.Run(); });
  SelectObject(dst.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
}
BENCHMARK(BM_PatBltHatch);

// The effect bitmaps' path: a 24-bit top-down DIB drawn unscaled.
void BM_SetDIBitsToDevice24(benchmark::State& state) {
  Surface dst(kW, kH);
  BITMAPINFO bi {};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = kW;
  bi.bmiHeader.biHeight = -kH;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  std::vector<uint8_t> bits(size_t(kW) * 3 * kH, 0x5A);
  for (auto _ : state) SetDIBitsToDevice(dst.dc, 0, 0, kW, kH, 0, 0, 0, kH, bits.data(), &bi, DIB_RGB_COLORS);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}
BENCHMARK(BM_SetDIBitsToDevice24);

}  // namespace
