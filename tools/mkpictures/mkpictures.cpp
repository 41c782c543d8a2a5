// mkpictures: draws the console's own pictures (the message dialog's JPEG, the about box's 4-bit
// bitmap, the button glyph strips) and writes them as a C++ source of byte arrays, so the program
// carries them compiled in and decodes them at run time like any picture file.
//
//   mkpictures <output.cpp>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace {

// ---- A small RGB canvas ---------------------------------------------------------------------------------

struct Image {
  Image(int w, int h, uint32_t fill) : w(w), h(h), px(static_cast<size_t>(w) * h, fill) {}
  void Set(int x, int y, uint32_t c) {
    if (x >= 0 && y >= 0 && x < w && y < h) px[static_cast<size_t>(y) * w + x] = c;
  }
  uint32_t At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
  template <class F>
  void Paint(F inside, uint32_t c) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (inside(x + 0.5, y + 0.5)) Set(x, y, c);
  }
  void Rect(int l, int t, int r, int b, uint32_t c) {
    Paint([&](double x, double y) { return x >= l && x < r && y >= t && y < b; }, c);
  }
  void Disc(double cx, double cy, double rad, uint32_t c) {
    Paint([&](double x, double y) { return std::hypot(x - cx, y - cy) <= rad; }, c);
  }
  void Ring(double cx, double cy, double r0, double r1, uint32_t c) {
    Paint(
        [&](double x, double y) {
          const double d = std::hypot(x - cx, y - cy);
          return d >= r0 && d <= r1;
        },
        c);
  }
  // A thick segment.
  void Line(double x0, double y0, double x1, double y1, double width, uint32_t c) {
    Paint(
        [&](double x, double y) {
          const double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
          double t = len2 > 0 ? ((x - x0) * dx + (y - y0) * dy) / len2 : 0;
          t = std::clamp(t, 0.0, 1.0);
          return std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)) <= width / 2;
        },
        c);
  }
  int w, h;
  std::vector<uint32_t> px;  // 0xRRGGBB, top row first
};

uint32_t Rgb(int r, int g, int b) { return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b); }
uint32_t Mix(uint32_t a, uint32_t b, double t) {
  auto ch = [&](int s) {
    return static_cast<uint32_t>(std::lround(((a >> s) & 0xFF) * (1 - t) + ((b >> s) & 0xFF) * t)) << s;
  };
  return ch(16) | ch(8) | ch(0);
}

// ---- Encoders -------------------------------------------------------------------------------------------

std::vector<uint8_t> Jpeg(const Image& img) {
  jpeg_compress_struct c {};
  jpeg_error_mgr err {};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = static_cast<JDIMENSION>(img.w);
  c.image_height = static_cast<JDIMENSION>(img.h);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);  // baseline, Huffman, 4:2:0
  jpeg_set_quality(&c, 88, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(img.w) * 3);
  while (c.next_scanline < c.image_height) {
    const int y = static_cast<int>(c.next_scanline);
    for (int x = 0; x < img.w; ++x) {
      const uint32_t p = img.At(x, y);
      row[x * 3] = uint8_t(p >> 16), row[x * 3 + 1] = uint8_t(p >> 8), row[x * 3 + 2] = uint8_t(p);
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  std::vector<uint8_t> bytes(out, out + size);
  jpeg_destroy_compress(&c);
  free(out);
  return bytes;
}

// The sixteen colours of the classic 4-bit palette.
const uint32_t kPalette[16] = {
  Rgb(0, 0, 0),     Rgb(128, 0, 0),     Rgb(0, 128, 0),     Rgb(128, 128, 0),   Rgb(0, 0, 128), Rgb(128, 0, 128),
  Rgb(0, 128, 128), Rgb(192, 192, 192), Rgb(128, 128, 128), Rgb(255, 0, 0),     Rgb(0, 255, 0), Rgb(255, 255, 0),
  Rgb(0, 0, 255),   Rgb(255, 0, 255),   Rgb(0, 255, 255),   Rgb(255, 255, 255),
};

int Nearest(uint32_t c) {
  int best = 0;
  long bestD = -1;
  for (int i = 0; i < 16; ++i) {
    const long dr = long((c >> 16) & 0xFF) - long((kPalette[i] >> 16) & 0xFF);
    const long dg = long((c >> 8) & 0xFF) - long((kPalette[i] >> 8) & 0xFF);
    const long db = long(c & 0xFF) - long(kPalette[i] & 0xFF);
    const long d = dr * dr + dg * dg + db * db;
    if (bestD < 0 || d < bestD) best = i, bestD = d;
  }
  return best;
}

void Put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& b, uint16_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}

// A 4-bit BMP file, rows bottom-up, each padded to four bytes.
std::vector<uint8_t> Bmp4(const Image& img) {
  const uint32_t stride = ((static_cast<uint32_t>(img.w) * 4 + 31) / 32) * 4;
  const uint32_t bits = stride * static_cast<uint32_t>(img.h);
  const uint32_t offset = 14 + 40 + 16 * 4;
  std::vector<uint8_t> b;
  b.push_back('B');
  b.push_back('M');
  Put32(b, offset + bits);
  Put32(b, 0);
  Put32(b, offset);
  Put32(b, 40);
  Put32(b, static_cast<uint32_t>(img.w));
  Put32(b, static_cast<uint32_t>(img.h));
  Put16(b, 1);
  Put16(b, 4);
  Put32(b, 0);  // BI_RGB
  Put32(b, bits);
  Put32(b, 3780);
  Put32(b, 3780);
  Put32(b, 16);
  Put32(b, 0);
  for (uint32_t c : kPalette) {
    b.push_back(uint8_t(c));
    b.push_back(uint8_t(c >> 8));
    b.push_back(uint8_t(c >> 16));
    b.push_back(0);
  }
  for (int y = img.h - 1; y >= 0; --y) {
    std::vector<uint8_t> row(stride, 0);
    for (int x = 0; x < img.w; ++x) {
      const int i = Nearest(img.At(x, y));
      row[x / 2] |= uint8_t(x % 2 == 0 ? i << 4 : i);
    }
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

// ---- The pictures ----------------------------------------------------------------------------------------

const uint32_t kKey = Rgb(255, 0, 255);  // glyph background: the bottom-left pixel, drawn transparent
const uint32_t kGray = Rgb(128, 128, 128);

// The message dialog's picture: a telephone handset under a speech bubble on a sky gradient.
Image DialogPicture() {
  Image img(100, 75, 0);
  for (int y = 0; y < img.h; ++y)
    for (int x = 0; x < img.w; ++x) img.Set(x, y, Mix(Rgb(70, 130, 200), Rgb(225, 240, 255), y / 74.0));
  // Bubble with three dots.
  img.Paint([](double x, double y) { return std::hypot((x - 62) / 30, (y - 24) / 17) <= 1; }, Rgb(255, 255, 255));
  img.Paint([](double x, double y) { return x > 42 && x < 52 && y > 34 && y < 48 && (x - 42) > (y - 34) * 0.7; },
            Rgb(255, 255, 255));
  for (int i = 0; i < 3; ++i) img.Disc(50 + 12 * i, 24, 3.2, Rgb(40, 90, 160));
  // Handset: two ear pieces joined by a thick arc.
  const uint32_t dark = Rgb(30, 30, 40);
  for (double a = 0.9; a <= 2.3; a += 0.01) img.Disc(28 + 22 * std::cos(a), 70 - 22 * std::sin(a) - 8, 4, dark);
  img.Disc(14, 50, 7, dark);
  img.Disc(43, 50, 7, dark);
  return img;
}

// The about box's picture: the recorder box with its line lamps and record button.
Image AboutPicture() {
  Image img(64, 56, Rgb(0, 128, 128));
  img.Rect(6, 14, 58, 46, Rgb(128, 128, 128));
  img.Rect(6, 14, 58, 16, Rgb(192, 192, 192));
  img.Rect(6, 44, 58, 46, Rgb(0, 0, 0));
  for (int i = 0; i < 4; ++i) img.Rect(12 + 8 * i, 22, 16 + 8 * i, 26, i == 1 ? Rgb(255, 255, 0) : Rgb(0, 255, 0));
  img.Disc(48, 34, 5, Rgb(255, 0, 0));
  img.Rect(12, 32, 38, 38, Rgb(0, 0, 0));
  img.Line(32, 46, 32, 54, 2, Rgb(0, 0, 0));
  img.Line(32, 54, 62, 54, 2, Rgb(0, 0, 0));
  img.Line(20, 14, 14, 4, 2, Rgb(0, 0, 0));
  img.Rect(10, 2, 20, 6, Rgb(0, 0, 128));
  return img;
}

// A strip of two cells: the sign in its colour, then in gray for the disabled look.
template <class Sign>
Image TwoCells(int size, uint32_t colour, Sign sign) {
  Image img(size * 2, size, kKey);
  sign(img, 0, colour);
  sign(img, size, kGray);
  return img;
}

void Check(Image& img, int x0, uint32_t c) {
  img.Line(x0 + 3.5, 9.5, x0 + 7, 13.5, 2.6, c);
  img.Line(x0 + 7, 13.5, x0 + 14.5, 4, 2.6, c);
}

void Cross(Image& img, int x0, uint32_t c) {
  img.Line(x0 + 4, 4, x0 + 14, 14, 2.6, c);
  img.Line(x0 + 14, 4, x0 + 4, 14, 2.6, c);
}

// A door with an arrow leaving it.
void Leave(Image& img, int x0, uint32_t c) {
  img.Line(x0 + 2.5, 2.5, x0 + 2.5, 13.5, 1.4, c);
  img.Line(x0 + 2.5, 2.5, x0 + 8.5, 2.5, 1.4, c);
  img.Line(x0 + 2.5, 13.5, x0 + 8.5, 13.5, 1.4, c);
  img.Line(x0 + 6, 8, x0 + 14, 8, 1.8, c);
  img.Line(x0 + 14, 8, x0 + 11, 5, 1.6, c);
  img.Line(x0 + 14, 8, x0 + 11, 11, 1.6, c);
}

void WriteArray(std::ofstream& out, const char* name, const std::vector<uint8_t>& bytes) {
  out << "const unsigned char " << name << "Data[] = {";
  for (size_t i = 0; i < bytes.size(); ++i) out << (i % 20 == 0 ? "\n  " : " ") << unsigned(bytes[i]) << ',';
  out << "\n};\nconst TPictureBytes " << name << " { " << name << "Data, sizeof " << name << "Data };\n\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: mkpictures <output.cpp>\n");
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << "// Made by tools/mkpictures: the console's pictures as their files' bytes.\n"
         "#include \"app/Pictures.h\"\n\nnamespace pictures {\n\n";
  WriteArray(out, "DialogJpeg", Jpeg(DialogPicture()));
  WriteArray(out, "AboutBitmap", Bmp4(AboutPicture()));
  WriteArray(out, "OkGlyph", Bmp4(TwoCells(18, Rgb(0, 128, 0), Check)));
  WriteArray(out, "CancelGlyph", Bmp4(TwoCells(18, Rgb(255, 0, 0), Cross)));
  WriteArray(out, "CloseGlyph", Bmp4(TwoCells(16, Rgb(0, 0, 128), Leave)));
  WriteArray(out, "ExitGlyph", Bmp4(TwoCells(16, Rgb(128, 0, 0), Leave)));
  out << "}  // namespace pictures\n";
  if (!out) {
    fprintf(stderr, "mkpictures: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
