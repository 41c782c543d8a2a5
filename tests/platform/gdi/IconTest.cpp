// Icons, cursors, image lists, bitmap resources, system colours and metrics.

#include <gtest/gtest.h>

#include "platform/win32/BmpCodec.h"
#include "platform/win32/GdiInternal.h"
#include "platform/win32/WinGdi_imagelist.h"
#include "tests/platform/gdi/GdiTestUtil.h"

using gditest::Canvas;
using gditest::Rows;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// A 4 × 2 colour bitmap: red, green, blue, magenta / magenta, red, green, blue.
HBITMAP Strip() {
  Canvas* c = new Canvas(4, 2);
  const COLORREF cols[8] = { kRed, RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 0, 255), RGB(255, 0, 255),
                             kRed, RGB(0, 255, 0), RGB(0, 0, 255) };
  for (int i = 0; i < 8; ++i) c->SetRaw(i % 4, i / 4, Canvas::Px(cols[i]));
  // Hand the bitmap over: copy it out of the canvas before the canvas goes.
  HBITMAP copy = static_cast<HBITMAP>(CopyImage(c->bitmap(), IMAGE_BITMAP, 0, 0, 0));
  delete c;
  return copy;
}

TEST(GdiSystem, ClassicColoursAndMetrics) {
  const std::pair<int, COLORREF> colours[] = {
    { COLOR_SCROLLBAR, RGB(192, 192, 192) }, { COLOR_BACKGROUND, RGB(0, 128, 128) },
    { COLOR_ACTIVECAPTION, RGB(0, 0, 128) }, { COLOR_WINDOW, RGB(255, 255, 255) },
    { COLOR_HIGHLIGHT, RGB(0, 0, 128) },     { COLOR_BTNFACE, RGB(192, 192, 192) },
    { COLOR_BTNSHADOW, RGB(128, 128, 128) }, { COLOR_3DDKSHADOW, RGB(0, 0, 0) },
    { COLOR_INFOBK, RGB(255, 255, 225) },    { COLOR_INACTIVECAPTIONTEXT, RGB(192, 192, 192) },
  };
  for (auto [i, c] : colours) {
    EXPECT_EQ(GetSysColor(i), c) << i;
    LOGBRUSH lb {};
    ASSERT_EQ(GetObject(GetSysColorBrush(i), sizeof lb, &lb), int(sizeof lb));
    EXPECT_EQ(lb.lbColor, c);
  }
  EXPECT_EQ(GetSysColorBrush(25), nullptr);
  EXPECT_TRUE(DeleteObject(GetSysColorBrush(COLOR_BTNFACE)));  // shared: never really deleted
  EXPECT_NE(GetObjectType(GetSysColorBrush(COLOR_BTNFACE)), 0u);
  const std::pair<int, int> metrics[] = { { SM_CXSCREEN, 1024 }, { SM_CYSCREEN, 768 },  { SM_CXVSCROLL, 16 },
                                          { SM_CYCAPTION, 19 },  { SM_CXDLGFRAME, 3 },  { SM_CYMENU, 19 },
                                          { SM_CXICON, 32 },     { SM_CXFRAME, 4 },     { SM_CXSIZE, 18 },
                                          { SM_CXEDGE, 2 },      { SM_CXSMICON, 16 },   { SM_CYSMCAPTION, 15 },
                                          { SM_CMONITORS, 1 },   { SM_CXDOUBLECLK, 4 }, { 9999, 0 } };
  for (auto [i, v] : metrics) EXPECT_EQ(GetSystemMetrics(i), v) << i;
  xj::gdi::SetScreenMetrics(1920, 1080, RECT { 0, 0, 1920, 1040 });
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
  EXPECT_EQ(xj::gdi::WorkArea().bottom, 1040);
  xj::gdi::SetScreenMetrics(1024, 768, RECT { 0, 0, 1024, 738 });
}

TEST(GdiIcons, ArrowCursorIsAMonochromePairWithItsHotSpotAtTheTip) {
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  ASSERT_NE(arrow, nullptr);
  EXPECT_EQ(arrow, LoadCursorA(nullptr, IDC_ARROW));
  ICONINFO ii {};
  ASSERT_TRUE(GetIconInfo(arrow, &ii));
  EXPECT_FALSE(ii.fIcon);
  EXPECT_EQ(ii.xHotspot, 0u);
  EXPECT_EQ(ii.yHotspot, 0u);
  EXPECT_EQ(ii.hbmColor, nullptr);
  BITMAP bm {};
  GetObject(ii.hbmMask, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 32);
  EXPECT_EQ(bm.bmHeight, 64);
  // Read as a bottom-up 1-bit DIB, the AND half (the top of the image) comes last: its rows are
  // all 1 below the arrow, whose 19 rows are at the top.
  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 8);
  auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
  bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi->bmiHeader.biWidth = 32;
  bi->bmiHeader.biHeight = 64;
  bi->bmiHeader.biPlanes = 1;
  bi->bmiHeader.biBitCount = 1;
  std::vector<uint8_t> bits(4 * 64);
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_EQ(GetDIBits(dc, ii.hbmMask, 0, 64, bits.data(), bi, DIB_RGB_COLORS), 64);
  int opaqueRows = 0;
  for (int row = 32; row < 64; ++row) {  // bottom-up storage: rows 32..63 are the image's top half
    bool any = false;
    for (int k = 0; k < 4; ++k) any |= bits[size_t(row * 4 + k)] != 0xFF;
    opaqueRows += any;
  }
  EXPECT_EQ(opaqueRows, 19);
  DeleteDC(dc);
  DeleteObject(ii.hbmMask);
  EXPECT_TRUE(DestroyCursor(arrow));  // shared: survives
  EXPECT_TRUE(GetIconInfo(arrow, &ii));
  DeleteObject(ii.hbmMask);
  for (auto id : { IDC_IBEAM, IDC_WAIT, IDC_CROSS, IDC_SIZEWE, IDC_SIZENS, IDC_SIZENWSE, IDC_SIZENESW, IDC_SIZEALL,
                   IDC_NO, IDC_HAND })
    EXPECT_NE(LoadCursorA(nullptr, id), nullptr);
  EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
}

TEST(GdiIcons, DrawIconExUsesTheMaskAndCopiesScale) {
  HICON app = LoadIconA(nullptr, IDI_APPLICATION);
  ASSERT_NE(app, nullptr);
  Canvas c(40, 40, RGB(1, 2, 3));
  ASSERT_TRUE(DrawIconEx(c.dc(), 4, 4, app, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(c.At(4, 4), RGB(1, 2, 3));  // outside the picture's shape: transparent
  EXPECT_EQ(c.At(20, 20), kWhite);      // the window body
  EXPECT_EQ(c.At(39, 39), RGB(1, 2, 3));
  HICON big = CopyIcon(app);
  HICON small = static_cast<HICON>(CopyImage(app, IMAGE_ICON, 16, 16, LR_COPYFROMRESOURCE));
  ICONINFO ii {};
  ASSERT_TRUE(GetIconInfo(small, &ii));
  BITMAP bm {};
  GetObject(ii.hbmColor, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 16);
  EXPECT_TRUE(ii.fIcon);
  EXPECT_EQ(ii.xHotspot, 8u);
  DeleteObject(ii.hbmColor);
  DeleteObject(ii.hbmMask);
  int before = xj::gdi::GetCounters().Objects;
  EXPECT_TRUE(DestroyIcon(big));
  EXPECT_TRUE(DestroyIcon(small));
  EXPECT_LT(xj::gdi::GetCounters().Objects, before);
  EXPECT_FALSE(DestroyIcon(small));
  EXPECT_FALSE(DrawIconEx(c.dc(), 0, 0, small, 0, 0, 0, nullptr, DI_NORMAL));
}

TEST(GdiIcons, CreateIconIndirectFromAMonochromePair) {
  // 2 × 2 icon: AND 10/01, XOR 00/01 → transparent, black / black, invert.
  const uint8_t bits[] = { 0x80, 0, 0x40, 0, 0x00, 0, 0x40, 0 };
  HBITMAP mask = CreateBitmap(2, 4, 1, 1, bits);
  ICONINFO ii { FALSE, 1, 0, mask, nullptr };
  HICON icon = CreateIconIndirect(&ii);
  DeleteObject(mask);
  ASSERT_NE(icon, nullptr);
  Canvas c(2, 2, RGB(10, 20, 30));
  DrawIconEx(c.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(c.At(0, 0), RGB(10, 20, 30));
  EXPECT_EQ(c.At(1, 0), RGB(0, 0, 0));
  EXPECT_EQ(c.At(0, 1), RGB(0, 0, 0));
  EXPECT_EQ(c.At(1, 1), RGB(245, 235, 225));
  DestroyIcon(icon);
  ICONINFO bad { TRUE, 0, 0, nullptr, nullptr };
  EXPECT_EQ(CreateIconIndirect(&bad), nullptr);
}

TEST(GdiImageList, AddSlicesTheBitmapAndDrawsThroughTheMask) {
  HIMAGELIST il = ImageList_Create(2, 2, ILC_COLOR32 | ILC_MASK, 4, 4);
  HBITMAP strip = Strip();
  EXPECT_EQ(ImageList_AddMasked(il, strip, RGB(255, 0, 255)), 0);
  EXPECT_EQ(ImageList_GetImageCount(il), 2);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(il, &cx, &cy);
  EXPECT_EQ(cx, 2);
  Canvas c(4, 2, RGB(9, 9, 9));
  // Transparent: the key colour's pixels leave the background.
  ImageList_Draw(il, 1, c.dc(), 0, 0, ILD_TRANSPARENT);
  EXPECT_EQ(c.At(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(c.At(1, 0), RGB(9, 9, 9));
  EXPECT_EQ(c.At(1, 1), RGB(0, 0, 255));
  // Normal with a background colour paints it through the mask.
  ImageList_SetBkColor(il, RGB(0, 255, 255));
  ImageList_Draw(il, 1, c.dc(), 2, 0, ILD_NORMAL);
  EXPECT_EQ(c.At(3, 0), RGB(0, 255, 255));
  // The mask alone.
  ImageList_DrawEx(il, 1, c.dc(), 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_MASK);
  EXPECT_EQ(c.Map(kWhite), Rows({ ".#..", "...." }));
  // The disabled look: the shape embossed in highlight (+1, +1) and shadow.
  Canvas d(4, 4, RGB(192, 192, 192));
  xj::ImageListDrawDisabled(il, 1, d.dc(), 0, 0);
  EXPECT_EQ(d.At(0, 0), RGB(128, 128, 128));
  EXPECT_EQ(d.At(2, 2), kWhite);
  EXPECT_EQ(d.At(1, 0), RGB(192, 192, 192));
  EXPECT_FALSE(ImageList_Draw(il, 2, c.dc(), 0, 0, ILD_NORMAL));
  EXPECT_TRUE(ImageList_Remove(il, 0));
  EXPECT_EQ(ImageList_GetImageCount(il), 1);
  EXPECT_TRUE(ImageList_Remove(il, -1));
  EXPECT_EQ(ImageList_GetImageCount(il), 0);
  DeleteObject(strip);
  EXPECT_TRUE(ImageList_Destroy(il));
  EXPECT_FALSE(ImageList_Destroy(il));
}

TEST(GdiImageList, IconsGoInAndComeOut) {
  HIMAGELIST il = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
  EXPECT_EQ(ImageList_AddIcon(il, LoadIconA(nullptr, IDI_ERROR)), 0);
  HICON back = ImageList_GetIcon(il, 0, ILD_NORMAL);
  ASSERT_NE(back, nullptr);
  Canvas c(16, 16, RGB(0, 255, 0));
  DrawIconEx(c.dc(), 0, 0, back, 0, 0, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(c.At(0, 0), RGB(0, 255, 0));  // the corner is outside the round picture
  EXPECT_EQ(c.At(8, 8), kRed);
  DestroyIcon(back);
  HIMAGELIST dup = ImageList_Duplicate(il);
  EXPECT_EQ(ImageList_GetImageCount(dup), 1);
  EXPECT_TRUE(ImageList_SetIconSize(dup, 8, 8));
  EXPECT_EQ(ImageList_GetImageCount(dup), 0);
  ImageList_Destroy(dup);
  ImageList_Destroy(il);
}

TEST(GdiResources, RegisteredBitmapsLoadByName) {
  xj::bmp::Dib dib;
  dib.Width = 3;
  dib.Height = 2;
  dib.BitCount = 24;
  dib.Bits.assign(size_t(dib.Stride()) * 2, 0);
  dib.Bits[2] = 255;  // top-left red
  static std::vector<uint8_t> file = xj::bmp::Write(dib);
  xj::gdi::RegisterBitmapResource("BS_HTB", file.data(), file.size());
  HBITMAP b = LoadBitmapA(nullptr, "bs_htb");
  ASSERT_NE(b, nullptr);
  Canvas c(3, 2);
  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mem, b);
  BitBlt(c.dc(), 0, 0, 3, 2, mem, 0, 0, SRCCOPY);
  EXPECT_EQ(c.At(0, 0), kRed);
  EXPECT_EQ(c.At(1, 0), RGB(0, 0, 0));
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(b);
  EXPECT_EQ(LoadBitmapA(nullptr, "NO_SUCH"), nullptr);
  HANDLE sized = LoadImageA(nullptr, "BS_HTB", IMAGE_BITMAP, 6, 4, 0);
  BITMAP bm {};
  GetObject(sized, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 6);
  DeleteObject(sized);
}

}  // namespace

namespace {

TEST(GdiIcons, SharedImagesAreNotCountedAndAnIconIsOneObject) {
  int before = xj::gdi::GetCounters().Objects;
  LoadCursorA(nullptr, IDC_SIZEALL);
  LoadIconA(nullptr, IDI_WARNING);
  EXPECT_EQ(xj::gdi::GetCounters().Objects, before);
  HICON copy = CopyIcon(LoadIconA(nullptr, IDI_WARNING));
  EXPECT_EQ(xj::gdi::GetCounters().Objects, before + 1);
  DestroyIcon(copy);
  EXPECT_EQ(xj::gdi::GetCounters().Objects, before);
}

}  // namespace
