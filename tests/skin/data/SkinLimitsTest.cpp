// Skins made to hurt the loader: tens of thousands of records, lists counted past their limit, one
// picture named thousands of times, more pictures than a skin may decode, names that lead to no regular
// file, and rectangles at the ends of the integer range.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "platform/vcl/Graphics.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsUtils.h"
#include "tests/support/NonRegularFiles.h"
#include "tests/skin/data/SkinTestSupport.h"

using namespace skintest;

namespace {

// A skin of the five sections: Pictures, Objects and FormInfo are the lines of [PICTURES], [SKINOBJECTS]
// ("count" included) and [FORMINFO]; Extra follows.
std::string Skin(const std::string& Pictures, const std::string& Objects, const std::string& Extra = "",
                 const std::string& FormInfo = "borderwidth=3\r\n") {
  return "[VERSION]\r\nskinname=limits\r\n[PICTURES]\r\n" + Pictures + "[FORMINFO]\r\n" + FormInfo +
         "[SKINOBJECTS]\r\n" + Objects + "[SKINCONTROLS]\r\ncount=0\r\n" + Extra;
}

// An entry list: "<Prefix>count=Count", then "<i>=<Entry(i)>" for each i of Present.
template <class F>
std::string List(const std::string& CountKey, long long Count, const std::vector<int>& Present, F Entry) {
  std::string s = CountKey + "=" + std::to_string(Count) + "\r\n";
  for (int i : Present) s += std::to_string(i) + "=" + Entry(i) + "\r\n";
  return s;
}

// What a 24-bit picture of W x H takes once decoded: rows padded to four bytes.
int Decoded24(int W, int H) { return (W * 24 + 31) / 32 * 4 * H; }

// A 24-bit picture of W x H whose pixel (x, y) is RGB(x, y, Seed).
void WritePicture(const fs::path& File, int W, int H, int Seed) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) b.Canvas()->SetPixels(x, y, RGB(x, y, Seed));
  b.SaveToFile(File.string());
}

TBitmap* Picture(TbsSkinData& d, int i) { return static_cast<TBitmap*>(d.ActivePictures->Items(i)); }

class SkinLimits : public testing::Test {
 protected:
  void Load(const std::string& Text) {
    WriteBytes(dir / "skin.ini", Text);
    data.LoadFromFile((dir / "skin.ini").string());
  }

  TempDir dir;
  FormScreen screen;
  TForm& form { *screen.NewForm() };
  TbsSkinData& data { *new TbsSkinData(&form) };  // owned by its form
};

TEST_F(SkinLimits, SixtyFiveThousandRecordsLoadAndSave) {
  const int n = MaxSkinListCount;
  std::string objects = "count=" + std::to_string(n) + "\r\n", sections;
  for (int i = 0; i < n; ++i) {
    objects += std::to_string(i) + "=r" + std::to_string(i) + ":userobject\r\n";
    sections +=
        "[r" + std::to_string(i) + "]\r\nskinrect=" + std::to_string(i) + ",1," + std::to_string(i + 7) + ",9\r\n";
  }
  Load(Skin("activepicturescount=0\r\n", objects, sections));
  ASSERT_EQ(data.ObjectList->Count(), n);
  for (int i : { 0, 1, 40000, n - 1 }) {
    const auto* r = static_cast<TbsDataSkinObject*>(data.ObjectList->Items(i));
    EXPECT_EQ(r->IDName, "r" + std::to_string(i));
    EXPECT_EQ(r->SkinRect, TRect(i, 1, i + 7, 9));
  }
  // Saved over its own file (every record section erased and written again) and read back.
  data.SaveToFile((dir / "skin.ini").string());
  TbsSkinData again(nullptr);
  again.LoadFromFile((dir / "skin.ini").string());
  ASSERT_EQ(again.ObjectList->Count(), n);
  EXPECT_EQ(static_cast<TbsDataSkinObject*>(again.ObjectList->Items(n - 1))->SkinRect, TRect(n - 1, 1, n + 6, 9));
}

TEST_F(SkinLimits, CountsPastTheLimitReadTheEntriesThere) {
  WritePicture(dir / "a.bmp", 5, 3, 1);
  auto record = [](int i) { return "o" + std::to_string(i) + ":userobject"; };
  auto picture = [](int) { return std::string("a.bmp"); };
  struct Case {
    long long count;
    std::vector<int> present;
    int expected;  // entries read
  } cases[] = {
    { MaxSkinListCount + 1LL, { 0, 1, 2 }, 3 },
    { INT_MAX, { 0, 2 }, 3 },                                       // the gap reads as an empty entry
    { INT_MAX, { 0, 1, MaxSkinListCount - 1 }, MaxSkinListCount },  // up to the last one there, below the limit
    { INT_MAX, { 0, MaxSkinListCount }, 1 },                        // one past the limit is not read
    { INT_MAX, {}, 0 },
    { MaxSkinListCount, { 0 }, MaxSkinListCount },  // up to the limit the count stands
    { -3, { 0 }, 0 },
  };
  for (const Case& c : cases) {
    Load(Skin(List("activepicturescount", c.count, c.present, picture), List("count", c.count, c.present, record)));
    EXPECT_FALSE(data.Empty) << c.count;
    ASSERT_EQ(data.ActivePictures->Count(), c.expected) << c.count;
    if (c.expected > 0) {
      EXPECT_EQ(Picture(data, 0)->Width(), 5) << c.count;
    }
    const int records =
        static_cast<int>(std::count_if(c.present.begin(), c.present.end(), [&](int i) { return i < c.expected; }));
    EXPECT_EQ(data.ObjectList->Count(), records) << c.count;
  }
}

TEST_F(SkinLimits, APictureNamedAgainIsDecodedOnce) {
  fs::create_directory(dir / "sub");
  WritePicture(dir / "sub" / "Face.bmp", 33, 17, 7);
  xj::test::LinkTo("sub/Face.bmp", (dir / "link.bmp").string());
  // Every spelling of one file: as written, another letter case, "\" for "/", a detour, a link.
  const char* const names[] = { "sub/Face.bmp", "SUB/face.BMP", "sub\\Face.bmp", "sub/../sub/Face.bmp", "link.bmp" };
  const int n = 2000;
  std::string pictures = "picture=sub/Face.bmp\r\nactivepicturescount=" + std::to_string(n + 1) + "\r\n";
  for (int i = 0; i < n; ++i) pictures += std::to_string(i) + "=" + names[i % 5] + "\r\n";
  pictures += std::to_string(n) + "=\r\n";
  // The limit holds the INI text and what the parser builds, the base picture and one copy of it, not
  // two, and the file's bytes while the copy is decoded.
  WriteBytes(dir / "skin.ini", Skin(pictures, "count=0\r\n"));
  const auto face = static_cast<int64_t>(fs::file_size(dir / "sub" / "Face.bmp"));
  data.MaxPictureBytes = IniCost(dir / "skin.ini") + 2 * Decoded24(33, 17) + face;
  Load(Skin(pictures, "count=0\r\n"));
  ASSERT_FALSE(data.Empty);
  ASSERT_EQ(data.ActivePictures->Count(), n + 1);
  TBitmap* first = Picture(data, 0);
  for (int i = 1; i < n; ++i) ASSERT_EQ(Picture(data, i), first) << i;
  EXPECT_TRUE(Picture(data, n)->Empty());
  EXPECT_EQ(first->Canvas()->Pixels(32, 16), TColor(RGB(32, 16, 7)));
  // Deleting one entry leaves the picture to the others; clearing frees it once.
  data.DeleteBitMap(0);
  EXPECT_EQ(Picture(data, 0), first);
  EXPECT_EQ(first->Width(), 33);

  // A stored skin made from the directory keeps one picture per file, and so does a skin loaded from it.
  TbsStoredSkin stored(nullptr);
  stored.LoadFromFile((dir / "skin.ini").string());
  ASSERT_EQ(stored.ActivePictures->Count(), n + 1);
  EXPECT_EQ(stored.ActivePictures->Items(n - 1), stored.ActivePictures->Items(0));
  data.LoadStoredSkin(&stored);
  ASSERT_EQ(data.ActivePictures->Count(), n + 1);
  EXPECT_EQ(Picture(data, n - 1), Picture(data, 0));
  EXPECT_NE(Picture(data, 0), stored.ActivePictures->Items(0));
  data.ClearSkin();
}

TEST_F(SkinLimits, PicturesBeyondWhatASkinMayDecodeFailTheLoadNamingThePicture) {
  WritePicture(dir / "a.bmp", 10, 4, 1);
  WritePicture(dir / "b.bmp", 10, 4, 2);
  WritePicture(dir / "c.bmp", 10, 4, 3);
  const int each = Decoded24(10, 4);
  const std::string pictures = "activepicturescount=4\r\n0=a.bmp\r\n1=b.bmp\r\n2=a.bmp\r\n3=c.bmp\r\n";
  WriteBytes(dir / "skin.ini", Skin(pictures, "count=0\r\n"));
  // The INI text and what the parser builds, three pictures decoded, and the last one's file while it is
  // decoded.
  const auto need = IniCost(dir / "skin.ini") + static_cast<int64_t>(fs::file_size(dir / "c.bmp")) + 3 * each;
  data.MaxPictureBytes = need;
  Load(Skin(pictures, "count=0\r\n"));
  EXPECT_EQ(data.ActivePictures->Count(), 4);

  data.MaxPictureBytes = need - 1;
  screen.ClearSent();
  try {
    Load(Skin(pictures, "count=0\r\n"));
    FAIL() << "loaded past the limit";
  } catch (const EbsSkinTooLarge& e) {
    EXPECT_NE(e.Message().find("c.bmp"), std::string::npos) << e.Message();
  }
  EXPECT_TRUE(data.Empty);
  EXPECT_EQ(data.ActivePictures->Count(), 0);
  EXPECT_EQ(screen.Sent().back().msg, static_cast<UINT>(WM_SKINDATA_AFTERCHANGE));

  // A compressed skin holds each picture as often as it is named; the same limit counts every copy, on
  // top of the data inflated. With room for all four, what goes past it is the INI text, read after them.
  TbsCompressedStoredSkin packed(nullptr);
  packed.LoadFromIniFile((dir / "skin.ini").string());
  TMemoryStream payload;
  packed.DeCompressToStream(&payload);
  auto failure = [&](int64_t Limit) {
    data.MaxPictureBytes = Limit;
    try {
      data.LoadCompressedStoredSkin(&packed);
    } catch (const EbsSkinTooLarge& e) {
      EXPECT_TRUE(data.Empty);
      return e.Message();
    }
    return AnsiString("loaded");
  };
  EXPECT_NE(failure(payload.Size() + 4 * each - 1).find("active picture 3"), std::string::npos);
  EXPECT_NE(failure(payload.Size() + 4 * each).find("the INI text"), std::string::npos);
  data.MaxPictureBytes = MaxSkinPictureBytes;
  data.LoadCompressedStoredSkin(&packed);
  EXPECT_EQ(data.ActivePictures->Count(), 4);
}

TEST_F(SkinLimits, NamesThatLeadToNoRegularFileAreRefusedAtOnce) {
  using xj::test::ExpectRefused;
  using xj::test::kNotRegular;
  xj::test::GuardedFifo fifo((dir / "pipe").string());
  xj::test::LinkTo("pipe", (dir / "to-pipe").string());
  xj::test::LinkTo("/dev/zero", (dir / "zero").string());
  xj::test::LinkTo("/dev/urandom", (dir / "random").string());
  WritePicture(dir / "a.bmp", 4, 4, 1);
  // The FIFO first: should a loader wait on it, the guard ends the wait and the first check stops the test.
  for (const std::string name : { "pipe", "to-pipe", "zero", "random" }) {
    const std::string path = (dir / name).string();
    ASSERT_NO_FATAL_FAILURE(ExpectRefused("skin file", path, kNotRegular, [&] { data.LoadFromFile(path); }));
    EXPECT_TRUE(data.Empty);
    TbsStoredSkin stored(nullptr);
    ASSERT_NO_FATAL_FAILURE(ExpectRefused("stored skin", path, kNotRegular, [&] { stored.LoadFromFile(path); }));
    TbsCompressedStoredSkin packed(nullptr);
    ASSERT_NO_FATAL_FAILURE(
        ExpectRefused("compressed skin's INI", path, kNotRegular, [&] { packed.LoadFromIniFile(path); }));
    ASSERT_NO_FATAL_FAILURE(
        ExpectRefused("compressed skin file", path, kNotRegular, [&] { packed.LoadFromCompressFile(path); }));
    EXPECT_TRUE(packed.Empty());
    // As a picture of a skin: the base picture, the mask, an active picture.
    for (const std::string& pictures : { "picture=" + name + "\r\n", "mask=" + name + "\r\n",
                                         "activepicturescount=2\r\n0=a.bmp\r\n1=" + name + "\r\n" }) {
      WriteBytes(dir / "skin.ini", Skin(pictures, "count=0\r\n"));
      const std::string ini = (dir / "skin.ini").string();
      ASSERT_NO_FATAL_FAILURE(ExpectRefused(pictures, name, kNotRegular, [&] { data.LoadFromFile(ini); }));
      EXPECT_TRUE(data.Empty);
      ASSERT_NO_FATAL_FAILURE(ExpectRefused(pictures, name, kNotRegular, [&] { stored.LoadFromFile(ini); }));
      ASSERT_NO_FATAL_FAILURE(ExpectRefused(pictures, name, kNotRegular, [&] { packed.LoadFromIniFile(ini); }));
    }
  }
}

TEST_F(SkinLimits, NullRectanglesAtTheEndsOfTheIntegerRange) {
  struct Case {
    TRect r;
    bool null;
  } cases[] = {
    { TRect(INT_MAX, 0, -5, 10), true },  // inverted by more than 32 bits hold
    { TRect(-5, 0, INT_MAX, 10), false },    { TRect(INT_MIN, 3, INT_MAX, 4), false },  // the widest there is
    { TRect(7, INT_MAX, 9, INT_MIN), true }, { TRect(0, INT_MIN, 1, INT_MAX), false },
    { TRect(INT_MAX, 0, INT_MAX, 1), true },
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsNullRect(c.r), c.null) << c.r.Left << "," << c.r.Top << "," << c.r.Right << "," << c.r.Bottom;
  // Such a mask area in a skin counts as none: the client rectangle takes its place.
  WritePicture(dir / "m.bmp", 6, 5, 1);
  Load(Skin("mask=m.bmp\r\n", "count=0\r\n", "", "clientrect=4,4,40,20\r\nmaskrectarea=2147483647,0,-5,10\r\n"));
  ASSERT_FALSE(data.Empty);
  EXPECT_EQ(data.MaskRectArea, TRect(4, 4, 40, 20));
}

TEST_F(SkinLimits, GeometryOutsideItsPictureCountsAsAMissingPicture) {
  WritePicture(dir / "frame.bmp", 40, 30, 1);
  WritePicture(dir / "ctrl.bmp", 50, 40, 2);
  WritePicture(dir / "small.bmp", 8, 8, 3);
  WritePicture(dir / "mask.bmp", 40, 30, 4);
  const auto frameSkin = [](const std::string& ClientRect, const std::string& CloseRect,
                            const std::string& Mask = "mask.bmp") {
    return "[VERSION]\r\nskinname=geometry\r\n"
           "[PICTURES]\r\npicture=frame.bmp\r\nmask=" +
           Mask +
           "\r\nactivepicturescount=2\r\n0=ctrl.bmp\r\n1=small.bmp\r\n"
           "[FORMINFO]\r\nclientrect=" +
           ClientRect +
           "\r\n"
           "[SKINOBJECTS]\r\ncount=1\r\n0=close:stdbutton\r\n[close]\r\nactivepictureindex=0\r\nskinrect=" +
           CloseRect +
           "\r\nactiveskinrect=0,0,10,10\r\n"
           "[SKINCONTROLS]\r\ncount=5\r\n0=fits:button\r\n1=outside:checkradio\r\n2=huge:button\r\n"
           "3=masked:button\r\n4=bare:panel\r\n"
           "[fits]\r\npictureindex=0\r\nmaskpictureindex=1\r\nskinrect=2,2,10,10\r\nclientrect=1,1,7,7\r\n"
           "[outside]\r\npictureindex=0\r\nmaskpictureindex=1\r\nskinrect=0,0,20,20\r\n"
           "uncheckimagerect=1,-3936,3393,32767\r\n"
           "[huge]\r\npictureindex=0\r\nskinrect=0,0,2147483600,40\r\nrightbottompoint=2147483647,5\r\n"
           "[masked]\r\npictureindex=0\r\nmaskpictureindex=1\r\nskinrect=0,0,20,20\r\n"
           "[bare]\r\nskinrect=-5,0,70000,10\r\nlefttoppoint=-2147483648,3\r\nclientrect=0,0,16777217,4\r\n";
  };
  const auto control = [&](const char* Name) {
    return static_cast<TbsDataSkinCustomControl*>(data.CtrlList->Items(data.GetControlIndex(Name)));
  };
  // The frame and its close button fit; of the controls only "fits" keeps picture and mask, "masked" its
  // picture (its 20 x 20 face is larger than the 8 x 8 mask). Values no picture can reach and
  // rectangles wider or taller than any picture are cleared, wherever they stand; others stay as read.
  Load(frameSkin("6,6,34,24", "30,2,38,10"));
  EXPECT_FALSE(data.Picture->Empty());
  EXPECT_FALSE(data.Mask->Empty());
  EXPECT_EQ(static_cast<TbsDataSkinObject*>(data.ObjectList->Items(0))->SkinRect, TRect(30, 2, 38, 10));
  EXPECT_EQ(static_cast<TbsDataSkinObject*>(data.ObjectList->Items(0))->ActivePictureIndex, 0);
  EXPECT_EQ(control("fits")->PictureIndex, 0);
  EXPECT_EQ(control("fits")->MaskPictureIndex, 1);
  for (const char* name : { "outside", "huge" }) {
    EXPECT_EQ(control(name)->PictureIndex, -1) << name;
    EXPECT_EQ(control(name)->MaskPictureIndex, -1) << name;
  }
  EXPECT_EQ(control("outside")->SkinRect, TRect(0, 0, 20, 20));
  EXPECT_EQ(control("huge")->SkinRect, TRect());
  EXPECT_EQ(control("huge")->RBPoint, TPoint());
  EXPECT_EQ(control("masked")->PictureIndex, 0);
  EXPECT_EQ(control("masked")->MaskPictureIndex, -1);
  EXPECT_EQ(control("bare")->SkinRect, TRect());
  EXPECT_EQ(control("bare")->LTPoint, TPoint());
  EXPECT_EQ(control("bare")->ClRect, TRect());
  // A frame whose client rectangle lies outside its picture has no pictures to draw from; a frame object
  // whose face lies outside loses its face.
  Load(frameSkin("65536,2,65535,2417", "30,2,48,10"));
  EXPECT_FALSE(data.Empty);
  EXPECT_TRUE(data.Picture->Empty());
  EXPECT_TRUE(data.Mask->Empty());
  Load(frameSkin("6,6,34,24", "30,2,48,10"));
  EXPECT_FALSE(data.Picture->Empty());
  EXPECT_EQ(static_cast<TbsDataSkinObject*>(data.ObjectList->Items(0))->SkinRect, TRect());
  EXPECT_EQ(static_cast<TbsDataSkinObject*>(data.ObjectList->Items(0))->ActivePictureIndex, -1);
  // A mask of another size than the frame shapes nothing.
  Load(frameSkin("6,6,34,24", "30,2,38,10", "ctrl.bmp"));
  EXPECT_FALSE(data.Picture->Empty());
  EXPECT_TRUE(data.Mask->Empty());
}

// A rectangle may reach its picture's far edges but not pass them; a mask matches its frame in both
// width and height.
TEST_F(SkinLimits, GeometryMayReachItsPicturesEdgesAndAMaskMustMatchInBothMeasures) {
  WritePicture(dir / "frame.bmp", 40, 30, 1);
  WritePicture(dir / "ctrl.bmp", 50, 40, 2);
  const struct {
    const char* mask;
    int w, h;
    bool kept;
  } masks[] = { { "same.bmp", 40, 30, true }, { "low.bmp", 40, 29, false }, { "narrow.bmp", 39, 30, false } };
  for (const auto& m : masks) WritePicture(dir / m.mask, m.w, m.h, 3);
  const struct {
    const char* name;
    const char* skinRect;
    int picture;
  } controls[] = { { "right", "30,0,50,10", 0 },
                   { "pastright", "30,0,51,10", -1 },
                   { "bottom", "0,30,10,40", 0 },
                   { "pastbottom", "0,30,10,41", -1 } };
  std::string list = "[SKINCONTROLS]\r\ncount=4\r\n", records;
  for (int i = 0; i < 4; ++i) {
    list += std::to_string(i) + "=" + controls[i].name + ":panel\r\n";
    records += std::string("[") + controls[i].name + "]\r\npictureindex=0\r\nskinrect=" + controls[i].skinRect + "\r\n";
  }
  for (const auto& m : masks) {
    Load("[VERSION]\r\nskinname=edges\r\n[PICTURES]\r\npicture=frame.bmp\r\nmask=" + std::string(m.mask) +
         "\r\nactivepicturescount=1\r\n0=ctrl.bmp\r\n[FORMINFO]\r\nclientrect=6,6,34,24\r\n"
         "[SKINOBJECTS]\r\ncount=0\r\n" +
         list + records);
    EXPECT_FALSE(data.Picture->Empty()) << m.mask;
    EXPECT_EQ(data.Mask->Empty(), !m.kept) << m.mask;
  }
  for (const auto& c : controls) {
    auto* r = static_cast<TbsDataSkinCustomControl*>(data.CtrlList->Items(data.GetControlIndex(c.name)));
    EXPECT_EQ(r->PictureIndex, c.picture) << c.name;
  }
}

}  // namespace
