#pragma once
// The control socket: a Unix stream socket on which a box takes command lines from kaldoctl.
// One small thread serves every client side by side (poll) and hands each line to the handler, which
// is where the box takes its lock. A client that stalls, sending no whole line or reading none of its
// replies, holds up nobody: it is dropped after a while, or at once when a newcomer needs its place.

#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace kaldo {

// The process's monotonic clock in ms: the real clock of a box, and the control socket's deadlines.
uint64_t MonotonicMs();

// How long either side of the control socket waits for the other to move: the box for a client's whole
// line or for it to take its replies, kaldoctl for the box to take the connection or to send anything.
constexpr uint64_t kControlPatienceMs = 10000;

class ControlServer {
 public:
  using Handler = std::function<std::string(std::string_view line)>;
  using Clock = std::function<uint64_t()>;  // ms

  ControlServer() = default;
  ~ControlServer() { Stop(); }
  ControlServer(const ControlServer&) = delete;
  ControlServer& operator=(const ControlServer&) = delete;

  // Binds `path` (replacing a stale socket left by a dead box, never a live one or another file)
  // and starts serving, its deadlines kept by `clock`. False with a message on failure.
  bool Start(const std::string& path, Handler handler, Clock clock, std::string* error);
  // Stops the thread, drops every client, closes and removes the socket. Must not be called from
  // the handler.
  void Stop();

 private:
  struct Client;

  void Serve();
  void Accept(std::list<Client>& clients);
  void Attend(Client& c, short revents);
  bool Answer(Client& c);

  Handler FHandler;
  Clock FClock;
  std::string FPath;
  int FListen = -1;
  int FWake[2] = { -1, -1 };
  std::thread FThread;
};

// SendControl with another patience than kControlPatienceMs.
bool SendControlWithin(uint64_t patienceMs, const std::string& path, const std::vector<std::string>& lines,
                       const std::function<void(const std::string& reply)>& onReply, std::string* error);

}  // namespace kaldo
