// TBitmap: sizes, pixel formats and their scan lines, masks and transparency, streams and form data.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include "platform/win32/GdiInternal.h"
#include "tests/platform/graphics/GraphicsTestUtil.h"

using namespace gtest_graphics;

namespace {

const std::initializer_list<std::pair<char, TColor>> kInks {
  { 'R', clRed }, { 'G', clLime }, { 'B', clBlue }, { 'W', clWhite }, { 'K', clBlack }, { 'Y', clYellow },
};

TBitmap* MakeFour(TBitmap& b) {
  b.SetSize(4, 3);
  Paint(b, { "RGBW", "KYRG", "BBKW" }, kInks);
  return &b;
}

void ExpectSamePixels(TBitmap& a, TBitmap& b) {
  ASSERT_EQ(a.Width(), b.Width());
  ASSERT_EQ(a.Height(), b.Height());
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) ASSERT_EQ(a.Canvas()->Pixels(x, y), b.Canvas()->Pixels(x, y)) << x << "," << y;
}

TEST(BitmapSize, NewAndEnlargedAreasAreWhiteAndTheOverlapSurvives) {
  TBitmap b;
  EXPECT_TRUE(b.Empty());
  b.SetSize(3, 2);
  EXPECT_EQ(Map(b, clWhite), Rows({ "###", "###" }));
  b.Canvas()->Brush()->SetColor(clRed);
  b.Canvas()->FillRect(Rect(0, 0, 3, 2));
  b.SetWidth(5);
  b.SetHeight(3);
  EXPECT_EQ(Map(b, clRed), Rows({ "###..", "###..", "....." }));
  EXPECT_EQ(Map(b, clWhite), Rows({ "...##", "...##", "#####" }));
  b.SetSize(2, 1);
  EXPECT_EQ(Map(b, clRed), Rows({ "##" }));
  b.SetSize(4, 2);
  EXPECT_EQ(Map(b, clRed), Rows({ "##..", "...." }));
}

TEST(BitmapSize, EveryFormatKeepsItsOverlapWhenResized) {
  for (TPixelFormat pf : { pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit }) {
    TBitmap b;
    b.SetPixelFormat(pf);
    b.SetSize(9, 3);  // 9 pixels: a partial byte at 1 and 4 bits
    b.Canvas()->SetPixels(8, 2, clBlack);
    b.Canvas()->SetPixels(0, 0, clBlack);
    b.SetSize(11, 4);
    EXPECT_EQ(b.PixelFormat(), pf);
    EXPECT_EQ(Map(b, clBlack), Rows({ "#..........", "...........", "........#..", "..........." })) << pf;
    EXPECT_EQ(b.Canvas()->Pixels(9, 2), clWhite) << pf;  // new columns white, not left-over bits
  }
}

// A new bitmap is white however it is first looked at, drawn from or handed out, though a bitmap of its
// size full of colour was freed just before it was made. Each way reads pixel (6, 4).
TEST(BitmapSize, ANewBitmapIsWhiteWhereverItIsFirstRead) {
  auto of = [](HBITMAP h, bool own = false) {
    std::vector<uint32_t> px;
    int w = 0, hh = 0;
    const uint32_t v = xj::gdi::ReadBitmapPixels(h, px, w, hh) ? px[size_t(4 * w + 6)] & 0xFFFFFF : 0u;
    if (own) DeleteObject(h);
    return v;
  };
  auto onto = [](TBitmap& b, auto draw) {
    TBitmap other;
    draw(other, b);
    return uint32_t(other.Canvas()->Pixels(6, 4));
  };
  const std::pair<const char*, std::function<uint32_t(TBitmap&)>> reads[] = {
    { "scan line", [](TBitmap& b) { return static_cast<uint32_t*>(b.ScanLine(4))[6]; } },
    { "canvas", [](TBitmap& b) { return uint32_t(b.Canvas()->Pixels(6, 4)); } },
    { "handle", [&](TBitmap& b) { return of(b.Handle()); } },
    { "released", [&](TBitmap& b) { return of(b.ReleaseHandle(), true); } },
    { "mask of white", [&](TBitmap& b) { return b.SetTransparentColor(clWhite), of(b.MaskHandle()); } },
    { "made a mask", [&](TBitmap& b) { return b.Mask(clWhite), of(b.Handle()); } },
    { "converted", [&](TBitmap& b) { return b.SetPixelFormat(pf24bit), uint32_t(b.Canvas()->Pixels(6, 4)); } },
    { "enlarged", [](TBitmap& b) { return b.SetSize(9, 6), static_cast<uint32_t*>(b.ScanLine(4))[6]; } },
    { "assigned", [&](TBitmap& b) { return onto(b, [](TBitmap& o, TBitmap& s) { o.Assign(&s); }); } },
    { "drawn",
      [&](TBitmap& b) {
        return onto(b, [](TBitmap& o, TBitmap& s) { o.SetSize(7, 5), o.Canvas()->Draw(0, 0, &s); });
      } },
    { "saved",
      [&](TBitmap& b) {
        TMemoryStream s;
        b.SaveToStream(&s);
        s.SetPosition(0);
        return onto(b, [&](TBitmap& o, TBitmap&) { o.LoadFromStream(&s); });
      } },
  };
  for (const auto& [what, read] : reads) {
    {
      TBitmap used;
      used.SetSize(7, 5);
      for (int y = 0; y < 5; ++y) std::fill_n(static_cast<uint32_t*>(used.ScanLine(y)), 7, 0x00345678u);
    }
    TBitmap b;
    b.SetSize(7, 5);
    EXPECT_EQ(read(b), 0xFFFFFFu) << what;
  }
}

TEST(BitmapSize, ZeroAndNegativeSizesGiveAnEmptyBitmap) {
  TBitmap b;
  b.SetSize(-5, 10);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Width(), 0);
  EXPECT_EQ(b.Height(), 10);
  b.Canvas()->FillRect(Rect(0, 0, 5, 5));           // drawing on an empty bitmap draws nothing
  EXPECT_EQ(b.Canvas()->Pixels(1, 1), TColor(-1));  // only the DC's 1 × 1 stock bitmap is there
  EXPECT_THROW(b.ScanLine(0), EInvalidGraphicOperation);
  b.SetSize(2, 2);
  EXPECT_EQ(Map(b, clWhite), Rows({ "##", "##" }));
  b.SetSize(0, 0);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Handle(), nullptr);
  TBitmap huge;
  EXPECT_THROW(huge.SetSize(100000, 100000), EOutOfResources);
  EXPECT_TRUE(huge.Empty());
}

TEST(BitmapFormat, ConversionsKeepColoursTheFormatCanHold) {
  TBitmap src;
  MakeFour(src);
  for (TPixelFormat pf : { pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit }) {
    TBitmap b;
    b.Assign(&src);
    b.SetPixelFormat(pf);
    EXPECT_EQ(b.PixelFormat(), pf);
    // The eight colours used are in every palette and exact in 5-bit channels (0 and 255).
    ExpectSamePixels(b, src);
  }
  TBitmap mono;
  mono.Assign(&src);
  mono.SetPixelFormat(pf1bit);
  EXPECT_TRUE(mono.Monochrome());
  EXPECT_EQ(Map(mono, clWhite), Rows({ "...#", "....", "...#" }));  // only white stays white
  EXPECT_EQ(Map(mono, clBlack), Rows({ "###.", "####", "###." }));
  mono.SetMonochrome(false);
  EXPECT_FALSE(mono.Monochrome());
  EXPECT_EQ(mono.PixelFormat(), pfDevice);
}

TEST(BitmapScanLine, RowsAreTopToBottomInTheBitmapsOwnFormat) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(3, 2);
  b.Canvas()->SetPixels(0, 0, TColor(RGB(0x11, 0x22, 0x33)));
  b.Canvas()->SetPixels(2, 1, clRed);
  auto* r0 = static_cast<uint8_t*>(b.ScanLine(0));
  EXPECT_EQ(r0[0], 0x33);  // B, G, R
  EXPECT_EQ(r0[1], 0x22);
  EXPECT_EQ(r0[2], 0x11);
  auto* r1 = static_cast<uint8_t*>(b.ScanLine(1));
  EXPECT_EQ(r1[6], 0);
  EXPECT_EQ(r1[8], 0xFF);
  EXPECT_EQ(static_cast<uint8_t*>(b.ScanLine(1)) - r0, 12);  // rows padded to 4 bytes
  r1[0] = 0x00;
  r1[1] = 0xFF;
  r1[2] = 0x00;
  EXPECT_EQ(b.Canvas()->Pixels(0, 1), clLime);  // writes through the scan line are seen by the canvas

  b.SetPixelFormat(pf32bit);  // 24 → 32: same colours, the fourth byte 0
  auto* q = static_cast<uint32_t*>(b.ScanLine(0));
  EXPECT_EQ(q[0], 0x00112233u);
  EXPECT_EQ(q[1], 0x00FFFFFFu);
  EXPECT_EQ(static_cast<uint32_t*>(b.ScanLine(1))[2], 0x00FF0000u);
  EXPECT_THROW(b.ScanLine(2), EInvalidGraphicOperation);
  EXPECT_THROW(b.ScanLine(-1), EInvalidGraphicOperation);
}

TEST(BitmapScanLine, PackedFormatsLayOutPixelsAsTheFileFormatDoes) {
  struct Case {
    TPixelFormat Format;
    std::vector<uint8_t> Row0;  // pixel 0 red, pixel 1 white
  } cases[] = {
    { pf16bit, { 0x00, 0xF8, 0xFF, 0xFF } },  // 5-6-5, little-endian
    { pf15bit, { 0x00, 0x7C, 0xFF, 0x7F } },  // 5-5-5
    { pf32bit, { 0x00, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00 } },
  };
  for (const Case& c : cases) {
    TBitmap b;
    b.SetPixelFormat(c.Format);
    b.SetSize(2, 1);
    b.Canvas()->SetPixels(0, 0, clRed);
    const auto* row = static_cast<const uint8_t*>(b.ScanLine(0));
    EXPECT_EQ(std::vector<uint8_t>(row, row + c.Row0.size()), c.Row0) << c.Format;
  }
  TBitmap mono;
  mono.SetPixelFormat(pf1bit);
  mono.SetSize(10, 1);
  mono.Canvas()->SetPixels(0, 0, clBlack);
  mono.Canvas()->SetPixels(9, 0, clBlack);
  const auto* bits = static_cast<const uint8_t*>(mono.ScanLine(0));
  EXPECT_EQ(bits[0], 0x7F);         // most significant bit first, 1 = white
  EXPECT_EQ(bits[1] & 0xC0, 0x80);  // pixel 8 white, pixel 9 black
}

// What RowsView shows of a section, whoever made it, is what the GDI reports of it; a section handed in is
// 3 x 2 at 32 bits, bottom-up, with channel masks.
TEST(BitmapScanLine, TheRowsViewIsWhatTheGdiReportsOfTheSection) {
  auto handed = [](TBitmap& b, DWORD R, DWORD B) {
    struct {
      BITMAPINFOHEADER Header;
      DWORD Masks[3];
    } info { { sizeof(BITMAPINFOHEADER), 3, 2, 1, 32, BI_BITFIELDS, 0, 0, 0, 0, 0 }, { R, 0xFF00, B } };
    void* bits = nullptr;
    b.SetHandle(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
  };
  const std::function<void(TBitmap&)> makers[] = {
    [](TBitmap& b) { b.SetSize(5, 3); },  // new 32 bits
    [](TBitmap& b) { b.SetPixelFormat(pf24bit), b.SetSize(3, 2); },
    [](TBitmap& b) { b.SetPixelFormat(pf16bit), b.SetSize(3, 2); },
    [](TBitmap& b) { b.SetSize(7, 1); },
    [&](TBitmap& b) { handed(b, 0xFF, 0xFF0000); },  // red and blue the other way round
    [&](TBitmap& b) { handed(b, 0xFF0000, 0xFF); },
  };
  for (size_t i = 0; i < std::size(makers); ++i) {
    TBitmap b;
    makers[i](b);
    TBitmap::TRowsView view;
    ASSERT_TRUE(b.RowsView(view)) << i;
    DIBSECTION ds {};
    ASSERT_EQ(GetObjectA(b.Handle(), sizeof ds, &ds), int(sizeof ds)) << i;
    const int bpp = ds.dsBm.bmBitsPixel;
    auto* row0 = static_cast<uint8_t*>(b.ScanLine(0));
    EXPECT_EQ(view.Base, row0) << i;
    EXPECT_EQ(view.Stride, b.Height() > 1 ? static_cast<uint8_t*>(b.ScanLine(1)) - row0 : 0) << i;
    EXPECT_EQ(view.BitCount, bpp) << i;
    EXPECT_EQ(view.Plain, bpp >= 24 && (ds.dsBmih.biCompression == BI_RGB || ds.dsBitfields[0] == 0xFF0000)) << i;
  }
}

TEST(BitmapMask, MaskTurnsTheBitmapIntoItsMonochromeMask) {
  TBitmap b;
  MakeFour(b);
  b.Mask(clRed);
  EXPECT_TRUE(b.Monochrome());
  EXPECT_EQ(b.PixelFormat(), pf1bit);
  EXPECT_EQ(Map(b, clWhite), Rows({ "#...", "..#.", "...." }));
  EXPECT_EQ(Map(b, clBlack), Rows({ ".###", "##.#", "####" }));
}

TEST(BitmapMask, MaskHandleMarksTheTransparentColourAndIsReleasable) {
  TBitmap b;
  MakeFour(b);  // bottom-left blue
  EXPECT_EQ(b.TransparentColor(), clBlue);
  HBITMAP mask = b.ReleaseMaskHandle();
  ASSERT_NE(mask, nullptr);
  std::vector<uint32_t> px;
  int w = 0, h = 0;
  ASSERT_TRUE(xj::gdi::ReadBitmapPixels(mask, px, w, h));
  EXPECT_EQ(xj::gdi::BitmapBitCount(mask), 1);
  std::string map;
  for (int y = 0; y < h; ++y, map += '\n')
    for (int x = 0; x < w; ++x) map += px[size_t(y * w + x)] ? '#' : '.';
  EXPECT_EQ(map, Rows({ "..#.", "....", "##.." }));
  EXPECT_TRUE(DeleteObject(mask));  // the caller's now
  EXPECT_NE(b.MaskHandle(), nullptr);
}

TEST(BitmapTransparency, AutomaticColourIsBottomLeftOrWhiteForMonochrome) {
  TBitmap b;
  b.SetSize(2, 2);
  b.Canvas()->SetPixels(0, 1, clNavy);
  EXPECT_EQ(b.TransparentColor(), clNavy);
  EXPECT_EQ(b.TransparentMode(), tmAuto);
  b.SetTransparentColor(clRed);
  EXPECT_EQ(b.TransparentMode(), tmFixed);
  EXPECT_EQ(b.TransparentColor(), clRed);
  b.SetTransparentMode(tmAuto);
  EXPECT_EQ(b.TransparentColor(), clNavy);
  b.SetMonochrome(true);
  EXPECT_EQ(b.TransparentColor(), clWhite);
}

TEST(BitmapCopy, AssignIsADeepCopyAndNullEmpties) {
  TBitmap a;
  MakeFour(a);
  a.SetTransparent(true);
  TBitmap b;
  b.Assign(&a);
  ExpectSamePixels(a, b);
  EXPECT_TRUE(b.Transparent());
  EXPECT_NE(a.Handle(), b.Handle());
  b.Canvas()->SetPixels(0, 0, clBlack);
  EXPECT_EQ(a.Canvas()->Pixels(0, 0), clRed);
  b.Assign(nullptr);
  EXPECT_TRUE(b.Empty());
}

TEST(BitmapHandle, HandleIsFreeForOtherDcsAndForeignHandlesWork) {
  TBitmap b;
  MakeFour(b);
  b.Canvas()->Pixels(0, 0);  // the canvas DC holds the bitmap
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, b.Handle());
  ASSERT_NE(old, nullptr);
  EXPECT_EQ(GetPixel(dc, 0, 0), 0x0000FFu);
  SelectObject(dc, old);
  DeleteDC(dc);

  // A device bitmap from outside: owned, drawable, and given scan lines on demand.
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  HBITMAP ddb = CreateCompatibleBitmap(screen, 3, 2);
  DeleteDC(screen);
  TBitmap f;
  f.SetHandle(ddb);
  EXPECT_EQ(f.Width(), 3);
  EXPECT_EQ(f.PixelFormat(), pfDevice);
  f.Canvas()->SetPixels(1, 1, clRed);
  EXPECT_EQ(static_cast<uint32_t*>(f.ScanLine(1))[1], 0x00FF0000u);
  EXPECT_EQ(f.Canvas()->Pixels(1, 1), clRed);
}

TEST(BitmapStream, RoundTripsKeepPixelsAndPaletteDepths) {
  struct Case {
    TPixelFormat Format, Reloaded;
  } cases[] = { { pf1bit, pf1bit },   { pf4bit, pf4bit },    { pf8bit, pf8bit },  { pf24bit, pf24bit },
                { pf32bit, pf24bit }, { pfDevice, pf24bit }, { pf16bit, pf24bit } };
  for (const Case& c : cases) {
    TBitmap a;
    MakeFour(a);
    a.SetPixelFormat(c.Format);
    TMemoryStream s;
    a.SaveToStream(&s);
    s.SetPosition(0);
    TBitmap b;
    b.LoadFromStream(&s);
    EXPECT_EQ(b.PixelFormat(), c.Reloaded) << c.Format;
    ExpectSamePixels(a, b);
    EXPECT_EQ(s.Position(), s.Size());
  }
}

TEST(BitmapStream, AStreamReadConsumesExactlyOneImage) {
  TBitmap a, b;
  MakeFour(a);
  b.SetSize(1, 1);
  TMemoryStream s;
  a.SaveToStream(&s);
  const int64_t first = s.Size();
  b.SaveToStream(&s);
  s.WriteBuffer("tail", 4);
  s.SetPosition(0);
  TBitmap r1, r2;
  r1.LoadFromStream(&s);
  EXPECT_EQ(s.Position(), first);
  r2.LoadFromStream(&s);
  EXPECT_EQ(r2.Width(), 1);
  char tail[4];
  s.ReadBuffer(tail, 4);
  EXPECT_EQ(std::string(tail, 4), "tail");
}

TEST(BitmapStream, EmptyBitmapsWriteAHeaderOnlyImage) {
  TBitmap empty;
  TMemoryStream s;
  empty.SaveToStream(&s);
  EXPECT_EQ(s.Size(), 54);
  s.SetPosition(0);
  TBitmap b;
  b.SetSize(3, 3);
  b.LoadFromStream(&s);
  EXPECT_TRUE(b.Empty());
}

// The file image of MakeFour's bitmap.
std::vector<uint8_t> FourImage() {
  TBitmap good;
  MakeFour(good);
  TMemoryStream image;
  good.SaveToStream(&image);
  const auto* bytes = static_cast<const uint8_t*>(image.Memory());
  return std::vector<uint8_t>(bytes, bytes + image.Size());
}

TEST(BitmapStream, BadDataRaisesAndLeavesTheBitmapAlone) {
  const std::vector<uint8_t> whole = FourImage();
  std::vector<std::vector<uint8_t>> bad {
    {},
    { 'B', 'M' },
    std::vector<uint8_t>(whole.begin(), whole.begin() + 60),  // pixels cut off
    std::vector<uint8_t>(100, 0x42),
  };
  std::vector<uint8_t> hugeHeader = whole;
  const int32_t huge = 1 << 30;
  std::memcpy(&hugeHeader[18], &huge, 4);  // a width the data cannot hold
  bad.push_back(hugeHeader);
  std::vector<uint8_t> badDepth = whole;
  badDepth[28] = 7;
  bad.push_back(badDepth);
  for (const auto& data : bad) {
    TBitmap b;
    MakeFour(b);
    TMemoryStream s;
    if (!data.empty()) s.WriteBuffer(data.data(), int(data.size()));
    s.SetPosition(0);
    EXPECT_THROW(b.LoadFromStream(&s), EInvalidGraphic) << data.size();
    EXPECT_EQ(b.Width(), 4);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
  }
}

TEST(BitmapStream, APictureTooLargeIsReportedWithItsSize) {
  // Past the side limit, and within it but past the pixel count.
  for (const auto& [w, h] : { std::pair { 40000, 2 }, std::pair { 9000, -9000 } }) {
    std::vector<uint8_t> data = FourImage();
    std::memcpy(&data[18], &w, 4);
    std::memcpy(&data[22], &h, 4);
    TMemoryStream s;
    s.WriteBuffer(data.data(), int(data.size()));
    s.SetPosition(0);
    TBitmap b;
    try {
      b.LoadFromStream(&s);
      ADD_FAILURE() << w << " x " << h << " loaded";
    } catch (const EInvalidGraphic& e) {
      const AnsiString size = std::to_string(w) + " x " + std::to_string(std::abs(h));
      EXPECT_NE(e.Message().find("too large"), AnsiString::npos) << e.Message();
      EXPECT_NE(e.Message().find(size), AnsiString::npos) << e.Message();
    }
  }
}

TEST(BitmapFile, FilesAndMissingFiles) {
  TempDir dir("bitmap_file");
  TBitmap a;
  MakeFour(a);
  a.SetPixelFormat(pf4bit);
  a.SaveToFile(dir.File("four.bmp"));
  TBitmap b;
  b.LoadFromFile(dir.File("four.bmp"));
  EXPECT_EQ(b.PixelFormat(), pf4bit);
  ExpectSamePixels(a, b);
  EXPECT_THROW(b.LoadFromFile(dir.File("missing.bmp")), EFOpenError);
  const std::string fixture = std::string(XJ_SOURCE_DIR) + "/tests/data/bmp/im_bmp8rle.bmp";
  TBitmap rle;
  rle.LoadFromFile(fixture);  // written by another program
  EXPECT_FALSE(rle.Empty());
  EXPECT_EQ(rle.PixelFormat(), pf8bit);
}

TEST(BitmapResource, ResourcesByNameAndMissingOnes) {
  TBitmap a;
  MakeFour(a);
  TMemoryStream s;
  a.SaveToStream(&s);
  static std::vector<uint8_t> bytes;
  bytes.assign(static_cast<uint8_t*>(s.Memory()), static_cast<uint8_t*>(s.Memory()) + s.Size());
  xj::gdi::RegisterBitmapResource("GRAPHICS_TEST_FOUR", bytes.data(), bytes.size());
  TBitmap b;
  b.LoadFromResourceName(nullptr, "graphics_test_four");
  ExpectSamePixels(a, b);
  EXPECT_THROW(b.LoadFromResourceName(nullptr, "NO_SUCH_BITMAP"), EInvalidGraphic);
}

}  // namespace
