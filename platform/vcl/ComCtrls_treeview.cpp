// TTreeNode, TTreeNodes and TCustomTreeView: the class-library side of the native tree-view window.

#include "platform/vcl/ComCtrls_treeview.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/vcl/ImgList.h"
#include "platform/win32/Scoped.h"

namespace {

[[noreturn]] void IndexError(int Index) { throw ETreeViewError::CreateFmt("List index out of bounds (%d)", Index); }

bool KeepsTextSorted(TSortType t) { return t == stText || t == stBoth; }
bool KeepsDataSorted(TSortType t) { return t == stData || t == stBoth; }

// Each node in a form resource: four image indexes, the data, the child count, the text length, the text.
constexpr int kNodeHeader = 7 * 4;

// Ours, apart from the native tree's own (its label-edit timer).
constexpr UINT_PTR kChangeTimer = 0x5443;
constexpr UINT_PTR kTipTimer = 0x5454;

int32_t ReadInt(TStream* S) {
  int32_t v = 0;
  S->ReadBuffer(&v, sizeof v);
  return v;
}
void WriteInt(TStream* S, int32_t v) { S->WriteBuffer(&v, sizeof v); }

}  // namespace

// What a handler may have taken away: the view (its life token) and any node of it (asked among the live
// ones). Nothing of the view is read once it has gone.
class TTreeViewWatch {
 public:
  explicit TTreeViewWatch(const TCustomTreeView* View) : FLife(View->LifeToken()), FNodes(View->Items()) {}
  bool ViewGone() const { return FLife.expired(); }
  // The view is there and the node still one of its own, not on its way out.
  bool Holds(const TTreeNode* Node) const { return !ViewGone() && FNodes->FNodes.Contains(Node) && !Node->Deleting(); }

 private:
  std::weak_ptr<const void> FLife;
  const TTreeNodes* FNodes;
};

// ---- TTreeNode --------------------------------------------------------------------------------------------

TTreeNode::~TTreeNode() = default;

TCustomTreeView* TTreeNode::TreeView() const { return FOwner->Owner(); }

LRESULT TTreeNode::Send(UINT Msg, WPARAM WParam, LPARAM LParam) const { return FOwner->Send(Msg, WParam, LParam); }

TTreeNode* TTreeNode::Related(UINT Code) const {
  return FOwner->GetNode(reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, Code, reinterpret_cast<LPARAM>(FItemId))));
}

void TTreeNode::PushItem(UINT Mask) {
  if (!FItemId) return;
  TVITEMA it {};
  it.mask = Mask | TVIF_HANDLE;
  it.hItem = FItemId;
  it.pszText = const_cast<char*>(FText.c_str());
  it.iImage = I_IMAGECALLBACK;
  it.iSelectedImage = I_IMAGECALLBACK;
  it.stateMask = TVIS_STATEIMAGEMASK | TVIS_OVERLAYMASK;
  it.state = INDEXTOSTATEIMAGEMASK(std::max(0, FStateIndex)) | INDEXTOOVERLAYMASK(std::max(0, FOverlayIndex + 1));
  it.lParam = reinterpret_cast<LPARAM>(this);
  Send(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
}

void TTreeNode::Assign(TPersistent* Source) {
  auto* node = dynamic_cast<TTreeNode*>(Source);
  if (!node) return TPersistent::Assign(Source);
  FText = node->FText;
  FData = node->FData;
  FImageIndex = node->FImageIndex;
  FSelectedIndex = node->FSelectedIndex;
  FStateIndex = node->FStateIndex;
  FOverlayIndex = node->FOverlayIndex;
  PushItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE);
  SetHasChildren(node->HasChildren());
}

void TTreeNode::SetText(const AnsiString& Value) {
  FText = Value;
  PushItem(TVIF_TEXT);
  if (KeepsTextSorted(TreeView()->SortType())) FOwner->Added(this);
}

void TTreeNode::SetData(void* Value) {
  FData = Value;
  if (KeepsDataSorted(TreeView()->SortType())) FOwner->Added(this);
}

// The window asks for the images as it draws the node (so OnGetImageIndex can set them then, without a
// change repainting it again); a change only needs the node drawn again.
void TTreeNode::SetImageIndex(int Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  PushItem(TVIF_IMAGE);
}

void TTreeNode::SetSelectedIndex(int Value) {
  if (FSelectedIndex == Value) return;
  FSelectedIndex = Value;
  PushItem(TVIF_SELECTEDIMAGE);
}

void TTreeNode::SetStateIndex(int Value) {
  FStateIndex = std::clamp(Value, -1, 15);
  PushItem(TVIF_STATE);
}

void TTreeNode::SetOverlayIndex(int Value) {
  FOverlayIndex = std::clamp(Value, -1, 14);
  PushItem(TVIF_STATE);
}

bool TTreeNode::Expanded() const {
  TVITEMA it {};
  it.mask = TVIF_STATE | TVIF_HANDLE;
  it.hItem = FItemId;
  it.stateMask = TVIS_EXPANDED;
  return Send(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it)) && (it.state & TVIS_EXPANDED);
}

void TTreeNode::SetExpanded(bool Value) {
  if (Value)
    Expand(false);
  else
    Collapse(false);
}

bool TTreeNode::HasChildren() const {
  TVITEMA it {};
  it.mask = TVIF_CHILDREN | TVIF_HANDLE;
  it.hItem = FItemId;
  return Send(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it)) && it.cChildren > 0;
}

void TTreeNode::SetHasChildren(bool Value) {
  TVITEMA it {};
  it.mask = TVIF_CHILDREN | TVIF_HANDLE;
  it.hItem = FItemId;
  it.cChildren = Value ? 1 : 0;
  Send(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
}

bool TTreeNode::Selected() const {
  return FItemId && reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_CARET, 0)) == FItemId;
}

void TTreeNode::SetSelected(bool Value) {
  if (Value)
    Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(FItemId));
  else if (Selected())
    Send(TVM_SELECTITEM, TVGN_CARET, 0);
}

TTreeNode* TTreeNode::Parent() const { return Related(TVGN_PARENT); }
TTreeNode* TTreeNode::GetFirstChild() const { return Related(TVGN_CHILD); }
TTreeNode* TTreeNode::GetNextSibling() const { return Related(TVGN_NEXT); }
TTreeNode* TTreeNode::GetPrevSibling() const { return Related(TVGN_PREVIOUS); }
TTreeNode* TTreeNode::GetNextVisible() const { return IsVisible() ? Related(TVGN_NEXTVISIBLE) : nullptr; }
TTreeNode* TTreeNode::GetPrevVisible() const { return IsVisible() ? Related(TVGN_PREVIOUSVISIBLE) : nullptr; }

TTreeNode* TTreeNode::GetLastChild() const {
  TTreeNode* n = GetFirstChild();
  while (n)
    if (TTreeNode* next = n->GetNextSibling())
      n = next;
    else
      break;
  return n;
}

int TTreeNode::Count() const {
  int n = 0;
  for (TTreeNode* c = GetFirstChild(); c; c = c->GetNextSibling()) ++n;
  return n;
}

TTreeNode* TTreeNode::Item(int Index) const {
  if (Index < 0) IndexError(Index);
  TTreeNode* c = GetFirstChild();
  for (int i = 0; c && i < Index; ++i) c = c->GetNextSibling();
  if (!c) IndexError(Index);
  return c;
}

int TTreeNode::Index() const {
  int n = 0;
  for (TTreeNode* p = GetPrevSibling(); p; p = p->GetPrevSibling()) ++n;
  return n;
}

int TTreeNode::Level() const {
  int n = 0;
  for (TTreeNode* p = Parent(); p; p = p->Parent()) ++n;
  return n;
}

TTreeNode* TTreeNode::GetNext() const {
  if (TTreeNode* c = GetFirstChild()) return c;
  for (const TTreeNode* n = this; n; n = n->Parent())
    if (TTreeNode* s = n->GetNextSibling()) return s;
  return nullptr;
}

TTreeNode* TTreeNode::GetPrev() const {
  TTreeNode* p = GetPrevSibling();
  if (!p) return Parent();
  while (TTreeNode* last = p->GetLastChild()) p = last;
  return p;
}

int TTreeNode::AbsoluteIndex() const {
  int n = 0;
  for (TTreeNode* p = GetPrev(); p; p = p->GetPrev()) ++n;
  return n;
}

bool TTreeNode::HasAsParent(const TTreeNode* Value) const {
  if (!Value) return false;
  for (TTreeNode* p = Parent(); p; p = p->Parent())
    if (p == Value) return true;
  return false;
}

bool TTreeNode::IsVisible() const {
  for (TTreeNode* p = Parent(); p; p = p->Parent())
    if (!p->Expanded()) return false;
  return true;
}

TRect TTreeNode::DisplayRect(bool TextOnly) const {
  RECT r {};
  HTREEITEM id = FItemId;
  memcpy(&r, &id, sizeof id);  // the item travels in the rectangle's first bytes
  if (!Send(TVM_GETITEMRECT, TextOnly, reinterpret_cast<LPARAM>(&r))) return TRect();
  return r;
}

void TTreeNode::Expand(bool Recurse) {
  if (Recurse) return TreeView()->ExpandTree(this, true);
  Send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(FItemId));
}

void TTreeNode::Collapse(bool Recurse) {
  if (Recurse) return TreeView()->ExpandTree(this, false);
  Send(TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(FItemId));
}

void TTreeNode::MakeVisible() { Send(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(FItemId)); }

bool TTreeNode::EditText() { return Send(TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(FItemId)) != 0; }

void TTreeNode::EndEdit(bool Cancel) { Send(TVM_ENDEDITLABELNOW, Cancel, 0); }

void TTreeNode::Delete() { FOwner->Delete(this); }

void TTreeNode::DeleteChildren() {
  const TTreeViewWatch watch(TreeView());
  while (TTreeNode* c = GetFirstChild()) {
    c->Delete();
    if (!watch.Holds(this)) return;
  }
}

bool TTreeNode::AlphaSort(bool ARecurse) { return TreeView()->SortChildren(FItemId, ARecurse); }

// ---- TTreeNodes -------------------------------------------------------------------------------------------

TTreeNodes::~TTreeNodes() {
  std::vector<TTreeNode*> nodes;
  FNodes.ForEach([&](uintptr_t key, xj::Present) { nodes.push_back(reinterpret_cast<TTreeNode*>(key)); });
  for (TTreeNode* n : nodes) delete n;
}

LRESULT TTreeNodes::Send(UINT Msg, WPARAM WParam, LPARAM LParam) const { return FOwner->Send(Msg, WParam, LParam); }

int TTreeNodes::Count() const {
  if (!FOwner->HandleAllocated()) return static_cast<int>(FSaved.size());
  return static_cast<int>(Send(TVM_GETCOUNT, 0, 0));
}

TTreeNode* TTreeNodes::GetNode(HTREEITEM ItemId) const {
  if (!ItemId || !FOwner->HandleAllocated()) return nullptr;
  TVITEMA it {};
  it.mask = TVIF_PARAM | TVIF_HANDLE;
  it.hItem = ItemId;
  if (!Send(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it))) return nullptr;
  auto* node = reinterpret_cast<TTreeNode*>(it.lParam);
  return FNodes.Contains(node) ? node : nullptr;
}

TTreeNode* TTreeNodes::GetFirstNode() const {
  if (!FOwner->HandleAllocated()) return nullptr;
  return GetNode(reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_ROOT, 0)));
}

TTreeNode* TTreeNodes::Item(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  TTreeNode* n = GetFirstNode();
  int at = 0;
  if (FCacheNode && FNodes.Contains(FCacheNode) && FCacheIndex <= Index) {
    n = FCacheNode;
    at = FCacheIndex;
  }
  for (; n && at < Index; ++at) n = n->GetNext();
  if (!n) IndexError(Index);
  FCacheNode = n;
  FCacheIndex = Index;
  return n;
}

TTreeNode* TTreeNodes::Bind(TTreeNode* Node, HTREEITEM Parent, HTREEITEM After) {
  TVINSERTSTRUCTA ins {};
  ins.hParent = Parent;
  ins.hInsertAfter = After;
  ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE;
  ins.item.pszText = const_cast<char*>(Node->FText.c_str());
  ins.item.iImage = I_IMAGECALLBACK;
  ins.item.iSelectedImage = I_IMAGECALLBACK;
  ins.item.stateMask = TVIS_STATEIMAGEMASK | TVIS_OVERLAYMASK;
  ins.item.state =
      INDEXTOSTATEIMAGEMASK(std::max(0, Node->FStateIndex)) | INDEXTOOVERLAYMASK(std::max(0, Node->FOverlayIndex + 1));
  ins.item.lParam = reinterpret_cast<LPARAM>(Node);
  Node->FItemId = reinterpret_cast<HTREEITEM>(Send(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
  return Node;
}

TTreeNode* TTreeNodes::InternalAdd(HTREEITEM Parent, HTREEITEM After, const AnsiString& S, void* Ptr) {
  if (FOwner->ComponentState().Contains(csDestroying))
    throw ETreeViewError("Cannot add a node to a tree view that is being destroyed");
  FOwner->HandleNeeded();
  auto node = std::make_unique<TTreeNode>(this);
  node->FText = S;
  node->FData = Ptr;
  FNodes.Insert(node.get());
  Bind(node.get(), Parent, After);
  if (!node->FItemId) {
    FNodes.Erase(node.get());
    throw ETreeViewError("Failed to insert a node");
  }
  FCacheNode = nullptr;
  ++FGeneration;
  TTreeNode* added = node.release();
  const TTreeViewWatch watch(FOwner);
  Added(added);
  if (!watch.Holds(added)) throw ETreeViewError("A handler deleted the node being added");
  return added;
}

// Keeps a new or changed node in order among its siblings when the view sorts: the window moves it to
// the place sorting them would give it, without sorting them all again while they are in order.
void TTreeNodes::Added(TTreeNode* Node) {
  if (FOwner->SortType() == stNone) return;
  if (FUpdateCount > 0) {
    FSortPending = true;
    return;
  }
  FOwner->PlaceSorted(Node);
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* Sibling, const AnsiString& S, void* Ptr) {
  TTreeNode* parent = Sibling ? Sibling->Parent() : nullptr;
  return InternalAdd(parent ? parent->ItemId() : TVI_ROOT, TVI_LAST, S, Ptr);
}

TTreeNode* TTreeNodes::AddObjectFirst(TTreeNode* Sibling, const AnsiString& S, void* Ptr) {
  TTreeNode* parent = Sibling ? Sibling->Parent() : nullptr;
  return InternalAdd(parent ? parent->ItemId() : TVI_ROOT, TVI_FIRST, S, Ptr);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const AnsiString& S, void* Ptr) {
  return InternalAdd(Parent ? Parent->ItemId() : TVI_ROOT, TVI_LAST, S, Ptr);
}

TTreeNode* TTreeNodes::AddChildObjectFirst(TTreeNode* Parent, const AnsiString& S, void* Ptr) {
  return InternalAdd(Parent ? Parent->ItemId() : TVI_ROOT, TVI_FIRST, S, Ptr);
}

TTreeNode* TTreeNodes::InsertObject(TTreeNode* Sibling, const AnsiString& S, void* Ptr) {
  if (!Sibling) return AddObject(nullptr, S, Ptr);
  TTreeNode* parent = Sibling->Parent();
  TTreeNode* before = Sibling->GetPrevSibling();
  return InternalAdd(parent ? parent->ItemId() : TVI_ROOT, before ? before->ItemId() : TVI_FIRST, S, Ptr);
}

// The window announces every node it deletes; Forget frees them.
void TTreeNodes::Delete(TTreeNode* Node) {
  if (!Node || !FNodes.Contains(Node) || Node->FDeleting) return;
  Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(Node->ItemId()));
}

void TTreeNodes::Clear() {
  const TTreeViewWatch watch(FOwner);
  const bool windowed = FOwner->HandleAllocated();
  if (windowed) Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  if (watch.ViewGone() || !ForgetUnheld()) return;
  // A handler asking a kept node about its place made the window again, which took the other kept nodes.
  if (!windowed && FOwner->HandleAllocated()) Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  if (watch.ViewGone()) return;
  FCacheNode = nullptr;
}

// Kept nodes go children first (the reverse of the tree order they were kept in); the window's leftovers,
// when a handler freed the view while it announced a deletion, in no particular order.
bool TTreeNodes::ForgetUnheld() {
  const TTreeViewWatch watch(FOwner);
  while (!FSaved.empty()) {
    TTreeNode* n = FSaved.back().Node;
    FSaved.pop_back();
    if (!watch.Holds(n)) continue;
    Forget(n);
    if (watch.ViewGone()) return false;
  }
  std::vector<TTreeNode*> left;
  FNodes.ForEach([&](uintptr_t key, xj::Present) { left.push_back(reinterpret_cast<TTreeNode*>(key)); });
  for (TTreeNode* n : left) {
    if (!watch.Holds(n) || GetNode(n->FItemId) == n) continue;
    Forget(n);
    if (watch.ViewGone()) return false;
  }
  return true;
}

// If the handler frees the view, the view's end frees the node with the rest.
void TTreeNodes::Forget(TTreeNode* Node) {
  Node->FDeleting = true;
  FCacheNode = nullptr;
  ++FGeneration;
  const TTreeViewWatch watch(FOwner);
  xj::ScopeExit free([&] {
    if (watch.ViewGone()) return;
    FNodes.Erase(Node);
    delete Node;
  });
  FOwner->Delete(Node);
}

void TTreeNodes::BeginUpdate() {
  if (FUpdateCount++ == 0 && FOwner->HandleAllocated()) Send(WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate() {
  if (FUpdateCount == 0 || --FUpdateCount > 0) return;
  if (!FOwner->HandleAllocated()) return;
  const TTreeViewWatch watch(FOwner);
  if (FSortPending) {
    FSortPending = false;
    if (FOwner->SortType() != stNone) FOwner->AlphaSort(true);
  }
  if (!watch.ViewGone()) Send(WM_SETREDRAW, TRUE, 0);
}

// A copy node by node (the data pointers whole, unlike a form resource's 32-bit data).
void TTreeNodes::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TTreeNodes*>(Source);
  if (!other) return TPersistent::Assign(Source);
  if (other == this) return;
  const TTreeViewWatch watch(FOwner);
  Clear();
  if (watch.ViewGone()) return;
  BeginUpdate();
  xj::ScopeExit done([&] { EndUpdate(); });
  std::vector<TTreeNode*> path;
  for (TTreeNode* n = other->GetFirstNode(); n; n = n->GetNext()) {
    path.resize(static_cast<size_t>(n->Level()));
    TTreeNode* copy = AddChildObject(path.empty() ? nullptr : path.back(), n->Text(), n->Data());
    copy->Assign(n);
    path.push_back(copy);
  }
}

void TTreeNodes::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineBinaryProperty("Data", TStreamProc(this, &TTreeNodes::ReadData),
                              TStreamProc(this, &TTreeNodes::WriteData), Count() > 0);
}

// Nodes in tree order, each with its child count (the data as a 32-bit integer, as form resources
// hold it); written and read without recursion, so a deep tree neither overflows the stack nor lets a
// corrupt count run past the data.
void TTreeNodes::WriteData(TStream* Stream) {
  int roots = 0;
  for (TTreeNode* n = GetFirstNode(); n; n = n->GetNextSibling()) ++roots;
  WriteInt(Stream, roots);
  for (TTreeNode* n = GetFirstNode(); n; n = n->GetNext()) {
    WriteInt(Stream, n->FImageIndex);
    WriteInt(Stream, n->FSelectedIndex);
    WriteInt(Stream, n->FStateIndex);
    WriteInt(Stream, n->FOverlayIndex);
    WriteInt(Stream, static_cast<int32_t>(reinterpret_cast<intptr_t>(n->FData)));
    WriteInt(Stream, n->Count());
    WriteInt(Stream, static_cast<int32_t>(n->FText.size()));
    Stream->WriteBuffer(n->FText.data(), static_cast<int>(n->FText.size()));
  }
}

void TTreeNodes::ReadData(TStream* Stream) {
  const TTreeViewWatch watch(FOwner);
  Clear();
  if (watch.ViewGone()) return;
  BeginUpdate();
  xj::ScopeExit done([&] { EndUpdate(); });
  try {
    ReadNodes(Stream);
  } catch (...) {
    Clear();  // a refused resource leaves no half-read tree
    throw;
  }
}

void TTreeNodes::ReadNodes(TStream* Stream) {
  auto corrupt = [] { throw EReadError("Tree view data is corrupt"); };
  auto left = [&] { return Stream->Size() - Stream->Position(); };
  const int32_t roots = ReadInt(Stream);
  if (roots < 0 || roots > left() / kNodeHeader) corrupt();
  // Each level: the node children go under, and how many of them are still to come.
  std::vector<std::pair<TTreeNode*, int32_t>> pending { { nullptr, roots } };
  while (!pending.empty()) {
    if (pending.back().second == 0) {
      pending.pop_back();
      continue;
    }
    --pending.back().second;
    TTreeNode* parent = pending.back().first;
    int32_t header[7];
    for (int32_t& v : header) v = ReadInt(Stream);
    const int32_t children = header[5], length = header[6];
    if (children < 0 || length < 0 || length > left()) corrupt();
    AnsiString text(static_cast<size_t>(length), '\0');
    Stream->ReadBuffer(text.data(), length);
    if (children > left() / kNodeHeader) corrupt();
    TTreeNode* node = AddChildObject(parent, text, reinterpret_cast<void*>(static_cast<intptr_t>(header[4])));
    node->FImageIndex = header[0];
    node->FSelectedIndex = header[1];
    node->FStateIndex = std::clamp<int32_t>(header[2], -1, 15);
    node->FOverlayIndex = std::clamp<int32_t>(header[3], -1, 14);
    node->PushItem(TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE);
    pending.emplace_back(node, children);
  }
}

void TTreeNodes::SaveAll() {
  FSaved.clear();
  std::vector<TTreeNode*> path;
  for (TTreeNode* n = GetFirstNode(); n; n = n->GetNext()) {
    TTreeNode* parent = n->Parent();
    while (!path.empty() && path.back() != parent) path.pop_back();
    FSaved.push_back(TSavedNode { n, static_cast<int>(path.size()), n->Expanded(), n->HasChildren() });
    path.push_back(n);
  }
}

// The same node objects go back into the new window, in order, with their expanded state; those the old
// window's last notices took away (an edit it ended whose OnEdited deleted its node), with their subtrees,
// stay out.
void TTreeNodes::RestoreAll() {
  std::vector<TSavedNode> saved = std::move(FSaved);
  FSaved.clear();
  const TTreeViewWatch watch(FOwner);
  std::erase_if(saved, [&](const TSavedNode& s) { return !watch.Holds(s.Node); });
  std::vector<TTreeNode*> path;
  for (const TSavedNode& s : saved) {
    path.resize(static_cast<size_t>(s.Depth));
    Bind(s.Node, path.empty() ? TVI_ROOT : path.back()->ItemId(), TVI_LAST);
    path.push_back(s.Node);
    if (s.HasChildren) s.Node->SetHasChildren(true);
  }
  for (const TSavedNode& s : saved) {
    if (!s.Expanded) continue;
    TVITEMA it {};
    it.mask = TVIF_STATE | TVIF_HANDLE;
    it.hItem = s.Node->ItemId();
    it.stateMask = it.state = TVIS_EXPANDED;
    Send(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  }
}

// ---- TCustomTreeView --------------------------------------------------------------------------------------

TCustomTreeView::TCustomTreeView(TComponent* AOwner)
    : TWinControl(AOwner),
      FTreeNodes(std::make_unique<TTreeNodes>(this)),
      FCanvas(std::make_unique<TControlCanvas>()),
      FCustomDraw(std::make_unique<TViewCustomDraw>(this, FCanvas.get())) {
  FControlStyle = TControlStyle { csSetCaption, csDoubleClicks, csClickEvents };
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  FCanvas->SetControl(this);
}

TCustomTreeView::~TCustomTreeView() {
  TearDownWindow();  // Destroying() first
  FTreeNodes.reset();
  FCustomDraw.reset();
  FCanvas.reset();
}

TCanvas* TCustomTreeView::Canvas() const { return FCanvas.get(); }

// A form's components hear this while the form is whole, so the handlers bound to it may still use it.
// Nothing may escape a deletion: a raise is reported.
void TCustomTreeView::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  TWinControl::Destroying();
  try {
    FTreeNodes->Clear();
  } catch (...) {
    ReportApplicationException(this);
  }
}

LRESULT TCustomTreeView::Send(UINT Msg, WPARAM WParam, LPARAM LParam) const {
  auto* self = const_cast<TCustomTreeView*>(this);
  if (FComponentState.Contains(csDestroying) && !HandleAllocated()) return 0;
  self->HandleNeeded();
  return self->Perform(Msg, WParam, LParam);
}

void TCustomTreeView::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, WC_TREEVIEWA);
  Params.Style |= WS_VSCROLL | WS_HSCROLL;
  if (FShowButtons) Params.Style |= TVS_HASBUTTONS;
  if (FShowLines) Params.Style |= TVS_HASLINES;
  if (FShowRoot) Params.Style |= TVS_LINESATROOT;
  if (!FReadOnly) Params.Style |= TVS_EDITLABELS;
  if (!FHideSelection) Params.Style |= TVS_SHOWSELALWAYS;
  if (FHotTrack) Params.Style |= TVS_TRACKSELECT;
  if (FRowSelect) Params.Style |= TVS_FULLROWSELECT;
  if (FAutoExpand) Params.Style |= TVS_SINGLEEXPAND;
  if (!FToolTips) Params.Style |= TVS_NOTOOLTIPS;
  Params.AddBorder(FBorderStyle, Ctl3D());
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomTreeView::CreateWnd() {
  TWinControl::CreateWnd();
  Perform(TVM_SETINDENT, static_cast<WPARAM>(FIndent), 0);
  PushColours();
  PushImages();
  if (FChangePending) SetTimer(FHandle, kChangeTimer, static_cast<UINT>(FChangeDelay), nullptr);
  if (FTreeNodes->FSaved.empty()) return;
  FTreeNodes->RestoreAll();
  const TTreeViewWatch watch(this);
  if (FSavedSelected >= 0 && FSavedSelected < FTreeNodes->Count()) SetSelected(FTreeNodes->Item(FSavedSelected));
  if (watch.ViewGone()) return;
  if (FSavedTop >= 0 && FSavedTop < FTreeNodes->Count()) SetTopItem(FTreeNodes->Item(FSavedTop));
}

void TCustomTreeView::DestroyWnd() {
  HideTip();
  if (FHandle && !FComponentState.Contains(csDestroying)) {
    TTreeNode* selected = Selected();
    TTreeNode* top = TopItem();
    FSavedSelected = selected ? selected->AbsoluteIndex() : -1;
    FSavedTop = top ? top->AbsoluteIndex() : -1;
    FTreeNodes->SaveAll();
  }
  TWinControl::DestroyWnd();
}

void TCustomTreeView::PushColours() {
  if (!HandleAllocated()) return;
  Perform(TVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
  Perform(TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Font()->Color())));
}

void TCustomTreeView::PushImages() {
  if (!HandleAllocated()) return;
  Perform(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(FImages ? FImages->Handle() : nullptr));
  Perform(TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(FStateImages ? FStateImages->Handle() : nullptr));
}

void TCustomTreeView::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FImages) SetImages(nullptr);
  if (AComponent == FStateImages) SetStateImages(nullptr);
}

// ---- Properties -------------------------------------------------------------------------------------------

void TCustomTreeView::SetStyleBit(bool& Field, bool Value) {
  if (Field == Value) return;
  Field = Value;
  RecreateWnd();
}

void TCustomTreeView::SetAutoExpand(bool Value) { SetStyleBit(FAutoExpand, Value); }
void TCustomTreeView::SetHideSelection(bool Value) { SetStyleBit(FHideSelection, Value); }
void TCustomTreeView::SetHotTrack(bool Value) { SetStyleBit(FHotTrack, Value); }
void TCustomTreeView::SetReadOnly(bool Value) { SetStyleBit(FReadOnly, Value); }
void TCustomTreeView::SetRowSelect(bool Value) { SetStyleBit(FRowSelect, Value); }
void TCustomTreeView::SetShowButtons(bool Value) { SetStyleBit(FShowButtons, Value); }
void TCustomTreeView::SetShowLines(bool Value) { SetStyleBit(FShowLines, Value); }
void TCustomTreeView::SetShowRoot(bool Value) { SetStyleBit(FShowRoot, Value); }
void TCustomTreeView::SetToolTips(bool Value) { SetStyleBit(FToolTips, Value); }

void TCustomTreeView::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomTreeView::SetImages(TCustomImageList* Value) {
  if (FImages == Value) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (FImages) FImages->FreeNotification(this);
  PushImages();
}

void TCustomTreeView::SetStateImages(TCustomImageList* Value) {
  if (FStateImages == Value) return;
  if (FStateImages) FStateImages->RemoveFreeNotification(this);
  FStateImages = Value;
  if (FStateImages) FStateImages->FreeNotification(this);
  PushImages();
}

int TCustomTreeView::Indent() {
  if (HandleAllocated()) FIndent = static_cast<int>(Perform(TVM_GETINDENT, 0, 0));
  return FIndent;
}

void TCustomTreeView::SetIndent(int Value) {
  FIndent = std::max(Value, 1);
  if (HandleAllocated()) Perform(TVM_SETINDENT, static_cast<WPARAM>(FIndent), 0);
}

void TCustomTreeView::SetSortType(TSortType Value) {
  if (FSortType == Value) return;
  FSortType = Value;
  if (FSortType != stNone && HandleAllocated()) AlphaSort(true);
}

TTreeNode* TCustomTreeView::Selected() const {
  if (!HandleAllocated()) return nullptr;
  return FTreeNodes->GetNode(reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_CARET, 0)));
}

void TCustomTreeView::SetSelected(TTreeNode* Value) {
  Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(Value ? Value->ItemId() : nullptr));
}

TTreeNode* TCustomTreeView::TopItem() const {
  if (!HandleAllocated()) return nullptr;
  return FTreeNodes->GetNode(reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0)));
}

void TCustomTreeView::SetTopItem(TTreeNode* Value) {
  if (Value) Send(TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(Value->ItemId()));
}

TTreeNode* TCustomTreeView::DropTarget() const {
  if (!HandleAllocated()) return nullptr;
  return FTreeNodes->GetNode(reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_DROPHILITE, 0)));
}

void TCustomTreeView::SetDropTarget(TTreeNode* Value) {
  Send(TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(Value ? Value->ItemId() : nullptr));
}

// ---- Operations -------------------------------------------------------------------------------------------

namespace {

int CALLBACK CompareTexts(LPARAM A, LPARAM B, LPARAM) {
  return AnsiCompareText(reinterpret_cast<TTreeNode*>(A)->Text(), reinterpret_cast<TTreeNode*>(B)->Text());
}

// The places a sort by OnCompare gave the nodes, each among its siblings.
using TRanks = std::unordered_map<const TTreeNode*, size_t>;

int CALLBACK CompareRanks(LPARAM A, LPARAM B, LPARAM Ranks) {
  const auto& ranks = *reinterpret_cast<const TRanks*>(Ranks);
  const size_t a = ranks.at(reinterpret_cast<const TTreeNode*>(A)), b = ranks.at(reinterpret_cast<const TTreeNode*>(B));
  return a < b ? -1 : a > b;
}

// Thrown through the sort when a handler changed what it sorts.
struct TSortAbandoned {};

}  // namespace

// Texts compare alike from one sort to the next, so a node can be placed among siblings sorted by text;
// a handler may compare by anything that changed since, so its siblings are sorted again each time.
void TCustomTreeView::PlaceSorted(TTreeNode* Node) {
  FTreeNodes->FCacheNode = nullptr;
  if (OnCompare) {
    TTreeNode* parent = Node->Parent();
    SortChildren(parent ? parent->ItemId() : TVI_ROOT, false);
    return;
  }
  TVSORTCB cb { Node->ItemId(), &CompareTexts, reinterpret_cast<LPARAM>(this) };
  Send(TVM_PLACESORTEDCB, 0, reinterpret_cast<LPARAM>(&cb));
}

bool TCustomTreeView::SortChildren(HTREEITEM Parent, bool Recurse) {
  if (OnCompare) return SortByHandler(Parent, Recurse);
  TVSORTCB cb { Parent, &CompareTexts, reinterpret_cast<LPARAM>(this) };
  FTreeNodes->FCacheNode = nullptr;
  return Send(TVM_SORTCHILDRENCB, Recurse, reinterpret_cast<LPARAM>(&cb)) != 0;
}

TTreeNode* TCustomTreeView::FirstChild(HTREEITEM Parent) const {
  const bool root = !Parent || Parent == TVI_ROOT;
  return FTreeNodes->GetNode(reinterpret_cast<HTREEITEM>(
      Send(TVM_GETNEXTITEM, root ? TVGN_ROOT : TVGN_CHILD, reinterpret_cast<LPARAM>(root ? nullptr : Parent))));
}

// The window's own sort would call the handler with the nodes it holds, and go on with them whatever the
// handler did. Here each level is sorted apart first; the window then only puts the levels in that order.
bool TCustomTreeView::SortByHandler(HTREEITEM Parent, bool Recurse) {
  const TTreeViewWatch watch(this);
  const unsigned generation = FTreeNodes->FGeneration;
  auto less = [&](TTreeNode* A, TTreeNode* B) {
    int result = 0;
    if (OnCompare)
      OnCompare(this, A, B, 0, result);
    else
      result = CompareTexts(reinterpret_cast<LPARAM>(A), reinterpret_cast<LPARAM>(B), 0);
    if (watch.ViewGone() || FTreeNodes->FGeneration != generation) throw TSortAbandoned {};
    return result < 0;
  };
  TRanks ranks;
  std::vector<HTREEITEM> parents { Parent };
  try {
    while (!parents.empty()) {
      std::vector<TTreeNode*> kids;
      for (TTreeNode* c = FirstChild(parents.back()); c; c = c->GetNextSibling()) kids.push_back(c);
      parents.pop_back();
      std::stable_sort(kids.begin(), kids.end(), less);
      for (size_t i = 0; i < kids.size(); ++i) {
        ranks[kids[i]] = i;
        if (Recurse && kids[i]->GetFirstChild()) parents.push_back(kids[i]->ItemId());
      }
    }
  } catch (const TSortAbandoned&) {
    return false;
  }
  TVSORTCB cb { Parent, &CompareRanks, reinterpret_cast<LPARAM>(&ranks) };
  FTreeNodes->FCacheNode = nullptr;
  return Send(TVM_SORTCHILDRENCB, Recurse, reinterpret_cast<LPARAM>(&cb)) != 0;
}

bool TCustomTreeView::AlphaSort(bool ARecurse) { return SortChildren(TVI_ROOT, ARecurse); }

// Each step asks the window again from the node it left, so a handler may reshape the tree on the way;
// the walk ends when the node it was told about, or the one it began at, is gone.
void TCustomTreeView::ExpandTree(TTreeNode* Top, bool Open) {
  const TTreeViewWatch watch(this);
  const auto deepestFirst = [](TTreeNode* n) {
    while (TTreeNode* c = n->GetFirstChild()) n = c;
    return n;
  };
  // Parents before children (expanding) or after them (collapsing), never leaving Top's subtree.
  const auto next = [&](TTreeNode* n) -> TTreeNode* {
    if (!Open) {
      if (n == Top) return nullptr;
      TTreeNode* s = n->GetNextSibling();
      return s ? deepestFirst(s) : n->Parent();
    }
    if (TTreeNode* c = n->GetFirstChild()) return c;
    for (; n && n != Top; n = n->Parent())
      if (TTreeNode* s = n->GetNextSibling()) return s;
    return nullptr;
  };
  TTreeNode* first = Top ? Top : FTreeNodes->GetFirstNode();
  for (TTreeNode* n = first && !Open ? deepestFirst(first) : first; n;) {
    n->Send(TVM_EXPAND, Open ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(n->ItemId()));
    if (!watch.Holds(n) || (Top && !watch.Holds(Top))) return;
    n = next(n);
  }
}

void TCustomTreeView::FullExpand() { ExpandTree(nullptr, true); }

void TCustomTreeView::FullCollapse() { ExpandTree(nullptr, false); }

TTreeNode* TCustomTreeView::GetNodeAt(int X, int Y) {
  TVHITTESTINFO info {};
  info.pt = POINT { X, Y };
  return FTreeNodes->GetNode(reinterpret_cast<HTREEITEM>(Send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info))));
}

THitTests TCustomTreeView::GetHitTestInfoAt(int X, int Y) {
  TVHITTESTINFO info {};
  info.pt = POINT { X, Y };
  Send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
  static constexpr std::pair<UINT, THitTest> kFlags[] = {
    { TVHT_ABOVE, htAbove },           { TVHT_BELOW, htBelow },         { TVHT_NOWHERE, htNowhere },
    { TVHT_ONITEMBUTTON, htOnButton }, { TVHT_ONITEMICON, htOnIcon },   { TVHT_ONITEMINDENT, htOnIndent },
    { TVHT_ONITEMLABEL, htOnLabel },   { TVHT_ONITEMRIGHT, htOnRight }, { TVHT_ONITEMSTATEICON, htOnStateIcon },
    { TVHT_TOLEFT, htToLeft },         { TVHT_TORIGHT, htToRight },
  };
  THitTests result;
  for (const auto& [flag, test] : kFlags)
    if (info.flags & flag) result << test;
  if (info.flags & TVHT_ONITEM) result << htOnItem;
  return result;
}

bool TCustomTreeView::IsEditing() const { return HandleAllocated() && Send(TVM_GETEDITCONTROL, 0, 0) != 0; }

// ---- Tips -------------------------------------------------------------------------------------------------

// The window's own style decides, so a descendant that sets TVS_NOTOOLTIPS itself is heard too.
bool TCustomTreeView::TipsAllowed() {
  return HandleAllocated() && !(GetWindowLongA(FHandle, GWL_STYLE) & TVS_NOTOOLTIPS);
}

// The tip waits for the mouse to rest on a node whose label runs past either side of the client area.
void TCustomTreeView::TipMouseMove(int X, int Y) {
  TTreeNode* node = TipsAllowed() ? GetNodeAt(X, Y) : nullptr;
  if (node == FTipNode) return;
  HideTip();
  if (!node || !GetHitTestInfoAt(X, Y).Contains(htOnLabel)) return;
  const TRect label = node->DisplayRect(true);
  if (label.Left >= 0 && label.Right <= ClientWidth()) return;
  FTipNode = node;
  SetTimer(FHandle, kTipTimer, GetDoubleClickTime(), nullptr);
}

// The whole label over the cut one, in the view's font, as the native tip of a tree shows it.
void TCustomTreeView::ShowTip() {
  KillTimer(FHandle, kTipTimer);
  if (!FTipNode) return;
  if (!FTipWindow) FTipWindow = new THintWindow(this);
  const AnsiString text = FTipNode->Text();
  FTipWindow->Canvas()->Font()->Assign(Font());
  const TRect size = FTipWindow->CalcHintRect(GetSystemMetrics(SM_CXSCREEN), text, nullptr);
  const TPoint at = ClientToScreen(FTipNode->DisplayRect(true).TopLeft());
  FTipWindow->ActivateHint(TRect(at.X - 3, at.Y - 2, at.X - 3 + size.Width(), at.Y - 2 + size.Height()), text);
}

void TCustomTreeView::HideTip() {
  if (FHandle) KillTimer(FHandle, kTipTimer);
  FTipNode = nullptr;
  if (FTipWindow && FTipWindow->HandleAllocated()) ShowWindow(FTipWindow->Handle(), SW_HIDE);
}

// ---- Events -----------------------------------------------------------------------------------------------

void TCustomTreeView::Change(TTreeNode* Node) {
  if (OnChange) OnChange(this, Node);
}

bool TCustomTreeView::CanChange(TTreeNode* Node) {
  bool allow = true;
  if (OnChanging) OnChanging(this, Node, allow);
  return allow;
}

bool TCustomTreeView::CanExpand(TTreeNode* Node) {
  bool allow = true;
  if (OnExpanding) OnExpanding(this, Node, allow);
  return allow;
}

void TCustomTreeView::Expand(TTreeNode* Node) {
  if (OnExpanded) OnExpanded(this, Node);
}

bool TCustomTreeView::CanCollapse(TTreeNode* Node) {
  bool allow = true;
  if (OnCollapsing) OnCollapsing(this, Node, allow);
  return allow;
}

void TCustomTreeView::Collapse(TTreeNode* Node) {
  if (OnCollapsed) OnCollapsed(this, Node);
}

bool TCustomTreeView::CanEdit(TTreeNode* Node) {
  bool allow = true;
  if (OnEditing) OnEditing(this, Node, allow);
  return allow;
}

// OnEdited may change the text; the node takes what it leaves.
void TCustomTreeView::Edit(TTreeNode* Node, const AnsiString& S) {
  AnsiString text = S;
  const TTreeViewWatch watch(this);
  if (OnEdited) OnEdited(this, Node, text);
  if (watch.Holds(Node)) Node->SetText(text);
}

void TCustomTreeView::Delete(TTreeNode* Node) {
  if (OnDeletion) OnDeletion(this, Node);
}

bool TCustomTreeView::IsCustomDrawn(TCustomDrawTarget Target, TCustomDrawStage Stage) {
  const bool items = OnCustomDrawItem || OnAdvancedCustomDrawItem;
  if (Target == dtItem) return Stage == cdPrePaint ? items : bool(OnAdvancedCustomDrawItem);
  if (Target != dtControl) return false;
  if (Stage == cdPrePaint) return OnCustomDraw || OnAdvancedCustomDraw || items;
  return OnAdvancedCustomDraw || OnAdvancedCustomDrawItem;
}

bool TCustomTreeView::CustomDraw(const TRect& ARect, TCustomDrawStage Stage) {
  return FireCustomDraw(this, OnCustomDraw, OnAdvancedCustomDraw, ARect, Stage);
}

bool TCustomTreeView::CustomDrawItem(TTreeNode* Node, TCustomDrawState State, TCustomDrawStage Stage,
                                     bool& PaintImages) {
  bool defaultDraw = true;
  PaintImages = true;
  const TTreeViewWatch watch(this);
  if (Stage == cdPrePaint && OnCustomDrawItem) OnCustomDrawItem(this, Node, State, defaultDraw);
  if (watch.Holds(Node) && OnAdvancedCustomDrawItem)
    OnAdvancedCustomDrawItem(this, Node, State, Stage, PaintImages, defaultDraw);
  return defaultDraw;
}

void TCustomTreeView::GetImageIndex(TTreeNode* Node) {
  if (OnGetImageIndex) OnGetImageIndex(this, Node);
}

void TCustomTreeView::GetSelectedIndex(TTreeNode* Node) {
  if (OnGetSelectedIndex) OnGetSelectedIndex(this, Node);
}

LRESULT TCustomTreeView::CustomDrawNotice(NMTVCUSTOMDRAW& Notice) {
  const auto wanted = [this](TCustomDrawTarget Target, TCustomDrawStage Stage) { return IsCustomDrawn(Target, Stage); };
  if (!(Notice.nmcd.dwDrawStage & CDDS_ITEM))
    return FCustomDraw->ControlStage(Notice.nmcd, wanted,
                                     [this](const TRect& R, TCustomDrawStage Stage) { return CustomDraw(R, Stage); });
  auto* node = reinterpret_cast<TTreeNode*>(Notice.nmcd.lItemlParam);
  if (!FTreeNodes->FNodes.Contains(node)) return CDRF_DODEFAULT;
  const TCustomDrawState state = TViewCustomDraw::StateOf(Notice.nmcd);
  bool paintImages = true;
  LRESULT answer =
      FCustomDraw->ItemStage(Notice.nmcd, dtItem, Notice.clrText, Notice.clrTextBk, wanted,
                             [&](TCustomDrawStage Stage) { return CustomDrawItem(node, state, Stage, paintImages); });
  return paintImages ? answer : answer | TVCDRF_NOIMAGES;
}

// The images of a node being drawn, after its events have had their say.
void TCustomTreeView::GetDispInfo(NMTVDISPINFOA& Info) {
  TTreeNode* node = NodeOf(Info.item);
  if (!node) return;
  const TTreeViewWatch watch(this);
  if (Info.item.mask & TVIF_IMAGE) {
    GetImageIndex(node);
    if (!watch.Holds(node)) return;
    Info.item.iImage = node->FImageIndex;
  }
  if (Info.item.mask & TVIF_SELECTEDIMAGE) {
    GetSelectedIndex(node);
    if (!watch.Holds(node)) return;
    Info.item.iSelectedImage = node->FSelectedIndex;
  }
}

// With a delay, each move of the selection starts the wait again; only the node it rests on is reported.
void TCustomTreeView::SelectionChanged(TTreeNode* Node) {
  if (FChangeDelay == 0 || !HandleAllocated()) {
    FChangePending = false;
    return Change(Node);
  }
  FChangePending = true;
  SetTimer(FHandle, kChangeTimer, static_cast<UINT>(FChangeDelay), nullptr);
}

void TCustomTreeView::DelayedChange() {
  KillTimer(FHandle, kChangeTimer);
  if (!FChangePending) return;
  FChangePending = false;
  Change(Selected());
}

TTreeNode* TCustomTreeView::NodeOf(const TVITEMA& Item) const {
  auto* node = reinterpret_cast<TTreeNode*>(Item.lParam);
  return Item.hItem && FTreeNodes->FNodes.Contains(node) ? node : nullptr;
}

// While the view is destroyed its nodes go, the selection moving as they do: only OnDeletion is heard.
void TCustomTreeView::CNNotify(TMessage& Message) {
  auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
  if (!hdr || (FComponentState.Contains(csDestroying) && hdr->code != TVN_DELETEITEMA)) return;
  auto* nm = reinterpret_cast<NMTREEVIEWA*>(hdr);
  auto* disp = reinterpret_cast<NMTVDISPINFOA*>(hdr);
  switch (hdr->code) {
    case TVN_SELCHANGINGA:
      Message.Result = CanChange(NodeOf(nm->itemNew)) ? 0 : 1;
      return;
    case TVN_SELCHANGEDA:
      SelectionChanged(NodeOf(nm->itemNew));
      return;
    case TVN_ITEMEXPANDINGA: {
      TTreeNode* node = NodeOf(nm->itemNew);
      bool allow = nm->action == TVE_EXPAND ? CanExpand(node) : CanCollapse(node);
      Message.Result = allow ? 0 : 1;
      return;
    }
    case TVN_ITEMEXPANDEDA:
      if (nm->action == TVE_EXPAND)
        Expand(NodeOf(nm->itemNew));
      else
        Collapse(NodeOf(nm->itemNew));
      return;
    case TVN_DELETEITEMA: {
      auto* node = reinterpret_cast<TTreeNode*>(nm->itemOld.lParam);
      if (node == FTipNode) HideTip();
      if (FTreeNodes->FNodes.Contains(node)) FTreeNodes->Forget(node);
      return;
    }
    case TVN_BEGINLABELEDITA:
      Message.Result = CanEdit(NodeOf(disp->item)) ? 0 : 1;
      return;
    case TVN_GETDISPINFOA:
      GetDispInfo(*disp);
      return;
    case NM_CUSTOMDRAW:
      Message.Result = CustomDrawNotice(*reinterpret_cast<NMTVCUSTOMDRAW*>(hdr));
      return;
    case TVN_ENDLABELEDITA:
      if (TTreeNode* node = NodeOf(disp->item); node && disp->item.pszText) Edit(node, disp->item.pszText);
      Message.Result = 0;
      return;
  }
}

void TCustomTreeView::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_NOTIFY:
      CNNotify(Message);
      return;
    case WM_TIMER:
      if (Message.WParam == kChangeTimer) return DelayedChange();
      if (Message.WParam == kTipTimer) return ShowTip();
      break;
    case WM_MOUSEMOVE:
      TipMouseMove(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
      break;
    case CM_MOUSELEAVE:
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_MOUSEWHEEL:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_KILLFOCUS:
      HideTip();
      break;
    case CN_KEYDOWN:
    case CN_CHAR:
      // While a label is being edited every key belongs to the edit, Enter and Escape included.
      if (IsEditing()) {
        Message.Result = 0;
        return;
      }
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      HideTip();
      if (FRightClickSelect) {
        const TTreeViewWatch watch(this);
        if (TTreeNode* node = GetNodeAt(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam))) SetSelected(node);
        if (watch.ViewGone()) return;
      }
      break;
    case WM_PAINT:
      // An image list makes a new handle when its size or masking changes; it has no way to tell us.
      if ((FImages && FImages->Handle() != reinterpret_cast<HIMAGELIST>(Perform(TVM_GETIMAGELIST, TVSIL_NORMAL, 0))) ||
          (FStateImages &&
           FStateImages->Handle() != reinterpret_cast<HIMAGELIST>(Perform(TVM_GETIMAGELIST, TVSIL_STATE, 0))))
        PushImages();
      break;
    case CM_COLORCHANGED:
    case CM_FONTCHANGED: {
      const TTreeViewWatch watch(this);
      TWinControl::Dispatch(Message);
      if (!watch.ViewGone()) PushColours();
      return;
    }
  }
  TWinControl::Dispatch(Message);
}
