// ShellExecuteA: the desktop opener, started detached (double fork) with the target as one argument.
// Everything the child needs is prepared before fork, because after fork in a threaded process the
// child may call only async-signal-safe functions.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/win32/ShellApi.h"

extern char** environ;

namespace xj {
namespace {

constexpr INT_PTR kStarted = 33;  // any value above 32 means "started"

std::mutex gHookLock;
ShellExecuteHook gHook;

std::string Text(LPCSTR s) { return s ? std::string(s) : std::string(); }

bool SameAsciiNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// "scheme:" as in an address; a single letter before ':' is a drive, not a scheme.
bool HasScheme(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && ((s[i] >= 'a' && s[i] <= 'z') || (s[i] >= 'A' && s[i] <= 'Z') ||
                          (i > 0 && ((s[i] >= '0' && s[i] <= '9') || s[i] == '+' || s[i] == '-' || s[i] == '.'))))
    ++i;
  return i >= 2 && i < s.size() && s[i] == ':';
}

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The opener's full path, searched in PATH when the name has no '/'; empty when there is none.
std::string FindOpener() {
  const char* named = std::getenv("XDG_OPEN_PROGRAM");
  const std::string name = named && *named ? named : "xdg-open";
  if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
  const char* path = std::getenv("PATH");
  const std::string_view dirs = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
  for (size_t from = 0; from <= dirs.size();) {
    size_t to = dirs.find(':', from);
    if (to == std::string_view::npos) to = dirs.size();
    std::string dir(dirs.substr(from, to - from));
    const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
    if (IsExecutableFile(candidate)) return candidate;
    from = to + 1;
  }
  return {};
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Works out what to run; fills Program and Target, or returns the refusal.
INT_PTR Prepare(ShellExecuteCall& call, std::string& hostDirectory) {
  if (!call.Operation.empty() && !SameAsciiNoCase(call.Operation, "open")) return SE_ERR_NOASSOC;
  if (call.File.empty()) return ERROR_FILE_NOT_FOUND;
  hostDirectory = call.Directory.empty() ? std::string() : PathToHost(call.Directory);
  if (!hostDirectory.empty() && !IsDirectory(hostDirectory)) return ERROR_PATH_NOT_FOUND;
  if (HasScheme(call.File)) {
    call.Target = GbkToUtf8(call.File);
  } else {
    call.Target = PathToHost(call.File);
    const std::string seen =
        call.Target[0] == '/' || hostDirectory.empty() ? call.Target : hostDirectory + "/" + call.Target;
    struct stat st {};
    if (::stat(seen.c_str(), &st) != 0) {
      call.Target.clear();
      return ERROR_FILE_NOT_FOUND;
    }
    if (call.Target[0] == '-') call.Target.insert(0, "./");  // a file name, never an option of the opener
  }
  call.Program = FindOpener();
  return call.Program.empty() ? SE_ERR_NOASSOC : kStarted;
}

// The grandchild's last steps before it becomes the opener; reports a failure through `status`.
[[noreturn]] void BecomeOpener(const char* program, char* const argv[], const char* directory, int status) {
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  for (int s = 1; s < NSIG; ++s) signal(s, SIG_DFL);  // an ignored SIGPIPE or SIGCHLD would be inherited
  if (const int null = ::open("/dev/null", O_RDONLY); null >= 0) {
    ::dup2(null, STDIN_FILENO);
    if (null != STDIN_FILENO) ::close(null);
  }
  int error = 0;
  if (directory && ::chdir(directory) != 0) {
    error = errno;
  } else {
    // None of our files (ports, sockets) goes along; older kernels lack the flag, so mark them one by one.
    if (::close_range(3, ~0u, CLOSE_RANGE_CLOEXEC) != 0)
      for (int fd = 3; fd < 4096; ++fd) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::execve(program, argv, environ);
    error = errno;
  }
  [[maybe_unused]] ssize_t n = ::write(status, &error, sizeof error);
  ::_exit(127);
}

// Starts the opener in a new session, reparented away from us, and reaps the go-between, so that no
// zombie is left. Returns 0 when it started, else an errno value.
int StartDetached(const std::string& program, const std::string& target, const std::string& directory) {
  std::vector<char*> argv = { const_cast<char*>(program.c_str()), const_cast<char*>(target.c_str()), nullptr };
  int status[2];
  if (::pipe2(status, O_CLOEXEC) != 0) return errno;
  const pid_t child = ::fork();
  if (child < 0) {
    const int e = errno;
    ::close(status[0]);
    ::close(status[1]);
    return e;
  }
  if (child == 0) {
    ::close(status[0]);
    ::setsid();
    // _Fork: no fork handlers, which could wait on locks that other threads held at the first fork.
    const pid_t grandchild = ::_Fork();
    if (grandchild == 0)
      BecomeOpener(program.c_str(), argv.data(), directory.empty() ? nullptr : directory.c_str(), status[1]);
    if (grandchild < 0) {
      const int e = errno;
      [[maybe_unused]] ssize_t n = ::write(status[1], &e, sizeof e);
    }
    ::_exit(0);
  }
  ::close(status[1]);
  int error = 0;
  ssize_t got;
  do got = ::read(status[0], &error, sizeof error);  // end of file: the opener's exec succeeded
  while (got < 0 && errno == EINTR);
  ::close(status[0]);
  while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
  }
  return got == static_cast<ssize_t>(sizeof error) ? error : 0;
}

}  // namespace

ShellExecuteHook SetShellExecuteHook(ShellExecuteHook hook) {
  std::lock_guard lock(gHookLock);
  std::swap(gHook, hook);
  return hook;
}

}  // namespace xj

HINSTANCE WINAPI ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters, LPCSTR lpDirectory,
                               INT nShowCmd) {
  xj::ShellExecuteCall call;
  call.Window = hwnd;
  call.Operation = xj::Text(lpOperation);
  call.File = xj::Text(lpFile);
  call.Parameters = xj::Text(lpParameters);
  call.Directory = xj::Text(lpDirectory);
  call.ShowCmd = nShowCmd;
  std::string directory;
  call.Result = xj::Prepare(call, directory);

  xj::ShellExecuteHook hook;
  {
    std::lock_guard lock(xj::gHookLock);
    hook = xj::gHook;
  }
  if (hook) {
    hook(call);
  } else if (call.Result == xj::kStarted) {
    const int error = xj::StartDetached(call.Program, call.Target, directory);
    if (error == ENOENT && !directory.empty() && !xj::IsDirectory(directory))
      call.Result = ERROR_PATH_NOT_FOUND;
    else if (error == EAGAIN || error == ENOMEM || error == EMFILE || error == ENFILE)
      call.Result = 0;
    else if (error != 0)
      call.Result = SE_ERR_NOASSOC;
  }
  return reinterpret_cast<HINSTANCE>(call.Result);
}
