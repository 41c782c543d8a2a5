// The window manager's foundations: regions, procedure records, the handle table, the error and the
// clock used by the rest of the Wm_*.cpp files.

#include <atomic>
#include <cerrno>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "platform/win32/Clock.h"
#include "platform/win32/WinBase.h"
#include "platform/win32/WmHooks.h"
#include "platform/win32/WmInternal.h"

namespace xj::wm {

// ---- Errors, clock, hooks -----------------------------------------------------------------------------

// ---- State ------------------------------------------------------------------------------------------------

std::atomic<State*> gState { nullptr };

State& MakeState() {
  // Never destroyed: static destructors of other files may still use it.
  static State* s = [] {
    State* made = new State;
    gState.store(made, std::memory_order_release);
    return made;
  }();
  return *s;
}

WindowState& Windows() { return Part<WindowState>(PartId::Windows); }

void ResetState() {
  // A part going away may touch another part, which is then made afresh: go round until none is left.
  State& s = TheState();
  for (bool any = true; any;) {
    any = false;
    for (auto& p : s.parts)
      if (p) {
        p.reset();
        any = true;
      }
  }
}

uint64_t Now() { return CurrentClock().Milliseconds(); }

DWORD NowTick() { return (DWORD)Now(); }

// ---- Procedure records ------------------------------------------------------------------------------
// A WNDPROC value is (generation << 24) | index into the record table, so a freed record is
// recognised instead of being called; values stay below 2^31.
//
// Calling through a record takes no lock: records live in chunks that never move, a record's fields
// are written before its generation is published, and a call checks the generation first. Creating and
// freeing records (from any thread) serialise on the table's mutex. A closure freed by a call running
// on the same thread is kept until that thread's outermost call returns.

namespace {

using Closure = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

struct ProcRecord {
  std::atomic<uint32_t> state { 0 };  // (generation << 1) | live
  WNDPROCFN fn {};
  Closure closure;
};

constexpr uint32_t kChunkBits = 10;
constexpr uint32_t kChunkSize = 1u << kChunkBits;
constexpr uint32_t kMaxRecords = 1u << 24;

// Zero-initialised before any code runs, so a call needs no guard to reach it.
std::atomic<ProcRecord*> gChunks[kMaxRecords / kChunkSize];

ProcRecord* At(uint32_t index) {
  ProcRecord* c = gChunks[index >> kChunkBits].load(std::memory_order_acquire);
  return c ? &c[index & (kChunkSize - 1)] : nullptr;
}

struct ProcTable {
  std::mutex lock;      // writers only
  uint32_t used { 1 };  // index 0 is never used
  std::vector<uint32_t> freeList;
  std::unordered_map<WNDPROCFN, LONG_PTR> byFunction;

  // Lock held.
  LONG_PTR Add(WNDPROCFN fn, Closure closure) {
    uint32_t index;
    if (!freeList.empty()) {
      index = freeList.back();
      freeList.pop_back();
    } else {
      if (used >= kMaxRecords) return 0;
      index = used++;
      auto& chunk = gChunks[index >> kChunkBits];
      if (!chunk.load(std::memory_order_relaxed)) chunk.store(new ProcRecord[kChunkSize], std::memory_order_release);
    }
    ProcRecord& r = *At(index);
    uint32_t gen = r.state.load(std::memory_order_relaxed) >> 1;
    if (gen == 0) gen = 1;
    r.fn = fn;
    r.closure = std::move(closure);
    r.state.store((gen << 1) | 1, std::memory_order_release);
    return (LONG_PTR)(((uint64_t)gen << 24) | index);
  }
};

ProcTable& Procs() {
  static ProcTable* t = new ProcTable;  // outlives static destructors of windows
  return *t;
}

// The record a handle names while it is live; safe without the lock.
inline ProcRecord* FindLive(LONG_PTR v) {
  uint32_t index = (uint32_t)(v & 0xFFFFFF);
  uint32_t gen = (uint32_t)((uint64_t)v >> 24);
  ProcRecord* r = At(index);  // index 0 is never used: its state stays 0
  if (!r || r->state.load(std::memory_order_acquire) != ((gen << 1) | 1)) return nullptr;
  return r;
}

// Calls through closures running on this thread, and the closures freed meanwhile: a closure freed
// while calls through closures run on this thread is kept until the outermost of them returns.
thread_local int tCallDepth = 0;
thread_local std::vector<Closure>* tFreedWhileRunning = nullptr;

struct CallDepth {
  CallDepth() { ++tCallDepth; }
  ~CallDepth() {
    if (--tCallDepth == 0 && tFreedWhileRunning) {
      std::unique_ptr<std::vector<Closure>> freed(std::exchange(tFreedWhileRunning, nullptr));
    }
  }
};

// Out of line, so that a call through a plain function needs no frame for a closure's bookkeeping.
[[gnu::noinline]] LRESULT CallClosure(ProcRecord* r, HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  CallDepth depth;
  return r->closure(h, msg, wParam, lParam);
}

// Every entry point calls through this one body, inlined.
[[gnu::always_inline]] inline LRESULT CallRecord(LONG_PTR proc, HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  ProcRecord* r = FindLive(proc);
  if (!r) return DefWindowProcA(h, msg, wParam, lParam);
  if (r->fn) return r->fn(h, msg, wParam, lParam);
  return CallClosure(r, h, msg, wParam, lParam);
}

}  // namespace

LRESULT CallProc(WNDPROC proc, HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  return CallRecord(proc.Value(), h, msg, wParam, lParam);
}

// Kept beside the procedure records so that the call through the record is inlined: a mouse move sends
// half a dozen messages.
namespace {

// The procedure a send calls: a plain function directly, else through its record.
[[gnu::always_inline]] inline LRESULT CallWindow(Wnd* w, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (const WNDPROCFN fn = w->direct) return fn(w->handle, msg, wParam, lParam);
  return CallRecord(w->proc.Value(), w->handle, msg, wParam, lParam);
}

// A send the harness watches: the observer first, then the procedure.
[[gnu::noinline]] LRESULT SendWatched(Wnd* w, UINT msg, WPARAM wParam, LPARAM lParam) {
  Pin pin(w);
  TheHooks().observe(w->handle, msg, wParam, lParam);
  return CallWindow(w, msg, wParam, lParam);
}

}  // namespace

// The observer's call stays out of line, so that an unwatched send keeps little more than the window
// across the call.
LRESULT Send(Wnd* w, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (TheHooks().observe) [[unlikely]]
    return SendWatched(w, msg, wParam, lParam);
  Pin pin(w);
  return CallWindow(w, msg, wParam, lParam);
}

// A plain function's record is never freed nor changed, so a window may keep the function itself and
// skip the record on every send; a closure's record is looked up each time, as it may be freed.
void SetProc(Wnd* w, WNDPROC proc) {
  w->proc = proc;
  ProcRecord* r = FindLive(proc.Value());
  w->direct = r ? r->fn : nullptr;
}

}  // namespace xj::wm

using namespace xj::wm;

WNDPROC::WNDPROC(WNDPROCFN fn) {
  if (!fn) return;
  ProcTable& t = Procs();
  std::lock_guard<std::mutex> g(t.lock);
  auto it = t.byFunction.find(fn);
  if (it != t.byFunction.end()) {
    FValue = it->second;
    return;
  }
  FValue = t.Add(fn, nullptr);
  if (FValue) t.byFunction.emplace(fn, FValue);
}

WNDPROC MakeWndProcInstance(std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> fn) {
  if (!fn) return WNDPROC();
  ProcTable& t = Procs();
  std::lock_guard<std::mutex> g(t.lock);
  return WNDPROC(t.Add(nullptr, std::move(fn)));
}

void FreeWndProcInstance(WNDPROC proc) {
  Closure dying;
  {
    ProcTable& t = Procs();
    std::lock_guard<std::mutex> g(t.lock);
    ProcRecord* r = FindLive(proc.Value());
    if (!r || r->fn) return;  // unknown, already freed, or a plain function (those live forever)
    uint32_t gen = r->state.load(std::memory_order_relaxed) >> 1;
    // Generations stay below 128, so every handle stays below 2^31 and survives GetWindowLongA.
    r->state.store((gen % 127 + 1) << 1, std::memory_order_release);
    dying = std::move(r->closure);
    r->closure = nullptr;
    t.freeList.push_back((uint32_t)(proc.Value() & 0xFFFFFF));
  }
  // A closure that frees itself (or one below it in a subclass chain) is still running here.
  if (tCallDepth > 0) {
    if (!tFreedWhileRunning) tFreedWhileRunning = new std::vector<Closure>;
    tFreedWhileRunning->push_back(std::move(dying));
  }
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!proc) return 0;
  return CallRecord(proc.Value(), hwnd, msg, wParam, lParam);
}

namespace xj::wm {

// ---- Handle table ----------------------------------------------------------------------------------
// An HWND is (generation << 22) | (index << 2): below 2^31, never 0, 1 or 0xFFFF, and a handle of a
// destroyed window stays invalid until its slot has been reused 511 times.

namespace {

using Slot = HandleSlot;

struct Table {
  std::vector<Slot> slots { Slot {}, Slot {} };  // 0 unused, 1 the desktop; gHandleSlots shows them
  std::deque<uint32_t> freeSlots;
  std::unordered_set<Wnd*> zombies;      // destroyed but still pinned by a running procedure
  std::atomic<bool> guiBound { false };  // other threads read it when they post
  Wnd desktop;
};

std::atomic<Table*> gTable { nullptr };

Table& MakeTable() {
  static Table* t = [] {
    auto* tab = new Table;
    tab->desktop.handle = (HWND)(uintptr_t)((1u << 22) | (1u << 2));
    tab->desktop.style = WS_VISIBLE | WS_CLIPCHILDREN;
    tab->slots[1].wnd = &tab->desktop;
    gHandleSlots = HandleSlots { tab->slots.data(), (uint32_t)tab->slots.size() };
    gDesktop.store(&tab->desktop, std::memory_order_release);
    gTable.store(tab, std::memory_order_release);
    return tab;
  }();
  return *t;
}

// Read on every message: a load once made, instead of a guarded static.
inline Table& T() {
  Table* t = gTable.load(std::memory_order_acquire);
  return t ? *t : MakeTable();
}

}  // namespace

std::atomic<Wnd*> gDesktop { nullptr };

Wnd* MakeDesktop() { return &T().desktop; }

namespace {
thread_local bool tGuiThread = false;  // this thread was bound as the GUI thread
}

bool IsGuiThread() { return tGuiThread || !T().guiBound.load(std::memory_order_acquire); }

void BindGuiThread() {
  if (tGuiThread) return;
  Table& t = T();
  bool unbound = false;
  if (t.guiBound.compare_exchange_strong(unbound, true, std::memory_order_acq_rel)) tGuiThread = true;
}

HandleSlots gHandleSlots;

Wnd* FromHandleBeyond(HWND h) {
  // Past the slots seen so far: only the table's making can add any.
  if (gHandleSlots.count != 0) return nullptr;
  T();
  return gHandleSlots.count != 0 ? FromHandle(h) : nullptr;
}

Wnd* NewWnd() {
  Table& t = T();
  uint32_t index;
  // Oldest free slot first, so a stale handle takes as long as possible to alias a new window.
  if (t.freeSlots.size() > 64) {
    index = t.freeSlots.front();
    t.freeSlots.pop_front();
  } else {
    index = (uint32_t)t.slots.size();
    if (index >= (1u << 20)) return nullptr;
    t.slots.push_back(Slot {});
    gHandleSlots = HandleSlots { t.slots.data(), (uint32_t)t.slots.size() };
  }
  Slot& s = t.slots[index];
  s.wnd = new Wnd;
  s.wnd->handle = (HWND)(uintptr_t)((s.gen << 22) | (index << 2));
  return s.wnd;
}

// The handle stops being valid at once; the record goes when the last running procedure returns.
void RetireWnd(Wnd* w) {
  Table& t = T();
  uintptr_t v = (uintptr_t)w->handle;
  uint32_t index = (uint32_t)((v >> 2) & 0xFFFFF);
  Slot& s = t.slots[index];
  if (s.wnd != w) return;
  s.wnd = nullptr;
  s.gen = s.gen % 511 + 1;
  t.freeSlots.push_back(index);
  w->dead = true;
  PaintStateChanged(w);
  if (w->pins > 0)
    t.zombies.insert(w);
  else
    delete w;
}

void ForEachWindow(const std::function<void(Wnd*)>& fn) {
  Table& t = T();
  for (size_t i = 2; i < t.slots.size(); ++i)
    if (Wnd* w = t.slots[i].wnd) fn(w);
}

void Pin::Bury(Wnd* w) {
  T().zombies.erase(w);
  delete w;
}

}  // namespace xj::wm
