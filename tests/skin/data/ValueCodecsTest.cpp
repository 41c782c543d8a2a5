// The value codecs of skin files and the rectangle, text, system and date helpers.

#include <gtest/gtest.h>

#include <cmath>

#include "platform/vcl/Controls.h"
#include "platform/vcl/IniFiles.h"
#include "platform/win32/WinBase.h"
#include "platform/win32/WinUser.h"
#include "skin/data/bsUtils.h"
#include "tests/skin/data/SkinTestSupport.h"

namespace {

// An in-memory INI holding one section [S] with the given "key=value" lines.
std::unique_ptr<TMemIniFile> Ini(const std::string& lines) {
  auto ini = std::make_unique<TMemIniFile>("");
  TStringList text;
  text.SetText("[S]\r\n" + lines);
  ini->SetStrings(&text);
  return ini;
}

TRect R(int l, int t, int r, int b) { return TRect(l, t, r, b); }

TEST(ValueCodecs, RectanglesAndPointsAsRead) {
  struct Case {
    const char* value;  // nullptr: the key is missing
    TRect rect;
  } cases[] = {
    { "10,20,300,400", R(10, 20, 300, 400) },
    { "1 0, 2x0 ,3-0, 4", R(10, 20, 30, 4) },  // only digits count inside a field
    { "-5,0,10,10", R(-5, 0, 10, 10) },        // a leading minus keeps its sign
    { " -1 , -2,-3 ,- 4", R(-1, -2, -3, -4) },
    { "0x10,2,3,4", R(10, 2, 3, 4) },  // no hexadecimal: the x is dropped
    { "1,2,3,4,5,6", R(1, 2, 3, 4) },  // surplus fields are ignored
    { "-2147483648,2147483647,0,0", R(INT32_MIN, INT32_MAX, 0, 0) },
    { nullptr, R(0, 0, 0, 0) },
    // Malformed values give the key's default rather than stopping the load.
    { "1,2,3", R(0, 0, 0, 0) },
    { "", R(0, 0, 0, 0) },
    { "1,,3,4", R(0, 0, 0, 0) },
    { "a,b,c,d", R(0, 0, 0, 0) },
    { "-,1,2,3", R(0, 0, 0, 0) },
    { "2147483648,0,0,0", R(0, 0, 0, 0) },
    { "99999999999999999999,1,2,3", R(0, 0, 0, 0) },
  };
  for (const Case& c : cases) {
    auto ini = Ini(c.value ? std::string("r=") + c.value + "\r\n" : "");
    EXPECT_EQ(ReadRect(ini.get(), "S", "r"), c.rect) << (c.value ? c.value : "(missing)");
  }

  auto ini = Ini("p1=7,-8\r\np2=5\r\np3=1,2,3\r\np4=x\r\n");
  EXPECT_EQ(ReadPoint(ini.get(), "S", "p1"), TPoint(7, -8));
  EXPECT_EQ(ReadPoint(ini.get(), "S", "p2"), TPoint(0, 0));
  EXPECT_EQ(ReadPoint(ini.get(), "S", "p3"), TPoint(1, 2));
  EXPECT_EQ(ReadPoint(ini.get(), "S", "p4"), TPoint(0, 0));
  EXPECT_EQ(ReadPoint(ini.get(), "S", "missing"), TPoint(0, 0));
}

TEST(ValueCodecs, ParsersRaiseOnMalformedText) {
  EXPECT_EQ(GetRect("4,3,2,1"), R(4, 3, 2, 1));
  EXPECT_EQ(GetPoint("-3,9"), TPoint(-3, 9));
  try {
    GetRect("1,2,3");
    FAIL() << "three fields parsed as a rectangle";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'' is not a valid integer value");
  }
  EXPECT_THROW(GetPoint(""), EConvertError);
  EXPECT_THROW(GetRect("1,2,3,4444444444"), EConvertError);
}

TEST(ValueCodecs, WrittenValuesReadBackExactly) {
  auto ini = Ini("");
  const TRect rects[] = { R(-5, 0, 10, 10), R(INT32_MIN, -1, INT32_MAX, 0), R(1, 2, 3, 4) };
  for (const TRect& r : rects) {
    WriteRect(ini.get(), "S", "r", r);
    EXPECT_EQ(ini->ReadString("S", "r", ""), SetRect(r));
    EXPECT_EQ(ReadRect(ini.get(), "S", "r"), r);
  }
  EXPECT_EQ(SetRect(R(-5, 0, 10, 10)), "-5,0,10,10");
  WritePoint(ini.get(), "S", "p", TPoint(-12, 34));
  EXPECT_EQ(ini->ReadString("S", "p", ""), "-12,34");
  EXPECT_EQ(ReadPoint(ini.get(), "S", "p"), TPoint(-12, 34));
}

TEST(ValueCodecs, BooleansAreTheIntegerOne) {
  auto ini = Ini("a=1\r\nb=2\r\nc=-1\r\nd=true\r\ne=0x1\r\nf=$1\r\ng=0\r\nh=\r\n");
  EXPECT_TRUE(ReadBoolean(ini.get(), "S", "a"));
  EXPECT_FALSE(ReadBoolean(ini.get(), "S", "b"));
  EXPECT_FALSE(ReadBoolean(ini.get(), "S", "c"));
  EXPECT_FALSE(ReadBoolean(ini.get(), "S", "d"));
  EXPECT_TRUE(ReadBoolean(ini.get(), "S", "e"));
  EXPECT_TRUE(ReadBoolean(ini.get(), "S", "f"));
  EXPECT_FALSE(ReadBoolean(ini.get(), "S", "g"));
  EXPECT_FALSE(ReadBoolean(ini.get(), "S", "h"));
  EXPECT_FALSE(ReadBoolean(ini.get(), "S", "missing"));
  WriteBoolean(ini.get(), "S", "w", true);
  EXPECT_EQ(ini->ReadString("S", "w", ""), "1");
  WriteBoolean(ini.get(), "S", "w", false);
  EXPECT_EQ(ini->ReadString("S", "w", ""), "0");
}

TEST(ValueCodecs, FontStyles) {
  struct Case {
    const char* value;
    TFontStyles styles;
  } cases[] = {
    { "fsunderline,fsbold", { fsBold, fsUnderline } },
    { "fsbold,fsunderline", { fsBold, fsUnderline } },
    { "FSBOLD,FsItalic", {} },         // exact case only
    { "xxfsitalicyy", { fsItalic } },  // found anywhere in the value
    { "fsstrikeout fsitalic", { fsItalic, fsStrikeOut } },
    { "", {} },
  };
  for (const Case& c : cases) {
    auto ini = Ini(std::string("f=") + c.value + "\r\n");
    EXPECT_EQ(ReadFontStyles(ini.get(), "S", "f"), c.styles) << c.value;
  }
  auto ini = Ini("");
  EXPECT_EQ(ReadFontStyles(ini.get(), "S", "missing"), TFontStyles());
  const std::pair<TFontStyles, const char*> written[] = {
    { { fsItalic, fsStrikeOut }, "fsitalic,fsstrikeout" },
    { { fsBold }, "fsbold" },
    { { fsStrikeOut, fsUnderline, fsItalic, fsBold }, "fsbold,fsitalic,fsunderline,fsstrikeout" },
    { {}, "" },
  };
  for (const auto& [styles, text] : written) {
    WriteFontStyles(ini.get(), "S", "w", styles);
    EXPECT_EQ(ini->ReadString("S", "w", "?"), text);
    EXPECT_EQ(ReadFontStyles(ini.get(), "S", "w"), styles);
  }
}

TEST(ValueCodecs, Alignment) {
  auto ini = Ini("a=tacenter\r\nb=taleftjustify\r\nc=tarightjustify\r\nd=TACenter\r\ne=taright\r\n");
  EXPECT_EQ(ReadAlignment(ini.get(), "S", "a"), taCenter);
  EXPECT_EQ(ReadAlignment(ini.get(), "S", "b"), taLeftJustify);
  EXPECT_EQ(ReadAlignment(ini.get(), "S", "c"), taRightJustify);
  // Words nobody writes keep the default instead of meaning right alignment.
  EXPECT_EQ(ReadAlignment(ini.get(), "S", "d"), taCenter);
  EXPECT_EQ(ReadAlignment(ini.get(), "S", "e"), taCenter);
  EXPECT_EQ(ReadAlignment(ini.get(), "S", "missing"), taCenter);
  for (TAlignment a : { taLeftJustify, taRightJustify, taCenter }) {
    WriteAlignment(ini.get(), "S", "w", a);
    EXPECT_EQ(ReadAlignment(ini.get(), "S", "w"), a);
  }
  WriteAlignment(ini.get(), "S", "w", taRightJustify);
  EXPECT_EQ(ini->ReadString("S", "w", ""), "tarightjustify");
}

TEST(ValueCodecs, StringLists) {
  auto ini = Ini("activepicturescount=3\r\n0=a.bmp\r\n2=c.bmp\r\nkeylinecount=2\r\nkeyline0=x\r\nkeyline1=y\r\n");
  TStringList list;
  list.Add("before");
  ReadStrings1(ini.get(), "S", "activepictures", &list);
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Strings(0), "before");  // appended, not replaced
  EXPECT_EQ(list.Strings(1), "a.bmp");
  EXPECT_EQ(list.Strings(2), "");  // a missing entry is an empty one
  EXPECT_EQ(list.Strings(3), "c.bmp");

  TStringList lines;
  ReadStrings(ini.get(), "S", "key", &lines);
  ASSERT_EQ(lines.Count(), 2);
  EXPECT_EQ(lines.Strings(1), "y");

  auto out = Ini("");
  TStringList two;
  two.Add("p.bmp");
  two.Add("q.bmp");
  WriteStrings1(out.get(), "S", "activepictures", &two);
  EXPECT_EQ(out->ReadString("S", "activepicturescount", ""), "2");
  EXPECT_EQ(out->ReadString("S", "0", ""), "p.bmp");
  EXPECT_EQ(out->ReadString("S", "1", ""), "q.bmp");
  WriteStrings(out.get(), "S", "k", &two);
  EXPECT_EQ(out->ReadString("S", "klinecount", ""), "2");
  EXPECT_EQ(out->ReadString("S", "kline1", ""), "q.bmp");
}

TEST(ValueCodecs, ListCountsOutOfRange) {
  // Nothing below one; past the limit, the entries that are there.
  struct Case {
    const char* count;
    int entries;
  } cases[] = { { "-5", 0 }, { "0", 0 }, { "junk", 0 }, { "65537", 3 }, { "2147483647", 3 } };
  for (const Case& c : cases) {
    auto ini = Ini(std::string("activepicturescount=") + c.count + "\r\n0=a.bmp\r\n2=c.bmp\r\nklinecount=" + c.count +
                   "\r\nkline0=x\r\nkline2=z\r\n");
    TStringList list, lines;
    ReadStrings1(ini.get(), "S", "activepictures", &list);
    ReadStrings(ini.get(), "S", "k", &lines);
    ASSERT_EQ(list.Count(), c.entries) << c.count;
    ASSERT_EQ(lines.Count(), c.entries) << c.count;
    if (c.entries == 3) {
      EXPECT_EQ(list.Text(), "a.bmp\r\n\r\nc.bmp\r\n");
      EXPECT_EQ(lines.Text(), "x\r\n\r\nz\r\n");
    }
  }
  auto ini = Ini("activepicturescount=65536\r\n");
  TStringList list;
  ReadStrings1(ini.get(), "S", "activepictures", &list);
  EXPECT_EQ(list.Count(), MaxSkinListCount);
}

TEST(ValueCodecs, LengthPrefixedStrings) {
  TMemoryStream s;
  WriteStringToStream("宋体", &s);
  WriteStringToStream("", &s);
  EXPECT_EQ(s.Size(), 4 + 4 + 4);
  s.SetPosition(0);
  AnsiString a = "x", b = "y";
  ReadStringFromStream(a, &s);
  ReadStringFromStream(b, &s);
  EXPECT_EQ(a, "宋体");
  EXPECT_EQ(b, "");

  // Lengths that the stream cannot hold fail before anything is allocated.
  for (const std::string& bytes : { std::string("\x05\x00\x00\x00"
                                                "abc",
                                                7),
                                    std::string("\xFF\xFF\xFF\x7F", 4),
                                    std::string("\xFE\xFF\xFF\xFF"
                                                "abcd",
                                                8),
                                    std::string("\x01\x00", 2) }) {
    TMemoryStream bad;
    skintest::SetStreamBytes(bad, bytes);
    AnsiString out = "kept";
    EXPECT_THROW(ReadStringFromStream(out, &bad), EReadError);
    EXPECT_EQ(out, "kept");
  }
}

TEST(Helpers, RectanglesAndPoints) {
  EXPECT_TRUE(IsNullRect(R(5, 5, 5, 20)));
  EXPECT_TRUE(IsNullRect(R(10, 0, 0, 10)));
  EXPECT_FALSE(IsNullRect(R(0, 0, 1, 1)));
  EXPECT_TRUE(IsNullRect(NullRect()));
  EXPECT_TRUE(IsNullPoint(TPoint(0, 7)));
  EXPECT_TRUE(IsNullPoint(TPoint(7, 0)));
  EXPECT_FALSE(IsNullPoint(TPoint(1, 1)));
  EXPECT_TRUE(PointInRect(R(0, 0, 10, 10), TPoint(10, 10)));
  EXPECT_FALSE(PointInRect(R(0, 0, 10, 10), TPoint(11, 10)));
  EXPECT_FALSE(RectInRect(R(0, 0, 10, 10), R(0, 0, 10, 10)));
  EXPECT_TRUE(RectInRect(R(0, 0, 9, 9), R(0, 0, 10, 10)));
  EXPECT_EQ(RectWidth(R(10, 0, 4, 0)), -6);
  EXPECT_EQ(RectHeight(R(0, 3, 0, 10)), 7);
  EXPECT_TRUE(EqRects(R(1, 2, 3, 4), R(1, 2, 3, 4)));
  EXPECT_FALSE(EqRects(R(1, 2, 3, 4), R(1, 2, 3, 5)));
  EXPECT_EQ(Max(3, -4), 3);
  EXPECT_EQ(Min(3, -4), -4);
  TRect r = R(100, 100, 110, 104);
  EXPECT_EQ(RectToCenter(r, R(0, 0, 21, 9)), R(5, 2, 15, 6));
  EXPECT_EQ(r, R(5, 2, 15, 6));
}

TEST(Helpers, ReplaceStr) {
  EXPECT_EQ(ReplaceStr("a-b-c", "-", "--"), "a--b--c");
  EXPECT_EQ(ReplaceStr("aaaa", "aa", "a"), "aa");  // no overlap, the replacement is not searched again
  EXPECT_EQ(ReplaceStr("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceStr("abc", "d", "x"), "abc");
}

TEST(Helpers, VersionChecks) {
  struct Case {
    DWORD major, minor;
    bool w2kxp, xp;
  } cases[] = { { 5, 0, true, false },  { 5, 1, true, true },   { 5, 2, false, false },
                { 6, 0, false, false }, { 6, 1, false, false }, { 4, 0, false, false } };
  for (const Case& c : cases) {
    xj::SetReportedVersion(c.major, c.minor);
    int major = 0, minor = 0;
    GetWindowsVersion(major, minor);
    EXPECT_EQ(major, static_cast<int>(c.major));
    EXPECT_EQ(minor, static_cast<int>(c.minor));
    EXPECT_EQ(CheckW2KWXP(), c.w2kxp) << c.major << "." << c.minor;
    EXPECT_EQ(CheckWXP(), c.xp) << c.major << "." << c.minor;
  }
  xj::SetReportedVersion(5, 1);
  EXPECT_TRUE(CheckW2KWXP());  // the platform's own answer: translucent windows exist
}

struct LayeredCall {
  HWND wnd;
  COLORREF key;
  BYTE alpha;
  DWORD flags;
  int calls;
} layered;

BOOL WINAPI FakeSetLayeredWindowAttributes(HWND wnd, COLORREF key, BYTE alpha, DWORD flags) {
  layered = { wnd, key, alpha, flags, layered.calls + 1 };
  return TRUE;
}

TEST(Helpers, AlphaBlendGoesThroughTheUserLibrary) {
  HWND wnd = reinterpret_cast<HWND>(0x1234);
  layered = {};
  // Stand in for the window layer's export to see exactly what is asked of it.
  void* real = reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("USER32"), "SetLayeredWindowAttributes"));
  ASSERT_NE(real, nullptr);
  xj::RegisterBuiltinExport("USER32", "SetLayeredWindowAttributes",
                            reinterpret_cast<void*>(&FakeSetLayeredWindowAttributes));
  SetAlphaBlendTransparent(wnd, 200);
  EXPECT_EQ(layered.calls, 1);
  EXPECT_EQ(layered.wnd, wnd);
  EXPECT_EQ(layered.key, 0u);
  EXPECT_EQ(layered.alpha, 200);
  EXPECT_EQ(layered.flags, 2u);  // LWA_ALPHA
  xj::RegisterBuiltinExport("USER32", "SetLayeredWindowAttributes", real);
}

TEST(Helpers, Dates) {
  EXPECT_EQ(DaysPerMonth(2000, 2), 29);
  EXPECT_EQ(DaysPerMonth(1900, 2), 28);
  EXPECT_EQ(DaysPerMonth(2024, 2), 29);
  EXPECT_EQ(DaysPerMonth(2024, 4), 30);
  EXPECT_EQ(DaysPerMonth(2023, 12), 31);
  EXPECT_EQ(DaysPerMonth(2023, 0), 0);
  EXPECT_EQ(DaysPerMonth(2023, 13), 0);
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(2100));
  const TDateTime d = EncodeDate(2024, 2, 29);
  EXPECT_EQ(ExtractDay(d), 29);
  EXPECT_EQ(ExtractMonth(d), 2);
  EXPECT_EQ(ExtractYear(d), 2024);
}

// A canvas on a bitmap with the platform's test face: 8 pixels per single-byte character, 16 per
// double-byte one, 13 high.
struct TestCanvas {
  TestCanvas() {
    bitmap.SetSize(200, 40);
    bitmap.Canvas()->Font()->SetName("Platform Test");
  }
  TCanvas* C() { return bitmap.Canvas(); }
  TBitmap bitmap;
};

TEST(Helpers, CorrectTextbyWidth) {
  TestCanvas t;
  ASSERT_EQ(t.C()->TextWidth("abcd"), 32);
  struct Case {
    const char* text;
    int width;
    const char* result;
  } cases[] = {
    { "abcdef", 48, "abcdef" },  // fits: unchanged, no dots
    { "abcdef", 47, "ab..." },   // one pixel short: as much as fits beside the dots
    { "abcdef", 40, "ab..." },
    { "abcdef", 39, "a..." },
    { "abcdef", 10, "..." },  // not even the dots fit: the dots all the same
    { "", 0, "" },
    { "宋体字", 47, "宋..." },  // double-byte characters go whole
    { "a宋体", 39, "a..." },
  };
  for (const Case& c : cases) {
    AnsiString s = c.text;
    CorrectTextbyWidth(t.C(), s, c.width);
    EXPECT_EQ(s, c.result) << c.text << " in " << c.width;
  }
}

TEST(Helpers, TextDrawnInItsRectangle) {
  TestCanvas t;
  TCanvas* c = t.C();
  c->Brush()->SetColor(clWhite);
  c->FillRect(R(0, 0, 200, 40));
  c->Font()->SetColor(clBlack);
  c->Brush()->SetStyle(bsClear);
  // SPDrawText2: x = left + 2, y = top + height / 2 - text height / 2 = 10 + 10 - 6 = 14; the glyph box
  // of the first character is x 1..6, y 1..9 of its cell.
  SPDrawText2(c, "ab", R(20, 10, 60, 30));
  EXPECT_EQ(static_cast<int32_t>(c->Pixels(23, 15)), 0x000000);
  EXPECT_EQ(static_cast<int32_t>(c->Pixels(22, 15)), 0xFFFFFF);
  EXPECT_EQ(static_cast<int32_t>(c->Pixels(23, 14)), 0xFFFFFF);
  // SPDrawText3 moves it by the offset; clipping to the rectangle still holds.
  SPDrawText3(c, "abcdefgh", R(100, 10, 120, 30), 5);
  EXPECT_EQ(static_cast<int32_t>(c->Pixels(108, 15)), 0x000000);
  EXPECT_EQ(static_cast<int32_t>(c->Pixels(107, 15)), 0xFFFFFF);
  EXPECT_EQ(static_cast<int32_t>(c->Pixels(121, 15)), 0xFFFFFF);
  // SPDrawText: left-aligned and centred vertically (13 high in 20: top at 10 + 3).
  SPDrawText(c, "x", R(150, 10, 190, 30));
  EXPECT_EQ(static_cast<int32_t>(c->Pixels(151, 14)), 0x000000);
  EXPECT_EQ(static_cast<int32_t>(c->Pixels(151, 13)), 0xFFFFFF);
}

TEST(Helpers, ScreenAreas) {
  RECT work {};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  // One monitor: the primary screen's areas.
  EXPECT_EQ(GetMonitorWorkArea(nullptr, true), TRect(work));
  EXPECT_EQ(GetMonitorWorkArea(nullptr, false),
            TRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
  TRect r(1, 2, 3, 4);
  GetPrimaryMonitorWorkArea(false, r);
  EXPECT_EQ(r.Right, GetSystemMetrics(SM_CXSCREEN));
}

// A windowless control to stand on a parent, and a windowed parent that notes when it paints.
class TProbe : public TGraphicControl {
  XJ_CLASS(TProbe, TGraphicControl)
 public:
  using TGraphicControl::TGraphicControl;
};

class TNotingPanel : public TCustomControl {
  XJ_CLASS(TNotingPanel, TCustomControl)
 public:
  using TCustomControl::TCustomControl;
  std::vector<std::string>* Log { nullptr };
  void PaintWindow(HDC DC) override {
    Log->push_back("paint");
    TCustomControl::PaintWindow(DC);
  }
};

TEST(Helpers, ParentImage) {
  skintest::FormScreen screen;
  std::vector<std::string> log;
  TForm* form = screen.NewForm();
  form->SetColor(clRed);
  auto* panel = new TNotingPanel(form);
  panel->Log = &log;
  panel->SetParent(form);
  panel->SetBounds(0, 0, 100, 50);
  panel->SetColor(clBlue);
  panel->WindowProc = TWndMethod::FromCallable([&, old = panel->WindowProc](TMessage& m) {
    if (m.Msg == WM_ERASEBKGND) log.push_back("erase");
    old(m);
  });
  // A control that reaches past its parent's right and bottom edges: only the part over the parent
  // is painted, with the parent's coordinates moved to the control's top-left.
  auto* probe = new TProbe(form);
  probe->SetParent(panel);
  probe->SetBounds(90, 40, 30, 15);
  TBitmap dest;
  dest.SetSize(30, 15);
  GetParentImage(probe, dest.Canvas());
  EXPECT_EQ(log, (std::vector<std::string> { "paint", "erase" }));
  EXPECT_EQ(static_cast<int32_t>(dest.Canvas()->Pixels(0, 0)), static_cast<int32_t>(clBlue));
  EXPECT_EQ(static_cast<int32_t>(dest.Canvas()->Pixels(9, 9)), static_cast<int32_t>(clBlue));
  EXPECT_EQ(static_cast<int32_t>(dest.Canvas()->Pixels(10, 9)), 0xFFFFFF);
  EXPECT_EQ(static_cast<int32_t>(dest.Canvas()->Pixels(9, 10)), 0xFFFFFF);

  // On a form only the erase message paints.
  log.clear();
  probe->SetParent(form);
  probe->SetBounds(200, 100, 30, 15);
  TBitmap onForm;
  onForm.SetSize(30, 15);
  GetParentImage(probe, onForm.Canvas());
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(static_cast<int32_t>(onForm.Canvas()->Pixels(29, 14)), static_cast<int32_t>(clRed));

  // Without a parent nothing happens.
  TProbe alone(nullptr);
  TBitmap untouched;
  untouched.SetSize(4, 4);
  GetParentImage(&alone, untouched.Canvas());
  EXPECT_EQ(static_cast<int32_t>(untouched.Canvas()->Pixels(0, 0)), 0xFFFFFF);
}

}  // namespace
