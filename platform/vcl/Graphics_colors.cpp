// Colours: the identifier table, conversions between colours, names and RGB values, and how colour and
// character-set properties stream.

#include <iterator>

#include "platform/vcl/Graphics.h"
#include "platform/win32/WinGdi_user.h"

namespace {

struct TIdentMapEntry {
  int32_t Value;
  const char* Name;
};

// The class library's colour identifiers, in the order GetColorValues walks them.
constexpr TIdentMapEntry Colors[] = {
  { clBlack, "clBlack" },
  { clMaroon, "clMaroon" },
  { clGreen, "clGreen" },
  { clOlive, "clOlive" },
  { clNavy, "clNavy" },
  { clPurple, "clPurple" },
  { clTeal, "clTeal" },
  { clGray, "clGray" },
  { clSilver, "clSilver" },
  { clRed, "clRed" },
  { clLime, "clLime" },
  { clYellow, "clYellow" },
  { clBlue, "clBlue" },
  { clFuchsia, "clFuchsia" },
  { clAqua, "clAqua" },
  { clWhite, "clWhite" },
  { clScrollBar, "clScrollBar" },
  { clBackground, "clBackground" },
  { clActiveCaption, "clActiveCaption" },
  { clInactiveCaption, "clInactiveCaption" },
  { clMenu, "clMenu" },
  { clWindow, "clWindow" },
  { clWindowFrame, "clWindowFrame" },
  { clMenuText, "clMenuText" },
  { clWindowText, "clWindowText" },
  { clCaptionText, "clCaptionText" },
  { clActiveBorder, "clActiveBorder" },
  { clInactiveBorder, "clInactiveBorder" },
  { clAppWorkSpace, "clAppWorkSpace" },
  { clHighlight, "clHighlight" },
  { clHighlightText, "clHighlightText" },
  { clBtnFace, "clBtnFace" },
  { clBtnShadow, "clBtnShadow" },
  { clGrayText, "clGrayText" },
  { clBtnText, "clBtnText" },
  { clInactiveCaptionText, "clInactiveCaptionText" },
  { clBtnHighlight, "clBtnHighlight" },
  { cl3DDkShadow, "cl3DDkShadow" },
  { cl3DLight, "cl3DLight" },
  { clInfoText, "clInfoText" },
  { clInfoBk, "clInfoBk" },
  { clNone, "clNone" },
};
static_assert(std::size(Colors) == 42);

constexpr TIdentMapEntry Charsets[] = {
  { 0, "ANSI_CHARSET" },      { 1, "DEFAULT_CHARSET" },    { 2, "SYMBOL_CHARSET" },
  { 77, "MAC_CHARSET" },      { 128, "SHIFTJIS_CHARSET" }, { 129, "HANGEUL_CHARSET" },
  { 130, "JOHAB_CHARSET" },   { 134, "GB2312_CHARSET" },   { 136, "CHINESEBIG5_CHARSET" },
  { 161, "GREEK_CHARSET" },   { 162, "TURKISH_CHARSET" },  { 163, "VIETNAMESE_CHARSET" },
  { 177, "HEBREW_CHARSET" },  { 178, "ARABIC_CHARSET" },   { 186, "BALTIC_CHARSET" },
  { 204, "RUSSIAN_CHARSET" }, { 222, "THAI_CHARSET" },     { 238, "EASTEUROPE_CHARSET" },
  { 255, "OEM_CHARSET" },
};

template <size_t N>
bool IntToIdent(int64_t Value, AnsiString& Ident, const TIdentMapEntry (&Map)[N]) {
  for (const TIdentMapEntry& e : Map)
    if (e.Value == Value) {
      Ident = e.Name;
      return true;
    }
  return false;
}

template <size_t N>
bool IdentToInt(const AnsiString& Ident, int64_t& Value, const TIdentMapEntry (&Map)[N]) {
  for (const TIdentMapEntry& e : Map)
    if (SameText(Ident, e.Name)) {
      Value = e.Value;
      return true;
    }
  return false;
}

}  // namespace

int32_t ColorToRGB(TColor Color) {
  if (Color < 0) return static_cast<int32_t>(GetSysColor(Color & 0xFF));
  return Color;
}

bool ColorToIdent(int32_t Color, AnsiString& Ident) { return IntToIdent(Color, Ident, Colors); }

bool IdentToColor(const AnsiString& Ident, int32_t& Color) {
  int64_t v = 0;
  if (!IdentToInt(Ident, v, Colors)) return false;
  Color = static_cast<int32_t>(v);
  return true;
}

AnsiString ColorToString(TColor Color) {
  AnsiString ident;
  if (ColorToIdent(Color, ident)) return ident;
  return AnsiString(1, '$') += IntToHex(Color.Value, 8);
}

TColor StringToColor(const AnsiString& S) {
  int32_t c = 0;
  if (IdentToColor(S, c)) return c;
  return StrToInt(S);
}

void GetColorValues(TGetStrProc Proc) {
  for (const TIdentMapEntry& e : Colors) Proc(e.Name);
}

const TTypeInfo* TTypeTraits<TColor>::Info() {
  static const TTypeInfo info = [] {
    TTypeInfo t;
    t.Kind = tkInteger;
    t.Name = "TColor";
    t.MinValue = INT32_MIN;
    t.MaxValue = INT32_MAX;
    t.IdentToInt = [](const AnsiString& Ident, int64_t& Value) { return IdentToInt(Ident, Value, Colors); };
    t.IntToIdent = [](int64_t Value, AnsiString& Ident) { return IntToIdent(Value, Ident, Colors); };
    return t;
  }();
  return &info;
}

const TTypeInfo* TTypeTraits<TFontCharset>::Info() {
  static const TTypeInfo info = [] {
    TTypeInfo t;
    t.Kind = tkInteger;
    t.Name = "TFontCharset";
    t.MinValue = 0;
    t.MaxValue = 255;
    t.IdentToInt = [](const AnsiString& Ident, int64_t& Value) { return IdentToInt(Ident, Value, Charsets); };
    t.IntToIdent = [](int64_t Value, AnsiString& Ident) { return IntToIdent(Value, Ident, Charsets); };
    return t;
  }();
  return &info;
}
