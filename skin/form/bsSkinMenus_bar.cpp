// The skinned main menu, the main-menu bar and its objects (top-level items and MDI-child buttons).

#include <algorithm>

#include "platform/vcl/ExtCtrls.h"
#include "skin/data/bsUtils.h"
#include "skin/form/bsSkinMenus.h"
#include "skin/form/bsSkinMenusPrivate.h"

using namespace bsmenus;

namespace {

constexpr int kMarkerWidth = 5;

TRect ToScreen(TControl* C, const TRect& R) {
  const TPoint p = C->ClientToScreen(TPoint(R.Left, R.Top));
  return TRect(p.X, p.Y, p.X + RectWidth(R), p.Y + RectHeight(R));
}

// The flat look of a bar object: framed and filled when pressed or hovered, button face otherwise.
void FillFlat(TCanvas* C, int W, int H, bool Down, bool MouseIn) {
  TRect r(0, 0, W, H);
  bsDrawLookFace(C, r, bsLookState(Down, MouseIn), false);
}

}  // namespace

// ---- TbsSkinMainMenu -------------------------------------------------------------------------------------

XJ_PUBLISHED(TbsSkinMainMenu,
  XJ_PROP(SkinData));

TbsSkinMainMenu::TbsSkinMainMenu(TComponent* AOwner) : TMainMenu(AOwner) {}

void TbsSkinMainMenu::SetSkinData(TbsSkinData* Value) { Link(this, FSkinData, Value); }

void TbsSkinMainMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMainMenu::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FSkinData) FSkinData = nullptr;
}

// ---- TbsMenuBarObject ------------------------------------------------------------------------------------

TbsMenuBarObject::TbsMenuBarObject(TbsSkinMainMenuBar* AMenuBar, TbsDataSkinObject* AData) : FParent(AMenuBar) {
  if (!AData) return;
  FIDName = AData->IDName;
  FSkinRect = AData->SkinRect;
  FActiveSkinRect = AData->ActiveSkinRect;
  FDownRect = AData->ActiveSkinRect;
  FMorphing = AData->Morphing && !IsNullRect(FActiveSkinRect);
  FMorphKind = AData->MorphKind;
  FObjectRect = FSkinRect;
  FActivePicture = PictureAt(AMenuBar->SkinData(), AData->ActivePictureIndex);
}

void TbsMenuBarObject::Redraw() {
  if (FMorphing)
    FParent->FMorphTimer->SetEnabled(true);
  else
    FParent->DrawSkinObject(this);
}

void TbsMenuBarObject::SetMorphKf(double Value) { FMorphStep = std::clamp((int)std::lround(Value * 10), 0, 10); }

void TbsMenuBarObject::DoMorphing() {
  FMorphStep = std::clamp(FMorphStep + (FActive ? 1 : -1), 0, 10);
  if (FParent->HandleAllocated()) Draw(FParent->Canvas());
}

bool TbsMenuBarObject::CanMorphing() {
  if (FDown && !IsNullRect(FDownRect)) return false;
  return FActive ? FMorphStep < 10 : FMorphStep > 0;
}

void TbsMenuBarObject::MouseEnter() {
  FMouseIn = FActive = true;
  Redraw();
}

void TbsMenuBarObject::MouseLeave() {
  FMouseIn = FActive = false;
  Redraw();
}

// ---- TbsSkinMainMenuBarButton ----------------------------------------------------------------------------

TbsSkinMainMenuBarButton::TbsSkinMainMenuBarButton(TbsSkinMainMenuBar* AMenuBar, TbsDataSkinMainMenuBarButton* AData)
    : TbsMenuBarObject(AMenuBar, AData) {
  if (!AData) return;
  FCommand = AData->Command;
  FDownRect = AData->DownRect;
  FHasSkinRecord = true;
}

void TbsSkinMainMenuBarButton::Draw(TCanvas* C) {
  if (!FHasSkinRecord || !FActivePicture) {
    DefaultDraw(C);
    return;
  }
  const int W = RectWidth(FObjectRect), H = RectHeight(FObjectRect);
  TCanvas* src = FActivePicture->Canvas();
  if (FDown && !IsNullRect(FDownRect) && FMouseIn) {
    C->CopyRect(FObjectRect, src, FDownRect);
    return;
  }
  if (FMorphing && FMorphStep != (FActive ? 10 : 0) && W > 0 && H > 0) {
    TBitmap normal, active;
    normal.SetSize(W, H);
    active.SetSize(W, H);
    normal.Canvas()->CopyRect(TRect(0, 0, W, H), src, FSkinRect);
    active.Canvas()->CopyRect(TRect(0, 0, W, H), src, FActiveSkinRect);
    DrawMorph(&normal, &active, FMorphKind, MorphKf(), C->Handle(), FObjectRect.Left, FObjectRect.Top);
    return;
  }
  C->CopyRect(FObjectRect, src, FActive && !IsNullRect(FActiveSkinRect) ? FActiveSkinRect : FSkinRect);
}

void TbsSkinMainMenuBarButton::DefaultDraw(TCanvas* C) {
  const int W = RectWidth(FObjectRect), H = RectHeight(FObjectRect);
  if (W < 1 || H < 1) return;
  TBitmap B;
  B.SetSize(W, H);
  const bool pressed = FDown && FMouseIn;
  FillFlat(B.Canvas(), W, H, pressed, FMouseIn);
  const int x = W / 2 - 5 + (pressed ? 1 : 0), y = H / 2 - 4 + (pressed ? 1 : 0);
  const TColor color = FEnabled ? clBtnText : clBtnShadow;
  switch (FCommand) {
    case cmClose:
      DrawCloseImage(B.Canvas(), x, y, color);
      break;
    case cmMaximize:
      DrawRestoreImage(B.Canvas(), x, y, color);
      break;  // the child is maximised: it restores
    case cmMinimize:
      DrawMinimizeImage(B.Canvas(), x, y, color);
      break;
    case cmSysMenu:
      DrawSysMenuImage(B.Canvas(), x, y, color);
      break;
    default:
      break;
  }
  C->Draw(FObjectRect.Left, FObjectRect.Top, &B);
}

void TbsSkinMainMenuBarButton::MouseDown(int, int, TMouseButton Button) {
  if (!FEnabled || Button != mbLeft || FDown) return;
  FDown = true;
  if (FMorphing && !IsNullRect(FDownRect)) SetMorphKf(1.0);
  FParent->DrawSkinObject(this);
  if (FCommand == cmSysMenu) DoCommand();
}

void TbsSkinMainMenuBarButton::MouseUp(int, int, TMouseButton Button) {
  if (!FEnabled || Button != mbLeft) return;
  if (FCommand == cmSysMenu) return;  // stays down until its menu closes
  FDown = false;
  Redraw();
  if (FActive) DoCommand();  // only when released over the button
}

void TbsSkinMainMenuBarButton::MouseEnter() {
  if (FCommand == cmSysMenu && FDown) {
    FMouseIn = FActive = true;
    return;
  }
  TbsMenuBarObject::MouseEnter();
}

void TbsSkinMainMenuBarButton::MouseLeave() {
  if (FCommand == cmSysMenu && FDown) {
    if (FMorphing) FMorphStep = 10;
    FMouseIn = FActive = false;
    return;
  }
  TbsMenuBarObject::MouseLeave();
}

void TbsSkinMainMenuBarButton::DblClick() {
  IbsSkinMenuHost* child = GetMDIChildSkinFormComponent();
  IbsSkinMenuHost* host = FParent->Host();
  if (!child || !host || FCommand != cmSysMenu) return;
  host->SkinMenu()->Hide();
  host->SkinMenuClose();
  child->Form()->Close();
}

void TbsSkinMainMenuBarButton::DoCommand() {
  IbsSkinMenuHost* child = GetMDIChildSkinFormComponent();
  if (!child) return;
  switch (FCommand) {
    case cmClose:
      child->Form()->Close();
      break;
    case cmMaximize:
      child->SetWindowState(wsNormal);
      break;
    case cmMinimize:
      child->SetWindowState(wsMinimized);
      break;
    case cmSysMenu: {
      IbsSkinMenuHost* host = FParent->Host();
      if (!host) return;
      FParent->Repaint();
      const TRect r = ToScreen(FParent, FObjectRect);
      host->SkinMenuOpen();
      TbsSkinData* skin = host->MenusSkinData() ? host->MenusSkinData() : host->SkinData();
      host->SkinMenu()->Popup(FParent, skin, 0, r, child->GetSystemMenu(), FParent->PopupToUp());
      break;
    }
    default:
      break;
  }
}

// ---- TbsSkinMainMenuBarItem ------------------------------------------------------------------------------

TbsSkinMainMenuBarItem::TbsSkinMainMenuBarItem(TbsSkinMainMenuBar* AMenuBar, TbsDataSkinMainMenuItem* AData)
    : TbsMenuBarObject(AMenuBar, AData) {
  if (AData) {
    FHasSkinRecord = true;
    FFontName = AData->FontName;
    FFontHeight = AData->FontHeight;
    FFontStyle = AData->FontStyle;
    FUnenabledFontColor = AData->UnenabledFontColor;
    FFontColor = AData->FontColor;
    FActiveFontColor = AData->ActiveFontColor;
    FDownFontColor = AData->DownFontColor;
    FTextRect = AData->TextRect;
    FItemDownRect = AData->DownRect;
    FItemLeftOffset = AData->ItemLeftOffset;
    FItemRightOffset = AData->ItemRightOffset;
    if (IsNullRect(FItemDownRect)) FItemDownRect = IsNullRect(FActiveSkinRect) ? FSkinRect : FActiveSkinRect;
  }
  FSavedEnabled = FEnabled;
  FFits = true;
}

bool TbsSkinMainMenuBarItem::Place(TCanvas* C) {
  int x = FParent->FNewItemsRect.Left;
  for (auto& o : FParent->FObjectList) {
    if (o.get() == this) break;
    if (dynamic_cast<TbsSkinMainMenuBarItem*>(o.get())) x = o->ObjectRect().Right;
  }
  const TRect& items = FParent->FNewItemsRect;
  const AnsiString& caption = FMenuItem->Caption();
  RECT r {};
  if (FHasSkinRecord) {
    C->Font()->SetName(FFontName);
    C->Font()->SetStyle(FFontStyle);
    C->Font()->SetHeight(FFontHeight);
    C->Font()->SetCharset(FParent->DefItemFont()->Charset());
    DrawTextA(C->Handle(), caption.c_str(), -1, &r, DT_CALCRECT | DT_CENTER);
    const int w = RectWidth(FSkinRect) - RectWidth(FTextRect) + (r.right - r.left) + 2;
    FObjectRect = TRect(x, items.Top, x + w, items.Top + RectHeight(FSkinRect));
  } else {
    C->Font()->Assign(FParent->DefItemFont());
    DrawTextA(C->Handle(), caption.c_str(), -1, &r, DT_CALCRECT | DT_CENTER);
    FObjectRect = TRect(x, items.Top, x + (r.right - r.left) + 12, items.Bottom);
  }
  if (FObjectRect.Right <= items.Right - kMarkerWidth) {
    if (!FFits) {
      FFits = true;
      FEnabled = FSavedEnabled;
    }
    return true;
  }
  FParent->FHasHiddenItems = true;
  if (FFits) {
    // A hidden item can be neither hot nor pressed until the bar is wide enough again.
    FSavedEnabled = FEnabled;
    FEnabled = false;
    FFits = false;
  }
  return false;
}

void TbsSkinMainMenuBarItem::MakeImage(TBitmap* B, const TRect& S, bool IsActive) {
  const int W = RectWidth(FObjectRect), H = RectHeight(FObjectRect);
  CreateHSkinImage(FItemLeftOffset, FItemRightOffset, B, FActivePicture, S, W, H);
  TCanvas* C = B->Canvas();
  C->Brush()->SetStyle(bsClear);
  C->Font()->SetName(FFontName);
  C->Font()->SetStyle(FFontStyle);
  C->Font()->SetHeight(FFontHeight);
  C->Font()->SetCharset(FParent->DefItemFont()->Charset());
  C->Font()->SetColor(FDown                  ? FDownFontColor
                      : IsActive             ? FActiveFontColor
                      : FMenuItem->Enabled() ? FFontColor
                                             : FUnenabledFontColor);
  const AnsiString& caption = FMenuItem->Caption();
  RECT t { FTextRect.Left, FTextRect.Top, FTextRect.Right, FTextRect.Bottom };
  DrawTextA(C->Handle(), caption.c_str(), -1, &t, DT_CALCRECT);
  t.right += 2;
  DrawTextA(C->Handle(), caption.c_str(), -1, &t, DT_CENTER | DT_VCENTER);
}

void TbsSkinMainMenuBarItem::Draw(TCanvas* C) {
  if (!FHasSkinRecord) {
    DefaultDraw(C);
    return;
  }
  if (IsNullRect(FSkinRect) || IsNullRect(FTextRect) || !Place(C) || !FActivePicture) return;
  TBitmap B;
  if (FDown) {
    MakeImage(&B, FItemDownRect, true);
  } else if (FMorphing && FMorphStep != (FActive ? 10 : 0)) {
    TBitmap normal, active;
    MakeImage(&normal, FSkinRect, false);
    MakeImage(&active, FActiveSkinRect, true);
    DrawMorph(&normal, &active, FMorphKind, MorphKf(), C->Handle(), FObjectRect.Left, FObjectRect.Top);
    return;
  } else if (FActive) {
    MakeImage(&B, IsNullRect(FActiveSkinRect) ? FSkinRect : FActiveSkinRect, true);
  } else {
    MakeImage(&B, FSkinRect, false);
  }
  C->Draw(FObjectRect.Left, FObjectRect.Top, &B);
}

void TbsSkinMainMenuBarItem::DefaultDraw(TCanvas* C) {
  if (!Place(C)) return;
  const int W = RectWidth(FObjectRect), H = RectHeight(FObjectRect);
  if (W < 1 || H < 1) return;
  TBitmap B;
  B.SetSize(W, H);
  TCanvas* bc = B.Canvas();
  FillFlat(bc, W, H, FDown, FMouseIn);
  bc->Font()->Assign(FParent->DefItemFont());
  bc->Brush()->SetStyle(bsClear);
  const AnsiString& caption = FMenuItem->Caption();
  RECT m {};
  DrawTextA(bc->Handle(), caption.c_str(), -1, &m, DT_CALCRECT);
  const int h = m.bottom - m.top;
  RECT r { 1, 1, W - 1, H - 1 };
  r.top = (r.bottom - r.top) / 2 + r.top - h / 2;
  r.bottom = r.top + h;
  if (FDown) {
    ++r.left;
    ++r.top;
  }
  DrawTextA(bc->Handle(), caption.c_str(), -1, &r, DT_CENTER | DT_VCENTER);
  C->Draw(FObjectRect.Left, FObjectRect.Top, &B);
}

void TbsSkinMainMenuBarItem::SearchActive() {
  for (auto& o : FParent->FObjectList)
    if (auto* it = dynamic_cast<TbsSkinMainMenuBarItem*>(o.get()); it && it != this && it->FActive) {
      it->MouseLeave();
      return;
    }
}

bool TbsSkinMainMenuBarItem::SearchDown() {
  for (auto& o : FParent->FObjectList)
    if (auto* it = dynamic_cast<TbsSkinMainMenuBarItem*>(o.get()); it && it != this && it->FDown) {
      it->SetDown(false);
      return true;
    }
  return false;
}

void TbsSkinMainMenuBarItem::MouseEnter() {
  if (SearchDown()) {
    // A sub-menu was open on another item: it moves to this one.
    FActive = FMouseIn = true;
    if (FMorphing) SetMorphKf(1.0);
    SetDown(true);
    return;
  }
  SearchActive();
  FMouseIn = FActive = true;
  Redraw();
}

void TbsSkinMainMenuBarItem::MouseLeave() {
  FActive = FMouseIn = false;
  if (FMorphing && FDown) FMorphStep = 0;
  Redraw();
}

void TbsSkinMainMenuBarItem::MouseDown(int, int, TMouseButton Button) {
  if (!FEnabled || Button != mbLeft) return;
  if (FMenuItem->Count() > 0) {
    FParent->FMenuMode = true;
    SetDown(true);
    return;
  }
  if (IbsSkinMenuHost* host = FParent->Host()) {
    if (host->InMainMenu()) host->SkinMainMenuClose();
    host->SetInMenu(false);
  }
  FParent->FMenuMode = false;
  Redraw();
  if (TMenu* m = FMenuItem->GetParentMenu())
    m->DispatchCommand(FMenuItem->Command());
  else
    FMenuItem->Click();
}

void TbsSkinMainMenuBarItem::SetDown(bool Value) {
  if (Value) {
    FDown = true;
    FMorphStep = 10;
    FParent->DrawSkinObject(this);
    IbsSkinMenuHost* host = FParent->Host();
    if (host && !host->InMainMenu()) host->MainMenuEnter(FParent);
    TrackMenu();
    return;
  }
  FDown = false;
  FActive = false;
  if (!FMorphing) {
    FMorphStep = 0;
    FParent->DrawSkinObject(this);
  } else {
    FMorphStep = 10;
    Redraw();  // fades back
  }
}

void TbsSkinMainMenuBarItem::TrackMenu() {
  IbsSkinMenuHost* host = FParent->Host();
  if (!host) return;
  const TRect r = ToScreen(FParent, FObjectRect);
  host->SkinMenuOpen();
  host->SetInMainMenu(true);
  host->SkinMenu()->Popup(nullptr, FParent->SkinData(), 0, r, FMenuItem, FParent->PopupToUp());
}

// ---- TbsSkinMainMenuBar: construction and skin -----------------------------------------------------------

XJ_PUBLISHED(TbsSkinMainMenuBar,
  XJ_PROP(DefItemFont)
  XJ_PROP(DefaultWidth)
  XJ_PROP(DefaultHeight)
  XJ_PROP(PopupToUp)
  XJ_PROP(SkinForm)
  XJ_PROP(MainMenu)
  XJ_PROP(Enabled, true)
  XJ_EVENT(OnMouseDown)
  XJ_EVENT(OnMouseMove)
  XJ_EVENT(OnMouseUp)
  XJ_EVENT(OnClick));

TbsSkinMainMenuBar::TbsSkinMainMenuBar(TComponent* AOwner)
    : TbsSkinControl(AOwner), FDefItemFont(std::make_unique<TFont>()) {
  FDefItemFont->SetName("宋体");
  FDefItemFont->SetStyle({});
  FDefItemFont->SetHeight(12);
  FDefItemFont->SetColor(clBtnText);
  SetAlign(alTop);
  SetHeight(22);
  FMouseTimer = NewTimer(50, [this] { TestMouse(this); });
  FMorphTimer = NewTimer(20, [this] { TestMorph(this); });
  FSkinDataName = "mainmenubar";
}

TbsSkinMainMenuBar::~TbsSkinMainMenuBar() {
  FMouseTimer.reset();
  FMorphTimer.reset();
  ClearObjects();
}

void TbsSkinMainMenuBar::Notification(TComponent* AComponent, TOperation Operation) {
  TbsSkinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FMainMenu) {
    FMainMenu = nullptr;
    ClearObjects();
  }
  if (AComponent == FSkinForm) FSkinForm = nullptr;
  // A top-level menu item freed while the bar shows it loses its bar item.
  for (size_t i = 0; i < FObjectList.size(); ++i)
    if (auto* it = dynamic_cast<TbsSkinMainMenuBarItem*>(FObjectList[i].get()); it && it->FMenuItem == AComponent) {
      FObjectList.erase(FObjectList.begin() + i);
      FActiveObject = FOldActiveObject = FMouseCaptureObject = -1;
      Invalidate();
      break;
    }
}

IbsSkinMenuHost* TbsSkinMainMenuBar::Host() const { return dynamic_cast<IbsSkinMenuHost*>(FSkinForm); }

void TbsSkinMainMenuBar::SetSkinForm(TComponent* Value) { Link(this, FSkinForm, Value); }

void TbsSkinMainMenuBar::SetMainMenu(TMainMenu* Value) {
  Link(this, FMainMenu, Value);
  CreateMenu();
  Repaint();
}

void TbsSkinMainMenuBar::SetDefItemFont(TFont* Value) {
  FDefItemFont->Assign(Value);
  if (FSkinObjectIndex == -1) Repaint();
}

void TbsSkinMainMenuBar::SetDefaultWidth(int Value) {
  FDefaultWidth = Value;
  if (FSkinObjectIndex == -1 && Value >= 1) SetWidth(Value);
}

void TbsSkinMainMenuBar::SetDefaultHeight(int Value) {
  FDefaultHeight = Value;
  if (FSkinObjectIndex == -1 && Value >= 1) SetHeight(Value);
}

void TbsSkinMainMenuBar::GetSkinData() {
  TbsSkinControl::GetSkinData();
  auto* r = dynamic_cast<TbsDataSkinMainMenuBar*>(SkinRecord());
  if (!r) {
    FSkinObjectIndex = -1;  // a record of another class leaves the bar unskinned
    FPicture = nullptr;
    return;
  }
  FSkinRect = r->SkinRect;
  FItemsRect = r->ItemsRect;
  FMenuBarItem = r->MenuBarItem;
  FCloseButton = r->CloseButton;
  FMaxButton = r->MaxButton;
  FMinButton = r->MinButton;
  FSysMenuButton = r->SysMenuButton;
  FTrackMarkColor = r->TrackMarkColor;
  FTrackMarkActiveColor = r->TrackMarkActiveColor;
  FPicture = PictureAt(FSkinData, r->PictureIndex);
}

void TbsSkinMainMenuBar::ChangeSkinData() {
  GetSkinData();
  FSkinSupport = FSkinObjectIndex != -1;
  CreateMenu();
  if (FSkinSupport)
    SetHeight(SkinHeight());
  else if (FDefaultHeight > 0)
    SetHeight(FDefaultHeight);
  Repaint();
}

void TbsSkinMainMenuBar::BeforeChangeSkinData() {
  FSkinSupport = false;
  TbsSkinControl::BeforeChangeSkinData();
  FPicture = nullptr;
  ClearObjects();
}

// A skin's face may be as tall as its picture, 32,767 rows; the bar shows no more of it than its parent's
// client area holds, and a bar that fills that area leaves nothing to the form's other controls anyway.
// Bounded so, the face is never built far larger than the form; the parent's height rather than a
// multiple of the font, as a skin may draw its bar well taller than its text.
int TbsSkinMainMenuBar::SkinHeight() {
  const int height = RectHeight(FSkinRect);
  return Parent() ? std::min(height, Parent()->ClientHeight()) : height;
}

// A realign places the bar once for every aligned control added or moved: the bar is painted with the
// form, once, not once per placing.
void TbsSkinMainMenuBar::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  GetSkinData();
  if (FSkinObjectIndex != -1 && RectHeight(FSkinRect) > 0) AHeight = SkinHeight();
  const TRect before = BoundsRect();
  const auto life = LifeToken();  // OnResize may free the bar
  TbsSkinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (!life.expired() && BoundsRect() != before) Invalidate();
}

// ---- Objects ---------------------------------------------------------------------------------------------

template <class R>
R* TbsSkinMainMenuBar::ObjectRecord(const AnsiString& Name) const {
  if (!Usable(FSkinData)) return nullptr;
  const int i = FSkinData->GetIndex(Name);
  if (i < 0) return nullptr;
  // A record of another class under that name gives the built-in look.
  return dynamic_cast<R*>(static_cast<TObject*>(FSkinData->ObjectList->Items(i)));
}

void TbsSkinMainMenuBar::ClearObjects() {
  FObjectList.clear();
  FButtonsCount = 0;
  FActiveObject = FOldActiveObject = FMouseCaptureObject = -1;
}

void TbsSkinMainMenuBar::CreateMenu() {
  ClearObjects();
  if (!FMainMenu) return;
  GetSkinData();
  auto* record = FSkinObjectIndex != -1 ? ObjectRecord<TbsDataSkinMainMenuItem>(FMenuBarItem) : nullptr;
  TMenuItem* items = FMainMenu->Items();
  for (int i = 0; i < items->Count(); ++i) {
    TMenuItem* mi = items->Items(i);
    if (!mi->Visible()) continue;
    auto item = std::make_unique<TbsSkinMainMenuBarItem>(this, record);
    item->FIDName = mi->Name();
    item->FEnabled = item->FSavedEnabled = mi->Enabled();
    item->FMenuItem = mi;
    mi->FreeNotification(this);
    FObjectList.push_back(std::move(item));
  }
  if (FChildMaximized) {
    AddButtons();
    if (IbsSkinMenuHost* child = GetMDIChildSkinFormComponent()) CheckButtons(child);
  }
}

void TbsSkinMainMenuBar::UpDateItems() {
  CreateMenu();
  Repaint();
}

TbsSkinMainMenuBarItem* TbsSkinMainMenuBar::ItemAt(int I) const {
  return I >= 0 && I < (int)FObjectList.size() ? dynamic_cast<TbsSkinMainMenuBarItem*>(FObjectList[I].get()) : nullptr;
}

void TbsSkinMainMenuBar::AddButtons() {
  FButtonsCount = 0;
  const bool skinned = FSkinObjectIndex != -1;
  struct Spec {
    const char* name;
    const AnsiString* skinName;
    TbsStdCommand command;
  };
  const Spec specs[] = { { "MinButton", &FMinButton, cmMinimize },
                         { "MaxButton", &FMaxButton, cmMaximize },
                         { "CloseButton", &FCloseButton, cmClose },
                         { "SysMenuButton", &FSysMenuButton, cmSysMenu } };
  for (const Spec& s : specs) {
    const AnsiString name = skinned ? *s.skinName : AnsiString(s.name);
    auto* record = ObjectRecord<TbsDataSkinMainMenuBarButton>(name);
    auto button = std::make_unique<TbsSkinMainMenuBarButton>(this, record);
    button->FIDName = name;
    if (!record) button->FCommand = s.command;
    FObjectList.insert(FObjectList.begin(), std::move(button));
    ++FButtonsCount;
  }
}

void TbsSkinMainMenuBar::DeleteButtons() {
  for (; FButtonsCount > 0; --FButtonsCount) {
    FActiveObject = FMouseCaptureObject = -1;
    if (!FObjectList.empty()) FObjectList.erase(FObjectList.begin());
  }
  FOldActiveObject = -1;
}

void TbsSkinMainMenuBar::CheckButtons(IbsSkinMenuHost* Child) {
  for (int i = 0; i < FButtonsCount && i < (int)FObjectList.size(); ++i) {
    auto* b = static_cast<TbsSkinMainMenuBarButton*>(FObjectList[i].get());
    b->FEnabled = true;
    if (b->FCommand == cmMinimize && !Child->HasMinimizeIcon()) b->FEnabled = false;
    if (b->FCommand == cmSysMenu && !Child->HasSystemMenuIcon()) b->FEnabled = false;
  }
}

void TbsSkinMainMenuBar::MDIChildMaximize() {
  if (FChildMaximized) return;
  FChildMaximized = true;
  FActiveObject = FOldActiveObject = FMouseCaptureObject = -1;
  AddButtons();
  if (IbsSkinMenuHost* child = GetMDIChildSkinFormComponent()) CheckButtons(child);
  Repaint();
}

void TbsSkinMainMenuBar::MDIChildRestore() {
  IbsSkinMenuHost* child = GetMDIChildSkinFormComponent();
  if (!child && FChildMaximized) {
    FChildMaximized = false;
    DeleteButtons();
    Repaint();
  } else if (child) {
    CheckButtons(child);
  }
}

void TbsSkinMainMenuBar::CloseSysMenu() {
  for (int i = 0; i < FButtonsCount && i < (int)FObjectList.size(); ++i) {
    auto* b = static_cast<TbsSkinMainMenuBarButton*>(FObjectList[i].get());
    if (b->FCommand != cmSysMenu || !b->FDown) continue;
    b->FDown = false;
    if (i != FActiveObject) b->FActive = b->FMouseIn = false;
    DrawSkinObject(b);
  }
}

// ---- Layout and painting ---------------------------------------------------------------------------------

void TbsSkinMainMenuBar::CalcRects() {
  if (FSkinSupport)
    FNewItemsRect =
        TRect(FItemsRect.Left, FItemsRect.Top, Width() - (RectWidth(FSkinRect) - FItemsRect.Right), FItemsRect.Bottom);
  else
    FNewItemsRect = TRect(2, 2, Width() - 2, Height() - 2);
  if (!FChildMaximized || FButtonsCount != 4 || FObjectList.size() < 4) return;
  const int areaH = RectHeight(FNewItemsRect);
  auto size = [&](TbsSkinMainMenuBarButton* b, int& w, int& h) {
    if (b->FHasSkinRecord) {
      w = RectWidth(b->FSkinRect);
      h = RectHeight(b->FSkinRect);
    } else {
      w = h = areaH;
    }
  };
  auto top = [&](int h) { return FNewItemsRect.Top + areaH / 2 - h / 2; };
  int w, h;
  auto* sys = static_cast<TbsSkinMainMenuBarButton*>(FObjectList[0].get());
  size(sys, w, h);
  sys->FObjectRect = TRect(FNewItemsRect.Left, top(h), FNewItemsRect.Left + w, top(h) + h);
  FNewItemsRect.Left += w + 2;
  for (int i = 1; i < 4; ++i) {
    auto* b = static_cast<TbsSkinMainMenuBarButton*>(FObjectList[i].get());
    size(b, w, h);
    b->FObjectRect = TRect(FNewItemsRect.Right - w, top(h), FNewItemsRect.Right, top(h) + h);
    FNewItemsRect.Right -= w + 2;
  }
}

void TbsSkinMainMenuBar::PaintMenuBar(TCanvas* C) {
  GetSkinData();
  const int W = Width(), H = Height();
  // Only what shows of the bar is built, when it lies in a parent smaller than itself.
  const TbsFaceCut cut = bsVisibleFaceCut(this);
  if (std::min(W, cut.Width) < 1 || std::min(H, cut.Height) < 1) return;
  TBitmap B;
  if (FSkinObjectIndex != -1 && FPicture) {
    CreateHSkinImage(FItemsRect.Left, RectWidth(FSkinRect) - FItemsRect.Right, &B, FPicture, FSkinRect, W, H, cut);
  } else {
    B.SetSize(std::min(W, cut.Width), std::min(H, cut.Height));
    B.Canvas()->Brush()->SetColor(clBtnFace);
    B.Canvas()->FillRect(TRect(0, 0, W, H));
  }
  CalcRects();
  FHasHiddenItems = false;
  for (auto& o : FObjectList)
    if (o->FVisible) o->Draw(B.Canvas());
  if (FHasHiddenItems) DrawMarker(B.Canvas());
  C->Draw(0, 0, &B);
}

void TbsSkinMainMenuBar::DrawSkinObject(TbsMenuBarObject* AObject) {
  if (AObject->FVisible && HandleAllocated()) AObject->Draw(Canvas());
}

TRect TbsSkinMainMenuBar::GetMarkerRect() const {
  return TRect(FNewItemsRect.Right - kMarkerWidth, FNewItemsRect.Top, FNewItemsRect.Right, FNewItemsRect.Bottom);
}

void TbsSkinMainMenuBar::DrawMarker(TCanvas* C) {
  TColor color;
  if (FSkinObjectIndex != -1)
    color = FMarkerActive ? FTrackMarkActiveColor : FTrackMarkColor;
  else
    color = FMarkerActive ? clBtnText : clBtnShadow;
  DrawArrowImage(C, GetMarkerRect(), color, 2);
}

void TbsSkinMainMenuBar::TrackScrollMenu() {
  IbsSkinMenuHost* host = Host();
  if (!host || !FMainMenu) return;
  int fitting = 0;
  for (auto& o : FObjectList)
    if (auto* it = dynamic_cast<TbsSkinMainMenuBarItem*>(o.get()); it && it->FFits) ++fitting;
  const TPoint p = ClientToScreen(TPoint(FNewItemsRect.Right, FNewItemsRect.Top));
  const TRect r(p.X - kMarkerWidth, p.Y, p.X, p.Y + RectHeight(FNewItemsRect));
  host->SkinMenuOpen();
  // The popup lists the top-level items from the first hidden one on; invisible menu items have no bar
  // item, so the start is counted in menu items.
  TMenuItem* items = FMainMenu->Items();
  int start = 0;
  for (int seen = 0; start < items->Count(); ++start) {
    if (!items->Items(start)->Visible()) continue;
    if (seen++ == fitting) break;
  }
  host->SkinMenu()->Popup(nullptr, FSkinData, start, r, items, false);
}

// ---- Hover and mouse -------------------------------------------------------------------------------------

void TbsSkinMainMenuBar::TestActive(int X, int Y) {
  if (FObjectList.empty()) return;
  const int count = (int)FObjectList.size();
  FOldActiveObject = FActiveObject;
  if (FOldActiveObject >= count) FOldActiveObject = -1;
  int hit = -1;
  for (int i = 0; i < count; ++i) {
    const TbsMenuBarObject* o = FObjectList[i].get();
    const TRect& r = o->FObjectRect;
    if (o->FEnabled && X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom) {
      hit = i;
      break;
    }
  }
  if (hit == -1 && FMenuMode && ItemAt(FOldActiveObject)) {
    // The hot item keeps its look while the cursor is off the items in menu mode.
  } else {
    FActiveObject = hit;
  }
  if (FMouseCaptureObject != -1 && FActiveObject != FMouseCaptureObject) FActiveObject = -1;
  if (FActiveObject >= count) FActiveObject = -1;
  if (FActiveObject != FOldActiveObject) {
    if (FOldActiveObject >= 0 && FObjectList[FOldActiveObject]->FEnabled) FObjectList[FOldActiveObject]->MouseLeave();
    if (FActiveObject >= 0 && FActiveObject < (int)FObjectList.size() && FObjectList[FActiveObject]->FEnabled)
      FObjectList[FActiveObject]->MouseEnter();
  }
  if (FHasHiddenItems) {
    const TRect m = GetMarkerRect();
    const bool in = X >= m.Left && X < m.Right && Y >= m.Top && Y < m.Bottom;
    if (in != FMarkerActive) {
      FMarkerActive = in;
      if (HandleAllocated()) DrawMarker(Canvas());
    }
  }
}

void TbsSkinMainMenuBar::TestMouse(TObject*) {
  POINT p {};
  GetCursorPos(&p);
  const TPoint c = ScreenToClient(TPoint(p.x, p.y));
  if (c.X >= 0 && c.X <= Width() && c.Y >= 0 && c.Y <= Height()) {
    TestActive(c.X, c.Y);
  } else if (FMouseTimer->Enabled()) {
    FMouseTimer->SetEnabled(false);
    TestActive(-1, -1);
  }
}

void TbsSkinMainMenuBar::TestMorph(TObject*) {
  bool any = false;
  for (auto& o : FObjectList)
    if (o->FMorphing && o->CanMorphing()) {
      o->DoMorphing();
      any = true;
    }
  if (!any) FMorphTimer->SetEnabled(false);
}

void TbsSkinMainMenuBar::MouseMove(TShiftState Shift, int X, int Y) {
  if (!FMouseTimer->Enabled()) FMouseTimer->SetEnabled(true);
  TbsSkinControl::MouseMove(Shift, X, Y);
}

void TbsSkinMainMenuBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TbsSkinControl::MouseDown(Button, Shift, X, Y);
  TestActive(X, Y);
  if (FActiveObject >= 0 && FActiveObject < (int)FObjectList.size()) {
    FMouseCaptureObject = FActiveObject;
    TbsMenuBarObject* o = FObjectList[FActiveObject].get();
    o->MouseDown(X, Y, Button);
    if (Shift.Contains(ssDouble) && FMouseCaptureObject >= 0 && FMouseCaptureObject < (int)FObjectList.size())
      FObjectList[FMouseCaptureObject]->DblClick();
    return;
  }
  const TRect m = GetMarkerRect();
  if (FHasHiddenItems && X >= m.Left && X < m.Right && Y >= m.Top && Y < m.Bottom) TrackScrollMenu();
}

void TbsSkinMainMenuBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FMouseCaptureObject >= 0 && FMouseCaptureObject < (int)FObjectList.size()) {
    const int i = std::exchange(FMouseCaptureObject, -1);
    FObjectList[i]->MouseUp(X, Y, Button);
  }
  FMouseCaptureObject = -1;
  TbsSkinControl::MouseUp(Button, Shift, X, Y);
}

void TbsSkinMainMenuBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE: {
      const auto life = LifeToken();
      TbsSkinControl::Dispatch(Message);
      if (!life.expired()) CalcRects();
      return;
    }
    case WM_CLOSESKINMENU:
      CloseSysMenu();
      return;
    case CM_MOUSEENTER:
      TbsSkinControl::Dispatch(Message);  // fires OnMouseEnter
      FMouseTimer->SetEnabled(true);
      return;
    case CM_MOUSELEAVE:
      TbsSkinControl::Dispatch(Message);  // fires OnMouseLeave
      FMouseTimer->SetEnabled(false);
      TestActive(-1, -1);
      return;
    default:
      TbsSkinControl::Dispatch(Message);
  }
}

// ---- Keyboard --------------------------------------------------------------------------------------------

void TbsSkinMainMenuBar::MenuEnter() {
  FMenuMode = true;
  TbsSkinMainMenuBarItem* first = nullptr;
  for (auto& o : FObjectList)
    if (auto* it = dynamic_cast<TbsSkinMainMenuBarItem*>(o.get())) {
      if (!first) first = it;
      if (it->FActive) {
        first = it;
        break;
      }
    }
  if (!first) return;
  first->MouseEnter();
  if (IbsSkinMenuHost* host = Host()) {
    host->HookApp();
    host->SetInMainMenu(true);
    host->MainMenuEnter(this);
  }
}

bool TbsSkinMainMenuBar::FindHotKeyItem(int CharCode) {
  IbsSkinMenuHost* host = Host();
  if (!host) return false;
  for (auto& o : FObjectList) {
    auto* it = dynamic_cast<TbsSkinMainMenuBarItem*>(o.get());
    if (!it || !it->FEnabled || !it->FFits || !IsAccel((WORD)CharCode, it->FMenuItem->Caption())) continue;
    it->MouseEnter();
    if (!host->InMenu() || it->FMenuItem->Count() == 0) it->MouseDown(0, 0, mbLeft);
    return true;
  }
  return false;
}

// The hot (or pressed) item among those that can be chosen leaves; the next one in Step's direction,
// wrapping round, becomes hot. Without one the first becomes hot.
void TbsSkinMainMenuBar::StepMainMenuItem(int Step) {
  std::vector<TbsSkinMainMenuBarItem*> items;
  for (auto& o : FObjectList)
    if (auto* it = dynamic_cast<TbsSkinMainMenuBarItem*>(o.get()); it && it->FEnabled && it->FFits) items.push_back(it);
  const int n = (int)items.size();
  if (n == 0) return;
  for (int i = 0; i < n; ++i)
    if (items[i]->FActive || items[i]->FDown) {
      items[i]->MouseLeave();
      items[((i + Step) % n + n) % n]->MouseEnter();
      return;
    }
  items.front()->MouseEnter();
}

void TbsSkinMainMenuBar::NextMainMenuItem() { StepMainMenuItem(1); }
void TbsSkinMainMenuBar::PriorMainMenuItem() { StepMainMenuItem(-1); }

bool TbsSkinMainMenuBar::CheckReturnKey() {
  IbsSkinMenuHost* host = Host();
  if (!host) return false;
  for (auto& o : FObjectList) {
    auto* it = dynamic_cast<TbsSkinMainMenuBarItem*>(o.get());
    if (!it) continue;
    if ((it->FDown && it->FMenuItem->Count() == 0) || (it->FActive && !host->InMenu())) {
      it->FActive = false;
      it->MouseDown(0, 0, mbLeft);
      return true;
    }
  }
  return false;
}

void TbsSkinMainMenuBar::MenuClose() {
  for (auto& o : FObjectList)
    if (auto* it = dynamic_cast<TbsSkinMainMenuBarItem*>(o.get()); it && it->FDown) {
      it->FDown = false;
      it->FActive = true;
      DrawSkinObject(it);
      return;
    }
}

void TbsSkinMainMenuBar::MenuExit() {
  FMenuMode = false;
  for (auto& o : FObjectList)
    if (auto* it = dynamic_cast<TbsSkinMainMenuBarItem*>(o.get()); it && (it->FDown || it->FActive)) {
      it->FActive = it->FMouseIn = it->FDown = false;
      it->FMorphStep = 0;
      DrawSkinObject(it);
      break;
    }
  FActiveObject = FOldActiveObject = -1;
}
