// The fonts the screen lists (the families scripts/setup installs, with their type, charset and pitch
// bits) and the printer object of a system without printers.

#include <map>
#include <string>

#include "platform/vcl/Printers.h"
#include "platform/win32/WinGdi.h"
#include "tests/support/ControlsTestUtil.h"

using namespace ctltest;

namespace {

struct FontFacts {
  DWORD type;
  BYTE charSet;
  BYTE pitch;
};

int CALLBACK Remember(const LOGFONTA* lf, const TEXTMETRICA*, DWORD type, LPARAM lp) {
  (*reinterpret_cast<std::map<std::string, FontFacts>*>(
      lp))[lf->lfFaceName] = { type, lf->lfCharSet, static_cast<BYTE>(lf->lfPitchAndFamily & 3) };
  return 1;
}

class FontsAndPrinterTest : public ControlsTest {};

TEST_F(FontsAndPrinterTest, TheScreenListsTheInstalledFamiliesWithTheirBits) {
  std::map<std::string, FontFacts> fonts;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesA(dc, nullptr, Remember, reinterpret_cast<LPARAM>(&fonts));
  ReleaseDC(nullptr, dc);
  ASSERT_TRUE(fonts.count("DejaVu Sans Mono"));
  ASSERT_TRUE(fonts.count("DejaVu Sans"));
  ASSERT_TRUE(fonts.count("AR PL UMing CN"));
  EXPECT_EQ(fonts["DejaVu Sans Mono"].pitch, FIXED_PITCH);
  EXPECT_EQ(fonts["DejaVu Sans"].pitch, VARIABLE_PITCH);
  for (const char* f : { "DejaVu Sans Mono", "DejaVu Sans", "AR PL UMing CN" }) {
    EXPECT_EQ(fonts[f].type, DWORD(TRUETYPE_FONTTYPE)) << f;
    EXPECT_EQ(fonts[f].charSet, ANSI_CHARSET) << f;  // all of them cover Latin
  }

  // Screen.Fonts: the same families, once each, sorted without case.
  TStrings* list = Screen->Fonts();
  ASSERT_EQ(list->Count(), static_cast<int>(fonts.size()));
  for (int i = 1; i < list->Count(); ++i)
    EXPECT_LT(AnsiCompareText(list->Strings(i - 1), list->Strings(i)), 0) << list->Strings(i);
  EXPECT_GE(list->IndexOf("dejavu sans mono"), 0);
}

TEST_F(FontsAndPrinterTest, ThePrinterHasNoPrintersAndRaisesForItsDeviceContext) {
  TPrinter* printer = Printer();
  EXPECT_EQ(printer, Printer());
  EXPECT_EQ(printer->Printers()->Count(), 0);
  EXPECT_EQ(printer->PrinterIndex(), -1);
  EXPECT_THROW(printer->Handle(), EPrinter);
  EXPECT_THROW(printer->Canvas(), EPrinter);
  EXPECT_THROW(printer->SetPrinterIndex(0), EPrinter);
  EXPECT_NO_THROW(printer->SetPrinterIndex(-1));
  // What a font list does with it: enumerate the printer's fonts, and carry on when that fails.
  int printerFonts = 0;
  try {
    EnumFontFamiliesA(
        printer->Handle(), nullptr,
        [](const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM lp) {
          ++*reinterpret_cast<int*>(lp);
          return 1;
        },
        reinterpret_cast<LPARAM>(&printerFonts));
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "There is no default printer currently selected");
  }
  EXPECT_EQ(printerFonts, 0);
}

}  // namespace
