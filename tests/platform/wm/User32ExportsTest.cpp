// Code that looks the layered-window and monitor functions up at run time finds the real ones.

#include <gtest/gtest.h>

#include "platform/win32/WinBase.h"
#include "platform/win32/WinUser.h"

TEST(User32Exports, RunTimeLookupsFindTheWindowLayer) {
  HMODULE user32 = LoadLibraryA("user32.dll");
  ASSERT_NE(user32, nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(user32, "SetLayeredWindowAttributes")),
            reinterpret_cast<void*>(&SetLayeredWindowAttributes));
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(user32, "MonitorFromWindow")),
            reinterpret_cast<void*>(&MonitorFromWindow));
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("USER32"), "GetMonitorInfoA")),
            reinterpret_cast<void*>(&GetMonitorInfoA));
  FreeLibrary(user32);
}
