// Conversions, Format, text and file-name routines of SysUtils.

#include "platform/vcl/SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(StrToInt, AcceptsTheClassLibraryForms) {
  struct Case {
    const char* text;
    int expected;
  } cases[] = {
    { "0", 0 },
    { "-0", 0 },
    { "+5", 5 },
    { "007", 7 },
    { "2147483647", INT32_MAX },
    { "-2147483648", INT32_MIN },
    { "$1F", 31 },
    { "$1f", 31 },
    { "0x1F", 31 },
    { "0X1f", 31 },
    { "-$10", -16 },
    { "$FFFFFFFF", -1 },
    { "0x80000012", static_cast<int>(0x80000012u) },
    { "$0000000000001", 1 },
    { "-0x80000000", INT32_MIN },
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StrToInt(c.text), c.expected) << c.text;
    int v = 12345;
    EXPECT_TRUE(TryStrToInt(c.text, v)) << c.text;
    EXPECT_EQ(v, c.expected);
    EXPECT_EQ(StrToIntDef(c.text, -99), c.expected);
  }
}

TEST(StrToInt, RejectsEverythingElseWithTheClassLibraryMessage) {
  const char* bad[] = { "",    " 1",   "1 ",  "\t5", "2147483648", "-2147483649", "$",
                        "0x",  "-",    "+",   "--1", "$100000000", "0x1FFFFFFFF", "1.0",
                        "12a", "0x-1", "1e3", "$G",  "ＩＶ",       "线" };
  for (const char* text : bad) {
    int v = 0;
    EXPECT_FALSE(TryStrToInt(text, v)) << text;
    EXPECT_EQ(StrToIntDef(text, -99), -99) << text;
    try {
      StrToInt(text);
      ADD_FAILURE() << "no exception for '" << text << "'";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), AnsiString("'") + text + "' is not a valid integer value");
    }
  }
}

TEST(IntToStr, CoversBothWidthsAndHex) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(-2147483647 - 1), "-2147483648");
  EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
  EXPECT_EQ(IntToStr(4294967295u), "4294967295");
  EXPECT_EQ(IntToStr(uint64_t { 18446744073709551615u }), "18446744073709551615");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(0, 0), "0");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");  // a 32-bit value shows its 32-bit pattern
  EXPECT_EQ(IntToHex(int64_t { -1 }, 1), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(IntToHex(0x1A2B, 8), "00001A2B");
}

TEST(Format, PadsAndConvertsLikeTheClassLibrary) {
  EXPECT_EQ(Format("%d", 5), "5");
  EXPECT_EQ(Format("[%5d]", 42), "[   42]");
  EXPECT_EQ(Format("[%-5d]", 42), "[42   ]");
  EXPECT_EQ(Format("%2.2d:%2.2d:%2.2d.%3.3d", 7, 8, 9, 12), "07:08:09.012");
  EXPECT_EQ(Format("%2.2d", 123), "123");
  EXPECT_EQ(Format("%.3d", -5), "-005");
  EXPECT_EQ(Format("%d", INT64_MIN), "-9223372036854775808");
  EXPECT_EQ(Format("%u", -1), "4294967295");
  EXPECT_EQ(Format("%x", 255), "FF");
  EXPECT_EQ(Format("%.8x", 0x1F), "0000001F");
  EXPECT_EQ(Format("%x", -1), "FFFFFFFF");
  EXPECT_EQ(Format("%X", int64_t { -1 }), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(Format("[%5s][%-4s]", "ab", "c"), "[   ab][c   ]");
  EXPECT_EQ(Format("%.2s", "abc"), "ab");
  EXPECT_EQ(Format("100%% %s", AnsiString("done")), "100% done");
  EXPECT_EQ(Format("%1:s %0:s %s", "a", "b"), "b a b");
  EXPECT_EQ(Format("[%*d] [%.*d]", 4, 7, 3, 7), "[   7] [007]");
  EXPECT_EQ(Format("%f|%.1f|%.0f", 2.5, 0.25, 2.5), "2.50|0.3|3");
  EXPECT_EQ(Format("%e", 1234.5), "1.23450000000000E+003");
  EXPECT_EQ(Format("%g", 0.5), "0.5");
  EXPECT_EQ(Format("%n", 1234567.5), "1,234,567.50");
  EXPECT_EQ(Format("no arguments"), "no arguments");
  EXPECT_EQ(Format("%d-%s", { 3, "x" }), "3-x");
}

TEST(Format, KeepsDoubleByteCharactersWhole) {
  EXPECT_EQ(Format("线%s", "路"), "线路");
  EXPECT_EQ(Format("%.3s", "线路"), "线");  // 3 bytes would split the second character
  EXPECT_EQ(Format("%.4s|", "线路"), "线路|");
}

TEST(Format, BadFormatsAndArgumentsRaise) {
  EXPECT_THROW(Format("%d", "x"), EConvertError);
  EXPECT_THROW(Format("%s", 5), EConvertError);
  EXPECT_THROW(Format("%d"), EConvertError);
  EXPECT_THROW(Format("%d %d", 1), EConvertError);
  EXPECT_THROW(Format("50%", 1), EConvertError);
  EXPECT_THROW(Format("%q", 1), EConvertError);
  EXPECT_THROW(Format("%f", 1), EConvertError);
  EXPECT_THROW(Format("%5:d", 1), EConvertError);
  try {
    Format("%d", "x");
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Format '%d' invalid or incompatible with argument");
  }
}

TEST(Exception, CreateFmtFormatsAndKeepsTheClass) {
  const EConvertError e = EConvertError::CreateFmt("'%s' at %d", "x", 3);
  EXPECT_EQ(e.Message(), "'x' at 3");
  EXPECT_STREQ(e.what(), "'x' at 3");
  EXPECT_THROW(Abort(), EAbort);
}

TEST(FloatText, FloatToStrUsesFifteenSignificantDigits) {
  struct Case {
    Extended value;
    const char* expected;
  } cases[] = {
    { 2.5L, "2.5" },
    { 0.1, "0.1" },
    { 100.0L, "100" },
    { -0.0L, "0" },
    { 1.0L / 3, "0.333333333333333" },
    { 1e20L, "1E20" },
    { 1.5e-7L, "1.5E-7" },
    { 0.0001L, "0.0001" },
    { 123456789012345678.0L, "1.23456789012346E17" },
    { -42.125L, "-42.125" },
    { 999999999999999.9L, "1E15" },
  };
  for (const Case& c : cases) EXPECT_EQ(FloatToStr(c.value), c.expected) << static_cast<double>(c.value);
}

TEST(FloatText, FloatToStrFFixedAndOthers) {
  EXPECT_EQ(FloatToStrF(2.5L, ffFixed, 15, 2), "2.50");
  EXPECT_EQ(FloatToStrF(0.005L, ffFixed, 15, 2), "0.01");
  EXPECT_EQ(FloatToStrF(-0.001L, ffFixed, 15, 2), "0.00");
  EXPECT_EQ(FloatToStrF(9.999L, ffFixed, 15, 2), "10.00");
  EXPECT_EQ(FloatToStrF(1234567.891L, ffNumber, 15, 2), "1,234,567.89");
  EXPECT_EQ(FloatToStrF(-123.0L, ffNumber, 15, 0), "-123");
  EXPECT_EQ(FloatToStrF(1.5L, ffExponent, 4, 2), "1.500E+00");
  EXPECT_EQ(FloatToStrF(NAN, ffFixed, 15, 2), "NAN");
  EXPECT_EQ(FloatToStrF(-INFINITY, ffGeneral, 15, 0), "-INF");
  DecimalSeparator = ',';
  EXPECT_EQ(FloatToStrF(2.5L, ffFixed, 15, 2), "2,50");
  DecimalSeparator = '.';
}

TEST(FloatText, StrToFloatFormsAndErrors) {
  struct Case {
    const char* text;
    Extended expected;
  } cases[] = { { "2.5", 2.5L }, { " -1.5e3 ", -1500.0L }, { ".5", 0.5L },
                { "5.", 5.0L },  { "+7", 7.0L },           { "1E-2", 0.01L } };
  for (const Case& c : cases) EXPECT_EQ(StrToFloat(c.text), c.expected) << c.text;
  for (const char* text : { "", " ", "1,5", "1e", "abc", "inf", "nan", "0x10", "1.2.3", "- 1", "1e99999" }) {
    Extended v = 0;
    EXPECT_FALSE(TryStrToFloat(text, v)) << text;
    try {
      StrToFloat(text);
      ADD_FAILURE() << text;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), AnsiString("'") + text + "' is not a valid floating point value");
    }
  }
  double d = 0;
  EXPECT_FALSE(TryStrToFloat("1e400", d));  // fits an Extended, not a double
  DecimalSeparator = ',';
  EXPECT_EQ(StrToFloat("1,5"), 1.5L);
  EXPECT_THROW(StrToFloat("1.5"), EConvertError);
  DecimalSeparator = '.';
}

TEST(Text, TrimRemovesControlBytesAndBlanksOnly) {
  EXPECT_EQ(Trim(" \t线路\r\n"), "线路");
  EXPECT_EQ(Trim(AnsiString("\x01 a b \x1f", 7)), "a b");
  EXPECT_EQ(TrimLeft("  x  "), "x  ");
  EXPECT_EQ(TrimRight("  x  "), "  x");
  EXPECT_EQ(Trim(" \t "), "");
  EXPECT_EQ(Trim("\xA1\xA1"), "\xA1\xA1");  // the ideographic space is a character, not a blank
}

TEST(Text, CaseFoldingLeavesDoubleByteCharactersAlone) {
  // 0x81 0x61 and 0x81 0x41 are double-byte characters whose trail bytes look like 'a' and 'A'.
  EXPECT_EQ(UpperCase("abc线xyz"), "ABC线XYZ");
  EXPECT_EQ(UpperCase("\x81\x61"
                      "a"),
            "\x81\x61"
            "A");
  EXPECT_EQ(LowerCase("\x81\x41"
                      "A"),
            "\x81\x41"
            "a");
  EXPECT_EQ(AnsiUpperCase("a\x81"), "A\x81");  // a lone lead byte at the end is one byte
  EXPECT_EQ(AnsiLowerCase("\xC0\xC1"), "\xC0\xC1");
}

TEST(Text, ComparisonsFoldAsciiOnly) {
  EXPECT_EQ(CompareText("abc", "ABC"), 0);
  EXPECT_LT(CompareText("a", "b"), 0);
  EXPECT_GT(CompareText("_", "a"), 0);  // letters fold to upper case before comparing
  EXPECT_LT(CompareText("ab", "abc"), 0);
  EXPECT_NE(CompareText("\x81\x61", "\x81\x41"), 0);
  EXPECT_TRUE(SameText("Hello线", "hELLO线"));
  EXPECT_FALSE(SameText("\x81\x61", "\x81\x41"));
  EXPECT_EQ(AnsiCompareText("ABC", "abc"), 0);
  EXPECT_GT(AnsiCompareStr("a", "B"), 0);
  EXPECT_LT(AnsiCompareStr("a", "\xB0\xA1"), 0);  // GBK code order
  EXPECT_EQ(CompareStr("x", "x"), 0);
}

// Comparing without copies answers as comparing the upper-case copies would, double-byte characters
// whose second byte is a letter, lone lead bytes and prefixes included.
TEST(Text, ComparingTextsAnswersAsComparingTheirUpperCaseCopies) {
  const char pieces[] = { 'a', 'A', 'z', '_', '\x81', '\xB0', '\xFE', '\x7F', 'b', 'B' };
  unsigned seed = 11;
  auto next = [&](unsigned n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  auto text = [&] {
    AnsiString s;
    for (unsigned n = next(6); n > 0; --n) s += pieces[next(sizeof pieces)];
    return s;
  };
  auto sign = [](int c) { return c < 0 ? -1 : c > 0 ? 1 : 0; };
  for (int k = 0; k < 20000; ++k) {
    AnsiString a = text(), b = text();
    if (next(3) == 0) b = a.substr(0, next(unsigned(a.size()) + 1)) + b;  // a shared start
    ASSERT_EQ(CompareText(a, b), sign(UpperCase(a).compare(UpperCase(b)))) << a << " | " << b;
    ASSERT_EQ(SameText(a, b), UpperCase(a) == UpperCase(b)) << a << " | " << b;
  }
}

TEST(Text, StringReplaceMatchesWholeCharactersOnly) {
  EXPECT_EQ(StringReplace("a-b-c", "-", "+", 0), "a+b-c");
  EXPECT_EQ(StringReplace("a-b-c", "-", "+", rfReplaceAll), "a+b+c");
  EXPECT_EQ(StringReplace("Abc abc", "ABC", "x", rfReplaceAll | rfIgnoreCase), "x x");
  EXPECT_EQ(StringReplace("aaa", "aa", "b", rfReplaceAll), "ba");
  EXPECT_EQ(StringReplace("abc", "", "x", rfReplaceAll), "abc");
  EXPECT_EQ(StringReplace("\x81\x61"
                          "a",
                          "a", "X", rfReplaceAll),
            "\x81\x61"
            "X");
  EXPECT_EQ(StringReplace("\x81\x61"
                          "a",
                          "A", "X", rfReplaceAll | rfIgnoreCase),
            "\x81\x61"
            "X");
  EXPECT_EQ(StringReplace("线路线", "线", "", rfReplaceAll), "路");
}

TEST(FileNames, SplitAtSeparatorsOutsideDoubleByteCharacters) {
  struct Case {
    const char* name;
    const char* path;
    const char* file;
    const char* ext;
    const char* dir;
  } cases[] = {
    { "C:\\dir\\file.txt", "C:\\dir\\", "file.txt", ".txt", "C:\\dir" },
    { "/home/a/b.wav", "/home/a/", "b.wav", ".wav", "/home/a" },
    { "dir/sub.d/name", "dir/sub.d/", "name", "", "dir/sub.d" },
    { "name", "", "name", "", "" },
    { "a.b.c", "", "a.b.c", ".c", "" },
    { "C:x.y", "C:", "x.y", ".y", "C:" },
    { "/a", "/", "a", "", "/" },
    { "C:\\x", "C:\\", "x", "", "C:\\" },
    { "dir\\\x81\x5C.txt", "dir\\", "\x81\x5C.txt", ".txt", "dir" },  // 0x5C here is a trail byte
    { "录音\\线1.wav", "录音\\", "线1.wav", ".wav", "录音" },
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.name), c.path) << c.name;
    EXPECT_EQ(ExtractFileName(c.name), c.file) << c.name;
    EXPECT_EQ(ExtractFileExt(c.name), c.ext) << c.name;
    EXPECT_EQ(ExtractFileDir(c.name), c.dir) << c.name;
  }
  EXPECT_EQ(ChangeFileExt("a/b.c/d.wav", ".ini"), "a/b.c/d.ini");
  EXPECT_EQ(ChangeFileExt("a/b.c/d", ".ini"), "a/b.c/d.ini");
  EXPECT_EQ(ChangeFileExt("x.txt", ""), "x");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("a\\"), "a\\");
  EXPECT_EQ(IncludeTrailingPathDelimiter("\x81\x5C"), "\x81\x5C/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/"), "/a");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("\x81\x5C"), "\x81\x5C");
}

TEST(FileNames, ExpandFileNameResolvesDotsAgainstTheCurrentDirectory) {
  EXPECT_EQ(ExpandFileName("/a/b/../c/./d"), "/a/c/d");
  EXPECT_EQ(ExpandFileName("/a\\b\\..\\c"), "/a/c");
  EXPECT_EQ(ExpandFileName("/../.."), "/");
  EXPECT_EQ(ExpandFileName("/a/b/"), "/a/b/");
  EXPECT_EQ(ExpandFileName(""), "");
  EXPECT_EQ(ExpandFileName("x/y"), IncludeTrailingPathDelimiter(GetCurrentDir()) + "x/y");
  EXPECT_EQ(ExpandFileName("."), GetCurrentDir());
}
