#include "skin/controls/bsSkinCtrls_toolbar.h"

#include <algorithm>

#include "platform/vcl/ImgList.h"
#include "platform/vcl/Messages.h"
#include "platform/win32/Scoped.h"
#include "skin/controls/bsSkinBoxCtrls_updown.h"
#include "skin/controls/bsSkinCtrls_bevel.h"
#include "skin/controls/bsSkinCtrls_speedbutton.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

// ---- TbsScrollArrows --------------------------------------------------------------------------------------

void TbsScrollArrows::SetActive(bool Value) {
  if (FActive == Value) return;
  if (Value) {
    FActive = true;
    GetRange();
    return;
  }
  Cancel();
  // Inactive first, so that the frame computed anew has no arrow strips and no range brings them back.
  FActive = false;
  if (ScrollPosition > 0) ScrollControls(-ScrollPosition);
  ScrollMax = ScrollPosition = ScrollPage = OldScrollPosition = GrowDelta = 0;
  SetButtonsVisible(false);
}

bool TbsScrollArrows::Designing() const { return FOwner->ComponentState().Contains(csDesigning); }

int TbsScrollArrows::ClientExtent() { return FVertical ? FOwner->ClientHeight() : FOwner->ClientWidth(); }

void TbsScrollArrows::GetSkinData() {
  FArrowSkinData = nullptr;
  FArrowPicture = nullptr;
  TbsSkinData* data = FOwner->SkinData();
  if (!data || data->Empty) return;
  const int index = data->GetControlIndex("resizebutton");
  if (index < 0 || index >= data->CtrlList->Count()) return;
  // Only a button record has the state rectangles and colours the arrows read; a record without a
  // picture leaves the arrows in the default look.
  auto* record = dynamic_cast<TbsDataSkinButtonControl*>(static_cast<TObject*>(data->CtrlList->Items(index)));
  TBitmap* picture = record ? bsActivePicture(data, record->PictureIndex) : nullptr;
  if (!picture || picture->Empty()) return;
  FArrowSkinData = record;
  FArrowPicture = picture;
}

void TbsScrollArrows::ScrollControls(int Delta) {
  xj::TemporaryChange busy(FBusy, true);
  if (FVertical)
    FOwner->ScrollBy(0, -Delta);
  else
    FOwner->ScrollBy(-Delta, 0);
}

void TbsScrollArrows::GetRange() {
  if (!FActive || FBusy || !FOwner->HandleAllocated()) return;
  const TComponentState state = FOwner->ComponentState();
  if (state.Contains(csLoading) || state.Contains(csDestroying)) return;
  xj::TemporaryChange busy(FBusy, true);
  int maxEnd = 0;
  for (int i = 0; i < FOwner->ControlCount(); ++i) {
    TControl* c = FOwner->Controls(i);
    if (c->Visible()) maxEnd = std::max(maxEnd, FVertical ? c->Top() + c->Height() : c->Left() + c->Width());
  }
  const int ext = maxEnd + ScrollPosition;
  int cw = ClientExtent();
  // Whether they fit is judged on the client area the owner has without arrows, or children that fit
  // only there would keep the arrows for good. Nothing to show counts as fitting, so that children
  // hidden while scrolled come back home.
  const int whole = cw + (Arrows[0].Visible ? kArrowSize : 0) + (Arrows[1].Visible ? kArrowSize : 0);
  if (maxEnd == 0 || ext <= whole) {
    if (ScrollPosition > 0) ScrollControls(-ScrollPosition);
    GrowDelta = ScrollMax = ScrollPosition = ScrollPage = OldScrollPosition = 0;
    SetButtonsVisible(false);
    return;
  }
  if (!Arrows[0].Visible) {
    SetButtonsVisible(true);
    cw = ClientExtent();  // the arrows took their strips from the client area
  }
  if (ScrollPosition > 0 && maxEnd < cw && GrowDelta > 0) {
    // Grown while scrolled: the children follow back by the growth. The growth is used up here, or a
    // later computation without a size change would scroll back by it again.
    const int back = std::min(GrowDelta, ScrollPosition);
    ScrollMax = ext - 1;
    ScrollPosition -= back;
    ScrollPage = cw;
    ScrollControls(-back);
  } else if (GrowDelta == 0 && ext - 1 < ScrollMax && ScrollPosition > 0 && maxEnd < cw) {
    // The children got shorter while scrolled.
    const int shrink = ScrollMax - (ext - 1);
    const int back = std::min(ScrollPosition, ScrollMax - ScrollPage + 1 + shrink + ScrollPosition);
    ScrollControls(-back);
    ScrollMax = ext - 1;
    ScrollPosition -= back;
    ScrollPage = cw;
  } else {
    ScrollMax = ext - 1;
    ScrollPage = cw;
  }
  GrowDelta = 0;
  OldScrollPosition = ScrollPosition;
}

void TbsScrollArrows::BoundsChanged(int OldExtent) {
  if (!FActive) return;
  const int now = FVertical ? FOwner->Height() : FOwner->Width();
  GrowDelta = OldExtent != 0 && now > OldExtent ? now - OldExtent : 0;
  GetRange();
  GrowDelta = 0;
}

void TbsScrollArrows::ButtonClick(int Index) {
  const int step = FScrollOffset > 0 ? FScrollOffset : ClientExtent();
  const int last = ScrollMax > 0 ? std::max(0, ScrollMax - ScrollPage + 1) : 0;
  if (Index == 0)
    ScrollPosition = std::max(0, ScrollPosition - step);
  else
    ScrollPosition = std::max(ScrollPosition, std::min(ScrollPosition + step, last));
  if (ScrollPosition == OldScrollPosition) {
    StopTimer();  // at the end: nothing more to scroll
    return;
  }
  // Each step moves the children by its own distance, so that they stay at ScrollPosition.
  const int delta = ScrollPosition - OldScrollPosition;
  OldScrollPosition = ScrollPosition;
  ScrollControls(delta);
}

TRect TbsScrollArrows::ScrolledRect() {
  const int cw = FOwner->ClientWidth(), ch = FOwner->ClientHeight();
  if (FVertical) return TRect(0, -ScrollPosition, cw, -ScrollPosition + std::max(ScrollMax, ch));
  return TRect(-ScrollPosition, 0, -ScrollPosition + std::max(ScrollMax, cw), ch);
}

void TbsScrollArrows::SetButtonsVisible(bool Value) {
  if (Arrows[0].Visible == Value) return;
  if (!Value) Cancel();
  Arrows[0].Visible = Arrows[1].Visible = Value;
  LayOutArrows();
  if (!FOwner->HandleAllocated()) return;
  // The non-client area is computed anew for the arrows' strips; the window and its children stay.
  SetWindowPos(FOwner->Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  FOwner->Realign();
}

void TbsScrollArrows::LayOutArrows() {
  const int w = FOwner->Width(), h = FOwner->Height(), a = kArrowSize;
  Arrows[0].R = FVertical ? TRect(0, 0, w, a) : TRect(0, 0, a, h);
  Arrows[1].R = FVertical ? TRect(0, h - a, w, h) : TRect(w - a, 0, w, h);
}

void TbsScrollArrows::RedrawFrame() {
  if (ArrowsShown() && FOwner->HandleAllocated()) SendMessageA(FOwner->Handle(), WM_NCPAINT, 1, 0);
}

int TbsScrollArrows::HitAt(TPoint Client) {
  if (!ArrowsShown()) return HTNOWHERE;
  const int at = FVertical ? Client.Y : Client.X;
  if (at < 0 && Arrows[0].Visible) return kHitBack;
  // The forward arrow begins at the first column (or row) past the client area.
  if (at >= ClientExtent() && Arrows[1].Visible) return kHitForward;
  return HTNOWHERE;
}

void TbsScrollArrows::Tick() {
  if (TimerMode == 1)
    ButtonClick(0);
  else if (TimerMode == 2)
    ButtonClick(1);
}

void TbsScrollArrows::ButtonDown(int Index) {
  TimerMode = Index + 1;
  StartTimer();
}

void TbsScrollArrows::ButtonUp(int Index, bool Over) {
  StopTimer();
  // Only a release over the arrow that was pressed steps once more.
  if (Over) ButtonClick(Index);
}

void TbsScrollArrows::Cancel() {
  const int pressed = std::exchange(FPressed, -1);
  if (pressed >= 0) {
    Arrows[pressed].Down = false;
    if (FOwner->HandleAllocated() && GetCapture() == FOwner->Handle()) ReleaseCapture();
  }
  const bool hot = Arrows[0].MouseIn || Arrows[1].MouseIn;
  Arrows[0].MouseIn = Arrows[1].MouseIn = false;
  StopTimer();
  if (pressed >= 0 || hot) RedrawFrame();
}

void TbsScrollArrows::PointerGone() {
  POINT p {};
  GetCursorPos(&p);
  if (FOwner->HandleAllocated() && WindowFromPoint(p) == FOwner->Handle()) return;
  for (TbsScrollArrow& a : Arrows)
    if (a.MouseIn) {
      a.MouseIn = false;
      StopTimer();
      RedrawFrame();
      return;
    }
}

bool TbsScrollArrows::WndProc(TMessage& Message, const std::function<void(TMessage&)>& Inherited) {
  if (!FActive) return false;
  auto arrowOf = [](WPARAM Hit) { return Hit == kHitBack ? 0 : Hit == kHitForward ? 1 : -1; };
  auto clientPoint = [&Message] { return TPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)); };
  switch (Message.Msg) {
    case WM_NCHITTEST: {
      if (Designing()) return false;
      const TPoint screen(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
      const int hit = HitAt(FOwner->ScreenToClient(screen));
      if (hit == HTNOWHERE) return false;
      Message.Result = hit;
      return true;
    }
    case WM_NCMOUSEMOVE: {
      const int i = arrowOf(Message.WParam);
      if (i >= 0 && FPressed < 0 && !Arrows[i].MouseIn) {
        Arrows[i].MouseIn = true;
        Arrows[1 - i].MouseIn = false;
        RedrawFrame();
        if (HotScroll) ButtonDown(i);
      }
      return false;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: {
      const int i = arrowOf(Message.WParam);
      if (i < 0) return false;
      Arrows[i].Down = Arrows[i].MouseIn = true;
      Arrows[1 - i].MouseIn = false;
      FPressed = i;
      // The release and every move until then come to us, wherever the pointer goes.
      SetCapture(FOwner->Handle());
      RedrawFrame();
      ButtonDown(i);
      return true;
    }
    case WM_NCLBUTTONUP:
    case WM_LBUTTONUP: {
      if (FPressed < 0) return false;
      const int i = std::exchange(FPressed, -1);
      const bool over = Message.Msg == WM_NCLBUTTONUP ? arrowOf(Message.WParam) == i
                                                     : arrowOf(HitAt(clientPoint())) == i;
      Arrows[i].Down = false;
      Arrows[i].MouseIn = over;
      if (GetCapture() == FOwner->Handle()) ReleaseCapture();
      RedrawFrame();
      ButtonUp(i, over);
      return true;
    }
    case WM_MOUSEMOVE: {
      if (FPressed >= 0) {
        // A held arrow pauses while the pointer is off it and goes on when it comes back.
        const int i = FPressed;
        const bool over = arrowOf(HitAt(clientPoint())) == i;
        if (over == Arrows[i].MouseIn) return true;
        Arrows[i].MouseIn = over;
        if (over)
          ButtonDown(i);
        else
          StopTimer();
        RedrawFrame();
        return true;
      }
      for (TbsScrollArrow& a : Arrows)
        if (a.MouseIn && a.Visible) {
          StopTimer();
          a.MouseIn = false;
          RedrawFrame();
          break;
        }
      return false;
    }
    case WM_CAPTURECHANGED:
      if (FPressed >= 0) Cancel();
      return false;
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
      Inherited(Message);
      if (!FOwner->Enabled() || !FOwner->Visible()) Cancel();
      return true;
    case CM_MOUSELEAVE:
    case WM_NCMOUSELEAVE:
      Inherited(Message);
      if (!Designing() && FPressed < 0) PointerGone();
      return true;
    case WM_SIZE:
      Inherited(Message);
      if (Arrows[0].Visible) {
        LayOutArrows();
        RedrawFrame();
      }
      return true;
    case WM_NCCALCSIZE: {
      Inherited(Message);
      auto* r = reinterpret_cast<RECT*>(Message.LParam);
      if (!r) return true;
      LONG& back = FVertical ? r->top : r->left;
      LONG& forward = FVertical ? r->bottom : r->right;
      if (Arrows[0].Visible) back += kArrowSize;
      if (Arrows[1].Visible) forward -= kArrowSize;
      if (forward < back) forward = back;
      return true;
    }
    case WM_NCPAINT: {
      if (!Arrows[0].Visible && !Arrows[1].Visible) return false;
      HWND h = FOwner->Handle();
      HDC dc = GetWindowDC(h);
      {
        TCanvas canvas;
        canvas.SetHandle(dc);
        for (int i = 0; i < 2; ++i)
          if (Arrows[i].Visible) DrawButton(&canvas, i);
        canvas.SetHandle(nullptr);
      }
      ReleaseDC(h, dc);
      Message.Result = 0;
      return true;
    }
    default:
      return false;
  }
}

void TbsScrollArrows::DrawButton(TCanvas* Canvas, int Index) {
  const TbsScrollArrow& a = Arrows[Index];
  const int w = RectWidth(a.R), h = RectHeight(a.R);
  if (w < 1 || h < 1) return;
  // The skin is looked up for every drawing, so no picture of a skin since replaced is ever read.
  GetSkinData();
  const int code = FVertical ? 3 + Index : 1 + Index;
  const bool pressed = (a.Down && a.MouseIn) || (a.MouseIn && HotScroll);
  TBitmap B;
  B.SetSize(w, h);
  TCanvas* C = B.Canvas();
  if (const TbsDataSkinButtonControl* r = FArrowSkinData) {
    TRect source = r->SkinRect;
    TColor colour = r->FontColor;
    if (pressed && !IsNullRect(r->DownSkinRect)) {
      source = r->DownSkinRect;
      colour = r->DownFontColor;
    } else if (a.MouseIn && !IsNullRect(r->ActiveSkinRect)) {
      source = r->ActiveSkinRect;
      colour = r->ActiveFontColor;
    }
    C->Brush()->SetColor(clBtnFace);
    C->FillRect(TRect(0, 0, w, h));
    TbsSkinGeometry face;
    face.ReadGeometry(*r);
    int fw = w, fh = h;
    face.CalcGeometry(fw, fh);
    face.CreateFaceImage(&B, FArrowPicture, source, w, h);
    DrawArrowImage(B.Canvas(), TRect(0, 0, w, h), colour, code);
  } else {
    const TbsArrowPair::TButtonState state { TRect(0, 0, w, h), a.MouseIn, pressed };
    bsDrawDefaultArrowButton(C, state, code, true);
  }
  Canvas->Draw(a.R.Left, a.R.Top, &B);
}

// ---- TbsSkinToolBar ---------------------------------------------------------------------------------------

TbsSkinToolBar::TbsSkinToolBar(TComponent* AOwner) : TbsSkinPanel(AOwner) {
  FSkinDataName = "toolpanel";
  SetDefaultHeight(25);
  SetBorderStyle(bs::bvFrame);
}

TbsSkinToolBar::~TbsSkinToolBar() { TearDownWindow(); }

void TbsSkinToolBar::SetSkinDataName(const AnsiString& Value) {
  TbsSkinPanel::SetSkinDataName(Value);
  const TComponentState state = ComponentState();
  if (!state.Contains(csDesigning) || state.Contains(csLoading)) return;
  const bool big = Value == "bigtoolpanel";
  const AnsiString prefix = big ? "bigtool" : "tool";
  for (int i = 0; i < ControlCount(); ++i) {
    if (auto* menu = dynamic_cast<TbsSkinMenuSpeedButton*>(Controls(i)))
      menu->SetSkinDataName(prefix + (menu->TrackButtonMode() ? "menutrackbutton" : "menubutton"));
    else if (auto* button = dynamic_cast<TbsSkinSpeedButton*>(Controls(i)))
      button->SetSkinDataName(prefix + "button");
  }
}

void TbsSkinToolBar::SetSkinData(TbsSkinData* Value) {
  TbsSkinPanel::SetSkinData(Value);
  for (int i = 0; i < ControlCount(); ++i) {
    if (auto* button = dynamic_cast<TbsSkinSpeedButton*>(Controls(i)))
      button->SetSkinData(Value);
    else if (auto* bevel = dynamic_cast<TbsSkinBevel*>(Controls(i)))
      bevel->SetSkinData(Value);
  }
}

void TbsSkinToolBar::GetSkinData() {
  TbsSkinPanel::GetSkinData();
  FArrows.GetSkinData();
}

void TbsSkinToolBar::ChangeSkinData() {
  TbsSkinPanel::ChangeSkinData();
  FArrows.RedrawFrame();
}

void TbsSkinToolBar::SetList(TCustomImageList*& List, TCustomImageList* Value) {
  if (List == Value) return;
  if (List) List->RemoveFreeNotification(this);
  List = Value;
  if (Value) Value->FreeNotification(this);
}

void TbsSkinToolBar::SetImages(TCustomImageList* Value) {
  SetList(FImages, Value);
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* button = dynamic_cast<TbsSkinSpeedButton*>(Controls(i))) button->Repaint();
}

void TbsSkinToolBar::SetHotImages(TCustomImageList* Value) { SetList(FHotImages, Value); }

void TbsSkinToolBar::SetDisabledImages(TCustomImageList* Value) { SetList(FDisabledImages, Value); }

void TbsSkinToolBar::Notification(TComponent* AComponent, TOperation Operation) {
  TbsSkinPanel::Notification(AComponent, Operation);
  if (Operation != opRemove || !AComponent) return;
  if (AComponent == FImages) SetImages(nullptr);
  if (AComponent == FHotImages) SetHotImages(nullptr);
  if (AComponent == FDisabledImages) SetDisabledImages(nullptr);
}

void TbsSkinToolBar::SetFlat(bool Value) {
  FFlat = Value;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* button = dynamic_cast<TbsSkinSpeedButton*>(Controls(i))) button->SetFlat(Value);
}

void TbsSkinToolBar::SetShowCaptions(bool Value) {
  if (FShowCaptions == Value) return;
  FShowCaptions = Value;
  // Read from a form, the buttons and the stored width already are what they should be.
  if (ComponentState().Contains(csLoading)) return;
  if (FAutoShowHideCaptions)
    for (int i = 0; i < ControlCount(); ++i)
      if (auto* button = dynamic_cast<TbsSkinSpeedButton*>(Controls(i))) button->SetShowCaption(Value);
  if (FWidthWithCaptions != 0 && FWidthWithoutCaptions != 0)
    SetWidth(Value ? FWidthWithCaptions : FWidthWithoutCaptions);
}

void TbsSkinToolBar::CreateControlSkinImage(TBitmap* B) {
  if (!FArrows.ArrowsShown() || FResizeMode != 2) {
    TbsSkinPanel::CreateControlSkinImage(B);
    return;
  }
  // Scrolled, the face has no ends: its middle repeats from the left edge.
  CreateHSkinImage3(LTPoint.X, RectWidth(SkinRect) - RTPoint.X, B, Picture, SkinRect, Width(), Height());
}

void TbsSkinToolBar::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const int old = Width();
  TbsSkinPanel::SetBounds(ALeft, ATop, AWidth, AHeight);
  FArrows.BoundsChanged(old);
}

void TbsSkinToolBar::AdjustClientRect(TRect& Rect) {
  TbsSkinPanel::AdjustClientRect(Rect);
  if (!FArrows.ArrowsShown()) return;
  const int bottom = Rect.Bottom;
  Rect = FArrows.ScrolledRect();
  if (CanPaintSkin() && !ComponentState().Contains(csDesigning)) {
    Rect.Top = NewClRect.Top;
    Rect.Bottom = NewClRect.Bottom;
  } else {
    Rect.Top = 1;
    Rect.Bottom = std::max(1, bottom - 1);
  }
}

void TbsSkinToolBar::AlignControls(TControl* AControl, TRect& Rect) {
  TbsSkinPanel::AlignControls(AControl, Rect);
  FArrows.RangeChanged();
}

void TbsSkinToolBar::CreateWnd() {
  TbsSkinPanel::CreateWnd();
  FArrows.GetRange();
}

void TbsSkinToolBar::WndProc(TMessage& Message) {
  if (!FArrows.WndProc(Message, [this](TMessage& m) { TbsSkinPanel::WndProc(m); })) TbsSkinPanel::WndProc(Message);
}

// ---- TbsSkinStatusBar -------------------------------------------------------------------------------------

TbsSkinStatusBar::TbsSkinStatusBar(TComponent* AOwner) : TbsSkinPanel(AOwner) {
  FSkinDataName = "statusbar";
  SetAlign(alBottom);
  SetDefaultHeight(21);
  SetBorderStyle(bs::bvFrame);
}

void TbsSkinStatusBar::SetSkinData(TbsSkinData* Value) {
  TbsSkinPanel::SetSkinData(Value);
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* c = dynamic_cast<TbsSkinControl*>(Controls(i))) c->SetSkinData(Value);
}

// ---- Published properties -------------------------------------------------------------------------------

XJ_PUBLISHED(TbsSkinToolBar,
  XJ_PROP(CanScroll, false)
  XJ_PROP(HotScroll, false)
  XJ_PROP(ScrollOffset, 0)
  XJ_PROP(ScrollTimerInterval, 50)
  XJ_PROP(Images)
  XJ_PROP(DisabledImages)
  XJ_PROP(HotImages)
  XJ_PROP(Flat, false)
  XJ_PROP(AutoShowHideCaptions, false)
  XJ_PROP(ShowCaptions, false)
  XJ_PROP(WidthWithCaptions, 0)
  XJ_PROP(WidthWithoutCaptions, 0));

XJ_PUBLISHED(TbsSkinStatusBar,
  XJ_PROP(Align, alBottom));
