// The paint cycle, device contexts clipped by the tree, window regions and their ownership, and
// layered windows, checked through the pixels the windows show.

#include <functional>
#include <map>
#include <stdexcept>
#include <vector>

#include "platform/display/Display.h"
#include "platform/win32/WinGdi.h"
#include "platform/win32/WmBackend.h"
#include "tests/platform/wm/WmTestUtil.h"

using namespace xj::test;
using namespace wmtest;

namespace {

const COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 255, 0);

// Everything the DC may draw on, in one colour.
void Fill(HDC dc, COLORREF c) {
  RECT r { -1000, -1000, 1000, 1000 };
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void Paint(HWND h, COLORREF c) {
  PAINTSTRUCT ps;
  Fill(BeginPaint(h, &ps), c);
  EndPaint(h, &ps);
}

class PaintTest : public WmTest {
 protected:
  void PaintsWith(HWND h, COLORREF c) {
    On(h, WM_PAINT, [c](HWND w, UINT, WPARAM, LPARAM) -> LRESULT {
      Paint(w, c);
      return 0;
    });
  }
  // Each window paints red and counts its paints.
  void CountsPaints(std::map<HWND, int>& paints, std::initializer_list<HWND> windows) {
    for (HWND h : windows)
      On(h, WM_PAINT, [&paints](HWND w, UINT, WPARAM, LPARAM) -> LRESULT {
        ++paints[w];
        Paint(w, kRed);
        return 0;
      });
  }
};

TEST_F(PaintTest, BeginPaintFramesErasesAndValidates) {
  HWND w = Top(10, 10, 100, 100);
  PumpUntilIdle();
  MessageTrace trace(w, { WM_NCPAINT, WM_ERASEBKGND, WM_PAINT });
  PAINTSTRUCT seen {};
  On(w, WM_PAINT, [&](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    BeginPaint(h, &seen);
    EndPaint(h, &seen);
    return 0;
  });
  RECT r { 10, 20, 30, 40 };
  InvalidateRect(w, &r, TRUE);
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
  RECT u;
  EXPECT_TRUE(GetUpdateRect(w, &u, FALSE));
  PumpUntilIdle();
  EXPECT_EQ(trace.Ids(), (std::vector<UINT> { WM_PAINT, WM_NCPAINT, WM_ERASEBKGND }));
  EXPECT_EQ(seen.rcPaint.right, 98);  // the whole client area (100 less the border)
  EXPECT_TRUE(seen.fErase);           // nobody erased: the painter must
  EXPECT_FALSE(GetUpdateRect(w, &u, FALSE));
  // Nothing invalid: a WM_PAINT performed by hand paints nothing and sends nothing else.
  trace.Clear();
  SendMessageA(w, WM_PAINT, 0, 0);
  EXPECT_EQ(trace.Ids(), (std::vector<UINT> { WM_PAINT }));
  EXPECT_TRUE(seen.rcPaint.right <= seen.rcPaint.left);
}

TEST_F(PaintTest, ClassBrushErasesTheClientArea) {
  WNDCLASSA wc {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hbrBackground = (HBRUSH)(uintptr_t)(COLOR_BTNFACE + 1);
  wc.lpszClassName = "FaceWnd";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(0, "FaceWnd", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  PumpUntilIdle();
  EXPECT_EQ(ReadPixel(w, 25, 25), GetSysColor(COLOR_BTNFACE));
}

TEST_F(PaintTest, ChildrenPaintOverAParentThatDoesNotClipThem) {
  HWND top = Top(0, 0, 200, 200, WS_POPUP | WS_VISIBLE);
  HWND a = Child(top, 10, 10, 100, 100);
  HWND b = Child(top, 50, 50, 100, 100);  // created later: above `a`
  PaintsWith(top, kRed);
  PaintsWith(a, kGreen);
  PaintsWith(b, kBlue);
  PumpUntilIdle();
  EXPECT_EQ(ReadPixel(top, 5, 5), kRed);
  EXPECT_EQ(ReadPixel(top, 20, 20), kGreen);
  EXPECT_EQ(ReadPixel(top, 60, 60), kBlue);  // a's painting is clipped by b above it
  EXPECT_EQ(ReadPixel(top, 140, 140), kBlue);
  // Repainting the parent alone invalidates its children too (it does not clip them).
  int childPaints = 0;
  On(a, WM_PAINT, [&](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    ++childPaints;
    Paint(h, kGreen);
    return 0;
  });
  InvalidateRect(top, nullptr, TRUE);
  PumpUntilIdle();
  EXPECT_EQ(childPaints, 1);
  EXPECT_EQ(ReadPixel(top, 20, 20), kGreen);
  // With WS_CLIPCHILDREN the parent neither paints under them nor invalidates them.
  SetWindowLongPtrA(top, GWL_STYLE, GetWindowLongPtrA(top, GWL_STYLE) | WS_CLIPCHILDREN);
  PaintsWith(top, RGB(1, 2, 3));
  InvalidateRect(top, nullptr, TRUE);
  PumpUntilIdle();
  EXPECT_EQ(childPaints, 1);
  EXPECT_EQ(ReadPixel(top, 20, 20), kGreen);
  EXPECT_EQ(ReadPixel(top, 5, 5), RGB(1, 2, 3));
}

TEST_F(PaintTest, TransparentChildIsNotCutOutOfWhatLiesBeneath) {
  HWND top = Top(0, 0, 200, 200, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  HWND glass = Child(top, 0, 0, 100, 100, WS_CHILD | WS_VISIBLE, WS_EX_TRANSPARENT);
  PaintsWith(top, kRed);
  On(glass, WM_PAINT, [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT r { 0, 0, 10, 10 };  // paints only a corner, the rest shows the parent
    HBRUSH b = CreateSolidBrush(kBlue);
    FillRect(dc, &r, b);
    DeleteObject(b);
    EndPaint(h, &ps);
    return 0;
  });
  PumpUntilIdle();
  EXPECT_EQ(ReadPixel(top, 5, 5), kBlue);
  EXPECT_EQ(ReadPixel(top, 50, 50), kRed);
}

// Many children cut out of a clipping parent at once: the shaped one only by its shape, the hidden one
// not at all, and a sibling below others only where none lies above it.
TEST_F(PaintTest, ClippingParentCutsOutEveryVisibleChildByItsShape) {
  HWND top = Top(0, 0, 300, 200, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
  HWND low = Child(top, 10, 10, 150, 90);
  HWND a = Child(top, 20, 15, 30, 20);
  HWND b = Child(top, 70, 40, 45, 25);
  HWND hidden = Child(top, 200, 10, 40, 40, WS_CHILD);
  HWND shaped = Child(top, 180, 100, 60, 70);
  ASSERT_EQ(SetWindowRgn(shaped, CreateRectRgn(0, 0, 20, 70), TRUE), 1);
  PaintsWith(top, kRed);
  PaintsWith(low, kGreen);
  PaintsWith(a, kBlue);
  PaintsWith(b, kBlue);
  PaintsWith(hidden, kBlue);
  PaintsWith(shaped, kBlue);
  PumpUntilIdle();
  InvalidateRect(top, nullptr, TRUE);
  PumpUntilIdle();
  EXPECT_EQ(ReadPixel(top, 5, 5), kRed);
  EXPECT_EQ(ReadPixel(top, 12, 12), kGreen);
  EXPECT_EQ(ReadPixel(top, 49, 34), kBlue);   // a's last pixel, above low
  EXPECT_EQ(ReadPixel(top, 50, 34), kGreen);  // just past a
  EXPECT_EQ(ReadPixel(top, 114, 64), kBlue);
  EXPECT_EQ(ReadPixel(top, 159, 99), kGreen);
  EXPECT_EQ(ReadPixel(top, 160, 99), kRed);
  EXPECT_EQ(ReadPixel(top, 220, 30), kRed);  // the hidden child leaves the parent whole
  EXPECT_EQ(ReadPixel(top, 199, 150), kBlue);
  EXPECT_EQ(ReadPixel(top, 200, 150), kRed);  // outside the shape the parent shows
}

// A shaped parent bounds what its children paint: one child across the shape's edge keeps its inside
// part, one wholly in the cut-away corner paints nothing (its rectangle, taken in the top-level window's
// coordinates instead of the parent's, would lie inside the shape), one wholly inside paints all of itself.
TEST_F(PaintTest, ShapedParentCutsItsChildrenByItsOwnCoordinates) {
  HWND top = Top(0, 0, 300, 250, WS_POPUP | WS_VISIBLE);
  HWND mid = Child(top, 10, 40, 200, 150);
  HRGN shape = CreateRectRgn(0, 0, 80, 150);  // an L: the left column and the bottom band
  HRGN band = CreateRectRgn(0, 100, 200, 150);
  CombineRgn(shape, shape, band, RGN_OR);
  DeleteObject(band);
  ASSERT_EQ(SetWindowRgn(mid, shape, TRUE), 1);
  HWND across = Child(mid, 40, 60, 60, 30), corner = Child(mid, 150, 70, 30, 25), inside = Child(mid, 100, 110, 50, 20);
  PaintsWith(top, kRed);
  PaintsWith(mid, kGreen);
  for (HWND c : { across, corner, inside }) PaintsWith(c, kBlue);
  RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpUntilIdle();
  EXPECT_EQ(ReadPixel(top, 89, 115), kBlue);  // across: its last column inside the shape
  EXPECT_EQ(ReadPixel(top, 90, 115), kRed);   // and its first outside
  EXPECT_EQ(ReadPixel(top, 160, 110), kRed);  // corner: nothing of it
  EXPECT_EQ(ReadPixel(top, 189, 134), kRed);
  EXPECT_EQ(ReadPixel(top, 110, 150), kBlue);  // inside: all of it, to its last pixel
  EXPECT_EQ(ReadPixel(top, 159, 169), kBlue);
  EXPECT_EQ(ReadPixel(top, 160, 150), kGreen);
}

// Siblings above a window that reach one pixel into it, on each side, keep that pixel when it paints
// alone; one that only touches it costs it nothing.
TEST_F(PaintTest, SiblingsAboveReachingOnePixelIntoAWindowKeepThatPixel) {
  HWND top = Top(0, 0, 300, 200, WS_POPUP | WS_VISIBLE);
  HWND low = Child(top, 100, 50, 100, 100);
  const RECT above[] = {
    { 60, 60, 101, 70 }, { 199, 70, 229, 80 }, { 120, 20, 130, 51 }, { 140, 149, 150, 169 }, { 160, 40, 170, 50 }
  };
  PaintsWith(low, kGreen);
  for (const RECT& r : above) PaintsWith(Child(top, r.left, r.top, r.right - r.left, r.bottom - r.top), kBlue);
  PumpUntilIdle();
  InvalidateRect(low, nullptr, TRUE);
  PumpUntilIdle();
  EXPECT_EQ(ReadPixel(top, 100, 65), kBlue);
  EXPECT_EQ(ReadPixel(top, 101, 65), kGreen);
  EXPECT_EQ(ReadPixel(top, 199, 75), kBlue);
  EXPECT_EQ(ReadPixel(top, 198, 75), kGreen);
  EXPECT_EQ(ReadPixel(top, 125, 50), kBlue);
  EXPECT_EQ(ReadPixel(top, 125, 51), kGreen);
  EXPECT_EQ(ReadPixel(top, 145, 149), kBlue);
  EXPECT_EQ(ReadPixel(top, 145, 148), kGreen);
  EXPECT_EQ(ReadPixel(top, 165, 50), kGreen);
}

// A parent of a dozen controls cuts them out of each of its DCs again and again. Each change of what the
// cut reads shows in the next DC: a control moved by one pixel, hidden, shown again (a cut seen before),
// one given a shape and freed of it, and the parent's own shape with the controls where they were.
TEST_F(PaintTest, ParentDcsFollowEveryChangeOfTheirManyChildren) {
  HWND top = Top(0, 0, 300, 100, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  std::vector<HWND> kids;
  for (int i = 0; i < 12; ++i) kids.push_back(Child(top, 2 + i * 24, 10, 20, 30));
  const HWND k = kids[5];  // spans x 122..141
  const struct {
    std::function<void()> change;
    int x, y;
    bool parentPaints;
  } steps[] = {
    { [] {}, 122, 20, false },
    { [] {}, 121, 20, true },
    { [&] { SetWindowPos(k, nullptr, 123, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER); }, 122, 20, true },
    { [] {}, 142, 20, false },
    { [&] { ShowWindow(k, SW_HIDE); }, 130, 20, true },
    { [&] { ShowWindow(k, SW_SHOW); }, 130, 20, false },
    { [&] { SetWindowRgn(kids[8], CreateRectRgn(0, 0, 10, 30), FALSE); }, 205, 20, true },
    { [] {}, 203, 20, false },
    { [&] { SetWindowRgn(kids[8], nullptr, FALSE); }, 205, 20, false },
    { [] {}, 10, 50, true },
    { [&] { SetWindowRgn(top, CreateRectRgn(0, 0, 300, 15), FALSE); }, 10, 50, false },
    { [] {}, 10, 5, true },
  };
  COLORREF colour = RGB(1, 0, 0);
  for (const auto& s : steps) {
    s.change();
    colour += 1;
    HDC dc = GetDC(top);
    Fill(dc, colour);
    ReleaseDC(top, dc);
    EXPECT_EQ(ReadPixel(top, s.x, s.y) == colour, s.parentPaints) << &s - steps << ": " << s.x << "," << s.y;
  }
  // Freed of its shape, the control paints all of itself.
  SetWindowRgn(top, nullptr, FALSE);
  HDC dc = GetDC(kids[8]);
  Fill(dc, kBlue);
  ReleaseDC(kids[8], dc);
  EXPECT_EQ(ReadPixel(top, 205, 20), kBlue);
}

TEST_F(PaintTest, WindowDcStartsAtTheWindowCornerAndCoversTheFrame) {
  HWND w = Top(30, 30, 100, 80, WS_POPUP | WS_CAPTION | WS_VISIBLE);
  PumpUntilIdle();
  int dcs = GdiCounters().dcs;
  HDC dc = GetWindowDC(w);
  SetPixel(dc, 0, 0, kGreen);
  SetPixel(dc, 99, 79, kGreen);
  ReleaseDC(w, dc);
  EXPECT_EQ(ReadPixel(w, 0, 0, true), kGreen);
  EXPECT_EQ(ReadPixel(w, 99, 79, true), kGreen);
  HDC cdc = GetDC(w);
  SetPixel(cdc, 0, 0, kBlue);
  ReleaseDC(w, cdc);
  EXPECT_EQ(ReadPixel(w, 3, 22, true), kBlue);  // the client origin inside the frame
  EXPECT_EQ(ReleaseDC(w, cdc), 0);              // released twice: refused
  EXPECT_EQ(GdiCounters().dcs, dcs);
}

TEST_F(PaintTest, DcOfADestroyedWindowIsFreedWithIt) {
  HWND w = Top(30, 30, 100, 80);
  int before = GdiCounters().dcs;
  GetDC(w);
  GetWindowDC(w);
  EXPECT_EQ(GdiCounters().dcs, before + 2);
  DestroyWindow(w);
  EXPECT_EQ(GdiCounters().dcs, before);
}

// Many DCs held at once, let go in a scattered order: each left still knows its window, each let go is
// refused a second time, and a window going away frees its own and its children's DCs, no others.
TEST_F(PaintTest, ManyWindowDcsKeepTheirWindowsWhateverOrderTheyGoIn) {
  HWND a = Top(0, 0, 50, 40), b = Top(60, 0, 50, 40);
  HWND child = Child(a, 5, 5, 10, 10);
  const HWND owners[] = { a, b, child };
  const int before = GdiCounters().dcs;
  std::vector<std::pair<HDC, HWND>> held;
  for (int i = 0; i < 150; ++i) {
    HWND w = owners[i % 3];
    held.push_back({ i % 2 ? GetWindowDC(w) : GetDC(w), w });
  }
  std::vector<bool> gone(held.size());
  for (size_t i = 0; i < held.size(); i += 2) {
    const size_t k = (i * 37) % held.size();  // a scattered walk
    if (gone[k]) continue;
    ASSERT_EQ(ReleaseDC(held[k].second, held[k].first), 1) << k;
    EXPECT_EQ(ReleaseDC(held[k].second, held[k].first), 0) << k;
    gone[k] = true;
  }
  int left = 0, ofB = 0;
  for (size_t k = 0; k < held.size(); ++k) {
    EXPECT_EQ(WindowFromDC(held[k].first), gone[k] ? nullptr : held[k].second) << k;
    left += gone[k] ? 0 : 1;
    ofB += !gone[k] && held[k].second == b ? 1 : 0;
  }
  ASSERT_GT(ofB, 0);
  ASSERT_LT(ofB, left);
  EXPECT_EQ(GdiCounters().dcs, before + left);
  DestroyWindow(a);
  EXPECT_EQ(GdiCounters().dcs, before + ofB);
  for (size_t k = 0; k < held.size(); ++k)
    if (!gone[k] && held[k].second == b) {
      EXPECT_EQ(WindowFromDC(held[k].first), b) << k;
    }
  DestroyWindow(b);
  EXPECT_EQ(GdiCounters().dcs, before);
}

TEST_F(PaintTest, WindowsWithoutRedrawStylesKeepTheirValidArea) {
  HWND keep = Top(0, 0, 100, 100, WS_POPUP | WS_VISIBLE, 0, "PlainWnd");
  PumpUntilIdle();
  SetWindowPos(keep, nullptr, 0, 0, 150, 100, SWP_NOMOVE | SWP_NOZORDER);
  RECT u;
  ASSERT_TRUE(GetUpdateRect(keep, &u, FALSE));
  EXPECT_EQ(u.left, 100);
  EXPECT_EQ(u.right, 150);
  WNDCLASSA wc {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "RedrawWnd";
  RegisterClassA(&wc);
  HWND redraw =
      CreateWindowExA(0, "RedrawWnd", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  PumpUntilIdle();
  SetWindowPos(redraw, nullptr, 0, 0, 150, 100, SWP_NOMOVE | SWP_NOZORDER);
  ASSERT_TRUE(GetUpdateRect(redraw, &u, FALSE));
  EXPECT_EQ(u.left, 0);
}

// An invalidated region reaches the children it touches, frames included, and no other: a child inside
// its bounds but beside an L-shaped region stays valid, one touched only by its frame gets a frame to paint.
TEST_F(PaintTest, InvalidatingAParentReachesExactlyTheChildrenTheRegionTouches) {
  HWND top = Top(0, 0, 200, 200, WS_POPUP | WS_VISIBLE);
  HWND a = Child(top, 10, 10, 40, 40), b = Child(top, 100, 10, 40, 40), c = Child(top, 100, 100, 40, 40);
  HWND framed = Child(top, 10, 100, 40, 40, WS_CHILD | WS_VISIBLE | WS_BORDER);
  PumpUntilIdle();
  // An L over a and c: its bounds hold b too.
  HRGN l = CreateRectRgn(20, 20, 30, 120);
  HRGN foot = CreateRectRgn(20, 110, 120, 120);
  CombineRgn(l, l, foot, RGN_OR);
  RedrawWindow(top, nullptr, l, RDW_INVALIDATE | RDW_ALLCHILDREN);
  RECT u;
  ASSERT_TRUE(GetUpdateRect(a, &u, FALSE));
  EXPECT_EQ(u.left, 10);
  EXPECT_EQ(u.top, 10);
  EXPECT_EQ(u.right, 20);
  EXPECT_EQ(u.bottom, 40);
  EXPECT_FALSE(GetUpdateRect(b, &u, FALSE));
  ASSERT_TRUE(GetUpdateRect(c, &u, FALSE));
  EXPECT_EQ(u.left, 0);
  EXPECT_EQ(u.top, 10);
  EXPECT_EQ(u.right, 20);
  EXPECT_EQ(u.bottom, 20);
  ASSERT_TRUE(GetUpdateRect(framed, &u, FALSE));  // its client starts one pixel in
  EXPECT_EQ(u.left, 9);
  EXPECT_EQ(u.right, 38);
  PumpUntilIdle();
  // A strip over the frame of `framed` alone: no client to paint, but the frame.
  std::vector<UINT> seen;
  On(framed, WM_NCPAINT, [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    seen.push_back(m);
    return DefWindowProcA(w, m, wp, lp);
  });
  RECT strip { 10, 100, 50, 101 };
  RedrawWindow(top, &strip, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  EXPECT_FALSE(GetUpdateRect(framed, &u, FALSE));
  EXPECT_FALSE(GetUpdateRect(c, &u, FALSE));
  PumpUntilIdle();
  EXPECT_EQ(seen.size(), 1u);
  DeleteObject(l);
  DeleteObject(foot);
}

// A region overlapping a child by one pixel on any side reaches it; one that only touches its edge does not.
TEST_F(PaintTest, ARegionOverlappingAChildByOnePixelReachesIt) {
  HWND top = Top(0, 0, 200, 200, WS_POPUP | WS_VISIBLE);
  HWND c = Child(top, 10, 10, 40, 40);
  const struct {
    RECT region;
    bool reached;
  } cases[] = {
    { { 49, 0, 60, 60 }, true }, { { 50, 0, 60, 60 }, false }, { { 0, 0, 11, 60 }, true }, { { 0, 0, 10, 60 }, false },
    { { 0, 49, 60, 60 }, true }, { { 0, 50, 60, 60 }, false }, { { 0, 0, 60, 11 }, true }, { { 0, 0, 60, 10 }, false },
  };
  for (const auto& k : cases) {
    PumpUntilIdle();
    RedrawWindow(top, &k.region, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    RECT u {};
    EXPECT_EQ(GetUpdateRect(c, &u, FALSE) != FALSE, k.reached)
        << k.region.left << "," << k.region.top << "," << k.region.right << "," << k.region.bottom;
    if (k.reached) {
      EXPECT_EQ((u.right - u.left) * (u.bottom - u.top), 40);  // one row or column of it
    }
  }
}

TEST_F(PaintTest, AChildMovedInsideItsParentIsPaintedWhereItLands) {
  HWND top = Top(0, 0, 200, 200, WS_POPUP | WS_VISIBLE);
  HWND c = Child(top, 10, 10, 40, 40), shrunk = Child(top, 140, 10, 50, 60);
  PaintsWith(top, kBlue);
  PaintsWith(c, kRed);
  PaintsWith(shrunk, kRed);
  PumpUntilIdle();
  ASSERT_EQ(ReadPixel(top, 20, 20), kRed);
  SetWindowPos(c, nullptr, 100, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  // Narrower and shorter: what it leaves is an L of two pieces, both the parent's to paint.
  SetWindowPos(shrunk, nullptr, 0, 0, 30, 20, SWP_NOMOVE | SWP_NOZORDER);
  PumpUntilIdle();
  EXPECT_EQ(ReadPixel(top, 110, 130), kRed);
  EXPECT_EQ(ReadPixel(top, 138, 158), kRed);
  EXPECT_EQ(ReadPixel(top, 20, 20), kBlue);  // what it uncovered
  EXPECT_EQ(ReadPixel(top, 169, 29), kRed);
  EXPECT_EQ(ReadPixel(top, 170, 10), kBlue);
  EXPECT_EQ(ReadPixel(top, 140, 30), kBlue);
}

TEST_F(PaintTest, ScrollWindowMovesPixelsAndInvalidatesTheRest) {
  HWND w = Top(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  On(w, WM_PAINT, [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    HBRUSH b = CreateSolidBrush(kRed);
    RECT top { 0, 0, 100, 10 };
    FillRect(dc, &top, b);
    DeleteObject(b);
    EndPaint(h, &ps);
    return 0;
  });
  PumpUntilIdle();
  ValidateRect(w, nullptr);
  RECT uncovered;
  EXPECT_EQ(ScrollWindowEx(w, 0, 20, nullptr, nullptr, nullptr, &uncovered, SW_INVALIDATE), SIMPLEREGION);
  EXPECT_EQ(ReadPixel(w, 50, 25), kRed);
  EXPECT_EQ(uncovered.top, 0);
  EXPECT_EQ(uncovered.bottom, 20);
  RECT u;
  ASSERT_TRUE(GetUpdateRect(w, &u, FALSE));
  EXPECT_EQ(u.bottom, 20);
}

// ---- Window regions ------------------------------------------------------------------------------------

TEST_F(PaintTest, WindowRegionShapesHitTestingAndTheDesktop) {
  HWND below = Top(0, 0, 300, 300, WS_POPUP | WS_VISIBLE);
  HWND shaped = Top(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  PaintsWith(below, kRed);
  PaintsWith(shaped, kBlue);
  HRGN rgn = CreateRectRgn(0, 0, 50, 50);
  EXPECT_EQ(SetWindowRgn(shaped, rgn, TRUE), 1);
  PumpUntilIdle();
  EXPECT_TRUE(WindowRegionContains(shaped, POINT { 10, 10 }));
  EXPECT_FALSE(WindowRegionContains(shaped, POINT { 70, 70 }));
  EXPECT_EQ(WindowFromPoint(POINT { 10, 10 }), shaped);
  EXPECT_EQ(WindowFromPoint(POINT { 70, 70 }), below);
  EXPECT_EQ(DesktopPixel(10, 10), kBlue);
  EXPECT_EQ(DesktopPixel(70, 70), kRed);
  MessageTrace clicks(below, { WM_LBUTTONDOWN });
  Click(70, 70);
  EXPECT_EQ(clicks.Count(WM_LBUTTONDOWN), 1);
  // GetWindowRgn hands out a copy.
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(shaped, copy), SIMPLEREGION);
  RECT box;
  GetRgnBox(copy, &box);
  EXPECT_EQ(box.right, 50);
  DeleteObject(copy);
}

TEST_F(PaintTest, WindowRegionOwnership) {
  HWND w = Top(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  int objects = GdiCounters().objects;
  HRGN a = CreateRectRgn(0, 0, 50, 50);
  ASSERT_EQ(SetWindowRgn(w, a, TRUE), 1);
  // The window owns it: deleting it is refused and counted.
  int refused = GdiCounters().refusedOwnedRegionDeletes;
  EXPECT_FALSE(DeleteObject(a));
  EXPECT_EQ(GdiCounters().refusedOwnedRegionDeletes, refused + 1);
  // Handing the same region over again changes nothing and frees nothing.
  EXPECT_EQ(SetWindowRgn(w, a, TRUE), 1);
  EXPECT_TRUE(WindowRegionContains(w, POINT { 10, 10 }));
  // Another window cannot take a region that is already owned.
  HWND other = Top(200, 0, 100, 100);
  EXPECT_EQ(SetWindowRgn(other, a, TRUE), 0);
  // Replacing frees the old one; destroying the window frees the new one.
  HRGN b = CreateRectRgn(0, 0, 20, 20);
  EXPECT_EQ(SetWindowRgn(w, b, TRUE), 1);
  EXPECT_EQ(GdiCounters().objects, objects + 1);
  DestroyWindow(w);
  EXPECT_EQ(GdiCounters().objects, objects);
  // A region deleted twice, or one that does not exist, is refused without harm.
  HRGN c = CreateRectRgn(0, 0, 5, 5);
  EXPECT_TRUE(DeleteObject(c));
  EXPECT_FALSE(DeleteObject(c));
  EXPECT_EQ(SetWindowRgn(other, c, TRUE), 0);
  EXPECT_EQ(SetWindowRgn(other, nullptr, TRUE), 1);
}

// ---- Layered windows -----------------------------------------------------------------------------------

TEST_F(PaintTest, LayeredWindowShowsOnlyWithAlphaAndBlends) {
  HWND below = Top(0, 0, 300, 300, WS_POPUP | WS_VISIBLE);
  HWND glass = Top(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  PaintsWith(below, RGB(0, 0, 0));
  PaintsWith(glass, RGB(200, 100, 0));
  PumpUntilIdle();
  EXPECT_EQ(DesktopPixel(10, 10), RGB(200, 100, 0));
  SetWindowLongPtrA(glass, GWL_EXSTYLE, GetWindowLongPtrA(glass, GWL_EXSTYLE) | WS_EX_LAYERED);
  PumpUntilIdle();
  EXPECT_EQ(DesktopPixel(10, 10), RGB(0, 0, 0));  // layered without an alpha: not shown
  EXPECT_FALSE(GetLayeredWindowAttributes(glass, nullptr, nullptr, nullptr));
  ASSERT_TRUE(SetLayeredWindowAttributes(glass, 0, 128, LWA_ALPHA));
  EXPECT_EQ(DesktopPixel(10, 10), RGB(100, 50, 0));  // applies at once
  BYTE alpha = 0;
  EXPECT_TRUE(GetLayeredWindowAttributes(glass, nullptr, &alpha, nullptr));
  EXPECT_EQ(alpha, 128);
  EXPECT_EQ(Info(glass).alpha, 128);
  // Clearing the style keeps the contents and shows them opaque again.
  SetWindowLongPtrA(glass, GWL_EXSTYLE, GetWindowLongPtrA(glass, GWL_EXSTYLE) & ~WS_EX_LAYERED);
  PumpUntilIdle();
  EXPECT_EQ(DesktopPixel(10, 10), RGB(200, 100, 0));
  EXPECT_FALSE(SetLayeredWindowAttributes(glass, 0, 10, LWA_ALPHA));  // not layered any more
}

// The display reads a shown window's pixels where the window manager keeps them. A resize moves them:
// the display must hold its own copy from then until the next present (a read of the old place would
// be a use after free, which the sanitizer build reports).
TEST_F(PaintTest, TheDisplayKeepsWhatItShowedWhenAWindowGrowsBeforeItsNextPresent) {
  HWND w = Top(30, 20, 60, 40, WS_POPUP | WS_VISIBLE);
  PaintsWith(w, kBlue);
  PumpUntilIdle();
  ASSERT_EQ(DesktopPixel(35, 25), kBlue);
  ASSERT_TRUE(SetWindowPos(w, nullptr, 0, 0, 170, 90, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
  // Straight from the display, before any present: what it showed, the new part not drawn yet.
  xj::display::Image desktop = xj::wm::CurrentDisplay()->DesktopPixels();
  EXPECT_EQ(desktop.At(35, 25), 0xFFu);
  EXPECT_EQ(desktop.At(89, 59), 0xFFu);
  PaintsWith(w, kRed);
  PumpUntilIdle();
  EXPECT_EQ(DesktopPixel(199, 109), kRed);
}

// A window that draws nothing shows white; grown, it keeps what it showed and the new part is white.
TEST_F(PaintTest, UndrawnPixelsAreWhiteAndAGrownWindowKeepsItsOwn) {
  WNDCLASSA wc {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "UndrawnWnd";
  RegisterClassA(&wc);
  HWND w =
      CreateWindowExA(0, "UndrawnWnd", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 60, nullptr, nullptr, nullptr, nullptr);
  PumpUntilIdle();
  const COLORREF white = RGB(255, 255, 255);
  for (POINT p : { POINT { 0, 0 }, POINT { 99, 0 }, POINT { 0, 59 }, POINT { 57, 31 }, POINT { 99, 59 } })
    EXPECT_EQ(ReadPixel(w, p.x, p.y), white) << p.x << "," << p.y;
  HDC dc = GetDC(w);
  HBRUSH blue = CreateSolidBrush(kBlue);
  RECT r { 90, 50, 100, 60 };
  FillRect(dc, &r, blue);
  DeleteObject(blue);
  ReleaseDC(w, dc);
  ASSERT_TRUE(SetWindowPos(w, nullptr, 0, 0, 130, 90, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
  PumpUntilIdle();
  EXPECT_EQ(ReadPixel(w, 95, 55), kBlue);
  EXPECT_EQ(ReadPixel(w, 89, 55), white);
  for (POINT p : { POINT { 129, 0 }, POINT { 100, 59 }, POINT { 5, 89 }, POINT { 129, 89 } })
    EXPECT_EQ(ReadPixel(w, p.x, p.y), white) << p.x << "," << p.y;
}

TEST_F(PaintTest, ScreenshotWritesThePng) {
  HWND w = Top(10, 10, 100, 100, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  PaintsWith(w, kGreen);
  PumpUntilIdle();
  std::string path = std::string(XJ_BINARY_DIR) + "/tests/wm_screenshot.png";
  EXPECT_TRUE(Screenshot(path));
  FILE* f = fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  unsigned char sig[8] {};
  EXPECT_EQ(fread(sig, 1, 8, f), 8u);
  fclose(f);
  EXPECT_EQ(sig[1], 'P');
  EXPECT_EQ(sig[2], 'N');
  EXPECT_FALSE(Screenshot("/nonexistent-dir/x.png"));
}

}  // namespace

namespace {

bool PaintPending() {
  MSG m;
  return PeekMessageA(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE) != 0;
}

}  // namespace

TEST_F(PaintTest, WindowsInvalidatedWhilePaintingArePaintedInTheSamePump) {
  HWND top = Top(10, 10, 200, 120);
  HWND left = Child(top, 0, 0, 90, 100), right = Child(top, 100, 0, 90, 100);
  HWND hidden = Child(top, 50, 50, 30, 30, WS_CHILD);
  PumpUntilIdle();
  EXPECT_FALSE(PaintPending());
  int leftPaints = 0;
  // The left child dirties its sibling, a hidden window and (after validating) itself once more.
  On(left, WM_PAINT, [&](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    Paint(h, kRed);
    InvalidateRect(right, nullptr, TRUE);
    InvalidateRect(hidden, nullptr, TRUE);
    if (++leftPaints == 1) InvalidateRect(h, nullptr, FALSE);
    return 0;
  });
  PaintsWith(right, kBlue);
  PaintsWith(hidden, kGreen);
  InvalidateRect(left, nullptr, TRUE);
  EXPECT_TRUE(PaintPending());
  PumpUntilIdle();
  EXPECT_EQ(leftPaints, 2);
  EXPECT_EQ(ReadPixel(right, 3, 7), kBlue);
  EXPECT_EQ(ReadPixel(left, 80, 2), kRed);
  // The hidden window stays invalid without asking for paint, until it is shown.
  EXPECT_FALSE(PaintPending());
  RECT u;
  EXPECT_TRUE(GetUpdateRect(hidden, &u, FALSE));
  ShowWindow(hidden, SW_SHOWNA);
  EXPECT_TRUE(PaintPending());
  PumpUntilIdle();
  EXPECT_FALSE(PaintPending());
  EXPECT_EQ(ReadPixel(hidden, 29, 1), kGreen);
}

TEST_F(PaintTest, WindowsDestroyedWhileInvalidLeaveNothingToPaint) {
  HWND top = Top(10, 10, 200, 120);
  HWND a = Child(top, 0, 0, 90, 100), b = Child(top, 100, 0, 90, 100);
  PumpUntilIdle();
  // One window destroys itself in its own WM_PAINT, the other is destroyed while invalid.
  On(a, WM_PAINT, [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    DestroyWindow(h);
    return 0;
  });
  InvalidateRect(a, nullptr, TRUE);
  InvalidateRect(b, nullptr, TRUE);
  RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
  DestroyWindow(b);
  EXPECT_TRUE(PaintPending());
  PumpUntilIdle();
  EXPECT_FALSE(IsWindow(a));
  EXPECT_FALSE(PaintPending());
  // Minimised and hidden top-level windows ask for nothing either.
  HWND other = Top(300, 10, 50, 50);
  PumpUntilIdle();
  ShowWindow(top, SW_HIDE);
  ShowWindow(other, SW_MINIMIZE);
  InvalidateRect(top, nullptr, TRUE);
  InvalidateRect(other, nullptr, TRUE);
  EXPECT_FALSE(PaintPending());
  EXPECT_EQ(GetQueueStatus(QS_PAINT) & QS_PAINT, 0u);
}

TEST_F(PaintTest, AWindowWhosePaintRaisesBeforeBeginPaintIsValidatedAllTheSame) {
  HWND w = Top(10, 10, 100, 100);
  PumpUntilIdle();
  int paints = 0, frames = 0;
  On(w, WM_PAINT, [&](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    ++paints;
    throw std::runtime_error("cannot paint");
  });
  On(w, WM_NCPAINT, [&](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    ++frames;
    return DefWindowProcA(h, m, wp, lp);
  });
  // From the queue, and painted at once: each raises once, and leaves nothing to paint, frame included.
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
  MSG m {};
  ASSERT_TRUE(PeekMessageA(&m, w, WM_PAINT, WM_PAINT, PM_REMOVE));
  EXPECT_THROW(DispatchMessageA(&m), std::runtime_error);
  RECT u {};
  EXPECT_FALSE(GetUpdateRect(w, &u, FALSE));
  EXPECT_FALSE(PeekMessageA(&m, w, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  EXPECT_EQ(frames, 1);
  InvalidateRect(w, nullptr, TRUE);
  EXPECT_THROW(UpdateWindow(w), std::runtime_error);
  EXPECT_FALSE(GetUpdateRect(w, &u, FALSE));
  EXPECT_FALSE(PaintPending());
  EXPECT_EQ(paints, 2);
}

// A rectangle or a region laid over a framed child: its frame is painted exactly when the area crosses
// the client's edge, and its client receives exactly the part inside.
TEST_F(PaintTest, AnAreaOverAFramedChildReachesItsFrameExactlyWhenItCrossesTheClientEdge) {
  HWND top = Top(0, 0, 200, 200, WS_POPUP | WS_VISIBLE);
  HWND framed = Child(top, 20, 30, 60, 40, WS_CHILD | WS_VISIBLE | WS_BORDER);  // client 21,31 .. 79,69
  int frames = 0;
  On(framed, WM_NCPAINT, [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    ++frames;
    return DefWindowProcA(w, m, wp, lp);
  });
  const struct {
    RECT area;
    bool frame;
    RECT update;  // client coordinates; empty: nothing
  } cases[] = {
    { { 21, 31, 79, 69 }, false, { 0, 0, 58, 38 } },
    { { 20, 31, 79, 69 }, true, { 0, 0, 58, 38 } },
    { { 21, 30, 79, 69 }, true, { 0, 0, 58, 38 } },
    { { 21, 31, 80, 69 }, true, { 0, 0, 58, 38 } },
    { { 21, 31, 79, 70 }, true, { 0, 0, 58, 38 } },
    { { 30, 40, 31, 41 }, false, { 9, 9, 10, 10 } },
    { { 0, 69, 200, 70 }, true, {} },
  };
  for (bool asRegion : { false, true }) {
    for (const auto& k : cases) {
      PumpUntilIdle();
      frames = 0;
      HRGN rgn = nullptr;
      if (asRegion) {  // the same area as two bands, plus a far corner that touches nothing
        rgn = CreateRectRgn(k.area.left, k.area.top, k.area.right, k.area.top + 1);
        HRGN rest = CreateRectRgn(k.area.left, k.area.top + 1, k.area.right, k.area.bottom);
        HRGN corner = CreateRectRgn(190, 190, 200, 200);
        CombineRgn(rgn, rgn, rest, RGN_OR);
        CombineRgn(rgn, rgn, corner, RGN_OR);
        DeleteObject(rest);
        DeleteObject(corner);
      }
      RedrawWindow(top, asRegion ? nullptr : &k.area, rgn, RDW_INVALIDATE | RDW_ALLCHILDREN);
      if (rgn) DeleteObject(rgn);
      RECT u {};
      GetUpdateRect(framed, &u, FALSE);
      const std::string at = std::to_string(k.area.left) + "," + std::to_string(k.area.top) + "," +
                             std::to_string(k.area.right) + "," + std::to_string(k.area.bottom) +
                             (asRegion ? " as a region" : " as a rectangle");
      EXPECT_TRUE(u.left == k.update.left && u.top == k.update.top && u.right == k.update.right &&
                  u.bottom == k.update.bottom)
          << at << ": " << u.left << "," << u.top << "," << u.right << "," << u.bottom;
      PumpUntilIdle();
      EXPECT_EQ(frames, k.frame ? 1 : 0) << at;
    }
  }
}

// A search for paint limited to one window leaves the others' paint pending, and a hidden window
// whose paint is pending is painted once it shows, however it comes to show.
TEST_F(PaintTest, PendingPaintIsFoundAfterALimitedSearchAndWhenAHiddenWindowShowsInACleanParent) {
  HWND shown = Top(0, 0, 200, 200, WS_POPUP | WS_VISIBLE);
  HWND other = Top(0, 250, 50, 50, WS_POPUP | WS_VISIBLE);
  HWND hiddenTop = Top(300, 0, 100, 100, WS_POPUP);
  HWND a = Child(shown, 0, 0, 50, 50), b = Child(shown, 60, 0, 50, 50);
  HWND mover = Child(hiddenTop, 0, 0, 30, 30, WS_CHILD);
  HWND byStyle = Child(shown, 0, 100, 30, 30, WS_CHILD), byShow = Child(shown, 100, 100, 30, 30, WS_CHILD);
  std::map<HWND, int> paints;
  CountsPaints(paints, { a, b, mover, other, byStyle, byShow });
  PumpUntilIdle();
  paints.clear();

  InvalidateRect(a, nullptr, TRUE);
  InvalidateRect(b, nullptr, TRUE);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, a, WM_PAINT, WM_PAINT, PM_REMOVE));
  DispatchMessageA(&m);
  EXPECT_FALSE(PeekMessageA(&m, a, WM_PAINT, WM_PAINT, PM_REMOVE));
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));
  EXPECT_EQ(m.hwnd, b);
  DispatchMessageA(&m);

  // An invalid hidden window, looked past by a search that finds nothing for `a`, then shown without
  // any of `shown` being made invalid: moved in and shown, given the visible style alone, and shown
  // where it is.
  for (HWND hidden : { mover, byStyle, byShow }) {
    InvalidateRect(hidden, nullptr, TRUE);
    InvalidateRect(other, nullptr, TRUE);
    EXPECT_FALSE(PeekMessageA(&m, a, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    if (hidden == mover) SetParent(mover, shown);
    if (hidden == byStyle)
      SetWindowLongA(byStyle, GWL_STYLE, GetWindowLongA(byStyle, GWL_STYLE) | WS_VISIBLE);
    else
      ShowWindow(hidden, SW_SHOWNA);
    PumpUntilIdle();
    EXPECT_EQ(paints[hidden], 1);
    EXPECT_EQ(ReadPixel(hidden, 29, 29), kRed);
  }
  EXPECT_EQ((std::map<HWND, int> { { a, 1 }, { b, 1 }, { mover, 1 }, { other, 3 }, { byStyle, 1 }, { byShow, 1 } }),
            paints);
}

// A window's DC passes by its siblings when they lie apart, as found once per geometry epoch; each change
// that lets one above reach into it, by a single pixel, is seen: a move, a show, losing the transparent
// style.
TEST_F(PaintTest, ASiblingThatComesToCoverAPixelOfAWindowIsCutOutOfItsNextDc) {
  enum Change { Move, Show, Opaque };
  for (Change change : { Move, Show, Opaque }) {
    HWND top = Top(0, 0, 300, 200, WS_POPUP | WS_VISIBLE);
    HWND low = Child(top, 0, 0, 50, 50);
    const DWORD style = change == Show ? WS_CHILD : WS_CHILD | WS_VISIBLE;
    const int at = change == Move ? 100 : 49;
    HWND high = Child(top, at, at, 50, 50, style, change == Opaque ? WS_EX_TRANSPARENT : 0);
    PaintsWith(low, kBlue);
    PaintsWith(high, kGreen);
    PumpUntilIdle();
    auto dcs = [&] {  // enough for the parent to find out whether its children lie apart
      for (int i = 0; i < 5; ++i) ReleaseDC(low, GetDC(low));
    };
    dcs();
    switch (change) {
      case Move:
        SetWindowPos(high, nullptr, 49, 49, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
      case Show:
        ShowWindow(high, SW_SHOWNA);
        break;
      case Opaque:
        SetWindowLongA(high, GWL_EXSTYLE, 0);
        InvalidateRect(high, nullptr, TRUE);
        break;
    }
    PumpUntilIdle();
    dcs();
    HDC dc = GetDC(low);
    Fill(dc, kRed);
    ReleaseDC(low, dc);
    EXPECT_EQ(ReadPixel(top, 49, 49), kGreen) << change;
    EXPECT_EQ(ReadPixel(top, 48, 49), kRed) << change;
    EXPECT_EQ(ReadPixel(top, 49, 48), kRed) << change;
    DestroyWindow(top);
  }
}
