#include "device/sim/Control.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "device/KaldoSim.h"

namespace kaldo {
namespace {

constexpr size_t kMaxLine = 64 * 1024;
constexpr int kClientTimeoutSec = 10;

std::string Errno(const std::string& what) { return what + ": " + std::strerror(errno); }

bool MakeAddress(const std::string& path, sockaddr_un& addr, std::string* error) {
  if (path.empty() || path.size() >= sizeof addr.sun_path) {
    if (error) *error = "bad control socket path '" + path + "' (empty or longer than 107 bytes)";
    return false;
  }
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.data(), path.size());
  return true;
}

// A connected client socket, or -1 with errno set.
int Connect(const sockaddr_un& addr) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
    int err = errno;
    ::close(fd);
    errno = err;
    return -1;
  }
  return fd;
}

bool SendAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool IsTerminalLine(std::string_view line) { return line == "ok" || line.starts_with("error: "); }

}  // namespace

std::string DefaultControlPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) return std::string(runtime) + "/kaldo.sock";
  return "/tmp/kaldo-" + std::to_string(::getuid()) + ".sock";
}

bool ControlServer::Start(const std::string& path, Handler handler, std::string* error) {
  Stop();
  sockaddr_un addr;
  if (!MakeAddress(path, addr, error)) return false;
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) {
      if (error) *error = "'" + path + "' exists and is not a socket";
      return false;
    }
    int probe = Connect(addr);
    if (probe >= 0) {
      ::close(probe);
      if (error) *error = "another box is already listening on '" + path + "'";
      return false;
    }
    ::unlink(path.c_str());  // left behind by a box that is gone
  }
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    if (error) *error = Errno("cannot create a socket");
    return false;
  }
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 4) != 0) {
    if (error) *error = Errno("cannot listen on '" + path + "'");
    ::close(fd);
    return false;
  }
  if (::pipe2(FWake, O_CLOEXEC) != 0) {
    if (error) *error = Errno("cannot create a pipe");
    ::close(fd);
    ::unlink(path.c_str());
    return false;
  }
  ::chmod(path.c_str(), 0600);
  FListen = fd;
  FPath = path;
  FHandler = std::move(handler);
  FThread = std::thread([this] { Serve(); });
  return true;
}

void ControlServer::Stop() {
  if (FListen < 0) return;
  char c = 'x';
  while (::write(FWake[1], &c, 1) < 0 && errno == EINTR) {
  }
  FThread.join();
  ::close(FListen);
  ::close(FWake[0]);
  ::close(FWake[1]);
  FListen = FWake[0] = FWake[1] = -1;
  ::unlink(FPath.c_str());
  FPath.clear();
}

bool ControlServer::Wait(int fd) {
  pollfd fds[2] = { { fd, POLLIN, 0 }, { FWake[0], POLLIN, 0 } };
  for (;;) {
    int n = ::poll(fds, 2, -1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || (fds[1].revents & POLLIN)) return false;
    if (fds[0].revents) return true;
  }
}

void ControlServer::Serve() {
  while (Wait(FListen)) {
    int client = ::accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    ServeClient(client);
    ::close(client);
  }
}

void ControlServer::ServeClient(int fd) {
  std::string buffer;
  char chunk[4096];
  for (;;) {
    if (!Wait(fd)) return;
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return;
    if (n == 0) {
      // A last line without its newline still counts.
      if (!buffer.empty()) SendAll(fd, FHandler(buffer));
      return;
    }
    buffer.append(chunk, static_cast<size_t>(n));
    size_t nl;
    while ((nl = buffer.find('\n')) != std::string::npos) {
      std::string line = buffer.substr(0, nl);
      buffer.erase(0, nl + 1);
      if (!SendAll(fd, FHandler(line))) return;
    }
    if (buffer.size() > kMaxLine) {
      SendAll(fd, "error: line too long\n");
      return;
    }
  }
}

bool SendControl(const std::string& path, const std::vector<std::string>& lines, std::vector<std::string>& replies,
                 std::string* error) {
  replies.clear();
  sockaddr_un addr;
  if (!MakeAddress(path, addr, error)) return false;
  int fd = Connect(addr);
  if (fd < 0) {
    if (error) *error = Errno("no box answers on '" + path + "'");
    return false;
  }
  timeval tv { kClientTimeoutSec, 0 };
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  bool ok = SendAll(fd, out);
  ::shutdown(fd, SHUT_WR);

  std::string in, reply;
  char chunk[4096];
  while (ok) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    in.append(chunk, static_cast<size_t>(n));
    size_t nl;
    while ((nl = in.find('\n')) != std::string::npos) {
      std::string line = in.substr(0, nl);
      in.erase(0, nl + 1);
      reply += line + "\n";
      if (IsTerminalLine(line)) replies.push_back(std::move(reply)), reply.clear();
    }
  }
  ::close(fd);
  if (!ok || replies.size() != lines.size()) {
    if (error) *error = ok ? "the box closed the connection early" : Errno("lost the connection to the box");
    return false;
  }
  return true;
}

}  // namespace kaldo
