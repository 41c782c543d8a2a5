#pragma once
// Names that lead to no regular file, for the tests of everything that loads a file: a FIFO that cannot
// hang the suite, and symbolic links to it and to the endless devices.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/vcl/SysUtils.h"

namespace xj::test {

// A FIFO at Path while the object lives. A loader that waits in open() for a writer would hang the test
// for ever; so once the test has run a generous while, the guard opens and closes the writing end now
// and then, the waiting loader reads an empty file, and the test fails on what the loader did instead.
class GuardedFifo {
 public:
  explicit GuardedFifo(std::string Path) : FPath(std::move(Path)) {
    if (::mkfifo(FPath.c_str(), 0600) != 0) ADD_FAILURE() << "cannot make the FIFO " << FPath;
    FGuard = std::thread([this] { Guard(); });
  }
  ~GuardedFifo() {
    {
      std::lock_guard<std::mutex> lock(FLock);
      FDone = true;
    }
    FWake.notify_all();
    FGuard.join();
  }
  GuardedFifo(const GuardedFifo&) = delete;
  GuardedFifo& operator=(const GuardedFifo&) = delete;

  const std::string& Path() const { return FPath; }

 private:
  void Guard() {
    std::unique_lock<std::mutex> lock(FLock);
    while (!FWake.wait_for(lock, std::chrono::seconds(5), [this] { return FDone; })) {
      // Without a reader waiting this fails (ENXIO) and changes nothing.
      const int fd = ::open(FPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd >= 0) ::close(fd);
    }
  }

  std::string FPath;
  std::mutex FLock;
  std::condition_variable FWake;
  bool FDone { false };
  std::thread FGuard;
};

// A symbolic link at Link to Target.
inline std::string LinkTo(const std::string& Target, const std::string& Link) {
  if (::symlink(Target.c_str(), Link.c_str()) != 0) ADD_FAILURE() << "cannot link " << Link << " to " << Target;
  return Link;
}

// Load must raise an Exception whose message names Name and holds Reason.
inline void ExpectRefused(const std::string& What, const std::string& Name, const std::string& Reason,
                          const std::function<void()>& Load) {
  try {
    Load();
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find(Name), std::string::npos) << What << ": " << e.Message();
    EXPECT_NE(e.Message().find(Reason), std::string::npos) << What << ": " << e.Message();
    return;
  }
  FAIL() << What << " took " << Name;
}

inline const char* const kNotRegular = "Not a regular file";

}  // namespace xj::test
