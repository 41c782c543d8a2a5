// Serial ports over a pty: throughput of 1 MiB each way at 115200 settings (every byte checked), and
// the CPU an open, idle port uses while a WaitCommEvent is pending.

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include <benchmark/benchmark.h>

#include "bench/PtyBench.h"

#include "platform/win32/WinComm.h"
#include "platform/win32/comm/CommDevice.h"
#include "platform/win32/comm/FakeCommDevice.h"

namespace {

using bench::kMiB;
using bench::Pattern;
using bench::Pty;

HANDLE OpenPort(const std::string& name) {
  return CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
}

// The serial component's settings at 115200: 8N1, reads return what is waiting or wait up to a second.
bool Configure(HANDLE port) {
  DCB dcb {};
  if (!GetCommState(port, &dcb)) return false;
  dcb.BaudRate = CBR_115200;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  COMMTIMEOUTS t { MAXDWORD, 0, 1000, 0, 0 };
  return SetupComm(port, 4096, 2048) && SetCommState(port, &dcb) && SetCommTimeouts(port, &t);
}

// arg 0: reads alone; arg 1: an event thread waits for EV_RXCHAR meanwhile, as the component's does.
void BM_PtyMegabyteEachWay(benchmark::State& state) {
  const std::string in = Pattern(kMiB, 1), out = Pattern(kMiB, 2);
  for (auto _ : state) {
    Pty pty;
    HANDLE port = OpenPort(pty.path);
    if (port == INVALID_HANDLE_VALUE || !Configure(port)) {
      state.SkipWithError("cannot open the pty as a port");
      break;
    }
    std::atomic<long> events { 0 };
    std::thread waiter;
    if (state.range(0)) {
      SetCommMask(port, EV_RXCHAR | EV_TXEMPTY);
      waiter = std::thread([&] {
        DWORD mask;
        while (WaitCommEvent(port, &mask, nullptr)) ++events;
      });
    }
    std::thread far([&] {  // the far end: writes `in`, then reads `out` back
      for (size_t done = 0; done < in.size();) {
        const ssize_t n = write(pty.master, in.data() + done, in.size() - done);
        if (n > 0) done += static_cast<size_t>(n);
      }
    });
    std::string got(in.size(), '\0');
    size_t have = 0;
    while (have < in.size()) {
      DWORD n = 0;
      if (!ReadFile(port, got.data() + have, static_cast<DWORD>(in.size() - have), &n, nullptr) || n == 0) break;
      have += n;
    }
    far.join();
    std::string echoed;
    std::thread reader([&] {
      char buf[65536];
      while (echoed.size() < out.size()) {
        const ssize_t n = read(pty.master, buf, sizeof buf);
        if (n <= 0) break;
        echoed.append(buf, static_cast<size_t>(n));
      }
    });
    DWORD written = 0;
    WriteFile(port, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
    reader.join();
    CloseHandle(port);
    if (waiter.joinable()) waiter.join();
    if (have != in.size() || got != in || written != out.size() || echoed != out) {
      state.SkipWithError("bytes lost or reordered");
      break;
    }
    state.counters["wakeups"] = static_cast<double>(events.load());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 2 * kMiB);
}
BENCHMARK(BM_PtyMegabyteEachWay)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

int64_t ProcessCpuUs() {
  rusage ru {};
  getrusage(RUSAGE_SELF, &ru);
  return (ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1000000 + ru.ru_utime.tv_usec + ru.ru_stime.tv_usec;
}

// arg 0: a pty (no modem lines, nothing to sample); arg 1: the fake device with modem lines, sampled
// on the 20 ms tick. The process CPU over two idle seconds with a wait pending on every event.
void BM_IdlePortWithPendingWait(benchmark::State& state) {
  for (auto _ : state) {
    Pty pty;
    std::shared_ptr<xj::FakeCommLine> fake;
    if (state.range(0)) fake = xj::CreateFakeCommDevice("BENCH-FAKE");
    HANDLE port = OpenPort(state.range(0) ? "BENCH-FAKE" : pty.path);
    if (port == INVALID_HANDLE_VALUE) {
      state.SkipWithError("cannot open the port");
      break;
    }
    SetCommMask(port, 0x1FF);
    std::thread waiter([&] {
      DWORD mask;
      WaitCommEvent(port, &mask, nullptr);
    });
    usleep(100000);
    const int64_t cpu = ProcessCpuUs();
    usleep(2000000);
    const int64_t used = ProcessCpuUs() - cpu;
    CancelCommWait(port);
    waiter.join();
    CloseHandle(port);
    state.counters["cpu_us_per_s"] = static_cast<double>(used) / 2.0;
  }
}
BENCHMARK(BM_IdlePortWithPendingWait)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
