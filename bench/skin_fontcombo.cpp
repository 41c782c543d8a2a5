// The font combo filled from the machine's fonts (the list rebuilt and the name selected again, as an
// option change does) beside the bare enumeration of the screen's font families it is built from, as
// x_enum.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/PeerRatio.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/bsSkinBoxCtrls.h"

namespace {

int CALLBACK CollectFamily(const tagLOGFONTA* LogFont, const tagTEXTMETRICA*, DWORD, LPARAM Data) {
  reinterpret_cast<std::vector<std::string>*>(Data)->emplace_back(LogFont->lfFaceName);
  return 1;
}

void EnumerateScreenFamilies() {
  std::vector<std::string> names;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesA(dc, nullptr, &CollectFamily, reinterpret_cast<LPARAM>(&names));
  ReleaseDC(nullptr, dc);
  benchmark::DoNotOptimize(names.data());
}

void BM_FontComboFill(benchmark::State& state) {
  setenv("XJ_DISPLAY", "headless", 0);
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 320, 200);
  auto* combo = new TbsSkinFontComboBox(form.get());
  combo->SetParent(form.get());
  combo->SetBounds(10, 10, 200, 20);
  form->Show();
  Application->ProcessMessages();
  combo->SetFontName("DejaVu Sans");
  // Switching an option off and on again rebuilds the list twice per iteration.
  auto fill = [combo] {
    combo->SetOptions({ foNoOEMFonts });
    combo->SetOptions({});
  };
  for (auto _ : state) fill();
  state.counters["families"] = combo->Items()->Count();
  xj::bench::PeerRatio(state, "x_enum", fill, [] {
    EnumerateScreenFamilies();
    EnumerateScreenFamilies();
  });
}
BENCHMARK(BM_FontComboFill)->Unit(benchmark::kMicrosecond);

}  // namespace
