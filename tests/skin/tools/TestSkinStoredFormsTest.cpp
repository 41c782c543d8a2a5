// The stored forms of the generated test skin: the compressed skin file inflates with another zlib
// (Python's) to the payload layout, whose images and INI text are the skin directory's files byte for
// byte; the raw compressed data and the "Pictures" property bytes hold the same content, and the form
// resource carries both property payloads unchanged.
#include "SkinFiles.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cctype>
#include <cstdlib>
#include <fstream>

using namespace skintest;
namespace fs = std::filesystem;

namespace {

const fs::path kSkins = XJ_TEST_SKIN_DIR;
const fs::path kSkinDir = kSkins / "test";

// Reads the stored layouts field by field, failing the test on a short or malformed field.
class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

  bool AtEnd() const { return pos_ == bytes_.size(); }
  size_t Left() const { return bytes_.size() - pos_; }

  int32_t Int32() {
    if (Left() < 4) {
      ADD_FAILURE() << "a 4-byte field is cut off at " << pos_;
      pos_ = bytes_.size();
      return 0;
    }
    uint32_t v = bytes_[pos_] | bytes_[pos_ + 1] << 8 | bytes_[pos_ + 2] << 16 | uint32_t { bytes_[pos_ + 3] } << 24;
    pos_ += 4;
    return static_cast<int32_t>(v);
  }

  uint8_t Byte() {
    if (Left() < 1) {
      ADD_FAILURE() << "a flag byte is missing at " << pos_;
      return 0xFF;
    }
    return bytes_[pos_++];
  }

  // One BMP file image, its length taken from its own bfSize.
  std::vector<uint8_t> Image() {
    if (Left() < 14 || bytes_[pos_] != 'B' || bytes_[pos_ + 1] != 'M') {
      ADD_FAILURE() << "no bitmap image at " << pos_;
      pos_ = bytes_.size();
      return {};
    }
    size_t size = bytes_[pos_ + 2] | bytes_[pos_ + 3] << 8 | bytes_[pos_ + 4] << 16 | size_t { bytes_[pos_ + 5] } << 24;
    if (size > Left()) {
      ADD_FAILURE() << "a bitmap image of " << size << " bytes runs past the end";
      pos_ = bytes_.size();
      return {};
    }
    std::vector<uint8_t> image(bytes_.begin() + static_cast<long>(pos_),
                               bytes_.begin() + static_cast<long>(pos_ + size));
    pos_ += size;
    return image;
  }

  std::vector<uint8_t> Rest() {
    std::vector<uint8_t> rest(bytes_.begin() + static_cast<long>(pos_), bytes_.end());
    pos_ = bytes_.size();
    return rest;
  }

 private:
  const std::vector<uint8_t>& bytes_;
  size_t pos_ { 0 };
};

class TestSkinStoredForms : public ::testing::Test {
 protected:
  void SetUp() override {
    auto text = ReadFile(kSkinDir / "skin.ini");
    iniBytes_ = text;
    ini_ = ParseIni(std::string(text.begin(), text.end()));
  }

  std::vector<uint8_t> FileOf(const std::string& iniName) const {
    auto path = FindSkinFile(kSkinDir, iniName);
    EXPECT_TRUE(path.has_value()) << iniName;
    return path ? ReadFile(*path) : std::vector<uint8_t> {};
  }

  // The three base pictures and the active pictures, flagged and counted as a stored skin keeps them.
  void ExpectPictures(Reader& in) const {
    for (const char* key : { "picture", "inactivepicture", "mask" }) {
      ASSERT_EQ(in.Byte(), 0) << key << " is stored as present";
      EXPECT_EQ(in.Image(), FileOf(ini_.Get("PICTURES", key))) << key;
    }
    const int count = std::atoi(ini_.Get("PICTURES", "activepicturescount").c_str());
    ASSERT_EQ(in.Int32(), count);
    for (int i = 0; i < count; ++i)
      EXPECT_EQ(in.Image(), FileOf(ini_.Get("PICTURES", std::to_string(i)))) << "active picture " << i;
  }

  std::vector<uint8_t> iniBytes_;
  Ini ini_;
};

// Python's zlib inflates the compressed skin file and checks what the file layout promises on the way.
constexpr const char* kInflateScript = R"(import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
marker, size = struct.unpack_from('<ii', data, 0)
if marker != 1:
    sys.exit('marker %d' % marker)
if size != len(data) - 8:
    sys.exit('size word %d, %d bytes follow' % (size, len(data) - 8))
inflater = zlib.decompressobj()
payload = inflater.decompress(data[8:]) + inflater.flush()
if not inflater.eof:
    sys.exit('the zlib stream does not end')
if inflater.unused_data:
    sys.exit('%d bytes after the zlib stream' % len(inflater.unused_data))
open(sys.argv[2], 'wb').write(payload)
)";

TEST_F(TestSkinStoredForms, CompressedFileInflatesWithAnotherZlibToThePayloadLayout) {
  const fs::path work = fs::temp_directory_path() / ("skintools." + std::to_string(::getpid()));
  fs::create_directories(work);
  { std::ofstream(work / "inflate.py") << kInflateScript; }
  const std::string command = std::string("\"") + XJ_PYTHON3 + "\" \"" + (work / "inflate.py").string() + "\" \"" +
                              (kSkins / "test.skn").string() + "\" \"" + (work / "payload").string() + "\"";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const std::vector<uint8_t> payload = ReadFile(work / "payload");
  fs::remove_all(work);

  Reader in(payload);
  ASSERT_EQ(in.Int32(), 1) << "payload marker";
  ExpectPictures(in);
  EXPECT_EQ(in.Rest(), iniBytes_) << "the payload ends with the skin's INI text";
}

TEST_F(TestSkinStoredForms, CompressedDataIsTheFilesZlibStreamAtBestCompression) {
  const std::vector<uint8_t> file = ReadFile(kSkins / "test.skn");
  const std::vector<uint8_t> data = ReadFile(kSkins / "test.compresseddata");
  ASSERT_GT(file.size(), 10u);
  EXPECT_EQ(std::vector<uint8_t>(file.begin() + 8, file.end()), data);
  ASSERT_GE(data.size(), 2u);
  EXPECT_EQ(data[0], 0x78) << "deflate with a 32 KiB window";
  EXPECT_EQ(data[1], 0xDA) << "the header of the best compression level";
  EXPECT_EQ((data[0] << 8 | data[1]) % 31, 0) << "header check bits";
}

TEST_F(TestSkinStoredForms, PicturesPropertyHoldsTheDirectorysPictures) {
  const std::vector<uint8_t> bytes = ReadFile(kSkins / "test.pictures");
  Reader in(bytes);
  ExpectPictures(in);
  EXPECT_TRUE(in.AtEnd()) << in.Left() << " bytes after the last active picture";
}

// The bytes of the binary property `name` in a form text: hex digit pairs between "{" and "}".
std::vector<uint8_t> BinaryValue(const std::string& form, const std::string& name) {
  const size_t open = form.find("    " + name + " = {");
  EXPECT_NE(open, std::string::npos) << name;
  const size_t close = form.find('}', open);
  std::vector<uint8_t> bytes;
  if (open == std::string::npos || close == std::string::npos) return bytes;
  std::string digits;
  for (size_t i = form.find('{', open) + 1; i < close; ++i)
    if (!std::isspace(static_cast<unsigned char>(form[i]))) digits += form[i];
  EXPECT_EQ(digits.size() % 2, 0u) << name;
  EXPECT_EQ(digits.find_first_not_of("0123456789ABCDEF"), std::string::npos) << name;
  for (size_t i = 0; i + 1 < digits.size(); i += 2)
    bytes.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  return bytes;
}

TEST_F(TestSkinStoredForms, FormCarriesBothPropertyPayloads) {
  const std::vector<uint8_t> file = ReadFile(kSkins / "test.form");
  const std::string form(file.begin(), file.end());
  EXPECT_EQ(form.rfind("object SkinForm: TForm\r\n", 0), 0u);
  EXPECT_EQ(BinaryValue(form, "Pictures"), ReadFile(kSkins / "test.pictures"));
  EXPECT_EQ(BinaryValue(form, "CompressedData"), ReadFile(kSkins / "test.compresseddata"));
}

}  // namespace
