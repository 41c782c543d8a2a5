#pragma once
// The inside of the simulated box: its lines, timeline and call log, shared by the files of the
// simulator. Everything in State is guarded by Box::Impl::FMutex.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "device/KaldoSim.h"
#include "device/sim/Alarm.h"
#include "device/sim/Control.h"
#include "device/sim/Recording.h"
#include "device/sim/Scenario.h"

namespace kaldo {

constexpr uint64_t kNever = UINT64_MAX;

constexpr uint64_t kBurstOnMs = 1000;      // a ring burst: about a second of bell...
constexpr uint64_t kBurstPeriodMs = 5000;  // ...then four of silence
constexpr int kCallerPatience = 6;         // bursts before an unanswered caller gives up
constexpr size_t kCallLogCapacity = 1 << 16;

// Injected results for one operation (on one line, or box-wide).
struct Fault {
  int32_t failNext = 0;  // the next N calls return -1
  // Then the next calls return these, one each. A vector: an empty one allocates nothing, and a box
  // holds hundreds of these from the moment it is made.
  std::vector<int32_t> values;
  bool Empty() const { return failNext == 0 && values.empty(); }
};

struct Line {
  bool disconnected = false;
  bool offHook = false;
  bool ringLatch = false;  // a burst began and DevGetRing has not reported it yet
  uint64_t bellUntil = 0;  // the bell sounds while box time is below this
  bool ringing = false;    // an incoming call rings
  bool talking = false;    // an answered call: the far end talks
  int bursts = 0;
  uint64_t nextBurst = kNever;
  uint64_t cidDue = kNever;
  std::string caller;
  std::deque<std::string> cid;
  std::string dtmf;
  std::unique_ptr<Recording> rec;
  int32_t recMaxBytes = 0;
  bool recFailed = false;  // the last recording broke off: DevGetRecordState reports -1 once
  Fault faults[kOpCount];
};

struct State {
  bool open = false;
  uint64_t openTime = 0;
  int32_t deviceType = 0;  // 0: never set
  int32_t lineCount = kDefaultLineCount;
  int32_t serial = kDefaultSerial;
  bool levelMode = false;
  uint64_t recordLimitMs = 0;  // 0: none
  Line lines[kMaxLines];
  Fault boxFaults[kOpCount];
  std::multimap<uint64_t, ScriptCommand> timeline;       // key: ms after DevOpen; equal keys keep their order
  std::vector<std::pair<uint64_t, ScriptCommand>> loop;  // the demonstration, repeated every loopPeriod
  uint64_t loopPeriod = 0;
  uint64_t loopCycle = 0;
  size_t loopIndex = 0;
  int recordings = 0;
  std::deque<CallRecord> log;
  uint64_t logSeq = 0;
  bool dueDirty = true;
  uint64_t nextDue = kNever;
  // Whether a fault was ever injected: until then no line has one, and nobody need look.
  bool faultsInjected = false;
  std::string controlPath;
};

// A thread's count of the calls it answered without the lock, for one box.
struct CallTally {
  std::atomic<uint64_t> calls { 0 };
};

struct Box::Impl {
  explicit Impl(Environment e);

  // The lock of a box's state. Letting go of it publishes what the queries of quiet lines may answer
  // without it (Publish), so every change made under the lock is seen by the lock-free path.
  class StateMutex {
   public:
    explicit StateMutex(Impl& owner) : FOwner(owner) {}
    void lock() { FMutex.lock(); }
    void unlock();

   private:
    std::mutex FMutex;
    Impl& FOwner;
  };

  // The lock-free path of the queries, on the real clock only. A line is quiet when the box is open,
  // logs no calls, rings in event mode, records nothing, has no injected results, and the line (a valid
  // one) has no ring, caller ID or DTMF waiting: its queries then only read its hook and connection
  // state, until time-driven work is due (the alarm says when) or the next change under the lock. A
  // clock handed in is read under the lock alone, so that once SetClock returns the clock it replaced
  // is never called again.
  static constexpr uint32_t kQuiet = 1, kDisconnected = 2, kOffHook = 4;
  // The line's bits, or 0 when its queries must take the lock. Defined, with what it calls, where the
  // queries are, which alone use it.
  uint32_t QuietBits(int32_t line);
  void CountQuietCall();
  [[gnu::noinline, gnu::cold]] void NewTally();
  // Calls made so far (both paths), from the last Reset.
  uint64_t CallsSoFar();
  void Publish();  // lock held

  // Lock held for all of these.
  // Moves the box to the present. Nearly free when nothing is due and nothing records (the poll's
  // usual case): a clock read and three compares.
  void CatchUp() {
    const uint64_t t = std::max(now, ReadClock());
    if (s->recordings == 0 && !s->dueDirty && s->nextDue > t)
      now = t;
    else
      CatchUpTo(t);
  }
  void CatchUpTo(uint64_t t);
  uint64_t ReadClock() {
    clockRead = true;
    return (clock ? clock(clockCtx) : MonotonicMs()) + clockOffset;
  }
  uint64_t NextDue();
  void RunDue();
  void AdvanceAudio(uint64_t t);
  void Burst(int i);
  void Apply(const ScriptCommand& c);
  void ApplyToLine(const ScriptCommand& c, int i);
  void Schedule(const TimedCommand& tc);
  std::vector<ScenarioError> RunText(std::string_view text, bool loop);
  void LoadScenarioAtOpen();
  void EndRecording(int i);
  void FailRecording(int i, const std::string& why);
  void FinishAll();
  void StopRinging(Line& l);
  uint64_t RecordLimitSamples(int32_t maxBytes) const;
  bool ValidLine(int32_t line) const { return line >= 0 && line < kMaxLines && line < s->lineCount; }
  // Counts the call; keeps its record only while logging is on.
  void Log(CallRecord&& rec) {
    if (callLogging)
      Keep(std::move(rec));
    else
      ++s->logSeq;
  }
  void Keep(CallRecord&& rec);
  bool LineQuiet(int i) const;
  void Message(const std::string& text);
  std::string StatusText();
  void Touch() { s->dueDirty = true; }

  // Takes the lock.
  std::string ControlLine(std::string_view line);
  // The queries' locked path.
  [[gnu::noinline]] int32_t LineState(int32_t line);
  [[gnu::noinline]] int32_t HookState(int32_t line);
  [[gnu::noinline]] int32_t Ring(int32_t line);
  [[gnu::noinline]] int32_t CallerId(int32_t line, char* buffer);
  [[gnu::noinline]] int32_t Dtmf(int32_t line, char* buffer);
  bool CommandLine(std::string_view line, std::string* error);

  // One operation: validation, then faults, then the body; logged.
  template <class Body>
  int32_t Call(uint32_t ordinal, Op op, int line, bool argsValid, std::initializer_list<int32_t> args,
               std::string_view text, Body&& body);
  // Validation, then faults, then the body.
  template <class Body>
  int32_t Perform(Op op, int line, bool argsValid, Body& body, std::string* written);

  const Environment env;
  StateMutex FMutex { *this };
  ClockFn clock = nullptr;  // null: the monotonic clock
  void* clockCtx = nullptr;
  uint64_t clockOffset = 0;  // added (mod 2^64) to the clock so that box time stays continuous
  bool clockRead = false;
  uint64_t now = 0;
  bool callLogging = false;
  std::optional<std::string> scenario;
  std::function<void(std::string_view)> sink;
  std::unique_ptr<State> s = std::make_unique<State>();

  // Published on every unlock; see QuietBits.
  std::atomic<uint32_t> quiet[kMaxLines] {};
  bool anyQuiet = false;
  Alarm alarm;
  // The calls answered without the lock, counted per thread so that counting costs no atomic
  // read-modify-write; the tallies live as long as the box. Guarded by tallyMutex.
  const uint64_t id;
  std::mutex tallyMutex;
  std::vector<std::unique_ptr<CallTally>> tallies;
  uint64_t talliedAtReset = 0;

  // The control socket has its own lock, taken before FMutex and never while holding it, because
  // stopping the server waits for its thread, which may be waiting for FMutex.
  std::mutex FControlMutex;
  ControlServer control;
};

enum class FaultKind { None, Fail, Value };
FaultKind TakeFault(Fault& f, int32_t* value);

template <class Body>
int32_t Box::Impl::Call(uint32_t ordinal, Op op, int line, bool argsValid, std::initializer_list<int32_t> args,
                        std::string_view text, Body&& body) {
  std::lock_guard lock(FMutex);
  CatchUp();
  if (!callLogging) {
    // No record at all (even an empty one costs more than the call).
    ++s->logSeq;
    return Perform(op, line, argsValid, body, nullptr);
  }
  CallRecord rec;
  rec.timeMs = now;
  rec.ordinal = ordinal;
  rec.argCount = static_cast<int>(args.size());
  int k = 0;
  for (int32_t a : args) rec.args[k++] = a;
  rec.text = text;
  rec.open = s->open;
  // The bodies add the text they wrote to the record.
  const int32_t result = Perform(op, line, argsValid, body, &rec.text);
  rec.result = result;
  Keep(std::move(rec));
  return result;
}

template <class Body>
int32_t Box::Impl::Perform(Op op, int line, bool argsValid, Body& body, std::string* written) {
  if (!argsValid || !s->open || (IsLineOp(op) && !ValidLine(line))) return -1;
  Fault& f = IsLineOp(op) ? s->lines[line].faults[static_cast<int>(op)] : s->boxFaults[static_cast<int>(op)];
  if (f.Empty()) return body(written);
  int32_t value = 0;
  const FaultKind kind = TakeFault(f, &value);
  // An injected -1 is a failure: the operation does nothing, so nothing is consumed or lost.
  if (kind == FaultKind::None) return body(written);
  if (kind == FaultKind::Value && value != -1) {
    body(written);
    return value;
  }
  return -1;
}

}  // namespace kaldo
