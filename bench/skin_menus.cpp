// The skinned popup menu beside its peer, printing the ratio as x_peer: a 30-item skinned popup menu
// opened the way a program opens one (TbsSkinPopupMenu::Popup over the skinned form that owns it, its
// caption painted) from Popup to its first paint (built, sized, placed, shown and painted; closed again
// so that every round opens a fresh menu) against repainting the same open menu's area.
// BM_FirstPopupInFreshProcess does the same in new processes (this program run again), where nothing of
// a popup was ever allocated before: each child times its first popups and as many repaints of the open
// menu, taking turns; x_peer is the very first popup of each child over the median of its repaints (goal
// 3x), x_later the median of its popups over the same, faults_per_popup the page faults the first popup
// costs there.

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/PeerRatio.h"
#include "platform/vcl/Forms.h"
#include "skin/form/bsSkinForm.h"
#include "skin/form/bsSkinMenus.h"

namespace {

// A skinned popup menu can only open over a skinned form: the form component lends it its skin menu.
struct MenuScene {
  MenuScene() {
    setenv("XJ_DISPLAY", "headless", 0);
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 320, 200);
    form->SetCaption("线路录音检测系统");
    skin = new TbsSkinData(form.get());
    skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
    auto* frame = new RurIvozedevUzivEred(form.get());
    frame->SetSkinData(skin);
    popup = new TbsSkinPopupMenu(form.get());
    for (int i = 0; i < 30; ++i) {
      auto* item = new TMenuItem(form.get());
      item->SetCaption(i % 10 == 9 ? AnsiString("-") : AnsiString(("菜单项 " + std::to_string(i)).c_str()));
      if (i % 7 == 3) item->SetShortCut(scCtrl | ('A' + i % 26));
      item->SetChecked(i % 5 == 1);
      popup->Items()->Add(item);
    }
    form->Show();
    menu = frame->SkinMenu();
  }
  void Open() {
    popup->Popup(40, 30);
    UpdateWindow(menu->Level(0)->Handle());
  }
  void OpenAndClose() {
    Open();
    menu->CloseMenu(0);
  }

  std::unique_ptr<TForm> form;
  TbsSkinData* skin {};
  TbsSkinMenu* menu {};
  TbsSkinPopupMenu* popup {};
};

void BM_PopupToFirstPaint(benchmark::State& state) {
  MenuScene scene;
  scene.Open();
  if (!scene.menu->Level(0)->SkinLook()) state.SkipWithError("the test skin gives no skinned menu");
  scene.menu->CloseMenu(0);
  for (auto _ : state) scene.OpenAndClose();
  // Ours closes the open menu and opens a fresh one, so that the peer always finds one open to repaint.
  scene.Open();
  xj::bench::PeerRatio(
      state, "x_peer",
      [&] {
        scene.menu->CloseMenu(0);
        scene.Open();
      },
      [&] { scene.menu->Level(0)->Repaint(); });
  scene.menu->CloseMenu(0);
}
BENCHMARK(BM_PopupToFirstPaint)->Unit(benchmark::kMicrosecond);

// The peer alone: repainting the area of an open 30-item menu.
void BM_OpenMenuRepaint(benchmark::State& state) {
  MenuScene scene;
  scene.Open();
  for (auto _ : state) scene.menu->Level(0)->Repaint();
}
BENCHMARK(BM_OpenMenuRepaint)->Unit(benchmark::kMicrosecond);

// ---- In a fresh process -------------------------------------------------------------------------

constexpr int kFreshPopups = 5;

long MinorFaults() {
  rusage use {};
  getrusage(RUSAGE_SELF, &use);
  return use.ru_minflt;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The child: the scene built and shown, then its first popups, each followed by a repaint of the open
// menu; prints on its standard output the first popup and the median of the popups over the median
// repaint, and the first popup's faults.
int FreshChild() {
  MenuScene scene;
  Application->ProcessMessages();
  std::vector<double> popups, repaints;
  long faults = 0;
  for (int i = 0; i < kFreshPopups; ++i) {
    const long before = MinorFaults();
    double t = xj::bench::CpuSeconds();
    scene.Open();
    popups.push_back(xj::bench::CpuSeconds() - t);
    if (i == 0) faults = MinorFaults() - before;
    t = xj::bench::CpuSeconds();
    scene.menu->Level(0)->Repaint();
    repaints.push_back(xj::bench::CpuSeconds() - t);
    scene.menu->CloseMenu(0);
  }
  const double repaint = std::max(Median(repaints), 1e-9);
  std::printf("%g %g %g\n", popups[0] / repaint, Median(popups) / repaint, double(faults));
  return 0;
}

void BM_FirstPopupInFreshProcess(benchmark::State& state) {
  std::vector<double> firsts, laters;
  double faults = 0;
  for (auto _ : state) {
    int out[2];
    if (pipe(out) != 0) return state.SkipWithError("no pipe");
    const pid_t pid = fork();
    if (pid == 0) {
      dup2(out[1], 1);
      setenv("XJ_DISPLAY", "headless", 1);
      execl("/proc/self/exe", "skin_menus", "--fresh-popup", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(out[1]);
    char text[128] = {};
    const ssize_t n = read(out[0], text, sizeof text - 1);
    close(out[0]);
    int status = 0;
    double first = 0, later = 0, f = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || n <= 0 ||
        std::sscanf(text, "%lf %lf %lf", &first, &later, &f) != 3)
      return state.SkipWithError("the child failed");
    firsts.push_back(first);
    laters.push_back(later);
    faults += f;
  }
  std::sort(firsts.begin(), firsts.end());
  xj::bench::SetRatio(state, "x_peer", { firsts.front(), firsts[firsts.size() / 2], firsts.back() });
  state.counters["faults_per_popup"] = faults / double(firsts.size());
  state.counters["x_later"] = Median(laters);
}
BENCHMARK(BM_FirstPopupInFreshProcess)->Unit(benchmark::kMillisecond)->Iterations(15);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--fresh-popup") == 0) return FreshChild();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
