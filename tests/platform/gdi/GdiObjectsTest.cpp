// Object lifetime, selection, saved states and bad handles.

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/WinBase.h"

#include "platform/win32/GdiInternal.h"
#include "tests/platform/gdi/GdiTestUtil.h"

using gditest::Canvas;

namespace {

HGDIOBJ Garbage() { return reinterpret_cast<HGDIOBJ>(uintptr_t(0xDEAD0)); }

TEST(GdiObjects, StockObjectsAreSharedAndNeverDeleted) {
  for (int i : { WHITE_BRUSH, LTGRAY_BRUSH, GRAY_BRUSH, DKGRAY_BRUSH, BLACK_BRUSH, NULL_BRUSH, WHITE_PEN, BLACK_PEN,
                 NULL_PEN, ANSI_FIXED_FONT, ANSI_VAR_FONT, SYSTEM_FONT, DEFAULT_GUI_FONT }) {
    HGDIOBJ h = GetStockObject(i);
    ASSERT_NE(h, nullptr) << i;
    EXPECT_EQ(h, GetStockObject(i));
    EXPECT_TRUE(DeleteObject(h));
    EXPECT_NE(GetObjectType(h), 0u) << "stock object " << i << " must survive DeleteObject";
  }
  EXPECT_EQ(GetStockObject(9), nullptr);
  EXPECT_EQ(GetStockObject(-1), nullptr);
  LOGBRUSH lb {};
  ASSERT_EQ(GetObject(GetStockObject(LTGRAY_BRUSH), sizeof lb, &lb), int(sizeof lb));
  EXPECT_EQ(lb.lbColor, RGB(192, 192, 192));
  EXPECT_EQ(lb.lbStyle, UINT(BS_SOLID));
}

TEST(GdiObjects, CountersFollowCreationAndDeletion) {
  auto before = xj::gdi::GetCounters();
  HPEN pen = CreatePen(PS_SOLID, 1, 0);
  HBRUSH brush = CreateSolidBrush(0);
  HRGN rgn = CreateRectRgn(0, 0, 1, 1);
  HDC dc = CreateCompatibleDC(nullptr);
  auto during = xj::gdi::GetCounters();
  EXPECT_EQ(during.Objects, before.Objects + 3);
  EXPECT_EQ(during.DCs, before.DCs + 1);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_TRUE(DeleteObject(rgn));
  EXPECT_TRUE(DeleteDC(dc));
  auto after = xj::gdi::GetCounters();
  EXPECT_EQ(after.Objects, before.Objects);
  EXPECT_EQ(after.DCs, before.DCs);
}

// Thousands of objects freed in a scattered order, as a long paint leaves them: every survivor is still
// found with its own colour, every freed handle is gone for good, and the counters balance.
TEST(GdiObjects, HandlesFreedInAnyOrderLeaveTheOthersIntact) {
  const auto before = xj::gdi::GetCounters();
  std::vector<HBRUSH> brushes;
  for (int i = 0; i < 5000; ++i) brushes.push_back(CreateSolidBrush(COLORREF(i)));
  std::vector<bool> alive(brushes.size(), true);
  for (size_t i = 0; i < brushes.size(); i += 3) {
    const size_t k = (i * 7919) % brushes.size();  // a scattered walk
    if (!alive[k]) continue;
    ASSERT_TRUE(DeleteObject(brushes[k]));
    alive[k] = false;
  }
  for (size_t k = 0; k < brushes.size(); ++k) {
    if (!alive[k]) {
      EXPECT_EQ(GetObjectType(brushes[k]), 0u) << k;
      continue;
    }
    LOGBRUSH lb {};
    ASSERT_EQ(GetObject(brushes[k], sizeof lb, &lb), int(sizeof lb)) << k;
    EXPECT_EQ(lb.lbColor, COLORREF(k));
  }
  for (size_t k = 0; k < brushes.size(); ++k)
    if (alive[k]) {
      EXPECT_TRUE(DeleteObject(brushes[k]));
    }
  EXPECT_EQ(xj::gdi::GetCounters().Objects, before.Objects);
}

TEST(GdiObjects, DeletingASelectedObjectIsRefusedUntilDeselected) {
  Canvas c(4, 4);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HBRUSH brush = CreateSolidBrush(RGB(0, 255, 0));
  HGDIOBJ oldPen = SelectObject(c.dc(), pen);
  HGDIOBJ oldBrush = SelectObject(c.dc(), brush);
  EXPECT_EQ(oldPen, GetStockObject(BLACK_PEN));
  EXPECT_EQ(oldBrush, GetStockObject(WHITE_BRUSH));
  int refused = xj::gdi::GetCounters().RefusedDeletes;
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(brush));
  EXPECT_FALSE(DeleteObject(c.bitmap()));
  EXPECT_EQ(xj::gdi::GetCounters().RefusedDeletes, refused + 3);
  // Still usable after the refused deletion.
  EXPECT_TRUE(Rectangle(c.dc(), 0, 0, 3, 3));
  EXPECT_EQ(c.At(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(c.At(1, 1), RGB(0, 255, 0));
  EXPECT_EQ(SelectObject(c.dc(), oldPen), pen);
  EXPECT_EQ(SelectObject(c.dc(), oldBrush), brush);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_TRUE(DeleteObject(brush));
}

TEST(GdiObjects, BadHandlesFailWithoutHarm) {
  Canvas c(2, 2);
  EXPECT_FALSE(DeleteObject(nullptr));
  EXPECT_FALSE(DeleteObject(Garbage()));
  EXPECT_EQ(SelectObject(c.dc(), Garbage()), nullptr);
  EXPECT_EQ(SelectObject(c.dc(), nullptr), nullptr);
  EXPECT_EQ(SelectObject(reinterpret_cast<HDC>(Garbage()), GetStockObject(BLACK_PEN)), nullptr);
  EXPECT_EQ(GetObject(Garbage(), 0, nullptr), 0);
  EXPECT_EQ(GetObjectType(Garbage()), 0u);
  EXPECT_FALSE(DeleteDC(nullptr));
  EXPECT_FALSE(Rectangle(nullptr, 0, 0, 1, 1));
  EXPECT_FALSE(LineTo(reinterpret_cast<HDC>(Garbage()), 1, 1));
  EXPECT_FALSE(BitBlt(c.dc(), 0, 0, 1, 1, reinterpret_cast<HDC>(Garbage()), 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(nullptr, 0, 0), CLR_INVALID);
  EXPECT_EQ(SetBkColor(nullptr, 0), CLR_INVALID);
  // A deleted handle is as bad as garbage.
  HPEN pen = CreatePen(PS_SOLID, 1, 0);
  ASSERT_TRUE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_EQ(SelectObject(c.dc(), pen), nullptr);
  // A DC is not deleted by DeleteObject.
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_FALSE(DeleteObject(dc));
  EXPECT_EQ(GetObjectType(dc), DWORD(OBJ_MEMDC));
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
  // Also when this thread has just used it and another thread deletes it.
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  ASSERT_EQ(GetObjectType(brush), DWORD(OBJ_BRUSH));
  std::thread([brush] { EXPECT_TRUE(DeleteObject(brush)); }).join();
  EXPECT_EQ(GetObjectType(brush), 0u);
  EXPECT_EQ(SelectObject(c.dc(), brush), nullptr);
  // And when another thread has used it too and this one deletes it.
  HBRUSH shared = CreateSolidBrush(RGB(4, 5, 6));
  ASSERT_EQ(GetObjectType(shared), DWORD(OBJ_BRUSH));
  std::thread([shared] { EXPECT_EQ(GetObjectType(shared), DWORD(OBJ_BRUSH)); }).join();
  ASSERT_TRUE(DeleteObject(shared));
  std::thread([shared] { EXPECT_EQ(GetObjectType(shared), 0u); }).join();
  EXPECT_EQ(GetObjectType(shared), 0u);
}

TEST(GdiObjects, ABitmapLivesInOneDCAtATime) {
  HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 4, 4);
  HGDIOBJ oldA = SelectObject(a, bmp);
  ASSERT_NE(oldA, nullptr);
  EXPECT_EQ(SelectObject(b, bmp), nullptr);
  // Deleting the DC releases the bitmap.
  EXPECT_TRUE(DeleteDC(a));
  EXPECT_NE(SelectObject(b, bmp), nullptr);
  EXPECT_FALSE(DeleteObject(bmp));
  EXPECT_TRUE(DeleteDC(b));
  EXPECT_TRUE(DeleteObject(bmp));
  EXPECT_TRUE(DeleteDC(screen));
}

TEST(GdiObjects, GetObjectDescribesPensBrushesFontsAndBitmaps) {
  HPEN pen = CreatePen(PS_DOT, 1, RGB(1, 2, 3));
  LOGPEN lp {};
  EXPECT_EQ(GetObject(pen, 0, nullptr), int(sizeof(LOGPEN)));
  ASSERT_EQ(GetObject(pen, sizeof lp, &lp), int(sizeof lp));
  EXPECT_EQ(lp.lopnStyle, UINT(PS_DOT));
  EXPECT_EQ(lp.lopnWidth.x, 1);
  EXPECT_EQ(lp.lopnColor, RGB(1, 2, 3));
  // A wide pen is drawn solid whatever its style.
  HPEN wide = CreatePen(PS_DASH, 3, 0);
  ASSERT_EQ(GetObject(wide, sizeof lp, &lp), int(sizeof lp));
  EXPECT_EQ(lp.lopnStyle, UINT(PS_SOLID));
  HBRUSH hatch = CreateHatchBrush(HS_CROSS, RGB(9, 8, 7));
  LOGBRUSH lb {};
  ASSERT_EQ(GetObject(hatch, sizeof lb, &lb), int(sizeof lb));
  EXPECT_EQ(lb.lbStyle, UINT(BS_HATCHED));
  EXPECT_EQ(lb.lbHatch, ULONG_PTR(HS_CROSS));
  HBITMAP mono = CreateBitmap(17, 3, 1, 1, nullptr);
  BITMAP bm {};
  ASSERT_EQ(GetObject(mono, sizeof bm, &bm), int(sizeof bm));
  EXPECT_EQ(bm.bmWidth, 17);
  EXPECT_EQ(bm.bmHeight, 3);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(bm.bmWidthBytes, 4);  // device bitmaps pad rows to 16 bits
  EXPECT_EQ(bm.bmBits, nullptr);
  LOGFONTA lf {};
  lf.lfHeight = -13;
  std::strcpy(lf.lfFaceName, "Arial");
  HFONT font = CreateFontIndirectA(&lf);
  LOGFONTA back {};
  ASSERT_EQ(GetObject(font, sizeof back, &back), int(sizeof back));
  EXPECT_EQ(back.lfHeight, -13);
  EXPECT_STREQ(back.lfFaceName, "Arial");
  for (HGDIOBJ h : std::initializer_list<HGDIOBJ> { pen, wide, hatch, mono, font }) EXPECT_TRUE(DeleteObject(h));
}

TEST(GdiObjects, InvalidCreationArgumentsFail) {
  EXPECT_EQ(CreatePen(42, 1, 0), nullptr);
  EXPECT_EQ(CreateHatchBrush(6, 0), nullptr);
  EXPECT_EQ(CreatePatternBrush(nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(4, 4, 2, 1, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(4, 4, 1, 7, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(-1, 4, 1, 1, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(100000, 100000, 1, 32, nullptr), nullptr);
  EXPECT_EQ(CreateDCA("PRINTER", nullptr, nullptr, nullptr), nullptr);
  // Zero sizes give the shared 1 × 1 monochrome bitmap, never an error or a crash.
  HBITMAP zero = CreateBitmap(0, 0, 1, 32, nullptr);
  ASSERT_NE(zero, nullptr);
  BITMAP bm {};
  GetObject(zero, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 1);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_TRUE(DeleteObject(zero));
  EXPECT_NE(GetObjectType(zero), 0u);
}

TEST(GdiDC, OriginsAndMappedPointsStopAtTheEndsOfTheIntRange) {
  Canvas c(10, 10);
  HDC dc = c.dc();
  OffsetViewportOrgEx(dc, INT_MAX, INT_MIN, nullptr);
  OffsetViewportOrgEx(dc, INT_MAX, INT_MIN, nullptr);
  POINT org {};
  GetViewportOrgEx(dc, &org);
  EXPECT_EQ(org.x, INT_MAX);
  EXPECT_EQ(org.y, INT_MIN);
  SetViewportOrgEx(dc, 10, -10, nullptr);
  POINT pts[] = { { INT_MAX, INT_MIN }, { 5, 5 } };
  LPtoDP(dc, pts, 2);
  EXPECT_EQ(pts[0].x, INT_MAX);
  EXPECT_EQ(pts[0].y, INT_MIN);
  EXPECT_EQ(pts[1].x, 15);
  EXPECT_EQ(pts[1].y, -5);
  POINT back[] = { { INT_MIN, INT_MAX } };
  DPtoLP(dc, back, 1);
  EXPECT_EQ(back[0].x, INT_MIN);
  EXPECT_EQ(back[0].y, INT_MAX);
  // Drawing far past the surface draws nothing and disturbs nothing.
  RECT far { INT_MAX - 5, INT_MAX - 5, INT_MAX, INT_MAX };
  FillRect(dc, &far, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(GetPixel(dc, 0, 0), GetPixel(dc, 9, 9));
}

// A DC let go releases whatever it or its saved states hold, stock or not, in every slot; a stock object
// of another kind than the slot's own is no exception.
TEST(GdiObjects, DeletingADCReleasesWhatItAndItsSavedStatesHold) {
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  struct Case {
    const char* name;
    std::function<HGDIOBJ()> make;
  };
  const Case cases[] = {
    { "pen", [] { return HGDIOBJ(CreatePen(PS_SOLID, 3, RGB(1, 2, 3))); } },
    { "brush", [] { return HGDIOBJ(CreateSolidBrush(RGB(4, 5, 6))); } },
    { "font", [] { return HGDIOBJ(CreateFontA(-13, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial")); } },
    { "bitmap", [screen] { return HGDIOBJ(CreateCompatibleBitmap(screen, 3, 2)); } },
  };
  for (const Case& c : cases) {
    for (bool saved : { false, true }) {
      SCOPED_TRACE(std::string(c.name) + (saved ? " in a saved state" : " in the current state"));
      HGDIOBJ obj = c.make();
      ASSERT_NE(obj, nullptr);
      HDC dc = CreateCompatibleDC(nullptr);
      HGDIOBJ stock = SelectObject(dc, obj);
      ASSERT_NE(stock, nullptr);
      if (saved) {
        ASSERT_EQ(SaveDC(dc), 1);
        SelectObject(dc, stock);
        SelectObject(dc, GetStockObject(NULL_PEN));  // a stock object where a stock one was
      }
      EXPECT_FALSE(DeleteObject(obj));
      ASSERT_TRUE(DeleteDC(dc));
      HDC next = CreateCompatibleDC(nullptr);  // a bitmap may live in the next DC
      EXPECT_NE(SelectObject(next, obj), nullptr);
      ASSERT_TRUE(DeleteDC(next));
      EXPECT_TRUE(DeleteObject(obj));
    }
  }
  EXPECT_TRUE(DeleteDC(screen));
}

TEST(GdiDC, SaveAndRestoreBringBackTheWholeState) {
  Canvas c(10, 10);
  HDC dc = c.dc();
  HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  SetBkColor(dc, RGB(1, 1, 1));
  SetTextColor(dc, RGB(2, 2, 2));
  SetBkMode(dc, TRANSPARENT);
  SetViewportOrgEx(dc, 3, 4, nullptr);
  int level = SaveDC(dc);
  EXPECT_EQ(level, 1);
  SelectObject(dc, red);
  SetBkColor(dc, RGB(9, 9, 9));
  SetTextColor(dc, RGB(8, 8, 8));
  SetBkMode(dc, OPAQUE);
  SetROP2(dc, R2_XORPEN);
  SetViewportOrgEx(dc, 0, 0, nullptr);
  IntersectClipRect(dc, 0, 0, 2, 2);
  EXPECT_EQ(SaveDC(dc), 2);
  SetBkColor(dc, RGB(7, 7, 7));
  // The pen is held by a saved state: deleting it is refused.
  SelectObject(dc, GetStockObject(BLACK_PEN));
  EXPECT_FALSE(DeleteObject(red));
  EXPECT_TRUE(RestoreDC(dc, -1));
  EXPECT_EQ(GetBkColor(dc), RGB(9, 9, 9));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), red);
  EXPECT_TRUE(RestoreDC(dc, level));
  EXPECT_EQ(GetBkColor(dc), RGB(1, 1, 1));
  EXPECT_EQ(GetTextColor(dc), RGB(2, 2, 2));
  EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
  EXPECT_EQ(GetROP2(dc), R2_COPYPEN);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  POINT org {};
  GetViewportOrgEx(dc, &org);
  EXPECT_EQ(org.x, 3);
  EXPECT_EQ(org.y, 4);
  RECT box {};
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  EXPECT_EQ(box.left, -3);
  EXPECT_EQ(box.right, 7);
  EXPECT_TRUE(DeleteObject(red));
  EXPECT_FALSE(RestoreDC(dc, 1));
  EXPECT_FALSE(RestoreDC(dc, -1));
}

TEST(GdiDC, ViewportAndWindowOriginsMoveDrawing) {
  Canvas c(8, 8);
  HDC dc = c.dc();
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  SetViewportOrgEx(dc, 2, 1, nullptr);
  SetWindowOrgEx(dc, 1, 0, nullptr);
  RECT r { 1, 1, 3, 2 };
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  // Logical (1, 1) lands at 1 - 1 + 2 = 2, 1 + 1 = 2.
  EXPECT_EQ(c.Map(0), gditest::Rows({ "........", "........", "..##....", "........", "........", "........",
                                      "........", "........" }));
  POINT p { 1, 1 };
  LPtoDP(dc, &p, 1);
  EXPECT_EQ(p.x, 2);
  EXPECT_EQ(p.y, 2);
  DPtoLP(dc, &p, 1);
  EXPECT_EQ(p.x, 1);
  EXPECT_EQ(p.y, 1);
  OffsetViewportOrgEx(dc, -2, -1, nullptr);
  OffsetWindowOrgEx(dc, -1, 0, nullptr);
  EXPECT_EQ(GetPixel(dc, 2, 2), RGB(0, 0, 0));
}

TEST(GdiDC, ClippingNarrowsEveryOperation) {
  Canvas c(8, 4);
  HDC dc = c.dc();
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  IntersectClipRect(dc, 1, 0, 7, 4);
  ExcludeClipRect(dc, 3, 1, 5, 3);
  RECT all { 0, 0, 8, 4 };
  FillRect(dc, &all, black);
  EXPECT_EQ(c.Map(0), gditest::Rows({ ".######.", ".##..##.", ".##..##.", ".######." }));
  RECT box {};
  EXPECT_EQ(GetClipBox(dc, &box), COMPLEXREGION);
  EXPECT_EQ(box.left, 1);
  EXPECT_EQ(box.right, 7);
  EXPECT_FALSE(PtVisible(dc, 3, 1));
  EXPECT_TRUE(PtVisible(dc, 2, 1));
  EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);  // outside the clip
  // Selecting no region removes the clip; a region is copied, not owned.
  HRGN rgn = CreateRectRgn(0, 0, 1, 1);
  EXPECT_EQ(SelectClipRgn(dc, rgn), SIMPLEREGION);
  EXPECT_TRUE(DeleteObject(rgn));
  c.Fill(RGB(255, 255, 255));
  FillRect(dc, &all, black);
  EXPECT_EQ(c.Count(0), 1);
  EXPECT_EQ(SelectClipRgn(dc, nullptr), SIMPLEREGION);
  FillRect(dc, &all, black);
  EXPECT_EQ(c.Count(0), 32);
  // The clip region is in device coordinates: the viewport does not move it.
  HRGN left = CreateRectRgn(0, 0, 2, 4);
  SelectClipRgn(dc, left);
  SetViewportOrgEx(dc, 4, 0, nullptr);
  c.Fill(RGB(255, 255, 255));
  RECT logical { -4, 0, 4, 4 };
  FillRect(dc, &logical, black);
  EXPECT_EQ(c.Map(0), gditest::Rows({ "##......", "##......", "##......", "##......" }));
  DeleteObject(left);
}

TEST(GdiDC, ModeSettersValidateAndReturnThePreviousValue) {
  Canvas c(1, 1);
  HDC dc = c.dc();
  EXPECT_EQ(SetROP2(dc, R2_XORPEN), R2_COPYPEN);
  EXPECT_EQ(SetROP2(dc, 0), 0);
  EXPECT_EQ(SetROP2(dc, 17), 0);
  EXPECT_EQ(GetROP2(dc), R2_XORPEN);
  EXPECT_EQ(SetBkMode(dc, 3), 0);
  EXPECT_EQ(SetStretchBltMode(dc, HALFTONE), BLACKONWHITE);
  EXPECT_EQ(GetStretchBltMode(dc), HALFTONE);
  EXPECT_EQ(SetTextAlign(dc, TA_BASELINE | TA_CENTER), UINT(TA_LEFT | TA_TOP));
  EXPECT_EQ(GetTextAlign(dc), UINT(TA_BASELINE | TA_CENTER));
  POINT old {};
  EXPECT_TRUE(SetBrushOrgEx(dc, 3, 5, &old));
  EXPECT_EQ(old.x, 0);
  GetBrushOrgEx(dc, &old);
  EXPECT_EQ(old.y, 5);
}

}  // namespace

namespace {

TEST(GdiObjects, FailuresSetTheLastError) {
  Canvas c(2, 2);
  HDC other = CreateCompatibleDC(nullptr);
  struct Case {
    const char* what;
    std::function<bool()> call;
    DWORD error;
  } cases[] = {
    { "delete garbage", [] { return !DeleteObject(Garbage()); }, EBADF },
    { "select into a bad DC", [] { return !SelectObject(nullptr, GetStockObject(BLACK_PEN)); }, EBADF },
    { "bitmap already selected", [&] { return !SelectObject(other, c.bitmap()); }, EBUSY },
    { "delete a selected bitmap", [&] { return !DeleteObject(c.bitmap()); }, EBUSY },
    { "absurd bitmap", [] { return !CreateBitmap(60000, 60000, 1, 32, nullptr); }, ENOMEM },
    { "bad pen style", [] { return !CreatePen(9, 1, 0); }, EINVAL },
    { "restore past the stack", [&] { return !RestoreDC(c.dc(), 5); }, EINVAL },
  };
  for (const Case& cs : cases) {
    SetLastError(0);
    EXPECT_TRUE(cs.call()) << cs.what;
    EXPECT_EQ(GetLastError(), cs.error) << cs.what;
  }
  DeleteDC(other);
}

}  // namespace

namespace {

// A window surface as the window layer will provide it.
struct FakeWindow : xj::gdi::DCTarget {
  std::vector<uint32_t> pixels = std::vector<uint32_t>(10 * 6, 0xFFFFFF);
  std::vector<RECT> damage;
  xj::gdi::Surface TargetSurface() override { return xj::gdi::Surface { pixels.data(), 10, 6, 10 }; }
  void Damaged(const RECT& rc) override { damage.push_back(rc); }
  std::string Map() const {
    std::string s;
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 10; ++x) s += pixels[size_t(y * 10 + x)] == 0 ? '#' : '.';
      s += '\n';
    }
    return s;
  }
};

TEST(GdiDC, ATargetDCDrawsAtItsOriginInsideItsVisibleRegion) {
  FakeWindow w;
  // The client area starts at (2, 1) of the window surface; a sibling covers its device x ≥ 5.
  HRGN visible = CreateRectRgn(0, 0, 5, 4);
  HDC dc = xj::gdi::CreateTargetDC(&w, POINT { 2, 1 }, visible, &w);
  DeleteObject(visible);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetObjectType(dc), DWORD(OBJ_DC));
  RECT all { -5, -5, 20, 20 };
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(w.Map(),
            gditest::Rows({ "..........", "..#####...", "..#####...", "..#####...", "..#####...", ".........." }));
  ASSERT_EQ(w.damage.size(), 1u);
  EXPECT_EQ(w.damage[0].left, 2);
  EXPECT_EQ(w.damage[0].bottom, 5);
  RECT box {};
  GetClipBox(dc, &box);
  EXPECT_EQ(box.right, 5);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));
  // Bitmaps cannot be selected into a window DC.
  HBITMAP bmp = CreateBitmap(2, 2, 1, 32, nullptr);
  EXPECT_EQ(SelectObject(dc, bmp), nullptr);
  DeleteObject(bmp);
  // Moved and uncovered.
  std::fill(w.pixels.begin(), w.pixels.end(), 0xFFFFFFu);
  EXPECT_TRUE(xj::gdi::SetTargetDCGeometry(dc, POINT { 0, 0 }, nullptr));
  RECT one { 9, 5, 10, 6 };
  FillRect(dc, &one, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(w.pixels[59], 0u);
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_EQ(xj::gdi::CreateTargetDC(nullptr, POINT {}, nullptr, nullptr), nullptr);
}

}  // namespace

namespace {

// A region from boxes (none: empty).
HRGN Boxes(const std::vector<RECT>& boxes) {
  HRGN r = CreateRectRgn(0, 0, 0, 0);
  for (const RECT& b : boxes) {
    HRGN one = CreateRectRgnIndirect(&b);
    CombineRgn(r, r, one, RGN_OR);
    DeleteObject(one);
  }
  return r;
}

}  // namespace

// A target DC paints where its visible region and its clip both allow, at its origin, whether each of the
// two is one rectangle, none or several: every combination against the two regions' own answer per pixel.
TEST(GdiDC, VisibleAndClipRegionsOfEveryShapeCutPaintingAlike) {
  const std::vector<std::vector<RECT>> shapes = { { RECT { -1, 0, 6, 4 } },
                                                  {},
                                                  { RECT { 0, 0, 2, 5 }, RECT { 4, 1, 9, 3 } },
                                                  { RECT { 1, -2, 7, 2 } },
                                                  { RECT { 1, -1, 3, 6 }, RECT { 5, 0, 6, 5 } } };
  for (size_t v = 0; v < shapes.size(); ++v)
    for (size_t c = 0; c <= shapes.size(); ++c) {  // the last: no clip
      FakeWindow w;
      HRGN visible = Boxes(shapes[v]);
      HDC dc = xj::gdi::CreateTargetDC(&w, POINT { 3, 2 }, visible, &w);
      HRGN clip = c < shapes.size() ? Boxes(shapes[c]) : nullptr;
      if (clip) SelectClipRgn(dc, clip);
      RECT all { -5, -5, 20, 20 };
      FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) {
          const bool in = PtInRegion(visible, x - 3, y - 2) && (!clip || PtInRegion(clip, x - 3, y - 2));
          EXPECT_EQ(w.pixels[size_t(y * 10 + x)], in ? 0u : 0xFFFFFFu) << v << " " << c << ": " << x << "," << y;
        }
      DeleteDC(dc);
      DeleteObject(visible);
      if (clip) DeleteObject(clip);
    }
}

// Thousands of objects made and deleted around some that stay, picked at random (a skin's pictures among a
// paint's brushes): each one is found, as itself, until it is deleted, and none is found after; asked from a
// thread that has looked none of them up before.
TEST(GdiObjects, ObjectsThatStayAmongThousandsMadeAndDeletedAreFoundAsThemselves) {
  const int before = xj::gdi::GetCounters().Objects;
  auto colour = [](int i) { return RGB(i & 255, i >> 8, 1); };
  std::vector<std::pair<HBRUSH, int>> kept;
  std::vector<HBRUSH> gone;
  for (int i = 0; i < 10000; ++i) {
    HBRUSH b = CreateSolidBrush(colour(i));
    if (!gone.empty() && GetObjectType(gone.back())) {
      EXPECT_TRUE(DeleteObject(gone.back()));
    }
    if ((uint32_t(i) * 2654435761u >> 16) % 5 == 0)
      kept.emplace_back(b, i);
    else
      gone.push_back(b);
  }
  EXPECT_TRUE(DeleteObject(gone.back()));
  std::thread([&] {
    for (const auto& [b, i] : kept) {
      LOGBRUSH lb {};
      ASSERT_EQ(GetObject(b, sizeof lb, &lb), int(sizeof lb)) << i;
      EXPECT_EQ(lb.lbColor, colour(i)) << i;
    }
    for (HBRUSH b : gone) EXPECT_EQ(GetObjectType(b), 0u);
  }).join();
  for (auto it = kept.rbegin(); it != kept.rend(); ++it) EXPECT_TRUE(DeleteObject(it->first));
  EXPECT_EQ(xj::gdi::GetCounters().Objects, before);
  for (const auto& [b, i] : kept) EXPECT_EQ(GetObjectType(b), 0u) << i;
}
