// Feeds arbitrary bytes as the content of a compressed skin (marker, flagged pictures, active pictures,
// INI text) to a skin data component, then shows, paints, resizes and frees a skinned form holding every
// skinned control class on it. Whatever the skin, nothing may crash, hang or allocate without bound; a
// skin that cannot load is refused with an exception and leaves a skin-less form that paints as well.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "skin/data/bsSkinData.h"
#include "skin/data/bszlib.h"
#include "tools/hostile/HostileForm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  setenv("XJ_DISPLAY", "headless", 1);
  TbsCompressedStoredSkin packed(nullptr);
  {
    TMemoryStream payload;
    payload.WriteBuffer(data, static_cast<int>(size));
    CompressStream(&payload, packed.CompressedData.get());
  }
  hostile::Exercise(
      [&](TbsSkinData* skin) {
        skin->MaxPictureBytes = int64_t { 16 } << 20;  // small enough for inputs to reach it as well
        skin->LoadCompressedStoredSkin(&packed);
      },
      nullptr, hostile::Depth::Paint);
  return 0;
}
