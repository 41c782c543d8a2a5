// The class library's hot paths: CopyRect of a full-HD bitmap (beside memcpy of the same bytes), a
// transparent glyph draw, and decoding a JPEG picture.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "platform/vcl/Jpeg.h"

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

}  // namespace
