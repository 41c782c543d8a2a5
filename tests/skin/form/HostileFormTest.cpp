// The hostile-skin form: the good skins go through every step without a raise, a skin the loader refuses
// is told apart from a raise after the load, and whatever raises later is written down with its step
// while the steps after it still run.
#include <gtest/gtest.h>

#include <string>

#include "skin/data/bsSkinData.h"
#include "tools/hostile/HostileForm.h"

namespace {

const std::string kTest = std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini";
const std::string kSecond = std::string(XJ_TEST_SKIN_DIR) + "/second/skin.ini";

}  // namespace

TEST(HostileForm, TheGoodSkinsGoThroughEveryStepWithoutARaise) {
  int loads = 0, seconds = 0;
  const hostile::Run run = hostile::Exercise(
      [&](TbsSkinData* s) {
        ++loads;
        s->LoadFromFile(kTest);
        EXPECT_FALSE(s->Empty);
      },
      [&](TbsSkinData* s) {
        ++seconds;
        s->LoadFromFile(kSecond);
      },
      hostile::Depth::Full);
  EXPECT_EQ(run.load, "");
  EXPECT_TRUE(run.raised.empty()) << run.raised.front();
  EXPECT_EQ(loads, 2) << "loaded, and loaded again after the second skin";
  EXPECT_EQ(seconds, 1);
}

TEST(HostileForm, ARefusedSkinIsToldApartFromRaisesAfterTheLoad) {
  int seconds = 0;
  const hostile::Run run = hostile::Exercise([](TbsSkinData*) { throw EInvalidOperation("no such skin"); },
                                             [&](TbsSkinData*) {
                                               if (++seconds == 1) throw EInvalidOperation("second refused");
                                             },
                                             hostile::Depth::Full);
  EXPECT_EQ(run.load, "no such skin");
  // Refused again on the way back: nothing new. The second skin's refusal is a raise of its step.
  ASSERT_EQ(run.raised.size(), 1u);
  EXPECT_EQ(run.raised[0], "second skin: second refused");
  EXPECT_EQ(seconds, 1);
}

TEST(HostileForm, APaintingDepthLoadsOnceAndSwitchesNothing) {
  int loads = 0, seconds = 0;
  const hostile::Run run = hostile::Exercise(
      [&](TbsSkinData* s) {
        ++loads;
        s->LoadFromFile(kTest);
      },
      [&](TbsSkinData*) { ++seconds; }, hostile::Depth::Paint);
  EXPECT_EQ(run.load, "");
  EXPECT_TRUE(run.raised.empty());
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(seconds, 0);
}
