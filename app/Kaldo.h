#pragma once
// The recorder box's device library, KALDO: loaded once, at start, and called by ordinal. Every
// operation takes and returns 32-bit integers and answers -1 for failure; lines count from 0.
//
// The library is looked for in KALDO_LIBRARY when that is set, else beside the program, else in
// ../lib next to it. Without a library every operation answers -1, as a box that is not there would.

#include <cstdint>

#include "platform/vcl/System.h"

// Loads the library (once; later calls only report). False when there is none: the operations then fail.
bool LoadDeviceLibrary();
// The file the operations come from, or "" when none was found.
AnsiString DeviceLibraryPath();

int32_t DevOpen();
int32_t DevClose();
int32_t DevGetLineCount();
// Box type: 1 "VX1/CID1", 2 "VX2/CID2", 3 "KM1".
int32_t DevSetDeviceType(int32_t Type);
int32_t DevGetSerialNumber(int32_t Index);
// 1 disconnected, 0 connected.
int32_t DevGetLineState(int32_t Line);
// 1 off hook, 0 on hook.
int32_t DevGetHookState(int32_t Line);
// 0 no ring; any other value but -1 a ring.
int32_t DevGetRing(int32_t Line);
// Buffer: 160 bytes; the result is how many characters were written, without a terminating zero.
int32_t DevGetCallerId(int32_t Line, char* Buffer);
int32_t DevGetDtmf(int32_t Line, char* Buffer);
int32_t DevStartRecord(int32_t Line, const char* FileName, int32_t MaxLength);
int32_t DevStopRecord(int32_t Line);
// 0 ended, any other value but -1 still recording.
int32_t DevGetRecordState(int32_t Line);
