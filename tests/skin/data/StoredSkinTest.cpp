// Skins kept in forms: the "Pictures" and "CompressedData" layouts against the generator's bytes and
// Python's zlib, form resources that carry a skin and get it back, the compressed skin file, and the
// corrupt, truncated and absurd inputs that must fail cleanly without losing the previous content.

#include <gtest/gtest.h>

#include <map>

#include "skin/data/bsSkinData.h"
#include "skin/data/bszlib.h"
#include "tests/skin/data/SkinTestSupport.h"

using namespace skintest;

// A form stand-in that writes the components it owns.
class TSkinTestForm : public TComponent {
  XJ_CLASS(TSkinTestForm, TComponent)
 public:
  explicit TSkinTestForm(TComponent* AOwner) : TComponent(AOwner) {}
  void GetChildren(TGetChildProc Proc, TComponent*) override {
    for (int i = 0; i < ComponentCount(); ++i) Proc(Components(i));
  }
};
XJ_PUBLISHED(TSkinTestForm);

namespace {

std::string Zlib(const std::string& payload) {
  TMemoryStream src, dst;
  SetStreamBytes(src, payload);
  CompressStream(&src, &dst);
  return StreamBytes(dst);
}

std::string Int32(int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  return std::string { static_cast<char>(u), static_cast<char>(u >> 8), static_cast<char>(u >> 16),
                       static_cast<char>(u >> 24) };
}

class StoredSkins : public testing::Test {
 protected:
  void SetUp() override {
    directory.LoadFromFile(kTestSkinIni.string());
    ASSERT_FALSE(directory.Empty);
    screen.ClearSent();
  }
  std::vector<UINT> Messages() const {
    std::vector<UINT> out;
    for (const SentMessage& m : screen.Sent()) out.push_back(m.msg);
    return out;
  }
  void SetCompressed(TbsCompressedStoredSkin& c, const std::string& bytes) { SetStreamBytes(*c.CompressedData, bytes); }

  TempDir dir;
  FormScreen screen;
  TForm& form { *screen.NewForm() };
  TbsSkinData directory { nullptr };
};

const std::vector<UINT> kLoadMessages = { WM_SKINDATA_BEFORECHANGE, WM_SKINDATA_CHANGE, WM_SKINDATA_AFTERCHANGE };

// ---- TbsStoredSkin ----

TEST_F(StoredSkins, FilledFromASkinDirectoryAtDesignTime) {
  TbsStoredSkin s(nullptr);
  s.SetFileName(kTestSkinIni.string());  // at run time only the name is kept
  EXPECT_EQ(s.FileName(), kTestSkinIni.string());
  EXPECT_EQ(s.IniStrings()->Count(), 0);
  s.SetDesigning(true);
  s.SetFileName(kTestSkinIni.string());
  EXPECT_EQ(s.FileName(), "skin.ini");
  EXPECT_EQ(s.IniStrings()->Text(), ReadBytes(kTestSkinIni));
  ASSERT_EQ(s.ActivePictures->Count(), 9);
  EXPECT_EQ(ImageBytes(s.Picture.get()), ImageBytes(directory.Picture.get()));
  EXPECT_EQ(ImageBytes(Active(s.ActivePictures.get(), 6)), ImageBytes(Active(directory.ActivePictures.get(), 6)));
}

TEST_F(StoredSkins, PicturesPropertyOfTheGeneratorReadsToTheSamePictures) {
  TbsStoredSkin s(nullptr);
  TMemoryStream blob;
  SetStreamBytes(blob, ReadBytes(kSkins / "test.pictures"));
  s.ReadData(&blob);
  EXPECT_EQ(blob.Position(), blob.Size());
  s.SetIniStrings([] {
    static TStringList lines;
    lines.LoadFromFile(kTestSkinIni.string());
    return &lines;
  }());
  TbsSkinData stored(nullptr);
  stored.LoadStoredSkin(&s);
  ASSERT_FALSE(stored.Empty);
  ExpectSamePictures(stored, directory);
  EXPECT_EQ(stored.ActivePictureNames->Count(), 0);
  EXPECT_EQ(stored.PictureName, "");
  EXPECT_EQ(SavedWithoutPictureNames(stored, dir / "a.ini"), SavedWithoutPictureNames(directory, dir / "b.ini"));

  // Written again, it reads back to the same pictures.
  TMemoryStream again;
  s.WriteData(&again);
  TbsStoredSkin copy(nullptr);
  again.SetPosition(0);
  copy.ReadData(&again);
  for (int i = 0; i < s.ActivePictures->Count(); ++i)
    EXPECT_EQ(ImageBytes(Active(copy.ActivePictures.get(), i)), ImageBytes(Active(s.ActivePictures.get(), i)));
}

TEST_F(StoredSkins, PicturesLayout) {
  TbsStoredSkin s(nullptr);
  s.Picture->Assign(Active(directory.ActivePictures.get(), 6));  // 16 x 16
  TMemoryStream out;
  s.WriteData(&out);
  const std::string bytes = StreamBytes(out);
  const std::string image = ImageBytes(s.Picture.get());
  // Flag 0 and the image; flag 1 for each empty picture; no active pictures: the count 0 ends it.
  EXPECT_EQ(bytes, std::string(1, '\0') + image + "\x01\x01" + Int32(0));

  // Reading it: the empty flags make empty pictures, and what follows is read from the next byte.
  TbsStoredSkin read(nullptr);
  read.InActivePicture->Assign(directory.Picture.get());
  out.SetPosition(0);
  read.ReadData(&out);
  EXPECT_EQ(ImageBytes(read.Picture.get()), image);
  EXPECT_TRUE(read.InActivePicture->Empty());
  EXPECT_TRUE(read.Mask->Empty());
  EXPECT_EQ(read.ActivePictures->Count(), 0);

  // An empty active picture keeps its index: it is written as a header-only image.
  TbsStoredSkin withGap(nullptr);
  for (TBitmap* b : { static_cast<TBitmap*>(nullptr), Active(directory.ActivePictures.get(), 6) }) {
    auto* copy = new TBitmap;
    if (b) copy->Assign(b);
    withGap.ActivePictures->Add(copy);
  }
  TMemoryStream gap;
  withGap.WriteData(&gap);
  TbsStoredSkin gapRead(nullptr);
  gap.SetPosition(0);
  gapRead.ReadData(&gap);
  ASSERT_EQ(gapRead.ActivePictures->Count(), 2);
  EXPECT_TRUE(Active(gapRead.ActivePictures.get(), 0)->Empty());
  EXPECT_EQ(Active(gapRead.ActivePictures.get(), 1)->Width(), 16);
}

TEST_F(StoredSkins, BadPicturesDataChangesNothing) {
  const std::string good = ReadBytes(kSkins / "test.pictures");
  const std::string tile = ImageBytes(Active(directory.ActivePictures.get(), 6));
  std::string longImage = tile;
  longImage[2] = static_cast<char>(0xFF);  // bfSize far beyond the bytes there
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
    { "nothing", "" },
    { "cut in the middle", good.substr(0, good.size() / 2) },
    { "last byte missing", good.substr(0, good.size() - 1) },
    { "a million pictures announced", std::string("\x01\x01\x01", 3) + Int32(1000000) + tile },
    { "a negative count", std::string("\x01\x01\x01", 3) + Int32(-1) },
    { "an image longer than the data", std::string("\x00\x01\x01", 3) + longImage + Int32(0) },
    { "no bitmap after a zero flag", std::string("\x00", 1) + "XX" + std::string(60, '\0') },
  };
  for (const Case& c : cases) {
    TbsStoredSkin s(nullptr);
    s.Picture->Assign(directory.Picture.get());
    auto* kept = new TBitmap;
    kept->Assign(Active(directory.ActivePictures.get(), 6));
    s.ActivePictures->Add(kept);
    TMemoryStream in;
    SetStreamBytes(in, c.bytes);
    EXPECT_THROW(s.ReadData(&in), Exception) << c.what;
    EXPECT_EQ(s.Picture->Width(), 240) << c.what;
    ASSERT_EQ(s.ActivePictures->Count(), 1) << c.what;
    EXPECT_EQ(Active(s.ActivePictures.get(), 0), kept) << c.what;
  }
}

TEST_F(StoredSkins, AFailedFileLoadChangesNothing) {
  TbsStoredSkin s(nullptr);
  s.LoadFromFile(kTestSkinIni.string());
  TempDir skin;
  const fs::path ini = CopyTestSkin(skin.Path());
  ReplaceInFile(ini, "skinname=Generated Test Skin", "skinname=Changed");
  fs::remove(skin / "ctrl2.bmp");
  EXPECT_THROW(s.LoadFromFile(ini.string()), Exception);
  EXPECT_EQ(s.IniStrings()->Text(), ReadBytes(kTestSkinIni));
  EXPECT_EQ(s.ActivePictures->Count(), 9);
  EXPECT_THROW(s.LoadFromFile((skin / "none.ini").string()), EFOpenError);
  EXPECT_EQ(s.ActivePictures->Count(), 9);
}

TEST_F(StoredSkins, StoredSkinGetsTheMaskAdjustmentOfItsDirectory) {
  // A skin whose mask area and hit-test points come from the load-time adjustment: stored, it must
  // come out as from its directory although it has no mask file name.
  TempDir skin;
  const fs::path ini = CopyTestSkin(skin.Path());
  std::string text = ReadBytes(ini);
  for (const char* key : { "maskrectarea=", "hittestlefttoppoint=", "hittestleftbottompoint=" }) {
    const size_t at = text.find(key);
    text.erase(at, text.find("\r\n", at) + 2 - at);
  }
  WriteBytes(ini, text);
  TbsSkinData fromDirectory(nullptr);
  fromDirectory.LoadFromFile(ini.string());
  TbsStoredSkin s(nullptr);
  s.LoadFromFile(ini.string());
  TbsSkinData fromStored(nullptr);
  fromStored.LoadStoredSkin(&s);
  EXPECT_EQ(fromDirectory.MaskRectArea, fromDirectory.ClRect);
  EXPECT_EQ(fromStored.MaskRectArea, fromDirectory.MaskRectArea);
  EXPECT_EQ(fromStored.HitTestLTPoint, fromDirectory.LTPoint);
  EXPECT_EQ(fromStored.HitTestLBPoint, fromDirectory.LBPoint);
  EXPECT_EQ(fromStored.HitTestRTPoint, fromDirectory.HitTestRTPoint);
}

// ---- Form resources ----

TEST_F(StoredSkins, AFormWithStoredSkinsGetsItsSkinsBack) {
  std::string resource;
  {
    TSkinTestForm source(nullptr);
    source.SetName("Form1");
    auto* stored = new TbsStoredSkin(&source);
    stored->SetName("bsStoredSkin1");
    stored->LoadFromFile(kTestSkinIni.string());
    auto* compressed = new TbsCompressedStoredSkin(&source);
    compressed->SetName("bsCompressedStoredSkin1");
    compressed->LoadFromIniFile(kTestSkinIni.string());
    auto* plain = new TbsSkinData(&source);
    plain->SetName("bsSkinData1");
    plain->SetDesigning(true);  // only the reference, as a designer keeps it
    plain->SetStoredSkin(stored);
    EXPECT_TRUE(plain->Empty);
    auto* packed = new TbsSkinData(&source);
    packed->SetName("bsSkinData2");
    packed->SetDesigning(true);
    packed->SetCompressedStoredSkin(compressed);
    resource = WriteComponentResource(&source);
  }
  EXPECT_NE(resource.find("Pictures = {"), std::string::npos);
  EXPECT_NE(resource.find("CompressedData = {"), std::string::npos);
  EXPECT_NE(resource.find("StoredSkin = bsStoredSkin1"), std::string::npos);

  TSkinTestForm target(nullptr);
  screen.ClearSent();
  ReadComponentResource(&target, resource);
  auto* plain = dynamic_cast<TbsSkinData*>(target.FindComponent("bsSkinData1"));
  auto* packed = dynamic_cast<TbsSkinData*>(target.FindComponent("bsSkinData2"));
  ASSERT_TRUE(plain && packed);
  ASSERT_FALSE(plain->Empty);
  ASSERT_FALSE(packed->Empty);
  ExpectSamePictures(*plain, directory);
  ExpectSamePictures(*packed, directory);
  const std::string expected = SavedWithoutPictureNames(directory, dir / "d.ini");
  EXPECT_EQ(SavedWithoutPictureNames(*plain, dir / "p.ini"), expected);
  EXPECT_EQ(SavedWithoutPictureNames(*packed, dir / "c.ini"), expected);
  // Each skin data told the forms while loading at the reference fix-up.
  EXPECT_EQ(screen.Sent().size(), 6u);
}

TEST_F(StoredSkins, StoredSkinReferences) {
  TComponent other(nullptr);  // another form or data module
  auto* stored = new TbsStoredSkin(&other);
  stored->LoadFromFile(kTestSkinIni.string());
  auto* data = new TbsSkinData(&form);
  data->SetDesigning(true);
  data->SetStoredSkin(stored);
  EXPECT_TRUE(screen.Sent().empty());  // at design time nothing is loaded
  data->SetDesigning(false);
  data->SetStoredSkin(stored);
  EXPECT_EQ(Messages(), kLoadMessages);
  EXPECT_FALSE(data->Empty);
  // Freed with its owner, the stored skin leaves no dangling reference; the loaded skin stays.
  other.DestroyComponents();
  EXPECT_EQ(data->StoredSkin(), nullptr);
  EXPECT_FALSE(data->Empty);
  data->SetStoredSkin(nullptr);

  auto* compressed = new TbsCompressedStoredSkin(&other);
  compressed->LoadFromIniFile(kTestSkinIni.string());
  data->SetCompressedStoredSkin(compressed);
  delete compressed;
  EXPECT_EQ(data->CompressedStoredSkin(), nullptr);
}

TEST_F(StoredSkins, FileNameReadFromAFormLoadsNothing) {
  TSkinTestForm target(nullptr);
  ReadComponentResource(
      &target,
      "object Form1: TSkinTestForm\r\n  object S: TbsStoredSkin\r\n    FileName = '/no/such/skin.ini'\r\n"
      "  end\r\n  object C: TbsCompressedStoredSkin\r\n    FileName = 'c:\\skins\\x.ini'\r\n  end\r\nend\r\n");
  auto* s = dynamic_cast<TbsStoredSkin*>(target.FindComponent("S"));
  auto* c = dynamic_cast<TbsCompressedStoredSkin*>(target.FindComponent("C"));
  ASSERT_TRUE(s && c);
  EXPECT_EQ(s->FileName(), "/no/such/skin.ini");
  EXPECT_EQ(c->FileName(), "c:\\skins\\x.ini");
  EXPECT_TRUE(c->Empty());
}

// ---- TbsCompressedStoredSkin and the compressed skin file ----

TEST_F(StoredSkins, CompressedSkinFileRoundTripAndLayout) {
  TbsCompressedStoredSkin c(nullptr);
  c.LoadFromIniFile(kTestSkinIni.string());
  ASSERT_FALSE(c.Empty());
  const std::string data = StreamBytes(*c.CompressedData);
  ASSERT_GE(data.size(), 2u);
  EXPECT_EQ(data.substr(0, 2), "\x78\xDA");
  c.SaveToCompressFile((dir / "skin.skn").string());
  const std::string file = ReadBytes(dir / "skin.skn");
  EXPECT_EQ(file, Int32(1) + Int32(static_cast<int32_t>(data.size())) + data);
  TbsCompressedStoredSkin back(nullptr);
  back.LoadFromCompressFile((dir / "skin.skn").string());
  EXPECT_EQ(StreamBytes(*back.CompressedData), data);

  // Another zlib inflates it to the payload: marker, the flagged base pictures ..., and last the INI text.
  WriteBytes(dir / "data.z", data);
  ASSERT_TRUE(PythonZlib("decompress", dir / "data.z", dir / "payload"));
  const std::string payload = ReadBytes(dir / "payload");
  EXPECT_EQ(payload.substr(0, 5), Int32(1) + std::string(1, '\0'));
  const std::string ini = ReadBytes(kTestSkinIni);
  ASSERT_GT(payload.size(), ini.size());
  EXPECT_EQ(payload.substr(payload.size() - ini.size()), ini);
  TMemoryStream inflated;
  c.DeCompressToStream(&inflated);
  EXPECT_EQ(StreamBytes(inflated), payload);
}

TEST_F(StoredSkins, GeneratorsCompressedFileLoadsAsTheDirectory) {
  TbsCompressedStoredSkin c(nullptr);
  c.LoadFromCompressFile((kSkins / "test.skn").string());
  EXPECT_EQ(StreamBytes(*c.CompressedData), ReadBytes(kSkins / "test.compresseddata"));
  TbsSkinData packed(&form);
  packed.LoadCompressedStoredSkin(&c);
  ASSERT_FALSE(packed.Empty);
  EXPECT_EQ(Messages(), kLoadMessages);
  ExpectSamePictures(packed, directory);
  EXPECT_EQ(SavedWithoutPictureNames(packed, dir / "a.ini"), SavedWithoutPictureNames(directory, dir / "b.ini"));
}

TEST_F(StoredSkins, EmptyCompressedSkin) {
  TbsCompressedStoredSkin c(nullptr);
  EXPECT_TRUE(c.Empty());
  TbsSkinData data(&form);
  data.LoadCompressedStoredSkin(&c);
  EXPECT_TRUE(screen.Sent().empty());
  c.SaveToCompressFile((dir / "none.skn").string());
  EXPECT_FALSE(fs::exists(dir / "none.skn"));
  // A file whose size word is 0 holds an empty skin.
  WriteBytes(dir / "zero.skn", Int32(1) + Int32(0));
  c.LoadFromIniFile(kTestSkinIni.string());
  c.LoadFromCompressFile((dir / "zero.skn").string());
  EXPECT_TRUE(c.Empty());
}

TEST_F(StoredSkins, BadCompressedFilesKeepThePreviousSkin) {
  const std::string good = ReadBytes(kSkins / "test.skn");
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
    { "marker 0", Int32(0) + good.substr(4) },
    { "size past the end", Int32(1) + Int32(static_cast<int32_t>(good.size())) + good.substr(8) },
    { "negative size", Int32(1) + Int32(-8) + good.substr(8) },
    { "shorter than its header", good.substr(0, 6) },
    { "empty", "" },
  };
  TbsCompressedStoredSkin c(nullptr);
  c.LoadFromIniFile(kTestSkinIni.string());
  const std::string before = StreamBytes(*c.CompressedData);
  for (const Case& k : cases) {
    WriteBytes(dir / "bad.skn", k.bytes);
    EXPECT_THROW(c.LoadFromCompressFile((dir / "bad.skn").string()), EReadError) << k.what;
    EXPECT_EQ(StreamBytes(*c.CompressedData), before) << k.what;
  }
  EXPECT_THROW(c.LoadFromCompressFile((dir / "missing.skn").string()), EFOpenError);
  EXPECT_EQ(StreamBytes(*c.CompressedData), before);
  EXPECT_THROW(c.SaveToCompressFile((dir / "no dir" / "x.skn").string()), EFCreateError);
}

TEST_F(StoredSkins, PackingFailuresKeepThePreviousSkin) {
  TbsCompressedStoredSkin c(nullptr);
  c.LoadFromIniFile(kTestSkinIni.string());
  const std::string before = StreamBytes(*c.CompressedData);
  TempDir skin;
  const fs::path ini = CopyTestSkin(skin.Path());
  fs::remove(skin / "btns.bmp");
  EXPECT_THROW(c.LoadFromIniFile(ini.string()), Exception);
  EXPECT_EQ(StreamBytes(*c.CompressedData), before);
  WriteBytes(skin / "notskin.ini", "[VERSION]\r\nver=1\r\n");
  c.LoadFromIniFile((skin / "notskin.ini").string());  // no skin: nothing happens
  EXPECT_EQ(StreamBytes(*c.CompressedData), before);
  EXPECT_THROW(c.LoadFromIniFile((skin / "none.ini").string()), EFOpenError);
}

TEST_F(StoredSkins, CorruptCompressedSkinsFailCleanly) {
  const std::string data = ReadBytes(kSkins / "test.compresseddata");
  TMemoryStream inflated;
  {
    TbsCompressedStoredSkin c(nullptr);
    SetStreamBytes(*c.CompressedData, data);
    c.DeCompressToStream(&inflated);
  }
  const std::string payload = StreamBytes(inflated);
  const std::string ini = ReadBytes(kTestSkinIni);
  const std::string images = payload.substr(4, payload.size() - 4 - ini.size());
  std::string flipped = data;
  flipped[data.size() / 2] ^= 0x40;
  std::string longImage = images;
  longImage[1 + 5] = static_cast<char>(0x7F);  // the high byte of the frame picture's bfSize
  struct Case {
    const char* what;
    std::string compressed;
  } cases[] = {
    { "a byte flipped", flipped },
    { "the last 10 bytes cut", data.substr(0, data.size() - 10) },
    { "cut inside the INI text", data.substr(0, data.size() - 40) },
    { "a million pictures", Zlib(Int32(1) + std::string("\x01\x01\x01", 3) + Int32(1000000) + "[VERSION]") },
    { "an image longer than the payload", Zlib(Int32(1) + longImage + ini) },
    { "the payload ends in an image", Zlib(payload.substr(0, 4 + images.size() / 2)) },
    { "no zlib data", "this is no zlib stream" },
  };
  TbsSkinData skin(&form);
  for (const Case& k : cases) {
    skin.LoadFromFile(kTestSkinIni.string());
    screen.ClearSent();
    TbsCompressedStoredSkin c(nullptr);
    SetCompressed(c, k.compressed);
    EXPECT_THROW(skin.LoadCompressedStoredSkin(&c), Exception) << k.what;
    EXPECT_EQ(Messages(), kLoadMessages) << k.what;
    EXPECT_TRUE(skin.Empty) << k.what;
    EXPECT_EQ(skin.CtrlList->Count() + skin.ObjectList->Count() + skin.ActivePictures->Count(), 0) << k.what;
  }

  // Another payload marker is no skin: cleared, told, nothing raised.
  skin.LoadFromFile(kTestSkinIni.string());
  screen.ClearSent();
  TbsCompressedStoredSkin marker2(nullptr);
  SetCompressed(marker2, Zlib(Int32(2) + payload.substr(4)));
  skin.LoadCompressedStoredSkin(&marker2);
  EXPECT_EQ(Messages(), kLoadMessages);
  EXPECT_TRUE(skin.Empty);
  EXPECT_EQ(skin.CtrlList->Count(), 0);

  // The payload as it is loads.
  TbsCompressedStoredSkin whole(nullptr);
  SetCompressed(whole, Zlib(payload));
  skin.LoadCompressedStoredSkin(&whole);
  EXPECT_FALSE(skin.Empty);
}

}  // namespace
