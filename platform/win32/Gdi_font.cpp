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
#include <cmath>
#include <cstdlib>
#include <map>
#include <mutex>

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

namespace {

Glyph Render(FT_Face face, FT_UInt index, const RenderStyle& st, int ascent) {
  Glyph g;
  FT_Int32 flags = FT_LOAD_DEFAULT;
  // A face's own bitmap strike at this size (the CJK face has them for 11-16 px) is drawn as its
  // designer made it, every stroke in place; bold and italic are then made from the bitmap. Other
  // sizes keep the default hinting: of none, light and default it is the one that kept every stroke
  // of dense characters, where the others drew some too faint to see.
  if (st.mono) flags |= FT_LOAD_TARGET_MONO;
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
// What the cache spends on a glyph beside its pixels: its entry, its place in the index, the shared
// pointer's count.
constexpr size_t kGlyphEntryCost = 128;

// Glyphs by glyph set and character, bounded by their bytes. Drawing on every thread shares it, under
// its lock.
struct GlyphCache {
  std::mutex lock;
  size_t limit { kDefaultGlyphLimit };
  BoundedCache<uint64_t, std::shared_ptr<const Glyph>> glyphs {
    BoundedCache<uint64_t, std::shared_ptr<const Glyph>>::ByCost {}, kDefaultGlyphLimit
  };
};

GlyphCache& Glyphs() {
  static GlyphCache* c = new GlyphCache;  // drawing may go on while static objects are destroyed
  return *c;
}

}  // namespace

GlyphLookup::GlyphLookup() { Glyphs().lock.lock(); }

GlyphLookup::~GlyphLookup() {
  if (locked_) Glyphs().lock.unlock();
}

const std::shared_ptr<const Glyph>& GlyphLookup::Get(RealFont& f, const TextChar& c) {
  const uint64_t key = uint64_t(f.glyphSet) << 32 | (c.bytes == 2 ? 0x80000000u : 0u) | uint32_t(c.cp);
  auto& cache = Glyphs().glyphs;
  if (const std::shared_ptr<const Glyph>* found = cache.Find(key)) return *found;
  auto g = std::make_shared<const Glyph>(f.Render(c));
  const size_t cost = sizeof(Glyph) + g->alpha.capacity() + kGlyphEntryCost;
  return cache.Keep(key, std::move(g), cost);
}

void GlyphLookup::Unlock() {
  if (locked_) Glyphs().lock.unlock();
  locked_ = false;
}

GlyphCacheStats GetGlyphCacheStats() {
  std::lock_guard<std::mutex> g(Glyphs().lock);
  const GlyphCache& c = Glyphs();
  return GlyphCacheStats { c.glyphs.Size(), c.glyphs.Cost(), c.limit, c.glyphs.LetGo() };
}

void SetGlyphCacheLimit(size_t bytes) {
  std::lock_guard<std::mutex> g(Glyphs().lock);
  Glyphs().limit = bytes ? bytes : kDefaultGlyphLimit;
  Glyphs().glyphs.SetCostLimit(Glyphs().limit);
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
