// The skinned edits as a user types into them: the inner edit's read-only filter and transparent
// painting, and the numeric edit's key filter and step requests.

#include "platform/vcl/Clipbrd.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

int beeps = 0;

class EditsTest : public SkinControlsTest {
 protected:
  void SetUp() override {
    SkinControlsTest::SetUp();
    beeps = 0;
    xj::SetMessageBeepHandler([] { ++beeps; });
  }
  void TearDown() override {
    xj::SetMessageBeepHandler(nullptr);
    SkinControlsTest::TearDown();
  }
  template <class E>
  E* NewEdit(int l, int t, int w, int h) {
    auto* e = new E(form);
    e->SetParent(form);
    e->SetBounds(l, t, w, h);
    return e;
  }
  void Focus(TWinControl* c) {
    ShowUnfocused();
    c->SetFocus();
    xt::PumpUntilIdle();
  }
};

}  // namespace

TEST_F(EditsTest, AReadOnlyInnerEditDropsEveryEditButStillMovesSelectsAndCopies) {
  auto* e = NewEdit<TbsCustomEdit>(10, 10, 120, 20);
  Focus(e);
  xt::TypeText("ab\xc4\xe3" "cd");  // GBK text on the way
  EXPECT_EQ(e->Text(), "ab\xc4\xe3" "cd");
  e->SetReadOnly(true);
  EXPECT_FALSE(e->TCustomEdit::ReadOnly()) << "the library's own flag stays off";
  xt::KeyPress(VK_HOME);
  xt::KeyPress(VK_RIGHT, xt::ssShift);
  EXPECT_EQ(e->SelLength(), 1) << "caret movement and selection keep working";
  xt::TypeText("x");
  xt::KeyPress(VK_BACK);
  xt::KeyPress(VK_DELETE);
  EXPECT_EQ(e->Text(), "ab\xc4\xe3" "cd");
  Clipboard()->SetAsText("zz");
  for (UINT m : { WM_CUT, WM_PASTE, WM_CLEAR, WM_UNDO }) {
    SendMessageA(e->Handle(), m, 0, 0);
    EXPECT_EQ(e->Text(), "ab\xc4\xe3" "cd") << m;
  }
  SendMessageA(e->Handle(), WM_COPY, 0, 0);
  EXPECT_EQ(Clipboard()->AsText(), "a");
  e->SetReadOnly(false);
  xt::TypeText("Q");
  EXPECT_EQ(e->Text(), "Qb\xc4\xe3" "cd");
  SendMessageA(e->Handle(), WM_UNDO, 0, 0);
  EXPECT_EQ(e->Text(), "ab\xc4\xe3" "cd");
}

TEST_F(EditsTest, TheInnerEditHasNoBorderATwoPixelMarginAndATransparentModeThatRepaintsItsOwner) {
  auto* e = NewEdit<TbsCustomEdit>(10, 10, 120, 20);
  e->SetText("text");
  Focus(e);
  auto margins = [&] { return static_cast<DWORD>(SendMessageA(e->Handle(), EM_GETMARGINS, 0, 0)); };
  EXPECT_EQ(margins(), static_cast<DWORD>(MAKELONG(2, 0)));
  EXPECT_EQ(GetWindowLongA(e->Handle(), GWL_STYLE) & WS_BORDER, 0);
  EXPECT_EQ(GetWindowLongA(e->Handle(), GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_TRANSPARENT), 0);
  e->Font()->SetSize(15);
  xt::PumpUntilIdle();
  EXPECT_EQ(margins(), static_cast<DWORD>(MAKELONG(2, 0))) << "after a font change too";

  const HWND before = e->Handle();
  e->SetEditTransparent(true);
  EXPECT_NE(e->Handle(), before);
  EXPECT_NE(GetWindowLongA(e->Handle(), GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0);
  EXPECT_EQ(GetWindowLongA(e->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  EXPECT_EQ(e->Text(), "text");
  // Without a background of its own, what the owner paints shows around the glyphs.
  form->SetColor(static_cast<TColor>(RGB(40, 160, 90)));
  xt::PumpUntilIdle();
  EXPECT_EQ(Px(e, e->Width() - 3, e->Height() / 2), RGB(40, 160, 90));
  // A keystroke has the owner repaint under the edit.
  TRecorder parent(form, { WM_PAINT });
  e->SetFocus();
  e->SetSelStart(4);
  xt::TypeText("5");
  xt::PumpUntilIdle();
  EXPECT_GE(parent.Count(WM_PAINT), 1);
  EXPECT_EQ(e->Text(), "text5");
  Gallery(e, "bsSkinBoxCtrls", "transparent");

  int cancels = 0;
  TControl* takes = nullptr;
  e->OnEditCancelMode = On<TbsOnEditCancelMode>([&](TControl* c) {
    ++cancels;
    takes = c;
  });
  e->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(form));
  EXPECT_EQ(cancels, 1);
  EXPECT_EQ(takes, form);
}

TEST_F(EditsTest, TheNumericEditTakesOnlyNumberKeysAndTurnsArrowsAndWheelIntoSteps) {
  auto* e = NewEdit<TbsSkinNumEdit>(10, 10, 120, 20);
  int ups = 0, downs = 0, keyDowns = 0;
  e->OnUpClick = On<TNotifyEvent>([&](TObject*) { ++ups; });
  e->OnDownClick = On<TNotifyEvent>([&](TObject*) { ++downs; });
  e->OnKeyDown = On<TKeyEvent>([&](TObject*, WORD&, TShiftState) { ++keyDowns; });
  Focus(e);
  struct Row {
    char key;
    bool floatMode, editorEnabled, valid;
  };
  const char sep = DecimalSeparator;
  const Row rows[] = {
    { '7', false, true, true },   { '-', false, true, true },    { 'a', false, true, false },
    { sep, false, true, false },  { sep, true, true, true },     { '\r', false, true, false },
    { '\r', true, true, false },  { '\t', false, true, true },   { '\b', false, true, true },
    { 3, false, true, true },     { '7', false, false, false },  { '\b', false, false, false },
    { 22, true, false, true },    { ' ', false, true, false },   { sep, true, false, false },
  };
  for (const Row& r : rows) {
    e->FloatMode = r.floatMode;
    e->EditorEnabled = r.editorEnabled;
    EXPECT_EQ(e->IsValidChar(r.key), r.valid) << int(r.key) << " float " << r.floatMode << " enabled "
                                               << r.editorEnabled;
  }
  // Typed through the keyboard: a rejected key beeps and is dropped.
  e->FloatMode = false;
  e->EditorEnabled = true;
  xt::TypeText("-1x2.");
  EXPECT_EQ(e->Text(), "-12");
  EXPECT_EQ(beeps, 2);
  xt::KeyPress(VK_BACK);
  EXPECT_EQ(e->Text(), "-1");
  e->FloatMode = true;
  xt::TypeText(".5");
  EXPECT_EQ(e->Text(), "-1.5");
  e->EditorEnabled = false;
  xt::TypeText("9");
  xt::KeyPress(VK_BACK);
  EXPECT_EQ(e->Text(), "-1.5");
  EXPECT_EQ(beeps, 4);

  // Arrows ask for steps (even with typing forbidden) and never reach OnKeyDown.
  keyDowns = 0;
  xt::KeyPress(VK_UP);
  xt::KeyPress(VK_UP);
  xt::KeyPress(VK_DOWN);
  EXPECT_EQ(ups, 2);
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(keyDowns, 0);
  xt::KeyPress(VK_LEFT);
  EXPECT_EQ(keyDowns, 1);
  // The wheel: towards the user an up step, away a down step; one per notch message.
  const TPoint p = At(e, 5, 5);
  xt::MouseMove(p.X, p.Y);
  xt::Wheel(-WHEEL_DELTA);
  EXPECT_EQ(ups, 3);
  xt::Wheel(3 * WHEEL_DELTA);
  EXPECT_EQ(downs, 2);
  EXPECT_EQ(e->Text(), "-1.5");
}
