// Edits: GBK typing under MaxLength, OnChange for every kind of change, selection by mouse and keys,
// the clipboard from methods, keys and the context menu, read-only and password edits, letter case,
// AutoSelect, state kept across RecreateWnd, colours through CN_CTLCOLOREDIT, the disabled and flat
// looks, and the messages a WindowProc sees.

#include <cstring>

#include "tests/platform/stdctrls/StdCtrlsTestUtil.h"

using namespace stdtest;

namespace {

class EditTest : public StdCtrlsTest {
 protected:
  TEdit* NewEdit(int x = 10, int y = 10, int w = 200) {
    auto* e = Add<TEdit>(x, y, w);
    e->OnChange = On<TNotifyEvent>([this](TObject*) { ++changes; });
    return e;
  }
  TEdit* ShownEdit(const char* text = "") {
    TEdit* e = NewEdit();
    e->SetText(text);
    form->SetActiveControl(e);
    Show();
    changes = 0;
    return e;
  }
  // Screen point of the left edge of character I (test face: 8 pixels per byte; no margins).
  static TPoint CharAt(TEdit* e, int i) { return At(e, i * kCharW, 5); }

  int changes { 0 };
};

TEST_F(EditTest, TypingHonoursMaxLengthInBytesWithoutSplittingACharacter) {
  TEdit* edit = ShownEdit();
  edit->SetMaxLength(5);
  Type("ab中文cd");
  // "ab中" is 4 bytes; 文 would make 6; c makes 5; d is refused.
  EXPECT_EQ(edit->Text(), "ab中c");
  EXPECT_EQ(changes, 4);
  EXPECT_TRUE(edit->Modified());

  // The program is not limited (a serial number in a one-character edit stays whole).
  edit->SetText("0123456789");
  EXPECT_EQ(edit->Text(), "0123456789");
  EXPECT_EQ(changes, 5);
  edit->SetText("0123456789");  // the same text: no change
  EXPECT_EQ(changes, 5);
  EXPECT_EQ(edit->MaxLength(), 5);
}

TEST_F(EditTest, EveryKindOfChangeReachesOnChangeOnce) {
  TEdit* edit = ShownEdit("hello");
  SetClipboardText("XY");
  struct Step {
    const char* name;
    std::function<void()> act;
    const char* after;
  } steps[] = {
    { "typing", [] { Type("!"); }, "!" },  // the whole text was selected on entry
    { "Backspace", [] { Press(VK_BACK); }, "" },
    { "program text", [edit] { edit->SetText("abcdef"); }, "abcdef" },
    { "selected text",
      [edit] {
        edit->SetSelStart(1);
        edit->SetSelLength(2);
        edit->SetSelText("-");
      },
      "a-def" },
    { "Delete key",
      [] {
        Press(VK_HOME);
        Press(VK_DELETE);
      },
      "-def" },
    { "Ctrl+V", [] { Press('V', xt::ssCtrl); }, "XY-def" },
    { "Ctrl+Z", [] { Press('Z', xt::ssCtrl); }, "-def" },
    { "cut",
      [edit] {
        edit->SelectAll();
        edit->CutToClipboard();
      },
      "" },
    { "paste", [edit] { edit->PasteFromClipboard(); }, "-def" },
    { "undo", [edit] { edit->Undo(); }, "" },
    { "clear selection",
      [edit] {
        edit->SetText("xyz");
        edit->SelectAll();
        edit->ClearSelection();
      },
      "" },
  };
  int expected = 0;
  for (const Step& s : steps) {
    const int before = changes;
    s.act();
    xt::PumpUntilIdle();
    EXPECT_EQ(edit->Text(), s.after) << s.name;
    expected = std::string(s.name) == "clear selection" ? 2 : 1;
    EXPECT_EQ(changes - before, expected) << s.name;
  }
}

// The program's new text runs the change handler, which frees the edit: the setter stops there (the
// sanitizer build reports a touch of the freed edit).
TEST_F(EditTest, AnEditFreedByTheChangeItsNewTextMakesIsLeftAlone) {
  TEdit* edit = ShownEdit("hello");
  const auto life = edit->LifeToken();
  int freed = 0;
  edit->OnChange = On<TNotifyEvent>([&freed, edit](TObject*) {
    ++freed;
    delete edit;
  });
  edit->SetText("world");
  EXPECT_EQ(freed, 1);
  EXPECT_TRUE(life.expired());
}

TEST_F(EditTest, SelectingWithTheMouseAndTheKeyboard) {
  TEdit* edit = ShownEdit("hello world");
  const TPoint from = CharAt(edit, 0), to = CharAt(edit, 5);
  xt::Drag(from.X + 1, from.Y, to.X, to.Y);
  EXPECT_EQ(edit->SelStart(), 0);
  EXPECT_EQ(edit->SelLength(), 5);
  EXPECT_EQ(edit->SelText(), "hello");

  DoubleClickAt(edit, 8 * kCharW + 2, 5);  // inside "world"
  EXPECT_EQ(edit->SelText(), "world");

  Press(VK_HOME);
  Press(VK_END, xt::ssShift);
  EXPECT_EQ(edit->SelLength(), 11);
  EXPECT_EQ(changes, 0);
}

TEST_F(EditTest, ClipboardFromMethodsKeysAndTheContextMenu) {
  TEdit* edit = ShownEdit("copy me");
  edit->SelectAll();
  edit->CopyToClipboard();
  EXPECT_EQ(ClipboardText(), "copy me");

  edit->SetSelStart(0);
  edit->SetSelLength(4);
  Press('C', xt::ssCtrl);
  EXPECT_EQ(ClipboardText(), "copy");
  Press(VK_END);
  Press('V', xt::ssCtrl);
  EXPECT_EQ(edit->Text(), "copy mecopy");

  // The right button opens the edit's own menu once; its items send the clipboard messages.
  edit->SetSelStart(0);
  edit->SetSelLength(2);
  TRecorder seen(edit);
  xt::AnswerModal([](const xt::ModalRecord& r) -> LONG_PTR {
    EXPECT_EQ(r.kind, xt::ModalRecord::Menu);
    return WM_CUT;
  });
  ClickAt(edit, 10, 5, xt::mbRight);
  xt::PumpUntilIdle();
  EXPECT_EQ(xt::ModalRecords().size(), 1u);
  EXPECT_EQ(xt::UnscriptedModals(), 0);
  EXPECT_EQ(ClipboardText(), "co");
  EXPECT_EQ(edit->Text(), "py mecopy");
  EXPECT_EQ(seen.Count(WM_CONTEXTMENU), 1);
  EXPECT_EQ(seen.Count(WM_CUT), 1);
}

TEST_F(EditTest, ReadOnlyRefusesEditingButCopies) {
  TEdit* edit = ShownEdit("fixed");
  edit->SetReadOnly(true);
  SetClipboardText("pasted");
  Type("x");
  Press(VK_BACK);
  Press('V', xt::ssCtrl);
  EXPECT_EQ(edit->Text(), "fixed");
  EXPECT_EQ(changes, 0);
  edit->SelectAll();
  edit->CopyToClipboard();
  EXPECT_EQ(ClipboardText(), "fixed");
  edit->SetReadOnly(false);
  Type("x");
  EXPECT_EQ(edit->Text(), "x");
}

TEST_F(EditTest, APasswordEditShowsItsCharacterAndWillNotCopy) {
  TEdit* edit = ShownEdit();
  edit->SetPasswordChar('*');
  Type("secret");
  EXPECT_EQ(edit->Text(), "secret");
  xt::ClearTextLog();
  edit->Repaint();
  EXPECT_FALSE(Drawn("******").empty());
  EXPECT_TRUE(Drawn("secret").empty());
  SetClipboardText("before");
  edit->SelectAll();
  edit->CopyToClipboard();
  EXPECT_EQ(ClipboardText(), "before");
}

TEST_F(EditTest, CharCaseAppliesToTypingAndToTheTextItHas) {
  TEdit* edit = ShownEdit("MiXed");
  edit->SetCharCase(ecLowerCase);
  EXPECT_EQ(edit->Text(), "mixed");
  edit->SetCharCase(ecUpperCase);
  edit->SelectAll();
  Type("ab中c");
  EXPECT_EQ(edit->Text(), "AB中C");
}

TEST_F(EditTest, AutoSelectSelectsEverythingWhenTabbedIntoNotWhenClicked) {
  auto* first = Add<TButton>(10, 100);
  TEdit* edit = NewEdit();
  edit->SetText("some text");
  form->SetActiveControl(first);
  Show();
  Press(VK_TAB);
  ASSERT_EQ(GetFocus(), edit->Handle());
  EXPECT_EQ(edit->SelLength(), 9);
  first->SetFocus();
  ClickAt(edit, 2 * kCharW, 5);
  EXPECT_EQ(edit->SelLength(), 0);
  EXPECT_EQ(edit->SelStart(), 2);

  edit->SetAutoSelect(false);
  first->SetFocus();
  Press(VK_TAB);
  EXPECT_EQ(edit->SelLength(), 0);
}

TEST_F(EditTest, TextSelectionAndModifiedSurviveRecreateWnd) {
  TEdit* edit = ShownEdit();
  Type("keep 中文");
  edit->SetSelStart(5);
  edit->SetSelLength(2);
  HWND before = edit->Handle();
  edit->SetCtl3D(false);  // a new border means a new window
  xt::PumpUntilIdle();
  EXPECT_NE(edit->Handle(), before);
  EXPECT_EQ(edit->Text(), "keep 中文");
  EXPECT_EQ(edit->SelStart(), 5);
  EXPECT_EQ(edit->SelLength(), 2);
  EXPECT_TRUE(edit->Modified());
  EXPECT_EQ(changes, 7);  // the re-creation itself is no change
}

TEST_F(EditTest, BeforeItsWindowExistsTheEditKeepsTextSelectionAndReportsChanges) {
  auto* edit = new TEdit(form);
  int local = 0;
  edit->OnChange = On<TNotifyEvent>([&](TObject*) { ++local; });
  edit->SetText("early");
  EXPECT_EQ(local, 1);
  edit->SetSelStart(1);
  edit->SetSelLength(3);
  edit->SetMaxLength(6);
  EXPECT_EQ(edit->SelText(), "arl");
  EXPECT_FALSE(edit->HandleAllocated());
  edit->SetParent(form);
  auto* button = Add<TButton>(10, 100);
  form->SetActiveControl(button);  // focus would select the whole text
  Show();
  EXPECT_TRUE(edit->HandleAllocated());
  EXPECT_EQ(edit->SelStart(), 1);
  EXPECT_EQ(edit->SelLength(), 3);
  EXPECT_EQ(SendMessageA(edit->Handle(), EM_GETLIMITTEXT, 0, 0), 6);
  EXPECT_EQ(local, 1);
}

TEST_F(EditTest, ColoursComeFromTheControlThroughTheReflectedColourQuestion) {
  TEdit* edit = ShownEdit("abc");
  edit->SetSelStart(0);  // no selection: the text is drawn in the edit's own colours
  edit->SetColor(clYellow);
  edit->Font()->SetColor(clRed);
  xt::ClearTextLog();
  edit->Repaint();
  EXPECT_EQ(Pixel(edit, 150, 5), Rgb(clYellow));
  auto drawn = Drawn("abc");
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.back().color, Rgb(clRed));

  // A WindowProc that answers the question itself is what the edit paints with.
  HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
  TWndMethod old = edit->WindowProc;
  edit->WindowProc = TWndMethod::FromCallable([&](TMessage& m) {
    if (m.Msg == CN_CTLCOLOREDIT) {
      SetTextColor(reinterpret_cast<HDC>(m.WParam), RGB(0, 0, 255));
      SetBkColor(reinterpret_cast<HDC>(m.WParam), RGB(0, 255, 0));
      m.Result = reinterpret_cast<LRESULT>(green);
      return;
    }
    old(m);
  });
  xt::ClearTextLog();
  edit->Repaint();
  EXPECT_EQ(Pixel(edit, 150, 5), RGB(0, 255, 0));
  drawn = Drawn("abc");
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.back().color, RGB(0, 0, 255));
  edit->WindowProc = old;
  DeleteObject(green);
}

TEST_F(EditTest, ADisabledEditStillShowsItsText) {
  TEdit* edit = ShownEdit("serial 12345");
  edit->SetEnabled(false);
  xt::ClearTextLog();
  edit->Repaint();
  auto drawn = Drawn("serial 12345");
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.back().color, Rgb(clGrayText));
  Type("x");
  EXPECT_EQ(edit->Text(), "serial 12345");
}

TEST_F(EditTest, BorderAndHeightFollowCtl3DAndBorderStyle) {
  TEdit* edit = ShownEdit("x");
  struct Case {
    bool ctl3D;
    TBorderStyle border;
    bool clientEdge;
    bool flatBorder;
    int height;
  } cases[] = {
    { true, bsSingle, true, false, kLineH + 8 },
    { false, bsSingle, false, true, kLineH + 6 },
    { true, bsNone, false, false, -1 },  // no border: the height is left as it is
  };
  for (const Case& c : cases) {
    const int heightBefore = edit->Height();
    edit->SetBorderStyle(c.border);
    edit->SetCtl3D(c.ctl3D);
    xt::PumpUntilIdle();
    const xt::WindowInfo info = xt::Info(edit->Handle());
    EXPECT_EQ((info.exStyle & WS_EX_CLIENTEDGE) != 0, c.clientEdge) << c.ctl3D << int(c.border);
    EXPECT_EQ((info.style & WS_BORDER) != 0, c.flatBorder) << c.ctl3D << int(c.border);
    EXPECT_EQ(edit->Height(), c.height < 0 ? heightBefore : c.height) << c.ctl3D << int(c.border);
    if (c.flatBorder) {
      EXPECT_EQ(xt::ReadPixel(edit->Handle(), 0, 5, true), Rgb(clWindowFrame));
    }
  }
}

TEST_F(EditTest, TheWindowProcSeesTheEditMessages) {
  TEdit* edit = ShownEdit();
  TRecorder seen(edit);
  Type("a中");
  edit->SelectAll();
  edit->SetSelText("b");
  EXPECT_EQ(seen.Count(WM_CHAR), 3);  // a, then the lead and the trail byte
  EXPECT_EQ(seen.Count(EM_SETSEL), 1);
  EXPECT_EQ(seen.Count(EM_REPLACESEL), 1);
  EXPECT_EQ(seen.Count(CN_COMMAND), 3);  // EN_CHANGE for a, 中 and b
  EXPECT_EQ(changes, 3);
}

TEST_F(EditTest, HideSelectionDecidesWhetherAnUnfocusedEditShowsItsSelection) {
  auto* button = Add<TButton>(10, 100);
  for (bool hide : { true, false }) {
    TEdit* edit = NewEdit(10, 10 + (hide ? 0 : 40));
    edit->SetText("marked");
    edit->SetHideSelection(hide);
    form->SetActiveControl(button);
    Show();
    edit->SelectAll();
    xt::ClearTextLog();
    edit->Repaint();
    auto drawn = Drawn("marked");
    ASSERT_FALSE(drawn.empty()) << hide;
    EXPECT_EQ(drawn.back().color, hide ? Rgb(clWindowText) : Rgb(clHighlightText)) << hide;
  }
}

TEST_F(EditTest, UndoRestoresTheLastEditOnce) {
  TEdit* edit = ShownEdit("base");
  Press(VK_END);
  EXPECT_FALSE(edit->CanUndo());
  Type("xy");
  EXPECT_TRUE(edit->CanUndo());
  edit->Undo();
  EXPECT_EQ(edit->Text(), "base");
  edit->Undo();  // undoing twice redoes
  EXPECT_EQ(edit->Text(), "basexy");
  edit->ClearUndo();
  EXPECT_FALSE(edit->CanUndo());
  edit->Undo();
  EXPECT_EQ(edit->Text(), "basexy");
}

TEST_F(EditTest, OnKeyPressCanFilterCharacters) {
  TEdit* edit = ShownEdit();
  edit->OnKeyPress = On<TKeyPressEvent>([](TObject*, char& key) {
    if (key < '0' || key > '9') key = 0;
  });
  Type("a1b2");
  EXPECT_EQ(edit->Text(), "12");
}

}  // namespace
