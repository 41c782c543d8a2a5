// The INI parser and the profile functions with their per-file cache.

#include "platform/win32/Profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
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

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// Whether two names are the same once ASCII letters are upper-cased, stepping over double-byte
// characters whole (their trail bytes are never folded).
bool SameName(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  const char* p = A.data();
  const char* q = B.data();
  const char* end = p + A.size();
  while (p < end) {
    const int n = GbkCharLength(p, end);
    if (n != GbkCharLength(q, q + (end - p))) return false;
    if (n == 1 ? Upper(*p) != Upper(*q) : std::memcmp(p, q, 2) != 0) return false;
    p += n;
    q += n;
  }
  return true;
}

// The hash SameName agrees with (FNV-1a over the folded bytes), seeded per process so that a text
// cannot be made of names that all fall on one slot.
uint32_t NameHash(std::string_view Name) {
  static const uint64_t seed = [] {
    static const int here = 0;
    return 0xCBF29CE484222325ull ^ reinterpret_cast<uintptr_t>(&here) ^ static_cast<uint64_t>(::time(nullptr)) ^
           static_cast<uint64_t>(::getpid()) << 40;
  }();
  uint64_t h = seed;
  const char* p = Name.data();
  const char* end = p + Name.size();
  while (p < end) {
    const int n = GbkCharLength(p, end);
    for (int i = 0; i < n; ++i, ++p) h = (h ^ static_cast<unsigned char>(n == 1 ? Upper(*p) : *p)) * 0x100000001B3ull;
  }
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ull;
  return static_cast<uint32_t>(h ^ (h >> 32));
}

// One line of a text: its bytes, and where the next line starts. CR, LF and CR LF end a line.
struct TTextLine {
  std::string_view Text;
  size_t Next;
};

TTextLine LineAt(std::string_view Text, size_t Pos) {
  size_t end = Pos;
  while (end < Text.size() && Text[end] != '\r' && Text[end] != '\n') ++end;
  size_t next = end;
  if (next < Text.size() && Text[next] == '\r') ++next;
  if (next < Text.size() && Text[next] == '\n') ++next;
  return { Text.substr(Pos, end - Pos), next };
}

bool IsHeader(std::string_view Line) {
  const std::string_view t = TrimBlanks(Line);
  return !t.empty() && t[0] == '[';
}

// Up to the last ']'; a header without one runs to the end of the line.
std::string_view HeaderName(std::string_view Line) {
  const std::string_view t = TrimBlanks(Line).substr(1);
  return TrimBlanks(t.substr(0, t.rfind(']')));
}

// A line of a section that is not blank, a comment or a header, and has a name before its first '='.
bool IsKey(std::string_view Line) {
  const std::string_view t = TrimBlanks(Line);
  if (t.empty() || t[0] == ';' || t[0] == '[') return false;
  const size_t eq = t.find('=');
  return eq != std::string_view::npos && !TrimBlanks(t.substr(0, eq)).empty();
}

std::string_view KeyNameOf(std::string_view Line) {
  const std::string_view t = TrimBlanks(Line);
  return TrimBlanks(t.substr(0, t.find('=')));
}

std::string_view KeyValueOf(std::string_view Line) {
  const std::string_view t = TrimBlanks(Line);
  return TrimBlanks(t.substr(t.find('=') + 1));
}

// Where the first header line at or after Pos starts, or the text's end.
size_t SkipToHeader(std::string_view Text, size_t Pos) {
  while (Pos < Text.size()) {
    const TTextLine line = LineAt(Text, Pos);
    if (IsHeader(line.Text)) return Pos;
    Pos = line.Next;
  }
  return Text.size();
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

// ---- Name tables --------------------------------------------------------------------------------------

namespace {

constexpr size_t kNotFound = static_cast<size_t>(-1);

uint64_t Slot(uint32_t Hash, size_t Pos) { return uint64_t { Hash } << 32 | (Pos + 1); }
size_t SlotPos(uint64_t Slot) { return static_cast<size_t>(Slot & 0xFFFFFFFFu) - 1; }
uint32_t SlotHash(uint64_t Slot) { return static_cast<uint32_t>(Slot >> 32); }

// Where Name's slot is, or the empty slot that ends its probe.
template <class Table, class NameOf>
size_t Probe(const Table& T, std::string_view Name, uint32_t Hash, NameOf Names) {
  const size_t mask = T.Slots.size() - 1;
  for (size_t i = Hash & mask;; i = (i + 1) & mask) {
    const uint64_t s = T.Slots[i];
    if (s == 0 || (SlotHash(s) == Hash && SameName(Names(SlotPos(s)), Name))) return i;
  }
}

template <class Table, class NameOf>
size_t FindName(const Table& T, std::string_view Name, NameOf Names) {
  if (T.Slots.empty()) return kNotFound;
  const uint64_t s = T.Slots[Probe(T, Name, NameHash(Name), Names)];
  return s == 0 ? kNotFound : SlotPos(s);
}

template <class Table>
void Grow(Table& T) {
  std::vector<uint64_t> old(std::max<size_t>(16, T.Slots.size() * 2));
  old.swap(T.Slots);
  const size_t mask = T.Slots.size() - 1;
  for (const uint64_t s : old) {
    if (s == 0) continue;
    size_t i = SlotHash(s) & mask;
    while (T.Slots[i] != 0) i = (i + 1) & mask;
    T.Slots[i] = s;
  }
}

// Enters Pos under Name unless the name is there already. Positions stay below 2^32 - 1: no text that
// fits in memory has that many sections or keys in a section.
template <class Table, class NameOf>
void AddName(Table& T, size_t Pos, std::string_view Name, NameOf Names) {
  if ((T.Count + 1) * 4 > T.Slots.size() * 3) Grow(T);
  const uint32_t hash = NameHash(Name);
  uint64_t& s = T.Slots[Probe(T, Name, hash, Names)];
  if (s != 0) return;
  s = Slot(hash, Pos);
  ++T.Count;
}

// Takes Pos out, moving back the slots after it that probed past it.
template <class Table>
void RemovePos(Table& T, size_t Pos, std::string_view Name) {
  const size_t mask = T.Slots.size() - 1;
  size_t i = NameHash(Name) & mask;
  while (SlotPos(T.Slots[i]) != Pos) i = (i + 1) & mask;
  for (size_t j = (i + 1) & mask; T.Slots[j] != 0; j = (j + 1) & mask) {
    const size_t home = SlotHash(T.Slots[j]) & mask;
    // The slot at j may fill the hole at i when its home is not within (i, j], cyclically.
    const bool between = i <= j ? (home > i && home <= j) : (home > i || home <= j);
    if (between) continue;
    T.Slots[i] = T.Slots[j];
    i = j;
  }
  T.Slots[i] = 0;
  --T.Count;
}

// Hands each key line (without its line break) and each run of other lines (with theirs) from Pos on to
// Emit, up to the next header; returns where that header starts, or the text's end.
template <class MakeSpan, class EmitSpan>
size_t WalkBody(std::string_view Text, size_t Pos, MakeSpan Make, EmitSpan Emit) {
  size_t run = kNotFound;
  while (Pos < Text.size()) {
    const TTextLine line = LineAt(Text, Pos);
    if (IsHeader(line.Text)) break;
    if (IsKey(line.Text)) {
      if (run != kNotFound) Emit(Make(run, Pos - run, false));
      run = kNotFound;
      Emit(Make(Pos, line.Text.size(), true));
    } else if (run == kNotFound) {
      run = Pos;
    }
    Pos = line.Next;
  }
  if (run != kNotFound) Emit(Make(run, Pos - run, false));
  return Pos;
}

// About what a deque holds: its items in blocks of 512 bytes (or of one item when it is larger), and a
// map of the blocks.
template <class T>
size_t DequeBytes(const std::deque<T>& D) {
  const size_t perBlock = sizeof(T) < 512 ? 512 / sizeof(T) : 1;
  return (D.size() / perBlock + 1) * perBlock * sizeof(T) + (D.size() / perBlock + 8) * sizeof(void*);
}

}  // namespace

// ---- TIniDocument -------------------------------------------------------------------------------------

TIniDocument::TIniDocument() = default;
TIniDocument::~TIniDocument() = default;
TIniDocument::TIniDocument(TIniDocument&&) = default;
TIniDocument& TIniDocument::operator=(TIniDocument&&) = default;

std::string_view TIniDocument::At(const TSpan& S) const {
  return std::string_view(S.Added ? FAdded : FText).substr(S.Off, S.Len);
}

std::string_view TIniDocument::SectionName(const TSection& S) const { return HeaderName(At(S.Header)); }

std::string_view TIniDocument::KeyName(const TSpan& S) const { return KeyNameOf(At(S)); }

void TIniDocument::Parse(std::string Text) {
  Clear();
  FText = std::move(Text);
  const std::string_view text = FText;
  const size_t start = text.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;
  FLive = text.size() - start;
  size_t pos = SkipToHeader(text, start);
  if (pos > start) FPreamble = TSpan { start, pos - start, kRun };
  while (pos < text.size())
    pos = FindSection(HeaderName(LineAt(text, pos).Text)) == npos ? ParseSection(pos) : ParseRepeated(pos);
}

// A first occurrence: its header and body. The body's pieces are counted before they are stored, so a
// section of millions of keys holds no room for more.
size_t TIniDocument::ParseSection(size_t Pos) {
  const std::string_view text = FText;
  const TTextLine header = LineAt(text, Pos);
  FSections.emplace_back().Header = TSpan { Pos, header.Text.size(), kHeader };
  AddName(FIndex, FSections.size() - 1, HeaderName(header.Text),
          [this](size_t i) { return SectionName(FSections[i]); });
  auto make = [](size_t off, size_t len, bool key) { return TSpan { off, len, key ? kKey : kRun }; };
  size_t pieces = 0;
  WalkBody(text, header.Next, make, [&](const TSpan&) { ++pieces; });
  std::vector<TSpan>& body = FSections.back().Body;
  body.reserve(pieces);
  return WalkBody(text, header.Next, make, [&](const TSpan& s) { body.push_back(s); });
}

// Later occurrences of the section at Pos, one after the other, with their lines: one stretch of text
// that is written back and never read.
size_t TIniDocument::ParseRepeated(size_t Pos) {
  const std::string_view text = FText;
  const std::string_view name = HeaderName(LineAt(text, Pos).Text);
  size_t end = LineAt(text, Pos).Next;
  for (;;) {
    end = SkipToHeader(text, end);
    if (end == text.size() || !SameName(HeaderName(LineAt(text, end).Text), name)) break;
    end = LineAt(text, end).Next;
  }
  FRepeated.push_back(TRepeated { TSpan { Pos, end - Pos, kRepeated }, FSections.size() });
  ++FRepeatedLive;
  return end;
}

void TIniDocument::AppendLines(std::string& Out, const TSpan& S) const {
  const std::string_view text = At(S);
  for (size_t pos = 0; pos < text.size();) {
    const TTextLine line = LineAt(text, pos);
    Out += line.Text;
    Out += "\r\n";
    pos = line.Next;
  }
}

std::string TIniDocument::Text() const {
  std::string out;
  out.reserve(FLive);
  auto repeated = FRepeated.begin();
  auto repeatedAfter = [&](size_t sections) {
    for (; repeated != FRepeated.end() && repeated->After == sections; ++repeated) AppendLines(out, repeated->Text);
  };
  AppendLines(out, FPreamble);
  repeatedAfter(0);
  for (size_t i = 0; i < FSections.size(); ++i) {
    AppendLines(out, FSections[i].Header);
    for (const TSpan& piece : FSections[i].Body) AppendLines(out, piece);
    repeatedAfter(i + 1);
  }
  return out;
}

void TIniDocument::Clear() { *this = TIniDocument(); }

// What TIniDocument builds, by its own figures: a piece of 16 bytes for each key line and each run of
// other lines in a section; for a section, its record (48 bytes), its share of the blocks of the list of
// sections (8), its slot in the index of sections while that grows (up to 32: 8-byte slots kept under
// three quarters full, the old ones beside the new) and the allocation of its array of pieces (16); for
// a turn of later occurrences of a section, its record (24) and share (8), its lines kept as text alone;
// for a section of more than 16 pieces, the table its keys are found by once one is looked up (48 bytes,
// 16 slots at least, up to 32 bytes a key while it grows). It is counted before the parse, so that
// records that would not fit are refused before they are built; a line that may be read two ways counts
// the dearer way: a header of another text than the one before it as a new section, a line holding '='
// as a key, every key as a distinct name.
int64_t IniRecordBytes(std::string_view Text) {
  constexpr int64_t kPiece = 16, kSection = 104, kTurn = 32, kTable = 48 + 16 * 8, kKey = 32, kScanned = 16;
  constexpr int64_t kDocument = 1024;  // the first block of each list, the smallest index
  if (Text.starts_with(kUtf8Bom)) Text.remove_prefix(kUtf8Bom.size());
  int64_t bytes = kDocument, pieces = 0, keys = 0;
  std::string_view header;
  bool inSection = false, inTurn = false, inRun = false;
  auto endSection = [&] {
    bytes += kPiece * pieces + (pieces > kScanned ? kTable + kKey * keys : 0);
    pieces = keys = 0;
  };
  for (size_t pos = 0; pos < Text.size();) {
    const TTextLine line = LineAt(Text, pos);
    pos = line.Next;
    const std::string_view Line = line.Text;
    const size_t first = Line.find_first_not_of(" \t");
    if (first != std::string_view::npos && Line[first] == '[') {
      endSection();
      const bool again = inSection && Line == header;
      bytes += again ? (inTurn ? 0 : kTurn) : kSection;
      inTurn = again;
      inSection = true;
      inRun = false;
      header = Line;
      continue;
    }
    if (!inSection || inTurn) continue;  // text before the first section, or in a turn: its bytes alone
    const bool key = Line.find('=') != std::string_view::npos;
    pieces += key || !inRun ? 1 : 0;
    keys += key ? 1 : 0;
    inRun = !key;
  }
  endSection();
  return bytes;
}

size_t TIniDocument::MemorySize() const {
  auto table = [](const TNameTable& t) { return t.Slots.capacity() * sizeof(uint64_t); };
  size_t bytes = FText.capacity() + FAdded.capacity() + DequeBytes(FSections) + table(FIndex) + DequeBytes(FRepeated) +
                 FRepeatedIndex.capacity() * sizeof(uint64_t);
  for (const TSection& s : FSections) {
    bytes += s.Body.capacity() * sizeof(TSpan);
    if (s.Keys) bytes += sizeof(TNameTable) + table(*s.Keys);
  }
  return bytes;
}

size_t TIniDocument::FindSection(std::string_view Name) const {
  return FindName(FIndex, Name, [this](size_t i) { return SectionName(FSections[i]); });
}

const TIniDocument::TNameTable& TIniDocument::KeyTable(const TSection& S) const {
  if (!S.Keys) {
    auto table = std::make_unique<TNameTable>();
    auto names = [&](size_t i) { return KeyName(S.Body[i]); };
    for (size_t i = 0; i < S.Body.size(); ++i)
      if (S.Body[i].Kind == kKey) AddName(*table, i, names(i), names);
    S.Keys = std::move(table);
  }
  return *S.Keys;
}

size_t TIniDocument::FindKey(const TSection& S, std::string_view Key) const {
  // A few keys are found as fast by looking at each: a file of many small sections is spared a table
  // for every one of them.
  if (!S.Keys && S.Body.size() <= kScannedKeys) {
    for (size_t i = 0; i < S.Body.size(); ++i)
      if (S.Body[i].Kind == kKey && SameName(KeyName(S.Body[i]), Key)) return i;
    return npos;
  }
  return FindName(KeyTable(S), Key, [&](size_t i) { return KeyName(S.Body[i]); });
}

bool TIniDocument::ReadString(std::string_view Section, std::string_view Key, std::string& Value) const {
  const size_t s = FindSection(TrimBlanks(Section));
  const size_t k = s == npos ? npos : FindKey(FSections[s], TrimBlanks(Key));
  if (k == npos) return false;
  Value = KeyValueOf(At(FSections[s].Body[k]));
  return true;
}

bool TIniDocument::SectionExists(std::string_view Section) const {
  const size_t s = FindSection(TrimBlanks(Section));
  return s != npos && std::any_of(FSections[s].Body.begin(), FSections[s].Body.end(),
                                  [](const TSpan& piece) { return piece.Kind == kKey; });
}

bool TIniDocument::ValueExists(std::string_view Section, std::string_view Key) const {
  const size_t s = FindSection(TrimBlanks(Section));
  return s != npos && FindKey(FSections[s], TrimBlanks(Key)) != npos;
}

std::vector<std::string> TIniDocument::SectionNames() const {
  std::vector<std::string> names;
  for (const TSection& s : FSections)
    if (s.Header.Kind == kHeader) names.emplace_back(SectionName(s));
  return names;
}

std::vector<std::string> TIniDocument::KeyNames(std::string_view Section) const {
  std::vector<std::string> names;
  for (auto& [name, value] : SectionValues(Section)) names.push_back(std::move(name));
  return names;
}

std::vector<std::pair<std::string, std::string>> TIniDocument::SectionValues(std::string_view Section) const {
  std::vector<std::pair<std::string, std::string>> values;
  const size_t s = FindSection(TrimBlanks(Section));
  if (s == npos) return values;
  const TSection& section = FSections[s];
  for (size_t i = 0; i < section.Body.size(); ++i) {
    const TSpan& piece = section.Body[i];
    if (piece.Kind == kKey && FindKey(section, KeyName(piece)) == i)
      values.emplace_back(KeyName(piece), KeyValueOf(At(piece)));
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

TIniDocument::TSpan TIniDocument::AddText(std::string_view Text, TKind Kind) {
  const TSpan span { FAdded.size(), Text.size(), Kind, 1 };
  FAdded += Text;
  FLive += Text.size();
  return span;
}

bool TIniDocument::WriteString(std::string_view Section, std::string_view Key, std::string_view Value) {
  if (!ValidSection(Section) || !ValidKey(Key) || !ValidValue(Value)) return false;
  const std::string_view name = TrimBlanks(Section);
  const size_t s = FindSection(name);
  if (s == npos) {
    TSection& added = FSections.emplace_back();
    added.Header = AddText("[" + std::string(name) + "]", kHeader);
    added.Body.push_back(AddText(std::string(Key) + "=" + std::string(Value), kKey));
    AddName(FIndex, FSections.size() - 1, name, [this](size_t i) { return SectionName(FSections[i]); });
    return true;
  }
  TSection& section = FSections[s];
  if (const size_t k = FindKey(section, Key); k != npos) {
    // Keep the key as the file spells it; only the value changes.
    const std::string line = std::string(KeyName(section.Body[k])) + "=" + std::string(Value);
    FLive -= section.Body[k].Len;
    section.Body[k] = AddText(line, kKey);
    DropGarbage();
    return true;
  }
  // After the section's last key; no key lies behind that place, so the key table only gains an entry.
  size_t at = section.Body.size();
  while (at > 0 && section.Body[at - 1].Kind != kKey) --at;
  section.Body.insert(section.Body.begin() + static_cast<std::ptrdiff_t>(at),
                      AddText(std::string(Key) + "=" + std::string(Value), kKey));
  if (section.Keys) AddName(*section.Keys, at, Key, [&](size_t i) { return KeyName(section.Body[i]); });
  return true;
}

bool TIniDocument::DeleteKey(std::string_view Section, std::string_view Key) {
  const size_t s = FindSection(TrimBlanks(Section));
  if (s == npos) return false;
  const std::string_view key = TrimBlanks(Key);
  std::vector<TSpan>& body = FSections[s].Body;
  const size_t live = FLive;
  std::erase_if(body, [&](const TSpan& piece) {
    if (piece.Kind != kKey || !SameName(KeyName(piece), key)) return false;
    FLive -= piece.Len;
    return true;
  });
  if (FLive == live) return false;
  FSections[s].Keys.reset();
  DropGarbage();
  return true;
}

bool TIniDocument::EraseSection(std::string_view Section) {
  const std::string_view name = TrimBlanks(Section);
  const size_t s = FindSection(name);
  // A section is repeated only after its first occurrence, and goes with it.
  if (s == npos) return false;
  TSection& section = FSections[s];
  RemovePos(FIndex, s, SectionName(section));
  FLive -= section.Header.Len;
  for (const TSpan& piece : section.Body) FLive -= piece.Len;
  section = TSection {};
  section.Header.Kind = kErased;
  ++FErased;
  EraseRepeated(name);
  DropErased();
  DropGarbage();
  return true;
}

// Found through an index by name built when first needed: the repeated sections only ever lose items,
// which stay in place, so it stays right.
void TIniDocument::EraseRepeated(std::string_view Name) {
  if (FRepeatedLive == 0) return;
  auto nameOf = [this](const TRepeated& r) { return HeaderName(LineAt(At(r.Text), 0).Text); };
  if (FRepeatedIndex.empty()) {
    FRepeatedIndex.reserve(FRepeated.size());
    for (size_t i = 0; i < FRepeated.size(); ++i)
      if (FRepeated[i].Text.Kind == kRepeated)
        FRepeatedIndex.push_back(uint64_t { NameHash(nameOf(FRepeated[i])) } << 32 | i);
    std::sort(FRepeatedIndex.begin(), FRepeatedIndex.end());
  }
  const uint32_t hash = NameHash(Name);
  auto it = std::lower_bound(FRepeatedIndex.begin(), FRepeatedIndex.end(), uint64_t { hash } << 32);
  for (; it != FRepeatedIndex.end() && SlotHash(*it) == hash; ++it) {
    TRepeated& r = FRepeated[*it & 0xFFFFFFFFu];
    if (r.Text.Kind != kRepeated || !SameName(nameOf(r), Name)) continue;
    FLive -= r.Text.Len;
    r.Text = TSpan { 0, 0, kErased };
    --FRepeatedLive;
  }
  if (FRepeatedLive > 0) return;
  FRepeated.clear();
  std::vector<uint64_t>().swap(FRepeatedIndex);
}

// Compacting moves the sections, so the index is built again and the repeated sections learn how many
// sections now come before them; done rarely, it costs little on the whole.
void TIniDocument::DropErased() {
  if (FErased <= FSections.size() / 2) return;
  std::vector<size_t> kept(FSections.size() + 1, 0);
  for (size_t i = 0; i < FSections.size(); ++i) kept[i + 1] = kept[i] + (FSections[i].Header.Kind != kErased);
  for (TRepeated& r : FRepeated) r.After = kept[r.After];
  std::erase_if(FSections, [](const TSection& s) { return s.Header.Kind == kErased; });
  FErased = 0;
  IndexSections();
}

void TIniDocument::IndexSections() {
  FIndex = TNameTable {};
  for (size_t i = 0; i < FSections.size(); ++i)
    if (FSections[i].Header.Kind == kHeader)
      AddName(FIndex, i, SectionName(FSections[i]), [this](size_t j) { return SectionName(FSections[j]); });
}

// Copies what is still referred to into one new text once the bytes nothing refers to are over half.
void TIniDocument::DropGarbage() {
  if (FText.size() + FAdded.size() - FLive <= FLive) return;
  std::string text;
  text.reserve(FLive);
  auto keep = [&](TSpan& s) {
    const std::string_view bytes = At(s);
    s.Off = text.size();
    s.Added = 0;
    text += bytes;
  };
  keep(FPreamble);
  for (TSection& s : FSections) {
    keep(s.Header);
    for (TSpan& piece : s.Body) keep(piece);
  }
  for (TRepeated& r : FRepeated) keep(r.Text);
  FText.swap(text);
  std::string().swap(FAdded);
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
  // A file over the limit is refused before a byte is read; the limit is checked again as the bytes
  // come, so a file that grows while it is read is caught too.
  struct stat st;
  if (::fstat(fd, &st) == 0) {
    if (static_cast<uint64_t>(st.st_size) > MaxProfileFileSize) {
      errno = EFBIG;
      return false;
    }
    content.reserve(static_cast<size_t>(st.st_size));
  }
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
  e.Doc.Parse(std::move(content));
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
