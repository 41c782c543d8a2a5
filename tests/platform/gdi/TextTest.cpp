// Text: measuring and placing with the built-in test face, rotation, decorations, DrawText flags,
// real fonts through fontconfig and FreeType, enumeration and the text log.

#include <gtest/gtest.h>

#include <set>

#include "platform/win32/GdiInternal.h"
#include "tests/platform/gdi/GdiTestUtil.h"
#include "tests/support/Utf8.h"

using gditest::Canvas;
using gditest::MakeFont;
using gditest::Rows;

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// A canvas with a font selected and transparent black text.
struct TextCanvas : Canvas {
  HFONT font;
  HGDIOBJ old;
  TextCanvas(int w, int h, HFONT f) : Canvas(w, h), font(f) {
    old = SelectObject(dc(), f);
    SetBkMode(dc(), TRANSPARENT);
  }
  ~TextCanvas() {
    SelectObject(dc(), old);
    DeleteObject(font);
  }
  RECT Ink(COLORREF c = kBlack) const {
    RECT r { 1 << 20, 1 << 20, -1, -1 };
    for (int y = 0; y < h(); ++y)
      for (int x = 0; x < w(); ++x)
        if (At(x, y) == c) {
          r.left = std::min<LONG>(r.left, x);
          r.top = std::min<LONG>(r.top, y);
          r.right = std::max<LONG>(r.right, x + 1);
          r.bottom = std::max<LONG>(r.bottom, y + 1);
        }
    return r;
  }
};

void ExpectRect(const RECT& r, int l, int t, int rr, int b, const char* what) {
  EXPECT_EQ(r.left, l) << what;
  EXPECT_EQ(r.top, t) << what;
  EXPECT_EQ(r.right, rr) << what;
  EXPECT_EQ(r.bottom, b) << what;
}

TEST(GdiText, TestFaceMeasuresSingleAndDoubleByteCharacters) {
  TextCanvas c(4, 4, MakeFont("Platform Test", -20));
  SIZE sz {};
  ASSERT_TRUE(GetTextExtentPoint32A(c.dc(), "Ab中文x", 7, &sz));
  EXPECT_EQ(sz.cx, 8 + 8 + 16 + 16 + 8);
  EXPECT_EQ(sz.cy, 13);
  ASSERT_TRUE(GetTextExtentPoint32A(c.dc(), "", 0, &sz));
  EXPECT_EQ(sz.cx, 0);
  EXPECT_EQ(sz.cy, 13);
  // A lead byte at the end of the string is a character of its own.
  ASSERT_TRUE(GetTextExtentPoint32A(c.dc(), "a\xD6", 2, &sz));
  EXPECT_EQ(sz.cx, 16);
  TEXTMETRICA tm {};
  ASSERT_TRUE(GetTextMetricsA(c.dc(), &tm));
  EXPECT_EQ(tm.tmHeight, 13);
  EXPECT_EQ(tm.tmAscent, 10);
  EXPECT_EQ(tm.tmDescent, 3);
  EXPECT_EQ(tm.tmAveCharWidth, 8);
  char face[32] = {};
  GetTextFaceA(c.dc(), sizeof face, face);
  EXPECT_STREQ(face, "Platform Test");
  EXPECT_FALSE(GetTextExtentPoint32A(c.dc(), "x", -1, &sz));
}

TEST(GdiText, TextOutPlacesGlyphBoxesExactly) {
  TextCanvas c(20, 16, MakeFont("Platform Test", 13));
  TextOutA(c.dc(), 2, 1, "A B", 3);
  // Cells at x 2, 10 (a blank) and 18 (its box cut by the edge).
  std::string expect;
  for (int y = 0; y < 16; ++y)
    expect += (y >= 2 && y < 11 ? std::string("...######..........#") : std::string(20, '.')) + "\n";
  EXPECT_EQ(c.Map(kBlack), expect);
  // Opaque mode fills the whole cell box with the background colour.
  c.Fill(kWhite);
  SetBkMode(c.dc(), OPAQUE);
  SetBkColor(c.dc(), RGB(0, 0, 255));
  TextOutA(c.dc(), 0, 0, "A", 1);
  EXPECT_EQ(c.Count(RGB(0, 0, 255)), 8 * 13 - 6 * 9);
  EXPECT_EQ(c.Count(kBlack), 6 * 9);
}

TEST(GdiText, AlignmentMovesTheBoxAroundTheReferencePoint) {
  struct Case {
    UINT align;
    int left, top;
  } cases[] = {
    { TA_LEFT | TA_TOP, 20, 20 },      { TA_RIGHT | TA_TOP, 4, 20 },   { TA_CENTER | TA_TOP, 12, 20 },
    { TA_LEFT | TA_BASELINE, 20, 10 }, { TA_LEFT | TA_BOTTOM, 20, 7 },
  };
  for (const Case& cs : cases) {
    TextCanvas c(40, 40, MakeFont("Platform Test", 0));
    SetTextAlign(c.dc(), cs.align);
    TextOutA(c.dc(), 20, 20, "ab", 2);
    // The ink of the first glyph starts one pixel inside the box.
    RECT ink = c.Ink();
    EXPECT_EQ(ink.left, cs.left + 1) << cs.align;
    EXPECT_EQ(ink.top, cs.top + 1) << cs.align;
  }
  TextCanvas c(40, 20, MakeFont("Platform Test", 0));
  SetTextAlign(c.dc(), TA_UPDATECP);
  MoveToEx(c.dc(), 3, 2, nullptr);
  TextOutA(c.dc(), 0, 0, "ab", 2);
  TextOutA(c.dc(), 0, 0, "c", 1);
  POINT p {};
  GetCurrentPositionEx(c.dc(), &p);
  EXPECT_EQ(p.x, 3 + 24);
  EXPECT_EQ(c.Ink().left, 4);
  EXPECT_EQ(c.Ink().right, 3 + 16 + 7);
}

TEST(GdiText, EscapementTurnsTextByQuarterTurns) {
  struct Case {
    LONG esc;
    RECT ink;  // of "ab" drawn at (30, 30): two glyph boxes 6 × 9 with a 2-pixel gap
  } cases[] = {
    { 0, { 31, 31, 45, 40 } },          { 900, { 31, 15, 40, 29 } },  // reads upwards: x ∈ [X, X + 13), y ∈ [Y − 16, Y)
    { 1800, { 15, 20, 29, 29 } },       { 2700, { 20, 31, 29, 45 } },
    { 3600 + 880, { 31, 15, 40, 29 } },  // other angles round to the nearest quarter turn
  };
  for (const Case& cs : cases) {
    TextCanvas c(60, 60, MakeFont("Platform Test", 13, FW_NORMAL, cs.esc));
    TextOutA(c.dc(), 30, 30, "ab", 2);
    RECT ink = c.Ink();
    ExpectRect(ink, cs.ink.left, cs.ink.top, cs.ink.right, cs.ink.bottom, std::to_string(cs.esc).c_str());
    SIZE sz {};
    GetTextExtentPoint32A(c.dc(), "ab", 2, &sz);
    EXPECT_EQ(sz.cx, 16);  // measuring ignores the escapement
  }
}

TEST(GdiText, BoldUnderlineAndStrikeOut) {
  TextCanvas bold(20, 14, MakeFont("Platform Test", 13, FW_BOLD));
  TextOutA(bold.dc(), 0, 0, "a", 1);
  ExpectRect(bold.Ink(), 1, 1, 8, 10, "bold");
  TextCanvas ul(20, 14, MakeFont("Platform Test", 13, FW_NORMAL, 0, true, false));
  TextOutA(ul.dc(), 0, 0, "a ", 2);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(ul.At(x, 11), kBlack) << x;
  EXPECT_NE(ul.At(0, 12), kBlack);
  TextCanvas so(20, 14, MakeFont("Platform Test", 13, FW_NORMAL, 0, false, true));
  TextOutA(so.dc(), 0, 0, " ", 1);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(so.At(x, 5), kBlack) << x;
  EXPECT_EQ(so.Count(kBlack), 8);
}

TEST(GdiText, ExtTextOutOpaqueAndClippedRectangle) {
  TextCanvas c(30, 16, MakeFont("Platform Test", 13));
  SetBkColor(c.dc(), RGB(255, 0, 0));
  RECT r { 2, 2, 12, 14 };
  ExtTextOutA(c.dc(), 0, 0, ETO_OPAQUE | ETO_CLIPPED, &r, "ab", 2, nullptr);
  RECT ink = c.Ink();
  ExpectRect(ink, 2, 2, 12, 10, "clipped ink");
  EXPECT_EQ(c.Count(RGB(255, 0, 0)), 10 * 12 - c.Count(kBlack));
  // Advances given per byte: a double-byte character takes the sum of its two.
  c.Fill(kWhite);
  const INT dx[] = { 20, 3, 2 };
  ExtTextOutA(c.dc(), 0, 0, 0, nullptr, "a中", 3, dx);
  EXPECT_EQ(c.At(21, 5), kBlack);  // the second glyph starts at 20
  EXPECT_NE(c.At(20, 5), kBlack);
}

// ---- DrawText ---------------------------------------------------------------------------------------

struct DrawTextCase : ::testing::Test {
  TextCanvas c { 120, 60, MakeFont("Platform Test", 13) };
  void SetUp() override {
    xj::gdi::EnableTextLog(true);
    xj::gdi::ClearTextLog();
  }
  void TearDown() override { xj::gdi::EnableTextLog(false); }
  std::vector<xj::gdi::TextLogEntry> Log() const { return xj::gdi::TextLog(); }
};

TEST_F(DrawTextCase, CalcRectMeasuresWithoutDrawing) {
  RECT r { 5, 5, 5, 5 };
  EXPECT_EQ(DrawTextA(c.dc(), "abc", -1, &r, DT_CALCRECT | DT_SINGLELINE), 13);
  ExpectRect(r, 5, 5, 29, 18, "single line");
  RECT m { 0, 0, 100, 0 };
  EXPECT_EQ(DrawTextA(c.dc(), "ab\ncdef\r\nx", -1, &m, DT_CALCRECT), 39);
  ExpectRect(m, 0, 0, 32, 39, "three lines");
  RECT e { 0, 0, 50, 0 };
  EXPECT_EQ(DrawTextA(c.dc(), "", -1, &e, DT_CALCRECT), 13);  // an empty string is one line high
  ExpectRect(e, 0, 0, 0, 13, "empty");
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(c.Count(kBlack), 0);
}

TEST_F(DrawTextCase, WordBreakAtBlanksAndBetweenDoubleByteCharacters) {
  struct Case {
    const char* text;
    int width;
    std::vector<std::string> lines;
  } cases[] = {
    { "aa bb cc", 40, { "aa bb", "cc" } },     { "aa   bb", 24, { "aa", "bb" } },
    { "中文字", 40, { "中文", "字" } },        { "ab中文", 40, { "ab中", "文" } },
    { "abcdefgh x", 16, { "abcdefgh", "x" } },  // a long word is not split
    { "ab\n\ncd", 100, { "ab", "", "cd" } },
  };
  for (const Case& cs : cases) {
    xj::gdi::ClearTextLog();
    RECT r { 0, 0, cs.width, 60 };
    int h = DrawTextA(c.dc(), cs.text, -1, &r, DT_WORDBREAK | DT_NOCLIP);
    EXPECT_EQ(h, 13 * int(cs.lines.size())) << xj::test::Shown(cs.text);
    std::vector<std::string> drawn;
    std::vector<int> ys;
    for (const auto& e : Log()) {
      drawn.push_back(e.Text);
      ys.push_back(e.Y);
    }
    std::vector<std::string> expect;
    std::vector<int> expectYs;
    for (size_t i = 0; i < cs.lines.size(); ++i)
      if (!cs.lines[i].empty()) {
        expect.push_back(cs.lines[i]);
        expectYs.push_back(13 * int(i));
      }
    EXPECT_EQ(drawn, expect) << xj::test::Shown(cs.text);
    EXPECT_EQ(ys, expectYs) << xj::test::Shown(cs.text);
    RECT calc { 0, 0, cs.width, 0 };
    DrawTextA(c.dc(), cs.text, -1, &calc, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(calc.bottom, 13 * int(cs.lines.size())) << xj::test::Shown(cs.text);
  }
  // A long line of double-byte characters: six 16-pixel characters to each 100-pixel line.
  std::string many;
  for (int i = 0; i < 40; ++i) many += "字";
  RECT tall { 0, 0, 100, 0 };
  EXPECT_EQ(DrawTextA(c.dc(), many.c_str(), -1, &tall, DT_WORDBREAK | DT_CALCRECT), 13 * 7);
  EXPECT_EQ(tall.right, 96);
  // Tab stops count in the width that decides a break.
  xj::gdi::ClearTextLog();
  RECT tabbed { 0, 0, 80, 60 };
  DrawTextA(c.dc(), "ab\tcd ef", -1, &tabbed, DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP);
  ASSERT_EQ(Log().size(), 3u);
  EXPECT_EQ(Log()[1].Text, "cd");
  EXPECT_EQ(Log()[1].X, 64);
  EXPECT_EQ(Log()[2].Text, "ef");
  EXPECT_EQ(Log()[2].Y, 13);
}

TEST_F(DrawTextCase, AlignmentAndVerticalCentring) {
  struct Case {
    UINT fmt;
    int x, y, ret;
  } cases[] = {
    { DT_LEFT | DT_SINGLELINE, 10, 4, 13 },
    { DT_CENTER | DT_SINGLELINE, 10 + (80 - 16) / 2, 4, 13 },
    { DT_RIGHT | DT_SINGLELINE, 90 - 16, 4, 13 },
    { DT_SINGLELINE | DT_VCENTER, 10, 4 + (40 - 13) / 2, (40 - 13) / 2 + 13 },
    { DT_SINGLELINE | DT_BOTTOM, 10, 44 - 13, 40 },
    { DT_VCENTER, 10, 4, 13 },  // only with DT_SINGLELINE
    { DT_BOTTOM, 10, 4, 13 },
  };
  for (const Case& cs : cases) {
    xj::gdi::ClearTextLog();
    RECT r { 10, 4, 90, 44 };
    EXPECT_EQ(DrawTextA(c.dc(), "ab", 2, &r, cs.fmt), cs.ret) << cs.fmt;
    ASSERT_EQ(Log().size(), 1u) << cs.fmt;
    EXPECT_EQ(Log()[0].X, cs.x) << cs.fmt;
    EXPECT_EQ(Log()[0].Y, cs.y) << cs.fmt;
  }
}

TEST_F(DrawTextCase, PrefixCharactersUnderlineAndDoubleAmpersands) {
  RECT r { 0, 0, 100, 20 };
  DrawTextA(c.dc(), "&File a&&b", -1, &r, DT_SINGLELINE);
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].Text, "File a&b");
  // The underline of F is row 11 of its cell, under the cell only.
  for (int x = 0; x < 8; ++x) EXPECT_EQ(c.At(x, 11), kBlack) << x;
  EXPECT_NE(c.At(8, 11), kBlack);
  xj::gdi::ClearTextLog();
  c.Fill(kWhite);
  DrawTextA(c.dc(), "&File", -1, &r, DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(Log()[0].Text, "&File");
  EXPECT_NE(c.At(0, 11), kBlack);
  RECT m { 0, 0, 100, 0 };
  DrawTextA(c.dc(), "&&&x", -1, &m, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(m.right, 16);
}

TEST_F(DrawTextCase, TabsExpandToEightAverageCharacters) {
  RECT r { 0, 0, 200, 20 };
  DrawTextA(c.dc(), "a\tb", -1, &r, DT_SINGLELINE | DT_EXPANDTABS);
  ASSERT_EQ(Log().size(), 2u);
  EXPECT_EQ(Log()[1].Text, "b");
  EXPECT_EQ(Log()[1].X, 64);
  // DT_TABSTOP takes the tab length from bits 8..15, which then mean no other flag.
  xj::gdi::ClearTextLog();
  DrawTextA(c.dc(), "a\tb", -1, &r, DT_SINGLELINE | DT_EXPANDTABS | DT_TABSTOP | (4 << 8));
  ASSERT_EQ(Log().size(), 2u);
  EXPECT_EQ(Log()[1].X, 32);
}

TEST_F(DrawTextCase, ClippingToTheRectangleUnlessNoClip) {
  RECT r { 0, 0, 12, 20 };
  DrawTextA(c.dc(), "abc", -1, &r, DT_SINGLELINE);
  EXPECT_EQ(c.Ink().right, 12);
  c.Fill(kWhite);
  DrawTextA(c.dc(), "abc", -1, &r, DT_SINGLELINE | DT_NOCLIP);
  EXPECT_EQ(c.Ink().right, 23);
  DRAWTEXTPARAMS p { sizeof p, 0, 5, 0, 0 };
  char text[] = "ab";
  RECT q { 0, 30, 100, 50 };
  xj::gdi::ClearTextLog();
  DrawTextExA(c.dc(), text, -1, &q, DT_SINGLELINE, &p);
  EXPECT_EQ(p.uiLengthDrawn, 2u);
  EXPECT_EQ(Log()[0].X, 5);
  EXPECT_EQ(DrawTextA(c.dc(), "x", 1, nullptr, 0), 0);
}

TEST_F(DrawTextCase, TheLogRecordsColourFontAndPlace) {
  SetTextColor(c.dc(), RGB(1, 2, 3));
  SetViewportOrgEx(c.dc(), 7, 0, nullptr);
  TextOutA(c.dc(), 1, 2, "文字", 4);
  std::vector<xj::gdi::TextLogEntry> log = Log();
  ASSERT_EQ(log.size(), 1u);
  const auto& e = log[0];
  EXPECT_EQ(e.Text, "文字");
  EXPECT_EQ(e.X, 8);
  EXPECT_EQ(e.Y, 2);
  EXPECT_EQ(e.Color, RGB(1, 2, 3));
  EXPECT_EQ(e.Face, "Platform Test");
  ExpectRect(e.Bounds, 8, 2, 40, 15, "bounds");
}

// ---- Real fonts ------------------------------------------------------------------------------------

TEST(GdiFonts, MappedFacesRenderLatinAndChinese) {
  struct Case {
    const char* face;
    LONG height;
    int cell;  // expected tmHeight
  } cases[] = { { "宋体", 12, 12 },  { "SimSun", 16, 16 },      { "MS Sans Serif", -11, 0 },
                { "Arial", -13, 0 }, { "Courier New", -12, 0 }, { "Tahoma", 14, 14 } };
  for (const Case& cs : cases) {
    TextCanvas c(120, 40, MakeFont(cs.face, cs.height));
    TEXTMETRICA tm {};
    GetTextMetricsA(c.dc(), &tm);
    if (cs.cell)
      EXPECT_EQ(tm.tmHeight, cs.cell) << cs.face;
    else
      EXPECT_GE(tm.tmHeight, -cs.height) << cs.face;
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
    SIZE ab {}, cn {};
    GetTextExtentPoint32A(c.dc(), "Ab", 2, &ab);
    GetTextExtentPoint32A(c.dc(), "中文", 4, &cn);
    EXPECT_GT(ab.cx, 0) << cs.face;
    EXPECT_GT(cn.cx, ab.cx / 2) << cs.face;
    SetTextColor(c.dc(), RGB(0, 0, 0));
    TextOutA(c.dc(), 2, 2, "Ab中文", 6);
    RECT ink = c.Ink();
    // Anti-aliased ink: count every non-white pixel.
    int inked = 120 * 40 - c.Count(kWhite);
    EXPECT_GT(inked, 20) << cs.face;
    EXPECT_GE(ink.left, 2) << cs.face;
    // The Chinese characters draw too, past the Latin ones.
    bool right = false;
    for (int y = 0; y < 40; ++y)
      for (int x = 2 + ab.cx + 2; x < 2 + ab.cx + cn.cx; ++x) right |= c.At(x, y) != kWhite;
    EXPECT_TRUE(right) << cs.face;
  }
}

TEST(GdiFonts, BoldIsWiderAndPositiveHeightIsTheCell) {
  TextCanvas normal(200, 30, MakeFont("Arial", -14)), bold(200, 30, MakeFont("Arial", -14, FW_BOLD));
  SIZE a {}, b {};
  GetTextExtentPoint32A(normal.dc(), "Hello world", 11, &a);
  GetTextExtentPoint32A(bold.dc(), "Hello world", 11, &b);
  EXPECT_GT(b.cx, a.cx);
  TextCanvas cell(10, 10, MakeFont("Arial", 20));
  TEXTMETRICA tm {};
  GetTextMetricsA(cell.dc(), &tm);
  EXPECT_EQ(tm.tmHeight, 20);
  EXPECT_GT(tm.tmInternalLeading, 0);
}

// An underline shows as a full row of ink below the baseline, inside the cell, whatever the face and
// size: the Chinese face places its underline lower than its descent reaches at some sizes.
TEST(GdiFonts, AnUnderlineShowsInsideTheCellAtEverySize) {
  for (const char* face : { "宋体", "Arial", "Times New Roman" })
    for (LONG em = 9; em <= 26; ++em) {
      SCOPED_TRACE(testing::Message() << xj::test::Shown(face) << " " << em);
      TextCanvas c(80, 40, MakeFont(face, -em, FW_NORMAL, 0, true));
      TEXTMETRICA tm {};
      GetTextMetricsA(c.dc(), &tm);
      SIZE size {};
      GetTextExtentPoint32A(c.dc(), "中文", 4, &size);
      TextOutA(c.dc(), 0, 0, "中文", 4);
      int rows = 0;
      for (int y = 0; y < 40; ++y) {
        int x = 0;
        while (x < size.cx && c.At(x, y) == kBlack) ++x;
        if (x == size.cx) {
          ++rows;
          EXPECT_GE(y, tm.tmAscent);
          EXPECT_LT(y, tm.tmHeight);
        }
      }
      EXPECT_GE(rows, 1);
    }
}

TEST(GdiFonts, FaceOverrideMakesEveryFontTheTestFace) {
  xj::gdi::SetFaceOverride("Platform Test");
  TextCanvas c(10, 10, MakeFont("Arial", -30));
  SIZE sz {};
  GetTextExtentPoint32A(c.dc(), "ab", 2, &sz);
  EXPECT_EQ(sz.cx, 16);
  xj::gdi::SetFaceOverride("");
}

// The metrics of a logical font, and how many pixels of "Ag" drawn black on white are neither black nor white.
std::pair<TEXTMETRICA, int> Realised(const LOGFONTA& lf) {
  TextCanvas c(40, 30, CreateFontIndirectA(&lf));
  TEXTMETRICA tm {};
  GetTextMetricsA(c.dc(), &tm);
  TextOutA(c.dc(), 2, 2, "Ag", 2);
  return { tm, 40 * 30 - c.Count(kWhite) - c.Count(kBlack) };
}

TEST(GdiFonts, ALogicalFontDifferingFromOneRealisedInAnyFieldIsRealisedAfresh) {
  LOGFONTA base {};  // no face: the family follows the pitch and the character set
  base.lfHeight = -13;
  struct Change {
    const char* what;
    void (*apply)(LOGFONTA&);
    bool (*seen)(const TEXTMETRICA&, int between);
  } changes[] = {
    { "height", [](LOGFONTA& lf) { lf.lfHeight = -21; }, [](const TEXTMETRICA& tm, int) { return tm.tmHeight > 20; } },
    { "weight", [](LOGFONTA& lf) { lf.lfWeight = FW_BOLD; },
      [](const TEXTMETRICA& tm, int) { return tm.tmWeight == FW_BOLD; } },
    { "italic", [](LOGFONTA& lf) { lf.lfItalic = 1; }, [](const TEXTMETRICA& tm, int) { return tm.tmItalic != 0; } },
    { "underline", [](LOGFONTA& lf) { lf.lfUnderline = 1; },
      [](const TEXTMETRICA& tm, int) { return tm.tmUnderlined != 0; } },
    { "strike-out", [](LOGFONTA& lf) { lf.lfStrikeOut = 1; },
      [](const TEXTMETRICA& tm, int) { return tm.tmStruckOut != 0; } },
    { "character set", [](LOGFONTA& lf) { lf.lfCharSet = GB2312_CHARSET; },
      [](const TEXTMETRICA& tm, int) { return tm.tmCharSet == GB2312_CHARSET; } },
    { "quality", [](LOGFONTA& lf) { lf.lfQuality = NONANTIALIASED_QUALITY; },
      [](const TEXTMETRICA&, int between) { return between == 0; } },
    { "pitch", [](LOGFONTA& lf) { lf.lfPitchAndFamily = FIXED_PITCH; },
      [](const TEXTMETRICA& tm, int) { return (tm.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0; } },
  };
  for (const Change& c : changes) {
    auto [tm, between] = Realised(base);
    EXPECT_FALSE(c.seen(tm, between)) << c.what;
    LOGFONTA changed = base;
    c.apply(changed);
    std::tie(tm, between) = Realised(changed);
    EXPECT_TRUE(c.seen(tm, between)) << c.what;
  }
}

int CALLBACK Collect(const LOGFONTA* lf, const TEXTMETRICA*, DWORD type, LPARAM lp) {
  auto* out = reinterpret_cast<std::vector<std::pair<std::string, DWORD>>*>(lp);
  out->push_back({ lf->lfFaceName, type | (DWORD(lf->lfCharSet) << 8) });
  return 1;
}

int CALLBACK StopAtFirst(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM lp) {
  ++*reinterpret_cast<int*>(lp);
  return 0;
}

TEST(GdiFonts, EnumerationReportsEachFamilyOnce) {
  Canvas c(1, 1);
  std::vector<std::pair<std::string, DWORD>> all;
  EnumFontFamiliesA(c.dc(), nullptr, Collect, reinterpret_cast<LPARAM>(&all));
  std::set<std::string> names;
  for (const auto& [n, t] : all) EXPECT_TRUE(names.insert(n).second) << n;
  ASSERT_TRUE(names.count("DejaVu Sans"));
  ASSERT_TRUE(names.count("AR PL UMing CN"));
  for (const auto& [n, t] : all)
    if (n == "DejaVu Sans") {
      EXPECT_EQ(t & 0xFF, DWORD(TRUETYPE_FONTTYPE));
      EXPECT_EQ(t >> 8, DWORD(ANSI_CHARSET));
    }
  std::vector<std::pair<std::string, DWORD>> one;
  EnumFontFamiliesA(c.dc(), "DejaVu Sans Mono", Collect, reinterpret_cast<LPARAM>(&one));
  ASSERT_EQ(one.size(), 1u);
  int calls = 0;
  EXPECT_EQ(EnumFontFamiliesA(c.dc(), nullptr, StopAtFirst, reinterpret_cast<LPARAM>(&calls)), 0);
  EXPECT_EQ(calls, 1);
  LOGFONTA lf {};
  lf.lfCharSet = SYMBOL_CHARSET;
  std::vector<std::pair<std::string, DWORD>> sym;
  EnumFontFamiliesExA(c.dc(), &lf, Collect, reinterpret_cast<LPARAM>(&sym), 0);
  for (const auto& [n, t] : sym) EXPECT_EQ(t >> 8, DWORD(SYMBOL_CHARSET)) << n;
}

}  // namespace
