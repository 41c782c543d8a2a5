// Loading the test skin from its directory and from its compressed skin file, each beside the raw cost
// of the same work's floor: reading the files, inflating them and decoding each bitmap once with the
// BMP reader alone. The loads print their ratio to that floor as x_peer.
//
// Compare BM_LoadSkinDirectory with BM_RawSkinDirectory and BM_LoadCompressedSkinFile with
// BM_RawCompressedSkinFile.

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/vcl/Classes.h"
#include "bench/PeerRatio.h"
#include "platform/vcl/Graphics.h"
#include "platform/win32/BmpCodec.h"
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
  "frame.bmp", "frame_in.bmp", "mask.bmp", "ctrl.bmp",   "popup.bmp", "PopupMask.bmp",
  "hint.bmp",  "hintmask.bmp", "btns.bmp", "sub/BG.bmp", "ctrl2.bmp", "ctrlmask.bmp",
};

// One decode of one image where it lies.
void DecodeOnce(const void* bytes, size_t size) {
  xj::bmp::Dib dib;
  if (!xj::bmp::Read(static_cast<const uint8_t*>(bytes), size, dib).Ok) std::abort();
  benchmark::DoNotOptimize(dib.Bits.data());
}

uint32_t Le32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return uint32_t { u[0] } | uint32_t { u[1] } << 8 | uint32_t { u[2] } << 16 | uint32_t { u[3] } << 24;
}

// Reads the INI text and every bitmap file, and decodes each bitmap once.
void RawSkinDirectory(TMemoryStream& bytes) {
  bytes.LoadFromFile(kSkinIni);
  for (const std::string& name : kPictureFiles) {
    bytes.LoadFromFile(kSkins + "/test/" + name);
    DecodeOnce(bytes.Memory(), size_t(bytes.Size()));
  }
}

void BM_LoadSkinDirectory(benchmark::State& state) {
  TbsSkinData data(nullptr);
  auto load = [&] {
    data.LoadFromFile(kSkinIni);
    if (data.Empty) state.SkipWithError("the test skin did not load");
  };
  for (auto _ : state) load();
  TMemoryStream bytes;
  xj::bench::PeerRatio(state, "x_peer", load, [&] { RawSkinDirectory(bytes); });
}
BENCHMARK(BM_LoadSkinDirectory)->Unit(benchmark::kMillisecond);

void BM_RawSkinDirectory(benchmark::State& state) {
  TMemoryStream bytes;
  for (auto _ : state) RawSkinDirectory(bytes);
}
BENCHMARK(BM_RawSkinDirectory)->Unit(benchmark::kMillisecond);

// Where the images lie in the inflated payload of the compressed skin, found once.
struct Payload {
  std::vector<char> bytes = std::vector<char>(64 << 20);
  std::vector<std::pair<size_t, size_t>> images;
  bool ok { false };

  Payload() {
    const std::string file = ReadFile(kSkinFile);
    uLongf length = bytes.size();
    if (uncompress(reinterpret_cast<Bytef*>(bytes.data()), &length, reinterpret_cast<const Bytef*>(file.data() + 8),
                   file.size() - 8) != Z_OK)
      return;
    size_t at = 4;
    for (int i = 0; i < 3; ++i) {
      if (bytes[at++] != 0) continue;
      images.emplace_back(at, Le32(&bytes[at + 2]));
      at += images.back().second;
    }
    const uint32_t count = Le32(&bytes[at]);
    at += 4;
    for (uint32_t i = 0; i < count; ++i) {
      images.emplace_back(at, Le32(&bytes[at + 2]));
      at += images.back().second;
    }
    ok = true;
  }

  // Reads the file, inflates it in one call, and decodes each bitmap of the payload once.
  void Raw(TMemoryStream& file) {
    file.LoadFromFile(kSkinFile);
    uLongf size = bytes.size();
    uncompress(reinterpret_cast<Bytef*>(bytes.data()), &size, static_cast<const Bytef*>(file.Memory()) + 8,
               static_cast<uLong>(file.Size() - 8));
    for (const auto& [offset, imageSize] : images) DecodeOnce(&bytes[offset], imageSize);
  }
};

void BM_LoadCompressedSkinFile(benchmark::State& state) {
  TbsCompressedStoredSkin packed(nullptr);
  TbsSkinData data(nullptr);
  auto load = [&] {
    packed.LoadFromCompressFile(kSkinFile);
    data.LoadCompressedStoredSkin(&packed);
    if (data.Empty) state.SkipWithError("the test skin did not load");
  };
  for (auto _ : state) load();
  Payload payload;
  TMemoryStream file;
  if (payload.ok) xj::bench::PeerRatio(state, "x_peer", load, [&] { payload.Raw(file); });
}
BENCHMARK(BM_LoadCompressedSkinFile)->Unit(benchmark::kMillisecond);

void BM_RawCompressedSkinFile(benchmark::State& state) {
  Payload payload;
  if (!payload.ok) {
    state.SkipWithError("the compressed skin does not inflate");
    return;
  }
  TMemoryStream file;
  for (auto _ : state) payload.Raw(file);
}
BENCHMARK(BM_RawCompressedSkinFile)->Unit(benchmark::kMillisecond);

}  // namespace
