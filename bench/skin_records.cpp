// Loading and saving a skin of many records, beside the cost of parsing its INI text. Loading and saving
// should grow with the records as the parse does, at 4,096, 16,384 and 65,536 records (the most a skin
// may list).
//
// Compare BM_LoadSkinRecords and BM_SaveSkinRecords with BM_ParseSkinRecords of the same size.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/vcl/IniFiles.h"
#include "skin/data/bsSkinData.h"

namespace {

// A skin whose [SKINOBJECTS] lists N user objects, each with its own section.
std::string SkinText(int N) {
  std::string text =
      "[VERSION]\r\nskinname=records\r\n[PICTURES]\r\nactivepicturescount=0\r\n[FORMINFO]\r\nborderwidth=3\r\n";
  text += "[SKINOBJECTS]\r\ncount=" + std::to_string(N) + "\r\n";
  for (int i = 0; i < N; ++i) text += std::to_string(i) + "=r" + std::to_string(i) + ":userobject\r\n";
  text += "[SKINCONTROLS]\r\ncount=0\r\n";
  for (int i = 0; i < N; ++i) text += "[r" + std::to_string(i) + "]\r\nskinrect=" + std::to_string(i) + ",1,20,9\r\n";
  return text;
}

// The skin written to a file of this process's own, removed at the end.
class SkinFile {
 public:
  explicit SkinFile(int N) : FPath("/tmp/xj-skin-records-" + std::to_string(::getpid()) + ".ini") {
    std::ofstream(FPath, std::ios::binary) << SkinText(N);
  }
  ~SkinFile() { std::remove(FPath.c_str()); }
  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
};

void BM_ParseSkinRecords(benchmark::State& state) {
  SkinFile file(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TMemIniFile ini(file.Path());
    benchmark::DoNotOptimize(ini.SectionExists("SKINOBJECTS"));
  }
}
BENCHMARK(BM_ParseSkinRecords)->Arg(4096)->Arg(16384)->Arg(65536)->Unit(benchmark::kMillisecond);

void BM_LoadSkinRecords(benchmark::State& state) {
  SkinFile file(static_cast<int>(state.range(0)));
  TbsSkinData data(nullptr);
  for (auto _ : state) {
    data.LoadFromFile(file.Path());
    if (data.ObjectList->Count() != state.range(0)) state.SkipWithError("the records did not load");
  }
}
BENCHMARK(BM_LoadSkinRecords)->Arg(4096)->Arg(16384)->Arg(65536)->Unit(benchmark::kMillisecond);

// Saved over its own file: every record's section is erased and written again.
void BM_SaveSkinRecords(benchmark::State& state) {
  SkinFile file(static_cast<int>(state.range(0)));
  TbsSkinData data(nullptr);
  data.LoadFromFile(file.Path());
  for (auto _ : state) data.SaveToFile(file.Path());
}
BENCHMARK(BM_SaveSkinRecords)->Arg(4096)->Arg(16384)->Arg(65536)->Unit(benchmark::kMillisecond);

}  // namespace
