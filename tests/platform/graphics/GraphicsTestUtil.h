#pragma once
// Helpers for the class-library graphics tests: pictures as text, temporary files, small bitmaps.

#include <unistd.h>

#include <filesystem>
#include <initializer_list>
#include <string>

#include "tests/support/PixelRows.h"
#include "platform/vcl/Graphics.h"

namespace gtest_graphics {

// One line per row: '#' where the pixel is `ink`, '.' elsewhere.
inline std::string Map(TBitmap& b, TColor ink) {
  std::string s;
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) s += b.Canvas()->Pixels(x, y) == ink ? '#' : '.';
    s += '\n';
  }
  return s;
}

using xj::test::Rows;

// Paints a bitmap from rows of characters, one colour per character.
inline void Paint(TBitmap& b, std::initializer_list<const char*> rows,
                  std::initializer_list<std::pair<char, TColor>> inks) {
  int y = 0;
  for (const char* r : rows) {
    for (int x = 0; r[x]; ++x)
      for (const auto& [c, color] : inks)
        if (r[x] == c) b.Canvas()->SetPixels(x, y, color);
    ++y;
  }
}

// A fresh directory under the build tree, removed at the end of the test. ctest runs every test in a
// process of its own, several at once, so the process id keeps their files apart.
class TempDir {
 public:
  explicit TempDir(const std::string& name)
      : path_(std::filesystem::path(XJ_BINARY_DIR) / "tests" / "graphics_tmp" /
              (name + "-" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace gtest_graphics
