// The open levels of a skinned popup menu: building, sizing, placing, scrolling, mouse and keys.

#include <algorithm>

#include "platform/vcl/ImgList.h"
#include "skin/data/bsUtils.h"
#include "skin/form/bsSkinMenus.h"
#include "skin/form/bsSkinMenusPrivate.h"

using namespace bsmenus;

namespace {

constexpr int kScrollBand = 10;

bool Contains(const TRect& R, int X, int Y) { return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom; }

// The menu item record a skin gives every item: the first object record of that class, if its picture
// is there.
TbsDataSkinMenuItem* FindItemRecord(TbsSkinData* Skin) {
  if (!Usable(Skin)) return nullptr;
  for (int i = 0; i < Skin->ObjectList->Count(); ++i)
    if (auto* r = dynamic_cast<TbsDataSkinMenuItem*>(static_cast<TObject*>(Skin->ObjectList->Items(i))))
      return PictureAt(Skin, r->ActivePictureIndex) ? r : nullptr;
  return nullptr;
}

}  // namespace

// ---- TbsSkinMenuItem: state ------------------------------------------------------------------------------

TbsSkinMenuItem::TbsSkinMenuItem(TbsSkinPopupWindow* AParent, TMenuItem* AMenuItem, TbsDataSkinMenuItem* AData)
    : FParent(AParent), FData(AData), FMenuItem(AMenuItem) {
  if (FData) {
    FPicture = PictureAt(FParent->FSkinData, FData->ActivePictureIndex);
    // Without its picture the item keeps empty looks of its own; the shared record stays as loaded.
    if (FPicture) {
      FSkinRect = FData->SkinRect;
      FActiveSkinRect = FData->ActiveSkinRect;
    }
  }
}

bool TbsSkinMenuItem::IsDivider() const { return FMenuItem->Caption() == "-"; }

void TbsSkinMenuItem::MouseEnter(bool FromKeyboard) {
  FActive = true;
  TbsSkinPopupWindow* level = FParent;
  for (auto& other : level->FItemList)
    if (other.get() != this && other->FDown) {
      other->FDown = false;
      other->Redraw();
    }
  TbsSkinMenu* menu = level->FMenu;
  const int index = menu->GetPWIndex(level);
  if (FDown && index + 2 < menu->LevelCount()) {
    menu->Level(index + 1)->UpDatePW();
    return;
  }
  Redraw();
  menu->CheckItem(level, this, FromKeyboard, false);
}

void TbsSkinMenuItem::MouseLeave() {
  FActive = false;
  if (!FDown) Redraw();
  if (FParent->FMenu->FWaitingItem == this) FParent->FMenu->StopWaiting();
}

void TbsSkinMenuItem::MouseDown() {
  if (!FDown && FMenuItem->Enabled()) FParent->FMenu->CheckItem(FParent, this, false, true);
}

// ---- TbsSkinPopupWindow: construction and layout ---------------------------------------------------------

TbsSkinPopupWindow::TbsSkinPopupWindow(TComponent* AOwner, TbsSkinMenu* AMenu, TbsDataSkinPopupWindow* AData)
    : TCustomControl(AOwner), FMenu(AMenu) {
  SetControlStyle(ControlStyle() << csAcceptsControls << csNoDesignVisible << csReplicatable);
  SetVisible(false);
  FMouseTimer = NewTimer(50, [this] { TestMouse(this); });
  FMorphTimer = NewTimer(20, [this] { TestMorph(this); });
  // The skinned look needs the window picture and an item record with its picture; anything less shows
  // the default look throughout the level.
  TbsSkinData* skin = AMenu->SkinData();
  if (AData && AData->WindowPictureIndex != -1 && PictureAt(skin, AData->WindowPictureIndex) && FindItemRecord(skin)) {
    FData = AData;
    FSkinData = skin;
    FPicture = PictureAt(skin, AData->WindowPictureIndex);
    FMaskPicture = PictureAt(skin, AData->MaskPictureIndex);
  }
}

TbsSkinPopupWindow::~TbsSkinPopupWindow() {
  FMouseTimer.reset();
  FMorphTimer.reset();
  FItemList.clear();
}

// A menu item shown here is freed (its menu rebuilt while open): the menu closes, as it no longer
// shows what it holds.
void TbsSkinPopupWindow::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  for (auto& it : FItemList)
    if (it->MenuItem() == AComponent) {
      FMenu->Hide();  // frees this level
      return;
    }
}

void TbsSkinPopupWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WindowClass.style |= CS_SAVEBITS;
  Params.WndParent = nullptr;
}

int TbsSkinPopupWindow::ItemHeightOf(const TbsSkinMenuItem* I) const {
  if (FItemData) return I->IsDivider() ? RectHeight(FItemData->DividerRect) : RectHeight(FItemData->SkinRect);
  return I->IsDivider() ? 4 : FMenu->ItemHeight();
}

void TbsSkinPopupWindow::CreateMenu(TMenuItem* Item, int StartIndex) {
  FItemData = FData ? FindItemRecord(FSkinData) : nullptr;
  SetItemFont();
  TMenu* parentMenu = Item->GetParentMenu();
  FImages = parentMenu ? parentMenu->Images() : nullptr;
  FItemList.clear();
  for (int i = std::max(0, StartIndex); i < Item->Count(); ++i)
    if (TMenuItem* mi = Item->Items(i); mi->Visible()) {
      FItemList.push_back(std::make_unique<TbsSkinMenuItem>(this, mi, FItemData));
      mi->FreeNotification(this);
    }
  MeasureLevel();
  StretchGeometry();
  CalcItemRects();
}

void TbsSkinPopupWindow::SetItemFont() {
  TCanvas* c = Canvas();
  if (FItemData) {
    c->Font()->SetName(FItemData->FontName);
    c->Font()->SetHeight(FItemData->FontHeight);
    c->Font()->SetStyle(FItemData->FontStyle);
    c->Font()->SetCharset(FMenu->DefaultMenuItemFont()->Charset());
  } else {
    c->Font()->Assign(FMenu->DefaultMenuItemFont());
  }
}

// The level's size from its items (a level taller than the work area scrolls).
void TbsSkinPopupWindow::MeasureLevel() {
  TCanvas* c = Canvas();
  int maxText = 0, height = 0;
  for (auto& it : FItemList) {
    AnsiString text = it->MenuItem()->Caption();
    if (it->MenuItem()->ShortCut() != 0) text = text + "  " + ShortCutToText(it->MenuItem()->ShortCut());
    RECT r {};
    DrawTextA(c->Handle(), text.c_str(), -1, &r, DT_CALCRECT);
    maxText = std::max(maxText, int(r.right - r.left) + 2);
    height += ItemHeightOf(it.get());
  }
  FGlyphWidth = FImages ? FImages->Width() + 5 : 19;
  int width = maxText + 19 + FGlyphWidth;
  const int PW = FPicture ? FPicture->Width() : 0, PH = FPicture ? FPicture->Height() : 0;
  if (FData) {
    const TRect& ir = FData->ItemsRect;
    width += FItemData->TextRect.Left + (RectWidth(FItemData->SkinRect) - FItemData->TextRect.Right) + ir.Left +
             (PW - ir.Right);
    height += ir.Top + (PH - ir.Bottom);
  } else {
    width += 10;
    height += 4;
  }
  FStartIndex = 0;
  FVisibleCount = (int)FItemList.size();
  FScroll = false;
  const TRect& wa = FMenu->WorkArea();
  if (RectHeight(wa) < height) {
    height = std::max(RectHeight(wa), 1);
    FScroll = true;
  }
  FWidth = width;
  FHeight = height;
}

// The skin's geometry moved to the window's size.
void TbsSkinPopupWindow::StretchGeometry() {
  const int width = FWidth, height = FHeight;
  if (FData) {
    const int PW = FPicture ? FPicture->Width() : 0, PH = FPicture ? FPicture->Height() : 0;
    const TbsDataSkinPopupWindow& d = *FData;
    FNewLTPoint = d.LTPoint;
    FNewRTPoint = TPoint(width - (PW - d.RTPoint.X), d.RTPoint.Y);
    FNewLBPoint = TPoint(d.LBPoint.X, height - (PH - d.LBPoint.Y));
    FNewRBPoint = TPoint(width - (PW - d.RBPoint.X), height - (PH - d.RBPoint.Y));
    FNewItemsRect =
        TRect(d.ItemsRect.Left, d.ItemsRect.Top, width - (PW - d.ItemsRect.Right), height - (PH - d.ItemsRect.Bottom));
  } else {
    FNewItemsRect = TRect(2, 2, width - 2, height - 2);
  }
}

void TbsSkinPopupWindow::CalcItemRects() {
  int top = FNewItemsRect.Top, bottom = FNewItemsRect.Bottom;
  if (FScroll) {
    top += kScrollBand;
    bottom -= kScrollBand;
  }
  FVisibleCount = 0;
  int y = top;
  const int count = (int)FItemList.size();
  for (int i = 0; i < count; ++i) FItemList[i]->FVisible = !FScroll;
  for (int i = FStartIndex; i < count; ++i) {
    TbsSkinMenuItem* it = FItemList[i].get();
    const int h = ItemHeightOf(it);
    it->FObjectRect = TRect(FNewItemsRect.Left, y, FNewItemsRect.Right, y + h);
    if (y + h > bottom) break;
    it->FVisible = true;
    ++FVisibleCount;
    y += h;
  }
}

void TbsSkinPopupWindow::Show(const TRect& R, TMenuItem* Item, int StartIndex, bool PopupByItem, bool PopupUp) {
  CreateMenu(Item, StartIndex);
  const TPoint at = PlaceLevel(R, PopupByItem, PopupUp);
  const int X = at.X, Y = at.Y, W = FWidth, H = FHeight;
  FPosition = at;
  FLeft = X;
  FTop = Y;

  const HWND h = Handle();
  SetWindowPos(h, nullptr, X, Y, W, H, SWP_NOZORDER | SWP_NOACTIVATE);
  if (FMaskPicture) SetMenuWindowRegion();
  const bool fade = FMenu->AlphaBlend() && FMenu->AlphaBlendAnimation() && FMenu->FirstPopup();
  if (FMenu->AlphaBlend() && CheckW2KWXP()) {
    SetWindowLongA(h, GWL_EXSTYLE, GetWindowLongA(h, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetAlpha(fade ? 0 : FMenu->AlphaBlendValue());
  }
  SetWindowPos(h, HWND_TOPMOST, X, Y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  SetVisible(true);
  // The fade steps on the window timer, one alpha step per tick, so nothing runs nested inside Show.
  if (fade && CheckW2KWXP()) {
    FFading = true;
    SetTimer(h, TbsSkinMenu::kFadeTimer, 1, nullptr);
  }
  FMouseTimer->SetEnabled(true);
  HighlightFirstChoosable();
}

// Where the level goes for the rectangle R it opens from, inside the work area: below R (or above with
// PopupUp), beside it when it opens from an item, when it scrolls or when neither fits.
TPoint TbsSkinPopupWindow::PlaceLevel(const TRect& R, bool PopupByItem, bool PopupUp) const {
  const TRect& WA = FMenu->WorkArea();
  const int W = FWidth, H = FHeight, IT = FNewItemsRect.Top, half = WA.Top + RectHeight(WA) / 2;
  bool beside = false;
  int X, Y;
  if (FScroll) {
    Y = WA.Top;
  } else if (PopupByItem) {
    Y = R.Top - IT;
    if (Y + H > WA.Bottom) Y = half > R.Top ? WA.Bottom - H : std::max<int>(R.Bottom - H + IT, WA.Top);
  } else if (PopupUp) {
    if (R.Top - H >= WA.Top) {
      Y = R.Top - H;
    } else {
      beside = true;
      Y = half > R.Top ? R.Bottom - std::max(0, R.Bottom + H - WA.Bottom) : WA.Top;
    }
  } else if (R.Bottom + H <= WA.Bottom) {
    Y = R.Bottom;
  } else if (half > R.Top) {
    Y = R.Bottom - (R.Bottom + H - WA.Bottom);
    beside = true;
  } else if (R.Top - H < WA.Top) {
    Y = WA.Top;
    beside = true;
  } else {
    Y = R.Top - H;
  }
  if (PopupByItem || FScroll || beside) {
    X = R.Right + W + 1 > WA.Right ? R.Left - W - 1 : R.Right + 1;
  } else {
    X = R.Left;
    if (R.Left + W > WA.Right) X = WA.Right - W;
    if (R.Left < WA.Left) X = WA.Left;
  }
  return TPoint(X, Y);
}

// The first item that can be chosen starts highlighted (a divider or a disabled item cannot).
void TbsSkinPopupWindow::HighlightFirstChoosable() {
  FActiveItem = -1;
  for (int i = 0; i < (int)FItemList.size(); ++i) {
    TbsSkinMenuItem* it = FItemList[i].get();
    if (it->MenuItem()->Enabled() && !it->IsDivider()) {
      FActiveItem = i;
      it->MouseEnter(true);
      break;
    }
  }
}

void TbsSkinPopupWindow::SetAlpha(int Alpha) {
  FCurrentAlpha = std::clamp(Alpha, 0, 255);
  SetAlphaBlendTransparent(Handle(), (BYTE)FCurrentAlpha);
}

void TbsSkinPopupWindow::FadeStep() {
  const int target = FMenu->AlphaBlendValue();
  SetAlpha(std::min(FCurrentAlpha + 2, target));
  if (FCurrentAlpha >= target) {
    FFading = false;
    KillTimer(Handle(), TbsSkinMenu::kFadeTimer);
  }
}

void TbsSkinPopupWindow::Hide() {
  if (HandleAllocated()) {
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    KillTimer(Handle(), TbsSkinMenu::kScrollTimer);
    KillTimer(Handle(), TbsSkinMenu::kFadeTimer);
  }
  FMouseTimer->SetEnabled(false);
  FMorphTimer->SetEnabled(false);
  FScrollTimerOn = FFading = false;
  SetVisible(false);
}

void TbsSkinPopupWindow::UpDatePW() {
  const int index = FMenu->GetPWIndex(this);
  if (index + 1 < FMenu->LevelCount()) FMenu->CloseMenu(index + 1);
  for (auto& it : FItemList)
    if (it->FDown) {
      it->FDown = false;
      it->Redraw();
    }
}

// ---- Scrolling -------------------------------------------------------------------------------------------

bool TbsSkinPopupWindow::CanScroll(int Direction) const {
  if (Direction == 1) return FStartIndex > 0;
  if (Direction == 2) return FStartIndex + FVisibleCount - 1 < (int)FItemList.size() - 1;
  return false;
}

void TbsSkinPopupWindow::ScrollUp(bool Cycle) {
  if (FStartIndex > 0)
    --FStartIndex;
  else if (Cycle)
    FStartIndex = GetEndStartVisibleIndex();
  else
    return;
  CalcItemRects();
  Repaint();
}

void TbsSkinPopupWindow::ScrollDown(bool Cycle) {
  if (FStartIndex + FVisibleCount < (int)FItemList.size())
    ++FStartIndex;
  else if (Cycle)
    FStartIndex = 0;
  else
    return;
  CalcItemRects();
  Repaint();
}

// The first index from which the list's end fills the band between the two scroll markers.
int TbsSkinPopupWindow::GetEndStartVisibleIndex() const {
  int room = (FNewItemsRect.Bottom - kScrollBand) - (FNewItemsRect.Top + kScrollBand);
  int fit = 0;
  for (int i = (int)FItemList.size() - 1; i >= 0; --i) {
    const int h = ItemHeightOf(FItemList[i].get());
    if (h > room) break;
    room -= h;
    ++fit;
  }
  return std::max(0, (int)FItemList.size() - fit);
}

void TbsSkinPopupWindow::StartScroll() {
  const int index = FMenu->GetPWIndex(this);
  if (index + 1 < FMenu->LevelCount()) FMenu->CloseMenu(index + 1);
  SetTimer(Handle(), TbsSkinMenu::kScrollTimer, 100, nullptr);
  FScrollTimerOn = true;
}

void TbsSkinPopupWindow::StopScroll() {
  FScrollDirection = 0;
  if (FScrollTimerOn && HandleAllocated()) KillTimer(Handle(), TbsSkinMenu::kScrollTimer);
  FScrollTimerOn = false;
  RedrawMarkers();
}

// ---- Mouse -----------------------------------------------------------------------------------------------

bool TbsSkinPopupWindow::GetActive(int X, int Y) const {
  for (auto& it : FItemList)
    if (it->FVisible && Contains(it->FObjectRect, X, Y)) return true;
  return false;
}

bool TbsSkinPopupWindow::InWindow(TPoint P) const { return HandleAllocated() && WindowFromPoint(P) == FHandle; }

void TbsSkinPopupWindow::TestMouse(TObject*) {
  POINT p {};
  GetCursorPos(&p);
  const TPoint screen(p.x, p.y);
  ::ScreenToClient(FHandle, &p);
  if (p.x == FOldMouseX && p.y == FOldMouseY) return;
  FOldMouseX = p.x;
  FOldMouseY = p.y;
  if (InWindow(screen)) {
    TestActive(p.x, p.y);
  } else if (FScroll && FScrollDirection != 0) {
    FScrollDirection = 0;
    RedrawMarkers();
  }
}

void TbsSkinPopupWindow::TestActive(int X, int Y) {
  if (FScroll) {
    const TRect up(FNewItemsRect.Left, FNewItemsRect.Top, FNewItemsRect.Right, FNewItemsRect.Top + kScrollBand);
    const TRect down(FNewItemsRect.Left, FNewItemsRect.Bottom - kScrollBand, FNewItemsRect.Right, FNewItemsRect.Bottom);
    const bool inUp = Contains(up, X, Y), inDown = Contains(down, X, Y);
    if (FScrollDirection == 0 && (inUp || inDown)) {
      const int dir = inUp ? 1 : 2;
      if (CanScroll(dir)) {
        FScrollDirection = dir;
        RedrawMarkers();
        StartScroll();
      }
    } else if (FScrollDirection != 0 && !inUp && !inDown) {
      StopScroll();
    }
  }
  int hit = FActiveItem;
  for (int i = 0; i < (int)FItemList.size(); ++i)
    if (FItemList[i]->FVisible && Contains(FItemList[i]->FObjectRect, X, Y)) {
      hit = i;
      break;
    }
  ChangeActive(hit);
}

// Makes NewIndex the active item; the old and the new one hear it when they can be chosen.
void TbsSkinPopupWindow::ChangeActive(int NewIndex) {
  const int count = (int)FItemList.size();
  FOldActiveItem = FActiveItem;
  if (FOldActiveItem >= count) FOldActiveItem = -1;
  FActiveItem = NewIndex >= count ? -1 : NewIndex;
  if (FActiveItem == FOldActiveItem) return;
  auto choosable = [&](int i) { return i >= 0 && FItemList[i]->MenuItem()->Enabled() && !FItemList[i]->IsDivider(); };
  auto life = LifeToken();
  if (choosable(FOldActiveItem)) FItemList[FOldActiveItem]->MouseLeave();
  if (!life.expired() && choosable(FActiveItem)) FItemList[FActiveItem]->MouseEnter(false);
}

void TbsSkinPopupWindow::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  // The poll may not have seen the cursor arrive yet: the item under a quick click is the one chosen.
  if (Button == mbLeft) TestActive(X, Y);
  if (Button != mbLeft || FActiveItem < 0 || FActiveItem >= (int)FItemList.size() || !GetActive(X, Y)) return;
  TbsSkinMenuItem* it = FItemList[FActiveItem].get();
  if (!it->IsDivider()) it->MouseDown();  // may close the menu and free this level
}

// ---- Keys ------------------------------------------------------------------------------------------------

void TbsSkinPopupWindow::PopupKeyDown(int Key) {
  if (!Visible() || ChooseByAccel(Key)) return;
  const int count = (int)FItemList.size();
  switch (Key) {
    case VK_RETURN:
      if (FActiveItem >= 0 && FActiveItem < count) FItemList[FActiveItem]->MouseDown();
      return;
    case VK_LEFT:
      if (FMenu->LevelCount() < 2) return;
      [[fallthrough]];
    case VK_ESCAPE:
      return CloseLevelByKey();
    case VK_RIGHT:
      if (FActiveItem >= 0 && FActiveItem < count && FItemList[FActiveItem]->MenuItem()->Count() > 0)
        FItemList[FActiveItem]->MouseDown();
      return;
    case VK_DOWN:
    case VK_UP:
      return MoveByArrow(Key == VK_DOWN);
    default:
      return;
  }
}

bool TbsSkinPopupWindow::Choosable(int I) const {
  return FItemList[I]->MenuItem()->Enabled() && !FItemList[I]->IsDivider();
}

// The first choosable item whose caption has Key as its accelerator is chosen; true when there was one.
bool TbsSkinPopupWindow::ChooseByAccel(int Key) {
  const int count = (int)FItemList.size();
  for (int i = 0; i < count; ++i) {
    TbsSkinMenuItem* it = FItemList[i].get();
    if (!Choosable(i) || !IsAccel((WORD)Key, it->MenuItem()->Caption())) continue;
    auto life = LifeToken();
    const int old = FActiveItem;
    it->MouseEnter(false);
    if (life.expired()) return true;
    FActiveItem = i;
    if (old >= 0 && old != i && old < count) FItemList[old]->MouseLeave();
    it->MouseDown();
    return true;
  }
  return false;
}

// Closing frees this level: only locals are used after it.
void TbsSkinPopupWindow::CloseLevelByKey() {
  TbsSkinMenu* menu = FMenu;
  menu->CloseMenu(menu->LevelCount() - 1);
  if (TbsSkinPopupWindow* parent = menu->DeepestLevel()) {
    const int a = parent->FActiveItem;
    if (a >= 0 && a < parent->ItemCount() && parent->FItemList[a]->FDown) {
      parent->FItemList[a]->FDown = false;
      parent->FItemList[a]->Redraw();
    }
  }
}

void TbsSkinPopupWindow::MoveByArrow(bool Down) {
  const int count = (int)FItemList.size();
  if (count == 0) return;
  const int found = WalkToChoosable(Down);
  if (found < 0 || found == FActiveItem) return;
  // Keep the walk in view on a scrolling level.
  if (FScroll) {
    while (found < FStartIndex) ScrollUp(false);
    while (found >= FStartIndex + FVisibleCount && CanScroll(2)) ScrollDown(false);
  }
  FOldActiveItem = FActiveItem;
  FActiveItem = found;
  auto life = LifeToken();
  FItemList[found]->MouseEnter(true);
  if (!life.expired() && FOldActiveItem >= 0 && FOldActiveItem < count) FItemList[FOldActiveItem]->MouseLeave();
}

// The next choosable item from the active one (wrapping round at the start), or -1. A level that
// scrolls is scrolled (cycling) as the walk passes its visible edge.
int TbsSkinPopupWindow::WalkToChoosable(bool Down) {
  const int count = (int)FItemList.size();
  const bool scrolls = FScroll && FScrollDirection == 0;
  auto edge = [&](int i) { return Down ? i == FStartIndex + FVisibleCount - 1 : i == FStartIndex; };
  auto scroll = [&] { Down ? ScrollDown(true) : ScrollUp(true); };
  const int from = Down ? ((FActiveItem == -1 || FActiveItem == count - 1) ? 0 : FActiveItem + 1)
                        : ((FActiveItem <= 0) ? count - 1 : FActiveItem - 1);
  if (scrolls && FActiveItem >= 0 && edge(FActiveItem)) scroll();
  const int step = Down ? 1 : -1;
  for (int i = from; i >= 0 && i < count; i += step) {
    if (Choosable(i)) return i;
    if (scrolls && edge(i)) scroll();
  }
  return -1;
}

// ---- Messages --------------------------------------------------------------------------------------------

void TbsSkinPopupWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEACTIVATE:
      Message.Result = MA_NOACTIVATE;
      return;
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case WM_TIMER:
      TCustomControl::Dispatch(Message);
      if (Message.WParam == TbsSkinMenu::kFadeTimer) {
        if (FFading) FadeStep();
      } else if (Message.WParam == TbsSkinMenu::kScrollTimer) {
        if (FScrollDirection == 1) {
          if (CanScroll(1))
            ScrollUp(false);
          else
            StopScroll();
        } else if (FScrollDirection == 2) {
          if (CanScroll(2))
            ScrollDown(false);
          else
            StopScroll();
        }
      }
      return;
    default:
      TCustomControl::Dispatch(Message);
  }
}
