#pragma once
// Deflate and inflate as one-way streams of the class library, in the zlib stream format (RFC 1950),
// and the two whole-stream routines the compressed skins use.
//
//   TCompressionStream: write bytes in, their deflated form goes on to another stream. Complete only
//     after Finish() (or destruction, which finishes when nobody did).
//   TDecompressionStream: reads deflated bytes from another stream and hands out the inflated bytes.
//
// Both move data through one 65,536-byte buffer held inside the object and remember where they left
// the underlying stream, so the caller may use that stream in between calls.

#include <array>
#include <cstdint>
#include <memory>

#include "platform/vcl/Classes.h"
#include "platform/vcl/SysUtils.h"

struct z_stream_s;

XJ_EXCEPTION(EZlibError, Exception);
XJ_EXCEPTION(ECompressionError, EZlibError);
XJ_EXCEPTION(EDecompressionError, EZlibError);

// Scoped: clNone and clDefault are also colours.
enum class TCompressionLevel : uint8_t { clNone, clFastest, clDefault, clMax };

class TCustomZlibStream : public TStream {
  XJ_CLASS(TCustomZlibStream, TStream)
 public:
  ~TCustomZlibStream() override;

  // Called once per full buffer moved to or from the underlying stream.
  TNotifyEvent OnProgress;

 protected:
  // Remembers Strm and its current position.
  explicit TCustomZlibStream(TStream* Strm);
  virtual void Progress(TObject* Sender);

  // Puts the underlying stream back where this stream left it.
  void RestorePosition();

  TStream* FStrm;
  int64_t FStrmPos;
  std::unique_ptr<z_stream_s> FZRec;
  static constexpr int BufferSize = 65536;
  std::array<char, BufferSize> FBuffer {};
};

class TCompressionStream : public TCustomZlibStream {
  XJ_CLASS(TCompressionStream, TCustomZlibStream)
 public:
  // Deflate at the level's zlib value (0, 1, zlib's default, 9) into Dest from its current position.
  TCompressionStream(TCompressionLevel CompressionLevel, TStream* Dest);
  // Finishes the zlib stream when Finish was not called (errors are dropped there: call Finish to
  // learn of them), then ends deflate.
  ~TCompressionStream() override;

  // Deflates the rest and writes it out; the stream is complete afterwards. Raises ECompressionError
  // on a zlib failure and the underlying stream's write error. A second call does nothing.
  void Finish();

  // Always "Invalid stream operation".
  int Read(void* Buffer, int Count) override;
  int Write(const void* Buffer, int Count) override;
  // Only Seek(0, soFromCurrent), which gives the bytes accepted so far; anything else raises.
  int64_t Seek(int64_t Offset, WORD Origin) override;
  // (1 - bytes out / bytes in) x 100; 0 before anything was written.
  double CompressionRate() const;

 private:
  void WriteBufferOut(int Count);

  bool FFinished { false };
};

class TDecompressionStream : public TCustomZlibStream {
  XJ_CLASS(TDecompressionStream, TCustomZlibStream)
 public:
  // Inflates from Source, starting at its current position.
  explicit TDecompressionStream(TStream* Source);
  ~TDecompressionStream() override;

  // The bytes delivered, fewer than Count when the source runs out or the zlib stream has ended
  // (bytes after its end are never read as data). Corrupt data raises EDecompressionError.
  int Read(void* Buffer, int Count) override;
  // Always "Invalid stream operation".
  int Write(const void* Buffer, int Count) override;
  // Seek(0, soFromBeginning) starts again where the compressed data began; a position forward of the
  // current one (from the beginning or the current position) is reached by reading and dropping data;
  // the current position itself is fine. Anything else raises "Invalid stream operation". The result
  // is the number of bytes delivered so far.
  int64_t Seek(int64_t Offset, WORD Origin) override;

 private:
  int64_t FStartPos;
  bool FEnded { false };  // the zlib stream's end was reached

  friend void DeCompressStream(TStream* Dest, TStream* Source, int64_t MaxSize);
};

// Compresses all of Source (from its start) into Dest at its current position, at TCompressionLevel::clMax.
void CompressStream(TStream* Source, TStream* Dest);
// Inflates all of Source (from its start) into Dest. Source must hold one complete zlib stream: data
// that ends early raises EDecompressionError, as corrupt data does, and so does inflated data longer
// than MaxSize (a bound for data from outside). Bytes after the end of the zlib stream are not read
// (a second stream there is never inflated). Each block of at most 4,096 inflated bytes is written to
// Dest as it comes: a Dest that raises stops the inflation there. Note the order: destination first.
void DeCompressStream(TStream* Dest, TStream* Source, int64_t MaxSize = INT64_MAX);

// Return R when it is 0 or more; raise ECompressionError / EDecompressionError "compression error".
int CCheck(int R);
int DCheck(int R);
