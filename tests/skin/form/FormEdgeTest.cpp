// A skinned form at the exact edges of its rules: minimised slots that just fill a row, the borders'
// corner bands at their first column and row, and the roll-up notice with a minimum height set.
#include "tests/skin/form/FormTestSupport.h"

using namespace skinform;

namespace {

// The test skin: picture 240 x 120 with a client of 228 x 70, so a minimised form is 240 x 50.
constexpr int kSlotW = 240, kSlotH = 120 - 70;

class FormEdgeTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    LoadTestSkin();
    Show();
  }
};

TEST_F(FormEdgeTest, MinimisedFormsFillARowUpToItsLastPixelAndNoFurther) {
  // Four slots fit a row exactly at 960 pixels; one pixel less leaves room for three.
  const struct { int workWidth, perRow; } cases[] = { { 959, 3 }, { 960, 4 }, { 961, 4 } };
  std::vector<RurIvozedevUzivEred*> comps { sf };
  for (int i = 0; i < 4; ++i) {
    RurIvozedevUzivEred* c = nullptr;
    NewSkinnedForm(50 + 10 * i, 50, 300, 200, &c)->Show();
    c->SetSkinData(skin);
    comps.push_back(c);
  }
  xt::PumpUntilIdle();
  for (const auto& k : cases) {
    xt::SetScreen(1024, 768, RECT { 0, 0, k.workWidth, 738 });
    for (RurIvozedevUzivEred* c : comps) c->SetWindowState(wsNormal);
    for (RurIvozedevUzivEred* c : comps) c->SetWindowState(wsMinimized);
    for (int i = 0; i < 5; ++i)
      EXPECT_EQ(comps[i]->Form()->BoundsRect().TopLeft(),
                TPoint(kSlotW * (i % k.perRow), 738 - kSlotH * (1 + i / k.perRow)))
          << "work area " << k.workWidth << ", form " << i;
  }
}

TEST_F(FormEdgeTest, AFormAtExactlyItsMinimumWidthHasTheFrameAndShapeOfItsSize) {
  for (const int w : { 300, kSlotW, kSlotW + 1 }) {
    form->SetBounds(100, 80, w, 300);
    xt::PumpUntilIdle();
    ASSERT_EQ(form->Width(), w);
    EXPECT_EQ(Code(w - 40, 26).code, mkskin::kFrameTopRight) << w;
    EXPECT_FALSE(xt::WindowRegionContains(form->Handle(), POINT { w - 1, 299 })) << w;  // the cut corner
    EXPECT_TRUE(xt::WindowRegionContains(form->Handle(), POINT { w - 1, 150 })) << w;
  }
}

TEST_F(FormEdgeTest, TheCornerBandsOfTheSkinnedBorderStartAtTheirHitTestPoints) {
  // 400 x 300 from the 240 x 120 picture: the corner points (8, 8) and (232, 112) become (8, 8) and
  // (392, 292); the shape's own edge is 4 pixels deep.
  const struct {
    int x, y, hit;
  } cases[] = {
    { 8, 1, HTTOPLEFT },         { 9, 1, HTTOP },        { 391, 1, HTTOP },     { 392, 1, HTTOPRIGHT },
    { 398, 8, HTTOPRIGHT },      { 398, 9, HTRIGHT },    { 398, 291, HTRIGHT }, { 398, 292, HTBOTTOMRIGHT },
    { 392, 298, HTBOTTOMRIGHT }, { 391, 298, HTBOTTOM }, { 9, 298, HTBOTTOM },  { 8, 298, HTBOTTOMLEFT },
    { 1, 292, HTBOTTOMLEFT },    { 1, 291, HTLEFT },     { 1, 9, HTLEFT },      { 1, 8, HTTOPLEFT },
  };
  for (const auto& c : cases) EXPECT_EQ(HitAt(c.x, c.y), c.hit) << c.x << ", " << c.y;
}

TEST_F(FormEdgeTest, RollingUpReportsEachTimeTakesTheFrameHeightAndComesBackToTheHeightBefore) {
  int changes = 0;
  sf->OnChangeRollUpState = On<TNotifyEvent>([&](TObject*) { ++changes; });
  sf->SetMinHeight(200);  // a minimum for the form; rolled up it is only its frame
  sf->SetRollUpState(true);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(form->Height(), kSlotH);
  sf->SetRollUpState(false);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(form->Height(), 300);
  // Rolled up twice, it still comes back to its height; unrolled again, it keeps the one it has.
  sf->SetRollUpState(true);
  sf->SetRollUpState(true);
  sf->SetRollUpState(false);
  EXPECT_EQ(form->Height(), 300);
  form->SetHeight(260);
  sf->SetRollUpState(false);
  EXPECT_EQ(form->Height(), 260);
  // Refused while minimised, and without the roll-up icon: no notice.
  const int reported = changes;
  sf->SetWindowState(wsMinimized);
  sf->SetRollUpState(true);
  sf->SetWindowState(wsNormal);
  sf->SetBorderIcons(TbsBorderIcons { TbsBorderIcon::biSystemMenu });
  sf->SetRollUpState(true);
  EXPECT_EQ(changes, reported);
  EXPECT_FALSE(sf->RollUpState());
}

}  // namespace
