// TJPEGImage: pictures made by cjpeg (baseline, progressive, grey), compared with their source;
// corrupt, truncated and absurd data.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/vcl/Jpeg.h"
#include "tests/platform/graphics/GraphicsTestUtil.h"

using namespace gtest_graphics;

namespace {

constexpr int kW = 40, kH = 30;

// A smooth picture (JPEG keeps it within a few levels): red across, green down, blue constant.
uint32_t SourcePixel(int x, int y) {
  const int r = x * 255 / (kW - 1), g = y * 255 / (kH - 1), b = 96;
  return uint32_t(r << 16 | g << 8 | b);
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

class JpegTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir("jpeg");
    std::ofstream ppm(dir_->File("src.ppm"), std::ios::binary);
    ppm << "P6\n" << kW << " " << kH << "\n255\n";
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const uint32_t p = SourcePixel(x, y);
        ppm.put(char(p >> 16)).put(char(p >> 8)).put(char(p));
      }
    ppm.close();
    const std::string src = dir_->File("src.ppm");
    ok_ = std::system(("cjpeg -quality 95 -outfile " + dir_->File("base.jpg") + " " + src).c_str()) == 0 &&
          std::system(("cjpeg -quality 95 -progressive -outfile " + dir_->File("prog.jpg") + " " + src).c_str()) == 0 &&
          std::system(("cjpeg -quality 95 -grayscale -outfile " + dir_->File("grey.jpg") + " " + src).c_str()) == 0;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  void SetUp() override {
    if (!ok_) GTEST_SKIP() << "cjpeg (libjpeg-turbo-progs) is not installed";
  }
  static std::string File(const std::string& name) { return dir_->File(name); }

  // Loads the bytes through a stream; the image or an exception.
  static void Load(TJPEGImage& j, const std::vector<uint8_t>& bytes) {
    TMemoryStream s;
    if (!bytes.empty()) s.WriteBuffer(bytes.data(), int(bytes.size()));
    s.SetPosition(0);
    j.LoadFromStream(&s);
  }

  static TempDir* dir_;
  static bool ok_;
};
TempDir* JpegTest::dir_ = nullptr;
bool JpegTest::ok_ = false;

// Largest and mean channel difference against the source picture.
void Compare(TBitmap& b, bool grey, int& maxDiff, double& meanDiff) {
  maxDiff = 0;
  long sum = 0;
  for (int y = 0; y < kH; ++y) {
    const auto* row = static_cast<const uint8_t*>(b.ScanLine(y));
    for (int x = 0; x < kW; ++x) {
      const uint32_t p = SourcePixel(x, y);
      int want[3] = { int(p & 0xFF), int(p >> 8 & 0xFF), int(p >> 16 & 0xFF) };  // B, G, R
      if (grey) {
        const int l = (want[2] * 299 + want[1] * 587 + want[0] * 114 + 500) / 1000;
        want[0] = want[1] = want[2] = l;
      }
      for (int c = 0; c < 3; ++c) {
        const int d = std::abs(int(row[3 * x + c]) - want[c]);
        maxDiff = std::max(maxDiff, d);
        sum += d;
      }
    }
  }
  meanDiff = double(sum) / (kW * kH * 3);
}

TEST_F(JpegTest, BaselineProgressiveAndGreyDecodeCloseToTheSource) {
  struct Case {
    const char* File;
    bool Progressive, Grey;
  } cases[] = { { "base.jpg", false, false }, { "prog.jpg", true, false }, { "grey.jpg", false, true } };
  for (const Case& c : cases) {
    TJPEGImage j;
    j.LoadFromFile(File(c.File));
    EXPECT_EQ(j.Width(), kW);
    EXPECT_EQ(j.Height(), kH);
    EXPECT_EQ(j.ProgressiveEncoding(), c.Progressive) << c.File;
    EXPECT_EQ(j.Grayscale(), c.Grey) << c.File;
    TBitmap b;
    b.Assign(&j);  // renders
    ASSERT_EQ(b.Width(), kW);
    EXPECT_EQ(b.PixelFormat(), pf24bit);
    int maxDiff = 0;
    double meanDiff = 0;
    Compare(b, c.Grey, maxDiff, meanDiff);
    EXPECT_LE(maxDiff, 12) << c.File;
    EXPECT_LE(meanDiff, 2.5) << c.File;
  }
}

TEST_F(JpegTest, DrawsStretchedOntoACanvasAndThroughAPicture) {
  TPicture p;
  p.LoadFromFile(File("base.jpg"));
  ASSERT_TRUE(dynamic_cast<TJPEGImage*>(p.Graphic()));
  EXPECT_EQ(p.Width(), kW);
  TBitmap target;
  target.SetSize(kW * 2, kH * 2);
  target.Canvas()->StretchDraw(Rect(0, 0, kW * 2, kH * 2), p.Graphic());
  const TColor c = target.Canvas()->Pixels(2 * (kW - 1), 0);  // the source's top-right: red, little green
  EXPECT_GE(GetRValue(c), 240);
  EXPECT_LE(GetGValue(c), 15);
}

TEST_F(JpegTest, FormDataRoundTripKeepsTheFileImage) {
  TJPEGImage a;
  a.LoadFromFile(File("prog.jpg"));
  TPicture p;
  p.SetGraphic(&a);
  TMemoryStream s1, s2;
  a.SaveToStream(&s1);
  p.Graphic()->SaveToStream(&s2);
  ASSERT_EQ(s1.Size(), s2.Size());
  EXPECT_EQ(std::memcmp(s1.Memory(), s2.Memory(), size_t(s1.Size())), 0);
  EXPECT_EQ(std::vector<uint8_t>(static_cast<uint8_t*>(s1.Memory()), static_cast<uint8_t*>(s1.Memory()) + s1.Size()),
            ReadFile(File("prog.jpg")));
}

TEST_F(JpegTest, DataThatIsNotAJpegRaises) {
  const std::vector<std::vector<uint8_t>> bad {
    std::vector<uint8_t>(100, 0x5A),
    { 0xFF, 0xD8 },
    { 0xFF, 0xD8, 0xFF, 0xD9 },
    ReadFile(std::string(XJ_SOURCE_DIR) + "/tests/data/bmp/im_bmp24.bmp"),
  };
  for (const auto& bytes : bad) {
    TJPEGImage j;
    EXPECT_THROW(Load(j, bytes), EInvalidGraphic) << bytes.size();
    EXPECT_TRUE(j.Empty());
  }
  // No bytes at all are no picture either, through a stream or an empty file.
  TJPEGImage empty;
  EXPECT_THROW(Load(empty, {}), EInvalidGraphic);
  std::ofstream(File("empty.jpg")).close();
  EXPECT_THROW(empty.LoadFromFile(File("empty.jpg")), EInvalidGraphic);
  EXPECT_TRUE(empty.Empty());
}

TEST_F(JpegTest, AbsurdDimensionsAreRefusedBeforeDecoding) {
  std::vector<uint8_t> bytes = ReadFile(File("base.jpg"));
  size_t sof = 0;
  for (size_t i = 2; i + 9 < bytes.size(); ++i)
    if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)) {
      sof = i;
      break;
    }
  ASSERT_NE(sof, 0u);
  bytes[sof + 5] = 0xEA;  // height 60000
  bytes[sof + 6] = 0x60;
  bytes[sof + 7] = 0xEA;  // width 60000
  bytes[sof + 8] = 0x60;
  TJPEGImage j;
  try {
    Load(j, bytes);
    FAIL() << "a 60000 x 60000 picture was accepted";
  } catch (const EInvalidGraphic& e) {
    EXPECT_NE(e.Message().find("too large"), AnsiString::npos) << e.Message();
  }
}

TEST_F(JpegTest, TruncatedAndDamagedDataNeverCrash) {
  const std::vector<uint8_t> whole = ReadFile(File("prog.jpg"));
  for (size_t cut : { whole.size() / 4, whole.size() / 2, whole.size() - 3 }) {
    TJPEGImage j;
    try {
      Load(j, std::vector<uint8_t>(whole.begin(), whole.begin() + ptrdiff_t(cut)));
      TBitmap b;
      b.Assign(&j);  // what arrived, the rest filled in
      EXPECT_EQ(b.Width(), kW);
    } catch (const EInvalidGraphic&) {
    }
  }
  for (size_t at = whole.size() / 3; at < whole.size() - 2; at += 7) {
    std::vector<uint8_t> damaged = whole;
    damaged[at] ^= 0xA5;
    TJPEGImage j;
    try {
      Load(j, damaged);
      j.DIBNeeded();
    } catch (const EInvalidGraphic&) {
    }
  }
}

TEST_F(JpegTest, SizeIsThePicturesOwn) {
  TJPEGImage j;
  j.LoadFromFile(File("base.jpg"));
  EXPECT_THROW(j.SetWidth(10), EInvalidGraphicOperation);
  TJPEGImage copy;
  copy.Assign(&j);
  EXPECT_EQ(copy.Height(), kH);
  copy.Assign(nullptr);
  EXPECT_TRUE(copy.Empty());
}

}  // namespace
