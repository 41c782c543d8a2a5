// Reading and writing the reduced RTF: a scanner of groups, control words and text that keeps only
// the text of the body.

#include "platform/win32/ctl/Rtf.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace xj::ctl {

namespace {

// Destinations whose content is not text of the body, each between blanks.
constexpr std::string_view kSkipped =
    " fonttbl colortbl stylesheet info pict object header headerl headerr headerf footer footerl footerr footerf"
    " listtable listoverridetable rsidtbl generator fldinst themedata colorschememapping datastore latentstyles"
    " xmlnstbl filetbl revtbl bkmkstart bkmkend footnote comment ";

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

class Reader {
 public:
  explicit Reader(std::string_view in) : FIn(in) {}

  std::string Run() {
    // One flag per open group: whether its content is skipped. The stack grows only with '{' read,
    // so it never outgrows the input.
    std::vector<bool> skip { false };
    while (FPos < FIn.size()) {
      char c = FIn[FPos++];
      switch (c) {
        case '{':
          skip.push_back(skip.back());
          break;
        case '}':
          if (skip.size() > 1) skip.pop_back();
          break;
        case '\\':
          ControlWord(skip);
          break;
        case '\r':
        case '\n':
          break;
        default:
          if (!skip.back()) FOut += c;
      }
    }
    return std::move(FOut);
  }

 private:
  // A control word as read: its letters and its numeric parameter, when it has one.
  struct Word {
    std::string_view name;
    long long value { 0 };
    bool hasValue { false };
  };

  void ControlWord(std::vector<bool>& skip) {
    if (FPos >= FIn.size()) return;
    if (!IsLetter(FIn[FPos])) return ControlSymbol(skip);
    Word word = ReadWord();
    if (word.name == "bin") {  // binary data: skipped whatever the group
      FPos += (size_t)std::clamp<long long>(word.hasValue ? word.value : 0, 0, (long long)(FIn.size() - FPos));
      return;
    }
    if (IsSkipped(word.name)) {
      skip.back() = true;
      return;
    }
    if (!skip.back()) WordText(word.name);
  }

  // A backslash and one character that is not a letter.
  void ControlSymbol(std::vector<bool>& skip) {
    char c = FIn[FPos++];
    bool text = !skip.back();
    switch (c) {
      case '\\':
      case '{':
      case '}':
        if (text) FOut += c;
        return;
      case '~':
        if (text) FOut += ' ';
        return;
      case '_':
        if (text) FOut += '-';
        return;
      case '*':
        skip.back() = true;
        return;
      case '\'':
        return HexEscape(text);
      case '\r':
      case '\n':
        if (text) FOut += "\r\n";
        return;
    }
  }

  // \'hh: one byte in two hex digits.
  void HexEscape(bool text) {
    int hi = FPos < FIn.size() ? HexValue(FIn[FPos]) : -1;
    int lo = FPos + 1 < FIn.size() ? HexValue(FIn[FPos + 1]) : -1;
    if (hi < 0 || lo < 0) {  // half an escape: dropped with what there is of it
      FPos += hi < 0 ? 0 : 1;
      return;
    }
    FPos += 2;
    if (text) FOut += (char)(hi * 16 + lo);
  }

  // The letters (at most 32), an optional signed number of which ten digits count, and the one blank
  // that ends a word.
  Word ReadWord() {
    Word word;
    size_t start = FPos;
    while (FPos < FIn.size() && IsLetter(FIn[FPos]) && FPos - start < 32) ++FPos;
    word.name = FIn.substr(start, FPos - start);
    bool negative = FPos < FIn.size() && FIn[FPos] == '-';
    if (negative) ++FPos;
    for (int digits = 0; FPos < FIn.size() && FIn[FPos] >= '0' && FIn[FPos] <= '9'; ++FPos, ++digits)
      if (digits < 10) {
        word.value = word.value * 10 + (FIn[FPos] - '0');
        word.hasValue = true;
      }
    if (FPos < FIn.size() && FIn[FPos] == ' ') ++FPos;
    if (negative) word.value = -word.value;
    return word;
  }

  // The text a word of the body stands for.
  void WordText(std::string_view word) {
    if (word == "par" || word == "line" || word == "sect" || word == "page")
      FOut += "\r\n";
    else if (word == "tab")
      FOut += '\t';
    else if (word == "emdash" || word == "endash")
      FOut += '-';
    else if (word == "lquote" || word == "rquote")
      FOut += '\'';
    else if (word == "ldblquote" || word == "rdblquote")
      FOut += '"';
    // Other words format text, which is not kept; \u's fallback characters follow it and stay.
  }

  std::string_view FIn;
  size_t FPos { 0 };
  std::string FOut;
};

}  // namespace

bool RtfToText(std::string_view rtf, std::string& text) {
  size_t i = 0;
  while (i < rtf.size() && (rtf[i] == ' ' || rtf[i] == '\t' || rtf[i] == '\r' || rtf[i] == '\n')) ++i;
  if (rtf.substr(i, 5) != "{\\rtf") return false;
  text = Reader(rtf.substr(i)).Run();
  return true;
}

std::string TextToRtf(std::string_view text) {
  std::string out =
      "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\r\n"
      "\\viewkind4\\uc1\\pard\\lang2052\\f0\\fs18 ";
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = (unsigned char)text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\\par\r\n";
    } else if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += (char)c;
    } else if (c == '\t') {
      out += "\\tab ";
    } else if (c >= 0x80) {
      char hex[8];
      snprintf(hex, sizeof hex, "\\'%02x", c);
      out += hex;
    } else {
      out += (char)c;
    }
  }
  out += "}\r\n";
  return out;
}

}  // namespace xj::ctl
