// Skin directories: the global sections, the record lists, loading and saving, and finding the bitmap
// files a skin names.

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <map>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/vcl/IniFiles.h"
#include "platform/vcl/SysUtils.h"
#include "platform/win32/BmpCodec.h"
#include "platform/win32/Profile.h"
#include "platform/win32/WinBase.h"
#include "skin/data/bsSkinDataPrivate.h"
#include "skin/data/bsUtils.h"

using namespace xj::skin;

namespace {

// ---- Record classes by keyword, in the order the writer tests them: a subclass above its parent ----

template <class T, class Base>
Base* Make(const AnsiString& IDName) {
  return new T(IDName);
}

template <class Base>
struct TRecordKind {
  const char* Keyword;
  TClass Class;
  Base* (*Create)(const AnsiString& IDName);
};

#define XJ_KIND(Base, Word, T) \
  TRecordKind<Base> { Word, T::StaticClass(), &Make<T, Base> }

const TRecordKind<TbsDataSkinObject> ObjectKinds[] = {
  XJ_KIND(TbsDataSkinObject, "menuitem", TbsDataSkinMenuItem),
  XJ_KIND(TbsDataSkinObject, "mainmenubaritem", TbsDataSkinMainMenuBarItem),
  XJ_KIND(TbsDataSkinObject, "mainmenubarbutton", TbsDataSkinMainMenuBarButton),
  XJ_KIND(TbsDataSkinObject, "stdbutton", TbsDataSkinStdButton),
  XJ_KIND(TbsDataSkinObject, "button", TbsDataSkinButton),
  XJ_KIND(TbsDataSkinObject, "caption", TbsDataSkinCaption),
  XJ_KIND(TbsDataSkinObject, "userobject", TbsDataUserObject),
};

const TRecordKind<TbsDataSkinControl> ControlKinds[] = {
  XJ_KIND(TbsDataSkinControl, "panel", TbsDataSkinPanelControl),
  XJ_KIND(TbsDataSkinControl, "expanel", TbsDataSkinExPanelControl),
  XJ_KIND(TbsDataSkinControl, "menubutton", TbsDataSkinMenuButtonControl),
  XJ_KIND(TbsDataSkinControl, "button", TbsDataSkinButtonControl),
  XJ_KIND(TbsDataSkinControl, "checkradio", TbsDataSkinCheckRadioControl),
  XJ_KIND(TbsDataSkinControl, "gauge", TbsDataSkinGaugeControl),
  XJ_KIND(TbsDataSkinControl, "splitter", TbsDataSkinSplitterControl),
  XJ_KIND(TbsDataSkinControl, "trackbar", TbsDataSkinTrackBarControl),
  XJ_KIND(TbsDataSkinControl, "label", TbsDataSkinLabelControl),
  XJ_KIND(TbsDataSkinControl, "stdlabel", TbsDataSkinStdLabelControl),
  XJ_KIND(TbsDataSkinControl, "updown", TbsDataSkinUpDownControl),
  XJ_KIND(TbsDataSkinControl, "grid", TbsDataSkinGridControl),
  XJ_KIND(TbsDataSkinControl, "tab", TbsDataSkinTabControl),
  XJ_KIND(TbsDataSkinControl, "mainmenubar", TbsDataSkinMainMenuBar),
  XJ_KIND(TbsDataSkinControl, "controlbar", TbsDataSkinControlBar),
  XJ_KIND(TbsDataSkinControl, "memo", TbsDataSkinMemoControl),
  XJ_KIND(TbsDataSkinControl, "edit", TbsDataSkinEditControl),
  XJ_KIND(TbsDataSkinControl, "checklistbox", TbsDataSkinCheckListBox),
  XJ_KIND(TbsDataSkinControl, "listbox", TbsDataSkinListBox),
  XJ_KIND(TbsDataSkinControl, "combobox", TbsDataSkinComboBox),
  XJ_KIND(TbsDataSkinControl, "scrollbar", TbsDataSkinScrollBarControl),
  XJ_KIND(TbsDataSkinControl, "spinedit", TbsDataSkinSpinEditControl),
  XJ_KIND(TbsDataSkinControl, "scrollbox", TbsDataSkinScrollBoxControl),
  XJ_KIND(TbsDataSkinControl, "treeview", TbsDataSkinTreeView),
  XJ_KIND(TbsDataSkinControl, "bevel", TbsDataSkinBevel),
  XJ_KIND(TbsDataSkinControl, "slider", TbsDataSkinSlider),
  XJ_KIND(TbsDataSkinControl, "listview", TbsDataSkinListView),
  XJ_KIND(TbsDataSkinControl, "richedit", TbsDataSkinRichEdit),
};

#undef XJ_KIND

// Reads [Section]'s "count" entries "IDName:keyword" into List, each record loading its own section.
template <class Base, size_t N>
void ReadRecords(TCustomIniFile* IniFile, const char* Section, const TRecordKind<Base> (&Kinds)[N], TList* List) {
  const int n = ReadSkinListCount(IniFile, Section, "count", "");
  for (int i = 0; i < n; ++i) {
    AnsiString idName, typeName;
    TbsSkinData::GetObjectTypeName(IniFile->ReadString(Section, IntToStr(i), AnsiString()), idName, typeName);
    const auto kind = std::find_if(std::begin(Kinds), std::end(Kinds),
                                   [&](const TRecordKind<Base>& k) { return typeName == k.Keyword; });
    if (kind == std::end(Kinds)) continue;  // no keyword, or one of no record class
    Base* record = kind->Create(idName);
    List->Add(record);
    record->LoadFromFile(IniFile);
  }
}

template <class Base, size_t N>
void WriteRecords(TCustomIniFile* IniFile, const char* Section, const TRecordKind<Base> (&Kinds)[N], TList* List) {
  IniFile->EraseSection(Section);
  IniFile->WriteInteger(Section, "count", List->Count());
  for (int i = 0; i < List->Count(); ++i) {
    auto* record = static_cast<Base*>(List->Items(i));
    const auto kind = std::find_if(std::begin(Kinds), std::end(Kinds),
                                   [&](const TRecordKind<Base>& k) { return record->InheritsFrom(k.Class); });
    IniFile->WriteString(Section, IntToStr(i), record->IDName + ":" + (kind == std::end(Kinds) ? "" : kind->Keyword));
    record->SaveToFile(IniFile);
  }
}

// ---- Global sections ----

const TSkinKeys& VersionKeys() {
  using T = TbsSkinData;
  static const TSkinKeys keys =
      Keys(Str<&T::SkinName>("skinname"), Str<&T::SkinAuthor>("skinauthor"), Str<&T::AuthorEmail>("authoremail"),
           Str<&T::AuthorURL>("authorurl"), Str<&T::SkinComments>("skincomments"));
  return keys;
}

// [FORMINFO] keys 1 to 11; the mask adjustment runs between these and the rest.
const TSkinKeys& FormGeometryKeys() {
  using T = TbsSkinData;
  static const TSkinKeys keys = Keys(
      Point<&T::LTPoint>("lefttoppoint"), Point<&T::RTPoint>("righttoppoint"), Point<&T::LBPoint>("leftbottompoint"),
      Point<&T::RBPoint>("rightbottompoint"), Rect<&T::ClRect>("clientrect"),
      Int<&T::BGPictureIndex>("bgpictureindex", -1), Rect<&T::MaskRectArea>("maskrectarea"),
      Point<&T::HitTestLTPoint>("hittestlefttoppoint"), Point<&T::HitTestRTPoint>("hittestrighttoppoint"),
      Point<&T::HitTestLBPoint>("hittestleftbottompoint"), Point<&T::HitTestRBPoint>("hittestrightbottompoint"));
  return keys;
}

const TSkinKeys& FormButtonKeys() {
  using T = TbsSkinData;
  static const TSkinKeys keys = Keys(Rect<&T::ButtonsRect>("buttonsrect"), Rect<&T::CaptionRect>("captionrect"),
                                     Int<&T::ButtonsOffset>("buttonsoffset"), Bool<&T::ButtonsInLeft>("buttonsinleft"),
                                     Bool<&T::MainMenuPopupUp>("mainmenupopupup"), Int<&T::BorderWidth>("borderwidth"),
                                     Bool<&T::AutoRenderingInActiveImage>("autorenderinginactiveimage"),
                                     Effect<&T::InActiveEffect>("inactiveeffect"));
  return keys;
}

}  // namespace

std::vector<const xj::skin::TSkinKeys*> xj::skin::FormKeyTables() { return { &FormGeometryKeys(), &FormButtonKeys() }; }

namespace {

const char* const RequiredSections[] = { "VERSION", "PICTURES", "FORMINFO", "SKINOBJECTS", "SKINCONTROLS" };

// ---- Finding files ----

bool HostPathExists(const std::string& Path) {
  struct stat st;
  return ::stat(Path.c_str(), &st) == 0;
}

bool SameNoCase(const std::string& A, const std::string& B) {
  return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char a, char b) {
           auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
           return fold(a) == fold(b);
         });
}

// The entry of Dir whose name equals Name without regard to ASCII case; the first in name order, so
// the choice does not depend on the order the file system lists them in.
std::string FindEntryNoCase(const std::string& Dir, const std::string& Name) {
  std::vector<std::string> matches;
  if (DIR* d = ::opendir(Dir.empty() ? "." : Dir.c_str())) {
    while (const dirent* e = ::readdir(d))
      if (SameNoCase(e->d_name, Name)) matches.emplace_back(e->d_name);
    ::closedir(d);
  }
  return matches.empty() ? std::string() : *std::min_element(matches.begin(), matches.end());
}

}  // namespace

// ---- Files and bitmaps ----------------------------------------------------------------------------------

namespace xj::skin {

AnsiString FindSkinFile(const AnsiString& FileName) {
  const std::string host = xj::PathToHost(FileName);
  if (host.empty() || HostPathExists(host)) return FileName;
  std::string found = host[0] == '/' ? "/" : "";
  size_t start = found.size();
  while (start <= host.size()) {
    const size_t slash = std::min(host.find('/', start), host.size());
    const std::string part = host.substr(start, slash - start);
    start = slash + 1;
    if (part.empty()) continue;
    const std::string exact = found + part;
    if (HostPathExists(exact)) {
      found = exact;
    } else {
      const std::string entry = FindEntryNoCase(found, part);
      if (entry.empty()) return FileName;
      found += entry;
    }
    if (start <= host.size()) found += '/';
  }
  return xj::PathFromHost(found);
}

int64_t PictureBytes(const TBitmap* Bitmap) {
  if (Bitmap->Empty()) return 0;
  const TPixelFormat format = Bitmap->PixelFormat();
  const int bits = format == pf1bit                         ? 1
                   : format == pf4bit                       ? 4
                   : format == pf8bit                       ? 8
                   : format == pf15bit || format == pf16bit ? 16
                   : format == pf24bit                      ? 24
                                                            : 32;
  return (int64_t { Bitmap->Width() } * bits + 31) / 32 * 4 * Bitmap->Height();
}

void ChargePicture(TSkinBudget& Budget, const void* Head, size_t Size, int64_t Held, const AnsiString& What) {
  xj::bmp::Dib layout;
  if (!xj::bmp::ReadLayout(static_cast<const uint8_t*>(Head), Size, layout).Ok) {
    // Headers the decoder refuses: it says why, after reading what is held.
    Budget.Charge(Held, What);
    return;
  }
  const int64_t pixels = int64_t { layout.Stride() } * layout.Height;
  Budget.Charge(pixels + Held, Format("%s (%d x %d pixels of %d bits, %d bytes decoded)", What, layout.Width,
                                      layout.Height, layout.BitCount, pixels));
}

void LoadBitmapFile(TBitmap* Bitmap, const AnsiString& FileName, TSkinBudget* Budget) {
  try {
    if (!Budget) {
      Bitmap->LoadFromFile(FindSkinFile(FileName));
      return;
    }
    TFileStream file(FindSkinFile(FileName), fmOpenRead | fmShareDenyWrite);
    const int64_t size = file.Size();
    uint8_t head[xj::bmp::kLayoutBytes];
    const int n = file.Read(head, sizeof head);
    // The decoder holds the whole file while it decodes.
    ChargePicture(*Budget, head, static_cast<size_t>(std::max(n, 0)), size, FileName);
    file.SetPosition(0);
    Bitmap->LoadFromStream(&file);
    Budget->Release(size);
  } catch (Exception& e) {
    if (e.Message().find(FileName) == AnsiString::npos) e.SetMessage(e.Message() + " (" + FileName + ")");
    throw;
  }
}

void LoadSkinPicture(TBitmap* Bitmap, const AnsiString& Path, const AnsiString& Name, TSkinBudget& Budget,
                     const AnsiString& Key) {
  if (Name.empty()) {
    Bitmap->Assign(nullptr);
    return;
  }
  try {
    LoadBitmapFile(Bitmap, Path + Name, &Budget);
  } catch (Exception& e) {
    // The file's own name is in the message; where the skin names it tells the author what to mend.
    e.SetMessage(e.Message() + ", named by " + Key + " of section [PICTURES]");
    throw;
  }
}

void FreePictures(TList* List) {
  std::unordered_set<TBitmap*> freed;
  for (int i = 0; i < List->Count(); ++i) {
    auto* bitmap = static_cast<TBitmap*>(List->Items(i));
    if (freed.insert(bitmap).second) delete bitmap;
  }
  List->Clear();
}

bool TSkinBudget::Take(int64_t Bytes) {
  if (Bytes > FLimit - FUsed) return false;
  FUsed += Bytes;
  return true;
}

void TSkinBudget::Refuse(const AnsiString& What) const {
  throw EbsSkinTooLarge(
      Format("The skin would take more than %d bytes of memory, the most it may (MaxPictureBytes); %s goes past that",
             FLimit, What));
}

void TSkinBudget::Charge(int64_t Bytes, const AnsiString& What) {
  if (!Take(Bytes)) Refuse(What);
}

TSkinBudget BudgetOf(TbsSkinData& Data) {
  TSkinBudget budget(Data.MaxPictureBytes);
  std::unordered_set<const TBitmap*> counted;
  auto charge = [&](const TBitmap* Bitmap, const AnsiString& What) {
    if (counted.insert(Bitmap).second) budget.Charge(PictureBytes(Bitmap), What);
  };
  charge(Data.Picture.get(), "the picture");
  charge(Data.InActivePicture.get(), "the inactive picture");
  charge(Data.Mask.get(), "the mask");
  for (int i = 0; i < Data.ActivePictures->Count(); ++i)
    charge(static_cast<TBitmap*>(Data.ActivePictures->Items(i)), Format("active picture %d", i));
  return budget;
}

void LoadSkinPictures(TList* List, TStrings* Names, int First, const AnsiString& Path, TSkinBudget& Budget) {
  std::map<std::pair<dev_t, ino_t>, TBitmap*> loaded;  // by the file itself, however it is named
  for (int i = First; i < Names->Count(); ++i) {
    const AnsiString& name = Names->Strings(i);
    struct stat st;
    const bool known = !name.empty() && ::stat(xj::PathToHost(FindSkinFile(Path + name)).c_str(), &st) == 0;
    if (known) {
      if (const auto it = loaded.find({ st.st_dev, st.st_ino }); it != loaded.end()) {
        List->Add(it->second);
        continue;
      }
    }
    auto bitmap = std::make_unique<TBitmap>();
    LoadSkinPicture(bitmap.get(), Path, name, Budget, Format("key %d (active picture %d)", i, i));
    if (known) loaded.emplace(std::make_pair(st.st_dev, st.st_ino), bitmap.get());
    List->Add(bitmap.release());
  }
}

void ChargeLines(TSkinBudget& Budget, std::string_view Text, const AnsiString& What) {
  int64_t lines = 0;
  ForEachLine(Text, [&](std::string_view) { ++lines; });
  // A line's characters take about what they took in the text; its item in the list comes on top, and
  // the list's array may stand twice for a moment as it grows.
  constexpr int64_t item = 2 * int64_t { sizeof(AnsiString) + sizeof(TObject*) };
  const auto bytes = static_cast<int64_t>(Text.size());
  Budget.Charge(bytes + lines * item, Format("%s (%d bytes in %d lines)", What, bytes, lines));
}

int64_t FileBytes(const AnsiString& FileName) {
  struct stat st;
  return ::stat(xj::PathToHost(FileName).c_str(), &st) == 0 && S_ISREG(st.st_mode) ? int64_t { st.st_size } : 0;
}

void ChargeBytes(TSkinBudget& Budget, int64_t Bytes, const AnsiString& What) {
  Budget.Charge(Bytes, Format("%s (%d bytes)", What, Bytes));
}

AnsiString ReadSkinText(const AnsiString& FileName, TSkinBudget& Budget) {
  const AnsiString what = "the INI text of " + FileName;
  const int64_t size = FileBytes(FileName);
  ChargeBytes(Budget, size, what);
  std::string text;
  if (!xj::ReadProfileFile(FileName, text, false))
    throw EFOpenError::CreateFmt("Cannot open file \"%s\". %s", FileName, xj::FileErrorText(errno));
  // The file grew since it was measured.
  if (static_cast<int64_t>(text.size()) > size) ChargeBytes(Budget, static_cast<int64_t>(text.size()) - size, what);
  return text;
}

int64_t ParseSkinText(TMemIniFile* IniFile, AnsiString Text, TSkinBudget& Budget, const AnsiString& What) {
  // A skin written by an editor as UTF-8 with a byte-order mark: its names and captions are GBK here.
  // The GBK text is never longer than the UTF-8 it comes from, so the budget charged for it holds.
  Text = xj::GbkFromFileText(std::move(Text));
  const int64_t records = IniRecordBytes(Text);
  Budget.Charge(records, Format("what the parser builds from %s (%d bytes beside its %d)", What, records,
                                static_cast<int64_t>(Text.size())));
  IniFile->SetText(std::move(Text));
  return records;
}

}  // namespace xj::skin

AnsiString MissingSkinSection(TCustomIniFile* IniFile) {
  for (const char* s : RequiredSections)
    if (!IniFile->SectionExists(s)) return s;
  return AnsiString();
}

bool IsSkinFile(TCustomIniFile* IniFile) { return MissingSkinSection(IniFile).empty(); }

AnsiString xj::skin::NotASkin(const AnsiString& What, TCustomIniFile* IniFile) {
  const AnsiString missing = MissingSkinSection(IniFile);
  return missing.empty() ? AnsiString() : Format("%s is not a skin: it has no [%s] section", What, missing);
}

// ---- Reading --------------------------------------------------------------------------------------------

void TbsSkinData::ReadVersion(TCustomIniFile* IniFile) { ReadKeys(IniFile, "VERSION", this, VersionKeys()); }

void TbsSkinData::ReadFormInfo(TCustomIniFile* IniFile) {
  ReadKeys(IniFile, "FORMINFO", this, FormGeometryKeys());
  // A skin with a mask shapes and hit-tests its frame by these; a stored skin has the mask but no mask
  // file name, and must come out the same as the directory it was made from.
  if (!MaskName.empty() || !Mask->Empty()) {
    if (IsNullRect(MaskRectArea)) {
      MaskRectArea = ClRect;
    } else {
      MaskRectArea = TRect(Min(MaskRectArea.Left, ClRect.Left), Min(MaskRectArea.Top, ClRect.Top),
                           Max(MaskRectArea.Right, ClRect.Right), Max(MaskRectArea.Bottom, ClRect.Bottom));
    }
    const TPoint* corners[] = { &LTPoint, &RTPoint, &LBPoint, &RBPoint };
    TPoint* hitTest[] = { &HitTestLTPoint, &HitTestRTPoint, &HitTestLBPoint, &HitTestRBPoint };
    for (int i = 0; i < 4; ++i)
      if (IsNullPoint(*hitTest[i])) *hitTest[i] = *corners[i];
  }
  ReadKeys(IniFile, "FORMINFO", this, FormButtonKeys());
  if (RBPoint.X == LTPoint.X || RBPoint.Y == LTPoint.Y) return;
  LTPoint = TPoint(Max(LTPoint.X, ClRect.Left), Max(LTPoint.Y, ClRect.Top));
  RTPoint = TPoint(Min(RTPoint.X, ClRect.Right), Max(RTPoint.Y, ClRect.Top));
  LBPoint = TPoint(Max(LBPoint.X, ClRect.Left), Min(LBPoint.Y, ClRect.Bottom));
  RBPoint = TPoint(Min(RBPoint.X, ClRect.Right), Min(RBPoint.Y, ClRect.Bottom));
}

void TbsSkinData::ReadObjects(TCustomIniFile* IniFile) {
  ReadRecords(IniFile, "SKINOBJECTS", ObjectKinds, ObjectList.get());
}

void TbsSkinData::ReadCtrls(TCustomIniFile* IniFile) {
  ReadRecords(IniFile, "SKINCONTROLS", ControlKinds, CtrlList.get());
}

void TbsSkinData::ReadActivePictures(TCustomIniFile* IniFile, const AnsiString& Path) {
  const int first = ActivePictureNames->Count();
  ReadStrings1(IniFile, "PICTURES", "activepictures", ActivePictureNames.get());
  if (FBudget) {
    LoadSkinPictures(ActivePictures.get(), ActivePictureNames.get(), first, Path, *FBudget);
    return;
  }
  TSkinBudget budget = BudgetOf(*this);
  LoadSkinPictures(ActivePictures.get(), ActivePictureNames.get(), first, Path, budget);
}

namespace {

// A skin folder stands for the skin.ini inside it, as the shipped skins are laid out.
AnsiString SkinFileOf(const AnsiString& Name) {
  if (!DirectoryExists(Name)) return Name;
  return IncludeTrailingPathDelimiter(Name) + "skin.ini";
}

}  // namespace

void TbsSkinData::LoadFromFile(const AnsiString& Name) {
  Load([&] {
    const AnsiString FileName = SkinFileOf(Name);
    if (FileName != Name && !FileExists(FileName))
      return Format("%s is a folder without a skin.ini; name the skin's INI file", Name);
    if (!FileExists(FileName)) return Format("The skin file %s does not exist", FileName);
    TMemIniFile ini("");
    ParseSkinText(&ini, ReadSkinText(FileName, *FBudget), *FBudget, "the INI text of " + FileName);
    if (AnsiString why = NotASkin(FileName, &ini); !why.empty()) return why;
    const AnsiString path = ExtractFilePath(FileName);
    ReadVersion(&ini);
    PictureName = ini.ReadString("PICTURES", "picture", AnsiString());
    InActivePictureName = ini.ReadString("PICTURES", "inactivepicture", AnsiString());
    MaskName = ini.ReadString("PICTURES", "mask", AnsiString());
    LoadSkinPicture(Picture.get(), path, PictureName, *FBudget, "key picture");
    LoadSkinPicture(InActivePicture.get(), path, InActivePictureName, *FBudget, "key inactivepicture");
    LoadSkinPicture(Mask.get(), path, MaskName, *FBudget, "key mask");
    ReadActivePictures(&ini, path);
    ReadFormInfo(&ini);
    PopupWindow->LoadFromFile(&ini);
    HintWindow->LoadFromFile(&ini);
    ReadObjects(&ini);
    ReadCtrls(&ini);
    if (EraseRecordSections) LoadNames();
    return AnsiString();
  });
}

// ---- Writing --------------------------------------------------------------------------------------------

void TbsSkinData::WriteFormInfo(TCustomIniFile* IniFile) {
  WriteKeys(IniFile, "FORMINFO", this, FormGeometryKeys());
  WriteKeys(IniFile, "FORMINFO", this, FormButtonKeys());
}

void TbsSkinData::WriteObjects(TCustomIniFile* IniFile) {
  WriteRecords(IniFile, "SKINOBJECTS", ObjectKinds, ObjectList.get());
}

void TbsSkinData::WriteCtrls(TCustomIniFile* IniFile) {
  WriteRecords(IniFile, "SKINCONTROLS", ControlKinds, CtrlList.get());
}

void TbsSkinData::WriteActivePictures(TCustomIniFile* IniFile) {
  WriteStrings1(IniFile, "PICTURES", "activepictures", ActivePictureNames.get());
}

void TbsSkinData::SaveToFile(const AnsiString& FileName) {
  // The whole text is built in memory and written once, through a temporary file renamed over the old
  // one, so a failure leaves the old file whole and is reported.
  TMemIniFile ini(FileName);
  if (EraseRecordSections) {
    EraseSections(&ini);
    LoadNames();
  }
  ini.EraseSection("VERSION");
  ini.WriteInteger("VERSION", "ver", 1);
  WriteKeys(&ini, "VERSION", this, VersionKeys());
  ini.EraseSection("PICTURES");
  ini.WriteString("PICTURES", "picture", PictureName);
  ini.WriteString("PICTURES", "inactivepicture", InActivePictureName);
  ini.WriteString("PICTURES", "mask", MaskName);
  WriteActivePictures(&ini);
  ini.EraseSection("FORMINFO");
  WriteFormInfo(&ini);
  ini.EraseSection("POPUPWINDOW");
  PopupWindow->SaveToFile(&ini);
  ini.EraseSection("HINTWINDOW");
  HintWindow->SaveToFile(&ini);
  WriteObjects(&ini);
  WriteCtrls(&ini);
  ini.UpdateFile();
}
