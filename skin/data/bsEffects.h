#pragma once
// The effect bitmap: a 24-bit top-down DIB section with direct row access, transitions towards a second
// picture of the same size (hover fading), colour effects in place and quarter-turn rotations.
//
// Pixel layout: row y starts at Bits + y * RowStride(); pixel x of a row is three bytes blue, green,
// red. GetPixel/SetPixel carry the same three bytes as 0x00RRGGBB (blue in the low byte), which is not
// the TColor order.
//
// Every coordinate is checked: pixel and row access outside the picture does nothing (GetPixel gives 0,
// GetLine null), rectangles are clipped to both pictures, transitions between pictures of different
// sizes and rotations into a destination of the wrong size change nothing.

#include <cstdint>

#include "platform/vcl/System.h"
#include "platform/vcl/Types.h"
#include "platform/win32/WinGdi.h"

enum TbsMorphKind : uint8_t;  // bsSkinData.h

class TbsEffectBmp : public TObject {
  XJ_CLASS(TbsEffectBmp, TObject)
 public:
  // A picture of that size (a negative size counts as 0); its pixels are not set. Raises EOutOfMemory
  // when the pixel memory cannot be had.
  TbsEffectBmp(int AWidth, int AHeight);
  // A copy of the bitmap's pixels at its size. An invalid handle gives an empty picture.
  explicit TbsEffectBmp(HBITMAP ABitmap);
  // An independent copy with its own pixel memory.
  TbsEffectBmp(const TbsEffectBmp& Other);
  TbsEffectBmp& operator=(const TbsEffectBmp&) = delete;
  ~TbsEffectBmp() override;

  // Bytes per row: 3 * Width rounded up to a multiple of 4.
  int RowStride() const { return 3 * Width + Width % 4; }
  bool Empty() const { return Width <= 0 || Height <= 0; }

  void SetPixel(int X, int Y, uint32_t Color);
  uint32_t GetPixel(int X, int Y) const;
  // Row Y in place, or null outside the picture.
  uint8_t* GetLine(int Y) const;
  // Copy 3 * Width bytes between row Y and Buffer.
  void GetScanLine(int Y, void* Buffer) const;
  void SetLine(int Y, const void* Buffer);

  // The whole picture, unscaled, with its top-left corner at (X, Y).
  void Draw(HDC DC, int X, int Y) const;
  // The whole picture scaled into the W x H rectangle at (X, Y).
  void Stretch(HDC DC, int X, int Y, int W, int H) const;
  // The W x H block at (SrcX, SrcY), clipped to the picture, unscaled at (X, Y).
  void DrawRect(HDC DC, int X, int Y, int SrcX, int SrcY, int W, int H) const;
  // Nearest-neighbour scaling into Dest (any size).
  void Resize(TbsEffectBmp& Dest) const;

  // Rectangles have exclusive right and bottom edges; the block of Other starts at (X, Y).
  void CopyRect(const TbsEffectBmp& Other, const TRect& R, int X, int Y);
  void MorphRect(const TbsEffectBmp& Other, double K, const TRect& R, int X, int Y);

  // Transitions from this picture (K = 0) towards Other (K = 1); K is clamped to [0, 1].
  void Morph(const TbsEffectBmp& Other, double K);
  void MorphHGrad(const TbsEffectBmp& Other, double K);
  void MorphVGrad(const TbsEffectBmp& Other, double K);
  void MorphGrad(const TbsEffectBmp& Other, double K);
  void MorphLeftGrad(const TbsEffectBmp& Other, double K);
  void MorphRightGrad(const TbsEffectBmp& Other, double K);
  void MorphPush(const TbsEffectBmp& Other, double K);
  void MorphLeftSlide(const TbsEffectBmp& Other, double K);
  void MorphRightSlide(const TbsEffectBmp& Other, double K);
  // The transition a skin record names: mkDefault blends, the others pick the gradient, slide or push
  // above; a kind this build does not know blends.
  void MorphBy(const TbsEffectBmp& Other, TbsMorphKind Kind, double K);

  // Colour effects in place.
  void ChangeBrightness(double K);
  void ChangeDarkness(double K);
  void Invert();
  void GrayScale();
  // Offsets in -Amount/2 ... Amount - 1 - Amount/2 from the process's Random; a negative Amount does
  // nothing.
  void AddMonoNoise(int Amount);
  void AddColorNoise(int Amount);
  void SplitBlur(int Amount);
  void Mosaic(int ASize);

  // Dest must be Height wide and Width high; otherwise nothing happens.
  void Rotate90_1(TbsEffectBmp& Dest) const;  // counter-clockwise
  void Rotate90_2(TbsEffectBmp& Dest) const;  // clockwise

  // Read-only for callers.
  HBITMAP Handle { nullptr };
  int Width { 0 };
  int Height { 0 };
  int Size { 0 };
  uint8_t* Bits { nullptr };
  BITMAPINFOHEADER Header {};
  BITMAPINFO Info {};

 private:
  void Allocate(int AWidth, int AHeight);
  uint8_t* Row(int Y) const { return Bits + static_cast<ptrdiff_t>(Y) * RowStride(); }
  bool SameSize(const TbsEffectBmp& Other) const { return !Empty() && Other.Width == Width && Other.Height == Height; }
  void Rotate(TbsEffectBmp& Dest, bool Clockwise) const;
};

typedef TbsEffectBmp* PEfBmp;
