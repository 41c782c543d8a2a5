// The background painters and the background component.

#include "components/AHMTBackground.h"

#include <algorithm>

#include "components/DUVEnhancedClass.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/ImgList.h"

XJ_PUBLISHED(TAHMGradient,
  XJ_PROP(FillStyle, Horizontal)
  XJ_PROP(BeginColor, clBtnShadow)
  XJ_PROP(EndColor, clBtnHighlight)
  XJ_PROP(ColorCount, 32)
  XJ_PROP_RW(ColorsInBetween, ColorsInBetween, SetColorStrings));

XJ_PUBLISHED(TAHMTexture,
  XJ_PROP(Image)
  XJ_PROP(ImageStyle, isTile)
  XJ_PROP(TransparentColor, clNone)
  XJ_PROP(TransparentBackground, clBtnFace));

XJ_PUBLISHED(TAHMBrushFill,
  XJ_PROP(BrushStyle, bsSolid)
  XJ_PROP(BrushColor, clBtnFace));

XJ_PUBLISHED(TAHMBackground,
  XJ_PROP(Texture)
  XJ_PROP(Gradient)
  XJ_PROP(BrushFill)
  XJ_EVENT(OnChanged)
  XJ_PROP(SolidColor, clBtnFace)
  XJ_PROP_RW(BackgroundStyle, BackgroundStyle, SetBackStyle, bGradient));

static const bool xj_background_registered = (RegisterClasses({ TAHMBackground::StaticClass() }), true);

namespace {

COLORREF Rgb(TColor Color) { return static_cast<COLORREF>(ColorToRGB(Color)) & 0xFFFFFF; }

int RoundDiv(int A, int B) { return static_cast<int>(Round(static_cast<Extended>(A) / B)); }
int RoundHalf(int A, int K) { return static_cast<int>(Round(static_cast<Extended>(A) / 2 * K)); }
int RoundThird(int A, int K) { return static_cast<int>(Round(static_cast<Extended>(A) / 3 * K)); }

// A colour line; false for text that is not a colour.
bool ParseColor(const AnsiString& Text, TColor& Color) {
  try {
    Color = StringToColor(Text);
    return true;
  } catch (const EConvertError&) {
    return false;
  }
}

// DrawTextExA wants a writable string.
void DrawTextOn(HDC DC, const AnsiString& Text, const TRect& R, UINT Flags) {
  std::vector<char> buffer(Text.begin(), Text.end());
  buffer.push_back('\0');
  RECT r = R;
  DrawTextExA(DC, buffer.data(), -1, &r, Flags, nullptr);
}

// Draws Image over Canvas at (0, 0), its pixels of Key left out, through a temporary image list.
void DrawKeyed(TCanvas* Canvas, TBitmap* Image, TColor Key) {
  TImageList list(Image->Width(), Image->Height());
  list.AddMasked(Image, Key);
  list.Draw(Canvas, 0, 0, 0, true);
}

// One shade of a gradient: the colour between two neighbours, per component.
struct TShade {
  COLORREF Forward;
  COLORREF Backward;
};

TShade ShadeOf(COLORREF C1, COLORREF C2, int I, int N) {
  auto component = [&](int Shift, int Step) {
    const int a = (C1 >> Shift) & 0xFF, b = (C2 >> Shift) & 0xFF;
    return N > 1 ? a + MulDiv(Step, b - a, N - 1) : a;
  };
  TShade s { 0, 0 };
  for (int shift : { 0, 8, 16 }) {
    int f = component(shift, I);
    if (f == 0) f = 1;  // the painted gradient never holds a pure 0 component
    s.Forward |= static_cast<COLORREF>(f & 0xFF) << shift;
    s.Backward |= static_cast<COLORREF>(component(shift, N - 1 - I) & 0xFF) << shift;
  }
  return s;
}

}  // namespace

// ---- TAHMGradient ------------------------------------------------------------------------------------------

TAHMGradient::TAHMGradient() : FColorsInBetween(std::make_unique<TStringList>()) {
  FColorsInBetween->OnChange = TNotifyEvent(this, &TAHMGradient::ListChanged);
}

TAHMGradient::~TAHMGradient() { FColorsInBetween->OnChange = nullptr; }

void TAHMGradient::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TAHMGradient*>(Source);
  if (!other) {
    TGraphicsObject::Assign(Source);
    return;
  }
  FFillStyle = other->FFillStyle;
  FBeginColor = other->FBeginColor;
  FEndColor = other->FEndColor;
  FColorCount = other->FColorCount;
  FColorsInBetween->OnChange = nullptr;
  FColorsInBetween->Assign(other->FColorsInBetween.get());
  FColorsInBetween->OnChange = TNotifyEvent(this, &TAHMGradient::ListChanged);
  Changed();
}

void TAHMGradient::SetFillStyle(TAHMFillStyle Value) {
  FFillStyle = Value;
  Changed();
}

void TAHMGradient::SetBeginColor(TColor Value) {
  FBeginColor = Value;
  Changed();
}

void TAHMGradient::SetEndColor(TColor Value) {
  FEndColor = Value;
  Changed();
}

void TAHMGradient::SetColorCount(int Value) {
  if (Value >= 2 && Value <= 255) FColorCount = Value;
  Changed();
}

void TAHMGradient::SetColorStrings(TStrings* Value) {
  // Checked here, once, rather than at every paint: a bad line would fail each repaint again.
  if (Value)
    for (int i = 0; i < Value->Count(); ++i) StringToColor(Value->Strings(i));
  FColorsInBetween->Assign(Value);
}

void TAHMGradient::ListChanged(TObject*) { Changed(); }

namespace {

// One call's geometry and drawing tools, shared by the fill styles' band painters.
struct TGradientRun {
  TCanvas* Canvas;
  int W, H, N;
  int hs, ws;    // a segment's size, rounded, plus one
  int hs0, ws0;  // the same without the one
  TShade Shade;  // the band's colours

  void Band(int X, int Y, int BW, int BH) const { PatBlt(Canvas->Handle(), X, Y, BW, BH, PATCOPY); }
  void Line(int X1, int Y1, int X2, int Y2) const {
    Canvas->MoveTo(X1, Y1);
    Canvas->LineTo(X2, Y2);
  }
};

// Band I of segment K in one fill style.
typedef void (*TBandPainter)(const TGradientRun& G, int K, int I);

// Lines through the centre; the spectrum alternates its band's two colours from line to line.
template <bool Alternate>
void PaintLines(const TGradientRun& G, int K, int I) {
  auto lineColor = [&](int V) {
    if (Alternate)
      G.Canvas->Pen()->SetColor(TColor(static_cast<int32_t>(V % 2 != 0 ? G.Shade.Forward : G.Shade.Backward)));
  };
  const int oy = G.hs * K, ox = G.ws * K;
  for (int x = MulDiv(I, G.ws, G.N); x <= MulDiv(I + 2, G.ws, G.N); ++x) {
    lineColor(x);
    G.Line(ox + x, 0, G.W - x - ox, G.H);
  }
  for (int y = MulDiv(I, G.hs, G.N); y <= MulDiv(I + 2, G.hs, G.N); ++y) {
    lineColor(y);
    G.Line(0, oy + y, G.W, G.H - y - oy);
  }
}

void PaintHorizontal(const TGradientRun& G, int K, int I) {
  const int oy = G.hs * K, t1 = MulDiv(I, G.hs, G.N), t2 = MulDiv(I + 2, G.hs, G.N);
  G.Band(0, oy + t1, G.W, oy + t2 - t1);
}

void PaintVertical(const TGradientRun& G, int K, int I) {
  const int ox = G.ws * K, t1 = MulDiv(I, G.ws, G.N), t2 = MulDiv(I + 2, G.ws, G.N);
  G.Band(ox + t1, 0, ox + t2 - t1, G.H);
}

void PaintLeftBottom(const TGradientRun& G, int K, int I) {
  const int oy = G.hs * K, ox = G.ws * K, a = MulDiv(I, G.ws, G.N), b = MulDiv(I, G.hs, G.N);
  G.Band(ox + a, oy + b, G.W - a, G.H - b);
}

void PaintRoundMiddle(const TGradientRun& G, int K, int I) {
  const int oy = RoundHalf(G.hs, K) + 1, ox = RoundHalf(G.ws, K) + 1;
  const int a = MulDiv(I, RoundDiv(G.ws, 2) + 1, G.N), b = MulDiv(I, RoundDiv(G.hs, 2) + 1, G.N);
  G.Canvas->Ellipse(ox + a, oy + b, G.W - a - ox, G.H - b - oy);
}

void PaintSquareMiddle(const TGradientRun& G, int K, int I) {
  const int oy = RoundHalf(G.hs0, K), ox = RoundHalf(G.ws0, K);
  const int a = MulDiv(I, RoundDiv(G.ws0, 2), G.N), b = MulDiv(I, RoundDiv(G.hs0, 2), G.N);
  G.Band(ox + a, oy + b, G.W - 2 * a - 2 * ox, G.H - 2 * b - 2 * oy);
}

void PaintDoppelFlash(const TGradientRun& G, int K, int I) {
  const int oy = G.hs * K + 1, ox = G.ws * K + 1, a = MulDiv(I, G.ws, G.N), b = MulDiv(I, G.hs, G.N);
  G.Canvas->Ellipse(ox + a, oy + b, G.W, G.H);
  G.Canvas->Ellipse(G.W - a - ox, G.H - b - oy, 0, 0);
}

void PaintSingleflash(const TGradientRun& G, int K, int I) {
  const int oy = G.hs0 * K, ox = G.ws0 * K, a = MulDiv(I, G.ws0, G.N), b = MulDiv(I, G.hs0, G.N);
  G.Canvas->Ellipse(ox + a, oy + b, G.W, G.H);
}

void PaintMiddleHBar(const TGradientRun& G, int K, int I) {
  const int oy = RoundHalf(G.hs, K) + 1, half = RoundDiv(G.hs, 2);
  const int y1 = G.H - MulDiv(I, half + 1, G.N), y2 = G.H - MulDiv(I + 2, half + 1, G.N);
  const int z1 = MulDiv(I, half, G.N), z2 = MulDiv(I + 2, half, G.N);
  G.Band(0, y1 - 1 - oy, G.W, y2 - y1);  // a negative height: it grows upward
  G.Band(0, oy + z1, G.W, z2 - z1 + 1);
}

void PaintMiddleVBar(const TGradientRun& G, int K, int I) {
  const int ox = RoundHalf(G.ws, K) + 1, half = RoundDiv(G.ws, 2);
  const int x1 = G.W - MulDiv(I, half + 1, G.N), x2 = G.W - MulDiv(I + 2, half + 1, G.N);
  const int z1 = MulDiv(I, half, G.N), z2 = MulDiv(I + 2, half, G.N);
  G.Band(x1 - 1 - ox, 0, x2 - x1, G.H);
  G.Band(ox + z1, 0, z2 - z1 + 1, G.H);
}

void PaintVerticalDoppelBar(const TGradientRun& G, int K, int I) {
  const int ox = RoundThird(G.ws, K) + 1, t = RoundDiv(G.ws, 3) + 1;
  const int a = MulDiv(I, t, G.N), b = MulDiv(I + 1, t, G.N), m = RoundDiv(G.W, 3);
  G.Band(ox + a, 0, b - a, G.H);
  G.Band(2 * m - b - ox, 0, b - a, G.H);
  G.Band(2 * m + ox + a, 0, b - a, G.H);
}

void PaintHorizontalDoppelBar(const TGradientRun& G, int K, int I) {
  const int oy = RoundThird(G.hs, K) + 1, t = RoundDiv(G.hs, 3) + 1;
  const int a = MulDiv(I, t, G.N), b = MulDiv(I + 1, t, G.N), m = RoundDiv(G.H, 3);
  G.Band(0, oy + a, G.W, b - a);
  G.Band(0, 2 * m - b - oy, G.W, b - a);
  G.Band(0, 2 * m + oy + a, G.W, b - a);
}

// In the order of TAHMFillStyle.
const TBandPainter kBandPainters[] = {
  PaintLines<false>,        PaintHorizontal,   PaintVertical,    PaintLeftBottom,
  PaintRoundMiddle,         PaintSquareMiddle, PaintLines<true>, PaintDoppelFlash,
  PaintSingleflash,         PaintMiddleHBar,   PaintMiddleVBar,  PaintVerticalDoppelBar,
  PaintHorizontalDoppelBar,
};
static_assert(sizeof kBandPainters / sizeof kBandPainters[0] == HorizontalDoppelBar + 1);

}  // namespace

void TAHMGradient::MultiDraw(HDC DC, int W, int H, TStrings* Colors, TColor BackColor, bool BeginFirst) {
  if (W <= 0 || H <= 0) return;
  std::vector<TColor> list;
  list.push_back(BeginFirst ? FBeginColor : FEndColor);
  for (int i = 0; Colors && i < Colors->Count(); ++i)
    if (TColor c; ParseColor(Colors->Strings(i), c)) list.push_back(c);
  list.push_back(BeginFirst ? FEndColor : FBeginColor);

  TBitmap bitmap;
  bitmap.SetSize(W, H);
  TCanvas* canvas = bitmap.Canvas();
  canvas->Pen()->SetWidth(1);
  canvas->Brush()->SetStyle(bsSolid);
  auto paintWith = [&](TColor Color) {
    canvas->Pen()->SetColor(Color);
    canvas->Brush()->SetColor(Color);
  };
  const int S = static_cast<int>(list.size()) - 1;
  TGradientRun run {
    canvas, W, H, FColorCount, RoundDiv(H, S) + 1, RoundDiv(W, S) + 1, RoundDiv(H, S), RoundDiv(W, S), TShade { 0, 0 }
  };
  paintWith(BackColor);
  run.Band(0, 0, W, H);
  paintWith(list[0]);
  run.Band(0, 0, W, H);
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetMode(pmCopy);

  // The style's painter is chosen once; the loops only compute shades and call it.
  const TBandPainter paint = kBandPainters[FFillStyle];
  for (int k = 0; k < S; ++k) {
    const COLORREF c1 = Rgb(list[k]), c2 = Rgb(list[k + 1]);
    for (int i = 0; i < run.N; ++i) {
      run.Shade = ShadeOf(c1, c2, i, run.N);
      paintWith(TColor(static_cast<int32_t>(run.Shade.Forward)));
      paint(run, k, i);
    }
  }
  BitBlt(DC, 0, 0, W, H, canvas->Handle(), 0, 0, SRCCOPY);
}

// ---- TAHMTexture -------------------------------------------------------------------------------------------

TAHMTexture::TAHMTexture() : FImage(std::make_unique<TBitmap>()) {}

TAHMTexture::~TAHMTexture() = default;

void TAHMTexture::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TAHMTexture*>(Source);
  if (!other) {
    TGraphicsObject::Assign(Source);
    return;
  }
  FImage->Assign(other->FImage.get());
  FImageStyle = other->FImageStyle;
  FTransparentColor = other->FTransparentColor;
  FTransparentBackground = other->FTransparentBackground;
  Changed();
}

void TAHMTexture::SetImage(TBitmap* Value) {
  FImage->Assign(Value);
  Changed();
}

void TAHMTexture::SetImageStyle(TAHMImageStyle Value) {
  FImageStyle = Value;
  Changed();
}

void TAHMTexture::SetTransparentColor(TColor Value) {
  FTransparentColor = Value;
  Changed();
}

void TAHMTexture::SetTransparentBackground(TColor Value) {
  FTransparentBackground = Value;
  Changed();
}

void TAHMTexture::Draw(HDC DC, int W, int H, TColor Color) {
  if (FImage->Empty()) return;
  const int iw = FImage->Width(), ih = FImage->Height();
  TBitmap keyed;
  TBitmap* source = FImage.get();
  if (FTransparentColor != clNone) {
    keyed.SetSize(iw, ih);
    keyed.Canvas()->Brush()->SetColor(FTransparentBackground);
    keyed.Canvas()->Brush()->SetStyle(bsSolid);
    keyed.Canvas()->BrushCopy(TRect(0, 0, iw, ih), FImage.get(), TRect(0, 0, iw, ih), FTransparentColor);
    source = &keyed;
  }
  HDC src = source->Canvas()->Handle();
  switch (FImageStyle) {
    case isTile:
      for (int c = 0; c <= W / iw; ++c)
        for (int r = 0; r <= H / ih; ++r) BitBlt(DC, c * iw, r * ih, iw, ih, src, 0, 0, SRCCOPY);
      break;
    case isCenter:
      SetBkColor(DC, Rgb(Color));
      SetBkMode(DC, OPAQUE);
      BitBlt(DC, iw < W ? (W - iw) / 2 : 0, ih < H ? (H - ih) / 2 : 0, iw, ih, src, 0, 0, SRCCOPY);
      break;
    case isStretched:
      StretchBlt(DC, 0, 0, W, H, src, 0, 0, iw, ih, SRCCOPY);
      break;
  }
}

// ---- TAHMBrushFill -----------------------------------------------------------------------------------------

void TAHMBrushFill::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TAHMBrushFill*>(Source);
  if (!other) {
    TGraphicsObject::Assign(Source);
    return;
  }
  FBrushStyle = other->FBrushStyle;
  FBrushColor = other->FBrushColor;
  Changed();
}

void TAHMBrushFill::SetBrushStyle(TBrushStyle Value) {
  FBrushStyle = Value;
  Changed();
}

void TAHMBrushFill::SetBrushColor(TColor Value) {
  FBrushColor = Value;
  Changed();
}

// ---- TAHMBackground ----------------------------------------------------------------------------------------

TAHMBackground::TAHMBackground(TComponent* AOwner)
    : TComponent(AOwner),
      FTexture(std::make_unique<TAHMTexture>()),
      FBrushFill(std::make_unique<TAHMBrushFill>()),
      FGradient(std::make_unique<TAHMGradient>()) {
  const TNotifyEvent change(this, &TAHMBackground::BackChange);
  FTexture->OnChange = change;
  FBrushFill->OnChange = change;
  FGradient->OnChange = change;
}

TAHMBackground::~TAHMBackground() {
  // Clients hear of our end from the free notification, after this body: marked as going, we are not
  // asked to take them off a list that is gone by then.
  Destroying();
  FTexture->OnChange = nullptr;
  FBrushFill->OnChange = nullptr;
  FGradient->OnChange = nullptr;
  FClients.clear();
}

void TAHMBackground::SetTexture(TAHMTexture* Value) { FTexture->Assign(Value); }

void TAHMBackground::SetGradient(TAHMGradient* Value) { FGradient->Assign(Value); }

void TAHMBackground::SetBrushFill(TAHMBrushFill* Value) { FBrushFill->Assign(Value); }

void TAHMBackground::SetBackStyle(TAHMBackStyle Value) {
  FBackgroundStyle = Value;
  BackChange(this);
}

void TAHMBackground::SetSolidColor(TColor Value) {
  FSolidColor = Value;
  BackChange(this);
}

void TAHMBackground::AddItem(TControl* Control) {
  if (!Control) return;
  FClients.push_back(Control);
  FreeNotification(Control);
}

void TAHMBackground::RemoveItem(TControl* Control) {
  const auto it = std::find(FClients.begin(), FClients.end(), Control);
  if (it == FClients.end()) return;
  FClients.erase(it);
  if (std::find(FClients.begin(), FClients.end(), Control) == FClients.end()) RemoveFreeNotification(Control);
}

void TAHMBackground::BackChange(TObject*) {
  for (TControl* client : std::vector<TControl*>(FClients)) client->Invalidate();
  if (OnChanged) OnChanged(this);
}

void TAHMBackground::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  // A client going away without having taken itself off: forget it (compared as components only, the
  // client may be half destroyed already).
  if (Operation == opRemove)
    std::erase_if(FClients, [&](TControl* c) { return static_cast<TComponent*>(c) == AComponent; });
}

void TAHMBackground::Draw(HDC DC, int W, int H, bool BeginFirst) {
  if (W <= 0 || H <= 0) return;
  switch (FBackgroundStyle) {
    case bGradient:
      FGradient->MultiDraw(DC, W, H, FGradient->ColorsInBetween(), FSolidColor, BeginFirst);
      break;
    case bTexture:
      FTexture->Draw(DC, W, H, FSolidColor);
      break;
    case bBrushFillUseCurrent:
    case bBrushFillSolidColor:
      FillBrush(DC, W, H);
      break;
    case bSolidcolor: {
      HBRUSH brush = CreateSolidBrush(Rgb(FSolidColor));
      const RECT r { 0, 0, W, H };
      FillRect(DC, &r, brush);
      DeleteObject(brush);
      break;
    }
  }
}

void TAHMBackground::FillBrush(HDC DC, int W, int H) {
  const TRect all(0, 0, W, H);
  TBitmap b1, b2;
  b1.SetSize(W, H);
  b2.SetSize(W, H);
  b1.Canvas()->Brush()->SetStyle(FBrushFill->BrushStyle());
  b1.Canvas()->Brush()->SetColor(FBrushFill->BrushColor());
  b1.Canvas()->FillRect(all);
  b2.Canvas()->Brush()->SetStyle(FBrushFill->BrushStyle());
  b2.Canvas()->Brush()->SetColor(clBlack);
  b2.Canvas()->FillRect(all);
  b1.Canvas()->BrushCopy(all, &b2, all, clBlack);
  if (FBackgroundStyle == bBrushFillSolidColor) {
    b2.Canvas()->Brush()->SetStyle(bsSolid);
    b2.Canvas()->Brush()->SetColor(FSolidColor);
    b2.Canvas()->FillRect(all);
    b2.Canvas()->BrushCopy(all, &b1, all, clWhite);
    b1.Assign(&b2);
  }
  BitBlt(DC, 0, 0, W, H, b1.Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TAHMBackground::DrawTrans(TCanvas* Canvas, int W, int H, bool BeginFirst, TColor TransColor) {
  if (!Canvas || W <= 0 || H <= 0) return;
  TBitmap fill, copy;
  fill.SetSize(W, H);
  Draw(fill.Canvas()->Handle(), W, H, BeginFirst);
  copy.SetSize(W, H);
  BitBlt(copy.Canvas()->Handle(), 0, 0, W, H, Canvas->Handle(), 0, 0, SRCCOPY);
  DrawKeyed(fill.Canvas(), &copy, TransColor);
  BitBlt(Canvas->Handle(), 0, 0, W, H, fill.Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TAHMBackground::Write(TAHMFont3D* Font3D, TFont* Font, TCanvas* Canvas, const TRect& Rect, const AnsiString& Text,
                           UINT Flags) {
  const int w = Rect.Width(), h = Rect.Height();
  if (!Font3D || !Font || !Canvas || w <= 0 || h <= 0) return;
  TRect R = Rect;
  TBitmap m;
  m.SetSize(w, h);
  BitBlt(m.Canvas()->Handle(), 0, 0, w, h, Canvas->Handle(), 0, 0, SRCCOPY);
  m.Canvas()->SetFont(Font);
  m.Canvas()->Brush()->SetStyle(bsClear);
  R.Left += Font3D->Repetitionwidth();
  R.Right -= Font3D->Repetitionwidth();

  if (Font3D->ThreeDimensional()) {
    const TColor faceColor = m.Canvas()->Font()->Color();
    auto pass = [&](TColor Color, const TRect& At) {
      m.Canvas()->Font()->SetColor(Color);
      DrawTextOn(m.Canvas()->Handle(), Text, At, Flags);
    };
    const int rw = Font3D->Repetitionwidth();
    if (Font3D->Repetition() != repeatNone) {
      const int step = Font3D->Repetition() == repeatOnShadow ? -1 : 1;
      if (step < 0) {
        R.Left += rw, R.Right += rw, R.Top += rw, R.Bottom += rw;
      }
      for (int i = 0; i < rw; ++i) {
        pass(Font3D->RepetitionColor(), R);
        R.Left += step, R.Right += step, R.Top += step, R.Bottom += step;
      }
    }
    Font3D->DrawCopies(R, pass);
    m.Canvas()->Font()->SetColor(faceColor);
  }

  TBitmap back, text;
  back.SetSize(w, h);
  text.SetSize(w, h);
  Draw(back.Canvas()->Handle(), w, h, true);
  text.Canvas()->SetFont(Font);
  DrawTextOn(text.Canvas()->Handle(), Text, R, Flags);
  if (Font3D->MaskFont()) {
    text.Mask(Font->Color());
    if (HBITMAP mask = text.ReleaseMaskHandle()) DeleteObject(mask);
  }
  back.Canvas()->Brush()->SetStyle(bsClear);
  DrawKeyed(back.Canvas(), &text, Font->Color());
  m.Canvas()->Brush()->SetStyle(bsClear);
  DrawKeyed(m.Canvas(), &back, back.Canvas()->Pixels(0, 0));
  BitBlt(Canvas->Handle(), 0, 0, w, h, m.Canvas()->Handle(), 0, 0, SRCCOPY);
}
