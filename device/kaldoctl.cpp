// kaldoctl: drives a running simulated box through its control socket.
//
//   kaldoctl [-s SOCKET] COMMAND [ARG...]   one command, e.g. "kaldoctl call 0 13800138000"
//   kaldoctl [-s SOCKET] status             the box's state
//   kaldoctl [-s SOCKET] -                  commands from standard input, one a line
//   kaldoctl --help                          this usage, on standard output
//
// The socket is SOCKET, else $KALDO_CONTROL, else the box's default. Replies are printed as they
// come. Exit status: 0 when every command was taken, 1 when the box refused one, 2 when the box cannot
// be reached, stops answering or sends what no box sends, or on bad usage.

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "device/KaldoSim.h"

namespace {

constexpr const char* kUsage =
    "usage: kaldoctl [-s SOCKET] COMMAND [ARG...]\n"
    "       kaldoctl [-s SOCKET] status\n"
    "       kaldoctl [-s SOCKET] -      (commands from standard input, one a line)\n"
    "       kaldoctl --help\n"
    "commands:\n"
    "  lines N | serial N | ring L | call L [NUMBER] | hangup L | offhook L | onhook L\n"
    "  disconnect L | connect L | cid L TEXT | dtmf L DIGITS | fail L OP N | value L OP V\n"
    "  recordlimit MS | ringmode event|level | at T COMMAND\n"
    "  L: a line 0..31 or *; OP: state hook ring cid dtmf start stop recstate count serial open close type\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

// Prints each reply as it comes: its body lines to standard output, a refusal to standard error, with
// the number of the line refused when the commands come from standard input.
class ReplyPrinter {
 public:
  explicit ReplyPrinter(bool numbered) : FNumbered(numbered) {}
  void Print(const std::string& reply) {
    ++FCount;
    size_t last = reply.rfind('\n', reply.size() - 2);
    last = last == std::string::npos ? 0 : last + 1;
    std::fwrite(reply.data(), 1, last, stdout);
    std::string end = reply.substr(last, reply.size() - last - 1);
    if (end == "ok") return;
    FStatus = 1;
    std::fflush(stdout);
    if (FNumbered)
      std::fprintf(stderr, "kaldoctl: line %zu: %s\n", FCount, end.c_str() + 7);
    else
      std::fprintf(stderr, "kaldoctl: %s\n", end.c_str() + 7);
  }
  int Status() const { return FStatus; }  // 1 once the box refused a command

 private:
  bool FNumbered;
  size_t FCount = 0;
  int FStatus = 0;
};

}  // namespace

int main(int argc, char** argv) {
  std::string path;
  int i = 1;
  if (i < argc && std::string(argv[i]) == "-s") {
    if (i + 1 >= argc) return Usage();
    path = argv[i + 1];
    i += 2;
  }
  if (i >= argc) return Usage();
  if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (path.empty()) {
    const char* env = std::getenv("KALDO_CONTROL");
    path = env && *env ? env : kaldo::DefaultControlPath();
  }

  std::vector<std::string> lines;
  bool fromInput = std::string(argv[i]) == "-" && i + 1 == argc;
  if (fromInput) {
    for (std::string line; std::getline(std::cin, line);) lines.push_back(line);
  } else {
    std::string line;
    for (; i < argc; ++i) {
      if (!line.empty()) line += ' ';
      line += argv[i];
    }
    lines.push_back(line);
  }

  ReplyPrinter printer(fromInput);
  std::string error;
  if (!kaldo::SendControl(
          path, lines, [&printer](const std::string& r) { printer.Print(r); }, &error)) {
    std::fflush(stdout);
    std::fprintf(stderr, "kaldoctl: %s\n", error.c_str());
    return 2;
  }
  return printer.Status();
}
