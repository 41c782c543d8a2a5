// What an INI text costs once read, and texts at the edges: NUL bytes, CR line ends, byte-order marks,
// lines of a megabyte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/IniFiles.h"
#include "platform/win32/Profile.h"
#include "tests/platform/classes/TempDir.h"
#include "tests/support/HeapUse.h"

namespace {

using xj::test::HeapGrowth;

std::string Repeat(const std::string& Line, int Times) {
  std::string out;
  out.reserve(Line.size() * static_cast<size_t>(Times));
  for (int i = 0; i < Times; ++i) out += Line;
  return out;
}

constexpr int kLines = 100000;
// A section record, its index and the heap's own rounding: nothing that grows with the lines.
constexpr size_t kSlack = 16 << 10;

TEST(IniText, WhatIsNeverReadCostsItsBytesAlone) {
  struct Case {
    const char* what;
    std::string text;
  };
  const std::string head = "[S]\r\nk=v\r\n";
  const std::vector<Case> cases = {
    { "blank lines", head + Repeat("\r\n", kLines) },
    { "comments", head + Repeat("; a comment\r\n", kLines) },
    { "blanks", head + Repeat(" \t \r\n", kLines) },
    { "lines before the first section", Repeat("k=v\r\n", kLines) + head },
    { "repeated sections", head + Repeat("[s]\r\n", kLines) },
    { "repeated sections with keys", head + "[T]\r\nt=1\r\n" + Repeat("[ S ]\r\nk=w\r\n\r\n", kLines) },
  };
  for (const Case& c : cases) {
    xj::TIniDocument doc;
    const size_t grown = HeapGrowth([&] { doc.Parse(c.text); });
    EXPECT_LE(grown, c.text.size() + kSlack) << c.what << ": " << grown / kLines << " bytes a line";
    std::string value;
    EXPECT_TRUE(doc.ReadString("s", "K", value) && value == "v") << c.what;
    EXPECT_EQ(doc.Text(), c.text) << c.what;
  }
}

TEST(IniText, KeysAndSectionsCostTheirBytesAndASmallRecord) {
  std::string keys = "[Keys]\r\n";
  std::string sections;
  for (int i = 0; i < kLines; ++i) {
    keys += "key" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    sections += "[Section" + std::to_string(i) + "]\r\nk=" + std::to_string(i) + "\r\n";
  }
  // Later occurrences of two sections in turn: each turn is a record.
  const std::string turns = "[Keys]\r\nkey99999=99999\r\n[T]\r\n" + Repeat("[keys]\r\nk=1\r\n[t]\r\n", kLines / 2);
  struct Case {
    const char* what;
    const std::string& text;
    size_t perLine;  // beyond the line's bytes, for every key, section or turn, with its lookup table built
  };
  for (const Case& c : { Case { "keys", keys, 48 }, Case { "sections", sections, 128 }, Case { "turns", turns, 32 } }) {
    xj::TIniDocument doc;
    std::string value;
    const size_t grown = HeapGrowth([&] {
      doc.Parse(c.text);
      EXPECT_TRUE(doc.ReadString("keys", "KEY99999", value) || doc.ReadString("section99999", "k", value));
    });
    EXPECT_EQ(value, "99999") << c.what;
    EXPECT_LE(grown, c.text.size() + c.perLine * kLines) << c.what << ": " << grown / kLines << " bytes each";
    // The document's own count, which a caller may charge to a budget, is the heap's within a quarter.
    EXPECT_NEAR(static_cast<double>(doc.MemorySize()), static_cast<double>(grown), grown / 4.0) << c.what;
  }
}

TEST(IniText, AFileReadAndWrittenBackKeepsEveryByte) {
  TTempDir dir;
  const std::string path = dir / "round.ini";
  const std::string text = std::string("; before any section\r\n\r\nk=before\r\n[S]\r\n  a = 1 \r\nA=dup\r\n\r\n") +
                           "; note\r\n[T] ; t\r\nx=\r\n[s]\r\nb=hidden\r\n[s]\r\n\t\r\n[字体]\r\n名称=宋体\r\n" +
                           "[\r\n=no name\r\nnul=a" + std::string(1, '\0') + "b\r\n" + std::string(300, 'x') +
                           "\r\n[T]\r\ny=2\r\n";
  WriteHostFile(path, text);
  TMemIniFile ini(path);
  EXPECT_EQ(ini.ReadString("s", "a", ""), "1");
  EXPECT_EQ(ini.ReadString("S", "b", "none"), "none");  // in a later occurrence
  ini.UpdateFile();
  EXPECT_EQ(ReadHostFile(path), text);

  // A change touches its own line; erasing a section takes its later occurrences too.
  ini.WriteString("T", "x", "9");
  ini.EraseSection("s");
  ini.UpdateFile();
  std::string expected = text;
  expected.replace(expected.find("x=\r\n"), 4, "x=9\r\n");
  expected.erase(expected.find("[S]"), expected.find("[T] ; t") - expected.find("[S]"));
  expected.erase(expected.find("[s]"), expected.find("[字体]") - expected.find("[s]"));
  EXPECT_EQ(ReadHostFile(path), expected);
}

TEST(IniText, EdgeTexts) {
  struct Case {
    const char* what;
    std::string text;
    std::string section;
    std::string key;
    std::string value;  // "<none>" when the key is not there
    std::string written;
  };
  const std::string nul(1, '\0');
  const std::string bom = "\xEF\xBB\xBF";
  const std::vector<Case> cases = {
    { "a NUL is a byte of the value", "[S]\r\nk=a" + nul + "b\r\n", "S", "k", "a" + nul + "b",
      "[S]\r\nk=a" + nul + "b\r\n" },
    { "and of a name", "[S" + nul + "]\r\n" + nul + "=z", "s" + nul, nul, "z", "[S" + nul + "]\r\n" + nul + "=z\r\n" },
    { "CR alone ends lines", "[S]\rk=1\r\rj=2", "S", "j", "2", "[S]\r\nk=1\r\n\r\nj=2\r\n" },
    { "CR then CR LF is two line ends", "[S]\r\r\nk=1", "S", "k", "1", "[S]\r\n\r\nk=1\r\n" },
    { "a leading BOM is dropped", bom + "[S]\r\nk=v\r\n", "S", "k", "v", "[S]\r\nk=v\r\n" },
    { "a second BOM is text, and the line is no header", bom + bom + "[S]\r\nk=v\r\n", "S", "k", "<none>",
      bom + "[S]\r\nk=v\r\n" },
    { "a BOM further on is text", "[S]\r\n" + bom + "k=v\r\n", "S", bom + "k", "v", "[S]\r\n" + bom + "k=v\r\n" },
    { "a value of a megabyte", "[S]\r\nk= " + std::string(1 << 20, 'v') + " \r\n", "S", "k", std::string(1 << 20, 'v'),
      "[S]\r\nk= " + std::string(1 << 20, 'v') + " \r\n" },
    { "a header of a megabyte without ']'", "[" + std::string(1 << 20, 'h') + "\r\nk=1", std::string(1 << 20, 'H'), "K",
      "1", "[" + std::string(1 << 20, 'h') + "\r\nk=1\r\n" },
    { "a line of a megabyte with no end", "[S]\r\nk=1\r\n" + std::string(1 << 20, ';'), "S", "k", "1",
      "[S]\r\nk=1\r\n" + std::string(1 << 20, ';') + "\r\n" },
  };
  for (const Case& c : cases) {
    TMemIniFile ini("");
    std::string text = c.text;
    const size_t size = text.size();
    // Moved in, the text is kept as it is, not copied.
    EXPECT_LE(HeapGrowth([&] { ini.SetText(std::move(text)); }), kSlack) << c.what;
    EXPECT_LE(ini.MemorySize(), size + kSlack) << c.what;
    EXPECT_EQ(ini.ReadString(c.section, c.key, "<none>"), c.value) << c.what;
    TStringList lines;
    ini.GetStrings(&lines);
    EXPECT_EQ(lines.Text(), c.written) << c.what;
  }
}

}  // namespace
