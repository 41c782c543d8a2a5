// Loading the test skin from its directory and from its compressed skin file, each beside the raw cost
// of the same work's floor: reading the bytes, inflating them and decoding the bitmaps.
//
// Compare BM_LoadSkinDirectory with BM_RawSkinDirectory and BM_LoadCompressedSkinFile with
// BM_RawCompressedSkinFile.

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/vcl/Classes.h"
#include "platform/vcl/Graphics.h"
#include "skin/data/bsSkinData.h"

namespace {

const std::string kSkins = XJ_TEST_SKIN_DIR;
const std::string kSkinIni = kSkins + "/test/skin.ini";
const std::string kSkinFile = kSkins + "/test.skn";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The bitmap files of the skin, as they lie on disk.
const std::vector<std::string> kPictureFiles = {
  "frame.bmp", "frame_in.bmp",  "mask.bmp", "ctrl.bmp",  "popup.bmp",    "PopupMask.bmp",
  "hint.bmp",  "hintmask.bmp", "btns.bmp", "sub/BG.bmp", "ctrl2.bmp", "ctrlmask.bmp",
};

void DecodeBitmap(const char* bytes, size_t size, TBitmap& bitmap) {
  TMemoryStream image;
  image.WriteBuffer(bytes, static_cast<int>(size));
  image.SetPosition(0);
  bitmap.LoadFromStream(&image);
}

uint32_t Le32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return uint32_t { u[0] } | uint32_t { u[1] } << 8 | uint32_t { u[2] } << 16 | uint32_t { u[3] } << 24;
}

void BM_LoadSkinDirectory(benchmark::State& state) {
  TbsSkinData data(nullptr);
  for (auto _ : state) {
    data.LoadFromFile(kSkinIni);
    if (data.Empty) state.SkipWithError("the test skin did not load");
  }
}
BENCHMARK(BM_LoadSkinDirectory)->Unit(benchmark::kMillisecond);

// Reads the INI text and every bitmap file, and decodes the bitmaps.
void BM_RawSkinDirectory(benchmark::State& state) {
  TBitmap bitmap;
  TMemoryStream bytes;
  for (auto _ : state) {
    bytes.LoadFromFile(kSkinIni);
    for (const std::string& name : kPictureFiles) {
      bytes.LoadFromFile(kSkins + "/test/" + name);
      bytes.SetPosition(0);
      bitmap.LoadFromStream(&bytes);
    }
  }
}
BENCHMARK(BM_RawSkinDirectory)->Unit(benchmark::kMillisecond);

void BM_LoadCompressedSkinFile(benchmark::State& state) {
  TbsCompressedStoredSkin packed(nullptr);
  TbsSkinData data(nullptr);
  for (auto _ : state) {
    packed.LoadFromCompressFile(kSkinFile);
    data.LoadCompressedStoredSkin(&packed);
    if (data.Empty) state.SkipWithError("the test skin did not load");
  }
}
BENCHMARK(BM_LoadCompressedSkinFile)->Unit(benchmark::kMillisecond);

// Reads the file, inflates it in one call, and decodes the bitmaps of the payload.
void BM_RawCompressedSkinFile(benchmark::State& state) {
  // Where the images lie in the payload, found once.
  const std::string file = ReadFile(kSkinFile);
  std::vector<char> payload(64 << 20);
  uLongf length = payload.size();
  if (uncompress(reinterpret_cast<Bytef*>(payload.data()), &length,
                 reinterpret_cast<const Bytef*>(file.data() + 8), file.size() - 8) != Z_OK) {
    state.SkipWithError("the compressed skin does not inflate");
    return;
  }
  std::vector<std::pair<size_t, size_t>> images;
  size_t at = 4;
  for (int i = 0; i < 3; ++i) {
    if (payload[at++] != 0) continue;
    images.emplace_back(at, Le32(&payload[at + 2]));
    at += images.back().second;
  }
  const uint32_t count = Le32(&payload[at]);
  at += 4;
  for (uint32_t i = 0; i < count; ++i) {
    images.emplace_back(at, Le32(&payload[at + 2]));
    at += images.back().second;
  }

  TBitmap bitmap;
  TMemoryStream bytes;
  for (auto _ : state) {
    bytes.LoadFromFile(kSkinFile);
    uLongf size = payload.size();
    uncompress(reinterpret_cast<Bytef*>(payload.data()), &size, static_cast<const Bytef*>(bytes.Memory()) + 8,
               static_cast<uLong>(bytes.Size() - 8));
    for (const auto& [offset, imageSize] : images) DecodeBitmap(&payload[offset], imageSize, bitmap);
  }
}
BENCHMARK(BM_RawCompressedSkinFile)->Unit(benchmark::kMillisecond);

}  // namespace
