// Blits of a 1920 × 1080 32-bit picture beside memcpy of the same bytes.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

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

void BM_PatBltFill(benchmark::State& state) {
  Surface dst(kW, kH);
  for (auto _ : state) PatBlt(dst.dc, 0, 0, kW, kH, PATCOPY);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}
BENCHMARK(BM_PatBltFill);

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
