// The tree view on a real X server: shown through the x11 display back-end on a private Xvfb, clicked
// and typed at with xdotool. The server shows what the view drew; a click on a button opens the node, a
// click on a label selects it, and F2, typing and Enter rename it.

#include <string>
#include <vector>

#include "platform/vcl/ComCtrls.h"
#include "tests/support/x11/X11ControlsTest.h"

using namespace ctltest;

namespace {

class TreeViewX11 : public xj::test::X11InputTest {};

TEST_F(TreeViewX11, ATreeIsShownOpenedSelectedAndRenamedOnTheServer) {
  TForm* form = NewForm(160, 120, 320, 240);
  form->SetCaption("xj-tree");
  auto* tree = new TTreeView(form);
  tree->SetParent(form);
  tree->SetBorderStyle(bsNone);
  tree->SetBounds(10, 10, 200, 160);
  TTreeNode* line = tree->Items()->Add(nullptr, "Line 1");
  tree->Items()->AddChild(line, "morning");
  tree->Items()->AddChild(line, "evening");
  tree->Items()->Add(nullptr, "Line 2");
  form->Show();
  xt::PumpUntilIdle();
  ASSERT_TRUE(ServerShows(tree)) << "the server never showed the tree as drawn";

  const int row = static_cast<int>(tree->Perform(TVM_GETITEMHEIGHT, 0, 0));
  const int indent = tree->Indent();
  ASSERT_TRUE(ClickOn(tree, TPoint(indent / 2, row / 2)));  // the button
  EXPECT_TRUE(Eventually([&] { return line->Expanded(); }));
  ASSERT_TRUE(ClickOn(tree, TPoint(2 * indent + 4, row + row / 2)));  // "morning"
  EXPECT_TRUE(Eventually([&] { return tree->Selected() && tree->Selected()->Text() == "morning"; }));
  EXPECT_TRUE(ServerShows(tree));

  ASSERT_TRUE(Xdotool("key F2"));
  EXPECT_TRUE(Eventually([&] { return tree->IsEditing(); }));
  ASSERT_TRUE(Xdotool("type dawn"));
  ASSERT_TRUE(Xdotool("key Return"));
  EXPECT_TRUE(Eventually([&] { return !tree->IsEditing() && tree->Items()->Item(1)->Text() == "dawn"; }));
  EXPECT_TRUE(ServerShows(tree));
}

}  // namespace
