// The hostile-skin form: the good skins go through every step without a raise, a skin the loader refuses
// is told apart from a raise after the load, and whatever raises later is written down with its step
// while the steps after it still run. The second skin is put in once more while a modal form, a
// drop-down and a popup menu are open. Form texts at the edges of the published types join the set and
// are read into a form over the good skin.
#include <gtest/gtest.h>

#include <string>

#include "platform/testing/TestHooks.h"
#include "skin/data/bsSkinData.h"
#include "tools/hostile/HostileForm.h"
#include "tools/hostile/HostileFormTexts.h"
#include "tools/hostile/HostileSkins.h"

namespace {

const std::string kTest = std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini";
const std::string kSecond = std::string(XJ_TEST_SKIN_DIR) + "/second/skin.ini";

BOOL CALLBACK CountVisible(HWND hwnd, LPARAM count) {
  if (IsWindowVisible(hwnd)) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

int VisibleWindows() {
  int n = 0;
  EnumWindows(CountVisible, reinterpret_cast<LPARAM>(&n));
  return n;
}

// The input of the family whose description is `what`, or a failure.
hostile::Input FormInput(const std::string& family, const std::string& what) {
  int first = 0;
  for (const hostile::Family& f : hostile::Families()) {
    if (f.name == family)
      for (int k = 0; k < f.count; ++k)
        if (hostile::Input in = hostile::Make(1, first + k); in.what == what) return in;
    first += f.count;
  }
  ADD_FAILURE() << "no input " << what << " in " << family;
  return {};
}

std::string TextOf(const hostile::Input& in) {
  return in.files.empty() ? "" : std::string(in.files[0].second.begin(), in.files[0].second.end());
}

}  // namespace

TEST(HostileForm, TheGoodSkinsGoThroughEveryStepWithoutARaise) {
  int loads = 0, seconds = 0;
  std::vector<int> visible;  // top-level windows shown as each second skin goes in
  const hostile::Run run = hostile::Exercise(
      [&](TbsSkinData* s) {
        ++loads;
        s->LoadFromFile(kTest);
        EXPECT_FALSE(s->Empty);
      },
      [&](TbsSkinData* s) {
        ++seconds;
        visible.push_back(VisibleWindows());
        s->LoadFromFile(kSecond);
      },
      hostile::Depth::Full);
  EXPECT_EQ(run.load, "");
  EXPECT_TRUE(run.raised.empty()) << run.raised.front();
  EXPECT_EQ(loads, 3) << "loaded, and loaded again after each second skin";
  EXPECT_EQ(seconds, 2);
  // The second time, over the form: the modal form, its combo box's list and the popup menu.
  ASSERT_EQ(visible.size(), 2u);
  EXPECT_EQ(visible[1], visible[0] + 3);
}

TEST(HostileForm, ARefusedSkinIsToldApartFromRaisesAfterTheLoad) {
  int seconds = 0;
  const hostile::Run run = hostile::Exercise([](TbsSkinData*) { throw EInvalidOperation("no such skin"); },
                                             [&](TbsSkinData*) {
                                               if (++seconds == 1) throw EInvalidOperation("second refused");
                                             },
                                             hostile::Depth::Full);
  EXPECT_EQ(run.load, "no such skin");
  // Refused again on the ways back: nothing new. The second skin's refusal is a raise of its step.
  ASSERT_EQ(run.raised.size(), 1u);
  EXPECT_EQ(run.raised[0], "second skin: second refused");
  EXPECT_EQ(seconds, 2);
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

TEST(HostileForm, TheFormTextsJoinTheSetOnceAfterTheSkins) {
  const size_t skins = hostile::Families().size();
  const int size = hostile::SetSize();
  hostile::AddFormFamilies();
  hostile::AddFormFamilies();
  const auto& families = hostile::Families();
  ASSERT_EQ(families.size(), skins + 6);
  EXPECT_EQ(families[skins].name, "form-integer");
  EXPECT_EQ(families.back().name, "form-object");
  EXPECT_GT(families[skins].count, 1000);
  const hostile::Input first = hostile::Make(1, size);
  EXPECT_EQ(first.family, "form-integer");
  EXPECT_EQ(first.kind, hostile::Input::Kind::FormText);
  EXPECT_EQ(first.Entry(), "form.txt");
}

// A width of 0 is read and painted, the control bound by name to the form's skin data component (else the
// reader would refuse the text); an enumeration one past its last value by number is refused by the reader.
TEST(HostileForm, AFormTextIsReadIntoAFormOverTheGoodSkin) {
  hostile::AddFormFamilies();
  int loads = 0;
  const auto load = [&](TbsSkinData* s) {
    ++loads;
    s->LoadFromFile(kTest);
  };
  const hostile::Input narrow = FormInput("form-integer", "TbsSkinButton.Width = 0");
  EXPECT_NE(TextOf(narrow).find("    SkinData = bsSkinData1\r\n    Width = 0\r\n  end\r\nend"), std::string::npos);
  const hostile::Run read = hostile::ExerciseForm(TextOf(narrow), load);
  EXPECT_EQ(read.load, "");
  EXPECT_TRUE(read.raised.empty()) << read.raised.front();
  EXPECT_EQ(loads, 1);

  const hostile::Input past = FormInput("form-enum", "TbsSkinButton.Align = 7");
  const hostile::Run refused = hostile::ExerciseForm(TextOf(past), load);
  EXPECT_NE(refused.load.find("Invalid property value 7"), std::string::npos) << refused.load;
  EXPECT_TRUE(refused.raised.empty());
}
