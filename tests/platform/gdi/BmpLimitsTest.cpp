// The largest BMP the reader takes: 32767 pixels a side and 2^26 pixels in all, each exactly, and one
// more refused for its size (which the refusal reports), bottom-up and top-down alike.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/BmpCodec.h"

namespace {

// The file and info headers of a 1-bit image of the given size (negative height: top-down).
std::vector<uint8_t> Headers(int32_t width, int32_t height) {
  std::vector<uint8_t> d(14 + 40 + 8, 0);
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&d[at], &v, 4); };
  auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&d[at], &v, 2); };
  d[0] = 'B';
  d[1] = 'M';
  put32(10, 14 + 40 + 8);  // the pixels after the two-colour table
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  put16(26, 1);
  put16(28, 1);
  return d;
}

TEST(BmpLimits, EachLimitIsTakenExactlyAndOneMoreIsRefusedWithTheSize) {
  const struct {
    int32_t width, height;
    bool taken;
  } cases[] = {
    { 32767, 1, true },     { 32768, 1, false },   { 1, 32767, true },    { 1, 32768, false },
    { 1, -32767, true },    { 1, -32768, false },  { 8192, 8192, true },  { 8192, 8193, false },
    { 8193, -8192, false }, { 8192, -8192, true }, { 4096, 16384, true }, { 4097, 16384, false },
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    const std::vector<uint8_t> d = Headers(c.width, c.height);
    xj::bmp::Dib layout;
    const xj::bmp::ReadResult r = xj::bmp::ReadLayout(d.data(), d.size(), layout);
    EXPECT_EQ(r.Ok, c.taken) << r.Error;
    EXPECT_EQ(r.TooLarge, !c.taken);
    if (c.taken) {
      EXPECT_EQ(layout.Width, c.width);
      EXPECT_EQ(layout.Height, std::abs(c.height));
    } else {
      EXPECT_EQ(r.Width, c.width);
      EXPECT_EQ(r.Height, std::abs(c.height));
    }
  }
}

}  // namespace
