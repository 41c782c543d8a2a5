// AnsiString helpers, rounding, the extended type and the process-wide random generator.

#include "platform/vcl/System.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/vcl/SysUtils.h"
#include "platform/vcl/Types.h"

TEST(AnsiStringHelpers, CopyIsOneBasedAndClamps) {
  struct Case {
    const char* s;
    int index, count;
    const char* expected;
  } cases[] = {
    { "abcdef", 1, 3, "abc" },   { "abcdef", 0, 2, "ab" }, { "abcdef", -5, 2, "ab" },
    { "abcdef", 4, 100, "def" }, { "abcdef", 6, 1, "f" },  { "abcdef", 7, 1, "" },
    { "abcdef", 2, 0, "" },      { "abcdef", 2, -1, "" },  { "", 1, 1, "" },
  };
  for (const Case& c : cases)
    EXPECT_EQ(Copy(c.s, c.index, c.count), c.expected) << c.s << " " << c.index << " " << c.count;
}

TEST(AnsiStringHelpers, PosDeleteInsertSetLength) {
  EXPECT_EQ(Pos("cd", "abcdcd"), 3);
  EXPECT_EQ(Pos("x", "abc"), 0);
  EXPECT_EQ(Pos("", "abc"), 0);
  EXPECT_EQ(Pos("abcd", "abc"), 0);

  AnsiString s = "abcdef";
  Delete(s, 2, 2);
  EXPECT_EQ(s, "adef");
  Delete(s, 0, 2);  // outside 1..Length: nothing
  Delete(s, 5, 1);
  EXPECT_EQ(s, "adef");
  Delete(s, 3, 100);
  EXPECT_EQ(s, "ad");

  Insert("XY", s, 2);
  EXPECT_EQ(s, "aXYd");
  Insert("<", s, -3);
  Insert(">", s, 100);
  EXPECT_EQ(s, "<aXYd>");

  SetLength(s, 2);
  EXPECT_EQ(s, "<a");
  SetLength(s, 4);
  EXPECT_EQ(s, AnsiString("<a\0\0", 4));
  SetLength(s, -1);
  EXPECT_EQ(Length(s), 0);
  EXPECT_EQ(StringOfChar('*', 3), "***");
  EXPECT_EQ(StringOfChar('*', -2), "");
}

TEST(Rounding, RoundGoesHalfToEven) {
  struct Case {
    Extended x;
    int64_t expected;
  } cases[] = { { 2.5L, 2 },
                { -2.5L, -2 },
                { 3.5L, 4 },
                { -3.5L, -4 },
                { 0.5L, 0 },
                { 1.5L, 2 },
                { -0.5L, 0 },
                { 0.49L, 0 },
                { 2.51L, 3 },
                { -2.51L, -3 },
                { 1e15L, 1000000000000000 },
                { 4503599627370497.5L, 4503599627370498 },
                { -9223372036854775807.0L, -9223372036854775807 } };
  for (const Case& c : cases) EXPECT_EQ(Round(c.x), c.expected) << static_cast<double>(c.x);
}

TEST(Rounding, RoundKeepsTheExtendedPrecision) {
  // 2.5 plus one unit of the 64-bit mantissa is above the half: only an 80-bit path sees it.
  const Extended justAbove = 2.5L + std::ldexp(1.0L, -62);
  ASSERT_NE(justAbove, 2.5L);
  EXPECT_EQ(Round(justAbove), 3);
  EXPECT_EQ(Round(static_cast<double>(justAbove)), 2);
}

TEST(Rounding, TruncFracIntAbs) {
  EXPECT_EQ(Trunc(2.9L), 2);
  EXPECT_EQ(Trunc(-2.9L), -2);
  EXPECT_EQ(Int(-2.75L), -2.0L);
  EXPECT_EQ(Frac(-2.75L), -0.75L);
  EXPECT_EQ(Frac(3.25L), 0.25L);
  EXPECT_EQ(Abs(-5), 5);
  EXPECT_EQ(Abs(int64_t { -5000000000 }), 5000000000);
  EXPECT_EQ(Abs(-1.5), 1.5);
  EXPECT_EQ(Sqrt(2.25L), 1.5L);
}

TEST(Rounding, OutOfRangeRaisesInsteadOfWrapping) {
  EXPECT_THROW(Round(NAN), EInvalidOp);
  EXPECT_THROW(Round(1e19L), EInvalidOp);
  EXPECT_THROW(Trunc(-1e30L), EInvalidOp);
  EXPECT_THROW(Trunc(INFINITY), EInvalidOp);
}

namespace {
// The generator's definition, written out independently of the runtime.
struct ReferenceRandom {
  uint32_t state;
  int Next(int range) {
    state = state * 134775813u + 1u;
    return static_cast<int>((static_cast<uint64_t>(state) * static_cast<uint32_t>(range)) >> 32);
  }
};
}  // namespace

TEST(Random, StartsAtZeroAndFollowsTheLinearCongruence) {
  // Anchors worked out by hand: from 0 the state goes to 1 (draw 0), then 134775814 (x1000 >> 32 = 31).
  RandSeed = 0;
  EXPECT_EQ(Random(1000), 0);
  EXPECT_EQ(RandSeed, 1u);
  EXPECT_EQ(Random(1000), 31);
  EXPECT_EQ(RandSeed, 134775814u);

  for (uint32_t seed : { 0u, 1u, 12345u, 0x80000000u, 0xFFFFFFFFu }) {
    RandSeed = seed;
    ReferenceRandom reference { seed };
    for (int i = 0; i < 200; ++i) {
      const int range = 1 + i * 37;
      ASSERT_EQ(Random(range), reference.Next(range)) << "seed " << seed << " draw " << i;
    }
    EXPECT_EQ(RandSeed, reference.state);
  }
}

TEST(Random, DrawsStayInRangeAndTheFloatFormUsesTheSameState) {
  RandSeed = 99;
  for (int i = 0; i < 1000; ++i) {
    const int r = Random(7);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 7);
  }
  RandSeed = 0;
  EXPECT_EQ(Random(), 1.0L / 4294967296.0L);
  const Extended x = Random();
  EXPECT_GE(x, 0.0L);
  EXPECT_LT(x, 1.0L);
}

TEST(Geometry, RecordsConvertToAndFromTheWin32Layout) {
  const TRect r = Bounds(10, 20, 30, 40);
  EXPECT_EQ(r, Rect(10, 20, 40, 60));
  EXPECT_EQ(r.Width(), 30);
  EXPECT_EQ(r.Height(), 40);
  RECT raw = r;
  EXPECT_EQ(raw.right, 40);
  raw.left = -5;
  const TRect back = raw;
  EXPECT_EQ(back.Left, -5);
  EXPECT_EQ(back.BottomRight(), Point(40, 60));
  POINT p = Point(3, -4);
  EXPECT_EQ(TPoint(p), Point(3, -4));
  SIZE s = TSize(7, 8);
  EXPECT_EQ(s.cy, 8);
}
