// Fonts, pens and brushes: property holders that make their GDI object when it is first needed and
// drop it when a property that is part of the object changes.

#include <cstring>

#include "platform/vcl/Graphics.h"
#include "platform/win32/WinBase.h"

XJ_PUBLISHED(TFont,
  XJ_PROP(Charset, TFontCharset(DEFAULT_CHARSET))
  XJ_PROP(Color, clWindowText)
  XJ_PROP(Height)
  XJ_PROP(Name)
  XJ_PROP(Pitch, fpDefault)
  XJ_PROP(Size) XJ_NOT_STORED
  XJ_PROP(Style, TFontStyles {}));

XJ_PUBLISHED(TPen,
  XJ_PROP(Color, clBlack)
  XJ_PROP(Mode, pmCopy)
  XJ_PROP(Style, psSolid)
  XJ_PROP(Width, 1));

XJ_PUBLISHED(TBrush,
  XJ_PROP(Color, clWhite)
  XJ_PROP(Style, bsSolid));

namespace {

// Deletes a retired handle once everybody has been told of the change (a canvas deselects it then).
template <class H>
void DeleteRetired(H& Retired) {
  if (Retired) DeleteObject(Retired);
  Retired = nullptr;
}

COLORREF Rgb(TColor Color) { return static_cast<COLORREF>(ColorToRGB(Color)) & 0xFFFFFF; }

}  // namespace

void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
}

// ---- TFont --------------------------------------------------------------------------------------------

TFont::~TFont() {
  if (FHandle) DeleteObject(FHandle);
  DeleteRetired(FRetired);
}

void TFont::Changed() {
  TGraphicsObject::Changed();
  DeleteRetired(FRetired);
}

// A property of the font object changed: the handle goes (after the change is announced) and with it
// any rotation a handle set from outside had.
void TFont::DataChanged() {
  if (FHandle) RetireHandle();
  FEscapement = FOrientation = 0;
  Changed();
}

void TFont::Assign(TPersistent* Source) {
  auto* f = dynamic_cast<TFont*>(Source);
  if (!f) {
    TGraphicsObject::Assign(Source);
    return;
  }
  if (f == this) return;
  FName = f->FName;
  FHeight = f->FHeight;
  FStyle = f->FStyle;
  FCharset = f->FCharset;
  FPitch = f->FPitch;
  FPixelsPerInch = f->FPixelsPerInch;
  FColor = f->FColor;
  if (FHandle) RetireHandle();
  FEscapement = f->FEscapement;
  FOrientation = f->FOrientation;
  Changed();
}

void TFont::RetireHandle() {
  DeleteRetired(FRetired);
  FRetired = FHandle;
  FHandle = nullptr;
}

HFONT TFont::Handle() {
  if (FHandle) return FHandle;
  LOGFONTA lf {};
  lf.lfHeight = FHeight;
  lf.lfEscapement = FEscapement;
  lf.lfOrientation = FOrientation;
  lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = FStyle.Contains(fsItalic);
  lf.lfUnderline = FStyle.Contains(fsUnderline);
  lf.lfStrikeOut = FStyle.Contains(fsStrikeOut);
  lf.lfCharSet = FCharset;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = FPitch == fpVariable ? VARIABLE_PITCH : FPitch == fpFixed ? FIXED_PITCH : DEFAULT_PITCH;
  std::strncpy(lf.lfFaceName, FName.c_str(), LF_FACESIZE - 1);
  FHandle = CreateFontIndirectA(&lf);
  if (!FHandle) throw EOutOfResources("Out of system resources");
  return FHandle;
}

void TFont::SetHandle(HFONT Value) {
  if (Value == FHandle) return;
  if (FHandle) RetireHandle();
  FHandle = Value;
  LOGFONTA lf {};
  if (Value && GetObjectA(Value, sizeof lf, &lf) == sizeof lf) {
    FName = AnsiString(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
    FHeight = lf.lfHeight;
    FStyle.Clear();
    if (lf.lfWeight >= FW_BOLD) FStyle << fsBold;
    if (lf.lfItalic) FStyle << fsItalic;
    if (lf.lfUnderline) FStyle << fsUnderline;
    if (lf.lfStrikeOut) FStyle << fsStrikeOut;
    FCharset = lf.lfCharSet;
    const int pitch = lf.lfPitchAndFamily & 3;
    FPitch = pitch == VARIABLE_PITCH ? fpVariable : pitch == FIXED_PITCH ? fpFixed : fpDefault;
    FEscapement = lf.lfEscapement;
    FOrientation = lf.lfOrientation;
  }
  Changed();
}

void TFont::SetName(const TFontName& Value) {
  if (Value.empty() || Value == FName) return;
  FName = Value;
  DataChanged();
}

void TFont::SetHeight(int Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  DataChanged();
}

int TFont::Size() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(int Value) { SetHeight(-MulDiv(Value, FPixelsPerInch, 72)); }

void TFont::SetStyle(TFontStyles Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  DataChanged();
}

// The colour is not part of the font object: the canvas applies it as the text colour.
void TFont::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();
}

void TFont::SetCharset(TFontCharset Value) {
  if (Value == FCharset) return;
  FCharset = Value;
  DataChanged();
}

void TFont::SetPitch(TFontPitch Value) {
  if (Value == FPitch) return;
  FPitch = Value;
  DataChanged();
}

// ---- TPen ---------------------------------------------------------------------------------------------

int PenModeToRop2(TPenMode Mode) {
  static constexpr int Rop2[] = { R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                                  R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                                  R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                                  R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN };
  return Rop2[Mode];
}

TPen::~TPen() {
  if (FHandle) DeleteObject(FHandle);
  DeleteRetired(FRetired);
}

void TPen::Changed() {
  TGraphicsObject::Changed();
  DeleteRetired(FRetired);
}

void TPen::DataChanged() {
  if (FHandle) {
    DeleteRetired(FRetired);
    FRetired = FHandle;
    FHandle = nullptr;
  }
  Changed();
}

void TPen::Assign(TPersistent* Source) {
  auto* p = dynamic_cast<TPen*>(Source);
  if (!p) {
    TGraphicsObject::Assign(Source);
    return;
  }
  if (p == this) return;
  FColor = p->FColor;
  FWidth = p->FWidth;
  FStyle = p->FStyle;
  FMode = p->FMode;
  DataChanged();
}

HPEN TPen::Handle() {
  if (!FHandle) {
    FHandle = CreatePen(static_cast<int>(FStyle), FWidth, Rgb(FColor));
    if (!FHandle) throw EOutOfResources("Out of system resources");
  }
  return FHandle;
}

void TPen::SetHandle(HPEN Value) {
  if (Value == FHandle) return;
  if (FHandle) {
    DeleteRetired(FRetired);
    FRetired = FHandle;
  }
  FHandle = Value;
  LOGPEN lp {};
  if (Value && GetObjectA(Value, sizeof lp, &lp) == sizeof lp) {
    FColor = static_cast<int32_t>(lp.lopnColor);
    FWidth = lp.lopnWidth.x;
    FStyle = lp.lopnStyle <= PS_INSIDEFRAME ? static_cast<TPenStyle>(lp.lopnStyle) : psSolid;
  }
  Changed();
}

void TPen::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  DataChanged();
}

void TPen::SetWidth(int Value) {
  if (Value < 0 || Value == FWidth) return;
  FWidth = Value;
  DataChanged();
}

void TPen::SetStyle(TPenStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  DataChanged();
}

void TPen::SetMode(TPenMode Value) {
  if (Value == FMode) return;
  FMode = Value;
  Changed();
}

// ---- TBrush -------------------------------------------------------------------------------------------

TBrush::~TBrush() {
  if (FHandle) DeleteObject(FHandle);
  DeleteRetired(FRetired);
}

void TBrush::Changed() {
  TGraphicsObject::Changed();
  DeleteRetired(FRetired);
}

void TBrush::DataChanged() {
  if (FHandle) {
    DeleteRetired(FRetired);
    FRetired = FHandle;
    FHandle = nullptr;
  }
  Changed();
}

void TBrush::Assign(TPersistent* Source) {
  auto* b = dynamic_cast<TBrush*>(Source);
  if (!b) {
    TGraphicsObject::Assign(Source);
    return;
  }
  if (b == this) return;
  FColor = b->FColor;
  FStyle = b->FStyle;
  FBitmap = b->FBitmap;
  DataChanged();
}

HBRUSH TBrush::Handle() {
  if (FHandle) return FHandle;
  LOGBRUSH lb {};
  lb.lbColor = Rgb(FColor);
  if (FBitmap && !FBitmap->Empty()) {
    FHandle = CreatePatternBrush(FBitmap->Handle());
  } else {
    if (FColor == clNone || FStyle == bsClear) {
      lb.lbStyle = BS_NULL;
    } else if (FStyle == bsSolid) {
      lb.lbStyle = BS_SOLID;
    } else {
      lb.lbStyle = BS_HATCHED;
      lb.lbHatch = static_cast<ULONG_PTR>(FStyle - bsHorizontal);
    }
    FHandle = CreateBrushIndirect(&lb);
  }
  if (!FHandle) throw EOutOfResources("Out of system resources");
  return FHandle;
}

void TBrush::SetHandle(HBRUSH Value) {
  if (Value == FHandle) return;
  if (FHandle) {
    DeleteRetired(FRetired);
    FRetired = FHandle;
  }
  FHandle = Value;
  LOGBRUSH lb {};
  if (Value && GetObjectA(Value, sizeof lb, &lb) == sizeof lb) {
    FBitmap = nullptr;
    FColor = static_cast<int32_t>(lb.lbColor);
    switch (lb.lbStyle) {
      case BS_NULL:
        FStyle = bsClear;
        break;
      case BS_HATCHED:
        FStyle = lb.lbHatch <= HS_DIAGCROSS ? static_cast<TBrushStyle>(bsHorizontal + lb.lbHatch) : bsSolid;
        break;
      default:
        FStyle = bsSolid;
        break;
    }
  }
  Changed();
}

void TBrush::SetColor(TColor Value) {
  if (Value == FColor && FStyle != bsClear) return;
  FColor = Value;
  // Choosing a colour for a clear brush makes it solid, as the original does.
  if (FStyle == bsClear) FStyle = bsSolid;
  DataChanged();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  DataChanged();
}

void TBrush::SetBitmap(TBitmap* Value) {
  FBitmap = Value;
  DataChanged();
}
