// INI text and compressed skins as a skin found on the internet may bring them: NUL bytes, CR-only line
// ends, a UTF-8 byte order mark, lines of a mebibyte, floods of blank lines, comments, sections and keys
// (each in a skin directory and in a compressed skin); compressed skins whose payload inflates to
// hundreds of mebibytes, and streams that are concatenated, nested, cut, raw, gzip or otherwise odd.
// A payload of hundreds of mebibytes is compressed as it is made and never exists whole.
#include <zlib.h>

#include <algorithm>
#include <stdexcept>

#include "tools/hostile/HostileSkinsPrivate.h"
#include "tools/mkskin/SkinFiles.h"

namespace hostile::detail {

namespace {

using mkskin::Skin;

constexpr uint64_t kMiB = uint64_t { 1 } << 20;

// A zlib stream (or raw deflate, or gzip, by window bits) written piece by piece. The bombs take the best
// compression, a thousand to one on zeros; text takes the fastest.
class Deflater {
 public:
  explicit Deflater(int level = Z_BEST_SPEED, int windowBits = 15) {
    if (deflateInit2(&FZ, level, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
      throw std::runtime_error("deflateInit2 failed");
  }
  ~Deflater() { deflateEnd(&FZ); }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  z_stream& Stream() { return FZ; }
  void Add(const uint8_t* p, size_t n, int flush = Z_NO_FLUSH) {
    FZ.next_in = const_cast<uint8_t*>(p);
    FZ.avail_in = static_cast<uInt>(n);
    Run(flush);
  }
  void Add(const Bytes& b) { Add(b.data(), b.size()); }
  void Add(const std::string& s) { Add(reinterpret_cast<const uint8_t*>(s.data()), s.size()); }
  // `count` copies of `byte`, a mebibyte at a time.
  void Fill(uint8_t byte, uint64_t count) {
    const Bytes chunk(kMiB, byte);
    for (; count > 0; count -= std::min(count, kMiB)) Add(chunk.data(), std::min(count, kMiB));
  }
  Bytes Finish() {
    FZ.avail_in = 0;
    Run(Z_FINISH);
    return std::move(FOut);
  }

 private:
  void Run(int flush) {
    uint8_t buffer[1 << 16];
    do {
      FZ.next_out = buffer;
      FZ.avail_out = sizeof buffer;
      if (deflate(&FZ, flush) == Z_STREAM_ERROR) throw std::runtime_error("deflate failed");
      FOut.insert(FOut.end(), buffer, buffer + (sizeof buffer - FZ.avail_out));
    } while (FZ.avail_out == 0);
  }

  z_stream FZ {};
  Bytes FOut;
};

Bytes Compress(const Bytes& b, int level = Z_BEST_COMPRESSION, int windowBits = 15) {
  Deflater d(level, windowBits);
  d.Add(b);
  return d.Finish();
}

// The good skin's payload, and the part of it before the INI text (marker and pictures).
const Bytes& GoodPayload() {
  static const Bytes payload = mkskin::SkinPayload(mkskin::BuildTestSkin());
  return payload;
}
Bytes PicturesPart(const Skin& skin) {
  const Bytes& payload = GoodPayload();
  return Bytes(payload.begin(), payload.end() - static_cast<ptrdiff_t>(mkskin::IniText(skin).size()));
}

Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

void AsCompressedFile(Input& in, const Bytes& data) {
  in.kind = Input::Kind::CompressedSkin;
  in.files = { { "skin.skn", mkskin::CompressedSkinFile(data) } };
}

// ---- INI text -------------------------------------------------------------------------------------------

struct TextVariant {
  const char* what;
  void (*apply)(std::string& ini, Rng& rng);
};

// Where the line after "[name]" starts.
size_t AfterSection(const std::string& ini, const std::string& name) {
  const size_t at = ini.find("[" + name + "]");
  return at == std::string::npos ? 0 : ini.find('\n', at) + 1;
}

void ReplaceAll(std::string& s, const std::string& from, const std::string& to) {
  std::string out;
  out.reserve(s.size());
  size_t at = 0;
  for (size_t hit; (hit = s.find(from, at)) != std::string::npos; at = hit + from.size())
    out.append(s, at, hit - at).append(to);
  s = out.append(s, at, std::string::npos);
}

// A mebibyte of text: GBK characters, letters and digits.
std::string Mebibyte(char unit = 0) {
  if (unit) return std::string(kMiB, unit);
  std::string out;
  out.reserve(kMiB);
  while (out.size() + 4 <= kMiB) out += "行W9-";
  return out.append(kMiB - out.size(), 'x');
}

std::string Lines(const std::string& line, size_t count) {
  std::string out;
  out.reserve(line.size() * count);
  for (size_t i = 0; i < count; ++i) out += line;
  return out;
}

const TextVariant kDamaged[] {
  { "NUL bytes in place of 40 characters",
    [](std::string& ini, Rng& rng) {
      for (int i = 0; i < 40; ++i) ini[static_cast<size_t>(rng.Below(static_cast<int>(ini.size())))] = '\0';
    } },
  { "a NUL byte first", [](std::string& ini, Rng&) { ini.insert(0, 1, '\0'); } },
  { "NUL bytes inside section names",
    [](std::string& ini, Rng&) {
      ReplaceAll(ini, "[FORMINFO]", std::string("[FORM\0INFO]", 11));
      ReplaceAll(ini, "[button]", std::string("[but\0ton]", 9));
    } },
  { "CR-only line ends", [](std::string& ini, Rng&) { ReplaceAll(ini, "\r\n", "\r"); } },
  { "line ends of every kind",
    [](std::string& ini, Rng& rng) {
      static const char* const ends[] { "\r", "\n", "\r\n", "\n\r" };
      std::string out;
      size_t at = 0;
      for (size_t hit; (hit = ini.find("\r\n", at)) != std::string::npos; at = hit + 2)
        out.append(ini, at, hit - at).append(ends[rng.Below(4)]);
      ini = out.append(ini, at, std::string::npos);
    } },
  { "a UTF-8 byte order mark", [](std::string& ini, Rng&) { ini.insert(0, "\xEF\xBB\xBF"); } },
  { "a UTF-8 byte order mark before every section",
    [](std::string& ini, Rng&) {
      ReplaceAll(ini, "\n[", "\n\xEF\xBB\xBF[");
      ini.insert(0, "\xEF\xBB\xBF");
    } },
  { "a value of 1 MiB",
    [](std::string& ini, Rng&) { ini.insert(AfterSection(ini, "VERSION"), "skinname=" + Mebibyte() + "\r\n"); } },
  { "a section name of 1 MiB",
    [](std::string& ini, Rng&) {
      ini.insert(AfterSection(ini, "PICTURES"), (std::string(1, '[') += Mebibyte()) += "]\r\nk=v\r\n");
    } },
  { "a key name of 1 MiB",
    [](std::string& ini, Rng&) { ini.insert(AfterSection(ini, "FORMINFO"), Mebibyte() + "=1\r\n"); } },
  { "a line of 1 MiB without '='",
    [](std::string& ini, Rng&) { ini.insert(AfterSection(ini, "FORMINFO"), Mebibyte() + "\r\n"); } },
  { "a rectangle of 1 MiB of digits",
    [](std::string& ini, Rng&) {
      ini.insert(AfterSection(ini, "FORMINFO"), "captionrect=" + Mebibyte('9') + ",1,2,3\r\n");
    } },
};
constexpr int kDamagedCount = sizeof kDamaged / sizeof kDamaged[0];

const TextVariant kFloods[] {
  { "4,000,000 blank lines (CR LF) first", [](std::string& ini, Rng&) { ini.insert(0, Lines("\r\n", 4000000)); } },
  { "500,000 comment lines first",
    [](std::string& ini, Rng&) { ini.insert(0, Lines("; a comment of twenty bytes or so\r\n", 500000)); } },
  { "[button] 10,000 times",
    [](std::string& ini, Rng&) {
      const size_t from = ini.find("[button]"), to = ini.find("\n[", from) + 1;
      ini += Lines(ini.substr(from, to - from), 10000);
    } },
  { "10 MiB of distinct keys in [button]",
    [](std::string& ini, Rng&) {
      std::string keys;
      keys.reserve(10 * kMiB + 32);
      for (int i = 0; keys.size() < 10 * kMiB; ++i) {
        keys += 'k';
        keys += std::to_string(i);
        keys += '=';
        keys += std::to_string(i * 7);
        keys += "\r\n";
      }
      ini.insert(AfterSection(ini, "button"), keys);
    } },
  { "4,000,000 blank lines (LF) in [FORMINFO]",
    [](std::string& ini, Rng&) { ini.insert(AfterSection(ini, "FORMINFO"), Lines("\n", 4000000)); } },
  { "4,000,000 blank lines (CR) last", [](std::string& ini, Rng&) { ini += Lines("\r", 4000000); } },
  { "500,000 comment lines in [FORMINFO]",
    [](std::string& ini, Rng&) { ini.insert(AfterSection(ini, "FORMINFO"), Lines(";\r\n", 500000)); } },
  { "the whole text 300 times", [](std::string& ini, Rng&) { ini = Lines(ini, 300); } },
  { "10 MiB of one key in [FORMINFO]",
    [](std::string& ini, Rng&) {
      ini.insert(AfterSection(ini, "FORMINFO"), Lines("borderwidth=3\r\n", 10 * kMiB / 15));
    } },
};
constexpr int kFloodCount = sizeof kFloods / sizeof kFloods[0];

// Variant k % n of the table, in a skin directory for the first n inputs and a compressed skin after.
void DamagedText(const TextVariant* table, int n, Skin& skin, Rng& rng, int k, Input& in) {
  const TextVariant& v = table[k % n];
  std::string ini = mkskin::IniText(skin);
  v.apply(ini, rng);
  const bool compressed = k / n % 2 == 1;
  in.what = std::string(v.what) + (compressed ? " (compressed skin)" : "");
  if (!compressed) {
    in.files = Files(skin);
    in.files.front().second = Bytes(ini.begin(), ini.end());
    return;
  }
  Deflater d;
  d.Add(PicturesPart(skin));
  d.Add(ini);
  AsCompressedFile(in, d.Finish());
}

void IniDamaged(Skin& skin, Rng& rng, int k, Input& in) { DamagedText(kDamaged, kDamagedCount, skin, rng, k, in); }
void IniFlood(Skin& skin, Rng& rng, int k, Input& in) { DamagedText(kFloods, kFloodCount, skin, rng, k, in); }

// ---- Inflation bombs ------------------------------------------------------------------------------------

// A bitmap header for an 8192 x 8192 picture of 24 bits, whose 192 MiB of pixels follow.
Bytes BigPictureHeader() {
  Bytes b { 'B', 'M' };
  const uint32_t pixels = 8192u * 8192u * 3u;
  for (const uint32_t v : { pixels + 54, 0u, 54u, 40u, 8192u, 8192u }) Append32(b, v);
  Append16(b, 1);
  Append16(b, 24);
  for (const uint32_t v : { 0u, pixels, 3780u, 3780u, 0u, 0u }) Append32(b, v);
  return b;
}

// A payload of `head`, `count` copies of `fill`, and `tail`, compressed as it is made.
struct Bomb {
  const char* what;
  Bytes (*head)(const Skin& skin);
  uint8_t fill;
  uint64_t count;
  Bytes (*tail)(const Skin& skin);
};

Bytes Nothing(const Skin&) { return {}; }
Bytes Good(const Skin&) { return GoodPayload(); }

// The good skin's base pictures and nine active pictures of 2^26 pixels (RLE8) each, then its INI text.
Bytes NinePictures(const Skin& skin) {
  Bytes payload { 1, 0, 0, 0 },
      pictures = mkskin::PicturesProperty(Skin { {}, skin.picture, skin.inactivePicture, skin.mask, {} });
  Put32(pictures, pictures.size() - 4, 9);  // the count of active pictures ends the base pictures
  payload.insert(payload.end(), pictures.begin(), pictures.end());
  const Bytes picture = LimitRle8();
  for (int i = 0; i < 9; ++i) payload.insert(payload.end(), picture.begin(), picture.end());
  const std::string ini = mkskin::IniText(skin);
  payload.insert(payload.end(), ini.begin(), ini.end());
  return payload;
}

const Bomb kBombs[] {
  { "257 MiB of zeros, past the payload limit", Nothing, 0, 257 * kMiB, Nothing },
  { "marker 1, then 192 MiB of zeros",
    [](const Skin&) {
      return Bytes { 1, 0, 0, 0 };
    },
    0, 192 * kMiB, Nothing },
  { "192 MiB of zeros", Nothing, 0, 192 * kMiB, Nothing },
  { "the good skin, its INI text followed by 192 MiB of NUL bytes", Good, 0, 192 * kMiB, Nothing },
  { "the good skin and a line of 192 MiB", [](const Skin&) { return Cat(GoodPayload(), Text("skincomments=")); }, 'A',
    192 * kMiB, Nothing },
  { "a base picture of 8192x8192x24, its 192 MiB of pixels inside",
    [](const Skin&) {
      return Cat(Bytes { 1, 0, 0, 0, 0 }, BigPictureHeader());
    },
    0x80, 8192 * 8192 * 3,
    // no inactive picture, no mask, no active pictures, the INI text
    [](const Skin& skin) {
      return Cat(Bytes { 1, 1, 0, 0, 0, 0 }, Text(mkskin::IniText(skin)));
    } },
  { "nine active pictures of 2^26 pixels (RLE8) in a small payload", NinePictures, 0, 0, Nothing },
  { "the good skin followed by 257 MiB of NUL bytes", Good, 0, 257 * kMiB, Nothing },
};
constexpr int kBombCount = sizeof kBombs / sizeof kBombs[0];

void InflateBomb(Skin& skin, Rng&, int k, Input& in) {
  const Bomb& b = kBombs[k % kBombCount];
  in.what = b.what;
  Deflater d(Z_BEST_COMPRESSION);
  d.Add(b.head(skin));
  d.Fill(b.fill, b.count);
  d.Add(b.tail(skin));
  AsCompressedFile(in, d.Finish());
}

// ---- Odd streams ----------------------------------------------------------------------------------------

struct StreamVariant {
  const char* what;
  Bytes (*make)(const Skin& skin, Rng& rng);
};

const StreamVariant kOdd[] {
  { "two zlib streams: the payload, then another",
    [](const Skin&, Rng&) { return Cat(Compress(GoodPayload()), Compress(Text("[VERSION]\r\nskinname=x\r\n"))); } },
  { "two zlib streams: the marker, then the rest",
    [](const Skin&, Rng&) {
      const Bytes& p = GoodPayload();
      return Cat(Compress(Bytes(p.begin(), p.begin() + 4)), Compress(Bytes(p.begin() + 4, p.end())));
    } },
  { "the compressed skin file inside the payload",
    [](const Skin&, Rng&) { return Compress(mkskin::CompressedSkinFile(Compress(GoodPayload()))); } },
  { "marker 1, then the payload's zlib stream inside the payload",
    [](const Skin&, Rng&) {
      return Compress(Cat(Bytes { 1, 0, 0, 0 }, Compress(GoodPayload())));
    } },
  { "the zlib header alone",
    [](const Skin&, Rng&) {
      return Bytes { 0x78, 0xDA };
    } },
  { "cut short at random",
    [](const Skin&, Rng& rng) {
      Bytes b = Compress(GoodPayload());
      b.resize(static_cast<size_t>(rng.Between(3, static_cast<int>(b.size()) - 5)));
      return b;
    } },
  { "without its Adler-32 checksum",
    [](const Skin&, Rng&) {
      Bytes b = Compress(GoodPayload());
      b.resize(b.size() - 4);
      return b;
    } },
  { "a wrong Adler-32 checksum",
    [](const Skin&, Rng&) {
      Bytes b = Compress(GoodPayload());
      b.back() ^= 0x5A;
      return b;
    } },
  { "raw deflate without the zlib header",
    [](const Skin&, Rng&) { return Compress(GoodPayload(), Z_BEST_COMPRESSION, -15); } },
  { "a gzip stream", [](const Skin&, Rng&) { return Compress(GoodPayload(), Z_BEST_COMPRESSION, 31); } },
  { "an empty zlib stream", [](const Skin&, Rng&) { return Compress(Bytes {}); } },
  { "a preset dictionary asked for",
    [](const Skin&, Rng&) {
      Deflater d(Z_BEST_COMPRESSION);
      static const Bytes dictionary = Text("[FORMINFO]");
      deflateSetDictionary(&d.Stream(), dictionary.data(), static_cast<uInt>(dictionary.size()));
      d.Add(GoodPayload());
      return d.Finish();
    } },
  { "stored blocks only", [](const Skin&, Rng&) { return Compress(GoodPayload(), Z_NO_COMPRESSION); } },
  { "a block for each of the first 65,536 bytes",
    [](const Skin&, Rng&) {
      const Bytes& p = GoodPayload();
      Deflater d;
      for (size_t i = 0; i < 65536; ++i) d.Add(&p[i], 1, Z_FULL_FLUSH);
      d.Add(p.data() + 65536, p.size() - 65536);
      return d.Finish();
    } },
  { "the final block followed by 4096 bytes of noise",
    [](const Skin&, Rng& rng) {
      Bytes b = Compress(GoodPayload());
      for (int i = 0; i < 4096; ++i) b.push_back(static_cast<uint8_t>(rng.Next()));
      return b;
    } },
  { "no data at all", [](const Skin&, Rng&) { return Bytes {}; } },
};
constexpr int kOddCount = sizeof kOdd / sizeof kOdd[0];

void OddStream(Skin& skin, Rng& rng, int k, Input& in) {
  const StreamVariant& v = kOdd[k % kOddCount];
  in.what = v.what;
  AsCompressedFile(in, v.make(skin, rng));
}

}  // namespace

std::vector<FamilyDef> StreamFamilies() {
  return {
    { { "ini-damaged", 2 * kDamagedCount }, IniDamaged },
    { { "ini-flood", 2 * kFloodCount }, IniFlood },
    { { "inflate-bomb", kBombCount }, InflateBomb },
    { { "stream-odd", kOddCount }, OddStream },
  };
}

}  // namespace hostile::detail
