#pragma once
// How the rich edit lays out and paints its rows: each run in the font of its format, a row as tall as
// its tallest run with every run on one baseline, paragraphs indented, aligned (a justified paragraph's
// rows but its last reach its right edge) and bulleted, tabs to the paragraph's stops. Text in the
// default format is drawn in the window's font while that format says the same as the font.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/win32/CommCtrl.h"
#include "platform/win32/ctl/EditShared.h"
#include "platform/win32/ctl/MemoText.h"
#include "platform/win32/ctl/RichText.h"

namespace xj::ctl {

// The font of each format, made when first asked for and kept while the edit lives (a format never
// changes: a changed one is another format). Formats that differ only in colour or protection share a
// font, and a document of more distinct fonts than kMaxFonts shows the rest in the window's font: a
// hostile document naming a hundred thousand faces costs no more than a few hundred fonts.
class RichFonts {
 public:
  static constexpr size_t kMaxFonts = 256;
  ~RichFonts();
  // The window's font: the default format's look.
  void SetWindowFont(HFONT font);
  HFONT Font(const RichText& rich, uint32_t format);
  Measurer& Measure(const RichText& rich, uint32_t format);
  const TEXTMETRICA& Metrics(const RichText& rich, uint32_t format);
  // Forgets every format's font, when the numbers come to stand for other formats.
  void Clear();

 private:
  struct Entry {
    HFONT font {};
    bool owned { false };
    std::unique_ptr<Measurer> measure;
    TEXTMETRICA tm {};
  };
  using Key = std::tuple<std::string, int, bool, bool, bool, bool, uint8_t, uint8_t>;
  Entry& Of(const RichText& rich, uint32_t format);
  Entry& Made(const Key& key, HFONT font, bool owned);
  bool LooksLikeWindowFont(const CharFormat& f) const;

  HFONT FWindowFont {};
  std::map<Key, Entry> FFonts;
  std::vector<Entry*> FByFormat;  // by format number; null: not asked for yet
};

// What the layout reads: the text, its formats and their fonts, and the width rows wrap at (-1: none).
struct RichLayout {
  const MemoText& text;
  const RichText& rich;
  RichFonts& fonts;
  int room { -1 };
};

// Twips as pixels on the screen.
int TwipsToPixels(long twips);

// The rows of the line at `offset`, wrapped so that each fits `room` pixels past its indents (-1:
// never wrapped), each with its height and baseline.
void RichWrap(RichLayout& l, size_t offset, const std::string& line, int room, MemoRows& rows);
// x of pos from the start of its row's text, and the position nearest to x there (before the row's
// last position when the row wraps).
int RichX(RichLayout& l, int row, size_t pos);
size_t RichPos(RichLayout& l, int row, int x, size_t last);
// Where a row's text starts past the format rectangle's left edge: its paragraph's indent and
// alignment within `room`.
int RichRowShift(RichLayout& l, int row, int room);

// Paints a row whose text starts at x0 and whose top is y, [selS, selE) highlighted.
struct RichPaint {
  HDC dc;
  RECT clip;
  size_t selS, selE;
  COLORREF text;  // the colour of text in the automatic colour
  bool enabled;
};
void RichPaintRow(RichLayout& l, const RichPaint& p, int row, int x0, int y);

}  // namespace xj::ctl
