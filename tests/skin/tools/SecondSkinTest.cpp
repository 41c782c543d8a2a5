// Independent checks of the generated second test skin: it is a complete skin directory whose records
// carry owner codes of their own, and it differs from the test skin where the skinned-control tests rely
// on it (other face sizes and lopsided insets, a horizontally stretched menu button, records without a
// picture, of another class, or missing).
#include "SkinFiles.h"
#include "tools/mkskin/SkinColours.h"

#include <gtest/gtest.h>

#include <map>

using namespace skintest;

namespace {

const std::filesystem::path kSkins = XJ_TEST_SKIN_DIR;

struct Loaded {
  explicit Loaded(const std::filesystem::path& dir) : dir(dir) {
    const auto bytes = ReadFile(dir / "skin.ini");
    ini = ParseIni(std::string(bytes.begin(), bytes.end()));
    const int count = static_cast<int>(ParseInt(ini.Get("SKINCONTROLS", "count")).value_or(0));
    for (int i = 0; i < count; ++i) {
      const std::string entry = ini.Get("SKINCONTROLS", std::to_string(i));
      const size_t colon = entry.find(':');
      controls[entry.substr(0, colon)] = { i, colon == std::string::npos ? "" : entry.substr(colon + 1) };
    }
  }
  std::optional<Bitmap> Picture(int index) const {
    const auto path = FindSkinFile(dir, ini.Get("PICTURES", std::to_string(index)));
    if (!path) return std::nullopt;
    return DecodeBmp(ReadFile(*path)).first;
  }
  Rect RectOf(const std::string& name, const std::string& key) const {
    return ParseRect(ini.Get(name, key)).value_or(Rect {});
  }
  int IntOf(const std::string& name, const std::string& key) const {
    return static_cast<int>(ParseInt(ini.Get(name, key)).value_or(-999));
  }

  struct Entry {
    int index;
    std::string keyword;
  };
  std::filesystem::path dir;
  Ini ini;
  std::map<std::string, Entry> controls;
};

}  // namespace

TEST(SecondSkin, IsACompleteSkinWhosePicturesCarryItsOwnOwners) {
  const Loaded second(kSkins / "second");
  EXPECT_EQ(second.ini.Get("VERSION", "skinname"), "Generated Second Skin");
  const int pictures = static_cast<int>(ParseInt(second.ini.Get("PICTURES", "activepicturescount")).value_or(0));
  ASSERT_GT(pictures, 0);
  for (int i = 0; i < pictures; ++i) EXPECT_TRUE(second.Picture(i).has_value()) << "active picture " << i;
  ASSERT_GE(second.controls.size(), 10u);
  int checked = 0;
  for (const auto& [name, entry] : second.controls) {
    SCOPED_TRACE(name);
    ASSERT_NE(second.ini.Find(name), nullptr);
    const int index = second.IntOf(name, "pictureindex");
    if (index < 0) continue;
    ASSERT_LT(index, pictures);
    const auto pic = second.Picture(index);
    const Rect face = second.RectOf(name, "skinrect");
    ASSERT_TRUE(pic && face.r <= pic->width && face.b <= pic->height && face.Width() > 0);
    const auto px = mkskin::DecodePixel(pic->At(face.l + 3, face.t + 2));
    EXPECT_EQ(px.owner, mkskin::SecondControlOwner(entry.index));
    EXPECT_EQ(px.code, mkskin::KeyCode("skinrect"));
    EXPECT_EQ(px.localX, 3);
    EXPECT_EQ(px.localY, 2);
    ++checked;
  }
  EXPECT_GE(checked, 10);
}

TEST(SecondSkin, DiffersFromTheTestSkinWhereTheControlsNeedIt) {
  const Loaded test(kSkins / "test"), second(kSkins / "second");
  // Shared names: other face sizes, insets that differ on every side.
  for (const char* name : { "button", "toolbutton", "toolmenubutton", "panel", "checkbox", "htrackbar" }) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(second.controls.count(name));
    const Rect a = test.RectOf(name, "skinrect"), b = second.RectOf(name, "skinrect");
    EXPECT_FALSE(a.Width() == b.Width() && a.Height() == b.Height());
  }
  const Rect face = second.RectOf("button", "skinrect");
  const auto lt = ParsePoint(second.ini.Get("button", "lefttoppoint")).value();
  const auto rb = ParsePoint(second.ini.Get("button", "rightbottompoint")).value();
  EXPECT_NE(lt.x, lt.y);
  EXPECT_NE(lt.x, face.Width() - rb.x);
  EXPECT_NE(lt.y, face.Height() - rb.y);
  // The test skin shapes its button with a mask; the second skin shapes its tool button instead.
  EXPECT_GE(test.IntOf("button", "maskpictureindex"), 0);
  EXPECT_EQ(second.IntOf("button", "maskpictureindex"), -1);
  EXPECT_GE(second.IntOf("toolbutton", "maskpictureindex"), 0);
  // The tool button leaves its pressed face out; the menu button stretches only horizontally, its track
  // area at the right edge.
  EXPECT_EQ(second.ini.Value("toolbutton", "downskinrect"), std::nullopt);
  EXPECT_EQ(second.ini.Get("toolmenubutton", "leftbottompoint"), "0,0");
  EXPECT_EQ(second.ini.Get("toolmenubutton", "rightbottompoint"), "0,0");
  EXPECT_EQ(second.RectOf("toolmenubutton", "trackbuttonrect").r, second.RectOf("toolmenubutton", "skinrect").Width());
  // Gaps: no picture, another class, missing.
  for (const char* name : { "resizebutton", "checkbox", "label" })
    EXPECT_EQ(second.IntOf(name, "pictureindex"), -1) << name;
  EXPECT_EQ(second.controls.at("bigtoolbutton").keyword, "label");
  EXPECT_EQ(test.controls.at("bigtoolbutton").keyword, "button");
  for (const char* name : { "bigtoolmenubutton", "radiobox", "vgauge", "memo" }) {
    EXPECT_TRUE(test.controls.count(name)) << name;
    EXPECT_FALSE(second.controls.count(name)) << name;
    EXPECT_EQ(second.ini.Find(name), nullptr) << name;
  }
}
