// Choosing the back-end from the environment, and what a program does when the one it asked for is not
// there.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/display/factory/CreateBackend.h"
#include "platform/win32/WinUser.h"
#include "platform/win32/WmBackend.h"
#include "tests/support/Scratch.h"

using namespace xj::display;

using xj::test::ScopedEnv;

namespace {

struct Case {
  const char* xjDisplay;
  const char* display;
  const char* message;  // a part of the note or error; null: nothing said
};

std::string Describe(const Case& c) {
  return std::string("XJ_DISPLAY=") + (c.xjDisplay ? c.xjDisplay : "(unset)") +
         " DISPLAY=" + (c.display ? c.display : "(unset)");
}

struct Outcome {
  std::unique_ptr<Backend> backend;
  std::string error;
  std::string said;  // on stderr
};

Outcome Choose(const Case& c) {
  ScopedEnv xj("XJ_DISPLAY", c.xjDisplay), x("DISPLAY", c.display);
  Outcome out;
  testing::internal::CaptureStderr();
  out.backend = CreateBackend(out.error);
  out.said = testing::internal::GetCapturedStderr();
  return out;
}

}  // namespace

// ":65000" names an X server that does not exist.
TEST(DisplayFactory, FallsBackToHeadlessOnlyWhenNoBackEndWasAskedFor) {
  const Case fallbacks[] = {
    { "headless", ":65000", nullptr },
    { nullptr, nullptr, nullptr },
    { "", nullptr, nullptr },
    { nullptr, ":65000", "cannot open the X display :65000; running headless" },
  };
  for (const Case& c : fallbacks) {
    SCOPED_TRACE(Describe(c));
    Outcome o = Choose(c);
    ASSERT_TRUE(o.backend);
    EXPECT_STREQ(o.backend->Name(), "headless");
    EXPECT_EQ(o.error, "");
    if (c.message)
      EXPECT_NE(o.said.find(c.message), std::string::npos) << o.said;
    else
      EXPECT_EQ(o.said, "");
  }

  const Case failures[] = {
    { "x11", ":65000", "XJ_DISPLAY=x11: cannot open the X display :65000" },
    { "x11", nullptr, "XJ_DISPLAY=x11: cannot open the X display (DISPLAY is not set)" },
    { "wayland", ":65000", "XJ_DISPLAY=wayland is not a display (use headless or x11)" },
  };
  for (const Case& c : failures) {
    SCOPED_TRACE(Describe(c));
    Outcome o = Choose(c);
    EXPECT_FALSE(o.backend);
    EXPECT_EQ(o.error, c.message);
    EXPECT_EQ(o.said, "");  // the caller decides what to say
  }
}

TEST(DisplayFactoryDeathTest, AProgramWhoseDisplayIsMissingSaysSoAndExitsWithFailure) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  ScopedEnv xj("XJ_DISPLAY", "x11"), x("DISPLAY", ":65000");
  auto showAWindow = [] {
    xj::wm::SetDisplay(nullptr);
    WNDCLASSA wc {};
    wc.lpfnWndProc = WNDPROC(DefWindowProcA);
    wc.lpszClassName = "FactoryTestWindow";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, "FactoryTestWindow", "", WS_OVERLAPPED, 10, 20, 200, 100, nullptr, nullptr, nullptr,
                             nullptr);
    ShowWindow(w, SW_SHOW);
    std::exit(0);  // not reached when the display is missing
  };
  EXPECT_EXIT(showAWindow(), testing::ExitedWithCode(EXIT_FAILURE),
              "^XJ_DISPLAY=x11: cannot open the X display :65000\n$");
}
