#pragma once
// The class library's Classes unit: lists, string lists, streams, the component model (ownership,
// notification, names, state), collections, class registration and the text form-resource streamer.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "platform/vcl/Closure.h"
#include "platform/vcl/Sets.h"
#include "platform/vcl/SysUtils.h"
#include "platform/vcl/System.h"
#include "platform/vcl/Thread.h"
#include "platform/vcl/TypInfo.h"

class TFiler;
class TReader;
class TWriter;
class TStream;
class TComponent;
class TCollection;

// ---- Exceptions --------------------------------------------------------------------------------------

XJ_EXCEPTION(EListError, Exception);
XJ_EXCEPTION(EStringListError, Exception);
XJ_EXCEPTION(EComponentError, Exception);
XJ_EXCEPTION(EStreamError, Exception);
XJ_EXCEPTION(EFCreateError, EStreamError);
XJ_EXCEPTION(EFOpenError, EStreamError);
XJ_EXCEPTION(EFilerError, EStreamError);
XJ_EXCEPTION(EReadError, EFilerError);
XJ_EXCEPTION(EWriteError, EFilerError);
XJ_EXCEPTION(EClassNotFound, EFilerError);

// ---- Alignment of text in its box ------------------------------------------------------------------

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
XJ_ENUM_IDENTS(TAlignment, taLeftJustify, taRightJustify, taCenter);

// ---- TList: an ordered list of pointers ---------------------------------------------------------------

typedef int (*TListSortCompare)(void* Item1, void* Item2);

class TList : public TObject {
  XJ_CLASS(TList, TObject)
 public:
  TList() = default;
  ~TList() override = default;

  int Count() const { return static_cast<int>(FList.size()); }
  void SetCount(int NewCount);  // grows with nulls
  int Capacity() const { return static_cast<int>(FList.capacity()); }
  void SetCapacity(int NewCapacity);
  // An index outside 0..Count-1 raises EListError "List index out of bounds (%d)".
  void* Items(int Index) const;
  void SetItems(int Index, void* Item);
  void* operator[](int Index) const { return Items(Index); }

  int Add(void* Item);
  void Insert(int Index, void* Item);  // Index may be Count
  void Delete(int Index);
  int Remove(void* Item);  // the index it had, -1 when absent
  void* Extract(void* Item);
  int IndexOf(void* Item) const;
  virtual void Clear();
  void* First() const { return Items(0); }
  void* Last() const { return Items(Count() - 1); }
  void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  void Sort(TListSortCompare Compare);
  void* const* List() const { return FList.data(); }
  // Grows with every change of the items or their order: what was derived from the list stays good
  // while it stands still.
  uint64_t Changes() const { return FChanges; }

 private:
  void CheckIndex(int Index) const;

  std::vector<void*> FList;
  uint64_t FChanges { 0 };
};

// ---- TPersistent --------------------------------------------------------------------------------------

class TPersistent : public TObject {
  XJ_CLASS(TPersistent, TObject)
 public:
  // Copies Source into this object: Source->AssignTo(this) unless a descendant knows Source's class.
  // A pair nobody handles raises EConvertError "Cannot assign a TSource to a TDest".
  virtual void Assign(TPersistent* Source);

 protected:
  virtual void AssignTo(TPersistent* Dest);
  // Declares properties that are not published (binary data, string list lines) to a filer.
  virtual void DefineProperties(TFiler*) {}
  virtual TPersistent* GetOwner() { return nullptr; }
  [[noreturn]] void AssignError(TPersistent* Source);

  friend class TReader;
  friend class TWriter;
};

// ---- TStrings / TStringList --------------------------------------------------------------------------

class TStrings : public TPersistent {
  XJ_CLASS(TStrings, TPersistent)
 public:
  AnsiString Strings(int Index) const { return Get(Index); }
  void SetStrings(int Index, const AnsiString& S) { Put(Index, S); }
  TObject* Objects(int Index) const { return GetObject(Index); }
  void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }
  int Count() const { return GetCount(); }
  // Every line followed by CR LF.
  AnsiString Text() const { return GetTextStr(); }
  // Splits at CR LF, LF or CR; a final line break adds no empty line.
  void SetText(const AnsiString& Value) { SetTextStr(Value); }
  // The lines joined by commas; an empty line, or one holding a blank, a comma or a quote, is quoted
  // with its quotes doubled.
  AnsiString CommaText() const;
  // Splits at commas and at blanks outside quotes; a comma at the very end adds an empty line.
  void SetCommaText(const AnsiString& Value);
  // Lines of the form "name=value": the name is what precedes the first '=' ("" without one), the value
  // what follows it. Names compare as the list compares its strings.
  AnsiString Names(int Index) const;
  AnsiString ValueFromIndex(int Index) const;
  int IndexOfName(const AnsiString& Name) const;
  // The value of the first line named Name, "" when there is none.
  AnsiString Values(const AnsiString& Name) const;
  // Replaces that line's value or adds "Name=Value"; an empty value deletes the line.
  void SetValues(const AnsiString& Name, const AnsiString& Value);

  virtual int Add(const AnsiString& S);
  virtual int AddObject(const AnsiString& S, TObject* AObject);
  void Append(const AnsiString& S) { Add(S); }
  virtual void AddStrings(TStrings* Strings);
  void Assign(TPersistent* Source) override;
  // Nested; the first BeginUpdate and the last EndUpdate call SetUpdateState.
  void BeginUpdate();
  void EndUpdate();
  virtual void Clear() = 0;
  virtual void Delete(int Index) = 0;
  virtual void Exchange(int Index1, int Index2);
  // By CompareStrings (ASCII letters folded outside double-byte characters); -1 when absent.
  virtual int IndexOf(const AnsiString& S) const;
  int IndexOfObject(TObject* AObject) const;
  virtual void Insert(int Index, const AnsiString& S) = 0;
  virtual void InsertObject(int Index, const AnsiString& S, TObject* AObject);
  virtual void Move(int CurIndex, int NewIndex);
  // Reads from the stream's current position to its end.
  virtual void LoadFromStream(TStream* Stream);
  virtual void LoadFromFile(const AnsiString& FileName);
  virtual void SaveToStream(TStream* Stream);
  virtual void SaveToFile(const AnsiString& FileName);

 protected:
  virtual AnsiString Get(int Index) const = 0;
  virtual int GetCount() const = 0;
  virtual TObject* GetObject(int) const { return nullptr; }
  virtual void Put(int Index, const AnsiString& S);
  virtual void PutObject(int, TObject*) {}
  virtual void SetUpdateState(bool) {}
  virtual AnsiString GetTextStr() const;
  virtual void SetTextStr(const AnsiString& Value);
  virtual int CompareStrings(const AnsiString& S1, const AnsiString& S2) const;
  int UpdateCount() const { return FUpdateCount; }
  // Streams the lines as the pseudo-property "Strings" (Items.Strings = ( 'a' 'b' )).
  void DefineProperties(TFiler* Filer) override;
  [[noreturn]] void Error(const char* Msg, int Data) const;

 private:
  void ReadData(TReader* Reader);
  void WriteData(TWriter* Writer);
  void AddCommaItems(const AnsiString& Value);

  int FUpdateCount { 0 };
};

enum TDuplicates { dupIgnore, dupAccept, dupError };
class TStringList;
typedef int (*TStringListSortCompare)(TStringList* List, int Index1, int Index2);

class TStringList : public TStrings {
  XJ_CLASS(TStringList, TStrings)
 public:
  TStringList() = default;
  ~TStringList() override;

  // Sorted lists place S by CompareStrings; when an equal string is there, dupIgnore returns its
  // index, dupError raises EStringListError and dupAccept inserts before the first equal entry.
  int Add(const AnsiString& S) override;
  int AddObject(const AnsiString& S, TObject* AObject) override;
  void Clear() override;
  void Delete(int Index) override;
  void Exchange(int Index1, int Index2) override;
  // Binary search (meaningful on sorted lists): true and the first equal index, or false and the
  // index where S would go.
  virtual bool Find(const AnsiString& S, int& Index) const;
  int IndexOf(const AnsiString& S) const override;
  // Raises EStringListError on a sorted list.
  void Insert(int Index, const AnsiString& S) override;
  void InsertObject(int Index, const AnsiString& S, TObject* AObject) override;
  // Raises EStringListError on a sorted list before anything moves.
  void Move(int CurIndex, int NewIndex) override;
  virtual void Sort();
  // Does nothing on a sorted list (it is in order already).
  virtual void CustomSort(TStringListSortCompare Compare);

  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);

  // Around every change, outside BeginUpdate/EndUpdate (which fire them once each).
  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void Changed();
  virtual void Changing();
  AnsiString Get(int Index) const override;
  int GetCount() const override { return static_cast<int>(FList.size()); }
  TObject* GetObject(int Index) const override;
  void Put(int Index, const AnsiString& S) override;
  void PutObject(int Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;
  virtual void InsertItem(int Index, const AnsiString& S, TObject* AObject);

 private:
  struct TStringItem {
    AnsiString FString;
    TObject* FObject;
  };
  void CheckIndex(int Index) const;

  std::vector<TStringItem> FList;
  bool FSorted { false };
  TDuplicates FDuplicates { dupIgnore };
};

// ---- Streams ------------------------------------------------------------------------------------------

enum : WORD { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

class TStream : public TObject {
  XJ_CLASS(TStream, TObject)
 public:
  // Both return the number of bytes moved (0 at the end or on an error).
  virtual int Read(void* Buffer, int Count) = 0;
  virtual int Write(const void* Buffer, int Count) = 0;
  // The new position from the start, or -1 when the stream cannot move there.
  virtual int64_t Seek(int64_t Offset, WORD Origin) = 0;

  // Both go through Seek, so a stream that overrides only Seek gets them right.
  int64_t Position() { return Seek(0, soFromCurrent); }
  void SetPosition(int64_t Pos) { Seek(Pos, soFromBeginning); }
  virtual int64_t Size();
  virtual void SetSize(int64_t) {}

  // Raise EReadError "Stream read error" / EWriteError "Stream write error" on a short transfer.
  void ReadBuffer(void* Buffer, int Count);
  void WriteBuffer(const void* Buffer, int Count);
  // Copies Count bytes from Source's position; Count 0 rewinds Source and copies all of it. Works
  // in pieces, so any size is fine. A negative count raises EReadError.
  int64_t CopyFrom(TStream* Source, int64_t Count);
};

// Over an open POSIX file descriptor, which the stream does not close.
class THandleStream : public TStream {
  XJ_CLASS(THandleStream, TStream)
 public:
  explicit THandleStream(int AHandle) : FHandle(AHandle) {}

  int Handle() const { return FHandle; }
  int Read(void* Buffer, int Count) override;
  int Write(const void* Buffer, int Count) override;
  int64_t Seek(int64_t Offset, WORD Origin) override;
  // Truncates or extends the file; raises EStreamError on failure.
  void SetSize(int64_t NewSize) override;

 protected:
  int FHandle;
};

enum : WORD {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFFFF,
};

// A file by its GBK name. fmCreate creates or truncates (EFCreateError on failure); the fmOpen*
// modes open an existing file (EFOpenError). fmOpenRead takes only a regular file (after links): a
// FIFO or a device is refused at once, never waited on. Sharing modes are accepted but not enforced.
class TFileStream : public THandleStream {
  XJ_CLASS(TFileStream, THandleStream)
 public:
  TFileStream(const AnsiString& FileName, WORD Mode);
  ~TFileStream() override;

  const AnsiString& FileName() const { return FFileName; }

 private:
  AnsiString FFileName;
};

class TCustomMemoryStream : public TStream {
  XJ_CLASS(TCustomMemoryStream, TStream)
 public:
  void* Memory() const { return FMemory; }
  // Reading past the end gives what is there; a position before 0 or past the end reads nothing.
  int Read(void* Buffer, int Count) override;
  // Any position from 0 on, also past the end; -1 (and no move) for a position before 0.
  int64_t Seek(int64_t Offset, WORD Origin) override;
  int64_t Size() override { return FSize; }
  void SaveToStream(TStream* Stream);
  void SaveToFile(const AnsiString& FileName);

 protected:
  void SetPointer(void* Ptr, int64_t Size);

  char* FMemory { nullptr };
  int64_t FSize { 0 };
  int64_t FPosition { 0 };
};

class TMemoryStream : public TCustomMemoryStream {
  XJ_CLASS(TMemoryStream, TCustomMemoryStream)
 public:
  TMemoryStream() = default;
  ~TMemoryStream() override;

  void Clear();
  // Replaces the contents by all of Stream (from its start); the position stays where it was.
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const AnsiString& FileName);
  // New bytes are zero; the position is moved back to the end if it was beyond it.
  void SetSize(int64_t NewSize) override;
  // Writing past the end grows the stream; any gap is zero-filled.
  int Write(const void* Buffer, int Count) override;
  int64_t Capacity() const { return FCapacity; }

 private:
  void SetCapacity(int64_t NewCapacity);

  int64_t FCapacity { 0 };
};

class TStringStream : public TStream {
  XJ_CLASS(TStringStream, TStream)
 public:
  explicit TStringStream(const AnsiString& AString = AnsiString()) : FDataString(AString) {}

  const AnsiString& DataString() const { return FDataString; }
  int Read(void* Buffer, int Count) override;
  // Overwrites in place and extends the string when writing past its end.
  int Write(const void* Buffer, int Count) override;
  // Clamped to 0..Size.
  int64_t Seek(int64_t Offset, WORD Origin) override;
  int64_t Size() override { return static_cast<int64_t>(FDataString.size()); }
  void SetSize(int64_t NewSize) override;
  AnsiString ReadString(int Count);
  void WriteString(const AnsiString& AString);

 private:
  AnsiString FDataString;
  int64_t FPosition { 0 };
};

// ---- Components ---------------------------------------------------------------------------------------

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag {
  csLoading,
  csReading,
  csWriting,
  csDestroying,
  csDesigning,
  csAncestor,
  csUpdating,
  csFixups,
  csFreeNotification,
  csInline,
  csDesignInstance
};
typedef Set<TComponentStateFlag> TComponentState;

enum TComponentStyleFlag { csInheritable, csCheckPropAvail, csSubComponent, csTransient };
typedef Set<TComponentStyleFlag> TComponentStyle;

typedef TClosure<void(TComponent* Child)> TGetChildProc;
struct TComponentList;
typedef TClass TComponentClass;

class TComponent : public TPersistent {
  XJ_CLASS(TComponent, TPersistent)
 public:
  // Joins AOwner's component list (AOwner may be null). A component created by the form reader has
  // csLoading from here on, so its constructor can tell.
  explicit TComponent(TComponent* AOwner);
  // Tells the components that asked FreeNotification, frees the owned components (last created
  // first) and leaves the owner's list. A descendant whose owned components need it intact while
  // they go should call DestroyComponents() first in its own destructor.
  ~TComponent() override;

  TComponent* Owner() const { return FOwner; }
  const AnsiString& Name() const { return FName; }
  // A valid identifier or ""; unique (without case) among the owner's components, else EComponentError.
  virtual void SetName(const AnsiString& NewName);
  intptr_t Tag() const { return FTag; }
  void SetTag(intptr_t Value) { FTag = Value; }
  // A designer's position of a non-visual component: Left in the low word, Top in the high word. Streamed
  // as the pseudo-properties Left and Top when not 0.
  int32_t DesignInfo() const { return FDesignInfo; }
  void SetDesignInfo(int32_t Value) { FDesignInfo = Value; }

  // An index outside 0..ComponentCount-1 raises EListError.
  TComponent* Components(int Index) const;
  int ComponentCount() const;
  int ComponentIndex() const;  // -1 without an owner
  void SetComponentIndex(int Value);
  // Moves AComponent here from its current owner; this component's Notification hears opInsert.
  void InsertComponent(TComponent* AComponent);
  // This component's Notification hears opRemove, and so does every component owned here (at any depth)
  // that asked FreeNotification of AComponent; AComponent keeps living, ownerless.
  void RemoveComponent(TComponent* AComponent);
  // Among the directly owned components, without case; null for "" or no match.
  TComponent* FindComponent(const AnsiString& AName) const;
  void DestroyComponents();
  // Marks this component and everything it owns csDestroying. A descendant may do its last work with
  // the world still whole (a form's components hear it before the form's own parts go).
  virtual void Destroying();

  // AComponent is told (Notification opRemove) when this component goes, and the other way round,
  // whatever their owners. The owner tells nobody else of its components' comings and goings: a
  // component that holds another, a sibling included, asks this.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  TComponentState ComponentState() const { return FComponentState; }
  TComponentStyle ComponentStyle() const { return FComponentStyle; }
  // There is no designer; tests set the flag to reach design-time branches.
  void SetDesigning(bool Value, bool SetChildren = true);

  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent*) {}
  // The components the writer writes inside this one; none by default (a form lists its own).
  virtual void GetChildren(TGetChildProc, TComponent*) {}
  // Who owns the children read inside this one (null: the root) and who parents them.
  virtual TComponent* GetChildOwner() { return nullptr; }
  virtual TComponent* GetChildParent() { return this; }

 protected:
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  // Once per component after a form resource is read and its references fixed up; clears csLoading.
  virtual void Loaded();
  virtual void ReadState(TReader* Reader);
  virtual void WriteState(TWriter* Writer);
  virtual void ValidateRename(TComponent* AComponent, const AnsiString& CurName, const AnsiString& NewName);
  virtual void ValidateInsert(TComponent*) {}
  void ChangeName(const AnsiString& NewName);
  void Updating() { FComponentState << csUpdating; }
  void Updated() { FComponentState >> csUpdating; }
  void SetComponentStyle(TComponentStyle Value) { FComponentStyle = Value; }
  // Points the owner's published field of this name at this component, or clears it.
  void SetReference(bool Enable);
  void DefineProperties(TFiler* Filer) override;

  TComponentState FComponentState;

 private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void RemoveNotification(TComponent* AComponent);
  void IndexName(TComponent* AComponent, bool Add);
  TComponentList& Owned();
  // Ends each pair this component is part of (the last asked first) and tells the other one of it
  // (opRemove); with Within, only the pairs with components Within owns at any depth.
  void TellHolders(const TComponent* Within = nullptr);

  TComponent* FOwner { nullptr };
  AnsiString FName;
  intptr_t FTag { 0 };
  int32_t FDesignInfo { 0 };
  // Both made on first use. Adding, finding or taking out one component costs the same however many
  // there are, so that thousands of siblings come and go in linear time.
  std::unique_ptr<TComponentList> FComponents;
  std::unique_ptr<TComponentList> FFreeNotifies;
  // The owned components by name (without case), kept once there are many, so that adding each of
  // thousands of siblings does not search all the others.
  std::unique_ptr<struct TComponentNames> FNameIndex;
  TComponentStyle FComponentStyle { csInheritable };
  // Set by the reader around the constructor call of a component it creates; per thread, as a reader on
  // another thread creates components of its own meanwhile.
  static thread_local bool FCreatingForReader;

  friend class TReader;
  friend class TWriter;
};

// ---- Class registration -------------------------------------------------------------------------------

// Makes classes findable by name for the form reader. Registering a different class under a name
// already taken raises EFilerError.
void RegisterClass(TClass AClass);
void RegisterClasses(std::initializer_list<TClass> Classes);
// RegisterClasses for classes whose published tables live in their own units: naming each table here
// links its unit into every program that registers the classes (a static library leaves out a file
// nothing refers to, and a form resource naming the class could not create it).
template <class... T>
void RegisterPublishedClasses() {
  (TPublished<T>::Register(), ...);
  RegisterClasses({ T::StaticClass()... });
}
// Makes a unit's classes findable by name in every program that includes the unit's header, even where
// no code names them: the library is static, so a file only a form resource refers to would be left out.
// The header names its registration function; one .cpp of the unit defines it (idempotently).
#define XJ_UNIT_REGISTRATION(Fn)               \
  namespace xj::vcl {                          \
  bool Fn();                                   \
  namespace {                                  \
  [[maybe_unused]] const bool Fn##Done = Fn(); \
  }                                            \
  }
// The palette page is ignored; the classes are registered.
void RegisterComponents(const AnsiString& Page, std::initializer_list<TClass> Classes);
void UnRegisterClass(TClass AClass);
// Null when no class of that name (without case) is registered.
TClass GetClass(const AnsiString& ClassName);
// Every registered class, in order of name.
std::vector<TClass> GetRegisteredClasses();
// Raises EClassNotFound "Class %s not found".
TClass FindClass(const AnsiString& ClassName);
// The virtual constructor: raises EComponentError when the class has no registered constructor
// (declare its table with XJ_PUBLISHED) or is not a component class.
TComponent* CreateComponent(TClass ComponentClass, TComponent* AOwner);

// Lets "Form2.Skin1" references reach components of other roots (the forms module installs a search
// of the screen's forms and data modules). Null: no global lookup.
extern TComponent* (*FindGlobalComponent)(const AnsiString& Name);

// ---- Exceptions that escape outside the message loop's dispatch ---------------------------------------

// What escapes an event handler run outside the application's own dispatch (a worker thread's
// synchronized call, say) is reported here, from inside the catch block, so std::current_exception()
// is the exception. The application points it at its exception box.
extern TNotifyEvent ApplicationHandleException;
// Reports the exception being handled (call it inside a catch block): through
// ApplicationHandleException when assigned, otherwise its message on stderr. Never throws.
void ReportApplicationException(TObject* Sender);

// ---- Collections --------------------------------------------------------------------------------------

class TCollectionItem : public TPersistent {
  XJ_CLASS(TCollectionItem, TPersistent)
 public:
  // Joins Collection (may be null). Create items through TCollection::Add/Insert, which announce
  // them once they are fully built.
  explicit TCollectionItem(TCollection* Collection);
  ~TCollectionItem() override;

  TCollection* Collection() const { return FCollection; }
  void SetCollection(TCollection* Value);
  int ID() const { return FID; }
  int Index() const;
  virtual void SetIndex(int Value);
  AnsiString DisplayName() const { return GetDisplayName(); }
  virtual void SetDisplayName(const AnsiString&) { Changed(false); }

 protected:
  // Calls the collection's Update with this item (or null when AllItems), unless it is updating.
  void Changed(bool AllItems);
  TPersistent* GetOwner() override;
  virtual AnsiString GetDisplayName() const { return ClassName(); }

 private:
  TCollection* FCollection { nullptr };
  int FID { 0 };

  friend class TCollection;
};

class TCollection : public TPersistent {
  XJ_CLASS(TCollection, TPersistent)
 public:
  // ItemClass must descend from TCollectionItem and have a registered constructor (XJ_PUBLISHED),
  // else EComponentError.
  explicit TCollection(TClass ItemClass);
  ~TCollection() override;

  TCollectionItem* Add();
  TCollectionItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  int Count() const { return static_cast<int>(FItems.size()); }
  // An index outside 0..Count-1 raises EListError.
  TCollectionItem* Items(int Index) const;
  void SetItems(int Index, TCollectionItem* Value) { Items(Index)->Assign(Value); }
  TClass ItemClass() const { return FItemClass; }
  // Nested; the last EndUpdate calls Update(nullptr) once.
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  TCollectionItem* FindItemID(int ID) const;
  TPersistent* Owner() { return GetOwner(); }
  void Assign(TPersistent* Source) override;

 protected:
  // Item changed, or the whole collection when Item is null.
  virtual void Update(TCollectionItem*) {}
  void Changed();
  int UpdateCount() const { return FUpdateCount; }

 private:
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);

  TClass FItemClass;
  TObject* (*FCreateItem)(void*) { nullptr };
  std::vector<TCollectionItem*> FItems;
  int FUpdateCount { 0 };
  int FNextID { 0 };

  friend class TCollectionItem;
};

class TOwnedCollection : public TCollection {
  XJ_CLASS(TOwnedCollection, TCollection)
 public:
  TOwnedCollection(TPersistent* AOwner, TClass ItemClass) : TCollection(ItemClass), FOwner(AOwner) {}

 protected:
  TPersistent* GetOwner() override { return FOwner; }

 private:
  TPersistent* FOwner;
};

// ---- Filers: the text form-resource format --------------------------------------------------------------
//
//   object Form1: TForm1
//     Caption = '巡检'#13#10'line two'
//     Options = [opA, opB]
//     Font.Name = 'Arial'               (a sub-object's property)
//     Items.Strings = (
//       'a'
//       'b')
//     Pictures = {
//       0A0B0C}                         (DefineBinaryProperty data, hex)
//     Sections = <
//       item
//         Width = 40
//       end>
//     SkinData = bsSkinData1            (a component of the same root; Form2.X for another)
//     OnClick = Button1Click            (a published method of the root)
//     object Button1: TButton
//     end
//   end

typedef TClosure<void(TReader* Reader)> TReaderProc;
typedef TClosure<void(TWriter* Writer)> TWriterProc;
typedef TClosure<void(TStream* Stream)> TStreamProc;

class TFiler : public TObject {
  XJ_CLASS(TFiler, TObject)
 public:
  TComponent* Root() const { return FRoot; }
  TComponent* LookupRoot() const { return FRoot; }
  // Inherited forms are not supported: there is never an ancestor.
  TPersistent* Ancestor() const { return nullptr; }
  // A property the instance streams itself: the reader calls ReadData when the property is met,
  // the writer writes it when HasData.
  virtual void DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) = 0;
  // The same with raw bytes (the component's own layout), written as hex.
  virtual void DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc WriteData,
                                    bool HasData) = 0;

 protected:
  TComponent* FRoot { nullptr };
};

class TReader : public TFiler {
  XJ_CLASS(TReader, TFiler)
 public:
  explicit TReader(const AnsiString& Text);
  ~TReader() override;

  // Reads the resource into Root: properties, owned children, fix-ups, then Loaded for every component
  // read. On any error every component this read created is freed again and the error propagates;
  // reader errors are EReadError / EClassNotFound naming the item and the line.
  void ReadRootComponent(TComponent* Root);

  // While reading a component's children: who will own them and who parents them.
  TComponent* Owner() const { return FOwner; }
  TComponent* Parent() const { return FParent; }
  // The line of the next token (for messages).
  int Line() const;

  // For ReadState overrides: the component's properties, then its children.
  void ReadData(TComponent* Instance);
  // Reads one "object ... end" block, creating the component (Component must be null).
  TComponent* ReadComponent(TComponent* Component);

  // For DefineProperty readers: one value each.
  int ReadInteger();
  int64_t ReadInt64();
  AnsiString ReadString();
  AnsiString ReadIdent();
  bool ReadBoolean();
  Extended ReadFloat();
  char ReadChar();
  void ReadListBegin();
  void ReadListEnd();
  bool EndOfList();

  void DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
  void DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc WriteData, bool HasData) override;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
  TComponent* FOwner { nullptr };
  TComponent* FParent { nullptr };
};

class TWriter : public TFiler {
  XJ_CLASS(TWriter, TFiler)
 public:
  TWriter();
  ~TWriter() override;

  // Writes Root with its properties and the children its GetChildren lists.
  void WriteRootComponent(TComponent* Root);
  void WriteDescendent(TComponent* Root, TComponent*) { WriteRootComponent(Root); }
  const AnsiString& Text() const { return FText; }

  // For WriteState overrides: the component's properties, then its children.
  void WriteData(TComponent* Instance);
  void WriteComponent(TComponent* Component);

  // For DefineProperty writers: one value each.
  void WriteInteger(int64_t Value);
  void WriteString(const AnsiString& Value);
  void WriteIdent(const AnsiString& Ident);
  void WriteBoolean(bool Value);
  void WriteFloat(Extended Value);
  void WriteChar(char Value);
  void WriteListBegin();
  void WriteListEnd();

  void DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
  void DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc WriteData, bool HasData) override;

 private:
  void WriteProperties(TPersistent* Instance);
  void WriteProperty(TPersistent* Instance, const TPropInfo* Prop);
  void WriteCollection(TCollection* Collection);
  void BeginProperty(const AnsiString& Name);
  void EndProperty();
  void WriteValueText(const AnsiString& Text);
  void NewLine();

  AnsiString FText;
  AnsiString FPropPath;
  int FIndent { 0 };
  int FListDepth { 0 };
};

// Reads a text form resource into Root (see TReader::ReadRootComponent).
void ReadComponentResource(TComponent* Root, const AnsiString& Text);
// Writes Root as a text form resource.
AnsiString WriteComponentResource(TComponent* Root);

// Compiled-in form resources by class, for the forms module's CreateForm. Text must outlive the program.
void RegisterComponentResource(TClass Class, const char* Text);
const char* FindComponentResource(TClass Class);
