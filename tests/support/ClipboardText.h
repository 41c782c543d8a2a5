#pragma once
// The clipboard's text as a test reads it ("" without any) and sets it, owned by no window.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win32/WinBase.h"
#include "platform/win32/WinUser.h"

namespace testsupport {

inline std::string ClipboardText() {
  std::string s;
  if (!OpenClipboard(nullptr)) return s;
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    s = static_cast<const char*>(GlobalLock(h));
    GlobalUnlock(h);
  }
  CloseClipboard();
  return s;
}

inline void SetClipboardText(const std::string& s) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, s.size() + 1);
  std::memcpy(GlobalLock(h), s.c_str(), s.size() + 1);
  GlobalUnlock(h);
  SetClipboardData(CF_TEXT, h);
  CloseClipboard();
}

}  // namespace testsupport
