#pragma once
// The class library's Jpeg unit: TJPEGImage keeps a JPEG file image and decodes it (baseline or
// progressive, colour or grey) through libjpeg when it is drawn or assigned to a bitmap.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/vcl/Graphics.h"

// Pictures larger than this are refused (EInvalidGraphic) before any pixel memory is allocated.
constexpr int kMaxJpegDimension = 16384;
constexpr int64_t kMaxJpegPixels = int64_t(1) << 25;

class TJPEGImage : public TGraphic {
  XJ_CLASS(TJPEGImage, TGraphic)
 public:
  TJPEGImage();
  ~TJPEGImage() override;

  // A TJPEGImage is copied; null empties.
  void Assign(TPersistent* Source) override;

  bool Empty() const override { return FData.empty(); }
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  // The size is the picture's: setting it raises EInvalidGraphicOperation.
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  bool Grayscale() const { return FGrayscale; }
  bool ProgressiveEncoding() const { return FProgressive; }
  // The decoded bitmap's format: 24 bits, grey pictures included.
  TPixelFormat PixelFormat() const { return pf24bit; }

  // Everything from the stream's position to its end. The header is checked at once (EInvalidGraphic
  // for data that is not a JPEG picture, or too large); the pixels are decoded when first needed.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // Decodes now (EInvalidGraphic for corrupt data). Data that ends early decodes as far as it goes.
  // OnProgress hears of every 16 rows decoded, with the rows so far; the picture drawn meanwhile shows
  // them. An exception from the handler stops the decoding and comes out of here.
  void DIBNeeded();

 protected:
  // A TBitmap receives the decoded pixels.
  void AssignTo(TPersistent* Dest) override;
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  // 32-bit length, then the JPEG file image.
  void ReadData(TStream* Stream) override;
  void WriteData(TStream* Stream) override;

 private:
  // Raises EInvalidGraphicOperation while the picture is being decoded.
  void SetData(std::vector<uint8_t> Data);
  struct TDecoding;
  static bool RowsDecoded(void* Context, int Rows);

  std::vector<uint8_t> FData;
  int FWidth { 0 };
  int FHeight { 0 };
  bool FGrayscale { false };
  bool FProgressive { false };
  bool FDecoding { false };
  std::unique_ptr<TBitmap> FBitmap;  // the decoded picture (partly, while it decodes)
};
