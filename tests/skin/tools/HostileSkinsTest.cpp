// The hostile-skin generator: a set of every family of at least 2,000 inputs, each input the same bytes
// for the same seed and index, each one broken (never the good skin again) in the way its family says.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "tests/skin/tools/SkinFiles.h"
#include "tests/support/Scratch.h"
#include "tools/hostile/HostileSkins.h"
#include "tools/mkskin/SkinFiles.h"
#include "tools/mkskin/TestSkin.h"

namespace {

using Files = std::map<std::string, std::vector<uint8_t>>;

Files FilesOf(const hostile::Input& in) { return Files(in.files.begin(), in.files.end()); }

Files GoodFiles() {
  const mkskin::Skin skin = mkskin::BuildTestSkin();
  const std::string ini = mkskin::IniText(skin);
  Files out { { "skin.ini", std::vector<uint8_t>(ini.begin(), ini.end()) } };
  for (const mkskin::SkinPicture* p : { &skin.picture, &skin.inactivePicture, &skin.mask })
    out[p->fileName] = mkskin::BmpBytes(p->picture);
  for (const mkskin::SkinPicture& p : skin.activePictures) out[p.fileName] = mkskin::BmpBytes(p.picture);
  return out;
}

// The first index of the family named Name.
int First(const std::string& Name) {
  int index = 0;
  for (const hostile::Family& f : hostile::Families()) {
    if (f.name == Name) return index;
    index += f.count;
  }
  ADD_FAILURE() << "no family " << Name;
  return 0;
}

std::string Ini(const hostile::Input& in) {
  const Files files = FilesOf(in);
  const auto it = files.find("skin.ini");
  return it == files.end() ? "" : std::string(it->second.begin(), it->second.end());
}

int32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24);
}

}  // namespace

TEST(HostileSkins, TheSetHoldsEveryFamilyInOrderAndRefusesIndexesOutsideIt) {
  const auto& families = hostile::Families();
  std::set<std::string> names;
  int total = 0;
  for (const hostile::Family& f : families) {
    EXPECT_GT(f.count, 1) << f.name;
    names.insert(f.name);
    total += f.count;
  }
  EXPECT_EQ(names.size(), families.size());
  EXPECT_EQ(families.size(), 18u);
  EXPECT_EQ(hostile::SetSize(), total);
  EXPECT_GE(total, 2000);
  EXPECT_EQ(hostile::Locate(0), std::make_pair(0, 0));
  EXPECT_EQ(hostile::Locate(families[0].count), std::make_pair(1, 0));
  EXPECT_EQ(hostile::Locate(total - 1),
            std::make_pair(static_cast<int>(families.size()) - 1, families.back().count - 1));
  EXPECT_THROW(hostile::Locate(total), std::out_of_range);
  EXPECT_THROW(hostile::Make(1, -1), std::out_of_range);
}

// The first two inputs of every family: reproducible from (seed, index), of the family Locate names, and
// never the good skin's files.
TEST(HostileSkins, EveryFamilyBreaksTheGoodSkinTheSameWayForTheSameSeed) {
  const Files good = GoodFiles();
  int index = 0;
  for (const hostile::Family& f : hostile::Families()) {
    for (int k = 0; k < 2; ++k) {
      const hostile::Input a = hostile::Make(5, index + k), b = hostile::Make(5, index + k);
      EXPECT_EQ(a.family, f.name);
      EXPECT_FALSE(a.what.empty()) << f.name << " " << k;
      EXPECT_EQ(FilesOf(a), FilesOf(b)) << f.name << " " << k;
      EXPECT_NE(FilesOf(a), good) << f.name << " " << k;
      EXPECT_EQ(a.Entry(), a.compressed ? "skin.skn" : "skin.ini");
      EXPECT_TRUE(FilesOf(a).count(a.Entry()) || f.name == "section-missing") << f.name << " " << k;
    }
    index += f.count;
  }
  // Another seed mutates the good skin elsewhere.
  const int mutation = First("mutation");
  int differ = 0;
  for (int k = 0; k < 5; ++k)
    differ += FilesOf(hostile::Make(5, mutation + k)) != FilesOf(hostile::Make(6, mutation + k));
  EXPECT_EQ(differ, 5);
}

TEST(HostileSkins, TheCraftedFamiliesHoldWhatTheyPromise) {
  // A rectangle of 2,147,483,600 pixels.
  EXPECT_NE(Ini(hostile::Make(1, First("rect-huge"))).find("=0,0,2147483600,40"), std::string::npos);
  // A 16000 x 16000 picture, as its header says.
  {
    const hostile::Input in = hostile::Make(1, First("picture-huge"));
    int huge = 0;
    for (const auto& [name, bytes] : in.files)
      if (name != "skin.ini" && Le32(bytes, 18) == 16000 && Le32(bytes, 22) == 16000) {
        ++huge;
        EXPECT_GE(bytes.size(), 16000u * 2000u) << name;  // the rows are there, one bit per pixel
      }
    EXPECT_EQ(huge, 1);
  }
  // A hundred thousand records, every one listed.
  {
    const skintest::Ini ini = skintest::ParseIni(Ini(hostile::Make(1, First("records-100000"))));
    EXPECT_EQ(ini.Get("SKINCONTROLS", "count"), "100000");
    ASSERT_NE(ini.Find("SKINCONTROLS"), nullptr);
    EXPECT_EQ(ini.Find("SKINCONTROLS")->keys.size(), 100001u);
    EXPECT_EQ(ini.Get("SKINCONTROLS", "99999"), "r99999:button");
  }
  // A hundred thousand records each with a section of its own, listed before their sections.
  {
    const skintest::Ini ini = skintest::ParseIni(Ini(hostile::Make(1, First("records-100000") + 3)));
    EXPECT_EQ(ini.Get("SKINCONTROLS", "99999"), "b99999:button");
    EXPECT_EQ(ini.Get("b99999", "pictureindex"), ini.Get("button", "pictureindex"));
    EXPECT_FALSE(ini.Get("PICTURES", "activepicturescount").empty());
  }
  // A compressed skin file whose data size is not the size of its data.
  {
    const hostile::Input in = hostile::Make(1, First("compressed-lying"));
    ASSERT_TRUE(in.compressed);
    const Files files = FilesOf(in);
    const std::vector<uint8_t>& file = files.at("skin.skn");
    EXPECT_EQ(Le32(file, 0), 1);
    EXPECT_NE(static_cast<int64_t>(static_cast<uint32_t>(Le32(file, 4))), static_cast<int64_t>(file.size()) - 8);
  }
  // Bytes that are not GBK: a lead byte without a valid trail, or 0x80 / 0xFF alone.
  for (int k = 0; k < 6; ++k) {
    const std::string ini = Ini(hostile::Make(1, First("not-gbk") + k));
    bool bad = false;
    for (size_t i = 0; i < ini.size(); ++i) {
      const auto c = static_cast<unsigned char>(ini[i]);
      if (c == 0x80 || c == 0xFF) bad = true;
      if (c >= 0x81 && c <= 0xFE) {
        const auto t = i + 1 < ini.size() ? static_cast<unsigned char>(ini[i + 1]) : 0;
        if (t < 0x40 || t == 0x7F || t == 0xFF) bad = true;
        ++i;
      }
    }
    EXPECT_TRUE(bad) << k;
  }
  // A truncated picture: shorter than the good one, or a header that promises more rows than follow.
  {
    const Files good = GoodFiles();
    for (int k = 0; k < 6; ++k) {
      const hostile::Input in = hostile::Make(1, First("picture-truncated") + k);
      int cut = 0;
      for (const auto& [name, bytes] : in.files)
        if (name != "skin.ini" &&
            (bytes.size() < good.at(name).size() || (bytes.size() >= 26 && Le32(bytes, 22) == 16000)))
          ++cut;
      EXPECT_EQ(cut, 1) << k;
    }
  }
}

TEST(HostileSkins, WriteReplacesTheDirectoryWithTheInputsFiles) {
  const xj::test::ScratchDir scratch("hostile-skins");
  const std::filesystem::path dir = std::filesystem::path(scratch.Path()) / "skin";
  std::filesystem::create_directories(dir / "stale");
  const hostile::Input in = hostile::Make(1, First("section-missing") + 3);  // a picture file left out
  hostile::Write(in, dir);
  EXPECT_FALSE(std::filesystem::exists(dir / "stale"));
  size_t files = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) files += e.is_regular_file();
  EXPECT_EQ(files, in.files.size());
  EXPECT_LT(files, GoodFiles().size());
  for (const auto& [name, bytes] : in.files) EXPECT_EQ(std::filesystem::file_size(dir / name), bytes.size()) << name;
}
