// A memo of 100 and of 100,000 wrapped lines: loading Lines.Text (per line: linear when flat), typing a
// character in the middle (and taking it back), scrolling a page and painting a page. Each run at
// 100,000 prints its time beside the same benchmark's at 100 as x_100: about 1 when the cost follows
// what is visible rather than what is held.
// A line at a time, the way a log grows, beside the same memo at 100 (goal 2): deleting the first line
// and adding one at the end (x_100_delfirst), and adding the lines up to the 100,000th against those up
// to the 1,000th (x_1000_add).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "bench/PeerRatio.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

namespace {

std::string LinesText(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "line " + std::to_string(i) + " of the memo, with some words to wrap\r\n";
  return s;
}

// A form holding a memo of n lines, its caret on the middle line.
struct Fixture {
  explicit Fixture(int n) {
    setenv("XJ_DISPLAY", "headless", 0);
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 400, 500);
    memo = new TMemo(form.get());
    memo->SetParent(form.get());
    memo->SetBounds(0, 0, 300, 400);
    memo->HandleNeeded();
    memo->Lines()->SetText(LinesText(n));
    const LRESULT middle = memo->Perform(EM_LINEINDEX, memo->Perform(EM_GETLINECOUNT, 0, 0) / 2, 0);
    memo->Perform(EM_SETSEL, static_cast<WPARAM>(middle), middle);
  }
  std::unique_ptr<TForm> form;
  TMemo* memo {};
};

void Report(benchmark::State& state, const std::string& name, double perUnit) {
  auto& times = xj::bench::PeerTimes();
  if (state.range(0) == 100) times[name] = perUnit;
  const auto it = times.find(name);
  if (it != times.end() && it->second > 0) state.counters["x_100"] = perUnit / it->second;
}

void BM_LoadLinesText(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Fixture f(100);
  const AnsiString text = LinesText(n);
  const xj::bench::LoopTimer timer(state);
  for (auto _ : state) {
    f.memo->Lines()->Clear();  // a text equal to the shown one would not be set again
    f.memo->Lines()->SetText(text);
  }
  state.SetItemsProcessed(state.iterations() * n);
  Report(state, "load", timer.NsPerIteration() / n);
}
BENCHMARK(BM_LoadLinesText)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_TypeInTheMiddle(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)));
  HWND h = f.memo->Handle();
  const xj::bench::LoopTimer timer(state);
  for (auto _ : state) {
    SendMessageA(h, WM_CHAR, 'x', 0);
    SendMessageA(h, WM_CHAR, VK_BACK, 0);
  }
  Report(state, "type", timer.NsPerIteration());
}
BENCHMARK(BM_TypeInTheMiddle)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_ScrollAPage(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)));
  HWND h = f.memo->Handle();
  SendMessageA(h, EM_SCROLLCARET, 0, 0);
  bool down = true;
  const xj::bench::LoopTimer timer(state);
  for (auto _ : state) {
    SendMessageA(h, WM_VSCROLL, down ? SB_PAGEDOWN : SB_PAGEUP, 0);
    down = !down;
  }
  Report(state, "scroll", timer.NsPerIteration());
}
BENCHMARK(BM_ScrollAPage)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_PaintAPage(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)));
  HWND h = f.memo->Handle();
  SendMessageA(h, EM_SCROLLCARET, 0, 0);
  HDC screen = GetDC(h);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 300, 400);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const xj::bench::LoopTimer timer(state);
  for (auto _ : state) SendMessageA(h, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  Report(state, "paint", timer.NsPerIteration());
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(h, screen);
}
BENCHMARK(BM_PaintAPage)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

// ---- One line at a time in a shown memo --------------------------------------------------------------

struct ShownMemo : Fixture {
  explicit ShownMemo(int n) : Fixture(n) {
    form->Show();
    Application->ProcessMessages();
  }
  void DeleteFirstAndAdd() {
    memo->Lines()->Delete(0);
    memo->Lines()->Add(AnsiString("line ") + std::to_string(++added).c_str() + " of the memo, with some words to wrap");
  }
  // Seconds per line for adding the last hundred lines; taking them away again is not timed.
  double AddHundred() {
    TStrings* lines = memo->Lines();
    const double start = xj::bench::CpuSeconds();
    for (int i = 0; i < 100; ++i)
      lines->Add(AnsiString("line ") + std::to_string(++added).c_str() + " of the memo, with some words to wrap");
    const double spent = xj::bench::CpuSeconds() - start;
    for (int i = 0; i < 100; ++i) lines->Delete(lines->Count() - 1);
    return spent / 100;
  }
  int added { 0 };
};

void BM_MemoDeleteFirstAndAdd(benchmark::State& state) { xj::bench::DeleteFirstAndAddRatio<ShownMemo>(state); }
BENCHMARK(BM_MemoDeleteFirstAndAdd)->Unit(benchmark::kMicrosecond);

void BM_MemoAddTheLastLines(benchmark::State& state) { xj::bench::AddTheLastRatio<ShownMemo>(state); }
BENCHMARK(BM_MemoAddTheLastLines)->Unit(benchmark::kMicrosecond);

}  // namespace
