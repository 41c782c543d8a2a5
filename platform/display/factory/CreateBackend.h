#pragma once
// Choosing a display back-end from the environment: the one place that knows every back-end.

#include <memory>
#include <string>

#include "platform/display/Display.h"

namespace xj::display {

// The back-end XJ_DISPLAY asks for: "headless" or "x11"; unset, x11 when DISPLAY is set, else headless.
// Null, with `error` saying why, when XJ_DISPLAY names something else or the x11 it asks for cannot be
// opened. Unasked, an X display that cannot be opened gives headless, with a note on stderr.
std::unique_ptr<Backend> CreateBackend(std::string& error);

}  // namespace xj::display
