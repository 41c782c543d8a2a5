// TSpeedButton: the windowless push button with a glyph, grouping and the flat look.

#include <algorithm>
#include <vector>

#include "platform/vcl/Buttons.h"
#include "platform/vcl/Menus.h"

namespace {

struct TButtonLayoutResult {
  TPoint Glyph;
  TRect Text;
};

// Places the glyph and the caption in Client: along the layout's axis by margin and spacing, centred
// across it.
TButtonLayoutResult CalcLayout(const TRect& Client, TPoint GlyphSize, TPoint TextSize, TButtonLayout Layout, int Margin,
                               int Spacing) {
  const TPoint client(Client.Width(), Client.Height());
  const bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
  // Along: the axis glyph and caption share; across: the other one.
  auto along = [&](TPoint p) { return horizontal ? p.X : p.Y; };
  auto across = [&](TPoint p) { return horizontal ? p.Y : p.X; };
  if (TextSize.X == 0 || GlyphSize.X == 0) Spacing = 0;
  const int room = along(client);
  if (Margin == -1) {
    if (Spacing == -1) {
      Margin = (room - along(GlyphSize) - along(TextSize)) / 3;
      Spacing = Margin;
    } else {
      Margin = (room - along(GlyphSize) - Spacing - along(TextSize) + 1) / 2;
    }
  } else if (Spacing == -1) {
    Spacing = (room - Margin - along(GlyphSize) - along(TextSize)) / 2;
  }
  int glyphAlong = 0, textAlong = 0;
  if (Layout == blGlyphLeft || Layout == blGlyphTop) {
    glyphAlong = Margin;
    textAlong = glyphAlong + along(GlyphSize) + Spacing;
  } else {
    glyphAlong = room - Margin - along(GlyphSize);
    textAlong = glyphAlong - Spacing - along(TextSize);
  }
  const int glyphAcross = (across(client) - across(GlyphSize) + 1) / 2;
  const int textAcross = (across(client) - across(TextSize) + 1) / 2;
  TButtonLayoutResult r;
  r.Glyph = horizontal ? TPoint(glyphAlong, glyphAcross) : TPoint(glyphAcross, glyphAlong);
  const TPoint text = horizontal ? TPoint(textAlong, textAcross) : TPoint(textAcross, textAlong);
  r.Glyph.X += Client.Left;
  r.Glyph.Y += Client.Top;
  r.Text = TRect(Client.Left + text.X, Client.Top + text.Y, Client.Left + text.X + TextSize.X,
                 Client.Top + text.Y + TextSize.Y);
  return r;
}

// The cell a state is drawn from, or -1 for the made-up disabled look.
int CellFor(TButtonState State, int NumGlyphs) {
  switch (State) {
    case bsUp:
      return 0;
    case bsDisabled:
      return NumGlyphs >= 2 ? 1 : -1;
    case bsDown:
      return NumGlyphs >= 3 ? 2 : 0;
    case bsExclusive:
      return NumGlyphs >= 4 ? 3 : NumGlyphs >= 3 ? 2 : 0;
  }
  return 0;
}

uint32_t Bgr(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// The checkerboard of face and highlight an exclusive button is filled with.
TBitmap* ExclusivePattern() {
  static TBitmap* pattern = [] {
    auto* b = new TBitmap();
    b->SetPixelFormat(pf32bit);
    b->SetSize(8, 8);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) b->Canvas()->SetPixels(x, y, (x + y) % 2 == 0 ? clBtnHighlight : clBtnFace);
    return b;
  }();
  return pattern;
}

}  // namespace

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), FGlyph(std::make_unique<TBitmap>()) {
  FControlStyle = TControlStyle { csCaptureMouse, csDoubleClicks };
  FGlyph->OnChange = TNotifyEvent(this, &TSpeedButton::GlyphChanged);
  SetBounds(0, 0, 23, 22);
  SetColor(clBtnFace);
}

TSpeedButton::~TSpeedButton() { FGlyph->OnChange = TNotifyEvent(); }

// ---- Properties ------------------------------------------------------------------------------------------

void TSpeedButton::SetAllowAllUp(bool Value) {
  if (FAllowAllUp == Value) return;
  FAllowAllUp = Value;
  UpdateExclusive();
}

void TSpeedButton::SetGroupIndex(int Value) {
  if (FGroupIndex == Value) return;
  FGroupIndex = Value;
  UpdateExclusive();
}

void TSpeedButton::SetDown(bool Value) {
  if (FGroupIndex == 0) Value = false;
  if (Value == FDown) return;
  if (FDown && !FAllowAllUp) return;
  FDown = Value;
  FState = Value ? bsExclusive : bsUp;
  Invalidate();
  if (Value) UpdateExclusive();
}

void TSpeedButton::SetFlat(bool Value) {
  if (FFlat == Value) return;
  FFlat = Value;
  Invalidate();
}

void TSpeedButton::SetGlyph(TBitmap* Value) {
  FGlyph->Assign(Value);
  if (Value && Value->Height() > 0 && Value->Width() % Value->Height() == 0) {
    const int n = Value->Width() / Value->Height();
    SetNumGlyphs(n > 4 ? 1 : n);
  }
  Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout Value) {
  if (FLayout == Value) return;
  FLayout = Value;
  Invalidate();
}

void TSpeedButton::SetMargin(int Value) {
  Value = std::max(Value, -1);
  if (FMargin == Value) return;
  FMargin = Value;
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(TNumGlyphs Value) {
  Value = std::clamp(Value, 1, 4);
  if (FNumGlyphs == Value) return;
  FNumGlyphs = Value;
  Invalidate();
}

void TSpeedButton::SetSpacing(int Value) {
  Value = std::max(Value, -1);
  if (FSpacing == Value) return;
  FSpacing = Value;
  Invalidate();
}

void TSpeedButton::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  if (Value)
    FControlStyle >> csOpaque;
  else
    FControlStyle << csOpaque;
  Invalidate();
}

void TSpeedButton::GlyphChanged(TObject*) { Invalidate(); }

// ---- Groups ----------------------------------------------------------------------------------------------

void TSpeedButton::UpdateExclusive() {
  if (FGroupIndex == 0 || !Parent()) return;
  TMessage m { CM_BUTTONPRESSED, static_cast<WPARAM>(FGroupIndex), reinterpret_cast<LPARAM>(this), 0 };
  Parent()->Broadcast(m);
}

void TSpeedButton::ButtonPressed(TMessage& Message) {
  if (Message.WParam != static_cast<WPARAM>(FGroupIndex)) return;
  auto* sender = reinterpret_cast<TSpeedButton*>(Message.LParam);
  if (sender == this) return;
  if (sender->Down() && FDown) {
    FDown = false;
    FState = bsUp;
    Invalidate();
  }
  FAllowAllUp = sender->AllowAllUp();
}

// ---- Mouse -----------------------------------------------------------------------------------------------

bool TSpeedButton::Inside(int X, int Y) { return X >= 0 && X < ClientWidth() && Y >= 0 && Y < ClientHeight(); }

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (life.expired() || Button != mbLeft || !Enabled()) return;
  if (!FDown) {
    FState = bsDown;
    Invalidate();
  }
  FDragging = true;
}

// While the button is held, the face follows whether the pointer is over the button.
void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TGraphicControl::MouseMove(Shift, X, Y);
  if (life.expired()) return;
  if (!FDragging) {
    if (!FMouseInControl) UpdateTracking();
    return;
  }
  const TButtonState state = Inside(X, Y) ? (FDown ? bsExclusive : bsDown) : (FDown ? bsExclusive : bsUp);
  if (state != FState) {
    FState = state;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (life.expired() || !FDragging || Button != mbLeft) return;
  FDragging = false;
  const bool click = Inside(X, Y);
  if (FGroupIndex == 0) {
    FState = bsUp;
    Invalidate();
  } else if (click) {
    SetDown(!FDown);
    if (FDown) FState = bsExclusive;
    Invalidate();
  } else {
    FState = FDown ? bsExclusive : bsUp;
    Invalidate();
  }
  if (click) {
    Click();
    if (life.expired()) return;
  }
  UpdateTracking();
}

void TSpeedButton::Click() { TGraphicControl::Click(); }

void TSpeedButton::UpdateTracking() {
  bool inside = false;
  if (FFlat && Enabled() && Parent() && Parent()->HandleAllocated()) {
    POINT p;
    GetCursorPos(&p);
    inside = FindDragTarget(TPoint(p.x, p.y), true) == this;
  }
  if (inside == FMouseInControl) return;
  FMouseInControl = inside;
  Invalidate();
}

// ---- Messages --------------------------------------------------------------------------------------------

void TSpeedButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_BUTTONPRESSED:
      ButtonPressed(Message);
      break;
    case CM_MOUSEENTER:
      TGraphicControl::Dispatch(Message);
      if (!FMouseInControl && Enabled() && !GetCapture()) {
        FMouseInControl = true;
        if (FFlat) Invalidate();
      }
      break;
    case CM_MOUSELEAVE:
      TGraphicControl::Dispatch(Message);
      if (FMouseInControl && !FDragging) {
        FMouseInControl = false;
        if (FFlat) Invalidate();
      }
      break;
    case CM_ENABLEDCHANGED:
      if (!Enabled()) {
        FDragging = false;
        FState = FDown ? bsExclusive : bsUp;
      }
      UpdateTracking();
      TGraphicControl::Dispatch(Message);
      break;
    case CM_TEXTCHANGED:
    case CM_SYSCOLORCHANGE:
      Invalidate();
      break;
    case CM_DIALOGCHAR: {
      auto& key = reinterpret_cast<TWMKey&>(Message);
      if (IsAccel(key.CharCode, Caption()) && Enabled() && Visible() && Parent() && Parent()->Showing()) {
        Click();
        Message.Result = 1;
      } else {
        TGraphicControl::Dispatch(Message);
      }
      break;
    }
    default:
      TGraphicControl::Dispatch(Message);
  }
}

// ---- Painting --------------------------------------------------------------------------------------------

void TSpeedButton::Paint() {
  TCanvas* c = Canvas();
  const TButtonState state = Enabled() ? FState : bsDisabled;
  const bool pressed = state == bsDown || state == bsExclusive;
  RECT r = ClientRect();
  if (!FFlat) {
    DrawEdge(c->Handle(), &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_SOFT | BF_MIDDLE | BF_ADJUST);
  } else {
    if (pressed || (FMouseInControl && state != bsDisabled)) {
      RECT edge = r;
      DrawEdge(c->Handle(), &edge, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
               BF_RECT | (FTransparent ? 0 : BF_MIDDLE));
    } else if (!FTransparent) {
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(Color());
      c->FillRect(r);
    }
    r.left += 1;
    r.top += 1;
    r.right -= 1;
    r.bottom -= 1;
  }
  TPoint offset(0, 0);
  if (pressed) {
    // The flat button under the pointer shows no checkerboard: its sunken edge says enough.
    if (state == bsExclusive && (!FFlat || !FMouseInControl)) {
      c->Brush()->SetBitmap(ExclusivePattern());
      c->FillRect(r);
      c->Brush()->SetBitmap(nullptr);
    }
    offset = TPoint(1, 1);
  }

  // Glyph and caption, laid out together.
  const AnsiString caption = Caption();
  c->SetFont(Font());
  c->Brush()->SetStyle(bsClear);
  const TPoint glyphSize = FGlyph->Empty() ? TPoint(0, 0) : TPoint(FGlyph->Width() / FNumGlyphs, FGlyph->Height());
  TPoint textSize(0, 0);
  if (!caption.empty()) {
    RECT calc { 0, 0, r.right - r.left, 0 };
    DrawTextA(c->Handle(), caption.c_str(), -1, &calc, DT_CALCRECT);
    textSize = TPoint(calc.right - calc.left, calc.bottom - calc.top);
  }
  TRect client(r.left + offset.X, r.top + offset.Y, r.right + offset.X, r.bottom + offset.Y);
  const TButtonLayoutResult layout = CalcLayout(client, glyphSize, textSize, FLayout, FMargin, FSpacing);
  if (glyphSize.X > 0) DrawGlyph(c, layout.Glyph, state);
  if (caption.empty()) return;
  RECT text = layout.Text;
  if (state == bsDisabled) {
    OffsetRect(&text, 1, 1);
    c->Font()->SetColor(clBtnHighlight);
    DrawTextA(c->Handle(), caption.c_str(), -1, &text, DT_CENTER | DT_VCENTER);
    OffsetRect(&text, -1, -1);
    c->Font()->SetColor(clBtnShadow);
  }
  DrawTextA(c->Handle(), caption.c_str(), -1, &text, DT_CENTER | DT_VCENTER);
}

void TSpeedButton::DrawGlyph(TCanvas* Canvas, TPoint At, TButtonState State) {
  const int w = FGlyph->Width() / FNumGlyphs, h = FGlyph->Height();
  const TColor key = FGlyph->TransparentColor();
  const int cell = CellFor(State, FNumGlyphs);
  TBitmap image;
  image.SetPixelFormat(pf32bit);
  image.SetSize(w, h);
  const int source = std::max(cell, 0);
  image.Canvas()->CopyRect(TRect(0, 0, w, h), FGlyph->Canvas(), TRect(source * w, 0, (source + 1) * w, h));
  if (cell < 0) {
    // The up cell's shape (everything not of the transparent colour), embossed: highlight one pixel down
    // and right, shadow on top, on a background of a colour neither of them has.
    std::vector<bool> shape(static_cast<size_t>(w) * h);
    const uint32_t k = Bgr(ColorToRGB(key));
    for (int y = 0; y < h; ++y) {
      const auto* row = static_cast<const uint32_t*>(image.ScanLine(y));
      for (int x = 0; x < w; ++x) shape[static_cast<size_t>(y) * w + x] = (row[x] & 0xFFFFFF) != k;
    }
    constexpr TColor kBackground = clFuchsia;
    const uint32_t back = Bgr(ColorToRGB(kBackground));
    const uint32_t light = Bgr(ColorToRGB(clBtnHighlight)), dark = Bgr(ColorToRGB(clBtnShadow));
    for (int y = 0; y < h; ++y) std::fill_n(static_cast<uint32_t*>(image.ScanLine(y)), w, back);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        if (!shape[static_cast<size_t>(y) * w + x]) continue;
        if (x + 1 < w && y + 1 < h) static_cast<uint32_t*>(image.ScanLine(y + 1))[x + 1] = light;
      }
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (shape[static_cast<size_t>(y) * w + x]) static_cast<uint32_t*>(image.ScanLine(y))[x] = dark;
    image.SetTransparentColor(kBackground);
  } else {
    image.SetTransparentColor(key);
  }
  image.SetTransparent(true);
  Canvas->Draw(At.X, At.Y, &image);
}

XJ_PUBLISHED(TSpeedButton,
  XJ_PROP(Action)
  XJ_PROP(AllowAllUp, false)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(BiDiMode, bdLeftToRight)
  XJ_PROP(Constraints)
  XJ_PROP(GroupIndex, 0)
  XJ_PROP(Down, false)
  XJ_PROP(Caption) XJ_STORED(IsCaptionStored)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(Flat, false)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(Glyph)
  XJ_PROP(Layout, blGlyphLeft)
  XJ_PROP(Margin, -1)
  XJ_PROP(NumGlyphs, 1)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(Spacing, 4)
  XJ_PROP(Transparent, true)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnDblClick)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp));

namespace xj::vcl {
bool RegisterButtons() {
  static const bool registered = (RegisterClasses({ TSpeedButton::StaticClass() }), true);
  return registered;
}
}  // namespace xj::vcl
