#include "components/CTL_TransBtn.h"

#include <algorithm>
#include <cstdint>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"

namespace {

// Pixels of a pf32bit bitmap are stored B, G, R, 0: as a 32-bit word 0x00RRGGBB.
uint32_t ToPixel(TColor C) {
  const uint32_t rgb = static_cast<uint32_t>(ColorToRGB(C));
  return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

uint32_t* Row(TBitmap* B, int Y) { return static_cast<uint32_t*>(B->ScanLine(Y)); }

// A pf32bit copy of Source.
void Copy32(TBitmap* Dest, TBitmap* Source) {
  Dest->SetPixelFormat(pf32bit);
  Dest->SetSize(Source->Width(), Source->Height());
  for (int y = 0; y < Source->Height(); ++y) std::copy_n(Row(Source, y), Source->Width(), Row(Dest, y));
}

}  // namespace

TTransparentButton::TTransparentButton(TComponent* AOwner)
    : TGraphicControl(AOwner),
      FGlyph(std::make_unique<TBitmap>()),
      FImages(std::make_unique<TImageList>(40, 40)),
      FGrayImage(std::make_unique<TBitmap>()),
      FDisabledImage(std::make_unique<TBitmap>()) {
  // The parent shows through, and a double click arrives as two clicks.
  SetControlStyle(ControlStyle() - TControlStyle { csOpaque, csDoubleClicks });
  SetBounds(0, 0, 40, 40);
  FGlyph->OnChange = TNotifyEvent(this, &TTransparentButton::GlyphChanged);
}

TTransparentButton::~TTransparentButton() = default;

// ---- Properties --------------------------------------------------------------------------------------------

void TTransparentButton::SetAutoGray(bool Value) {
  if (FAutoGray == Value) return;
  FAutoGray = Value;
  Invalidate();
}

void TTransparentButton::SetBorderWidth(unsigned Value) {
  if (FBorderWidth == Value) return;
  FBorderWidth = Value;
  Invalidate();
}

void TTransparentButton::SetCaption(const AnsiString& Value) {
  if (Caption() == Value) return;
  TControl::SetCaption(Value);
  Invalidate();
}

void TTransparentButton::SetFrameStyle(TFrameStyle Value) {
  if (FFrameStyle == Value) return;
  FFrameStyle = Value;
  Invalidate();
}

void TTransparentButton::SetGlyph(TBitmap* Value) {
  FGlyph->Assign(Value);
  Invalidate();
}

// The cells are rebuilt at once, so the placement (which uses the cell width) and the pictures drawn
// always agree.
void TTransparentButton::SetNumGlyphs(int Value) {
  Value = std::clamp(Value, 1, 4);
  if (FNumGlyphs == Value) return;
  FNumGlyphs = Value;
  AddGlyphs(FGlyph.get());
  Invalidate();
}

void TTransparentButton::SetPopUpMenu(TPopupMenu* Value) {
  if (FPopUpMenu == Value) return;
  if (FPopUpMenu) FPopUpMenu->RemoveFreeNotification(this);
  FPopUpMenu = Value;
  if (Value) Value->FreeNotification(this);
}

void TTransparentButton::SetShowPressed(bool Value) {
  if (FShowPressed == Value) return;
  FShowPressed = Value;
  Invalidate();
}

void TTransparentButton::SetSpacing(int Value) {
  if (FSpacing == Value) return;
  FSpacing = Value;
  Invalidate();
}

void TTransparentButton::SetTextAlign(TTextAlign Value) {
  if (FTextAlign == Value) return;
  FTextAlign = Value;
  Invalidate();
}

void TTransparentButton::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  Invalidate();
}

void TTransparentButton::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  Invalidate();
}

void TTransparentButton::SetStayDown(bool Value) {
  if (FDown == Value) return;
  FDown = Value;
  FTracking = Value;
  FState = Value ? 1 : 0;
  Repaint();
}

void TTransparentButton::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopUpMenu) FPopUpMenu = nullptr;
}

// ---- Glyph cells -------------------------------------------------------------------------------------------

void TTransparentButton::GlyphChanged(TObject*) {
  Invalidate();
  const int w = FGlyph->Width(), h = FGlyph->Height();
  if (h > 0 && w % h == 0) {
    int n = w / h;
    if (n > 4) n = 1;
    if (n >= 1) FNumGlyphs = n;  // a glyph of width 0 keeps the count
  }
  AddGlyphs(FGlyph.get());
}

int TTransparentButton::CellWidth() const { return FGlyph->Width() / FNumGlyphs; }

void TTransparentButton::AddGlyphs(TBitmap* AGlyph) {
  if (!AGlyph || AGlyph->Empty()) return;
  FImages->Clear();
  const int cw = AGlyph->Width() / FNumGlyphs, h = AGlyph->Height();
  if (cw < 1) return;  // narrower than its cell count: nothing to cut
  FImages->SetSize(cw, h);
  TBitmap work;
  work.SetPixelFormat(pf32bit);
  work.SetSize(cw, h);
  for (int i = 0; i < FNumGlyphs; ++i) {
    work.Canvas()->CopyRect(TRect(0, 0, cw, h), AGlyph->Canvas(), TRect(i * cw, 0, (i + 1) * cw, h));
    if (i == 0) {
      MakeGrayImage(&work);
      MakeDisabledImage(&work);
    }
    FImages->AddMasked(&work, work.TransparentColor());
  }
  AGlyph->Dormant();
  FImages->AddMasked(FGrayImage.get(), FGrayImage->TransparentColor());
  FImages->AddMasked(FDisabledImage.get(), FDisabledImage->TransparentColor());
  Invalidate();
}

void TTransparentButton::MakeGrayImage(TBitmap* Cell) {
  Copy32(FGrayImage.get(), Cell);
  for (int y = 0; y < FGrayImage->Height(); ++y) {
    uint32_t* p = Row(FGrayImage.get(), y);
    for (int x = 0; x < FGrayImage->Width(); ++x) {
      const uint32_t r = (p[x] >> 16) & 0xFF, g = (p[x] >> 8) & 0xFF, b = p[x] & 0xFF;
      const uint32_t v = (30 * r + 59 * g + 11 * b) / 100;
      p[x] = (v << 16) | (v << 8) | v;
    }
  }
}

// The embossed look: the glyph's shape (every pixel neither white nor the top-left colour) in button
// highlight one pixel right and down, then in button shadow in place, on button face. Built from the
// shape directly, so the highlight and shadow fall on the shape and never around it.
void TTransparentButton::MakeDisabledImage(TBitmap* Cell) {
  const int w = Cell->Width(), h = Cell->Height();
  const uint32_t c0 = Row(Cell, 0)[0] & 0xFFFFFF;
  auto inShape = [&](int x, int y) {
    const uint32_t p = Row(Cell, y)[x] & 0xFFFFFF;
    return p != 0xFFFFFF && p != c0;
  };
  TBitmap* d = FDisabledImage.get();
  d->SetPixelFormat(pf32bit);
  d->SetSize(w, h);
  const uint32_t face = ToPixel(clBtnFace), light = ToPixel(clBtnHighlight), shadow = ToPixel(clBtnShadow);
  for (int y = 0; y < h; ++y) std::fill_n(Row(d, y), w, face);
  for (int y = 0; y + 1 < h; ++y)
    for (int x = 0; x + 1 < w; ++x)
      if (inShape(x, y)) Row(d, y + 1)[x + 1] = light;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (inShape(x, y)) Row(d, y)[x] = shadow;
}

// ---- Painting -------------------------------------------------------------------------------------------

void TTransparentButton::Paint() {
  TCanvas* c = Canvas();
  const int W = Width(), H = Height();
  // More outlines than the button has pixels draw nothing more.
  const int bw = static_cast<int>(std::min<unsigned>(FBorderWidth, static_cast<unsigned>(std::max({ W, H, 0 }))));
  c->Brush()->SetColor(clBtnFace);
  c->Brush()->SetStyle(bsSolid);
  c->Pen()->SetColor(clBlack);
  c->Pen()->SetWidth(bw);
  PaintBackground(bw);
  if (FState == 1)
    PaintPressedEdges(bw);
  else
    PaintRaisedEdges(bw);
  PaintButton();
}

// The face (unless transparent) and the outline the frame style draws in every state.
void TTransparentButton::PaintBackground(int Border) {
  TCanvas* c = Canvas();
  const int W = Width(), H = Height();
  TRect r;
  switch (FFrameStyle) {
    case fsRegular:
      if (!FTransparent) {
        c->Rectangle(1, 1, W, H);
      } else {
        r = TRect(1, 1, W, H);
        Frame3D(c, r, clBlack, clBlack, Border);
      }
      return;
    case fsIndent:
      if (!FTransparent) {
        c->Pen()->SetColor(clBtnShadow);
        c->Rectangle(0, 0, W - 1, H - 1);
      } else {
        r = TRect(0, 0, W - 1, H - 1);
        Frame3D(c, r, clBtnShadow, clBtnShadow, Border);
      }
      r = TRect(1, 1, W, H);
      Frame3D(c, r, clBtnHighlight, clBtnHighlight, Border);
      return;
    default:
      if (!FTransparent) c->FillRect(TRect(0, 0, W, H));
      if (ComponentState().Contains(csDesigning)) PaintDesignOutline();
      return;
  }
}

// A flat style shows its bounds while designing, where the button may have no face to see.
void TTransparentButton::PaintDesignOutline() {
  static constexpr struct {
    TColor Top, Bottom;
  } Design[] = {
    { clBtnHighlight, clBtnShadow },  // fsExplorer
    { clBlack, clBlack },             // fsNone
    { clBtnHighlight, clBtnShadow },  // fsLight
    { clBtnFace, cl3DDkShadow },      // fsDark
    { clBtnHighlight, cl3DDkShadow }  // fsMono
  };
  const auto& d = Design[FFrameStyle - fsExplorer];
  TRect r = ClientRect();
  Frame3D(Canvas(), r, d.Top, d.Bottom, 1);
}

void TTransparentButton::PaintPressedEdges(int Border) {
  TCanvas* c = Canvas();
  TRect r(0, 0, Width(), Height());
  switch (FFrameStyle) {
    case fsRegular:
    case fsIndent:
      if (FShowPressed) {
        Frame3D(c, r, clBlack, clBtnHighlight, Border);
        Frame3D(c, r, clBtnShadow, clBtnFace, Border);
      }
      return;
    case fsExplorer:
      if (FHover || FDown) {
        if (FShowPressed)
          Frame3D(c, r, clBtnShadow, clBtnHighlight, Border);
        else
          Frame3D(c, r, clBtnHighlight, clBtnShadow, Border);
      }
      return;
    case fsLight:
      if (FShowPressed) Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
      return;
    case fsDark:
      if (FShowPressed) Frame3D(c, r, cl3DDkShadow, clBtnFace, 1);
      return;
    case fsMono:
      if (FShowPressed) Frame3D(c, r, cl3DDkShadow, clBtnHighlight, 1);
      return;
    case fsNone:
      return;
  }
}

void TTransparentButton::PaintRaisedEdges(int Border) {
  TCanvas* c = Canvas();
  TRect r(0, 0, Width(), Height());
  switch (FFrameStyle) {
    case fsRegular:
      Frame3D(c, r, clBtnHighlight, clBlack, Border);
      Frame3D(c, r, clBtnFace, clBtnShadow, Border);
      return;
    case fsIndent:
      Frame3D(c, r, clBtnShadow, clBtnHighlight, Border);
      return;
    case fsExplorer:
      if (FHover) Frame3D(c, r, clBtnHighlight, clBtnShadow, Border);
      return;
    case fsLight:
      Frame3D(c, r, clBtnHighlight, clBtnShadow, 1);
      return;
    case fsDark:
      Frame3D(c, r, clBtnFace, cl3DDkShadow, 1);
      return;
    case fsMono:
      Frame3D(c, r, clBtnHighlight, cl3DDkShadow, 1);
      return;
    case fsNone:
      return;
  }
}

TRect TTransparentButton::GlyphRect() const {
  const int W = Width(), H = Height();
  int gw = CellWidth();
  if (gw <= 0) gw = FGlyph->Width();
  const int gh = FGlyph->Height();
  int top, left;
  switch (FTextAlign) {
    case ttaBottomRight:
    case ttaBottom:
    case ttaBottomLeft:
      top = FSpacing;
      break;
    case ttaTopLeft:
    case ttaTop:
    case ttaTopRight:
      top = H - gh - FSpacing;
      break;
    default:
      top = (H - gh) / 2;
  }
  switch (FTextAlign) {
    case ttaLeft:
      left = W - gw - FSpacing;
      break;
    case ttaRight:
      left = FSpacing + 3;
      break;
    default:
      left = (W - gw) / 2;
  }
  return TRect(left, top, left + gw, top + gh);
}

void TTransparentButton::PaintButton() {
  const TRect g = GlyphRect();
  if (!FGlyph->Empty()) {
    DrawTheBitmap(g);
    FGlyph->Dormant();
  }
  if (!Caption().empty()) DrawTheText(g);
}

void TTransparentButton::DrawTheBitmap(TRect R) {
  const bool enabled = Enabled();
  int index = 0;
  if (FNumGlyphs == 2)
    index = enabled ? 0 : 1;
  else if (FNumGlyphs >= 3)
    index = !enabled ? 1 : FState == 1 ? 2 : 0;
  if (FState == 1 && FShowPressed) R = TRect(R.Left + 1, R.Top + 1, R.Right + 1, R.Bottom + 1);
  const int count = FImages->Count();
  if (FFrameStyle == fsExplorer && FAutoGray && !FHover) index = count - 2;
  if (!enabled && FNumGlyphs == 1) index = count - 1;
  FImages->SetBkColor(FTransparent ? clNone : clBtnFace);
  FImages->Draw(Canvas(), R.Left, R.Top, index);
}

void TTransparentButton::DrawTheText(const TRect& G) {
  TCanvas* c = Canvas();
  const int W = Width(), H = Height();
  c->SetFont(Font());
  const AnsiString text = Caption();
  const UINT lines = FWordWrap ? DT_WORDBREAK : DT_SINGLELINE;
  HDC dc = c->Handle();
  RECT m { 0, 0, W, H };
  DrawTextA(dc, text.c_str(), -1, &m, DT_CALCRECT | lines);
  const TPoint at = TextOffset(m.right - m.left, m.bottom - m.top, G);
  OffsetRect(&m, at.X, at.Y);
  if (FState == 1 && FShowPressed) OffsetRect(&m, 1, 1);
  const UINT format = DT_CENTER | DT_NOCLIP | lines;
  SetBkMode(dc, TRANSPARENT);
  if (!Enabled()) {
    RECT lit = m;
    OffsetRect(&lit, 1, 1);
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(clBtnHighlight)));
    DrawTextA(dc, text.c_str(), -1, &lit, format);
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
  } else {
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Font()->Color())));
  }
  DrawTextA(dc, text.c_str(), -1, &m, format);
}

// Where text TW by TH pixels goes for the alignment, beside the glyph's rectangle G.
TPoint TTransparentButton::TextOffset(int TW, int TH, const TRect& G) const {
  const int W = Width(), H = Height();
  const int left = FSpacing, centre = W / 2 - TW / 2, right = W - TW - FSpacing;
  const int above = G.Top - TH - FSpacing, middle = H / 2 - TH / 2, below = G.Bottom + FSpacing;
  switch (FTextAlign) {
    case ttaTopLeft:
      return TPoint(left, above);
    case ttaTop:
      return TPoint(centre, above);
    case ttaTopRight:
      return TPoint(right, above);
    case ttaRight:
      return TPoint(right, middle);
    case ttaBottomRight:
      return TPoint(right, below);
    case ttaBottom:
      return TPoint(centre, below);
    case ttaBottomLeft:
      return TPoint(left, below);
    case ttaLeft:
      return TPoint(left, middle);
    case ttaCenter:
      return TPoint(centre, middle);
  }
  return TPoint(0, 0);
}

// ---- Mouse ----------------------------------------------------------------------------------------------

bool TTransparentButton::InsideBtn(int X, int Y) const { return X >= 0 && X < Width() && Y >= 0 && Y < Height(); }

void TTransparentButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (!Enabled() || FPressing) return;
  FPressing = true;
  auto life = LifeToken();
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (life.expired()) return;
  if (FMovable) {
    FDragX = X;
    FDragY = Y;
  }
  if (InsideBtn(X, Y)) {
    FTracking = true;
    FState = 1;
    Repaint();
  }
  if (!FPopUpMenu) return;
  const TPoint p = ClientToScreen(TPoint(0, Height()));
  FPopUpMenu->Popup(p.X, p.Y);
  if (life.expired()) return;
  // The clicks that closed the menu must not reach the button or its parent afterwards.
  MSG m;
  while (PeekMessageA(&m, nullptr, WM_MOUSEFIRST, 0x20A, PM_REMOVE)) {
  }
  // The release was eaten with them: let go of the mouse as it would have.
  if (MouseCapture()) SetMouseCapture(false);
  FControlState >> csClicked;
  MouseUp(Button, Shift, X, Y);
}

void TTransparentButton::MouseMove(TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TGraphicControl::MouseMove(Shift, X, Y);
  if (life.expired() || !FTracking) return;
  if (FMovable) {
    SetTop(Top() + Y - FDragY);
    SetLeft(Left() + X - FDragX);
  }
  const bool inside = InsideBtn(X, Y);
  if (!inside && FState == 1) {
    FState = 0;
    Repaint();
  } else if (inside && FState == 0) {
    FState = 1;
    Repaint();
  }
}

void TTransparentButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (!Enabled() || !FPressing) return;
  FPressing = false;
  if (FDown) return;
  auto life = LifeToken();
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (life.expired()) return;
  FTracking = false;
  FState = 0;
  Repaint();
}

// ---- Messages ----------------------------------------------------------------------------------------------

void TTransparentButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR:
      CMDialogChar(Message);
      break;
    case CM_ENABLEDCHANGED:
      CMEnabledChanged(Message);
      break;
    case CM_MOUSEENTER:
      CMMouseEnter(Message);
      break;
    case CM_MOUSELEAVE:
      CMMouseLeave(Message);
      break;
    case CM_TEXTCHANGED:
      Invalidate();
      break;
    default:
      TGraphicControl::Dispatch(Message);
  }
}

void TTransparentButton::CMDialogChar(TMessage& Message) {
  if (IsAccel(reinterpret_cast<TWMKey&>(Message).CharCode, Caption()) && Enabled()) {
    Click();
    Message.Result = 1;
  } else {
    TGraphicControl::Dispatch(Message);
  }
}

void TTransparentButton::CMEnabledChanged(TMessage&) {
  if (!Enabled()) {
    FState = 0;
    FTracking = false;
    FPressing = false;
    FHover = false;
  }
  Repaint();
}

void TTransparentButton::CMMouseEnter(TMessage& Message) {
  TGraphicControl::Dispatch(Message);
  if (!Enabled()) return;
  FHover = true;
  auto life = LifeToken();
  if (OnMouseEnter) OnMouseEnter(this);
  if (!life.expired() && FFrameStyle == fsExplorer) Repaint();
}

void TTransparentButton::CMMouseLeave(TMessage& Message) {
  TGraphicControl::Dispatch(Message);
  if (!Enabled()) return;
  FHover = false;
  auto life = LifeToken();
  if (OnMouseExit) OnMouseExit(this);
  if (!life.expired() && FFrameStyle == fsExplorer) Repaint();
}

// ---- Published properties ------------------------------------------------------------------------------------

XJ_PUBLISHED(TTransparentButton,
  XJ_PROP(AutoGray, true)
  XJ_PROP(BorderWidth, 1u)
  XJ_PROP(Caption)
  XJ_PROP(Down, false)
  XJ_PROP(Enabled, true)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(FrameStyle, fsExplorer)
  XJ_PROP(Glyph) XJ_STORED(IsGlyphStored)
  XJ_PROP(NumGlyphs, 1)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopUpMenu)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(ShowPressed, true)
  XJ_PROP(Spacing, 2)
  XJ_PROP(TextAlign, ttaCenter)
  XJ_PROP(Transparent, true)
  XJ_PROP(Visible, true)
  XJ_PROP(WordWrap, false)
  XJ_PROP(Movable, false)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseEnter)
  XJ_EVENT(OnMouseExit)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp));

namespace CTL_TransBtn {
void Register() { RegisterComponents("Transparent", { TTransparentButton::StaticClass() }); }
}  // namespace CTL_TransBtn
