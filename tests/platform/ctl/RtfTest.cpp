// RTF in and out: documents written by hand as a word processor writes them load with their formats,
// what is written reads back equal run by run, and hostile documents load as best they can.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/win32/ctl/Rtf.h"

using xj::ctl::CharFormat;
using xj::ctl::Numbering;
using xj::ctl::NumberStyle;
using xj::ctl::NumberText;
using xj::ctl::ParaAlign;
using xj::ctl::ParaFormat;
using xj::ctl::ReadRtf;
using xj::ctl::RichDocument;
using xj::ctl::WriteRtf;

namespace {

std::string Data(const char* name) {
  std::ifstream in(std::string(XJ_SOURCE_DIR) + "/tests/data/rtf/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

RichDocument Read(const std::string& rtf) {
  RichDocument doc;
  EXPECT_TRUE(ReadRtf(rtf, doc));
  return doc;
}

// The format of the first byte of `piece` in the document.
const CharFormat& Of(const RichDocument& d, const std::string& piece) {
  size_t at = d.text.find(piece);
  EXPECT_NE(at, std::string::npos) << piece;
  return d.rich.CharAt(at == std::string::npos ? 0 : at);
}
const ParaFormat& ParaOf(const RichDocument& d, const std::string& piece) {
  size_t at = d.text.find(piece);
  EXPECT_NE(at, std::string::npos) << piece;
  return d.rich.ParaAt(at == std::string::npos ? 0 : at);
}

// Byte by byte, the character format and the paragraph format of its paragraph.
void ExpectSame(const RichDocument& a, const RichDocument& b) {
  ASSERT_EQ(a.text, b.text);
  size_t paraStart = 0;
  for (size_t i = 0; i < a.text.size(); ++i) {
    ASSERT_TRUE(a.rich.CharAt(i) == b.rich.CharAt(i)) << "byte " << i;
    ASSERT_TRUE(a.rich.ParaAt(paraStart) == b.rich.ParaAt(paraStart)) << "byte " << i;
    if (a.text[i] == '\n') paraStart = i + 1;
  }
}

TEST(RtfTest, ALetterKeepsItsHeadingWarningAndSignature) {
  RichDocument d = Read(Data("letter.rtf"));
  EXPECT_EQ(d.text,
            "Dear Customer\r\nThank you for your order of the recorder box.\r\nWarning: unplug the line before "
            "opening the case.\r\nYours sincerely,\r\nThe Support Team\r\n");
  const CharFormat& heading = Of(d, "Dear");
  EXPECT_TRUE(heading.bold);
  EXPECT_EQ(heading.face, "Arial");
  EXPECT_EQ(heading.height, 320);
  EXPECT_EQ(heading.charset, 0);
  EXPECT_EQ(heading.pitch, 0x22);  // swiss, variable
  EXPECT_TRUE(heading.autoColor);
  const CharFormat& body = Of(d, "Thank");
  EXPECT_FALSE(body.bold);
  EXPECT_EQ(body.height, 220);
  const CharFormat& warning = Of(d, "Warning");
  EXPECT_TRUE(warning.bold);
  EXPECT_FALSE(warning.autoColor);
  EXPECT_EQ(warning.color, 0x0000FFu);
  EXPECT_FALSE(Of(d, " unplug").bold);
  EXPECT_FALSE(Of(d, " unplug").autoColor);
  EXPECT_TRUE(Of(d, "\r\nYours").autoColor);  // \cf0 before the break
  const CharFormat& signature = Of(d, "Yours");
  EXPECT_TRUE(signature.italic);
  EXPECT_EQ(signature.face, "Times New Roman");
  EXPECT_EQ(signature.pitch, 0x12);
  EXPECT_EQ(ParaOf(d, "Yours").align, ParaAlign::Centre);
  EXPECT_EQ(ParaOf(d, "The Support").align, ParaAlign::Centre);
  EXPECT_EQ(ParaOf(d, "Warning").align, ParaAlign::Left);
}

TEST(RtfTest, BulletsIndentsAndTabStops) {
  RichDocument d = Read(Data("bullets.rtf"));
  EXPECT_EQ(d.text,
            "Before you call:\r\nCheck the cable\r\nCheck the power\r\nNote the lamp's colour\r\n"
            "Model\tSerial\tDate\r\n");  // the bullets' own text is not text of the document
  EXPECT_EQ(ParaOf(d, "Before").numbering, Numbering::None);
  for (const char* item : { "Check the cable", "Check the power", "Note" }) {
    const ParaFormat& p = ParaOf(d, item);
    EXPECT_EQ(p.numbering, Numbering::Bullet) << item;
    EXPECT_EQ(p.left, 720);
    EXPECT_EQ(p.first, -360);
  }
  const ParaFormat& table = ParaOf(d, "Model");
  EXPECT_EQ(table.numbering, Numbering::None);
  EXPECT_EQ(table.left, 0);
  EXPECT_EQ(table.tabs, (std::vector<int> { 1440, 2880 }));
  EXPECT_EQ(Of(d, "Model").face, "Calibri");
}

// A line break keeps its paragraph whole: one format over all its lines, and back as "\\line".
TEST(RtfTest, LineBreaksStayWithinTheirParagraph) {
  RichDocument d = Read(Data("breaks.rtf"));
  EXPECT_EQ(d.text, "The Support Team\vKaldo Ltd.\v1 High Street\v\r\nNext\r\n");
  const ParaFormat& address = ParaOf(d, "The Support");
  EXPECT_EQ(address.align, ParaAlign::Centre);
  EXPECT_EQ(address.left, 360);
  EXPECT_EQ(d.rich.paraRuns.IndexAt(0), d.rich.paraRuns.IndexAt(d.text.find("\v\r\n")));
  EXPECT_TRUE(Of(d, "Kaldo").bold);
  EXPECT_FALSE(Of(d, "\v1 High").bold);
  EXPECT_EQ(ParaOf(d, "Next").align, ParaAlign::Left);
  const std::string written = WriteRtf(d);
  EXPECT_NE(written.find("Team\\line"), std::string::npos) << written;
  ExpectSame(d, Read(written));
  // As plain text each is the line break users expect.
  std::string text;
  ASSERT_TRUE(xj::ctl::RtfToText(Data("breaks.rtf"), text));
  EXPECT_EQ(text, "The Support Team\r\nKaldo Ltd.\r\n1 High Street\r\n\r\nNext\r\n");
}

TEST(RtfTest, ChineseInGbkEscapesAndUnicode) {
  RichDocument d = Read(Data("chinese.rtf"));
  // \u gives GBK and swallows its fallback (one character, then two under \uc2); an unknown
  // destination's text, nested groups and all, is skipped.
  EXPECT_EQ(d.text, "录音记录 (录音)\r\n注意：中 text\r\n完\r\n");
  EXPECT_EQ(Of(d, "录音记录").face, "宋体");
  EXPECT_EQ(Of(d, "录音记录").charset, 134);
  EXPECT_EQ(Of(d, " (").face, "Arial");
  EXPECT_TRUE(Of(d, "注意").underline);
  EXPECT_FALSE(Of(d, "：").underline);
  const CharFormat& marked = Of(d, "中");
  EXPECT_EQ(marked.color, 0xFF0000u);
  EXPECT_FALSE(marked.autoBack);
  EXPECT_EQ(marked.back, 0x00FFFFu);
  EXPECT_TRUE(Of(d, "\r\n完").autoBack);
  EXPECT_EQ(ParaOf(d, "完").align, ParaAlign::Right);
}

// Numbered lists as common writers mark them: "\\pn" with its kind, start and the text around the
// number; the number's own text ("\\pntext") is no text of the document. Counted on over the
// paragraphs of one list, and written back so.
TEST(RtfTest, NumberedListsKeepTheirKindStartAndStyle) {
  RichDocument d = Read(Data("numbered.rtf"));
  EXPECT_EQ(d.text,
            "Steps:\r\nUnplug the line\r\nOpen the case\r\nReplace the fuse\r\nLettered from c\r\nNext letter\r\n"
            "Roman\r\nDone\r\n");
  EXPECT_EQ(ParaOf(d, "Steps").numbering, Numbering::None);
  const ParaFormat& step = ParaOf(d, "Unplug");
  EXPECT_EQ(step.numbering, Numbering::Decimal);
  EXPECT_EQ(step.numberStart, 1);
  EXPECT_EQ(step.numberStyle, NumberStyle::Period);
  EXPECT_EQ(step.left, 720);
  EXPECT_EQ(step.first, -360);
  EXPECT_TRUE(ParaOf(d, "Replace") == step);
  const ParaFormat& lettered = ParaOf(d, "Next letter");
  EXPECT_EQ(lettered.numbering, Numbering::LowerLetter);
  EXPECT_EQ(lettered.numberStart, 3);
  EXPECT_EQ(lettered.numberStyle, NumberStyle::Parens);
  const ParaFormat& roman = ParaOf(d, "Roman");
  EXPECT_EQ(roman.numbering, Numbering::UpperRoman);
  EXPECT_EQ(roman.numberStyle, NumberStyle::Plain);
  EXPECT_EQ(ParaOf(d, "Done").numbering, Numbering::None);
  // The text a reader without "\\pn" shows: each number as the list counts it.
  const std::string written = WriteRtf(d);
  for (const char* shown : { "{\\pntext 1.\\tab}", "{\\pntext 3.\\tab}{\\*\\pn", "{\\pntext (c)\\tab}",
                             "{\\pntext (d)\\tab}", "{\\pntext IV\\tab}" })
    EXPECT_NE(written.find(shown), std::string::npos) << shown << " in " << written;
  EXPECT_EQ(NumberText(roman, 3999), "MMMCMXCIX");
  EXPECT_EQ(NumberText(lettered, 28), "(ab)");
  EXPECT_EQ(NumberText(step, 0), "0.");
}

// Bytes in the code page of their font's character set, or of the document where the font names
// none, come into the text's own: what it cannot hold, and half a character, become '?'. A symbol
// font's bytes stay as they are. Written back, such text is \\u, and reads back the same.
TEST(RtfTest, BytesAreReadInTheirFontsCodePage) {
  RichDocument d = Read(Data("western.rtf"));
  EXPECT_EQ(d.text,
            "Café crème “quoted” na?ve\r\n"
            "Raw: café \x80\r\n"
            "中文 and \xB7\r\n"
            "テスト あ half?\r\n"
            "éАб\x80\r\n");
  EXPECT_EQ(Of(d, "中文").face, "宋体");
  EXPECT_EQ(Of(d, "éАб").face, "Café Sans");
  EXPECT_EQ(Of(d, "Аб").charset, 204);
  EXPECT_EQ(Of(d, "Аб").face, "Курьер");
  const std::string written = WriteRtf(d);
  EXPECT_NE(written.find("Caf\\u233?"), std::string::npos) << written;
  ExpectSame(d, Read(written));
  // A page the system cannot read leaves the bytes as they are, as does a document that names none.
  EXPECT_EQ(Read("{\\rtf1\\ansi\\ansicpg65001 \\'d6\\'d0}").text, "中");
  EXPECT_EQ(Read("{\\rtf1\\ansi \\'d6\\'d0}").text, "中");
  // A face read before its font's character set changed: what cannot be written as Unicode is a '?'.
  RichDocument face = Read("{\\rtf1{\\fonttbl{\\f1\\fcharset134 \\'cb\\'ce\\'ff\\fcharset0 x;}}\\f1 a}");
  EXPECT_EQ(face.rich.CharAt(0).face, "宋?x");
  ExpectSame(face, Read(WriteRtf(face)));
  // A lead byte waits through a line end for its trail, not past a group.
  EXPECT_EQ(Read("{\\rtf1\\ansicpg932 \\'82\r\n\\'a0{\\'82}\\'a0}").text, "あ??");
}

// Each document written reads back equal, and so does what is written of that.
TEST(RtfTest, WhatIsWrittenReadsBackEqual) {
  for (const char* name : { "letter.rtf", "bullets.rtf", "chinese.rtf", "breaks.rtf", "western.rtf", "numbered.rtf" }) {
    SCOPED_TRACE(name);
    RichDocument first = Read(Data(name));
    const std::string written = WriteRtf(first);
    RichDocument back = Read(written);
    ExpectSame(first, back);
    EXPECT_EQ(WriteRtf(back), written);
  }
  // A font table that does not close where it should, a lead byte before a tab, text after the end.
  {
    RichDocument odd = Read(
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}y\\f1\\fnil\\fcharset2 Symbol;}}\r\n"
        "\\pard\\f0\\fs22 Before\\f1\\'B7\\tab}Note\\par\r\n\\pard\\tx1440 Model\\tab Date\\par\r\n}\r`");
    ExpectSame(odd, Read(WriteRtf(odd)));
    // Control characters in a face name are no part of it.
    RichDocument face = Read("{\\rtf1{\\fonttbl{\\f0 A\\'00\\'09B\tC;}}\\f0 x}");
    EXPECT_EQ(face.rich.CharAt(0).face, "ABC");
    ExpectSame(face, Read(WriteRtf(face)));
  }
  // Every attribute and escape at once, including a lone break's own format, braces and a tab.
  RichDocument d;
  d.text = "a{\\}\tb\r\n\x01中";
  d.rich.Reset(d.text.size());
  CharFormat f;
  f.face = "Courier New";
  f.height = 170;
  f.bold = f.italic = f.underline = f.strike = f.protect = true;
  f.autoColor = f.autoBack = false;
  f.color = 0x123456;
  f.back = 0xABCDEF;
  f.charset = 134;
  f.pitch = 0x31;
  d.rich.charRuns.Set(1, 8, d.rich.chars.Intern(f));  // to the break's end: a break has one format
  ParaFormat p;
  p.align = ParaAlign::Justify;
  p.left = 100;
  p.first = -50;
  p.right = 30;
  p.numbering = Numbering::UpperRoman;
  p.numberStyle = NumberStyle::Parens;
  p.numberStart = 7;
  p.tabs = { 5, 900 };
  d.rich.paraRuns.Set(0, 8, d.rich.paras.Intern(p));
  ExpectSame(d, Read(WriteRtf(d)));
}

TEST(RtfTest, HostileDocumentsLoadAsBestTheyCan) {
  // 100,000 groups deep, closed or not: the text inside is kept, its formats as far as groups nest.
  std::string deep = "{\\rtf1 " + std::string(100000, '{') + "\\b deep" + std::string(100000, '}') + " after}";
  RichDocument d = Read(deep);
  EXPECT_EQ(d.text, "deep after");
  EXPECT_TRUE(Of(d, "deep").bold);
  EXPECT_FALSE(Of(d, " after").bold);
  EXPECT_EQ(Read("{\\rtf1 " + std::string(100000, '{') + "open").text, "open");

  // Numbers past what a word holds, \bin and \fs among them.
  d = Read("{\\rtf1 \\bin2147483648 skipped all}");
  EXPECT_EQ(d.text, "");
  d = Read("{\\rtf1 \\fs0 a\\fs2147483648 b\\fs-4 c\\li99999999999 d\\par}");
  EXPECT_EQ(d.text, "abcd\r\n");
  EXPECT_EQ(Of(d, "a").height, 200);  // \fs0 leaves the size as it was
  EXPECT_EQ(Of(d, "b").height, 32760);
  EXPECT_EQ(Of(d, "c").height, 32760);
  EXPECT_EQ(ParaOf(d, "d").left, 32767);

  // A control word of 10 MB is one unknown word, not text.
  d = Read("{\\rtf1 x\\" + std::string(10 << 20, 'q') + " y}");
  EXPECT_EQ(d.text, "xy");

  // A font table of 100,000 entries, and text in its last font.
  std::string fonts = "{\\rtf1{\\fonttbl";
  for (int i = 0; i < 100000; ++i) fonts += "{\\f" + std::to_string(i) + " Face" + std::to_string(i) + ";}";
  d = Read(fonts + "}\\f99999 last\\f123456 unknown}");
  EXPECT_EQ(Of(d, "last").face, "Face99999");
  EXPECT_EQ(Of(d, "unknown").face, "");

  EXPECT_FALSE(ReadRtf("plain text", d));
  EXPECT_EQ(d.text, "lastunknown");  // untouched by a refusal
}

}  // namespace
