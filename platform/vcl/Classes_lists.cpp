// TList, TPersistent, TStrings and TStringList.

#include <algorithm>
#include <numeric>

#include "platform/vcl/Classes.h"

namespace {

const char* const SListIndexError = "List index out of bounds (%d)";
const char* const SListCapacityError = "List capacity out of bounds (%d)";
const char* const SListCountError = "List count out of bounds (%d)";
const char* const SDuplicateString = "String list does not allow duplicates";
const char* const SSortedListError = "Operation not allowed on sorted string list";

}  // namespace

// ---- TList --------------------------------------------------------------------------------------------

void TList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError::CreateFmt(SListIndexError, Index);
}

void TList::SetCount(int NewCount) {
  if (NewCount < 0) throw EListError::CreateFmt(SListCountError, NewCount);
  FList.resize(static_cast<size_t>(NewCount), nullptr);
  ++FChanges;
}

void TList::SetCapacity(int NewCapacity) {
  if (NewCapacity < Count()) throw EListError::CreateFmt(SListCapacityError, NewCapacity);
  FList.reserve(static_cast<size_t>(NewCapacity));
}

void* TList::Items(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)];
}

void TList::SetItems(int Index, void* Item) {
  CheckIndex(Index);
  FList[static_cast<size_t>(Index)] = Item;
  ++FChanges;
}

int TList::Add(void* Item) {
  FList.push_back(Item);
  ++FChanges;
  return Count() - 1;
}

void TList::Insert(int Index, void* Item) {
  if (Index < 0 || Index > Count()) throw EListError::CreateFmt(SListIndexError, Index);
  FList.insert(FList.begin() + Index, Item);
  ++FChanges;
}

void TList::Delete(int Index) {
  CheckIndex(Index);
  FList.erase(FList.begin() + Index);
  ++FChanges;
}

int TList::Remove(void* Item) {
  const int i = IndexOf(Item);
  if (i >= 0) Delete(i);
  return i;
}

void* TList::Extract(void* Item) { return Remove(Item) >= 0 ? Item : nullptr; }

int TList::IndexOf(void* Item) const {
  const auto it = std::find(FList.begin(), FList.end(), Item);
  return it == FList.end() ? -1 : static_cast<int>(it - FList.begin());
}

void TList::Clear() {
  FList.clear();
  FList.shrink_to_fit();
  ++FChanges;
}

void TList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
  ++FChanges;
}

void TList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  CheckIndex(NewIndex);
  void* item = Items(CurIndex);
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, item);
  ++FChanges;
}

void TList::Sort(TListSortCompare Compare) {
  // A merge sort stays inside the list even when Compare is inconsistent.
  std::stable_sort(FList.begin(), FList.end(), [Compare](void* a, void* b) { return Compare(a, b) < 0; });
  ++FChanges;
}

// ---- TPersistent --------------------------------------------------------------------------------------

void TPersistent::Assign(TPersistent* Source) {
  if (Source)
    Source->AssignTo(this);
  else
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) { Dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* Source) {
  const AnsiString source = Source ? Source->ClassName() : AnsiString("nil");
  throw EConvertError::CreateFmt("Cannot assign a %s to a %s", source, ClassName());
}

// ---- TStrings -----------------------------------------------------------------------------------------

void TStrings::Error(const char* Msg, int Data) const { throw EStringListError::CreateFmt(Msg, Data); }

int TStrings::Add(const AnsiString& S) {
  const int result = GetCount();
  Insert(result, S);
  return result;
}

int TStrings::AddObject(const AnsiString& S, TObject* AObject) {
  const int result = Add(S);
  PutObject(result, AObject);
  return result;
}

void TStrings::AddStrings(TStrings* Strings) {
  BeginUpdate();
  try {
    for (int i = 0; i < Strings->Count(); ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TStrings*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  if (source == this) return;
  BeginUpdate();
  try {
    Clear();
    AddStrings(source);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::Exchange(int Index1, int Index2) {
  BeginUpdate();
  try {
    const AnsiString s = Get(Index1);
    TObject* o = GetObject(Index1);
    Put(Index1, Get(Index2));
    PutObject(Index1, GetObject(Index2));
    Put(Index2, s);
    PutObject(Index2, o);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

int TStrings::IndexOf(const AnsiString& S) const {
  for (int i = 0; i < GetCount(); ++i)
    if (CompareStrings(Get(i), S) == 0) return i;
  return -1;
}

int TStrings::IndexOfObject(TObject* AObject) const {
  for (int i = 0; i < GetCount(); ++i)
    if (GetObject(i) == AObject) return i;
  return -1;
}

void TStrings::InsertObject(int Index, const AnsiString& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  BeginUpdate();
  try {
    const AnsiString s = Get(CurIndex);
    TObject* o = GetObject(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, s, o);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Put(int Index, const AnsiString& S) {
  TObject* o = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, o);
}

AnsiString TStrings::GetTextStr() const {
  AnsiString result;
  for (int i = 0; i < GetCount(); ++i) {
    result += Get(i);
    result += "\r\n";
  }
  return result;
}

void TStrings::SetTextStr(const AnsiString& Value) {
  BeginUpdate();
  try {
    Clear();
    size_t start = 0;
    const size_t n = Value.size();
    while (start < n) {
      size_t end = Value.find_first_of("\r\n", start);
      if (end == AnsiString::npos) end = n;
      Add(Value.substr(start, end - start));
      start = end;
      if (start < n && Value[start] == '\r') ++start;
      if (start < n && Value[start] == '\n') ++start;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

int TStrings::CompareStrings(const AnsiString& S1, const AnsiString& S2) const { return AnsiCompareText(S1, S2); }

AnsiString TStrings::CommaText() const {
  AnsiString result;
  for (int i = 0; i < GetCount(); ++i) {
    const AnsiString s = Get(i);
    if (i > 0) result += ',';
    const bool quote = s.empty() || std::any_of(s.begin(), s.end(), [](char c) {
                         return static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"';
                       });
    if (!quote) {
      result += s;
      continue;
    }
    result += '"';
    for (char c : s) {
      if (c == '"') result += '"';
      result += c;
    }
    result += '"';
  }
  return result;
}

void TStrings::SetCommaText(const AnsiString& Value) {
  BeginUpdate();
  try {
    AddCommaItems(Value);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

// GBK trail bytes never fall below 0x40, so the blanks, commas and quotes looked for here are never
// part of a double-byte character.
void TStrings::AddCommaItems(const AnsiString& Value) {
  Clear();
  const size_t n = Value.size();
  auto blank = [&](size_t i) { return i < n && static_cast<unsigned char>(Value[i]) <= ' '; };
  size_t i = 0;
  while (blank(i)) ++i;
  while (i < n) {
    AnsiString item;
    if (Value[i] == '"') {
      for (++i; i < n; ++i) {
        if (Value[i] == '"') {
          if (i + 1 < n && Value[i + 1] == '"') {
            item += '"';
            ++i;
            continue;
          }
          ++i;
          break;
        }
        item += Value[i];
      }
    } else {
      while (i < n && !blank(i) && Value[i] != ',') item += Value[i++];
    }
    Add(item);
    while (blank(i)) ++i;
    if (i < n && Value[i] == ',') {
      if (++i == n) Add(AnsiString());
      while (blank(i)) ++i;
    }
  }
}

AnsiString TStrings::Names(int Index) const {
  const AnsiString s = Get(Index);
  const size_t eq = s.find('=');
  return eq == AnsiString::npos ? AnsiString() : s.substr(0, eq);
}

AnsiString TStrings::ValueFromIndex(int Index) const {
  const AnsiString s = Get(Index);
  const size_t eq = s.find('=');
  return eq == AnsiString::npos ? AnsiString() : s.substr(eq + 1);
}

int TStrings::IndexOfName(const AnsiString& Name) const {
  for (int i = 0; i < GetCount(); ++i) {
    const AnsiString s = Get(i);
    const size_t eq = s.find('=');
    if (eq != AnsiString::npos && CompareStrings(s.substr(0, eq), Name) == 0) return i;
  }
  return -1;
}

AnsiString TStrings::Values(const AnsiString& Name) const {
  const int i = IndexOfName(Name);
  return i < 0 ? AnsiString() : ValueFromIndex(i);
}

void TStrings::SetValues(const AnsiString& Name, const AnsiString& Value) {
  const int i = IndexOfName(Name);
  if (Value.empty()) {
    if (i >= 0) Delete(i);
  } else if (i >= 0) {
    Put(i, Name + "=" + Value);
  } else {
    Add(Name + "=" + Value);
  }
}

void TStrings::LoadFromStream(TStream* Stream) {
  BeginUpdate();
  try {
    const int64_t size = Stream->Size() - Stream->Position();
    AnsiString text;
    if (size > 0) {
      text.resize(static_cast<size_t>(size));
      text.resize(static_cast<size_t>(Stream->Read(text.data(), static_cast<int>(size))));
    }
    SetTextStr(text);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::LoadFromFile(const AnsiString& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TStrings::SaveToStream(TStream* Stream) {
  const AnsiString text = GetTextStr();
  Stream->WriteBuffer(text.data(), static_cast<int>(text.size()));
}

void TStrings::SaveToFile(const AnsiString& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

void TStrings::DefineProperties(TFiler* Filer) {
  Filer->DefineProperty("Strings", TReaderProc(this, &TStrings::ReadData), TWriterProc(this, &TStrings::WriteData),
                        GetCount() > 0);
}

void TStrings::ReadData(TReader* Reader) {
  Reader->ReadListBegin();
  BeginUpdate();
  try {
    Clear();
    while (!Reader->EndOfList()) Add(Reader->ReadString());
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  Reader->ReadListEnd();
}

void TStrings::WriteData(TWriter* Writer) {
  Writer->WriteListBegin();
  for (int i = 0; i < GetCount(); ++i) Writer->WriteString(Get(i));
  Writer->WriteListEnd();
}

// ---- TStringList --------------------------------------------------------------------------------------

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
}

void TStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating)
    Changing();
  else
    Changed();
}

int TStringList::Add(const AnsiString& S) { return AddObject(S, nullptr); }

int TStringList::AddObject(const AnsiString& S, TObject* AObject) {
  int index = GetCount();
  if (FSorted && Find(S, index)) {
    if (FDuplicates == dupIgnore) return index;
    if (FDuplicates == dupError) throw EStringListError(SDuplicateString);
  }
  InsertItem(index, S, AObject);
  return index;
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  FList.clear();
  Changed();
}

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  Changing();
  FList.erase(FList.begin() + Index);
  Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
  Changed();
}

bool TStringList::Find(const AnsiString& S, int& Index) const {
  int lo = 0;
  int hi = GetCount() - 1;
  bool found = false;
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    const int c = CompareStrings(FList[static_cast<size_t>(mid)].FString, S);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) found = true;  // keep going left to the first equal entry
    }
  }
  Index = lo;
  return found;
}

int TStringList::IndexOf(const AnsiString& S) const {
  if (!FSorted) return TStrings::IndexOf(S);
  int index;
  return Find(S, index) ? index : -1;
}

void TStringList::Insert(int Index, const AnsiString& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(int Index, const AnsiString& S, TObject* AObject) {
  if (FSorted) throw EStringListError(SSortedListError);
  if (Index < 0 || Index > GetCount()) Error(SListIndexError, Index);
  InsertItem(Index, S, AObject);
}

void TStringList::Move(int CurIndex, int NewIndex) {
  // The inherited Move deletes first and would lose the line when the insert is refused.
  if (FSorted) throw EStringListError(SSortedListError);
  TStrings::Move(CurIndex, NewIndex);
}

void TStringList::InsertItem(int Index, const AnsiString& S, TObject* AObject) {
  Changing();
  FList.insert(FList.begin() + Index, TStringItem { S, AObject });
  Changed();
}

AnsiString TStringList::Get(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)].FString;
}

TObject* TStringList::GetObject(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)].FObject;
}

void TStringList::Put(int Index, const AnsiString& S) {
  if (FSorted) throw EStringListError(SSortedListError);
  CheckIndex(Index);
  Changing();
  FList[static_cast<size_t>(Index)].FString = S;
  Changed();
}

void TStringList::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  FList[static_cast<size_t>(Index)].FObject = AObject;
  Changed();
}

void TStringList::Sort() {
  CustomSort([](TStringList* list, int a, int b) {
    return list->CompareStrings(list->FList[static_cast<size_t>(a)].FString,
                                list->FList[static_cast<size_t>(b)].FString);
  });
}

void TStringList::CustomSort(TStringListSortCompare Compare) {
  if (FSorted || FList.size() < 2) return;
  Changing();
  // Compare sees the indexes of the list as it stands; the permutation is applied afterwards, and a
  // merge sort stays in bounds even when Compare is inconsistent.
  std::vector<int> order(FList.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return Compare(this, a, b) < 0; });
  std::vector<TStringItem> sorted;
  sorted.reserve(FList.size());
  for (int i : order) sorted.push_back(std::move(FList[static_cast<size_t>(i)]));
  FList = std::move(sorted);
  Changed();
}

void TStringList::SetSorted(bool Value) {
  if (FSorted == Value) return;
  if (Value) Sort();
  FSorted = Value;
}
