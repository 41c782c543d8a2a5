// Choosing the back-end from the environment.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/display/Display.h"
#include "tests/support/Scratch.h"

using namespace xj::display;

using xj::test::ScopedEnv;

TEST(DisplayFactory, ChoosesFromTheEnvironmentAndFallsBackToHeadless) {
  // ":65000" names an X server that does not exist, so every x11 attempt has to fall back.
  struct Case {
    const char* xjDisplay;
    const char* display;
    const char* messagePart;  // null: nothing on stderr
  };
  const Case cases[] = {
    { "headless", ":65000", nullptr },
    { nullptr, nullptr, nullptr },
    { "", nullptr, nullptr },
    { "x11", ":65000", "cannot open the X display :65000; running headless" },
    { nullptr, ":65000", "cannot open the X display :65000" },
    { "x11", nullptr, "DISPLAY is not set" },
    { "wayland", ":65000", "XJ_DISPLAY=wayland is not a display" },
  };
  for (const Case& c : cases) {
    ScopedEnv xj("XJ_DISPLAY", c.xjDisplay), x("DISPLAY", c.display);
    testing::internal::CaptureStderr();
    std::unique_ptr<Backend> backend = CreateBackend();
    std::string err = testing::internal::GetCapturedStderr();
    SCOPED_TRACE(std::string("XJ_DISPLAY=") + (c.xjDisplay ? c.xjDisplay : "(unset)") +
                 " DISPLAY=" + (c.display ? c.display : "(unset)"));
    ASSERT_TRUE(backend);
    EXPECT_STREQ(backend->Name(), "headless");
    if (c.messagePart)
      EXPECT_NE(err.find(c.messagePart), std::string::npos) << err;
    else
      EXPECT_EQ(err, "");
  }
}
