#pragma once
// Seeing another thread's progress from a test. A test that wakes, cancels or races a blocking call made
// on another thread must first know the call has begun to wait; a pause "long enough" is not enough on a
// loaded machine, where the other thread may not have run at all yet.

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "tests/support/Wait.h"

namespace xj::test {

// The kernel's id of the calling thread.
inline pid_t ThreadId() { return static_cast<pid_t>(::syscall(SYS_gettid)); }

// Whether thread `tid` of this process is asleep in the kernel waiting on descriptors (poll, select,
// epoll), as a blocking serial or display wait is.
inline bool WaitingOnDescriptors(pid_t tid) {
  std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/syscall");
  long call = -1;
  if (!(in >> call)) return false;  // "running", or the thread has gone
  switch (call) {
#ifdef SYS_poll
    case SYS_poll:
    case SYS_select:
    case SYS_epoll_wait:
#endif
    case SYS_ppoll:
    case SYS_pselect6:
    case SYS_epoll_pwait:
      return true;
    default:
      return false;
  }
}

// A thread running `body` whose progress the test can see. Joined at the end of its scope.
class WatchedThread {
 public:
  explicit WatchedThread(std::function<void()> body)
      : FThread([this, body = std::move(body)] {
          FId = ThreadId();
          body();
          FDone = true;
        }) {}
  ~WatchedThread() {
    if (FThread.joinable()) FThread.join();
  }
  WatchedThread(const WatchedThread&) = delete;
  WatchedThread& operator=(const WatchedThread&) = delete;

  bool Done() const { return FDone; }
  // Whether the body is asleep on descriptors (a blocking serial call waits so).
  bool Waiting() const { return FId && WaitingOnDescriptors(FId); }
  // Until the body is asleep on descriptors or has ended; false if neither ever happens.
  bool Settle() const {
    return WaitUntil([this] { return Done() || Waiting(); });
  }
  void Join() { FThread.join(); }

 private:
  std::atomic<pid_t> FId { 0 };
  std::atomic<bool> FDone { false };
  std::thread FThread;  // last: it starts once the fields above are set up
};

}  // namespace xj::test
