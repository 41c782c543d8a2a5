// Tree views: nodes and their order, clicks and keys with pixels read back, scroll state with the bars
// removed, label editing, sorting, deleting from inside events, re-created windows, form resources and
// bad input.

#include <algorithm>
#include <deque>
#include <stdexcept>

#include "platform/vcl/ImgList.h"

#include "tests/platform/views/TreeViewTestUtil.h"

using namespace treetest;

namespace {

// What a skinned descendant does: no native bars, an empty non-client area, and its own answer to
// one message through WndProc.
class TBareTree : public TTreeView {
  XJ_CLASS(TBareTree, TTreeView)
 public:
  explicit TBareTree(TComponent* AOwner) : TTreeView(AOwner) {}
  int CountAsked { 0 };
  int Changes { 0 };

 protected:
  void CreateParams(TCreateParams& Params) override {
    TTreeView::CreateParams(Params);
    Params.Style &= ~static_cast<DWORD>(WS_HSCROLL | WS_VSCROLL);
  }
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_NCCALCSIZE || Message.Msg == WM_NCPAINT) return;
    TTreeView::WndProc(Message);
    if (Message.Msg == TVM_GETCOUNT) ++CountAsked;
  }
  void Change(TTreeNode* Node) override {
    ++Changes;
    TTreeView::Change(Node);
  }
};

const std::vector<std::string> kOutline { "alpha", " a1", " a2", "  a21", "beta", "gamma" };

TEST_F(TreeViewTest, NodesKeepTheirOrderAttributesAndIndexes) {
  TTreeView* t = NewTree(kOutline);
  TTreeNodes* items = t->Items();
  EXPECT_EQ(items->Count(), 6);
  EXPECT_EQ(t->Perform(TVM_GETCOUNT, 0, 0), 6);
  TTreeNode* alpha = items->Item(0);
  TTreeNode* a2 = items->Item(2);
  EXPECT_EQ(items->Item(3)->Text(), "a21");  // absolute order walks into children
  EXPECT_EQ(items->Item(1)->Text(), "a1");   // and back, from the remembered place
  EXPECT_EQ(alpha->Count(), 2);
  EXPECT_EQ(alpha->Item(1), a2);
  EXPECT_EQ(a2->Parent(), alpha);
  EXPECT_EQ(a2->Level(), 1);
  EXPECT_EQ(a2->Index(), 1);
  EXPECT_EQ(a2->AbsoluteIndex(), 2);
  EXPECT_EQ(a2->GetFirstChild()->Text(), "a21");
  EXPECT_EQ(items->Item(5)->GetPrev()->Text(), "beta");
  EXPECT_EQ(items->Item(4)->GetPrev()->Text(), "a21");

  int payload = 7;
  items->AddFirst(alpha, "zero");
  items->Insert(items->Item(5), "before beta");
  items->AddChildFirst(alpha, "a0")->SetData(&payload);
  items->AddObject(nullptr, "last", &payload)->SetImageIndex(3);
  EXPECT_EQ(Outline(t), (std::vector<std::string> { "zero", "alpha", " a0", " a1", " a2", "  a21", "before beta",
                                                    "beta", "gamma", "last" }));
  EXPECT_EQ(items->Item(2)->Data(), &payload);
  EXPECT_EQ(items->Item(9)->ImageIndex(), 3);
  EXPECT_FALSE(alpha->Expanded());
  EXPECT_TRUE(alpha->HasChildren());
  EXPECT_FALSE(items->Item(0)->HasChildren());
  items->Item(0)->SetHasChildren(true);  // a button before any child exists
  EXPECT_TRUE(items->Item(0)->HasChildren());

  // Indexes outside the nodes raise, without touching anything.
  EXPECT_THROW(items->Item(-1), ETreeViewError);
  EXPECT_THROW(items->Item(10), ETreeViewError);
  EXPECT_THROW(alpha->Item(3), ETreeViewError);
  EXPECT_THROW((*alpha)[-1], ETreeViewError);
  EXPECT_EQ(items->Count(), 10);

  // Another view's copy: same outline, the data pointers and attributes whole.
  TTreeView* copy = NewTree({});
  copy->SetItems(items);
  EXPECT_EQ(Outline(copy), Outline(t));
  EXPECT_EQ(copy->Items()->Item(2)->Data(), &payload);
  EXPECT_EQ(copy->Items()->Item(9)->ImageIndex(), 3);
  EXPECT_TRUE(copy->Items()->Item(0)->HasChildren());
}

TEST_F(TreeViewTest, ClicksAndKeysSelectExpandAndPaint) {
  TTreeView* t = NewTree(kOutline);
  std::vector<std::string> changes;
  t->OnChange = On<TTVChangedEvent>([&](TObject*, TTreeNode* n) { changes.push_back(n ? n->Text() : "-"); });
  Show();
  const COLORREF highlight = Rgb(clHighlight), window = Rgb(clWindow);

  // Collapsed: three rows; a click on beta's label selects it, focused, highlighted behind the text.
  ClickAt(t, LabelX(0) + 3, kRowH + 8);
  EXPECT_EQ(changes, std::vector<std::string> { "beta" });
  EXPECT_EQ(t->Selected()->Text(), "beta");
  xt::PumpUntilIdle();
  EXPECT_EQ(Pixel(t, LabelX(0) + 1, kRowH + 1), highlight);
  EXPECT_EQ(Pixel(t, LabelX(0) + 1, 1), window);
  // alpha's button: a plus (vertical stroke), then, clicked, a minus and two more rows.
  EXPECT_NE(Pixel(t, ButtonX(0), kRowH / 2 - 2), window);
  ClickAt(t, ButtonX(0), kRowH / 2);
  xt::PumpUntilIdle();
  EXPECT_TRUE(t->Items()->Item(0)->Expanded());
  EXPECT_EQ(Pixel(t, ButtonX(0), kRowH / 2 - 2), window);
  EXPECT_EQ(t->GetNodeAt(LabelX(1) + 2, kRowH + 4)->Text(), "a1");
  EXPECT_TRUE(t->GetHitTestInfoAt(ButtonX(0), kRowH / 2).Contains(htOnButton));
  EXPECT_TRUE(t->GetHitTestInfoAt(LabelX(0) + 2, 2).Contains(htOnLabel));
  EXPECT_TRUE(t->GetHitTestInfoAt(150, 2).Contains(htOnRight));
  EXPECT_TRUE(t->GetHitTestInfoAt(5, 7 * kRowH).Contains(htNowhere));

  // Keys: Up from beta reaches a2 (expanded alpha shows a1 and a2), Right opens a2, Right enters it,
  // Left goes back up to the parent, Left again closes it, Home and End.
  changes.clear();
  Press(VK_UP);
  Press(VK_RIGHT);
  Press(VK_RIGHT);
  Press(VK_LEFT);
  Press(VK_LEFT);
  Press(VK_END);
  Press(VK_HOME);
  EXPECT_EQ(changes, (std::vector<std::string> { "a2", "a21", "a2", "gamma", "alpha" }));
  EXPECT_FALSE(t->Items()->Item(2)->Expanded());
  // Double click toggles the node.
  DoubleClickAt(t, LabelX(0) + 2, 4);
  EXPECT_FALSE(t->Items()->Item(0)->Expanded());
  Gallery(t, "focused");

  // RightClickSelect: a right click on a row selects it; without, nothing moves.
  ClickAt(t, LabelX(0) + 2, kRowH * 2 + 4, xt::mbRight);
  EXPECT_EQ(t->Selected()->Text(), "alpha");
  t->SetRightClickSelect(true);
  ClickAt(t, LabelX(0) + 2, kRowH * 2 + 4, xt::mbRight);
  EXPECT_EQ(t->Selected()->Text(), "gamma");
  // RowSelect: the whole row is the target and is highlighted.
  t->SetRowSelect(true);
  ClickAt(t, 150, kRowH + 4);
  EXPECT_EQ(t->Selected()->Text(), "beta");
  xt::PumpUntilIdle();
  EXPECT_EQ(Pixel(t, 150, kRowH + 4), highlight);
  Gallery(t, "rowselect");
}

TEST_F(TreeViewTest, AutoExpandOpensTheChoiceAndClosesTheOldOne) {
  TTreeView* t = NewTree({ "a", " a1", "b", " b1" });
  t->SetAutoExpand(true);
  Show();
  ClickAt(t, LabelX(0) + 2, 4);
  EXPECT_TRUE(t->Items()->Item(0)->Expanded());
  ClickAt(t, LabelX(0) + 2, 2 * kRowH + 4);  // b, below a1
  EXPECT_EQ(t->Selected()->Text(), "b");
  EXPECT_FALSE(t->Items()->Item(0)->Expanded());
  EXPECT_TRUE(t->Items()->Item(2)->Expanded());
}

TEST_F(TreeViewTest, ScrollStateIsReadableAndObeyedWithoutBars) {
  auto* t = NewTree<TBareTree>({}, 100, 5 * kRowH + 7);  // five whole rows and a part
  Show();
  TTreeNodes* items = t->Items();
  EXPECT_EQ(t->Perform(TVM_GETVISIBLECOUNT, 0, 0), 5);
  for (int i = 0; i < 5; ++i) items->Add(nullptr, "n" + std::to_string(i));
  EXPECT_EQ(Range(t, SB_VERT), 0);  // all fit: nothing scrolls
  TTreeNode* sixth = items->Add(nullptr, "n5");
  int pos = -1;
  EXPECT_EQ(Range(t, SB_VERT, &pos), 5);
  EXPECT_EQ(pos, 0);
  EXPECT_EQ(t->ClientWidth(), 100);  // no bar took room
  // Expanding adds rows to the range; collapsing takes them away.
  for (int i = 0; i < 3; ++i) items->AddChild(sixth, "c" + std::to_string(i));
  EXPECT_EQ(Range(t, SB_VERT), 5);
  sixth->Expand(false);
  EXPECT_EQ(Range(t, SB_VERT), 8);

  t->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 2), 0);
  EXPECT_EQ(GetScrollPos(t->Handle(), SB_VERT), 2);
  EXPECT_EQ(t->TopItem()->Text(), "n2");
  t->Perform(WM_VSCROLL, SB_LINEDOWN, 0);
  t->Perform(WM_VSCROLL, SB_PAGEDOWN, 0);  // clamped: the last row ends the window
  EXPECT_EQ(t->TopItem()->Text(), "n4");
  EXPECT_EQ(GetScrollPos(t->Handle(), SB_VERT), 4);
  sixth->Collapse(false);
  EXPECT_EQ(Range(t, SB_VERT, &pos), 5);
  EXPECT_EQ(pos, 1);
  t->Perform(WM_VSCROLL, SB_TOP, 0);
  // Keys scroll the selection into view.
  items->Item(0)->SetSelected(true);
  t->SetFocus();
  Press(VK_END);
  EXPECT_EQ(GetScrollPos(t->Handle(), SB_VERT), 1);
  EXPECT_EQ(t->Changes, 2);  // the descendant's Change saw both moves

  // Horizontal: pixels, range to the widest row.
  EXPECT_EQ(Range(t, SB_HORZ), 0);
  items->Add(nullptr, std::string(20, 'w'));  // 19 + 160 + 4 pixels
  EXPECT_EQ(Range(t, SB_HORZ), LabelX(0) + 20 * kCharW + 4 - 1);
  t->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30), 0);
  EXPECT_EQ(GetScrollPos(t->Handle(), SB_HORZ), 30);
  // n1's label (19..39) now ends at 9: its hit areas moved left by the offset.
  EXPECT_TRUE(t->GetHitTestInfoAt(5, 0).Contains(htOnLabel));
  EXPECT_TRUE(t->GetHitTestInfoAt(12, 0).Contains(htOnRight));

  // A size change changes what fits.
  t->SetHeight(3 * kRowH);
  EXPECT_EQ(t->Perform(TVM_GETVISIBLECOUNT, 0, 0), 3);
  EXPECT_EQ(Range(t, SB_VERT), 6);
  // Messages reach the descendant's WndProc.
  const int asked = t->CountAsked;
  EXPECT_EQ(items->Count(), 10);
  EXPECT_EQ(t->CountAsked, asked + 1);
}

TEST_F(TreeViewTest, PositionsPastSixteenBitsTravelWhole) {
  auto* t = NewTree<TBareTree>({}, 100, 4 * kRowH);
  Show();
  TTreeNodes* items = t->Items();
  items->BeginUpdate();
  for (int i = 0; i < 70000; ++i) items->Add(nullptr, std::to_string(i));
  items->EndUpdate();
  EXPECT_EQ(Range(t, SB_VERT), 69999);
  t->Perform(WM_VSCROLL, SBX_THUMBPOSITION32, 66000);
  EXPECT_EQ(GetScrollPos(t->Handle(), SB_VERT), 66000);
  EXPECT_EQ(t->TopItem()->Text(), "66000");
  t->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 66000 & 0xFFFF), 0);  // the 16-bit form wraps
  EXPECT_EQ(t->TopItem()->Text(), std::to_string(66000 & 0xFFFF));
  items->Item(69999)->SetSelected(true);
  EXPECT_EQ(GetScrollPos(t->Handle(), SB_VERT), 69996);
  items->Clear();
  EXPECT_EQ(Range(t, SB_VERT), 0);
  EXPECT_EQ(t->Selected(), nullptr);
}

TEST_F(TreeViewTest, LabelsAreRenamedByF2AndASlowSecondClick) {
  TTreeView* t = NewTree(kOutline);
  AnsiString edited;
  bool allow = true;
  t->OnEditing = On<TTVEditingEvent>([&](TObject*, TTreeNode*, bool& a) { a = allow; });
  t->OnEdited = On<TTVEditedEvent>([&](TObject*, TTreeNode*, AnsiString& s) {
    edited = s;
    if (s == "upper") s = "UPPER";
  });
  Show();
  TTreeNode* beta = t->Items()->Item(4);
  beta->SetSelected(true);
  t->SetFocus();

  // F2, type, Enter: OnEdited sees the text and may change it.
  Press(VK_F2);
  ASSERT_TRUE(t->IsEditing());
  HWND edit = reinterpret_cast<HWND>(t->Perform(TVM_GETEDITCONTROL, 0, 0));
  EXPECT_EQ(GetFocus(), edit);
  Gallery(t, "editing");
  Type("upper");  // replaces the selected text
  Press(VK_RETURN);
  EXPECT_FALSE(t->IsEditing());
  EXPECT_EQ(edited, "upper");
  EXPECT_EQ(beta->Text(), "UPPER");
  EXPECT_EQ(GetFocus(), t->Handle());

  // Escape cancels: no OnEdited, the text stays.
  edited = "";
  Press(VK_F2);
  Type("gone");
  Press(VK_ESCAPE);
  EXPECT_FALSE(t->IsEditing());
  EXPECT_EQ(edited, "");
  EXPECT_EQ(beta->Text(), "UPPER");

  // A second click on the selected label starts editing once the double-click time passed...
  const int y = kRowH + 4;
  ClickAt(t, LabelX(0) + 4, y);
  EXPECT_FALSE(t->IsEditing());
  xt::Advance(GetDoubleClickTime() + 1);
  xt::PumpUntilIdle();
  ASSERT_TRUE(t->IsEditing());
  // ...and the focus moving elsewhere ends it, keeping the text.
  Type("kept");
  auto* other = Add<TEdit>(200, 10);
  other->SetFocus();
  xt::PumpUntilIdle();
  EXPECT_FALSE(t->IsEditing());
  EXPECT_EQ(beta->Text(), "kept");

  // A double click is not a slow click; OnEditing and ReadOnly refuse.
  t->SetFocus();
  DoubleClickAt(t, LabelX(0) + 4, y);
  xt::Advance(GetDoubleClickTime() + 1);
  xt::PumpUntilIdle();
  EXPECT_FALSE(t->IsEditing());
  allow = false;
  EXPECT_FALSE(beta->EditText());
  allow = true;
  t->SetReadOnly(true);
  EXPECT_FALSE(beta->EditText());
  t->SetReadOnly(false);

  // Clearing while editing: the edit goes without a word, and nothing is left behind.
  edited = "";
  ASSERT_TRUE(t->Items()->Item(0)->EditText());
  t->Items()->Clear();
  EXPECT_FALSE(t->IsEditing());
  EXPECT_EQ(edited, "");
  EXPECT_EQ(t->Items()->Count(), 0);
}

TEST_F(TreeViewTest, TheLabelEditorRunsToTheViewsEdgeAndScrollsOnlyAWiderText) {
  TTreeView* t = NewTree({ "a", "b" });
  t->Items()->Item(1)->SetText("");
  t->SetReadOnly(false);
  Show();
  t->SetFocus();
  ASSERT_TRUE(t->Items()->Item(1)->EditText());
  HWND edit = reinterpret_cast<HWND>(t->Perform(TVM_GETEDITCONTROL, 0, 0));
  RECT client {}, editor {};
  GetClientRect(t->Handle(), &client);
  GetWindowRect(edit, &editor);
  MapWindowPoints(nullptr, t->Handle(), reinterpret_cast<POINT*>(&editor), 2);
  EXPECT_EQ(editor.right, client.right) << "not 40 px for an empty label";
  Type("重要 note");
  EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  Press(VK_RETURN);
  EXPECT_EQ(t->Items()->Item(1)->Text(), "重要 note");
}

TEST_F(TreeViewTest, SortingByTextAndByOnCompareAndAThrowingCompare) {
  TTreeView* t = NewTree({ "b", "C", "a", " z", " y" });
  t->SetSortType(stText);
  EXPECT_EQ(Outline(t), (std::vector<std::string> { "a", " y", " z", "b", "C" }));
  t->Items()->Add(nullptr, "B0");  // a sorted view keeps new nodes in place
  t->Items()->Item(0)->SetText("d");
  EXPECT_EQ(Outline(t), (std::vector<std::string> { "b", "B0", "C", "d", " y", " z" }));

  t->OnCompare = On<TTVCompareEvent>(
      [](TObject*, TTreeNode* a, TTreeNode* b, int, int& c) { c = AnsiCompareText(b->Text(), a->Text()); });
  t->AlphaSort(true);
  EXPECT_EQ(Outline(t), (std::vector<std::string> { "d", " z", " y", "C", "B0", "b" }));

  int calls = 0;
  t->OnCompare = On<TTVCompareEvent>([&](TObject*, TTreeNode*, TTreeNode*, int, int&) {
    if (++calls == 3) throw std::runtime_error("compare failed");
  });
  EXPECT_THROW(t->AlphaSort(true), std::runtime_error);
  EXPECT_EQ(Outline(t), (std::vector<std::string> { "d", " z", " y", "C", "B0", "b" }));
}

// A sorted view places each node it is given or renamed where sorting its siblings again would: after
// the ones that sort before it, and among its equals ("a" and "A", "_" against letters as the text
// comparison folds them) where it was put. Rows follow, with a branch moving under an expanded parent.
TEST_F(TreeViewTest, ASortedViewPlacesAddedAndRenamedNodesAsASortWouldWithTies) {
  TTreeView* t = NewTree({ "p" }, 160, 40 * kRowH);
  t->SetSortType(stText);
  TTreeNode* p = t->Items()->Item(0);
  std::vector<TTreeNode*> roots { p }, kids;
  auto resort = [](std::vector<TTreeNode*>& v) {
    std::stable_sort(v.begin(), v.end(),
                     [](TTreeNode* a, TTreeNode* b) { return AnsiCompareText(a->Text(), b->Text()) < 0; });
  };
  auto expected = [&] {
    std::vector<std::string> out;
    for (TTreeNode* r : roots) {
      out.push_back(r->Text());
      if (r == p)
        for (TTreeNode* k : kids) out.push_back(" " + k->Text());
    }
    return out;
  };
  const char* const texts[] = { "a", "A", "_", "b", "B", "a_", "A_", "c" };
  unsigned seed = 7;
  auto next = [&](unsigned n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  for (int step = 0; step < 400; ++step) {
    const bool inKids = next(2) == 0;
    std::vector<TTreeNode*>& level = inKids ? kids : roots;
    const AnsiString text = texts[next(8)];
    const unsigned op = level.size() > 12 ? 4 : next(5);
    if (op == 0) {
      level.push_back(inKids ? t->Items()->AddChild(p, text) : t->Items()->Add(nullptr, text));
    } else if (op == 1) {
      level.insert(level.begin(), inKids ? t->Items()->AddChildFirst(p, text) : t->Items()->AddFirst(nullptr, text));
    } else if (op == 2 && !level.empty()) {
      const size_t at = next((unsigned)level.size());
      level.insert(level.begin() + (long)at, t->Items()->Insert(level[at], text));
    } else if (op == 3 && !level.empty()) {
      level[next((unsigned)level.size())]->SetText(text);
    } else if (op == 4 && level.size() > 1) {
      const size_t at = next((unsigned)level.size());
      if (level[at] == p) continue;
      level[at]->Delete();
      level.erase(level.begin() + (long)at);
    }
    resort(level);
    if (step == 20) p->Expand(false);
    ASSERT_EQ(Outline(t), expected()) << "step " << step;
    if (step < 20) continue;
    // The rows: each node in the outline's order, one row below the last.
    int row = 0;
    for (TTreeNode* n = t->Items()->GetFirstNode(); n; n = n->GetNext(), ++row)
      ASSERT_EQ(n->DisplayRect(false).Top, row * kRowH) << "step " << step << ": " << n->Text();
  }
}

TEST_F(TreeViewTest, DeletingTheSelectionEvenFromItsOwnEvents) {
  TTreeView* t = NewTree(kOutline);
  std::vector<std::string> changes, deleted;
  t->OnChange = On<TTVChangedEvent>([&](TObject*, TTreeNode* n) { changes.push_back(n ? n->Text() : "-"); });
  t->OnDeletion = On<TTVExpandedEvent>([&](TObject*, TTreeNode* n) { deleted.push_back(n->Text()); });
  Show();
  TTreeNodes* items = t->Items();

  // Deleting the selected node moves the selection to its next sibling first.
  items->Item(0)->SetSelected(true);
  items->Item(0)->Delete();
  EXPECT_EQ(deleted, (std::vector<std::string> { "a1", "a21", "a2", "alpha" }));
  EXPECT_EQ(changes, (std::vector<std::string> { "alpha", "beta" }));
  EXPECT_EQ(Outline(t), (std::vector<std::string> { "beta", "gamma" }));

  // OnChange deleting the node just selected, and the one it moves on to.
  changes.clear();
  for (int i = 0; i < 4; ++i) items->Add(nullptr, "x" + std::to_string(i));
  t->OnChange = On<TTVChangedEvent>([&](TObject*, TTreeNode* n) {
    changes.push_back(n ? n->Text() : "-");
    if (n && n->Text()[0] == 'x') n->Delete();
  });
  items->Item(2)->SetSelected(true);  // x0 → x1 → x2 → x3 → gamma, each deleted in turn
  EXPECT_EQ(Outline(t), (std::vector<std::string> { "beta", "gamma" }));
  EXPECT_EQ(t->Selected()->Text(), "gamma");
  EXPECT_EQ(changes.back(), "gamma");

  // OnChanging can refuse.
  t->OnChanging = On<TTVChangingEvent>([](TObject*, TTreeNode* n, bool& ok) { ok = n && n->Text() != "beta"; });
  items->Item(0)->SetSelected(true);
  EXPECT_EQ(t->Selected()->Text(), "gamma");
  // Deleting the selection whose OnDeletion deletes the node the selection just moved to.
  deleted.clear();
  t->OnChanging = {};
  TTreeNode* beta = items->Item(0);
  t->OnDeletion = On<TTVExpandedEvent>([&](TObject*, TTreeNode* n) {
    deleted.push_back(n->Text());
    if (n->Text() == "gamma") beta->Delete();
  });
  items->Item(1)->Delete();
  EXPECT_EQ(deleted, (std::vector<std::string> { "gamma", "beta" }));
  EXPECT_EQ(items->Count(), 0);
  EXPECT_EQ(t->Selected(), nullptr);
  EXPECT_EQ(changes.back(), "-");
}

TEST_F(TreeViewTest, ARecreatedWindowKeepsNodesSelectionAndExpansion) {
  TTreeView* t = NewTree(kOutline);
  Show();
  TTreeNode* a2 = t->Items()->Item(2);
  t->Items()->Item(0)->Expand(false);
  a2->SetSelected(true);
  int changes = 0;
  t->OnChange = On<TTVChangedEvent>([&](TObject*, TTreeNode*) { ++changes; });
  t->SetShowLines(false);
  EXPECT_EQ(Outline(t), std::vector<std::string>(kOutline.begin(), kOutline.end()));
  EXPECT_EQ(t->Items()->Item(2), a2);  // the same node objects
  EXPECT_EQ(t->Selected(), a2);
  EXPECT_TRUE(t->Items()->Item(0)->Expanded());
  EXPECT_FALSE(a2->Expanded());
  EXPECT_EQ(a2->DisplayRect(true).Top, 2 * kRowH);
}

TEST_F(TreeViewTest, ImagesAndStateImagesShowBeforeTheLabel) {
  TTreeView* t = NewTree({ "one", "two" }, 160, 4 * 20);
  auto images = Swatches(18, { clRed, clLime, clBlue });
  auto states = Swatches(10, { clFuchsia, clYellow, clAqua });
  t->SetImages(images.get());
  t->SetStateImages(states.get());
  TTreeNode* one = t->Items()->Item(0);
  TTreeNode* two = t->Items()->Item(1);
  one->SetImageIndex(0);
  one->SetSelectedIndex(2);
  one->SetStateIndex(1);
  two->SetImageIndex(1);
  Show();
  // Rows take the taller image (18 + 1); the state image comes first, then the image, then the label.
  const int rowH = static_cast<int>(t->Perform(TVM_GETITEMHEIGHT, 0, 0));
  EXPECT_EQ(rowH, 19);
  EXPECT_EQ(Pixel(t, kIndent + 4, rowH / 2), Rgb(clYellow));       // state image 1 of "one"
  EXPECT_EQ(Pixel(t, kIndent + 10 + 4, rowH / 2), Rgb(clRed));     // its image
  EXPECT_EQ(Pixel(t, kIndent + 4, rowH + rowH / 2), Rgb(clLime));  // "two": no state image
  EXPECT_EQ(one->DisplayRect(true).Left, kIndent + 10 + 18 + 1);
  one->SetSelected(true);  // the selected image replaces the image
  xt::PumpUntilIdle();
  EXPECT_EQ(Pixel(t, kIndent + 10 + 4, rowH / 2), Rgb(clBlue));
  Gallery(t, "images");
  images->SetMasked(false);  // emptied, then a new handle behind the view's back: the next paint takes it
  AddSwatches(*images, 18, { clGreen, clGreen, clMaroon });
  t->Invalidate();
  xt::PumpUntilIdle();
  EXPECT_EQ(Pixel(t, kIndent + 10 + 4, rowH / 2), Rgb(clMaroon)) << "the old images after the list's handle changed";
  // A list freed elsewhere leaves the view without it.
  states.reset();
  EXPECT_EQ(t->StateImages(), nullptr);
  xt::PumpUntilIdle();
  EXPECT_EQ(Pixel(t, kIndent + 4, rowH / 2), Rgb(clMaroon));
}

TEST_F(TreeViewTest, ClearingWhileTheMouseIsBusyLeavesNothingBehind) {
  TTreeView* t = NewTree(kOutline);
  t->SetHotTrack(true);
  Show();
  t->Items()->Item(4)->SetSelected(true);
  t->SetFocus();
  // A slow second click armed, then everything cleared before the time runs out.
  ClickAt(t, LabelX(0) + 4, kRowH + 4);
  MoveTo(t, LabelX(0) + 4, 2 * kRowH + 4);  // hot
  t->Items()->Clear();
  xt::Advance(GetDoubleClickTime() + 1);
  xt::PumpUntilIdle();
  EXPECT_FALSE(t->IsEditing());
  // A press held while the tree is cleared and refilled; the release and moves find no stale node.
  t->Items()->Add(nullptr, "again");
  DownAt(t, LabelX(0) + 4, 4);
  t->Items()->Clear();
  MoveTo(t, LabelX(0) + 6, 6);
  UpAt(t, LabelX(0) + 6, 6);
  EXPECT_EQ(t->Items()->Count(), 0);
  EXPECT_EQ(t->Selected(), nullptr);
  EXPECT_EQ(t->GetNodeAt(LabelX(0) + 4, 4), nullptr);
}

class TTreeForm : public TForm {
  XJ_CLASS(TTreeForm, TForm)
 public:
  explicit TTreeForm(TComponent* AOwner) : TForm(AOwner) {}
  TTreeView* Tree {};
};

}  // namespace

XJ_PUBLISHED(TTreeForm, XJ_FIELD(Tree));

namespace {

TEST_F(TreeViewTest, NodesTravelThroughFormResourcesAndBadDataIsRefused) {
  RegisterClass(TTreeForm::StaticClass());
  auto source = std::make_unique<TTreeForm>(nullptr);
  source->Tree = new TTreeView(source.get());
  source->Tree->SetName("Tree");
  source->Tree->SetParent(source.get());
  std::vector<TTreeNode*> path;
  for (const std::string& line : kOutline) {
    const size_t level = line.find_first_not_of(' ');
    path.resize(level);
    path.push_back(source->Tree->Items()->AddChild(path.empty() ? nullptr : path.back(), line.substr(level)));
  }
  source->Tree->Items()->Item(3)->SetImageIndex(4);
  source->Tree->Items()->Item(3)->SetStateIndex(2);
  source->Tree->Items()->Item(5)->SetText("名字 'x'");
  const AnsiString text = WriteComponentResource(source.get());
  ASSERT_NE(text.find("Items.Data = {"), AnsiString::npos) << text;

  auto read = std::make_unique<TTreeForm>(nullptr);
  ReadComponentResource(read.get(), text);
  ASSERT_NE(read->Tree, nullptr);
  EXPECT_EQ(Outline(read->Tree), (std::vector<std::string> { "alpha", " a1", " a2", "  a21", "beta", "名字 'x'" }));
  EXPECT_EQ(read->Tree->Items()->Item(3)->ImageIndex(), 4);
  EXPECT_EQ(read->Tree->Items()->Item(3)->StateIndex(), 2);

  // Cut short, or claiming more nodes than the data can hold: a read error, nothing half-built.
  const size_t data = text.find("Items.Data = {") + 14;
  AnsiString cut = text;
  cut.erase(data + 60, text.find('}', data) - data - 60);
  auto broken = std::make_unique<TTreeForm>(nullptr);
  EXPECT_THROW(ReadComponentResource(broken.get(), cut), EReadError);
  AnsiString huge = text;
  huge.replace(data, 8, "FFFFFF7F");
  EXPECT_THROW(ReadComponentResource(broken.get(), huge), EReadError);
  EXPECT_EQ(broken->ComponentCount(), 0);
  // Read into a view of its own, data cut inside the third node leaves it empty, not half-read.
  AnsiString hex;
  for (size_t i = data; text[i] != '}'; ++i)
    if (isxdigit(static_cast<unsigned char>(text[i]))) hex += text[i];
  const AnsiString alone = "object Tree: TTreeView\n  Items.Data = {" + hex.substr(0, 2 * 107) + "}\nend\n";
  TTreeView* target = NewTree({ "kept?" });
  EXPECT_THROW(ReadComponentResource(target, alone), EReadError);
  EXPECT_EQ(target->Items()->Count(), 0);
}

TEST_F(TreeViewTest, GalleryOfLooks) {
  TTreeView* t = NewTree({ "Recordings", " Line 1", "  2026-12-07", "  2026-12-06", " Line 2", "Settings", " Audio" },
                         180, 8 * kRowH);
  auto* elsewhere = Add<TEdit>(200, 10);
  t->FullExpand();
  t->Items()->Item(2)->SetSelected(true);
  Show();
  elsewhere->SetFocus();
  xt::PumpUntilIdle();
  // Without the focus the selection hides, unless HideSelection is off: then it shows in the face colour.
  const int selX = LabelX(2) + 1, selY = 2 * kRowH + 1;
  EXPECT_EQ(Pixel(t, selX, selY), Rgb(clWindow));
  Gallery(t, "unfocused");
  t->SetHideSelection(false);
  xt::PumpUntilIdle();
  EXPECT_EQ(Pixel(t, selX, selY), Rgb(clBtnFace));
  Gallery(t, "showselection");
  t->SetFocus();
  xt::PumpUntilIdle();
  EXPECT_EQ(Pixel(t, selX, selY), Rgb(clHighlight));
  t->SetShowLines(false);
  t->SetHotTrack(true);
  xt::PumpUntilIdle();
  MoveTo(t, LabelX(1) + 3, 4 * kRowH + 4);
  xt::PumpUntilIdle();
  const int underline = 4 * kRowH + (kRowH - kLineH) / 2 + kLineH - 1;  // the last line of the text's cell
  EXPECT_EQ(Pixel(t, LabelX(1) + 3, underline), Rgb(clHighlight));
  Gallery(t, "hottrack");
}

// The rows a tree shows, their places and the scroll ranges follow every kind of change: nodes going in
// anywhere and out with their branches, branches opening and closing, renames that widen or narrow the
// widest row, and sorting. Each step is checked against the order the nodes themselves give.
TEST_F(TreeViewTest, RowsFollowInsertsDeletesExpansionAndSorts) {
  TTreeView* t = NewTree({ "m", " m1", "  m11", " m2", "d", " d1", " d2", "  d21", "  d22", "x", "b" }, 160, 6 * kRowH);
  TTreeNodes* items = t->Items();
  Show();
  int step = 0;
  auto check = [&] {
    SCOPED_TRACE("step " + std::to_string(step++));
    std::vector<TTreeNode*> shown;
    for (TTreeNode* n = items->GetFirstNode(); n; n = n->GetNext())
      if (n->IsVisible()) shown.push_back(n);
    int top = -1, widest = 0, hpos = 0;
    Range(t, SB_HORZ, &hpos);
    for (size_t r = 0; r < shown.size(); ++r)
      if (shown[r] == t->TopItem()) top = int(r);
    ASSERT_GE(top, 0);
    for (TTreeNode* n = items->GetFirstNode(); n; n = n->GetNext()) {
      const TRect row = n->DisplayRect(false);
      const auto at = std::find(shown.begin(), shown.end(), n);
      if (at == shown.end()) {
        EXPECT_TRUE(row.Width() == 0 && row.Height() == 0) << n->Text();
        continue;
      }
      EXPECT_EQ(row.Top, (int(at - shown.begin()) - top) * kRowH) << n->Text();
      widest = std::max(widest, int(n->DisplayRect(true).Right) + hpos);
    }
    EXPECT_EQ(shown.back(),
              items->GetNode(reinterpret_cast<HTREEITEM>(t->Perform(TVM_GETNEXTITEM, TVGN_LASTVISIBLE, 0))));
    EXPECT_EQ(Range(t, SB_VERT), int(shown.size()) > 6 ? int(shown.size()) - 1 : 0);
    EXPECT_EQ(Range(t, SB_HORZ), widest > t->ClientWidth() ? widest - 1 : 0);
  };
  check();
  items->Item(0)->Expand(false);  // m: one level opens, m1 stays closed
  check();
  items->GetFirstNode()->GetNextSibling()->Expand(true);  // d and all below
  check();
  TTreeNode* d = items->GetFirstNode()->GetNextSibling();
  items->AddChildFirst(d, "d0");
  items->Insert(d->Item(2)->Item(1), "d215");  // among the open grandchildren
  items->AddChild(d->Item(2), "d23 with a label far wider than the tree");
  check();
  t->SetTopItem(d->Item(1));
  items->Add(nullptr, "z");
  items->AddFirst(nullptr, "a");
  items->Insert(d->GetNextSibling(), "e");  // after d's open branch
  check();
  items->Item(1)->Item(0)->Expand(false);  // m1 opens under an open m
  items->Delete(d->Item(2));               // d2's branch, shown, goes with its wide label
  check();
  d->Collapse(false);
  items->GetFirstNode()->SetText("a renamed with a label far wider than the tree");
  check();
  items->GetFirstNode()->SetText("a");
  d->Expand(false);
  check();
  t->SetTopItem(items->GetFirstNode());
  t->AlphaSort(true);
  check();
  items->Delete(items->Item(1));  // m, open, with its open child
  d->Item(0)->Delete();
  check();
  items->Clear();
  items->Add(nullptr, "only");
  check();
}

// The texts of the view's top-level items, in order.
std::vector<std::string> RootTexts(TTreeView* t) {
  std::vector<std::string> v;
  for (auto h = t->Perform(TVM_GETNEXTITEM, TVGN_ROOT, 0); h; h = t->Perform(TVM_GETNEXTITEM, TVGN_NEXT, h)) {
    char buf[64] = {};
    TVITEMA it {};
    it.mask = TVIF_TEXT;
    it.hItem = reinterpret_cast<HTREEITEM>(h);
    it.pszText = buf;
    it.cchTextMax = sizeof buf;
    t->Perform(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    v.push_back(buf);
  }
  return v;
}

// A sorted insert goes after the last sibling whose text it does not sort before (letters compared
// without case), looking from the end, whether or not the siblings are in order: checked against that
// rule through inserts of every kind, renames, deletes and a sort of the children.
TEST_F(TreeViewTest, SortedInsertsGoAfterTheLastSiblingNotAfterThemEvenAmongUnsortedOnes) {
  TTreeView* t = NewTree({});
  Show();
  auto lower = [](std::string s) {
    for (char& c : s) c = char(tolower(static_cast<unsigned char>(c)));
    return s;
  };
  auto send = [&](UINT msg, WPARAM w, LPARAM l) { return t->Perform(msg, w, l); };
  auto insert = [&](HTREEITEM where, const std::string& text) {
    TVINSERTSTRUCTA ins {};
    ins.hParent = TVI_ROOT;
    ins.hInsertAfter = where;
    ins.item.mask = TVIF_TEXT;
    ins.item.pszText = const_cast<char*>(text.c_str());
    return reinterpret_cast<HTREEITEM>(send(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
  };
  auto texts = [&] { return RootTexts(t); };
  std::vector<std::string> model;
  std::vector<HTREEITEM> handles;  // in the model's order
  auto place = [&](const std::string& s) {
    size_t at = model.size();
    while (at > 0 && lower(s) < lower(model[at - 1])) --at;
    return at;
  };
  unsigned seed = 12345;
  auto next = [&](unsigned n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  for (int step = 0; step < 600; ++step) {
    char text[16];
    snprintf(text, sizeof text, "%c%03u", next(2) ? 'K' : 'k', next(300));
    const unsigned op = next(10);
    if (op < 6) {
      const size_t at = place(text);
      handles.insert(handles.begin() + long(at), insert(TVI_SORT, text));
      model.insert(model.begin() + long(at), text);
    } else if (op == 6) {  // out of order, at either end
      const bool first = next(2);
      handles.insert(first ? handles.begin() : handles.end(), insert(first ? TVI_FIRST : TVI_LAST, text));
      model.insert(first ? model.begin() : model.end(), text);
    } else if (op == 7 && !model.empty()) {
      const size_t k = next(unsigned(model.size()));
      TVITEMA it {};
      it.mask = TVIF_TEXT;
      it.hItem = handles[k];
      it.pszText = text;
      send(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
      model[k] = text;
    } else if (op == 8 && !model.empty()) {
      const size_t k = next(unsigned(model.size()));
      send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(handles[k]));
      handles.erase(handles.begin() + long(k));
      model.erase(model.begin() + long(k));
    } else if (op == 9 && step % 7 == 0) {
      send(TVM_SORTCHILDREN, 0, 0);
      std::vector<size_t> order(model.size());
      for (size_t k = 0; k < order.size(); ++k) order[k] = k;
      std::stable_sort(order.begin(), order.end(),
                       [&](size_t a, size_t b) { return lower(model[a]) < lower(model[b]); });
      std::vector<std::string> m;
      std::vector<HTREEITEM> h;
      for (size_t k : order) m.push_back(model[k]), h.push_back(handles[k]);
      model.swap(m);
      handles.swap(h);
    }
    ASSERT_EQ(texts(), model) << "step " << step;
  }
}

// One level placed node by node with a comparison (the class library's sorted views) and given sorted
// inserts in turn: each kind of placing finds the others' nodes where they are.
TEST_F(TreeViewTest, SortedInsertsAndPlacedNodesShareALevel) {
  TTreeView* t = NewTree({});
  Show();
  auto send = [&](UINT msg, WPARAM w, LPARAM l) { return t->Perform(msg, w, l); };
  std::deque<std::string> store;  // each node's text, its parameter pointing here
  auto insert = [&](HTREEITEM where, const std::string& text) {
    store.push_back(text);
    TVINSERTSTRUCTA ins {};
    ins.hParent = TVI_ROOT;
    ins.hInsertAfter = where;
    ins.item.mask = TVIF_TEXT | TVIF_PARAM;
    ins.item.pszText = const_cast<char*>(text.c_str());
    ins.item.lParam = reinterpret_cast<LPARAM>(&store.back());
    return reinterpret_cast<HTREEITEM>(send(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
  };
  PFNTVCOMPARE byText = [](LPARAM a, LPARAM b, LPARAM) {
    return reinterpret_cast<std::string*>(a)->compare(*reinterpret_cast<std::string*>(b));
  };
  auto place = [&](HTREEITEM h) {
    TVSORTCB cb { h, byText, 0 };
    return send(TVM_PLACESORTEDCB, 0, reinterpret_cast<LPARAM>(&cb));
  };
  auto texts = [&] {
    std::string v;
    for (const std::string& text : RootTexts(t)) v += text;
    return v;
  };
  for (const char* s : { "f", "b", "h", "d" }) ASSERT_TRUE(place(insert(TVI_LAST, s)));
  EXPECT_EQ(texts(), "bdfh");
  EXPECT_TRUE(place(insert(TVI_LAST, "a")));  // moved alone to the front
  EXPECT_EQ(texts(), "abdfh");
  insert(TVI_SORT, "e");
  insert(TVI_SORT, "c");
  insert(TVI_SORT, "i");
  EXPECT_EQ(texts(), "abcdefhi");
  EXPECT_TRUE(place(insert(TVI_FIRST, "g")));
  EXPECT_EQ(texts(), "abcdefghi");
  insert(TVI_SORT, "bb");
  EXPECT_EQ(texts(), "abbbcdefghi");
}

}  // namespace
