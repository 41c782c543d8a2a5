#pragma once
// The class library's Forms unit: forms (built in code or read from text form resources), the
// application object with its message loop, exception box and hints, and the screen object.
//
// A form class with a form resource reads it in InitForm, which its constructor calls last (the
// resource binds the form's published fields and methods, which exist only once the most derived
// constructor runs); Application->CreateForm calls it for a class that did not. InitForm then runs
// OnCreate. OnDestroy runs before the form's destructors, however a form on the heap is deleted (a
// form on the stack gets no OnDestroy or OnHide: its handlers would run on a half-destroyed object).

#include <cstddef>
#include <memory>
#include <new>
#include <vector>

#include "platform/vcl/Controls.h"

class TMainMenu;
class TMenuItem;
class TForm;
class TCustomForm;

// ---- Form types ------------------------------------------------------------------------------------------

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
XJ_ENUM_IDENTS(TBorderIcon, biSystemMenu, biMinimize, biMaximize, biHelp);
typedef Set<TBorderIcon> TBorderIcons;

enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
XJ_ENUM_IDENTS(TFormStyle, fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop);

enum TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
XJ_ENUM_IDENTS(TPosition, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
               poMainFormCenter, poOwnerFormCenter);

enum TWindowState { wsNormal, wsMinimized, wsMaximized };
XJ_ENUM_IDENTS(TWindowState, wsNormal, wsMinimized, wsMaximized);

enum TCloseAction { caNone, caHide, caFree, caMinimize };
XJ_ENUM_IDENTS(TCloseAction, caNone, caHide, caFree, caMinimize);

enum TFormStateFlag { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
typedef Set<TFormStateFlag> TFormState;

enum TPrintScale { poNone, poProportional, poPrintToFit };
XJ_ENUM_IDENTS(TPrintScale, poNone, poProportional, poPrintToFit);

typedef TClosure<void(TObject* Sender, TCloseAction& Action)> TCloseEvent;
typedef TClosure<void(TObject* Sender, bool& CanClose)> TCloseQueryEvent;
typedef TClosure<void(TWMKey& Msg, bool& Handled)> TShortCutEvent;

// ---- Forms -----------------------------------------------------------------------------------------------

class TCustomForm : public TWinControl {
  XJ_CLASS(TCustomForm, TWinControl)
  XJ_PUBLISHED_ACCESS;

 public:
  // Reads no resource (see InitForm).
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;
  // Every heap deletion of a form passes here: the form is hidden and OnDestroy runs while the whole
  // object still exists, then the destructors run.
  static void operator delete(TCustomForm* Self, std::destroying_delete_t);
  // Out of line, as the destroying deletion is: the compiler then pairs all three as the class's own.
  static void* operator new(std::size_t Size);
  static void operator delete(void* Memory);

  // Reads the form resource registered for the form's class (if any and not read yet), then runs
  // OnCreate once.
  void InitForm();
  // While a form resource is read, each is kept apart until Loaded: the other's value then is not one
  // read, and must not replace one that is.
  void SetClientWidth(int Value);
  void SetClientHeight(int Value);

  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons Value);
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value);
  TWindowState WindowState();
  void SetWindowState(TWindowState Value);
  TIcon* Icon() const { return FIcon.get(); }
  void SetIcon(TIcon* Value);
  // Null removes the native menu bar without freeing the menu.
  TMainMenu* Menu() const { return FMenu; }
  void SetMenu(TMainMenu* Value);
  TMenuItem* WindowMenu() const { return FWindowMenu; }
  void SetWindowMenu(TMenuItem* Value);
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool Value) { FKeyPreview = Value; }
  // The control that has (or gets, when the form is activated) the focus. Raises EInvalidOperation for a
  // control of another form or one that cannot take the focus.
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Control);
  bool Active() const { return FActive; }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  bool AutoScroll() const { return FAutoScroll; }
  void SetAutoScroll(bool Value) { FAutoScroll = Value; }
  TCanvas* Canvas() const;
  TFormState FormState() const { return FFormState; }
  // Stored only.
  bool Scaled() const { return FScaled; }
  void SetScaled(bool Value) { FScaled = Value; }
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value; }
  bool OldCreateOrder() const { return FOldCreateOrder; }
  void SetOldCreateOrder(bool Value) { FOldCreateOrder = Value; }
  TPrintScale PrintScale() const { return FPrintScale; }
  void SetPrintScale(TPrintScale Value) { FPrintScale = Value; }

  // MDI: the client window of an fsMDIForm, and its children in the screen's form order.
  HWND ClientHandle() const { return FClientHandle; }
  int MDIChildCount();
  TForm* MDIChildren(int I);
  TForm* ActiveMDIChild();

  void Show();
  // Runs a nested loop until ModalResult is set (or the form is hidden: mrCancel unless a result was
  // set, or the application terminates: mrCancel); timers and painting go on, the application's other
  // windows take no input meanwhile. Raises EInvalidOperation for a visible, disabled or modal form.
  int ShowModal();
  // OnCloseQuery, then OnClose with the action caHide (caNone for an MDI child that cannot minimise):
  // the main form ends the application, a modal form gets mrCancel, caFree releases the form.
  void Close();
  // Frees the form once the messages already queued for it have been handled.
  void Release();
  virtual bool CloseQuery();
  bool SetFocusedControl(TWinControl* Control);
  void DefocusControl(TWinControl* Control, bool Removing);
  void FocusControl(TWinControl* Control);
  // OnShortCut, then the main menu's short cuts.
  bool IsShortCut(TWMKey& Message);
  void SendCancelMode(TControl* Sender);
  void SetFocus() override;
  bool CanFocus() override { return Visible() && Enabled(); }
  // While the form is being created from its resource, Visible = true waits for OnCreate; a change asked
  // for while showing or hiding (a Close in OnShow, say) is applied once that is over.
  void SetVisible(bool Value) override;
  void Dispatch(TMessage& Message) override;
  void WndProc(TMessage& Message) override;
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  // Paints the form (OnPaint) into any DC.
  void PaintWindow(HDC DC) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TShortCutEvent OnShortCut;
  TNotifyEvent OnPaint;

 protected:
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void Activate();
  virtual void Deactivate();
  virtual void Paint();
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void CreateWindowHandle(const TCreateParams& Params) override;
  void DestroyWindowHandle() override;
  void VisibleChanging() override;
  void SetParent(TWinControl* AParent) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  void ReadState(TReader* Reader) override;
  void DefineProperties(TFiler* Filer) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  TRect GetClientRect() override;
  void SetClientSize(const TPoint& Value) override;
  // Whether ShowModal's loop is listed as the colour dialog's (the test harness answers it as such).
  virtual bool IsColorDialog() const { return false; }

 private:
  friend class TApplication;
  friend class TScreen;
  void BeforeDestruction();
  void CloseModal();
  // The steps of ShowModal.
  void RunModalLoop(const std::weak_ptr<const void>& Life);
  void AbandonModal();
  void SetActive(bool Value);
  void SetWindowFocus();
  void SetWindowToPosition();
  void CMShowingChanged(TMessage& Message);
  void WMActivate(TMessage& Message);
  void WMSysCommand(TMessage& Message);
  void WMNextDlgCtl(TMessage& Message);
  void WMCommand(TMessage& Message);
  void WMInitMenuPopup(TMessage& Message);
  void WMGetMinMaxInfo(TMessage& Message);
  void CMActivate(TMessage& Message);
  void CMRelease(TMessage& Message);
  void CMDialogKey(TWMKey& Message);
  void ApplyPendingVisibility();
  void ReadIgnoredInt(TReader* Reader);
  void ReadIgnoredBool(TReader* Reader);
  void IconChanged(TObject* Sender);
  bool IsIconStored() const { return !FIcon->Empty(); }

  TFormBorderStyle FBorderStyle { bsSizeable };
  TBorderIcons FBorderIcons { biSystemMenu, biMinimize, biMaximize };
  TFormStyle FFormStyle { fsNormal };
  TPosition FPosition { poDesigned };
  TWindowState FWindowState { wsNormal };
  std::unique_ptr<TIcon> FIcon;
  TMainMenu* FMenu { nullptr };
  TMenuItem* FWindowMenu { nullptr };
  bool FKeyPreview { false };
  TWinControl* FActiveControl { nullptr };
  TWinControl* FFocusedControl { nullptr };
  bool FActive { false };
  TModalResult FModalResult { mrNone };
  bool FAutoScroll { true };
  bool FScaled { true };
  int FPixelsPerInch { 96 };
  bool FOldCreateOrder { false };
  TPrintScale FPrintScale { poProportional };
  TFormState FFormState;
  mutable std::unique_ptr<TControlCanvas> FCanvas;
  HWND FClientHandle { nullptr };
  bool FInitialized { false };
  bool FDestroyed { false };
  bool FReleasePending { false };  // released while modal: freed once ShowModal has returned
  int FPendingVisible { -1 };      // a Visible change asked for while showing or hiding: applied after
  int FClientWidth { 0 };          // client size read from a resource, applied in Loaded
  int FClientHeight { 0 };
};

class TForm : public TCustomForm {
  XJ_CLASS(TForm, TCustomForm)
 public:
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
  // Tile, cascade and arrange are the skinning engine's business; these do nothing.
  void Tile() {}
  void Cascade() {}
  void ArrangeIcons() {}
  void Next();
  void Previous();
};

// The form that contains Control (at any depth), or null.
TCustomForm* GetParentForm(TControl* Control);
// As GetParentForm; raises EInvalidOperation "Control '%s' has no parent window" when there is none.
TCustomForm* ValidParentForm(TControl* Control);

// ---- Screen ---------------------------------------------------------------------------------------------

class TScreen : public TComponent {
  XJ_CLASS(TScreen, TComponent)
 public:
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;

  int Width() const;
  int Height() const;
  int DesktopWidth() const { return Width(); }
  int DesktopHeight() const { return Height(); }
  TRect WorkAreaRect() const;
  int WorkAreaWidth() const { return WorkAreaRect().Width(); }
  int WorkAreaHeight() const { return WorkAreaRect().Height(); }
  // Forms in creation order; the form that last got the focus moves to index 0.
  int FormCount() const;
  TForm* Forms(int Index) const;
  int CustomFormCount() const { return static_cast<int>(FCustomForms.size()); }
  TCustomForm* CustomForms(int Index) const;
  TForm* ActiveForm() const { return FActiveForm; }
  TCustomForm* ActiveCustomForm() const { return FActiveCustomForm; }
  TWinControl* ActiveControl() const { return FActiveControl; }
  TCursor Cursor() const { return FCursor; }
  // Anything but crDefault overrides every control's cursor.
  void SetCursor(TCursor Value);
  HCURSOR Cursors(int Index);
  void SetCursors(int Index, HCURSOR Handle);
  // Font family names, sorted.
  TStrings* Fonts();
  TFont* HintFont() const { return FHintFont.get(); }
  TFont* MenuFont() const { return FMenuFont.get(); }
  TFont* IconFont() const { return FIconFont.get(); }

  TNotifyEvent OnActiveControlChange;
  TNotifyEvent OnActiveFormChange;

 private:
  friend class TCustomForm;
  friend class TApplication;
  void AddForm(TCustomForm* AForm);
  void RemoveForm(TCustomForm* AForm);
  void MoveToFront(TCustomForm* AForm);
  void SetFocusedState(TCustomForm* Form, TWinControl* Control);
  void FormGone(TCustomForm* AForm);

  std::vector<TCustomForm*> FCustomForms;  // the forms (TForm or not), in the order Forms() shows
  TForm* FActiveForm { nullptr };
  TCustomForm* FActiveCustomForm { nullptr };
  TWinControl* FActiveControl { nullptr };
  TCustomForm* FFocusedForm { nullptr };
  std::vector<TCustomForm*> FSaveFocusedList;
  TCursor FCursor { crDefault };
  int FCursorCount { 0 };
  std::vector<std::pair<int, HCURSOR>> FCursors;
  std::unique_ptr<TStringList> FFonts;
  std::unique_ptr<TFont> FHintFont;
  std::unique_ptr<TFont> FMenuFont;
  std::unique_ptr<TFont> FIconFont;
};

// ---- Application ------------------------------------------------------------------------------------------

typedef TClosure<void(MSG& Msg, bool& Handled)> TMessageEvent;
typedef TClosure<void(TObject* Sender, Exception* E)> TExceptionEvent;
typedef TClosure<void(TObject* Sender, bool& Done)> TIdleEvent;
typedef TClosure<void(AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo)> TShowHintEvent;
// Sees a message of the application window before it does; true means handled (Message.Result stands).
typedef TClosure<bool(TMessage& Message)> TWindowHook;

class TApplication : public TComponent {
  XJ_CLASS(TApplication, TComponent)
 public:
  explicit TApplication(TComponent* AOwner);
  // Frees the forms (and every other component it owns) and its windows.
  ~TApplication() override;

  void Initialize() {}
  // Creates a form owned by the application; the first form created becomes MainForm. Reference is set
  // before the form's resource is read, so handlers that run meanwhile can use it.
  template <class T>
  void CreateForm(T*& Reference) {
    Reference = nullptr;
    T* form = new T(this);
    Reference = form;
    FormCreated(form);
  }
  // The same by class: the class must be registered with XJ_PUBLISHED (its constructor).
  TCustomForm* CreateForm(TClass InstanceClass);
  // Shows the main form (its OnShow runs before any message is retrieved), then handles messages until
  // the application terminates. Exceptions escaping handlers are shown and the loop goes on.
  void Run();
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // Handles every message waiting, then returns (re-entrant).
  void ProcessMessages();
  // Handles one message, or idles and waits for the next when none is waiting.
  void HandleMessage();
  // Shows the exception being handled (call inside a catch block) unless it is EAbort; OnException
  // replaces the display when assigned.
  void HandleException(TObject* Sender);
  // The application's exception box: the message (with a final period added as the class library does),
  // MB_ICONSTOP, captioned with Title.
  void ShowException(Exception* E);
  int MessageBox(const char* Text, const char* Caption, int Flags = MB_OK);
  void Minimize();
  void Restore();
  void BringToFront();
  // The hidden application window, created on demand.
  HWND Handle();
  // Hooks on the application window's messages, the latest first; each hook is kept once, and removing
  // one leaves the others chained (a hook may remove itself or another while it runs).
  void HookMainWindow(TWindowHook Hook);
  void UnhookMainWindow(TWindowHook Hook);
  bool HandleAllocated() const { return FHandle != nullptr; }
  TForm* MainForm() const { return FMainForm; }
  AnsiString Title() const;
  void SetTitle(const AnsiString& Value);
  TIcon* Icon() const { return FIcon.get(); }
  void SetIcon(TIcon* Value);
  bool ShowMainForm() const { return FShowMainForm; }
  void SetShowMainForm(bool Value) { FShowMainForm = Value; }
  AnsiString ExeName() const;
  bool Active() const { return FActive; }

  // Hints.
  bool ShowHint() const { return FShowHint; }
  // False frees the hint window; true makes one of HintWindowClass.
  void SetShowHint(bool Value);
  int HintPause() const { return FHintPause; }
  void SetHintPause(int Value) { FHintPause = Value; }
  int HintShortPause() const { return FHintShortPause; }
  void SetHintShortPause(int Value) { FHintShortPause = Value; }
  int HintHidePause() const { return FHintHidePause; }
  void SetHintHidePause(int Value) { FHintHidePause = Value; }
  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor Value) { FHintColor = Value; }
  AnsiString Hint() const { return FHint; }
  void SetHint(const AnsiString& Value);
  void CancelHint();
  void HideHint();
  void ActivateHint(const TPoint& CursorPos);
  // Called for every mouse move a control gets.
  void HintMouseMessage(TControl* Control, TMessage& Message);
  THintWindow* HintWindow() const { return FHintWindow; }

  // The short-cut keys of the application: OnShortCut, then the main form (unless it was asked already).
  bool IsShortCut(TWMKey& Message, TCustomForm* AlreadyAsked = nullptr);
  // Forgets a control that goes away (hint, screen's active control).
  void ControlDestroyed(TControl* Control);

  TMessageEvent OnMessage;
  TExceptionEvent OnException;
  TIdleEvent OnIdle;
  TShowHintEvent OnShowHint;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;
  TNotifyEvent OnHint;
  TShortCutEvent OnShortCut;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TCustomForm;
  void FormCreated(TCustomForm* Form);
  bool ProcessMessage(MSG& Msg);
  void DispatchOne(MSG& Msg);
  void Idle();
  bool IsKeyMsg(MSG& Msg);
  bool IsMDIMsg(MSG& Msg);
  void IsHintMsg(MSG& Msg);
  void WndProc(TMessage& Message);
  void StartHintTimer(int Value, int Mode);
  void StopHintTimer();
  void HintTimerExpired();
  void UpdateHintWindow(TClass Class);
  void DoneApplication();

  HWND FHandle { nullptr };
  TForm* FMainForm { nullptr };
  AnsiString FTitle;
  std::unique_ptr<TIcon> FIcon;
  bool FTerminated { false };
  bool FShowMainForm { true };
  bool FActive { false };
  bool FRunning { false };
  int FHandling { 0 };
  std::vector<HWND> FMinimizedForms;
  std::vector<TWindowHook> FWindowHooks;
  bool FShowHint { true };
  int FHintPause { 500 };
  int FHintShortPause { 50 };
  int FHintHidePause { 2500 };
  TColor FHintColor { clInfoBk };
  AnsiString FHint;
  THintWindow* FHintWindow { nullptr };
  TControl* FHintControl { nullptr };
  bool FHintActive { false };
  TRect FHintCursorRect;
  int FTimerMode { 0 };
  bool FTimerRunning { false };
};

// Made at start-up; a program (or a test) may replace them with new ones.
extern TApplication* Application;
extern TScreen* Screen;
// The class of the application's hint window: THintWindow or a descendant registered with XJ_PUBLISHED.
extern TClass HintWindowClass;

XJ_UNIT_REGISTRATION(RegisterForms)
