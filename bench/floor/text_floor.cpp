// The floor of a program's start-up to its first text: fontconfig initialised, the console's face matched,
// FreeType loading it, and one string drawn into a buffer; nothing of this project is linked.

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <vector>

namespace {

// The console's status text, as UTF-32 for FreeType.
const char32_t kText[] = U"录音设备连接正常";

}  // namespace

int main() {
  FcInit();
  FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>("AR PL UMing CN"));
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult res;
  FcPattern* found = FcFontMatch(nullptr, pat, &res);
  FcChar8* file = nullptr;
  if (!found || FcPatternGetString(found, FC_FILE, 0, &file) != FcResultMatch) return 1;
  FT_Library lib {};
  FT_Face face {};
  if (FT_Init_FreeType(&lib) || FT_New_Face(lib, reinterpret_cast<const char*>(file), 0, &face)) return 1;
  FT_Set_Pixel_Sizes(face, 0, 12);
  std::vector<unsigned char> line(200 * 16);
  int x = 0;
  for (const char32_t* c = kText; *c; ++c) {
    if (FT_Load_Char(face, *c, FT_LOAD_RENDER)) return 1;
    const FT_Bitmap& b = face->glyph->bitmap;
    for (unsigned row = 0; row < std::min(b.rows, 16u); ++row)
      for (unsigned col = 0; col < b.width && x + col < 200; ++col)
        line[row * 200 + x + col] = std::max(line[row * 200 + x + col], b.buffer[row * b.pitch + col]);
    x += int(face->glyph->advance.x >> 6);
  }
  return *std::max_element(line.begin(), line.end()) == 0 ? 1 : 0;  // nothing drawn: a failure
}
