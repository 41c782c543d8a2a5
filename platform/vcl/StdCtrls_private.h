#pragma once
// Drawing helpers the StdCtrls units share. Not part of the public interface.

#include <initializer_list>
#include <utility>

#include "platform/vcl/StdCtrls.h"

namespace xj::stdctrls {

// DrawText on the canvas's DC (the canvas font and brush selected). Disabled text is engraved: the
// highlight colour one pixel down and right, the shadow colour on top. With DT_CALCRECT it only measures.
void DrawCanvasText(TCanvas* Canvas, const AnsiString& Text, TRect& Rect, UINT Flags, bool Enabled);

// The cell height of a font (ascent + descent), measured on a screen DC.
int FontHeight(TFont* Font);

// One pixel picture given as rows of characters; Colours maps a character to a colour ('.' and any
// character not listed are left alone). Used for the check mark, the radio circle and the arrows.
struct TPixelColour {
  char Key;
  TColor Colour;
};
void DrawPixels(TCanvas* Canvas, int X, int Y, std::initializer_list<const char*> Rows,
                std::initializer_list<TPixelColour> Colours);

}  // namespace xj::stdctrls
