// Text routines, file names and file-system queries. All of them walk GBK text character by character
// where a byte inside a double-byte character could be mistaken for ASCII.

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/vcl/SysUtils.h"
#include "platform/win32/WinBase.h"

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// Applies f to every single-byte character (double-byte characters are left alone).
template <class F>
AnsiString MapSingleBytes(const AnsiString& s, F f) {
  AnsiString out = s;
  const char* const begin = out.data();
  const char* const end = begin + out.size();
  for (const char* p = begin; p < end;) {
    const int n = xj::GbkCharLength(p, end);
    if (n == 1) out[static_cast<size_t>(p - begin)] = f(*p);
    p += n;
  }
  return out;
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

int CompareBytes(const AnsiString& a, const AnsiString& b) {
  const int c = a.compare(b);  // std::string compares as unsigned char
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// The bytes of a text with its single-byte letters folded to upper case, one at a time: what UpperCase
// gives, without the copy (sorted lists compare texts many times per item placed).
class FoldedBytes {
 public:
  // From `from` on, which must start a character.
  FoldedBytes(const AnsiString& s, size_t from) : p(s.data() + from), end(s.data() + s.size()) {}
  // The next byte, or -1 past the end.
  int Next() {
    if (p == end) return -1;
    if (trail) {
      trail = false;
      return static_cast<unsigned char>(*p++);
    }
    if (xj::GbkCharLength(p, end) == 2) {
      trail = true;
      return static_cast<unsigned char>(*p++);
    }
    return static_cast<unsigned char>(Upper(*p++));
  }

 private:
  const char* p;
  const char* end;
  bool trail = false;  // the next byte ends a double-byte character
};

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Index of the last single-byte character that is a separator ('\', '/', and ':' when withDrive),
// or npos.
size_t LastDelimiter(const AnsiString& s, bool withDrive) {
  size_t last = AnsiString::npos;
  const char* const begin = s.data();
  const char* const end = begin + s.size();
  for (const char* p = begin; p < end;) {
    const int n = xj::GbkCharLength(p, end);
    if (n == 1 && (IsSeparator(*p) || (withDrive && *p == ':'))) last = static_cast<size_t>(p - begin);
    p += n;
  }
  return last;
}

// Index of the extension's '.', or npos.
size_t ExtensionDot(const AnsiString& s) {
  const size_t nameStart = [&] {
    const size_t d = LastDelimiter(s, true);
    return d == AnsiString::npos ? 0 : d + 1;
  }();
  const size_t dot = s.rfind('.');  // '.' is never a trail byte
  return dot != AnsiString::npos && dot >= nameStart ? dot : AnsiString::npos;
}

bool EndsWithSeparator(const AnsiString& s) {
  const size_t d = LastDelimiter(s, false);
  return d != AnsiString::npos && d + 1 == s.size();
}

struct stat* HostStat(const AnsiString& name, struct stat& st) {
  if (name.empty()) return nullptr;
  return ::stat(xj::PathToHost(name).c_str(), &st) == 0 ? &st : nullptr;
}

}  // namespace

// ---- Trimming, case and comparison ---------------------------------------------------------------

AnsiString Trim(const AnsiString& s) { return TrimRight(TrimLeft(s)); }

AnsiString TrimLeft(const AnsiString& s) {
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return s.substr(i);
}

AnsiString TrimRight(const AnsiString& s) {
  size_t n = s.size();
  while (n > 0 && IsBlank(s[n - 1])) --n;
  return s.substr(0, n);
}

AnsiString UpperCase(const AnsiString& s) { return MapSingleBytes(s, Upper); }
AnsiString LowerCase(const AnsiString& s) { return MapSingleBytes(s, Lower); }
AnsiString AnsiUpperCase(const AnsiString& s) { return UpperCase(s); }
AnsiString AnsiLowerCase(const AnsiString& s) { return LowerCase(s); }

int CompareStr(const AnsiString& a, const AnsiString& b) { return CompareBytes(a, b); }
int CompareText(const AnsiString& a, const AnsiString& b) {
  // A run of equal bytes below 0x80 is equal single-byte characters, folded or not, and leaves both texts
  // at the start of a character: sorted texts often share long beginnings.
  const size_t shorter = std::min(a.size(), b.size());
  size_t same = 0;
  while (same < shorter && a[same] == b[same] && static_cast<unsigned char>(a[same]) < 0x80) ++same;
  FoldedBytes x(a, same), y(b, same);
  for (;;) {
    const int cx = x.Next(), cy = y.Next();
    if (cx != cy) return cx < cy ? -1 : 1;
    if (cx < 0) return 0;
  }
}
bool SameText(const AnsiString& a, const AnsiString& b) { return a.size() == b.size() && CompareText(a, b) == 0; }
int AnsiCompareStr(const AnsiString& a, const AnsiString& b) { return CompareBytes(a, b); }
int AnsiCompareText(const AnsiString& a, const AnsiString& b) { return CompareText(a, b); }
bool AnsiSameText(const AnsiString& a, const AnsiString& b) { return SameText(a, b); }

AnsiString StringReplace(const AnsiString& s, const AnsiString& oldPattern, const AnsiString& newPattern,
                         TReplaceFlags flags) {
  if (oldPattern.empty()) return s;
  const bool ignoreCase = flags & rfIgnoreCase;
  // Folding keeps every byte in place, so positions in the folded copies are positions in s.
  const AnsiString text = ignoreCase ? UpperCase(s) : s;
  const AnsiString pattern = ignoreCase ? UpperCase(oldPattern) : oldPattern;
  AnsiString out;
  out.reserve(s.size());
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  size_t copied = 0;
  for (const char* p = begin; p < end;) {
    const size_t at = static_cast<size_t>(p - begin);
    if (text.compare(at, pattern.size(), pattern) == 0) {
      out.append(s, copied, at - copied);
      out += newPattern;
      copied = at + pattern.size();
      p = begin + copied;
      if (!(flags & rfReplaceAll)) break;
      continue;
    }
    p += xj::GbkCharLength(p, end);
  }
  out.append(s, copied, AnsiString::npos);
  return out;
}

// ---- File names -----------------------------------------------------------------------------------

AnsiString ExtractFilePath(const AnsiString& fileName) {
  const size_t d = LastDelimiter(fileName, true);
  return d == AnsiString::npos ? AnsiString() : fileName.substr(0, d + 1);
}

AnsiString ExtractFileDir(const AnsiString& fileName) {
  size_t d = LastDelimiter(fileName, true);
  if (d == AnsiString::npos) return AnsiString();
  // Keep a root ("/", "C:\") whole; otherwise drop the separator.
  if (d > 0 && IsSeparator(fileName[d]) && !IsSeparator(fileName[d - 1]) && fileName[d - 1] != ':') --d;
  return fileName.substr(0, d + 1);
}

AnsiString ExtractFileName(const AnsiString& fileName) {
  const size_t d = LastDelimiter(fileName, true);
  return d == AnsiString::npos ? fileName : fileName.substr(d + 1);
}

AnsiString ExtractFileExt(const AnsiString& fileName) {
  const size_t dot = ExtensionDot(fileName);
  return dot == AnsiString::npos ? AnsiString() : fileName.substr(dot);
}

AnsiString ChangeFileExt(const AnsiString& fileName, const AnsiString& extension) {
  const size_t dot = ExtensionDot(fileName);
  return (dot == AnsiString::npos ? fileName : fileName.substr(0, dot)) + extension;
}

AnsiString IncludeTrailingPathDelimiter(const AnsiString& s) { return EndsWithSeparator(s) ? s : s + PathDelim; }

AnsiString ExcludeTrailingPathDelimiter(const AnsiString& s) {
  return EndsWithSeparator(s) ? s.substr(0, s.size() - 1) : s;
}

AnsiString ExpandFileName(const AnsiString& fileName) {
  if (fileName.empty()) return AnsiString();
  AnsiString path = fileName;
  if (!IsSeparator(path[0])) path = IncludeTrailingPathDelimiter(GetCurrentDir()) + path;
  // Split at separators (character-aware), resolving "." and "..".
  std::vector<AnsiString> parts;
  AnsiString part;
  const char* const end = path.data() + path.size();
  auto flush = [&] {
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    part.clear();
  };
  for (const char* p = path.data(); p < end;) {
    const int n = xj::GbkCharLength(p, end);
    if (n == 1 && IsSeparator(*p))
      flush();
    else
      part.append(p, static_cast<size_t>(n));
    p += n;
  }
  const bool trailing = part.empty() && parts.size() > 0 && EndsWithSeparator(fileName);
  flush();
  AnsiString out;
  for (const AnsiString& p : parts) out += PathDelim + p;
  if (out.empty() || trailing) out += PathDelim;
  return out;
}

// ---- The file system --------------------------------------------------------------------------------

bool FileExists(const AnsiString& fileName) {
  struct stat st {};
  return HostStat(fileName, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const AnsiString& name) {
  struct stat st {};
  return HostStat(name, st) && S_ISDIR(st.st_mode);
}

AnsiString GetCurrentDir() {
  const DWORD needed = GetCurrentDirectoryA(0, nullptr);
  if (needed == 0) return AnsiString();
  AnsiString dir(needed, '\0');
  const DWORD length = GetCurrentDirectoryA(needed, dir.data());
  dir.resize(length < needed ? length : 0);
  return dir;
}

bool SetCurrentDir(const AnsiString& dir) { return SetCurrentDirectoryA(dir.c_str()) != FALSE; }

bool DeleteFile(const AnsiString& fileName) {
  if (fileName.empty() || ::unlink(xj::PathToHost(fileName).c_str()) != 0) {
    SetLastError(fileName.empty() ? ERROR_INVALID_PARAMETER : static_cast<DWORD>(errno));
    return false;
  }
  return true;
}

// Like the original it never replaces an existing file: the target must not exist.
bool RenameFile(const AnsiString& oldName, const AnsiString& newName) {
  if (oldName.empty() || newName.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const std::string from = xj::PathToHost(oldName), to = xj::PathToHost(newName);
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EINVAL || errno == ENOSYS) {  // a file system without no-replace renames
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) {
      SetLastError(ERROR_ALREADY_EXISTS);
      return false;
    }
    if (::rename(from.c_str(), to.c_str()) == 0) return true;
  }
  SetLastError(static_cast<DWORD>(errno));
  return false;
}
