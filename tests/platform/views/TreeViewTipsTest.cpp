// Tree view: the tip over a cut-off label, and OnChange waiting for the selection to rest.

#include "tests/platform/views/TreeViewTestUtil.h"

namespace {

using namespace treetest;

// The tree's tip window when it is showing, else null.
THintWindow* ShownTip(TTreeView* t) {
  for (int i = 0; i < t->ComponentCount(); ++i)
    if (auto* tip = dynamic_cast<THintWindow*>(t->Components(i)))
      if (tip->HandleAllocated() && IsWindowVisible(tip->Handle())) return tip;
  return nullptr;
}

TEST_F(TreeViewTest, ACutOffLabelShowsItsWholeTextInATipOnlyWhileToolTipsIsOn) {
  // 100 pixels wide: "short" ends at 19 + 40; the long label runs to 19 + 8 * 33, far past the edge.
  const std::string longText = "a label much too long for the row";
  TTreeView* t = NewTree({ "short", longText }, 100, 4 * kRowH);
  Show();
  const UINT hover = GetDoubleClickTime();

  MoveTo(t, LabelX(0) + 4, 4);
  xt::Advance(5 * hover);
  EXPECT_EQ(ShownTip(t), nullptr) << "a label that fits has no tip";

  MoveTo(t, LabelX(0) + 4, kRowH + 4);
  xt::Advance(hover - 1);
  EXPECT_EQ(ShownTip(t), nullptr) << "not before the hover time";
  xt::Advance(1);
  THintWindow* tip = ShownTip(t);
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(tip->Caption(), longText);
  const TPoint label = t->ClientToScreen(TPoint(LabelX(0), kRowH));
  RECT r {};
  GetWindowRect(tip->Handle(), &r);
  EXPECT_LE(r.left, label.X);
  EXPECT_LE(r.top, label.Y);
  EXPECT_GE(r.right - r.left, static_cast<LONG>(longText.size()) * kCharW) << "the whole text, not the cut one";
  // Text is drawn in the part of the tip past the tree's right edge.
  const int pastEdge = t->ClientToScreen(TPoint(t->ClientWidth(), 0)).X - r.left + 8;
  const COLORREF bk = xt::ReadPixel(tip->Handle(), pastEdge, 1);
  bool ink = false;
  for (int y = 0; y < kLineH && !ink; ++y)
    for (int x = pastEdge; x < pastEdge + 4 * kCharW && !ink; ++x) ink = xt::ReadPixel(tip->Handle(), x, y) != bk;
  EXPECT_TRUE(ink);
  {
    int w = 0, h = 0;
    const std::vector<COLORREF> px = xt::WindowPixels(tip->Handle(), true, &w, &h);
    std::vector<uint32_t> rgb;
    for (COLORREF c : px)
      rgb.push_back(uint32_t { GetRValue(c) } << 16 | uint32_t { GetGValue(c) } << 8 | GetBValue(c));
    const std::filesystem::path dir = std::filesystem::path(XJ_BINARY_DIR) / "tests" / "gallery";
    std::filesystem::create_directories(dir);
    const xj::display::SurfaceView view { rgb.data(), w, h, w * 4 };
    EXPECT_TRUE(xj::display::WritePng((dir / "platform-treeview-tip.png").string(), view));
  }

  // Leaving the label hides it; a key press too.
  MoveTo(t, LabelX(0) + 4, 3 * kRowH + 4);
  EXPECT_EQ(ShownTip(t), nullptr);
  MoveTo(t, LabelX(0) + 4, kRowH + 4);
  xt::Advance(hover);
  ASSERT_NE(ShownTip(t), nullptr);
  t->SetFocus();
  Press(VK_DOWN);
  EXPECT_EQ(ShownTip(t), nullptr);

  // Off: the window is made again without tips, and the same rest shows nothing.
  const HWND before = t->Handle();
  t->SetToolTips(false);
  EXPECT_NE(t->Handle(), before);
  EXPECT_TRUE(GetWindowLongA(t->Handle(), GWL_STYLE) & TVS_NOTOOLTIPS);
  xt::PumpUntilIdle();
  MoveTo(t, LabelX(0) + 6, 3 * kRowH + 4);
  MoveTo(t, LabelX(0) + 4, kRowH + 4);
  xt::Advance(5 * hover);
  EXPECT_EQ(ShownTip(t), nullptr);
}

TEST_F(TreeViewTest, ChangeDelayReportsOnlyTheNodeTheKeysRestOnAfterTheDelay) {
  TTreeView* t = NewTree({ "a", "b", "c", "d", "e" });
  std::vector<std::string> changes;
  t->OnChange = On<TTVChangedEvent>([&](TObject*, TTreeNode* n) { changes.push_back(n ? n->Text() : "-"); });
  Show();
  t->SetFocus();
  t->SetSelected(t->Items()->Item(0));
  ASSERT_EQ(changes, std::vector<std::string> { "a" });

  // Each move starts the wait again: three moves 249 ms apart report nothing, then "d" once.
  t->SetChangeDelay(250);
  for (int i = 0; i < 3; ++i) {
    Press(VK_DOWN);
    xt::Advance(249);
  }
  EXPECT_EQ(changes.size(), 1u);
  xt::Advance(1);
  EXPECT_EQ(changes, (std::vector<std::string> { "a", "d" }));
  xt::Advance(10 * 250);
  EXPECT_EQ(changes.size(), 2u) << "the wait fires once";

  // Back to 0: each move at once.
  t->SetChangeDelay(0);
  Press(VK_UP);
  EXPECT_EQ(changes, (std::vector<std::string> { "a", "d", "c" }));
}

}  // namespace
