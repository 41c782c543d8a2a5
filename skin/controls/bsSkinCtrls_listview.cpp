#include "skin/controls/bsSkinCtrls_listview.h"

#include <algorithm>
#include <vector>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"
#include "platform/win32/CommCtrl.h"
#include "skin/controls/bsSkinCtrls_scrollbar.h"
#include "skin/controls/bsSkinCtrls_viewlinks.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

namespace {

bool IsZero(const TPoint& P) { return P.X == 0 && P.Y == 0; }
int W(const TRect& R) { return R.Right - R.Left; }
int H(const TRect& R) { return R.Bottom - R.Top; }

}  // namespace

// ---- TbsHeaderSectionFaces ---------------------------------------------------------------------------------

void TbsHeaderSectionFaces::Read(TbsSkinData* Data, const AnsiString& Name) {
  // Nothing of an earlier skin is kept: its pictures may be gone.
  Picture = nullptr;
  Index = !Data || Data->Empty ? -1 : Data->GetControlIndex(Name);
  if (Index < 0) return;
  auto* rec = dynamic_cast<TbsDataSkinButtonControl*>(static_cast<TbsDataSkinControl*>(Data->CtrlList->Items(Index)));
  if (!rec) return;
  LTPoint = rec->LTPoint;
  RTPoint = rec->RTPoint;
  LBPoint = rec->LBPoint;
  RBPoint = rec->RBPoint;
  SkinRect = rec->SkinRect;
  ClRect = rec->ClRect;
  TList* pictures = Data->ActivePictures.get();
  if (rec->PictureIndex >= 0 && rec->PictureIndex < pictures->Count())
    Picture = static_cast<TBitmap*>(pictures->Items(rec->PictureIndex));
  FontName = rec->FontName;
  FontStyle = rec->FontStyle;
  FontHeight = rec->FontHeight;
  FontColor = rec->FontColor;
  ActiveFontColor = rec->ActiveFontColor;
  DownFontColor = rec->DownFontColor;
  ActiveSkinRect = IsNullRect(rec->ActiveSkinRect) ? SkinRect : rec->ActiveSkinRect;
  DownSkinRect = IsNullRect(rec->DownSkinRect) ? ActiveSkinRect : rec->DownSkinRect;
}

namespace {

// The corner points and client rectangle moved to a face grown by (dW, dH), then the face built by Make.
template <class Make>
void NineSlice(const TbsHeaderSectionFaces& F, TBitmap* B, const TRect& From, Make make) {
  const int dW = B->Width() - W(F.SkinRect), dH = B->Height() - H(F.SkinRect);
  const TPoint nRT(F.RTPoint.X + dW, F.RTPoint.Y), nLB(F.LBPoint.X, F.LBPoint.Y + dH),
      nRB(F.RBPoint.X + dW, F.RBPoint.Y + dH);
  const TRect nCl(F.ClRect.Left, F.ClRect.Top, F.ClRect.Right + dW, F.ClRect.Bottom + dH);
  make(F.LTPoint, F.RTPoint, F.LBPoint, F.RBPoint, F.ClRect, F.LTPoint, nRT, nLB, nRB, nCl, B, F.Picture, From,
       B->Width(), B->Height(), true);
}

}  // namespace

void TbsHeaderSectionFaces::DrawFace(TBitmap* B, const TRect& FaceRect) const {
  if (!IsZero(LBPoint))
    NineSlice(*this, B, FaceRect, [](auto&&... A) { CreateSkinImage(A...); });
  else
    CreateHSkinImage(LTPoint.X, W(FaceRect) - RTPoint.X, B, Picture, FaceRect, B->Width(), B->Height());
}

void TbsHeaderSectionFaces::DrawRest(TBitmap* B) const {
  if (!IsZero(LBPoint))
    NineSlice(*this, B, SkinRect, CreateSkinImage2);
  else
    CreateHSkinImage2(LTPoint.X, W(SkinRect) - RTPoint.X, B, Picture, SkinRect, B->Width(), B->Height());
}

namespace {

// Draw (which sizes its bitmap to the picture's height) into a bitmap of B's width, stretched over B.
template <class Draw>
void Fitted(const TbsHeaderSectionFaces& F, TBitmap* B, Draw draw) {
  if (!IsZero(F.LBPoint)) {
    draw(B);
    return;
  }
  TBitmap strip;
  strip.SetWidth(B->Width());
  strip.SetHeight(H(F.SkinRect));
  draw(&strip);
  B->Canvas()->StretchDraw(TRect(0, 0, B->Width(), B->Height()), &strip);
}

// The one-pixel frame and the fill of a section in the flat look; Face ends up inside the frame.
void DrawFlatFace(TCanvas* C, TRect& Face, bool Active, bool Pressed) {
  bsDrawLookFace(C, Face, bsLookState(Pressed, Active));
}

// A section's caption and image inside Face, 5 pixels in from each side. A caption too long is cut to
// fit with "..."; next to an image, a cut caption keeps the left start whatever the alignment.
void DrawSectionCaption(TCanvas* C, TRect Face, AnsiString S, TCustomImageList* Images, int Image,
                        TAlignment Alignment) {
  C->Brush()->SetStyle(bsClear);
  Face.Left += 5;
  Face.Right -= 5;
  int tx = Face.Left;
  if (Images && Image >= 0 && Image < Images->Count()) {
    const AnsiString whole = S;
    CorrectTextbyWidth(C, S, W(Face) - 10 - Images->Width());
    const int tw = C->TextWidth(S);
    int x = Face.Left;
    if (S == whole) {
      if (Alignment == taRightJustify)
        x = Face.Right - tw - Images->Width() - 10;
      else if (Alignment == taCenter)
        x = Face.Left + W(Face) / 2 - (tw + Images->Width() + 10) / 2;
    }
    Images->Draw(C, x, Face.Top + H(Face) / 2 - Images->Height() / 2, Image, true);
    tx = x + Images->Width() + 10;
  } else {
    CorrectTextbyWidth(C, S, W(Face));
    const int tw = C->TextWidth(S);
    if (Alignment == taRightJustify)
      tx = Face.Right - tw - 10;
    else if (Alignment == taCenter)
      tx = Face.Left + W(Face) / 2 - tw / 2;
  }
  C->TextRect(Face, tx, Face.Top + H(Face) / 2 - C->TextHeight(S) / 2, S);
}

}  // namespace

void TbsHeaderSectionFaces::DrawFaceFitted(TBitmap* B, const TRect& FaceRect) const {
  Fitted(*this, B, [&](TBitmap* To) { DrawFace(To, FaceRect); });
}

void TbsHeaderSectionFaces::DrawRestFitted(TBitmap* B) const {
  Fitted(*this, B, [&](TBitmap* To) { DrawRest(To); });
}

// ---- TbsSkinHeaderControl ----------------------------------------------------------------------------------

TbsSkinHeaderControl::TbsSkinHeaderControl(TComponent* AOwner)
    : THeaderControl(AOwner), FDefaultFont(std::make_unique<TFont>()) {
  FDefaultFont->SetName("宋体");
  FDefaultFont->SetHeight(12);
  FDefaultFont->SetStyle({});
}

TbsSkinHeaderControl::~TbsSkinHeaderControl() {
  if (FSkinData) FSkinData->RemoveFreeNotification(this);
}

void TbsSkinHeaderControl::SetSkinData(TbsSkinData* Value) {
  if (FSkinData != Value) {
    if (FSkinData) FSkinData->RemoveFreeNotification(this);
    FSkinData = Value;
    if (FSkinData) FSkinData->FreeNotification(this);
  }
  if (Value && !Value->Empty && !ComponentState().Contains(csDesigning)) ChangeSkinData();
}

void TbsSkinHeaderControl::SetDefaultFont(TFont* Value) {
  FDefaultFont->Assign(Value);
  if (!Skinned()) Font()->Assign(Value);
}

void TbsSkinHeaderControl::SetDefaultHeight(int Value) {
  FDefaultHeight = Value;
  if (!Skinned() && Value > 0) SetHeight(Value);
}

void TbsSkinHeaderControl::GetSkinData() { FFaces.Read(FSkinData, FSkinDataName); }

int TbsSkinHeaderControl::ForcedHeight() const {
  if (Skinned()) return IsZero(FFaces.LBPoint) ? H(FFaces.SkinRect) : 0;
  return FDefaultHeight;
}

void TbsSkinHeaderControl::ChangeSkinData() {
  GetSkinData();
  if (const int h = ForcedHeight()) SetHeight(h);
  if (HandleAllocated()) Repaint();
}

void TbsSkinHeaderControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  GetSkinData();
  if (AHeight != Height())
    if (const int h = ForcedHeight()) AHeight = h;
  THeaderControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TbsSkinHeaderControl::Notification(TComponent* AComponent, TOperation Operation) {
  THeaderControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FSkinData) {
    FSkinData = nullptr;
    GetSkinData();
  }
}

void TbsSkinHeaderControl::CreateWnd() {
  THeaderControl::CreateWnd();
  for (int i = 0; i < Sections()->Count(); ++i) Sections()->Items(i)->SetStyle(hsOwnerDraw);
}

// A display position goes through the header's order array to its section, whether or not sections were
// dragged, so caption and rectangle always belong together.
THeaderSection* TbsSkinHeaderControl::SectionAt(int Index) {
  const int count = HandleAllocated() ? (int)Perform(HDM_GETITEMCOUNT, 0, 0) : 0;
  if (Index < 0 || Index >= count) return nullptr;
  std::vector<int> order(count);
  Perform(HDM_GETORDERARRAY, (WPARAM)count, (LPARAM)order.data());
  const int item = order[Index];
  return item >= 0 && item < Sections()->Count() ? Sections()->Items(item) : nullptr;
}

int TbsSkinHeaderControl::PositionOf(int Item) {
  const int count = HandleAllocated() ? (int)Perform(HDM_GETITEMCOUNT, 0, 0) : 0;
  std::vector<int> order(count);
  if (count) Perform(HDM_GETORDERARRAY, (WPARAM)count, (LPARAM)order.data());
  const auto it = std::find(order.begin(), order.end(), Item);
  return it == order.end() ? -1 : (int)(it - order.begin());
}

TRect TbsSkinHeaderControl::GetSkinItemRect(int Index) {
  RECT r {};
  if (THeaderSection* s = SectionAt(Index)) Perform(HDM_GETITEMRECT, (WPARAM)s->Index(), (LPARAM)&r);
  return r;
}

TRect TbsSkinHeaderControl::DrawSkinSection(TCanvas* Cnvs, int Index, bool Active, bool Pressed) {
  const TRect r = GetSkinItemRect(Index);
  DrawSkinSectionR(Cnvs, SectionAt(Index), Active, Pressed, r);
  return r;
}

void TbsSkinHeaderControl::DrawSkinSectionR(TCanvas* Cnvs, THeaderSection* Section, bool Active, bool Pressed,
                                            const TRect& R) {
  GetSkinData();
  if (!Section || W(R) < 1 || H(R) < 1) return;
  const bool skinned = Skinned();
  TBitmap b;
  b.SetWidth(W(R));
  b.SetHeight(skinned && IsZero(FFaces.LBPoint) ? H(FFaces.SkinRect) : H(R));
  TCanvas* c = b.Canvas();
  TRect face(0, 0, b.Width(), b.Height());
  if (!skinned) {
    DrawFlatFace(c, face, Active, Pressed);
    c->Font()->Assign(FDefaultFont.get());
  } else {
    c->Font()->Assign(FDefaultFont.get());  // the charset stays the default font's
    if (FUseSkinFont) {
      c->Font()->SetName(FFaces.FontName);
      c->Font()->SetHeight(FFaces.FontHeight);
      c->Font()->SetStyle(FFaces.FontStyle);
    }
    const TRect& from = Pressed ? FFaces.DownSkinRect : Active ? FFaces.ActiveSkinRect : FFaces.SkinRect;
    FFaces.DrawFace(&b, from);
    c->Font()->SetColor(Pressed ? FFaces.DownFontColor : Active ? FFaces.ActiveFontColor : FFaces.FontColor);
  }
  if (OnDrawSkinSection) {
    c->Brush()->SetStyle(bsClear);
    auto life = LifeToken();
    OnDrawSkinSection(this, Section, face, Active, Pressed, c);
    if (life.expired()) return;
  } else {
    DrawSectionCaption(c, face, Section->Text(), Images(), Section->ImageIndex(), Section->Alignment());
  }
  Cnvs->Draw(R.Left, R.Top, &b);
}

void TbsSkinHeaderControl::PaintWindow(HDC DC) {
  GetSkinData();
  if (!HandleAllocated() || !DC || Width() < 1 || Height() < 1) return;
  const int saved = SaveDC(DC);
  {
    // OnDrawSkinSection may free the header.
    const auto life = LifeToken();
    TCanvasDCScope lend(Canvas(), DC, life);
    int right = 0;
    const int count = (int)Perform(HDM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
      const bool here = i == FActiveSection;
      right = std::max(right, DrawSkinSection(Canvas(), i, here && !FLeftButtonDown, here && FLeftButtonDown).Right);
      if (life.expired()) {
        RestoreDC(DC, saved);
        return;
      }
    }
    TRect rest(right, 0, Width() + 1, Height());
    if (rest.Left < rest.Right) {
      if (!Skinned()) {
        Canvas()->Brush()->SetColor(clBtnFace);
        Canvas()->Brush()->SetStyle(bsSolid);
        Canvas()->FillRect(rest);
        Frame3D(Canvas(), rest, clBtnShadow, clBtnShadow, 1);
      } else {
        TBitmap b;
        b.SetWidth(W(rest));
        b.SetHeight(IsZero(FFaces.LBPoint) ? H(FFaces.SkinRect) : H(rest));
        FFaces.DrawRest(&b);
        Canvas()->Draw(rest.Left, rest.Top, &b);
      }
    }
  }
  RestoreDC(DC, saved);
}

void TbsSkinHeaderControl::DrawSection(THeaderSection* Section, const TRect& Rect, bool Pressed) {
  // Draws the section it was given, and nothing for one the header does not show.
  if (Section && PositionOf(Section->Index()) >= 0) DrawSkinSectionR(Canvas(), Section, false, Pressed, Rect);
}

void TbsSkinHeaderControl::DrawAt(int Index, bool Active) {
  if (Index < 0 || !HandleAllocated()) return;
  const HWND wnd = Handle();
  HDC dc = GetDC(wnd);
  {
    TCanvasDCScope lend(Canvas(), dc, LifeToken());
    DrawSkinSection(Canvas(), Index, Active, false);
  }
  ReleaseDC(wnd, dc);
}

void TbsSkinHeaderControl::TestActive(int X, int Y) {
  FOldActiveSection = FActiveSection;
  FActiveSection = -1;
  const int count = HandleAllocated() ? (int)Perform(HDM_GETITEMCOUNT, 0, 0) : 0;
  const POINT p { X, Y };
  for (int i = 0; i < count; ++i) {
    const RECT r = GetSkinItemRect(i);
    if (PtInRect(&r, p)) {
      FActiveSection = i;
      break;
    }
  }
  if (FActiveSection == FOldActiveSection || FDraggingSection) return;
  // Only the section left and the section entered, at once.
  DrawAt(FOldActiveSection, false);
  DrawAt(FActiveSection, true);
}

void TbsSkinHeaderControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && !FOnDivider && Style() == hsButtons) {
    FLeftButtonDown = true;
    Invalidate();
  }
  THeaderControl::MouseDown(Button, Shift, X, Y);
}

void TbsSkinHeaderControl::MouseMove(TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  THeaderControl::MouseMove(Shift, X, Y);
  if (life.expired()) return;
  FDraggingSection = FLeftButtonDown && DragReorder();
  if (!ComponentState().Contains(csDesigning) && !FDraggingSection) TestActive(X, Y);
}

void TbsSkinHeaderControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  THeaderControl::MouseUp(Button, Shift, X, Y);
  if (life.expired()) return;
  const bool wasDragging = FDraggingSection;
  FDraggingSection = false;
  FActiveSection = FOldActiveSection = -1;
  if (Button != mbLeft || ComponentState().Contains(csDesigning) || Style() != hsButtons) return;
  TestActive(X, Y);
  Invalidate();
  FLeftButtonDown = false;
  if (FActiveSection != -1 && !FOnDivider && !wasDragging && OnSkinSectionClick)
    if (THeaderSection* s = SectionAt(FActiveSection)) OnSkinSectionClick(this, s);
}

void TbsSkinHeaderControl::WndProc(TMessage& Message) {
  THeaderControl::WndProc(Message);
  if (Message.Msg == HDM_HITTEST && Message.LParam)
    FOnDivider = reinterpret_cast<HDHITTESTINFO*>(Message.LParam)->flags == HHT_ONDIVIDER;
}

void TbsSkinHeaderControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT:
      // The control paints every pixel itself; the native header never does.
      PaintHandler(reinterpret_cast<TWMPaint&>(Message));
      return;
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case CM_MOUSEENTER:
      if (!FLeftButtonDown) Invalidate();
      return;
    case CM_MOUSELEAVE:
      FActiveSection = FOldActiveSection = -1;
      if (!FLeftButtonDown) Invalidate();
      return;
  }
  THeaderControl::Dispatch(Message);
}

// ---- TbsSkinCustomListView ---------------------------------------------------------------------------------

using namespace bsviews;

TbsSkinCustomListView::TbsSkinCustomListView(TComponent* AOwner)
    : TCustomListView(AOwner),
      FDefaultFont(NewDefaultFont()),
      FHeaderInstance(MakeObjectInstance(TWndMethod(this, &TbsSkinCustomListView::HeaderWndProc))) {
  Font()->Assign(FDefaultFont.get());
}

TbsSkinCustomListView::~TbsSkinCustomListView() {
  ReleaseHeader();
  FreeObjectInstance(FHeaderInstance);
  Release(this, FLinks);
}

void TbsSkinCustomListView::SetSkinData(TbsSkinData* Value) {
  if (StoreSkin(this, FLinks, Value)) ChangeSkinData();
}

void TbsSkinCustomListView::SetDefaultColor(TColor Value) {
  FDefaultColor = Value;
  if (FSkinObjectIndex == -1) SetColor(Value);
}

void TbsSkinCustomListView::SetDefaultFont(TFont* Value) {
  FDefaultFont->Assign(Value);
  if (FSkinObjectIndex == -1) Font()->Assign(Value);
}

void TbsSkinCustomListView::SetVScrollBar(TbsSkinScrollBar* Value) {
  LinkShownBar(this, FLinks.VScrollBar, Value, TNotifyEvent(this, &TbsSkinCustomListView::OnVScrollBarChange));
  UpDateScrollBars();
}

void TbsSkinCustomListView::SetHScrollBar(TbsSkinScrollBar* Value) {
  LinkShownBar(this, FLinks.HScrollBar, Value, TNotifyEvent(this, &TbsSkinCustomListView::OnHScrollBarChange));
  UpDateScrollBars();
}

void TbsSkinCustomListView::BeforeChangeSkinData() { FHeaderFaces.Read(nullptr, FHeaderSkinDataName); }

void TbsSkinCustomListView::ChangeSkinData() {
  FSkinObjectIndex = ViewSkinIndex(FLinks.SkinData, FSkinDataName);
  ApplyViewLook<TbsDataSkinListView>(this, Font(), FLinks.SkinData, FSkinObjectIndex, FUseSkinFont, FDefaultFont.get(),
                                     FDefaultColor);
  HGetSkinData();
  if (FHeaderHandle) RedrawWindow(FHeaderHandle, nullptr, nullptr, RDW_INVALIDATE);
  UpDateScrollBars();
  RealignBars(FLinks);
}

// ---- Bars ----------------------------------------------------------------------------------------------

TRect TbsSkinCustomListView::FirstItemBounds() {
  RECT r { LVIR_BOUNDS, 0, 0, 0 };
  if (Items()->Count() == 0 || !Perform(LVM_GETITEMRECT, 0, (LPARAM)&r)) return TRect();
  return r;
}

void TbsSkinCustomListView::UpDateScrollBars() {
  if (!HandleAllocated() || FScrollingByBar || Width() < 6 || Height() < 6) return;
  switch (ViewStyle()) {
    case vsIcon:
    case vsSmallIcon:
      UpDateScrollBars1();
      break;
    case vsReport:
      UpDateScrollBars2();
      break;
    case vsList:
      UpDateScrollBars3();
      break;
  }
}

namespace {

struct NativeRange {
  int Min { 0 }, Max { 0 }, Pos { 0 };
};

NativeRange ReadRange(HWND View, int Which) {
  NativeRange r;
  GetScrollRange(View, Which, &r.Min, &r.Max);
  r.Pos = GetScrollPos(View, Which);
  return r;
}

}  // namespace

// Icons: both bars in pixels, a step of half an item.
void TbsSkinCustomListView::UpDateScrollBars1() {
  if (FScrollBarsUpdating) return;
  bool changed = false;
  const int step = std::max(1, H(FirstItemBounds()) / 2);
  const auto life = LifeToken();  // a bar shown or hidden realigns the parent: OnResize may free the view
  auto fit = [&](TbsSkinScrollBar* Bar, int Which, int Extent, int& Last) {
    if (!Bar) return;
    const NativeRange r = ReadRange(Handle(), Which);
    changed |= ShowBar(this, Bar, r.Max > Extent && Visible(), FScrollBarsUpdating);
    if (life.expired() || !Bar->Visible()) return;
    Bar->SetSmallChange(step);
    Bar->SetLargeChange(step);
    Bar->SetRange(r.Min, r.Max, r.Pos, Extent);
    Last = r.Pos;
  };
  fit(FLinks.VScrollBar, SB_VERT, Height(), FLastVPosition);
  if (life.expired()) return;
  fit(FLinks.HScrollBar, SB_HORZ, Width(), FLastHPosition);
  if (life.expired()) return;
  FitCorner(FLinks);
  RealignWithParent(this, changed, FScrollBarsUpdating);
}

// Report: the vertical bar in rows, the horizontal one in pixels.
void TbsSkinCustomListView::UpDateScrollBars2() {
  if (FScrollBarsUpdating) return;
  bool changed = false;
  const auto life = LifeToken();  // a bar shown or hidden realigns the parent: OnResize may free the view
  if (TbsSkinScrollBar* bar = FLinks.VScrollBar) {
    const NativeRange r = ReadRange(Handle(), SB_VERT);
    const int rows = (int)Perform(LVM_GETCOUNTPERPAGE, 0, 0);
    changed |= ShowBar(this, bar, rows < r.Max && Visible(), FScrollBarsUpdating);
    if (life.expired()) return;
    if (bar->Visible()) {
      bar->SetRange(r.Min, r.Max, r.Pos, rows);
      FLastVPosition = r.Pos;
      bar->SetSmallChange(1);
      bar->SetLargeChange(1);
    }
  }
  if (TbsSkinScrollBar* bar = FLinks.HScrollBar) {
    const NativeRange r = ReadRange(Handle(), SB_HORZ);
    changed |= ShowBar(this, bar, r.Max > Width() && Visible(), FScrollBarsUpdating);
    if (life.expired()) return;
    if (bar->Visible()) {
      bar->SetRange(r.Min, r.Max, r.Pos, Width());
      FLastHPosition = r.Pos;
    }
  }
  FitCorner(FLinks);
  RealignWithParent(this, changed, FScrollBarsUpdating);
}

// List: no vertical scrolling; the horizontal bar counts columns.
void TbsSkinCustomListView::UpDateScrollBars3() {
  if (FScrollBarsUpdating) return;
  bool changed = false;
  const auto life = LifeToken();  // a bar shown or hidden realigns the parent: OnResize may free the view
  if (FLinks.VScrollBar && FLinks.VScrollBar->Visible())
    changed |= ShowBar(this, FLinks.VScrollBar, false, FScrollBarsUpdating);
  if (life.expired()) return;
  if (TbsSkinScrollBar* bar = FLinks.HScrollBar) {
    const NativeRange r = ReadRange(Handle(), SB_HORZ);
    const int columnWidth = std::max(1, W(FirstItemBounds()));
    const int count = (int)Perform(LVM_GETITEMCOUNT, 0, 0);
    changed |= ShowBar(this, bar, count > (int)Perform(LVM_GETCOUNTPERPAGE, 0, 0) && Visible(), FScrollBarsUpdating);
    if (life.expired()) return;
    if (bar->Visible()) {
      bar->SetRange(r.Min, r.Max, r.Pos, Width() / columnWidth);
      bar->SetSmallChange(1);
      bar->SetLargeChange(1);
      FLastHPosition = r.Pos;
    }
  }
  FitCorner(FLinks);
  RealignWithParent(this, changed, FScrollBarsUpdating);
}

// In report view a bar position is a row, in list view a column: the view goes straight there, in one
// step however far and whatever the rows' height.
void TbsSkinCustomListView::OnVScrollBarChange(TObject*) {
  if (!HandleAllocated()) return;
  auto life = LifeToken();  // the scroll may run the view's handlers, and they may free it
  TControlChange byBar(this, FScrollingByBar, true);
  const int position = FLinks.VScrollBar->Position();
  if (ViewStyle() == vsIcon || ViewStyle() == vsSmallIcon)
    Perform(LVM_SCROLL, 0, (LPARAM)(position - FLastVPosition));
  else  // straight to the row: a distance in pixels may be past what an int holds
    Perform(WM_VSCROLL, MAKEWPARAM(SBX_THUMBPOSITION32, 0), (LPARAM)position);
  if (!life.expired() && FLinks.VScrollBar) FLastVPosition = FLinks.VScrollBar->Position();
}

void TbsSkinCustomListView::OnHScrollBarChange(TObject*) {
  if (!HandleAllocated()) return;
  auto life = LifeToken();  // the scroll may run the view's handlers, and they may free it
  TControlChange byBar(this, FScrollingByBar, true);
  const int position = FLinks.HScrollBar->Position();
  if (ViewStyle() == vsList)  // straight to the column
    Perform(WM_HSCROLL, MAKEWPARAM(SBX_THUMBPOSITION32, 0), (LPARAM)position);
  else
    Perform(LVM_SCROLL, (WPARAM)(position - FLastHPosition), 0);
  if (!life.expired() && FLinks.HScrollBar) FLastHPosition = FLinks.HScrollBar->Position();
}

// ---- The report header ----------------------------------------------------------------------------------

void TbsSkinCustomListView::HGetSkinData() { FHeaderFaces.Read(FLinks.SkinData, FHeaderSkinDataName); }

std::vector<int> TbsSkinCustomListView::HeaderOrder() {
  const int count = FHeaderHandle ? (int)SendMessageA(FHeaderHandle, HDM_GETITEMCOUNT, 0, 0) : 0;
  std::vector<int> order(std::max(count, 0));
  if (!order.empty() && !SendMessageA(FHeaderHandle, HDM_GETORDERARRAY, order.size(), (LPARAM)order.data()))
    order.clear();
  return order;
}

TListColumn* TbsSkinCustomListView::ColumnAt(int Index) {
  const std::vector<int> order = HeaderOrder();
  if (Index < 0 || Index >= (int)order.size()) return nullptr;
  const int item = order[Index];
  return item >= 0 && item < Columns()->Count() ? Columns()->Items(item) : nullptr;
}

TRect TbsSkinCustomListView::GetHeaderSectionRect(int Index) {
  const std::vector<int> order = HeaderOrder();
  RECT r {};
  if (Index >= 0 && Index < (int)order.size()) SendMessageA(FHeaderHandle, HDM_GETITEMRECT, order[Index], (LPARAM)&r);
  return r;
}

void TbsSkinCustomListView::HeaderSectionHitTest(TPoint P) {
  FPressedSection = -1;
  const int count = (int)HeaderOrder().size();
  const POINT p { P.X, P.Y };
  for (int i = 0; i < count; ++i) {
    const RECT r = GetHeaderSectionRect(i);
    if (PtInRect(&r, p)) {
      FPressedSection = i;
      return;
    }
  }
}

// Takes over a new header window; at most one is held.
void TbsSkinCustomListView::TakeHeader(HWND Header) {
  ReleaseHeader();
  FHeaderHandle = Header;
  FOldHeaderProc = WNDPROC(SetWindowLongPtrA(Header, GWLP_WNDPROC, FHeaderInstance.Value()));
}

// Gives a live header back its own procedure, unless someone subclassed it after us.
void TbsSkinCustomListView::ReleaseHeader() {
  if (FHeaderHandle && IsWindow(FHeaderHandle) &&
      WNDPROC(GetWindowLongPtrA(FHeaderHandle, GWLP_WNDPROC)) == FHeaderInstance)
    SetWindowLongPtrA(FHeaderHandle, GWLP_WNDPROC, FOldHeaderProc.Value());
  FHeaderHandle = nullptr;
  FOldHeaderProc = WNDPROC();
}

void TbsSkinCustomListView::HeaderWndProc(TMessage& Message) {
  const HWND header = FHeaderHandle;
  switch (Message.Msg) {
    case WM_PAINT:
      PaintHeader((HDC)Message.WParam);
      Message.Result = 0;
      return;
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
  }
  auto life = LifeToken();
  const WNDPROC old = FOldHeaderProc;
  Message.Result = CallWindowProcA(old, header, Message.Msg, Message.WParam, Message.LParam);
  // A handler the header called may have freed the view.
  if (life.expired()) return;
  switch (Message.Msg) {
    case WM_NCDESTROY:
      // The window is gone: nothing is left to give back.
      if (header == FHeaderHandle) {
        FHeaderHandle = nullptr;
        FOldHeaderProc = WNDPROC();
      }
      break;
    case WM_LBUTTONDOWN: {
      if (header != FHeaderHandle) break;
      const TPoint p(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
      HeaderSectionHitTest(p);
      HDHITTESTINFO hit {};
      hit.pt = POINT { p.X, p.Y };
      SendMessageA(header, HDM_HITTEST, 0, (LPARAM)&hit);
      FHeaderPressed = hit.flags != HHT_ONDIVIDER;
      RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE);
      break;
    }
    case WM_LBUTTONUP:
      FHeaderPressed = false;
      FPressedSection = -1;
      if (header == FHeaderHandle) RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE);
      break;
  }
}

void TbsSkinCustomListView::PaintHeader(HDC DC) {
  const HWND header = FHeaderHandle;
  if (!header) return;
  PAINTSTRUCT ps {};
  HDC dc = DC ? DC : BeginPaint(header, &ps);
  if (dc) {
    TCanvas canvas;
    TCanvasDCScope lend(&canvas, dc);
    RECT client {};
    ::GetClientRect(header, &client);
    HGetSkinData();
    // Each display position goes through the order array to its column, for the rectangle and the caption
    // alike, so a column dragged elsewhere takes its caption and image along.
    const std::vector<int> order = HeaderOrder();
    int right = 0;
    for (int i = 0; i < (int)order.size(); ++i) {
      RECT r {};
      SendMessageA(header, HDM_GETITEMRECT, order[i], (LPARAM)&r);
      TListColumn* column = order[i] < Columns()->Count() ? Columns()->Items(order[i]) : nullptr;
      auto life = LifeToken();
      DrawHeaderSection(&canvas, column, false, i == FPressedSection && FHeaderPressed, r);
      if (life.expired()) return;
      right = std::max(right, (int)r.right);
    }
    // Right of the last section; without sections it is as high as the header.
    const TRect rest(right, 0, client.right + 1, client.bottom);
    if (rest.Left < rest.Right && H(rest) > 0) {
      if (FHeaderFaces.Flat()) {
        canvas.Brush()->SetColor(clBtnFace);
        canvas.Brush()->SetStyle(bsSolid);
        canvas.FillRect(rest);
        TRect frame = rest;
        Frame3D(&canvas, frame, clBtnShadow, clBtnShadow, 1);
      } else {
        TBitmap b;
        b.SetWidth(W(rest));
        b.SetHeight(H(rest));
        FHeaderFaces.DrawRestFitted(&b);
        canvas.Draw(rest.Left, rest.Top, &b);
      }
    }
  }
  if (!DC) EndPaint(header, &ps);
}

void TbsSkinCustomListView::DrawHeaderSection(TCanvas* Cnvs, TListColumn* Column, bool Active, bool Pressed,
                                              const TRect& R) {
  if (W(R) < 1 || H(R) < 1) return;
  HGetSkinData();
  TBitmap b;
  b.SetWidth(W(R));
  b.SetHeight(H(R));
  TCanvas* c = b.Canvas();
  TRect face(0, 0, b.Width(), b.Height());
  c->Font()->Assign(Font());
  if (FHeaderFaces.Flat()) {
    DrawFlatFace(c, face, Active, Pressed);
    c->Font()->SetColor(clBtnText);
  } else {
    FHeaderFaces.DrawFaceFitted(&b, Pressed ? FHeaderFaces.DownSkinRect : FHeaderFaces.SkinRect);
    c->Font()->SetColor(Pressed ? FHeaderFaces.DownFontColor : FHeaderFaces.FontColor);
  }
  if (OnDrawHeaderSection) {
    c->Brush()->SetStyle(bsClear);
    auto life = LifeToken();
    OnDrawHeaderSection(c, Column, Pressed, TRect(0, 0, b.Width(), b.Height()));
    if (life.expired()) return;
  } else if (Column) {
    DrawSectionCaption(c, face, Column->Caption(), SmallImages(), Column->ImageIndex(), Column->Alignment());
  }
  Cnvs->Draw(R.Left, R.Top, &b);
}

// ---- Messages -------------------------------------------------------------------------------------------

void TbsSkinCustomListView::WndProc(TMessage& Message) {
  // Every report header the view creates (again after a style change or a new window) is taken over.
  if (Message.Msg == WM_PARENTNOTIFY && LOWORD(Message.WParam) == WM_CREATE && ShowColumnHeaders()) {
    const HWND child = (HWND)Message.LParam;
    char name[80] {};
    GetClassNameA(child, name, sizeof name);
    if (std::string(name) == WC_HEADERA) TakeHeader(child);
  }
  auto life = LifeToken();
  TCustomListView::WndProc(Message);
  if (!life.expired() && BarsFollow(Message.Msg, FScrollBarsUpdating)) UpDateScrollBars();
}

void TbsSkinCustomListView::Dispatch(TMessage& Message) {
  if (!BarelessDispatch(this, FLinks, Message, [this](TMessage& M) { TCustomListView::Dispatch(M); }))
    TCustomListView::Dispatch(Message);
}

void TbsSkinCustomListView::Loaded() {
  TCustomListView::Loaded();
  ChangeSkinData();
}

void TbsSkinCustomListView::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomListView::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FLinks.SkinData) BeforeChangeSkinData();
  Forget(AComponent, FLinks);
}

void TbsSkinCustomListView::CreateParams(TCreateParams& Params) {
  TCustomListView::CreateParams(Params);
  Params.Style &= ~(WS_HSCROLL | WS_VSCROLL);
}

XJ_PUBLISHED(TbsSkinHeaderControl,
  XJ_PROP(DefaultFont)
  XJ_PROP(DefaultHeight)
  XJ_PROP(UseSkinFont)
  XJ_PROP(SkinData)
  XJ_PROP(SkinDataName)
  XJ_EVENT(OnSkinSectionClick)
  XJ_EVENT(OnDrawSkinSection));

XJ_PUBLISHED(TbsSkinCustomListView);
XJ_PUBLISHED(TbsSkinListView,
  XJ_PROP(HeaderSkinDataName)
  XJ_PROP(HScrollBar)
  XJ_PROP(VScrollBar)
  XJ_PROP(DefaultFont)
  XJ_PROP(UseSkinFont)
  XJ_PROP(SkinData)
  XJ_PROP(SkinDataName)
  XJ_PROP(DefaultColor)
  XJ_EVENT(OnDrawHeaderSection)
  XJ_PROP(Action)
  XJ_PROP(Align, alNone)
  XJ_PROP(AllocBy, 0)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(BiDiMode, bdLeftToRight)
  XJ_PROP(Checkboxes, false)
  XJ_PROP(Color) XJ_STORED(IsColorStored)
  XJ_PROP(Columns)
  XJ_PROP(ColumnClick, true)
  XJ_PROP(Constraints)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(FullDrag, false)
  XJ_PROP(GridLines, false)
  XJ_PROP(HideSelection, true)
  XJ_PROP(HotTrack, false)
  XJ_PROP(HotTrackStyles, {})
  XJ_PROP(HoverTime, -1)
  XJ_PROP(IconOptions)
  XJ_PROP(LargeImages)
  XJ_PROP(MultiSelect, false)
  XJ_PROP(OwnerData, false)
  XJ_PROP(OwnerDraw, false)
  XJ_PROP(ReadOnly, false)
  XJ_PROP(RowSelect, false)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(ParentColor, false)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowColumnHeaders, true)
  XJ_PROP(ShowWorkAreas, false)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(SmallImages)
  XJ_PROP(SortType, stNone)
  XJ_PROP(StateImages)
  XJ_PROP(TabOrder)
  XJ_PROP(TabStop, true)
  XJ_PROP(ViewStyle, vsIcon)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnAdvancedCustomDraw)
  XJ_EVENT(OnAdvancedCustomDrawItem)
  XJ_EVENT(OnAdvancedCustomDrawSubItem)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnChanging)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnColumnClick)
  XJ_EVENT(OnColumnDragged)
  XJ_EVENT(OnColumnRightClick)
  XJ_EVENT(OnCompare)
  XJ_EVENT(OnContextPopup)
  XJ_EVENT(OnCustomDraw)
  XJ_EVENT(OnCustomDrawItem)
  XJ_EVENT(OnCustomDrawSubItem)
  XJ_EVENT(OnData)
  XJ_EVENT(OnDataFind)
  XJ_EVENT(OnDataHint)
  XJ_EVENT(OnDataStateChange)
  XJ_EVENT(OnDblClick)
  XJ_EVENT(OnDeletion)
  XJ_EVENT(OnDrawItem)
  XJ_EVENT(OnEdited)
  XJ_EVENT(OnEditing)
  XJ_EVENT(OnEndDock)
  XJ_EVENT(OnEndDrag)
  XJ_EVENT(OnEnter)
  XJ_EVENT(OnExit)
  XJ_EVENT(OnGetImageIndex)
  XJ_EVENT(OnGetSubItemImage)
  XJ_EVENT(OnInfoTip)
  XJ_EVENT(OnInsert)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnKeyDown)
  XJ_EVENT(OnKeyPress)
  XJ_EVENT(OnKeyUp)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnResize)
  XJ_EVENT(OnSelectItem)
  XJ_EVENT(OnStartDock)
  XJ_EVENT(OnStartDrag));
