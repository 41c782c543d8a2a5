#pragma once
// INI files: TIniFile over the profile functions' cache, TMemIniFile in memory. Both read with the one
// parser of platform/win32/Profile.h, so they agree on every rule.

#include <memory>

#include "platform/vcl/Classes.h"
#include "platform/vcl/SysUtils.h"

namespace xj {
class TIniDocument;
}

XJ_EXCEPTION(EIniFileException, Exception);

class TCustomIniFile : public TObject {
  XJ_CLASS(TCustomIniFile, TObject)
 public:
  explicit TCustomIniFile(const AnsiString& FileName) : FFileName(FileName) {}

  const AnsiString& FileName() const { return FFileName; }

  // A missing key gives Default; a key present with an empty value gives "".
  virtual AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) = 0;
  // Raises EIniFileException when the section, key or value could not be read back as written
  // (a line break, a key with '=').
  virtual void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) = 0;
  // Decimal with an optional sign, or $hex / 0x hex (up to 8 digits, wrapping into 32 bits);
  // anything else, an empty value included, gives Default.
  virtual int ReadInteger(const AnsiString& Section, const AnsiString& Ident, int Default);
  virtual void WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value);
  // True only for the integer 1; a missing or non-integer value gives Default.
  virtual bool ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default);
  virtual void WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value);
  virtual double ReadFloat(const AnsiString& Section, const AnsiString& Ident, double Default);
  virtual void WriteFloat(const AnsiString& Section, const AnsiString& Ident, double Value);
  // The list is cleared first. ReadSection gives key names, ReadSectionValues "key=value" lines.
  virtual void ReadSection(const AnsiString& Section, TStrings* Strings) = 0;
  virtual void ReadSections(TStrings* Strings) = 0;
  virtual void ReadSectionValues(const AnsiString& Section, TStrings* Strings) = 0;
  // Every occurrence of the section goes; no error when there is none.
  virtual void EraseSection(const AnsiString& Section) = 0;
  virtual void DeleteKey(const AnsiString& Section, const AnsiString& Ident) = 0;
  // Writes pending changes to disk; raises EIniFileException when that fails.
  virtual void UpdateFile() = 0;
  // Needs at least one key in the section.
  virtual bool SectionExists(const AnsiString& Section);
  virtual bool ValueExists(const AnsiString& Section, const AnsiString& Ident);

 protected:
  [[noreturn]] void WriteError(const AnsiString& Reason) const;

  AnsiString FFileName;
};

// Reads and writes through the profile cache: changes reach the disk at UpdateFile or when the last
// TIniFile on the file is destroyed (a failure there cannot be reported: call UpdateFile to know).
class TIniFile : public TCustomIniFile {
  XJ_CLASS(TIniFile, TCustomIniFile)
 public:
  explicit TIniFile(const AnsiString& FileName);
  ~TIniFile() override;

  AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) override;
  void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) override;
  void ReadSection(const AnsiString& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const AnsiString& Section, TStrings* Strings) override;
  bool SectionExists(const AnsiString& Section) override;
  bool ValueExists(const AnsiString& Section, const AnsiString& Ident) override;
  void EraseSection(const AnsiString& Section) override;
  void DeleteKey(const AnsiString& Section, const AnsiString& Ident) override;
  void UpdateFile() override;

 private:
  std::string FKey;  // the profile cache's key for the file
};

// The whole file in memory; nothing touches the disk until UpdateFile. FileName may be "" for an INI
// made from lines (SetStrings).
class TMemIniFile : public TCustomIniFile {
  XJ_CLASS(TMemIniFile, TCustomIniFile)
 public:
  // Loads the file when it exists; raises EIniFileException when it exists but cannot be read.
  explicit TMemIniFile(const AnsiString& FileName);
  ~TMemIniFile() override;

  AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) override;
  void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) override;
  void ReadSection(const AnsiString& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const AnsiString& Section, TStrings* Strings) override;
  bool SectionExists(const AnsiString& Section) override;
  bool ValueExists(const AnsiString& Section, const AnsiString& Ident) override;
  void EraseSection(const AnsiString& Section) override;
  void DeleteKey(const AnsiString& Section, const AnsiString& Ident) override;
  // Writes the whole text to FileName (temporary file, then rename); EIniFileException on failure.
  void UpdateFile() override;

  void Clear();
  void GetStrings(TStrings* List);
  void SetStrings(TStrings* List);
  // Replaces the contents by those of an INI text, taken over when moved in: a caller that holds the
  // text already parses it without a list of its lines or a copy.
  void SetText(AnsiString Text);
  // The heap bytes the contents take (see xj::TIniDocument::MemorySize).
  size_t MemorySize() const;
  // Takes another file name; Reload replaces the contents by that file's (empty when it is missing).
  void Rename(const AnsiString& FileName, bool Reload);

 private:
  void LoadValues();

  std::unique_ptr<xj::TIniDocument> FDoc;
};
