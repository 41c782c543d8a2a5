#pragma once
// The control socket: a Unix stream socket on which a box takes command lines from kaldoctl.
// One small thread accepts clients one after the other and hands each line to the handler; the
// handler is where the box takes its lock.

#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace kaldo {

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
  // Stops the thread, closes and removes the socket. Must not be called from the handler.
  void Stop();

 private:
  void Serve();
  void ServeClient(int fd);
  bool Wait(int fd);  // until fd is readable (true) or Stop is called (false)

  Handler FHandler;
  std::string FPath;
  int FListen = -1;
  int FWake[2] = { -1, -1 };
  std::thread FThread;
};

}  // namespace kaldo
