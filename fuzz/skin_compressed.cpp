// Feeds arbitrary bytes to the compressed skin loader: as the zlib data of a compressed stored skin, as
// the payload inside such data, and as a compressed skin file. Anything may fail, with an exception and
// a cleared skin; nothing may crash, hang or allocate without bound.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "skin/data/bsSkinData.h"
#include "skin/data/bszlib.h"

namespace {

void LoadInto(TbsSkinData& skin, TbsCompressedStoredSkin& packed) {
  try {
    skin.LoadCompressedStoredSkin(&packed);
  } catch (const Exception&) {
    // A load that fails leaves nothing behind.
    if (!skin.Empty || skin.CtrlList->Count() || skin.ObjectList->Count() || skin.ActivePictures->Count()) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t mode = data[0] % 3;
  ++data;
  --size;
  TbsCompressedStoredSkin packed(nullptr);
  TbsSkinData skin(nullptr);
  skin.MaxPictureBytes = int64_t { 1 } << 20;  // small enough for inputs to reach it as well
  switch (mode) {
    case 0:  // the compressed data itself
      packed.CompressedData->WriteBuffer(data, static_cast<int>(size));
      LoadInto(skin, packed);
      break;
    case 1: {  // the payload, packed as a skin is
      TMemoryStream payload;
      payload.WriteBuffer(data, static_cast<int>(size));
      CompressStream(&payload, packed.CompressedData.get());
      LoadInto(skin, packed);
      break;
    }
    default: {  // a compressed skin file
      static const std::string path = "/tmp/skin_compressed_fuzz_" + std::to_string(getpid()) + ".skn";
      FILE* f = std::fopen(path.c_str(), "wb");
      if (!f) return 0;
      std::fwrite(data, 1, size, f);
      std::fclose(f);
      try {
        packed.LoadFromCompressFile(path);
      } catch (const Exception&) {
        if (!packed.Empty()) std::abort();  // the previous (empty) content stays
        return 0;
      }
      LoadInto(skin, packed);
      break;
    }
  }
  return 0;
}
