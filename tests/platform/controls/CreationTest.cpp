// Window creation in the order the program asks for it: a child's window asked for before its parent's,
// where the parent's creation itself fills the child.

#include "platform/vcl/StdCtrls.h"
#include "tests/support/ControlsTestUtil.h"

using namespace ctltest;

namespace {

// A container that puts a line into its list box as soon as its own window exists.
class TFillingPanel : public TTestPanel {
  XJ_CLASS(TFillingPanel, TTestPanel)
 public:
  explicit TFillingPanel(TComponent* AOwner) : TTestPanel(AOwner) {}
  TListBox* List { nullptr };
  int Created { 0 };

 protected:
  void CreateWnd() override {
    TTestPanel::CreateWnd();
    ++Created;
    if (List) List->Items()->Add("filled by the parent");
  }
};

// A control that, once its window exists, frees one sibling and moves another into a hidden panel of no
// form, as a skinned list box retires the scroll bars it had beside it.
class TRetiringPanel : public TTestPanel {
  XJ_CLASS(TRetiringPanel, TTestPanel)
 public:
  explicit TRetiringPanel(TComponent* AOwner) : TTestPanel(AOwner) {}
  TControl* Freed { nullptr };
  TControl* Moved { nullptr };
  TWinControl* Elsewhere { nullptr };

 protected:
  void CreateWnd() override {
    TTestPanel::CreateWnd();
    delete Freed;
    Freed = nullptr;
    if (Moved) Moved->SetParent(Elsewhere);
  }
};

class CreationTest : public ControlsTest {};

}  // namespace

TEST_F(CreationTest, AChildAskedForFirstKeepsTheWindowItsParentsCreationMade) {
  TForm* form = NewForm();
  auto* panel = new TFillingPanel(form);
  panel->SetParent(form);
  auto* list = new TListBox(form);
  list->SetParent(panel);
  panel->List = list;
  // Counting the items needs the list's window, which needs the panel's, which fills the list.
  EXPECT_EQ(list->Items()->Count(), 1);
  EXPECT_EQ(panel->Created, 1);
  EXPECT_EQ(list->Items()->Strings(0), "filled by the parent");
  EXPECT_EQ(GetParent(list->Handle()), panel->Handle());
  EXPECT_TRUE(IsWindow(list->Handle()));
}

// Showing a form walks its children as they were; one freed or moved away by an earlier sibling's window
// creation is left alone: nothing touches the freed one (the sanitizers watch), the moved one gets no
// window under its new, hidden parent.
TEST_F(CreationTest, ShowingSkipsSiblingsAnEarlierChildFreedOrMoved) {
  TForm* form = NewForm();
  auto* first = new TRetiringPanel(form);
  first->SetParent(form);
  auto* freed = new TTestPanel(form);
  freed->SetParent(form);
  auto* moved = new TTestPanel(form);
  moved->SetParent(form);
  auto* elsewhere = new TTestPanel(form);
  elsewhere->SetVisible(false);
  first->Freed = freed;
  first->Moved = moved;
  first->Elsewhere = elsewhere;
  form->Show();
  xt::PumpUntilIdle();
  EXPECT_TRUE(first->HandleAllocated());
  EXPECT_EQ(moved->Parent(), elsewhere);
  EXPECT_FALSE(moved->HandleAllocated());
  EXPECT_FALSE(elsewhere->HandleAllocated());
  EXPECT_EQ(form->ControlCount(), 1);
}
