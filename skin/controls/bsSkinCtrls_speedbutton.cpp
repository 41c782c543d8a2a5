#include "skin/controls/bsSkinCtrls_speedbutton.h"

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Messages.h"
#include "skin/controls/bsSkinCtrls_toolbar.h"
#include "skin/data/bsUtils.h"

// ---- TbsSkinSpeedButton ---------------------------------------------------------------------------------

TbsSkinSpeedButton::TbsSkinSpeedButton(TComponent* AOwner)
    : TbsSkinPushButton(AOwner, TbsReleaseOrder::InheritedFirst) {
  // Clicks come only through ButtonClick: the stock click of the class library is left out.
  SetControlStyle({ csCaptureMouse, csOpaque, csDoubleClicks });
  SetSkinDataName("toolbutton");
  SetBounds(Left(), Top(), 75, 25);
  FGlyph->OnChange = TNotifyEvent(this, &TbsSkinSpeedButton::GlyphChange);
}

void TbsSkinSpeedButton::SetTransparent(bool Value) {
  TControlStyle style = ControlStyle();
  if (Value)
    style >> csOpaque;
  else
    style << csOpaque;
  SetControlStyle(style);
  if (Value) FMorphing = false;
  FacesChanged();
  Repaint();
}

void TbsSkinSpeedButton::SetImageIndex(int Value) {
  FImageIndex = Value;
  FacesChanged();
  if (dynamic_cast<TbsSkinToolBar*>(Parent())) Repaint();
}

void TbsSkinSpeedButton::SetFlat(bool Value) {
  FFlat = Value;
  FacesChanged();
  Repaint();
}

void TbsSkinSpeedButton::SetGroupIndex(int Value) {
  FGroupIndex = Value;
  // Two buttons of one group must never both stay down.
  if (Value != 0 && FDown && !FAllowAllUp) DoAllUp();
}

void TbsSkinSpeedButton::SetShowCaption(bool Value) {
  if (FShowCaption == Value) return;
  FShowCaption = Value;
  FacesChanged();
  // Read from a form, the stored width already is the right one.
  if (ComponentState().Contains(csLoading)) return;
  if (FWidthWithCaption >= 1 && FWidthWithoutCaption >= 1)
    SetWidth(Value ? FWidthWithCaption : FWidthWithoutCaption);
  else
    Repaint();
}

void TbsSkinSpeedButton::GetSkinData() {
  TbsGraphicSkinCustomControl::GetSkinData();
  if (FSkinObjectIndex == -1 || !ReadButtonRecord()) return;
  if (Transparent()) FMorphing = false;
}

void TbsSkinSpeedButton::ChangeSkinData() {
  FacesChanged();
  StopMorph();
  TbsGraphicSkinCustomControl::ChangeSkinData();
  FMorph.SetKf(FMorphing && FSkinObjectIndex != -1 && FMouseIn && !Transparent() ? 1.0 : 0.0);
}

void TbsSkinSpeedButton::BeforeChangeSkinData() {
  FacesChanged();
  TbsGraphicSkinCustomControl::BeforeChangeSkinData();
}

void TbsSkinSpeedButton::FacesChanged() {
  for (auto& face : FFaces) face.reset();
}

bool TbsSkinSpeedButton::CanKeepFaces() const { return !FGlyph->Empty() || !dynamic_cast<TbsSkinToolBar*>(Parent()); }

TBitmap* TbsSkinSpeedButton::Face(TFace Kind) {
  if (FFaces[Kind]) return FFaces[Kind].get();
  const TRect& rect = Kind == fcDown       ? DownSkinRect
                      : Kind == fcHot      ? ActiveSkinRect
                      : Kind == fcDisabled ? DisabledSkinRect
                                           : SkinRect;
  auto face = std::make_unique<TBitmap>();
  face->SetSize(Width(), Height());
  CreateButtonImage(face.get(), rect, Kind == fcDown, Kind == fcDown || Kind == fcHot);
  FFaces[Kind] = std::move(face);
  return FFaces[Kind].get();
}

void TbsSkinSpeedButton::CreateButtonImage(TBitmap* B, const TRect& R, bool ADown, bool AMouseIn) {
  TCanvas* canvas = BeginFace(B, R, ADown, AMouseIn);
  DrawContent(canvas, NewClRect, GetGlyphNum(ADown, AMouseIn), ADown && AMouseIn, ADown || AMouseIn);
}

void TbsSkinSpeedButton::CreateControlDefaultImage(TBitmap* B) {
  TCanvas* canvas = B->Canvas();
  const TRect r = ClientRect();
  const bool pressed = FDown && (FMouseIn || FGroupIndex != 0);
  const bool framed = ComponentState().Contains(csDesigning) || !FFlat;
  if (pressed || FMouseIn || framed || !Transparent())
    DrawDefaultFrame(canvas, r, bsLookState(pressed, FMouseIn), framed);
  canvas->Font()->Assign(DefaultFont());
  if (!Enabled()) canvas->Font()->SetColor(clBtnShadow);
  DrawContent(canvas, r, GetGlyphNum(FDown, FMouseIn), pressed, FDown || FMouseIn);
}

void TbsSkinSpeedButton::DrawTransparent(const TRect& R, int GlyphNum) {
  DrawContent(Canvas(), R, GlyphNum, false, false);
}

void TbsSkinSpeedButton::DrawContent(TCanvas* C, const TRect& R, int GlyphNum, bool Pressed, bool Hot) {
  auto* bar = FGlyph->Empty() ? dynamic_cast<TbsSkinToolBar*>(Parent()) : nullptr;
  if (!bar) {
    DrawGlyphAndCaption(C, R, FMargin, FSpacing, FLayout, FaceCaption(), FGlyph.get(), FNumGlyphs, GlyphNum, Pressed);
    return;
  }
  TCustomImageList* list = bar->Images();
  bool enabled = Enabled();
  if (!enabled && bar->DisabledImages()) {
    list = bar->DisabledImages();
    enabled = true;  // a disabled list is drawn in its own colours
  } else if (Hot && bar->HotImages()) {
    list = bar->HotImages();
  }
  DrawImageAndCaption(C, R, FMargin, FSpacing, FLayout, FaceCaption(), FImageIndex, list, Pressed, enabled);
}

void TbsSkinSpeedButton::Paint() {
  if (Width() < 1 || Height() < 1) return;
  GetSkinData();
  if (!CanPaintSkin()) {
    if (Transparent() && !FMouseIn && !(FDown && FGroupIndex != 0)) {
      Canvas()->Font()->Assign(DefaultFont());
      DrawTransparent(ClientRect(), GetGlyphNum(FDown, FMouseIn));
      return;
    }
    TbsGraphicSkinCustomControl::Paint();
    return;
  }
  // The record is looked up anew on every paint: faces built from another picture or size are stale.
  const TFacesSource source { FSkinData, FSkinObjectIndex, Picture, Width(), Height(), UseSkinFont(), CanKeepFaces() };
  if (source != FFacesSource || !source.Kept) {
    FacesChanged();
    FFacesSource = source;
  }
  const double kf = FMorph.Kf();
  if (FMorphing && kf > 0.0 && kf < 1.0 && !Transparent()) {
    bsDrawMorph(*Face(fcNormal), *Face(fcHot), MorphKind, kf, Canvas()->Handle());
    return;
  }
  TFace kind = fcNormal;
  if (FDown && (FMouseIn || FGroupIndex != 0)) {
    kind = fcDown;
  } else if (FMouseIn || (FMorphing && kf == 1.0)) {
    kind = fcHot;
  } else if (Transparent()) {
    TFont* font = Canvas()->Font();
    font->SetName(FontName);
    font->SetStyle(FontStyle);
    font->SetHeight(FontHeight);
    font->SetCharset(DefaultFont()->Charset());
    font->SetColor(Enabled() ? FontColor : DisabledFontColor);
    DrawTransparent(NewClRect, GetGlyphNum(FDown, FMouseIn));
    return;
  } else if (!Enabled() && !IsNullRect(DisabledSkinRect)) {
    kind = fcDisabled;
  }
  Canvas()->Draw(0, 0, Face(kind));
}

void TbsSkinSpeedButton::CMMouseEnter(TMessage& Message) {
  auto life = LifeToken();
  TbsGraphicSkinCustomControl::Dispatch(Message);
  if (life.expired()) return;
  FMouseIn = true;
  if (FGroupIndex != 0 && FDown) return;
  if (FDown) {
    // A held press back over the button: pressed again, repeating again.
    if (FMorphing) FMorph.SetKf(1.0);
    Repaint();
    if (FRepeatMode && FPressed) StartRepeat();
  } else {
    ReDrawControl();
  }
}

void TbsSkinSpeedButton::CMMouseLeave(TMessage& Message) {
  auto life = LifeToken();
  TbsGraphicSkinCustomControl::Dispatch(Message);
  if (life.expired()) return;
  FMouseIn = false;
  if (FGroupIndex != 0 && FDown) return;
  ReDrawControl();
  if (FDown && FRepeatMode) StopRepeat();
}

void TbsSkinSpeedButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_MOUSEENTER:
      return CMMouseEnter(Message);
    case CM_MOUSELEAVE:
      return CMMouseLeave(Message);
    case CM_ENABLEDCHANGED:
      TbsGraphicSkinCustomControl::Dispatch(Message);
      if (FMorphing) {
        StopMorph();
        FMorph.SetKf(0.0);
      }
      if (!Enabled()) {
        // A press cut short by disabling neither repeats nor stays down.
        StopRepeat();
        if (std::exchange(FPressed, false) && FGroupIndex == 0) FDown = false;
      }
      FMouseIn = false;
      FacesChanged();
      Repaint();
      return;
    case CM_TEXTCHANGED:
      TbsGraphicSkinCustomControl::Dispatch(Message);
      FacesChanged();
      Repaint();
      return;
    default:
      TbsGraphicSkinCustomControl::Dispatch(Message);
  }
}

// ---- TbsSkinMenuSpeedButton -----------------------------------------------------------------------------

TbsSkinMenuSpeedButton::TbsSkinMenuSpeedButton(TComponent* AOwner) : TbsSkinMenuPushButton(AOwner) {}

void TbsSkinMenuSpeedButton::CreateControlDefaultImage(TBitmap* B) {
  TCanvas* canvas = B->Canvas();
  const bool pressed = Down() && FMouseIn;
  const TRect text = DrawDefaultMenuFace(canvas, pressed, FMouseIn, !Flat());
  DrawContent(canvas, text, 1, pressed, Down() || FMouseIn);
  DrawDefaultMenuArrow(canvas, pressed);
}

void TbsSkinMenuSpeedButton::Paint() {
  GetSkinData();
  if (FMouseIn || Down() || FMenuTracked || !Transparent()) {
    TbsSkinSpeedButton::Paint();
    return;
  }
  const bool skinned = CanPaintSkin();
  TRect r = skinned ? NewClRect : ClientRect();
  if (!skinned) r.Right -= kTrackWidth;
  Canvas()->Font()->Assign(DefaultFont());
  DrawTransparent(r, 1);
  DrawTrackArrowImage(Canvas(), TRect(skinned ? r.Right : Width() - kTrackWidth, r.Top, Width(), r.Bottom), clBtnText);
}

// ---- Published properties -------------------------------------------------------------------------------

XJ_PUBLISHED(TbsSkinSpeedButton,
  XJ_PROP(WidthWithCaption)
  XJ_PROP(WidthWithoutCaption)
  XJ_PROP(ImageIndex)
  XJ_PROP(RepeatMode)
  XJ_PROP(RepeatInterval)
  XJ_PROP(Transparent)
  XJ_PROP(Flat)
  XJ_PROP(AllowAllUp)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(Action)
  XJ_PROP(Caption) XJ_STORED(IsCaptionStored)
  XJ_PROP(Align, alNone)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(Down)
  XJ_PROP(GroupIndex)
  XJ_PROP(ShowCaption)
  XJ_PROP(Glyph)
  XJ_PROP(NumGlyphs)
  XJ_PROP(Margin, -1)
  XJ_PROP(Spacing, 1)
  XJ_PROP(Layout, blGlyphLeft)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnResize));

XJ_PUBLISHED(TbsSkinMenuSpeedButton,
  XJ_PROP(SkinPopupMenu)
  XJ_PROP(TrackButtonMode)
  XJ_EVENT(OnShowTrackMenu)
  XJ_EVENT(OnHideTrackMenu));
