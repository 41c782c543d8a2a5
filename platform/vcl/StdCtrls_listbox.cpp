// TCustomListBox and TListBox: the class-library side of the native "LISTBOX" window, and the string
// list view of its items.

#include <algorithm>

#include "platform/vcl/StdCtrls_private.h"
#include "platform/win32/IntMath.h"

// The GDI's GetObject macro would rename the string list's GetObject below.
#undef GetObject

namespace {

[[noreturn]] void IndexError(int Index) { throw EListError::CreateFmt("List index out of bounds (%d)", Index); }

}  // namespace

// Items as a string list: every operation is a LB_* message through the list's WindowProc; the objects
// are the items' data (through the list's virtual GetItemData / SetItemData).
class TListBoxStrings : public TStrings {
  XJ_CLASS(TListBoxStrings, TStrings)
 public:
  explicit TListBoxStrings(TCustomListBox* ListBox) : FListBox(ListBox) {}

  int Add(const AnsiString& S) override {
    const LRESULT index = FListBox->Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
    if (index < 0) throw EOutOfResources("Unable to insert a line");
    return static_cast<int>(index);
  }
  void Insert(int Index, const AnsiString& S) override {
    if (Index < 0 || Index > GetCount()) IndexError(Index);
    if (FListBox->Send(LB_INSERTSTRING, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(S.c_str())) < 0)
      throw EOutOfResources("Unable to insert a line");
  }
  void Delete(int Index) override {
    if (Index < 0 || Index >= GetCount()) IndexError(Index);
    FListBox->DeleteString(Index);
  }
  void Clear() override { FListBox->ResetContent(); }

 protected:
  AnsiString Get(int Index) const override {
    const LRESULT length = FListBox->Send(LB_GETTEXTLEN, static_cast<WPARAM>(Index), 0);
    if (length == LB_ERR) IndexError(Index);
    AnsiString s(static_cast<size_t>(length) + 1, '\0');
    const LRESULT got = FListBox->Send(LB_GETTEXT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, length)));
    return s;
  }
  int GetCount() const override { return static_cast<int>(FListBox->Send(LB_GETCOUNT, 0, 0)); }
  TObject* GetObject(int Index) const override {
    if (Index < 0 || Index >= GetCount()) IndexError(Index);
    return reinterpret_cast<TObject*>(FListBox->GetItemData(Index));
  }
  void PutObject(int Index, TObject* AObject) override {
    if (Index < 0 || Index >= GetCount()) IndexError(Index);
    FListBox->SetItemData(Index, reinterpret_cast<LONG_PTR>(AObject));
  }
  // Replaces the text, keeping the item's data and the selection.
  void Put(int Index, const AnsiString& S) override {
    if (Index < 0 || Index >= GetCount()) IndexError(Index);
    const int selected = FListBox->ItemIndex();
    const LONG_PTR data = FListBox->GetItemData(Index);
    Delete(Index);
    Insert(Index, S);
    FListBox->SetItemData(Index, data);
    FListBox->SetItemIndex(selected);
  }
  void SetUpdateState(bool Updating) override {
    FListBox->Send(WM_SETREDRAW, !Updating, 0);
    if (!Updating) FListBox->Refresh();
  }

 private:
  TCustomListBox* FListBox;
};

// ---- Construction ---------------------------------------------------------------------------------------------

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TWinControl(AOwner),
      FItems(std::make_unique<TListBoxStrings>(this)),
      FCanvas(std::make_unique<TControlCanvas>()) {
  FControlStyle = TControlStyle { csSetCaption, csDoubleClicks };
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  SetParentColor(false);
  FCanvas->SetControl(this);
}

TCustomListBox::~TCustomListBox() {
  TearDownWindow();
  FCanvas.reset();
}

TCanvas* TCustomListBox::Canvas() const { return FCanvas.get(); }

TStrings* TCustomListBox::Items() const { return FItems.get(); }

void TCustomListBox::SetItems(TStrings* Value) { FItems->Assign(Value); }

int TCustomListBox::Count() const { return FItems->Count(); }

LRESULT TCustomListBox::Send(UINT Msg, WPARAM WParam, LPARAM LParam) {
  HandleNeeded();
  return Perform(Msg, WParam, LParam);
}

// ---- The window ---------------------------------------------------------------------------------------------------

void TCustomListBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, WC_LISTBOXA);
  Params.Style |= WS_HSCROLL | WS_VSCROLL | LBS_HASSTRINGS | LBS_NOTIFY;
  if (FSorted) Params.Style |= LBS_SORT;
  if (FMultiSelect) Params.Style |= FExtendedSelect ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (FStyle == lbOwnerDrawFixed) Params.Style |= LBS_OWNERDRAWFIXED;
  if (FStyle == lbOwnerDrawVariable) Params.Style |= LBS_OWNERDRAWVARIABLE;
  if (FColumns > 0) Params.Style |= LBS_MULTICOLUMN;
  if (!FIntegralHeight) Params.Style |= LBS_NOINTEGRALHEIGHT;
  Params.AddBorder(FBorderStyle, Ctl3D());
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

// A re-created window gets the saved items back: each text, then its data through SetItemData, in order.
void TCustomListBox::CreateWnd() {
  TWinControl::CreateWnd();
  SetColumnWidth();
  if (!FSaved) return;
  std::unique_ptr<std::vector<TSavedItem>> saved = std::move(FSaved);
  for (size_t i = 0; i < saved->size(); ++i) {
    const TSavedItem& item = (*saved)[i];
    Perform(LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(item.Text.c_str()));
    SetItemData(static_cast<int>(i), item.Data);
  }
  if (FMultiSelect)
    for (size_t i = 0; i < saved->size(); ++i)
      if ((*saved)[i].Selected) Perform(LB_SETSEL, TRUE, static_cast<LPARAM>(i));
  SetItemIndex(FSavedItemIndex);
  SetTopIndex(FSavedTopIndex);
}

void TCustomListBox::DestroyWnd() {
  if (FHandle && !FComponentState.Contains(csDestroying)) {
    const int count = static_cast<int>(Perform(LB_GETCOUNT, 0, 0));
    if (count > 0) {
      auto saved = std::make_unique<std::vector<TSavedItem>>();
      saved->reserve(static_cast<size_t>(count));
      for (int i = 0; i < count; ++i)
        saved->push_back(TSavedItem { FItems->Strings(i), GetItemData(i),
                                      FMultiSelect && Perform(LB_GETSEL, static_cast<WPARAM>(i), 0) > 0 });
      FSavedItemIndex = ItemIndex();
      FSavedTopIndex = TopIndex();
      FSaved = std::move(saved);
    }
  }
  TWinControl::DestroyWnd();
}

void TCustomListBox::SetColumnWidth() {
  if (FColumns <= 0 || !HandleAllocated()) return;
  const int width = std::max(1, (Width() + FColumns - 3) / FColumns);
  Perform(LB_SETCOLUMNWIDTH, static_cast<WPARAM>(width), 0);
}

// ---- Properties ---------------------------------------------------------------------------------------------------

void TCustomListBox::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
}

// A column is a pixel wide at the least, so no more than a window's extent of them can be shown; held
// there, the counts worked out from it (rows times columns, the width plus the count) fit in an int.
void TCustomListBox::SetColumns(int Value) {
  Value = xj::ClampExtent(Value);
  if (FColumns == Value) return;
  const bool restyle = (FColumns == 0) != (Value == 0);
  FColumns = Value;
  if (restyle)
    RecreateWnd();
  else
    SetColumnWidth();
}

void TCustomListBox::SetExtendedSelect(bool Value) {
  if (FExtendedSelect == Value) return;
  FExtendedSelect = Value;
  RecreateWnd();
}

void TCustomListBox::SetIntegralHeight(bool Value) {
  if (FIntegralHeight == Value) return;
  FIntegralHeight = Value;
  RecreateWnd();
}

int TCustomListBox::ItemHeight() {
  if (FStyle == lbStandard && HandleAllocated()) return static_cast<int>(Perform(LB_GETITEMHEIGHT, 0, 0));
  return FItemHeight;
}

void TCustomListBox::SetItemHeight(int Value) {
  if (Value <= 0 || FItemHeight == Value) return;
  FItemHeight = Value;
  // A list of fixed owner-drawn items takes the height in place: a new window would only ask for it
  // again, and re-creating it (every skin switch sets the height) cost several repaints.
  if (FStyle == lbOwnerDrawFixed && HandleAllocated() && Perform(LB_SETITEMHEIGHT, 0, Value) != LB_ERR) return;
  RecreateWnd();
}

int TCustomListBox::ItemIndex() { return static_cast<int>(Send(FMultiSelect ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0)); }

void TCustomListBox::SetItemIndex(int Value) {
  if (ItemIndex() == Value) return;
  if (FMultiSelect)
    Send(LB_SETCARETINDEX, static_cast<WPARAM>(Value), 0);
  else
    Send(LB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

void TCustomListBox::SetMultiSelect(bool Value) {
  if (FMultiSelect == Value) return;
  FMultiSelect = Value;
  RecreateWnd();
}

int TCustomListBox::SelCount() { return static_cast<int>(Send(LB_GETSELCOUNT, 0, 0)); }

bool TCustomListBox::Selected(int Index) {
  const LRESULT r = Send(LB_GETSEL, static_cast<WPARAM>(Index), 0);
  if (r == LB_ERR) IndexError(Index);
  return r != 0;
}

void TCustomListBox::SetSelected(int Index, bool Value) {
  if (FMultiSelect) {
    if (Send(LB_SETSEL, Value, Index) == LB_ERR) IndexError(Index);
    return;
  }
  if (Index < 0 || Index >= Count()) IndexError(Index);
  if (Value)
    SetItemIndex(Index);
  else if (ItemIndex() == Index)
    SetItemIndex(-1);
}

void TCustomListBox::SetSorted(bool Value) {
  if (FSorted == Value) return;
  FSorted = Value;
  RecreateWnd();
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  RecreateWnd();
}

int TCustomListBox::TopIndex() { return static_cast<int>(Send(LB_GETTOPINDEX, 0, 0)); }

void TCustomListBox::SetTopIndex(int Value) {
  if (TopIndex() != Value) Send(LB_SETTOPINDEX, static_cast<WPARAM>(Value), 0);
}

// ---- Items --------------------------------------------------------------------------------------------------------

LONG_PTR TCustomListBox::GetItemData(int Index) { return Send(LB_GETITEMDATA, static_cast<WPARAM>(Index), 0); }

void TCustomListBox::SetItemData(int Index, LONG_PTR AData) { Send(LB_SETITEMDATA, static_cast<WPARAM>(Index), AData); }

void TCustomListBox::ResetContent() { Send(LB_RESETCONTENT, 0, 0); }

void TCustomListBox::DeleteString(int Index) { Send(LB_DELETESTRING, static_cast<WPARAM>(Index), 0); }

void TCustomListBox::Clear() { FItems->Clear(); }

int TCustomListBox::ItemAtPos(const TPoint& Pos, bool Existing) {
  const TRect client = ClientRect();
  if (Pos.X < client.Left || Pos.X >= client.Right || Pos.Y < client.Top || Pos.Y >= client.Bottom) return -1;
  const int count = Count();
  for (int i = TopIndex(); i < count; ++i) {
    RECT r {};
    Perform(LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    if (Pos.X >= r.left && Pos.X < r.right && Pos.Y >= r.top && Pos.Y < r.bottom) return i;
  }
  return Existing ? -1 : count;
}

TRect TCustomListBox::ItemRect(int Index) {
  const int count = Count();
  RECT r {};
  if (Index == 0 || (Index > 0 && Index < count)) {
    Perform(LB_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r));
  } else if (Index == count) {
    Perform(LB_GETITEMRECT, static_cast<WPARAM>(Index - 1), reinterpret_cast<LPARAM>(&r));
    const LONG h = r.bottom - r.top;
    r.top += h;
    r.bottom += h;
  }
  return r;
}

void TCustomListBox::UiDumpItems(std::vector<AnsiString>& Items) {
  if (!HandleAllocated()) return;
  for (int i = 0; i < Count(); ++i) Items.push_back(FItems->Strings(i));
}

// ---- Owner drawing ------------------------------------------------------------------------------------------------

void TCustomListBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  if (Index < Count()) FCanvas->TextOut(Rect.Left + 2, Rect.Top, FItems->Strings(Index));
}

void TCustomListBox::MeasureItem(int Index, int& Height) {
  if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

// The canvas takes the request's DC with the list's font and brush (highlight colours for a selected
// item); a focused item gets the focus rectangle after it is drawn.
void TCustomListBox::CNDrawItem(TMessage& Message) {
  auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  if (!dis) return;
  const TOwnerDrawState state = TOwnerDrawState::FromBits(dis->itemState & 0xFFFF);
  const int index = static_cast<int>(dis->itemID);
  {
    TCanvasDCScope lend(FCanvas.get(), dis->hDC, LifeToken());  // the draw handler may free the control
    FCanvas->SetFont(Font());
    FCanvas->SetBrush(Brush());
    if (index >= 0 && state.Contains(odSelected)) {
      FCanvas->Brush()->SetColor(clHighlight);
      FCanvas->Font()->SetColor(clHighlightText);
    }
    if (index >= 0)
      DrawItem(index, dis->rcItem, state);
    else
      FCanvas->FillRect(dis->rcItem);
    if (state.Contains(odFocused)) DrawFocusRect(dis->hDC, &dis->rcItem);
  }
  Message.Result = TRUE;
}

void TCustomListBox::CNMeasureItem(TMessage& Message) {
  auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  if (!mis) return;
  int height = FItemHeight;
  if (FStyle == lbOwnerDrawVariable) MeasureItem(static_cast<int>(mis->itemID), height);
  mis->itemHeight = static_cast<UINT>(std::max(height, 1));
  Message.Result = TRUE;
}

void TCustomListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      switch (HIWORD(Message.WParam)) {
        case LBN_SELCHANGE: {
          auto life = LifeToken();
          Changed();
          if (!life.expired()) Click();
          break;
        }
        case LBN_DBLCLK:
          DblClick();
          break;
      }
      return;
    case CN_DRAWITEM:
      CNDrawItem(Message);
      return;
    case CN_MEASUREITEM:
      CNMeasureItem(Message);
      return;
    case WM_SIZE: {
      auto life = LifeToken();
      TWinControl::Dispatch(Message);
      if (!life.expired()) SetColumnWidth();
      return;
    }
  }
  TWinControl::Dispatch(Message);
}

// ---- TListBox -------------------------------------------------------------------------------------------------------

TListBox::TListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}
TListBox::~TListBox() = default;
