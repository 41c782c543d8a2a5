// Mask edits: the two time masks key by key, the mask language (save-literals, blanks, "!", letter
// case, escapes, separators, double-byte literals), masks that cannot be read, pasting, cutting and
// undoing, a key dropped by OnKeyPress, and leaving a half-filled mask.

#include <cstring>

#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Mask.h"
#include "tests/platform/stdctrls/StdCtrlsTestUtil.h"
#include "tests/support/GalleryPng.h"

using namespace stdtest;

namespace {

class MaskEditTest : public StdCtrlsTest {
 protected:
  TMaskEdit* Shown(const char* mask, const char* text) {
    auto* e = Add<TMaskEdit>(10, 10, 200);
    e->SetEditMask(mask);
    e->SetText(text);
    e->OnChange = On<TNotifyEvent>([this](TObject*) { ++changes; });
    form->SetActiveControl(e);
    Show();
    changes = 0;
    return e;
  }
  // "12:3[4]:56": the shown text with the selection in brackets (a caret alone as "|").
  static std::string Look(TMaskEdit* e) {
    std::string s = e->EditText();
    const size_t a = static_cast<size_t>(e->SelStart()), b = a + static_cast<size_t>(e->SelLength());
    if (a == b) return s.insert(a, "|");
    s.insert(b, "]");
    return s.insert(a, "[");
  }

  int changes { 0 };
};

struct Step {
  const char* what;
  std::function<void()> act;
  const char* look;
};

void RunSteps(TMaskEdit* e, const std::vector<Step>& steps, std::string (*look)(TMaskEdit*)) {
  for (const Step& s : steps) {
    s.act();
    EXPECT_EQ(look(e), s.look) << s.what;
  }
}

TEST_F(MaskEditTest, TheTimeMaskKeyByKey) {
  TMaskEdit* e = Shown("!90:00:00;1; ", "00:00:00");
  EXPECT_TRUE(e->IsMasked());
  EXPECT_EQ(Look(e), "[00:00:00]");  // entering by keyboard selects everything
  auto type = [](const char* s) { return [s] { Type(s); }; };
  auto press = [](UINT vk, unsigned shift = xt::ssNone) { return [vk, shift] { Press(vk, shift); }; };
  RunSteps(
      e,
      {
          { "home selects the first position", press(VK_HOME), "[0]0:00:00" },
          { "first digit", type("1"), "1[0]:00:00" },
          { "second digit skips the colon", type("2"), "12:[0]0:00" },
          { "a letter is refused", type("x"), "12:[0]0:00" },
          { "four more digits", type("3456"), "12:34:56|" },
          { "nothing past the end", type("7"), "12:34:56|" },
          { "backspace blanks the last", press(VK_BACK), "12:34:5[ ]" },
          { "backspace again", press(VK_BACK), "12:34:[ ] " },
          { "backspace steps back over the colon", press(VK_BACK), "12:3[ ]:  " },
          { "left", press(VK_LEFT), "12:[3] :  " },
          { "left over the colon", press(VK_LEFT), "1[2]:3 :  " },
          { "right over the colon", press(VK_RIGHT), "12:[3] :  " },
          { "delete blanks in place", press(VK_DELETE), "12:[ ] :  " },
          { "typing the literal steps over it", type(":"), "12:[ ] :  " },
          { "home", press(VK_HOME), "[1]2:  :  " },
          { "end", press(VK_END), "12:  :  |" },
          { "left from the end", press(VK_LEFT), "12:  : [ ]" },
          { "a click selects the position under it", [e] { ClickAt(e, 4 * kCharW + 2, 5); }, "12: [ ]:  " },
          { "a click on a literal selects the next position", [e] { ClickAt(e, 2 * kCharW + 2, 5); }, "12:[ ] :  " },
      },
      Look);
  // Blanks stay in the text (they are spaces here), the literals too.
  EXPECT_EQ(e->Text(), "12:  :  ");
  EXPECT_EQ(changes, 10);  // one per digit typed, backspace and delete; none for refused keys or moves
}

TEST_F(MaskEditTest, TheMillisecondMaskAndTextsOfTheOtherLength) {
  TMaskEdit* e = Shown("!90:00:00.000;1; ", "00:00:00.000");
  Type("235959999");  // the first digit blanks the selection of everything entering made
  EXPECT_EQ(e->Text(), "23:59:59.999");
  Press(VK_BACK);
  Press(VK_BACK);
  EXPECT_EQ(Look(e), "23:59:59.9[ ] ");

  // A text for the long mask given to the short one keeps its first eight characters...
  e->SetEditMask("!90:00:00;1; ");
  EXPECT_EQ(e->Text(), "23:59:59");
  e->SetText("25:01:01.001");
  EXPECT_EQ(e->Text(), "25:01:01");
  // ...and a short text given to the long mask leaves its tail blank.
  e->SetEditMask("!90:00:00.000;1; ");
  EXPECT_EQ(e->Text(), "25:01:01.   ");
  // Text that does not fit blanks only the positions it misses.
  e->SetText("1x:02:0y.004");
  EXPECT_EQ(e->Text(), "1 :02:0 .004");

  // For the gallery: a readable face and a visible blank.
  e->Font()->SetName("DejaVu Sans");
  e->Font()->SetHeight(-13);
  e->SetEditMask("!90:00:00.000;1;_");
  e->SetText("12:34");
  Press(VK_HOME);
  Press(VK_RIGHT);
  Press(VK_RIGHT);
  Press(VK_RIGHT);
  EXPECT_EQ(Look(e), "12:3[4]:__.___");
  xt::GalleryPng(e->Handle(), "platform-maskedit-half-filled", true);
}

TEST_F(MaskEditTest, TheMaskLanguage) {
  struct Case {
    const char* mask;
    const char* set;    // Text given
    const char* shown;  // EditText then
    const char* text;   // Text read back
  } cases[] = {
    { "000-00;0;_", "12345", "123-45", "12345" },
    { "000-00;0;_", "12", "12_-__", "12   " },
    { "!999;0;*", "7", "**7", "  7" },
    { "000-00;1;_", "12-34", "12_-34", "12 -34" },  // positions read in order, literals passed over
    { ">LL<ll<>cc", "abCDeF", "ABcdeF", "ABcdeF" },
    { "\\0\\:00", "0:12", "0:12", "0:12" },
    { "00/00 00:00;1;_", "12-31 23:59", "12-31 23:59", "12-31 23:59" },  // the settings' separators
    { "0年0月;1;_", "1年2月", "1年2月", "1年2月" },
    { "aaa;1;_", "a中b", "a_b", "a b" },  // a double-byte character fills no position
    { "##0;1;_", "-+5", "-+5", "-+5" },
    { "00_00;1;#", "1234", "12 34", "12 34" },
  };
  TMaskEdit* e = Shown("", "");
  for (const Case& c : cases) {
    e->SetEditMask("");
    e->SetText("");
    e->SetEditMask(c.mask);
    e->SetText(c.set);
    EXPECT_EQ(e->EditText(), c.shown) << c.mask << " <- " << c.set;
    EXPECT_EQ(e->Text(), c.text) << c.mask << " <- " << c.set;
  }

  // Typing follows the same rules: case applied, the GBK literal stepped over as one character.
  e->SetEditMask(">L<L0年0;1;_");
  e->SetText("");
  Press(VK_HOME);
  Type("abc12");
  EXPECT_EQ(e->EditText(), "Ab1年2");
  // A double-byte character is refused whole: its trail byte ("A" here) is not typed either.
  e->SetEditMask("CC;1;_");
  e->SetText("");
  Press(VK_HOME);
  Type("\x81\x41z");
  EXPECT_EQ(e->EditText(), "z_");
}

TEST_F(MaskEditTest, MasksThatCannotBeReadRaiseAndKeepTheOldOne) {
  TMaskEdit* e = Shown("00;1;_", "12");
  for (const char* bad : { "00\\", "00;1;_;x", "00;2;_", "00;1;ab" }) {
    EXPECT_THROW(e->SetEditMask(bad), EDBEditError) << bad;
    EXPECT_EQ(e->EditMask(), "00;1;_") << bad;
    EXPECT_EQ(e->EditText(), "12") << bad;
  }
  // A mask without positions is a plain edit; so is the empty one, which keeps the text.
  e->SetEditMask("!>");
  EXPECT_FALSE(e->IsMasked());
  Press(VK_END);
  Type("xyz");
  EXPECT_EQ(e->Text(), "12xyz");
  // A mask longer than MaxLength still takes its whole text, typed or set.
  e->SetMaxLength(2);
  e->SetEditMask("00000;1;_");
  e->SetText("12345");
  EXPECT_EQ(e->Text(), "12345");
  Press(VK_END);
  Press(VK_BACK);
  Type("9");
  EXPECT_EQ(e->Text(), "12349");
  EXPECT_EQ(e->MaxLength(), 2);
}

TEST_F(MaskEditTest, PasteCutAndUndo) {
  TMaskEdit* e = Shown("!90:00:00;1; ", "00:00:00");
  Press(VK_HOME);
  Clipboard()->SetAsText("12:34\r\n99");
  Press('V', xt::ssCtrl);  // one line is all it takes; the literal in it is passed over
  EXPECT_EQ(Look(e), "12:34:[0]0");
  Clipboard()->SetAsText("5x7");
  Press('V', xt::ssCtrl);  // typed until the first character that does not fit
  EXPECT_EQ(Look(e), "12:34:5[0]");
  Clipboard()->SetAsText("1234");
  Press(VK_HOME);
  Press(VK_RIGHT);
  Press(VK_RIGHT);
  Press('V', xt::ssCtrl);  // from the caret on, over the literals of the mask
  EXPECT_EQ(e->Text(), "12:12:34");

  e->SelectAll();
  Press('X', xt::ssCtrl);
  EXPECT_EQ(Clipboard()->AsText(), "12:12:34");
  EXPECT_EQ(e->EditText(), "  :  :  ");
  Press('Z', xt::ssCtrl);
  EXPECT_EQ(e->EditText(), "12:12:34");

  e->SetReadOnly(true);
  Clipboard()->SetAsText("99");
  Press(VK_HOME);
  Press('V', xt::ssCtrl);
  Type("7");
  Press(VK_DELETE);
  EXPECT_EQ(e->EditText(), "12:12:34");
}

TEST_F(MaskEditTest, AKeyDroppedByOnKeyPressIsNotTypedAndLeavingHalfFilledIsAllowed) {
  auto* other = Add<TEdit>(10, 60, 100);
  TMaskEdit* e = Shown("!90:00:00;1; ", "00:00:00");
  Press(VK_HOME);
  e->OnKeyPress = On<TKeyPressEvent>([](TObject*, char& Key) {
    if (Key == '3') Key = 0;
  });
  Type("3");
  EXPECT_EQ(Look(e), "[0]0:00:00");
  Type("2");
  EXPECT_EQ(Look(e), "2[0]:00:00");
  Press(VK_BACK);
  Press(VK_DELETE);
  Press(VK_DELETE);
  EXPECT_EQ(e->Text(), " 0:00:00");
  int exits = 0;
  e->OnExit = On<TNotifyEvent>([&](TObject*) { ++exits; });
  EXPECT_NO_THROW(Press(VK_TAB));
  EXPECT_EQ(exits, 1);
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(e->Text(), " 0:00:00");
}

// Each way of writing into the mask, with a change handler that frees the edit: nothing of it is touched
// afterwards (the sanitizer build reports a touch), and the form goes on taking keys.
TEST_F(MaskEditTest, AnEditFreedByItsOwnChangeHandlerIsLeftAlone) {
  auto* other = Add<TEdit>(10, 60, 100);
  const std::pair<const char*, std::function<void(TMaskEdit*)>> ways[] = {
    { "a digit",
      [](TMaskEdit*) {
        Press(VK_HOME);
        Type("1");
      } },
    { "backspace",
      [](TMaskEdit*) {
        Press(VK_END);
        Press(VK_BACK);
      } },
    { "delete",
      [](TMaskEdit*) {
        Press(VK_HOME);
        Press(VK_DELETE);
      } },
    { "paste",
      [](TMaskEdit*) {
        Press(VK_HOME);
        Press('V', xt::ssCtrl);
      } },
    { "cut",
      [](TMaskEdit* e) {
        e->SelectAll();
        Press('X', xt::ssCtrl);
      } },
  };
  Clipboard()->SetAsText("12");
  for (const auto& [what, act] : ways) {
    SCOPED_TRACE(what);
    TMaskEdit* e = Shown("!90:00:00;1; ", "98:76:54");
    const auto life = e->LifeToken();
    int freed = 0;
    e->OnChange = On<TNotifyEvent>([&freed, e](TObject*) {
      ++freed;
      delete e;
    });
    act(e);
    EXPECT_EQ(freed, 1);
    EXPECT_TRUE(life.expired());
    other->SetFocus();
    Type("x");
    EXPECT_EQ(other->Text(), "x");
    other->SetText("");
  }
}

TEST_F(MaskEditTest, AFormResourceCarriesTheMaskBeforeTheText) {
  TMaskEdit* e = Shown("000-00;0;_", "12345");
  e->SetName("Serial");
  const AnsiString text = WriteComponentResource(form);
  const size_t mask = text.find("EditMask = '000-00;0;_'"), value = text.find("Text = '12345'");
  ASSERT_NE(mask, AnsiString::npos) << text;
  ASSERT_NE(value, AnsiString::npos) << text;
  EXPECT_LT(mask, value);
  TForm* read = NewForm(0, 0, 100, 100);
  ReadComponentResource(read, text);
  auto* back = dynamic_cast<TMaskEdit*>(read->FindComponent("Serial"));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->EditText(), "123-45");
  EXPECT_EQ(back->Text(), "12345");
}

}  // namespace
