#pragma once
// A private Xvfb for one test program (the server picks a free display number and reports it), and
// outside programs (xdotool, import) run against it while the caller keeps its message loop going.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "tests/support/Wait.h"

extern char** environ;

namespace xj::test {

inline bool OnPath(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// A program left running beside the tests (a window manager) until Stop or the end of the object.
class BackgroundProgram {
 public:
  ~BackgroundProgram() { Stop(); }
  bool Start(const std::string& command) {
    const std::string line = "exec " + command;
    const char* argv[] = { "sh", "-c", line.c_str(), nullptr };
    if (posix_spawn(&FPid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) == 0) return true;
    FPid = -1;
    return false;
  }
  // Still running (a program that gave up has exited).
  bool Running() {
    if (FPid > 0 && waitpid(FPid, nullptr, WNOHANG) == FPid) FPid = -1;
    return FPid > 0;
  }
  // Stopped and let go on, as a busy machine leaves a program behind.
  void Pause(bool paused) {
    if (FPid > 0) kill(FPid, paused ? SIGSTOP : SIGCONT);
  }
  // Killed outright: twm takes SIGTERM only when an X event next wakes its loop, which may be never.
  void Stop() {
    if (FPid > 0) {
      kill(FPid, SIGKILL);
      waitpid(FPid, nullptr, 0);
    }
    FPid = -1;
  }

 private:
  pid_t FPid { -1 };
};

class XvfbServer {
 public:
  ~XvfbServer() { Stop(); }

  bool Start(std::string& why) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return why = "pipe failed", false;
    FPid = fork();
    if (FPid == 0) {
      fcntl(fds[1], F_SETFD, 0);  // the server writes its display number here
      int devnull = open("/dev/null", O_WRONLY);
      dup2(devnull, 1);
      dup2(devnull, 2);
      const std::string fd = std::to_string(fds[1]);
      // -noreset: closing the last connection must not restart the server under the next test.
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd p { fds[0], POLLIN, 0 };
    char c;
    while (poll(&p, 1, kPatienceMs) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) {
      Stop();
      return why = "Xvfb did not start", false;
    }
    FName = ":" + number;
    return true;
  }

  // Killed outright: twm takes SIGTERM only when an X event next wakes its loop, which may be never.
  void Stop() {
    FKept.reset();  // a client whose server goes first may take a while to notice
    if (FPid > 0) {
      kill(FPid, SIGKILL);
      waitpid(FPid, nullptr, 0);
    }
    FPid = -1;
  }

  const std::string& Name() const { return FName; }
  // A program (a window manager) that lives as long as the server and is stopped before it.
  void Keep(std::unique_ptr<BackgroundProgram> program) { FKept = std::move(program); }

 private:
  pid_t FPid { -1 };
  std::string FName;
  std::unique_ptr<BackgroundProgram> FKept;
};

// A server for a test suite, or null with the reason in `problem`.
inline XvfbServer* StartXvfb(std::string& problem) {
  if (!OnPath("Xvfb")) {
    problem = "Xvfb is not installed";
    return nullptr;
  }
  auto* server = new XvfbServer;
  if (server->Start(problem)) return server;
  delete server;
  return nullptr;
}

// Runs `command` through sh (the environment, DISPLAY included, is passed on) and calls `pump` until
// it exits, or kills it after `limitMs`. Returns its exit status, or -1.
inline int RunWhilePumping(const std::string& command, const std::function<void()>& pump, int limitMs = kPatienceMs) {
  pid_t pid;
  const char* argv[] = { "sh", "-c", command.c_str(), nullptr };
  if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return -1;
  int status = 0;
  if (WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, pump, limitMs))
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1;
}

}  // namespace xj::test
