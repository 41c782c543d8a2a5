// The box's operations, its clock and the lazy catch-up that moves the box to the present.

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "device/sim/BoxImpl.h"
#include "device/sim/FileName.h"

namespace kaldo {
namespace {

constexpr int32_t kMaxText = kTextBufferSize - 1;

}  // namespace

uint64_t MonotonicMs() {
  timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000 + static_cast<uint64_t>(ts.tv_nsec) / 1000000;
}

FaultKind TakeFault(Fault& f, int32_t* value) {
  if (f.failNext > 0) {
    --f.failNext;
    return FaultKind::Fail;
  }
  if (!f.values.empty()) {
    *value = f.values.front();
    f.values.erase(f.values.begin());
    return FaultKind::Value;
  }
  return FaultKind::None;
}

// ---- time ------------------------------------------------------------------------------------

void Box::Impl::CatchUpTo(uint64_t t) {
  // Events are applied in time order, and the audio of every recording is brought up to each
  // event first, so that what an event changes on a line is heard from exactly its time on.
  for (uint64_t due; (due = NextDue()) <= t;) {
    due = std::max(due, now);
    AdvanceAudio(due);
    now = due;
    RunDue();
  }
  AdvanceAudio(t);
  now = t;
}

uint64_t Box::Impl::NextDue() {
  if (!s->dueDirty) return s->nextDue;
  uint64_t m = kNever;
  for (const Line& l : s->lines) {
    m = std::min({ m, l.nextBurst, l.cidDue });
    if (l.rec) m = std::min(m, l.rec->EndMs());
  }
  if (s->open) {
    if (!s->timeline.empty()) m = std::min(m, s->openTime + s->timeline.begin()->first);
    if (!s->loop.empty()) m = std::min(m, s->openTime + s->loopCycle * s->loopPeriod + s->loop[s->loopIndex].first);
  }
  s->nextDue = m;
  s->dueDirty = false;
  return m;
}

void Box::Impl::RunDue() {
  for (int i = 0; i < kMaxLines; ++i) {
    Line& l = s->lines[i];
    if (l.cidDue <= now) {
      l.cidDue = kNever;
      if (l.ringing) l.cid.push_back(l.caller);
    }
    if (l.nextBurst <= now) Burst(i);
    if (l.rec && l.rec->EndMs() <= now) EndRecording(i);
  }
  while (s->open && !s->timeline.empty() && s->openTime + s->timeline.begin()->first <= now) {
    ScriptCommand c = std::move(s->timeline.begin()->second);
    s->timeline.erase(s->timeline.begin());
    Apply(c);
  }
  while (s->open && !s->loop.empty() &&
         s->openTime + s->loopCycle * s->loopPeriod + s->loop[s->loopIndex].first <= now) {
    const ScriptCommand& c = s->loop[s->loopIndex].second;
    if (++s->loopIndex == s->loop.size()) {
      s->loopIndex = 0;
      ++s->loopCycle;
    }
    Apply(c);
  }
  Touch();
}

void Box::Impl::Burst(int i) {
  Line& l = s->lines[i];
  l.nextBurst = kNever;
  if (!l.ringing) return;
  if (l.bursts >= kCallerPatience) {
    StopRinging(l);
    return;
  }
  ++l.bursts;
  l.ringLatch = true;
  l.bellUntil = now + kBurstOnMs;
  // The caller ID comes in the pause after the first burst, as on a real line.
  if (l.bursts == 1 && !l.caller.empty()) l.cidDue = now + kBurstOnMs;
  l.nextBurst = now + kBurstPeriodMs;
  Touch();
}

void Box::Impl::StopRinging(Line& l) {
  l.ringing = false;
  l.nextBurst = kNever;
  l.cidDue = kNever;
  l.bellUntil = std::min(l.bellUntil, now);
  Touch();
}

// ---- recordings ------------------------------------------------------------------------------

void Box::Impl::AdvanceAudio(uint64_t t) {
  if (s->recordings == 0) return;
  for (int i = 0; i < kMaxLines; ++i) {
    Line& l = s->lines[i];
    if (l.rec && !l.rec->Advance(l.rec->SampleAt(t), l.talking))
      FailRecording(i, std::string("cannot write '") + l.rec->Path() + "': " + std::strerror(errno));
  }
}

uint64_t Box::Impl::RecordLimitSamples(int32_t maxBytes) const {
  uint64_t limit = static_cast<uint64_t>(maxBytes) / 2;
  if (s->recordLimitMs > 0) limit = std::min(limit, s->recordLimitMs * (kSampleRate / 1000));
  return limit;
}

void Box::Impl::EndRecording(int i) {
  Line& l = s->lines[i];
  if (!l.rec) return;
  bool ok = l.rec->Advance(l.rec->SampleAt(now), l.talking);
  std::string path = l.rec->Path();
  ok = l.rec->Finish() && ok;
  int err = errno;
  l.rec.reset();
  --s->recordings;
  Touch();
  if (!ok) {
    l.recFailed = true;
    Message("kaldo: line " + std::to_string(i) + ": cannot finish '" + path + "': " + std::strerror(err));
  }
}

void Box::Impl::FailRecording(int i, const std::string& why) {
  Line& l = s->lines[i];
  l.rec->Finish();
  l.rec.reset();
  --s->recordings;
  l.recFailed = true;
  Touch();
  Message("kaldo: line " + std::to_string(i) + ": recording broken off: " + why);
}

void Box::Impl::FinishAll() {
  for (int i = 0; i < kMaxLines; ++i) EndRecording(i);
}

// ---- the lock-free path of quiet lines ---------------------------------------------------------

namespace {

std::atomic<uint64_t> gBoxIds { 0 };

// The tally this thread counts into, for the box of that id.
struct TallyCache {
  uint64_t box = 0;
  CallTally* tally = nullptr;
};
// Initial-exec: the library is loaded with dlopen, and the general model costs a call per access; the
// few bytes fit the static space the loader keeps for such libraries.
__attribute__((tls_model("initial-exec"))) thread_local TallyCache tTally;

bool NoFaults(const Fault (&faults)[kOpCount]) {
  return std::all_of(std::begin(faults), std::end(faults), [](const Fault& f) { return f.Empty(); });
}

}  // namespace

Box::Impl::Impl(Environment e) : env(e), id(++gBoxIds) {}

void Box::Impl::StateMutex::unlock() {
  FOwner.Publish();
  FMutex.unlock();
}

// A thread's first quiet call on this box makes its tally. Kept out of line: the counting path is then
// a few instructions, with no registers to save.
void Box::Impl::NewTally() {
  std::lock_guard lock(tallyMutex);
  tallies.push_back(std::make_unique<CallTally>());
  tTally = { id, tallies.back().get() };
}

[[gnu::always_inline]] inline void Box::Impl::CountQuietCall() {
  if (tTally.box != id) NewTally();
  // Only this thread writes its tally: a plain increment, published for CallsSoFar.
  std::atomic<uint64_t>& n = tTally.tally->calls;
  n.store(n.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

inline uint32_t Box::Impl::QuietBits(int32_t line) {
  if (line < 0 || line >= kMaxLines || alarm.Raised()) return 0;
  const uint32_t bits = quiet[line].load(std::memory_order_acquire);
  if (bits & kQuiet) CountQuietCall();
  return bits & kQuiet ? bits : 0;
}

uint64_t Box::Impl::CallsSoFar() {
  std::lock_guard lock(tallyMutex);
  uint64_t n = 0;
  for (const auto& t : tallies) n += t->calls.load(std::memory_order_relaxed);
  return s->logSeq + n - talliedAtReset;
}

bool Box::Impl::LineQuiet(int i) const {
  const Line& l = s->lines[i];
  return ValidLine(i) && !l.ringLatch && l.cid.empty() && l.dtmf.empty() && (!s->faultsInjected || NoFaults(l.faults));
}

void Box::Impl::Publish() {
  const bool eligible = !clock && s->open && !callLogging && !s->levelMode && s->recordings == 0 &&
                        (!s->faultsInjected || NoFaults(s->boxFaults));
  if (!eligible) {
    alarm.Raise();
    if (anyQuiet)
      for (auto& q : quiet) q.store(0, std::memory_order_release);
    anyQuiet = false;
    return;
  }
  for (int i = 0; i < kMaxLines; ++i) {
    const Line& l = s->lines[i];
    const uint32_t bits = i < s->lineCount && LineQuiet(i)
                              ? kQuiet | (l.disconnected ? kDisconnected : 0) | (l.offHook ? kOffHook : 0)
                              : 0;
    // Unchanged bits are not written again: a line that other threads read stays shared in their caches.
    if (quiet[i].load(std::memory_order_relaxed) != bits) quiet[i].store(bits, std::memory_order_release);
  }
  anyQuiet = true;
  const uint64_t due = NextDue();
  // Box time runs clockOffset ahead of the monotonic clock.
  alarm.Arm(due == kNever ? kNever : due - clockOffset);
}

// ---- the call log and messages ---------------------------------------------------------------

void Box::Impl::Keep(CallRecord&& rec) {
  rec.seq = CallsSoFar();
  ++s->logSeq;
  s->log.push_back(std::move(rec));
  if (s->log.size() > kCallLogCapacity) s->log.pop_front();
}

void Box::Impl::Message(const std::string& text) {
  if (sink)
    sink(text);
  else
    std::fprintf(stderr, "%s\n", text.c_str());
}

// ---- Box -------------------------------------------------------------------------------------

Box::Box(Environment env) : FImpl(std::make_unique<Impl>(env)) {}

Box::~Box() {
  StopControl();
  std::lock_guard lock(FImpl->FMutex);
  FImpl->CatchUp();
  FImpl->FinishAll();
}

int32_t Box::DevOpen() {
  Impl& m = *FImpl;
  bool opened = false;
  int32_t result = -1;
  {
    std::lock_guard lock(m.FMutex);
    m.CatchUp();
    CallRecord rec;
    rec.timeMs = m.now;
    rec.ordinal = kDevOpen;
    rec.open = m.s->open;
    int32_t value = 0;
    if (m.s->open) {
      FaultKind kind = TakeFault(m.s->boxFaults[static_cast<int>(Op::Open)], &value);
      result = kind == FaultKind::Fail ? -1 : kind == FaultKind::Value ? value : 0;
    } else {
      // The scenario comes first, so that it can script a box that does not open.
      m.LoadScenarioAtOpen();
      FaultKind kind = TakeFault(m.s->boxFaults[static_cast<int>(Op::Open)], &value);
      if (kind == FaultKind::Fail || (kind == FaultKind::Value && value == -1)) {
        m.s->timeline.clear();
        m.s->loop.clear();
      } else {
        m.s->open = opened = true;
        m.s->openTime = m.now;
        m.s->loopCycle = m.s->loopIndex = 0;
        result = kind == FaultKind::Value ? value : 0;
      }
      m.Touch();
    }
    rec.result = result;
    m.Log(std::move(rec));
  }
  if (opened && m.env == Environment::Use) {
    const char* path = std::getenv("KALDO_CONTROL");
    if (!path || *path) {
      std::string error;
      if (!StartControl(path ? path : DefaultControlPath(), &error)) {
        std::lock_guard lock(m.FMutex);
        m.Message("kaldo: control socket: " + error + " (the box runs without one)");
      }
    }
  }
  return result;
}

int32_t Box::DevClose() {
  bool closed = false;
  int32_t r = FImpl->Call(kDevClose, Op::Close, -1, true, {}, {}, [&](std::string*) {
    FImpl->FinishAll();
    FImpl->s->open = false;
    FImpl->s->timeline.clear();
    FImpl->s->loop.clear();
    FImpl->Touch();
    closed = true;
    return 0;
  });
  if (closed && FImpl->env == Environment::Use) StopControl();
  return r;
}

int32_t Box::DevGetLineCount() {
  return FImpl->Call(kDevGetLineCount, Op::Count, -1, true, {}, {}, [&](std::string*) { return FImpl->s->lineCount; });
}

int32_t Box::DevSetDeviceType(int32_t type) {
  return FImpl->Call(kDevSetDeviceType, Op::Type, -1, type >= 1 && type <= 3, { type }, {}, [&](std::string*) {
    FImpl->s->deviceType = type;
    return 0;
  });
}

int32_t Box::DevGetSerialNumber(int32_t index) {
  return FImpl->Call(kDevGetSerialNumber, Op::Serial, -1, index == 0, { index }, {},
                     [&](std::string*) { return FImpl->s->serial; });
}

// The queries: the quiet path inline, the locked one out of line, so that the quiet one saves no
// registers it does not use.

int32_t Box::DevGetLineState(int32_t line) {
  if (const uint32_t q = FImpl->QuietBits(line)) return q & Impl::kDisconnected ? 1 : 0;
  return FImpl->LineState(line);
}

int32_t Box::DevGetHookState(int32_t line) {
  if (const uint32_t q = FImpl->QuietBits(line)) return q & Impl::kOffHook ? 1 : 0;
  return FImpl->HookState(line);
}

int32_t Box::DevGetRing(int32_t line) {
  if (FImpl->QuietBits(line)) return 0;
  return FImpl->Ring(line);
}

int32_t Box::DevGetCallerId(int32_t line, char* buffer) {
  if (buffer && FImpl->QuietBits(line)) return 0;
  return FImpl->CallerId(line, buffer);
}

int32_t Box::DevGetDtmf(int32_t line, char* buffer) {
  if (buffer && FImpl->QuietBits(line)) return 0;
  return FImpl->Dtmf(line, buffer);
}

int32_t Box::Impl::LineState(int32_t line) {
  return Call(kDevGetLineState, Op::State, line, true, { line }, {},
              [&](std::string*) { return s->lines[line].disconnected ? 1 : 0; });
}

int32_t Box::Impl::HookState(int32_t line) {
  return Call(kDevGetHookState, Op::Hook, line, true, { line }, {},
              [&](std::string*) { return s->lines[line].offHook ? 1 : 0; });
}

int32_t Box::Impl::Ring(int32_t line) {
  return Call(kDevGetRing, Op::Ring, line, true, { line }, {}, [&](std::string*) {
    Line& l = s->lines[line];
    if (s->levelMode) return now < l.bellUntil ? 1 : 0;
    int32_t r = l.ringLatch ? 1 : 0;
    l.ringLatch = false;
    return r;
  });
}

int32_t Box::Impl::CallerId(int32_t line, char* buffer) {
  return Call(kDevGetCallerId, Op::Cid, line, buffer != nullptr, { line, 0 }, {}, [&](std::string* written) {
    Line& l = s->lines[line];
    if (l.cid.empty()) return 0;
    std::string text = std::move(l.cid.front());
    l.cid.pop_front();
    int32_t n = std::min<int32_t>(static_cast<int32_t>(text.size()), kMaxText);
    std::memcpy(buffer, text.data(), static_cast<size_t>(n));
    if (written) written->assign(text, 0, static_cast<size_t>(n));
    return n;
  });
}

int32_t Box::Impl::Dtmf(int32_t line, char* buffer) {
  return Call(kDevGetDtmf, Op::Dtmf, line, buffer != nullptr, { line, 0 }, {}, [&](std::string* written) {
    // Digits beyond what the buffer takes stay queued for the next call.
    std::string& q = s->lines[line].dtmf;
    if (q.empty()) return 0;
    int32_t n = std::min<int32_t>(static_cast<int32_t>(q.size()), kMaxText);
    std::memcpy(buffer, q.data(), static_cast<size_t>(n));
    if (written) written->assign(q, 0, static_cast<size_t>(n));
    q.erase(0, static_cast<size_t>(n));
    return n;
  });
}

int32_t Box::DevStartRecord(int32_t line, const char* gbkName, int32_t maxBytes) {
  bool argsValid = gbkName != nullptr && *gbkName != '\0' && maxBytes > 0;
  Impl& m = *FImpl;
  return m.Call(kDevStartRecord, Op::Start, line, argsValid, { line, 0, maxBytes }, gbkName ? gbkName : "",
                [&](std::string*) {
                  std::string where = "kaldo: line " + std::to_string(line) + ": ";
                  std::optional<std::string> path = GbkFileNameToUtf8(gbkName);
                  if (!path) {
                    m.Message(where + "the file name is not valid GBK text");
                    return -1;
                  }
                  // Starting again on a recording line finishes the running recording first.
                  m.EndRecording(line);
                  Line& l = m.s->lines[line];
                  l.recFailed = false;
                  std::string error;
                  l.rec = Recording::Create(*path, m.now, m.RecordLimitSamples(maxBytes), &error);
                  if (!l.rec) {
                    m.Message(where + error);
                    return -1;
                  }
                  l.recMaxBytes = maxBytes;
                  ++m.s->recordings;
                  m.Touch();
                  return 0;
                });
}

int32_t Box::DevStopRecord(int32_t line) {
  return FImpl->Call(kDevStopRecord, Op::Stop, line, true, { line }, {}, [&](std::string*) {
    Line& l = FImpl->s->lines[line];
    if (!l.rec) return 0;
    FImpl->EndRecording(line);
    // The file is closed either way; a final write that failed is still reported.
    if (l.recFailed) {
      l.recFailed = false;
      return -1;
    }
    return 0;
  });
}

int32_t Box::DevGetRecordState(int32_t line) {
  return FImpl->Call(kDevGetRecordState, Op::RecState, line, true, { line }, {}, [&](std::string*) {
    Line& l = FImpl->s->lines[line];
    if (l.rec) return 1;
    if (l.recFailed) {
      l.recFailed = false;
      return -1;
    }
    return 0;
  });
}

void Box::SetClock(ClockFn nowMs, void* ctx) {
  Impl& m = *FImpl;
  std::lock_guard lock(m.FMutex);
  uint64_t before = m.clockRead ? std::max(m.now, m.ReadClock()) : 0;
  m.clock = nowMs;
  m.clockCtx = ctx;
  m.clockOffset = 0;
  if (m.clockRead) m.clockOffset = before - m.ReadClock();
}

uint64_t Box::Now() {
  std::lock_guard lock(FImpl->FMutex);
  FImpl->CatchUp();
  return FImpl->now;
}

void Box::SetCallLogging(bool on) {
  std::lock_guard lock(FImpl->FMutex);
  FImpl->callLogging = on;
}

std::vector<CallRecord> Box::CallLog() {
  std::lock_guard lock(FImpl->FMutex);
  return { FImpl->s->log.begin(), FImpl->s->log.end() };
}

void Box::ClearCallLog() {
  std::lock_guard lock(FImpl->FMutex);
  FImpl->s->log.clear();
}

bool Box::StartControl(const std::string& path, std::string* error) {
  Impl& m = *FImpl;
  std::lock_guard controlLock(m.FControlMutex);
  // The socket's deadlines are kept for real clients in real time, whatever clock the box runs on.
  bool ok = m.control.Start(
      path, [&m](std::string_view line) { return m.ControlLine(line); }, &MonotonicMs, error);
  std::lock_guard lock(m.FMutex);
  m.s->controlPath = ok ? path : std::string();
  return ok;
}

void Box::StopControl() {
  Impl& m = *FImpl;
  std::lock_guard controlLock(m.FControlMutex);
  m.control.Stop();
  std::lock_guard lock(m.FMutex);
  m.s->controlPath.clear();
}

void Box::SetMessageSink(std::function<void(std::string_view)> sink) {
  std::lock_guard lock(FImpl->FMutex);
  FImpl->sink = std::move(sink);
}

void Box::Reset() {
  StopControl();
  std::lock_guard lock(FImpl->FMutex);
  FImpl->CatchUp();
  FImpl->FinishAll();
  FImpl->s = std::make_unique<State>();
  FImpl->scenario.reset();
  std::lock_guard tallyLock(FImpl->tallyMutex);
  FImpl->talliedAtReset = 0;
  for (const auto& t : FImpl->tallies) FImpl->talliedAtReset += t->calls.load(std::memory_order_relaxed);
}

}  // namespace kaldo
