#pragma once
// Skinned menus: the popup-menu controller of a skinned form (TbsSkinMenu) with its open levels
// (TbsSkinPopupWindow) and their drawn items (TbsSkinMenuItem), the popup-menu component that shows
// its items through it (TbsSkinPopupMenu), the main menu with a skin of its own (TbsSkinMainMenu) and
// the skinned main-menu bar (TbsSkinMainMenuBar) with its items and MDI-child buttons.
//
// A TMenuItem tree stays the model; these classes only show it. Levels are top-most pop-ups that never
// take activation or the focus from the form; every animation (hover morphing, scrolling, the fade-in,
// the sub-menu delay) steps on a timer, never in a nested loop.

#include <memory>
#include <vector>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "skin/controls/bsSkinCtrls_base.h"
#include "skin/data/bsSkinData.h"

class TbsSkinMenu;
class TbsSkinPopupWindow;
class TbsSkinMainMenuBar;

// What the menus need of the form skinning component of their form. The component implements it; the
// menus find it among a form's components by this interface, so they never depend on its class.
class IbsSkinMenuHost {
 public:
  virtual TbsSkinMenu* SkinMenu() const = 0;
  // A skin menu of the form opens: the application hook (once) and the menu-open state.
  virtual void SkinMenuOpen() = 0;
  // The skin menu closed (the form got WM_CLOSESKINMENU).
  virtual void SkinMenuClose() = 0;
  // Ends the work with the main-menu bar: hides the skin menu and leaves menu mode.
  virtual void SkinMainMenuClose() = 0;
  virtual void HookApp() = 0;
  virtual bool InMenu() const = 0;
  virtual void SetInMenu(bool Value) = 0;
  virtual bool InMainMenu() const = 0;
  virtual void SetInMainMenu(bool Value) = 0;
  // Fires the component's OnMainMenuEnter (when assigned) with Sender.
  virtual void MainMenuEnter(TObject* Sender) = 0;
  virtual TbsSkinData* MenusSkinData() const = 0;
  virtual TbsSkinData* SkinData() const = 0;
  // The items of the form's system menu (the user's or the built-in one).
  virtual TMenuItem* GetSystemMenu() = 0;
  // The window state the component keeps for its form (it emulates the states itself).
  virtual TWindowState WindowState() const = 0;
  virtual void SetWindowState(TWindowState Value) = 0;
  // The border icons the component shows, as far as the menu bar's MDI buttons depend on them.
  virtual bool HasMinimizeIcon() const = 0;
  virtual bool HasSystemMenuIcon() const = 0;
  virtual TForm* Form() const = 0;

 protected:
  ~IbsSkinMenuHost() = default;
};

// The first component of Owner that is a form skinning component, or null.
IbsSkinMenuHost* FindSkinMenuHost(TComponent* Owner);
// The component of the application main form's maximised MDI child, or null.
IbsSkinMenuHost* GetMDIChildSkinFormComponent();

// Whether the window message Msg closes an open skin menu of the form.
bool CanMenuClose(UINT Msg);

// ---- Levels and items ------------------------------------------------------------------------------------

// One drawn item of an open level.
class TbsSkinMenuItem : public TObject {
  XJ_CLASS(TbsSkinMenuItem, TObject)
 public:
  TbsSkinMenuItem(TbsSkinPopupWindow* AParent, TMenuItem* AMenuItem, TbsDataSkinMenuItem* AData);

  TMenuItem* MenuItem() const { return FMenuItem; }
  const TRect& ObjectRect() const { return FObjectRect; }
  bool Active() const { return FActive; }
  bool Down() const { return FDown; }
  bool Visible() const { return FVisible; }
  bool IsDivider() const;
  // The morph factor in tenths (0 normal look .. 10 hot look) and as a fraction.
  int MorphStep() const { return FMorphStep; }
  double MorphKf() const { return FMorphStep / 10.0; }

  void MouseEnter(bool FromKeyboard);
  void MouseLeave();
  void MouseDown();
  void Draw(TCanvas* C);
  void DefaultDraw(TCanvas* C);
  void Redraw();
  virtual bool CanMorphing();
  void DoMorphing();
  void SetMorphKf(double Value);

 private:
  friend class TbsSkinPopupWindow;
  friend class TbsSkinMenu;
  void DrawSkinLook(TCanvas* C, int W, int H, bool Hot);
  void DrawTextAndGlyph(TCanvas* C, const TRect& TR, int GW, int Gap, TColor Color, int GlyphLeft, int CheckLeft,
                        int ImageLeft);

  TbsSkinPopupWindow* FParent { nullptr };
  TbsDataSkinMenuItem* FData { nullptr };
  TBitmap* FPicture { nullptr };
  // The record's rectangles as this item uses them: empty without a picture (the record stays as loaded).
  TRect FSkinRect, FActiveSkinRect;
  int FMorphStep { 0 };
  TMenuItem* FMenuItem { nullptr };
  TRect FObjectRect;
  bool FActive { false };
  bool FDown { false };
  bool FVisible { true };
};

// One open level of a skinned popup menu: a top-level pop-up that never takes activation.
class TbsSkinPopupWindow : public TCustomControl {
  XJ_CLASS(TbsSkinPopupWindow, TCustomControl)
 public:
  TbsSkinPopupWindow(TComponent* AOwner, TbsSkinMenu* AMenu, TbsDataSkinPopupWindow* AData);
  ~TbsSkinPopupWindow() override;

  void Show(const TRect& R, TMenuItem* Item, int StartIndex, bool PopupByItem, bool PopupUp);
  void Hide();
  void PopupKeyDown(int Key);
  // Closes the levels below this one and releases its Down items.
  void UpDatePW();

  int ItemCount() const { return (int)FItemList.size(); }
  TbsSkinMenuItem* Items(int I) const { return FItemList[I].get(); }
  int ActiveItem() const { return FActiveItem; }
  int StartIndex() const { return FStartIndex; }
  int VisibleCount() const { return FVisibleCount; }
  bool Scroll() const { return FScroll; }
  int ScrollDirection() const { return FScrollDirection; }
  const TRect& NewItemsRect() const { return FNewItemsRect; }
  int GlyphWidth() const { return FGlyphWidth; }
  TCustomImageList* Images() const { return FImages; }
  bool SkinLook() const { return FData != nullptr; }
  TbsSkinMenu* Menu() const { return FMenu; }
  // The alpha the level is shown with (255 when not translucent).
  int CurrentAlpha() const { return FCurrentAlpha; }

  bool CanScroll(int Direction) const;
  void ScrollUp(bool Cycle);
  void ScrollDown(bool Cycle);
  int GetEndStartVisibleIndex() const;
  bool GetActive(int X, int Y) const;
  bool InWindow(TPoint P) const;
  void PaintMenu(TCanvas* C);

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // Erasing first would only flicker.
  void Paint() override;

 private:
  friend class TbsSkinMenuItem;
  friend class TbsSkinMenu;
  void CreateMenu(TMenuItem* Item, int StartIndex);
  void SetItemFont();
  void MeasureLevel();
  void StretchGeometry();
  TPoint PlaceLevel(const TRect& R, bool PopupByItem, bool PopupUp) const;
  void HighlightFirstChoosable();
  bool Choosable(int I) const;
  bool ChooseByAccel(int Key);
  void CloseLevelByKey();
  void MoveByArrow(bool Down);
  int WalkToChoosable(bool Down);
  void CalcItemRects();
  int ItemHeightOf(const TbsSkinMenuItem* I) const;
  void DrawFrame(TCanvas* C);
  void DrawFacePart(TCanvas* C, const TRect& R);
  void SetMenuWindowRegion();
  bool PaintCovers(const TRect& R) const;
  void DrawUpMarker(TCanvas* C);
  void DrawDownMarker(TCanvas* C);
  void RedrawMarkers();
  void TestMorph(TObject* Sender);
  void TestMouse(TObject* Sender);
  void TestActive(int X, int Y);
  void StartScroll();
  void StopScroll();
  void ChangeActive(int NewIndex);
  void SetAlpha(int Alpha);
  void FadeStep();

  TbsDataSkinMenuItem* FItemData { nullptr };
  int FVisibleCount { 0 };
  int FStartIndex { 0 };
  bool FScroll { false };
  int FScrollDirection { 0 };
  TPoint FNewLTPoint, FNewRTPoint, FNewLBPoint, FNewRBPoint;
  TRect FNewItemsRect;
  TPoint FPosition;
  int FOldMouseX { -1 };
  int FOldMouseY { -1 };
  TCustomImageList* FImages { nullptr };
  int FGlyphWidth { 19 };
  TBitmap* FPicture { nullptr };
  TBitmap* FMaskPicture { nullptr };
  int FOldActiveItem { -1 };
  std::unique_ptr<TTimer> FMouseTimer;
  std::unique_ptr<TTimer> FMorphTimer;
  TbsSkinMenu* FMenu { nullptr };
  TbsSkinData* FSkinData { nullptr };
  TbsDataSkinPopupWindow* FData { nullptr };
  std::vector<std::unique_ptr<TbsSkinMenuItem>> FItemList;
  int FActiveItem { -1 };
  bool FScrollTimerOn { false };
  bool FFading { false };
  int FCurrentAlpha { 255 };
};

// The popup-menu controller of a skinned form: the open levels, the sub-menu delay, running a chosen
// item and telling the form and the opening control that the menu closed (WM_CLOSESKINMENU).
class TbsSkinMenu : public TComponent {
  XJ_CLASS(TbsSkinMenu, TComponent)
 public:
  // Ids of a level's window timers: scrolling (one item per 100 ms tick) and the fade-in (one alpha
  // step per tick).
  static constexpr UINT kScrollTimer = 1;
  static constexpr UINT kFadeTimer = 2;

  TbsSkinMenu(TComponent* AOwner, TForm* AForm);
  ~TbsSkinMenu() override;

  // Opens Item's children from StartIndex as level 0 beside R (screen). Control (may be null) hears
  // WM_CLOSESKINMENU once when this menu closes; a menu still open is closed first (its control told).
  void Popup(TControl* Control, TbsSkinData* ASkinData, int StartIndex, const TRect& R, TMenuItem* Item, bool PopupUp);
  void PopupSub(const TRect& R, TMenuItem* Item, int StartIndex, bool PopupByItem, bool PopupUp);
  // Frees the levels Index and deeper; Index 0 closes the menu and tells the opening control.
  void CloseMenu(int Index);
  // Closes the whole menu and tells the form and the opening control.
  void Hide();
  void CheckItem(TbsSkinPopupWindow* Level, TbsSkinMenuItem* Item, bool FromKeyboard, bool Click);
  int GetPWIndex(const TbsSkinPopupWindow* PW) const;
  TRect GetWorkArea() const;

  bool Visible() const { return FVisible; }
  int LevelCount() const { return (int)FPopupList.size(); }
  TbsSkinPopupWindow* Level(int I) const { return FPopupList[I]; }
  TbsSkinPopupWindow* DeepestLevel() const { return FPopupList.empty() ? nullptr : FPopupList.back(); }
  TbsSkinData* SkinData() const { return FSkinData; }
  TControl* PopupCtrl() const { return FPopupCtrl; }
  TForm* Form() const { return FForm; }
  TbsSkinMenuItem* WaitingItem() const { return FWaitingItem; }
  bool FirstPopup() const { return FFirstPopup; }
  const TRect& WorkArea() const { return FWorkArea; }

  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int Value) { FItemHeight = Value; }
  TFont* DefaultMenuItemFont() const { return FDefaultMenuItemFont.get(); }
  void SetDefaultMenuItemFont(TFont* Value);
  bool AlphaBlend() const { return FAlphaBlend; }
  void SetAlphaBlend(bool Value) { FAlphaBlend = Value; }
  BYTE AlphaBlendValue() const { return FAlphaBlendValue; }
  void SetAlphaBlendValue(BYTE Value) { FAlphaBlendValue = Value; }
  bool AlphaBlendAnimation() const { return FAlphaBlendAnimation; }
  void SetAlphaBlendAnimation(bool Value) { FAlphaBlendAnimation = Value; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TbsSkinPopupWindow;
  friend class TbsSkinMenuItem;
  void WaitItem(TObject* Sender);
  void StopWaiting();
  void NotifyControl(TControl* C);

  bool FFirstPopup { false };
  int FItemHeight { 20 };
  std::unique_ptr<TFont> FDefaultMenuItemFont;
  TControl* FPopupCtrl { nullptr };
  TForm* FForm { nullptr };
  std::unique_ptr<TTimer> FWaitTimer;
  TbsSkinMenuItem* FWaitingItem { nullptr };
  TRect FWorkArea;
  bool FVisible { false };
  TbsSkinData* FSkinData { nullptr };
  std::vector<TbsSkinPopupWindow*> FPopupList;
  bool FAlphaBlend { false };
  BYTE FAlphaBlendValue { 150 };
  bool FAlphaBlendAnimation { false };
};

// A popup menu shown through the skin menu of the form it lives on (or of HostForm).
class TbsSkinPopupMenu : public TPopupMenu {
  XJ_CLASS(TbsSkinPopupMenu, TPopupMenu)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinPopupMenu(TComponent* AOwner);

  TbsSkinData* SkinData() const { return FSkinData; }
  void SetSkinData(TbsSkinData* Value);
  TForm* HostForm() const { return FHostForm; }
  void SetHostForm(TForm* Value) { FHostForm = Value; }

  void Popup(int X, int Y) override;
  void Popup2(TControl* Control, int X, int Y);
  void PopupFromRect(const TRect& R, bool PopupUp);
  void PopupFromRect2(TControl* Control, const TRect& R, bool PopupUp);
  // What the four above do: OnPopup, then Items through the form's skin menu; true when a menu opened
  // (false when the form has no skinning component or there is nothing to show).
  bool ShowSkinned(TControl* Control, const TRect& R, bool PopupUp);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TbsSkinData* FSkinData { nullptr };
  TForm* FHostForm { nullptr };
};

// Installs the skinned popup menus as the opener of the skinned menu buttons' drop-downs.
void InstallSkinMenuButtonPopups();

// ---- Main menu and menu bar ------------------------------------------------------------------------------

// A main menu carrying its own skin for its popups.
class TbsSkinMainMenu : public TMainMenu {
  XJ_CLASS(TbsSkinMainMenu, TMainMenu)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinMainMenu(TComponent* AOwner);
  TbsSkinData* SkinData() const { return FSkinData; }
  void SetSkinData(TbsSkinData* Value);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TbsSkinData* FSkinData { nullptr };
};

// An object of the menu bar: a top-level item or an MDI-child button.
class TbsMenuBarObject : public TObject {
  XJ_CLASS(TbsMenuBarObject, TObject)
 public:
  TbsMenuBarObject(TbsSkinMainMenuBar* AMenuBar, TbsDataSkinObject* AData);

  virtual void Draw(TCanvas*) {}
  virtual void MouseDown(int, int, TMouseButton) {}
  virtual void MouseUp(int, int, TMouseButton) {}
  virtual void DblClick() {}
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual bool CanMorphing();

  void Redraw();
  void DoMorphing();
  void SetMorphKf(double Value);
  double MorphKf() const { return FMorphStep / 10.0; }
  int MorphStep() const { return FMorphStep; }

  const AnsiString& IDName() const { return FIDName; }
  void SetIDName(const AnsiString& Value) { FIDName = Value; }
  const TRect& ObjectRect() const { return FObjectRect; }
  void SetObjectRect(const TRect& Value) { FObjectRect = Value; }
  bool Active() const { return FActive; }
  bool MouseIn() const { return FMouseIn; }
  bool Down() const { return FDown; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  bool Visible() const { return FVisible; }
  bool Morphing() const { return FMorphing; }

 protected:
  friend class TbsSkinMainMenuBar;
  TbsSkinMainMenuBar* FParent { nullptr };
  bool FMouseIn { false };
  TBitmap* FActivePicture { nullptr };
  bool FDown { false };
  int FMorphStep { 0 };
  AnsiString FIDName;
  TRect FSkinRect, FActiveSkinRect, FDownRect;
  TRect FObjectRect;
  bool FActive { false };
  bool FEnabled { true };
  bool FVisible { true };
  bool FMorphing { false };
  TbsMorphKind FMorphKind { mkDefault };
};

// A button acting on the maximised MDI child: system menu, close, restore, minimise.
class TbsSkinMainMenuBarButton : public TbsMenuBarObject {
  XJ_CLASS(TbsSkinMainMenuBarButton, TbsMenuBarObject)
 public:
  TbsSkinMainMenuBarButton(TbsSkinMainMenuBar* AMenuBar, TbsDataSkinMainMenuBarButton* AData);

  void Draw(TCanvas* C) override;
  void MouseDown(int X, int Y, TMouseButton Button) override;
  void MouseUp(int X, int Y, TMouseButton Button) override;
  void DblClick() override;
  void MouseEnter() override;
  void MouseLeave() override;
  void DefaultDraw(TCanvas* C);
  void DoCommand();

  TbsStdCommand Command() const { return FCommand; }
  void SetCommand(TbsStdCommand Value) { FCommand = Value; }
  bool HasSkinRecord() const { return FHasSkinRecord; }

 private:
  friend class TbsSkinMainMenuBar;
  bool FHasSkinRecord { false };
  TbsStdCommand FCommand { cmClose };
};

// One top-level item of the main menu on the bar.
class TbsSkinMainMenuBarItem : public TbsMenuBarObject {
  XJ_CLASS(TbsSkinMainMenuBarItem, TbsMenuBarObject)
 public:
  TbsSkinMainMenuBarItem(TbsSkinMainMenuBar* AMenuBar, TbsDataSkinMainMenuItem* AData);

  void Draw(TCanvas* C) override;
  void MouseDown(int X, int Y, TMouseButton Button) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void DefaultDraw(TCanvas* C);
  void SetDown(bool Value);
  void TrackMenu();
  void SearchActive();
  bool SearchDown();

  TMenuItem* MenuItem() const { return FMenuItem; }
  void SetMenuItem(TMenuItem* Value) { FMenuItem = Value; }
  bool Fits() const { return FFits; }
  bool HasSkinRecord() const { return FHasSkinRecord; }

 private:
  friend class TbsSkinMainMenuBar;
  // Places the item after the one before it and decides whether it fits; false: not drawn.
  bool Place(TCanvas* C);
  void MakeImage(TBitmap* B, const TRect& S, bool IsActive);

  bool FHasSkinRecord { false };
  bool FSavedEnabled { true };
  bool FFits { true };
  TMenuItem* FMenuItem { nullptr };
  AnsiString FFontName;
  int FFontHeight { 0 };
  TFontStyles FFontStyle;
  TColor FUnenabledFontColor { 0 }, FFontColor { 0 }, FActiveFontColor { 0 }, FDownFontColor { 0 };
  TRect FTextRect;
  TRect FItemDownRect;
  int FItemLeftOffset { 0 };
  int FItemRightOffset { 0 };
};

// The skinned main-menu bar at the top of a skinned form.
class TbsSkinMainMenuBar : public TbsSkinControl {
  XJ_CLASS(TbsSkinMainMenuBar, TbsSkinControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsSkinMainMenuBar(TComponent* AOwner);
  ~TbsSkinMainMenuBar() override;

  TFont* DefItemFont() const { return FDefItemFont.get(); }
  void SetDefItemFont(TFont* Value);
  int DefaultWidth() const { return FDefaultWidth; }
  void SetDefaultWidth(int Value);
  int DefaultHeight() const { return FDefaultHeight; }
  void SetDefaultHeight(int Value);
  bool PopupToUp() const { return FPopupToUp; }
  void SetPopupToUp(bool Value) { FPopupToUp = Value; }
  // The form skinning component the bar works with (a component implementing IbsSkinMenuHost).
  TComponent* SkinForm() const { return FSkinForm; }
  void SetSkinForm(TComponent* Value);
  IbsSkinMenuHost* Host() const;
  TMainMenu* MainMenu() const { return FMainMenu; }
  void SetMainMenu(TMainMenu* Value);

  void CreateMenu();
  void UpDateItems();
  void ClearObjects();
  void CalcRects();
  TRect GetMarkerRect() const;

  // Keyboard entry points of the form component.
  void MenuEnter();
  void MenuClose();
  void MenuExit();
  bool FindHotKeyItem(int CharCode);
  void NextMainMenuItem();
  void PriorMainMenuItem();
  bool CheckReturnKey();
  // MDI entry points of the form component.
  void MDIChildMaximize();
  void MDIChildRestore();
  void CloseSysMenu();

  void GetSkinData() override;
  void ChangeSkinData() override;
  void BeforeChangeSkinData() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Dispatch(TMessage& Message) override;

  int ObjectCount() const { return (int)FObjectList.size(); }
  TbsMenuBarObject* Objects(int I) const { return FObjectList[I].get(); }
  int ButtonsCount() const { return FButtonsCount; }
  bool ChildMaximized() const { return FChildMaximized; }
  bool MenuMode() const { return FMenuMode; }
  void SetMenuMode(bool Value) { FMenuMode = Value; }
  bool HasHiddenItems() const { return FHasHiddenItems; }
  bool MarkerActive() const { return FMarkerActive; }
  int ActiveObject() const { return FActiveObject; }
  const TRect& NewItemsRect() const { return FNewItemsRect; }
  bool SkinSupport() const { return FSkinSupport; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The whole bar through one off-screen bitmap.
  void Paint() override { PaintMenuBar(Canvas()); }
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;

 private:
  friend class TbsMenuBarObject;
  friend class TbsSkinMainMenuBarItem;
  friend class TbsSkinMainMenuBarButton;
  void PaintMenuBar(TCanvas* C);
  // The height the skin gives the bar, within its parent's client area.
  int SkinHeight();
  void DrawSkinObject(TbsMenuBarObject* AObject);
  void DrawMarker(TCanvas* C);
  void TrackScrollMenu();
  void TestMouse(TObject* Sender);
  void TestMorph(TObject* Sender);
  void TestActive(int X, int Y);
  void AddButtons();
  void DeleteButtons();
  void CheckButtons(IbsSkinMenuHost* Child);
  TbsSkinMainMenuBarItem* ItemAt(int I) const;
  void StepMainMenuItem(int Step);
  template <class R>
  R* ObjectRecord(const AnsiString& Name) const;

  std::unique_ptr<TFont> FDefItemFont;
  bool FSkinSupport { false };
  int FButtonsCount { 0 };
  bool FChildMaximized { false };
  bool FPopupToUp { false };
  bool FMenuMode { false };
  bool FHasHiddenItems { false };
  bool FMarkerActive { false };
  TComponent* FSkinForm { nullptr };
  TMainMenu* FMainMenu { nullptr };
  std::unique_ptr<TTimer> FMouseTimer;
  std::unique_ptr<TTimer> FMorphTimer;
  int FActiveObject { -1 };
  int FOldActiveObject { -1 };
  int FMouseCaptureObject { -1 };
  TRect FNewItemsRect;
  int FDefaultWidth { 0 };
  int FDefaultHeight { 22 };
  TRect FSkinRect, FItemsRect;
  AnsiString FMenuBarItem, FMaxButton, FMinButton, FSysMenuButton, FCloseButton;
  TColor FTrackMarkColor { 0 }, FTrackMarkActiveColor { 0 };
  TBitmap* FPicture { nullptr };
  std::vector<std::unique_ptr<TbsMenuBarObject>> FObjectList;
};

XJ_UNIT_REGISTRATION(RegisterbsSkinMenus)
