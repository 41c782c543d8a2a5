// TThread, Synchronize and the synchronisation objects.

#include "platform/vcl/Thread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/vcl/SyncObjs.h"
#include "tests/support/Wait.h"

namespace {

// A thread whose Execute is a function given by the test.
class FnThread : public TThread {
 public:
  FnThread(bool suspended, std::function<void(FnThread&)> body) : TThread(suspended), FBody(std::move(body)) {}
  ~FnThread() override {
    if (Destroyed) Destroyed->store(true);
    if (DestroyedEvent) SetEvent(DestroyedEvent);
  }
  using TThread::SetReturnValue;
  using TThread::Synchronize;

  std::atomic<bool>* Destroyed = nullptr;
  HANDLE DestroyedEvent = nullptr;

 protected:
  void Execute() override { FBody(*this); }

 private:
  std::function<void(FnThread&)> FBody;
};

// Runs CheckSynchronize until done().
bool PumpUntil(const std::function<bool()>& done) {
  return xj::test::WaitUntil(done, [] { CheckSynchronize(10); });
}

}  // namespace

TEST(Thread, WaitForReturnsTheReturnValue) {
  FnThread t(true, [](FnThread& self) { self.SetReturnValue(5); });
  EXPECT_TRUE(t.Suspended());
  EXPECT_NE(t.ThreadID(), 0u);
  EXPECT_NE(t.ThreadID(), GetCurrentThreadId());
  EXPECT_EQ(WaitForSingleObject(t.Handle(), 0), WAIT_TIMEOUT);
  t.Resume();
  EXPECT_EQ(t.WaitFor(), 5);
  EXPECT_TRUE(t.Finished());
  EXPECT_FALSE(t.Suspended());
  EXPECT_EQ(WaitForSingleObject(t.Handle(), 0), WAIT_OBJECT_0);
  EXPECT_EQ(t.FatalException(), nullptr);
}

TEST(Thread, CreatedRunningStartsAtTheNextCheckSynchronize) {
  HANDLE ran = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  FnThread t(false, [ran](FnThread&) { SetEvent(ran); });
  EXPECT_FALSE(t.Suspended());
  CheckSynchronize();
  EXPECT_EQ(WaitForSingleObject(ran, 5000), WAIT_OBJECT_0);
  t.WaitFor();
  CloseHandle(ran);

  FnThread u(false, [](FnThread& self) { self.SetReturnValue(9); });
  EXPECT_EQ(u.WaitFor(), 9);  // or at the first wait for it
}

TEST(Thread, AnExceptionInExecuteIsKeptNotFatal) {
  FnThread t(true, [](FnThread&) { throw EConvertError("boom"); });
  t.Start();
  t.WaitFor();
  ASSERT_NE(t.FatalException(), nullptr);
  try {
    std::rethrow_exception(t.FatalException());
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "boom");
  }
}

TEST(Thread, FreeOnTerminateDeletesItselfAndCannotBeWaitedFor) {
  std::atomic<bool> destroyed { false };
  HANDLE gone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  auto* t = new FnThread(true, [release](FnThread&) { WaitForSingleObject(release, 5000); });
  t->Destroyed = &destroyed;
  t->DestroyedEvent = gone;
  t->SetFreeOnTerminate(true);
  t->Resume();
  EXPECT_THROW(t->WaitFor(), EThread);
  SetEvent(release);
  EXPECT_EQ(WaitForSingleObject(gone, 5000), WAIT_OBJECT_0);
  EXPECT_TRUE(destroyed.load());
  CloseHandle(gone);
  CloseHandle(release);
}

TEST(Thread, SynchronizeRunsOnTheMainThreadThroughCheckSynchronize) {
  std::atomic<DWORD> ranOn { 0 };
  std::atomic<bool> done { false };
  FnThread t(true, [&](FnThread& self) {
    self.Synchronize([&] { ranOn = GetCurrentThreadId(); });
    done = true;
  });
  t.Resume();
  EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
  EXPECT_EQ(ranOn.load(), MainThreadID());
  EXPECT_EQ(MainThreadID(), GetCurrentThreadId());
  t.WaitFor();
}

TEST(Thread, WaitForOnTheMainThreadServicesSynchronize) {
  int counter = 0;
  std::atomic<int> terminated { 0 };
  FnThread t(true, [&](FnThread& self) {
    for (int i = 0; i < 10; ++i) self.Synchronize([&] { ++counter; });
  });
  t.OnTerminate = TNotifyEvent::FromCallable([&](TObject* sender) {
    EXPECT_EQ(sender, &t);
    EXPECT_EQ(GetCurrentThreadId(), MainThreadID());
    ++terminated;
  });
  t.Resume();
  t.WaitFor();  // would deadlock if it did not run the queued calls
  EXPECT_EQ(counter, 10);
  EXPECT_EQ(terminated.load(), 1);
}

TEST(Thread, SynchronizeRaisesTheCallsExceptionInTheWorker) {
  AnsiString caught;
  FnThread t(true, [&](FnThread& self) {
    try {
      self.Synchronize([] { throw EInvalidOperation("from the GUI thread"); });
    } catch (const EInvalidOperation& e) {
      caught = e.Message();
    }
  });
  t.Resume();
  t.WaitFor();
  EXPECT_EQ(caught, "from the GUI thread");
  EXPECT_EQ(t.FatalException(), nullptr);
}

TEST(Thread, WakeMainThreadIsCalledWhenACallIsQueued) {
  std::atomic<int> wakes { 0 };
  SetWakeMainThread([&] { ++wakes; });
  std::atomic<bool> done { false };
  FnThread t(true, [&](FnThread& self) {
    self.Synchronize([] {});
    done = true;
  });
  t.Resume();
  EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
  EXPECT_GE(wakes.load(), 1);
  t.WaitFor();
  SetWakeMainThread(nullptr);
}

TEST(Thread, CheckSynchronizeBelongsToTheMainThread) {
  std::atomic<bool> raised { false };
  FnThread t(true, [&](FnThread&) {
    try {
      CheckSynchronize();
    } catch (const EThread&) {
      raised = true;
    }
  });
  t.Resume();
  t.WaitFor();
  EXPECT_TRUE(raised.load());
  EXPECT_FALSE(CheckSynchronize());  // nothing waiting
}

TEST(Thread, SuspendOnlyByTheThreadItself) {
  std::atomic<bool> resumedAfterSuspend { false };
  FnThread t(true, [&](FnThread& self) {
    self.Suspend();
    resumedAfterSuspend = true;
  });
  EXPECT_THROW(t.Suspend(), EThread);
  t.Resume();
  ASSERT_TRUE(xj::test::WaitUntil([&] { return t.Suspended(); }));
  EXPECT_FALSE(resumedAfterSuspend.load());
  t.Resume();
  t.WaitFor();
  EXPECT_TRUE(resumedAfterSuspend.load());
}

TEST(Thread, DestroyingTerminatesAndWaits) {
  std::atomic<bool> sawTerminated { false };
  std::atomic<bool> started { false };
  auto* t = new FnThread(true, [&](FnThread& self) {
    started = true;
    while (!self.Terminated()) Sleep(1);
    sawTerminated = true;
  });
  t->Resume();
  while (!started.load()) Sleep(1);
  delete t;
  EXPECT_TRUE(sawTerminated.load());

  std::atomic<bool> ran { false };
  delete new FnThread(true, [&](FnThread&) { ran = true; });  // never resumed: never runs
  EXPECT_FALSE(ran.load());

  // A worker blocked in Synchronize while the main thread destroys it still finishes.
  std::atomic<bool> synced { false };
  auto* s = new FnThread(true, [&](FnThread& self) { self.Synchronize([&] { synced = true; }); });
  s->Resume();
  delete s;
  EXPECT_TRUE(synced.load());
}

TEST(Thread, AThreadCannotWaitForItself) {
  std::atomic<bool> raised { false };
  FnThread t(true, [&](FnThread& self) {
    try {
      self.WaitFor();
    } catch (const EThread&) {
      raised = true;
    }
  });
  t.Resume();
  t.WaitFor();
  EXPECT_TRUE(raised.load());
}

TEST(SyncObjs, CriticalSectionIsRecursiveAndExclusive) {
  TCriticalSection cs;
  cs.Enter();
  cs.Acquire();
  bool otherGotIt = true;
  std::thread([&] { otherGotIt = cs.TryEnter(); }).join();
  EXPECT_FALSE(otherGotIt);
  cs.Release();
  cs.Leave();
  std::thread([&] {
    otherGotIt = cs.TryEnter();
    if (otherGotIt) cs.Leave();
  }).join();
  EXPECT_TRUE(otherGotIt);
}

TEST(SyncObjs, EventsReportWaitResults) {
  TSimpleEvent simple;
  EXPECT_EQ(simple.WaitFor(10), wrTimeout);
  simple.SetEvent();
  EXPECT_EQ(simple.WaitFor(0), wrSignaled);
  EXPECT_EQ(simple.WaitFor(INFINITE), wrSignaled);  // manual reset: stays signalled
  EXPECT_EQ(WaitForSingleObject(simple.Handle(), 0), WAIT_OBJECT_0);
  simple.ResetEvent();
  EXPECT_EQ(simple.WaitFor(0), wrTimeout);

  TEvent autoReset(nullptr, false, true, "");
  EXPECT_EQ(autoReset.WaitFor(0), wrSignaled);
  EXPECT_EQ(autoReset.WaitFor(0), wrTimeout);

  std::thread setter([&] { autoReset.SetEvent(); });
  EXPECT_EQ(autoReset.WaitFor(10000), wrSignaled);
  setter.join();
}
