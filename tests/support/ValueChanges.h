#pragma once
// Shared by the tests that a control reports each change of its value once and an unchanged value not at
// all: a handler that counts, and the three settings that show it.

#include <gtest/gtest.h>

#include <functional>

#include "platform/vcl/Classes.h"

namespace valuetest {

inline TNotifyEvent Counter(int& Changes) {
  return TNotifyEvent::FromCallable([&Changes](TObject*) { ++Changes; });
}

// Set gives the control a value (a two-state control: non-zero is on); Changes counts its reports.
inline void ExpectOneReportPerChange(const std::function<void(int)>& Set, const int& Changes, const char* Name) {
  Set(37);
  EXPECT_EQ(Changes, 1) << Name;
  Set(37);
  EXPECT_EQ(Changes, 1) << Name << ": the same value again";
  Set(0);
  EXPECT_EQ(Changes, 2) << Name;
}

}  // namespace valuetest
