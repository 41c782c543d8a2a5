// PNG files: screenshots written and read back, pictures from another program, bad files.

#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/display/Png.h"
#include "platform/display/headless/HeadlessDisplay.h"

using namespace xj::display;
namespace fs = std::filesystem;

namespace {

class PngFiles : public testing::Test {
 protected:
  void SetUp() override {
    FDir = fs::temp_directory_path() /
           ("xj_png_" + std::to_string(getpid()) + "_" + testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(FDir);
  }
  void TearDown() override { fs::remove_all(FDir); }
  std::string Path(const char* name) const { return (FDir / name).string(); }

  static bool HaveImageMagick() { return std::system("command -v convert >/dev/null 2>&1") == 0; }
  // Runs a command and returns what it printed.
  static std::string Run(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
      char buf[256];
      while (size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
      pclose(p);
    }
    return out;
  }
  static void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }

  fs::path FDir;
};

// A PNG that is only a signature and an IHDR chunk (with a correct CRC) claiming the given size.
std::vector<uint8_t> PngHeaderOnly(uint32_t width, uint32_t height) {
  std::vector<uint8_t> b { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R' };
  auto be32 = [&](uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(uint8_t(v >> s));
  };
  be32(width);
  be32(height);
  b.insert(b.end(), { 8, 2, 0, 0, 0 });  // 8-bit RGB
  uLong crc = crc32(0, b.data() + 12, 17);
  be32(uint32_t(crc));
  return b;
}

}  // namespace

TEST_F(PngFiles, ScreenshotReadsBackAsTheDesktopPixels) {
  HeadlessBackend d;
  d.SetScreen({ 320, 200 }, { 0, 0, 320, 170 });
  WindowId id = d.Create(WindowKind::Normal, { 20, 10, 120, 90 });
  Image content(100, 80);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 100; ++x) content.At(x, y) = uint32_t(x * 2) << 16 | uint32_t(y * 3) << 8 | uint32_t(x ^ y);
  d.Present(id, content.View(), { 0, 0, 100, 80 });
  d.Show(id);
  d.SetOpacity(id, 150);
  TrayIcon icon;
  icon.id = 1;
  icon.picture = Image(16, 16, 0xFF123456);
  d.SetTrayIcons({ icon });

  std::string error;
  ASSERT_TRUE(d.WriteDesktopPng(Path("desktop.png"), &error)) << error;
  Image read;
  ASSERT_TRUE(ReadPng(Path("desktop.png"), read, &error)) << error;
  Image desktop = d.DesktopPixels();
  ASSERT_EQ(read.width, 320);
  ASSERT_EQ(read.height, 200);
  for (size_t i = 0; i < read.pixels.size(); ++i) {
    ASSERT_EQ(read.pixels[i] >> 24, 0xFFu) << i;  // no alpha in the file: opaque
    ASSERT_EQ(read.pixels[i] & 0xFFFFFF, desktop.pixels[i]) << i;
  }

  ASSERT_TRUE(d.WriteWindowPng(id, Path("window.png"), &error)) << error;
  ASSERT_TRUE(ReadPng(Path("window.png"), read, &error)) << error;
  ASSERT_EQ(read.width, 100);
  for (size_t i = 0; i < read.pixels.size(); ++i) ASSERT_EQ(read.pixels[i] & 0xFFFFFF, content.pixels[i]) << i;

  // Another program agrees about what is in the file.
  if (HaveImageMagick()) {
    RECT r = d.TrayIconRect(1);
    std::string probe = Run("convert " + Path("desktop.png") + " -format '%[hex:p{" + std::to_string(r.left) + "," +
                            std::to_string(r.top) + "}] %[hex:p{0,0}]' info:");
    EXPECT_EQ(probe, "123456 008080");
  }
}

TEST_F(PngFiles, ReadsPicturesMadeByAnotherProgram) {
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  struct Case {
    const char* name;
    const char* make;   // convert arguments before the output file
    uint32_t expected;  // 0xAARRGGBB of every pixel
    int tolerance;      // per channel, for conversions that may round either way
  };
  const Case cases[] = {
    { "PNG24:rgb.png", "-size 5x3 'xc:#336699'", 0xFF336699, 0 },
    { "PNG8:palette.png", "-size 5x3 'xc:#FF8000'", 0xFFFF8000, 0 },
    { "PNG32:rgba.png", "-size 5x3 'xc:rgba(0,0,255,0.5)'", 0x800000FF, 1 },
    { "PNG48:deep.png", "-size 5x3 'xc:#336699' -depth 16", 0xFF336699, 1 },
    { "gray.png", "-size 5x3 'xc:#808080' -colorspace Gray -depth 8", 0xFF808080, 1 },
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string out = c.name;
    std::string file = Path(out.substr(out.find(':') + 1).c_str());
    std::string prefix = out.find(':') == std::string::npos ? "" : out.substr(0, out.find(':') + 1);
    ASSERT_EQ(std::system(("convert " + std::string(c.make) + " " + prefix + file).c_str()), 0);
    Image read;
    std::string error;
    ASSERT_TRUE(ReadPng(file, read, &error)) << error;
    ASSERT_EQ(read.width, 5);
    ASSERT_EQ(read.height, 3);
    for (uint32_t p : read.pixels)
      for (int shift : { 0, 8, 16, 24 }) {
        int got = int(p >> shift & 0xFF), want = int(c.expected >> shift & 0xFF);
        ASSERT_LE(std::abs(got - want), c.tolerance) << std::hex << p << " channel " << shift;
      }
  }
}

TEST_F(PngFiles, BadFilesAreRefusedWithAReason) {
  Image good(4, 4, 0x112233);
  std::string error;
  ASSERT_TRUE(WritePng(Path("good.png"), good.View(), &error)) << error;
  std::ifstream in(Path("good.png"), std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  ASSERT_GT(bytes.size(), 40u);

  WriteBytes(Path("garbage.png"), { 'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g' });
  WriteBytes(Path("truncated.png"), std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(bytes.size() / 2)));
  WriteBytes(Path("huge.png"), PngHeaderOnly(30000, 30000));
  WriteBytes(Path("wide.png"), PngHeaderOnly(100000, 1));
  WriteBytes(Path("empty.png"), {});
  for (const char* name : { "missing.png", "garbage.png", "truncated.png", "huge.png", "wide.png", "empty.png" }) {
    SCOPED_TRACE(name);
    Image out(1, 1, 0xABCDEF);
    error.clear();
    EXPECT_FALSE(ReadPng(Path(name), out, &error));
    EXPECT_NE(error.find(name), std::string::npos) << error;
    EXPECT_EQ(out.At(0, 0), 0xABCDEFu);  // left as it was
  }
}

TEST_F(PngFiles, WriteFailuresLeaveNoFile) {
  Image good(2, 2, 0);
  std::string error;
  EXPECT_FALSE(WritePng(Path("no/such/dir/x.png"), good.View(), &error));
  EXPECT_FALSE(error.empty());
  Image empty;
  EXPECT_FALSE(WritePng(Path("empty.png"), empty.View(), &error));
  EXPECT_FALSE(fs::exists(Path("empty.png")));
  SurfaceView bad { good.pixels.data(), 2, 2, 4 };  // stride shorter than a row
  EXPECT_FALSE(WritePng(Path("bad.png"), bad, &error));
  EXPECT_FALSE(fs::exists(Path("bad.png")));
}
