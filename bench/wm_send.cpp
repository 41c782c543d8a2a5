// Sending a message through a window whose procedure has been subclassed three times, beside a chain of
// std::function objects of the same depth (goal: at most 3x the chain).

#include <benchmark/benchmark.h>

#include <functional>

#include "bench/PeerRatio.h"
#include "platform/win32/WinUser.h"

namespace {

LRESULT CALLBACK BaseProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_USER) return (LRESULT)w + 1;
  return DefWindowProcA(h, m, w, l);
}

HWND MakeWindow() {
  WNDCLASSA wc {};
  wc.lpfnWndProc = BaseProc;
  wc.lpszClassName = "BenchSend";
  RegisterClassA(&wc);
  return CreateWindowExA(0, "BenchSend", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

using Proc = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

// The peer: three closures each calling the next, then the base procedure.
void BM_FunctionChainOfThree(benchmark::State& state) {
  Proc chain[4];
  chain[0] = BaseProc;
  for (int i = 1; i <= 3; ++i)
    chain[i] = [&chain, i](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT { return chain[i - 1](h, m, w, l); };
  HWND h = (HWND)(uintptr_t)4;
  WPARAM i = 0;
  xj::bench::LoopTimer t(state);
  for (auto _ : state) {
    benchmark::DoNotOptimize(h);
    benchmark::DoNotOptimize(chain[3](h, WM_USER, i++, 0));
  }
  xj::bench::RecordPeer("function_chain", t);
}
BENCHMARK(BM_FunctionChainOfThree);

void BM_SendPlain(benchmark::State& state) {
  HWND h = MakeWindow();
  WPARAM i = 0;
  xj::bench::LoopTimer t(state);
  for (auto _ : state) benchmark::DoNotOptimize(SendMessageA(h, WM_USER, i++, 0));
  xj::bench::ReportAgainstPeer(state, "function_chain", t);
  DestroyWindow(h);
}
BENCHMARK(BM_SendPlain);

void BM_SendThroughThreeSubclasses(benchmark::State& state) {
  HWND h = MakeWindow();
  WNDPROC prev[3];
  WNDPROC procs[3];
  for (int i = 0; i < 3; ++i) {
    procs[i] = MakeWndProcInstance(
        [&prev, i](HWND hw, UINT m, WPARAM w, LPARAM l) -> LRESULT { return CallWindowProcA(prev[i], hw, m, w, l); });
    prev[i] = (WNDPROC)SetWindowLongPtrA(h, GWL_WNDPROC, (LONG_PTR)procs[i]);
  }
  WPARAM i = 0;
  xj::bench::LoopTimer t(state);
  for (auto _ : state) benchmark::DoNotOptimize(SendMessageA(h, WM_USER, i++, 0));
  xj::bench::ReportAgainstPeer(state, "function_chain", t);
  DestroyWindow(h);
  for (WNDPROC p : procs) FreeWndProcInstance(p);
}
BENCHMARK(BM_SendThroughThreeSubclasses);

}  // namespace
