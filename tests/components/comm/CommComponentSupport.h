#pragma once
// The serial component on pty pairs and on the fake device: pumping the main thread's Synchronize
// queue the way the message loop does, an event log, and process-wide counters for leaks and spins.

#include <dirent.h>
#include <sys/resource.h>

#include <functional>
#include <string>
#include <vector>

#include "components/Comm.h"
#include "platform/win32/comm/FakeCommDevice.h"
#include "tests/support/CommTestSupport.h"
#include "tests/support/Wait.h"

namespace xj::test {

// Runs the calls waiting for the main thread until pred holds; false when it did not within limitMs.
inline bool PumpUntil(const std::function<bool()>& pred, int limitMs = kPatienceMs) {
  return WaitUntil(
      pred, [] { CheckSynchronize(10); }, limitMs);  // back at once when a call comes
}

// Pumps for ms milliseconds: long enough for events that must not come to show up if they did.
inline void PumpFor(int ms) {
  const int64_t end = NowMs() + ms;
  while (NowMs() < end) CheckSynchronize(10);
}

// CPU time (user + system) of the whole process, in milliseconds.
inline int64_t ProcessCpuMs() {
  rusage ru {};
  getrusage(RUSAGE_SELF, &ru);
  return (ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1000 + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1000;
}

// Entries of a /proc directory: threads (/proc/self/task) or descriptors (/proc/self/fd).
inline int CountEntries(const char* path) {
  int n = 0;
  if (DIR* dir = opendir(path)) {
    while (const dirent* e = readdir(dir))
      if (e->d_name[0] != '.') ++n;
    closedir(dir);
  }
  return n;
}

// Threads of the process. A joined thread leaves /proc/self/task a moment after the join returns, so
// the count is read until it holds still.
inline int ThreadCount() {
  int last = CountEntries("/proc/self/task");
  for (int i = 0; i < 100; ++i) {
    usleep(2000);
    const int now = CountEntries("/proc/self/task");
    if (now == last) return now;
    last = now;
  }
  return last;
}

// Whether the thread count reaches expected.
inline bool ThreadCountBecomes(int expected) {
  return WaitUntil([&] { return CountEntries("/proc/self/task") == expected; });
}

// What the handlers saw, in order, as text ("Cts", "RxChar 3", "ComStat 0x9 3"), and whether every
// one ran on the main thread.
class TEventLog {
 public:
  void Attach(TThreadComm& comm) {
    comm.OnBreak = Note("Break");
    comm.OnCts = Note("Cts");
    comm.OnDsr = Note("Dsr");
    comm.OnRing = Note("Ring");
    comm.OnRlsd = Note("Rlsd");
    comm.OnRxFlag = Note("RxFlag");
    comm.OnTxEmpty = Note("TxEmpty");
    comm.OnError = TCommErrorEvent::FromCallable([this](TObject*, int errors) { Add("Error " + Hex(errors)); });
    comm.OnRxChar =
        TCommRxCharEvent::FromCallable([this](TObject*, DWORD count) { Add("RxChar " + std::to_string(count)); });
    comm.OnComStatEvent = TCommComStatEvent::FromCallable([this](TObject*, DWORD status, COMSTAT stat) {
      Add("ComStat " + Hex(status) + " " + std::to_string(stat.cbInQue));
    });
  }

  // Entries starting with prefix.
  std::vector<std::string> Only(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& e : Entries)
      if (e.compare(0, prefix.size(), prefix) == 0) out.push_back(e);
    return out;
  }
  bool Has(const std::string& prefix) const { return !Only(prefix).empty(); }

  std::vector<std::string> Entries;
  bool OffMainThread = false;

 private:
  static std::string Hex(DWORD v) {
    char buf[16];
    snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
  }
  TNotifyEvent Note(const char* name) {
    return TNotifyEvent::FromCallable([this, name](TObject*) { Add(name); });
  }
  void Add(const std::string& entry) {
    if (GetCurrentThreadId() != MainThreadID()) OffMainThread = true;
    Entries.push_back(entry);
  }
};

// A component whose device is a fresh pty; the test plays the far end on the master.
class PtyCommTest : public ::testing::Test {
 protected:
  void SetUp() override { FComm.SetDeviceName(FPty.Path()); }

  PtyPair FPty;
  TEventLog FLog;  // outlives the component, whose handlers write to it
  TComm FComm { nullptr };
};

// A component on the fake device, for modem lines, breaks and line errors.
class FakeCommTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FLine = CreateFakeCommDevice(kName);
    FComm.SetDeviceName(kName);
  }

  static constexpr const char* kName = "FAKE-COMPONENT";
  std::shared_ptr<FakeCommLine> FLine;
  TEventLog FLog;
  TComm FComm { nullptr };
};

}  // namespace xj::test
