#pragma once
// The class library's tab controls over the native "SysTabControl32": TTabControl (a row of tabs from a
// string list over one shared area that hosts child controls) and TPageControl with its TTabSheet pages
// (one sheet shown at a time, aligned to the display area). The TCM_* messages the controls send
// themselves (TCM_ADJUSTRECT for DisplayRect, TCM_GETITEMRECT for TabRect, TCM_SETITEMSIZE) pass
// through WndProc, so a derived class sees and adjusts them.

#include <memory>
#include <vector>

#include "platform/vcl/Controls.h"
#include "platform/vcl/ImgList.h"

class TTabSheet;
class TPageControl;

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
XJ_ENUM_IDENTS(TTabPosition, tpTop, tpBottom, tpLeft, tpRight);
enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };
XJ_ENUM_IDENTS(TTabStyle, tsTabs, tsButtons, tsFlatButtons);
// The orientation of a pair of arrow buttons.
enum TUDOrientation { udHorizontal, udVertical };
XJ_ENUM_IDENTS(TUDOrientation, udHorizontal, udVertical);

typedef TClosure<void(TObject* Sender, bool& AllowChange)> TTabChangingEvent;
typedef TClosure<void(TObject* Sender, int TabIndex, int& ImageIndex)> TTabGetImageEvent;

// What the tab control and the page control share. The tabs live in the native window; Tabs is a
// string list view of them (objects ride along), kept across RecreateWnd. OnChanging may refuse a
// change the user makes; OnChange follows it. Programmatic changes of TabIndex fire neither.
class TCustomTabControl : public TWinControl {
  XJ_CLASS(TCustomTabControl, TWinControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TCustomTabControl(TComponent* AOwner);
  ~TCustomTabControl() override;

  TCanvas* Canvas() const;
  // The area pages and children fill: the client area through TCM_ADJUSTRECT.
  TRect DisplayRect();
  // The tab (visible index) at a client point, or -1.
  int IndexOfTabAt(int X, int Y);
  // Through TCM_GETITEMRECT; empty for an index out of range.
  TRect TabRect(int Index);
  int RowCount();
  // Scrolls a single row of tabs by Delta tabs (clamped).
  void ScrollTabs(int Delta);

  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  // Left and right tabs always wrap: switching either on turns MultiLine on, and turning it off while the
  // tabs are at a side raises EInvalidOperation.
  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool Value);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  bool RaggedRight() const { return FRaggedRight; }
  void SetRaggedRight(bool Value);
  // In several rows of tabs, selecting a tab of another row moves the rows before it to the opposite
  // side of the display area (which moves with them) rather than behind the selected row.
  bool ScrollOpposite() const { return FScrollOpposite; }
  void SetScrollOpposite(bool Value);
  TTabStyle Style() const { return FStyle; }
  void SetStyle(TTabStyle Value);
  // 0: from the font (and images); negative values raise EInvalidOperation.
  short TabHeight() const { return FTabHeight; }
  void SetTabHeight(short Value);
  // 0: each tab as long as its caption.
  short TabWidth() const { return FTabWidth; }
  void SetTabWidth(short Value);
  // -1 for none; an index outside the tabs is ignored.
  int TabIndex();
  virtual void SetTabIndex(int Value);
  TTabPosition TabPosition() const { return FTabPosition; }
  void SetTabPosition(TTabPosition Value);
  TStrings* Tabs() const { return FTabs.get(); }
  void SetTabs(TStrings* Value);

  void Dispatch(TMessage& Message) override;

  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;
  TTabGetImageEvent OnGetImageIndex;

 protected:
  virtual bool CanChange();
  // Fires OnChange; the page control first shows the page of the new tab.
  virtual void Change();
  // The image a tab shows: its index, or what OnGetImageIndex says.
  virtual int GetImageIndex(int TabIndex);
  void UpdateTabImages();
  // After tabs came, went or changed size: the native control lays them out again (WM_SIZE, which a
  // derived class also sees), and the children are realigned.
  void TabsChanged();
  // Whether a window that goes keeps its tabs for the next one (the page control makes them from its pages).
  virtual bool KeepsTabs() const { return true; }
  // Ctrl+Tab or Ctrl+Shift+Tab while the focus is in the control.
  bool IsNextTabKey(TWMKey& Message);
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void AdjustClientRect(TRect& Rect) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Perform, creating the window first when needed.
  LRESULT Send(UINT Msg, WPARAM WParam, LPARAM LParam);

 private:
  friend class TTabStrings;
  template <class T>
  void ChangeStyle(T& Field, T Value);
  void SetTabSize();
  void CNNotify(TMessage& Message);
  void SelectionMoved();

  std::unique_ptr<TStrings> FTabs;
  std::unique_ptr<TStringList> FSaveTabs;
  std::unique_ptr<TControlCanvas> FCanvas;
  int FSaveTabIndex { -1 };
  int FLoadedTabIndex { -2 };  // TabIndex read from a form resource before its tabs
  TCustomImageList* FImages { nullptr };
  bool FHotTrack { false };
  bool FMultiLine { false };
  bool FMultiSelect { false };
  bool FRaggedRight { false };
  bool FScrollOpposite { false };
  TTabStyle FStyle { tsTabs };
  short FTabHeight { 0 };
  short FTabWidth { 0 };
  TTabPosition FTabPosition { tpTop };
};

class TTabControl : public TCustomTabControl {
  XJ_CLASS(TTabControl, TCustomTabControl)
 public:
  explicit TTabControl(TComponent* AOwner);
  ~TTabControl() override;
};

// A page of a page control: shown while it is the active page, filling the display area.
class TTabSheet : public TWinControl {
  XJ_CLASS(TTabSheet, TWinControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;

  TPageControl* PageControl() const { return FPageControl; }
  void SetPageControl(TPageControl* Value);
  // The position among the pages (all of them, shown tab or not); out of range raises EListError.
  int PageIndex() const;
  void SetPageIndex(int Value);
  // The position among the shown tabs, -1 without a tab.
  int TabIndex() const;
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  bool Highlighted() const { return FHighlighted; }
  void SetHighlighted(bool Value);

  void Dispatch(TMessage& Message) override;

  TNotifyEvent OnShow;
  TNotifyEvent OnHide;

 protected:
  virtual void DoShow();
  virtual void DoHide();
  void ReadState(TReader* Reader) override;

 private:
  friend class TPageControl;
  void SetTabShowing(bool Value);
  void UpdateTabShowing();
  // The tab's caption, image and highlight from the page.
  void UpdateTab();

  TPageControl* FPageControl { nullptr };
  bool FTabVisible { true };
  bool FTabShowing { false };
  int FImageIndex { 0 };
  bool FHighlighted { false };
};

class TPageControl : public TCustomTabControl {
  XJ_CLASS(TPageControl, TCustomTabControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;

  // Showing a page makes its tab the selected one; a page of another control is ignored.
  TTabSheet* ActivePage() const { return FActivePage; }
  void SetActivePage(TTabSheet* Page);
  int ActivePageIndex() const;
  void SetActivePageIndex(int Value);
  int PageCount() const { return static_cast<int>(FPages.size()); }
  // Raises EListError for an index out of range.
  TTabSheet* Pages(int Index) const;
  TTabSheet* FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible);
  // Moves to the next page (with a tab, when asked) as a user would: OnChanging may refuse, OnChange follows.
  void SelectNextPage(bool GoForward, bool CheckTabVisible = true);
  // Selects the page of the tab.
  void SetTabIndex(int Value) override;

  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Change() override;
  int GetImageIndex(int TabIndex) override;
  void ShowControl(TControl* AControl) override;
  // The tabs are made from the pages.
  void CreateWnd() override;
  bool KeepsTabs() const override { return false; }

 private:
  friend class TTabSheet;
  TTabSheet* PageOfTab(int Index) const;
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  void InsertTab(TTabSheet* Page);
  void DeleteTab(TTabSheet* Page, int Index);
  void MoveTab(int CurIndex, int NewIndex);
  void ChangeActivePage(TTabSheet* Page);
  void UpdateActivePage();

  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage { nullptr };
};

XJ_UNIT_REGISTRATION(RegisterComCtrlsTabs)
