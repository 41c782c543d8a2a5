#include "skin/controls/bsSkinCtrls_speedbutton.h"

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Messages.h"
#include "skin/controls/bsSkinCtrls_toolbar.h"
#include "skin/data/bsUtils.h"

namespace {

// Colour values of the default look (TColor: blue in the high byte).
constexpr TColor kHotFill = 0xD2BDB6;
constexpr TColor kDownFill = 0xB59385;

// A one-pixel frame (none for clNone) and the fill inside it.
void FrameAndFill(TCanvas* Canvas, TRect R, TColor Frame, TColor Fill) {
  if (Frame != clNone) Frame3D(Canvas, R, Frame, Frame, 1);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(Fill);
  Canvas->FillRect(R);
}

}  // namespace

// ---- TbsSkinSpeedButton ---------------------------------------------------------------------------------

TbsSkinSpeedButton::TbsSkinSpeedButton(TComponent* AOwner)
    : TbsGraphicSkinCustomControl(AOwner),
      FGlyph(std::make_unique<TBitmap>()),
      FMorph([this] { return FMouseIn; }, [this] { return FMorphing && FSkinObjectIndex != -1; },
             [this] { Repaint(); }),
      FRepeat([this] { ButtonClick(); }) {
  // Clicks come only through ButtonClick: the stock click of the class library is left out.
  SetControlStyle({ csCaptureMouse, csOpaque, csDoubleClicks });
  SetSkinDataName("toolbutton");
  SetBounds(Left(), Top(), 75, 25);
  FGlyph->OnChange = TNotifyEvent(this, &TbsSkinSpeedButton::GlyphChange);
}

TbsSkinSpeedButton::~TbsSkinSpeedButton() {
  StopRepeat();
  StopMorph();
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

void TbsSkinSpeedButton::SetDown(bool Value) {
  FDown = Value;
  if (FMorphing) {
    FMorph.SetKf(1.0);
    if (Value)
      StopMorph();
    else
      StartMorph();
  }
  Repaint();
  if (FGroupIndex != 0 && Value && !FAllowAllUp) DoAllUp();
}

void TbsSkinSpeedButton::SetGroupIndex(int Value) {
  FGroupIndex = Value;
  // Two buttons of one group must never both stay down.
  if (Value != 0 && FDown && !FAllowAllUp) DoAllUp();
}

void TbsSkinSpeedButton::DoAllUp() {
  TWinControl* parent = Parent();
  if (!parent) return;
  auto life = LifeToken();
  for (int i = 0; i < parent->ControlCount() && !life.expired(); ++i) {
    auto* other = dynamic_cast<TbsSkinSpeedButton*>(parent->Controls(i));
    if (other && other != this && other->FGroupIndex == FGroupIndex && other->FDown) other->SetDown(false);
  }
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

void TbsSkinSpeedButton::SetGlyph(TBitmap* Value) {
  FGlyph->Assign(Value);  // the glyph's change notice forgets the faces
  Repaint();
}

void TbsSkinSpeedButton::SetNumGlyphs(TbsNumGlyphs Value) {
  FNumGlyphs = std::clamp(Value, 1, 4);
  FacesChanged();
  Repaint();
}

void TbsSkinSpeedButton::SetMargin(int Value) {
  if (Value >= -1) ChangeLook(FMargin, Value);
}

void TbsSkinSpeedButton::SetSpacing(int Value) { ChangeLook(FSpacing, Value); }

void TbsSkinSpeedButton::SetLayout(TbsButtonLayout Value) { ChangeLook(FLayout, Value); }

void TbsSkinSpeedButton::GetSkinData() {
  TbsGraphicSkinCustomControl::GetSkinData();
  if (FSkinObjectIndex == -1) return;
  auto* r = SkinRecordAs<TbsDataSkinButtonControl>();
  if (!r) {
    Unskin();
    return;
  }
  FontName = r->FontName;
  FontStyle = r->FontStyle;
  FontHeight = r->FontHeight;
  FontColor = r->FontColor;
  ActiveFontColor = r->ActiveFontColor;
  DownFontColor = r->DownFontColor;
  DisabledFontColor = r->DisabledFontColor;
  ActiveSkinRect = IsNullRect(r->ActiveSkinRect) ? SkinRect : r->ActiveSkinRect;
  DownSkinRect = IsNullRect(r->DownSkinRect) ? ActiveSkinRect : r->DownSkinRect;
  DisabledSkinRect = r->DisabledSkinRect;
  FMorphing = r->Morphing && !Transparent();
  MorphKind = r->MorphKind;
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

int TbsSkinSpeedButton::GetGlyphNum(bool ADown, bool AMouseIn) const {
  if (ADown && AMouseIn && FNumGlyphs > 2) return 3;
  if (AMouseIn && FNumGlyphs > 3) return 4;
  if (Enabled()) return 1;
  return FNumGlyphs > 1 ? 2 : 1;
}

void TbsSkinSpeedButton::CreateButtonImage(TBitmap* B, const TRect& R, bool ADown, bool AMouseIn) {
  CreateSkinControlImage(B, Picture, R);
  TCanvas* canvas = B->Canvas();
  TFont* font = canvas->Font();
  if (UseSkinFont()) {
    font->SetName(FontName);
    font->SetHeight(FontHeight);
    font->SetStyle(FontStyle);
    font->SetCharset(DefaultFont()->Charset());
  } else {
    font->Assign(DefaultFont());
  }
  font->SetColor(!Enabled()          ? DisabledFontColor
                 : ADown && AMouseIn ? DownFontColor
                 : AMouseIn          ? ActiveFontColor
                                     : FontColor);
  DrawContent(canvas, NewClRect, GetGlyphNum(ADown, AMouseIn), ADown && AMouseIn, ADown || AMouseIn);
}

void TbsSkinSpeedButton::CreateControlDefaultImage(TBitmap* B) {
  TCanvas* canvas = B->Canvas();
  const TRect r = ClientRect();
  const bool pressed = FDown && (FMouseIn || FGroupIndex != 0);
  if (pressed)
    FrameAndFill(canvas, r, clNavy, kDownFill);
  else if (FMouseIn)
    FrameAndFill(canvas, r, clNavy, kHotFill);
  else if (ComponentState().Contains(csDesigning) || !FFlat)
    FrameAndFill(canvas, r, clBtnShadow, clBtnFace);
  else if (!Transparent())
    FrameAndFill(canvas, r, clNone, clBtnFace);
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

void TbsSkinSpeedButton::ReDrawControl() {
  if (FMorphing && FSkinObjectIndex != -1 && !Transparent())
    StartMorph();
  else
    Repaint();
}

void TbsSkinSpeedButton::ButtonClick() {
  if (OnClick) OnClick(this);
}

void TbsSkinSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TbsGraphicSkinCustomControl::MouseDown(Button, Shift, X, Y);
  if (life.expired() || Button != mbLeft) return;
  FPressed = true;
  if (FDown) {
    if (FGroupIndex != 0) FWasDown = true;
    return;
  }
  FMouseIn = true;
  FWasDown = false;
  SetDown(true);
  if (FRepeatMode && FGroupIndex == 0)
    StartRepeat();
  else if (FGroupIndex != 0)
    ButtonClick();  // a group button acts as it goes down
}

void TbsSkinSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  // OnMouseUp hears of the release before the click it may cause.
  TbsGraphicSkinCustomControl::MouseUp(Button, Shift, X, Y);
  if (life.expired()) return;
  // A release acts only on a press of its own.
  if (Button == mbLeft && std::exchange(FPressed, false)) {
    if (FGroupIndex != 0) {
      if (FDown && FAllowAllUp && FWasDown && FMouseIn) {
        SetDown(false);
        ButtonClick();
      }
    } else {
      StopRepeat();
      if (FMouseIn) {
        SetDown(false);
        if (!life.expired()) ButtonClick();
      } else {
        FDown = false;  // released outside: the face already shows up, and there is no click
      }
    }
  }
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

void TbsSkinSpeedButton::ActionChange(TObject* Sender, bool CheckDefaults) {
  TbsGraphicSkinCustomControl::ActionChange(Sender, CheckDefaults);
  bsGlyphFromAction(FGlyph.get(), Sender);
  FacesChanged();
  Repaint();
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
  struct TLook {
    TColor Frame, Fill;
  };
  const TLook normal { Flat() ? clNone : clBtnShadow, clBtnFace }, hot { clNavy, kHotFill }, down { clNavy, kDownFill };
  const TLook whole = pressed ? down : FMouseIn ? hot : normal;
  if (FTrackButtonMode) {
    const TLook button = FMenuTracked ? hot : whole, track = FMenuTracked ? down : whole;
    FrameAndFill(canvas, TRect(0, 0, w - kTrackWidth, h), button.Frame, button.Fill);
    FrameAndFill(canvas, TRect(w - kTrackWidth, 0, w, h), track.Frame, track.Fill);
  } else {
    FrameAndFill(canvas, ClientRect(), whole.Frame, whole.Fill);
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
