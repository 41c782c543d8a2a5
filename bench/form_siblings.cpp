// Many sibling components under one owner: a form resource of n controls read into a form (and the form
// freed), and n owned components made and freed one by one, at n = 1,000, 10,000 and 40,000. The time per component
// should stay flat as n grows; each run prints its time per component beside the same benchmark's at n = 1,000 as
// x_1000 (about 1 when flat, about 40 at n = 40,000 when quadratic).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "bench/PeerRatio.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"

namespace {

// A windowless control that overrides nothing.
class TSibling : public TGraphicControl {
  XJ_CLASS(TSibling, TGraphicControl)
 public:
  using TGraphicControl::TGraphicControl;
};

// A form of n controls, each with its own name and bounds.
std::string FormText(int n) {
  std::string text = "object Form1: TForm\n  Left = 3\n  Top = 5\n  Width = 640\n  Height = 480\n";
  for (int i = 0; i < n; ++i) {
    const std::string k = std::to_string(i);
    text += "  object Sibling" + k + ": TSibling\n    Left = " + std::to_string(i % 600) +
            "\n    Top = " + std::to_string(i % 400) + "\n    Width = 7\n    Height = 3\n  end\n";
  }
  return text + "end\n";
}

// Time per component, kept per benchmark name from the n = 1,000 run (registered first).
void ReportPerItem(benchmark::State& state, const std::string& name, const xj::bench::LoopTimer& timer) {
  const int n = static_cast<int>(state.range(0));
  const double perItem = timer.NsPerIteration() / n;
  state.SetItemsProcessed(state.iterations() * n);
  auto& times = xj::bench::PeerTimes();
  if (n == 1000) times[name] = perItem;
  const auto it = times.find(name);
  if (it != times.end() && it->second > 0) state.counters["x_1000"] = perItem / it->second;
}

void BM_ReadSiblings(benchmark::State& state) {
  setenv("XJ_DISPLAY", "headless", 0);
  RegisterClass(TSibling::StaticClass());
  const int n = static_cast<int>(state.range(0));
  const AnsiString text = FormText(n);
  const xj::bench::LoopTimer timer(state);
  for (auto _ : state) {
    auto* form = new TForm(nullptr);
    ReadComponentResource(form, text);
    if (form->ComponentCount() != n) state.SkipWithError("the form did not read every control");
    delete form;
  }
  ReportPerItem(state, "read", timer);
}
BENCHMARK(BM_ReadSiblings)->Arg(1000)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);

// Freed first created first: each leaves from the far end of its owner's list.
void BM_FreeSiblingsOneByOne(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const xj::bench::LoopTimer timer(state);
  for (auto _ : state) {
    TComponent owner(nullptr);
    std::vector<TComponent*> made;
    made.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) made.push_back(new TComponent(&owner));
    for (TComponent* c : made) delete c;
  }
  ReportPerItem(state, "free", timer);
}
BENCHMARK(BM_FreeSiblingsOneByOne)->Arg(1000)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);

}  // namespace

XJ_PUBLISHED(TSibling);
