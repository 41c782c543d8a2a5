#pragma once
// The published-property registry: per class, the properties the form streamer reads and writes, the
// methods event properties can be bound to by name, the component fields a form fills in when it
// loads, and the constructor used to create the class by name.
//
// A class declares its table once, in its .cpp, one line per property, in declaration order:
//
//   XJ_ENUM_IDENTS(TBaudRate, br110, br300, br9600);       // in the header, next to the enum
//
//   XJ_PUBLISHED(TComm,
//     XJ_PROP(BaudRate, br9600)                 // getter BaudRate(), setter SetBaudRate(v), default
//     XJ_PROP(ReadTimeout, 1000)
//     XJ_PROP(PortName)                         // no default: always written (strings: unless "")
//     XJ_PROP(Images) XJ_STORED(IsImagesStored) // written only when the predicate says so
//     XJ_PROP_RO(EventChars)                    // a sub-object, streamed as EventChars.XOnChar = ...
//     XJ_EVENT(OnRxChar))                       // an event member: `TRxCharEvent OnRxChar;`
//
//   XJ_PUBLISHED(TForm1,
//     XJ_FIELD(Button1)                         // `TButton* Button1;` filled in when Button1 loads
//     XJ_METHOD(Button1Click))                  // bindable as `OnClick = Button1Click`
//
// Inherited tables chain through TMetaClass: a class lists only what it adds; a name it lists again
// replaces the inherited entry (a new default, say) in place. Accessors that are not public need
// XJ_PUBLISHED_ACCESS inside the class.

#include <bit>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/vcl/Closure.h"
#include "platform/vcl/Sets.h"
#include "platform/vcl/SysUtils.h"
#include "platform/vcl/System.h"

class TComponent;
class TCollection;

XJ_EXCEPTION(EPropReadOnly, Exception);

enum TTypeKind { tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass, tkMethod };
enum TFloatType { ftSingle, ftDouble, ftExtended };

struct TTypeInfo {
  TTypeKind Kind { tkUnknown };
  AnsiString Name;
  int64_t MinValue { 0 };  // ordinal range
  int64_t MaxValue { 0 };
  TFloatType FloatType { ftDouble };
  std::vector<AnsiString> Idents;           // enumerations: the identifier of each value, from 0
  const TTypeInfo* CompType { nullptr };    // sets: the element enumeration
  TClass ClassType { nullptr };             // classes
  const void* MethodSignature { nullptr };  // methods: TClosure<...>::SignatureId()
  // Integer types with named constants (colours): both null for plain integers.
  bool (*IdentToInt)(const AnsiString& Ident, int64_t& Value) { nullptr };
  bool (*IntToIdent)(int64_t Value, AnsiString& Ident) { nullptr };
};

// A property value in transit, whatever its kind.
struct TValue {
  int64_t Ord { 0 };  // integers, chars (0..255), enumerations, sets (bit i = element i)
  Extended Float { 0 };
  AnsiString Str;
  TObject* Obj { nullptr };
  TMethod Method;
};

struct TPropInfo {
  AnsiString Name;
  const TTypeInfo* PropType { nullptr };
  void (*GetProc)(TObject* Instance, const TPropInfo& Prop, TValue& Value) { nullptr };
  void (*SetProc)(TObject* Instance, const TPropInfo& Prop, const TValue& Value) { nullptr };  // null: read-only
  int Index { 0 };  // passed to indexed accessors
  bool HasDefault { false };
  TValue Default;
  bool (*StoredProc)(TObject* Instance) { nullptr };
  bool StoredConst { true };
};

struct TPublishedMethod {
  AnsiString Name;
  void (TObject::*Code)() { nullptr };
  const void* Signature { nullptr };
};

struct TPublishedField {
  AnsiString Name;
  TClass FieldClass { nullptr };
  void (*SetProc)(TObject* Owner, TObject* Value) { nullptr };
};

// One class's own entries; see GetPropList for the inherited view.
struct TClassTable {
  TClass Class { nullptr };
  std::vector<TPropInfo> Props;
  std::vector<TPublishedMethod> Methods;
  std::vector<TPublishedField> Fields;
  // The virtual constructor: Arg is the owner (TComponent*) for components, the collection
  // (TCollection*) for collection items. Null for abstract classes.
  TObject* (*Create)(void* Arg) { nullptr };
};

// ---- Queries ------------------------------------------------------------------------------------------

const TClassTable* GetClassTable(TClass Class);
// Every published property of the class, inherited ones first, in declaration order.
const std::vector<const TPropInfo*>& GetPropList(TClass Class);
// Names compare without case; null when absent.
const TPropInfo* GetPropInfo(TClass Class, const AnsiString& Name);
inline const TPropInfo* GetPropInfo(const TObject* Instance, const AnsiString& Name) {
  return GetPropInfo(Instance->ClassType(), Name);
}
// The constructor registered with the class's own table; null if none (abstract, or no XJ_PUBLISHED).
TObject* (*GetClassConstructor(TClass Class))(void* Arg);

// The published method of Instance's class (or an ancestor) named Name, bound to Instance; a null
// Code when there is none.
TMethod FindPublishedMethod(TObject* Instance, const AnsiString& Name);
// The name under which Method is published in Root's class, or "" when it is not Root's.
AnsiString PublishedMethodName(TObject* Root, const TMethod& Method);
// Sets Owner's published field Name to Value (null always fits). pfNone: no such field;
// pfMismatch: Value is not of the field's class, and the field is left alone.
enum TPublishedFieldResult { pfNone, pfSet, pfMismatch };
TPublishedFieldResult SetPublishedField(TObject* Owner, const AnsiString& Name, TObject* Value);

// ---- Property access by info --------------------------------------------------------------------------

TValue GetPropValue(TObject* Instance, const TPropInfo* Prop);
// Raises EPropReadOnly for a property without a setter.
void SetPropValue(TObject* Instance, const TPropInfo* Prop, const TValue& Value);
int64_t GetOrdProp(TObject* Instance, const TPropInfo* Prop);
void SetOrdProp(TObject* Instance, const TPropInfo* Prop, int64_t Value);
AnsiString GetStrProp(TObject* Instance, const TPropInfo* Prop);
void SetStrProp(TObject* Instance, const TPropInfo* Prop, const AnsiString& Value);
Extended GetFloatProp(TObject* Instance, const TPropInfo* Prop);
void SetFloatProp(TObject* Instance, const TPropInfo* Prop, Extended Value);
TObject* GetObjectProp(TObject* Instance, const TPropInfo* Prop);
void SetObjectProp(TObject* Instance, const TPropInfo* Prop, TObject* Value);
TMethod GetMethodProp(TObject* Instance, const TPropInfo* Prop);
void SetMethodProp(TObject* Instance, const TPropInfo* Prop, const TMethod& Value);
bool IsStoredProp(TObject* Instance, const TPropInfo* Prop);
// True when the value equals the declared default (ordinals), is 0 (floats) or "" (strings) or is
// unassigned (methods, component references). Ordinals without a declared default are never default.
bool IsDefaultPropValue(TObject* Instance, const TPropInfo* Prop);

// Enumeration identifiers: "" / -1 when out of range or unknown (identifiers compare without case).
AnsiString GetEnumName(const TTypeInfo* Type, int64_t Value);
int64_t GetEnumValue(const TTypeInfo* Type, const AnsiString& Name);

// ---- Type traits --------------------------------------------------------------------------------------

// Identifier tables of enumerations: XJ_ENUM_IDENTS(TAlign, alNone, alTop, ...) lists every value in
// declaration order (checked at compile time).
template <class E>
struct TEnumTraits;

namespace xj {
template <class E, size_t N>
constexpr bool IsSequence(const E (&values)[N]) {
  for (size_t i = 0; i < N; ++i)
    if (static_cast<int64_t>(values[i]) != static_cast<int64_t>(i)) return false;
  return true;
}
std::vector<AnsiString> SplitIdents(const char* list);
template <class V>
constexpr int64_t OrdMax() {
  if constexpr (std::numeric_limits<V>::max() > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
    return std::numeric_limits<int64_t>::max();
  else
    return static_cast<int64_t>(std::numeric_limits<V>::max());
}
}  // namespace xj

#define XJ_ENUM_IDENTS(E, ...)                         \
  template <>                                          \
  struct TEnumTraits<E> {                              \
    static constexpr const char* Name = #E;            \
    static constexpr const char* Names = #__VA_ARGS__; \
    static constexpr E Values[] = { __VA_ARGS__ };     \
  };                                                   \
  static_assert(::xj::IsSequence(TEnumTraits<E>::Values), #E ": list every value in declaration order")

// How a C++ type streams: its TTypeInfo and its conversion to and from TValue. Specialise it for a
// distinct type with its own rules (a colour type with named constants, say).
template <class V>
struct TTypeTraits;

template <class V>
concept XjOrdinalInteger = std::is_integral_v<V> && !std::is_same_v<V, bool> && !std::is_same_v<V, char>;

template <class V>
requires XjOrdinalInteger<V>
struct TTypeTraits<V> {
  static const TTypeInfo* Info() {
    static const TTypeInfo info = [] {
      TTypeInfo t;
      t.Kind = tkInteger;
      t.Name = "Integer";
      t.MinValue = static_cast<int64_t>(std::numeric_limits<V>::min());
      t.MaxValue = xj::OrdMax<V>();
      return t;
    }();
    return &info;
  }
  static void ToValue(const V& v, TValue& out) { out.Ord = static_cast<int64_t>(v); }
  static V FromValue(const TValue& in) { return static_cast<V>(in.Ord); }
};

template <>
struct TTypeTraits<char> {
  static const TTypeInfo* Info();
  static void ToValue(char v, TValue& out) { out.Ord = static_cast<unsigned char>(v); }
  static char FromValue(const TValue& in) { return static_cast<char>(in.Ord); }
};

template <>
struct TTypeTraits<bool> {
  static const TTypeInfo* Info();
  static void ToValue(bool v, TValue& out) { out.Ord = v ? 1 : 0; }
  static bool FromValue(const TValue& in) { return in.Ord != 0; }
};

template <class E>
requires std::is_enum_v<E> && requires { TEnumTraits<E>::Names; }
struct TTypeTraits<E> {
  static const TTypeInfo* Info() {
    static const TTypeInfo info = [] {
      TTypeInfo t;
      t.Kind = tkEnumeration;
      t.Name = TEnumTraits<E>::Name;
      t.Idents = xj::SplitIdents(TEnumTraits<E>::Names);
      t.MaxValue = static_cast<int64_t>(t.Idents.size()) - 1;
      return t;
    }();
    return &info;
  }
  static void ToValue(E v, TValue& out) { out.Ord = static_cast<int64_t>(v); }
  static E FromValue(const TValue& in) { return static_cast<E>(in.Ord); }
};

template <class F>
requires std::is_floating_point_v<F>
struct TTypeTraits<F> {
  static const TTypeInfo* Info() {
    static const TTypeInfo info = [] {
      TTypeInfo t;
      t.Kind = tkFloat;
      t.Name = "Float";
      t.FloatType = sizeof(F) == sizeof(float) ? ftSingle : sizeof(F) == sizeof(double) ? ftDouble : ftExtended;
      return t;
    }();
    return &info;
  }
  static void ToValue(F v, TValue& out) { out.Float = v; }
  static F FromValue(const TValue& in) { return static_cast<F>(in.Float); }
};

template <>
struct TTypeTraits<AnsiString> {
  static const TTypeInfo* Info();
  static void ToValue(const AnsiString& v, TValue& out) { out.Str = v; }
  static AnsiString FromValue(const TValue& in) { return in.Str; }
};

template <class E>
struct TTypeTraits<Set<E>> {
  static const TTypeInfo* Info() {
    static const TTypeInfo info = [] {
      TTypeInfo t;
      t.Kind = tkSet;
      t.Name = AnsiString("set of ") + TTypeTraits<E>::Info()->Name;
      t.CompType = TTypeTraits<E>::Info();
      return t;
    }();
    return &info;
  }
  static void ToValue(Set<E> v, TValue& out) { out.Ord = static_cast<int64_t>(v.ToBits()); }
  static Set<E> FromValue(const TValue& in) { return Set<E>::FromBits(static_cast<uint64_t>(in.Ord)); }
};

template <class C>
requires std::is_base_of_v<TObject, C>
struct TTypeTraits<C*> {
  static const TTypeInfo* Info() {
    static const TTypeInfo info = [] {
      TTypeInfo t;
      t.Kind = tkClass;
      t.ClassType = C::StaticClass();
      t.Name = t.ClassType->Name;
      return t;
    }();
    return &info;
  }
  static void ToValue(C* v, TValue& out) { out.Obj = v; }
  // The caller has checked the class (SetObjectProp raises EInvalidCast otherwise).
  static C* FromValue(const TValue& in) { return dynamic_cast<C*>(in.Obj); }
};

template <class Sig>
struct TTypeTraits<TClosure<Sig>> {
  static const TTypeInfo* Info() {
    static const TTypeInfo info = [] {
      TTypeInfo t;
      t.Kind = tkMethod;
      t.Name = "Method";
      t.MethodSignature = TClosure<Sig>::SignatureId();
      return t;
    }();
    return &info;
  }
  static void ToValue(const TClosure<Sig>& v, TValue& out) { out.Method = v.ToMethod(); }
  static TClosure<Sig> FromValue(const TValue& in) { return TClosure<Sig>::FromMethod(in.Method); }
};

// ---- Accessor plumbing ------------------------------------------------------------------------------

namespace xj {

// Getters: V X() const, V X(), V X(int Index) const, V X(int Index), or a data member.
template <auto M>
struct TGetter;
template <class T, class R, R (T::*M)() const>
struct TGetter<M> {
  using Value = std::remove_cvref_t<R>;
  static Value Get(T* o, int) { return (o->*M)(); }
};
template <class T, class R, R (T::*M)()>
struct TGetter<M> {
  using Value = std::remove_cvref_t<R>;
  static Value Get(T* o, int) { return (o->*M)(); }
};
template <class T, class R, R (T::*M)(int) const>
struct TGetter<M> {
  using Value = std::remove_cvref_t<R>;
  static Value Get(T* o, int i) { return (o->*M)(i); }
};
template <class T, class R, R (T::*M)(int)>
struct TGetter<M> {
  using Value = std::remove_cvref_t<R>;
  static Value Get(T* o, int i) { return (o->*M)(i); }
};
template <class T, class V, V T::*M>
requires(!std::is_function_v<V>) struct TGetter<M> {
  using Value = V;
  static const V& Get(T* o, int) { return o->*M; }
};

// Setters: void SetX(V), void SetX(int Index, V), a data member, or nullptr for none.
template <auto M>
struct TSetter {
  static constexpr bool Exists = false;
};
template <class T, class P, void (T::*M)(P)>
struct TSetter<M> {
  static constexpr bool Exists = true;
  template <class V>
  static void Set(T* o, int, V&& v) {
    (o->*M)(std::forward<V>(v));
  }
};
template <class T, class P, void (T::*M)(int, P)>
struct TSetter<M> {
  static constexpr bool Exists = true;
  template <class V>
  static void Set(T* o, int i, V&& v) {
    (o->*M)(i, std::forward<V>(v));
  }
};
template <class T, class V, V T::*M>
requires(!std::is_function_v<V>) struct TSetter<M> {
  static constexpr bool Exists = true;
  template <class W>
  static void Set(T* o, int, W&& v) {
    o->*M = std::forward<W>(v);
  }
};

template <auto M>
struct TMethodTraits;
template <class T, class R, class... A, R (T::*M)(A...)>
struct TMethodTraits<M> {
  using Closure = TClosure<R(A...)>;
  static TPublishedMethod Entry(const char* name) {
    const typename Closure::TCode code = static_cast<typename Closure::TCode>(M);
    return TPublishedMethod { name, std::bit_cast<void (TObject::*)()>(code), Closure::SignatureId() };
  }
};

template <auto M>
struct TFieldTraits;
template <class T, class C, C* T::*M>
struct TFieldTraits<M> {
  static_assert(std::is_base_of_v<TObject, C>, "a published field holds a component pointer");
  using Class = C;
  static void Set(T* o, TObject* v) { o->*M = dynamic_cast<C*>(v); }
};

// Registers the function that builds Class's table. The table is built the first time it is asked for:
// a program uses a few of the library's classes, and building every table at start-up cost time and
// memory. A later registration of the class replaces the earlier one.
void RegisterClassTable(TClass Class, TClassTable (*Build)());

}  // namespace xj

// The builder XJ_PUBLISHED hands to the declaration; the XJ_* macros below call it.
template <class Self>
class TClassBuilder {
 public:
  TClassBuilder() {
    FTable.Class = Self::StaticClass();
    if constexpr (!std::is_abstract_v<Self> && std::is_constructible_v<Self, TComponent*>)
      FTable.Create = [](void* arg) -> TObject* { return new Self(static_cast<TComponent*>(arg)); };
    else if constexpr (!std::is_abstract_v<Self> && std::is_constructible_v<Self, TCollection*>)
      FTable.Create = [](void* arg) -> TObject* { return new Self(static_cast<TCollection*>(arg)); };
  }

  TClassBuilder& Begin() { return *this; }

  template <auto G, auto S, class... D>
  TClassBuilder& Prop(const char* Name, const D&... Default) {
    static_assert(sizeof...(D) <= 1, "one default at most");
    using V = typename xj::TGetter<G>::Value;
    TPropInfo p;
    p.Name = Name;
    p.PropType = TTypeTraits<V>::Info();
    p.GetProc = [](TObject* o, const TPropInfo& info, TValue& out) {
      TTypeTraits<V>::ToValue(xj::TGetter<G>::Get(static_cast<Self*>(o), info.Index), out);
    };
    if constexpr (xj::TSetter<S>::Exists)
      p.SetProc = [](TObject* o, const TPropInfo& info, const TValue& in) {
        xj::TSetter<S>::Set(static_cast<Self*>(o), info.Index, TTypeTraits<V>::FromValue(in));
      };
    if constexpr (sizeof...(D) == 1) {
      p.HasDefault = true;
      (TTypeTraits<V>::ToValue(static_cast<V>(Default), p.Default), ...);
    }
    Add(std::move(p));
    return *this;
  }
  // Sets with a braced default: XJ_PROP(Style, { fsBold }).
  template <auto G, auto S>
  TClassBuilder& Prop(const char* Name, const typename xj::TGetter<G>::Value& Default) {
    return Prop<G, S, typename xj::TGetter<G>::Value>(Name, Default);
  }
  TClassBuilder& Index(int I) {
    FTable.Props.back().Index = I;
    return *this;
  }
  template <auto Pred>
  TClassBuilder& Stored() {
    FTable.Props.back().StoredProc = [](TObject* o) { return (static_cast<Self*>(o)->*Pred)(); };
    return *this;
  }
  TClassBuilder& StoredConst(bool Value) {
    FTable.Props.back().StoredConst = Value;
    return *this;
  }
  template <auto M>
  TClassBuilder& Method(const char* Name) {
    FTable.Methods.push_back(xj::TMethodTraits<M>::Entry(Name));
    return *this;
  }
  template <auto M>
  TClassBuilder& Field(const char* Name) {
    using C = typename xj::TFieldTraits<M>::Class;
    FTable.Fields.push_back(TPublishedField {
        Name, C::StaticClass(), [](TObject* o, TObject* v) { xj::TFieldTraits<M>::Set(static_cast<Self*>(o), v); } });
    return *this;
  }

  // The table, holding no more room than its entries take: a program keeps a score of them.
  TClassTable Take() {
    FTable.Props.shrink_to_fit();
    return std::move(FTable);
  }

 private:
  void Add(TPropInfo&& p) {
    for (auto& existing : FTable.Props)
      if (existing.Name == p.Name) {
        existing = std::move(p);
        return;
      }
    FTable.Props.push_back(std::move(p));
  }

  TClassTable FTable;
};

template <class T>
struct TPublished {
  static void Declare(TClassBuilder<T>& t);  // defined by XJ_PUBLISHED
  static bool Register() {
    xj::RegisterClassTable(T::StaticClass(), &Build);
    return true;
  }
  static TClassTable Build() {
    TClassBuilder<T> b;
    Declare(b);
    return b.Take();
  }
};

#define XJ_PUBLISHED_CAT2(a, b) a##b
#define XJ_PUBLISHED_CAT(a, b) XJ_PUBLISHED_CAT2(a, b)

// Declares T's table (at namespace scope, in T's .cpp). It is registered at start-up, built when first used.
#define XJ_PUBLISHED(T, ...)                                          \
  template <>                                                         \
  void TPublished<T>::Declare([[maybe_unused]] TClassBuilder<T>& t) { \
    using Self [[maybe_unused]] = T;                                  \
    t.Begin() __VA_ARGS__;                                            \
  }                                                                   \
  static const bool XJ_PUBLISHED_CAT(xj_published_, __COUNTER__) = TPublished<T>::Register()

// Inside a class whose published accessors are protected or private.
#define XJ_PUBLISHED_ACCESS \
  template <class>          \
  friend struct TPublished

#define XJ_PROP(N, ...) .Prop<&Self::N, &Self::Set##N>(#N __VA_OPT__(, ) __VA_ARGS__)
#define XJ_PROP_RO(N, ...) .Prop<&Self::N, nullptr>(#N __VA_OPT__(, ) __VA_ARGS__)
#define XJ_PROP_RW(N, Getter, Setter, ...) .Prop<&Self::Getter, &Self::Setter>(#N __VA_OPT__(, ) __VA_ARGS__)
#define XJ_PROP_INDEX(N, Getter, Setter, I, ...) \
  .Prop<&Self::Getter, &Self::Setter>(#N __VA_OPT__(, ) __VA_ARGS__).Index(I)
#define XJ_EVENT(N) .Prop<&Self::N, &Self::N>(#N)
#define XJ_STORED(Pred) .Stored<&Self::Pred>()
#define XJ_NOT_STORED .StoredConst(false)
#define XJ_FIELD(N) .Field<&Self::N>(#N)
#define XJ_METHOD(N) .Method<&Self::N>(#N)
