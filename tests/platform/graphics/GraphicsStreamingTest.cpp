// Graphics objects as published sub-objects of a component in text form resources.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "platform/vcl/Jpeg.h"
#include "tests/platform/graphics/GraphicsTestUtil.h"

using namespace gtest_graphics;

namespace {

class TGlyphHolder : public TComponent {
  XJ_CLASS(TGlyphHolder, TComponent)
 public:
  explicit TGlyphHolder(TComponent* AOwner) : TComponent(AOwner) {}

  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TPen* Pen() const { return FPen.get(); }
  void SetPen(TPen* Value) { FPen->Assign(Value); }
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value) { FGlyph->Assign(Value); }
  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }

 private:
  std::unique_ptr<TFont> FFont { std::make_unique<TFont>() };
  std::unique_ptr<TPen> FPen { std::make_unique<TPen>() };
  std::unique_ptr<TBrush> FBrush { std::make_unique<TBrush>() };
  std::unique_ptr<TBitmap> FGlyph { std::make_unique<TBitmap>() };
  std::unique_ptr<TPicture> FPicture { std::make_unique<TPicture>() };
};

}  // namespace

XJ_PUBLISHED(TGlyphHolder,
  XJ_PROP(Brush)
  XJ_PROP(Font)
  XJ_PROP(Glyph)
  XJ_PROP(Pen)
  XJ_PROP(Picture));

namespace {

TEST(FormResource, FontPenAndBrushStreamAsSubObjects) {
  TGlyphHolder a(nullptr);
  a.SetName("Holder");
  a.Font()->SetName("宋体");
  a.Font()->SetHeight(12);
  a.Font()->SetCharset(GB2312_CHARSET);
  a.Font()->SetColor(clBtnText);
  a.Font()->SetStyle({ fsBold, fsItalic });
  a.Pen()->SetColor(TColor(0x123456));
  a.Pen()->SetMode(pmXor);
  a.Brush()->SetStyle(bsClear);
  const AnsiString text = WriteComponentResource(&a);
  for (const char* line : { "Font.Charset = GB2312_CHARSET", "Font.Color = clBtnText", "Font.Height = 12",
                            "Font.Name = ", "Font.Style = [fsBold, fsItalic]", "Pen.Color = 1193046",
                            "Pen.Mode = pmXor", "Brush.Style = bsClear" })
    EXPECT_NE(text.find(line), AnsiString::npos) << line << "\n" << text;
  EXPECT_EQ(text.find("Font.Size"), AnsiString::npos);    // Height carries it
  EXPECT_EQ(text.find("Brush.Color"), AnsiString::npos);  // the default

  TGlyphHolder b(nullptr);
  ReadComponentResource(&b, text);
  EXPECT_EQ(b.Font()->Name(), "宋体");
  EXPECT_EQ(b.Font()->Height(), 12);
  EXPECT_EQ(b.Font()->Charset(), GB2312_CHARSET);
  EXPECT_EQ(b.Font()->Color(), clBtnText);
  EXPECT_EQ(b.Font()->Style(), (TFontStyles { fsBold, fsItalic }));
  EXPECT_EQ(b.Pen()->Color(), TColor(0x123456));
  EXPECT_EQ(b.Pen()->Mode(), pmXor);
  EXPECT_EQ(b.Brush()->Style(), bsClear);
}

TEST(FormResource, ColoursAndCharsetsReadByNameOrNumber) {
  TGlyphHolder b(nullptr);
  ReadComponentResource(&b,
                        "object Holder: TGlyphHolder\r\n"
                        "  Font.Color = clRed\r\n"
                        "  Font.Charset = 134\r\n"
                        "  Font.Size = 9\r\n"
                        "  Brush.Color = -2147483633\r\n"
                        "end\r\n");
  EXPECT_EQ(b.Font()->Color(), clRed);
  EXPECT_EQ(b.Font()->Charset(), GB2312_CHARSET);
  EXPECT_EQ(b.Font()->Height(), -12);
  EXPECT_EQ(b.Brush()->Color(), clBtnFace);
  EXPECT_THROW(ReadComponentResource(&b, "object Holder: TGlyphHolder\r\n  Font.Color = clNoSuch\r\nend\r\n"),
               EReadError);
}

TEST(FormResource, BitmapDataIsItsLengthThenTheBmpImage) {
  TGlyphHolder a(nullptr);
  a.Glyph()->SetPixelFormat(pf4bit);
  a.Glyph()->SetSize(5, 3);
  a.Glyph()->Canvas()->SetPixels(4, 2, clRed);
  const AnsiString text = WriteComponentResource(&a);
  const size_t at = text.find("Glyph.Data = {");
  ASSERT_NE(at, AnsiString::npos) << text;
  // 32-bit length (little-endian hex), then "BM".
  AnsiString hex;
  for (size_t i = at + 14; i < text.size() && hex.size() < 12; ++i)
    if (isxdigit(static_cast<unsigned char>(text[i]))) hex += text[i];
  TMemoryStream image;
  a.Glyph()->SaveToStream(&image);
  EXPECT_EQ(hex, Format("%.2X%.2X%.2X%.2X424D", int(image.Size() & 0xFF), int((image.Size() >> 8) & 0xFF), 0, 0));

  TGlyphHolder b(nullptr);
  ReadComponentResource(&b, text);
  EXPECT_EQ(b.Glyph()->Width(), 5);
  EXPECT_EQ(b.Glyph()->PixelFormat(), pf4bit);
  EXPECT_EQ(b.Glyph()->Canvas()->Pixels(4, 2), clRed);
  EXPECT_EQ(b.Glyph()->Canvas()->Pixels(0, 0), clWhite);
}

TEST(FormResource, EmptyBitmapsAndPicturesWriteNoData) {
  TGlyphHolder a(nullptr);
  const AnsiString text = WriteComponentResource(&a);
  EXPECT_EQ(text.find("Glyph.Data"), AnsiString::npos);
  EXPECT_EQ(text.find("Picture.Data"), AnsiString::npos);
}

TEST(FormResource, PictureDataNamesTheGraphicClass) {
  TGlyphHolder a(nullptr);
  a.Picture()->Bitmap()->SetSize(2, 2);
  a.Picture()->Bitmap()->Canvas()->SetPixels(1, 1, clBlue);
  const AnsiString text = WriteComponentResource(&a);
  ASSERT_NE(text.find("Picture.Data = {"), AnsiString::npos) << text;
  EXPECT_NE(text.find("0754426974"), AnsiString::npos);  // length 7, "TBit"…
  TGlyphHolder b(nullptr);
  ReadComponentResource(&b, text);
  ASSERT_TRUE(dynamic_cast<TBitmap*>(b.Picture()->Graphic()));
  EXPECT_EQ(b.Picture()->Bitmap()->Canvas()->Pixels(1, 1), clBlue);

  // An unknown class name is an error, not a crash.
  AnsiString bad = text;
  bad.replace(bad.find("0754426974"), 10, "0758426974");
  TGlyphHolder c(nullptr);
  EXPECT_THROW(ReadComponentResource(&c, bad), EInvalidGraphic);
}

// A stream that remembers the largest read asked of it: a length believed before it is checked shows
// up as a read (and an allocation) far beyond what the stream holds.
class TWatchedStream : public TMemoryStream {
  XJ_CLASS(TWatchedStream, TMemoryStream)
 public:
  int Read(void* Buffer, int Count) override {
    Largest = std::max(Largest, int64_t(Count));
    return TMemoryStream::Read(Buffer, Count);
  }
  int64_t Largest { 0 };
};

class TOpenBitmap : public TBitmap {
 public:
  using TBitmap::ReadData;
};

TEST(FormResource, ALengthLargerThanTheDataIsRefusedBeforeAnythingIsAllocated) {
  // 2 GiB claimed, a real 2 x 2 image's first bytes present.
  TMemoryStream image;
  TBitmap small;
  small.SetSize(2, 2);
  small.SaveToStream(&image);
  for (const uint32_t claim : { 0x7FFFFFFFu, 0x80000000u, uint32_t(image.Size() + 1) }) {
    TWatchedStream data;
    data.WriteBuffer(&claim, 4);
    data.WriteBuffer(image.Memory(), int(image.Size()));
    data.SetPosition(0);
    TOpenBitmap b;
    b.SetSize(3, 5);
    EXPECT_THROW(b.ReadData(&data), EInvalidGraphic) << claim;
    EXPECT_LE(data.Largest, data.Size()) << claim;
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(b.Height(), 5);
  }

  // The same through form text, for a glyph and for a picture (length 7, "TBitmap", then the claim).
  const char* const texts[] = {
    "object H: TGlyphHolder\r\n  Glyph.Data = {\r\n    "
    "FFFFFF7F424D3600000000000000360000002800000010000000100000000100}\r\nend\r\n",
    "object H: TGlyphHolder\r\n  Picture.Data = {\r\n    0754426974\r\n    "
    "6D6170FFFFFF7F424D36000000000000003600000028000000100000001000}\r\nend\r\n",
  };
  for (const char* text : texts) {
    TGlyphHolder h(nullptr);
    EXPECT_THROW(ReadComponentResource(&h, text), EInvalidGraphic) << text;
    EXPECT_TRUE(h.Glyph()->Empty());
    EXPECT_EQ(h.Picture()->Graphic(), nullptr);
  }
}

}  // namespace
