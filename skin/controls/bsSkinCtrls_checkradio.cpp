#include "skin/controls/bsSkinCtrls_checkradio.h"

#include <algorithm>

#include "platform/vcl/ActnList.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Messages.h"
#include "platform/win32/WinGdi_user.h"
#include "skin/data/bsEffects.h"
#include "skin/data/bsUtils.h"

// ---- TbsSkinCheckRadioBox -------------------------------------------------------------------------------

namespace {

void Frame(TCanvas* C, TRect R, TColor Color) { Frame3D(C, R, Color, Color, 1); }

// The caption's extent measured from an empty rectangle, as one line would take it.
TRect CaptionExtent(TCanvas* C, const AnsiString& S) {
  RECT r {};
  DrawTextA(C->Handle(), S.c_str(), static_cast<int>(S.size()), &r, DT_CALCRECT);
  return TRect(r.left, r.top, r.right, r.bottom);
}

}  // namespace

TbsSkinCheckRadioBox::TbsSkinCheckRadioBox(TComponent* AOwner) : TbsSkinCustomControl(AOwner) {
  // Clicks reach OnClick only through SetChecked, never through the stock click as well.
  SetControlStyle(ControlStyle() - TControlStyle { csClickEvents });
  SetBounds(Left(), Top(), 150, 25);
  FSkinDataName = "checkbox";
}

TbsSkinCheckRadioBox::~TbsSkinCheckRadioBox() {
  FFade.Stop();
  TearDownWindow();
}

void TbsSkinCheckRadioBox::SetFlat(bool Value) {
  FFlat = Value;
  Repaint();
}

void TbsSkinCheckRadioBox::SetCanFocused(bool Value) {
  FCanFocused = Value;
  SetTabStop(Value);
}

void TbsSkinCheckRadioBox::SetRadio(bool Value) {
  FRadio = Value;
  if (ComponentState().Contains(csDesigning) && !ComponentState().Contains(csLoading)) {
    FSkinDataName = Value ? "radiobox" : "checkbox";
    FGroupIndex = Value ? 1 : 0;
  }
  Repaint();
}

void TbsSkinCheckRadioBox::SetImages(TCustomImageList* Value) {
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (FImages) FImages->FreeNotification(this);
  Repaint();
}

void TbsSkinCheckRadioBox::SetImageIndex(int Value) {
  FImageIndex = Value;
  Repaint();
}

void TbsSkinCheckRadioBox::Notification(TComponent* AComponent, TOperation Operation) {
  TbsSkinCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) SetImages(nullptr);
}

void TbsSkinCheckRadioBox::SetChecked(bool Value) {
  FChecked = Value;
  Repaint();
  if (FChecked && FGroupIndex != 0) {
    const auto life = LifeToken();
    UnCheckAll();
    if (life.expired()) return;
  }
  if (OnClick && (!FRadio || FChecked)) OnClick(this);
}

void TbsSkinCheckRadioBox::UnCheckAll() {
  TWinControl* parent = Parent();
  if (!parent) return;
  // A sibling's OnClick may rebuild the parent's children: work on a snapshot, skipping the gone.
  std::vector<std::pair<TbsSkinCheckRadioBox*, std::weak_ptr<const void>>> boxes;
  for (int i = 0; i < parent->ControlCount(); ++i)
    if (auto* box = dynamic_cast<TbsSkinCheckRadioBox*>(parent->Controls(i)); box && box != this)
      boxes.emplace_back(box, box->LifeToken());
  for (auto& [box, life] : boxes)
    if (!life.expired() && box->FGroupIndex == FGroupIndex && box->FChecked) box->SetChecked(false);
}

void TbsSkinCheckRadioBox::SetCheckState() {
  if (!FRadio)
    SetChecked(!FChecked);
  else if (!FChecked)
    SetChecked(true);
}

bool TbsSkinCheckRadioBox::IsFocused() { return FCanFocused && HandleAllocated() && Focused(); }

void TbsSkinCheckRadioBox::ReDrawControl() {
  if (FMorphing && CanPaintSkin())
    FFade.Start();
  else
    Repaint();
}

void TbsSkinCheckRadioBox::SetMouseIn(bool Value) {
  FMouseIn = Value;
  ReDrawControl();
}

void TbsSkinCheckRadioBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FPress.Down(Button);
  if (!FMouseIn) SetMouseIn(true);
  TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
}

void TbsSkinCheckRadioBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const auto life = LifeToken();
  TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
  if (life.expired()) return;
  // Released outside, the box has heard CM_MOUSELEAVE and the press comes to nothing.
  if (FPress.Up(Button, this, X, Y) && FMouseIn) SetCheckState();
}

void TbsSkinCheckRadioBox::ActionChange(TObject* Sender, bool CheckDefaults) {
  TbsSkinCustomControl::ActionChange(Sender, CheckDefaults);
  if (auto* action = dynamic_cast<TCustomAction*>(Sender); action && !(CheckDefaults && FChecked))
    SetChecked(action->Checked());
}

void TbsSkinCheckRadioBox::WndProc(TMessage& Message) {
  if (FCanFocused) {
    switch (Message.Msg) {
      case WM_KEYUP:
        if (Message.WParam == VK_SPACE && IsFocused()) {
          const auto life = LifeToken();
          SetCheckState();
          if (life.expired()) return;
        }
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        if (!ComponentState().Contains(csDesigning) && !Focused()) {
          const auto life = LifeToken();  // OnEnter may free the box
          {
            TControlChange focusing(this, FFocusingByClick, true);
            ::SetFocus(Handle());
          }
          // A focus change that was refused (or that hid or freed the box) swallows the press.
          if (life.expired() || !Focused()) return;
        }
        break;
      case CN_COMMAND:
        if (FFocusingByClick) return;
        break;
      default:
        break;
    }
  }
  TbsSkinCustomControl::WndProc(Message);
}

void TbsSkinCheckRadioBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOVE:
      TbsSkinCustomControl::Dispatch(Message);
      if (FFlat) Invalidate();  // the parent's background under the box has changed
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TbsSkinCustomControl::Dispatch(Message);
      if (FCanFocused) {
        if (FFlat)
          Invalidate();
        else
          ReDrawControl();
      }
      return;
    case CM_DIALOGCHAR: {
      auto& key = reinterpret_cast<TWMKey&>(Message);
      if (IsAccel(key.CharCode, Caption()) && CanFocus() && FCanFocused) {
        const auto life = LifeToken();  // OnEnter may free the box
        SetFocus();
        if (!life.expired()) SetCheckState();
        Message.Result = 1;
        return;
      }
      TbsSkinCustomControl::Dispatch(Message);
      return;
    }
    case CM_ENABLEDCHANGED:
      TbsSkinCustomControl::Dispatch(Message);
      FFade.Stop();
      FFade.SetKf(0.0);
      FMouseIn = false;
      Repaint();
      return;
    case CM_TEXTCHANGED:
      TbsSkinCustomControl::Dispatch(Message);
      Repaint();
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE: {
      const auto life = LifeToken();
      TbsSkinCustomControl::Dispatch(Message);  // OnMouseEnter / OnMouseLeave
      if (!life.expired()) SetMouseIn(Message.Msg == CM_MOUSEENTER);
      return;
    }
    default:
      TbsSkinCustomControl::Dispatch(Message);
  }
}

void TbsSkinCheckRadioBox::GetSkinData() {
  TbsSkinCustomControl::GetSkinData();
  FMorphing = false;
  auto* r = FSkinObjectIndex == -1 ? nullptr : SkinRecordAs<TbsDataSkinCheckRadioControl>();
  if (r) {
    FontName = r->FontName;
    FontColor = r->FontColor;
    ActiveFontColor = r->ActiveFontColor;
    FrameFontColor = r->FrameFontColor;
    UnEnabledFontColor = r->UnenabledFontColor;
    FontStyle = r->FontStyle;
    FontHeight = r->FontHeight;
    auto orElse = [](const TRect& a, const TRect& b) { return IsNullRect(a) ? b : a; };
    ActiveSkinRect = orElse(r->ActiveSkinRect, SkinRect);
    CheckImageArea = r->CheckImageArea;
    TextArea = r->TextArea;
    CheckImageRect = r->CheckImageRect;
    UnCheckImageRect = r->UncheckImageRect;
    UnEnabledCheckImageRect = orElse(r->UnenabledCheckImageRect, CheckImageRect);
    UnEnabledUnCheckImageRect = orElse(r->UnenabledUncheckImageRect, UnCheckImageRect);
    ActiveCheckImageRect = orElse(r->ActiveCheckImageRect, CheckImageRect);
    ActiveUnCheckImageRect = orElse(r->ActiveUncheckImageRect, UnCheckImageRect);
    FMorphing = r->Morphing;
    MorphKind = r->MorphKind;
  }
  if (FFlat) MaskPicture = nullptr;  // no window region over the parent's background
  if (FFlat) FMorphing = false;
}

void TbsSkinCheckRadioBox::ChangeSkinData() {
  if (!FFlat) {
    TbsSkinCustomControl::ChangeSkinData();
    return;
  }
  GetSkinData();
  SetControlRegion();  // drops a region an unflat look may have left
  Repaint();
}

void TbsSkinCheckRadioBox::CalcSize(int& W, int& H) {
  if (FFlat || FSkinObjectIndex == -1) return;
  TbsSkinCustomControl::CalcSize(W, H);
  const int dW = W - RectWidth(SkinRect);
  NewTextArea = TextArea;
  NewTextArea.Right += dW;
  TRect ca = CheckImageArea;
  if (CheckImageArea.Right > TextArea.Right) ca = bsShifted(ca, dW, 0);  // the image sits right of the caption
  const int iw = RectWidth(CheckImageRect), ih = RectHeight(CheckImageRect);
  const int l = ca.Left + RectWidth(ca) / 2 - iw / 2, t = ca.Top + RectHeight(ca) / 2 - ih / 2;
  NewCheckImageArea = TRect(l, t, l + iw, t + ih);
}

const TRect& TbsSkinCheckRadioBox::CheckImage() const {
  if (!Enabled()) return FChecked ? UnEnabledCheckImageRect : UnEnabledUnCheckImageRect;
  if (FMouseIn) return FChecked ? ActiveCheckImageRect : ActiveUnCheckImageRect;
  return FChecked ? CheckImageRect : UnCheckImageRect;
}

void TbsSkinCheckRadioBox::CreateImage(TBitmap* B, const TRect& R, bool AActive) {
  int w = Width(), h = Height();
  CalcSize(w, h);  // the places for this size, whichever path sized the box
  CreateSkinControlImage(B, Picture, R);
  TCanvas* C = B->Canvas();
  SkinDrawCheckImage(C, NewCheckImageArea.Left,
                     NewCheckImageArea.Top + RectHeight(NewCheckImageArea) / 2 - RectHeight(CheckImageRect) / 2,
                     Picture, CheckImage());
  AssignSkinFont(C->Font(), FUseSkinFont, FDefaultFont.get(), FontName, FontHeight, FontStyle);
  C->Font()->SetColor(!Enabled() ? UnEnabledFontColor : AActive ? ActiveFontColor : FontColor);
  C->Brush()->SetStyle(bsClear);
  SPDrawText(C, Caption(), NewTextArea);
}

void TbsSkinCheckRadioBox::CreateControlDefaultImage(TBitmap* B) {
  TbsSkinCustomControl::CreateControlDefaultImage(B);
  TCanvas* C = B->Canvas();
  const int W = Width(), H = Height();
  if (IsFocused() || FMouseIn) Frame(C, TRect(0, 0, W, H), clBtnShadow);
  C->Font()->Assign(FDefaultFont.get());
  if (!Enabled()) C->Font()->SetColor(clBtnShadow);
  C->Pen()->SetColor(clBlack);
  C->Brush()->SetStyle(bsClear);
  SPDrawText(C, Caption(), TRect(19, 0, W, H));
  DrawDefaultBox(C);
}

void TbsSkinCheckRadioBox::DrawDefaultBox(TCanvas* C) {
  const int H = Height();
  Frame(C, TRect(3, H / 2 - 7, 17, H / 2 + 7), FMouseIn ? clNavy : clBtnShadow);
  if (!FChecked) return;
  const TColor mark = Enabled() ? clBlack : clBtnShadow;
  if (FRadio)
    DrawRadioImage(C, 7, H / 2 - 3, mark);
  else
    DrawCheckImage(C, 7, H / 2 - 4, mark);
}

void TbsSkinCheckRadioBox::PaintFlat() {
  const int W = Width(), H = Height();
  TBitmap B;
  B.SetSize(W, H);
  TCanvas* C = B.Canvas();
  GetParentImage(this, C);
  const bool skinned = CanPaintSkin();
  TRect image;  // where a caption image went
  TRect tr;
  C->Brush()->SetStyle(bsClear);
  if (skinned) {
    SkinDrawCheckImage(C, 3, H / 2 - RectHeight(CheckImageRect) / 2, Picture, CheckImage());
    AssignSkinFont(C->Font(), FUseSkinFont, FDefaultFont.get(), FontName, FontHeight, FontStyle);
    C->Font()->SetColor(Enabled() ? FrameFontColor : UnEnabledFontColor);
    tr = CaptionExtent(C, Caption());
    tr = bsShifted(tr, RectWidth(CheckImageRect) + 3 + 4, H / 2 - RectHeight(tr) / 2);
    tr.Right = std::min(tr.Right, W - 2);
  } else {
    C->Font()->Assign(FDefaultFont.get());
    if (!Enabled()) C->Font()->SetColor(clBtnShadow);
    tr = CaptionExtent(C, Caption());
    tr = bsShifted(tr, 22, H / 2 - RectHeight(tr) / 2);
    tr.Right = std::min(tr.Right, W - 2);
    if (FImages && FImageIndex >= 0 && FImageIndex < FImages->Count()) {
      const int iy = H / 2 - FImages->Height() / 2;
      FImages->Draw(C, tr.Left, iy, FImageIndex, Enabled());
      image = TRect(tr.Left, iy, tr.Left + FImages->Width(), iy + FImages->Height());
      tr = bsShifted(tr, FImages->Width() + 5, 0);
    }
    DrawDefaultBox(C);
  }
  SPDrawText(C, Caption(), tr);
  tr = TRect(tr.Left - 2, tr.Top - 1, tr.Right + 3, tr.Bottom + 1);
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(clBtnFace);
  if (IsFocused()) {
    if (!skinned && Caption().empty() && !IsNullRect(image))
      C->DrawFocusRect(TRect(image.Left - 1, image.Top - 1, image.Right + 1, image.Bottom + 1));
    else
      C->DrawFocusRect(tr);
  }
  Canvas()->Draw(0, 0, &B);
}

void TbsSkinCheckRadioBox::Paint() {
  if (Width() < 1 || Height() < 1) return;
  GetSkinData();
  if (FFlat) {
    PaintFlat();
    return;
  }
  if (!CanPaintSkin()) {
    TbsSkinCustomControl::Paint();
    return;
  }
  const double kf = FFade.Kf();
  if (FMorphing && kf > 0.0 && kf < 1.0) {
    TBitmap normal, active;
    CreateImage(&normal, SkinRect, false);
    CreateImage(&active, ActiveSkinRect, true);
    TbsEffectBmp from(normal.Handle()), to(active.Handle());
    from.MorphBy(to, MorphKind, kf);
    from.Draw(Canvas()->Handle(), 0, 0);
    return;
  }
  const bool active = FMouseIn || IsFocused();
  TBitmap face;
  CreateImage(&face, active ? ActiveSkinRect : SkinRect, active);
  Canvas()->Draw(0, 0, &face);
}

// ---- Published properties -------------------------------------------------------------------------------

XJ_PUBLISHED(TbsSkinCheckRadioBox,
  XJ_PROP(Flat)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(TabStop, false)
  XJ_PROP(CanFocused)
  XJ_PROP(Action)
  XJ_PROP(Radio)
  XJ_PROP(Checked)
  XJ_PROP(GroupIndex)
  XJ_PROP(Caption) XJ_STORED(IsCaptionStored)
  XJ_EVENT(OnClick)
  XJ_PROP(Align, alNone)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(Images)
  XJ_PROP(ImageIndex, 0)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnResize)
  XJ_EVENT(OnKeyDown)
  XJ_EVENT(OnKeyPress)
  XJ_EVENT(OnKeyUp));
