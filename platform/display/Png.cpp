#include "platform/display/Png.h"

#include <png.h>

#include <cstring>
#include <vector>

namespace xj::display {

namespace {

constexpr png_uint_32 kMaxSide = 32768;
constexpr uint64_t kMaxPixels = uint64_t(1) << 26;

bool Fail(std::string* error, const std::string& message) {
  if (error) *error = message;
  return false;
}

}  // namespace

bool WritePng(const std::string& path, const SurfaceView& pixels, std::string* error) {
  if (!pixels.pixels || pixels.width <= 0 || pixels.height <= 0 || pixels.stride < pixels.width * 4)
    return Fail(error, "cannot write an empty picture to " + path);
  // libpng's simplified writer has no "ignore the filler byte" format, so pack the rows to B, G, R.
  size_t rowBytes = size_t(pixels.width) * 3;
  std::vector<uint8_t> packed(rowBytes * pixels.height);
  for (int y = 0; y < pixels.height; ++y) {
    const uint32_t* src = pixels.Row(y);
    uint8_t* dst = packed.data() + rowBytes * y;
    for (int x = 0; x < pixels.width; ++x) {
      dst[3 * x] = uint8_t(src[x]);
      dst[3 * x + 1] = uint8_t(src[x] >> 8);
      dst[3 * x + 2] = uint8_t(src[x] >> 16);
    }
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(pixels.width);
  image.height = png_uint_32(pixels.height);
  image.format = PNG_FORMAT_BGR;
  if (!png_image_write_to_file(&image, path.c_str(), 0, packed.data(), png_int_32(rowBytes), nullptr)) {
    std::string why = image.message;
    png_image_free(&image);
    return Fail(error, "cannot write " + path + ": " + why);
  }
  return true;
}

bool ReadPng(const std::string& path, Image& out, std::string* error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str()))
    return Fail(error, "cannot read " + path + ": " + image.message);
  if (image.width == 0 || image.height == 0 || image.width > kMaxSide || image.height > kMaxSide ||
      uint64_t(image.width) * image.height > kMaxPixels) {
    png_image_free(&image);
    return Fail(error, "cannot read " + path + ": the picture is too large");
  }
  image.format = PNG_FORMAT_BGRA;  // B, G, R, A bytes: 0xAARRGGBB on this little-endian machine
  Image pic(int(image.width), int(image.height));
  if (!png_image_finish_read(&image, nullptr, pic.pixels.data(), 0, nullptr)) {
    std::string why = image.message;
    png_image_free(&image);
    return Fail(error, "cannot read " + path + ": " + why);
  }
  out = std::move(pic);
  return true;
}

}  // namespace xj::display
