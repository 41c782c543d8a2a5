#pragma once
// The tray icon: an icon in the desktop's notification area with a tip, an animation through an image
// list, mouse events, the skinned popup menu at the cursor, and the main form hidden to the tray when
// the application is minimised. A restarted shell ("TaskbarCreated") gets a visible icon back.

#include <memory>

#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"
#include "platform/win32/ShellApi.h"
#include "skin/form/bsWindowProcHook.h"

class TTimer;
class TbsSkinPopupMenu;

typedef TClosure<void(TObject* Sender, int NextIndex)> TbsCycleEvent;

class TbsTrayIcon : public TComponent {
  XJ_CLASS(TbsTrayIcon, TComponent)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TbsTrayIcon(TComponent* AOwner);
  ~TbsTrayIcon() override;

  // True: an empty Icon takes the application's icon at run time.
  virtual bool LoadDefaultIcon() { return true; }
  // Each answers whether the shell took the call.
  virtual bool ShowIcon();
  virtual bool HideIcon();
  virtual bool ModifyIcon();
  void Refresh() { ModifyIcon(); }
  void PopupAtCursor();
  void ShowMainForm();
  void HideMainForm();
  // Bitmap as a 16 × 16 icon into Icon, MaskColor transparent.
  static void BitmapToIcon(TBitmap* Bitmap, TIcon* Icon, TColor MaskColor);

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  TIcon* Icon() const { return FIcon.get(); }
  void SetIcon(TIcon* Value);
  bool IconVisible() const { return FIconVisible; }
  void SetIconVisible(bool Value);
  AnsiString Hint() const { return FHint; }
  void SetHint(const AnsiString& Value);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  TbsSkinPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TbsSkinPopupMenu* Value);
  bool PopupByLeftButton() const { return FPopupByLeftButton; }
  void SetPopupByLeftButton(bool Value) { FPopupByLeftButton = Value; }
  bool MinimizedOnStart() const { return FMinimizedOnStart; }
  void SetMinimizedOnStart(bool Value) { FMinimizedOnStart = Value; }
  bool MinimizeToTray() const { return FMinimizeToTray; }
  void SetMinimizeToTray(bool Value) { FMinimizeToTray = Value; }
  int IconIndex() const { return FIconIndex; }
  void SetIconIndex(int Value);
  bool DesignPreview() const { return FDesignPreview; }
  void SetDesignPreview(bool Value);
  TCustomImageList* IconList() const { return FIconList; }
  void SetIconList(TCustomImageList* Value);
  bool CycleIcons() const { return FCycleIcons; }
  void SetCycleIcons(bool Value);
  unsigned AnimateTimerInterval() const { return FAnimateTimerInterval; }
  void SetAnimateTimerInterval(unsigned Value);

  TNotifyEvent OnClick, OnDblClick;
  TbsCycleEvent OnCycle;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;

  // The hidden window the shell reports the mouse to.
  HWND NotifyWindow() const { return FData.hWnd; }

 protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void Click();
  virtual void DblClick();
  virtual void CycleIcon();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void DoMinimizeToTray();

 private:
  bool Designing() const { return ComponentState().Contains(csDesigning); }
  TWinControl* OwnerControl() const;
  bool InitIcon();
  void HandleIconMessage(TMessage& Message);
  void IconMouseEvent(LPARAM Event);
  void IconLeftDown(TShiftState Shift, int X, int Y);
  void IconLeftUp(TShiftState Shift, int X, int Y);
  void IconDoubleClick();
  void TimerCycle(TObject* Sender);
  void TimerClick(TObject* Sender);
  void HookApp();
  void UnhookApp();
  bool HookAppProc(TMessage& Message);
  void HookFormProc(TMessage& Message);
  void WatchFormMessage(TMessage& Message);

  bool FEnabled { true };
  std::unique_ptr<TIcon> FIcon;
  bool FIconVisible { false };
  AnsiString FHint;
  bool FShowHint { true };
  TbsSkinPopupMenu* FPopupMenu { nullptr };
  bool FPopupByLeftButton { false };
  bool FMinimizedOnStart { false };
  bool FMinimizeToTray { false };
  int FIconIndex { 0 };
  bool FDesignPreview { false };
  TCustomImageList* FIconList { nullptr };
  bool FCycleIcons { false };
  unsigned FAnimateTimerInterval { 0 };

  bool FLeftDown { false };
  bool FClickPending { false };
  std::unique_ptr<TTimer> FCycleTimer, FClickTimer;
  bool FDblClicked { false };
  bool FPreviewChanging { false };
  bool FStartUp { true };
  TApplication* FHookedApp { nullptr };  // whose window HookAppProc watches
  TbsWindowProcHook FFormHook;           // HookFormProc on the owner form
  NOTIFYICONDATAA FData {};
  // Expires with the icon: each of its mouse events may free it.
  std::shared_ptr<const void> FLife { std::make_shared<char>(0) };
};

XJ_UNIT_REGISTRATION(RegisterbsTrayIcon)
