#pragma once
// The DUV set's background painters: multi-colour gradients in thirteen fill styles (TAHMGradient), a
// bitmap tiled, centred or stretched (TAHMTexture), a hatch brush (TAHMBrushFill), and the non-visual
// component TAHMBackground that owns one of each, paints the one BackgroundStyle chooses, lays a canvas
// over its fill (DrawTrans) and draws text whose glyphs show its fill (Write).
//
// Controls register with a background (AddItem) and are invalidated whenever any of its settings
// changes; a background that goes away tells them through the free notification, and a control that
// stops using one takes itself off its list (RemoveItem).

#include <memory>
#include <vector>

#include "platform/vcl/Classes.h"
#include "platform/vcl/Graphics.h"

class TAHMFont3D;
class TControl;

enum TAHMFillStyle {
  Circle,
  Horizontal,
  Vertical,
  LeftBottom,
  RoundMiddle,
  SquareMiddle,
  Spectral,
  DoppelFlash,
  Singleflash,
  MiddleHBar,
  MiddleVBar,
  VerticalDoppelBar,
  HorizontalDoppelBar
};
XJ_ENUM_IDENTS(TAHMFillStyle, Circle, Horizontal, Vertical, LeftBottom, RoundMiddle, SquareMiddle, Spectral,
               DoppelFlash, Singleflash, MiddleHBar, MiddleVBar, VerticalDoppelBar, HorizontalDoppelBar);

enum TAHMImageStyle { isTile, isCenter, isStretched };
XJ_ENUM_IDENTS(TAHMImageStyle, isTile, isCenter, isStretched);

enum TAHMBackStyle { bGradient, bTexture, bSolidcolor, bBrushFillUseCurrent, bBrushFillSolidColor };
XJ_ENUM_IDENTS(TAHMBackStyle, bGradient, bTexture, bSolidcolor, bBrushFillUseCurrent, bBrushFillSolidColor);

// ---- Gradient ----------------------------------------------------------------------------------------------

class TAHMGradient : public TGraphicsObject {
  XJ_CLASS(TAHMGradient, TGraphicsObject)
 public:
  TAHMGradient();
  ~TAHMGradient() override;

  // Copies the settings of another gradient, its colour list included.
  void Assign(TPersistent* Source) override;

  TAHMFillStyle FillStyle() const { return FFillStyle; }
  void SetFillStyle(TAHMFillStyle Value);
  TColor BeginColor() const { return FBeginColor; }
  void SetBeginColor(TColor Value);
  TColor EndColor() const { return FEndColor; }
  void SetEndColor(TColor Value);
  // Shades between two neighbouring colours: 2 … 255; other values are ignored.
  int ColorCount() const { return FColorCount; }
  void SetColorCount(int Value);
  // Colours between BeginColor and EndColor, one per line as colour names or numbers. Assigning a list
  // with a line that is not a colour raises EConvertError and keeps the old list; a line edited in
  // place that is not a colour is skipped when painting.
  TStrings* ColorsInBetween() const { return FColorsInBetween.get(); }
  void SetColorStrings(TStrings* Value);

  // Paints the gradient into (0, 0, W, H) of DC, over BackColor: from BeginColor through Colors to
  // EndColor, or the other way round when BeginFirst is false.
  void MultiDraw(HDC DC, int W, int H, TStrings* Colors, TColor BackColor, bool BeginFirst);

 private:
  void ListChanged(TObject* Sender);

  TAHMFillStyle FFillStyle { Horizontal };
  TColor FBeginColor { clBtnShadow };
  TColor FEndColor { clBtnHighlight };
  int FColorCount { 32 };
  std::unique_ptr<TStringList> FColorsInBetween;
};

// ---- Texture -----------------------------------------------------------------------------------------------

class TAHMTexture : public TGraphicsObject {
  XJ_CLASS(TAHMTexture, TGraphicsObject)
 public:
  TAHMTexture();
  ~TAHMTexture() override;

  void Assign(TPersistent* Source) override;

  TBitmap* Image() const { return FImage.get(); }
  // Copies Value into Image.
  void SetImage(TBitmap* Value);
  TAHMImageStyle ImageStyle() const { return FImageStyle; }
  void SetImageStyle(TAHMImageStyle Value);
  // The colour of Image painted as TransparentBackground instead; clNone: none.
  TColor TransparentColor() const { return FTransparentColor; }
  void SetTransparentColor(TColor Value);
  TColor TransparentBackground() const { return FTransparentBackground; }
  void SetTransparentBackground(TColor Value);

  // Paints Image into (0, 0, W, H) of DC by ImageStyle; Color is the background colour for isCenter.
  // An empty image paints nothing.
  void Draw(HDC DC, int W, int H, TColor Color);

 private:
  void ImageChanged(TObject* Sender);

  std::unique_ptr<TBitmap> FImage;
  TAHMImageStyle FImageStyle { isTile };
  TColor FTransparentColor { clNone };
  TColor FTransparentBackground { clBtnFace };
};

// ---- Brush fill --------------------------------------------------------------------------------------------

class TAHMBrushFill : public TGraphicsObject {
  XJ_CLASS(TAHMBrushFill, TGraphicsObject)
 public:
  TAHMBrushFill() = default;

  void Assign(TPersistent* Source) override;

  TBrushStyle BrushStyle() const { return FBrushStyle; }
  void SetBrushStyle(TBrushStyle Value);
  TColor BrushColor() const { return FBrushColor; }
  void SetBrushColor(TColor Value);

 private:
  TBrushStyle FBrushStyle { bsSolid };
  TColor FBrushColor { clBtnFace };
};

// ---- The background component ------------------------------------------------------------------------------

class TAHMBackground : public TComponent {
  XJ_CLASS(TAHMBackground, TComponent)
 public:
  explicit TAHMBackground(TComponent* AOwner);
  ~TAHMBackground() override;

  // The setters copy the given painter's settings into the owned one.
  TAHMTexture* Texture() const { return FTexture.get(); }
  void SetTexture(TAHMTexture* Value);
  TAHMGradient* Gradient() const { return FGradient.get(); }
  void SetGradient(TAHMGradient* Value);
  TAHMBrushFill* BrushFill() const { return FBrushFill.get(); }
  void SetBrushFill(TAHMBrushFill* Value);
  TAHMBackStyle BackgroundStyle() const { return FBackgroundStyle; }
  void SetBackStyle(TAHMBackStyle Value);
  TColor SolidColor() const { return FSolidColor; }
  void SetSolidColor(TColor Value);

  // Raised after every change, once the clients were invalidated.
  TNotifyEvent OnChanged;

  // Paints the chosen fill into (0, 0, W, H) of DC; BeginFirst matters only for gradients.
  void Draw(HDC DC, int W, int H, bool BeginFirst);
  // Paints the fill under the canvas's area (0, 0, W, H), the canvas's pixels of TransColor letting the
  // fill show through.
  void DrawTrans(TCanvas* Canvas, int W, int H, bool BeginFirst, TColor TransColor);
  // Draws Text at Rect on Canvas in Font with Font3D's settings, the glyphs showing this fill.
  void Write(TAHMFont3D* Font3D, TFont* Font, TCanvas* Canvas, const TRect& Rect, const AnsiString& Text, UINT Flags);

  // Clients: invalidated on every change, in the order they were added (a control may be listed once
  // per use).
  void AddItem(TControl* Control);
  // Takes one entry of Control off the list.
  void RemoveItem(TControl* Control);
  int ItemCount() const { return static_cast<int>(FClients.size()); }
  // Invalidates every client, then raises OnChanged.
  void BackChange(TObject* Sender);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void FillBrush(HDC DC, int W, int H);

  std::unique_ptr<TAHMTexture> FTexture;
  std::unique_ptr<TAHMBrushFill> FBrushFill;
  TAHMBackStyle FBackgroundStyle { bGradient };
  TColor FSolidColor { clBtnFace };
  std::unique_ptr<TAHMGradient> FGradient;
  std::vector<TControl*> FClients;
};
