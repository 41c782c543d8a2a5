#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "platform/vcl/Classes.h"

// Components that log what happens to them, by name.
static std::vector<std::string> gLog;

class TCtLogged : public TComponent {
  XJ_CLASS(TCtLogged, TComponent)
 public:
  TCtLogged(TComponent* AOwner, const char* name = nullptr) : TComponent(AOwner) {
    if (name) SetName(name);
  }
  ~TCtLogged() override { gLog.push_back("~" + Name()); }

  // A reference to another component, kept safe the class library's way.
  TComponent* Ref() const { return FRef; }
  void SetRef(TComponent* Value) {
    FRef = Value;
    if (Value) Value->FreeNotification(this);
  }

 protected:
  // Logs before passing the notice on (so the log reads top-down); notices about itself are left out.
  void Notification(TComponent* AComponent, TOperation Operation) override {
    if (AComponent != this)
      gLog.push_back(Name() + (Operation == opInsert ? " +" : " -") +
                     (AComponent->Name().empty() ? "?" : AComponent->Name()));
    if (Operation == opRemove && AComponent == FRef) FRef = nullptr;
    TComponent::Notification(AComponent, Operation);
  }

 private:
  TComponent* FRef { nullptr };
};

class TCtForm : public TCtLogged {
  XJ_CLASS(TCtForm, TCtLogged)
 public:
  using TCtLogged::TCtLogged;
  TCtLogged* Button1 { nullptr };  // a published field, filled in by name
};

class TCtAbstract : public TComponent {
  XJ_CLASS(TCtAbstract, TComponent)
 public:
  using TComponent::TComponent;
  virtual void Pure() = 0;
};

XJ_PUBLISHED(TCtLogged, XJ_PROP(Ref));
XJ_PUBLISHED(TCtForm, XJ_FIELD(Button1));
XJ_PUBLISHED(TCtAbstract);

namespace {

class Components : public testing::Test {
 protected:
  void SetUp() override { gLog.clear(); }
};

TEST_F(Components, AnOwnerFreesWhatItOwnsLastCreatedFirst) {
  auto* owner = new TCtLogged(nullptr, "Owner");
  new TCtLogged(owner, "A");
  auto* b = new TCtLogged(owner, "B");
  new TCtLogged(b, "B1");
  new TCtLogged(owner, "C");
  gLog.clear();
  delete owner;
  // Nobody asked for notices, so the siblings going together are not told about each other.
  EXPECT_EQ(gLog, (std::vector<std::string> { "~Owner", "~C", "~B", "~B1", "~A" }));
}

// The owner hears of every component that comes or goes; of the others only those holding the one that
// goes hear, wherever they sit below the owner.
TEST_F(Components, InsertAndRemoveNoticesReachTheOwnerAndEveryHolderAtAnyDepth) {
  TCtLogged owner(nullptr, "Owner");
  auto* a = new TCtLogged(&owner, "A");
  auto* a1 = new TCtLogged(a, "A1");
  new TCtLogged(&owner, "Bystander");
  gLog.clear();
  auto* b = new TCtLogged(&owner, "B");  // named after insertion: the notice shows no name yet
  EXPECT_EQ(gLog, (std::vector<std::string> { "Owner +?" }));
  a1->SetRef(b);
  gLog.clear();
  delete b;  // freeing one component takes it off its owner's list, with notices
  EXPECT_EQ(gLog, (std::vector<std::string> { "~B", "A1 -B", "Owner -B" }));
  EXPECT_EQ(a1->Ref(), nullptr);
  EXPECT_EQ(owner.ComponentCount(), 2);
  EXPECT_EQ(owner.FindComponent("b"), nullptr);

  // Taken off its owner alive: the holders below that owner let go of it, one elsewhere keeps it.
  TCtLogged elsewhere(nullptr, "Elsewhere");
  auto* far = new TCtLogged(&elsewhere, "Far");
  auto* c = new TCtLogged(&owner, "C");
  a1->SetRef(c);
  far->SetRef(c);
  gLog.clear();
  elsewhere.InsertComponent(c);
  EXPECT_EQ(gLog, (std::vector<std::string> { "Owner -C", "A1 -C", "Elsewhere +C" }));
  EXPECT_EQ(a1->Ref(), nullptr);
  EXPECT_EQ(far->Ref(), c);
  gLog.clear();
  delete c;
  EXPECT_EQ(gLog, (std::vector<std::string> { "~C", "Far -C", "Elsewhere -C" }));
  EXPECT_EQ(far->Ref(), nullptr);
}

// Hundreds of siblings, each holding the next and all holding one shared component, freed in an order
// that is neither first nor last created: every holder of a freed one lets go of it, no notice reaches a
// freed component (the sanitizers would see it), and the survivors keep their order and places.
TEST_F(Components, ManySiblingsFreedInAnyOrderAreDroppedByTheirHolders) {
  constexpr int n = 301;
  auto* owner = new TCtLogged(nullptr, "Owner");
  auto* shared = new TCtLogged(owner, "Shared");
  std::vector<TCtLogged*> made;
  for (int i = 0; i < n; ++i) made.push_back(new TCtLogged(owner, ("S" + std::to_string(i)).c_str()));
  for (int i = 0; i < n; ++i) made[i]->SetRef(made[(i + 1) % n]);
  // The shared one holds every sibling in turn, so it is in a pair with each of them: the last word.
  for (TCtLogged* s : made) shared->SetRef(s);
  shared->SetRef(made[n - 1]);
  shared->SetRef(made[n - 1]);  // asked twice: still one pair

  std::vector<bool> alive(n, true);
  auto free = [&](int i) {
    if (!alive[i]) return;
    delete made[i];
    alive[i] = false;
  };
  for (int i = 0; i < n; i += 3) free(i);          // every third from the front
  for (int i = n - 2; i > n / 2; i -= 4) free(i);  // then some from the back
  int live = 0;
  for (int i = 0; i < n; ++i) {
    if (!alive[i]) continue;
    ++live;
    const int next = (i + 1) % n;
    EXPECT_EQ(made[i]->Ref(), alive[next] ? made[next] : nullptr) << i;
  }
  EXPECT_EQ(owner->ComponentCount(), live + 1);
  int place = 1;
  for (int i = 0; i < n; ++i) {
    if (!alive[i]) continue;
    ASSERT_EQ(owner->Components(place), made[i]) << i;
    EXPECT_EQ(made[i]->ComponentIndex(), place) << i;
    ++place;
  }
  EXPECT_EQ(shared->Ref(), nullptr);  // its last word went in the first round
  int lastAlive = n - 1;
  while (!alive[lastAlive]) --lastAlive;
  TCtLogged* last = made[lastAlive];
  last->SetComponentIndex(0);
  EXPECT_EQ(owner->Components(0), last);
  EXPECT_EQ(owner->Components(1), shared);
  EXPECT_EQ(shared->ComponentIndex(), 1);

  delete shared;  // each survivor hears once, through its pair
  int heard = 0;
  for (const std::string& line : gLog) heard += line.ends_with(" -Shared");
  EXPECT_EQ(heard, live + 1);  // the owner too
  gLog.clear();
  delete owner;  // the ring's remaining pairs are undone as the siblings go
  EXPECT_EQ(std::count_if(gLog.begin(), gLog.end(), [](const std::string& l) { return l[0] == '~'; }), live + 1);
}

TEST_F(Components, FreeNotificationWorksAcrossOwnersInBothDirections) {
  auto* form1 = new TCtLogged(nullptr, "Form1");
  auto* form2 = new TCtLogged(nullptr, "Form2");
  auto* user = new TCtLogged(form1, "User");
  auto* skin = new TCtLogged(form2, "Skin");
  user->SetRef(skin);
  EXPECT_TRUE(skin->ComponentState().Contains(csFreeNotification));
  gLog.clear();
  delete form2;  // the referenced component goes with its owner: the user on the other form is told
  EXPECT_EQ(user->Ref(), nullptr);
  EXPECT_EQ(gLog, (std::vector<std::string> { "~Form2", "~Skin", "User -Skin" }));

  // The other way round: the component that asked goes first; the referenced one must forget it.
  auto* form3 = new TCtLogged(nullptr, "Form3");
  auto* skin2 = new TCtLogged(form3, "Skin2");
  user->SetRef(skin2);
  delete form1;
  gLog.clear();
  delete form3;  // would touch the freed user if the pair had not been undone
  EXPECT_EQ(gLog, (std::vector<std::string> { "~Form3", "~Skin2" }));
}

TEST_F(Components, AReferencedSiblingTellsTheOthersWhenTheOwnerGoes) {
  auto* owner = new TCtLogged(nullptr, "Owner");
  auto* user = new TCtLogged(owner, "User");
  new TCtLogged(owner, "Skin");
  user->SetRef(owner->FindComponent("SKIN"));  // same owner: a pair all the same
  gLog.clear();
  delete owner;
  // The owner is past its own destructor body by then, so only the sibling is left to hear it.
  EXPECT_EQ(gLog, (std::vector<std::string> { "~Owner", "User -Skin", "~Skin", "~User" }));
}

TEST_F(Components, RemoveFreeNotificationEndsThePair) {
  TCtLogged form1(nullptr, "F1"), form2(nullptr, "F2");
  auto* user = new TCtLogged(&form1, "User");
  auto* skin = new TCtLogged(&form2, "Skin");
  skin->FreeNotification(user);
  skin->RemoveFreeNotification(user);
  gLog.clear();
  delete skin;
  EXPECT_EQ(gLog, (std::vector<std::string> { "~Skin", "F2 -Skin" }));
}

TEST_F(Components, NamesAreIdentifiersUniqueWithinTheOwner) {
  TCtLogged owner(nullptr, "Owner");
  auto* a = new TCtLogged(&owner, "Alpha");
  auto* b = new TCtLogged(&owner);
  struct Case {
    const char* name;
    const char* message;
  };
  const std::vector<Case> cases = {
    { "ALPHA", "A component named ALPHA already exists" },
    { "1abc", "'1abc' is not a valid component name" },
    { "a b", "'a b' is not a valid component name" },
    { "名字", "'名字' is not a valid component name" },
  };
  for (const auto& c : cases) {
    try {
      b->SetName(c.name);
      ADD_FAILURE() << c.name << " accepted";
    } catch (const EComponentError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
  EXPECT_EQ(b->Name(), "");
  a->SetName("alpha");  // a new spelling of its own name is fine
  b->SetName("_b2");
  EXPECT_EQ(owner.FindComponent("_B2"), b);
  TCtLogged other(nullptr, "Other");
  new TCtLogged(&other, "_b2");
  EXPECT_THROW(other.InsertComponent(b), EComponentError);
  EXPECT_EQ(b->Owner(), &owner);  // a refused move leaves it where it was
}

// Past a few dozen components the owner finds names through an index: every way a name comes, goes or
// changes must keep it true, in any case, for both ways of looking (FindComponent and a duplicate).
TEST_F(Components, ManySiblingsAreFoundByNameThroughRenamesMovesAndFrees) {
  TComponent owner(nullptr), other(nullptr);
  std::vector<TComponent*> made;
  for (int i = 0; i < 100; ++i) {
    made.push_back(new TComponent(&owner));
    made.back()->SetName("Item" + IntToStr(i));
  }
  EXPECT_EQ(owner.FindComponent("ITEM73"), made[73]);
  EXPECT_EQ(owner.FindComponent("item0"), made[0]);
  EXPECT_EQ(owner.FindComponent("Item100"), nullptr);
  EXPECT_THROW(made[5]->SetName("iTeM6"), EComponentError);

  made[7]->SetName("Renamed");  // the old name is free again, the new one taken
  EXPECT_EQ(owner.FindComponent("Item7"), nullptr);
  EXPECT_EQ(owner.FindComponent("RENAMED"), made[7]);
  made[8]->SetName("Item7");
  EXPECT_EQ(owner.FindComponent("item7"), made[8]);
  made[9]->SetName("");
  EXPECT_EQ(owner.FindComponent("Item9"), nullptr);
  EXPECT_EQ(owner.FindComponent(""), nullptr);

  other.InsertComponent(made[10]);  // moved away: gone from here, found there
  EXPECT_EQ(owner.FindComponent("Item10"), nullptr);
  EXPECT_EQ(other.FindComponent("Item10"), made[10]);
  auto* again = new TComponent(&owner);
  again->SetName("Item10");

  delete made[50];  // freed: its name can be taken
  auto* late = new TComponent(&owner);
  late->SetName("item50");
  EXPECT_EQ(owner.FindComponent("Item50"), late);
  EXPECT_EQ(owner.ComponentCount(), 100);
  EXPECT_EQ(owner.Components(99), late);
}

TEST_F(Components, InsertComponentMovesBetweenOwners) {
  TCtLogged one(nullptr, "One"), two(nullptr, "Two");
  auto* c = new TCtLogged(&one, "C");
  gLog.clear();
  two.InsertComponent(c);
  EXPECT_EQ(c->Owner(), &two);
  EXPECT_EQ(one.ComponentCount(), 0);
  EXPECT_EQ(two.Components(0), c);
  EXPECT_EQ(gLog, (std::vector<std::string> { "One -C", "Two +C" }));
  EXPECT_THROW(two.Components(1), EListError);
  two.RemoveComponent(c);
  EXPECT_EQ(c->Owner(), nullptr);
  delete c;
}

TEST_F(Components, ComponentIndexMovesWithinTheOwner) {
  TCtLogged owner(nullptr, "Owner");
  auto* a = new TCtLogged(&owner, "A");
  auto* b = new TCtLogged(&owner, "B");
  auto* c = new TCtLogged(&owner, "C");
  EXPECT_EQ(c->ComponentIndex(), 2);
  c->SetComponentIndex(0);
  EXPECT_EQ(owner.Components(0), c);
  EXPECT_EQ(owner.Components(1), a);
  b->SetComponentIndex(99);
  EXPECT_EQ(b->ComponentIndex(), 2);
  EXPECT_EQ(owner.ComponentIndex(), -1);
}

TEST_F(Components, PublishedFieldsFollowTheNamedComponent) {
  TCtForm form(nullptr, "Form");
  auto* button = new TCtLogged(&form, "Button1");
  EXPECT_EQ(form.Button1, button);
  button->SetName("Renamed");
  EXPECT_EQ(form.Button1, nullptr);
  button->SetName("Button1");
  EXPECT_EQ(form.Button1, button);
  delete button;
  EXPECT_EQ(form.Button1, nullptr);
  // A component that does not fit the field is refused.
  auto* wrong = new TComponent(&form);
  EXPECT_THROW(wrong->SetName("Button1"), EComponentError);
  EXPECT_EQ(wrong->Name(), "");
}

TEST_F(Components, StateFlagsPropagate) {
  TCtLogged owner(nullptr, "Owner");
  auto* a = new TCtLogged(&owner, "A");
  owner.SetDesigning(true);
  EXPECT_TRUE(a->ComponentState().Contains(csDesigning));
  auto* b = new TCtLogged(&owner, "B");
  EXPECT_TRUE(b->ComponentState().Contains(csDesigning));  // inserted into a designing owner
  owner.Destroying();
  EXPECT_TRUE(a->ComponentState().Contains(csDestroying));
  EXPECT_TRUE(owner.ComponentStyle().Contains(csInheritable));
}

TEST_F(Components, ClassesAreFoundByNameAndCreatedThroughTheirConstructor) {
  RegisterClasses({ TCtLogged::StaticClass(), TCtForm::StaticClass(), TCtAbstract::StaticClass() });
  RegisterClass(TCtLogged::StaticClass());  // again: fine
  EXPECT_EQ(GetClass("tctlogged"), TCtLogged::StaticClass());
  EXPECT_EQ(GetClass("TNope"), nullptr);
  try {
    FindClass("TNope");
    FAIL();
  } catch (const EClassNotFound& e) {
    EXPECT_EQ(e.Message(), "Class TNope not found");
  }
  TCtLogged owner(nullptr, "Owner");
  TComponent* made = CreateComponent(FindClass("TCtForm"), &owner);
  EXPECT_EQ(made->ClassName(), "TCtForm");
  EXPECT_EQ(made->Owner(), &owner);
  EXPECT_THROW(CreateComponent(TCtAbstract::StaticClass(), &owner), EComponentError);
  EXPECT_THROW(CreateComponent(TStringList::StaticClass(), &owner), EComponentError);

  struct TCtLoggedImpostor : TComponent {
    // Same name as a registered class, different class.
    static TClass StaticClass() {
      static const TMetaClass meta { "TCtLogged", TComponent::StaticClass() };
      return &meta;
    }
  };
  EXPECT_THROW(RegisterClass(TCtLoggedImpostor::StaticClass()), EFilerError);
  UnRegisterClass(TCtAbstract::StaticClass());
  EXPECT_EQ(GetClass("TCtAbstract"), nullptr);
}

// ---- Closures -----------------------------------------------------------------------------------------

struct TCtHandler : TObject {
  int Hits { 0 };
  void Click(TObject*) { ++Hits; }
  void Other(TObject*) {}
};
struct TCtDerivedHandler : TCtHandler {};

TEST(Closure, EqualWhenTheyNameTheSameMethodOfTheSameObject) {
  TCtHandler h1, h2;
  const TNotifyEvent a(&h1, &TCtHandler::Click);
  EXPECT_TRUE(a == TNotifyEvent(&h1, &TCtHandler::Click));
  EXPECT_FALSE(a == TNotifyEvent(&h2, &TCtHandler::Click));
  EXPECT_FALSE(a == TNotifyEvent(&h1, &TCtHandler::Other));
  EXPECT_FALSE(a == nullptr);
  EXPECT_TRUE(TNotifyEvent() == nullptr);
  a(nullptr);
  EXPECT_EQ(h1.Hits, 1);
  EXPECT_EQ(a.Data(), &h1);
  TCtDerivedHandler d;
  const TNotifyEvent inherited(&d, &TCtHandler::Click);  // a method the object inherits
  inherited(nullptr);
  EXPECT_EQ(d.Hits, 1);
  EXPECT_TRUE(inherited == TNotifyEvent(static_cast<TCtHandler*>(&d), &TCtHandler::Click));

  int calls = 0;
  const auto lambda = TNotifyEvent::FromCallable([&](TObject*) { ++calls; });
  const TNotifyEvent copy = lambda;
  EXPECT_TRUE(copy == lambda);
  EXPECT_FALSE(lambda == TNotifyEvent::FromCallable([&](TObject*) { ++calls; }));
  copy(nullptr);
  EXPECT_EQ(calls, 1);
  EXPECT_THROW(TNotifyEvent()(nullptr), std::bad_function_call);
}

TEST(Closure, ErasedFormsKeepIdentityAndCheckTheSignature) {
  TCtHandler h;
  const TNotifyEvent a(&h, &TCtHandler::Click);
  const TMethod m = a.ToMethod();
  EXPECT_TRUE(TNotifyEvent::FromMethod(m) == a);
  using TIntEvent = TClosure<void(TObject*, int)>;
  EXPECT_FALSE(TIntEvent::FromMethod(m));  // another event type: refused, not miscalled
}

}  // namespace
