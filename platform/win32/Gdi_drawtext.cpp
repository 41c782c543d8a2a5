// DrawText: prefix characters, tabs, line and word breaking (at blanks and between double-byte
// characters), alignment, measuring with DT_CALCRECT and clipping.

#include <algorithm>

#include "platform/win32/Gdi_private.h"

using namespace xj::gdi;

namespace {

struct Line {
  int begin;
  int end;
};

class TextBlock {
 public:
  TextBlock(DC& dc, const char* s, int len, UINT fmt, const DRAWTEXTPARAMS* params) : dc_(dc), fmt_(fmt) {
    if (fmt_ & DT_TABSTOP) {
      // The tab length shares bits with other flags, which then do not apply.
      tabChars_ = int((fmt_ >> 8) & 0xFF);
      fmt_ &= ~UINT(0xFF00);
    } else if (params && params->iTabLength > 0) {
      tabChars_ = params->iTabLength;
    }
    StripPrefixes(s, len);
    RealFont& f = FontOf(dc);
    lineHeight_ = f.Height();
    tabWidth_ = std::max(1, tabChars_ * f.aveWidth);
    // Every character is measured once; widths, breaks and pens are then sums of advances.
    std::vector<MeasuredChar> chars;
    MeasureChars(dc, text_.data(), int(text_.size()), &chars);
    cells_.assign(text_.size(), Cell {});
    for (const MeasuredChar& c : chars) cells_[size_t(c.offset)] = Cell { c.advance, c.bytes };
  }

  UINT Format() const { return fmt_; }
  int LineHeight() const { return lineHeight_; }

  std::vector<Line> Lines(int maxWidth) const {
    std::vector<Line> lines;
    int n = int(text_.size());
    if (fmt_ & DT_SINGLELINE) {
      lines.push_back(Line { 0, n });
      return lines;
    }
    int start = 0;
    for (int i = 0; i <= n; ++i) {
      if (i < n && text_[size_t(i)] != '\r' && text_[size_t(i)] != '\n') continue;
      Wrap(start, i, maxWidth, lines);
      if (i < n && text_[size_t(i)] == '\r' && i + 1 < n && text_[size_t(i + 1)] == '\n') ++i;
      start = i + 1;
    }
    return lines;
  }

  int Width(int begin, int end) const {
    int x = 0;
    for (int i = begin; i < end; i += Bytes(i)) x = After(x, i);
    return x;
  }

  // Draws one line with its left edge at logical x, top at y.
  void DrawLine(const Line& line, int x, int y, const RECT* clip) const {
    int seg = line.begin, pen = 0, segPen = 0;
    for (int i = line.begin; i <= line.end; i += i < line.end ? Bytes(i) : 1) {
      bool tab = i < line.end && Tab(i);
      if (i < line.end && !tab) {
        pen = After(pen, i);
        continue;
      }
      std::vector<int> marks;
      for (int u : underlined_)
        if (u >= seg && u < i) marks.push_back(u - seg);
      if (i > seg) DrawTextRun(dc_, x + segPen, y, text_.data() + seg, i - seg, clip, marks);
      if (tab) pen = After(pen, i);
      segPen = pen;
      seg = i + 1;
    }
  }

 private:
  // "&x" underlines x, "&&" is "&"; the text drawn has the prefix characters removed.
  void StripPrefixes(const char* s, int len) {
    bool prefixes = !(fmt_ & DT_NOPREFIX);
    for (int i = 0; i < len; ++i) {
      auto b = uint8_t(s[i]);
      if (b >= 0x81 && b <= 0xFE && i + 1 < len) {
        text_.push_back(s[i]);
        text_.push_back(s[++i]);
        continue;
      }
      if (prefixes && s[i] == '&') {
        if (i + 1 < len && s[i + 1] == '&') {
          text_.push_back('&');
          ++i;
        } else if (i + 1 < len && !(fmt_ & DT_HIDEPREFIX)) {
          underlined_.push_back(int(text_.size()));
        }
        continue;
      }
      text_.push_back(s[i]);
    }
  }

  bool Tab(int i) const { return text_[size_t(i)] == '\t' && (fmt_ & DT_EXPANDTABS); }
  int Bytes(int i) const { return cells_[size_t(i)].bytes; }
  // The pen after the character at i, from x (an expanded tab moves to the next stop).
  int After(int x, int i) const { return Tab(i) ? (x / tabWidth_ + 1) * tabWidth_ : x + cells_[size_t(i)].advance; }

  // Breaks [begin, end) into lines no wider than maxWidth where it can: at blanks (which are
  // dropped) and before or after a double-byte character. A word longer than a line stays whole.
  // One pass: the pen moves on by each character's advance, and only the characters after the last
  // break are looked at again on the next line.
  void Wrap(int begin, int end, int maxWidth, std::vector<Line>& lines) const {
    if (!(fmt_ & DT_WORDBREAK)) {
      lines.push_back(Line { begin, end });
      return;
    }
    int pos = begin;
    do {
      int lineStart = pos, breakEnd = -1, resume = -1, x = 0;
      bool broke = false;
      for (int j = pos; j < end;) {
        int nb = Bytes(j);
        bool wide = nb == 2;
        bool blank = text_[size_t(j)] == ' ';
        if (blank) {
          breakEnd = j;
          resume = j + 1;
        } else if (wide && j > lineStart) {
          breakEnd = j;
          resume = j;
        }
        x = After(x, j);
        if (!blank && j > lineStart && x > maxWidth && breakEnd > lineStart) {
          while (breakEnd > lineStart && text_[size_t(breakEnd - 1)] == ' ') --breakEnd;
          lines.push_back(Line { lineStart, breakEnd });
          pos = resume;
          while (pos < end && text_[size_t(pos)] == ' ') ++pos;
          broke = true;
          break;
        }
        if (wide) {
          breakEnd = j + nb;
          resume = j + nb;
        }
        j += nb;
      }
      if (!broke) {
        lines.push_back(Line { lineStart, end });
        pos = end;
      }
    } while (pos < end);
  }

  struct Cell {
    int advance { 0 };
    int bytes { 1 };
  };

  DC& dc_;
  UINT fmt_;
  std::string text_;
  std::vector<int> underlined_;
  std::vector<Cell> cells_;  // by the byte offset where each character starts
  int tabChars_ { 8 };
  int tabWidth_ { 64 };
  int lineHeight_ { 0 };
};

int DrawTextImpl(HDC hdc, LPCSTR s, int len, LPRECT rc, UINT format, DRAWTEXTPARAMS* params) {
  DC* dc = GetDC(hdc);
  if (!dc || !rc || (!s && len != 0)) {
    if (dc) SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (len < 0) len = int(std::strlen(s));
  TextBlock block(*dc, s ? s : "", len, format, params);
  UINT fmt = block.Format();
  RECT area = *rc;
  if (params) {
    area.left += params->iLeftMargin;
    area.right -= params->iRightMargin;
    params->uiLengthDrawn = UINT(len);
  }
  std::vector<Line> lines = block.Lines(area.right - area.left);
  int lh = block.LineHeight();
  int height = lh * int(std::max<size_t>(lines.size(), 1));
  if (fmt & DT_CALCRECT) {
    int widest = 0;
    for (const Line& l : lines) widest = std::max(widest, block.Width(l.begin, l.end));
    rc->right = area.left + widest + (params ? params->iRightMargin : 0);
    rc->bottom = rc->top + height;
    return height;
  }
  int y = area.top;
  bool single = fmt & DT_SINGLELINE;
  if (single && (fmt & DT_VCENTER)) y = area.top + (area.bottom - area.top - lh) / 2;
  if (single && (fmt & DT_BOTTOM)) y = area.bottom - lh;
  const RECT* clip = (fmt & DT_NOCLIP) ? nullptr : rc;
  int top = y;
  for (const Line& l : lines) {
    int w = block.Width(l.begin, l.end);
    int x = area.left;
    if (fmt & DT_CENTER)
      x = area.left + (area.right - area.left - w) / 2;
    else if (fmt & DT_RIGHT)
      x = area.right - w;
    block.DrawLine(l, x, y, clip);
    y += lh;
  }
  if (single && (fmt & (DT_VCENTER | DT_BOTTOM))) return top - rc->top + lh;
  return height;
}

}  // namespace

int WINAPI DrawTextA(HDC hdc, LPCSTR s, int len, LPRECT rc, UINT format) {
  return DrawTextImpl(hdc, s, len, rc, format, nullptr);
}

int WINAPI DrawTextExA(HDC hdc, LPSTR s, int len, LPRECT rc, UINT format, LPDRAWTEXTPARAMS params) {
  return DrawTextImpl(hdc, s, len, rc, format, params);
}
