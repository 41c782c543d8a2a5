// The zlib streams: round trips at buffer boundaries, the exact zlib format (against known bytes and
// Python's zlib), the seek contract, progress events, and truncated, corrupt and trailing data.

#include <gtest/gtest.h>

#include <random>

#include "skin/data/bszlib.h"
#include "tests/skin/data/SkinTestSupport.h"

using namespace skintest;

namespace {

std::string RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(gen());
  return s;
}

std::string Repetitive(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = "skin data "[i % 10];
  return s;
}

std::string Compress(const std::string& data) {
  TMemoryStream src, dst;
  SetStreamBytes(src, data);
  CompressStream(&src, &dst);
  return StreamBytes(dst);
}

std::string Decompress(const std::string& data) {
  TMemoryStream src, dst;
  SetStreamBytes(src, data);
  DeCompressStream(&dst, &src);
  return StreamBytes(dst);
}

std::string Hex(const std::string& s) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// Counts what a stream is asked to do, to check where the zlib streams move data.
class CountingStream : public TMemoryStream {
 public:
  int Read(void* Buffer, int Count) override {
    const int n = TMemoryStream::Read(Buffer, Count);
    if (n > 0) ++nonEmptyReads;
    return n;
  }
  int Write(const void* Buffer, int Count) override {
    if (Count == 65536) ++fullBufferWrites;
    return TMemoryStream::Write(Buffer, Count);
  }
  int nonEmptyReads { 0 };
  int fullBufferWrites { 0 };
};

struct ProgressCounter : TObject {
  void OnProgress(TObject*) { ++count; }
  int count { 0 };
};

TEST(ZlibStreams, RoundTripsAtBufferBoundaries) {
  for (size_t n : { 0u, 1u, 4095u, 4096u, 65535u, 65536u, 65537u, 300000u }) {
    for (const std::string& data : { RandomBytes(n, static_cast<uint32_t>(n)), Repetitive(n) }) {
      const std::string packed = Compress(data);
      ASSERT_GE(packed.size(), 8u);
      EXPECT_EQ(static_cast<unsigned char>(packed[0]), 0x78) << n;
      EXPECT_EQ(static_cast<unsigned char>(packed[1]), 0xDA) << n;  // best compression
      EXPECT_EQ(Decompress(packed), data) << n;
    }
  }
}

TEST(ZlibStreams, KnownBytesAtBestCompression) {
  EXPECT_EQ(Hex(Compress("")), "78 DA 03 00 00 00 00 01");
  EXPECT_EQ(Hex(Compress("abc")), "78 DA 4B 4C 4A 06 00 02 4D 01 27");
  // Destroying a stream nobody wrote to still leaves a complete, empty zlib stream.
  TMemoryStream dst;
  { TCompressionStream unused(TCompressionLevel::clMax, &dst); }
  EXPECT_EQ(Hex(StreamBytes(dst)), "78 DA 03 00 00 00 00 01");
}

TEST(ZlibStreams, LevelsGiveTheirZlibHeaders) {
  const std::string data = Repetitive(1000);
  struct Case {
    TCompressionLevel level;
    unsigned char second;
  } cases[] = { { TCompressionLevel::clNone, 0x01 },
                { TCompressionLevel::clFastest, 0x01 },
                { TCompressionLevel::clDefault, 0x9C },
                { TCompressionLevel::clMax, 0xDA } };
  for (const Case& c : cases) {
    TMemoryStream dst;
    {
      TCompressionStream z(c.level, &dst);
      z.WriteBuffer(data.data(), static_cast<int>(data.size()));
      z.Finish();
    }
    const std::string packed = StreamBytes(dst);
    EXPECT_EQ(static_cast<unsigned char>(packed[1]), c.second) << static_cast<int>(c.level);
    EXPECT_EQ(Decompress(packed), data);
  }
}

TEST(ZlibStreams, InteroperatesWithPythonZlib) {
  TempDir dir;
  const std::string data = RandomBytes(70000, 7) + Repetitive(90000);
  WriteBytes(dir / "ours.z", Compress(data));
  ASSERT_TRUE(PythonZlib("decompress", dir / "ours.z", dir / "ours.raw")) << "Python's zlib is needed";
  EXPECT_EQ(ReadBytes(dir / "ours.raw"), data);

  WriteBytes(dir / "theirs.raw", data);
  ASSERT_TRUE(PythonZlib("compress", dir / "theirs.raw", dir / "theirs.z"));
  EXPECT_EQ(Decompress(ReadBytes(dir / "theirs.z")), data);
}

TEST(ZlibStreams, CompressionStreamIsWriteOnly) {
  TMemoryStream dst;
  TCompressionStream z(TCompressionLevel::clMax, &dst);
  EXPECT_EQ(z.CompressionRate(), 0.0);
  z.WriteBuffer("0123456789", 10);
  EXPECT_EQ(z.Seek(0, soFromCurrent), 10);
  EXPECT_EQ(z.Position(), 10);
  EXPECT_THROW(z.Seek(0, soFromBeginning), ECompressionError);
  EXPECT_THROW(z.Seek(1, soFromCurrent), ECompressionError);
  char c;
  try {
    z.Read(&c, 1);
    FAIL() << "a compression stream read";
  } catch (const ECompressionError& e) {
    EXPECT_EQ(e.Message(), "Invalid stream operation");
  }
}

TEST(ZlibStreams, CompressionRateOfRepetitiveData) {
  TMemoryStream dst;
  TCompressionStream z(TCompressionLevel::clMax, &dst);
  const std::string zeros(100000, '\0');
  z.WriteBuffer(zeros.data(), static_cast<int>(zeros.size()));
  z.Finish();
  EXPECT_GT(z.CompressionRate(), 99.0);
  EXPECT_LT(z.CompressionRate(), 100.0);
}

TEST(ZlibStreams, CallerMayUseTheDestinationBetweenWrites) {
  // The stream puts the destination back where it left it before each write.
  const std::string data = RandomBytes(200000, 3);
  TMemoryStream dst;
  dst.WriteBuffer("HEAD", 4);
  {
    TCompressionStream z(TCompressionLevel::clMax, &dst);
    for (size_t at = 0; at < data.size(); at += 50000) {
      z.WriteBuffer(data.data() + at, 50000);
      dst.SetPosition(0);  // somebody else looks at the destination
    }
    z.Finish();
  }
  const std::string all = StreamBytes(dst);
  ASSERT_EQ(all.substr(0, 4), "HEAD");
  EXPECT_EQ(Decompress(all.substr(4)), data);
}

TEST(ZlibStreams, ProgressOncePerFullBufferMoved) {
  const std::string data = RandomBytes(300000, 11);  // incompressible: several full buffers
  CountingStream dst;
  ProgressCounter counter;
  {
    TCompressionStream z(TCompressionLevel::clMax, &dst);
    z.OnProgress = TNotifyEvent(&counter, &ProgressCounter::OnProgress);
    z.WriteBuffer(data.data(), static_cast<int>(data.size()));
    const int writtenWhileWriting = dst.fullBufferWrites;
    EXPECT_GE(writtenWhileWriting, 3);
    EXPECT_EQ(counter.count, writtenWhileWriting);
    z.Finish();  // the rest goes out without progress events
    EXPECT_EQ(counter.count, writtenWhileWriting);
  }

  dst.SetPosition(0);
  dst.nonEmptyReads = 0;
  ProgressCounter reads;
  TDecompressionStream unz(&dst);
  unz.OnProgress = TNotifyEvent(&reads, &ProgressCounter::OnProgress);
  std::string back(data.size(), '\0');
  unz.ReadBuffer(back.data(), static_cast<int>(back.size()));
  EXPECT_EQ(back, data);
  EXPECT_GE(reads.count, 5);
  EXPECT_EQ(reads.count, dst.nonEmptyReads);
}

TEST(ZlibStreams, DecompressionSeeksForwardOnly) {
  const std::string data = RandomBytes(20000, 5);
  TMemoryStream src;
  SetStreamBytes(src, Compress(data));
  TDecompressionStream z(&src);
  std::string part(5000, '\0');
  z.ReadBuffer(part.data(), 5000);
  EXPECT_EQ(z.Position(), 5000);
  // Forward from the beginning: 4,100 bytes are read and dropped.
  EXPECT_EQ(z.Seek(9100, soFromBeginning), 9100);
  char c;
  z.ReadBuffer(&c, 1);
  EXPECT_EQ(c, data[9100]);
  EXPECT_EQ(z.Seek(100, soFromCurrent), 9201);
  z.ReadBuffer(&c, 1);
  EXPECT_EQ(c, data[9201]);
  // Setting the position it already has is fine; backward or from the end is not.
  EXPECT_EQ(z.Seek(9202, soFromBeginning), 9202);
  z.SetPosition(z.Position());
  EXPECT_THROW(z.Seek(5000, soFromBeginning), EDecompressionError);
  EXPECT_THROW(z.Seek(-1, soFromCurrent), EDecompressionError);
  EXPECT_THROW(z.Seek(0, soFromEnd), EDecompressionError);
  EXPECT_THROW(z.Write(&c, 1), EDecompressionError);
  // Past the end of the data: a read error.
  EXPECT_THROW(z.Seek(30000, soFromBeginning), EReadError);
}

TEST(ZlibStreams, RewindStartsWhereTheCompressedDataBegan) {
  const std::string data = Repetitive(3000);
  TMemoryStream src;
  SetStreamBytes(src, std::string(100, 'x') + Compress(data));
  src.SetPosition(100);
  TDecompressionStream z(&src);
  std::string first(1000, '\0');
  z.ReadBuffer(first.data(), 1000);
  EXPECT_EQ(z.Seek(0, soFromBeginning), 0);
  std::string again(3000, '\0');
  z.ReadBuffer(again.data(), 3000);
  EXPECT_EQ(again, data);
}

TEST(ZlibStreams, ReadEndsAtTheEndOfTheZlibStream) {
  // Bytes after the zlib stream are not data, and reading does not wait for more.
  const std::string data = Repetitive(5000);
  TMemoryStream src;
  SetStreamBytes(src, Compress(data) + "trailing bytes that are no zlib data");
  TDecompressionStream z(&src);
  std::string buffer(8000, '\0');
  EXPECT_EQ(z.Read(buffer.data(), 8000), 5000);
  EXPECT_EQ(buffer.substr(0, 5000), data);
  EXPECT_EQ(z.Read(buffer.data(), 10), 0);

  TMemoryStream out;
  DeCompressStream(&out, &src);
  EXPECT_EQ(StreamBytes(out), data);
}

TEST(ZlibStreams, TruncatedOrCorruptDataIsAnError) {
  const std::string packed = Compress(RandomBytes(50000, 9) + Repetitive(50000));
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
    { "last 10 bytes cut", packed.substr(0, packed.size() - 10) },
    { "only the header", packed.substr(0, 2) },
    { "nothing", "" },
    { "checksum cut", packed.substr(0, packed.size() - 2) },
    { "a byte flipped",
      [&] {
        std::string s = packed;
        s[s.size() / 2] ^= 0x5A;
        return s;
      }() },
    { "wrong header", "\x78\x00" + packed.substr(2) },
    { "preset dictionary asked for", std::string("\x78\xBB\x00\x00\x00\x01", 6) + packed.substr(2) },
    { "raw deflate without header", packed.substr(2) },
  };
  for (const Case& c : cases) {
    TMemoryStream src, dst;
    SetStreamBytes(src, c.bytes);
    EXPECT_THROW(DeCompressStream(&dst, &src), EDecompressionError) << c.what;
  }

  // Read itself reports a short source by delivering less.
  TMemoryStream src;
  SetStreamBytes(src, packed.substr(0, packed.size() / 2));
  TDecompressionStream z(&src);
  std::string buffer(100000, '\0');
  const int n = z.Read(buffer.data(), 100000);
  EXPECT_GT(n, 0);
  EXPECT_LT(n, 100000);
}

TEST(ZlibStreams, InflatedSizeCanBeBounded) {
  TMemoryStream src, dst;
  SetStreamBytes(src, Compress(std::string(1 << 20, 'a')));
  EXPECT_THROW(DeCompressStream(&dst, &src, 1000), EDecompressionError);
  TMemoryStream whole;
  DeCompressStream(&whole, &src, 1 << 20);
  EXPECT_EQ(whole.Size(), 1 << 20);
}

TEST(ZlibStreams, ChecksRaiseOnlyOnNegativeResults) {
  EXPECT_EQ(CCheck(0), 0);
  EXPECT_EQ(CCheck(1), 1);
  EXPECT_EQ(DCheck(2), 2);
  try {
    CCheck(-3);
    FAIL();
  } catch (const ECompressionError& e) {
    EXPECT_EQ(e.Message(), "compression error");
  }
  EXPECT_THROW(DCheck(-5), EDecompressionError);
  EXPECT_THROW(DCheck(-1), EZlibError);
}

}  // namespace
