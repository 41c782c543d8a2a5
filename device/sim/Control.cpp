#include "device/sim/Control.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <list>
#include <utility>

#include "device/KaldoSim.h"

namespace kaldo {
namespace {

constexpr size_t kMaxLine = 64 * 1024;  // the longest command line the box takes
constexpr size_t kChunk = 64 * 1024;    // what one read from a socket takes at most
// A client that leaves this much of its replies unread gets no more of its commands read until it
// reads them, so what the box holds for a client stays bounded.
constexpr size_t kBacklog = 64 * 1024;
// A client that sends no whole line and takes none of its replies for kControlPatienceMs is dropped:
// bytes that trickle in without ending a line do not keep it. When all these places are held, a
// newcomer takes the place of the client that has gone longest without moving.
constexpr size_t kMaxClients = 64;
// kaldoctl's limits on what comes back: no line a box writes is much longer than a command line it takes
// (an error quotes at most that), and a status of 32 busy lines is some tens of KiB.
constexpr size_t kMaxReplyLine = 128 * 1024;
constexpr size_t kMaxReply = 1024 * 1024;

std::string Errno(const std::string& what) { return what + ": " + std::strerror(errno); }

// A call on a socket that did nothing for now: it is tried again when poll says so.
bool WouldBlock() { return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR; }

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

// A connected client socket, or -1 with errno set: EAGAIN when the listener's queue of newcomers stayed
// full for patienceMs.
int Connect(const sockaddr_un& addr, uint64_t patienceMs) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  // A Unix socket's connect waits for room in that queue as long as a send may wait.
  patienceMs = std::max<uint64_t>(patienceMs, 1);
  const timeval patience { static_cast<time_t>(patienceMs / 1000), static_cast<suseconds_t>(patienceMs % 1000 * 1000) };
  if (::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience) != 0 ||
      ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
    int err = errno;
    ::close(fd);
    errno = err;
    return -1;
  }
  return fd;
}

// "10 s", or "5 ms" for what is shorter than a second.
std::string Span(uint64_t ms) { return ms < 1000 ? std::to_string(ms) + " ms" : std::to_string(ms / 1000) + " s"; }

bool IsTerminalLine(std::string_view line) { return line == "ok" || line.starts_with("error: "); }

// Bytes from a socket, cut into lines. Line ends are looked for only in bytes not looked at before, so
// a line that arrives in many pieces costs no more than one that arrives whole.
class LineBuffer {
 public:
  void Append(const char* data, size_t n) {
    FData.erase(0, FStart);
    FScanned -= FStart;
    FStart = 0;
    FData.append(data, n);
  }
  // The next whole line, without its newline; valid until the next Append.
  bool Next(std::string_view& line) {
    size_t nl = FData.find('\n', FScanned);
    if (nl == std::string::npos) {
      FScanned = FData.size();
      return false;
    }
    line = std::string_view(FData).substr(FStart, nl - FStart);
    FStart = FScanned = nl + 1;
    return true;
  }
  // What follows the last whole line: the start of a line not yet ended.
  std::string_view Rest() const { return std::string_view(FData).substr(FStart); }

 private:
  std::string FData;
  size_t FStart = 0;    // where the first line not yet taken begins
  size_t FScanned = 0;  // FData[FStart, FScanned) holds no newline
};

// Bytes waiting to go out on a socket.
struct Outbox {
  size_t Size() const { return data.size() - sent; }
  // Sends what the socket takes without waiting; false when the peer is gone.
  bool Flush(int fd) {
    while (Size() > 0) {
      ssize_t n = ::send(fd, data.data() + sent, Size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n < 0 && WouldBlock()) break;
      if (n <= 0) return false;
      sent += static_cast<size_t>(n);
    }
    if (sent == data.size() || sent >= kChunk) data.erase(0, std::exchange(sent, 0));
    return true;
  }

  std::string data;
  size_t sent = 0;
};

}  // namespace

struct ControlServer::Client {
  Client(int f, uint64_t now) : fd(f), due(now + kControlPatienceMs) {}
  ~Client() { ::close(fd); }
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  // Reads what the client sent.
  void Receive() {
    char chunk[kChunk];
    ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
    if (n > 0) in.Append(chunk, static_cast<size_t>(n));
    if (n == 0) ended = true;
    if (n < 0 && !WouldBlock()) failed = true;
  }
  // Refuses the line and whatever follows it.
  void RefuseTooLong() {
    out.data += "error: line too long\n";
    answered = true;
  }
  // Its commands are read while all is well and it has few replies waiting.
  bool Reading() const { return !ended && !answered && !failed && out.Size() < kBacklog; }
  bool Finished(uint64_t now) const { return failed || (answered && out.Size() == 0) || now >= due; }

  int fd;
  LineBuffer in;
  Outbox out;
  bool ended = false;     // it sent all it will
  bool answered = false;  // every command is answered, or the rest refused: hang up once `out` is sent
  bool failed = false;
  uint64_t due;  // dropped then, unless a whole line comes or a reply is taken first
};

std::string DefaultControlPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) return std::string(runtime) + "/kaldo.sock";
  return "/tmp/kaldo-" + std::to_string(::getuid()) + ".sock";
}

bool ControlServer::Start(const std::string& path, Handler handler, Clock clock, std::string* error) {
  Stop();
  sockaddr_un addr;
  if (!MakeAddress(path, addr, error)) return false;
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) {
      if (error) *error = "'" + path + "' exists and is not a socket";
      return false;
    }
    // A box whose queue of newcomers is full is live too.
    int probe = Connect(addr, kControlPatienceMs);
    if (probe >= 0 || errno == EAGAIN) {
      if (probe >= 0) ::close(probe);
      if (error) *error = "another box is already listening on '" + path + "'";
      return false;
    }
    ::unlink(path.c_str());  // left behind by a box that is gone
  }
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
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
  FClock = std::move(clock);
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

// Waits for whichever client is ready, or for a newcomer, or until the next client is overdue.
void ControlServer::Serve() {
  std::list<Client> clients;
  std::vector<pollfd> fds;
  for (;;) {
    fds.assign({ { FWake[0], POLLIN, 0 }, { FListen, POLLIN, 0 } });
    uint64_t due = UINT64_MAX;
    for (const Client& c : clients) {
      fds.push_back({ c.fd, short((c.Reading() ? POLLIN : 0) | (c.out.Size() ? POLLOUT : 0)), 0 });
      due = std::min(due, c.due);
    }
    const uint64_t now = FClock();
    int timeout =
        clients.empty() ? -1 : static_cast<int>(due > now ? std::min<uint64_t>(due - now, kControlPatienceMs) : 0);
    if (::poll(fds.data(), fds.size(), timeout) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[0].revents) return;
    size_t i = 2;
    for (Client& c : clients)
      if (short revents = fds[i++].revents) Attend(c, revents);
    clients.remove_if([now = FClock()](const Client& c) { return c.Finished(now); });
    if (fds[1].revents & POLLIN) Accept(clients);
  }
}

// Takes every client waiting. With every place held, the client that has gone longest without moving
// makes room (the first of equals, the oldest): clients that hold places doing nothing keep nobody out.
void ControlServer::Accept(std::list<Client>& clients) {
  for (;;) {
    int fd = ::accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) return;
    if (clients.size() >= kMaxClients)
      clients.erase(std::min_element(clients.begin(), clients.end(),
                                     [](const Client& a, const Client& b) { return a.due < b.due; }));
    clients.emplace_back(fd, FClock());
  }
}

// Reads what the client sent, then answers and sends until the socket takes no more or every line
// it sent is answered.
void ControlServer::Attend(Client& c, short revents) {
  // Read before anything is sent: a client that has its reply is never given less time than it should.
  const uint64_t now = FClock();
  if (c.Reading() && (revents & (POLLIN | POLLHUP | POLLERR))) c.Receive();
  bool moved = false;
  for (;;) {
    moved = Answer(c) || moved;
    const size_t waiting = c.out.Size();
    if (waiting == 0) break;
    if (!c.out.Flush(c.fd)) c.failed = true;
    moved = moved || c.out.Size() < waiting;
    if (c.failed || c.out.Size() > 0) break;
  }
  if (moved) c.due = now + kControlPatienceMs;
}

// Answers the client's whole lines until its replies back up; true when it answered one. A line is
// measured the same however its bytes came: whole, or as the start of a line not yet ended.
bool ControlServer::Answer(Client& c) {
  bool any = false;
  std::string_view line;
  while (!c.answered && c.out.Size() < kBacklog && c.in.Next(line)) {
    if (line.size() > kMaxLine) {
      c.RefuseTooLong();
      return true;
    }
    c.out.data += FHandler(line);
    any = true;
  }
  if (c.answered || c.out.Size() >= kBacklog) return any;
  // Every whole line is answered; what is left is the start of the next one.
  if (c.in.Rest().size() > kMaxLine) {
    c.RefuseTooLong();
  } else if (c.ended) {
    // A last line without its newline still counts.
    if (!c.in.Rest().empty()) c.out.data += FHandler(c.in.Rest());
    c.answered = true;
  }
  return any;
}

namespace {

// kaldoctl's side of one connection: it takes the replies while it still sends, so that neither side
// waits for the other to read, and holds at most one reply of what comes back.
class Exchange {
 public:
  Exchange(int fd, uint64_t patienceMs, const std::vector<std::string>& lines, const ReplyHandler& onReply)
      : FFd(fd), FPatienceMs(patienceMs), FLines(lines.size()), FOnReply(onReply) {
    for (const std::string& l : lines) FOut.data += l + "\n";
  }
  // True once every line got its reply and the box hung up; else Error() says what went wrong.
  bool Run();
  const std::string& Error() const { return FError; }

 private:
  static std::string LineTooLong() {
    return "the box sent a line longer than " + std::to_string(kMaxReplyLine / 1024) + " KiB";
  }
  bool Fail(std::string message) {
    if (FError.empty()) FError = std::move(message);
    return false;
  }
  void Send();
  bool Receive();  // false once the box hung up, or on failure
  bool Take(std::string_view line);

  int FFd;
  uint64_t FPatienceMs;
  size_t FLines;
  const ReplyHandler& FOnReply;
  Outbox FOut;
  bool FWriting = true;
  LineBuffer FIn;
  std::string FReply;  // the lines of the reply not yet ended
  size_t FReplies = 0;
  std::string FError;
};

bool Exchange::Run() {
  for (;;) {
    pollfd p { FFd, short(POLLIN | (FWriting ? POLLOUT : 0)), 0 };
    int n = ::poll(&p, 1, static_cast<int>(FPatienceMs));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(Errno("lost the connection to the box"));
    if (n == 0) return Fail("the box sent nothing for " + Span(FPatienceMs));
    if (p.revents & POLLOUT) Send();
    if ((p.revents & (POLLIN | POLLHUP | POLLERR)) && !Receive()) break;
  }
  if (!FError.empty()) return false;
  if (FReplies < FLines) return Fail("the box closed the connection early");
  return true;
}

void Exchange::Send() {
  // A box that hung up may still have said why: its replies are read on.
  if (!FOut.Flush(FFd)) {
    FWriting = false;
  } else if (FOut.Size() == 0) {
    ::shutdown(FFd, SHUT_WR);
    FWriting = false;
  }
}

bool Exchange::Receive() {
  char chunk[kChunk];
  ssize_t n = ::recv(FFd, chunk, sizeof chunk, MSG_DONTWAIT);
  if (n < 0 && WouldBlock()) return true;
  if (n < 0) return Fail(Errno("lost the connection to the box"));
  if (n == 0) return false;
  FIn.Append(chunk, static_cast<size_t>(n));
  for (std::string_view line; FIn.Next(line);)
    if (!Take(line)) return false;
  if (FIn.Rest().size() > kMaxReplyLine) return Fail(LineTooLong());
  return true;
}

bool Exchange::Take(std::string_view line) {
  if (line.size() > kMaxReplyLine) return Fail(LineTooLong());
  if (FReplies == FLines) return Fail("the box sent more replies than lines were sent");
  if (FReply.size() + line.size() >= kMaxReply)
    return Fail("the box sent a reply longer than " + std::to_string(kMaxReply >> 20) + " MiB");
  FReply.append(line) += '\n';
  if (!IsTerminalLine(line)) return true;
  ++FReplies;
  FOnReply(FReply);
  FReply.clear();
  return true;
}

}  // namespace

bool SendControlWithin(uint64_t patienceMs, const std::string& path, const std::vector<std::string>& lines,
                       const ReplyHandler& onReply, std::string* error) {
  sockaddr_un addr;
  if (!MakeAddress(path, addr, error)) return false;
  int fd = Connect(addr, patienceMs);
  if (fd < 0) {
    if (error && errno == EAGAIN)
      *error = "no box took the connection on '" + path + "' within " + Span(patienceMs);
    else if (error)
      *error = Errno("no box answers on '" + path + "'");
    return false;
  }
  Exchange exchange(fd, patienceMs, lines, onReply);
  bool ok = exchange.Run();
  ::close(fd);
  if (!ok && error) *error = exchange.Error();
  return ok;
}

bool SendControl(const std::string& path, const std::vector<std::string>& lines, const ReplyHandler& onReply,
                 std::string* error) {
  return SendControlWithin(kControlPatienceMs, path, lines, onReply, error);
}

bool SendControl(const std::string& path, const std::vector<std::string>& lines, std::vector<std::string>& replies,
                 std::string* error) {
  replies.clear();
  return SendControl(
      path, lines, [&replies](const std::string& reply) { replies.push_back(reply); }, error);
}

}  // namespace kaldo
