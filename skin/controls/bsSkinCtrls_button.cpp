#include "skin/controls/bsSkinCtrls_button.h"

#include "platform/vcl/ActnList.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Messages.h"
#include "skin/controls/bsSkinCtrls_speedbutton.h"
#include "skin/data/bsEffects.h"
#include "skin/data/bsUtils.h"

void bsDrawMorph(TBitmap& Normal, TBitmap& Hot, TbsMorphKind Kind, double Kf, HDC DC) {
  TbsEffectBmp from(Normal.Handle()), to(Hot.Handle());
  from.MorphBy(to, Kind, Kf);
  from.Draw(DC, 0, 0);
}

void bsGlyphFromAction(TBitmap* Glyph, TObject* Sender) {
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!action || !Glyph->Empty() || !action->ActionList()) return;
  TCustomImageList* images = action->ActionList()->Images();
  const int index = action->ImageIndex();
  if (!images || index < 0 || index >= images->Count()) return;
  Glyph->SetSize(images->Width(), images->Height());
  Glyph->Canvas()->Brush()->SetColor(clFuchsia);
  Glyph->Canvas()->FillRect(TRect(0, 0, images->Width(), images->Height()));
  images->Draw(Glyph->Canvas(), 0, 0, index, true);
}

// ---- TbsSkinButton --------------------------------------------------------------------------------------

TbsSkinButton::TbsSkinButton(TComponent* AOwner) : TbsSkinPushButton(AOwner, TbsReleaseOrder::RuleFirst) {
  SetTabStop(true);
  SetSkinDataName("button");
  SetBounds(Left(), Top(), 75, 25);
}

bool TbsSkinButton::IsFocused() { return FCanFocused && Focused(); }

void TbsSkinButton::SetDefault(bool Value) {
  FDefault = Value;
  if (!HandleAllocated() || !FCanFocused) return;
  if (TCustomForm* form = GetParentForm(this))
    form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->ActiveControl()));
}

void TbsSkinButton::SetCanFocused(bool Value) {
  FCanFocused = Value;
  if (ComponentState().Contains(csDesigning) && !ComponentState().Contains(csLoading)) SetTabStop(Value);
}

void TbsSkinButton::SetGroupIndex(int Value) {
  FGroupIndex = Value;
  if (Value != 0) SetCanFocused(false);
}

void TbsSkinButton::GetSkinData() {
  TbsSkinCustomControl::GetSkinData();
  if (FSkinObjectIndex != -1) ReadButtonRecord();
}

void TbsSkinButton::ChangeSkinData() {
  StopMorph();
  FMorph.SetKf(0.0);
  TbsSkinCustomControl::ChangeSkinData();
  if (FMorphing && FSkinObjectIndex != -1 && (IsFocused() || FMouseIn)) FMorph.SetKf(1.0);
}

void TbsSkinButton::CreateWnd() {
  TbsSkinCustomControl::CreateWnd();
  FDefaultActive = FDefault;
}

bool TbsSkinButton::ShowsDown() { return FDown && (FGroupIndex != 0 || FMouseIn || (IsFocused() && !FPressed)); }

void TbsSkinButton::CreateButtonImage(TBitmap* B, const TRect& R, bool ADown, bool AMouseIn) {
  TCanvas* canvas = BeginFace(B, R, ADown, AMouseIn);
  DrawGlyphAndCaption(canvas, NewClRect, FMargin, FSpacing, FLayout, Caption(), FGlyph.get(), FNumGlyphs,
                      GetGlyphNum(ADown, AMouseIn), ADown && AMouseIn);
}

void TbsSkinButton::CreateControlDefaultImage(TBitmap* B) {
  TCanvas* canvas = B->Canvas();
  const bool down = ShowsDown();
  DrawDefaultFrame(canvas, ClientRect(), bsLookState(down, FMouseIn || IsFocused()));
  canvas->Font()->Assign(DefaultFont());
  if (!Enabled()) canvas->Font()->SetColor(clBtnShadow);
  DrawGlyphAndCaption(canvas, ClientRect(), FMargin, FSpacing, FLayout, Caption(), FGlyph.get(), FNumGlyphs,
                      GetGlyphNum(FDown, FMouseIn), down);
}

void TbsSkinButton::Paint() {
  if (Width() < 1 || Height() < 1) return;
  GetSkinData();
  if (!CanPaintSkin()) {
    TbsSkinCustomControl::Paint();
    return;
  }
  const double kf = FMorph.Kf();
  if (FMorphing && kf > 0.0 && kf < 1.0 && Enabled()) {
    TBitmap normal, hot;
    CreateButtonImage(&normal, SkinRect, false, false);
    CreateButtonImage(&hot, ActiveSkinRect, false, true);
    bsDrawMorph(normal, hot, MorphKind, kf, Canvas()->Handle());
    return;
  }
  TBitmap B;
  B.SetSize(Width(), Height());
  if (!Enabled() && !IsNullRect(DisabledSkinRect))
    CreateButtonImage(&B, DisabledSkinRect, false, false);
  else if (ShowsDown())
    CreateButtonImage(&B, DownSkinRect, true, true);
  else if (IsFocused() || FMouseIn || (FMorphing && kf == 1.0))
    CreateButtonImage(&B, ActiveSkinRect, false, true);
  else
    CreateButtonImage(&B, SkinRect, false, false);
  Canvas()->Draw(0, 0, &B);
}

void TbsSkinButton::ButtonClick() {
  if (FCanFocused)
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  if (OnClick) OnClick(this);
}

void TbsSkinButton::CancelPress() {
  StopRepeat();
  if (!FPressed) return;
  FPressed = false;
  if (FGroupIndex == 0 && FDown) SetDown(false);
}

// ---- Mouse ------------------------------------------------------------------------------------------------

void TbsSkinButton::CMMouseEnter(TMessage& Message) {
  auto life = LifeToken();
  TbsSkinCustomControl::Dispatch(Message);
  if (life.expired()) return;
  FMouseIn = true;
  const bool redraw = FGroupIndex != 0 ? !FDown : !(IsFocused() && !FDown);
  if (redraw) {
    if (FDown) {
      if (FMorphing) FMorph.SetKf(1.0);
      Repaint();
    } else {
      ReDrawControl();
    }
  }
  // A held button repeats again once the mouse is back.
  if (FDown && FRepeatMode && FGroupIndex == 0 && FPressed) StartRepeat();
}

void TbsSkinButton::CMMouseLeave(TMessage& Message) {
  auto life = LifeToken();
  TbsSkinCustomControl::Dispatch(Message);
  if (life.expired()) return;
  // A default button keeps its hot look while the focus is on a control that is not a button.
  if (!(FCanFocused && FDefault && FDefaultActive && !Focused())) FMouseIn = false;
  const bool redraw = FGroupIndex != 0 ? !FDown : !(IsFocused() && !FDown);
  if (redraw) ReDrawControl();
  if (FDown && FRepeatMode && FGroupIndex == 0) StopRepeat();
}

void TbsSkinButton::CMEnabledChanged(TMessage& Message) {
  TbsSkinCustomControl::Dispatch(Message);
  if (FMorphing) {
    StopMorph();
    FMorph.SetKf(0.0);
  }
  if (!Enabled()) CancelPress();
  FMouseIn = false;
  Repaint();
}

// ---- Keyboard and focus ---------------------------------------------------------------------------------

void TbsSkinButton::CMDialogKey(TMessage& Message) {
  auto& key = reinterpret_cast<TWMKey&>(Message);
  if (key.CharCode == VK_RETURN && FDefaultActive && Enabled()) {
    ButtonClick();
    Message.Result = 1;
    return;
  }
  if (key.CharCode == VK_ESCAPE && FCancel && FCanFocused && KeyDataToShiftState(key.KeyData).Empty() && CanFocus()) {
    ButtonClick();
    Message.Result = 1;
    return;
  }
  TbsSkinCustomControl::Dispatch(Message);
}

void TbsSkinButton::CMDialogChar(TMessage& Message) {
  auto& key = reinterpret_cast<TWMKey&>(Message);
  if (IsAccel(key.CharCode, Caption()) && CanFocus() && FCanFocused) {
    auto life = LifeToken();
    SetFocus();
    if (life.expired()) return;
    Message.Result = 1;
    ButtonClick();
    return;
  }
  TbsSkinCustomControl::Dispatch(Message);
}

void TbsSkinButton::CMFocusChanged(TMessage& Message) {
  TWinControl* sender = reinterpret_cast<TCMFocusChanged&>(Message).Sender;
  auto* button = dynamic_cast<TbsSkinButton*>(sender);
  FDefaultActive = button ? button == this : FDefault;
  if (FCanFocused && FDefault) {
    if (button && button != this && FMouseIn) {
      FMouseIn = false;
      ReDrawControl();
    } else if (!button && !FMouseIn) {
      if (FMorphing) FMorph.SetKf(1.0);
      FMouseIn = true;
      ReDrawControl();
    }
  }
  TbsSkinCustomControl::Dispatch(Message);
}

void TbsSkinButton::WndProc(TMessage& Message) {
  if (Message.Msg == WM_LBUTTONUP) {
    TControlChange releasing(this, FReleasing, true);
    TbsSkinCustomControl::WndProc(Message);
    return;
  }
  auto life = LifeToken();
  if (FCanFocused) {
    switch (Message.Msg) {
      case WM_KEYDOWN:
        if (Message.WParam == VK_SPACE) {
          SetDown(true);
          if (FRepeatMode) ButtonClick();  // every auto-repeated key-down clicks again
        } else if (Message.WParam == VK_RETURN) {
          ButtonClick();
        }
        break;
      case WM_KEYUP:
        if (Message.WParam == VK_SPACE) {
          SetDown(false);
          ButtonClick();
        }
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        // A press focuses the button first; a press that could not focus it goes no further.
        if (!ComponentState().Contains(csDesigning) && !Focused()) {
          {
            TControlChange focusing(this, FInSetFocus, true);
            ::SetFocus(Handle());
          }
          if (life.expired() || !Focused()) return;
        }
        break;
      case CN_COMMAND:
        if (FInSetFocus) return;
        break;
    }
  }
  if (!life.expired()) TbsSkinCustomControl::WndProc(Message);
}

void TbsSkinButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_MOUSEENTER:
      return CMMouseEnter(Message);
    case CM_MOUSELEAVE:
      return CMMouseLeave(Message);
    case CM_ENABLEDCHANGED:
      return CMEnabledChanged(Message);
    case CM_DIALOGKEY:
      return CMDialogKey(Message);
    case CM_DIALOGCHAR:
      return CMDialogChar(Message);
    case CM_FOCUSCHANGED:
      return CMFocusChanged(Message);
    case CM_TEXTCHANGED:
      TbsSkinCustomControl::Dispatch(Message);
      Repaint();
      return;
    case CM_VISIBLECHANGED:
      TbsSkinCustomControl::Dispatch(Message);
      if (!Visible()) CancelPress();
      return;
    case WM_CAPTURECHANGED:
      // Another window took the mouse while the button was held.
      if (!FReleasing) CancelPress();
      TbsSkinCustomControl::Dispatch(Message);
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      auto life = LifeToken();
      TbsSkinCustomControl::Dispatch(Message);
      if (!life.expired() && FCanFocused) ReDrawControl();
      return;
    }
    default:
      TbsSkinCustomControl::Dispatch(Message);
  }
}

// ---- TbsSkinMenuButton ----------------------------------------------------------------------------------

namespace {

TbsPopupFromRect& PopupFromRect() {
  static TbsPopupFromRect opener;
  return opener;
}

}  // namespace

void SetSkinPopupFromRect(TbsPopupFromRect Opener) { PopupFromRect() = std::move(Opener); }

const TbsPopupFromRect& SkinPopupFromRect() { return PopupFromRect(); }

// ---- TbsSkinMenuPushButton ------------------------------------------------------------------------------

template <class TButton>
TbsSkinMenuPushButton<TButton>::TbsSkinMenuPushButton(TComponent* AOwner) : TButton(AOwner) {
  this->SetSkinDataName("toolmenubutton");
}

template <class TButton>
void TbsSkinMenuPushButton<TButton>::SetSkinPopupMenu(TPopupMenu* Value) {
  if (FSkinPopupMenu == Value) return;
  if (FSkinPopupMenu) FSkinPopupMenu->RemoveFreeNotification(this);
  FSkinPopupMenu = Value;
  if (Value) Value->FreeNotification(this);
}

template <class TButton>
void TbsSkinMenuPushButton<TButton>::SetTrackButtonMode(bool Value) {
  FTrackButtonMode = Value;
  this->FacesChanged();
  if (this->FSkinObjectIndex == -1) this->Repaint();
}

template <class TButton>
void TbsSkinMenuPushButton<TButton>::Notification(TComponent* AComponent, TOperation Operation) {
  TButton::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FSkinPopupMenu) FSkinPopupMenu = nullptr;
}

template <class TButton>
void TbsSkinMenuPushButton<TButton>::GetSkinData() {
  TButton::GetSkinData();
  auto* r = this->FSkinObjectIndex != -1 ? this->template SkinRecordAs<TbsDataSkinMenuButtonControl>() : nullptr;
  TrackButtonRect = r ? r->TrackButtonRect : TRect();
}

template <class TButton>
TRect TbsSkinMenuPushButton<TButton>::GetNewTrackButtonRect() {
  switch (this->FResizeMode) {
    case 1:
      // A face stretched both ways keeps its right part at the right edge: the track area drawn there
      // goes with it, like every other rectangle of the face.
      return this->GetNewRect(TrackButtonRect);
    case 2:
      return bsShifted(TrackButtonRect, this->Width() - RectWidth(this->SkinRect), 0);
    case 3:
      return bsShifted(TrackButtonRect, 0, this->Height() - RectHeight(this->SkinRect));
    default:
      return TrackButtonRect;
  }
}

template <class TButton>
bool TbsSkinMenuPushButton<TButton>::CanMenuTrack(int X, int Y) {
  if (!FSkinPopupMenu) return false;
  if (!FTrackButtonMode) return true;
  this->GetSkinData();
  const int w = this->Width(), h = this->Height();
  const TRect area = this->FSkinObjectIndex == -1 ? TRect(w - kTrackWidth, 0, w, h) : GetNewTrackButtonRect();
  return PointInRect(area, TPoint(X, Y));
}

template <class TButton>
bool TbsSkinMenuPushButton<TButton>::TrackMenu() {
  const TbsPopupFromRect& opener = SkinPopupFromRect();
  if (!FSkinPopupMenu || !opener) return false;
  const TPoint p = this->ClientToScreen(TPoint(0, 0));
  auto life = this->LifeToken();
  const bool opened = opener(FSkinPopupMenu, this, TRect(p.X, p.Y, p.X + this->Width(), p.Y + this->Height()), false);
  if (life.expired()) return true;
  if (opened && OnShowTrackMenu) OnShowTrackMenu(this);
  return opened;
}

template <class TButton>
void TbsSkinMenuPushButton<TButton>::OpenMenu() {
  auto life = this->LifeToken();
  FMenuTracked = true;
  if (!this->Down()) this->SetDown(true);
  if (life.expired() || TrackMenu() || life.expired()) return;
  // No menu opened, so no close message will come: up at once rather than stuck down.
  FMenuTracked = false;
  this->SetDown(false);
}

template <class TButton>
void TbsSkinMenuPushButton<TButton>::CloseMenu() {
  FMenuTracked = false;
  auto life = this->LifeToken();
  this->SetDown(false);
  if (!life.expired() && OnHideTrackMenu) OnHideTrackMenu(this);
}

template <class TButton>
void TbsSkinMenuPushButton<TButton>::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button != mbLeft || !CanMenuTrack(X, Y)) {
    TButton::MouseDown(Button, Shift, X, Y);
    return;
  }
  this->FMouseIn = true;
  FMenuPress = true;
  OpenMenu();
}

template <class TButton>
void TbsSkinMenuPushButton<TButton>::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  // The release of the press that opened the menu does nothing, whether the menu is still open or not.
  if (Button == mbLeft && std::exchange(FMenuPress, false)) return;
  if (FMenuTracked) return;
  TButton::MouseUp(Button, Shift, X, Y);
}

template <class TButton>
void TbsSkinMenuPushButton<TButton>::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CLOSESKINMENU:
      CloseMenu();
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      if (FMenuTracked) {
        this->FMouseIn = Message.Msg == CM_MOUSEENTER;
        return;
      }
      break;
  }
  TButton::Dispatch(Message);
}

template <class TButton>
void TbsSkinMenuPushButton<TButton>::CreateButtonImage(TBitmap* B, const TRect& R, bool ADown, bool AMouseIn) {
  if (!(FMenuTracked && FTrackButtonMode && !IsNullRect(TrackButtonRect) && !IsNullRect(this->DownSkinRect))) {
    TButton::CreateButtonImage(B, R, ADown, AMouseIn);
    return;
  }
  // The button part hot, the track part pressed.
  TButton::CreateButtonImage(B, this->ActiveSkinRect, false, true);
  B->Canvas()->CopyRect(GetNewTrackButtonRect(), this->Picture->Canvas(),
                        bsShifted(TrackButtonRect, this->DownSkinRect.Left, this->DownSkinRect.Top));
}

template <class TButton>
TRect TbsSkinMenuPushButton<TButton>::DrawDefaultMenuFace(TCanvas* Canvas, bool Pressed, bool Hot, bool NormalFrame) {
  const int w = this->Width(), h = this->Height();
  const TbsLookState whole = bsLookState(Pressed, Hot);
  if (FTrackButtonMode) {
    this->DrawDefaultFrame(Canvas, TRect(0, 0, w - kTrackWidth, h), FMenuTracked ? TbsLookState::Hot : whole,
                           NormalFrame);
    this->DrawDefaultFrame(Canvas, TRect(w - kTrackWidth, 0, w, h), FMenuTracked ? TbsLookState::Down : whole,
                           NormalFrame);
  } else {
    this->DrawDefaultFrame(Canvas, this->ClientRect(), whole, NormalFrame);
  }
  Canvas->Font()->Assign(this->DefaultFont());
  TRect text = this->ClientRect();
  text.Right -= kTrackWidth;
  return text;
}

template <class TButton>
void TbsSkinMenuPushButton<TButton>::DrawDefaultMenuArrow(TCanvas* Canvas, bool Pressed) {
  TRect arrow = this->ClientRect();
  arrow.Left = arrow.Right - kTrackWidth;
  if (Pressed || FMenuTracked) {
    arrow.Left += 2;
    arrow.Top += 2;
  }
  DrawTrackArrowImage(Canvas, arrow, clBtnText);
}

template class TbsSkinMenuPushButton<TbsSkinButton>;
template class TbsSkinMenuPushButton<TbsSkinSpeedButton>;

// ---- TbsSkinMenuButton ----------------------------------------------------------------------------------

TbsSkinMenuButton::TbsSkinMenuButton(TComponent* AOwner) : TbsSkinMenuPushButton(AOwner) {}

void TbsSkinMenuButton::WndProc(TMessage& Message) {
  if (CanFocused()) {
    if (Message.Msg == WM_KEYDOWN && Message.WParam == VK_SPACE && !FTrackButtonMode && CanMenuTrack(0, 0)) {
      if (!FMenuTracked && !FMenuSpace) {
        FMenuSpace = true;
        OpenMenu();
      }
      return;
    }
    // The key-up of the Space that opened the menu is no click.
    if (Message.Msg == WM_KEYUP && Message.WParam == VK_SPACE && std::exchange(FMenuSpace, false)) return;
    if (Message.Msg == WM_KEYUP && Message.WParam == VK_SPACE && !FMenuTracked) {
      auto life = LifeToken();
      SetDown(false);
      if (!life.expired() && OnClick) OnClick(this);
      return;
    }
  }
  TbsSkinButton::WndProc(Message);
}

void TbsSkinMenuButton::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR) {
    auto& key = reinterpret_cast<TWMKey&>(Message);
    if (!FTrackButtonMode && CanMenuTrack(0, 0) && IsAccel(key.CharCode, Caption()) && CanFocus() && CanFocused()) {
      auto life = LifeToken();
      SetFocus();
      if (life.expired()) return;
      Message.Result = 1;
      OpenMenu();
      return;
    }
  }
  TbsSkinMenuPushButton::Dispatch(Message);
}

void TbsSkinMenuButton::CreateControlDefaultImage(TBitmap* B) {
  TCanvas* canvas = B->Canvas();
  const bool pressed = Down() && FMouseIn;
  const TRect text = DrawDefaultMenuFace(canvas, pressed, FMouseIn || IsFocused(), true);
  DrawGlyphAndCaption(canvas, text, Margin(), Spacing(), Layout(), Caption(), Glyph(), NumGlyphs(), 1,
                      pressed && !FMenuTracked);
  DrawDefaultMenuArrow(canvas, pressed);
}

// ---- Published properties -------------------------------------------------------------------------------

XJ_PUBLISHED(TbsSkinButton,
  XJ_PROP(RepeatMode)
  XJ_PROP(RepeatInterval)
  XJ_PROP(AllowAllUp)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(TabStop, true)
  XJ_PROP(TabOrder)
  XJ_PROP(CanFocused)
  XJ_PROP(Action)
  XJ_PROP(Down)
  XJ_PROP(GroupIndex)
  XJ_PROP(Caption) XJ_STORED(IsCaptionStored)
  XJ_PROP(Glyph)
  XJ_PROP(NumGlyphs)
  XJ_PROP(Margin, -1)
  XJ_PROP(Spacing, 1)
  XJ_PROP(Layout, blGlyphLeft)
  XJ_PROP(Align, alNone)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(Cancel, false)
  XJ_PROP(Default, false)
  XJ_PROP(ModalResult, 0)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnResize)
  XJ_EVENT(OnKeyDown)
  XJ_EVENT(OnKeyPress)
  XJ_EVENT(OnKeyUp));

XJ_PUBLISHED(TbsSkinMenuButton,
  XJ_PROP(SkinPopupMenu)
  XJ_PROP(TrackButtonMode)
  XJ_EVENT(OnShowTrackMenu)
  XJ_EVENT(OnHideTrackMenu));
