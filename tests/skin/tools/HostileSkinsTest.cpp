// The hostile-skin generator: a set of every family of at least 2,000 inputs, each input the same bytes
// for the same seed and index, each one broken (never the good skin again) in the way its family says.
// Run-length coded pictures are walked and compressed skins inflated here with code of their own.
#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <filesystem>
#include <map>
#include <set>

#include "tests/skin/tools/SkinFiles.h"
#include "tests/support/Scratch.h"
#include "tools/hostile/HostileSkins.h"
#include "tools/mkskin/SkinFiles.h"
#include "tools/mkskin/TestSkin.h"

namespace {

using Files = std::map<std::string, std::vector<uint8_t>>;

Files FilesOf(const hostile::Input& in) { return Files(in.files.begin(), in.files.end()); }

Files GoodFiles() {
  const mkskin::Skin skin = mkskin::BuildTestSkin();
  const std::string ini = mkskin::IniText(skin);
  Files out { { "skin.ini", std::vector<uint8_t>(ini.begin(), ini.end()) } };
  for (const mkskin::SkinPicture* p : { &skin.picture, &skin.inactivePicture, &skin.mask })
    out[p->fileName] = mkskin::BmpBytes(p->picture);
  for (const mkskin::SkinPicture& p : skin.activePictures) out[p.fileName] = mkskin::BmpBytes(p.picture);
  return out;
}

// The first index of the family named Name.
int First(const std::string& Name) {
  int index = 0;
  for (const hostile::Family& f : hostile::Families()) {
    if (f.name == Name) return index;
    index += f.count;
  }
  ADD_FAILURE() << "no family " << Name;
  return 0;
}

std::string Ini(const hostile::Input& in) {
  const Files files = FilesOf(in);
  const auto it = files.find("skin.ini");
  return it == files.end() ? "" : std::string(it->second.begin(), it->second.end());
}

int32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24);
}
int Le16(const std::vector<uint8_t>& b, size_t at) { return b[at] | b[at + 1] << 8; }

// The one picture of the input that differs from the good skin's file of that name.
std::vector<uint8_t> ChangedPicture(const hostile::Input& in) {
  const Files good = GoodFiles();
  std::vector<uint8_t> out;
  int changed = 0;
  for (const auto& [name, bytes] : in.files)
    if (name != "skin.ini" && bytes != good.at(name)) {
      out = bytes;
      ++changed;
    }
  EXPECT_EQ(changed, 1) << in.what;
  return out;
}

// How far the runs and deltas of an RLE8 picture reach: the largest x and row they touch.
struct Reach {
  int x { 0 }, y { 0 };
};
Reach WalkRle8(const std::vector<uint8_t>& file) {
  Reach r;
  int x = 0, y = 0;
  for (size_t i = static_cast<size_t>(Le32(file, 10)); i + 1 < file.size();) {
    const int count = file[i], value = file[i + 1];
    i += 2;
    if (count > 0) {
      x += count;
    } else if (value == 0) {
      x = 0, ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2 && i + 1 < file.size()) {
      x += file[i], y += file[i + 1];
      i += 2;
    } else {
      x += value;
      i += static_cast<size_t>((value + 1) & ~1);
    }
    r.x = std::max(r.x, x), r.y = std::max(r.y, y);
  }
  return r;
}

// Inflates the zlib stream at the start of `data` a chunk at a time; the bytes it took, or 0 when it
// did not end.
size_t Inflate(const std::vector<uint8_t>& data, const std::function<void(const uint8_t*, size_t)>& sink) {
  z_stream z {};
  inflateInit(&z);
  z.next_in = const_cast<uint8_t*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  std::vector<uint8_t> chunk(1 << 20);
  int rc = Z_OK;
  while (rc == Z_OK) {
    z.next_out = chunk.data();
    z.avail_out = static_cast<uInt>(chunk.size());
    rc = inflate(&z, Z_NO_FLUSH);
    sink(chunk.data(), chunk.size() - z.avail_out);
  }
  const size_t used = rc == Z_STREAM_END ? data.size() - z.avail_in : 0;
  inflateEnd(&z);
  return used;
}

// The zlib data of a compressed skin file.
std::vector<uint8_t> DataOf(const hostile::Input& in) {
  EXPECT_EQ(in.kind, hostile::Input::Kind::CompressedSkin);
  const Files files = FilesOf(in);
  const std::vector<uint8_t>& file = files.at("skin.skn");
  EXPECT_EQ(static_cast<size_t>(Le32(file, 4)), file.size() - 8);
  return std::vector<uint8_t>(file.begin() + 8, file.end());
}

}  // namespace

TEST(HostileSkins, TheSetHoldsEveryFamilyInOrderAndRefusesIndexesOutsideIt) {
  const auto& families = hostile::Families();
  std::set<std::string> names;
  int total = 0;
  for (const hostile::Family& f : families) {
    EXPECT_GT(f.count, 1) << f.name;
    names.insert(f.name);
    total += f.count;
  }
  EXPECT_EQ(names.size(), families.size());
  EXPECT_EQ(families.size(), 25u);
  EXPECT_EQ(hostile::SetSize(), total);
  EXPECT_GE(total, 2000);
  EXPECT_EQ(hostile::Locate(0), std::make_pair(0, 0));
  EXPECT_EQ(hostile::Locate(families[0].count), std::make_pair(1, 0));
  EXPECT_EQ(hostile::Locate(total - 1),
            std::make_pair(static_cast<int>(families.size()) - 1, families.back().count - 1));
  EXPECT_THROW(hostile::Locate(total), std::out_of_range);
  EXPECT_THROW(hostile::Make(1, -1), std::out_of_range);
}

// The first two inputs of every family: reproducible from (seed, index), of the family Locate names, and
// never the good skin's files.
TEST(HostileSkins, EveryFamilyBreaksTheGoodSkinTheSameWayForTheSameSeed) {
  const Files good = GoodFiles();
  int index = 0;
  for (const hostile::Family& f : hostile::Families()) {
    for (int k = 0; k < 2; ++k) {
      const hostile::Input a = hostile::Make(5, index + k), b = hostile::Make(5, index + k);
      EXPECT_EQ(a.family, f.name);
      EXPECT_FALSE(a.what.empty()) << f.name << " " << k;
      EXPECT_EQ(FilesOf(a), FilesOf(b)) << f.name << " " << k;
      EXPECT_NE(FilesOf(a), good) << f.name << " " << k;
      EXPECT_EQ(a.Entry(), a.kind == hostile::Input::Kind::CompressedSkin ? "skin.skn" : "skin.ini");
      EXPECT_TRUE(FilesOf(a).count(a.Entry()) || f.name == "section-missing") << f.name << " " << k;
    }
    index += f.count;
  }
  // Another seed mutates the good skin elsewhere.
  const int mutation = First("mutation");
  int differ = 0;
  for (int k = 0; k < 5; ++k)
    differ += FilesOf(hostile::Make(5, mutation + k)) != FilesOf(hostile::Make(6, mutation + k));
  EXPECT_EQ(differ, 5);
}

TEST(HostileSkins, TheCraftedFamiliesHoldWhatTheyPromise) {
  // A rectangle of 2,147,483,600 pixels.
  EXPECT_NE(Ini(hostile::Make(1, First("rect-huge"))).find("=0,0,2147483600,40"), std::string::npos);
  // A 16000 x 16000 picture, as its header says.
  {
    const hostile::Input in = hostile::Make(1, First("picture-huge"));
    int huge = 0;
    for (const auto& [name, bytes] : in.files)
      if (name != "skin.ini" && Le32(bytes, 18) == 16000 && Le32(bytes, 22) == 16000) {
        ++huge;
        EXPECT_GE(bytes.size(), 16000u * 2000u) << name;  // the rows are there, one bit per pixel
      }
    EXPECT_EQ(huge, 1);
  }
  // A hundred thousand records, every one listed.
  {
    const skintest::Ini ini = skintest::ParseIni(Ini(hostile::Make(1, First("records-100000"))));
    EXPECT_EQ(ini.Get("SKINCONTROLS", "count"), "100000");
    ASSERT_NE(ini.Find("SKINCONTROLS"), nullptr);
    EXPECT_EQ(ini.Find("SKINCONTROLS")->keys.size(), 100001u);
    EXPECT_EQ(ini.Get("SKINCONTROLS", "99999"), "r99999:button");
  }
  // A hundred thousand records each with a section of its own, listed before their sections.
  {
    const skintest::Ini ini = skintest::ParseIni(Ini(hostile::Make(1, First("records-100000") + 3)));
    EXPECT_EQ(ini.Get("SKINCONTROLS", "99999"), "b99999:button");
    EXPECT_EQ(ini.Get("b99999", "pictureindex"), ini.Get("button", "pictureindex"));
    EXPECT_FALSE(ini.Get("PICTURES", "activepicturescount").empty());
  }
  // A compressed skin file whose data size is not the size of its data.
  {
    const hostile::Input in = hostile::Make(1, First("compressed-lying"));
    ASSERT_EQ(in.kind, hostile::Input::Kind::CompressedSkin);
    const Files files = FilesOf(in);
    const std::vector<uint8_t>& file = files.at("skin.skn");
    EXPECT_EQ(Le32(file, 0), 1);
    EXPECT_NE(static_cast<int64_t>(static_cast<uint32_t>(Le32(file, 4))), static_cast<int64_t>(file.size()) - 8);
  }
  // Bytes that are not GBK: a lead byte without a valid trail, or 0x80 / 0xFF alone.
  for (int k = 0; k < 6; ++k) {
    const std::string ini = Ini(hostile::Make(1, First("not-gbk") + k));
    bool bad = false;
    for (size_t i = 0; i < ini.size(); ++i) {
      const auto c = static_cast<unsigned char>(ini[i]);
      if (c == 0x80 || c == 0xFF) bad = true;
      if (c >= 0x81 && c <= 0xFE) {
        const auto t = i + 1 < ini.size() ? static_cast<unsigned char>(ini[i + 1]) : 0;
        if (t < 0x40 || t == 0x7F || t == 0xFF) bad = true;
        ++i;
      }
    }
    EXPECT_TRUE(bad) << k;
  }
  // A truncated picture: shorter than the good one, or a header that promises more rows than follow.
  {
    const Files good = GoodFiles();
    for (int k = 0; k < 6; ++k) {
      const hostile::Input in = hostile::Make(1, First("picture-truncated") + k);
      int cut = 0;
      for (const auto& [name, bytes] : in.files)
        if (name != "skin.ini" &&
            (bytes.size() < good.at(name).size() || (bytes.size() >= 26 && Le32(bytes, 22) == 16000)))
          ++cut;
      EXPECT_EQ(cut, 1) << k;
    }
  }
}

TEST(HostileSkins, WriteReplacesTheDirectoryWithTheInputsFiles) {
  const xj::test::ScratchDir scratch("hostile-skins");
  const std::filesystem::path dir = std::filesystem::path(scratch.Path()) / "skin";
  std::filesystem::create_directories(dir / "stale");
  const hostile::Input in = hostile::Make(1, First("section-missing") + 3);  // a picture file left out
  hostile::Write(in, dir);
  EXPECT_FALSE(std::filesystem::exists(dir / "stale"));
  size_t files = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) files += e.is_regular_file();
  EXPECT_EQ(files, in.files.size());
  EXPECT_LT(files, GoodFiles().size());
  for (const auto& [name, bytes] : in.files) EXPECT_EQ(std::filesystem::file_size(dir / name), bytes.size()) << name;
}

TEST(HostileSkins, ThePictureFamiliesHoldWhatTheyPromise) {
  // Exactly 2^26 pixels of RLE8 in a few tens of kilobytes, yet a byte of data for every 4096 pixels;
  // then a row past it.
  const std::vector<uint8_t> limit = ChangedPicture(hostile::Make(1, First("bmp-limit")));
  EXPECT_EQ(Le32(limit, 18), 8192);
  EXPECT_EQ(Le32(limit, 22), 8192);
  EXPECT_EQ(Le16(limit, 28), 8);
  EXPECT_EQ(Le32(limit, 30), 1);
  EXPECT_GE(limit.size() - static_cast<size_t>(Le32(limit, 10)), 8192u * 8192u / 4096u);
  EXPECT_LT(limit.size(), 64u * 1024u);
  EXPECT_EQ(Le32(ChangedPicture(hostile::Make(1, First("bmp-limit") + 1)), 22), 8193);
  // RLE8 runs past the right edge, and deltas past the last row.
  const std::vector<uint8_t> runs = ChangedPicture(hostile::Make(1, First("bmp-rle")));
  EXPECT_EQ(Le32(runs, 30), 1);
  EXPECT_GT(WalkRle8(runs).x, Le32(runs, 18) + 50000);
  const std::vector<uint8_t> deltas = ChangedPicture(hostile::Make(1, First("bmp-rle") + 10));
  EXPECT_GT(WalkRle8(deltas).y, Le32(deltas, 22) + 255);
  // 16-bit bit fields whose three masks are all zero.
  const std::vector<uint8_t> fields = ChangedPicture(hostile::Make(1, First("bmp-header")));
  EXPECT_EQ(Le16(fields, 28), 16);
  EXPECT_EQ(Le32(fields, 30), 3);
  for (size_t at : { 54u, 58u, 62u }) EXPECT_EQ(Le32(fields, at), 0) << at;
}

TEST(HostileSkins, TheTextAndStreamFamiliesHoldWhatTheyPromise) {
  // CR-only line ends, and four million blank lines before the first section.
  const std::string cr = Ini(hostile::Make(1, First("ini-damaged") + 3));
  EXPECT_EQ(cr.find('\n'), std::string::npos);
  EXPECT_NE(cr.find("\r[FORMINFO]\r"), std::string::npos);
  const std::string flood = Ini(hostile::Make(1, First("ini-flood")));
  EXPECT_EQ(flood.find_first_not_of("\r\n"), 8000000u);
  EXPECT_EQ(flood.compare(8000000, 11, "[VERSION]\r\n"), 0);
  // The same flood in a compressed skin: the good pictures, then the flooded text.
  std::string payload;
  const hostile::Input packed = hostile::Make(1, First("ini-flood") + 9);
  EXPECT_GT(Inflate(DataOf(packed), [&](const uint8_t* p, size_t n) { payload.append(p, p + n); }), 0u);
  const std::vector<uint8_t> good = hostile::GoodPayloads()[0];
  const size_t pictures = good.size() - GoodFiles().at("skin.ini").size();
  EXPECT_EQ(payload.compare(0, pictures, std::string(good.begin(), good.begin() + static_cast<ptrdiff_t>(pictures))),
            0);
  EXPECT_EQ(payload.find_first_not_of("\r\n", pictures), pictures + 8000000);
  // 257 MiB of zeros from less than a mebibyte.
  const std::vector<uint8_t> bomb = DataOf(hostile::Make(1, First("inflate-bomb")));
  EXPECT_LT(bomb.size(), 1u << 20);
  uint64_t size = 0, nonZero = 0;
  EXPECT_EQ(Inflate(bomb,
                    [&](const uint8_t* p, size_t n) {
                      size += n;
                      nonZero += static_cast<uint64_t>(std::count_if(p, p + n, [](uint8_t b) { return b != 0; }));
                    }),
            bomb.size());
  EXPECT_EQ(size, uint64_t { 257 } << 20);
  EXPECT_EQ(nonZero, 0u);
  // Two zlib streams one after the other, the first the good payload.
  const std::vector<uint8_t> two = DataOf(hostile::Make(1, First("stream-odd")));
  std::vector<uint8_t> first;
  const size_t used = Inflate(two, [&](const uint8_t* p, size_t n) { first.insert(first.end(), p, p + n); });
  EXPECT_EQ(first, good);
  ASSERT_GT(used, 0u);
  ASSERT_LT(used, two.size());
  EXPECT_EQ(Inflate(std::vector<uint8_t>(two.begin() + static_cast<ptrdiff_t>(used), two.end()), [](auto, auto) {}),
            two.size() - used);
}
