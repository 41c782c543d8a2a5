#pragma once
// The class library's Graphics unit: colours and their names, fonts, pens and brushes, the canvas that
// realises them into a device context, and the graphics (bitmaps, icons, pictures of any registered
// file format).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/vcl/Classes.h"
#include "platform/vcl/Types.h"
#include "platform/win32/WinGdi.h"

class TBitmap;
class TCanvas;
class TGraphic;
class TIcon;

// ---- Exceptions ---------------------------------------------------------------------------------------

XJ_EXCEPTION(EInvalidGraphic, Exception);
XJ_EXCEPTION(EInvalidGraphicOperation, Exception);
XJ_EXCEPTION(EOutOfResources, EOutOfMemory);

// ---- Colours ------------------------------------------------------------------------------------------

// A colour: 0x00BBGGRR, or 0x80000000 + a system colour index, or one of the special values clNone and
// clDefault. Signed 32 bits like the original (system colours are negative); converts freely to and
// from integers and COLORREF.
struct TColor {
  constexpr TColor(int32_t Value = 0) : Value(Value) {}
  constexpr operator int32_t() const { return Value; }
  int32_t Value;
};

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor clScrollBar = int32_t(0x80000000u | 0);
constexpr TColor clBackground = int32_t(0x80000000u | 1);
constexpr TColor clActiveCaption = int32_t(0x80000000u | 2);
constexpr TColor clInactiveCaption = int32_t(0x80000000u | 3);
constexpr TColor clMenu = int32_t(0x80000000u | 4);
constexpr TColor clWindow = int32_t(0x80000000u | 5);
constexpr TColor clWindowFrame = int32_t(0x80000000u | 6);
constexpr TColor clMenuText = int32_t(0x80000000u | 7);
constexpr TColor clWindowText = int32_t(0x80000000u | 8);
constexpr TColor clCaptionText = int32_t(0x80000000u | 9);
constexpr TColor clActiveBorder = int32_t(0x80000000u | 10);
constexpr TColor clInactiveBorder = int32_t(0x80000000u | 11);
constexpr TColor clAppWorkSpace = int32_t(0x80000000u | 12);
constexpr TColor clHighlight = int32_t(0x80000000u | 13);
constexpr TColor clHighlightText = int32_t(0x80000000u | 14);
constexpr TColor clBtnFace = int32_t(0x80000000u | 15);
constexpr TColor clBtnShadow = int32_t(0x80000000u | 16);
constexpr TColor clGrayText = int32_t(0x80000000u | 17);
constexpr TColor clBtnText = int32_t(0x80000000u | 18);
constexpr TColor clInactiveCaptionText = int32_t(0x80000000u | 19);
constexpr TColor clBtnHighlight = int32_t(0x80000000u | 20);
constexpr TColor cl3DDkShadow = int32_t(0x80000000u | 21);
constexpr TColor cl3DLight = int32_t(0x80000000u | 22);
constexpr TColor clInfoText = int32_t(0x80000000u | 23);
constexpr TColor clInfoBk = int32_t(0x80000000u | 24);

// A system colour resolves through GetSysColor; every other value is returned as it is.
int32_t ColorToRGB(TColor Color);
// The identifier of a named colour, else "$" and eight hex digits ("$00FF8040").
AnsiString ColorToString(TColor Color);
// An identifier (without case), "$hex" or decimal; anything else raises EConvertError.
TColor StringToColor(const AnsiString& S);
bool ColorToIdent(int32_t Color, AnsiString& Ident);
bool IdentToColor(const AnsiString& Ident, int32_t& Color);
// Calls Proc with every colour identifier, in table order (the 16 standard colours, the 25 system
// colours by index, then clNone).
typedef TClosure<void(const AnsiString& S)> TGetStrProc;
void GetColorValues(TGetStrProc Proc);

template <>
struct TTypeTraits<TColor> {
  static const TTypeInfo* Info();
  static void ToValue(TColor v, TValue& out) { out.Ord = v.Value; }
  static TColor FromValue(const TValue& in) { return TColor(static_cast<int32_t>(in.Ord)); }
};

// ---- Graphics objects: fonts, pens, brushes -----------------------------------------------------------

class TGraphicsObject : public TPersistent {
  XJ_CLASS(TGraphicsObject, TPersistent)
 public:
  TNotifyEvent OnChange;

 protected:
  virtual void Changed();
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
XJ_ENUM_IDENTS(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut);
typedef Set<TFontStyle> TFontStyles;

enum TFontPitch { fpDefault, fpVariable, fpFixed };
XJ_ENUM_IDENTS(TFontPitch, fpDefault, fpVariable, fpFixed);

typedef AnsiString TFontName;

// A character set number; streams as its identifier (GB2312_CHARSET) where it has one.
struct TFontCharset {
  constexpr TFontCharset(int Value = DEFAULT_CHARSET) : Value(static_cast<uint8_t>(Value)) {}
  constexpr operator uint8_t() const { return Value; }
  uint8_t Value;
};

template <>
struct TTypeTraits<TFontCharset> {
  static const TTypeInfo* Info();
  static void ToValue(TFontCharset v, TValue& out) { out.Ord = v.Value; }
  static TFontCharset FromValue(const TValue& in) { return TFontCharset(static_cast<int>(in.Ord)); }
};

// A new font is "MS Sans Serif", Height -11 (8 points at 96 dpi), clWindowText, DEFAULT_CHARSET.
class TFont : public TGraphicsObject {
  XJ_CLASS(TFont, TGraphicsObject)
 public:
  TFont() = default;
  ~TFont() override;

  // Copies every property, and the rotation of a font whose handle was set explicitly.
  void Assign(TPersistent* Source) override;

  // Created on first use from the properties.
  HFONT Handle();
  // Takes ownership of Value (a font handle from CreateFontIndirect, say) and takes the properties
  // from it; the font keeps Value, with its rotation, until a property other than Color changes.
  void SetHandle(HFONT Value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  const TFontName& Name() const { return FName; }
  void SetName(const TFontName& Value);
  // < 0: character (em) height in pixels; > 0: cell height.
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  // Points at PixelsPerInch: -MulDiv(Height, 72, PixelsPerInch).
  int Size() const;
  void SetSize(int Value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset Value);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch Value);
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value; }

 protected:
  void Changed() override;

 private:
  void DataChanged();
  void RetireHandle();

  TFontName FName { "MS Sans Serif" };
  int FHeight { -11 };
  TFontStyles FStyle;
  TColor FColor { clWindowText };
  TFontCharset FCharset { DEFAULT_CHARSET };
  TFontPitch FPitch { fpDefault };
  int FPixelsPerInch { 96 };
  LONG FEscapement { 0 };
  LONG FOrientation { 0 };
  HFONT FHandle { nullptr };
  HFONT FRetired { nullptr };  // deleted once the change has been announced (canvases let go of it)
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
XJ_ENUM_IDENTS(TPenStyle, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame);

enum TPenMode {
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor
};
XJ_ENUM_IDENTS(TPenMode, pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
               pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor);

// The ROP2 code of a pen mode.
int PenModeToRop2(TPenMode Mode);

class TPen : public TGraphicsObject {
  XJ_CLASS(TPen, TGraphicsObject)
 public:
  TPen() = default;
  ~TPen() override;

  void Assign(TPersistent* Source) override;
  HPEN Handle();
  // Takes ownership of Value and takes Color, Width and Style from it.
  void SetHandle(HPEN Value);

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  // Not part of the pen object: the canvas applies it with SetROP2.
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode Value);

 protected:
  void Changed() override;

 private:
  void DataChanged();

  TColor FColor { clBlack };
  int FWidth { 1 };
  TPenStyle FStyle { psSolid };
  TPenMode FMode { pmCopy };
  HPEN FHandle { nullptr };
  HPEN FRetired { nullptr };
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
XJ_ENUM_IDENTS(TBrushStyle, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross);

// A brush of colour clNone paints nothing, whatever its style.
class TBrush : public TGraphicsObject {
  XJ_CLASS(TBrush, TGraphicsObject)
 public:
  TBrush() = default;
  ~TBrush() override;

  void Assign(TPersistent* Source) override;
  HBRUSH Handle();
  // Takes ownership of Value and takes Color and Style from it.
  void SetHandle(HBRUSH Value);

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle Value);
  // A pattern brush from the bitmap (not owned; the pattern is copied when the handle is made).
  TBitmap* Bitmap() const { return FBitmap; }
  void SetBitmap(TBitmap* Value);

 protected:
  void Changed() override;

 private:
  void DataChanged();

  TColor FColor { clWhite };
  TBrushStyle FStyle { bsSolid };
  TBitmap* FBitmap { nullptr };
  HBRUSH FHandle { nullptr };
  HBRUSH FRetired { nullptr };
};

// ---- The canvas ---------------------------------------------------------------------------------------

enum TCanvasStates { csHandleValid, csFontValid, csPenValid, csBrushValid };
typedef Set<TCanvasStates> TCanvasState;

typedef int32_t TCopyMode;
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmMergeCopy = MERGECOPY;
constexpr TCopyMode cmMergePaint = MERGEPAINT;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
constexpr TCopyMode cmPatCopy = PATCOPY;
constexpr TCopyMode cmPatInvert = PATINVERT;
constexpr TCopyMode cmPatPaint = PATPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmSrcErase = SRCERASE;
constexpr TCopyMode cmSrcInvert = SRCINVERT;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmWhiteness = WHITENESS;

// Draws with its pen, brush and font on a device context. The objects are selected into the DC only
// when an operation needs them; a solid brush sets the background colour to the brush colour and the
// mode to OPAQUE, any other brush the inverse of its colour and TRANSPARENT. A DC given through
// SetHandle is never released or deleted by the canvas.
class TCanvas : public TPersistent {
  XJ_CLASS(TCanvas, TPersistent)
 public:
  TCanvas();
  ~TCanvas() override;

  // With every object selected (the DC is made first by a descendant that owns one).
  HDC Handle();
  // The DC as the source of a copy: made, with the brush's background colour (which a colour picture
  // copied onto a monochrome one is measured against) but no object selected for it.
  HDC SourceHandle();
  // The background colour the brush gives the DC: its own colour where it is solid, else one that is not.
  COLORREF BrushBackground() const;
  // The DC as the target of a copy in CopyMode: made, with the brush selected only when CopyMode paints
  // it; no font or pen is selected for it.
  HDC TargetHandle();
  void SetHandle(HDC Value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  TFont* Font() const { return &FFont; }
  void SetFont(TFont* Value) { FFont.Assign(Value); }
  TPen* Pen() const { return &FPen; }
  void SetPen(TPen* Value) { FPen.Assign(Value); }
  TBrush* Brush() const { return &FBrush; }
  void SetBrush(TBrush* Value) { FBrush.Assign(Value); }
  TCopyMode CopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode Value) { FCopyMode = Value; }
  TPoint PenPos();
  void SetPenPos(const TPoint& Value) { MoveTo(Value.X, Value.Y); }
  TRect ClipRect();
  // -1 (CLR_INVALID) outside the DC's surface.
  TColor Pixels(int X, int Y);
  void SetPixels(int X, int Y, TColor Value);

  void MoveTo(int X, int Y);
  void LineTo(int X, int Y);
  void Polyline(const TPoint* Points, int Count);
  void Polyline(std::initializer_list<TPoint> Points) { Polyline(Points.begin(), static_cast<int>(Points.size())); }
  void Polygon(const TPoint* Points, int Count);
  void Polygon(std::initializer_list<TPoint> Points) { Polygon(Points.begin(), static_cast<int>(Points.size())); }
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const TRect& Rect) { Rectangle(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
  void Ellipse(int X1, int Y1, int X2, int Y2);
  void Ellipse(const TRect& Rect) { Ellipse(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
  void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
  void FillRect(const TRect& Rect);
  void FrameRect(const TRect& Rect);
  void DrawFocusRect(const TRect& Rect);

  // Leaves the pen position at the end of the text.
  void TextOut(int X, int Y, const AnsiString& Text);
  // Clipped to Rect; Rect is filled with the brush only when the brush is solid.
  void TextRect(const TRect& Rect, int X, int Y, const AnsiString& Text);
  int TextWidth(const AnsiString& Text) { return TextExtent(Text).cx; }
  int TextHeight(const AnsiString& Text) { return TextExtent(Text).cy; }
  TSize TextExtent(const AnsiString& Text);

  // Graphic at its own size; monochrome images take the font colour for 0 and the brush colour for 1.
  void Draw(int X, int Y, TGraphic* Graphic);
  void StretchDraw(const TRect& Rect, TGraphic* Graphic);
  // StretchBlt with CopyMode.
  void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);
  // Copies Source of Bitmap to Dest, painting the brush where the bitmap has Color.
  void BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color);

  void Lock();
  void Unlock();
  bool TryLock();
  int LockCount() const { return FLockCount; }
  // Deselects the objects, so the next operation selects them afresh.
  void Refresh();

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  // A descendant that owns a DC makes it here (calling SetHandle) when the handle is needed.
  virtual void CreateHandle() {}
  void RequiredState(TCanvasState ReqState);
  virtual void Changed();
  virtual void Changing();
  TCanvasState State() const { return FState; }

 private:
  void DeselectHandles();
  void RequireCopyTarget();
  void CreateFont();
  void CreatePen();
  void CreateBrush();
  void SetBrushBackground();
  void FontChanged(TObject* Sender);
  void PenChanged(TObject* Sender);
  void BrushChanged(TObject* Sender);

  HDC FHandle { nullptr };
  TCanvasState FState;
  // Held in the canvas itself: a canvas is made for nearly every picture drawn.
  mutable TFont FFont;
  mutable TPen FPen;
  mutable TBrush FBrush;
  TCopyMode FCopyMode { cmSrcCopy };
  std::recursive_mutex FLock;
  int FLockCount { 0 };
};

// Lends a DC to a locked canvas for one scope: painting into a DC the canvas does not own, and giving it
// back (unlocked, handle cleared) however the scope ends. Owner, when given, is the life token of what
// holds the canvas: a handler inside the scope may free it, and then the canvas is gone too.
class TCanvasDCScope {
 public:
  TCanvasDCScope(TCanvas* Canvas, HDC DC, std::weak_ptr<const void> Owner = {})
      : FCanvas(Canvas), FOwner(std::move(Owner)), FOwned(!FOwner.expired()) {
    FCanvas->Lock();
    FCanvas->SetHandle(DC);
  }
  ~TCanvasDCScope() {
    if (FOwned && FOwner.expired()) return;
    FCanvas->SetHandle(nullptr);
    FCanvas->Unlock();
  }
  TCanvasDCScope(const TCanvasDCScope&) = delete;
  TCanvasDCScope& operator=(const TCanvasDCScope&) = delete;

 private:
  TCanvas* FCanvas;
  std::weak_ptr<const void> FOwner;
  bool FOwned;
};

// ---- Graphics -----------------------------------------------------------------------------------------

// An image that can draw itself on a canvas and be read from and written to streams and files.
// A picture that takes a while to decode reports as it goes: R is the part ready so far, and RedrawNow
// says that part may be shown now.
enum TProgressStage { psStarting, psRunning, psEnding };
typedef TClosure<void(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow, const TRect& R,
                      const AnsiString& Msg)>
    TProgressEvent;

class TGraphic : public TPersistent {
  XJ_CLASS(TGraphic, TPersistent)
 public:
  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual void SetWidth(int Value) = 0;
  virtual int Height() const = 0;
  virtual void SetHeight(int Value) = 0;
  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool Value);
  bool Modified() const { return FModified; }
  void SetModified(bool Value);

  // Files go through the streams; a file that cannot be opened raises EFOpenError.
  virtual void LoadFromFile(const AnsiString& FileName);
  virtual void SaveToFile(const AnsiString& FileName);
  virtual void LoadFromStream(TStream* Stream) = 0;
  virtual void SaveToStream(TStream* Stream) = 0;

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

 protected:
  virtual void Changed(TObject* Sender);
  virtual void Progress(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow, const TRect& R,
                        const AnsiString& Msg);
  // Draws the whole image into Rect (stretched when the sizes differ).
  virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;
  // The binary property "Data" of form resources.
  void DefineProperties(TFiler* Filer) override;
  virtual void ReadData(TStream* Stream) { LoadFromStream(Stream); }
  virtual void WriteData(TStream* Stream) { SaveToStream(Stream); }

  bool FTransparent { false };
  bool FModified { false };

  friend class TCanvas;
  friend class TPicture;
};

// A graphic class as the picture's file-format table knows it: its identity and a maker.
struct TGraphicClass {
  TClass Class { nullptr };
  TGraphic* (*Create)() { nullptr };

  template <class G>
  static TGraphicClass Of() {
    return TGraphicClass { G::StaticClass(), []() -> TGraphic* { return new G(); } };
  }
};

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
XJ_ENUM_IDENTS(TPixelFormat, pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom);

enum TTransparentMode { tmAuto, tmFixed };
XJ_ENUM_IDENTS(TTransparentMode, tmAuto, tmFixed);

class TBitmapCanvas;

// A bitmap in its own pixel format (a top-down DIB section; pfDevice is 32 bits). New pixels are white:
// a new bitmap, and the area an enlargement adds, whose old pixels survive where they overlap. A size
// of zero or less in either direction gives an empty bitmap.
class TBitmap : public TGraphic {
  XJ_CLASS(TBitmap, TGraphic)
 public:
  TBitmap();
  ~TBitmap() override;

  // A TBitmap is copied; null empties; other graphics render themselves through AssignTo.
  void Assign(TPersistent* Source) override;

  TCanvas* Canvas();
  // Releases the canvas's hold on the bitmap first, so the caller may select it elsewhere.
  HBITMAP Handle();
  // Takes ownership of Value (null empties).
  void SetHandle(HBITMAP Value);
  // The caller owns the returned handle; the bitmap becomes empty.
  HBITMAP ReleaseHandle();
  bool HandleAllocated() const { return FHandle != nullptr; }

  bool Empty() const override { return FWidth <= 0 || FHeight <= 0; }
  int Width() const override { return FWidth; }
  void SetWidth(int Value) override { SetSize(Value, FHeight); }
  int Height() const override { return FHeight; }
  void SetHeight(int Value) override { SetSize(FWidth, Value); }
  void SetSize(int AWidth, int AHeight);

  // Converts the pixels (colour → 1 bit: white pixels become 1, every other 0).
  TPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TPixelFormat Value);
  // One bit with a black and white palette.
  bool Monochrome() const;
  void SetMonochrome(bool Value);
  // Row Row, top to bottom, in the bitmap's own format (pf32bit: B, G, R, 0). Valid until the size or
  // format changes; out of range raises EInvalidGraphicOperation.
  void* ScanLine(int Row);
  // The memory of a DIB section as the bitmap made or read it, without asking the GDI: ScanLine(0), the step
  // from one row to the next (0 for one row) and bits per pixel; Plain when they are 24 or 32 bits of B, G,
  // R from the low byte. False for an empty bitmap or one without memory (a foreign device bitmap). Like
  // ScanLine it drops the mask, since the caller may write.
  struct TRowsView {
    uint8_t* Base { nullptr };
    ptrdiff_t Stride { 0 };
    int BitCount { 0 };
    bool Plain { false };
  };
  bool RowsView(TRowsView& Out);

  // tmAuto: the bottom-left pixel (white for a monochrome bitmap); tmFixed: the colour set.
  TColor TransparentColor();
  // Also switches to tmFixed (clDefault: back to tmAuto).
  void SetTransparentColor(TColor Value);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode Value);

  // Turns the bitmap into its monochrome mask: pixels of Color white, every other black.
  void Mask(TColor TransparentColor);
  // The mask of TransparentColor as a monochrome bitmap, owned by the bitmap.
  HBITMAP MaskHandle();
  // The mask handle, now the caller's.
  HBITMAP ReleaseMaskHandle();

  // Releases the canvas's device context and the mask; the pixels stay.
  void Dormant();
  void FreeImage();

  // A bitmap resource (as LoadBitmapA finds it); EResNotFound-style EInvalidGraphic when absent.
  void LoadFromResourceName(HINSTANCE Instance, const AnsiString& ResName);
  void LoadFromResourceID(HINSTANCE Instance, int ResID);
  // Exactly one BMP file image from the stream's position.
  void LoadFromStream(TStream* Stream) override;
  // One complete BMP file image (palette depths keep their palette; others are written as 24 bits).
  void SaveToStream(TStream* Stream) override;

 protected:
  void Changed(TObject* Sender) override;
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  // 32-bit length, then the BMP file image.
  void ReadData(TStream* Stream) override;
  void WriteData(TStream* Stream) override;

 private:
  void ReadStream(TStream* Stream, int64_t Size);
  void NewImage(HBITMAP Handle, TPixelFormat Format);
  void NewSection(HBITMAP Handle, TPixelFormat Format, uint8_t* Bits, int Width, int Height, int Stride, int BitCount,
                  bool Plain);
  void TakeImage(HBITMAP Handle, TPixelFormat Format);
  void FreeContext();
  void FreeMask();
  void DIBNeeded();
  void CanvasChanging(TObject* Sender);
  void CanvasChanged(TObject* Sender);

  HBITMAP FHandle { nullptr };
  uint8_t* FBits { nullptr };  // the DIB section's memory, null for a foreign device bitmap
  int FStride { 0 };
  int FBitCount { 0 };    // of the section's memory (FBits)
  bool FPlain { false };  // 24 or 32 bits of B, G, R from the low byte
  int FWidth { 0 };
  int FHeight { 0 };
  TPixelFormat FPixelFormat { pfDevice };
  HBITMAP FMaskHandle { nullptr };
  TColor FMaskColor { clNone };
  TColor FTransparentColor { clDefault };
  TTransparentMode FTransparentMode { tmAuto };
  std::unique_ptr<TBitmapCanvas> FCanvas;

  friend class TBitmapCanvas;
};

// An icon: a colour image and its mask. Loads and saves .ico files; cannot be resized.
class TIcon : public TGraphic {
  XJ_CLASS(TIcon, TGraphic)
 public:
  TIcon() = default;
  ~TIcon() override;

  void Assign(TPersistent* Source) override;
  HICON Handle() const { return FHandle; }
  // Takes ownership of Value.
  void SetHandle(HICON Value);
  HICON ReleaseHandle();

  bool Empty() const override { return FHandle == nullptr; }
  int Width() const override { return FWidth; }
  // Raises EInvalidGraphicOperation: an icon's size is fixed.
  void SetWidth(int Value) override;
  int Height() const override { return FHeight; }
  void SetHeight(int Value) override;

  // An .ico file image from the stream's position to its end: the 32 × 32 image (else the largest)
  // with the most colours.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;

 protected:
  void AssignTo(TPersistent* Dest) override;
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 private:
  void NewIcon(HICON Handle, std::vector<uint8_t> FileImage);

  HICON FHandle { nullptr };
  int FWidth { 0 };
  int FHeight { 0 };
  std::vector<uint8_t> FFileImage;  // the .ico bytes it was read from, written back unchanged
};

// Holds any graphic. Files are read by extension through the registered formats (bmp, ico, jpg, jpeg).
class TPicture : public TPersistent {
  XJ_CLASS(TPicture, TPersistent)
 public:
  TPicture() = default;
  ~TPicture() override;

  // A TPicture or TGraphic (copied into a new graphic of its class); null empties.
  void Assign(TPersistent* Source) override;

  TGraphic* Graphic() const { return FGraphic.get(); }
  void SetGraphic(TGraphic* Value);
  // The graphic as a bitmap; another kind of graphic is replaced by an empty bitmap.
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* Value) { SetGraphic(Value); }
  TIcon* Icon();
  void SetIcon(TIcon* Value) { SetGraphic(Value); }
  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }

  // An unknown extension raises EInvalidGraphic "Unknown picture file extension (.xyz)".
  void LoadFromFile(const AnsiString& FileName);
  void SaveToFile(const AnsiString& FileName);

  // Extension without the dot, any case. A later registration of the same extension wins.
  static void RegisterFileFormat(const AnsiString& Extension, const AnsiString& Description,
                                 TGraphicClass GraphicClass);
  static void UnregisterGraphicClass(TClass AClass);
  // The class registered for a graphic class name ("TBitmap"), as form resources name them.
  static TGraphicClass FindGraphicClass(const AnsiString& ClassName);

  TNotifyEvent OnChange;
  // The graphic's progress, whichever graphic the picture holds.
  TProgressEvent OnProgress;

 protected:
  virtual void Changed(TObject* Sender);
  virtual void Progress(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow, const TRect& R,
                        const AnsiString& Msg);
  void AssignTo(TPersistent* Dest) override;
  // "Data": the graphic's class name (a length byte and the name), then the graphic's own data.
  void DefineProperties(TFiler* Filer) override;

 private:
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);
  void Take(std::unique_ptr<TGraphic> Graphic);

  std::unique_ptr<TGraphic> FGraphic;
};
