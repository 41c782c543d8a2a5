// The serial component on a pty at 115200 settings: 1 MiB each way at once, received the way a form
// receives it (OnRxChar on the main thread reads what is waiting), written from a worker thread in
// pieces, every byte checked on both sides; and the CPU an open, idle port uses.

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include <benchmark/benchmark.h>

#include "bench/PtyBench.h"

#include "components/Comm.h"

namespace {

using bench::kMiB;
using bench::Pattern;
using bench::Pty;

void SendAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else {
      pollfd p { fd, POLLOUT, 0 };
      poll(&p, 1, 1000);
    }
  }
}

std::string ReceiveAll(int fd, size_t count) {
  std::string got;
  char buf[8192];
  while (got.size() < count) {
    pollfd p { fd, POLLIN, 0 };
    if (poll(&p, 1, 5000) <= 0) break;
    const ssize_t n = read(fd, buf, std::min(sizeof buf, count - got.size()));
    if (n <= 0) break;
    got.append(buf, static_cast<size_t>(n));
  }
  return got;
}

// <chrono> does not build with the GBK execution character set (its unit suffixes).
int64_t NowMs() {
  timespec ts {};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

int64_t ProcessCpuUs() {
  rusage ru {};
  getrusage(RUSAGE_SELF, &ru);
  return (ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1000000LL + ru.ru_utime.tv_usec + ru.ru_stime.tv_usec;
}

void BM_ComponentMegabyteEachWay(benchmark::State& state) {
  const std::string toPort = Pattern(kMiB, 1), fromPort = Pattern(kMiB, 2);
  for (auto _ : state) {
    Pty pty;
    fcntl(pty.master, F_SETFL, O_NONBLOCK);
    TComm comm(nullptr);
    comm.SetDeviceName(pty.path);
    comm.SetBaudRate(br115200);
    std::string received;
    received.reserve(kMiB);
    comm.OnRxChar = TCommRxCharEvent::FromCallable([&](TObject*, DWORD count) {
      const size_t at = received.size();
      received.resize(at + count);
      const int n = comm.Read(received.data() + at, count);
      received.resize(at + static_cast<size_t>(std::max(n, 0)));
    });
    comm.Open();

    std::string farGot;
    std::thread sender([&] { SendAll(pty.master, toPort); });
    std::thread receiver([&] { farGot = ReceiveAll(pty.master, kMiB); });
    std::atomic<bool> written { false };
    std::thread writer([&] {
      for (size_t done = 0; done < kMiB;) {
        const int n = comm.Write(fromPort.data() + done, static_cast<DWORD>(std::min<size_t>(4096, kMiB - done)));
        if (n <= 0) break;
        done += static_cast<size_t>(n);
      }
      written = true;
    });
    // The main thread runs the handlers, as the message loop would; a lost byte ends the wait.
    const int64_t deadline = NowMs() + 60000;
    while ((received.size() < kMiB || !written) && NowMs() < deadline) CheckSynchronize(100);
    writer.join();
    sender.join();
    receiver.join();
    comm.Close();
    if (received != toPort || farGot != fromPort) {
      state.SkipWithError("bytes lost or reordered");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 2 * kMiB);
}
BENCHMARK(BM_ComponentMegabyteEachWay)->Unit(benchmark::kMillisecond)->UseRealTime();

// CPU the whole process spends per second of wall time while a port sits open and idle.
void BM_ComponentIdlePortCpu(benchmark::State& state) {
  Pty pty;
  TComm comm(nullptr);
  comm.SetDeviceName(pty.path);
  comm.SetBaudRate(br115200);
  comm.Open();
  int64_t cpu = 0;
  for (auto _ : state) {
    const int64_t before = ProcessCpuUs();
    usleep(250000);
    cpu += ProcessCpuUs() - before;
  }
  state.counters["cpu_us_per_s"] = static_cast<double>(cpu) / (0.25 * static_cast<double>(state.iterations()));
}
BENCHMARK(BM_ComponentIdlePortCpu)->Iterations(4)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
