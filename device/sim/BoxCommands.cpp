// What the command words do to the box, scenarios, and the box's state as text.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "device/sim/BoxImpl.h"

namespace kaldo {
namespace {

const char* TypeName(int32_t type) {
  switch (type) {
    case 1:
      return "VX1/CID1";
    case 2:
      return "VX2/CID2";
    case 3:
      return "KM1";
    default:
      return "not set";
  }
}

std::string Seconds(uint64_t ms) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f s", static_cast<double>(ms) / 1000);
  return buf;
}

bool ReadFile(const char* path, std::string& out, std::string* error) {
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  struct stat st;
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    *error = fd < 0 ? std::strerror(errno) : "not a regular file";
    if (fd >= 0) ::close(fd);
    return false;
  }
  out.clear();
  char chunk[4096];
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) *error = std::strerror(errno);
    if (n <= 0) {
      ::close(fd);
      return n == 0;
    }
    out.append(chunk, static_cast<size_t>(n));
  }
}

bool Busy(const Line& l) {
  return l.disconnected || l.offHook || l.ringing || l.talking || l.ringLatch || !l.cid.empty() || !l.dtmf.empty() ||
         l.rec || l.recFailed;
}

// A caller's number or queued digits as the status shows them: a very long one (from a scenario file,
// say) by its start and its length, so that no status line outgrows what kaldoctl takes.
std::string Shown(const std::string& text, const std::string& quote = "") {
  constexpr size_t kShown = 1000;
  std::string s = quote + text.substr(0, kShown) + quote;
  if (text.size() > kShown) s += "... (" + std::to_string(text.size()) + " bytes)";
  return s;
}

std::string FaultText(const Fault& f) {
  std::string t;
  if (f.failNext > 0) t = "fail next " + std::to_string(f.failNext);
  if (!f.values.empty()) {
    t += t.empty() ? "values" : ", then values";
    for (int32_t v : f.values) (t += ' ') += std::to_string(v);
  }
  return t;
}

}  // namespace

void Box::Impl::Apply(const ScriptCommand& c) {
  Touch();
  switch (c.verb) {
    case Verb::Lines:
      s->lineCount = static_cast<int32_t>(c.number);
      return;
    case Verb::Serial:
      s->serial = static_cast<int32_t>(c.number);
      return;
    case Verb::RingMode:
      s->levelMode = c.number != 0;
      for (Line& l : s->lines) l.ringLatch = false;
      return;
    case Verb::RecordLimit:
      s->recordLimitMs = static_cast<uint64_t>(c.number);
      for (Line& l : s->lines)
        if (l.rec) l.rec->SetLimitSamples(std::max(l.rec->Samples(), RecordLimitSamples(l.recMaxBytes)));
      return;
    case Verb::Fail:
    case Verb::Value:
      if (!IsLineOp(c.op)) {
        ApplyToLine(c, -1);
        return;
      }
      break;
    default:
      break;
  }
  if (c.line != kAllLines)
    ApplyToLine(c, c.line);
  else
    for (int i = 0; i < kMaxLines; ++i) ApplyToLine(c, i);
}

void Box::Impl::ApplyToLine(const ScriptCommand& c, int i) {
  if (c.verb == Verb::Fail || c.verb == Verb::Value) {
    Fault& f = i < 0 ? s->boxFaults[static_cast<int>(c.op)] : s->lines[i].faults[static_cast<int>(c.op)];
    s->faultsInjected = true;
    if (c.verb == Verb::Fail)
      f.failNext = static_cast<int32_t>(c.number);
    else
      f.values.push_back(static_cast<int32_t>(c.number));
    return;
  }
  Line& l = s->lines[i];
  switch (c.verb) {
    case Verb::Ring:
      if (l.disconnected) return;
      l.ringLatch = true;
      l.bellUntil = std::max(l.bellUntil, now + kBurstOnMs);
      return;
    case Verb::Call:
      // A caller reaches a line only when it is plugged in, on hook and not already ringing.
      if (l.disconnected || l.offHook || l.ringing) return;
      l.ringing = true;
      l.bursts = 0;
      l.caller = c.text;
      Burst(i);
      return;
    case Verb::Hangup:
      StopRinging(l);
      l.talking = false;
      return;
    case Verb::OffHook:
      l.offHook = true;
      if (l.ringing) {
        StopRinging(l);
        l.talking = true;
      }
      return;
    case Verb::OnHook:
      l.offHook = false;
      l.talking = false;
      return;
    case Verb::Disconnect:
      l.disconnected = true;
      StopRinging(l);
      l.talking = false;
      return;
    case Verb::Connect:
      l.disconnected = false;
      return;
    case Verb::Cid:
      l.cid.push_back(c.text);
      return;
    case Verb::Dtmf:
      l.dtmf += c.text;
      if (l.rec) l.rec->AddDtmf(c.text, l.rec->SampleAt(now));
      return;
    default:
      return;
  }
}

void Box::Impl::Schedule(const TimedCommand& tc) {
  if (tc.timed) {
    s->timeline.emplace(tc.at, tc.command);
    Touch();
  } else {
    Apply(tc.command);
  }
}

std::vector<ScenarioError> Box::Impl::RunText(std::string_view text, bool loop) {
  std::vector<ScenarioError> errors;
  std::vector<TimedCommand> cmds = ParseScenario(text, errors);
  for (TimedCommand& tc : cmds) {
    if (loop && tc.timed)
      s->loop.emplace_back(tc.at, std::move(tc.command));
    else
      Schedule(tc);
  }
  if (loop && !s->loop.empty()) {
    std::stable_sort(s->loop.begin(), s->loop.end(), [](auto& a, auto& b) { return a.first < b.first; });
    s->loopPeriod = std::max<uint64_t>(kDemoPeriodMs, s->loop.back().first + 1);
    s->loopCycle = s->loopIndex = 0;
  }
  Touch();
  return errors;
}

void Box::Impl::LoadScenarioAtOpen() {
  std::string name, text;
  bool loop = false;
  if (scenario) {
    name = "(set by the program)";
    text = *scenario;
  } else if (env == Environment::Use) {
    const char* path = std::getenv("KALDO_SCENARIO");
    if (!path) {
      name = "(built-in demonstration)";
      text = DemoScenario();
      loop = true;
    } else if (*path) {
      name = path;
      std::string error;
      if (!ReadFile(path, text, &error)) {
        Message("kaldo: cannot read the scenario '" + name + "': " + error);
        return;
      }
    }
  }
  for (const ScenarioError& e : RunText(text, loop))
    Message("kaldo: scenario " + name + " line " + std::to_string(e.line) + ": " + e.message);
}

bool Box::Impl::CommandLine(std::string_view line, std::string* error) {
  std::string err;
  std::optional<TimedCommand> tc = ParseCommandLine(line, &err);
  if (!tc) {
    if (err.empty()) err = "empty command";
    if (error) *error = err;
    return false;
  }
  std::lock_guard lock(FMutex);
  CatchUp();
  Schedule(*tc);
  return true;
}

std::string Box::Impl::ControlLine(std::string_view line) {
  std::string_view t = line;
  while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t' || t.back() == '\r')) t.remove_suffix(1);
  if (t.empty() || t.front() == '#') return "ok\n";
  if (t.starts_with("status") && (t.size() == 6 || t[6] == ' ' || t[6] == '\t')) {
    if (t.size() > 6) return "error: expected: status\n";
    std::lock_guard lock(FMutex);
    CatchUp();
    return StatusText() + "ok\n";
  }
  std::string error;
  // The untrimmed line, so that a caller-ID text keeps its blanks.
  if (!CommandLine(line, &error)) return "error: " + error + "\n";
  return "ok\n";
}

std::string Box::Impl::StatusText() {
  std::ostringstream o;
  o << "box: " << (s->open ? "open " + Seconds(now - s->openTime) : std::string("closed")) << ", type "
    << TypeName(s->deviceType) << ", lines " << s->lineCount << ", serial " << s->serial << ", ring mode "
    << (s->levelMode ? "level" : "event") << ", record limit "
    << (s->recordLimitMs ? std::to_string(s->recordLimitMs) + " ms" : std::string("none")) << "\n";
  if (!s->timeline.empty())
    o << "timeline: " << s->timeline.size() << " command(s) pending, next at " << s->timeline.begin()->first << " ms\n";
  if (!s->loop.empty()) o << "demonstration: repeats every " << Seconds(s->loopPeriod) << "\n";
  if (!s->controlPath.empty()) o << "control: " << s->controlPath << "\n";
  for (int i = 0; i < kMaxLines; ++i) {
    const Line& l = s->lines[i];
    if (i >= s->lineCount && !Busy(l)) continue;
    o << "line " << i << ": " << (l.disconnected ? "disconnected" : "connected") << ", "
      << (l.offHook ? "off hook" : "on hook");
    if (l.ringing)
      o << ", call ringing (burst " << l.bursts << " of " << kCallerPatience
        << (l.caller.empty() ? "" : ", caller " + Shown(l.caller)) << ")";
    if (l.talking) o << ", call answered";
    if (now < l.bellUntil) o << ", bell on";
    if (l.ringLatch) o << ", ring not yet read";
    if (!l.cid.empty()) o << ", caller IDs queued " << l.cid.size();
    if (!l.dtmf.empty()) o << ", DTMF queued " << Shown(l.dtmf, "\"");
    if (l.rec) o << ", recording '" << l.rec->Path() << "' " << Seconds(l.rec->Samples() / (kSampleRate / 1000));
    if (l.recFailed) o << ", last recording broke off";
    o << "\n";
    for (int op = 0; op < kOpCount; ++op)
      if (!l.faults[op].Empty())
        o << "  fault " << OpWord(static_cast<Op>(op)) << ": " << FaultText(l.faults[op]) << "\n";
  }
  for (int op = 0; op < kOpCount; ++op)
    if (!s->boxFaults[op].Empty())
      o << "fault " << OpWord(static_cast<Op>(op)) << ": " << FaultText(s->boxFaults[op]) << "\n";
  o << "calls: " << CallsSoFar() << "\n";
  return o.str();
}

// ---- Box -------------------------------------------------------------------------------------

bool Box::Command(std::string_view line, std::string* error) { return FImpl->CommandLine(line, error); }

std::vector<ScenarioError> Box::RunScenario(std::string_view text) {
  std::lock_guard lock(FImpl->FMutex);
  FImpl->CatchUp();
  return FImpl->RunText(text, false);
}

void Box::SetScenario(std::string text) {
  std::lock_guard lock(FImpl->FMutex);
  FImpl->scenario = std::move(text);
}

void Box::ClearScenario() {
  std::lock_guard lock(FImpl->FMutex);
  FImpl->scenario.reset();
}

std::string Box::ControlLine(std::string_view line) { return FImpl->ControlLine(line); }

std::string Box::Status() {
  std::lock_guard lock(FImpl->FMutex);
  FImpl->CatchUp();
  return FImpl->StatusText();
}

void Box::QueueCallerId(int line, std::string bytes) {
  if (line < 0 || line >= kMaxLines) return;
  std::lock_guard lock(FImpl->FMutex);
  FImpl->CatchUp();
  FImpl->s->lines[line].cid.push_back(std::move(bytes));
}

void Box::QueueDtmf(int line, std::string digits) {
  if (line < 0 || line >= kMaxLines) return;
  ScriptCommand c;
  c.verb = Verb::Dtmf;
  c.line = line;
  c.text = std::move(digits);
  std::lock_guard lock(FImpl->FMutex);
  FImpl->CatchUp();
  FImpl->ApplyToLine(c, line);
}

}  // namespace kaldo
