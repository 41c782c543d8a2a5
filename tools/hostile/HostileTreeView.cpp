// The tree view's events family. A case is a view (the plain one or the skinned one with its linked bars),
// one of its events and one thing its handler does to the view: free it, clear it, delete the node it is
// told about or that node's parent or children, add a node, count every node through Items, sort, select,
// expand or collapse everything, rename, start editing, switch a style that re-creates the window, or
// take the view off its form and back. The handler acts the first two times it fires in each step (never
// from inside its own act), and the view is driven through everything that fires its events: paints, clicks on labels
// and buttons, keys, label edits by F2 and by a slow click, double and right clicks, hovering, the wheel,
// walks, sorts, a sorted view, deletions, a re-created and a re-homed window, an assignment, a clear, and
// at last the form freed with the view's nodes on it.
//
// The first two inputs meet every event and every act between them in one process each (the fixed
// sample); then each case alone, so a failure found there is pinned to its case.
#include <memory>
#include <sstream>
#include <type_traits>
#include <vector>

#include "platform/testing/TestHooks.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"
#include "platform/win32/Scoped.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/data/bsSkinData.h"
#include "tools/hostile/HostileEvents.h"

namespace hostile {

namespace xt = xj::test;

namespace {

constexpr const char* kFamily = "tree-events";

enum class Event {
  Change,
  Changing,
  Collapsed,
  Collapsing,
  Compare,
  Deletion,
  Edited,
  Editing,
  Expanded,
  Expanding,
  GetImageIndex,
  GetSelectedIndex,
  CustomDraw,
  CustomDrawItem,
  AdvancedCustomDraw,
  AdvancedCustomDrawItem,
  Click,
  DblClick,
  MouseDown,
  MouseMove,
  MouseUp,
  KeyDown,
  KeyPress,
  KeyUp,
  Enter,
  Exit,
  Count
};
const char* const kEvents[] = { "OnChange",
                                "OnChanging",
                                "OnCollapsed",
                                "OnCollapsing",
                                "OnCompare",
                                "OnDeletion",
                                "OnEdited",
                                "OnEditing",
                                "OnExpanded",
                                "OnExpanding",
                                "OnGetImageIndex",
                                "OnGetSelectedIndex",
                                "OnCustomDraw",
                                "OnCustomDrawItem",
                                "OnAdvancedCustomDraw",
                                "OnAdvancedCustomDrawItem",
                                "OnClick",
                                "OnDblClick",
                                "OnMouseDown",
                                "OnMouseMove",
                                "OnMouseUp",
                                "OnKeyDown",
                                "OnKeyPress",
                                "OnKeyUp",
                                "OnEnter",
                                "OnExit" };

enum class Act {
  Free,
  Clear,
  DeleteNode,
  DeleteParent,
  DeleteChildren,
  Add,
  Recount,
  Sort,
  Select,
  ExpandAll,
  CollapseAll,
  Rename,
  Edit,
  Restyle,
  Rehome,
  Count
};
const char* const kActs[] = { "free",         "clear",   "delete-node", "delete-parent", "delete-children",
                              "add",          "recount", "sort",        "select",        "expand-all",
                              "collapse-all", "rename",  "edit",        "restyle",       "rehome" };

constexpr int kEventCount = static_cast<int>(Event::Count), kActCount = static_cast<int>(Act::Count);
constexpr int kCases = kEventCount * kActCount;

// What a handler works on: the view and its form, the act, and how many acts it has left in this step.
struct Hostility {
  TCustomTreeView* view {};
  TForm* form {};
  Act act {};
  int budget { 2 };
  bool busy { false };
};

// The node a handler's act is about: the one it was told of, else the selection, else the first.
TTreeNode* Subject(TCustomTreeView* v, TTreeNode* told) {
  if (told) return told;
  if (TTreeNode* n = v->Selected()) return n;
  return v->Items()->GetFirstNode();
}

void ActOn(TCustomTreeView* v, TForm* form, Act act, TTreeNode* n) {
  TTreeNodes* items = v->Items();
  switch (act) {
    case Act::Free:
      delete v;
      return;
    case Act::Clear:
      return items->Clear();
    case Act::DeleteNode:
      if (n) n->Delete();
      return;
    case Act::DeleteParent:
      if (TTreeNode* p = n ? n->Parent() : nullptr) p->Delete();
      return;
    case Act::DeleteChildren:
      if (n) n->DeleteChildren();
      return;
    case Act::Add:
      items->AddChild(n, "加");
      return;
    case Act::Recount:
      for (int i = 0; i < items->Count(); ++i) (void)items->Item(i)->Text();
      return;
    case Act::Sort:
      v->AlphaSort(true);
      return;
    case Act::Select:
      if (items->Count() > 0) v->SetSelected(items->Item(items->Count() - 1));
      return;
    case Act::ExpandAll:
      return v->FullExpand();
    case Act::CollapseAll:
      return v->FullCollapse();
    case Act::Rename:
      if (n) n->SetText(n->Text() + "改");
      return;
    case Act::Edit:
      if (n) n->EditText();
      return;
    case Act::Restyle:
      return v->SetShowLines(!v->ShowLines());
    case Act::Rehome:
      v->SetParent(nullptr);
      v->SetParent(form);
      return;
    case Act::Count:
      return;
  }
}

// The first node among an event's arguments, if any.
template <class... A>
TTreeNode* ToldOf(A&&... Args) {
  TTreeNode* told = nullptr;
  (
      [&](auto&& a) {
        if constexpr (std::is_convertible_v<decltype(a), TTreeNode*>)
          if (!told) told = a;
      }(Args),
      ...);
  return told;
}

// A handler of event type E doing the act. Its closure goes with the view, so it keeps nothing of
// itself past the act: the state lives with the case.
template <class E>
E Hostile(Hostility* h) {
  return E::FromCallable([h](auto&&... args) {
    Hostility* const s = h;
    if (s->busy || s->budget == 0) return;
    TTreeNode* const told = ToldOf(args...);
    TCustomTreeView* v = s->view;
    const bool destroying = v->ComponentState().Contains(csDestroying);
    if (s->act == Act::Free && destroying) return;  // a view being destroyed is not freed again
    --s->budget;
    xj::TemporaryChange<bool> busy(s->busy, true);
    ActOn(v, s->form, s->act, s->act == Act::Free ? nullptr : Subject(v, told));
  });
}

void Arm(TCustomTreeView* v, Event e, Hostility* h) {
  switch (e) {
    case Event::Change:
      v->OnChange = Hostile<TTVChangedEvent>(h);
      return;
    case Event::Changing:
      v->OnChanging = Hostile<TTVChangingEvent>(h);
      return;
    case Event::Collapsed:
      v->OnCollapsed = Hostile<TTVExpandedEvent>(h);
      return;
    case Event::Collapsing:
      v->OnCollapsing = Hostile<TTVCollapsingEvent>(h);
      return;
    case Event::Compare:
      v->OnCompare = Hostile<TTVCompareEvent>(h);
      return;
    case Event::Deletion:
      v->OnDeletion = Hostile<TTVExpandedEvent>(h);
      return;
    case Event::Edited:
      v->OnEdited = Hostile<TTVEditedEvent>(h);
      return;
    case Event::Editing:
      v->OnEditing = Hostile<TTVEditingEvent>(h);
      return;
    case Event::Expanded:
      v->OnExpanded = Hostile<TTVExpandedEvent>(h);
      return;
    case Event::Expanding:
      v->OnExpanding = Hostile<TTVExpandingEvent>(h);
      return;
    case Event::GetImageIndex:
      v->OnGetImageIndex = Hostile<TTVExpandedEvent>(h);
      return;
    case Event::GetSelectedIndex:
      v->OnGetSelectedIndex = Hostile<TTVExpandedEvent>(h);
      return;
    case Event::CustomDraw:
      v->OnCustomDraw = Hostile<TTVCustomDrawEvent>(h);
      return;
    case Event::CustomDrawItem:
      v->OnCustomDrawItem = Hostile<TTVCustomDrawItemEvent>(h);
      return;
    case Event::AdvancedCustomDraw:
      v->OnAdvancedCustomDraw = Hostile<TTVAdvancedCustomDrawEvent>(h);
      return;
    case Event::AdvancedCustomDrawItem:
      v->OnAdvancedCustomDrawItem = Hostile<TTVAdvancedCustomDrawItemEvent>(h);
      return;
    case Event::Click:
      v->OnClick = Hostile<TNotifyEvent>(h);
      return;
    case Event::DblClick:
      v->OnDblClick = Hostile<TNotifyEvent>(h);
      return;
    case Event::MouseDown:
      v->OnMouseDown = Hostile<TMouseEvent>(h);
      return;
    case Event::MouseMove:
      v->OnMouseMove = Hostile<TMouseMoveEvent>(h);
      return;
    case Event::MouseUp:
      v->OnMouseUp = Hostile<TMouseEvent>(h);
      return;
    case Event::KeyDown:
      v->OnKeyDown = Hostile<TKeyEvent>(h);
      return;
    case Event::KeyPress:
      v->OnKeyPress = Hostile<TKeyPressEvent>(h);
      return;
    case Event::KeyUp:
      v->OnKeyUp = Hostile<TKeyEvent>(h);
      return;
    case Event::Enter:
      v->OnEnter = Hostile<TNotifyEvent>(h);
      return;
    case Event::Exit:
      v->OnExit = Hostile<TNotifyEvent>(h);
      return;
    case Event::Count:
      return;
  }
}

// Records what raises; the view's own refusals (ETreeViewError) are what it promises, not faults.
class Player {
 public:
  explicit Player(Run& R) : FRun(R) {
    delete Application;
    Application = new TApplication(nullptr);
    Application->OnException = TExceptionEvent::FromCallable([this](TObject*, Exception* e) {
      if (!dynamic_cast<ETreeViewError*>(e)) FRun.raised.push_back(FStep + " (in the loop): " + e->Message());
    });
  }
  ~Player() { Application->OnException = nullptr; }
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  template <class F>
  void Step(const std::string& Name, F f) {
    FStep = Name;
    try {
      f();
    } catch (const ETreeViewError&) {
    } catch (const Exception& e) {
      FRun.raised.push_back(FStep + ": " + std::string(e.Message()));
    } catch (const std::exception& e) {
      FRun.raised.push_back(FStep + ": " + e.what());
    }
  }

 private:
  Run& FRun;
  std::string FStep;
};

constexpr int kRowH = 18;

void Fill(TCustomTreeView* v) {
  for (int i = 0; i < 6; ++i) {
    TTreeNode* n = v->Items()->Add(nullptr, "节点" + std::to_string(5 - i));
    for (int k = 0; k < 2; ++k) v->Items()->AddChild(v->Items()->AddChild(n, "子" + std::to_string(k)), "孙");
  }
}

TPoint At(TControl* c, int x, int y) { return c->ClientToScreen(TPoint(x, y)); }

void ClickAt(TControl* c, int x, int y, xt::Button b = xt::mbLeft) {
  const TPoint p = At(c, x, y);
  xt::Click(p.X, p.Y, b);
}

// One step of a drive: nothing once the view has gone.
struct Stepper {
  Player& x;
  Hostility& h;
  std::weak_ptr<const void> life;
  template <class F>
  void operator()(const char* name, F f) {
    x.Step(name, [&] {
      if (life.expired()) return;
      h.budget = 2;
      f();
      xt::PumpUntilIdle();
    });
  }
};

// What a user does that fires the view's events.
void DriveByHand(Stepper& step, TForm* form, TCustomTreeView* v) {
  const auto& life = step.life;
  step("show", [&] { form->Show(); });
  step("paint", [&] { v->Repaint(); });
  step("click a label", [&] { ClickAt(v, 50, kRowH + 4); });
  step("click a button", [&] { ClickAt(v, 9, 8); });
  step("keys", [&] {
    v->SetFocus();
    for (UINT k : { VK_DOWN, VK_DOWN, VK_RIGHT, VK_LEFT, VK_ADD, VK_SUBTRACT, VK_END, VK_HOME }) {
      if (life.expired()) return;
      xt::KeyPress(k);
    }
  });
  step("edit by F2", [&] {
    xt::KeyPress(VK_F2);
    xt::TypeText("名");
    xt::KeyPress(VK_RETURN);
  });
  step("edit by a slow click", [&] {
    ClickAt(v, 50, 4);
    ClickAt(v, 50, 4);
    xt::Advance(GetDoubleClickTime() + 1);
    xt::PumpUntilIdle();
    xt::TypeText("慢");
    xt::KeyPress(VK_ESCAPE);
  });
  step("edit, then choose another node", [&] {
    ClickAt(v, 50, 4);
    xt::KeyPress(VK_F2);
    ClickAt(v, 50, kRowH + 4);
  });
  step("edit, then scroll", [&] {
    xt::KeyPress(VK_F2);
    xt::Wheel(-120);
    xt::Wheel(120);
  });
  step("double click", [&] {
    const TPoint p = At(v, 50, 4);
    xt::DoubleClick(p.X, p.Y);
  });
  step("right click", [&] { ClickAt(v, 50, 2 * kRowH + 4, xt::mbRight); });
  step("hover", [&] {
    for (int y = 2; y < 6 * kRowH && !life.expired(); y += kRowH) {
      const TPoint p = At(v, 40, y);
      xt::MouseMove(p.X, p.Y);
      xt::Advance(GetDoubleClickTime() + 1);
    }
  });
  step("wheel", [&] { xt::Wheel(-120); });
}

// What a program does that fires the view's events.
void DriveByCode(Stepper& step, TForm* form, TCustomTreeView* v) {
  const auto& life = step.life;
  step("expand all", [&] { v->FullExpand(); });
  step("edit, then scroll by the linked bars", [&] {
    auto* s = dynamic_cast<TbsSkinTreeView*>(v);
    TbsSkinScrollBar* bars[] = { s ? s->VScrollBar() : nullptr, s ? s->HScrollBar() : nullptr };
    for (TbsSkinScrollBar* bar : bars) {
      if (life.expired() || !bar || !bar->Visible()) continue;
      if (TTreeNode* n = v->Selected() ? v->Selected() : v->Items()->GetFirstNode()) n->EditText();
      ClickAt(bar, bar->Width() - 4, bar->Height() - 4);  // the far arrow
    }
  });
  step("collapse all", [&] { v->FullCollapse(); });
  step("expand a subtree", [&] {
    if (TTreeNode* n = v->Items()->GetFirstNode()) n->Expand(true);
  });
  step("collapse a subtree", [&] {
    if (TTreeNode* n = v->Items()->GetFirstNode()) n->Collapse(true);
  });
  step("sort", [&] { v->AlphaSort(true); });
  step("a sorted view", [&] {
    v->SetSortType(stText);
    if (!life.expired()) v->Items()->Add(nullptr, "甲");
    if (!life.expired() && v->Items()->Count() > 0) v->Items()->Item(0)->SetText("乙");
  });
  step("an update with a sort pending", [&] {
    v->Items()->BeginUpdate();
    v->Items()->Add(nullptr, "丙");
    v->Items()->EndUpdate();
    if (!life.expired()) v->SetSortType(stNone);
  });
  step("select from code", [&] {
    if (v->Items()->Count() > 0) v->SetSelected(v->Items()->Item(v->Items()->Count() - 1));
  });
  step("edit, then select from code", [&] {
    TTreeNode* n = v->Selected() ? v->Selected() : v->Items()->GetFirstNode();
    if (n && n->EditText() && !life.expired() && v->Items()->Count() > 1)
      v->SetSelected(v->Items()->Item(v->Items()->Count() - 1));
  });
  step("a delayed change", [&] {
    v->SetChangeDelay(50);
    v->SetFocus();
    xt::KeyPress(VK_UP);
    xt::Advance(60);
    xt::PumpUntilIdle();
    if (!life.expired()) v->SetChangeDelay(0);
  });
  step("delete children", [&] {
    if (TTreeNode* n = v->Items()->GetFirstNode()) n->DeleteChildren();
  });
  step("delete a node", [&] {
    if (TTreeNode* n = v->Items()->GetFirstNode()) n->Delete();
  });
  step("re-create", [&] { v->SetShowButtons(!v->ShowButtons()); });
  step("re-home", [&] {
    v->SetParent(nullptr);
    if (!life.expired()) v->SetParent(form);
  });
  step("assign", [&] {
    TTreeView other(form);
    other.SetParent(form);
    Fill(&other);
    v->Items()->Assign(other.Items());
  });
  step("clear", [&] { v->Items()->Clear(); });
  step("fill again", [&] { Fill(v); });
}

void PlayCase(Player& x, TbsSkinData* skin, bool skinned, Event e, Act a) {
  auto form = std::make_unique<TForm>(nullptr);
  Hostility h;
  x.Step("build", [&] {
    form->SetBounds(20, 20, 320, 260);
    TCustomTreeView* v = skinned ? static_cast<TCustomTreeView*>(new TbsSkinTreeView(form.get()))
                                 : static_cast<TCustomTreeView*>(new TTreeView(form.get()));
    v->SetParent(form.get());
    v->SetBounds(4, 4, 200, 120);
    auto* images = new TImageList(form.get());
    images->SetWidth(16);
    images->SetHeight(16);
    TBitmap b;
    b.SetSize(16, 16);
    images->Add(&b, nullptr);
    v->SetImages(images);
    v->SetRightClickSelect(true);
    v->SetHotTrack(true);
    if (auto* s = dynamic_cast<TbsSkinTreeView*>(v)) {
      s->SetSkinData(skin);
      auto* vbar = new TbsSkinScrollBar(form.get());
      vbar->SetParent(form.get());
      vbar->SetKind(sbVertical);
      vbar->SetBounds(206, 4, 16, 120);
      s->SetVScrollBar(vbar);
      auto* hbar = new TbsSkinScrollBar(form.get());
      hbar->SetParent(form.get());
      hbar->SetBounds(4, 126, 200, 16);
      s->SetHScrollBar(hbar);
    }
    Fill(v);
    h = Hostility { v, form.get(), a };
    Arm(v, e, &h);
  });
  if (h.view) {
    Stepper step { x, h, h.view->LifeToken() };
    DriveByHand(step, form.get(), h.view);
    DriveByCode(step, form.get(), h.view);
  }
  x.Step("free the form", [&] {
    form.reset();
    xt::PumpUntilIdle();
  });
}

// A script names the view, the event ("*": every one) and the act ("even" or "odd": every other one).
// Input 0 plays the plain view with the even acts and input 1 the skinned view with the odd ones, so the
// two together meet every event and every act; then every case alone, plain then skinned.
Input MakeTree(uint64_t, int k) {
  const bool skinned = k < 2 ? k == 1 : k - 2 >= kCases;
  const int c = (k - 2) % kCases;
  const std::string event = k < 2 ? "*" : kEvents[c / kActCount];
  const std::string act = k < 2 ? (skinned ? "odd" : "even") : kActs[c % kActCount];
  const std::string view = skinned ? "skinned" : "plain";
  const std::string script = std::string(kFamily) + "\n" + view + "\n" + event + "\n" + act + "\n";
  Input in;
  in.kind = Input::Kind::Events;
  in.what = view + " tree, " + event + " handler does " + act;
  in.files = { { "events.txt", std::vector<uint8_t>(script.begin(), script.end()) } };
  return in;
}

// The index of a name in a table; -1 for "*", "even" or "odd".
template <size_t N>
int IndexOf(const char* const (&table)[N], const std::string& name) {
  if (name == "*" || name == "even" || name == "odd") return -1;
  for (size_t i = 0; i < N; ++i)
    if (name == table[i]) return static_cast<int>(i);
  throw std::invalid_argument("no such name in a tree-events script: " + name);
}

Run PlayTree(const std::string& Script, const std::function<void(TbsSkinData*)>& Load) {
  std::istringstream in(Script);
  std::string family, view, event, act;
  std::getline(in, family);
  std::getline(in, view);
  std::getline(in, event);
  std::getline(in, act);
  const int e = IndexOf(kEvents, event), a = IndexOf(kActs, act);
  const auto chosen = [&](int ei, int ai) {
    return (e < 0 || e == ei) && (a >= 0 ? a == ai : act == "*" || ai % 2 == (act == "odd" ? 1 : 0));
  };
  Run run;
  xt::Harness harness;
  {
    Player x(run);
    auto holder = std::make_unique<TForm>(nullptr);
    auto* skin = new TbsSkinData(holder.get());
    if (view == "skinned") try {
        Load(skin);
      } catch (const std::exception& error) {
        run.load = error.what();
      }
    for (int ei = 0; ei < kEventCount; ++ei)
      for (int ai = 0; ai < kActCount; ++ai)
        if (chosen(ei, ai)) PlayCase(x, skin, view == "skinned", static_cast<Event>(ei), static_cast<Act>(ai));
  }
  return run;
}

}  // namespace

void AddTreeViewFamily() { AddEventsFamily({ kFamily, 2 + 2 * kCases }, MakeTree, PlayTree); }

}  // namespace hostile
