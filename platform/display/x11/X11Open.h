#pragma once
// Opens the x11 back-end without showing Xlib to the caller.

#include <memory>
#include <string>

#include "platform/display/Display.h"

namespace xj::display {

// `name` is an X display name (":1"); null means $DISPLAY. Null result: `error` says why.
std::unique_ptr<Backend> OpenX11Backend(const char* name, std::string* error);

}  // namespace xj::display
