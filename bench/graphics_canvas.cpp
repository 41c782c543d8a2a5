// The class library's hot paths: CopyRect of a full-HD bitmap (beside memcpy of the same bytes), a
// transparent glyph draw, decoding a JPEG picture, and loading a 2000 x 2000 24-bit BMP through TBitmap
// beside the BMP reader alone and memcpy of the same bytes (its ratio to the reader printed as x_peer).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "bench/PeerRatio.h"
#include "platform/vcl/Jpeg.h"
#include "platform/win32/BmpCodec.h"

namespace {

constexpr int kW = 1920, kH = 1080;

void BM_Memcpy(benchmark::State& state) {
  std::vector<uint32_t> a(size_t(kW) * kH, 0x123456), b(a.size());
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size() * 4);
    benchmark::DoNotOptimize(b.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kW * kH * 4);
}
BENCHMARK(BM_Memcpy);

void BM_CanvasCopyRect(benchmark::State& state) {
  TBitmap src, dst;
  src.SetPixelFormat(pf32bit);
  dst.SetPixelFormat(pf32bit);
  src.SetSize(kW, kH);
  dst.SetSize(kW, kH);
  for (auto _ : state) dst.Canvas()->CopyRect(Rect(0, 0, kW, kH), src.Canvas(), Rect(0, 0, kW, kH));
  state.SetBytesProcessed(int64_t(state.iterations()) * kW * kH * 4);
}
BENCHMARK(BM_CanvasCopyRect);

void BM_TransparentDraw(benchmark::State& state) {
  TBitmap glyph, dst;
  glyph.SetSize(64, 64);
  glyph.Canvas()->Brush()->SetColor(clFuchsia);
  glyph.Canvas()->FillRect(Rect(0, 0, 64, 64));
  glyph.Canvas()->Brush()->SetColor(clBlue);
  glyph.Canvas()->Ellipse(4, 4, 60, 60);
  glyph.SetTransparent(true);
  dst.SetSize(64, 64);
  for (auto _ : state) dst.Canvas()->Draw(0, 0, &glyph);
}
BENCHMARK(BM_TransparentDraw);

// A 640 × 480 baseline picture made with libjpeg.
std::vector<uint8_t> MakeJpeg() {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = 640;
  c.image_height = 480;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(640 * 3);
  while (c.next_scanline < c.image_height) {
    for (int x = 0; x < 640; ++x) {
      row[size_t(3 * x)] = uint8_t(x);
      row[size_t(3 * x + 1)] = uint8_t(c.next_scanline);
      row[size_t(3 * x + 2)] = uint8_t(x ^ c.next_scanline);
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  std::vector<uint8_t> bytes(out, out + size);
  jpeg_destroy_compress(&c);
  free(out);
  return bytes;
}

void BM_JpegDecode(benchmark::State& state) {
  const std::vector<uint8_t> bytes = MakeJpeg();
  TMemoryStream s;
  s.WriteBuffer(bytes.data(), int(bytes.size()));
  for (auto _ : state) {
    s.SetPosition(0);
    TJPEGImage j;
    j.LoadFromStream(&s);
    TBitmap b;
    b.Assign(&j);
    benchmark::DoNotOptimize(b.ScanLine(0));
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * 640 * 480);
}
BENCHMARK(BM_JpegDecode);

// A 2000 x 2000 24-bit BMP file in memory.
TMemoryStream* BigBmp() {
  static TMemoryStream* s = [] {
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(2000, 2000);
    for (int y = 0; y < 2000; ++y) {
      auto* row = static_cast<uint8_t*>(b.ScanLine(y));
      for (int i = 0; i < 6000; ++i) row[i] = uint8_t(i * 7 + y);
    }
    auto* out = new TMemoryStream;
    b.SaveToStream(out);
    return out;
  }();
  return s;
}

void LoadBig(TBitmap& b) {
  BigBmp()->SetPosition(0);
  b.LoadFromStream(BigBmp());
  benchmark::DoNotOptimize(b.ScanLine(0));
}

void ReadBig() {
  xj::bmp::Dib dib;
  xj::bmp::Read(static_cast<const uint8_t*>(BigBmp()->Memory()), size_t(BigBmp()->Size()), dib);
  benchmark::DoNotOptimize(dib.Bits.data());
}

void BM_BmpLoadFromStream(benchmark::State& state) {
  TBitmap b;
  for (auto _ : state) LoadBig(b);
  state.SetBytesProcessed(int64_t(state.iterations()) * BigBmp()->Size());
  xj::bench::PeerRatio(
      state, "x_peer", [&] { LoadBig(b); }, ReadBig);
}
BENCHMARK(BM_BmpLoadFromStream)->Unit(benchmark::kMillisecond);

// The peer: the project's BMP reader alone, into a buffer of its own.
void BM_BmpReaderAlone(benchmark::State& state) {
  for (auto _ : state) ReadBig();
  state.SetBytesProcessed(int64_t(state.iterations()) * BigBmp()->Size());
}
BENCHMARK(BM_BmpReaderAlone)->Unit(benchmark::kMillisecond);

void BM_BmpMemcpy(benchmark::State& state) {
  std::vector<uint8_t> copy(size_t(BigBmp()->Size()));
  for (auto _ : state) {
    std::memcpy(copy.data(), BigBmp()->Memory(), copy.size());
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * BigBmp()->Size());
}
BENCHMARK(BM_BmpMemcpy)->Unit(benchmark::kMillisecond);

}  // namespace
