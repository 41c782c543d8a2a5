// One memory budget for a skin (MaxPictureBytes): its INI text and what its parser builds, its pictures and
// the data inflated from a compressed skin are counted as they are read, before the memory is spent; so
// is what packing a skin directory makes, and a compressed skin file too large to be a skin is not read.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <string>

#include "skin/data/bsSkinData.h"
#include "skin/data/bszlib.h"
#include "platform/win32/WinBase.h"
#include "tests/skin/data/SkinTestSupport.h"

using namespace skintest;

namespace {

std::string Skin(const std::string& Pictures, const std::string& Tail = "") {
  return "[VERSION]\r\nskinname=budget\r\n[PICTURES]\r\n" + Pictures +
         "[FORMINFO]\r\nborderwidth=3\r\n[SKINOBJECTS]\r\ncount=0\r\n[SKINCONTROLS]\r\ncount=0\r\n" + Tail;
}

std::string Int32(uint32_t V) { return { char(V), char(V >> 8), char(V >> 16), char(V >> 24) }; }

// The headers of a 32-bit picture of W x H, and none of its pixels.
std::string HeadersOnly(int W, int H) {
  return "BM" + Int32(54) + Int32(0) + Int32(54) + Int32(40) + Int32(W) + Int32(H) + std::string("\x01\0\x20\0", 4) +
         std::string(24, '\0');
}

// Fills a compressed stored skin with Payload, deflated.
void Pack(TbsCompressedStoredSkin& Packed, const std::string& Payload, const std::string& After = "") {
  TMemoryStream payload;
  SetStreamBytes(payload, Payload);
  TMemoryStream packed;
  CompressStream(&payload, &packed);
  SetStreamBytes(*Packed.CompressedData, StreamBytes(packed) + After);
}

std::string Deflated(const std::string& Bytes) {
  TbsCompressedStoredSkin packed(nullptr);
  Pack(packed, Bytes);
  return StreamBytes(*packed.CompressedData);
}

// The most memory (KiB resident) a child process took to load the skin Ini; -1 when it did not load.
long LoadingPeakKiB(const fs::path& Ini) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    int code = 0;
    try {
      TbsSkinData data(nullptr);
      data.LoadFromFile(Ini.string());
      code = data.SkinName == "budget" ? 0 : 1;
    } catch (...) {
      code = 2;
    }
    ::_exit(code);
  }
  int status = 0;
  rusage usage {};
  if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return usage.ru_maxrss;
}

class SkinBudget : public testing::Test {
 protected:
  // The message of the load's failure, or "loaded".
  template <class F>
  std::string Failure(TbsSkinData& Data, int64_t Limit, F Load) {
    Data.MaxPictureBytes = Limit;
    try {
      Load();
    } catch (const Exception& e) {
      EXPECT_EQ(Data.LastError(), e.Message());
      return e.Message();
    }
    return Data.LastError().empty() ? "loaded" : "no skin: " + Data.LastError();
  }
  std::string LoadFolder(TbsSkinData& Data, int64_t Limit) {
    return Failure(Data, Limit, [&] { Data.LoadFromFile((dir / "skin.ini").string()); });
  }
  std::string LoadPacked(TbsSkinData& Data, int64_t Limit) {
    return Failure(Data, Limit, [&] { Data.LoadCompressedStoredSkin(&packed); });
  }

  TempDir dir;
  FormScreen screen;
  TForm& form { *screen.NewForm() };
  TbsSkinData& data { *new TbsSkinData(&form) };  // owned by its form
  TbsCompressedStoredSkin packed { nullptr };
};

const char* const kBudget = "bytes of memory, the most it may (MaxPictureBytes)";
const char* const kTruncated = "Bitmap image is not valid";

TEST_F(SkinBudget, ABasePictureIsCountedFromItsHeadersBeforeItsPixelsAreRead) {
  const int64_t pixels = 3000 * 2000 * 4;  // what the headers ask for; no pixel follows them
  WriteBytes(dir / "huge.bmp", HeadersOnly(3000, 2000));
  for (const std::string key : { "picture", "inactivepicture", "mask" }) {
    WriteBytes(dir / "skin.ini", Skin(key + "=huge.bmp\r\n"));
    const auto need = IniCost(dir / "skin.ini") + static_cast<int64_t>(fs::file_size(dir / "huge.bmp")) + pixels;
    // One byte short of what the headers ask for refuses before a pixel is read; with room for it, the
    // decoder finds the pixels missing. The limit is each component's own.
    TbsSkinData other(nullptr);
    const std::string refused = LoadFolder(data, need - 1);
    EXPECT_NE(refused.find(kBudget), std::string::npos) << key << ": " << refused;
    EXPECT_NE(refused.find("huge.bmp (3000 x 2000 pixels"), std::string::npos) << refused;
    EXPECT_NE(LoadFolder(other, need).find(kTruncated), std::string::npos) << key;
    EXPECT_TRUE(data.Empty);
  }
  // So for a compressed skin: the picture's bytes are there, counted as inflated; its pixels are not.
  const std::string payload =
      Int32(1) + '\0' + HeadersOnly(3000, 2000) + "\x01\x01" + Int32(0) + Skin("activepicturescount=0\r\n");
  Pack(packed, payload);
  const int64_t inflated = static_cast<int64_t>(payload.size());
  EXPECT_NE(LoadPacked(data, inflated + pixels - 1).find("the picture (3000 x 2000 pixels"), std::string::npos);
  EXPECT_NE(LoadPacked(data, inflated + pixels).find(kTruncated), std::string::npos);
}

TEST_F(SkinBudget, APictureThatDoesNotLoadIsNamedByItsKeyAndSaysWhatItIs) {
  WriteBytes(dir / "photo.bmp", std::string("\x89PNG\r\n\x1A\n", 8) + std::string(64, '\0'));
  WriteBytes(dir / "shot.bmp", "\xFF\xD8\xFF\xE0" + std::string(64, '\0'));
  const struct {
    const char* pictures;
    const char* says;
  } cases[] = {
    { "picture=photo.bmp\r\n", "the data is a PNG image, not a Windows bitmap (" },
    { "picture=photo.bmp\r\n", "photo.bmp), named by key picture of section [PICTURES]" },
    { "inactivepicture=shot.bmp\r\n", "the data is a JPEG image" },
    { "mask=shot.bmp\r\n", "shot.bmp), named by key mask of section [PICTURES]" },
    // An empty name is no picture; the one after it is missing.
    { "activepicturescount=2\r\n0=\r\n1=gone.bmp\r\n", "named by key 1 (active picture 1) of section [PICTURES]" },
  };
  for (const auto& c : cases) {
    WriteBytes(dir / "skin.ini", Skin(c.pictures));
    const std::string failure = LoadFolder(data, int64_t { 64 } << 20);
    EXPECT_NE(failure.find(c.says), std::string::npos) << failure;
  }
}

TEST_F(SkinBudget, ACompressedSkinStopsInflatingAtItsBudget) {
  // Bytes that do not compress: the compressed data read tells how much was inflated.
  std::string payload = Int32(1);
  for (uint32_t x = 12345; payload.size() < (2u << 20);) payload += char((x = x * 1103515245 + 12345) >> 23);
  Pack(packed, payload);
  const int64_t limit = 256 << 10;
  const std::string refused = LoadPacked(data, limit);
  EXPECT_NE(refused.find(kBudget), std::string::npos) << refused;
  EXPECT_NE(refused.find("the data inflated from"), std::string::npos) << refused;
  // The inflater read its way up to the limit, and one buffer of 64 KB ahead at most.
  const int64_t read = packed.CompressedData->Position();
  EXPECT_GE(read, limit);
  EXPECT_LE(read, limit + (64 << 10));
}

TEST_F(SkinBudget, TheIniTextAndWhatItsParserBuildsAreCountedBeforeTheParse) {
  std::string blank;
  for (int i = 0; i < 100000; ++i) blank += "\r\n";
  WriteBytes(dir / "skin.ini", Skin("activepicturescount=0\r\n", blank));
  const auto text = static_cast<int64_t>(fs::file_size(dir / "skin.ini"));
  const int64_t need = IniCost(dir / "skin.ini");
  // A hundred thousand blank lines are one run of text to the parser.
  EXPECT_LT(need - text, 4096);
  EXPECT_EQ(LoadFolder(data, need), "loaded");
  const std::string parsed = LoadFolder(data, need - 1);
  EXPECT_NE(parsed.find("what the parser builds from the INI text of"), std::string::npos) << parsed;
  const std::string read = LoadFolder(data, text - 1);
  EXPECT_NE(read.find("the INI text of"), std::string::npos) << read;
  EXPECT_EQ(read.find("what the parser builds"), std::string::npos) << read;
}

TEST_F(SkinBudget, ACompressedSkinOfMillionsOfBlankLinesOrOfOneSectionTakesAboutItsText) {
  // A skin without pictures, its text grown to 5 MiB by the lines Line(0), Line(1), ...
  auto payload = [](auto Line) {
    std::string bytes = Int32(1) + "\x01\x01\x01" + Int32(0) + Skin("activepicturescount=0\r\n");
    for (int i = 0; bytes.size() < (5u << 20); ++i) bytes += Line(i);
    return bytes;
  };
  const int64_t headers = 11;  // the marker, three flags, the count of active pictures
  for (const std::string line : { "\r\n", "[s]\r\n" }) {
    const std::string bytes = payload([&](int) { return line; });
    Pack(packed, bytes);
    // The data inflated, and the text copied out of it once; the parser's records go in the room the
    // data leaves.
    const int64_t need = 2 * static_cast<int64_t>(bytes.size()) - headers;
    EXPECT_EQ(LoadPacked(data, need), "loaded") << line;
    EXPECT_EQ(data.SkinName, "budget");
    EXPECT_EQ(data.BorderWidth, 3);
    const std::string refused = LoadPacked(data, need - 1);
    EXPECT_NE(refused.find("the INI text of the compressed stored skin"), std::string::npos) << refused;
    EXPECT_EQ(LoadPacked(data, MaxSkinPictureBytes), "loaded") << line;
  }
  // As many bytes of sections of distinct names are far more to the parser: they are refused before it
  // builds them.
  const std::string sections = payload([](int i) { return "[s" + std::to_string(i) + "]\r\n"; });
  Pack(packed, sections);
  const std::string refused = LoadPacked(data, 2 * static_cast<int64_t>(sections.size()) - headers);
  EXPECT_NE(refused.find("what the parser builds from the INI text of"), std::string::npos) << refused;
  EXPECT_TRUE(data.Empty);
}

TEST_F(SkinBudget, ASkinWrittenAsUtf8TakesNoMoreMemoryThanTheSameTextInGbk) {
  {
    std::string text = Skin("activepicturescount=0\r\n", "[NOTES]\r\n");
    const std::string line = "note=" + std::string(1000, 'n') + "\r\n";
    while (text.size() < (16u << 20)) text += line;
    WriteBytes(dir / "gbk.ini", text);
    WriteBytes(dir / "utf8.ini", std::string(xj::kUtf8Bom) + text);
  }
  const long gbk = LoadingPeakKiB(dir / "gbk.ini");
  const long utf8 = LoadingPeakKiB(dir / "utf8.ini");
  ASSERT_GT(gbk, 0);
  ASSERT_GT(utf8, 0);
  // The 16 MiB are converted where they lie: no second copy of the text stands beside the first.
  EXPECT_LT(utf8 - gbk, 4 << 10) << "KiB at most: " << gbk << " as GBK, " << utf8 << " as UTF-8";
}

TEST_F(SkinBudget, OnlyTheFirstZlibStreamIsInflated) {
  // 24 MiB of zeros compressed: nested in the payload, where it is INI text, and after the payload's
  // stream. Neither is inflated, so neither is counted against a limit of a third of that.
  const std::string bomb = Deflated(std::string(24 << 20, '\0'));
  TbsCompressedStoredSkin skin(nullptr);
  skin.LoadFromCompressFile((kSkins / "test.skn").string());
  TMemoryStream payload;
  skin.DeCompressToStream(&payload);
  Pack(packed, StreamBytes(payload) + bomb, bomb);
  EXPECT_EQ(LoadPacked(data, 8 << 20), "loaded");
  EXPECT_FALSE(data.Empty);
  EXPECT_GT(data.ActivePictures->Count(), 0);
}

TEST_F(SkinBudget, ACompressedSkinFileOfMoreDataThanASkinPacksIntoIsRefusedBeforeItIsRead) {
  // What a skin may take at most, packed as badly as zlib packs anything.
  const auto most = static_cast<int64_t>(compressBound(static_cast<uLong>(MaxSkinPictureBytes)));
  packed.LoadFromCompressFile((kSkins / "test.skn").string());
  const std::string before = StreamBytes(*packed.CompressedData);
  // Files of zeros that take no room on the disk, the size word telling the truth.
  auto file = [&](int64_t Size) {
    const fs::path path = dir / ("big" + std::to_string(Size) + ".skn");
    WriteBytes(path, Int32(1) + Int32(static_cast<uint32_t>(Size)));
    fs::resize_file(path, static_cast<uintmax_t>(8 + Size));
    return path.string();
  };
  const std::string refusal = "holds " + std::to_string(most + 1) +
                              " bytes of compressed data, more than a skin packs into (" + std::to_string(most);
  try {
    packed.LoadFromCompressFile(file(most + 1));
    FAIL() << "read " << most + 1 << " bytes of compressed data";
  } catch (const EbsSkinTooLarge& e) {
    EXPECT_NE(e.Message().find(refusal), std::string::npos) << e.Message();
  }
  EXPECT_EQ(StreamBytes(*packed.CompressedData), before);
  packed.LoadFromCompressFile(file(most));
  EXPECT_EQ(packed.CompressedData->Size(), most);
}

TEST_F(SkinBudget, ThePayloadPackedFromASkinDirectoryIsCounted) {
  // One picture of 3 MiB named N times is decoded once, and written N times into the payload.
  TBitmap picture;
  picture.SetPixelFormat(pf24bit);
  picture.SetSize(1024, 1024);
  picture.SaveToFile((dir / "big.bmp").string());
  auto pack = [&](int N) {
    std::string names = "activepicturescount=" + std::to_string(N) + "\r\n";
    for (int i = 0; i < N; ++i) names += std::to_string(i) + "=big.bmp\r\n";
    WriteBytes(dir / "skin.ini", Skin(names));
    packed.LoadFromIniFile((dir / "skin.ini").string());
  };
  pack(4);
  TMemoryStream payload;
  packed.DeCompressToStream(&payload);
  EXPECT_GT(payload.Size(), 4 * (3 << 20));
  const std::string before = StreamBytes(*packed.CompressedData);
  // 30 copies are past the 64 MiB a skin may take, though the one picture decoded is not.
  try {
    pack(30);
    FAIL() << "packed 30 copies of a picture of 3 MiB";
  } catch (const EbsSkinTooLarge& e) {
    EXPECT_NE(e.Message().find("the payload packed from " + (dir / "skin.ini").string()), std::string::npos)
        << e.Message();
  }
  EXPECT_EQ(StreamBytes(*packed.CompressedData), before);
}

}  // namespace

// A file that says no data follows, and has none: read as a stored skin with nothing in it.
TEST_F(SkinBudget, ACompressedSkinFileOfNoDataAtAllLoadsEmpty) {
  const fs::path path = dir / "nothing.skn";
  WriteBytes(path, Int32(1) + Int32(0));
  packed.LoadFromCompressFile(path.string());
  EXPECT_EQ(packed.CompressedData->Size(), 0);
  EXPECT_TRUE(packed.Empty());
}
