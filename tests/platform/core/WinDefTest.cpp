#include "platform/win32/WinDef.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(WinDef, MousePointsUnpackWithSignExtension) {
  LPARAM lp = MAKELPARAM(-5, -32768);
  EXPECT_EQ(GET_X_LPARAM(lp), -5);
  EXPECT_EQ(GET_Y_LPARAM(lp), -32768);
  EXPECT_EQ(GET_X_LPARAM(MAKELPARAM(32767, 0)), 32767);
}

TEST(WinDef, WheelDeltaIsPositiveAwayFromTheUser) {
  WPARAM wp = MAKEWPARAM(0, 120);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wp), 120);
  EXPECT_GT(static_cast<int32_t>(wp), 0);
  wp = MAKEWPARAM(0, -120);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wp), -120);
  EXPECT_LT(static_cast<int32_t>(wp), 0);
}

TEST(WinDef, ColoursAreBlueGreenRed) {
  COLORREF c = RGB(0x12, 0x34, 0x56);
  EXPECT_EQ(c, 0x00563412u);
  EXPECT_EQ(GetRValue(c), 0x12);
  EXPECT_EQ(GetGValue(c), 0x34);
  EXPECT_EQ(GetBValue(c), 0x56);
}

TEST(WinDef, OrdinalsTravelAsIntegerResources) {
  EXPECT_TRUE(IS_INTRESOURCE(MAKEINTRESOURCE(66)));
  EXPECT_EQ(reinterpret_cast<ULONG_PTR>(MAKEINTRESOURCE(66)), 66u);
  EXPECT_FALSE(IS_INTRESOURCE("DevOpen"));
}

TEST(WinDef, NarrowLiteralsAreGbk) {
  // "线" is U+7EBF, GBK 0xCF 0xDF.
  const char* s = "线";
  ASSERT_EQ(std::strlen(s), 2u);
  EXPECT_EQ(static_cast<unsigned char>(s[0]), 0xCF);
  EXPECT_EQ(static_cast<unsigned char>(s[1]), 0xDF);
}
