#pragma once
// The class library's tree view over the native tree-view window: TTreeNode, TTreeNodes,
// TCustomTreeView and TTreeView.

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/vcl/ComCtrls_customdraw.h"
#include "platform/vcl/Controls.h"
#include "platform/win32/AddressMap.h"
#include "platform/win32/CommCtrl.h"

class TCustomImageList;
class TCustomTreeView;
class TTreeNodes;
class TTreeViewWatch;

XJ_EXCEPTION(ETreeViewError, Exception);

enum TSortType { stNone, stData, stText, stBoth };
XJ_ENUM_IDENTS(TSortType, stNone, stData, stText, stBoth);

enum THitTest {
  htAbove,
  htBelow,
  htNowhere,
  htOnItem,
  htOnButton,
  htOnIcon,
  htOnIndent,
  htOnLabel,
  htOnRight,
  htOnStateIcon,
  htToLeft,
  htToRight
};
typedef Set<THitTest> THitTests;

// One item of the tree. Its attributes live here and in the window's item (ItemId); the tree
// structure lives in the window. Nodes are created and freed by TTreeNodes only.
class TTreeNode : public TPersistent {
  XJ_CLASS(TTreeNode, TPersistent)
 public:
  explicit TTreeNode(TTreeNodes* AOwner) : FOwner(AOwner) {}
  ~TTreeNode() override;

  void Assign(TPersistent* Source) override;

  const AnsiString& Text() const { return FText; }
  void SetText(const AnsiString& Value);
  void* Data() const { return FData; }
  void SetData(void* Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  int SelectedIndex() const { return FSelectedIndex; }
  void SetSelectedIndex(int Value);
  // -1 for none; state image i is image i of StateImages.
  int StateIndex() const { return FStateIndex; }
  void SetStateIndex(int Value);
  int OverlayIndex() const { return FOverlayIndex; }
  void SetOverlayIndex(int Value);
  bool Expanded() const;
  void SetExpanded(bool Value);
  // True when the node has children, or was told it will (a button shows before they are added).
  bool HasChildren() const;
  void SetHasChildren(bool Value);
  bool Selected() const;
  void SetSelected(bool Value);
  bool Focused() const { return Selected(); }
  bool Deleting() const { return FDeleting; }

  TTreeNode* Parent() const;
  int Count() const;
  // Raises ETreeViewError for an index outside 0..Count−1.
  TTreeNode* Item(int Index) const;
  TTreeNode* operator[](int Index) const { return Item(Index); }
  int Index() const;
  int Level() const;
  int AbsoluteIndex() const;
  TTreeNode* GetFirstChild() const;
  TTreeNode* GetLastChild() const;
  TTreeNode* GetNextSibling() const;
  TTreeNode* GetPrevSibling() const;
  // The next and previous node in the order of the whole tree, expanded or not.
  TTreeNode* GetNext() const;
  TTreeNode* GetPrev() const;
  TTreeNode* GetNextVisible() const;
  TTreeNode* GetPrevVisible() const;
  bool HasAsParent(const TTreeNode* Value) const;
  // Every ancestor expanded.
  bool IsVisible() const;
  // The row (or, TextOnly, the label) in client coordinates; empty when the node is not shown.
  TRect DisplayRect(bool TextOnly) const;

  // Recurse: this node's subtree, parents before children when expanding and after them when collapsing;
  // a handler that frees the view, or deletes the node it is told about, ends the walk there.
  void Expand(bool Recurse);
  void Collapse(bool Recurse);
  void MakeVisible();
  // Starts editing the label (false when the view refuses: ReadOnly, OnEditing); EndEdit ends it.
  bool EditText();
  void EndEdit(bool Cancel);
  void Delete();
  // Deletes the children one by one; stops when a handler deleted this node or freed the view.
  void DeleteChildren();
  bool AlphaSort(bool ARecurse = false);

  HTREEITEM ItemId() const { return FItemId; }
  TTreeNodes* Owner() const { return FOwner; }
  TCustomTreeView* TreeView() const;

 private:
  friend class TTreeNodes;
  friend class TCustomTreeView;
  LRESULT Send(UINT Msg, WPARAM WParam, LPARAM LParam) const;
  TTreeNode* Related(UINT Code) const;
  void PushItem(UINT Mask);

  TTreeNodes* FOwner;
  HTREEITEM FItemId { nullptr };
  AnsiString FText;
  void* FData { nullptr };
  int FImageIndex { 0 };
  int FSelectedIndex { 0 };
  int FStateIndex { -1 };
  int FOverlayIndex { -1 };
  bool FDeleting { false };
};

// The nodes of a tree view, in the tree's order. Adding needs the view's window (a parent). Item(i)
// counts through the whole tree and remembers where it was, so walking it in order is linear.
class TTreeNodes : public TPersistent {
  XJ_CLASS(TTreeNodes, TPersistent)
 public:
  explicit TTreeNodes(TCustomTreeView* AOwner) : FOwner(AOwner) {}
  ~TTreeNodes() override;

  void Assign(TPersistent* Source) override;

  int Count() const;
  // Raises ETreeViewError for an index outside 0..Count−1.
  TTreeNode* Item(int Index) const;
  TTreeNode* operator[](int Index) const { return Item(Index); }
  TTreeNode* GetFirstNode() const;
  // The node of a window item; null for none.
  TTreeNode* GetNode(HTREEITEM ItemId) const;

  // Each adding function raises ETreeViewError while the view is being destroyed, and when OnCompare (a
  // sorted view placing the new node) deleted the node or freed the view.

  // Last among Sibling's siblings (the roots when Sibling is null).
  TTreeNode* Add(TTreeNode* Sibling, const AnsiString& S) { return AddObject(Sibling, S, nullptr); }
  TTreeNode* AddObject(TTreeNode* Sibling, const AnsiString& S, void* Ptr);
  TTreeNode* AddFirst(TTreeNode* Sibling, const AnsiString& S) { return AddObjectFirst(Sibling, S, nullptr); }
  TTreeNode* AddObjectFirst(TTreeNode* Sibling, const AnsiString& S, void* Ptr);
  // Last (First) child of Parent (a root when Parent is null).
  TTreeNode* AddChild(TTreeNode* Parent, const AnsiString& S) { return AddChildObject(Parent, S, nullptr); }
  TTreeNode* AddChildObject(TTreeNode* Parent, const AnsiString& S, void* Ptr);
  TTreeNode* AddChildFirst(TTreeNode* Parent, const AnsiString& S) { return AddChildObjectFirst(Parent, S, nullptr); }
  TTreeNode* AddChildObjectFirst(TTreeNode* Parent, const AnsiString& S, void* Ptr);
  // Just before Sibling (last root when Sibling is null).
  TTreeNode* Insert(TTreeNode* Sibling, const AnsiString& S) { return InsertObject(Sibling, S, nullptr); }
  TTreeNode* InsertObject(TTreeNode* Sibling, const AnsiString& S, void* Ptr);
  void Delete(TTreeNode* Node);
  // Every node goes, each with OnDeletion, children before their parent.
  void Clear();
  // Stops repainting and re-sorting until the matching EndUpdate.
  void BeginUpdate();
  void EndUpdate();

  TCustomTreeView* Owner() const { return FOwner; }

 protected:
  void DefineProperties(TFiler* Filer) override;

 private:
  friend class TTreeNode;
  friend class TCustomTreeView;
  friend class TTreeViewWatch;
  struct TSavedNode {
    TTreeNode* Node;
    int Depth;
    bool Expanded;
    bool HasChildren;
  };
  LRESULT Send(UINT Msg, WPARAM WParam, LPARAM LParam) const;
  TTreeNode* InternalAdd(HTREEITEM Parent, HTREEITEM After, const AnsiString& S, void* Ptr);
  TTreeNode* Bind(TTreeNode* Node, HTREEITEM Parent, HTREEITEM After);
  void Added(TTreeNode* Node);
  void ReadData(TStream* Stream);
  void ReadNodes(TStream* Stream);
  void WriteData(TStream* Stream);
  // A node the window announced as deleted: its events, then it is freed.
  void Forget(TTreeNode* Node);
  // The nodes no window holds (kept for a window to come, or let go by one without a notice), each
  // forgotten; false when a handler freed the view.
  bool ForgetUnheld();
  // Around a re-created window.
  void SaveAll();
  void RestoreAll();

  TCustomTreeView* FOwner;
  xj::AddressSet FNodes;  // the nodes alive, asked at every node a message names
  std::vector<TSavedNode> FSaved;
  int FUpdateCount { 0 };
  unsigned FGeneration { 0 };  // counts nodes added and deleted, so a sort can tell its handler changed them
  bool FSortPending { false };
  mutable TTreeNode* FCacheNode { nullptr };
  mutable int FCacheIndex { -1 };
};

typedef TClosure<void(TObject* Sender, TTreeNode* Node)> TTVChangedEvent;
typedef TClosure<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)> TTVChangingEvent;
typedef TClosure<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)> TTVExpandingEvent;
typedef TClosure<void(TObject* Sender, TTreeNode* Node, bool& AllowCollapse)> TTVCollapsingEvent;
typedef TClosure<void(TObject* Sender, TTreeNode* Node)> TTVExpandedEvent;
typedef TClosure<void(TObject* Sender, TTreeNode* Node, bool& AllowEdit)> TTVEditingEvent;
typedef TClosure<void(TObject* Sender, TTreeNode* Node, AnsiString& S)> TTVEditedEvent;
typedef TClosure<void(TObject* Sender, TTreeNode* Node1, TTreeNode* Node2, int Data, int& Compare)> TTVCompareEvent;
typedef TClosure<void(TCustomTreeView* Sender, const TRect& ARect, bool& DefaultDraw)> TTVCustomDrawEvent;
typedef TClosure<void(TCustomTreeView* Sender, TTreeNode* Node, TCustomDrawState State, bool& DefaultDraw)>
    TTVCustomDrawItemEvent;
typedef TClosure<void(TCustomTreeView* Sender, const TRect& ARect, TCustomDrawStage Stage, bool& DefaultDraw)>
    TTVAdvancedCustomDrawEvent;
typedef TClosure<void(TCustomTreeView* Sender, TTreeNode* Node, TCustomDrawState State, TCustomDrawStage Stage,
                      bool& PaintImages, bool& DefaultDraw)>
    TTVAdvancedCustomDrawItemEvent;

// A tree of nodes with buttons and lines, images and state images, one selected node, label editing
// (F2 or a slow second click on the selected label; Enter or losing the focus keeps the text, Escape
// cancels), sorting by text or OnCompare, keys and mouse. Every message reaches the native behaviour
// through WndProc, so a descendant sees and may replace each one.
//
// Custom draw: OnCustomDraw and OnAdvancedCustomDraw for the whole paint (the advanced one at each
// stage), OnCustomDrawItem and OnAdvancedCustomDrawItem for each row, run with Canvas on the paint's
// DC. A row's handler finds Canvas's Font and Brush in the colours the row would have; changing them
// draws the row's label in that font and colours; clearing DefaultDraw leaves the row (or, for the whole
// paint, every row) to the handler, and PaintImages False leaves out its images. Rows are asked about
// only while a row event is assigned. OnGetImageIndex and OnGetSelectedIndex are asked each time a
// node is drawn, and may set its ImageIndex and SelectedIndex then.
class TCustomTreeView : public TWinControl {
  XJ_CLASS(TCustomTreeView, TWinControl)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TCustomTreeView(TComponent* AOwner);
  ~TCustomTreeView() override;

  // Selecting a node opens it and closes the node selected before, unless it leads to the new one.
  bool AutoExpand() const { return FAutoExpand; }
  void SetAutoExpand(bool Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  // Milliseconds OnChange waits for the selection to rest (each move starts the wait again, and only
  // the node it rests on is reported); 0 reports each change at once.
  int ChangeDelay() const { return FChangeDelay; }
  void SetChangeDelay(int Value) { FChangeDelay = std::max(0, Value); }
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  int Indent();
  void SetIndent(int Value);
  TTreeNodes* Items() const { return FTreeNodes.get(); }
  void SetItems(TTreeNodes* Value) { FTreeNodes->Assign(Value); }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  // A right click selects the node under the pointer.
  bool RightClickSelect() const { return FRightClickSelect; }
  void SetRightClickSelect(bool Value) { FRightClickSelect = Value; }
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool Value);
  bool ShowButtons() const { return FShowButtons; }
  void SetShowButtons(bool Value);
  bool ShowLines() const { return FShowLines; }
  void SetShowLines(bool Value);
  bool ShowRoot() const { return FShowRoot; }
  void SetShowRoot(bool Value);
  // stText and stBoth keep the children of each node sorted (by OnCompare when assigned).
  TSortType SortType() const { return FSortType; }
  void SetSortType(TSortType Value);
  TCustomImageList* StateImages() const { return FStateImages; }
  void SetStateImages(TCustomImageList* Value);
  // A node whose text the view's edge cuts off shows its whole text in a tip while the mouse rests on it.
  bool ToolTips() const { return FToolTips; }
  void SetToolTips(bool Value);

  // Draws on the view: lent the paint's DC inside the custom-draw events.
  TCanvas* Canvas() const;
  TTreeNode* Selected() const;
  void SetSelected(TTreeNode* Value);
  TTreeNode* TopItem() const;
  void SetTopItem(TTreeNode* Value);
  TTreeNode* DropTarget() const;
  void SetDropTarget(TTreeNode* Value);

  // Sorts the roots (and, ARecurse, every level) by OnCompare, else by text without case. An
  // exception from OnCompare leaves the order as it was and propagates.
  bool AlphaSort(bool ARecurse = true);
  // Every node, as TTreeNode::Collapse(true) and Expand(true) do for one.
  void FullCollapse();
  void FullExpand();
  TTreeNode* GetNodeAt(int X, int Y);
  THitTests GetHitTestInfoAt(int X, int Y);
  bool IsEditing() const;

  // Fires OnDeletion for every node while the view is still whole.
  void Destroying() override;

  // A handler may free the view, clear it, add or delete nodes, sort it or re-create its window: after
  // each handler the view touches nothing of itself once freed, and finds a node again (or stops) rather
  // than keep one it held. Where the work a handler interrupted cannot go on, it ends there:
  // - Expanding or collapsing a subtree or the whole tree ends its walk when a handler freed the view or
  //   deleted the node it was told about.
  // - OnCompare: a handler that frees the view, adds or deletes nodes leaves every level in the order it
  //   had, and the sort answers false.
  // - OnDeletion fires once for every node, on Delete, on Clear and when the view is destroyed (children
  //   before their parent; no other event fires then). The node is out of the tree by then: its Text and Data are there
  //   to read (free the data here), its place (Parent, Index) is not. While the view is being destroyed (ComponentState
  //   holds csDestroying) a handler must not free it, and adding a node raises ETreeViewError.
  // - OnEditing and OnEdited get the node whose label is edited.
  TTVChangedEvent OnChange;
  TTVChangingEvent OnChanging;
  TTVExpandedEvent OnCollapsed;
  TTVCollapsingEvent OnCollapsing;
  TTVCompareEvent OnCompare;
  TTVExpandedEvent OnDeletion;
  TTVEditedEvent OnEdited;
  TTVEditingEvent OnEditing;
  TTVExpandedEvent OnExpanded;
  TTVExpandingEvent OnExpanding;
  TTVExpandedEvent OnGetImageIndex;
  TTVExpandedEvent OnGetSelectedIndex;
  TTVCustomDrawEvent OnCustomDraw;
  TTVCustomDrawItemEvent OnCustomDrawItem;
  TTVAdvancedCustomDrawEvent OnAdvancedCustomDraw;
  TTVAdvancedCustomDrawItemEvent OnAdvancedCustomDrawItem;

 protected:
  // The selection moved to Node (null: none): fires OnChange.
  virtual void Change(TTreeNode* Node);
  virtual bool CanChange(TTreeNode* Node);
  virtual bool CanExpand(TTreeNode* Node);
  virtual void Expand(TTreeNode* Node);
  virtual bool CanCollapse(TTreeNode* Node);
  virtual void Collapse(TTreeNode* Node);
  virtual bool CanEdit(TTreeNode* Node);
  virtual void Edit(TTreeNode* Node, const AnsiString& S);
  // A node is going: fires OnDeletion.
  virtual void Delete(TTreeNode* Node);
  // Custom draw: whether an event is assigned for the target at the stage, and the events themselves,
  // each returning DefaultDraw.
  virtual bool IsCustomDrawn(TCustomDrawTarget Target, TCustomDrawStage Stage);
  virtual bool CustomDraw(const TRect& ARect, TCustomDrawStage Stage);
  virtual bool CustomDrawItem(TTreeNode* Node, TCustomDrawState State, TCustomDrawStage Stage, bool& PaintImages);
  // The node is about to be drawn: fire OnGetImageIndex and OnGetSelectedIndex.
  virtual void GetImageIndex(TTreeNode* Node);
  virtual void GetSelectedIndex(TTreeNode* Node);
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Dispatch(TMessage& Message) override;

 private:
  friend class TTreeNode;
  friend class TTreeNodes;
  // Makes sure the window exists, then passes the message through WindowProc; a view being destroyed
  // makes no window, and answers 0 without one.
  LRESULT Send(UINT Msg, WPARAM WParam, LPARAM LParam) const;
  // Expands (Open) or collapses Top's subtree, or every node when Top is null.
  void ExpandTree(TTreeNode* Top, bool Open);
  TTreeNode* FirstChild(HTREEITEM Parent) const;
  // Sorts by OnCompare: the order is worked out here, asking the handler, and only then given to the window.
  bool SortByHandler(HTREEITEM Parent, bool Recurse);
  void SetStyleBit(bool& Field, bool Value);
  void CNNotify(TMessage& Message);
  LRESULT CustomDrawNotice(NMTVCUSTOMDRAW& Notice);
  void GetDispInfo(NMTVDISPINFOA& Info);
  void PushColours();
  void PushImages();
  bool SortChildren(HTREEITEM Parent, bool Recurse);
  // A node put in or changed while the view sorts, moved to its place among its siblings.
  void PlaceSorted(TTreeNode* Node);
  TTreeNode* NodeOf(const TVITEMA& Item) const;
  void SelectionChanged(TTreeNode* Node);
  void DelayedChange();
  // The tip of a cut-off node: armed by a move onto it, shown by the timer, hidden by anything else.
  void TipMouseMove(int X, int Y);
  void ShowTip();
  void HideTip();
  bool TipsAllowed();

  std::unique_ptr<TTreeNodes> FTreeNodes;
  std::unique_ptr<TControlCanvas> FCanvas;
  std::unique_ptr<TViewCustomDraw> FCustomDraw;
  TCustomImageList* FImages { nullptr };
  TCustomImageList* FStateImages { nullptr };
  TBorderStyle FBorderStyle { bsSingle };
  TSortType FSortType { stNone };
  int FIndent { 19 };
  int FChangeDelay { 0 };
  bool FAutoExpand { false };
  bool FHideSelection { true };
  bool FHotTrack { false };
  bool FReadOnly { false };
  bool FRightClickSelect { false };
  bool FRowSelect { false };
  bool FShowButtons { true };
  bool FShowLines { true };
  bool FShowRoot { true };
  bool FToolTips { true };
  // Kept across a re-created window.
  int FSavedSelected { -1 };
  int FSavedTop { -1 };
  bool FChangePending { false };
  TTreeNode* FTipNode { nullptr };
  THintWindow* FTipWindow { nullptr };  // owned as a component, made on the first tip
};

class TTreeView : public TCustomTreeView {
  XJ_CLASS(TTreeView, TCustomTreeView)
 public:
  explicit TTreeView(TComponent* AOwner) : TCustomTreeView(AOwner) {}
};

XJ_UNIT_REGISTRATION(RegisterComCtrlsTreeView)
