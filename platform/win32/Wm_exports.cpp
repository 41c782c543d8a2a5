// The window layer's part of the built-in USER32 module: what code looks up at run time with
// GetProcAddress, as it would on a system where these functions might be missing.

#include <mutex>

#include "platform/win32/WinBase.h"
#include "platform/win32/WinUser.h"

namespace xj {

void RegisterUser32Exports() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterBuiltinExport("USER32", "SetLayeredWindowAttributes",
                          reinterpret_cast<void*>(&::SetLayeredWindowAttributes));
    RegisterBuiltinExport("USER32", "MonitorFromWindow", reinterpret_cast<void*>(&::MonitorFromWindow));
    RegisterBuiltinExport("USER32", "GetMonitorInfoA", reinterpret_cast<void*>(&::GetMonitorInfoA));
  });
}

}  // namespace xj
