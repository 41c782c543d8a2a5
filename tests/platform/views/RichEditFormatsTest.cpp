// Rich edits keep what they read: documents load with their character and paragraph formats (before
// or after the window exists), the selection's attributes read and change them, typing goes on in the
// format at the caret, undo and redo bring formats back, the edit's Font is the default format, and
// what is saved reads back equal.

#include <fstream>
#include <iterator>

#include "platform/vcl/ComCtrls.h"
#include "platform/win32/ctl/Rtf.h"
#include "tests/platform/stdctrls/StdCtrlsTestUtil.h"
#include "tests/platform/views/MemoTestUtil.h"

using namespace stdtest;
using xj::ctl::ReadRtf;
using xj::ctl::RichDocument;

namespace {

std::string Data(const char* name) {
  std::ifstream in(std::string(XJ_SOURCE_DIR) + "/tests/data/rtf/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class RichFormatsTest : public StdCtrlsTest {
 protected:
  TRichEdit* Shown() {
    auto* r = Add<TRichEdit>(10, 10, 360, 200);
    form->SetActiveControl(r);
    Show();
    return r;
  }
  static void Load(TRichEdit* r, const std::string& rtf) {
    TStringStream in(rtf);
    r->Lines()->LoadFromStream(&in);
  }
  static std::string Saved(TRichEdit* r) {
    TStringStream out;
    r->Lines()->SaveToStream(&out);
    return out.DataString();
  }
  // Selects the first `piece` of the text.
  static void Select(TRichEdit* r, const std::string& piece) {
    const size_t at = r->Text().find(piece);
    ASSERT_NE(at, std::string::npos) << piece << " in " << r->Text();
    r->SetSelStart(static_cast<int>(at));
    r->SetSelLength(static_cast<int>(piece.size()));
  }
  // The client point of a character (EM_POSFROMCHAR).
  static TPoint Where(TRichEdit* r, const std::string& piece) {
    const size_t at = r->Text().find(piece);
    EXPECT_NE(at, std::string::npos) << piece;
    const LRESULT p = r->Perform(EM_POSFROMCHAR, static_cast<WPARAM>(at), 0);
    return TPoint(static_cast<short>(LOWORD(p)), static_cast<short>(HIWORD(p)));
  }
  // How many pixels of a band of rows pass `test`.
  template <class Test>
  static int Count(TRichEdit* r, int top, int bottom, Test test) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = 0; x < r->ClientWidth(); ++x) n += test(Pixel(r, x, y)) ? 1 : 0;
    return n;
  }
  static bool Reddish(COLORREF c) { return GetRValue(c) > 160 && GetGValue(c) < 90 && GetBValue(c) < 90; }
  static bool Dark(COLORREF c) { return GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100; }
  // Both documents byte by byte: the character format and the paragraph format.
  static void ExpectSame(const std::string& a, const std::string& b) {
    RichDocument x, y;
    ASSERT_TRUE(ReadRtf(a, x));
    ASSERT_TRUE(ReadRtf(b, y));
    ASSERT_EQ(x.text, y.text);
    for (size_t i = 0; i < x.text.size(); ++i) {
      ASSERT_TRUE(x.rich.CharAt(i) == y.rich.CharAt(i)) << "byte " << i << " of " << x.text;
      ASSERT_TRUE(x.rich.ParaAt(i) == y.rich.ParaAt(i)) << "byte " << i << " of " << x.text;
    }
  }
};

TEST_F(RichFormatsTest, ALetterShowsItsFormatsThroughTheAttributesAndSavesBackEqual) {
  // Loaded before the window exists (as a form's constructor would), then shown.
  auto* rich = Add<TRichEdit>(10, 10, 360, 200);
  const std::string letter = Data("letter.rtf");
  Load(rich, letter);
  ExpectSame(Saved(rich), letter);  // saved again before the window comes: nothing lost either
  form->SetActiveControl(rich);
  Show();

  Select(rich, "Dear Customer");
  EXPECT_EQ(rich->SelAttributes()->Name(), "Arial");
  EXPECT_EQ(rich->SelAttributes()->Size(), 16);
  EXPECT_EQ(rich->SelAttributes()->Style(), TFontStyles() << fsBold);
  EXPECT_EQ(rich->SelAttributes()->Pitch(), fpVariable);
  EXPECT_EQ(rich->SelAttributes()->Color(), clWindowText);
  Select(rich, "Warning:");
  EXPECT_EQ(rich->SelAttributes()->Color(), clRed);
  // Bold stops inside, the colour does not.
  Select(rich, "Warning: unplug");
  const TConsistentAttributes same = rich->SelAttributes()->ConsistentAttributes();
  EXPECT_FALSE(same.Contains(caBold));
  EXPECT_TRUE(same.Contains(caColor));
  EXPECT_TRUE(same.Contains(caFace));
  Select(rich, "Yours");
  EXPECT_EQ(rich->Paragraph()->Alignment(), taCenter);
  EXPECT_EQ(rich->SelAttributes()->Style(), TFontStyles() << fsItalic);
  Select(rich, "Thank");
  EXPECT_EQ(rich->Paragraph()->Alignment(), taLeftJustify);

  ExpectSame(Saved(rich), letter);
  // And once more through a window that exists.
  rich->Lines()->Clear();
  Load(rich, Data("chinese.rtf"));
  ExpectSame(Saved(rich), Data("chinese.rtf"));
}

// Pictures to look at: build/tests/gallery/platform-richedit-letter.png and -bullets.png.
TEST_F(RichFormatsTest, EachRunIsDrawnInItsFontColourAndPlace) {
  TRichEdit* rich = Shown();
  Load(rich, Data("letter.rtf"));
  xt::PumpUntilIdle();
  memotest::Gallery(form, rich, "richedit", "letter");
  // The heading's row is as tall as its 16-point run; the body's rows are shorter.
  const int heading = Where(rich, "Thank").Y - Where(rich, "Dear").Y;
  const int body = Where(rich, "Warning").Y - Where(rich, "Thank").Y;
  EXPECT_GE(heading, 20);
  EXPECT_LT(body, heading);
  EXPECT_GE(body, 14);
  // The warning is red, and only the warning's row has red in it.
  const int warning = Where(rich, "Warning").Y;
  EXPECT_GT(Count(rich, warning, warning + body, Reddish), 20);
  EXPECT_EQ(Count(rich, 0, warning, Reddish), 0);
  // The signature is centred, the body left.
  EXPECT_GT(Where(rich, "Yours").X, 80);
  EXPECT_LE(Where(rich, "Thank").X, 2);
  // A click lands on the character under it, across fonts: after "Dear" in the heading's font.
  const TPoint after = Where(rich, " Customer");
  ClickAt(rich, after.X + 1, after.Y + heading / 2);
  EXPECT_EQ(rich->SelStart(), 4);

  Load(rich, Data("bullets.rtf"));
  xt::PumpUntilIdle();
  memotest::Gallery(form, rich, "richedit", "bullets");
  const TPoint item = Where(rich, "Check the cable");
  EXPECT_EQ(item.X, 48);  // \li720
  EXPECT_GT(Count(rich, item.Y, item.Y + 10, [&](COLORREF c) { return Dark(c); }), 0);
  const TPoint serial = Where(rich, "Serial"), date = Where(rich, "Date");
  EXPECT_EQ(serial.X, 96);  // \tx1440
  EXPECT_EQ(date.X, 192);   // \tx2880

  // Chinese in its own font, a blue word on a yellow highlight, the last paragraph to the right.
  Load(rich, Data("chinese.rtf"));
  xt::PumpUntilIdle();
  memotest::Gallery(form, rich, "richedit", "chinese");
  const TPoint marked = Where(rich, "中");
  const auto yellow = [](COLORREF c) { return c == RGB(255, 255, 0); };
  EXPECT_GT(Count(rich, marked.Y, marked.Y + 12, yellow), 20);
  EXPECT_EQ(Count(rich, 0, marked.Y, yellow), 0);
  EXPECT_GT(Where(rich, "完").X, 300);
}

TEST_F(RichFormatsTest, RowsWrapAndClicksLandAcrossRunsOfDifferentFonts) {
  TRichEdit* rich = Shown();
  std::string doc = "{\\rtf1{\\fonttbl{\\f1 DejaVu Serif;}}";
  for (int i = 0; i < 12; ++i) doc += i == 6 ? "{\\f1\\fs40 large words} " : "small words here ";
  Load(rich, doc + "}");
  xt::PumpUntilIdle();
  const int rows = static_cast<int>(rich->Perform(EM_GETLINECOUNT, 0, 0));
  ASSERT_GE(rows, 4);
  int lastTop = -1;
  std::vector<int> heights;
  for (int row = 0; row < rows; ++row) {
    SCOPED_TRACE(row);
    const int start = static_cast<int>(rich->Perform(EM_LINEINDEX, row, 0));
    const int length = static_cast<int>(rich->Perform(EM_LINELENGTH, start, 0));
    const LRESULT first = rich->Perform(EM_POSFROMCHAR, start, 0);
    const int top = static_cast<short>(HIWORD(first));
    EXPECT_GT(top, lastTop);
    lastTop = top;
    // The row's last letter ends inside the window, blanks aside.
    int last = start + length - 1;
    while (last > start && rich->Text()[static_cast<size_t>(last)] == ' ') --last;
    EXPECT_LT(static_cast<short>(LOWORD(rich->Perform(EM_POSFROMCHAR, last, 0))), rich->ClientWidth());
    // A click just right of the row's first letter, half-way down the row, lands after it.
    const int next =
        row + 1 < rows
            ? static_cast<short>(HIWORD(rich->Perform(EM_POSFROMCHAR, rich->Perform(EM_LINEINDEX, row + 1, 0), 0)))
            : top + 12;
    if (row + 1 < rows) heights.push_back(next - top);
    const int second = static_cast<short>(LOWORD(rich->Perform(EM_POSFROMCHAR, start + 1, 0)));
    ClickAt(rich, second - 1, (top + next) / 2);
    EXPECT_EQ(rich->SelStart(), start + 1);
  }
  // A row holding large words is taller than one of small words alone.
  EXPECT_GT(*std::max_element(heights.begin(), heights.end()), *std::min_element(heights.begin(), heights.end()) + 8);
}

TEST_F(RichFormatsTest, AJustifiedParagraphsRowsReachTheRightEdgeButItsLast) {
  TRichEdit* rich = Shown();
  std::string words;
  for (int i = 0; i < 40; ++i) words += i % 4 ? "ab " : "abcdefg ";
  Load(rich, "{\\rtf1\\qj " + words + "end\\par\\ql " + words + "}");
  xt::PumpUntilIdle();
  const int rows = static_cast<int>(rich->Perform(EM_GETLINECOUNT, 0, 0));
  const auto rightEdge = [&](int row) {  // where the row's last letter ends: at the blank after it
    const int start = static_cast<int>(rich->Perform(EM_LINEINDEX, row, 0));
    int end = start + static_cast<int>(rich->Perform(EM_LINELENGTH, start, 0));
    while (end > start && rich->Text()[static_cast<size_t>(end - 1)] == ' ') --end;
    return static_cast<int>(static_cast<short>(LOWORD(rich->Perform(EM_POSFROMCHAR, end, 0))));
  };
  const int endRow = static_cast<int>(rich->Perform(EM_LINEFROMCHAR, rich->Text().find("end"), 0));
  ASSERT_GE(endRow, 2);
  for (int row = 0; row < endRow; ++row) {
    EXPECT_GE(rightEdge(row), rich->ClientWidth() - 2) << row;
    EXPECT_LE(rightEdge(row), rich->ClientWidth()) << row;
  }
  // The last row keeps its blanks as they are (the test face's characters are 8 pixels wide).
  const size_t end = rich->Text().find("end"), before = rich->Text().rfind(' ', end - 2) + 1;
  const auto xOf = [&](size_t at) { return static_cast<short>(LOWORD(rich->Perform(EM_POSFROMCHAR, at, 0))); };
  EXPECT_EQ(xOf(end) - xOf(before), kCharW * static_cast<int>(end - before));
  EXPECT_GT(xOf(8), kCharW * 8) << "a justified row's first blank is wider";
  // Left-aligned, the same words leave the rows ragged; a click still lands where a letter shows.
  int ragged = 0;
  for (int row = endRow + 1; row + 1 < rows; ++row) ragged += rightEdge(row) < rich->ClientWidth() - 4;
  EXPECT_GT(ragged, 0);
  const int start = static_cast<int>(rich->Perform(EM_LINEINDEX, 1, 0));
  const int at = start + static_cast<int>(rich->Text().find(' ', static_cast<size_t>(start))) - start + 1;
  const LRESULT p = rich->Perform(EM_POSFROMCHAR, at, 0);
  ClickAt(rich, static_cast<short>(LOWORD(p)) + 1, static_cast<short>(HIWORD(p)) + 4);
  EXPECT_EQ(rich->SelStart(), at);
}

// Shift+Enter breaks the line inside its paragraph: the new row takes the paragraph's indent and
// alignment but not its first line's indent or bullet, and the caret walks across the break in one step.
// Picture to look at: build/tests/gallery/platform-richedit-breaks.png.
TEST_F(RichFormatsTest, ShiftEnterBreaksTheLineWithinItsParagraph) {
  TRichEdit* rich = Shown();
  Load(rich, "{\\rtf1\\pard\\li720\\fi720{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}Alpha\\par\\pard Gamma}");
  rich->SetSelStart(5);
  Press(VK_RETURN, xt::ssShift);
  Keys("beta");
  ASSERT_EQ(rich->Text(), "Alpha\r\nbeta\r\nGamma");  // as plain text, a line break
  ASSERT_EQ(rich->GetTextLen(), 18);
  EXPECT_EQ(rich->Perform(EM_GETLINECOUNT, 0, 0), 3);
  EXPECT_EQ(rich->Lines()->Count(), 3);
  EXPECT_EQ(rich->Lines()->Strings(0), "Alpha");  // without the break, as a wrapped row's
  const auto at = [&](int pos) {
    const LRESULT p = rich->Perform(EM_POSFROMCHAR, pos, 0);
    return TPoint(static_cast<short>(LOWORD(p)), static_cast<short>(HIWORD(p)));
  };
  const TPoint alpha = at(0), beta = at(6), gamma = at(12);
  EXPECT_EQ(alpha.X, 110);  // \\li720\\fi720 and a bullet's room
  EXPECT_EQ(beta.X, 48);    // \\li720 alone
  EXPECT_GT(beta.Y, alpha.Y);
  EXPECT_GT(gamma.Y, beta.Y);
  xt::PumpUntilIdle();
  memotest::Gallery(form, rich, "richedit", "breaks");
  const int row = beta.Y - alpha.Y;
  const auto darkIn = [&](int top, int left, int right) {  // dark pixels of a row between two x
    int n = 0;
    for (int y = top; y < top + row; ++y)
      for (int x = left; x < right; ++x) n += Dark(Pixel(rich, x, y)) ? 1 : 0;
    return n;
  };
  EXPECT_GT(darkIn(alpha.Y, 96, 110), 0);   // the bullet
  EXPECT_EQ(darkIn(beta.Y, 0, beta.X), 0);  // none before the second line
  EXPECT_GT(darkIn(beta.Y, beta.X, beta.X + 4 * kCharW), 20);

  // End stops before the break, Right crosses it in one step, a click past the row's end lands before it.
  rich->SetSelStart(0);
  Press(VK_END);
  EXPECT_EQ(rich->SelStart(), 5);
  Press(VK_RIGHT);
  EXPECT_EQ(rich->SelStart(), 6);
  Press(VK_UP);
  EXPECT_EQ(rich->SelStart(), 0);
  ClickAt(rich, 300, alpha.Y + row / 2);
  EXPECT_EQ(rich->SelStart(), 5);
  ClickAt(rich, beta.X + kCharW + 1, beta.Y + row / 2);
  EXPECT_EQ(rich->SelStart(), 7);
  // The selection reads as Text does, though the break is one position of it.
  rich->SetSelStart(3);
  rich->SetSelLength(6);
  EXPECT_EQ(rich->SelText(), "ha\r\nbet");
  EXPECT_EQ(static_cast<TCustomEdit*>(rich)->SelText(), "ha\r\nbet");

  // One paragraph: its alignment moves both lines; it is written as one, with the break inside.
  rich->Paragraph()->SetAlignment(taRightJustify);
  EXPECT_GT(at(0).X, 250);
  EXPECT_GT(at(6).X, 250);
  EXPECT_LT(at(12).X, 2);
  const std::string saved = Saved(rich);
  EXPECT_NE(saved.find("Alpha\\line beta\\par"), std::string::npos) << saved;
  RichDocument doc;
  ASSERT_TRUE(ReadRtf(saved, doc));
  EXPECT_EQ(doc.text, "Alpha\vbeta\r\nGamma");
  EXPECT_TRUE(doc.rich.ParaAt(0) == doc.rich.ParaAt(6));
  // Copied, it is a line break to other programs and a soft break again when pasted here.
  rich->SelectAll();
  Press('C', xt::ssCtrl);
  EXPECT_EQ(ClipboardText(), "Alpha\r\nbeta\r\nGamma");
  rich->SetSelStart(17);  // the end: positions count the soft break as one byte
  Press('V', xt::ssCtrl);
  EXPECT_EQ(rich->Perform(EM_GETLINECOUNT, 0, 0), 5);
  EXPECT_NE(Saved(rich).find("GammaAlpha\\line beta"), std::string::npos) << Saved(rich);
  Press('Z', xt::ssCtrl);
  // Backspace takes the break away: one row again.
  rich->SetSelStart(6);
  Press(VK_BACK);
  EXPECT_EQ(rich->Text(), "Alphabeta\r\nGamma");
  EXPECT_EQ(rich->Perform(EM_GETLINECOUNT, 0, 0), 2);
}

// Numbers are drawn where the first line's indent starts, counted on over the list and renumbered as
// it grows; EM_GETPARAFORMAT / EM_SETPARAFORMAT carry them. Picture to look at:
// build/tests/gallery/platform-richedit-numbered.png.
TEST_F(RichFormatsTest, NumberedParagraphsShowTheirNumbers) {
  TRichEdit* rich = Shown();
  std::string doc = "{\\rtf1\\pard\\fi-360\\li720{\\*\\pn\\pnlvlbody\\pnstart1\\pndec{\\pntxta.}}";
  for (int i = 1; i <= 9; ++i) doc += std::string(i > 1 ? "\\par " : "") + "Item";
  Load(rich, doc + "}");
  xt::PumpUntilIdle();
  const auto rowTop = [&](int row) {
    return static_cast<int>(
        static_cast<short>(HIWORD(rich->Perform(EM_POSFROMCHAR, rich->Perform(EM_LINEINDEX, row, 0), 0))));
  };
  // From the first dark pixel left of the text to the last: the test face's characters are blocks a
  // pixel in from each side of their cell.
  const auto numberWidth = [&](int row) {
    int left = -1, right = -1;
    for (int y = rowTop(row); y < rowTop(row) + 10; ++y)
      for (int x = 0; x < 48; ++x)
        if (Dark(Pixel(rich, x, y))) {
          left = left < 0 ? x : std::min(left, x);
          right = std::max(right, x);
        }
    return left < 0 ? 0 : right - left + 3;
  };
  for (int row = 0; row < 9; ++row) {
    SCOPED_TRACE(row);
    EXPECT_EQ(numberWidth(row), 2 * kCharW);  // "1." to "9."
    EXPECT_EQ(LOWORD(rich->Perform(EM_POSFROMCHAR, rich->Perform(EM_LINEINDEX, row, 0), 0)), 48);
  }
  // A new paragraph inside the list takes the next number and pushes the last one to "10.".
  rich->SetSelStart(static_cast<int>(rich->Perform(EM_LINEINDEX, 7, 0)) + 4);
  Press(VK_RETURN);
  Keys("New");
  xt::PumpUntilIdle();
  memotest::Gallery(form, rich, "richedit", "numbered");
  EXPECT_EQ(numberWidth(8), 2 * kCharW);
  EXPECT_EQ(numberWidth(9), 3 * kCharW);

  PARAFORMAT2 pf {};
  pf.cbSize = sizeof pf;
  rich->Perform(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
  EXPECT_EQ(pf.wNumbering, PFN_ARABIC);
  EXPECT_EQ(pf.wNumberingStart, 1);
  EXPECT_EQ(pf.wNumberingStyle, PFNS_PERIOD);
  EXPECT_TRUE(pf.dwMask & PFM_NUMBERINGSTYLE);
  // The class library's Numbering knows bullets alone: a numbered paragraph reads as none.
  EXPECT_EQ(rich->Paragraph()->Numbering(), nsNone);
  rich->SelectAll();
  pf.dwMask = PFM_NUMBERING | PFM_NUMBERINGSTART | PFM_NUMBERINGSTYLE;
  pf.wNumbering = PFN_UCROMAN;
  pf.wNumberingStart = 3;
  pf.wNumberingStyle = PFNS_PLAIN;
  rich->Perform(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
  xt::PumpUntilIdle();
  EXPECT_EQ(numberWidth(0), 3 * kCharW);  // III
  EXPECT_EQ(numberWidth(1), 2 * kCharW);  // IV
  EXPECT_NE(Saved(rich).find("{\\pntext XII\\tab}"), std::string::npos);
  rich->Paragraph()->SetNumbering(nsBullet);
  xt::PumpUntilIdle();
  EXPECT_EQ(rich->Paragraph()->Numbering(), nsBullet);
  EXPECT_EQ(numberWidth(0), numberWidth(9));
  EXPECT_LT(numberWidth(0), kCharW);
}

// Hostile documents through a shown edit: a hundred thousand faces each used once, groups nested a
// hundred thousand deep and never closed, a size of 2^31. Each loads, shows and keeps its formats.
TEST_F(RichFormatsTest, HostileDocumentsLoadAndShow) {
  TRichEdit* rich = Shown();
  std::string faces = "{\\rtf1{\\fonttbl", body;
  for (int i = 0; i < 100000; ++i) {
    faces += "{\\f" + std::to_string(i) + " Face" + std::to_string(i) + ";}";
    body += "{\\f" + std::to_string(i) + "\\fs" + std::to_string(2 + i % 3000) + " x}";
  }
  Load(rich, faces + "}" + body + "}");
  xt::PumpUntilIdle();
  ASSERT_EQ(rich->Text(), std::string(100000, 'x'));
  rich->SetSelStart(99999);
  rich->SetSelLength(1);
  EXPECT_EQ(rich->SelAttributes()->Name(), "Face99999");  // kept, though shown in the window's font
  EXPECT_GT(rich->Perform(EM_GETLINECOUNT, 0, 0), 100);

  Load(rich, "{\\rtf1 " + std::string(100000, '{') + "\\b\\fs2147483648 deep");
  xt::PumpUntilIdle();
  EXPECT_EQ(rich->Text(), "deep");
  rich->SetSelStart(0);
  rich->SetSelLength(4);
  EXPECT_EQ(rich->SelAttributes()->Size(), 1638);
  EXPECT_EQ(rich->SelAttributes()->Style(), TFontStyles() << fsBold);
  const std::string saved = Saved(rich);
  rich->Lines()->Clear();
  Load(rich, saved);
  ExpectSame(Saved(rich), saved);
}

TEST_F(RichFormatsTest, TypingGoesOnInTheFormatAtTheCaret) {
  TRichEdit* rich = Shown();
  Load(rich, "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}plain \\b bold\\b0  \\cf1 red}");
  ASSERT_EQ(rich->Text(), "plain bold red");
  Select(rich, "bold");
  rich->SetSelLength(0);
  rich->SetSelStart(rich->SelStart() + 4);  // after "bold"
  Keys("er");
  ASSERT_EQ(rich->Text(), "plain bolder red");
  Select(rich, "bolder");
  EXPECT_EQ(rich->SelAttributes()->Style(), TFontStyles() << fsBold);

  // A format chosen with nothing selected is what the next characters take, and only them.
  rich->SetSelStart(static_cast<int>(rich->Text().size()));
  rich->SelAttributes()->SetStyle(TFontStyles() << fsItalic);
  EXPECT_EQ(rich->SelAttributes()->Style(), TFontStyles() << fsItalic);
  Keys("xy");
  Select(rich, "redxy");
  EXPECT_FALSE(rich->SelAttributes()->ConsistentAttributes().Contains(caItalic));
  Select(rich, "xy");
  EXPECT_EQ(rich->SelAttributes()->Style(), TFontStyles() << fsItalic);
  EXPECT_EQ(rich->SelAttributes()->Color(), clRed);
  rich->SetSelStart(0);
  rich->SelAttributes()->SetStyle(TFontStyles() << fsUnderline);
  rich->SetSelStart(3);  // the caret moved: the format chosen is forgotten
  Keys("Q");
  Select(rich, "aQi");
  EXPECT_TRUE(rich->SelAttributes()->Style().Empty());

  // Typed over a selection, the text takes the format of what it replaces.
  Select(rich, "red");
  Keys("Z");
  Select(rich, "Z");
  EXPECT_EQ(rich->SelAttributes()->Color(), clRed);
}

TEST_F(RichFormatsTest, UndoAndRedoBringFormatsBack) {
  TRichEdit* rich = Shown();
  Load(rich, Data("letter.rtf"));
  const std::string before = Saved(rich);
  // Typed over: one step.
  Select(rich, "Warning: unplug");
  Keys("Note");
  EXPECT_NE(rich->Text().find("\nNote the line"), std::string::npos);
  rich->Undo();
  ExpectSame(Saved(rich), before);
  rich->Undo();  // redo
  EXPECT_NE(rich->Text().find("\nNote the line"), std::string::npos);
  Select(rich, "Note");
  EXPECT_EQ(rich->SelAttributes()->Color(), clRed);  // as the text it replaced began
  rich->Undo();
  ExpectSame(Saved(rich), before);
  Select(rich, "Warning: unplug");
  Press(VK_DELETE);
  rich->Undo();
  ExpectSame(Saved(rich), before);

  // Backspace and Delete runs, across a paragraph break, come back whole.
  Select(rich, "box.");
  rich->SetSelLength(0);
  rich->SetSelStart(rich->SelStart() + 4);
  for (int i = 0; i < 3; ++i) Press(VK_DELETE);  // the break and "Wa"
  for (int i = 0; i < 4; ++i) Press(VK_BACK);    // "box."
  rich->Undo();
  ExpectSame(Saved(rich), before);
}

TEST_F(RichFormatsTest, AChangeOfFormatIsAnUndoStepOfItsOwn) {
  TRichEdit* rich = Shown();
  Load(rich, Data("letter.rtf"));
  EXPECT_FALSE(rich->CanUndo()) << "a document read in is no step";
  Type("!");
  const std::string typed = Saved(rich);
  xt::PumpUntilIdle();
  const std::vector<COLORREF> look = xj::test::WindowPixels(rich->Handle(), false);
  // Over runs of three formats in three paragraphs: undone, redone, and a key typed next is a step.
  const std::string span = "Customer\r\nThank you for your order of the recorder box.\r\nWarning: unplug";
  Select(rich, span);
  rich->SelAttributes()->SetSize(24);
  const std::string changed = Saved(rich);
  Press('Z', xt::ssCtrl);
  ExpectSame(Saved(rich), typed);
  EXPECT_EQ(rich->SelText(), span);
  rich->SetSelStart(1);
  xt::PumpUntilIdle();
  EXPECT_EQ(xj::test::WindowPixels(rich->Handle(), false), look);
  Press('Z', xt::ssCtrl);
  Type("?");
  Press('Z', xt::ssCtrl);
  ExpectSame(Saved(rich), changed);
  // Paragraphs through the other messages; every character; the empty last paragraph's own format.
  Select(rich, "box.\r\nWarning");
  rich->Paragraph()->SetAlignment(taRightJustify);
  rich->Perform(WM_UNDO, 0, 0);
  ExpectSame(Saved(rich), changed);
  rich->Perform(EM_UNDO, 0, 0);
  EXPECT_EQ(rich->Paragraph()->Alignment(), taRightJustify);
  const std::string aligned = Saved(rich);
  CHARFORMATA red { sizeof red, CFM_COLOR, 0, 0, 0, RGB(200, 0, 0), 0, 0, {} };
  rich->Perform(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&red));
  Press('Z', xt::ssCtrl);
  ExpectSame(Saved(rich), aligned);
  rich->SetSelStart(static_cast<int>(rich->Text().size()));
  Press(VK_RETURN);
  rich->Paragraph()->SetNumbering(nsBullet);
  Press('Z', xt::ssCtrl);
  EXPECT_EQ(rich->Paragraph()->Numbering(), nsNone);
  // The default format is no step: an undo after it takes back the edit before, in the new default.
  rich->Lines()->SetText("one two");
  Select(rich, "two");
  Press(VK_DELETE);
  rich->DefAttributes()->SetSize(20);
  Press('Z', xt::ssCtrl);
  Select(rich, "one two");
  EXPECT_TRUE(rich->SelAttributes()->ConsistentAttributes().Contains(caSize));
  EXPECT_EQ(rich->SelAttributes()->Size(), 20);
}

TEST_F(RichFormatsTest, AChangeOfFormatOverTenThousandParagraphsUndoesWhole) {
  TRichEdit* rich = Shown();
  std::string doc = "{\\rtf1{\\colortbl;\\red0\\green0\\blue255;}";
  for (int i = 0; i < 10000; ++i) doc += i % 2 ? "\\b0\\cf0\\ql plain\\par " : "\\b\\cf1\\qc bold\\par ";
  Load(rich, doc + "}");
  const std::string before = Saved(rich);
  rich->SelectAll();
  rich->Paragraph()->SetAlignment(taRightJustify);
  const std::string after = Saved(rich);
  rich->Undo();
  ExpectSame(Saved(rich), before);
  rich->Undo();
  ExpectSame(Saved(rich), after);
}

// What the edit asks its parent about protected text, as the parent's notice carries it.
class ProtectProbe : public TRichEdit {
 public:
  using TRichEdit::TRichEdit;
  std::vector<ENPROTECTED> asked;
  void Dispatch(TMessage& Message) override {
    const auto* h = Message.Msg == CN_NOTIFY ? reinterpret_cast<const NMHDR*>(Message.LParam) : nullptr;
    if (h && h->code == EN_PROTECTED) asked.push_back(*reinterpret_cast<const ENPROTECTED*>(h));
    TRichEdit::Dispatch(Message);
  }
};

TEST_F(RichFormatsTest, AChangeOfFormatOverProtectedTextIsAskedFirst) {
  auto* rich = Add<ProtectProbe>(10, 10, 360, 200);
  Show();
  rich->Lines()->SetText("keep THIS safe\r\nnext");
  Select(rich, "THIS");
  rich->SelAttributes()->SetProtected(true);
  bool allow = false;
  rich->OnProtectChange = On<TRichEditProtectChange>([&](TObject*, int, int, bool& ok) { ok = allow; });
  const auto range = [](const ENPROTECTED& e) { return std::make_pair(e.chrg.cpMin, e.chrg.cpMax); };
  // Over part of it: asked with the range and the message, refused whole, and no step made.
  Select(rich, "p TH");
  CHARFORMATA bold { sizeof bold, CFM_BOLD, CFE_BOLD, 0, 0, 0, 0, 0, {} };
  EXPECT_EQ(rich->Perform(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&bold)), 0);
  ASSERT_EQ(rich->asked.size(), 1u);
  EXPECT_EQ(range(rich->asked[0]), std::make_pair(3, 7));
  EXPECT_EQ(rich->asked[0].msg, UINT(EM_SETCHARFORMAT));
  EXPECT_EQ(rich->asked[0].wParam, WPARAM(SCF_SELECTION));
  EXPECT_EQ(rich->asked[0].lParam, reinterpret_cast<LPARAM>(&bold));
  EXPECT_TRUE(rich->SelAttributes()->Style().Empty());
  EXPECT_TRUE(rich->SelAttributes()->ConsistentAttributes().Contains(caBold));
  rich->Undo();  // the protection's step
  Select(rich, "THIS");
  EXPECT_FALSE(rich->SelAttributes()->Protected());
  rich->Undo();
  Select(rich, "keep");  // beside it: not asked
  rich->SelAttributes()->SetStyle(TFontStyles() << fsBold);
  EXPECT_EQ(rich->SelAttributes()->Style(), TFontStyles() << fsBold);
  // Every character, the paragraph holding it, the paragraph after it (not asked).
  rich->asked.clear();
  CHARFORMATA red { sizeof red, CFM_COLOR, 0, 0, 0, RGB(200, 0, 0), 0, 0, {} };
  EXPECT_EQ(rich->Perform(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&red)), 0);
  rich->SetSelStart(6);
  rich->Paragraph()->SetAlignment(taCenter);
  Select(rich, "next");
  rich->Paragraph()->SetAlignment(taCenter);
  ASSERT_EQ(rich->asked.size(), 2u);
  EXPECT_EQ(range(rich->asked[0]), std::make_pair(0, 20));
  EXPECT_EQ(range(rich->asked[1]), std::make_pair(0, 16));
  EXPECT_EQ(rich->asked[1].msg, UINT(EM_SETPARAFORMAT));
  EXPECT_EQ(rich->SelAttributes()->Color(), clWindowText);
  EXPECT_EQ(rich->Paragraph()->Alignment(), taCenter);
  rich->SetSelStart(0);
  EXPECT_EQ(rich->Paragraph()->Alignment(), taLeftJustify);
  // The protection itself is the program's to change, unasked; allowed, a change goes through.
  rich->asked.clear();
  Select(rich, "p THIS s");
  rich->SelAttributes()->SetProtected(false);
  EXPECT_FALSE(rich->SelAttributes()->Protected());
  rich->SelAttributes()->SetProtected(true);
  EXPECT_TRUE(rich->asked.empty());
  allow = true;
  rich->SelAttributes()->SetStyle(TFontStyles() << fsItalic);
  EXPECT_EQ(rich->SelAttributes()->Style(), TFontStyles() << fsItalic);
  // A handler that edits the text overtakes the change it was asked about, which is dropped.
  rich->OnProtectChange = On<TRichEditProtectChange>([&](TObject*, int, int, bool& ok) {
    rich->SetText("gone");
    ok = true;
  });
  rich->SelAttributes()->SetStyle(TFontStyles() << fsUnderline);
  rich->SelectAll();
  EXPECT_TRUE(rich->SelAttributes()->Style().Empty());
}

TEST_F(RichFormatsTest, TheHighlightReadsAndSetsThroughTheSecondCharacterFormat) {
  TRichEdit* rich = Shown();
  Load(rich, Data("chinese.rtf"));
  const auto get = [rich](UINT size) {
    CHARFORMAT2A f {};
    f.cbSize = size;
    f.crBackColor = RGB(1, 2, 3);
    f.dwMask = static_cast<DWORD>(rich->Perform(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f)));
    return f;
  };
  Select(rich, "中 text");
  EXPECT_EQ(get(sizeof(CHARFORMAT2A)).crBackColor, RGB(255, 255, 0));
  EXPECT_EQ(get(sizeof(CHARFORMAT2A)).dwMask & CFM_BACKCOLOR, DWORD(CFM_BACKCOLOR));
  const CHARFORMAT2A first = get(sizeof(CHARFORMATA));  // no room for it: nothing written past its end
  EXPECT_EQ(first.dwMask, DWORD(CFM_ALL));
  EXPECT_EQ(first.crBackColor, RGB(1, 2, 3));
  Select(rich, "：中");  // highlighted in part
  EXPECT_EQ(get(sizeof(CHARFORMAT2A)).dwMask & (CFM_BACKCOLOR | CFM_FACE), DWORD(CFM_FACE));

  // Set and taken away through the second format, drawn behind the text; the first format's mask
  // bit alone reads nothing past its end and changes nothing.
  rich->Lines()->SetText("plain words here\r\nsecond");
  Select(rich, "words");
  CHARFORMAT2A green {};
  green.cbSize = sizeof green;
  green.dwMask = CFM_BACKCOLOR;
  green.crBackColor = RGB(0, 200, 0);
  EXPECT_NE(rich->Perform(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&green)), 0);
  CHARFORMATA none { sizeof none, CFM_BACKCOLOR, CFE_AUTOBACKCOLOR, 0, 0, 0, 0, 0, {} };
  rich->Perform(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&none));
  rich->SetSelStart(0);
  xt::PumpUntilIdle();
  const auto isGreen = [](COLORREF c) { return c == RGB(0, 200, 0); };
  const int second = Where(rich, "second").Y;
  EXPECT_GE(Count(rich, 0, second, isGreen), 5 * kCharW);
  EXPECT_EQ(Count(rich, second, rich->ClientHeight(), isGreen), 0);
  Select(rich, "words");
  green.dwEffects = CFE_AUTOBACKCOLOR;
  rich->Perform(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&green));
  EXPECT_TRUE(get(sizeof(CHARFORMAT2A)).dwEffects & CFE_AUTOBACKCOLOR);
  // Any other size is refused and changes nothing.
  green.dwEffects = 0;
  for (UINT size : { 0u, UINT(sizeof(CHARFORMATA) + 4), UINT(sizeof(CHARFORMAT2A) + 1) }) {
    green.cbSize = size;
    EXPECT_EQ(rich->Perform(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&green)), 0) << size;
    EXPECT_EQ(rich->Perform(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&green)), 0) << size;
  }
  EXPECT_TRUE(get(sizeof(CHARFORMAT2A)).dwEffects & CFE_AUTOBACKCOLOR);
}

TEST_F(RichFormatsTest, CopyCutAndPasteKeepFormatsWithinTheProgram) {
  TRichEdit* rich = Shown();
  Load(rich, Data("letter.rtf"));
  Select(rich, "Warning: unplug");
  Press('C', xt::ssCtrl);
  EXPECT_EQ(ClipboardText(), "Warning: unplug");
  Select(rich, "Thank");
  Press('V', xt::ssCtrl);
  Select(rich, "Warning: unplug you");
  EXPECT_FALSE(rich->SelAttributes()->ConsistentAttributes().Contains(caColor));
  Select(rich, "Warning");
  EXPECT_EQ(rich->SelAttributes()->Color(), clRed);
  EXPECT_EQ(rich->SelAttributes()->Style(), TFontStyles() << fsBold);

  // Cut takes the formats along before the text goes.
  Select(rich, "Dear");
  Press('X', xt::ssCtrl);
  rich->SetSelStart(static_cast<int>(rich->Text().size()));
  Press('V', xt::ssCtrl);
  Select(rich, "Team\r\nDear");
  EXPECT_FALSE(rich->SelAttributes()->ConsistentAttributes().Contains(caBold));
  Select(rich, "Dear");
  EXPECT_EQ(rich->SelAttributes()->Size(), 16);
  EXPECT_EQ(rich->SelAttributes()->Style(), TFontStyles() << fsBold);

  // A paste the length limit cuts goes in once, cut.
  Select(rich, "Dear");
  Press('C', xt::ssCtrl);
  rich->SetMaxLength(static_cast<int>(rich->Text().size()) + 2);
  rich->SetSelStart(0);
  Press('V', xt::ssCtrl);
  EXPECT_EQ(rich->Text().substr(0, 6), "De Cus");
  rich->SetMaxLength(0);

  // Text put there by someone else is pasted in the format at the caret, the stale RTF ignored.
  SetClipboardText("plain");
  Select(rich, "sincerely");
  Press('V', xt::ssCtrl);
  Select(rich, "plain");
  EXPECT_EQ(rich->SelAttributes()->Style(), TFontStyles() << fsItalic);
  EXPECT_EQ(rich->SelAttributes()->Name(), "Times New Roman");
}

TEST_F(RichFormatsTest, ParagraphAttributesCoverTheParagraphsTheSelectionTouches) {
  TRichEdit* rich = Shown();
  rich->Lines()->SetText("one\r\ntwo\r\nthree");
  Select(rich, "ne\r\ntw");
  rich->Paragraph()->SetNumbering(nsBullet);
  rich->Paragraph()->SetFirstIndent(18);
  rich->Paragraph()->SetLeftIndent(12);
  rich->Paragraph()->SetRightIndent(5);
  rich->Paragraph()->SetAlignment(taRightJustify);
  rich->Paragraph()->SetTab(1, 100);
  rich->Paragraph()->SetTab(0, 40);
  EXPECT_EQ(rich->Paragraph()->TabCount(), 2);
  EXPECT_EQ(rich->Paragraph()->Tab(0), 40);
  EXPECT_EQ(rich->Paragraph()->Tab(1), 100);
  Select(rich, "two");
  EXPECT_EQ(rich->Paragraph()->Numbering(), nsBullet);
  EXPECT_EQ(rich->Paragraph()->FirstIndent(), 18);
  EXPECT_EQ(rich->Paragraph()->LeftIndent(), 12);
  EXPECT_EQ(rich->Paragraph()->RightIndent(), 5);
  EXPECT_EQ(rich->Paragraph()->Alignment(), taRightJustify);
  Select(rich, "three");
  EXPECT_EQ(rich->Paragraph()->Numbering(), nsNone);
  EXPECT_EQ(rich->Paragraph()->Alignment(), taLeftJustify);

  // Enter at the end of a bulleted paragraph makes another; the paragraph after keeps its own format.
  rich->SetSelStart(static_cast<int>(rich->Text().find("\r\nthree")));
  Press(VK_RETURN);
  Keys("new");
  Select(rich, "new");
  EXPECT_EQ(rich->Paragraph()->Numbering(), nsBullet);
  Select(rich, "three");
  EXPECT_EQ(rich->Paragraph()->Numbering(), nsNone);
  rich->SetSelLength(0);
  Keys("X");  // typed at a paragraph's start: the paragraph's own format, not the one before
  Select(rich, "Xthree");
  EXPECT_EQ(rich->Paragraph()->Numbering(), nsNone);

  // Saved and loaded, then the empty last paragraph's own format.
  const std::string saved = Saved(rich);
  rich->Lines()->Clear();
  Load(rich, saved);
  Select(rich, "new");
  EXPECT_EQ(rich->Paragraph()->TabCount(), 2);
  ExpectSame(Saved(rich), saved);
  rich->SetSelStart(static_cast<int>(rich->Text().size()));
  Press(VK_RETURN);
  rich->Paragraph()->SetAlignment(taCenter);
  Select(rich, "three");
  EXPECT_EQ(rich->Paragraph()->Alignment(), taLeftJustify);
  rich->SetSelStart(static_cast<int>(rich->Text().size()));
  EXPECT_EQ(rich->Paragraph()->Alignment(), taCenter);
}

TEST_F(RichFormatsTest, TheFontIsTheDefaultFormatAndTextInItFollows) {
  TRichEdit* rich = Shown();
  Load(rich, "{\\rtf1\\ansi{\\fonttbl{\\f1 Arial;}}plain {\\f1\\b arial}}");  // no font of its own for "plain"
  rich->Font()->SetName("Courier New");
  rich->Font()->SetSize(14);
  rich->Font()->SetColor(clBlue);
  EXPECT_EQ(rich->DefAttributes()->Name(), "Courier New");
  EXPECT_EQ(rich->DefAttributes()->Size(), 14);
  EXPECT_EQ(rich->DefAttributes()->Color(), clBlue);
  Select(rich, "plain");
  EXPECT_EQ(rich->SelAttributes()->Name(), "Courier New");
  EXPECT_EQ(rich->SelAttributes()->Color(), clBlue);
  Select(rich, "arial");  // a face of its own stays
  EXPECT_EQ(rich->SelAttributes()->Name(), "Arial");
  EXPECT_EQ(rich->SelAttributes()->Style(), TFontStyles() << fsBold);

  // The attributes copy to and from fonts.
  std::unique_ptr<TFont> font = std::make_unique<TFont>();
  font->Assign(rich->SelAttributes());
  EXPECT_EQ(font->Name(), "Arial");
  EXPECT_EQ(font->Style(), TFontStyles() << fsBold);
  font->SetName("Times New Roman");
  font->SetStyle(TFontStyles() << fsStrikeOut);
  font->SetSize(20);
  rich->SelAttributes()->Assign(font.get());
  EXPECT_EQ(rich->SelAttributes()->Name(), "Times New Roman");
  EXPECT_EQ(rich->SelAttributes()->Size(), 20);
  EXPECT_EQ(rich->SelAttributes()->Height(), 27);  // 20 points at 96 pixels an inch
  EXPECT_EQ(rich->SelAttributes()->Style(), TFontStyles() << fsStrikeOut);

  // The default format set apart from the Font shows as set.
  rich->Font()->SetColor(clWindowText);
  rich->Lines()->SetText("plain words in the default format");
  xt::PumpUntilIdle();
  const int before = Count(rich, 0, 20, Dark);
  rich->DefAttributes()->SetStyle(TFontStyles() << fsBold);
  xt::PumpUntilIdle();
  EXPECT_GT(before, 50);
  EXPECT_GT(Count(rich, 0, 20, Dark), before * 11 / 10);
}

TEST_F(RichFormatsTest, TheSelectionStreamsOutAndInWithItsFormats) {
  TRichEdit* rich = Shown();
  Load(rich, Data("letter.rtf"));
  Select(rich, "Warning: unplug");
  std::string out;
  EDITSTREAM es { reinterpret_cast<DWORD_PTR>(&out), 0, [](DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* done) -> DWORD {
                   reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<char*>(buf), cb);
                   *done = cb;
                   return 0;
                 } };
  rich->Perform(EM_STREAMOUT, SF_RTF | SFF_SELECTION, reinterpret_cast<LPARAM>(&es));
  RichDocument piece;
  ASSERT_TRUE(ReadRtf(out, piece));
  EXPECT_EQ(piece.text, "Warning: unplug");
  EXPECT_TRUE(piece.rich.CharAt(0).bold);
  EXPECT_FALSE(piece.rich.CharAt(9).bold);
  EXPECT_EQ(piece.rich.CharAt(9).color, 0x0000FFu);

  // Put back over "Thank", it brings its formats; the rest keeps its own.
  Select(rich, "Thank");
  struct Feed {
    std::string data;
    size_t at = 0;
  } feed { out };
  EDITSTREAM in { reinterpret_cast<DWORD_PTR>(&feed), 0, [](DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* got) -> DWORD {
                   auto* f = reinterpret_cast<Feed*>(cookie);
                   const size_t n = std::min<size_t>(f->data.size() - f->at, 7);  // in small pieces
                   memcpy(buf, f->data.data() + f->at, std::min<size_t>(n, cb));
                   f->at += n;
                   *got = static_cast<LONG>(n);
                   return 0;
                 } };
  EXPECT_EQ(rich->Perform(EM_STREAMIN, SF_RTF | SFF_SELECTION, reinterpret_cast<LPARAM>(&in)), 15);
  Select(rich, "Warning: unplug you");
  EXPECT_FALSE(rich->SelAttributes()->ConsistentAttributes().Contains(caColor));
  Select(rich, "Warning");
  EXPECT_EQ(rich->SelAttributes()->Color(), clRed);
  Select(rich, " you for");
  EXPECT_EQ(rich->SelAttributes()->Color(), clWindowText);
}

}  // namespace
