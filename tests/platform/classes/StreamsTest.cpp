#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/vcl/Classes.h"
#include "tests/platform/classes/TempDir.h"

namespace {

// A stream over a byte vector that overrides only the three primitives and records every call, so the
// base class's Position, Size, ReadBuffer and CopyFrom can be watched from outside.
class TProbeStream : public TStream {
 public:
  explicit TProbeStream(std::vector<char> data, int maxPerRead = 1 << 30)
      : FData(std::move(data)), FMaxPerRead(maxPerRead) {}

  int Read(void* Buffer, int Count) override {
    ReadSizes.push_back(Count);
    const int n = std::max(0, std::min({ Count, FMaxPerRead, static_cast<int>(FData.size()) - FPos }));
    std::memcpy(Buffer, FData.data() + FPos, static_cast<size_t>(n));
    FPos += n;
    return n;
  }
  int Write(const void* Buffer, int Count) override {
    const int n = std::min(Count, WriteLimit);
    const auto* p = static_cast<const char*>(Buffer);
    FData.insert(FData.begin() + FPos, p, p + n);
    FPos += n;
    return n;
  }
  int64_t Seek(int64_t Offset, WORD Origin) override {
    Seeks.emplace_back(Offset, Origin);
    const int64_t base = Origin == soFromBeginning ? 0 : Origin == soFromCurrent ? FPos : FData.size();
    FPos = static_cast<int>(base + Offset);
    return FPos;
  }

  std::vector<char> FData;
  int FMaxPerRead;
  int FPos { 0 };
  int WriteLimit { 1 << 30 };
  std::vector<int> ReadSizes;
  std::vector<std::pair<int64_t, WORD>> Seeks;
};

std::vector<char> Pattern(size_t n) {
  std::vector<char> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<char>(i * 7 + i / 256);
  return v;
}

std::string Contents(TMemoryStream& m) {
  return std::string(static_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
}

TEST(Stream, PositionAndSizeGoThroughTheOverridingSeek) {
  TProbeStream s(Pattern(100));
  s.SetPosition(40);
  EXPECT_EQ(s.Position(), 40);
  EXPECT_EQ(s.Size(), 100);
  EXPECT_EQ(s.Position(), 40);  // Size put it back
  const std::vector<std::pair<int64_t, WORD>> expected = {
    { 40, soFromBeginning }, { 0, soFromCurrent },    { 0, soFromCurrent },
    { 0, soFromEnd },        { 40, soFromBeginning }, { 0, soFromCurrent },
  };
  EXPECT_EQ(s.Seeks, expected);
}

TEST(Stream, CopyFromZeroRewindsTheSourceAndCopiesAllInPieces) {
  const auto data = Pattern(200000);
  TProbeStream source(data);
  source.SetPosition(123456);
  TMemoryStream dest;
  EXPECT_EQ(dest.CopyFrom(&source, 0), 200000);
  EXPECT_EQ(std::vector<char>(static_cast<char*>(dest.Memory()), static_cast<char*>(dest.Memory()) + dest.Size()),
            data);
  EXPECT_GT(source.ReadSizes.size(), 1u);
  for (int n : source.ReadSizes) EXPECT_LE(n, 0xF000);
}

TEST(Stream, CopyFromWithACountStartsAtTheSourcePosition) {
  TProbeStream source(Pattern(1000));
  source.SetPosition(10);
  TMemoryStream dest;
  EXPECT_EQ(dest.CopyFrom(&source, 5), 5);
  EXPECT_EQ(Contents(dest), std::string(source.FData.data() + 10, 5));
  EXPECT_EQ(source.FPos, 15);
}

TEST(Stream, ShortTransfersRaise) {
  struct Case {
    const char* what;
    std::function<void(TProbeStream&)> op;
    bool readError;
  };
  char buf[64];
  const std::vector<Case> cases = {
    { "ReadBuffer past the end",
      [&](TProbeStream& s) {
        s.SetPosition(95);
        s.ReadBuffer(buf, 10);
      },
      true },
    { "CopyFrom more than the source holds",
      [&](TProbeStream& s) {
        TMemoryStream d;
        d.CopyFrom(&s, 101);
      },
      true },
    { "CopyFrom a negative count",
      [&](TProbeStream& s) {
        TMemoryStream d;
        d.CopyFrom(&s, -4);
      },
      true },
    { "WriteBuffer accepted in part",
      [&](TProbeStream& s) {
        s.WriteLimit = 3;
        s.WriteBuffer(buf, 10);
      },
      false },
  };
  for (const auto& c : cases) {
    TProbeStream s(Pattern(100));
    try {
      c.op(s);
      ADD_FAILURE() << c.what << " did not raise";
    } catch (const EReadError& e) {
      EXPECT_TRUE(c.readError) << c.what;
      EXPECT_EQ(e.Message(), "Stream read error");
    } catch (const EWriteError& e) {
      EXPECT_FALSE(c.readError) << c.what;
      EXPECT_EQ(e.Message(), "Stream write error");
    }
  }
  TProbeStream s(Pattern(10));
  s.ReadBuffer(buf, 0);  // nothing asked, nothing missing
  EXPECT_TRUE(s.ReadSizes.empty());
}

TEST(MemoryStream, SeeksPastTheEndReadNothingAndWritesZeroFillTheGap) {
  TMemoryStream m;
  m.WriteBuffer("abc", 3);
  EXPECT_EQ(m.Seek(10, soFromBeginning), 10);
  char buf[4] = {};
  EXPECT_EQ(m.Read(buf, 4), 0);
  EXPECT_EQ(m.Size(), 3);
  m.WriteBuffer("Z", 1);
  EXPECT_EQ(Contents(m), std::string("abc\0\0\0\0\0\0\0Z", 11));
  EXPECT_EQ(m.Seek(-2, soFromEnd), 9);
  EXPECT_EQ(m.Read(buf, 4), 2);
  EXPECT_EQ(m.Seek(-100, soFromCurrent), -1);  // refused, the position stays
  EXPECT_EQ(m.Position(), 11);
  m.SetSize(4);
  EXPECT_EQ(m.Position(), 4);
  m.SetSize(6);
  EXPECT_EQ(Contents(m), std::string("abc\0\0\0", 6));
  m.Clear();
  EXPECT_EQ(m.Size(), 0);
  EXPECT_EQ(m.Position(), 0);
}

TEST(MemoryStream, LoadFromStreamTakesAllOfTheSourceAndKeepsItsOwnPosition) {
  TStringStream source("hello world");
  source.SetPosition(6);
  TMemoryStream m;
  m.LoadFromStream(&source);
  EXPECT_EQ(Contents(m), "hello world");
  EXPECT_EQ(m.Position(), 0);
}

TEST(StringStream, WritesOverwriteInPlaceAndSeeksClamp) {
  TStringStream s("abcdef");
  s.SetPosition(2);
  s.WriteString("XY");
  EXPECT_EQ(s.DataString(), "abXYef");  // the tail survives
  s.SetPosition(5);
  s.WriteString("123");
  EXPECT_EQ(s.DataString(), "abXYe123");
  EXPECT_EQ(s.Seek(100, soFromBeginning), 8);
  EXPECT_EQ(s.Seek(-100, soFromCurrent), 0);
  EXPECT_EQ(s.ReadString(3), "abX");
  EXPECT_EQ(s.ReadString(100), "Ye123");
}

TEST(FileStream, CreatesReadsAndReportsFailuresWithTheFileName) {
  TTempDir dir;
  const AnsiString name = dir / "data.bin";
  {
    TFileStream f(name, fmCreate);
    f.WriteBuffer("0123456789", 10);
    EXPECT_EQ(f.Size(), 10);
    f.SetSize(4);
    EXPECT_EQ(f.Position(), 4);
  }
  {
    TFileStream f(name, fmOpenRead | fmShareDenyWrite);
    char buf[8] = {};
    EXPECT_EQ(f.Read(buf, 8), 4);
    EXPECT_EQ(std::string(buf), "0123");
    EXPECT_EQ(f.Seek(100, soFromBeginning), 100);  // files may be positioned past their end
    EXPECT_EQ(f.Read(buf, 8), 0);
  }
  struct Case {
    AnsiString path;
    WORD mode;
    bool create;
  };
  const std::vector<Case> cases = {
    { dir / "missing.bin", fmOpenRead, false },
    { dir / "no/such/dir/x.bin", fmCreate, true },
    { dir.Path(), fmOpenRead, false },  // a directory is not a file
  };
  for (const auto& c : cases) {
    try {
      TFileStream f(c.path, c.mode);
      ADD_FAILURE() << c.path << " opened";
    } catch (const EFCreateError& e) {
      EXPECT_TRUE(c.create) << e.Message();
      EXPECT_NE(e.Message().find(c.path), AnsiString::npos) << e.Message();
    } catch (const EFOpenError& e) {
      EXPECT_FALSE(c.create) << e.Message();
      EXPECT_NE(e.Message().find(c.path), AnsiString::npos) << e.Message();
    }
  }
}

TEST(FileStream, TakesGbkNamesAndStoresThemAsUtf8) {
  TTempDir dir;
  {
    TFileStream f(AnsiString(dir.Path()) + "/线路.txt", fmCreate);
    f.WriteBuffer("x", 1);
  }
  EXPECT_EQ(ReadHostFile(dir / reinterpret_cast<const char*>(u8"线路.txt")), "x");
}

TEST(Strings, LoadFromFileAcceptsEveryLineBreakAndSaveWritesCrLf) {
  TTempDir dir;
  WriteHostFile(dir / "in.txt", "one\r\ntwo\nthree\rfour");
  TStringList list;
  list.LoadFromFile(dir / "in.txt");
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Strings(2), "three");
  EXPECT_EQ(list.Strings(3), "four");
  list.SaveToFile(dir / "out.txt");
  EXPECT_EQ(ReadHostFile(dir / "out.txt"), "one\r\ntwo\r\nthree\r\nfour\r\n");
  EXPECT_THROW(list.LoadFromFile(dir / "absent.txt"), EFOpenError);
}

TEST(Strings, LoadFromStreamReadsFromThePositionToTheEnd) {
  TStringStream s("skip\r\nkeep1\r\nkeep2");
  s.SetPosition(6);
  TStringList list;
  list.Add("old");
  list.LoadFromStream(&s);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Strings(0), "keep1");
  TMemoryStream out;
  list.SaveToStream(&out);
  EXPECT_EQ(Contents(out), "keep1\r\nkeep2\r\n");
}

}  // namespace
