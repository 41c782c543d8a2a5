// TbsSkinData: construction, lookups, clearing, the active picture list, the skin-change broadcast and
// the frame every load runs in.

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "platform/vcl/Forms.h"
#include "platform/vcl/IniFiles.h"
#include "platform/vcl/SysUtils.h"
#include "platform/win32/Scoped.h"
#include "platform/win32/WinUser.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsSkinDataPrivate.h"

XJ_PUBLISHED(TbsSkinData, XJ_PROP(StoredSkin) XJ_PROP(CompressedStoredSkin));

namespace {

// The message of a caught error, as a user would be shown it.
AnsiString ExceptionText(const std::exception_ptr& Error) {
  try {
    std::rethrow_exception(Error);
  } catch (const Exception& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "The skin could not be loaded";
  }
}

// Form resources create the skin components by class name.
const bool ClassesRegistered = [] {
  RegisterPublishedClasses<TbsSkinData, TbsStoredSkin, TbsCompressedStoredSkin>();
  return true;
}();

// The skin-change messages carry this in lParam.
constexpr LPARAM SkinMessageTag = 1000;

}  // namespace

TbsSkinData::TbsSkinData(TComponent* AOwner)
    : TComponent(AOwner),
      ObjectList(std::make_unique<TList>()),
      CtrlList(std::make_unique<TList>()),
      ActivePictures(std::make_unique<TList>()),
      ActivePictureNames(std::make_unique<TStringList>()),
      RecordNames(std::make_unique<TStringList>()),
      Picture(std::make_unique<TBitmap>()),
      InActivePicture(std::make_unique<TBitmap>()),
      Mask(std::make_unique<TBitmap>()),
      PopupWindow(std::make_unique<TbsDataSkinPopupWindow>()),
      HintWindow(std::make_unique<TbsDataSkinHintWindow>()) {}

TbsSkinData::~TbsSkinData() {
  Empty = true;
  ClearObjects();
}

// ---- Stored skin references -----------------------------------------------------------------------------

void TbsSkinData::SetStoredSkin(TbsStoredSkin* Value) {
  // Free notification, so a stored skin on another form or data module never leaves this dangling.
  if (FStoredSkin && FStoredSkin != Value) FStoredSkin->RemoveFreeNotification(this);
  FStoredSkin = Value;
  if (!Value) return;
  Value->FreeNotification(this);
  if (!ComponentState().Contains(csDesigning)) LoadStoredSkin(Value);
}

void TbsSkinData::SetCompressedStoredSkin(TbsCompressedStoredSkin* Value) {
  if (FCompressedStoredSkin && FCompressedStoredSkin != Value) FCompressedStoredSkin->RemoveFreeNotification(this);
  FCompressedStoredSkin = Value;
  if (!Value) return;
  Value->FreeNotification(this);
  if (!ComponentState().Contains(csDesigning)) LoadCompressedStoredSkin(Value);
}

void TbsSkinData::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  // The skin already loaded stays.
  if (AComponent == FStoredSkin) FStoredSkin = nullptr;
  if (AComponent == FCompressedStoredSkin) FCompressedStoredSkin = nullptr;
}

// ---- Lookups --------------------------------------------------------------------------------------------

namespace {

template <class R>
const AnsiString& NameAt(const TList& List, int I) {
  return static_cast<R*>(List.Items(I))->IDName;
}

template <class R>
void MakeIndex(auto& Index, const TList& List) {
  Index.First.clear();
  for (int i = 0; i < List.Count(); ++i) Index.First.try_emplace(NameAt<R>(List, i), i);
  Index.List = &List;
  Index.Changes = List.Changes();
}

template <class R>
int FindName(auto& Index, const TList& List, const AnsiString& Name) {
  if (Index.List != &List || Index.Changes != List.Changes()) MakeIndex<R>(Index, List);
  auto it = Index.First.find(Name);
  if (it == Index.First.end()) return -1;
  if (NameAt<R>(List, it->second) == Name) return it->second;
  // Renamed in place since the index was made: walk the list as it stands now.
  for (int i = 0; i < List.Count(); ++i)
    if (NameAt<R>(List, i) == Name) {
      MakeIndex<R>(Index, List);
      return i;
    }
  return -1;
}

}  // namespace

int TbsSkinData::GetIndex(const AnsiString& AIDName) const {
  return FindName<TbsDataSkinObject>(FObjectNames, *ObjectList, AIDName);
}

int TbsSkinData::GetControlIndex(const AnsiString& AIDName) const {
  return FindName<TbsDataSkinControl>(FControlNames, *CtrlList, AIDName);
}

void TbsSkinData::LoadNames() {
  RecordNames->Clear();
  for (int i = 0; i < ObjectList->Count(); ++i)
    RecordNames->Add(static_cast<TbsDataSkinObject*>(ObjectList->Items(i))->IDName);
  for (int i = 0; i < CtrlList->Count(); ++i)
    RecordNames->Add(static_cast<TbsDataSkinControl*>(CtrlList->Items(i))->IDName);
}

void TbsSkinData::EraseSections(TCustomIniFile* IniFile) {
  for (int i = 0; i < RecordNames->Count(); ++i) IniFile->EraseSection(RecordNames->Strings(i));
}

void TbsSkinData::GetObjectTypeName(const AnsiString& S, AnsiString& IDName, AnsiString& TypeName) {
  IDName.clear();
  TypeName.clear();
  const size_t colon = S.find(':');
  if (colon == AnsiString::npos) return;
  IDName = S.substr(0, colon);
  TypeName = S.substr(colon + 1);
}

namespace {
uint64_t gPicturesEpoch = 0;
}  // namespace

uint64_t bsSkinPicturesEpoch() { return gPicturesEpoch; }
void bsSkinPicturesChanged() { ++gPicturesEpoch; }

void bsKeyPicture(std::vector<int64_t>& Key, TBitmap* Picture) {
  Key.insert(Key.end(),
             { int64_t(reinterpret_cast<intptr_t>(Picture)),
               Picture ? int64_t(reinterpret_cast<intptr_t>(Picture->Handle())) : 0, int64_t(gPicturesEpoch) });
}

void bsKeyRect(std::vector<int64_t>& Key, const TRect& R) {
  Key.insert(Key.end(), { R.Left, R.Top, R.Right, R.Bottom });
}

void bsKeyPoint(std::vector<int64_t>& Key, const TPoint& P) { Key.insert(Key.end(), { P.X, P.Y }); }

bool bsKeyPixels(std::vector<int64_t>& Key, TBitmap* Picture) {
  DIBSECTION ds {};
  if (!Picture || Picture->Empty() || GetObjectA(Picture->Handle(), sizeof ds, &ds) != sizeof ds || !ds.dsBm.bmBits)
    return false;
  const int bpp = ds.dsBm.bmBitsPixel, w = ds.dsBm.bmWidth, h = std::abs(ds.dsBm.bmHeight);
  std::vector<int64_t> colours;
  if (bpp <= 8) {
    // The colour table decides what an index shows: a mask's black may be either index.
    struct {
      BITMAPINFOHEADER Header;
      RGBQUAD Table[256];
    } info {};
    info.Header = BITMAPINFOHEADER { sizeof(BITMAPINFOHEADER), w, -h, 1, WORD(bpp), BI_RGB, 0, 0, 0, 0, 0 };
    HDC dc = CreateCompatibleDC(nullptr);
    const int got =
        GetDIBits(dc, Picture->Handle(), 0, 0, nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteDC(dc);
    if (got <= 0) return false;
    for (int i = 0; i < (1 << bpp); ++i)
      colours.push_back(int64_t(RGB(info.Table[i].rgbRed, info.Table[i].rgbGreen, info.Table[i].rgbBlue)));
  }
  Key.insert(Key.end(), { w, h, bpp, int64_t(ds.dsBmih.biCompression), int64_t(ds.dsBitfields[0]),
                          int64_t(ds.dsBitfields[1]), int64_t(ds.dsBitfields[2]) });
  Key.insert(Key.end(), colours.begin(), colours.end());
  // Row by row without the padding (whose bytes mean nothing), the bits past the last pixel cleared.
  const size_t bits = size_t(w) * size_t(bpp), full = bits / 8, words = full / 8 + 1;
  const uint8_t tail = uint8_t(0xFF00 >> (bits % 8));
  const auto* base = static_cast<const uint8_t*>(ds.dsBm.bmBits);
  size_t at = Key.size();
  Key.resize(at + words * size_t(h), 0);
  for (int y = 0; y < h; ++y, at += words) {
    const uint8_t* from = base + ptrdiff_t(y) * ds.dsBm.bmWidthBytes;
    auto* to = reinterpret_cast<uint8_t*>(Key.data() + at);
    std::memcpy(to, from, full);
    if (bits % 8) to[full] = from[full] & tail;
  }
  return true;
}

// ---- Clearing -------------------------------------------------------------------------------------------

void TbsSkinData::ClearObjects() {
  bsSkinPicturesChanged();
  xj::skin::FreeItems<TbsDataSkinObject>(ObjectList.get());
  xj::skin::FreeItems<TbsDataSkinControl>(CtrlList.get());
  xj::skin::FreePictures(ActivePictures.get());
  PopupWindow->WindowPictureIndex = -1;
  HintWindow->WindowPictureIndex = -1;
  ActivePictureNames->Clear();
}

void TbsSkinData::ClearAll() {
  ClearObjects();
  bsSkinPicturesChanged();
  Picture->Assign(nullptr);
  Mask->Assign(nullptr);
  InActivePicture->Assign(nullptr);
  PictureName.clear();
  InActivePictureName.clear();
  MaskName.clear();
  // The names describe the skin that was loaded; with none loaded they would name a skin not shown.
  for (AnsiString* text : { &SkinName, &SkinAuthor, &AuthorURL, &AuthorEmail, &SkinComments }) text->clear();
  Empty = true;
}

void TbsSkinData::ClearSkin() {
  BeginChange();
  xj::skin::TFlagGuard busy(FLoading);
  ClearAll();
  FLastError.clear();
  SendSkinDataMessage(WM_SKINDATA_BEFORECHANGE);
  SendSkinDataMessage(WM_SKINDATA_CHANGE);
  SendSkinDataMessage(WM_SKINDATA_AFTERCHANGE);
}

// ---- Active pictures ------------------------------------------------------------------------------------

void TbsSkinData::AddBitMap(const AnsiString& FileName) {
  auto bitmap = std::make_unique<TBitmap>();
  xj::skin::LoadBitmapFile(bitmap.get(), FileName);
  ActivePictureNames->Add(ExtractFileName(FileName));
  ActivePictures->Add(bitmap.release());
  bsSkinPicturesChanged();
}

void TbsSkinData::DeleteBitMap(int Index) {
  auto* bitmap = static_cast<TBitmap*>(ActivePictures->Items(Index));  // EListError when out of range
  // A stored skin brings no names, so there may be none to delete.
  if (Index < ActivePictureNames->Count()) ActivePictureNames->Delete(Index);
  ActivePictures->Delete(Index);
  if (ActivePictures->IndexOf(bitmap) < 0) delete bitmap;
  bsSkinPicturesChanged();
}

// ---- The broadcast and the load frame -------------------------------------------------------------------

void TbsSkinData::SendSkinDataMessage(UINT Msg) {
  // A change may be of pictures edited where they lie: nothing built from them before is reused.
  if (Msg == WM_SKINDATA_CHANGE) bsSkinPicturesChanged();
  const WPARAM self = reinterpret_cast<WPARAM>(this);
  // The owner goes first when it is a form; an owner that is none (a data module, nothing) is simply
  // not sent to.
  auto* owner = dynamic_cast<TCustomForm*>(Owner());
  if (owner) SendMessageA(owner->Handle(), Msg, self, SkinMessageTag);
  // By index, as a handler may create or free forms while the message goes round. Every kind of form
  // hears of the change, so the custom form list.
  for (int i = 0; Screen && i < Screen->CustomFormCount(); ++i) {
    TCustomForm* form = Screen->CustomForms(i);
    if (form != owner) SendMessageA(form->Handle(), Msg, self, SkinMessageTag);
  }
}

void TbsSkinData::BeginChange() {
  // Handlers of the skin-change messages run inside the load; a second load from there would free the
  // records the first one is building.
  if (FLoading)
    throw EInvalidOperation(
        Format("The skin of %s is being changed; it cannot be loaded or cleared again until that ends",
               Name().empty() ? ClassName() : Name()));
}

void TbsSkinData::Load(const std::function<AnsiString()>& Read) {
  BeginChange();
  xj::skin::TFlagGuard busy(FLoading);
  Empty = true;
  xj::skin::TSkinBudget budget(MaxPictureBytes);
  const xj::TemporaryChange<xj::skin::TSkinBudget*> counting(FBudget, &budget);
  std::exception_ptr error;
  try {
    SendSkinDataMessage(WM_SKINDATA_BEFORECHANGE);
    ClearAll();
    FLastError = Read();
    if (FLastError.empty()) xj::skin::DropUndrawableGeometry(*this);
  } catch (...) {
    // Nothing half-built stays, and every form still hears that the change is over.
    error = std::current_exception();
    FLastError = ExceptionText(error);
    ClearAll();
  }
  Empty = !FLastError.empty() || error;
  SendSkinDataMessage(WM_SKINDATA_CHANGE);
  SendSkinDataMessage(WM_SKINDATA_AFTERCHANGE);
  if (error) std::rethrow_exception(error);
}
