#pragma once
// The class library's ActnList unit: actions (a command with its caption, state and handler, shared by
// the controls and menu items linked to it), action lists, and the links that push an action's state
// into its clients.

#include <memory>
#include <vector>

#include "platform/vcl/Classes.h"

class TBasicAction;
class TCustomActionList;
class TCustomImageList;
class TControl;
struct TWMKey;

// ---- Links ---------------------------------------------------------------------------------------------

// Connects a client (a control, a menu item) to an action; the action tells its links of every change.
class TBasicActionLink : public TObject {
  XJ_CLASS(TBasicActionLink, TObject)
 public:
  explicit TBasicActionLink(TObject* AClient) { AssignClient(AClient); }
  ~TBasicActionLink() override;

  TBasicAction* Action() const { return FAction; }
  virtual void SetAction(TBasicAction* Value);
  // Runs the action (with Target as its component); false when there is no action.
  virtual bool Execute(TComponent* Target = nullptr);
  virtual bool Update();

  TNotifyEvent OnChange;

 protected:
  virtual void AssignClient(TObject*) {}
  virtual void Change();
  virtual bool IsOnExecuteLinked() { return true; }
  virtual void SetOnExecute(TNotifyEvent) {}

  TBasicAction* FAction { nullptr };

 private:
  // Expires with the link: the client that owns it may go while its action runs.
  std::shared_ptr<const void> FLife { std::make_shared<char>(0) };

  friend class TBasicAction;
};

class TActionLink : public TBasicActionLink {
  XJ_CLASS(TActionLink, TBasicActionLink)
 public:
  using TBasicActionLink::TBasicActionLink;

  // A property is linked while the client still shows the action's value for it.
  virtual bool IsCaptionLinked() { return FAction != nullptr; }
  virtual bool IsCheckedLinked() { return FAction != nullptr; }
  virtual bool IsEnabledLinked() { return FAction != nullptr; }
  virtual bool IsHintLinked() { return FAction != nullptr; }
  virtual bool IsImageIndexLinked() { return FAction != nullptr; }
  virtual bool IsShortCutLinked() { return FAction != nullptr; }
  virtual bool IsVisibleLinked() { return FAction != nullptr; }
  virtual bool IsHelpContextLinked() { return FAction != nullptr; }

  virtual void SetCaption(const AnsiString&) {}
  virtual void SetChecked(bool) {}
  virtual void SetEnabled(bool) {}
  virtual void SetHint(const AnsiString&) {}
  virtual void SetImageIndex(int) {}
  virtual void SetShortCut(WORD) {}
  virtual void SetVisible(bool) {}
  virtual void SetHelpContext(int) {}

  friend class TCustomAction;
};

// Pushes Caption, Enabled, Hint, Visible, HelpContext and OnExecute (as OnClick) into a control.
class TControlActionLink : public TActionLink {
  XJ_CLASS(TControlActionLink, TActionLink)
 public:
  explicit TControlActionLink(TObject* AClient);

  bool IsCaptionLinked() override;
  bool IsEnabledLinked() override;
  bool IsHintLinked() override;
  bool IsVisibleLinked() override;
  bool IsHelpContextLinked() override;
  bool IsOnExecuteLinked() override;
  void SetCaption(const AnsiString& Value) override;
  void SetEnabled(bool Value) override;
  void SetHint(const AnsiString& Value) override;
  void SetVisible(bool Value) override;
  void SetHelpContext(int Value) override;
  void SetOnExecute(TNotifyEvent Value) override;

 protected:
  void AssignClient(TObject* AClient) override;

  TControl* FClient { nullptr };
};

// ---- Actions ---------------------------------------------------------------------------------------------

class TBasicAction : public TComponent {
  XJ_CLASS(TBasicAction, TComponent)
 public:
  explicit TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}
  // Unlinks every client first.
  ~TBasicAction() override;

  // OnExecute when assigned (true), else false.
  virtual bool Execute();
  // OnUpdate when assigned (true), else false.
  virtual bool Update();
  virtual bool HandlesTarget(TObject*) { return false; }
  virtual void UpdateTarget(TObject*) {}
  virtual void ExecuteTarget(TObject*) {}
  // The component that last executed the action (a control, a menu item).
  TComponent* ActionComponent() const { return FActionComponent; }
  void SetActionComponent(TComponent* Value);

  TNotifyEvent OnExecute() const { return FOnExecute; }
  // Also re-points the OnClick of every linked client that still used the old handler.
  void SetOnExecute(TNotifyEvent Value);
  TNotifyEvent OnUpdate;
  TNotifyEvent OnChange;

 protected:
  virtual void Change();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  const std::vector<TBasicActionLink*>& Clients() const { return FClients; }

 private:
  friend class TBasicActionLink;
  void RegisterChanges(TBasicActionLink* Value);
  void UnRegisterChanges(TBasicActionLink* Value);

  std::vector<TBasicActionLink*> FClients;
  TComponent* FActionComponent { nullptr };
  TNotifyEvent FOnExecute;
};

// An action kept in an action list.
class TContainedAction : public TBasicAction {
  XJ_CLASS(TContainedAction, TBasicAction)
 public:
  explicit TContainedAction(TComponent* AOwner) : TBasicAction(AOwner) {}
  ~TContainedAction() override;

  TCustomActionList* ActionList() const { return FActionList; }
  void SetActionList(TCustomActionList* Value);
  const AnsiString& Category() const { return FCategory; }
  void SetCategory(const AnsiString& Value) { FCategory = Value; }
  int Index() const;
  // The list's OnExecute may handle it first.
  bool Execute() override;
  bool Update() override;

  bool HasParent() const override { return FActionList != nullptr; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

 protected:
  void ReadState(TReader* Reader) override;

 private:
  friend class TCustomActionList;
  TCustomActionList* FActionList { nullptr };
  AnsiString FCategory;
};

class TCustomAction : public TContainedAction {
  XJ_CLASS(TCustomAction, TContainedAction)
 public:
  explicit TCustomAction(TComponent* AOwner) : TContainedAction(AOwner) {}

  // Runs the handler only when enabled (Update first); with AutoCheck toggles Checked.
  bool Execute() override;
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& Value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  WORD ShortCut() const { return FShortCut; }
  void SetShortCut(WORD Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int Value);
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool Value) { FAutoCheck = Value; }
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int Value);
  bool DisableIfNoHandler() const { return FDisableIfNoHandler; }
  void SetDisableIfNoHandler(bool Value) { FDisableIfNoHandler = Value; }

 private:
  template <class F>
  void ForLinks(F Fn);

  AnsiString FCaption;
  bool FChecked { false };
  bool FEnabled { true };
  AnsiString FHint;
  int FImageIndex { -1 };
  WORD FShortCut { 0 };
  bool FVisible { true };
  int FHelpContext { 0 };
  bool FAutoCheck { false };
  int FGroupIndex { 0 };
  bool FDisableIfNoHandler { true };
  bool FChecking { false };
};

class TAction : public TCustomAction {
  XJ_CLASS(TAction, TCustomAction)
 public:
  explicit TAction(TComponent* AOwner) : TCustomAction(AOwner) {}
};

// ---- Action lists ------------------------------------------------------------------------------------------

typedef TClosure<void(TBasicAction* Action, bool& Handled)> TActionEvent;

class TCustomActionList : public TComponent {
  XJ_CLASS(TCustomActionList, TComponent)
 public:
  explicit TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {}
  ~TCustomActionList() override;

  int ActionCount() const { return static_cast<int>(FActions.size()); }
  TContainedAction* Actions(int Index) const;
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  // OnExecute / OnUpdate of the list; true when it handled the action.
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);
  // Executes the enabled action whose ShortCut the key is; true when one matched.
  bool IsShortCut(TWMKey& Message);

  TActionEvent OnExecute;
  TActionEvent OnUpdate;
  TNotifyEvent OnChange;

  void GetChildren(TGetChildProc Proc, TComponent* Root) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TContainedAction;
  void AddAction(TContainedAction* Action);
  void RemoveAction(TContainedAction* Action);

  std::vector<TContainedAction*> FActions;
  TCustomImageList* FImages { nullptr };
};

class TActionList : public TCustomActionList {
  XJ_CLASS(TActionList, TCustomActionList)
 public:
  explicit TActionList(TComponent* AOwner) : TCustomActionList(AOwner) {}
};

XJ_UNIT_REGISTRATION(RegisterActnList)
