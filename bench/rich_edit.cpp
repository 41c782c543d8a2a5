// A formatted rich edit of 100 and of 10,000 paragraphs (a bold heading word, a red word, a larger
// word, every fifth paragraph centred): typing a character at the end (and taking it back), and paging
// up and down at the end with a paint of the page. Each run at 10,000 prints its time beside the same
// benchmark's at 100 as x_100: about 1 when the cost follows what is visible rather than what is held.
// Loading about 1 MB of such RTF through Lines, against loading its text plain (x_text).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "bench/PeerRatio.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/win32/ctl/Rtf.h"

namespace {

std::string Document(int paragraphs) {
  std::string s =
      "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}"
      "{\\colortbl ;\\red255\\green0\\blue0;}\\viewkind4\\uc1\r\n";
  for (int i = 0; i < paragraphs; ++i) {
    s += i % 5 == 0 ? "\\pard\\qc " : "\\pard ";
    s += "\\f0\\fs20{\\b Item " + std::to_string(i) +
         "} of the list, with {\\cf1 red} words and a {\\f1\\fs28 larger}"
         " one to wrap now and then\\par\r\n";
  }
  return s + "}";
}

// A shown form holding a rich edit of n formatted paragraphs, its caret at the end.
struct Fixture {
  explicit Fixture(int n) {
    setenv("XJ_DISPLAY", "headless", 0);
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 400, 500);
    rich = new TRichEdit(form.get());
    rich->SetParent(form.get());
    rich->SetBounds(0, 0, 300, 400);
    rich->HandleNeeded();
    TStringStream in(Document(n));
    rich->Lines()->LoadFromStream(&in);
    const LRESULT end = rich->Perform(WM_GETTEXTLENGTH, 0, 0);
    rich->Perform(EM_SETSEL, static_cast<WPARAM>(end), end);
    rich->Perform(EM_SCROLLCARET, 0, 0);
  }
  std::unique_ptr<TForm> form;
  TRichEdit* rich {};
};

void Report(benchmark::State& state, const std::string& name, double perUnit) {
  auto& times = xj::bench::PeerTimes();
  if (state.range(0) == 100) times[name] = perUnit;
  const auto it = times.find(name);
  if (it != times.end() && it->second > 0) state.counters["x_100"] = perUnit / it->second;
}

void BM_RichTypeAtTheEnd(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)));
  HWND h = f.rich->Handle();
  const xj::bench::LoopTimer timer(state);
  for (auto _ : state) {
    SendMessageA(h, WM_CHAR, 'x', 0);
    SendMessageA(h, WM_CHAR, VK_BACK, 0);
  }
  Report(state, "type", timer.NsPerIteration());
}
BENCHMARK(BM_RichTypeAtTheEnd)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_RichPageAtTheEnd(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)));
  HWND h = f.rich->Handle();
  HDC screen = GetDC(h);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 300, 400);
  HGDIOBJ old = SelectObject(dc, bitmap);
  bool up = true;
  const xj::bench::LoopTimer timer(state);
  for (auto _ : state) {
    SendMessageA(h, WM_KEYDOWN, up ? VK_PRIOR : VK_NEXT, 0);
    SendMessageA(h, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    up = !up;
  }
  Report(state, "page", timer.NsPerIteration());
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(h, screen);
}
BENCHMARK(BM_RichPageAtTheEnd)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

// About 1 MB of RTF through Lines, against its text set plain through Lines.
void BM_RichLoadRtf(benchmark::State& state) {
  Fixture f(10);
  const std::string rtf = Document(8000);
  std::string text;
  xj::ctl::RtfToText(rtf, text);
  const auto load = [&] {
    TStringStream in(rtf);
    f.rich->Lines()->LoadFromStream(&in);
  };
  const auto plain = [&] {
    f.rich->Lines()->Clear();  // a text equal to the shown one would not be set again
    f.rich->Lines()->SetText(text);
  };
  for (auto _ : state) load();
  state.counters["rtf_MB"] = double(rtf.size()) / (1 << 20);
  xj::bench::PeerRatio(state, "x_text", load, plain);
}
BENCHMARK(BM_RichLoadRtf)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
