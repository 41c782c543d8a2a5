// Tree views whose handlers free the view, clear it or delete nodes while the view walks, sorts, edits or
// deletes: the view stops where the work cannot go on and touches nothing freed (the sanitizer build
// reports any touch); every node hears OnDeletion exactly once, the view's own end included.

#include <map>

#include "tests/platform/views/TreeViewTestUtil.h"

using namespace treetest;

namespace {

class TreeViewEventsTest : public TreeViewTest {
 protected:
  const std::vector<std::string> kTree { "a", " a1", "  a11", " a2", "b", " b1", "c" };
};

enum class Act { Free, Clear, DeleteNode };

// A form whose own part tells when it has gone (before the class library's parts of it).
class TOwnPartForm : public TForm {
 public:
  TOwnPartForm(bool& Gone) : TForm(nullptr), FGone(Gone) {}
  ~TOwnPartForm() override { FGone = true; }

 private:
  bool& FGone;
};

// Runs the act on the view from inside a handler; after a free nothing of the closure is touched.
void Do(Act act, TTreeView* t, TTreeNode* n) {
  switch (act) {
    case Act::Free:
      delete t;
      return;
    case Act::Clear:
      t->Items()->Clear();
      return;
    case Act::DeleteNode:
      n->Delete();
      return;
  }
}

TEST_F(TreeViewEventsTest, ExpandingAndCollapsingWholeTreesSurviveTheirHandlers) {
  for (const bool open : { true, false })
    for (const Act act : { Act::Free, Act::Clear, Act::DeleteNode })
      for (const bool whole : { true, false }) {
        SCOPED_TRACE(std::string(open ? "expand " : "collapse ") + std::to_string(int(act)) + (whole ? " full" : " a"));
        TTreeView* t = NewTree(kTree);
        Show();
        if (!open) t->FullExpand();
        const auto life = t->LifeToken();
        std::vector<std::string> told;
        auto handler = On<TTVExpandedEvent>([&told, act, t](TObject*, TTreeNode* n) {
          told.push_back(n->Text());
          Do(act, t, n);
        });
        (open ? t->OnExpanded : t->OnCollapsed) = handler;
        TTreeNode* a = t->Items()->Item(0);
        if (whole)
          open ? t->FullExpand() : t->FullCollapse();
        else
          open ? a->Expand(true) : a->Collapse(true);
        // The first node that changes is told, and the walk ends there.
        EXPECT_EQ(told, (std::vector<std::string> { open ? "a" : "a1" }));
        if (act == Act::Free) {
          EXPECT_TRUE(life.expired());
          continue;
        }
        const std::vector<std::string> left = act == Act::Clear ? std::vector<std::string> {}
                                              : open            ? std::vector<std::string> { "b", " b1", "c" }
                                                     : std::vector<std::string> { "a", " a2", "b", " b1", "c" };
        EXPECT_EQ(Outline(t), left);
        delete t;
      }
}

TEST_F(TreeViewEventsTest, WalksGoOnThroughNodesTheirHandlersAdd) {
  TTreeView* t = NewTree({ "a", "b" });
  Show();
  // A node told it has children gets them when it first opens; the walk opens those too.
  t->Items()->Item(0)->SetHasChildren(true);
  t->OnExpanding = On<TTVExpandingEvent>([t](TObject*, TTreeNode* n, bool&) {
    if (n->Level() < 2 && !n->GetFirstChild()) t->Items()->AddChild(n, n->Text() + "+")->SetHasChildren(true);
  });
  t->FullExpand();
  EXPECT_EQ(Outline(t), (std::vector<std::string> { "a", " a+", "  a++", "b" }));
  EXPECT_TRUE(t->Items()->Item(1)->Expanded());
  EXPECT_FALSE(t->Items()->Item(3)->Expanded());  // b has no children and no button
}

// OnCompare that frees the view, adds or deletes nodes: the sort stops and every level keeps its order.
TEST_F(TreeViewEventsTest, ASortWhoseHandlerChangesTheNodesLeavesTheOrder) {
  enum Change { Free, Clear, DeleteOne, AddOne, Rename };
  for (const Change change : { Free, Clear, DeleteOne, AddOne, Rename }) {
    SCOPED_TRACE(change);
    TTreeView* t = NewTree({ "c", " z", " y", "b", "a" });
    const auto life = t->LifeToken();
    int calls = 0;
    t->OnCompare = On<TTVCompareEvent>([&calls, change, t](TObject*, TTreeNode* x, TTreeNode* y, int, int& c) {
      c = AnsiCompareText(x->Text(), y->Text());
      if (++calls != 2) return;
      switch (change) {
        case Free:
          delete t;
          return;
        case Clear:
          return t->Items()->Clear();
        case DeleteOne:
          return t->Items()->Item(1)->Delete();
        case AddOne:
          return void(t->Items()->Add(nullptr, "d"));
        case Rename:
          return x->SetText(x->Text() + "!");
      }
    });
    const bool sorted = t->AlphaSort(true);
    if (change == Free) {
      EXPECT_FALSE(sorted);
      EXPECT_TRUE(life.expired());
      continue;
    }
    const std::vector<std::string> left = Outline(t);
    delete t;
    if (change == Rename) {
      EXPECT_TRUE(sorted);
      continue;
    }
    EXPECT_FALSE(sorted);
    const std::vector<std::string> expected = change == Clear ? std::vector<std::string> {}
                                              : change == AddOne
                                                  ? std::vector<std::string> { "c", " z", " y", "b", "a", "d" }
                                                  : std::vector<std::string> { "c", " y", "b", "a" };
    EXPECT_EQ(left, expected);
  }
}

// A sorted view whose OnCompare deletes the node being added: the caller is told, not handed a freed node.
TEST_F(TreeViewEventsTest, AddingANodeThatOnCompareDeletesRaises) {
  TTreeView* t = NewTree({ "b", "a" });
  t->SetSortType(stText);
  t->OnCompare = On<TTVCompareEvent>([](TObject*, TTreeNode* x, TTreeNode* y, int, int& c) {
    c = AnsiCompareText(x->Text(), y->Text());
    for (TTreeNode* n : { x, y })
      if (n->Text() == "doomed") return n->Delete();
  });
  EXPECT_THROW(t->Items()->Add(nullptr, "doomed"), ETreeViewError);
  EXPECT_EQ(Outline(t), (std::vector<std::string> { "a", "b" }));
}

// Deleting from code, and the handler freeing the view at the first node it hears of: the others are
// still told, once each.
TEST_F(TreeViewEventsTest, ADeletionWhoseHandlerFreesTheViewStillTellsEveryNodeOnce) {
  for (const bool fromParent : { false, true }) {
    TTreeView* t = NewTree({ "a", " a1", " a2", " a3", "b" });
    Show();
    std::map<std::string, int> told;
    t->OnDeletion = On<TTVExpandedEvent>([&told, t](TObject*, TTreeNode* n) {
      const bool first = told.empty();
      ++told[n->Text()];
      if (first) delete t;
    });
    if (fromParent)
      t->Items()->Item(0)->DeleteChildren();
    else
      t->Items()->Item(0)->Delete();
    EXPECT_EQ(told, (std::map<std::string, int> { { "a", 1 }, { "a1", 1 }, { "a2", 1 }, { "a3", 1 }, { "b", 1 } }))
        << fromParent;
  }
}

// The view's end tells every node, children before their parent: with its window, without one (the
// nodes kept for a window to come), and as part of its form, while the form is still whole.
TEST_F(TreeViewEventsTest, DestroyingTheViewTellsEveryNode) {
  for (const int how : { 0, 1, 2 }) {
    bool formGone = false, toldAfterForm = false;
    auto* f = new TOwnPartForm(formGone);
    auto* t = new TTreeView(f);
    t->SetParent(f);
    f->Show();
    for (const char* s : { "a", "b" }) t->Items()->AddChild(t->Items()->Add(nullptr, s), std::string(s) + "1");
    std::vector<std::string> told;
    t->OnDeletion = On<TTVExpandedEvent>([&](TObject*, TTreeNode* n) {
      told.push_back(n->Text());
      toldAfterForm |= formGone;
    });
    t->Items()->Item(2)->SetSelected(true);
    int selectionEvents = 0;  // the selection moves as the nodes go, and nobody is told
    t->OnChange = On<TTVChangedEvent>([&](TObject*, TTreeNode*) { ++selectionEvents; });
    t->OnChanging = On<TTVChangingEvent>([&](TObject*, TTreeNode*, bool&) { ++selectionEvents; });
    if (how == 1) t->SetParent(nullptr);  // the window goes, the nodes stay
    if (how == 2)
      delete f;
    else
      delete t;
    EXPECT_EQ(told, (how == 1 ? std::vector<std::string> { "b1", "b", "a1", "a" }
                              : std::vector<std::string> { "a1", "a", "b1", "b" }))
        << how;
    EXPECT_FALSE(toldAfterForm) << how;
    EXPECT_EQ(selectionEvents, 0) << how;
    if (how != 2) delete f;
  }
}

// A handler adding a node while the view is being destroyed is refused, and told so; nothing is kept.
TEST_F(TreeViewEventsTest, AddingWhileTheViewIsDestroyedIsRefused) {
  auto* t = Add<TTreeView>(0, 0);
  t->Items()->Add(nullptr, "a");
  std::vector<std::string> told, errors;
  Application->OnException =
      TExceptionEvent::FromCallable([&](TObject*, Exception* e) { errors.push_back(e->Message()); });
  t->OnDeletion = On<TTVExpandedEvent>([&told, t](TObject*, TTreeNode* n) {
    told.push_back(n->Text());
    t->Items()->Add(nullptr, "late");
  });
  delete t;
  EXPECT_EQ(told, (std::vector<std::string> { "a" }));
  EXPECT_EQ(errors, (std::vector<std::string> { "Cannot add a node to a tree view that is being destroyed" }));
}

// F2 and a slow second click both ask OnEditing about the selected node, and OnEdited gets the same node.
TEST_F(TreeViewEventsTest, EditingEventsGetTheNodeBeingEdited) {
  TTreeView* t = NewTree({ "alpha", "beta" });
  std::vector<std::string> asked;
  TTreeNode* edited = nullptr;
  t->OnEditing = On<TTVEditingEvent>([&](TObject*, TTreeNode* n, bool&) { asked.push_back(n ? n->Text() : "null"); });
  t->OnEdited = On<TTVEditedEvent>([&](TObject*, TTreeNode* n, AnsiString&) { edited = n; });
  Show();
  TTreeNode* beta = t->Items()->Item(1);
  beta->SetSelected(true);
  t->SetFocus();
  Press(VK_F2);
  Press(VK_RETURN);
  EXPECT_EQ(edited, beta);
  ClickAt(t, LabelX(0) + 4, kRowH + 4);
  xt::Advance(GetDoubleClickTime() + 1);
  xt::PumpUntilIdle();
  EXPECT_TRUE(t->IsEditing());
  EXPECT_EQ(asked, (std::vector<std::string> { "beta", "beta" }));
}

// Choosing another node ends an edit first: OnEdited deleting the node it was told about, the one the
// selection is leaving, still lets the selection arrive, and reports the move from no node.
TEST_F(TreeViewEventsTest, AnEditEndedBySelectingWhoseHandlerDeletesTheOldSelection) {
  TTreeView* t = NewTree({ "a", "b", "c" });
  Show();
  std::vector<std::string> changes;
  t->OnEdited = On<TTVEditedEvent>([](TObject*, TTreeNode* n, AnsiString&) { n->Delete(); });
  t->OnChange = On<TTVChangedEvent>([&](TObject*, TTreeNode* n) { changes.push_back(n ? n->Text() : "-"); });
  TTreeNode* a = t->Items()->Item(0);
  TTreeNode* c = t->Items()->Item(2);
  a->SetSelected(true);
  changes.clear();
  ASSERT_TRUE(a->EditText());
  t->SetSelected(c);
  EXPECT_EQ(Outline(t), (std::vector<std::string> { "b", "c" }));
  EXPECT_EQ(t->Selected(), c);
  EXPECT_EQ(changes.back(), "c");
}

// Nodes kept while the view has no window: clearing them tells each, even when a handler's question
// makes the window again on the way.
TEST_F(TreeViewEventsTest, ClearingNodesKeptWithoutAWindowTellsEachOnce) {
  TTreeView* t = NewTree({ "a", " a1", "b" });
  Show();
  t->DestroyHandle();
  ASSERT_FALSE(t->HandleAllocated());
  std::vector<std::string> told;
  t->OnDeletion = On<TTVExpandedEvent>([&](TObject*, TTreeNode* n) {
    told.push_back(n->Text());
    (void)n->Parent();  // asks the window, which is made again
  });
  t->Items()->Clear();
  EXPECT_EQ(told, (std::vector<std::string> { "b", "a1", "a" }));
  EXPECT_EQ(t->Items()->Count(), 0);
}

// Handlers that start or end a label edit while the view lets nodes go: clearing while OnChange starts
// editing a node that is going, and re-creating the window while OnEdited deletes the node it was told of.
TEST_F(TreeViewEventsTest, EditsBegunOrEndedWhileNodesGoLeaveNothingBehind) {
  TTreeView* t = NewTree({ "a", "b", "c" });
  Show();
  t->Items()->Item(1)->SetSelected(true);
  t->OnChange = On<TTVChangedEvent>([t](TObject*, TTreeNode*) {
    if (TTreeNode* n = t->Items()->GetFirstNode()) n->EditText();
  });
  t->Items()->Clear();
  EXPECT_FALSE(t->IsEditing());
  EXPECT_EQ(t->Items()->Count(), 0);

  t->OnChange = {};
  for (const char* s : { "x", "y", "z" }) t->Items()->Add(nullptr, s);
  t->OnEdited = On<TTVEditedEvent>([](TObject*, TTreeNode* n, AnsiString&) { n->Delete(); });
  ASSERT_TRUE(t->Items()->Item(1)->EditText());
  t->SetShowLines(false);  // the window goes with the edit in it, and comes back
  EXPECT_EQ(Outline(t), (std::vector<std::string> { "x", "z" }));
  EXPECT_FALSE(t->IsEditing());
}

}  // namespace
