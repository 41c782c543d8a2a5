// TStrings as comma text and as name=value lines: quoting both ways, blanks and trailing commas,
// GBK bytes that look like delimiters, names compared without case, values set, replaced and removed.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/Classes.h"

namespace {

std::vector<std::string> Lines(const TStrings& s) {
  std::vector<std::string> out;
  for (int i = 0; i < s.Count(); ++i) out.push_back(s.Strings(i));
  return out;
}

TEST(StringsCommaText, ReadsAndWritesQuotedItems) {
  struct Case {
    const char* text;
    std::vector<std::string> lines;
    const char* back;  // CommaText of those lines
  } cases[] = {
    { "a,b,c", { "a", "b", "c" }, "a,b,c" },
    { "  a , b  ", { "a", "b" }, "a,b" },
    { "a b", { "a", "b" }, "a,b" },  // a blank outside quotes separates too
    { "\"a b\",\"say \"\"hi\"\"\",\"x,y\"", { "a b", "say \"hi\"", "x,y" }, "\"a b\",\"say \"\"hi\"\"\",\"x,y\"" },
    { "a,,b", { "a", "", "b" }, "a,\"\",b" },
    { "a,", { "a", "" }, "a,\"\"" },
    { "\"\"", { "" }, "\"\"" },
    { "", {}, "" },
    { "   ", {}, "" },
    { "\"unterminated", { "unterminated" }, "unterminated" },
    // GBK: 乗 is 0x81 0x5C (a backslash trail byte); nothing in it splits or quotes.
    { "中文,\x81\x5C", { "中文", "\x81\x5C" }, "中文,\x81\x5C" },
  };
  for (const Case& c : cases) {
    TStringList list;
    list.Add("old");
    list.SetCommaText(c.text);
    EXPECT_EQ(Lines(list), c.lines) << c.text;
    EXPECT_EQ(list.CommaText(), c.back) << c.text;
    TStringList again;
    again.SetCommaText(list.CommaText());
    EXPECT_EQ(Lines(again), c.lines) << "round trip of " << c.text;
  }
}

TEST(StringsCommaText, OneChangeNoticeForTheWholeText) {
  TStringList list;
  int changes = 0;
  list.OnChange = TNotifyEvent::FromCallable([&](TObject*) { ++changes; });
  list.SetCommaText("a,b,c,d");
  EXPECT_EQ(changes, 1);
}

TEST(StringsNameValue, NamesValuesAndIndexes) {
  TStringList list;
  list.SetText("ColorA=00FF0000\r\nplain line\r\nKey=\r\nx=1=2\r\n键=值\r\ncolora=shadowed\r\n");
  EXPECT_EQ(list.Names(0), "ColorA");
  EXPECT_EQ(list.ValueFromIndex(0), "00FF0000");
  EXPECT_EQ(list.Names(1), "");
  EXPECT_EQ(list.ValueFromIndex(1), "");
  EXPECT_EQ(list.Names(3), "x");
  EXPECT_EQ(list.ValueFromIndex(3), "1=2");  // the first '=' splits
  EXPECT_EQ(list.Values("键"), "值");
  EXPECT_EQ(list.Values("COLORA"), "00FF0000");  // without case; the first line named so wins
  EXPECT_EQ(list.IndexOfName("colorA"), 0);
  EXPECT_EQ(list.Values("Key"), "");
  EXPECT_EQ(list.IndexOfName("Key"), 2);
  EXPECT_EQ(list.Values("plain line"), "");
  EXPECT_EQ(list.IndexOfName("plain line"), -1);
  EXPECT_THROW(list.Names(6), EStringListError);
  EXPECT_THROW(list.ValueFromIndex(-1), EStringListError);

  list.SetValues("x", "9");  // replaced in place
  EXPECT_EQ(list.Strings(3), "x=9");
  list.SetValues("New", "v");  // added at the end
  EXPECT_EQ(list.Strings(list.Count() - 1), "New=v");
  list.SetValues("ColorA", "");                  // an empty value removes the line...
  EXPECT_EQ(list.Values("ColorA"), "shadowed");  // ...and uncovers the next one of that name
  list.SetValues("absent", "");                  // removing what is not there changes nothing
  EXPECT_EQ(list.Count(), 6);
}

TEST(StringsNameValue, SortedListsTakeNewNamesInOrderButRefuseReplacing) {
  TStringList list;
  list.SetSorted(true);
  list.SetValues("b", "2");
  list.SetValues("a", "1");
  EXPECT_EQ(list.CommaText(), "a=1,b=2");
  EXPECT_THROW(list.SetValues("b", "3"), EStringListError);
  EXPECT_EQ(list.CommaText(), "a=1,b=2");
  list.SetValues("a", "");
  EXPECT_EQ(list.CommaText(), "b=2");
}

}  // namespace
