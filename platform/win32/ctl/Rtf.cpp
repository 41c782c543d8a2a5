// Reading and writing RTF: a scanner of groups, control words and text, with the formats each group
// sets and restores when it closes.

#include "platform/win32/ctl/Rtf.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <utility>
#include <vector>

#include "platform/win32/WinBase.h"

namespace xj::ctl {

namespace {

// Destinations whose content is not text of the body, each between blanks.
constexpr std::string_view kSkipped =
    " stylesheet info pict object header headerl headerr headerf footer footerl footerr footerf pntext"
    " listtable listoverridetable rsidtbl generator fldinst themedata colorschememapping datastore latentstyles"
    " xmlnstbl filetbl revtbl bkmkstart bkmkend footnote comment ";

// Groups deeper than this share the state of the deepest kept one: a hostile document nesting without
// end costs a counter, not a copy of the state per group.
constexpr size_t kMaxDepth = 512;
constexpr long long kMaxTwips = 32767;
constexpr int kMaxHalfPoints = 3276;

bool IsSkipped(std::string_view word) {
  if (word.empty()) return false;
  for (size_t at = kSkipped.find(word); at != std::string_view::npos; at = kSkipped.find(word, at + 1))
    if (kSkipped[at - 1] == ' ' && kSkipped[at + word.size()] == ' ') return true;
  return false;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The code page of a font's character set; sets with none of their own (the default set, 1) take the
// document's. A symbol font's bytes are kept as they are, as the system's own are.
uint32_t PageOf(uint8_t charset, uint32_t document) {
  static constexpr std::pair<uint8_t, uint16_t> kPages[] = {
    { 0, 1252 },   { 2, CP_GBK }, { 77, 10000 }, { 128, 932 },  { 129, 949 },  { 134, CP_GBK },
    { 136, 950 },  { 161, 1253 }, { 162, 1254 }, { 163, 1258 }, { 177, 1255 }, { 178, 1256 },
    { 186, 1257 }, { 204, 1251 }, { 222, 874 },  { 238, 1250 }, { 255, 437 }
  };
  for (const auto& [set, page] : kPages)
    if (set == charset) return page;
  return document;
}

// Whether a byte starts a character of two in a double-byte code page other than the system's.
bool IsLead(uint32_t page, unsigned char b) {
  if (page == 932) return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
  return (page == 949 || page == 950) && b >= 0x81 && b <= 0xFE;
}

// A character as the text holds it: in GBK, '?' where GBK has none.
std::string_view InText(wchar_t c, char (&buf)[8]) {
  const int n = WideCharToMultiByte(CP_GBK, 0, &c, 1, buf, sizeof buf, nullptr, nullptr);
  return n > 0 ? std::string_view(buf, (size_t)n) : std::string_view("?");
}

// A face name of at most 31 bytes, cut between characters. In a font of another code page than the
// text's, where the face is written as Unicode, bytes that do not read as GBK and back (a name read
// before its font's character set changed) are a '?'.
std::string FaceOf(const std::string& name, uint8_t charset) {
  const bool unicode = PageOf(charset, CP_GBK) != CP_GBK;
  std::string out;
  for (size_t i = 0; i < name.size();) {
    const size_t n = (size_t)GbkCharLength(&name[i], name.data() + name.size());
    std::string_view c(&name[i], n);
    wchar_t wide = 0;
    char buf[8];
    if (unicode && (unsigned char)name[i] >= 0x80 &&
        (MultiByteToWideChar(CP_GBK, 0, c.data(), (int)n, &wide, 1) != 1 || InText(wide, buf) != c))
      c = "?";
    if (out.size() + c.size() > 31) break;
    out += c;
    i += n;
  }
  return out;
}

enum class Dest : uint8_t { Body, Skip, FontTable, ColorTable, Number, NumberText };

// What a paragraph's "\pn" group says of its bullet or number, put in its format when the group closes.
struct Marker {
  static constexpr size_t kMaxText = 16;
  bool bullet { false }, body { false }, hidden { false };
  Numbering kind { Numbering::Decimal };
  uint16_t start { 1 };
  std::string before, after;  // the text around the number ("\pntxtb", "\pntxta")
  bool afterNow { false };    // which of them the text now read goes to

  void ApplyTo(ParaFormat& p) const {
    if (bullet) {
      p.numbering = Numbering::Bullet;
      p.numberStart = 1;
      p.numberStyle = NumberStyle::Paren;
    } else if (body) {  // the levels of outlines and sections are not kept
      p.numbering = kind;
      p.numberStart = start;
      p.numberStyle = hidden ? NumberStyle::Hidden : Style();
    }
  }
  NumberStyle Style() const {
    if (after.find(')') != std::string::npos)
      return before.find('(') != std::string::npos ? NumberStyle::Parens : NumberStyle::Paren;
    return after.find('.') != std::string::npos ? NumberStyle::Period : NumberStyle::Plain;
  }
};

struct Font {
  std::string name;
  uint8_t charset { 1 };
  uint8_t pitch { 0 };
};

// What a group sets and its closing restores.
struct State {
  int font { -1 };  // -1: the document's default font
  int halfPoints { 24 };
  bool bold { false }, italic { false }, underline { false }, strike { false }, protect { false };
  long long color { 0 }, back { 0 };  // numbers in the colour table; 0: automatic
  ParaFormat para;
  Dest dest { Dest::Body };
  int uc { 1 };
};

// A control word as read: its letters (empty when too long to be a word) and its numeric parameter.
struct Word {
  std::string_view name;
  long long value { 0 };
  bool hasValue { false };
};

class Reader {
 public:
  Reader(std::string_view in, RichDocument& doc, const CharFormat& base) : FIn(in), FDoc(doc), FBase(base) {
    State first;
    first.halfPoints = std::clamp(base.height / 10, 1, kMaxHalfPoints);
    FStack.push_back(first);
    FDoc.text.clear();
    FDoc.rich = RichText {};
    FDoc.rich.defaultChar = FDoc.rich.chars.Intern(base);
    FDoc.rich.charRuns.Reset(0, FDoc.rich.defaultChar);
  }

  void Run() {
    while (FPos < FIn.size()) {
      char c = FIn[FPos++];
      switch (c) {
        case '{':
          Open();
          break;
        case '}':
          Close();
          break;
        case '\\':
          Control();
          break;
        case '\r':
        case '\n':
          break;
        default:
          Plain(c);
      }
    }
    DropLead();
    // The last paragraph ends where the document closes: in the format of that moment.
    const uint32_t last = FClosed >= 0 ? (uint32_t)FClosed : ParaId();
    if (FDoc.text.size() > FParaStart)
      FDoc.rich.paraRuns.Append(FDoc.text.size() - FParaStart, last);
    else if (FDoc.text.empty())
      FDoc.rich.paraRuns.Reset(0, last);
    else
      FDoc.rich.paraRuns.Set(FParaStart, FParaStart, last);
  }

 private:
  State& Now() { return FStack.back(); }

  void Open() {
    DropLead();
    FSkipChars = 0;
    if (FStack.size() >= kMaxDepth)
      ++FExcess;
    else
      FStack.push_back(FStack.back());
  }

  void Close() {
    DropLead();
    FSkipChars = 0;
    if (FExcess > 0) {
      --FExcess;
      return;
    }
    if (FStack.size() <= 1) return;  // more closing braces than opening ones: the body goes on
    if (FStack.size() == 2) FClosed = ParaId();
    const bool marker = Now().dest == Dest::Number && FStack[FStack.size() - 2].dest != Dest::Number;
    FStack.pop_back();
    FCurrent = -1;
    if (marker) FMarker.ApplyTo(Now().para);
  }

  // ---- Text ----

  uint32_t CharId() {
    if (FCurrent >= 0) return (uint32_t)FCurrent;
    const State& s = Now();
    CharFormat f = FBase;
    auto font = FFonts.find(s.font < 0 ? FDefaultFont : s.font);
    if (font != FFonts.end()) {
      f.face = FaceOf(font->second.name, font->second.charset);
      f.charset = font->second.charset;
      f.pitch = font->second.pitch;
    }
    f.height = s.halfPoints * 10;
    f.bold = s.bold;
    f.italic = s.italic;
    f.underline = s.underline;
    f.strike = s.strike;
    f.protect = s.protect;
    f.autoColor = !Colour(s.color, f.color);
    f.autoBack = !Colour(s.back, f.back);
    FCurrent = (long long)FDoc.rich.chars.Intern(f);
    return (uint32_t)FCurrent;
  }

  bool Colour(long long index, uint32_t& out) const {
    if (index <= 0 || index >= (long long)FColours.size() || FColours[(size_t)index] < 0) return false;
    out = (uint32_t)FColours[(size_t)index];
    return true;
  }

  uint32_t ParaId() { return FDoc.rich.paras.Intern(Now().para); }

  // Bytes of the body in the format now in force; the fallback characters after \u are swallowed.
  void Put(std::string_view bytes) {
    if (FSkipChars > 0) {
      --FSkipChars;
      return;
    }
    FDoc.text += bytes;
    FDoc.rich.charRuns.Append(bytes.size(), CharId());
    FClosed = -1;  // text after the document closed: it goes on
  }

  void Paragraph() {
    FSkipChars = 0;
    FClosed = -1;
    FDoc.text += "\r\n";
    FDoc.rich.charRuns.Append(2, CharId());
    FDoc.rich.paraRuns.Append(FDoc.text.size() - FParaStart, ParaId());
    FParaStart = FDoc.text.size();
  }

  // Text of the body is taken up to the next brace, backslash or line end at once (byte by byte when
  // it is in another code page than the text's).
  void Plain(char c) {
    if (Now().dest != Dest::Body || FSkipChars > 0 || FLeadHeld) return Byte(c);
    size_t end = FIn.find_first_of("{}\\\r\n", FPos);
    if (end == std::string_view::npos) end = FIn.size();
    const std::string_view run = FIn.substr(FPos - 1, end - FPos + 1);
    FPos = end;
    if (PageNow() == CP_GBK || std::all_of(run.begin(), run.end(), [](char b) { return (unsigned char)b < 0x80; }))
      return Put(run);
    for (char b : run) Byte(b);
  }

  // The code page of the text now: that of the font in force (of the font being named, in the table).
  uint32_t PageNow() const {
    const State& s = FStack.back();
    const int font = s.dest == Dest::FontTable ? FFontNow : s.font < 0 ? FDefaultFont : s.font;
    const auto it = FFonts.find(font);
    return PageOf(it == FFonts.end() ? 1 : it->second.charset, FPage);
  }

  // A byte of text as the document has it: in the system's code page it is kept, in another one each
  // character is taken into the system's (a double-byte one's lead waits for its trail).
  void Byte(char c) {
    const Dest dest = Now().dest;
    if (dest != Dest::Body && dest != Dest::FontTable) return Text(c);
    if (FSkipChars > 0) {  // a fallback after \u
      --FSkipChars;
      return;
    }
    const uint32_t page = FLeadHeld ? FLeadPage : PageNow();
    if (!FLeadHeld && ((unsigned char)c < 0x80 || page == CP_GBK)) return Text(c);
    if (!FLeadHeld && IsLead(page, (unsigned char)c)) {
      FLeadHeld = true;
      FLead = c;
      FLeadPage = page;
      return;
    }
    const char pair[2] = { FLead, c };
    const bool two = std::exchange(FLeadHeld, false);
    wchar_t wide[2];
    const int n = MultiByteToWideChar(page, 0, two ? pair : &c, two ? 2 : 1, wide, 2);
    char buf[8];
    for (int i = 0; i < n; ++i) Emit(InText(wide[i], buf));
  }

  // A lead byte with no trail is half a character: a '?' marks it.
  void DropLead() {
    if (std::exchange(FLeadHeld, false)) Emit("?");
  }

  // Bytes in the text's own code page, to the body or to the face being named.
  void Emit(std::string_view bytes) {
    if (Now().dest == Dest::Body) return Put(bytes);
    for (char b : bytes) Text(b);
  }

  // A byte of text, of the body or of a table.
  void Text(char c) {
    switch (Now().dest) {
      case Dest::Body:
        return Put(std::string_view(&c, 1));
      case Dest::FontTable:
        if (c == ';')
          FFontNow = -1;
        else if (FFontNow >= 0 && (unsigned char)c >= 0x20)  // a face name holds no control characters
          FFonts[FFontNow].name += c;
        return;
      case Dest::ColorTable:
        if (c == ';') {
          FColours.push_back(FAnyPart ? (long long)(FRed | FGreen << 8 | FBlue << 16) : -1);
          FRed = FGreen = FBlue = 0;
          FAnyPart = false;
        }
        return;
      case Dest::NumberText:
        if (std::string& t = FMarker.afterNow ? FMarker.after : FMarker.before; t.size() < Marker::kMaxText) t += c;
        return;
      default:
        return;
    }
  }

  // ---- Control words and symbols ----

  void Control() {
    if (FPos >= FIn.size()) return;
    if (FIn[FPos] != '\'') DropLead();
    if (!IsLetter(FIn[FPos])) return Symbol(FIn[FPos++]);
    Word w = ReadWord();
    if (w.name == "bin") {  // binary data: skipped whatever the group
      FPos += (size_t)std::clamp<long long>(w.hasValue ? w.value : 0, 0, (long long)(FIn.size() - FPos));
      return;
    }
    if (Destination(w.name) || TableWord(w) || CharWord(w) || ParaWord(w)) return;
    if (Now().dest == Dest::Body) TextWord(w);
  }

  // A backslash and one character that is not a letter.
  void Symbol(char c) {
    switch (c) {
      case '\\':
      case '{':
      case '}':
        return Byte(c);
      case '~':
        return Byte(' ');
      case '_':
        return Byte('-');
      case '*':  // an optional destination: skipped unless it is a bullet's or number's
        if (FIn.substr(FPos, 3) != "\\pn" || (FPos + 3 < FIn.size() && IsLetter(FIn[FPos + 3])))
          Now().dest = Dest::Skip;
        return;
      case '\'':
        return HexEscape();
      case '\r':
      case '\n':
        if (Now().dest == Dest::Body) Paragraph();
        return;
    }
  }

  // \'hh: one byte in two hex digits.
  void HexEscape() {
    int hi = FPos < FIn.size() ? HexValue(FIn[FPos]) : -1;
    int lo = FPos + 1 < FIn.size() ? HexValue(FIn[FPos + 1]) : -1;
    if (hi < 0 || lo < 0) {  // half an escape: dropped with what there is of it
      FPos += hi < 0 ? 0 : 1;
      return;
    }
    FPos += 2;
    Byte((char)(hi * 16 + lo));
  }

  // The letters, an optional signed number of which ten digits count, and the one blank that ends a
  // word. A word of more than 32 letters is read whole and known by no name.
  Word ReadWord() {
    Word w;
    size_t start = FPos;
    while (FPos < FIn.size() && IsLetter(FIn[FPos])) ++FPos;
    if (FPos - start <= 32) w.name = FIn.substr(start, FPos - start);
    bool negative = FPos < FIn.size() && FIn[FPos] == '-';
    if (negative) ++FPos;
    for (int digits = 0; FPos < FIn.size() && FIn[FPos] >= '0' && FIn[FPos] <= '9'; ++FPos, ++digits)
      if (digits < 10) {
        w.value = w.value * 10 + (FIn[FPos] - '0');
        w.hasValue = true;
      }
    if (FPos < FIn.size() && FIn[FPos] == ' ') ++FPos;
    if (negative) w.value = -w.value;
    return w;
  }

  bool Destination(std::string_view name) {
    Dest d;
    if (name == "fonttbl")
      d = Dest::FontTable;
    else if (name == "colortbl")
      d = Dest::ColorTable;
    else if (name == "pn")
      d = Dest::Number;
    else if ((name == "pntxta" || name == "pntxtb") && Now().dest == Dest::Number)
      d = Dest::NumberText;
    else if (IsSkipped(name))
      d = Dest::Skip;
    else
      return false;
    if (name == "pn") FMarker = Marker {};
    if (d == Dest::NumberText) {
      FMarker.afterNow = name == "pntxta";
      (FMarker.afterNow ? FMarker.after : FMarker.before).clear();
    }
    if (Now().dest != Dest::Skip) Now().dest = d;
    return true;
  }

  // Words of the font and colour tables, of a bullet or number, and of the document's head.
  bool TableWord(const Word& w) {
    const Dest dest = Now().dest;
    if (dest == Dest::FontTable) return FontWord(w);
    if (dest == Dest::ColorTable) {
      const int part = (int)std::clamp<long long>(w.value, 0, 255);
      if (w.name == "red") FRed = part;
      if (w.name == "green") FGreen = part;
      if (w.name == "blue") FBlue = part;
      FAnyPart = true;
      return true;
    }
    if (dest == Dest::Number || dest == Dest::NumberText) {
      MarkerWord(w);
      return true;
    }
    if (w.name == "ansicpg") {  // a page the system cannot read leaves the bytes as they are
      const auto page = (UINT)std::clamp<long long>(w.value, 0, 65535);
      FPage = page != CP_UTF8 && MultiByteToWideChar(page, 0, "a", 1, nullptr, 0) > 0 ? page : CP_GBK;
      return true;
    }
    if (w.name == "deff") {
      FDefaultFont = (int)std::clamp<long long>(w.value, 0, INT32_MAX);
      FCurrent = -1;
      return true;
    }
    return false;
  }

  void MarkerWord(const Word& w) {
    static constexpr std::pair<std::string_view, Numbering> kKinds[] = { { "pndec", Numbering::Decimal },
                                                                         { "pnlcltr", Numbering::LowerLetter },
                                                                         { "pnucltr", Numbering::UpperLetter },
                                                                         { "pnlcrm", Numbering::LowerRoman },
                                                                         { "pnucrm", Numbering::UpperRoman } };
    const std::string_view n = w.name;
    if (n == "pnlvlblt") FMarker.bullet = true;
    if (n == "pnlvlbody") FMarker.body = true;
    if (n == "pnlvlcont") FMarker.body = FMarker.hidden = true;  // in the list, its number not shown
    if (n == "pnstart") FMarker.start = (uint16_t)std::clamp<long long>(w.value, 0, 65535);
    for (const auto& [word, kind] : kKinds)
      if (n == word) FMarker.kind = kind;
  }

  bool FontWord(const Word& w) {
    static constexpr std::string_view kFamilies[] = { "fnil", "froman", "fswiss", "fmodern", "fscript", "fdecor" };
    if (w.name == "f") {
      FFontNow = (int)std::clamp<long long>(w.value, 0, INT32_MAX);
      FFonts[FFontNow] = Font {};
      return true;
    }
    if (FFontNow < 0) return true;
    if (w.name == "u") {  // a character of the face's name
      Unicode(w.value);
      return true;
    }
    Font& f = FFonts[FFontNow];
    if (w.name == "fcharset") f.charset = (uint8_t)std::clamp<long long>(w.value, 0, 255);
    if (w.name == "fprq") f.pitch = (uint8_t)((f.pitch & 0xF0) | (std::clamp<long long>(w.value, 0, 2)));
    for (size_t i = 0; i < std::size(kFamilies); ++i)
      if (w.name == kFamilies[i]) f.pitch = (uint8_t)((f.pitch & 0x03) | i << 4);
    return true;
  }

  // Character formats: on with no number or a non-zero one.
  bool CharWord(const Word& w) {
    State& s = Now();
    const bool on = !w.hasValue || w.value != 0;
    const std::string_view n = w.name;
    if (n == "plain") {
      const int keepUc = s.uc;
      State fresh;
      fresh.halfPoints = std::clamp(FBase.height / 10, 1, kMaxHalfPoints);
      fresh.para = s.para;
      fresh.dest = s.dest;
      s = fresh;
      s.uc = keepUc;
    } else if (n == "b") {
      s.bold = on;
    } else if (n == "i") {
      s.italic = on;
    } else if (n == "ul") {
      s.underline = on;
    } else if (n == "ulnone") {
      s.underline = false;
    } else if (n == "strike") {
      s.strike = on;
    } else if (n == "protect") {
      s.protect = on;
    } else if (n == "f") {
      s.font = (int)std::clamp<long long>(w.value, 0, INT32_MAX);
    } else if (n == "fs") {
      if (w.value > 0) s.halfPoints = (int)std::min<long long>(w.value, kMaxHalfPoints);  // \fs0: as it was
    } else if (n == "cf") {
      s.color = w.value;
    } else if (n == "highlight" || n == "cb") {
      s.back = w.value;
    } else {
      return false;
    }
    FCurrent = -1;
    return true;
  }

  bool ParaWord(const Word& w) {
    ParaFormat& p = Now().para;
    const std::string_view n = w.name;
    const int twips = (int)std::clamp(w.value, -kMaxTwips, kMaxTwips);
    if (n == "pard")
      p = ParaFormat {};
    else if (n == "ql")
      p.align = ParaAlign::Left;
    else if (n == "qr")
      p.align = ParaAlign::Right;
    else if (n == "qc")
      p.align = ParaAlign::Centre;
    else if (n == "qj")
      p.align = ParaAlign::Justify;
    else if (n == "li")
      p.left = twips;
    else if (n == "ri")
      p.right = twips;
    else if (n == "fi")
      p.first = twips;
    else if (n == "tx")
      AddTab(p, std::max(0, twips));
    else
      return false;
    return true;
  }

  static void AddTab(ParaFormat& p, int at) {
    auto it = std::lower_bound(p.tabs.begin(), p.tabs.end(), at);
    if ((it != p.tabs.end() && *it == at) || p.tabs.size() >= ParaFormat::kMaxTabs) return;
    p.tabs.insert(it, at);
  }

  // The text a word of the body stands for.
  void TextWord(const Word& w) {
    const std::string_view n = w.name;
    if (n == "par" || n == "sect" || n == "page")
      Paragraph();
    else if (n == "line")
      Put("\v");
    else if (n == "tab")
      Put("\t");
    else if (n == "emdash" || n == "endash")
      Put("-");
    else if (n == "lquote" || n == "rquote")
      Put("'");
    else if (n == "ldblquote" || n == "rdblquote")
      Put("\"");
    else if (n == "uc")
      Now().uc = (int)std::clamp<long long>(w.value, 0, 16);
    else if (n == "u")
      Unicode(w.value);
  }

  // \uN: the character in GBK ('?' where GBK has none), then its fallback skipped.
  void Unicode(long long value) {
    if (value < 0) value += 65536;
    char buf[8];
    FSkipChars = 0;
    Emit(InText((wchar_t)std::clamp<long long>(value, 0, 0xFFFF), buf));
    FSkipChars = (size_t)Now().uc;
  }

  std::string_view FIn;
  size_t FPos { 0 };
  RichDocument& FDoc;
  const CharFormat& FBase;
  std::vector<State> FStack;
  size_t FExcess { 0 };
  std::map<int, Font> FFonts;
  int FFontNow { -1 };
  int FDefaultFont { 0 };
  std::vector<long long> FColours;  // -1: automatic
  int FRed { 0 }, FGreen { 0 }, FBlue { 0 };
  bool FAnyPart { false };
  Marker FMarker;
  size_t FSkipChars { 0 };
  uint32_t FPage { CP_GBK };  // the document's code page
  bool FLeadHeld { false };   // a lead byte waits for its trail
  char FLead { 0 };
  uint32_t FLeadPage { 0 };
  long long FCurrent { -1 };  // the format now in force, by number; -1: to be looked up
  long long FClosed { -1 };   // the paragraph format when the document last closed, with no text since
  size_t FParaStart { 0 };
};

// ---- Writing ----

class Writer {
 public:
  explicit Writer(const RichDocument& doc) : FDoc(doc) {}

  std::string Run() {
    const RichText& rich = FDoc.rich;
    FontOf(rich.chars[rich.defaultChar]);
    for (const RunList::Run& r : rich.charRuns.Runs()) {
      const CharFormat& f = rich.chars[r.value];
      FontOf(f);
      if (!f.autoColor) ColourOf(f.color);
      if (!f.autoBack) ColourOf(f.back);
    }
    std::string body;
    Body(body);
    std::string out = "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl";
    for (size_t i = 0; i < FFonts.size(); ++i) FontEntry(out, i);
    out += "}\r\n";
    if (!FColours.empty()) {
      out += "{\\colortbl ;";
      for (uint32_t c : FColours)
        out += "\\red" + std::to_string(c & 0xFF) + "\\green" + std::to_string(c >> 8 & 0xFF) + "\\blue" +
               std::to_string(c >> 16 & 0xFF) + ";";
      out += "}\r\n";
    }
    out += "\\viewkind4\\uc1";
    out += body;
    out += "}\r\n";
    return out;
  }

 private:
  using FontKey = std::tuple<std::string, uint8_t, uint8_t>;

  size_t FontOf(const CharFormat& f) {
    FontKey key { f.face, f.charset, f.pitch };
    auto [it, added] = FFontIds.emplace(key, FFonts.size());
    if (added) FFonts.push_back(key);
    return it->second;
  }

  size_t ColourOf(uint32_t c) {
    auto [it, added] = FColourIds.emplace(c, FColours.size() + 1);
    if (added) FColours.push_back(c);
    return it->second;
  }

  void FontEntry(std::string& out, size_t i) {
    static constexpr const char* kFamilies[] = { "fnil", "froman", "fswiss", "fmodern", "fscript", "fdecor" };
    const auto& [face, charset, pitch] = FFonts[i];
    out += "{\\f" + std::to_string(i) + "\\" + kFamilies[std::min(5, pitch >> 4)];
    if (pitch & 3) out += "\\fprq" + std::to_string(pitch & 3);
    out += "\\fcharset" + std::to_string(charset) + " ";
    std::string name = face;
    std::erase(name, ';');
    for (size_t at = 0; at < name.size();) at += Character(out, name, at, charset);
    out += ";}";
  }

  static void Escaped(std::string& out, char c) {
    const unsigned char u = (unsigned char)c;
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += c;
    } else if (c == '\t') {
      out += "\\tab ";
    } else if (c == '\v') {
      out += "\\line ";
    } else if (u >= 0x80 || u < 0x20) {
      char hex[8];
      snprintf(hex, sizeof hex, "\\'%02x", u);
      out += hex;
    } else {
      out += c;
    }
  }

  // The character at `at` of the text, in a run of a font of `charset`: its bytes as they are where the
  // font's code page is the text's, else as \uN (with '?' for readers that know no \u). Answers its
  // length.
  static size_t Character(std::string& out, const std::string& t, size_t at, uint8_t charset) {
    if ((unsigned char)t[at] < 0x80 || PageOf(charset, CP_GBK) == CP_GBK) {
      Escaped(out, t[at]);
      return 1;
    }
    const int n = GbkCharLength(&t[at], t.data() + t.size());
    wchar_t wide = 0;
    if (MultiByteToWideChar(CP_GBK, 0, &t[at], n, &wide, 1) != 1) wide = L'?';
    out += "\\u" + std::to_string((int16_t)(uint16_t)wide) + "?";
    return (size_t)n;
  }

  void CharWords(std::string& out, const CharFormat& f) {
    out += "\\plain\\f" + std::to_string(FontOf(f)) + "\\fs" + std::to_string((f.height + 5) / 10);
    if (f.bold) out += "\\b";
    if (f.italic) out += "\\i";
    if (f.underline) out += "\\ul";
    if (f.strike) out += "\\strike";
    if (f.protect) out += "\\protect";
    if (!f.autoColor) out += "\\cf" + std::to_string(ColourOf(f.color));
    if (!f.autoBack) out += "\\highlight" + std::to_string(ColourOf(f.back));
    out += ' ';
  }

  static void ParaWords(std::string& out, const ParaFormat& p) {
    static constexpr const char* kAlign[] = { "", "\\qr", "\\qc", "\\qj" };
    out += "\\pard";
    out += kAlign[(int)p.align];
    if (p.left) out += "\\li" + std::to_string(p.left);
    if (p.right) out += "\\ri" + std::to_string(p.right);
    if (p.first) out += "\\fi" + std::to_string(p.first);
    for (int t : p.tabs) out += "\\tx" + std::to_string(t);
    out += ' ';
  }

  // A paragraph's bullet or number as "\pn" says it, after its text for readers that know no "\pn".
  static void MarkerWords(std::string& out, const ParaFormat& p, int number) {
    if (p.numbering == Numbering::Bullet) {
      out += "{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\'b7}}";
      return;
    }
    static constexpr const char* kKinds[] = { "", "", "\\pndec", "\\pnlcltr", "\\pnucltr", "\\pnlcrm", "\\pnucrm" };
    static constexpr const char* kAround[] = { "{\\pntxta )}", "{\\pntxtb (}{\\pntxta )}", "{\\pntxta .}", "", "" };
    out += "{\\pntext " + NumberText(p, number) + "\\tab}{\\*\\pn";
    out += p.numberStyle == NumberStyle::Hidden ? "\\pnlvlcont" : "\\pnlvlbody";
    out += "\\pnindent0\\pnstart" + std::to_string(p.numberStart) + kKinds[(int)p.numbering];
    out += kAround[(int)p.numberStyle];
    out += "}";
  }

  // Paragraph by paragraph: its words when they differ from the one before (the bullet's or number's
  // text each time), then the text, a character format wherever one starts.
  void Body(std::string& out) {
    const RichText& rich = FDoc.rich;
    const std::string& t = FDoc.text;
    long long lastChar = -1, lastPara = -1;
    int number = 0;  // of the paragraph, in its list
    bool paraStart = true;
    for (size_t i = 0; i <= t.size();) {
      if (paraStart) {
        const uint32_t p = rich.paraRuns.At(i);
        if ((long long)p != lastPara) ParaWords(out, rich.paras[p]);
        const ParaFormat& format = rich.paras[p];
        number = lastPara >= 0 && format.SameList(rich.paras[(uint32_t)lastPara]) ? number + 1 : format.numberStart;
        if (format.numbering != Numbering::None) MarkerWords(out, format, number);
        lastPara = p;
        paraStart = false;
      }
      if (i == t.size()) break;
      const uint32_t c = rich.charRuns.At(i);
      if ((long long)c != lastChar) CharWords(out, rich.chars[c]);
      lastChar = c;
      if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') {
        out += "\\par\r\n";
        i += 2;
        paraStart = true;
        continue;
      }
      i += Character(out, t, i, rich.chars[c].charset);
    }
  }

  const RichDocument& FDoc;
  std::vector<FontKey> FFonts;
  std::map<FontKey, size_t> FFontIds;
  std::vector<uint32_t> FColours;
  std::map<uint32_t, size_t> FColourIds;
};

}  // namespace

bool IsRtf(std::string_view rtf) {
  size_t i = 0;
  while (i < rtf.size() && (rtf[i] == ' ' || rtf[i] == '\t' || rtf[i] == '\r' || rtf[i] == '\n')) ++i;
  return rtf.substr(i, 5) == "{\\rtf";
}

bool ReadRtf(std::string_view rtf, RichDocument& doc, const CharFormat& base) {
  if (!IsRtf(rtf)) return false;
  RichDocument read;
  Reader(rtf, read, base).Run();
  doc = std::move(read);
  return true;
}

std::string WriteRtf(const RichDocument& doc) { return Writer(doc).Run(); }

bool RtfToText(std::string_view rtf, std::string& text) {
  RichDocument doc;
  if (!ReadRtf(rtf, doc)) return false;
  text = PlainLines(doc.text);
  return true;
}

std::string PlainLines(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c == '\v')
      out += "\r\n";
    else
      out += c;
  return out;
}

std::string TextToRtf(std::string_view text) {
  RichDocument doc;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      doc.text += "\r\n";
    } else {
      doc.text += c;
    }
  }
  doc.rich.Reset(doc.text.size());
  return WriteRtf(doc);
}

}  // namespace xj::ctl
