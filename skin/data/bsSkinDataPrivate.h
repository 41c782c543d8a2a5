#pragma once
// Inside the skin data unit: a record's section described once, as a table of (key, codec, field,
// default), and the one reader and writer that walk such a table (every record class and the global
// sections of a skin file are tables); bitmap files and bitmap images in streams.

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string_view>
#include <type_traits>
#include <vector>

#include "skin/data/bsSkinData.h"

class TMemIniFile;

namespace xj::skin {

// Sets a flag for the lifetime of the guard.
class TFlagGuard {
 public:
  explicit TFlagGuard(bool& Flag) : FFlag(Flag) { FFlag = true; }
  ~TFlagGuard() { FFlag = false; }
  TFlagGuard(const TFlagGuard&) = delete;
  TFlagGuard& operator=(const TFlagGuard&) = delete;

 private:
  bool& FFlag;
};

// Frees the objects a list owns and empties it.
template <class T>
void FreeItems(TList* List) {
  for (int i = 0; i < List->Count(); ++i) delete static_cast<T*>(List->Items(i));
  List->Clear();
}

// Frees the pictures a list owns, each once however many indexes it stands at, and empties it.
void FreePictures(TList* List);

// Hands each line of Text to Each without its line break (CR LF, LF or CR), as a string list splits a
// text: a final line break adds no empty line.
template <class F>
void ForEachLine(std::string_view Text, F Each) {
  for (size_t pos = 0; pos < Text.size();) {
    const size_t end = std::min(Text.find_first_of("\r\n", pos), Text.size());
    Each(Text.substr(pos, end - pos));
    pos = end + (Text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
}

// What one load of a skin holds in memory, counted against a limit before the memory is spent: the INI
// text and what its parser builds, every picture's decoded pixels (and a picture file's bytes while they
// are decoded), every byte inflated from a compressed skin.
class TSkinBudget {
 public:
  explicit TSkinBudget(int64_t Limit) : FLimit(Limit) {}
  // Counts Bytes more; EbsSkinTooLarge naming What, and nothing counted, when that passes the limit.
  void Charge(int64_t Bytes, const AnsiString& What);
  // Counts Bytes more when they fit; false, and nothing counted, when they do not.
  bool Take(int64_t Bytes);
  // EbsSkinTooLarge: What goes past the limit.
  [[noreturn]] void Refuse(const AnsiString& What) const;
  // Gives back bytes counted for memory that is freed again.
  void Release(int64_t Bytes) { FUsed -= Bytes; }

 private:
  int64_t FLimit;
  int64_t FUsed { 0 };
};
// What Bitmap's pixels take in its own depth, rows padded to four bytes.
int64_t PictureBytes(const TBitmap* Bitmap);
// A budget of Data's limit, holding what its pictures take already (a picture at several indexes once).
TSkinBudget BudgetOf(TbsSkinData& Data);
// Counts against Budget what the lines of Text take in a TStringList: their characters and an item each.
// What names the text.
void ChargeLines(TSkinBudget& Budget, std::string_view Text, const AnsiString& What);
// Counts against Budget what the picture whose BMP file image begins with Head (Size bytes of it, its
// headers when they are there) takes decoded, and Held bytes more (the image's bytes, when they are
// held while it is decoded); What names the picture.
void ChargePicture(TSkinBudget& Budget, const void* Head, size_t Size, int64_t Held, const AnsiString& What);

// The file a skin names, as the host has it: "\" separates directories, and a component whose letter
// case differs from the one on disk is found too (skins come from systems whose names ignore case).
// The name unchanged when nothing matches.
AnsiString FindSkinFile(const AnsiString& FileName);
// Loads a bitmap file found by FindSkinFile; the error names the file. With a Budget, what the picture
// takes decoded is counted from the file's headers before anything else of it is read, together with
// the file's bytes, which are given back once decoded.
void LoadBitmapFile(TBitmap* Bitmap, const AnsiString& FileName, TSkinBudget* Budget = nullptr);
// A picture a skin names: Path + Name, or no picture for an empty name; counted against Budget. A picture
// that does not load raises with Key ("key picture") and the section named in the message.
void LoadSkinPicture(TBitmap* Bitmap, const AnsiString& Path, const AnsiString& Name, TSkinBudget& Budget,
                     const AnsiString& Key);
// Appends to List (TBitmap*, owned) the picture of each of Names from First on, each once it has
// loaded; an empty name gives an empty picture, so the indexes after it still fit. Names that lead to
// one file (whatever their spelling) give one picture, standing at each of their indexes, decoded and
// counted against Budget once.
void LoadSkinPictures(TList* List, TStrings* Names, int First, const AnsiString& Path, TSkinBudget& Budget);
// The text of a skin's INI file, read as the INI classes read one: a regular file, at most
// MaxProfileFileSize bytes; EFOpenError naming the file otherwise. Its bytes are counted against Budget
// before they are read.
AnsiString ReadSkinText(const AnsiString& FileName, TSkinBudget& Budget);
// Parses Text into IniFile, what the parser builds beside it counted against Budget first (the text
// itself is counted by whoever holds it); returns the bytes counted. What names the text.
int64_t ParseSkinText(TMemIniFile* IniFile, AnsiString Text, TSkinBudget& Budget, const AnsiString& What);
// The size of a regular file, 0 when there is none (its reader then says why).
int64_t FileBytes(const AnsiString& FileName);
// Counts Bytes against Budget; What names what takes them.
void ChargeBytes(TSkinBudget& Budget, int64_t Bytes, const AnsiString& What);
// "<What> is not a skin: it has no [<section>] section", or empty when the INI text is a skin.
AnsiString NotASkin(const AnsiString& What, TCustomIniFile* IniFile);

// One bitmap file image from the stream: its file header's size says how long it is, and that must fit
// in what the stream still holds (EReadError otherwise). What it takes decoded is counted against Budget,
// as What, from its headers before it is decoded; a memory stream's image is decoded where it lies. The
// stream is left just after the image.
void ReadImage(TStream* Stream, TBitmap* Bitmap, TSkinBudget& Budget, const AnsiString& What);
// A base picture: a flag byte (non-zero: none), then the image when there is one.
void ReadFlaggedImage(TStream* Stream, TBitmap* Bitmap, TSkinBudget& Budget, const AnsiString& What);
// The three base pictures, each flagged.
void ReadBasePictures(TStream* Stream, TBitmap* Picture, TBitmap* InActivePicture, TBitmap* Mask, TSkinBudget& Budget);
void WriteFlaggedImage(TStream* Stream, TBitmap* Bitmap);
// A 32-bit count, then that many images, appended to List (TBitmap*, owned) and counted against Budget.
// A count that the bytes left cannot hold raises EReadError before anything is read.
void ReadImageList(TStream* Stream, TList* List, TSkinBudget& Budget);
void WriteImageList(TStream* Stream, TList* List);
int32_t ReadInt32(TStream* Stream);
void WriteInt32(TStream* Stream, int32_t Value);

enum TKeyKind : uint8_t {
  kkInteger,
  kkColour,
  kkRect,
  kkPoint,
  kkBoolean,
  kkString,
  kkFontStyles,
  kkAlignment,
  kkMorphKind,
  kkStdCommand,
  kkInActiveEffect,
};

struct TSkinKey {
  const char* Key;
  TKeyKind Kind;
  void* (*Field)(TObject* Record);
  int IntDefault { 0 };
  const char* StrDefault { "" };
};

using TSkinKeys = std::vector<TSkinKey>;

// Reads every key of the table from Section into Record's fields, in table order.
void ReadKeys(TCustomIniFile* IniFile, const AnsiString& Section, TObject* Record, const TSkinKeys& Keys);
// Writes every key of the table from Record's fields, in table order.
void WriteKeys(TCustomIniFile* IniFile, const AnsiString& Section, TObject* Record, const TSkinKeys& Keys);

// The key tables of a record (a skin object or control record, the popup or hint window record): its
// class's and every ancestor's.
std::vector<const TSkinKeys*> KeyTablesOf(const TObject* Record);
// The key tables of the form geometry in [FORMINFO] (fields of TbsSkinData).
std::vector<const TSkinKeys*> FormKeyTables();
// Drops from Data what its pictures cannot draw: a record with a rectangle, point or measure outside the
// picture it is cut from loses that picture (and a mask the same), so it takes the built-in look; form
// geometry outside the frame picture loses the frame's pictures. A value past any picture's size by far
// (2^24) is cleared wherever it stands.
void DropUndrawableGeometry(TbsSkinData& Data);

template <class T>
struct TMember;
template <class C, class V>
struct TMember<V C::*> {
  using Class = C;
  using Value = V;
};

template <auto M>
void* FieldOf(TObject* Record) {
  using C = typename TMember<decltype(M)>::Class;
  return &(static_cast<C*>(Record)->*M);
}

template <auto M, class Expected>
constexpr void CheckField() {
  static_assert(std::is_same_v<typename TMember<decltype(M)>::Value, Expected>,
                "the field's type does not fit the codec");
}

template <auto M>
TSkinKey Int(const char* Key, int Default = 0) {
  CheckField<M, int>();
  return { Key, kkInteger, &FieldOf<M>, Default };
}
template <auto M>
TSkinKey Colour(const char* Key, TColor Default = 0) {
  CheckField<M, TColor>();
  return { Key, kkColour, &FieldOf<M>, static_cast<int32_t>(Default) };
}
template <auto M>
TSkinKey Rect(const char* Key) {
  CheckField<M, TRect>();
  return { Key, kkRect, &FieldOf<M> };
}
template <auto M>
TSkinKey Point(const char* Key) {
  CheckField<M, TPoint>();
  return { Key, kkPoint, &FieldOf<M> };
}
template <auto M>
TSkinKey Bool(const char* Key) {
  CheckField<M, bool>();
  return { Key, kkBoolean, &FieldOf<M> };
}
template <auto M>
TSkinKey Str(const char* Key, const char* Default = "") {
  CheckField<M, AnsiString>();
  return { Key, kkString, &FieldOf<M>, 0, Default };
}
template <auto M>
TSkinKey Styles(const char* Key) {
  CheckField<M, TFontStyles>();
  return { Key, kkFontStyles, &FieldOf<M> };
}
template <auto M>
TSkinKey Align(const char* Key) {
  CheckField<M, TAlignment>();
  return { Key, kkAlignment, &FieldOf<M> };
}
template <auto M>
TSkinKey Morph(const char* Key) {
  CheckField<M, TbsMorphKind>();
  return { Key, kkMorphKind, &FieldOf<M> };
}
template <auto M>
TSkinKey Command(const char* Key) {
  CheckField<M, TbsStdCommand>();
  return { Key, kkStdCommand, &FieldOf<M> };
}
template <auto M>
TSkinKey Effect(const char* Key) {
  CheckField<M, TbsInActiveEffect>();
  return { Key, kkInActiveEffect, &FieldOf<M> };
}

// A font group: "<prefix>fontname" ("Arial"), "<prefix>fontheight" (14), "<prefix>fontstyle",
// "<prefix>fontcolor" (0), in this order.
template <auto Name, auto Height, auto Style, auto Color>
std::array<TSkinKey, 4> Font(const char* const (&Keys)[4]) {
  return { Str<Name>(Keys[0], "Arial"), Int<Height>(Keys[1], 14), Styles<Style>(Keys[2]), Colour<Color>(Keys[3]) };
}

inline void Append(TSkinKeys& Keys, const TSkinKey& Key) { Keys.push_back(Key); }
inline void Append(TSkinKeys& Keys, const std::array<TSkinKey, 4>& Group) {
  Keys.insert(Keys.end(), Group.begin(), Group.end());
}

template <class... Parts>
TSkinKeys Keys(const Parts&... P) {
  TSkinKeys keys;
  (Append(keys, P), ...);
  return keys;
}

}  // namespace xj::skin

// The plain font group of class T, and one whose fields and keys carry a prefix (Caption, Fixed).
#define XJ_SKIN_FONT(T)                                                         \
  ::xj::skin::Font<&T::FontName, &T::FontHeight, &T::FontStyle, &T::FontColor>( \
      { "fontname", "fontheight", "fontstyle", "fontcolor" })
#define XJ_SKIN_PREFIXED_FONT(T, Prefix, prefix)                                                                \
  ::xj::skin::Font<&T::Prefix##FontName, &T::Prefix##FontHeight, &T::Prefix##FontStyle, &T::Prefix##FontColor>( \
      { prefix "fontname", prefix "fontheight", prefix "fontstyle", prefix "fontcolor" })
