#pragma once
// What the serial benchmarks share: a pseudo-terminal pair and a byte pattern that shows any loss or
// reordering.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <string>

namespace bench {

constexpr size_t kMiB = 1 << 20;

struct Pty {
  Pty() {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) std::abort();
    path = ptsname(master);
    slave = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);  // keeps the pair alive between opens
  }
  ~Pty() {
    close(slave);
    close(master);
  }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;
  int master, slave;
  std::string path;
};

inline std::string Pattern(size_t size, unsigned seed) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 131 + seed + i / 251) & 0xFF);
  return s;
}

}  // namespace bench
