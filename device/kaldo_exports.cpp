// The device library's exports: the thirteen operations under their names and, for loaders that
// go by ordinal, in xj_ordinal_table; plus the hooks a test process drives the box with. All of
// them work on one box per process.

#include <algorithm>
#include <atomic>
#include <cstring>

#include "device/KaldoApi.h"
#include "device/KaldoSim.h"
#include "platform/win32/OrdinalExports.h"

#define KALDO_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::atomic<kaldo::Box*> gBox { nullptr };

// Made on first use, once whichever thread asks first. Out of line: every operation passes TheBox, and
// the guarded construction would otherwise cost each of them a frame.
[[gnu::noinline, gnu::cold]] kaldo::Box& MakeTheBox() {
  static kaldo::Box box(kaldo::Box::Environment::Use);
  gBox.store(&box, std::memory_order_release);
  return box;
}

kaldo::Box& TheBox() {
  kaldo::Box* box = gBox.load(std::memory_order_acquire);
  return box ? *box : MakeTheBox();
}

void CopyText(const std::string& text, char* out, int32_t size) {
  if (!out || size <= 0) return;
  size_t n = std::min(text.size(), static_cast<size_t>(size) - 1);
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

}  // namespace

KALDO_EXPORT int32_t DevOpen() { return TheBox().DevOpen(); }
KALDO_EXPORT int32_t DevClose() { return TheBox().DevClose(); }
KALDO_EXPORT int32_t DevGetLineCount() { return TheBox().DevGetLineCount(); }
KALDO_EXPORT int32_t DevSetDeviceType(int32_t type) { return TheBox().DevSetDeviceType(type); }
KALDO_EXPORT int32_t DevGetSerialNumber(int32_t index) { return TheBox().DevGetSerialNumber(index); }
KALDO_EXPORT int32_t DevGetLineState(int32_t line) { return TheBox().DevGetLineState(line); }
KALDO_EXPORT int32_t DevGetHookState(int32_t line) { return TheBox().DevGetHookState(line); }
KALDO_EXPORT int32_t DevGetRing(int32_t line) { return TheBox().DevGetRing(line); }
KALDO_EXPORT int32_t DevGetCallerId(int32_t line, char* buffer) { return TheBox().DevGetCallerId(line, buffer); }
KALDO_EXPORT int32_t DevGetDtmf(int32_t line, char* buffer) { return TheBox().DevGetDtmf(line, buffer); }
KALDO_EXPORT int32_t DevStartRecord(int32_t line, const char* name, int32_t maxBytes) {
  return TheBox().DevStartRecord(line, name, maxBytes);
}
KALDO_EXPORT int32_t DevStopRecord(int32_t line) { return TheBox().DevStopRecord(line); }
KALDO_EXPORT int32_t DevGetRecordState(int32_t line) { return TheBox().DevGetRecordState(line); }

#define KALDO_ENTRY(name) \
  { kaldo::k##name, #name, reinterpret_cast<void*>(&name) }

KALDO_EXPORT const XjOrdinalExport xj_ordinal_table[] = {
  KALDO_ENTRY(DevOpen),           KALDO_ENTRY(DevClose),           KALDO_ENTRY(DevGetLineCount),
  KALDO_ENTRY(DevSetDeviceType),  KALDO_ENTRY(DevGetSerialNumber), KALDO_ENTRY(DevGetLineState),
  KALDO_ENTRY(DevGetHookState),   KALDO_ENTRY(DevGetRing),         KALDO_ENTRY(DevGetCallerId),
  KALDO_ENTRY(DevGetDtmf),        KALDO_ENTRY(DevStartRecord),     KALDO_ENTRY(DevStopRecord),
  KALDO_ENTRY(DevGetRecordState), { 0, nullptr, nullptr },
};

KALDO_EXPORT void KaldoSetClock(uint64_t (*now_ms)(void* ctx), void* ctx) { TheBox().SetClock(now_ms, ctx); }

KALDO_EXPORT int32_t KaldoCommand(const char* line, char* error, int32_t error_size) {
  std::string message;
  if (line && TheBox().Command(line, &message)) {
    CopyText({}, error, error_size);
    return 0;
  }
  CopyText(line ? message : "no command", error, error_size);
  return -1;
}

KALDO_EXPORT void KaldoSetScenario(const char* text) {
  if (text)
    TheBox().SetScenario(text);
  else
    TheBox().ClearScenario();
}

KALDO_EXPORT int32_t KaldoStatus(char* buffer, int32_t size) {
  std::string s = TheBox().Status();
  CopyText(s, buffer, size);
  return static_cast<int32_t>(s.size());
}

KALDO_EXPORT void KaldoSetCallLogging(int32_t on) { TheBox().SetCallLogging(on != 0); }

KALDO_EXPORT int32_t KaldoCallLog(KaldoCall* out, int32_t max) {
  std::vector<kaldo::CallRecord> log = TheBox().CallLog();
  int32_t n = out ? std::clamp<int32_t>(max, 0, static_cast<int32_t>(log.size())) : 0;
  for (int32_t i = 0; i < n; ++i) {
    const kaldo::CallRecord& r = log[i];
    KaldoCall& c = out[i];
    std::memset(&c, 0, sizeof c);
    c.seq = r.seq;
    c.time_ms = r.timeMs;
    c.ordinal = r.ordinal;
    c.arg_count = r.argCount;
    std::copy(std::begin(r.args), std::end(r.args), c.args);
    c.result = r.result;
    c.was_open = r.open ? 1 : 0;
    c.text_length = static_cast<int32_t>(std::min(r.text.size(), sizeof c.text));
    std::memcpy(c.text, r.text.data(), static_cast<size_t>(c.text_length));
  }
  return static_cast<int32_t>(log.size());
}

KALDO_EXPORT void KaldoClearCallLog() { TheBox().ClearCallLog(); }
KALDO_EXPORT void KaldoReset() { TheBox().Reset(); }
