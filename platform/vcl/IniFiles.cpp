// TCustomIniFile, TIniFile and TMemIniFile.

#include "platform/vcl/IniFiles.h"

#include <cerrno>

#include "platform/win32/Profile.h"
#include "platform/win32/WinBase.h"

namespace {

void FillStrings(TStrings* Strings, const std::vector<std::string>& Items) {
  Strings->BeginUpdate();
  try {
    Strings->Clear();
    for (const auto& s : Items) Strings->Add(s);
  } catch (...) {
    Strings->EndUpdate();
    throw;
  }
  Strings->EndUpdate();
}

std::vector<std::string> Joined(const std::vector<std::pair<std::string, std::string>>& Values) {
  std::vector<std::string> lines;
  for (const auto& [k, v] : Values) lines.push_back(k + "=" + v);
  return lines;
}

const char* const SInvalidEntry = "a line break, or a key that is empty, has blanks at its ends or holds '='";

bool ValidEntry(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) {
  return xj::TIniDocument::ValidSection(Section) && xj::TIniDocument::ValidKey(Ident) &&
         xj::TIniDocument::ValidValue(Value);
}

AnsiString LastErrorText() { return xj::FileErrorText(static_cast<int>(GetLastError())); }

}  // namespace

// ---- TCustomIniFile -----------------------------------------------------------------------------------

void TCustomIniFile::WriteError(const AnsiString& Reason) const {
  throw EIniFileException::CreateFmt("Unable to write to %s (%s)", FFileName, Reason);
}

int TCustomIniFile::ReadInteger(const AnsiString& Section, const AnsiString& Ident, int Default) {
  int value;
  return xj::ProfileStrToInt(ReadString(Section, Ident, AnsiString()), value) ? value : Default;
}

void TCustomIniFile::WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

bool TCustomIniFile::ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default) {
  return ReadInteger(Section, Ident, Default ? 1 : 0) == 1;
}

void TCustomIniFile::WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

double TCustomIniFile::ReadFloat(const AnsiString& Section, const AnsiString& Ident, double Default) {
  double value;
  return TryStrToFloat(ReadString(Section, Ident, AnsiString()), value) ? value : Default;
}

void TCustomIniFile::WriteFloat(const AnsiString& Section, const AnsiString& Ident, double Value) {
  WriteString(Section, Ident, FloatToStr(Value));
}

bool TCustomIniFile::SectionExists(const AnsiString& Section) {
  TStringList keys;
  ReadSection(Section, &keys);
  return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident) {
  TStringList keys;
  ReadSection(Section, &keys);
  return keys.IndexOf(Ident) >= 0;
}

// ---- TIniFile -----------------------------------------------------------------------------------------

TIniFile::TIniFile(const AnsiString& FileName) : TCustomIniFile(FileName), FKey(xj::ProfileAcquire(FileName)) {}

TIniFile::~TIniFile() {
  // A failure here keeps the changes in the cache for a later flush; UpdateFile is how to learn of it.
  xj::ProfileRelease(FKey);
}

AnsiString TIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) {
  std::string value;
  bool found = false;
  xj::ProfileRead(FKey, [&](const xj::TIniDocument& doc) { found = doc.ReadString(Section, Ident, value); });
  return found ? value : Default;
}

void TIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) {
  if (!ValidEntry(Section, Ident, Value)) WriteError(SInvalidEntry);
  if (!xj::ProfileWrite(FKey, [=](xj::TIniDocument& doc) { return doc.WriteString(Section, Ident, Value); }))
    WriteError(LastErrorText());
}

void TIniFile::ReadSection(const AnsiString& Section, TStrings* Strings) {
  std::vector<std::string> keys;
  xj::ProfileRead(FKey, [&](const xj::TIniDocument& doc) { keys = doc.KeyNames(Section); });
  FillStrings(Strings, keys);
}

void TIniFile::ReadSections(TStrings* Strings) {
  std::vector<std::string> names;
  xj::ProfileRead(FKey, [&](const xj::TIniDocument& doc) { names = doc.SectionNames(); });
  FillStrings(Strings, names);
}

void TIniFile::ReadSectionValues(const AnsiString& Section, TStrings* Strings) {
  std::vector<std::string> lines;
  xj::ProfileRead(FKey, [&](const xj::TIniDocument& doc) { lines = Joined(doc.SectionValues(Section)); });
  FillStrings(Strings, lines);
}

bool TIniFile::SectionExists(const AnsiString& Section) {
  bool found = false;
  xj::ProfileRead(FKey, [&](const xj::TIniDocument& doc) { found = doc.SectionExists(Section); });
  return found;
}

bool TIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident) {
  bool found = false;
  xj::ProfileRead(FKey, [&](const xj::TIniDocument& doc) { found = doc.ValueExists(Section, Ident); });
  return found;
}

void TIniFile::EraseSection(const AnsiString& Section) {
  if (!xj::ProfileWrite(FKey, [=](xj::TIniDocument& doc) { return doc.EraseSection(Section); }))
    WriteError(LastErrorText());
}

void TIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident) {
  if (!xj::ProfileWrite(FKey, [=](xj::TIniDocument& doc) { return doc.DeleteKey(Section, Ident); }))
    WriteError(LastErrorText());
}

void TIniFile::UpdateFile() {
  if (!xj::ProfileFlush(FKey)) WriteError(LastErrorText());
}

// ---- TMemIniFile --------------------------------------------------------------------------------------

TMemIniFile::TMemIniFile(const AnsiString& FileName)
    : TCustomIniFile(FileName), FDoc(std::make_unique<xj::TIniDocument>()) {
  LoadValues();
}

TMemIniFile::~TMemIniFile() = default;

void TMemIniFile::LoadValues() {
  FDoc->Clear();
  if (FFileName.empty()) return;
  std::string content;
  if (!xj::ReadProfileFile(FFileName, content, true))
    throw EIniFileException::CreateFmt("Unable to read %s (%s)", FFileName, xj::FileErrorText(errno));
  FDoc->Parse(std::move(content));
}

AnsiString TMemIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) {
  std::string value;
  return FDoc->ReadString(Section, Ident, value) ? value : Default;
}

void TMemIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) {
  if (!FDoc->WriteString(Section, Ident, Value)) WriteError(SInvalidEntry);
}

void TMemIniFile::ReadSection(const AnsiString& Section, TStrings* Strings) {
  FillStrings(Strings, FDoc->KeyNames(Section));
}

void TMemIniFile::ReadSections(TStrings* Strings) { FillStrings(Strings, FDoc->SectionNames()); }

void TMemIniFile::ReadSectionValues(const AnsiString& Section, TStrings* Strings) {
  FillStrings(Strings, Joined(FDoc->SectionValues(Section)));
}

bool TMemIniFile::SectionExists(const AnsiString& Section) { return FDoc->SectionExists(Section); }

bool TMemIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident) {
  return FDoc->ValueExists(Section, Ident);
}

void TMemIniFile::EraseSection(const AnsiString& Section) { FDoc->EraseSection(Section); }

void TMemIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident) { FDoc->DeleteKey(Section, Ident); }

void TMemIniFile::UpdateFile() {
  if (FFileName.empty()) WriteError("no file name");
  if (!xj::WriteProfileFile(FFileName, FDoc->Text())) WriteError(xj::FileErrorText(errno));
}

void TMemIniFile::Clear() { FDoc->Clear(); }

void TMemIniFile::GetStrings(TStrings* List) { List->SetText(FDoc->Text()); }

void TMemIniFile::SetStrings(TStrings* List) { FDoc->Parse(List->Text()); }

void TMemIniFile::SetText(AnsiString Text) { FDoc->Parse(std::move(Text)); }

size_t TMemIniFile::MemorySize() const { return FDoc->MemorySize(); }

void TMemIniFile::Rename(const AnsiString& FileName, bool Reload) {
  FFileName = FileName;
  if (Reload) LoadValues();
}
