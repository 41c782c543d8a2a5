// An INI file's sections and keys stay found after writes: a new key or a new section written twice is
// there once with the second value, in a small section, in one large enough to be looked up by name,
// after a key before them is deleted, and after erasing most of the sections moved the others.

#include <gtest/gtest.h>

#include <string>

#include "platform/vcl/IniFiles.h"
#include "tests/platform/classes/TempDir.h"

namespace {

size_t Occurrences(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(IniIndex, ANewKeyOrSectionWrittenTwiceIsThereOnceWithTheSecondValue) {
  TTempDir dir;
  const std::string path = dir / "index.ini";
  std::string text = "[Small]\r\na=1\r\nb=2\r\n; end of small\r\n[Big]\r\n";
  for (int i = 0; i < 20; ++i) text += "k" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
  WriteHostFile(path, text);
  {
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("Big", "k19", ""), "19");  // a lookup by name before the writes
    for (const char* section : { "Small", "Big", "Fresh" }) {
      SCOPED_TRACE(section);
      ini.WriteString(section, "new", "first");
      ini.WriteString(section, "NEW", "second");  // the same key, spelt otherwise
      EXPECT_EQ(ini.ReadString(section, "new", ""), "second");
    }
    ini.WriteString("fresh", "other", "x");
    TStringList names;
    ini.ReadSections(&names);
    EXPECT_EQ(names.Text(), "Small\r\nBig\r\nFresh\r\n");
    ini.ReadSection("Big", &names);
    EXPECT_EQ(names.Count(), 21);
    EXPECT_EQ(names.Strings(20), "new");
    ini.UpdateFile();
  }
  const std::string saved = ReadHostFile(path);
  EXPECT_EQ(Occurrences(saved, "new="), 3u) << saved;
  EXPECT_NE(saved.find("[Small]\r\na=1\r\nb=2\r\nnew=second\r\n; end of small\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("k19=19\r\nnew=second\r\n[Fresh]\r\nnew=second\r\nother=x\r\n"), std::string::npos) << saved;
}

// A key deleted from a large section moves the keys after it up: each is still found as itself.
TEST(IniIndex, KeysAfterADeletedOneAreStillFoundAndWrittenInPlace) {
  TMemIniFile ini("");
  TStringList lines;
  std::string text = "[Big]\r\n";
  for (int i = 0; i < 20; ++i) text += "k" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
  lines.SetText(text);
  ini.SetStrings(&lines);
  EXPECT_EQ(ini.ReadString("Big", "k19", ""), "19");  // a lookup by name before the delete
  ini.DeleteKey("Big", "k3");
  EXPECT_FALSE(ini.ValueExists("Big", "k3"));
  for (int i : { 0, 2, 4, 10, 19 }) EXPECT_EQ(ini.ReadString("Big", "k" + std::to_string(i), ""), std::to_string(i));
  ini.WriteString("Big", "k19", "last");
  ini.WriteString("Big", "k4", "four");
  ini.GetStrings(&lines);
  const std::string saved = lines.Text();
  EXPECT_NE(saved.find("k2=2\r\nk4=four\r\nk5=5\r\n"), std::string::npos) << saved;
  EXPECT_TRUE(saved.ends_with("k18=18\r\nk19=last\r\n")) << saved;
  EXPECT_EQ(Occurrences(saved, "="), 19u);
}

TEST(IniIndex, SectionsAfterErasedOnesAreStillFoundAndWrittenInPlace) {
  TMemIniFile ini("");
  TStringList lines;
  lines.SetText("[A]\r\na=1\r\n[B]\r\nb=1\r\n[C]\r\nc=1\r\n[D]\r\nd=1\r\n");
  ini.SetStrings(&lines);
  ini.EraseSection("A");
  ini.EraseSection("B");
  ini.EraseSection("C");  // more than half gone: the rest move up
  EXPECT_EQ(ini.ReadString("D", "d", ""), "1");
  ini.WriteString("D", "e", "2");
  ini.WriteString("D", "e", "3");
  ini.WriteString("B", "b", "back");
  ini.WriteString("B", "b", "again");
  ini.GetStrings(&lines);
  EXPECT_EQ(lines.Text(), "[D]\r\nd=1\r\ne=3\r\n[B]\r\nb=again\r\n");
  EXPECT_FALSE(ini.SectionExists("A"));
}

}  // namespace
