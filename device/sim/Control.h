#pragma once
// The control socket: a Unix stream socket on which a box takes command lines from kaldoctl.
// One small thread serves every client side by side (poll) and hands each line to the handler, which
// is where the box takes its lock. A client that stalls, sending nothing or reading none of its
// replies, holds up nobody and is dropped after a while.

#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <string_view>
#include <thread>

namespace kaldo {

// The process's monotonic clock in ms: the real clock of a box, and the control socket's deadlines.
uint64_t MonotonicMs();

class ControlServer {
 public:
  using Handler = std::function<std::string(std::string_view line)>;

  ControlServer() = default;
  ~ControlServer() { Stop(); }
  ControlServer(const ControlServer&) = delete;
  ControlServer& operator=(const ControlServer&) = delete;

  // Binds `path` (replacing a stale socket left by a dead box, never a live one or another file)
  // and starts serving. False with a message on failure.
  bool Start(const std::string& path, Handler handler, std::string* error);
  // Stops the thread, drops every client, closes and removes the socket. Must not be called from
  // the handler.
  void Stop();

 private:
  struct Client;

  void Serve();
  void Accept(std::list<Client>& clients);
  void Attend(Client& c, short revents);
  void Answer(Client& c);

  Handler FHandler;
  std::string FPath;
  int FListen = -1;
  int FWake[2] = { -1, -1 };
  std::thread FThread;
};

}  // namespace kaldo
