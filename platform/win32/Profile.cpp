// The INI parser and the profile functions with their per-file cache.

#include "platform/win32/Profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>

#include "platform/win32/Scoped.h"
#include "platform/win32/WinBase.h"

namespace xj {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Upper-cases ASCII letters, stepping over double-byte characters whole.
std::string Fold(std::string_view s) {
  std::string out(s);
  const char* p = out.data();
  const char* end = p + out.size();
  while (p < end) {
    const int n = GbkCharLength(p, end);
    if (n == 1 && *p >= 'a' && *p <= 'z') out[static_cast<size_t>(p - out.data())] = static_cast<char>(*p - 32);
    p += n;
  }
  return out;
}

// Whether Name reads as Folded (already folded) once folded: Fold without making the copy, for the
// scans that compare every key of a small section.
bool FoldsTo(std::string_view Name, std::string_view Folded) {
  if (Name.size() != Folded.size()) return false;
  const char* p = Name.data();
  const char* end = p + Name.size();
  const char* q = Folded.data();
  while (p < end) {
    const int n = GbkCharLength(p, end);
    if (n == 1) {
      const char c = *p >= 'a' && *p <= 'z' ? static_cast<char>(*p - 32) : *p;
      if (c != *q) return false;
    } else if (std::memcmp(p, q, size_t(n)) != 0) {
      return false;
    }
    p += n;
    q += n;
  }
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

bool ProfileStrToInt(std::string_view Text, int& Value) {
  std::string_view s = Text;
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  uint32_t magnitude = 0;
  if (!s.empty() && (s[0] == '$' || (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')))) {
    s.remove_prefix(s[0] == '$' ? 1 : 2);
    if (s.empty() || s.size() > 8) return false;
    for (char c : s) {
      const int d = HexDigit(c);
      if (d < 0) return false;
      magnitude = magnitude * 16 + static_cast<uint32_t>(d);
    }
  } else {
    if (s.empty()) return false;
    uint64_t v = 0;
    for (char c : s) {
      if (c < '0' || c > '9') return false;
      v = v * 10 + static_cast<uint64_t>(c - '0');
      if (v > 2147483648u) return false;
    }
    if (v == 2147483648u && !negative) return false;
    magnitude = static_cast<uint32_t>(v);
  }
  // Hex wraps into the signed range; the sign then applies in 32-bit arithmetic.
  const uint32_t bits = negative ? 0u - magnitude : magnitude;
  Value = static_cast<int32_t>(bits);
  return true;
}

// ---- TIniDocument -------------------------------------------------------------------------------------

void TIniDocument::Parse(std::string_view Text) {
  Clear();
  if (Text.substr(0, 3) == "\xEF\xBB\xBF") Text.remove_prefix(3);
  size_t start = 0;
  while (start < Text.size()) {
    size_t end = Text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = Text.size();
    TLine line;
    line.Raw = std::string(Text.substr(start, end - start));
    const std::string_view t = TrimBlanks(line.Raw);
    if (!t.empty() && t[0] == '[') {
      // Up to the last ']'; a header without one runs to the end of the line.
      const size_t close = t.rfind(']');
      line.Kind = lkSection;
      line.Name = std::string(TrimBlanks(t.substr(1, close == std::string_view::npos ? t.npos : close - 1)));
      if (line.Raw == Canonical(line)) std::string().swap(line.Raw);
      FSections.emplace_back().Header = std::move(line);
    } else {
      if (!FSections.empty() && !t.empty() && t[0] != ';') {
        const size_t eq = t.find('=');
        if (eq != std::string_view::npos && !TrimBlanks(t.substr(0, eq)).empty()) {
          line.Kind = lkKey;
          line.Name = std::string(TrimBlanks(t.substr(0, eq)));
          line.Value = std::string(TrimBlanks(t.substr(eq + 1)));
        }
      }
      if (line.Kind == lkKey && line.Raw == Canonical(line)) std::string().swap(line.Raw);
      (FSections.empty() ? FPreamble : FSections.back().Lines).push_back(std::move(line));
    }
    start = end;
    if (start < Text.size() && Text[start] == '\r') ++start;
    if (start < Text.size() && Text[start] == '\n') ++start;
  }
  // A file of many small sections would otherwise hold room for lines it never gets.
  for (TSection& section : FSections) section.Lines.shrink_to_fit();
}

// A header or key line as this document would write it; a parsed line that reads the same keeps no copy
// of its text.
std::string TIniDocument::Canonical(const TLine& L) {
  if (L.Kind == lkSection) return "[" + L.Name + "]";
  if (L.Kind == lkKey) return L.Name + "=" + L.Value;
  return std::string();
}

std::string TIniDocument::Spelled(const TLine& L) { return L.Raw.empty() ? Canonical(L) : L.Raw; }

std::string TIniDocument::Text() const {
  std::string out;
  auto add = [&](const TLine& l) {
    out += Spelled(l);
    out += "\r\n";
  };
  for (const TLine& l : FPreamble) add(l);
  for (const TSection& s : FSections) {
    if (s.Erased) continue;
    add(s.Header);
    for (const TLine& l : s.Lines) add(l);
  }
  return out;
}

void TIniDocument::Clear() {
  FPreamble.clear();
  FSections.clear();
  FErased = 0;
  FIndexValid = false;
}

std::unordered_map<std::string, std::vector<size_t>>& TIniDocument::SectionIndex() const {
  if (!FIndexValid) {
    FIndex.clear();
    for (size_t i = 0; i < FSections.size(); ++i)
      if (!FSections[i].Erased) FIndex[Fold(FSections[i].Header.Name)].push_back(i);
    FIndexValid = true;
  }
  return FIndex;
}

const TIniDocument::TSection* TIniDocument::FindSection(std::string_view Section) const {
  const auto& index = SectionIndex();
  const auto it = index.find(Fold(TrimBlanks(Section)));
  return it == index.end() ? nullptr : &FSections[it->second.front()];
}

TIniDocument::TSection* TIniDocument::FindSection(std::string_view Section) {
  return const_cast<TSection*>(std::as_const(*this).FindSection(Section));
}

const std::unordered_map<std::string, size_t>& TIniDocument::KeyIndex(const TSection& S) const {
  if (!S.KeysValid) {
    S.Keys.clear();
    for (size_t i = 0; i < S.Lines.size(); ++i)
      if (S.Lines[i].Kind == lkKey) S.Keys.emplace(Fold(S.Lines[i].Name), i);
    S.KeysValid = true;
  }
  return S.Keys;
}

size_t TIniDocument::FindKey(const TSection& S, std::string_view Key) const {
  const std::string folded = Fold(TrimBlanks(Key));
  // A few keys are found as fast by looking at each: a file of many small sections is spared an index
  // for every one of them.
  if (!S.KeysValid && S.Lines.size() <= kScannedKeys) {
    for (size_t i = 0; i < S.Lines.size(); ++i)
      if (S.Lines[i].Kind == lkKey && FoldsTo(S.Lines[i].Name, folded)) return i;
    return npos;
  }
  const auto& keys = KeyIndex(S);
  const auto it = keys.find(folded);
  return it == keys.end() ? npos : it->second;
}

bool TIniDocument::ReadString(std::string_view Section, std::string_view Key, std::string& Value) const {
  const TSection* s = FindSection(Section);
  const size_t i = s ? FindKey(*s, Key) : npos;
  if (i == npos) return false;
  Value = s->Lines[i].Value;
  return true;
}

bool TIniDocument::SectionExists(std::string_view Section) const {
  const TSection* s = FindSection(Section);
  return s && std::any_of(s->Lines.begin(), s->Lines.end(), [](const TLine& l) { return l.Kind == lkKey; });
}

bool TIniDocument::ValueExists(std::string_view Section, std::string_view Key) const {
  const TSection* s = FindSection(Section);
  return s && FindKey(*s, Key) != npos;
}

std::vector<std::string> TIniDocument::SectionNames() const {
  // A section is listed where it first occurs, which is where the index points.
  const auto& index = SectionIndex();
  std::vector<std::string> names;
  for (size_t i = 0; i < FSections.size(); ++i) {
    const TSection& s = FSections[i];
    if (!s.Erased && index.at(Fold(s.Header.Name)).front() == i) names.push_back(s.Header.Name);
  }
  return names;
}

std::vector<std::string> TIniDocument::KeyNames(std::string_view Section) const {
  std::vector<std::string> names;
  for (auto& [name, value] : SectionValues(Section)) names.push_back(std::move(name));
  return names;
}

std::vector<std::pair<std::string, std::string>> TIniDocument::SectionValues(std::string_view Section) const {
  std::vector<std::pair<std::string, std::string>> values;
  const TSection* s = FindSection(Section);
  if (!s) return values;
  const auto& keys = KeyIndex(*s);
  for (size_t i = 0; i < s->Lines.size(); ++i) {
    const TLine& l = s->Lines[i];
    if (l.Kind == lkKey && keys.at(Fold(l.Name)) == i) values.emplace_back(l.Name, l.Value);
  }
  return values;
}

bool TIniDocument::ValidSection(std::string_view Section) {
  const std::string_view t = TrimBlanks(Section);
  return t.find_first_of("]\r\n") == std::string_view::npos;
}

bool TIniDocument::ValidKey(std::string_view Key) {
  return !Key.empty() && TrimBlanks(Key).size() == Key.size() && Key[0] != ';' && Key[0] != '[' &&
         Key.find_first_of("=\r\n") == std::string_view::npos;
}

bool TIniDocument::ValidValue(std::string_view Value) { return Value.find_first_of("\r\n") == std::string_view::npos; }

bool TIniDocument::WriteString(std::string_view Section, std::string_view Key, std::string_view Value) {
  if (!ValidSection(Section) || !ValidKey(Key) || !ValidValue(Value)) return false;
  TLine line;
  line.Kind = lkKey;
  line.Name = std::string(Key);
  line.Value = std::string(TrimBlanks(Value));
  line.Raw = line.Name + "=" + std::string(Value);
  TSection* s = FindSection(Section);
  if (!s) {
    TSection& added = FSections.emplace_back();
    added.Header.Kind = lkSection;
    added.Header.Name = std::string(TrimBlanks(Section));
    added.Header.Raw = "[" + added.Header.Name + "]";
    added.Lines.push_back(std::move(line));
    // FindSection left the index built; the new section is the only one of its name.
    FIndex[Fold(added.Header.Name)].push_back(FSections.size() - 1);
    return true;
  }
  if (const size_t i = FindKey(*s, Key); i != npos) {
    // Keep the key as the file spells it; only the value changes.
    line.Name = s->Lines[i].Name;
    line.Raw = line.Name + "=" + std::string(Value);
    s->Lines[i] = std::move(line);
    return true;
  }
  // After the section's last key; no key lies behind that place, so the key index only gains an entry.
  size_t at = s->Lines.size();
  while (at > 0 && s->Lines[at - 1].Kind != lkKey) --at;
  const std::string folded = Fold(line.Name);
  s->Lines.insert(s->Lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
  if (s->KeysValid) s->Keys.emplace(folded, at);
  return true;
}

bool TIniDocument::DeleteKey(std::string_view Section, std::string_view Key) {
  TSection* s = FindSection(Section);
  if (!s) return false;
  const std::string key = Fold(TrimBlanks(Key));
  const size_t before = s->Lines.size();
  std::erase_if(s->Lines, [&](const TLine& l) { return l.Kind == lkKey && Fold(l.Name) == key; });
  if (s->Lines.size() == before) return false;
  s->KeysValid = false;
  return true;
}

bool TIniDocument::EraseSection(std::string_view Section) {
  auto& index = SectionIndex();
  const auto it = index.find(Fold(TrimBlanks(Section)));
  if (it == index.end()) return false;
  for (const size_t i : it->second) {
    FSections[i] = TSection {};
    FSections[i].Erased = true;
  }
  FErased += it->second.size();
  index.erase(it);
  // Compacting moves the sections, so the index is rebuilt; done rarely, it costs little on the whole.
  if (FErased > FSections.size() / 2) {
    std::erase_if(FSections, [](const TSection& s) { return s.Erased; });
    FErased = 0;
    FIndexValid = false;
  }
  return true;
}

// ---- Files --------------------------------------------------------------------------------------------

namespace {

// What identifies a version of a file on disk.
struct TFileStamp {
  bool Exists { false };
  dev_t Dev { 0 };
  ino_t Ino { 0 };
  off_t Size { 0 };
  int64_t MTimeNs { 0 };
  int64_t CTimeNs { 0 };
  bool operator==(const TFileStamp&) const = default;
};

TFileStamp StampOf(const std::string& hostPath) {
  TFileStamp s;
  struct stat st;
  if (::stat(hostPath.c_str(), &st) != 0) return s;
  s.Exists = true;
  s.Dev = st.st_dev;
  s.Ino = st.st_ino;
  s.Size = st.st_size;
  s.MTimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  s.CTimeNs = static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return s;
}

bool ReadHostFile(const std::string& hostPath, std::string& content, bool missingIsEmpty) {
  content.clear();
  const int fd = OpenFileToLoad(hostPath);
  // A path through a plain file (ENOTDIR) names no file either.
  if (fd < 0) return missingIsEmpty && (errno == ENOENT || errno == ENOTDIR);
  const ScopeExit closeFile([fd] { ::close(fd); });
  // The limit is checked as the bytes come, so a file that grows while it is read is caught too.
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (content.size() + static_cast<size_t>(n) > MaxProfileFileSize) {
      errno = EFBIG;
      return false;
    }
    content.append(buf, static_cast<size_t>(n));
  }
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool WriteHostFile(const std::string& hostPath, std::string_view content) {
  static std::atomic<unsigned> counter { 0 };
  struct stat old;
  const bool hadFile = ::stat(hostPath.c_str(), &old) == 0;
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = hostPath + ".~" + std::to_string(::getpid()) + "." + std::to_string(counter++);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  bool ok = WriteAll(fd, content) && ::fsync(fd) == 0;
  if (ok && hadFile) ok = ::fchmod(fd, old.st_mode & 07777) == 0;
  int error = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(temp.c_str(), hostPath.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    errno = error;
  }
  return ok;
}

std::string HostKey(const std::string& gbkPath) {
  std::error_code ec;
  const std::filesystem::path p = std::filesystem::absolute(PathToHost(gbkPath), ec);
  return (ec ? std::filesystem::path(PathToHost(gbkPath)) : p).lexically_normal().string();
}

// One cached file.
struct TProfileEntry {
  TIniDocument Doc;
  bool Loaded { false };
  TFileStamp Stamp;
  int ReadError { 0 };  // errno of a file that exists but could not be read: never overwrite it
  int Holders { 0 };
  // Writes not yet on disk, replayed onto the file's new contents if another program changes it.
  std::vector<std::function<bool(TIniDocument&)>> Pending;
};

std::mutex& CacheLock() {
  static std::mutex lock;
  return lock;
}

std::map<std::string, TProfileEntry>& Cache() {
  static std::map<std::string, TProfileEntry> cache;
  return cache;
}

// Brings the entry up to date with the disk. Caller holds the lock.
void Refresh(const std::string& key, TProfileEntry& e) {
  const TFileStamp stamp = StampOf(key);
  if (e.Loaded && stamp == e.Stamp) return;
  std::string content;
  e.ReadError = ReadHostFile(key, content, true) ? 0 : errno;
  e.Doc.Parse(content);
  for (auto& write : e.Pending) write(e.Doc);
  e.Stamp = stamp;
  e.Loaded = true;
}

bool Flush(const std::string& key, TProfileEntry& e) {
  if (e.Pending.empty()) return true;
  Refresh(key, e);
  if (e.ReadError) {
    SetLastError(static_cast<DWORD>(e.ReadError));
    return false;
  }
  if (!WriteHostFile(key, e.Doc.Text())) {
    SetLastError(static_cast<DWORD>(errno));
    return false;
  }
  e.Pending.clear();
  e.Stamp = StampOf(key);
  return true;
}

// Copies a NUL-separated list into the caller's buffer, cutting it the way the profile API does.
DWORD CopyList(const std::vector<std::string>& items, LPSTR buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  if (size == 1) {
    buffer[0] = '\0';
    return 0;
  }
  std::string all;
  for (const auto& s : items) {
    all += s;
    all += '\0';
  }
  if (all.size() + 1 <= size) {
    std::memcpy(buffer, all.data(), all.size());
    buffer[all.size()] = '\0';
    return static_cast<DWORD>(all.size());
  }
  std::memcpy(buffer, all.data(), size - 2);
  buffer[size - 2] = '\0';
  buffer[size - 1] = '\0';
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size - 2;
}

}  // namespace

bool ReadProfileFile(const std::string& GbkPath, std::string& Content, bool MissingIsEmpty) {
  return ReadHostFile(PathToHost(GbkPath), Content, MissingIsEmpty);
}

bool WriteProfileFile(const std::string& GbkPath, std::string_view Content) {
  return WriteHostFile(HostKey(GbkPath), Content);
}

// ---- The cache ----------------------------------------------------------------------------------------

std::string ProfileAcquire(const std::string& GbkPath) {
  std::string key = HostKey(GbkPath);
  std::lock_guard<std::mutex> guard(CacheLock());
  ++Cache()[key].Holders;
  return key;
}

bool ProfileRelease(const std::string& Key) {
  std::lock_guard<std::mutex> guard(CacheLock());
  auto it = Cache().find(Key);
  if (it == Cache().end() || it->second.Holders == 0) return true;
  if (--it->second.Holders > 0) return true;
  return Flush(Key, it->second);
}

bool ProfileFlush(const std::string& Key) {
  std::lock_guard<std::mutex> guard(CacheLock());
  auto it = Cache().find(Key);
  return it == Cache().end() || Flush(Key, it->second);
}

void ProfileRead(const std::string& Key, const std::function<void(const TIniDocument&)>& Read) {
  std::lock_guard<std::mutex> guard(CacheLock());
  TProfileEntry& e = Cache()[Key];
  Refresh(Key, e);
  Read(e.Doc);
}

bool ProfileWrite(const std::string& Key, std::function<bool(TIniDocument&)> Write) {
  std::lock_guard<std::mutex> guard(CacheLock());
  TProfileEntry& e = Cache()[Key];
  Refresh(Key, e);
  if (!Write(e.Doc)) return true;
  e.Pending.push_back(std::move(Write));
  if (e.Holders > 0 || Flush(Key, e)) return true;
  // Nobody holds the file and the write failed: forget the change, as if it never happened.
  e.Pending.clear();
  e.Loaded = false;
  return false;
}

}  // namespace xj

// ---- The profile functions ----------------------------------------------------------------------------

namespace {

bool CheckFile(LPCSTR lpFileName) {
  if (lpFileName && *lpFileName) return true;
  SetLastError(ERROR_INVALID_PARAMETER);
  return false;
}

}  // namespace

DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                                      DWORD nSize, LPCSTR lpFileName) {
  if (!lpReturnedString || nSize == 0) return 0;
  lpReturnedString[0] = '\0';
  if (!CheckFile(lpFileName)) return 0;
  const std::string key = xj::HostKey(lpFileName);
  if (!lpAppName || !lpKeyName) {
    std::vector<std::string> names;
    xj::ProfileRead(
        key, [&](const xj::TIniDocument& doc) { names = lpAppName ? doc.KeyNames(lpAppName) : doc.SectionNames(); });
    return xj::CopyList(names, lpReturnedString, nSize);
  }
  std::string value;
  bool found = false;
  xj::ProfileRead(key, [&](const xj::TIniDocument& doc) { found = doc.ReadString(lpAppName, lpKeyName, value); });
  if (!found) value = lpDefault ? lpDefault : "";
  const size_t n = std::min<size_t>(value.size(), nSize - 1);
  std::memcpy(lpReturnedString, value.data(), n);
  lpReturnedString[n] = '\0';
  if (n < value.size()) SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return static_cast<DWORD>(n);
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName) {
  if (!lpAppName) {
    if (lpKeyName || lpString) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    if (lpFileName) return xj::ProfileFlush(xj::HostKey(lpFileName)) ? TRUE : FALSE;
    std::vector<std::string> keys;
    {
      std::lock_guard<std::mutex> guard(xj::CacheLock());
      for (auto& [k, e] : xj::Cache()) keys.push_back(k);
    }
    bool ok = true;
    for (const auto& k : keys) ok = xj::ProfileFlush(k) && ok;
    return ok ? TRUE : FALSE;
  }
  if (!CheckFile(lpFileName)) return FALSE;
  const std::string section = lpAppName;
  std::function<bool(xj::TIniDocument&)> write;
  if (!lpKeyName) {
    write = [section](xj::TIniDocument& doc) { return doc.EraseSection(section); };
  } else if (!lpString) {
    const std::string key = lpKeyName;
    write = [section, key](xj::TIniDocument& doc) { return doc.DeleteKey(section, key); };
  } else {
    const std::string key = lpKeyName;
    const std::string value = lpString;
    if (!xj::TIniDocument::ValidSection(section) || !xj::TIniDocument::ValidKey(key) ||
        !xj::TIniDocument::ValidValue(value)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    write = [section, key, value](xj::TIniDocument& doc) { return doc.WriteString(section, key, value); };
  }
  return xj::ProfileWrite(xj::HostKey(lpFileName), std::move(write)) ? TRUE : FALSE;
}

UINT WINAPI GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName) {
  if (!lpAppName || !lpKeyName || !CheckFile(lpFileName)) return static_cast<UINT>(nDefault);
  std::string value;
  bool found = false;
  xj::ProfileRead(xj::HostKey(lpFileName),
                  [&](const xj::TIniDocument& doc) { found = doc.ReadString(lpAppName, lpKeyName, value); });
  int result = nDefault;
  if (!found || !xj::ProfileStrToInt(value, result)) result = nDefault;
  return static_cast<UINT>(result);
}

DWORD WINAPI GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
  if (!lpReturnedString || nSize == 0) return 0;
  lpReturnedString[0] = '\0';
  if (!lpAppName || !CheckFile(lpFileName)) return 0;
  std::vector<std::string> entries;
  xj::ProfileRead(xj::HostKey(lpFileName), [&](const xj::TIniDocument& doc) {
    for (auto& [k, v] : doc.SectionValues(lpAppName)) entries.push_back(k + "=" + v);
  });
  return xj::CopyList(entries, lpReturnedString, nSize);
}

DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR lpszReturnBuffer, DWORD nSize, LPCSTR lpFileName) {
  return GetPrivateProfileStringA(nullptr, nullptr, nullptr, lpszReturnBuffer, nSize, lpFileName);
}
