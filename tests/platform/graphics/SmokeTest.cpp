#include <gtest/gtest.h>
#include "platform/vcl/Graphics.h"
TEST(Smoke, Build) { TBitmap b; b.SetSize(2, 2); EXPECT_EQ(b.Canvas()->Pixels(0, 0), clWhite); }
