// Window creation in the order the program asks for it: a child's window asked for before its parent's,
// where the parent's creation itself fills the child.

#include <utility>
#include <vector>

#include "platform/vcl/StdCtrls.h"
#include "tests/support/ControlsTestUtil.h"

using namespace ctltest;

namespace {

// A container that puts a line into its list box as soon as its own window exists.
class TFillingPanel : public TTestPanel {
  XJ_CLASS(TFillingPanel, TTestPanel)
 public:
  explicit TFillingPanel(TComponent* AOwner) : TTestPanel(AOwner) {}
  TListBox* List { nullptr };
  int Created { 0 };

 protected:
  void CreateWnd() override {
    TTestPanel::CreateWnd();
    ++Created;
    if (List) List->Items()->Add("filled by the parent");
  }
};

// A control that, once its window exists, frees one sibling and moves another into a hidden panel of no
// form, as a skinned list box retires the scroll bars it had beside it.
class TRetiringPanel : public TTestPanel {
  XJ_CLASS(TRetiringPanel, TTestPanel)
 public:
  explicit TRetiringPanel(TComponent* AOwner) : TTestPanel(AOwner) {}
  TControl* Freed { nullptr };
  TControl* Moved { nullptr };
  TWinControl* Elsewhere { nullptr };

 protected:
  void CreateWnd() override {
    TTestPanel::CreateWnd();
    delete Freed;
    Freed = nullptr;
    if (Moved) Moved->SetParent(Elsewhere);
  }
};

// Records the moves its windows are asked for; one kind shows itself without the inherited handling of
// the showing message.
class TMovedPanel : public TTestPanel {
  XJ_CLASS(TMovedPanel, TTestPanel)
 public:
  explicit TMovedPanel(TComponent* AOwner) : TTestPanel(AOwner) {}
  std::vector<std::pair<HWND, UINT>> Moves;  // window and flags
  bool ShowsItself { false };

  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_WINDOWPOSCHANGING) {
      const auto* wp = reinterpret_cast<const WINDOWPOS*>(Message.LParam);
      Moves.emplace_back(wp->hwnd, wp->flags);
    }
    if (Message.Msg == CM_SHOWINGCHANGED && ShowsItself) {
      ShowWindow(Handle(), Showing() ? SW_SHOWNA : SW_HIDE);
      return;
    }
    TTestPanel::Dispatch(Message);
  }
};

class CreationTest : public ControlsTest {};

}  // namespace

TEST_F(CreationTest, AChildAskedForFirstKeepsTheWindowItsParentsCreationMade) {
  TForm* form = NewForm();
  auto* panel = new TFillingPanel(form);
  panel->SetParent(form);
  auto* list = new TListBox(form);
  list->SetParent(panel);
  panel->List = list;
  // Counting the items needs the list's window, which needs the panel's, which fills the list.
  EXPECT_EQ(list->Items()->Count(), 1);
  EXPECT_EQ(panel->Created, 1);
  EXPECT_EQ(list->Items()->Strings(0), "filled by the parent");
  EXPECT_EQ(GetParent(list->Handle()), panel->Handle());
  EXPECT_TRUE(IsWindow(list->Handle()));
}

// Showing a form walks its children as they were; one freed or moved away by an earlier sibling's window
// creation is left alone: nothing touches the freed one (the sanitizers watch), the moved one gets no
// window under its new, hidden parent.
TEST_F(CreationTest, ShowingSkipsSiblingsAnEarlierChildFreedOrMoved) {
  TForm* form = NewForm();
  auto* first = new TRetiringPanel(form);
  first->SetParent(form);
  auto* freed = new TTestPanel(form);
  freed->SetParent(form);
  auto* moved = new TTestPanel(form);
  moved->SetParent(form);
  auto* elsewhere = new TTestPanel(form);
  elsewhere->SetVisible(false);
  first->Freed = freed;
  first->Moved = moved;
  first->Elsewhere = elsewhere;
  form->Show();
  xt::PumpUntilIdle();
  EXPECT_TRUE(first->HandleAllocated());
  EXPECT_EQ(moved->Parent(), elsewhere);
  EXPECT_FALSE(moved->HandleAllocated());
  EXPECT_FALSE(elsewhere->HandleAllocated());
  EXPECT_EQ(form->ControlCount(), 1);
}

// A control freed by its own OnResize as its window is made (the new window's first size reaches it),
// however the window came to be asked for; and a parent freed by its child's, as the parent is shown.
// Creation goes no further, the handler ran once, and nothing touches the freed controls afterwards (the
// sanitizer build watches).
TEST_F(CreationTest, AControlFreedByItsOwnResizeAsItsWindowIsMadeIsNotTouchedAfterwards) {
  TForm* form = NewForm();
  form->Show();
  struct Case {
    const char* Name;
    std::function<TWinControl*(TTestPanel*)> Place;  // where the panel goes; answers the control to free
    std::function<void(TTestPanel*)> Ask;            // what asks for its window
  };
  const Case cases[] = {
    { "put on a showing form", [](TTestPanel* p) { return p; }, [&](TTestPanel* p) { p->SetParent(form); } },
    { "its form shown",
      [&](TTestPanel* p) {
        TForm* other = NewForm();
        p->SetParent(other);
        return p;
      },
      [](TTestPanel* p) { dynamic_cast<TForm*>(p->Parent())->Show(); } },
    { "its window asked for",
      [&](TTestPanel* p) {
        p->SetParent(NewForm());
        return p;
      },
      [](TTestPanel* p) { p->HandleNeeded(); } },
    { "its window made again",
      [&](TTestPanel* p) {
        p->SetParent(form);
        return p;
      },
      [](TTestPanel* p) { p->RecreateWnd(); } },
    { "its parent shown, freeing the parent",
      [&](TTestPanel* p) {
        auto* parent = new TTestPanel(form);
        parent->SetVisible(false);
        parent->SetParent(form);
        p->SetParent(parent);
        return parent;
      },
      [](TTestPanel* p) { p->Parent()->SetVisible(true); } },
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.Name);
    auto* panel = new TTestPanel(form);
    TWinControl* victim = k.Place(panel);
    const auto life = panel->LifeToken(), victimLife = victim->LifeToken();
    int calls = 0;
    panel->OnResize = Calling<TNotifyEvent>(Freer(victim, calls));
    k.Ask(panel);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(life.expired());
    EXPECT_TRUE(victimLife.expired());
  }
  // The form goes on: a panel put on it gets its window and its size.
  auto* panel = new TTestPanel(form);
  panel->SetParent(form);
  EXPECT_TRUE(IsWindowVisible(panel->Handle()));
}

// A window made again takes its old place among its siblings' windows as it shows: in the one move that
// shows it, or, where the showing message shows it some other way, in a move of its own afterwards.
TEST_F(CreationTest, AWindowMadeAgainShowsInItsPlaceAmongItsSiblings) {
  TForm* form = NewForm();
  for (const bool showsItself : { false, true }) {
    SCOPED_TRACE(showsItself ? "shows itself" : "inherited showing");
    auto* below = new TTestPanel(form);
    below->SetParent(form);
    auto* middle = new TMovedPanel(form);
    middle->SetParent(form);
    middle->ShowsItself = showsItself;
    auto* above = new TTestPanel(form);
    above->SetParent(form);
    form->Show();
    xt::PumpUntilIdle();
    middle->RecreateWnd();
    HWND h = middle->Handle();
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_EQ(GetWindow(above->Handle(), GW_HWNDNEXT), h);
    EXPECT_EQ(GetWindow(h, GW_HWNDNEXT), below->Handle());
    std::vector<UINT> moves;
    for (const auto& [wnd, flags] : middle->Moves)
      if (wnd == h) moves.push_back(flags);
    ASSERT_EQ(moves.size(), showsItself ? 2u : 1u);
    EXPECT_EQ(moves.back() & SWP_NOZORDER, 0u);
    if (!showsItself) {
      EXPECT_NE(moves.back() & SWP_SHOWWINDOW, 0u);
    }
    delete below;
    delete middle;
    delete above;
  }
}
