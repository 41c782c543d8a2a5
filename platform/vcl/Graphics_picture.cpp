// TGraphic's common part, icons (.ico files), and TPicture with its table of file formats.

#include <algorithm>
#include <cstring>
#include <mutex>
#include <tuple>

#include "platform/vcl/Graphics.h"
#include "platform/vcl/Jpeg.h"
#include "platform/win32/BmpCodec.h"
#include "platform/vcl/Graphics_private.h"
#include "platform/win32/WinGdi_user.h"

XJ_PUBLISHED(TPicture);
XJ_PUBLISHED(TIcon);

// ---- TGraphic -----------------------------------------------------------------------------------------

void TGraphic::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  Changed(this);
}

void TGraphic::SetModified(bool Value) {
  if (Value)
    Changed(this);
  else
    FModified = false;
}

void TGraphic::Changed(TObject*) {
  FModified = true;
  if (OnChange) OnChange(this);
}

void TGraphic::Progress(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow, const TRect& R,
                        const AnsiString& Msg) {
  if (OnProgress) OnProgress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

void TGraphic::LoadFromFile(const AnsiString& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  // The readers take the whole file into memory; none accepts a picture anywhere near this size.
  constexpr int64_t MaxPictureFileSize = int64_t { 512 } << 20;
  if (stream.Size() > MaxPictureFileSize)
    throw EInvalidGraphic(Format("%s is too large to be a picture (%d bytes)", FileName, stream.Size()));
  LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const AnsiString& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

void TGraphic::DefineProperties(TFiler* Filer) {
  Filer->DefineBinaryProperty("Data", TStreamProc(this, &TGraphic::ReadData), TStreamProc(this, &TGraphic::WriteData),
                              !Empty());
}

// ---- TIcon --------------------------------------------------------------------------------------------

namespace {

const char* const SInvalidIcon = "Icon image is not valid";

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void Put16(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 2; ++i) v.push_back(uint8_t(x >> (8 * i)));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}

struct TIconEntry {
  int Width, Height, BitCount;
  uint32_t Size, Offset;
};

// The entry to use: 32 × 32 if there is one, else the largest; then the most colours.
const TIconEntry* ChooseEntry(const std::vector<TIconEntry>& Entries) {
  const TIconEntry* best = nullptr;
  auto score = [](const TIconEntry& e) {
    return std::make_tuple(e.Width == 32 && e.Height == 32, e.Width * e.Height, e.BitCount);
  };
  for (const TIconEntry& e : Entries)
    if (!best || score(e) > score(*best)) best = &e;
  return best;
}

// A top-down black-and-white bitmap from bottom-up 1-bit rows (the AND mask of an icon image).
HBITMAP MonoFromRows(const uint8_t* Rows, int Width, int Height) {
  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD), 0);
  auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
  bi->bmiHeader = BITMAPINFOHEADER { sizeof(BITMAPINFOHEADER), Width, -Height, 1, 1, BI_RGB, 0, 0, 0, 2, 0 };
  bi->bmiColors[1] = RGBQUAD { 255, 255, 255, 0 };
  void* bits = nullptr;
  HBITMAP h = CreateDIBSection(nullptr, bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!h) return nullptr;
  const size_t stride = size_t((Width + 31) / 32) * 4;
  for (int y = 0; y < Height; ++y)
    std::memcpy(static_cast<uint8_t*>(bits) + size_t(y) * stride, Rows + size_t(Height - 1 - y) * stride, stride);
  return h;
}

// Reads an .ico file image; the icon handle, or an exception.
HICON ReadIcon(const std::vector<uint8_t>& Data) {
  if (Data.size() < 6 || U16(&Data[0]) != 0 || (U16(&Data[2]) != 1 && U16(&Data[2]) != 2))
    throw EInvalidGraphic(SInvalidIcon);
  const size_t count = U16(&Data[4]);
  if (count == 0 || Data.size() < 6 + 16 * count) throw EInvalidGraphic(SInvalidIcon);
  std::vector<TIconEntry> entries;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = &Data[6 + 16 * i];
    TIconEntry entry { e[0] ? e[0] : 256, e[1] ? e[1] : 256, U16(e + 6), U32(e + 8), U32(e + 12) };
    if (entry.Offset <= Data.size() && entry.Size <= Data.size() - entry.Offset) entries.push_back(entry);
  }
  const TIconEntry* chosen = ChooseEntry(entries);
  if (!chosen || chosen->Size < 40) throw EInvalidGraphic(SInvalidIcon);
  const uint8_t* image = &Data[chosen->Offset];
  if (std::memcmp(image, "\x89PNG", 4) == 0) throw EInvalidGraphic("PNG-compressed icons are not supported");
  // The header describes the colour image and the AND mask stacked: read it as half as high.
  std::vector<uint8_t> part(image, image + chosen->Size);
  const int32_t stacked = int32_t(U32(&part[8]));
  const int width = int32_t(U32(&part[4]));
  if (stacked <= 0 || stacked % 2 || width <= 0 || width > 1024 || stacked > 2048) throw EInvalidGraphic(SInvalidIcon);
  const int height = stacked / 2;
  const uint32_t half = uint32_t(height);
  std::memcpy(&part[8], &half, 4);
  xj::bmp::Dib colour;
  if (!xj::bmp::ReadInfo(part.data(), part.size(), colour).Ok || colour.Empty()) throw EInvalidGraphic(SInvalidIcon);
  const size_t maskStride = size_t((width + 31) / 32) * 4;
  const size_t maskBytes = maskStride * size_t(height);
  std::vector<uint8_t> andRows(maskBytes, 0);  // a missing mask means fully opaque
  if (chosen->Size >= maskBytes + 40) std::memcpy(andRows.data(), image + chosen->Size - maskBytes, maskBytes);
  HBITMAP colourBitmap = xj::bmp::CreateBitmapFromDib(colour);
  HBITMAP maskBitmap = MonoFromRows(andRows.data(), width, height);
  ICONINFO ii { TRUE, 0, 0, maskBitmap, colourBitmap };
  HICON icon = colourBitmap && maskBitmap ? CreateIconIndirect(&ii) : nullptr;
  if (colourBitmap) DeleteObject(colourBitmap);
  if (maskBitmap) DeleteObject(maskBitmap);
  if (!icon) throw EInvalidGraphic(SInvalidIcon);
  return icon;
}

// One 24-bit image with its AND mask, as an .ico file image.
std::vector<uint8_t> WriteIcon(HICON Icon) {
  ICONINFO ii {};
  if (!GetIconInfo(Icon, &ii)) throw EInvalidGraphic(SInvalidIcon);
  std::vector<uint32_t> colour, mask;
  int w = 0, h = 0, mw = 0, mh = 0;
  xj::vcl::ReadBitmapBits(ii.hbmMask, mask, mw, mh);
  if (ii.hbmColor) {
    xj::vcl::ReadBitmapBits(ii.hbmColor, colour, w, h);
  } else {
    // A monochrome icon keeps its AND mask above its image in one bitmap.
    w = mw;
    h = mh / 2;
    colour.assign(mask.begin() + ptrdiff_t(w) * h, mask.end());
    mh = h;
  }
  if (ii.hbmColor) DeleteObject(ii.hbmColor);
  DeleteObject(ii.hbmMask);
  const size_t colourStride = size_t(w * 3 + 3) & ~size_t(3), maskStride = size_t((w + 31) / 32) * 4;
  const uint32_t imageSize = uint32_t(40 + (colourStride + maskStride) * size_t(h));
  std::vector<uint8_t> v;
  Put16(v, 0);
  Put16(v, 1);
  Put16(v, 1);
  v.push_back(uint8_t(w < 256 ? w : 0));
  v.push_back(uint8_t(h < 256 ? h : 0));
  v.push_back(0);
  v.push_back(0);
  Put16(v, 1);
  Put16(v, 24);
  Put32(v, imageSize);
  Put32(v, 22);
  for (uint32_t x : { 40u, uint32_t(w), uint32_t(2 * h), 1u | (24u << 16), 0u, 0u, 0u, 0u, 0u, 0u }) Put32(v, x);
  for (int y = h - 1; y >= 0; --y) {
    const size_t start = v.size();
    for (int x = 0; x < w; ++x) {
      const uint32_t p = colour[size_t(y) * size_t(w) + size_t(x)];
      v.push_back(uint8_t(p));
      v.push_back(uint8_t(p >> 8));
      v.push_back(uint8_t(p >> 16));
    }
    v.resize(start + colourStride, 0);
  }
  for (int y = h - 1; y >= 0; --y) {
    std::vector<uint8_t> row(maskStride, 0);
    for (int x = 0; x < w && y < mh; ++x)
      if (mask[size_t(y) * size_t(mw) + size_t(x)] & 0xFFFFFF) row[size_t(x) >> 3] |= uint8_t(0x80 >> (x & 7));
    v.insert(v.end(), row.begin(), row.end());
  }
  return v;
}

}  // namespace

TIcon::~TIcon() {
  if (FHandle) DestroyIcon(FHandle);
}

void TIcon::NewIcon(HICON Handle, std::vector<uint8_t> FileImage) {
  if (FHandle && FHandle != Handle) DestroyIcon(FHandle);
  FHandle = Handle;
  FFileImage = std::move(FileImage);
  FWidth = FHeight = 0;
  ICONINFO ii {};
  if (Handle && GetIconInfo(Handle, &ii)) {
    BITMAP bm {};
    GetObjectA(ii.hbmColor ? ii.hbmColor : ii.hbmMask, sizeof bm, &bm);
    FWidth = bm.bmWidth;
    FHeight = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
  }
  Changed(this);
}

void TIcon::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (!Source) {
    NewIcon(nullptr, {});
    return;
  }
  auto* icon = dynamic_cast<TIcon*>(Source);
  if (!icon) {
    TGraphic::Assign(Source);
    return;
  }
  NewIcon(icon->FHandle ? CopyIcon(icon->FHandle) : nullptr, icon->FFileImage);
}

void TIcon::SetHandle(HICON Value) {
  if (Value != FHandle) NewIcon(Value, {});
}

HICON TIcon::ReleaseHandle() {
  HICON h = FHandle;
  FHandle = nullptr;
  FFileImage.clear();
  FWidth = FHeight = 0;
  return h;
}

void TIcon::SetWidth(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }

void TIcon::SetHeight(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }

void TIcon::LoadFromStream(TStream* Stream) {
  const int64_t size = Stream->Size() - Stream->Position();
  if (size <= 0 || size > (int64_t(1) << 26)) throw EInvalidGraphic(SInvalidIcon);
  std::vector<uint8_t> data(static_cast<size_t>(size));
  Stream->ReadBuffer(data.data(), static_cast<int>(size));
  HICON h = ReadIcon(data);
  NewIcon(h, std::move(data));
}

void TIcon::SaveToStream(TStream* Stream) {
  if (!FHandle) return;
  const std::vector<uint8_t> bytes = FFileImage.empty() ? WriteIcon(FHandle) : FFileImage;
  Stream->WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
}

// A bitmap receives the icon drawn on white at the icon's size.
void TIcon::AssignTo(TPersistent* Dest) {
  auto* bmp = dynamic_cast<TBitmap*>(Dest);
  if (!bmp) {
    TGraphic::AssignTo(Dest);
    return;
  }
  bmp->Assign(nullptr);
  bmp->SetSize(FWidth, FHeight);
  if (FHandle) bmp->Canvas()->Draw(0, 0, this);
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (!FHandle) return;
  DrawIconEx(ACanvas->Handle(), Rect.Left, Rect.Top, FHandle, Rect.Width(), Rect.Height(), 0, nullptr, DI_NORMAL);
}

// ---- TPicture and the file formats --------------------------------------------------------------------

namespace {

struct TFileFormat {
  AnsiString Extension;
  AnsiString Description;
  TGraphicClass Class;
};

struct TFileFormats {
  std::mutex Lock;
  std::vector<TFileFormat> List;

  TFileFormats() {
    List.push_back({ "bmp", "Bitmaps", TGraphicClass::Of<TBitmap>() });
    List.push_back({ "ico", "Icons", TGraphicClass::Of<TIcon>() });
    List.push_back({ "jpg", "JPEG Image File", TGraphicClass::Of<TJPEGImage>() });
    List.push_back({ "jpeg", "JPEG Image File", TGraphicClass::Of<TJPEGImage>() });
  }
};

TFileFormats& FileFormats() {
  static TFileFormats formats;
  return formats;
}

}  // namespace

void TPicture::RegisterFileFormat(const AnsiString& Extension, const AnsiString& Description,
                                  TGraphicClass GraphicClass) {
  TFileFormats& f = FileFormats();
  std::lock_guard<std::mutex> guard(f.Lock);
  f.List.insert(f.List.begin(), TFileFormat { LowerCase(Extension), Description, GraphicClass });
}

void TPicture::UnregisterGraphicClass(TClass AClass) {
  TFileFormats& f = FileFormats();
  std::lock_guard<std::mutex> guard(f.Lock);
  std::erase_if(f.List, [&](const TFileFormat& e) { return e.Class.Class == AClass; });
}

TGraphicClass TPicture::FindGraphicClass(const AnsiString& ClassName) {
  TFileFormats& f = FileFormats();
  std::lock_guard<std::mutex> guard(f.Lock);
  for (const TFileFormat& e : f.List)
    if (SameText(e.Class.Class->Name, ClassName)) return e.Class;
  return {};
}

TPicture::~TPicture() = default;

void TPicture::Take(std::unique_ptr<TGraphic> Graphic) {
  FGraphic = std::move(Graphic);
  if (FGraphic) {
    FGraphic->OnChange = TNotifyEvent(this, &TPicture::Changed);
    FGraphic->OnProgress = TProgressEvent(this, &TPicture::Progress);
  }
  Changed(this);
}

void TPicture::Progress(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow, const TRect& R,
                        const AnsiString& Msg) {
  if (OnProgress) OnProgress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

void TPicture::Changed(TObject*) {
  if (OnChange) OnChange(this);
}

void TPicture::SetGraphic(TGraphic* Value) {
  if (!Value) {
    Take(nullptr);
    return;
  }
  const TGraphicClass cls = FindGraphicClass(Value->ClassName());
  if (!cls.Create) throw EInvalidGraphic(Format("Unknown picture format %s", Value->ClassName()));
  std::unique_ptr<TGraphic> copy(cls.Create());
  copy->Assign(Value);
  Take(std::move(copy));
}

void TPicture::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (!Source) {
    SetGraphic(nullptr);
  } else if (auto* p = dynamic_cast<TPicture*>(Source)) {
    SetGraphic(p->Graphic());
  } else if (auto* g = dynamic_cast<TGraphic*>(Source)) {
    SetGraphic(g);
  } else {
    TPersistent::Assign(Source);
  }
}

// A graphic is handed on to whatever can take it (a bitmap takes a picture's bitmap, say).
void TPicture::AssignTo(TPersistent* Dest) {
  if (auto* g = dynamic_cast<TGraphic*>(Dest); g && FGraphic) {
    g->Assign(FGraphic.get());
    return;
  }
  TPersistent::AssignTo(Dest);
}

TBitmap* TPicture::Bitmap() {
  if (!dynamic_cast<TBitmap*>(FGraphic.get())) Take(std::make_unique<TBitmap>());
  return static_cast<TBitmap*>(FGraphic.get());
}

TIcon* TPicture::Icon() {
  if (!dynamic_cast<TIcon*>(FGraphic.get())) Take(std::make_unique<TIcon>());
  return static_cast<TIcon*>(FGraphic.get());
}

void TPicture::LoadFromFile(const AnsiString& FileName) {
  AnsiString ext = LowerCase(ExtractFileExt(FileName));
  if (!ext.empty()) ext.erase(0, 1);
  TGraphicClass cls;
  {
    TFileFormats& f = FileFormats();
    std::lock_guard<std::mutex> guard(f.Lock);
    for (const TFileFormat& e : f.List)
      if (e.Extension == ext) {
        cls = e.Class;
        break;
      }
  }
  if (!cls.Create) throw EInvalidGraphic(Format("Unknown picture file extension (.%s)", ext));
  std::unique_ptr<TGraphic> graphic(cls.Create());
  graphic->LoadFromFile(FileName);
  Take(std::move(graphic));
}

void TPicture::SaveToFile(const AnsiString& FileName) {
  if (FGraphic) FGraphic->SaveToFile(FileName);
}

void TPicture::DefineProperties(TFiler* Filer) {
  Filer->DefineBinaryProperty("Data", TStreamProc(this, &TPicture::ReadData), TStreamProc(this, &TPicture::WriteData),
                              FGraphic != nullptr);
}

void TPicture::ReadData(TStream* Stream) {
  uint8_t length = 0;
  Stream->ReadBuffer(&length, 1);
  AnsiString name(length, '\0');
  if (length) Stream->ReadBuffer(name.data(), length);
  const TGraphicClass cls = FindGraphicClass(name);
  if (!cls.Create) throw EInvalidGraphic(Format("Unknown picture format %s", name));
  std::unique_ptr<TGraphic> graphic(cls.Create());
  graphic->ReadData(Stream);
  Take(std::move(graphic));
}

void TPicture::WriteData(TStream* Stream) {
  const AnsiString name = FGraphic->ClassName();
  const uint8_t length = static_cast<uint8_t>(std::min<size_t>(name.size(), 255));
  Stream->WriteBuffer(&length, 1);
  Stream->WriteBuffer(name.data(), length);
  FGraphic->WriteData(Stream);
}
