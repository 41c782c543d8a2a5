#include "tools/hostile/HostileFormTexts.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cstdint>
#include <vector>

#include "platform/vcl/Classes.h"
#include "platform/vcl/TypInfo.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/controls/bsSkinTabs.h"
#include "skin/data/bsSkinData.h"
#include "skin/form/bsSkinForm.h"
#include "skin/form/bsSkinHint.h"
#include "skin/form/bsSkinMenus.h"
#include "skin/form/bsTrayIcon.h"
#include "tools/hostile/HostileSkins.h"

namespace hostile {

namespace {

// How far into sub-objects (Font, a bitmap, ...) the properties are followed.
constexpr int kSubObjectDepth = 2;
constexpr size_t kLongString = 64 * 1024;

enum class FormFamily { Integer, Enum, String, Float, Set, Object, Count };
const char* const kFamilyNames[] {
  "form-integer", "form-enum", "form-string", "form-float", "form-set", "form-object"
};

// How a property is given its edge value.
enum class Shape { Ordinal, Char, Enum, Float, String, Set, Reference, Collection, Strings };

struct Case {
  FormFamily family;
  TClass subject;
  std::string path;  // "Caption", "Font.Height", "Items.Strings"
  const TTypeInfo* type;
  Shape shape;
  int edge;  // which of the shape's edges
};

bool IsSkinned(TClass c) {
  const std::string name = c->Name;
  return (name.rfind("Tbs", 0) == 0 || GetPropInfo(c, "SkinData")) && c->InheritsFrom(TComponent::StaticClass()) &&
         GetClassConstructor(c);
}

// The edges of an integer type: the ends of int, 0 and -1, and the type's own ends where they differ;
// those in its range, once each.
std::vector<int64_t> IntegerEdges(const TTypeInfo* t) {
  std::vector<int64_t> out;
  for (const int64_t v :
       { int64_t { INT32_MAX }, int64_t { INT32_MIN }, int64_t { 0 }, int64_t { -1 }, t->MaxValue, t->MinValue })
    if (v >= t->MinValue && v <= t->MaxValue && std::find(out.begin(), out.end(), v) == out.end()) out.push_back(v);
  return out;
}

int EdgeCount(Shape shape, const TTypeInfo* t) {
  switch (shape) {
    case Shape::Ordinal:
      return static_cast<int>(IntegerEdges(t).size());
    case Shape::Enum:
    case Shape::Strings:
      return 3;
    case Shape::Float:
      return 4;
    case Shape::Reference:
      return 0;  // CollectObject counts them
    default:
      return 2;
  }
}

// A component reference is nil, or the control itself when its class fits, else the form when that fits.
std::string SelfReference(TClass subject, const TTypeInfo* t) {
  if (subject->InheritsFrom(t->ClassType)) return "Subject";
  if (TForm::StaticClass()->InheritsFrom(t->ClassType)) return "HostileForm";
  return "";
}

void Add(std::vector<Case>& out, FormFamily f, TClass subject, const std::string& path, const TPropInfo* p,
         Shape shape) {
  for (int e = 0; e < EdgeCount(shape, p->PropType); ++e) out.push_back({ f, subject, path, p->PropType, shape, e });
}

void Collect(TClass subject, TClass cls, const std::string& prefix, int depth, std::vector<Case>& out);

void CollectObject(TClass subject, const TPropInfo* p, const std::string& path, int depth, std::vector<Case>& out) {
  const TClass c = p->PropType->ClassType;
  if (c->InheritsFrom(TComponent::StaticClass())) {
    const int edges = !p->SetProc ? 0 : SelfReference(subject, p->PropType).empty() ? 1 : 2;
    for (int e = 0; e < edges; ++e)
      out.push_back({ FormFamily::Object, subject, path, p->PropType, Shape::Reference, e });
  } else if (c->InheritsFrom(TCollection::StaticClass())) {
    Add(out, FormFamily::Object, subject, path, p, Shape::Collection);
  } else if (c->InheritsFrom(TStrings::StaticClass())) {
    Add(out, FormFamily::Object, subject, path + ".Strings", p, Shape::Strings);
  } else if (depth < kSubObjectDepth) {
    Collect(subject, c, path + ".", depth + 1, out);
  }
}

// The family and shape of a property by the kind of its type; events and other kinds have no edges.
struct KindRule {
  TTypeKind kind;
  FormFamily family;
  Shape shape;
};
constexpr KindRule kRules[] {
  { tkInteger, FormFamily::Integer, Shape::Ordinal }, { tkEnumeration, FormFamily::Enum, Shape::Enum },
  { tkChar, FormFamily::String, Shape::Char },        { tkString, FormFamily::String, Shape::String },
  { tkFloat, FormFamily::Float, Shape::Float },       { tkSet, FormFamily::Set, Shape::Set },
};

void Collect(TClass subject, TClass cls, const std::string& prefix, int depth, std::vector<Case>& out) {
  for (const TPropInfo* p : GetPropList(cls)) {
    const std::string path = prefix + p->Name;
    const TTypeKind kind = p->PropType->Kind;
    if (kind == tkClass) {
      CollectObject(subject, p, path, depth, out);
      continue;
    }
    if (!p->SetProc) continue;
    for (const KindRule& r : kRules)
      if (r.kind == kind) Add(out, r.family, subject, path, p, r.shape);
  }
}

// Every case of every family, in class order, each family's cases apart.
const std::vector<std::vector<Case>>& Cases() {
  static const std::vector<std::vector<Case>> cases = [] {
    std::vector<Case> all;
    for (const TClass c : GetRegisteredClasses())
      if (IsSkinned(c)) Collect(c, c, "", 0, all);
    std::vector<std::vector<Case>> out(static_cast<size_t>(FormFamily::Count));
    for (const Case& c : all) out[static_cast<size_t>(c.family)].push_back(c);
    return out;
  }();
  return cases;
}

// ---- Values ---------------------------------------------------------------------------------------------

// 64 KiB of text a control must measure and draw: double-byte characters, letters and an accelerator.
std::string LongText() {
  std::string out;
  while (out.size() < kLongString) out += "行W&x";
  return out;
}

template <class F>
std::string FloatText(F v) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  std::string s(buf, r.ptr);
  // The reader takes a number as a float only with a fraction or an exponent.
  if (s.find_first_of(".e") == std::string::npos) s += ".0";
  return s;
}

std::string FloatEdge(const TTypeInfo* t, int edge) {
  if (edge < 2) return edge == 0 ? "0" : "-1";
  const bool high = edge == 2;
  switch (t->FloatType) {
    case ftSingle:
      return FloatText(high ? FLT_MAX : -FLT_MAX);
    case ftDouble:
      return FloatText(high ? DBL_MAX : -DBL_MAX);
    default:
      return FloatText(high ? LDBL_MAX : -LDBL_MAX);
  }
}

std::string SetEdge(const TTypeInfo* t, int edge) {
  std::string out = "[";
  for (size_t i = 0; edge == 1 && i < t->CompType->Idents.size() && i < 64; ++i)
    out += (i ? ", " : "") + std::string(t->CompType->Idents[i]);
  return out + "]";
}

std::string CollectionEdge(int edge) {
  std::string out = "<";
  for (int i = 0; edge == 1 && i < 1000; ++i) out += "\r\n      item\r\n      end";
  return out + ">";
}

std::string StringsEdge(int edge) {
  std::string out = "(";
  if (edge == 1)
    for (int i = 0; i < 10000; ++i) out += "\r\n      '行 " + std::to_string(i) + "'";
  if (edge == 2) out += "\r\n      '" + LongText() + "'";
  return out + ")";
}

// The value as the form text writes it.
std::string Value(const Case& c) {
  const TTypeInfo* t = c.type;
  switch (c.shape) {
    case Shape::Ordinal:
      return std::to_string(IntegerEdges(t)[static_cast<size_t>(c.edge)]);
    case Shape::Char:
      return c.edge == 0 ? "#0" : "#255";
    case Shape::Enum:
      return c.edge == 0   ? std::string(t->Idents.front())
             : c.edge == 1 ? std::string(t->Idents.back())
                           : std::to_string(t->MaxValue + 1);
    case Shape::Float:
      return FloatEdge(t, c.edge);
    case Shape::String:
      return c.edge == 0 ? "''" : (std::string(1, '\'') += LongText()) += '\'';
    case Shape::Set:
      return SetEdge(t, c.edge);
    case Shape::Reference:
      return c.edge == 0 ? "nil" : SelfReference(c.subject, t);
    case Shape::Collection:
      return CollectionEdge(c.edge);
    default:
      return StringsEdge(c.edge);
  }
}

// What the value is, short enough for a line of the driver's table.
std::string Summary(const Case& c, const std::string& value) {
  if (value.size() <= 40) return value;
  if (c.shape == Shape::Collection) return "1000 items";
  if (c.shape == Shape::Strings) return c.edge == 1 ? "10000 lines" : "one line of 64 KiB";
  return "64 KiB";
}

// The class alone on the form, placed and bound to the skin first, the property under test last.
std::string Text(const Case& c, const std::string& value) {
  std::string text = "object HostileForm: TForm\r\n  object Subject: " + std::string(c.subject->Name) + "\r\n";
  if (GetPropInfo(c.subject, "Width")) text += "    Left = 8\r\n    Top = 8\r\n    Width = 320\r\n    Height = 200\r\n";
  if (const TPropInfo* p = GetPropInfo(c.subject, "SkinData");
      p && p->PropType->Kind == tkClass && TbsSkinData::StaticClass()->InheritsFrom(p->PropType->ClassType))
    text += "    SkinData = " + std::string(FormSkinDataName) + "\r\n";
  return text + "    " + c.path + " = " + value + "\r\n  end\r\nend\r\n";
}

template <FormFamily F>
Input MakeForm(uint64_t, int k) {
  const Case& c = Cases()[static_cast<size_t>(F)][static_cast<size_t>(k)];
  const std::string value = Value(c);
  Input in;
  in.kind = Input::Kind::FormText;
  in.what = std::string(c.subject->Name) + "." + c.path + " = " + Summary(c, value);
  const std::string text = Text(c, value);
  in.files = { { "form.txt", std::vector<uint8_t>(text.begin(), text.end()) } };
  return in;
}

template <FormFamily F>
void AddOne() {
  const auto n = static_cast<int>(Cases()[static_cast<size_t>(F)].size());
  if (n > 0) AddFamily({ kFamilyNames[static_cast<size_t>(F)], n }, MakeForm<F>);
}

}  // namespace

void AddFormFamilies() {
  AddOne<FormFamily::Integer>();
  AddOne<FormFamily::Enum>();
  AddOne<FormFamily::String>();
  AddOne<FormFamily::Float>();
  AddOne<FormFamily::Set>();
  AddOne<FormFamily::Object>();
}

}  // namespace hostile
