// The stream family: TStream, THandleStream, TFileStream, the memory streams and TStringStream.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/vcl/Classes.h"
#include "platform/win32/WinBase.h"

namespace {

const char* const SReadError = "Stream read error";
const char* const SWriteError = "Stream write error";
const char* const SMemoryStreamError = "Out of memory while expanding memory stream";
constexpr int MaxBufSize = 0xF000;

int64_t NewPosition(int64_t Current, int64_t End, int64_t Offset, WORD Origin) {
  switch (Origin) {
    case soFromBeginning:
      return Offset;
    case soFromCurrent:
      return Current + Offset;
    case soFromEnd:
      return End + Offset;
    default:
      return -1;
  }
}

}  // namespace

// ---- TStream ------------------------------------------------------------------------------------------

int64_t TStream::Size() {
  const int64_t pos = Seek(0, soFromCurrent);
  const int64_t size = Seek(0, soFromEnd);
  Seek(pos, soFromBeginning);
  return size;
}

void TStream::ReadBuffer(void* Buffer, int Count) {
  if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError(SReadError);
}

void TStream::WriteBuffer(const void* Buffer, int Count) {
  if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError(SWriteError);
}

int64_t TStream::CopyFrom(TStream* Source, int64_t Count) {
  if (Count < 0) throw EReadError(SReadError);
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  const int64_t result = Count;
  std::vector<char> buffer(static_cast<size_t>(std::min<int64_t>(Count, MaxBufSize)));
  while (Count > 0) {
    const int n = static_cast<int>(std::min<int64_t>(Count, MaxBufSize));
    Source->ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    Count -= n;
  }
  return result;
}

// ---- THandleStream / TFileStream ----------------------------------------------------------------------

int THandleStream::Read(void* Buffer, int Count) {
  if (Count <= 0) return 0;
  auto* p = static_cast<char*>(Buffer);
  int done = 0;
  while (done < Count) {
    const ssize_t n = ::read(FHandle, p + done, static_cast<size_t>(Count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<int>(n);
  }
  return done;
}

int THandleStream::Write(const void* Buffer, int Count) {
  if (Count <= 0) return 0;
  const auto* p = static_cast<const char*>(Buffer);
  int done = 0;
  while (done < Count) {
    const ssize_t n = ::write(FHandle, p + done, static_cast<size_t>(Count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<int>(n);
  }
  return done;
}

int64_t THandleStream::Seek(int64_t Offset, WORD Origin) {
  const int whence = Origin == soFromBeginning ? SEEK_SET : Origin == soFromCurrent ? SEEK_CUR : SEEK_END;
  if (Origin > soFromEnd) return -1;
  return ::lseek(FHandle, static_cast<off_t>(Offset), whence);
}

void THandleStream::SetSize(int64_t NewSize) {
  if (NewSize < 0 || ::ftruncate(FHandle, static_cast<off_t>(NewSize)) != 0)
    throw EStreamError::CreateFmt("Cannot change the stream size: %s", std::strerror(errno));
  if (Position() > NewSize) Seek(NewSize, soFromBeginning);
}

namespace {

// The descriptor, or minus the error.
int OpenFile(const AnsiString& FileName, WORD Mode) {
  const std::string path = xj::PathToHost(FileName);
  // Reading is loading: a FIFO or a device there must neither hang nor feed bytes without end.
  if (Mode != fmCreate && (Mode & 3) != fmOpenWrite && (Mode & 3) != fmOpenReadWrite) {
    const int fd = xj::OpenFileToLoad(path);
    return fd >= 0 ? fd : -errno;
  }
  int flags = O_CLOEXEC;
  if (Mode == fmCreate) {
    flags |= O_RDWR | O_CREAT | O_TRUNC;
  } else {
    flags |= (Mode & 3) == fmOpenWrite ? O_WRONLY : O_RDWR;  // reading alone went above
  }
  int fd;
  do {
    fd = ::open(path.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -errno;
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return -EISDIR;
  }
  return fd;
}

}  // namespace

TFileStream::TFileStream(const AnsiString& FileName, WORD Mode)
    : THandleStream(OpenFile(FileName, Mode)), FFileName(FileName) {
  if (FHandle >= 0) return;
  const int error = -FHandle;
  if (Mode == fmCreate)
    throw EFCreateError::CreateFmt("Cannot create file \"%s\". %s", FileName, xj::FileErrorText(error));
  throw EFOpenError::CreateFmt("Cannot open file \"%s\". %s", FileName, xj::FileErrorText(error));
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) ::close(FHandle);
}

// ---- Memory streams -----------------------------------------------------------------------------------

void TCustomMemoryStream::SetPointer(void* Ptr, int64_t Size) {
  FMemory = static_cast<char*>(Ptr);
  FSize = Size;
}

int TCustomMemoryStream::Read(void* Buffer, int Count) {
  if (FPosition < 0 || Count <= 0 || FPosition >= FSize) return 0;
  const int n = static_cast<int>(std::min<int64_t>(Count, FSize - FPosition));
  std::memcpy(Buffer, FMemory + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

int64_t TCustomMemoryStream::Seek(int64_t Offset, WORD Origin) {
  const int64_t pos = NewPosition(FPosition, FSize, Offset, Origin);
  if (pos < 0) return -1;
  FPosition = pos;
  return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream) {
  if (FSize == 0) return;
  // WriteBuffer takes an int count: write large streams in pieces.
  for (int64_t done = 0; done < FSize;) {
    const int n = static_cast<int>(std::min<int64_t>(FSize - done, 1 << 30));
    Stream->WriteBuffer(FMemory + done, n);
    done += n;
  }
}

void TCustomMemoryStream::SaveToFile(const AnsiString& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

TMemoryStream::~TMemoryStream() { std::free(FMemory); }

void TMemoryStream::Clear() {
  std::free(FMemory);
  SetPointer(nullptr, 0);
  FCapacity = 0;
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  Stream->SetPosition(0);
  const int64_t count = Stream->Size();
  SetSize(count);
  for (int64_t done = 0; done < count;) {
    const int n = static_cast<int>(std::min<int64_t>(count - done, 1 << 30));
    Stream->ReadBuffer(FMemory + done, n);
    done += n;
  }
}

void TMemoryStream::LoadFromFile(const AnsiString& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TMemoryStream::SetCapacity(int64_t NewCapacity) {
  if (NewCapacity == FCapacity) return;
  if (NewCapacity == 0) {
    std::free(FMemory);
    FMemory = nullptr;
    FCapacity = 0;
    return;
  }
  void* p = std::realloc(FMemory, static_cast<size_t>(NewCapacity));
  if (!p) throw EStreamError(SMemoryStreamError);
  FMemory = static_cast<char*>(p);
  FCapacity = NewCapacity;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) throw EStreamError(SMemoryStreamError);
  const int64_t oldSize = FSize;
  SetCapacity(NewSize);
  if (NewSize > oldSize) std::memset(FMemory + oldSize, 0, static_cast<size_t>(NewSize - oldSize));
  FSize = NewSize;
  if (FPosition > NewSize) FPosition = NewSize;
}

int TMemoryStream::Write(const void* Buffer, int Count) {
  if (FPosition < 0 || Count <= 0) return 0;
  const int64_t end = FPosition + Count;
  if (end > FSize) {
    if (end > FCapacity) SetCapacity(std::max<int64_t>(end, std::max<int64_t>(256, FCapacity * 2)));
    // Bytes between the old end and the write position are zero, never stale memory.
    if (FPosition > FSize) std::memset(FMemory + FSize, 0, static_cast<size_t>(FPosition - FSize));
    FSize = end;
  }
  std::memcpy(FMemory + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = end;
  return Count;
}

// ---- TStringStream ------------------------------------------------------------------------------------

int TStringStream::Read(void* Buffer, int Count) {
  const int64_t size = Size();
  if (Count <= 0 || FPosition >= size) return 0;
  const int n = static_cast<int>(std::min<int64_t>(Count, size - FPosition));
  std::memcpy(Buffer, FDataString.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

int TStringStream::Write(const void* Buffer, int Count) {
  if (Count <= 0) return 0;
  const auto end = static_cast<size_t>(FPosition + Count);
  if (end > FDataString.size()) FDataString.resize(end);
  std::memcpy(FDataString.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = static_cast<int64_t>(end);
  return Count;
}

int64_t TStringStream::Seek(int64_t Offset, WORD Origin) {
  const int64_t pos = NewPosition(FPosition, Size(), Offset, Origin);
  if (Origin > soFromEnd) return -1;
  FPosition = std::clamp<int64_t>(pos, 0, Size());
  return FPosition;
}

void TStringStream::SetSize(int64_t NewSize) {
  FDataString.resize(static_cast<size_t>(std::max<int64_t>(NewSize, 0)));
  if (FPosition > Size()) FPosition = Size();
}

AnsiString TStringStream::ReadString(int Count) {
  const int64_t n = std::clamp<int64_t>(Count, 0, Size() - FPosition);
  AnsiString result = FDataString.substr(static_cast<size_t>(FPosition), static_cast<size_t>(n));
  FPosition += n;
  return result;
}

void TStringStream::WriteString(const AnsiString& AString) { Write(AString.data(), static_cast<int>(AString.size())); }
