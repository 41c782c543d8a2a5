#include "tools/hostile/HostileViews.h"

#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "platform/testing/TestHooks.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"
#include "platform/win32/CommCtrl.h"
#include "skin/controls/bsSkinCtrls.h"
#include "tools/hostile/HostileEvents.h"
#include "tools/hostile/HostileSkins.h"

namespace hostile {

namespace xt = xj::test;

namespace {

constexpr const char* kFamily = "list-view-events";

const char* const kViews[] = { "plain", "plain-data", "skinned", "skinned-data" };
const char* const kActions[] = { "free", "clear", "delete", "recount", "owner", "style" };
const char* const kEvents[] = {
  "OnChange",
  "OnChanging",
  "OnSelectItem",
  "OnData",
  "OnGetSubItemImage",
  "OnEdited",
  "OnInfoTip",
  "OnCompare",
  "OnDeletion",
  "OnInsert",
  "OnDataFind",
  "OnDataHint",
  "OnDataStateChange",
  "OnEditing",
  "OnGetImageIndex",
  "OnCustomDraw",
  "OnCustomDrawItem",
  "OnCustomDrawSubItem",
  "OnAdvancedCustomDraw",
  "OnAdvancedCustomDrawItem",
  "OnAdvancedCustomDrawSubItem",
  "OnDrawItem",
  "OnColumnClick",
  "OnColumnRightClick",
  "OnColumnDragged",
  "OnClick",
  "OnDblClick",
  "OnKeyDown",
  "OnKeyPress",
  "OnMouseDown",
  "OnDrawHeaderSection",
};
constexpr int kViewCount = 4, kEventCount = sizeof(kEvents) / sizeof(kEvents[0]);

// What the users met first: selection set from code under state handlers, an OwnerData view freed
// while it paints, editing and tips that delete, sorting that changes the items, the view's end.
const char* const kFirst[] = {
  "plain OnChange clear",     "plain OnSelectItem free",    "plain OnChanging clear",
  "plain-data OnChange free", "plain-data OnData free",     "plain-data OnGetSubItemImage free",
  "plain OnEdited delete",    "plain OnEdited clear",       "plain OnInfoTip delete",
  "plain OnInfoTip clear",    "plain OnCompare clear",      "plain OnCompare free",
  "plain OnDeletion free",    "plain OnInsert delete",      "skinned OnChange clear",
  "skinned-data OnData free", "skinned OnCompare delete",   "skinned-data OnGetSubItemImage owner",
  "plain OnDataFind free",    "plain-data OnDataFind free", "plain-data OnDataStateChange owner",
};

std::string Lines(int input) {
  std::ostringstream out;
  auto all = [&](const char* view, const char* event) {
    for (const char* action : kActions) out << view << ' ' << event << ' ' << action << '\n';
  };
  if (input == 0) {
    for (const char* line : kFirst) out << line << '\n';
  } else {
    const int k = input - 1;
    all(kViews[k / kEventCount], kEvents[k % kEventCount]);
  }
  return out.str();
}

Input MakeViews(uint64_t, int k) {
  Input in;
  in.kind = Input::Kind::Events;
  const std::string text = Lines(k), first = text.substr(0, text.find('\n'));
  in.what = k == 0 ? "the cases found first" : first.substr(0, first.rfind(' ')) + ", every action";
  const std::string script = std::string(kFamily) + "\n" + text;
  in.files = { { in.Entry(), std::vector<uint8_t>(script.begin(), script.end()) } };
  return in;
}

// One case: the view, the handler's action once from the event named, and the life of the view.
struct Case {
  TForm* form {};
  TCustomListView* view {};
  std::weak_ptr<const void> life;
  std::string event, action;
  int fired { 0 };
};

void Act(Case& c) {
  if (c.fired++ > 0 || c.life.expired()) return;
  TCustomListView* v = c.view;
  // A view being destroyed tells OnDeletion of its items: freeing it again is not the handler's to do.
  if (c.action == "free" && v->ComponentState().Contains(csDestroying)) return;
  TListItems* items = v->Items();
  if (c.action == "free") {
    delete v;
  } else if (c.action == "clear") {
    items->Clear();
  } else if (c.action == "delete") {
    if (v->OwnerData())
      items->SetCount(std::max(0, items->Count() - 1));
    else if (items->Count() > 0)
      items->Delete(0);
  } else if (c.action == "recount") {
    if (v->OwnerData())
      items->SetCount(3);
    else
      for (int k = 0; k < 3; ++k) items->Add()->SetCaption("more");
  } else if (c.action == "owner") {
    v->SetOwnerData(!v->OwnerData());
    if (v->OwnerData()) v->Items()->SetCount(6);
  } else if (c.action == "style") {
    v->SetViewStyle(v->ViewStyle() == vsReport ? vsList : vsIcon);
  }
}

// Every event gets a handler (so that the view asks it); the one named acts.
template <class E>
void Hook(E& Event, Case& c, const char* Name) {
  const bool chosen = c.event == Name;
  Event = E::FromCallable([&c, chosen](auto&&...) {
    if (chosen) Act(c);
  });
}

void HookAll(Case& c) {
  TCustomListView* v = c.view;
  v->OnData = TLVOwnerDataEvent::FromCallable([&c](TObject*, TListItem* item) {
    item->SetCaption("item " + std::to_string(item->Index()));
    item->SubItems()->Add("sub");
    if (c.event == "OnData") Act(c);
  });
  Hook(v->OnChange, c, "OnChange");
  Hook(v->OnChanging, c, "OnChanging");
  Hook(v->OnSelectItem, c, "OnSelectItem");
  Hook(v->OnGetSubItemImage, c, "OnGetSubItemImage");
  Hook(v->OnEdited, c, "OnEdited");
  Hook(v->OnInfoTip, c, "OnInfoTip");
  Hook(v->OnCompare, c, "OnCompare");
  Hook(v->OnDeletion, c, "OnDeletion");
  Hook(v->OnInsert, c, "OnInsert");
  Hook(v->OnDataFind, c, "OnDataFind");
  Hook(v->OnDataHint, c, "OnDataHint");
  Hook(v->OnDataStateChange, c, "OnDataStateChange");
  Hook(v->OnEditing, c, "OnEditing");
  Hook(v->OnGetImageIndex, c, "OnGetImageIndex");
  Hook(v->OnCustomDraw, c, "OnCustomDraw");
  Hook(v->OnCustomDrawItem, c, "OnCustomDrawItem");
  Hook(v->OnCustomDrawSubItem, c, "OnCustomDrawSubItem");
  Hook(v->OnAdvancedCustomDraw, c, "OnAdvancedCustomDraw");
  Hook(v->OnAdvancedCustomDrawItem, c, "OnAdvancedCustomDrawItem");
  Hook(v->OnAdvancedCustomDrawSubItem, c, "OnAdvancedCustomDrawSubItem");
  Hook(v->OnDrawItem, c, "OnDrawItem");
  Hook(v->OnColumnClick, c, "OnColumnClick");
  Hook(v->OnColumnRightClick, c, "OnColumnRightClick");
  Hook(v->OnColumnDragged, c, "OnColumnDragged");
  Hook(v->OnClick, c, "OnClick");
  Hook(v->OnDblClick, c, "OnDblClick");
  Hook(v->OnKeyDown, c, "OnKeyDown");
  Hook(v->OnKeyPress, c, "OnKeyPress");
  Hook(v->OnMouseDown, c, "OnMouseDown");
  if (auto* s = dynamic_cast<TbsSkinCustomListView*>(v)) Hook(s->OnDrawHeaderSection, c, "OnDrawHeaderSection");
}

void Build(Case& c, const std::string& view, TbsSkinData* skin, TCustomImageList* images) {
  c.form = new TForm(nullptr);
  c.form->SetBounds(20, 20, 420, 320);
  if (view.rfind("skinned", 0) == 0) {
    auto* s = new TbsSkinListView(c.form);
    s->SetSkinData(skin);
    c.view = s;
  } else {
    c.view = new TListView(c.form);
  }
  TCustomListView* v = c.view;
  c.life = v->LifeToken();
  v->SetParent(c.form);
  v->SetBounds(10, 10, 300, 200);
  v->SetViewStyle(vsReport);
  v->SetMultiSelect(true);
  v->SetCheckboxes(true);
  v->SetFullDrag(true);
  v->SetShowHint(true);
  v->SetHoverTime(10);
  v->SetSmallImages(images);
  for (const char* caption : { "Name", "Size" }) v->Columns()->Add()->SetCaption(caption);
  if (view.find("-data") != std::string::npos) {
    v->SetOwnerData(true);
    v->Items()->SetCount(40);
  } else {
    for (int i = 0; i < 40; ++i) {
      TListItem* item = v->Items()->Add();
      item->SetCaption("item " + std::to_string(i));
      item->SubItems()->Add("sub");
    }
  }
  c.form->Show();
  xt::PumpUntilIdle();
  HookAll(c);
}

// A screen point of the view's client point, or of its header's.
TPoint At(TCustomListView* v, int x, int y) { return v->ClientToScreen(TPoint(x, y)); }

void Header(TCustomListView* v, bool right, bool drag) {
  HWND h = reinterpret_cast<HWND>(v->Perform(LVM_GETHEADER, 0, 0));
  RECT r {};
  if (!h || !GetWindowRect(h, &r)) return;
  if (drag)
    xt::Drag(r.left + 10, r.top + 4, r.left + 120, r.top + 4);
  else
    xt::Click(r.left + 10, r.top + 4, right ? xt::mbRight : xt::mbLeft);
}

// The steps a user and a program take, each while the view lasts.
const std::vector<std::function<void(TCustomListView*)>>& Steps() {
  static const std::vector<std::function<void(TCustomListView*)>> steps {
    [](TCustomListView* v) { v->Invalidate(); },
    [](TCustomListView* v) { xt::Click(At(v, 30, 30).X, At(v, 30, 30).Y); },
    [](TCustomListView* v) {
      v->SetFocus();
      xt::KeyPress(VK_DOWN);
    },
    [](TCustomListView*) { xt::KeyPress(VK_END, xt::ssShift); },
    [](TCustomListView*) { xt::KeyPress(VK_HOME); },
    [](TCustomListView*) { xt::KeyPress(VK_SPACE); },
    [](TCustomListView*) { xt::TypeText("i"); },
    [](TCustomListView* v) { v->SetItemIndex(2); },
    [](TCustomListView* v) { v->SetSelected(v->Items()->Count() > 1 ? v->Items()->Item(1) : nullptr); },
    [](TCustomListView*) {
      xt::KeyPress(VK_F2);
      xt::TypeText("x");
      xt::KeyPress(VK_RETURN);
    },
    [](TCustomListView* v) {
      xt::MouseMove(At(v, 30, 50).X, At(v, 30, 50).Y);
      xt::Advance(600);
    },
    [](TCustomListView* v) { Header(v, false, false); },
    [](TCustomListView* v) { Header(v, true, false); },
    [](TCustomListView* v) { Header(v, false, true); },
    [](TCustomListView* v) { xt::DoubleClick(At(v, 30, 40).X, At(v, 30, 40).Y); },
    [](TCustomListView* v) { v->AlphaSort(); },
    [](TCustomListView* v) { v->SetSortType(stText); },
    [](TCustomListView* v) { v->FindCaption(0, "item 1", true, true, true); },
    [](TCustomListView* v) { v->Items()->Add()->SetCaption("added"); },
    [](TCustomListView* v) { v->Items()->Delete(0); },
    [](TCustomListView* v) {
      v->SetOwnerDraw(true);
      v->Invalidate();
    },
    [](TCustomListView* v) { v->SetViewStyle(vsList); },
    [](TCustomListView* v) { v->Perform(WM_HSCROLL, SB_PAGERIGHT, 0); },
    [](TCustomListView* v) { v->SetViewStyle(vsIcon); },
    [](TCustomListView* v) { v->Items()->Clear(); },
  };
  return steps;
}

// Runs f, keeping what is not a clear error.
void Try(Run& run, const std::string& step, const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception&) {
  } catch (const std::exception& e) {
    run.raised.push_back(step + ": " + e.what());
  }
}

void RunCase(Run& run, const std::string& line, TbsSkinData* skin, TCustomImageList* images) {
  std::istringstream in(line);
  std::string view;
  Case c;
  in >> view >> c.event >> c.action;
  Try(run, line + " build", [&] { Build(c, view, skin, images); });
  std::unique_ptr<TForm> form(c.form);
  for (size_t k = 0; k < Steps().size() && !c.life.expired(); ++k)
    Try(run, line + " step " + std::to_string(k), [&] {
      Steps()[k](c.view);
      xt::PumpUntilIdle();
    });
  Try(run, line + " free", [&] {
    form.reset();
    xt::PumpUntilIdle();
  });
}

}  // namespace

// A script is the family's name, then the cases.
static Run PlayViews(const std::string& Script, const std::function<void(TbsSkinData*)>& Load) {
  return ExerciseViews(Script.substr(Script.find('\n') + 1), Load);
}

void AddViewFamilies() { AddEventsFamily({ kFamily, 1 + kViewCount * kEventCount }, MakeViews, PlayViews); }

Run ExerciseViews(const std::string& Text, const std::function<void(TbsSkinData*)>& Load) {
  Run run;
  xt::Harness harness;
  delete Application;
  Application = new TApplication(nullptr);
  Application->OnException = TExceptionEvent::FromCallable([](TObject*, Exception*) {});
  {
    TForm holder(nullptr);
    auto* skin = new TbsSkinData(&holder);
    Load(skin);
    auto* images = new TImageList(&holder);
    images->SetHeight(20);
    std::istringstream lines(Text);
    for (std::string line; std::getline(lines, line);)
      if (!line.empty()) RunCase(run, line, skin, images);
  }
  Application->OnException = nullptr;
  delete Application;
  Application = nullptr;
  return run;
}

}  // namespace hostile
