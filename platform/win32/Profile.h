#pragma once
// The profile (INI file) functions and the one INI parser behind them and behind the class library's
// TIniFile and TMemIniFile.
//
// Rules, for files and memory alike: section and key names compare without case (ASCII letters only,
// never a byte of a double-byte character); a key line splits at its first '='; blanks (spaces, tabs)
// around names and values are dropped; ';' lines, blank lines and lines before the first section are
// kept but never read; the first occurrence of a section or key wins; CR, LF or CR LF end a line on
// reading, CR LF on writing; a leading UTF-8 BOM is skipped and not written back (a second one is
// text); a NUL is a byte like any other.
//
// The profile functions keep each file parsed in a cache, keyed by its absolute path (relative names are
// taken from the current directory) and re-read when the file changes on disk. Writes go to the cache;
// they reach the disk (a temporary file in the same directory, then a rename) at once when no TIniFile
// holds the path, else at the flush call WritePrivateProfileStringA(NULL, NULL, NULL, file), at
// TIniFile::UpdateFile, or when the last TIniFile on the path goes. A failed write returns FALSE and
// sets the last error (an errno value).

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win32/WinDef.h"

// Section NULL: every section name; key NULL: every key of the section; each name NUL-terminated, the
// list ended by a second NUL. A value that does not fit is cut (result nSize - 1, lists nSize - 2).
DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                                      DWORD nSize, LPCSTR lpFileName);
// Key NULL erases every occurrence of the section; value NULL deletes the key; all three NULL flush
// (lpFileName NULL too: every cached file).
BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName);
// The value read as the INI integer rule (xj::ProfileStrToInt) allows, else nDefault.
UINT WINAPI GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName);
// "key=value" entries, NUL-separated, ended by a second NUL.
DWORD WINAPI GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);
DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR lpszReturnBuffer, DWORD nSize, LPCSTR lpFileName);

namespace xj {

// An INI text, line by line. Lines nobody changes are written back exactly as they were read.
//
// The document holds the text it was given and refers into it, so what it costs follows what the text
// holds: a key line costs its bytes and a 16-byte piece, a section its header line and a 48-byte record;
// blank lines, comments and text before the first section cost their bytes alone, and so do later
// occurrences of a section (never read, kept to be written back), but for a 24-byte record where they
// follow those of another name. Lines a write changes or adds go to a second buffer; the bytes nothing
// refers to any more are dropped once they are over half of those held.
class TIniDocument {
 public:
  TIniDocument();
  ~TIniDocument();
  TIniDocument(TIniDocument&&);
  TIniDocument& operator=(TIniDocument&&);

  // Takes the text over: moved in, it is not copied.
  void Parse(std::string Text);
  std::string Text() const;  // every line followed by CR LF
  void Clear();
  // The heap bytes the document holds: its text and its records, with the lookup tables built so far.
  size_t MemorySize() const;

  // True and the value when the section's first occurrence has the key.
  bool ReadString(std::string_view Section, std::string_view Key, std::string& Value) const;
  bool SectionExists(std::string_view Section) const;  // at least one key
  bool ValueExists(std::string_view Section, std::string_view Key) const;
  std::vector<std::string> SectionNames() const;  // each once, in file order
  std::vector<std::string> KeyNames(std::string_view Section) const;
  std::vector<std::pair<std::string, std::string>> SectionValues(std::string_view Section) const;

  // Replaces the first occurrence in place, or adds the key after the section's last key, or adds
  // the section at the end. False (and nothing changed) for text that would not read back: an empty
  // or blank-edged key, a key with '=', a leading ';' or '[', a section name with ']', a line break.
  bool WriteString(std::string_view Section, std::string_view Key, std::string_view Value);
  // Both return whether anything changed. EraseSection removes every occurrence of the section.
  bool DeleteKey(std::string_view Section, std::string_view Key);
  bool EraseSection(std::string_view Section);

  static bool ValidSection(std::string_view Section);
  static bool ValidKey(std::string_view Key);
  static bool ValidValue(std::string_view Value);

 private:
  enum TKind : size_t { kRun, kKey, kHeader, kRepeated, kErased };
  // Bytes of FText, or of FAdded when Added. A key or header is one line without its line break; a run
  // is whole lines with theirs (the last line of the text may have none).
  struct TSpan {
    size_t Off { 0 };
    size_t Len : 60 { 0 };
    size_t Kind : 3 { kRun };
    size_t Added : 1 { 0 };
  };
  // Positions found by the name each stands for, compared as INI names compare: open addressing, a slot
  // holding the name's hash above the position + 1 (0: empty). A name is entered once, first come.
  struct TNameTable {
    std::vector<uint64_t> Slots;
    size_t Count { 0 };
  };
  // A first occurrence (kHeader) with its lines up to the next section, or a place left by EraseSection
  // (kErased), dropped once they are half of the list. The key table (a position in Body per name) is
  // built when first needed, so that a key costs the same to find among ten keys as among a hundred
  // thousand.
  struct TSection {
    TSpan Header;
    std::vector<TSpan> Body;
    mutable std::unique_ptr<TNameTable> Keys;
  };
  // Later occurrences of one section met before, one after the other with their lines: written back, never
  // read. They come after the first After entries of FSections.
  struct TRepeated {
    TSpan Text;
    size_t After { 0 };
  };
  static constexpr size_t npos = static_cast<size_t>(-1);
  static constexpr size_t kScannedKeys = 16;

  std::string_view At(const TSpan& S) const;
  std::string_view SectionName(const TSection& S) const;
  std::string_view KeyName(const TSpan& S) const;
  // Position in FSections or in S.Body of the trimmed name, or npos.
  size_t FindSection(std::string_view Name) const;
  size_t FindKey(const TSection& S, std::string_view Key) const;
  const TNameTable& KeyTable(const TSection& S) const;
  size_t ParseSection(size_t Pos);
  size_t ParseRepeated(size_t Pos);
  void AppendLines(std::string& Out, const TSpan& S) const;
  TSpan AddText(std::string_view Text, TKind Kind);
  void EraseRepeated(std::string_view Name);
  void IndexSections();
  void DropErased();
  void DropGarbage();

  std::string FText;   // the text parsed
  std::string FAdded;  // lines written since
  size_t FLive { 0 };  // bytes of both that something refers to
  TSpan FPreamble;     // the lines before the first section
  // Deques: a list of millions grows without a moment of holding twice its room.
  std::deque<TSection> FSections;
  TNameTable FIndex;  // the first occurrences
  size_t FErased { 0 };
  std::deque<TRepeated> FRepeated;
  size_t FRepeatedLive { 0 };
  std::vector<uint64_t> FRepeatedIndex;  // name hash above position, sorted; built at the first erasure
};

// What a TIniDocument parsing Text builds beside it, at most (its records, and the tables it finds sections
// and keys by), worked out from the text without building it; the text's own bytes are not in it.
int64_t IniRecordBytes(std::string_view Text);

// Optional sign, then decimal within 32 bits, or '$' / "0x" / "0X" and 1 to 8 hex digits wrapping into
// the signed range ("0x80000012" is -2147483630). Nothing else (blank, junk, overflow) is a number.
bool ProfileStrToInt(std::string_view Text, int& Value);

// The most an INI file may hold: no text of settings comes near it, and it keeps a wrong file from
// taking all memory.
constexpr size_t MaxProfileFileSize = size_t { 64 } << 20;

// The file's bytes; false (errno set) when it cannot be read: not a regular file (OpenFileToLoad's
// errors), or EFBIG beyond MaxProfileFileSize (a file that says it is larger is not read at all). A
// missing file is an empty one when MissingIsEmpty.
bool ReadProfileFile(const std::string& GbkPath, std::string& Content, bool MissingIsEmpty);
// Writes Content to a temporary file in the same directory and renames it over GbkPath, keeping an
// existing file's permissions. False (errno set, GbkPath untouched) on failure.
bool WriteProfileFile(const std::string& GbkPath, std::string_view Content);

// The profile cache behind TIniFile. A holder keeps writes in the cache until a flush or its release.
std::string ProfileAcquire(const std::string& GbkPath);  // returns the cache key to pass below
bool ProfileRelease(const std::string& Key);             // flushes when it was the last holder
bool ProfileFlush(const std::string& Key);               // false and the last error on failure
// Runs Read on the file's current contents.
void ProfileRead(const std::string& Key, const std::function<void(const TIniDocument&)>& Read);
// Runs Write (which says whether it changed anything) on the cached document; written through when
// nobody holds the path. False and the last error when that write fails (the change is then dropped).
bool ProfileWrite(const std::string& Key, std::function<bool(TIniDocument&)> Write);

}  // namespace xj
