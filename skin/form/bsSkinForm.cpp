// The form skinning component: takeover and release of the form, skin changes, the objects' list and
// hover tracking, the skin menus' state and key routing, the form's short cuts.
#include "skin/form/bsSkinForm.h"
#include "skin/form/bsSkinFormPrivate.h"

#include <string_view>
#include <unordered_set>

#include "platform/vcl/ExtCtrls.h"
#include "platform/win32/Scoped.h"
#include "skin/controls/bsSkinCtrls_base.h"
#include "skin/data/bsUtils.h"
#include "skin/form/bsSkinHint.h"
#include "skin/form/bsTrayIcon.h"

XJ_PUBLISHED(RurIvozedevUzivEred,
  XJ_PROP(ShowIcon) XJ_PROP(MaximizeOnFullScreen)
  XJ_PROP(AlphaBlend) XJ_PROP(AlphaBlendAnimation) XJ_PROP(AlphaBlendValue)
  XJ_PROP(SkinHint) XJ_PROP(ShowObjectHint)
  XJ_PROP(MenusAlphaBlend) XJ_PROP(MenusAlphaBlendAnimation) XJ_PROP(MenusAlphaBlendValue)
  XJ_PROP(DefCaptionFont) XJ_PROP(DefInActiveCaptionFont) XJ_PROP(DefMenuItemHeight) XJ_PROP(DefMenuItemFont)
  XJ_PROP(TrayIcon) XJ_PROP(UseDefaultSysMenu) XJ_PROP(MainMenuBar) XJ_PROP(SystemMenu)
  XJ_PROP(SkinData) XJ_PROP(MenusSkinData)
  XJ_PROP(MinHeight) XJ_PROP(MinWidth) XJ_PROP(Magnetic) XJ_PROP(MagneticSize) XJ_PROP(BorderIcons)
  XJ_EVENT(OnChangeSkinData) XJ_EVENT(OnActivate) XJ_EVENT(OnDeActivate) XJ_EVENT(OnChangeRollUpState)
  XJ_EVENT(OnSkinMenuOpen) XJ_EVENT(OnSkinMenuClose) XJ_EVENT(OnMainMenuEnter) XJ_EVENT(OnMainMenuExit)
  XJ_EVENT(OnMinimizeToTray) XJ_EVENT(OnRestoreFromTray));

namespace {

std::unique_ptr<TFont> CaptionFont(TColor Color) {
  auto f = std::make_unique<TFont>();
  f->SetName("宋体");
  f->SetStyle(TFontStyles { fsBold });
  f->SetHeight(12);
  f->SetColor(Color);
  return f;
}

}  // namespace

// ---- Unit functions ----------------------------------------------------------------------------------

RurIvozedevUzivEred* GetSkinFormComponent(TCustomForm* F) {
  if (!F) return nullptr;
  for (int i = 0; i < F->ComponentCount(); ++i)
    if (auto* c = dynamic_cast<RurIvozedevUzivEred*>(F->Components(i))) return c;
  return nullptr;
}

RurIvozedevUzivEred* GetMDIChildSkinFormComponent2() {
  TForm* main = Application ? Application->MainForm() : nullptr;
  if (!main) return nullptr;
  return GetSkinFormComponent(main->ActiveMDIChild());
}

// ---- Construction --------------------------------------------------------------------------------------

RurIvozedevUzivEred::RurIvozedevUzivEred(TComponent* AOwner)
    : TComponent(AOwner),
      FDefCaptionFont(CaptionFont(clBtnText)),
      FDefInActiveCaptionFont(CaptionFont(clBtnShadow)),
      FMouseTimer(NewTimer(50, TNotifyEvent(this, &RurIvozedevUzivEred::TestMouse))),
      FMorphTimer(NewTimer(20, TNotifyEvent(this, &RurIvozedevUzivEred::TestMorph))) {
  for (auto& b : FMaskBands) b = std::make_unique<TBitmap>();
  FForm = dynamic_cast<TForm*>(AOwner);
  if (!FForm) throw EInvalidCast("RurIvozedevUzivEred must be owned by a form");
  FForm->SetBorderIcons(TBorderIcons {});
  FOwnShortCut = TShortCutEvent(this, &RurIvozedevUzivEred::FormShortCut);
  FForm->OnShortCut = FOwnShortCut;
  FForm->SetAutoSize(false);
  FForm->SetAutoScroll(false);

  FDefaultSysMenu = new TPopupMenu(this);
  FSysTrayMenu = new TbsSkinPopupMenu(this);
  FSysTrayMenu->SetHostForm(FForm);
  CreateSysTrayMenu();
  FSkinMenu = new TbsSkinMenu(this, FForm);

  if (!ComponentState().Contains(csDesigning)) {
    FWindowHook.Install(FForm, TWndMethod(this, &RurIvozedevUzivEred::NewWndProc));
    FForm->RecreateWnd();
    HWND h = FForm->Handle();
    SetWindowLongA(h, GWL_STYLE, GetWindowLongA(h, GWL_STYLE) & ~WS_CAPTION);
  }
}

RurIvozedevUzivEred::~RurIvozedevUzivEred() {
  // The steps that draw or call out run whatever the one before met (a menu that fails to repaint as it
  // goes): an error is shown, never thrown out of here, and no hook is left pointing at this object.
  auto step = [this](auto&& Do) {
    try {
      Do();
    } catch (...) {
      if (Application) Application->HandleException(this);
    }
  };
  FMouseTimer->SetEnabled(false);
  FMorphTimer->SetEnabled(false);
  // A menu still open would call back into this object; the application hook would outlive it.
  step([&] {
    if (FSkinMenu && FSkinMenu->Visible()) FSkinMenu->Hide();
  });
  UnHookApp();
  if (FForm) {
    FWindowHook.Remove();
    if (FForm->OnShortCut == FOwnShortCut) FForm->OnShortCut = nullptr;
    UnhookClient();
  }
  step([&] { DetachTray(); });
  ClearObjects();
}

void RurIvozedevUzivEred::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FSkinData) {
    // The objects point into the skin's pictures: they go with it.
    FSkinData = nullptr;
    if (FSkinSupport) {
      FSkinSupport = false;
      ClearObjects();
      if (!ComponentState().Contains(csDestroying) && !FForm->ComponentState().Contains(csDestroying)) ChangeSkinData();
    }
  } else if (AComponent == FMenusSkinData)
    FMenusSkinData = nullptr;
  else if (AComponent == FSystemMenu)
    FSystemMenu = nullptr;
  else if (AComponent == FMainMenuBar)
    FMainMenuBar = nullptr;
  else if (AComponent == FTrayIcon)
    FTrayIcon = nullptr;
  if (AComponent == FSkinHint) FSkinHint = nullptr;
  if (AComponent == FSkinMenu) FSkinMenu = nullptr;
  if (AComponent == FDefaultSysMenu) FDefaultSysMenu = nullptr;
  if (AComponent == FSysTrayMenu) FSysTrayMenu = nullptr;
}

// ---- Properties -------------------------------------------------------------------------------------------

void RurIvozedevUzivEred::SetShowIcon(bool Value) {
  FShowIcon = Value;
  if (ComponentState().Empty()) SendNCPaint();
}

void RurIvozedevUzivEred::SetAlphaBlend(bool Value) {
  if (FAlphaBlend == Value) return;
  FAlphaBlend = Value;
  if (!ComponentState().Empty() || !CheckW2KWXP() || !FForm->HandleAllocated()) return;
  HWND h = FForm->Handle();
  if (Value) {
    SetWindowLongA(h, GWL_EXSTYLE, GetWindowLongA(h, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetAlphaBlendTransparent(h, FAlphaBlendValue);
  } else {
    SetWindowLongA(h, GWL_EXSTYLE, GetWindowLongA(h, GWL_EXSTYLE) & ~WS_EX_LAYERED);
  }
}

void RurIvozedevUzivEred::SetAlphaBlendValue(uint8_t Value) {
  if (FAlphaBlendValue == Value) return;
  FAlphaBlendValue = Value;
  if (FAlphaBlend && ComponentState().Empty() && CheckW2KWXP() && FForm->HandleAllocated())
    SetAlphaBlendTransparent(FForm->Handle(), Value);
}

void RurIvozedevUzivEred::SetSkinHint(TbsSkinHint* Value) {
  if (FSkinHint) FSkinHint->RemoveFreeNotification(this);
  FSkinHint = Value;
  if (Value) Value->FreeNotification(this);
}

void RurIvozedevUzivEred::SetMenusAlphaBlend(bool Value) {
  FMenusAlphaBlend = Value;
  if (FSkinMenu) FSkinMenu->SetAlphaBlend(Value);
}

void RurIvozedevUzivEred::SetMenusAlphaBlendAnimation(bool Value) {
  FMenusAlphaBlendAnimation = Value;
  if (FSkinMenu) FSkinMenu->SetAlphaBlendAnimation(Value);
}

void RurIvozedevUzivEred::SetMenusAlphaBlendValue(uint8_t Value) {
  FMenusAlphaBlendValue = Value;
  if (FSkinMenu) FSkinMenu->SetAlphaBlendValue(Value);
}

void RurIvozedevUzivEred::SetDefCaptionFont(TFont* Value) {
  FDefCaptionFont->Assign(Value);
  if (ComponentState().Empty() && !FSkinSupport) SendNCPaint();
}

void RurIvozedevUzivEred::SetDefInActiveCaptionFont(TFont* Value) {
  FDefInActiveCaptionFont->Assign(Value);
  if (ComponentState().Empty() && !FSkinSupport) SendNCPaint();
}

int RurIvozedevUzivEred::DefMenuItemHeight() const { return FSkinMenu ? FSkinMenu->ItemHeight() : 20; }

void RurIvozedevUzivEred::SetDefMenuItemHeight(int Value) {
  if (Value > 0 && FSkinMenu) FSkinMenu->SetItemHeight(Value);
}

TFont* RurIvozedevUzivEred::DefMenuItemFont() const { return FSkinMenu ? FSkinMenu->DefaultMenuItemFont() : nullptr; }

void RurIvozedevUzivEred::SetDefMenuItemFont(TFont* Value) {
  if (FSkinMenu) FSkinMenu->SetDefaultMenuItemFont(Value);
}

void RurIvozedevUzivEred::SetMainMenuBar(TbsSkinMainMenuBar* Value) {
  if (FMainMenuBar) FMainMenuBar->RemoveFreeNotification(this);
  FMainMenuBar = Value;
  if (Value) Value->FreeNotification(this);
}

void RurIvozedevUzivEred::SetSystemMenu(TPopupMenu* Value) {
  if (FSystemMenu) FSystemMenu->RemoveFreeNotification(this);
  FSystemMenu = Value;
  if (Value) Value->FreeNotification(this);
}

void RurIvozedevUzivEred::SetSkinData(TbsSkinData* Value) {
  if (FSkinData) FSkinData->RemoveFreeNotification(this);
  FSkinData = Value;
  if (Value) Value->FreeNotification(this);
  // A usable skin applies at once; taking the skin away at run time gives the default look at once.
  if (!ComponentState().Contains(csDesigning) &&
      ((Value && !Value->Empty) || (FSkinSupport && !ComponentState().Contains(csLoading))))
    ChangeSkinData();
  if (FSysTrayMenu) FSysTrayMenu->SetSkinData(Value);
}

void RurIvozedevUzivEred::SetMenusSkinData(TbsSkinData* Value) {
  if (FMenusSkinData) FMenusSkinData->RemoveFreeNotification(this);
  FMenusSkinData = Value;
  if (Value) Value->FreeNotification(this);
}

void RurIvozedevUzivEred::SetBorderIcons(TbsBorderIcons Value) {
  FBorderIcons = Value;
  // A skinned form keeps the skin's objects (their visibility follows CheckObjects); without a skin the
  // default buttons are rebuilt for the new set.
  if (FSkinSupport) {
    LoadObjects();
    CheckObjects();
    CreateNewForm();
  } else {
    LoadDefObjects();
  }
  if (ComponentState().Empty()) SendNCPaint();
}

void RurIvozedevUzivEred::MainMenuEnter(TObject* Sender) {
  if (OnMainMenuEnter) OnMainMenuEnter(Sender);
}

// ---- Skin change ----------------------------------------------------------------------------------------

void RurIvozedevUzivEred::ChangeSkinData() {
  FActiveObject = FOldActiveObject = FMouseCaptureObject = -1;
  ++FSkinChanges;
  // The frame is drawn from the skin's picture: without one it keeps the built-in look.
  FSkinSupport = FSkinData && !FSkinData->Empty && !FSkinData->Picture->Empty();
  if (FSkinSupport) {
    LoadObjects();
    CheckObjects();
  } else {
    CreateNewRegion();
    LoadDefObjects();
  }
  {
    // The steps below resize the form several times: the shape and the frame are built once, after them.
    xj::TemporaryChange changing(FChangingSkinData, true);
    const int mw = GetMinWidth(), mh = GetMinHeight();
    if (mw > FForm->Width() && mh > FForm->Height())
      FForm->SetBounds(FForm->Left(), FForm->Top(), mw, mh);
    else if (mh > FForm->Height())
      FForm->SetHeight(mh);
    else if (mw > FForm->Width())
      FForm->SetWidth(mw);
    else
      UpDateForm();
    if ((FRollUpState || FWindowState == wsMinimized) && FForm->Height() != GetMinHeight())
      FForm->SetHeight(GetMinHeight());
    if (FWindowState == wsMinimized && FForm->Width() != GetMinWidth()) FForm->SetWidth(GetMinWidth());
    FOldWidth = FForm->Width();
    FOldHeight = FForm->Height();
    if (FSkinSupport) CreateNewForm();
    FormChangeActive(!IsMaximizedMDIChild());
  }
  if (IsMDIForm()) {
    if (FForm->ClientHandle()) RedrawWindow(FForm->ClientHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    ResizeMDIChilds();
    SendNCPaint();
  } else if (FForm->HandleAllocated()) {
    // Frame, background and controls in one pass, in the next turn of the loop: forms switching together
    // uncover parts of each other as they reshape, and those parts go with the same pass.
    RedrawWindow(FForm->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
  FMouseTimer->SetEnabled(true);
  if (OnChangeSkinData) OnChangeSkinData(this);
}

// The frame's insets may have changed: the window recomputes its client area, and the form lays its
// controls out again when that changed size. (A frame change does it without resizing the window twice.)
// A client area already where the frame puts it (a skin of the same design) is left as it is.
void RurIvozedevUzivEred::UpDateForm() {
  if (!FForm->HandleAllocated()) return;
  HWND h = FForm->Handle();
  RECT before {}, after {}, window {};
  GetClientRect(h, &before);
  GetWindowRect(h, &window);
  POINT origin {};
  ClientToScreen(h, &origin);
  const TRect whole(0, 0, window.right - window.left, window.bottom - window.top);
  const TRect client(origin.x - window.left, origin.y - window.top, origin.x - window.left + before.right,
                     origin.y - window.top + before.bottom);
  if (client == (IsFrameless() ? whole : FrameClientRect(whole))) return;
  SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetClientRect(h, &after);
  if (after.right != before.right || after.bottom != before.bottom)
    SendMessageA(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(after.right, after.bottom));
}

void RurIvozedevUzivEred::LoadObjects() {
  ClearObjects();
  if (!FSkinData) return;
  TList* list = FSkinData->ObjectList.get();
  // Records of one name read one section and stand on one place of the frame; the form finds its objects
  // by name, so the first (the one a lookup by name finds) is the one it uses: each name gives one object,
  // however often it is listed.
  // The records are told apart by the class library's class chain, cheaper than the language's casts. A
  // skin may list tens of thousands of them: the names seen are kept in a set, not looked through.
  std::unordered_set<std::string_view> names;
  names.reserve(size_t(list->Count()));
  for (int i = 0; i < list->Count(); ++i) {
    auto* rec = static_cast<TbsDataSkinObject*>(list->Items(i));
    // Menu records belong to the menus.
    if (rec->Is<TbsDataSkinMainMenuItem>() || rec->Is<TbsDataSkinMenuItem>() || rec->Is<TbsDataSkinMainMenuBarButton>())
      continue;
    if (!names.insert(rec->IDName).second) continue;
    std::unique_ptr<TbsActiveSkinObject> o;
    if (rec->Is<TbsDataSkinStdButton>())
      o = std::make_unique<TbsSkinStdButtonObject>(this, rec);
    else if (rec->Is<TbsDataSkinButton>())
      o = std::make_unique<TbsSkinButtonObject>(this, rec);
    else if (rec->Is<TbsDataSkinCaption>())
      o = std::make_unique<TbsSkinCaptionObject>(this, static_cast<TbsDataSkinCaption*>(rec));
    else if (rec->Is<TbsDataUserObject>())
      o = std::make_unique<TbsUserObject>(this, rec);
    if (o) FObjects.push_back(std::move(o));
  }
}

void RurIvozedevUzivEred::LoadDefObjects() {
  ClearObjects();
  static const std::pair<const char*, TbsStdCommand> kButtons[] = {
    { "closebutton", cmClose },   { "maxbutton", cmMaximize },    { "minbutton", cmMinimize },
    { "rollupbutton", cmRollUp }, { "sysmenubutton", cmSysMenu },
  };
  for (const auto& [name, command] : kButtons) {
    auto b = std::make_unique<TbsSkinStdButtonObject>(this, nullptr);
    b->SkinRect = b->ActiveSkinRect = b->ObjectRect = TRect(0, 0, 1, 1);
    b->SkinRectInAPicture = true;
    b->IDName = name;
    b->Command = command;
    FObjects.push_back(std::move(b));
  }
  CheckObjects();
}

void RurIvozedevUzivEred::ClearObjects() {
  FObjects.clear();
  FActiveObject = FOldActiveObject = FMouseCaptureObject = -1;
}

void RurIvozedevUzivEred::CheckObjects() {
  for (auto& o : FObjects) {
    auto* b = dynamic_cast<TbsSkinStdButtonObject*>(o.get());
    if (!b) continue;
    bool missing = false;
    switch (b->Command) {
      case cmRollUp:
        missing = !FBorderIcons.Contains(TbsBorderIcon::biRollUp);
        break;
      case cmMaximize:
        missing = !FBorderIcons.Contains(TbsBorderIcon::biMaximize);
        break;
      case cmMinimize:
        missing = !FBorderIcons.Contains(TbsBorderIcon::biMinimize);
        break;
      case cmSysMenu:
        missing = !FBorderIcons.Contains(TbsBorderIcon::biSystemMenu);
        break;
      default:
        break;
    }
    if (missing) {
      b->Enabled = false;
      b->Visible = !b->SkinRectInAPicture;
    }
  }
}

void RurIvozedevUzivEred::BeforeUpDateSkinControls(TbsSkinData* AData, TWinControl* Control) {
  if (Control) BeforeChangeSkinDataWalk(Control, AData);
}

void RurIvozedevUzivEred::UpDateSkinControls(TbsSkinData* AData, TWinControl* Control) {
  if (Control) ChangeSkinDataWalk(Control, AData);
}

void RurIvozedevUzivEred::SetFormStyle(TFormStyle Value) {
  if (Value != fsNormal && Value != fsStayOnTop) return;
  FForm->SetFormStyle(Value);
  UpDateSkinControls(nullptr, FForm);
}

// ---- Objects by name -----------------------------------------------------------------------------------

int RurIvozedevUzivEred::GetIndex(const AnsiString& AIDName) const {
  for (size_t i = 0; i < FObjects.size(); ++i)
    if (FObjects[i]->IDName == AIDName) return static_cast<int>(i);
  return -1;
}

void RurIvozedevUzivEred::SetEnabled(const AnsiString& AIDName, bool Value) {
  const int i = GetIndex(AIDName);
  if (i >= 0) FObjects[i]->Enabled = Value;
}

void RurIvozedevUzivEred::UserObjectDraw(const AnsiString& AIDName) {
  const int i = GetIndex(AIDName);
  // A user object lives in the frame: it is drawn through the window DC like any object.
  if (i >= 0 && dynamic_cast<TbsUserObject*>(FObjects[i].get())) DrawSkinObject(FObjects[i].get());
}

void RurIvozedevUzivEred::LinkMenu(const AnsiString& AIDName, TMenu* Menu, bool APopupUp) {
  const int i = GetIndex(AIDName);
  if (i < 0 || !Menu) return;
  if (auto* b = dynamic_cast<TbsSkinButtonObject*>(FObjects[i].get())) {
    b->MenuItem = Menu->Items();
    b->PopupUp = APopupUp;
  }
}

// ---- Activity and hover ------------------------------------------------------------------------------------

bool RurIvozedevUzivEred::GetFormActive() const {
  if (IsMDIChild() || IsMDIForm()) return FFormActive;
  return FForm->Active();
}

bool RurIvozedevUzivEred::FormChangeActive(bool AUpdate) {
  const bool a = GetFormActive();
  bool painted = false;
  for (auto& o : FObjects) {
    auto* cap = dynamic_cast<TbsSkinCaptionObject*>(o.get());
    if (!cap || cap->Active == a) continue;
    cap->Active = a;
    if (AUpdate) {
      SendNCPaint();
      painted = true;
      if (cap->Morphing) FMorphTimer->SetEnabled(true);
    } else if (cap->Morphing) {
      cap->SetMorphKf(a ? 1.0 : 0.0);
    }
    break;
  }
  if (a) {
    if (OnActivate) OnActivate(this);
  } else if (OnDeActivate) {
    OnDeActivate(this);
  }
  return painted;
}

void RurIvozedevUzivEred::UpDateActiveObjects() {
  for (auto& o : FObjects)
    if (!dynamic_cast<TbsSkinCaptionObject*>(o.get())) {
      o->Active = false;
      o->SetMorphKf(0);
    }
}

bool RurIvozedevUzivEred::InForm(TPoint P) const {
  return FForm->HandleAllocated() && WindowFromPoint(POINT { P.X, P.Y }) == FForm->Handle();
}

void RurIvozedevUzivEred::TestMouse(TObject*) {
  if (!GetFormActive()) return;
  POINT c {};
  GetCursorPos(&c);
  if (!InForm(TPoint(c.x, c.y))) {
    TestActive(-1, -1, false);
    FMouseTimer->SetEnabled(false);
    return;
  }
  if (FInSizeMove) return;
  TPoint p(c.x, c.y);
  PointToNCPoint(p);
  const TRect cl = FSkinSupport ? FNewClRect : TRect(3, GetDefCaptionHeight() + 3, FOldWidth - 3, FOldHeight - 3);
  if (PtInRect(cl, p)) {
    if (FActiveObject >= 0) TestActive(-1, -1, true);
  } else {
    TestActive(p.X, p.Y, true);
  }
}

void RurIvozedevUzivEred::TestActive(int X, int Y, bool AInForm) {
  if (FObjects.empty() || !GetFormActive()) return;
  FOldActiveObject = FActiveObject;
  int hit = -1;
  for (size_t i = 0; i < FObjects.size(); ++i) {
    const auto& o = FObjects[i];
    if (o->Enabled && o->Visible && PtInRect(o->ObjectRect, TPoint(X, Y))) {
      hit = static_cast<int>(i);
      break;
    }
  }
  FActiveObject = AInForm ? hit : -1;
  if (FMouseCaptureObject >= 0 && FActiveObject != FMouseCaptureObject) FActiveObject = -1;
  const int n = static_cast<int>(FObjects.size());
  if (FActiveObject >= n) FActiveObject = -1;
  if (FOldActiveObject >= n) FOldActiveObject = -1;
  if (FOldActiveObject == FActiveObject) return;
  const bool hints = FShowObjectHint && FSkinHint;
  if (FOldActiveObject >= 0) {
    TbsActiveSkinObject* o = FObjects[FOldActiveObject].get();
    if (o->Enabled && o->Visible) {
      o->MouseLeave();
      if (hints && !o->Hint.empty()) FSkinHint->HideHint();
    }
  }
  if (FActiveObject >= 0) {
    TbsActiveSkinObject* o = FObjects[FActiveObject].get();
    if (o->Enabled && o->Visible) {
      o->MouseEnter();
      if (hints && !o->Hint.empty()) FSkinHint->ActivateHint2(o->Hint);
    }
  }
}

void RurIvozedevUzivEred::TestMorph(TObject*) {
  bool any = false;
  // Drawing may rebuild the list (a skin change from a handler): walk by index.
  for (size_t i = 0; i < FObjects.size(); ++i) {
    TbsActiveSkinObject* o = FObjects[i].get();
    if (o->Morphing && o->CanMorphing()) {
      o->DoMorphing();
      any = true;
    }
  }
  if (!any) FMorphTimer->SetEnabled(false);
}

void RurIvozedevUzivEred::MouseMove(int X, int Y) {
  const int i = FMouseCaptureObject >= 0 ? FMouseCaptureObject : FActiveObject;
  if (i >= 0 && i < ObjectCount()) FObjects[i]->MouseMove(X, Y);
}

void RurIvozedevUzivEred::MouseDown(TMouseButton Button, int X, int Y) {
  if (FActiveObject < 0 || FActiveObject >= ObjectCount()) return;
  TbsActiveSkinObject* o = FObjects[FActiveObject].get();
  if (!dynamic_cast<TbsSkinCaptionObject*>(o)) SetCapture(FForm->Handle());
  FMouseCaptureObject = FActiveObject;
  o->MouseDown(X, Y, Button);
}

void RurIvozedevUzivEred::MouseUp(TMouseButton Button, int X, int Y) {
  if (FMouseCaptureObject < 0 || FMouseCaptureObject >= ObjectCount()) return;
  TbsActiveSkinObject* o = FObjects[FMouseCaptureObject].get();
  if (!dynamic_cast<TbsSkinCaptionObject*>(o)) ReleaseCapture();
  // The object's command may close or free the form: nothing of this is touched afterwards but the index.
  FMouseCaptureObject = -1;
  o->MouseUp(X, Y, Button);
}

void RurIvozedevUzivEred::MouseDBlClick() {
  if (FActiveObject >= 0 && FActiveObject < ObjectCount()) FObjects[FActiveObject]->DblClick();
}

void RurIvozedevUzivEred::PaintEvent(const AnsiString& IDName, TCanvas* Cnvs, const TRect& R) {
  if (OnPaintEvent) OnPaintEvent(IDName, Cnvs, R);
}
void RurIvozedevUzivEred::MouseUpEvent(const AnsiString& IDName, int X, int Y, const TRect& R, TMouseButton Button) {
  if (OnMouseUpEvent) OnMouseUpEvent(IDName, X, Y, R, Button);
}
void RurIvozedevUzivEred::MouseDownEvent(const AnsiString& IDName, int X, int Y, const TRect& R, TMouseButton Button) {
  if (OnMouseDownEvent) OnMouseDownEvent(IDName, X, Y, R, Button);
}
void RurIvozedevUzivEred::MouseMoveEvent(const AnsiString& IDName, int X, int Y, const TRect& R) {
  if (OnMouseMoveEvent) OnMouseMoveEvent(IDName, X, Y, R);
}
void RurIvozedevUzivEred::MouseEnterEvent(const AnsiString& IDName) {
  if (OnMouseEnterEvent) OnMouseEnterEvent(IDName);
}
void RurIvozedevUzivEred::MouseLeaveEvent(const AnsiString& IDName) {
  if (OnMouseLeaveEvent) OnMouseLeaveEvent(IDName);
}

// ---- Skin menus and keys ---------------------------------------------------------------------------------

void RurIvozedevUzivEred::SkinMenuOpen() {
  if (!FInMainMenu) HookApp();
  if (!FInMenu) {
    FInMenu = true;
    if (OnSkinMenuOpen) OnSkinMenuOpen(this);
  }
}

void RurIvozedevUzivEred::SkinMenuClose() {
  FInMenu = false;
  for (auto& o : FObjects)
    if (auto* b = dynamic_cast<TbsSkinButtonObject*>(o.get()); b && b->MenuItem && b->Down) {
      b->SetDown(false);
      break;
    }
  UnHookApp();
  if (OnSkinMenuClose) OnSkinMenuClose(this);
  if (FInMainMenu) {
    FInMainMenu = false;
    if (FMainMenuBar) FMainMenuBar->MenuExit();
    if (OnMainMenuExit) OnMainMenuExit(this);
  }
}

void RurIvozedevUzivEred::SkinMenuClose2() {
  FInMenu = false;
  if (FMainMenuBar) FMainMenuBar->MenuClose();
  if (OnSkinMenuClose) OnSkinMenuClose(this);
}

void RurIvozedevUzivEred::SkinMainMenuClose() {
  FInMainMenu = false;
  if (FSkinMenu && FSkinMenu->Visible()) FSkinMenu->Hide();
  if (FMainMenuBar) FMainMenuBar->MenuExit();
  UnHookApp();
  if (OnMainMenuExit) OnMainMenuExit(this);
}

void RurIvozedevUzivEred::PopupSkinMenu(TMenu* Menu, TPoint P) {
  PopupSkinMenu1(Menu, TRect(P.X, P.Y, P.X, P.Y), false);
}

void RurIvozedevUzivEred::PopupSkinMenu1(TMenu* Menu, const TRect& R, bool PopupUp) {
  if (!Menu || !FSkinMenu) return;
  SkinMenuOpen();
  FSkinMenu->Popup(nullptr, FMenusSkinData ? FMenusSkinData : FSkinData, 0, R, Menu->Items(), PopupUp);
}

void RurIvozedevUzivEred::HookApp() {
  if (FAppHooked || !Application) return;
  FOldAppMessage = Application->OnMessage;
  Application->OnMessage = TMessageEvent(this, &RurIvozedevUzivEred::NewAppMessage);
  FAppHooked = true;
}

void RurIvozedevUzivEred::UnHookApp() {
  if (!FAppHooked) return;
  FAppHooked = false;
  if (Application && Application->OnMessage == TMessageEvent(this, &RurIvozedevUzivEred::NewAppMessage))
    Application->OnMessage = FOldAppMessage;
  FOldAppMessage = nullptr;
}

void RurIvozedevUzivEred::NewAppMessage(MSG& Msg, bool& Handled) {
  if (Msg.message == WM_KEYDOWN) {
    TMessage m { Msg.message, Msg.wParam, Msg.lParam, 0 };
    Msg.message = 0;
    Handled = true;
    FormKeyDown(m);
    return;
  }
  if (FOldAppMessage) FOldAppMessage(Msg, Handled);
}

void RurIvozedevUzivEred::FormKeyDown(TMessage& Message) {
  const int key = static_cast<int>(Message.WParam);
  if (IsMDIChild()) {
    RurIvozedevUzivEred* main = MainFormComponent();
    if (main && main != this &&
        (main->FInMenu || main->FInMainMenu || (main->FSkinMenu && main->FSkinMenu->Visible()))) {
      main->FormKeyDown(Message);
      return;
    }
  }
  if (FInMainMenu && FindHotKeyItem(key)) return;
  if (key == VK_ESCAPE && FInMainMenu && !FInMenu) {
    SkinMainMenuClose();
    return;
  }
  if (key == VK_LEFT && FInMainMenu && CanPriorMainMenuItem()) {
    if (FMainMenuBar) FMainMenuBar->PriorMainMenuItem();
    return;
  }
  if (key == VK_RIGHT && FInMainMenu && CanNextMainMenuItem()) {
    if (FMainMenuBar) FMainMenuBar->NextMainMenuItem();
    return;
  }
  const bool levels = FSkinMenu && FSkinMenu->Visible() && FSkinMenu->LevelCount() > 0;
  if (key == VK_RETURN) {
    if (CheckReturnKey()) return;
    if (levels) FSkinMenu->DeepestLevel()->PopupKeyDown(key);
    return;
  }
  if (levels) FSkinMenu->DeepestLevel()->PopupKeyDown(key);
  if (key == VK_ESCAPE && (!FSkinMenu || FSkinMenu->LevelCount() == 0)) {
    if (!FInMainMenu)
      SkinMenuClose();
    else
      SkinMenuClose2();
  }
}

bool RurIvozedevUzivEred::FindHotKeyItem(int CharCode) {
  return FMainMenuBar && FMainMenuBar->FindHotKeyItem(CharCode);
}

bool RurIvozedevUzivEred::CanNextMainMenuItem() {
  if (!FSkinMenu || FSkinMenu->LevelCount() == 0) return true;
  TbsSkinPopupWindow* w = FSkinMenu->DeepestLevel();
  const int a = w->ActiveItem();
  if (a < 0 || a >= w->ItemCount()) return true;
  TMenuItem* item = w->Items(a)->MenuItem();
  return !item || item->Count() == 0;
}

bool RurIvozedevUzivEred::CanPriorMainMenuItem() { return !FSkinMenu || FSkinMenu->LevelCount() < 2; }

bool RurIvozedevUzivEred::CheckReturnKey() { return FMainMenuBar && FMainMenuBar->CheckReturnKey(); }

void RurIvozedevUzivEred::CheckMenuVisible(UINT Msg) {
  if (!CanMenuClose(Msg)) return;
  if (FShowObjectHint && FSkinHint) FSkinHint->HideHint();
  if (FInMainMenu && !FInMenu) {
    SkinMainMenuClose();
    return;
  }
  if ((FSkinMenu && FSkinMenu->Visible()) || FInMenu) {
    if (FSkinMenu && FSkinMenu->Visible())
      FSkinMenu->Hide();
    else
      SkinMenuClose();
    return;
  }
  if (IsMDIForm() && FForm->Visible())
    if (RurIvozedevUzivEred* c = GetMDIChildSkinFormComponent2(); c && c != this) c->CheckMenuVisible(Msg);
}

// One delivery of a key message runs the short cut; a repeated delivery of the same message (same time,
// key and key data) is answered "not handled" without running it again.
void RurIvozedevUzivEred::FormShortCut(TWMKey& Msg, bool& Handled) {
  const KeyIdentity id { static_cast<DWORD>(GetMessageTime()), Msg.CharCode, Msg.KeyData, true };
  if (FHandledKey.Valid && FHandledKey.Time == id.Time && FHandledKey.Key == id.Key && FHandledKey.Data == id.Data) {
    Handled = false;
    return;
  }
  TMainMenu* menu = FMainMenuBar ? FMainMenuBar->MainMenu() : nullptr;
  if (!menu) return;
  if (KeyDataToShiftState(Msg.KeyData) == TShiftState { ssAlt } && FindHotKeyItem(Msg.CharCode))
    Handled = true;
  else
    Handled = menu->IsShortCut(Msg);
  FHandledKey = Handled ? id : KeyIdentity {};
}

// ---- Helpers ------------------------------------------------------------------------------------------------

void RurIvozedevUzivEred::SendNCPaint() {
  if (FForm && FForm->HandleAllocated() && !FChangingSkinData) SendMessageA(FForm->Handle(), WM_NCPAINT, 0, 0);
}

bool RurIvozedevUzivEred::IsMDIChild() const { return FForm->FormStyle() == fsMDIChild; }
bool RurIvozedevUzivEred::IsMDIForm() const { return FForm->FormStyle() == fsMDIForm; }
bool RurIvozedevUzivEred::IsMaximizedMDIChild() const { return IsMDIChild() && FWindowState == wsMaximized; }

RurIvozedevUzivEred* RurIvozedevUzivEred::MainFormComponent() const {
  return Application ? GetSkinFormComponent(Application->MainForm()) : nullptr;
}
