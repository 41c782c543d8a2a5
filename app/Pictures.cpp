#include "app/Pictures.h"

#include "platform/vcl/Classes.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Jpeg.h"

namespace pictures {

void LoadInto(TGraphic* Graphic, const TPictureBytes& Bytes) {
  TMemoryStream stream;
  stream.WriteBuffer(Bytes.Data, static_cast<int>(Bytes.Size));
  stream.SetPosition(0);
  Graphic->LoadFromStream(&stream);
}

}  // namespace pictures
