// Drawing and measuring a paragraph of GBK text with the CJK face and a Latin face.

#include <benchmark/benchmark.h>

#include <cstring>

#include "platform/win32/WinGdi.h"
#include "platform/win32/WinGdi_user.h"

namespace {

const char* kParagraph =
    "巡检系统启动后，主窗口显示各线路的状态。录音盒连接正常时，状态栏显示当前时间与通道数；"
    "当某一线路摘机，系统开始录音并在列表中增加一条记录。The operator may stop a recording at any "
    "time, play it back, or export it as a WAV file. 若设备断开，系统每隔五秒重试一次，并在日志中写明原因。";

void DrawParagraph(benchmark::State& state, const char* face, LONG height) {
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 400, 300);
  SelectObject(dc, bmp);
  LOGFONTA lf {};
  lf.lfHeight = height;
  std::strcpy(lf.lfFaceName, face);
  HFONT font = CreateFontIndirectA(&lf);
  SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  size_t chars = std::strlen(kParagraph);
  for (auto _ : state) {
    RECT r { 0, 0, 400, 300 };
    DrawTextA(dc, kParagraph, -1, &r, DT_WORDBREAK);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(chars));
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
  DeleteDC(dc);
  DeleteObject(bmp);
  DeleteDC(screen);
}

void BM_DrawTextGbkSimSun(benchmark::State& state) { DrawParagraph(state, "宋体", 12); }
BENCHMARK(BM_DrawTextGbkSimSun);

void BM_DrawTextGbkSansSerif(benchmark::State& state) { DrawParagraph(state, "MS Sans Serif", -11); }
BENCHMARK(BM_DrawTextGbkSansSerif);

void BM_MeasureGbk(benchmark::State& state) {
  HDC dc = CreateCompatibleDC(nullptr);
  LOGFONTA lf {};
  lf.lfHeight = 12;
  std::strcpy(lf.lfFaceName, "宋体");
  HFONT font = CreateFontIndirectA(&lf);
  SelectObject(dc, font);
  int len = int(std::strlen(kParagraph));
  for (auto _ : state) {
    SIZE sz;
    GetTextExtentPoint32A(dc, kParagraph, len, &sz);
    benchmark::DoNotOptimize(sz);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * len);
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
  DeleteDC(dc);
}
BENCHMARK(BM_MeasureGbk);

}  // namespace
