// The control socket and kaldoctl, against a box running in this process.

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "device/sim/Control.h"
#include "tests/device/BoxTestSupport.h"
#include "tests/support/Wait.h"

namespace kaldo::test {
namespace {

struct ToolResult {
  int exit = -1;
  std::string out, err;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

sockaddr_un Address(const std::string& path) {
  sockaddr_un addr {};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
  return addr;
}

// A socket of the test's own, closed at the end of the scope.
struct Socket {
  Socket() : fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
  ~Socket() { ::close(fd); }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  bool Connect(const std::string& path) {
    sockaddr_un addr = Address(path);
    return ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  }
  int fd;
};

// Reads up to a newline, giving up only when nothing comes for a very long time.
std::string ReadLine(int fd) {
  timeval patience { xj::test::kPatienceMs / 1000, 0 };
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
  std::string line;
  char c;
  while (::recv(fd, &c, 1, 0) == 1 && c != '\n') line += c;
  return line;
}

// Whether the other side has hung up: nothing more to read, and no data waiting.
bool HungUp(int fd) {
  char c;
  return ::recv(fd, &c, 1, MSG_DONTWAIT) == 0;
}

// A listening socket of the test's own on `path`.
void Listen(Socket& s, const std::string& path, int backlog) {
  sockaddr_un addr = Address(path);
  ::unlink(path.c_str());
  ASSERT_EQ(::bind(s.fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(::listen(s.fd, backlog), 0);
}

// Something that is not a box on a socket path: it takes one client and sends `unit` again and again,
// 8 MiB in all, then hangs up (before that, if the client hangs up).
class EndlessTalker {
 public:
  static constexpr size_t kBudget = 8u << 20;

  EndlessTalker(const std::string& path, const std::string& unit) {
    sockaddr_un addr = Address(path);
    ::unlink(path.c_str());
    EXPECT_EQ(::bind(FListen.fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    EXPECT_EQ(::listen(FListen.fd, 1), 0);
    FThread = std::thread([this, unit] { Talk(unit); });
  }
  ~EndlessTalker() { Sent(); }

  // Waits for the talker to finish (it takes no client after this); what it managed to send.
  size_t Sent() {
    ::shutdown(FListen.fd, SHUT_RDWR);
    if (FThread.joinable()) FThread.join();
    return FSent;
  }

 private:
  void Talk(const std::string& unit) {
    int client = ::accept(FListen.fd, nullptr, nullptr);
    if (client < 0) return;
    std::string block;
    while (block.size() < 64 * 1024) block += unit;
    while (FSent < kBudget) {
      ssize_t n = ::send(client, block.data(), std::min(block.size(), kBudget - FSent), MSG_NOSIGNAL);
      if (n <= 0) break;
      FSent += static_cast<size_t>(n);
    }
    ::close(client);
  }

  Socket FListen;
  size_t FSent = 0;
  std::thread FThread;
};

class ControlTest : public BoxTest {
 protected:
  void SetUp() override {
    Open(4);
    socket = dir / "ctl.sock";
    std::string error;
    ASSERT_TRUE(box.StartControl(socket, &error)) << error;
  }

  // Runs kaldoctl with the given arguments (already quoted for the shell) and standard input.
  ToolResult Tool(const std::string& args, const std::string& input = "") {
    std::string in = dir / "in", out = dir / "out", err = dir / "err";
    std::ofstream(in) << input;
    // The time limit only turns a tool that would never end into a failure.
    std::string cmd = "timeout -k 5 " + std::to_string(xj::test::kPatienceMs / 1000) +
                      " " XJ_BINARY_DIR "/bin/kaldoctl " + args + " <" + in + " >" + out + " 2>" + err;
    int status = std::system(cmd.c_str());
    return { WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err) };
  }

  ScratchDir dir;
  std::string socket;
};

TEST_F(ControlTest, StatusShowsTheBoxAndItsLines) {
  Run("offhook 1");
  Run("fail 2 ring 3");
  Run("dtmf 0 1234");
  box.QueueDtmf(2, std::string(300000, '5'));  // longer than any line the tool takes
  ToolResult r = Tool("-s " + socket + " status");
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_NE(r.out.find("box: open"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("lines 4"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("line 1: connected, off hook"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("fault ring: fail next 3"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("line 0: connected, on hook, DTMF queued \"1234\"\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(", DTMF queued \"" + std::string(1000, '5') + "\"... (300000 bytes)\n"), std::string::npos);
  EXPECT_NE(r.out.find("line 3:"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("line 4:"), std::string::npos) << r.out;
}

TEST_F(ControlTest, CommandsReachTheBox) {
  ToolResult r = Tool("-s " + socket + " cid 2 hello world");
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.out, "");
  char buf[kTextBufferSize];
  int n = box.DevGetCallerId(2, buf);
  EXPECT_EQ(std::string(buf, n > 0 ? n : 0), "hello world");

  // KALDO_CONTROL names the socket when -s does not.
  std::string cmd = "KALDO_CONTROL=" + socket + " " XJ_BINARY_DIR "/bin/kaldoctl call 3 555 >/dev/null 2>&1";
  EXPECT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_EQ(box.DevGetRing(3), 1);
}

TEST_F(ControlTest, CommandsFromStandardInputKeepTheirBlanks) {
  ToolResult r =
      Tool("-s " + socket + " -", "# a scenario piped in\ncid 0   spaced  \nbogus 1\nat 100 dtmf 0 12\nstatus\n");
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find("line 3: unknown command 'bogus'"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("box: open"), std::string::npos) << "the commands after a bad one still run";
  char buf[kTextBufferSize];
  int n = box.DevGetCallerId(0, buf);
  EXPECT_EQ(std::string(buf, n > 0 ? n : 0), "  spaced  ");
  Advance(100);
  EXPECT_EQ(box.DevGetDtmf(0, buf), 2);
}

TEST_F(ControlTest, RefusedCommandsAndMissingBoxesAreReported) {
  ToolResult r = Tool("-s " + socket + " ring 40");
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find("bad line '40'"), std::string::npos) << r.err;
  r = Tool("-s " + socket + " status now");
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find("expected: status"), std::string::npos) << r.err;
  r = Tool("-s " + (dir / "nobody.sock") + " status");
  EXPECT_EQ(r.exit, 2);
  EXPECT_NE(r.err.find("no box answers"), std::string::npos) << r.err;
  r = Tool("");
  EXPECT_EQ(r.exit, 2);
  EXPECT_NE(r.err.find("usage"), std::string::npos);
  r = Tool("-s");
  EXPECT_EQ(r.exit, 2);
}

// The tool reads replies while it still sends: a long script does not leave it and the box each waiting
// for the other to read.
TEST_F(ControlTest, AHundredThousandLinesFromStandardInputAreAllAnswered) {
  // The last lines ask for the status: far more reply bytes than either side buffers, most of them
  // due after the tool has sent its last line.
  std::string script;
  for (int k = 1; k < 100000; ++k) script += k < 90000 ? "serial " + std::to_string(k) + "\n" : "status\n";
  script += "bogus 1\n";
  ToolResult r = Tool("-s " + socket + " -", script);
  EXPECT_EQ(r.exit, 1) << r.err;
  EXPECT_EQ(r.err, "kaldoctl: line 100000: unknown command 'bogus'\n");
  size_t statuses = 0;
  for (size_t at = 0; (at = r.out.find(", serial 89999, ", at)) != std::string::npos; ++at) ++statuses;
  EXPECT_EQ(statuses, 10000u) << "each status sees every line before it";
  EXPECT_EQ(box.DevGetSerialNumber(0), 89999);
}

// The box serves its clients side by side: one that sends nothing and one that sends commands without
// reading the replies hold up neither another client nor their own later turn.
TEST_F(ControlTest, ClientsThatStallHoldUpNobody) {
  Socket silent, deaf;
  ASSERT_TRUE(silent.Connect(socket));
  ASSERT_TRUE(deaf.Connect(socket));
  std::string statuses;
  for (int k = 0; k < 1000; ++k) statuses += "status\n";
  size_t pushed = 0;
  for (ssize_t n; (n = ::send(deaf.fd, statuses.data(), statuses.size(), MSG_DONTWAIT | MSG_NOSIGNAL)) > 0;)
    pushed += static_cast<size_t>(n);
  EXPECT_GT(pushed, 0u);

  std::vector<std::string> replies;
  std::string error;
  ASSERT_TRUE(SendControl(socket, { "lines 9", "status" }, replies, &error)) << error;
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[0], "ok\n");
  EXPECT_NE(replies[1].find("lines 9"), std::string::npos) << replies[1];

  // The silent client is still served once it speaks.
  ASSERT_EQ(::send(silent.fd, "lines 7\n", 8, MSG_NOSIGNAL), 8);
  EXPECT_EQ(ReadLine(silent.fd), "ok");
  EXPECT_EQ(box.DevGetLineCount(), 7);
}

// Every place held by clients that never end their line: a newcomer is answered at once, in the place
// of the client that went longest without a whole line (the oldest of equals); nobody else is dropped.
TEST_F(ControlTest, ClientsHoldingEveryPlaceKeepNoNewcomerWaiting) {
  std::vector<std::unique_ptr<Socket>> held;
  for (int i = 0; i < 64; ++i) {
    held.push_back(std::make_unique<Socket>());
    ASSERT_TRUE(held.back()->Connect(socket));
    ASSERT_EQ(::send(held.back()->fd, "lines 5\nsta", 11, MSG_NOSIGNAL), 11);
    ASSERT_EQ(ReadLine(held.back()->fd), "ok");
  }
  std::vector<std::string> replies;
  std::string error;
  ASSERT_TRUE(SendControl(socket, { "lines 6" }, replies, &error)) << error;
  EXPECT_EQ(box.DevGetLineCount(), 6);
  EXPECT_TRUE(HungUp(held[0]->fd));
  for (int i = 1; i < 64; ++i) EXPECT_FALSE(HungUp(held[i]->fd)) << i;
}

// A line is taken up to 64 KiB (65,536 bytes before its newline) and refused past that with the rest of
// what the client sends, however the bytes arrive.
TEST_F(ControlTest, ALineOfMoreThan64KiBIsRefusedHoweverItArrives) {
  auto comment = [](size_t n) { return "#" + std::string(n - 1, 'x'); };
  std::vector<std::string> replies;
  std::string error;
  ASSERT_TRUE(SendControl(socket, { comment(65536), "lines 7" }, replies, &error)) << error;
  EXPECT_EQ(replies, (std::vector<std::string> { "ok\n", "ok\n" }));
  for (size_t n : { size_t { 65537 }, size_t { 70000 } }) {
    ASSERT_TRUE(SendControl(socket, { comment(n) }, replies, &error)) << error;
    EXPECT_EQ(replies, std::vector<std::string> { "error: line too long\n" }) << n << " bytes at once";
  }
  // In two pieces, the first short of the limit or past it.
  const std::string bytes = comment(70000) + "\nlines 9\n";
  for (size_t first : { size_t { 100 }, size_t { 66000 } }) {
    Socket client;
    ASSERT_TRUE(client.Connect(socket));
    ASSERT_EQ(::send(client.fd, bytes.data(), first, MSG_NOSIGNAL), static_cast<ssize_t>(first));
    ::send(client.fd, bytes.data() + first, bytes.size() - first, MSG_NOSIGNAL);  // the box may hang up first
    EXPECT_EQ(ReadLine(client.fd), "error: line too long") << first;
    EXPECT_EQ(ReadLine(client.fd), "") << "hung up";
  }
  EXPECT_EQ(box.DevGetLineCount(), 7) << "nothing after a line too long is run";
}

// A box that answers one of two lines and hangs up has not taken them all; one that answers both has.
TEST_F(ControlTest, ABoxThatHangsUpBeforeTheLastReplyIsAFailure) {
  const std::string path = dir / "short.sock";
  for (const std::string answers : { "ok\n", "ok\nok\n" }) {
    Socket listener;
    Listen(listener, path, 1);
    std::thread fake([&] {
      int client = ::accept(listener.fd, nullptr, nullptr);
      if (client < 0) return;
      char c;
      while (::recv(client, &c, 1, 0) == 1) {
      }
      ::send(client, answers.data(), answers.size(), MSG_NOSIGNAL);
      ::close(client);
    });
    std::vector<std::string> replies;
    std::string error;
    const bool ok = SendControl(path, { "lines 5", "lines 6" }, replies, &error);
    fake.join();
    EXPECT_EQ(ok, answers.size() == 6) << answers;
    EXPECT_EQ(error, ok ? "" : "the box closed the connection early");
    EXPECT_EQ(replies.size(), answers.size() / 3);
  }
}

// Behind a listener that takes nobody and whose queue of newcomers is full, the tool gives up when its
// patience runs out instead of waiting in connect for ever.
TEST_F(ControlTest, AListenerThatTakesNoConnectionIsGivenUpOn) {
  const std::string path = dir / "full.sock";
  Socket listener;
  Listen(listener, path, 0);
  std::vector<std::unique_ptr<Socket>> queued;
  bool full = false;
  while (!full && queued.size() < 64) {
    queued.push_back(std::make_unique<Socket>());
    ::fcntl(queued.back()->fd, F_SETFL, O_NONBLOCK);
    full = !queued.back()->Connect(path) && errno == EAGAIN;
  }
  ASSERT_TRUE(full);
  std::string error;
  EXPECT_FALSE(SendControlWithin(
      1, path, { "status" }, [](const std::string&) {}, &error));
  EXPECT_EQ(error, "no box took the connection on '" + path + "' within 1 ms");
}

// Whatever owns the socket path, the tool keeps a bounded amount of what it is sent and stops with a clear
// error: each talker below has 8 MiB to send, and the tool must hang up long before that.
TEST_F(ControlTest, ATalkerThatNeverEndsItsReplyIsCutOff) {
  struct Case {
    std::string unit, message;
  };
  for (const Case& c : { Case { "x", "the box sent a line longer than 128 KiB" },
                         Case { "x\n", "the box sent a reply longer than 1 MiB" },
                         Case { "ok\n", "the box sent more replies than lines were sent" } }) {
    std::string path = dir / "talker.sock";
    EndlessTalker talker(path, c.unit);
    ToolResult r = Tool("-s " + path + " status");
    EXPECT_EQ(r.exit, 2) << c.message;
    EXPECT_EQ(r.err, "kaldoctl: " + c.message + "\n");
    EXPECT_LT(talker.Sent(), EndlessTalker::kBudget) << c.message << ": the tool took all the talker sent";
  }
}

// Asking for help reaches no box: the usage goes to standard output and the tool succeeds.
TEST_F(ControlTest, HelpPrintsTheUsageWithoutReachingABox) {
  for (const std::string& args :
       { std::string("--help"), std::string("-h"), "-s " + (dir / "nobody.sock") + " --help" }) {
    ToolResult r = Tool(args);
    EXPECT_EQ(r.exit, 0) << args;
    EXPECT_EQ(r.out.rfind("usage: kaldoctl", 0), 0u) << args << ": " << r.out;
    EXPECT_NE(r.out.find("commands:"), std::string::npos) << args;
    EXPECT_EQ(r.err, "") << args;
  }
}

TEST_F(ControlTest, ASecondBoxCannotTakeALiveSocket) {
  Box other;
  std::string error;
  EXPECT_FALSE(other.StartControl(socket, &error));
  EXPECT_NE(error.find("already listening"), std::string::npos) << error;
  // The first box still answers.
  std::vector<std::string> replies;
  ASSERT_TRUE(SendControl(socket, { "lines 9" }, replies, &error)) << error;
  EXPECT_EQ(box.DevGetLineCount(), 9);
}

TEST_F(ControlTest, StaleSocketsAreReplacedOtherFilesLeftAlone) {
  box.StopControl();
  EXPECT_FALSE(std::filesystem::exists(socket)) << "a stopped box removes its socket";
  // A socket file nobody listens on, as a killed box leaves it.
  {
    Socket stale;
    sockaddr_un addr = Address(socket);
    ASSERT_EQ(::bind(stale.fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  }
  std::string error;
  EXPECT_TRUE(box.StartControl(socket, &error)) << error;
  box.StopControl();

  std::string plain = dir / "plain";
  std::ofstream(plain) << "keep me";
  EXPECT_FALSE(box.StartControl(plain, &error));
  EXPECT_NE(error.find("not a socket"), std::string::npos) << error;
  EXPECT_EQ(Slurp(plain), "keep me");
  EXPECT_FALSE(box.StartControl(dir / std::string(120, 'x'), &error));
  EXPECT_FALSE(box.StartControl(dir / "no/such/dir.sock", &error));
  EXPECT_NE(error.find("cannot listen"), std::string::npos) << error;
}

TEST_F(ControlTest, CommandsFromTheSocketAreSafeAgainstPollingThreads) {
  std::atomic<bool> done { false };
  std::atomic<int> cids { 0 };
  std::thread poller([&] {
    char buf[kTextBufferSize];
    while (!done) {
      for (int i = 0; i < 4; ++i) {
        box.DevGetLineState(i);
        box.DevGetHookState(i);
        box.DevGetRing(i);
        if (box.DevGetCallerId(i, buf) > 0) ++cids;
        box.DevGetDtmf(i, buf);
      }
      Advance(10);
    }
  });
  constexpr int kRounds = 50;
  for (int k = 0; k < kRounds; ++k) {
    std::vector<std::string> replies;
    std::string error;
    ASSERT_TRUE(SendControl(socket, { "cid 1 " + std::to_string(k), "call 2", "hangup 2", "status" }, replies, &error))
        << error;
    for (size_t i = 0; i + 1 < replies.size(); ++i) EXPECT_EQ(replies[i], "ok\n");
  }
  // Let the poller drain what is left, then stop it.
  xj::test::WaitUntil([&] { return cids >= kRounds; });
  done = true;
  poller.join();
  EXPECT_EQ(cids, kRounds);
}

// A client must end its line within the patience however its bytes trickle in; each whole line answered
// gives it the patience anew. The server runs on a clock of the test's own.
TEST(ControlServerTest, ALineMustEndWithinThePatienceHoweverItsBytesTrickle) {
  ScratchDir dir;
  const std::string path = dir / "clock.sock";
  ManualClock clock;
  ControlServer server;
  std::string error;
  ASSERT_TRUE(server.Start(
      path, [](std::string_view) { return std::string("ok\n"); }, [&clock] { return clock.ms.load(); }, &error))
      << error;
  // Two whole exchanges of other clients: the first makes the server look at every deadline, and the
  // second is served only once that round, with whatever it dropped, is over.
  auto look = [&] {
    std::vector<std::string> replies;
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(SendControl(path, { "x" }, replies, &error)) << error;
  };
  Socket trickler, steady;
  ASSERT_TRUE(trickler.Connect(path));
  ASSERT_TRUE(steady.Connect(path));
  ASSERT_EQ(::send(trickler.fd, "a\nb", 3, MSG_NOSIGNAL), 3);
  EXPECT_EQ(ReadLine(trickler.fd), "ok");
  for (int i = 0; i < 9; ++i) {
    clock.Advance(1111);
    ASSERT_EQ(::send(trickler.fd, "b", 1, MSG_NOSIGNAL), 1);
    ASSERT_EQ(::send(steady.fd, "s\n", 2, MSG_NOSIGNAL), 2);
    EXPECT_EQ(ReadLine(steady.fd), "ok");
    look();
  }
  EXPECT_FALSE(HungUp(trickler.fd)) << "dropped 9,999 ms after its last whole line";
  clock.Advance(1);
  look();
  EXPECT_TRUE(HungUp(trickler.fd)) << "kept 10,000 ms after its last whole line";
  EXPECT_FALSE(HungUp(steady.fd));
}

// A box driven by the environment opens its socket at DevOpen and removes it at DevClose.
TEST(ControlEnvironment, TheLibraryBoxOpensItsSocketWhileOpen) {
  ScratchDir dir;
  std::string socket = dir / "env.sock";
  ::setenv("KALDO_CONTROL", socket.c_str(), 1);
  ::setenv("KALDO_SCENARIO", "", 1);
  {
    Box box(Box::Environment::Use);
    EXPECT_FALSE(std::filesystem::exists(socket));
    ASSERT_EQ(box.DevOpen(), 0);
    EXPECT_TRUE(std::filesystem::exists(socket));
    std::vector<std::string> replies;
    std::string error;
    ASSERT_TRUE(SendControl(socket, { "status" }, replies, &error)) << error;
    EXPECT_NE(replies[0].find("control: " + socket), std::string::npos) << replies[0];

    // A second box on the same path opens anyway, without a socket, and says so.
    Box second(Box::Environment::Use);
    std::vector<std::string> messages;
    second.SetMessageSink([&](std::string_view m) { messages.emplace_back(m); });
    EXPECT_EQ(second.DevOpen(), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("already listening"), std::string::npos) << messages[0];
    EXPECT_EQ(second.DevClose(), 0);
    EXPECT_TRUE(std::filesystem::exists(socket)) << "the second box must not remove the first one's socket";

    ASSERT_TRUE(box.Command("fail * close 1"));
    EXPECT_EQ(box.DevClose(), -1);
    EXPECT_TRUE(std::filesystem::exists(socket)) << "a box that stays open keeps its socket";
    ASSERT_EQ(box.DevClose(), 0);
    EXPECT_FALSE(std::filesystem::exists(socket));
  }
  ::unsetenv("KALDO_CONTROL");
  ::unsetenv("KALDO_SCENARIO");
}

}  // namespace
}  // namespace kaldo::test
