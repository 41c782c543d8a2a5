// The zlib stream adapters and the whole-stream routines.

#include "skin/data/bszlib.h"

#include <zlib.h>

#include <algorithm>

namespace {

const char* const SCompressionError = "compression error";
const char* const SInvalidStreamOp = "Invalid stream operation";
const char* const STruncated = "compression error: the compressed data ends before the end of its zlib stream";
const char* const STooLarge = "compression error: the inflated data is larger than %d bytes";

int ZlibLevel(TCompressionLevel Level) {
  switch (Level) {
    case TCompressionLevel::clNone:
      return Z_NO_COMPRESSION;
    case TCompressionLevel::clFastest:
      return Z_BEST_SPEED;
    case TCompressionLevel::clDefault:
      return Z_DEFAULT_COMPRESSION;
    default:
      return Z_BEST_COMPRESSION;
  }
}

}  // namespace

int CCheck(int R) {
  if (R < 0) throw ECompressionError(SCompressionError);
  return R;
}

int DCheck(int R) {
  if (R < 0) throw EDecompressionError(SCompressionError);
  return R;
}

// ---- TCustomZlibStream ----------------------------------------------------------------------------------

TCustomZlibStream::TCustomZlibStream(TStream* Strm)
    : FStrm(Strm), FStrmPos(Strm->Position()), FZRec(std::make_unique<z_stream>()) {}

TCustomZlibStream::~TCustomZlibStream() = default;

void TCustomZlibStream::Progress(TObject* Sender) {
  if (OnProgress) OnProgress(Sender);
}

void TCustomZlibStream::RestorePosition() {
  if (FStrm->Position() != FStrmPos) FStrm->SetPosition(FStrmPos);
}

// ---- TCompressionStream ---------------------------------------------------------------------------------

TCompressionStream::TCompressionStream(TCompressionLevel CompressionLevel, TStream* Dest) : TCustomZlibStream(Dest) {
  FZRec->next_out = reinterpret_cast<Bytef*>(FBuffer.data());
  FZRec->avail_out = BufferSize;
  CCheck(deflateInit(FZRec.get(), ZlibLevel(CompressionLevel)));
}

TCompressionStream::~TCompressionStream() {
  try {
    Finish();
  } catch (...) {
    // A destructor cannot report; callers who care call Finish themselves.
  }
  deflateEnd(FZRec.get());
}

void TCompressionStream::Finish() {
  if (FFinished) return;
  FFinished = true;
  FZRec->next_in = nullptr;
  FZRec->avail_in = 0;
  RestorePosition();
  // Write only guarantees room in the buffer, so every round here makes progress.
  while (CCheck(deflate(FZRec.get(), Z_FINISH)) != Z_STREAM_END && FZRec->avail_out == 0) WriteBufferOut(BufferSize);
  if (FZRec->avail_out < static_cast<uInt>(BufferSize)) WriteBufferOut(BufferSize - FZRec->avail_out);
  FStrmPos = FStrm->Position();
}

void TCompressionStream::WriteBufferOut(int Count) {
  FStrm->WriteBuffer(FBuffer.data(), Count);
  FZRec->next_out = reinterpret_cast<Bytef*>(FBuffer.data());
  FZRec->avail_out = BufferSize;
}

int TCompressionStream::Read(void*, int) { throw ECompressionError(SInvalidStreamOp); }

int TCompressionStream::Write(const void* Buffer, int Count) {
  if (Count <= 0) return 0;
  if (FFinished) throw ECompressionError(SInvalidStreamOp);
  FZRec->next_in = static_cast<Bytef*>(const_cast<void*>(Buffer));
  FZRec->avail_in = static_cast<uInt>(Count);
  RestorePosition();
  while (FZRec->avail_in > 0) {
    CCheck(deflate(FZRec.get(), Z_NO_FLUSH));
    if (FZRec->avail_out == 0) {
      WriteBufferOut(BufferSize);
      FStrmPos = FStrm->Position();
      Progress(this);
    }
  }
  return Count;
}

int64_t TCompressionStream::Seek(int64_t Offset, WORD Origin) {
  if (Offset == 0 && Origin == soFromCurrent) return static_cast<int64_t>(FZRec->total_in);
  throw ECompressionError(SInvalidStreamOp);
}

double TCompressionStream::CompressionRate() const {
  if (FZRec->total_in == 0) return 0;
  return (1.0 - static_cast<double>(FZRec->total_out) / static_cast<double>(FZRec->total_in)) * 100.0;
}

// ---- TDecompressionStream -------------------------------------------------------------------------------

TDecompressionStream::TDecompressionStream(TStream* Source) : TCustomZlibStream(Source), FStartPos(FStrmPos) {
  FZRec->next_in = reinterpret_cast<Bytef*>(FBuffer.data());
  FZRec->avail_in = 0;
  DCheck(inflateInit(FZRec.get()));
}

TDecompressionStream::~TDecompressionStream() { inflateEnd(FZRec.get()); }

int TDecompressionStream::Read(void* Buffer, int Count) {
  if (Count <= 0 || FEnded) return 0;
  FZRec->next_out = static_cast<Bytef*>(Buffer);
  FZRec->avail_out = static_cast<uInt>(Count);
  RestorePosition();
  while (FZRec->avail_out > 0) {
    if (FZRec->avail_in == 0) {
      const int n = FStrm->Read(FBuffer.data(), BufferSize);
      if (n <= 0) return Count - static_cast<int>(FZRec->avail_out);
      FZRec->next_in = reinterpret_cast<Bytef*>(FBuffer.data());
      FZRec->avail_in = static_cast<uInt>(n);
      FStrmPos = FStrm->Position();
      Progress(this);
    }
    const int r = DCheck(inflate(FZRec.get(), Z_NO_FLUSH));
    // A preset dictionary is nothing a skin uses; waiting for one would never end.
    if (r == Z_NEED_DICT) throw EDecompressionError(SCompressionError);
    if (r == Z_STREAM_END) {
      FEnded = true;
      return Count - static_cast<int>(FZRec->avail_out);
    }
  }
  return Count;
}

int TDecompressionStream::Write(const void*, int) { throw EDecompressionError(SInvalidStreamOp); }

int64_t TDecompressionStream::Seek(int64_t Offset, WORD Origin) {
  const int64_t delivered = static_cast<int64_t>(FZRec->total_out);
  if (Offset == 0 && Origin == soFromBeginning) {
    DCheck(inflateReset(FZRec.get()));
    FZRec->next_in = reinterpret_cast<Bytef*>(FBuffer.data());
    FZRec->avail_in = 0;
    FEnded = false;
    // Back to where the compressed data began, which need not be the start of the source.
    FStrm->SetPosition(FStartPos);
    FStrmPos = FStartPos;
    return 0;
  }
  if (Origin == soFromBeginning && Offset == delivered) return delivered;
  if ((Origin == soFromCurrent && Offset >= 0) || (Origin == soFromBeginning && Offset > delivered)) {
    int64_t skip = Origin == soFromBeginning ? Offset - delivered : Offset;
    char discard[4096];
    while (skip > 0) {
      const int n = static_cast<int>(std::min<int64_t>(skip, sizeof discard));
      ReadBuffer(discard, n);
      skip -= n;
    }
    return static_cast<int64_t>(FZRec->total_out);
  }
  throw EDecompressionError(SInvalidStreamOp);
}

// ---- Whole streams --------------------------------------------------------------------------------------

void CompressStream(TStream* Source, TStream* Dest) {
  TCompressionStream compressor(TCompressionLevel::clMax, Dest);
  compressor.CopyFrom(Source, 0);
  compressor.Finish();
}

void DeCompressStream(TStream* Dest, TStream* Source, int64_t MaxSize) {
  Source->SetPosition(0);
  TDecompressionStream decompressor(Source);
  char buffer[4096];
  int64_t total = 0;
  for (int n; (n = decompressor.Read(buffer, sizeof buffer)) > 0;) {
    total += n;
    if (total > MaxSize) throw EDecompressionError::CreateFmt(STooLarge, MaxSize);
    Dest->WriteBuffer(buffer, n);
  }
  if (!decompressor.FEnded) throw EDecompressionError(STruncated);
}
