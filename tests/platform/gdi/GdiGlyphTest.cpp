// Glyphs of real fonts: every stroke of dense Chinese characters at small sizes, synthetic bold, strike
// glyphs loaded without their outline header, and the glyph cache shared by fonts and DCs (eviction,
// fonts changed between runs, one character at several sizes and styles, drawing from two threads).
// Writes build/tests/gallery/small_text.png.

#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "platform/display/Png.h"
#include "platform/win32/GdiInternal.h"
#include "tests/platform/gdi/GdiTestUtil.h"

using gditest::Canvas;

namespace {

HFONT Font(const char* face, LONG height, LONG weight = FW_NORMAL, bool italic = false) {
  return gditest::MakeFont(face, height, weight, 0, false, false, italic);
}

// Darkness (0 white … 255 black) of black text drawn on white.
int Dark(const Canvas& c, int x, int y) { return 255 - int(GetRValue(c.At(x, y))); }

void Draw(Canvas& c, HFONT font, int x, int y, const char* text) {
  HGDIOBJ old = SelectObject(c.dc(), font);
  SetBkMode(c.dc(), TRANSPARENT);
  SetTextColor(c.dc(), RGB(0, 0, 0));
  TextOutA(c.dc(), x, y, text, int(std::strlen(text)));
  SelectObject(c.dc(), old);
}

// One character drawn at em size px, and the same character drawn eight times larger and averaged
// down to px: where the large drawing has a stroke, the small one must have ink within a pixel.
struct StrokeCheck {
  static constexpr int kScale = 8, kSize = 24;
  Canvas small { kSize, kSize };
  std::vector<int> reference = std::vector<int>(kSize * kSize, 0);

  StrokeCheck(const char* face, const char* ch, int px, LONG weight, bool italic) {
    HFONT f = Font(face, -px, weight, italic);
    Draw(small, f, 3, 3, ch);
    DeleteObject(f);
    Canvas big(kSize * kScale, kSize * kScale);
    HFONT g = Font(face, -px * kScale, weight, italic);
    Draw(big, g, 3 * kScale, 3 * kScale, ch);
    DeleteObject(g);
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        int sum = 0;
        for (int v = 0; v < kScale; ++v)
          for (int u = 0; u < kScale; ++u) sum += Dark(big, x * kScale + u, y * kScale + v);
        reference[size_t(y * kSize + x)] = sum / (kScale * kScale);
      }
  }

  // Stroke pixels of the reference with no dark pixel of the small drawing within one pixel.
  int Missing() const {
    int missing = 0;
    for (int y = 1; y < kSize - 1; ++y)
      for (int x = 1; x < kSize - 1; ++x) {
        if (reference[size_t(y * kSize + x)] < 110) continue;
        bool inked = false;
        for (int v = -1; v <= 1; ++v)
          for (int u = -1; u <= 1; ++u) inked |= Dark(small, x + u, y + v) >= 100;
        missing += !inked;
      }
    return missing;
  }

  int Ink() const {
    int n = 0;
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) n += Dark(small, x, y) >= 100;
    return n;
  }
};

TEST(GdiGlyphs, EveryStrokeOfDenseCharactersIsThereFromElevenToEighteenPixels) {
  // 11-16 px draw the CJK face's bitmap strikes, 17 and 18 its hinted outlines.
  // The CJK face itself, and a Latin face whose Chinese comes from it (menus and message boxes).
  for (const char* face : { "宋体", "MS Sans Serif" })
    for (const char* ch : { "线", "输", "误" })
      for (int px = 11; px <= 18; ++px)
        for (LONG weight : { FW_NORMAL, FW_BOLD })
          for (bool italic : { false, true }) {
            StrokeCheck check(face, ch, px, weight, italic);
            EXPECT_EQ(check.Missing(), 0)
                << face << " " << ch << " " << px << " px, weight " << weight << (italic ? " italic" : "");
            EXPECT_GT(check.Ink(), px * 3) << face << " " << ch << " " << px << " px";
          }
}

// What a glyph load leaves in the slot for drawing: format, bearings, advance and bitmap.
std::vector<long> SlotOf(FT_Face f) {
  const FT_GlyphSlot s = f->glyph;
  const FT_Bitmap& b = s->bitmap;
  std::vector<long> v { long(s->format), s->bitmap_left, s->bitmap_top, s->advance.x, long(b.rows), b.pitch };
  if (b.buffer) v.insert(v.end(), b.buffer, b.buffer + size_t(b.rows) * size_t(std::abs(b.pitch)));
  return v;
}

TEST(GdiGlyphs, TheStrikeShortcutTakesExactlyTheStrikesGlyphsAndLoadsThemAlike) {
  // Every third glyph of the CJK face (a quarter of them missing from its strikes), in grey and in
  // mono, at a strike's size and at one without: the shortcut takes just the glyphs the ordinary load
  // draws from the strike, leaves the slot as that load does and the face's flags as they were.
  FT_Library lib = nullptr;
  FT_Face plain = nullptr, quick = nullptr;
  const char* file = XJ_BINARY_DIR "/tests/fonts/uming.ttc";
  ASSERT_TRUE(!FT_Init_FreeType(&lib) && !FT_New_Face(lib, file, 0, &plain) && !FT_New_Face(lib, file, 0, &quick));
  for (int px : { 11, 17 })
    for (FT_Int32 flags : { FT_LOAD_DEFAULT, FT_LOAD_TARGET_MONO }) {
      FT_Set_Pixel_Sizes(plain, 0, FT_UInt(px));
      FT_Set_Pixel_Sizes(quick, 0, FT_UInt(px));
      int taken = 0, misjudged = 0, unlike = 0;
      for (FT_UInt g = 0; g < FT_UInt(plain->num_glyphs); g += 3) {
        const bool took = xj::gdi::LoadGlyphFromStrike(quick, g, flags);
        ASSERT_EQ(quick->face_flags, plain->face_flags) << px << " px, glyph " << g;
        ASSERT_EQ(FT_Load_Glyph(plain, g, flags), 0) << px << " px, glyph " << g;
        misjudged += took != (plain->glyph->format == FT_GLYPH_FORMAT_BITMAP && plain->glyph->bitmap.rows > 0);
        unlike += took && SlotOf(quick) != SlotOf(plain);
        taken += took;
      }
      EXPECT_EQ(misjudged, 0) << px << " px";
      EXPECT_EQ(unlike, 0) << px << " px";
      EXPECT_EQ(taken > 0, px == 11) << px << " px";
    }
  FT_Done_FreeType(lib);  // and the faces
}

// The widest run of dark pixels in any row, and the dark pixels in all.
std::pair<int, int> Strokes(const Canvas& c) {
  int widest = 0, dark = 0;
  for (int y = 0; y < c.h(); ++y)
    for (int x = 0, run = 0; x < c.w(); ++x) {
      run = Dark(c, x, y) >= 128 ? run + 1 : 0;
      widest = std::max(widest, run);
      dark += run > 0;
    }
  return { widest, dark };
}

TEST(GdiGlyphs, BoldWidensTheStrokesOfFacesWithoutABoldFace) {
  // The CJK face has no bold: its bold is synthesised, strokes one pixel wider, the advance one more.
  for (int px = 11; px <= 16; ++px) {
    Canvas regular(40, 24), bold(40, 24);
    HFONT r = Font("宋体", -px), b = Font("宋体", -px, FW_BOLD);
    Draw(regular, r, 2, 2, "川");
    Draw(bold, b, 2, 2, "川");
    auto [rw, rd] = Strokes(regular);
    auto [bw, bd] = Strokes(bold);
    EXPECT_GE(bw, 2) << px << " px: a vertical stroke two pixels wide";
    EXPECT_GT(bw, rw) << px << " px";
    EXPECT_GT(bd, rd + px) << px << " px";
    SIZE rs {}, bs {};
    HGDIOBJ old = SelectObject(regular.dc(), r);
    GetTextExtentPoint32A(regular.dc(), "川川", 4, &rs);
    SelectObject(regular.dc(), b);
    GetTextExtentPoint32A(regular.dc(), "川川", 4, &bs);
    SelectObject(regular.dc(), old);
    EXPECT_EQ(bs.cx, rs.cx + 2) << px << " px";
    DeleteObject(r);
    DeleteObject(b);
  }
}

TEST(GdiGlyphs, GalleryOfSmallAndBoldText) {
  // Columns regular and bold; bands of the CJK face, a Latin face (its Chinese linked from the CJK
  // face) and the CJK face in italic; a row per size from 11 to 16 px.
  struct Band {
    const char* face;
    bool italic;
  } bands[] = { { "宋体", false }, { "MS Sans Serif", false }, { "宋体", true } };
  const char* text = "线输误 录音设备连接错误 Line 12 输入";
  const int colW = 330, rowH = 19, bandH = 6 * rowH;
  Canvas c(2 * colW, 3 * bandH);
  for (int band = 0; band < 3; ++band)
    for (int col = 0; col < 2; ++col)
      for (int px = 11; px <= 16; ++px) {
        HFONT f = Font(bands[band].face, -px, col ? FW_BOLD : FW_NORMAL, bands[band].italic);
        Draw(c, f, 4 + col * colW, band * bandH + (px - 11) * rowH + 1, text);
        DeleteObject(f);
      }
  // Three times larger, so each pixel can be seen.
  const int scale = 3, w = c.w() * scale, h = c.h() * scale;
  std::vector<uint32_t> big(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) big[size_t(y * w + x)] = c.Raw(x / scale, y / scale);
  const std::string dir = std::string(XJ_BINARY_DIR) + "/tests/gallery";
  std::filesystem::create_directories(dir);
  std::string error;
  ASSERT_TRUE(xj::display::WritePng(dir + "/small_text.png", { big.data(), w, h, w * 4 }, &error)) << error;
  // Every row of the picture holds text: no size, weight or face drew nothing.
  for (int band = 0; band < 3; ++band)
    for (int col = 0; col < 2; ++col)
      for (int px = 11; px <= 16; ++px) {
        int dark = 0, top = band * bandH + (px - 11) * rowH;
        for (int y = top; y < top + rowH; ++y)
          for (int x = col * colW; x < (col + 1) * colW; ++x) dark += Dark(c, x, y) > 128;
        EXPECT_GT(dark, 30 * px) << band << " " << col << " " << px;
      }
}

TEST(GdiGlyphs, TurnedAndMonochromeTextIsTheUprightPictureTurnedOrThresholded) {
  // Upright text is laid straight onto the surface; turned text goes through a coverage mask, and a
  // monochrome target takes a pixel from half coverage up. All must agree pixel for pixel.
  for (const char* face : { "宋体", "MS Sans Serif" }) {
    const char* text = "Ag中文";
    const int rx = 60, ry = 61;
    Canvas upright(121, 122);
    HFONT f = Font(face, -13);
    Draw(upright, f, rx, ry, text);
    DeleteObject(f);
    for (int q = 1; q < 4; ++q) {
      Canvas turned(121, 122);
      HFONT t = Font(face, -13);
      LOGFONTA lf {};
      GetObjectA(t, sizeof lf, &lf);
      DeleteObject(t);
      lf.lfEscapement = q * 900;
      t = CreateFontIndirectA(&lf);
      Draw(turned, t, rx, ry, text);
      DeleteObject(t);
      int differ = 0;
      for (int v = -30; v < 30; ++v)
        for (int u = 0; u < 60; ++u) {
          int x = q == 1 ? rx + v : q == 2 ? rx - 1 - u : rx - 1 - v;
          int y = q == 1 ? ry - 1 - u : q == 2 ? ry - 1 - v : ry + u;
          differ += turned.Raw(x, y) != upright.Raw(rx + u, ry + v);
        }
      EXPECT_EQ(differ, 0) << face << " turned " << q * 90;
    }
    HDC mono = CreateCompatibleDC(nullptr);
    HBITMAP bits = CreateBitmap(121, 122, 1, 1, nullptr);
    HGDIOBJ oldBitmap = SelectObject(mono, bits);
    PatBlt(mono, 0, 0, 121, 122, WHITENESS);
    HFONT m = Font(face, -13);
    HGDIOBJ oldFont = SelectObject(mono, m);
    SetBkMode(mono, TRANSPARENT);
    TextOutA(mono, rx, ry, text, int(std::strlen(text)));
    SelectObject(mono, oldFont);
    SelectObject(mono, oldBitmap);
    DeleteObject(m);
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    ASSERT_TRUE(xj::gdi::ReadBitmapPixels(bits, px, w, h));
    int differ = 0, black = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        bool dark = (px[size_t(y * w + x)] & 0xFFFFFF) == 0;
        black += dark;
        differ += dark != (Dark(upright, x, y) >= 128);
      }
    EXPECT_EQ(differ, 0) << face << " on a monochrome bitmap";
    EXPECT_GT(black, 40) << face;
    DeleteObject(bits);
    DeleteDC(mono);
  }
}

// ---- Laying coverage onto pixels ------------------------------------------------------------------------

// A pixel under text of colour c with coverage a, channel by channel: none leaves every byte, full is the colour,
// anything between moves each channel towards the colour's by its distance times a / 255, rounded half up, and
// clears the top byte.
uint32_t Laid(uint32_t d, uint32_t c, unsigned a) {
  if (a == 0) return d;
  uint32_t out = 0;
  for (int shift : { 0, 8, 16 }) {
    int dv = int(d >> shift & 0xFF), cv = int(c >> shift & 0xFF);
    int moved = (std::abs(cv - dv) * int(a) + 127) / 255;
    out |= uint32_t(cv > dv ? dv + moved : dv - moved) << shift;
  }
  return out;
}

TEST(GdiGlyphs, TextOnAnyPixelsIsEachPixelBlendedByItsCoverageWhereverTheClipCutsTheGlyphs) {
  // Smoothed Latin glyphs (coverage between none and full) beside the CJK face's strikes (none and full only),
  // laid straight and, with advances that make the glyphs overlap, through one merged mask. The clip's edges
  // move through the glyphs, leaving rows of every width from one pixel up.
  struct Case {
    const char* face;
    LONG height;
    int advance;  // 0: the font's own
  };
  const char* text = "Wgi中1.文lm";
  const int len = int(std::strlen(text)), x0 = 4, y0 = 3;
  const uint32_t color = 0x8AE03C;
  for (const Case& k : { Case { "MS Sans Serif", -11, 0 }, Case { "MS Sans Serif", -13, 4 }, Case { "宋体", 12, 0 },
                         Case { "宋体", 12, 5 } }) {
    std::vector<INT> dx(size_t(len), k.advance);
    const INT* advances = k.advance ? dx.data() : nullptr;
    HFONT f = Font(k.face, k.height);
    Canvas cover(150, 26, RGB(0, 0, 0));  // white on black: each pixel's coverage in each of its channels
    SelectObject(cover.dc(), f);
    SetBkMode(cover.dc(), TRANSPARENT);
    SetTextColor(cover.dc(), RGB(255, 255, 255));
    ExtTextOutA(cover.dc(), x0, y0, 0, nullptr, text, UINT(len), advances);
    SelectObject(cover.dc(), GetStockObject(SYSTEM_FONT));
    int between = 0, full = 0;
    for (int y = 0; y < cover.h(); ++y)
      for (int x = 0; x < cover.w(); ++x) {
        between += (cover.Raw(x, y) & 0xFF) % 255 != 0;
        full += (cover.Raw(x, y) & 0xFF) == 255;
      }
    EXPECT_GT(full, 40) << k.face;
    EXPECT_EQ(between > 0, k.height == -11 || k.height == -13) << k.face << " " << between;
    for (int cut = 0; cut < 10; ++cut) {
      Canvas c(150, 26);
      for (int y = 0; y < c.h(); ++y)
        for (int x = 0; x < c.w(); ++x) c.SetRaw(x, y, uint32_t(x * 0x9E3779B1u ^ y * 0x85EBCA77u));
      const RECT clip { x0 + cut, y0 + cut / 3, x0 + 17 + 4 * cut, 22 - cut / 4 };
      SelectObject(c.dc(), f);
      SetBkMode(c.dc(), TRANSPARENT);
      SetTextColor(c.dc(), RGB(0x8A, 0xE0, 0x3C));
      ExtTextOutA(c.dc(), x0, y0, ETO_CLIPPED, &clip, text, UINT(len), advances);
      SelectObject(c.dc(), GetStockObject(SYSTEM_FONT));
      int differ = 0;
      for (int y = 0; y < c.h(); ++y)
        for (int x = 0; x < c.w(); ++x) {
          const uint32_t under = uint32_t(x * 0x9E3779B1u ^ y * 0x85EBCA77u);
          const bool in = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
          differ += c.Raw(x, y) != (in ? Laid(under, color, cover.Raw(x, y) & 0xFF) : under);
        }
      EXPECT_EQ(differ, 0) << k.face << " " << k.height << " advance " << k.advance << " cut " << cut;
    }
    DeleteObject(f);
  }
}

// ---- The glyph cache ----------------------------------------------------------------------------------

const char* kMixed = "巡检系统启动后主窗口显示各线路的状态 Recording 录音盒连接正常";

std::vector<uint32_t> Pixels(const Canvas& c) {
  std::vector<uint32_t> out;
  for (int y = 0; y < c.h(); ++y)
    for (int x = 0; x < c.w(); ++x) out.push_back(c.Raw(x, y));
  return out;
}

// What a canvas shows after drawing text with a fresh font.
std::vector<uint32_t> Picture(const char* face, LONG height, LONG weight, const char* text) {
  Canvas c(420, 24);
  HFONT f = Font(face, height, weight);
  Draw(c, f, 3, 2, text);
  DeleteObject(f);
  return Pixels(c);
}

struct GlyphCacheTest : ::testing::Test {
  void TearDown() override { xj::gdi::SetGlyphCacheLimit(0); }
};

TEST_F(GlyphCacheTest, AFullCacheLetsGoOfGlyphsAndDrawsThemAgainTheSame) {
  std::vector<uint32_t> before = Picture("宋体", 12, FW_NORMAL, kMixed);
  // Room for a handful of glyphs: every run evicts glyphs, some of them its own.
  xj::gdi::SetGlyphCacheLimit(2000);
  xj::gdi::GlyphCacheStats start = xj::gdi::GetGlyphCacheStats();
  EXPECT_LE(start.Bytes, 2000u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Picture("宋体", 12, FW_NORMAL, kMixed), before) << "round " << i;
    EXPECT_EQ(Picture("宋体", 16, FW_BOLD, "中文"), Picture("宋体", 16, FW_BOLD, "中文"));
  }
  xj::gdi::GlyphCacheStats end = xj::gdi::GetGlyphCacheStats();
  EXPECT_LE(end.Bytes, 2000u);
  EXPECT_GT(end.Evictions, start.Evictions + 50);
  xj::gdi::SetGlyphCacheLimit(0);
  EXPECT_EQ(Picture("宋体", 12, FW_NORMAL, kMixed), before);
  EXPECT_GT(xj::gdi::GetGlyphCacheStats().Glyphs, 20u);
}

TEST_F(GlyphCacheTest, OneCharacterAtTwoSizesAndStylesKeepsEachItsOwnGlyph) {
  // Each drawn first alone, then all interleaved through one DC: none takes another's glyph.
  struct Style {
    const char* face;
    LONG height, weight;
  } styles[] = { { "宋体", -12, FW_NORMAL },
                 { "宋体", -16, FW_NORMAL },
                 { "宋体", -12, FW_BOLD },
                 { "MS Sans Serif", -12, FW_NORMAL },
                 { "MS Sans Serif", -12, FW_BOLD } };
  std::vector<std::vector<uint32_t>> alone;
  for (const Style& s : styles) alone.push_back(Picture(s.face, s.height, s.weight, "中a"));
  for (size_t i = 0; i < alone.size(); ++i)
    for (size_t j = i + 1; j < alone.size(); ++j) EXPECT_NE(alone[i], alone[j]) << i << " " << j;
  // A font changed between runs on the same DC, the same characters each time.
  Canvas c(420, 24);
  for (int round = 0; round < 2; ++round)
    for (size_t i = 0; i < alone.size(); ++i) {
      c.Fill(RGB(255, 255, 255));
      HFONT f = Font(styles[i].face, styles[i].height, styles[i].weight);
      Draw(c, f, 3, 2, "中a");
      DeleteObject(f);
      EXPECT_EQ(Pixels(c), alone[i]) << "style " << i << " round " << round;
    }
}

TEST_F(GlyphCacheTest, TwoThreadsDrawingThroughATinyCacheGetTheirOwnPictures) {
  std::vector<uint32_t> a = Picture("宋体", 12, FW_NORMAL, kMixed), b = Picture("宋体", 15, FW_BOLD, kMixed);
  // Each thread draws on its own DC, set up here: the threads share only the glyph cache, which is
  // small enough that each run evicts glyphs the other is drawing.
  Canvas ca(420, 24), cb(420, 24);
  HFONT fa = Font("宋体", 12), fb = Font("宋体", 15, FW_BOLD);
  HGDIOBJ oldA = SelectObject(ca.dc(), fa), oldB = SelectObject(cb.dc(), fb);
  for (HDC dc : { ca.dc(), cb.dc() }) SetBkMode(dc, TRANSPARENT);
  auto drawn = [](Canvas& c, const std::vector<uint32_t>& expect) {
    c.Fill(RGB(255, 255, 255));
    TextOutA(c.dc(), 3, 2, kMixed, int(std::strlen(kMixed)));
    return Pixels(c) == expect;
  };
  xj::gdi::SetGlyphCacheLimit(1500);
  uint64_t evictions = xj::gdi::GetGlyphCacheStats().Evictions;
  int wrongA = 0, wrongB = 0;
  std::thread other([&] {
    for (int i = 0; i < 20; ++i) wrongB += !drawn(cb, b);
  });
  for (int i = 0; i < 20; ++i) wrongA += !drawn(ca, a);
  other.join();
  EXPECT_EQ(wrongA, 0);
  EXPECT_EQ(wrongB, 0);
  EXPECT_GT(xj::gdi::GetGlyphCacheStats().Evictions, evictions + 40 * 20);
  SelectObject(ca.dc(), oldA);
  SelectObject(cb.dc(), oldB);
  DeleteObject(fa);
  DeleteObject(fb);
}

TEST_F(GlyphCacheTest, FontsMadeInOneThreadWhileAnotherDrawsFromTheSameFile) {
  // Every size of the CJK face is drawn from one face opened once: a thread realising new sizes of it,
  // and drawing with them, must not disturb the size another thread draws at.
  std::vector<uint32_t> a = Picture("宋体", 13, FW_NORMAL, kMixed);
  Canvas ca(420, 24);
  HFONT fa = Font("宋体", 13);
  HGDIOBJ oldA = SelectObject(ca.dc(), fa);
  SetBkMode(ca.dc(), TRANSPARENT);
  xj::gdi::SetGlyphCacheLimit(1500);
  int wrong = 0;
  std::vector<LONG> widths;
  std::thread other([&] {
    Canvas cb(200, 80);
    for (int px = 20; px < 60; ++px) {
      HFONT f = Font("宋体", -px);
      HGDIOBJ old = SelectObject(cb.dc(), f);
      SIZE s {};
      GetTextExtentPoint32A(cb.dc(), "中", 2, &s);
      widths.push_back(s.cx);
      SelectObject(cb.dc(), old);
      DeleteObject(f);
    }
  });
  for (int i = 0; i < 40; ++i) {
    ca.Fill(RGB(255, 255, 255));
    TextOutA(ca.dc(), 3, 2, kMixed, int(std::strlen(kMixed)));
    wrong += Pixels(ca) != a;
  }
  other.join();
  EXPECT_EQ(wrong, 0);
  ASSERT_EQ(widths.size(), 40u);
  for (size_t i = 0; i < widths.size(); ++i) EXPECT_EQ(widths[i], LONG(20 + i)) << "one em wide";
  SelectObject(ca.dc(), oldA);
  DeleteObject(fa);
}

}  // namespace
