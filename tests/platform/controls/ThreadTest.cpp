// Threads and the application loop, in real time (no harness: the loop really waits and a worker's
// Synchronize really wakes it). Built under ThreadSanitizer too.

#include <atomic>
#include <cstdlib>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Thread.h"
#include "tests/support/ControlsTestUtil.h"
#include "tests/support/Wait.h"

namespace {

class FnThread : public TThread {
 public:
  FnThread(std::function<void(FnThread&)> body) : TThread(true), FBody(std::move(body)) {}
  using TThread::Synchronize;

 protected:
  void Execute() override { FBody(*this); }

 private:
  std::function<void(FnThread&)> FBody;
};

class ThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XJ_DISPLAY", "headless", 1);
    delete Application;
    Application = new TApplication(nullptr);
    // A watchdog: should a wake-up be lost, the loop still comes back (and the test fails).
    watchdog = new TTimer(nullptr);
    watchdog->SetInterval(xj::test::kPatienceMs);
    watchdog->SetOnTimer(TNotifyEvent::FromCallable([this](TObject*) { timedOut = true; }));
  }
  void TearDown() override {
    delete watchdog;
    delete Application;
    Application = new TApplication(nullptr);
  }
  // Handles messages until done() or the watchdog fires.
  template <class F>
  bool LoopUntil(F done) {
    while (!done() && !timedOut) Application->HandleMessage();
    return !timedOut;
  }

  TTimer* watchdog {};
  bool timedOut { false };
};

TEST_F(ThreadTest, SynchronizeRunsOnTheGuiThreadWokenFromTheApplicationsWait) {
  std::vector<DWORD> ranOn;
  FnThread worker([&](FnThread& self) {
    for (int i = 0; i < 5; ++i) {
      Sleep(2);
      self.Synchronize([&] { ranOn.push_back(GetCurrentThreadId()); });
    }
  });
  worker.Resume();
  EXPECT_TRUE(LoopUntil([&] { return ranOn.size() == 5; }));
  worker.WaitFor();
  ASSERT_EQ(ranOn.size(), 5u);
  for (DWORD id : ranOn) EXPECT_EQ(id, MainThreadID());
}

TEST_F(ThreadTest, OnTerminateAndExceptionsInsideSynchronize) {
  TForm form(nullptr);
  std::atomic<bool> caught { false };
  int terminated = 0;
  FnThread worker([&](FnThread& self) {
    try {
      self.Synchronize([] { throw EConvertError("bad"); });
    } catch (const EConvertError&) {
      caught = true;
    }
  });
  worker.OnTerminate = TNotifyEvent::FromCallable([&](TObject* sender) {
    EXPECT_EQ(sender, &worker);
    EXPECT_EQ(GetCurrentThreadId(), MainThreadID());
    ++terminated;
  });
  worker.Resume();
  EXPECT_TRUE(LoopUntil([&] { return terminated == 1; }));
  EXPECT_TRUE(caught.load());
  EXPECT_EQ(terminated, 1);
}

TEST_F(ThreadTest, WaitForOnTheGuiThreadServicesSynchronize) {
  int count = 0;
  FnThread worker([&](FnThread& self) {
    for (int i = 0; i < 20; ++i) self.Synchronize([&] { ++count; });
  });
  worker.Resume();
  worker.WaitFor();
  EXPECT_EQ(count, 20);
}

TEST_F(ThreadTest, SynchronizeReachesModalLoopsAndMessageBoxes) {
  TForm dialog(nullptr);
  std::atomic<bool> stop { false };
  int inModal = 0, inBox = 0;
  FnThread worker([&](FnThread& self) {
    // Ends the modal form from the GUI thread.
    while (!stop) {
      self.Synchronize([&] {
        if (dialog.FormState().Contains(fsModal)) {
          ++inModal;
          dialog.SetModalResult(mrOk);
        }
        if (HWND box = FindWindowA("#32770", nullptr)) {
          ++inBox;
          PostMessageA(box, WM_CLOSE, 0, 0);
        }
      });
      Sleep(1);
    }
  });
  worker.Resume();
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  EXPECT_EQ(MessageBoxA(nullptr, "wait", "box", MB_OK), IDOK);
  stop = true;
  worker.WaitFor();
  EXPECT_GE(inModal, 1);
  EXPECT_GE(inBox, 1);
  EXPECT_FALSE(timedOut);
}

}  // namespace
