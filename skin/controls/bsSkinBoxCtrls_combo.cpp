#include "skin/controls/bsSkinBoxCtrls_combo.h"

#include <algorithm>
#include <utility>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Messages.h"
#include "skin/controls/bsSkinCtrls_scrollbar.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"

namespace {

// Left and top edges inside, right and bottom outside.
bool Hit(const TRect& R, int X, int Y) { return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom; }

}  // namespace

// ---- TbsPopupListBox --------------------------------------------------------------------------------------

TbsPopupListBox::TbsPopupListBox(TComponent* AOwner) : TbsSkinListBox(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle { csAcceptsControls, csNoDesignVisible, csReplicatable });
  SetCtl3D(false);
  SetParentCtl3D(false);
  SetVisible(false);
}

TbsPopupListBox::~TbsPopupListBox() = default;

std::unique_ptr<TbsPopupListBox> TbsPopupListBox::ForCombo(TbsSkinCustomComboBox* Combo) {
  auto list = std::make_unique<TbsPopupListBox>(nullptr);
  list->FCombo = Combo;
  return list;
}

void TbsPopupListBox::CreateParams(TCreateParams& Params) {
  TbsSkinListBox::CreateParams(Params);
  TbsDropDownWindow::CreateParams(Params, WS_CLIPCHILDREN, true);
}

void TbsPopupListBox::Dispatch(TMessage& Message) {
  if (!TbsDropDownWindow::MouseActivate(Message)) TbsSkinListBox::Dispatch(Message);
}

void TbsPopupListBox::Show(const TPoint& P) {
  TbsDropDownAlpha alpha;
  // A list of a combo fades in as the combo says; one without a combo shows opaque.
  if (FCombo) {
    alpha.AlphaBlend = FCombo->AlphaBlend();
    alpha.AlphaBlendAnimation = FCombo->AlphaBlendAnimation();
    alpha.AlphaBlendValue = FCombo->AlphaBlendValue();
  }
  FDropping.Show(this, P, alpha);
}

void TbsPopupListBox::Hide() { FDropping.Hide(this); }

// ---- TbsSkinCustomComboBox: life --------------------------------------------------------------------------

TbsSkinCustomComboBox::TbsSkinCustomComboBox(TComponent* AOwner) : TbsSkinCustomControl(AOwner) {
  SetControlStyle(TControlStyle { csAcceptsControls, csCaptureMouse, csOpaque, csDoubleClicks, csReplicatable });
  SetTabStop(true);
  Font()->SetName("宋体");
  Font()->SetColor(clWindowText);
  Font()->SetStyle({});
  Font()->SetHeight(12);
  SetBounds(Left(), Top(), 120, 20);
  FPopupList = TbsPopupListBox::ForCombo(this);
  FPopupList->SetVisible(false);
  FPopupList->SetParent(this);
  FPopupList->OnListBoxMouseDown = TMouseEvent(this, &TbsSkinCustomComboBox::ListBoxMouseDown);
  FPopupList->OnListBoxMouseMove = TMouseMoveEvent(this, &TbsSkinCustomComboBox::ListBoxMouseMove);
  FPopupList->OnListBoxMouseUp = TMouseEvent(this, &TbsSkinCustomComboBox::ListBoxMouseUp);
  FPopupList->OnCheckButtonClick = TNotifyEvent(this, &TbsSkinCustomComboBox::CheckButtonClick);
  TbsListBox* inner = FPopupList->ListBox();
  inner->SetTabStop(false);
  FOldListWindowProc = inner->WindowProc;
  inner->WindowProc = TWndMethod(this, &TbsSkinCustomComboBox::ListBoxWindowProcHook);
  CalcRects();
  SetSkinDataName("combobox");
}

TbsSkinCustomComboBox::~TbsSkinCustomComboBox() {
  // The inner edit and the list go before the window, while the combo is whole: their hooks call back
  // into it. The edit, as any component the combo owns, goes through the combo's ownership.
  DestroyComponents();
  FInnerEdit = nullptr;
  FPopupList.reset();
}

void TbsSkinCustomComboBox::Notification(TComponent* AComponent, TOperation Operation) {
  TbsSkinCustomControl::Notification(AComponent, Operation);
  // While the list is being freed it is already out of reach (reset clears the pointer first).
  if (Operation != opRemove || !FPopupList) return;
  if (AComponent == FPopupList->Images()) SetImages(nullptr);
}

// ---- Properties ---------------------------------------------------------------------------------------------

void TbsSkinCustomComboBox::SetStyle(TbsSkinCustomComboBoxStyle Value) {
  // The same style again would make a second editor over the first.
  if (Value == FStyle) return;
  FStyle = Value;
  // The style sets the tab stop, unless a form being read gave its own.
  if (FStyle == bscbEditStyle) {
    if (!FTabStopRead) SetTabStop(false);
    const bool focused = Focused();
    ShowEditor();
    FInnerEdit->SetText(Text());
    if (focused && FInnerEdit->CanFocus()) FInnerEdit->SetFocus();
  } else {
    if (!FTabStopRead) SetTabStop(true);
    const bool focused = FInnerEdit && FInnerEdit->Focused();
    HideEditor();
    if (focused && CanFocus()) SetFocus();
  }
  CalcRects();
  Invalidate();
}

void TbsSkinCustomComboBox::SetStreamedTabStop(bool Value) {
  FTabStopRead = bsLoading(this);
  SetTabStop(Value);
}

void TbsSkinCustomComboBox::Loaded() {
  FTabStopRead = false;
  // Before the base ends the loading: the selection is made quietly.
  if (const int index = std::exchange(FStreamedItemIndex, -1); index != -1) SelectItem(index);
  TbsSkinCustomControl::Loaded();
  if (std::exchange(FStreamedFonts, {}) == TStreamedFonts { sfDefaultFont }) DefaultFontChange();
}

void TbsSkinCustomComboBox::SetItemIndex(int Value) {
  if (bsLoading(this) && Value >= Items()->Count()) {
    FStreamedItemIndex = Value;
    return;
  }
  FStreamedItemIndex = -1;
  SelectItem(Value);
}

void TbsSkinCustomComboBox::SelectItem(int Value) {
  SetListIndex(Value >= 0 && Value < Items()->Count() ? Value : -1);
  const int i = FPopupList->ItemIndex();
  auto life = LifeToken();
  if (i != -1) SetText(Items()->Strings(i));
  if (life.expired()) return;
  FOldItemIndex = i;
  if (!FInnerEdit) Invalidate();
  if (ComponentState().Contains(csDesigning) || ComponentState().Contains(csLoading) ||
      ComponentState().Contains(csReading))
    return;
  if (OnClick) OnClick(this);
  if (!life.expired()) Change();
}

void TbsSkinCustomComboBox::SetListIndex(int Index) {
  const int n = Items()->Count();
  FPopupList->SetItemIndex(n == 0 ? -1 : std::clamp(Index, -1, n - 1));
}

void TbsSkinCustomComboBox::SetImages(TCustomImageList* Value) {
  FPopupList->SetImages(Value);
  Invalidate();
}

void TbsSkinCustomComboBox::SetImageIndex(int Value) {
  FPopupList->SetImageIndex(Value);
  Invalidate();
}

void TbsSkinCustomComboBox::SetListBoxDrawItem(TbsDrawSkinItemEvent Value) {
  FOnListBoxDrawItem = Value;
  FPopupList->OnDrawItem = Value;
}

void TbsSkinCustomComboBox::ListBoxDrawItem(TCanvas* Cnvs, int Index, int ItemWidth, int ItemHeight, TRect& TextRect,
                                            TOwnerDrawState State) {
  if (FOnListBoxDrawItem) FOnListBoxDrawItem(Cnvs, Index, ItemWidth, ItemHeight, TextRect, State);
}

int TbsSkinCustomComboBox::FaceItemIndex() const { return IsPopupVisible() ? FOldItemIndex : ItemIndex(); }

// ---- Inner edit ---------------------------------------------------------------------------------------------

void TbsSkinCustomComboBox::ShowEditor() {
  if (FInnerEdit) return;
  FInnerEdit = new TbsCustomEdit(this);
  FInnerEdit->SetParent(this);
  FInnerEdit->SetAutoSize(false);
  FInnerEdit->SetVisible(true);
  FInnerEdit->OnChange = TNotifyEvent(this, &TbsSkinCustomComboBox::EditChange);
  FOldEditWindowProc = FInnerEdit->WindowProc;
  FInnerEdit->WindowProc = TWndMethod(this, &TbsSkinCustomComboBox::EditWindowProcHook);
  FInnerEdit->OnEditCancelMode = TbsOnEditCancelMode(this, &TbsSkinCustomComboBox::EditCancelMode);
  ApplyEditFont();
  CalcRects();
}

void TbsSkinCustomComboBox::HideEditor() {
  if (!FInnerEdit) return;
  TbsCustomEdit* edit = FInnerEdit;
  FInnerEdit = nullptr;
  edit->WindowProc = FOldEditWindowProc;
  edit->OnChange = TNotifyEvent();
  edit->OnEditCancelMode = TbsOnEditCancelMode();
  edit->SetVisible(false);
  // Also from inside the edit's own notifications: its code and the hook below look at its life before
  // touching it again.
  delete edit;
}

void TbsSkinCustomComboBox::ApplyEditFont() {
  TFont* f = FInnerEdit->Font();
  const bool skinned = CanPaintSkin();
  if (skinned) {
    f->SetStyle(FontStyle);
    f->SetColor(FontColor);
    f->SetHeight(FontHeight);
    f->SetName(FontName);
    f->SetCharset(FDefaultFont->Charset());
  } else {
    f->Assign(Font());
  }
  // The skin's face shows through the text; the default look has the edit paint its own background.
  if (FInnerEdit->EditTransparent() != skinned) FInnerEdit->SetEditTransparent(skinned);
}

void TbsSkinCustomComboBox::EditChange(TObject*) {
  if (!FInnerEdit) return;
  TControlChange changing(this, FEditChanging, true);
  SetText(FInnerEdit->Text());
}

void TbsSkinCustomComboBox::EditCancelMode(TControl* C) {
  if (!IsOwnPart(C)) CloseUp(false);
}

void TbsSkinCustomComboBox::EditWindowProcHook(TMessage& Message) {
  auto life = LifeToken();
  // The edit this message is for and its own procedure, kept: a handler below may switch the style and
  // free the edit (or make another).
  std::weak_ptr<const void> editLife = FInnerEdit ? FInnerEdit->LifeToken() : std::weak_ptr<const void>();
  TWndMethod old = FOldEditWindowProc;
  const bool open = IsPopupVisible();
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_KILLFOCUS:
      if (open) CloseUp(false);
      break;
    case WM_MOUSEWHEEL:
      if (static_cast<short>(HIWORD(Message.WParam)) > 0)
        EditUp(!open);
      else
        EditDown(!open);
      break;
    case CM_WANTSPECIALKEY:
      // While the list is open Enter and Esc close it instead of reaching the form's buttons.
      if (open && (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE)) {
        Message.Result = 1;
        return;
      }
      break;
    case WM_KEYDOWN:
      if (EditKeyDown(Message.WParam, open)) return;
      break;
    case WM_SYSKEYDOWN:
      // Alt+Down opens and Alt+Up cancels; the edit still sees the key.
      if (Message.WParam == VK_DOWN && !open) DropDown();
      if (Message.WParam == VK_UP && open) CloseUp(false);
      break;
    case WM_CHAR:
      if (Message.WParam == '\r' || Message.WParam == 27) return;
      break;
    default:
      break;
  }
  if (!life.expired() && !editLife.expired()) old(Message);
}

// A key pressed in the inner edit that works the list; true when the edit is not to see it.
bool TbsSkinCustomComboBox::EditKeyDown(WPARAM Key, bool Open) {
  switch (Key) {
    case VK_RETURN:
      if (Open) CloseUp(true);
      return true;
    case VK_ESCAPE:
      if (Open) CloseUp(false);
      return true;
    case VK_F4:
      if (Open)
        CloseUp(true);
      else
        DropDown();
      return true;
    case VK_PRIOR:
      if (Open) SetListIndex(std::max(0, ItemIndex() - PageStep()));
      return false;
    case VK_NEXT:
      if (Open) SetListIndex(std::min(Items()->Count() - 1, ItemIndex() + PageStep()));
      return false;
    case VK_UP:
      EditUp(true);
      return true;
    case VK_DOWN:
      EditDown(true);
      return true;
    default:
      return false;
  }
}

// ---- Layout and drawing -------------------------------------------------------------------------------------

void TbsSkinCustomComboBox::CalcRects() {
  const int w = Width(), h = Height();
  if (!CanPaintSkin()) {
    FButtonRect = TRect(w - 19, 2, w - 2, h - 2);
    FFaceRect = TRect(2, 2, FButtonRect.Left - 1, h - 2);
  } else {
    const int dw = w - RectWidth(SkinRect);
    FButtonRect = SButtonRect;
    // A button in the right-hand part of the picture follows the right edge.
    if (RectWidth(SkinRect) - RTPoint.X <= FButtonRect.Left) FButtonRect = bsShifted(FButtonRect, dw, 0);
    // A button reaching into the face's stretched rows grows with them.
    if (FButtonRect.Top < LBPoint.Y && FButtonRect.Bottom > LTPoint.Y) FButtonRect.Bottom += h - RectHeight(SkinRect);
    FFaceRect = ClRect;
    FFaceRect.Right += dw;
  }
  if (FInnerEdit) FInnerEdit->SetBounds(FFaceRect.Left, FFaceRect.Top, RectWidth(FFaceRect), RectHeight(FFaceRect));
}

void TbsSkinCustomComboBox::GetSkinData() {
  TbsSkinCustomControl::GetSkinData();
  if (FSkinObjectIndex == -1) return;
  auto* r = SkinRecordAs<TbsDataSkinComboBox>();
  if (!r || !Picture) {
    Unskin();
    return;
  }
  SItemRect = r->ItemRect;
  FocusItemRect = IsNullRect(r->FocusItemRect) ? r->ItemRect : r->FocusItemRect;
  ItemLeftOffset = r->ItemLeftOffset;
  ItemRightOffset = r->ItemRightOffset;
  ItemTextRect = r->ItemTextRect;
  FontName = r->FontName;
  FontStyle = r->FontStyle;
  FontHeight = r->FontHeight;
  FontColor = r->FontColor;
  FocusFontColor = r->FocusFontColor;
  ListBoxName = r->ListBoxName;
  SButtonRect = r->ButtonRect;
  ActiveButtonRect = r->ActiveButtonRect;
  DownButtonRect = r->DownButtonRect;
  UnEnabledButtonRect = r->UnenabledButtonRect;
}

void TbsSkinCustomComboBox::ChangeSkinData() {
  TbsSkinCustomControl::ChangeSkinData();
  CalcRects();
  if (FInnerEdit) ApplyEditFont();
  Invalidate();
  // The list takes the skin object the combo's record names, or its default look.
  FPopupList->SetSkinDataName(CanPaintSkin() ? ListBoxName : AnsiString());
  FPopupList->SetSkinData(SkinData());
  FPopupList->UpDateScrollBar();
}

void TbsSkinCustomComboBox::DefaultFontChange() {
  // A form brings the Font it wrote, before or after the default one: that one stands (Loaded).
  if (bsLoading(this)) {
    FStreamedFonts << sfDefaultFont;
    return;
  }
  Font()->Assign(FDefaultFont.get());
  if (FInnerEdit && !CanPaintSkin()) ApplyEditFont();
}

void TbsSkinCustomComboBox::Invalidate() {
  TbsSkinCustomControl::Invalidate();
  if (CanPaintSkin() && FInnerEdit) FInnerEdit->Invalidate();
}

void TbsSkinCustomComboBox::CreateControlDefaultImage(TBitmap* B) {
  CalcRects();
  TCanvas* c = B->Canvas();
  TRect r(0, 0, B->Width(), B->Height());
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(r);
  Frame3D(c, r, clBtnShadow, clBtnShadow, 1);
  DrawButton(c);
  if (!FInnerEdit) DrawDefaultItem(c);
}

void TbsSkinCustomComboBox::CreateControlSkinImage(TBitmap* B) {
  TbsSkinCustomControl::CreateControlSkinImage(B);
  CalcRects();
  DrawButton(B->Canvas());
  if (!FInnerEdit) DrawSkinItem(B->Canvas());
}

void TbsSkinCustomComboBox::DrawButton(TCanvas* C) {
  if (CanPaintSkin()) {
    TRect src;
    if (!Enabled() && !IsNullRect(UnEnabledButtonRect))
      src = UnEnabledButtonRect;
    else if (FButtonDown && FButtonMouseIn)
      src = DownButtonRect;
    else if (FButtonMouseIn)
      src = ActiveButtonRect;
    // In the normal state the frame picture already shows the button, unless the frame was stretched
    // taller: its tiled rows would repeat the arrow down the button.
    else if (RectHeight(FButtonRect) != RectHeight(SButtonRect))
      src = bsShifted(SButtonRect, SkinRect.Left, SkinRect.Top);
    if (!IsNullRect(src)) DrawButtonPicture(C, src);
    return;
  }
  TRect r = FButtonRect;
  bsDrawLookFace(C, r, bsLookState(FButtonDown && FButtonMouseIn, FButtonMouseIn));
  DrawArrowImage(C, FButtonRect, Enabled() ? clBlack : clBtnShadow, 4);
}

// The button's picture Src over the button: the rows in the face's top and bottom corners as they are,
// the rows between stretched, so one arrow stands in a button of any height.
void TbsSkinCustomComboBox::DrawButtonPicture(TCanvas* C, const TRect& Src) {
  const TRect& B = FButtonRect;
  const int top = std::clamp(LTPoint.Y - SButtonRect.Top, 0, RectHeight(Src) / 2);
  const int bottom = std::clamp(SButtonRect.Bottom - LBPoint.Y, 0, RectHeight(Src) / 2);
  if (RectHeight(B) == RectHeight(Src) || RectHeight(B) <= top + bottom) {
    C->CopyRect(B, Picture->Canvas(), Src);
    return;
  }
  C->CopyRect(TRect(B.Left, B.Top, B.Right, B.Top + top), Picture->Canvas(),
              TRect(Src.Left, Src.Top, Src.Right, Src.Top + top));
  C->CopyRect(TRect(B.Left, B.Top + top, B.Right, B.Bottom - bottom), Picture->Canvas(),
              TRect(Src.Left, Src.Top + top, Src.Right, Src.Bottom - bottom));
  C->CopyRect(TRect(B.Left, B.Bottom - bottom, B.Right, B.Bottom), Picture->Canvas(),
              TRect(Src.Left, Src.Bottom - bottom, Src.Right, Src.Bottom));
}

const TbsSkinCustomComboBox::TFaceItem& TbsSkinCustomComboBox::FaceItem() {
  TFaceItem& f = IsPopupVisible() ? FOpenFaceItem : FFaceItem;
  if (IsPopupVisible() || !FFaceItem.Known) {
    const int i = FaceItemIndex();
    const bool shown = i >= 0 && i < Items()->Count();
    f.Text = shown ? Items()->Strings(i) : AnsiString();
    f.Index = shown ? i : -1;
    f.Known = true;
  }
  return f;
}

void TbsSkinCustomComboBox::DrawFaceItem(TCanvas* C, int W, int H, TRect T) {
  const TFaceItem& item = FaceItem();
  if (item.Index == -1) return;
  if (OnComboBoxDrawItem) {
    OnComboBoxDrawItem(C, item.Index, W, H, T, FItemState);
    return;
  }
  if (TCustomImageList* il = Images()) {
    const int image = ImageIndex() > -1 ? ImageIndex() : item.Index;
    if (il->Count() > image) il->Draw(C, T.Left, T.Top + RectHeight(T) / 2 - il->Height() / 2, image, true);
    T.Left += il->Width() + 2;
  }
  SPDrawText2(C, item.Text, T);
}

// The combo's own drawing of an unfocused item goes straight onto the face: a draw handler is promised a
// bitmap of the item, images are laid over it, and the dots of the focus frame fall by where they are
// drawn.
void TbsSkinCustomComboBox::DrawDefaultItem(TCanvas* C) {
  const int w = RectWidth(FFaceRect), h = RectHeight(FFaceRect);
  if (w <= 0 || h <= 0) return;
  const bool focused = Focused();
  FItemState = focused ? TOwnerDrawState { odFocused } : TOwnerDrawState {};
  if (!focused && !OnComboBoxDrawItem && !Images()) {
    TbsRowOnDC item(C->Handle(), FFaceRect.Left, FFaceRect.Top, w, h);
    DefaultItem(item.Canvas(), w, h, false);
    return;
  }
  TBitmap buffer;
  buffer.SetWidth(w);
  buffer.SetHeight(h);
  if (DefaultItem(buffer.Canvas(), w, h, focused)) C->Draw(FFaceRect.Left, FFaceRect.Top, &buffer);
}

// The item in the default look on W x H of C; false when a draw handler freed the combo.
bool TbsSkinCustomComboBox::DefaultItem(TCanvas* C, int W, int H, bool Focused) {
  C->Font()->SetName(Font()->Name());
  C->Font()->SetStyle(Font()->Style());
  C->Font()->SetHeight(Font()->Height());
  const TRect r(0, 0, W, H);
  C->Brush()->SetColor(Focused ? clHighlight : clWindow);
  C->Font()->SetColor(Focused ? clHighlightText : clWindowText);
  C->FillRect(r);
  const auto life = LifeToken();
  DrawFaceItem(C, W, H, TRect(r.Left + 2, r.Top, r.Right - 2, r.Bottom));
  if (life.expired()) return false;
  if (Focused) C->DrawFocusRect(r);
  return true;
}

void TbsSkinCustomComboBox::DrawSkinItem(TCanvas* C) {
  const int w = RectWidth(FFaceRect);
  if (w <= 0) return;
  int h = RectHeight(SItemRect);
  if (h == 0) h = RectHeight(FocusItemRect);
  if (h == 0) h = RectHeight(FFaceRect);
  if (h <= 0) return;
  const bool focused = Focused();
  const TRect& source = focused ? FocusItemRect : SItemRect;
  TBitmap buffer;
  if (!IsNullRect(source)) {
    CreateHSkinImage(ItemLeftOffset, ItemRightOffset, &buffer, Picture, source, w, h);
  } else {
    buffer.SetWidth(w);
    buffer.SetHeight(h);
    buffer.Canvas()->CopyRect(TRect(0, 0, w, h), C, FFaceRect);
  }
  TRect t = ItemTextRect;
  t.Right += w - (IsNullRect(SItemRect) ? RectWidth(ClRect) : RectWidth(SItemRect));
  TCanvas* bc = buffer.Canvas();
  if (FUseSkinFont) {
    bc->Font()->SetName(FontName);
    bc->Font()->SetStyle(FontStyle);
    bc->Font()->SetHeight(FontHeight);
    bc->Font()->SetCharset(FDefaultFont->Charset());
  } else {
    bc->Font()->Assign(FDefaultFont.get());
  }
  bc->Font()->SetColor(focused ? FocusFontColor : FontColor);
  bc->Brush()->SetStyle(bsClear);
  FItemState = focused ? TOwnerDrawState { odFocused } : TOwnerDrawState {};
  const auto life = LifeToken();
  DrawFaceItem(bc, w, h, t);
  if (!life.expired()) C->Draw(FFaceRect.Left, FFaceRect.Top, &buffer);
}

// ---- Opening and closing ------------------------------------------------------------------------------------

void TbsSkinCustomComboBox::DropDown() {
  const int n = Items()->Count();
  if (n == 0 || IsPopupVisible()) return;
  auto life = LifeToken();
  FPopupList->SetWidth(Width());
  FPopupList->SetRowCount(std::min(n, FDropDownCount));
  if (FInnerEdit && FInnerEdit->CanFocus()) FInnerEdit->SetFocus();
  if (life.expired()) return;
  FOldItemIndex = FPopupList->ItemIndex();
  FPopupList->HandleNeeded();
  FPopupList->SetTopIndex(std::max(0, FOldItemIndex));
  FPopupList->Show(TbsDropDownWindow::Place(this, FPopupList->Width(), FPopupList->Height()));
  Invalidate();
}

void TbsSkinCustomComboBox::CloseUp(bool Accept) {
  if (!IsPopupVisible()) return;
  auto life = LifeToken();
  FPopupList->Hide();
  const int i = FPopupList->ItemIndex();
  if (Accept && i >= 0 && i < Items()->Count()) {
    const AnsiString s = Items()->Strings(i);
    if (FInnerEdit) {
      FInnerEdit->SetText(s);
    } else {
      SetText(s);
      if (!life.expired()) Invalidate();
    }
    if (life.expired()) return;
    FOldItemIndex = i;
    if (OnClick) OnClick(this);
    if (life.expired()) return;
    Change();
  } else {
    SetListIndex(FOldItemIndex);
  }
  if (life.expired()) return;
  Invalidate();
  if (Accept && OnCloseUp) OnCloseUp(this);
}

bool TbsSkinCustomComboBox::IsOwnPart(TControl* C) const {
  return C && (C == this || C == FPopupList.get() || C == static_cast<TControl*>(FPopupList->ScrollBar()) ||
               C == static_cast<TControl*>(FPopupList->HScrollBar()) || C == FPopupList->ListBox());
}

// ---- Movers -------------------------------------------------------------------------------------------------

int TbsSkinCustomComboBox::PageStep() const { return std::max(1, FDropDownCount - 1); }

void TbsSkinCustomComboBox::MoveTo(int Index, bool AChange) {
  if (AChange)
    SetItemIndex(Index);
  else
    SetListIndex(Index);
}

void TbsSkinCustomComboBox::EditUp1(bool AChange) {
  if (ItemIndex() > 0) MoveTo(ItemIndex() - 1, AChange);
}

void TbsSkinCustomComboBox::EditDown1(bool AChange) {
  if (ItemIndex() < Items()->Count() - 1) MoveTo(ItemIndex() + 1, AChange);
}

void TbsSkinCustomComboBox::EditPageUp1(bool AChange) {
  if (Items()->Count() > 0) MoveTo(std::max(0, ItemIndex() - PageStep()), AChange);
}

void TbsSkinCustomComboBox::EditPageDown1(bool AChange) {
  if (Items()->Count() > 0) MoveTo(std::min(Items()->Count() - 1, ItemIndex() + PageStep()), AChange);
}

void TbsSkinCustomComboBox::StepEdit(int Delta, bool AChange) {
  const int i = ItemIndex() + Delta;
  if (i < 0 || i >= Items()->Count()) return;
  SetListIndex(i);
  if (!AChange) return;
  auto life = LifeToken();
  SetText(Items()->Strings(i));
  if (!life.expired() && OnClick) OnClick(this);
}

void TbsSkinCustomComboBox::EditUp(bool AChange) { StepEdit(-1, AChange); }

void TbsSkinCustomComboBox::EditDown(bool AChange) { StepEdit(1, AChange); }

// ---- Input ------------------------------------------------------------------------------------------------

// What a skin switch sends the list besides questions: its moves and item height, and invalidation.
// None of them reaches the items or the selection (a handler that does so sends messages of its own).
bool TbsSkinCustomComboBox::LeavesItemsAlone(UINT Msg) {
  switch (Msg) {
    case LB_GETCOUNT:
    case LB_GETCURSEL:
    case LB_GETTEXT:
    case LB_GETTEXTLEN:
    case LB_GETTOPINDEX:
    case LB_GETITEMRECT:
    case LB_GETITEMHEIGHT:
    case LB_SETITEMHEIGHT:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
    case WM_NCCALCSIZE:
    case WM_MOVE:
    case WM_SIZE:
    case CM_INVALIDATE:
      return true;
    default:
      return false;
  }
}

// Forgotten before and after: a paint of the face inside the message reads the list as it is then.
void TbsSkinCustomComboBox::ListBoxWindowProcHook(TMessage& Message) {
  if (LeavesItemsAlone(Message.Msg)) return ListBoxMessage(Message);
  FFaceItem.Known = false;
  const auto life = LifeToken();
  ListBoxMessage(Message);
  if (!life.expired()) FFaceItem.Known = false;
}

void TbsSkinCustomComboBox::ListBoxMessage(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONUP:
      CloseUp(true);
      return;
    // The list never selects by a press nor takes the focus: the release over an item decides.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MBUTTONUP:
      return;
    case WM_MOUSEACTIVATE:
      FOldListWindowProc(Message);
      Message.Result = MA_NOACTIVATE;
      return;
    default:
      FOldListWindowProc(Message);
  }
}

void TbsSkinCustomComboBox::ListBoxMouseDown(TObject*, TMouseButton, TShiftState, int, int) { FListMouseDown = true; }

void TbsSkinCustomComboBox::ListBoxMouseMove(TObject*, TShiftState, int X, int Y) {
  if (FListMouseDown) return;
  const int i = FPopupList->ItemAtPos(TPoint(X, Y), true);
  if (i >= 0 && i < Items()->Count() && i != FPopupList->ItemIndex()) FPopupList->SetItemIndex(i);
}

void TbsSkinCustomComboBox::ListBoxMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  FListMouseDown = false;
  CloseUp(true);
}

void TbsSkinCustomComboBox::CheckButtonClick(TObject*) { CloseUp(true); }

void TbsSkinCustomComboBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
  if (life.expired()) return;
  if (!Focused() && !FInnerEdit && CanFocus()) SetFocus();
  if (life.expired() || Button != mbLeft) return;
  const bool onButton = Hit(FButtonRect, X, Y);
  if (!onButton && (!Hit(FFaceRect, X, Y) || FInnerEdit)) {
    CloseUp(false);
    return;
  }
  FButtonDown = true;
  FButtonMouseIn = onButton;
  Invalidate();
  if (IsPopupVisible())
    CloseUp(false);
  else
    DropDown();
}

void TbsSkinCustomComboBox::MouseMove(TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TbsSkinCustomControl::MouseMove(Shift, X, Y);
  if (life.expired()) return;
  const bool in = Hit(FButtonRect, X, Y);
  if (in != FButtonMouseIn) {
    FButtonMouseIn = in;
    Invalidate();
  }
}

void TbsSkinCustomComboBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto life = LifeToken();
  TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
  if (life.expired() || !FButtonDown) return;
  FButtonDown = false;
  Invalidate();
}

void TbsSkinCustomComboBox::KeyDown(WORD& Key, TShiftState Shift) {
  auto life = LifeToken();
  TbsSkinCustomControl::KeyDown(Key, Shift);
  if (life.expired()) return;
  const bool open = IsPopupVisible(), alt = Shift.Contains(ssAlt);
  switch (Key) {
    case VK_RETURN:
      if (open) CloseUp(true);
      break;
    case VK_ESCAPE:
      if (open) CloseUp(false);
      break;
    case VK_F4:
      if (open)
        CloseUp(true);
      else
        DropDown();
      break;
    case VK_PRIOR:
      EditPageUp1(true);
      break;
    case VK_NEXT:
      EditPageDown1(true);
      break;
    case VK_LEFT:
    case VK_UP:
      if (!alt)
        EditUp1(true);
      else if (open)
        CloseUp(false);
      break;
    case VK_RIGHT:
    case VK_DOWN:
      if (!alt)
        EditDown1(true);
      else if (!open)
        DropDown();
      break;
    default:
      break;
  }
}

void TbsSkinCustomComboBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS:
      return FocusGot(Message);
    case WM_MOUSEWHEEL:
      if (WheelTurned(Message)) return;
      break;
    default:
      break;
  }
  auto life = LifeToken();
  TbsSkinCustomControl::Dispatch(Message);
  if (!life.expired()) AfterInherited(Message);
}

// What the combo adds once the inherited handling is done and left the combo alive.
void TbsSkinCustomComboBox::AfterInherited(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE:
      return CalcRects();
    case CM_FONTCHANGED:
      // The constructor's own font is no font the form gave: reading starts after it.
      if (ComponentState().Contains(csReading)) FStreamedFonts << sfFont;
      return;
    case WM_KILLFOCUS:
      return FocusLost();
    case CM_TEXTCHANGED:
      return TextChanged();
    case CM_MOUSEENTER:
      FMouseInControl = true;
      return;
    case CM_MOUSELEAVE:
      return MouseLeft();
    case CM_CANCELMODE:
      if (!IsOwnPart(reinterpret_cast<TControl*>(Message.LParam))) CloseUp(false);
      return;
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
      return UsableChanged();
    case CM_WANTSPECIALKEY:
      return WantSpecialKey(Message);
    default:
      return;
  }
}

// The focus goes on to the inner edit where there is one.
void TbsSkinCustomComboBox::FocusGot(TMessage& Message) {
  if (FInnerEdit) {
    if (FInnerEdit->CanFocus()) FInnerEdit->SetFocus();
    return;
  }
  auto life = LifeToken();
  TbsSkinCustomControl::Dispatch(Message);
  if (!life.expired()) Invalidate();
}

void TbsSkinCustomComboBox::FocusLost() {
  auto life = LifeToken();
  if (!FInnerEdit) CloseUp(false);
  if (!life.expired()) Invalidate();
}

// Without an inner edit the wheel steps through the items.
bool TbsSkinCustomComboBox::WheelTurned(TMessage& Message) {
  if (FInnerEdit) return false;
  if (static_cast<short>(HIWORD(Message.WParam)) < 1)
    EditDown1(!IsPopupVisible());
  else
    EditUp1(!IsPopupVisible());
  Message.Result = 1;
  return true;
}

void TbsSkinCustomComboBox::TextChanged() {
  auto life = LifeToken();
  if (FInnerEdit && !FEditChanging) FInnerEdit->SetText(Text());
  if (life.expired()) return;
  if (OnChange) OnChange(this);
  if (!life.expired() && FEditChanging) Change();
}

void TbsSkinCustomComboBox::MouseLeft() {
  FMouseInControl = false;
  if (FButtonMouseIn) {
    FButtonMouseIn = false;
    Invalidate();
  }
}

// A list left open over a combo that can no longer be used would be stale.
void TbsSkinCustomComboBox::UsableChanged() {
  auto life = LifeToken();
  if (!Enabled() || !Visible()) CloseUp(false);
  if (!life.expired()) Invalidate();
}

void TbsSkinCustomComboBox::WantSpecialKey(TMessage& Message) {
  if (Message.WParam >= VK_LEFT && Message.WParam <= VK_DOWN) Message.Result = 1;
  // While the list is open Enter and Esc close it instead of reaching the form's buttons.
  if (IsPopupVisible() && (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE)) Message.Result = 1;
}

// ---- TbsSkinComboBox ----------------------------------------------------------------------------------------

TbsSkinComboBox::TbsSkinComboBox(TComponent* AOwner) : TbsSkinCustomComboBox(AOwner) {}
TbsSkinComboBox::~TbsSkinComboBox() = default;

// A drop-down list is made hidden.
XJ_PUBLISHED(TbsPopupListBox,
  XJ_PROP(Visible, false));

XJ_PUBLISHED(TbsSkinCustomComboBox);
XJ_PUBLISHED(TbsSkinComboBox,
  XJ_PROP(AlphaBlend, false)
  XJ_PROP(AlphaBlendAnimation, false)
  XJ_PROP(AlphaBlendValue, BYTE { 0 })
  XJ_PROP(Style, bscbFixedStyle)
  XJ_PROP(DropDownCount, 8)
  XJ_PROP(Items)
  XJ_PROP(ItemIndex, -1)
  XJ_PROP(Text)
  XJ_PROP(Sorted, false)
  XJ_PROP(HorizontalExtent, false)
  XJ_PROP(Images)
  XJ_PROP(ImageIndex, -1)
  XJ_PROP(ListBoxCaption)
  XJ_PROP(ListBoxCaptionMode, false)
  XJ_PROP(ListBoxCaptionAlignment, taLeftJustify)
  XJ_PROP(ListBoxDefaultFont)
  XJ_PROP(ListBoxDefaultCaptionFont)
  XJ_PROP(ListBoxDefaultItemHeight, 20)
  XJ_PROP(ListBoxUseSkinFont, true)
  XJ_EVENT(OnChange)
  XJ_EVENT(OnClick)
  XJ_EVENT(OnCloseUp)
  XJ_EVENT(OnComboBoxDrawItem)
  XJ_PROP_RW(OnListBoxDrawItem, OnListBoxDrawItem, SetListBoxDrawItem)
  XJ_PROP(Font)
  XJ_PROP_RW(TabStop, TabStop, SetStreamedTabStop) XJ_STORED(IsTabStopStored)
  XJ_PROP(Enabled, true)
  XJ_PROP(Align, alNone)
  XJ_PROP(PopupMenu)
  XJ_PROP(ShowHint));
