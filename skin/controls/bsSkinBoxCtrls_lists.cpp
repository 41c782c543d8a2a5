#include "skin/controls/bsSkinBoxCtrls_lists.h"

#include <algorithm>
#include <cstdint>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Messages.h"
#include "platform/win32/IntMath.h"
#include "platform/win32/Scoped.h"
#include "skin/controls/bsSkinCtrls_scrollbar.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

// ---- TbsListBox -------------------------------------------------------------------------------------

TbsListBox::TbsListBox(TComponent* AOwner) : TListBox(AOwner) {
  SetCtl3D(false);
  SetBorderStyle(bsNone);
  FControlStyle = { csCaptureMouse, csOpaque, csDoubleClicks };
}

TbsListBox::~TbsListBox() = default;

bool TbsListBox::Skinned() const { return Frame && Frame->SkinObjectIndex() != -1 && Frame->Picture; }

void TbsListBox::CreateParams(TCreateParams& Params) {
  TListBox::CreateParams(Params);
  Params.Style &= ~static_cast<DWORD>(WS_BORDER);
  Params.Style |= WS_TABSTOP;
  Params.ExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
  Params.WindowClass.style = CS_DBLCLKS;
}

void TbsListBox::CreateWnd() {
  TListBox::CreateWnd();
  if (Frame) Frame->ListBoxCreateWnd();
}

// A narrower list scrolls further so that the right end of the contents stays in place.
void TbsListBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const int old = Width();
  const auto life = LifeToken();
  TListBox::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (life.expired()) return;
  if (Width() != old && HScrollOffset > 0) {
    HScrollOffset = std::max(0, HScrollOffset + old - Width());
    Repaint();
  }
}

void TbsListBox::WndProc(TMessage& Message) {
  if (Frame) {
    bool handled = true;
    Frame->ListBoxWProc(Message, handled);
    if (!handled) return;
  }
  if (Message.Msg == WM_MOUSEWHEEL && Frame && (Frame->ScrollBar() || Frame->HScrollBar())) {
    // One line per notch, whatever the delta: the native list's own wheel step is not taken.
    const bool up = static_cast<short>(HIWORD(Message.WParam)) > 0;
    if (Frame->ScrollBar()) {
      TMessage scroll { WM_VSCROLL, static_cast<WPARAM>(up ? SB_LINEUP : SB_LINEDOWN), 0, 0 };
      TListBox::WndProc(scroll);
      Frame->UpDateScrollBar();
    } else {
      TbsSkinScrollBar* h = Frame->HScrollBar();
      h->SetPosition(h->Position() + (up ? -h->SmallChange() : h->SmallChange()));
    }
    Message.Result = 0;
    return;
  }
  auto life = LifeToken();
  if (Frame) Frame->ListBoxItemsChanging(Message);
  TListBox::WndProc(Message);
  if (life.expired()) return;
  ItemsChanged(Message);
  if (!Frame) return;
  Frame->ListBoxItemsChanged(Message);
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      Frame->UpDateScrollBar();
      break;
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_DELETESTRING:
    case LB_RESETCONTENT:
      Frame->UpDateScrollBarLater();
      break;
    case WM_LBUTTONDBLCLK:
      Frame->ListBoxDblClick();
      break;
  }
}

void TbsListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCCALCSIZE:
      // The whole window is client area: the frame draws the border and shows the bars.
      Message.Result = 0;
      return;
    case WM_PAINT:
      PaintHandler(reinterpret_cast<TWMPaint&>(Message));
      return;
    case WM_ERASEBKGND:
      if (Width() > 0 && Height() > 0 && !PaintCoversAll()) PaintBG(reinterpret_cast<HDC>(Message.WParam));
      Message.Result = 1;
      return;
    case CN_DRAWITEM: {
      auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
      TCanvas c;
      c.SetHandle(d->hDC);
      c.SetFont(Font());
      TOwnerDrawState state;
      if (d->itemState & ODS_SELECTED) state << odSelected;
      if (d->itemState & ODS_FOCUS) state << odFocused;
      DrawItemAt(&c, static_cast<int>(d->itemID),
                 TRect(d->rcItem.left, d->rcItem.top, d->rcItem.right, d->rcItem.bottom), state);
      c.SetHandle(nullptr);
      Message.Result = 1;
      return;
    }
    case CM_ENTER:
      if (Frame) Frame->ListBoxEnter();
      break;
    case CM_EXIT:
      if (Frame) Frame->ListBoxExit();
      break;
  }
  TListBox::Dispatch(Message);
}

TOwnerDrawState TbsListBox::GetState(int Index) {
  TOwnerDrawState s;
  if (Index == ItemIndex()) {
    s << odSelected;
    if (Focused()) s << odFocused;
  } else if (SelCount() > 0 && Selected(Index)) {
    s << odSelected;
  }
  return s;
}

// Tiles from the top-left, the last row and column cut; a skin without a client part has nothing to
// tile and gives the window colour.
void TbsListBox::PaintBGWH(TCanvas* Cnvs, int AW, int AH, int AX, int AY) {
  if (AW < 1 || AH < 1) return;
  const TRect& cl = Frame->ClRect;
  const TRect& sr = Frame->SkinRect;
  TBitmap* picture = Frame->Picture;
  TBitmap b;
  b.SetSize(AW, AH);
  const int w = cl.Width(), h = cl.Height();
  if (w < 1 || h < 1 || !picture) {
    b.Canvas()->Brush()->SetColor(clWindow);
    b.Canvas()->FillRect(TRect(0, 0, AW, AH));
  } else {
    // The client piece once, then what is tiled so far doubled rightwards and downwards: the pixels of
    // copying it tile by tile, in a few copies instead of one per tile.
    TCanvas* to = b.Canvas();
    const int tw = std::min(w, AW), th = std::min(h, AH);
    to->CopyRect(TRect(0, 0, tw, th), picture->Canvas(),
                 TRect(sr.Left + cl.Left, sr.Top + cl.Top, sr.Left + cl.Left + tw, sr.Top + cl.Top + th));
    for (int x = w; x < AW; x *= 2) {
      const int n = std::min(x, AW - x);
      to->CopyRect(TRect(x, 0, x + n, th), to, TRect(0, 0, n, th));
    }
    for (int y = h; y < AH; y *= 2) {
      const int n = std::min(y, AH - y);
      to->CopyRect(TRect(0, y, AW, y + n), to, TRect(0, 0, AW, n));
    }
  }
  Cnvs->Draw(AX, AY, &b);
}

void TbsListBox::PaintBG(HDC DC) {
  TCanvas c;
  c.SetHandle(DC);
  if (Frame) Frame->GetSkinData();
  if (Skinned()) {
    PaintBGWH(&c, Width(), Height(), 0, 0);
  } else {
    c.Brush()->SetColor(clWindow);
    c.FillRect(TRect(0, 0, Width(), Height()));
  }
  c.SetHandle(nullptr);
}

// A paint in one column draws every row over its whole rectangle (a default row is its size, a skinned
// one at least as high as the rows) and fills the rest below them: the background erased first would
// only be painted over.
bool TbsListBox::PaintCoversAll() {
  if (Columns() > 0) return false;
  if (Frame) Frame->GetSkinData();
  return !Skinned() || IsNullRect(Frame->SItemRect) || Frame->SItemRect.Height() >= ItemHeight();
}

void TbsListBox::PaintWindow(HDC DC) {
  if (Width() < 1 || Height() < 1) return;
  const int saved = SaveDC(DC);
  PaintList(DC, Columns() > 0);
  RestoreDC(DC, saved);
}

// Only the rows in view are drawn, whatever the number of items. A draw handler may take items away
// under the loop: it stops at the items that are left; one that frees the list ends the paint.
void TbsListBox::PaintList(HDC DC, bool Multi) {
  TCanvas c;
  c.SetHandle(DC);
  const int rows = Height() / std::max(1, ItemHeight());
  const int first = TopIndex();
  const int last = first + (Multi ? rows * Columns() : rows);
  int y = 0;
  const auto life = LifeToken();
  for (int i = first; i <= last && i < Items()->Count(); ++i) {
    const TRect r = ItemRect(i);
    DrawItemAt(&c, i, r, GetState(i));
    if (life.expired()) return;
    y = std::max(y, r.Bottom);
  }
  if (!Multi && y < Height()) {
    if (Frame) Frame->GetSkinData();
    if (Skinned()) {
      PaintBGWH(&c, Width(), Height() - y, 0, y);
    } else {
      c.Brush()->SetColor(clWindow);
      c.FillRect(TRect(0, y, Width(), Height()));
    }
  }
  c.SetHandle(nullptr);
}

// A skin without item pictures draws the default items rather than none.
void TbsListBox::DrawItemAt(TCanvas* Cnvs, int Index, const TRect& R, TOwnerDrawState State) {
  if (Skinned() && !IsNullRect(Frame->SItemRect))
    DrawSkinItem(Cnvs, Index, R, State);
  else
    DrawDefaultItem(Cnvs, Index, R, State);
}

void TbsListBox::DrawImageAndText(TCanvas* Cnvs, int Index, const TRect& T) {
  int indent = 0;
  if (TCustomImageList* images = Frame ? Frame->Images() : nullptr) {
    const int n = Frame->ImageIndex() > -1 ? Frame->ImageIndex() : Index;
    if (n >= 0 && images->Count() > n) {
      // Clipped at the text rectangle's left edge when scrolled sideways.
      TBitmap one;
      one.SetSize(images->Width(), images->Height());
      one.Canvas()->CopyRect(
          TRect(0, 0, one.Width(), one.Height()), Cnvs,
          TRect(T.Left - HScrollOffset, T.Top + T.Height() / 2 - images->Height() / 2,
                T.Left - HScrollOffset + one.Width(), T.Top + T.Height() / 2 - images->Height() / 2 + one.Height()));
      images->Draw(one.Canvas(), 0, 0, n, true);
      const int x = T.Left - HScrollOffset, y = T.Top + T.Height() / 2 - images->Height() / 2;
      const int cut = std::max(0, T.Left - x);
      if (cut < one.Width())
        Cnvs->CopyRect(TRect(x + cut, y, x + one.Width(), y + one.Height()), one.Canvas(),
                       TRect(cut, 0, one.Width(), one.Height()));
    }
    indent = images->Width() + 2;
  }
  SPDrawText3(Cnvs, Items()->Strings(Index), T, indent - HScrollOffset);
}

void TbsListBox::DrawSkinItem(TCanvas* Cnvs, int Index, const TRect& R, TOwnerDrawState State) {
  if (!Frame || !Frame->Picture || Index < 0 || Index > Items()->Count() - 1) return;
  TbsSkinCustomListBox* f = Frame;
  const int w = R.Width();
  if (w < 1 || f->SItemRect.Height() < 1) return;
  const TRect& face = State.Contains(odFocused)    ? f->FocusItemRect
                      : State.Contains(odSelected) ? f->ActiveItemRect
                                                   : f->SItemRect;
  TRect t = f->ItemTextRect;
  t.Right += w - f->SItemRect.Width();
  TBitmap b;
  CreateHSkinImage(f->ItemLeftOffset, f->ItemRightOffset, &b, f->Picture, face, w, f->SItemRect.Height());
  if (SkinRow(b.Canvas(), Index, b.Width(), b.Height(), t, State)) Cnvs->Draw(R.Left, R.Top, &b);
}

// The text, the extra and the handler's drawing of a skinned row over its face; false when the
// handler freed the list.
bool TbsListBox::SkinRow(TCanvas* C, int Index, int W, int H, TRect T, TOwnerDrawState State) {
  TbsSkinCustomListBox* f = Frame;
  if (f->UseSkinFont()) {
    C->Font()->SetName(f->FontName);
    C->Font()->SetStyle(f->FontStyle);
    C->Font()->SetHeight(f->FontHeight);
    C->Font()->SetCharset(f->DefaultFont()->Charset());
  } else {
    C->SetFont(f->DefaultFont());
  }
  C->Font()->SetColor(State.Contains(odFocused)    ? f->FocusFontColor
                      : State.Contains(odSelected) ? f->ActiveFontColor
                                                   : f->FontColor);
  C->Brush()->SetStyle(bsClear);
  DrawItemExtra(C, Index, W, H, T, true);
  C->Brush()->SetStyle(bsClear);
  if (!f->OnDrawItem) {
    DrawImageAndText(C, Index, T);
    return true;
  }
  const auto life = LifeToken();
  f->OnDrawItem(C, Index, W, H, T, State);
  return !life.expired();
}

void TbsListBox::DrawDefaultItem(TCanvas* Cnvs, int Index, const TRect& R, TOwnerDrawState State) {
  if (Index < 0 || Index > Items()->Count() - 1 || R.Width() < 1 || R.Height() < 1) return;
  TBitmap b;
  b.SetSize(R.Width(), R.Height());
  if (DefaultRow(b.Canvas(), Index, b.Width(), b.Height(), State)) Cnvs->Draw(R.Left, R.Top, &b);
}

// A row of W x H in the default look; false when a draw handler freed the list. A draw handler is
// handed the brush in the row's colour.
bool TbsListBox::DefaultRow(TCanvas* C, int Index, int W, int H, TOwnerDrawState State) {
  // A check column stays in the window colour, outside selection and focus.
  const int column = std::min(DefaultColumn(), W);
  if (column > 0) {
    C->Brush()->SetColor(clWindow);
    C->FillRect(TRect(0, 0, column, H));
  }
  const TRect bounds(column, 0, W, H);
  TFont* font = Frame ? Frame->Font() : Font();
  C->Font()->SetName(font->Name());
  C->Font()->SetStyle(font->Style());
  C->Font()->SetHeight(font->Height());
  const bool selected = State.Contains(odSelected);
  C->Brush()->SetColor(selected ? clHighlight : clWindow);
  C->Font()->SetColor(selected ? clHighlightText : font->Color());
  C->FillRect(bounds);
  TRect t(bounds.Left + 2, bounds.Top, bounds.Right - 2, bounds.Bottom);
  DrawItemExtra(C, Index, W, H, t, false);
  C->Brush()->SetColor(selected ? clHighlight : clWindow);
  if (Frame && Frame->OnDrawItem) {
    const auto life = LifeToken();
    Frame->OnDrawItem(C, Index, W, H, t, State);
    if (life.expired()) return false;
  } else {
    C->Brush()->SetStyle(bsClear);
    DrawImageAndText(C, Index, t);
  }
  if (State.Contains(odFocused)) C->DrawFocusRect(bounds);
  return true;
}

// Hands an event of the list to its frame first. The frame's handler may free the frame and this list
// with it: whether the list is still there afterwards.
template <class F>
static bool PassToFrame(TbsListBox* List, F Call) {
  auto life = List->LifeToken();
  if (List->Frame) Call(List->Frame);
  return !life.expired();
}

void TbsListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (PassToFrame(this, [&](auto* f) { f->ListBoxMouseDown(Button, Shift, X, Y); }))
    TListBox::MouseDown(Button, Shift, X, Y);
}

void TbsListBox::MouseMove(TShiftState Shift, int X, int Y) {
  if (PassToFrame(this, [&](auto* f) { f->ListBoxMouseMove(Shift, X, Y); })) TListBox::MouseMove(Shift, X, Y);
}

void TbsListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (PassToFrame(this, [&](auto* f) { f->ListBoxMouseUp(Button, Shift, X, Y); }))
    TListBox::MouseUp(Button, Shift, X, Y);
}

// With a horizontal bar Left and Right scroll sideways instead of moving the selection.
void TbsListBox::KeyDown(WORD& Key, TShiftState Shift) {
  if (Frame) {
    if (!PassToFrame(this, [&](auto* f) { f->ListBoxKeyDown(Key, Shift); })) return;
    if (TbsSkinScrollBar* h = Frame->HScrollBar(); h && (Key == VK_LEFT || Key == VK_RIGHT)) {
      h->SetPosition(h->Position() + (Key == VK_LEFT ? -h->SmallChange() : h->SmallChange()));
      Key = 0;
    }
  }
  TListBox::KeyDown(Key, Shift);
}

void TbsListBox::KeyUp(WORD& Key, TShiftState Shift) {
  if (PassToFrame(this, [&](auto* f) { f->ListBoxKeyUp(Key, Shift); })) TListBox::KeyUp(Key, Shift);
}

void TbsListBox::KeyPress(char& Key) {
  if (PassToFrame(this, [&](auto* f) { f->ListBoxKeyPress(Key); })) TListBox::KeyPress(Key);
}

void TbsListBox::Click() {
  if (PassToFrame(this, [](auto* f) { f->ListBoxClick(); })) TListBox::Click();
}

// ---- TbsSkinCustomListBox ---------------------------------------------------------------------------

TbsSkinCustomListBox::TbsSkinCustomListBox(TComponent* AOwner)
    : TbsSkinCustomListBox(AOwner, [](TComponent* Owner) { return new TbsListBox(Owner); }) {}

TbsSkinCustomListBox::TbsSkinCustomListBox(TComponent* AOwner, TbsListBox* (*NewInner)(TComponent*))
    : TbsSkinCustomControl(AOwner) {
  FControlStyle = { csCaptureMouse, csClickEvents, csOpaque, csDoubleClicks, csReplicatable, csAcceptsControls };
  Font()->SetName("宋体");
  Font()->SetHeight(12);
  Font()->SetColor(clWindowText);
  FGlyph = std::make_unique<TBitmap>();
  FDefaultCaptionFont = std::make_unique<TFont>();
  FDefaultCaptionFont->SetName("宋体");
  FDefaultCaptionFont->SetHeight(12);
  FDefaultCaptionFont->OnChange = TNotifyEvent(this, &TbsSkinCustomListBox::OnDefaultCaptionFontChange);
  FListBox = NewInner(this);
  FListBox->Frame = this;
  FListBox->SetStyle(lbOwnerDrawFixed);
  FListBox->SetItemHeight(FDefaultItemHeight);
  FListBox->SetParent(this);
  FListBox->SetVisible(true);
  SetBounds(Left(), Top(), 120, 120);
  SetSkinDataName("listbox");
}

TbsSkinCustomListBox::~TbsSkinCustomListBox() {
  FListBox->Frame = nullptr;
  FreeRetired();
}

void TbsSkinCustomListBox::CreateParams(TCreateParams& Params) {
  TbsSkinCustomControl::CreateParams(Params);
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TbsSkinCustomListBox::Notification(TComponent* AComponent, TOperation Operation) {
  TbsSkinCustomControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FImages) SetImages(nullptr);
  if (AComponent == FScrollBar) FScrollBar = nullptr;
  if (AComponent == FHScrollBar) FHScrollBar = nullptr;
  std::erase_if(FRetired, [&](TbsSkinScrollBar* b) { return static_cast<TComponent*>(b) == AComponent; });
}

// A skin record of another class, or one without a picture, leaves the list unskinned.
void TbsSkinCustomListBox::GetSkinData() {
  TbsSkinCustomControl::GetSkinData();
  if (FSkinObjectIndex == -1) return;
  auto* r = SkinRecordAs<TbsDataSkinListBox>();
  if (!r || !Picture) {
    Unskin();
    return;
  }
  FontName = r->FontName;
  FontStyle = r->FontStyle;
  FontHeight = r->FontHeight;
  SItemRect = r->ItemRect;
  ActiveItemRect = IsNullRect(r->ActiveItemRect) ? SItemRect : r->ActiveItemRect;
  FocusItemRect = IsNullRect(r->FocusItemRect) ? SItemRect : r->FocusItemRect;
  ItemLeftOffset = r->ItemLeftOffset;
  ItemRightOffset = r->ItemRightOffset;
  ItemTextRect = r->ItemTextRect;
  FontColor = r->FontColor;
  ActiveFontColor = r->ActiveFontColor;
  FocusFontColor = r->FocusFontColor;
  CaptionRect = r->CaptionRect;
  CaptionFontName = r->CaptionFontName;
  CaptionFontStyle = r->CaptionFontStyle;
  CaptionFontHeight = r->CaptionFontHeight;
  CaptionFontColor = r->CaptionFontColor;
  UpButtonRect = r->UpButtonRect;
  ActiveUpButtonRect = r->ActiveUpButtonRect;
  DownUpButtonRect = IsNullRect(r->DownUpButtonRect) ? ActiveUpButtonRect : r->DownUpButtonRect;
  DownButtonRect = r->DownButtonRect;
  ActiveDownButtonRect = r->ActiveDownButtonRect;
  DownDownButtonRect = IsNullRect(r->DownDownButtonRect) ? ActiveDownButtonRect : r->DownDownButtonRect;
  CheckButtonRect = r->CheckButtonRect;
  ActiveCheckButtonRect = r->ActiveCheckButtonRect;
  DownCheckButtonRect = IsNullRect(r->DownCheckButtonRect) ? ActiveCheckButtonRect : r->DownCheckButtonRect;
  VScrollBarName = r->VScrollBarName;
  HScrollBarName = r->HScrollBarName;
  BothScrollBarName = r->BothHScrollBarName;
}

void TbsSkinCustomListBox::ChangeSkinData() {
  TbsSkinCustomControl::ChangeSkinData();
  {
    xj::TemporaryChange changing(SkinChanging, true);
    if (Skinned() && SItemRect.Height() > 0) {
      FListBox->SetItemHeight(SItemRect.Height());
    } else {
      FListBox->SetItemHeight(FDefaultItemHeight);
      if (!Skinned()) Font()->Assign(DefaultFont());
    }
    if (FScrollBar) SkinBar(FScrollBar, Columns() > 0);
    if (FHScrollBar) SkinBar(FHScrollBar, true);
    if (FRowCount != 0) SetHeight(CalcHeight(FRowCount));
    CalcRects();
  }
  UpDateScrollBar();
  FListBox->Invalidate();
}

void TbsSkinCustomListBox::DefaultFontChange() {
  if (!Skinned()) Font()->Assign(DefaultFont());
}

// The horizontal bar is the column bar of a list with columns, a bar along the bottom sharing the
// corner with the vertical one otherwise.
void TbsSkinCustomListBox::SkinBar(TbsSkinScrollBar* Bar, bool Horizontal) {
  if (Bar == FHScrollBar) {
    if (!Skinned()) {
      Bar->SetSkinDataName("");
      Bar->SetBoth(FScrollBar != nullptr);
      if (FScrollBar) Bar->SetBothMarkerWidth(19);
    } else {
      const AnsiString& name = FScrollBar ? BothScrollBarName : HScrollBarName;
      Bar->SetSkinDataName(name);
      Bar->SetBothSkinDataName(name);
      Bar->SetBoth(FScrollBar != nullptr);
    }
  } else {
    Bar->SetSkinDataName(!Skinned() ? AnsiString() : Horizontal ? HScrollBarName : VScrollBarName);
  }
  Bar->SetSkinData(FSkinData);
}

void TbsSkinCustomListBox::CalcRects() {
  const int dW = Width() - SkinRect.Width(), dH = Height() - SkinRect.Height();
  const int ch = FCaptionMode && !Skinned() ? FDefaultCaptionHeight : 1;
  if (Skinned()) SkinClientRect = TRect(ClRect.Left, ClRect.Top, ClRect.Right + dW, ClRect.Bottom + dH);
  int hh = 0;
  if (Columns() == 0 && FHScrollBar && FHScrollBar->Visible()) {
    if (!Skinned()) {
      FHScrollBar->SetBounds(1, Height() - 20, Width() - 2, 19);
      hh = FHScrollBar->Height() - 1;
    } else {
      FHScrollBar->SetBounds(SkinClientRect.Left, SkinClientRect.Bottom - FHScrollBar->Height(), SkinClientRect.Width(),
                             FHScrollBar->Height());
      hh = FHScrollBar->Height();
    }
  }
  if (FScrollBar && FScrollBar->Visible()) {
    if (!Skinned() && Columns() > 0) {
      FScrollBar->SetBounds(1, Height() - 20, Width() - 2, 19);
      RealClientRect = TRect(2, ch + 1, Width() - 2, FScrollBar->Top());
    } else if (!Skinned()) {
      FScrollBar->SetBounds(Width() - 20, ch, 19, Height() - 1 - ch - hh);
      RealClientRect = TRect(2, ch + 1, FScrollBar->Left(), Height() - 2 - hh);
    } else if (Columns() > 0) {
      FScrollBar->SetBounds(SkinClientRect.Left, SkinClientRect.Bottom - FScrollBar->Height(), SkinClientRect.Width(),
                            FScrollBar->Height());
      RealClientRect = SkinClientRect;
      RealClientRect.Bottom -= FScrollBar->Height();
    } else {
      FScrollBar->SetBounds(SkinClientRect.Right - FScrollBar->Width(), SkinClientRect.Top, FScrollBar->Width(),
                            SkinClientRect.Height() - hh);
      RealClientRect = SkinClientRect;
      RealClientRect.Right -= FScrollBar->Width();
      RealClientRect.Bottom -= hh;
    }
  } else if (!Skinned()) {
    RealClientRect = TRect(2, ch + 1, Width() - 2, Height() - 2 - hh);
  } else {
    RealClientRect = SkinClientRect;
    RealClientRect.Bottom -= hh;
  }
  FListBox->SetBounds(RealClientRect.Left, RealClientRect.Top, std::max(0, RealClientRect.Width()),
                      std::max(0, RealClientRect.Height()));
}

// Any row count is taken: the height is worked out in 64 bits and SetHeight holds it to a window's extent.
int TbsSkinCustomListBox::CalcHeight(int N) {
  const int64_t rows = int64_t { N } * FListBox->ItemHeight();
  int64_t h = Skinned() ? SkinRect.Height() - ClRect.Height() + rows : rows + 4;
  if (!Skinned() && FCaptionMode) h += FDefaultCaptionHeight;
  if (FHScrollBar) h += FHScrollBar->Height();
  return xj::ClampInt(h);
}

void TbsSkinCustomListBox::UpDateScrollBarLater() {
  xj::TemporaryChange later(FBarLater, true);
  UpDateScrollBar();
}

void TbsSkinCustomListBox::SetBarRange(TbsSkinScrollBar* Bar, int Min, int Max, int Position, int Page) {
  if (FBarLater)
    Bar->SetRangeLater(Min, Max, Position, Page);
  else
    Bar->SetRange(Min, Max, Position, Page);
}

// Runs from the inner list's erase, that is while painting, and from the bars' own handlers: a bar is
// never freed under its handler, and a run started from inside a run is skipped.
void TbsSkinCustomListBox::UpDateScrollBar() {
  if (!FListBox || FUpdating || !FListBox->HandleAllocated()) return;
  xj::TemporaryChange updating(FUpdating, true);
  if (FInBarChange == 0) FreeRetired();
  HWND h = FListBox->Handle();
  const int count = Items()->Count();
  const int itemHeight = std::max(1, FListBox->ItemHeight());
  if (Columns() > 0) {
    int min = 0, max = 0;
    GetScrollRange(h, SB_HORZ, &min, &max);
    const int pos = GetScrollPos(h, SB_HORZ), page = Columns();
    if (max > min && pos <= max && page <= max && FListBox->Height() / itemHeight * Columns() < count) {
      if (!FScrollBar) ShowScrollBar();
      SetBarRange(FScrollBar, min, max, pos, page);
    } else if (FScrollBar) {
      HideScrollBar();
    }
    return;
  }
  if (FHorizontalExtent && !SkinChanging) {
    TCanvas* c = MeasureCanvas();
    const int w = WidestItem();
    int a = Skinned() ? FListBox->Width() - (SItemRect.Width() - ItemTextRect.Width()) : FListBox->Width() - 4;
    if (FImages) a -= FImages->Width() + 4;
    if (w > a) {
      if (!FHScrollBar) ShowHScrollBar();
      SetBarRange(FHScrollBar, 0, w, FHScrollBar->Position(), a);
      const int step = std::max(1, c->TextWidth("0"));
      FHScrollBar->SetSmallChange(step);
      FHScrollBar->SetLargeChange(step);
    } else if (FHScrollBar) {
      HideHScrollBar();
    }
  } else if (FHScrollBar) {
    HideHScrollBar();
  }
  if (FRowCount > 0 && count == FRowCount) {
    if (FScrollBar) HideScrollBar();
    return;
  }
  int min = 0, max = 0;
  GetScrollRange(h, SB_VERT, &min, &max);
  const int pos = GetScrollPos(h, SB_VERT), page = FListBox->Height() / itemHeight;
  if (max > min && pos <= max && count > page) {
    if (!FScrollBar) ShowScrollBar();
    SetBarRange(FScrollBar, min, max, pos, page);
  } else if (FScrollBar) {
    HideScrollBar();
  }
}

TbsSkinCustomListBox::TMeasureFont TbsSkinCustomListBox::MeasureFontNow() const {
  if (Skinned()) return TMeasureFont { true, FontName, FontHeight, FontStyle, TFontCharset(), fpDefault };
  const TFont* f = FListBox->Font();
  return TMeasureFont { false, f->Name(), f->Height(), f->Style(), f->Charset(), f->Pitch() };
}

TCanvas* TbsSkinCustomListBox::MeasureCanvas() {
  const TMeasureFont font = MeasureFontNow();
  if (!FMeasure || !(font == FMeasureFont)) {
    FMeasure = std::make_unique<TBitmap>();
    FMeasure->SetSize(1, 1);
    TCanvas* c = FMeasure->Canvas();
    if (!font.Skinned) {
      c->SetFont(FListBox->Font());
    } else {
      c->Font()->SetName(FontName);
      c->Font()->SetStyle(FontStyle);
      c->Font()->SetHeight(FontHeight);
    }
    FMeasureFont = font;
    FItemWidthsKept = false;
  }
  return FMeasure->Canvas();
}

void TbsSkinCustomListBox::AddItemWidth(int Width, int Delta) {
  const int n = (FItemWidths[Width] += Delta);
  if (n <= 0) FItemWidths.erase(Width);
  // An item leaving with a width no item had: its text changed unseen; measure them all next time.
  if (n < 0) FItemWidthsKept = false;
  FItemWidthsCount += Delta;
}

// The widest item in the measuring font, measuring only the items that came since the last time.
int TbsSkinCustomListBox::WidestItem() {
  TCanvas* c = MeasureCanvas();
  const int count = Items()->Count();
  if (!FItemWidthsKept || FItemWidthsCount != count) {
    FItemWidths.clear();
    FItemWidthsCount = 0;
    for (int i = 0; i < count; ++i) AddItemWidth(GetFullItemWidth(i, c), 1);
    FItemWidthsKept = true;
  }
  return FItemWidths.empty() ? 0 : std::max(0, FItemWidths.rbegin()->first);
}

void TbsSkinCustomListBox::ListBoxItemsChanging(const TMessage& Message) {
  if (!FItemWidthsKept || Message.Msg != LB_DELETESTRING) return;
  const int at = static_cast<int>(Message.WParam);
  if (Message.WParam < static_cast<WPARAM>(Items()->Count())) AddItemWidth(GetFullItemWidth(at, MeasureCanvas()), -1);
}

void TbsSkinCustomListBox::ListBoxItemsChanged(const TMessage& Message) {
  if (!FItemWidthsKept) return;
  switch (Message.Msg) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
      if (Message.Result >= 0) AddItemWidth(GetFullItemWidth(static_cast<int>(Message.Result), MeasureCanvas()), 1);
      break;
    case LB_RESETCONTENT:
    case WM_DESTROY:
      FItemWidths.clear();
      FItemWidthsCount = 0;
      break;
  }
}

void TbsSkinCustomListBox::ShowScrollBar() {
  FScrollBar = new TbsSkinScrollBar(this);
  FScrollBar->SetKind(Columns() > 0 ? sbHorizontal : sbVertical);
  FScrollBar->SetBounds(0, 0, 20, 100);
  FScrollBar->SetRange(0, 100, 0, 0);
  FScrollBar->OnChange = TNotifyEvent(this, &TbsSkinCustomListBox::SBChange);
  SkinBar(FScrollBar, Columns() > 0);
  FScrollBar->SetParent(this);
  FScrollBar->SetVisible(true);
  if (FHScrollBar) SkinBar(FHScrollBar, true);
  CalcRects();
  Repaint();
}

void TbsSkinCustomListBox::ShowHScrollBar() {
  FHScrollBar = new TbsSkinScrollBar(this);
  FHScrollBar->SetKind(sbHorizontal);
  FHScrollBar->SetBounds(0, 0, 20, 100);
  FHScrollBar->SetRange(0, 100, 0, 0);
  FHScrollBar->OnChange = TNotifyEvent(this, &TbsSkinCustomListBox::HSBChange);
  SkinBar(FHScrollBar, true);
  FHScrollBar->SetParent(this);
  FHScrollBar->SetVisible(true);
  CalcRects();
  Repaint();
}

void TbsSkinCustomListBox::Retire(TbsSkinScrollBar*& Bar) {
  Bar->OnChange = TNotifyEvent();
  Bar->SetVisible(false);
  FRetired.push_back(Bar);
  Bar = nullptr;
}

void TbsSkinCustomListBox::FreeRetired() {
  std::vector<TbsSkinScrollBar*> bars;
  bars.swap(FRetired);
  for (TbsSkinScrollBar* b : bars) delete b;
}

// The bottom bar gives up the corner it shared with the vertical one.
void TbsSkinCustomListBox::HideScrollBar() {
  Retire(FScrollBar);
  if (FHScrollBar) SkinBar(FHScrollBar, true);
  CalcRects();
}

void TbsSkinCustomListBox::HideHScrollBar() {
  FListBox->HScrollOffset = 0;
  Retire(FHScrollBar);
  CalcRects();
  FListBox->Invalidate();
}

// The bar's whole position goes to the list, past a 16-bit word.
void TbsSkinCustomListBox::SBChange(TObject*) {
  if (!FScrollBar) return;
  ++FInBarChange;
  xj::ScopeExit done([this] { --FInBarChange; });
  FListBox->Perform(Columns() > 0 ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(SBX_THUMBPOSITION32, 0),
                    static_cast<LPARAM>(FScrollBar->Position()));
}

void TbsSkinCustomListBox::HSBChange(TObject*) {
  if (!FHScrollBar) return;
  FListBox->HScrollOffset = FHScrollBar->Position();
  FListBox->Invalidate();
}

int TbsSkinCustomListBox::GetFullItemWidth(int Index, TCanvas* ACanvas) {
  return ACanvas->TextWidth(Items()->Strings(Index));
}

void TbsSkinCustomListBox::ListBoxMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnListBoxMouseDown) OnListBoxMouseDown(this, Button, Shift, X, Y);
}
void TbsSkinCustomListBox::ListBoxMouseMove(TShiftState Shift, int X, int Y) {
  if (OnListBoxMouseMove) OnListBoxMouseMove(this, Shift, X, Y);
}
void TbsSkinCustomListBox::ListBoxMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnListBoxMouseUp) OnListBoxMouseUp(this, Button, Shift, X, Y);
}
void TbsSkinCustomListBox::ListBoxClick() {
  if (OnListBoxClick) OnListBoxClick(this);
}
void TbsSkinCustomListBox::ListBoxDblClick() {
  if (OnListBoxDblClick) OnListBoxDblClick(this);
}
void TbsSkinCustomListBox::ListBoxKeyDown(WORD& Key, TShiftState Shift) {
  if (OnListBoxKeyDown) OnListBoxKeyDown(this, Key, Shift);
}
void TbsSkinCustomListBox::ListBoxKeyUp(WORD& Key, TShiftState Shift) {
  if (OnListBoxKeyUp) OnListBoxKeyUp(this, Key, Shift);
}
void TbsSkinCustomListBox::ListBoxKeyPress(char& Key) {
  if (OnListBoxKeyPress) OnListBoxKeyPress(this, Key);
}

void TbsSkinCustomListBox::SetItems(TStrings* Value) {
  FListBox->Items()->Assign(Value);
  UpDateScrollBar();
}

void TbsSkinCustomListBox::SetColumns(int Value) {
  FListBox->SetColumns(Value);
  UpDateScrollBar();
}

void TbsSkinCustomListBox::Clear() {
  FListBox->Clear();
  UpDateScrollBar();
}

void TbsSkinCustomListBox::SetHorizontalExtent(bool Value) {
  FHorizontalExtent = Value;
  if (!Value) {
    FItemWidths.clear();
    FItemWidthsKept = false;
  }
  UpDateScrollBar();
}

void TbsSkinCustomListBox::SetRowCount(int Value) {
  FRowCount = Value;
  if (FRowCount != 0) SetHeight(CalcHeight(FRowCount));
}

void TbsSkinCustomListBox::SetImages(TCustomImageList* Value) {
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (FImages) FImages->FreeNotification(this);
  FListBox->Invalidate();
}

void TbsSkinCustomListBox::SetItemIndex(int Value) {
  if (bsLoading(this))
    FStreamedItemIndex = Value;
  else
    FListBox->SetItemIndex(Value);
}

void TbsSkinCustomListBox::Loaded() {
  TbsSkinCustomControl::Loaded();
  if (FStreamedItemIndex != -1) FListBox->SetItemIndex(FStreamedItemIndex);
  FStreamedItemIndex = -1;
}

void TbsSkinCustomListBox::SetImageIndex(int Value) {
  FImageIndex = Value;
  FListBox->Invalidate();
}

void TbsSkinCustomListBox::SetDefaultItemHeight(int Value) {
  FDefaultItemHeight = Value;
  if (!Skinned()) FListBox->SetItemHeight(Value);
}

void TbsSkinCustomListBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const auto life = LifeToken();
  TbsSkinCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (life.expired()) return;
  // Laid out at once, whether or not the window exists yet to hear of the new size.
  if (FListBox) CalcRects();
  if (!Skinned()) Repaint();
}

void TbsSkinCustomListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE: {
      const auto life = LifeToken();
      TbsSkinCustomControl::Dispatch(Message);
      if (life.expired() || !FListBox) return;
      CalcRects();
      UpDateScrollBar();
      if (FScrollBar) FScrollBar->Repaint();
      return;
    }
    case CM_TEXTCHANGED:
      TbsSkinCustomControl::Dispatch(Message);
      if (FCaptionMode) Repaint();
      return;
    case CM_MOUSEENTER:
      TbsSkinCustomControl::Dispatch(Message);
      if (FCaptionMode) TestActive(-1, -1);
      return;
    case CM_MOUSELEAVE:
      TbsSkinCustomControl::Dispatch(Message);
      if (FCaptionMode)
        for (TCaptionButton& b : FButtons)
          if (b.MouseIn) {
            b.MouseIn = false;
            Repaint();
          }
      return;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      // The release lets the capture go before it reaches MouseUp: that is no lost press. Its click and
      // mouse-up handlers may free the list.
      TControlChange releasing(this, FReleasing, true);
      TbsSkinCustomControl::Dispatch(Message);
      return;
    }
    case WM_CAPTURECHANGED:
    case CM_CANCELMODE:
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
      // A press that can no longer be released here ends now: no repeat keeps stepping.
      if (!FReleasing) CancelPress();
      break;
  }
  TbsSkinCustomControl::Dispatch(Message);
}

// ---- TbsCheckListBox --------------------------------------------------------------------------------

TbsCheckListBox::TbsCheckListBox(TComponent* AOwner) : TbsListBox(AOwner) {}
TbsCheckListBox::~TbsCheckListBox() = default;

void TbsCheckListBox::ItemsChanged(TMessage& Message) {
  const auto at = static_cast<LRESULT>(Message.Result);
  switch (Message.Msg) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
      if (at >= 0 && static_cast<size_t>(at) <= FRecords.Size())
        FRecords.Insert(static_cast<size_t>(at), TCheckRecord {});
      break;
    case LB_DELETESTRING:
      if (at >= 0 && Message.WParam < FRecords.Size()) FRecords.Erase(Message.WParam);
      break;
    case LB_RESETCONTENT:
      FRecords.Clear();
      break;
    case WM_DESTROY:
    case WM_NCDESTROY:
      FRecords.Clear();
      break;
  }
}

TbsCheckListBox::TCheckRecord& TbsCheckListBox::Record(int Index) {
  if (Index < 0 || Index >= Items()->Count()) throw EListError::CreateFmt("List index out of bounds (%d)", Index);
  // The native list may hold items that came before this list kept records (none do in practice).
  const auto count = static_cast<size_t>(Items()->Count());
  if (FRecords.Size() < count) FRecords.Insert(FRecords.Size(), std::vector<TCheckRecord>(count - FRecords.Size()));
  return FRecords[static_cast<size_t>(Index)];
}

LONG_PTR TbsCheckListBox::GetItemData(int Index) { return Record(Index).Data; }

// During a re-creation each item takes back its state, in order.
void TbsCheckListBox::SetItemData(int Index, LONG_PTR AData) {
  TCheckRecord& r = Record(Index);
  r.Data = AData;
  if (FSavedStates && !FSavedStates->empty()) {
    r.State = FSavedStates->front();
    FSavedStates->erase(FSavedStates->begin());
  }
}

// Nothing is kept when the control itself goes.
void TbsCheckListBox::DestroyWnd() {
  FSavedStates.reset();
  if (HandleAllocated() && !ComponentState().Contains(csDestroying) && Items()->Count() > 0) {
    auto saved = std::make_unique<std::vector<TCheckBoxState>>();
    for (int i = 0; i < Items()->Count(); ++i) saved->push_back(State(i));
    FSavedStates = std::move(saved);
  }
  TbsListBox::DestroyWnd();
}

bool TbsCheckListBox::Checked(int Index) { return Record(Index).State == cbChecked; }
TCheckBoxState TbsCheckListBox::State(int Index) { return Record(Index).State; }

void TbsCheckListBox::SetChecked(int Index, bool AChecked) {
  if (Checked(Index) == AChecked) return;
  Record(Index).State = AChecked ? cbChecked : cbUnchecked;
  InvalidateCheck(Index);
}

void TbsCheckListBox::SetState(int Index, TCheckBoxState AState) {
  if (State(Index) == AState) return;
  Record(Index).State = AState;
  InvalidateCheck(Index);
}

void TbsCheckListBox::InvalidateCheck(int Index) {
  if (!HandleAllocated()) return;
  const TRect r = ItemRect(Index);
  RECT rc { r.Left, r.Top, r.Right, r.Bottom };
  InvalidateRect(Handle(), &rc, FALSE);
  UpdateWindow(Handle());
}

void TbsCheckListBox::ToggleClickCheck(int Index) {
  if (Index < 0 || Index >= Items()->Count()) return;
  const TCheckBoxState s = State(Index);
  SetState(Index, s == cbUnchecked ? cbChecked : s == cbChecked ? cbUnchecked : cbGrayed);
  if (auto* frame = dynamic_cast<TbsSkinCheckListBox*>(Frame))
    frame->ListBoxOnClickCheck(frame);
  else if (OnClickCheck)
    OnClickCheck(this);
}

// A box right of the text follows the right edge of a wider item.
TRect TbsCheckListBox::SkinCheckRect(int ItemWidth) const {
  auto* f = dynamic_cast<TbsSkinCheckListBox*>(Frame);
  if (!f || IsNullRect(f->ItemCheckRect)) return TRect();
  TRect c = f->ItemCheckRect;
  if (c.Left >= f->ItemTextRect.Right) c = bsShifted(c, ItemWidth - f->SItemRect.Width(), 0);
  return c;
}

// A skin without check rectangles keeps the default check column, so items can still be checked.
// The list's own OnMouseDown comes first, the toggle next, the frame hears of the press last.
void TbsCheckListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TListBox::MouseDown(Button, Shift, X, Y);
  if (life.expired()) return;
  const int index = ItemAtPos(TPoint(X, Y), true);
  if (index != -1) {
    const TRect r = ItemRect(index);
    const TRect c = Skinned() ? bsShifted(SkinCheckRect(r.Width()), r.Left, r.Top) : TRect();
    const bool hit = !IsNullRect(c) ? X >= c.Left && X < c.Right && Y >= c.Top && Y < c.Bottom : X - r.Left < 20;
    auto life = LifeToken();
    if (hit) ToggleClickCheck(index);
    if (life.expired()) return;
  }
  if (Frame) Frame->ListBoxMouseDown(Button, Shift, X, Y);
}

void TbsCheckListBox::KeyPress(char& Key) {
  auto life = LifeToken();
  TListBox::KeyPress(Key);
  if (!life.expired() && Key == ' ') ToggleClickCheck(ItemIndex());
  if (!life.expired() && Frame) Frame->ListBoxKeyPress(Key);
}

void TbsCheckListBox::DrawItemExtra(TCanvas* Cnvs, int Index, int Width, int Height, TRect& T, bool Skin) {
  const TCheckBoxState s = Index >= 0 && Index < Items()->Count() ? State(Index) : cbUnchecked;
  auto* f = dynamic_cast<TbsSkinCheckListBox*>(Frame);
  const TRect c = Skin ? SkinCheckRect(Width) : TRect();
  if (Skin && f && f->Picture && !IsNullRect(c)) {
    const TRect src = ClipToPicture(s == cbChecked ? f->CheckImageRect : f->UnCheckImageRect, f->Picture);
    const int cw = src.Width(), ch = src.Height();
    if (cw < 1 || ch < 1) return;
    TBitmap box;
    box.SetSize(cw, ch);
    box.Canvas()->CopyRect(TRect(0, 0, cw, ch), f->Picture->Canvas(), src);
    box.SetTransparent(true);
    const int cx = c.Left + c.Width() / 2, cy = c.Top + c.Height() / 2;
    Cnvs->Draw(cx - cw / 2, cy - ch / 2, &box);
    return;
  }
  // The default box: a 13 x 13 square in the check column, the mark only when checked.
  if (Skin) T.Left = std::max(T.Left, 20);
  TRect box(3, Height / 2 - 6, 16, Height / 2 + 7);
  Cnvs->Brush()->SetColor(clWindow);
  Cnvs->FillRect(box);
  Frame3D(Cnvs, box, clBtnShadow, clBtnShadow, 1);
  if (s == cbChecked) DrawCheckImage(Cnvs, 6, Height / 2 - 4, clWindowText);
}

// ---- TbsSkinCheckListBox ----------------------------------------------------------------------------

TbsSkinCheckListBox::TbsSkinCheckListBox(TComponent* AOwner)
    : TbsSkinCustomListBox(AOwner, [](TComponent* Owner) -> TbsListBox* { return new TbsCheckListBox(Owner); }) {
  SetSkinDataName("checklistbox");
}

TbsSkinCheckListBox::~TbsSkinCheckListBox() = default;

void TbsSkinCheckListBox::CheckButtonAction() {
  const int i = ItemIndex();
  if (i == -1) return;
  SetChecked(i, !Checked(i));
  ListBoxOnClickCheck(this);
}

void TbsSkinCheckListBox::ListBoxOnClickCheck(TObject*) {
  if (OnClickCheck) OnClickCheck(this);
}

void TbsSkinCheckListBox::GetSkinData() {
  TbsSkinCustomListBox::GetSkinData();
  auto* r = FSkinObjectIndex != -1 ? SkinRecordAs<TbsDataSkinCheckListBox>() : nullptr;
  UnCheckImageRect = r ? r->UncheckImageRect : TRect();
  CheckImageRect = r ? r->CheckImageRect : TRect();
  ItemCheckRect = r ? r->ItemCheckRect : TRect();
}

// ---- TbsSkinListBox ---------------------------------------------------------------------------------

TbsSkinListBox::TbsSkinListBox(TComponent* AOwner) : TbsSkinCustomListBox(AOwner) {}
TbsSkinListBox::~TbsSkinListBox() = default;

// ---- Streaming --------------------------------------------------------------------------------------

XJ_PUBLISHED(TbsSkinCustomListBox,
  XJ_PROP(Align, alNone)
  XJ_PROP(Caption)
  XJ_PROP(CaptionMode, false)
  XJ_PROP(Alignment, taLeftJustify)
  XJ_PROP(Glyph)
  XJ_PROP(NumGlyphs, 1)
  XJ_PROP(Spacing, 2)
  XJ_PROP(DefaultCaptionHeight, 20)
  XJ_PROP(DefaultCaptionFont)
  XJ_EVENT(OnUpButtonClick)
  XJ_EVENT(OnDownButtonClick)
  XJ_EVENT(OnCheckButtonClick)
  XJ_PROP(Enabled, true)
  XJ_PROP(TabStop, false)
  XJ_PROP(Items)
  XJ_PROP(ItemIndex)
  XJ_PROP(Columns, 0)
  XJ_PROP(MultiSelect, false)
  XJ_PROP(ExtandedSelect, true)
  XJ_PROP(Sorted, false)
  XJ_PROP(ListBoxFont)
  XJ_PROP(ListBoxTabOrder)
  XJ_PROP(ListBoxTabStop, true)
  XJ_PROP(HorizontalExtent, false)
  XJ_PROP(RowCount, 0)
  XJ_PROP(Images)
  XJ_PROP(ImageIndex, -1)
  XJ_PROP(DefaultItemHeight, 20)
  XJ_EVENT(OnDrawItem)
  XJ_EVENT(OnListBoxClick)
  XJ_EVENT(OnListBoxDblClick)
  XJ_EVENT(OnListBoxMouseDown)
  XJ_EVENT(OnListBoxMouseMove)
  XJ_EVENT(OnListBoxMouseUp)
  XJ_EVENT(OnListBoxKeyDown)
  XJ_EVENT(OnListBoxKeyPress)
  XJ_EVENT(OnListBoxKeyUp)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnDblClick));
XJ_PUBLISHED(TbsSkinListBox);
XJ_PUBLISHED(TbsSkinCheckListBox,
  XJ_EVENT(OnClickCheck));
