// TPicture by file extension and its events; TIcon files and drawing.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/vcl/Jpeg.h"
#include "platform/win32/WinGdi_user.h"
#include "tests/platform/graphics/GraphicsTestUtil.h"

using namespace gtest_graphics;

namespace {

struct TChangeCounter : TObject {
  int Count { 0 };
  void Changed(TObject*) { ++Count; }
};

// A graphic of a made-up format: its file holds one byte, the side of a square.
class TSquareGraphic : public TGraphic {
  XJ_CLASS(TSquareGraphic, TGraphic)
 public:
  bool Empty() const override { return FSide == 0; }
  int Width() const override { return FSide; }
  void SetWidth(int Value) override { FSide = Value; }
  int Height() const override { return FSide; }
  void SetHeight(int Value) override { FSide = Value; }
  void LoadFromStream(TStream* Stream) override {
    uint8_t side = 0;
    Stream->ReadBuffer(&side, 1);
    FSide = side;
  }
  void SaveToStream(TStream* Stream) override {
    const uint8_t side = uint8_t(FSide);
    Stream->WriteBuffer(&side, 1);
  }
  void Assign(TPersistent* Source) override {
    if (auto* s = dynamic_cast<TSquareGraphic*>(Source)) FSide = s->FSide;
  }

 protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override { ACanvas->FillRect(Rect); }

 private:
  int FSide { 0 };
};

// A 4 × 4 icon: a red square [1,3) × [1,3) on a transparent ground.
HICON MakeIcon() {
  TBitmap colour, mask;
  colour.SetSize(4, 4);
  colour.Canvas()->Brush()->SetColor(clBlack);
  colour.Canvas()->FillRect(Rect(0, 0, 4, 4));
  colour.Canvas()->Brush()->SetColor(clRed);
  colour.Canvas()->FillRect(Rect(1, 1, 3, 3));
  mask.SetSize(4, 4);
  mask.Canvas()->Brush()->SetColor(clBlack);
  mask.Canvas()->FillRect(Rect(1, 1, 3, 3));
  mask.SetMonochrome(true);
  ICONINFO ii { TRUE, 0, 0, mask.Handle(), colour.Handle() };
  return CreateIconIndirect(&ii);
}

TEST(Picture, FilesAreReadByTheirExtension) {
  TempDir dir("picture_ext");
  TBitmap b;
  b.SetSize(3, 2);
  b.SaveToFile(dir.File("a.bmp"));
  b.SaveToFile(dir.File("b.BMP"));
  TIcon icon;
  icon.SetHandle(MakeIcon());
  icon.SaveToFile(dir.File("c.ico"));
  TPicture p;
  p.LoadFromFile(dir.File("a.bmp"));
  EXPECT_TRUE(dynamic_cast<TBitmap*>(p.Graphic()));
  EXPECT_EQ(p.Width(), 3);
  EXPECT_EQ(p.Height(), 2);
  p.LoadFromFile(dir.File("b.BMP"));
  EXPECT_TRUE(dynamic_cast<TBitmap*>(p.Graphic()));
  p.LoadFromFile(dir.File("c.ico"));
  EXPECT_TRUE(dynamic_cast<TIcon*>(p.Graphic()));
  EXPECT_EQ(p.Width(), 4);
  try {
    p.LoadFromFile(dir.File("d.xyz"));
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Unknown picture file extension (.xyz)");
  }
  EXPECT_TRUE(dynamic_cast<TIcon*>(p.Graphic()));  // a failed load keeps the picture
  // A .jpg that is not a JPEG picture raises the graphic error.
  std::filesystem::copy_file(dir.File("a.bmp"), dir.File("e.jpg"));
  EXPECT_THROW(p.LoadFromFile(dir.File("e.jpg")), EInvalidGraphic);
  EXPECT_THROW(p.LoadFromFile(dir.File("missing.bmp")), EFOpenError);
}

TEST(Picture, RegisteredFormatsAreUsedByExtensionAndClassName) {
  TempDir dir("picture_fmt");
  {
    TFileStream f(dir.File("x.sqr"), fmCreate);
    const uint8_t side = 5;
    f.WriteBuffer(&side, 1);
  }
  TPicture::RegisterFileFormat("SQR", "Squares", TGraphicClass::Of<TSquareGraphic>());
  TPicture p;
  p.LoadFromFile(dir.File("x.sqr"));
  EXPECT_TRUE(dynamic_cast<TSquareGraphic*>(p.Graphic()));
  EXPECT_EQ(p.Width(), 5);
  EXPECT_EQ(TPicture::FindGraphicClass("tsquaregraphic").Class, TSquareGraphic::StaticClass());
  TPicture::UnregisterGraphicClass(TSquareGraphic::StaticClass());
  EXPECT_THROW(p.LoadFromFile(dir.File("x.sqr")), EInvalidGraphic);
  EXPECT_EQ(TPicture::FindGraphicClass("TSquareGraphic").Create, nullptr);
}

TEST(Picture, ChangesOfTheGraphicReachThePicturesOnChange) {
  TPicture p;
  TChangeCounter n;
  p.OnChange = TNotifyEvent(&n, &TChangeCounter::Changed);
  TBitmap* b = p.Bitmap();  // a new bitmap is a change
  EXPECT_EQ(n.Count, 1);
  b->SetSize(2, 2);
  EXPECT_EQ(n.Count, 2);
  b->Canvas()->FillRect(Rect(0, 0, 1, 1));
  EXPECT_EQ(n.Count, 3);
  EXPECT_EQ(p.Bitmap(), b);  // already a bitmap: kept
  p.Icon();                  // another type replaces it
  EXPECT_EQ(n.Count, 4);
  p.Assign(nullptr);
  EXPECT_EQ(p.Graphic(), nullptr);
  EXPECT_EQ(p.Width(), 0);
}

TEST(Picture, AssignCopiesTheGraphic) {
  TPicture a, b;
  a.Bitmap()->SetSize(3, 3);
  a.Bitmap()->Canvas()->SetPixels(1, 1, clRed);
  b.Assign(&a);
  ASSERT_NE(b.Graphic(), a.Graphic());
  EXPECT_EQ(b.Bitmap()->Canvas()->Pixels(1, 1), clRed);
  TBitmap target;
  target.Assign(&a);  // a picture hands its graphic on
  EXPECT_EQ(target.Canvas()->Pixels(1, 1), clRed);
  TIcon icon;
  EXPECT_THROW(icon.Assign(&target), EConvertError);
}

TEST(Icon, StreamsRoundTripAndDrawThroughTheMask) {
  TIcon a;
  a.SetHandle(MakeIcon());
  EXPECT_EQ(a.Width(), 4);
  EXPECT_EQ(a.Height(), 4);
  EXPECT_THROW(a.SetWidth(8), EInvalidGraphicOperation);
  TMemoryStream s;
  a.SaveToStream(&s);
  s.SetPosition(0);
  TIcon b;
  b.LoadFromStream(&s);
  EXPECT_EQ(b.Width(), 4);
  TBitmap target;
  target.SetSize(6, 6);
  target.Canvas()->Brush()->SetColor(clLime);
  target.Canvas()->FillRect(Rect(0, 0, 6, 6));
  target.Canvas()->Draw(1, 1, &b);
  EXPECT_EQ(Map(target, clRed), Rows({ "......", "......", "..##..", "..##..", "......", "......" }));
  EXPECT_EQ(target.Canvas()->Pixels(1, 1), clLime);  // transparent corner

  TBitmap rendered;
  rendered.Assign(&b);  // on white
  EXPECT_EQ(Map(rendered, clRed), Rows({ "....", ".##.", ".##.", "...." }));
  EXPECT_EQ(rendered.Canvas()->Pixels(0, 0), clWhite);
}

TEST(Icon, FilesFromImageMagick) {
  if (!std::filesystem::exists("/usr/bin/convert")) GTEST_SKIP() << "ImageMagick is not installed";
  TempDir dir("icon_im");
  const std::string ico = dir.File("im.ico");
  // Two sizes; the 32 × 32 one is chosen.
  const std::string cmd = "/usr/bin/convert -size 32x32 xc:red \\( -size 16x16 xc:blue \\) " + ico + " 2>/dev/null";
  if (std::system(cmd.c_str()) != 0) GTEST_SKIP() << "convert could not write an icon";
  TIcon i;
  i.LoadFromFile(ico);
  EXPECT_EQ(i.Width(), 32);
  TBitmap b;
  b.Assign(&i);
  EXPECT_EQ(b.Canvas()->Pixels(16, 16), clRed);
}

TEST(Icon, BadFilesRaise) {
  const std::vector<std::vector<uint8_t>> bad {
    { 0, 0, 1, 0 },
    { 0, 0, 1, 0, 0, 0 },                                                            // no images
    { 0, 0, 1, 0, 200, 0 },                                                          // directory cut off
    { 0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 0xFF, 0xFF, 0, 0, 22, 0, 0, 0 },  // image outside the file
    std::vector<uint8_t>(64, 0xEE),
  };
  for (const auto& bytes : bad) {
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), int(bytes.size()));
    s.SetPosition(0);
    TIcon i;
    EXPECT_THROW(i.LoadFromStream(&s), EInvalidGraphic) << bytes.size();
    EXPECT_TRUE(i.Empty());
  }
}

}  // namespace
