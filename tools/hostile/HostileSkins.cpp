#include "tools/hostile/HostileSkins.h"

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <stdexcept>

#include "tools/hostile/HostileSkinsPrivate.h"
#include "tools/mkskin/SkinFiles.h"
#include "tools/mkskin/TestSkin.h"

namespace hostile {

namespace fs = std::filesystem;
using detail::Bytes;
using detail::FamilyDef;
using detail::FileBytes;
using detail::Files;
using detail::Maker;
using detail::Pictures;
using detail::Put16;
using detail::Put32;
using detail::Rng;
using detail::Text;
using mkskin::IniSection;
using mkskin::Picture;
using mkskin::Skin;
using mkskin::SkinPicture;

namespace detail {

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

void Put16(Bytes& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void Append16(Bytes& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Append32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::vector<std::pair<std::string, Bytes>> Files(const Skin& skin) {
  std::vector<std::pair<std::string, Bytes>> out { { "skin.ini", Text(mkskin::IniText(skin)) } };
  std::vector<std::string> seen;
  auto add = [&](const SkinPicture& p) {
    if (std::find(seen.begin(), seen.end(), p.fileName) != seen.end()) return;
    seen.push_back(p.fileName);
    out.emplace_back(p.fileName, mkskin::BmpBytes(p.picture));
  };
  add(skin.picture);
  add(skin.inactivePicture);
  add(skin.mask);
  for (const SkinPicture& p : skin.activePictures) add(p);
  return out;
}

Bytes* FileBytes(Input& in, const std::string& name) {
  for (auto& [n, b] : in.files)
    if (n == name) return &b;
  return nullptr;
}

std::vector<SkinPicture*> Pictures(Skin& skin) {
  std::vector<SkinPicture*> out { &skin.picture, &skin.inactivePicture, &skin.mask };
  for (SkinPicture& p : skin.activePictures) out.push_back(&p);
  return out;
}

}  // namespace detail

namespace {

// ---- The skin as data -----------------------------------------------------------------------------------

struct KeyRef {
  size_t section, key;
};

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::vector<KeyRef> KeysWhere(const Skin& skin, const std::function<bool(const std::string&)>& take) {
  std::vector<KeyRef> out;
  for (size_t s = 0; s < skin.ini.size(); ++s)
    for (size_t k = 0; k < skin.ini[s].keys.size(); ++k)
      if (take(skin.ini[s].keys[k].first)) out.push_back({ s, k });
  return out;
}

std::string& Value(Skin& skin, const KeyRef& r) { return skin.ini[r.section].keys[r.key].second; }
std::string Where(const Skin& skin, const KeyRef& r) {
  return "[" + skin.ini[r.section].name + "] " + skin.ini[r.section].keys[r.key].first;
}

IniSection* Section(Skin& skin, const std::string& name) {
  for (IniSection& s : skin.ini)
    if (s.name == name) return &s;
  return nullptr;
}

std::string* Key(IniSection* s, const std::string& key) {
  if (!s) return nullptr;
  for (auto& [k, v] : s->keys)
    if (k == key) return &v;
  return nullptr;
}

bool IsRectKey(const std::string& k) { return EndsWith(k, "rect") || k == "disableskinrsect" || k == "maskrectarea"; }
bool IsPointKey(const std::string& k) { return EndsWith(k, "point"); }
bool IsPictureIndexKey(const std::string& k) { return EndsWith(k, "pictureindex") || k == "activepicturescount"; }

std::vector<int> Numbers(const std::string& v) {
  std::vector<int> out;
  size_t i = 0;
  while (i <= v.size()) {
    const size_t comma = v.find(',', i);
    const std::string part = v.substr(i, comma == std::string::npos ? std::string::npos : comma - i);
    try {
      out.push_back(std::stoi(part));
    } catch (const std::exception&) {
      out.push_back(0);
    }
    if (comma == std::string::npos) break;
    i = comma + 1;
  }
  return out;
}

std::string Joined(const std::vector<int64_t>& n) {
  std::string out;
  for (size_t i = 0; i < n.size(); ++i) (out += i ? "," : "") += std::to_string(n[i]);
  return out;
}

// The records of [SKINOBJECTS] and [SKINCONTROLS]: list entry key and "name:class" value.
std::vector<KeyRef> RecordEntries(const Skin& skin) {
  std::vector<KeyRef> out;
  for (size_t s = 0; s < skin.ini.size(); ++s) {
    if (skin.ini[s].name != "SKINOBJECTS" && skin.ini[s].name != "SKINCONTROLS") continue;
    for (size_t k = 0; k < skin.ini[s].keys.size(); ++k)
      if (skin.ini[s].keys[k].first != "count") out.push_back({ s, k });
  }
  return out;
}

// ---- Files ----------------------------------------------------------------------------------------------

// A bitmap file of any size without holding its pixels first: headers, a grey palette for 1 and 8 bits,
// rows of zero bytes (black, the inside of a mask).
Bytes BlankBmp(int width, int height, int bits) {
  const int colours = bits <= 8 ? 1 << bits : 0;
  const uint64_t stride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
  const uint64_t pixels = stride * static_cast<uint64_t>(height);
  const uint32_t offset = 14 + 40 + 4 * colours;
  Bytes b(offset + pixels, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<uint32_t>(b.size()));
  Put32(b, 10, offset);
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<uint32_t>(width));
  Put32(b, 22, static_cast<uint32_t>(height));
  Put16(b, 26, 1);
  Put16(b, 28, static_cast<uint16_t>(bits));
  Put32(b, 34, static_cast<uint32_t>(pixels));
  for (int i = 0; i < colours; ++i) {
    const uint8_t g = static_cast<uint8_t>(colours == 2 ? i * 255 : i);
    b[54 + 4 * i] = b[55 + 4 * i] = b[56 + 4 * i] = g;
  }
  return b;
}

// ---- The families ---------------------------------------------------------------------------------------

// Values that break an integer somewhere: the ends of int, just past the pictures, signs, overflow.
const std::vector<int64_t> kWild { -1,         -2,         0,          1,      255,    256,         647,
                                   648,        4096,       32767,      32768,  65535,  65536,       100000,
                                   1073741824, 2147483600, 2147483647, -32768, -65536, -2147483647, -2147483648LL };

void PictureIndexes(Skin& skin, Rng& rng, int k, Input& in) {
  const std::vector<std::string> values { "-2",          "9",   "10", "1000", "2147483647", "-2147483648",
                                          "99999999999", "abc", "",   "0x5",  "3.5",        "-1" };
  auto keys = KeysWhere(skin, IsPictureIndexKey);
  const std::string value = values[static_cast<size_t>(k) % values.size()];
  const bool every = k % 5 == 4;
  const int n = every ? static_cast<int>(keys.size()) : rng.Between(1, 3);
  in.what = (every ? "every picture index = " : "picture index = ") + value;
  for (int i = 0; i < n; ++i) {
    const KeyRef r = every ? keys[static_cast<size_t>(i)] : rng.Pick(keys);
    Value(skin, r) = value;
    if (!every) in.what += "; " + Where(skin, r);
  }
}

// One rectangle key (or several) rewritten by `change`, which gets the old four numbers.
void Rects(Skin& skin, Rng& rng, int k, Input& in, const std::string& label,
           const std::function<std::vector<int64_t>(std::vector<int>, Rng&)>& change) {
  auto keys = KeysWhere(skin, IsRectKey);
  // Now and then the frame's own rectangles, which every form paint uses.
  if (k % 4 == 3) {
    keys.clear();
    for (const KeyRef& r : KeysWhere(skin, IsRectKey))
      if (skin.ini[r.section].name == "FORMINFO") keys.push_back(r);
  }
  const int n = k % 3 == 2 ? rng.Between(4, 12) : 1;
  in.what = label;
  for (int i = 0; i < n; ++i) {
    const KeyRef r = rng.Pick(keys);
    std::vector<int> old = Numbers(Value(skin, r));
    old.resize(4, 0);
    Value(skin, r) = Joined(change(old, rng));
    in.what += "; " + Where(skin, r) + "=" + Value(skin, r);
  }
}

void RectOutside(Skin& skin, Rng& rng, int k, Input& in) {
  Rects(skin, rng, k, in, "rectangle outside its picture", [k](std::vector<int> o, Rng& r) -> std::vector<int64_t> {
    switch (k % 5) {
      case 0:
        return { o[0], o[1], o[2] + r.Between(300, 4000), o[3] };
      case 1:
        return { 1, -3936, 3393, 32767 };
      case 2:
        return { -r.Between(1, 500), -r.Between(1, 500), o[2], o[3] };
      case 3:
        return { 700 + r.Below(900), 700 + r.Below(900), 1700 + r.Below(900), 1700 + r.Below(900) };
      default:
        return { o[0], o[1] + 600, o[2], o[3] + 900 };
    }
  });
}

void RectInverted(Skin& skin, Rng& rng, int k, Input& in) {
  Rects(skin, rng, k, in, "inverted rectangle", [k](std::vector<int> o, Rng&) -> std::vector<int64_t> {
    switch (k % 3) {
      case 0:
        return { o[2], o[1], o[0], o[3] };
      case 1:
        return { o[0], o[3], o[2], o[1] };
      default:
        return { o[2], o[3], o[0], o[1] };
    }
  });
}

void RectZero(Skin& skin, Rng& rng, int k, Input& in) {
  Rects(skin, rng, k, in, "empty rectangle", [k](std::vector<int> o, Rng&) -> std::vector<int64_t> {
    switch (k % 4) {
      case 0:
        return { o[0], o[1], o[0], o[3] };
      case 1:
        return { o[0], o[1], o[2], o[1] };
      case 2:
        return { o[0], o[1], o[0], o[1] };
      default:
        return { 0, 0, 0, 0 };
    }
  });
}

void RectHuge(Skin& skin, Rng& rng, int k, Input& in) {
  Rects(skin, rng, k, in, "huge rectangle", [k](std::vector<int> o, Rng& r) -> std::vector<int64_t> {
    switch (k % 6) {
      case 0:
        return { 0, 0, 2147483600, 40 };
      case 1:
        return { 65536, 2, 65535, 2417 };
      case 2:
        return { -2147483648LL, -2147483648LL, 2147483647, 2147483647 };
      case 3:
        return { o[0], o[1], o[0] + 100000, o[1] + 100000 };
      case 4:
        return { 2147483647, 0, 2147483647, 10 };
      default:
        return { r.Pick(kWild), r.Pick(kWild), r.Pick(kWild), r.Pick(kWild) };
    }
  });
}

void PointsBeyond(Skin& skin, Rng& rng, int k, Input& in) {
  auto keys = KeysWhere(skin, [](const std::string& key) {
    return IsPointKey(key) || EndsWith(key, "offset") || key == "borderwidth" || key == "edgesize";
  });
  const int n = k % 3 == 2 ? rng.Between(4, 12) : rng.Between(1, 2);
  in.what = "point beyond the face";
  for (int i = 0; i < n; ++i) {
    const KeyRef r = rng.Pick(keys);
    const bool point = IsPointKey(skin.ini[r.section].keys[r.key].first);
    std::vector<int64_t> v;
    switch (k % 5) {
      case 0:
        v = { 5000, 5000 };
        break;
      case 1:
        v = { -40, -40 };
        break;
      case 2:
        v = { 2147483647, 2147483647 };
        break;
      case 3:
        v = { -2147483648LL, 1 };
        break;
      default:
        v = { rng.Pick(kWild), rng.Pick(kWild) };
        break;
    }
    if (!point) v.resize(1);
    Value(skin, r) = Joined(v);
    in.what += "; " + Where(skin, r) + "=" + Value(skin, r);
  }
}

bool IsMaskName(const std::string& file) {
  std::string lower = file;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return lower.find("mask") != std::string::npos;
}

// Pictures are replaced after the INI is fixed: their files are written over.
void ReplacePicture(Input& in, const SkinPicture& p, Bytes bytes) {
  if (Bytes* b = FileBytes(in, p.fileName)) *b = std::move(bytes);
}

void MaskSizes(Skin& skin, Rng& rng, int k, Input& in) {
  std::vector<SkinPicture*> masks;
  for (SkinPicture* p : Pictures(skin))
    if (IsMaskName(p->fileName)) masks.push_back(p);
  in.files = Files(skin);
  const bool every = k % 4 == 3;
  for (SkinPicture* m : masks) {
    if (!every && m != masks[static_cast<size_t>(rng.Below(static_cast<int>(masks.size())))]) continue;
    int w = 1, h = 1;
    switch (k % 5) {
      case 0:
        break;
      case 1:
        w = std::max(1, m->picture.width / 2), h = std::max(1, m->picture.height / 2);
        break;
      case 2:
        w = m->picture.width * 2 + 1, h = m->picture.height * 3;
        break;
      case 3:
        w = 4000, h = 3;
        break;
      default:
        w = rng.Between(1, 600), h = rng.Between(1, 600);
        break;
    }
    ReplacePicture(in, *m, BlankBmp(w, h, 1));
    in.what += m->fileName + " as " + std::to_string(w) + "x" + std::to_string(h) + "; ";
  }
}

void PictureTiny(Skin& skin, Rng& rng, int k, Input& in) {
  in.files = Files(skin);
  const bool every = k % 3 == 2;
  auto pictures = Pictures(skin);
  const SkinPicture* one = rng.Pick(pictures);
  for (SkinPicture* p : pictures) {
    if (!every && p != one) continue;
    ReplacePicture(in, *p, BlankBmp(1, 1, k % 2 ? 24 : 1));
    in.what += p->fileName + " 1x1; ";
  }
}

void PictureHuge(Skin& skin, Rng& rng, int k, Input& in) {
  in.files = Files(skin);
  auto pictures = Pictures(skin);
  const SkinPicture* p = k < 3 ? pictures[static_cast<size_t>(k) % 4] : rng.Pick(pictures);
  struct Size {
    int w, h, bits;
  };
  static const Size sizes[] { { 16000, 16000, 1 }, { 16000, 1, 24 }, { 1, 16000, 24 }, { 16000, 2000, 1 } };
  const Size s = sizes[k % 4];
  ReplacePicture(in, *p, BlankBmp(s.w, s.h, s.bits));
  in.what = p->fileName + " " + std::to_string(s.w) + "x" + std::to_string(s.h) + "x" + std::to_string(s.bits);
}

void PictureTruncated(Skin& skin, Rng& rng, int k, Input& in) {
  in.files = Files(skin);
  auto pictures = Pictures(skin);
  const SkinPicture* p = rng.Pick(pictures);
  Bytes& b = *FileBytes(in, p->fileName);
  const size_t full = b.size();
  switch (k % 6) {
    case 0:
      b.resize(static_cast<size_t>(rng.Below(14)));
      break;
    case 1:
      b.resize(static_cast<size_t>(rng.Between(14, 53)));
      break;
    case 2:
      b.resize(std::min<size_t>(full, 62));
      break;
    case 3:
      b.resize(full / 2);
      break;
    case 4:
      b.resize(full - 1);
      break;
    default:  // the header promises many more rows than follow
      Put32(b, 22, 16000);
      break;
  }
  in.what = p->fileName + " " + std::to_string(b.size()) + " of " + std::to_string(full) + " bytes";
  if (k % 6 == 5) in.what = p->fileName + " says 16000 rows";
}

void SectionsMissing(Skin& skin, Rng& rng, int k, Input& in) {
  static const std::vector<std::string> globals { "VERSION",    "PICTURES",    "FORMINFO",    "POPUPWINDOW",
                                                  "HINTWINDOW", "SKINOBJECTS", "SKINCONTROLS" };
  switch (k % 5) {
    case 0:
    case 1: {
      const std::string name =
          k % 5 == 0 ? globals[static_cast<size_t>(k / 5) % globals.size()]
                     : skin.ini[static_cast<size_t>(rng.Between(7, static_cast<int>(skin.ini.size()) - 1))].name;
      skin.ini.erase(
          std::remove_if(skin.ini.begin(), skin.ini.end(), [&](const IniSection& s) { return s.name == name; }),
          skin.ini.end());
      in.what = "no [" + name + "]";
      break;
    }
    case 2: {  // a record's keys, some of them
      IniSection& s = skin.ini[static_cast<size_t>(rng.Between(7, static_cast<int>(skin.ini.size()) - 1))];
      const size_t keep = static_cast<size_t>(rng.Below(static_cast<int>(s.keys.size())));
      s.keys.resize(keep);
      in.what = "[" + s.name + "] only its first " + std::to_string(keep) + " keys";
      break;
    }
    case 3: {  // a picture file
      in.files = Files(skin);
      auto pictures = Pictures(skin);
      const std::string gone = rng.Pick(pictures)->fileName;
      std::erase_if(in.files, [&](const auto& f) { return f.first == gone; });
      in.what = "no file " + gone;
      return;
    }
    default:
      skin.ini.clear();
      in.what = "an empty INI";
      break;
  }
}

void SectionsRepeated(Skin& skin, Rng& rng, int k, Input& in) {
  switch (k % 4) {
    case 0: {  // a record section twice, the second with other rectangles
      IniSection copy = skin.ini[static_cast<size_t>(rng.Between(2, static_cast<int>(skin.ini.size()) - 1))];
      for (auto& [key, value] : copy.keys)
        if (IsRectKey(key)) value = Joined({ rng.Pick(kWild), rng.Pick(kWild), rng.Pick(kWild), rng.Pick(kWild) });
      skin.ini.push_back(copy);
      in.what = "[" + copy.name + "] twice";
      break;
    }
    case 1: {  // a key twice in its section, the second wild
      IniSection& s = skin.ini[static_cast<size_t>(rng.Between(2, static_cast<int>(skin.ini.size()) - 1))];
      auto key = s.keys[static_cast<size_t>(rng.Below(static_cast<int>(s.keys.size())))];
      key.second = std::to_string(rng.Pick(kWild));
      s.keys.push_back(key);
      in.what = "[" + s.name + "] " + key.first + " twice";
      break;
    }
    case 2: {  // a record list naming one record twice with two classes
      IniSection* list = Section(skin, rng.Below(2) ? "SKINCONTROLS" : "SKINOBJECTS");
      const int count = std::stoi(*Key(list, "count"));
      const std::string entry = *Key(list, std::to_string(rng.Below(count)));
      const std::string name = entry.substr(0, entry.find(':'));
      list->keys.push_back({ std::to_string(count), name + ":checkradio" });
      *Key(list, "count") = std::to_string(count + 1);
      in.what = "[" + list->name + "] " + name + " twice";
      break;
    }
    default: {  // a count that disagrees with the entries
      IniSection* list = Section(skin, rng.Below(2) ? "SKINCONTROLS" : "SKINOBJECTS");
      const int count = std::stoi(*Key(list, "count"));
      *Key(list, "count") = std::to_string(rng.Below(2) ? count + rng.Between(1, 20) : rng.Below(count));
      in.what = "[" + list->name + "] count=" + *Key(list, "count") + " for " + std::to_string(count) + " entries";
      break;
    }
  }
}

void WrongClass(Skin& skin, Rng& rng, int k, Input& in) {
  auto entries = RecordEntries(skin);
  std::vector<std::string> classes;
  for (const KeyRef& r : entries) {
    const std::string& v = Value(skin, r);
    classes.push_back(v.substr(v.find(':') + 1));
  }
  const bool every = k % 5 == 4;
  const int n = every ? static_cast<int>(entries.size()) : rng.Between(1, 4);
  in.what = "records of another class";
  for (int i = 0; i < n; ++i) {
    const KeyRef r = every ? entries[static_cast<size_t>(i)] : rng.Pick(entries);
    std::string& v = Value(skin, r);
    const std::string name = v.substr(0, v.find(':'));
    switch (k % 4) {
      case 0:
      case 3:
        v = name + ":" + rng.Pick(classes);
        break;
      case 1:
        v = name + ":nosuchclass";
        break;
      default:
        v = rng.Below(2) ? name + ":" : name;
        break;
    }
    if (!every) in.what += "; " + v;
  }
}

void CrossReferences(Skin& skin, Rng& rng, int k, Input& in) {
  // Keys that name another record, by the record that holds them.
  struct Ref {
    std::string section, key;
  };
  static const std::vector<Ref> refs { { "listbox", "vscrollbarname" },     { "listbox", "hscrollbarname" },
                                       { "listbox", "bothhscrollbarname" }, { "checklistbox", "vscrollbarname" },
                                       { "combobox", "listboxname" },       { "tab", "updown" },
                                       { "mainmenubar", "menubaritem" },    { "mainmenubar", "closebutton" },
                                       { "mainmenubar", "sysmenubutton" } };
  in.what = "cross-references";
  auto set = [&](const std::string& section, const std::string& key, const std::string& to) {
    if (std::string* v = Key(Section(skin, section), key)) {
      *v = to;
      in.what += "; [" + section + "] " + key + "=" + to;
    }
  };
  switch (k % 4) {
    case 0: {  // to itself
      const Ref& r = rng.Pick(refs);
      set(r.section, r.key, r.section);
      break;
    }
    case 1:  // in a circle: the combo's list is a list whose scroll bars are the combo and the list
      set("combobox", "listboxname", "listbox");
      set("listbox", "vscrollbarname", "combobox");
      set("listbox", "hscrollbarname", "listbox");
      set("checklistbox", "vscrollbarname", "combobox");
      break;
    case 2:  // every reference to itself at once
      for (const Ref& r : refs) set(r.section, r.key, r.section);
      break;
    default: {  // to a record of another class, or none
      const Ref& r = rng.Pick(refs);
      set(r.section, r.key, rng.Below(2) ? rng.Pick(refs).section : "nosuchrecord");
      break;
    }
  }
}

void ManyRecords(Skin& skin, Rng& rng, int k, Input& in) {
  constexpr int kMany = 100000;
  IniSection* controls = Section(skin, "SKINCONTROLS");
  IniSection* objects = Section(skin, "SKINOBJECTS");
  switch (k % 7) {
    case 0:  // distinct names without sections
      controls->keys = { { "count", std::to_string(kMany) } };
      for (int i = 0; i < kMany; ++i)
        controls->keys.push_back({ std::to_string(i), "r" + std::to_string(i) + ":button" });
      in.what = "100000 control records without sections";
      break;
    case 1:  // one record a hundred thousand times
      controls->keys = { { "count", std::to_string(kMany) } };
      for (int i = 0; i < kMany; ++i) controls->keys.push_back({ std::to_string(i), "button:button" });
      in.what = "100000 control records all named button";
      break;
    case 2:
      objects->keys = { { "count", std::to_string(kMany) } };
      for (int i = 0; i < kMany; ++i) objects->keys.push_back({ std::to_string(i), "caption:caption" });
      in.what = "100000 skin objects all named caption";
      break;
    case 3: {  // each with a section of its own (added after the list: adding moves the sections)
      controls->keys = { { "count", std::to_string(kMany) } };
      const IniSection button = *Section(skin, "button");
      std::vector<IniSection> added;
      for (int i = 0; i < kMany; ++i) {
        const std::string name = "b" + std::to_string(i);
        controls->keys.push_back({ std::to_string(i), name + ":" + (i % 2 ? "button" : "panel") });
        IniSection s = button;
        s.name = name;
        s.keys.resize(std::min<size_t>(s.keys.size(), 6));
        added.push_back(std::move(s));
      }
      skin.ini.insert(skin.ini.end(), added.begin(), added.end());
      in.what = "100000 control records with sections";
      break;
    }
    case 4:
      *Key(controls, "count") = "2147483647";
      in.what = "control count 2147483647";
      break;
    case 5: {
      IniSection* pictures = Section(skin, "PICTURES");
      *Key(pictures, "activepicturescount") = std::to_string(kMany);
      for (int i = 9; i < kMany; ++i) pictures->keys.push_back({ std::to_string(i), "btns.bmp" });
      in.what = "100000 active pictures";
      break;
    }
    default: {
      IniSection& s = *Section(skin, "button");
      for (int i = 0; i < kMany; ++i) s.keys.push_back({ "k" + std::to_string(i), std::to_string(rng.Pick(kWild)) });
      in.what = "100000 keys in [button]";
      break;
    }
  }
}

void NotGbk(Skin& skin, Rng& rng, int k, Input& in) {
  static const std::vector<std::string> bad { "\x80",
                                              "\xFF\xFF",
                                              "\x81",
                                              "\xA1\x20\xFE",
                                              "a\x81\x7F",
                                              "\xFE\x39\xFE",
                                              "\xEF\xBB\xBF",
                                              std::string("a\0b", 3),
                                              "\xE6\x8C\x89\xE9\x92\xAE" };
  const std::string b = bad[static_cast<size_t>(k) % bad.size()] + bad[static_cast<size_t>(rng.Below(9))];
  auto entries = RecordEntries(skin);
  switch (k % 6) {
    case 0:
      *Key(Section(skin, "VERSION"), "skinname") += b;
      in.what = "skin name";
      break;
    case 1: {  // a record's name in its list and its section
      std::string& v = Value(skin, rng.Pick(entries));
      const std::string name = v.substr(0, v.find(':'));
      if (IniSection* s = Section(skin, name)) s->name = name + b;
      v = name + b + v.substr(v.find(':'));
      in.what = "record name " + name;
      break;
    }
    case 2:
      for (const KeyRef& r : KeysWhere(skin, [](const std::string& key) { return EndsWith(key, "fontname"); }))
        Value(skin, r) = b + Value(skin, r) + b;
      in.what = "font names";
      break;
    case 3:
      for (const KeyRef& r :
           KeysWhere(skin, [](const std::string& key) { return key == "hint" || key == "skincomments"; }))
        Value(skin, r) += b;
      in.what = "hints";
      break;
    case 4: {  // a picture name the INI gives in bytes no file has
      IniSection* pictures = Section(skin, "PICTURES");
      *Key(pictures, std::to_string(rng.Below(9))) += b;
      in.what = "picture file name";
      break;
    }
    default:  // key names and whole lines
      for (IniSection& s : skin.ini)
        if (rng.Below(4) == 0 && !s.keys.empty())
          s.keys[static_cast<size_t>(rng.Below(static_cast<int>(s.keys.size())))].first += b;
      in.what = "key names";
      break;
  }
}

void CompressedLying(Skin& skin, Rng& rng, int k, Input& in) {
  in.kind = Input::Kind::CompressedSkin;
  Bytes payload = mkskin::SkinPayload(skin);
  // The first flagged image starts at 5: marker (4) and flag (1); its file size field at 7.
  switch (k % 10) {
    case 3:
      Put32(payload, 7, 0x7FFFFFFF);
      in.what = "first picture says 2 GB";
      break;
    case 4:
      Put32(payload, 7, 20);
      in.what = "first picture says 20 bytes";
      break;
    case 5: {  // the active picture count, just before the first active picture
      const size_t count = 5 + mkskin::BmpBytes(skin.picture.picture).size() + 1 +
                           mkskin::BmpBytes(skin.inactivePicture.picture).size() + 1 +
                           mkskin::BmpBytes(skin.mask.picture).size();
      Put32(payload, count, rng.Below(2) ? 0x7FFFFFFF : 0xFFFFFFF0u);
      in.what = "active picture count lies";
      break;
    }
    case 6:
      payload.resize(static_cast<size_t>(rng.Between(1, static_cast<int>(payload.size()) - 1)));
      in.what = "payload cut at " + std::to_string(payload.size());
      break;
    case 7: {  // a picture that says 16000 x 16000 and has its pixels: a small zlib stream, a large payload
      Bytes big = BlankBmp(16000, 16000, 1);
      Bytes p { 1, 0, 0, 0, 0 };
      p.insert(p.end(), big.begin(), big.end());
      payload = std::move(p);
      in.what = "payload of a 16000x16000 picture (1 bit, 32 MB)";
      break;
    }
    case 8:
      Put32(payload, 0, 2);
      in.what = "payload marker 2";
      break;
    default:
      break;
  }
  Bytes packed = mkskin::ZlibCompress(payload);
  Bytes file = mkskin::CompressedSkinFile(packed);
  switch (k % 10) {
    case 0: {
      static const uint32_t lies[] { 0x7FFFFFFF, 0xFFFFFFFF, 0, 1 };
      const uint32_t lie =
          rng.Below(2) ? lies[rng.Below(4)] : static_cast<uint32_t>(packed.size() + rng.Between(1, 1000));
      Put32(file, 4, lie);
      in.what = "data size " + std::to_string(lie) + " for " + std::to_string(packed.size());
      break;
    }
    case 1:
      Put32(file, 4, static_cast<uint32_t>(packed.size() - static_cast<size_t>(rng.Between(1, 100))));
      in.what = "data size short";
      break;
    case 2:
      file.resize(8 + packed.size() / 2);
      in.what = "zlib stream cut in half";
      break;
    case 9:
      Put32(file, 0, 7);
      in.what = "file marker 7";
      break;
    default:
      break;
  }
  in.files = { { "skin.skn", std::move(file) } };
}

// Interesting numbers in place of a number of the INI text.
void MutateNumber(std::string& text, Rng& rng) {
  for (int tries = 0; tries < 20; ++tries) {
    size_t at = static_cast<size_t>(rng.Below(static_cast<int>(text.size())));
    if (!std::isdigit(static_cast<unsigned char>(text[at]))) continue;
    size_t b = at, e = at;
    while (b > 0 && std::isdigit(static_cast<unsigned char>(text[b - 1]))) --b;
    while (e < text.size() && std::isdigit(static_cast<unsigned char>(text[e]))) ++e;
    text.replace(b, e - b, std::to_string(rng.Pick(kWild)));
    return;
  }
}

void Mutations(Skin& skin, Rng& rng, int, Input& in) {
  in.files = Files(skin);
  const int n = rng.Between(1, 10);
  in.what = std::to_string(n) + " mutations";
  for (int i = 0; i < n; ++i) {
    const bool ini = rng.Below(10) < 7;
    Bytes& b = ini ? in.files[0].second
                   : in.files[static_cast<size_t>(rng.Between(1, static_cast<int>(in.files.size()) - 1))].second;
    if (b.empty()) continue;
    const size_t at = static_cast<size_t>(rng.Below(static_cast<int>(b.size())));
    switch (rng.Below(ini ? 7 : 4)) {
      case 0:
        b[at] ^= static_cast<uint8_t>(1u << rng.Below(8));
        break;
      case 1:
        b[at] = static_cast<uint8_t>(rng.Next());
        break;
      case 2: {
        Bytes extra(static_cast<size_t>(rng.Between(1, 16)));
        for (uint8_t& x : extra) x = static_cast<uint8_t>(rng.Next());
        b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), extra.begin(), extra.end());
        break;
      }
      case 3:
        b.erase(
            b.begin() + static_cast<std::ptrdiff_t>(at),
            b.begin() + static_cast<std::ptrdiff_t>(std::min(b.size(), at + static_cast<size_t>(rng.Between(1, 64)))));
        break;
      case 4:
      case 5: {
        std::string text(b.begin(), b.end());
        MutateNumber(text, rng);
        b = Text(text);
        break;
      }
      default: {  // a line repeated somewhere else
        std::string text(b.begin(), b.end());
        const size_t from = text.rfind('\n', at);
        const size_t to = text.find('\n', at);
        if (from == std::string::npos || to == std::string::npos) break;
        const std::string line = text.substr(from + 1, to - from);
        text.insert(static_cast<size_t>(rng.Below(static_cast<int>(text.size()))), line);
        b = Text(text);
        break;
      }
    }
  }
}

// The families in set order: the skin's own, then the pictures and streams, then those added from outside.
struct Entry {
  Family family;
  Maker make;
  ExternalMaker external;
};

std::vector<Entry>& Table() {
  static std::vector<Entry> table = [] {
    std::vector<FamilyDef> defs {
      { { "picture-index", 120 }, PictureIndexes },
      { { "rect-outside", 150 }, RectOutside },
      { { "rect-inverted", 120 }, RectInverted },
      { { "rect-zero", 120 }, RectZero },
      { { "rect-huge", 150 }, RectHuge },
      { { "point-beyond", 120 }, PointsBeyond },
      { { "mask-size", 80 }, MaskSizes },
      { { "picture-1x1", 60 }, PictureTiny },
      { { "picture-huge", 30 }, PictureHuge },
      { { "picture-truncated", 120 }, PictureTruncated },
      { { "section-missing", 100 }, SectionsMissing },
      { { "section-repeated", 80 }, SectionsRepeated },
      { { "wrong-class", 100 }, WrongClass },
      { { "cross-reference", 60 }, CrossReferences },
      { { "records-100000", 14 }, ManyRecords },
      { { "not-gbk", 100 }, NotGbk },
      { { "compressed-lying", 120 }, CompressedLying },
      { { "mutation", 600 }, Mutations },
    };
    for (auto more : { detail::BmpFamilies(), detail::StreamFamilies() })
      defs.insert(defs.end(), more.begin(), more.end());
    std::vector<Entry> out;
    for (const FamilyDef& d : defs) out.push_back({ d.family, d.make, nullptr });
    return out;
  }();
  return table;
}

std::vector<Family>& FamilyList() {
  static std::vector<Family> families = [] {
    std::vector<Family> out;
    for (const Entry& e : Table()) out.push_back(e.family);
    return out;
  }();
  return families;
}

}  // namespace

std::string Input::Entry() const {
  switch (kind) {
    case Kind::CompressedSkin:
      return "skin.skn";
    case Kind::FormText:
      return "form.txt";
    case Kind::Events:
      return "events.txt";
    default:
      return "skin.ini";
  }
}

const std::vector<Family>& Families() { return FamilyList(); }

void AddFamily(const Family& family, ExternalMaker make) {
  for (const Family& f : FamilyList())
    if (f.name == family.name) return;
  Table().push_back({ family, nullptr, make });
  FamilyList().push_back(family);
}

int SetSize() {
  int n = 0;
  for (const Family& f : Families()) n += f.count;
  return n;
}

std::pair<int, int> Locate(int index) {
  if (index < 0) throw std::out_of_range("no input " + std::to_string(index));
  int first = 0;
  for (size_t f = 0; f < Families().size(); ++f) {
    if (index < first + Families()[f].count) return { static_cast<int>(f), index - first };
    first += Families()[f].count;
  }
  throw std::out_of_range("no input " + std::to_string(index) + " in a set of " + std::to_string(first));
}

Input Make(uint64_t seed, int index) {
  const auto [family, k] = Locate(index);
  const Entry& entry = Table()[static_cast<size_t>(family)];
  if (entry.external) {
    Input in = entry.external(seed, k);
    in.family = entry.family.name;
    return in;
  }
  // The good skin is built once; each input starts from a copy.
  static const Skin good = mkskin::BuildTestSkin();
  Skin skin = good;
  Rng rng(seed * 0x100000001B3ull ^ static_cast<uint64_t>(index));
  Input in;
  in.family = entry.family.name;
  entry.make(skin, rng, k, in);
  if (in.files.empty()) in.files = Files(skin);
  return in;
}

void Write(const Input& input, const fs::path& dir) {
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (const auto& [name, bytes] : input.files) {
    const fs::path path = dir / name;
    fs::create_directories(path.parent_path());
    mkskin::WriteFileBytes(path, bytes);
  }
}

std::vector<std::vector<uint8_t>> GoodPayloads() {
  return { mkskin::SkinPayload(mkskin::BuildTestSkin()), mkskin::SkinPayload(mkskin::BuildSecondSkin()) };
}

}  // namespace hostile
