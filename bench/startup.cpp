// Start-up to first paint, headless: a process that starts the platform, shows a form with a label
// and a button and ends as soon as the label's text is on the surface, beside the floor every
// program with text pays (a process that initialises fontconfig, matches the CJK face and renders one
// glyph). Both are child processes of this benchmark, timed from fork to exit; x_floor is the ratio,
// max_rss_kb each child's peak memory.

#include <benchmark/benchmark.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/PeerRatio.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/win32/GdiInternal.h"

namespace {

const char* kLabel = "录音设备连接正常";

// The floor: fontconfig, one match, one glyph.
int FontFloor() {
  FcInit();
  FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>("AR PL UMing CN"));
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult res;
  FcPattern* found = FcFontMatch(nullptr, pat, &res);
  FcChar8* file = nullptr;
  if (!found || FcPatternGetString(found, FC_FILE, 0, &file) != FcResultMatch) return 1;
  FT_Library lib {};
  FT_Face face {};
  if (FT_Init_FreeType(&lib) || FT_New_Face(lib, reinterpret_cast<const char*>(file), 0, &face)) return 1;
  FT_Set_Pixel_Sizes(face, 0, 12);
  return FT_Load_Char(face, 0x5F55, FT_LOAD_RENDER) ? 1 : 0;
}

bool LabelDrawn() {
  for (const xj::gdi::TextLogEntry& e : xj::gdi::TextLog())
    if (e.Text == kLabel) return true;
  return false;
}

// The platform: a form with a label in the CJK face and a button, shown and painted once.
int FirstPaint() {
  xj::gdi::EnableTextLog(true);
  Application->Initialize();
  auto* form = new TForm(nullptr);
  form->SetBounds(0, 0, 320, 200);
  form->SetCaption("巡检");
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetBounds(16, 16, 200, 16);
  label->Font()->SetName("宋体");
  label->Font()->SetHeight(12);
  label->SetCaption(kLabel);
  auto* button = new TButton(form);
  button->SetParent(form);
  button->SetBounds(16, 48, 75, 25);
  button->SetCaption("确定");
  form->Show();
  // Bounded, so a platform that never paints fails instead of hanging the benchmark.
  for (int i = 0; i < 10000 && !LabelDrawn(); ++i) Application->ProcessMessages();
  return LabelDrawn() ? 0 : 1;
}

// Runs this program again as the probe; returns its peak memory in kB, or -1 if it failed.
long RunProbe(const char* mode) {
  pid_t pid = fork();
  if (pid == 0) {
    setenv("XJ_DISPLAY", "headless", 1);
    setenv("XJ_AUDIO", "null", 1);
    execl("/proc/self/exe", "startup", "--probe", mode, static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage use {};
  if (pid < 0 || wait4(pid, &status, 0, &use) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return use.ru_maxrss;
}

void Startup(benchmark::State& state, const char* mode, const char* peer) {
  // The work happens in the probe process: wall time.
  xj::bench::LoopTimer timer(state, xj::bench::TimeBase::Wall);
  long rss = 0;
  for (auto _ : state) {
    rss = RunProbe(mode);
    if (rss < 0) {
      state.SkipWithError("the probe process failed");
      return;
    }
  }
  xj::bench::RecordPeer(mode, timer);
  state.counters["ms"] = timer.NsPerIteration() / 1e6;
  state.counters["max_rss_kb"] = double(rss);
  if (peer) xj::bench::ReportAgainstPeer(state, peer, timer, 1, "x_floor");
}

void BM_StartupFontFloor(benchmark::State& state) { Startup(state, "font", nullptr); }
BENCHMARK(BM_StartupFontFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StartupToFirstPaint(benchmark::State& state) { Startup(state, "paint", "font"); }
BENCHMARK(BM_StartupToFirstPaint)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--probe") == 0)
    return std::strcmp(argv[2], "font") == 0 ? FontFloor() : FirstPaint();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
