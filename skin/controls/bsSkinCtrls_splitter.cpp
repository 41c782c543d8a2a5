#include "skin/controls/bsSkinCtrls_splitter.h"

#include <algorithm>

#include "platform/vcl/Menus.h"
#include "platform/vcl/Messages.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

namespace {

// The record named Name when it is of class R, else null; Index gets its place or -1.
template <class R>
R* LookUp(TbsSkinData* Data, const AnsiString& Name, int& Index) {
  Index = !Data || Data->Empty ? -1 : Data->GetControlIndex(Name);
  if (Index == -1) return nullptr;
  auto* r = dynamic_cast<R*>(static_cast<TbsDataSkinControl*>(Data->CtrlList->Items(Index)));
  if (!r) Index = -1;  // a record of another class: unskinned
  return r;
}

// An active picture of the skin with pixels, or null.
TBitmap* ActivePicture(TbsSkinData* Data, int Index) {
  TList* list = Data->ActivePictures.get();
  if (Index < 0 || Index >= list->Count()) return nullptr;
  auto* b = static_cast<TBitmap*>(list->Items(Index));
  return b && b->Width() > 0 && b->Height() > 0 ? b : nullptr;
}

template <class Self>
void BindSkinData(Self* self, TbsSkinData*& Field, TbsSkinData* Value) {
  if (Field == Value) return;
  if (Field) Field->RemoveFreeNotification(self);
  Field = Value;
  if (Field) Field->FreeNotification(self);
}

}  // namespace

// ---- TbsSkinSplitter ------------------------------------------------------------------------------------

TbsSkinSplitter::TbsSkinSplitter(TComponent* AOwner) : TSplitter(AOwner) { FControlStyle << csOpaque; }

TbsSkinSplitter::~TbsSkinSplitter() { BindSkinData(this, FSkinData, nullptr); }

void TbsSkinSplitter::SetSkinData(TbsSkinData* Value) {
  BindSkinData(this, FSkinData, Value);
  ChangeSkinData();
}

void TbsSkinSplitter::GetSkinData() {
  Picture = nullptr;
  auto* r = LookUp<TbsDataSkinSplitterControl>(FSkinData, FSkinDataName, FSkinObjectIndex);
  if (!r) return;
  LTPoint = r->LTPoint;
  RTPoint = r->RTPoint;
  LBPoint = r->LBPoint;
  SkinRect = r->SkinRect;
  Picture = ActivePicture(FSkinData, r->PictureIndex);
}

void TbsSkinSplitter::ChangeSkinData() {
  GetSkinData();
  const bool across = Align() == alTop || Align() == alBottom;
  const int size = FSkinObjectIndex == -1 ? FDefaultSize : across ? SkinRect.Height() : SkinRect.Width();
  SetMinSize(size);
  if (across)
    SetHeight(size);
  else
    SetWidth(size);
  Repaint();
}

void TbsSkinSplitter::Notification(TComponent* AComponent, TOperation Operation) {
  TSplitter::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FSkinData) {
    FSkinData = nullptr;
    FSkinObjectIndex = -1;
    Picture = nullptr;
  }
}

void TbsSkinSplitter::Paint() {
  if (Width() < 1 || Height() < 1) return;
  GetSkinData();
  if (!Picture || Align() == alNone || Align() == alClient || SkinRect.Width() < 1 || SkinRect.Height() < 1) {
    TSplitter::Paint();
    return;
  }
  TBitmap b;
  if (Align() == alTop || Align() == alBottom)
    CreateHSkinImage(LTPoint.X, SkinRect.Width() - RTPoint.X, &b, Picture, SkinRect, Width(), SkinRect.Height());
  else
    CreateVSkinImage(LTPoint.Y, SkinRect.Height() - LBPoint.Y, &b, Picture, SkinRect, SkinRect.Width(), Height());
  Canvas()->Draw(0, 0, &b);
}

XJ_PUBLISHED(TbsSkinSplitter,
  XJ_PROP(DefaultSize, 10)
  XJ_PROP(SkinData)
  XJ_PROP(SkinDataName, "vsplitter"));

// ---- TbsSkinControlBar ----------------------------------------------------------------------------------

TbsSkinControlBar::TbsSkinControlBar(TComponent* AOwner) : TCustomControlBar(AOwner) {
  if (ComponentState().Contains(csDesigning)) {
    SetAutoSize(true);
    SetAutoDrag(false);
    SetRowSnap(false);
  }
}

TbsSkinControlBar::~TbsSkinControlBar() { BindSkinData(this, FSkinData, nullptr); }

void TbsSkinControlBar::SetSkinData(TbsSkinData* Value) {
  BindSkinData(this, FSkinData, Value);
  ChangeSkinData();
}

void TbsSkinControlBar::SetSkinBevel(bool Value) {
  if (FSkinBevel == Value) return;
  FSkinBevel = Value;
  GetSkinData();
  if (Skinned() && HandleAllocated()) RecreateWnd();
}

void TbsSkinControlBar::GetSkinData() {
  SkinPicture = nullptr;
  BGPictureIndex = -1;
  auto* r = LookUp<TbsDataSkinControlBar>(FSkinData, FSkinDataName, FSkinObjectIndex);
  if (!r) return;
  LTPoint = r->LTPoint;
  RTPoint = r->RTPoint;
  LBPoint = r->LBPoint;
  RBPoint = r->RBPoint;
  SkinRect = r->SkinRect;
  ClRect = r->ClRect;
  ItemRect = r->ItemRect;
  SkinPicture = ActivePicture(FSkinData, r->PictureIndex);
  // An index past the pictures, or a picture without pixels, is no background picture.
  if (ActivePicture(FSkinData, r->BGPictureIndex)) BGPictureIndex = r->BGPictureIndex;
}

void TbsSkinControlBar::ChangeSkinData() {
  GetSkinData();
  if (FSkinBevel && HandleAllocated())
    RecreateWnd();
  else
    Repaint();
}

void TbsSkinControlBar::CreateParams(TCreateParams& Params) {
  TCustomControlBar::CreateParams(Params);
  Params.Style &= ~WS_BORDER;
  Params.ExStyle &= ~WS_EX_CLIENTEDGE;
}

void TbsSkinControlBar::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControlBar::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FSkinData) {
    FSkinData = nullptr;
    FSkinObjectIndex = -1;
    SkinPicture = nullptr;
    BGPictureIndex = -1;
  }
}

void TbsSkinControlBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      GetSkinData();
      if (!Skinned()) break;
      Message.Result = 1;
      return;
    case WM_NCCALCSIZE: {
      GetSkinData();
      if (!Skinned()) break;
      if (FSkinBevel) {
        // The first rectangle either way: the proposed window rectangle becomes the client's.
        auto* r = reinterpret_cast<RECT*>(Message.LParam);
        r->left += ClRect.Left;
        r->top += ClRect.Top;
        r->right += ClRect.Right - SkinRect.Width();
        r->bottom += ClRect.Bottom - SkinRect.Height();
        if (r->right < r->left) r->right = r->left;
        if (r->bottom < r->top) r->bottom = r->top;
      }
      Message.Result = 0;
      return;
    }
    case WM_NCPAINT:
      GetSkinData();
      if (!Skinned()) break;
      if (FSkinBevel) PaintNCSkin();
      Message.Result = 0;
      return;
    case WM_SIZE: {
      const auto life = LifeToken();  // OnResize may free the bar
      TCustomControlBar::Dispatch(Message);
      if (life.expired()) return;
      GetSkinData();
      if (Skinned() && FSkinBevel) PaintNCSkin();
      return;
    }
    default:
      break;
  }
  TCustomControlBar::Dispatch(Message);
}

void TbsSkinControlBar::PaintNCSkin() {
  const int dW = Width() - SkinRect.Width(), dH = Height() - SkinRect.Height();
  NewLTPoint = LTPoint;
  NewRTPoint = TPoint(RTPoint.X + dW, RTPoint.Y);
  NewLBPoint = TPoint(LBPoint.X, LBPoint.Y + dH);
  NewRBPoint = TPoint(RBPoint.X + dW, RBPoint.Y + dH);
  NewClRect = TRect(ClRect.Left, ClRect.Top, ClRect.Right + dW, ClRect.Bottom + dH);
  TBitmap left, top, right, bottom;
  CreateSkinBorderImages(LTPoint, RTPoint, LBPoint, RBPoint, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint,
                         NewClRect, &left, &top, &right, &bottom, SkinPicture, SkinRect, Width(), Height());
  HDC dc = GetWindowDC(Handle());
  TCanvas c;
  c.SetHandle(dc);
  if (NewClRect.Bottom > NewClRect.Top)
    ExcludeClipRect(dc, NewClRect.Left, NewClRect.Top, NewClRect.Right, NewClRect.Bottom);
  c.Draw(0, 0, &top);
  c.Draw(0, top.Height(), &left);
  c.Draw(Width() - right.Width(), top.Height(), &right);
  c.Draw(0, Height() - bottom.Height(), &bottom);
  c.SetHandle(nullptr);
  ReleaseDC(Handle(), dc);
}

void TbsSkinControlBar::Paint() {
  GetSkinData();
  if (!Skinned()) {
    TCustomControlBar::Paint();
    return;
  }
  // Only what shows of the bar is built: it may be aligned in, or sized past, a smaller parent.
  const TbsFaceCut cut = bsVisibleFaceCut(this);
  const int w = std::min(ClientWidth(), cut.Width), h = std::min(ClientHeight(), cut.Height);
  if (w < 1 || h < 1) return;
  TBitmap b;
  b.SetSize(w, h);
  TCanvas* bc = b.Canvas();
  const TRect tile(SkinRect.Left + ClRect.Left, SkinRect.Top + ClRect.Top, SkinRect.Left + ClRect.Right,
                   SkinRect.Top + ClRect.Bottom);
  if (BGPictureIndex != -1) {
    TBitmap* bg = static_cast<TBitmap*>(FSkinData->ActivePictures->Items(BGPictureIndex));
    for (int y = 0; y < b.Height(); y += bg->Height())
      for (int x = 0; x < b.Width(); x += bg->Width()) bc->Draw(x, y, bg);
  } else if (tile.Width() > 0 && tile.Height() > 0) {
    for (int y = 0; y < b.Height(); y += tile.Height())
      for (int x = 0; x < b.Width(); x += tile.Width())
        bc->CopyRect(TRect(x, y, x + tile.Width(), y + tile.Height()), SkinPicture->Canvas(), tile);
  } else {
    // A skin without a client part has nothing to tile.
    bc->Brush()->SetColor(clBtnFace);
    bc->FillRect(TRect(0, 0, b.Width(), b.Height()));
  }
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* band = Controls(i);
    if (!band->Visible()) continue;
    TRect r = BandRect(band);
    PaintControlFrame(bc, band, r);
  }
  Canvas()->Draw(0, 0, &b);
}

void TbsSkinControlBar::PaintControlFrame(TCanvas* Canvas, TControl* AControl, TRect& ARect) {
  GetSkinData();
  const int iw = ItemRect.Width(), ih = ItemRect.Height(), w = ARect.Width(), h = ARect.Height();
  if (!Skinned() || iw < 1 || ih < 1) {
    TCustomControlBar::PaintControlFrame(Canvas, AControl, ARect);
    return;
  }
  TBitmap left, top, right, bottom;
  CreateSkinBorderImages(TPoint(12, 3), TPoint(iw - 3, 3), TPoint(12, ih - 3), TPoint(iw - 3, ih - 3),
                         TRect(11, 2, iw - 2, ih - 2), TPoint(12, 3), TPoint(w - 3, 3), TPoint(12, h - 3),
                         TPoint(w - 3, h - 3), TRect(11, 2, w - 2, h - 2), &left, &top, &right, &bottom, SkinPicture,
                         ItemRect, w, h);
  Canvas->Draw(ARect.Left, ARect.Top, &top);
  Canvas->Draw(ARect.Left, ARect.Top + top.Height(), &left);
  Canvas->Draw(ARect.Right - right.Width(), ARect.Top + top.Height(), &right);
  Canvas->Draw(ARect.Left, ARect.Bottom - bottom.Height(), &bottom);
}

XJ_PUBLISHED(TbsSkinControlBar,
  XJ_PROP(Align, alNone)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(AutoDrag, true)
  XJ_PROP(AutoSize, false)
  XJ_PROP(Color, clBtnFace) XJ_STORED(IsColorStored)
  XJ_PROP(Constraints)
  XJ_PROP(DockSite, false)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(ParentColor, false)
  XJ_PROP(ParentCtl3D, true)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(Picture)
  XJ_PROP(PopupMenu)
  XJ_PROP(RowSize, 26)
  XJ_PROP(RowSnap, true)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(SkinBevel, false)
  XJ_PROP(SkinData)
  XJ_PROP(SkinDataName, "controlbar")
  XJ_PROP(TabOrder, -1)
  XJ_PROP(TabStop, false)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnBandDrag)
  XJ_EVENT(OnBandInfo)
  XJ_EVENT(OnBandMove)
  XJ_EVENT(OnBandPaint)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnDblClick)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnPaint)
  XJ_EVENT(OnResize));
