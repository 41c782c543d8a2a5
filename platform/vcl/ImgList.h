#pragma once
// The class library's ImgList unit: a list of equally sized images over a GDI image list.

#include "platform/vcl/Classes.h"
#include "platform/vcl/Graphics.h"

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
XJ_ENUM_IDENTS(TDrawingStyle, dsFocus, dsSelected, dsNormal, dsTransparent);
enum TImageType { itImage, itMask };
XJ_ENUM_IDENTS(TImageType, itImage, itMask);

class TCustomImageList : public TComponent {
  XJ_CLASS(TCustomImageList, TComponent)
 public:
  explicit TCustomImageList(TComponent* AOwner);
  TCustomImageList(int AWidth, int AHeight);
  ~TCustomImageList() override;

  void Assign(TPersistent* Source) override;

  // Made on first use.
  HIMAGELIST Handle();
  // Takes ownership of Value; Width and Height become the list's.
  void SetHandle(HIMAGELIST Value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  int Width() const { return FWidth; }
  // Changing the size empties the list.
  void SetWidth(int Value) { SetSize(Value, FHeight); }
  int Height() const { return FHeight; }
  void SetHeight(int Value) { SetSize(FWidth, Value); }
  void SetSize(int AWidth, int AHeight);
  int Count();
  // clNone: drawn through the mask; another colour fills the masked pixels.
  TColor BkColor() const { return FBkColor; }
  void SetBkColor(TColor Value);
  TColor BlendColor() const { return FBlendColor; }
  void SetBlendColor(TColor Value) { FBlendColor = Value; }
  // Changing it empties the list.
  bool Masked() const { return FMasked; }
  void SetMasked(bool Value);
  TDrawingStyle DrawingStyle() const { return FDrawingStyle; }
  void SetDrawingStyle(TDrawingStyle Value);
  TImageType ImageType() const { return FImageType; }
  void SetImageType(TImageType Value);
  int AllocBy() const { return FAllocBy; }
  void SetAllocBy(int Value) { FAllocBy = Value; }
  bool ShareImages() const { return FShareImages; }
  void SetShareImages(bool Value) { FShareImages = Value; }

  // Each returns the index of the first image added; failure raises EInvalidOperation.
  int Add(TBitmap* Image, TBitmap* Mask);
  int AddMasked(TBitmap* Image, TColor MaskColor);
  int AddIcon(TIcon* Image);
  void Replace(int Index, TBitmap* Image, TBitmap* Mask);
  // An index out of range raises EInvalidOperation.
  void Delete(int Index);
  void Clear();

  // Enabled: with DrawingStyle and ImageType; disabled: the embossed look (highlight at +1,+1, then
  // shadow at 0,0, through the mask).
  void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
  // The image drawn onto Image resized to the list's size; false for an index out of range.
  bool GetBitmap(int Index, TBitmap* Image);
  bool GetIcon(int Index, TIcon* Image);

  TNotifyEvent OnChange;

 protected:
  virtual void Change();
  void HandleNeeded();

 private:
  void FreeHandle();
  void CheckIndex(int Index);

  HIMAGELIST FHandle { nullptr };
  int FWidth { 16 };
  int FHeight { 16 };
  TColor FBkColor { clNone };
  TColor FBlendColor { clNone };
  bool FMasked { true };
  TDrawingStyle FDrawingStyle { dsNormal };
  TImageType FImageType { itImage };
  int FAllocBy { 4 };
  bool FShareImages { false };
};

class TImageList : public TCustomImageList {
  XJ_CLASS(TImageList, TCustomImageList)
 public:
  explicit TImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
  TImageList(int AWidth, int AHeight) : TCustomImageList(AWidth, AHeight) {}
};
