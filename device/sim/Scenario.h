#pragma once
// The box's command words, parsed from scenario files, the control socket and the in-process API.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/KaldoSim.h"

namespace kaldo {

// The operations a fault can target. The first five are box-wide, the rest per line.
enum class Op { Open, Close, Count, Type, Serial, State, Hook, Ring, Cid, Dtmf, Start, Stop, RecState };
constexpr int kOpCount = 13;
const char* OpWord(Op op);
constexpr bool IsLineOp(Op op) { return op >= Op::State; }

enum class Verb {
  Lines,
  Serial,
  Ring,
  Call,
  Hangup,
  OffHook,
  OnHook,
  Disconnect,
  Connect,
  Cid,
  Dtmf,
  Fail,
  Value,
  RecordLimit,
  RingMode,
};

constexpr int kAllLines = -1;  // the line "*"

struct ScriptCommand {
  Verb verb = Verb::Lines;
  int line = kAllLines;
  Op op = Op::Open;
  int64_t number = 0;  // lines N, serial N, fail N, value V, recordlimit MS, ringmode (1 = level)
  std::string text;    // caller ID text, DTMF digits, calling number
};

struct TimedCommand {
  bool timed = false;
  uint64_t at = 0;  // ms after DevOpen
  ScriptCommand command;
};

// One line: nullopt and an empty error for a blank or comment line; nullopt and a message for a
// malformed one.
std::optional<TimedCommand> ParseCommandLine(std::string_view line, std::string* error);

// A whole text; malformed lines are reported in `errors` and left out.
std::vector<TimedCommand> ParseScenario(std::string_view text, std::vector<ScenarioError>& errors);

// The scenario the library runs when none is named: a loop of calls, caller IDs, DTMF and a
// disconnection, so that a console started with no arguments shows life.
std::string_view DemoScenario();
constexpr uint64_t kDemoPeriodMs = 60000;

}  // namespace kaldo
