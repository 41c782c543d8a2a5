// TImageList over the GDI image list: adding, drawing enabled and disabled, sizes.

#include <gtest/gtest.h>

#include "platform/vcl/ImgList.h"
#include "tests/platform/graphics/GraphicsTestUtil.h"

using namespace gtest_graphics;

namespace {

// Two 3 × 3 images side by side: a red plus and a blue plus on fuchsia.
void MakeStrip(TBitmap& b) {
  b.SetSize(6, 3);
  Paint(b, { "FRFFBF", "RRRBBB", "FRFFBF" }, { { 'F', clFuchsia }, { 'R', clRed }, { 'B', clBlue } });
}

struct TTarget {
  TBitmap B;
  explicit TTarget(TColor ground) {
    B.SetSize(5, 5);
    B.Canvas()->Brush()->SetColor(ground);
    B.Canvas()->FillRect(Rect(0, 0, 5, 5));
  }
};

TEST(ImageList, AddMaskedSlicesTheStripAndDrawsThroughTheMask) {
  TImageList list(3, 3);
  TBitmap strip;
  MakeStrip(strip);
  EXPECT_EQ(list.AddMasked(&strip, clFuchsia), 0);
  EXPECT_EQ(list.Count(), 2);
  TTarget t(clLime);
  list.Draw(t.B.Canvas(), 1, 1, 1);
  EXPECT_EQ(Map(t.B, clBlue), Rows({ ".....", "..#..", ".###.", "..#..", "....." }));
  EXPECT_EQ(t.B.Canvas()->Pixels(1, 1), clLime);  // masked: the ground shows
  list.Draw(t.B.Canvas(), 0, 0, 7);               // out of range: nothing
  EXPECT_EQ(t.B.Canvas()->Pixels(0, 0), clLime);
}

TEST(ImageList, ABackgroundColourFillsTheMaskedPixels) {
  TImageList list(3, 3);
  TBitmap strip;
  MakeStrip(strip);
  list.AddMasked(&strip, clFuchsia);
  list.SetBkColor(clBtnFace);
  TTarget t(clLime);
  list.Draw(t.B.Canvas(), 0, 0, 0);
  EXPECT_EQ(Map(t.B, TColor(0xC0C0C0)), Rows({ "#.#..", ".....", "#.#..", ".....", "....." }));
  EXPECT_EQ(t.B.Canvas()->Pixels(1, 1), clRed);
}

TEST(ImageList, DisabledImagesAreEmbossed) {
  TImageList list(3, 3);
  TBitmap strip;
  MakeStrip(strip);
  list.AddMasked(&strip, clFuchsia);
  TTarget t(clLime);
  list.Draw(t.B.Canvas(), 0, 0, 0, false);
  // The shape in button shadow, and in highlight where the shape moved by (+1, +1) is not covered.
  EXPECT_EQ(Map(t.B, TColor(0x808080)), Rows({ ".#...", "###..", ".#...", ".....", "....." }));
  EXPECT_EQ(Map(t.B, clWhite), Rows({ ".....", ".....", "..##.", "..#..", "....." }));
  EXPECT_EQ(t.B.Canvas()->Pixels(4, 4), clLime);
}

TEST(ImageList, AddWithAMaskAndIcons) {
  TImageList list(3, 3);
  TBitmap image, mask;
  image.SetSize(3, 3);
  image.Canvas()->Brush()->SetColor(clRed);
  image.Canvas()->FillRect(Rect(0, 0, 3, 3));
  mask.SetSize(3, 3);
  mask.Canvas()->Brush()->SetColor(clBlack);
  mask.Canvas()->FillRect(Rect(1, 1, 2, 2));
  mask.SetMonochrome(true);  // white (1) is transparent
  EXPECT_EQ(list.Add(&image, &mask), 0);
  TTarget t(clLime);
  list.Draw(t.B.Canvas(), 0, 0, 0);
  EXPECT_EQ(Map(t.B, clRed), Rows({ ".....", ".#...", ".....", ".....", "....." }));

  TIcon icon;
  ASSERT_TRUE(list.GetIcon(0, &icon));
  EXPECT_EQ(icon.Width(), 3);
  EXPECT_EQ(list.AddIcon(&icon), 1);
  TBitmap copy;
  ASSERT_TRUE(list.GetBitmap(1, &copy));
  EXPECT_EQ(copy.Width(), 3);
  EXPECT_EQ(copy.Canvas()->Pixels(1, 1), clRed);
  EXPECT_EQ(copy.Canvas()->Pixels(0, 0), clWhite);
  EXPECT_FALSE(list.GetBitmap(5, &copy));
}

TEST(ImageList, SizeChangesClearAndBadIndexesRaise) {
  TImageList list(nullptr);
  EXPECT_EQ(list.Width(), 16);
  EXPECT_EQ(list.Height(), 16);
  TBitmap strip;
  MakeStrip(strip);
  list.SetSize(3, 3);
  list.AddMasked(&strip, clFuchsia);
  EXPECT_EQ(list.Count(), 2);
  list.Delete(0);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_THROW(list.Delete(1), EInvalidOperation);
  EXPECT_THROW(list.Delete(-1), EInvalidOperation);
  list.SetWidth(4);
  EXPECT_EQ(list.Count(), 0);
  list.AddMasked(&strip, clFuchsia);  // 6 wide: one 4-wide image (the rest does not fill one)
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_THROW(list.SetSize(0, 3), EInvalidOperation);
  EXPECT_THROW(list.Add(nullptr, nullptr), EInvalidOperation);
}

}  // namespace
