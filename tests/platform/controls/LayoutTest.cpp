// Layout and state: alignment order (R23), anchors, constraints, the notifications setters send, parent
// colour and font, recreating a window.

#include <array>
#include <climits>
#include <functional>
#include <map>
#include <string>

#include "platform/win32/IntMath.h"
#include "tests/support/ControlsTestUtil.h"

using namespace ctltest;

namespace {

class LayoutTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    form = NewForm(0, 0, 400, 300);
    form->SetBorderStyle(bsNone);  // client = window: easy numbers
    form->Show();
  }
  TTestPanel* Panel(TWinControl* parent, int l, int t, int w, int h, TAlign align = alNone) {
    auto* p = new TTestPanel(form);
    p->SetBounds(l, t, w, h);
    p->SetAlign(align);
    p->SetParent(parent);
    return p;
  }
  TForm* form {};
};

TEST_F(LayoutTest, SiblingsOfOneAlignmentKeepTheirOrderWithTheAlignedControlWinningTies) {
  form->DisableAlign();
  TTestPanel* a = Panel(form, 0, 50, 10, 10, alTop);
  TTestPanel* b = Panel(form, 0, 10, 10, 20, alTop);
  TTestPanel* c = Panel(form, 0, 30, 10, 30, alTop);
  form->EnableAlign();
  EXPECT_EQ(b->BoundsRect(), TRect(0, 0, 400, 20));
  EXPECT_EQ(c->BoundsRect(), TRect(0, 20, 400, 50));
  EXPECT_EQ(a->BoundsRect(), TRect(0, 50, 400, 60));

  // Dropped on the same Top as c: the control being aligned goes before it.
  a->SetTop(20);
  EXPECT_EQ(b->Top(), 0);
  EXPECT_EQ(a->Top(), 20);
  EXPECT_EQ(c->Top(), 30);

  // alBottom: the one further down goes nearer the edge.
  form->DisableAlign();
  TTestPanel* d = Panel(form, 0, 200, 10, 10, alBottom);
  TTestPanel* e = Panel(form, 0, 250, 10, 15, alBottom);
  form->EnableAlign();
  EXPECT_EQ(e->BoundsRect(), TRect(0, 285, 400, 300));
  EXPECT_EQ(d->BoundsRect(), TRect(0, 275, 400, 285));
}

TEST_F(LayoutTest, EdgesFillInwardAndClientTakesTheRest) {
  form->DisableAlign();
  TTestPanel* client = Panel(form, 0, 0, 5, 5, alClient);
  TTestPanel* right = Panel(form, 300, 0, 40, 5, alRight);
  TTestPanel* left2 = Panel(form, 20, 0, 30, 5, alLeft);
  TTestPanel* left1 = Panel(form, 10, 0, 20, 5, alLeft);
  TTestPanel* top = Panel(form, 0, 0, 5, 25, alTop);
  TTestPanel* hidden = Panel(form, 0, 0, 5, 40, alTop);
  hidden->SetVisible(false);
  form->EnableAlign();
  EXPECT_EQ(top->BoundsRect(), TRect(0, 0, 400, 25));
  EXPECT_EQ(left1->BoundsRect(), TRect(0, 25, 20, 300));
  EXPECT_EQ(left2->BoundsRect(), TRect(20, 25, 50, 300));
  EXPECT_EQ(right->BoundsRect(), TRect(360, 25, 400, 300));
  EXPECT_EQ(client->BoundsRect(), TRect(50, 25, 360, 300));
  hidden->SetVisible(true);  // shown: it takes its place, the client shrinks
  EXPECT_EQ(client->BoundsRect(), TRect(50, 65, 360, 300));
  form->SetBounds(0, 0, 500, 400);
  EXPECT_EQ(client->BoundsRect(), TRect(50, 65, 460, 400));
  EXPECT_EQ(right->BoundsRect(), TRect(460, 65, 500, 400));
}

TEST_F(LayoutTest, AnchorsKeepTheirDistancesWhenTheParentResizes) {
  TTestPanel* all = Panel(form, 10, 20, 100, 50);
  all->SetAnchors({ akLeft, akTop, akRight, akBottom });
  TTestPanel* corner = Panel(form, 300, 250, 50, 30);
  corner->SetAnchors({ akRight, akBottom });
  TTestPanel* floating = Panel(form, 150, 100, 100, 100);
  floating->SetAnchors({});
  TTestPanel* fixed = Panel(form, 5, 5, 10, 10);
  form->SetBounds(0, 0, 600, 500);
  EXPECT_EQ(all->BoundsRect(), TRect(10, 20, 310, 270));
  EXPECT_EQ(corner->BoundsRect(), TRect(500, 450, 550, 480));
  EXPECT_EQ(floating->BoundsRect(), TRect(MulDiv(200, 600, 400) - 50, MulDiv(150, 500, 300) - 50,
                                          MulDiv(200, 600, 400) + 50, MulDiv(150, 500, 300) + 50));
  EXPECT_EQ(fixed->BoundsRect(), TRect(5, 5, 15, 15));
  form->SetBounds(0, 0, 400, 300);
  EXPECT_EQ(all->BoundsRect(), TRect(10, 20, 100 + 10, 50 + 20));
  EXPECT_EQ(corner->BoundsRect(), TRect(300, 250, 350, 280));
}

// Whether a parent has anything to place is asked of its windowless and its windowed children alike.
TEST_F(LayoutTest, AParentResizedPlacesItsAlignedChildWindowedOrNot) {
  for (bool windowless : { true, false }) {
    TTestPanel* parent = Panel(form, 0, 0, 200, 100);
    TControl* aligned = windowless ? static_cast<TControl*>(new TTestShape(form)) : new TTestPanel(form);
    TControl* other = windowless ? static_cast<TControl*>(new TTestPanel(form)) : new TTestShape(form);
    other->SetBounds(7, 9, 11, 13);
    other->SetParent(parent);
    aligned->SetBounds(3, 5, 40, 20);
    aligned->SetAlign(alBottom);
    aligned->SetParent(parent);
    ASSERT_EQ(aligned->BoundsRect(), TRect(0, 80, 200, 100)) << windowless;
    parent->SetBounds(0, 0, 250, 130);
    EXPECT_EQ(aligned->BoundsRect(), TRect(0, 110, 250, 130)) << windowless;
    EXPECT_EQ(other->BoundsRect(), TRect(7, 9, 18, 22)) << windowless;
    delete parent;
  }
}

// A parent that counts its alignment passes which had a child to place.
class TPassCountingPanel : public TTestPanel {
 public:
  using TTestPanel::TTestPanel;
  int Passes { 0 };

 protected:
  void ControlsAligned() override { ++Passes; }
};

// Whether a parent has anything to place follows each way a child comes to be placed or stops being
// placed: its Align, its Anchors, its coming, its going, its end. The parent grows by 10 x 7 after each
// step; a step that leaves nothing placed must cost no pass at all.
TEST_F(LayoutTest, AParentKnowsAtEveryStepWhetherAnyChildIsAlignedOrAnchored) {
  auto* parent = new TPassCountingPanel(form);
  parent->SetBounds(0, 0, 200, 100);
  parent->SetParent(form);
  TTestPanel* a = Panel(parent, 10, 10, 20, 20);
  TTestPanel* b = nullptr;
  struct Step {
    const char* what;
    std::function<void()> act;
    int passes;
    TTestPanel** watched;
    TRect after;  // the watched child's bounds after the growth
  };
  const Step steps[] = {
    { "plain child", [] {}, 0, &a, TRect(10, 10, 30, 30) },
    { "anchored right",
      [&] {
        a->SetAnchors({ akLeft, akTop, akRight });
      },
      1, &a, TRect(10, 10, 40, 30) },
    { "anchors back",
      [&] {
        a->SetAnchors({ akLeft, akTop });
      },
      0, &a, TRect(10, 10, 40, 30) },
    { "aligned right", [&] { a->SetAlign(alRight); }, 1, &a, TRect(210, 0, 240, 128) },
    { "alignment dropped", [&] { a->SetAlign(alNone); }, 0, &a, TRect(210, 0, 240, 128) },
    { "comes aligned", [&] { b = Panel(parent, 3, 3, 9, 9, alBottom); }, 1, &b, TRect(0, 133, 260, 142) },
    { "goes elsewhere", [&] { b->SetParent(form); }, 0, &b, TRect(0, 291, 400, 300) },
    { "comes back", [&] { b->SetParent(parent); }, 1, &b, TRect(0, 147, 280, 156) },
    { "freed", [&] { delete b; }, 0, &a, TRect(210, 0, 240, 128) },
  };
  for (const Step& s : steps) {
    s.act();
    const int before = parent->Passes;
    parent->SetBounds(0, 0, parent->Width() + 10, parent->Height() + 7);
    EXPECT_EQ(parent->Passes - before, s.passes) << s.what;
    EXPECT_EQ((*s.watched)->BoundsRect(), s.after) << s.what;
  }
}

TEST_F(LayoutTest, ConstraintsLimitEverySizeChange) {
  TTestPanel* p = Panel(form, 0, 0, 100, 100);
  p->Constraints()->SetMinWidth(50);
  p->Constraints()->SetMaxHeight(80);
  EXPECT_EQ(p->Height(), 80);  // applied at once
  p->SetBounds(0, 0, 10, 200);
  EXPECT_EQ(p->Width(), 50);
  EXPECT_EQ(p->Height(), 80);
  int asked = 0;
  p->OnCanResize = On<TCanResizeEvent>([&](TObject*, int& w, int&, bool& resize) {
    ++asked;
    resize = w != 77;
  });
  p->SetWidth(77);
  EXPECT_EQ(p->Width(), 50);
  EXPECT_EQ(asked, 1);
  // An aligned control that keeps a smaller size gives the space back to the others.
  p->Constraints()->SetMaxHeight(0);
  p->Constraints()->SetMaxWidth(60);
  p->SetAlign(alLeft);
  TTestPanel* client = Panel(form, 0, 0, 5, 5, alClient);
  p->Constraints()->SetMaxWidth(40);
  EXPECT_EQ(p->Width(), 40);  // a maximum below the minimum pulls the minimum down
  EXPECT_EQ(p->Constraints()->MinWidth(), 40);
  EXPECT_EQ(client->Left(), 40);
}

// A client-aligned control left exactly no height gets none; left less than none, it keeps its own.
TEST_F(LayoutTest, AClientAlignedControlLeftNoHeightGetsNone) {
  TTestPanel* top = Panel(form, 0, 0, 5, 10, alTop);
  TTestPanel* client = Panel(form, 0, 0, 5, 7, alClient);
  const int own = client->Height();
  ASSERT_EQ(own, 290);
  const struct { int topHeight, clientHeight; } cases[] = { { 301, own }, { 300, 0 }, { 299, 1 } };
  for (const auto& c : cases) {
    top->SetHeight(c.topHeight);
    EXPECT_EQ(client->Height(), c.clientHeight) << c.topHeight;
  }
}

// A control that keeps another size than its strip's (here its height follows its width) gives the
// difference back to the controls aligned after it, on every side.
TEST_F(LayoutTest, AnAlignedControlKeepingAnotherSizeGivesTheRestBackOnEverySide) {
  const struct {
    TAlign align;
    TRect client;
  } cases[] = { { alTop, TRect(0, 40, 400, 300) },
                { alBottom, TRect(0, 0, 400, 260) },
                { alLeft, TRect(30, 0, 400, 300) },
                { alRight, TRect(0, 0, 370, 300) } };
  for (const auto& c : cases) {
    form->DisableAlign();
    TTestPanel* p = Panel(form, 0, 0, 100, 100, c.align);
    p->OnCanResize = On<TCanResizeEvent>([](TObject*, int& w, int& h, bool&) {
      if (w == 400) h = 40;  // across the whole width: 40 high
      if (h == 300) w = 30;  // down the whole height: 30 wide
    });
    TTestPanel* client = Panel(form, 0, 0, 5, 5, alClient);
    form->EnableAlign();
    EXPECT_EQ(client->BoundsRect(), c.client) << int(c.align);
    delete client;
    delete p;
  }
}

TEST_F(LayoutTest, SettersSendTheirNotificationsOnlyOnChange) {
  TTestShape* shape = new TTestShape(form);
  shape->SetParent(form);
  TRecorder rec(shape, { CM_ENABLEDCHANGED, CM_VISIBLECHANGED, CM_TEXTCHANGED, CM_FONTCHANGED, CM_COLORCHANGED,
                         CM_SHOWHINTCHANGED, CM_CURSORCHANGED });
  struct Case {
    const char* name;
    std::function<void()> change;
    UINT msg;
  } cases[] = {
    { "Enabled", [&] { shape->SetEnabled(false); }, CM_ENABLEDCHANGED },
    { "Visible", [&] { shape->SetVisible(false); }, CM_VISIBLECHANGED },
    { "Caption", [&] { shape->SetCaption("x"); }, CM_TEXTCHANGED },
    { "Font", [&] { shape->Font()->SetSize(12); }, CM_FONTCHANGED },
    { "Color", [&] { shape->SetColor(clBlue); }, CM_COLORCHANGED },
    { "ShowHint", [&] { shape->SetShowHint(true); }, CM_SHOWHINTCHANGED },
    { "Cursor", [&] { shape->SetCursor(crHandPoint); }, CM_CURSORCHANGED },
  };
  for (Case& c : cases) {
    rec.Messages.clear();
    c.change();
    EXPECT_EQ(rec.Ids(), std::vector<UINT> { c.msg }) << c.name;
    rec.Messages.clear();
    c.change();  // the same value again
    if (c.msg != CM_FONTCHANGED) {
      EXPECT_TRUE(rec.Messages.empty()) << c.name;
    }
  }
}

TEST_F(LayoutTest, ChildrenFollowTheParentsColourFontAndShowHintUntilTheyHaveTheirOwn) {
  TTestPanel* panel = Panel(form, 0, 0, 200, 100);
  TTestShape* follower = new TTestShape(form);
  follower->SetParent(panel);
  TTestShape* own = new TTestShape(form);
  own->SetParent(panel);
  own->SetColor(clLime);
  own->Font()->SetName("Courier New");
  panel->SetColor(clNavy);
  panel->Font()->SetName("Arial");
  panel->Font()->SetHeight(-20);
  panel->SetShowHint(true);
  EXPECT_EQ(follower->Color(), clNavy);
  EXPECT_TRUE(follower->ParentColor());
  EXPECT_EQ(follower->Font()->Name(), "Arial");
  EXPECT_EQ(follower->Font()->Height(), -20);
  EXPECT_TRUE(follower->ParentFont());
  EXPECT_TRUE(follower->ShowHint());
  EXPECT_EQ(own->Color(), clLime);
  EXPECT_FALSE(own->ParentColor());
  EXPECT_EQ(own->Font()->Name(), "Courier New");
  own->SetParentColor(true);
  EXPECT_EQ(own->Color(), clNavy);
}

TEST_F(LayoutTest, RecreatingAWindowKeepsItsChildrenTextAndState) {
  TTestPanel* panel = Panel(form, 10, 10, 200, 100);
  auto* button = new TTestButton(form);
  button->SetParent(panel);
  button->SetCaption("按钮");
  HWND before = panel->Handle(), buttonBefore = button->Handle();
  panel->SetEnabled(false);
  panel->RecreateWnd();
  EXPECT_NE(panel->Handle(), before);
  EXPECT_FALSE(IsWindow(before));
  EXPECT_NE(button->Handle(), buttonBefore);
  EXPECT_EQ(GetParent(button->Handle()), panel->Handle());
  EXPECT_EQ(button->Caption(), "按钮");
  EXPECT_FALSE(IsWindowEnabled(panel->Handle()));
  EXPECT_TRUE(IsWindowVisible(button->Handle()));
  EXPECT_EQ(panel->BoundsRect(), TRect(10, 10, 210, 110));
  TTestShape* noWindow = new TTestShape(form);
  noWindow->SetParent(nullptr);
  TWinControl orphan(nullptr);
  orphan.RecreateWnd();  // no window: nothing to do
  EXPECT_FALSE(orphan.HandleAllocated());
  delete noWindow;
}

// A handler that throws part-way through a layout or a focus change reaches the caller, and leaves nothing
// half set: the next resize aligns, the next focus change completes and runs OnEnter again.
TEST_F(LayoutTest, AThrowingHandlerLeavesAlignmentAndFocusWorking) {
  TTestPanel* fill = Panel(form, 0, 0, 10, 10, alClient);
  bool fail = true;
  fill->OnResize = On<TNotifyEvent>([&](TObject*) {
    if (fail) throw Exception("resize refused");
  });
  EXPECT_THROW(form->SetBounds(0, 0, 350, 250), Exception);
  fail = false;
  form->SetBounds(0, 0, 330, 210);
  EXPECT_EQ(fill->BoundsRect(), TRect(0, 0, 330, 210));

  auto* first = new TTestButton(form);
  first->SetParent(fill);
  auto* second = new TTestButton(form);
  second->SetParent(fill);
  second->SetLeft(100);
  first->SetFocus();
  int enters = 0;
  second->OnEnter = On<TNotifyEvent>([&](TObject*) {
    if (++enters == 1) throw Exception("enter refused");
  });
  EXPECT_THROW(second->SetFocus(), Exception);
  first->SetFocus();
  second->SetFocus();
  EXPECT_EQ(enters, 2);
  EXPECT_EQ(form->ActiveControl(), second);
  EXPECT_EQ(GetFocus(), second->Handle());
}

// A WindowProc hook that calls a copy of Call once Msg has been handled (the hook goes with the control).
void AfterMessage(TControl* c, UINT Msg, const std::function<void()>& Call) {
  c->WindowProc = TWndMethod::FromCallable([Msg, Call, old = c->WindowProc](TMessage& m) {
    const std::function<void()> call = Call;
    const TWndMethod pass = old;
    const bool after = m.Msg == Msg;
    pass(m);
    if (after) call();
  });
}

// Each event a size change runs, freeing the control it runs for: a windowed control with its window, one
// still without, a windowless one. The change goes no further: the handler ran once and nothing touches
// the freed control afterwards (the sanitizer build watches).
TEST_F(LayoutTest, AControlFreedByAnEventOfItsOwnSizeChangeIsNotTouchedAfterwards) {
  using Arm = std::function<void(TControl*, const std::function<void()>&)>;
  const std::map<std::string, Arm> events {
    { "OnCanResize", [](TControl* c, const auto& k) { c->OnCanResize = Calling<TCanResizeEvent>(k); } },
    { "OnConstrainedResize",
      [](TControl* c, const auto& k) { c->OnConstrainedResize = Calling<TConstrainedResizeEvent>(k); } },
    { "OnResize", [](TControl* c, const auto& k) { c->OnResize = Calling<TNotifyEvent>(k); } },
    { "WM_SIZE", [](TControl* c, const auto& k) { AfterMessage(c, WM_SIZE, k); } },
    { "WM_MOVE", [](TControl* c, const auto& k) { AfterMessage(c, WM_MOVE, k); } },
    { "WM_WINDOWPOSCHANGED", [](TControl* c, const auto& k) { AfterMessage(c, WM_WINDOWPOSCHANGED, k); } },
  };
  struct Kind {
    const char* Name;
    std::function<TControl*()> Make;
    std::vector<std::string> Events;  // those its size change runs
  };
  const Kind kinds[] = {
    { "window",
      [&] { return Panel(form, 10, 10, 100, 50); },
      { "OnCanResize", "OnConstrainedResize", "OnResize", "WM_SIZE", "WM_MOVE" } },
    { "no window yet",
      [&] {
        auto* p = new TTestPanel(form);
        p->SetVisible(false);
        p->SetParent(form);
        return p;
      },
      { "OnCanResize", "OnConstrainedResize" } },
    { "windowless",
      [&] {
        auto* s = new TTestShape(form);
        s->SetParent(form);
        return s;
      },
      { "OnCanResize", "OnConstrainedResize", "OnResize", "WM_WINDOWPOSCHANGED" } },
  };
  for (const Kind& kind : kinds)
    for (const std::string& event : kind.Events) {
      SCOPED_TRACE(std::string(kind.Name) + " " + event);
      TControl* c = kind.Make();
      if (auto* w = dynamic_cast<TWinControl*>(c)) {
        ASSERT_EQ(w->HandleAllocated(), kind.Name == std::string("window"));
      }
      const auto life = c->LifeToken();
      int calls = 0;
      events.at(event)(c, Freer(c, calls));
      c->SetBounds(12, 14, 130, 61);
      EXPECT_EQ(calls, 1);
      EXPECT_TRUE(life.expired());
    }
}

// Children placed by their parent's alignment while one of them goes: freed by its own OnResize as it is
// placed (windowed or windowless), or by a sibling's, placed before or after it, in a pass the parent's
// new size or its own new height started. The others take the places they would have had without it, and
// nothing touches it afterwards.
TEST_F(LayoutTest, AChildFreedWhileItsParentAlignsLeavesItsPlaceToTheOthers) {
  enum TKiller { kItself, kFirst, kClient };
  struct Row {
    const char* Name;
    bool Windowless;
    TKiller Killer;
    bool ByItsHeight;  // the pass is the one the middle child's own new height asks for
  };
  const Row rows[] = {
    { "itself, windowed", false, kItself, false },
    { "itself, windowless", true, kItself, false },
    { "the sibling before it", false, kFirst, false },
    { "the sibling after it", true, kClient, false },
    { "the sibling after it, windowless, its height", true, kClient, true },
    { "the sibling after it, windowed, its height", false, kClient, true },
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    TTestPanel* host = Panel(form, 10, 10, 200, 150);
    TTestPanel* first = Panel(host, 0, 0, 10, 20, alTop);
    TControl* middle;
    if (row.Windowless) {
      middle = new TTestShape(form);
      middle->SetBounds(0, 20, 10, 30);
      middle->SetAlign(alTop);
      middle->SetParent(host);
    } else {
      middle = Panel(host, 0, 20, 10, 30, alTop);
    }
    TTestPanel* last = Panel(host, 0, 50, 10, 7, alTop);
    TTestPanel* left = Panel(host, 0, 0, 13, 5, alLeft);
    TTestPanel* client = Panel(host, 0, 0, 5, 5, alClient);
    ASSERT_EQ(client->BoundsRect(), TRect(13, 57, 200, 150));
    const auto life = middle->LifeToken();
    int calls = 0;
    TControl* killer = row.Killer == kItself ? middle : row.Killer == kFirst ? static_cast<TControl*>(first) : client;
    killer->OnResize = Calling<TNotifyEvent>(Freer(middle, calls));
    if (row.ByItsHeight)
      middle->SetHeight(35);
    else
      host->SetBounds(10, 10, 240, 160);
    EXPECT_TRUE(life.expired());
    if (row.Killer == kItself) {
      EXPECT_EQ(calls, 1);
    }
    const int w = host->Width(), h = host->Height();
    EXPECT_EQ(first->BoundsRect(), TRect(0, 0, w, 20));
    EXPECT_EQ(last->BoundsRect(), TRect(0, 20, w, 27));
    EXPECT_EQ(left->BoundsRect(), TRect(0, 27, 13, h));
    EXPECT_EQ(client->BoundsRect(), TRect(13, 27, w, h));
    delete host;
  }
}

// A child's OnResize that frees the parent aligning it (a panel, a form): the alignment stops there, the
// child after it is not placed (its OnResize never runs), and nothing touches the freed ones afterwards.
TEST_F(LayoutTest, AParentFreedByAChildsResizeWhileItAlignsStopsThere) {
  for (const bool isForm : { false, true }) {
    SCOPED_TRACE(isForm ? "form" : "panel");
    TWinControl* parent = Panel(form, 10, 10, 200, 150);
    if (isForm) {
      delete parent;
      parent = NewForm(50, 50, 200, 150);
      parent->Show();
    }
    TTestPanel* top = Panel(parent, 0, 0, 10, 20, alTop);
    TTestPanel* client = Panel(parent, 0, 0, 5, 5, alClient);
    const auto life = parent->LifeToken(), topLife = top->LifeToken(), clientLife = client->LifeToken();
    int calls = 0, clientResizes = 0;
    top->OnResize = Calling<TNotifyEvent>(Freer(parent, calls));
    client->OnResize = On<TNotifyEvent>([&](TObject*) { ++clientResizes; });
    parent->SetBounds(10, 10, 260, 150);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(clientResizes, 0);
    EXPECT_TRUE(life.expired());
    EXPECT_TRUE(topLife.expired());
    EXPECT_TRUE(clientLife.expired());
  }
  // The form under test still aligns what it holds.
  TTestPanel* fill = Panel(form, 0, 0, 5, 5, alClient);
  form->SetBounds(0, 0, 333, 222);
  EXPECT_EQ(fill->BoundsRect(), TRect(0, 0, 333, 222));
}

}  // namespace

TEST_F(LayoutTest, BoundsAtTheEndsOfTheIntRangeAreTakenWithinTheWindowSystemsLimits) {
  // Edges, client sizes and aligned children of windows placed and sized anywhere in the int range stay
  // consistent (and, in the sanitizer build, no sum overflows).
  TTestPanel* host = Panel(form, 0, 0, 100, 100);
  TTestPanel* top = Panel(host, 0, 0, 10, 10, alTop);
  TTestPanel* client = Panel(host, 0, 0, 10, 10, alClient);
  for (const auto& [l, t, w, h] :
       { std::array { INT_MAX, INT_MAX, INT_MAX, INT_MAX }, std::array { INT_MIN, INT_MIN, INT_MAX, INT_MAX },
         std::array { INT_MAX - 5, -7, 20, 30 }, std::array { 3, 4, INT_MIN, INT_MIN } }) {
    host->SetBounds(l, t, w, h);
    RECT r {};
    GetWindowRect(host->Handle(), &r);
    EXPECT_EQ(r.right - r.left, host->Width());
    EXPECT_EQ(r.bottom - r.top, host->Height());
    EXPECT_LE(host->Width(), xj::MaxWindowExtent);
    EXPECT_GE(host->Width(), 0);
    EXPECT_EQ(host->BoundsRect(),
              TRect(host->Left(), host->Top(), host->Left() + host->Width(), host->Top() + host->Height()));
    EXPECT_EQ(top->Width(), host->ClientWidth());
    if (host->ClientHeight() >= top->Height()) {
      EXPECT_EQ(client->Height(), host->ClientHeight() - top->Height());
    }
  }
  char cls[64] {};
  GetClassNameA(host->Handle(), cls, sizeof cls);
  HWND raw = CreateWindowExA(0, cls, "", WS_CHILD, INT_MAX, INT_MIN, INT_MAX, INT_MAX, form->Handle(), nullptr, nullptr,
                             nullptr);
  ASSERT_NE(raw, nullptr);
  RECT r {};
  GetClientRect(raw, &r);
  EXPECT_EQ(r.right, xj::MaxWindowExtent);
  DestroyWindow(raw);
}
