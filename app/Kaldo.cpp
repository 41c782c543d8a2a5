#include "app/Kaldo.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/vcl/SysUtils.h"
#include "platform/win32/WinBase.h"

namespace {

constexpr const char* kLibraryName = "libkaldo.so";

// The ordinals of the operations.
enum : int {
  oOpen = 1,
  oClose = 2,
  oLineCount = 3,
  oHookState = 11,
  oDtmf = 22,
  oCallerId = 23,
  oStartRecord = 24,
  oStopRecord = 25,
  oRecordState = 26,
  oSerialNumber = 33,
  oLineState = 37,
  oRing = 38,
  oSetDeviceType = 66,
};

struct TDeviceLibrary {
  HMODULE Module { nullptr };
  AnsiString Path;
};

AnsiString ProgramDirectory() {
  char path[4096] = "";
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return "";
  return ExtractFilePath(path);
}

TDeviceLibrary Find() {
  TDeviceLibrary lib;
  const char* asked = std::getenv("KALDO_LIBRARY");
  std::vector<AnsiString> candidates;
  if (asked && *asked) {
    candidates.push_back(asked);
  } else {
    const AnsiString dir = ProgramDirectory();
    candidates.push_back(dir + kLibraryName);
    candidates.push_back(dir + "../lib/" + kLibraryName);
  }
  for (const AnsiString& path : candidates) {
    if (!FileExists(path)) continue;
    if (HMODULE m = LoadLibraryA(path.c_str())) {
      lib.Module = m;
      lib.Path = path;
      return lib;
    }
  }
  std::fprintf(stderr, "xunjian: the device library %s was not found; every box operation fails\n",
               asked && *asked ? asked : kLibraryName);
  return lib;
}

const TDeviceLibrary& Library() {
  static const TDeviceLibrary lib = Find();
  return lib;
}

// The operation with the ordinal, or null.
template <class F>
F* Op(int Ordinal) {
  HMODULE m = Library().Module;
  return m ? reinterpret_cast<F*>(GetProcAddress(m, MAKEINTRESOURCEA(Ordinal))) : nullptr;
}

// Looked up once per operation.
template <int Ordinal, class F, class... A>
int32_t Call(A... Args) {
  static F* const proc = Op<F>(Ordinal);
  return proc ? proc(Args...) : -1;
}

}  // namespace

bool LoadDeviceLibrary() { return Library().Module != nullptr; }

AnsiString DeviceLibraryPath() { return Library().Path; }

int32_t DevOpen() { return Call<oOpen, int32_t()>(); }
int32_t DevClose() { return Call<oClose, int32_t()>(); }
int32_t DevGetLineCount() { return Call<oLineCount, int32_t()>(); }
int32_t DevSetDeviceType(int32_t Type) { return Call<oSetDeviceType, int32_t(int32_t)>(Type); }
int32_t DevGetSerialNumber(int32_t Index) { return Call<oSerialNumber, int32_t(int32_t)>(Index); }
int32_t DevGetLineState(int32_t Line) { return Call<oLineState, int32_t(int32_t)>(Line); }
int32_t DevGetHookState(int32_t Line) { return Call<oHookState, int32_t(int32_t)>(Line); }
int32_t DevGetRing(int32_t Line) { return Call<oRing, int32_t(int32_t)>(Line); }
int32_t DevGetCallerId(int32_t Line, char* Buffer) { return Call<oCallerId, int32_t(int32_t, char*)>(Line, Buffer); }
int32_t DevGetDtmf(int32_t Line, char* Buffer) { return Call<oDtmf, int32_t(int32_t, char*)>(Line, Buffer); }
int32_t DevStartRecord(int32_t Line, const char* FileName, int32_t MaxLength) {
  return Call<oStartRecord, int32_t(int32_t, const char*, int32_t)>(Line, FileName, MaxLength);
}
int32_t DevStopRecord(int32_t Line) { return Call<oStopRecord, int32_t(int32_t)>(Line); }
int32_t DevGetRecordState(int32_t Line) { return Call<oRecordState, int32_t(int32_t)>(Line); }
