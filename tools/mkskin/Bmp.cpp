#include "tools/mkskin/Bmp.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace mkskin {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr int32_t kPixelsPerMetre = 2835;  // 72 dots per inch

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

int BitsPerPixel(Picture::Format format) {
  switch (format) {
    case Picture::Format::Pal8:
      return 8;
    case Picture::Format::Mono1:
      return 1;
    default:
      return 24;
  }
}

// The palette in first-use order, so the file is the same on every run.
std::vector<uint32_t> PaletteOf(const Picture& picture) {
  if (picture.format == Picture::Format::Mono1) return { 0x000000, 0xFFFFFF };
  std::vector<uint32_t> palette;
  if (picture.format != Picture::Format::Pal8) return palette;
  std::map<uint32_t, size_t> seen;
  for (uint32_t rgb : picture.pixels) {
    if (seen.emplace(rgb, palette.size()).second) palette.push_back(rgb);
  }
  if (palette.size() > 256) throw std::runtime_error("an 8-bit picture holds more than 256 colours");
  return palette;
}

uint8_t IndexOf(const std::vector<uint32_t>& palette, uint32_t rgb) {
  auto it = std::find(palette.begin(), palette.end(), rgb);
  if (it == palette.end()) throw std::runtime_error("a pixel is not in the palette (masks hold only black and white)");
  return static_cast<uint8_t>(it - palette.begin());
}

// One stored row, padded to a multiple of 4 bytes.
void PutRow(std::vector<uint8_t>& out, const Picture& picture, const std::vector<uint32_t>& palette, int y,
            size_t stride) {
  size_t start = out.size();
  switch (BitsPerPixel(picture.format)) {
    case 24:
      for (int x = 0; x < picture.width; ++x) {
        uint32_t rgb = picture.At(x, y);
        out.push_back(static_cast<uint8_t>(rgb));        // blue
        out.push_back(static_cast<uint8_t>(rgb >> 8));   // green
        out.push_back(static_cast<uint8_t>(rgb >> 16));  // red
      }
      break;
    case 8:
      for (int x = 0; x < picture.width; ++x) out.push_back(IndexOf(palette, picture.At(x, y)));
      break;
    case 1:
      for (int x0 = 0; x0 < picture.width; x0 += 8) {
        uint8_t byte = 0;
        for (int bit = 0; bit < 8 && x0 + bit < picture.width; ++bit)
          byte |= static_cast<uint8_t>(IndexOf(palette, picture.At(x0 + bit, y)) << (7 - bit));
        out.push_back(byte);
      }
      break;
  }
  out.resize(start + stride, 0);
}

}  // namespace

Picture::Picture(int w, int h, Format f, uint32_t fill)
    : width(w), height(h), format(f), pixels(static_cast<size_t>(w) * h, fill) {}

std::vector<uint8_t> BmpBytes(const Picture& picture) {
  const int bits = BitsPerPixel(picture.format);
  const std::vector<uint32_t> palette = PaletteOf(picture);
  const size_t stride = (static_cast<size_t>(picture.width) * bits + 31) / 32 * 4;
  const uint32_t imageSize = static_cast<uint32_t>(stride * picture.height);
  const uint32_t offBits = kFileHeaderSize + kInfoHeaderSize + static_cast<uint32_t>(palette.size() * 4);
  const bool topDown = picture.format == Picture::Format::Rgb24TopDown;

  std::vector<uint8_t> out;
  out.reserve(offBits + imageSize);
  out.push_back('B');
  out.push_back('M');
  Put32(out, offBits + imageSize);  // bfSize: the whole file
  Put16(out, 0);
  Put16(out, 0);
  Put32(out, offBits);

  Put32(out, kInfoHeaderSize);
  Put32(out, static_cast<uint32_t>(picture.width));
  Put32(out, static_cast<uint32_t>(topDown ? -picture.height : picture.height));
  Put16(out, 1);  // planes
  Put16(out, static_cast<uint16_t>(bits));
  Put32(out, 0);  // BI_RGB
  Put32(out, imageSize);
  Put32(out, kPixelsPerMetre);
  Put32(out, kPixelsPerMetre);
  Put32(out, static_cast<uint32_t>(palette.size()));  // colours used
  Put32(out, 0);                                      // all of them important

  for (uint32_t rgb : palette) {
    out.push_back(static_cast<uint8_t>(rgb));
    out.push_back(static_cast<uint8_t>(rgb >> 8));
    out.push_back(static_cast<uint8_t>(rgb >> 16));
    out.push_back(0);
  }
  for (int row = 0; row < picture.height; ++row)
    PutRow(out, picture, palette, topDown ? row : picture.height - 1 - row, stride);
  return out;
}

}  // namespace mkskin
