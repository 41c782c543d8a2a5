// The control socket at its edges: a command line of exactly 64 KiB is taken and one byte more is
// refused, and the client never reports success for a box that hangs up before the last reply or
// answers more lines than it was sent.

#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <linux/sockios.h>

#include <thread>

#include "tests/device/BoxTestSupport.h"
#include "tests/support/Wait.h"

namespace kaldo::test {
namespace {

constexpr size_t kLimit = 64 * 1024;          // the longest command line the box takes
constexpr size_t kMaxReplyLine = 128 * 1024;  // the longest line kaldoctl takes from a box
constexpr size_t kMaxReply = 1024 * 1024;     // the longest reply, its line ends counted

// A reply whose one body line holds `size` bytes before its line end.
std::string LongLine(size_t size) { return std::string(size, 'x') + "\nok\n"; }

// A reply of `size` bytes in all, line ends and its "ok" line counted, in lines of at most 1,000 bytes.
std::string Sized(size_t size) {
  std::string r;
  for (size_t rest = size - 3; rest > 0;) {
    const size_t n = std::min<size_t>(1000, rest);
    r += std::string(n - 1, 'x') + "\n";
    rest -= n;
  }
  return r + "ok\n";
}

// A socket of the test's own, closed at the end of the scope.
struct Socket {
  Socket() : fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
  ~Socket() { ::close(fd); }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  sockaddr_un Address(const std::string& path) const {
    sockaddr_un addr {};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
    return addr;
  }
  bool Connect(const std::string& path) {
    sockaddr_un addr = Address(path);
    return ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  }
  bool Listen(const std::string& path) {
    sockaddr_un addr = Address(path);
    return ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 && ::listen(fd, 1) == 0;
  }
  bool Send(std::string_view bytes) {
    for (size_t sent = 0; sent < bytes.size();) {
      ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return false;
      sent += static_cast<size_t>(n);
    }
    return true;
  }
  // Whether the peer has read every byte sent so far.
  bool AllTaken() const {
    int queued = -1;
    return ::ioctl(fd, SIOCOUTQ, &queued) == 0 && queued == 0;
  }
  // What comes until the peer hangs up.
  std::string ReadAll() {
    timeval patience { xj::test::kPatienceMs / 1000, 0 };
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    std::string all;
    char buf[4096];
    for (ssize_t n; (n = ::recv(fd, buf, sizeof buf, 0)) > 0;) all.append(buf, static_cast<size_t>(n));
    return all;
  }
  int fd;
};

class ControlEdgesTest : public BoxTest {
 protected:
  void SetUp() override {
    Open(4);
    ASSERT_TRUE(box.StartControl(socket, &error)) << error;
  }
  // A line of `size` bytes that queues digits on line 1.
  static std::string DigitsLine(size_t size) { return "dtmf 1 " + std::string(size - 7, '5'); }
  // Sends `line` whole and, once the box has read all of it, its line end and a status request: the
  // box has then held the whole line before seeing where it ends. The box's replies.
  std::string SendHeld(const std::string& line) {
    Socket s;
    EXPECT_TRUE(s.Connect(socket));
    EXPECT_TRUE(s.Send(line));
    EXPECT_TRUE(xj::test::WaitUntil([&] { return s.AllTaken(); }));
    s.Send("\nstatus\n");  // a box that refused the line may have hung up already
    ::shutdown(s.fd, SHUT_WR);
    return s.ReadAll();
  }

  ScratchDir dir;
  std::string socket { dir / "ctl.sock" };
  std::string error;
};

TEST_F(ControlEdgesTest, ALineOfExactly64KiBIsTakenAndOneByteMoreIsRefused) {
  const std::string taken = SendHeld(DigitsLine(kLimit));
  EXPECT_TRUE(taken.starts_with("ok\nbox: open")) << taken.substr(0, 200);
  EXPECT_NE(taken.find("(" + std::to_string(kLimit - 7) + " bytes)"), std::string::npos);
  EXPECT_TRUE(taken.ends_with("ok\n"));

  EXPECT_EQ(SendHeld(DigitsLine(kLimit + 1)), "error: line too long\n");  // and nothing after it is read
  EXPECT_NE(box.Status().find("(" + std::to_string(kLimit - 7) + " bytes)"), std::string::npos);  // no more digits
}

TEST_F(ControlEdgesTest, TheClientSendsA64KiBLineAndTheLinesAfterIt) {
  std::vector<std::string> replies;
  ASSERT_TRUE(SendControl(socket, { DigitsLine(kLimit), "status" }, replies, &error)) << error;
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[0], "ok\n");
  EXPECT_NE(replies[1].find("DTMF queued \"555"), std::string::npos);
  EXPECT_NE(replies[1].find("(" + std::to_string(kLimit - 7) + " bytes)"), std::string::npos);
}

// A caller's number or queued digits up to 1,000 bytes show whole; longer, by their start and length.
TEST_F(ControlEdgesTest, TheStatusShowsUpTo1000DigitsWholeAndMoreByTheirStartAndLength) {
  std::vector<std::string> replies;
  const std::string digits(1000, '7');
  ASSERT_TRUE(SendControl(socket, { "dtmf 1 " + digits, "status", "dtmf 1 7", "status" }, replies, &error)) << error;
  ASSERT_EQ(replies.size(), 4u);
  EXPECT_NE(replies[1].find("DTMF queued \"" + digits + "\"\n"), std::string::npos) << replies[1];
  EXPECT_NE(replies[3].find("DTMF queued \"" + digits + "\"... (1001 bytes)\n"), std::string::npos) << replies[3];
}

// Something that is not a box on a socket path: it takes one client, reads all it sends, answers
// `reply` and hangs up.
class OneShotBox {
 public:
  OneShotBox(const std::string& path, std::string reply) {
    EXPECT_TRUE(FListen.Listen(path));
    FThread = std::thread([this, reply = std::move(reply)] {
      Socket client;
      ::close(client.fd);
      client.fd = ::accept(FListen.fd, nullptr, nullptr);
      if (client.fd < 0) return;
      client.ReadAll();
      client.Send(reply);
    });
  }
  ~OneShotBox() { FThread.join(); }

 private:
  Socket FListen;
  std::thread FThread;
};

TEST_F(ControlEdgesTest, ABoxThatHangsUpEarlyOrAnswersTooMuchIsNeverASuccess) {
  const std::string path = dir / "other.sock";
  const struct {
    std::vector<std::string> lines;
    std::string reply;
    const char* why;
    size_t handed;  // replies handed on before the failure
  } cases[] = {
    { { "lines 2", "status" }, "ok\n", "closed the connection early", 1 },
    { { "lines 2", "status" }, "", "closed the connection early", 0 },
    { { "status" }, "box: open\nok\nok\n", "more replies than lines", 1 },
    { { "status" }, LongLine(kMaxReplyLine + 1), "a line longer than 128 KiB", 0 },
    { { "status" }, Sized(kMaxReply + 1), "a reply longer than 1 MiB", 0 },
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    ::unlink(path.c_str());
    std::vector<std::string> replies;
    {
      OneShotBox other(path, c.reply);
      EXPECT_FALSE(SendControl(path, c.lines, replies, &error));
    }
    EXPECT_NE(error.find(c.why), std::string::npos) << error;
    EXPECT_EQ(replies.size(), c.handed);
    error.clear();
  }
}

// What kaldoctl takes from a box at most: a line of 128 KiB, a reply of 1 MiB, both exactly.
TEST_F(ControlEdgesTest, AReplyAtTheClientsLimitsIsTakenWhole) {
  const std::string path = dir / "other.sock";
  for (const std::string& reply : { LongLine(kMaxReplyLine), Sized(kMaxReply) }) {
    ::unlink(path.c_str());
    std::vector<std::string> replies;
    {
      OneShotBox other(path, reply);
      EXPECT_TRUE(SendControl(path, { "status" }, replies, &error)) << error;
    }
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].size(), reply.size());
  }
}

}  // namespace
}  // namespace kaldo::test
