// The skinned edits as a user types into them: the inner edit's read-only filter and transparent
// painting, and the numeric edit's key filter and step requests.

#include <functional>
#include <climits>
#include <cmath>
#include <string>

#include "platform/vcl/Clipbrd.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

int beeps = 0;
constexpr COLORREF kBtnFaceColour = RGB(192, 192, 192);

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
  xt::TypeText(
      "ab\xc4\xe3"
      "cd");  // GBK text on the way
  EXPECT_EQ(e->Text(),
            "ab\xc4\xe3"
            "cd");
  e->SetReadOnly(true);
  EXPECT_FALSE(e->TCustomEdit::ReadOnly()) << "the library's own flag stays off";
  xt::KeyPress(VK_HOME);
  xt::KeyPress(VK_RIGHT, xt::ssShift);
  EXPECT_EQ(e->SelLength(), 1) << "caret movement and selection keep working";
  xt::TypeText("x");
  xt::KeyPress(VK_BACK);
  xt::KeyPress(VK_DELETE);
  EXPECT_EQ(e->Text(),
            "ab\xc4\xe3"
            "cd");
  Clipboard()->SetAsText("zz");
  for (UINT m : { WM_CUT, WM_PASTE, WM_CLEAR, WM_UNDO }) {
    SendMessageA(e->Handle(), m, 0, 0);
    EXPECT_EQ(e->Text(),
              "ab\xc4\xe3"
              "cd")
        << m;
  }
  SendMessageA(e->Handle(), WM_COPY, 0, 0);
  EXPECT_EQ(Clipboard()->AsText(), "a");
  e->SetReadOnly(false);
  xt::TypeText("Q");
  EXPECT_EQ(e->Text(),
            "Qb\xc4\xe3"
            "cd");
  SendMessageA(e->Handle(), WM_UNDO, 0, 0);
  EXPECT_EQ(e->Text(),
            "ab\xc4\xe3"
            "cd");
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
    { '7', false, true, true },  { '-', false, true, true },   { 'a', false, true, false },
    { sep, false, true, false }, { sep, true, true, true },    { '\r', false, true, false },
    { '\r', true, true, false }, { '\t', false, true, true },  { '\b', false, true, true },
    { 3, false, true, true },    { '7', false, false, false }, { '\b', false, false, false },
    { 22, true, false, true },   { ' ', false, true, false },  { sep, true, false, false },
  };
  for (const Row& r : rows) {
    e->FloatMode = r.floatMode;
    e->EditorEnabled = r.editorEnabled;
    EXPECT_EQ(e->IsValidChar(r.key), r.valid)
        << int(r.key) << " float " << r.floatMode << " enabled " << r.editorEnabled;
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

// ---- Spin edit ------------------------------------------------------------------------------------------

namespace {

class TSpinForm : public TForm {
  XJ_CLASS(TSpinForm, TForm)
 public:
  explicit TSpinForm(TComponent* AOwner) : TForm(AOwner) {}
};

class SpinEditTest : public EditsTest {
 protected:
  TbsSkinSpinEdit* NewSpin(int l, int t) {
    auto* s = NewEdit<TbsSkinSpinEdit>(l, t, 120, 20);
    s->OnChange = On<TNotifyEvent>([this](TObject*) { ++changes; });
    return s;
  }
  static TPoint Centre(const TRect& r) { return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }
  // Types one key and checks text and value after it.
  void Type(TbsSkinSpinEdit* s, const char* key, const char* text, double value) {
    xt::TypeText(key);
    EXPECT_EQ(s->Edit()->Text(), text) << "after " << key;
    EXPECT_EQ(s->Value(), value) << "after " << key;
  }
  int changes = 0;
};

}  // namespace

TEST_F(SpinEditTest, TypingKeyByKeyUpdatesTheValueWithinItsBoundsAndNeverRaises) {
  auto* s = NewSpin(10, 10);
  EXPECT_EQ(s->Text(), "0");
  EXPECT_EQ(s->Edit()->Text(), "0");
  EXPECT_EQ(s->Value(), 0);
  // The default layout of a 120 x 20 control.
  EXPECT_EQ(s->Button(0).R, TRect(103, 2, 118, 10));
  EXPECT_EQ(s->Button(1).R, TRect(103, 10, 118, 18));
  EXPECT_EQ(s->Edit()->BoundsRect(), TRect(2, 2, 103, 18));

  s->SetMaxValue(10);
  Focus(s->Edit());
  s->Edit()->SelectAll();
  Type(s, "1", "1", 1);
  Type(s, "5", "10", 10);  // clamped and rewritten
  EXPECT_EQ(changes, 2);
  s->Edit()->SelectAll();
  Type(s, "-", "-", 10);  // no number yet: nothing changes, nothing fires
  Type(s, "3", "0", 0);   // below the bounds: held at MinValue and rewritten
  EXPECT_EQ(changes, 3);
  s->Edit()->SelectAll();
  xt::KeyPress(VK_BACK);
  EXPECT_EQ(s->Edit()->Text(), "");
  EXPECT_EQ(s->Value(), 0);
  EXPECT_EQ(changes, 3);

  // Numbers the control cannot hold leave the value, raise nothing, and keep the program's way in.
  s->SetMaxValue(0);
  s->Edit()->SelectAll();
  Type(s, "999999999", "999999999", 999999999);
  Type(s, "99", "99999999999", 999999999);
  s->SetValue(7);
  EXPECT_EQ(s->Edit()->Text(), "7");
  s->SetValueType(vtFloat);
  s->Edit()->SelectAll();
  Type(s, "-.", "-.", 7);
  s->SetText("4");  // the program's text reaches the edit and is taken
  EXPECT_EQ(s->Edit()->Text(), "4");
  EXPECT_EQ(s->Value(), 4);
  Clipboard()->SetAsText("1e999");
  s->Edit()->SelectAll();
  s->Edit()->PasteFromClipboard();
  EXPECT_EQ(s->Edit()->Text(), "1e999");
  EXPECT_EQ(s->Value(), 4);
  const std::string huge(1 << 20, '9');
  Clipboard()->SetAsText(huge.c_str());
  s->Edit()->SelectAll();
  s->Edit()->PasteFromClipboard();
  EXPECT_EQ(s->Value(), 4);
  EXPECT_EQ(s->Edit()->Text().size(), huge.size());
  s->SetValue(std::nan(""));
  EXPECT_EQ(s->Value(), 4);

  // Float text: fixed with Decimal digits when set; as typed when typed.
  s->SetValue(1);
  EXPECT_EQ(s->Edit()->Text(), "1.00");
  s->Edit()->SelectAll();
  xt::TypeText("1.5");
  EXPECT_EQ(s->Edit()->Text(), "1.5");
  EXPECT_EQ(s->Value(), 1.5);
  s->SetDecimal(3);
  s->SetValue(2.25);
  EXPECT_EQ(s->Edit()->Text(), "2.250");
  // Integer mode holds what it shows (halves to even) and rounds the increment, never to 0.
  s->SetIncrement(0.4);
  s->SetValueType(vtInteger);
  EXPECT_EQ(s->Increment(), 1.0);
  s->SetValue(2.5);
  EXPECT_EQ(s->Edit()->Text(), "2");
  EXPECT_EQ(s->Value(), 2);
  s->SetValue(3.5);
  EXPECT_EQ(s->Value(), 4);
  s->SetValue(1e300);
  EXPECT_EQ(s->Value(), INT_MAX);
  EXPECT_EQ(s->Edit()->Text(), "2147483647");
}

TEST_F(SpinEditTest, ArrowsKeysAndWheelStepAndAHeldArrowRepeats) {
  auto* s = NewSpin(10, 10);
  s->SetMinValue(-2);
  s->SetMaxValue(3);
  Focus(s->Edit());
  int keyDowns = 0;
  TObject* sender = nullptr;
  s->OnEditKeyDown = On<TKeyEvent>([&](TObject* o, WORD&, TShiftState) {
    ++keyDowns;
    sender = o;
  });
  xt::KeyPress(VK_UP);
  xt::KeyPress(VK_UP);
  EXPECT_EQ(s->Value(), 2);
  xt::KeyPress(VK_DOWN);
  EXPECT_EQ(s->Value(), 1);
  EXPECT_EQ(keyDowns, 0);
  xt::KeyPress(VK_PRIOR);
  EXPECT_EQ(s->Value(), 1);
  EXPECT_EQ(keyDowns, 1);
  EXPECT_EQ(sender, s) << "the spin edit hands on its edit's keys as their sender";
  const TPoint in = At(s->Edit(), 5, 5);
  xt::MouseMove(in.X, in.Y);
  xt::Wheel(-WHEEL_DELTA);  // towards the user: up
  EXPECT_EQ(s->Value(), 2);
  xt::Wheel(WHEEL_DELTA);
  EXPECT_EQ(s->Value(), 1);

  // A click steps on release; held, it repeats from 600 ms on, and at a bound still reports each step.
  changes = 0;
  const TPoint up = At(s, Centre(s->Button(0).R).X, Centre(s->Button(0).R).Y);
  xt::MouseMove(up.X, up.Y);
  xt::MouseDown(xt::mbLeft, up.X, up.Y);
  xt::MouseUp(xt::mbLeft, up.X, up.Y);
  EXPECT_EQ(s->Value(), 2);
  xt::MouseDown(xt::mbLeft, up.X, up.Y);
  xt::Advance(700);
  EXPECT_EQ(s->Value(), 3);
  xt::Advance(300);
  EXPECT_EQ(s->Value(), 3);
  // The bottom edge row of the up button belongs to the down button.
  const TPoint edge = At(s, 105, 10);
  xt::MouseMove(edge.X, edge.Y);
  xt::Advance(300);
  EXPECT_EQ(changes, 6);
  xt::MouseUp(xt::mbLeft, edge.X, edge.Y);
  EXPECT_EQ(s->Value(), 3);
  EXPECT_FALSE(s->Repeating());
  s->SetEnabled(false);
  xt::MouseDown(xt::mbLeft, up.X, up.Y);
  xt::Advance(1000);
  EXPECT_EQ(changes, 6);
}

TEST_F(SpinEditTest, SkinnedTheTextShowsOverTheFaceAndTheButtonsFollowTheRightEdge) {
  auto* s = NewSpin(10, 10);
  s->SetValue(42);
  ShowUnfocused();
  EXPECT_EQ(Px(s, 0, 0), RGB(128, 128, 128));
  EXPECT_EQ(Px(s, 105, 4), kBtnFaceColour);
  Gallery(s, "bsSkinBoxCtrls", "default");
  const TPoint up = At(s, 105, 4);
  xt::MouseMove(up.X, up.Y);
  EXPECT_EQ(Px(s, 105, 4), RGB(182, 189, 210));
  EXPECT_EQ(Px(s, 103, 2), RGB(0, 0, 128));
  Gallery(s, "bsSkinBoxCtrls", "default-hot");
  xt::MouseMove(0, 0);

  LoadTestSkin();
  s->SetSkinData(skin);
  xt::PumpUntilIdle();
  EXPECT_TRUE(s->Edit()->EditTransparent());
  EXPECT_EQ(s->Height(), 20);
  EXPECT_EQ(s->Width(), 120);
  const int dw = 120 - 60;
  EXPECT_EQ(s->Button(0).R, TRect(41 + dw, 2, 58 + dw, 10));
  EXPECT_EQ(s->Edit()->Text(), "42");
  const uint8_t owner = OwnerOf("spinedit");
  // Around the glyphs of the text, the skin's face shows through the edit.
  const TRect er = s->Edit()->BoundsRect();
  EXPECT_EQ(Code(s, er.Right - 3, er.Bottom - 2).owner, owner);
  Gallery(s, "bsSkinBoxCtrls", "skin");
  xt::MouseMove(At(s, 110, 5).X, At(s, 110, 5).Y);
  EXPECT_EQ(Code(s, 110, 5).code, RectCode("activeupbuttonrect"));
  xt::MouseDown(xt::mbLeft, At(s, 110, 5).X, At(s, 110, 5).Y);
  EXPECT_EQ(Code(s, 110, 5).code, RectCode("downupbuttonrect"));
  Gallery(s, "bsSkinBoxCtrls", "skin-pressed");
  xt::MouseUp(xt::mbLeft, At(s, 110, 5).X, At(s, 110, 5).Y);
  EXPECT_EQ(s->Value(), 43);

  // The second skin has no spin edit: the default look and an opaque edit again.
  LoadSecondSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(s->SkinObjectIndex(), -1);
  EXPECT_FALSE(s->Edit()->EditTransparent());
  EXPECT_EQ(Px(s, 0, 0), RGB(128, 128, 128));
  EXPECT_EQ(s->Button(0).R, TRect(103, 2, 118, 10));
  Gallery(s, "bsSkinBoxCtrls", "second");
}

TEST_F(SpinEditTest, AStreamedSpinEditKeepsEveryValue) {
  auto* a = new TSpinForm(nullptr);
  Keep(a);
  auto* s = new TbsSkinSpinEdit(a);
  s->SetName("Spin");
  s->SetParent(a);
  s->SetValueType(vtFloat);
  s->SetDecimal(3);
  s->SetMinValue(-1.5);
  s->SetMaxValue(9.25);
  s->SetValue(2.125);
  s->SetIncrement(0.25);
  s->SetEditorEnabled(false);
  s->SetMaxLength(7);
  const AnsiString text = WriteComponentResource(a);
  auto* b = new TSpinForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* back = dynamic_cast<TbsSkinSpinEdit*>(b->FindComponent("Spin"));
  ASSERT_NE(back, nullptr) << text;
  EXPECT_EQ(back->ValueType(), vtFloat);
  EXPECT_EQ(back->Decimal(), 3);
  EXPECT_EQ(back->MinValue(), -1.5);
  EXPECT_EQ(back->MaxValue(), 9.25);
  EXPECT_EQ(back->Value(), 2.125);
  EXPECT_EQ(back->Edit()->Text(), "2.125");
  EXPECT_EQ(back->Increment(), 0.25);
  EXPECT_FALSE(back->EditorEnabled());
  EXPECT_EQ(back->MaxLength(), 7);

  auto* d = new TSpinForm(nullptr);
  Keep(d);
  auto* f = new TbsSkinSpinEdit(d);
  f->SetName("Fresh");
  f->SetParent(d);
  const AnsiString fresh = WriteComponentResource(d);
  ASSERT_NE(fresh.find("Fresh"), AnsiString::npos) << fresh;
  auto* e = new TSpinForm(nullptr);
  Keep(e);
  ReadComponentResource(e, fresh);
  EXPECT_EQ(WriteComponentResource(e), fresh);
}

// ---- Skinned edit ---------------------------------------------------------------------------------------

namespace {

class SkinEditTest : public EditsTest {
 protected:
  TbsSkinEdit* NewSkinEdit(int l, int t, bool button) {
    auto* e = NewEdit<TbsSkinEdit>(l, t, 120, 20);
    e->SetButtonMode(button);
    e->OnButtonClick = On<TNotifyEvent>([this](TObject*) { ++clicks; });
    return e;
  }
  // What the form shows at a point of the edit's whole window (its frame included).
  COLORREF WinPx(TControl* e, int x, int y) { return Px(form, e->Left() + x, e->Top() + y); }
  static TPoint WinAt(TWinControl* e, int x, int y) {
    RECT r {};
    GetWindowRect(e->Handle(), &r);
    return TPoint(r.left + x, r.top + y);
  }
  static LRESULT Hit(TWinControl* e, int x, int y) {
    const TPoint p = WinAt(e, x, y);
    return SendMessageA(e->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.X, p.Y));
  }
  int clicks = 0;
};

}  // namespace

TEST_F(SkinEditTest, TheDefaultLookFramesTheTextAndItsButtonAnswersExactlyWhereItIsPainted) {
  auto* e = NewSkinEdit(10, 10, true);
  e->SetText("abc");
  ShowUnfocused();
  EXPECT_EQ(e->ClientRect(), TRect(0, 0, 96, 16));
  EXPECT_EQ(e->ClientToScreen(TPoint(0, 0)), WinAt(e, 2, 2));
  EXPECT_EQ(e->ButtonRect(), TRect(100, 0, 120, 20));
  // Normal: a face-coloured outer ring and a shadow ring inside it, stopping at x 100; then the button.
  EXPECT_EQ(WinPx(e, 0, 10), RGB(192, 192, 192));
  EXPECT_EQ(WinPx(e, 1, 10), RGB(128, 128, 128));
  EXPECT_EQ(WinPx(e, 99, 10), RGB(192, 192, 192));
  EXPECT_EQ(WinPx(e, 100, 10), RGB(128, 128, 128));
  EXPECT_EQ(WinPx(e, 110, 5), RGB(192, 192, 192));
  Gallery(e, "bsSkinBoxCtrls", "default-button");
  // The button's painted left column and top row are the button; the pixel left of it is frame.
  EXPECT_EQ(Hit(e, 100, 0), HTHSCROLL);
  EXPECT_EQ(Hit(e, 119, 19), HTHSCROLL);
  EXPECT_EQ(Hit(e, 99, 10), HTVSCROLL);
  EXPECT_EQ(Hit(e, 1, 10), HTVSCROLL);
  EXPECT_EQ(Hit(e, 50, 10), HTCLIENT);

  // Hover: the button turns hot; pressed it shows pressed; the rings swap while the mouse is in.
  const TPoint b = WinAt(e, 110, 10);
  xt::MouseMove(b.X, b.Y);
  EXPECT_TRUE(e->ButtonActive());
  EXPECT_EQ(WinPx(e, 110, 5), RGB(182, 189, 210));
  EXPECT_EQ(WinPx(e, 0, 10), RGB(128, 128, 128));
  xt::MouseDown(xt::mbLeft, b.X, b.Y);
  EXPECT_EQ(WinPx(e, 110, 5), RGB(133, 147, 181));
  Gallery(e, "bsSkinBoxCtrls", "default-button-pressed");
  // Off the button inside the control it looks normal; back on it, pressed; the release clicks once.
  const TPoint text = WinAt(e, 40, 10);
  xt::MouseMove(text.X, text.Y);
  EXPECT_EQ(WinPx(e, 110, 5), RGB(192, 192, 192));
  xt::MouseMove(b.X, b.Y);
  EXPECT_EQ(WinPx(e, 110, 5), RGB(133, 147, 181));
  xt::MouseUp(xt::mbLeft, b.X, b.Y);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(e->Focused()) << "the button takes the focus to the edit";
  // A release over the button after a press elsewhere is no click; a double click is two.
  const TPoint frame = WinAt(e, 99, 10);
  xt::MouseDown(xt::mbLeft, frame.X, frame.Y);
  xt::MouseMove(b.X, b.Y);
  xt::MouseUp(xt::mbLeft, b.X, b.Y);
  EXPECT_EQ(clicks, 1);
  xt::DoubleClick(b.X, b.Y);
  EXPECT_EQ(clicks, 3);
}

TEST_F(SkinEditTest, SkinnedTheFaceFollowsTheRecordAndTheFontColourTheHotState) {
  auto* e = NewSkinEdit(10, 10, false);
  auto* be = NewSkinEdit(10, 60, true);
  be->SetSkinDataName("buttonedit");
  e->SetText("skin");
  LoadTestSkin();
  for (TbsSkinEdit* x : { e, be }) x->SetSkinData(skin);
  ShowUnfocused();
  EXPECT_EQ(e->Height(), 20);
  e->SetBounds(10, 10, 250, 70);
  xt::PumpUntilIdle();
  EXPECT_EQ(e->Height(), 20) << "a skinned edit is as high as its face";
  EXPECT_EQ(e->Width(), 250);
  // Margins from the record's client rectangle; the button in the fixed right part moves with the edge.
  EXPECT_EQ(e->ClientToScreen(TPoint(0, 0)), WinAt(e, 3, 3));
  be->SetWidth(200);
  be->CalcRects();
  EXPECT_EQ(be->ButtonRect(), TRect(80 - 19 + 120, 2, 80 - 2 + 120, 18));
  const uint8_t owner = OwnerOf("edit");
  EXPECT_EQ(mkskin::DecodedPixel(Decode(WinPx(e, 1, 10))).owner, owner);
  EXPECT_EQ(Decode(WinPx(e, 248, 10)).owner, owner);
  // The text shows over the face: around the glyphs the face's own pixels.
  EXPECT_EQ(Decode(WinPx(e, 200, 10)).owner, owner);
  Gallery(e, "bsSkinBoxCtrls", "skin");

  auto* rec = static_cast<TbsDataSkinEditControl*>(skin->CtrlList->Items(skin->GetControlIndex("edit")));
  EXPECT_EQ(e->Font()->Color(), rec->FontColor);
  MoveTo(e, 50, 5);
  EXPECT_EQ(e->Font()->Color(), rec->ActiveFontColor);
  e->SetFocus();
  xt::PumpUntilIdle();
  xt::MouseMove(0, 0);
  EXPECT_EQ(e->Font()->Color(), rec->ActiveFontColor) << "leaving with the focus keeps the hot colour";
  // Typing key by key works as in any edit.
  e->SetSelStart(4);
  xt::TypeText("ed");
  EXPECT_EQ(e->Text(), "skined");
  xt::KeyPress(VK_BACK);
  EXPECT_EQ(e->Text(), "skine");

  // The button edit's hot button from the picture.
  const TPoint b = WinAt(be, 190, 10);
  xt::MouseMove(b.X, b.Y);
  EXPECT_EQ(Decode(WinPx(be, 190, 10)).code, RectCode("activebuttonrect"));
  xt::MouseDown(xt::mbLeft, b.X, b.Y);
  EXPECT_EQ(Decode(WinPx(be, 190, 10)).code, RectCode("downbuttonrect"));
  Gallery(be, "bsSkinBoxCtrls", "skin-button-pressed");
  xt::MouseUp(xt::mbLeft, b.X, b.Y);
  EXPECT_EQ(clicks, 1);

  // The second skin through the form's skin-change walk: its own face height; a record of another
  // class under the name: the default look, never a face from a missing picture.
  LoadSecondSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(e->Height(), 22);
  EXPECT_EQ(Decode(WinPx(e, 1, 10)).owner, OwnerOf("edit"));
  Gallery(e, "bsSkinBoxCtrls", "second");
  e->SetSkinDataName("hupdown");
  e->SetDefaultHeight(24);
  e->ChangeSkinData();
  xt::PumpUntilIdle();
  EXPECT_EQ(e->SkinObjectIndex(), -1);
  EXPECT_EQ(e->Height(), 24);
  // The two default rings, in either order (hot or not).
  const std::pair<COLORREF, COLORREF> rings(WinPx(e, 0, 10), WinPx(e, 1, 10));
  EXPECT_TRUE(rings == std::make_pair(RGB(192, 192, 192), RGB(128, 128, 128)) ||
              rings == std::make_pair(RGB(128, 128, 128), RGB(192, 192, 192)));
}

// The whole window, frame and button included, is "in": every enter is followed by exactly one leave,
// however the pointer got out.
TEST_F(SkinEditTest, EveryEnterGetsOneLeaveAfterDragsOntoTheFrameAndWindowRecreation) {
  auto* e = NewSkinEdit(10, 10, true);
  e->SetText("some text to select");
  LoadTestSkin();
  e->SetSkinData(skin);
  std::string events;
  e->OnMouseEnter = On<TNotifyEvent>([&](TObject*) { events += "E"; });
  e->OnMouseLeave = On<TNotifyEvent>([&](TObject*) { events += "L"; });
  ShowUnfocused();
  const TPoint text = WinAt(e, 20, 10), frame = WinAt(e, 1, 10), button = WinAt(e, 110, 10);
  const TPoint away(text.X, text.Y + 100);
  // A text selection dragged onto the frame or the button and released there, then out.
  for (const TPoint end : { frame, button }) {
    SCOPED_TRACE(end.X);
    events.clear();
    xt::MouseMove(text.X, text.Y);
    xt::MouseDown(xt::mbLeft, text.X, text.Y);
    xt::MouseMove(end.X, end.Y);
    xt::MouseUp(xt::mbLeft, end.X, end.Y);
    EXPECT_TRUE(e->MouseIn());
    xt::MouseMove(away.X, away.Y);
    EXPECT_EQ(events, "EL");
    EXPECT_FALSE(e->MouseIn());
    EXPECT_FALSE(e->ButtonActive());
  }
  // The window made again while the pointer rests on its frame or button, then the pointer leaves.
  const std::function<void()> recreations[] = { [&] { e->SetAlignment(taCenter); }, [&] { e->SetButtonMode(false); },
                                                [&] { e->SetButtonMode(true); }, [&] { e->ChangeSkinData(); } };
  for (const auto& recreate : recreations) {
    for (const TPoint on : { frame, button }) {
      events.clear();
      xt::MouseMove(on.X, on.Y);
      recreate();
      xt::PumpUntilIdle();
      EXPECT_EQ(events, "E");
      xt::MouseMove(away.X, away.Y);
      EXPECT_EQ(events, "EL");
      xt::MouseMove(text.X, text.Y);
      xt::MouseMove(away.X, away.Y);
      EXPECT_EQ(events, "ELEL");
    }
  }
}

TEST_F(SkinEditTest, ADisabledEditDrawsItsTextWhereTheEnabledEditShowsIt) {
  auto* e = NewSkinEdit(10, 10, false);
  e->SetText("WWW");
  e->SetEditPasswordChar('*');
  ShowUnfocused();
  // The top-left corner of the ink of the text in the client area.
  auto ink = [&] {
    TPoint p(-1, -1);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 60; ++x)
        if (Px(e, x, y) != RGB(255, 255, 255)) {
          if (p.Y < 0) p.Y = y;
          if (p.X < 0 || x < p.X) p.X = x;
        }
    return p;
  };
  const TPoint enabled = ink();
  e->SetEnabled(false);
  xt::PumpUntilIdle();
  Gallery(e, "bsSkinBoxCtrls", "disabled-password");
  EXPECT_EQ(ink(), enabled);
  EXPECT_EQ(Px(e, enabled.X, enabled.Y + 1) == RGB(128, 128, 128) ||
                Px(e, enabled.X + 1, enabled.Y + 1) == RGB(128, 128, 128),
            true);
}

TEST_F(SkinEditTest, AStreamedMaskEditKeepsValuesEqualToTheLibrarysOwnDefaults) {
  auto* a = new TSpinForm(nullptr);
  Keep(a);
  auto* m = new TbsSkinMaskEdit(a);
  m->SetName("Mask");
  m->SetParent(a);
  m->SetAutoSize(true);
  m->SetBorderStyle(bsSingle);
  m->SetButtonMode(true);
  m->SetAlignment(taRightJustify);
  m->SetEditMask("!90:00;1; ");
  m->SetSkinDataName("buttonedit");
  m->SetReadOnly(true);
  const AnsiString text = WriteComponentResource(a);
  auto* b = new TSpinForm(nullptr);
  Keep(b);
  ReadComponentResource(b, text);
  auto* back = dynamic_cast<TbsSkinMaskEdit*>(b->FindComponent("Mask"));
  ASSERT_NE(back, nullptr) << text;
  EXPECT_TRUE(back->AutoSize());
  EXPECT_EQ(back->BorderStyle(), bsSingle);
  EXPECT_TRUE(back->ButtonMode());
  EXPECT_EQ(back->Alignment(), taRightJustify);
  EXPECT_EQ(back->EditMask(), "!90:00;1; ");
  EXPECT_EQ(back->SkinDataName(), "buttonedit");
  EXPECT_TRUE(back->ReadOnly());
}

// ---- Time edit ------------------------------------------------------------------------------------------

TEST_F(SkinEditTest, TheTimeEditTakesOnlyKeysThatLeaveAValidTime) {
  auto* t = NewEdit<TbsSkinTimeEdit>(10, 10, 120, 20);
  EXPECT_EQ(t->Text(), "00:00:00");
  Focus(t);
  t->SetSelStart(0);
  t->SetSelLength(0);
  xt::TypeText("3");  // 30:00:00: refused
  EXPECT_EQ(t->Text(), "00:00:00");
  EXPECT_EQ(t->SelStart(), 0);
  xt::TypeText("2");
  EXPECT_EQ(t->Text(), "20:00:00");
  xt::TypeText("4");  // 24:00:00 is the one valid time of hour 24
  EXPECT_EQ(t->Text(), "24:00:00");
  // The caret before the separator: the digit lands in the minutes, as the mask places it.
  t->SetText("01:00:00");
  t->SetSelStart(2);
  t->SetSelLength(0);
  xt::TypeText("9");
  EXPECT_EQ(t->Text(), "01:00:00") << "90 minutes is no time";
  t->SetSelStart(2);
  t->SetSelLength(0);
  xt::TypeText("5");
  EXPECT_EQ(t->Text(), "01:50:00");
  t->SetText("24:00:00");
  t->SetSelStart(7);
  t->SetSelLength(0);
  xt::TypeText("1");  // 24:00:01
  EXPECT_EQ(t->Text(), "24:00:00");
  // Enter and Backspace are never refused by the check (Backspace blanks a position).
  t->SetSelStart(8);
  t->SetSelLength(0);
  xt::KeyPress(VK_BACK);
  EXPECT_EQ(t->Text(), "24:00:0 ");
  EXPECT_EQ(t->Milliseconds(), 86400000) << "blanks count as zeros";
  t->SetText("01:00:00");
  t->SetSelStart(7);  // the last digit is typed over like any other
  t->SetSelLength(0);
  xt::TypeText("5");
  EXPECT_EQ(t->Text(), "01:00:05");
}

TEST_F(SkinEditTest, TheTimeEditConvertsBothWaysAndNeverWritesAnInvalidTime) {
  auto* t = NewEdit<TbsSkinTimeEdit>(10, 10, 120, 20);
  t->SetTime("01:02:03");
  EXPECT_EQ(t->Milliseconds(), 3723000);
  t->SetMilliseconds(3723004);
  EXPECT_EQ(t->Text(), "01:02:03") << "the seconds format without milliseconds";
  t->SetShowMilliseconds(true);
  EXPECT_EQ(t->Text(), "00:00:00.000");
  t->SetMilliseconds(3723004);
  EXPECT_EQ(t->Text(), "01:02:03.004");
  EXPECT_EQ(t->Milliseconds(), 3723004);
  WORD h, m, s, z;
  t->DecodeTime(h, m, s, z);
  EXPECT_EQ(h * 1000 + m * 100 + s * 10 + z, 1000 + 200 + 30 + 4);
  t->EncodeTime(23, 59, 59, 999);
  EXPECT_EQ(t->Text(), "23:59:59.999");
  t->EncodeTime(23, 60, 0, 0);
  EXPECT_EQ(t->Text(), "23:59:59.999") << "an invalid time changes nothing";
  t->SetShowMilliseconds(true);
  EXPECT_EQ(t->Text(), "23:59:59.999") << "setting the same mode keeps the text";

  // Out of range, negative or not numbers at all: the zero text, never a text that breaks the mask.
  for (const char* bad : { "25:70:99", "ab:00:00", "", "-1:00:00" }) {
    t->SetTime("12:00:00.000");
    t->SetTime(bad);
    EXPECT_EQ(t->Text(), "00:00:00.000") << bad;
  }
  for (int bad : { -1, 90061001, INT_MAX, INT_MIN }) {
    t->SetMilliseconds(5);
    t->SetMilliseconds(bad);
    EXPECT_EQ(t->Text(), "00:00:00.000") << bad;
  }
  t->SetMilliseconds(86400000);
  EXPECT_EQ(t->Text(), "24:00:00.000");
  t->SetShowMilliseconds(false);
  EXPECT_EQ(t->Text(), "00:00:00");
  t->SetText("1 :2 :  ");
  EXPECT_EQ(t->Milliseconds(), ((10 * 60 + 20) * 60) * 1000);
}

// ---- Track edit -----------------------------------------------------------------------------------------

TEST_F(SkinEditTest, TheTrackEditTakesTypedNumbersIntoItsRange) {
  auto* t = NewEdit<TbsSkinTrackEdit>(10, 10, 120, 20);
  EXPECT_EQ(t->Text(), "0");
  int changes = 0;
  t->OnChange = On<TNotifyEvent>([&](TObject*) { ++changes; });
  Focus(t);
  t->SelectAll();
  xt::TypeText("1");
  EXPECT_EQ(t->Value(), 1);
  xt::TypeText("50");
  EXPECT_EQ(t->Text(), "100") << "150 is clamped into the text at once";
  EXPECT_EQ(t->Value(), 100);
  t->SelectAll();
  xt::TypeText("-");
  EXPECT_EQ(t->Text(), "-");
  EXPECT_EQ(t->Value(), 100);
  xt::TypeText("7");
  EXPECT_EQ(t->Text(), "0");
  EXPECT_EQ(t->Value(), 0);
  const int before = changes;
  xt::TypeText("\r");
  xt::TypeText("x");
  EXPECT_EQ(beeps, 2);
  EXPECT_EQ(changes, before);
  // Beyond 32 bits: Value stays, nothing is raised. No bounds while they are equal.
  t->SetMaxValue(0);
  t->SelectAll();
  xt::TypeText("99999999999");
  EXPECT_EQ(t->Value(), 999999999);
  t->SetText("-5000");
  EXPECT_EQ(t->Value(), -5000);
  t->SetReadOnly(true);
  xt::TypeText("1");
  xt::KeyPress(VK_BACK);
  EXPECT_EQ(t->Text(), "-5000");
  EXPECT_EQ(beeps, 4);
  // SetValue always reports.
  changes = 0;
  t->SetValue(-5000);
  EXPECT_EQ(changes, 1);
}

TEST_F(SkinEditTest, TheDropDownOpensInsideTheWorkAreaFollowsTheValueAndClosesOnEveryWayOut) {
  auto* t = NewEdit<TbsSkinTrackEdit>(10, 10, 120, 20);
  auto* other = NewEdit<TEdit>(10, 100, 80, 20);
  t->SetValue(30);
  Focus(t);
  auto click = [&] {
    RECT r {};
    GetWindowRect(t->Handle(), &r);
    xt::Click(r.right - 5, r.top + 10);
  };
  click();
  TbsSkinPopupTrackBar* bar = t->PopupTrackBar();
  ASSERT_TRUE(bar->Visible());
  EXPECT_TRUE(form->Active()) << "the drop-down never takes the activation";
  RECT er {}, br {};
  GetWindowRect(t->Handle(), &er);
  GetWindowRect(bar->Handle(), &br);
  EXPECT_EQ(br.left, er.left);
  EXPECT_EQ(br.top, er.bottom);
  EXPECT_EQ(br.right - br.left, 120);
  EXPECT_EQ(bar->Value(), 30);
  EXPECT_TRUE(IsWindowVisible(bar->Handle()));
  EXPECT_EQ(GetWindowLongA(bar->Handle(), GWL_STYLE) & (WS_POPUP | WS_CHILD), WS_POPUP);
  EXPECT_NE(GetWindowLongA(bar->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
  // The bar moves the value live; keys on the bar would not take the focus from the edit.
  bar->SetValue(64);
  EXPECT_EQ(t->Value(), 64);
  EXPECT_EQ(t->Text(), "64");
  // Esc, a second button click, the focus elsewhere and a click elsewhere all close it.
  xt::KeyPress(VK_ESCAPE);
  EXPECT_FALSE(bar->Visible());
  click();
  ASSERT_TRUE(bar->Visible());
  click();
  EXPECT_FALSE(bar->Visible());
  click();
  other->SetFocus();
  xt::PumpUntilIdle();
  EXPECT_FALSE(bar->Visible());
  t->SetFocus();
  click();
  ASSERT_TRUE(bar->Visible());
  ClickAt(form, 250, 150);
  EXPECT_FALSE(bar->Visible());
  EXPECT_EQ(t->Value(), 64);

  // At every edge of the work area it stays inside it.
  struct Case {
    RECT work;
    const char* what;
  };
  for (const Case& c : { Case { { 0, 0, 1024, 95 }, "bottom" }, Case { { 0, 122, 1024, 768 }, "top" },
                         Case { { 0, 0, 200, 768 }, "right" }, Case { { 150, 0, 1024, 768 }, "left" } }) {
    SCOPED_TRACE(c.what);
    xt::SetScreen(1024, 768, c.work);
    t->SetFocus();
    t->DropDown();
    GetWindowRect(t->Handle(), &er);
    GetWindowRect(bar->Handle(), &br);
    EXPECT_GE(br.top, c.work.top);
    EXPECT_LE(br.bottom, std::max(c.work.bottom, er.top));
    EXPECT_GE(br.left, c.work.left);
    EXPECT_LE(br.right, c.work.right);
    if (std::string(c.what) == "bottom") {
      EXPECT_EQ(br.bottom, er.top) << "above the edit";
    }
    t->CloseUp();
  }
}

// The time edit and the track edit, its drop-down open, in the default look, with the test skin and
// after the switch to the second skin (which has no button-edit record: the track edit falls back).
TEST_F(SkinEditTest, TheTimeAndTrackEditsInThreeLooksWithTheDropDownOpen) {
  auto* time = NewEdit<TbsSkinTimeEdit>(10, 10, 120, 20);
  time->SetTime("12:34:56");
  auto* track = NewEdit<TbsSkinTrackEdit>(10, 60, 130, 20);
  track->SetValue(70);
  ShowUnfocused();
  TbsSkinPopupTrackBar* bar = track->PopupTrackBar();
  // Ink of the text somewhere in the left half of the client area.
  auto inked = [&](TWinControl* e, auto isInk) {
    int n = 0;
    for (int y = 0; y < e->ClientHeight(); ++y)
      for (int x = 0; x < e->ClientWidth() / 2; ++x) n += isInk(Px(e, x, y));
    return n;
  };
  auto open = [&] {
    const TPoint b = WinAt(track, track->ButtonRect().Left + 6, 10);
    xt::Click(b.X, b.Y);
    ASSERT_TRUE(bar->Visible());
  };

  // Default look: two rings, black text on the window colour, the button beside the text; the drop-down
  // a plain track bar with its thumb at 70.
  for (TbsSkinCustomEdit* e : { static_cast<TbsSkinCustomEdit*>(time), static_cast<TbsSkinCustomEdit*>(track) }) {
    EXPECT_EQ(WinPx(e, 0, 10), RGB(192, 192, 192));
    EXPECT_EQ(WinPx(e, 1, 10), RGB(128, 128, 128));
    EXPECT_GT(inked(e, [](COLORREF c) { return c == RGB(0, 0, 0); }), 10);
  }
  EXPECT_EQ(WinPx(track, 109, 10), RGB(192, 192, 192)) << "the text frame stops at the button";
  EXPECT_EQ(WinPx(track, 110, 10), RGB(128, 128, 128));
  EXPECT_EQ(WinPx(track, 120, 5), RGB(192, 192, 192));
  Gallery(time, "bsSkinBoxCtrls", "default");
  open();
  EXPECT_EQ(bar->Value(), 70);
  const TRect t = bar->ThumbRect();
  EXPECT_EQ(Px(bar, (t.Left + t.Right) / 2, (t.Top + t.Bottom) / 2), RGB(192, 192, 192));
  EXPECT_EQ(Px(bar, t.Left, (t.Top + t.Bottom) / 2), ColorToRGB(clBtnShadow));
  EXPECT_GT(t.Left, bar->Width() / 2) << "70 of 0..100";
  Gallery(track, "bsSkinBoxCtrls", "default");
  Gallery(bar, "bsSkinBoxCtrls", "default-dropdown");
  xt::KeyPress(VK_ESCAPE);
  ASSERT_FALSE(bar->Visible());
  xt::MouseMove(0, 0);

  // The test skin: the faces from the edit and button-edit records, the text drawn over them, the
  // button's three states, and the drop-down from the horizontal track bar's record.
  LoadTestSkin();
  time->SetSkinData(skin);
  track->SetSkinData(skin);
  FocusHolder()->SetFocus();
  xt::PumpUntilIdle();
  EXPECT_EQ(Decode(WinPx(time, 1, 10)).owner, OwnerOf("edit"));
  EXPECT_EQ(Decode(WinPx(time, 118, 10)).owner, OwnerOf("edit"));
  EXPECT_EQ(Decode(WinPx(track, 1, 10)).owner, OwnerOf("buttonedit"));
  auto* rec = static_cast<TbsDataSkinEditControl*>(skin->CtrlList->Items(skin->GetControlIndex("edit")));
  const COLORREF ink = ColorToRGB(rec->FontColor);
  EXPECT_GT(inked(time, [=](COLORREF c) { return c == ink; }), 10);
  EXPECT_EQ(Decode(Px(time, time->ClientWidth() - 3, 5)).owner, OwnerOf("edit")) << "the face around the text";
  Gallery(time, "bsSkinBoxCtrls", "skin");
  const int bx = track->ButtonRect().Left + 6;
  EXPECT_EQ(Decode(WinPx(track, bx, 10)).code, RectCode("skinrect")) << "the resting button is part of the face";
  const TPoint b = WinAt(track, bx, 10);
  xt::MouseMove(b.X, b.Y);
  EXPECT_EQ(Decode(WinPx(track, bx, 10)).code, RectCode("activebuttonrect"));
  xt::MouseDown(xt::mbLeft, b.X, b.Y);
  EXPECT_EQ(Decode(WinPx(track, bx, 10)).code, RectCode("downbuttonrect"));
  Gallery(track, "bsSkinBoxCtrls", "skin-pressed");
  xt::MouseUp(xt::mbLeft, b.X, b.Y);
  ASSERT_TRUE(bar->Visible());
  EXPECT_EQ(bar->SkinObjectIndex(), skin->GetControlIndex("htrackbar"));
  const TRect st = bar->ThumbRect();
  EXPECT_EQ(Decode(Px(bar, 2, bar->Height() / 2)).owner, OwnerOf("htrackbar"));
  EXPECT_EQ(Decode(Px(bar, (st.Left + st.Right) / 2, (st.Top + st.Bottom) / 2)).code, RectCode("buttonrect"));
  Gallery(bar, "bsSkinBoxCtrls", "skin-dropdown");
  xt::KeyPress(VK_ESCAPE);
  xt::MouseMove(0, 0);

  // The second skin, through the form's walk: the time edit takes its taller edit face; the track edit
  // finds no button-edit record and draws the default look, while its drop-down has a track bar record.
  LoadSecondSkin();
  FocusHolder()->SetFocus();
  xt::PumpUntilIdle();
  EXPECT_EQ(time->Height(), 22);
  EXPECT_EQ(Decode(WinPx(time, 1, 10)).owner, OwnerOf("edit"));
  EXPECT_EQ(track->SkinObjectIndex(), -1);
  EXPECT_EQ(WinPx(track, 0, 10), RGB(192, 192, 192));
  EXPECT_EQ(WinPx(track, 1, 10), RGB(128, 128, 128));
  EXPECT_EQ(time->Text(), "12:34:56");
  EXPECT_EQ(track->Text(), "70");
  Gallery(time, "bsSkinBoxCtrls", "second");
  open();
  EXPECT_EQ(Decode(Px(bar, 2, bar->Height() / 2)).owner, OwnerOf("htrackbar"));
  Gallery(track, "bsSkinBoxCtrls", "second");
  Gallery(bar, "bsSkinBoxCtrls", "second-dropdown");
}

// Typing repaints the text area alone: no frame is painted for a key, yet the edit shows exactly what a
// full repaint of the control shows, in every look, and the face still follows the hot state.
TEST_F(SkinEditTest, AKeystrokeRepaintsTheTextAloneAndLooksAsAFullRepaintDoes) {
  auto* plain = NewSkinEdit(10, 10, false);
  auto* skinned = NewSkinEdit(10, 40, true);
  auto* right = NewSkinEdit(10, 70, false);
  right->SetAlignment(taRightJustify);
  LoadTestSkin();
  skinned->SetSkinDataName("buttonedit");
  skinned->SetSkinData(skin);
  right->SetSkinData(skin);
  ShowUnfocused();
  auto shot = [&](TbsSkinEdit* e) {
    std::vector<COLORREF> px;
    for (int y = 0; y < e->Height(); ++y)
      for (int x = 0; x < e->Width(); ++x) px.push_back(WinPx(e, x, y));
    return px;
  };
  auto fullRepaint = [&](TbsSkinEdit* e) {
    RedrawWindow(e->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    xt::PumpUntilIdle();
    return shot(e);
  };
  for (TbsSkinEdit* e : { plain, skinned, right }) {
    SCOPED_TRACE(e == plain ? "default" : e == skinned ? "button edit" : "right-aligned");
    e->SetText("some text");
    Focus(e);
    e->SetSelStart(4);
    e->SetSelLength(0);
    xt::PumpUntilIdle();
    TRecorder frames(e, { WM_NCPAINT });
    xt::TypeText("W");
    EXPECT_EQ(e->Text(), "someW text");
    EXPECT_EQ(frames.Count(WM_NCPAINT), 0) << "a key repaints no frame";
    const std::vector<COLORREF> typed = shot(e);
    EXPECT_EQ(typed, fullRepaint(e));
    xt::KeyPress(VK_BACK);
    xt::KeyPress(VK_LEFT, xt::ssShift);  // a selection: the highlight over the face
    EXPECT_EQ(e->SelLength(), 1);
    EXPECT_EQ(frames.Count(WM_NCPAINT), 1) << "only the full repaint above";
    const std::vector<COLORREF> selected = shot(e);
    EXPECT_NE(selected, typed);
    EXPECT_EQ(selected, fullRepaint(e));
    // Leaving the focus turns the face cold; text set afterwards is drawn over the cold face.
    FocusHolder()->SetFocus();
    xt::PumpUntilIdle();
    e->SetText("other");
    xt::PumpUntilIdle();
    const std::vector<COLORREF> cold = shot(e);
    EXPECT_EQ(cold, fullRepaint(e));
  }
  // The default look's rings swap with the hot state: a cold face after the focus left.
  EXPECT_EQ(WinPx(plain, 0, 10), RGB(192, 192, 192));
  EXPECT_EQ(WinPx(plain, 1, 10), RGB(128, 128, 128));
}

// Under code page 936 the OEM and ANSI pages are one, so OEMConvert converts nothing: typed text reads
// back the same with it on or off, and the window keeps every other style it had.
TEST_F(EditsTest, OEMConvertKeepsTypedTextAndEveryOtherStyleAsTheyAre) {
  struct Case {
    const char* name;
    std::function<TCustomEdit*()> make;
    const char* typed;
    bool exact { true };  // read back as typed (the time edit formats what it is given)
  };
  const char* text = "Ab\xc4\xe3~9 \xd6\xd0";
  const Case cases[] = {
    { "TbsSkinEdit", [&] { return NewEdit<TbsSkinEdit>(10, 10, 160, 22); }, text },
    { "TbsSkinMaskEdit", [&] { return NewEdit<TbsSkinMaskEdit>(10, 10, 160, 22); }, text },
    { "TbsSkinTimeEdit", [&] { return NewEdit<TbsSkinTimeEdit>(10, 10, 160, 22); }, "1234", false },
    { "TbsSkinMemo", [&] { return NewEdit<TbsSkinMemo>(10, 10, 160, 80); }, text },
    { "TbsSkinMemo2", [&] { return NewEdit<TbsSkinMemo2>(10, 10, 160, 80); }, text },
    { "TEdit", [&] { return NewEdit<TEdit>(10, 10, 160, 22); }, text },
    { "TMemo", [&] { return NewEdit<TMemo>(10, 10, 160, 80); }, text },
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AnsiString texts[2];
    LONG styles[2] {};
    for (bool oem : { false, true }) {
      TCustomEdit* e = c.make();
      e->SetOEMConvert(oem);
      Focus(e);
      xt::TypeText(c.typed);
      texts[oem] = e->Text();
      styles[oem] = GetWindowLongA(e->Handle(), GWL_STYLE);
      EXPECT_EQ(e->OEMConvert(), oem);
      delete e;
    }
    EXPECT_EQ(texts[true], texts[false]);
    if (c.exact) {
      EXPECT_EQ(texts[true], c.typed);
    }
    EXPECT_NE(texts[true].find(c.typed[0]), AnsiString::npos) << "the text was typed";
    EXPECT_EQ(styles[true] & ES_OEMCONVERT, ES_OEMCONVERT);
    EXPECT_EQ(styles[false] & ES_OEMCONVERT, 0);
    EXPECT_EQ(styles[true] & ~ES_OEMCONVERT, styles[false]);
  }
}

// A skin switch makes an edit's or a memo's window anew with the new skin's font and size: the old window
// is told neither on its way out, and the new one keeps the text and the focus.
TEST_F(SkinEditTest, ASkinSwitchMakesTheWindowAnewWithoutTellingTheOldOne) {
  LoadTestSkin();
  auto* edit = NewSkinEdit(10, 10, false);
  auto* memo = new TbsSkinMemo(form);
  memo->SetParent(form);
  memo->SetBounds(10, 60, 150, 70);
  edit->SetSkinData(skin);
  memo->SetSkinData(skin);
  edit->SetText("编辑 one");
  memo->SetText("第一行\r\nline two");
  ShowUnfocused();
  edit->SetFocus();
  const HWND oldEdit = edit->Handle(), oldMemo = memo->Handle();
  ASSERT_EQ(edit->Height(), 20);
  xt::MessageTrace toEdit(oldEdit, { WM_SETFONT, WM_SIZE }), toMemo(oldMemo, { WM_SETFONT, WM_SIZE });
  LoadSecondSkin();
  xt::PumpUntilIdle();
  EXPECT_EQ(toEdit.Messages().size(), 0u);
  EXPECT_EQ(toMemo.Messages().size(), 0u);
  EXPECT_FALSE(IsWindow(oldEdit) || IsWindow(oldMemo));
  EXPECT_EQ(GetFocus(), edit->Handle());
  EXPECT_EQ(edit->Height(), 22);  // the second skin's edit
  EXPECT_EQ(edit->Text(), "编辑 one");
  EXPECT_EQ(memo->Text(), "第一行\r\nline two");
  for (TWinControl* c : { static_cast<TWinControl*>(edit), static_cast<TWinControl*>(memo) })
    EXPECT_EQ(HFONT(c->Perform(WM_GETFONT, 0, 0)), static_cast<TCustomEdit*>(c)->Font()->Handle());
}
