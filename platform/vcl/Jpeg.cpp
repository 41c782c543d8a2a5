// TJPEGImage over libjpeg. libjpeg reports fatal errors through error_exit, which must not return:
// ours jumps back to the decoding routine, which therefore holds no C++ object with a destructor.

#include "platform/vcl/Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <exception>

#include <jpeglib.h>

#include "platform/win32/Scoped.h"

XJ_PUBLISHED(TJPEGImage);

namespace {

struct TJpegError {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr Info) {
  auto* e = reinterpret_cast<TJpegError*>(Info->err);
  Info->err->format_message(Info, e->Message);
  std::longjmp(e->Jump, 1);
}

// Warnings (extraneous bytes, data ending early) are not errors: the picture decodes as far as it goes.
void OutputMessage(j_common_ptr) {}

struct TJpegHeader {
  int Width { 0 };
  int Height { 0 };
  bool Gray { false };
  bool Progressive { false };
};

// CMYK as Adobe writes it (inverted) or plain, to B, G, R.
void CmykToBgr(const JSAMPLE* In, uint8_t* Out, int Width, bool Inverted) {
  for (int x = 0; x < Width; ++x, In += 4, Out += 3) {
    int c = In[0], m = In[1], y = In[2], k = In[3];
    if (!Inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    Out[0] = uint8_t(y * k / 255);
    Out[1] = uint8_t(m * k / 255);
    Out[2] = uint8_t(c * k / 255);
  }
}

// Rows decoded between two reports of progress.
constexpr int kProgressRows = 16;

// Told how many rows are decoded so far; it runs between libjpeg's calls, so it must not throw. False
// stops the decoding.
struct TRowsDone {
  bool (*Call)(void* Context, int Rows);
  void* Context;
};

// Reads the header and, when Rows is given (one top-down 24-bit row per line of the picture whose
// header was read before), the pixels. False with Error filled when the data is not a usable picture,
// or with Error empty when Done stopped it.
bool RunJpeg(const uint8_t* Data, size_t Size, TJpegHeader& Header, uint8_t* const* Rows, char* Error,
             const TRowsDone* Done = nullptr) {
  jpeg_decompress_struct cinfo;
  TJpegError err;
  cinfo.err = jpeg_std_error(&err.Manager);
  err.Manager.error_exit = ErrorExit;
  err.Manager.output_message = OutputMessage;
  err.Message[0] = 0;
  if (setjmp(err.Jump)) {
    jpeg_destroy_decompress(&cinfo);
    std::snprintf(Error, JMSG_LENGTH_MAX, "%s", err.Message);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, Data, static_cast<unsigned long>(Size));
  jpeg_read_header(&cinfo, TRUE);
  const bool sameSize = !Rows || (int(cinfo.image_width) == Header.Width && int(cinfo.image_height) == Header.Height);
  Header.Width = int(cinfo.image_width);
  Header.Height = int(cinfo.image_height);
  Header.Gray = cinfo.jpeg_color_space == JCS_GRAYSCALE;
  Header.Progressive = cinfo.progressive_mode;
  const bool tooLarge = Header.Width > kMaxJpegDimension || Header.Height > kMaxJpegDimension ||
                        int64_t(Header.Width) * Header.Height > kMaxJpegPixels;
  if (tooLarge || !sameSize || !Rows) {
    jpeg_destroy_decompress(&cinfo);
    if (tooLarge) std::snprintf(Error, JMSG_LENGTH_MAX, "picture too large (%d x %d)", Header.Width, Header.Height);
    if (!sameSize) std::snprintf(Error, JMSG_LENGTH_MAX, "picture changed size");
    return !tooLarge && sameSize;
  }
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  cinfo.mem->max_memory_to_use = 512L * 1024 * 1024;
  jpeg_start_decompress(&cinfo);
  JSAMPARRAY scratch =
      cmyk ? (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, cinfo.output_width * 4, 1)
           : nullptr;
  while (cinfo.output_scanline < cinfo.output_height) {
    const JDIMENSION y = cinfo.output_scanline;
    JSAMPROW row = cmyk ? scratch[0] : Rows[y];
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) break;
    if (cmyk) CmykToBgr(scratch[0], Rows[y], int(cinfo.output_width), cinfo.saw_Adobe_marker);
    const int done = int(y) + 1;
    if (Done && done % kProgressRows == 0 && done < Header.Height && !Done->Call(Done->Context, done)) {
      jpeg_destroy_decompress(&cinfo);
      Error[0] = 0;
      return false;
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

[[noreturn]] void JpegError(const char* Message) { throw EInvalidGraphic(Format("JPEG error: %s", Message)); }

}  // namespace

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (!Source) {
    SetData({});
    return;
  }
  auto* j = dynamic_cast<TJPEGImage*>(Source);
  if (!j) {
    TGraphic::Assign(Source);
    return;
  }
  SetData(j->FData);
}

void TJPEGImage::SetWidth(int) { throw EInvalidGraphicOperation("Cannot change the size of a JPEG image"); }

void TJPEGImage::SetHeight(int) { throw EInvalidGraphicOperation("Cannot change the size of a JPEG image"); }

void TJPEGImage::SetData(std::vector<uint8_t> Data) {
  if (FDecoding) throw EInvalidGraphicOperation("Cannot change a JPEG image while it is being decoded");
  TJpegHeader header;
  if (!Data.empty()) {
    char error[JMSG_LENGTH_MAX];
    if (!RunJpeg(Data.data(), Data.size(), header, nullptr, error)) JpegError(error);
  }
  FData = std::move(Data);
  FWidth = header.Width;
  FHeight = header.Height;
  FGrayscale = header.Gray;
  FProgressive = header.Progressive;
  FBitmap.reset();
  Changed(this);
}

struct TJPEGImage::TDecoding {
  TJPEGImage* Image;
  std::exception_ptr Error;
};

bool TJPEGImage::RowsDecoded(void* Context, int Rows) {
  auto* d = static_cast<TDecoding*>(Context);
  TJPEGImage* j = d->Image;
  try {
    j->Progress(j, psRunning, uint8_t(int64_t { Rows } * 100 / j->FHeight), true, TRect(0, 0, j->FWidth, Rows), "");
    return true;
  } catch (...) {
    d->Error = std::current_exception();
    return false;
  }
}

// The bitmap is the picture's while it fills, so that whoever draws the picture during the progress
// draws the rows decoded so far.
void TJPEGImage::DIBNeeded() {
  if (FBitmap || FData.empty()) return;
  FBitmap = std::make_unique<TBitmap>();
  xj::ScopeExit failed([this] { FBitmap.reset(); });
  FBitmap->SetPixelFormat(pf24bit);
  FBitmap->SetSize(FWidth, FHeight);
  std::vector<uint8_t*> rows(static_cast<size_t>(FHeight));
  for (int y = 0; y < FHeight; ++y) rows[size_t(y)] = static_cast<uint8_t*>(FBitmap->ScanLine(y));
  Progress(this, psStarting, 0, false, TRect(0, 0, 0, 0), "");
  TJpegHeader header { FWidth, FHeight, FGrayscale, FProgressive };
  char error[JMSG_LENGTH_MAX];
  TDecoding decoding { this, nullptr };
  const TRowsDone done { &TJPEGImage::RowsDecoded, &decoding };
  bool ok = false;
  {
    xj::TemporaryChange<bool> busy(FDecoding, true);
    ok = RunJpeg(FData.data(), FData.size(), header, rows.data(), error, &done);
  }
  if (decoding.Error) std::rethrow_exception(decoding.Error);
  if (!ok) JpegError(error);
  failed.Dismiss();
  Progress(this, psEnding, 100, true, TRect(0, 0, FWidth, FHeight), "");
}

void TJPEGImage::LoadFromStream(TStream* Stream) {
  const int64_t size = Stream->Size() - Stream->Position();
  // No bytes are no picture: an empty file is as invalid as any other that is not a JPEG.
  if (size <= 0) throw EInvalidGraphic("JPEG error: no data");
  if (size > INT32_MAX) throw EInvalidGraphic("JPEG error: stream too large");
  std::vector<uint8_t> data(static_cast<size_t>(size));
  Stream->ReadBuffer(data.data(), static_cast<int>(size));
  SetData(std::move(data));
}

void TJPEGImage::SaveToStream(TStream* Stream) {
  if (!FData.empty()) Stream->WriteBuffer(FData.data(), static_cast<int>(FData.size()));
}

void TJPEGImage::ReadData(TStream* Stream) {
  int32_t size = 0;
  Stream->ReadBuffer(&size, sizeof size);
  if (size < 0 || size > Stream->Size() - Stream->Position()) throw EInvalidGraphic("JPEG error: data too short");
  std::vector<uint8_t> data(static_cast<size_t>(size));
  if (size) Stream->ReadBuffer(data.data(), size);
  SetData(std::move(data));
}

void TJPEGImage::WriteData(TStream* Stream) {
  const int32_t size = static_cast<int32_t>(FData.size());
  Stream->WriteBuffer(&size, sizeof size);
  SaveToStream(Stream);
}

void TJPEGImage::AssignTo(TPersistent* Dest) {
  auto* bmp = dynamic_cast<TBitmap*>(Dest);
  if (!bmp) {
    TGraphic::AssignTo(Dest);
    return;
  }
  DIBNeeded();
  bmp->Assign(FBitmap.get());
}

void TJPEGImage::Draw(TCanvas* ACanvas, const TRect& Rect) {
  DIBNeeded();
  if (FBitmap) ACanvas->StretchDraw(Rect, FBitmap.get());
}
