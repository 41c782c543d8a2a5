#pragma once
// The form skinning component and its active skin objects.
//
//   RurIvozedevUzivEred     dropped on a form, takes it over: removes the system caption, runs every
//                           message of the form through its own window procedure, draws and hit-tests
//                           the frame (caption, borders, caption buttons) from a TbsSkinData or in a
//                           built-in flat look, emulates minimise / maximise / restore and roll-up,
//                           snaps to the work area's edges, keeps MDI children and the window list,
//                           and opens the skinned system and tray menus.
//   TbsActiveSkinObject ... one live part of the frame: caption buttons, the caption, user objects.
//
// Geometry is kept in window coordinates (origin at the window's top-left corner, frame included).
// The menus (bsSkinMenus) call back into the component for SkinMenuOpen / SkinMenuClose and the key
// routing while a skin menu is open; the menu classes are only named here.

#include <array>
#include <memory>
#include <vector>

#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Menus.h"
#include "platform/win32/BoundedCache.h"
#include "skin/data/bsSkinData.h"
#include "skin/form/bsSkinMenus.h"
#include "skin/form/bsWindowProcHook.h"

class TTimer;
class TbsSkinHint;
class TbsTrayIcon;
class RurIvozedevUzivEred;

// WM_CLOSESKINMENU (1228) and WM_MDICHILDRESIZE / MAXIMIZE / RESTORE (1230..1232) are in WinMessages.h.

// Scoped: the stock TBorderIcon already uses these names; the stream names stay the plain ones.
enum class TbsBorderIcon { biSystemMenu, biMinimize, biMaximize, biRollUp, biMinimizeToTray };
template <>
struct TEnumTraits<TbsBorderIcon> {
  static constexpr const char* Name = "TbsBorderIcon";
  static constexpr const char* Names = "biSystemMenu, biMinimize, biMaximize, biRollUp, biMinimizeToTray";
  static constexpr TbsBorderIcon Values[] = { TbsBorderIcon::biSystemMenu, TbsBorderIcon::biMinimize,
                                              TbsBorderIcon::biMaximize, TbsBorderIcon::biRollUp,
                                              TbsBorderIcon::biMinimizeToTray };
};
typedef Set<TbsBorderIcon> TbsBorderIcons;

typedef TClosure<void(const AnsiString& IDName)> TbsMouseEnterEvent;
typedef TClosure<void(const AnsiString& IDName)> TbsMouseLeaveEvent;
typedef TClosure<void(const AnsiString& IDName, int X, int Y, const TRect& ObjectRect, TMouseButton Button)>
    TbsMouseDownEvent;
typedef TClosure<void(const AnsiString& IDName, int X, int Y, const TRect& ObjectRect, TMouseButton Button)>
    TbsMouseUpEvent;
typedef TClosure<void(const AnsiString& IDName, int X, int Y, const TRect& ObjectRect)> TbsMouseMoveEvent;
typedef TClosure<void(const AnsiString& IDName, TCanvas* Cnvs, const TRect& ObjectRect)> TbsPaintEvent;

// ---- Active skin objects ---------------------------------------------------------------------------

class TbsActiveSkinObject : public TObject {
  XJ_CLASS(TbsActiveSkinObject, TObject)
 public:
  TbsActiveSkinObject(RurIvozedevUzivEred* AForm, TbsDataSkinObject* AData);

  virtual bool CanMorphing();
  // UpDate: drawn alone on the window (true) or as part of a whole frame paint (false).
  virtual void Draw(TCanvas* Cnvs, bool UpDate);
  virtual void DblClick() {}
  virtual void MouseDown(int X, int Y, TMouseButton Button);
  virtual void MouseUp(int X, int Y, TMouseButton Button);
  virtual void MouseMove(int X, int Y);
  virtual void MouseEnter();
  virtual void MouseLeave();

  void Redraw();
  void DoMorphing();
  // The factor in whole tenths, so ten steps land exactly on 0 and 1.
  double MorphKf() const { return FMorphStep / 10.0; }
  void SetMorphKf(double Value);

  RurIvozedevUzivEred* Parent;
  TBitmap* Picture { nullptr };        // the skin's frame picture (not owned)
  TBitmap* ActivePicture { nullptr };  // the record's active picture, or null (not owned)
  TbsSkinData* SkinData { nullptr };
  AnsiString IDName, Hint;
  TRect SkinRect, ActiveSkinRect, ObjectRect;
  bool MouseIn { false };
  bool Active { false };
  bool Morphing { false };
  TbsMorphKind MorphKind { mkDefault };
  bool Enabled { true };
  bool Visible { true };
  bool SkinRectInAPicture { false };

 protected:
  // Copies Src of Pic stretched onto Dst; nothing when the picture is missing.
  static void CopyLook(TCanvas* Cnvs, const TRect& Dst, TBitmap* Pic, const TRect& Src);
  // The morph between two looks at the current factor, drawn at ObjectRect's corner.
  void DrawMorph(TCanvas* Cnvs, TBitmap* NormalPic, const TRect& Normal, TBitmap* ActivePic, const TRect& ActiveR);
  bool AtEndPoint() const { return Active ? FMorphStep == 10 : FMorphStep == 0; }

  int FMorphStep { 0 };  // 0..10
};

class TbsUserObject : public TbsActiveSkinObject {
  XJ_CLASS(TbsUserObject, TbsActiveSkinObject)
 public:
  using TbsActiveSkinObject::TbsActiveSkinObject;
  void Draw(TCanvas* Cnvs, bool UpDate) override;
};

class TbsSkinButtonObject : public TbsActiveSkinObject {
  XJ_CLASS(TbsSkinButtonObject, TbsActiveSkinObject)
 public:
  TbsSkinButtonObject(RurIvozedevUzivEred* AForm, TbsDataSkinObject* AData);

  bool CanMorphing() override;
  void Draw(TCanvas* Cnvs, bool UpDate) override;
  void MouseDown(int X, int Y, TMouseButton Button) override;
  void MouseUp(int X, int Y, TMouseButton Button) override;
  void MouseEnter() override;
  void MouseLeave() override;

  void SetDown(bool Value);
  void TrackMenu();

  bool Down { false };
  bool PopupUp { false };
  TRect DisableSkinRect, DownRect;
  TMenuItem* MenuItem { nullptr };  // not owned
};

class TbsSkinStdButtonObject : public TbsSkinButtonObject {
  XJ_CLASS(TbsSkinStdButtonObject, TbsSkinButtonObject)
 public:
  TbsSkinStdButtonObject(RurIvozedevUzivEred* AForm, TbsDataSkinObject* AData);

  bool CanMorphing() override;
  void Draw(TCanvas* Cnvs, bool UpDate) override;
  void DblClick() override;
  void MouseDown(int X, int Y, TMouseButton Button) override;
  void MouseUp(int X, int Y, TMouseButton Button) override;

  void DefaultDraw(TCanvas* Cnvs);
  void DoMax();
  void DoMin();
  void DoClose();
  void DoRollUp();
  void DoCommand();

  bool HasSkinRecord { false };
  TbsStdCommand Command { cmDefault };
  TRect RestoreRect, RestoreActiveRect, RestoreInActiveRect, RestoreDownRect;
};

class TbsSkinCaptionObject : public TbsActiveSkinObject {
  XJ_CLASS(TbsSkinCaptionObject, TbsActiveSkinObject)
 public:
  // AData must be a caption record.
  TbsSkinCaptionObject(RurIvozedevUzivEred* AForm, TbsDataSkinCaption* AData);

  void Draw(TCanvas* Cnvs, bool UpDate) override;
  void MouseDown(int X, int Y, TMouseButton Button) override;
  void MouseUp(int X, int Y, TMouseButton Button) override;
  void MouseEnter() override;
  void MouseLeave() override;

  AnsiString FontName;
  TFontStyles FontStyle;
  int FontHeight { 0 };
  TColor FontColor { clBlack }, ActiveFontColor { clBlack };
  TColor ShadowColor { clBlack }, ActiveShadowColor { clBlack };
  bool Shadow { false };
  TAlignment Alignment { taLeftJustify };
  TRect TextRect, FrameRect, ActiveFrameRect, FrameTextRect;
  int FrameLeftOffset { 0 }, FrameRightOffset { 0 };

 private:
  // The caption background of ObjectRect's size from S of P, caps kept, middle tiled.
  void MakeBackground(TBitmap* B, TBitmap* P, const TRect& S);
  void DrawCaptionText(TCanvas* C, int X, int Y, bool AActive);
  TRect TextArea() const;
};

// ---- The form component ----------------------------------------------------------------------------

class RurIvozedevUzivEred : public TComponent, public IbsSkinMenuHost {
  XJ_CLASS(RurIvozedevUzivEred, TComponent)
  XJ_PUBLISHED_ACCESS;

 public:
  // AOwner must be a TForm (an invalid-cast error otherwise).
  explicit RurIvozedevUzivEred(TComponent* AOwner);
  // Gives the form its window procedure back, closes an open skin menu, removes every hook it set.
  ~RurIvozedevUzivEred() override;

  // Published.
  bool ShowIcon() const { return FShowIcon; }
  void SetShowIcon(bool Value);
  bool MaximizeOnFullScreen() const { return FMaximizeOnFullScreen; }
  void SetMaximizeOnFullScreen(bool Value) { FMaximizeOnFullScreen = Value; }
  bool AlphaBlend() const { return FAlphaBlend; }
  void SetAlphaBlend(bool Value);
  bool AlphaBlendAnimation() const { return FAlphaBlendAnimation; }
  void SetAlphaBlendAnimation(bool Value) { FAlphaBlendAnimation = Value; }
  uint8_t AlphaBlendValue() const { return FAlphaBlendValue; }
  void SetAlphaBlendValue(uint8_t Value);
  TbsSkinHint* SkinHint() const { return FSkinHint; }
  void SetSkinHint(TbsSkinHint* Value);
  bool ShowObjectHint() const { return FShowObjectHint; }
  void SetShowObjectHint(bool Value) { FShowObjectHint = Value; }
  bool MenusAlphaBlend() const { return FMenusAlphaBlend; }
  void SetMenusAlphaBlend(bool Value);
  bool MenusAlphaBlendAnimation() const { return FMenusAlphaBlendAnimation; }
  void SetMenusAlphaBlendAnimation(bool Value);
  uint8_t MenusAlphaBlendValue() const { return FMenusAlphaBlendValue; }
  void SetMenusAlphaBlendValue(uint8_t Value);
  TFont* DefCaptionFont() const { return FDefCaptionFont.get(); }
  void SetDefCaptionFont(TFont* Value);
  TFont* DefInActiveCaptionFont() const { return FDefInActiveCaptionFont.get(); }
  void SetDefInActiveCaptionFont(TFont* Value);
  int DefMenuItemHeight() const;
  void SetDefMenuItemHeight(int Value);
  TFont* DefMenuItemFont() const;
  void SetDefMenuItemFont(TFont* Value);
  // The tray icon the form minimises to; setting one hides it and gives it the tray menu and the
  // restore-on-double-click unless it has a menu of its own.
  TbsTrayIcon* TrayIcon() const { return FTrayIcon; }
  void SetTrayIcon(TbsTrayIcon* Value);
  bool UseDefaultSysMenu() const { return FUseDefaultSysMenu; }
  void SetUseDefaultSysMenu(bool Value) { FUseDefaultSysMenu = Value; }
  TbsSkinMainMenuBar* MainMenuBar() const { return FMainMenuBar; }
  void SetMainMenuBar(TbsSkinMainMenuBar* Value);
  TPopupMenu* SystemMenu() const { return FSystemMenu; }
  void SetSystemMenu(TPopupMenu* Value);
  TbsSkinData* SkinData() const override { return FSkinData; }
  void SetSkinData(TbsSkinData* Value);
  TbsSkinData* MenusSkinData() const override { return FMenusSkinData; }
  void SetMenusSkinData(TbsSkinData* Value);
  int MinHeight() const { return FMinHeight; }
  void SetMinHeight(int Value) { FMinHeight = Value; }
  int MinWidth() const { return FMinWidth; }
  void SetMinWidth(int Value) { FMinWidth = Value; }
  bool Magnetic() const { return FMagnetic; }
  void SetMagnetic(bool Value) { FMagnetic = Value; }
  uint8_t MagneticSize() const { return FMagneticSize; }
  void SetMagneticSize(uint8_t Value) { FMagneticSize = Value; }
  TbsBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TbsBorderIcons Value);

  TNotifyEvent OnChangeSkinData, OnActivate, OnDeActivate, OnChangeRollUpState;
  TNotifyEvent OnSkinMenuOpen, OnSkinMenuClose, OnMainMenuEnter, OnMainMenuExit;
  TNotifyEvent OnMinimizeToTray, OnRestoreFromTray;
  TbsMouseEnterEvent OnMouseEnterEvent;
  TbsMouseLeaveEvent OnMouseLeaveEvent;
  TbsMouseDownEvent OnMouseDownEvent;
  TbsMouseUpEvent OnMouseUpEvent;
  TbsMouseMoveEvent OnMouseMoveEvent;
  TbsPaintEvent OnPaintEvent;

  // Public state.
  TWindowState WindowState() const override { return FWindowState; }
  void SetWindowState(TWindowState Value) override;
  bool RollUpState() const { return FRollUpState; }
  void SetRollUpState(bool Value);
  bool MaxRollUpState() const { return FMaxRollUpState; }

  TForm* Form() const override { return FForm; }
  TbsSkinMenu* SkinMenu() const override { return FSkinMenu; }
  TPopupMenu* DefaultSysMenu() const { return FDefaultSysMenu; }
  TbsSkinPopupMenu* SysTrayMenu() const { return FSysTrayMenu; }
  bool SkinSupport() const { return FSkinSupport; }
  bool InMenu() const override { return FInMenu; }
  void SetInMenu(bool Value) override { FInMenu = Value; }
  bool InMainMenu() const override { return FInMainMenu; }
  void SetInMainMenu(bool Value) override { FInMainMenu = Value; }
  void MainMenuEnter(TObject* Sender) override;
  bool HasMinimizeIcon() const override { return FBorderIcons.Contains(TbsBorderIcon::biMinimize); }
  bool HasSystemMenuIcon() const override { return FBorderIcons.Contains(TbsBorderIcon::biSystemMenu); }
  bool FormActive() const { return FFormActive; }

  // Skin change.
  void ChangeSkinData();
  void LoadObjects();
  void LoadDefObjects();
  void ClearObjects();
  void CheckObjects();
  void BeforeUpDateSkinControls(TbsSkinData* AData, TWinControl* Control);
  void UpDateSkinControls(TbsSkinData* AData, TWinControl* Control);
  void SetFormStyle(TFormStyle Value);

  // Objects by name.
  int ObjectCount() const { return static_cast<int>(FObjects.size()); }
  TbsActiveSkinObject* Objects(int Index) const { return FObjects[Index].get(); }
  int GetIndex(const AnsiString& AIDName) const;
  void SetEnabled(const AnsiString& AIDName, bool Value);
  void UserObjectDraw(const AnsiString& AIDName);
  void LinkMenu(const AnsiString& AIDName, TMenu* Menu, bool APopupUp);
  int ActiveObject() const { return FActiveObject; }
  int MouseCaptureObject() const { return FMouseCaptureObject; }

  // Activity and hover.
  bool GetFormActive() const;
  // True when it repainted the frame.
  bool FormChangeActive(bool AUpdate);
  void UpDateActiveObjects();
  bool InForm(TPoint P) const;
  void TestActive(int X, int Y, bool AInForm);
  void MouseMove(int X, int Y);
  void MouseDown(TMouseButton Button, int X, int Y);
  void MouseUp(TMouseButton Button, int X, int Y);
  void MouseDBlClick();
  TTimer* TestMouseTimer() const { return FMouseTimer.get(); }
  TTimer* TestMorphTimer() const { return FMorphTimer.get(); }

  // Event forwarders of the objects.
  void PaintEvent(const AnsiString& IDName, TCanvas* Cnvs, const TRect& R);
  void MouseUpEvent(const AnsiString& IDName, int X, int Y, const TRect& R, TMouseButton Button);
  void MouseDownEvent(const AnsiString& IDName, int X, int Y, const TRect& R, TMouseButton Button);
  void MouseMoveEvent(const AnsiString& IDName, int X, int Y, const TRect& R);
  void MouseEnterEvent(const AnsiString& IDName);
  void MouseLeaveEvent(const AnsiString& IDName);

  // Skin menus and keys. HookApp installs the application hook once; UnHookApp removes it only if
  // installed and still ours.
  void SkinMenuOpen() override;
  void SkinMenuClose() override;
  void SkinMenuClose2();
  void SkinMainMenuClose() override;
  void PopupSkinMenu(TMenu* Menu, TPoint P);
  void PopupSkinMenu1(TMenu* Menu, const TRect& R, bool PopupUp);
  void HookApp() override;
  void UnHookApp();
  bool AppHooked() const { return FAppHooked; }
  void FormKeyDown(TMessage& Message);
  bool FindHotKeyItem(int CharCode);
  bool CanNextMainMenuItem();
  bool CanPriorMainMenuItem();
  bool CheckReturnKey();
  void CheckMenuVisible(UINT Msg);

  // Frame geometry (window coordinates).
  void CalcRects();
  TRect CalcRealObjectRect(const TRect& R) const;
  void CalcAllRealObjectRect();
  void CalcDefRects();
  TRect GetDefCaptionRect();
  int GetDefCaptionHeight() const;
  int GetDefButtonSize() const;
  bool IsSizeAble() const;
  void PointToNCPoint(TPoint& P) const;
  int NewNCHitTest(TPoint P) const;
  int NewDefNCHitTest(TPoint P);
  bool PtInMask(TPoint P) const;
  // The insets of the frame applied to a proposed window rectangle (what WM_NCCALCSIZE leaves).
  TRect FrameClientRect(TRect R);
  void CreateNewForm();
  void CreateNewRegion();
  bool HasRegion() const { return FHasRegion; }
  const TRect& NewClRect() const { return FNewClRect; }
  const TRect& NewCaptionRect() const { return FNewCaptionRect; }
  const TRect& NewButtonsRect() const { return FNewButtonsRect; }
  const TRect& NewMaskRectArea() const { return FNewMaskRectArea; }
  const TRect& DefCaptionRect() const { return FDefCaptionRect; }

  // Painting.
  void PaintNCSkin();
  void PaintNCDefault();
  void DrawSkinObject(TbsActiveSkinObject* Obj);
  // Cuts S at whole characters until it and "..." fit W.
  void CorrectCaptionText(TCanvas* Cnvs, AnsiString& S, int W) const;
  void PaintBG(HDC DC);
  void PaintBG2(HDC DC);
  void PaintBGDefault(HDC DC);
  void PaintMDIBGDefault(HDC DC);
  void DrawFormIcon(TCanvas* Cnvs, int X, int Y);
  void GetIconSize(int& W, int& H) const;
  bool GetAutoRenderingInActiveImage() const;
  // The caption text as drawn: an MDI main form with a maximised child adds " - [child]".
  AnsiString CaptionText() const;

  // States.
  void DoMinimize();
  void DoMaximize();
  void DoNormalize();
  int GetMinWidth() const;
  int GetMinHeight() const;
  int GetMaxWidth() const;
  int GetMaxHeight() const;
  TPoint GetMinimizeCoord();
  void ArangeMinimizedChilds();
  // Empty without a main form.
  TRect GetMDIWorkArea() const;
  TForm* GetMaximizeMDIChild() const;
  bool IsMDIChildMaximized() const { return FMDIChildMaximized; }
  void DoMagnetic(int& L, int& T, int W, int H);
  void UpDateForm();

  // MDI and system menus.
  void Tile();
  void Cascade();
  void MinimizeAll();
  void MaximizeAll();
  void CloseAll();
  void RestoreAll();
  void ResizeMDIChilds();
  void AddChildToMenu(TCustomForm* Child);
  void DeleteChildFromMenu(TCustomForm* Child);
  void UpDateChildCaptionInMenu(TCustomForm* Child);
  void UpDateChildActiveInMenu();
  TMenuItem* GetSystemMenu() override;
  void CreateSysMenu();
  void CreateUserSysMenu();
  void TrackSystemMenu(int X, int Y);
  void MinimizeToTray();
  void RestoreFromTray();

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void NewWndProc(TMessage& Message);
  // Before the saved procedure; answers whether it is still to run.
  bool WndProcFirst(TMessage& Message);
  void CallOldNow(TMessage& Message);
  bool IsFrameless() const;
  bool StopOnDestroy();
  bool RebuildFrameOnSize(TMessage& Message);
  bool ActivateFrame(TMessage& Message);
  bool RetitleFrame(TMessage& Message);
  bool EraseClient(TMessage& Message);
  bool CalcFrameClient(TMessage& Message);
  bool HitTestFrame(TMessage& Message);
  bool PaintFrameOnRequest();
  bool ActivateFrameNC(TMessage& Message);
  bool SyncPaintRolledUp(TMessage& Message);
  bool SystemCommand(TMessage& Message);
  bool KeyMenuCommand();
  bool RebuildFrameOnSizing(TMessage& Message);
  // After the saved procedure.
  void WndProcAfter(TMessage& Message);
  void AfterShow();
  void AfterHide();
  void ActivateMDIChildOnClick();
  void ReportTrackSizes(TMessage& Message);
  void KeepMoveInPlace(TMessage& Message);
  void EnterSizeMove();
  void ExitSizeMove();
  void BeforeSkinDataChange(TbsSkinData* Data);
  void OnSkinDataChange(TbsSkinData* Data);
  void FitMaximizedMDIChild();
  void OnMDIChildMaximize();
  void OnMDIChildRestore();
  void NCMouseAfter(TMessage& Message);
  void NCPressAfter(TMouseButton Button, TPoint P, bool Caption);
  void NCRightPressAfter(TPoint P, bool Caption);
  void NCDoubleClickAfter(TPoint P, bool Caption);
  void NewAppMessage(MSG& Msg, bool& Handled);
  void FormShortCut(TWMKey& Msg, bool& Handled);
  void TestMouse(TObject* Sender);
  void TestMorph(TObject* Sender);
  void SendNCPaint();
  void FadeStep();
  void StartFade();
  void FormClientWindowProcHook(TMessage& Message);
  void UnhookClient();
  void MDIItemClick(TObject* Sender);
  void SM_Restore(TObject* Sender);
  void SM_Max(TObject* Sender);
  void SM_Min(TObject* Sender);
  void SM_RollUp(TObject* Sender);
  void SM_Close(TObject* Sender);
  void SM_MinToTray(TObject* Sender);
  void TSM_Restore(TObject* Sender);
  void TSM_Close(TObject* Sender);
  void TrayIconDBLCLK(TObject* Sender);
  void DetachTray();
  void CreateSysTrayMenu();
  TMenuItem* NewSysItem(TComponent* Owner, const char* Name, const char* Caption,
                        void (RurIvozedevUzivEred::*Handler)(TObject*));
  RurIvozedevUzivEred* MainFormComponent() const;
  bool IsMDIChild() const;
  bool IsMDIForm() const;
  bool IsMaximizedMDIChild() const;
  void RemoveRegion();
  std::vector<int64_t> ShapeKey(TBitmap* Mask) const;
  bool KeepsShape() const;
  TBitmap* SourcePicture() const;
  void TileInto(HDC DC, int W, int H, TBitmap* Src, const TRect& Tile);
  std::vector<int64_t> TileKey(int W, int BH, TBitmap* Src, const TRect& Tile) const;

  TForm* FForm { nullptr };
  TbsSkinData* FSkinData { nullptr };
  TbsSkinData* FMenusSkinData { nullptr };
  TbsSkinHint* FSkinHint { nullptr };
  TbsTrayIcon* FTrayIcon { nullptr };
  TbsSkinMainMenuBar* FMainMenuBar { nullptr };
  TPopupMenu* FSystemMenu { nullptr };
  TPopupMenu* FDefaultSysMenu { nullptr };     // owned (as a component)
  TbsSkinPopupMenu* FSysTrayMenu { nullptr };  // owned (as a component)
  TbsSkinMenu* FSkinMenu { nullptr };          // owned (as a component)
  std::unique_ptr<TFont> FDefCaptionFont, FDefInActiveCaptionFont;
  std::unique_ptr<TIcon> FFormIcon;
  std::unique_ptr<TTimer> FMouseTimer, FMorphTimer;
  std::vector<std::unique_ptr<TbsActiveSkinObject>> FObjects;
  std::array<std::unique_ptr<TBitmap>, 4> FMaskBands;  // top, bottom, left, right
  // What the window's shape was last cut from, and the shape as handed to the window: a skin of the same
  // design in other colours leaves the shape as it is.
  std::vector<int64_t> FShapeKey;
  std::vector<uint8_t> FShapeData;
  // The client background's band last built, by what it was built from.
  xj::BoundedCache<std::vector<int64_t>, std::unique_ptr<TBitmap>> FBGBand { 1 };
  uint64_t FSkinChanges { 0 };

  bool FShowIcon { false };
  bool FMaximizeOnFullScreen { false };
  bool FAlphaBlend { false };
  bool FAlphaBlendAnimation { false };
  uint8_t FAlphaBlendValue { 200 };
  bool FShowObjectHint { false };
  bool FMenusAlphaBlend { false };
  bool FMenusAlphaBlendAnimation { false };
  uint8_t FMenusAlphaBlendValue { 200 };
  bool FUseDefaultSysMenu { true };
  int FMinHeight { 0 }, FMinWidth { 0 };
  bool FMagnetic { false };
  uint8_t FMagneticSize { 5 };
  TbsBorderIcons FBorderIcons { TbsBorderIcon::biSystemMenu, TbsBorderIcon::biMinimize, TbsBorderIcon::biMaximize,
                                TbsBorderIcon::biRollUp };

  bool FSkinSupport { false };
  bool FMDIChildMaximized { false };
  bool FFormActive { false };
  bool FFullDrag { true };
  int FOldWidth { 0 }, FOldHeight { 0 };
  bool FInSizeMove { false };
  bool FRollUpState { false }, FMaxRollUpState { false };
  TRect FOldBoundsRect;
  int FOldRollUpHeight { 0 };
  TWindowState FWindowState { wsNormal };
  bool FInMenu { false }, FInMainMenu { false };
  bool FHasRegion { false };  // a region was handed to the window (the window owns it)
  bool FChangingSkinData { false };
  int FActiveObject { -1 }, FOldActiveObject { -1 }, FMouseCaptureObject { -1 };
  int FFadeAlpha { -1 };  // the fade in progress (-1: none)

  // Stretched geometry.
  TPoint FNewLTPoint, FNewRTPoint, FNewLBPoint, FNewRBPoint;
  TRect FNewClRect, FNewCaptionRect, FNewButtonsRect, FNewMaskRectArea;
  TPoint FNewHitTestLTPoint, FNewHitTestRTPoint, FNewHitTestLBPoint, FNewHitTestRBPoint;
  int FButtonsOffset { 0 };
  bool FButtonsInLeft { false };
  TRect FDefCaptionRect;

  // Hooks, each removed only while still ours.
  TbsWindowProcHook FWindowHook;  // NewWndProc on the form
  TMessageEvent FOldAppMessage;
  bool FAppHooked { false };
  TShortCutEvent FOwnShortCut;
  HWND FClientHandle { nullptr };
  WNDPROC FOldClientWndProc { nullptr };
  WNDPROC FClientWndProcInstance { nullptr };
  // Expires with the component: handlers check it after anything that may free the form.
  std::shared_ptr<const int> FLife { std::make_shared<const int>(0) };
  std::weak_ptr<const void> LifeToken() const { return FLife; }
  // The key message a short cut last ran for, so a repeated delivery of it is not run twice.
  struct KeyIdentity {
    DWORD Time { 0 };
    WPARAM Key { 0 };
    LPARAM Data { 0 };
    bool Valid { false };
  } FHandledKey;
};

// The first form component of F (index order), or null. The component of the main form's maximised
// MDI child is the menus' GetMDIChildSkinFormComponent (bsSkinMenus.h).
RurIvozedevUzivEred* GetSkinFormComponent(TCustomForm* F);
// The component of the main form's active MDI child, or null.
RurIvozedevUzivEred* GetMDIChildSkinFormComponent2();

XJ_UNIT_REGISTRATION(RegisterbsSkinForm)
