// The edit's text engine on its own: GBK boundaries, words, the byte limit, letter case, undo.

#include <gtest/gtest.h>

#include "platform/win32/ctl/EditText.h"
#include "tests/support/Utf8.h"

using xj::ctl::EditText;
using xj::ctl::LetterCase;
using xj::ctl::UndoKind;

namespace {

EditText With(const std::string& s) {
  EditText t;
  t.SetText(s);
  return t;
}

// "\x81\x61" is one double-byte character whose trail byte is the ASCII code of 'a'.
const std::string kTrailA = "\x81\x61";

TEST(EditTextTest, BoundariesNeverSplitADoubleByteCharacter) {
  struct Case {
    std::string text;
    size_t pos, snap, next, prev;
  } cases[] = {
    { "a中b", 0, 0, 1, 0 },  // 中 occupies bytes 1–2
    { "a中b", 1, 1, 3, 0 },
    { "a中b", 2, 1, 3, 0 },  // inside 中: back to its start
    { "a中b", 3, 3, 4, 1 },
    { "a中b", 9, 4, 4, 3 },         // past the end: clamped
    { kTrailA + "a", 1, 0, 2, 0 },  // the trail looks like 'a' but belongs to the lead
    { kTrailA + "a", 2, 2, 3, 0 },
    { "ab\xD6", 3, 3, 3, 2 },  // a lone lead byte at the end is a character of its own
    { "\xD6"
      "\n"
      "x",
      1, 1, 2, 0 },  // a lead byte before a line break does not swallow it
  };
  for (const Case& c : cases) {
    EditText t = With(c.text);
    EXPECT_EQ(t.Snap(c.pos), c.snap) << xj::test::Shown(c.text) << " @" << c.pos;
    EXPECT_EQ(t.NextChar(c.pos), c.next) << xj::test::Shown(c.text) << " @" << c.pos;
    EXPECT_EQ(t.PrevChar(c.pos), c.prev) << xj::test::Shown(c.text) << " @" << c.pos;
  }
  EXPECT_EQ(With("a中b文").CharCount(0, 6), 4);
}

TEST(EditTextTest, WordsSeparateBlanksPunctuationAndDoubleByteText) {
  EditText t = With("hello, world  中文。abc");
  // h0 e l l o4 ,5 _6 w7 ..d11 _12 _13 中14 文16 。18 a20 b c22 end23
  struct Case {
    size_t pos, left, right, wordFrom, wordTo;
  } cases[] = {
    { 0, 0, 5, 0, 5 },      { 2, 0, 5, 0, 5 },
    { 5, 0, 7, 5, 6 },                              // the comma is a word of its own, then the blank is skipped
    { 9, 7, 14, 7, 12 },    { 12, 7, 14, 12, 14 },  // on blanks: the run of blanks
    { 15, 7, 18, 14, 18 },                          // inside 中: snapped back to its start
    { 18, 14, 20, 18, 20 },                         // full-width punctuation apart from the characters beside it
    { 23, 20, 23, 20, 23 },                         // at the end: the last word
  };
  for (const Case& c : cases) {
    EXPECT_EQ(t.WordLeft(c.pos), c.left) << "left @" << c.pos;
    EXPECT_EQ(t.WordRight(c.pos), c.right) << "right @" << c.pos;
    auto [from, to] = t.WordAt(c.pos);
    EXPECT_EQ(from, c.wordFrom) << "word @" << c.pos;
    EXPECT_EQ(to, c.wordTo) << "word @" << c.pos;
  }
  EXPECT_EQ(With("").WordAt(0), std::make_pair(size_t(0), size_t(0)));
}

TEST(EditTextTest, LimitCutsInsertionsAtWholeCharacters) {
  struct Case {
    size_t limit;
    std::string text, insert;
    size_t selFrom, selTo;
    std::string after;
    bool changed;
  } cases[] = {
    { 5, "abc", "中文", 3, 3, "abc中", true },  // room for one double-byte character only
    { 4, "abc", "中", 3, 3, "abc", false },     // one byte free: nothing, not half of 中
    { 4, "abcd", "x", 4, 4, "abcd", false },
    { 4, "abcd", "中", 1, 3, "a中d", true },      // the selection's bytes are free again
    { 3, "abcdef", "x", 6, 6, "abcdef", false },  // already over the limit: typing is refused
    { 3, "abcdef", "", 0, 2, "cdef", true },      // deleting still works
  };
  for (const Case& c : cases) {
    EditText t = With(c.text);
    t.SetLimit(c.limit);
    t.Select(c.selFrom, c.selTo);
    EXPECT_EQ(t.ReplaceSelection(c.insert, UndoKind::Other), c.changed)
        << xj::test::Shown(c.text) << " + " << xj::test::Shown(c.insert);
    EXPECT_EQ(t.Text(), c.after) << xj::test::Shown(c.text) << " + " << xj::test::Shown(c.insert);
  }
  EditText t;
  t.SetLimit(2);
  t.SetText("longer than the limit");  // setting the text ignores the limit
  EXPECT_EQ(t.Length(), 21u);
}

TEST(EditTextTest, LetterCaseLeavesDoubleByteCharactersAlone) {
  EditText up;
  up.SetCase(LetterCase::Upper);
  up.SetText("ab" + kTrailA + "c");
  EXPECT_EQ(up.Text(), "AB" + kTrailA + "C");
  up.MoveCaret(up.Length(), false);
  up.ReplaceSelection("x中y", UndoKind::Typing);
  EXPECT_EQ(up.Text(), "AB" + kTrailA + "CX中Y");

  EditText down;
  down.SetCase(LetterCase::Lower);
  down.SetText("ABC");
  EXPECT_EQ(down.Text(), "abc");
}

TEST(EditTextTest, TypingMergesIntoOneUndoStepAndUndoTwiceRedoes) {
  EditText t = With("start");
  EXPECT_FALSE(t.CanUndo());
  EXPECT_FALSE(t.Modified());
  t.MoveCaret(5, false);
  for (char c : std::string(" abc")) t.ReplaceSelection(std::string(1, c), UndoKind::Typing);
  EXPECT_TRUE(t.Modified());
  ASSERT_TRUE(t.Undo());
  EXPECT_EQ(t.Text(), "start");
  ASSERT_TRUE(t.Undo());
  EXPECT_EQ(t.Text(), "start abc");

  // Moving the caret ends the run: the next typing is a step of its own.
  t.MoveCaret(0, false);
  t.ReplaceSelection(">", UndoKind::Typing);
  t.Undo();
  EXPECT_EQ(t.Text(), "start abc");

  // Deleting runs merge too, and a change that cannot be undone empties the history.
  t.MoveCaret(t.Length(), false);
  t.DeleteBackward();
  t.DeleteBackward();
  t.Undo();
  EXPECT_EQ(t.Text(), "start abc");
  t.ReplaceSelection("!", UndoKind::NoUndo);
  EXPECT_FALSE(t.CanUndo());
  t.SetText("fresh");
  EXPECT_FALSE(t.CanUndo());
  EXPECT_FALSE(t.Modified());
}

TEST(EditTextTest, DeletionTakesWholeCharacters) {
  EditText t = With("a中文b");
  t.MoveCaret(5, false);  // after 文
  ASSERT_TRUE(t.DeleteBackward());
  EXPECT_EQ(t.Text(), "a中b");
  t.MoveCaret(1, false);
  ASSERT_TRUE(t.DeleteForward());
  EXPECT_EQ(t.Text(), "ab");
  t.MoveCaret(0, false);
  EXPECT_FALSE(t.DeleteBackward());
  t.MoveCaret(2, false);
  EXPECT_FALSE(t.DeleteForward());
}

TEST(EditTextTest, SelectionSnapsToBoundariesAndClamps) {
  EditText t = With("中文");
  t.Select(1, 99);
  EXPECT_EQ(t.Anchor(), 0u);
  EXPECT_EQ(t.Caret(), 4u);
  EXPECT_EQ(t.SelectedText(), "中文");
  t.MoveCaret(3, true);
  EXPECT_EQ(t.SelectedText(), "中");
  EXPECT_EQ(t.LineStart(3), 0u);
  EXPECT_EQ(With("ab\r\ncd").LineEnd(1), 2u);
  EXPECT_EQ(With("ab\r\ncd").LineStart(5), 4u);
}

}  // namespace
