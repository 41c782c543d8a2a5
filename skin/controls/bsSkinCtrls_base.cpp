#include "skin/controls/bsSkinCtrls_base.h"

#include <algorithm>

#include "platform/vcl/Messages.h"
#include "platform/win32/Scoped.h"
#include "skin/controls/bsSkinCtrls_graphic.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

// ---- The skin-change walk -------------------------------------------------------------------------------

namespace {

// The skin-change walk going on on this thread, by its number (0: none).
thread_local uint64_t gChangeWalk = 0;
thread_local uint64_t gChangeWalks = 0;

}  // namespace

// A control whose parent handed it its skin data during this walk (a list its bars, a combo box its
// list) has taken the change already: changing it again would only do the same work twice.
bool bsChangedInThisWalk(const TbsSkinControl* Control) {
  return gChangeWalk != 0 && Control->FChangedInWalk == gChangeWalk;
}

namespace {

// The class library's own class chain answers for the windowed skinned controls (most of a form's);
// other targets are found by the cross cast.
IbsSkinChangeTarget* TargetOf(TControl* Control) {
  if (Control->Is<TbsSkinControl>()) return static_cast<TbsSkinControl*>(Control);
  return dynamic_cast<IbsSkinChangeTarget*>(Control);
}

template <class Visit>
void Walk(TControl* Control, TbsSkinData* Data, const Visit& Visit_) {
  if (auto* target = TargetOf(Control); target && (!Data || target->SkinData() == Data)) {
    Control->ResetPaintError();  // it paints a new look: a failure of that one is shown again
    const auto life = Control->LifeToken();
    auto* skinned = Control->Is<TbsSkinControl>() ? static_cast<TbsSkinControl*>(Control) : nullptr;
    if (!skinned || !bsChangedInThisWalk(skinned)) Visit_(target);
    if (life.expired()) return;  // the change ran a handler that freed it (and its children)
  }
  if (!Control->Is<TWinControl>()) return;
  auto* parent = static_cast<TWinControl*>(Control);
  // A change may add or free children (generated items are rebuilt): walk a snapshot, skipping what
  // went away meanwhile.
  const int n = parent->ControlCount();
  if (n == 0) return;
  std::vector<std::pair<TControl*, std::weak_ptr<const void>>> children;
  children.reserve(size_t(n));
  for (int i = 0; i < n; ++i) {
    TControl* c = parent->Controls(i);
    children.emplace_back(c, c->LifeToken());
  }
  for (const auto& [child, life] : children)
    if (!life.expired()) Walk(child, Data, Visit_);
}

}  // namespace

void BeforeChangeSkinDataWalk(TControl* Root, TbsSkinData* Data) {
  if (Root) Walk(Root, Data, [](IbsSkinChangeTarget* t) { t->BeforeChangeSkinData(); });
}

void ChangeSkinDataWalk(TControl* Root, TbsSkinData* Data) {
  // A control may repaint at several steps of its change (each new size, its bars' ranges): one paint
  // at the end of the walk shows the same.
  TPaintLater later;
  xj::TemporaryChange walk(gChangeWalk, ++gChangeWalks);
  if (Root) Walk(Root, Data, [](IbsSkinChangeTarget* t) { t->ChangeSkinData(); });
  later.Flush();
}

// ---- TbsSkinControl -------------------------------------------------------------------------------------

TbsSkinControl::TbsSkinControl(TComponent* AOwner) : TCustomControl(AOwner) {}

TbsSkinControl::~TbsSkinControl() {
  if (FSkinData) FSkinData->RemoveFreeNotification(this);
}

void TbsSkinControl::SetSkinData(TbsSkinData* Value) {
  ResetPaintError();  // a new look, or the built-in one: its failure to paint is its own
  if (FSkinData != Value) {
    if (FSkinData) FSkinData->RemoveFreeNotification(this);
    FSkinData = Value;
    if (FSkinData) FSkinData->FreeNotification(this);
  }
  if (!Value) {
    BeforeChangeSkinData();
    return;
  }
  if (!Value->Empty && !ComponentState().Contains(csDesigning)) {
    FChangedInWalk = gChangeWalk;
    ChangeSkinData();
  }
}

void TbsSkinControl::GetSkinData() {
  FSkinObjectIndex = !FSkinData || FSkinData->Empty ? -1 : FSkinData->GetControlIndex(FSkinDataName);
}

TbsDataSkinControl* TbsSkinControl::SkinRecord() const {
  if (!FSkinData || FSkinObjectIndex < 0 || FSkinObjectIndex >= FSkinData->CtrlList->Count()) return nullptr;
  return static_cast<TbsDataSkinControl*>(FSkinData->CtrlList->Items(FSkinObjectIndex));
}

void TbsSkinControl::CreateControlDefaultImage(TBitmap*) {}
void TbsSkinControl::CreateControlSkinImage(TBitmap*) {}

// The new look comes with the next paint: a skin switch repaints whole forms, and a control that painted
// at once here would paint twice.
void TbsSkinControl::ChangeSkinData() {
  GetSkinData();
  Invalidate();
}

void TbsSkinControl::BeforeChangeSkinData() { FSkinObjectIndex = -1; }

void TbsSkinControl::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FSkinData) {
    FSkinData = nullptr;
    BeforeChangeSkinData();
  }
}

void TbsSkinControl::Paint() {
  if (Width() < 1 || Height() < 1) return;
  GetSkinData();
  const TSize size = FaceSize();
  if (size.cx < 1 || size.cy < 1) return;
  TBitmap B;
  B.SetSize(size.cx, size.cy);
  // Building the image may call a draw handler that frees the control.
  const auto life = LifeToken();
  if (CanPaintSkin())
    CreateControlSkinImage(&B);
  else
    CreateControlDefaultImage(&B);
  if (!life.expired()) Canvas()->Draw(0, 0, &B);
}

void TbsSkinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_MOUSEENTER: {
      TCustomControl::Dispatch(Message);
      if (OnMouseEnter) OnMouseEnter(this);
      return;
    }
    case CM_MOUSELEAVE: {
      TCustomControl::Dispatch(Message);
      if (OnMouseLeave) OnMouseLeave(this);
      return;
    }
    case WM_ERASEBKGND:
      return;  // the face covers the whole control; erasing first would only flicker
    default:
      TCustomControl::Dispatch(Message);
  }
}

// ---- TbsSkinFaceControl ---------------------------------------------------------------------------------

template <class TBase>
TbsSkinFaceControl<TBase>::TbsSkinFaceControl(TComponent* AOwner)
    : TBase(AOwner), FDefaultFont(std::make_unique<TFont>()) {
  FDefaultFont->SetName("宋体");
  FDefaultFont->SetHeight(12);
  FDefaultFont->SetStyle({});
  FDefaultFont->OnChange = TNotifyEvent(this, &TbsSkinFaceControl::OnDefaultFontChange);
}

template <class TBase>
TbsSkinFaceControl<TBase>::~TbsSkinFaceControl() = default;

template <class TBase>
void TbsSkinFaceControl<TBase>::SetDefaultWidth(int Value) {
  FDefaultWidth = Value;
  // A form being read brings the size as it was written (a rolled-up panel's, say), before or after.
  if (this->FSkinObjectIndex == -1 && Value > 0 && !bsLoading(this)) this->SetWidth(Value);
}

template <class TBase>
void TbsSkinFaceControl<TBase>::SetDefaultHeight(int Value) {
  FDefaultHeight = Value;
  if (this->FSkinObjectIndex == -1 && Value > 0 && !bsLoading(this)) this->SetHeight(Value);
}

template <class TBase>
void TbsSkinFaceControl<TBase>::SetDefaultFont(TFont* Value) {
  FDefaultFont->Assign(Value);
  DefaultFontChange();
}

template <class TBase>
void TbsSkinFaceControl<TBase>::OnDefaultFontChange(TObject*) {
  DefaultFontChange();
  if (this->FSkinObjectIndex == -1) this->Repaint();
}

template <class TBase>
void TbsSkinFaceControl<TBase>::BeforeChangeSkinData() {
  TBase::BeforeChangeSkinData();
  Picture = nullptr;
}

template <class TBase>
const TbsDataSkinCustomControl* TbsSkinFaceControl<TBase>::LookUpFace() {
  TBase::GetSkinData();
  auto* record = SkinRecordAs<TbsDataSkinCustomControl>();
  if (!record) {
    // No record, or one of another class: the default look, with nothing of a skin that may since have
    // been replaced kept.
    Unskin();
    return nullptr;
  }
  ReadGeometry(*record);
  Picture = bsActivePicture(this->FSkinData, record->PictureIndex);
  return record;
}

template <class TBase>
void TbsSkinFaceControl<TBase>::CalcSize(int& W, int& H) {
  if (this->FSkinObjectIndex != -1) CalcGeometry(W, H);
}

template <class TBase>
void TbsSkinFaceControl<TBase>::CreateControlDefaultImage(TBitmap* B) {
  B->Canvas()->Brush()->SetColor(clBtnFace);
  B->Canvas()->FillRect(this->ClientRect());
}

template <class TBase>
void TbsSkinFaceControl<TBase>::CreateControlSkinImage(TBitmap* B) {
  CreateSkinControlImage(B, Picture, SkinRect);
}

template <class TBase>
bool TbsSkinFaceControl<TBase>::FitSizeToSkin(int& W, int& H) {
  this->GetSkinData();
  const bool changing = (W != this->Width() || H != this->Height()) && this->FSkinObjectIndex != -1;
  if (changing) {
    CalcSize(W, H);
    if (FResizeMode == 0) NewClRect = ClRect;
  }
  return changing;
}

template <class TBase>
bool TbsSkinFaceControl<TBase>::SizeToSkin() {
  this->GetSkinData();
  if (this->FSkinObjectIndex == -1) {
    if (FDefaultWidth > 0) this->SetWidth(FDefaultWidth);
    if (const int h = UnskinnedHeight(); h > 0) this->SetHeight(h);
    return false;
  }
  int W = this->Width(), H = this->Height();
  CalcSize(W, H);
  const bool resized = W != this->Width() || H != this->Height();
  if (W != this->Width()) this->SetWidth(W);
  if (H != this->Height()) this->SetHeight(H);
  return resized;
}

template class TbsSkinFaceControl<TbsSkinControl>;
template class TbsSkinFaceControl<TbsGraphicSkinControl>;

// ---- TbsSkinCustomControl -------------------------------------------------------------------------------

TbsSkinCustomControl::TbsSkinCustomControl(TComponent* AOwner) : TbsSkinFaceControl(AOwner) {}

TbsSkinCustomControl::~TbsSkinCustomControl() = default;

void TbsSkinCustomControl::SetSkinData(TbsSkinData* Value) {
  TbsSkinControl::SetSkinData(Value);
  if (!Value) DropSkinRegion();
}

void TbsSkinCustomControl::Notification(TComponent* AComponent, TOperation Operation) {
  const bool skinGone = Operation == opRemove && AComponent && AComponent == FSkinData;
  TbsSkinControl::Notification(AComponent, Operation);
  if (skinGone) DropSkinRegion();
}

void TbsSkinCustomControl::DropSkinRegion() {
  if (FRgn && HandleAllocated() && !ComponentState().Contains(csDestroying)) SetControlRegion();
}

void TbsSkinCustomControl::BeforeChangeSkinData() {
  TbsSkinFaceControl::BeforeChangeSkinData();
  MaskPicture = nullptr;
}

void TbsSkinCustomControl::GetSkinData() {
  const TbsDataSkinCustomControl* record = LookUpFace();
  MaskPicture = record ? bsActivePicture(FSkinData, record->MaskPictureIndex) : nullptr;
}

TSize TbsSkinCustomControl::FaceSize() const {
  return TSize(std::min(Width(), FaceCut.Width), std::min(Height(), FaceCut.Height));
}

TbsFaceCut bsVisibleFaceCut(TWinControl* Control) {
  if (!Control->HandleAllocated()) return {};
  const HWND window = Control->Handle();
  // In screen coordinates: the client area, cut by the client area of every window above it.
  auto client = [](HWND h) {
    RECT r {};
    GetClientRect(h, &r);
    POINT o {};
    ClientToScreen(h, &o);
    OffsetRect(&r, o.x, o.y);
    return r;
  };
  RECT shown = client(window);
  const POINT origin { shown.left, shown.top };
  for (HWND p = GetAncestor(window, GA_PARENT); p && p != GetDesktopWindow(); p = GetAncestor(p, GA_PARENT)) {
    const RECT area = client(p);
    if (!IntersectRect(&shown, &shown, &area)) return TbsFaceCut { 0, 0 };
  }
  return TbsFaceCut { int(shown.right - origin.x), int(shown.bottom - origin.y) };
}

TBitmap* bsActivePicture(TbsSkinData* Data, int Index) {
  TList* list = Data ? Data->ActivePictures.get() : nullptr;
  return list && Index >= 0 && Index < list->Count() ? static_cast<TBitmap*>(list->Items(Index)) : nullptr;
}

void TbsSkinGeometry::ReadGeometry(const TbsDataSkinCustomControl& R) {
  LTPoint = R.LTPoint;
  RTPoint = R.RTPoint;
  LBPoint = R.LBPoint;
  RBPoint = R.RBPoint;
  SkinRect = R.SkinRect;
  ClRect = R.ClRect;
  FResizeMode = GetResizeMode();
}

int TbsSkinGeometry::GetResizeMode() const {
  if (IsNullRect(SkinRect)) return -1;
  if (RBPoint.X != 0 && RBPoint.Y != 0) return 1;
  if (RTPoint.X != 0 || RTPoint.Y != 0) return 2;
  if (LBPoint.X != 0 || LBPoint.Y != 0) return 3;
  return 0;
}

void TbsSkinGeometry::CalcGeometry(int& W, int& H) {
  // Stopping at the ends of the int range: a record made in code may hold any geometry.
  const int dW = xj::SatSub(W, RectWidth(SkinRect)), dH = xj::SatSub(H, RectHeight(SkinRect));
  switch (FResizeMode) {
    case 1:
      NewLTPoint = LTPoint;
      NewRTPoint = TPoint(xj::SatAdd(RTPoint.X, dW), RTPoint.Y);
      NewLBPoint = TPoint(LBPoint.X, xj::SatAdd(LBPoint.Y, dH));
      NewRBPoint = TPoint(xj::SatAdd(RBPoint.X, dW), xj::SatAdd(RBPoint.Y, dH));
      NewClRect = TRect(ClRect.Left, ClRect.Top, xj::SatAdd(ClRect.Right, dW), xj::SatAdd(ClRect.Bottom, dH));
      break;
    case 2:
      H = RectHeight(SkinRect);
      NewLTPoint = LTPoint;
      NewRTPoint = TPoint(xj::SatAdd(RTPoint.X, dW), RTPoint.Y);
      NewClRect = TRect(ClRect.Left, ClRect.Top, xj::SatAdd(ClRect.Right, dW), ClRect.Bottom);
      break;
    case 3:
      W = RectWidth(SkinRect);
      NewLTPoint = LTPoint;
      NewLBPoint = TPoint(LBPoint.X, xj::SatAdd(LBPoint.Y, dH));
      NewClRect = TRect(ClRect.Left, ClRect.Top, ClRect.Right, xj::SatAdd(ClRect.Bottom, dH));
      break;
    case 0:
      W = RectWidth(SkinRect);
      H = RectHeight(SkinRect);
      NewClRect = ClRect;
      break;
    default:
      break;
  }
}

void TbsSkinGeometry::CreateFaceImage(TBitmap* B, TBitmap* SB, const TRect& R, int W, int H) const {
  if (!B || !SB) return;
  switch (FResizeMode) {
    case 0: {
      // The rectangle's top-left part as large as the cut, one to one.
      B->SetSize(std::min(RectWidth(R), FaceCut.Width), std::min(RectHeight(R), FaceCut.Height));
      const TRect part(R.Left, R.Top, R.Left + B->Width(), R.Top + B->Height());
      B->Canvas()->CopyRect(TRect(0, 0, B->Width(), B->Height()), SB->Canvas(), part);
      break;
    }
    case 1:
      CreateSkinImage(LTPoint, RTPoint, LBPoint, RBPoint, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint,
                      NewClRect, B, SB, R, W, H, true, FaceCut);
      break;
    case 2:
      CreateHSkinImage(LTPoint.X, RectWidth(SkinRect) - RTPoint.X, B, SB, R, W, H, FaceCut);
      break;
    case 3:
      CreateVSkinImage(LTPoint.Y, RectHeight(SkinRect) - LBPoint.Y, B, SB, R, W, H, FaceCut);
      break;
    default:
      break;
  }
}

void TbsSkinCustomControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const bool changing = FitSizeToSkin(AWidth, AHeight);
  const auto life = LifeToken();  // OnResize may free the control
  TbsSkinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (changing && !life.expired()) {
    SetControlRegion();
    Repaint();
  }
}

void TbsSkinCustomControl::ChangeSkinData() {
  if (!SizeToSkin() || FSkinObjectIndex == -1) {
    SetControlRegion();
    Invalidate();
  }
}

void TbsSkinCustomControl::SetControlRegion() {
  if (!MaskPicture || FSkinObjectIndex == -1) {
    if (FRgn) {
      SetWindowRgn(Handle(), nullptr, TRUE);
      FRgn = nullptr;
    }
    return;
  }
  CreateControlRegion();
}

void TbsSkinCustomControl::CreateControlRegion() {
  // Always a fresh handle: the window owns (and frees) whatever it was handed before.
  HRGN rgn = nullptr;
  switch (FResizeMode) {
    case 0:
      CreateSkinSimplyRegion(rgn, MaskPicture);
      break;
    case 1:
      CreateSkinRegion(rgn, LTPoint, RTPoint, LBPoint, RBPoint, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint,
                       NewClRect, MaskPicture, Width(), Height());
      break;
    case 2: {
      const TPoint p(RTPoint.X + Width() - RectWidth(SkinRect), RTPoint.Y);
      CreateSkinRegion(rgn, LTPoint, RTPoint, LTPoint, RTPoint, ClRect, LTPoint, p, LTPoint, p, NewClRect, MaskPicture,
                       Width(), Height());
      break;
    }
    case 3: {
      const TPoint p(LBPoint.X, LBPoint.Y + Height() - RectHeight(SkinRect));
      CreateSkinRegion(rgn, LTPoint, LTPoint, LBPoint, LBPoint, ClRect, LTPoint, LTPoint, p, p, NewClRect, MaskPicture,
                       Width(), Height());
      break;
    }
    default:
      break;
  }
  if (rgn) {
    FRgn = rgn;
    SetWindowRgn(Handle(), rgn, TRUE);
  } else if (FRgn) {
    // A region shaped for an earlier size or skin would be wrong: show the whole window instead.
    FRgn = nullptr;
    SetWindowRgn(Handle(), nullptr, TRUE);
  }
}

TRect TbsSkinGeometry::MapRect(const TRect& R, int W, int H) const {
  const int dW = W - RectWidth(SkinRect), dH = H - RectHeight(SkinRect);
  TRect r = R;
  auto shift = [&r](int dx, int dy) { r = bsShifted(r, dx, dy); };
  switch (FResizeMode) {
    case 1: {
      const int w0 = RectWidth(SkinRect), h0 = RectHeight(SkinRect);
      const TRect lt(0, 0, LTPoint.X, LTPoint.Y), rt(RTPoint.X, 0, w0, RTPoint.Y), lb(0, LBPoint.Y, LBPoint.X, h0),
          rb(RBPoint.X, RBPoint.Y, w0, h0);
      if (RectInRect(R, lt)) return r;
      if (RectInRect(R, rt)) {
        shift(dW, 0);
        return r;
      }
      if (RectInRect(R, lb)) {
        shift(0, dH);
        return r;
      }
      if (RectInRect(R, rb)) {
        shift(dW, dH);
        return r;
      }
      // Spanning areas: now a corner on an area's edge counts as inside it.
      const TPoint tl(R.Left, R.Top), br(R.Right, R.Bottom);
      if (PointInRect(lt, tl) && PointInRect(rb, br)) {
        r.Right += dW;
        r.Bottom += dH;
      } else if (PointInRect(lt, tl) && PointInRect(rt, br)) {
        r.Right += dW;
      } else if (PointInRect(lb, tl) && PointInRect(rb, br)) {
        r.Right += dW;
        shift(0, dH);
      } else if (PointInRect(lt, tl) && PointInRect(lb, br)) {
        r.Bottom += dH;
      } else if (PointInRect(rt, tl) && PointInRect(rb, br)) {
        shift(dW, 0);
        r.Bottom += dH;
      }
      return r;
    }
    case 2:
      if (R.Left <= LTPoint.X && R.Right >= RTPoint.X)
        r.Right += dW;
      else if (R.Left >= RTPoint.X && R.Right > RTPoint.X)
        shift(dW, 0);
      return r;
    case 3:
      if (R.Top <= LTPoint.Y && R.Bottom >= LBPoint.Y)
        r.Bottom += dH;
      else if (R.Top >= LBPoint.Y && R.Bottom > LBPoint.Y)
        shift(0, dH);
      return r;
    default:
      return r;
  }
}

// ---- Published properties -------------------------------------------------------------------------------

XJ_PUBLISHED(TbsSkinControl,
  XJ_PROP(Anchors) XJ_STORED(IsAnchorsStored)
  XJ_PROP(TabOrder)
  XJ_PROP(Visible, true)
  XJ_PROP(SkinData)
  XJ_PROP(SkinDataName) XJ_STORED(IsSkinDataNameStored)
  XJ_EVENT(OnMouseEnter)
  XJ_EVENT(OnMouseLeave));

XJ_PUBLISHED(TbsSkinCustomControl,
  XJ_PROP(DefaultFont)
  XJ_PROP(DefaultWidth)
  XJ_PROP(DefaultHeight)
  XJ_PROP(UseSkinFont));
