// Bitmaps of every depth, DIB sections, GetDIBits/SetDIBits, drawing on non-32-bit bitmaps, and
// the BMP codec: fixtures written by other programs, round trips, bad data.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "platform/win32/BmpCodec.h"
#include "platform/win32/GdiInternal.h"
#include "tests/platform/gdi/GdiTestUtil.h"

using gditest::Canvas;

namespace {

constexpr COLORREF kPattern[4] = { RGB(255, 0, 0), RGB(0, 128, 255), RGB(255, 255, 255), RGB(0, 0, 0) };
COLORREF PatternAt(int x, int y) { return kPattern[(x + 2 * y) % 4]; }
bool MonoBlackAt(int x, int y) { return (x * y + x) % 3 == 0; }

// A colour as the 5-6-5 fixture holds it: each channel scaled down to its bits (truncating, as the
// writer does) and back up to 0..255 (rounding, as the reader does).
COLORREF Rgb565(COLORREF c) {
  auto q = [](int v, int bits) {
    int max = (1 << bits) - 1, k = v * max / 255;
    return (k * 255 + max / 2) / max;
  };
  return RGB(q(GetRValue(c), 5), q(GetGValue(c), 6), q(GetBValue(c), 5));
}

std::vector<uint8_t> ReadFile(const std::string& name) {
  std::ifstream f(std::string(XJ_SOURCE_DIR) + "/tests/data/bmp/" + name, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

// The decoded colour of every pixel, top-down, as COLORREF.
std::vector<COLORREF> Colours(const xj::bmp::Dib& dib) {
  HBITMAP bmp = xj::bmp::CreateBitmapFromDib(dib);
  std::vector<uint32_t> px;
  int w = 0, h = 0;
  EXPECT_TRUE(xj::gdi::ReadBitmapPixels(bmp, px, w, h));
  DeleteObject(bmp);
  std::vector<COLORREF> out;
  for (uint32_t p : px) out.push_back(Canvas::Cr(p));
  return out;
}

// A BITMAPINFO with room for a full colour table.
struct Info {
  std::vector<uint8_t> bytes = std::vector<uint8_t>(sizeof(BITMAPINFOHEADER) + 256 * 4, 0);
  BITMAPINFO* get() { return reinterpret_cast<BITMAPINFO*>(bytes.data()); }
  Info(int w, int h, int bpp) {
    auto& hd = get()->bmiHeader;
    hd.biSize = sizeof(BITMAPINFOHEADER);
    hd.biWidth = w;
    hd.biHeight = h;
    hd.biPlanes = 1;
    hd.biBitCount = WORD(bpp);
  }
  void Colour(int i, COLORREF c) {
    RGBQUAD q { GetBValue(c), GetGValue(c), GetRValue(c), 0 };
    std::memcpy(bytes.data() + sizeof(BITMAPINFOHEADER) + size_t(i) * 4, &q, 4);
  }
};

TEST(GdiBitmap, NewBitmapsOfEveryDepthAreWhite) {
  for (int bpp : { 1, 4, 8, 16, 24, 32 }) {
    Info info(5, -3, bpp);
    if (bpp <= 8)
      for (int i = 0; i < (1 << bpp); ++i) info.Colour(i, i == (1 << bpp) - 1 ? RGB(255, 255, 255) : RGB(i, 0, 0));
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(dib, nullptr) << bpp;
    ASSERT_NE(bits, nullptr);
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    ASSERT_TRUE(xj::gdi::ReadBitmapPixels(dib, px, w, h));
    for (uint32_t p : px) EXPECT_EQ(p, 0xFFFFFFu) << bpp;
    DIBSECTION ds {};
    ASSERT_EQ(GetObject(dib, sizeof ds, &ds), int(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmBits, bits);
    EXPECT_EQ(ds.dsBm.bmWidthBytes, ((5 * bpp + 31) / 32) * 4);
    EXPECT_EQ(ds.dsBmih.biHeight, -3);
    DeleteObject(dib);
  }
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  HBITMAP ddb = CreateCompatibleBitmap(screen, 3, 2);
  EXPECT_EQ(xj::gdi::BitmapBitCount(ddb), 32);
  HDC mem = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(mem, ddb);
  EXPECT_EQ(GetPixel(mem, 2, 1), RGB(255, 255, 255));
  SelectObject(mem, old);
  DeleteObject(ddb);
  DeleteDC(mem);
  DeleteDC(screen);
}

// A 32-bit section whose channels sit in the high bytes is born white in its own encoding, in every
// stored word of every row.
TEST(GdiBitmap, NewBitfieldSectionIsWhiteInItsOwnEncoding) {
  Info info(7, -3, 32);
  info.get()->bmiHeader.biCompression = BI_BITFIELDS;
  const DWORD masks[3] = { 0x0000FF00, 0x00FF0000, 0xFF000000 };  // red, green, blue
  std::memcpy(info.get()->bmiColors, masks, sizeof masks);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(dib, nullptr);
  const auto* words = static_cast<const uint32_t*>(bits);
  EXPECT_EQ(std::count(words, words + 7 * 3, 0xFFFFFF00u), 7 * 3);
  DeleteObject(dib);
}

// A new bitmap is white all over, though the memory it is made in may have held a bitmap just freed,
// blackened: of its size, a little smaller or larger, or over a megabyte.
TEST(GdiBitmap, ANewBitmapIsWhiteWhateverItsMemoryHeldBefore) {
  auto make = [](int w, int h, void** bits) {
    Info info(w, -h, 32);
    return CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, bits, nullptr, 0);
  };
  struct Case {
    int freedW, freedH, newW, newH;
  } cases[] = {
    { 100, 50, 100, 50 }, { 100, 50, 90, 50 }, { 100, 50, 100, 51 }, { 100, 50, 49, 50 }, { 600, 600, 600, 600 },
  };
  for (const Case& c : cases) {
    void* bits = nullptr;
    HBITMAP freed = make(c.freedW, c.freedH, &bits);
    ASSERT_NE(freed, nullptr);
    std::memset(bits, 0, size_t(c.freedW) * size_t(c.freedH) * 4);
    DeleteObject(freed);
    HBITMAP fresh = make(c.newW, c.newH, &bits);
    ASSERT_NE(fresh, nullptr);
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    ASSERT_TRUE(xj::gdi::ReadBitmapPixels(fresh, px, w, h));
    EXPECT_EQ(std::count(px.begin(), px.end(), 0xFFFFFFu), ptrdiff_t(c.newW) * c.newH) << c.newW << "x" << c.newH;
    DeleteObject(fresh);
  }
}

TEST(GdiBitmap, DIBSectionRejectsBadDescriptions) {
  void* bits = reinterpret_cast<void*>(1);
  Info zero(0, 4, 24), depth(4, 4, 7), huge(1 << 20, 1 << 20, 32), rle(4, 4, 8);
  rle.get()->bmiHeader.biCompression = BI_RLE8;
  for (Info* i : { &zero, &depth, &huge, &rle }) {
    EXPECT_EQ(CreateDIBSection(nullptr, i->get(), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
  }
  EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  Info ok(2, 2, 24);
  EXPECT_EQ(CreateDIBSection(nullptr, ok.get(), DIB_PAL_COLORS, &bits, nullptr, 0), nullptr);
}

TEST(GdiBitmap, GetDIBitsGivesTopDown24BitFromEveryDepthEvenWhileSelected) {
  for (int bpp : { 1, 4, 8, 16, 24, 32 }) {
    Info info(6, 4, bpp);  // bottom-up
    info.Colour(0, RGB(0, 0, 0));
    info.Colour(1, RGB(255, 255, 255));
    for (int i = 2; bpp <= 8 && i < 16 && i < (1 << bpp); ++i) info.Colour(i, kPattern[i % 4]);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(dib, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dib);
    // Draw through the DC: black at the top-left, white elsewhere.
    SetPixel(dc, 0, 0, RGB(0, 0, 0));
    SetPixel(dc, 5, 3, RGB(0, 0, 0));
    Info out(6, -4, 24);
    std::vector<uint8_t> rgb(size_t(((6 * 24 + 31) / 32) * 4 * 4), 0x55);
    ASSERT_EQ(GetDIBits(dc, dib, 0, 4, rgb.data(), out.get(), DIB_RGB_COLORS), 4) << bpp;
    int stride = ((6 * 24 + 31) / 32) * 4;
    auto at = [&](int x, int y) {
      return RGB(rgb[size_t(y * stride + 3 * x + 2)], rgb[size_t(y * stride + 3 * x + 1)],
                 rgb[size_t(y * stride + 3 * x)]);
    };
    EXPECT_EQ(at(0, 0), RGB(0, 0, 0)) << bpp;
    EXPECT_EQ(at(5, 3), RGB(0, 0, 0)) << bpp;
    EXPECT_EQ(at(1, 0), RGB(255, 255, 255)) << bpp;
    EXPECT_EQ(at(5, 2), RGB(255, 255, 255)) << bpp;
    // The memory of a bottom-up section holds the bottom row first.
    if (bpp == 32) {
      EXPECT_EQ(static_cast<uint32_t*>(bits)[5], 0u);
      EXPECT_EQ(static_cast<uint32_t*>(bits)[3 * 6], 0u);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(dib);
  }
}

TEST(GdiBitmap, GetDIBitsFillsTheHeaderWhenAskedForTheFormat) {
  HBITMAP bmp = CreateBitmap(9, 7, 1, 1, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  Info info(0, 0, 0);
  EXPECT_NE(GetDIBits(dc, bmp, 0, 7, nullptr, info.get(), DIB_RGB_COLORS), 0);
  EXPECT_EQ(info.get()->bmiHeader.biWidth, 9);
  EXPECT_EQ(info.get()->bmiHeader.biHeight, 7);
  EXPECT_EQ(info.get()->bmiHeader.biBitCount, 1);
  EXPECT_EQ(info.get()->bmiHeader.biSizeImage, 4u * 7u);
  EXPECT_EQ(GetDIBits(dc, reinterpret_cast<HBITMAP>(uintptr_t(0x1230)), 0, 7, nullptr, info.get(), DIB_RGB_COLORS), 0);
  DeleteDC(dc);
  DeleteObject(bmp);
}

TEST(GdiBitmap, DrawingOnPaletteBitmapsWritesTheNearestEntryAndKeepsOtherIndices) {
  Info info(4, -1, 8);
  info.get()->bmiHeader.biClrUsed = 3;
  info.Colour(0, RGB(255, 0, 0));
  info.Colour(1, RGB(0, 0, 255));
  info.Colour(2, RGB(0, 0, 255));  // a repeated colour
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* b = static_cast<uint8_t*>(bits);
  b[0] = 2;
  b[1] = 2;
  b[2] = 0;
  b[3] = 0;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, dib);
  SetPixel(dc, 2, 0, RGB(250, 10, 10));  // nearest: red, index 0
  SetPixel(dc, 3, 0, RGB(10, 10, 240));  // nearest: blue, the first entry
  // Untouched pixels keep their index even though index 2 repeats index 1's colour.
  EXPECT_EQ(b[0], 2);
  EXPECT_EQ(b[1], 2);
  EXPECT_EQ(b[2], 0);
  EXPECT_EQ(b[3], 1);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 255));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(dib);
}

TEST(GdiBitmap, SetDIBitsAndBitmapBitsCopyIn) {
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 2, 2);
  Info info(2, 2, 24);                                       // bottom-up source
  const uint8_t src[16] = { 255, 0, 0,   0, 255, 0, 0, 0,    // bottom row: blue, green
                            0,   0, 255, 0, 0,   0, 0, 0 };  // top row: red, black
  EXPECT_EQ(SetDIBits(screen, bmp, 0, 2, src, info.get(), DIB_RGB_COLORS), 2);
  std::vector<uint32_t> px;
  int w = 0, h = 0;
  xj::gdi::ReadBitmapPixels(bmp, px, w, h);
  EXPECT_EQ(px[0], 0xFF0000u);
  EXPECT_EQ(px[1], 0x000000u);
  EXPECT_EQ(px[2], 0x0000FFu);
  EXPECT_EQ(px[3], 0x00FF00u);
  EXPECT_EQ(GetBitmapBits(bmp, 0, nullptr), 16);
  const uint32_t raw[4] = { 1, 2, 3, 4 };
  EXPECT_EQ(SetBitmapBits(bmp, sizeof raw, raw), 16);
  uint32_t back[4] = {};
  EXPECT_EQ(GetBitmapBits(bmp, sizeof back, back), 16);
  EXPECT_EQ(back[3], 4u);
  EXPECT_EQ(SetDIBits(screen, bmp, 0, 2, nullptr, info.get(), DIB_RGB_COLORS), 0);
  DeleteObject(bmp);
  DeleteDC(screen);
}

// ---- BMP files ------------------------------------------------------------------------------------

struct Fixture {
  const char* file;
  int bpp;
};

TEST(BmpCodec, ReadsFilesWrittenByOtherPrograms) {
  const Fixture fixtures[] = { { "im_bmp4.bmp", 4 },      { "im_bmp8rle.bmp", 8 }, { "im_bmp16.bmp", 16 },
                               { "im_bmp24.bmp", 24 },    { "im_bmp32.bmp", 32 },  { "im_core24.bmp", 24 },
                               { "im_core8.bmp", 4 },     { "py8.bmp", 8 },        { "pyrle4.bmp", 4 },
                               { "pytopdown24.bmp", 24 }, { "pyfields32.bmp", 32 } };
  for (const Fixture& f : fixtures) {
    std::vector<uint8_t> data = ReadFile(f.file);
    ASSERT_FALSE(data.empty()) << f.file;
    xj::bmp::Dib dib;
    auto r = xj::bmp::Read(data.data(), data.size(), dib);
    ASSERT_TRUE(r.Ok) << f.file << ": " << r.Error;
    EXPECT_EQ(r.Consumed, data.size()) << f.file;
    EXPECT_EQ(dib.Width, 7);
    EXPECT_EQ(dib.Height, 5);
    EXPECT_EQ(dib.BitCount, f.bpp) << f.file;
    std::vector<COLORREF> c = Colours(dib);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) {
        COLORREF want = f.bpp == 16 ? Rgb565(PatternAt(x, y)) : PatternAt(x, y);
        ASSERT_EQ(c[size_t(y * 7 + x)], want) << f.file << " " << x << "," << y;
      }
  }
  std::vector<uint8_t> mono = ReadFile("im_bmp1.bmp");
  xj::bmp::Dib dib;
  ASSERT_TRUE(xj::bmp::Read(mono.data(), mono.size(), dib).Ok);
  EXPECT_EQ(dib.BitCount, 1);
  std::vector<COLORREF> c = Colours(dib);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      EXPECT_EQ(c[size_t(y * 7 + x)], MonoBlackAt(x, y) ? RGB(0, 0, 0) : RGB(255, 255, 255)) << x << "," << y;
}

TEST(BmpCodec, RoundTripsEveryDepthLosslessly) {
  for (int bpp : { 1, 4, 8, 16, 24, 32 }) {
    xj::bmp::Dib dib;
    dib.Width = 11;
    dib.Height = 3;
    dib.BitCount = bpp;
    if (bpp <= 8)
      for (int i = 0; i < (1 << bpp); ++i) dib.Palette.push_back(RGBQUAD { BYTE(i * 7), BYTE(255 - i), BYTE(i), 0 });
    if (bpp == 16) {
      dib.Masks[0] = 0xF800;
      dib.Masks[1] = 0x07E0;
      dib.Masks[2] = 0x001F;
    }
    dib.Bits.resize(size_t(dib.Stride()) * 3);
    for (size_t i = 0; i < dib.Bits.size(); ++i) dib.Bits[i] = uint8_t(i * 37 + 11);
    if (bpp == 32)
      for (size_t i = 3; i < dib.Bits.size(); i += 4) dib.Bits[i] = 0;  // the unused byte
    // Clear row padding, which carries no pixels.
    int rowBytes = (11 * bpp + 7) / 8;
    for (int y = 0; y < 3; ++y)
      for (int k = rowBytes; k < dib.Stride(); ++k) dib.Bits[size_t(y * dib.Stride() + k)] = 0;
    if (bpp == 1 || bpp == 4) {  // bits past the last pixel of a row are padding too
      int bits = 11 * bpp;
      for (int y = 0; y < 3; ++y) dib.Bits[size_t(y * dib.Stride() + bits / 8)] &= uint8_t(0xFF << (8 - bits % 8));
    }
    std::vector<uint8_t> file = xj::bmp::Write(dib);
    EXPECT_EQ(file[0], 'B');
    uint32_t size = 0;
    std::memcpy(&size, file.data() + 2, 4);
    EXPECT_EQ(size, file.size());
    xj::bmp::Dib back;
    auto r = xj::bmp::Read(file.data(), file.size(), back);
    ASSERT_TRUE(r.Ok) << r.Error;
    EXPECT_EQ(back.BitCount, bpp <= 8 ? bpp : 24) << bpp;
    EXPECT_EQ(Colours(back), Colours(dib)) << bpp;
    if (bpp <= 8) {
      EXPECT_EQ(back.Bits, dib.Bits) << bpp;
    }
  }
}

TEST(BmpCodec, AStreamReadConsumesExactlyOneImage) {
  std::vector<uint8_t> a = ReadFile("im_bmp24.bmp"), b = ReadFile("im_bmp4.bmp");
  std::vector<uint8_t> both = a;
  both.insert(both.end(), b.begin(), b.end());
  xj::bmp::Dib dib;
  auto r = xj::bmp::Read(both.data(), both.size(), dib);
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Consumed, a.size());
  r = xj::bmp::Read(both.data() + r.Consumed, both.size() - r.Consumed, dib);
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Consumed, b.size());
  EXPECT_EQ(dib.BitCount, 4);
}

TEST(BmpCodec, AHeaderOnlyZeroByZeroImageIsEmpty) {
  xj::bmp::Dib empty;
  std::vector<uint8_t> file = xj::bmp::Write(empty);
  EXPECT_EQ(file.size(), 54u);
  xj::bmp::Dib back;
  back.Width = 3;
  auto r = xj::bmp::Read(file.data(), file.size(), back);
  ASSERT_TRUE(r.Ok) << r.Error;
  EXPECT_TRUE(back.Empty());
  EXPECT_EQ(r.Consumed, 54u);
}

// A BMP file of w × h pixels at 8 or 4 bits, RLE-compressed as `rle`, with a table of `colours` entries.
std::vector<uint8_t> RleFile(int w, int h, int bpp, uint32_t colours, const std::vector<uint8_t>& rle) {
  std::vector<uint8_t> file { 'B', 'M' };
  auto put = [&](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) file.push_back(uint8_t(v >> (8 * i)));
  };
  const uint32_t off = 14 + 40 + colours * 4, size = uint32_t(rle.size());
  for (uint32_t v : { off + size, 0u, off, 40u, uint32_t(w), uint32_t(h) }) put(v, 4);
  put(1, 2);
  put(uint32_t(bpp), 2);
  for (uint32_t v : { uint32_t(bpp == 8 ? BI_RLE8 : BI_RLE4), size, 0u, 0u, colours, 0u }) put(v, 4);
  for (uint32_t i = 0; i < colours; ++i) put(i * 0x10, 4);
  file.insert(file.end(), rle.begin(), rle.end());
  return file;
}

TEST(BmpCodec, RleDeltaEndOfLineAndEndOfBitmap) {
  // 4 × 3 RLE8: bottom row "run of 2 × 5, delta (1, 1)", second row continues at x 3: "7", EOL,
  // top row absolute "1 2 3", then end of bitmap.
  const std::vector<uint8_t> file = RleFile(4, 3, 8, 8, { 2, 5, 0, 2, 1, 1, 1, 7, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1 });
  xj::bmp::Dib dib;
  auto r = xj::bmp::Read(file.data(), file.size(), dib);
  ASSERT_TRUE(r.Ok) << r.Error;
  auto at = [&](int x, int y) { return dib.Bits[size_t(y * dib.Stride() + x)]; };
  EXPECT_EQ(at(0, 2), 5);  // bottom row
  EXPECT_EQ(at(1, 2), 5);
  EXPECT_EQ(at(2, 2), 0);
  EXPECT_EQ(at(3, 1), 7);  // after the delta
  EXPECT_EQ(at(0, 1), 0);
  EXPECT_EQ(at(0, 0), 1);  // top row
  EXPECT_EQ(at(2, 0), 3);
  EXPECT_EQ(at(3, 0), 0);
}

// An absolute run of an odd number of bytes is padded to a word: what follows the pad belongs to the
// same row.
TEST(BmpCodec, RleAbsoluteRunsAreWordAligned) {
  const struct {
    int bpp;
    std::vector<uint8_t> rle;
    std::vector<int> indices;
  } cases[] = {
    { 8, { 0, 3, 1, 2, 3, 0, 2, 9, 0, 1 }, { 1, 2, 3, 9, 9, 0 } },
    { 4, { 0, 5, 0x12, 0x34, 0x50, 0, 3, 0x77, 0, 1 }, { 1, 2, 3, 4, 5, 7, 7, 7 } },
  };
  for (const auto& c : cases) {
    const int w = int(c.indices.size());
    const std::vector<uint8_t> file = RleFile(w, 1, c.bpp, 16, c.rle);
    xj::bmp::Dib dib;
    auto r = xj::bmp::Read(file.data(), file.size(), dib);
    ASSERT_TRUE(r.Ok) << r.Error;
    std::vector<int> got;
    for (int x = 0; x < w; ++x)
      got.push_back(c.bpp == 8 ? dib.Bits[size_t(x)] : (dib.Bits[size_t(x / 2)] >> (x % 2 ? 0 : 4)) & 0xF);
    EXPECT_EQ(got, c.indices) << "RLE" << c.bpp;
  }
}

// A 52-byte header holds its three masks itself: nothing follows it but the pixels, both in a bare DIB
// and in the header handed to CreateDIBSection.
TEST(BmpCodec, A52ByteHeaderCarriesItsMasksInside) {
  std::vector<uint8_t> dib(52 + 4, 0);
  auto put = [&](size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) dib[at + size_t(i)] = uint8_t(v >> (8 * i));
  };
  put(0, 52, 4), put(4, 2, 4), put(8, 1, 4), put(12, 1, 2), put(14, 16, 2), put(16, BI_BITFIELDS, 4);
  put(40, 0xF800, 4), put(44, 0x07E0, 4), put(48, 0x001F, 4);
  put(52, 0xF800, 2), put(54, 0x001F, 2);  // red, blue
  const std::vector<COLORREF> expected { RGB(255, 0, 0), RGB(0, 0, 255) };
  xj::bmp::Dib read;
  auto r = xj::bmp::ReadInfo(dib.data(), dib.size(), read);
  ASSERT_TRUE(r.Ok) << r.Error;
  EXPECT_EQ(Colours(read), expected);

  std::vector<uint8_t> header(dib.begin(), dib.begin() + 52);
  header.resize(52 + 12, 0);  // room a reader looking past the header would find empty
  void* bits = nullptr;
  HBITMAP section =
      CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(header.data()), DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  std::memcpy(bits, dib.data() + 52, 4);
  std::vector<uint32_t> px;
  int w = 0, h = 0;
  ASSERT_TRUE(xj::gdi::ReadBitmapPixels(section, px, w, h));
  DeleteObject(section);
  ASSERT_EQ(px.size(), 2u);
  EXPECT_EQ((std::vector<COLORREF> { Canvas::Cr(px[0]), Canvas::Cr(px[1]) }), expected);
}

TEST(BmpCodec, BadDataIsAnErrorNeverACrash) {
  std::vector<uint8_t> good = ReadFile("im_bmp24.bmp");
  xj::bmp::Dib dib;
  // Every truncation of a valid file either fails or (once the pixels are complete) succeeds.
  for (size_t n = 0; n < good.size(); ++n) {
    auto r = xj::bmp::Read(good.data(), n, dib);
    if (n < good.size() - 3)
      EXPECT_FALSE(r.Ok) << n;
    else
      EXPECT_TRUE(r.Ok) << n;  // the last row's 3 padding bytes may be missing
  }
  auto patched = [&](size_t at, uint32_t value) {
    std::vector<uint8_t> d = good;
    std::memcpy(d.data() + at, &value, 4);
    return d;
  };
  struct Bad {
    size_t at;
    uint32_t value;
    const char* what;
  } bad[] = {
    { 18, 0x7FFFFFFF, "absurd width" },    { 22, 0x80000000u, "most negative height" },
    { 22, 0x00FFFFFF, "absurd height" },   { 28, 7 | (1u << 16), "bit depth 7" },
    { 30, 4, "JPEG compression" },         { 30, BI_RLE8, "RLE8 at 24 bits" },
    { 10, 0xFFFFFF00u, "offset outside" }, { 14, 41, "odd header size" },
  };
  for (const Bad& b : bad) {
    std::vector<uint8_t> d = patched(b.at, b.value);
    EXPECT_FALSE(xj::bmp::Read(d.data(), d.size(), dib).Ok) << b.what;
  }
  // Not a BMP at all.
  const uint8_t junk[] = "PK\x03\x04 not a bitmap";
  EXPECT_FALSE(xj::bmp::Read(junk, sizeof junk, dib).Ok);
  EXPECT_FALSE(xj::bmp::Read(nullptr, 0, dib).Ok);
  // Bit fields covering the whole pixel are odd but readable.
  std::vector<uint8_t> fields = ReadFile("pyfields32.bmp");
  uint32_t all = 0xFFFFFFFFu;
  std::memcpy(fields.data() + 54, &all, 4);
  ASSERT_TRUE(xj::bmp::Read(fields.data(), fields.size(), dib).Ok);
  EXPECT_EQ(Colours(dib).size(), 35u);
  // A tiny RLE file may not claim a huge picture.
  std::vector<uint8_t> rle = ReadFile("im_bmp8rle.bmp");
  uint32_t big = 20000;
  std::memcpy(rle.data() + 18, &big, 4);
  std::memcpy(rle.data() + 22, &big, 4);
  EXPECT_FALSE(xj::bmp::Read(rle.data(), rle.size(), dib).Ok);
}

}  // namespace
