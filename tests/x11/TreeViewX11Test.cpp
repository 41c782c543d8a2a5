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

// A label cut off by the view's edge shows whole in a tip when the pointer rests on it; the tip comes up
// under the pointer, which the view must not take for the pointer leaving it.
TEST_F(TreeViewX11, ALabelCutOffByTheEdgeShowsWholeInATip) {
  TForm* form = NewForm(160, 120, 320, 240);
  form->SetCaption("xj-tree-tip");
  auto* tree = new TTreeView(form);
  tree->SetParent(form);
  tree->SetBounds(10, 10, 120, 160);
  tree->Items()->Add(nullptr, "short");
  tree->Items()->Add(nullptr, "a label far too long for the view to show whole");
  form->Show();
  ASSERT_TRUE(ServerShows(tree));
  const int row = static_cast<int>(tree->Perform(TVM_GETITEMHEIGHT, 0, 0));
  xt::MessageTrace moves(tree->Handle(), { WM_MOUSEMOVE });
  auto seen = [&](int x) {  // the view has had the pointer on the long label's row, at x or past it
    for (const MSG& m : moves.Messages())
      if (GET_X_LPARAM(m.lParam) >= x && GET_Y_LPARAM(m.lParam) >= row && GET_Y_LPARAM(m.lParam) < 2 * row) return true;
    return false;
  };
  ASSERT_TRUE(Xdotool("mousemove " + At(tree, TPoint(60, row + row / 2))));
  ASSERT_TRUE(Eventually([&] { return seen(60); }));
  xt::Advance(GetDoubleClickTime() + 1);
  HWND tip = nullptr;
  auto tipUp = [&] {
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
      if (h != form->Handle() && IsWindowVisible(h)) return (tip = h) != nullptr;
    return false;
  };
  ASSERT_TRUE(Eventually(tipUp)) << "no tip came up";
  // A step along the label under the tip: once the view has seen it, it has seen the crossing too.
  ASSERT_TRUE(Xdotool("mousemove " + At(tree, TPoint(64, row + row / 2))));
  ASSERT_TRUE(Eventually([&] { return seen(64); }));
  xt::PumpUntilIdle();
  EXPECT_TRUE(IsWindowVisible(tip)) << "the tip went as it came";
  const std::string shot = xj::test::ScreenshotPath("x11-tree-tip");
  EXPECT_EQ(xj::test::RunWhilePumping("import -window root '" + shot + "'", [] { xt::PumpUntilIdle(); }), 0);
}

}  // namespace
