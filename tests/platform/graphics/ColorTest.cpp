// Colour names, conversions and the identifier table.

#include <gtest/gtest.h>

#include <vector>

#include "platform/vcl/Graphics.h"

namespace {

struct TNameCollector : TObject {
  std::vector<AnsiString> Names;
  void Add(const AnsiString& S) { Names.push_back(S); }
};

TEST(ColorTable, GetColorValuesWalksTheFortyTwoIdentifiersInOrder) {
  TNameCollector c;
  GetColorValues(TGetStrProc(&c, &TNameCollector::Add));
  const std::vector<AnsiString> expected {
    "clBlack",        "clMaroon",      "clGreen",         "clOlive",
    "clNavy",         "clPurple",      "clTeal",          "clGray",
    "clSilver",       "clRed",         "clLime",          "clYellow",
    "clBlue",         "clFuchsia",     "clAqua",          "clWhite",
    "clScrollBar",    "clBackground",  "clActiveCaption", "clInactiveCaption",
    "clMenu",         "clWindow",      "clWindowFrame",   "clMenuText",
    "clWindowText",   "clCaptionText", "clActiveBorder",  "clInactiveBorder",
    "clAppWorkSpace", "clHighlight",   "clHighlightText", "clBtnFace",
    "clBtnShadow",    "clGrayText",    "clBtnText",       "clInactiveCaptionText",
    "clBtnHighlight", "cl3DDkShadow",  "cl3DLight",       "clInfoText",
    "clInfoBk",       "clNone",
  };
  EXPECT_EQ(c.Names, expected);
  // Entries 16..40 are the system colours by index.
  for (int i = 16; i <= 40; ++i) {
    int32_t v = 0;
    ASSERT_TRUE(IdentToColor(c.Names[size_t(i)], v)) << c.Names[size_t(i)];
    EXPECT_EQ(uint32_t(v), 0x80000000u + uint32_t(i - 16)) << c.Names[size_t(i)];
  }
}

TEST(ColorTable, IdentifiersAndValuesMapBothWays) {
  struct Case {
    TColor Color;
    const char* Name;
  } cases[] = {
    { clBlack, "clBlack" },     { clNavy, "clNavy" },     { clAqua, "clAqua" },   { clWhite, "clWhite" },
    { clBtnFace, "clBtnFace" }, { clInfoBk, "clInfoBk" }, { clNone, "clNone" },   { clScrollBar, "clScrollBar" },
    { clSilver, "clSilver" },   { clLtGray, "clSilver" }, { clDkGray, "clGray" }, { cl3DLight, "cl3DLight" },
  };
  for (const Case& c : cases) {
    AnsiString ident;
    EXPECT_TRUE(ColorToIdent(c.Color, ident));
    EXPECT_EQ(ident, c.Name);
    EXPECT_EQ(ColorToString(c.Color), c.Name);
    EXPECT_EQ(StringToColor(c.Name), c.Color);
  }
}

TEST(ColorTable, UnnamedColoursAreHexAndStringsParseAsNumbers) {
  EXPECT_EQ(ColorToString(0x00FF8040), "$00FF8040");
  EXPECT_EQ(ColorToString(clDefault), "$20000000");  // not in the table
  EXPECT_EQ(ColorToString(int32_t(0x8000001F)), "$8000001F");
  EXPECT_EQ(StringToColor("$00FF8040"), 0x00FF8040);
  EXPECT_EQ(StringToColor("255"), clRed);
  EXPECT_EQ(StringToColor("-2147483633"), clBtnFace);
  EXPECT_EQ(StringToColor("CLBTNFACE"), clBtnFace);  // identifiers without case
  for (const char* bad : { "clFoo", "", "red", "$xyz", "12 3", "clDefault" })
    EXPECT_THROW(StringToColor(bad), EConvertError) << bad;
  int32_t v = 7;
  EXPECT_FALSE(IdentToColor("clDefault", v));
  EXPECT_EQ(v, 7);
}

TEST(ColorToRGB, SystemColoursResolveOthersPassThrough) {
  EXPECT_EQ(ColorToRGB(clBtnFace), 0xC0C0C0);
  EXPECT_EQ(ColorToRGB(clBtnShadow), 0x808080);
  EXPECT_EQ(ColorToRGB(clHighlight), 0x800000);  // navy, as COLORREF 0x00BBGGRR
  EXPECT_EQ(ColorToRGB(clInfoBk), 0xE1FFFF);
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
  EXPECT_EQ(ColorToRGB(clNone), 0x1FFFFFFF);
  EXPECT_EQ(ColorToRGB(clDefault), 0x20000000);
}

TEST(ColorStreaming, TypeInfoNamesColoursAndCharsets) {
  const TTypeInfo* t = TTypeTraits<TColor>::Info();
  AnsiString ident;
  ASSERT_TRUE(t->IntToIdent);
  EXPECT_TRUE(t->IntToIdent(int32_t(clBtnFace), ident));
  EXPECT_EQ(ident, "clBtnFace");
  EXPECT_FALSE(t->IntToIdent(0x123456, ident));
  int64_t v = 0;
  EXPECT_TRUE(t->IdentToInt("clred", v));
  EXPECT_EQ(v, 0xFF);
  const TTypeInfo* cs = TTypeTraits<TFontCharset>::Info();
  EXPECT_TRUE(cs->IntToIdent(134, ident));
  EXPECT_EQ(ident, "GB2312_CHARSET");
  EXPECT_TRUE(cs->IdentToInt("DEFAULT_CHARSET", v));
  EXPECT_EQ(v, 1);
}

}  // namespace
