// Choosing the back-end from the environment.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/display/Display.h"

using namespace xj::display;

namespace {

// Sets or clears an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : FName(name) {
    if (const char* old = std::getenv(name)) FOld = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (FOld)
      setenv(FName, FOld->c_str(), 1);
    else
      unsetenv(FName);
  }

 private:
  const char* FName;
  std::optional<std::string> FOld;
};

}  // namespace

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
