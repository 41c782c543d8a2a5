#include "platform/display/factory/CreateBackend.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/display/headless/HeadlessDisplay.h"
#include "platform/display/x11/X11Open.h"

namespace xj::display {

std::unique_ptr<Backend> CreateBackend(std::string& error) {
  const char* asked = std::getenv("XJ_DISPLAY");
  const char* x = std::getenv("DISPLAY");
  bool explicitly = asked && *asked;
  if (explicitly && std::strcmp(asked, "headless") == 0) return std::make_unique<HeadlessBackend>();
  if (explicitly && std::strcmp(asked, "x11") != 0) {
    error = std::string("XJ_DISPLAY=") + asked + " is not a display (use headless or x11)";
    return nullptr;
  }
  if (explicitly || (x && *x)) {
    if (auto x11 = OpenX11Backend(nullptr, &error)) return x11;
    // Only a display that was asked for is worth failing over: a program that cannot be seen could
    // never be closed.
    if (explicitly) {
      error = "XJ_DISPLAY=x11: " + error;
      return nullptr;
    }
    std::fprintf(stderr, "%s; running headless\n", error.c_str());
    error.clear();
  }
  return std::make_unique<HeadlessBackend>();
}

}  // namespace xj::display
