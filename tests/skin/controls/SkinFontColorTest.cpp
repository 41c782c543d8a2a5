// The colour and font combos as a user and the program see them: the colour list by every ExStyle
// group (pretty names, the none and default entries, the custom item), Selected with and without the
// custom item, a custom colour picked in the colour dialog from the list and by Enter (cancelled too),
// the swatches; the font list from the fonts this machine has, filtered by every option, the printer
// devices, FontName matching without case, names that are not installed, one OnChange per change, the
// TrueType mark; three looks of both and a form round trip.

#include <set>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Messages.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/data/bsUtils.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"
#include "tests/support/GalleryPng.h"

using namespace skinctl;

namespace {

class FontColorTest : public SkinControlsTest {
 protected:
  template <class C>
  C* NewCombo(int l, int t, int w = 160) {
    auto* c = new C(form);
    c->SetParent(form);
    c->SetBounds(l, t, w, 20);
    return c;
  }
  static std::vector<std::string> Names(TbsSkinCustomComboBox* c) {
    std::vector<std::string> names;
    for (int i = 0; i < c->Items()->Count(); ++i) names.push_back(c->Items()->Strings(i));
    return names;
  }
  // Opens the list by its button and releases the mouse over item Index.
  static void PickFromList(TbsSkinCustomComboBox* c, int Index) {
    ClickAt(c, c->Width() - 8, 10);
    ASSERT_TRUE(c->IsPopupVisible());
    TbsListBox* list = c->PopupList()->ListBox();
    list->Perform(LB_SETTOPINDEX, Index, 0);
    const TRect r = list->ItemRect(Index);
    ClickAt(list, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    xt::PumpUntilIdle();
  }
  // Events in the order they fired.
  void Watch(TbsSkinCustomComboBox* c) {
    c->OnChange = On<TNotifyEvent>([this](TObject*) { events += "change;"; });
    c->OnClick = On<TNotifyEvent>([this](TObject*) { events += "click;"; });
  }
  // The colour dialog, answered by typing R, G, B and confirming (or cancelling); records what it opened
  // with.
  void AnswerColour(int R, int G, int B, bool Confirm = true) {
    xt::AnswerModal([=, this](const xt::ModalRecord& r) -> LONG_PTR {
      ++dialogs;
      auto* f = dynamic_cast<TCustomForm*>(FindControl(r.hwnd));
      if (!f) return mrCancel;
      auto edit = [f](const char* name) { return dynamic_cast<TEdit*>(f->FindComponent(name)); };
      opened = edit("RedEdit")->Text() + "," + edit("GreenEdit")->Text() + "," + edit("BlueEdit")->Text();
      auto* custom = dynamic_cast<TWinControl*>(f->FindComponent("CustomColors"));
      slotA = custom ? xt::ReadPixel(custom->Handle(), 13, 11) : 0;
      if (!Confirm) return mrCancel;
      const int rgb[3] = { R, G, B };
      const char* names[3] = { "RedEdit", "GreenEdit", "BlueEdit" };
      for (int i = 0; i < 3; ++i) {
        ClickAt(edit(names[i]), 5, 5);
        edit(names[i])->SelectAll();
        xt::TypeText(std::to_string(rgb[i]));
      }
      xt::KeyDown(VK_RETURN, xt::ssNone, false);
      xt::KeyUp(VK_RETURN, xt::ssNone, false);
      return xt::kKeepOpen;
    });
  }

  std::string events;
  int dialogs {};
  std::string opened;
  COLORREF slotA {};
};

class TFontColorForm : public TForm {
  XJ_CLASS(TFontColorForm, TForm)
 public:
  explicit TFontColorForm(TComponent* AOwner) : TForm(AOwner) {}
};

}  // namespace

TEST_F(FontColorTest, TheColourListFollowsEveryExStyleGroup) {
  auto* c = NewCombo<TbsSkinColorComboBox>(10, 10);
  c->SetSelected(clRed);
  EXPECT_EQ(c->Selected(), clRed);
  ShowUnfocused();
  // The default groups: 41 entries, the none entry left out; the selection made before the window.
  EXPECT_EQ(c->Items()->Count(), 41);
  EXPECT_EQ(Names(c).front(), "clBlack");
  EXPECT_EQ(Names(c).back(), "clInfoBk");
  EXPECT_EQ(c->Text(), "clRed");
  EXPECT_EQ(c->Selected(), clRed);

  struct Case {
    TbsColorBoxStyle style;
    int count;
    const char *first, *second, *last;
  };
  const Case cases[] = {
    { { bscbStandardColors }, 16, "clBlack", "clMaroon", "clWhite" },
    { { bscbStandardColors, bscbCustomColor, bscbPrettyNames }, 17, "Custom...", "Black", "White" },
    { { bscbSystemColors, bscbIncludeNone }, 22, "clMenu", "clWindow", "clNone" },
    // The "extended" group is the first four system colours of the table; clDefault is not in it.
    { { bscbExtendedColors, bscbIncludeDefault }, 4, "clScrollBar", "clBackground", "clInactiveCaption" },
    { { bscbSystemColors, bscbPrettyNames }, 21, "Menu", "Window", "Info Bk" },
  };
  for (const Case& k : cases) {
    c->SetExStyle(k.style);
    const auto names = Names(c);
    ASSERT_EQ(int(names.size()), k.count) << k.first;
    EXPECT_EQ(names[0], k.first);
    EXPECT_EQ(names[1], k.second);
    EXPECT_EQ(names.back(), k.last);
    EXPECT_TRUE(c->Enabled());
    EXPECT_NE(c->ItemIndex(), -1) << k.first;  // a refill leaves something selected
  }
  const auto pretty = Names(c);
  EXPECT_NE(std::find(pretty.begin(), pretty.end(), "Btn Face"), pretty.end());
  EXPECT_NE(std::find(pretty.begin(), pretty.end(), "Inactive Caption Text"), pretty.end());
  EXPECT_NE(std::find(pretty.begin(), pretty.end(), "3 D Dk Shadow"), pretty.end());
  EXPECT_EQ(c->GetColor(int(std::find(pretty.begin(), pretty.end(), "Btn Face") - pretty.begin())), clBtnFace);
  // No group and no custom item: empty and disabled.
  c->SetExStyle({ bscbPrettyNames });
  EXPECT_EQ(c->Items()->Count(), 0);
  EXPECT_FALSE(c->Enabled());
  EXPECT_EQ(c->Selected(), bsNoColorSelected);
}

TEST_F(FontColorTest, SelectedFindsColoursAndTheCustomItemTakesTheRest) {
  auto* c = NewCombo<TbsSkinColorComboBox>(10, 10);
  ShowUnfocused();
  c->SetSelected(clTeal);
  EXPECT_EQ(c->Text(), "clTeal");
  // Not in the list, no custom item: nothing selected.
  c->SetSelected(0x123456);
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(c->Selected(), bsNoColorSelected);

  // The custom item (black after construction) shadows the named black.
  auto* d = NewCombo<TbsSkinColorComboBox>(10, 40);
  d->SetExStyle({ bscbStandardColors, bscbCustomColor });
  xt::PumpUntilIdle();
  EXPECT_EQ(d->ItemIndex(), 0);
  EXPECT_EQ(d->Text(), "Custom...");
  EXPECT_EQ(d->Selected(), clBlack);

  c->SetExStyle({ bscbStandardColors, bscbCustomColor });
  c->SetSelected(clMaroon);
  EXPECT_EQ(c->ItemIndex(), 2);
  c->SetSelected(0x123456);
  EXPECT_EQ(c->ItemIndex(), 0);
  EXPECT_EQ(c->GetColor(0), 0x123456);
  EXPECT_EQ(c->Selected(), 0x123456);
  // The custom colour survives a refill.
  c->SetExStyle({ bscbStandardColors, bscbCustomColor, bscbPrettyNames });
  EXPECT_EQ(c->GetColor(0), 0x123456);
  EXPECT_EQ(c->GetColorName(1), "Black");
  c->SetSelected(clWhite);
  EXPECT_EQ(c->Text(), "White");
}

TEST_F(FontColorTest, ACustomColourIsPickedInTheColourDialogFromTheListOrByEnter) {
  auto* c = NewCombo<TbsSkinColorComboBox>(10, 10);
  c->SetExStyle({ bscbStandardColors, bscbCustomColor });
  ShowUnfocused();
  c->SetSelected(0x00FF8040);  // into the custom item
  c->SetSelected(clNavy);
  Watch(c);

  // Choosing "Custom..." in the list opens the dialog on the custom colour; confirming red stores it,
  // after the list's own selection events.
  AnswerColour(255, 0, 0);
  PickFromList(c, 0);
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(opened, "64,128,255");
  EXPECT_EQ(slotA, COLORREF(RGB(64, 128, 255)));
  EXPECT_EQ(c->GetColor(0), clRed);
  EXPECT_EQ(c->Selected(), clRed);
  EXPECT_EQ(events, "change;click;click;change;");
  EXPECT_EQ(c->Text(), "Custom...");

  // Enter with the list closed on the custom item: the dialog again; cancelled, nothing changes.
  events.clear();
  c->SetFocus();
  xt::PumpUntilIdle();
  AnswerColour(0, 0, 0, false);
  Press(VK_RETURN);
  EXPECT_EQ(dialogs, 2);
  EXPECT_EQ(c->GetColor(0), clRed);
  EXPECT_EQ(events, "");

  // Enter with the list open and the custom item under the keyboard: the list closes with acceptance and
  // the dialog runs once.
  c->SetItemIndex(3);
  events.clear();
  Press(VK_DOWN, xt::ssAlt);
  ASSERT_TRUE(c->IsPopupVisible());
  for (int i = 0; i < 3; ++i) xt::Wheel(120);  // the open list's selection moves, nothing is taken yet
  ASSERT_EQ(c->PopupList()->ItemIndex(), 0);
  EXPECT_EQ(c->Text(), "clGreen");
  AnswerColour(0, 255, 0);
  Press(VK_RETURN);
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(dialogs, 3);
  EXPECT_EQ(c->GetColor(0), clLime);
  EXPECT_EQ(c->ItemIndex(), 0);

  // The program frees the combo while its dialog is open: nothing touches it afterwards.
  const auto life = c->LifeToken();
  xt::AnswerModal([&](const xt::ModalRecord&) -> LONG_PTR {
    delete c;
    return mrOk;
  });
  Press(VK_RETURN);
  EXPECT_TRUE(life.expired());
  EXPECT_EQ(dialogs, 3);
  EXPECT_EQ(xt::UnscriptedModals(), 0);
}

TEST_F(FontColorTest, SwatchesWithAndWithoutNamesAndTheNoneColour) {
  auto* c = NewCombo<TbsSkinColorComboBox>(10, 10);
  auto* bare = NewCombo<TbsSkinColorComboBox>(10, 40);
  auto* none = NewCombo<TbsSkinColorComboBox>(10, 70);
  bare->SetShowNames(false);
  none->SetExStyle({ bscbSystemColors, bscbIncludeNone });
  ShowUnfocused();
  c->SetSelected(clRed);
  bare->SetSelected(clBlue);
  xt::PumpUntilIdle();
  // The face's text rectangle starts two pixels into the face (2, 2, ...): the swatch one more in.
  const TRect face = c->FaceRect();
  const int h = RectHeight(face);
  EXPECT_EQ(Px(c, face.Left + 3, face.Top + 1), COLORREF(RGB(255, 0, 0)));
  EXPECT_EQ(Px(c, face.Left + 2 + h - 2, face.Top + h / 2), COLORREF(RGB(255, 0, 0)));
  EXPECT_NE(Px(c, face.Left + 2 + h - 1, face.Top + h / 2), COLORREF(RGB(255, 0, 0)));
  EXPECT_NE(Px(c, face.Left + 2, face.Top + h / 2), COLORREF(RGB(255, 0, 0)));
  // Without names the swatch fills the text rectangle from one pixel inside.
  const TRect bf = bare->FaceRect();
  EXPECT_EQ(Px(bare, bf.Left + 3, bf.Top + 1), COLORREF(RGB(0, 0, 255)));
  EXPECT_EQ(Px(bare, bf.Right - 4, bf.Bottom - 2), COLORREF(RGB(0, 0, 255)));
  EXPECT_NE(Px(bare, bf.Right - 3, bf.Bottom - 2), COLORREF(RGB(0, 0, 255)));
  Gallery(c, "bsSkinBoxCtrls", "default");
  // The none colour paints no swatch: the face's background shows.
  none->SetSelected(clNone);
  xt::PumpUntilIdle();
  EXPECT_EQ(none->Text(), "clNone");
  EXPECT_EQ(Px(none, face.Left + 5, face.Top + h / 2), Px(none, face.Right - 3, face.Top + h / 2));
  none->SetSelected(clHighlight);
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(none, face.Left + 5, face.Top + h / 2), GetSysColor(COLOR_HIGHLIGHT));
}

TEST_F(FontColorTest, ThreeLooksOfBothCombosAndTheirOpenLists) {
  auto* colour = NewCombo<TbsSkinColorComboBox>(10, 10);
  auto* font = NewCombo<TbsSkinFontComboBox>(10, 50, 200);
  ShowUnfocused();
  colour->SetSelected(clFuchsia);
  font->SetFontName("DejaVu Serif");
  xt::PumpUntilIdle();
  Gallery(font, "bsSkinBoxCtrls", "default");
  const TRect face = colour->FaceRect();

  for (TbsSkinCustomComboBox* c :
       { static_cast<TbsSkinCustomComboBox*>(colour), static_cast<TbsSkinCustomComboBox*>(font) })
    c->SetSkinData(LoadTestSkin());
  xt::PumpUntilIdle();
  const uint8_t owner = OwnerOf("combobox");
  EXPECT_EQ(Code(colour, 0, 0).owner, owner);
  EXPECT_EQ(Code(font, 0, 0).owner, owner);
  const TRect sface = colour->FaceRect();
  EXPECT_EQ(Px(colour, sface.Left + 3, sface.Top + 2), COLORREF(RGB(255, 0, 255)));
  Gallery(colour, "bsSkinBoxCtrls", "skin");
  Gallery(font, "bsSkinBoxCtrls", "skin");
  // The open lists draw swatches and names in their own typefaces.
  ClickAt(font, font->Width() - 8, 10);
  ASSERT_TRUE(font->IsPopupVisible());
  xt::GalleryPng(font->PopupList()->Handle(), "bsSkinBoxCtrls-TbsSkinFontComboBox-list", true);
  Press(VK_ESCAPE);
  ClickAt(colour, colour->Width() - 8, 10);
  ASSERT_TRUE(colour->IsPopupVisible());
  xt::GalleryPng(colour->PopupList()->Handle(), "bsSkinBoxCtrls-TbsSkinColorComboBox-list", true);
  Press(VK_ESCAPE);

  // The second skin has no combo record: the default look comes back.
  LoadSecondSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(colour->SkinObjectIndex(), -1);
  EXPECT_EQ(colour->FaceRect(), face);
  EXPECT_EQ(Px(colour, face.Left + 3, face.Top + 2), COLORREF(RGB(255, 0, 255)));
  EXPECT_EQ(font->Text(), "DejaVu Serif");
  Gallery(colour, "bsSkinBoxCtrls", "second");
}

namespace {

struct Reported {
  std::string name;
  BYTE charset;
  BYTE pitch;
  DWORD type;
};

int CALLBACK Collect(const tagLOGFONTA* lf, const tagTEXTMETRICA*, DWORD type, LPARAM data) {
  reinterpret_cast<std::vector<Reported>*>(data)->push_back(
      { lf->lfFaceName, lf->lfCharSet, lf->lfPitchAndFamily, type });
  return 1;
}

// What the screen reports, one entry per family and character set, in the order reported.
std::vector<Reported> ScreenFonts() {
  std::vector<Reported> all;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesA(dc, nullptr, &Collect, reinterpret_cast<LPARAM>(&all));
  ReleaseDC(nullptr, dc);
  return all;
}

}  // namespace

TEST_F(FontColorTest, TheFontListHoldsTheMachinesFamiliesFilteredByEveryOption) {
  auto* c = NewCombo<TbsSkinFontComboBox>(10, 10, 200);
  ShowUnfocused();
  const std::vector<Reported> screen = ScreenFonts();
  ASSERT_FALSE(screen.empty());
  // Each option alone, and the contradictory pair: exactly the families whose first report passes,
  // sorted, each once, with its type bits and the not-symbol mark.
  using Pass = bool (*)(const Reported&);
  struct Case {
    TbsFontListOptions options;
    Pass pass;
  };
  const Case cases[] = {
    { {}, [](const Reported&) { return true; } },
    { { foAnsiOnly }, [](const Reported& r) { return r.charset == ANSI_CHARSET; } },
    { { foTrueTypeOnly }, [](const Reported& r) { return (r.type & TRUETYPE_FONTTYPE) != 0; } },
    { { foFixedPitchOnly }, [](const Reported& r) { return (r.pitch & FIXED_PITCH) != 0; } },
    { { foNoOEMFonts }, [](const Reported& r) { return r.charset != OEM_CHARSET; } },
    { { foOEMFontsOnly }, [](const Reported& r) { return r.charset == OEM_CHARSET; } },
    { { foScalableOnly }, [](const Reported& r) { return (r.type & RASTER_FONTTYPE) == 0; } },
    { { foNoSymbolFonts }, [](const Reported& r) { return r.charset != SYMBOL_CHARSET; } },
    { { foNoOEMFonts, foOEMFontsOnly }, [](const Reported&) { return false; } },
  };
  for (const Case& k : cases) {
    c->SetOptions(k.options);
    std::vector<std::string> expected;
    std::map<std::string, uint32_t> bits;
    std::set<std::string> seen;
    for (const Reported& r : screen) {
      std::string folded = r.name;
      for (char& ch : folded) ch = char(std::tolower(static_cast<unsigned char>(ch)));
      if (seen.count(folded) || !k.pass(r)) continue;
      seen.insert(folded);
      expected.push_back(r.name);
      bits[r.name] = r.type | (r.charset != SYMBOL_CHARSET ? 0x100 : 0);
    }
    std::sort(expected.begin(), expected.end(),
              [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
    EXPECT_EQ(Names(c), expected) << &k - cases;
    for (int i = 0; i < c->Items()->Count(); ++i)
      EXPECT_EQ(uint32_t(reinterpret_cast<uintptr_t>(c->Items()->Objects(i))), bits[c->Items()->Strings(i)]);
  }
  c->SetOptions({});
  const auto all = Names(c);
  for (const char* family : { "DejaVu Sans", "DejaVu Sans Mono", "DejaVu Serif" })
    EXPECT_NE(std::find(all.begin(), all.end(), family), all.end()) << family;
  c->SetTrueTypeOnly(true);
  EXPECT_EQ(c->Options(), TbsFontListOptions { foTrueTypeOnly });
  EXPECT_FALSE(Names(c).empty());
  c->SetTrueTypeOnly(false);
  // No printer here: both devices list the screen's families, the printer alone none, and no error.
  c->SetDevice(fdBoth);
  EXPECT_EQ(Names(c), all);
  c->SetDevice(fdPrinter);
  EXPECT_EQ(c->Items()->Count(), 0);
  c->SetDevice(fdScreen);
  EXPECT_EQ(Names(c), all);
}

TEST_F(FontColorTest, FontNameSelectsWithoutCaseAndReportsEachChangeOnce) {
  auto* c = NewCombo<TbsSkinFontComboBox>(10, 10, 200);
  c->SetFontName("dejavu sans mono");
  ShowUnfocused();
  // Looked up in the list: the list's spelling, selected.
  EXPECT_EQ(c->FontName(), "DejaVu Sans Mono");
  ASSERT_NE(c->ItemIndex(), -1);
  Watch(c);
  int changes = 0;
  c->OnChange = On<TNotifyEvent>([&](TObject*) {
    ++changes;
    events += "change(" + c->FontName() + ");";
  });

  c->SetFontName("DEJAVU SERIF");
  EXPECT_EQ(c->FontName(), "DejaVu Serif");
  EXPECT_EQ(c->Items()->Strings(c->ItemIndex()), "DejaVu Serif");
  EXPECT_EQ(changes, 1);
  c->SetFontName("DejaVu Serif");  // the same name: nothing
  c->SetFontName("dejavu serif");  // the same family: selected again, but the name did not change
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(c->FontName(), "DejaVu Serif");

  // A name that is not installed: no selection, the old text stays, no change reported.
  c->SetFontName("No Such Font 42");
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(c->FontName(), "DejaVu Serif");
  EXPECT_EQ(changes, 1);

  // Picked by the user in the list: one change.
  const int monoIndex = c->Items()->IndexOf("DejaVu Sans Mono");
  ASSERT_GE(monoIndex, 0);
  events.clear();
  PickFromList(c, monoIndex);
  EXPECT_EQ(c->FontName(), "DejaVu Sans Mono");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(events, "change(DejaVu Sans Mono);click;");

  // A rebuild that keeps the family is silent; the font change message rebuilds too.
  c->SetOptions({ foTrueTypeOnly });
  c->Perform(WM_FONTCHANGE, 0, 0);
  c->SetOptions({ foFixedPitchOnly });
  EXPECT_EQ(c->FontName(), "DejaVu Sans Mono");
  EXPECT_EQ(changes, 2);
  // One that loses it: the name the old place in the list now holds, reported once.
  c->SetOptions({});
  c->SetItemIndex(0);
  const std::string first = c->FontName();
  changes = 0;
  c->SetOptions({ foFixedPitchOnly });
  const auto mono = Names(c);
  ASSERT_FALSE(mono.empty());
  const bool kept = std::find(mono.begin(), mono.end(), first) != mono.end();
  EXPECT_EQ(c->FontName(), kept ? first : mono[0]);
  EXPECT_EQ(changes, kept ? 0 : 1);
  c->SetOptions({});
  EXPECT_EQ(c->FontName(), kept ? first : mono[0]);
  EXPECT_EQ(changes, kept ? 0 : 1);

  // In the edit style an unlisted name becomes the text, reported once.
  changes = 0;
  c->SetStyle(bscbEditStyle);
  c->SetFontName("No Such Font 42");
  EXPECT_EQ(c->FontName(), "No Such Font 42");
  EXPECT_EQ(changes, 1);
}

TEST_F(FontColorTest, TheTrueTypeMarkAndAFormRoundTripOfBoth) {
  TBitmap b;
  b.SetSize(12, 12);
  b.Canvas()->Brush()->SetColor(clWhite);
  b.Canvas()->FillRect(TRect(0, 0, 12, 12));
  TbsSkinFontComboBox::DrawTT(b.Canvas(), 1, 2, clBlack);
  std::string rows;
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 12; ++x) rows += b.Canvas()->Pixels(x, y) == clBlack ? '#' : '.';
    rows += '\n';
  }
  EXPECT_EQ(rows,
            "............\n"
            "............\n"
            ".########...\n"
            ".#..##..#...\n"
            ".#..##..#...\n"
            "....##......\n"
            "....##......\n"
            "....##......\n"
            "....##......\n"
            "....##......\n"
            "...####.....\n"
            "............\n");

  auto* a = new TFontColorForm(nullptr);
  Keep(a);
  auto* colour = new TbsSkinColorComboBox(a);
  colour->SetName("Colour1");
  colour->SetParent(a);
  colour->SetExStyle({ bscbStandardColors, bscbCustomColor, bscbPrettyNames });
  colour->SetShowNames(false);
  colour->SetSelected(0x0000FF);
  auto* font = new TbsSkinFontComboBox(a);
  font->SetName("Font1");
  font->SetParent(a);
  font->SetOptions({ foTrueTypeOnly, foNoSymbolFonts });
  font->SetFontName("DejaVu Sans Mono");
  font->SetUseFonts(true);
  const AnsiString text = WriteComponentResource(a);
  auto* b2 = new TFontColorForm(nullptr);
  Keep(b2);
  ReadComponentResource(b2, text);
  auto* c2 = dynamic_cast<TbsSkinColorComboBox*>(b2->FindComponent("Colour1"));
  auto* f2 = dynamic_cast<TbsSkinFontComboBox*>(b2->FindComponent("Font1"));
  ASSERT_TRUE(c2 && f2) << text;
  EXPECT_EQ(c2->ExStyle(), (TbsColorBoxStyle { bscbStandardColors, bscbCustomColor, bscbPrettyNames }));
  EXPECT_FALSE(c2->ShowNames());
  EXPECT_EQ(c2->Selected(), 0x0000FF);
  EXPECT_EQ(f2->Options(), (TbsFontListOptions { foTrueTypeOnly, foNoSymbolFonts }));
  EXPECT_EQ(f2->FontName(), "DejaVu Sans Mono");
  EXPECT_TRUE(f2->UseFonts());
  EXPECT_TRUE(f2->Sorted());
  EXPECT_EQ(text.find("TrueTypeOnly ="), AnsiString::npos);
  EXPECT_EQ(WriteComponentResource(b2), text);
}

// The index a form holds points into the list of the machine that wrote it, filtered by Options that may
// come after it: the name decides, read in either order. Index 4 of the unfiltered list is another family.
TEST_F(FontColorTest, AFormsFontNameWinsOverItsIndexReadInEitherOrder) {
  const char* const lines[] = { "    FontName = 'DejaVu Sans Mono'\n", "    ItemIndex = 4\n",
                                "    Options = [foFixedPitchOnly]\n" };
  for (bool reversed : { false, true }) {
    std::string text = "object FontColorForm: TFontColorForm\n  object Font1: TbsSkinFontComboBox\n";
    for (int i = 0; i < 3; ++i) text += lines[reversed ? 2 - i : i];
    text += "  end\nend\n";
    auto* f = new TFontColorForm(nullptr);
    Keep(f);
    f->HandleNeeded();
    ReadComponentResource(f, text.c_str());
    auto* c = dynamic_cast<TbsSkinFontComboBox*>(f->FindComponent("Font1"));
    ASSERT_NE(c, nullptr);
    c->HandleNeeded();
    EXPECT_EQ(c->FontName(), "DejaVu Sans Mono") << text;
    EXPECT_EQ(Names(c), std::vector<std::string> { "DejaVu Sans Mono" });
  }
}
