// The link to the display back-end.

#include <poll.h>

#include "platform/win32/WmBackend.h"

namespace xj::wm {

void DisplayLink::Wait(int fd, int timeoutMs) {
  pollfd p { fd, POLLIN, 0 };
  poll(&p, 1, timeoutMs);
}

namespace {
DisplayLink gInert;
DisplayLink* gLink = &gInert;
}  // namespace

DisplayLink& Backend() { return *gLink; }
void SetBackend(DisplayLink* link) { gLink = link ? link : &gInert; }

}  // namespace xj::wm
