// Drawing and measuring a paragraph of GBK text with the CJK face and a Latin face, beside a peer:
// FreeType with a glyph cache of its own blending the same glyphs into a buffer. Word-wrapped lines
// of growing length show that wrapping stays linear. Each figure carries its ratio to its peer from
// the same run (x_peer, x_n25).

#include <benchmark/benchmark.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/PeerRatio.h"
#include "platform/win32/WinBase.h"
#include "platform/win32/WinGdi.h"
#include "platform/win32/WinGdi_user.h"

namespace {

const char* kParagraph =
    "巡检系统启动后，主窗口显示各线路的状态。录音盒连接正常时，状态栏显示当前时间与通道数；"
    "当某一线路摘机，系统开始录音并在列表中增加一条记录。The operator may stop a recording at any "
    "time, play it back, or export it as a WAV file. 若设备断开，系统每隔五秒重试一次，并在日志中写明原因。";
constexpr int kWidth = 400, kHeight = 300;

int Glyphs(const char* s) { return int(xj::GbkToUtf32(s).size()); }

// The time per unit of a loop, recorded under `name` for later figures, with the ratio to `peer` if that
// ran earlier.
void Report(benchmark::State& state, const xj::bench::LoopTimer& timer, int64_t unitsPerIteration,
            const std::string& name, const std::string& peer, const std::string& ratioName) {
  const double units = double(unitsPerIteration);
  state.counters["ns_per_unit"] = timer.NsPerIteration() / units;
  if (!name.empty()) xj::bench::RecordPeer(name, timer, units);
  if (!peer.empty()) xj::bench::ReportAgainstPeer(state, peer, timer, units, ratioName);
  state.SetItemsProcessed(state.iterations() * unitsPerIteration);
}

struct TextTarget {
  HDC screen { CreateDCA("DISPLAY", nullptr, nullptr, nullptr) };
  HDC dc { CreateCompatibleDC(screen) };
  HBITMAP bmp { CreateCompatibleBitmap(screen, kWidth, kHeight) };
  HFONT font {};
  TextTarget(const char* face, LONG height) {
    SelectObject(dc, bmp);
    LOGFONTA lf {};
    lf.lfHeight = height;
    std::strcpy(lf.lfFaceName, face);
    font = CreateFontIndirectA(&lf);
    SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
  }
  ~TextTarget() {
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
    DeleteDC(dc);
    DeleteObject(bmp);
    DeleteDC(screen);
  }
  int Em() const {
    TEXTMETRICA tm {};
    GetTextMetricsA(dc, &tm);
    return tm.tmHeight - tm.tmInternalLeading;
  }
};

// ---- The peer: FreeType, a glyph cache by code point, greedy wrapping, a blend per pixel -------------
struct PeerGlyph {
  int advance { 0 }, left { 0 }, top { 0 }, w { 0 }, h { 0 };
  std::vector<uint8_t> alpha;
};

class Peer {
 public:
  Peer(const char* family, int em) {
    FcInit();
    FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(family));
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult res;
    FcPattern* found = FcFontMatch(nullptr, pat, &res);
    FcChar8* file = nullptr;
    int index = 0;
    FcPatternGetString(found, FC_FILE, 0, &file);
    FcPatternGetInteger(found, FC_INDEX, 0, &index);
    FT_Init_FreeType(&lib_);
    FT_New_Face(lib_, reinterpret_cast<const char*>(file), index, &face_);
    FT_Set_Pixel_Sizes(face_, 0, FT_UInt(em));
    ascent_ = int(face_->size->metrics.ascender >> 6);
    line_ = int(face_->size->metrics.height >> 6);
    FcPatternDestroy(found);
    FcPatternDestroy(pat);
  }
  ~Peer() {
    FT_Done_Face(face_);
    FT_Done_FreeType(lib_);
  }

  void Draw(const std::u32string& text, uint32_t* pixels, int width, int height, uint32_t color) {
    int pen = 0, top = 0;
    for (char32_t cp : text) {
      const PeerGlyph& g = Get(cp);
      if (pen + g.advance > width) pen = 0, top += line_;
      int x0 = pen + g.left, y0 = top + ascent_ - g.top;
      for (int y = std::max(0, -y0); y < g.h && y0 + y < height; ++y) {
        uint32_t* row = pixels + size_t(y0 + y) * size_t(width);
        for (int x = std::max(0, -x0); x < g.w && x0 + x < width; ++x) {
          unsigned a = g.alpha[size_t(y * g.w + x)];
          if (a) row[x0 + x] = Blend(row[x0 + x], color, a);
        }
      }
      pen += g.advance;
    }
  }

 private:
  static uint32_t Blend(uint32_t d, uint32_t c, unsigned a) {
    if (a == 255) return c;
    auto ch = [&](int shift) {
      int dv = int((d >> shift) & 0xFF), cv = int((c >> shift) & 0xFF);
      return uint32_t(dv + ((cv - dv) * int(a) + (cv > dv ? 127 : -127)) / 255) << shift;
    };
    return ch(16) | ch(8) | ch(0);
  }

  const PeerGlyph& Get(char32_t cp) {
    auto it = cache_.find(cp);
    if (it != cache_.end()) return it->second;
    PeerGlyph g;
    if (!FT_Load_Char(face_, cp, FT_LOAD_RENDER)) {
      const FT_Bitmap& bm = face_->glyph->bitmap;
      g.advance = int((face_->glyph->advance.x + 32) >> 6);
      g.left = face_->glyph->bitmap_left;
      g.top = face_->glyph->bitmap_top;
      g.w = int(bm.width);
      g.h = int(bm.rows);
      for (int y = 0; y < g.h; ++y)
        for (int x = 0; x < g.w; ++x) {
          const uint8_t* row = bm.buffer + ptrdiff_t(y) * bm.pitch;
          g.alpha.push_back(bm.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[x >> 3] >> (7 - (x & 7))) & 1) * 255 : row[x]);
        }
    }
    return cache_.emplace(cp, std::move(g)).first->second;
  }

  FT_Library lib_ {};
  FT_Face face_ {};
  int ascent_ { 0 }, line_ { 0 };
  std::unordered_map<char32_t, PeerGlyph> cache_;
};

void BM_PeerFreeTypeCached(benchmark::State& state) {
  int em = TextTarget("宋体", 12).Em();
  Peer peer("AR PL UMing CN", em);
  std::u32string text = xj::GbkToUtf32(kParagraph);
  std::vector<uint32_t> pixels(size_t(kWidth) * kHeight, 0xFFFFFF);
  xj::bench::LoopTimer timer(state);
  for (auto _ : state) {
    peer.Draw(text, pixels.data(), kWidth, kHeight, 0);
    benchmark::DoNotOptimize(pixels.data());
  }
  Report(state, timer, int64_t(text.size()), "peer", "", "");
}
BENCHMARK(BM_PeerFreeTypeCached);

void DrawParagraph(benchmark::State& state, const char* face, LONG height, const char* name) {
  TextTarget t(face, height);
  xj::bench::LoopTimer timer(state);
  for (auto _ : state) {
    RECT r { 0, 0, kWidth, kHeight };
    DrawTextA(t.dc, kParagraph, -1, &r, DT_WORDBREAK);
  }
  // Only the CJK face's figure has a peer: the peer draws with that face.
  Report(state, timer, Glyphs(kParagraph), name, *name ? "peer" : "", "x_peer");
}

void BM_DrawTextGbkSimSun(benchmark::State& state) { DrawParagraph(state, "宋体", 12, "simsun"); }
BENCHMARK(BM_DrawTextGbkSimSun);

void BM_DrawTextGbkSansSerif(benchmark::State& state) { DrawParagraph(state, "MS Sans Serif", -11, ""); }
BENCHMARK(BM_DrawTextGbkSansSerif);

// One line of n Chinese characters, word-wrapped into the paragraph's width: per character the
// cost stays that of n = 25.
void BM_DrawTextWordBreak(benchmark::State& state) {
  TextTarget t("宋体", 12);
  std::string line;
  const char* chars = "线输误录音设备连接错误状态";
  for (int i = 0; i < int(state.range(0)); ++i) line.append(chars + 2 * (i % 13), 2);
  xj::bench::LoopTimer timer(state);
  for (auto _ : state) {
    RECT r { 0, 0, kWidth, kHeight };
    DrawTextA(t.dc, line.data(), int(line.size()), &r, DT_WORDBREAK);
  }
  std::string name = "wrap" + std::to_string(state.range(0));
  Report(state, timer, state.range(0), name, state.range(0) == 25 ? "" : "wrap25", "x_n25");
}
BENCHMARK(BM_DrawTextWordBreak)->Arg(25)->Arg(800);

void BM_MeasureGbk(benchmark::State& state) {
  TextTarget t("宋体", 12);
  int len = int(std::strlen(kParagraph));
  for (auto _ : state) {
    SIZE sz;
    GetTextExtentPoint32A(t.dc, kParagraph, len, &sz);
    benchmark::DoNotOptimize(sz);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * len);
}
BENCHMARK(BM_MeasureGbk);

}  // namespace
