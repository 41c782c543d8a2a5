#pragma once
// The rich edit's formats, kept beside the memo engine's text: runs of character formats and runs of
// paragraph formats over the same byte positions as the text (each line break its two bytes). Each
// distinct format is kept once in a table and the runs hold its number, so a long document of few
// formats costs a few numbers per run. A paragraph's format is the one at its first byte.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace xj::ctl {

struct CharFormat {
  std::string face;    // at most 31 bytes
  int height { 200 };  // twips, a multiple of ten (half-points)
  bool bold { false }, italic { false }, underline { false }, strike { false }, protect { false };
  bool autoColor { true };  // the window's text colour; else `color`
  uint32_t color { 0 };     // 0x00BBGGRR
  bool autoBack { true };   // no highlight; else `back`
  uint32_t back { 0 };
  uint8_t charset { 1 };  // DEFAULT_CHARSET
  uint8_t pitch { 0 };    // pitch in the low two bits, family in the high nibble

  auto Key() const {
    return std::tie(face, height, bold, italic, underline, strike, protect, autoColor, color, autoBack, back, charset,
                    pitch);
  }
  bool operator<(const CharFormat& o) const { return Key() < o.Key(); }
  bool operator==(const CharFormat& o) const { return Key() == o.Key(); }
};

enum class ParaAlign : uint8_t { Left, Right, Centre, Justify };
// How a paragraph is marked, numbered as the rich edit's messages number them (PFN_*).
enum class Numbering : uint8_t { None, Bullet, Decimal, LowerLetter, UpperLetter, LowerRoman, UpperRoman };
// What surrounds a paragraph's number (PFNS_* over 256): "1)", "(1)", "1.", "1", or none shown.
enum class NumberStyle : uint8_t { Paren, Parens, Period, Plain, Hidden };

struct ParaFormat {
  static constexpr size_t kMaxTabs = 32;
  ParaAlign align { ParaAlign::Left };
  int left { 0 }, first { 0 }, right { 0 };  // twips; `first` is the first line's indent past `left`
  Numbering numbering { Numbering::None };
  NumberStyle numberStyle { NumberStyle::Paren };
  uint16_t numberStart { 1 };  // the number of a list's first paragraph
  std::vector<int> tabs;       // twips from the left edge, ascending, at most kMaxTabs

  auto Key() const { return std::tie(align, left, first, right, numbering, numberStyle, numberStart, tabs); }
  // Whether consecutive paragraphs of these formats count on as one list.
  bool SameList(const ParaFormat& o) const {
    return numbering == o.numbering && numberStyle == o.numberStyle && numberStart == o.numberStart;
  }
  bool operator<(const ParaFormat& o) const { return Key() < o.Key(); }
  bool operator==(const ParaFormat& o) const { return Key() == o.Key(); }
};

// Runs of numbers over [0, Length()): the first starts at 0, each differs from the one before. The last
// may start at Length(), holding no bytes: the format of an empty last paragraph.
class RunList {
 public:
  struct Run {
    size_t start;
    uint32_t value;
    bool operator==(const Run& o) const { return start == o.start && value == o.value; }
  };

  explicit RunList(uint32_t value = 0) : FRuns { Run { 0, value } } {}
  void Reset(size_t length, uint32_t value);
  size_t Length() const { return FLength; }
  const std::vector<Run>& Runs() const { return FRuns; }
  // The run holding pos (the last one at or past the end).
  size_t IndexAt(size_t pos) const;
  uint32_t At(size_t pos) const { return FRuns[IndexAt(pos)].value; }
  size_t EndOf(size_t index) const { return index + 1 < FRuns.size() ? FRuns[index + 1].start : FLength; }
  // [from, to) takes `value`; from == Length() sets the run of no bytes at the end.
  void Set(size_t from, size_t to, uint32_t value);
  // Builds a list front to back: `count` more bytes of `value`.
  void Append(size_t count, uint32_t value);
  // `removed` bytes at `from` became `inserted` bytes. The inserted ones take the value before them
  // (typing goes on in the format at the caret) or, with `stickRight`, the one after them.
  void Follow(size_t from, size_t removed, size_t inserted, bool stickRight);
  // The runs over [from, to), with starts from 0.
  std::vector<Run> Slice(size_t from, size_t to) const;
  // Every run of `from` becomes one of `to`.
  void Replace(uint32_t from, uint32_t to);
  // Calls f(start, end, value) for each piece of [from, to), in order.
  void Visit(size_t from, size_t to, const std::function<void(size_t, size_t, uint32_t)>& f) const;

 private:
  void MergeAt(size_t index);  // joins the run at index with its neighbours of the same value
  std::vector<Run> FRuns;
  size_t FLength { 0 };
};

// Each distinct value once, by number.
template <class T>
class FormatTable {
 public:
  uint32_t Intern(const T& v) {
    auto [it, added] = FIds.emplace(v, (uint32_t)FValues.size());
    if (added) FValues.push_back(v);
    return it->second;
  }
  const T& operator[](uint32_t id) const { return FValues[id]; }

 private:
  std::vector<T> FValues;
  std::map<T, uint32_t> FIds;
};

// The formats of a span, by number in the tables of the text they came from.
struct FormatSpan {
  std::vector<RunList::Run> chars, paras;
};

class RichText {
 public:
  RichText();
  FormatTable<CharFormat> chars;
  FormatTable<ParaFormat> paras;
  RunList charRuns;
  RunList paraRuns;
  uint32_t defaultChar { 0 };

  void Reset(size_t length);  // all of it in the default formats
  const CharFormat& CharAt(size_t pos) const { return chars[charRuns.At(pos)]; }
  const ParaFormat& ParaAt(size_t pos) const { return paras[paraRuns.At(pos)]; }
  void Follow(size_t from, size_t removed, size_t inserted) {
    charRuns.Follow(from, removed, inserted, false);
    paraRuns.Follow(from, removed, inserted, true);
  }

  // An edit of the text, heard before the text changes: `removed` bytes at `from` become `inserted`.
  // Typed text goes on in the format before it (the format set for the caret, when there is one; that
  // of the text it replaces, when it replaces some), unprotected unless typed inside protected text.
  // `step` is the undo history's count of steps, so that the formats an undoable step removes are
  // kept as long as its text is; `undoing` puts them back (and keeps those the undo removes, for redo).
  void Edited(size_t from, size_t removed, size_t inserted, uint64_t step, bool undoing);
  // The formats of [from, to) are about to change, the text staying, as undo step `step`: they are kept
  // until its undo, heard as an edit of those bytes, puts them back.
  void Keep(size_t from, size_t to, uint64_t step);
  // Whether replacing [from, to) changes protected text: a deletion that overlaps it, or an insertion
  // strictly inside it.
  bool Protected(size_t from, size_t to) const;
  // The format the next character typed at `caret` takes.
  uint32_t TypingFormat(size_t caret) const;
  // Where the next text typed takes `format` rather than the one before it (until the text changes).
  void SetCaretFormat(size_t caret, uint32_t format) {
    FCaretFormat = format;
    FCaretAt = caret;
  }
  void Restyle(size_t from, size_t to, const std::function<CharFormat(const CharFormat&)>& f);
  void Reshape(size_t from, size_t to, const std::function<ParaFormat(const ParaFormat&)>& f);
  // A new default format; text in the old one takes it.
  void SetDefault(const CharFormat& f);

  FormatSpan Cut(size_t from, size_t to) const {
    return FormatSpan { charRuns.Slice(from, to), paraRuns.Slice(from, to) };
  }
  void Put(size_t at, size_t length, const FormatSpan& span);

 private:
  long long FCaretFormat { -1 };
  size_t FCaretAt { 0 };
  uint64_t FStep { UINT64_MAX };  // the undo step the record below belongs to
  size_t FUndoAt { 0 };
  size_t FUndoLength { 0 };
  FormatSpan FUndoFormats;  // of the text the step removed
};

// The mark a paragraph of `p` shows as the n-th of its list: "3.", "(c)", "iv)" (empty for none and
// for bullets, which are drawn).
std::string NumberText(const ParaFormat& p, int n);

// A document as read or to be written: its text ("\r\n" between paragraphs) and formats over it.
struct RichDocument {
  std::string text;
  RichText rich;
};

// The formats of [from, to) of `rich` as a document of its own over `text` (those bytes).
RichDocument Excerpt(const RichText& rich, std::string text, size_t from);
// Pastes the formats of `doc` over [at, at + doc.text.size()) of `into`.
void PasteFormats(RichText& into, size_t at, const RichDocument& doc);

}  // namespace xj::ctl
