#pragma once
// The simulated recorder box, driven in-process. The device library (libkaldo.so) wraps one Box
// behind its exported operations; tests and tools may create boxes of their own.
//
// All time-driven work (ring bursts, caller IDs, recording audio, timed scenario commands) is done
// lazily, as a function of the box's clock, whenever the box is called. Under a manual clock a
// scripted run is therefore fully deterministic. Every member is safe to call from any thread.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kaldo {

// The ordinals under which the device library exports its operations.
enum Ordinal : uint32_t {
  kDevOpen = 1,
  kDevClose = 2,
  kDevGetLineCount = 3,
  kDevGetHookState = 11,
  kDevGetDtmf = 22,
  kDevGetCallerId = 23,
  kDevStartRecord = 24,
  kDevStopRecord = 25,
  kDevGetRecordState = 26,
  kDevGetSerialNumber = 33,
  kDevGetLineState = 37,
  kDevGetRing = 38,
  kDevSetDeviceType = 66,
};

constexpr int kMaxLines = 32;             // physical lines the box models: 0..31
constexpr int kTextBufferSize = 160;      // the caller's caller-ID / DTMF buffer; at most 159 bytes are written
constexpr int kSampleRate = 8000;         // recordings: PCM, 16-bit, mono, at this rate
constexpr int32_t kDefaultLineCount = 8;  // what a fresh box reports until told otherwise
constexpr int32_t kDefaultSerial = 12345678;

using ClockFn = uint64_t (*)(void* ctx);

// One call of an operation, as the call log keeps it.
struct CallRecord {
  uint64_t seq = 0;     // position in call order, from 0; never reused
  uint64_t timeMs = 0;  // the box's clock at the call
  uint32_t ordinal = 0;
  int argCount = 0;
  int32_t args[3] = { 0, 0, 0 };  // integer arguments in order; a pointer argument is logged as 0
  std::string text;               // DevStartRecord: the name passed; caller ID / DTMF: the bytes written
  int32_t result = 0;
  bool open = false;  // the box was open when the call came in
};

struct ScenarioError {
  int line = 0;  // 1-based line of the scenario text
  std::string message;
};

class Box {
 public:
  // Use: DevOpen reads KALDO_SCENARIO (unset: the built-in demonstration; empty: none) and opens the
  // control socket named by KALDO_CONTROL (unset: DefaultControlPath(); empty: none), DevClose shuts
  // it. Ignore: neither; the box starts quiet and is driven through this interface.
  enum class Environment { Ignore, Use };

  explicit Box(Environment env = Environment::Ignore);
  ~Box();  // finishes every recording
  Box(const Box&) = delete;
  Box& operator=(const Box&) = delete;

  // The device library's operations: 32-bit arguments and results, -1 for failure.
  int32_t DevOpen();
  int32_t DevClose();
  int32_t DevGetLineCount();
  int32_t DevSetDeviceType(int32_t type);
  int32_t DevGetSerialNumber(int32_t index);
  int32_t DevGetLineState(int32_t line);
  int32_t DevGetHookState(int32_t line);
  int32_t DevGetRing(int32_t line);
  int32_t DevGetCallerId(int32_t line, char* buffer);  // buffer of kTextBufferSize bytes
  int32_t DevGetDtmf(int32_t line, char* buffer);
  int32_t DevStartRecord(int32_t line, const char* gbkName, int32_t maxBytes);
  int32_t DevStopRecord(int32_t line);
  int32_t DevGetRecordState(int32_t line);

  // Time: the process's monotonic millisecond clock unless replaced; null restores it. Box time
  // stays continuous across a change of clock. Once SetClock returns, the clock it replaced is never
  // called again.
  void SetClock(ClockFn nowMs, void* ctx);
  uint64_t Now();

  // Commands in the scenario words ("call 0 123", "at 500 hangup 0", ...), applied now.
  bool Command(std::string_view line, std::string* error = nullptr);
  std::vector<ScenarioError> RunScenario(std::string_view text);
  // The scenario DevOpen runs, in place of what the environment names.
  void SetScenario(std::string text);
  void ClearScenario();  // back to what the environment names
  // One line of the control socket's protocol; returns the reply (body lines, then "ok" or "error: ...").
  std::string ControlLine(std::string_view line);
  std::string Status();

  // Raw queue access, for texts the command words cannot carry (control bytes, very long texts).
  void QueueCallerId(int line, std::string bytes);
  void QueueDtmf(int line, std::string digits);

  // The call log keeps the latest calls (see kCallLogCapacity in the implementation), but only while
  // logging is on: a box that nobody watches keeps no record of its calls. Off in a new box; Reset
  // leaves the setting as it is.
  void SetCallLogging(bool on);
  std::vector<CallRecord> CallLog();
  void ClearCallLog();

  // The control socket. StartControl fails (with a message) if the path is live or unusable.
  bool StartControl(const std::string& path, std::string* error = nullptr);
  void StopControl();

  // Where diagnostics go (malformed scenario lines, files that cannot be written). Default: stderr.
  // The sink is called with the box locked: it must not call the box.
  void SetMessageSink(std::function<void(std::string_view)> sink);

  // Back to a fresh, closed box: recordings are finished, the control socket is shut, the queues,
  // faults, timeline and call log are emptied. The clock and the message sink stay.
  void Reset();

 private:
  struct Impl;
  std::unique_ptr<Impl> FImpl;
};

// $XDG_RUNTIME_DIR/kaldo.sock, or /tmp/kaldo-<uid>.sock without a runtime directory.
std::string DefaultControlPath();

// Sends command lines to a box's control socket and hands each reply (one per line: its body lines and
// then "ok" or "error: ...", each with its newline) to `onReply` as it comes, while the lines are still
// being sent. False with a message when the box cannot be reached or takes no connection for 10 s,
// sends nothing for 10 s, hangs up before the last reply, or sends what no box sends (a line over
// 128 KiB, a reply over 1 MiB, more replies than lines).
using ReplyHandler = std::function<void(const std::string& reply)>;
bool SendControl(const std::string& path, const std::vector<std::string>& lines, const ReplyHandler& onReply,
                 std::string* error);
// The same, collecting the replies.
bool SendControl(const std::string& path, const std::vector<std::string>& lines, std::vector<std::string>& replies,
                 std::string* error);

}  // namespace kaldo
