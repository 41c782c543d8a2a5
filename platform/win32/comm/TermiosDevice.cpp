// A serial port on a host terminal device: termios for the line, poll for waiting, the modem ioctls for
// the lines and their counters.

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/win32/WinComm.h"
#include "platform/win32/comm/CommDevice.h"
#include "platform/win32/comm/CommSpeed.h"

namespace xj {
namespace {

struct BaudCode {
  uint32_t Rate;
  speed_t Code;
};

constexpr BaudCode kBaudCodes[] = {
  { 50, B50 },           { 75, B75 },           { 110, B110 },         { 134, B134 },         { 150, B150 },
  { 200, B200 },         { 300, B300 },         { 600, B600 },         { 1200, B1200 },       { 1800, B1800 },
  { 2400, B2400 },       { 4800, B4800 },       { 9600, B9600 },       { 19200, B19200 },     { 38400, B38400 },
  { 57600, B57600 },     { 115200, B115200 },   { 230400, B230400 },   { 460800, B460800 },   { 500000, B500000 },
  { 576000, B576000 },   { 921600, B921600 },   { 1000000, B1000000 }, { 1152000, B1152000 }, { 1500000, B1500000 },
  { 2000000, B2000000 }, { 2500000, B2500000 }, { 3000000, B3000000 }, { 3500000, B3500000 }, { 4000000, B4000000 },
};

speed_t CodeOfRate(uint32_t rate) {
  for (const BaudCode& b : kBaudCodes)
    if (b.Rate == rate) return b.Code;
  return 0;
}

uint32_t RateOfCode(speed_t code) {
  for (const BaudCode& b : kBaudCodes)
    if (b.Code == code) return b.Rate;
  return 9600;
}

tcflag_t SizeFlag(uint8_t byteSize) {
  switch (byteSize) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    default:
      return CS8;
  }
}

tcflag_t ParityFlags(uint8_t parity) {
  switch (parity) {
    case ODDPARITY:
      return PARENB | PARODD;
    case EVENPARITY:
      return PARENB;
    case MARKPARITY:
      return PARENB | CMSPAR | PARODD;
    case SPACEPARITY:
      return PARENB | CMSPAR;
    default:
      return 0;
  }
}

constexpr tcflag_t kCheckedFlags = PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;

class TermiosDevice final : public CommDevice {
 public:
  TermiosDevice(int fd, bool pty) : FFd(fd), FPty(pty) {}
  ~TermiosDevice() override { Close(); }

  CommIo ReadSome(uint8_t* buffer, size_t count) override {
    CommIo io;
    ssize_t n;
    do n = ::read(FFd, buffer, count);
    while (n < 0 && errno == EINTR);
    if (n > 0) {
      io.Count = static_cast<size_t>(n);
    } else if (n == 0) {
      // With VMIN 0 an empty read also returns 0; only poll tells a hang-up apart.
      pollfd p { FFd, POLLIN, 0 };
      io.HungUp = ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR));
    } else if (errno != EAGAIN) {
      io.Error = errno;
      io.HungUp = true;  // a device that fails to read (EIO after an unplug) never recovers
    }
    return io;
  }

  CommIo WriteSome(const uint8_t* buffer, size_t count) override {
    CommIo io;
    ssize_t n;
    do n = ::write(FFd, buffer, count);
    while (n < 0 && errno == EINTR);
    if (n > 0) {
      io.Count = static_cast<size_t>(n);
    } else if (n < 0 && errno != EAGAIN) {
      io.Error = errno;
      io.HungUp = errno == EIO;
    }
    return io;
  }

  size_t InputWaiting() override {
    int n = 0;
    return ::ioctl(FFd, FIONREAD, &n) == 0 && n > 0 ? static_cast<size_t>(n) : 0;
  }

  size_t OutputQueued() override {
    int n = 0;
    return ::ioctl(FFd, TIOCOUTQ, &n) == 0 && n > 0 ? static_cast<size_t>(n) : 0;
  }

  int Apply(const CommLineSettings& s) override {
    termios old {};
    if (::tcgetattr(FFd, &old) != 0) return errno;
    termios t = old;
    t.c_cflag &= ~(CSIZE | kCheckedFlags);
    t.c_cflag |= SizeFlag(s.ByteSize) | ParityFlags(s.Parity) | CLOCAL | CREAD;
    if (s.StopBits != ONESTOPBIT) t.c_cflag |= CSTOPB;  // with 5 data bits the UART sends 1.5
    if (s.HardwareFlow) t.c_cflag |= CRTSCTS;
    // A pty drops PARENB; asking for it anyway makes the C library's read-back check in tcsetattr
    // fail whenever nothing else changed (parity odd again after a reopen, say).
    if (FPty) t.c_cflag &= ~PARENB;
    t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | PARMRK | IGNPAR | ISTRIP | IGNBRK | BRKINT);
    if (s.XonXoffOut) t.c_iflag |= IXON;
    if (s.XonXoffIn) t.c_iflag |= IXOFF;
    if (s.MarkErrors) t.c_iflag |= INPCK | PARMRK;
    t.c_cc[VSTART] = static_cast<cc_t>(s.XonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(s.XoffChar);
    const speed_t code = CodeOfRate(s.BaudRate);
    if (code) {
      ::cfsetispeed(&t, code);
      ::cfsetospeed(&t, code);
    }
    int error = SetAttributes(t);
    if (error == EINVAL && FPty && s.ByteSize != 8) {
      // A pty carries whole bytes and refuses other sizes; the port keeps the size it was given.
      t.c_cflag = (t.c_cflag & ~CSIZE) | CS8;
      error = SetAttributes(t);
    }
    if (!error && !code) error = SetCustomLineSpeed(FFd, s.BaudRate);
    if (!error) error = Verify(t.c_cflag & kCheckedFlags, s.BaudRate);
    if (error) SetAttributes(old);
    return error;
  }

  CommLineSettings Current() override {
    CommLineSettings s;
    termios t {};
    if (::tcgetattr(FFd, &t) != 0) return s;
    switch (t.c_cflag & CSIZE) {
      case CS5:
        s.ByteSize = 5;
        break;
      case CS6:
        s.ByteSize = 6;
        break;
      case CS7:
        s.ByteSize = 7;
        break;
      default:
        s.ByteSize = 8;
        break;
    }
    if (!(t.c_cflag & PARENB))
      s.Parity = NOPARITY;
    else if (t.c_cflag & CMSPAR)
      s.Parity = (t.c_cflag & PARODD) ? MARKPARITY : SPACEPARITY;
    else
      s.Parity = (t.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
    s.StopBits = !(t.c_cflag & CSTOPB) ? ONESTOPBIT : s.ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS;
    s.HardwareFlow = t.c_cflag & CRTSCTS;
    s.XonXoffOut = t.c_iflag & IXON;
    s.XonXoffIn = t.c_iflag & IXOFF;
    s.XonChar = static_cast<char>(t.c_cc[VSTART]);
    s.XoffChar = static_cast<char>(t.c_cc[VSTOP]);
    s.MarkErrors = (t.c_iflag & (INPCK | PARMRK)) == (INPCK | PARMRK);
    if (GetLineSpeed(FFd, s.BaudRate) != 0) s.BaudRate = RateOfCode(::cfgetospeed(&t));
    return s;
  }

  int GetLines(unsigned& lines) override {
    int bits = 0;
    if (::ioctl(FFd, TIOCMGET, &bits) != 0) return errno;
    lines = ((bits & TIOCM_CTS) ? kLineCts : 0) | ((bits & TIOCM_DSR) ? kLineDsr : 0) |
            ((bits & TIOCM_RNG) ? kLineRing : 0) | ((bits & TIOCM_CAR) ? kLineDcd : 0) |
            ((bits & TIOCM_DTR) ? kLineDtr : 0) | ((bits & TIOCM_RTS) ? kLineRts : 0);
    return 0;
  }

  int SetLine(unsigned line, bool on) override {
    int bits = ((line & kLineDtr) ? TIOCM_DTR : 0) | ((line & kLineRts) ? TIOCM_RTS : 0);
    return ::ioctl(FFd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0 ? 0 : errno;
  }

  int GetCounters(CommCounters& c) override {
    serial_icounter_struct ic {};
    if (::ioctl(FFd, TIOCGICOUNT, &ic) != 0) return errno;
    c.Cts = ic.cts;
    c.Dsr = ic.dsr;
    c.Ring = ic.rng;
    c.Dcd = ic.dcd;
    c.Frame = ic.frame;
    c.Overrun = ic.overrun;
    c.Parity = ic.parity;
    c.Break = ic.brk;
    c.BufferOverrun = ic.buf_overrun;
    return 0;
  }

  int Flush(bool input, bool output) override {
    const int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    return ::tcflush(FFd, which) == 0 ? 0 : errno;
  }

  // TCOOFF/TCOON suspend our own transmission; TCIOFF/TCION would send XOFF/XON to the other side.
  int StopOutput(bool stop) override { return ::tcflow(FFd, stop ? TCOOFF : TCOON) == 0 ? 0 : errno; }

  int SetBreak(bool on) override { return ::ioctl(FFd, on ? TIOCSBRK : TIOCCBRK) == 0 ? 0 : errno; }

  CommWaitResult Wait(bool watchDevice, bool wantInput, bool wantOutput, int timeoutMs, int wakeFd) override {
    pollfd fds[2] = {
      { watchDevice ? FFd : -1, static_cast<short>((wantInput ? POLLIN : 0) | (wantOutput ? POLLOUT : 0)), 0 },
      { wakeFd, POLLIN, 0 },
    };
    CommWaitResult result;
    if (::poll(fds, 2, timeoutMs) <= 0) return result;  // time-out or a signal: the caller looks again
    result.HungUp = fds[0].revents & (POLLHUP | POLLERR | POLLNVAL);
    result.Ready = fds[0].revents & (POLLIN | POLLOUT);
    return result;
  }

  void Close() override {
    if (FFd < 0) return;
    ::ioctl(FFd, TIOCNXCL);  // exclusivity outlives the descriptor on a tty that stays open elsewhere
    ::close(FFd);            // also releases the flock
    FFd = -1;
  }

 private:
  int SetAttributes(const termios& t) {
    int r;
    do r = ::tcsetattr(FFd, TCSANOW, &t);
    while (r != 0 && errno == EINTR);
    return r == 0 ? 0 : errno;
  }

  // tcsetattr succeeds when any part was applied; what the driver could not do shows in the read-back.
  // A pty has no parity bit and drops PARENB (and the size) whatever it is given.
  int Verify(tcflag_t wanted, uint32_t rate) {
    termios t {};
    if (::tcgetattr(FFd, &t) != 0) return errno;
    const tcflag_t checked = FPty ? kCheckedFlags & ~PARENB : kCheckedFlags;
    if ((t.c_cflag & checked) != (wanted & checked)) return EINVAL;
    uint32_t actual = 0;
    if (GetLineSpeed(FFd, actual) == 0) {
      const uint64_t diff = actual > rate ? actual - rate : rate - actual;
      if (diff * 50 > rate) return EINVAL;  // more than 2 % away: the driver cannot make this rate
    }
    return 0;
  }

  int FFd;
  const bool FPty;
};

// Unix98 pty slaves (/dev/pts/N) have majors 136..143.
bool IsPtySlave(const struct stat& st) {
  const unsigned m = major(st.st_rdev);
  return m >= 136 && m <= 143;
}

}  // namespace

bool IsStandardRate(uint32_t rate) { return CodeOfRate(rate) != 0; }

int OpenTermiosDevice(const std::string& path, std::unique_ptr<CommDevice>& out) {
  int fd;
  do fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) return errno;
  auto fail = [fd](int error) {
    ::close(fd);
    return error;
  };
  struct stat st {};
  if (::fstat(fd, &st) != 0) return fail(errno);
  if (!S_ISCHR(st.st_mode) || !::isatty(fd)) return fail(ENOTTY);
  // The lock first: TIOCEXCL on a port another opener holds would be undone by our failure path.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(errno == EWOULDBLOCK ? EBUSY : errno);
  ::ioctl(fd, TIOCEXCL);  // keeps other unprivileged openers out; root passes, hence the flock

  termios t {};
  if (::tcgetattr(fd, &t) != 0) return fail(errno);
  const tcflag_t hangUpOnClose = t.c_cflag & HUPCL;
  ::cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD | hangUpOnClose;
  t.c_cflag &= ~CRTSCTS;
  t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | PARMRK);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  int r;
  do r = ::tcsetattr(fd, TCSANOW, &t);
  while (r != 0 && errno == EINTR);
  if (r != 0) {
    const int error = errno;
    ::ioctl(fd, TIOCNXCL);
    return fail(error);
  }
  out = std::make_unique<TermiosDevice>(fd, IsPtySlave(st));
  return 0;
}

}  // namespace xj
