#pragma once
// TThread: a worker thread object. Synchronize hands a call to the GUI (main) thread and blocks until
// it ran there; the main thread runs such calls in CheckSynchronize (the message loop calls it when
// woken through the WakeMainThread hook) and while it waits for a thread in WaitFor, so a main thread
// waiting for a worker that synchronizes cannot deadlock.
//
// C++ has no hook after the most-derived constructor, so a thread never runs Execute from inside its
// constructor. A thread created with CreateSuspended = false starts at the first Start/Resume/WaitFor
// /Terminate on it, or at the creating thread's next CheckSynchronize (the message loop). Threads that
// should start in their own constructor pass true and call Start() last.

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <new>
#include <thread>

#include "platform/vcl/Closure.h"
#include "platform/vcl/SysUtils.h"
#include "platform/win32/WinBase.h"

XJ_EXCEPTION(EThread, Exception);

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

typedef std::function<void()> TThreadMethod;

// Runs the Synchronize calls waiting for the main thread (and starts threads created here with
// CreateSuspended = false). Returns true when it ran any call. Only the main thread may call it (raises
// EThread elsewhere). timeout (ms) waits that long for a first call when none is waiting.
bool CheckSynchronize(int timeout = 0);

class TThread : public TObject {
  XJ_CLASS(TThread, TObject)
 public:
  explicit TThread(bool CreateSuspended);
  // A running thread is terminated and waited for (servicing Synchronize on the main thread).
  ~TThread() override;
  // `delete` on a TThread (or derived) pointer ends a running thread before any destructor runs, so
  // Execute never sees its object half destroyed. A thread object on the stack, or deleted through a
  // TObject pointer, must be waited for before it goes.
  static void operator delete(TThread* self, std::destroying_delete_t);
  static void* operator new(std::size_t size);
  static void operator delete(void* memory);

  // Lets a suspended thread run (Start is the same); extra calls do nothing.
  void Resume();
  void Start();
  // Only the thread itself may suspend itself (it then blocks until resumed); from any other thread
  // raises EThread.
  void Suspend();
  void Terminate();
  // Waits until Execute has returned and OnTerminate ran; returns ReturnValue. Raises EThread for a
  // thread that frees itself (it may be gone before the wait returns) or when a thread waits for itself.
  int WaitFor();

  bool Terminated() const { return FTerminated.load(); }
  bool Suspended() const;
  bool Finished() const;
  bool FreeOnTerminate() const { return FFreeOnTerminate.load(); }
  void SetFreeOnTerminate(bool value) { FFreeOnTerminate.store(value); }
  // Stored only: the host does not let an unprivileged process raise thread priorities.
  TThreadPriority Priority() const { return FPriority.load(); }
  void SetPriority(TThreadPriority value) { FPriority.store(value); }
  // Signalled when the thread has finished; usable with WaitForSingleObject.
  HANDLE Handle() const { return FHandle; }
  DWORD ThreadID() const { return FThreadID; }
  int ReturnValue() const { return FReturnValue.load(); }
  // The exception that escaped Execute, if any (it ends the thread, not the process).
  std::exception_ptr FatalException() const;

  // Runs on the main thread after Execute returned (through Synchronize), when assigned.
  TNotifyEvent OnTerminate;

  // Runs method on the main thread and blocks until it ran there; its exception is raised again in the
  // caller. On the main thread the method runs at once.
  static void Synchronize(TThread* thread, const TThreadMethod& method);

 protected:
  virtual void Execute() = 0;
  virtual void DoTerminate();
  void Synchronize(const TThreadMethod& method) { Synchronize(this, method); }
  void SetReturnValue(int value) { FReturnValue.store(value); }

 private:
  enum class State { Created, Running, Finished };
  static void ThreadProc(TThread* self);
  static void StartPendingThreads(DWORD creator);
  void Run();
  bool TakePending();
  void Shutdown();
  void ResumeInternal();
  void WaitUntilFinished();
  friend bool CheckSynchronize(int timeout);

  std::thread FThread;
  HANDLE FHandle = nullptr;
  DWORD FThreadID = 0;
  mutable std::mutex FLock;
  std::condition_variable FGate;  // the worker waits here while suspended; also "id known"
  int FSuspendCount = 1;
  bool FCancelled = false;     // destroyed before it ever ran
  bool FPendingStart = false;  // created running: starts at the first use or CheckSynchronize
  State FState = State::Created;
  std::exception_ptr FFatalException;
  std::atomic<bool> FTerminated { false };
  std::atomic<bool> FFreeOnTerminate { false };
  std::atomic<TThreadPriority> FPriority { tpNormal };
  std::atomic<int> FReturnValue { 0 };
};

// The message loop's way to be woken when a Synchronize call is queued (called on the worker thread).
void SetWakeMainThread(std::function<void()> wake);

// The id of the main (GUI) thread: the thread that started the program.
DWORD MainThreadID();
