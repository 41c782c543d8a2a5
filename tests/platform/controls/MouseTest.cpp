// The mouse in the control layer: routing to windowless controls, the click and double-click rules,
// capture, enter and leave (synchronous and capture-aware), focus broadcasts, cancel mode, context menus.

#include "platform/vcl/ActnList.h"
#include "platform/vcl/Menus.h"
#include "tests/support/ControlsTestUtil.h"

using namespace ctltest;

namespace {

class MouseTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    form = NewForm(100, 100, 400, 300);
    shape = new TTestShape(form);
    shape->SetParent(form);
    shape->SetBounds(50, 50, 100, 40);
    shape->SetColor(clRed);
  }
  TForm* form {};
  TTestShape* shape {};
};

TEST_F(MouseTest, AWindowlessControlGetsTheMouseInItsOwnCoordinates) {
  std::vector<std::string> log;
  shape->OnMouseDown = On<TMouseEvent>([&](TObject*, TMouseButton b, TShiftState, int x, int y) {
    log.push_back("shape down " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y));
  });
  shape->OnClick = On<TNotifyEvent>([&](TObject*) { log.push_back("shape click"); });
  form->OnClick = On<TNotifyEvent>([&](TObject*) { log.push_back("form click"); });
  form->OnMouseDown = On<TMouseEvent>([&](TObject*, TMouseButton, TShiftState, int x, int y) {
    log.push_back("form down " + std::to_string(x) + "," + std::to_string(y));
  });
  form->Show();
  ClickAt(form, 60, 55);
  ClickAt(form, 10, 10);
  shape->SetVisible(false);
  ClickAt(form, 200, 60);
  const std::vector<std::string> expected { "shape down 0 10,5", "shape click",      "form down 10,10",
                                            "form click",        "form down 200,60", "form click" };
  EXPECT_EQ(log, expected);
}

TEST_F(MouseTest, ClickNeedsPressAndReleaseInsideAndDoubleClicksFollowTheStyle) {
  int clicks = 0, dbl = 0;
  std::vector<TShiftState> downs;
  shape->OnClick = On<TNotifyEvent>([&](TObject*) { ++clicks; });
  shape->OnDblClick = On<TNotifyEvent>([&](TObject*) { ++dbl; });
  shape->OnMouseDown = On<TMouseEvent>([&](TObject*, TMouseButton, TShiftState s, int, int) { downs.push_back(s); });
  form->Show();
  const TPoint inside = At(shape, 5, 5), outside = At(form, 300, 250);
  xt::Drag(inside.X, inside.Y, outside.X, outside.Y);
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(shape->MouseCapture());
  xt::Drag(outside.X, outside.Y, inside.X, inside.Y);
  EXPECT_EQ(clicks, 0);
  xt::Advance(1000);
  xt::DoubleClick(inside.X, inside.Y);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(dbl, 1);
  ASSERT_GE(downs.size(), 2u);
  EXPECT_TRUE(downs.back().Contains(ssDouble));

  xt::Advance(1000);
  shape->SetControlStyle(shape->ControlStyle() - TControlStyle { csDoubleClicks });
  xt::DoubleClick(inside.X, inside.Y);
  EXPECT_EQ(clicks, 3);
  EXPECT_EQ(dbl, 1);
  EXPECT_FALSE(downs.back().Contains(ssDouble));
}

TEST_F(MouseTest, CaptureKeepsTheMouseAndOnlyTheCapturingControlHearsOfLeavingAndComingBack) {
  auto* other = new TTestShape(form);
  other->SetParent(form);
  other->SetBounds(200, 50, 50, 40);
  form->Show();
  TRecorder rec(shape, { CM_MOUSEENTER, CM_MOUSELEAVE, WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP });
  TRecorder otherRec(other, { CM_MOUSEENTER, CM_MOUSELEAVE });
  std::vector<TPoint> moves;
  shape->OnMouseMove = On<TMouseMoveEvent>([&](TObject*, TShiftState, int x, int y) { moves.emplace_back(x, y); });

  MoveTo(shape, 10, 10);
  const TPoint in = At(shape, 10, 10), overOther = At(other, 5, 5), back = At(shape, 20, 20);
  xt::MouseDown(xt::mbLeft, in.X, in.Y);
  EXPECT_TRUE(shape->MouseCapture());
  xt::MouseMove(overOther.X, overOther.Y);
  xt::MouseMove(back.X, back.Y);
  xt::MouseMove(overOther.X, overOther.Y);
  xt::MouseUp(xt::mbLeft, overOther.X, overOther.Y);
  EXPECT_FALSE(shape->MouseCapture());
  const std::vector<UINT> expected { CM_MOUSEENTER, WM_MOUSEMOVE, WM_LBUTTONDOWN, CM_MOUSELEAVE, WM_MOUSEMOVE,
                                     CM_MOUSEENTER, WM_MOUSEMOVE, CM_MOUSELEAVE,  WM_MOUSEMOVE,  WM_LBUTTONUP };
  EXPECT_EQ(rec.Ids(), expected);
  EXPECT_EQ(otherRec.Count(CM_MOUSEENTER), 0);
  ASSERT_GE(moves.size(), 2u);
  EXPECT_EQ(moves[1], TPoint(overOther.X - At(shape, 0, 0).X, overOther.Y - At(shape, 0, 0).Y));

  // Free again: the next move enters the control under the pointer.
  xt::MouseMove(overOther.X + 1, overOther.Y);
  EXPECT_EQ(otherRec.Count(CM_MOUSEENTER), 1);
  EXPECT_EQ(GetMouseControl(), other);
}

TEST_F(MouseTest, EnterAndLeaveAreSentAsTheMouseMovesAndPassToTheParent) {
  auto* panel = new TTestPanel(form);
  panel->SetParent(form);
  panel->SetBounds(200, 150, 100, 80);
  form->Show();
  std::vector<std::pair<UINT, TControl*>> formSaw;
  TWndMethod old = form->WindowProc;
  form->WindowProc = TWndMethod::FromCallable([&](TMessage& m) {
    if (m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE)
      formSaw.emplace_back(m.Msg, reinterpret_cast<TControl*>(m.LParam));
    old(m);
  });
  MoveTo(form, 10, 10);     // the form itself
  MoveTo(shape, 5, 5);      // a windowless child
  MoveTo(panel, 5, 5);      // a windowed child
  MoveTo(form, 10, 10);     // back to the form
  xt::MouseMove(900, 700);  // outside every window
  form->WindowProc = old;
  const std::vector<std::pair<UINT, TControl*>> expected {
    { CM_MOUSEENTER, nullptr }, { CM_MOUSELEAVE, nullptr }, { CM_MOUSEENTER, shape },   { CM_MOUSELEAVE, shape },
    { CM_MOUSEENTER, panel },   { CM_MOUSELEAVE, panel },   { CM_MOUSEENTER, nullptr }, { CM_MOUSELEAVE, nullptr },
  };
  EXPECT_EQ(formSaw, expected);
  EXPECT_EQ(GetMouseControl(), nullptr);
}

// The control under the pointer ends where its neighbour begins: its right and bottom edges (Left + Width,
// Top + Height) are outside it.
TEST_F(MouseTest, TheControlUnderThePointerEndsAtItsRightAndBottomEdges) {
  auto* right = new TTestShape(form);
  right->SetParent(form);
  right->SetBounds(150, 50, 30, 40);
  form->Show();
  const struct {
    int x, y;
    TControl* expected;
  } cases[] = { { 50, 50, shape }, { 149, 89, shape }, { 150, 60, right }, { 179, 89, right },
                { 180, 60, form }, { 149, 90, form },  { 49, 60, form },   { 100, 49, form } };
  for (const auto& c : cases) {
    MoveTo(form, c.x, c.y);
    EXPECT_EQ(GetMouseControl(), c.expected) << c.x << "," << c.y;
  }
}

TEST_F(MouseTest, FocusChangeIsBroadcastToEveryControlOfTheForm) {
  auto* panel = new TTestPanel(form);
  panel->SetParent(form);
  panel->SetBounds(200, 150, 150, 80);
  auto* inner = new TTestButton(form);
  inner->SetParent(panel);
  auto* innerShape = new TTestShape(form);
  innerShape->SetParent(panel);
  innerShape->SetBounds(80, 10, 30, 20);
  auto* outer = new TTestButton(form);
  outer->SetParent(form);
  outer->SetBounds(10, 200, 75, 25);
  form->Show();
  outer->SetFocus();
  std::vector<std::unique_ptr<TRecorder>> recs;
  for (TControl* c : std::vector<TControl*> { shape, panel, inner, innerShape, outer })
    recs.push_back(std::make_unique<TRecorder>(c, std::vector<UINT> { CM_FOCUSCHANGED }));
  inner->SetFocus();
  for (auto& r : recs) {
    ASSERT_EQ(r->Messages.size(), 1u);
    EXPECT_EQ(reinterpret_cast<TCMFocusChanged&>(r->Messages[0]).Sender, inner);
  }
  EXPECT_EQ(form->ActiveControl(), inner);
}

TEST_F(MouseTest, APressElsewhereCancelsTheFocusedControlsMode) {
  auto* focused = new TTestButton(form);
  focused->SetParent(form);
  focused->SetBounds(10, 200, 75, 25);
  form->Show();
  focused->SetFocus();
  TRecorder rec(focused, { CM_CANCELMODE });
  ClickAt(shape, 5, 5);
  ASSERT_EQ(rec.Messages.size(), 1u);
  EXPECT_EQ(reinterpret_cast<TCMCancelMode&>(rec.Messages[0]).Sender, shape);
}

TEST_F(MouseTest, RightClickOpensThePopupMenuUnlessOnContextPopupHandlesIt) {
  auto* popup = new TPopupMenu(form);
  auto* item = new TMenuItem(form);
  item->SetCaption("&Copy");
  int copies = 0;
  item->OnClick = On<TNotifyEvent>([&](TObject*) { ++copies; });
  popup->Items()->Add(item);
  int popups = 0;
  popup->OnPopup = On<TNotifyEvent>([&](TObject*) { ++popups; });
  shape->SetPopupMenu(popup);
  form->Show();
  xt::AnswerModal([&](const xt::ModalRecord& r) -> LONG_PTR {
    EXPECT_EQ(r.kind, xt::ModalRecord::Menu);
    return item->Command();
  });
  ClickAt(shape, 5, 5, xt::mbRight);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(copies, 1);
  EXPECT_EQ(popup->PopupComponent(), shape);

  bool handle = true;
  shape->OnContextPopup = On<TContextPopupEvent>([&](TObject*, TPoint pos, bool& handled) {
    EXPECT_EQ(pos, TPoint(6, 6));
    handled = handle;
  });
  xt::Advance(1000);
  ClickAt(shape, 6, 6, xt::mbRight);
  EXPECT_EQ(popups, 1);

  // Shown for a sibling that never had it as its menu: the menu still forgets that one when it goes.
  auto* other = new TTestShape(form);
  popup->SetPopupComponent(other);
  delete other;
  EXPECT_EQ(popup->PopupComponent(), nullptr);
}

TEST_F(MouseTest, TheWheelGoesToTheFocusedControl) {
  auto* focused = new TTestButton(form);
  focused->SetParent(form);
  form->Show();
  focused->SetFocus();
  std::vector<int> deltas;
  focused->OnMouseWheel = On<TMouseWheelEvent>([&](TObject*, TShiftState, int d, TPoint, bool& handled) {
    deltas.push_back(d);
    handled = true;
  });
  int downs = 0;
  focused->OnMouseWheelDown = On<TMouseWheelUpDownEvent>([&](TObject*, TShiftState, TPoint, bool&) { ++downs; });
  MoveTo(focused, 5, 5);
  xt::Wheel(120);
  xt::Wheel(-240);
  EXPECT_EQ(deltas, (std::vector<int> { 120, -240 }));
  EXPECT_EQ(downs, 0);
}

TEST_F(MouseTest, LeavingToTheFrameIsALeave) {
  form->Show();
  TRecorder rec(form, { CM_MOUSEENTER, CM_MOUSELEAVE });
  MoveTo(form, 200, 200);
  xt::MouseMove(form->Left() + 100, form->Top() + 10);  // the caption
  EXPECT_EQ(rec.Ids(), (std::vector<UINT> { CM_MOUSEENTER, CM_MOUSELEAVE }));
  EXPECT_EQ(GetMouseControl(), nullptr);
}

TEST_F(MouseTest, AWindowlessControlFreedInsideItsOwnEvents) {
  form->Show();
  struct Case {
    const char* name;
    std::function<void(TTestShape*, std::function<void()>)> arm;
  } cases[] = {
    { "OnMouseDown",
      [](TTestShape* s, std::function<void()> kill) {
        s->OnMouseDown = TMouseEvent::FromCallable([kill](TObject*, TMouseButton, TShiftState, int, int) { kill(); });
      } },
    { "OnClick",
      [](TTestShape* s, std::function<void()> kill) {
        s->OnClick = TNotifyEvent::FromCallable([kill](TObject*) { kill(); });
      } },
    { "OnMouseUp",
      [](TTestShape* s, std::function<void()> kill) {
        s->OnMouseUp = TMouseEvent::FromCallable([kill](TObject*, TMouseButton, TShiftState, int, int) { kill(); });
      } },
    // The click runs the control's action through the link the control owns.
    { "OnExecute of its action",
      [](TTestShape* s, std::function<void()> kill) {
        auto* action = new TAction(s->Owner());
        action->SetOnExecute(TNotifyEvent::FromCallable([kill](TObject*) { kill(); }));
        s->SetAction(action);
      } },
  };
  for (Case& c : cases) {
    auto* victim = new TTestShape(form);
    victim->SetParent(form);
    victim->SetBounds(200, 200, 50, 30);
    auto life = victim->LifeToken();
    c.arm(victim, [victim] { delete victim; });
    xt::Advance(1000);
    ClickAt(form, 210, 210);
    EXPECT_TRUE(life.expired()) << c.name;
    EXPECT_EQ(GetCaptureControl(), nullptr) << c.name;
    ClickAt(form, 215, 215);  // the form goes on
  }
}

// A control that notifies its parent the way a native child window does.
class TNotifier : public TCustomControl {
  XJ_CLASS(TNotifier, TCustomControl)
 public:
  explicit TNotifier(TComponent* AOwner) : TCustomControl(AOwner) {}
  std::vector<UINT> Reflected;
  void Dispatch(TMessage& Message) override {
    if (Message.Msg > CN_BASE && Message.Msg < CN_BASE + 0x400) {
      Reflected.push_back(Message.Msg - CN_BASE);
      Message.Result = 7;
      return;
    }
    TCustomControl::Dispatch(Message);
  }
};

TEST_F(MouseTest, NotificationsFromAChildWindowComeBackToItAsCnMessages) {
  auto* child = new TNotifier(form);
  child->SetParent(form);
  form->Show();
  HWND h = child->Handle();
  EXPECT_EQ(SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), (LPARAM)h), 7);
  NMHDR hdr { h, 1, 0 };
  EXPECT_EQ(SendMessageA(form->Handle(), WM_NOTIFY, 1, (LPARAM)&hdr), 7);
  DRAWITEMSTRUCT dis {};
  dis.hwndItem = h;
  EXPECT_EQ(SendMessageA(form->Handle(), WM_DRAWITEM, 1, (LPARAM)&dis), 7);
  EXPECT_EQ(SendMessageA(form->Handle(), WM_VSCROLL, SB_LINEDOWN, (LPARAM)h), 7);
  EXPECT_EQ(SendMessageA(form->Handle(), WM_CTLCOLOREDIT, 0, (LPARAM)h), 7);
  EXPECT_EQ(child->Reflected, (std::vector<UINT> { WM_COMMAND, WM_NOTIFY, WM_DRAWITEM, WM_VSCROLL, WM_CTLCOLOREDIT }));
  // A menu command (no control) is not reflected.
  SendMessageA(form->Handle(), WM_COMMAND, 5, 0);
  EXPECT_EQ(child->Reflected.size(), 5u);
}

}  // namespace
