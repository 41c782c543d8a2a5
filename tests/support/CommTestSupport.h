#pragma once
// Pseudo-terminal pairs and small helpers for the COMM tests. The test holds the master as the far end
// of the line; the port opens the slave by its path, the way a program opens a serial device.

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "platform/win32/WinComm.h"
#include "platform/win32/comm/CommDevice.h"
#include "tests/support/Wait.h"

namespace xj::test {

// CPU time (user + system) of the calling thread, in milliseconds.
inline int64_t ThreadCpuMs() {
  rusage ru {};
  getrusage(RUSAGE_THREAD, &ru);
  return (ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1000 + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1000;
}

class PtyPair {
 public:
  PtyPair() {
    FMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FMaster < 0 || grantpt(FMaster) != 0 || unlockpt(FMaster) != 0) std::abort();
    FPath = ptsname(FMaster);
    // Held open so the pair stays alive between the port's opens and the master never sees EIO.
    FSlave = open(FPath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    fcntl(FMaster, F_SETFL, O_NONBLOCK);
  }
  ~PtyPair() {
    CloseMaster();
    if (FSlave >= 0) close(FSlave);
  }

  const std::string& Path() const { return FPath; }
  int Master() const { return FMaster; }
  void CloseMaster() {
    if (FMaster >= 0) close(FMaster);
    FMaster = -1;
  }

  void Send(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = write(FMaster, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<size_t>(n);
      } else {
        pollfd p { FMaster, POLLOUT, 0 };
        poll(&p, 1, 1000);
      }
    }
  }

  // Reads until `count` bytes came or `timeoutMs` passed without any.
  std::string Receive(size_t count, int timeoutMs = 2000) {
    std::string got;
    char buf[4096];
    while (got.size() < count) {
      pollfd p { FMaster, POLLIN, 0 };
      if (poll(&p, 1, timeoutMs) <= 0) break;
      const ssize_t n = read(FMaster, buf, std::min(sizeof buf, count - got.size()));
      if (n <= 0) break;
      got.append(buf, static_cast<size_t>(n));
    }
    return got;
  }

  termios MasterTermios() const {
    termios t {};
    tcgetattr(FMaster, &t);
    return t;
  }

 private:
  int FMaster = -1;
  int FSlave = -1;
  std::string FPath;
};

inline HANDLE OpenPort(const std::string& name) {
  return CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
}

inline void SetTimeouts(HANDLE port, DWORD interval, DWORD multiplier, DWORD constant, DWORD writeMultiplier = 0,
                        DWORD writeConstant = 0) {
  COMMTIMEOUTS t { interval, multiplier, constant, writeMultiplier, writeConstant };
  ASSERT_TRUE(SetCommTimeouts(port, &t));
}

inline std::string ReadPort(HANDLE port, DWORD count) {
  std::string buf(count, '\0');
  DWORD got = 0;
  EXPECT_TRUE(ReadFile(port, buf.data(), count, &got, nullptr)) << GetLastError();
  buf.resize(got);
  return buf;
}

inline DWORD WritePort(HANDLE port, const std::string& bytes) {
  DWORD done = 0;
  EXPECT_TRUE(WriteFile(port, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr)) << GetLastError();
  return done;
}

// Until the port holds `count` bytes for reading: the pty hands written bytes over a moment after the
// write returns, and the port takes them in when asked.
inline bool PortHolds(HANDLE port, DWORD count) {
  return WaitUntil([&] {
    COMSTAT stat {};
    return ClearCommError(port, nullptr, &stat) && stat.cbInQue == count;
  });
}

// Every byte value, then the pattern repeated up to `size`.
inline std::string Pattern(size_t size, unsigned seed = 0) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 7 + seed + i / 256) & 0xFF);
  return s;
}

// A port on a fresh pty with raw mode on and time-outs that return what is waiting.
class PtyPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FPort = OpenPort(FPty.Path());
    ASSERT_NE(FPort, INVALID_HANDLE_VALUE) << GetLastError();
  }
  void TearDown() override {
    if (FPort != INVALID_HANDLE_VALUE) CloseHandle(FPort);
  }

  PtyPair FPty;
  HANDLE FPort = INVALID_HANDLE_VALUE;
};

}  // namespace xj::test
