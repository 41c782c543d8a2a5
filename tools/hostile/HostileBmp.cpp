// Bitmaps as a skin found on the internet may hold them: run-length coded pictures whose runs and deltas
// go past the right edge and the last row, bit-field masks that are zero, overlap or have holes, 1, 4, 16
// and 32-bit pictures, colour counts of 0 and 2^31, no rows, top-down rows, and sizes at the readers'
// limits (2^26 pixels, 32767 a side) and one past them. Each goes in as the base picture, as the mask and
// as an active picture; the variant comes first in a family's order, so its first inputs differ in kind.
#include <algorithm>
#include <functional>

#include "tools/hostile/HostileSkinsPrivate.h"

namespace hostile::detail {

namespace {

using mkskin::Picture;
using mkskin::Skin;

constexpr uint32_t kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

// Everything a BMP file's headers say, written as given: nothing here is checked or made to agree.
struct Bmp {
  Bmp(int32_t w, int32_t h, int b, uint32_t c = 0) : width(w), height(h), bits(b), compression(c) {}

  int32_t width, height;  // height < 0: rows top-down
  int bits;
  uint32_t compression;
  std::vector<uint32_t> palette;  // 0xRRGGBB
  int64_t colours { -1 };         // the header's colour count; -1: the palette's size
  std::vector<uint32_t> masks;    // after a 40-byte header (bit fields)
  bool core { false };            // the 12-byte header of old, three bytes a colour
  Bytes pixels;
};

Bytes FileOf(const Bmp& b) {
  const uint32_t header = b.core ? 12 : 40, entry = b.core ? 3 : 4;
  const auto offset = static_cast<uint32_t>(14 + header + 4 * b.masks.size() + entry * b.palette.size());
  Bytes out { 'B', 'M' };
  out.reserve(offset + b.pixels.size());
  Append32(out, offset + static_cast<uint32_t>(b.pixels.size()));
  Append32(out, 0);
  Append32(out, offset);
  Append32(out, header);
  if (b.core) {
    for (const int v : { b.width, b.height, 1, b.bits }) Append16(out, static_cast<uint16_t>(v));
  } else {
    Append32(out, static_cast<uint32_t>(b.width));
    Append32(out, static_cast<uint32_t>(b.height));
    Append16(out, 1);
    Append16(out, static_cast<uint16_t>(b.bits));
    Append32(out, b.compression);
    Append32(out, static_cast<uint32_t>(b.pixels.size()));
    Append32(out, 3780);
    Append32(out, 3780);
    Append32(out, static_cast<uint32_t>(b.colours < 0 ? static_cast<int64_t>(b.palette.size()) : b.colours));
    Append32(out, 0);
  }
  for (const uint32_t m : b.masks) Append32(out, m);
  for (const uint32_t c : b.palette) {
    for (const int shift : { 0, 8, 16 }) out.push_back(static_cast<uint8_t>(c >> shift));
    if (!b.core) out.push_back(0);
  }
  out.insert(out.end(), b.pixels.begin(), b.pixels.end());
  return out;
}

// ---- Pixels in other depths -----------------------------------------------------------------------------

// The nearest colour of a small fixed palette: 3-3-2 bits for 8, 1-2-1 for 4, black or white for 1.
uint8_t IndexOf(uint32_t rgb, int bits) {
  const uint32_t r = rgb >> 16 & 255, g = rgb >> 8 & 255, b = rgb & 255;
  switch (bits) {
    case 8:
      return static_cast<uint8_t>((r >> 5) << 5 | (g >> 5) << 2 | b >> 6);
    case 4:
      return static_cast<uint8_t>((r >> 7) << 3 | (g >> 6) << 1 | b >> 7);
    default:
      return (r * 3 + g * 6 + b) / 10 >= 128 ? 1 : 0;
  }
}

std::vector<uint32_t> PaletteOf(int bits) {
  std::vector<uint32_t> out;
  for (uint32_t i = 0; i < (1u << bits); ++i) {
    uint32_t r = 0, g = 0, b = 0;
    if (bits == 8) r = (i >> 5) * 36, g = (i >> 2 & 7) * 36, b = (i & 3) * 85;
    if (bits == 4) r = (i >> 3) * 255, g = (i >> 1 & 3) * 85, b = (i & 1) * 255;
    if (bits == 1) r = g = b = i * 255;
    out.push_back(r << 16 | g << 8 | b);
  }
  return out;
}

uint16_t Rgb555(uint32_t c) {
  return static_cast<uint16_t>((c >> 19 & 31) << 10 | (c >> 11 & 31) << 5 | (c >> 3 & 31));
}
uint16_t Rgb565(uint32_t c) {
  return static_cast<uint16_t>((c >> 19 & 31) << 11 | (c >> 10 & 63) << 5 | (c >> 3 & 31));
}

// The picture's rows at `bits` a pixel, bottom-up unless topDown, each padded to four bytes; `value`
// turns a colour into what is stored (an index, a 16-bit word, the colour itself).
Bytes Rows(const Picture& p, int bits, bool topDown, const std::function<uint32_t(uint32_t)>& value) {
  const size_t stride = (static_cast<size_t>(p.width) * static_cast<size_t>(bits) + 31) / 32 * 4;
  Bytes out(stride * static_cast<size_t>(p.height), 0);
  for (int y = 0; y < p.height; ++y) {
    uint8_t* row = out.data() + stride * static_cast<size_t>(topDown ? y : p.height - 1 - y);
    for (int x = 0; x < p.width; ++x) {
      const uint32_t v = value(p.At(x, y));
      if (bits < 8) {
        const int shift = 8 - bits - x * bits % 8;
        row[x * bits / 8] |= static_cast<uint8_t>(v << shift);
      } else {
        for (int i = 0; i < bits / 8; ++i)
          row[static_cast<size_t>(x * bits / 8 + i)] = static_cast<uint8_t>(v >> (8 * i));
      }
    }
  }
  return out;
}

Bmp Paletted(const Picture& p, int bits, bool topDown = false) {
  Bmp b { p.width, topDown ? -p.height : p.height, bits };
  b.palette = PaletteOf(bits);
  b.pixels = Rows(p, bits, topDown, [bits](uint32_t c) { return IndexOf(c, bits); });
  return b;
}

Bmp Direct(const Picture& p, int bits, bool topDown = false) {
  Bmp b { p.width, topDown ? -p.height : p.height, bits };
  b.pixels = Rows(p, bits, topDown, [bits](uint32_t c) { return bits == 16 ? Rgb555(c) : c; });
  return b;
}

// 16 or 32 bits with the masks given; the pixels are stored as 5-6-5 or 8-8-8 whatever the masks say.
Bmp Fields(const Picture& p, int bits, std::vector<uint32_t> masks, uint32_t compression = kBitFields) {
  Bmp b { p.width, p.height, bits, compression };
  b.masks = std::move(masks);
  b.pixels = Rows(p, bits, false, [bits](uint32_t c) { return bits == 16 ? Rgb565(c) : c; });
  return b;
}

// ---- Run-length coding ----------------------------------------------------------------------------------

// Each row's runs of one index (at most 255 pixels a run), bottom row first, without end-of-line escapes.
std::vector<Bytes> RleRows(const Picture& p, int bits) {
  std::vector<Bytes> rows;
  for (int y = p.height - 1; y >= 0; --y) {
    Bytes row;
    for (int x = 0; x < p.width;) {
      const uint8_t v = IndexOf(p.At(x, y), bits);
      int n = 1;
      while (x + n < p.width && n < 255 && IndexOf(p.At(x + n, y), bits) == v) ++n;
      row.push_back(static_cast<uint8_t>(n));
      row.push_back(bits == 8 ? v : static_cast<uint8_t>(v << 4 | v));
      x += n;
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

// The rows with end-of-line escapes between them; when `end`, one after the last and the end-of-bitmap
// escape, else the data stops where the last row does.
Bytes Joined(const std::vector<Bytes>& rows, bool end) {
  Bytes out;
  for (size_t i = 0; i < rows.size(); ++i) {
    out.insert(out.end(), rows[i].begin(), rows[i].end());
    if (i + 1 < rows.size() || end) out.insert(out.end(), { 0, 0 });
  }
  if (end) out.insert(out.end(), { 0, 1 });
  return out;
}

void Repeat(Bytes& b, const Bytes& unit, int times) {
  for (int i = 0; i < times; ++i) b.insert(b.end(), unit.begin(), unit.end());
}

// An absolute run of n pixels: the escape, the indexes (two a byte at 4 bits), padded to a word.
Bytes Absolute(int n, int bits, uint8_t index) {
  const int bytes = bits == 8 ? n : (n + 1) / 2;
  Bytes run(2 + static_cast<size_t>(bytes + bytes % 2), bits == 8 ? index : static_cast<uint8_t>(index * 17));
  run[0] = 0;
  run[1] = static_cast<uint8_t>(n);
  return run;
}

struct RleVariant {
  const char* what;
  // Breaks the coded rows (row r of them), or says the end-of-bitmap escape is left out.
  void (*apply)(std::vector<Bytes>& rows, size_t r, int bits, Rng& rng, bool& end);
};

const RleVariant kRleVariants[] {
  { "runs past the right edge",
    [](std::vector<Bytes>& rows, size_t r, int, Rng& rng, bool&) {
      Repeat(rows[r], { 255, static_cast<uint8_t>(rng.Below(256)) }, 200);
    } },
  { "absolute runs past the right edge",
    [](std::vector<Bytes>& rows, size_t r, int bits, Rng& rng, bool&) {
      Repeat(rows[r], Absolute(255, bits, static_cast<uint8_t>(rng.Below(16))), 4);
    } },
  { "rows past the last row",
    [](std::vector<Bytes>& rows, size_t, int, Rng&, bool&) { rows.insert(rows.end(), 300, rows.front()); } },
  { "rows past the last row and no end of bitmap",
    [](std::vector<Bytes>& rows, size_t, int, Rng&, bool& end) {
      rows.insert(rows.end(), 5000, Bytes { 3, 1 });
      end = false;
    } },
  { "deltas past the right edge",
    [](std::vector<Bytes>& rows, size_t r, int, Rng&, bool&) {
      Repeat(rows[r], { 0, 2, 255, 0, 10, 1 }, 200);
    } },
  { "deltas past the last row",
    [](std::vector<Bytes>& rows, size_t r, int, Rng&, bool&) {
      Repeat(rows[r], { 0, 2, 0, 255, 20, 2 }, 40);
    } },
  { "cut inside an escape",
    [](std::vector<Bytes>& rows, size_t r, int bits, Rng& rng, bool& end) {
      // A delta without its rows, or an absolute run of 200 pixels with three of them.
      rows.resize(r + 1);
      const Bytes cut = rng.Below(2) ? Bytes { 0, 2, 5 } : Absolute(200, bits, 3);
      rows[r].insert(rows[r].end(), cut.begin(), cut.begin() + std::min<ptrdiff_t>(5, std::ssize(cut)));
      end = false;
    } },
  { "top-down", nullptr },
};
constexpr int kRleVariantCount = sizeof kRleVariants / sizeof kRleVariants[0];

// Variant v of the picture in RLE8 (v even) or RLE4 (v odd).
Bytes Rle(const Picture& p, int v, Rng& rng, std::string& what) {
  const RleVariant& variant = kRleVariants[v / 2];
  const int bits = v % 2 ? 4 : 8;
  std::vector<Bytes> rows = RleRows(p, bits);
  const size_t r = static_cast<size_t>(rng.Below(static_cast<int>(rows.size())));
  bool end = true;
  Bmp b { p.width, p.height, bits, bits == 8 ? kRle8 : kRle4 };
  b.palette = PaletteOf(bits);
  if (variant.apply)
    variant.apply(rows, r, bits, rng, end);
  else
    b.height = -b.height;
  b.pixels = Joined(rows, end);
  what = std::string(bits == 8 ? "RLE8 " : "RLE4 ") + variant.what + " (row " + std::to_string(r) + ")";
  return FileOf(b);
}

// ---- Headers --------------------------------------------------------------------------------------------

// The picture stored at `bits` a pixel (under bit fields when there are masks), then a field of the
// header overridden.
struct HeaderVariant {
  enum Change { kNone, kColours, kNoTable, kOneColour, kWidth, kHeight, kCore };
  const char* what;
  int bits;
  std::vector<uint32_t> masks {};
  uint32_t compression { kBitFields };  // with masks
  bool topDown { false };
  Change change { kNone };
  int64_t value { 0 };  // the colour count, width or height
};

Bmp Made(const Picture& p, const HeaderVariant& v) {
  Bmp b = v.bits <= 8        ? Paletted(p, v.bits, v.topDown)
          : !v.masks.empty() ? Fields(p, v.bits, v.masks, v.compression)
                             : Direct(p, v.bits, v.topDown);
  switch (v.change) {
    case HeaderVariant::kColours:
      b.colours = v.value;
      break;
    case HeaderVariant::kNoTable:
      b.palette.clear();
      b.colours = 0;
      break;
    case HeaderVariant::kOneColour:
      b.palette.resize(1);
      break;
    case HeaderVariant::kWidth:
      b.width = static_cast<int32_t>(v.value);
      break;
    case HeaderVariant::kHeight:
      b.height = static_cast<int32_t>(v.value);
      break;
    case HeaderVariant::kCore:
      b.core = true;
      break;
    default:
      break;
  }
  return b;
}

using HV = HeaderVariant;
const HeaderVariant kHeaderVariants[] {
  { .what = "16-bit bit fields all zero", .bits = 16, .masks = { 0, 0, 0 } },
  { .what = "16-bit 5-5-5", .bits = 16 },
  { .what = "16-bit 5-6-5 bit fields", .bits = 16, .masks = { 0xF800, 0x07E0, 0x001F } },
  { .what = "16-bit red mask zero", .bits = 16, .masks = { 0, 0x07E0, 0x001F } },
  { .what = "16-bit masks overlapping", .bits = 16, .masks = { 0xFFFF, 0xFFFF, 0xFFFF } },
  { .what = "16-bit masks not contiguous", .bits = 16, .masks = { 0x5555, 0xAAAA, 0x0F0F } },
  { .what = "16-bit masks past 16 bits", .bits = 16, .masks = { 0xFFFF0000, 0xFF000000, 0x10000 } },
  { .what = "32-bit bit fields all zero", .bits = 32, .masks = { 0, 0, 0 } },
  { .what = "32-bit masks overlapping", .bits = 32, .masks = { ~0u, ~0u, ~0u } },
  { .what = "32-bit masks not contiguous", .bits = 32, .masks = { 0xF0F0F0F0, 0x0F0F0F0F, 0x33333333 } },
  { .what = "32-bit alpha bit fields",
    .bits = 32,
    .masks = { 0xFF0000, 0xFF00, 0xFF, 0xFF000000 },
    .compression = kAlphaBitFields },
  { .what = "32-bit plain", .bits = 32 },
  { .what = "1-bit", .bits = 1 },
  { .what = "4-bit", .bits = 4 },
  { .what = "1-bit top-down", .bits = 1, .topDown = true },
  { .what = "4-bit top-down", .bits = 4, .topDown = true },
  { .what = "8-bit top-down", .bits = 8, .topDown = true },
  { .what = "24-bit top-down", .bits = 24, .topDown = true },
  { .what = "8-bit, no colour table and a count of 0", .bits = 8, .change = HV::kNoTable },
  { .what = "8-bit, a colour count of 2^31", .bits = 8, .change = HV::kColours, .value = int64_t { 1 } << 31 },
  { .what = "1-bit, a colour count of 2^31", .bits = 1, .change = HV::kColours, .value = int64_t { 1 } << 31 },
  { .what = "24-bit, a colour count of 2^31", .bits = 24, .change = HV::kColours, .value = int64_t { 1 } << 31 },
  { .what = "8-bit, one colour for indexes up to 255", .bits = 8, .change = HV::kOneColour },
  { .what = "height 0", .bits = 24, .change = HV::kHeight, .value = 0 },
  { .what = "width 0", .bits = 24, .change = HV::kWidth, .value = 0 },
  { .what = "height -2^31", .bits = 24, .change = HV::kHeight, .value = INT32_MIN },
  { .what = "core header, 24-bit", .bits = 24, .change = HV::kCore },
};
constexpr int kHeaderVariantCount = sizeof kHeaderVariants / sizeof kHeaderVariants[0];

// ---- Sizes at the limits --------------------------------------------------------------------------------

// A run-length coded picture of any size in a few kilobytes: rows of a few runs, enough of them that the
// reader's rule (a byte of data for every 4096 pixels) holds, or only the end escape when `starved`.
Bmp RleOfSize(int32_t width, int32_t height, int bits, bool starved) {
  Bmp b { width, height, bits, bits == 8 ? kRle8 : kRle4 };
  b.palette = PaletteOf(bits);
  const int runs = width / 8192 + 1;
  const auto run = static_cast<uint8_t>(std::min(255, std::max(1, width / (runs + 1))));
  for (int32_t y = 0; y < height && !starved; ++y) {
    for (int i = 0; i < runs; ++i) b.pixels.insert(b.pixels.end(), { run, static_cast<uint8_t>((y + i) * 37) });
    b.pixels.insert(b.pixels.end(), { 0, 0 });
  }
  b.pixels.insert(b.pixels.end(), { 0, 1 });
  return b;
}

Bmp MonoOfSize(int32_t width, int32_t height) {
  Bmp b { width, height, 1 };
  b.palette = PaletteOf(1);
  b.pixels.assign((static_cast<size_t>(width) + 31) / 32 * 4 * static_cast<size_t>(height), 0x5A);
  return b;
}

struct LimitVariant {
  const char* what;
  Bmp (*make)();
};

const LimitVariant kLimitVariants[] {
  { "RLE8 8192x8192, 2^26 pixels", [] { return RleOfSize(8192, 8192, 8, false); } },
  { "RLE8 8192x8193, a row past 2^26 pixels", [] { return RleOfSize(8192, 8193, 8, false); } },
  { "RLE4 8192x8192, 2^26 pixels", [] { return RleOfSize(8192, 8192, 4, false); } },
  { "RLE8 16384x4096, 2^26 pixels", [] { return RleOfSize(16384, 4096, 8, false); } },
  { "RLE8 32767x2048, the widest", [] { return RleOfSize(32767, 2048, 8, false); } },
  { "RLE8 32768x2048, a column past the widest", [] { return RleOfSize(32768, 2048, 8, false); } },
  { "RLE8 2048x32767, the tallest", [] { return RleOfSize(2048, 32767, 8, false); } },
  { "RLE8 2048x32768, a row past the tallest", [] { return RleOfSize(2048, 32768, 8, false); } },
  { "RLE8 8192x8192 in 2 bytes of data", [] { return RleOfSize(8192, 8192, 8, true); } },
  { "1-bit 8192x8192, 2^26 pixels", [] { return MonoOfSize(8192, 8192); } },
  { "1-bit 8192x8193, a row past 2^26 pixels", [] { return MonoOfSize(8192, 8193); } },
};
constexpr int kLimitVariantCount = sizeof kLimitVariants / sizeof kLimitVariants[0];

// ---- The families ---------------------------------------------------------------------------------------

// The bitmap made from the picture it stands for goes in as the base picture (role 0), the mask (1) or
// an active picture (2).
void Replace(Skin& skin, Rng& rng, int role, Input& in, const std::function<Bytes(const Picture&)>& make) {
  in.files = Files(skin);
  const mkskin::SkinPicture* p = role == 0 ? &skin.picture : role == 1 ? &skin.mask : &rng.Pick(skin.activePictures);
  *FileBytes(in, p->fileName) = make(p->picture);
  in.what += std::string(role == 0   ? " as the picture "
                         : role == 1 ? " as the mask "
                                     : " as active picture ") +
             p->fileName;
}

void BmpRle(Skin& skin, Rng& rng, int k, Input& in) {
  Replace(skin, rng, k / (2 * kRleVariantCount), in,
          [&](const Picture& p) { return Rle(p, k % (2 * kRleVariantCount), rng, in.what); });
}

void BmpHeader(Skin& skin, Rng& rng, int k, Input& in) {
  const HeaderVariant& v = kHeaderVariants[k % kHeaderVariantCount];
  in.what = v.what;
  Replace(skin, rng, k / kHeaderVariantCount, in, [&](const Picture& p) { return FileOf(Made(p, v)); });
}

void BmpLimit(Skin& skin, Rng& rng, int k, Input& in) {
  const LimitVariant& v = kLimitVariants[k % kLimitVariantCount];
  in.what = v.what;
  Replace(skin, rng, k / kLimitVariantCount, in, [&](const Picture&) { return FileOf(v.make()); });
}

}  // namespace

Bytes LimitRle8() { return FileOf(RleOfSize(8192, 8192, 8, false)); }

std::vector<FamilyDef> BmpFamilies() {
  return {
    { { "bmp-rle", 3 * 2 * kRleVariantCount }, BmpRle },
    { { "bmp-header", 3 * kHeaderVariantCount }, BmpHeader },
    { { "bmp-limit", 3 * kLimitVariantCount }, BmpLimit },
  };
}

}  // namespace hostile::detail
