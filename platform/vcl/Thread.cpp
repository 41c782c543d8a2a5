// TThread over std::thread, and the queue of calls waiting for the main thread.

#include "platform/vcl/Thread.h"

#include <algorithm>
#include <deque>
#include <utility>
#include <vector>

namespace {

const DWORD gMainThreadId = GetCurrentThreadId();  // static initialisation runs on the main thread

struct SyncRequest {
  const TThreadMethod* method;
  std::exception_ptr error;
  bool done = false;
};

// One lock and one condition for the Synchronize queue and for "a thread finished": the main thread
// waiting in WaitFor must wake for either.
std::mutex gSyncLock;
std::condition_variable gSyncChanged;
std::deque<SyncRequest*> gQueue;
std::function<void()> gWakeMainThread;

// Threads created with CreateSuspended = false that have not started yet, with their creators.
std::mutex gPendingLock;
std::vector<std::pair<DWORD, TThread*>> gPending;

bool OnMainThread() { return GetCurrentThreadId() == gMainThreadId; }

}  // namespace

DWORD MainThreadID() { return gMainThreadId; }

void SetWakeMainThread(std::function<void()> wake) {
  std::lock_guard<std::mutex> lock(gSyncLock);
  gWakeMainThread = std::move(wake);
}

bool CheckSynchronize(int timeout) {
  if (!OnMainThread()) throw EThread("CheckSynchronize called from a thread other than the main thread");
  TThread::StartPendingThreads(gMainThreadId);
  std::deque<SyncRequest*> batch;
  {
    std::unique_lock<std::mutex> lock(gSyncLock);
    if (gQueue.empty() && timeout > 0)
      gSyncChanged.wait_for(lock, std::chrono::milliseconds(timeout), [] { return !gQueue.empty(); });
    batch.swap(gQueue);
  }
  for (SyncRequest* request : batch) {
    try {
      (*request->method)();
    } catch (...) {
      request->error = std::current_exception();  // raised again in the waiting thread
    }
    std::lock_guard<std::mutex> lock(gSyncLock);
    request->done = true;
    gSyncChanged.notify_all();
  }
  return !batch.empty();
}

void TThread::Synchronize(TThread*, const TThreadMethod& method) {
  if (OnMainThread()) {
    method();
    return;
  }
  SyncRequest request { &method, nullptr };
  std::function<void()> wake;
  {
    std::lock_guard<std::mutex> lock(gSyncLock);
    gQueue.push_back(&request);
    gSyncChanged.notify_all();
    wake = gWakeMainThread;
  }
  if (wake) wake();
  {
    std::unique_lock<std::mutex> lock(gSyncLock);
    gSyncChanged.wait(lock, [&] { return request.done; });
  }
  if (request.error) std::rethrow_exception(request.error);
}

// ---- The thread object ------------------------------------------------------------------------------

TThread::TThread(bool CreateSuspended) : FHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  try {
    FThread = std::thread(&TThread::ThreadProc, this);
  } catch (const std::exception& e) {
    CloseHandle(FHandle);
    throw EThread(AnsiString("Thread creation error: ") + e.what());
  }
  {
    std::unique_lock<std::mutex> lock(FLock);
    FGate.wait(lock, [this] { return FThreadID != 0; });
  }
  if (!CreateSuspended) {
    std::lock_guard<std::mutex> lock(gPendingLock);
    gPending.emplace_back(GetCurrentThreadId(), this);
    std::lock_guard<std::mutex> own(FLock);
    FPendingStart = true;
  }
}

TThread::~TThread() {
  Shutdown();
  if (FThread.joinable()) {
    if (GetCurrentThreadId() == FThreadID)
      FThread.detach();  // freeing itself at its end
    else
      FThread.join();
  }
  CloseHandle(FHandle);
}

void* TThread::operator new(std::size_t size) { return ::operator new(size); }

void TThread::operator delete(void* memory) { ::operator delete(memory); }

void TThread::operator delete(TThread* self, std::destroying_delete_t) {
  self->Shutdown();
  void* whole = dynamic_cast<void*>(self);
  self->~TThread();
  ::operator delete(whole);
}

// Ends the thread: one that never ran is cancelled, a running one terminated and waited for. Nothing
// to do on the worker itself (it is freeing itself after its end).
void TThread::Shutdown() {
  TakePending();
  if (GetCurrentThreadId() == FThreadID) return;
  {
    std::lock_guard<std::mutex> lock(FLock);
    if (FState == State::Created && FSuspendCount > 0) {  // never resumed: it will not run at all
      FCancelled = true;
      FGate.notify_all();
      return;
    }
  }
  FFreeOnTerminate.store(false);  // we free it, not the worker
  FTerminated.store(true);
  {
    std::lock_guard<std::mutex> lock(FLock);  // a thread that suspended itself must run to its end
    FSuspendCount = 0;
    FGate.notify_all();
  }
  WaitUntilFinished();
}

void TThread::ThreadProc(TThread* self) {
  {
    std::unique_lock<std::mutex> lock(self->FLock);
    self->FThreadID = GetCurrentThreadId();
    self->FGate.notify_all();
    self->FGate.wait(lock, [self] { return self->FSuspendCount == 0 || self->FCancelled; });
    if (self->FCancelled) return;  // the destructor is waiting to join; touch nothing more
    self->FState = State::Running;
  }
  self->Run();
}

void TThread::Run() {
  try {
    Execute();
  } catch (...) {
    std::lock_guard<std::mutex> lock(FLock);
    FFatalException = std::current_exception();
  }
  try {
    DoTerminate();
  } catch (...) {
    std::lock_guard<std::mutex> lock(FLock);
    if (!FFatalException) FFatalException = std::current_exception();
  }
  bool freeIt;
  {
    std::lock_guard<std::mutex> lock(FLock);
    FState = State::Finished;
    freeIt = FFreeOnTerminate.load();
  }
  SetEvent(FHandle);
  {
    std::lock_guard<std::mutex> lock(gSyncLock);
    gSyncChanged.notify_all();
  }
  if (freeIt) delete this;
}

void TThread::DoTerminate() {
  if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

bool TThread::TakePending() {
  std::lock_guard<std::mutex> lock(gPendingLock);
  auto it = std::find_if(gPending.begin(), gPending.end(), [this](const auto& p) { return p.second == this; });
  if (it == gPending.end()) return false;
  gPending.erase(it);
  std::lock_guard<std::mutex> own(FLock);
  FPendingStart = false;
  return true;
}

void TThread::StartPendingThreads(DWORD creator) {
  std::lock_guard<std::mutex> lock(gPendingLock);
  for (auto it = gPending.begin(); it != gPending.end();) {
    if (it->first == creator) {
      {
        std::lock_guard<std::mutex> own(it->second->FLock);
        it->second->FPendingStart = false;
      }
      it->second->ResumeInternal();
      it = gPending.erase(it);
    } else {
      ++it;
    }
  }
}

void TThread::ResumeInternal() {
  std::lock_guard<std::mutex> lock(FLock);
  if (FSuspendCount > 0 && --FSuspendCount == 0) FGate.notify_all();
}

void TThread::Resume() {
  TakePending();
  ResumeInternal();
}

void TThread::Start() { Resume(); }

void TThread::Suspend() {
  if (GetCurrentThreadId() != FThreadID) throw EThread("A thread can only suspend itself");
  std::unique_lock<std::mutex> lock(FLock);
  ++FSuspendCount;
  FGate.wait(lock, [this] { return FSuspendCount == 0; });
}

void TThread::Terminate() {
  FTerminated.store(true);
  if (TakePending()) ResumeInternal();
}

bool TThread::Suspended() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FSuspendCount > 0 && !FPendingStart && FState != State::Finished;
}

bool TThread::Finished() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FState == State::Finished;
}

std::exception_ptr TThread::FatalException() const {
  std::lock_guard<std::mutex> lock(FLock);
  return FFatalException;
}

int TThread::WaitFor() {
  if (FFreeOnTerminate.load()) throw EThread("Cannot wait for a thread that frees itself");
  if (GetCurrentThreadId() == FThreadID) throw EThread("A thread cannot wait for itself");
  if (TakePending()) ResumeInternal();
  WaitUntilFinished();
  return ReturnValue();
}

void TThread::WaitUntilFinished() {
  std::unique_lock<std::mutex> lock(gSyncLock);
  if (!OnMainThread()) {
    gSyncChanged.wait(lock, [this] { return Finished(); });
    return;
  }
  // The main thread keeps running Synchronize calls, or a worker that synchronizes would never end.
  while (!Finished()) {
    if (!gQueue.empty()) {
      lock.unlock();
      CheckSynchronize();
      lock.lock();
      continue;
    }
    gSyncChanged.wait(lock);
  }
}
