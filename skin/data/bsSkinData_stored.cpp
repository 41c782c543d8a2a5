// Skins kept in forms: TbsStoredSkin ("Pictures"), TbsCompressedStoredSkin ("CompressedData"), the
// compressed skin file, and loading either into a TbsSkinData.

#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "platform/vcl/IniFiles.h"
#include "platform/vcl/SysUtils.h"
#include "platform/win32/Profile.h"
#include "skin/data/bsSkinDataPrivate.h"
#include "skin/data/bsUtils.h"
#include "skin/data/bszlib.h"

XJ_PUBLISHED(TbsStoredSkin, XJ_PROP(FileName) XJ_PROP(IniStrings));
XJ_PUBLISHED(TbsCompressedStoredSkin, XJ_PROP(FileName));

namespace {

// The smallest bitmap file image: file and info header of a picture of no pixels.
constexpr int MinImageSize = 14 + 40;

bool DesigningNotLoading(const TComponent* C) {
  return C->ComponentState().Contains(csDesigning) && !C->ComponentState().Contains(csLoading);
}

// The three base pictures and the active pictures of a skin directory, loaded aside.
struct TSkinPictures {
  TBitmap Picture, InActivePicture, Mask;
  TList Active;  // TBitmap*, owned
  ~TSkinPictures() { xj::skin::FreePictures(&Active); }

  // The budget of a stored skin, holding what the base pictures take.
  xj::skin::TPictureBudget Budget() const {
    xj::skin::TPictureBudget budget(MaxSkinPictureBytes);
    budget.Charge(&Picture, "the picture");
    budget.Charge(&InActivePicture, "the inactive picture");
    budget.Charge(&Mask, "the mask");
    return budget;
  }

  void Load(TCustomIniFile* IniFile, const AnsiString& Path) {
    xj::skin::LoadSkinPicture(&Picture, Path, IniFile->ReadString("PICTURES", "picture", AnsiString()));
    xj::skin::LoadSkinPicture(&InActivePicture, Path, IniFile->ReadString("PICTURES", "inactivepicture", AnsiString()));
    xj::skin::LoadSkinPicture(&Mask, Path, IniFile->ReadString("PICTURES", "mask", AnsiString()));
    TStringList names;
    ReadStrings1(IniFile, "PICTURES", "activepictures", &names);
    xj::skin::TPictureBudget budget = Budget();
    xj::skin::LoadSkinPictures(&Active, &names, 0, Path, budget);
  }
};

void MoveBitmaps(TList* From, TList* To) {
  for (int i = 0; i < From->Count(); ++i) To->Add(From->Items(i));
  From->Clear();
}

// Hands pictures that loaded completely to a stored skin, replacing what it held.
void AdoptPictures(TbsStoredSkin* Skin, TSkinPictures& From) {
  Skin->Picture->Assign(&From.Picture);
  Skin->InActivePicture->Assign(&From.InActivePicture);
  Skin->Mask->Assign(&From.Mask);
  Skin->ClearBitMaps();
  MoveBitmaps(&From.Active, Skin->ActivePictures.get());
}

}  // namespace

// ---- Bitmap images in streams ---------------------------------------------------------------------------

namespace xj::skin {

int32_t ReadInt32(TStream* Stream) {
  uint8_t b[4];
  Stream->ReadBuffer(b, 4);
  return static_cast<int32_t>(uint32_t { b[0] } | uint32_t { b[1] } << 8 | uint32_t { b[2] } << 16 |
                              uint32_t { b[3] } << 24);
}

void WriteInt32(TStream* Stream, int32_t Value) {
  const auto v = static_cast<uint32_t>(Value);
  const uint8_t b[4] = { static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                         static_cast<uint8_t>(v >> 24) };
  Stream->WriteBuffer(b, 4);
}

void ReadImage(TStream* Stream, TBitmap* Bitmap) {
  const int64_t start = Stream->Position();
  const int64_t left = Stream->Size() - start;
  uint8_t header[14];
  if (left < MinImageSize) throw EReadError(Format("No bitmap image at offset %d: the data ends", start));
  Stream->ReadBuffer(header, sizeof header);
  const uint32_t size = uint32_t { header[2] } | uint32_t { header[3] } << 8 | uint32_t { header[4] } << 16 |
                        uint32_t { header[5] } << 24;
  if (header[0] != 'B' || header[1] != 'M') throw EReadError(Format("No bitmap image at offset %d", start));
  if (size < static_cast<uint32_t>(MinImageSize) || size > left)
    throw EReadError(
        Format("The bitmap image at offset %d says it is %u bytes long; %d bytes are left", start, size, left));
  TMemoryStream image;
  image.SetSize(size);
  std::memcpy(image.Memory(), header, sizeof header);
  Stream->ReadBuffer(static_cast<char*>(image.Memory()) + sizeof header, static_cast<int>(size - sizeof header));
  image.SetPosition(0);
  Bitmap->LoadFromStream(&image);
}

void ReadFlaggedImage(TStream* Stream, TBitmap* Bitmap) {
  uint8_t flag;
  Stream->ReadBuffer(&flag, 1);
  if (flag != 0)
    Bitmap->Assign(nullptr);
  else
    ReadImage(Stream, Bitmap);
}

void WriteFlaggedImage(TStream* Stream, TBitmap* Bitmap) {
  const uint8_t flag = Bitmap->Empty() ? 1 : 0;
  Stream->WriteBuffer(&flag, 1);
  if (flag == 0) Bitmap->SaveToStream(Stream);
}

void ReadImageList(TStream* Stream, TList* List, TPictureBudget& Budget) {
  const int32_t n = ReadInt32(Stream);
  // The count comes from outside: every image takes at least a header's bytes.
  if (n < 0 || n > (Stream->Size() - Stream->Position()) / MinImageSize)
    throw EReadError(Format("%d pictures cannot be in the %d bytes left", n, Stream->Size() - Stream->Position()));
  const int first = List->Count();
  for (int32_t i = 0; i < n; ++i) {
    auto bitmap = std::make_unique<TBitmap>();
    ReadImage(Stream, bitmap.get());
    Budget.Charge(bitmap.get(), Format("active picture %d", first + i));
    List->Add(bitmap.release());
  }
}

void WriteImageList(TStream* Stream, TList* List) {
  WriteInt32(Stream, List->Count());
  // An empty picture is written as a header-only image, so the pictures after it keep their indexes.
  for (int i = 0; i < List->Count(); ++i) static_cast<TBitmap*>(List->Items(i))->SaveToStream(Stream);
}

}  // namespace xj::skin

using namespace xj::skin;

// ---- TbsStoredSkin --------------------------------------------------------------------------------------

TbsStoredSkin::TbsStoredSkin(TComponent* AOwner)
    : TComponent(AOwner),
      Picture(std::make_unique<TBitmap>()),
      InActivePicture(std::make_unique<TBitmap>()),
      Mask(std::make_unique<TBitmap>()),
      ActivePictures(std::make_unique<TList>()),
      FIniStrings(std::make_unique<TStringList>()) {}

TbsStoredSkin::~TbsStoredSkin() { ClearBitMaps(); }

void TbsStoredSkin::SetFileName(const AnsiString& Value) {
  if (!DesigningNotLoading(this)) {
    FFileName = Value;
    return;
  }
  LoadFromFile(Value);
  FFileName = ExtractFileName(Value);
}

void TbsStoredSkin::SetIniStrings(TStrings* Value) { FIniStrings->Assign(Value); }

void TbsStoredSkin::ClearBitMaps() { FreePictures(ActivePictures.get()); }

void TbsStoredSkin::LoadFromFile(const AnsiString& FileName) {
  // Everything is read aside first, so a bitmap that fails leaves the component as it was.
  TStringList lines;
  ReadSkinLines(FileName, &lines);
  TMemIniFile ini("");
  ini.SetStrings(&lines);
  TSkinPictures pictures;
  pictures.Load(&ini, ExtractFilePath(FileName));
  FIniStrings->Assign(&lines);
  AdoptPictures(this, pictures);
}

void TbsStoredSkin::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  Filer->DefineBinaryProperty("Pictures", TStreamProc(this, &TbsStoredSkin::ReadData),
                              TStreamProc(this, &TbsStoredSkin::WriteData), true);
}

void TbsStoredSkin::ReadData(TStream* Stream) {
  TSkinPictures read;
  ReadFlaggedImage(Stream, &read.Picture);
  ReadFlaggedImage(Stream, &read.InActivePicture);
  ReadFlaggedImage(Stream, &read.Mask);
  TPictureBudget budget = read.Budget();
  ReadImageList(Stream, &read.Active, budget);
  AdoptPictures(this, read);
}

void TbsStoredSkin::WriteData(TStream* Stream) {
  WriteFlaggedImage(Stream, Picture.get());
  WriteFlaggedImage(Stream, InActivePicture.get());
  WriteFlaggedImage(Stream, Mask.get());
  WriteImageList(Stream, ActivePictures.get());
}

// ---- TbsCompressedStoredSkin ----------------------------------------------------------------------------

TbsCompressedStoredSkin::TbsCompressedStoredSkin(TComponent* AOwner)
    : TComponent(AOwner), CompressedData(std::make_unique<TMemoryStream>()) {}

TbsCompressedStoredSkin::~TbsCompressedStoredSkin() = default;

void TbsCompressedStoredSkin::SetFileName(const AnsiString& Value) {
  if (!DesigningNotLoading(this)) {
    FFileName = Value;
    return;
  }
  LoadFromIniFile(Value);
  FFileName = ExtractFileName(Value);
}

bool TbsCompressedStoredSkin::Empty() const { return CompressedData->Size() == 0; }

void TbsCompressedStoredSkin::DeCompressToStream(TMemoryStream* Stream) {
  DeCompressStream(Stream, CompressedData.get(), MaxPayloadSize);
}

void TbsCompressedStoredSkin::LoadFromIniFile(const AnsiString& FileName) {
  TStringList lines;
  ReadSkinLines(FileName, &lines);
  TMemIniFile ini("");
  ini.SetStrings(&lines);
  if (!IsSkinFile(&ini)) return;
  TSkinPictures pictures;
  pictures.Load(&ini, ExtractFilePath(FileName));
  TMemoryStream payload;
  WriteInt32(&payload, 1);
  WriteFlaggedImage(&payload, &pictures.Picture);
  WriteFlaggedImage(&payload, &pictures.InActivePicture);
  WriteFlaggedImage(&payload, &pictures.Mask);
  WriteImageList(&payload, &pictures.Active);
  lines.SaveToStream(&payload);
  TMemoryStream packed;
  CompressStream(&payload, &packed);
  // Only a complete new skin replaces the old one.
  CompressedData->Clear();
  CompressedData->CopyFrom(&packed, 0);
}

void TbsCompressedStoredSkin::LoadFromCompressFile(const AnsiString& FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  const int64_t length = file.Size();
  if (length < 8 || ReadInt32(&file) != 1) throw EReadError(Format("%s is not a compressed skin file", FileName));
  const int32_t size = ReadInt32(&file);
  if (size < 0 || size > length - 8)
    throw EReadError(Format("%s is cut short: it says %d bytes of data follow, %d do", FileName, size, length - 8));
  // More than the largest payload could pack into is no skin, and is not read.
  if (size > static_cast<int64_t>(compressBound(static_cast<uLong>(MaxPayloadSize))))
    throw EReadError(Format("%s holds %d bytes of data, more than any skin", FileName, size));
  TMemoryStream data;
  if (size > 0) data.CopyFrom(&file, size);
  CompressedData->Clear();
  if (size > 0) CompressedData->CopyFrom(&data, 0);
}

void TbsCompressedStoredSkin::SaveToCompressFile(const AnsiString& FileName) {
  if (Empty()) return;
  TMemoryStream file;
  WriteInt32(&file, 1);
  WriteInt32(&file, static_cast<int32_t>(CompressedData->Size()));
  file.CopyFrom(CompressedData.get(), 0);
  const std::string_view bytes(static_cast<const char*>(file.Memory()), static_cast<size_t>(file.Size()));
  // Through a temporary file renamed over the old one: a failure leaves the old file whole.
  if (!xj::WriteProfileFile(FileName, bytes))
    throw EFCreateError(Format("Cannot create file %s (%s)", FileName, std::strerror(errno)));
}

void TbsCompressedStoredSkin::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  Filer->DefineBinaryProperty("CompressedData", TStreamProc(this, &TbsCompressedStoredSkin::ReadData),
                              TStreamProc(this, &TbsCompressedStoredSkin::WriteData), true);
}

void TbsCompressedStoredSkin::ReadData(TStream* Stream) {
  CompressedData->Clear();
  CompressedData->CopyFrom(Stream, 0);
}

void TbsCompressedStoredSkin::WriteData(TStream* Stream) {
  if (!Empty()) Stream->CopyFrom(CompressedData.get(), 0);
}

// ---- Loading into TbsSkinData ---------------------------------------------------------------------------

void TbsSkinData::LoadStoredSkin(TbsStoredSkin* S) {
  Load([&] {
    TMemIniFile ini("");
    ini.SetStrings(S->IniStrings());
    const AnsiString what = Format("The stored skin %s", S->Name().empty() ? S->ClassName() : S->Name());
    if (AnsiString why = NotASkin(what, &ini); !why.empty()) return why;
    ReadVersion(&ini);
    Picture->Assign(S->Picture.get());
    InActivePicture->Assign(S->InActivePicture.get());
    Mask->Assign(S->Mask.get());
    TPictureBudget budget = SkinPictureBudget(*this);
    // One copy of each picture, standing wherever the stored skin has it.
    std::unordered_map<const TBitmap*, TBitmap*> copies;
    for (int i = 0; i < S->ActivePictures->Count(); ++i) {
      auto* source = static_cast<TBitmap*>(S->ActivePictures->Items(i));
      TBitmap*& copy = copies[source];
      if (!copy) {
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->Assign(source);
        budget.Charge(bitmap.get(), Format("active picture %d", i));
        copy = bitmap.release();
      }
      ActivePictures->Add(copy);
    }
    ReadFormInfo(&ini);
    PopupWindow->LoadFromFile(&ini);
    HintWindow->LoadFromFile(&ini);
    ReadObjects(&ini);
    ReadCtrls(&ini);
    return AnsiString();
  });
}

void TbsSkinData::LoadCompressedStoredSkin(TbsCompressedStoredSkin* C) {
  if (C->Empty()) return;
  Load([&] {
    TMemoryStream payload;
    C->DeCompressToStream(&payload);
    payload.SetPosition(0);
    if (ReadInt32(&payload) != 1)
      return Format("The compressed stored skin %s does not start with the marker 1",
                    C->Name().empty() ? C->ClassName() : C->Name());
    ReadFlaggedImage(&payload, Picture.get());
    ReadFlaggedImage(&payload, InActivePicture.get());
    ReadFlaggedImage(&payload, Mask.get());
    TPictureBudget budget = SkinPictureBudget(*this);
    ReadImageList(&payload, ActivePictures.get(), budget);
    TStringList lines;
    lines.LoadFromStream(&payload);
    TMemIniFile ini("");
    ini.SetStrings(&lines);
    ReadVersion(&ini);
    ReadFormInfo(&ini);
    PopupWindow->LoadFromFile(&ini);
    HintWindow->LoadFromFile(&ini);
    ReadObjects(&ini);
    ReadCtrls(&ini);
    return AnsiString();
  });
}
