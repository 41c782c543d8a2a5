// The published-property registry: class tables, the inherited property view, and access by info.

#include "platform/vcl/TypInfo.h"

#include <map>
#include <mutex>

#include "platform/vcl/SysUtils.h"

namespace {

std::mutex& RegistryLock() {
  static std::mutex lock;
  return lock;
}

std::map<TClass, TClassTable>& Tables() {
  static std::map<TClass, TClassTable> tables;
  return tables;
}

// Every class's registered builder; Tables() holds the tables built so far.
std::map<TClass, TClassTable (*)()>& Builders() {
  static std::map<TClass, TClassTable (*)()> builders;
  return builders;
}

std::map<TClass, std::vector<const TPropInfo*>>& PropLists() {
  static std::map<TClass, std::vector<const TPropInfo*>> lists;
  return lists;
}

// Under RegistryLock. A table, once built, stays where it is until its class is registered again.
const TClassTable* FindTable(TClass Class) {
  auto& tables = Tables();
  if (const auto it = tables.find(Class); it != tables.end()) return &it->second;
  const auto it = Builders().find(Class);
  if (it == Builders().end()) return nullptr;
  return &tables.emplace(Class, it->second()).first->second;
}

template <class F>
void ForEachTable(TClass Class, F f) {
  for (TClass c = Class; c; c = c->Parent)
    if (const TClassTable* t = FindTable(c))
      if (f(*t)) return;
}

[[noreturn]] void RaiseReadOnly(const TPropInfo* Prop) {
  throw EPropReadOnly::CreateFmt("Property %s is read-only", Prop->Name);
}

}  // namespace

namespace xj {

void RegisterClassTable(TClass Class, TClassTable (*Build)()) {
  std::lock_guard<std::mutex> guard(RegistryLock());
  auto& builder = Builders()[Class];
  if (builder == Build) return;  // the same table again: the one built stays, and whoever holds it
  builder = Build;
  Tables().erase(Class);
  PropLists().clear();
}

std::vector<AnsiString> SplitIdents(const char* list) {
  std::vector<AnsiString> result;
  AnsiString all(list);
  size_t start = 0;
  while (start <= all.size()) {
    size_t end = all.find(',', start);
    if (end == AnsiString::npos) end = all.size();
    AnsiString ident = Trim(all.substr(start, end - start));
    const size_t scope = ident.rfind("::");
    if (scope != AnsiString::npos) ident = ident.substr(scope + 2);
    if (!ident.empty()) result.push_back(ident);
    start = end + 1;
  }
  return result;
}

}  // namespace xj

const TTypeInfo* TTypeTraits<char>::Info() {
  static const TTypeInfo info = [] {
    TTypeInfo t;
    t.Kind = tkChar;
    t.Name = "Char";
    t.MaxValue = 255;
    return t;
  }();
  return &info;
}

const TTypeInfo* TTypeTraits<bool>::Info() {
  static const TTypeInfo info = [] {
    TTypeInfo t;
    t.Kind = tkEnumeration;
    t.Name = "Boolean";
    t.Idents = { "False", "True" };
    t.MaxValue = 1;
    return t;
  }();
  return &info;
}

const TTypeInfo* TTypeTraits<AnsiString>::Info() {
  static const TTypeInfo info = [] {
    TTypeInfo t;
    t.Kind = tkString;
    t.Name = "String";
    return t;
  }();
  return &info;
}

// ---- Queries ------------------------------------------------------------------------------------------

const TClassTable* GetClassTable(TClass Class) {
  std::lock_guard<std::mutex> guard(RegistryLock());
  return FindTable(Class);
}

const std::vector<const TPropInfo*>& GetPropList(TClass Class) {
  std::lock_guard<std::mutex> guard(RegistryLock());
  auto& lists = PropLists();
  const auto found = lists.find(Class);
  if (found != lists.end()) return found->second;

  std::vector<TClass> chain;
  for (TClass c = Class; c; c = c->Parent) chain.push_back(c);
  std::vector<const TPropInfo*> list;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    const TClassTable* table = FindTable(*it);
    if (!table) continue;
    for (const TPropInfo& p : table->Props) {
      bool replaced = false;
      for (auto& existing : list)
        if (existing->Name.size() == p.Name.size() && SameText(existing->Name, p.Name)) {
          existing = &p;
          replaced = true;
          break;
        }
      if (!replaced) list.push_back(&p);
    }
  }
  return lists.emplace(Class, std::move(list)).first->second;
}

const TPropInfo* GetPropInfo(TClass Class, const AnsiString& Name) {
  // Names of another length cannot match: most are passed over without a call.
  for (const TPropInfo* p : GetPropList(Class))
    if (p->Name.size() == Name.size() && SameText(p->Name, Name)) return p;
  return nullptr;
}

TObject* (*GetClassConstructor(TClass Class))(void* Arg) {
  const TClassTable* table = GetClassTable(Class);
  return table ? table->Create : nullptr;
}

TMethod FindPublishedMethod(TObject* Instance, const AnsiString& Name) {
  TMethod result;
  if (!Instance) return result;
  std::lock_guard<std::mutex> guard(RegistryLock());
  ForEachTable(Instance->ClassType(), [&](const TClassTable& t) {
    for (const TPublishedMethod& m : t.Methods)
      if (SameText(m.Name, Name)) {
        result = TMethod { Instance, m.Code, m.Signature };
        return true;
      }
    return false;
  });
  return result;
}

AnsiString PublishedMethodName(TObject* Root, const TMethod& Method) {
  AnsiString result;
  if (!Root || Method.Data != Root || !Method.Code) return result;
  std::lock_guard<std::mutex> guard(RegistryLock());
  ForEachTable(Root->ClassType(), [&](const TClassTable& t) {
    for (const TPublishedMethod& m : t.Methods)
      if (m.Code == Method.Code && m.Signature == Method.Signature) {
        result = m.Name;
        return true;
      }
    return false;
  });
  return result;
}

TPublishedFieldResult SetPublishedField(TObject* Owner, const AnsiString& Name, TObject* Value) {
  if (!Owner || Name.empty()) return pfNone;
  const TPublishedField* field = nullptr;
  {
    std::lock_guard<std::mutex> guard(RegistryLock());
    ForEachTable(Owner->ClassType(), [&](const TClassTable& t) {
      for (const TPublishedField& f : t.Fields)
        if (SameText(f.Name, Name)) {
          field = &f;
          return true;
        }
      return false;
    });
  }
  if (!field) return pfNone;
  if (Value && !Value->InheritsFrom(field->FieldClass)) return pfMismatch;
  field->SetProc(Owner, Value);
  return pfSet;
}

// ---- Property access ----------------------------------------------------------------------------------

TValue GetPropValue(TObject* Instance, const TPropInfo* Prop) {
  TValue v;
  Prop->GetProc(Instance, *Prop, v);
  return v;
}

void SetPropValue(TObject* Instance, const TPropInfo* Prop, const TValue& Value) {
  if (!Prop->SetProc) RaiseReadOnly(Prop);
  Prop->SetProc(Instance, *Prop, Value);
}

int64_t GetOrdProp(TObject* Instance, const TPropInfo* Prop) { return GetPropValue(Instance, Prop).Ord; }

void SetOrdProp(TObject* Instance, const TPropInfo* Prop, int64_t Value) {
  TValue v;
  v.Ord = Value;
  SetPropValue(Instance, Prop, v);
}

AnsiString GetStrProp(TObject* Instance, const TPropInfo* Prop) { return GetPropValue(Instance, Prop).Str; }

void SetStrProp(TObject* Instance, const TPropInfo* Prop, const AnsiString& Value) {
  TValue v;
  v.Str = Value;
  SetPropValue(Instance, Prop, v);
}

Extended GetFloatProp(TObject* Instance, const TPropInfo* Prop) { return GetPropValue(Instance, Prop).Float; }

void SetFloatProp(TObject* Instance, const TPropInfo* Prop, Extended Value) {
  TValue v;
  v.Float = Value;
  SetPropValue(Instance, Prop, v);
}

TObject* GetObjectProp(TObject* Instance, const TPropInfo* Prop) { return GetPropValue(Instance, Prop).Obj; }

void SetObjectProp(TObject* Instance, const TPropInfo* Prop, TObject* Value) {
  if (Value && !Value->InheritsFrom(Prop->PropType->ClassType)) throw EInvalidCast("Invalid class typecast");
  TValue v;
  v.Obj = Value;
  SetPropValue(Instance, Prop, v);
}

TMethod GetMethodProp(TObject* Instance, const TPropInfo* Prop) { return GetPropValue(Instance, Prop).Method; }

void SetMethodProp(TObject* Instance, const TPropInfo* Prop, const TMethod& Value) {
  if (Value.Code && Value.Signature != Prop->PropType->MethodSignature) throw EInvalidCast("Invalid class typecast");
  TValue v;
  v.Method = Value;
  SetPropValue(Instance, Prop, v);
}

bool IsStoredProp(TObject* Instance, const TPropInfo* Prop) {
  return Prop->StoredProc ? Prop->StoredProc(Instance) : Prop->StoredConst;
}

bool IsDefaultPropValue(TObject* Instance, const TPropInfo* Prop) {
  const TValue v = GetPropValue(Instance, Prop);
  switch (Prop->PropType->Kind) {
    case tkInteger:
    case tkChar:
    case tkEnumeration:
    case tkSet:
      return Prop->HasDefault && v.Ord == Prop->Default.Ord;
    case tkFloat:
      return v.Float == (Prop->HasDefault ? Prop->Default.Float : 0);
    case tkString:
      return v.Str == (Prop->HasDefault ? Prop->Default.Str : AnsiString());
    case tkMethod:
      return v.Method.Code == nullptr;
    case tkClass:
      return v.Obj == nullptr;
    default:
      return false;
  }
}

AnsiString GetEnumName(const TTypeInfo* Type, int64_t Value) {
  if (!Type || Value < 0 || Value >= static_cast<int64_t>(Type->Idents.size())) return AnsiString();
  return Type->Idents[static_cast<size_t>(Value)];
}

int64_t GetEnumValue(const TTypeInfo* Type, const AnsiString& Name) {
  if (!Type) return -1;
  for (size_t i = 0; i < Type->Idents.size(); ++i)
    if (SameText(Type->Idents[i], Name)) return static_cast<int64_t>(i);
  return -1;
}
