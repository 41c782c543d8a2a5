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

TbsSkinMenuSpeedButton::TbsSkinMenuSpeedButton(TComponent* AOwner) : TbsSkinSpeedButton(AOwner) {
  SetSkinDataName("toolmenubutton");
}

void TbsSkinMenuSpeedButton::SetSkinPopupMenu(TPopupMenu* Value) {
  if (FSkinPopupMenu == Value) return;
  if (FSkinPopupMenu) FSkinPopupMenu->RemoveFreeNotification(this);
  FSkinPopupMenu = Value;
  if (Value) Value->FreeNotification(this);
}

void TbsSkinMenuSpeedButton::SetTrackButtonMode(bool Value) {
  FTrackButtonMode = Value;
  FacesChanged();
  if (FSkinObjectIndex == -1) Repaint();
}

void TbsSkinMenuSpeedButton::Notification(TComponent* AComponent, TOperation Operation) {
  TbsSkinSpeedButton::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FSkinPopupMenu) FSkinPopupMenu = nullptr;
}

void TbsSkinMenuSpeedButton::GetSkinData() {
  TbsSkinSpeedButton::GetSkinData();
  auto* r = FSkinObjectIndex != -1 ? SkinRecordAs<TbsDataSkinMenuButtonControl>() : nullptr;
  TrackButtonRect = r ? r->TrackButtonRect : TRect();
}

TRect TbsSkinMenuSpeedButton::GetNewTrackButtonRect() {
  switch (FResizeMode) {
    case 1:
      return GetNewRect(TrackButtonRect);  // the right part of a face stretched both ways stays at the right
    case 2:
      return bsShifted(TrackButtonRect, Width() - RectWidth(SkinRect), 0);
    case 3:
      return bsShifted(TrackButtonRect, 0, Height() - RectHeight(SkinRect));
    default:
      return TrackButtonRect;
  }
}

bool TbsSkinMenuSpeedButton::CanMenuTrack(int X, int Y) {
  if (!FSkinPopupMenu) return false;
  if (!FTrackButtonMode) return true;
  GetSkinData();
  const TRect area =
      FSkinObjectIndex == -1 ? TRect(Width() - kTrackWidth, 0, Width(), Height()) : GetNewTrackButtonRect();
  return PointInRect(area, TPoint(X, Y));
}

bool TbsSkinMenuSpeedButton::TrackMenu() {
  const TbsPopupFromRect& opener = SkinPopupFromRect();
  if (!FSkinPopupMenu || !opener) return false;
  const TPoint p = ClientToScreen(TPoint(0, 0));
  auto life = LifeToken();
  const bool opened = opener(FSkinPopupMenu, this, TRect(p.X, p.Y, p.X + Width(), p.Y + Height()), false);
  if (life.expired()) return true;
  if (opened && OnShowTrackMenu) OnShowTrackMenu(this);
  return opened;
}

void TbsSkinMenuSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button != mbLeft || !CanMenuTrack(X, Y)) {
    TbsSkinSpeedButton::MouseDown(Button, Shift, X, Y);
    return;
  }
  auto life = LifeToken();
  FMouseIn = true;
  FMenuPress = true;
  FMenuTracked = true;
  if (!Down()) SetDown(true);
  if (life.expired() || TrackMenu() || life.expired()) return;
  // No menu opened, so no close message will come: up at once rather than stuck down.
  FMenuTracked = false;
  SetDown(false);
}

void TbsSkinMenuSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  // The release of the press that opened the menu does nothing, whether the menu is still open or not.
  if (Button == mbLeft && std::exchange(FMenuPress, false)) return;
  if (FMenuTracked) return;
  TbsSkinSpeedButton::MouseUp(Button, Shift, X, Y);
}

void TbsSkinMenuSpeedButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CLOSESKINMENU: {
      FMenuTracked = false;
      auto life = LifeToken();
      SetDown(false);
      if (!life.expired() && OnHideTrackMenu) OnHideTrackMenu(this);
      return;
    }
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      if (FMenuTracked) {
        FMouseIn = Message.Msg == CM_MOUSEENTER;
        return;
      }
      break;
  }
  TbsSkinSpeedButton::Dispatch(Message);
}

void TbsSkinMenuSpeedButton::CreateButtonImage(TBitmap* B, const TRect& R, bool ADown, bool AMouseIn) {
  if (!(FMenuTracked && FTrackButtonMode && !IsNullRect(TrackButtonRect) && !IsNullRect(DownSkinRect))) {
    TbsSkinSpeedButton::CreateButtonImage(B, R, ADown, AMouseIn);
    return;
  }
  // The button part hot, the arrow part pressed.
  TbsSkinSpeedButton::CreateButtonImage(B, ActiveSkinRect, false, true);
  B->Canvas()->CopyRect(GetNewTrackButtonRect(), Picture->Canvas(),
                        bsShifted(TrackButtonRect, DownSkinRect.Left, DownSkinRect.Top));
}

void TbsSkinMenuSpeedButton::CreateControlDefaultImage(TBitmap* B) {
  TCanvas* canvas = B->Canvas();
  const int w = Width(), h = Height();
  const bool pressed = Down() && FMouseIn;
  const TbsLookState whole = bsLookState(pressed, FMouseIn);
  if (FTrackButtonMode) {
    DrawDefaultFrame(canvas, TRect(0, 0, w - kTrackWidth, h), FMenuTracked ? TbsLookState::Hot : whole, !Flat());
    DrawDefaultFrame(canvas, TRect(w - kTrackWidth, 0, w, h), FMenuTracked ? TbsLookState::Down : whole, !Flat());
  } else {
    DrawDefaultFrame(canvas, ClientRect(), whole, !Flat());
  }
  canvas->Font()->Assign(DefaultFont());
  TRect text = ClientRect();
  text.Right -= kTrackWidth;
  DrawContent(canvas, text, 1, pressed, Down() || FMouseIn);
  TRect arrow = ClientRect();
  arrow.Left = arrow.Right - kTrackWidth;
  if (pressed || FMenuTracked) {
    arrow.Left += 2;
    arrow.Top += 2;
  }
  DrawTrackArrowImage(canvas, arrow, clBtnText);
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
