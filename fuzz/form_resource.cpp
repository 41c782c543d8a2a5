// Reads arbitrary text as a form resource into a small set of streamable classes: components nest
// inside components, collection items hold collections of their own, so deep and hostile nesting is
// reached both ways. Malformed text must raise a class-library exception and free whatever the read
// created; good text must write back and read again to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/vcl/Classes.h"

enum TFzKind { fkNone, fkOne, fkTwo };
XJ_ENUM_IDENTS(TFzKind, fkNone, fkOne, fkTwo);
typedef Set<TFzKind> TFzKinds;

class TFzSub : public TPersistent {
  XJ_CLASS(TFzSub, TPersistent)
 public:
  int Size() const { return FSize; }
  void SetSize(int v) { FSize = v; }

 private:
  int FSize { 8 };
};

class TFzItem : public TCollectionItem {
  XJ_CLASS(TFzItem, TCollectionItem)
 public:
  explicit TFzItem(TCollection* c);
  ~TFzItem() override { delete FSubItems; }
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& v) { FCaption = v; }
  TCollection* SubItems() const { return FSubItems; }
  void SetSubItems(TCollection* v) { FSubItems->Assign(v); }

 private:
  AnsiString FCaption;
  TCollection* FSubItems;
};

TFzItem::TFzItem(TCollection* c) : TCollectionItem(c), FSubItems(new TCollection(TFzItem::StaticClass())) {}

class TFzThing : public TComponent {
  XJ_CLASS(TFzThing, TComponent)
 public:
  using TComponent::TComponent;
  ~TFzThing() override {
    delete FSub;
    delete FLines;
    delete FItems;
  }
  int Count() const { return FCount; }
  void SetCount(int v) { FCount = v; }
  double Ratio() const { return FRatio; }
  void SetRatio(double v) { FRatio = v; }
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& v) { FCaption = v; }
  TFzKind Kind() const { return FKind; }
  void SetKind(TFzKind v) { FKind = v; }
  TFzKinds Kinds() const { return FKinds; }
  void SetKinds(TFzKinds v) { FKinds = v; }
  TFzSub* Sub() const { return FSub; }
  TStrings* Lines() const { return FLines; }
  void SetLines(TStrings* v) { FLines->Assign(v); }
  TCollection* Items() const { return FItems; }
  void SetItems(TCollection* v) { FItems->Assign(v); }
  TFzThing* Peer() const { return FPeer; }
  void SetPeer(TFzThing* v) {
    FPeer = v;
    if (v) v->FreeNotification(this);
  }
  void GetChildren(TGetChildProc proc, TComponent*) override {
    for (int i = 0; i < ComponentCount(); ++i) proc(Components(i));
  }
  TComponent* GetChildOwner() override { return this; }
  std::string Blob;

 protected:
  void DefineProperties(TFiler* filer) override {
    TComponent::DefineProperties(filer);
    filer->DefineBinaryProperty("Blob", TStreamProc(this, &TFzThing::ReadBlob), TStreamProc(this, &TFzThing::WriteBlob),
                                !Blob.empty());
  }
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == opRemove && c == FPeer) FPeer = nullptr;
  }

 private:
  void ReadBlob(TStream* s) {
    Blob.resize(static_cast<size_t>(s->Size()));
    s->ReadBuffer(Blob.data(), static_cast<int>(Blob.size()));
  }
  void WriteBlob(TStream* s) { s->WriteBuffer(Blob.data(), static_cast<int>(Blob.size())); }

  int FCount { 0 };
  double FRatio { 0 };
  AnsiString FCaption;
  TFzKind FKind { fkNone };
  TFzKinds FKinds;
  TFzSub* FSub { new TFzSub };
  TStringList* FLines { new TStringList };
  TCollection* FItems { new TCollection(TFzItem::StaticClass()) };
  TFzThing* FPeer { nullptr };
};

XJ_PUBLISHED(TFzSub, XJ_PROP(Size, 8));
XJ_PUBLISHED(TFzItem, XJ_PROP(Caption) XJ_PROP(SubItems));
XJ_PUBLISHED(TFzThing,
  XJ_PROP(Count, 0)
  XJ_PROP(Ratio)
  XJ_PROP(Caption)
  XJ_PROP(Kind, fkNone)
  XJ_PROP(Kinds, {})
  XJ_PROP_RO(Sub)
  XJ_PROP(Lines)
  XJ_PROP(Items)
  XJ_PROP(Peer));

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool registered = (RegisterClasses({ TFzThing::StaticClass() }), true);
  (void)registered;
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string written;
  {
    TFzThing root(nullptr);
    try {
      ReadComponentResource(&root, text);
    } catch (const Exception&) {
      return 0;  // refused: ASan reports anything the failed read left behind
    }
    written = WriteComponentResource(&root);
  }
  TFzThing again(nullptr);
  ReadComponentResource(&again, written);  // what we wrote must read without error
  if (WriteComponentResource(&again) != written) std::abort();
  return 0;
}
