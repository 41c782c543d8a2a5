// The generated form with stored skins (build/skins/test.form): read through the class library into a
// real form, each stored skin loads to the same skin as the skin directory, and the generator writes
// the stored skins exactly as the class library's own writer does.

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "skin/data/bsSkinData.h"
#include "tests/skin/data/SkinTestSupport.h"

using namespace skintest;

namespace {

class StoredSkinForm : public testing::Test {
 protected:
  void SetUp() override {
    directory.LoadFromFile(kTestSkinIni.string());
    ASSERT_FALSE(directory.Empty);
    ReadComponentResource(&form, ReadBytes(kSkins / "test.form"));
    stored = dynamic_cast<TbsStoredSkin*>(form.FindComponent("bsStoredSkin1"));
    compressed = dynamic_cast<TbsCompressedStoredSkin*>(form.FindComponent("bsCompressedStoredSkin1"));
    ASSERT_TRUE(stored && compressed);
    screen.ClearSent();
  }

  // The skin data loaded from one of the form's stored skins matches the directory.
  void ExpectTheDirectorysSkin(TbsSkinData& loaded, const char* name) {
    ASSERT_FALSE(loaded.Empty);
    ExpectSamePictures(loaded, directory);
    EXPECT_EQ(SavedWithoutPictureNames(loaded, dir / (std::string(name) + ".ini")),
              SavedWithoutPictureNames(directory, dir / "directory.ini"));
    ASSERT_EQ(screen.Sent().size(), 3u);
    EXPECT_EQ(screen.Sent()[2].msg, static_cast<UINT>(WM_SKINDATA_AFTERCHANGE));
  }

  TempDir dir;
  FormScreen screen;
  TForm& form { *screen.NewForm() };
  TbsSkinData directory { nullptr };
  TbsStoredSkin* stored { nullptr };
  TbsCompressedStoredSkin* compressed { nullptr };
};

TEST_F(StoredSkinForm, ReadsIntoAFormThatOwnsBothStoredSkins) {
  EXPECT_EQ(form.Name(), "SkinForm");
  EXPECT_EQ(stored->Owner(), &form);
  EXPECT_EQ(compressed->Owner(), &form);
  EXPECT_EQ(stored->FileName(), "skin.ini");
  EXPECT_EQ(compressed->FileName(), "skin.ini");
  // The stored skins hold what the generator's other outputs hold (the pictures are compared after
  // loading: the bitmap writer here records another resolution in the headers than the generator).
  EXPECT_EQ(stored->IniStrings()->Text(), ReadBytes(kTestSkinIni));
  ASSERT_EQ(stored->ActivePictures->Count(), directory.ActivePictures->Count());
  EXPECT_EQ(StreamBytes(*compressed->CompressedData), ReadBytes(kSkins / "test.compresseddata"));
}

TEST_F(StoredSkinForm, StoredSkinLoadsAsTheDirectory) {
  TbsSkinData loaded(&form);
  loaded.LoadStoredSkin(stored);
  ExpectTheDirectorysSkin(loaded, "stored");
}

TEST_F(StoredSkinForm, CompressedStoredSkinLoadsAsTheDirectory) {
  TbsSkinData loaded(&form);
  loaded.LoadCompressedStoredSkin(compressed);
  ExpectTheDirectorysSkin(loaded, "compressed");
}

// The text from the first stored skin on, with the Pictures bytes cut out, and the length of those.
std::pair<std::string, size_t> StoredSkinsText(const std::string& form) {
  const size_t from = form.find("  object bsStoredSkin1: TbsStoredSkin\r\n");
  const size_t pictures = form.find("    Pictures = {", from);
  const size_t end = form.find('}', pictures);
  if (from == std::string::npos || pictures == std::string::npos || end == std::string::npos) return {};
  return { form.substr(from, pictures - from) + form.substr(end), end - pictures };
}

TEST_F(StoredSkinForm, GeneratorWritesTheStoredSkinsAsTheClassLibraryDoes) {
  // The form's own properties are the writer's business, and the bitmap headers in Pictures differ in
  // their resolution fields; everything else of the stored skins must be the generator's byte for byte.
  const auto generated = StoredSkinsText(ReadBytes(kSkins / "test.form"));
  const auto written = StoredSkinsText(WriteComponentResource(&form));
  ASSERT_FALSE(generated.first.empty());
  ASSERT_FALSE(written.first.empty());
  EXPECT_EQ(written.first, generated.first);
  EXPECT_EQ(written.second, generated.second);
}

}  // namespace
