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
