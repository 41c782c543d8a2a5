// mkskin (installed as xunjian-mkskin): writes the test skin that tests and benchmarks load.
//
// Usage: mkskin <output directory>, or mkskin --look <output directory> for the real-look skins (a folder
// per skin: azure/, olive/, each skin.ini and its pictures); --help prints the usage. The test skins: it writes
//   test/              the skin directory: skin.ini and every picture it names. skin.ini holds every global
//                      section, one record of every skin object class and, under the names the skinned
//                      controls look up by default, every control record class, each with every key.
//   second/            the second test skin: the same record names with other sizes, owners of its own,
//                      some records without pictures, of another class or missing.
//   test.skn           the compressed skin file: marker 1, the data size, the zlib stream of the payload.
//   test.compresseddata the zlib stream alone, as a compressed stored skin holds it in "CompressedData".
//   test.pictures      the "Pictures" property bytes of a stored skin (its IniStrings are skin.ini's lines).
//   test.form          a text form resource: a TForm holding the skin as a stored skin and as a
//                      compressed stored skin (the two property payloads above, as hex).
// The INI text, the bitmap files, the stored layouts and the form text are written here byte by byte, independently of
// the skin library, so that its readers are tested against another writer. Only zlib is shared.
//
// The colour code (tools/mkskin/SkinColours.h): every rectangle of every record is packed into its
// picture and filled so that each pixel tells who it belongs to: red = the record (0x10 + index in
// [SKINOBJECTS], 0x40 + index in [SKINCONTROLS]) or a global owner (frame, popup, hint, tile), green =
// the INI key of the rectangle (or the frame band, window slice), blue = the pixel's position in the
// rectangle modulo 16 (x in the high, y in the low nibble). Colour keys hold the same code as a colour
// value (red = owner, green = key code, blue = 0xFF). Positions that are relative to a face (client
// rectangles, button places, text areas) are not painted; they lie inside the face they belong to.
// Masks are black inside and white outside; unused picture area is grey 0xF0F0F0.
#include "tools/mkskin/SkinFiles.h"
#include "tools/mkskin/TestSkin.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

namespace {

void Usage(std::FILE* to, const char* program) {
  std::fprintf(to,
               "usage: %s [--look] <output directory>\n"
               "  --look    draw the real-look skins (azure/, olive/) into the folder\n"
               "            (without it: the coordinate-coded test skins the tests load)\n"
               "  --help    print this and exit\n",
               program);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string program = std::filesystem::path(argc > 0 ? argv[0] : "mkskin").filename().string();
  bool look = false;
  std::string folder;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      Usage(stdout, program.c_str());
      return 0;
    }
    if (a == "--look") {
      look = true;
    } else if (a.starts_with("-")) {
      std::fprintf(stderr, "%s: unknown option %s\n", program.c_str(), a.c_str());
      Usage(stderr, program.c_str());
      return 2;
    } else if (folder.empty()) {
      folder = a;
    } else {
      std::fprintf(stderr, "%s: one output folder only (%s, then %s)\n", program.c_str(), folder.c_str(), a.c_str());
      Usage(stderr, program.c_str());
      return 2;
    }
  }
  if (folder.empty()) {
    Usage(stderr, program.c_str());
    return 2;
  }
  try {
    namespace fs = std::filesystem;
    const fs::path out = folder;
    fs::create_directories(out);
    if (look) {
      for (const mkskin::LookPalette* palette : { &mkskin::AzureLook(), &mkskin::OliveLook() })
        mkskin::WriteSkinDirectory(mkskin::BuildLookSkin(*palette), out / palette->name, "skin.ini");
      return 0;
    }

    const mkskin::Skin skin = mkskin::BuildTestSkin();
    mkskin::WriteSkinDirectory(skin, out / "test", "skin.ini");
    mkskin::WriteSkinDirectory(mkskin::BuildSecondSkin(), out / "second", "skin.ini");
    const std::vector<uint8_t> compressed = mkskin::ZlibCompress(mkskin::SkinPayload(skin));
    mkskin::WriteFileBytes(out / "test.compresseddata", compressed);
    mkskin::WriteFileBytes(out / "test.skn", mkskin::CompressedSkinFile(compressed));
    mkskin::WriteFileBytes(out / "test.pictures", mkskin::PicturesProperty(skin));
    const std::string form = mkskin::StoredSkinForm(skin, "skin.ini", compressed);
    mkskin::WriteFileBytes(out / "test.form", std::vector<uint8_t>(form.begin(), form.end()));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", program.c_str(), e.what());
    return 1;
  }
  return 0;
}
