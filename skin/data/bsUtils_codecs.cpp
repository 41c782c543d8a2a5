// How skin values are written in a skin file and read back.

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/vcl/IniFiles.h"
#include "skin/data/bsUtils.h"

namespace {

// One comma-separated field: its digits, in order, with a sign when a minus came before the first one.
struct TField {
  AnsiString Digits;
  bool Negative { false };
};

// Splits Text into N fields; surplus fields are dropped, never stored past the last slot.
template <int N>
void SplitFields(const AnsiString& Text, TField (&Fields)[N]) {
  int k = 0;
  for (char c : Text) {
    if (c == ',') {
      if (++k == N) return;
    } else if (c >= '0' && c <= '9') {
      Fields[k].Digits += c;
    } else if (c == '-' && Fields[k].Digits.empty()) {
      Fields[k].Negative = true;
    }
  }
}

// The field's value, or false when it has no digit or does not fit 32 bits.
bool FieldValue(const TField& F, int& Value) {
  if (F.Digits.empty()) return false;
  uint64_t magnitude = 0;
  for (char c : F.Digits) {
    magnitude = magnitude * 10 + static_cast<uint64_t>(c - '0');
    if (magnitude > 0x80000000ull) return false;
  }
  if (magnitude == 0x80000000ull && !F.Negative) return false;
  Value = F.Negative ? static_cast<int>(-static_cast<int64_t>(magnitude)) : static_cast<int>(magnitude);
  return true;
}

// Parses N fields into Values; on failure names the field that failed.
template <int N>
bool ParseFields(const AnsiString& Text, int (&Values)[N], AnsiString& BadField) {
  TField fields[N];
  SplitFields(Text, fields);
  for (int i = 0; i < N; ++i)
    if (!FieldValue(fields[i], Values[i])) {
      BadField = (fields[i].Negative ? "-" : "") + fields[i].Digits;
      return false;
    }
  return true;
}

[[noreturn]] void ConvertError(const AnsiString& Field) {
  throw EConvertError("'" + Field + "' is not a valid integer value");
}

struct TStyleWord {
  TFontStyle Style;
  const char* Word;
};
constexpr TStyleWord StyleWords[] = {
  { fsBold, "fsbold" }, { fsItalic, "fsitalic" }, { fsUnderline, "fsunderline" }, { fsStrikeOut, "fsstrikeout" }
};

}  // namespace

// ---- Rectangles and points ------------------------------------------------------------------------------

TRect GetRect(const AnsiString& Text) {
  int v[4];
  AnsiString bad;
  if (!ParseFields(Text, v, bad)) ConvertError(bad);
  return TRect(v[0], v[1], v[2], v[3]);
}

TPoint GetPoint(const AnsiString& Text) {
  int v[2];
  AnsiString bad;
  if (!ParseFields(Text, v, bad)) ConvertError(bad);
  return TPoint(v[0], v[1]);
}

AnsiString SetRect(const TRect& R) {
  return IntToStr(R.Left) + "," + IntToStr(R.Top) + "," + IntToStr(R.Right) + "," + IntToStr(R.Bottom);
}

TRect ReadRect(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident) {
  int v[4];
  AnsiString bad;
  if (!ParseFields(IniFile->ReadString(Section, Ident, "0,0,0,0"), v, bad)) return NullRect();
  return TRect(v[0], v[1], v[2], v[3]);
}

TPoint ReadPoint(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident) {
  int v[2];
  AnsiString bad;
  if (!ParseFields(IniFile->ReadString(Section, Ident, "0,0"), v, bad)) return TPoint(0, 0);
  return TPoint(v[0], v[1]);
}

void WriteRect(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, const TRect& R) {
  IniFile->WriteString(Section, Ident, SetRect(R));
}

void WritePoint(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, const TPoint& P) {
  IniFile->WriteString(Section, Ident, IntToStr(P.X) + "," + IntToStr(P.Y));
}

// ---- Booleans, font styles, alignment -------------------------------------------------------------------

bool ReadBoolean(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident) {
  return IniFile->ReadInteger(Section, Ident, 0) == 1;
}

void WriteBoolean(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, bool Value) {
  IniFile->WriteInteger(Section, Ident, Value ? 1 : 0);
}

TFontStyles ReadFontStyles(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident) {
  const AnsiString text = IniFile->ReadString(Section, Ident, AnsiString());
  TFontStyles styles;
  for (const TStyleWord& w : StyleWords)
    if (text.find(w.Word) != AnsiString::npos) styles << w.Style;
  return styles;
}

void WriteFontStyles(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, TFontStyles Styles) {
  AnsiString text;
  for (const TStyleWord& w : StyleWords)
    if (Styles.Contains(w.Style)) (text += text.empty() ? "" : ",") += w.Word;
  IniFile->WriteString(Section, Ident, text);
}

TAlignment ReadAlignment(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident) {
  const AnsiString text = IniFile->ReadString(Section, Ident, "tacenter");
  if (text == "taleftjustify") return taLeftJustify;
  if (text == "tarightjustify") return taRightJustify;
  // A misspelt word keeps the default rather than turning into right alignment.
  return taCenter;
}

void WriteAlignment(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, TAlignment Alignment) {
  const char* word = Alignment == taCenter        ? "tacenter"
                     : Alignment == taLeftJustify ? "taleftjustify"
                                                  : "tarightjustify";
  IniFile->WriteString(Section, Ident, word);
}

// ---- String lists ---------------------------------------------------------------------------------------

int ReadSkinListCount(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& CountIdent,
                      const AnsiString& EntryPrefix) {
  const int n = IniFile->ReadInteger(Section, CountIdent, 0);
  if (n <= MaxSkinListCount) return std::max(n, 0);
  int present = MaxSkinListCount;
  while (present > 0 && !IniFile->ValueExists(Section, EntryPrefix + IntToStr(present - 1))) --present;
  return present;
}

void ReadStrings(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, TStrings* Strings) {
  const int n = ReadSkinListCount(IniFile, Section, Ident + "linecount", Ident + "line");
  for (int i = 0; i < n; ++i) Strings->Add(IniFile->ReadString(Section, Ident + "line" + IntToStr(i), AnsiString()));
}

void ReadStrings1(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, TStrings* Strings) {
  const int n = ReadSkinListCount(IniFile, Section, Ident + "count", "");
  for (int i = 0; i < n; ++i) Strings->Add(IniFile->ReadString(Section, IntToStr(i), AnsiString()));
}

void WriteStrings(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, TStrings* Strings) {
  IniFile->WriteInteger(Section, Ident + "linecount", Strings->Count());
  for (int i = 0; i < Strings->Count(); ++i)
    IniFile->WriteString(Section, Ident + "line" + IntToStr(i), Strings->Strings(i));
}

void WriteStrings1(TCustomIniFile* IniFile, const AnsiString& Section, const AnsiString& Ident, TStrings* Strings) {
  IniFile->WriteInteger(Section, Ident + "count", Strings->Count());
  for (int i = 0; i < Strings->Count(); ++i) IniFile->WriteString(Section, IntToStr(i), Strings->Strings(i));
}

// ---- Length-prefixed strings ----------------------------------------------------------------------------

void WriteStringToStream(const AnsiString& Str, TStream* S) {
  const int32_t length = static_cast<int32_t>(Str.size());
  uint8_t bytes[4];
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(static_cast<uint32_t>(length) >> (8 * i));
  S->WriteBuffer(bytes, 4);
  S->WriteBuffer(Str.data(), length);
}

void ReadStringFromStream(AnsiString& Str, TStream* S) {
  uint8_t bytes[4];
  S->ReadBuffer(bytes, 4);
  uint32_t raw = 0;
  for (int i = 0; i < 4; ++i) raw |= uint32_t { bytes[i] } << (8 * i);
  const int32_t length = static_cast<int32_t>(raw);
  // The length comes from outside: it must fit in what the stream still holds.
  if (length < 0 || length > S->Size() - S->Position()) throw EReadError("Stream read error");
  AnsiString text(static_cast<size_t>(length), '\0');
  S->ReadBuffer(text.data(), length);
  Str = std::move(text);
}
