#include "skin/controls/bsSkinBoxCtrls_memo.h"

#include <algorithm>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Messages.h"
#include "skin/controls/bsSkinCtrls_scrollbar.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

// ---- TbsSkinCustomMemo ------------------------------------------------------------------------------

TbsSkinCustomMemo::TbsSkinCustomMemo(TComponent* AOwner)
    : TCustomMemo(AOwner), FDefaultFont(std::make_unique<TFont>()) {
  SetAutoSize(false);
  Font()->SetName("宋体");
  Font()->SetHeight(12);
  FDefaultFont->Assign(Font());
  FDefaultFont->OnChange = TNotifyEvent(this, &TbsSkinCustomMemo::OnDefaultFontChange);
}

TbsSkinCustomMemo::~TbsSkinCustomMemo() { FDefaultFont->OnChange = TNotifyEvent(); }

void TbsSkinCustomMemo::SetSkinData(TbsSkinData* Value) {
  if (FSkinData != Value) {
    if (FSkinData) FSkinData->RemoveFreeNotification(this);
    FSkinData = Value;
    if (FSkinData) FSkinData->FreeNotification(this);
  }
  if (Value && !Value->Empty && !ComponentState().Contains(csDesigning)) ChangeSkinData();
}

void TbsSkinCustomMemo::SetDefaultFont(TFont* Value) {
  FDefaultFont->Assign(Value);
  if (FSkinObjectIndex == -1) Font()->Assign(Value);
}

void TbsSkinCustomMemo::OnDefaultFontChange(TObject*) {
  if (FSkinObjectIndex == -1) Font()->Assign(FDefaultFont.get());
}

TbsDataSkinMemoControl* TbsSkinCustomMemo::Record() const {
  if (!FSkinData || FSkinObjectIndex < 0 || FSkinObjectIndex >= FSkinData->CtrlList->Count()) return nullptr;
  return dynamic_cast<TbsDataSkinMemoControl*>(
      static_cast<TbsDataSkinControl*>(FSkinData->CtrlList->Items(FSkinObjectIndex)));
}

// A record of another class under the memo's name leaves it unskinned: it has no fonts or colours to give.
void TbsSkinCustomMemo::GetSkinData() {
  FSkinObjectIndex = !FSkinData || FSkinData->Empty ? -1 : FSkinData->GetControlIndex(FSkinDataName);
  if (FSkinObjectIndex == -1) return;
  TbsDataSkinMemoControl* r = Record();
  if (!r) {
    FSkinObjectIndex = -1;
    return;
  }
  FontName = r->FontName;
  FontStyle = r->FontStyle;
  FontHeight = r->FontHeight;
  FontColor = r->FontColor;
  ActiveFontColor = r->ActiveFontColor;
  BGColor = r->BGColor;
  ActiveBGColor = r->ActiveBGColor;
}

void TbsSkinCustomMemo::ChangeSkinData() {
  GetSkinData();
  const bool hot = Hot(), focused = Focused();
  RecreateWndWith([&] {
    if (FSkinObjectIndex == -1) {
      Font()->Assign(FDefaultFont.get());
      return;
    }
    if (FUseSkinFont) {
      Font()->SetName(FontName);
      Font()->SetStyle(FontStyle);
      Font()->SetHeight(FontHeight);
      Font()->SetCharset(FDefaultFont->Charset());
    } else {
      Font()->Assign(FDefaultFont.get());
    }
    Font()->SetColor(focused ? ActiveFontColor : FontColor);
    // The background follows the same state as the hot look would give it.
    SetColor(hot && ColourFollowsHot() ? ActiveBGColor : BGColor);
  });
  UpDateScrollRange();
}

void TbsSkinCustomMemo::SetHot(bool Hot, bool Other) {
  if (!Other && FSkinObjectIndex != -1) {
    Font()->SetColor(Hot ? ActiveFontColor : FontColor);
    if (ColourFollowsHot()) SetColor(Hot ? ActiveBGColor : BGColor);
  }
  HotChanged(Other);
}

int TbsSkinCustomMemo::VisibleLineCount() {
  TCanvas c;
  c.SetFont(Font());
  HDC dc = GetDC(nullptr);
  c.SetHandle(dc);
  const int h = c.TextHeight("Wq");
  c.SetHandle(nullptr);
  ReleaseDC(nullptr, dc);
  return h == 0 ? 1 : ClientHeight() / h;
}

void TbsSkinCustomMemo::MirrorRange(TbsSkinScrollBar* Bar, int Max, int Position, int Page) {
  if (Max > Page) {
    Bar->SetRange(0, Max, Position, Page + 1);
    if (!Bar->Enabled()) Bar->SetEnabled(true);
  } else {
    Bar->SetRange(0, 0, 0, 0);
    if (Bar->Enabled()) Bar->SetEnabled(false);
  }
}

// A bar let go of no longer calls into the memo (it may outlive it).
void TbsSkinCustomMemo::DetachBar(TbsSkinScrollBar* Bar) {
  if (!Bar) return;
  if (Bar->OnChange.Data() == this) Bar->OnChange = TNotifyEvent();
  Bar->RemoveFreeNotification(this);
}

void TbsSkinCustomMemo::AttachBar(TbsSkinScrollBar*& Field, TbsSkinScrollBar* Value, const TNotifyEvent& Handler) {
  if (Field != Value) DetachBar(Field);
  Field = Value;
  if (Value) {
    Value->FreeNotification(this);
    Value->SetMin(0);
    Value->SetMax(0);
    Value->SetPosition(0);
    Value->OnChange = Handler;
  }
  UpDateScrollRange();
}

// The position travels in lParam whole, and straight to the edit: a scroll message reflected through
// the class library would take lParam for a bar's window.
void TbsSkinCustomMemo::ScrollToBar(UINT Msg, TbsSkinScrollBar* Bar) {
  TMessage m { Msg, MAKEWPARAM(SBX_THUMBPOSITION32, 0), static_cast<LPARAM>(Bar->Position()), 0 };
  DefaultHandler(m);
  UpDateScrollRange();
  ContentChanged();
  Invalidate();
}

void TbsSkinCustomMemo::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomMemo::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FSkinData) {
    FSkinData = nullptr;
    FSkinObjectIndex = -1;
  }
}

void TbsSkinCustomMemo::Change() {
  auto life = LifeToken();
  TCustomMemo::Change();
  if (!life.expired()) UpDateScrollRange();
}

void TbsSkinCustomMemo::Dispatch(TMessage& Message) {
  if (Refused(Message)) return DropRefused(Message);
  if (Message.Msg == WM_MOUSEWHEEL) return WheelByLine(Message);
  // The inherited handling runs first; a handler in it may free the memo.
  auto life = LifeToken();
  TCustomMemo::Dispatch(Message);
  if (!life.expired()) FollowInherited(Message);
}

// The character is dropped, yet the bars are mirrored as after any key.
void TbsSkinCustomMemo::DropRefused(TMessage& Message) {
  if (Message.Msg == WM_CHAR) UpDateScrollRange();
  Message.Result = 0;
}

// One line per notch, whatever the delta; away from the user scrolls up.
void TbsSkinCustomMemo::WheelByLine(TMessage& Message) {
  const int delta = static_cast<short>(HIWORD(Message.WParam));
  Perform(WM_VSCROLL, delta > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
  ContentChanged();
  Message.Result = 0;
}

// Hot state and the bars follow what the inherited handling did.
void TbsSkinCustomMemo::FollowInherited(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS:
      return SetHot(true, FMouseIn);
    case WM_KILLFOCUS:
      return SetHot(false, FMouseIn);
    case CM_MOUSEENTER:
      return PointerEntered();
    case CM_MOUSELEAVE:
      return PointerLeft();
    case WM_SETTEXT:
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
    case CM_ENABLEDCHANGED:
      ContentChanged();
      [[fallthrough]];
    case WM_SIZE:
    case WM_VSCROLL:
    case WM_HSCROLL:
      return UpDateScrollRange();
    case WM_MOUSEMOVE:
      if (FLButtonDown) UpDateScrollRange();
      return;
    case WM_LBUTTONDOWN:
      FLButtonDown = true;
      return;
    case WM_LBUTTONUP:
      if (FLButtonDown) {
        FLButtonDown = false;
        UpDateScrollRange();
      }
      return;
    default:
      return;
  }
}

void TbsSkinCustomMemo::PointerEntered() {
  FMouseIn = true;
  SetHot(true, Focused());
  if (OnMouseEnter) OnMouseEnter(this);
}

void TbsSkinCustomMemo::PointerLeft() {
  FMouseIn = false;
  SetHot(false, Focused());
  if (OnMouseLeave) OnMouseLeave(this);
}

// ---- TbsSkinMemo ------------------------------------------------------------------------------------

TbsSkinMemo::TbsSkinMemo(TComponent* AOwner) : TbsSkinCustomMemo(AOwner) {}

TbsSkinMemo::~TbsSkinMemo() { SetVScrollBar(nullptr); }

void TbsSkinMemo::SetVScrollBar(TbsSkinScrollBar* Value) {
  AttachBar(FVScrollBar, Value, TNotifyEvent(this, &TbsSkinMemo::OnVScrollBarChange));
}

void TbsSkinMemo::SetBitMapBG(bool Value) {
  FBitMapBG = Value;
  RecreateWnd();
}

void TbsSkinMemo::CreateParams(TCreateParams& Params) {
  TbsSkinCustomMemo::CreateParams(Params);
  Params.ExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE | WS_EX_TRANSPARENT);
  Params.Style &= ~static_cast<DWORD>(WS_BORDER | WS_VSCROLL | WS_HSCROLL);
  Params.Style |= ES_MULTILINE;
  Params.WindowClass.style &= ~static_cast<UINT>(CS_VREDRAW | CS_HREDRAW);
}

void TbsSkinMemo::Notification(TComponent* AComponent, TOperation Operation) {
  TbsSkinCustomMemo::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FVScrollBar) FVScrollBar = nullptr;
}

// The face is painted from the picture: a record without one leaves the memo unskinned.
void TbsSkinMemo::GetSkinData() {
  TbsSkinCustomMemo::GetSkinData();
  Picture = nullptr;
  TbsDataSkinMemoControl* r = Record();
  if (!r) return;
  TList* pictures = FSkinData->ActivePictures.get();
  if (r->PictureIndex >= 0 && r->PictureIndex < pictures->Count())
    Picture = static_cast<TBitmap*>(pictures->Items(r->PictureIndex));
  if (!Picture || IsNullRect(r->SkinRect)) {
    Picture = nullptr;
    FSkinObjectIndex = -1;
    return;
  }
  SkinRect = r->SkinRect;
  ActiveSkinRect = IsNullRect(r->ActiveSkinRect) ? SkinRect : r->ActiveSkinRect;
  LTPoint = r->LTPoint;
  RTPoint = r->RTPoint;
  LBPoint = r->LBPoint;
  RBPoint = r->RBPoint;
  ClRect = r->ClRect;
}

void TbsSkinMemo::UpDateScrollRange() {
  if (!FVScrollBar) return;
  if (!Enabled()) {
    FVScrollBar->SetEnabled(false);
    return;
  }
  const int visible = VisibleLineCount();
  const int count = static_cast<int>(Perform(EM_GETLINECOUNT, 0, 0));
  const int first = static_cast<int>(Perform(EM_GETFIRSTVISIBLELINE, 0, 0));
  MirrorRange(FVScrollBar, count, first, visible);
}

void TbsSkinMemo::OnVScrollBarChange(TObject*) { ScrollToBar(WM_VSCROLL, FVScrollBar); }

void TbsSkinMemo::Invalidate() {
  if (!FBitMapBG) {
    TbsSkinCustomMemo::Invalidate();
    return;
  }
  if (Parent() && HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

bool TbsSkinMemo::Refused(const TMessage& Message) {
  if (!FReadOnly) return false;
  switch (Message.Msg) {
    case WM_KEYDOWN:
      return Message.WParam == VK_DELETE;
    case WM_CHAR:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
      return true;
  }
  return false;
}

void TbsSkinMemo::ContentChanged() {
  if (FBitMapBG) Invalidate();
}

void TbsSkinMemo::HotChanged(bool Other) {
  if (!Other) Invalidate();
  if (!FBitMapBG && HandleAllocated()) Perform(WM_NCPAINT, 0, 0);
}

void TbsSkinMemo::CalcNewGeometry() {
  const int dW = Width() - SkinRect.Width(), dH = Height() - SkinRect.Height();
  NewLTPoint = LTPoint;
  NewRTPoint = TPoint(RTPoint.X + dW, RTPoint.Y);
  NewLBPoint = TPoint(LBPoint.X, LBPoint.Y + dH);
  NewRBPoint = TPoint(RBPoint.X + dW, RBPoint.Y + dH);
  NewClRect = TRect(ClRect.Left, ClRect.Top, ClRect.Right + dW, ClRect.Bottom + dH);
}

// Two rings: shadow outside when hot, face outside otherwise.
void TbsSkinMemo::DefaultFrame(TCanvas* Canvas) {
  TRect r(0, 0, Width(), Height());
  const bool hot = Hot();
  const TColor outer = hot ? clBtnShadow : clBtnFace, inner = hot ? clBtnFace : clBtnShadow;
  Frame3D(Canvas, r, outer, outer, 1);
  Frame3D(Canvas, r, inner, inner, 1);
}

void TbsSkinMemo::SkinFramePaint(TCanvas* Canvas) {
  GetSkinData();
  if (FSkinObjectIndex == -1) {
    Canvas->Brush()->SetStyle(bsClear);
    DefaultFrame(Canvas);
    return;
  }
  CalcNewGeometry();
  TBitmap left, top, right, bottom;
  CreateSkinBorderImages(LTPoint, RTPoint, LBPoint, RBPoint, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint,
                         NewClRect, &left, &top, &right, &bottom, Picture, SourceRect(), Width(), Height());
  Canvas->Draw(0, 0, &top);
  Canvas->Draw(0, top.Height(), &left);
  Canvas->Draw(Width() - right.Width(), top.Height(), &right);
  Canvas->Draw(0, Height() - bottom.Height(), &bottom);
}

void TbsSkinMemo::SkinNCPaint(TCanvas* Canvas) {
  GetSkinData();
  TBitmap b;
  b.SetSize(Width(), Height());
  if (FSkinObjectIndex == -1) {
    // The interior shows behind the transparent text.
    b.Canvas()->Brush()->SetColor(clWindow);
    b.Canvas()->FillRect(TRect(0, 0, Width(), Height()));
    DefaultFrame(b.Canvas());
  } else {
    CalcNewGeometry();
    CreateSkinImage(LTPoint, RTPoint, LBPoint, RBPoint, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint,
                    NewClRect, &b, Picture, SourceRect(), Width(), Height(), true);
  }
  Canvas->Draw(0, 0, &b);
}

void TbsSkinMemo::WMNCPaint() {
  // A hidden window (one being made again, its size told before it shows) shows nothing drawn: its frame
  // is painted when it shows.
  if (Width() < 1 || Height() < 1 || !IsWindowVisible(Handle())) return;
  HDC dc = GetWindowDC(Handle());
  TCanvas c;
  c.SetHandle(dc);
  if (FBitMapBG)
    SkinNCPaint(&c);
  else
    SkinFramePaint(&c);
  c.SetHandle(nullptr);
  ReleaseDC(Handle(), dc);
}

// The rows the memo shows, from its first visible one, in grey: a disabled memo reads where it stood.
void TbsSkinMemo::PaintDisabled(TMessage& Message) {
  GetSkinData();
  PAINTSTRUCT ps {};
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  const bool began = dc == nullptr;
  if (began) dc = BeginPaint(Handle(), &ps);
  TCanvas c;
  c.SetHandle(dc);
  c.Brush()->SetStyle(bsClear);
  if (FSkinObjectIndex == -1) {
    c.SetFont(FDefaultFont.get());
  } else {
    c.Font()->SetName(FontName);
    c.Font()->SetHeight(FontHeight);
    c.Font()->SetStyle(FontStyle);
    c.Font()->SetCharset(FDefaultFont->Charset());
  }
  c.Font()->SetColor(clGrayText);
  TRect r = ClientRect();
  r.Left += 2;
  r.Top += 2;
  r.Right -= 2;
  r.Bottom -= 2;
  const UINT align = Alignment() == taRightJustify ? DT_RIGHT : Alignment() == taCenter ? DT_CENTER : DT_LEFT;
  const int h = std::max(1, c.TextHeight("Wq"));
  const int count = Lines()->Count();
  for (int row = static_cast<int>(Perform(EM_GETFIRSTVISIBLELINE, 0, 0)); row < count && r.Top < r.Bottom; ++row) {
    AnsiString line = Lines()->Strings(row);
    RECT lr { r.Left, r.Top, r.Right, std::min(r.Bottom, r.Top + h) };
    DrawTextA(dc, line.c_str(), static_cast<int>(line.size()), &lr, align | DT_SINGLELINE | DT_NOPREFIX);
    r.Top += h;
  }
  c.SetHandle(nullptr);
  if (began) EndPaint(Handle(), &ps);
  Message.Result = 0;
}

void TbsSkinMemo::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE: {
      const auto life = LifeToken();  // OnResize may free the memo
      TbsSkinCustomMemo::Dispatch(Message);
      if (!life.expired() && !FBitMapBG && HandleAllocated()) Perform(WM_NCPAINT, 0, 0);
      return;
    }
    case WM_NCCALCSIZE: {
      GetSkinData();
      auto* r = reinterpret_cast<RECT*>(Message.LParam);
      if (FSkinObjectIndex == -1) {
        InflateRect(r, -2, -2);
      } else {
        r->left += ClRect.Left;
        r->top += ClRect.Top;
        r->right -= SkinRect.Width() - ClRect.Right;
        r->bottom -= SkinRect.Height() - ClRect.Bottom;
      }
      Message.Result = 0;
      return;
    }
    case WM_NCPAINT:
      WMNCPaint();
      Message.Result = 0;
      return;
    case WM_ERASEBKGND:
      if (!FBitMapBG) break;
      Invalidate();
      Message.Result = 1;
      return;
    case WM_PAINT:
      if (Enabled()) break;
      PaintDisabled(Message);
      return;
    case CN_CTLCOLOREDIT:
      if (!FBitMapBG) break;
      SetBkMode(reinterpret_cast<HDC>(Message.WParam), TRANSPARENT);
      SetTextColor(reinterpret_cast<HDC>(Message.WParam), ColorToRGB(Font()->Color()));
      Message.Result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
      return;
    default:
      break;
  }
  TbsSkinCustomMemo::Dispatch(Message);
}

// ---- TbsSkinMemo2 -----------------------------------------------------------------------------------

TbsSkinMemo2::TbsSkinMemo2(TComponent* AOwner) : TbsSkinCustomMemo(AOwner) { SetScrollBars(ssBoth); }

TbsSkinMemo2::~TbsSkinMemo2() {
  SetVScrollBar(nullptr);
  SetHScrollBar(nullptr);
}

void TbsSkinMemo2::SetVScrollBar(TbsSkinScrollBar* Value) {
  AttachBar(FVScrollBar, Value, TNotifyEvent(this, &TbsSkinMemo2::OnVScrollBarChange));
}

void TbsSkinMemo2::SetHScrollBar(TbsSkinScrollBar* Value) {
  AttachBar(FHScrollBar, Value, TNotifyEvent(this, &TbsSkinMemo2::OnHScrollBarChange));
}

void TbsSkinMemo2::CreateParams(TCreateParams& Params) {
  TbsSkinCustomMemo::CreateParams(Params);
  Params.ExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
  Params.Style &= ~static_cast<DWORD>(WS_BORDER);
  Params.WindowClass.style &= ~static_cast<UINT>(CS_VREDRAW | CS_HREDRAW);
}

void TbsSkinMemo2::Notification(TComponent* AComponent, TOperation Operation) {
  TbsSkinCustomMemo::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FVScrollBar) FVScrollBar = nullptr;
  if (AComponent == FHScrollBar) FHScrollBar = nullptr;
}

void TbsSkinMemo2::UpDateScrollRange() {
  auto mirror = [this](TbsSkinScrollBar* bar, int kind, int page) {
    if (!Enabled()) {
      bar->SetEnabled(false);
      return;
    }
    // Without a window nothing scrolls yet.
    int min = 0, max = 0, pos = 0;
    if (HandleAllocated()) {
      GetScrollRange(Handle(), kind, &min, &max);
      pos = GetScrollPos(Handle(), kind);
    }
    MirrorRange(bar, max, pos, page);
  };
  if (FVScrollBar) mirror(FVScrollBar, SB_VERT, VisibleLineCount());
  if (FHScrollBar) mirror(FHScrollBar, SB_HORZ, FHScrollBar->Width());
}

void TbsSkinMemo2::OnVScrollBarChange(TObject*) { ScrollToBar(WM_VSCROLL, FVScrollBar); }
void TbsSkinMemo2::OnHScrollBarChange(TObject*) { ScrollToBar(WM_HSCROLL, FHScrollBar); }

void TbsSkinMemo2::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_NCCALCSIZE) {
    // No non-client area at all: no border and no room for the native bars.
    Message.Result = 0;
    return;
  }
  TbsSkinCustomMemo::Dispatch(Message);
}

// ---- Streaming --------------------------------------------------------------------------------------

XJ_PUBLISHED(TbsSkinCustomMemo,
  XJ_PROP(Align, alNone)
  XJ_PROP(Alignment, taLeftJustify)
  XJ_PROP(Anchors, { akLeft, akTop }) XJ_STORED(IsAnchorsStored)
  XJ_PROP(BiDiMode, bdLeftToRight)
  XJ_PROP(Constraints)
  XJ_PROP(DragCursor, crDrag)
  XJ_PROP(DragKind, dkDrag)
  XJ_PROP(DragMode, dmManual)
  XJ_PROP(Enabled, true) XJ_STORED(IsEnabledStored)
  XJ_PROP(Font) XJ_STORED(IsFontStored)
  XJ_PROP(HideSelection, true)
  XJ_PROP(ImeMode, imDontCare)
  XJ_PROP(ImeName)
  XJ_PROP(Lines)
  XJ_PROP(MaxLength, 0)
  XJ_PROP(OEMConvert, false)
  XJ_PROP(ParentBiDiMode, true)
  XJ_PROP(ParentColor, false)
  XJ_PROP(ParentCtl3D, true)
  XJ_PROP(ParentFont, true)
  XJ_PROP(ParentShowHint, true)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowHint) XJ_STORED(IsShowHintStored)
  XJ_PROP(TabOrder)
  XJ_PROP(TabStop, true)
  XJ_PROP(Visible, true) XJ_STORED(IsVisibleStored)
  XJ_PROP(WantReturns, true)
  XJ_PROP(WantTabs, false)
  XJ_PROP(WordWrap, true)
  XJ_PROP(DefaultFont)
  XJ_PROP(UseSkinFont)
  XJ_PROP(SkinData)
  XJ_PROP(SkinDataName)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnDblClick)
  XJ_EVENT(OnDragDrop)
  XJ_EVENT(OnDragOver)
  XJ_EVENT(OnEndDock)
  XJ_EVENT(OnEndDrag)
  XJ_EVENT(OnEnter)
  XJ_EVENT(OnExit)
  XJ_EVENT(OnKeyDown)
  XJ_EVENT(OnKeyPress)
  XJ_EVENT(OnKeyUp)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnStartDock)
  XJ_EVENT(OnStartDrag)
  XJ_EVENT(OnMouseEnter)
  XJ_EVENT(OnMouseLeave));
XJ_PUBLISHED(TbsSkinMemo,
  XJ_PROP(BitMapBG)
  XJ_PROP(VScrollBar)
  XJ_PROP(ReadOnly, false));
XJ_PUBLISHED(TbsSkinMemo2,
  XJ_PROP(VScrollBar)
  XJ_PROP(HScrollBar)
  XJ_PROP(ReadOnly, false));
