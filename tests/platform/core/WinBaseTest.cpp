// Rectangles, MulDiv, last error, version, events and the handle table, files.

#include "platform/win32/WinBase.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/vcl/SysUtils.h"
#include "platform/win32/KernelObjects.h"

namespace {
bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }
}  // namespace

TEST(Rectangles, IntersectAndUnion) {
  struct Case {
    RECT a, b, intersection;
    BOOL overlaps;
    RECT unionRect;
  } cases[] = {
    { { 0, 0, 10, 10 }, { 5, 5, 20, 20 }, { 5, 5, 10, 10 }, TRUE, { 0, 0, 20, 20 } },
    { { 0, 0, 10, 10 }, { 10, 0, 20, 10 }, { 0, 0, 0, 0 }, FALSE, { 0, 0, 20, 10 } },  // touching edges do not overlap
    { { 0, 0, 10, 10 }, { 20, 20, 30, 30 }, { 0, 0, 0, 0 }, FALSE, { 0, 0, 30, 30 } },
    { { 0, 0, 10, 10 }, { 3, 3, 3, 8 }, { 0, 0, 0, 0 }, FALSE, { 0, 0, 10, 10 } },  // an empty rectangle adds nothing
    { { -5, -5, 5, 5 }, { -10, 0, 0, 10 }, { -5, 0, 0, 5 }, TRUE, { -10, -5, 5, 10 } },
  };
  for (const Case& c : cases) {
    RECT r { 1, 2, 3, 4 };
    EXPECT_EQ(IntersectRect(&r, &c.a, &c.b), c.overlaps);
    EXPECT_TRUE(SameRect(r, c.intersection));
    EXPECT_TRUE(UnionRect(&r, &c.a, &c.b));
    EXPECT_TRUE(SameRect(r, c.unionRect));
  }
  RECT empty { 5, 5, 5, 5 }, r { 1, 1, 2, 2 };
  EXPECT_FALSE(UnionRect(&r, &empty, &empty));
  EXPECT_TRUE(IsRectEmpty(&r));
  EXPECT_FALSE(IntersectRect(&r, nullptr, &empty));
}

TEST(Rectangles, PointsOnTheRightAndBottomEdgeAreOutside) {
  const RECT r { 0, 0, 10, 5 };
  EXPECT_TRUE(PtInRect(&r, POINT { 0, 0 }));
  EXPECT_TRUE(PtInRect(&r, POINT { 9, 4 }));
  EXPECT_FALSE(PtInRect(&r, POINT { 10, 4 }));
  EXPECT_FALSE(PtInRect(&r, POINT { 9, 5 }));
  EXPECT_FALSE(PtInRect(&r, POINT { -1, 0 }));
  EXPECT_FALSE(PtInRect(nullptr, POINT { 0, 0 }));
}

TEST(Rectangles, SetOffsetInflateEmpty) {
  RECT r;
  SetRect(&r, 1, 2, 3, 4);
  OffsetRect(&r, 10, -2);
  EXPECT_TRUE(SameRect(r, RECT { 11, 0, 13, 2 }));
  InflateRect(&r, 1, -1);
  EXPECT_TRUE(SameRect(r, RECT { 10, 1, 14, 1 }));
  EXPECT_TRUE(IsRectEmpty(&r));
  RECT reversed { 10, 10, 0, 0 };
  EXPECT_TRUE(IsRectEmpty(&reversed));
  SetRectEmpty(&r);
  EXPECT_TRUE(SameRect(r, RECT { 0, 0, 0, 0 }));
  RECT copy;
  CopyRect(&copy, &reversed);
  EXPECT_TRUE(SameRect(copy, reversed));
}

TEST(MulDiv, RoundsHalfAwayFromZeroWithA64BitIntermediate) {
  struct Case {
    int a, b, c, expected;
  } cases[] = {
    { 10, 3, 2, 15 },
    { 5, 1, 2, 3 },
    { -5, 1, 2, -3 },
    { 5, -1, 2, -3 },
    { -5, -1, -2, -3 },
    { 1, 1, 3, 0 },
    { 2, 1, 3, 1 },
    { -2, 1, 3, -1 },
    { 7, 1, 0, -1 },
    { INT_MAX, 2, 2, INT_MAX },
    { INT_MAX, INT_MAX, INT_MAX, INT_MAX },
    { INT_MAX, 2, 1, -1 },
    { INT_MIN, 1, -1, -1 },
    { INT_MIN, 1, 1, INT_MIN },
    { 96, 72, 96, 72 },
    { -7, 3, 2, -11 },
    { 0, 5, 3, 0 },
  };
  for (const Case& c : cases) EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(LastError, IsPerThread) {
  SetLastError(ERROR_ACCESS_DENIED);
  DWORD other = 123;
  std::thread([&] { other = GetLastError(); }).join();
  EXPECT_EQ(other, ERROR_SUCCESS);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(Version, ReportsWindowsXpUnlessATestAsksOtherwise) {
  const DWORD v = GetVersion();
  EXPECT_EQ(LOBYTE(LOWORD(v)), 5);
  EXPECT_EQ(HIBYTE(LOWORD(v)), 1);
  EXPECT_EQ(v & 0x80000000u, 0u);  // the NT family
  OSVERSIONINFOA info {};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(info.dwMajorVersion, 5u);
  EXPECT_EQ(info.dwMinorVersion, 1u);
  EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
  info.dwOSVersionInfoSize = 4;
  EXPECT_FALSE(GetVersionExA(&info));

  xj::SetReportedVersion(6, 0);
  EXPECT_EQ(LOBYTE(LOWORD(GetVersion())), 6);
  EXPECT_EQ(HIBYTE(LOWORD(GetVersion())), 0);
  xj::SetReportedVersion(5, 1);
}

TEST(Sound, BeepsSucceedAndRingTheRegisteredBell) {
  static int rings;
  rings = 0;
  EXPECT_TRUE(MessageBeep(0));
  xj::SetMessageBeepHandler([] { ++rings; });
  EXPECT_TRUE(MessageBeep(0x10));
  xj::SetMessageBeepHandler(nullptr);
  EXPECT_EQ(rings, 1);
  EXPECT_TRUE(Beep(440, 100));
}

TEST(Events, AutoResetReleasesOneWaitManualResetStaysSignalled) {
  HANDLE autoEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE manual = CreateEventA(nullptr, TRUE, TRUE, "ignored name");
  ASSERT_NE(autoEvent, nullptr);
  ASSERT_NE(manual, nullptr);
  EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(SetEvent(autoEvent));
  EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_TIMEOUT);

  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(manual, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(ResetEvent(manual));
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(CloseHandle(autoEvent));
  EXPECT_TRUE(CloseHandle(manual));
}

TEST(Events, TimeoutsAndWakeUpsAcrossThreads) {
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(WaitForSingleObject(event, 50), WAIT_TIMEOUT);
  EXPECT_GE(GetTickCount64() - start, 45u);

  std::thread setter([event] {
    Sleep(20);
    SetEvent(event);
  });
  EXPECT_EQ(WaitForSingleObject(event, 10000), WAIT_OBJECT_0);
  setter.join();
  CloseHandle(event);
}

TEST(Handles, BadOrClosedHandlesFailCleanly) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(CloseHandle(event));
  SetLastError(0);
  EXPECT_FALSE(CloseHandle(event));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(SetEvent(event));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  for (HANDLE bad : { HANDLE(nullptr), INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(0x12345678) }) {
    EXPECT_EQ(WaitForSingleObject(bad, 0), WAIT_FAILED);
    EXPECT_FALSE(CloseHandle(bad));
    EXPECT_FALSE(ResetEvent(bad));
    DWORD n = 99;
    char c;
    EXPECT_FALSE(ReadFile(bad, &c, 1, &n, nullptr));
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(GetFileType(bad), FILE_TYPE_UNKNOWN);
  }
  // A handle of the wrong kind: a file is not an event and cannot be waited on.
  HANDLE file = CreateFileA("/dev/null", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(SetEvent(file));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(WaitForSingleObject(file, 0), WAIT_FAILED);
  EXPECT_EQ(GetFileType(file), FILE_TYPE_CHAR);
  CloseHandle(file);
}

namespace {
// A device as a later layer would add one: readable, waitable, counting its closes.
class FakeDevice : public xj::KernelObject {
 public:
  DWORD Wait(DWORD) override { return WAIT_OBJECT_0; }
  BOOL Read(void* buffer, DWORD count, DWORD* done, OVERLAPPED*) override {
    std::memset(buffer, 'z', count);
    if (done) *done = count;
    return TRUE;
  }
  DWORD FileType() override { return FILE_TYPE_CHAR; }
  void OnClose() override { ++closes; }
  static inline int closes = 0;
};
}  // namespace

TEST(Handles, DeviceOpenersComeBeforeTheFileSystem) {
  static xj::CreateFileRequest seen;
  FakeDevice::closes = 0;
  xj::RegisterDeviceOpener([](const xj::CreateFileRequest& request, std::shared_ptr<xj::KernelObject>& out) {
    if (request.Name == "FAKECOM1") {
      seen = request;
      out = std::make_shared<FakeDevice>();
      return true;
    }
    if (request.Name == "FAKECOM2") {
      SetLastError(ERROR_ACCESS_DENIED);
      return true;
    }
    return false;
  });
  HANDLE port =
      CreateFileA("FAKECOM1", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  EXPECT_EQ(seen.DesiredAccess, GENERIC_READ | GENERIC_WRITE);
  EXPECT_EQ(seen.FlagsAndAttributes, FILE_FLAG_OVERLAPPED);
  char buffer[3];
  DWORD n = 0;
  EXPECT_TRUE(ReadFile(port, buffer, 3, &n, nullptr));
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(buffer[2], 'z');
  EXPECT_EQ(WaitForSingleObject(port, 0), WAIT_OBJECT_0);
  EXPECT_EQ(GetFileType(port), FILE_TYPE_CHAR);
  DWORD written = 7;
  EXPECT_FALSE(WriteFile(port, "x", 1, &written, nullptr));  // not writable: the default refuses
  EXPECT_EQ(written, 0u);
  EXPECT_TRUE(CloseHandle(port));
  EXPECT_EQ(FakeDevice::closes, 1);
  EXPECT_FALSE(CloseHandle(port));
  EXPECT_EQ(FakeDevice::closes, 1);

  EXPECT_EQ(CreateFileA("FAKECOM2", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

namespace {
// A fresh directory for file tests, made current for the test and removed afterwards.
class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/xj_core_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    FDir = pattern;
    FOld = GetCurrentDir();
    ASSERT_TRUE(SetCurrentDir(FDir.c_str()));
  }
  void TearDown() override {
    SetCurrentDir(FOld);
    std::string command = "rm -rf '" + FDir + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
  }
  static bool HostExists(const char8_t* utf8) {
    struct stat st {};
    return ::stat(reinterpret_cast<const char*>(utf8), &st) == 0;
  }
  std::string FDir;
  AnsiString FOld;
};
}  // namespace

using Files = TempDir;

TEST_F(Files, GbkNamesBecomeUtf8OnDisk) {
  HANDLE h = CreateFileA("测试文件.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(h, "线路一", 6, &written, nullptr));
  EXPECT_EQ(written, 6u);
  EXPECT_EQ(GetFileType(h), FILE_TYPE_DISK);
  CloseHandle(h);
  EXPECT_TRUE(HostExists(u8"测试文件.txt"));
  EXPECT_TRUE(FileExists("测试文件.txt"));
  EXPECT_FALSE(DirectoryExists("测试文件.txt"));

  h = CreateFileA("测试文件.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char buffer[16] = {};
  DWORD read = 0;
  EXPECT_TRUE(ReadFile(h, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(read, 6u);
  EXPECT_STREQ(buffer, "线路一");
  EXPECT_TRUE(ReadFile(h, buffer, sizeof buffer, &read, nullptr));  // at the end: success, nothing read
  EXPECT_EQ(read, 0u);
  CloseHandle(h);

  EXPECT_TRUE(RenameFile("测试文件.txt", "录音.wav"));
  EXPECT_TRUE(HostExists(u8"录音.wav"));
  EXPECT_FALSE(FileExists("测试文件.txt"));
  EXPECT_TRUE(DeleteFile("录音.wav"));
  EXPECT_FALSE(FileExists("录音.wav"));
  EXPECT_FALSE(DeleteFile("录音.wav"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(Files, RenameNeverReplacesAnExistingFile) {
  for (const char* name : { "a.txt", "b.txt" }) {
    HANDLE h = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    WriteFile(h, name, 1, nullptr, nullptr);
    CloseHandle(h);
  }
  EXPECT_FALSE(RenameFile("a.txt", "b.txt"));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_TRUE(FileExists("a.txt"));
  EXPECT_FALSE(RenameFile("missing.txt", "c.txt"));
  EXPECT_FALSE(RenameFile("", "c.txt"));
}

TEST_F(Files, CreationDispositionsAndErrors) {
  SetLastError(0);
  EXPECT_EQ(CreateFileA("none.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  HANDLE h = CreateFileA("x.bin", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(WriteFile(h, "0123456789", 10, nullptr, nullptr));
  CloseHandle(h);
  EXPECT_EQ(CreateFileA("x.bin", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  EXPECT_EQ(CreateFileA("x.bin", GENERIC_WRITE, 0, nullptr, 0, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(CreateFileA("x.bin", GENERIC_READ, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileA("", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileA(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileA(".", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

  // An OVERLAPPED reads at its offset, completes at once and signals its event.
  h = CreateFileA("x.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  OVERLAPPED ov {};
  ov.Offset = 6;
  ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  char buffer[8] = {};
  DWORD n = 0;
  EXPECT_TRUE(ReadFile(h, buffer, 8, &n, &ov));
  EXPECT_EQ(n, 4u);
  EXPECT_STREQ(buffer, "6789");
  EXPECT_EQ(ov.InternalHigh, 4u);
  EXPECT_EQ(WaitForSingleObject(ov.hEvent, 0), WAIT_OBJECT_0);
  EXPECT_FALSE(WriteFile(h, "x", 1, &n, nullptr));  // opened for reading only
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(EBADF));
  CloseHandle(ov.hEvent);
  CloseHandle(h);

  h = CreateFileA("x.bin", GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  struct stat st {};
  ASSERT_EQ(::stat("x.bin", &st), 0);
  EXPECT_EQ(st.st_size, 0);
}

TEST_F(Files, BackslashesAreDirectorySeparators) {
  ASSERT_EQ(::mkdir(reinterpret_cast<const char*>(u8"子目录"), 0755), 0);
  HANDLE h = CreateFileA("子目录\\f.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_TRUE(HostExists(u8"子目录/f.txt"));
  EXPECT_TRUE(DirectoryExists("子目录"));
  EXPECT_TRUE(FileExists("子目录\\f.txt"));
}

TEST_F(Files, CurrentDirectoryInGbkWithWin32BufferRules) {
  ASSERT_EQ(::mkdir(reinterpret_cast<const char*>(u8"目录"), 0755), 0);
  ASSERT_TRUE(SetCurrentDirectoryA("目录"));
  const AnsiString dir = GetCurrentDir();
  EXPECT_EQ(ExtractFileName(dir), "目录");
  const DWORD needed = GetCurrentDirectoryA(0, nullptr);
  EXPECT_EQ(needed, dir.size() + 1);
  std::string buffer(needed, 'x');
  EXPECT_EQ(GetCurrentDirectoryA(needed, buffer.data()), dir.size());
  EXPECT_EQ(buffer.c_str(), dir);
  EXPECT_EQ(GetCurrentDirectoryA(needed - 1, buffer.data()), needed);  // too small: the size needed
  EXPECT_FALSE(SetCurrentDirectoryA("不存在"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(SetCurrentDirectoryA(nullptr));
}
