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
  auto band = [&](int X, int Y, int BW, int BH) { PatBlt(canvas->Handle(), X, Y, BW, BH, PATCOPY); };
  auto line = [&](int X1, int Y1, int X2, int Y2) {
    canvas->MoveTo(X1, Y1);
    canvas->LineTo(X2, Y2);
  };
  paintWith(BackColor);
  band(0, 0, W, H);
  paintWith(list[0]);
  band(0, 0, W, H);
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetMode(pmCopy);

  const int N = FColorCount;
  const int S = static_cast<int>(list.size()) - 1;
  const int hs = RoundDiv(H, S) + 1, ws = RoundDiv(W, S) + 1;
  const int hs0 = RoundDiv(H, S), ws0 = RoundDiv(W, S);
  for (int k = 0; k < S; ++k) {
    const COLORREF c1 = Rgb(list[k]), c2 = Rgb(list[k + 1]);
    for (int i = 0; i < N; ++i) {
      const TShade shade = ShadeOf(c1, c2, i, N);
      paintWith(TColor(static_cast<int32_t>(shade.Forward)));
      auto lineColor = [&](int V) {
        if (FFillStyle == Spectral)
          canvas->Pen()->SetColor(TColor(static_cast<int32_t>(V % 2 != 0 ? shade.Forward : shade.Backward)));
      };
      switch (FFillStyle) {
        case Circle:
        case Spectral: {
          const int oy = hs * k, ox = ws * k;
          for (int x = MulDiv(i, ws, N); x <= MulDiv(i + 2, ws, N); ++x) {
            lineColor(x);
            line(ox + x, 0, W - x - ox, H);
          }
          for (int y = MulDiv(i, hs, N); y <= MulDiv(i + 2, hs, N); ++y) {
            lineColor(y);
            line(0, oy + y, W, H - y - oy);
          }
          break;
        }
        case Horizontal: {
          const int oy = hs * k, t1 = MulDiv(i, hs, N), t2 = MulDiv(i + 2, hs, N);
          band(0, oy + t1, W, oy + t2 - t1);
          break;
        }
        case Vertical: {
          const int ox = ws * k, t1 = MulDiv(i, ws, N), t2 = MulDiv(i + 2, ws, N);
          band(ox + t1, 0, ox + t2 - t1, H);
          break;
        }
        case LeftBottom: {
          const int oy = hs * k, ox = ws * k, a = MulDiv(i, ws, N), b = MulDiv(i, hs, N);
          band(ox + a, oy + b, W - a, H - b);
          break;
        }
        case RoundMiddle: {
          const int oy = RoundHalf(hs, k) + 1, ox = RoundHalf(ws, k) + 1;
          const int a = MulDiv(i, RoundDiv(ws, 2) + 1, N), b = MulDiv(i, RoundDiv(hs, 2) + 1, N);
          canvas->Ellipse(ox + a, oy + b, W - a - ox, H - b - oy);
          break;
        }
        case SquareMiddle: {
          const int oy = RoundHalf(hs0, k), ox = RoundHalf(ws0, k);
          const int a = MulDiv(i, RoundDiv(ws0, 2), N), b = MulDiv(i, RoundDiv(hs0, 2), N);
          band(ox + a, oy + b, W - 2 * a - 2 * ox, H - 2 * b - 2 * oy);
          break;
        }
        case DoppelFlash: {
          const int oy = hs * k + 1, ox = ws * k + 1, a = MulDiv(i, ws, N), b = MulDiv(i, hs, N);
          canvas->Ellipse(ox + a, oy + b, W, H);
          canvas->Ellipse(W - a - ox, H - b - oy, 0, 0);
          break;
        }
        case Singleflash: {
          const int oy = hs0 * k, ox = ws0 * k, a = MulDiv(i, ws0, N), b = MulDiv(i, hs0, N);
          canvas->Ellipse(ox + a, oy + b, W, H);
          break;
        }
        case MiddleHBar: {
          const int oy = RoundHalf(hs, k) + 1, half = RoundDiv(hs, 2);
          const int y1 = H - MulDiv(i, half + 1, N), y2 = H - MulDiv(i + 2, half + 1, N);
          const int z1 = MulDiv(i, half, N), z2 = MulDiv(i + 2, half, N);
          band(0, y1 - 1 - oy, W, y2 - y1);  // a negative height: it grows upward
          band(0, oy + z1, W, z2 - z1 + 1);
          break;
        }
        case MiddleVBar: {
          const int ox = RoundHalf(ws, k) + 1, half = RoundDiv(ws, 2);
          const int x1 = W - MulDiv(i, half + 1, N), x2 = W - MulDiv(i + 2, half + 1, N);
          const int z1 = MulDiv(i, half, N), z2 = MulDiv(i + 2, half, N);
          band(x1 - 1 - ox, 0, x2 - x1, H);
          band(ox + z1, 0, z2 - z1 + 1, H);
          break;
        }
        case VerticalDoppelBar: {
          const int ox = RoundThird(ws, k) + 1, t = RoundDiv(ws, 3) + 1;
          const int a = MulDiv(i, t, N), b = MulDiv(i + 1, t, N), m = RoundDiv(W, 3);
          band(ox + a, 0, b - a, H);
          band(2 * m - b - ox, 0, b - a, H);
          band(2 * m + ox + a, 0, b - a, H);
          break;
        }
        case HorizontalDoppelBar: {
          const int oy = RoundThird(hs, k) + 1, t = RoundDiv(hs, 3) + 1;
          const int a = MulDiv(i, t, N), b = MulDiv(i + 1, t, N), m = RoundDiv(H, 3);
          band(0, oy + a, W, b - a);
          band(0, 2 * m - b - oy, W, b - a);
          band(0, 2 * m + oy + a, W, b - a);
          break;
        }
      }
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
