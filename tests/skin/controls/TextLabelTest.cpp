// The text label, the link label and link image, and the button label: sizes, fonts and colours from the
// skin, the second skin and without one; the hover and pressed looks through the mouse; and what a link
// hands to the desktop's opener, seen through the shell's test hook.

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/win32/ShellApi.h"
#include "skin/controls/bsSkinCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

class TextLabelTest : public SkinControlsTest {
 protected:
  void SetUp() override {
    SkinControlsTest::SetUp();
    old = xj::SetShellExecuteHook([this](const xj::ShellExecuteCall& c) { calls.push_back(c); });
  }
  void TearDown() override {
    xj::SetShellExecuteHook(old);
    SkinControlsTest::TearDown();
  }
  // Whether any pixel of the control's client area has colour C.
  bool Shows(TControl* c, COLORREF colour) const {
    for (int y = 0; y < c->Height(); ++y)
      for (int x = 0; x < c->Width(); ++x)
        if (Px(c, x, y) == colour) return true;
    return false;
  }
  COLORREF SkinColour(const char* key) const { return RGB(OwnerOf("stdlabel"), mkskin::KeyCode(key), 0xFF); }

  std::vector<xj::ShellExecuteCall> calls;
  xj::ShellExecuteHook old;
};

constexpr COLORREF kBlue = RGB(0, 0, 255);

}  // namespace

// ---- Text label -------------------------------------------------------------------------------------------

TEST_F(TextLabelTest, ATextLabelSizesToItsLinesAndTakesItsColourFromTheSkin) {
  auto* l = new TbsSkinTextLabel(form);
  l->SetParent(form);
  l->SetBounds(200, 10, 65, 65);
  l->SetAlignment(taRightJustify);
  TStringList lines;
  lines.SetText("第一行\r\nsecond line\r\n");
  l->SetLines(&lines);
  ShowUnfocused();
  const int right = l->Left() + l->Width();
  const int oneHigh = l->Height();
  EXPECT_GT(l->Width(), 40);
  lines.Add("a third and much longer line");
  l->SetLines(&lines);
  EXPECT_GT(l->Height(), oneHigh);
  EXPECT_EQ(l->Left() + l->Width(), right);  // right-aligned: the right edge stays
  EXPECT_TRUE(Shows(l, RGB(0, 0, 0)));       // the class library's default font colour
  Gallery(l, "bsSkinCtrls", "none-normal");

  LoadTestSkin();
  l->SetSkinData(skin);
  xt::PumpUntilIdle();
  EXPECT_TRUE(Shows(l, SkinColour("fontcolor")));
  Gallery(l, "bsSkinCtrls", "test-normal");
  l->SetUseSkinFont(false);  // the control's font, in the skin's colour
  l->Repaint();
  xt::PumpUntilIdle();
  EXPECT_TRUE(Shows(l, SkinColour("fontcolor")));
  l->SetUseSkinFont(true);
  l->SetEnabled(false);  // engraved, whatever the skin says
  xt::PumpUntilIdle();
  EXPECT_TRUE(Shows(l, RGB(255, 255, 255)));
  EXPECT_TRUE(Shows(l, RGB(128, 128, 128)));
  EXPECT_FALSE(Shows(l, SkinColour("fontcolor")));
  Gallery(l, "bsSkinCtrls", "test-disabled");
  l->SetEnabled(true);
  LoadSecondSkin();  // no "stdlabel" there: the default font again
  EXPECT_EQ(l->SkinObjectIndex(), -1);
  EXPECT_TRUE(Shows(l, RGB(0, 0, 0)));
  Gallery(l, "bsSkinCtrls", "second-normal");
  delete skin;
  skin = nullptr;
  EXPECT_EQ(l->SkinData(), nullptr);
  l->Repaint();
  xt::PumpUntilIdle();
}

// ---- Links ------------------------------------------------------------------------------------------------

TEST_F(TextLabelTest, ALinkHandsOnlyAddressesAndDocumentsToTheOpenerAsOneArgument) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("xj-links-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  xj::ScopeExit clean([&] { std::filesystem::remove_all(dir); });
  const std::string doc = (dir / "notes.txt").string(), program = (dir / "run.sh").string();
  std::ofstream(doc) << "notes\r\n";
  std::ofstream(program) << "#!/bin/sh\n";
  ::chmod(program.c_str(), 0755);

  auto* l = new TbsSkinLinkLabel(form);
  l->SetParent(form);
  l->SetLeft(10);
  l->SetTop(10);
  l->SetCaption("链接 link");
  std::vector<std::string> order;
  l->OnClick = On<TNotifyEvent>([&](TObject*) { order.push_back("click:" + std::to_string(calls.size())); });
  ShowUnfocused();
  auto clickWith = [&](const std::string& url) {
    calls.clear();
    l->SetURL(url);
    xt::Advance(1000);  // no double click with the one before
    ClickAt(l, 3, 3);
  };
  const std::string nasty = "http://example.org/a b;rm -rf ~;`id`$(id)|&>x'\"";
  clickWith(nasty);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Operation, "open");
  EXPECT_EQ(calls[0].File, nasty);
  EXPECT_EQ(calls[0].Target, nasty);  // one argument, untouched: no shell ever reads it
  EXPECT_EQ(calls[0].Parameters, "");
  EXPECT_EQ(calls[0].ShowCmd, SW_SHOWNORMAL);
  EXPECT_EQ(order.back(), "click:0");  // OnClick runs before the opener
  clickWith("mailto:someone@example.org");
  EXPECT_EQ(calls.size(), 1u);
  clickWith(doc);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Target, doc);
  clickWith("file://" + doc);
  EXPECT_EQ(calls.size(), 1u);
  // Refused before the opener: programs (as a path or a file address), missing files, no address at all.
  for (const std::string& refused : { program, "file://" + program, (dir / "missing.txt").string(), dir.string(),
                                      std::string(), std::string("-x") }) {
    SCOPED_TRACE(refused);
    clickWith(refused);
    EXPECT_TRUE(calls.empty());
  }
  EXPECT_EQ(order.size(), 10u);  // every click fired OnClick
  const std::string huge = "https://example.org/" + std::string(100000, 'x');
  clickWith(huge);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Target.size(), huge.size());

  // The link image the same way.
  auto* image = new TbsSkinLinkImage(form);
  image->SetParent(form);
  image->SetBounds(10, 60, 30, 30);
  image->SetURL("https://example.org/image");
  int imageClicks = 0;
  image->OnClick = On<TNotifyEvent>([&](TObject*) { ++imageClicks; });
  calls.clear();
  ClickAt(image, 5, 5);
  EXPECT_EQ(imageClicks, 1);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Target, "https://example.org/image");
  EXPECT_EQ(image->Cursor(), crHandPoint);

  // No hook and an opener that cannot start: nothing opens, nothing is raised.
  xj::SetShellExecuteHook(nullptr);
  ::setenv("XDG_OPEN_PROGRAM", (dir / "no-such-opener").c_str(), 1);
  xj::ScopeExit unset([] { ::unsetenv("XDG_OPEN_PROGRAM"); });
  EXPECT_FALSE(bsOpenLink("https://example.org/"));
  clickWith("https://example.org/");
  EXPECT_TRUE(calls.empty());
}

// A JPEG picture decodes as the image first paints; with IncrementalDisplay each report of rows finds
// those rows already on the screen, without it nothing of the picture shows until the whole is decoded.
TEST_F(TextLabelTest, ALinkImageWithIncrementalDisplayShowsAJpegRowsAsTheyArrive) {
  constexpr int kW = 16, kH = 64;
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("xj-jpeg-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  xj::ScopeExit clean([&] { std::filesystem::remove_all(dir); });
  {
    std::ofstream ppm(dir / "red.ppm", std::ios::binary);
    ppm << "P6\n" << kW << " " << kH << "\n255\n";
    for (int i = 0; i < kW * kH; ++i) ppm.put(char(220)).put(char(20)).put(char(20));
  }
  const std::string jpg = (dir / "red.jpg").string();
  if (std::system(("cjpeg -quality 95 -outfile " + jpg + " " + (dir / "red.ppm").string()).c_str()) != 0)
    GTEST_SKIP() << "cjpeg (libjpeg-turbo-progs) is not installed";
  for (bool incremental : { false, true }) {
    SCOPED_TRACE(incremental);
    auto* image = new TbsSkinLinkImage(form);
    image->SetParent(form);
    image->SetBounds(10, 10, kW, kH);
    image->SetIncrementalDisplay(incremental);
    image->Picture()->LoadFromFile(jpg.c_str());
    const auto redRows = [&] {
      int n = 0;
      for (int y = 0; y < kH; ++y) {
        const COLORREF c = Px(image, kW / 2, y);
        n += GetRValue(c) > 180 && GetGValue(c) < 70;
      }
      return n;
    };
    std::vector<int> seen;
    const TProgressEvent own = image->Picture()->OnProgress;
    image->Picture()->OnProgress = TProgressEvent::FromCallable(
        [&](TObject* s, TProgressStage stage, uint8_t pct, bool now, const TRect& r, const AnsiString& m) {
          if (own) own(s, stage, pct, now, r, m);
          if (stage == psRunning) seen.push_back(redRows());
        });
    ShowUnfocused();
    xt::PumpUntilIdle();
    const std::vector<int> expected = incremental ? std::vector<int> { 16, 32, 48 } : std::vector<int> { 0, 0, 0 };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(redRows(), kH);
    delete image;
  }
}

TEST_F(TextLabelTest, ALinkLabelIsUnderlinedAndHighlightedWhileTheMouseIsOverIt) {
  auto* l = new TbsSkinLinkLabel(form);
  l->SetParent(form);
  l->SetLeft(10);
  l->SetTop(10);
  l->SetCaption("Link");
  ShowUnfocused();
  const int h = l->Height();
  EXPECT_GT(h, 5);
  EXPECT_TRUE(Shows(l, RGB(0, 0, 0)));
  Gallery(l, "bsSkinCtrls", "none-normal");
  MoveTo(l, 2, 2);
  EXPECT_TRUE(l->MouseIn());
  EXPECT_TRUE(Shows(l, kBlue));
  Gallery(l, "bsSkinCtrls", "none-hot");
  MoveTo(form, 2, 200);
  EXPECT_FALSE(Shows(l, kBlue));
  // Empty, or a lone '&': still one line high.
  l->SetCaption("");
  EXPECT_EQ(l->Height(), h);
  l->SetCaption("&");
  EXPECT_EQ(l->Height(), h);
  l->SetCaption("Link");

  LoadTestSkin();
  l->SetSkinData(skin);
  xt::PumpUntilIdle();
  EXPECT_TRUE(Shows(l, SkinColour("fontcolor")));
  Gallery(l, "bsSkinCtrls", "test-normal");
  MoveTo(l, 2, 2);
  EXPECT_TRUE(Shows(l, SkinColour("activefontcolor")));
  Gallery(l, "bsSkinCtrls", "test-hot");
  MoveTo(form, 2, 200);
  LoadSecondSkin();
  EXPECT_EQ(l->SkinObjectIndex(), -1);
  EXPECT_TRUE(Shows(l, RGB(0, 0, 0)));
  Gallery(l, "bsSkinCtrls", "second-normal");
}

// ---- Button label ----------------------------------------------------------------------------------------

TEST_F(TextLabelTest, AButtonLabelShowsItsHotAndPressedCellsAndKeepsItsLookupUntilTold) {
  auto* l = new TbsSkinButtonLabel(form);
  l->SetParent(form);
  l->SetBounds(10, 10, 60, 30);
  int clicks = 0;
  l->OnClick = On<TNotifyEvent>([&](TObject*) { ++clicks; });
  TBitmap strip;
  strip.SetSize(32, 8);
  strip.Canvas()->Brush()->SetColor(clFuchsia);
  strip.Canvas()->FillRect(TRect(0, 0, 32, 8));
  const TColor cells[] = { clRed, clLime, clBlue, clYellow };
  for (int i = 0; i < 4; ++i) {
    strip.Canvas()->Brush()->SetColor(cells[i]);
    strip.Canvas()->FillRect(TRect(i * 8 + 1, 1, i * 8 + 7, 7));
  }
  l->SetGlyph(&strip);
  l->SetNumGlyphs(4);
  ShowUnfocused();
  const int cx = 30, cy = 15;
  EXPECT_EQ(Px(l, cx, cy), RGB(255, 0, 0));
  EXPECT_EQ(Px(l, 1, 1), Px(form, 5, form->ClientHeight() - 5));  // no background of its own
  MoveTo(l, 3, 3);
  EXPECT_EQ(Px(l, cx, cy), RGB(255, 255, 0));
  for (xt::Button button : { xt::mbLeft, xt::mbRight }) {
    SCOPED_TRACE(button);
    const TPoint p = At(l, 3, 3);
    xt::MouseDown(button, p.X, p.Y);
    EXPECT_TRUE(l->Pressed());
    EXPECT_EQ(Px(l, cx + 1, cy + 1), RGB(0, 0, 255));
    xt::MouseUp(button, p.X, p.Y);
    EXPECT_EQ(Px(l, cx, cy), RGB(255, 255, 0));
  }
  EXPECT_EQ(clicks, 1);  // only the left button clicks
  l->SetNumGlyphs(2);    // two cells of 16: hover shows cell 1, disabled cell 2
  EXPECT_EQ(Px(l, cx - 4, cy), RGB(255, 0, 0));
  MoveTo(form, 2, 200);
  l->SetEnabled(false);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(l, cx - 4, cy), RGB(0, 0, 255));  // cell 2 of the halved strip holds the third colour
  l->SetMargin(-2);
  EXPECT_EQ(l->Margin(), -1);

  // The skin is read when told, and kept until told again.
  LoadTestSkin();
  l->SetEnabled(true);
  l->SetCaption("Go");
  l->SetSkinData(skin);
  xt::PumpUntilIdle();
  EXPECT_GE(l->SkinObjectIndex(), 0);
  EXPECT_TRUE(Shows(l, SkinColour("fontcolor")));
  Gallery(l, "bsSkinCtrls", "test-normal");
  l->SetSkinDataName("nosuchlabel");
  l->Repaint();
  xt::PumpUntilIdle();
  EXPECT_GE(l->SkinObjectIndex(), 0);
  l->ChangeSkinData();
  EXPECT_EQ(l->SkinObjectIndex(), -1);
  EXPECT_TRUE(Shows(l, RGB(0, 0, 0)));
  Gallery(l, "bsSkinCtrls", "none-normal");
}
