#pragma once
// A fixture for the tree-view tests: the stock-control fixture (test face: rows 16 pixels high), trees
// built from an outline, the rows' geometry, and gallery pictures.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/display/Png.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ImgList.h"
#include "tests/platform/stdctrls/StdCtrlsTestUtil.h"

namespace treetest {

using namespace stdtest;

constexpr int kRowH = 16;    // test face height 13 + 3
constexpr int kIndent = 19;  // the default indent
// Client x where the label of a node at `level` starts, with ShowRoot and no images.
constexpr int LabelX(int level) { return (level + 1) * kIndent; }
constexpr int ButtonX(int level) { return level * kIndent + kIndent / 2; }

// Square images, each one colour, added to a list.
inline void AddSwatches(TImageList& list, int size, std::initializer_list<TColor> colours) {
  for (TColor c : colours) {
    TBitmap b;
    b.SetPixelFormat(pf32bit);
    b.SetSize(size, size);
    b.Canvas()->Brush()->SetColor(c);
    b.Canvas()->FillRect(TRect(0, 0, size, size));
    list.Add(&b, nullptr);
  }
}

inline std::unique_ptr<TImageList> Swatches(int size, std::initializer_list<TColor> colours) {
  auto list = std::make_unique<TImageList>(size, size);
  AddSwatches(*list, size, colours);
  return list;
}

class TreeViewTest : public StdCtrlsTest {
 protected:
  // A borderless tree (client = control) of the given size, filled from an outline: each line's
  // leading blanks are its level ("a", " a1", "  a11", "b").
  template <class T = TTreeView>
  T* NewTree(const std::vector<std::string>& outline, int w = 160, int h = 8 * kRowH) {
    auto* t = Add<T>(10, 10, w, h);
    t->SetBorderStyle(bsNone);
    std::vector<TTreeNode*> path;
    for (const std::string& line : outline) {
      const size_t level = line.find_first_not_of(' ');
      path.resize(level);
      TTreeNode* n = t->Items()->AddChild(path.empty() ? nullptr : path.back(), line.substr(level));
      path.push_back(n);
    }
    return t;
  }
  // Every node's text in tree order, children indented by one blank per level.
  static std::vector<std::string> Outline(TTreeView* t) {
    std::vector<std::string> out;
    for (TTreeNode* n = t->Items()->GetFirstNode(); n; n = n->GetNext())
      out.push_back(std::string(static_cast<size_t>(n->Level()), ' ') + n->Text());
    return out;
  }
  static int Range(TWinControl* c, int bar, int* pos = nullptr) {
    int lo = 0, hi = 0;
    GetScrollRange(c->Handle(), bar, &lo, &hi);
    if (pos) *pos = GetScrollPos(c->Handle(), bar);
    return hi;
  }
  void Gallery(TControl* c, const std::string& state) const {
    int w = 0, h = 0;
    const std::vector<COLORREF> all = xt::WindowPixels(form->Handle(), false, &w, &h);
    const TPoint at = form->ScreenToClient(c->ClientToScreen(TPoint(0, 0)));
    std::vector<uint32_t> px;
    for (int y = 0; y < c->Height(); ++y)
      for (int x = 0; x < c->Width(); ++x) {
        const int fx = at.X + x, fy = at.Y + y;
        const COLORREF v = fx >= 0 && fy >= 0 && fx < w && fy < h ? all[size_t(fy) * w + fx] : 0;
        px.push_back(uint32_t { GetRValue(v) } << 16 | uint32_t { GetGValue(v) } << 8 | GetBValue(v));
      }
    const std::filesystem::path dir = std::filesystem::path(XJ_BINARY_DIR) / "tests" / "gallery";
    std::filesystem::create_directories(dir);
    const xj::display::SurfaceView view { px.data(), c->Width(), c->Height(), c->Width() * 4 };
    const std::string name = "platform-treeview-" + state + ".png";
    ASSERT_TRUE(xj::display::WritePng((dir / name).string(), view)) << name;
  }
};

}  // namespace treetest
