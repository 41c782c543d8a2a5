#pragma once
// The profile (INI file) functions and the one INI parser behind them and behind the class library's
// TIniFile and TMemIniFile.
//
// Rules, for files and memory alike: section and key names compare without case (ASCII letters only,
// never a byte of a double-byte character); a key line splits at its first '='; blanks (spaces, tabs)
// around names and values are dropped; ';' lines, blank lines and lines before the first section are
// kept but never read; the first occurrence of a section or key wins; CR, LF or CR LF end a line on
// reading, CR LF on writing; a leading UTF-8 BOM is skipped.
//
// The profile functions keep each file parsed in a cache, keyed by its absolute path (relative names are
// taken from the current directory) and re-read when the file changes on disk. Writes go to the cache;
// they reach the disk (a temporary file in the same directory, then a rename) at once when no TIniFile
// holds the path, else at the flush call WritePrivateProfileStringA(NULL, NULL, NULL, file), at
// TIniFile::UpdateFile, or when the last TIniFile on the path goes. A failed write returns FALSE and
// sets the last error (an errno value).

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
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
class TIniDocument {
 public:
  void Parse(std::string_view Text);
  std::string Text() const;  // every line followed by CR LF
  void Clear();

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
  enum TKind { lkOther, lkSection, lkKey };
  struct TLine {
    TKind Kind { lkOther };
    std::string Raw;    // the line as it is written; empty when Canonical makes the same
    std::string Name;   // section or key name, trimmed
    std::string Value;  // key value, trimmed
  };
  static std::string Canonical(const TLine& L);
  static std::string Spelled(const TLine& L);  // the line as it is written
  // A section's header and the lines after it up to the next header. Its key index (folded name ->
  // position in Lines of the first occurrence) is built when first needed, so that reading a key costs
  // the same in a section of ten keys as in one of a hundred thousand. An erased section stays in place,
  // empty and out of the index, until enough of them are there to be worth compacting.
  struct TSection {
    TLine Header;
    std::vector<TLine> Lines;
    bool Erased { false };
    mutable std::unordered_map<std::string, size_t> Keys;
    mutable bool KeysValid { false };
  };
  static constexpr size_t npos = static_cast<size_t>(-1);
  static constexpr size_t kScannedKeys = 16;

  // The section's first occurrence, or null.
  const TSection* FindSection(std::string_view Section) const;
  TSection* FindSection(std::string_view Section);
  const std::unordered_map<std::string, size_t>& KeyIndex(const TSection& S) const;
  // Position in S.Lines of the key's first occurrence, or npos.
  size_t FindKey(const TSection& S, std::string_view Key) const;
  // Folded name -> positions in FSections of every occurrence, in file order.
  std::unordered_map<std::string, std::vector<size_t>>& SectionIndex() const;

  std::vector<TLine> FPreamble;  // lines before the first section
  std::vector<TSection> FSections;
  size_t FErased { 0 };
  mutable std::unordered_map<std::string, std::vector<size_t>> FIndex;
  mutable bool FIndexValid { false };
};

// Optional sign, then decimal within 32 bits, or '$' / "0x" / "0X" and 1 to 8 hex digits wrapping into
// the signed range ("0x80000012" is -2147483630). Nothing else (blank, junk, overflow) is a number.
bool ProfileStrToInt(std::string_view Text, int& Value);

// The most an INI file may hold: no text of settings comes near it, and it keeps a wrong file from
// taking all memory.
constexpr size_t MaxProfileFileSize = size_t { 64 } << 20;

// The file's bytes; false (errno set) when it cannot be read: not a regular file (OpenFileToLoad's
// errors), or EFBIG beyond MaxProfileFileSize. A missing file is an empty one when MissingIsEmpty.
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
