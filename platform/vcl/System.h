#pragma once
// The runtime's basic types: AnsiString (GBK bytes), TObject with its class identity, and the
// Pascal-style helpers the code relies on.

#include <string>

typedef std::string AnsiString;

class TObject;

// A class's identity at run time: its name and its parent. The property registry (TypInfo.h)
// hangs its tables off this record.
struct TMetaClass {
  const char* Name;
  const TMetaClass* Parent;

  bool InheritsFrom(const TMetaClass* c) const {
    for (const TMetaClass* p = this; p; p = p->Parent)
      if (p == c) return true;
    return false;
  }
};
typedef const TMetaClass* TClass;

// Place at the top of every class derived from TObject that needs its own class identity.
#define XJ_CLASS(T, Base)                                    \
 public:                                                     \
  static TClass StaticClass() {                              \
    static const TMetaClass meta{#T, Base::StaticClass()};   \
    return &meta;                                            \
  }                                                          \
  TClass ClassType() const override { return StaticClass(); }

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static TClass StaticClass() {
    static const TMetaClass meta{"TObject", nullptr};
    return &meta;
  }
  virtual TClass ClassType() const { return StaticClass(); }
  AnsiString ClassName() const { return ClassType()->Name; }
  bool InheritsFrom(TClass c) const { return ClassType()->InheritsFrom(c); }
  template <class T>
  bool Is() const { return InheritsFrom(T::StaticClass()); }
};

// Frees the object (null is fine) and clears the reference, so nothing dangles.
template <class T>
void FreeAndNil(T*& p) {
  T* q = p;
  p = nullptr;
  delete q;
}
