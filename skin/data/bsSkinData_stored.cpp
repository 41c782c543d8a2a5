// Skins kept in forms: TbsStoredSkin ("Pictures"), TbsCompressedStoredSkin ("CompressedData"), the
// compressed skin file, and loading either into a TbsSkinData.

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "platform/vcl/IniFiles.h"
#include "platform/vcl/SysUtils.h"
#include "platform/win32/BmpCodec.h"
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

  // Loads the pictures Text, the INI text of the skin file FileName, names, unless OnlyASkin and the
  // text is no skin; returns whether it is one. The text is parsed from a copy, counted against Budget
  // with what the parser builds; both are given back once the pictures are in.
  bool Load(const AnsiString& Text, const AnsiString& FileName, bool OnlyASkin, xj::skin::TSkinBudget& Budget) {
    const AnsiString what = "the INI text of " + FileName;
    const auto copy = static_cast<int64_t>(Text.size());
    xj::skin::ChargeBytes(Budget, copy, "a copy of " + what);
    TMemIniFile ini("");
    const int64_t records = xj::skin::ParseSkinText(&ini, Text, Budget, what);
    const bool skin = IsSkinFile(&ini);
    if (skin || !OnlyASkin) Load(&ini, ExtractFilePath(FileName), Budget);
    Budget.Release(copy + records);
    return skin;
  }

  void Load(TCustomIniFile* IniFile, const AnsiString& Path, xj::skin::TSkinBudget& Budget) {
    for (auto [bitmap, key] : { std::pair<TBitmap*, const char*> { &Picture, "picture" },
                                { &InActivePicture, "inactivepicture" },
                                { &Mask, "mask" } })
      xj::skin::LoadSkinPicture(bitmap, Path, IniFile->ReadString("PICTURES", key, AnsiString()), Budget,
                                AnsiString("key ") + key);
    TStringList names;
    ReadStrings1(IniFile, "PICTURES", "activepictures", &names);
    xj::skin::LoadSkinPictures(&Active, &names, 0, Path, Budget);
  }
};

// The most a picture's file image holds besides its pixels: the file header, the largest info header,
// a palette of 256 colours.
constexpr int64_t MaxImageHead = 14 + 124 + 256 * 4;

// What the largest of the pictures takes as a file image.
int64_t LargestImage(TSkinPictures& P) {
  int64_t most = std::max({ xj::skin::PictureBytes(&P.Picture), xj::skin::PictureBytes(&P.InActivePicture),
                            xj::skin::PictureBytes(&P.Mask) });
  for (int i = 0; i < P.Active.Count(); ++i)
    most = std::max(most, xj::skin::PictureBytes(static_cast<TBitmap*>(P.Active.Items(i))));
  return most + MaxImageHead;
}

// A memory stream that counts what it grows by against a budget before it grows, and gives that back
// when it is freed; What names its bytes.
class TCountedStream : public TMemoryStream {
 public:
  TCountedStream(xj::skin::TSkinBudget& Budget, const AnsiString& What) : FBudget(Budget), FWhat(What) {}
  ~TCountedStream() override { FBudget.Release(FCounted); }

  int Write(const void* Buffer, int Count) override {
    const int64_t grows = Position() + Count - FCounted;
    if (grows > 0) {
      if (!FBudget.Take(grows)) FBudget.Refuse(Format("%s (past %d bytes)", FWhat, FCounted));
      FCounted += grows;
    }
    return TMemoryStream::Write(Buffer, Count);
  }
  // Frees the bytes and gives back what they counted.
  void Free() {
    Clear();
    FBudget.Release(FCounted);
    FCounted = 0;
  }

 private:
  xj::skin::TSkinBudget& FBudget;
  AnsiString FWhat;
  int64_t FCounted { 0 };
};

// A view of bytes another stream holds, read where they lie.
class TMemoryView : public TCustomMemoryStream {
 public:
  TMemoryView(void* Memory, int64_t Size) { SetPointer(Memory, Size); }
  int Write(const void*, int) override { throw EStreamError("A view of memory cannot be written"); }
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

void ReadImage(TStream* Stream, TBitmap* Bitmap, TSkinBudget& Budget, const AnsiString& What) {
  const int64_t start = Stream->Position();
  const int64_t left = Stream->Size() - start;
  uint8_t head[xj::bmp::kLayoutBytes];
  if (left < MinImageSize) throw EReadError(Format("No bitmap image at offset %d: the data ends", start));
  Stream->ReadBuffer(head, 14);
  const uint32_t size =
      uint32_t { head[2] } | uint32_t { head[3] } << 8 | uint32_t { head[4] } << 16 | uint32_t { head[5] } << 24;
  if (head[0] != 'B' || head[1] != 'M') throw EReadError(Format("No bitmap image at offset %d", start));
  if (size < static_cast<uint32_t>(MinImageSize) || size > left)
    throw EReadError(
        Format("The bitmap image at offset %d says it is %u bytes long; %d bytes are left", start, size, left));
  // The headers, and nothing of the image after them: the stream need not go back.
  const auto headSize = static_cast<int>(std::min<uint32_t>(size, sizeof head));
  Stream->ReadBuffer(head + 14, headSize - 14);
  auto* memory = dynamic_cast<TCustomMemoryStream*>(Stream);
  // Another stream's image is copied out whole first.
  const int64_t copied = memory ? 0 : size;
  ChargePicture(Budget, head, static_cast<size_t>(headSize), copied, What);
  if (memory) {
    TMemoryView image(static_cast<char*>(memory->Memory()) + start, size);
    Bitmap->LoadFromStream(&image);
    Stream->SetPosition(start + size);
    return;
  }
  TMemoryStream image;
  image.SetSize(size);
  std::memcpy(image.Memory(), head, static_cast<size_t>(headSize));
  Stream->ReadBuffer(static_cast<char*>(image.Memory()) + headSize, static_cast<int>(size) - headSize);
  image.SetPosition(0);
  Bitmap->LoadFromStream(&image);
  Budget.Release(copied);
}

void ReadFlaggedImage(TStream* Stream, TBitmap* Bitmap, TSkinBudget& Budget, const AnsiString& What) {
  uint8_t flag;
  Stream->ReadBuffer(&flag, 1);
  if (flag != 0)
    Bitmap->Assign(nullptr);
  else
    ReadImage(Stream, Bitmap, Budget, What);
}

void ReadBasePictures(TStream* Stream, TBitmap* Picture, TBitmap* InActivePicture, TBitmap* Mask, TSkinBudget& Budget) {
  ReadFlaggedImage(Stream, Picture, Budget, "the picture");
  ReadFlaggedImage(Stream, InActivePicture, Budget, "the inactive picture");
  ReadFlaggedImage(Stream, Mask, Budget, "the mask");
}

void WriteFlaggedImage(TStream* Stream, TBitmap* Bitmap) {
  const uint8_t flag = Bitmap->Empty() ? 1 : 0;
  Stream->WriteBuffer(&flag, 1);
  if (flag == 0) Bitmap->SaveToStream(Stream);
}

void ReadImageList(TStream* Stream, TList* List, TSkinBudget& Budget) {
  const int32_t n = ReadInt32(Stream);
  // The count comes from outside: every image takes at least a header's bytes.
  if (n < 0 || n > (Stream->Size() - Stream->Position()) / MinImageSize)
    throw EReadError(Format("%d pictures cannot be in the %d bytes left", n, Stream->Size() - Stream->Position()));
  const int first = List->Count();
  for (int32_t i = 0; i < n; ++i) {
    auto bitmap = std::make_unique<TBitmap>();
    ReadImage(Stream, bitmap.get(), Budget, Format("active picture %d", first + i));
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
  TSkinBudget budget(MaxSkinPictureBytes);
  const AnsiString text = ReadSkinText(FileName, budget);
  TSkinPictures pictures;
  pictures.Load(text, FileName, false, budget);
  // The lines take the place of the old ones, made once from the text.
  ChargeLines(budget, text, "the INI lines of " + FileName);
  FIniStrings->SetText(text);
  AdoptPictures(this, pictures);
}

void TbsStoredSkin::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  Filer->DefineBinaryProperty("Pictures", TStreamProc(this, &TbsStoredSkin::ReadData),
                              TStreamProc(this, &TbsStoredSkin::WriteData), true);
}

void TbsStoredSkin::ReadData(TStream* Stream) {
  TSkinPictures read;
  TSkinBudget budget(MaxSkinPictureBytes);
  ReadBasePictures(Stream, &read.Picture, &read.InActivePicture, &read.Mask, budget);
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

namespace {

// The payload of a compressed stored skin: the marker, the pictures, the INI text as a string list writes
// it (every line followed by CR LF). Each picture passes through a copy of its pixels and its file image
// on its way in, counted against Budget as What.
void WritePayload(TStream* Payload, TSkinPictures& Pictures, std::string_view Text, TSkinBudget& Budget,
                  const AnsiString& What) {
  const int64_t passing = 2 * LargestImage(Pictures);
  ChargeBytes(Budget, passing, "the largest picture of " + What + " on its way in");
  WriteInt32(Payload, 1);
  WriteFlaggedImage(Payload, &Pictures.Picture);
  WriteFlaggedImage(Payload, &Pictures.InActivePicture);
  WriteFlaggedImage(Payload, &Pictures.Mask);
  WriteImageList(Payload, &Pictures.Active);
  ForEachLine(Text, [&](std::string_view Line) {
    Payload->WriteBuffer(Line.data(), static_cast<int>(Line.size()));
    Payload->WriteBuffer("\r\n", 2);
  });
  Budget.Release(passing);
}

}  // namespace

void TbsCompressedStoredSkin::LoadFromIniFile(const AnsiString& FileName) {
  TSkinBudget budget(MaxSkinPictureBytes);
  const AnsiString text = ReadSkinText(FileName, budget);
  TSkinPictures pictures;
  if (!pictures.Load(text, FileName, true, budget)) return;
  TCountedStream packed(budget, "the data packed from " + FileName);
  {
    TCountedStream payload(budget, "the payload packed from " + FileName);
    WritePayload(&payload, pictures, text, budget, FileName);
    CompressStream(&payload, &packed);
  }
  // Only a complete new skin replaces the old one.
  ChargeBytes(budget, packed.Size(), "the compressed data of " + FileName);
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
  // A skin inflates to no more than a load of it may take, and packs into no more than zlib makes of
  // that: more data holds no skin that loads, and is not read.
  const auto most = static_cast<int64_t>(compressBound(static_cast<uLong>(MaxSkinPictureBytes)));
  if (size > most)
    throw EbsSkinTooLarge(
        Format("%s holds %d bytes of compressed data, more than a skin packs into (%d bytes: "
               "%d bytes of memory, the most a skin may take (MaxPictureBytes), compressed)",
               FileName, size, most, MaxSkinPictureBytes));
  // Read once, after the old data, which goes back as it was when the read fails.
  const int64_t old = CompressedData->Size();
  CompressedData->SetSize(old + size);
  char* memory = static_cast<char*>(CompressedData->Memory());
  try {
    file.ReadBuffer(memory + old, size);
  } catch (...) {
    CompressedData->SetSize(old);  // a resize may raise, which no scope guard may do
    throw;
  }
  if (size > 0) std::memmove(memory, memory + old, static_cast<size_t>(size));  // none at all: no memory
  CompressedData->SetSize(size);
  CompressedData->SetPosition(size);
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

namespace {

// What a TStrings hands the INI parser as its text: each line and a line break.
int64_t TextBytes(TStrings* Lines) {
  int64_t bytes = 0;
  for (int i = 0; i < Lines->Count(); ++i) bytes += static_cast<int64_t>(Lines->Strings(i).size()) + 2;
  return bytes;
}

// The bytes of Stream from its position on, copied out, counted against Budget first.
AnsiString RestOf(TCustomMemoryStream& Stream, TSkinBudget& Budget, const AnsiString& What) {
  const int64_t at = Stream.Position();
  const int64_t size = std::max<int64_t>(Stream.Size() - at, 0);
  ChargeBytes(Budget, size, What);
  return AnsiString(static_cast<const char*>(Stream.Memory()) + at, static_cast<size_t>(size));
}

// Copies Source into Copy, counted against Budget first; the copy passes through a buffer of its size.
void CopyPicture(TBitmap* Copy, TBitmap* Source, TSkinBudget& Budget, const AnsiString& What) {
  const int64_t bytes = PictureBytes(Source);
  Budget.Charge(2 * bytes, What);
  Copy->Assign(Source);
  Budget.Release(bytes);
}

}  // namespace

void TbsSkinData::LoadStoredSkin(TbsStoredSkin* S) {
  Load([&] {
    const AnsiString name = S->Name().empty() ? S->ClassName() : S->Name();
    const AnsiString what = "the INI text of the stored skin " + name;
    ChargeBytes(*FBudget, TextBytes(S->IniStrings()), what);
    TMemIniFile ini("");
    ParseSkinText(&ini, S->IniStrings()->Text(), *FBudget, what);
    if (AnsiString why = NotASkin("The stored skin " + name, &ini); !why.empty()) return why;
    ReadVersion(&ini);
    CopyPicture(Picture.get(), S->Picture.get(), *FBudget, "the picture");
    CopyPicture(InActivePicture.get(), S->InActivePicture.get(), *FBudget, "the inactive picture");
    CopyPicture(Mask.get(), S->Mask.get(), *FBudget, "the mask");
    // One copy of each picture, standing wherever the stored skin has it.
    std::unordered_map<const TBitmap*, TBitmap*> copies;
    for (int i = 0; i < S->ActivePictures->Count(); ++i) {
      auto* source = static_cast<TBitmap*>(S->ActivePictures->Items(i));
      TBitmap*& copy = copies[source];
      if (!copy) {
        auto bitmap = std::make_unique<TBitmap>();
        CopyPicture(bitmap.get(), source, *FBudget, Format("active picture %d", i));
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
    const AnsiString name = C->Name().empty() ? C->ClassName() : C->Name();
    const AnsiString what = "the compressed stored skin " + name;
    // Each block inflated is counted before it is written: a payload past what the skin may take stops
    // there, having spent no more than that.
    TCountedStream payload(*FBudget, "the data inflated from " + what);
    DeCompressStream(&payload, C->CompressedData.get(), TbsCompressedStoredSkin::MaxPayloadSize);
    payload.SetPosition(0);
    if (ReadInt32(&payload) != 1) return Format("The compressed stored skin %s does not start with the marker 1", name);
    ReadBasePictures(&payload, Picture.get(), InActivePicture.get(), Mask.get(), *FBudget);
    ReadImageList(&payload, ActivePictures.get(), *FBudget);
    // The pictures are decoded, the text copied out: the payload goes before the text is parsed.
    AnsiString text = RestOf(payload, *FBudget, "the INI text of " + what);
    payload.Free();
    TMemIniFile ini("");
    ParseSkinText(&ini, std::move(text), *FBudget, "the INI text of " + what);
    ReadVersion(&ini);
    ReadFormInfo(&ini);
    PopupWindow->LoadFromFile(&ini);
    HintWindow->LoadFromFile(&ini);
    ReadObjects(&ini);
    ReadCtrls(&ini);
    return AnsiString();
  });
}
