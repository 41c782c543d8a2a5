#pragma once
// Windows bitmap files, written byte by byte so that the platform's bitmap reader is checked against
// an independent writer.
#include <cstdint>
#include <string>
#include <vector>

namespace mkskin {

struct Picture {
  enum class Format : uint8_t {
    Rgb24,         // 24 bits per pixel, rows bottom-up (the common case)
    Rgb24TopDown,  // 24 bits per pixel, negative height, rows top-down
    Pal8,          // 8 bits per pixel with a palette of the colours used
    Mono1,         // 1 bit per pixel, palette black (0) and white (1)
  };

  Picture() = default;
  Picture(int width, int height, Format format, uint32_t fill);

  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  void Set(int x, int y, uint32_t rgb) { pixels[static_cast<size_t>(y) * width + x] = rgb; }

  int width { 0 };
  int height { 0 };
  Format format { Format::Rgb24 };
  std::vector<uint32_t> pixels;  // 0xRRGGBB, top row first
};

// The complete file image: file header, info header, palette, pixel rows. Throws std::runtime_error
// when the pixels cannot be stored in the picture's format (too many colours for 8 bits, grey in a mask).
std::vector<uint8_t> BmpBytes(const Picture& picture);

}  // namespace mkskin
