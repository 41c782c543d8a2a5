// GBK and UTF-8: conversions with replacements, character stepping, the Win32 conversion functions.

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/win32/WinBase.h"

namespace {
std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }
}  // namespace

TEST(CodePage, RoundTripsBetweenGbkAndUtf8) {
  EXPECT_EQ(GetACP(), 936u);
  EXPECT_EQ(xj::GbkToUtf8("线"), U8(u8"线"));
  EXPECT_EQ(xj::GbkToUtf8("共16线 OK"), U8(u8"共16线 OK"));
  EXPECT_EQ(xj::Utf8ToGbk(U8(u8"测试")), "测试");
  const std::string mixed = "Line 1: 振铃, 摘机; 来电号码 0123";
  EXPECT_EQ(xj::Utf8ToGbk(xj::GbkToUtf8(mixed)), mixed);
  EXPECT_EQ(xj::GbkToUtf32("a线"), U"a线");
  EXPECT_EQ(xj::Utf32ToGbk(U"a线"), "a线");
  EXPECT_EQ(xj::GbkToUtf32("\x80"), U"\u20AC");  // code page 936 puts the euro sign at 0x80
  // A literal compiled as GB18030 carries the euro sign as A2 E3; it reads back as the same sign.
  EXPECT_EQ(xj::GbkToUtf32("€"), U"\u20AC");
  EXPECT_EQ(xj::GbkToUtf8("€ 5"), U8(u8"€ 5"));
  EXPECT_EQ(xj::GbkToUtf8(""), "");
}

TEST(CodePage, BrokenDoubleByteCharactersBecomeReplacements) {
  struct Case {
    std::string gbk;
    std::u32string expected;
  } cases[] = {
    { "\xCF", U"\uFFFD" },         // a lead byte at the very end
    { "\xCF\x20x", U"\uFFFD x" },  // a lead byte before a byte that cannot trail
    { "a\xCF\x7F", U"a\uFFFD\x7F" },
    { "a\xFF"
      "b",
      U"a\uFFFD"
      "b" },                              // 0xFF is never a character
    { "\xAA\xA1\xCF\xDF", U"\uFFFD线" },  // a well-formed pair that maps to nothing: one replacement
    { "\xCF\xDF\xCF", U"线\uFFFD" },
  };
  for (const Case& c : cases) {
    EXPECT_EQ(xj::GbkToUtf32(c.gbk), c.expected);
    std::string utf8;
    EXPECT_NO_THROW(utf8 = xj::GbkToUtf8(c.gbk));
    EXPECT_NE(utf8.find(U8(u8"\uFFFD")), std::string::npos);
  }
}

// GBK decodes through a table made when the platform is built: every character comes out as the system's
// converter makes it, and a pair it does not map is one replacement.
TEST(CodePage, EveryGbkCharacterDecodesAsTheSystemConverterDoes) {
  iconv_t cd = iconv_open(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? "UTF-32LE" : "UTF-32BE", "GBK");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  auto reference = [&](const std::string& bytes) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char32_t out[4] {};
    char* src = const_cast<char*>(bytes.data());
    size_t srcLeft = bytes.size(), dstLeft = sizeof out;
    char* dst = reinterpret_cast<char*>(out);
    const bool whole = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != size_t(-1) && srcLeft == 0;
    return whole && dstLeft == sizeof out - sizeof(char32_t) ? std::u32string(1, out[0]) : std::u32string(U"\uFFFD");
  };
  int mapped = 0;
  for (int lead = 0x80; lead <= 0xFF; ++lead) {
    const std::string single(1, char(lead));
    EXPECT_EQ(xj::GbkToUtf32(single), reference(single)) << std::hex << lead;
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const std::string pair { char(lead), char(trail) };
      if (xj::GbkCharLength(pair.data(), pair.data() + 2) != 2) continue;
      // GB18030's euro sign (the form literals take) decodes as well; GBK itself leaves the pair unmapped.
      const std::u32string expected = pair == "\xA2\xE3" ? U"\u20AC" : reference(pair);
      mapped += expected != U"\uFFFD";
      ASSERT_EQ(xj::GbkToUtf32(pair), expected) << std::hex << lead << " " << trail;
    }
  }
  iconv_close(cd);
  EXPECT_GT(mapped, 21000);  // GBK has some 21,900 double-byte characters
  // A pair GBK leaves unmapped is invalid input.
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0x8 /* MB_ERR_INVALID_CHARS */, "\xAA\xA1", 2, nullptr, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

TEST(CodePage, NoReadPastTheEndOfTheInput) {
  // Exactly sized heap buffers without a terminator: an over-read is an ASan error.
  const char bytes[] = { 'a', '\xCF', '\xDF', '\xCF' };
  auto buffer = std::make_unique<char[]>(sizeof bytes);
  std::memcpy(buffer.get(), bytes, sizeof bytes);
  EXPECT_EQ(xj::GbkToUtf32(std::string_view(buffer.get(), sizeof bytes)), U"a线\uFFFD");
  EXPECT_EQ(xj::GbkCharLength(buffer.get() + 3, buffer.get() + 4), 1);

  const char utf8[] = { '\xE7', '\xBA' };  // a three-byte sequence cut short
  auto cut = std::make_unique<char[]>(2);
  std::memcpy(cut.get(), utf8, 2);
  EXPECT_EQ(xj::Utf8ToGbk(std::string_view(cut.get(), 2)), "??");
}

TEST(CodePage, MalformedOrUnmappableUnicodeBecomesQuestionMarks) {
  EXPECT_EQ(xj::Utf8ToGbk("\xC0\xAF"), "??");  // overlong '/'
  EXPECT_EQ(xj::Utf8ToGbk("\xED\xA0\x80"
                          "x"),
            "???x");                                      // a surrogate
  EXPECT_EQ(xj::Utf8ToGbk(U8(u8"a\U0001F600b")), "a?b");  // outside GBK
  EXPECT_EQ(xj::Utf32ToGbk(U"\U0010FFFF\u4E00"), "?一");
}

TEST(CodePage, ALongMarkedTextConvertsWholeWithNoCharacterCut) {
  // 420 KB in seven-byte steps of a character GBK has and one it has not: wherever such a text is cut
  // into pieces, some cut falls inside each of them.
  std::string utf8(xj::kUtf8Bom), gbk;
  for (int i = 0; i < 60000; ++i) {
    utf8 += U8(u8"告\U0001F600");
    gbk += "告?";
  }
  utf8 += "z";
  gbk += "z";
  const std::string got = xj::GbkFromFileText(utf8);
  const auto diverges = std::mismatch(got.begin(), got.end(), gbk.begin(), gbk.end());
  EXPECT_EQ(got.size(), gbk.size());
  EXPECT_EQ(diverges.first - got.begin(), static_cast<std::ptrdiff_t>(std::min(got.size(), gbk.size())));
  // Without the mark a text is GBK already and stays as it is, down to a lone UTF-8 lead byte.
  EXPECT_TRUE(xj::GbkFromFileText(gbk + "\xE5") == gbk + "\xE5");
}

TEST(CodePage, LeadBytesAndCharacterSteps) {
  struct Lead {
    BYTE b;
    BOOL lead;
  } leads[] = { { 0x41, FALSE }, { 0x80, FALSE }, { 0x81, TRUE }, { 0xCF, TRUE }, { 0xFE, TRUE }, { 0xFF, FALSE } };
  for (const Lead& l : leads) EXPECT_EQ(IsDBCSLeadByte(l.b), l.lead) << int(l.b);

  const char* s = "a线b";
  EXPECT_EQ(CharNextA(s), s + 1);
  EXPECT_EQ(CharNextA(s + 1), s + 3);
  EXPECT_EQ(CharNextA(s + 3), s + 4);
  EXPECT_EQ(CharNextA(s + 4), s + 4);  // the terminator stays put
  const char* broken = "\x81\x20";
  EXPECT_EQ(CharNextA(broken), broken + 1);
  const char* leadAtEnd = "x\xCF";
  EXPECT_EQ(CharNextA(leadAtEnd + 1), leadAtEnd + 2);
  EXPECT_EQ(CharNextA(nullptr), nullptr);

  EXPECT_EQ(CharPrevA(s, s + 4), s + 3);
  EXPECT_EQ(CharPrevA(s, s + 3), s + 1);
  EXPECT_EQ(CharPrevA(s, s + 1), s);
  EXPECT_EQ(CharPrevA(s, s), s);
  const char* pairThenAscii = "\x81\x81\x40";  // 0x81 0x81 is one character, then '@'
  EXPECT_EQ(CharPrevA(pairThenAscii, pairThenAscii + 3), pairThenAscii + 2);
}

TEST(CodePage, MultiByteToWideCharSizesAndErrors) {
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "线路", -1, nullptr, 0), 3);
  WCHAR wide[3];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "线路", -1, wide, 3), 3);
  EXPECT_EQ(std::wstring(wide), L"线路");
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, "线路", 2, wide, 3), 1);
  EXPECT_EQ(wide[0], L'线');
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "线路", -1, wide, 2), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(MultiByteToWideChar(1200, 0, "a", -1, wide, 3), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a", 0, wide, 3), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0x8 /* MB_ERR_INVALID_CHARS */, "\xCF", 1, wide, 3), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xCF", 1, wide, 3), 1);
  EXPECT_EQ(wide[0], 0xFFFD);
  const std::string utf8 = U8(u8"线");
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide, 3), 2);
  EXPECT_EQ(wide[0], L'线');
}

// Documents from other systems: the western page by its table, the others through iconv; a byte a
// page leaves undefined, or half a character, is a replacement. Nothing is written in them.
TEST(CodePage, OtherSystemsCodePagesRead) {
  WCHAR wide[8] {};
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "\x80\x9F\xE9\xFF\x81", 5, wide, 8), 5);
  EXPECT_EQ(std::wstring(wide, 5), L"\u20AC\u0178\u00E9\u00FF\uFFFD");
  EXPECT_EQ(MultiByteToWideChar(1252, 0x8 /* MB_ERR_INVALID_CHARS */, "\x8D", 1, wide, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
  EXPECT_EQ(MultiByteToWideChar(932, 0,
                                "\x83\x65\x82\xA0"
                                "a\x83",
                                6, wide, 8),
            4);
  EXPECT_EQ(std::wstring(wide, 4), L"\u30C6\u3042a\uFFFD");
  EXPECT_EQ(MultiByteToWideChar(1251, 0, "\xC0\xFF", 2, wide, 8), 2);
  EXPECT_EQ(std::wstring(wide, 2), L"\u0410\u044F");
  char narrow[8];
  EXPECT_EQ(WideCharToMultiByte(1252, 0, L"e", 1, narrow, sizeof narrow, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(CodePage, WideCharToMultiByteUsesTheDefaultCharacter) {
  char narrow[16];
  BOOL usedDefault = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"线\u20AC\U0001F600", -1, narrow, sizeof narrow, nullptr, &usedDefault), 5);
  EXPECT_STREQ(narrow, "线\x80?");
  EXPECT_TRUE(usedDefault);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"\U0001F600", 1, narrow, sizeof narrow, "#", &usedDefault), 1);
  EXPECT_EQ(narrow[0], '#');
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"ab", -1, nullptr, 0, nullptr, &usedDefault), 3);
  EXPECT_FALSE(usedDefault);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"线路", -1, narrow, 4, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"线", -1, narrow, sizeof narrow, nullptr, nullptr), 4);
  EXPECT_EQ(std::string(narrow), U8(u8"线"));
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"x", -1, narrow, sizeof narrow, nullptr, &usedDefault), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(CodePage, HostPathsSeparateAtRealBackslashesOnly) {
  EXPECT_EQ(xj::PathToHost("a\\b/c"), "a/b/c");
  // 0x81 0x5C is one character whose trail byte happens to be '\'.
  const std::string host = xj::PathToHost("dir\\\x81\x5C");
  EXPECT_EQ(host.rfind('/'), 3u);
  EXPECT_EQ(host.find('\\'), std::string::npos);
  EXPECT_EQ(xj::PathFromHost(host), "dir/\x81\x5C");
}
