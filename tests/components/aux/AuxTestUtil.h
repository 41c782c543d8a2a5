#pragma once
// Helpers for the auxiliary components' tests: pictures as rows of characters, one character per
// colour, and the built-in test face whose glyphs are plain boxes.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/PixelRows.h"
#include "platform/vcl/Graphics.h"
#include "tests/support/ControlsTestUtil.h"

namespace auxtest {

using Inks = std::initializer_list<std::pair<char, TColor>>;

// One line per row, one character per pixel: the ink's character, '?' for a colour not listed.
inline std::string Map(TCanvas* Canvas, int W, int H, Inks inks) {
  std::string s;
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const int32_t p = Canvas->Pixels(x, y);
      char c = '?';
      for (const auto& [ch, color] : inks)
        if (p == ColorToRGB(color)) c = ch;
      s += c;
    }
    s += '\n';
  }
  return s;
}
inline std::string Map(TBitmap& B, Inks inks) { return Map(B.Canvas(), B.Width(), B.Height(), inks); }

using xj::test::Rows;

// A bitmap painted from rows of characters.
inline void Paint(TBitmap& B, std::initializer_list<const char*> rows, Inks inks) {
  int y = 0;
  for (const char* r : rows) {
    for (int x = 0; r[x]; ++x)
      for (const auto& [ch, color] : inks)
        if (r[x] == ch) B.Canvas()->SetPixels(x, y, color);
    ++y;
  }
}

// A 32-bit bitmap of one colour.
inline void Fill(TBitmap& B, int W, int H, TColor Color) {
  B.SetPixelFormat(pf32bit);
  B.SetSize(W, H);
  B.Canvas()->Brush()->SetStyle(bsSolid);
  B.Canvas()->Brush()->SetColor(Color);
  B.Canvas()->FillRect(TRect(0, 0, W, H));
}

// The red component of every pixel of a row or a column (the gradients run grey to grey).
inline std::vector<int> Row(TBitmap& B, int Y) {
  std::vector<int> v;
  for (int x = 0; x < B.Width(); ++x) v.push_back(B.Canvas()->Pixels(x, Y) & 0xFF);
  return v;
}
inline std::vector<int> Column(TBitmap& B, int X) {
  std::vector<int> v;
  for (int y = 0; y < B.Height(); ++y) v.push_back(B.Canvas()->Pixels(X, y) & 0xFF);
  return v;
}

// A windowless control that counts the invalidations asked of it and logs the removal notices it gets.
class TCountingControl : public TGraphicControl {
 public:
  explicit TCountingControl(TComponent* AOwner, std::vector<std::string>* Log = nullptr, std::string Tag = {})
      : TGraphicControl(AOwner), FLog(Log), FTag(std::move(Tag)) {}
  void Invalidate() override {
    ++Invalidations;
    if (FLog) FLog->push_back("invalidate " + FTag);
  }
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove) Removed.push_back(AComponent);
  }
  int Invalidations { 0 };
  std::vector<TComponent*> Removed;

 private:
  std::vector<std::string>* FLog;
  std::string FTag;
};

// The built-in face: a single-byte character is an 8 × 13 cell holding the box [1, 7) × [1, 10).
inline void UseTestFace(TFont* Font, TColor Color) {
  Font->SetName("Platform Test");
  Font->SetHeight(13);
  Font->SetColor(Color);
}

}  // namespace auxtest
