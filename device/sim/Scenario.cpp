#include "device/sim/Scenario.h"

#include <charconv>
#include <cstring>
#include <limits>

namespace kaldo {
namespace {

// What follows a command word.
enum class Shape {
  Int32,         // lines N, value-like: any 32-bit integer
  Serial,        // any 32-bit integer, also written unsigned (0..4294967295)
  Milliseconds,  // recordlimit MS
  Mode,          // ringmode event|level
  Line,          // ring L, hangup L, ...
  LineNumber,    // call L [NUMBER]
  LineText,      // cid L TEXT (the rest of the line, as is)
  LineDigits,    // dtmf L DIGITS
  LineOpCount,   // fail L OP N
  LineOpValue,   // value L OP V
};

struct VerbInfo {
  const char* word;
  Verb verb;
  Shape shape;
  const char* usage;
};

constexpr VerbInfo kVerbs[] = {
  { "lines", Verb::Lines, Shape::Int32, "lines N" },
  { "serial", Verb::Serial, Shape::Serial, "serial N" },
  { "ring", Verb::Ring, Shape::Line, "ring L" },
  { "call", Verb::Call, Shape::LineNumber, "call L [NUMBER]" },
  { "hangup", Verb::Hangup, Shape::Line, "hangup L" },
  { "offhook", Verb::OffHook, Shape::Line, "offhook L" },
  { "onhook", Verb::OnHook, Shape::Line, "onhook L" },
  { "disconnect", Verb::Disconnect, Shape::Line, "disconnect L" },
  { "connect", Verb::Connect, Shape::Line, "connect L" },
  { "cid", Verb::Cid, Shape::LineText, "cid L TEXT" },
  { "dtmf", Verb::Dtmf, Shape::LineDigits, "dtmf L DIGITS" },
  { "fail", Verb::Fail, Shape::LineOpCount, "fail L OP N" },
  { "value", Verb::Value, Shape::LineOpValue, "value L OP V" },
  { "recordlimit", Verb::RecordLimit, Shape::Milliseconds, "recordlimit MS" },
  { "ringmode", Verb::RingMode, Shape::Mode, "ringmode event|level" },
};

constexpr const char* kOpWords[kOpCount] = { "open", "close", "count", "type",  "serial", "state",   "hook",
                                             "ring", "cid",   "dtmf",  "start", "stop",   "recstate" };

constexpr uint64_t kMaxAtMs = 1ull << 40;  // about 35 years: keeps open time + T far from overflow

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Cuts the next blank-separated token off the front of `rest`; `rest` then starts at the blank
// that ended the token (or is empty).
std::string_view NextToken(std::string_view& rest) {
  size_t b = 0;
  while (b < rest.size() && IsBlank(rest[b])) ++b;
  size_t e = b;
  while (e < rest.size() && !IsBlank(rest[e])) ++e;
  std::string_view tok = rest.substr(b, e - b);
  rest.remove_prefix(e);
  return tok;
}

bool OnlyBlanks(std::string_view s) {
  for (char c : s)
    if (!IsBlank(c)) return false;
  return true;
}

bool ParseInt(std::string_view tok, int64_t lo, int64_t hi, int64_t* out) {
  if (!tok.empty() && tok[0] == '+') tok.remove_prefix(1);
  if (tok.empty() || tok[0] == '+') return false;
  int64_t v = 0;
  auto [p, ec] = std::from_chars(tok.data(), tok.data() + tok.size(), v);
  if (ec != std::errc() || p != tok.data() + tok.size() || v < lo || v > hi) return false;
  *out = v;
  return true;
}

bool IsDtmfDigit(char c) {
  return (c >= '0' && c <= '9') || c == '*' || c == '#' || (c >= 'A' && c <= 'D') || (c >= 'a' && c <= 'd');
}

std::string Quote(std::string_view s) { return std::string(1, '\'').append(s) + '\''; }

class LineParser {
 public:
  LineParser(std::string_view rest, std::string* error) : FRest(rest), FError(error) {}

  bool Parse(const VerbInfo& info, ScriptCommand& cmd) {
    cmd.verb = info.verb;
    FUsage = info.usage;
    switch (info.shape) {
      case Shape::Int32:
        return Number(std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), cmd.number) && End();
      case Shape::Serial:
        if (!Number(std::numeric_limits<int32_t>::min(), std::numeric_limits<uint32_t>::max(), cmd.number))
          return false;
        cmd.number = static_cast<int32_t>(static_cast<uint32_t>(cmd.number));
        return End();
      case Shape::Milliseconds:
        return Number(0, std::numeric_limits<int32_t>::max(), cmd.number) && End();
      case Shape::Mode:
        return Mode(cmd) && End();
      case Shape::Line:
        return LineArg(cmd) && End();
      case Shape::LineNumber:
        if (!LineArg(cmd)) return false;
        cmd.text = NextToken(FRest);
        return End();
      case Shape::LineText:
        return LineArg(cmd) && RestText(cmd);
      case Shape::LineDigits:
        return LineArg(cmd) && Digits(cmd) && End();
      case Shape::LineOpCount:
        return LineArg(cmd) && OpArg(cmd) && Number(0, std::numeric_limits<int32_t>::max(), cmd.number) && End();
      case Shape::LineOpValue:
        return LineArg(cmd) && OpArg(cmd) &&
               Number(std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), cmd.number) && End();
    }
    return false;
  }

 private:
  bool Fail(std::string msg) {
    if (FError) *FError = std::move(msg);
    return false;
  }
  bool Missing() { return Fail(std::string("expected: ") + FUsage); }

  bool Number(int64_t lo, int64_t hi, int64_t& out) {
    std::string_view tok = NextToken(FRest);
    if (tok.empty()) return Missing();
    if (!ParseInt(tok, lo, hi, &out))
      return Fail("bad number " + Quote(tok) + " (" + std::to_string(lo) + " to " + std::to_string(hi) + ")");
    return true;
  }

  bool LineArg(ScriptCommand& cmd) {
    std::string_view tok = NextToken(FRest);
    if (tok.empty()) return Missing();
    if (tok == "*") {
      cmd.line = kAllLines;
      return true;
    }
    int64_t v = 0;
    if (!ParseInt(tok, 0, kMaxLines - 1, &v)) return Fail("bad line " + Quote(tok) + " (0 to 31 or *)");
    cmd.line = static_cast<int>(v);
    return true;
  }

  bool OpArg(ScriptCommand& cmd) {
    std::string_view tok = NextToken(FRest);
    if (tok.empty()) return Missing();
    for (int i = 0; i < kOpCount; ++i)
      if (tok == kOpWords[i]) {
        cmd.op = static_cast<Op>(i);
        return true;
      }
    std::string words;
    for (const char* w : kOpWords) words += std::string(words.empty() ? "" : " ") + w;
    return Fail("unknown operation " + Quote(tok) + " (" + words + ")");
  }

  bool Mode(ScriptCommand& cmd) {
    std::string_view tok = NextToken(FRest);
    if (tok.empty()) return Missing();
    if (tok == "event")
      cmd.number = 0;
    else if (tok == "level")
      cmd.number = 1;
    else
      return Fail("bad ring mode " + Quote(tok) + " (event or level)");
    return true;
  }

  bool Digits(ScriptCommand& cmd) {
    std::string_view tok = NextToken(FRest);
    if (tok.empty()) return Missing();
    for (char c : tok)
      if (!IsDtmfDigit(c)) return Fail("bad DTMF digits " + Quote(tok) + " (0-9 * # A-D)");
    cmd.text = tok;
    return true;
  }

  // The text is everything after the one blank that follows the line, spaces included.
  bool RestText(ScriptCommand& cmd) {
    if (FRest.size() < 2) return Missing();
    cmd.text = FRest.substr(1);
    FRest = {};
    return true;
  }

  bool End() {
    if (!OnlyBlanks(FRest)) return Fail("unexpected " + Quote(NextToken(FRest)) + "; expected: " + FUsage);
    return true;
  }

  std::string_view FRest;
  std::string* FError;
  const char* FUsage = "";
};

}  // namespace

const char* OpWord(Op op) { return kOpWords[static_cast<int>(op)]; }

std::optional<TimedCommand> ParseCommandLine(std::string_view line, std::string* error) {
  if (error) error->clear();
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::string_view rest = line;
  std::string_view word = NextToken(rest);
  if (word.empty() || word[0] == '#') return std::nullopt;

  TimedCommand tc;
  if (word == "at") {
    std::string_view t = NextToken(rest);
    int64_t at = 0;
    if (t.empty()) {
      if (error) *error = "expected: at T COMMAND";
      return std::nullopt;
    }
    if (!ParseInt(t, 0, kMaxAtMs, &at)) {
      if (error) *error = "bad time " + Quote(t) + " (ms after open, 0 or more)";
      return std::nullopt;
    }
    tc.timed = true;
    tc.at = static_cast<uint64_t>(at);
    word = NextToken(rest);
    if (word.empty()) {
      if (error) *error = "expected: at T COMMAND";
      return std::nullopt;
    }
    if (word == "at") {
      if (error) *error = "'at' cannot be nested";
      return std::nullopt;
    }
  }
  for (const VerbInfo& info : kVerbs) {
    if (word != info.word) continue;
    LineParser p(rest, error);
    if (!p.Parse(info, tc.command)) return std::nullopt;
    return tc;
  }
  if (error) *error = "unknown command " + Quote(word);
  return std::nullopt;
}

std::vector<TimedCommand> ParseScenario(std::string_view text, std::vector<ScenarioError>& errors) {
  std::vector<TimedCommand> out;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte-order mark some editors write
  int lineNo = 0;
  while (!text.empty()) {
    size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    ++lineNo;
    std::string error;
    if (auto tc = ParseCommandLine(line, &error))
      out.push_back(std::move(*tc));
    else if (!error.empty())
      errors.push_back({ lineNo, std::move(error) });
  }
  return out;
}

std::string_view DemoScenario() {
  // Four lines. Line 0: a call answered after three bursts, DTMF, hung up. Line 1: a caller who
  // gives up (the console reports a missed call). Line 2: unplugged for a while. Line 3: the
  // handset lifted for an outgoing call, digits dialled. The timed part repeats every minute.
  return R"(lines 4
serial 20080808
at 2000 call 0 13800138000
at 13500 offhook 0
at 16000 dtmf 0 123#
at 21000 hangup 0
at 21500 onhook 0
at 6000 call 1 02161234567
at 17000 hangup 1
at 26000 disconnect 2
at 34000 connect 2
at 30000 offhook 3
at 32000 dtmf 3 8001
at 38000 onhook 3
at 42000 call 2 075588889999
at 50000 offhook 2
at 52000 dtmf 2 9
at 56000 onhook 2
)";
}

}  // namespace kaldo
