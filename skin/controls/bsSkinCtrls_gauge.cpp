#include "skin/controls/bsSkinCtrls_gauge.h"

#include <algorithm>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/SysUtils.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

namespace {

constexpr COLORREF kBarFill = RGB(182, 189, 210);

// (Value - Min) / (Max - Min), 0 for equal bounds; taken in 64 bits so that 32-bit bounds do not overflow.
double Fraction(int Value, int Min, int Max) {
  return Max == Min ? 0 : double(int64_t { Value } - Min) / double(int64_t { Max } - Min);
}

int RoundToInt(double V) { return static_cast<int>(std::clamp<int64_t>(Round(V), INT32_MIN, INT32_MAX)); }

}  // namespace

void bsSetCaptionFont(TCanvas* Canvas, bool Skinned, bool UseSkinFont, TFont* DefaultFont, const AnsiString& FontName,
                      TFontStyles FontStyle, int FontHeight, TColor FontColor) {
  TFont* f = Canvas->Font();
  f->Assign(DefaultFont);
  if (!Skinned) return;
  if (UseSkinFont) {
    f->SetName(FontName);
    f->SetHeight(FontHeight);
    f->SetStyle(FontStyle);
  }
  f->SetColor(FontColor);
}

TbsSkinGauge::TbsSkinGauge(TComponent* AOwner) : TbsSkinCustomControl(AOwner) {
  FSkinDataName = "gauge";
  SetBounds(0, 0, 100, 20);
}

TbsSkinGauge::~TbsSkinGauge() = default;

void TbsSkinGauge::SetMinValue(int Value) {
  FMinValue = Value;
  if (FValue < Value && !bsLoading(this)) FValue = Value;
  Repaint();
}

void TbsSkinGauge::SetMaxValue(int Value) {
  FMaxValue = Value;
  if (FValue > Value && !bsLoading(this)) FValue = Value;
  Repaint();
}

void TbsSkinGauge::Loaded() {
  TbsSkinCustomControl::Loaded();
  SetValue(FValue);
}

void TbsSkinGauge::SetValue(int Value) {
  const int v = bsLoading(this) ? Value : Value > FMaxValue ? FMaxValue : Value < FMinValue ? FMinValue : Value;
  if (v == FValue) return;
  FValue = v;
  Repaint();
}

void TbsSkinGauge::SetVertical(bool Value) {
  FVertical = Value;
  Repaint();
  if (ComponentState().Contains(csDesigning) && !ComponentState().Contains(csLoading))
    FSkinDataName = Value ? "vgauge" : "gauge";
}

void TbsSkinGauge::SetProgressText(const AnsiString& Value) {
  FProgressText = Value;
  Repaint();
}

void TbsSkinGauge::SetShowProgressText(bool Value) {
  FShowProgressText = Value;
  Repaint();
}

void TbsSkinGauge::SetShowPercent(bool Value) {
  FShowPercent = Value;
  Repaint();
}

void TbsSkinGauge::GetSkinData() {
  TbsSkinCustomControl::GetSkinData();
  auto* r = FSkinObjectIndex == -1 ? nullptr : SkinRecordAs<TbsDataSkinGaugeControl>();
  if (!r) {
    FSkinObjectIndex = -1;
    Picture = MaskPicture = nullptr;
    return;
  }
  // A face stretched to the control's own size has no region cut for it.
  if (!FUseSkinSize) MaskPicture = nullptr;
  FVertical = r->Vertical;
  ProgressRect = r->ProgressRect;
  ProgressArea = r->ProgressArea;
  BeginOffset = std::max(0, r->BeginOffset);
  EndOffset = std::max(0, r->EndOffset);
  FontName = r->FontName;
  FontStyle = r->FontStyle;
  FontHeight = r->FontHeight;
  FontColor = r->FontColor;
  NewProgressArea = bsAreaForSize(ProgressArea, SkinRect, FResizeMode, FVertical, Width(), Height());
}

TRect bsAreaForSize(const TRect& Area, const TRect& SkinRect, int ResizeMode, bool Vertical, int W, int H) {
  TRect r = Area;
  if (ResizeMode >= 1 && ResizeMode <= 3) {
    if (Vertical)
      r.Bottom += H - RectHeight(SkinRect);
    else
      r.Right += W - RectWidth(SkinRect);
  }
  return r;
}

void TbsSkinGauge::CalcSize(int& W, int& H) {
  const int w0 = W, h0 = H;
  TbsSkinCustomControl::CalcSize(W, H);
  NewProgressArea = bsAreaForSize(ProgressArea, SkinRect, FResizeMode, FVertical, W, H);
  if (!FUseSkinSize) {
    W = w0;
    H = h0;
  }
}

TRect TbsSkinGauge::CalcProgressRect(const TRect& R, bool AVertical) const {
  const double f = Fraction(FValue, FMinValue, FMaxValue);
  TRect p = R;
  if (AVertical)
    p.Top = R.Bottom - RoundToInt(RectHeight(R) * f);
  else
    p.Right = R.Left + RoundToInt(RectWidth(R) * f);
  return p;
}

AnsiString TbsSkinGauge::CaptionText() const {
  AnsiString text;
  if (FShowProgressText) text += FProgressText;
  if (FShowPercent) text += IntToStr(RoundToInt(Fraction(FValue, FMinValue, FMaxValue) * 100)) + "%";
  return text;
}

void TbsSkinGauge::DrawProgressText(TCanvas* Canvas) {
  bsSetCaptionFont(Canvas, CanPaintSkin(), FUseSkinFont, FDefaultFont.get(), FontName, FontStyle, FontHeight,
                   FontColor);
  const AnsiString text = CaptionText();
  if (text.empty()) return;
  const int tw = Canvas->TextWidth(text), th = Canvas->TextHeight(text);
  Canvas->Brush()->SetStyle(bsClear);
  if (!FVertical) {
    Canvas->TextOut(Width() / 2 - tw / 2, Height() / 2 - th / 2, text);
    return;
  }
  // The same font turned a quarter upwards; the canvas font owns the new handle.
  LOGFONT lf {};
  GetObject(Canvas->Font()->Handle(), sizeof lf, &lf);
  lf.lfEscapement = lf.lfOrientation = 900;
  Canvas->Font()->SetHandle(CreateFontIndirect(&lf));
  Canvas->TextOut(Width() / 2 - th / 2, Height() / 2 + tw / 2, text);
}

void TbsSkinGauge::DrawBar(TBitmap* B, const TRect& P) const {
  const TRect& PR = ProgressRect;
  TbsSkinPieces pieces(B, Picture, PR);
  if (!FVertical) {
    if (RectWidth(P) - BeginOffset - EndOffset > 0) {
      const TRect D(P.Left + BeginOffset, P.Top, P.Right - EndOffset, P.Bottom);
      const TRect S(PR.Left + BeginOffset, PR.Top, PR.Right - EndOffset, PR.Bottom);
      if (RectWidth(S) < 1) return;
      for (int x = D.Left; x < D.Right; x += RectWidth(S)) {
        const int w = std::min(RectWidth(S), D.Right - x);
        pieces.Copy(TRect(x, D.Top, x + w, D.Bottom), TRect(S.Left, S.Top, S.Left + w, S.Bottom));
      }
    }
    if (RectWidth(P) >= BeginOffset + EndOffset) {
      if (BeginOffset > 0)
        pieces.Copy(TRect(P.Left, P.Top, P.Left + BeginOffset, P.Bottom),
                    TRect(PR.Left, PR.Top, PR.Left + BeginOffset, PR.Bottom));
      if (EndOffset > 0)
        pieces.Copy(TRect(P.Right - EndOffset, P.Top, P.Right, P.Bottom),
                    TRect(PR.Right - EndOffset, PR.Top, PR.Right, PR.Bottom));
    }
    return;
  }
  if (RectHeight(P) - BeginOffset - EndOffset > 0) {
    const TRect D(P.Left, P.Top + BeginOffset, P.Right, P.Bottom - EndOffset);
    const TRect S(PR.Left, PR.Top + BeginOffset, PR.Right, PR.Bottom - EndOffset);
    if (RectHeight(S) < 1) return;
    // From the bottom upwards; the topmost tile loses rows at its top.
    for (int y = D.Bottom; y > D.Top; y -= RectHeight(S)) {
      const int h = std::min(RectHeight(S), y - D.Top);
      pieces.Copy(TRect(D.Left, y - h, D.Right, y), TRect(S.Left, S.Bottom - h, S.Right, S.Bottom));
    }
  }
  if (RectHeight(P) >= BeginOffset + EndOffset) {
    if (BeginOffset > 0)
      pieces.Copy(TRect(P.Left, P.Top, P.Right, P.Top + BeginOffset),
                  TRect(PR.Left, PR.Top, PR.Right, PR.Top + BeginOffset));
    if (EndOffset > 0)
      pieces.Copy(TRect(P.Left, P.Bottom - EndOffset, P.Right, P.Bottom),
                  TRect(PR.Left, PR.Bottom - EndOffset, PR.Right, PR.Bottom));
  }
}

void TbsSkinGauge::CreateControlSkinImage(TBitmap* B) {
  TbsSkinCustomControl::CreateControlSkinImage(B);
  NewProgressArea = bsAreaForSize(ProgressArea, SkinRect, FResizeMode, FVertical, Width(), Height());
  const TRect P = CalcProgressRect(NewProgressArea, FVertical);
  // A bar picture with nothing between its caps leaves the bare face, caption and all.
  const bool emptyMiddle = FVertical ? RectHeight(ProgressRect) - BeginOffset - EndOffset < 1
                                     : RectWidth(ProgressRect) - BeginOffset - EndOffset < 1;
  const bool middleDrawn = (FVertical ? RectHeight(P) : RectWidth(P)) - BeginOffset - EndOffset > 0;
  DrawBar(B, P);
  if (middleDrawn && emptyMiddle) return;
  if (FUseSkinSize) DrawProgressText(B->Canvas());
}

void TbsSkinGauge::CreateControlDefaultImage(TBitmap* B) {
  TCanvas* c = B->Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clWindow);
  c->FillRect(ClientRect());
  TRect frame = ClientRect();
  Frame3D(c, frame, clBtnShadow, clBtnShadow, 1);
  const TRect p = CalcProgressRect(TRect(1, 1, Width() - 1, Height() - 1), FVertical);
  if (!IsNullRect(p)) {
    c->Brush()->SetColor(static_cast<TColor>(kBarFill));
    c->FillRect(p);
  }
  DrawProgressText(c);
}

void TbsSkinGauge::Paint() {
  if (FUseSkinSize || Width() < 1 || Height() < 1) {
    TbsSkinCustomControl::Paint();
    return;
  }
  GetSkinData();
  if (!CanPaintSkin()) {
    TbsSkinCustomControl::Paint();
    return;
  }
  // The face as the skin draws it, stretched to the control; the caption drawn unscaled on top.
  TBitmap whole, face;
  whole.SetSize(Width(), Height());
  CreateControlSkinImage(&face);
  if (face.Width() > 0 && face.Height() > 0) whole.Canvas()->StretchDraw(TRect(0, 0, Width(), Height()), &face);
  DrawProgressText(whole.Canvas());
  Canvas()->Draw(0, 0, &whole);
}

XJ_PUBLISHED(TbsSkinGauge,
  XJ_PROP(Align, alNone)
  XJ_PROP(Enabled, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(UseSkinSize)
  XJ_PROP(MinValue)
  XJ_PROP(MaxValue)
  XJ_PROP(Value)
  XJ_PROP(Vertical)
  XJ_PROP(ProgressText)
  XJ_PROP(ShowProgressText)
  XJ_PROP(ShowPercent)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnResize));
