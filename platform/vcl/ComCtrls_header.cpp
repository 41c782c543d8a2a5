// THeaderControl, its sections, and their streaming.

#include <algorithm>
#include <vector>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/win32/CommCtrl.h"

namespace {

int HeaderFormat(TAlignment Alignment) {
  return Alignment == taRightJustify ? HDF_RIGHT : Alignment == taCenter ? HDF_CENTER : HDF_LEFT;
}

}  // namespace

// ---- THeaderSection ----------------------------------------------------------------------------------

void THeaderSection::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<THeaderSection*>(Source);
  if (!s) {
    TCollectionItem::Assign(Source);
    return;
  }
  FAlignment = s->FAlignment;
  FAllowClick = s->FAllowClick;
  FImageIndex = s->FImageIndex;
  FMaxWidth = s->FMaxWidth;
  FMinWidth = s->FMinWidth;
  FStyle = s->FStyle;
  FText = s->FText;
  FWidth = s->FWidth;
  Changed(false);
}

void THeaderSection::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Changed(false);
}

void THeaderSection::SetImageIndex(int Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  Changed(false);
}

void THeaderSection::SetMaxWidth(int Value) {
  FMaxWidth = std::max(Value, FMinWidth);
  SetWidth(FWidth);
}

void THeaderSection::SetMinWidth(int Value) {
  FMinWidth = std::clamp(Value, 0, FMaxWidth);
  SetWidth(FWidth);
}

void THeaderSection::SetStyle(THeaderSectionStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Changed(false);
}

void THeaderSection::SetText(const AnsiString& Value) {
  if (FText == Value) return;
  FText = Value;
  Changed(false);
}

void THeaderSection::SetWidth(int Value) {
  Value = std::clamp(Value, FMinWidth, FMaxWidth);
  if (FWidth == Value) return;
  FWidth = Value;
  Changed(false);
}

// The sections before this one in the display order (the window's, once there is one).
int THeaderSection::Left() const {
  auto* sections = static_cast<THeaderSections*>(Collection());
  const int count = sections->Count();
  std::vector<int> order(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) order[static_cast<size_t>(i)] = i;
  THeaderControl* control = dynamic_cast<THeaderControl*>(sections->Owner());
  if (control && control->HandleAllocated())
    control->Perform(HDM_GETORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order.data()));
  int x = 0;
  for (int k : order) {
    if (k == Index()) break;
    if (k >= 0 && k < count) x += sections->Items(k)->FWidth;
  }
  return x;
}

AnsiString THeaderSection::GetDisplayName() const { return FText.empty() ? TCollectionItem::GetDisplayName() : FText; }

// ---- THeaderSections ----------------------------------------------------------------------------------

THeaderSections::THeaderSections(THeaderControl* HeaderControl)
    : TCollection(THeaderSection::StaticClass()), FHeaderControl(HeaderControl) {}

TPersistent* THeaderSections::GetOwner() { return FHeaderControl; }

void THeaderSections::Update(TCollectionItem* Item) {
  if (Item)
    FHeaderControl->UpdateSection(Item->Index());
  else
    FHeaderControl->UpdateSections();
}

// ---- THeaderControl ------------------------------------------------------------------------------------

THeaderControl::THeaderControl(TComponent* AOwner)
    : TWinControl(AOwner),
      FSections(std::make_unique<THeaderSections>(this)),
      FCanvas(std::make_unique<TControlCanvas>()) {
  FControlStyle = TControlStyle {};
  FCanvas->SetControl(this);
  SetAlign(alTop);
  SetBounds(0, 0, 170, 17);
}

THeaderControl::~THeaderControl() {
  TearDownWindow();
  FCanvas.reset();
  FSections.reset();
}

TCanvas* THeaderControl::Canvas() const { return FCanvas.get(); }

void THeaderControl::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, WC_HEADERA);
  Params.Style |= HDS_HORZ;
  if (FStyle == hsButtons) Params.Style |= HDS_BUTTONS;
  if (FStyle == hsFlat) Params.Style |= HDS_FLAT;
  if (FDragReorder) Params.Style |= HDS_DRAGDROP;
  if (FFullDrag) Params.Style |= HDS_FULLDRAG;
  if (FHotTrack) Params.Style |= HDS_HOTTRACK;
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void THeaderControl::CreateWnd() {
  TWinControl::CreateWnd();
  if (FImages) Perform(HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImages->Handle()));
  UpdateSections();
}

void THeaderControl::UpdateSection(int Index) {
  if (!HandleAllocated() || Index < 0 || Index >= FSections->Count()) return;
  THeaderSection* s = FSections->Items(Index);
  HDITEMA it {};
  it.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT | HDI_IMAGE | HDI_LPARAM;
  it.pszText = const_cast<LPSTR>(s->FText.c_str());
  it.cxy = s->FWidth;
  it.fmt = HeaderFormat(s->FAlignment) | (s->FStyle == hsOwnerDraw ? HDF_OWNERDRAW : HDF_STRING);
  it.iImage = s->FImageIndex;
  it.lParam = reinterpret_cast<LPARAM>(s);
  if (Perform(HDM_GETITEMCOUNT, 0, 0) <= Index)
    Perform(HDM_INSERTITEMA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&it));
  else
    Perform(HDM_SETITEMA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&it));
}

// Items come and go only here; an existing display order survives changes that keep the count.
void THeaderControl::UpdateSections() {
  if (!HandleAllocated()) return;
  while (Perform(HDM_GETITEMCOUNT, 0, 0) > FSections->Count())
    Perform(HDM_DELETEITEM, static_cast<WPARAM>(Perform(HDM_GETITEMCOUNT, 0, 0) - 1), 0);
  for (int i = 0; i < FSections->Count(); ++i) UpdateSection(i);
}

void THeaderControl::SetDragReorder(bool Value) {
  if (FDragReorder == Value) return;
  FDragReorder = Value;
  RecreateWnd();
}

void THeaderControl::SetFullDrag(bool Value) {
  if (FFullDrag == Value) return;
  FFullDrag = Value;
  RecreateWnd();
}

void THeaderControl::SetHotTrack(bool Value) {
  if (FHotTrack == Value) return;
  FHotTrack = Value;
  RecreateWnd();
}

void THeaderControl::SetStyle(THeaderStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  RecreateWnd();
}

void THeaderControl::SetImages(TCustomImageList* Value) {
  FImages = Value;
  if (Value) Value->FreeNotification(this);
  if (HandleAllocated()) Perform(HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(Value ? Value->Handle() : nullptr));
}

void THeaderControl::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) SetImages(nullptr);
}

void THeaderControl::DrawSection(THeaderSection* Section, const TRect& Rect, bool Pressed) {
  if (OnDrawSection) {
    OnDrawSection(this, Section, Rect, Pressed);
    return;
  }
  FCanvas->FillRect(Rect);
}

void THeaderControl::SectionClick(THeaderSection* Section) {
  if (OnSectionClick) OnSectionClick(this, Section);
}

void THeaderControl::SectionResize(THeaderSection* Section) {
  if (OnSectionResize) OnSectionResize(this, Section);
}

void THeaderControl::SectionTrack(THeaderSection* Section, int Width, TSectionTrackState State) {
  if (OnSectionTrack) OnSectionTrack(this, Section, Width, State);
}

void THeaderControl::CNDrawItem(TMessage& Message) {
  auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  Message.Result = TRUE;
  if (!dis || static_cast<int>(dis->itemID) >= FSections->Count()) return;
  TCanvasDCScope lend(FCanvas.get(), dis->hDC, LifeToken());  // the draw handler may free the control
  FCanvas->SetFont(Font());
  FCanvas->SetBrush(Brush());
  DrawSection(FSections->Items(static_cast<int>(dis->itemID)), dis->rcItem, (dis->itemState & ODS_SELECTED) != 0);
}

// Widths dragged by the user stay inside the section's limits: the window is told the clamped width.
void THeaderControl::CNNotify(TMessage& Message) {
  auto* n = reinterpret_cast<NMHEADERA*>(Message.LParam);
  if (!n || n->iItem < 0 || n->iItem >= FSections->Count()) return;
  THeaderSection* s = FSections->Items(n->iItem);
  auto life = LifeToken();
  switch (n->hdr.code) {
    case HDN_ITEMCLICKA:
      if (s->FAllowClick) SectionClick(s);
      return;
    case HDN_BEGINTRACKA:
      SectionTrack(s, s->FWidth, tsTrackBegin);
      return;
    case HDN_TRACKA:
    case HDN_ENDTRACKA: {
      if (!n->pitem) return;
      const int width = std::clamp(n->pitem->cxy, s->FMinWidth, s->FMaxWidth);
      s->FWidth = width;
      if (width != n->pitem->cxy) {
        HDITEMA it {};
        it.mask = HDI_WIDTH;
        it.cxy = width;
        Perform(HDM_SETITEMA, static_cast<WPARAM>(n->iItem), reinterpret_cast<LPARAM>(&it));
      }
      if (life.expired()) return;
      const bool end = n->hdr.code == HDN_ENDTRACKA;
      SectionTrack(s, width, end ? tsTrackEnd : tsTrackMove);
      if (end && !life.expired()) SectionResize(s);
      return;
    }
    case HDN_BEGINDRAG: {
      bool allow = FDragReorder;
      if (allow && OnSectionDrag) OnSectionDrag(this, s, s, allow);
      Message.Result = allow ? 0 : 1;
      return;
    }
    case HDN_ENDDRAG:
      if (OnSectionEndDrag) OnSectionEndDrag(this);
      return;
  }
}

void THeaderControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      // The hit test goes through WndProc first, as derived controls expect to see it.
      HDHITTESTINFO info { { GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam) }, 0, -1 };
      auto life = LifeToken();
      Perform(HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
      if (life.expired()) return;
      break;
    }
    case CN_NOTIFY:
      CNNotify(Message);
      return;
    case CN_DRAWITEM:
      CNDrawItem(Message);
      return;
  }
  TWinControl::Dispatch(Message);
}

XJ_PUBLISHED(THeaderSection,
  XJ_PROP(Alignment, taLeftJustify)
  XJ_PROP(AllowClick, true)
  XJ_PROP(ImageIndex, -1)
  XJ_PROP(MaxWidth, 10000)
  XJ_PROP(MinWidth, 0)
  XJ_PROP(Style, hsText)
  XJ_PROP(Text)
  XJ_PROP(Width, 50));
XJ_PUBLISHED(THeaderControl,
  XJ_PROP(Align, alTop)
  XJ_PROP(Anchors, { akLeft, akTop, akRight }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(BiDiMode, bdLeftToRight)
  XJ_PROP(BorderWidth, 0)
  XJ_PROP(Constraints)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(DragReorder, false)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(FullDrag, true)
  XJ_PROP(HotTrack, false)
  XJ_PROP(Images)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(Sections)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(Style, hsButtons)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_EVENT(OnContextPopup)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnDrawSection)
  XJ_EVENT(OnEndDock)
  XJ_EVENT(OnEndDrag)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnResize)
  XJ_EVENT(OnSectionClick)
  XJ_EVENT(OnSectionDrag)
  XJ_EVENT(OnSectionEndDrag)
  XJ_EVENT(OnSectionResize)
  XJ_EVENT(OnSectionTrack)
  XJ_EVENT(OnStartDock)
  XJ_EVENT(OnStartDrag));
