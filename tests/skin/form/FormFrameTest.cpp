// The skinned frame: client insets, pixels of the bands (corners kept, middles stretched), the window
// shape from the mask, hit tests over every part, the built-in flat look without a skin, and the
// skin's inactive picture.
#include "platform/win32/WinBase.h"
#include "skin/data/bsUtils.h"
#include "tests/skin/form/FormTestSupport.h"

using namespace skinform;
using mkskin::kOwnerFrame;

namespace {

class FormFrameTest : public FormTest {};

TEST_F(FormFrameTest, SkinnedFrameKeepsCornersStretchesMiddlesAndLeavesTheClientAlone) {
  LoadTestSkin();
  Show();
  // Picture 240 x 120 with client (6, 28, 234, 98): a 400 x 300 form keeps the insets.
  EXPECT_EQ(form->ClientWidth(), 400 - 6 - 6);
  EXPECT_EQ(form->ClientHeight(), 300 - 28 - 22);
  EXPECT_EQ(form->ClientToScreen(TPoint(0, 0)), TPoint(106, 108));
  // Top-left corner piece at its own place, the top-right one moved by the 160 pixels of growth, the
  // bottom-left one by 180 down; the middle of the top band is the stretched middle of the picture.
  auto at = [&](int x, int y) { return Code(x, y); };
  EXPECT_EQ(at(30, 26).owner, kOwnerFrame);
  EXPECT_EQ(at(30, 26).code, mkskin::kFrameTopLeft);
  EXPECT_EQ(at(30, 26).localX, 30 % 16);
  EXPECT_EQ(at(360, 26).code, mkskin::kFrameTopRight);
  EXPECT_EQ(at(360, 26).localX, 200 % 16);
  EXPECT_EQ(at(200, 26).code, mkskin::kFrameTop);
  EXPECT_EQ(at(30, 290).code, mkskin::kFrameBottomLeft);
  EXPECT_EQ(at(30, 290).localY, 110 % 16);
  EXPECT_EQ(at(2, 200).code, mkskin::kFrameLeft);
  EXPECT_EQ(at(397, 200).code, mkskin::kFrameRight);
  // Caption buttons of the frame picture keep their place relative to the right edge.
  const mkskin::DecodedPixel close = at(218 + 160 + 3, 10);
  EXPECT_EQ(close.owner, ObjectOwner("close"));
  // The client area shows the background tile, not the frame.
  EXPECT_EQ(Decode(xt::ReadPixel(form->Handle(), 100, 100)).owner, mkskin::kOwnerTile);
  Gallery("active");
}

// The client background repeats the 16 x 16 tile from the client's origin on every row, across the
// joins of the copies that fill it and after a resize to another width and height.
TEST_F(FormFrameTest, TheClientBackgroundRepeatsTheTileFromTheClientOrigin) {
  LoadTestSkin();
  form->SetBounds(40, 30, 319, 157);  // client 307 x 107: neither a whole number of tiles
  Show();
  TBitmap* tile = static_cast<TBitmap*>(skin->ActivePictures->Items(skin->BGPictureIndex));
  ASSERT_EQ(tile->Width(), 16);
  auto check = [&](int W, int H) {
    ASSERT_EQ(form->ClientWidth(), W);
    ASSERT_EQ(form->ClientHeight(), H);
    int wrong = 0;
    for (int y : { 0, 15, 16, 31, 32, 33, 63, 64, 65, 127, 128, 129, H - 1 })
      for (int x = 0; y < H && x < W; ++x)
        wrong += xt::ReadPixel(form->Handle(), x, y) != COLORREF(tile->Canvas()->Pixels(x % 16, y % 16));
    EXPECT_EQ(wrong, 0) << W << " x " << H;
  };
  check(307, 107);
  form->SetBounds(40, 30, 250, 211);
  Application->ProcessMessages();
  check(238, 161);
}

// Both skins tile the client from pictures of the same pixels; one of them changed where it lies (the same
// picture, another colour at one pixel) shows after the next skin change, in every copy of the tile.
TEST_F(FormFrameTest, TheClientBackgroundFollowsTheTilesPixelsAcrossSkinChanges) {
  LoadTestSkin();
  Show();
  LoadSecondSkin();
  xt::PumpUntilIdle();
  TBitmap* tile = static_cast<TBitmap*>(skin->ActivePictures->Items(skin->BGPictureIndex));
  const COLORREF was = COLORREF(tile->Canvas()->Pixels(3, 5));
  EXPECT_EQ(xt::ReadPixel(form->Handle(), 16 * 7 + 3, 16 * 2 + 5), was);
  tile->Canvas()->SetPixels(3, 5, TColor(RGB(1, 2, 3)));
  skin->SendSkinDataMessage(WM_SKINDATA_CHANGE);
  xt::PumpUntilIdle();
  for (const TPoint& p : { TPoint(3, 5), TPoint(16 * 7 + 3, 16 * 2 + 5), TPoint(16 * 20 + 3, 16 * 11 + 5) })
    EXPECT_EQ(xt::ReadPixel(form->Handle(), p.X, p.Y), RGB(1, 2, 3)) << p.X << ", " << p.Y;
  EXPECT_EQ(xt::ReadPixel(form->Handle(), 4, 5), COLORREF(tile->Canvas()->Pixels(4, 5)));
}

// The frame is cut from the skin's pictures as they are at each skin change: pixels changed where they lie
// show after the next change in every copy of the top, bottom and left bands and of the caption's middle,
// and only there.
TEST_F(FormFrameTest, TheFrameFollowsThePicturesPixelsAcrossSkinChanges) {
  LoadTestSkin();
  Show();
  ASSERT_EQ(form->Width(), 400);
  ASSERT_EQ(form->Height(), 300);
  TBitmap* frame = skin->Picture.get();
  TBitmap* caption = static_cast<TBitmap*>(skin->ActivePictures->Items(5));
  struct Case {
    TBitmap* picture;
    TPoint source;
    COLORREF colour;
    std::vector<TPoint> copies;  // on the window: tiles of 100 (bands, caption) and 50 (sides) pixels
  };
  const Case cases[] = {
    { frame, TPoint(50, 26), RGB(1, 2, 3), { TPoint(110, 26), TPoint(210, 26) } },
    { frame, TPoint(60, 110), RGB(4, 5, 6), { TPoint(120, 290), TPoint(220, 290) } },
    { frame,
      TPoint(5, 60),
      RGB(7, 8, 9),
      { TPoint(5, 48), TPoint(5, 98), TPoint(5, 148), TPoint(5, 198), TPoint(5, 248) } },
    { caption, TPoint(76, 21), RGB(10, 11, 12), { TPoint(86, 23), TPoint(186, 23), TPoint(286, 23) } },
  };
  for (const Case& c : cases) c.picture->Canvas()->SetPixels(c.source.X, c.source.Y, TColor(c.colour));
  skin->SendSkinDataMessage(WM_SKINDATA_CHANGE);
  xt::PumpUntilIdle();
  for (const Case& c : cases) {
    for (const TPoint& p : c.copies) EXPECT_EQ(Frame(p.X, p.Y), c.colour) << p.X << ", " << p.Y;
    const TPoint next = c.copies.back();
    EXPECT_EQ(Frame(next.X - 1, next.Y), COLORREF(c.picture->Canvas()->Pixels(c.source.X - 1, c.source.Y)));
  }
}

// A picture cut short after the load holds only part of a band's tile: every copy of the tile along the
// band shows the part the picture holds, and white where it holds nothing. Cut to 100 columns, the top and
// bottom bands' tiles (100 wide from x = 0) lack their columns 60..99; cut to 70 rows, the left side's
// tiles (50 high from y = 28) lack their rows 30..49.
TEST_F(FormFrameTest, EveryCopyOfATileThePictureHoldsInPartIsWhiteWhereItLacks) {
  Show();
  struct Case {
    TSize picture;
    TPoint held, lacking, step;  // in the first tile; to the next one
  };
  for (const Case& c : { Case { TSize(100, 120), TPoint(10, 26), TPoint(70, 26), TPoint(100, 0) },
                         Case { TSize(100, 120), TPoint(10, 290), TPoint(95, 290), TPoint(100, 0) },
                         Case { TSize(240, 70), TPoint(2, 53), TPoint(2, 63), TPoint(0, 50) } }) {
    LoadTestSkin();
    xt::PumpUntilIdle();
    skin->Picture->SetSize(c.picture.cx, c.picture.cy);
    skin->SendSkinDataMessage(WM_SKINDATA_CHANGE);
    xt::PumpUntilIdle();
    for (int k = 0; k < 3; ++k) {
      const int dx = k * c.step.X, dy = k * c.step.Y;
      EXPECT_EQ(Frame(c.lacking.X + dx, c.lacking.Y + dy), RGB(255, 255, 255)) << k << " " << c.lacking.X;
      EXPECT_NE(Frame(c.held.X + dx, c.held.Y + dy), RGB(255, 255, 255)) << k << " " << c.held.X;
    }
  }
}

// A client rectangle turned over (its right edge left of its left) leaves the columns between its edges
// to the client: the frame's sides, sized from those edges, do not paint there.
TEST_F(FormFrameTest, ATurnedOverClientRectangleKeepsTheFrameOffTheColumnsBetween) {
  LoadTestSkin();
  Show();
  skin->ClRect = TRect(234, 28, 6, 98);  // a 400-pixel form: the sides end at 234 and start at 166
  skin->SendSkinDataMessage(WM_SKINDATA_CHANGE);
  xt::PumpUntilIdle();
  int frame = 0, between = 0;
  for (int y = 60; y < 250; y += 10)
    for (int x = 0; x < 400; x += 2) (x >= 166 && x < 234 ? between : frame) += Code(x, y).owner == kOwnerFrame;
  EXPECT_GT(frame, 0);
  EXPECT_EQ(between, 0);
}

// At the picture's size the corner pieces are the picture's own pixels and every other pixel comes from
// the same part of the picture (the middles are tiled from the band's edge).
TEST_F(FormFrameTest, AtThePictureSizeCornersAreThePictureAndMiddlesTheirOwnPart) {
  form->SetBounds(50, 50, 240, 120);
  LoadTestSkin();
  Show();
  ASSERT_EQ(form->Width(), 240);
  TBitmap* pic = skin->Picture.get();
  const TRect caption = sf->Objects(sf->GetIndex("caption"))->ObjectRect;
  int corners = 0, middles = 0, differ = 0;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 240; ++x) {
      const bool client = x >= 6 && x < 234 && y >= 28 && y < 98;
      const bool inCaption = x >= caption.Left && x < caption.Right && y >= caption.Top && y < caption.Bottom;
      if (client || inCaption || !xt::WindowRegionContains(form->Handle(), POINT { x, y })) continue;
      const COLORREF want = COLORREF(pic->Canvas()->Pixels(x, y));
      const bool horizontalBand = y < 28 || y >= 98;
      const bool corner = horizontalBand ? (x < 40 || x >= 140) : (y < 40 || y >= 90);
      if (corner) {
        ++corners;
        differ += Frame(x, y) != want;
      } else {
        ++middles;
        differ += Decode(Frame(x, y)).code != Decode(want).code || Decode(Frame(x, y)).owner != Decode(want).owner;
      }
    }
  EXPECT_GT(corners, 3000);
  EXPECT_GT(middles, 2000);
  EXPECT_EQ(differ, 0);
}

TEST_F(FormFrameTest, TheShapeFollowsTheStretchedMaskAndGoesWithTheSkin) {
  LoadTestSkin();
  Show();
  HWND h = form->Handle();
  EXPECT_TRUE(sf->HasRegion());
  // The mask cuts a small triangle off each corner; everything else is inside.
  EXPECT_FALSE(xt::WindowRegionContains(h, POINT { 0, 0 }));
  EXPECT_FALSE(xt::WindowRegionContains(h, POINT { 399, 0 }));
  EXPECT_FALSE(xt::WindowRegionContains(h, POINT { 0, 299 }));
  EXPECT_FALSE(xt::WindowRegionContains(h, POINT { 399, 299 }));
  EXPECT_TRUE(xt::WindowRegionContains(h, POINT { 200, 0 }));
  EXPECT_TRUE(xt::WindowRegionContains(h, POINT { 0, 150 }));
  EXPECT_TRUE(xt::WindowRegionContains(h, POINT { 399, 150 }));
  EXPECT_TRUE(xt::WindowRegionContains(h, POINT { 200, 150 }));
  // Resizing rebuilds it for the new size; replacing it never deletes a region the window owns.
  form->SetBounds(form->Left(), form->Top(), 500, 200);
  xt::PumpUntilIdle();
  EXPECT_FALSE(xt::WindowRegionContains(h, POINT { 499, 199 }));
  EXPECT_TRUE(xt::WindowRegionContains(h, POINT { 499, 100 }));
  EXPECT_EQ(xt::GdiCounters().refusedOwnedRegionDeletes, 0);
  // Without a skin the form is a plain rectangle again.
  sf->SetSkinData(nullptr);
  skin->ClearSkin();
  xt::PumpUntilIdle();
  EXPECT_FALSE(sf->HasRegion());
  EXPECT_TRUE(xt::WindowRegionContains(h, POINT { 0, 0 }));
  EXPECT_EQ(xt::GdiCounters().refusedOwnedRegionDeletes, 0);
}

TEST_F(FormFrameTest, HitTestsOverEveryPartOfTheSkinnedFrame) {
  LoadTestSkin();
  Show();
  const TPoint caption = CentreOf("caption"), close = CentreOf("close");
  EXPECT_EQ(HitAt(caption.X, caption.Y), HTCAPTION);
  EXPECT_EQ(HitAt(close.X, close.Y), HTOBJECT);
  EXPECT_EQ(HitAt(200, 150), HTCLIENT);
  // Only within "borderwidth" of the shape's edge is a border; the hit-test points split the corners.
  EXPECT_EQ(HitAt(2, 5), HTTOPLEFT);
  EXPECT_EQ(HitAt(397, 5), HTTOPRIGHT);
  EXPECT_EQ(HitAt(2, 295), HTBOTTOMLEFT);
  EXPECT_EQ(HitAt(397, 295), HTBOTTOMRIGHT);
  EXPECT_EQ(HitAt(200, 1), HTTOP);
  EXPECT_EQ(HitAt(200, 298), HTBOTTOM);
  EXPECT_EQ(HitAt(2, 150), HTLEFT);
  EXPECT_EQ(HitAt(398, 150), HTRIGHT);
  // Inside the mask area, off the border: the frame is plain non-client area.
  EXPECT_EQ(HitAt(200, 290), HTOBJECT);
  // A point packed with negative screen coordinates (a monitor left of the primary one) stays negative.
  form->SetBounds(-100, 80, 400, 300);
  xt::PumpUntilIdle();
  EXPECT_EQ(HitAt(caption.X, caption.Y), HTCAPTION);
  EXPECT_EQ(HitAt(2, 150), HTLEFT);
  // Maximised: no sizing borders; rolled up: caption or object only.
  sf->SetWindowState(wsMaximized);
  EXPECT_EQ(HitAt(2, 150), HTOBJECT);
  sf->SetWindowState(wsNormal);
  sf->SetRollUpState(true);
  EXPECT_EQ(HitAt(caption.X, caption.Y), HTCAPTION);
  EXPECT_EQ(HitAt(2, 5), HTOBJECT);
}

TEST_F(FormFrameTest, BuiltInLookWithoutASkin) {
  Show();
  const int w = form->Width(), h = form->Height();
  // Client insets: 3 pixels, caption 19.
  EXPECT_EQ(form->ClientWidth(), w - 6);
  EXPECT_EQ(form->ClientHeight(), h - 19 - 6);
  // Three rings, outside in.
  EXPECT_EQ(Frame(0, 0), ColorToRGB(cl3DLight));
  EXPECT_EQ(Frame(w - 1, h - 1), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(Frame(1, 1), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(Frame(w - 2, h - 2), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Frame(2, h / 2), ColorToRGB(clBtnFace));
  // Hit bands: 3 pixels left and top, 2 right and bottom; the default buttons are objects.
  EXPECT_EQ(HitAt(1, 1), HTTOPLEFT);
  EXPECT_EQ(HitAt(w - 1, 1), HTTOPRIGHT);
  EXPECT_EQ(HitAt(1, h - 1), HTBOTTOMLEFT);
  EXPECT_EQ(HitAt(w - 2, h - 2), HTBOTTOMRIGHT);
  EXPECT_EQ(HitAt(2, h / 2), HTLEFT);
  EXPECT_EQ(HitAt(3, h / 2), HTCLIENT);
  EXPECT_EQ(HitAt(w - 4, h / 2), HTCLIENT);
  EXPECT_EQ(HitAt(w - 3, h / 2), HTOBJECT);  // the client ends 3 pixels in, the sizing band 2
  EXPECT_EQ(HitAt(w - 2, h / 2), HTRIGHT);
  EXPECT_EQ(HitAt(w / 2, 2), HTTOP);
  EXPECT_EQ(HitAt(w / 2, h - 2), HTBOTTOM);
  EXPECT_EQ(HitAt(w / 2, 10), HTCAPTION);
  const TPoint close = CentreOf("closebutton");
  EXPECT_EQ(HitAt(close.X, close.Y), HTOBJECT);
  EXPECT_FALSE(sf->HasRegion());
  Gallery("default");
}

TEST_F(FormFrameTest, DefaultButtonsFollowTheBorderIconsExceptClose) {
  Show();
  sf->SetBorderIcons(TbsBorderIcons {});
  for (const char* name : { "maxbutton", "minbutton", "rollupbutton", "sysmenubutton" })
    EXPECT_FALSE(sf->Objects(sf->GetIndex(name))->Visible) << name;
  EXPECT_TRUE(sf->Objects(sf->GetIndex("closebutton"))->Visible);
  // With a skin, a button drawn in the frame picture stays visible but disabled.
  LoadTestSkin();
  sf->SetBorderIcons(TbsBorderIcons { TbsBorderIcon::biSystemMenu, TbsBorderIcon::biMinimize });
  TbsActiveSkinObject* max = sf->Objects(sf->GetIndex("max"));
  EXPECT_TRUE(max->Visible);
  EXPECT_FALSE(max->Enabled);
  EXPECT_TRUE(sf->Objects(sf->GetIndex("min"))->Enabled);
}

TEST_F(FormFrameTest, InactiveFormShowsTheInactivePicture) {
  LoadTestSkin();
  Show();
  EXPECT_EQ(Code(30, 26).owner, kOwnerFrame);
  TForm* other = NewForm(600, 500, 100, 100);
  other->Show();
  xt::PumpUntilIdle();
  ASSERT_FALSE(form->Active());
  EXPECT_EQ(Code(30, 26).owner, mkskin::kOwnerInactiveFrame);
  EXPECT_EQ(Code(200, 290).owner, mkskin::kOwnerInactiveFrame);
  Gallery("inactive");
  form->SetFocus();
  xt::PumpUntilIdle();
  EXPECT_EQ(Code(30, 26).owner, kOwnerFrame);
}

TEST_F(FormFrameTest, LongCaptionsAreCutAtWholeCharactersWithAnEllipsis) {
  form->SetBounds(100, 80, 160, 120);
  form->SetCaption("线路录音检测系统主窗口标题很长很长的标题");
  Show();
  xt::ClearTextLog();
  SendMessageA(form->Handle(), WM_NCPAINT, 0, 0);
  std::string drawn;
  for (const auto& t : xt::TextOutLog())
    if (t.hwnd == form->Handle() || t.hwnd == nullptr)
      if (t.text.size() > 3 && t.text.substr(t.text.size() - 3) == "...") drawn = t.text;
  ASSERT_FALSE(drawn.empty());
  const std::string head = drawn.substr(0, drawn.size() - 3);
  // Every character of the caption is two bytes: an odd length would be half a character.
  EXPECT_EQ(head.size() % 2, 0u);
  EXPECT_EQ(std::string(form->Caption()).compare(0, head.size(), head), 0);
}

TEST_F(FormFrameTest, BorderlessFormGetsNoFrameAndNoShape) {
  form->SetBorderStyle(bsNone);
  LoadTestSkin();
  Show();
  EXPECT_EQ(form->ClientWidth(), form->Width());
  EXPECT_EQ(form->ClientHeight(), form->Height());
  EXPECT_FALSE(sf->HasRegion());
}

}  // namespace
