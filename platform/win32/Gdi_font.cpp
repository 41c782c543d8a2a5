// Fonts: GBK decoding, face-name mapping, fontconfig matching, FreeType rendering with synthesised
// bold and italic, the built-in test face, and font enumeration.

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H
#include <strings.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/win32/AddressMap.h"
#include "platform/win32/BoundedCache.h"
#include "platform/win32/Gdi_private.h"
#include "platform/win32/WinBase.h"

namespace xj::gdi {

// Characters GBK lacks draw as '?'; the single byte 0x80 is the euro sign, as in code page 936.
void DecodeGbk(const char* s, int len, std::vector<TextChar>& out) {
  out.clear();
  out.reserve(size_t(len));
  const char* end = s + len;
  for (const char* p = s; p < end;) {
    auto b = uint8_t(*p);
    if (b < 0x80) {
      out.push_back(TextChar { char32_t(b), int(p - s), 1 });
      ++p;
      continue;
    }
    int n = xj::GbkCharLength(p, end);
    const char32_t mapped = n == 2 ? xj::GbkCharToUnicode(p, n) : b == 0x80 ? U'\u20AC' : 0;
    const char32_t cp = mapped ? mapped : U'?';
    out.push_back(TextChar { cp, int(p - s), n });
    p += n;
  }
}

// ---- Face names ----------------------------------------------------------------------------------
namespace {

constexpr const char* kCjkFamily = "AR PL UMing CN";
constexpr const char* kSansFamily = "DejaVu Sans";
constexpr const char* kMonoFamily = "DejaVu Sans Mono";
constexpr const char* kTestFace = "Platform Test";

std::mutex gOverrideLock;
std::string gOverride;

// The family to ask fontconfig for, given the face name the program used.
std::string MapFamily(const LOGFONTA& lf) {
  const char* name = lf.lfFaceName;
  struct Alias {
    const char* from;
    const char* to;
  };
  static const Alias aliases[] = {
    { "宋体", kCjkFamily },          { "新宋体", kCjkFamily },          { "SimSun", kCjkFamily },
    { "NSimSun", kCjkFamily },       { "MS Sans Serif", kSansFamily },  { "Microsoft Sans Serif", kSansFamily },
    { "MS Shell Dlg", kSansFamily }, { "MS Shell Dlg 2", kSansFamily }, { "Tahoma", kSansFamily },
    { "Arial", kSansFamily },        { "System", kSansFamily },         { "Courier New", kMonoFamily },
    { "Courier", kMonoFamily },      { "Fixedsys", kMonoFamily },       { "Terminal", kMonoFamily },
  };
  for (const Alias& a : aliases)
    if (strcasecmp(name, a.from) == 0) return a.to;
  if (!*name) {
    if ((lf.lfPitchAndFamily & 3) == FIXED_PITCH) return kMonoFamily;
    return lf.lfCharSet == GB2312_CHARSET ? kCjkFamily : kSansFamily;
  }
  return xj::GbkToUtf8(name);
}

struct Match {
  std::string file;
  int index { 0 };
  bool bold { false };
  bool italic { false };
};

// A build a leak checker watches.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kLeakChecked = true;
#elif defined(__has_feature)
constexpr bool kLeakChecked = __has_feature(address_sanitizer);
#else
constexpr bool kLeakChecked = false;
#endif

// Fontconfig is set up once. At exit the system takes its memory back at once; tearing it down costs
// a program as much as a twentieth of its start-up, so that is done only where a leak checker watches,
// for the checker to see a clean process.
void EnsureFontconfig() {
  static const bool ready = [] {
    FcInit();
    if (kLeakChecked) std::atexit([] { FcFini(); });
    return true;
  }();
  (void)ready;
}

// Fontconfig's best face for the family, weight and slant; with `substitute`, after its configuration's
// rules (aliases, language, defaults) have been applied to the request.
FcPattern* MatchFamily(const std::string& family, bool bold, bool italic, bool substitute) {
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  if (substitute) FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult res;
  FcPattern* found = FcFontMatch(nullptr, pat, &res);
  FcPatternDestroy(pat);
  return found;
}

bool HasFamily(FcPattern* found, const std::string& family) {
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(found, FC_FAMILY, i, &name) == FcResultMatch; ++i)
    if (family == reinterpret_cast<const char*>(name)) return true;
  return false;
}

// A match costs fontconfig milliseconds: the last few dozen are kept, by family and style.
Match FindFace(const std::string& family, bool bold, bool italic) {
  static std::mutex lock;
  static BoundedCache<std::string, Match> cache(64);
  std::string key = family + (bold ? "|b" : "|") + (italic ? "i" : "");
  std::lock_guard<std::mutex> g(lock);
  if (const Match* kept = cache.Find(key)) return *kept;
  Match m;
  EnsureFontconfig();
  // The families the system maps to are installed with it and named exactly: fontconfig's substitution
  // rules, most of the cost of a first match, change nothing there. Should one be missing, the match
  // comes back with another family and is made again the usual way.
  const bool ours = family == kSansFamily || family == kCjkFamily || family == kMonoFamily;
  FcPattern* found = ours ? MatchFamily(family, bold, italic, false) : nullptr;
  if (found && !HasFamily(found, family)) {
    FcPatternDestroy(found);
    found = nullptr;
  }
  if (!found) found = MatchFamily(family, bold, italic, true);
  if (found) {
    FcChar8* file = nullptr;
    int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    if (FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch) m.file = reinterpret_cast<char*>(file);
    FcPatternGetInteger(found, FC_INDEX, 0, &m.index);
    FcPatternGetInteger(found, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(found, FC_SLANT, 0, &slant);
    // Fontconfig answers a bold or italic request for a family without such a face with the regular
    // face and a note to embolden or shear it: that face is not bold or italic itself.
    FcBool embolden = FcFalse;
    FcMatrix* shear = nullptr;
    FcPatternGetBool(found, FC_EMBOLDEN, 0, &embolden);
    m.bold = weight >= FC_WEIGHT_DEMIBOLD && !embolden;
    m.italic = slant != FC_SLANT_ROMAN && FcPatternGetMatrix(found, FC_MATRIX, 0, &shear) != FcResultMatch;
    FcPatternDestroy(found);
  }
  cache.Keep(std::move(key), m);
  return m;
}

FT_Library Library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    FT_Init_FreeType(&l);
    return l;
  }();
  return lib;
}

// FreeType faces are not safe to use from two threads at once, nor their library: every use of a
// face, and every opening and closing, holds this lock.
std::mutex& FaceLock() {
  static auto* lock = new std::mutex;  // fonts are let go while static objects are destroyed
  return *lock;
}

// A face opened from a file is shared by every font drawn from that file and face index; each font
// keeps its own size object on it, so that its metrics and glyphs are those of a face of its own.
struct SharedFace {
  FT_Face face { nullptr };
  int users { 0 };
};

std::map<std::string, SharedFace>& OpenFaces() {
  static auto* faces = new std::map<std::string, SharedFace>;
  return *faces;
}

// One font's hold on a shared face: the face and the font's own size, `em` pixels.
struct SizedFace {
  FT_Face face { nullptr };
  FT_Size size { nullptr };
  std::string key;  // file and face index

  // Makes the font's size the one the face draws at. Under FaceLock.
  FT_Face Use() const {
    FT_Activate_Size(size);
    return face;
  }
};

// Under FaceLock. An empty hold when the file cannot be opened.
SizedFace OpenFace(const Match& m, int em) {
  SizedFace f;
  if (m.file.empty() || !Library()) return f;
  f.key = m.file + "#" + std::to_string(m.index);
  SharedFace& shared = OpenFaces()[f.key];
  if (!shared.face && FT_New_Face(Library(), m.file.c_str(), m.index, &shared.face)) {
    shared.face = nullptr;
    OpenFaces().erase(f.key);
    return SizedFace {};
  }
  if (FT_New_Size(shared.face, &f.size)) {
    if (shared.users == 0) {
      FT_Done_Face(shared.face);
      OpenFaces().erase(f.key);
    }
    return SizedFace {};
  }
  ++shared.users;
  f.face = shared.face;
  FT_Activate_Size(f.size);
  FT_Set_Pixel_Sizes(f.face, 0, FT_UInt(em));
  return f;
}

// Under FaceLock: the size goes, and the face with its last user.
void CloseFace(SizedFace& f) {
  if (!f.face) return;
  FT_Done_Size(f.size);
  auto it = OpenFaces().find(f.key);
  if (it != OpenFaces().end() && --it->second.users == 0) {
    FT_Done_Face(it->second.face);
    OpenFaces().erase(it);
  }
  f = SizedFace {};
}

int Scale(long units, int em, int upem) { return int(std::lround(double(units) * em / upem)); }

}  // namespace

struct FtState {
  SizedFace primary;
  SizedFace fallback;
  bool fallbackTried { false };
  bool synthBold { false };
  bool synthItalic { false };
  bool wantBold { false };
  bool wantItalic { false };
  bool mono { false };
  int em { 12 };
  std::string source;  // file and face index
  ~FtState() {
    std::lock_guard<std::mutex> g(FaceLock());
    CloseFace(primary);
    CloseFace(fallback);
  }
};

RealFont::RealFont() = default;
RealFont::~RealFont() = default;

Glyph RealFont::TestGlyph(const TextChar& c) const {
  // Fixed cells: single-byte 8 wide, double-byte 16 wide; the glyph is a box inside the cell.
  Glyph g;
  g.advance = c.bytes == 2 ? 16 : 8;
  if (c.cp <= 0x20) return g;
  g.bx = 1;
  g.by = 1;
  g.w = g.advance - 2 + (weight >= FW_SEMIBOLD ? 1 : 0);
  g.h = ascent - 1;
  g.alpha.assign(size_t(g.w) * size_t(g.h), 255);
  return g;
}

namespace {

struct RenderStyle {
  bool bold { false };    // synthesised
  bool italic { false };  // synthesised
  bool mono { false };
};

// A bitmap glyph made bold the way a strike is: each row overstruck one pixel to the right.
void Overstrike(Glyph& g) {
  int w = g.w + 1;
  std::vector<uint8_t> out(size_t(w) * size_t(g.h), 0);
  for (int y = 0; y < g.h; ++y) {
    const uint8_t* src = g.alpha.data() + size_t(y) * size_t(g.w);
    uint8_t* dst = out.data() + size_t(y) * size_t(w);
    for (int x = 0; x < w; ++x) dst[x] = std::max(x < g.w ? src[x] : uint8_t(0), x > 0 ? src[x - 1] : uint8_t(0));
  }
  g.alpha = std::move(out);
  g.w = w;
}

// A bitmap glyph slanted the way a strike is: each row moved right by its height above the baseline
// times the outline shear (7/32), whole pixels, so every stroke stays as sharp as drawn.
void ShearRows(Glyph& g, int top) {
  auto shift = [&](int y) {
    int n = (2 * (top - 1 - y) + 1) * 7 + 32;  // 64 × (the row's middle above the baseline × 7/32 + 1/2)
    return n >= 0 ? n / 64 : -((-n + 63) / 64);
  };
  int lo = shift(g.h - 1), hi = shift(0), w = g.w + hi - lo;
  std::vector<uint8_t> out(size_t(w) * size_t(g.h), 0);
  for (int y = 0; y < g.h; ++y)
    std::memcpy(out.data() + size_t(y) * size_t(w) + size_t(shift(y) - lo), g.alpha.data() + size_t(y) * size_t(g.w),
                size_t(g.w));
  g.alpha = std::move(out);
  g.w = w;
  g.bx += lo;
}

}  // namespace

// For a scalable face, FreeType follows a strike's bitmap by reading the glyph's outline header, only to
// work out an advance in design units that this layer never uses. In the CJK face those headers lie
// scattered over a 16 MB table, so every character drawn for the first time cost one more page fault
// of the font file (about 5 us; a popup menu's first showing draws several such characters). Loaded as
// for a face of strikes alone, the bitmap, its bearings and its advance are the same.
bool LoadGlyphFromStrike(FT_FaceRec_* face, unsigned index, int32_t flags) {
  if (!FT_HAS_FIXED_SIZES(face) || !FT_IS_SCALABLE(face)) return false;
  const FT_Long kept = face->face_flags;
  face->face_flags &= ~FT_Long(FT_FACE_FLAG_SCALABLE);
  const FT_Error error = FT_Load_Glyph(face, index, flags | FT_LOAD_SBITS_ONLY);
  face->face_flags = kept;
  // A face of strikes alone answers a glyph its strike lacks with an empty bitmap: that glyph, a blank
  // one and any at a size without a strike take the ordinary way (a scalable face taken for one of
  // strikes alone must not load outlines).
  return !error && face->glyph->format == FT_GLYPH_FORMAT_BITMAP && face->glyph->bitmap.rows > 0;
}

// ---- Glyphs read straight from a face's strike tables ----------------------------------------------------
namespace {

// A span of the font file as FreeType mapped it; every read is checked against its end.
struct FontBytes {
  const uint8_t* p { nullptr };
  size_t n { 0 };
  bool Has(size_t at, size_t len) const { return at <= n && len <= n - at; }
  uint32_t U8(size_t at) const { return p[at]; }
  uint32_t U16(size_t at) const { return uint32_t(p[at]) << 8 | p[at + 1]; }
  uint32_t U32(size_t at) const { return U16(at) << 16 | U16(at + 2); }
  int S8(size_t at) const { return int(int8_t(p[at])); }
};

// Where the face's table `tag` lies in its file (a collection's faces share one file); empty if nowhere.
FontBytes FindTable(const FontBytes& f, long faceIndex, uint32_t tag) {
  size_t sfnt = 0;
  if (f.Has(0, 12) && f.U32(0) == 0x74746366) {  // 'ttcf'
    const size_t i = size_t(faceIndex & 0xFFFF);
    if (i >= f.U32(8) || !f.Has(12 + 4 * i, 4)) return {};
    sfnt = f.U32(12 + 4 * i);
  }
  if (!f.Has(sfnt, 12)) return {};
  const size_t tables = f.U16(sfnt + 4);
  for (size_t r = sfnt + 12, end = r + 16 * tables; r < end && f.Has(r, 16); r += 16)
    if (f.U32(r) == tag) {
      const size_t at = f.U32(r + 8), len = f.U32(r + 12);
      return f.Has(at, len) ? FontBytes { f.p + at, len } : FontBytes {};
    }
  return {};
}

// A strike's ranges of glyphs in glyph order (their places in the strike's index), to be searched by
// halves. FreeType takes the first range in the index holding a glyph; ranges that do not overlap make
// that the only one, so a strike whose ranges overlap (or lie too far out of order to be put in order
// cheaply) keeps none, and its glyphs are loaded through FreeType. The CJK face lists a few of its
// first ranges out of order.
struct StrikeIndex {
  bool built { false };
  std::vector<uint16_t> order;
};

// The face's strike tables, kept with the face in FreeType's slot for its client and dropped with it.
struct StrikeTables {
  FontBytes loc, dat;  // EBLC, EBDT
  std::vector<StrikeIndex> strikes;
};

void DropStrikeTables(void* face) {
  auto* f = static_cast<FT_Face>(face);
  delete static_cast<StrikeTables*>(f->generic.data);
  f->generic.data = nullptr;
}

// A face whose client slot holds something else reads no strike tables here.
StrikeTables& TablesOf(FT_Face face) {
  static StrikeTables none;
  if (face->generic.finalizer && face->generic.finalizer != DropStrikeTables) return none;
  if (!face->generic.finalizer) {
    auto* t = new StrikeTables;
    if (face->stream && face->stream->base) {
      const FontBytes file { face->stream->base, size_t(face->stream->size) };
      t->loc = FindTable(file, face->face_index, 0x45424C43);  // 'EBLC'
      t->dat = FindTable(file, face->face_index, 0x45424454);  // 'EBDT'
      if (t->loc.Has(0, 8) && t->dat.p) t->strikes.resize(std::min<size_t>(t->loc.U32(4), (t->loc.n - 8) / 48));
    }
    face->generic.data = t;
    face->generic.finalizer = DropStrikeTables;
  }
  return *static_cast<StrikeTables*>(face->generic.data);
}

void BuildIndex(const FontBytes& loc, size_t array, size_t count, StrikeIndex& index) {
  index.built = true;
  if (count > 0x10000 || !loc.Has(array, 8 * count)) return;
  auto first = [&](size_t i) { return loc.U16(array + 8 * i); };
  auto last = [&](size_t i) { return loc.U16(array + 8 * i + 2); };
  std::vector<uint16_t>& o = index.order;
  o.reserve(count);
  uint32_t tail = 0;  // the last glyph of the last range in order
  size_t moves = 0;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t f = first(i), l = last(i);
    if (f > l) continue;  // holds no glyph
    if (o.empty() || f > tail) {
      o.push_back(uint16_t(i));
      tail = l;
      continue;
    }
    // One out of order goes in by insertion, clear of its neighbours; they come nearly in order.
    size_t k = o.size();
    while (k > 0 && first(o[k - 1]) > f) --k;
    moves += o.size() - k;
    if (moves > 4 * count || (k > 0 && last(o[k - 1]) >= f) || (k < o.size() && l >= first(o[k]))) {
      o.clear();
      return;
    }
    o.insert(o.begin() + ptrdiff_t(k), uint16_t(i));
  }
}

// The header of the range of the strike's index holding `glyph`, and the range's first glyph; false
// when none holds it, or the strike's index is not searched here.
bool FindRange(const FontBytes& loc, size_t strike, StrikeIndex& index, unsigned glyph, size_t& header,
               unsigned& first) {
  const size_t array = loc.U32(strike);
  if (!index.built) BuildIndex(loc, array, loc.U32(strike + 8), index);
  const std::vector<uint16_t>& o = index.order;
  auto it = std::upper_bound(o.begin(), o.end(), glyph,
                             [&](unsigned g, uint16_t i) { return g < loc.U16(array + 8 * size_t(i)); });
  if (it == o.begin()) return false;
  const size_t e = array + 8 * size_t(*--it);
  if (glyph > loc.U16(e + 2) || !loc.Has(array + loc.U32(e + 4), 8)) return false;
  header = array + loc.U32(e + 4);
  first = loc.U16(e);
  return true;
}

// Width x rows pixels packed one bit each, row after row with no padding, as coverage of 0 or 255.
void UnpackBits(const uint8_t* bits, StrikeGlyph& out) {
  out.alpha.resize(size_t(out.width) * size_t(out.rows));
  const size_t count = out.alpha.size();
  for (size_t i = 0; i < count; ++i) out.alpha[i] = uint8_t(-((bits[i >> 3] >> (7 - (i & 7))) & 1));
}

// Where the glyph's bits lie in the strike data, how many bytes its range gives them, and where its
// big metrics lie (in the index or before the bits); false for a glyph the strike lacks and for the
// ways of storing glyphs not read here.
bool LocateImage(const StrikeTables& t, size_t header, size_t i, size_t& image, size_t& room,
                 const FontBytes*& metricsIn, size_t& metrics) {
  const FontBytes& loc = t.loc;
  const uint32_t indexFormat = loc.U16(header), imageFormat = loc.U16(header + 2);
  const size_t images = loc.U32(header + 4);
  if (indexFormat == 2 && imageFormat == 5 && loc.Has(header + 8, 12)) {
    room = loc.U32(header + 8);
    image = images + i * room;
    metricsIn = &loc;
    metrics = header + 12;
    return true;
  }
  if (indexFormat == 1 && imageFormat == 7 && loc.Has(header + 8 + 4 * i, 8)) {
    const size_t from = loc.U32(header + 8 + 4 * i), to = loc.U32(header + 12 + 4 * i);
    if (to < from + 8) return false;  // the strike lacks it
    metricsIn = &t.dat;
    metrics = images + from;
    image = metrics + 8;
    room = to - from - 8;
    return true;
  }
  return false;
}

}  // namespace

bool ReadStrikeGlyph(FT_FaceRec_* face, unsigned index, StrikeGlyph& out) {
  if (!FT_HAS_FIXED_SIZES(face) || !FT_IS_SCALABLE(face) || !face->size) return false;
  StrikeTables& t = TablesOf(face);
  // The strike FreeType draws from at this size: the first of exactly the size's pixels.
  const unsigned xppem = face->size->metrics.x_ppem, yppem = face->size->metrics.y_ppem;
  size_t n = 0, strike = 8;
  for (; n < t.strikes.size(); ++n, strike += 48)
    if (t.loc.U8(strike + 44) == xppem && t.loc.U8(strike + 45) == yppem) break;
  if (n == t.strikes.size() || t.loc.U8(strike + 46) != 1) return false;  // none, or not one bit a pixel
  size_t header = 0, image = 0, room = 0, metrics = 0;
  unsigned first = 0;
  const FontBytes* m = nullptr;
  if (!FindRange(t.loc, strike, t.strikes[n], index, header, first) ||
      !LocateImage(t, header, index - first, image, room, m, metrics) || !m->Has(metrics, 8))
    return false;
  out.rows = int(m->U8(metrics));
  out.width = int(m->U8(metrics + 1));
  out.left = m->S8(metrics + 2);
  out.top = m->S8(metrics + 3);
  out.advance = int(m->U8(metrics + 4));
  const size_t bytes = (size_t(out.width) * size_t(out.rows) + 7) / 8;
  if (out.width == 0 || out.rows == 0 || bytes > room || !t.dat.Has(image, bytes)) return false;
  UnpackBits(t.dat.p + image, out);
  return true;
}

namespace {

// A glyph read from a strike, made bold or italic as a bitmap from the strike is.
Glyph FromStrike(StrikeGlyph&& sg, const RenderStyle& st, int ascent) {
  Glyph g;
  g.advance = sg.advance + (st.bold ? 1 : 0);
  g.bx = sg.left;
  g.by = ascent - sg.top;
  g.w = sg.width;
  g.h = sg.rows;
  g.alpha = std::move(sg.alpha);
  if (st.bold) Overstrike(g);
  if (st.italic) ShearRows(g, sg.top);
  return g;
}

Glyph Render(FT_Face face, FT_UInt index, const RenderStyle& st, int ascent) {
  Glyph g;
  FT_Int32 flags = FT_LOAD_DEFAULT;
  // A face's own bitmap strike at this size (the CJK face has them for 11-16 px) is drawn as its
  // designer made it, every stroke in place; bold and italic are then made from the bitmap. Other
  // sizes keep the default hinting: of none, light and default it is the one that kept every stroke
  // of dense characters, where the others drew some too faint to see.
  if (st.mono) flags |= FT_LOAD_TARGET_MONO;
  if (StrikeGlyph sg; ReadStrikeGlyph(face, index, sg)) return FromStrike(std::move(sg), st, ascent);
  if (!LoadGlyphFromStrike(face, index, flags) && FT_Load_Glyph(face, index, flags)) return g;
  FT_GlyphSlot slot = face->glyph;
  bool outline = slot->format == FT_GLYPH_FORMAT_OUTLINE;
  if (outline) {
    if (st.italic) {
      FT_Matrix shear { 0x10000, 0x3800, 0, 0x10000 };
      FT_Outline_Transform(&slot->outline, &shear);
    }
    // Synthetic bold widens every vertical stroke by one pixel (the advance grows by as much);
    // heights stay, so the horizontal strokes of dense characters do not run together.
    if (st.bold) FT_Outline_EmboldenXY(&slot->outline, 64, 0);
    if (FT_Render_Glyph(slot, st.mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL)) return g;
  }
  const FT_Bitmap& bm = slot->bitmap;
  g.advance = int((slot->advance.x + 32) >> 6) + (st.bold ? 1 : 0);
  g.bx = slot->bitmap_left;
  g.by = ascent - slot->bitmap_top;
  g.w = int(bm.width);
  g.h = int(bm.rows);
  g.alpha.resize(size_t(g.w) * size_t(g.h));
  for (int y = 0; y < g.h; ++y) {
    const uint8_t* row = bm.buffer + ptrdiff_t(y) * bm.pitch;
    uint8_t* out = g.alpha.data() + size_t(y) * size_t(g.w);
    if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
      for (int x = 0; x < g.w; ++x) out[x] = uint8_t(((row[x >> 3] >> (7 - (x & 7))) & 1) * 255);
    else
      std::memcpy(out, row, size_t(g.w));
  }
  if (!outline && g.w > 0) {
    if (st.bold) Overstrike(g);
    if (st.italic) ShearRows(g, slot->bitmap_top);
  }
  return g;
}

}  // namespace

Glyph RealFont::Render(const TextChar& c) {
  if (testFace) return TestGlyph(c);
  if (!ft || !ft->primary.face) return Glyph {};
  std::lock_guard<std::mutex> hold(FaceLock());
  const SizedFace* from = &ft->primary;
  FT_UInt index = FT_Get_Char_Index(from->face, c.cp);
  if (!index && c.cp >= 0x80) {
    // Characters the face lacks (Chinese in a Latin face) come from the CJK face, as font linking does.
    if (!ft->fallbackTried) {
      ft->fallbackTried = true;
      ft->fallback = OpenFace(FindFace(kCjkFamily, false, false), ft->em);
    }
    if (ft->fallback.face) {
      if (FT_UInt fi = FT_Get_Char_Index(ft->fallback.face, c.cp)) {
        from = &ft->fallback;
        index = fi;
      }
    }
  }
  FT_Face face = from->Use();
  // The CJK face has no bold or italic of its own: for it both are synthesised.
  bool linked = from == &ft->fallback;
  RenderStyle style { linked ? ft->wantBold : ft->synthBold, linked ? ft->wantItalic : ft->synthItalic, ft->mono };
  Glyph g = xj::gdi::Render(face, index, style, ascent);
  if (c.cp < 0x20) g = Glyph { g.advance, 0, 0, 0, 0, {} };
  return g;
}

// ---- The shared glyph cache -------------------------------------------------------------------------
namespace {

constexpr size_t kDefaultGlyphLimit = size_t(8) << 20;

struct CachedGlyph {
  Glyph glyph;
  uint64_t key { 0 };
  size_t cost { 0 };
  bool used { true };  // looked up since the clock hand last passed
};

// Glyphs by font identity and character. When over its limit the cache lets go of glyphs not looked
// up lately (a clock sweep); a glyph let go while a lookup may still hold it waits in the graveyard
// until no lookup is open.
class GlyphCache {
 public:
  std::mutex lock;

  const Glyph& Get(RealFont& f, const TextChar& c) {
    uint64_t key = uint64_t(f.glyphSet) << 32 | (c.bytes == 2 ? 0x80000000u : 0u) | uint32_t(c.cp);
    if (CachedGlyph* const* found = map_.Find(Slot(key))) {
      (*found)->used = true;
      return (*found)->glyph;
    }
    auto e = std::make_unique<CachedGlyph>();
    e->glyph = f.Render(c);
    e->key = key;
    e->cost = sizeof(CachedGlyph) + e->glyph.alpha.capacity() + kNodeCost;
    CachedGlyph* p = e.get();
    bytes_ += p->cost;
    map_.Insert(Slot(key), p);
    clock_.push_back(std::move(e));
    Trim();
    return p->glyph;
  }

  void Open() { ++readers_; }
  void Close() {
    if (--readers_ == 0) graveyard_.clear();
  }

  void SetLimit(size_t bytes) {
    limit_ = bytes ? bytes : kDefaultGlyphLimit;
    Trim();
  }

  GlyphCacheStats Stats() const {
    GlyphCacheStats s;
    s.Glyphs = map_.Size();
    s.Bytes = bytes_;
    s.Limit = limit_;
    s.Evictions = evictions_;
    return s;
  }

 private:
  static constexpr size_t kNodeCost = 32;  // its slot in the table and the empty one beside it

  // The address map hashes a key without its low four bits, an address's alignment; here they are the
  // character's, so the key is turned round to have them hashed. The font's number stays far below 2^60.
  static uintptr_t Slot(uint64_t key) { return uintptr_t(std::rotl(key, 4)); }

  void Trim() {
    while (bytes_ > limit_ && !clock_.empty()) {
      if (hand_ >= clock_.size()) hand_ = 0;
      CachedGlyph& e = *clock_[hand_];
      if (e.used) {
        e.used = false;
        ++hand_;
        continue;
      }
      map_.Erase(Slot(e.key));
      bytes_ -= e.cost;
      ++evictions_;
      std::unique_ptr<CachedGlyph> gone = std::move(clock_[hand_]);
      clock_[hand_] = std::move(clock_.back());
      clock_.pop_back();
      if (readers_ > 0) graveyard_.push_back(std::move(gone));
    }
  }

  xj::AddressMap<CachedGlyph*> map_;
  std::vector<std::unique_ptr<CachedGlyph>> clock_;
  std::vector<std::unique_ptr<CachedGlyph>> graveyard_;
  size_t hand_ { 0 };
  size_t bytes_ { 0 };
  size_t limit_ { kDefaultGlyphLimit };
  uint64_t evictions_ { 0 };
  int readers_ { 0 };
};

GlyphCache& Glyphs() {
  static GlyphCache* c = new GlyphCache;  // drawing may go on while static objects are destroyed
  return *c;
}

}  // namespace

GlyphLookup::GlyphLookup() {
  Glyphs().lock.lock();
  Glyphs().Open();
}

GlyphLookup::~GlyphLookup() {
  if (!locked_) Glyphs().lock.lock();
  Glyphs().Close();
  Glyphs().lock.unlock();
}

const Glyph& GlyphLookup::Get(RealFont& f, const TextChar& c) { return Glyphs().Get(f, c); }

void GlyphLookup::Unlock() {
  if (locked_) Glyphs().lock.unlock();
  locked_ = false;
}

GlyphCacheStats GetGlyphCacheStats() {
  std::lock_guard<std::mutex> g(Glyphs().lock);
  return Glyphs().Stats();
}

void SetGlyphCacheLimit(size_t bytes) {
  std::lock_guard<std::mutex> g(Glyphs().lock);
  Glyphs().SetLimit(bytes);
}

namespace {

void FillTestMetrics(RealFont& f) {
  f.testFace = true;
  f.ascent = 10;
  f.descent = 3;
  f.internalLeading = 0;
  f.aveWidth = 8;
  f.maxWidth = 16;
  f.underlinePos = 1;
  f.underlineThick = 1;
  f.strikePos = 5;
  f.strikeThick = 1;
  f.charSet = GB2312_CHARSET;
  f.pitchAndFamily = FF_MODERN;
}

void FillFreeTypeMetrics(RealFont& f, const LOGFONTA& lf, const std::string& family) {
  bool wantBold = lf.lfWeight >= FW_SEMIBOLD, wantItalic = lf.lfItalic != 0;
  Match m = FindFace(family, wantBold, wantItalic);
  auto st = std::make_unique<FtState>();
  st->mono = lf.lfQuality == NONANTIALIASED_QUALITY;
  st->synthBold = wantBold && !m.bold;
  st->synthItalic = wantItalic && !m.italic;
  st->wantBold = wantBold;
  st->wantItalic = wantItalic;
  st->source = m.file + "#" + std::to_string(m.index);
  std::lock_guard<std::mutex> g(FaceLock());
  // Open once at a nominal size to read the design metrics, then size it.
  st->primary = OpenFace(m, 12);
  if (!st->primary.face) {
    FillTestMetrics(f);  // no fonts at all: still draw something measurable
    return;
  }
  FT_Face face = st->primary.face;
  int upem = face->units_per_EM ? face->units_per_EM : 1000;
  long winAscent = face->ascender, winDescent = -face->descender;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    winAscent = os2->usWinAscent;
    winDescent = os2->usWinDescent;
  }
  long cell = std::max(1L, winAscent + winDescent);
  // lfHeight < 0 is the em height, > 0 the cell height (ascent + descent).
  int em = lf.lfHeight < 0   ? int(-int64_t(lf.lfHeight))
           : lf.lfHeight > 0 ? int(std::lround(double(lf.lfHeight) * upem / double(cell)))
                             : 12;
  em = std::clamp(em, 1, 2048);
  st->em = em;
  FT_Set_Pixel_Sizes(face, 0, FT_UInt(em));
  f.ascent = Scale(winAscent, em, upem);
  f.descent = Scale(winDescent, em, upem);
  if (lf.lfHeight > 0 && lf.lfHeight <= 4096) f.descent = std::max(0, int(lf.lfHeight) - f.ascent);
  f.internalLeading = std::max(0, f.ascent + f.descent - em);
  f.aveWidth = os2 && os2->version != 0xFFFF && os2->xAvgCharWidth > 0 ? Scale(os2->xAvgCharWidth, em, upem)
                                                                       : std::max(1, em / 2);
  f.maxWidth = std::max(f.aveWidth, Scale(face->max_advance_width, em, upem));
  f.underlinePos = std::max(1, Scale(-face->underline_position, em, upem));
  f.underlineThick = std::max(1, Scale(face->underline_thickness, em, upem));
  // Text is drawn and cleared cell by cell: an underline placed below the descent (the Chinese face's
  // at most sizes) would fall outside and never show, so it rises to the cell's last rows.
  f.underlinePos = std::min(f.underlinePos, std::max(0, f.descent - f.underlineThick));
  if (os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
    f.strikePos = Scale(os2->yStrikeoutPosition, em, upem);
    f.strikeThick = std::max(1, Scale(os2->yStrikeoutSize, em, upem));
  } else {
    f.strikePos = f.ascent / 3;
  }
  bool fixed = FT_IS_FIXED_WIDTH(face);
  bool cjk = family == kCjkFamily;
  f.charSet = lf.lfCharSet == DEFAULT_CHARSET ? (cjk ? GB2312_CHARSET : ANSI_CHARSET) : lf.lfCharSet;
  f.pitchAndFamily =
      BYTE((fixed ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR | TMPF_TRUETYPE | (fixed ? FF_MODERN : FF_SWISS));
  f.ft = std::move(st);
}

// The number shared by fonts that draw the same glyphs.
uint32_t GlyphSetOf(const RealFont& f) {
  static std::mutex lock;
  static std::map<std::string, uint32_t> sets;
  std::string key = f.testFace ? std::string("test") : f.ft->source + "@" + std::to_string(f.ft->em);
  key += f.weight >= FW_SEMIBOLD ? "|b" : "|";
  if (f.ft) {
    const FtState& st = *f.ft;
    for (bool flag : { st.synthBold, st.synthItalic, st.wantBold, st.wantItalic, st.mono }) key += flag ? '1' : '0';
  }
  std::lock_guard<std::mutex> g(lock);
  return sets.emplace(key, uint32_t(sets.size() + 1)).first->second;
}

}  // namespace

std::shared_ptr<RealFont> Realize(const LOGFONTA& lfIn) {
  LOGFONTA lf = lfIn;
  {
    std::lock_guard<std::mutex> g(gOverrideLock);
    if (!gOverride.empty()) {
      std::memset(lf.lfFaceName, 0, LF_FACESIZE);
      std::strncpy(lf.lfFaceName, gOverride.c_str(), LF_FACESIZE - 1);
    }
  }
  lf.lfFaceName[LF_FACESIZE - 1] = 0;
  auto f = std::make_shared<RealFont>();
  f->face = lf.lfFaceName;
  f->weight = lf.lfWeight == FW_DONTCARE ? FW_NORMAL : int(lf.lfWeight);
  f->italic = lf.lfItalic != 0;
  f->underline = lf.lfUnderline != 0;
  f->strikeOut = lf.lfStrikeOut != 0;
  // Any escapement is rounded to the nearest quarter turn.
  int tenths = int(((int64_t(lf.lfEscapement) % 3600) + 3600) % 3600);
  f->quarterTurns = ((tenths + 450) / 900) % 4;
  if (strcasecmp(lf.lfFaceName, kTestFace) == 0)
    FillTestMetrics(*f);
  else
    FillFreeTypeMetrics(*f, lf, MapFamily(lf));
  f->glyphSet = GlyphSetOf(*f);
  return f;
}

RealFont& FontOf(DC& dc) {
  Font* f = Get<Font>(dc.st.font);
  if (!f) f = Get<Font>(GetStockObject(SYSTEM_FONT));
  if (!f->real) f->real = Realize(f->lf);
  return *f->real;
}

void SetFaceOverride(const std::string& face) {
  std::lock_guard<std::mutex> g(gOverrideLock);
  gOverride = face;
}

}  // namespace xj::gdi

using namespace xj::gdi;

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* lf) {
  if (!lf) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto f = std::make_unique<Font>();
  f->lf = *lf;
  f->lf.lfFaceName[LF_FACESIZE - 1] = 0;
  return static_cast<HFONT>(Register(std::move(f)));
}

HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                         DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                         DWORD quality, DWORD pitchAndFamily, LPCSTR face) {
  LOGFONTA lf {};
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = BYTE(italic);
  lf.lfUnderline = BYTE(underline);
  lf.lfStrikeOut = BYTE(strikeOut);
  lf.lfCharSet = BYTE(charSet);
  lf.lfOutPrecision = BYTE(outPrecision);
  lf.lfClipPrecision = BYTE(clipPrecision);
  lf.lfQuality = BYTE(quality);
  lf.lfPitchAndFamily = BYTE(pitchAndFamily);
  if (face) std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return CreateFontIndirectA(&lf);
}

// ---- Enumeration -----------------------------------------------------------------------------------
namespace {

struct Family {
  std::string name;  // UTF-8
  bool scalable { true };
  bool fixed { false };
  BYTE charSet { ANSI_CHARSET };
};

// One entry per fontconfig family, the first report winning.
std::vector<Family> ListFamilies() {
  EnsureFontconfig();
  FcPattern* pat = FcPatternCreate();
  FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, FC_SCALABLE, FC_SPACING, FC_CHARSET, nullptr);
  FcFontSet* set = FcFontList(nullptr, pat, os);
  std::vector<Family> out;
  std::map<std::string, bool> seen;
  for (int i = 0; set && i < set->nfont; ++i) {
    FcPattern* p = set->fonts[i];
    FcChar8* name = nullptr;
    if (FcPatternGetString(p, FC_FAMILY, 0, &name) != FcResultMatch) continue;
    Family f;
    f.name = reinterpret_cast<char*>(name);
    if (seen.count(f.name)) continue;
    seen[f.name] = true;
    FcBool scalable = FcTrue;
    FcPatternGetBool(p, FC_SCALABLE, 0, &scalable);
    f.scalable = scalable;
    int spacing = FC_PROPORTIONAL;
    FcPatternGetInteger(p, FC_SPACING, 0, &spacing);
    f.fixed = spacing == FC_MONO;
    FcCharSet* cs = nullptr;
    if (FcPatternGetCharSet(p, FC_CHARSET, 0, &cs) == FcResultMatch) {
      bool latin = FcCharSetHasChar(cs, 'A') && FcCharSetHasChar(cs, 'z');
      bool cjk = FcCharSetHasChar(cs, 0x4E2D);
      f.charSet = latin ? ANSI_CHARSET : cjk ? GB2312_CHARSET : SYMBOL_CHARSET;
    }
    out.push_back(f);
  }
  if (set) FcFontSetDestroy(set);
  FcObjectSetDestroy(os);
  FcPatternDestroy(pat);
  std::sort(out.begin(), out.end(), [](const Family& a, const Family& b) { return a.name < b.name; });
  return out;
}

int Enumerate(const char* family, BYTE charSet, FONTENUMPROCA proc, LPARAM lParam) {
  if (!proc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int last = 1;
  for (const Family& f : ListFamilies()) {
    std::string gbk = xj::Utf8ToGbk(f.name);
    if (family && *family && strcasecmp(family, gbk.c_str()) != 0) continue;
    if (charSet != DEFAULT_CHARSET && charSet != f.charSet) continue;
    ENUMLOGFONTEXA elf {};
    LOGFONTA& lf = elf.elfLogFont;
    lf.lfHeight = 16;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = f.charSet;
    lf.lfPitchAndFamily = BYTE((f.fixed ? FIXED_PITCH : VARIABLE_PITCH) | (f.fixed ? FF_MODERN : FF_SWISS));
    std::strncpy(lf.lfFaceName, gbk.c_str(), LF_FACESIZE - 1);
    std::strncpy(reinterpret_cast<char*>(elf.elfFullName), gbk.c_str(), sizeof elf.elfFullName - 1);
    std::strcpy(reinterpret_cast<char*>(elf.elfStyle), "Regular");
    std::strcpy(reinterpret_cast<char*>(elf.elfScript), f.charSet == GB2312_CHARSET ? "CHINESE_GB2312" : "Western");
    NEWTEXTMETRICEXA ntm {};
    ntm.ntmTm.tmHeight = 16;
    ntm.ntmTm.tmAscent = 13;
    ntm.ntmTm.tmDescent = 3;
    ntm.ntmTm.tmAveCharWidth = 7;
    ntm.ntmTm.tmMaxCharWidth = 16;
    ntm.ntmTm.tmWeight = FW_NORMAL;
    ntm.ntmTm.tmCharSet = f.charSet;
    ntm.ntmTm.tmPitchAndFamily =
        BYTE((f.fixed ? 0 : TMPF_FIXED_PITCH) | (f.scalable ? TMPF_VECTOR | TMPF_TRUETYPE : 0));
    ntm.ntmTm.ntmSizeEM = 2048;
    DWORD type = f.scalable ? TRUETYPE_FONTTYPE : RASTER_FONTTYPE;
    last = proc(&lf, reinterpret_cast<const TEXTMETRICA*>(&ntm), type, lParam);
    if (last == 0) break;
  }
  return last;
}

}  // namespace

int WINAPI EnumFontFamiliesA(HDC, LPCSTR family, FONTENUMPROCA proc, LPARAM lParam) {
  return Enumerate(family, DEFAULT_CHARSET, proc, lParam);
}

int WINAPI EnumFontFamiliesExA(HDC, LOGFONTA* lf, FONTENUMPROCA proc, LPARAM lParam, DWORD) {
  return Enumerate(lf ? lf->lfFaceName : nullptr, lf ? lf->lfCharSet : BYTE(DEFAULT_CHARSET), proc, lParam);
}
