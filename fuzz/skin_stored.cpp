// Feeds arbitrary bytes to the stored skin's "Pictures" reader. It either reads the whole layout or
// raises and keeps the pictures it had; what it reads, written again and read back, writes the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "skin/data/bsSkinData.h"

namespace {

std::string Written(TbsStoredSkin& s) {
  TMemoryStream out;
  s.WriteData(&out);
  return std::string(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TbsStoredSkin stored(nullptr);
  stored.Picture->SetSize(3, 2);  // something to keep when the data is bad
  TMemoryStream in;
  in.WriteBuffer(data, static_cast<int>(size));
  in.SetPosition(0);
  try {
    stored.ReadData(&in);
  } catch (const Exception&) {
    if (stored.Picture->Width() != 3 || stored.ActivePictures->Count() != 0) std::abort();
    return 0;
  }
  const std::string once = Written(stored);
  TbsStoredSkin again(nullptr);
  TMemoryStream copy;
  copy.WriteBuffer(once.data(), static_cast<int>(once.size()));
  copy.SetPosition(0);
  again.ReadData(&copy);
  if (Written(again) != once) std::abort();
  return 0;
}
