// Every skinned class a form resource can name: created from a form resource, every published property
// it has given a value of its own (those that hold only once another is in, values that need it), written,
// read into a fresh form, in the order written and with every object's properties in reverse order, and
// written again: the texts agree, and each property set away from its default is in them. Events are
// bound by name to methods of a form class and are left out here.

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

#include "platform/vcl/Menus.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/controls/bsSkinTabs.h"
#include "skin/form/bsSkinForm.h"
#include "skin/form/bsSkinHint.h"
#include "skin/form/bsSkinMenus.h"
#include "skin/form/bsTrayIcon.h"
#include "tests/support/ControlsTestUtil.h"

namespace {

using namespace ctltest;

class TRoundTripForm : public TForm {
  XJ_CLASS(TRoundTripForm, TForm)
 public:
  explicit TRoundTripForm(TComponent* AOwner) : TForm(AOwner) {}
};

// Class-library properties a form designer sets on these classes, once lost on the way through a form.
const std::set<std::string> kOnceMissing = { "TbsSkinSlider", "TbsSkinTextLabel", "TbsSkinLinkLabel",
                                             "TbsSkinButtonLabel" };
const char* const kMustPublish[] = { "PopupMenu", "ShowHint",   "ParentShowHint", "Anchors",    "Constraints",
                                     "DragMode",  "DragCursor", "DragKind",       "OnDragDrop", "OnStartDock" };

// Values that hold only once another property is in, set in this order, each after the ones it needs.
// Lopsided, so that each is refused or moved when read before them: a lower limit above the default
// upper one, a position between the two, the last of three items; a font name is given with options
// that leave fewer families listed than the default list has before it.
struct TDependent {
  const char* Name;
  const char* Value;
};
const std::vector<std::vector<TDependent>> kDependent = {
  { { "Max", "300" }, { "Min", "150" }, { "Position", "250" } },
  { { "MaxValue", "300" }, { "MinValue", "150" }, { "Value", "250" } },
  { { "Items", "One\nTwo\nThree" }, { "ItemIndex", "2" } },
  { { "Tabs", "One\nTwo\nThree" }, { "TabIndex", "2" } },
  { { "Pages", "One\nTwo\nThree" }, { "PageIndex", "2" } },
  { { "Options", "4" }, { "FontName", "DejaVu Sans Mono" } },  // fixed pitch only
};

bool IsSkinned(TClass c) {
  const std::string n = c->Name;
  return n.rfind("Tbs", 0) == 0 || n == "RurIvozedevUzivEred";
}

class PublishedRoundTripTest : public ControlsTest {
 protected:
  TRoundTripForm* NewRoot() {
    auto* f = new TRoundTripForm(nullptr);
    f->SetBounds(50, 50, 400, 300);
    Keep(f);
    return f;
  }

  // A component of class C (or a registered class derived from it) owned by the root, for a reference.
  TComponent* Referent(TClass C) {
    for (TClass r : GetRegisteredClasses()) {
      if (!r->InheritsFrom(C) || !GetClassConstructor(r)) continue;
      try {
        TComponent* c = CreateComponent(r, root);
        c->SetName(("Ref" + std::to_string(++refs)).c_str());
        // A control is written with the form only as one of its children.
        if (auto* control = dynamic_cast<TControl*>(c)) control->SetParent(root);
        return c;
      } catch (const Exception&) {
      }
    }
    return nullptr;
  }

  // Gives every published property of Instance a value of its own; sub-objects one level down.
  void Vary(TObject* Instance, int Depth) {
    for (const TPropInfo* p : GetPropList(Instance->ClassType())) {
      const TTypeInfo* t = p->PropType;
      // The Parent... flags follow from setting the property they guard.
      if (t->Kind == tkMethod || p->Name == "Name" || p->Name.rfind("Parent", 0) == 0) continue;
      try {
        if (t->Kind == tkClass) {
          VaryObject(Instance, p, Depth);
          continue;
        }
        if (!p->SetProc) continue;
        TValue v = GetPropValue(Instance, p);
        switch (t->Kind) {
          case tkInteger:
            if (auto* c = dynamic_cast<TControl*>(Instance);
                c && (p->Name == "DefaultWidth" || p->Name == "DefaultHeight"))
              v.Ord = p->Name == "DefaultWidth" ? c->Width() : c->Height();  // the default look's size, as it is
            else if (Instance->ClassType()->InheritsFrom(TSizeConstraints::StaticClass()))
              v.Ord = p->Name.rfind("Max", 0) == 0 ? 5000 : 1;  // limits that hold the size as it is
            else
              v.Ord = v.Ord + 3 <= t->MaxValue ? v.Ord + 3 : v.Ord - 1;
            break;
          case tkChar:
            v.Ord = v.Ord == '*' ? '#' : '*';
            break;
          case tkEnumeration:
            v.Ord = (v.Ord + 1) % std::max<int64_t>(1, t->MaxValue + 1);
            break;
          case tkSet:  // one more element: never back to an empty default
            v.Ord |= (v.Ord & 1) ? 2 : 1;
            break;
          case tkFloat:
            v.Float += 1.5;
            break;
          case tkString:
            v.Str = v.Str.empty() ? AnsiString("Qz") : v.Str + "Q";
            break;
          default:
            continue;
        }
        SetPropValue(Instance, p, v);
      } catch (const Exception&) {
        // A value the setter refuses leaves the property as it was, which must stream all the same.
      }
    }
  }

  void VaryObject(TObject* Instance, const TPropInfo* p, int Depth) {
    TClass type = p->PropType->ClassType;
    if (type->InheritsFrom(TComponent::StaticClass())) {
      if (!p->SetProc || GetObjectProp(Instance, p)) return;
      if (TComponent* c = Referent(type)) SetObjectProp(Instance, p, c);
      return;
    }
    TObject* sub = GetObjectProp(Instance, p);
    if (!sub) return;
    if (auto* s = dynamic_cast<TStrings*>(sub)) {
      s->Add("line");
    } else if (auto* b = dynamic_cast<TBitmap*>(sub)) {
      b->SetSize(3, 2);
      b->Canvas()->SetPixels(1, 1, clRed);
    } else if (auto* c = dynamic_cast<TCollection*>(sub)) {
      if (Depth < 2) Vary(c->Add(), Depth + 1);
    } else if (Depth < 2) {
      Vary(sub, Depth + 1);
    }
  }

  // Gives the properties of each group of kDependent that Instance has, in the group's order; the bit of
  // each group given is set in the result.
  static unsigned SetDependent(TObject* Instance) {
    unsigned given = 0;
    for (size_t g = 0; g < kDependent.size(); ++g) {
      const auto& group = kDependent[g];
      if (!std::all_of(group.begin(), group.end(),
                       [&](const TDependent& d) { return GetPropInfo(Instance->ClassType(), d.Name); }))
        continue;
      given |= 1u << g;
      for (const TDependent& d : group) {
        const TPropInfo* p = GetPropInfo(Instance->ClassType(), d.Name);
        TValue v;
        if (p->PropType->Kind == tkClass) {
          if (auto* s = dynamic_cast<TStrings*>(GetObjectProp(Instance, p))) s->SetText(d.Value);
          continue;
        }
        v.Ord = std::atoi(d.Value);
        v.Float = v.Ord;
        v.Str = d.Value;
        SetPropValue(Instance, p, v);
      }
    }
    return given;
  }

  // The text with every object's properties in reverse order (a value on several lines kept whole),
  // its nested objects after them as written.
  static std::string Reversed(const std::string& Text) {
    std::vector<std::string> lines;
    for (size_t a = 0, e; (e = Text.find("\r\n", a)) != std::string::npos; a = e + 2)
      lines.push_back(Text.substr(a, e - a));
    size_t at = 0;
    return ReversedObject(lines, at);
  }

  // The object whose header is lines[At]; At ends past its "end".
  static std::string ReversedObject(const std::vector<std::string>& Lines, size_t& At) {
    const size_t indent = Lines[At].find_first_not_of(' ');
    std::string out = Lines[At++] + "\r\n", nested;
    std::vector<std::string> props;
    auto indentOf = [&](size_t i) { return Lines[i].find_first_not_of(' '); };
    while (At < Lines.size() && !(indentOf(At) == indent && Lines[At].compare(indent, 3, "end") == 0)) {
      if (Lines[At].compare(indentOf(At), 7, "object ") == 0) {
        nested += ReversedObject(Lines, At);
        continue;
      }
      std::string prop = Lines[At++] + "\r\n";
      while (At < Lines.size() && indentOf(At) > indent + 2) prop += Lines[At++] + "\r\n";
      props.push_back(prop);
    }
    for (auto p = props.rbegin(); p != props.rend(); ++p) out += *p;
    return out + nested + Lines[At++] + "\r\n";
  }

  // The lines of the object named Name in a form resource, its nested objects left out.
  static std::string Block(const std::string& Text, const std::string& Name) {
    const size_t at = Text.find("  object " + Name + ":");
    if (at == std::string::npos) return {};
    const size_t end = Text.find("\n  end", at);
    return Text.substr(at, end == std::string::npos ? std::string::npos : end - at);
  }

  // The lines that differ between two form texts, the sizes left out: the size a control takes when
  // loaded follows from the rest (its face, its default size, a roll-up). "" when they agree.
  static std::string Difference(const std::string& A, const std::string& B) {
    auto lines = [](const std::string& t) {
      std::vector<std::string> v;
      bool list = false;  // inside the DesignSize list
      size_t a = 0;
      for (size_t e; (e = t.find('\n', a)) != std::string::npos; a = e + 1) {
        const std::string l = t.substr(a, e - a);
        list = list || l.rfind("    DesignSize = (", 0) == 0;
        if (!list && l.rfind("    Width = ", 0) != 0 && l.rfind("    Height = ", 0) != 0) v.push_back(l);
        list = list && l.find(')') == std::string::npos;
      }
      return v;
    };
    const auto la = lines(A), lb = lines(B);
    std::string r;
    for (size_t i = 0; i < std::max(la.size(), lb.size()); ++i)
      if (i >= la.size() || i >= lb.size() || la[i] != lb[i])
        r += "was: " + (i < la.size() ? la[i] : "") + "\nnow: " + (i < lb.size() ? lb[i] : "") + "\n";
    return r;
  }

  TRoundTripForm* root {};
  int refs {};
};

TEST_F(PublishedRoundTripTest, EverySkinnedClassComesFromAFormResourceAndGoesBackWithEveryProperty) {
  std::vector<TClass> classes;
  for (TClass c : GetRegisteredClasses())
    if (IsSkinned(c) && c->InheritsFrom(TComponent::StaticClass())) classes.push_back(c);
  ASSERT_GT(classes.size(), 60u);
  std::set<std::string> seen;
  unsigned given = 0;  // the groups of kDependent some class took
  for (TClass cls : classes) {
    const std::string name = cls->Name;
    SCOPED_TRACE(name);
    seen.insert(name);
    for (const char* prop : kMustPublish)
      if (kOnceMissing.count(name)) {
        EXPECT_NE(GetPropInfo(cls, prop), nullptr) << prop;
      }

    root = NewRoot();
    refs = 0;
    const std::string created = "object RoundTripForm: TRoundTripForm\n  object It: " + name + "\n  end\nend\n";
    try {
      ReadComponentResource(root, created.c_str());
    } catch (const Exception& e) {
      ADD_FAILURE() << e.Message().c_str();
      continue;
    }
    TComponent* it = root->FindComponent("It");
    ASSERT_NE(it, nullptr);
    ASSERT_EQ(it->ClassType(), cls);
    Vary(it, 0);
    given |= SetDependent(it);
    // What a loaded control does with what it read (the default look's size and font, say).
    if (auto* target = dynamic_cast<IbsSkinChangeTarget*>(it)) target->ChangeSkinData();
    const std::string first = WriteComponentResource(root).c_str();
    const std::string block = Block(first, "It");
    for (const TPropInfo* p : GetPropList(cls)) {
      const TTypeKind k = p->PropType->Kind;
      if (k == tkMethod || (k == tkClass && !p->PropType->ClassType->InheritsFrom(TComponent::StaticClass()))) continue;
      if (!IsStoredProp(it, p) || IsDefaultPropValue(it, p)) continue;
      EXPECT_NE(block.find("    " + std::string(p->Name.c_str()) + " ="), std::string::npos)
          << p->Name.c_str() << " is not written:\n"
          << block;
    }
    for (const std::string& text : { first, Reversed(first) }) {
      TRoundTripForm* back = NewRoot();
      try {
        ReadComponentResource(back, text.c_str());
      } catch (const Exception& e) {
        ADD_FAILURE() << e.Message().c_str() << "\n" << text;
        continue;
      }
      const std::string second = WriteComponentResource(back).c_str();
      EXPECT_EQ(Difference(first, second), "") << (text == first ? "as written" : "read in reverse order");
    }
  }
  EXPECT_EQ(given, (1u << kDependent.size()) - 1);
  EXPECT_TRUE(seen.count("TbsSkinNumEdit"));
  for (const std::string& name : kOnceMissing) EXPECT_TRUE(seen.count(name)) << name;
}

}  // namespace
