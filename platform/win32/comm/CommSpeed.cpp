// Line speeds through the kernel's termios2 interface, which carries any rate as a number (BOTHER).
// Kept apart from the termios device: <asm/termbits.h> and glibc's <termios.h> cannot share a file.

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstdint>

#include "platform/win32/comm/CommSpeed.h"

namespace xj {

int GetLineSpeed(int fd, uint32_t& rate) {
  struct termios2 t {};
  if (::ioctl(fd, TCGETS2, &t) != 0) return errno;
  rate = t.c_ospeed;
  return 0;
}

int SetCustomLineSpeed(int fd, uint32_t rate) {
  struct termios2 t {};
  if (::ioctl(fd, TCGETS2, &t) != 0) return errno;
  t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
  t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  t.c_ispeed = rate;
  t.c_ospeed = rate;
  if (::ioctl(fd, TCSETS2, &t) != 0) return errno;
  return 0;
}

}  // namespace xj
