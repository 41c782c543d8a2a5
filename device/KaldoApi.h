#pragma once
/* The device library's exports beyond the thirteen operations: what a test process needs to drive
   the box inside a libkaldo.so it has loaded (through dlsym). All are safe to call from any thread. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One logged call. text: the file name passed to DevStartRecord, or the bytes written by
   DevGetCallerId / DevGetDtmf (text_length of them; not zero-terminated beyond that). */
typedef struct KaldoCall {
  uint64_t seq;
  uint64_t time_ms;
  uint32_t ordinal;
  int32_t arg_count;
  int32_t args[3];
  int32_t result;
  int32_t was_open;
  int32_t text_length;
  char text[160];
} KaldoCall;

/* The box's clock; null restores the process's monotonic clock. Once this returns, the clock it
   replaced is never called again. */
void KaldoSetClock(uint64_t (*now_ms)(void* ctx), void* ctx);

/* One command line in the scenario words. 0, or -1 with a message in error (may be null). */
int32_t KaldoCommand(const char* line, char* error, int32_t error_size);

/* The scenario DevOpen runs, in place of KALDO_SCENARIO; null goes back to the environment. */
void KaldoSetScenario(const char* text);

/* The box's state as text (UTF-8, lines ending in '\n'), zero-terminated and cut to size;
   returns the full length. */
int32_t KaldoStatus(char* buffer, int32_t size);

/* Calls are logged only while logging is on (nonzero); it is off until asked for. */
void KaldoSetCallLogging(int32_t on);
/* Copies up to max of the logged calls, oldest first; returns how many the log holds. */
int32_t KaldoCallLog(KaldoCall* out, int32_t max);
void KaldoClearCallLog(void);

/* Back to a fresh, closed box (recordings finished, control socket shut). */
void KaldoReset(void);

#ifdef __cplusplus
}
#endif
